#pragma once
// What travels on a class's voice topics (Topics.h), and the checks a received one must pass
// before anything of it is used: pure functions, no network, no codec.
//
// One binary payload per message, big-endian numbers:
//   0      'V'
//   1      version, 1
//   2      kind: 'F' a frame of speech, 'E' the key has come up, 'T' the transcript
//   3      0
//   4-12   the sender's MMSI, nine ASCII digits (the topic's station)
//   13-20  the transmission's number: rises with every transmission of a sender, also across
//          restarts of its trainer
//   21-24  F: the frame's number in the transmission, from 0; E and T: the frames sent
//   25-    F: one Opus packet of 20 ms (1 to 1275 bytes); E: nothing; T: compact JSON,
//          {"channel":"16","name":"Sea Breeze","power":"25W","words":"...","procedure":"mayday",
//           "verdicts":[["mayday-count",true,"MAYDAY said three times"],...],"cut":false
//           [,"unclear":["position",...]][,"confidence":[0.97,0.41,...]]}
//          "unclear": the elements not heard clearly enough to judge; "confidence": each word's,
//          0..1 to two places. Both may be absent (older trainers): all judged, all confident.
// Frames go with QoS 0 (a late frame is worth nothing), the end and the transcript with QoS 1.
#include "air/Voice.h"
#include "dscwire/Message.h"

#include <QByteArray>
#include <QString>

namespace classroom {

inline constexpr int kVoiceHeader = 25;
inline constexpr int kMaxVoiceFrame = kVoiceHeader + 1275;
inline constexpr int kMaxTranscript = 4096;

struct VoiceMessage {
    enum Kind : char { Frame = 'F', End = 'E', Transcript = 'T' };
    Kind kind = Frame;
    QString sender;
    quint64 transmission = 0;
    quint32 number = 0;          // Frame: the frame's; End, Transcript: frames sent
    QByteArray packet;           // Frame
    // Transcript
    QString channel, name, power, words, procedure;
    QList<air::VoiceVerdict> verdicts;
    std::vector<float> confidence; // one for each word, or none
    bool cut = false;
};

QByteArray encodeVoice(const VoiceMessage& m);
// Checks a payload received on the voice subtopic of `topicMmsi`: size, layout, version, kind,
// that the sender is the topic's station, the transcript's JSON. The error names the first
// thing wrong.
dscwire::Result<VoiceMessage> decodeVoice(const QByteArray& payload, const QString& topicMmsi);

} // namespace classroom
