// The Lessons window: the recorded lessons listed with their length, exercise, calls and
// transmissions, each debriefed, replayed by the program itself and deleted from a click.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Exercise.h"
#include "lessons/Recorder.h"
#include "screens/ExercisePanel.h"
#include "screens/LessonsWindow.h"

#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>

class LessonsWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The Lessons key lists this run's lesson, and again once it has ended; the chosen lesson's
    // debrief and replay are a click away, and Delete asks first.
    void lessonsWindowDebriefsReplaysAndDeletes() {
        QTemporaryDir folder;
        Harness h;
        h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
        QVERIFY(h.c().lesson);
        const QString lesson = h.c().lesson->path();
        const QString begun = h.c().clock.now().toString("yyyy-MM-dd HH:mm:ss");
        const qint64 begunMs = h.now();
        h.click("cmdLessons");
        auto* w = qobject_cast<screens::LessonsWindow*>(h.find("frmLessons"));
        QVERIFY(w && w->isVisible());
        QTableWidget* list = w->list;
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->item(0, screens::LessonsWindow::When)->text(), begun + " (recording)");
        QCOMPARE(h.c().exercises->open(lessons::findExercise("01-fire")), QString());
        h.hold("cmdDistress", 500);
        h.chooseCombo("ComboMessage", "Fire");
        h.hold("cmdDistress", 5500);
        h.click("cmdAcknowledge");
        h.advance(2000);
        const qint64 seconds = (h.now() - begunMs + 500) / 1000;
        h.c().lesson.reset(); // the lesson ends: the window reads it again
        auto cells = [list](int row) {
            QStringList out;
            for (int col = 0; col < screens::LessonsWindow::ColumnCount; ++col) out << list->item(row, col)->text();
            return out;
        };
        QCOMPARE(cells(0), QStringList({begun, QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0')),
                                        "Fire on board", "1", "0"}));
        QVERIFY(w->folderSize->text().contains(" of 50.0 MB"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0, 0)).center());
        QCOMPARE(w->chosen(), lesson);

        w->askDebriefPath = [&] { return folder.filePath("debrief.html"); };
        h.click(w->debriefKey);
        QCOMPARE(w->status->text(), "Debrief written to " + folder.filePath("debrief.html"));
        QFile page(folder.filePath("debrief.html"));
        QVERIFY(page.open(QIODevice::ReadOnly) && page.size() > 0);
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains("<b>Sent</b> (distress):</span> Distress alert"));
        QVERIFY(html.contains("Send a distress alert"));

        // The program itself replays it, as fast as it goes, and draws the picture the folder lacks.
        QVERIFY(QFile::remove(lessons::picturePath(lesson, 1)));
        QProcess replay;
        replay.setProcessChannelMode(QProcess::MergedChannels);
        w->startProgram = [&replay](const QStringList& arguments) {
            replay.start(VHF_TRAINER_PROGRAM, arguments + QStringList{"--speed", "max", "--quit-at-end"});
            return replay.waitForStarted();
        };
        h.click(w->replayKey);
        QVERIFY(replay.waitForFinished(300000));
        const QByteArray said = replay.readAll();
        QVERIFY2(replay.exitCode() == 0, said.constData());
        QVERIFY2(QImage(lessons::picturePath(lesson, 1)).width() > 400, said.constData());

        const QString question = "Delete the lesson of " + begun + " with its pictures and voice?";
        h.messages.answer = false;
        h.click(w->deleteKey);
        QCOMPARE(h.messages.texts(), QStringList{question});
        QVERIFY(QFile::exists(lesson));
        h.messages.answer = true;
        h.click(w->deleteKey);
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"debrief.html"});
    }
};

TRAINER_TEST_MAIN(LessonsWindowTest)
#include "tst_lessonswindow.moc"
