// The report laid out on A4 pages, as a printed report is: each table's columns as wide as their
// words ask, shared out like a browser does (each column at least as wide as its longest word, the
// room left given where the words would run longest), lines broken between words only, each
// picture at the right of its row, and a row that does not fit moved whole to the next page, under
// the table's header row again.
#include "lessons/Report.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <memory>

namespace lessons {

namespace {

constexpr int kDpi = 300;
constexpr double mm(double v) { return v * kDpi / 25.4; }

const double kPad = mm(1.2);        // inside each cell
const double kPictureGap = mm(3);   // between a row's words and its picture
const double kPictureWidth = mm(70); // the widest a picture is shown
const double kPictureLeast = mm(35); // and the narrowest
const double kAfterBlock = mm(2);
const double kAfterTable = mm(6);

using Text = std::unique_ptr<QTextDocument>;

struct Cell {
    Text text;
    double min = 0, max = 0; // the width of its longest word, and of its longest line unbroken
};

struct Row {
    std::vector<Cell> cells;
    QImage picture;
    double words = 0; // the longest word of the cell beside the picture
    double height = 0;
    double pictureWidth = 0;
};

class Layout {
public:
    Layout(QPdfWriter& writer, QString style) : writer_(writer), style_(std::move(style)), painter_(&writer) {
        width_ = writer.width();
        bottom_ = writer.height() - mm(8);
    }
    bool ok() const { return painter_.isActive(); }

    Text text(const QString& html) const {
        auto doc = std::make_unique<QTextDocument>();
        doc->documentLayout()->setPaintDevice(&writer_);
        doc->setDefaultStyleSheet(style_);
        doc->setDefaultFont(QFont(QStringLiteral("sans-serif"), 9));
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap); // a word longer than its line is never cut
        doc->setDefaultTextOption(option);
        doc->setDocumentMargin(0);
        doc->setHtml(html);
        return doc;
    }

    // A paragraph, a heading: across the page.
    void block(const QString& html, double keepWith = 0) {
        Text doc = text(html);
        doc->setTextWidth(width_);
        room(doc->size().height() + keepWith);
        draw(*doc, 0, y_);
        y_ += doc->size().height() + kAfterBlock;
    }

    double blockHeight(const QString& html) const {
        Text doc = text(html);
        doc->setTextWidth(width_);
        return doc->size().height() + kAfterBlock;
    }

    void table(const ReportTable& t, const QString& folder) {
        QStringList saidOnce;
        const ReportTable shown = shownTable(t, &saidOnce);
        Row header;
        for (const ReportColumn& c : shown.columns) header.cells.push_back(cell(QStringLiteral("<b>%1</b>").arg(c.title.toHtmlEscaped()), {}));
        std::vector<Row> rows;
        for (const ReportRow& r : shown.rows) {
            Row row;
            for (size_t c = 0; c < r.cells.size(); ++c)
                row.cells.push_back(cell(r.cells[c].html, r.cells[c].cls.isEmpty() ? shown.columns[c].cls : r.cells[c].cls));
            if (!r.picture.isEmpty()) {
                row.picture = QImage(QFileInfo(folder, r.picture).filePath());
                // The last column asks for room for the picture beside its words.
                if (!row.picture.isNull()) {
                    row.words = row.cells.back().min - 2 * kPad;
                    row.cells.back().min += kPictureLeast + kPictureGap;
                    row.cells.back().max += kPictureWidth + kPictureGap;
                }
            }
            rows.push_back(std::move(row));
        }
        const std::vector<double> widths = columnWidths(header, rows);
        fit(header, widths);
        for (Row& r : rows) fit(r, widths);

        double keep = header.height + (rows.empty() ? 0 : rows.front().height);
        for (const QString& line : saidOnce) keep += blockHeight(line);
        block(QStringLiteral("<h2>%1</h2>").arg(t.heading.toHtmlEscaped()), keep);
        for (const QString& line : saidOnce) block(line);
        drawRow(header, widths, true);
        for (const Row& r : rows) {
            if (y_ + r.height > bottom_) {
                newPage();
                drawRow(header, widths, true);
            }
            drawRow(r, widths, false);
        }
        y_ += kAfterTable;
    }

    // What follows starts a page of its own.
    void pageBreak() {
        if (y_ > 0) newPage();
    }

    void finish() {
        pageNumber();
        painter_.end();
    }

private:
    Cell cell(const QString& html, const QString& cls) const {
        Cell c;
        c.text = text(cls.isEmpty() ? html : QStringLiteral("<div class=\"%1\">%2</div>").arg(cls, html));
        c.text->setTextWidth(-1);
        c.max = c.text->idealWidth() + 2 * kPad;
        c.text->setTextWidth(1);
        c.min = c.text->idealWidth() + 2 * kPad;
        return c;
    }

    std::vector<double> columnWidths(const Row& header, const std::vector<Row>& rows) const {
        std::vector<double> min, max;
        for (const Cell& c : header.cells) {
            min.push_back(c.min);
            max.push_back(c.max);
        }
        for (const Row& r : rows)
            for (size_t c = 0; c < r.cells.size(); ++c) {
                min[c] = std::max(min[c], r.cells[c].min);
                max[c] = std::max(max[c], r.cells[c].max);
            }
        double sumMin = 0, sumMax = 0;
        for (size_t c = 0; c < min.size(); ++c) {
            sumMin += min[c];
            sumMax += max[c];
        }
        if (sumMax <= width_) return max;
        if (sumMin >= width_) return min;
        // What is left beyond the longest words goes where the lines would be longest.
        std::vector<double> widths(min.size());
        for (size_t c = 0; c < min.size(); ++c)
            widths[c] = min[c] + (max[c] - min[c]) * (width_ - sumMin) / (sumMax - sumMin);
        return widths;
    }

    // The row's words wrapped in its columns, its picture at the right of the last one.
    void fit(Row& r, const std::vector<double>& widths) const {
        double height = 0;
        for (size_t c = 0; c < r.cells.size(); ++c) {
            double inner = widths[c] - 2 * kPad;
            if (c + 1 == r.cells.size() && !r.picture.isNull()) {
                r.pictureWidth = std::clamp(inner - r.words - kPictureGap, 0.0, kPictureWidth);
                // Not taller than a third of the page, so that a row always fits on one.
                const double tallest = bottom_ / 3 * r.picture.width() / r.picture.height();
                r.pictureWidth = std::min(r.pictureWidth, tallest);
                inner -= r.pictureWidth + kPictureGap;
                height = std::max(height, r.pictureWidth * r.picture.height() / r.picture.width());
            }
            r.cells[c].text->setTextWidth(inner);
            height = std::max(height, r.cells[c].text->size().height());
        }
        r.height = height + 2 * kPad;
    }

    void drawRow(const Row& r, const std::vector<double>& widths, bool header) {
        double x = 0;
        painter_.setPen(QPen(QColor(0xbb, 0xbb, 0xbb), mm(0.2)));
        for (size_t c = 0; c < r.cells.size(); ++c) {
            const QRectF box(x, y_, widths[c], r.height);
            if (header) painter_.fillRect(box, QColor(0xee, 0xee, 0xee));
            painter_.drawRect(box);
            draw(*r.cells[c].text, x + kPad, y_ + kPad);
            x += widths[c];
        }
        if (r.pictureWidth > 0) {
            const QRectF place(x - kPad - r.pictureWidth, y_ + kPad, r.pictureWidth,
                               r.pictureWidth * r.picture.height() / r.picture.width());
            // Pictures of the window are flat colours and lettering: kept without loss, they stay
            // sharp (and small). JPEG would blur the lettering, and its library keeps thread-local
            // data that the sanitizer's leak check misreads at exit.
            painter_.setRenderHint(QPainter::LosslessImageRendering);
            painter_.drawImage(place, r.picture);
        }
        y_ += r.height;
    }

    void draw(QTextDocument& doc, double x, double y) {
        painter_.save();
        painter_.translate(x, y);
        doc.drawContents(&painter_);
        painter_.restore();
    }

    // Starts a new page when what comes next does not fit under what is there.
    void room(double height) {
        if (y_ > 0 && y_ + height > bottom_) newPage();
    }

    void newPage() {
        pageNumber();
        writer_.newPage();
        ++page_;
        y_ = 0;
    }

    void pageNumber() {
        Text doc = text(QString::number(page_));
        doc->setTextWidth(-1);
        draw(*doc, width_ - doc->idealWidth(), bottom_ + mm(4));
    }

    QPdfWriter& writer_;
    QString style_;
    QPainter painter_;
    double width_ = 0, bottom_ = 0, y_ = 0;
    int page_ = 1;
};

} // namespace

bool writeReportPdf(const Report& report, const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("vhf-dsc-trainer"));
    Layout page(writer, reportStyle(report));
    if (!page.ok()) return false;
    page.block(QStringLiteral("<h1>%1</h1>").arg(report.title.toHtmlEscaped()));
    if (!report.intro.isEmpty()) page.block(report.intro);
    for (const ReportTable& t : report.tables) {
        if (t.rows.empty()) {
            const QString empty = QStringLiteral("<p>%1</p>").arg(t.whenEmpty);
            page.block(QStringLiteral("<h2>%1</h2>").arg(t.heading.toHtmlEscaped()), page.blockHeight(empty));
            page.block(empty);
        } else {
            page.table(t, report.folder);
        }
    }
    if (!report.closing.isEmpty()) page.block(report.closing);
    if (!report.lastPage.isEmpty()) {
        page.pageBreak();
        page.block(report.lastPage);
    }
    page.finish();
    return QFileInfo(path).size() > 0;
}

} // namespace lessons
