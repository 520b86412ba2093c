#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace platform {

void QtMessageBox::show(const QString& text) { make(text, parent_)->exec(); }

std::unique_ptr<QMessageBox> QtMessageBox::make(const QString& text, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("frmMessageBox"));
    box->button(QMessageBox::Ok)->setObjectName(QStringLiteral("cmdMessageOK"));
    return box;
}

} // namespace platform
