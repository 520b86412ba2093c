#pragma once
// A trainer in a class: the link to the class's broker, tied to the air of the trainer's window.
// What the window's stations send goes out to the class (the own radio's calls; on the
// instructor's trainer also the coast station's and the second vessel's); what classmates send
// comes onto the air and reaches the window's stations. Voice goes both ways too (ClassVoice): the
// instructor's station list shows who is transmitting, and its controls let the instructor listen
// to any channel and talk as the coast station or The Blue Crane. The title bar says where the
// trainer is.
#include "app/ClassExam.h"
#include "classroom/ClassVoice.h"
#include "classroom/Link.h"
#include "screens/ClassroomDialog.h"
#include "screens/StationList.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

struct Context;
namespace air {
struct Transmission;
}

class ClassroomSession : public QObject {
    Q_OBJECT
public:
    // The trainer's one session, made on the first join; it stays to the end of the run, so that
    // a reaction of the window's stations that is still running never outlives it.
    static ClassroomSession& of(Context& c);
    // Joins the class (leaving one the trainer is in first). The radio takes the settings' MMSI as
    // its own.
    static void join(Context& c, const classroom::Settings& settings);
    explicit ClassroomSession(Context& ctx);
    ~ClassroomSession() override;

    void join(const classroom::Settings& settings);
    // Back to a single seat: the class is told the station is offline.
    void leave();
    bool inClass() const { return link_ != nullptr; }
    classroom::Link* link() { return link_; }
    const classroom::Settings& settings() const { return settings_; }
    // Asks for the class to join or leave, and does it.
    void openDialog();
    // The instructor's list of the class's stations (null on a trainee's trainer).
    screens::StationList* stations() { return stations_; }
    QString titleText() const;

    // The class's mock exam (null out of a class).
    ClassExam* exam() { return exam_; }

    // The instructor's commands to the class.
    void freezeClass(bool freeze);
    void resetClass();


private:
    void published(const air::Transmission& t);
    void received(const dscwire::Message& message);
    void deliverReceived();
    void stateChanged(classroom::LinkState state, const QString& reason);
    void command(const QString& command, const QString& sender);
    void ownMmsiChanged();
    void updateTitle();

    void say(const QString& text);

    Context& c;
    classroom::Settings settings_;
    QPointer<classroom::Link> link_;
    QPointer<classroom::ClassVoice> voice_;
    QPointer<ClassExam> exam_;
    QString baseTitle_;  // the window's own title, before the class's part
    QString singleSeatName_;  // the vessel's name out of a class
    QPointer<screens::StationList> stations_;
    QPointer<screens::ClassroomDialog> dialog_;
    bool receiving_ = false;   // a classmate's call is being put on the air: not sent back out
    QList<dscwire::Message> inbox_;
    bool delivering_ = false;
};
