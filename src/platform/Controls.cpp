#include "platform/Controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

namespace ctl {

namespace {

bool usesBaseRole(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w);
}

class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) {
            auto* w = static_cast<QWidget*>(watched);
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint())) handler_();
        }
        return false;
    }

private:
    std::function<void()> handler_;
};

} // namespace

QColor windowColor() { return QApplication::palette().color(QPalette::Base); }

void setText(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->setCursorPosition(0);
}

void setMaxLength(QLineEdit* box, int length) { box->setMaxLength(length <= 0 ? 32767 : length); }

int maxLength(const QLineEdit* box) { return box->maxLength() >= 32767 ? 0 : box->maxLength(); }

bool visible(const QWidget* w) { return !w->isHidden(); }

void setBackColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    if (usesBaseRole(w)) {
        p.setColor(QPalette::Base, c);
    } else {
        p.setColor(QPalette::Window, c);
        p.setColor(QPalette::Button, c);
        w->setAutoFillBackground(true);
    }
    w->setPalette(p);
}

QColor backColor(const QWidget* w) {
    if (usesBaseRole(w)) return w->palette().color(QPalette::Base);
    if (qobject_cast<const QAbstractButton*>(w)) return w->palette().color(QPalette::Button);
    return w->palette().color(QPalette::Window);
}

void setForeColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(usesBaseRole(w) ? QPalette::Text : QPalette::WindowText, c);
    if (qobject_cast<QAbstractButton*>(w)) p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

QColor foreColor(const QWidget* w) {
    return w->palette().color(usesBaseRole(w) ? QPalette::Text : QPalette::WindowText);
}

void toggleRedYellow(QWidget* w) { setBackColor(w, backColor(w) == kRed ? kYellow : kRed); }

void onClick(QWidget* w, std::function<void()> handler) { w->installEventFilter(new ClickFilter(w, std::move(handler))); }

void repaintNow(QWidget* w) {
    QWidget* window = w->window();
    // A control just shown (the transmit lamp) asks for its paint only through a posted event, and
    // a repaint of the window leaves out what lies over a part of the window that has not changed
    // (the lamp over the display's frame): take the posted requests now and have every shown
    // control painted, so that the whole window is on the screen before a blocking step.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->isVisible() && !child->isWindow()) child->update();
    window->repaint();
}

} // namespace ctl

namespace ctl {

QString comboText(const QComboBox* box) {
    return box->currentIndex() < 0 ? box->placeholderText() : box->currentText();
}

void setComboText(QComboBox* box, const QString& designedText) {
    box->setPlaceholderText(designedText);
    box->setCurrentIndex(-1);
}

} // namespace ctl
