#!/usr/bin/env python3
"""Makes docs/debrief.png: the first page of the debrief of a short lesson in which the shipped
exercise 01-fire is worked through --control, with two mistakes: the wrong nature of distress, and a
MAYDAY message (spoken by flite through --mic) without the position.
Run from the source folder after a build (needs flite, and poppler-utils for pdftoppm):
    python3 docs/lessons/debrief-picture.py"""
import glob, json, os, subprocess, tempfile, wave

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
trainer = os.path.join(root, 'build', 'vhf-dsc-trainer')
work = tempfile.mkdtemp()
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', PULSE_SERVER='unix:/nonexistent', XDG_DATA_HOME=work)
mayday = os.path.join(work, 'mayday.wav')
subprocess.run(['flite', '-voice', 'rms', '-o', mayday, '-t',
                'Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two three four five '
                'six. Mayday, Kelpo. We are on fire. Request immediate assistance. Four persons on board. Over.'],
               check=True)
with wave.open(mayday) as w:
    seconds = w.getnframes() / w.getframerate() + 0.5
p = subprocess.Popen([trainer, '--control', '--speed', '5', '--nmea-port', '0', '--exercise', '01-fire',
                      '--mic', mayday],
                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env, text=True,
                     bufsize=1)


def run(command, wait_for=None):
    p.stdin.write(command + '\n')
    p.stdin.flush()
    while True:
        answer = json.loads(p.stdout.readline())
        if answer.get('command') == (wait_for or command):
            if answer['reply'] == 'error':
                raise SystemExit(f'{command}: {answer["error"]}')
            return answer


for c in ['click cmdCall', 'choose lstCall Urgency', 'click cmdEnter']:
    run(c)
run('await lstExerciseTasks done')
# A short press opens the nature list; its answer comes with the release.
p.stdin.write('press cmdDistress\n')
run('release cmdDistress')
run('choose ComboMessage Flooding')
run('hold cmdDistress 6')
run('click cmdAcknowledge')
# The MAYDAY once the coast station's spoken acknowledgement has been heard; the lesson ends once
# its answer has been heard too.
run('click cmdDscMessages')
run('await lstDscMessages DISTRESS-ACK')
run(f'hold cmdTalk {seconds:.1f}')
run('await lblExerciseScore Score')
run('await lstDscMessages say your position')
run('quit')
p.wait()
lesson = glob.glob(os.path.join(work, 'vhf-dsc-trainer', 'lessons', '*.jsonl'))[0]
pdf = os.path.join(work, 'debrief.pdf')
subprocess.run([trainer, '--debrief', lesson, pdf], check=True, env=env, stderr=subprocess.DEVNULL)
subprocess.run(['pdftoppm', '-png', '-r', '70', '-f', '1', '-l', '1', '-singlefile', pdf,
                os.path.join(root, 'docs', 'debrief')], check=True)
