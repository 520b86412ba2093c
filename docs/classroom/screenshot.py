#!/usr/bin/env python3
"""Makes docs/classroom.png: an instructor's trainer and its class stations window, with three
trainees in the class, all driven through --control on a private broker.
Run from the source folder after a build (needs mosquitto and imagemagick):
    python3 docs/classroom/screenshot.py"""
import os

import trainers
from trainers import Class, root, run

cls = Class()
work = cls.work
start = cls.start

try:
    boss = start('--instructor')
    sea = start('--mmsi', '316000001', '--name', 'Sea Breeze')
    wave = start('--mmsi', '316000002', '--name', 'Wave Dancer')
    star = start('--mmsi', '316000003', '--name', 'Northern Star')
    for p in (boss, sea, wave, star):
        run(p, 'await frmGMDSS Online')
    for c in ['click cmdCall', 'choose lstCall Routine', 'type txtDirectory 003669927', 'click cmdEnter']:
        run(wave, c)
    run(boss, 'await txtCG1 316000002')
    run(boss, 'click cmdAcknowledge')
    for c in ['click cmdCall', 'choose lstCall Safety', 'click cmdEnter']:
        run(star, c)
    run(boss, 'await txtCG6 Safety')
    # A short press opens the nature list; its answer comes with the release.
    sea.stdin.write('press cmdDistress\n')
    run(sea, 'release cmdDistress')
    run(sea, 'choose ComboMessage Fire')
    run(sea, 'hold cmdDistress 6')
    run(boss, 'await tblStations IN DISTRESS')
    run(boss, f'screenshot {work}/instructor.png')
    run(boss, f'screenshot frmStations {work}/stations.png')
    for p in (boss, sea, wave, star):
        run(p, 'quit')
    trainers.stack(f'{work}/instructor.png', f'{work}/stations.png', 820, os.path.join(root, 'docs', 'classroom.png'))
finally:
    cls.close()
