#pragma once
// The receiver's row of the DSC message window: a sound input to pick (the sound server's sources
// by name), Refresh, Listen / Stop, and what the receiver is doing. Every call it hears goes on the
// air as heard from outside, so the window lists it, the NMEA output reports it and the lesson
// keeps it. Made with the window; listening goes on while the window is hidden.
#include <QObject>
#include <QString>

#include <memory>

struct Context;
class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
namespace air {
class Receiver;
}

namespace screens {

class ReceiverPanel : public QObject {
public:
    // Adds the row's controls to `row`, children of `window`; to be gone before the window is.
    ReceiverPanel(Context& c, QWidget* window, QBoxLayout* row);
    ~ReceiverPanel() override;

    QComboBox* input;    // cboReceiverInput
    QPushButton* inputs; // cmdReceiverInputs: asks the sound server for its inputs again
    QPushButton* listen; // cmdListen: Listen, or Stop while listening
    QLabel* state;       // lblReceiver

    // The sound server's inputs, the one chosen kept where it still exists.
    void refreshInputs();
    // Listens to the chosen input, or stops listening.
    void toggle();
    air::Receiver& receiver() { return *receiver_; }

private:
    void showState(const QString& text);

    Context& c;
    std::unique_ptr<air::Receiver> receiver_;
};

} // namespace screens
