// Received-calls logs, the directory and the group list.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include "dsc/Logs.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QLineEdit>

namespace {

const QStringList kOtherCalls{"UTC 15:22",      "Quil's Wonder",      "338121212", "Position Request",
                              "request unanswered", QString(19, '_'), "",          "UTC 16:39",
                              "338357697",      "Group Call",         "call answered", QString(19, '_'),
                              ""};

const QStringList kDirectory{"Boston Coast Guard    003669927",  "Brask's Kruiser               316789012",
                             "Glimmet's Sparkler    366345345",  "Quils Wonder               338121212",
                             "Quorp's Pet                     316777777", "Tarvik's Madness      316416622",
                             "The Blue Crane            366232323", "The Dace D                   316056789",
                             "Vox's Sweetness        367010203"};

void openReceived(Harness& h) {
    h.click("cmdMenu");
    h.chooseItem("lstMenu", "Received Calls");
}

} // namespace

class LogsTest : public QObject {
    Q_OBJECT
private slots:
    void distressCalls() {
        Harness h;
        openReceived(h);
        h.chooseItem("lstReceived", "Distress Calls");
        QVERIFY(h.visible("lstDistress"));
        const QStringList log = h.items("lstDistress");
        QCOMPARE(log.size(), 23);
        QCOMPARE(log.first(), QString("UTC 15:15"));
        QCOMPARE(log.at(1), QString("Tarvik's Madness "));
        QCOMPARE(log.at(9), QString("11:39  "));
        QCOMPARE(log.at(7), QString(21, '_'));
        QCOMPARE(h.back("lstDistress"), ctl::kYellow);
        // The submenu underneath is unchanged.
        QVERIFY(h.visible("lstReceived"));
        QCOMPARE(h.items("lstReceived"), (QStringList{"Distress Calls", "Other Calls"}));
        // Clear hides both lists and empties the submenu; the log keeps its lines.
        h.click("cmdClear");
        QVERIFY(!h.visible("lstDistress"));
        QVERIFY(!h.visible("lstReceived"));
        QVERIFY(h.items("lstReceived").isEmpty());
        QCOMPARE(h.items("lstDistress").size(), 23);
    }

    void otherCalls() {
        Harness h;
        openReceived(h);
        h.chooseItem("lstReceived", "Distress Calls");
        h.chooseItem("lstReceived", "Other Calls");
        QVERIFY(!h.visible("lstDistress"));
        QCOMPARE(h.items("lstReceived"), kOtherCalls);
        QCOMPARE(h.text("lblMenu"), QString("Received Calls"));
        // A click on any line of the log changes nothing.
        for (int row = 0; row < kOtherCalls.size(); ++row) {
            h.chooseItem("lstReceived", row);
            QCOMPARE(h.items("lstReceived"), kOtherCalls);
            QVERIFY(!h.visible("lstDistress"));
            QVERIFY(h.visible("lstReceived"));
        }
        // Choosing "Received Calls" again brings the submenu back.
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Received Calls");
        QCOMPARE(h.items("lstReceived"), (QStringList{"Distress Calls", "Other Calls"}));
    }

    void directoryInAlphabeticalOrder() {
        Harness h;
        QCOMPARE(h.items("lstDirectory"), kDirectory);
    }

    void groupListKeepsItsLines() {
        Harness h;
        QCOMPARE(h.items("lstGroup"),
                 (QStringList{"#1", "  Quorp's Pet              316777777", "  Glimmet's Sparkler  366345345", "#2",
                              "   Vox's Sweetness     367010203", "   The Dace D            316056789  ",
                              "   Quil's Wonder        337121212", "#3", "   Brask's Kruiser         316789012",
                              "   The Blue Crane       316999999"}));
    }

    void addedLineTakesItsPlace_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("row");
        QTest::newRow("before Boston") << "Aardvark   316000001" << "Aardvark   316000001" << 0;
        QTest::newRow("case ignored") << "alpha 316000002" << "alpha 316000002" << 0;
        QTest::newRow("lower case after Boston") << "boston coast guard 2" << "boston coast guard 2" << 1;
        QTest::newRow("blanks trimmed") << "   Mary Ann   316000003  " << "Mary Ann   316000003" << 3;
        QTest::newRow("last") << "zulu 316000004" << "zulu 316000004" << 9;
    }
    void addedLineTakesItsPlace() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(int, row);
        Harness h;
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Directory");
        h.type("txtDirectory", typed);
        h.click("cmdEnter");
        const QStringList dir = h.items("lstDirectory");
        QCOMPARE(dir.size(), 10);
        QCOMPARE(dir.at(row), line);
        QStringList rest = dir;
        rest.removeAt(row);
        QCOMPARE(rest, kDirectory);
        QVERIFY(h.visible("lstDirectory"));
        QVERIFY(!h.visible("txtDirectory"));
        QCOMPARE(h.text("txtDirectory"), QString());
        // Later lines are placed by the same order.
        h.c().logs->addDirectoryLine("BRAVO 316000005");
        QCOMPARE(h.items("lstDirectory").indexOf("BRAVO 316000005"),
                 h.items("lstDirectory").indexOf("Brask's Kruiser               316789012") + 1);
    }

    void blankLinesNotAdded_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "     ";
    }
    void blankLinesNotAdded() {
        QFETCH(QString, typed);
        Harness h;
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Directory");
        h.type("txtDirectory", typed);
        h.click("cmdEnter");
        QCOMPARE(h.items("lstDirectory"), kDirectory);
        QVERIFY(!h.visible("txtDirectory"));
    }

    // A directory click leads to the field only after "Received Calls" was the last menu choice,
    // keeping its nine-digit limit; the menu's choice survives the menu being hidden.
    void directoryClick() {
        Harness h;
        auto* field = h.ui().txtDirectory;
        ctl::setMaxLength(field, 9);
        h.ui().lstDirectory->show();
        field->show();
        h.chooseItem("lstDirectory", 2);
        QCOMPARE(ctl::maxLength(field), 9);
        QVERIFY(QApplication::focusWidget() != field);

        openReceived(h);
        h.click("cmdClear"); // hides the menu; its choice stays
        QVERIFY(!h.visible("lstMenu"));
        ctl::setMaxLength(field, 9);
        h.ui().lstDirectory->show();
        field->show();
        h.chooseItem("lstDirectory", 2);
        QCOMPARE(ctl::maxLength(field), 9);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));

        // Another menu choice: the click only selects the line.
        h.click("cmdMenu");
        h.chooseItem("lstMenu", "Directory");
        ctl::setMaxLength(field, 9);
        h.chooseItem("lstDirectory", 3);
        QCOMPARE(ctl::maxLength(field), 9);
        QCOMPARE(h.ui().lstDirectory->currentRow(), 3);
    }
};

TRAINER_TEST_MAIN(LogsTest)
#include "tst_logs.moc"
