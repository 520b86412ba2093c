// A mock exam for a class, through a private Mosquitto broker on loopback: the instructor starts
// it from the Class stations window, both trainees' trainers run it (on virtual time), their
// progress and result records come back, an override without a reason is refused and one with a
// reason kept in the record, sealed again, and the saved results hold both trainees.
#include "app/ClassExam.h"
#include "app/ClassroomSession.h"
#include "app/ExamRun.h"
#include "classroom/ClassTools.h"
#include "classroom/Link.h"
#include "classroom/TestBroker.h"
#include "exam/Record.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Recorder.h"
#include "screens/ClassExamPanel.h"
#include "screens/StationList.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

constexpr int kWait = 30000; // generous: the machine may be busy with other work
const QString kBreeze = QStringLiteral("316000001"), kDancer = QStringLiteral("316000002");

// One trainer of the class; a trainee's records its lesson, which its exam is marked from.
struct Seat {
    Seat(quint16 port, const QString& mmsi, const QString& name, bool instructor = false) {
        if (!instructor) h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        classroom::Settings s = classtools::onLoopback(port, mmsi, name);
        s.instructor = instructor;
        ClassroomSession::join(h.c(), s);
        session().link()->setBackoff(100, 800);
    }
    ClassroomSession& session() { return *h.c().classroom; }
    ExamRun* run() {
        ExamDoor* door = ExamDoor::of(h.c().form);
        return door && door->run ? door->run() : nullptr;
    }
    // Marks each card given as done, until the exam is over.
    void sitExam() {
        run()->beginCards();
        for (int n = 0; n < 20 && run()->phase() == ExamRun::Phase::Card; ++n) {
            h.advance(20000);
            run()->cardDone();
        }
    }
    QTemporaryDir folder;
    Harness h;
};

QString cell(const screens::ClassExamPanel& panel, const QString& mmsi, int col) {
    for (int row = 0; row < panel.table->rowCount(); ++row)
        if (panel.table->item(row, screens::ClassExamPanel::Trainee)->text().contains(mmsi))
            return panel.table->item(row, col)->text();
    return {};
}

} // namespace

class TestClassExam : public QObject {
    Q_OBJECT
private slots:
    void examThroughTheClass() {
        TestBroker broker;
        QVERIFY(broker.start());
        Seat instructor(broker.port(), QStringLiteral("003669927"), QStringLiteral("Boston Coast Guard"), true);
        Seat breeze(broker.port(), kBreeze, QStringLiteral("Sea Breeze"));
        Seat dancer(broker.port(), kDancer, QStringLiteral("Wave Dancer"));
        classroom::Link& link = *instructor.session().link();
        QVERIFY(QTest::qWaitFor([&] {
            const QList<classroom::StationStatus> all = link.stations();
            return std::count_if(all.begin(), all.end(), [](const classroom::StationStatus& s) { return s.online && !s.instructor; }) == 2;
        }, kWait));

        screens::ClassExamPanel& panel = *instructor.session().stations()->exam;
        ClassExam& exam = *instructor.session().exam();
        QTemporaryDir received, saved;
        exam.setFolder(received.path());
        panel.askExam = [] { return screens::ClassExamPanel::Choice{QStringLiteral("src"), true, 42}; };
        panel.start->click();

        // Each trainee's trainer runs it as its candidate; where it stands reaches the instructor.
        for (Seat* s : {&breeze, &dancer}) {
            QVERIFY(QTest::qWaitFor([&] { return s->run() && s->run()->running(); }, kWait));
            QCOMPARE(quint64(s->run()->plan().seed), quint64(42));
        }
        QVERIFY(QTest::qWaitFor([&] { return cell(panel, kDancer, screens::ClassExamPanel::Phase) == "Getting to know the radio"; }, kWait));
        breeze.run()->beginCards();
        QVERIFY(QTest::qWaitFor([&] { return cell(panel, kBreeze, screens::ClassExamPanel::Phase).startsWith("Card 1 of 6"); }, kWait));
        QCOMPARE(cell(panel, kBreeze, screens::ClassExamPanel::Exam), QStringLiteral("src, seed 42"));

        // The trainees finish; their records come back sealed.
        breeze.sitExam();
        dancer.sitExam();
        QVERIFY(QTest::qWaitFor([&] { return !exam.recordPath(kBreeze).isEmpty() && !exam.recordPath(kDancer).isEmpty(); }, kWait));
        const exam::RecordRead got = exam::readRecordFile(exam.recordPath(kBreeze));
        QCOMPARE(got.integrity, exam::Integrity::Intact);
        QCOMPARE(got.record.candidate, QStringLiteral("Sea Breeze"));
        QCOMPARE(got.record.cards.size(), size_t(6));

        // An override of the first attempt: refused without a reason, kept with one.
        panel.table->selectRow(0); // the rows go by MMSI: Sea Breeze first
        panel.attempts->setCurrentRow(0);
        panel.overrideKey->click();
        QCOMPARE(panel.status->text(), QStringLiteral("An override needs the reason written down."));
        QVERIFY(exam::readRecordFile(exam.recordPath(kBreeze)).record.overrides.empty());
        panel.reason->setText(QStringLiteral("The position was given right, heard on the recording"));
        panel.overrideKey->click();
        const exam::RecordRead overridden = exam::readRecordFile(exam.recordPath(kBreeze));
        QCOMPARE(overridden.integrity, exam::Integrity::Intact);
        QCOMPARE(int(overridden.record.overrides.size()), 1);
        QCOMPARE(overridden.record.overrides[0].card, 1);
        QCOMPARE(overridden.record.overrides[0].mark, QStringLiteral("passed"));

        // Save results: a sheet and record for each, and one CSV line each.
        panel.askFolder = [&] { return saved.path(); };
        panel.save->click();
        QFile csv(saved.filePath("results.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith("Sea Breeze,src,42,") && lines[1].endsWith(",1"));
        QVERIFY(lines[2].startsWith("Wave Dancer,src,42,") && lines[2].endsWith(",0"));
        QVERIFY(QFile::exists(saved.filePath(kBreeze + "/sheet.html")));
        QVERIFY(QFile::exists(saved.filePath(kDancer + "/sheet.html")));
    }
};

TRAINER_TEST_MAIN(TestClassExam)
#include "tst_classexam.moc"
