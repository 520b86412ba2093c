// A mock exam's result record as --exam-sheet reads it: faults told with the file's name, a record
// that reads as intact written back the same, and its pass rule and sheet made whatever it holds.
#include "Fuzz.h"

#include "exam/Pass.h"
#include "exam/Record.h"
#include "exam/Sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = QStringLiteral("fuzz.exam.json");
    const exam::RecordRead read = exam::readRecord(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), name);
    for (const QString& fault : read.faults) fuzz::require(fault.startsWith(name + QLatin1String(": ")), "a fault names the file");
    if (read.integrity == exam::Integrity::Unreadable) return 0;
    const exam::PassOutcome outcome = exam::judge(read.record);
    fuzz::require(outcome.cards.size() == read.record.cards.size(), "a verdict for every card");
    fuzz::require(outcome.result == QLatin1String("passed") || outcome.result == QLatin1String("failed") ||
                      outcome.result == QLatin1String("review"),
                  "a result of the three");
    const exam::RecordRead again = exam::readRecord(exam::writeRecord(read.record), name);
    fuzz::require(again.integrity == exam::Integrity::Intact, "a record written is read as intact");
    fuzz::require(exam::recordJson(again.record) == exam::recordJson(read.record), "a record written reads back the same");
    const QString html = lessons::reportHtml(exam::sheetReport(read, QStringLiteral("/nonexistent"), true), false);
    fuzz::require(html.contains(exam::kNoLicence.toHtmlEscaped()), "the sheet says it is no licence");
    return 0;
}
