// Exercises: a file's problem told by file, line and problem; every shipped exercise worked in the
// real window, once right and once with a typical mistake, with the verdicts the trainer gives.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "lessons/Exercise.h"
#include "lessons/ExerciseRun.h"
#include "voice/Say.h"
#include "screens/ExercisePanel.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTemporaryDir>

namespace {

// A trainee's steps, separated by ";":
//   tune 68              the knob clicked up until the display shows the channel
//   16                   the 16/9 key
//   call Urgency         the Call key, then that line of the call list
//   dir Blue Crane       the directory line holding the words
//   group 7              that line of the group list
//   enter                the Enter key
//   nature Fire          a short press of Distress, then the nature from its list
//   distress             Distress held down for five and a half seconds
//   mmsi 316987654       the entry in the DSC menu (MMSI#, Position, Time), then Enter
//   position 41432070129
//   time 1345
//   ack                  Acknowledge on the Coast Guard display
//   bc Unable to Comply  Enter on The Blue Crane's panel, then that reply
//   reason Busy          that reason on The Blue Crane's panel, then its Enter
//   wait 90              ninety seconds pass
//   say mayday once      that phrase of voice/Phrases.h spoken with the talk key held
//   stop                 Stop on the exercise window
// Returns what could not be done, empty when every step was.
QString play(Harness& h, const QString& steps) {
    for (const QString& step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString verb = step.trimmed().section(QLatin1Char(' '), 0, 0);
        const QString arg = step.trimmed().section(QLatin1Char(' '), 1);
        auto entry = [&](const char* item, const char* field) {
            h.openMenuItem(QString::fromLatin1(item));
            h.key(QString::fromLatin1(field), Qt::Key_A, Qt::ControlModifier);
            h.type(QString::fromLatin1(field), arg);
            h.click("cmdEnter");
        };
        if (verb == "tune") {
            if (!h.tuneTo(arg)) return "cannot tune to " + arg;
        } else if (verb == "16") {
            h.click("cmd16");
        } else if (verb == "call") {
            h.click("cmdCall");
            h.chooseItem("lstCall", arg);
        } else if (verb == "dir") {
            const QStringList lines = h.items("lstDirectory");
            const qsizetype row = lines.indexOf(QRegularExpression(".*" + QRegularExpression::escape(arg) + ".*"));
            if (row < 0) return "no directory line with " + arg;
            h.chooseItem("lstDirectory", int(row));
        } else if (verb == "group") {
            h.chooseItem("lstGroup", arg.toInt());
        } else if (verb == "enter") {
            h.click("cmdEnter");
        } else if (verb == "nature") {
            h.hold("cmdDistress", 500);
            h.chooseCombo("ComboMessage", arg);
        } else if (verb == "distress") {
            h.hold("cmdDistress", 5500);
        } else if (verb == "mmsi") {
            entry("MMSI#", "txtMMSI");
        } else if (verb == "position") {
            entry("Position", "txtLatLon");
        } else if (verb == "time") {
            entry("Time", "txtTime");
        } else if (verb == "ack") {
            h.click("cmdAcknowledge");
        } else if (verb == "bc") {
            h.click("cmdBCEnter");
            h.chooseItem("lstBC", arg);
        } else if (verb == "reason") {
            h.chooseItem("lstBC2", arg);
            h.click("cmdBCEnter");
        } else if (verb == "wait") {
            h.advance(arg.toInt() * 1000);
        } else if (verb == "say") {
            voicetest::say(h, voicetest::spokenCase(arg));
        } else if (verb == "stop") {
            h.click(h.c().exercises->window()->stop);
        } else {
            return "unknown step " + step;
        }
    }
    return {};
}

QStringList results(ExercisePanel& panel) {
    QStringList out;
    for (int row = 0; row < panel.window()->tasks->rowCount(); ++row)
        out << panel.window()->tasks->item(row, ExercisePanel::Result)->text();
    return out;
}

} // namespace

class ExercisesTest : public QObject {
    Q_OBJECT
private slots:
    void fileProblems_data() {
        QTest::addColumn<QByteArray>("json"); // empty: a file that is not there
        QTest::addColumn<QString>("problem");
        const QByteArray head = "{\n  \"title\": \"Fire\",\n  \"tasks\": [\n";
        QTest::newRow("no file") << QByteArray() << "fire.json: cannot be read: No such file or directory";
        QTest::newRow("syntax") << QByteArray("{\n  \"title\": \"Fire\"\n  \"tasks\": []\n}")
                                << "fire.json line 3: unterminated object";
        QTest::newRow("no tasks") << QByteArray("{\n  \"title\": \"Fire\",\n  \"tasks\": []\n}")
                                  << "fire.json line 3: the exercise has no tasks";
        QTest::newRow("unknown kind")
            << head + "    { \"title\": \"Alert\",\n      \"expect\": { \"kind\": \"distress\" } },\n"
                      "    { \"title\": \"Ack\",\n      \"expect\": { \"kind\": \"distres\" } }\n  ]\n}"
            << "fire.json line 7: task 2 has an unknown kind 'distres'";
        QTest::newRow("unknown nature")
            << head + "    { \"title\": \"Alert\",\n      \"expect\": { \"kind\": \"distress\",\n"
                      "                  \"nature\": \"Fyre\" } }\n  ]\n}"
            << "fire.json line 6: task 1 has an unknown nature 'Fyre'";
        QTest::newRow("field the kind lacks")
            << head + "    { \"title\": \"Warn\", \"expect\": { \"kind\": \"safety\", \"nature\": \"Fire\" } }\n  ]\n}"
            << "fire.json line 4: task 1: a 'safety' answer carries no nature";
        QTest::newRow("short MMSI")
            << head + "    { \"title\": \"Call\",\n"
                      "      \"expect\": { \"kind\": \"individual\", \"to\": \"36623232\" } }\n  ]\n}"
            << "fire.json line 5: task 1: 'to' must be an MMSI of nine digits, not '36623232'";
        QTest::newRow("task without title")
            << head + "    { \"expect\": { \"kind\": \"safety\" } }\n  ]\n}" << "fire.json line 4: task 1 has no title";
        QTest::newRow("manual position with the GPS on")
            << QByteArray("{ \"title\": \"MOB\",\n  \"start\": { \"gps\": true,\n"
                          "    \"position\": \"L41°43.2'N  Lo070°12.9'W\" },\n"
                          "  \"tasks\": [ { \"title\": \"Alert\", \"expect\": { \"kind\": \"distress\" } } ] }")
            << "fire.json line 2: start: a position or time is entered by hand, which needs \"gps\": false";
        QTest::newRow("element the procedure lacks")
            << head + "    { \"title\": \"Warn\", \"expect\": { \"kind\": \"voice\", \"procedure\": \"securite\",\n"
                      "      \"elements\": [\"called\",\n                   \"persons\"] } }\n  ]\n}"
            << "fire.json line 6: task 1: a securite has no element 'persons' (securite-count, called, this-is, own-name, "
               "message, ending)";
        QTest::newRow("unknown plan")
            << QByteArray("{ \"title\": \"Fire\",\n  \"start\": {\n    \"plan\": \"Mexico\" },\n"
                          "  \"tasks\": [ { \"title\": \"Alert\", \"expect\": { \"kind\": \"distress\" } } ] }")
            << "fire.json line 3: start has an unknown plan 'Mexico' (USA, Canada or International)";
    }
    void fileProblems() {
        QFETCH(QByteArray, json);
        QFETCH(QString, problem);
        const auto loaded = json.isEmpty() ? lessons::loadExercise("/nowhere/fire.json")
                                           : lessons::parseExercise(json, "fire.json");
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error(), problem);
    }

    void shippedExercises_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("verdicts");
        struct Row {
            const char *file, *how, *steps;
            QStringList verdicts;
        };
        const Row rows[] = {
            {"01-fire", "right", "nature Fire; distress; ack; say mayday; call Urgency; enter",
             {"done", "done", "done", "done"}},
            {"01-fire", "wrong nature, no position said",
             "nature Flooding; distress; ack; say mayday twice, no position; call Urgency; enter",
             {"wrong: nature: Flooding, expected Fire", "done", "wrong: no position given", "done"}},
            {"02-man-overboard-no-gps", "right", "position 41432070129; time 1345; nature MOB; distress; say mayday once",
             {"done", "done"}},
            {"02-man-overboard-no-gps", "no time entered", "position 41432070129; nature MOB; distress; stop",
             {"wrong: time: none, expected 13:45", "not answered"}},
            {"03-engine-failure-urgency", "right", "16; call Urgency; enter; say pan pan", {"done", "done"}},
            {"03-engine-failure-urgency", "left on 68", "call Urgency; enter; stop",
             {"wrong: channel: 68, expected 16", "not answered"}},
            {"04-container-safety", "right", "call Safety; enter; say securite", {"done", "done"}},
            {"04-container-safety", "too slow", "wait 55; call Safety; enter; stop",
             {"wrong: took 62 s, limit 60 s", "not answered"}},
            {"05-all-ships-regatta", "right", "tune 72; call All Ships; enter", {"done"}},
            {"05-all-ships-regatta", "safety instead", "tune 72; call Safety; enter",
             {"wrong: kind: safety, expected all-ships"}},
            {"06-blue-crane", "right", "tune 68; call Routine; dir Blue Crane; enter; bc Unable to Comply; reason Busy",
             {"done", "done"}},
            {"06-blue-crane", "another reason",
             "tune 68; call Routine; dir Blue Crane; enter; bc Unable to Comply; reason No Operator",
             {"done", "wrong: reason: No Operator, expected Busy"}},
            {"07-coast-station", "right", "tune 22A; call Routine; dir Coast Guard; enter; ack", {"done", "done"}},
            {"07-coast-station", "on channel 16", "call Routine; dir Coast Guard; enter; ack",
             {"wrong: channel: 16, expected 22A", "wrong: channel: 16, expected 22A"}},
            {"08-group-call", "right", "tune 72; call Group; group 7; enter", {"done"}},
            {"08-group-call", "another group", "tune 72; call Group; group 0; enter",
             {"wrong: to: 036600001, expected 036600003"}},
            {"09-position-and-polling", "right",
             "call Request Position; dir Blue Crane; enter; call Polling; dir Blue Crane; enter", {"done", "done"}},
            {"09-position-and-polling", "position of the coast station, then stopped",
             "call Request Position; dir Coast Guard; enter; stop",
             {"wrong: to: 003669927, expected 366232323", "not answered"}},
            {"10-new-mmsi", "right", "mmsi 316987654; tune 68; call Routine; dir Coast Guard; enter", {"done", "done"}},
            {"10-new-mmsi", "digits swapped", "mmsi 316987645; tune 68; call Routine; dir Coast Guard; enter",
             {"wrong: mmsi: 316987645, expected 316987654", "wrong: from: 316987645, expected 316987654"}},
        };
        for (const Row& r : rows)
            QTest::addRow("%s, %s", r.file, r.how) << QString(r.file) << QString(r.steps) << r.verdicts;
    }
    // Opened by the Exercises key and the window's Open..., worked on the radio, checked as it goes.
    void shippedExercises() {
        QFETCH(QString, file);
        QFETCH(QString, steps);
        QFETCH(QStringList, verdicts);
        Harness h;
        ExercisePanel& panel = *h.c().exercises;
        panel.askOpenPath = [&] { return QDir(VHF_BUILD_EXERCISES_DIR).filePath(file + ".json"); };
        h.click("cmdExercises");
        h.click(panel.window()->open);
        QCOMPARE(panel.window()->score->text(),
                 QString("Running: 0 of %1 tasks answered").arg(verdicts.size()));
        const QString failed = play(h, steps);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QCOMPARE(results(panel), verdicts);
        QCOMPARE(panel.window()->score->text(),
                 QString("Score: %1 of %2").arg(verdicts.count("done")).arg(verdicts.size()));
    }

    // The exercises that come with the trainer are listed by title with their briefing's first line;
    // a double click or Return on one starts it.
    void shippedListStartsAnExercise_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("double click") << true;
        QTest::newRow("Return") << false;
    }
    void shippedListStartsAnExercise() {
        QFETCH(bool, doubleClick);
        Harness h;
        h.click("cmdExercises");
        ExercisePanel& panel = *h.c().exercises;
        QTreeWidget* list = panel.window()->shipped;
        QCOMPARE(list->topLevelItemCount(), int(QDir(VHF_BUILD_EXERCISES_DIR).entryList({"*.json"}).size()));
        const QList<QTreeWidgetItem*> found = list->findItems("Engine failure", Qt::MatchStartsWith, 0);
        QCOMPARE(found.size(), 1);
        QTreeWidgetItem* item = found.first();
        const QString briefing = lessons::loadExercise(lessons::findExercise("03-engine-failure-urgency")).value().briefing;
        QCOMPARE(item->text(1), briefing.section('\n', 0, 0));
        QVERIFY(!panel.run().checker());
        list->setFocus();
        list->setCurrentItem(item);
        const QPoint at = list->visualItemRect(item).center();
        if (doubleClick) {
            // As the window system gives it: a click, then the second press as a double click and its release.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            const QPointF global = list->viewport()->mapToGlobal(QPointF(at));
            QMouseEvent twice(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &twice);
            QMouseEvent up(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &up);
        } else {
            QTest::keyClick(list, Qt::Key_Return);
        }
        QVERIFY(panel.run().checker() && !panel.run().checker()->finished());
        QCOMPARE(panel.window()->title->text(), item->text(0));
        QCOMPARE(panel.window()->score->text(), "Running: 0 of 2 tasks answered");
        QCOMPARE(play(h, "16; call Urgency; enter"), QString());
        QCOMPARE(panel.window()->score->text(), "Running: 1 of 2 tasks answered");
    }

    // A spoken transmission answers the voice task of its procedure as it goes on the air: done, or
    // wrong in words. Its limit of 60 s runs from the answer to the task before it (an MMSI, at 10 s).
    void voiceTasks_data() {
        QTest::addColumn<QString>("phrase"); // "": nothing understood
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("at");         // seconds; below 0: said before the MMSI was set
        QTest::addColumn<QString>("result");
        QTest::newRow("done") << "mayday" << "16" << 50 << "done";
        QTest::newRow("no position given") << "mayday twice, no position" << "16" << 50 << "wrong: no position given";
        QTest::newRow("wrong channel") << "mayday" << "68" << 50 << "wrong: channel: 68, expected 16";
        QTest::newRow("too late") << "mayday" << "16" << 75 << "wrong: took 65 s, limit 60 s";
        QTest::newRow("before the task it follows") << "mayday" << "16" << -100 << "done";
        QTest::newRow("another procedure") << "pan pan" << "16" << 50 << "wrong: procedure: pan-pan, expected mayday";
        QTest::newRow("nothing understood") << "" << "16" << 50 << "open";
    }
    void voiceTasks() {
        QFETCH(QString, phrase);
        QFETCH(QString, channel);
        QFETCH(int, at);
        QFETCH(QString, result);
        const auto x = lessons::parseExercise(R"({ "title": "Fire", "tasks": [
            { "title": "New MMSI", "expect": { "kind": "own-mmsi", "mmsi": "316987654" } },
            { "title": "MAYDAY", "timeLimit": 60,
              "expect": { "kind": "voice", "procedure": "mayday", "channel": "16", "elements": ["position", "nature"] } } ] })",
                                              "fire.json");
        lessons::Checker checker(x.value(), 0);
        if (at > 0) checker.ownMmsi("316987654", 10000);
        air::VoiceTransmission t;
        t.channel = channel;
        t.words = phrase.isEmpty() ? QString("good morning") : voicetest::wordsOf(voicetest::spokenCase(phrase).text);
        const voice::Judgement j = voice::judge(t.words, voicetest::kelpo());
        t.procedure = voice::kindName(j.kind);
        for (const voice::Element& e : j.elements) t.verdicts.append({e.id, e.ok, e.verdict, e.unclear});
        QCOMPARE(checker.voice(t, std::abs(at) * 1000), -1); // a station's voice answers nothing
        t.fromOwnRadio = true;
        QCOMPARE(checker.voice(t, std::abs(at) * 1000), phrase.isEmpty() ? -1 : 1);
        QCOMPARE(checker.resultText(1), result);
    }

    // An element that counts, not heard clearly, neither passes nor fails the task: it stays open and
    // asks for it again, and the next transmission decides. One that does not count is no matter.
    void unclearVoiceTask_data() {
        QTest::addColumn<QString>("unclear"); // the element heard unclearly
        QTest::addColumn<QString>("first");   // the result after that transmission
        QTest::newRow("position") << "position" << "Not heard clearly: say again your position";
        QTest::newRow("an element that does not count") << "persons" << "done";
    }
    void unclearVoiceTask() {
        QFETCH(QString, unclear);
        QFETCH(QString, first);
        const auto x = lessons::parseExercise(R"({ "title": "Fire", "tasks": [
            { "title": "MAYDAY", "expect": { "kind": "voice", "procedure": "mayday", "elements": ["position", "nature"] } } ] })",
                                              "fire.json");
        lessons::Checker checker(x.value(), 0);
        air::VoiceTransmission t;
        t.channel = "16";
        t.fromOwnRadio = true;
        t.words = voicetest::wordsOf(voicetest::spokenCase("mayday").text);
        const voice::Judgement j = voice::judge(t.words, voicetest::kelpo());
        t.procedure = voice::kindName(j.kind);
        for (const voice::Element& e : j.elements) t.verdicts.append({e.id, e.ok, e.verdict, e.unclear});
        air::VoiceTransmission blurred = t;
        for (air::VoiceVerdict& v : blurred.verdicts)
            if (v.element == unclear) v = {v.element, false, v.element + QStringLiteral(" not heard clearly"), true};
        QCOMPARE(checker.voice(blurred, 20000), 0);
        QCOMPARE(checker.resultText(0), first);
        QCOMPARE(checker.finished(), first == "done");
        QCOMPARE(checker.voice(t, 30000), first == "done" ? -1 : 0);
        QCOMPARE(checker.resultText(0), QString("done"));
    }

    // The radio as the exercise's start sets it up, or the start it cannot take.
    void startState_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QStringList>("radio"); // plan, channel, GPS, manual time, position line
        QTest::addColumn<QString>("problem");
        QTest::newRow("plan and channel") << QByteArray(R"({ "plan": "International", "channel": "72" })")
                                          << QStringList{"INT", "72", "off", "##:##", ""} << "";
        QTest::newRow("GPS on, a channel below 16")
            << QByteArray(R"({ "gps": true, "plan": "Canada", "channel": "6" })")
            << QStringList{"CAN", "06", "on", "##:##", "L42°21.0'N  Lo070°55.7'W"} << "";
        QTest::newRow("manual position and time")
            << QByteArray(R"({ "position": "L41°43.2'N  Lo070°12.9'W", "time": "12:34" })")
            << QStringList{"USA", "16", "off", "12:34", "L41°43.2'N  Lo070°12.9'W"} << "";
        QTest::newRow("a channel the plan lacks") << QByteArray("{ \"plan\": \"INT\",\n  \"channel\": \"22A\" }")
                                                  << QStringList{"INT", "16", "off", "##:##", ""}
                                                  << "start.json line 3: channel 22A is not on the INT plan";
    }
    void startState() {
        QFETCH(QByteArray, start);
        QFETCH(QStringList, radio);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QFile f(dir.filePath("start.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{ \"title\": \"Start\",\n  \"start\": " + start +
                ",\n  \"tasks\": [ { \"title\": \"Warn\", \"expect\": { \"kind\": \"safety\" } } ] }");
        f.close();
        Harness h;
        QCOMPARE(h.c().exercises->open(f.fileName()), problem);
        QCOMPARE((QStringList{h.c().s.ChannelPlan, h.designator(), h.ui().GPSOn->isChecked() ? "on" : "off",
                              h.text("txtTime"), h.text("lblLatLon")}),
                 radio);
    }

    // A file that cannot be used says why in the window and on return; the radio and the exercise
    // that was running go on.
    void aBadFileLeavesTheExerciseRunning() {
        QTemporaryDir dir;
        const QString bad = dir.filePath("typo.json");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{ \"title\": \"Typo\",\n"
                "  \"tasks\": [ { \"title\": \"Warn\", \"expect\": { \"kind\": \"safty\" } } ] }");
        f.close();
        Harness h;
        ExercisePanel& panel = *h.c().exercises;
        QCOMPARE(panel.open(QDir(VHF_BUILD_EXERCISES_DIR).filePath("04-container-safety.json")), QString());
        const QString problem = "typo.json line 2: task 1 has an unknown kind 'safty'";
        QCOMPARE(panel.open(bad), problem);
        QVERIFY(panel.window()->score->text().startsWith(problem));
        QCOMPARE(play(h, "call Safety; enter"), QString());
        QCOMPARE(results(panel), (QStringList{"done", "open"}));
    }
};

TRAINER_TEST_MAIN(ExercisesTest)
#include "tst_exercises.moc"
