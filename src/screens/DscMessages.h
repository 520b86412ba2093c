#pragma once
// The DSC message window: every DSC message sent and received in this run, as the air logged it,
// newest last, with the selected one whole (in words and in symbols), its burst to play and to save
// as a WAV file. It follows the air while it is open. Opened by F2 on the main window and by its
// DSC Messages button; created on first use, only hidden when closed.
#include <QString>
#include "screens/ToolWindow.h"

#include <QWidget>

#include <functional>
#include <memory>

struct Context;
class QCloseEvent;
class QHBoxLayout;
class QKeyEvent;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
namespace air {
struct Transmission;
struct VoiceTransmission;
}

namespace screens {
class ReceiverPanel;

// The window's controls; what they do is DscMessages' business.
class DscMessagesWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit DscMessagesWindow(QWidget* parent = nullptr);

    QTableWidget* list;     // lstDscMessages
    QPlainTextEdit* detail; // txtDscDetail
    QPushButton* play;      // cmdPlayBurst
    QPushButton* save;      // cmdSaveWav
    QPushButton* close;     // cmdDscClose
    QHBoxLayout* receiverRow; // the receiver's controls (ReceiverPanel)

};

} // namespace screens

class DscMessages {
public:
    // The columns of the list.
    enum Column { Number, Time, Direction, From, To, Words, Symbols, ColumnCount };

    explicit DscMessages(Context& ctx);
    ~DscMessages();
    // Listens to the air and to the main window's DSC Messages button. Call once the air exists.
    void wire();

    // Shows the window (made now if it was never shown) in front.
    void show();
    screens::DscMessagesWindow* window() const { return window_.get(); }
    // The receiver's controls; null until the window is made.
    screens::ReceiverPanel* receiver() const { return receiver_.get(); }

    // Where to save a burst, asked with the suggested file name; an empty answer saves nothing.
    // The file dialog, unless replaced (the tests do).
    std::function<QString(const QString& suggestedName)> askSavePath;

    // The selected message's burst, or a voice transmission's speech as the own radio heard it (the
    // trainee's own as the microphone took it): played without waiting for it, or written to a
    // WAV file.
    void playSelected();
    void saveSelected();

    // "Sent", "Received" or "Overheard", as the own radio sees the message; "Receiver" for one a
    // receiver heard.
    static QString direction(const air::Transmission& t);
    // The station's name for an MMSI ("The Blue Crane", "Group #2"), the MMSI itself for a
    // station the trainer does not know. `own` tells that it is the own radio's MMSI.
    QString stationName(const QString& mmsi, bool own) const;
    // The file name offered when saving, e.g. "dsc-0003-routine.wav", "voice-0002-mayday.wav".
    static QString suggestedFileName(const air::Transmission& t);
    static QString suggestedFileName(const air::VoiceTransmission& t);
    // A voice transmission in words: its number ("V2"), the direction, the summary of the verdicts,
    // and the whole of it for the detail pane.
    static QString voiceNumber(const air::VoiceTransmission& t);
    static QString direction(const air::VoiceTransmission& t);
    static QString verdictSummary(const air::VoiceTransmission& t);
    static QString voiceDetail(const air::VoiceTransmission& t);

private:
    void make();
    void addRow(const air::Transmission& t);
    void addRow(const air::VoiceTransmission& t);
    void addCells(const QString (&cells)[ColumnCount], int number, bool voice);
    void showSelected();
    const air::Transmission* selected() const;
    const air::VoiceTransmission* selectedVoice() const;
    // The samples the selected row plays, at their rate; empty with `error` set when it has none.
    std::vector<float> selectedSound(int* rate, QString* error) const;

    Context& c;
    std::unique_ptr<screens::DscMessagesWindow> window_;
    std::unique_ptr<screens::ReceiverPanel> receiver_;
    QString saveFolder_;
};
