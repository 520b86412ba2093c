// The channel knob and the channel display: the resulting channel table of every plan, walked one
// knob step at a time the way a trainee clicks the arrows, and the knob's special moves.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"

#include <QScrollBar>
#include <algorithm>

namespace {

// The resulting channel table. A cell is "use text|mode word|power" as shown with 25W chosen;
// nullptr: the designator never comes up in that plan.
struct TableRow {
    const char* designator;
    const char* usa;
    const char* can;
    const char* intl;
    const char* usaDown = nullptr; // USA when reached stepping down, where it differs
};

// clang-format off
const TableRow kChannelTable[] = {
    {"01",  nullptr, "|Duplex|25W", "VTS|DUPLEX|25W"},
    {"01A", "VTS|Simplex|25W", nullptr, nullptr},
    {"02",  nullptr, "|Duplex|25W", "|DUPLEX|25W"},
    {"03",  nullptr, "|Duplex|25W", "Port Operations|DUPLEX|25W"},
    {"03A", "Port Operations|Simplex|25W", nullptr, nullptr},
    {"04",  nullptr, nullptr, "|DUPLEX|25W"},
    {"04A", nullptr, "|Simplex|25W", nullptr},
    {"05",  nullptr, nullptr, "VTS|DUPLEX|25W"},
    {"05A", "VTS|Simplex|25W", "|Simplex|25W", nullptr},
    {"06",  "Safety Messages|Simplex|25W", "|Simplex|25W", "Safety Messages|Simplex|25W"},
    {"07",  nullptr, nullptr, "Commercial|DUPLEX|25W"},
    {"07A", "Commercial|Simplex|25W", "|Simplex|25W", nullptr},
    {"08",  "Commercial|Simplex|25W", "|Simplex|25W", "Commercial|Simplex|25W"},
    {"09",  "Calling, Com'l & Non-Com'l|Simplex|25W", "Fishing|Simplex|25W", "Calling, Com'l & Non-Com'l|Simplex|25W"},
    {"10",  "Commercial|Simplex|25W", "|Simplex|25W", "Commercial|Simplex|25W"},
    {"11",  "Commercial|Simplex|25W", "Coast Guard|Simplex|25W", "Commercial|Simplex|25W"},
    {"12",  "Port Operations|Simplex|25W", "Coast Guard|Simplex|25W", "Port Operations|Simplex|25W"},
    {"13",  "Navigational|Simplex|1W", "|Simplex|1W", "Navigational|Simplex|25W"},
    {"14",  "Port Operations|Simplex|25W", "|Simplex|25W", "Port Operations|Simplex|25W"},
    {"15",  "Environmental|Simplex|1W", "Environmental|Simplex|1W", "Environmental|Simplex|1W"},
    {"16",  "Calling and Emergency|Simplex|25W", "Calling and Emergency|Simplex|25W", "Calling and Emergency|Simplex|25W"},
    {"17",  "State Control|Simplex|1W", "|Simplex|1W", "State Control|Simplex|25W"},
    {"18",  nullptr, nullptr, "Commercial|DUPLEX|25W"},
    {"18A", "Commercial|Simplex|25W", "|Simplex|25W", nullptr},
    {"19",  nullptr, nullptr, "Commercial|DUPLEX|25W"},
    {"19A", "Commercial|Simplex|25W", "Coast Guard|Simplex|25W", nullptr},
    {"20",  "Port Operations|Duplex|25W", "|Duplex|1W", "Port Operations|DUPLEX|25W"},
    {"20A", "Port Operations|Simplex|25W", nullptr, nullptr, "|Simplex|25W"},
    {"21",  nullptr, nullptr, "Coast Guard|DUPLEX|25W"},
    {"21A", "Coast Guard|Simplex|25W", "Coast Guard|Simplex|25W", nullptr},
    {"22",  nullptr, nullptr, "Coast Guard|DUPLEX|25W"},
    {"22A", "Coast Guard|Simplex|25W", "|Simplex|25W", nullptr},
    {"23",  nullptr, "|Duplex|25W", "Coast Guard|DUPLEX|25W"},
    {"23A", "Coast Guard|Simplex|25W", nullptr, nullptr},
    {"24",  "Public Correspondence|DUPLEX|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"25",  "Public Correspondence|DUPLEX|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"26",  "Public Correspondence|DUPLEX|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"27",  "Public Correspondence|DUPLEX|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"28",  "Public Correspondence|DUPLEX|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"60",  "|Simplex|25W", "|Duplex|25W", "|DUPLEX|25W"},
    {"61",  nullptr, nullptr, "|DUPLEX|25W"},
    {"61A", "|Simplex|25W", "|Simplex|25W", nullptr},
    {"62",  nullptr, nullptr, "|DUPLEX|25W"},
    {"62A", nullptr, "|Simplex|25W", nullptr},
    {"63",  nullptr, nullptr, "|DUPLEX|25W"},
    {"63A", "|Simplex|25W", nullptr, nullptr},
    {"64",  nullptr, nullptr, "|DUPLEX|25W"},
    {"64A", "|Simplex|25W", "|Duplex|25W", nullptr},
    {"65A", "Port Operations|Simplex|25W", "|Simplex|25W", "Port Operations|DUPLEX|25W"},
    {"66A", "Port Operations|Simplex|25W", "|Simplex|1W", "Port Operations|DUPLEX|25W"},
    {"67",  "|Simplex|1W", "|Simplex|25W", "|Simplex|25W"},
    {"68",  "Non-Commercial Fish|Simplex|25W", "Fishing|Simplex|25W", "Non-Commercial Fish|Simplex|25W"},
    {"69",  "Non-Commercial Fish|Simplex|25W", "Fishing|Simplex|25W", "Non-Commercial Fish|Simplex|25W"},
    {"71",  "Non-Commercial Fish|Simplex|25W", "Fishing|Simplex|25W", "Non-Commercial Fish|Simplex|25W"},
    {"72",  "Non-Commercial Fish|Simplex|25W", "Fishing|Simplex|25W", "Non-Commercial Fish|Simplex|25W"},
    {"73",  "Port Operations|Simplex|25W", "|Simplex|25W", "Port Operations|Simplex|25W"},
    {"74",  "Port Operations|Simplex|25W", "|Simplex|25W", "Port Operations|Simplex|25W"},
    {"77",  "Port Operations|Simplex|1W", "|Simplex|1W", "Port Operations|Simplex|25W"},
    {"78",  nullptr, nullptr, "Non-Commercial Fish|DUPLEX|25W"},
    {"78A", "Non-Commercial Fish|Simplex|25W", "|Simplex|25W", nullptr},
    {"79",  nullptr, nullptr, "Commercial|DUPLEX|25W"},
    {"79A", "Commercial|Simplex|25W", "|Simplex|25W", nullptr},
    {"80",  nullptr, nullptr, "Commercial|DUPLEX|25W"},
    {"80A", "Commercial|Simplex|25W", "|Simplex|25W", nullptr},
    {"81",  nullptr, nullptr, "Coast Guard|DUPLEX|25W"},
    {"81A", "Coast Guard|Simplex|25W", "Coast Guard|Simplex|25W", nullptr},
    {"82",  nullptr, nullptr, "U.S. Government Only|DUPLEX|25W"},
    {"82A", "U.S. Government Only|Simplex|25W", "|Simplex|25W", nullptr},
    {"83",  nullptr, nullptr, "Coast Guard|DUPLEX|25W"},
    {"83A", "Coast Guard|Simplex|25W", "Coast Guard|Simplex|25W", nullptr},
    {"84",  "Public Correspondence|Duplex|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"84A", " |Simplex|25W", nullptr, nullptr},
    {"85",  "Public Correspondence|Duplex|25W", "Telephone|Duplex|25W", "Public Correspondence|DUPLEX|25W"},
    {"85A", "Public Correspondence|Simplex|25W", nullptr, nullptr},
    {"86",  "Public Correspondence|Duplex|25W", "Telephone|Duplex|25W", "|Simplex|25W"},
    {"86A", "Public Correspondence|Simplex|25W", nullptr, nullptr},
    {"87",  "Public Correspondence|Duplex|25W", "Telephone|Duplex|25W", "|Simplex|25W"},
    {"87A", "Public Correspondence|Simplex|25W", nullptr, nullptr},
    {"88",  "Commercial|Duplex|25W", "Telephone|Duplex|25W", "Commercial|Simplex|25W"},
    {"88A", "Commercial|Simplex|25W", nullptr, nullptr},
};
// clang-format on

// The order of designators when stepping up in the USA plan; stepping down retraces it.
const QStringList kUsaOrder = QStringLiteral(
    "01A 03A 05A 06 07A 08 09 10 11 12 13 14 15 16 17 18A 19A 20 20A 21A 22A 23A 24 25 26 27 28 60 61A 63A 64A "
    "65A 66A 67 68 69 71 72 73 74 77 78A 79A 80A 81A 82A 83A 84 84A 85 85A 86 86A 87 87A 88 88A").split(' ');

enum Plan { USA, CAN, INT };

const char* cellOf(const TableRow& row, Plan plan, bool down) {
    switch (plan) {
    case USA: return down && row.usaDown ? row.usaDown : row.usa;
    case CAN: return row.can;
    case INT: return row.intl;
    }
    return nullptr;
}

// The expected display, one line per knob step, in the order the designators come up.
QStringList expectedWalk(Plan plan, bool lowPower, bool down) {
    QStringList order;
    if (plan == USA) {
        order = kUsaOrder;
    } else {
        for (const TableRow& row : kChannelTable)
            if (cellOf(row, plan, false)) order << QString::fromLatin1(row.designator);
    }
    if (down) std::reverse(order.begin(), order.end());
    QStringList lines;
    for (const QString& designator : order) {
        for (const TableRow& row : kChannelTable) {
            if (designator != QLatin1String(row.designator)) continue;
            QString cell = QString::fromLatin1(cellOf(row, plan, down));
            if (lowPower) cell.replace(QLatin1String("|25W"), QLatin1String("|1W"));
            lines << designator + QLatin1String(": ") + cell;
        }
    }
    return lines;
}

// What the display shows, in the same form as the table lines.
QString shown(Harness& h) {
    return h.designator() + QLatin1String(": ") + h.text("lblStatus") + '|' + h.text("lblSimplex") + '|' +
           h.text("lblPower");
}

// One click on an arrow of the knob.

void choosePlan(Harness& h, Plan plan) {
    for (int i = 0; i < static_cast<int>(plan); ++i) h.click("cmdMode");
}

} // namespace

Q_DECLARE_METATYPE(Plan)

class ChannelTest : public QObject {
    Q_OBJECT
private slots:
    void startupShowsChannel16();
    void walkThePlan_data();
    void walkThePlan();
    void skippedPositions_data();
    void skippedPositions();
    void channel20AUseTextDependsOnDirection();
    void nestedRunIsOverwrittenByTheOuterRun();
    void stepBeyond88AShows88Simplex();
    void channel88AOnlyOnTheDesignedRange();
    void weatherPositionLeavesModeWord();
    void weatherKnobTopsOutAt10();
    void everyWeatherChannelIsReachableFromAnyMarineChannel_data();
    void everyWeatherChannelIsReachableFromAnyMarineChannel();
    void directRunRefreshesWithoutMovingTheKnob();
};

void ChannelTest::startupShowsChannel16() {
    // The designed display shows 84; start-up moves the knob to 16 before the plan is set.
    Harness h;
    QCOMPARE(h.c().channel->knob(), 16);
    QCOMPARE(shown(h), QString("16: Calling and Emergency|Simplex|25W"));
    QVERIFY(!h.visible("lblA"));
    QCOMPARE(h.text("lblMode"), QString("USA"));
    QCOMPARE(h.c().s.ChannelLabel, QString("84"));
    QCOMPARE(h.ui().ScrollChannel->maximum(), 89);
    QCOMPARE(h.ui().ScrollChannel->minimum(), 1);
}

void ChannelTest::walkThePlan_data() {
    QTest::addColumn<Plan>("plan");
    QTest::addColumn<bool>("lowPower");
    QTest::newRow("USA 25W") << USA << false;
    QTest::newRow("USA 1W") << USA << true;
    QTest::newRow("CAN 25W") << CAN << false;
    QTest::newRow("CAN 1W") << CAN << true;
    QTest::newRow("INT 25W") << INT << false;
    QTest::newRow("INT 1W") << INT << true;
}

void ChannelTest::walkThePlan() {
    QFETCH(Plan, plan);
    QFETCH(bool, lowPower);
    Harness h;
    choosePlan(h, plan);
    if (lowPower) h.click("cmdHiLow");
    QCOMPARE(h.c().s.TxPower, QString(lowPower ? "1W" : "25W"));

    // Down to the lowest position first.
    for (int i = 0; i < 100 && h.c().channel->knob() > h.ui().ScrollChannel->minimum(); ++i) h.stepKnob(-1);
    QCOMPARE(h.c().channel->knob(), 1);

    const QStringList up = expectedWalk(plan, lowPower, false);
    QStringList seen{shown(h)};
    while (seen.size() < up.size()) {
        h.stepKnob(+1);
        seen << shown(h);
    }
    QCOMPARE(seen, up);
    QCOMPARE(h.c().channel->knob(), 88);

    const QStringList down = expectedWalk(plan, lowPower, true);
    seen = QStringList{shown(h)};
    while (seen.size() < down.size()) {
        h.stepKnob(-1);
        seen << shown(h);
    }
    QCOMPARE(seen, down);
    QCOMPARE(h.c().channel->knob(), 1);
    // Nothing lies below the first channel.
    h.stepKnob(-1);
    QCOMPARE(shown(h), down.last());
}

void ChannelTest::skippedPositions_data() {
    QTest::addColumn<Plan>("plan");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedKnob");
    QTest::newRow("USA 01A up") << USA << 1 << true << "03A" << 3;
    QTest::newRow("USA 03A down") << USA << 3 << false << "01A" << 1;
    QTest::newRow("USA 03A up") << USA << 3 << true << "05A" << 5;
    QTest::newRow("USA 05A down") << USA << 5 << false << "03A" << 3;
    QTest::newRow("USA 28 up") << USA << 28 << true << "60" << 60;
    QTest::newRow("USA 60 down") << USA << 60 << false << "28" << 28;
    QTest::newRow("USA 61A up") << USA << 61 << true << "63A" << 63;
    QTest::newRow("USA 63A down") << USA << 63 << false << "61A" << 61;
    QTest::newRow("USA 69 up") << USA << 69 << true << "71" << 71;
    QTest::newRow("USA 71 down") << USA << 71 << false << "69" << 69;
    QTest::newRow("USA 74 up") << USA << 74 << true << "77" << 77;
    QTest::newRow("USA 77 down") << USA << 77 << false << "74" << 74;
    QTest::newRow("CAN 62A up") << CAN << 62 << true << "64A" << 64;
    QTest::newRow("CAN 64A down") << CAN << 64 << false << "62A" << 62;
    QTest::newRow("CAN 61A up") << CAN << 61 << true << "62A" << 62;
    QTest::newRow("CAN 01 up") << CAN << 1 << true << "02" << 2;
    QTest::newRow("CAN 28 up") << CAN << 28 << true << "60" << 60;
    QTest::newRow("INT 01 up") << INT << 1 << true << "02" << 2;
    QTest::newRow("INT 61 up") << INT << 61 << true << "62" << 62;
    QTest::newRow("INT 69 up") << INT << 69 << true << "71" << 71;
    QTest::newRow("INT 77 down") << INT << 77 << false << "74" << 74;
}

void ChannelTest::skippedPositions() {
    QFETCH(Plan, plan);
    QFETCH(int, from);
    QFETCH(bool, up);
    QFETCH(QString, expected);
    QFETCH(int, expectedKnob);
    Harness h;
    choosePlan(h, plan);
    h.c().channel->setKnob(from);
    QCOMPARE(h.c().s.PrevScrollValue, qint16(from));
    up ? h.stepKnob(+1) : h.stepKnob(-1);
    QCOMPARE(h.designator(), expected);
    QCOMPARE(h.c().channel->knob(), expectedKnob);
    // The run that moved the knob on goes on afterwards and records the position it ends on.
    QCOMPARE(h.c().s.PrevScrollValue, qint16(expectedKnob));
}

void ChannelTest::channel20AUseTextDependsOnDirection() {
    Harness h;
    QVERIFY(h.tuneTo("20"));
    h.stepKnob(+1);
    QCOMPARE(shown(h), QString("20A: Port Operations|Simplex|25W"));
    QCOMPARE(h.c().s.ChannelLabel, QString("20A"));
    h.stepKnob(+1);
    QCOMPARE(shown(h), QString("21A: Coast Guard|Simplex|25W"));
    h.stepKnob(-1);
    QCOMPARE(shown(h), QString("20A: |Simplex|25W"));
    QCOMPARE(h.c().channel->knob(), 20);
    h.stepKnob(-1);
    QCOMPARE(shown(h), QString("20: Port Operations|Duplex|25W"));
    h.stepKnob(-1);
    QCOMPARE(shown(h), QString("19A: Commercial|Simplex|25W"));
    QCOMPARE(h.c().channel->knob(), 19);
}

void ChannelTest::nestedRunIsOverwrittenByTheOuterRun() {
    // 20 -> 20A puts the knob back from 21 to 20: the nested run draws plain 20 ("DUPLEX", no A),
    // then the step that moved the knob writes 20A over it.
    Harness h;
    QVERIFY(h.tuneTo("20"));
    QList<int> positions;
    const auto recorder = QObject::connect(h.ui().ScrollChannel, &QScrollBar::valueChanged,
                                           h.ui().ScrollChannel, [&](int v) { positions << v; });
    h.stepKnob(+1);
    QObject::disconnect(recorder);
    std::sort(positions.begin(), positions.end());
    QCOMPARE(positions, (QList<int>{20, 21}));
    QCOMPARE(h.c().channel->knob(), 20);
    QVERIFY(h.visible("lblA"));
    QCOMPARE(h.text("lblSimplex"), QString("Simplex"));
    QCOMPARE(h.c().s.PrevScrollValue, qint16(20));

    // The reverse step 20A -> 20 runs nested for position 20 too and ends on "Duplex".
    h.stepKnob(+1);   // 21A
    h.stepKnob(-1); // 20A (from 21A)
    h.stepKnob(-1); // knob 19 -> back to 20
    QCOMPARE(h.c().channel->knob(), 20);
    QCOMPARE(shown(h), QString("20: Port Operations|Duplex|25W"));
    QCOMPARE(h.c().s.ChannelLabel, QString("20"));
}

void ChannelTest::stepBeyond88AShows88Simplex() {
    Harness h;
    QVERIFY(h.tuneTo("88A"));
    QCOMPARE(h.c().channel->knob(), 88);
    // Position 89 once more: the knob goes back to 88 (nested run) and the display reads 88 plain.
    h.stepKnob(+1);
    QCOMPARE(h.c().channel->knob(), 88);
    QCOMPARE(shown(h), QString("88: Commercial|Simplex|25W"));
    QCOMPARE(h.c().s.PrevScrollValue, qint16(88));
    h.stepKnob(+1);
    QCOMPARE(shown(h), QString("88: Commercial|Simplex|25W"));
    // In the other plans 88 is simply the top.
    h.click("cmdMode"); // CAN, knob on 16
    QVERIFY(h.tuneTo("88"));
    h.stepKnob(+1);
    QCOMPARE(h.c().channel->knob(), 88);
    QCOMPARE(shown(h), QString("88: Telephone|Duplex|25W"));
}

void ChannelTest::channel88AOnlyOnTheDesignedRange() {
    Harness h;
    h.click("cmdCHWX");
    h.click("cmdCHWX");
    QCOMPARE(h.ui().ScrollChannel->maximum(), 88);
    QCOMPARE(shown(h), QString("16: Calling and Emergency|Simplex|25W"));
    QStringList seen;
    for (int i = 0; i < 60; ++i) {
        h.stepKnob(+1);
        if (seen.isEmpty() || seen.last() != h.designator()) seen << h.designator();
    }
    const QStringList top = seen.mid(seen.indexOf("83A"));
    QCOMPARE(top, QString("83A 84 84A 85 85A 86 86A 87 87A 88").split(' '));
    QCOMPARE(h.c().channel->knob(), 88);
    QCOMPARE(shown(h), QString("88: Commercial|Duplex|25W"));
}

void ChannelTest::weatherPositionLeavesModeWord() {
    Harness h;
    h.c().channel->setKnob(24);
    QCOMPARE(h.text("lblSimplex"), QString("DUPLEX"));
    h.click("cmdCHWX");
    for (int i = 0; i < 4; ++i) h.stepKnob(+1);
    QCOMPARE(h.c().channel->knob(), 5);
    QCOMPARE(h.text("lblChannel"), QString("05"));
    QCOMPARE(h.text("lblStatus"), QString("Weather"));
    QVERIFY(!h.visible("lblA"));
    QCOMPARE(h.text("lblSimplex"), QString("DUPLEX"));
    QVERIFY(!h.visible("lblPower"));
    QCOMPARE(h.fore("lblChannel"), QColor(0, 0, 136));
    QCOMPARE(h.fore("lblStatus"), QColor(0, 0, 136));
    // The marine channel to come back to is kept.
    QCOMPARE(h.c().s.PrevScrollValue, qint16(24));
}

void ChannelTest::weatherKnobTopsOutAt10() {
    Harness h;
    h.click("cmdCHWX");
    QStringList seen{h.text("lblChannel")};
    for (int i = 0; i < 12; ++i) {
        h.stepKnob(+1);
        seen << h.text("lblChannel");
    }
    QCOMPARE(seen, QString("01 02 03 04 05 06 07 08 09 10 10 10 10").split(' '));
    QCOMPARE(h.text("lblStatus"), QString("Weather"));
}

void ChannelTest::everyWeatherChannelIsReachableFromAnyMarineChannel_data() {
    QTest::addColumn<QString>("marine");
    for (const char* d : {"01A", "03A", "05A", "16"}) QTest::newRow(d) << QString(d);
}

// The saved marine channel must not make the weather knob skip 2 or 4, and 01A's suffix must not
// stay on the weather display.
void ChannelTest::everyWeatherChannelIsReachableFromAnyMarineChannel() {
    QFETCH(QString, marine);
    Harness h;
    h.c().channel->setKnob(1);
    QVERIFY(h.tuneTo(marine));
    h.click("cmdCHWX");
    QStringList up{h.designator()};
    for (int i = 0; i < 9; ++i) {
        h.stepKnob(+1);
        up << h.designator();
    }
    QCOMPARE(up, QString("01 02 03 04 05 06 07 08 09 10").split(' '));
    QStringList down;
    for (int i = 0; i < 9; ++i) {
        h.stepKnob(-1);
        down << h.designator();
    }
    QCOMPARE(down, QString("09 08 07 06 05 04 03 02 01").split(' '));
    h.click("cmdCHWX");
    QCOMPARE(h.designator(), marine == "16" ? marine : marine.left(2) + "A");
}

void ChannelTest::directRunRefreshesWithoutMovingTheKnob() {
    Harness h;
    h.c().channel->setKnob(13);
    QCOMPARE(shown(h), QString("13: Navigational|Simplex|1W"));
    // The plan in lblMode decides suffix, power, use text and mode word.
    h.ui().lblMode->setText("INT");
    h.c().channel->ScrollChannel_Change();
    QCOMPARE(h.c().channel->knob(), 13);
    QCOMPARE(shown(h), QString("13: Navigational|Simplex|25W"));
    h.ui().lblMode->setText("CAN");
    h.c().channel->ScrollChannel_Change();
    QCOMPARE(shown(h), QString("13: |Simplex|1W"));
}

TRAINER_TEST_MAIN(ChannelTest)
#include "tst_channel.moc"
