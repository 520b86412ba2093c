#pragma once
// The radio log window, beside the radio: the entries written so far, oldest first, and a form to
// write the next one (UTC time, channel or DSC, category, from whom, about whom, position and its
// time, nature, persons on board, assistance wanted, other facts, action taken, operator). The UTC
// time is the radio's when an entry is begun; Add enters the entry, and choosing an entry in the
// list shows it again in the form, to read, until New begins the next. Opened by the main window's
// Radio log key and Ctrl+L; made on first use, only hidden when closed.
#include "lessons/RadioLog.h"
#include "screens/ToolWindow.h"

#include <QTime>
#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QShowEvent;

namespace screens {

class RadioLogWindow : public ToolWindow {
    Q_OBJECT
public:
    // utcNow gives the radio's UTC time (invalid: it has none).
    explicit RadioLogWindow(std::function<QTime()> utcNow);

    const std::vector<lessons::LogEntry>& entries() const { return entries_; }
    // The entry the form holds now.
    lessons::LogEntry formEntry() const;
    // Enters the form's entry in the log (told to onAdded) and begins the next.
    void add();
    // Empties the form for a new entry, its time the radio's UTC time now.
    void begin();
    // Shows the entry in row `row` of the list in the form, to read.
    void open(int row);

    // Told each entry added, as it was written.
    std::function<void(const lessons::LogEntry&)> onAdded;

    QListWidget* list;       // lstRadioLog
    QComboBox* category;     // cboLogCategory
    QPushButton* addKey;     // cmdLogAdd
    QPushButton* newKey;     // cmdLogNew
    QPushButton* close;      // cmdRadioLogClose
    // The form's text fields, by field (category excepted: nullptr), in logFields()' order.
    std::vector<QLineEdit*> fields;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fill(const lessons::LogEntry& entry, bool reading);

    std::function<QTime()> utcNow_;
    std::vector<lessons::LogEntry> entries_;
    bool begun_ = false; // the form holds an entry being written
};

} // namespace screens
