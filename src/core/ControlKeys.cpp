#include "core/ControlKeys.h"

#include "core/Accessibility.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>

KnobKeys::KnobKeys(QAbstractSlider* knob) : QObject(knob), knob_(knob) { knob->installEventFilter(this); }

bool KnobKeys::eventFilter(QObject* watched, QEvent* e) {
    if (watched != knob_ || e->type() != QEvent::KeyPress) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() & ~Qt::KeypadModifier) return false;
    switch (k->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up: knob_->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    case Qt::Key_Left:
    case Qt::Key_Down: knob_->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    default: return false;
    }
}

void ChoiceKeys::watch(QListWidget* list) { list->installEventFilter(this); }
void ChoiceKeys::watch(QComboBox* box) { box->installEventFilter(this); }

bool ChoiceKeys::eventFilter(QObject* watched, QEvent* e) {
    // A drop-down list's choices are made when first needed, not with the window: they are
    // named and watched just before the first click or key can open them (or as they are first
    // shown, whoever opens them).
    if (auto* box = qobject_cast<QComboBox*>(watched); box && !choicesReady_.contains(box)) {
        const QEvent::Type t = e->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick || t == QEvent::KeyPress ||
            t == QEvent::ChildPolished)
            prepareChoices(box);
    }
    if (e->type() != QEvent::KeyPress) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    const bool space = k->key() == Qt::Key_Space;
    if (!space && k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) return false;
    if (k->modifiers() & ~Qt::KeypadModifier) return false;
    if (auto* list = qobject_cast<QListWidget*>(watched)) {
        QListWidgetItem* item = list->currentItem();
        if (!item) return false;
        if (!k->isAutoRepeat()) { // a click does not repeat
            list->setCurrentItem(item);
            emit list->itemClicked(item);
        }
        return true;
    }
    if (auto* box = qobject_cast<QComboBox*>(watched)) {
        if (space || box->currentIndex() < 0) return false;
        if (!k->isAutoRepeat()) {
            emit box->activated(box->currentIndex());
            emit box->textActivated(box->currentText());
        }
        return true;
    }
    // The open choices of a drop-down list: Return chooses by itself; Space is made a Return.
    if (auto* choices = qobject_cast<QAbstractItemView*>(watched); choices && space) {
        if (!choices->currentIndex().isValid()) return false;
        if (!k->isAutoRepeat()) {
            QKeyEvent choose(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(choices, &choose);
        }
        return true;
    }
    return false;
}

void ChoiceKeys::prepareChoices(QComboBox* box) {
    choicesReady_.insert(box);
    QAbstractItemView* view = box->view();
    nameControl(view, box->accessibleName() + QStringLiteral(", choices"));
    nameScrollBars(view, box->accessibleName());
    view->installEventFilter(this);
}
