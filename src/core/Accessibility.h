#pragma once
// The window for keyboard and screen-reader users: every control the trainee can reach gets a
// spoken name (and a description where the name alone does not say how to use it), and Tab walks
// the radio's face in the order its controls are laid out, then the Coast Guard display, the second
// vessel's panel and the remaining controls of the window.
#include <QString>

class QAbstractScrollArea;
class QWidget;
namespace Ui {
class frmGMDSS;
}

// Names, descriptions and the Tab order of the designed window `form` (frmGMDSS), once its keypad
// keys have been renamed command1 with their "index". Return, Enter and Space choose the highlighted
// line of a list or drop-down list as a click does. Also keeps the window's pictures sharp at any
// screen scale (see Pictures.h) and gives the window its look (see platform/Look.h). Call once,
// before the window is shown; the controls of `ui` made later are described as they are made.
void describeControls(QWidget* form, Ui::frmGMDSS& ui);

// The name (and description) a screen reader speaks for a control.
void nameControl(QWidget* w, const QString& name, const QString& description = {});
// The scroll bars inside a list or text area, named after their owner; screen readers reach them too.
void nameScrollBars(QAbstractScrollArea* area, const QString& owner);
