// The window at 100 %, 150 % and 200 % screen scale (CTest runs this test once per scale, with
// QT_SCALE_FACTOR 1, 1.5 and 2): every control keeps its designed place, the window's picture is
// the designed one drawn finer, and the pictures are drawn sharp at the screen's scale. Each run
// saves its screenshot as screenshots/scale-<percent>.png beside the tests.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QWindow>

#ifndef VHF_SCREENSHOT_DIR
#define VHF_SCREENSHOT_DIR "screenshots"
#endif

namespace {

constexpr QSize kDesignedWindow(819, 614);

// The scale the test was started for (QT_SCALE_FACTOR, 1 when unset).
qreal requestedScale() {
    bool ok = false;
    const qreal f = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && f > 0 ? f : 1.0;
}

// The window painted at scale 1, as it looks at 100 %.
QImage renderedAt100(QWidget* window) {
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1);
    image.fill(Qt::white);
    window->render(&image);
    return image.convertToFormat(QImage::Format_RGB32);
}

// A screenshot of the window at the screen's scale, brought back to its size in logical pixels.
QImage screenshotAtLogicalSize(QWidget* window) {
    QImage shot = window->grab().toImage();
    QImage small = shot.scaled(window->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    small.setDevicePixelRatio(1);
    return small.convertToFormat(QImage::Format_RGB32);
}

// How two pictures of the window differ. The whole picture's figure is the mean over its pixels of
// each pixel's difference: the mean of its absolute red, green and blue differences (0 to 255).
// Text and edges drawn finer and scaled back differ a little in almost every pixel they touch, but
// they put the same ink in the same place: so the layout is judged on cells of kCell x kCell
// logical pixels, by the difference of the cells' mean colours (again the mean of the absolute red,
// green and blue differences). A control out of place changes the colour of the cells it left and
// of those it came to; a cell whose colour differs by more than kCellLimit is out of place.
constexpr int kCell = 16;
constexpr double kCellLimit = 20.0; // a cell's colour difference that tells a change of layout
constexpr double kMeanLimit = 6.0;  // the whole picture's mean difference

struct Difference {
    double mean = 0;      // over the pixels of the whole picture
    double worstCell = 0; // the largest colour difference of one cell
    QRect worst;          // that cell
    int cellsOver = 0;    // cells over kCellLimit
    QString text() const {
        return QStringLiteral("mean pixel difference %1, worst cell %2 at (%3,%4), %5 cells over %6")
            .arg(mean, 0, 'f', 3)
            .arg(worstCell, 0, 'f', 2)
            .arg(worst.x())
            .arg(worst.y())
            .arg(cellsOver)
            .arg(kCellLimit);
    }
};

Difference compare(const QImage& a, const QImage& b) {
    Q_ASSERT(a.size() == b.size() && a.format() == QImage::Format_RGB32 && b.format() == QImage::Format_RGB32);
    Difference d;
    double total = 0;
    for (int cy = 0; cy < a.height(); cy += kCell)
        for (int cx = 0; cx < a.width(); cx += kCell) {
            const QRect cell = QRect(cx, cy, kCell, kCell) & a.rect();
            double pixels = 0;
            double sumA[3] = {0, 0, 0}, sumB[3] = {0, 0, 0};
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
                const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const int ca[3] = {qRed(pa[x]), qGreen(pa[x]), qBlue(pa[x])};
                    const int cb[3] = {qRed(pb[x]), qGreen(pb[x]), qBlue(pb[x])};
                    for (int i = 0; i < 3; ++i) {
                        pixels += std::abs(ca[i] - cb[i]) / 3.0;
                        sumA[i] += ca[i];
                        sumB[i] += cb[i];
                    }
                }
            }
            total += pixels;
            const double n = cell.width() * cell.height();
            double colour = 0;
            for (int i = 0; i < 3; ++i) colour += std::abs(sumA[i] - sumB[i]) / n / 3.0;
            if (colour > d.worstCell) {
                d.worstCell = colour;
                d.worst = cell;
            }
            d.cellsOver += colour > kCellLimit;
        }
    d.mean = total / (a.width() * a.height());
    return d;
}

bool looksTheSame(const Difference& d) { return d.mean < kMeanLimit && d.cellsOver == 0; }

// Where the control lies in the window, in logical pixels.
QRect inWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT
private slots:
    // The run really is at the scale CTest asked for, and the window keeps its designed size in
    // logical pixels.
    void windowIsAtTheRequestedScale() {
        Harness h;
        QCOMPARE(h.window()->devicePixelRatio(), requestedScale());
        QCOMPARE(h.window()->size(), kDesignedWindow);
        QCOMPARE(h.window()->windowHandle()->devicePixelRatio(), requestedScale());
    }

    // Every control of the window has the rectangle the form designs for it: the trainer's
    // window against a bare copy of the designed form.
    void controlsKeepTheirDesignedRectangles() {
        Harness h;
        QWidget bare;
        Ui::frmGMDSS designed;
        designed.setupUi(&bare);
        // The lists made when first needed, in both.
        designed.makeAllLate();
        h.ui().makeAllLate();
        static const QRegularExpression keypad(QStringLiteral("^command1_(\\d+)$"));
        QStringList wrong;
        int compared = 0;
        for (QWidget* d : bare.findChildren<QWidget*>()) {
            const QString name = d->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
            QWidget* live = nullptr;
            if (const auto m = keypad.match(name); m.hasMatch()) {
                for (QWidget* k : h.window()->findChildren<QWidget*>(QStringLiteral("command1")))
                    if (k->property("index").toInt() == m.captured(1).toInt()) live = k;
            } else {
                live = h.window()->findChild<QWidget*>(name);
            }
            if (!live) {
                wrong << name + QStringLiteral(" is missing");
                continue;
            }
            ++compared;
            if (live->geometry() != d->geometry() ||
                live->parentWidget()->objectName() != d->parentWidget()->objectName())
                wrong << QStringLiteral("%1 in %2 at %3,%4 %5x%6, designed in %7 at %8,%9 %10x%11")
                             .arg(name, live->parentWidget()->objectName())
                             .arg(live->x())
                             .arg(live->y())
                             .arg(live->width())
                             .arg(live->height())
                             .arg(d->parentWidget()->objectName())
                             .arg(d->x())
                             .arg(d->y())
                             .arg(d->width())
                             .arg(d->height());
        }
        QCOMPARE(wrong, QStringList());
        QVERIFY2(compared >= 90, qPrintable(QString::number(compared)));
    }

    void keyControlsSitWhereDesigned_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("Distress key") << "cmdDistress" << QRect(336, 401, 72, 57);
        QTest::newRow("Call key") << "cmdCall" << QRect(60, 399, 73, 53);
        QTest::newRow("channel knob") << "ScrollChannel" << QRect(173, 461, 37, 21);
        QTest::newRow("channel display") << "lblChannel" << QRect(240, 344, 61, 89);
        QTest::newRow("status line") << "lblStatus" << QRect(144, 420, 177, 17);
        QTest::newRow("On/Off key") << "cmdOnOff" << QRect(342, 484, 61, 29);
        QTest::newRow("Acknowledge") << "cmdAcknowledge" << QRect(249, 204, 106, 33);
        QTest::newRow("Coast Guard position") << "txtCG4" << QRect(9, 151, 346, 26);
        QTest::newRow("second vessel's Distress key") << "cmdBCDistress" << QRect(587, 236, 208, 26);
        QTest::newRow("second vessel's channel") << "lblBCChannel" << QRect(723, 6, 72, 58);
        QTest::newRow("Change Screen Size") << "cmdChangeScreenSize" << QRect(468, 306, 154, 21);
        QTest::newRow("logo") << "Image3" << QRect(668, 330, 120, 120);
    }
    // A few controls by their place in the window, in logical pixels, at every scale.
    void keyControlsSitWhereDesigned() {
        QFETCH(QString, control);
        QFETCH(QRect, rect);
        Harness h;
        QCOMPARE(inWindow(h.find(control)), rect);
    }

    // Every control lies inside the window: those shown now, and those hidden now when they come up.
    // Only the second vessel's panel is designed to stand 4 pixels over the top edge, its top
    // border cut off; what it holds is inside.
    void controlsLieInsideTheWindow() {
        Harness h;
        const QRect window = h.window()->rect();
        QStringList outside;
        int shown = 0;
        for (QWidget* w : h.window()->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || w->isWindow())
                continue;
            if (w->objectName() == QLatin1String("Frame3")) {
                QCOMPARE(inWindow(w), QRect(363, -4, 440, 273));
                continue;
            }
            shown += w->isVisible();
            if (!window.contains(inWindow(w)))
                outside << QStringLiteral("%1 (%2) at %3,%4 %5x%6")
                               .arg(w->objectName(), w->isVisible() ? "shown" : "hidden")
                               .arg(inWindow(w).x())
                               .arg(inWindow(w).y())
                               .arg(w->width())
                               .arg(w->height());
        }
        QCOMPARE(outside, QStringList());
        QVERIFY2(shown >= 50, qPrintable(QString::number(shown)));
    }

    // The screenshot has the window's size times the scale in device pixels; it is saved for people
    // to look at.
    void screenshotHasTheScaledSize() {
        Harness h;
        const qreal scale = requestedScale();
        const QPixmap shot = h.window()->grab();
        QCOMPARE(shot.devicePixelRatio(), scale);
        QCOMPARE(shot.size(), (QSizeF(kDesignedWindow) * scale).toSize());
        // Back in logical pixels that is the window's size, give or take the rounding to whole pixels.
        QVERIFY(qAbs(shot.deviceIndependentSize().width() - kDesignedWindow.width()) < 1);
        QVERIFY(qAbs(shot.deviceIndependentSize().height() - kDesignedWindow.height()) < 1);
        const QString dir = QStringLiteral(VHF_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        const QString file = QStringLiteral("%1/scale-%2.png").arg(dir).arg(qRound(scale * 100));
        QVERIFY2(shot.save(file), qPrintable(file));
        qInfo("screenshot: %s", qPrintable(QDir::cleanPath(file)));
    }

    // The pictures are drawings, drawn at the label's size in device pixels: nothing stretched.
    void picturesAreDrawnAtTheScreensScale() {
        Harness h;
        h.window()->grab(); // paints every label once
        const qreal scale = requestedScale();
        int pictures = 0;
        for (QLabel* l : h.window()->findChildren<QLabel*>()) {
            if (!l->hasScaledContents() || l->pixmap().isNull()) continue;
            ++pictures;
            QCOMPARE(l->pixmap().devicePixelRatio(), scale);
            QCOMPARE(l->pixmap().size(), l->contentsRect().size() * scale);
        }
        QCOMPARE(pictures, 5);
    }

    // The layout check that looks at the whole picture: the screenshot at the screen's scale,
    // brought back to logical size, against the window painted at 100 %.
    void pictureMatchesTheWindowAt100() {
        Harness h;
        const Difference d = compare(screenshotAtLogicalSize(h.window()), renderedAt100(h.window()));
        qInfo("scale %d%%: %s", qRound(requestedScale() * 100), qPrintable(d.text()));
        QVERIFY2(looksTheSame(d), qPrintable(d.text()));
    }

    void comparisonSeesAControlOutOfPlace_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<bool>("onThePicture");
        QTest::newRow("Distress key 40 px right") << "cmdDistress" << QPoint(40, 0) << false;
        QTest::newRow("Distress key 40 px right, on the picture") << "cmdDistress" << QPoint(40, 0) << true;
        QTest::newRow("channel display 12 px down") << "lblChannel" << QPoint(0, 12) << false;
        QTest::newRow("Acknowledge 10 px left") << "cmdAcknowledge" << QPoint(-10, 0) << false;
        QTest::newRow("On/Off key 8 px up") << "cmdOnOff" << QPoint(0, -8) << false;
    }
    // The check above can fail: a control moved in the window, or its picture moved in the
    // screenshot, shows up as cells far over the limit where the control was or went.
    void comparisonSeesAControlOutOfPlace() {
        QFETCH(QString, control);
        QFETCH(QPoint, shift);
        QFETCH(bool, onThePicture);
        Harness h;
        QWidget* window = h.window();
        QWidget* w = h.find(control);
        const QRect was = inWindow(w);
        const QImage reference = renderedAt100(window);
        QImage shot;
        if (onThePicture) {
            // Cut the control out of the screenshot, fill the hole with the colour beside it, and
            // paste it back shifted.
            shot = screenshotAtLogicalSize(window);
            const QImage piece = shot.copy(was);
            const QColor beside = shot.pixelColor(was.left() - 2, was.center().y());
            QPainter p(&shot);
            p.fillRect(was, beside);
            p.drawImage(was.topLeft() + shift, piece);
        } else {
            w->move(w->pos() + shift);
            shot = screenshotAtLogicalSize(window);
            w->move(w->pos() - shift);
        }
        const Difference d = compare(shot, reference);
        qInfo("%s", qPrintable(d.text()));
        QVERIFY2(!looksTheSame(d), qPrintable(d.text()));
        QVERIFY2(d.worst.intersects(was | was.translated(shift)), qPrintable(d.text()));
        // Put back, the window passes again.
        const Difference again = compare(screenshotAtLogicalSize(window), reference);
        QVERIFY2(looksTheSame(again), qPrintable(again.text()));
    }
};

TRAINER_TEST_MAIN(ScalingTest)
#include "tst_scaling.moc"
