#!/usr/bin/env python3
"""Makes docs/classroom-voice.png: the instructor's class stations window while a trainee talks on
channel 16, above its DSC message window listing what was said in the class (a MAYDAY, then two
trainees keying at once: a double). Three trainers on a private broker, driven through --control,
speak through files that flite made (--mic).
Run from the source folder after a build (needs mosquitto, flite and imagemagick):
    python3 docs/classroom/voice-screenshot.py"""
import os, subprocess

import trainers
from trainers import Class, root, run

cls = Class(speed='10')
work = cls.work
start = cls.start


def speak(name, text):
    path = os.path.join(work, name)
    subprocess.run(['flite', '-voice', 'rms', '-t', text, '-o', path], check=True)
    return path


try:
    mayday = speak('mayday.wav', 'Mayday, Mayday, Mayday. This is Sea Breeze, Sea Breeze, Sea Breeze. '
                                 'Position four two degrees one seven minutes north, zero seven zero degrees four seven '
                                 'minutes west. We are on fire. Four persons on board. Over.')
    relay = speak('relay.wav', 'Mayday Relay, Mayday Relay, Mayday Relay. All stations, all stations, all stations. '
                               'This is Wave Dancer. Over.')
    boss = start('--instructor')
    sea = start('--mmsi', '316000001', '--name', 'Sea Breeze', '--mic', mayday)
    wave = start('--mmsi', '316000002', '--name', 'Wave Dancer', '--mic', relay)
    for p in (boss, sea, wave):
        run(p, 'await frmGMDSS Online')
    run(boss, 'await lblStationsSummary 3 stations online')
    run(boss, 'click cmdDscMessages')
    run(sea, 'hold cmdTalk 16')
    run(boss, 'await lstDscMessages V1')
    # Both at once: a double.
    run(sea, 'press cmdTalk')
    run(wave, 'press cmdTalk')
    run(boss, 'await lblStationsSummary Wave Dancer on 16')
    run(sea, 'release cmdTalk')
    run(wave, 'release cmdTalk')
    run(boss, 'await lstDscMessages V3')
    run(boss, 'choose lstDscMessages V1')
    run(boss, f'screenshot frmDscMessages {work}/messages.png')
    # And the trainee on the air again, as the instructor sees it.
    run(sea, 'press cmdTalk')
    run(boss, 'await tblStations TX 16')
    run(boss, f'screenshot frmStations {work}/stations.png')
    run(sea, 'release cmdTalk')
    for p in (boss, sea, wave):
        run(p, 'quit')
    trainers.stack(f'{work}/stations.png', f'{work}/messages.png', 940, os.path.join(root, 'docs', 'classroom-voice.png'))
finally:
    cls.close()
