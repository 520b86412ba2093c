#pragma once
// The radio log of a station: what the operator wrote of each call and message, as the log window
// takes it and the lesson keeps it, one "log" line an entry:
//
//   {"t":..,"kind":"log","entry":{"time":"10:05","channel":"16","category":"Distress","name":..,
//    "callSign":..,"mmsi":..,"about":..,"position":..,"positionTime":..,"nature":..,"persons":..,
//    "assistance":..,"other":..,"action":..,"operator":..}}   fields left empty are left out
#include "lessons/Report.h"

#include <QJsonObject>
#include <QString>
#include <vector>

namespace lessons {

struct LogEntry {
    QString time;         // UTC, "10:05"
    QString channel;      // "16", "DSC"
    QString category;     // Distress, Urgency, Safety or Routine
    QString name;         // from: the station's name,
    QString callSign;     //   its call sign
    QString mmsi;         //   and MMSI
    QString about;        // the station in distress, for a relay
    QString position;
    QString positionTime; // UTC
    QString nature;
    QString persons;
    QString assistance;
    QString other;        // other facts: a life raft, a description
    QString action;       // action taken
    QString operatorName;

    bool operator==(const LogEntry&) const = default;
};

// The fields of an entry in the order the log gives them: key in the lesson, title in words.
struct LogField {
    const char* key;
    const char* title;
    QString LogEntry::*member;
};
const std::vector<LogField>& logFields();

// The categories, most urgent first.
inline const char* const kLogCategories[] = {"Distress", "Urgency", "Safety", "Routine"};

QJsonObject logEntryJson(const LogEntry& entry);
LogEntry logEntryFrom(const QJsonObject& json);
// One line of the log: "10:05 UTC, 16, Distress: Blue Crane, fire".
QString logEntrySummary(const LogEntry& entry);

// The log as a table of the debrief: one row an entry, a column a field.
ReportTable radioLogTable(const std::vector<LogEntry>& entries);

} // namespace lessons
