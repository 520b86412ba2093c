// The DSC menu: Menu, menu choices, Enter, Clear and the way back to the channel display.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include "dsc/Menu.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"

#include <QApplication>
#include <QLineEdit>

namespace {

const QStringList kChannelDisplay{"lblChannel", "lblPower", "lblMode", "lblSimplex", "lblStatus"};
const QStringList kMenuFace{"lstMenu", "lstReceived", "lstDistress", "lstDirectory", "lstCall", "lstGroup",
                            "txtMMSI", "txtTime", "txtLatLon", "txtUTC", "txtDirectory", "lblMenu",
                            "lblNewMMSI", "lblNewMenu", "lblUTCDifference", "ComboMessage", "lblTX"};

// The channel display with no trace of a menu.
void verifyChannelDisplay(Harness& h) {
    for (const QString& name : kChannelDisplay) QVERIFY2(h.visible(name), qPrintable(name));
    for (const QString& name : kMenuFace) QVERIFY2(!h.visible(name), qPrintable(name));
    QVERIFY(h.c().s.MenuEntry.isEmpty());
}

} // namespace

class MenuTest : public QObject {
    Q_OBJECT
private slots:
    void menuKeyOpensTheMenu() {
        Harness h;
        h.click("cmdMenu");
        QVERIFY(h.visible("lstMenu"));
        QVERIFY(h.visible("lblMenu"));
        QCOMPARE(h.text("lblMenu"), QString("Menu"));
        QVERIFY(!h.visible("lblStatus"));
        for (const QString& name : {"lblChannel", "lblPower", "lblMode", "lblSimplex"})
            QVERIFY2(h.visible(name), name.toLatin1());
        QCOMPARE(h.items("lstMenu"), (QStringList{"Received Calls", "MMSI#", "Time", "Position", "Directory",
                                                   "Set Up", "Exit this menu"}));
    }

    void menuChoice_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Received Calls") << "Received Calls" << "Received Calls" << "" << ""
                                        << QStringList{"lstReceived"} << "";
        QTest::newRow("MMSI#") << "MMSI#" << "" << "MMSI" << "316123456" << QStringList{"txtMMSI", "lblNewMMSI"}
                               << "txtMMSI";
        QTest::newRow("Time") << "Time" << "" << "Time" << "##:##" << QStringList{"txtTime", "lblTime"} << "txtTime";
        QTest::newRow("Position") << "Position" << "" << "Position" << "L##°##.#'N  Lo###°##.#'W"
                                  << QStringList{"txtLatLon"} << "txtLatLon";
        QTest::newRow("Directory") << "Directory" << "Directory" << "Directory" << ""
                                   << QStringList{"lstDirectory", "txtDirectory"} << "txtDirectory";
        QTest::newRow("Set Up") << "Set Up" << "Time Differential" << "UTC" << "#.#"
                                << QStringList{"txtUTC", "lblNewMenu"} << "txtUTC";
    }
    void menuChoice() {
        QFETCH(QString, item);
        QFETCH(QString, heading);
        QFETCH(QString, entry);
        QFETCH(QString, saved);
        QFETCH(QStringList, shown);
        QFETCH(QString, focus);
        Harness h;
        h.openMenuItem(item);
        QVERIFY(!h.visible("lstMenu"));
        QVERIFY(h.visible("lblMenu")); // the heading stays, empty unless the choice names it
        QCOMPARE(h.text("lblMenu"), heading);
        QCOMPARE(h.c().s.MenuEntry, entry);
        QCOMPARE(h.c().s.SavedEntryText, saved);
        for (const QString& name : shown) QVERIFY2(h.visible(name), qPrintable(name));
        if (!focus.isEmpty()) QCOMPARE(QApplication::focusWidget(), h.find(focus));
        QVERIFY(h.messages.texts().isEmpty());
        if (item == "Received Calls") QCOMPARE(h.items("lstReceived"), (QStringList{"Distress Calls", "Other Calls"}));
        if (item == "Time") {
            QCOMPARE(h.text("lblTime"), QString("Time"));
            QCOMPARE(h.c().s.TimeEntryOpen, QString("True"));
        }
        if (item == "Directory") QCOMPARE(ctl::maxLength(h.ui().txtDirectory), 0);
    }

    // Clear puts back the text each field had when the menu opened it.
    void clearRestoresSavedText_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileOpen");
        QTest::addColumn<QString>("restored");
        QTest::newRow("MMSI") << "MMSI#" << "txtMMSI" << "12345" << "12345" << "316123456";
        QTest::newRow("Time") << "Time" << "txtTime" << "1234" << "12:34" << "##:##";
        QTest::newRow("Position") << "Position" << "txtLatLon" << "4221" << "L42°21.#'N  Lo###°##.#'W"
                                  << "L##°##.#'N  Lo###°##.#'W";
        QTest::newRow("Set Up") << "Set Up" << "txtUTC" << "3" << "3.#" << "#.#";
        QTest::newRow("Directory") << "Directory" << "txtDirectory" << "Zed 123" << "Zed 123" << "";
    }
    void clearRestoresSavedText() {
        QFETCH(QString, item);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, whileOpen);
        QFETCH(QString, restored);
        Harness h;
        h.openMenuItem(item);
        auto* box = h.find<QLineEdit>(field);
        if (field == "txtMMSI") ctl::setText(box, QString());
        h.type(field, typed);
        QCOMPARE(box->text(), whileOpen);
        h.click("cmdClear");
        QCOMPARE(box->text(), restored);
        QVERIFY(h.c().s.MenuEntry.isEmpty());
        QVERIFY(h.c().s.SavedEntryText.isEmpty());
        verifyChannelDisplay(h);
        if (item == "Directory") QCOMPARE(ctl::maxLength(h.ui().txtDirectory), 0);
        // A second Clear has nothing to undo.
        box->setText(whileOpen);
        h.click("cmdClear");
        if (field != "txtDirectory") QCOMPARE(box->text(), whileOpen);
    }

    void exitThisMenu() {
        Harness h;
        h.openMenuItem("MMSI#");
        ctl::setText(h.ui().txtMMSI, QString());
        h.type("txtMMSI", "366000001");
        h.click("cmdMenu");
        QVERIFY(h.messages.texts().isEmpty());
        h.c().s.CallTypeGroup = "Group";
        h.c().s.CalledMMSI = "003669927";
        h.chooseItem("lstMenu", "Exit this menu");
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# 366000001"));
        // It ends in the Clear key: the MMSI line is hidden for good, the group choice forgotten.
        QVERIFY(!h.visible("lblMMSI"));
        QVERIFY(h.c().s.CallTypeGroup.isEmpty());
        QCOMPARE(h.c().s.CalledMMSI, QString("003669927"));
        verifyChannelDisplay(h);
        h.click("cmdMenu");
        h.click("cmdClear");
        QVERIFY(!h.visible("lblMMSI"));
    }

    void enterWithNothingOpen() {
        Harness h;
        const qint64 start = h.now();
        h.click("cmdEnter");
        QCOMPARE(h.now() - start, qint64(5000));
        QVERIFY(!h.visible("lblMenu"));
        QVERIFY(!h.c().Timer5Second->isEnabled());
        QVERIFY(h.visible("lblStatus"));
        QVERIFY(!h.visible("lblTX"));
        QCOMPARE(h.text("lblChannel"), QString::number(h.c().channel->knob()));
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# = 316123456"));

        // With the menu open: the list goes, the heading stays as it was.
        h.click("cmdMenu");
        const qint64 second = h.now();
        h.click("cmdEnter");
        QCOMPARE(h.now() - second, qint64(5000));
        QVERIFY(!h.visible("lstMenu"));
        QVERIFY(h.visible("lblMenu"));
        QCOMPARE(h.text("lblMenu"), QString("Menu"));
        QVERIFY(h.visible("lblStatus"));
    }

    void enterLeavesTheHeading_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("stillShown");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<bool>("headingShown");
        QTest::newRow("Set Up") << "Set Up" << "Time Differential" << QStringList{}
                                << QStringList{"txtUTC", "lblNewMenu", "lblUTCDifference"} << true;
        QTest::newRow("Directory") << "Directory" << "Directory" << QStringList{"lstDirectory"}
                                   << QStringList{"txtDirectory"} << true;
        QTest::newRow("Position") << "Position" << "" << QStringList{"lblLatLon"} << QStringList{"txtLatLon"} << true;
        QTest::newRow("Time") << "Time" << "" << QStringList{"lblTime"} << QStringList{"txtTime"} << true;
        // Leaving the MMSI field runs its check, which restores the channel display before Enter.
        QTest::newRow("MMSI#") << "MMSI#" << "" << QStringList{"lblMMSI"} << QStringList{"txtMMSI", "lblNewMMSI"}
                               << false;
    }
    void enterLeavesTheHeading() {
        QFETCH(QString, item);
        QFETCH(QString, heading);
        QFETCH(QStringList, stillShown);
        QFETCH(QStringList, hidden);
        QFETCH(bool, headingShown);
        Harness h;
        h.openMenuItem(item);
        h.click("cmdEnter");
        QCOMPARE(h.visible("lblMenu"), headingShown);
        QCOMPARE(h.text("lblMenu"), heading);
        for (const QString& name : stillShown) QVERIFY2(h.visible(name), qPrintable(name));
        for (const QString& name : hidden) QVERIFY2(!h.visible(name), qPrintable(name));
        QVERIFY(h.c().s.MenuEntry.isEmpty());
        QVERIFY(h.c().s.SavedEntryText.isEmpty());
        QVERIFY(h.messages.texts().isEmpty());
    }

    void enterClearsItsFields() {
        Harness h;
        RadioState& s = h.c().s;
        s.CalledMMSI = "366232323";
        s.CallTypeDistress = "Distress";
        s.CallWorkingChannel = "22A";
        h.click("cmdEnter");
        QVERIFY(s.CalledMMSI.isEmpty());
        QVERIFY(s.CallTypeGroup.isEmpty());
        QCOMPARE(s.CallTypeDistress, QString("Distress"));
        QCOMPARE(s.CallWorkingChannel, QString("22A"));
        QCOMPARE(s.OwnMMSI, QString("316123456"));
    }

    void closingStatus_data() {
        QTest::addColumn<QString>("routine");
        QTest::addColumn<QString>("status");
        QTest::newRow("answered") << "RoutineX" << "The Blue Crane Replied";
        QTest::newRow("sent") << "Routine" << "Routine Call Transmitted";
    }
    void closingStatus() {
        QFETCH(QString, routine);
        QFETCH(QString, status);
        Harness h;
        h.c().s.CallTypeRoutine = routine;
        h.ui().lblTX->show();
        h.ui().lblStatus->hide();
        h.c().menu->closingWait(QString());
        QCOMPARE(h.text("lblStatus"), status);
        QVERIFY(h.visible("lblStatus"));
        QVERIFY(!h.visible("lblTX"));
        QCOMPARE(h.text("lblChannel"), QString::number(h.c().channel->knob()));
        QCOMPARE(h.c().s.CallTypeRoutine, routine);
    }

    // With no redraw after it, the closing status still writes the channel as two digits.
    void closingStatusShowsTheChannelWithTwoDigits() {
        Harness h;
        h.c().channel->setKnob(9);
        h.c().s.CallTypeRoutine = "Routine";
        h.c().menu->closingWait(QString());
        QCOMPARE(h.text("lblChannel"), QString("09"));
        h.click("cmdCHWX"); // weather channel 1
        h.c().s.CallTypeRoutine = "RoutineX";
        h.c().menu->closingWait(QString());
        QCOMPARE(h.text("lblChannel"), QString("01"));
    }

    // A call to the second vessel flashes its MMSI field once a second during the closing wait.
    void closingWaitFlashesTheBlueCrane() {
        Harness h;
        QList<QColor> seen;
        for (int ms : {500, 1500, 2500, 3500, 4500})
            h.after(ms, [&] { seen << h.back("txtBC1"); });
        const QColor before = h.back("txtBC1");
        h.c().menu->closingWait("366232323");
        QCOMPARE(seen, (QList<QColor>{before, ctl::kRed, ctl::kYellow, ctl::kRed, ctl::kYellow}));
        // Another addressee: no flashing.
        Harness h2;
        const QColor untouched = h2.back("txtBC1");
        h2.c().menu->closingWait("003669927");
        QCOMPARE(h2.back("txtBC1"), untouched);
    }

    void refusedWithGpsOn_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("field");
        QTest::newRow("Time") << "Time" << "Cannot manually enter time if GPS is on." << "txtTime";
        QTest::newRow("Position") << "Position" << "You cannot enter a manual position if the GPS is on"
                                  << "txtLatLon";
    }
    void refusedWithGpsOn() {
        QFETCH(QString, item);
        QFETCH(QString, message);
        QFETCH(QString, field);
        Harness h;
        h.click("GPSOn");
        h.advance(1000);
        h.openMenuItem(item);
        QCOMPARE(h.messages.texts(), QStringList{message});
        QVERIFY(!h.visible(field));
        QVERIFY(!h.visible("lstMenu"));
        QVERIFY(h.visible("lblMenu"));
        QCOMPARE(h.text("lblMenu"), QString());
        QVERIFY(h.c().s.MenuEntry.isEmpty());
        QVERIFY(h.c().s.TimeEntryOpen.isEmpty());
        // The time line keeps the GPS time; Enter gets out of the refused state.
        QVERIFY(h.text("lblTime").contains("10:00:0"));
        h.click("cmdEnter");
        QVERIFY(h.text("lblTime").contains("10:00:"));
        QVERIFY(h.text("lblLatLon") == "L42°21.0'N  Lo070°55.7'W");
    }

    // Menu forgets a chosen call type, except a group choice; Clear forgets that too.
    void menuAndClearForgetCallTypes() {
        Harness h;
        RadioState& s = h.c().s;
        auto choose = [&] {
            s.CallTypeUrgency = "Urgency";
            s.CallTypeSafety = "Safety";
            s.CallTypeRoutine = "Routine";
            s.CallTypeRequest = "Request";
            s.CallTypePolling = "Polling";
            s.CallTypeAllShips = "AllShips";
            s.CallTypeDistress = "Distress";
            s.CallTypeGroup = "Group";
            s.CalledMMSI = "316777777";
        };
        choose();
        h.click("cmdMenu");
        for (const QString* f : {&s.CallTypeUrgency, &s.CallTypeSafety, &s.CallTypeRoutine, &s.CallTypeRequest,
                                 &s.CallTypePolling, &s.CallTypeAllShips, &s.CallTypeDistress, &s.OwnMMSI})
            QVERIFY(f->isEmpty());
        QCOMPARE(s.CallTypeGroup, QString("Group"));
        QCOMPARE(s.CalledMMSI, QString("316777777"));
        choose();
        h.click("cmdClear");
        QVERIFY(s.CallTypeGroup.isEmpty());
        QVERIFY(s.CallTypeAllShips.isEmpty());
        QCOMPARE(s.CalledMMSI, QString("316777777"));
    }

    void restoreShowsTheTimeLine() {
        Harness h;
        // Manual time entry open: the time line shows the typed time.
        h.openMenuItem("Time");
        h.type("txtTime", "0815");
        h.c().channel->RestoreChannelDisplay();
        QVERIFY(h.visible("lblTime"));
        QCOMPARE(h.text("lblTime"), QString("08:15"));
        QVERIFY(!h.visible("txtTime"));
        // Neither GPS nor an open entry: hidden.
        h.c().s.TimeEntryOpen = "False";
        h.c().channel->RestoreChannelDisplay();
        QVERIFY(!h.visible("lblTime"));
        QCOMPARE(h.c().s.ChWxMode, QString("CH"));
        QCOMPARE(h.fore("lblChannel"), ctl::kBlack);
        QCOMPARE(h.fore("lblStatus"), ctl::kBlack);
        QVERIFY(!h.visible("ComboMessage"));
    }

    // From every state, Clear, Menu, Clear brings the channel display back.
    void noDeadEnd_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("gps");
        for (int item = 0; item < 7; ++item)
            for (bool gps : {false, true})
                QTest::addRow("item %d gps %s", item, gps ? "on" : "off") << item << gps;
    }
    void noDeadEnd() {
        QFETCH(int, item);
        QFETCH(bool, gps);
        Harness h;
        if (gps) h.click("GPSOn");
        h.click("cmdMenu");
        h.chooseItem("lstMenu", item);
        if (item == 0) h.chooseItem("lstReceived", "Distress Calls");
        h.click("cmdClear");
        verifyChannelDisplay(h);
        h.click("cmdMenu");
        h.click("cmdClear");
        verifyChannelDisplay(h);
        // Also from the middle of Enter's closing wait.
        h.click("cmdMenu");
        h.chooseItem("lstMenu", item);
        h.after(1500, [&] { h.click("cmdMenu"); });
        h.after(2500, [&] { h.chooseItem("lstMenu", "Received Calls"); });
        h.click("cmdEnter");
        h.click("cmdClear");
        verifyChannelDisplay(h);
    }
};

TRAINER_TEST_MAIN(MenuTest)
#include "tst_menu.moc"
