#pragma once
// The exam window, beside the radio: where the exam stands (getting to know the radio, or which card
// of how many, which attempt, the time left), the card the candidate works now, and the keys to
// start the exam, to say a card is done and, once it is over, to write the examiner's sheet. It
// shows no hint and no verdict while the exam runs; what it does is the exam runner's business.
#include "screens/ToolWindow.h"

#include <QString>
#include <QStringList>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace screens {

class ExamWindow : public ToolWindow {
    Q_OBJECT
public:
    ExamWindow();

    QLabel* status;        // lblExamStatus: the phase, the card and attempt, the time left
    QPlainTextEdit* card;  // txtExamCard: the card's text, or what the candidate does now
    QPushButton* start;    // cmdExamStart: ends the time to get to know the radio
    QPushButton* done;     // cmdExamDone: the card is done
    QPushButton* sheet;    // cmdExamSheet: writes the examiner's sheet once the exam is over
    QPushButton* close;    // cmdExamClose
};

// What the candidate chose to sit: a profile of `profiles`, the seed (empty: one is drawn) and the
// name the record carries.
struct ExamChoice {
    QString profile, seed, candidate;
};
// Asks it in a dialog over `parent`; nothing when cancelled.
std::optional<ExamChoice> askExamChoice(QWidget* parent, const QStringList& profiles, const QString& candidate);

} // namespace screens
