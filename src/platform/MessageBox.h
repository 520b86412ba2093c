#pragma once
#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace platform {

// A modal message with one OK button and the program's title as caption. Window events, timer
// ticks included, keep running while it is open.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text) = 0;
    // A question with Yes and No keys (No is the default); true for Yes. A box that asks no
    // questions shows it as a message and takes it as No.
    virtual bool ask(const QString& question) {
        show(question);
        return false;
    }
};

inline const QString kProgramTitle = QStringLiteral("VHF DSC Trainer");

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text) override;
    bool ask(const QString& question) override;
    // The box itself, named like the window's controls (frmMessageBox, its button cmdMessageOK, or
    // for a question cmdMessageYes and cmdMessageNo), so that a script driving the trainer finds the message.
    static std::unique_ptr<QMessageBox> make(const QString& text, QWidget* parent, bool question = false);
    // Whether the question's box was answered Yes.
    static bool answeredYes(const QMessageBox& box);

private:
    QWidget* parent_;
};

} // namespace platform
