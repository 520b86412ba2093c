#include "lessons/Report.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace lessons {

namespace {

const QString kStyle = QStringLiteral(
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "td,th{border:1px solid #bbb;padding:4px 8px;text-align:left;vertical-align:top}"
    "th{background:#eee}"
    ".time{white-space:nowrap;font-family:monospace}"
    "ul{margin:2px 0}audio{display:block;margin-top:4px}"
    ".lastpage{page-break-before:always;break-before:page}");

QString esc(const QString& s) { return s.toHtmlEscaped(); }

QString pictureSource(const QString& file, const QString& folder, bool embed) {
    if (!embed) return esc(file);
    QFile f(QFileInfo(folder, file).filePath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(f.readAll().toBase64());
}

QString classAttribute(const QString& cls) { return cls.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(cls); }

} // namespace

ReportTable shownTable(const ReportTable& table, QStringList* saidOnce) {
    ReportTable shown = table;
    shown.columns.clear();
    for (ReportRow& r : shown.rows) r.cells.clear();
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const ReportColumn& column = table.columns[c];
        auto cell = [&](const ReportRow& r) { return c < r.cells.size() ? r.cells[c] : ReportCell{}; };
        const bool empty = std::all_of(table.rows.begin(), table.rows.end(),
                                       [&](const ReportRow& r) { return cell(r).html.trimmed().isEmpty(); });
        if (empty && !table.rows.empty()) continue;
        const bool same = table.rows.size() > 1 && std::all_of(table.rows.begin(), table.rows.end(), [&](const ReportRow& r) {
                              return cell(r).html == cell(table.rows.front()).html;
                          });
        if (column.sayOnceWhenSame && same) {
            *saidOnce << QStringLiteral("<b>%1:</b> %2").arg(esc(column.title), cell(table.rows.front()).html);
            continue;
        }
        shown.columns.push_back(column);
        for (size_t i = 0; i < table.rows.size(); ++i) shown.rows[i].cells.push_back(cell(table.rows[i]));
    }
    return shown;
}

QString reportStyle(const Report& report) { return kStyle + report.style; }

QString reportHtml(const Report& report, bool embedPictures) {
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>%1</title>\n"
                                  "<style>%2</style></head>\n<body>\n<h1>%1</h1>\n")
                       .arg(esc(report.title), reportStyle(report));
    html += report.intro;
    for (const ReportTable& t : report.tables) {
        html += QStringLiteral("<h2>%1</h2>\n").arg(esc(t.heading));
        if (t.rows.empty()) {
            html += QStringLiteral("<p>%1</p>\n").arg(t.whenEmpty);
            continue;
        }
        QStringList saidOnce;
        const ReportTable shown = shownTable(t, &saidOnce);
        for (const QString& line : saidOnce) html += QStringLiteral("<p>%1</p>\n").arg(line);
        html += QStringLiteral("<table>\n<tr>");
        for (const ReportColumn& c : shown.columns) html += QStringLiteral("<th>%1</th>").arg(esc(c.title));
        html += QStringLiteral("</tr>\n");
        for (const ReportRow& r : shown.rows) {
            html += QStringLiteral("<tr>");
            for (size_t c = 0; c < r.cells.size(); ++c) {
                const QString cls = r.cells[c].cls.isEmpty() ? shown.columns[c].cls : r.cells[c].cls;
                html += QStringLiteral("<td%1>%2").arg(classAttribute(cls), r.cells[c].html);
                // The picture at the end of the row's last cell.
                if (c + 1 == r.cells.size() && !r.picture.isEmpty()) {
                    html += QStringLiteral("<br><img src=\"%1\" width=\"480\" alt=\"%2\">")
                                .arg(pictureSource(r.picture, report.folder, embedPictures), esc(r.pictureAlt));
                }
                html += QStringLiteral("</td>");
            }
            html += QStringLiteral("</tr>\n");
        }
        html += QStringLiteral("</table>\n");
    }
    html += report.closing;
    if (!report.lastPage.isEmpty()) html += QStringLiteral("<div class=\"lastpage\">%1</div>\n").arg(report.lastPage);
    return html + QStringLiteral("</body></html>\n");
}

} // namespace lessons
