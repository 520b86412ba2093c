#pragma once
// The windows beside the radio (the DSC messages, an exercise, the class's stations): top-level
// windows in the radio window's colour, which Close and Escape only hide, so that what they show
// is there again when they are opened again.
#include <QColor>
#include <QWidget>

class QPushButton;

namespace screens {

// The background of the main window and of every window of the trainer's.
inline const QColor kWindowBackground(192, 192, 255);

class ToolWindow : public QWidget {
public:
    ToolWindow(QWidget* parent, const QString& objectName, const QString& title);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A push button of such a window: named for tests and tools, and not taking Return for itself.
QPushButton* toolButton(QWidget* parent, const char* objectName, const QString& caption);

} // namespace screens
