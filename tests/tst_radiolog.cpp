// The radio log: its window opened from the radio, an entry written and added, kept in the lesson,
// back on the window when the lesson is replayed and in its debrief; and a copied message marked
// against the one that was sent.
#include "exam/CopyMark.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Debrief.h"
#include "lessons/Player.h"
#include "lessons/Recorder.h"
#include "screens/RadioLogWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(lessons::LogEntry)

namespace {

screens::RadioLogWindow* logWindow(Harness& h) { return qobject_cast<screens::RadioLogWindow*>(h.find("frmRadioLog")); }

// Types into a field of the log window as the user does, the field given the focus first.
void typeInto(screens::RadioLogWindow* w, const char* field, const QString& text) {
    auto* edit = w->findChild<QLineEdit*>(field);
    QVERIFY(edit);
    edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(edit, text);
}

// The message a vessel in distress sent, as a log would hold it.
lessons::LogEntry sentMessage() {
    lessons::LogEntry e;
    e.name = "Blue Crane";
    e.callSign = "WDC1234";
    e.mmsi = "366232323";
    e.position = "42°21.3'N 070°48.9'W";
    e.nature = "Fire";
    e.persons = "4";
    e.assistance = "Require immediate assistance";
    e.other = "Abandoning to the life raft, red hull";
    return e;
}

} // namespace

class RadioLogTest : public QObject {
    Q_OBJECT

private slots:
    // The Radio log key and Ctrl+L on the radio both open the window.
    void opensFromTheKeyAndCtrlL() {
        Harness h;
        h.click("cmdRadioLog");
        QVERIFY(logWindow(h) && logWindow(h)->isVisible());
        logWindow(h)->close->click();
        QVERIFY(!logWindow(h)->isVisible());
        h.key("cmdCall", Qt::Key_L, Qt::ControlModifier);
        QVERIFY(logWindow(h)->isVisible());
    }

    // An entry typed and added is listed, goes into the lesson, is in its debrief, and a replay of
    // the lesson writes it in the log again.
    void anEntryIsListedRecordedDebriefedAndReplayed() {
        QTemporaryDir folder;
        QString lesson;
        lessons::LogEntry written;
        {
            Harness h;
            h.c().lesson = lessons::Recorder::start(h.c(), folder.path());
            QVERIFY(h.c().lesson);
            lesson = h.c().lesson->path();
            h.key("cmdCall", Qt::Key_L, Qt::ControlModifier);
            screens::RadioLogWindow* w = logWindow(h);
            auto* time = w->findChild<QLineEdit*>("txtLogTime");
            QVERIFY(QRegularExpression("^\\d\\d:\\d\\d$").match(time->text()).hasMatch());
            typeInto(w, "txtLogChannel", "16");
            w->category->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(w->category, Qt::Key_Down); // from none to the first: Distress
            typeInto(w, "txtLogName", "Blue Crane");
            typeInto(w, "txtLogMmsi", "366232323");
            typeInto(w, "txtLogPosition", "42 21.3 N 70 48.9 W");
            typeInto(w, "txtLogNature", "Fire");
            typeInto(w, "txtLogPersons", "4");
            typeInto(w, "txtLogOperator", "Jo");
            const QString begunAt = time->text();
            h.click(w->addKey);
            QCOMPARE(w->entries().size(), size_t(1));
            written = w->entries().front();
            QCOMPARE(written.time, begunAt);
            QCOMPARE(written.category, QString("Distress"));
            QCOMPARE(written.position, QString("42 21.3 N 70 48.9 W"));
            QCOMPARE(w->list->count(), 1);
            QCOMPARE(w->list->item(0)->text(), written.time + " UTC, 16, Distress: Blue Crane, Fire");
            QCOMPARE(w->findChild<QLineEdit*>("txtLogName")->text(), QString()); // the next entry begun
            // Chosen again, the entry is shown to read.
            h.click(w->newKey);
            w->list->setCurrentRow(0);
            QCOMPARE(w->formEntry(), written);
            QVERIFY(w->findChild<QLineEdit*>("txtLogName")->isReadOnly());
            h.c().lesson.reset();
        }
        // In the lesson as a line of its own.
        lessons::Reader reader(lesson);
        QVERIFY(reader.open());
        std::vector<lessons::LogEntry> kept;
        for (lessons::Entry e; reader.next(e);)
            if (e.kind == "log") kept.push_back(lessons::logEntryFrom(e.json.value("entry").toObject()));
        QCOMPARE(reader.error(), QString());
        QCOMPARE(kept, std::vector<lessons::LogEntry>{written});

        QString problem;
        const QString html = lessons::debriefHtml(lesson, false, &problem);
        QCOMPARE(problem, QString());
        QVERIFY(html.contains("<h2>Radio log</h2>"));
        QVERIFY(html.contains("Wrote in the radio log: " + written.time + " UTC, 16, Distress: Blue Crane, Fire"));
        QVERIFY(html.contains("<td>42 21.3 N 70 48.9 W</td>"));

        Harness replay;
        QStringList reports;
        lessons::Player player(replay.c(), replay.clock, lesson, [&reports](const QString& r) { reports << r; });
        QVERIFY(player.start());
        player.playToEnd();
        QCOMPARE(reports, QStringList());
        QCOMPARE(logWindow(replay)->entries(), std::vector<lessons::LogEntry>{written});
    }

    void copyIsMarked_data() {
        QTest::addColumn<lessons::LogEntry>("copied");
        QTest::addColumn<QStringList>("marks");
        const QStringList allRight{"name right", "call sign right", "MMSI right", "position right", "nature right",
                                   "persons right", "assistance right", "other facts right"};
        lessons::LogEntry right = sentMessage();
        right.name = "BLUE CRANE";
        right.callSign = "wdc 1234";
        right.position = "42.355N 70.815W"; // decimal degrees
        QTest::newRow("right copy") << right << allRight;

        lessons::LogEntry digit = sentMessage();
        digit.position = "42 21.8 N 70 48.9 W";
        QStringList wrongPosition = allRight;
        wrongPosition[3] = "position wrong: position: 42°21.3'N 070°48.9'W, copied 42°21.8'N 070°48.9'W";
        QTest::newRow("a wrong digit of the position") << digit << wrongPosition;

        lessons::LogEntry noPersons = sentMessage();
        noPersons.persons.clear();
        QStringList missing = allRight;
        missing[5] = "persons missing: persons: 4, not copied";
        QTest::newRow("persons missing") << noPersons << missing;

        lessons::LogEntry reworded = sentMessage();
        reworded.assistance = "immediate assistance, require";
        reworded.other = "Red hull; abandoning to life raft";
        QTest::newRow("free text reworded") << reworded << allRight;
    }
    void copyIsMarked() {
        QFETCH(lessons::LogEntry, copied);
        QFETCH(QStringList, marks);
        QStringList got;
        for (const exam::FieldMark& m : exam::markCopy(copied, sentMessage())) {
            static const char* const kMarks[] = {"right", "wrong", "missing"};
            got << QStringLiteral("%1 %2").arg(m.field, QLatin1String(kMarks[m.mark])) +
                       (m.text.isEmpty() ? QString() : ": " + m.text);
        }
        QCOMPARE(got, marks);
    }
};

TRAINER_TEST_MAIN(RadioLogTest)
#include "tst_radiolog.moc"
