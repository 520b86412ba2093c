#pragma once
// Every MQTT topic of a class, in one place. A class is one subtree, vhfdsc/<class>/:
//
//   ch70/<mmsi>     the DSC calls a station sends, each on its own subtopic; every station
//                   subscribes to ch70/+. QoS 1, not retained. Payload: a call envelope
//                   (Envelope.h), compact JSON:
//                   {"v":1,"sender":"316123456","seq":N,"time":"2024-05-01T12:00:00.000Z",
//                    "symbols":[120,120,...]}
//   status/<mmsi>   a station's presence, retained, QoS 1; its retained last will says offline:
//                   {"mmsi":"316123456","name":"Sea Breeze","instructor":false,"online":true,
//                    "instance":"<uuid of this run of the trainer>"}
//   command         the instructor's commands to the class (freeze, reset, ...), QoS 1:
//                   {"v":1,"sender":"<mmsi>","command":"freeze","time":"..."}
//   result/<mmsi>   the results of the exercise a trainee runs, retained, QoS 1, for the
//                   instructor: {"exercise":...,"score":...,"finished":bool,"tasks":[...]}
//   notice/<mmsi>   notices to one station, plain UTF-8 text, QoS 1 ("another trainer tried to
//                   join as your MMSI").
//   voice/<channel>/<mmsi>   what a station says on a channel (designator, e.g. 16, 22A), while it
//                   says it: Opus frames of 20 ms (QoS 0), the end, the transcript (QoS 1); binary
//                   (VoiceFrame.h). Every station subscribes to voice/#.
//   examstart/<mmsi>    the instructor starts a mock exam on one trainee's trainer, QoS 1 (ExamMessages.h):
//                   {"v":1,"sender":"<mmsi>","exam":"<id>","profile":"src","seed":"42","candidate":"Sea Breeze"}
//   examprogress/<mmsi> where the trainee's exam stands, retained, QoS 1:
//                   {"v":1,"exam":"<id>","progress":{"phase":"card","card":2,"cards":6,...}}
//   examrecord/<mmsi>   the trainee's result record at the end, with the sounds of its review flags,
//                   retained, QoS 1: {"v":1,"exam":"<id>","name":"....exam.json","record":"<base64>",
//                    "sounds":{"NAME-voice-3.opus":"<base64>"}}
//
// On a shared broker the user name of a trainee is its MMSI, so that an ACL with %u lets it
// write only its own ch70/, status/, result/, notice/ and voice/+/ topics, and only the
// instructor's user the command topic (docs/classroom/).
#include <QString>
#include <QStringList>

#include <utility>

namespace classroom::topics {

inline QString root(const QString& cls) { return QStringLiteral("vhfdsc/") + cls; }
inline QString call(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/ch70/") + mmsi; }
inline QString allCalls(const QString& cls) { return root(cls) + QStringLiteral("/ch70/+"); }
inline QString status(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/status/") + mmsi; }
inline QString allStatus(const QString& cls) { return root(cls) + QStringLiteral("/status/+"); }
inline QString command(const QString& cls) { return root(cls) + QStringLiteral("/command"); }
inline QString result(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/result/") + mmsi; }
inline QString allResults(const QString& cls) { return root(cls) + QStringLiteral("/result/+"); }
inline QString notice(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/notice/") + mmsi; }

inline QString examStart(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/examstart/") + mmsi; }
inline QString examProgress(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/examprogress/") + mmsi; }
inline QString allExamProgress(const QString& cls) { return root(cls) + QStringLiteral("/examprogress/+"); }
inline QString examRecord(const QString& cls, const QString& mmsi) { return root(cls) + QStringLiteral("/examrecord/") + mmsi; }
inline QString allExamRecords(const QString& cls) { return root(cls) + QStringLiteral("/examrecord/+"); }

inline QString voice(const QString& cls, const QString& channel, const QString& mmsi) {
    return root(cls) + QStringLiteral("/voice/") + channel + QLatin1Char('/') + mmsi;
}
inline QString allVoice(const QString& cls) { return root(cls) + QStringLiteral("/voice/#"); }

// The channel and the station of a voice topic of this class; both empty when it is not one.
inline std::pair<QString, QString> voiceOf(const QString& topic, const QString& cls) {
    const QString prefix = root(cls) + QStringLiteral("/voice/");
    if (!topic.startsWith(prefix)) return {};
    const QStringList levels = topic.mid(prefix.size()).split(QLatin1Char('/'));
    if (levels.size() != 2 || levels[0].isEmpty() || levels[0].size() > 8 || levels[1].isEmpty()) return {};
    return {levels[0], levels[1]};
}

// The last level of a topic under `kind` ("ch70", "status", "notice"), or empty if the topic is
// not of that kind in this class.
inline QString stationOf(const QString& topic, const QString& cls, const QString& kind) {
    const QString prefix = root(cls) + QLatin1Char('/') + kind + QLatin1Char('/');
    if (!topic.startsWith(prefix)) return {};
    const QString rest = topic.mid(prefix.size());
    return rest.contains(QLatin1Char('/')) ? QString() : rest;
}

// The broker keeps a persistent session per station under this client id.
inline QString clientId(const QString& cls, const QString& mmsi) { return QStringLiteral("vhfdsc-%1-%2").arg(cls, mmsi); }

} // namespace classroom::topics
