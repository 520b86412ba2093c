// The result record of a mock exam and the examiner's sheet made from it: the record read back as
// it was written, a changed character seen (and the program refusing its sheet), the pass rules,
// and the sheet's words on the page and on paper.
#include "exam/Pass.h"
#include "exam/Record.h"
#include "exam/Sheet.h"
#include "harness/TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

exam::Attempt attempt(int number, bool passed) {
    exam::Attempt a;
    a.number = number;
    a.seconds = 95;
    a.passed = passed;
    a.marks = {{QStringLiteral("DSC distress alert sent"), true,
                QStringLiteral("DSC distress alert sent, nature Fire, position 42°21.3'N 070°48.9'W entered by hand at 14:12")},
               {QStringLiteral("MAYDAY on channel 16"), passed, {}}};
    if (!passed) a.critical = {QStringLiteral("no MAYDAY on channel 16 after the alert")};
    a.minor = {QStringLiteral("calling words said twice, not three times")};
    return a;
}

exam::Record sampleRecord() {
    exam::Record r;
    r.profile = QStringLiteral("src");
    r.profileTitle = QStringLiteral("SRC practical, scenario cards");
    r.seed = 123456;
    r.candidate = QStringLiteral("Ann Example");
    r.started = QStringLiteral("2026-12-09T10:00:00Z");
    r.ended = QStringLiteral("2026-12-09T10:24:00Z");
    r.pass = QJsonObject{{"mandatory", "all"}, {"others", 1}};
    exam::CardResult fire{1, QStringLiteral("distress-fire-gps"), QStringLiteral("distress"), QStringLiteral("core"), true,
                    QStringLiteral("Fire in the engine room; the GPS works. Raise the alarm."), {attempt(1, false), attempt(2, true)}};
    exam::CardResult routine{2, QStringLiteral("routine-ship"), QStringLiteral("routine"), QStringLiteral("other"), false,
                       QStringLiteral("Call The Blue Crane and agree a working channel."), {attempt(1, false)}};
    routine.attempts[0].review = {{QStringLiteral("working channel"), QStringLiteral("lesson-sounds/12.wav")}};
    r.cards = {fire, routine};
    r.overrides = {{2, 1, QStringLiteral("passed"), QStringLiteral("Channel seven two heard clearly on the recording"),
                    QStringLiteral("2026-12-09T11:00:00Z")}};
    r.result = QStringLiteral("passed");
    return r;
}

QString run(const QStringList& arguments, int* status, QString* err) {
    QProcess p;
    p.start(QStringLiteral(VHF_TRAINER_PROGRAM), arguments);
    if (!p.waitForFinished(60000)) qFatal("the trainer did not end");
    *status = p.exitCode();
    *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList words(const QString& text) {
    static const QRegularExpression apart(QStringLiteral("[^\\w]+"));
    return text.normalized(QString::NormalizationForm_KC).split(apart, Qt::SkipEmptyParts);
}

} // namespace

class ExamSheetTest : public QObject {
    Q_OBJECT

private slots:
    void recordReadsBackAsWritten() {
        const exam::Record written = sampleRecord();
        const exam::RecordRead read = exam::readRecord(exam::writeRecord(written), QStringLiteral("record.json"));
        QCOMPARE(read.integrity, exam::Integrity::Intact);
        QVERIFY2(read.faults.isEmpty(), qPrintable(read.faults.join('\n')));
        QCOMPARE(exam::recordJson(read.record), exam::recordJson(written));
    }

    void faultsAreNamed() {
        QJsonObject json = exam::recordJson(sampleRecord());
        QJsonArray cards = json.value("cards").toArray();
        QJsonObject card = cards[1].toObject();
        QJsonArray attempts = card.value("attempts").toArray();
        QJsonObject first = attempts[0].toObject();
        first.remove("marks");
        attempts[0] = first;
        card["attempts"] = attempts;
        cards[1] = card;
        json["cards"] = cards;
        const exam::RecordRead read = exam::readRecord(QJsonDocument(json).toJson(), QStringLiteral("record.json"));
        QCOMPARE(read.integrity, exam::Integrity::NoHash);
        QVERIFY2(read.faults.contains("record.json: card 2 attempt 1 has no marks"), qPrintable(read.faults.join('\n')));
    }

    // One character changed after writing: the reader says so, and the program writes no sheet.
    void changedRecordIsRefused() {
        QByteArray bytes = exam::writeRecord(sampleRecord());
        const qsizetype at = bytes.indexOf("Ann Example");
        QVERIFY(at >= 0);
        bytes[at] = 'E';
        QCOMPARE(exam::readRecord(bytes, QStringLiteral("r.json")).integrity, exam::Integrity::Changed);
        QTemporaryDir dir;
        const QString record = dir.filePath("lesson.exam.json"), out = dir.filePath("sheet.html");
        QFile f(record);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        int status = 0;
        QString err;
        run({"--exam-sheet", record, out}, &status, &err);
        QCOMPARE(status, 1);
        // One line of the program's own (Qt may add its notes on the session).
        const QStringList said = err.split('\n').filter(QRegularExpression("^vhf-dsc-trainer: "));
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.first().contains(record) && said.first().contains("changed"), qPrintable(err));
        QVERIFY(!QFile::exists(out));
    }

    // Cards: section, M for mandatory, then + passed, - failed, ? failed and flagged for review;
    // "!N" overrides card N as passed.
    void passRule_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("cards");
        QTest::addColumn<QString>("result");
        const QString all2 = R"({"mandatory":"all","others":2})", pct = R"({"percent":75})";
        QTest::newRow("all and two others") << all2 << "core:M+ core:M+ other:+ other:+ other:-" << "passed";
        QTest::newRow("a mandatory failed") << all2 << "core:M+ core:M- other:+ other:+ other:+" << "failed";
        QTest::newRow("one other short") << all2 << "core:M+ other:+ other:- other:-" << "failed";
        QTest::newRow("override passes") << all2 << "core:M+ core:M- other:+ other:+ !2" << "passed";
        QTest::newRow("review decides") << all2 << "core:M? other:+ other:+" << "review";
        QTest::newRow("review does not decide") << all2 << "core:M+ other:+ other:+ other:?" << "passed";
        QTest::newRow("each section at 75 %") << pct << "a:+ a:+ a:+ a:- b:+ b:+ b:+ b:+" << "passed";
        QTest::newRow("a section under") << pct << "a:+ a:+ a:+ a:+ b:+ b:+ b:- b:-" << "failed";
        QTest::newRow("review in a section") << pct << "a:+ a:+ a:+ a:? b:+" << "passed";
        QTest::newRow("review decides a section") << pct << "a:+ a:+ a:? a:- b:+" << "review";
        QTest::newRow("unknown rule") << R"({"others":2})" << "a:+" << "review";
    }

    void passRule() {
        QFETCH(QString, rule);
        QFETCH(QString, cards);
        QFETCH(QString, result);
        exam::Record r;
        r.pass = QJsonDocument::fromJson(rule.toUtf8()).object();
        for (const QString& spec : cards.split(' ')) {
            if (spec.startsWith('!')) {
                r.overrides.push_back({spec.mid(1).toInt(), 1, "passed", "seen on the recording", {}});
                continue;
            }
            exam::CardResult c;
            c.section = spec.section(':', 0, 0);
            c.mandatory = spec.contains(":M");
            c.attempts = {attempt(1, spec.endsWith('+'))};
            if (spec.endsWith('?')) c.attempts[0].review = {{"position", "s.wav"}};
            r.cards.push_back(c);
        }
        QCOMPARE(exam::judge(r).result, result);
    }

    // The page holds the cards, the reasons, the override, the totals and the no-licence sentence,
    // the sound beside the record to play, and no empty cell.
    void sheetSaysItAll() {
        QTemporaryDir dir;
        const QString record = dir.filePath("lesson.exam.json"), out = dir.filePath("sheet.html");
        QFile f(record);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(exam::writeRecord(sampleRecord())) > 0);
        f.close();
        int status = 0;
        QString err;
        run({"--exam-sheet", record, out}, &status, &err);
        QVERIFY2(status == 0, qPrintable(err));
        QFile sheet(out);
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(sheet.readAll());
        const QString plain = QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
        for (const char* said :
             {"Fire in the engine room; the GPS works. Raise the alarm.", "Call The Blue Crane and agree a working channel.",
              "Critical error (fails the attempt): no MAYDAY on channel 16 after the alert",
              "Minor error (noted, not failed): calling words said twice", "Channel seven two heard clearly on the recording",
              "Candidate: Ann Example", "Seed: 123456", "Result: passed", "every mandatory card (1) and at least 1 of the 1 others",
              "Examiner's remarks"})
            QVERIFY2(plain.contains(QString::fromUtf8(said)), said);
        QVERIFY(plain.contains(exam::kNoLicence));
        QVERIFY(html.contains(R"(<audio controls preload="none" src="lesson-sounds/12.wav">)"));
        static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
        int cells = 0;
        for (auto it = cell.globalMatch(html); it.hasNext(); ++cells)
            QVERIFY(!QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText().trimmed().isEmpty());
        QVERIFY(cells > 20);
    }

    // On paper (poppler's pdftotext): every word of every cell, and the certificate on a page of
    // its own that says it is no licence.
    void printedSheetKeepsItsWords() {
        QTemporaryDir dir;
        const QString record = dir.filePath("lesson.exam.json"), pdf = dir.filePath("sheet.pdf");
        QFile f(record);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(exam::writeRecord(sampleRecord())) > 0);
        f.close();
        const exam::SheetOutcome outcome = exam::writeSheet(record, pdf);
        QVERIFY2(outcome.written, qPrintable(outcome.problem));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        // Ligatures ("fi") read back as the letters they join.
        QStringList pages;
        for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).split('\f'))
            if (!page.trimmed().isEmpty()) pages << page;
        QVERIFY(pages.size() >= 2);
        const QStringList printed = words(pages.join(' '));
        const QString html = lessons::reportHtml(exam::sheetReport(exam::readRecordFile(record), dir.path(), false), false);
        static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
        QStringList missing;
        for (auto it = cell.globalMatch(html); it.hasNext();) {
            const QStringList inCell = words(QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText());
            QVERIFY(!inCell.isEmpty());
            for (const QString& word : inCell)
                if (!printed.contains(word)) missing << word;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
        QVERIFY(pages.last().simplified().contains(exam::kNoLicence));
        QVERIFY(!pages.last().contains("Examiner's remarks"));
    }
};

TRAINER_TEST_MAIN(ExamSheetTest)
#include "tst_examsheet.moc"
