#pragma once
// Voice on the air: every spoken transmission, the trainee's and the stations', kept as a value
// the way a DSC message is: the channel it went out on, who spoke, what was said (the sound and the
// words understood) and how the procedure was judged.
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

namespace air {

// Voice is kept at the rate speech recognition works at.
inline constexpr int kVoiceRate = 16000;
// While it is spoken, a transmission goes on the air in frames of 20 ms.
inline constexpr int kFrameMs = 20;
inline constexpr int kFrameSamples = kVoiceRate * kFrameMs / 1000;

// One element of a procedure's form and what was made of it, e.g. {"position", false, "no position given"}.
struct VoiceVerdict {
    QString element;
    bool ok = false;
    QString text;
    bool unclear = false;  // not heard clearly enough to judge (ok is false then)
};

struct VoiceTransmission {
    int number = 0;            // 1, 2, ... in the order spoken
    QDateTime localTime;       // when the key went down, local time
    QString channel;           // the channel designator it went out on, e.g. "16", "22A"
    QString power;             // "25W" or "1W"
    QString fromMmsi;          // the station that spoke
    QString fromName;          // and its name ("Kelpo", "Boston Coast Guard")
    std::vector<qint16> audio; // the speech, kVoiceRate mono, as the microphone (or the station's voice) gave it
    QString words;             // what was understood: lower case, single blanks; empty when nothing was
    std::vector<float> confidence; // each word's confidence (0..1); empty: all heard with confidence
    QString procedure;         // "mayday", "mayday-relay", "pan-pan", "securite", "routine", "distress-ack", "cancel", "none"
    QList<VoiceVerdict> verdicts;
    QString notJudged;         // why it was not judged ("too quiet", "clipped"); empty when it was
    bool fromOwnRadio = false;    // the trainee spoke (or the instructor, for a station its trainer speaks for)
    bool heardByOwnRadio = false; // the own radio was on the channel and not transmitting
    quint64 liveId = 0;           // the live transmission it was while it was spoken (LiveVoice), 0: none
    bool heardLive = false;       // the loudspeaker played it as it was spoken: not again at its end
    bool doubled = false;         // another station transmitted on the channel meanwhile: both garbled
    int framesSent = 0;           // through a class: the frames its station sent
    int framesReceived = 0;       //   and those that arrived here
    bool cut = false;             // ended early for the class: its link or the sender's was lost
    qint64 durationMs() const { return qint64(audio.size()) * 1000 / kVoiceRate; }
};

// A transmission while the key is down, frame by frame, as the air tells it to its live listeners.
struct LiveVoice {
    quint64 id = 0;       // unique on this air, from 1
    QString channel;
    QString fromMmsi;
    QString fromName;
    bool local = true;    // spoken at this trainer (its own radio, or a station it speaks for); else through the class
    bool doubled = false; // another station keyed on the same channel while this one was on the air
    bool ended = false;
};

struct LiveEvent {
    enum Kind { Keyed, Frame, Unkeyed, Doubled } kind;
    const LiveVoice& voice;
    int frame = 0;                     // Frame: its number in the transmission, from 0 (gaps where frames were lost)
    const qint16* samples = nullptr;   // Frame: kFrameSamples samples
};

} // namespace air
