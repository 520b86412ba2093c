// The windows beside the radio on a screen of 1280x1024 (CTest runs this at 100 % and at 200 %,
// where the screen has twice the pixels): each opens where it covers none of the radio, and where
// the user has moved it, it opens again in the next run.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "screens/ToolWindow.h"

#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

class BesideRadioTest : public QObject {
    Q_OBJECT
private slots:
    // The remembered places go to a folder of the test's own, never the user's.
    void initTestCase() {
        QVERIFY(config_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1280, 1024));
    }

    // The radio takes the top left; the message window and the exercise window are wider than the
    // room to its right and taller than the room below it, and still cover no control of it.
    void opensBesideTheRadio_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("window");
        QTest::newRow("DSC messages") << "cmdDscMessages" << "frmDscMessages";
        QTest::newRow("exercise") << "cmdExercises" << "frmExercise";
        QTest::newRow("lessons") << "cmdLessons" << "frmLessons";
        QTest::newRow("radio log") << "cmdRadioLog" << "frmRadioLog";
    }
    void opensBesideTheRadio() {
        QFETCH(QString, key);
        QFETCH(QString, window);
        Harness h;
        h.window()->move(0, 0);
        h.click(key);
        QWidget* w = h.find(window);
        QVERIFY(w->isVisible());
        const QRect radio = h.window()->frameGeometry();
        const QRect beside = w->frameGeometry();
        QVERIFY2(!beside.intersects(radio), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(beside.x()).arg(beside.y()).arg(beside.width()).arg(beside.height())));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(beside));
        QVERIFY(w->width() >= 320 && w->height() >= 200);
    }

    // Where a window goes, besides: to the right when it fits there, else below, else on the side
    // that keeps more of it; nowhere when even its smallest size has no room.
    void placement_data() {
        QTest::addColumn<QRect>("radio");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("expected");
        const QRect topLeft(0, 0, 819, 614);
        QTest::newRow("right, whole") << topLeft << QSize(400, 480) << QRect(827, 0, 400, 480);
        QTest::newRow("below, whole") << topLeft << QSize(820, 380) << QRect(0, 622, 820, 380);
        QTest::newRow("below, narrower") << QRect(0, 0, 819, 300) << QSize(1400, 300) << QRect(0, 308, 1280, 300);
        QTest::newRow("shrunk, below keeps more") << topLeft << QSize(940, 480) << QRect(0, 622, 940, 402);
        QTest::newRow("shrunk, right keeps more") << QRect(0, 0, 819, 900) << QSize(600, 480) << QRect(827, 0, 453, 480);
        QTest::newRow("centred radio: below") << QRect(230, 200, 819, 614) << QSize(620, 200) << QRect(230, 822, 620, 200);
        QTest::newRow("no room") << QRect(0, 0, 1200, 1000) << QSize(600, 480) << QRect();
    }
    void placement() {
        QFETCH(QRect, radio);
        QFETCH(QSize, window);
        QFETCH(QRect, expected);
        QCOMPARE(screens::besideRadio(radio, QRect(0, 0, 1280, 1024), window, QSize(0, 0), QMargins()), expected);
    }

    void reopensWhereTheUserLeftIt() {
        const QRect moved(20, 640, 1000, 360);
        {
            Harness h;
            h.click("cmdDscMessages");
            QWidget* w = h.find("frmDscMessages");
            w->setGeometry(moved);
            w->hide();
        }
        Harness next;
        next.click("cmdDscMessages");
        QCOMPARE(next.find("frmDscMessages")->geometry(), moved);
    }

private:
    QTemporaryDir config_;
};

TRAINER_TEST_MAIN(BesideRadioTest)
#include "tst_besideradio.moc"
