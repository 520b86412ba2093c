#!/usr/bin/env python3
"""Makes docs/voice-messages.png: the DSC message window after a distress alert, the coast
station's spoken acknowledgement and a MAYDAY message said into the radio (spoken by flite through
--mic, without a position), judged, and the coast station asking for the position.
Run from the source folder after a build (needs flite):
    python3 docs/voice/screenshot.py"""
import os, subprocess, sys, tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'classroom'))
import trainers
from trainers import env, root, trainer
work = tempfile.mkdtemp()
mayday, seconds = trainers.mayday_without_position(work)

p = subprocess.Popen([trainer, '--control', '--speed', '5', '--nmea-port', '0', '--mic', mayday],
                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                     env=env, text=True, bufsize=1)


def run(command):
    return trainers.run(p, command)


run('hold cmdDistress 6')
run('await lblStatus Waiting for Ack')
run('click cmdAcknowledge')
run('click cmdDscMessages')
run('await lstDscMessages DISTRESS-ACK')
run(f'hold cmdTalk {seconds:.1f}')
run('await lstDscMessages say your position')
# The trainee's MAYDAY, chosen in the list, is the one shown whole.
run('choose lstDscMessages V2')
run(f'screenshot frmDscMessages {os.path.join(root, "docs", "voice-messages.png")}')
run('quit')
p.wait()
