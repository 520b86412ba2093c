// The trainer right after start-up.
#include "harness/Harness.h"
#include "harness/TestMain.h"

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAfterStart() {
        Harness h;
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# = 316123456"));
        QCOMPARE(h.c().s.TxPower, QString("25W"));
        QCOMPARE(h.c().s.ChannelLabel, QString("84"));
        QCOMPARE(h.c().s.PrevScrollValue, qint16(16));
        QCOMPARE(h.items("lstDistress").size(), 23);
        QCOMPARE(h.items("lstDistress").last(), QString());
        QCOMPARE(h.items("lstDistress").first(), QString("UTC 15:15"));
        QCOMPARE(h.text("lblTime"), QString("6-Dec"));
        for (const char* hidden : {"lblTX", "lblA", "lblTime", "ComboMessage", "txtTime", "lstMenu", "lstCall",
                                   "lstDirectory", "lstGroup", "lstReceived", "lstDistress", "lblNewMMSI",
                                   "lblNewMenu", "lblUTCDifference", "FrameScreenSize"})
            QVERIFY2(!h.visible(hidden), hidden);
        QCOMPARE(h.text("txtLatLon"), QString("L##°##.#'N  Lo###°##.#'W"));
        QCOMPARE(h.text("txtTime"), QString("##:##"));
        QCOMPARE(h.text("txtUTC"), QString("#.#"));
        QCOMPARE(h.text("ComboMessage"), QString("Nature of Distress"));
        QVERIFY(!h.c().s.DisplayModeChanged);
        QCOMPARE(h.c().Timer5Second->interval(), 5000);
        QVERIFY(!h.c().Timer5Second->isEnabled());
        QVERIFY(h.c().Timer1->isEnabled());
        QVERIFY(!h.c().TimerRepeat->isEnabled());
    }
};

TRAINER_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
