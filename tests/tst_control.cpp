// The program driven from a script: the real trainer runs with --control on a clock twenty times
// as fast, takes commands on its standard input and answers each with one line of JSON.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

// Waiting for an answer is an event wait with a generous deadline, for a busy machine.
constexpr int kAnswerDeadlineMs = 60000;

QJsonObject nextAnswer(QProcess& trainer) {
    while (!trainer.canReadLine())
        if (!trainer.waitForReadyRead(kAnswerDeadlineMs)) qFatal("the trainer gave no answer");
    const QByteArray line = trainer.readLine();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (!doc.isObject()) qFatal("not one JSON object: %s", line.constData());
    return doc.object();
}

QJsonObject ok(const QString& command) {
    return QJsonObject{{QStringLiteral("reply"), QStringLiteral("ok")}, {QStringLiteral("command"), command}};
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    void scriptDrivesTheRunningTrainer() {
        QProcess trainer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No sound server: the cues keep their timing in silence.
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
        trainer.setProcessEnvironment(env);
        trainer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        trainer.start(QStringLiteral(VHF_TRAINER_PROGRAM),
                      {"-platform", "offscreen", "--control", "--speed", "20", "--nmea-port", "0"});
        QVERIFY(trainer.waitForStarted());

        // A click on a list line works like the user's: the line becomes the list's chosen one.
        trainer.write("click cmdCall\nchoose lstCall Urgency\nshow lstCall\n");
        QCOMPARE(nextAnswer(trainer), ok("click cmdCall"));
        QCOMPARE(nextAnswer(trainer), ok("choose lstCall Urgency"));
        const QJsonObject list = nextAnswer(trainer);
        QCOMPARE(list.value("reply").toString(), QString("show"));
        QCOMPARE(list.value("text").toString(), QString("Urgency"));
        QCOMPARE(list.value("lines").toVariant().toStringList().mid(0, 3),
                 QStringList({"Select, (Enter or Clear)", "Urgency", "Safety"}));
        QCOMPARE(list.value("visible").toBool(), true);
        trainer.write("click cmdClear\n");
        QCOMPARE(nextAnswer(trainer), ok("click cmdClear"));

        // The distress key pressed and let go at once. The press runs the key's five-second count,
        // and the commands after it are read and carried out inside that count, as a user's hand
        // lets go of the key: the short press opens the nature list, and only then does the press
        // itself come back.
        trainer.write("press cmdDistress\nshow cmdDistress\nrelease cmdDistress\nshow ComboMessage\n");
        const QJsonObject counting = nextAnswer(trainer);
        QCOMPARE(counting.value("command").toString(), QString("show cmdDistress"));
        QVERIFY2(counting.value("text").toString().startsWith(":0"), qPrintable(counting.value("text").toString()));
        QCOMPARE(nextAnswer(trainer), ok("release cmdDistress"));
        const QJsonObject natures = nextAnswer(trainer);
        QCOMPARE(natures.value("command").toString(), QString("show ComboMessage"));
        QCOMPARE(natures.value("visible").toBool(), true);
        QVERIFY(natures.value("lines").toVariant().toStringList().contains("Fire"));
        QCOMPARE(nextAnswer(trainer), ok("press cmdDistress"));
        trainer.write("choose ComboMessage Fire\n");
        QCOMPARE(nextAnswer(trainer), ok("choose ComboMessage Fire"));

        // A six-second hold sends the alert once the key is let go; the wait for its status is
        // answered while the alert's sequence still runs inside the release, before the hold's own
        // answer. The alert carries the nature chosen above.
        trainer.write("hold cmdDistress 6\nawait lblStatus Waiting for Ack\n");
        const QJsonObject status = nextAnswer(trainer);
        QCOMPARE(status.value("reply").toString(), QString("await"));
        QCOMPARE(status.value("name").toString(), QString("lblStatus"));
        QCOMPARE(status.value("text").toString(), QString("Waiting for Ack"));
        QCOMPARE(nextAnswer(trainer), ok("hold cmdDistress 6"));
        trainer.write("show txtCG2\n");
        QCOMPARE(nextAnswer(trainer).value("text").toString(), QString("Fire"));

        // A name that is no control is refused, and the trainer carries on.
        trainer.write("click cmdNoSuchKey\ntitle\n");
        const QJsonObject refused = nextAnswer(trainer);
        QCOMPARE(refused.value("reply").toString(), QString("error"));
        QCOMPARE(refused.value("error").toString(), QString("no control named cmdNoSuchKey"));
        QCOMPARE(nextAnswer(trainer).value("reply").toString(), QString("title"));

        // quit powers the radio off through the window's close; the program ends normally.
        trainer.write("quit\n");
        QCOMPARE(nextAnswer(trainer), ok("quit"));
        QVERIFY(trainer.waitForFinished(kAnswerDeadlineMs));
        QCOMPARE(trainer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(trainer.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(ControlTest)
#include "tst_control.moc"
