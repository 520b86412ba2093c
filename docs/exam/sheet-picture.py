#!/usr/bin/env python3
"""Makes docs/exam-sheet.png: the first page of the examiner's sheet of a mock exam (profile src,
seed 2) sat through --control by a candidate who sends the distress alert of the first card (abandoning the boat) and
speaks its MAYDAY (flite, through --mic) without the position, and leaves the other cards undone.
Run from the source folder after a build (needs flite, and poppler-utils for pdftoppm):
    python3 docs/exam/sheet-picture.py"""
import glob, os, subprocess, sys, tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'classroom'))
import trainers
from trainers import root, trainer
work = tempfile.mkdtemp()
env = dict(trainers.env, XDG_DATA_HOME=work)
mayday, seconds = trainers.spoken(work, 'Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six '
                                  'one two three four five six. Mayday, Kelpo. We are sinking after hitting a submerged '
                                  'object. Nine persons on board, taking to the life raft. Request immediate assistance. '
                                  'Over.')
p = subprocess.Popen([trainer, '--control', '--speed', '5', '--nmea-port', '0', '--exam', 'src', '--seed', '2',
                      '--candidate', 'Ann Example', '--mic', mayday],
                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env, text=True,
                     bufsize=1)


def run(command):
    if os.environ.get('SHEET_TRACE'): print(command, file=sys.stderr, flush=True)
    return trainers.run(p, command)


run('click cmdExamStart')
# Card 1: the alert with its nature (a short press opens the list; its answer comes with the
# release), then the MAYDAY on channel 16.
p.stdin.write('press cmdDistress\n')
run('release cmdDistress')
run('choose ComboMessage Abandoning')
run('hold cmdDistress 6')
run(f'hold cmdTalk {seconds:.1f}')
run('click cmdExamDone')
# The rest left undone.
for card in range(2, 7):
    run(f'await lblExamStatus Card {card} of 6')
    run('click cmdExamDone')
run('await lblExamStatus The exam is over')
run('quit')
p.wait()
record = glob.glob(os.path.join(work, 'vhf-dsc-trainer', 'lessons', '*.exam.json'))[0]
trainers.first_page('--exam-sheet', record, 'exam-sheet', env)
