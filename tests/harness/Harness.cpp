#include "harness/Harness.h"

#include "platform/Controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

Harness::Harness(QDateTime start, QSize screenSize) : clock(std::move(start)) {
    screen.size = screenSize;
    trainer_ = std::make_unique<Trainer>(Services{clock, sound, messages, screen, [this] { ++programEnds; }});
    window()->show();
    window()->activateWindow();
    QApplication::setActiveWindow(window());
    // Let the offscreen window be exposed once, so that a repaint really paints.
    QCoreApplication::processEvents();
}

Harness::~Harness() = default;

QWidget* Harness::find(const QString& name) const {
    auto* self = const_cast<Harness*>(this);
    // The radio's lists are made when first reached for.
    if (QWidget* late = self->ui().makeLate(name)) return late;
    auto* w = self->window();
    if (w->objectName() == name) return w;
    if (auto* found = w->findChild<QWidget*>(name)) return found;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == name) return top;
    qFatal("no control named %s", qPrintable(name));
    return nullptr;
}

void Harness::click(const QString& name) { click(find(name)); }

void Harness::click(QWidget* w) {
    if (w->focusPolicy() & Qt::ClickFocus) w->setFocus(Qt::MouseFocusReason);
    auto* b = qobject_cast<QAbstractButton*>(w);
    if (b && !w->isVisible()) {
        // A control the trainee cannot see: click it as the button itself would.
        b->click();
        return;
    }
    QTest::mouseClick(w, Qt::LeftButton);
}

void Harness::press(const QString& name) {
    QWidget* w = find(name);
    if (w->focusPolicy() & Qt::ClickFocus) w->setFocus(Qt::MouseFocusReason);
    QTest::mousePress(w, Qt::LeftButton);
}

void Harness::release(const QString& name) { QTest::mouseRelease(find(name), Qt::LeftButton); }

qint64 Harness::hold(const QString& name, qint64 ms) {
    const qint64 releaseAt = now() + ms;
    bool released = false;
    at(releaseAt, [this, name, &released] {
        released = true;
        release(name);
    });
    press(name);
    // The count ends by itself after five seconds with the key still down: the release comes later.
    if (!released) clock.advanceTo(releaseAt);
    return releaseAt;
}

namespace {

void sendKey(QEvent::Type type, Qt::Key k, bool autoRepeat) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        qFatal("a key went %s with no control holding the keyboard focus", type == QEvent::KeyPress ? "down" : "up");
    QString text;
    if (k == Qt::Key_Space) text = QStringLiteral(" ");
    else if (k > Qt::Key_Space && k < 0x7f) text = QString(QChar(k)).toLower();
    QKeyEvent e(type, k, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(target, &e);
}

} // namespace

void Harness::keyDown(Qt::Key k, bool autoRepeat) { sendKey(QEvent::KeyPress, k, autoRepeat); }
void Harness::keyUp(Qt::Key k, bool autoRepeat) { sendKey(QEvent::KeyRelease, k, autoRepeat); }

qint64 Harness::holdKey(const QString& name, Qt::Key k, qint64 ms, int repeatMs) {
    find(name)->setFocus(Qt::TabFocusReason);
    const qint64 releaseAt = now() + ms;
    // Shared with the scheduled actions, which may outlive this call if a test stops early.
    auto released = std::make_shared<bool>(false);
    if (repeatMs > 0)
        for (qint64 t = now() + kAutoRepeatDelayMs; t < releaseAt; t += repeatMs)
            at(t, [this, k, released] {
                if (*released) return;
                keyUp(k, true);
                keyDown(k, true);
            });
    at(releaseAt, [this, k, released] {
        *released = true;
        keyUp(k);
    });
    keyDown(k);
    // As with hold(): the count may end by itself with the key still down; the release comes later.
    if (!*released) clock.advanceTo(releaseAt);
    return releaseAt;
}

void Harness::stepKnob(int direction) {
    ui().ScrollChannel->triggerAction(direction > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                    : QAbstractSlider::SliderSingleStepSub);
}

bool Harness::tuneTo(const QString& wanted) {
    for (int i = 0; i < 200 && designator() != wanted; ++i) stepKnob(+1);
    return designator() == wanted;
}

QString Harness::designator() const { return text("lblChannel") + (visible("lblA") ? QStringLiteral("A") : QString()); }

void Harness::openMenuItem(const QString& item) {
    click("cmdMenu");
    chooseItem("lstMenu", item);
}

void Harness::type(const QString& name, const QString& text) {
    QWidget* w = find(name);
    w->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(w, text);
}

void Harness::key(const QString& name, Qt::Key k, Qt::KeyboardModifiers mods) {
    QWidget* w = find(name);
    w->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w, k, mods);
}

void Harness::chooseItem(const QString& list, int row) {
    auto* l = find<QListWidget>(list);
    Q_ASSERT(l);
    Q_ASSERT(l->item(row));
    l->setFocus(Qt::MouseFocusReason);
    // Taking the focus can run another control's lost-focus check, which may empty this very list
    // (the received-calls list): the click then lands on whatever that row holds now, or on nothing.
    QListWidgetItem* item = l->item(row);
    if (!item) return;
    l->setCurrentItem(item);
    emit l->itemClicked(item);
}

void Harness::chooseItem(const QString& list, const QString& itemText) {
    auto* l = find<QListWidget>(list);
    for (int i = 0; i < l->count(); ++i)
        if (l->item(i)->text() == itemText) return chooseItem(list, i);
    qFatal("no item '%s' in %s", qPrintable(itemText), qPrintable(list));
}

void Harness::chooseCombo(const QString& combo, int index) {
    auto* b = find<QComboBox>(combo);
    Q_ASSERT(b);
    b->setCurrentIndex(index);
    emit b->activated(index);
}

void Harness::chooseCombo(const QString& combo, const QString& itemText) {
    auto* b = find<QComboBox>(combo);
    const int i = b->findText(itemText);
    if (i < 0) qFatal("no item '%s' in %s", qPrintable(itemText), qPrintable(combo));
    chooseCombo(combo, i);
}

QString Harness::text(const QString& name) const {
    QWidget* w = find(name);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* cb = qobject_cast<QComboBox*>(w)) return ctl::comboText(cb);
    return w->windowTitle();
}

bool Harness::visible(const QString& name) const { return ctl::visible(find(name)); }
QColor Harness::back(const QString& name) const { return ctl::backColor(find(name)); }
QColor Harness::fore(const QString& name) const { return ctl::foreColor(find(name)); }

QStringList Harness::items(const QString& list) const {
    QStringList out;
    auto* l = find<QListWidget>(list);
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
}

int Harness::playsOf(const QString& file, qint64 fromMs) const {
    int n = 0;
    for (const auto& p : sound.plays) n += p.file == file && p.startMs >= fromMs;
    return n;
}

int Harness::beepsBetween(qint64 fromMs, qint64 toMs) const {
    int n = 0;
    for (qint64 b : sound.beeps) n += b >= fromMs && b < toMs;
    return n;
}
