#pragma once
// The common transmit sequence of every DSC call other than distress. Each call is described by
// what sets it apart (texts, sound cue, step action, pause, what it delivers and how it ends); one
// run() plays any of them.
#include <QString>
#include <functional>
#include <vector>

class QWidget;
struct Context;

namespace calls {

struct CallMember {
    // Start display.
    bool captureWorkingChannel = false; // CallWorkingChannel taken before "70" is shown
    std::vector<QWidget*> alsoHide;     // hidden just before the start display (pickers, prompts)
    QString startStatus;
    std::function<void()> afterStart;   // writes made right after the start display

    // Announcement.
    bool forcedRepaint = true;          // start display painted at once, before the cue
    bool beepBeforeCue = true;
    QString cue;
    int cueTimes = 1;

    // Only the start display, the cue and the delivery: the Enter key's closing wait does the rest
    // (the group call). No wait, no pause, no repeat timer, no recorded channel or position.
    bool closingWaitOnly = false;

    std::function<void()> step;         // once a second in the one-period wait
    int pauseMs = 1000;                 // blocking, no input handled
    std::function<void()> deliver;      // writes the received call into the stations
    std::function<void()> finish;       // final status and the way back to a voice channel
};

// Plays the whole sequence for the member; returns when it has ended.
void run(Context& c, const CallMember& m);

// "MMSI # " followed by the own MMSI (the last one the MMSI check accepted).
QString mmsiLine(Context& c);
inline const QString kOwnVesselLine = QStringLiteral("Vessel: Kelpo");
// The two model stations.
inline const QString kCoastGuardMMSI = QStringLiteral("003669927");
inline const QString kBlueCraneMMSI = QStringLiteral("366232323");
// The coast station answers to its own MMSI and to the Coast Guard's other one.
inline bool isCoastGuard(const QString& mmsi) {
    return mmsi == kCoastGuardMMSI || mmsi == QLatin1String("003669999");
}
// The channel on the display, with "A" when the A suffix is shown (e.g. "22A").
QString displayedChannel(Context& c);

} // namespace calls
