// The platform layer: virtual time and timers, the one timed wait, cue playback with its file
// lookup and its faults, the generated cue files, the screen mode off X11 and the display check.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/AudioFile.h"
#include "platform/Display.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/VirtualClock.h"
#include "platform/Wait.h"
#include "platform/XRandrScreenMode.h"
#include "platform/doubles/Doubles.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtEndian>

#include <sndfile.h>

#include <cstdlib>
#include <optional>
#include <unistd.h>

using platform::VirtualClock;

namespace {

// Sets (or unsets, with nullptr) an environment variable for one scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = QByteArray(old);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvGuard() {
        if (old_)
            setenv(name_, old_->constData(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// A RIFF/WAVE file of 16-bit PCM with the header fields given (they may lie), and dataBytes of
// a quiet square wave after it.
QByteArray wav(int channels, quint32 rate, int bits, quint32 declaredDataBytes, int dataBytes) {
    QByteArray b;
    auto u32 = [&](quint32 v) { b.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4); };
    auto u16 = [&](quint16 v) { b.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2); };
    b.append("RIFF");
    u32(36 + declaredDataBytes);
    b.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(quint16(channels));
    u32(rate);
    u32(rate * quint32(channels) * quint32(bits / 8));
    u16(quint16(channels * bits / 8));
    u16(quint16(bits));
    b.append("data");
    u32(declaredDataBytes);
    for (int i = 0; i < dataBytes; ++i) b.append(char((i / 40) % 2 ? 0x10 : 0xf0));
    return b;
}

// A valid mono 16-bit file of ms milliseconds at 22050 Hz.
QByteArray wavOfMs(int ms) {
    const int bytes = 22050 * ms / 1000 * 2;
    return wav(1, 22050, 16, quint32(bytes), bytes);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// Runs the cue player with no sound server reachable, in a fresh temporary current directory.
class SilentServer {
public:
    SilentServer() : env_("PULSE_SERVER", "unix:/nonexistent/vhf-no-server") {
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    ~SilentServer() { QDir::setCurrent(previous_); }
    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;

private:
    EnvGuard env_;
    QString previous_;
};

// How much virtual time one play of the file takes.
qint64 playTime(platform::PulseSound& sound, VirtualClock& clock, const QString& name) {
    const qint64 before = clock.tickMs();
    sound.playFile(name);
    return clock.tickMs() - before;
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // ---- virtual time ----

    void virtualClockFiresTimersAndActionsInTimeOrder() {
        VirtualClock clock;
        QStringList log;
        auto t = clock.createTimer();
        t->setInterval(300);
        t->onTick = [&] { log << QString("tick@%1").arg(clock.tickMs()); };
        t->setEnabled(true);
        clock.at(500, [&] { log << QString("a@%1").arg(clock.tickMs()); });
        clock.at(500, [&] { log << QString("b@%1").arg(clock.tickMs()); });
        clock.at(100, [&] { log << QString("c@%1").arg(clock.tickMs()); });
        clock.advance(700);
        QCOMPARE(log, QStringList({"c@100", "tick@300", "a@500", "b@500", "tick@600"}));
        QCOMPARE(clock.tickMs(), qint64(700));
        QCOMPARE(clock.now(), QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0, 700)));
    }

    void enablingOrChangingIntervalRestartsThePeriod() {
        VirtualClock clock;
        std::vector<qint64> ticks;
        auto t = clock.createTimer();
        t->setInterval(1000);
        t->onTick = [&] { ticks.push_back(clock.tickMs()); };
        t->setEnabled(true);
        clock.at(700, [&] { t->setEnabled(true); });    // already on: starts afresh, due at 1700
        clock.at(1500, [&] { t->setInterval(400); }); // running: due at 1900, then every 400
        clock.advance(2400);
        QCOMPARE(ticks, std::vector<qint64>({1900, 2300}));
        t->setEnabled(false);
        clock.advance(5000);
        QCOMPARE(ticks.size(), size_t(2));
    }

    void pauseMovesTimeButFiresNothingUntilEventsRun() {
        VirtualClock clock;
        int fired = 0;
        clock.at(200, [&] { ++fired; });
        clock.pause(1000);
        QCOMPARE(clock.tickMs(), qint64(1000));
        QCOMPARE(fired, 0);
        clock.runPendingEvents(clock.tickMs());
        QCOMPARE(fired, 1);
        QCOMPARE(clock.tickMs(), qint64(1000));
    }

    // ---- the computer's clock, run faster ----

    // At speed 20 a timer of the clock keeps its interval in clock milliseconds while the Qt timer
    // beneath runs a twentieth of it; waits convert the same way, rounded up so that a wake-up
    // never comes before its tick, and real time turns into twenty times as much clock time.
    void fasterClockScalesTimersAndWaits() {
        platform::RealClock clock(20);
        auto timer = clock.createTimer();
        timer->setInterval(5000);
        QCOMPARE(timer->interval(), 5000);
        QCOMPARE(static_cast<platform::RealClock::RealTimer*>(timer.get())->realIntervalMs(), 250);
        QCOMPARE(clock.realMs(1000), qint64(50));
        QCOMPARE(clock.realMs(30), qint64(2));
        QCOMPARE(clock.clockMs(50 * 1000 * 1000), qint64(1000));
        // At real speed nothing is converted.
        platform::RealClock real;
        QCOMPARE(real.realMs(1234), qint64(1234));
        QCOMPARE(real.clockMs(1234 * 1000 * 1000), qint64(1234));
    }

    // ---- the timed wait ----

    void timedWaitStepsOncePerSecond_data() {
        QTest::addColumn<int>("periodMs");
        QTest::addColumn<int>("steps");
        QTest::newRow("five seconds") << 5000 << 4;
        QTest::newRow("ten seconds (reply alarm)") << 10000 << 9;
        QTest::newRow("10 ms (power off)") << 10 << 0;
    }
    void timedWaitStepsOncePerSecond() {
        QFETCH(int, periodMs);
        QFETCH(int, steps);
        VirtualClock clock;
        auto timer = clock.createTimer();
        timer->setInterval(platform::kWaitPeriodMs);
        timer->onTick = [&] { timer->setEnabled(false); };
        platform::WaitCounters counters;
        std::vector<qint64> stepTicks;
        std::vector<int> counterAtStep;
        platform::timedWait(clock, *timer, periodMs, counters, [&] {
            stepTicks.push_back(clock.tickMs());
            counterAtStep.push_back(counters.SecondsCounter);
        });
        QCOMPARE(int(stepTicks.size()), steps);
        for (int i = 0; i < steps; ++i) {
            QCOMPARE(stepTicks[i], qint64(1000) * (i + 1));
            QCOMPARE(counterAtStep[i], i + 1);
        }
        QCOMPARE(clock.tickMs(), qint64(periodMs));
        QCOMPARE(counters.SecondsCounter, steps + 1);
        QVERIFY(!timer->isEnabled());
        QCOMPARE(timer->interval(), platform::kWaitPeriodMs);
    }

    // On a real clock the period's tick can come a little after the period has run out, behind
    // other events or in the same millisecond as the wait's own wake-up. The count of a five-second
    // wait still ends at four steps (the hold key must not show a fifth second).
    void aLateTickGivesNoExtraStep_data() {
        QTest::addColumn<int>("lateMs");
        QTest::newRow("on time") << 0;
        QTest::newRow("1 ms late") << 1;
        QTest::newRow("40 ms late") << 40;
        QTest::newRow("999 ms late") << 999;
    }
    void aLateTickGivesNoExtraStep() {
        QFETCH(int, lateMs);
        VirtualClock clock;
        // Runs out `due` milliseconds after it was enabled; its tick is delivered lateMs later.
        class LateTimer : public platform::Timer {
        public:
            LateTimer(VirtualClock& c, int late) : clock_(c), late_(late) {}
            void setInterval(int ms) override {
                interval_ = ms;
                if (enabled_) restart();
            }
            int interval() const override { return interval_; }
            void setEnabled(bool on) override {
                enabled_ = on;
                if (on) restart();
            }
            bool isEnabled() const override { return enabled_; }
            int remainingMs() const override {
                return enabled_ ? int(std::max<qint64>(0, due_ - clock_.tickMs())) : 0;
            }

        private:
            void restart() {
                due_ = clock_.tickMs() + interval_;
                const int period = ++period_;
                clock_.at(due_ + late_, [this, period] {
                    if (enabled_ && period == period_ && onTick) onTick();
                });
            }
            VirtualClock& clock_;
            int late_;
            int interval_ = 0;
            bool enabled_ = false;
            qint64 due_ = 0;
            int period_ = 0;
        } timer(clock, lateMs);
        timer.onTick = [&] { timer.setEnabled(false); };
        platform::WaitCounters counters;
        std::vector<qint64> steps;
        platform::timedWait(clock, timer, 5000, counters, [&] { steps.push_back(clock.tickMs()); });
        QCOMPARE(steps, std::vector<qint64>({1000, 2000, 3000, 4000}));
        QCOMPARE(counters.SecondsCounter, 5);
        QCOMPARE(clock.tickMs(), qint64(5000 + lateMs));
    }

    void reenablingTheTimerInsideAWaitExtendsIt() {
        VirtualClock clock;
        auto timer = clock.createTimer();
        timer->setInterval(5000);
        timer->onTick = [&] { timer->setEnabled(false); };
        platform::WaitCounters counters;
        // A nested wait that starts at 2.5 s enables the shared timer afresh: the outer wait,
        // which would have ended at 5 s, ends with it at 7.5 s.
        std::vector<qint64> innerSteps, outerSteps;
        qint64 innerEnd = -1;
        clock.at(2500, [&] {
            platform::timedWait(clock, *timer, 5000, counters, [&] { innerSteps.push_back(clock.tickMs()); });
            innerEnd = clock.tickMs();
        });
        platform::timedWait(clock, *timer, 5000, counters, [&] { outerSteps.push_back(clock.tickMs()); });
        QCOMPARE(innerEnd, qint64(7500));
        QCOMPARE(clock.tickMs(), qint64(7500));
        QCOMPARE(innerSteps, std::vector<qint64>({3500, 4500, 5500, 6500}));
        // The outer wait stepped at 1 s and 2 s, and not again once the inner wait had ended.
        QCOMPARE(outerSteps, std::vector<qint64>({1000, 2000}));
        QCOMPARE(clock.maxDepth(), 2);
    }

    void plainReenableFromAHandlerExtendsTheWait() {
        VirtualClock clock;
        auto timer = clock.createTimer();
        timer->setInterval(5000);
        timer->onTick = [&] { timer->setEnabled(false); };
        platform::WaitCounters counters;
        clock.at(3000, [&] { timer->setEnabled(true); });
        int steps = 0;
        platform::timedWait(clock, *timer, 5000, counters, [&] { ++steps; });
        QCOMPARE(clock.tickMs(), qint64(8000));
        QCOMPARE(steps, 7);
    }

    void stopEarlyEndsTheWaitAtOnce() {
        VirtualClock clock;
        auto timer = clock.createTimer();
        timer->setInterval(5000);
        timer->onTick = [&] { timer->setEnabled(false); };
        platform::WaitCounters counters;
        bool letGo = false;
        clock.at(2300, [&] { letGo = true; });
        int steps = 0;
        platform::timedWait(clock, *timer, 5000, counters, [&] { ++steps; }, [&] { return letGo; });
        QCOMPARE(clock.tickMs(), qint64(2300));
        QCOMPARE(steps, 2);
        QCOMPARE(counters.SecondsCounter, 3);
    }

    // ---- cue playback ----

    void playSoundCuePlaysBackToBack_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("lengthMs");
        QTest::newRow("phone ten times") << "Phone.wav" << 10 << 500;
        QTest::newRow("burglar twice") << "Burglar.wav" << 2 << 700;
        QTest::newRow("shutdown once") << "Shutdown.wav" << 1 << 900;
        QTest::newRow("zero times") << "Chimes.wav" << 0 << 800;
        QTest::newRow("negative count") << "Boing.wav" << -3 << 600;
    }
    void playSoundCuePlaysBackToBack() {
        QFETCH(QString, file);
        QFETCH(int, times);
        QFETCH(int, lengthMs);
        VirtualClock clock;
        platform::FakeSound sound(clock);
        platform::PlaySoundCue(sound, file, times);
        const int n = std::max(times, 0);
        QCOMPARE(int(sound.plays.size()), n);
        for (int i = 0; i < n; ++i) {
            QCOMPARE(sound.plays[i].file, file);
            QCOMPARE(sound.plays[i].startMs, qint64(i) * lengthMs);
        }
        QCOMPARE(clock.tickMs(), qint64(n) * lengthMs);
    }

    void generatedCueFilesAreShortMonoSounds_data() {
        QTest::addColumn<QString>("file");
        for (const char* f : {"Burglar.wav", "Boing.wav", "Phone.wav", "Chimes.wav", "Shutdown.wav"})
            QTest::newRow(f) << QString(f);
    }
    void generatedCueFilesAreShortMonoSounds() {
        QFETCH(QString, file);
        const QString path = QDir(VHF_BUILD_SOUNDS_DIR).filePath(file);
        SF_INFO info{};
        SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        QVERIFY2(f, qPrintable(path));
        std::vector<short> samples(size_t(info.frames) * size_t(info.channels));
        const sf_count_t got = sf_readf_short(f, samples.data(), info.frames);
        sf_close(f);
        QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QCOMPARE(info.channels, 1);
        QCOMPARE(info.samplerate, 22050);
        QCOMPARE(got, info.frames);
        const double seconds = double(info.frames) / info.samplerate;
        QVERIFY2(seconds >= 0.5 && seconds <= 1.5, qPrintable(QString::number(seconds)));
        // Not silence: a real cue reaches a good share of full scale.
        int peak = 0;
        for (short s : samples) peak = std::max(peak, std::abs(int(s)));
        QVERIFY2(peak > 8000, qPrintable(QString::number(peak)));

        // Without a sound server, playing it takes exactly its decoded length.
        SilentServer noServer;
        VirtualClock clock;
        platform::PulseSound sound(clock);
        QCOMPARE(playTime(sound, clock, file), qint64(info.frames * 1000 / info.samplerate));
    }

    void missingFilePlaysNothingAtOnce() {
        SilentServer noServer;
        VirtualClock clock;
        platform::PulseSound sound(clock);
        QCOMPARE(playTime(sound, clock, "NoSuchCue.wav"), qint64(0));
        QDir(noServer.dir.path()).mkdir("Folder.wav"); // a folder of that name is no sound either
        QCOMPARE(playTime(sound, clock, "Folder.wav"), qint64(0));
        platform::PlaySoundCue(sound, "NoSuchCue.wav", 10);
        QCOMPARE(clock.tickMs(), qint64(0));
    }

    void currentDirectoryComesFirstAndChangedFilesAreReread() {
        SilentServer noServer;
        VirtualClock clock;
        platform::PulseSound sound(clock);
        // A file of the current directory stands in for the generated cue of that name.
        writeFile(noServer.file("Phone.wav"), wavOfMs(200));
        QCOMPARE(playTime(sound, clock, "Phone.wav"), qint64(200));
        QCOMPARE(playTime(sound, clock, "Phone.wav"), qint64(200));
        writeFile(noServer.file("Phone.wav"), wavOfMs(1200));
        QCOMPARE(playTime(sound, clock, "Phone.wav"), qint64(1200));
        // Gone from the current directory: the generated one plays again.
        QFile::remove(noServer.file("Phone.wav"));
        const qint64 generated = playTime(sound, clock, "Phone.wav");
        QVERIFY(generated >= 500 && generated <= 1500);
        platform::PlaySoundCue(sound, "Phone.wav", 3);
        QCOMPARE(clock.tickMs(), 200 + 200 + 1200 + 4 * generated);
    }

    // Where cue files are looked for: the current directory, the installed folder beside the
    // program, the configured prefix's folder, and the build tree's only for a program inside it.
    void soundSearchDirsOrder_data() {
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("cwd");
        QTest::addColumn<QStringList>("expected");
        const QString prefixDir = "/usr/local/share/vhf-dsc-trainer/sounds";
        const QString buildSounds = "/home/ann/src/build/sounds";
        QTest::newRow("installed program")
            << "/usr/bin" << "/home/ann"
            << QStringList{"/home/ann", "/usr/share/vhf-dsc-trainer/sounds", prefixDir};
        QTest::newRow("installed to another prefix")
            << "/opt/vhf/bin" << "/tmp/x"
            << QStringList{"/tmp/x", "/opt/vhf/share/vhf-dsc-trainer/sounds", prefixDir};
        QTest::newRow("program in the build folder")
            << "/home/ann/src/build" << "/home/ann"
            << QStringList{"/home/ann", "/home/ann/src/share/vhf-dsc-trainer/sounds", prefixDir, buildSounds};
        QTest::newRow("test below the build folder")
            << "/home/ann/src/build/tests" << "/home/ann/src/build/tests"
            << QStringList{"/home/ann/src/build/tests", "/home/ann/src/build/share/vhf-dsc-trainer/sounds",
                           prefixDir, buildSounds};
        QTest::newRow("another build folder of the same name stem")
            << "/home/ann/src/build-asan" << "/home/ann"
            << QStringList{"/home/ann", "/home/ann/src/share/vhf-dsc-trainer/sounds", prefixDir};
        QTest::newRow("the folder above the build folder")
            << "/home/ann/src" << "/home/ann"
            << QStringList{"/home/ann", "/home/ann/share/vhf-dsc-trainer/sounds", prefixDir};
        QTest::newRow("installed into a stage inside the build folder")
            << "/home/ann/src/build/stage/bin" << "/"
            << QStringList{"/", "/home/ann/src/build/stage/share/vhf-dsc-trainer/sounds", prefixDir, buildSounds};
        QTest::newRow("paths not in clean form")
            << "/home/ann/src/build/./tests/" << "/home/ann//work/"
            << QStringList{"/home/ann/work", "/home/ann/src/build/share/vhf-dsc-trainer/sounds", prefixDir,
                           buildSounds};
        QTest::newRow("no application object")
            << QString() << "/home/ann" << QStringList{"/home/ann", prefixDir};
        QTest::newRow("current directory is the installed folder")
            << "/usr/bin" << "/usr/share/vhf-dsc-trainer/sounds"
            << QStringList{"/usr/share/vhf-dsc-trainer/sounds", prefixDir};
        QTest::newRow("installed to the configured prefix")
            << "/usr/local/bin" << "/home/ann" << QStringList{"/home/ann", prefixDir};
    }
    void soundSearchDirsOrder() {
        QFETCH(QString, appDir);
        QFETCH(QString, cwd);
        QFETCH(QStringList, expected);
        QCOMPARE(platform::soundSearchDirs(appDir, cwd, "/usr/local/share/vhf-dsc-trainer/sounds",
                                           "/home/ann/src/build", "/home/ann/src/build/sounds"),
                 expected);
    }

    // The folders this program was built with: the tests, inside the build folder, find its cues;
    // a program installed elsewhere never does.
    void soundSearchDirsOfThisBuild() {
        const QString buildSounds = QDir::cleanPath(VHF_BUILD_SOUNDS_DIR);
        const QString prefixDir = QDir::cleanPath(VHF_SOUNDS_DIR);
        const QStringList here = platform::soundSearchDirs(QCoreApplication::applicationDirPath(), "/tmp");
        QCOMPARE(here.first(), QString("/tmp"));
        QVERIFY2(QFileInfo(here.last()) == QFileInfo(buildSounds), qPrintable(here.join(", ")));
        QVERIFY(QFileInfo::exists(here.last() + "/Shutdown.wav"));

        QTemporaryDir elsewhere; // a program outside the build folder
        QVERIFY(elsewhere.isValid());
        const QString bin = elsewhere.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        const QStringList installed = platform::soundSearchDirs(bin, "/tmp");
        QStringList expected{"/tmp", QFileInfo(elsewhere.path()).canonicalFilePath() + "/share/vhf-dsc-trainer/sounds"};
        if (!expected.contains(prefixDir)) expected << prefixDir;
        QCOMPARE(installed, expected);
        QVERIFY(!installed.contains(buildSounds));
    }

    // QT_LOGGING_RULES="vhf.sound.debug=true" tells where every cue came from.
    void soundLogShowsWhereCuesComeFrom() {
        QCOMPARE(platform::lcSound().categoryName(), "vhf.sound");
        // Quiet unless asked for.
        if (!qEnvironmentVariable("QT_LOGGING_RULES").contains("vhf.sound"))
            QVERIFY(!platform::lcSound().isDebugEnabled());
        QVERIFY(platform::lcSound().isWarningEnabled());
        QLoggingCategory::setFilterRules("vhf.sound.debug=true");
        QVERIFY(platform::lcSound().isDebugEnabled());
        struct Reset {
            ~Reset() { QLoggingCategory::setFilterRules(QString()); }
        } reset;
        SilentServer noServer;
        writeFile(noServer.file("Phone.wav"), wavOfMs(200));
        VirtualClock clock;
        platform::PulseSound sound(clock);
        const QString here = QFileInfo(noServer.file("Phone.wav")).absoluteFilePath();
        QTest::ignoreMessage(QtDebugMsg, qPrintable("cue Phone.wav from " + here));
        QCOMPARE(playTime(sound, clock, "Phone.wav"), qint64(200));
        const QString generated = QFileInfo(QDir(VHF_BUILD_SOUNDS_DIR), "Boing.wav").absoluteFilePath();
        QTest::ignoreMessage(QtDebugMsg, qPrintable("cue Boing.wav from " + generated));
        QVERIFY(playTime(sound, clock, "Boing.wav") > 0);
        QTest::ignoreMessage(QtDebugMsg, "cue NoSuchCue.wav not found");
        QCOMPARE(playTime(sound, clock, "NoSuchCue.wav"), qint64(0));
    }

    void damagedFilesPlaySilence_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("maxMs");
        const QByteArray good = wavOfMs(300);
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("header cut short") << good.left(22) << 0;
        QTest::newRow("header without data") << good.left(44) << 0;
        QTest::newRow("text, not a wave") << QByteArray("Ahoy, this is no sound at all.\n").repeated(40) << 0;
        QTest::newRow("RIFF of another kind") << QByteArray("RIFF\x20\0\0\0AVI LIST", 16) + QByteArray(64, 'x') << 0;
        QTest::newRow("zero channels") << wav(0, 22050, 16, 4410, 4410) << 0;
        QTest::newRow("300 channels") << wav(300, 22050, 16, 6000, 6000) << 0;
        QTest::newRow("sample rate 0") << wav(1, 0, 16, 4410, 4410) << 0;
        QTest::newRow("sample rate 2 Hz: an hour of sound") << wav(1, 2, 16, 14400, 14400) << 0;
        QTest::newRow("sample rate 4 GHz") << wav(1, 0xFFFFFFFFu, 16, 4410, 4410) << 0;
        QTest::newRow("zero bits per sample") << wav(1, 22050, 0, 4410, 4410) << 0;
        QTest::newRow("longer than half a minute") << wavOfMs(31000) << 0;
        // A data chunk that claims more than the file holds: at most what is there plays.
        QTest::newRow("data cut short") << wav(1, 22050, 16, 22050 * 2, 4410) << 100;
        QTest::newRow("absurd data size") << wav(1, 22050, 16, 0xFFFFFFF0u, 4410) << 100;
    }
    void damagedFilesPlaySilence() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxMs);
        SilentServer noServer;
        writeFile(noServer.file("Damaged.wav"), bytes);
        VirtualClock clock;
        platform::PulseSound sound(clock);
        const qint64 took = playTime(sound, clock, "Damaged.wav");
        QVERIFY2(took >= 0 && took <= maxMs, qPrintable(QString::number(took)));
        // Played again from the cache: the same.
        QCOMPARE(playTime(sound, clock, "Damaged.wav"), took);
    }

    void beepsNeverBlockAndStopWithThePlayer() {
        SilentServer noServer;
        VirtualClock clock;
        QElapsedTimer wall;
        wall.start();
        {
            platform::PulseSound sound(clock);
            for (int i = 0; i < 50; ++i) sound.beep();
            // Playing a cue while beeps are pending works as ever.
            writeFile(noServer.file("Short.wav"), wavOfMs(400));
            QCOMPARE(playTime(sound, clock, "Short.wav"), qint64(400));
        } // the worker is stopped and joined here, queued beeps dropped
        QCOMPARE(clock.tickMs(), qint64(400));
        QVERIFY2(wall.elapsed() < 5000, "the beep worker held up the player");
    }

    // Samples go to the same worker: with no server they do not stand in for their length as a
    // cue does (no time passes), and whatever is queued is dropped with the player.
    void samplesTakeNoTime() {
        SilentServer noServer;
        VirtualClock clock;
        {
            platform::PulseSound sound(clock);
            const QList<qint16> tenSeconds(480000, qint16(1000));
            for (int i = 0; i < 20; ++i) sound.playSamples(tenSeconds, 48000);
            sound.playSamples({}, 48000);           // nothing to play
            sound.playSamples(tenSeconds, 0);       // no rate: nothing
            sound.beep();
            QCOMPARE(clock.tickMs(), qint64(0));
        }
        QCOMPARE(clock.tickMs(), qint64(0));
    }

    // ---- screen mode and display ----

    void screenModeOffX11DoesNothing() {
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        platform::XRandrScreenMode screen;
        const QSize before = screen.screenSize();
        QVERIFY(before.isValid());
        QCOMPARE(before, QGuiApplication::primaryScreen()->geometry().size());
        platform::SetDisplayMode(screen, 800.4f, 599.6f);
        screen.setMode(1024, 768);
        screen.setMode(0, -5);
        QCOMPARE(screen.screenSize(), before);
    }

    void displayAvailable_data() {
        QTest::addColumn<QByteArray>("qpa"); // "-" for unset
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("windowSystem"); // Qt will open its windows on X11 or Wayland
        const QByteArray none = "-";
        const QByteArray noServer = ":4711"; // no X server answers there
        QTest::newRow("offscreen") << QByteArray("offscreen") << none << none << true << false;
        QTest::newRow("minimal") << QByteArray("minimal") << none << none << true << false;
        QTest::newRow("vnc with options") << QByteArray("vnc:size=800x600") << none << none << true << false;
        QTest::newRow("xcb, then offscreen") << QByteArray("xcb;offscreen") << none << none << true << true;
        QTest::newRow("nothing at all") << none << none << none << false << true;
        QTest::newRow("empty DISPLAY") << none << QByteArray("") << none << false << true;
        QTest::newRow("DISPLAY with no server") << none << noServer << none << false << true;
        QTest::newRow("xcb with no server") << QByteArray("xcb") << noServer << none << false << true;
        QTest::newRow("Wayland session") << none << none << QByteArray("wayland-0") << true << true;
        QTest::newRow("wayland asked, none there") << QByteArray("wayland") << noServer << none << false << true;
        QTest::newRow("xcb asked on Wayland only") << QByteArray("xcb") << none << QByteArray("wayland-0") << false << true;
    }
    void displayAvailable() {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(bool, available);
        QFETCH(bool, windowSystem);
        QVERIFY(!QFile::exists("/tmp/.X11-unix/X4711"));
        auto value = [](const QByteArray& v) { return v == "-" ? nullptr : v.constData(); };
        EnvGuard a("QT_QPA_PLATFORM", value(qpa)), b("DISPLAY", value(display)), c("WAYLAND_DISPLAY", value(wayland));
        QCOMPARE(platform::displayAvailable(), available);
        QCOMPARE(platform::windowSystemPlatform(), windowSystem);
    }

    // With no display to open, the program says so in one line and ends with status 1.
    void programWithoutDisplayExitsWithStatusOne_data() {
        QTest::addColumn<QString>("display");
        QTest::newRow("no DISPLAY") << QString();
        QTest::newRow("DISPLAY naming no server") << QString(":4711");
    }
    void programWithoutDisplayExitsWithStatusOne() {
        QFETCH(QString, display);
        const QString program = QCoreApplication::applicationDirPath() + "/../vhf-dsc-trainer";
        if (!QFileInfo(program).isExecutable()) QSKIP("the program is not built next to the tests");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        env.remove("DISPLAY");
        if (!display.isEmpty()) env.insert("DISPLAY", display);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QList<QByteArray> lines = p.readAllStandardError().trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().contains("display"));
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }

    // A sound written as WAV, FLAC and Opus reads back whole at another rate, at its loudness.
    void audioFilesRoundTrip_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("WAV") << int(platform::AudioFormat::Wav);
        QTest::newRow("FLAC") << int(platform::AudioFormat::Flac);
        QTest::newRow("Opus") << int(platform::AudioFormat::Opus);
    }
    void audioFilesRoundTrip() {
        QFETCH(int, format);
        std::vector<float> tone(48000);
        for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5f * float(std::sin(2 * M_PI * 440 * double(i) / 48000));
        QTemporaryDir dir;
        const QString path = dir.filePath("tone");
        QString error;
        QVERIFY2(platform::writeAudioFile(path, tone, 48000, platform::AudioFormat(format), &error), qPrintable(error));
        const std::vector<float> back = platform::readMono(path, 16000, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(std::abs(int(back.size()) - 16000) < 200, qPrintable(QString::number(back.size())));
        double energy = 0;
        for (size_t i = 2000; i < 14000; ++i) energy += double(back[i]) * back[i];
        QVERIFY2(std::abs(std::sqrt(energy / 12000) - 0.5 / std::sqrt(2.0)) < 0.03, "the tone's loudness changed");
        QVERIFY(platform::readMono(dir.filePath("missing"), 16000, &error).empty());
        QVERIFY(!error.isEmpty());
    }
};

TRAINER_TEST_MAIN(PlatformTest)
#include "tst_platform.moc"
