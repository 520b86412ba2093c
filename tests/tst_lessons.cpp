// Lessons: a run recorded from the trainee's mouse, replayed to the same screens and air; its voice
// recorded and spoken again; damaged lessons stopped at their line; the folder kept within its size;
// the debrief told in words, with the pictures of the calls and the voice's sound inside it.
#include "air/Air.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Debrief.h"
#include "lessons/Exercise.h"
#include "lessons/Player.h"
#include "lessons/Recorder.h"
#include "platform/AudioFile.h"
#include "screens/ExercisePanel.h"
#include "voice/Say.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <cmath>
#include <numeric>

namespace {

// A click on a line of a list where the mouse finds it, as the trainee gives it.
void clickLine(Harness& h, const QString& list, const QString& line) {
    auto* l = h.find<QListWidget>(list);
    const QList<QListWidgetItem*> found = l->findItems(line, Qt::MatchExactly);
    if (found.isEmpty()) qFatal("no line '%s' in %s", qPrintable(line), qPrintable(list));
    l->scrollToItem(found.first());
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(found.first()).center());
}

// What the screens and the air show at the end of a lesson.
QStringList state(Harness& h) {
    QStringList out;
    for (const char* name : {"lblChannel", "lblStatus", "lblMode", "txtCG1", "txtCG2", "txtCG3", "txtBC1", "txtBC2",
                             "txtBC3", "cmdDistress", "ComboMessage"})
        out << QStringLiteral("%1=%2 %3").arg(QLatin1String(name), h.text(name)).arg(h.visible(name));
    for (const char* list : {"lstCall", "lstDirectory", "lstBC", "lstDistress"})
        out << QLatin1String(list) + QStringLiteral(": ") + h.items(list).join(QLatin1Char('|')) +
                   QString::number(h.visible(list));
    out << QStringLiteral("natures open: %1").arg(h.find<QComboBox>("ComboMessage")->view()->isVisible());
    for (const air::Transmission& t : h.c().air->log())
        out << QStringLiteral("%1 %2").arg(t.localTime.toString(Qt::ISODate), dscwire::describe(t.message));
    return out;
}

const QString kBlueCrane = QStringLiteral("The Blue Crane            366232323");

// The voice lines of a lesson.
QList<QJsonObject> voiceLines(const QString& lesson) {
    QList<QJsonObject> out;
    lessons::Reader reader(lesson);
    if (!reader.open()) return out;
    for (lessons::Entry e; reader.next(e);)
        if (e.kind == "voice") out << e.json;
    return out;
}

// What a program prints on its standard output.
QString output(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) qFatal("%s did not run", qPrintable(program));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// How often the loudspeaker played a voice.
qsizetype voicesPlayed(Harness& h) {
    return std::count_if(h.sound.samplePlays.begin(), h.sound.samplePlays.end(),
                         [](const auto& p) { return p.sampleRate == air::kVoiceRate; });
}

} // namespace

class LessonsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString lesson_;        // recorded once, by initTestCase
    QStringList recorded_;  // the state it ended in

    QTemporaryDir voiceDir_;
    QString voiceLesson_;
    std::vector<air::VoiceTransmission> voiceLog_; // what went on its air
    qint64 saidAt_ = -1;                           // when the trainee's talk key went down

    // Recorded once: the distress alert acknowledged by the Coast Guard, which speaks on 16 and is
    // heard there; the trainee's MAYDAY without the position; the Coast Guard's answer.
    const QString& voiceLesson() {
        if (!voiceLesson_.isEmpty()) return voiceLesson_;
        Harness h;
        auto recorder = lessons::Recorder::start(h.c(), voiceDir_.path());
        h.hold("cmdDistress", 5500);
        h.advance(10000);
        h.click("cmdAcknowledge");
        h.c().stationVoices->waitIdle();
        if (h.c().air->voiceLog().size() != 1 || !h.c().air->voiceLog()[0].heardByOwnRadio || voicesPlayed(h) != 1)
            qFatal("the Coast Guard's acknowledgement was not heard");
        h.advance(2000);
        saidAt_ = h.now();
        voicetest::say(h, voicetest::spokenCase("mayday twice, no position"));
        h.advance(3000);
        voiceLesson_ = recorder->path();
        recorder.reset();
        voiceLog_ = h.c().air->voiceLog();
        return voiceLesson_;
    }

private slots:
    // A distress alert of a nature picked in the drop-down list, held down and acknowledged, then a routine call answered by the second
    // vessel in the call's closing wait, all from the mouse; an exercise's result at the end.
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Harness h;
        auto recorder = lessons::Recorder::start(h.c(), dir_.path());
        QVERIFY(recorder);
        lesson_ = recorder->path();
        h.advance(1200);
        // A short press opens the natures of distress; Fire is picked in the open list.
        h.hold("cmdDistress", 300);
        auto* natures = h.find<QComboBox>("ComboMessage");
        QTest::mouseClick(natures, Qt::LeftButton);
        QAbstractItemView* open = natures->view();
        QVERIFY(open->isVisible());
        h.advance(800);
        const QModelIndex fire = natures->model()->index(natures->findText("Fire"), 0);
        // The hand moves down the list to the line, then clicks it.
        QTest::mouseMove(open->viewport(), open->visualRect(fire).center());
        QTest::mouseClick(open->viewport(), Qt::LeftButton, {}, open->visualRect(fire).center());
        QCOMPARE(natures->currentText(), QString("Fire"));
        QVERIFY(!open->isVisible());
        h.advance(1000);
        h.hold("cmdDistress", 5500);
        h.click("cmdAcknowledge");
        h.advance(2000);
        h.click("cmdCall");
        clickLine(h, "lstCall", "Routine");
        clickLine(h, "lstDirectory", kBlueCrane);
        h.after(5 * 500 + 5000 + 1000 + 500, [&h] {
            h.click("cmdBCEnter");
            clickLine(h, "lstBC", "Able to Comply");
        });
        h.click("cmdEnter");
        h.advance(10000);
        // Results as an exercise gives them: long tasks, its name in each.
        const QString exercise = QStringLiteral("Fire on board");
        recorder->recordResult(QJsonObject{{"task", "Send a distress alert"}, {"verdict", "pass"},
                                           {"reason", "held for five seconds"}, {"seconds", 7.5}, {"exercise", exercise}});
        recorder->recordResult(QJsonObject{
            {"task", "Boston Coast Guard acknowledges your alert: press Acknowledge on its display."},
            {"verdict", "pass"}, {"seconds", 29.3}, {"exercise", exercise}});
        recorder->recordResult(QJsonObject{
            {"task", "Within a minute of the acknowledgement, give the MAYDAY message on channel 16: your name, "
                     "position, the fire, the help you need, the persons on board, OVER."},
            {"verdict", "fail"}, {"reason", "no position given"}, {"seconds", 51.1}, {"exercise", exercise}});
        recorder->recordResult(QJsonObject{{"title", "Score"}, {"verdict", "Score: 2 of 3"}, {"exercise", exercise}});
        recorded_ = state(h);
        recorder.reset();
        // Not a lesson that shows nothing: both calls and their answers went on the air.
        QCOMPARE(h.c().air->log().size(), size_t(4));
        QVERIFY(QFile::exists(lessons::picturePath(lesson_, 2)));
    }

    void replayGivesTheSameScreensAndAir() {
        Harness h;
        QStringList reports;
        lessons::Player player(h.c(), h.clock, lesson_, [&reports](const QString& r) { reports << r; });
        QVERIFY(player.start());
        player.playToEnd();
        QCOMPARE(reports, QStringList());
        QCOMPARE(state(h), recorded_);
    }

    void damagedLessonStopsAtItsLine_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("callListOpen"); // the click before the damage was played
        const QString header = R"({"kind":"lesson","format":1,"start":"2026-12-06T10:00:00.000","tick":0})";
        const QString call = R"({"t":1000,"kind":"mouse","event":"press","control":"frmGMDSS/cmdCall","x":10,"y":10,"button":1,"buttons":1}
{"t":1050,"kind":"mouse","event":"release","control":"frmGMDSS/cmdCall","x":10,"y":10,"button":1,"buttons":0})";
        const QString menu = R"({"t":3000,"kind":"mouse","event":"press","control":"frmGMDSS/cmdMenu","x":10,"y":10,"button":1,"buttons":1}
{"t":3050,"kind":"mouse","event":"release","control":"frmGMDSS/cmdMenu","x":10,"y":10,"button":1,"buttons":0})";
        QTest::newRow("bad JSON in the middle")
            << QStringList{header, call, R"({"t":2000,"kind":"mouse",)", menu} << "lesson.jsonl line 4: not a JSON object"
            << true;
        QTest::newRow("a field missing")
            << QStringList{header, call, R"({"t":2000,"kind":"key","event":"press","control":"frmGMDSS/cmdCall","text":""})",
                           menu}
            << R"(lesson.jsonl line 4: "key" is missing)" << true;
        QTest::newRow("last line cut short")
            << QStringList{header, call, menu.left(menu.size() - 20) + "\a"}
            << "lesson.jsonl line 5: not a JSON object (the line is cut short)" << true;
        QTest::newRow("a newer format")
            << QStringList{QString(header).replace("\"format\":1", "\"format\":3"), call, menu}
            << "lesson.jsonl line 1: a lesson of format 3; this program reads format 2" << false;
    }
    void damagedLessonStopsAtItsLine() {
        QFETCH(QStringList, lines);
        QFETCH(QString, report);
        QFETCH(bool, callListOpen);
        QTemporaryDir dir;
        QFile f(dir.filePath("lesson.jsonl"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        // "\a" marks a line the crash cut: no newline after it.
        QByteArray text = lines.join('\n').toUtf8() + '\n';
        if (text.endsWith("\a\n")) text.chop(2);
        f.write(text);
        f.close();

        Harness h;
        QStringList reports;
        lessons::Player player(h.c(), h.clock, f.fileName(), [&reports](const QString& r) { reports << r; });
        const bool started = player.start();
        QCOMPARE(started, !report.contains("line 1:"));
        player.playToEnd();
        QCOMPARE(reports, QStringList{report});
        QCOMPARE(player.error(), report);
        QCOMPARE(h.visible("lstCall"), callListOpen);
        QVERIFY(!h.visible("lstMenu")); // nothing after the damage was played
        // The window is the user's again.
        h.click("cmdMenu");
        QVERIFY(h.visible("lstMenu"));
    }

    void folderKeepsTheNewestWithinItsLimit() {
        QTemporaryDir dir;
        auto make = [&dir](const QString& name, int bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(bytes, 'x'));
        };
        make("2026-01-01_09-00-00.jsonl", 600);
        make("2026-01-01_09-00-00-1.png", 500);
        make("2026-01-01_09-00-00-voice-1.opus", 300);
        make("2026-01-02_09-00-00.jsonl", 600);
        make("2026-01-02_09-00-00-1.png", 500);
        make("2026-01-02_09-00-00-voice-1.opus", 300);
        make("2026-01-03_09-00-00.jsonl", 900);
        make("notes.txt", 5000); // not ours: neither counted nor touched
        Harness h;
        // 3200 bytes: the oldest lesson and the files beside it go; without its voice it would be 2100.
        auto recorder = lessons::Recorder::start(h.c(), dir.path(), -1, 2300);
        QVERIFY(recorder);
        QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        left.removeOne(QFileInfo(recorder->path()).fileName());
        QCOMPARE(left, QStringList({"2026-01-02_09-00-00-1.png", "2026-01-02_09-00-00-voice-1.opus",
                                    "2026-01-02_09-00-00.jsonl", "2026-01-03_09-00-00.jsonl", "notes.txt"}));
        // A folder that cannot be made: no lesson, and the trainer goes on.
        QVERIFY(!lessons::Recorder::start(h.c(), "/proc/no-lessons-here"));
        h.click("cmdCall");
        QVERIFY(h.visible("lstCall"));
    }

    void debriefTellsTheLessonWithItsPictures() {
        QString problem;
        const QString html = lessons::debriefHtml(lesson_, true, &problem);
        QCOMPARE(problem, QString());
        QVERIFY2(html.contains("Held <b>Distress key, hold 5 seconds</b> for 5.5 s"), qPrintable(html.left(3000)));
        QVERIFY(html.contains("Clicked <b>'Routine' in Call type list</b>"));
        QVERIFY(html.contains("<b>Sent</b> (distress):</span> Distress alert"));
        QVERIFY(html.contains("Chose <b>Fire</b> in Nature of Distress list"));
        QVERIFY(html.contains("<b>Received</b> (routine):"));
        QVERIFY(html.contains("<td>Send a distress alert</td><td class=\"pass\">pass</td><td>held for five seconds</td><td class=\"time\">7.5 s</td>"));
        // Each call the own radio sent, with the window as it was: PNG pictures inside the page.
        static const QRegularExpression image("src=\"data:image/png;base64,([A-Za-z0-9+/=]+)\"");
        QList<QImage> pictures;
        for (auto it = image.globalMatch(html); it.hasNext();)
            pictures << QImage::fromData(QByteArray::fromBase64(it.next().captured(1).toLatin1()), "PNG");
        QCOMPARE(pictures.size(), 2);
        for (const QImage& p : pictures) QVERIFY(!p.isNull() && p.width() > 400);

        QTemporaryDir out;
        const lessons::DebriefOutcome pdf = lessons::writeDebrief(lesson_, out.filePath("debrief.pdf"));
        QVERIFY(pdf.written);
        QFile written(out.filePath("debrief.pdf"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(5) == "%PDF-");
    }

    // The printed debrief, read back from the paper (poppler's pdftotext and pdfimages): every word
    // of every cell of the page is there whole, what all rows share is said once, and each call's
    // picture is on the page of its row.
    void printedDebriefKeepsThePagesWords() {
        QTemporaryDir out;
        const QString pdf = out.filePath("debrief.pdf");
        QVERIFY(lessons::writeDebrief(lesson_, pdf).written);
        // Ligatures ("fi") read back as the letters they join.
        const QStringList pages = output("pdftotext", {"-layout", pdf, "-"}).normalized(QString::NormalizationForm_KC).split('\f');
        static const QRegularExpression apart("[^\\w]+");
        const QStringList printed = pages.join(' ').split(apart, Qt::SkipEmptyParts);
        QString problem;
        const QString html = lessons::debriefHtml(lesson_, false, &problem);
        static const QRegularExpression cell("<td[^>]*>(.*?)</td>");
        QStringList missing;
        for (auto it = cell.globalMatch(html); it.hasNext();)
            for (const QString& word :
                 QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText().split(apart, Qt::SkipEmptyParts))
                if (!printed.contains(word)) missing << word;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
        QCOMPARE(pages.join(' ').count("Fire on board"), 1);
        // The pictures in the order of the calls, each on the page that tells its call.
        QList<int> picturePages;
        for (const QString& line : output("pdfimages", {"-list", pdf}).split('\n').mid(2)) {
            const QStringList fields = line.simplified().split(' ');
            if (fields.size() > 2 && fields[2] == "image") picturePages << fields[0].toInt();
        }
        QList<int> callPages;
        for (const char* call : {"Sent (distress):", "Sent (routine):"})
            for (int page = 0; page < pages.size(); ++page)
                if (pages[page].contains(call)) callPages << page + 1;
        QCOMPARE(picturePages, callPages);
    }

    // Each transmission of voiceLesson() is a line with its words and verdicts, its sound beside it.
    void voiceIsRecorded() {
        const QList<QJsonObject> lines = voiceLines(voiceLesson());
        QStringList heard;
        for (const QJsonObject& o : lines)
            heard << QStringList{o["direction"].toString(), o["channel"].toString(), o["name"].toString(),
                                 o["procedure"].toString()}.join(' ');
        QCOMPARE(heard, QStringList({"received 16 Boston Coast Guard distress-ack", "sent 16 Kelpo mayday",
                                     "received 16 Boston Coast Guard routine"}));
        QVERIFY(lines[0]["words"].toString().startsWith("mayday kelpo kelpo kelpo this is boston coast guard"));
        QCOMPARE(lines[1]["words"].toString(), voiceLog_[1].words);
        QCOMPARE(lines[1]["keyed"].toInteger(), saidAt_);
        QVERIFY(lines[1]["verdicts"].toArray().contains(
            QJsonObject{{"element", "position"}, {"ok", false}, {"text", "no position given"}}));
        QVERIFY(lines[2]["words"].toString().contains("say your position"));
        // The trainee's sound reads back as long and as loud as it was.
        auto rms = [](const std::vector<float>& v) {
            return std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0) / double(v.size()));
        };
        const std::vector<float> back = platform::readMono(lessons::voicePath(voiceLesson(), 2), air::kVoiceRate);
        const std::vector<float> was = platform::toFloat(voiceLog_[1].audio);
        QVERIFY(std::abs(qint64(back.size()) - qint64(was.size())) < 320);
        QVERIFY(std::abs(rms(back) / rms(was) - 1.0) < 0.15);
    }

    // Played back, the talk key speaks what the lesson keeps: the same words are recognised, and the
    // Coast Guard says and is heard again what it said then.
    void replayPutsTheSameWordsOnTheAir() {
        Harness h;
        lessons::Player player(h.c(), h.clock, voiceLesson(), [](const QString& r) { QFAIL(qPrintable(r)); });
        QVERIFY(player.start());
        player.playToEnd();
        auto said = [](const std::vector<air::VoiceTransmission>& log) {
            QStringList out;
            for (const air::VoiceTransmission& t : log) out << t.fromName + t.channel + t.procedure + t.words;
            return out;
        };
        QCOMPARE(said(h.c().air->voiceLog()), said(voiceLog_));
        QCOMPARE(voicesPlayed(h), 2);
    }

    // The words and the verdicts in words; the sound inside the page, not in the PDF.
    void debriefShowsAndPlaysTheVoice() {
        QString problem;
        const QString html = lessons::debriefHtml(voiceLesson(), true, &problem);
        QVERIFY(html.contains("<b>Said</b> (voice, mayday): Kelpo on channel 16"));
        QVERIFY(html.contains("&ldquo;" + voiceLog_[1].words + "&rdquo;"));
        QVERIFY(html.contains("<li><span class=\"fail\">wrong</span>: no position given</li>"));
        QVERIFY(html.contains("<li><span class=\"pass\">right</span>: nature of distress: sinking</li>"));
        // Each transmission's Ogg file inside the page ("OggS", version 0, first page: T2dnUwAC).
        QCOMPARE(html.count("<audio controls preload=\"none\" src=\"data:audio/ogg;base64,T2dnUwAC"), 3);
        const QString printed = lessons::debriefHtml(voiceLesson(), false, &problem);
        QVERIFY(printed.contains("wrong</span>: no position given") && !printed.contains("<audio"));
    }

    // An element not heard clearly is kept as such in the lesson and read back so; a lesson written
    // before there was "unclear" reads as judged. The debrief marks it unclear, neither right nor
    // wrong, with the transmission's sound to listen to, and the exercise's task asked again.
    void unclearVerdictIsRecordedAndDebriefed() {
        QTemporaryDir folder;
        QString path;
        {
            Harness h;
            h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
            QFile exercise(folder.filePath("mayday.json"));
            QVERIFY(exercise.open(QIODevice::WriteOnly));
            exercise.write(R"({ "title": "Fire", "tasks": [
                { "title": "Say MAYDAY", "expect": { "kind": "voice", "procedure": "mayday", "elements": ["position"] } } ] })");
            exercise.close();
            QCOMPARE(h.c().exercises->open(exercise.fileName()), QString());
            air::VoiceTransmission t;
            t.channel = "16";
            t.fromMmsi = h.c().s.AcceptedMMSI;
            t.fromName = "Kelpo";
            t.fromOwnRadio = true;
            t.words = "mayday mayday mayday this is kelpo";
            t.procedure = "mayday";
            for (int i = 0; i < air::kVoiceRate / 5; ++i) t.audio.push_back(qint16(8000 * std::sin(i * 0.2)));
            t.verdicts = {{"own-name", true, "own name: kelpo"}, {"position", false, "position not heard clearly", true}};
            h.c().air->speak(t);
            path = h.c().lesson->path();
            h.c().lesson.reset();
        }
        const QList<QJsonObject> lines = voiceLines(path);
        QCOMPARE(lines.size(), 1);
        auto marks = [](const QList<air::VoiceVerdict>& verdicts) {
            QStringList out;
            for (const air::VoiceVerdict& v : verdicts)
                out << v.element + (v.ok ? " ok" : v.unclear ? " unclear" : " wrong");
            return out;
        };
        QCOMPARE(marks(lessons::voiceVerdicts(lines[0])), QStringList({"own-name ok", "position unclear"}));
        QJsonObject old = lines[0];
        old["verdicts"] = QJsonArray{QJsonObject{{"element", "position"}, {"ok", false}, {"text", "no position given"}}};
        QCOMPARE(marks(lessons::voiceVerdicts(old)), QStringList{"position wrong"});
        QString problem;
        const QString html = lessons::debriefHtml(path, true, &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(html.contains("<li><span class=\"unclear\">unclear</span>: position not heard clearly</li>"));
        QVERIFY(html.contains("<li><span class=\"pass\">right</span>: own name: kelpo</li>"));
        QVERIFY(!html.contains("class=\"fail\""));
        QCOMPARE(html.count("<audio controls preload=\"none\" src=\"data:audio/ogg;base64,T2dnUwAC"), 1);
        QVERIFY(html.contains("<td>Say MAYDAY</td><td class=\"unclear\">say again</td><td>Not heard clearly: say again your position</td>"));
    }

    // An exercise's verdicts go into the lesson as they are given, and the exercise window's
    // Debrief writes them out with the rest of the lesson.
    void exerciseVerdictsReachTheDebrief() {
        QTemporaryDir folder;
        Harness h;
        h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        QVERIFY(h.c().lesson);
        ExercisePanel& panel = *h.c().exercises;
        QCOMPARE(panel.open(lessons::findExercise(QStringLiteral("04-container-safety"))), QString());
        h.click("cmdCall");
        h.chooseItem("lstCall", "Safety");
        h.click("cmdEnter");
        h.advance(5000);
        voicetest::say(h, voicetest::spokenCase("securite"));
        panel.askDebriefPath = [&] { return folder.filePath("debrief.html"); };
        h.click(panel.window()->debrief);
        QCOMPARE(panel.window()->score->text(), "Debrief written to " + folder.filePath("debrief.html"));
        QFile page(folder.filePath("debrief.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains("<td>Send a Safety call to all ships within a minute.</td><td class=\"pass\">pass</td>"));
        QVERIFY(html.contains("the container and where it lies, OUT.</td><td class=\"pass\">pass</td>"));
        QVERIFY(html.contains("<td>Score</td><td>Score: 2 of 2</td>"));
        h.c().lesson.reset();
    }
};

TRAINER_TEST_MAIN(LessonsTest)
#include "tst_lessons.moc"
