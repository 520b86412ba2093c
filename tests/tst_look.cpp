// How the window looks and answers the keyboard: the coloured keys and drop-down lists in their
// own colours, the directory's lines whole, Return and Space choosing a list's line, and the
// transmit lamp on the screen while a sound plays.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "platform/Look.h"

#include <QBackingStore>
#include <QComboBox>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QPainter>
#include <memory>

namespace {

// The control painted at the given screen scale.
QImage paintedAt(QWidget* w, qreal scale) {
    QImage image((QSizeF(w->size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    w->render(&image);
    return image;
}

// The colour most pixels of the area (in device pixels) have.
QColor mostOf(const QImage& image, const QRect& area) {
    QHash<QRgb, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++count[image.pixel(x, y)];
    QRgb most = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(most)) most = it.key();
    return QColor(most);
}

// An orange ground of `size` logical pixels at the screen's `scale`, to draw a control's part on.
QImage orangeGround(const QSize& size, qreal scale) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(QColor(200, 120, 40));
    return image;
}

// A text field's frame drawn by `style` on an orange ground.
QImage fieldFrame(QStyle* style, const QSize& size, qreal scale, bool focus) {
    QImage image = orangeGround(size, scale);
    QStyleOptionFrame opt;
    opt.rect = QRect(QPoint(), size);
    opt.palette = QApplication::palette();
    opt.state = QStyle::State_Enabled | (focus ? QStyle::State_HasFocus : QStyle::State_None);
    opt.lineWidth = 1;
    QPainter p(&image);
    style->drawPrimitive(QStyle::PE_FrameLineEdit, &opt, &p, nullptr);
    return image;
}

// A plain key's face drawn by `style` on an orange ground, held down or not.
QImage keyFace(QStyle* style, const QPushButton& key, const QSize& size, qreal scale, bool down) {
    QImage image = orangeGround(size, scale);
    QStyleOptionButton opt;
    opt.initFrom(&key);
    opt.rect = QRect(QPoint(), size);
    if (down) opt.state |= QStyle::State_Sunken;
    QPainter p(&image);
    style->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, &key);
    return image;
}

// Where two pictures differ by more than a step of rounding; empty when they are alike.
QString unlike(const QImage& ours, const QImage& system) {
    if (ours.size() != system.size()) return QStringLiteral("sizes differ");
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QColor a = ours.pixelColor(x, y), b = system.pixelColor(x, y);
            const int off = qMax(qMax(qAbs(a.red() - b.red()), qAbs(a.green() - b.green())), qAbs(a.blue() - b.blue()));
            if (off > 1) return QStringLiteral("pixel %1,%2: %3, the style's %4").arg(x).arg(y).arg(a.name(), b.name());
        }
    return {};
}

} // namespace

class LookTest : public QObject {
    Q_OBJECT
private slots:
    void keysShowTheirColour_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("turnedRed"); // the colour given later from code
        QTest::newRow("Distress") << "cmdDistress" << QColor(255, 0, 0) << false;
        QTest::newRow("second vessel's Distress") << "cmdBCDistress" << QColor(255, 0, 0) << false;
        QTest::newRow("Acknowledge") << "cmdAcknowledge" << QColor(0, 192, 0) << false;
        QTest::newRow("On/Off") << "cmdOnOff" << QColor(255, 255, 0) << false;
        QTest::newRow("On/Off turned red") << "cmdOnOff" << QColor(255, 0, 0) << true;
        QTest::newRow("Call") << "cmdCall" << QColor(255, 255, 128) << false;
        QTest::newRow("Coast Guard Clear") << "CGClear" << QColor(255, 255, 128) << false;
        QTest::newRow("Change Screen Size") << "cmdChangeScreenSize" << QColor(255, 192, 255) << false;
    }
    // The face is the colour itself, flat, at every scale; light edge left, dark edge right,
    // the other way round while the key is held down.
    void keysShowTheirColour() {
        QFETCH(QString, key);
        QFETCH(QColor, colour);
        QFETCH(bool, turnedRed);
        Harness h;
        auto* b = h.find<QPushButton>(key);
        if (turnedRed) ctl::setBackColor(b, ctl::kRed);
        for (qreal scale : {1.0, 1.5, 2.0}) {
            for (bool down : {false, true}) {
                b->setDown(down);
                const QImage face = paintedAt(b, scale);
                const int inset = qCeil(3 * scale), midY = face.height() / 2;
                QCOMPARE(mostOf(face, face.rect().adjusted(inset, inset, -inset, -inset)), colour);
                const int left = qGray(face.pixel(0, midY)), right = qGray(face.pixel(face.width() - 1, midY));
                QVERIFY2(down ? left < right : left > right, qPrintable(QString("%1 %2 at %3").arg(left).arg(right).arg(scale)));
            }
        }
        b->setDown(false);
    }

    // The window is built in its own type; the application's type, which every other window and
    // message uses, is the desktop's again once it is built, and what the design leaves to the
    // desktop (here, slanted type) still comes from it.
    void windowBuiltInItsTypeLeavesTheDesktopsType() {
        const QFont before = QGuiApplication::font();
        const auto restore = qScopeGuard([&] { QGuiApplication::setFont(before); });
        QFont desktop = before;
        desktop.setPointSize(before.pointSize() + 3);
        desktop.setItalic(true);
        QGuiApplication::setFont(desktop);
        Harness h;
        QCOMPARE(QGuiApplication::font(), desktop);
        auto* field = h.window()->findChild<QLineEdit*>(QStringLiteral("txtCG1"));
        QVERIFY(field);
        QCOMPARE(field->font().pointSize(), 12);
        QVERIFY(field->font().italic());
    }

    // The text fields' frames, put together from pieces drawn once, are the ones the system's style
    // draws for each field, at every size, in and out of focus, at 100 and 200 %.
    void fieldFramesAreTheSystemsOwn_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<bool>("focus");
        QTest::newRow("wide, 100 %") << QSize(424, 22) << 1.0 << false;
        QTest::newRow("tall, focused, 100 %") << QSize(141, 26) << 1.0 << true;
        QTest::newRow("smallest, 100 %") << QSize(9, 9) << 1.0 << false;
        QTest::newRow("200 %") << QSize(200, 26) << 2.0 << false;
        QTest::newRow("focused, 200 %") << QSize(39, 25) << 2.0 << true;
    }
    void fieldFramesAreTheSystemsOwn() {
        QFETCH(QSize, size);
        QFETCH(qreal, scale);
        QFETCH(bool, focus);
        ctl::useDesignedFaces();
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        fieldFrame(QApplication::style(), QSize(60, 30), scale, focus); // pieces from another size
        const QString differs = unlike(fieldFrame(QApplication::style(), size, scale, focus),
                                       fieldFrame(fusion.get(), size, scale, focus));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // A plain key's face, kept once drawn, is the one the system's style draws for it: up and held
    // down, at 100 and 200 %, each kept apart from the other.
    void plainKeyFacesAreTheSystemsOwn() {
        ctl::useDesignedFaces();
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QPushButton key(QStringLiteral("Menu"));
        for (const QSize size : {QSize(45, 21), QSize(28, 20)})
            for (qreal scale : {1.0, 2.0})
                for (bool down : {true, false, true}) {
                    const QString differs = unlike(keyFace(QApplication::style(), key, size, scale, down),
                                                   keyFace(fusion.get(), key, size, scale, down));
                    QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("%1x%2 at %3, %4: %5")
                                                               .arg(size.width()).arg(size.height()).arg(scale)
                                                               .arg(down ? "down" : "up", differs)));
                }
    }

    // The nature-of-distress lists show the display's pale yellow.
    void dropDownsShowTheDisplayColour() {
        Harness h;
        for (const char* name : {"ComboMessage", "comboBC"}) {
            auto* box = h.find<QComboBox>(name);
            box->show();
            const QImage field = paintedAt(box, 1);
            QCOMPARE(mostOf(field, QRect(3, 3, field.width() / 2, field.height() - 6)), QColor(255, 255, 128));
        }
    }

    // Every line of the directory fits beside the scroll bar: nothing cut off, nothing to scroll.
    void directoryLinesAreWhole() {
        Harness h;
        QListWidget* dir = h.ui().lstDirectory;
        dir->show();
        QCoreApplication::processEvents(); // the list lays out its lines
        QCOMPARE(dir->count(), 9);
        QVERIFY(dir->verticalScrollBar()->isVisible());
        QVERIFY2(dir->sizeHintForColumn(0) <= dir->viewport()->width(),
                 qPrintable(QString("%1 > %2").arg(dir->sizeHintForColumn(0)).arg(dir->viewport()->width())));
        QVERIFY(!dir->horizontalScrollBar()->isVisible());
    }

    void keysChooseTheHighlightedLine_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }
    // Call, one line down to Urgency, and the key: Urgency is chosen as by a click, once, and the
    // window's key preview saw the keys.
    void keysChooseTheHighlightedLine() {
        QFETCH(int, key);
        Harness h;
        QListWidget* calls = h.ui().lstCall;
        int clicks = 0;
        connect(calls, &QListWidget::itemClicked, calls, [&](QListWidgetItem* item) {
            ++clicks;
            QCOMPARE(item->text(), QString("Urgency"));
        });
        h.click("cmdCall");
        h.keyDown(Qt::Key_Down);
        QCOMPARE(clicks, 0);
        h.keyDown(Qt::Key(key));
        QCOMPARE(clicks, 1);
        QVERIFY(calls->item(1)->isSelected());
        QCOMPARE(h.c().s.CallTypeUrgency, QString("Urgency"));
        QVERIFY(h.c().s.KeyWatcher);

        // The nature of distress: Space opens the choices, Down, Space chooses.
        auto* nature = h.ui().ComboMessage;
        nature->show();
        nature->setFocus();
        h.keyDown(Qt::Key_Space);
        QVERIFY(nature->view()->isVisible());
        QTest::keyClick(nature->view(), Qt::Key_Down);
        const QString highlighted = nature->view()->currentIndex().data().toString();
        QTest::keyClick(nature->view(), Qt::Key_Space);
        QCOMPARE(ctl::comboText(nature), highlighted);
        QVERIFY(!h.visible("ComboMessage")); // its click handler ran
    }

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
