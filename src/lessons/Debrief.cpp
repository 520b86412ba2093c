#include "lessons/Debrief.h"

#include "air/Voice.h"
#include "lessons/Lesson.h"
#include "lessons/RadioLog.h"
#include "lessons/Report.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QKeySequence>
#include <QLocale>
#include <algorithm>
#include <optional>
#include <vector>

namespace lessons {

namespace {

// The colours of the directions and the verdicts.
const QString kStyle = QStringLiteral(
    ".sent{color:#a00}.received{color:#060}.heard{color:#555}"
    ".pass{color:#060;font-weight:bold}.fail{color:#a00;font-weight:bold}.unclear{color:#a60;font-weight:bold}"
    ".note{color:#a00}");

QString esc(const QString& s) { return s.toHtmlEscaped(); }

QString text(const QJsonObject& o, const char* field) { return o.value(QLatin1String(field)).toString(); }

// The control's words: its label, or the last step of its path.
QString labelOf(const QJsonObject& o) {
    const QString label = text(o, "label");
    if (!label.isEmpty()) return label;
    return text(o, "control").section(QLatin1Char('/'), -1);
}

bool printable(const QString& s) {
    if (s.isEmpty()) return false;
    for (const QChar ch : s)
        if (!ch.isPrint()) return false;
    return true;
}

QString seconds(qint64 ms) { return QLocale(QLocale::English).toString(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s"); }

struct Row {
    qint64 t = 0;
    QString what;    // HTML
    QString picture; // file name of the window's picture, or empty
};

QString verdictClass(const QString& verdict) {
    const QString lower = verdict.toLower();
    return lower.startsWith(QLatin1String("pass")) || lower == QLatin1String("ok") ? QStringLiteral("pass")
           : lower.startsWith(QLatin1String("fail"))                            ? QStringLiteral("fail")
           : lower.startsWith(QLatin1String("say again"))                       ? QStringLiteral("unclear")
                                                                                : QString();
}

// The results: task title, verdict, reason, seconds, and a column for whatever else the exercises
// said (the exercise's name, for one: the same in every row, so said once above the table).
ReportTable resultsTable(const std::vector<QJsonObject>& results) {
    ReportTable table;
    table.heading = QStringLiteral("Exercises");
    table.whenEmpty = QStringLiteral("No exercise results in this lesson.");
    table.columns = {{QStringLiteral("Task")}, {QStringLiteral("Verdict")}, {QStringLiteral("Reason")},
                     {QStringLiteral("Time"), QStringLiteral("time")}};
    static const QStringList known{"task", "title", "verdict", "reason", "seconds"};
    QStringList more;
    for (const QJsonObject& r : results)
        for (auto it = r.begin(); it != r.end(); ++it)
            if (!known.contains(it.key()) && !more.contains(it.key())) more << it.key();
    for (const QString& key : more) table.columns.push_back({key.left(1).toUpper() + key.mid(1), {}, true});
    for (const QJsonObject& r : results) {
        const QString title = r.contains(QLatin1String("task")) ? text(r, "task") : text(r, "title");
        const QString verdict = r.value(QLatin1String("verdict")).toVariant().toString();
        const QJsonValue secs = r.value(QLatin1String("seconds"));
        ReportRow row;
        row.cells = {{esc(title)}, {esc(verdict), verdictClass(verdict)}, {esc(text(r, "reason"))},
                     {secs.isDouble() ? seconds(qint64(secs.toDouble() * 1000)) : esc(secs.toVariant().toString())}};
        for (const QString& key : more) row.cells.push_back({esc(r.value(key).toVariant().toString())});
        table.rows.push_back(row);
    }
    return table;
}

// A spoken transmission: who spoke on which channel, what was understood, each element of the
// procedure right, wrong or not heard clearly, in words, and (in the HTML page) its sound to play.
QString voiceRow(const QJsonObject& o, const QString& folder, bool embed) {
    const QString direction = text(o, "direction");
    const QString how = direction == QLatin1String("sent")       ? QStringLiteral("Said")
                        : direction == QLatin1String("received") ? QStringLiteral("Heard")
                                                                 : QStringLiteral("Not heard by the own radio");
    const QString who = text(o, "name").isEmpty() ? text(o, "from") : text(o, "name");
    const QString words = text(o, "words");
    QString html = QStringLiteral("<span class=\"%1\"><b>%2</b> (voice, %3): %4 on channel %5, %6:</span> %7")
                       .arg(direction == QLatin1String("sent") || direction == QLatin1String("received") ? direction
                                                                                                       : QStringLiteral("heard"),
                            how, esc(text(o, "procedure")), esc(who), esc(text(o, "channel")),
                            seconds(qint64(o.value(QLatin1String("ms")).toDouble())),
                            words.isEmpty() ? QStringLiteral("<i>no words understood</i>")
                                            : QStringLiteral("&ldquo;%1&rdquo;").arg(esc(words)));
    const QList<air::VoiceVerdict> verdicts = voiceVerdicts(o);
    if (!verdicts.isEmpty()) {
        // Right, wrong, or not heard clearly enough to say: the trainee says that again.
        html += QStringLiteral("<ul>");
        for (const air::VoiceVerdict& v : verdicts) {
            const QString cls = v.ok ? QStringLiteral("pass") : v.unclear ? QStringLiteral("unclear") : QStringLiteral("fail");
            const QString mark = v.ok ? QStringLiteral("right") : v.unclear ? QStringLiteral("unclear") : QStringLiteral("wrong");
            html += QStringLiteral("<li><span class=\"%1\">%2</span>: %3</li>").arg(cls, mark, esc(v.text));
        }
        html += QStringLiteral("</ul>");
        if (std::any_of(verdicts.begin(), verdicts.end(), [](const air::VoiceVerdict& v) { return v.unclear; }))
            html += QStringLiteral("<span class=\"unclear\">Not heard clearly: a station would ask you to say it again.</span>");
    }
    const QString audio = text(o, "audio");
    if (!embed || audio.isEmpty()) return html;
    QFile f(QFileInfo(folder, audio).filePath());
    if (!f.open(QIODevice::ReadOnly))
        return html + QStringLiteral("<i>(no sound: %1 is missing)</i>").arg(esc(audio));
    // The page stays one file: the sound inside it.
    return html + QStringLiteral("<audio controls preload=\"none\" src=\"data:audio/ogg;base64,%1\"></audio>")
                      .arg(QString::fromLatin1(f.readAll().toBase64()));
}

// The debrief as a report: the exercises' results, then the timeline, each call sent with the
// picture of the window beside it. Nothing when the lesson cannot be read.
std::optional<Report> debriefReport(const QString& lessonPath, bool embedPictures, QString* problem) {
    Reader reader(lessonPath);
    if (!reader.open()) {
        *problem = reader.error();
        return {};
    }
    const Header& h = reader.header();
    std::vector<Entry> entries;
    for (Entry e; reader.next(e);) entries.push_back(e);
    *problem = reader.error();

    std::vector<Row> rows;
    std::vector<QJsonObject> results;
    std::vector<LogEntry> log;
    int actions = 0, messages = 0, spoken = 0;
    const QString folder = QFileInfo(lessonPath).absolutePath();
    std::vector<bool> used(entries.size(), false);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (used[i]) continue;
        const Entry& e = entries[i];
        const QJsonObject& o = e.json;
        const QString event = text(o, "event");
        if (e.kind == QLatin1String("mouse") && (event == QLatin1String("press") || event == QLatin1String("double"))) {
            ++actions;
            QString what = event == QLatin1String("double")                           ? QStringLiteral("Double-clicked")
                           : o.value(QLatin1String("button")).toInt() == Qt::RightButton ? QStringLiteral("Right-clicked")
                                                                                          : QStringLiteral("Clicked");
            // The release on the same control tells a click from a hold.
            qint64 heldMs = 0;
            for (size_t j = i + 1; j < entries.size(); ++j) {
                const Entry& r = entries[j];
                if (r.kind != QLatin1String("mouse") || text(r.json, "event") != QLatin1String("release") ||
                    text(r.json, "control") != text(o, "control"))
                    continue;
                used[j] = true;
                heldMs = r.t - e.t;
                break;
            }
            if (heldMs >= 1000)
                rows.push_back({e.t, QStringLiteral("Held <b>%1</b> for %2").arg(esc(labelOf(o)), seconds(heldMs)), {}});
            else
                rows.push_back({e.t, QStringLiteral("%1 <b>%2</b>").arg(what, esc(labelOf(o))), {}});
        } else if (e.kind == QLatin1String("key") && event == QLatin1String("press") &&
                   !o.value(QLatin1String("repeat")).toBool()) {
            ++actions;
            const QString typed = text(o, "text");
            if (printable(typed)) {
                // The letters typed one after the other into one control make one line.
                QString word = typed;
                for (size_t j = i + 1; j < entries.size(); ++j) {
                    const Entry& n = entries[j];
                    if (n.kind != QLatin1String("key") || text(n.json, "control") != text(o, "control")) break;
                    if (text(n.json, "event") == QLatin1String("release")) {
                        used[j] = true;
                        continue;
                    }
                    if (!printable(text(n.json, "text"))) break;
                    word += text(n.json, "text");
                    used[j] = true;
                }
                rows.push_back({e.t, QStringLiteral("Typed <b>%1</b> in %2").arg(esc(word), esc(labelOf(o))), {}});
            } else {
                const int key = o.value(QLatin1String("key")).toInt() | o.value(QLatin1String("mods")).toInt();
                rows.push_back({e.t,
                                QStringLiteral("Pressed the key <b>%1</b> on %2")
                                    .arg(esc(QKeySequence(key).toString(QKeySequence::NativeText)), esc(labelOf(o))),
                                {}});
            }
        } else if (e.kind == QLatin1String("wheel")) {
            ++actions;
            rows.push_back({e.t, QStringLiteral("Turned the mouse wheel on %1").arg(esc(labelOf(o))), {}});
        } else if (e.kind == QLatin1String("choose")) {
            ++actions;
            rows.push_back({e.t, QStringLiteral("Chose <b>%1</b> in %2").arg(esc(text(o, "text")), esc(labelOf(o))), {}});
        } else if (e.kind == QLatin1String("message")) {
            ++messages;
            const QString direction = text(o, "direction");
            const QString how = direction == QLatin1String("sent")       ? QStringLiteral("Sent")
                                : direction == QLatin1String("received") ? QStringLiteral("Received")
                                : direction == QLatin1String("receiver") ? QStringLiteral("Heard by the receiver")
                                                                         : QStringLiteral("Heard on the air");
            QString what = QStringLiteral("<span class=\"%1\"><b>%2</b> (%3):</span> %4")
                               .arg(esc(direction), how, esc(text(o, "category")), esc(text(o, "words")));
            if (!text(o, "error").isEmpty()) what += QStringLiteral(" <span class=\"note\">(%1)</span>").arg(esc(text(o, "error")));
            rows.push_back({e.t, what, text(o, "picture")});
        } else if (e.kind == QLatin1String("voice")) {
            ++spoken;
            rows.push_back({e.t, voiceRow(o, folder, embedPictures), {}});
        } else if (e.kind == QLatin1String("result")) {
            const QJsonObject r = o.value(QLatin1String("result")).toObject();
            results.push_back(r);
            const QString title = r.contains(QLatin1String("task")) ? text(r, "task") : text(r, "title");
            rows.push_back({e.t,
                            QStringLiteral("Exercise <b>%1</b>: %2")
                                .arg(esc(title), esc(r.value(QLatin1String("verdict")).toVariant().toString())),
                            {}});
        } else if (e.kind == QLatin1String("log")) {
            log.push_back(logEntryFrom(o.value(QLatin1String("entry")).toObject()));
            rows.push_back({e.t, QStringLiteral("Wrote in the radio log: %1").arg(esc(logEntrySummary(log.back()))), {}});
        } else if (e.kind == QLatin1String("end")) {
            rows.push_back({e.t, QStringLiteral("End of the lesson"), {}});
        }
    }

    Report report;
    report.style = kStyle;
    report.folder = folder;
    report.title = QStringLiteral("Lesson of %1")
                       .arg(QLocale(QLocale::English).toString(h.start.addMSecs(h.tick), QStringLiteral("d MMMM yyyy, HH:mm")));
    const qint64 length = entries.empty() ? 0 : entries.back().t - h.tick;
    report.intro = QStringLiteral("<p>Recorded by %1 in %2: %3 actions, %4 DSC messages, %5 spoken transmissions, %6 "
                                  "exercise results; %7 long.</p>\n")
                       .arg(esc(h.program.isEmpty() ? QStringLiteral("the trainer") : h.program),
                            esc(QFileInfo(lessonPath).fileName()))
                       .arg(actions)
                       .arg(messages)
                       .arg(spoken)
                       .arg(results.size())
                       .arg(QTime(0, 0).addMSecs(int(std::min<qint64>(length, 86399999))).toString(QStringLiteral("H:mm:ss")));
    report.tables.push_back(resultsTable(results));
    report.tables.push_back(radioLogTable(log));
    ReportTable timeline;
    timeline.heading = QStringLiteral("Timeline");
    timeline.whenEmpty = QStringLiteral("Nothing happened in this lesson.");
    timeline.columns = {{QStringLiteral("Time"), QStringLiteral("time")},
                        {QStringLiteral("Since start"), QStringLiteral("time")},
                        {QStringLiteral("What happened")}};
    int pictureNumber = 0;
    for (const Row& r : rows) {
        const QString clock = h.start.addMSecs(r.t).toString(QStringLiteral("HH:mm:ss"));
        const QString since = QTime(0, 0).addMSecs(int(std::clamp<qint64>(r.t - h.tick, 0, 86399999))).toString(QStringLiteral("H:mm:ss"));
        ReportRow row{{{clock}, {QLatin1Char('+') + since}, {r.what}}, {}, {}};
        if (!r.picture.isEmpty()) {
            ++pictureNumber;
            if (QFileInfo::exists(QFileInfo(folder, r.picture).filePath())) {
                row.picture = r.picture;
                row.pictureAlt = QStringLiteral("The radio as the call %1 went out").arg(pictureNumber);
            } else {
                row.cells.back().html += QStringLiteral("<br><i>(no picture of the window: %1 is missing)</i>").arg(esc(r.picture));
            }
        }
        timeline.rows.push_back(row);
    }
    report.tables.push_back(timeline);
    if (!problem->isEmpty())
        report.closing = QStringLiteral("<p class=\"note\">The lesson ends early: %1</p>\n").arg(esc(*problem));
    return report;
}

} // namespace

QString debriefHtml(const QString& lessonPath, bool embedPictures, QString* problem) {
    const std::optional<Report> report = debriefReport(lessonPath, embedPictures, problem);
    return report ? reportHtml(*report, embedPictures) : QString();
}

DebriefOutcome writeDebrief(const QString& lessonPath, const QString& outPath) {
    DebriefOutcome outcome;
    const bool pdf = outPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    QString problem;
    const std::optional<Report> report = debriefReport(lessonPath, !pdf, &problem);
    outcome.problem = problem;
    if (!report) return outcome;
    if (pdf) {
        outcome.written = writeReportPdf(*report, outPath);
        if (!outcome.written) outcome.problem = QStringLiteral("cannot write %1").arg(outPath);
        return outcome;
    }
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(reportHtml(*report, true).toUtf8()) < 0) {
        outcome.problem = QStringLiteral("cannot write %1: %2").arg(outPath, out.errorString());
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

} // namespace lessons
