#pragma once
// Small adaptations of Qt's widgets to the way the radio's controls have always behaved.
#include <QColor>
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace ctl {

inline const QColor kDisplay{255, 255, 128};  // the radio display's pale yellow
inline const QColor kRed{255, 0, 0};
inline const QColor kYellow{255, 255, 0};
inline const QColor kDarkBlue{0, 0, 136};     // weather mode text
inline const QColor kBlack{0, 0, 0};
inline const QColor kGreen{0, 192, 0};
inline const QColor kLightBlue{128, 128, 255};

// The system's window colour: the background of a text box that was never coloured.
QColor windowColor();

// Writes a text box's text from code and leaves the cursor at the start.
void setText(QLineEdit* box, const QString& text);
// Maximum length; 0 means no limit.
void setMaxLength(QLineEdit* box, int length);
int maxLength(const QLineEdit* box); // 0 when unlimited

// The control's own Visible setting, whatever its parents show.
bool visible(const QWidget* w);

// Background and text colour: the Base/Text roles of text boxes, lists and drop-downs, the
// Window/Button roles of labels, frames and buttons.
void setBackColor(QWidget* w, const QColor& c);
QColor backColor(const QWidget* w);
void setForeColor(QWidget* w, const QColor& c);
QColor foreColor(const QWidget* w);
// Yellow if red, otherwise red.
void toggleRedYellow(QWidget* w);

// A click handler for widgets that have no clicked() signal (labels, frames, pictures).
void onClick(QWidget* w, std::function<void()> handler);

// Repaints the whole window at once (synchronously), before a blocking step.
void repaintNow(QWidget* w);

} // namespace ctl

class QComboBox;
namespace ctl {
// A drop-down's text: the chosen item, or its designed text ("Nature of Distress") before any
// item was chosen.
QString comboText(const QComboBox* box);
// Puts the designed text back and forgets the chosen item.
void setComboText(QComboBox* box, const QString& designedText);
} // namespace ctl
