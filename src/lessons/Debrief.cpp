#include "lessons/Debrief.h"

#include "air/Voice.h"
#include "lessons/Lesson.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QKeySequence>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace lessons {

namespace {

const QString kStyle = QStringLiteral(
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "td,th{border:1px solid #bbb;padding:4px 8px;text-align:left;vertical-align:top}"
    "th{background:#eee}"
    "td.time{white-space:nowrap;font-family:monospace}"
    "ul{margin:2px 0}audio{display:block;margin-top:4px}"
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

// Results as a table: task title, verdict, reason, seconds, and whatever else the exercise said.
QString resultsTable(const std::vector<QJsonObject>& results) {
    if (results.empty()) return QStringLiteral("<p>No exercise results in this lesson.</p>\n");
    QString html = QStringLiteral("<table>\n<tr><th>Task</th><th>Verdict</th><th>Reason</th><th>Time</th><th>More</th></tr>\n");
    for (const QJsonObject& r : results) {
        const QString title = r.contains(QLatin1String("task")) ? text(r, "task") : text(r, "title");
        const QString verdict = r.value(QLatin1String("verdict")).toVariant().toString();
        const QString lower = verdict.toLower();
        const QString cls = lower.startsWith(QLatin1String("pass")) || lower == QLatin1String("ok") ? QStringLiteral("pass")
                            : lower.startsWith(QLatin1String("fail"))                            ? QStringLiteral("fail")
                            : lower.startsWith(QLatin1String("say again"))                       ? QStringLiteral("unclear")
                                                                                                 : QString();
        QStringList more;
        for (auto it = r.begin(); it != r.end(); ++it) {
            static const QStringList known{"task", "title", "verdict", "reason", "seconds"};
            if (known.contains(it.key())) continue;
            more << it.key() + QStringLiteral(": ") + it.value().toVariant().toString();
        }
        const QJsonValue secs = r.value(QLatin1String("seconds"));
        html += QStringLiteral("<tr><td>%1</td><td class=\"%2\">%3</td><td>%4</td><td>%5</td><td>%6</td></tr>\n")
                    .arg(esc(title), cls, esc(verdict), esc(text(r, "reason")),
                         secs.isDouble() ? seconds(qint64(secs.toDouble() * 1000)) : esc(secs.toVariant().toString()),
                         esc(more.join(QStringLiteral("; "))));
    }
    return html + QStringLiteral("</table>\n");
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

QString pictureSource(const QString& file, const QString& folder, bool embed) {
    if (!embed) return esc(file);
    QFile f(QFileInfo(folder, file).filePath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(f.readAll().toBase64());
}

} // namespace

QString debriefHtml(const QString& lessonPath, bool embedPictures, QString* problem) {
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
        } else if (e.kind == QLatin1String("end")) {
            rows.push_back({e.t, QStringLiteral("End of the lesson"), {}});
        }
    }

    const QLocale english(QLocale::English);
    const QString title = QStringLiteral("Lesson of %1").arg(english.toString(h.start.addMSecs(h.tick), QStringLiteral("d MMMM yyyy, HH:mm")));
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>%1</title>\n"
                                  "<style>%2</style></head>\n<body>\n<h1>%1</h1>\n")
                       .arg(esc(title), kStyle);
    const qint64 length = entries.empty() ? 0 : entries.back().t - h.tick;
    html += QStringLiteral("<p>Recorded by %1 in %2: %3 actions, %4 DSC messages, %5 spoken transmissions, %6 exercise "
                           "results; %7 long.</p>\n")
                .arg(esc(h.program.isEmpty() ? QStringLiteral("the trainer") : h.program), esc(QFileInfo(lessonPath).fileName()))
                .arg(actions)
                .arg(messages)
                .arg(spoken)
                .arg(results.size())
                .arg(QTime(0, 0).addMSecs(int(std::min<qint64>(length, 86399999))).toString(QStringLiteral("H:mm:ss")));
    html += QStringLiteral("<h2>Exercises</h2>\n") + resultsTable(results);
    html += QStringLiteral("<h2>Timeline</h2>\n<table>\n<tr><th>Time</th><th>Since start</th><th>What happened</th></tr>\n");
    int pictureNumber = 0;
    for (const Row& r : rows) {
        const QString clock = h.start.addMSecs(r.t).toString(QStringLiteral("HH:mm:ss"));
        const QString since = QTime(0, 0).addMSecs(int(std::clamp<qint64>(r.t - h.tick, 0, 86399999))).toString(QStringLiteral("H:mm:ss"));
        html += QStringLiteral("<tr><td class=\"time\">%1</td><td class=\"time\">+%2</td><td>%3").arg(clock, since, r.what);
        if (!r.picture.isEmpty()) {
            ++pictureNumber;
            const QString source = pictureSource(r.picture, folder, embedPictures);
            if (source.isEmpty())
                html += QStringLiteral("<br><i>(no picture of the window: %1 is missing)</i>").arg(esc(r.picture));
            else
                html += QStringLiteral("<br><img src=\"%1\" width=\"480\" alt=\"The radio as the call %2 went out\">")
                            .arg(source)
                            .arg(pictureNumber);
        }
        html += QStringLiteral("</td></tr>\n");
    }
    html += QStringLiteral("</table>\n");
    if (!problem->isEmpty())
        html += QStringLiteral("<p class=\"note\">The lesson ends early: %1</p>\n").arg(esc(*problem));
    return html + QStringLiteral("</body></html>\n");
}

DebriefOutcome writeDebrief(const QString& lessonPath, const QString& outPath) {
    DebriefOutcome outcome;
    const bool pdf = outPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    QString problem;
    const QString html = debriefHtml(lessonPath, !pdf, &problem);
    outcome.problem = problem;
    if (html.isEmpty()) return outcome;
    if (pdf) {
        QTextDocument doc;
        doc.setDefaultStyleSheet(kStyle);
        // The pictures by their names, from the lesson's folder.
        const QString folder = QFileInfo(lessonPath).absolutePath();
        for (int n = 1;; ++n) {
            const QString file = QFileInfo(picturePath(lessonPath, n)).fileName();
            const QImage image(QFileInfo(folder, file).filePath());
            if (image.isNull()) break;
            doc.addResource(QTextDocument::ImageResource, QUrl(file), image);
        }
        doc.setHtml(html);
        QPdfWriter writer(outPath);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("vhf-dsc-trainer"));
        doc.print(&writer);
        outcome.written = QFileInfo(outPath).size() > 0;
        if (!outcome.written) outcome.problem = QStringLiteral("cannot write %1").arg(outPath);
        return outcome;
    }
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html.toUtf8()) < 0) {
        outcome.problem = QStringLiteral("cannot write %1: %2").arg(outPath, out.errorString());
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

} // namespace lessons
