// The window for keyboard and screen-reader users: the names a screen reader speaks and the Tab
// order of the radio's face (the keys that work it are in tst_keyboard).
#include "harness/Focus.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace {

QWidget* controlById(Harness& h, const QString& id) {
    const QStringList parts = id.split(QLatin1Char('#'));
    if (parts.size() == 1) return h.find(id);
    for (QWidget* w : h.window()->findChildren<QWidget*>(parts[0]))
        if (w->property("index").toInt() == parts[1].toInt()) return w;
    qFatal("no control %s", qPrintable(id));
    return nullptr;
}

// What a screen reader is told the control is called.
QString spokenName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString spokenDescription(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Description) : QString();
}

// Every control of the window a user can operate: the kinds a screen reader reaches and acts on.
// Every control of the window, the lists made when first needed included (made here).
QList<QWidget*> operableControls(Harness& h) {
    h.ui().makeAllLate();
    QList<QWidget*> out;
    for (QWidget* w : h.window()->findChildren<QWidget*>())
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QListWidget*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QTextEdit*>(w) ||
            qobject_cast<QPlainTextEdit*>(w))
            out << w;
    return out;
}

// The Tab order: the own radio's face as its controls are laid out, top to bottom and, side by
// side, left to right (frmGMDSS.ui): the keypad in the top left corner, row by row; the DSC
// display to its right, its lists and entry fields by their top, then left edge (the directory
// entry field sits on its upper edge; controls stacked on one spot in the window's order); Call
// (left) and Distress (right) below; the row U/I/C, Hi/Lo, knob, 16/9, CH/WX; the bottom row
// Enter, Menu, Clear, On/Off. Then the Coast Guard display (top left of the window) row by row,
// its Clear and Acknowledge at the bottom; then the second vessel's panel (top right) row by row;
// then the rest from top to bottom: Change Screen Size with its three choices, the DSC Messages,
// Classroom, Exercises, Lessons and Radio log buttons beside it, the Microphone Test button, the GPS switch.
const QStringList kTabOrder{
    // keypad
    "command1#1", "command1#2", "command1#3", "command1#4", "command1#5", "command1#6", "command1#7", "command1#8",
    "command1#9", "command1#10", "command1#11", "command1#12",
    // DSC display
    "txtDirectory", "lstDirectory", "lstCall", "lstGroup", "lstReceived", "lstDistress", "ComboMessage", "lstMenu",
    "txtMMSI", "txtTime", "txtUTC", "txtLatLon",
    // keys
    "cmdCall", "cmdDistress", "cmdMode", "cmdHiLow", "ScrollChannel", "cmd16", "cmdCHWX", "cmdEnter", "cmdMenu",
    "cmdClear", "cmdOnOff", "cmdTalk",
    // Coast Guard display
    "CGVesselName", "txtCG6", "txtCG1", "txtCG2", "txtCG5", "txtCG3", "txtCG4", "CGClear", "cmdAcknowledge",
    // second vessel's panel
    "txtBC1", "txtBC6", "txtBC2", "txtBC3", "txtBC4", "txtBC5", "txtBC7", "lstBC", "lstBC2", "comboBC", "cmdBCEnter",
    "cmdBCClear", "cmdBCDistress",
    // the rest
    "cmdChangeScreenSize", "OptScreenSize1", "optScreenSize2", "optScreenSize3", "cmdDscMessages", "cmdClassroom",
    "cmdExercises", "cmdLessons", "cmdRadioLog", "cmdMicTest", "GPSOn", "GPSOff"};

bool takesTab(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus; }

// The focus chain from `start` once round, the controls Tab can stop at (visible or not).
QStringList focusChainFrom(QWidget* start, bool forward) {
    QStringList out;
    QWidget* w = start;
    for (int guard = 0; guard < 1000; ++guard) {
        if (takesTab(w)) out << idOf(w);
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == start) return out;
    }
    return out << QStringLiteral("(the chain does not come back)");
}

// Option buttons that choose one of a group (the GPS switch, the screen sizes) make one Tab stop,
// the button of the group that had the focus last (each of them, until one has had it); the arrow
// keys move within the group.
const QWidget* optionGroup(const QWidget* w) {
    auto* r = qobject_cast<const QRadioButton*>(w);
    return r && r->autoExclusive() ? r->parentWidget() : nullptr;
}

// The stops of repeated Tab presses (Shift+Tab when !forward) from the first of `shown`, which lists
// the shown controls in the focus chain's order: once round and back to the start. `lastInGroup`
// carries each option group's last focused button from one round to the next.
QStringList tabStops(Harness& h, QStringList shown, bool forward, QHash<const QWidget*, QWidget*>& lastInGroup) {
    if (!forward) std::reverse(shown.begin() + 1, shown.end());
    QStringList out;
    for (const QString& id : shown) {
        QWidget* w = controlById(h, id);
        if (const QWidget* group = optionGroup(w)) {
            if (lastInGroup.value(group, w) != w) continue;
            lastInGroup[group] = w;
        }
        out << id;
    }
    return out << shown.first();
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    // Every button, key, option button, check box, knob, list, text field and drop-down list of
    // the window, shown or hidden, has a name a screen reader speaks.
    void everyOperableControlHasASpokenName() {
        Harness h;
        QStringList unnamed;
        QSet<QString> kinds;
        int hidden = 0;
        const QList<QWidget*> controls = operableControls(h);
        for (QWidget* w : controls) {
            kinds << QString::fromLatin1(w->metaObject()->className());
            hidden += !w->isVisible();
            if (w->accessibleName().trimmed().isEmpty() || spokenName(w) != w->accessibleName())
                unnamed << QStringLiteral("%1 (%2, in %3)")
                               .arg(idOf(w), w->metaObject()->className(), w->parent()->objectName());
        }
        QCOMPARE(unnamed, QStringList());
        // The check saw every kind the window has, and the controls hidden at start too.
        for (const char* kind : {"QPushButton", "QRadioButton", "QScrollBar", "QLineEdit", "QListWidget", "QComboBox"})
            QVERIFY2(kinds.contains(QLatin1String(kind)), kind);
        QVERIFY2(controls.size() >= 60, qPrintable(QString::number(controls.size())));
        QVERIFY2(hidden >= 20, qPrintable(QString::number(hidden)));
    }

    // No two controls are called the same: Clear, Enter and Distress exist twice on the window,
    // and the screen reader must tell the own radio's from the other stations'.
    void spokenNamesAreUnique() {
        Harness h;
        h.ui().makeAllLate();
        QMap<QString, QStringList> byName;
        for (QWidget* w : h.window()->findChildren<QWidget*>())
            if (!w->accessibleName().isEmpty()) byName[w->accessibleName()] << idOf(w);
        QStringList twice;
        for (auto it = byName.cbegin(); it != byName.cend(); ++it)
            if (it.value().size() > 1) twice << it.key() + QStringLiteral(": ") + it.value().join(QLatin1Char(' '));
        QCOMPARE(twice, QStringList());
        QVERIFY(byName.size() >= 100);
    }

    void namesOfTheControls_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const std::pair<const char*, const char*> rows[] = {
            // the own radio's keys and knob
            {"cmdDistress", "Distress key, hold 5 seconds"},
            {"ScrollChannel", "Channel knob"},
            {"cmdOnOff", "On/Off key"},
            {"cmd16", "16/9 key"},
            {"cmdCHWX", "CH/WX key"},
            {"cmdMode", "U/I/C key"},
            {"cmdHiLow", "Hi/Lo key"},
            {"cmdMenu", "Menu key"},
            {"cmdEnter", "Enter key"},
            {"cmdClear", "Clear key"},
            {"cmdCall", "Call key"},
            {"command1#1", "Key 1"},
            {"command1#9", "Key 9"},
            {"command1#10", "Key CE"},
            {"command1#11", "Key 10"},
            {"command1#12", "Key EN"},
            {"GPSOn", "GPS on"},
            {"GPSOff", "GPS off"},
            // the own radio's display
            {"lblChannel", "Channel display"},
            {"lblStatus", "Status line"},
            {"lblMMSI", "MMSI display"},
            {"lblMode", "Channel plan display"},
            {"lblPower", "Transmit power display"},
            {"lblTX", "Transmit lamp"},
            {"lblA", "A channel mark"},
            {"ComboMessage", "Nature of Distress list"},
            {"lstMenu", "DSC menu"},
            {"lstCall", "Call type list"},
            {"lstDirectory", "Directory"},
            {"txtMMSI", "Own MMSI entry"},
            {"txtDirectory", "MMSI or directory entry"},
            // the Coast Guard display
            {"CGVesselName", "Coast Guard display, vessel's name"},
            {"txtCG1", "Coast Guard display, MMSI"},
            {"txtCG2", "Coast Guard display, nature of call"},
            {"txtCG6", "Coast Guard display, priority of call"},
            {"CGClear", "Coast Guard display, Clear"},
            {"cmdAcknowledge", "Coast Guard Acknowledge"},
            // the second vessel's panel
            {"cmdBCDistress", "Second vessel's Distress key, hold 5 seconds"},
            {"cmdBCEnter", "Second vessel's Enter key"},
            {"cmdBCClear", "Second vessel's Clear key"},
            {"comboBC", "Second vessel's Nature of Distress list"},
            {"lstBC", "Second vessel's reply list"},
            {"txtBC1", "Second vessel, MMSI"},
            {"txtBC7", "Second vessel, messages"},
            {"lblBCChannel", "Second vessel's channel display"},
            // the rest
            {"cmdChangeScreenSize", "Change Screen Size"},
            {"OptScreenSize1", "Screen size 800 by 600"},
            {"optScreenSize3", "Original screen size"},
            {"Image3", "About the trainer"},
            {"cmdDscMessages", "DSC Messages"},
            {"cmdClassroom", "Classroom"},
            {"cmdExercises", "Exercises"},
            {"cmdLessons", "Lessons"},
            {"cmdRadioLog", "Radio log"},
            {"cmdTalk", "Talk key, hold to talk"},
            {"barMicLevel", "Microphone level"},
            {"cmdMicTest", "Microphone Test"},
        };
        for (const auto& [control, name] : rows) QTest::newRow(control) << QString(control) << QString(name);
    }
    // The names themselves, as the screen reader gets them.
    void namesOfTheControls() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        Harness h;
        QWidget* w = controlById(h, control);
        QCOMPARE(w->accessibleName(), name);
        QCOMPARE(spokenName(w), name);
    }

    void displaysSayWhatTheyShow_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shows");
        QTest::newRow("channel") << "lblChannel" << "Channel display" << "16";
        QTest::newRow("status line") << "lblStatus" << "Status line" << "Calling and Emergency";
        QTest::newRow("MMSI") << "lblMMSI" << "MMSI display" << "MMSI# = 316123456";
        QTest::newRow("plan") << "lblMode" << "Channel plan display" << "USA";
        QTest::newRow("transmit lamp") << "lblTX" << "Transmit lamp" << "TX";
        QTest::newRow("MMSI prompt") << "lblNewMMSI" << "MMSI entry prompt" << "Enter your MMSI#";
        QTest::newRow("second vessel's channel") << "lblBCChannel" << "Second vessel's channel display" << "16";
        QTest::newRow("Coast Guard station") << "Label2" << "Coast Guard station name" << "Boston Coast Guard";
    }
    // A display label is spoken by its name, and what it shows is its value and its text (the
    // blanks some prompts are padded with left out).
    void displaysSayWhatTheyShow() {
        QFETCH(QString, display);
        QFETCH(QString, name);
        QFETCH(QString, shows);
        Harness h;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(h.find(display));
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::StaticText);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(iface->text(QAccessible::Value), shows);
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), shows);
    }

    // What a display says follows what it shows.
    void displaysFollowTheirText() {
        Harness h;
        QAccessibleInterface* channel = QAccessible::queryAccessibleInterface(h.find("lblChannel"));
        QAccessibleInterface* status = QAccessible::queryAccessibleInterface(h.find("lblStatus"));
        QCOMPARE(channel->text(QAccessible::Value), QString("16"));
        h.click("cmd16");
        QCOMPARE(channel->text(QAccessible::Value), QString("09"));
        h.click("cmdCHWX"); // the weather channels
        QCOMPARE(channel->text(QAccessible::Value), h.text("lblChannel"));
        QCOMPARE(status->text(QAccessible::Value), QString("Weather"));
        QCOMPARE(status->textInterface()->text(0, status->textInterface()->characterCount()), QString("Weather"));
        QCOMPARE(status->text(QAccessible::Name), QString("Status line"));
    }

    void holdKeysSayHowToUseThem_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("own radio") << QString("cmdDistress");
        QTest::newRow("second vessel") << QString("cmdBCDistress");
    }
    // The hold keys tell in their name that they must be held, and in their description how; the
    // name stays put while the caption counts the seconds.
    void holdKeysSayHowToUseThem() {
        QFETCH(QString, key);
        Harness h;
        QWidget* w = h.find(key);
        const QString name = spokenName(w);
        QVERIFY2(name.contains(QLatin1String("hold 5 seconds")), qPrintable(name));
        const QString description = spokenDescription(w);
        QVERIFY2(description.contains(QLatin1String("five seconds")) && description.contains(QLatin1String("Space")),
                 qPrintable(description));
        QString captionMidway, nameMidway;
        h.after(2500, [&] {
            captionMidway = h.text(key);
            nameMidway = spokenName(w);
        });
        h.hold(key, 3000);
        QCOMPARE(captionMidway, QString(":02 Seconds"));
        QCOMPARE(nameMidway, name);
    }

    // The walk along the focus chain from the first control of the radio, once round: every
    // control that takes the focus by Tab, hidden ones too, in the order of the face.
    void focusChainFollowsTheFace() {
        Harness h;
        h.ui().makeAllLate(); // each in its place, though made after the window
        QWidget* first = controlById(h, kTabOrder.first());
        QCOMPARE(focusChainFrom(first, true), kTabOrder);
        QStringList backwards = kTabOrder.mid(1);
        std::reverse(backwards.begin(), backwards.end());
        backwards.prepend(kTabOrder.first());
        QCOMPARE(focusChainFrom(first, false), backwards);
        // Nothing the trainee can operate is left out of it.
        QStringList outside;
        for (QWidget* w : operableControls(h))
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
                !kTabOrder.contains(idOf(w)))
                outside << idOf(w);
        QCOMPARE(outside, QStringList());
    }

    // Real Tab presses: the window starts with the focus on the first control that is shown, and
    // Tab visits the shown controls in the order of the face, round to the start; Shift+Tab goes
    // round the other way.
    void tabVisitsTheShownControlsInTurn() {
        Harness h;
        QStringList shown;
        for (const QString& id : kTabOrder)
            if (controlById(h, id)->isVisible()) shown << id;
        QVERIFY(shown.size() >= 30);
        QCOMPARE(focusId(), shown.first());
        QHash<const QWidget*, QWidget*> lastInGroup;
        for (bool forward : {true, false, true}) {
            const QStringList expected = tabStops(h, shown, forward, lastInGroup);
            QStringList visited{focusId()};
            for (qsizetype i = 1; i < expected.size(); ++i) {
                pressTab(h, forward);
                visited << focusId();
            }
            QCOMPARE(visited, expected);
        }
    }

    // The GPS switch is one Tab stop; the arrow keys move between On and Off and choose.
    void arrowsChooseWithinAnOptionGroup() {
        Harness h;
        QVERIFY(h.find<QRadioButton>("GPSOff")->isChecked());
        h.find("GPSOff")->setFocus(Qt::TabFocusReason);
        h.keyDown(Qt::Key_Left);
        h.keyUp(Qt::Key_Left);
        QCOMPARE(focusId(), QString("GPSOn"));
        QVERIFY(h.find<QRadioButton>("GPSOn")->isChecked());
        h.keyDown(Qt::Key_Right);
        h.keyUp(Qt::Key_Right);
        QCOMPARE(focusId(), QString("GPSOff"));
        QVERIFY(h.find<QRadioButton>("GPSOff")->isChecked());
    }

    void shownControlsTakeTheirPlace_data() {
        QTest::addColumn<QString>("opens");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QStringList>("tabs");
        QTest::newRow("DSC menu") << "cmdMenu" << "command1#12" << QStringList{"lstMenu", "cmdCall", "cmdDistress"};
        QTest::newRow("call list") << "cmdCall" << "command1#12" << QStringList{"lstCall", "cmdCall"};
        QTest::newRow("nature of distress") << "cmdDistress" << "command1#12"
                                            << QStringList{"ComboMessage", "cmdCall"};
        QTest::newRow("screen sizes") << "cmdChangeScreenSize" << "cmdChangeScreenSize"
                                      << QStringList{"OptScreenSize1", "cmdDscMessages", "cmdClassroom", "cmdExercises",
                                                     "cmdLessons", "cmdRadioLog", "cmdMicTest", "GPSOn"};
    }
    // A list or entry field that comes up on the display is reached by Tab at its place on the face.
    void shownControlsTakeTheirPlace() {
        QFETCH(QString, opens);
        QFETCH(QString, from);
        QFETCH(QStringList, tabs);
        Harness h;
        if (opens == QLatin1String("cmdDistress")) h.hold(opens, 500); // a short press
        else h.click(opens);
        QVERIFY(controlById(h, tabs.first())->isVisible());
        controlById(h, from)->setFocus(Qt::OtherFocusReason);
        QStringList visited;
        for (qsizetype i = 0; i < tabs.size(); ++i) {
            pressTab(h, true);
            visited << focusId();
        }
        QCOMPARE(visited, tabs);
    }
};

TRAINER_TEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
