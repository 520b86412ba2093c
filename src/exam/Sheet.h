#pragma once
// The examiner's sheet of a mock exam, made from its result record through the report renderer
// the debrief uses (lessons/Report.h): the candidate, date, profile and seed; each card with its
// text and its attempts, their marks with the reasons, critical and minor errors, time used and
// what waits for review with the sound to hear; the examiner's overrides with their reasons; the
// totals against the pass rule and the result; ruled lines for the examiner's remarks and
// signature; then the certificate of the mock exam, which says it is no licence. A record that
// was changed after it was written gets no sheet.
#include "exam/Record.h"
#include "lessons/Report.h"

#include <QString>

namespace exam {

// Said on the certificate, word for word.
extern const QString kNoLicence;

struct SheetOutcome {
    bool written = false;
    QString problem; // why no sheet was written, in one line naming the record, or empty
};

// The sheet as a report; `folder` is where the record lies (its sounds are beside it).
// With html false, no <audio> elements (a printed sheet).
lessons::Report sheetReport(const RecordRead& read, const QString& folder, bool html);
// Writes the sheet of the record at recordPath to outPath: PDF when its name ends in .pdf, HTML
// otherwise. The PDF needs a QGuiApplication.
SheetOutcome writeSheet(const QString& recordPath, const QString& outPath);

} // namespace exam
