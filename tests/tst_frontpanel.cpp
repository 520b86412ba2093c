// The front-panel keys On/Off, Hi/Lo, 16/9, CH/WX and U/I/C.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"

#include <QScrollBar>

namespace {

const QColor kDarkBlue(0, 0, 136);
const QColor kBlack(0, 0, 0);

void verifyChannelMode(Harness& h) {
    QCOMPARE(h.c().s.ChWxMode, QString("CH"));
    QCOMPARE(h.ui().ScrollChannel->maximum(), 88);
    QCOMPARE(h.fore("lblChannel"), kBlack);
    QCOMPARE(h.fore("lblStatus"), kBlack);
    QVERIFY(h.visible("lblPower"));
}

// What happened when the program asked to end.
struct EndRecord {
    int ends = 0;
    qint64 atMs = -1;
    size_t screenRequests = 0;
    QString txPower;
};

void recordEnd(Harness& h, EndRecord& rec) {
    auto previous = h.c().endProgram;
    h.c().endProgram = [&h, &rec, previous] {
        ++rec.ends;
        rec.atMs = h.now();
        rec.screenRequests = h.screen.requests.size();
        rec.txPower = h.c().s.TxPower;
        previous();
    };
}

} // namespace

class FrontPanelTest : public QObject {
    Q_OBJECT
private slots:
    void hiLow_data();
    void hiLow();
    void key16Toggles16And9();
    void key16WhileDscChannelShown();
    void chwxRoundTripFrom20A();
    void chwxInWeatherReturnsToSavedChannel();
    void key16InWeatherReturnsTo16();
    void modeCyclesPlansAndJumpsTo16();
    void modeInertInWeather();
    void leaveWeatherModeOnlyActsInWeather();
    void onOffSequence_data();
    void onOffSequence();
    void onOffHandlesClicksAfterTheSound();
    void closingTheWindowPowersOff();
};

void FrontPanelTest::hiLow_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("powers"); // lblPower after start and after each press
    QTest::newRow("13 forced low") << 13 << QStringList{"1W", "1W", "1W"};
    QTest::newRow("16") << 16 << QStringList{"25W", "1W", "25W"};
}

void FrontPanelTest::hiLow() {
    QFETCH(int, channel);
    QFETCH(QStringList, powers);
    Harness h;
    h.c().channel->setKnob(channel);
    QStringList seen{h.text("lblPower")};
    QStringList txPower;
    for (int i = 0; i < 2; ++i) {
        h.click("cmdHiLow");
        seen << h.text("lblPower");
        txPower << h.c().s.TxPower;
    }
    QCOMPARE(seen, powers);
    QCOMPARE(txPower, (QStringList{"1W", "25W"}));
    QCOMPARE(h.c().channel->knob(), channel);
}

void FrontPanelTest::key16Toggles16And9() {
    Harness h;
    h.click("cmd16");
    QCOMPARE(h.c().channel->knob(), 9);
    QCOMPARE(h.text("lblChannel"), QString("09"));
    QCOMPARE(h.text("lblStatus"), QString("Calling, Com'l & Non-Com'l"));
    h.click("cmd16");
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(h.text("lblChannel"), QString("16"));
    QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
    // From any other channel it goes to 16.
    h.c().channel->setKnob(72);
    h.click("cmd16");
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(h.text("lblChannel"), QString("16"));
}

void FrontPanelTest::key16WhileDscChannelShown() {
    // A DSC call puts "70" on the display while the knob stays where it was.
    Harness h;
    h.ui().lblChannel->setText("70");
    h.ui().lblStatus->setText("Sending Distress");
    h.click("cmd16");
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(h.text("lblChannel"), QString("16"));
    QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
}

void FrontPanelTest::chwxRoundTripFrom20A() {
    Harness h;
    QVERIFY(h.tuneTo("20"));
    h.stepKnob(+1);
    QCOMPARE(h.designator(), QString("20A"));
    h.click("cmdCHWX");
    QCOMPARE(h.c().s.ChWxMode, QString("WX"));
    QCOMPARE(h.c().channel->knob(), 1);
    QCOMPARE(h.ui().ScrollChannel->maximum(), 10);
    QCOMPARE(h.text("lblChannel"), QString("01"));
    QCOMPARE(h.text("lblStatus"), QString("Weather"));
    QCOMPARE(h.fore("lblChannel"), kDarkBlue);
    QCOMPARE(h.fore("lblStatus"), kDarkBlue);
    QVERIFY(!h.visible("lblPower"));
    QVERIFY(!h.visible("lblTX"));
    QVERIFY(!h.visible("lblA"));
    QCOMPARE(h.c().s.PrevScrollValue, qint16(20));

    h.click("cmdCHWX");
    verifyChannelMode(h);
    QCOMPARE(h.c().channel->knob(), 20);
    // Back on the plain channel: the paired step is not repeated.
    QCOMPARE(h.designator(), QString("20"));
    QCOMPARE(h.text("lblStatus"), QString("Port Operations"));
    QCOMPARE(h.text("lblPower"), QString("25W"));
}

void FrontPanelTest::chwxInWeatherReturnsToSavedChannel() {
    Harness h;
    h.c().channel->setKnob(68);
    h.click("cmdCHWX");
    for (int i = 0; i < 6; ++i) h.stepKnob(+1);
    QCOMPARE(h.text("lblChannel"), QString("07"));
    h.click("cmdCHWX");
    verifyChannelMode(h);
    QCOMPARE(h.c().channel->knob(), 68);
    QCOMPARE(h.text("lblChannel"), QString("68"));
    QCOMPARE(h.text("lblStatus"), QString("Non-Commercial Fish"));
    QCOMPARE(h.text("lblSimplex"), QString("Simplex"));
}

void FrontPanelTest::key16InWeatherReturnsTo16() {
    Harness h;
    h.c().channel->setKnob(68);
    h.click("cmdCHWX");
    for (int i = 0; i < 6; ++i) h.stepKnob(+1);
    h.click("cmd16");
    verifyChannelMode(h);
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(h.text("lblChannel"), QString("16"));
    QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
    QCOMPARE(h.c().s.PrevScrollValue, qint16(16));
}

void FrontPanelTest::modeCyclesPlansAndJumpsTo16() {
    Harness h;
    h.c().channel->setKnob(22);
    QCOMPARE(h.designator(), QString("22A"));
    h.click("cmdMode");
    QCOMPARE(h.text("lblMode"), QString("CAN"));
    QCOMPARE(h.c().s.ChannelPlan, QString("CAN"));
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(h.designator(), QString("16"));
    QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
    h.click("cmdMode");
    QCOMPARE(h.text("lblMode"), QString("INT"));
    QCOMPARE(h.c().s.ChannelPlan, QString("INT"));
    h.click("cmdMode");
    QCOMPARE(h.text("lblMode"), QString("USA"));
    QCOMPARE(h.c().s.ChannelPlan, QString("USA"));
    QCOMPARE(h.designator(), QString("16"));
}

void FrontPanelTest::modeInertInWeather() {
    Harness h;
    h.click("cmdCHWX");
    h.stepKnob(+1);
    h.click("cmdMode");
    QCOMPARE(h.text("lblMode"), QString("USA"));
    QCOMPARE(h.c().s.ChannelPlan, QString("USA"));
    QCOMPARE(h.c().channel->knob(), 2);
    QCOMPARE(h.text("lblChannel"), QString("02"));
    QCOMPARE(h.text("lblStatus"), QString("Weather"));
}

void FrontPanelTest::leaveWeatherModeOnlyActsInWeather() {
    Harness h;
    h.c().front->leaveWeatherMode();
    QCOMPARE(h.ui().ScrollChannel->maximum(), 89); // channel mode: nothing changes
    QCOMPARE(h.c().s.ChWxMode, QString("CH"));

    h.c().channel->setKnob(24);
    h.click("cmdCHWX");
    h.stepKnob(+1);
    h.stepKnob(+1);
    h.c().front->leaveWeatherMode();
    verifyChannelMode(h);
    // The caller puts the knob on 16 afterwards; the display follows.
    h.c().channel->setKnob(16);
    QCOMPARE(h.text("lblChannel"), QString("16"));
    QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
    QCOMPARE(h.c().s.PrevScrollValue, qint16(16));
}

void FrontPanelTest::onOffSequence_data() {
    QTest::addColumn<bool>("changeSize");
    QTest::newRow("screen size untouched") << false;
    QTest::newRow("after 800 x 600") << true;
}

void FrontPanelTest::onOffSequence() {
    QFETCH(bool, changeSize);
    Harness h;
    if (changeSize) {
        h.click("cmdChangeScreenSize");
        h.click("OptScreenSize1");
        QCOMPARE(h.screen.requests.size(), size_t(1));
    }
    const size_t requestsBefore = h.screen.requests.size();
    EndRecord end;
    recordEnd(h, end);
    const qint64 start = h.now();
    h.click("cmdOnOff");

    QCOMPARE(h.back("cmdOnOff"), QColor(255, 0, 0));
    QCOMPARE(h.text("cmdOnOff"), QString("Off"));
    QCOMPARE(h.sound.plays.size(), size_t(1));
    QCOMPARE(h.sound.plays[0].file, QString("Shutdown.wav"));
    QCOMPARE(h.sound.plays[0].startMs, start);
    QCOMPARE(h.programEnds, 1);
    QCOMPARE(end.ends, 1);
    // The sound to its end, the 10 ms settling wait, then half a second.
    QVERIFY2(end.atMs - start >= h.sound.lengthOf("Shutdown.wav") + 510, qPrintable(QString::number(end.atMs - start)));
    QVERIFY(!h.c().Timer5Second->isEnabled());
    if (changeSize) {
        QCOMPARE(h.screen.requests.size(), requestsBefore + 1);
        QCOMPARE(h.screen.requests.back(), QSize(1024, 768));
        QCOMPARE(end.screenRequests, requestsBefore + 1); // restored before the end
    } else {
        QVERIFY(h.screen.requests.empty());
    }
}

void FrontPanelTest::onOffHandlesClicksAfterTheSound() {
    // Clicks given while the sound plays, or in the settling wait after it, are handled before the
    // end; during the last half second nothing is handled.
    Harness h;
    EndRecord end;
    recordEnd(h, end);
    bool lateClickRan = false;
    h.after(300, [&] { h.click("cmdHiLow"); });  // during the sound
    h.after(905, [&] { h.click("cmdMode"); });   // in the settling wait
    h.after(1100, [&] { lateClickRan = true; }); // in the final pause
    h.click("cmdOnOff");
    QCOMPARE(end.ends, 1);
    QCOMPARE(end.txPower, QString("1W"));
    QCOMPARE(h.text("lblMode"), QString("CAN"));
    QVERIFY(!lateClickRan);
}

void FrontPanelTest::closingTheWindowPowersOff() {
    Harness h;
    h.click("cmdChangeScreenSize");
    h.click("optScreenSize2");
    const qint64 start = h.now();
    h.window()->close();
    QCOMPARE(h.programEnds, 1);
    QCOMPARE(h.sound.count("Shutdown.wav"), 1);
    QCOMPARE(h.text("cmdOnOff"), QString("Off"));
    QVERIFY(h.now() - start >= h.sound.lengthOf("Shutdown.wav") + 510);
    QCOMPARE(h.screen.requests, (std::vector<QSize>{QSize(1024, 768), QSize(1024, 768)}));
}

TRAINER_TEST_MAIN(FrontPanelTest)
#include "tst_frontpanel.moc"
