// The radio's NMEA output as a chart plotter sees it: real TCP clients on the loopback address, the
// sentences read by Signal K's own NMEA 0183 parser (node, tests/signalk), and the program's
// --decode of recorded calls.
#include "air/Air.h"
#include "app/NmeaOutput.h"
#include "dscwire/Wav.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

QTcpSocket* connectPlotter(Harness& h, int clientsAfter, QObject* parent) {
    auto* socket = new QTcpSocket(parent);
    socket->connectToHost(QHostAddress::LocalHost, h.c().nmea->port());
    if (!socket->waitForConnected(10000)) qFatal("no connection: %s", qPrintable(socket->errorString()));
    if (!QTest::qWaitFor([&] { return h.c().nmea->clientCount() == clientsAfter; }, 10000)) qFatal("not accepted");
    return socket;
}

// Reads whole lines until there are `count` of them (or ten seconds have gone by).
QList<QByteArray> readLines(QTcpSocket* s, int count) {
    QList<QByteArray> lines;
    (void)QTest::qWaitFor([&] {
        while (s->canReadLine()) lines << s->readLine();
        return lines.size() >= count;
    }, 10000);
    return lines;
}

bool checksumHolds(const QByteArray& line) {
    const qsizetype star = line.indexOf('*');
    if (!line.startsWith('$') || star < 0 || !line.endsWith("\r\n")) return false;
    int sum = 0;
    for (qsizetype i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
    return line.mid(star + 1, 2) == QByteArray::number(sum, 16).rightJustified(2, '0').toUpper();
}

QProcess* run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    p->setProcessEnvironment(env);
    p->start(program, args);
    p->write(input);
    p->closeWriteChannel();
    if (!p->waitForFinished(120000)) qFatal("%s did not finish", qPrintable(program));
    return p;
}

} // namespace

class NmeaOutputTest : public QObject {
    Q_OBJECT
private slots:
    void receivedCallsReachEveryPlotter() {
        QObject owner;
        Harness h;
        QVERIFY(h.c().nmea->start(QStringLiteral("127.0.0.1"), 0));
        QTcpSocket* first = connectPlotter(h, 1, &owner);

        // A call the own radio sends is on the air, but no plotter hears of it.
        h.click("cmdCall");
        h.chooseItem("lstCall", "Urgency");
        h.click("cmdEnter");
        QVERIFY(h.c().air->log().size() == 1 && h.c().air->log().back().fromOwnRadio);

        // The Blue Crane's distress alert: received, so reported (and the own urgency call, had it
        // been reported, would have come first on the stream).
        h.chooseCombo("comboBC", "Collision");
        h.hold("cmdBCDistress", 5500);
        const QList<QByteArray> alert = readLines(first, 2);
        QCOMPARE(alert.size(), 2);
        QVERIFY2(alert[0].startsWith("$CDDSC,12,3662323230,12,02,00,1421707047,"), alert[0].constData());
        QVERIFY2(alert[1].startsWith("$CDDSE,1,1,A,3662323230,00,"), alert[1].constData());
        for (const QByteArray& line : alert) QVERIFY2(checksumHolds(line), line.constData());

        // Signal K's parser reads the vessel, its position and the nature of its distress.
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        QVERIFY2(!node.isEmpty(), "node is not on PATH (scripts/install-deps installs it)");
        std::unique_ptr<QProcess> parse(run(node, {QStringLiteral(VHF_SIGNALK_PARSE)}, alert.join()));
        QVERIFY2(parse->exitCode() == 0, parse->readAllStandardError().constData());
        const QList<QByteArray> deltas = parse->readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(deltas.size(), 1); // the parser passes over $CDDSE
        const QJsonObject delta = QJsonDocument::fromJson(deltas[0]).object();
        QCOMPARE(delta["context"].toString(), QStringLiteral("vessels.urn:mrn:imo:mmsi:366232323"));
        QMap<QString, QJsonValue> values;
        for (const QJsonValue v : delta["updates"][0]["values"].toArray()) values[v["path"].toString()] = v["value"];
        QVERIFY2(values.contains("notifications.collision"), deltas[0].constData());
        // 42°17.6'N 070°47.4'W, to the whole minute the sentence carries.
        QVERIFY(qAbs(values["navigation.position"]["latitude"].toDouble() - 42.293) < 0.02);
        QVERIFY(qAbs(values["navigation.position"]["longitude"].toDouble() + 70.79) < 0.02);

        // A plotter that joins later gets what is received from then on: the Coast Guard's
        // acknowledgement of the alert.
        QTcpSocket* second = connectPlotter(h, 2, &owner);
        h.click("cmdAcknowledge");
        for (QTcpSocket* s : {first, second}) {
            const QList<QByteArray> ack = readLines(s, 1);
            QVERIFY(!ack.isEmpty() && checksumHolds(ack[0]));
            QVERIFY2(ack[0].startsWith("$CDDSC,16,0036699270,12,10,"), ack[0].constData());
        }
    }

    void aTakenPortLeavesTheTrainerWithoutOutput() {
        Harness h;
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!h.c().nmea->start(QStringLiteral("127.0.0.1"), taken.serverPort()));
        QVERIFY(!h.c().nmea->isRunning());
        h.chooseCombo("comboBC", "Fire");
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(h.c().air->log().size(), size_t(1));
    }

    void decodeAWavFile() {
        using namespace dscwire;
        QTemporaryDir dir;
        const Samples calls = encodeAudio(Message::distressAlert("316123456", 100, Position::of(1, 42, 21, 70, 55), QTime(14, 32))).value() +
                              encodeAudio(Message::individual("366232323", code::kRoutine, "316123456", 72)).value();
        QVERIFY(writeWavFile(dir.filePath("calls.wav"), calls));
        QVERIFY(writeWavFile(dir.filePath("silence.wav"), Samples(48000, 0)));
        QFile text(dir.filePath("notes.wav"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a recording\n") > 0);
        text.close();

        std::unique_ptr<QProcess> p(run(VHF_TRAINER_PROGRAM, {"--decode", dir.filePath("calls.wav")}));
        QCOMPARE(p->exitCode(), 0);
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("distress: Distress alert, from 316123456,") && lines[0].contains("Fire"), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith("routine: Individual call, to 366232323, from 316123456,"), qPrintable(lines[1]));

        p.reset(run(VHF_TRAINER_PROGRAM, {"--decode", dir.filePath("silence.wav")}));
        QCOMPARE(p->exitCode(), 1);
        QVERIFY(p->readAllStandardOutput().isEmpty() && !p->readAllStandardError().isEmpty());
        for (const QString& bad : {dir.filePath("notes.wav"), dir.filePath("missing.wav")}) {
            p.reset(run(VHF_TRAINER_PROGRAM, {"--decode", bad}));
            QCOMPARE(p->exitCode(), 2);
            QVERIFY(p->readAllStandardError().contains(bad.toLocal8Bit()));
        }
        p.reset(run(VHF_TRAINER_PROGRAM, {"--no-such-option"}));
        QCOMPARE(p->exitCode(), 2);
        QVERIFY(p->readAllStandardError().contains("no-such-option"));
        p.reset(run(VHF_TRAINER_PROGRAM, {"--help"}));
        QCOMPARE(p->exitCode(), 0);
        const QByteArray help = p->readAllStandardOutput();
        QVERIFY(help.contains("--nmea-port") && help.contains("--nmea-listen") && help.contains("--decode"));
    }
};

TRAINER_TEST_MAIN(NmeaOutputTest)
#include "tst_nmea_output.moc"
