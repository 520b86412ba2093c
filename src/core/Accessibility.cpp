#include "core/Accessibility.h"

#include "core/AccessibleDisplay.h"
#include "core/ControlKeys.h"
#include "core/Form.h"
#include "core/Pictures.h"
#include "platform/Look.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QWidget>

namespace {

// A control of the window by objectName; the keypad's twelve keys share the name command1 and are
// told apart by their "index" (1 to 12).
struct ControlId {
    const char* name;
    int index = 0;
};

// The form's controls by name (the first of each name) and the members of control arrays by name
// and index, gathered in one walk over the form.
class Controls {
public:
    explicit Controls(QWidget* form) {
        for (QWidget* w : form->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            if (name.isEmpty()) continue;
            if (!byName_.contains(name)) byName_.insert(name, w);
            if (const QVariant index = w->property("index"); index.isValid())
                byIndex_.insert(qMakePair(name, index.toInt()), w);
        }
    }
    QWidget* find(const ControlId& id) const {
        const QString name = QString::fromLatin1(id.name);
        return id.index == 0 ? byName_.value(name) : byIndex_.value(qMakePair(name, id.index));
    }

private:
    QHash<QString, QWidget*> byName_;
    QHash<QPair<QString, int>, QWidget*> byIndex_;
};

struct Description {
    const char* control;
    const char* name;
    const char* description; // nullptr: the name says it all
};

// What a screen reader says for each control. The keypad keys are named after their caption below.
const Description kDescriptions[] = {
    // The own radio: display.
    {"lblChannel", "Channel display", "The channel the radio is tuned to"},
    {"lblA", "A channel mark", "Shown after the channel number on an A channel"},
    {"lblMode", "Channel plan display", "USA, CAN or INT"},
    {"lblPower", "Transmit power display", "25W or 1W"},
    {"lblSimplex", "Simplex or duplex display", nullptr},
    {"lblTX", "Transmit lamp", "Lit while the radio transmits"},
    {"lblStatus", "Status line", "What the channel is used for, or what the radio is doing"},
    {"lblMMSI", "MMSI display", "The own station's MMSI"},
    {"lblLatLon", "Position display", nullptr},
    {"lblTime", "Time display", nullptr},
    {"lblMenu", "Menu heading", nullptr},
    {"lblNewMMSI", "MMSI entry prompt", nullptr},
    {"lblNewMenu", "Time difference prompt, local to UTC", nullptr},
    {"lblUTCDifference", "Time difference prompt, UTC to local", nullptr},
    {"lblVersion", "Program version", nullptr},
    // The own radio: the DSC display's lists and entry fields.
    {"lstMenu", "DSC menu", "Choose an item and press Enter"},
    {"lstCall", "Call type list", "Choose the kind of DSC call and press Enter"},
    {"lstDirectory", "Directory", "Stations with their MMSI; choose the station to call"},
    {"lstGroup", "Group list", nullptr},
    {"lstReceived", "Received calls", nullptr},
    {"lstDistress", "Distress calls received", nullptr},
    {"ComboMessage", "Nature of Distress list", "The nature of distress sent with the alert"},
    {"txtMMSI", "Own MMSI entry", "Nine digits"},
    {"txtLatLon", "Position entry", "Latitude and longitude"},
    {"txtTime", "Time entry", "Hours and minutes"},
    {"txtUTC", "Time difference entry", "Hours from local time to UTC"},
    {"txtDirectory", "MMSI or directory entry", "The MMSI of the station to call, or a new directory line"},
    // The own radio: keys and knob.
    {"cmdCall", "Call key", "Opens the list of DSC calls"},
    {"cmdDistress", "Distress key, hold 5 seconds",
     "Hold it down for five seconds, with the mouse or the Space bar, to send a distress alert; "
     "a short press opens the Nature of Distress list"},
    {"cmdMode", "U/I/C key", "Changes the channel plan: USA, International or Canada"},
    {"cmdHiLow", "Hi/Lo key", "Switches the transmit power between 25 watts and 1 watt"},
    {"ScrollChannel", "Channel knob", "The Right arrow key turns it one channel up, the Left arrow key one down"},
    {"cmd16", "16/9 key", "Jumps between channel 16 and channel 9"},
    {"cmdCHWX", "CH/WX key", "Switches between the marine channels and the weather channels"},
    {"cmdEnter", "Enter key", "Confirms the choice on the display"},
    {"cmdMenu", "Menu key", "Opens the DSC menu"},
    {"cmdClear", "Clear key", "Cancels the choice on the display"},
    {"cmdOnOff", "On/Off key", "Switches the radio off and ends the program"},
    {"Frame1", "GPS", nullptr},
    {"GPSOn", "GPS on", nullptr},
    {"GPSOff", "GPS off", nullptr},
    {"imgGPS", "GPS receiver picture", nullptr},
    {"Image3", "About the trainer", "Click the logo to read about the trainer"},
    // The Coast Guard station display.
    {"Frame2", "Coast Guard display", "What Boston Coast Guard received"},
    {"Label1", "Coast Guard heading", nullptr},
    {"Label2", "Coast Guard station name", nullptr},
    {"Label5", "Coast Guard MMSI", nullptr},
    {"Image5", "Lighthouse picture", nullptr},
    {"CGVesselName", "Coast Guard display, vessel's name", nullptr},
    {"txtCG6", "Coast Guard display, priority of call", nullptr},
    {"txtCG1", "Coast Guard display, MMSI", nullptr},
    {"txtCG2", "Coast Guard display, nature of call", nullptr},
    {"txtCG5", "Coast Guard display, date and time", nullptr},
    {"txtCG3", "Coast Guard display, voice channel", nullptr},
    {"txtCG4", "Coast Guard display, position", nullptr},
    {"CGClear", "Coast Guard display, Clear", "Clears the Coast Guard display"},
    {"cmdAcknowledge", "Coast Guard Acknowledge", "The Coast Guard acknowledges the distress alert"},
    // The second vessel's panel.
    {"Frame3", "Second vessel's panel, The Blue Crane", "What The Blue Crane received, and its answers"},
    {"Label3", "Second vessel's name", nullptr},
    {"Label4", "Second vessel's MMSI", nullptr},
    {"Image4", "Motor vessel picture", nullptr},
    {"Image2", "Sailing vessel picture", nullptr},
    {"lblBCChannel", "Second vessel's channel display", nullptr},
    {"txtBC1", "Second vessel, MMSI", nullptr},
    {"txtBC6", "Second vessel, priority", nullptr},
    {"txtBC2", "Second vessel, nature of call", nullptr},
    {"txtBC3", "Second vessel, voice channel to use", nullptr},
    {"txtBC4", "Second vessel, position", nullptr},
    {"txtBC5", "Second vessel, date and time", nullptr},
    {"txtBC7", "Second vessel, messages", nullptr},
    {"lstBC", "Second vessel's reply list", "Able or unable to comply"},
    {"lstBC2", "Second vessel's reason list", "Why the second vessel is unable to comply"},
    {"comboBC", "Second vessel's Nature of Distress list", "The nature of distress sent with its alert"},
    {"cmdBCEnter", "Second vessel's Enter key", nullptr},
    {"cmdBCClear", "Second vessel's Clear key", nullptr},
    {"cmdBCDistress", "Second vessel's Distress key, hold 5 seconds",
     "Hold it down for five seconds, with the mouse or the Space bar, to send the second vessel's "
     "distress alert; a short press opens its Nature of Distress list"},
    // The screen size.
    {"cmdChangeScreenSize", "Change Screen Size", "Shows the screen sizes to choose from"},
    {"FrameScreenSize", "Screen size panel", nullptr},
    {"lblScreenSize", "Screen size at start", nullptr},
    {"OptScreenSize1", "Screen size 800 by 600", nullptr},
    {"optScreenSize2", "Screen size 1024 by 768", nullptr},
    {"optScreenSize3", "Original screen size", nullptr},
    {"cmdDscMessages", "DSC Messages", "Opens the list of every DSC message sent and received; the F2 key does too"},
    {"cmdClassroom", "Classroom", "Joins or leaves a class of trainers linked through a broker"},
    {"cmdExercises", "Exercises", "Opens the exercise window: tasks set by the trainer, each call checked and scored"},
    {"cmdLessons", "Lessons",
     "Opens the lessons recorded, to replay one, write its debrief or delete it"},
    {"cmdRadioLog", "Radio log", "Opens the radio log, to write down each call and message; Ctrl+L does too"},
    {"cmdTalk", "Talk key, hold to talk", "Transmits voice on the channel shown while it is held; F9 held does the same"},
    {"barMicLevel", "Microphone level", "Nothing heard"},
    {"cmdMicTest", "Microphone Test",
     "Opens the microphone test: record a sentence, hear it back, see its level and the words the trainer heard"},
};

// The Tab order. First the radio's face, its parts in the order they stand from top to bottom and,
// side by side, from left to right: the keypad (row by row); the DSC display's lists and entry
// fields (by their top edge, then left edge; those stacked on the same spot in the order the window
// declares them, only one is shown at a time); Call and Distress; the row of U/I/C, Hi/Lo, the
// knob, 16/9 and CH/WX; the row of Enter, Menu, Clear and On/Off. Then the Coast Guard display,
// then the second vessel's panel, each row by row, then the rest of the window from top to bottom:
// the screen size with its choices, the DSC Messages, Classroom, Exercises, Lessons and Radio log
// buttons beside it, the Microphone Test button and the GPS switch. Hidden controls keep their place
// and are skipped while hidden.
const ControlId kTabOrder[] = {
    // Keypad.
    {"command1", 1}, {"command1", 2}, {"command1", 3}, {"command1", 4}, {"command1", 5}, {"command1", 6},
    {"command1", 7}, {"command1", 8}, {"command1", 9}, {"command1", 10}, {"command1", 11}, {"command1", 12},
    // DSC display.
    {"txtDirectory"}, {"lstDirectory"}, {"lstCall"}, {"lstGroup"}, {"lstReceived"}, {"lstDistress"},
    {"ComboMessage"}, {"lstMenu"}, {"txtMMSI"}, {"txtTime"}, {"txtUTC"}, {"txtLatLon"},
    // Call and Distress, then the two rows of keys.
    {"cmdCall"}, {"cmdDistress"},
    {"cmdMode"}, {"cmdHiLow"}, {"ScrollChannel"}, {"cmd16"}, {"cmdCHWX"},
    {"cmdEnter"}, {"cmdMenu"}, {"cmdClear"}, {"cmdOnOff"}, {"cmdTalk"},
    // Coast Guard display.
    {"CGVesselName"}, {"txtCG6"}, {"txtCG1"}, {"txtCG2"}, {"txtCG5"}, {"txtCG3"}, {"txtCG4"},
    {"CGClear"}, {"cmdAcknowledge"},
    // Second vessel's panel.
    {"txtBC1"}, {"txtBC6"}, {"txtBC2"}, {"txtBC3"}, {"txtBC4"}, {"txtBC5"}, {"txtBC7"},
    {"lstBC"}, {"lstBC2"}, {"comboBC"}, {"cmdBCEnter"}, {"cmdBCClear"}, {"cmdBCDistress"},
    // The rest of the window.
    {"cmdChangeScreenSize"}, {"OptScreenSize1"}, {"optScreenSize2"}, {"optScreenSize3"},
    {"cmdDscMessages"}, {"cmdClassroom"}, {"cmdExercises"}, {"cmdLessons"}, {"cmdRadioLog"}, {"cmdMicTest"}, {"GPSOn"}, {"GPSOff"},
};

} // namespace

void nameControl(QWidget* w, const QString& name, const QString& description) {
    w->setAccessibleName(name);
    if (!description.isEmpty()) w->setAccessibleDescription(description);
}

void nameScrollBars(QAbstractScrollArea* area, const QString& owner) {
    nameControl(area->verticalScrollBar(), owner + QStringLiteral(", vertical scroll bar"));
    nameControl(area->horizontalScrollBar(), owner + QStringLiteral(", horizontal scroll bar"));
}

namespace {

void describe(QWidget* w, const Description& d) {
    if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) makeDisplay(label);
    nameControl(w, QString::fromUtf8(d.name), d.description ? QString::fromUtf8(d.description) : QString());
}

// A list, made after the window: every line whole; Return, Enter and Space choose as a click does;
// described as the window's own controls were, its scroll bars named after it, and put in its place
// in the Tab order, after the control before it there.
void describeLate(QWidget* form, ChoiceKeys* choiceKeys, QWidget* made) {
    if (auto* list = qobject_cast<QListWidget*>(made)) {
        ctl::fitLinesToWidth(list);
        choiceKeys->watch(list);
    }
    const QString name = made->objectName();
    for (const Description& d : kDescriptions)
        if (name == QLatin1String(d.control)) describe(made, d);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(made)) nameScrollBars(area, area->accessibleName());
    const Controls controls(form);
    QWidget* previous = nullptr;
    for (const ControlId& id : kTabOrder) {
        if (name == QLatin1String(id.name)) {
            if (previous) QWidget::setTabOrder(previous, made);
            break;
        }
        if (QWidget* w = controls.find(id)) previous = w;
    }
}

} // namespace

void describeControls(QWidget* form, Ui::frmGMDSS& ui) {
    // The pictures first: a label that shows a picture is no display.
    pictures::keepSharp(form);
    auto* choiceKeys = new ChoiceKeys(form);
    const Controls controls(form);
    // The window's lists, its only scroll areas, are made when first reached for and described then.
    for (QComboBox* box : form->findChildren<QComboBox*>()) choiceKeys->watch(box);
    for (const Description& d : kDescriptions) {
        if (QWidget* w = controls.find({d.control})) describe(w, d);
        else if (!Ui::frmGMDSS::isLate(d.control)) qWarning("describeControls: no control named %s", d.control);
    }
    // The keypad keys, by their caption: "Key 1" ... "Key 9", "Key CE", "Key 10", "Key EN".
    for (int i = 1; i <= 12; ++i)
        if (auto* key = qobject_cast<QAbstractButton*>(controls.find({"command1", i})))
            nameControl(key, QStringLiteral("Key ") + key->text(), QStringLiteral("Keypad key"));

    // The knob turns with the arrow keys, so it takes the focus like every other key of the radio.
    if (auto* knob = qobject_cast<QAbstractSlider*>(controls.find({"ScrollChannel"}))) {
        knob->setFocusPolicy(Qt::StrongFocus);
        new KnobKeys(knob);
    }

    QWidget* previous = nullptr;
    for (const ControlId& id : kTabOrder) {
        QWidget* w = controls.find(id);
        if (!w) {
            if (!Ui::frmGMDSS::isLate(id.name))
                qWarning("describeControls: no control named %s to put in the Tab order", id.name);
            continue;
        }
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
    ui.whenAnyMade([form, choiceKeys](QWidget* made) { describeLate(form, choiceKeys, made); });
}
