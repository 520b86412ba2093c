#pragma once
// The windows beside the radio (the DSC messages, an exercise, the class's stations): top-level
// windows in the radio window's colour, which Close and Escape only hide, so that what they show
// is there again when they are opened again.
#include <QColor>
#include <QWidget>

#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

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

// A line of text of such a window that wraps, can be selected and copied, and has a spoken name.
QLabel* toolLabel(QWidget* parent, const char* objectName, const QString& spokenName);

// The column such a window lays its parts out in, one under the other.
QVBoxLayout* toolColumn(QWidget* window);
// Its row of keys: these from the left, Close at the right end.
QHBoxLayout* keyRow(std::initializer_list<QWidget*> keys, QWidget* close);

// Where a window of `preferred` size (at least `minimum`) goes beside the radio's window, whose
// frame is `radio`, on the screen area `room`, so that it covers none of the radio: to its right
// when the room there takes the window's width, else below when the room there takes its height;
// failing both, on the side that keeps more of the window, shrunk to fit (down to `minimum`).
// `frame` is the margin the window system puts round a window. Returns the window's frame
// rectangle; null when neither side has room even for the minimum.
QRect besideRadio(const QRect& radio, const QRect& room, QSize preferred, QSize minimum, const QMargins& frame);

// Shows a window beside the radio in front. The first time in a run it opens where the user left it
// in an earlier run, or else where besideRadio() puts it (on a screen without room, to the radio's
// right as far as the screen reaches). Where the user then moves or sizes it is remembered in the
// settings, under the window's objectName.
void showBeside(QWidget* window, const QWidget* radio);

} // namespace screens
