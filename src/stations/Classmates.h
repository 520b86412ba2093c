#pragma once
// The other stations of a class, as the trainer's window meets them: the calls classmates send
// reach the own radio (and, on the instructor's trainer, the coast station's display and the
// second vessel's panel) the way a call from a model station does, and the own radio answers
// them from its keys and lists. Exists only while the trainer is in a class.
#include "dscwire/Message.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

struct Context;

class Classmates {
public:
    // Takes the coast station's Acknowledge key first while it exists.
    explicit Classmates(Context& ctx);
    ~Classmates();
    Classmates(const Classmates&) = delete;
    Classmates& operator=(const Classmates&) = delete;

    // On the instructor's trainer the coast station and the second vessel are the class's.
    void setInstructor(bool instructor) { instructor_ = instructor; }
    bool instructor() const { return instructor_; }
    // The vessel name a station goes by in the class.
    void setName(const QString& mmsi, const QString& name);
    QString vesselName(const QString& mmsi) const;  // its name, or the MMSI when it gave none
    QString vesselLine(const QString& mmsi) const;  // "Vessel: <name>"

    // A call a classmate sent, already on the air. Runs the reaction of every station of this
    // window that it is for; may wait (alarms), so it must not be called from inside a network
    // callback.
    void receive(const dscwire::Message& m);

    // The Acknowledge key of the coast station's display when the display holds a classmate's call:
    // sends the acknowledgement to the class. False when the display holds no classmate's call.
    bool acknowledgeOnCoastStation();
    // A line chosen in the received-calls list: the answer to a classmate's call. False when the
    // line is not part of such an answer.
    bool chooseReceivedLine(const QString& line);

    // The class's log of other calls, newest last, as lines of the received-calls list.
    const QStringList& otherCalls() const { return otherCalls_; }

    // The instructor's "reset": every display and list back to empty, a running alert ended.
    void reset();

private:
    void distressAlert(const dscwire::Message& m);
    void distressAcknowledgement(const dscwire::Message& m);
    void allShipsOrGroup(const dscwire::Message& m);
    void individual(const dscwire::Message& m);
    void toCoastStation(const dscwire::Message& m, const QString& priority);
    void toSecondVessel(const dscwire::Message& m);
    void logOtherCall(const dscwire::Message& m, const QString& what);
    void showReceived(const QStringList& lines);
    void answerPending(const std::function<dscwire::Message(const dscwire::Message&)>& reply);
    QString timeText() const;

    Context& c;
    bool instructor_ = false;
    QHash<QString, QString> names_;
    QStringList otherCalls_;
    std::optional<dscwire::Message> pendingCall_;  // a classmate's call the own radio still answers
    bool choosingReason_ = false;
    std::optional<dscwire::Message> coastStationCall_;  // the classmate's call on the coast display
};
