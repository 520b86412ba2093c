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

// One element of a procedure's form and what was made of it, e.g. {"position", false, "no position given"}.
struct VoiceVerdict {
    QString element;
    bool ok = false;
    QString text;
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
    QString procedure;         // "mayday", "mayday-relay", "pan-pan", "securite", "routine", "distress-ack", "cancel", "none"
    QList<VoiceVerdict> verdicts;
    bool fromOwnRadio = false;    // the trainee spoke
    bool heardByOwnRadio = false; // the own radio was on the channel and not transmitting
    qint64 durationMs() const { return qint64(audio.size()) * 1000 / kVoiceRate; }
};

} // namespace air
