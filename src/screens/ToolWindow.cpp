#include "screens/ToolWindow.h"

#include "core/Accessibility.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace screens {

ToolWindow::ToolWindow(QWidget* parent, const QString& objectName, const QString& title)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(objectName);
    setWindowTitle(title);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

QPushButton* toolButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    return b;
}

QLabel* toolLabel(QWidget* parent, const char* objectName, const QString& spokenName) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(objectName));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nameControl(l, spokenName);
    return l;
}

QVBoxLayout* toolColumn(QWidget* window) {
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    return layout;
}

QHBoxLayout* keyRow(std::initializer_list<QWidget*> keys, QWidget* close) {
    auto* row = new QHBoxLayout;
    for (QWidget* key : keys) row->addWidget(key);
    row->addStretch(1);
    row->addWidget(close);
    return row;
}

namespace {

constexpr int kGap = 8; // between the radio and a window beside it
// Windows never shrink below this to fit beside the radio, whatever their layout would allow.
constexpr QSize kSmallest(320, 200);

// Kept with the program's other settings (~/.config/vhf-dsc-trainer/), one key a window.
QString settingsKey(const QWidget* window) { return QStringLiteral("windows/") + window->objectName(); }

const QString kSettingsOwner = QStringLiteral("vhf-dsc-trainer");

// Remembers where the user puts the window: every move and resize while it is on screen. The
// settings reach the disk from the event loop, not at every step of a drag.
class GeometryMemory : public QObject {
public:
    explicit GeometryMemory(QWidget* window) : QObject(window), store_(kSettingsOwner, kSettingsOwner) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if ((e->type() == QEvent::Move || e->type() == QEvent::Resize) && static_cast<QWidget*>(watched)->isVisible()) {
            auto* window = static_cast<QWidget*>(watched);
            store_.setValue(settingsKey(window), window->saveGeometry());
        }
        return false;
    }

private:
    QSettings store_;
};

} // namespace

QRect besideRadio(const QRect& radio, const QRect& room, QSize preferred, QSize minimum, const QMargins& frame) {
    const int frameW = frame.left() + frame.right(), frameH = frame.top() + frame.bottom();
    minimum = minimum.expandedTo(kSmallest).boundedTo(preferred);
    // To the right: the window's top at the radio's, moved up as far as the screen asks.
    const int rightX = radio.right() + 1 + kGap;
    const int roomRight = room.right() + 1 - rightX - frameW;
    const int tallest = room.height() - frameH;
    auto right = [&](int width) {
        const int h = std::min(preferred.height(), tallest);
        const int y = std::clamp(radio.top(), room.top(), room.bottom() + 1 - (h + frameH));
        return QRect(rightX, y, width + frameW, h + frameH);
    };
    // Below: the window's left at the radio's, moved left as far as the screen asks.
    const int belowY = radio.bottom() + 1 + kGap;
    const int roomBelow = room.bottom() + 1 - belowY - frameH;
    const int widest = room.width() - frameW;
    auto below = [&](int height) {
        const int w = std::min(preferred.width(), widest);
        const int x = std::clamp(radio.left(), room.left(), room.right() + 1 - (w + frameW));
        return QRect(x, belowY, w + frameW, height + frameH);
    };
    if (roomRight >= preferred.width() && tallest >= minimum.height()) return right(preferred.width());
    if (roomBelow >= preferred.height() && widest >= minimum.width()) return below(preferred.height());
    const bool rightFits = roomRight >= minimum.width() && tallest >= minimum.height();
    const bool belowFits = roomBelow >= minimum.height() && widest >= minimum.width();
    const qint64 rightArea = qint64(std::min(roomRight, preferred.width())) * std::min(tallest, preferred.height());
    const qint64 belowArea = qint64(std::min(widest, preferred.width())) * std::min(roomBelow, preferred.height());
    if (rightFits && (!belowFits || rightArea >= belowArea)) return right(std::min(roomRight, preferred.width()));
    if (belowFits) return below(std::min(roomBelow, preferred.height()));
    return {};
}

void showBeside(QWidget* window, const QWidget* radio) {
    if (!window->property("placedBesideRadio").toBool()) {
        window->setProperty("placedBesideRadio", true);
        const QByteArray saved = QSettings(kSettingsOwner, kSettingsOwner).value(settingsKey(window)).toByteArray();
        if (saved.isEmpty() || !window->restoreGeometry(saved)) {
            const QRect frame = radio->frameGeometry();
            const QRect client = radio->geometry();
            const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                                   frame.right() - client.right(), frame.bottom() - client.bottom());
            const QScreen* screen = radio->screen();
            const QRect room = screen ? screen->availableGeometry() : frame;
            const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
            QRect at = besideRadio(frame, room, window->size(), minimum, margins);
            if (at.isNull()) { // no room: to the right of the radio, as far as the screen reaches
                const QSize outer = window->size().grownBy(margins);
                at = QRect(QPoint(std::max(room.left(), std::min(frame.right() + 1 + kGap, room.right() + 1 - outer.width())),
                                  std::max(room.top(), frame.top())),
                           outer);
            }
            window->resize(at.size().shrunkBy(margins));
            window->move(at.topLeft());
        }
        new GeometryMemory(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace screens
