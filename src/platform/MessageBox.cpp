#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace platform {

void QtMessageBox::show(const QString& text) { make(text, parent_)->exec(); }

bool QtMessageBox::ask(const QString& question) {
    const std::unique_ptr<QMessageBox> box = make(question, parent_, true);
    box->exec();
    return answeredYes(*box);
}

std::unique_ptr<QMessageBox> QtMessageBox::make(const QString& text, QWidget* parent, bool question) {
    auto box = std::make_unique<QMessageBox>(question ? QMessageBox::Question : QMessageBox::NoIcon, kProgramTitle, text,
                                             question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("frmMessageBox"));
    if (question) {
        box->button(QMessageBox::Yes)->setObjectName(QStringLiteral("cmdMessageYes"));
        box->button(QMessageBox::No)->setObjectName(QStringLiteral("cmdMessageNo"));
        box->setDefaultButton(QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->button(QMessageBox::Ok)->setObjectName(QStringLiteral("cmdMessageOK"));
    }
    return box;
}

bool QtMessageBox::answeredYes(const QMessageBox& box) {
    return box.clickedButton() && box.clickedButton() == box.button(QMessageBox::Yes);
}

} // namespace platform
