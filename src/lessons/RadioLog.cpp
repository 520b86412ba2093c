#include "lessons/RadioLog.h"

#include <QStringList>

namespace lessons {

const std::vector<LogField>& logFields() {
    static const std::vector<LogField> fields{
        {"time", "UTC time", &LogEntry::time},
        {"channel", "Channel or DSC", &LogEntry::channel},
        {"category", "Category", &LogEntry::category},
        {"name", "From: name", &LogEntry::name},
        {"callSign", "From: call sign", &LogEntry::callSign},
        {"mmsi", "From: MMSI", &LogEntry::mmsi},
        {"about", "About (relay)", &LogEntry::about},
        {"position", "Position", &LogEntry::position},
        {"positionTime", "Position time (UTC)", &LogEntry::positionTime},
        {"nature", "Nature", &LogEntry::nature},
        {"persons", "Persons on board", &LogEntry::persons},
        {"assistance", "Assistance wanted", &LogEntry::assistance},
        {"other", "Other facts", &LogEntry::other},
        {"action", "Action taken", &LogEntry::action},
        {"operator", "Operator", &LogEntry::operatorName},
    };
    return fields;
}

QJsonObject logEntryJson(const LogEntry& entry) {
    QJsonObject o;
    for (const LogField& f : logFields())
        if (!(entry.*f.member).isEmpty()) o.insert(QLatin1String(f.key), entry.*f.member);
    return o;
}

LogEntry logEntryFrom(const QJsonObject& json) {
    LogEntry entry;
    for (const LogField& f : logFields()) entry.*f.member = json.value(QLatin1String(f.key)).toString();
    return entry;
}

QString logEntrySummary(const LogEntry& entry) {
    QStringList head;
    if (!entry.time.isEmpty()) head << entry.time + QStringLiteral(" UTC");
    for (const QString& s : {entry.channel, entry.category})
        if (!s.isEmpty()) head << s;
    QStringList what;
    for (const QString& s : {entry.name.isEmpty() ? entry.mmsi : entry.name, entry.nature})
        if (!s.isEmpty()) what << s;
    return head.join(QStringLiteral(", ")) + QStringLiteral(": ") + what.join(QStringLiteral(", "));
}

ReportTable radioLogTable(const std::vector<LogEntry>& entries) {
    ReportTable table;
    table.heading = QStringLiteral("Radio log");
    table.whenEmpty = QStringLiteral("Nothing was written in the radio log.");
    for (const LogField& f : logFields())
        table.columns.push_back({QString::fromLatin1(f.title), f.member == &LogEntry::time ? QStringLiteral("time") : QString()});
    for (const LogEntry& e : entries) {
        ReportRow row;
        for (const LogField& f : logFields()) row.cells.push_back({(e.*f.member).toHtmlEscaped()});
        table.rows.push_back(row);
    }
    return table;
}

} // namespace lessons
