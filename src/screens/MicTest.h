#pragma once
// The microphone test: a small window beside the radio where the trainee records a sentence (the
// Record key, up to kMaxMs or until it is pressed again), hears it played back through the sound
// output, and sees its level (the meter of the talk key and the verdict Good / Too quiet /
// Clipped) and the words the trainer understood. Opened from the main window's Microphone Test
// button and from the Classroom window; made at first use, only hidden when closed.
#include "screens/ToolWindow.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct Context;
class QLabel;
class QHideEvent;
class QPushButton;
namespace platform {
class Timer;
}

namespace screens {
class MicLevelBar;

class MicTestWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit MicTestWindow(QWidget* parent = nullptr);

    QPushButton* record;  // cmdMicRecord: Record / Stop
    QPushButton* play;    // cmdMicPlay: plays the recording again
    MicLevelBar* bar;     // barMicTestLevel
    QLabel* level;        // lblMicLevel: "Level: Good", "Level: Too quiet", ...
    QLabel* heard;        // lblMicHeard: the words understood
    QPushButton* close;   // cmdMicClose

signals:
    // Closed (hidden): a recording under way ends, not played back.
    void hidden();

protected:
    void hideEvent(QHideEvent* e) override;
};

} // namespace screens

class MicTest {
public:
    static constexpr int kMaxMs = 5000;
    // Recognises 16 kHz speech and calls back (on the window's thread) with its words.
    using Recognise = std::function<void(std::vector<qint16> pcm, std::function<void(const QString& words)> done)>;
    // Why the microphone may not be taken now ("" when it may): the talk key is held.
    using Busy = std::function<QString()>;

    MicTest(Context& ctx, Recognise recognise, Busy busy);
    ~MicTest();

    // Shows the window (made now if need be) in front.
    void show();
    screens::MicTestWindow* window() const { return window_.get(); }

    // The Record key: starts recording, or ends it when recording.
    void toggleRecording();
    bool recording() const { return recording_; }
    // Plays the last recording.
    void playBack();
    const std::vector<qint16>& recorded() const { return recorded_; }

private:
    void take(bool last);
    void stop(bool playIt = true);
    void recognised(quint64 take, const QString& words);

    Context& c;
    Recognise recognise_;
    Busy busy_;
    std::unique_ptr<screens::MicTestWindow> window_;
    std::unique_ptr<platform::Timer> listen_;
    bool recording_ = false;
    qint64 startTick_ = 0;
    std::vector<qint16> recorded_;
    quint64 take_ = 0;  // recordings made; only the last one's words are shown
};
