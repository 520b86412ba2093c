#!/usr/bin/env python3
"""Makes docs/debrief.png: the first page of the debrief of a short lesson in which the shipped
exercise 01-fire is worked through --control, with two mistakes: the wrong nature of distress, and a
MAYDAY message (spoken by flite through --mic) without the position.
Run from the source folder after a build (needs flite, and poppler-utils for pdftoppm):
    python3 docs/lessons/debrief-picture.py"""
import glob, os, subprocess, sys, tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'classroom'))
import trainers
from trainers import root, trainer
work = tempfile.mkdtemp()
env = dict(trainers.env, XDG_DATA_HOME=work)
mayday, seconds = trainers.mayday_without_position(work)
p = subprocess.Popen([trainer, '--control', '--speed', '5', '--nmea-port', '0', '--exercise', '01-fire',
                      '--mic', mayday],
                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env, text=True,
                     bufsize=1)


def run(command):
    return trainers.run(p, command)


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
trainers.first_page('--debrief', lesson, 'debrief', env)
