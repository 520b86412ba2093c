#!/usr/bin/env python3
"""Makes docs/classroom.png: an instructor's trainer and its class stations window, with three
trainees in the class, all driven through --control on a private broker.
Run from the source folder after a build (needs mosquitto and imagemagick):
    python3 docs/classroom/screenshot.py"""
import json, os, socket, subprocess, tempfile

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
trainer = os.path.join(root, 'build', 'vhf-dsc-trainer')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', PULSE_SERVER='unix:/nonexistent')

with socket.socket() as s:
    s.bind(('127.0.0.1', 0))
    port = s.getsockname()[1]
work = tempfile.mkdtemp()
with open(os.path.join(work, 'mosquitto.conf'), 'w') as f:
    f.write(f'listener {port} 127.0.0.1\nallow_anonymous true\npersistence false\n' +
            ('user root\n' if os.geteuid() == 0 else ''))
broker = subprocess.Popen(['mosquitto', '-c', os.path.join(work, 'mosquitto.conf')],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
url = f'mqtt://127.0.0.1:{port}/deck-1'


def start(*args):
    return subprocess.Popen([trainer, '--control', '--speed', '20', '--nmea-port', '0', '--class', url, *args],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=env, text=True, bufsize=1)


def run(p, command):
    p.stdin.write(command + '\n')
    p.stdin.flush()
    while True:
        line = p.stdout.readline()
        if not line:
            raise SystemExit('the trainer ended during: ' + command)
        answer = json.loads(line)
        if answer.get('command') == command:
            if answer['reply'] == 'error':
                raise SystemExit(f'{command}: {answer["error"]}')
            return answer


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
    subprocess.run(['convert', f'{work}/instructor.png', '(', '-size', '820x8', 'xc:#c0c0ff', ')',
                    f'{work}/stations.png', '-background', '#c0c0ff', '-append',
                    os.path.join(root, 'docs', 'classroom.png')], check=True)
finally:
    broker.terminate()
    broker.wait()
