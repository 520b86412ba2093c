#pragma once
#include <QString>

class QWidget;

namespace platform {

// A modal message with one OK button and the program's title as caption. Window events, timer
// ticks included, keep running while it is open.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text) = 0;
};

inline const QString kProgramTitle = QStringLiteral("VHF DSC Trainer");

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text) override;

private:
    QWidget* parent_;
};

} // namespace platform
