// Whole roads through the trainer, driven only with the keys a trainee uses: a routine call to The
// Blue Crane answered from its panel, the own distress alert acknowledged by the Coast Guard, and
// The Blue Crane's own alert arriving in the own radio's distress log.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QScrollBar>
#include <memory>

class RoadsTest : public QObject {
    Q_OBJECT
private slots:
    void routineCallAnsweredAbleToComply() {
        Harness h;
        QVERIFY(h.tuneTo("22A"));
        h.click("cmdCall");
        h.chooseItem("lstCall", "Routine");
        h.chooseItem("lstDirectory", "The Blue Crane            366232323");

        // The person at the keyboard answers on the panel once the call has arrived there and the
        // own radio is in its closing wait.
        qint64 panelEnterAt = -1, ableAt = -1;
        QString statusDuringAlarm, panelChannelDuringAlarm;
        QStringList repliesOffered;
        auto watch = std::make_shared<std::function<void()>>();
        *watch = [&h, &panelEnterAt, &ableAt, &statusDuringAlarm, &panelChannelDuringAlarm, &repliesOffered,
                  w = std::weak_ptr<std::function<void()>>(watch)] {
            if (h.text("lblStatus") != QLatin1String("Routine Call Transmitted")) {
                if (h.now() < 60000) h.after(250, *w.lock());
                return;
            }
            panelEnterAt = h.now();
            h.click("cmdBCEnter");
            repliesOffered = h.items("lstBC");
            h.after(700, [&] {
                ableAt = h.now();
                h.after(2500, [&] {
                    statusDuringAlarm = h.text("lblStatus");
                    panelChannelDuringAlarm = h.text("lblBCChannel");
                });
                h.chooseItem("lstBC", "Able to Comply");
            });
        };
        const qint64 enterAt = h.now();
        h.after(250, *watch);
        h.click("cmdEnter");

        // The call reached the panel.
        QCOMPARE(h.text("txtBC1"), QString("MMSI # 316123456"));
        QCOMPARE(h.text("txtBC2"), QString("Routine"));
        QCOMPARE(h.text("txtBC3"), QString("Voice Channel 22A"));
        QCOMPARE(h.text("txtBC6"), QString());
        QCOMPARE(h.text("txtBC7"), QString("Vessel: Kelpo"));
        QCOMPARE(h.c().s.CallWorkingChannel, QString("22A"));

        // The answer was given in the closing wait, which begins after the call's sound, its
        // five-second wait and its one-second pause.
        QVERIFY(panelEnterAt >= enterAt + 8500);
        QVERIFY(panelEnterAt < enterAt + 13500);
        QCOMPARE(repliesOffered, QStringList({"Able to Comply", "Unable to Comply"}));
        QVERIFY(ableAt > 0);
        QCOMPARE(statusDuringAlarm, QString("The Blue Crane Replying"));
        QCOMPARE(panelChannelDuringAlarm, QString("22A"));
        // The reply alarm's ten seconds also end the closing wait.
        QCOMPARE(h.now(), ableAt + 10000);
        QCOMPARE(h.beepsBetween(ableAt, h.now() + 1), 10);
        QCOMPARE(h.text("lblStatus"), QString("The Blue Crane Replied"));
        QCOMPARE(h.back("lblStatus"), ctl::kDisplay);
        QCOMPARE(h.text("lblBCChannel"), QString("22A"));
        QVERIFY(!h.visible("lstBC"));
        QVERIFY(!h.visible("lblTX"));
        QCOMPARE(h.c().s.CallTypeRoutine, QString("RoutineX"));
    }

    void ownDistressAlertAcknowledged() {
        Harness h;
        h.hold("cmdDistress", 2000);
        QVERIFY(h.visible("ComboMessage"));
        h.chooseCombo("ComboMessage", "Fire");

        QStringList panelDuringFlash;
        const qint64 release = h.now() + 5500;
        // The alarm takes at least three seconds; the fields flash in the five seconds after it.
        h.at(release + 5500, [&] {
            for (int i = 1; i <= 7; ++i) panelDuringFlash << h.text(QString("txtBC%1").arg(i));
            // Nothing on the panel to answer: its Enter key gives no reply.
            h.click("cmdBCEnter");
        });
        h.hold("cmdDistress", 5500);
        QCOMPARE(panelDuringFlash.value(0), QString("MMSI # 316123456"));
        QCOMPARE(panelDuringFlash.value(1), QString("Fire"));
        QCOMPARE(panelDuringFlash.value(2), QString("Voice Channel 16"));
        QCOMPARE(panelDuringFlash.value(5), QString("Distress"));
        QCOMPARE(panelDuringFlash.value(6), QString("Vessel: Kelpo"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QVERIFY(h.c().TimerRepeat->isEnabled());

        // The panel can be cleared; the acknowledgement still reaches its message line.
        h.click("cmdBCClear");
        QCOMPARE(h.text("txtBC1"), QString("MMSI#"));
        QCOMPARE(h.back("txtBC1"), ctl::windowColor());
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("txtBC7"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        QCOMPARE(h.c().s.CallTypeDistress, QString());

        // No more repeats.
        const int plays = h.playsOf("Burglar.wav");
        h.advance(125000);
        QCOMPARE(h.playsOf("Burglar.wav"), plays);
    }

    void blueCraneAlertInTheDistressLog() {
        Harness h;
        h.hold("cmdBCDistress", 2000);
        h.chooseCombo("comboBC", "Sinking");
        h.hold("cmdBCDistress", 5500);
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QCOMPARE(h.text("txtCG2"), QString("Sinking"));
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("txtBC7"), QString("Recv'd Distress Ack"));

        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Received Calls");
        h.chooseItem("lstReceived", "Distress Calls");
        QVERIFY(h.visible("lstDistress"));
        const QStringList log = h.items("lstDistress");
        QCOMPARE(log.size(), 31);
        QCOMPARE(log.first(), QString("UTC 15:15"));
        QCOMPARE(log.mid(24, 4), QStringList({"366232323", "Vessel: The Blue Crane", "Distress", "Sinking"}));
    }
};

TRAINER_TEST_MAIN(RoadsTest)
#include "tst_roads.moc"
