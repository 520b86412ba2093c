#pragma once
// A class's exam results in one place: the examiner's override of an attempt's mark (only with a
// written reason), and the school's table of every candidate, as CSV (RFC 4180: a field with a
// comma, a quote or a line break is quoted, its quotes doubled).
#include "exam/Record.h"

#include <QString>
#include <vector>

namespace exam {

// Adds the override to the record and sets its result again by the pass rule; returns why it
// cannot be (no reason written, no such card or attempt, a mark other than passed or failed),
// leaving the record as it was.
QString addOverride(Record& record, const Override& override);

// One field of a CSV line.
QString csvField(const QString& text);
// The header and one line per record: candidate, profile, seed, started, ended, each card's
// verdict ("card 1" ... up to the most cards of any record), result, overrides; lines end in CRLF.
QString resultsCsv(const std::vector<Record>& records);

} // namespace exam
