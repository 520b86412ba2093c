// The own distress key, the alert with its alarm, flash and 60-second repeat, and the call time.
#include "calls/CallTime.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QLocale>

namespace {

constexpr int kBurglar = 700; // one play of the alarm sound; a pair is 1400 ms, three pairs 4200 ms

// The own radio and both stations, as the trainee sees them.
QStringList screen(Harness& h) {
    QStringList out;
    for (const char* n : {"lblChannel", "lblStatus", "lblPower", "txtCG1", "txtCG2", "txtCG3", "txtCG4", "txtCG5",
                          "txtCG6", "CGVesselName", "txtBC1", "txtBC2", "txtBC3", "txtBC4", "txtBC5", "txtBC6",
                          "txtBC7"})
        out << QString("%1=%2").arg(n, h.text(n));
    out << QString("TX=%1 A=%2 CG1=%3").arg(h.visible("lblTX")).arg(h.visible("lblA")).arg(h.back("txtCG1").name());
    return out;
}

} // namespace

class DistressTest : public QObject {
    Q_OBJECT
private slots:
    // ":00", ":01 Seconds" ... ":04 Seconds", ":05", one step a second, each with a beep.
    void holdCountsSecondsOnTheKey() {
        Harness h;
        const qint64 t0 = h.now();
        QStringList captions;
        QList<int> beeps;
        for (int i = 0; i <= 5; ++i)
            h.at(t0 + 500 + 1000 * i, [&] {
                captions << h.text("cmdDistress");
                beeps << h.beepCount();
            });
        h.hold("cmdDistress", 5800);
        QCOMPARE(captions, QStringList({":00", ":01 Seconds", ":02 Seconds", ":03 Seconds", ":04 Seconds", ":05"}));
        QCOMPARE(beeps, QList<int>({0, 1, 2, 3, 4, 5}));
        for (int i = 0; i < 5; ++i) QCOMPARE(h.sound.beeps[i], t0 + 1000 * (i + 1));
        QCOMPARE(h.text("cmdDistress"), QString("Distress (hold 5 seconds)"));
        QCOMPARE(h.back("cmdDistress"), ctl::kRed);
    }

    void shortPressOpensNatureList_data() {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<int>("beeps");
        QTest::newRow("at once") << 300 << 0;
        QTest::newRow("two and a half seconds") << 2500 << 2;
        QTest::newRow("just before :04 Seconds") << 3990 << 3;
    }
    void shortPressOpensNatureList() {
        QFETCH(int, holdMs);
        QFETCH(int, beeps);
        Harness h;
        const QStringList before = screen(h);
        h.hold("cmdDistress", holdMs);
        QCOMPARE(h.text("cmdDistress"), QString("Distress (hold 5 seconds)"));
        QVERIFY(h.visible("ComboMessage"));
        QCOMPARE(QApplication::focusWidget(), h.find("ComboMessage"));
        QVERIFY(!h.c().Timer5Second->isEnabled());
        // Nothing was sent, and the count ended with the release.
        h.advance(10000);
        QCOMPARE(h.beepCount(), beeps);
        QCOMPARE(h.text("cmdDistress"), QString("Distress (hold 5 seconds)"));
        QCOMPARE(h.c().s.CallTypeDistress, QString());
        QCOMPARE(h.sound.plays.size(), size_t(0));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        QCOMPARE(screen(h), before);
        // Picking a nature hides the list and keeps the choice; a new press hides it too.
        h.chooseCombo("ComboMessage", "Fire");
        QVERIFY(!h.visible("ComboMessage"));
        QCOMPARE(h.text("ComboMessage"), QString("Fire"));
        h.hold("cmdDistress", 1000);
        QVERIFY(h.visible("ComboMessage"));
        bool shownWhileHeld = true;
        h.at(h.now() + 500, [&] { shownWhileHeld = h.visible("ComboMessage"); });
        h.hold("cmdDistress", 1000);
        QVERIFY(!shownWhileHeld);
    }

    // The key is held with Space as well as with the mouse.
    void spaceHoldsTheKey() {
        Harness h;
        QPushButton* key = h.ui().cmdDistress;
        h.after(2500, [key] { QTest::keyRelease(key, Qt::Key_Space); });
        QTest::keyPress(key, Qt::Key_Space);
        QCOMPARE(h.beepCount(), 2);
        QVERIFY(h.visible("ComboMessage"));
        h.after(6000, [key] { QTest::keyRelease(key, Qt::Key_Space); });
        QTest::keyPress(key, Qt::Key_Space);
        QCOMPARE(h.text("cmdDistress"), QString(":05"));
        h.advance(1000);
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
        QCOMPARE(h.sound.count("Burglar.wav"), 6);
    }

    void fullHoldSends_data() {
        QTest::addColumn<int>("holdMs");
        QTest::newRow("between :04 Seconds and the end") << 4500;
        QTest::newRow("after :05") << 7000;
    }
    void fullHoldSends() {
        QFETCH(int, holdMs);
        Harness h;
        h.hold("cmdDistress", holdMs);
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
        QCOMPARE(h.sound.count("Burglar.wav"), 6);
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QVERIFY(!h.visible("ComboMessage"));
    }

    // A hold that reached ":05" while an Urgency call was being sent still sends the alert when
    // the key is let go in the call's closing wait, which has restarted the shared second count.
    void fullHoldInsideACallSends() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Urgency");
        const qint64 t0 = h.now();
        // The call's wait starts once its two alarm plays are over; the hold runs inside it and
        // ends it; a 3 s pause follows, then the Enter key's closing wait.
        h.at(t0 + 2 * kBurglar + 500, [&] { h.press("cmdDistress"); });
        QString held;
        h.at(t0 + 2 * kBurglar + 500 + 5000 + 3000 + 1000, [&] {
            held = h.text("cmdDistress");
            h.release("cmdDistress");
        });
        h.click("cmdEnter");
        QCOMPARE(held, QString(":05"));
        QCOMPARE(h.sound.count("Burglar.wav"), 2 + 6);
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
        QVERIFY(!h.visible("ComboMessage"));
    }

    // Every field of both stations after an alert.
    void stationsShowTheAlert_data() {
        QTest::addColumn<QString>("nature");   // chosen before the alert, or empty for none
        QTest::addColumn<QString>("ownMMSI");
        QTest::newRow("Fire") << "Fire" << "316123456";
        QTest::newRow("no nature ever chosen") << "" << "316123456";
        QTest::newRow("another own MMSI") << "Adrift" << "338000111";
    }
    void stationsShowTheAlert() {
        QFETCH(QString, nature);
        QFETCH(QString, ownMMSI);
        Harness h;
        Ui::frmGMDSS& ui = h.ui();
        if (!nature.isEmpty()) h.chooseCombo("ComboMessage", nature);
        if (ownMMSI != "316123456") {
            h.openMenuItem("MMSI#");
            ctl::setText(ui.txtMMSI, QString());
            h.type("txtMMSI", ownMMSI);
            h.click("cmdEnter");
        }
        ctl::setText(ui.txtTime, "10:35");
        ui.lblLatLon->setText("L42°17.6'N Lo070°47.4'W");
        h.c().s.TxPower = "1W";
        ui.lblPower->setText("1W");
        h.hold("cmdDistress", 5500);
        const QString line = "MMSI # " + ownMMSI;
        QCOMPARE(h.c().s.OwnMMSI, ownMMSI);
        QCOMPARE(screen(h).mid(0, 17),
                 QStringList({"lblChannel=16", "lblStatus=Waiting for Ack", "lblPower=25W", "txtCG1=" + line,
                              "txtCG2=" + nature, "txtCG3=Voice Channel 16", "txtCG4=L42°17.6'N Lo070°47.4'W",
                              "txtCG5=12-06-2026 10:35", "txtCG6=Distress", "CGVesselName=Vessel: Kelpo",
                              "txtBC1=" + line, "txtBC2=" + nature, "txtBC3=Voice Channel 16",
                              "txtBC4=L42°17.6'N Lo070°47.4'W", "txtBC5=12-06-2026 10:35", "txtBC6=Distress",
                              "txtBC7=Vessel: Kelpo"}));
        QVERIFY(!h.visible("lblTX"));
        QCOMPARE(h.c().s.TxPower, QString("25W"));
        QCOMPARE(h.c().s.DistressNature, nature);
        QCOMPARE(h.c().s.CallVoiceChannel, qint16(16));
        QCOMPARE(h.ui().ScrollChannel->value(), 16);
        QVERIFY(h.c().TimerRepeat->isEnabled());
    }

    void callTime_data() {
        QTest::addColumn<bool>("gps");
        QTest::addColumn<QString>("utc");
        QTest::addColumn<int>("addMinutes");
        QTest::newRow("GPS, 4.5") << true << "4.5" << 270;
        QTest::newRow("GPS, 4.0") << true << "4.0" << 240;
        QTest::newRow("GPS, untouched #.#") << true << "#.#" << 0;
        QTest::newRow("GPS, #.5") << true << "#.5" << 30;
        QTest::newRow("manual time") << false << "4.5" << -1;
    }
    void callTime() {
        QFETCH(bool, gps);
        QFETCH(QString, utc);
        QFETCH(int, addMinutes);
        Harness h(QDateTime(QDate(2026, 12, 6), QTime(22, 10, 0))); // 4.5 hours later is tomorrow
        Ui::frmGMDSS& ui = h.ui();
        ui.GPSOn->setChecked(gps);
        ui.GPSOff->setChecked(!gps);
        ctl::setText(ui.txtUTC, utc);
        ctl::setText(ui.txtTime, "10:35");
        const QDateTime when = h.c().clock.now();
        const QString expected = gps ? QLocale::system().toString(when.addSecs(60 * addMinutes), QLocale::ShortFormat)
                                     : QString("12-06-2026 10:35");
        QCOMPARE(callTimeText(h.c()), expected);
    }

    // The alarm: pairs of Burglar.wav while less than three seconds have passed, no input meanwhile.
    void alarmPlaysPairsForThreeSeconds_data() {
        QTest::addColumn<int>("lengthMs");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("alarmMs");
        QTest::newRow("700 ms") << 700 << 6 << 4200;
        QTest::newRow("1000 ms") << 1000 << 4 << 4000;
        QTest::newRow("1600 ms, one pair") << 1600 << 2 << 3200;
        QTest::newRow("400 ms") << 400 << 8 << 3200;
        QTest::newRow("missing file") << 0 << 2 << 3000;
    }
    void alarmPlaysPairsForThreeSeconds() {
        QFETCH(int, lengthMs);
        QFETCH(int, plays);
        QFETCH(int, alarmMs);
        Harness h;
        if (lengthMs) h.sound.lengthsMs["Burglar.wav"] = lengthMs;
        else h.sound.missing << "Burglar.wav";
        // What the window shows when it is repainted just before the alarm.
        QStringList painted;
        struct PaintSpy : QObject {
            std::function<void()> fn;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) fn();
                return false;
            }
        } spy;
        spy.fn = [&] {
            painted << h.text("lblChannel") + "|" + h.text("lblStatus") + "|" + QString::number(h.visible("lblTX"));
        };
        h.ui().lblStatus->installEventFilter(&spy);
        // Let the offscreen platform expose the window, so that a repaint really paints it.
        QCoreApplication::processEvents();
        QVERIFY(h.window()->windowHandle()->isExposed());
        const qint64 release = h.now() + 5500;
        qint64 clickRanAt = -1;
        h.at(release + 1000, [&] {
            clickRanAt = h.now();
            h.click("CGClear");
        });
        h.hold("cmdDistress", 5500);
        QVERIFY2(painted.contains("70|Sending Distress|1"), qPrintable(painted.join(", ")));
        QCOMPARE(painted.count("70|Sending Distress|1"), 1);
        QCOMPARE(h.sound.count("Burglar.wav"), plays);
        for (int i = 0; i < plays; ++i) QCOMPARE(h.sound.plays[i].startMs, release + qint64(i) * lengthMs);
        QCOMPARE(h.sound.beeps[5], release);           // before the alarm
        QCOMPARE(h.sound.beeps[6], release + alarmMs); // after it
        // The click given during the alarm ran when it was over, after the display had been filled.
        QCOMPARE(clickRanAt, release + alarmMs);
        QCOMPARE(h.text("txtCG6"), QString("Priority of Call"));
        QCOMPARE(h.text("txtBC6"), QString("Distress"));
    }

    // The flash: txtBC1 and txtCG1 in opposite colours, a beep a step; Acknowledge is taken at once.
    void flashAlternatesAndTakesAcknowledge() {
        Harness h;
        const qint64 flash = h.now() + 5500 + 3 * 2 * kBurglar;
        QStringList colours;
        for (int i = 1; i <= 4; ++i)
            h.at(flash + 500 + 1000 * i, [&] { colours << h.back("txtBC1").name() + "/" + h.back("txtCG1").name(); });
        QString ackSeen;
        h.at(flash + 2500, [&] {
            h.click("cmdAcknowledge");
            ackSeen = h.text("lblStatus") + "|" + h.c().s.CallTypeDistress + "|" +
                      QString::number(h.c().TimerRepeat->isEnabled()) + "|" + h.text("txtBC7");
        });
        h.hold("cmdDistress", 5500);
        QCOMPARE(colours, QStringList({"#ff0000/#ffff00", "#ffff00/#ff0000", "#ff0000/#ffff00", "#ffff00/#ff0000"}));
        // The fields keep their last colours.
        QCOMPARE(h.back("txtBC1"), ctl::kYellow);
        QCOMPARE(h.back("txtCG1"), ctl::kRed);
        QCOMPARE(ackSeen, QString("Recv'd Distress Ack||0|Recv'd Distress Ack"));
        QCOMPARE(std::vector<qint64>(h.sound.beeps.begin() + 6, h.sound.beeps.end()),
                 std::vector<qint64>({flash, flash + 1000, flash + 2000, flash + 3000, flash + 4000}));
        QCOMPARE(h.text("lblStatus"), QString("Recv'd Distress Ack"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        h.advance(200000);
        QCOMPARE(h.sound.count("Burglar.wav"), 6);
    }

    // Without an acknowledgement the whole alert comes again 60 s after the last one went out.
    void repeatsEverySixtySeconds() {
        Harness h;
        const qint64 release = h.hold("cmdDistress", 5500);
        const qint64 waiting = release + 6 * kBurglar; // "Waiting for Ack", the repeat timer started
        h.chooseCombo("ComboMessage", "Sinking");
        h.click("CGClear"); // the Coast Guard's Clear does not end the repeats
        h.advance(60000 * 3 + 20000);
        QCOMPARE(h.sound.count("Burglar.wav"), 4 * 6);
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(h.sound.plays[6 * k].startMs, waiting + (k - 1) * (60000 + 6 * kBurglar) + 60000);
        QCOMPARE(h.text("txtCG2"), QString("Sinking"));
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
        // The own Clear key ends the alert; the timer keeps ticking without effect.
        h.click("cmdClear");
        QCOMPARE(h.c().s.CallTypeDistress, QString());
        const QStringList before = screen(h);
        h.advance(60000 * 2);
        QVERIFY(h.c().TimerRepeat->isEnabled());
        QCOMPARE(h.sound.count("Burglar.wav"), 4 * 6);
        QCOMPARE(screen(h), before);
    }

    void emptyOwnMMSIRefuses() {
        Harness h;
        h.ui().lblMMSI->setText("MMSI# = ");
        const QStringList before = screen(h);
        const qint64 release = h.hold("cmdDistress", 5500);
        QCOMPARE(h.messages.texts(), QStringList({"Cannot send a DSC message without a MMSI #"}));
        QCOMPARE(h.messages.shown[0].atMs, release);
        QCOMPARE(screen(h), before);
        QCOMPARE(h.sound.plays.size(), size_t(0));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        QCOMPARE(h.c().s.CallTypeDistress, QString("Distress"));
    }

    // A repeat that finds the MMSI line gone says so every 60 s and sends nothing.
    void repeatWithoutMMSIComplainsEachMinute() {
        Harness h;
        const qint64 waiting = h.hold("cmdDistress", 5500) + 6 * kBurglar;
        h.ui().lblMMSI->setText("MMSI#");
        h.advance(125000);
        QCOMPARE(h.messages.texts().size(), 2);
        QCOMPARE(h.messages.shown[0].atMs, waiting + 60000);
        QCOMPARE(h.messages.shown[1].atMs, waiting + 120000);
        QCOMPARE(h.sound.count("Burglar.wav"), 6);
    }

    // Sent in weather mode, the alert still ends on channel 16, back in channel mode.
    void alertFromWeatherModeEndsOnSixteen() {
        Harness h;
        h.click("cmdCHWX");
        QCOMPARE(h.c().s.ChWxMode, QString("WX"));
        h.hold("cmdDistress", 5500);
        QCOMPARE(h.c().s.ChWxMode, QString("CH"));
        QCOMPARE(h.ui().ScrollChannel->maximum(), 88);
        QCOMPARE(h.ui().ScrollChannel->value(), 16);
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
        QCOMPARE(h.text("txtCG3"), QString("Voice Channel 16"));
        QVERIFY(h.visible("lblPower"));
    }

    // The key shows its long caption on several lines; its text stays as set.
    void captionIsWrapped() {
        Harness h;
        QPushButton* key = h.ui().cmdDistress;
        QCOMPARE(key->text(), QString("Distress  (hold 5 seconds)"));
        const QImage img = key->grab().toImage();
        int first = -1, last = -1;
        for (int y = 4; y < img.height() - 4; ++y)
            for (int x = 4; x < img.width() - 4; ++x)
                if (qGray(img.pixel(x, y)) < 60 && qRed(img.pixel(x, y)) < 100) {
                    if (first < 0) first = y;
                    last = y;
                }
        QVERIFY(first >= 0);
        QVERIFY2(last - first > key->fontMetrics().height() * 3 / 2, qPrintable(QString("%1 %2").arg(first).arg(last)));
    }
};

TRAINER_TEST_MAIN(DistressTest)
#include "tst_distress.moc"
