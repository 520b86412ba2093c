#pragma once
// The keys that work the window's knob and lists the way the mouse does.
#include <QObject>
#include <QSet>

class QAbstractItemView;
class QAbstractSlider;
class QComboBox;
class QListWidget;

// The knob turns with the arrow keys the way its arrows point: Right (or Up) one step up, Left (or
// Down) one step down, like a click on the right or left arrow. A scroll bar left to itself steps
// the other way round with the keys. Lives as long as the knob.
class KnobKeys : public QObject {
public:
    explicit KnobKeys(QAbstractSlider* knob);
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QAbstractSlider* knob_;
};

// Return, Enter and Space choose the highlighted line of a list exactly as a click on it does: the
// line is selected and the list's click handler runs. On the open choices of a drop-down list Space
// chooses like Return; on a closed drop-down list Return chooses the item it shows (Space opens its
// choices, as a click does). The window's key preview has seen the key before it comes here.
class ChoiceKeys : public QObject {
public:
    using QObject::QObject;

    void watch(QListWidget* list);
    void watch(QComboBox* box);

    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void prepareChoices(QComboBox* box);

    QSet<const QComboBox*> choicesReady_;
};
