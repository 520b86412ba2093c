"""What the classroom's picture scripts share: a private broker on loopback, trainers in its class
driven through --control, and a command's answer."""
import json, os, socket, subprocess, tempfile

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
trainer = os.path.join(root, 'build', 'vhf-dsc-trainer')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', PULSE_SERVER='unix:/nonexistent')


class Class:
    """A broker of its own on a free port of 127.0.0.1, and the class URL on it; work is a
    temporary folder for pictures and sounds."""

    def __init__(self, name='deck-1', speed='20'):
        with socket.socket() as s:
            s.bind(('127.0.0.1', 0))
            port = s.getsockname()[1]
        self.work = tempfile.mkdtemp()
        self.speed = speed
        with open(os.path.join(self.work, 'mosquitto.conf'), 'w') as f:
            f.write(f'listener {port} 127.0.0.1\nallow_anonymous true\npersistence false\n' +
                    ('user root\n' if os.geteuid() == 0 else ''))
        self.broker = subprocess.Popen(['mosquitto', '-c', os.path.join(self.work, 'mosquitto.conf')],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.url = f'mqtt://127.0.0.1:{port}/{name}'

    def start(self, *args):
        return subprocess.Popen([trainer, '--control', '--speed', self.speed, '--nmea-port', '0', '--class', self.url,
                                 *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                env=env, text=True, bufsize=1)

    def close(self):
        self.broker.terminate()
        self.broker.wait()


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


def stack(top, bottom, width, out):
    """The picture top above bottom, a band of the window's colour between them (ImageMagick)."""
    subprocess.run(['convert', top, '(', '-size', f'{width}x8', 'xc:#c0c0ff', ')', bottom, '-background', '#c0c0ff',
                    '-append', out], check=True)


def spoken(folder, text, name='mayday.wav'):
    """text spoken by flite into folder/name, for --mic; returns the file and how long to hold the
    talk key for it."""
    import wave
    path = os.path.join(folder, name)
    subprocess.run(['flite', '-voice', 'rms', '-o', path, '-t', text], check=True)
    with wave.open(path) as w:
        return path, w.getnframes() / w.getframerate() + 0.5


def mayday_without_position(folder):
    """A MAYDAY message without the position, spoken by flite into folder/mayday.wav, for --mic;
    returns the file and how long to hold the talk key for it."""
    return spoken(folder, 'Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two three '
                          'four five six. Mayday, Kelpo. We are on fire. Request immediate assistance. Four persons on '
                          'board. Over.')


def first_page(made_with, source, name, env):
    """Runs the trainer with made_with (--debrief, --exam-sheet) from source to a PDF, and keeps its
    first page as docs/name.png."""
    pdf = os.path.join(os.path.dirname(source), name + '.pdf')
    subprocess.run([trainer, made_with, source, pdf], check=True, env=env, stderr=subprocess.DEVNULL)
    subprocess.run(['pdftoppm', '-png', '-r', '70', '-f', '1', '-l', '1', '-singlefile', pdf,
                    os.path.join(root, 'docs', name)], check=True)
