// vhf-dsc-trainer: a marine VHF radio with a DSC controller, for GMDSS training.
#include "app/ClassroomSession.h"
#include "app/Control.h"
#include "app/ExamOptions.h"
#include "core/Form.h"
#include "app/Lessons.h"
#include "app/RecordingTools.h"
#include "app/NmeaOutput.h"
#include "app/Trainer.h"
#include "air/NmeaServer.h"
#include "air/Voice.h"
#include "calls/CallSequence.h"
#include "classroom/Settings.h"
#include "dscwire/Codec.h"
#include "dscwire/Receiver.h"
#include "lessons/Exercise.h"
#include "lessons/Lesson.h"
#include "lessons/Recorder.h"
#include "platform/Display.h"
#include "platform/FirstFrame.h"
#include "platform/FontsAhead.h"
#include "platform/MessageBox.h"
#include "platform/Microphone.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/XRandrScreenMode.h"
#include "screens/ExercisePanel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QScreen>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <fontconfig/fontconfig.h>
#include <malloc.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Qt's own options (-platform xcb, -style fusion, ...) are QApplication's business: they are kept
// out of our parser and left in argv for it. The first list takes a value. X11's "-name" is not
// among them: --name is the vessel's name in a class.
bool isQtOption(const QString& arg, bool* takesValue) {
    static const QStringList withValue{"platform", "platformpluginpath", "platformtheme", "plugin",
                                       "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                       "display", "geometry", "title", "style", "stylesheet"};
    static const QStringList flags{"reverse", "widgetcount", "nograb", "dograb", "sync"};
    if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || arg == QLatin1String("--")) return false;
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    if (eq >= 0) name.truncate(eq);
    *takesValue = eq < 0 && withValue.contains(name);
    return withValue.contains(name) || flags.contains(name);
}

// Reads a line from the terminal without showing it.
QString askPassword(const QString& prompt) {
    std::fputs(qPrintable(prompt), stderr);
    std::fflush(stderr);
    termios saved{};
    const bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::string line;
    for (int ch = std::getchar(); ch != EOF && ch != '\n'; ch = std::getchar()) line.push_back(char(ch));
    if (quiet) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    return QString::fromStdString(line);
}

// The class to join from the command line. The password comes from a file or the terminal, never
// from the command line, where every user of the machine could read it.
dscwire::Result<classroom::Settings> classSettings(const QString& url, const QString& mmsi, const QString& name,
                                                   bool instructor, const QString& user,
                                                   const std::optional<QString>& passwordFile) {
    using R = dscwire::Result<classroom::Settings>;
    classroom::Settings base;
    base.instructor = instructor;
    // The instructor's trainer is the class's coast station unless told otherwise.
    base.mmsi = mmsi.isEmpty() && instructor ? calls::kCoastGuardMMSI : mmsi;
    base.vesselName = name.isEmpty() && instructor ? QStringLiteral("Boston Coast Guard") : name;
    if (base.mmsi.isEmpty()) return R::bad(QStringLiteral("--class needs --mmsi, the station's nine-digit MMSI"));
    auto parsed = classroom::Settings::fromUrl(url, base);
    if (!parsed.ok()) return parsed;
    classroom::Settings s = parsed.value();
    if (!s.password.isEmpty()) return R::bad(QStringLiteral("give the password in a file (--password-file), not in --class"));
    if (!user.isEmpty()) s.user = user;
    if (passwordFile) {
        QFile f(*passwordFile);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return R::bad(QStringLiteral("cannot read the password file %1: %2").arg(*passwordFile, f.errorString()));
        s.password = QString::fromUtf8(f.readLine()).trimmed();
    } else if (!s.user.isEmpty()) {
        if (!isatty(STDIN_FILENO))
            return R::bad(QStringLiteral("--user needs --password-file, or a terminal to ask for the password on"));
        s.password = askPassword(QStringLiteral("Password for %1 on %2: ").arg(s.user, s.host));
    }
    const QString problem = s.problem();
    if (!problem.isEmpty()) return R::bad(problem);
    return R::good(s);
}

} // namespace

int main(int argc, char** argv) {
    QStringList ours{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        bool takesValue = false;
        if (isQtOption(arg, &takesValue)) i += takesValue ? 1 : 0;
        else ours << arg;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A marine VHF radio with Digital Selective Calling, for GMDSS training.\n"
                       "Qt's own options (-platform, -style, ...) are handed on to Qt."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show these options and exit."));
    const QCommandLineOption nmeaPort(QStringLiteral("nmea-port"),
                                      QStringLiteral("TCP port of the NMEA 0183 output for chart plotters (0: no output)."),
                                      QStringLiteral("N"), QString::number(air::NmeaServer::kDefaultPort));
    const QCommandLineOption nmeaListen(QStringLiteral("nmea-listen"),
                                        QStringLiteral("Address the NMEA output listens on."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption decode(
        QStringLiteral("decode"),
        QStringLiteral("Print the DSC calls in a recording (any sound file, 8 kHz or more, each channel tried) and "
                       "exit; '-' reads raw signed 16-bit little-endian mono samples from standard input and "
                       "prints each call as it ends."),
        QStringLiteral("FILE"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("Sample rate of the raw samples that --decode - reads."),
                                  QStringLiteral("N"), QStringLiteral("48000"));
    const QCommandLineOption classUrl(QStringLiteral("class"),
                                      QStringLiteral("Join a class through its MQTT broker: mqtt://HOST[:PORT]/CLASS, or "
                                                     "mqtts:// for TLS."),
                                      QStringLiteral("URL"));
    const QCommandLineOption classMmsi(QStringLiteral("mmsi"), QStringLiteral("The station's MMSI in the class (9 digits)."),
                                       QStringLiteral("9DIGITS"));
    const QCommandLineOption className(QStringLiteral("name"), QStringLiteral("The station's vessel name in the class."),
                                       QStringLiteral("NAME"));
    const QCommandLineOption instructor(QStringLiteral("instructor"),
                                        QStringLiteral("Join as the instructor's station: the coast station of the class."));
    const QCommandLineOption classUser(QStringLiteral("user"), QStringLiteral("User name on the class's broker."),
                                       QStringLiteral("USER"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"),
                                          QStringLiteral("File whose first line is the broker password (without it, "
                                                         "--user asks for the password on the terminal)."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption transcribe(
        QStringLiteral("transcribe"),
        QStringLiteral("Print the words heard in a recording of one spoken transmission (any sound file), the "
                       "procedure and the verdict on each of its elements (ok, wrong, or unclear: not heard "
                       "clearly), and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("With --transcribe: also each word heard with its confidence."));
    parser.addOptions({help, nmeaPort, nmeaListen, decode, rate, transcribe, verbose, classUrl, classMmsi, className, instructor, classUser,
                       passwordFile});
    const QCommandLineOption version = parser.addVersionOption();
    // A trainer driven by a script (tests, screenshots), and its clock run faster (replays).
    const QCommandLineOption control(
        QStringLiteral("control"),
        QStringLiteral("Take commands from standard input, one a line (click, press, release, hold, type, key, "
                       "choose, show, await, await-gone, answer, title, screenshot, quit; a control by its name), and answer each "
                       "on standard output with one line of JSON."));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Run the radio's clock N times as fast as real time (0.1 to 100): "
                                                  "every wait, hold and timer lasts 1/N as long."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions({control, speed});
    const QCommandLineOption exercise(
        QStringLiteral("exercise"),
        QStringLiteral("Start an exercise: a file of tasks that the trainer sets and checks (a shipped one by its "
                       "name, e.g. 01-fire)."),
        QStringLiteral("FILE"));
    parser.addOption(exercise);
    const QCommandLineOption mic(QStringLiteral("mic"),
                                 QStringLiteral("A sound file that stands in for the microphone: each press of the talk key "
                                                "speaks it from its start, for as long as the key is held."),
                                 QStringLiteral("FILE"));
    parser.addOption(mic);
    // Lessons: every ordinary run records its lesson; --replay and --debrief take the run over.
    LessonOptions lessonOptions(parser);
    ExamOptions examOptions(parser);
    if (const std::optional<int> status = lessonOptions.run(ours, argc, argv)) return *status;
    if (!parser.parse(ours)) return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        // The usage line names the program as it is called, not by the path it was started from.
        char programName[] = "vhf-dsc-trainer";
        char* helpArgv[] = {programName, nullptr};
        int helpArgc = 1;
        QCoreApplication app(helpArgc, helpArgv);
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vhf-dsc-trainer"));
        QCoreApplication::setApplicationVersion(QStringLiteral(VHF_VERSION));
        parser.showVersion(); // prints "vhf-dsc-trainer 3.0" and ends the program
    }
    if (const std::optional<int> status = examOptions.run(argc, argv)) return *status;
    bool portOk = false;
    const uint port = parser.value(nmeaPort).toUInt(&portOk);
    if (!portOk || port > 65535) return usageError(QStringLiteral("--nmea-port wants a port number from 0 to 65535"));
    const QString listenAddress = parser.value(nmeaListen).trimmed();
    if (!air::NmeaServer::isAddress(listenAddress))
        return usageError(QStringLiteral("--nmea-listen wants an IP address, not '%1'").arg(parser.value(nmeaListen)));
    bool speedOk = false;
    const double clockSpeed = parser.value(speed).toDouble(&speedOk);
    if (!speedOk || !(clockSpeed >= platform::RealClock::kMinSpeed && clockSpeed <= platform::RealClock::kMaxSpeed))
        return usageError(QStringLiteral("--speed wants a number from 0.1 to 100"));
    bool rateOk = false;
    const int rawRate = parser.value(rate).toInt(&rateOk);
    if (!rateOk || rawRate < dscwire::kMinInputRate || rawRate > dscwire::kMaxInputRate)
        return usageError(QStringLiteral("--rate wants a sample rate from %1 to %2").arg(dscwire::kMinInputRate).arg(dscwire::kMaxInputRate));
    if (parser.isSet(rate) && (!parser.isSet(decode) || parser.value(decode) != QLatin1String("-")))
        return usageError(QStringLiteral("--rate is for raw samples on standard input: give --decode - too"));
    if (parser.isSet(decode)) {
        QCoreApplication app(argc, argv);
        return decodeRecording(parser.value(decode), rawRate);
    }
    if (parser.isSet(transcribe)) {
        QCoreApplication app(argc, argv);
        return transcribeRecording(parser.value(transcribe), parser.isSet(verbose));
    }

    std::optional<classroom::Settings> joinClass;
    if (parser.isSet(classUrl)) {
        auto settings = classSettings(parser.value(classUrl), parser.value(classMmsi), parser.value(className),
                                      parser.isSet(instructor), parser.value(classUser),
                                      parser.isSet(passwordFile) ? std::optional<QString>(parser.value(passwordFile))
                                                                 : std::nullopt);
        if (!settings.ok()) return usageError(settings.error());
        joinClass = settings.value();
    } else {
        for (const QCommandLineOption* o : {&classMmsi, &className, &instructor, &classUser, &passwordFile})
            if (parser.isSet(*o))
                return usageError(QStringLiteral("--%1 is for joining a class: give --class too").arg(o->names().first()));
    }

    if (!platform::displayOrSay()) return 1;
    // The locale from the environment, as the application would set it: set before any thread.
    std::setlocale(LC_ALL, "");
    // The font configuration (some 7 ms of parsing and cache reading) is loaded on the second core
    // while the application connects to the display, the fonts listed for Qt's font database, and
    // the set-up of the window's faces worked out for the usual screen of 96 dots per inch: the
    // window's first text finds them ready.
    constexpr double kUsualDpi = 96;
    std::thread fonts([] {
        FcInit();
        platform::fontsAhead::listFonts();
        platform::fontsAhead::workOut(windowFaces(), kUsualDpi);
    });
    // Likewise the X library's tables for the locale, which Qt needs to name its first window, and
    // the session bus, which the accessibility bridge connects to while the window is built and
    // waits for (where there is no session bus, for a failed try at starting one). This thread
    // touches Qt's threads first, so that it stays Qt's main thread.
    std::thread bus;
    if (platform::windowSystemPlatform()) {
        QThread::currentThread();
        bus = std::thread([] {
            platform::loadX11LocaleTables();
            QDBusConnection::sessionBus();
        });
    }
    TrainerApplication app(argc, argv);
    // On a screen of another resolution the faces' set-up is worked out again, while the window is
    // built.
    const QScreen* primary = QGuiApplication::primaryScreen();
    std::thread otherFaces;
    if (const double dpi = primary ? primary->logicalDotsPerInchY() : 0.0; dpi != kUsualDpi)
        otherFaces = std::thread([dpi] { platform::fontsAhead::workOut(windowFaces(), dpi); });
    platform::closeDisplayProbe();
    QGuiApplication::setDesktopFileName("io.github.vhfdsctrainer.VhfDscTrainer");
    platform::RealClock clock(clockSpeed);
    platform::PulseSound sound(clock);
    platform::QtMessageBox messages;
    platform::XRandrScreenMode screen;
    Trainer trainer(Services{clock, sound, messages, screen, [] { std::exit(0); }});
    messages.setParent(trainer.window());
    // Opened with the first press of the talk key.
    trainer.context().microphone = parser.isSet(mic) ? platform::fileMicrophone(parser.value(mic), air::kVoiceRate)
                                                     : platform::soundServerMicrophone(air::kVoiceRate);
    // No network work before the window's first frame, nor the lesson folder's upkeep.
    trainer.window()->winId();
    if (port != 0)
        trainer.context().nmea->startAfterFirstFrame(trainer.window()->windowHandle(), listenAddress,
                                                     static_cast<quint16>(port));
    platform::afterFirstFrame(trainer.window()->windowHandle(), platform::fontsAhead::forget);
    if (trainer.context().lesson)
        platform::afterFirstFrame(trainer.window()->windowHandle(), [] {
            QThreadPool::globalInstance()->start([] {
                lessons::pruneFolder(lessons::defaultFolder(), lessons::kFolderLimitBytes);
                // What start-up and the listing of the folder left free goes back to the system.
                malloc_trim(0);
            });
        });
    // The class is joined once the window is up: connecting never holds the window back.
    if (joinClass) {
        QTimer::singleShot(0, trainer.window(), [&trainer, settings = *joinClass] {
            ClassroomSession::join(trainer.context(), settings);
        });
    }
    fonts.join();
    if (otherFaces.joinable()) otherFaces.join();
    if (bus.joinable()) bus.join();
    trainer.window()->show();
    // A file that cannot be used is told on standard error and in the exercise window; the radio works on.
    if (parser.isSet(exercise)) {
        QTimer::singleShot(0, trainer.window(), [&trainer, file = parser.value(exercise)] {
            const QString problem = trainer.context().exercises->open(lessons::findExercise(file));
            if (!problem.isEmpty()) std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(problem));
        });
    }
    // So is an exam that cannot start.
    if (const auto& sit = examOptions.toStart()) {
        QTimer::singleShot(0, trainer.window(), [&trainer, sit = *sit] {
            const QString problem = trainer.startExam(sit.profile, sit.seed, sit.candidate);
            if (!problem.isEmpty()) std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(problem));
        });
    }
    std::unique_ptr<ControlScript> script;
    if (parser.isSet(control)) script = std::make_unique<ControlScript>(trainer.context());
    return app.exec();
}
