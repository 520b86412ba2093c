#include "calls/HoldKey.h"

#include "core/Context.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// Paints a push button with its caption wrapped onto as many lines as it needs.
class WrappedCaption : public QObject {
public:
    explicit WrappedCaption(QPushButton* b) : QObject(b), button_(b) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != button_ || e->type() != QEvent::Paint) return false;
        QPushButton* b = button_;
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.features = QStyleOptionButton::None;
        if (b->isFlat()) opt.features |= QStyleOptionButton::Flat;
        if (b->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
        if (b->isDown() || b->isChecked()) opt.state |= QStyle::State_Sunken;
        else if (!b->isFlat()) opt.state |= QStyle::State_Raised;
        QPainter p(b);
        b->style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, b);
        const QRect area = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        b->style()->drawItemText(&p, area, Qt::AlignCenter | Qt::TextWordWrap, b->palette(), b->isEnabled(),
                                 b->text(), QPalette::ButtonText);
        return true;
    }

private:
    QPushButton* button_;
};

} // namespace

void showCaptionWrapped(QPushButton* button) {
    for (QObject* child : button->children())
        if (dynamic_cast<WrappedCaption*>(child)) return;
    button->installEventFilter(new WrappedCaption(button));
    button->update();
}

HoldKey::HoldKey(Context& ctx, QPushButton* key, std::function<void()> beforeCount)
    : QObject(key), c(ctx), key_(key), beforeCount_(std::move(beforeCount)) {}

HoldKey* HoldKey::install(Context& c, QPushButton* key, std::function<void()> beforeCount,
                          std::function<void()> mouseDown, std::function<void()> mouseUp) {
    auto* hk = new HoldKey(c, key, std::move(beforeCount));
    QObject::connect(key, &QAbstractButton::pressed, hk, [down = std::move(mouseDown)] { down(); });
    QObject::connect(key, &QAbstractButton::released, hk, [up = std::move(mouseUp)] { up(); });
    showCaptionWrapped(key);
    return hk;
}

HoldKey* HoldKey::of(const QPushButton* key) {
    if (!key) return nullptr;
    for (QObject* child : key->children())
        if (auto* hk = dynamic_cast<HoldKey*>(child)) return hk;
    return nullptr;
}

void HoldKey::press() {
    released_ = false;
    const quint64 thisPress = ++presses_;
    heldSeconds_ = 1;
    if (beforeCount_) beforeCount_();
    key_->setText(QStringLiteral(":00"));
    c.timedWait(
        platform::kWaitPeriodMs,
        [this, thisPress] {
            key_->setText(QStringLiteral(":0") + QString::number(c.s.SecondsCounter) + QStringLiteral(" Seconds"));
            c.beep();
            // The wait adds this second to the shared counter once the step has run.
            if (thisPress == presses_) heldSeconds_ = c.s.SecondsCounter + 1;
        },
        [this] { return released_; });
    // The five seconds ran out with this very press still held.
    if (!released_ && thisPress == presses_ && !c.Timer5Second->isEnabled() && c.s.SecondsCounter == 5) {
        key_->setText(QStringLiteral(":05"));
        c.beep();
    }
}

void HoldKey::release() { released_ = true; }
