#include "screens/ToolWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace screens {

ToolWindow::ToolWindow(QWidget* parent, const QString& objectName, const QString& title)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(objectName);
    setWindowTitle(title);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

QPushButton* toolButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    return b;
}

} // namespace screens
