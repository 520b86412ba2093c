// How the window looks: the transmit lamp on the screen while a sound plays.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include <QBackingStore>

class LookTest : public QObject {
    Q_OBJECT
private slots:
    // When the alarm starts, the window on the screen shows the transmit lamp whole.
    void transmitLampIsOnTheScreenWhileTheCuePlays() {
        Harness h;
        QWidget* lamp = h.ui().lblTX;
        QStringList wrong;
        int looked = 0;
        h.sound.onPlay = [&](const QString&) {
            QPaintDevice* device = h.window()->backingStore()->paintDevice();
            QCOMPARE(device->devType(), int(QInternal::Image));
            const QImage& shown = *static_cast<QImage*>(device);
            const qreal dpr = shown.devicePixelRatio();
            const QRect r(lamp->mapTo(h.window(), QPoint(0, 0)) * dpr, lamp->size() * dpr);
            ++looked;
            // The lamp's edge, two pixels wide all round, is red: the caption lies inside it.
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (!r.adjusted(2, 2, -2, -2).contains(x, y) && shown.pixelColor(x, y) != QColor(255, 0, 0))
                        wrong << QString("%1,%2").arg(x - r.left()).arg(y - r.top());
        };
        h.hold("cmdDistress", 5500);
        QVERIFY(looked > 0);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 8).join(' ')));
    }
};

TRAINER_TEST_MAIN(LookTest)
#include "tst_look.moc"
