// A mock exam sat on the trainer: the time to get to know the radio runs out on the clock, the cards
// come one by one and set the radio up, a failed attempt is given again while the card has attempts
// left, exercises and lessons are closed meanwhile, and the record lands beside the lesson, sealed;
// the exam's time running out fails what is left, and so does closing the trainer mid-exam.
#include "app/ExamRun.h"
#include "exam/Pass.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Recorder.h"
#include "screens/ExamWindow.h"
#include "screens/ExercisePanel.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QString kExams = QStringLiteral(VHF_SOURCE_DIR "/exams");

// A profile of two sections, each of one card of the kinds given.
exam::Profile profile(int familiarisation, int timeLimit, int attempts) {
    const QByteArray json = QStringLiteral(R"({"title": "Two cards", "familiarisation": %1, "timeLimit": %2,
        "attempts": %3, "sections": [
          {"name": "core", "draw": 1, "kinds": ["distress-by-hand"], "mandatory": true},
          {"name": "other", "draw": 1, "kinds": ["directory"]}],
        "pass": {"mandatory": "all", "others": 1}})")
                                .arg(familiarisation)
                                .arg(timeLimit)
                                .arg(attempts)
                                .toUtf8();
    const auto p = exam::parseProfile(json, QStringLiteral("two.json"));
    if (!p.ok()) qFatal("%s", qPrintable(p.error()));
    return p.value();
}

exam::Plan plan(const exam::Profile& p) {
    const auto bank = exam::loadCardBank(kExams + QStringLiteral("/cards"));
    if (!bank.ok()) qFatal("%s", qPrintable(bank.error()));
    const auto drawn = exam::drawExam(p, bank.value(), 4242);
    if (!drawn.ok()) qFatal("%s", qPrintable(drawn.error()));
    return drawn.value();
}

screens::ExamWindow* window(Harness& h) { return qobject_cast<screens::ExamWindow*>(h.find("frmExam")); }

} // namespace

class MockExamTest : public QObject {
    Q_OBJECT

private slots:
    // Without its lesson an exam cannot be marked, and is not started.
    void needsItsLesson() {
        Harness h;
        const exam::Profile p = profile(0, 0, 1);
        QVERIFY(h.trainer().examRun().start(p, plan(p), "Ann").startsWith("An exam is marked from its lesson"));
        QVERIFY(!h.trainer().examRun().running());
    }

    void getToKnowTheRadioThenTheCardsInTurn() {
        QTemporaryDir folder;
        Harness h;
        h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        QVERIFY(h.c().lesson);
        ExamRun& run = h.trainer().examRun();
        const exam::Profile p = profile(120, 0, 2);
        const exam::Plan drawn = plan(p);
        QCOMPARE(run.start(p, drawn, "Ann Candidate"), QString());
        screens::ExamWindow* w = window(h);
        QVERIFY(w && w->isVisible());
        QCOMPARE(run.phase(), ExamRun::Phase::Familiarisation);
        QVERIFY(!h.ui().cmdExercises->isEnabled() && !h.ui().cmdLessons->isEnabled());
        h.advance(61000);
        QCOMPARE(w->status->text(), QStringLiteral("Get to know the radio: 0:59 left"));
        // The time runs out by itself: the first card, the distress by hand, switches the GPS off.
        h.advance(58000);
        QCOMPARE(run.phase(), ExamRun::Phase::Familiarisation);
        h.advance(1000);
        QCOMPARE(run.phase(), ExamRun::Phase::Card);
        QCOMPARE(run.cardIndex(), 0);
        QCOMPARE(w->card->toPlainText(), drawn.cards[0].filled.text);
        QVERIFY(h.ui().GPSOff->isChecked());
        QCOMPARE(w->status->text(), QStringLiteral("Card 1 of 2, attempt 1 of 2"));
        // Nothing done: the attempt fails and the card comes again, then the next card.
        h.advance(5000);
        w->done->click();
        QCOMPARE(run.cardIndex(), 0);
        QCOMPARE(run.attempt(), 2);
        w->done->click();
        QCOMPARE(run.cardIndex(), 1);
        QCOMPARE(run.progress().value("kind").toString(), QStringLiteral("directory"));
        w->done->click();
        QCOMPARE(run.attempt(), 2);
        w->done->click();
        QCOMPARE(run.phase(), ExamRun::Phase::Over);
        QVERIFY(h.ui().cmdExercises->isEnabled() && h.ui().cmdLessons->isEnabled());

        const exam::RecordRead read = exam::readRecordFile(run.recordPath());
        QCOMPARE(read.integrity, exam::Integrity::Intact);
        QVERIFY(run.recordPath().startsWith(h.c().lesson->path().chopped(6)));
        QCOMPARE(read.record.candidate, QStringLiteral("Ann Candidate"));
        QCOMPARE(read.record.seed, 4242);
        QCOMPARE(int(read.record.cards.size()), 2);
        QCOMPARE(int(read.record.cards[0].attempts.size()), 2);
        QCOMPARE(read.record.cards[0].attempts[1].number, 2);
        QCOMPARE(read.record.cards[0].attempts[0].seconds, 5.0);
        QCOMPARE(read.record.result, exam::judge(read.record).result);
        QVERIFY(w->sheet->isEnabled());
    }

    // Without a terminal: the exercise window's Mock exam key asks which exam and starts it; a seed
    // that is no number is told, and nothing starts.
    void startedFromTheExerciseWindow() {
        QTemporaryDir folder;
        Harness h;
        h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        QStringList offered;
        QString seed = QStringLiteral("forty");
        h.trainer().askExam = [&](const QStringList& profiles, const QString&) {
            offered = profiles;
            return std::optional<screens::ExamChoice>(screens::ExamChoice{"src-4plus2", seed, "Bo"});
        };
        h.click("cmdExercises");
        QPushButton* key = h.c().exercises->window()->findChild<QPushButton*>("cmdExerciseExam");
        QVERIFY(key);
        key->click();
        QVERIFY(offered.contains("src") && offered.contains("src-4plus2"));
        QCOMPARE(h.messages.texts(), QStringList{"The seed is a whole number, not 'forty'."});
        QVERIFY(!h.trainer().examRun().running());
        seed = QStringLiteral("77");
        key->click();
        QCOMPARE(h.trainer().examRun().phase(), ExamRun::Phase::Familiarisation);
        QCOMPARE(h.trainer().examRun().plan().seed, quint64(77));
        QCOMPARE(h.trainer().examRun().record().candidate, QStringLiteral("Bo"));
    }

    // The exam's time runs out in the first card: that attempt ends timed out, the card after it is
    // failed for the time, and the record is written all the same.
    void theTimeRunsOut() {
        QTemporaryDir folder;
        Harness h;
        h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        ExamRun& run = h.trainer().examRun();
        const exam::Profile p = profile(0, 300, 1);
        QCOMPARE(run.start(p, plan(p), "Ann"), QString());
        QCOMPARE(run.phase(), ExamRun::Phase::Card);
        h.advance(299000);
        QCOMPARE(window(h)->status->text(), QStringLiteral("Card 1 of 2: 0:01 left"));
        h.advance(2000);
        QCOMPARE(run.phase(), ExamRun::Phase::Over);
        const exam::RecordRead read = exam::readRecordFile(run.recordPath());
        QCOMPARE(read.integrity, exam::Integrity::Intact);
        QCOMPARE(read.record.cards[1].attempts.size(), size_t(1));
        QVERIFY(read.record.cards[1].attempts[0].critical.join(' ').startsWith("time-out"));
        QCOMPARE(read.record.result, QStringLiteral("failed"));
    }

    // The trainer closed in the middle of a card: the record is written all the same, the card on
    // show failed for it and the card after it named as never given.
    void closedMidExam() {
        QTemporaryDir folder;
        {
            Harness h;
            h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
            const exam::Profile p = profile(0, 0, 1);
            QCOMPARE(h.trainer().examRun().start(p, plan(p), "Ann"), QString());
            h.advance(5000);
        }
        const QStringList records = QDir(folder.path()).entryList({QStringLiteral("*.exam.json")});
        QCOMPARE(records.size(), 1);
        const exam::RecordRead read = exam::readRecordFile(folder.filePath(records[0]));
        QCOMPARE(read.integrity, exam::Integrity::Intact);
        QCOMPARE(read.record.cards[0].attempts.at(0).critical.last(),
                 QStringLiteral("ended: the trainer was closed before the card was done"));
        QCOMPARE(read.record.cards[1].attempts.at(0).critical,
                 QStringList{QStringLiteral("not given: the trainer was closed before this card was given")});
        QCOMPARE(read.record.result, QStringLiteral("failed"));
    }
};

TRAINER_TEST_MAIN(MockExamTest)
#include "tst_mockexam.moc"
