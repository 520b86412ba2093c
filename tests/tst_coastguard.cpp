// The Coast Guard station display: Clear, Acknowledge and the own radio's reply alarm.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"
#include "calls/Answers.h"
#include "stations/CoastGuard.h"

#include <QLabel>
#include <QLineEdit>

namespace {

const QStringList kCGFields{"txtCG1", "CGVesselName", "txtCG6", "txtCG2", "txtCG3", "txtCG5", "txtCG4"};
const QStringList kCGNames{"MMSI#",        "Vessel's Name", "Priority of Call", "Nature of Call",
                           "Voice to Use", "Date/Time",     "Position"};

// Sends the own distress alert with a full hold of the key; returns when it is waiting for its ack.
void sendDistress(Harness& h) {
    const qint64 release = h.now() + 5500;
    h.at(release, [&h] { h.release("cmdDistress"); });
    h.press("cmdDistress");
    h.advance(release - h.now());
}

// Everything visible on the window: texts, shown or hidden, colours.
QStringList everything(Harness& h) {
    QStringList out;
    for (QWidget* w : h.window()->findChildren<QWidget*>()) {
        QString t;
        if (auto* l = qobject_cast<QLabel*>(w)) t = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w)) t = e->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) t = b->text();
        out << QString("%1|%2|%3|%4|%5").arg(w->objectName(), t).arg(w->isHidden())
                   .arg(ctl::backColor(w).name(), ctl::foreColor(w).name());
    }
    return out;
}

} // namespace

class CoastGuardTest : public QObject {
    Q_OBJECT
private slots:
    // Clear empties the display but leaves the alert running: it refills the display at its next
    // repeat, and Acknowledge on the emptied display still acknowledges it.
    void clearKeepsTheAlertGoing() {
        Harness h;
        sendDistress(h);
        h.click("CGClear");
        for (int i = 0; i < kCGFields.size(); ++i) QCOMPARE(h.text(kCGFields[i]), kCGNames[i]);
        QCOMPARE(h.back("txtCG1"), ctl::windowColor());
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QCOMPARE(h.text("txtBC6"), QString("Distress"));
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
        h.advance(61000);
        QCOMPARE(h.sound.count("Burglar.wav"), 12);
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
        h.click("CGClear");
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("txtBC7"), QString("Recv'd Distress Ack"));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        h.advance(200000);
        QCOMPARE(h.sound.count("Burglar.wav"), 12);
        QCOMPARE(h.text("txtCG1"), QString("MMSI#"));
    }

    // Which acknowledgement applies: the second vessel's alert first, then the own alert waiting,
    // then a routine call; any of them ends the own alert. An own alert still running is
    // acknowledged as such, whatever the knob has since written on the status line.
    void acknowledgeCases_data() {
        QTest::addColumn<QString>("cg1");
        QTest::addColumn<QString>("cg6");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("statusAfter");
        QTest::addColumn<QString>("bc7After");
        QTest::addColumn<QString>("bcChannelAfter");
        QTest::addColumn<QString>("channelAfter");
        QTest::addColumn<bool>("repeatAfter");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<bool>("statusShown");
        QTest::addColumn<bool>("ownAlert");
        const QString ack = "Recv'd Distress Ack";
        QTest::newRow("1: second vessel's alert") << "MMSI #366232323" << "Routine" << "Waiting for Ack" << ack
                                                  << ack << "16" << "22" << false << 0 << true << true;
        QTest::newRow("1 not yet: during its announcement")
            << "MMSI # 366232323" << "Distress" << "Weather" << "Weather" << "Messages" << "70" << "22" << true << 0 << false << false;
        QTest::newRow("2: own alert waiting") << "MMSI # 316123456" << "Routine" << "Waiting for Ack" << ack << ack
                                              << "70" << "16" << false << 0 << false << true;
        QTest::newRow("2: own alert, the knob stepped since") << "MMSI#" << "Priority of Call" << "Calling" << ack
                                                               << ack << "70" << "16" << false << 0 << false << true;
        QTest::newRow("3: routine call") << "MMSI # 316123456" << "Routine" << "Calling" << "Boston Coast Guard Ack"
                                         << "Messages" << "70" << "22" << true << 10 << false << false;
        QTest::newRow("none") << "MMSI#" << "Priority of Call" << "Calling" << "Calling" << "Messages" << "70"
                              << "22" << true << 0 << false << false;
    }
    void acknowledgeCases() {
        QFETCH(QString, cg1);
        QFETCH(QString, cg6);
        QFETCH(QString, status);
        QFETCH(QString, statusAfter);
        QFETCH(QString, bc7After);
        QFETCH(QString, bcChannelAfter);
        QFETCH(QString, channelAfter);
        QFETCH(bool, repeatAfter);
        QFETCH(int, beeps);
        QFETCH(bool, statusShown);
        QFETCH(bool, ownAlert);
        Harness h;
        Ui::frmGMDSS& ui = h.ui();
        h.c().channel->setKnob(22);
        ctl::setText(ui.txtCG1, cg1);
        ctl::setText(ui.txtCG6, cg6);
        ui.lblStatus->setText(status);
        ui.lblStatus->hide(); // as the second vessel's alert leaves it; case 1 shows it again
        ui.lblBCChannel->setText("70");
        h.c().TimerRepeat->setEnabled(true);
        if (ownAlert) h.c().s.CallTypeDistress = "Distress";
        h.c().s.CallTypeRoutine = "Routine";
        const qint64 t0 = h.now();
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), statusAfter);
        QCOMPARE(h.visible("lblStatus"), statusShown);
        QCOMPARE(h.text("txtBC7"), bc7After);
        QCOMPARE(h.text("lblBCChannel"), bcChannelAfter);
        QCOMPARE(QString::number(ui.ScrollChannel->value()), channelAfter);
        QCOMPARE(h.c().TimerRepeat->isEnabled(), repeatAfter);
        QCOMPARE(h.beepCount(), beeps);
        QCOMPARE(h.c().s.CallTypeDistress, QString());
        QCOMPARE(h.c().s.CallTypeRoutine, QString(beeps ? "" : "Routine"));
        QCOMPARE(h.now() - t0, qint64(beeps ? 10000 : 0));
        QCOMPARE(h.text("txtCG1"), cg1); // the display's own fields stay
        QCOMPARE(h.text("txtCG6"), cg6);
    }

    void acknowledgeOnEmptyDisplayChangesNothingVisible() {
        Harness h;
        const QStringList before = everything(h);
        h.click("cmdAcknowledge");
        QCOMPARE(everything(h), before);
        QCOMPARE(h.beepCount(), 0);
    }

    // After the own alert: channel 16 on the own radio, no more repeats, the fields stay.
    void acknowledgeOwnAlert() {
        Harness h;
        h.chooseCombo("ComboMessage", "Fire");
        sendDistress(h);
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QCOMPARE(h.text("txtCG2"), QString("Fire"));
        QCOMPARE(h.back("txtCG1"), ctl::kRed);
        h.advance(300000);
        QCOMPARE(h.sound.count("Burglar.wav"), 6);
    }

    // Weather mode: the acknowledgement leaves it and puts the knob on 16.
    void acknowledgeFromWeatherMode() {
        Harness h;
        h.click("cmdCHWX");
        QCOMPARE(h.c().s.ChWxMode, QString("WX"));
        h.ui().lblStatus->setText("Waiting for Ack"); // as the second vessel's alert leaves it
        h.click("cmdAcknowledge");
        QCOMPARE(h.c().s.ChWxMode, QString("CH"));
        QCOMPARE(h.ui().ScrollChannel->maximum(), 88);
        QCOMPARE(h.ui().ScrollChannel->value(), 16);
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
    }

    // Ten seconds of beeps with the status line red and yellow, starting red; then the display
    // colour, and the next wait is five seconds again.
    void replyAlarm() {
        Harness h;
        const qint64 t0 = h.now();
        QStringList colours;
        for (int i = 0; i <= 10; ++i) h.at(t0 + 500 + 1000 * i, [&] { colours << h.back("lblStatus").name(); });
        calls::ReplyAlarm(h.c());
        QCOMPARE(h.now() - t0, qint64(10000));
        h.advance(1000);
        QCOMPARE(colours, QStringList({"#ffff80", "#ff0000", "#ffff00", "#ff0000", "#ffff00", "#ff0000", "#ffff00",
                                       "#ff0000", "#ffff00", "#ff0000", "#ffff80"}));
        QCOMPARE(h.beepCount(), 10);
        for (int i = 0; i < 10; ++i) QCOMPARE(h.sound.beeps[i], t0 + 1000 * i);
        // The distress key's count ends after five seconds, not ten.
        QString caption;
        const qint64 t1 = h.now();
        h.at(t1 + 5500, [&] { caption = h.text("cmdDistress"); });
        h.at(t1 + 5600, [&h] { h.release("cmdDistress"); });
        h.press("cmdDistress");
        QCOMPARE(h.now() - t1, qint64(5000));
        h.advance(600);
        QCOMPARE(caption, QString(":05"));
    }
};

TRAINER_TEST_MAIN(CoastGuardTest)
#include "tst_coastguard.moc"
