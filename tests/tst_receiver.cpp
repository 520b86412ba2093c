// The receiver: recordings of every kind and a raw stream decode to the calls in them, the
// program's --decode - tells each call before its input ends, and the DSC message window listens
// to a sound input of a real PulseAudio server of the test's own.
#include "air/Air.h"
#include "air/Receiver.h"
#include "app/NmeaOutput.h"
#include "dscwire/Receiver.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/AudioFile.h"
#include "platform/SndFile.h"
#include "screens/DscMessages.h"
#include "screens/ReceiverPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace dscwire;

namespace {

const Message kAlert = Message::distressAlert(QStringLiteral("316123456"), 101, Position::of(1, 42, 21, 70, 55), QTime(14, 32));
const Message kCall = Message::individual(QStringLiteral("366232323"), code::kRoutine, QStringLiteral("316123456"), 72);

// The burst at `rate`, behind a start that is no whole number of bits, with silence after it.
std::vector<float> burstAt(const Message& m, int rate, int lead = 1237, int tail = 9600) {
    const Samples s = encodeAudio(m).value();
    std::vector<float> at48(size_t(lead), 0.f);
    for (qint16 v : s) at48.push_back(float(v) / 32768.0f);
    at48.resize(at48.size() + size_t(tail), 0.f);
    std::vector<float> out;
    platform::Resampler(kSampleRate, rate).process(at48.data(), qint64(at48.size()), true, out);
    return out;
}

// Writes interleaved samples with libsndfile as `format`; false when it cannot.
bool writeSound(const QString& path, const std::vector<float>& interleaved, int channels, int rate, int format) {
    const platform::sndfile::Api& lib = platform::sndfile::api();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = lib.sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f) return false;
    const sf_count_t frames = sf_count_t(interleaved.size()) / channels;
    const bool ok = lib.sf_writef_float(f, interleaved.data(), frames) == frames;
    lib.sf_close(f);
    return ok;
}

QByteArray rawBytes(const std::vector<float>& samples) {
    QByteArray b;
    for (qint16 v : platform::toInt16(samples)) {
        char c[2];
        qToLittleEndian(v, c);
        b.append(c, 2);
    }
    return b;
}

// A PulseAudio daemon of the test's own, with a null sink "vhftest" and its socket in a folder of
// its own. Ready when it says so on the notification socket that it is given (as systemd does).
class PulseDaemon {
public:
    explicit PulseDaemon() {
        const QString notify = dir_.filePath(QStringLiteral("notify"));
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        std::strncpy(at.sun_path, QFile::encodeName(notify).constData(), sizeof at.sun_path - 1);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) qFatal("cannot bind %s", qPrintable(notify));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"}) env.insert(name, dir_.path());
        env.insert(QStringLiteral("NOTIFY_SOCKET"), notify);
        env.remove(QStringLiteral("PULSE_SERVER"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Root or not, no sound card, no D-Bus: a daemon with nothing but its sink and its socket.
        process_.start(QStringLiteral("pulseaudio"),
                       {"--daemonize=no", "--system=false", "-n", "--exit-idle-time=-1", "--disable-shm=yes",
                        "--use-pid-file=no", "--log-target=stderr", "--log-level=error",
                        "--load=module-null-sink sink_name=vhftest rate=48000",
                        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket()});
    }
    ~PulseDaemon() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate(); // SIGTERM to its pid
            if (!process_.waitForFinished(30000)) process_.kill();
            process_.waitForFinished();
        }
        ::close(fd_);
    }
    // Waits for READY=1; false when the daemon ended instead.
    bool ready() {
        pollfd p{fd_, POLLIN, 0};
        char text[64] = {};
        if (!process_.waitForStarted(30000) || ::poll(&p, 1, 30000) != 1) return false;
        return ::recv(fd_, text, sizeof text - 1, 0) > 0 && QByteArray(text).contains("READY=1");
    }
    QString server() const { return QStringLiteral("unix:") + socket(); }
    QString socket() const { return dir_.filePath(QStringLiteral("native")); }
    // Runs a PulseAudio tool against this server to its end; its exit status.
    int tool(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(program, QStringList{"--server=" + server()} + args);
        return p.waitForFinished(60000) ? p.exitCode() : -1;
    }

private:
    QTemporaryDir dir_;
    int fd_ = -1;
    QProcess process_;
};

} // namespace

class ReceiverTest : public QObject {
    Q_OBJECT

private slots:
    // One recording of each kind a receiver or a sound editor makes: the same call comes out.
    void everyKindOfRecording_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("format");
        QTest::newRow("WAV, 16-bit, 48 kHz") << 48000 << 1 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("WAV, 16-bit, 44.1 kHz") << 44100 << 1 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("WAV, 8 kHz") << 8000 << 1 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("WAV, 24-bit, 96 kHz") << 96000 << 1 << (SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        QTest::newRow("WAV, stereo, the call on the right") << 22050 << 2 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("FLAC, 44.1 kHz") << 44100 << 1 << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
        QTest::newRow("Ogg Vorbis, 48 kHz") << 48000 << 1 << (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        QTest::newRow("AIFF, 16 kHz") << 16000 << 1 << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
        QTest::newRow("Ogg Opus, 48 kHz") << 48000 << 1 << (SF_FORMAT_OGG | SF_FORMAT_OPUS);
    }
    void everyKindOfRecording() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, format);
        QTemporaryDir dir;
        const std::vector<float> mono = burstAt(kAlert, rate);
        std::vector<float> frames(mono.size() * size_t(channels), 0.f);
        for (size_t i = 0; i < mono.size(); ++i) frames[i * size_t(channels) + size_t(channels - 1)] = mono[i];
        const QString path = dir.filePath(QStringLiteral("call"));
        QVERIFY(writeSound(path, frames, channels, rate, format));
        QList<Decoded> found;
        QString error;
        QVERIFY2(decodeFile(path, [&found](const Decoded& d) { found << d; }, &error), qPrintable(error));
        QCOMPARE(found.size(), 1);
        QVERIFY2(found[0].ok(), qPrintable(found[0].error));
        QCOMPARE(*found[0].message, kAlert);
    }

    void rawStreamsAndUnreadableFiles() {
        // Raw samples in pieces of odd sizes, at 11025 Hz.
        const QByteArray raw = rawBytes(burstAt(kCall, 11025));
        QList<Decoded> found;
        RawDecoder decoder(11025, [&found](const Decoded& d) { found << d; });
        for (qsizetype at = 0; at < raw.size(); at += 333) decoder.feed(raw.constData() + at, std::min<qsizetype>(333, raw.size() - at));
        decoder.finish();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].message, std::optional<Message>(kCall));

        QTemporaryDir dir;
        const QString slow = dir.filePath(QStringLiteral("slow.wav"));
        QVERIFY(writeSound(slow, burstAt(kCall, 6000), 1, 6000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
        QString error;
        QVERIFY(!decodeFile(slow, [](const Decoded&) {}, &error));
        QCOMPARE(error, QStringLiteral("the sample rate is 6000 Hz; at least 8000 Hz is needed"));
        QVERIFY(!decodeFile(dir.filePath(QStringLiteral("missing.wav")), [](const Decoded&) {}, &error));
        QCOMPARE(error, QStringLiteral("no such file"));
    }

    // A pipe from a receiver: each call's line comes out while the input is still open.
    void streamTellsEachCallAsItEnds() {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VHF_TRAINER_PROGRAM), {"--decode", "-", "--rate", "44100"});
        QVERIFY(p.waitForStarted(30000));
        const QList<std::pair<Message, QString>> calls{
            {kAlert, QStringLiteral("distress: Distress alert, from 316123456, nature: Flooding")},
            {kCall, QStringLiteral("routine: Individual call, to 366232323, from 316123456")}};
        for (const auto& [message, line] : calls) {
            p.write(rawBytes(burstAt(message, 44100, 3000, 4800)));
            QVERIFY2(p.waitForReadyRead(60000), "no line while the input is open");
            while (!p.canReadLine()) QVERIFY(p.waitForReadyRead(60000));
            const QString heard = QString::fromUtf8(p.readLine());
            QVERIFY2(heard.startsWith(line), qPrintable(heard));
            QCOMPARE(p.state(), QProcess::Running);
        }
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }

    // The window listens to the monitor of a null sink that a burst is played into: the call is
    // listed as heard by the receiver and reported as NMEA; the sink's removal stops it with a message.
    void listensToASoundInput() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty(),
                 "pulseaudio is not on PATH: run scripts/install-deps");
        PulseDaemon daemon;
        QVERIFY2(daemon.ready(), "the PulseAudio daemon did not start");
        qputenv("PULSE_SERVER", daemon.server().toUtf8());
        Harness h;
        QVERIFY(h.c().nmea->start(QStringLiteral("127.0.0.1"), 0));
        QTcpSocket plotter;
        plotter.connectToHost(QHostAddress::LocalHost, h.c().nmea->port());
        QVERIFY(plotter.waitForConnected(10000));
        QVERIFY(QTest::qWaitFor([&] { return h.c().nmea->clientCount() == 1; }, 10000));

        h.c().dscMessages->show();
        screens::ReceiverPanel& panel = *h.c().dscMessages->receiver();
        const int monitor = panel.input->findText(QStringLiteral("vhftest.monitor"));
        QVERIFY2(monitor >= 0, "the null sink's monitor is not among the inputs");
        panel.input->setCurrentIndex(monitor);
        h.click(panel.listen);
        QCOMPARE(panel.listen->text(), QStringLiteral("Stop"));
        QVERIFY(panel.receiver().listening());

        QTemporaryDir dir;
        const QString wav = dir.filePath(QStringLiteral("alert.wav"));
        // A second of silence first: a new stream's start is mixed into what the sink has already
        // rendered ahead (a rewind), and the monitor, which handed that on, loses that part.
        QVERIFY(writeSound(wav, burstAt(kAlert, 48000, 48000, 24000), 1, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
        QSignalSpy heard(&panel.receiver(), &air::Receiver::callHeard);
        QCOMPARE(daemon.tool(QStringLiteral("paplay"), {"--device=vhftest", wav}), 0);
        QVERIFY(heard.count() == 1 || heard.wait(30000));
        const air::Transmission& t = h.c().air->log().back();
        QCOMPARE(t.source, air::Source::Receiver);
        QCOMPARE(t.message, kAlert);
        QTableWidget* list = h.c().dscMessages->window()->list;
        QCOMPARE(list->item(list->rowCount() - 1, DscMessages::Direction)->text(), QStringLiteral("Receiver"));
        QVERIFY(plotter.waitForReadyRead(10000) || plotter.canReadLine());
        while (!plotter.canReadLine()) QVERIFY(plotter.waitForReadyRead(10000));
        QVERIFY(plotter.readLine().startsWith("$CDDSC,12,3161234560,12,01,00,1422107055,1432,"));

        // Stopped and started again at will.
        h.click(panel.listen);
        QVERIFY(!panel.receiver().listening());
        QCOMPARE(panel.listen->text(), QStringLiteral("Listen"));
        h.click(panel.listen);
        QVERIFY(panel.receiver().listening());

        QSignalSpy stopped(&panel.receiver(), &air::Receiver::stopped);
        QCOMPARE(daemon.tool(QStringLiteral("pactl"), {"unload-module", "module-null-sink"}), 0);
        QVERIFY(stopped.wait(30000));
        QVERIFY(!panel.receiver().listening());
        QCOMPARE(panel.listen->text(), QStringLiteral("Listen"));
        QVERIFY2(h.messages.texts().last().startsWith("The receiver stopped listening to vhftest.monitor: "),
                 qPrintable(h.messages.texts().join('|')));
        qunsetenv("PULSE_SERVER");
    }
};

TRAINER_TEST_MAIN(ReceiverTest)
#include "tst_receiver.moc"
