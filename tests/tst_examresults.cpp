// A class's exam results: the school's CSV keeps a candidate's name with a comma or quotes whole,
// an override needs a written reason, and a record comes through the class with its sounds, but
// never with a file name that would put something outside the folder chosen for it.
#include "classroom/ExamMessages.h"
#include "exam/Results.h"

#include <QTest>

namespace {

exam::Record record(const QString& candidate, bool secondPassed) {
    exam::Record r;
    r.profile = QStringLiteral("src");
    r.seed = 42;
    r.candidate = candidate;
    r.started = QStringLiteral("2026-12-09T10:00:00Z");
    r.ended = QStringLiteral("2026-12-09T10:30:00Z");
    r.pass = QJsonObject{{"mandatory", "all"}, {"others", 1}};
    exam::Attempt passed, failed;
    passed.number = failed.number = 1;
    passed.passed = true;
    r.cards = {{1, "distress-fire-gps", "distress", "core", true, "Fire.", {passed}},
               {2, "routine-ship", "routine-ship", "other", false, "Call.", {secondPassed ? passed : failed}}};
    return r;
}

// The fields of one CSV line, as a spreadsheet reads them (quotes doubled inside quoted fields).
QStringList fieldsOf(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted && ch == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.last() += ch, ++i;
        else if (ch == '"') quoted = !quoted;
        else if (ch == ',' && !quoted) fields << QString();
        else fields.last() += ch;
    }
    return fields;
}

} // namespace

class TestExamResults : public QObject {
    Q_OBJECT
private slots:
    void csvKeepsNamesWhole() {
        QCOMPARE(exam::csvField(QStringLiteral("Ann")), QStringLiteral("Ann"));
        QCOMPARE(exam::csvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
        const QString tricky = QStringLiteral("O'Neill, \"Skip\" Ann");
        const QStringList lines = exam::resultsCsv({record(tricky, true), record("Bo", false)}).split("\r\n");
        QCOMPARE(lines.size(), 4); // header, two trainees, the empty rest after the last CRLF
        QCOMPARE(fieldsOf(lines[0]), (QStringList{"candidate", "profile", "seed", "started", "ended", "card 1", "card 2",
                                                  "result", "overrides"}));
        QCOMPARE(fieldsOf(lines[1]), (QStringList{tricky, "src", "42", "2026-12-09T10:00:00Z", "2026-12-09T10:30:00Z",
                                                  "passed", "passed", "passed", "0"}));
        QCOMPARE(fieldsOf(lines[2]).mid(5), (QStringList{"passed", "failed", "failed", "0"}));
    }

    // No reason, no override; with one, it is kept and the result follows it.
    void overrideNeedsAReason() {
        exam::Record r = record("Bo", false);
        QVERIFY(!exam::addOverride(r, {2, 1, "passed", "  ", "2026-12-09T11:00:00Z"}).isEmpty());
        QVERIFY(r.overrides.empty());
        QVERIFY(!exam::addOverride(r, {2, 2, "passed", "heard it clearly", {}}).isEmpty()); // no such attempt
        QCOMPARE(exam::addOverride(r, {2, 1, "passed", " heard it clearly ", {}}), QString());
        QCOMPARE(int(r.overrides.size()), 1);
        QCOMPARE(r.overrides[0].reason, QStringLiteral("heard it clearly"));
        QCOMPARE(r.result, QStringLiteral("passed"));
        QVERIFY(exam::resultsCsv({r}).contains(",passed,passed,passed,1\r\n"));
    }

    void recordTravelsWithItsSounds() {
        classroom::ExamRecordFiles files{"e1", "2026-12-09_10-00-00.exam.json", "{\"hash\":\"x\"}",
                                         {{"2026-12-09_10-00-00-voice-3.opus", QByteArray("Ogg\0\1", 5)}}};
        const auto back = classroom::decodeExamRecord(classroom::encodeExamRecord(files));
        QVERIFY2(back.ok(), qPrintable(back.error()));
        QCOMPARE(back.value().record, files.record);
        QCOMPARE(back.value().sounds, files.sounds);
        files.sounds.insert("../../.profile", "x");
        QVERIFY(!classroom::decodeExamRecord(classroom::encodeExamRecord(files)).ok());
    }
};

QTEST_GUILESS_MAIN(TestExamResults)
#include "tst_examresults.moc"
