// The screen-size panel, the display-mode flag and the restore at power-off.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "radio/ScreenSizePanel.h"

namespace {

const QStringList kPanel{"FrameScreenSize", "lblScreenSize", "OptScreenSize1", "optScreenSize2", "optScreenSize3"};

QDateTime defaultStart() { return QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0)); }

using Sizes = std::vector<QSize>;

} // namespace

class ScreenSizeTest : public QObject {
    Q_OBJECT
private slots:
    void originalSizeText_data();
    void originalSizeText();
    void originalSizeInShortestForm();
    void buttonTogglesThePanel();
    void clickOnThePanelHidesIt();
    void clickOnTheLabelKeepsTextAndPanel();
    void choices_data();
    void choices();
    void refusedModeIsSilentAndStillRestored();
};

void ScreenSizeTest::originalSizeText_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("text");
    QTest::newRow("1024 x 768") << QSize(1024, 768) << "Original size is 1024 x 768";
    QTest::newRow("800 x 600") << QSize(800, 600) << "Original size is 800 x 600";
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << "Original size is 1920 x 1080";
}

void ScreenSizeTest::originalSizeText() {
    QFETCH(QSize, screen);
    QFETCH(QString, text);
    Harness h(defaultStart(), screen);
    QCOMPARE(h.c().OriginalScreenWidth, float(screen.width()));
    QCOMPARE(h.c().OriginalScreenHeight, float(screen.height()));
    QCOMPARE(h.text("lblScreenSize"), text);
    QCOMPARE(h.c().screenSize->originalSizeText(), text);
}

void ScreenSizeTest::originalSizeInShortestForm() {
    Harness h;
    h.c().OriginalScreenWidth = 1366.5f;
    h.c().OriginalScreenHeight = 0.1f;
    QCOMPARE(h.c().screenSize->originalSizeText(), QString("Original size is 1366.5 x 0.1"));
}

void ScreenSizeTest::buttonTogglesThePanel() {
    Harness h;
    for (const QString& name : kPanel) QVERIFY2(!h.visible(name), qPrintable(name));
    h.click("cmdChangeScreenSize");
    for (const QString& name : kPanel) QVERIFY2(h.visible(name), qPrintable(name));
    h.click("cmdChangeScreenSize");
    QVERIFY(!h.visible("FrameScreenSize"));
    h.click("cmdChangeScreenSize");
    QVERIFY(h.visible("FrameScreenSize"));
    QVERIFY(h.screen.requests.empty());
    QVERIFY(!h.c().s.DisplayModeChanged);
}

void ScreenSizeTest::clickOnThePanelHidesIt() {
    Harness h;
    h.click("cmdChangeScreenSize");
    h.click("FrameScreenSize");
    QVERIFY(!h.visible("FrameScreenSize"));
    QVERIFY(h.screen.requests.empty());
    QVERIFY(!h.c().s.DisplayModeChanged);
}

void ScreenSizeTest::clickOnTheLabelKeepsTextAndPanel() {
    Harness h;
    h.click("cmdChangeScreenSize");
    h.click("lblScreenSize");
    QCOMPARE(h.text("lblScreenSize"), QString("Original size is 1024 x 768"));
    // The click is the label's: the panel under it stays open.
    QVERIFY(h.visible("FrameScreenSize"));
    // It writes the caption afresh from the measured size.
    h.ui().lblScreenSize->setText("something else");
    h.click("lblScreenSize");
    QCOMPARE(h.text("lblScreenSize"), QString("Original size is 1024 x 768"));
}

void ScreenSizeTest::choices_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<Sizes>("requests");      // asked for by the choices
    QTest::addColumn<Sizes>("requestsAtOff"); // all of them after power-off
    const QSize original(1280, 1024);
    QTest::newRow("800 x 600") << QStringList{"OptScreenSize1"} << true << Sizes{{800, 600}}
                               << Sizes{{800, 600}, original};
    QTest::newRow("1024 x 768") << QStringList{"optScreenSize2"} << true << Sizes{{1024, 768}}
                                << Sizes{{1024, 768}, original};
    QTest::newRow("original first") << QStringList{"optScreenSize3"} << false << Sizes{original} << Sizes{original};
    QTest::newRow("800 x 600 then original") << QStringList{"OptScreenSize1", "optScreenSize3"} << true
                                             << Sizes{{800, 600}, original} << Sizes{{800, 600}, original, original};
}

void ScreenSizeTest::choices() {
    QFETCH(QStringList, options);
    QFETCH(bool, changed);
    QFETCH(Sizes, requests);
    QFETCH(Sizes, requestsAtOff);
    Harness h(defaultStart(), QSize(1280, 1024));
    for (const QString& option : options) {
        h.click("cmdChangeScreenSize");
        QVERIFY(h.visible("FrameScreenSize"));
        h.click(option);
        QVERIFY2(!h.visible("FrameScreenSize"), qPrintable(option));
    }
    QCOMPARE(h.c().s.DisplayModeChanged, changed);
    QCOMPARE(h.screen.requests, requests);
    h.click("cmdOnOff");
    QCOMPARE(h.programEnds, 1);
    QCOMPARE(h.screen.requests, requestsAtOff);
}

void ScreenSizeTest::refusedModeIsSilentAndStillRestored() {
    Harness h;
    h.screen.refuse = true;
    h.click("cmdChangeScreenSize");
    h.click("OptScreenSize1");
    QVERIFY(h.messages.shown.empty());
    QVERIFY(!h.visible("FrameScreenSize"));
    QVERIFY(h.c().s.DisplayModeChanged);
    QCOMPARE(h.screen.size, QSize(1024, 768));
    h.click("cmdOnOff");
    QCOMPARE(h.screen.requests, (Sizes{{800, 600}, {1024, 768}}));
    QVERIFY(h.messages.shown.empty());
}

TRAINER_TEST_MAIN(ScreenSizeTest)
#include "tst_screensize.moc"
