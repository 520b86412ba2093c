#pragma once
// Marks a message copied into the radio log against the message that was actually sent, field by
// field, for the receiving tasks: identity (name, call sign, MMSI), position (to the tenth of a
// minute, however it is written), nature and persons on board must be exact; assistance wanted and
// other facts are free text, right when they hold the same words (case, punctuation, word order and
// a missing small word do not count).
#include "lessons/RadioLog.h"

#include <QString>
#include <optional>
#include <vector>

namespace exam {

struct FieldMark {
    enum Mark { Right, Wrong, Missing };
    QString field; // "name", "call sign", "MMSI", "position", "nature", "persons", "assistance", "other facts"
    Mark mark = Right;
    // Wrong: "position: 42°21.3'N 070°48.9'W, copied 42°21.8'N 070°48.9'W"; missing: "persons: 4, not copied".
    QString text;
};

// The marks of the fields the sent message has (a field it leaves empty is not marked).
std::vector<FieldMark> markCopy(const lessons::LogEntry& copied, const lessons::LogEntry& sent);

// A position in tenths of a minute, north and east positive.
struct Position {
    int latTenths = 0;
    int lonTenths = 0;
    bool operator==(const Position&) const = default;
};
// Reads 42°21.3'N 070°48.9'W, "42 21.3 N 70 48.9 W", "42.355N 70.815W", "42.355, -70.815" and
// the like; nothing when it is no position.
std::optional<Position> parsePosition(const QString& text);
// 42°21.3'N 070°48.9'W.
QString positionText(const Position& p);

} // namespace exam
