// Own MMSI, masked time/position/differential entry, their checks, the GPS switch and clock.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include "calls/CallTime.h"
#include "dsc/OwnStation.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRandomGenerator>

namespace {

const QString kLatLonMask = QStringLiteral("L##°##.#'N  Lo###°##.#'W");
const QString kReset = QStringLiteral("L00°00.0'N  Lo000°00.0'W");

// One key by its name in the tables: a character, or BS, DEL, LEFT, RIGHT, HOME, END, SELALL, PASTE,
// CUT, UNDO.
void sendKey(QWidget* w, const QString& k) {
    static const QMap<QString, QPair<Qt::Key, Qt::KeyboardModifiers>> named{
        {"BS", {Qt::Key_Backspace, Qt::NoModifier}},  {"DEL", {Qt::Key_Delete, Qt::NoModifier}},
        {"LEFT", {Qt::Key_Left, Qt::NoModifier}},     {"RIGHT", {Qt::Key_Right, Qt::NoModifier}},
        {"HOME", {Qt::Key_Home, Qt::NoModifier}},     {"END", {Qt::Key_End, Qt::NoModifier}},
        {"SELALL", {Qt::Key_A, Qt::ControlModifier}}, {"PASTE", {Qt::Key_V, Qt::ControlModifier}},
        {"CUT", {Qt::Key_X, Qt::ControlModifier}},    {"UNDO", {Qt::Key_Z, Qt::ControlModifier}},
        {"SHIFTLEFT", {Qt::Key_Left, Qt::ShiftModifier}}};
    if (named.contains(k))
        QTest::keyClick(w, named[k].first, named[k].second);
    else
        QTest::keyClick(w, k.at(0).toLatin1());
}

QLineEdit* openField(Harness& h, const QString& name, const QString& text, int cursor) {
    auto* box = h.find<QLineEdit>(name);
    box->show();
    box->setFocus();
    ctl::setText(box, text);
    box->setCursorPosition(cursor);
    return box;
}

// Same length as the mask, fixed characters where the mask has them, digits or "#" elsewhere.
bool keepsMask(const QString& text, const QString& mask) {
    if (text.size() != mask.size()) return false;
    for (int i = 0; i < mask.size(); ++i) {
        if (mask[i] == '#') {
            if (!(text[i] == '#' || (text[i] >= '0' && text[i] <= '9'))) return false;
        } else if (text[i] != mask[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

class OwnStationTest : public QObject {
    Q_OBJECT
private slots:
    void maskedKeys_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursorAfter");
        QTest::addColumn<QString>("clipboard");

        QTest::newRow("digit skips the colon") << "txtTime" << "12:45" << 2 << QStringList{"3"} << "12:35" << 4 << "";
        QTest::newRow("digits overwrite") << "txtTime" << "12:45" << 0 << QStringList{"0", "9"} << "09:45" << 2 << "";
        QTest::newRow("backspace only moves") << "txtTime" << "12:45" << 3 << QStringList{"BS"} << "12:45" << 2 << "";
        QTest::newRow("backspace at the start") << "txtTime" << "12:45" << 0 << QStringList{"BS"} << "12:45" << 0 << "";
        QTest::newRow("backspace then digit") << "txtTime" << "12:45" << 2 << QStringList{"BS", "7"} << "17:45" << 2
                                              << "";
        QTest::newRow("delete dropped") << "txtTime" << "12:45" << 1 << QStringList{"DEL", "DEL"} << "12:45" << 1
                                        << "";
        QTest::newRow("letters and signs dropped")
            << "txtTime" << "12:45" << 0 << QStringList{"a", "Z", "-", "+", ".", " ", ":"} << "12:45" << 0 << "";
        QTest::newRow("time last position") << "txtTime" << "12:45" << 4 << QStringList{"8", "9"} << "12:48" << 5
                                            << "";
        QTest::newRow("arrows keep their effect")
            << "txtTime" << "12:45" << 0 << QStringList{"RIGHT", "RIGHT", "RIGHT", "LEFT", "LEFT", "9"} << "19:45" << 2 << "";
        QTest::newRow("selection then digit") << "txtTime" << "12:45" << 5 << QStringList{"SELALL", "7"} << "72:45"
                                              << 1 << "";
        QTest::newRow("shift-selection then digit")
            << "txtTime" << "12:45" << 5 << QStringList{"SHIFTLEFT", "SHIFTLEFT", "6"} << "12:65" << 4 << "";
        QTest::newRow("cut and undo dropped") << "txtTime" << "12:45" << 0 << QStringList{"SELALL", "CUT", "UNDO"}
                                              << "12:45" << 5 << "";
        QTest::newRow("paste typed through the mask") << "txtTime" << "##:##" << 0 << QStringList{"PASTE"} << "12:34"
                                                      << 5 << "12:34";
        QTest::newRow("paste of junk keeps the mask")
            << "txtTime" << "##:##" << 0 << QStringList{"PASTE"} << "99:99" << 5 << "abc:::999999999";
        QTest::newRow("position: start skips L") << "txtLatLon" << kLatLonMask << 0 << QStringList{"4", "2"}
                                                 << "L42°##.#'N  Lo###°##.#'W" << 3 << "";
        QTest::newRow("position: skips to longitude")
            << "txtLatLon" << kLatLonMask << 8 << QStringList{"1"} << "L##°##.#'N  Lo1##°##.#'W" << 15 << "";
        QTest::newRow("position: last digit then discard")
            << "txtLatLon" << kLatLonMask << 21 << QStringList{"7", "8"} << "L##°##.#'N  Lo###°##.7'W" << 23 << "";
        QTest::newRow("position: nothing over the W") << "txtLatLon" << kLatLonMask << 23 << QStringList{"5"}
                                                      << kLatLonMask << 24 << "";
        QTest::newRow("utc: second digit discarded") << "txtUTC" << "#.#" << 0 << QStringList{"4", "5"} << "4.#" << 2
                                                     << "";
        QTest::newRow("utc: third digit fills tenths")
            << "txtUTC" << "#.#" << 0 << QStringList{"4", "5", "5"} << "4.5" << 3 << "";
        QTest::newRow("utc: at the dot") << "txtUTC" << "#.#" << 1 << QStringList{"7"} << "#.#" << 2 << "";
        QTest::newRow("utc: beyond the end") << "txtUTC" << "4.5" << 3 << QStringList{"1", "BS"} << "4.5" << 2 << "";
    }
    void maskedKeys() {
        QFETCH(QString, field);
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(QStringList, keys);
        QFETCH(QString, text);
        QFETCH(int, cursorAfter);
        QFETCH(QString, clipboard);
        Harness h;
        if (!clipboard.isEmpty()) QApplication::clipboard()->setText(clipboard);
        QLineEdit* box = openField(h, field, start, cursor);
        for (const QString& k : keys) sendKey(box, k);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->cursorPosition(), cursorAfter);
        QVERIFY(h.messages.texts().isEmpty());
    }

    // Whatever is typed, pasted or selected, the three fields keep their length and fixed characters.
    void randomKeystrokesKeepTheMask_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("mask");
        QTest::newRow("txtTime") << "txtTime" << "##:##";
        QTest::newRow("txtLatLon") << "txtLatLon" << kLatLonMask;
        QTest::newRow("txtUTC") << "txtUTC" << "#.#";
    }
    void randomKeystrokesKeepTheMask() {
        QFETCH(QString, field);
        QFETCH(QString, mask);
        Harness h;
        QLineEdit* box = openField(h, field, mask, 0);
        QRandomGenerator rng(20261206);
        const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> special{
            {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier},
            {Qt::Key_Left, Qt::NoModifier},      {Qt::Key_Right, Qt::NoModifier},
            {Qt::Key_Home, Qt::NoModifier},      {Qt::Key_End, Qt::NoModifier},
            {Qt::Key_Left, Qt::ShiftModifier},   {Qt::Key_End, Qt::ShiftModifier},
            {Qt::Key_A, Qt::ControlModifier},    {Qt::Key_V, Qt::ControlModifier},
            {Qt::Key_X, Qt::ControlModifier},    {Qt::Key_Z, Qt::ControlModifier},
            {Qt::Key_Y, Qt::ControlModifier},    {Qt::Key_K, Qt::ControlModifier},
            {Qt::Key_U, Qt::ControlModifier},    {Qt::Key_Backspace, Qt::ControlModifier},
            {Qt::Key_Delete, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
            {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_Insert, Qt::NoModifier},
            {Qt::Key_H, Qt::ControlModifier},    {Qt::Key_D, Qt::ControlModifier}};
        const QString chars = QStringLiteral("0123456789abcXYZ-+.,:'° #\t");
        for (int i = 0; i < 1500; ++i) {
            const int kind = rng.bounded(10);
            if (kind < 5) {
                QTest::keyClick(box, chars.at(rng.bounded(chars.size())).toLatin1());
            } else if (kind < 8) {
                const auto& k = special.at(rng.bounded(special.size()));
                if (k.first == Qt::Key_V || k.first == Qt::Key_Insert) {
                    QString junk;
                    for (int n = rng.bounded(30); n > 0; --n) junk += chars.at(rng.bounded(chars.size()));
                    QApplication::clipboard()->setText(junk);
                }
                QTest::keyClick(box, k.first, k.second);
            } else if (kind < 9) {
                box->setCursorPosition(rng.bounded(box->text().size() + 1));
            } else {
                const int from = rng.bounded(box->text().size() + 1);
                box->setSelection(from, rng.bounded(box->text().size() + 1 - from));
            }
            box->setFocus();
            QVERIFY2(keepsMask(box->text(), mask), qPrintable(QString("step %1: %2").arg(i).arg(box->text())));
        }
    }

    void positionChecks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("result");
        QTest::newRow("latitude 91") << "L91°00.0'N  Lo000°00.0'W"
                                     << QStringList{"Degrees of Latitude must be between 0 and 90°"} << kReset;
        QTest::newRow("latitude minutes 61") << "L45°61.0'N  Lo000°00.0'W"
                                             << QStringList{"Minutes of Latitude must be between 0 and 60°"} << kReset;
        QTest::newRow("longitude 181") << "L45°30.0'N  Lo181°00.0'W"
                                       << QStringList{"Degrees of Longitude must be between 0 and 180°"} << kReset;
        QTest::newRow("longitude minutes 61")
            << "L45°30.0'N  Lo070°61.0'W" << QStringList{"Minutes of Longitude must be between 0 and 60°"} << kReset;
        QTest::newRow("all wrong: one message") << "L99°99.9'N  Lo999°99.9'W"
                                                << QStringList{"Degrees of Latitude must be between 0 and 90°"}
                                                << kReset;
        QTest::newRow("inclusive limits") << "L90°60.0'N  Lo180°60.0'W" << QStringList{}
                                          << "L90°60.0'N  Lo180°60.0'W";
        QTest::newRow("half typed") << "L9#°##.#'N  Lo1##°##.#'W" << QStringList{} << "L9#°##.#'N  Lo1##°##.#'W";
    }
    void positionChecks() {
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        QFETCH(QString, result);
        Harness h;
        h.openMenuItem("Position");
        QVERIFY(h.visible("txtLatLon"));
        h.ui().cmdEnter->setFocus();
        ctl::setText(h.ui().txtLatLon, text);
        QCOMPARE(h.messages.texts(), messages);
        QCOMPARE(h.text("txtLatLon"), result);
        QCOMPARE(h.text("lblLatLon"), result);
        if (!messages.isEmpty()) {
            QCOMPARE(QApplication::focusWidget(), h.find("txtLatLon"));
            QCOMPARE(h.ui().txtLatLon->cursorPosition(), 0);
        }
    }

    // The position line follows the typing, and a refused digit resets the whole position.
    void positionTyped() {
        Harness h;
        h.openMenuItem("Position");
        h.type("txtLatLon", "42");
        QCOMPARE(h.text("lblLatLon"), QString("L42°##.#'N  Lo###°##.#'W"));
        h.type("txtLatLon", "7");
        QCOMPARE(h.text("lblLatLon"), QString("L42°7#.#'N  Lo###°##.#'W"));
        QVERIFY(h.messages.texts().isEmpty());
        h.type("txtLatLon", "1");
        QCOMPARE(h.messages.texts(), QStringList{"Minutes of Latitude must be between 0 and 60°"});
        QCOMPARE(h.text("txtLatLon"), kReset);
        QCOMPARE(h.text("lblLatLon"), kReset);
        // Enter hides the field; the position line keeps the accepted text.
        h.ui().txtLatLon->setCursorPosition(1);
        h.type("txtLatLon", "12");
        h.click("cmdEnter");
        QVERIFY(!h.visible("txtLatLon"));
        QCOMPARE(h.text("lblLatLon"), QString("L12°00.0'N  Lo000°00.0'W"));
    }

    void timeChecks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("shown");
        QTest::newRow("24:00") << "2400" << QStringList{"Hours must be from 0 to 23"} << "00:00";
        QTest::newRow("23:60") << "2360" << QStringList{"Minutes must be from 0 to 59"} << "00:00";
        QTest::newRow("99:99 one message") << "9999" << QStringList{"Hours must be from 0 to 23"} << "00:00";
        QTest::newRow("23:59") << "2359" << QStringList{} << "23:59";
        QTest::newRow("00:00") << "0000" << QStringList{} << "00:00";
        QTest::newRow("09:30") << "0930" << QStringList{} << "09:30";
        QTest::newRow("untouched") << "" << QStringList{} << "##:##";
    }
    void timeChecks() {
        QFETCH(QString, typed);
        QFETCH(QStringList, messages);
        QFETCH(QString, shown);
        Harness h;
        h.openMenuItem("Time");
        QVERIFY(h.visible("txtTime"));
        QCOMPARE(QApplication::focusWidget(), h.find("txtTime"));
        h.type("txtTime", typed);
        h.click("cmdEnter"); // the field loses the focus first
        QCOMPARE(h.messages.texts(), messages);
        QCOMPARE(h.text("txtTime"), shown);
        QCOMPARE(h.text("lblTime"), shown);
        QVERIFY(h.visible("lblTime"));
        QVERIFY(!h.visible("txtTime"));
    }

    void mmsiCheck_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("nine digits") << "366000001" << true;
        QTest::newRow("leading zeros") << "003669927" << true;
        QTest::newRow("five digits") << "12345" << false;
        QTest::newRow("letters") << "abcdefghi" << false;
        QTest::newRow("decimal point") << "12345678." << false;
        QTest::newRow("minus sign") << "-12345678" << false;
        QTest::newRow("exponent") << "1e5678901" << false;
        QTest::newRow("blank inside") << "1234 5678" << false;
        QTest::newRow("empty") << "" << false;
    }
    void mmsiCheck() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        Harness h;
        h.openMenuItem("MMSI#");
        QVERIFY(h.visible("txtMMSI"));
        QVERIFY(h.visible("lblNewMMSI"));
        ctl::setText(h.ui().txtMMSI, QString());
        h.type("txtMMSI", typed);
        h.ui().cmdMenu->setFocus(Qt::MouseFocusReason); // leaving the field runs its check
        QCOMPARE(h.messages.texts(),
                 accepted ? QStringList{} : QStringList{"Your MMSI # must be 9 digits long"});
        // The line shows the accepted MMSI; a refusal keeps the one accepted before.
        QCOMPARE(h.text("lblMMSI"), accepted ? typed : QString("316123456"));
        QVERIFY(!h.visible("txtMMSI"));
        QVERIFY(h.c().s.OwnMMSI.isEmpty());
        // Clear then puts back the text the field had when it was opened.
        h.click("cmdClear");
        QCOMPARE(h.text("txtMMSI"), QString("316123456"));
    }

    // "MMSI# = ..." at start, the bare digits after Enter, "MMSI# ..." after "Exit this menu".
    void mmsiThreeForms() {
        Harness h;
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# = 316123456"));
        h.openMenuItem("MMSI#");
        ctl::setText(h.ui().txtMMSI, QString());
        h.type("txtMMSI", "366000001");
        h.click("cmdEnter");
        QCOMPARE(h.text("lblMMSI"), QString("366000001"));
        QVERIFY(!h.visible("lblNewMMSI"));
        QCOMPARE(h.c().s.OwnMMSI, QString("316123456"));
        QVERIFY(h.messages.texts().isEmpty());
        h.openMenuItem("Exit this menu");
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# 366000001"));
    }

    // A refused MMSI stays in the field for correction but never becomes the own MMSI: neither
    // Enter nor "Exit this menu" shows it, and the alert goes out with the last accepted one.
    void refusedMmsiIsNeverSent() {
        Harness h;
        h.openMenuItem("MMSI#");
        ctl::setText(h.ui().txtMMSI, QString());
        h.type("txtMMSI", "31612");
        h.click("cmdEnter");
        QCOMPARE(h.messages.texts(), QStringList{"Your MMSI # must be 9 digits long"});
        QCOMPARE(h.text("lblMMSI"), QString("316123456"));
        QCOMPARE(h.text("txtMMSI"), QString("31612"));
        h.openMenuItem("Exit this menu");
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# 316123456"));
        h.hold("cmdDistress", 5500);
        QCOMPARE(h.text("txtCG1"), QString("MMSI # 316123456"));
        QCOMPARE(h.text("txtBC1"), QString("MMSI # 316123456"));
    }

    // Clear cancels the entry: a changed MMSI that the field held when Clear took the focus is
    // never accepted, announced or sent.
    void clearCancelsMmsiEntry() {
        Harness h;
        int announced = 0;
        h.c().ownMmsiListeners.push_back([&announced] { ++announced; });
        h.openMenuItem("MMSI#");
        ctl::setText(h.ui().txtMMSI, QString());
        h.type("txtMMSI", "316123459");
        h.click("cmdClear");
        QVERIFY(h.messages.texts().isEmpty());
        QCOMPARE(h.text("txtMMSI"), QString("316123456"));
        QCOMPARE(announced, 0);
        h.openMenuItem("Exit this menu");
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# 316123456"));
        h.hold("cmdDistress", 5500);
        QCOMPARE(h.text("txtCG1"), QString("MMSI # 316123456"));
    }

    void gpsSwitchAndClock() {
        Harness h;
        h.click("GPSOn");
        QCOMPARE(h.c().s.GPSActive, QString("True"));
        QVERIFY(h.visible("Line1"));
        QVERIFY(h.visible("lblLatLon"));
        QVERIFY(h.visible("lblTime"));
        QCOMPARE(h.text("lblLatLon"), QString("L42°21.0'N  Lo070°55.7'W"));
        h.advance(3000);
        QVERIFY2(h.text("lblTime").contains("10:00:03"), qPrintable(h.text("lblTime")));
        h.advance(57000);
        QVERIFY2(h.text("lblTime").contains("10:01:00"), qPrintable(h.text("lblTime")));
        // Clear writes the time as hh:mm:ss at once.
        h.advance(1200);
        h.click("cmdClear");
        QCOMPARE(h.text("lblTime"), QString("10:01:01"));
        QVERIFY(h.visible("lblTime"));

        h.click("GPSOff");
        QCOMPARE(h.c().s.GPSActive, QString("False"));
        QVERIFY(!h.visible("Line1"));
        QVERIFY(!h.visible("lblLatLon"));
        QVERIFY(!h.visible("lblTime"));
        QVERIFY(!h.visible("txtTime"));
        const QString frozen = h.text("lblTime");
        h.advance(10000);
        QCOMPARE(h.text("lblTime"), frozen);
        QCOMPARE(h.text("lblLatLon"), QString("L42°21.0'N  Lo070°55.7'W"));
    }

    // A manually entered time is shown as typed and does not run on.
    void manualTimeDoesNotRunOn() {
        Harness h;
        h.openMenuItem("Time");
        h.type("txtTime", "0930");
        h.click("cmdEnter");
        QCOMPARE(h.text("lblTime"), QString("09:30"));
        h.advance(120000);
        QCOMPARE(h.text("lblTime"), QString("09:30"));
        // The GPS takes over the time line.
        h.click("GPSOn");
        h.advance(600);
        QVERIFY2(h.text("lblTime").contains("10:02:"), qPrintable(h.text("lblTime")));
    }

    void callTimeText_data() {
        QTest::addColumn<QString>("utc");
        QTest::addColumn<QTime>("expected");
        QTest::newRow("4.5") << "4.5" << QTime(14, 30);
        QTest::newRow("4.0") << "4.0" << QTime(14, 0);
        QTest::newRow("untouched") << "#.#" << QTime(10, 0);
    }
    void callTimeText() {
        QFETCH(QString, utc);
        QFETCH(QTime, expected);
        Harness h;
        h.click("GPSOn");
        ctl::setText(h.ui().txtUTC, utc);
        h.c().own->GetTime();
        const QString shown = h.text("txtBC5");
        const bool twelveHour = QLocale::system().timeFormat(QLocale::ShortFormat).contains("a", Qt::CaseInsensitive);
        const QString hm = twelveHour ? QLocale::c().toString(expected, "h:mm") : expected.toString("HH:mm");
        QVERIFY2(shown.contains(hm), qPrintable(shown));
    }

    void callTimeTextManual() {
        Harness h;
        h.openMenuItem("Time");
        h.type("txtTime", "0930");
        h.click("cmdEnter");
        h.c().own->GetTime();
        QCOMPARE(h.text("txtBC5"), QString("12-06-2026 09:30"));
    }
};

TRAINER_TEST_MAIN(OwnStationTest)
#include "tst_ownstation.moc"
