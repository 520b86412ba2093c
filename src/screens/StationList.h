#pragma once
// The instructor's view of the class: every station that has reported, one row each in MMSI order,
// whether it is online, the last call it sent and whether its distress alert still waits for an
// acknowledgement; and the two orders the instructor gives the whole class, freeze and reset. The
// window only shows and asks: what it is told comes from the classroom link, and its requests go
// back there through its signals.
#include "classroom/Envelope.h"

#include <QDateTime>
#include <QJsonObject>
#include <functional>
#include <QMap>
#include <QString>
#include "screens/ToolWindow.h"

#include <QWidget>

class QKeyEvent;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace screens {

class ClassExamPanel;

class StationList : public ToolWindow {
    Q_OBJECT
public:
    enum Column { Mmsi, Vessel, Station, OnAir, LastCall, Distress, Exercise, ColumnCount };
    // The voice channels the instructor can listen to and talk on.
    static const QStringList& voiceChannels();

    explicit StationList(QWidget* parent = nullptr);

    // A station's presence as it reported it: a new row, or its row brought up to date.
    void setStation(const classroom::StationStatus& status);
    // A call that went on the air in the class, at the instructor's local time. It becomes the last
    // call of its sender (a station not heard of before gets a row); a distress alert marks its
    // sender in distress, a distress acknowledgement clears the mark of the vessel it names.
    void noteCall(const dscwire::Message& message, const QDateTime& localTime);
    // A trainee's exercise results as its trainer reported them (see lessons::ExerciseRun::summary).
    void setResults(const QString& mmsi, const QJsonObject& results);
    // One debrief page per station: its calls in the class, in words, and its exercise results.
    // Written into `folder` as <MMSI>.html; returns the files written, or why none could be.
    dscwire::Result<QStringList> saveDebriefs(const QString& folder) const;
    // Asks for the folder of the debriefs (a dialog; tests give their own).
    std::function<QString()> askFolder;
    // Forgets every last call and distress mark, as after a reset of the class; the stations stay.
    void clearCalls();

    // A station keys on a channel (its row says "TX 16"), or lets go (an empty channel).
    void setTransmitting(const QString& mmsi, const QString& channel);
    // The stations this trainer can talk as, name and MMSI, the first one chosen.
    void setTalkers(const QList<std::pair<QString, QString>>& talkers);

    bool frozen() const { return frozen_; }
    // The class's frozen state as the link reports it; requests nothing.
    void setFrozen(bool frozen);

    QTableWidget* table;    // tblStations
    QLabel* summary;        // lblStationsSummary
    QPushButton* freeze;    // cmdFreeze
    QPushButton* reset;     // cmdReset
    QPushButton* debriefs;  // cmdSaveDebriefs
    QPushButton* close;     // cmdStationsClose
    QComboBox* listen;      // cboListen: the radio's channel, all channels, or one
    QComboBox* talkAs;      // cboTalkAs: the station the instructor talks as
    QComboBox* talkChannel; // cboTalkChannel
    QPushButton* talk;      // cmdTalkAs: held to talk
    ClassExamPanel* exam;   // pnlClassExam: the class's mock exam

signals:
    // The instructor clicked Freeze class (true) or Unfreeze class (false).
    void freezeRequested(bool freeze);
    void resetRequested();
    // The loudspeaker should follow: "" the radio's channel, "all", or a channel.
    void listenChanged(const QString& channel);
    // The talk key of the window went down (as the station, on the channel) or came up.
    void talkPressed(const QString& name, const QString& mmsi, const QString& channel);
    void talkReleased();


private:
    struct Entry {
        classroom::StationStatus status;
        bool reported = false; // a status has come; before it the station is only known by its calls
        QDateTime lastCallTime;
        QString lastCall, lastCallWhole;
        bool inDistress = false;
        QJsonObject results;
        QStringList timeline;  // every call it sent or was sent, "HH:mm:ss  words"
        QString onAir;         // the channel it is transmitting on now
    };

    // The entry of an MMSI, with its row made where it belongs in MMSI order.
    Entry& entry(const QString& mmsi);
    void showRow(const QString& mmsi);
    void showSummary();

    QMap<QString, Entry> entries_; // by MMSI, in the table's order
    bool frozen_ = false;
};

} // namespace screens
