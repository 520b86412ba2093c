// vhf-dsc-trainer: a marine VHF radio with a DSC controller, for GMDSS training.
#include "app/Control.h"
#include "app/NmeaOutput.h"
#include "app/Trainer.h"
#include "air/NmeaServer.h"
#include "dscwire/Codec.h"
#include "dscwire/Wav.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/XRandrScreenMode.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kUsageError = 2;

// Qt's own options (-platform xcb, -style fusion, ...) are QApplication's business: they are kept
// out of our parser and left in argv for it. The first list takes a value.
bool isQtOption(const QString& arg, bool* takesValue) {
    static const QStringList withValue{"platform", "platformpluginpath", "platformtheme", "plugin",
                                       "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                       "display", "geometry", "title", "name", "style", "stylesheet"};
    static const QStringList flags{"reverse", "widgetcount", "nograb", "dograb", "sync"};
    if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || arg == QLatin1String("--")) return false;
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    if (eq >= 0) name.truncate(eq);
    *takesValue = eq < 0 && withValue.contains(name);
    return withValue.contains(name) || flags.contains(name);
}

int usageError(const QString& text) {
    std::fprintf(stderr, "vhf-dsc-trainer: %s\nTry 'vhf-dsc-trainer --help' for the options.\n", qPrintable(text));
    return kUsageError;
}

// --decode: every call found in the recording, one line each in words.
int decodeRecording(const QString& path) {
    const auto audio = dscwire::readWavFile(path);
    if (!audio.ok()) {
        std::fprintf(stderr, "vhf-dsc-trainer: %s: %s\n", qPrintable(path), qPrintable(audio.error()));
        return kUsageError;
    }
    int found = 0;
    for (const dscwire::Decoded& d : dscwire::decodeAll(audio.value())) {
        if (d.ok()) {
            ++found;
            std::printf("%s: %s\n", qPrintable(dscwire::categoryText(*d.message)), qPrintable(dscwire::describe(*d.message)));
        } else {
            std::fprintf(stderr, "vhf-dsc-trainer: %s: %s\n", qPrintable(path), qPrintable(d.error));
        }
    }
    return found > 0 ? 0 : 1;
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
    const QCommandLineOption decode(QStringLiteral("decode"),
                                    QStringLiteral("Print the DSC calls in a recording (WAV, 16-bit mono 48 kHz) and exit."),
                                    QStringLiteral("FILE.wav"));
    parser.addOptions({help, nmeaPort, nmeaListen, decode});
    // A trainer driven by a script (tests, screenshots), and its clock run faster (replays).
    const QCommandLineOption control(
        QStringLiteral("control"),
        QStringLiteral("Take commands from standard input, one a line (click, press, release, hold, type, key, "
                       "choose, show, await, title, screenshot, quit; a control by its name), and answer each "
                       "on standard output with one line of JSON."));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Run the radio's clock N times as fast as real time (0.1 to 100): "
                                                  "every wait, hold and timer lasts 1/N as long."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions({control, speed});
    if (!parser.parse(ours)) return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        QCoreApplication app(argc, argv);
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
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
    if (parser.isSet(decode)) {
        QCoreApplication app(argc, argv);
        return decodeRecording(parser.value(decode));
    }

    if (!platform::displayAvailable()) {
        std::fprintf(stderr, "vhf-dsc-trainer: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
        return 1;
    }
    TrainerApplication app(argc, argv);
    platform::closeDisplayProbe();
    QGuiApplication::setDesktopFileName("io.github.vhfdsctrainer.VhfDscTrainer");
    platform::RealClock clock(clockSpeed);
    platform::PulseSound sound(clock);
    platform::QtMessageBox messages;
    platform::XRandrScreenMode screen;
    Trainer trainer(Services{clock, sound, messages, screen, [] { std::exit(0); }});
    messages.setParent(trainer.window());
    // No network work before the window's first frame.
    if (port != 0) {
        trainer.window()->winId();
        trainer.context().nmea->startAfterFirstFrame(trainer.window()->windowHandle(), listenAddress,
                                                     static_cast<quint16>(port));
    }
    trainer.window()->show();
    std::unique_ptr<ControlScript> script;
    if (parser.isSet(control)) script = std::make_unique<ControlScript>(trainer.context());
    return app.exec();
}
