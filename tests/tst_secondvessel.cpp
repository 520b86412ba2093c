// The Blue Crane's panel: its answers to the own radio's calls, its Clear key, and its own distress
// alert with the Coast Guard's acknowledgement. States that the own radio's calls would leave on
// the panel are set directly here; tst_roads drives the same answers through the real keys.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>

namespace {

const QString kPosition = QStringLiteral("L42°17.6'N Lo070°47.4'W");
const QStringList kReasons{"No Reason Given", "Congestion",           "Busy",
                           "Queue Indication", "Station Barred",      "No Operator",
                           "Operator Unavailable", "Equipment Disabled", "Channel Unable",
                           "Mode Unable"};

void setPanelText(Harness& h, const QString& box, const QString& text) {
    ctl::setText(h.find<QLineEdit>(box), text);
}

// Timeline of The Blue Crane's alert from the release of its key: 4 s pause, two alarm sounds,
// then one five-second announcement.
constexpr qint64 kPauseMs = 4000;
constexpr qint64 kAlarmPairMs = 2 * 700;
constexpr qint64 kAnnounceStartMs = kPauseMs + kAlarmPairMs;
constexpr qint64 kAlertMs = kAnnounceStartMs + 5000;

} // namespace

class SecondVesselTest : public QObject {
    Q_OBJECT
private slots:
    // ---- replies to a routine call ----

    void routineEnterOffersTheTwoReplies() {
        Harness h;
        h.c().s.CallTypeRoutine = "Routine";
        h.find("lblMenu")->show();
        h.find("lblStatus")->hide();
        h.click("cmdBCEnter");
        QCOMPARE(h.items("lstBC"), QStringList({"Able to Comply", "Unable to Comply"}));
        QVERIFY(h.visible("lstBC"));
        QVERIFY(!h.visible("lblMenu"));
        QVERIFY(h.visible("lblStatus"));
        // A second Enter offers them afresh, not twice.
        h.click("cmdBCEnter");
        QCOMPARE(h.items("lstBC").size(), 2);
        QCOMPARE(h.c().s.CallTypeRoutine, QString("Routine"));
    }

    void ableToComplyRepliesOnTheWorkingChannel() {
        Harness h;
        h.c().s.CallTypeRoutine = "Routine";
        h.c().s.CallWorkingChannel = "22A";
        h.click("cmdBCEnter");
        QString statusDuringAlarm, stateDuringAlarm;
        QString channelDuringAlarm;
        h.after(3500, [&] {
            statusDuringAlarm = h.text("lblStatus");
            channelDuringAlarm = h.text("lblBCChannel");
            stateDuringAlarm = h.c().s.CallTypeRoutine;
        });
        const qint64 t0 = h.now();
        h.chooseItem("lstBC", "Able to Comply");
        QCOMPARE(statusDuringAlarm, QString("The Blue Crane Replying"));
        QCOMPARE(channelDuringAlarm, QString("22A"));
        // The reply state changes only once the alarm is over.
        QCOMPARE(stateDuringAlarm, QString("Routine"));
        QCOMPARE(h.c().s.CallTypeRoutine, QString("RoutineX"));
        QCOMPARE(h.now() - t0, qint64(10000));
        QCOMPARE(h.beepsBetween(t0, h.now() + 1), 10);
        QCOMPARE(h.back("lblStatus"), ctl::kDisplay);
        QVERIFY(!h.visible("lstBC"));
        QVERIFY(h.items("lstBC").isEmpty());
        QCOMPARE(h.text("lblStatus"), QString("The Blue Crane Replying"));
    }

    void unableToComplyTwiceOffersTheReasonsOnce() {
        Harness h;
        h.c().s.CallTypeRoutine = "Routine";
        h.click("cmdBCEnter");
        const qint64 t0 = h.now();
        h.chooseItem("lstBC", "Unable to Comply");
        h.chooseItem("lstBC", "Unable to Comply");
        QCOMPARE(h.items("lstBC2"), kReasons);
        QVERIFY(h.visible("lstBC2"));
        QCOMPARE(h.c().s.CallTypeRoutine, QString("RoutineY"));
        // No answer yet: no alarm, no time spent.
        QCOMPARE(h.now(), t0);
        QCOMPARE(h.beepCount(), 0);
    }

    void reasonAndEnterAnswer_data() {
        QTest::addColumn<QString>("reason");
        for (const QString& r : kReasons) QTest::newRow(qPrintable(r)) << r;
    }
    void reasonAndEnterAnswer() {
        QFETCH(QString, reason);
        Harness h;
        h.c().s.CallTypeRoutine = "Routine";
        h.click("cmdBCEnter");
        h.chooseItem("lstBC", "Unable to Comply");
        h.chooseItem("lstBC2", reason);
        QString statusDuringAlarm;
        h.after(2500, [&] { statusDuringAlarm = h.text("lblStatus"); });
        const qint64 t0 = h.now();
        h.click("cmdBCEnter");
        QCOMPARE(statusDuringAlarm, reason);
        QCOMPARE(h.text("lblStatus"), reason);
        QCOMPARE(h.c().s.CallTypeRoutine, QString());
        QVERIFY(!h.visible("lstBC"));
        QVERIFY(!h.visible("lstBC2"));
        QCOMPARE(h.now() - t0, qint64(10000));
        QCOMPARE(h.beepsBetween(t0, h.now() + 1), 10);
        // The answer is given: a further Enter does nothing more.
        const qint64 t1 = h.now();
        h.click("cmdBCEnter");
        QCOMPARE(h.now(), t1);
        QVERIFY(!h.visible("lstBC"));
    }

    void enterWithoutAReasonGivesAnEmptyStatus() {
        Harness h;
        h.c().s.CallTypeRoutine = "Routine";
        h.find<QLabel>("lblStatus")->setText("Calling and Emergency");
        h.click("cmdBCEnter");
        h.chooseItem("lstBC", "Unable to Comply");
        // Focus alone on the reasons makes a current row in Qt, but chooses nothing.
        h.find("lstBC2")->setFocus();
        const qint64 t0 = h.now();
        h.click("cmdBCEnter");
        QCOMPARE(h.text("lblStatus"), QString());
        QCOMPARE(h.c().s.CallTypeRoutine, QString());
        QCOMPARE(h.now() - t0, qint64(10000));
    }

    // ---- position request, polling, group call ----

    void requestAnswers_data() {
        QTest::addColumn<QString>("nature");
        QTest::addColumn<int>("chimes");
        QTest::addColumn<QString>("status");
        QTest::newRow("position request") << "Position Request" << 10 << kPosition;
        QTest::newRow("polling request") << "Polling Request" << 5 << "The Blue Crane replied";
    }
    void requestAnswers() {
        QFETCH(QString, nature);
        QFETCH(int, chimes);
        QFETCH(QString, status);
        Harness h;
        setPanelText(h, "txtBC2", nature);
        // The answers are not used up: a second Enter gives the same answer again.
        for (int press = 1; press <= 2; ++press) {
            const qint64 t0 = h.now();
            const qint64 chimesEnd = t0 + chimes * 800;
            QString statusDuringAlarm;
            h.at(chimesEnd + 2500, [&] { statusDuringAlarm = h.text("lblStatus"); });
            h.click("cmdBCEnter");
            QCOMPARE(h.playsOf("Chimes.wav"), press * chimes);
            QCOMPARE(statusDuringAlarm, status);
            QCOMPARE(h.text("lblStatus"), status);
            // The chimes first, then the ten-second alarm.
            QCOMPARE(h.now() - t0, qint64(chimes * 800 + 10000));
            QCOMPARE(h.beepsBetween(t0, chimesEnd), 0);
            QCOMPARE(h.beepsBetween(chimesEnd, h.now() + 1), 10);
            QVERIFY(!h.visible("lstBC"));
        }
    }

    void missingChimesStillAnswer() {
        Harness h;
        h.sound.missing << "Chimes.wav";
        setPanelText(h, "txtBC2", "Polling Request");
        const qint64 t0 = h.now();
        h.click("cmdBCEnter");
        QCOMPARE(h.text("lblStatus"), QString("The Blue Crane replied"));
        QCOMPARE(h.now() - t0, qint64(10000));
    }

    void groupCallMovesThePanelToTheWorkingChannel() {
        Harness h;
        setPanelText(h, "txtBC6", "Group Call");
        setPanelText(h, "txtBC2", "");
        h.c().s.CallWorkingChannel = "72";
        h.find<QLabel>("lblStatus")->setText("Calling and Emergency");
        const qint64 t0 = h.now();
        h.click("cmdBCEnter");
        QCOMPARE(h.text("lblBCChannel"), QString("72"));
        // No reply to the own radio.
        QCOMPARE(h.now(), t0);
        QCOMPARE(h.beepCount(), 0);
        QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
        // Again on the next Enter, with whatever channel was proposed last.
        h.c().s.CallWorkingChannel = "22A";
        h.click("cmdBCEnter");
        QCOMPARE(h.text("lblBCChannel"), QString("22A"));
    }

    void enterWithNothingToAnswer() {
        Harness h;
        h.find("lblMenu")->show();
        h.find("lblStatus")->hide();
        h.find<QLabel>("lblStatus")->setText("Calling and Emergency");
        const qint64 t0 = h.now();
        h.click("cmdBCEnter");
        QVERIFY(!h.visible("lblMenu"));
        QVERIFY(h.visible("lblStatus"));
        QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QVERIFY(!h.visible("lstBC"));
        QCOMPARE(h.now(), t0);
        QCOMPARE(h.beepCount(), 0);
    }

    // ---- the panel's Clear key ----

    void clearRestoresTheFieldNames_data() {
        QTest::addColumn<QString>("pending");
        QTest::newRow("routine") << "Routine";
        QTest::newRow("able") << "RoutineX";
        QTest::newRow("unable") << "RoutineY";
    }
    void clearRestoresTheFieldNames() {
        QFETCH(QString, pending);
        Harness h;
        const QColor designed = h.back("txtBC1");
        QCOMPARE(designed, ctl::windowColor());
        h.c().s.CallTypeRoutine = "Routine";
        h.click("cmdBCEnter");
        h.chooseItem("lstBC", "Unable to Comply");
        h.find("comboBC")->show();
        for (int i = 1; i <= 7; ++i) setPanelText(h, QString("txtBC%1").arg(i), QString("filled %1").arg(i));
        ctl::setBackColor(h.find("txtBC1"), ctl::kRed);
        h.find<QLabel>("lblBCChannel")->setText("22A");
        h.c().s.CallTypeRoutine = pending;

        h.click("cmdBCClear");
        const QStringList names{"MMSI#", "Nature of Call", "Voice Channel to Use", "Position", "Date Time",
                                "Priority", "Messages"};
        for (int i = 1; i <= 7; ++i) QCOMPARE(h.text(QString("txtBC%1").arg(i)), names[i - 1]);
        QCOMPARE(h.back("txtBC1"), ctl::windowColor());
        QVERIFY(h.items("lstBC").isEmpty());
        QVERIFY(!h.visible("lstBC"));
        QVERIFY(!h.visible("lstBC2"));
        QVERIFY(!h.visible("comboBC"));
        QCOMPARE(h.c().s.CallTypeRoutine, pending);
        QCOMPARE(h.text("lblBCChannel"), QString("22A"));
    }

    // ---- The Blue Crane's own distress alert ----

    void shortPressOpensTheNatureList() {
        Harness h;
        h.hold("cmdBCDistress", 2000);
        QCOMPARE(h.text("cmdBCDistress"), QString("Distress"));
        QVERIFY(h.visible("comboBC"));
        QCOMPARE(QApplication::focusWidget(), h.find("comboBC"));
        // Nothing was sent.
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QCOMPARE(h.text("txtBC7"), QString("Messages"));
        QCOMPARE(h.items("lstDistress").size(), 23);
        QCOMPARE(h.playsOf("Burglar.wav"), 0);
        // Picking a nature hides the list and keeps the choice.
        h.chooseCombo("comboBC", "Fire");
        QVERIFY(!h.visible("comboBC"));
        QCOMPARE(h.text("comboBC"), QString("Fire"));
        // A new press hides the list while the key is held; let go early, it opens again.
        h.find("comboBC")->show();
        bool shownWhileHeld = true;
        h.after(500, [&] { shownWhileHeld = h.visible("comboBC"); });
        h.hold("cmdBCDistress", 1000);
        QVERIFY(!shownWhileHeld);
        QVERIFY(h.visible("comboBC"));
        QCOMPARE(h.text("comboBC"), QString("Fire"));
    }

    void holdCountsOnTheKey() {
        Harness h;
        QStringList captions;
        for (int ms : {500, 1500, 2500, 3500, 4500, 5200}) h.after(ms, [&] { captions << h.text("cmdBCDistress"); });
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(captions, QStringList({":00", ":01 Seconds", ":02 Seconds", ":03 Seconds", ":04 Seconds", ":05"}));
        QCOMPARE(h.text("cmdBCDistress"), QString("Distress"));
    }

    void alertWithANature() {
        Harness h;
        auto* power = h.find<QLabel>("lblPower");
        h.c().s.TxPower = "1W";
        power->setText("1W");
        h.hold("cmdBCDistress", 2000);
        h.chooseCombo("comboBC", "Fire");

        struct Sample {
            QColor cg1, received;
        };
        std::vector<Sample> samples;
        QString cg1DuringAnnouncement, bc7DuringAnnouncement, bcChannelDuringAnnouncement;
        QStringList receivedDuringAnnouncement;
        bool statusShownDuringAnnouncement = true;
        const qint64 start = h.now();
        const qint64 release = start + 5500;
        const qint64 announce = release + kAnnounceStartMs;
        h.at(announce + 200, [&] {
            cg1DuringAnnouncement = h.text("txtCG1");
            bc7DuringAnnouncement = h.text("txtBC7");
            bcChannelDuringAnnouncement = h.text("lblBCChannel");
            receivedDuringAnnouncement = h.items("lstReceived");
            statusShownDuringAnnouncement = h.visible("lblStatus");
        });
        for (int s = 1; s <= 4; ++s)
            h.at(announce + s * 1000 + 500, [&] { samples.push_back({h.back("txtCG1"), h.back("lstReceived")}); });
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(h.now(), release + kAlertMs);

        // Sending: channel 70, the fields emptied, a beep, four silent seconds, a beep and the alarm.
        QCOMPARE(h.beepsBetween(release, release + 1), 1);
        QCOMPARE(h.beepsBetween(release + 1, release + kPauseMs), 0);
        QCOMPARE(h.beepsBetween(release + kPauseMs, release + kPauseMs + 1), 1);
        QCOMPARE(h.playsOf("Burglar.wav"), 2);
        QCOMPARE(h.sound.plays.front().startMs, release + kPauseMs);
        QCOMPARE(bcChannelDuringAnnouncement, QString("70"));
        QCOMPARE(bc7DuringAnnouncement, QString("Sending Distress"));
        QCOMPARE(h.text("txtBC1"), QString());
        QCOMPARE(h.text("txtBC6"), QString());

        // The announcement: the own radio lists the alert, the Coast Guard's MMSI field flashes.
        QCOMPARE(cg1DuringAnnouncement, QString("MMSI#"));
        QCOMPARE(receivedDuringAnnouncement, QStringList({"MMSI# 366232323", "Vessel: The Blue Crane", "Distress"}));
        QVERIFY(!statusShownDuringAnnouncement);
        QCOMPARE(samples.size(), size_t(4));
        QCOMPARE(samples[0].cg1, ctl::kRed);
        QCOMPARE(samples[0].received, ctl::kDisplay);
        QCOMPARE(samples[1].cg1, ctl::kYellow);
        QCOMPARE(samples[1].received, ctl::kRed);
        QCOMPARE(samples[2].cg1, ctl::kRed);
        QCOMPARE(samples[3].cg1, ctl::kYellow);
        QCOMPARE(samples[3].received, ctl::kRed);
        QCOMPARE(h.beepsBetween(announce + 1, announce + 5000), 4);

        // Waiting for the acknowledgement.
        QCOMPARE(h.text("txtCG1"), QString("MMSI #366232323"));
        QCOMPARE(h.back("txtCG1"), ctl::kRed);
        QCOMPARE(h.text("txtCG2"), QString("Fire"));
        QCOMPARE(h.text("txtCG3"), QString("Voice Channel 16"));
        QCOMPARE(h.text("txtCG4"), kPosition);
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
        QCOMPARE(h.text("CGVesselName"), QString("Vessel: The Blue Crane"));
        const QDateTime alertTime = QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0)).addMSecs(release + kAlertMs);
        // The Coast Guard shows the time the alert carries, whatever the own radio's time entry holds.
        QCOMPARE(h.text("txtCG5"), QLocale::system().toString(alertTime, QLocale::ShortFormat));
        QCOMPARE(h.text("txtBC5"), h.text("txtCG5"));
        QCOMPARE(h.text("txtBC7"), QString("Waiting for Ack"));
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QCOMPARE(h.items("lstReceived"),
                 QStringList({"MMSI# 366232323", "Vessel: The Blue Crane", "Distress", "Fire", "Voice Channel 16",
                              kPosition, "", "Waiting for Ack'"}));
        QVERIFY(h.visible("lstReceived"));
        QCOMPARE(h.back("lstReceived"), ctl::kDisplay);
        const QStringList log = h.items("lstDistress");
        QCOMPARE(log.size(), 31);
        QCOMPARE(log.mid(23), QStringList({h.text("txtBC5"), "366232323", "Vessel: The Blue Crane", "Distress", "Fire",
                                           kPosition, QString(19, '_'), ""}));
        QCOMPARE(log.first(), QString("UTC 15:15"));
        QVERIFY(h.visible("lblStatus"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QVERIFY(h.c().TimerRepeat->isEnabled());
        QCOMPARE(h.c().s.TxPower, QString("25W"));
        QCOMPARE(power->text(), QString("25W"));
        QVERIFY(!h.visible("comboBC"));
    }

    void alertWithoutANatureAndASecondAlert() {
        Harness h;
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(h.text("txtCG2"), QString("Undesignated Reason"));
        QCOMPARE(h.items("lstReceived").value(3), QString("Undesignated Reason"));
        QCOMPARE(h.items("lstDistress").value(23 + 4), QString("Undesignated Reason"));
        const QStringList first = h.items("lstDistress");

        // The repeat that the alert switched on finds no own alert and sends nothing.
        h.advance(61000);
        QCOMPARE(h.playsOf("Burglar.wav"), 2);
        QCOMPARE(h.text("txtCG1"), QString("MMSI #366232323"));

        h.hold("cmdBCDistress", 4500); // let go after ":04 Seconds": sent all the same
        const QStringList log = h.items("lstDistress");
        QCOMPARE(log.size(), 39);
        QCOMPARE(log.mid(0, 31), first);
        QCOMPARE(log.mid(31 + 1), first.mid(23 + 1));
        // The received list shows this alert alone.
        QCOMPARE(h.items("lstReceived").size(), 8);
        QCOMPARE(h.playsOf("Burglar.wav"), 4);
    }

    void acknowledgedByTheCoastGuard() {
        Harness h;
        auto* knob = h.find<QScrollBar>("ScrollChannel");
        knob->setValue(72);
        const QString ownChannel = h.text("lblChannel");
        QString bc7AfterEarlyAck, channelAfterEarlyAck, statusAfterEarlyAck;
        const qint64 release = h.now() + 5500;
        // Acknowledge given during the announcement: txtCG1 still reads "MMSI # 366232323", so it is
        // not taken as an acknowledgement of this alert.
        h.at(release + kAnnounceStartMs + 2500, [&] {
            h.click("cmdAcknowledge");
            bc7AfterEarlyAck = h.text("txtBC7");
            channelAfterEarlyAck = h.text("lblBCChannel");
            statusAfterEarlyAck = h.text("lblStatus");
        });
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(bc7AfterEarlyAck, QString("Sending Distress"));
        QCOMPARE(channelAfterEarlyAck, QString("70"));
        QVERIFY(statusAfterEarlyAck != QLatin1String("Recv'd Distress Ack"));
        QCOMPARE(h.text("txtBC7"), QString("Waiting for Ack"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QVERIFY(h.c().TimerRepeat->isEnabled());

        h.find("lblStatus")->hide();
        h.click("cmdAcknowledge");
        QVERIFY(h.visible("lblStatus"));
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("txtBC7"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        // The own radio stays where it was.
        QCOMPARE(knob->value(), 72);
        QCOMPARE(h.text("lblChannel"), ownChannel);
    }

    void ownAlertActiveRunsOnceMore() {
        Harness h;
        h.c().s.CallTypeDistress = "Distress";
        const qint64 release = h.now() + 5500;
        h.hold("cmdBCDistress", 5500);
        const qint64 ownRunStart = release + kAlertMs;
        // The Blue Crane's two alarm sounds, then the own alert's alarm.
        QCOMPARE(h.playsOf("Burglar.wav") - h.playsOf("Burglar.wav", ownRunStart), 2);
        QVERIFY(h.playsOf("Burglar.wav", ownRunStart) >= 2);
        // The own alert has written the Coast Guard display over The Blue Crane's.
        QCOMPARE(h.text("txtCG1"), QString("MMSI # 316123456"));
        QCOMPARE(h.text("CGVesselName"), QString("Vessel: Kelpo"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
        // Only once: the own alert's next run is the repeat a minute later.
        const int plays = h.playsOf("Burglar.wav");
        h.advance(30000);
        QCOMPARE(h.playsOf("Burglar.wav"), plays);
    }
};

TRAINER_TEST_MAIN(SecondVesselTest)
#include "tst_secondvessel.moc"
