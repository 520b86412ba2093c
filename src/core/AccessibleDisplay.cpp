#include "core/AccessibleDisplay.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

// Marks the labels that are displays.
constexpr char kDisplayProperty[] = "accessibleDisplay";

class DisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DisplayAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return shown();
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The text, read only, without the blanks some prompts are padded with.
    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return QString();
    }

    static QString shownBy(const QLabel* label) { return label->text().trimmed(); }

private:
    QString shown() const { return shownBy(static_cast<QLabel*>(object())); }
};

QAccessibleInterface* displayFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") && object && object->property(kDisplayProperty).toBool())
        return new DisplayAccessible(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

void makeDisplay(QLabel* label) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(displayFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    label->setProperty(kDisplayProperty, true);
    // An interface made for the label before (while a screen reader listened to the window's
    // construction) is the plain one: replace it.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
    if (iface && !dynamic_cast<DisplayAccessible*>(iface)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
        QAccessible::queryAccessibleInterface(label);
    }
}
