#pragma once
// A report to read on screen or to print: a title, a few words, then tables of rows, each row
// with an optional picture beside it. The same report is written as one self-contained HTML page
// or laid out as a PDF of A4 pages: columns as wide as their words ask (a word is never broken),
// what every row of a table shares said once above it, each picture beside its row, page breaks
// between rows, the header row again at the top of each page.
#include <QString>
#include <QStringList>
#include <vector>

namespace lessons {

struct ReportCell {
    QString html; // the words, as HTML
    QString cls;  // the class that colours them (e.g. "pass"), or empty
};

struct ReportColumn {
    QString title;
    QString cls;                  // the class of each of its cells, e.g. "time": on one line, monospace
    bool sayOnceWhenSame = false; // the same in every row: said once above the table instead
};

struct ReportRow {
    std::vector<ReportCell> cells; // one a column
    QString picture;               // file name of the picture shown beside the row (it exists), or empty
    QString pictureAlt;            // what the picture shows, in words
};

struct ReportTable {
    QString heading;
    QString whenEmpty; // said instead of the table when it has no rows
    std::vector<ReportColumn> columns;
    std::vector<ReportRow> rows;
};

struct Report {
    QString title;
    QString intro;   // HTML under the title
    QString closing; // HTML after the tables, or empty
    QString lastPage; // HTML on a page of its own at the end (a certificate), or empty
    QString style;   // CSS of the report's own classes (e.g. "pass", "fail")
    QString folder;  // where the pictures lie
    std::vector<ReportTable> tables;
};

// The table as it is shown: columns that are empty in every row left out, and those said once
// (their "Title: value" lines, as HTML) taken out of the rows.
ReportTable shownTable(const ReportTable& table, QStringList* saidOnce);

// The CSS of a report: the renderer's own and the report's classes.
QString reportStyle(const Report& report);

// One HTML page. With embedPictures the pictures are inside it as data URIs; otherwise they are
// named by their file names.
QString reportHtml(const Report& report, bool embedPictures);

// The report as a PDF of A4 pages; false when the file cannot be written. Needs a QGuiApplication.
bool writeReportPdf(const Report& report, const QString& path);

} // namespace lessons
