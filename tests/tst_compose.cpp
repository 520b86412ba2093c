// Composing a call: the Call key, the call-type list, the addressee and the order in which one
// Enter press sends the pending calls.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "dsc/CallComposer.h"
#include "platform/Controls.h"

#include <QLineEdit>

namespace {

const QString kBlueCraneLine = QStringLiteral("The Blue Crane            366232323");
const QString kVoxLine = QStringLiteral("Vox's Sweetness        367010203");
const QString kRefusal = QStringLiteral("A MMSI# or a Directory entry must be chosen!");

QStringList playedFiles(Harness& h) {
    QStringList out;
    for (const auto& p : h.sound.plays) out << p.file;
    return out;
}

qint64 firstPlayOf(Harness& h, const QString& file, qint64 from = 0) {
    for (const auto& p : h.sound.plays)
        if (p.file == file && p.startMs >= from) return p.startMs;
    return -1;
}

} // namespace

class ComposeTest : public QObject {
    Q_OBJECT
private slots:
    // The Call key puts the channel display back, hides the status line and opens the list.
    void callKeyOpensTheList() {
        Harness h;
        h.click("cmdMenu");
        QVERIFY(h.visible("lstMenu"));
        h.click("cmdCall");
        QVERIFY(h.visible("lstCall"));
        QVERIFY(h.find("lstCall")->hasFocus());
        QVERIFY(!h.visible("lblStatus"));
        QVERIFY(!h.visible("lstMenu"));
        QVERIFY(!h.visible("lblMenu"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
    }

    // Each call type: the field it sets and what stays open.
    void callTypes_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("pending"); // the call-type field set, as "Field=Value"
        QTest::addColumn<bool>("listOpen");
        QTest::addColumn<bool>("directory");
        QTest::addColumn<bool>("group");
        QTest::newRow("1") << 1 << "Urgency" << "CallTypeUrgency=Urgency" << true << false << false;
        QTest::newRow("2") << 2 << "Safety" << "CallTypeSafety=Safety" << true << false << false;
        QTest::newRow("3") << 3 << "Routine" << "CallTypeRoutine=Routine" << false << true << false;
        QTest::newRow("4") << 4 << "Group" << "CallTypeGroup=Group" << false << false << true;
        QTest::newRow("5") << 5 << "Request Position" << "CallTypeRequest=Request" << false << true << false;
        QTest::newRow("6") << 6 << "Polling" << "CallTypePolling=Polling" << false << true << false;
        QTest::newRow("7") << 7 << "All Ships" << "CallTypeAllShips=AllShips" << true << false << false;
    }
    void callTypes() {
        QFETCH(int, row);
        QFETCH(QString, item);
        QFETCH(QString, pending);
        QFETCH(bool, listOpen);
        QFETCH(bool, directory);
        QFETCH(bool, group);
        Harness h;
        // The Directory menu lifts the limit of the MMSI box; an addressed call puts it back.
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Directory");
        QCOMPARE(ctl::maxLength(h.find<QLineEdit>("txtDirectory")), 0);
        h.click("cmdCall");
        QCOMPARE(h.items("lstCall").at(row), item);
        h.chooseItem("lstCall", row);
        const RadioState& s = h.c().s;
        const QMap<QString, QString> fields{{"CallTypeUrgency", s.CallTypeUrgency}, {"CallTypeSafety", s.CallTypeSafety},
                                            {"CallTypeRoutine", s.CallTypeRoutine}, {"CallTypeGroup", s.CallTypeGroup},
                                            {"CallTypeRequest", s.CallTypeRequest}, {"CallTypePolling", s.CallTypePolling},
                                            {"CallTypeAllShips", s.CallTypeAllShips}};
        const QString field = pending.section('=', 0, 0);
        for (auto it = fields.begin(); it != fields.end(); ++it)
            QCOMPARE(it.value(), it.key() == field ? pending.section('=', 1) : QString());
        QCOMPARE(h.visible("lstCall"), listOpen);
        QCOMPARE(h.visible("lstDirectory"), directory);
        QCOMPARE(h.visible("txtDirectory"), directory);
        QCOMPARE(h.visible("lstGroup"), group);
        if (directory) {
            QVERIFY(h.find("lstDirectory")->isEnabled());
            QCOMPARE(ctl::maxLength(h.find<QLineEdit>("txtDirectory")), 9);
        }
        if (group) QVERIFY(h.find("lstGroup")->isEnabled());
    }

    // "Select, (Enter or Clear)" goes straight back to the channel display and forgets the choices.
    void firstItemReturnsToTheChannelDisplay() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Urgency");
        h.chooseItem("lstCall", 0);
        QVERIFY(!h.visible("lstCall"));
        QVERIFY(h.visible("lblStatus"));
        QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
        QCOMPARE(h.c().s.CallTypeUrgency, QString());
    }

    // The Call key forgets pending types but not a group choice.
    void callKeyKeepsOnlyAGroupChoice() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Urgency");
        h.chooseItem("lstCall", "All Ships");
        h.chooseItem("lstCall", "Group");
        h.click("cmdCall");
        QCOMPARE(h.c().s.CallTypeUrgency, QString());
        QCOMPARE(h.c().s.CallTypeAllShips, QString());
        QCOMPARE(h.c().s.CallTypeGroup, QString("Group"));
    }

    // The addressee: a typed MMSI wins and is taken out of its box; else the last nine characters
    // of the selected directory line; else nothing.
    void addressee_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("called");
        QTest::newRow("The Blue Crane's line") << "" << kBlueCraneLine << "366232323";
        QTest::newRow("another vessel's line") << "" << kVoxLine << "367010203";
        QTest::newRow("typed Coast Guard") << "003669927" << "" << "003669927";
        QTest::newRow("typed second Coast Guard number") << "003669999" << "" << "003669999";
        QTest::newRow("typed wins over a line") << "366232323" << kVoxLine << "366232323";
        QTest::newRow("typed short number") << "1234" << "" << "1234";
        QTest::newRow("none") << "" << "" << "";
    }
    void addressee() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(QString, called);
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Polling"); // no refusal of an empty addressee here
        if (!line.isEmpty()) h.chooseItem("lstDirectory", line);
        if (!typed.isEmpty()) h.type("txtDirectory", typed);
        QCOMPARE(h.c().composer->resolveAddressee(), called);
        QCOMPARE(h.c().s.CalledMMSI, called);
        QCOMPARE(h.text("txtDirectory"), QString());
    }

    // A line added through the Directory menu can be called like the designed ones.
    void addedDirectoryLineCanBeCalled() {
        Harness h;
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Directory");
        h.type("txtDirectory", "Aaron's Tug    366232323");
        h.click("cmdEnter");
        QVERIFY(h.items("lstDirectory").contains("Aaron's Tug    366232323"));
        h.click("cmdCall");
        h.chooseItem("lstCall", "Routine");
        h.chooseItem("lstDirectory", "Aaron's Tug    366232323");
        h.click("cmdEnter");
        QCOMPARE(h.c().s.CalledMMSI, QString()); // cleared at the end of the Enter press
        QCOMPARE(h.text("txtBC2"), QString("Routine"));
        QCOMPARE(h.text("txtBC1"), QString("MMSI # 316123456"));
    }

    // A routine call without an addressee is refused and ends the Enter press: no group call, no
    // closing wait.
    void routineWithoutAddresseeIsRefused() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Group");
        h.chooseItem("lstGroup", 7);
        h.click("cmdCall");
        h.chooseItem("lstCall", "Routine");
        const qint64 t = h.now();
        h.click("cmdEnter");
        QCOMPARE(h.messages.texts(), QStringList{kRefusal});
        QCOMPARE(h.now(), t);
        QVERIFY(h.sound.plays.empty());
        QVERIFY(!h.c().Timer5Second->isEnabled());
        QCOMPARE(h.text("txtBC1"), QString("MMSI#"));
        // The channel display is back; the group choice waits for the next Enter.
        QVERIFY(!h.visible("lstDirectory"));
        QVERIFY(h.visible("lblStatus"));
        QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
        QCOMPARE(h.c().s.CallTypeGroup, QString("Group"));
    }

    // An addressee that is not nine digits reaches nobody: the call is refused with a message and
    // nothing is sent, also where an empty addressee would still go out.
    void malformedAddresseeIsRefused_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("addressee"); // typed, or a directory line ending otherwise
        QTest::newRow("Routine, typed short") << "Routine" << "typed:12345678";
        QTest::newRow("Routine, a line without an MMSI") << "Routine" << "line:Aaron's Tug   channel 72";
        QTest::newRow("Position Request, typed short") << "Request Position" << "typed:1234";
        QTest::newRow("Polling, a line without an MMSI") << "Polling" << "line:Aaron's Tug   channel 72";
    }
    void malformedAddresseeIsRefused() {
        QFETCH(QString, type);
        QFETCH(QString, addressee);
        Harness h;
        if (addressee.startsWith("line:")) {
            h.click("cmdMenu");
            h.chooseItem("lstMenu", "Directory");
            h.type("txtDirectory", addressee.mid(5));
            h.click("cmdEnter");
        }
        h.click("cmdCall");
        h.chooseItem("lstCall", type);
        if (addressee.startsWith("line:")) h.chooseItem("lstDirectory", addressee.mid(5));
        else h.type("txtDirectory", addressee.mid(6));
        h.click("cmdEnter");
        QCOMPARE(h.messages.texts(), QStringList{"The called MMSI # must be 9 digits long"});
        QCOMPARE(h.sound.count("Phone.wav"), 0);
        QVERIFY(!h.text("lblStatus").contains("Transmitted") && !h.text("lblStatus").contains("Waiting"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QVERIFY(!h.visible("lstDirectory"));
    }

    // One Enter press sends Urgency, Safety and Routine, waits its closing period, then All Ships.
    void pendingCallsGoInTheirOrder() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "All Ships");
        h.chooseItem("lstCall", "Safety");
        h.chooseItem("lstCall", "Urgency");
        h.chooseItem("lstCall", "Routine");
        h.chooseItem("lstDirectory", kVoxLine);
        QString closingStatus;
        const qint64 t0 = h.now();
        const qint64 safety = t0 + 1400 + 5000 + 3000;
        const qint64 routine = safety + 600 + 5000 + 1000;
        const qint64 closing = routine + 5 * 500 + 5000 + 1000;
        h.at(closing + 4900, [&] { closingStatus = h.text("lblStatus"); });
        h.click("cmdEnter");
        QStringList expected{"Burglar.wav", "Burglar.wav", "Boing.wav"};
        for (int i = 0; i < 5; ++i) expected << "Phone.wav";
        expected << "Boing.wav";
        QCOMPARE(playedFiles(h), expected);
        QCOMPARE(firstPlayOf(h, "Burglar.wav"), t0);
        QCOMPARE(firstPlayOf(h, "Boing.wav"), safety);
        QCOMPARE(firstPlayOf(h, "Phone.wav"), routine);
        QCOMPARE(firstPlayOf(h, "Boing.wav", routine), closing + 5000); // All Ships after the closing wait
        QCOMPARE(closingStatus, QString("Routine Call Transmitted")); // the routine call's last word
        QCOMPARE(h.c().s.CallTypeUrgency, QString());
        QCOMPARE(h.c().s.CallTypeSafety, QString());
        QCOMPARE(h.c().s.CallTypeAllShips, QString());
    }

    // The closing status: "Routine Call Transmitted" after a routine call, else the channel's name.
    void closingStatus_data() {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QString>("status");
        QTest::newRow("Urgency, Safety, Routine") << QStringList{"Urgency", "Safety", "Routine"}
                                                  << "Routine Call Transmitted";
        QTest::newRow("Safety on 16") << QStringList{"Safety"} << "Calling and Emergency";
        QTest::newRow("Urgency on 16") << QStringList{"Urgency"} << "Calling and Emergency";
        QTest::newRow("nothing chosen") << QStringList{} << "Calling and Emergency";
    }
    void closingStatus() {
        QFETCH(QStringList, types);
        QFETCH(QString, status);
        Harness h;
        h.click("cmdCall");
        for (const QString& t : types) h.chooseItem("lstCall", t);
        if (types.contains("Routine")) h.chooseItem("lstDirectory", kVoxLine);
        const qint64 t0 = h.now();
        h.click("cmdEnter");
        QCOMPARE(h.text("lblStatus"), status);
        QVERIFY(h.visible("lblStatus"));
        QVERIFY(!h.visible("lblTX"));
        QCOMPARE(h.text("lblChannel"), QString("16"));
        if (types.isEmpty()) QCOMPARE(h.now() - t0, 5000); // the closing wait runs on every press
    }

    // The road of a routine call to The Blue Crane: its panel answers "Able to Comply" during the
    // closing wait, and the closing status says so.
    void blueCraneRepliesDuringTheClosingWait() {
        Harness h;
        h.click("cmdCall");
        h.chooseItem("lstCall", "Routine");
        h.chooseItem("lstDirectory", kBlueCraneLine);
        const qint64 closing = h.now() + 5 * 500 + 5000 + 1000;
        h.at(closing + 500, [&] {
            h.click("cmdBCEnter");
            h.chooseItem("lstBC", "Able to Comply");
        });
        h.click("cmdEnter");
        QCOMPARE(h.text("lblStatus"), QString("The Blue Crane Replied"));
        QCOMPARE(h.text("lblBCChannel"), QString("16"));
        QCOMPARE(h.c().s.CallTypeRoutine, QString("RoutineX"));
    }
};

TRAINER_TEST_MAIN(ComposeTest)
#include "tst_compose.moc"
