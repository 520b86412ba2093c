// Every call the trainer sends or answers goes on the air as its DSC message when it is delivered,
// driven through the window as a trainee and the model stations' users would.
#include "air/Air.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Lesson.h"
#include "lessons/Recorder.h"

#include <QTemporaryDir>

namespace {

const QString kBlueCraneLine = QStringLiteral("The Blue Crane            366232323");
const QString kCoastGuardLine = QStringLiteral("Boston Coast Guard    003669927");

// One message in short: format, from > to, category, commands or nature, channels, EOS.
QString summary(const air::Transmission& t) {
    const dscwire::Message& m = t.message;
    QStringList channels;
    for (int ch : m.channels) channels << QString::number(ch);
    return QStringLiteral("%1 %2>%3 cat%4 %5/%6 n%7 ch%8 eos%9%10")
        .arg(m.format)
        .arg(m.selfId, m.address.isEmpty() ? QStringLiteral("all") : m.address)
        .arg(m.category)
        .arg(m.command1)
        .arg(m.command2)
        .arg(m.nature)
        .arg(channels.join(','))
        .arg(m.eos)
        .arg(t.error.isEmpty() ? QString() : QStringLiteral(" ERROR ") + t.error);
}

void composeAndEnter(Harness& h, const QString& type, const QString& line = {}) {
    h.click("cmdCall");
    h.chooseItem("lstCall", type);
    if (!line.isEmpty()) h.chooseItem("lstDirectory", line);
    h.click("cmdEnter");
}

// The Blue Crane answers a routine call in the Enter key's closing wait.
void answerInClosingWait(Harness& h, const QStringList& choices) {
    h.after(5 * 500 + 5000 + 1000 + 500, [&h, choices] {
        h.click("cmdBCEnter");
        h.chooseItem("lstBC", choices[0]);
        if (choices.size() > 1) {
            h.chooseItem("lstBC2", choices[1]);
            h.click("cmdBCEnter");
        }
    });
}

void play(Harness& h, const QString& scenario) {
    if (scenario == "distress, acknowledged") {
        h.chooseCombo("ComboMessage", "Fire");
        h.hold("cmdDistress", 5500);
        h.click("cmdAcknowledge");
    } else if (scenario == "urgency") {
        composeAndEnter(h, "Urgency");
    } else if (scenario == "safety") {
        composeAndEnter(h, "Safety");
    } else if (scenario == "all ships on 22A") {
        h.tuneTo("22A");
        composeAndEnter(h, "All Ships");
    } else if (scenario == "routine, able") {
        answerInClosingWait(h, {"Able to Comply"});
        composeAndEnter(h, "Routine", kBlueCraneLine);
    } else if (scenario == "routine, unable: busy") {
        answerInClosingWait(h, {"Unable to Comply", "Busy"});
        composeAndEnter(h, "Routine", kBlueCraneLine);
    } else if (scenario == "routine to the coast station, acknowledged") {
        composeAndEnter(h, "Routine", kCoastGuardLine);
        h.click("cmdAcknowledge");
    } else if (scenario == "group #3") {
        h.click("cmdCall");
        h.chooseItem("lstCall", "Group");
        h.chooseItem("lstGroup", 7);
        h.click("cmdEnter");
    } else if (scenario == "position request, answered") {
        composeAndEnter(h, "Request Position", kBlueCraneLine);
        h.click("cmdBCEnter");
    } else if (scenario == "polling, answered") {
        composeAndEnter(h, "Polling", kBlueCraneLine);
        h.click("cmdBCEnter");
    } else if (scenario == "second vessel's distress, acknowledged") {
        h.chooseCombo("comboBC", "Collision");
        h.hold("cmdBCDistress", 5500);
        h.click("cmdAcknowledge");
    } else {
        qFatal("no scenario %s", qPrintable(scenario));
    }
}

} // namespace

class AirTest : public QObject {
    Q_OBJECT
private slots:
    void everyCallGoesOnTheAir_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("distress") << "distress, acknowledged"
                                  << QStringList{"112 316123456>all cat-1 -1/-1 n100 ch eos127",
                                                 "116 003669927>all cat112 110/-1 n100 ch eos127"};
        QTest::newRow("urgency") << "urgency" << QStringList{"116 316123456>all cat110 100/126 n-1 ch16 eos127"};
        QTest::newRow("safety") << "safety" << QStringList{"116 316123456>all cat108 100/126 n-1 ch16 eos127"};
        QTest::newRow("all ships") << "all ships on 22A"
                                   << QStringList{"116 316123456>all cat100 100/126 n-1 ch1022 eos127"};
        QTest::newRow("routine, able") << "routine, able"
                                       << QStringList{"120 316123456>366232323 cat100 100/126 n-1 ch16,16 eos117",
                                                      "120 366232323>316123456 cat100 100/126 n-1 ch16,16 eos122"};
        QTest::newRow("routine, unable")
            << "routine, unable: busy"
            << QStringList{"120 316123456>366232323 cat100 100/126 n-1 ch16,16 eos117",
                           "120 366232323>316123456 cat100 104/102 n-1 ch16,16 eos122"};
        QTest::newRow("routine to the coast station")
            << "routine to the coast station, acknowledged"
            << QStringList{"120 316123456>003669927 cat100 100/126 n-1 ch16,16 eos117",
                           "120 003669927>316123456 cat100 100/126 n-1 ch16,16 eos122"};
        QTest::newRow("group") << "group #3" << QStringList{"114 316123456>036600003 cat100 100/126 n-1 ch16,16 eos127"};
        QTest::newRow("position request") << "position request, answered"
                                          << QStringList{"120 316123456>366232323 cat100 121/126 n-1 ch eos117",
                                                         "120 366232323>316123456 cat100 121/126 n-1 ch eos122"};
        QTest::newRow("polling") << "polling, answered"
                                 << QStringList{"120 316123456>366232323 cat100 103/126 n-1 ch eos117",
                                                "120 366232323>316123456 cat100 103/126 n-1 ch eos122"};
        QTest::newRow("second vessel's distress")
            << "second vessel's distress, acknowledged"
            << QStringList{"112 366232323>all cat-1 -1/-1 n102 ch eos127",
                           "116 003669927>all cat112 110/-1 n102 ch eos127"};
    }
    void everyCallGoesOnTheAir() {
        QFETCH(QString, scenario);
        QFETCH(QStringList, messages);
        Harness h;
        play(h, scenario);
        QStringList got;
        for (const air::Transmission& t : h.c().air->log()) got << summary(t);
        QCOMPARE(got, messages);
    }

    // The own alert carries the position line and the time moved to UTC by the differential.
    void distressAlertCarriesPositionAndUtc() {
        Harness h;
        h.click("GPSOn");
        h.ui().txtUTC->setText("5.0");
        h.hold("cmdDistress", 5500);
        const dscwire::Message& alert = h.c().air->log().at(0).message;
        QCOMPARE(alert.position.digits(), QString("1422107055"));
        QCOMPARE(alert.time, QTime(15, 0)); // 10:00 local, five hours to UTC
        QCOMPARE(alert.subsequent, 100);
    }

    // A call a receiver heard from outside: on the air and in the lesson as heard by the receiver,
    // neither sent nor received by the own radio, and no model station answers it.
    void callHeardByAReceiver() {
        QTemporaryDir dir;
        Harness h;
        auto lesson = lessons::Recorder::start(h.c(), dir.path());
        QVERIFY(lesson);
        const auto call = dscwire::Message::individual(h.c().s.OwnMMSI, dscwire::code::kRoutine,
                                                       QStringLiteral("366232323"), 72);
        const air::Transmission& t = h.c().air->hear(call);
        QCOMPARE(t.source, air::Source::Receiver);
        QVERIFY(!t.fromOwnRadio && !t.toOwnRadio);
        QCOMPARE(h.c().air->latest([](const dscwire::Message&) { return true; }), nullptr);
        lesson->finish();
        lessons::Reader reader(lesson->path());
        QVERIFY(reader.open());
        lessons::Entry e;
        while (reader.next(e) && e.kind != QLatin1String("message")) {
        }
        QCOMPARE(e.json.value(QLatin1String("direction")).toString(), QStringLiteral("receiver"));
    }
};

TRAINER_TEST_MAIN(AirTest)
#include "tst_air.moc"
