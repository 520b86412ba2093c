// The information windows and the T, K, M key sequence.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "screens/InfoScreens.h"
#include "screens/InfoWindows.h"
#include "core/TKM.h"

#include <QApplication>

namespace {
int countTopLevel(const QString& name) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->objectName() == name && w->isVisible();
    return n;
}
} // namespace

class ScreensTest : public QObject {
    Q_OBJECT
private slots:
    void watcherFollowsTheLastThreeLetters_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<bool>("opens");
        QTest::newRow("T K M") << QList<int>{'T', 'K', 'M'} << true;
        QTest::newRow("T T K M") << QList<int>{'T', 'T', 'K', 'M'} << true;
        QTest::newRow("T K Shift M") << QList<int>{'T', 'K', Qt::Key_Shift, 'M'} << false;
        QTest::newRow("T K 5 M") << QList<int>{'T', 'K', '5', 'M'} << false;
        QTest::newRow("M K T") << QList<int>{'M', 'K', 'T'} << false;
        QTest::newRow("T K M K") << QList<int>{'T', 'K', 'M', 'K'} << true;
        QTest::newRow("unknown code in between") << QList<int>{'T', 0, 'K', 'M'} << false;
        QTest::newRow("code beyond 16 bits") << QList<int>{'T', 'K', 0x7fffffff, 'T', 'K', 'M'} << true;
    }
    void watcherFollowsTheLastThreeLetters() {
        QFETCH(QList<int>, keys);
        QFETCH(bool, opens);
        int shown = 0;
        screens::TKM watcher([&] { ++shown; });
        for (int k : keys) watcher.setChar(k);
        QCOMPARE(shown > 0, opens);
    }

    void unknownKeyResetsTheWatcher() {
        screens::TKM watcher([] {});
        watcher.setChar('T');
        watcher.setChar('K');
        watcher.setChar(-1);
        QCOMPARE(watcher.lastLetters(), QString("   "));
    }

    void typingTkmAnywhereOpensTheNotice() {
        Harness h;
        QVERIFY(!h.c().s.KeyWatcher);
        h.key("cmdCall", Qt::Key_T);
        QVERIFY(h.c().s.KeyWatcher); // created on the first key press
        auto* first = h.c().s.KeyWatcher.get();
        h.key("cmdCall", Qt::Key_K);
        h.key("cmdMenu", Qt::Key_M);
        QCOMPARE(h.c().s.KeyWatcher.get(), first); // and kept
        QVERIFY(h.c().info->copyright());
        QVERIFY(h.c().info->copyright()->isVisible());
    }

    void lowerCaseLettersCountToo() {
        Harness h;
        QTest::keyClicks(h.window(), "tkm");
        QVERIFY(h.c().info->copyright() && h.c().info->copyright()->isVisible());
    }

    void shiftInBetweenStartsOver() {
        Harness h;
        h.key("cmdCall", Qt::Key_T);
        h.key("cmdCall", Qt::Key_K);
        h.key("cmdCall", Qt::Key_Shift);
        h.key("cmdCall", Qt::Key_M);
        QVERIFY(!h.c().info->copyright());
    }

    void textBoxStillReceivesTheKeys() {
        Harness h;
        auto* mmsi = h.find<QLineEdit>("txtMMSI");
        mmsi->show();
        ctl::setText(mmsi, "");
        h.type("txtMMSI", "TKM");
        QVERIFY(h.c().info->copyright() && h.c().info->copyright()->isVisible());
        QCOMPARE(mmsi->text(), QString("TKM"));
    }

    void closeOnlyHidesAndReopensTheSameWindow() {
        Harness h;
        QTest::keyClicks(h.window(), "TKM");
        QWidget* notice = h.c().info->copyright();
        QVERIFY(notice);
        auto* close = notice->findChild<QPushButton*>("cmdCloseCopywrite");
        QVERIFY(close);
        QCOMPARE(close->text(), QString("Close"));
        close->click();
        QVERIFY(!notice->isVisible());
        QTest::keyClicks(h.window(), "TKM");
        QCOMPARE(h.c().info->copyright(), notice);
        QVERIFY(notice->isVisible());
    }

    void logoOpensOneInformationWindow() {
        Harness h;
        QVERIFY(!h.c().info->infoTKM());
        h.click("Image3");
        h.click("Image3");
        QWidget* info = h.c().info->infoTKM();
        QVERIFY(info && info->isVisible());
        QCOMPARE(countTopLevel("InfoTKM"), 1);
        auto* close = info->findChild<QPushButton*>("Command1");
        QVERIFY(close);
        close->click();
        QVERIFY(!info->isVisible());
        h.click("Image3");
        QCOMPARE(h.c().info->infoTKM(), info);
        QVERIFY(info->isVisible());
        // The radio stays usable while it is shown.
        h.click("cmdHiLow");
        QCOMPARE(h.text("lblPower"), QString("1W"));
    }
};

TRAINER_TEST_MAIN(ScreensTest)
#include "tst_screens.moc"
