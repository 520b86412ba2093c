#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace platform {

void QtMessageBox::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok, parent_);
    // Named like the window's controls, so that a script driving the trainer finds the message.
    box.setObjectName(QStringLiteral("frmMessageBox"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("cmdMessageOK"));
    box.exec();
}

} // namespace platform
