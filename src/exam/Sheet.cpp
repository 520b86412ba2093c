#include "exam/Sheet.h"

#include "exam/Pass.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace exam {

const QString kNoLicence = QStringLiteral(
    "This is a mock examination on a training program. It is not a radio operator's certificate or licence.");

namespace {

const QString kStyle = QStringLiteral(
    ".passed{color:#060;font-weight:bold}.failed{color:#a00;font-weight:bold}.review{color:#a60;font-weight:bold}"
    ".critical{color:#a00}.note{color:#a00}.ruled{margin-top:1.2em}"
    ".certificate{text-align:center}.certificate h1{font-size:xx-large}");

QString esc(const QString& s) { return s.toHtmlEscaped(); }

QString orNot(const QString& s, const QString& otherwise) { return s.trimmed().isEmpty() ? otherwise : esc(s); }

QString when(const QString& iso) {
    const QDateTime t = QDateTime::fromString(iso, Qt::ISODate);
    if (!t.isValid()) return orNot(iso, QStringLiteral("not recorded"));
    return QLocale(QLocale::English).toString(t.toUTC(), QStringLiteral("d MMMM yyyy, HH:mm 'UTC'"));
}

QString duration(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    return s < 60 ? QStringLiteral("%1 s").arg(s) : QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
}

QString verdictWord(CardVerdict v) {
    return v == CardVerdict::Passed ? QStringLiteral("passed") : v == CardVerdict::Failed ? QStringLiteral("failed")
                                                                                          : QStringLiteral("review");
}

// A sound the sheet may point to: a file in the record's folder or below it, nothing else.
bool besideRecord(const QString& sound) {
    return !sound.isEmpty() && !sound.startsWith(QLatin1Char('/')) && !sound.contains(QLatin1Char(':')) &&
           !sound.contains(QLatin1Char('\\')) && !sound.split(QLatin1Char('/')).contains(QLatin1String(".."));
}

QString list(const QStringList& items) {
    QString html = QStringLiteral("<ul>");
    for (const QString& item : items) html += QStringLiteral("<li>%1</li>").arg(item);
    return html + QStringLiteral("</ul>");
}

QString marksCell(const Attempt& a) {
    QStringList items;
    for (const Mark& m : a.marks)
        items << QStringLiteral("<span class=\"%1\">%2</span> %3%4")
                     .arg(m.met ? QStringLiteral("passed") : QStringLiteral("failed"),
                          m.met ? QStringLiteral("met:") : QStringLiteral("not met:"), orNot(m.criterion, QStringLiteral("(no criterion)")),
                          m.evidence.trimmed().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(esc(m.evidence)));
    return items.isEmpty() ? QStringLiteral("<i>no marks recorded</i>") : list(items);
}

QString errorsCell(const Attempt& a) {
    QStringList items;
    for (const QString& e : a.critical)
        items << QStringLiteral("<span class=\"critical\"><b>Critical error</b> (fails the attempt):</span> %1").arg(esc(e));
    for (const QString& e : a.minor) items << QStringLiteral("Minor error (noted, not failed): %1").arg(esc(e));
    return items.isEmpty() ? QStringLiteral("none") : list(items);
}

QString reviewCell(const Attempt& a, bool html) {
    QStringList items;
    for (const ReviewFlag& f : a.review) {
        QString item = QStringLiteral("<span class=\"review\">For review:</span> %1").arg(orNot(f.element, QStringLiteral("(no element)")));
        if (besideRecord(f.sound)) {
            item += QStringLiteral(", sound <a href=\"%1\">%1</a>").arg(esc(f.sound));
            if (html) item += QStringLiteral("<audio controls preload=\"none\" src=\"%1\"></audio>").arg(esc(f.sound));
        } else {
            item += QStringLiteral(", no sound beside the record");
        }
        items << item;
    }
    return items.isEmpty() ? QStringLiteral("none") : list(items);
}

QString cardName(const CardResult& c, size_t position) {
    return QStringLiteral("%1 (%2%3)")
        .arg(position + 1)
        .arg(orNot(c.section, QStringLiteral("no section")), c.mandatory ? QStringLiteral(", mandatory") : QString());
}

lessons::ReportTable cardsTable(const Record& r, const PassOutcome& outcome) {
    lessons::ReportTable t;
    t.heading = QStringLiteral("Cards");
    t.whenEmpty = QStringLiteral("The record holds no cards.");
    t.columns = {{QStringLiteral("Card")}, {QStringLiteral("Kind")}, {QStringLiteral("Text")}, {QStringLiteral("Verdict")}};
    for (size_t i = 0; i < r.cards.size(); ++i) {
        const CardResult& c = r.cards[i];
        const QString verdict = verdictWord(outcome.cards[i]);
        t.rows.push_back({{{cardName(c, i)},
                           {orNot(c.kind, QStringLiteral("not said"))},
                           {orNot(c.text, QStringLiteral("<i>no text recorded</i>"))},
                           {verdict, verdict}},
                          {},
                          {}});
    }
    return t;
}

lessons::ReportTable attemptsTable(const Record& r, bool html) {
    lessons::ReportTable t;
    t.heading = QStringLiteral("Attempts");
    t.whenEmpty = QStringLiteral("The record holds no attempts.");
    t.columns = {{QStringLiteral("Card")},  {QStringLiteral("Attempt")}, {QStringLiteral("Time used"), QStringLiteral("time")},
                 {QStringLiteral("Marks")}, {QStringLiteral("Errors")},  {QStringLiteral("Review")}};
    for (size_t i = 0; i < r.cards.size(); ++i)
        for (size_t j = 0; j < r.cards[i].attempts.size(); ++j) {
            const Attempt& a = r.cards[i].attempts[j];
            const QString result = a.passed ? QStringLiteral("passed") : QStringLiteral("failed");
            t.rows.push_back({{{QString::number(i + 1)},
                               {QStringLiteral("%1: <span class=\"%2\">%2</span>").arg(j + 1).arg(result)},
                               {duration(a.seconds)},
                               {marksCell(a)},
                               {errorsCell(a)},
                               {reviewCell(a, html)}},
                              {},
                              {}});
        }
    return t;
}

lessons::ReportTable overridesTable(const Record& r) {
    lessons::ReportTable t;
    t.heading = QStringLiteral("Overrides");
    t.whenEmpty = QStringLiteral("The examiner overrode no mark.");
    t.columns = {{QStringLiteral("Card")}, {QStringLiteral("Attempt")}, {QStringLiteral("Marked")},
                 {QStringLiteral("Written reason")}, {QStringLiteral("At")}};
    for (const Override& o : r.overrides)
        t.rows.push_back({{{QString::number(o.card)},
                           {QString::number(o.attempt)},
                           {orNot(o.mark, QStringLiteral("not said")), o.mark == QLatin1String("passed") ? o.mark : QStringLiteral("failed")},
                           {orNot(o.reason, QStringLiteral("<i>no reason written</i>"))},
                           {when(o.at)}},
                          {},
                          {}});
    return t;
}

lessons::ReportTable totalsTable(const PassOutcome& o) {
    lessons::ReportTable t;
    t.heading = QStringLiteral("Totals");
    t.columns = {{QStringLiteral("Cards")}, {QStringLiteral("Passed")}, {QStringLiteral("For review")}, {QStringLiteral("Of")}};
    auto row = [&](const QString& what, int passed, int review, int of) {
        t.rows.push_back({{{what}, {QString::number(passed)}, {QString::number(review)}, {QString::number(of)}}, {}, {}});
    };
    row(QStringLiteral("Mandatory"), o.mandatoryPassed, o.mandatoryReview, o.mandatory);
    row(QStringLiteral("Others"), o.othersPassed, o.othersReview, o.others);
    for (const SectionTotal& s : o.sections)
        row(QStringLiteral("Section %1").arg(orNot(s.name, QStringLiteral("(none)"))), s.passed, s.review, s.cards);
    return t;
}

} // namespace

lessons::Report sheetReport(const RecordRead& read, const QString& folder, bool html) {
    const Record& r = read.record;
    const PassOutcome outcome = judge(r);
    lessons::Report report;
    report.style = kStyle;
    report.folder = folder;
    report.title = QStringLiteral("Examiner's sheet: %1").arg(r.profileTitle.isEmpty() ? r.profile : r.profileTitle);
    report.intro = QStringLiteral("<p><b>Candidate:</b> %1<br><b>Date:</b> %2 to %3<br><b>Profile:</b> %4 (%5)<br>"
                                  "<b>Seed:</b> %6</p>\n")
                       .arg(orNot(r.candidate, QStringLiteral("not recorded")), when(r.started), when(r.ended),
                            orNot(r.profileTitle, QStringLiteral("untitled")), orNot(r.profile, QStringLiteral("no name")))
                       .arg(r.seed);
    if (!read.faults.isEmpty()) {
        QStringList faults;
        for (const QString& f : read.faults) faults << esc(f);
        report.intro += QStringLiteral("<p class=\"note\">The record is not whole:</p>%1\n").arg(list(faults));
    }
    report.tables = {cardsTable(r, outcome), attemptsTable(r, html), overridesTable(r), totalsTable(outcome)};
    QString closing = QStringLiteral("<p><b>Pass rule:</b> %1</p>\n").arg(outcome.fault.isEmpty() ? esc(outcome.rule) : esc(outcome.fault));
    closing += QStringLiteral("<p><b>Result:</b> <span class=\"%1\">%1</span></p>\n").arg(outcome.result);
    if (outcome.result == QLatin1String("review"))
        closing += QStringLiteral("<p>The examiner decides: the cards marked for review decide the result.</p>\n");
    if (!r.result.isEmpty() && r.result != outcome.result)
        closing += QStringLiteral("<p class=\"note\">The record itself says %1.</p>\n").arg(esc(r.result));
    closing += QStringLiteral("<p class=\"ruled\"><b>Examiner's remarks:</b></p><hr><br><hr><br><hr>\n"
                              "<p class=\"ruled\"><b>Examiner's name and signature:</b></p><hr>\n");
    report.closing = closing;
    report.lastPage = QStringLiteral("<div class=\"certificate\"><h1>Certificate of a mock examination</h1>\n"
                                     "<p>%1 sat the mock examination %2 on %3 (seed %4).</p>\n"
                                     "<p>Result: <span class=\"%5\">%5</span></p>\n<p><b>%6</b></p></div>\n")
                          .arg(orNot(r.candidate, QStringLiteral("The candidate")),
                               orNot(r.profileTitle, orNot(r.profile, QStringLiteral("of this trainer"))), when(r.started))
                          .arg(r.seed)
                          .arg(outcome.result, esc(kNoLicence));
    return report;
}

SheetOutcome writeSheet(const QString& recordPath, const QString& outPath) {
    const RecordRead read = readRecordFile(recordPath);
    // A record without its hash cannot be shown unchanged: taking the hash out is the easiest change.
    if (read.integrity != Integrity::Intact)
        return {false, read.faults.value(0, QStringLiteral("%1: not a record").arg(recordPath))};
    const bool pdf = outPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    const lessons::Report report = sheetReport(read, QFileInfo(recordPath).absolutePath(), !pdf);
    if (pdf)
        return lessons::writeReportPdf(report, outPath) ? SheetOutcome{true, {}}
                                                         : SheetOutcome{false, QStringLiteral("cannot write %1").arg(outPath)};
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(lessons::reportHtml(report, false).toUtf8()) < 0)
        return {false, QStringLiteral("cannot write %1: %2").arg(outPath, out.errorString())};
    return {true, {}};
}

} // namespace exam
