#pragma once
// What travels on a class's topics (Topics.h), as compact JSON, and the checks a received call
// must pass before it reaches the air: pure functions, no network.
#include "dscwire/Message.h"

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace classroom {

// Larger payloads are dropped unread.
inline constexpr int kMaxPayload = 4096;
inline constexpr int kEnvelopeVersion = 1;

struct CallEnvelope {
    QString sender;    // MMSI of the sending station
    qint64 seq = 0;    // rises with every call of a sender, also across restarts of its trainer
    QDateTime sent;    // UTC
    dscwire::Message message;
};

// {"v":1,"sender":...,"seq":...,"time":...,"symbols":[...]}; fails when the message cannot be
// put into characters.
dscwire::Result<QByteArray> encodeCall(const QString& sender, qint64 seq, const QDateTime& sentUtc,
                                       const dscwire::Message& message);
// Checks a payload received on the ch70 subtopic of `topicMmsi`: size, JSON, version, fields,
// that the symbols decode, that the sender is the topic's station and the decoded call's
// self-ID. The error names the first thing wrong.
dscwire::Result<CallEnvelope> decodeCall(const QByteArray& payload, const QString& topicMmsi);

struct StationStatus {
    QString mmsi;
    QString name;
    bool instructor = false;
    bool online = false;
    QString instance;  // one run of one trainer
    bool operator==(const StationStatus&) const = default;
};

QByteArray encodeStatus(const StationStatus& status);
dscwire::Result<StationStatus> decodeStatus(const QByteArray& payload, const QString& topicMmsi);

struct Command {
    QString sender;
    QString command;
    QDateTime sent;
};
QByteArray encodeCommand(const QString& sender, const QString& command, const QDateTime& sentUtc);
dscwire::Result<Command> decodeCommand(const QByteArray& payload);

} // namespace classroom

Q_DECLARE_METATYPE(classroom::StationStatus)
