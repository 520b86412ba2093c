#include "platform/MessageBox.h"

#include <QMessageBox>

namespace platform {

void QtMessageBox::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace platform
