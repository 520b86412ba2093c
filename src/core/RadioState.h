#pragma once
// The own radio's state: every window-level value that the parts of the trainer share. Flags and
// call-type choices are texts compared exactly ("True"/"False", "CH"/"WX", "RoutineX", ...).
// An empty text also stands for "never set".
#include "platform/Wait.h"

#include <QString>
#include <QtGlobal>
#include <memory>

namespace screens {
class TKM;
}

struct RadioState : platform::WaitCounters {
    RadioState();
    ~RadioState();

    QString OwnMMSI;             // carries an accepted MMSI to the MMSI line; often empty
    QString AcceptedMMSI;        // the own MMSI every call sends: the last one the check accepted
    QString TxPower;             // "25W" or "1W"
    QString ChannelPlan;         // "USA", "CAN" or "INT"
    QString ChWxMode;            // "CH" or "WX"
    qint16 PrevScrollValue = 0;  // knob position of the channel shown before the current change
    QString ChannelLabel;        // designator last chosen by the USA paired-channel steps
    QString GPSActive;           // "True" or "False"; empty = off
    QString TimeEntryOpen;       // "True" while a manual time entry is open
    QString MenuEntry;           // "MMSI", "Time", "Position", "Directory", "UTC" or empty
    QString SavedEntryText;      // the edited field's text before editing
    QString DistressNature;      // nature carried by the own distress alert
    qint16 CallVoiceChannel = 0; // knob position when a call was sent
    QString CallPosition;        // position line when a call was sent
    QString CallWorkingChannel;  // channel proposed in a call, e.g. "22A"
    QString CalledMMSI;          // addressee of the call being sent
    QString CallTypeDistress;    // "Distress" while an own distress alert is active
    QString CallTypeUrgency;
    QString CallTypeSafety;
    QString CallTypeRoutine;     // "Routine", "RoutineX" (able), "RoutineY" (unable) or empty
    QString CallTypeGroup;
    QString CallTypeRequest;
    QString CallTypePolling;
    QString CallTypeAllShips;
    std::unique_ptr<screens::TKM> KeyWatcher; // created on the first key press
    bool DisplayModeChanged = false;
};
