#include "app/ClassroomSession.h"

#include "air/Air.h"
#include "core/Context.h"
#include "app/Talk.h"
#include "calls/CallSequence.h"
#include "screens/ClassroomDialog.h"
#include "screens/StationList.h"
#include "screens/ToolWindow.h"
#include "stations/Classmates.h"
#include "core/Form.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {
const QString kFreeze = QStringLiteral("freeze");
const QString kUnfreeze = QStringLiteral("unfreeze");
const QString kReset = QStringLiteral("reset");
} // namespace

ClassroomSession& ClassroomSession::of(Context& c) {
    if (!c.classroom) c.classroom = std::make_unique<ClassroomSession>(c);
    return *c.classroom;
}

void ClassroomSession::join(Context& c, const classroom::Settings& settings) { of(c).join(settings); }

ClassroomSession::ClassroomSession(Context& ctx) : c(ctx) {
    if (!c.classmates) c.classmates = std::make_unique<Classmates>(c);
    c.air->subscribe([this](const air::Transmission& t) { published(t); });
    // The session lives as long as the window's stations: the listener never outlives it.
    c.ownMmsiListeners.push_back([this] { ownMmsiChanged(); });
    baseTitle_ = c.form->windowTitle();
    singleSeatName_ = c.ownName;
    // A trainee's exercise results go to the instructor as they come.
    c.resultListeners.push_back([this](const QJsonObject& results) {
        if (link_ && !settings_.instructor) link_->publishResult(results);
    });
    // Who is transmitting now, and where, for the instructor's list.
    c.air->subscribeLive([this](const air::LiveEvent& e) {
        if (!stations_ || !link_ || !settings_.instructor) return;
        if (e.kind == air::LiveEvent::Keyed) stations_->setTransmitting(e.voice.fromMmsi, e.voice.channel);
        else if (e.kind == air::LiveEvent::Unkeyed) stations_->setTransmitting(e.voice.fromMmsi, {});
    });
}

ClassroomSession::~ClassroomSession() {
    delete voice_.data();
    delete link_.data();
    delete stations_.data();
    delete dialog_.data();
}

void ClassroomSession::join(const classroom::Settings& settings) {
    leave();
    settings_ = settings;
    const bool instructor = settings.instructor;
    // The radio is the station the class knows.
    c.s.OwnMMSI = settings.mmsi;
    c.s.AcceptedMMSI = settings.mmsi;
    c.ui->txtMMSI->setText(settings.mmsi);
    c.ui->lblMMSI->setText(QStringLiteral("MMSI# = ") + settings.mmsi);
    // And the name it speaks by.
    if (!settings.vesselName.isEmpty()) c.ownName = settings.vesselName;
    c.classmates->setInstructor(instructor);
    link_ = new classroom::Link(settings, this);
    // The instructor's trainer also speaks for the coast station and the second vessel.
    if (instructor) link_->setVoices({calls::kCoastGuardMMSI, calls::kBlueCraneMMSI});
    if (instructor && !stations_) {
        stations_ = new screens::StationList(c.form);
        connect(stations_, &screens::StationList::freezeRequested, this, &ClassroomSession::freezeClass);
        connect(stations_, &screens::StationList::resetRequested, this, &ClassroomSession::resetClass);
        connect(stations_, &screens::StationList::listenChanged, this, [this](const QString& ch) { c.talk->listenTo(ch); });
        connect(stations_, &screens::StationList::talkPressed, this,
                [this](const QString& name, const QString& mmsi, const QString& channel) {
                    if (link_) c.talk->pressAs(name, mmsi, channel);
                });
        connect(stations_, &screens::StationList::talkReleased, this, [this] { c.talk->release(); });
    }
    if (instructor) {
        QList<std::pair<QString, QString>> talkers{{settings.vesselName.isEmpty() ? settings.mmsi : settings.vesselName, settings.mmsi}};
        if (settings.mmsi != calls::kCoastGuardMMSI) talkers.append({QStringLiteral("Boston Coast Guard"), calls::kCoastGuardMMSI});
        talkers.append({QStringLiteral("The Blue Crane"), calls::kBlueCraneMMSI});
        stations_->setTalkers(talkers);
    }
    classroom::Link* link = link_;
    connect(link, &classroom::Link::callReceived, this,
            [this](const QString&, const dscwire::Message& m, const QDateTime&) { received(m); });
    connect(link, &classroom::Link::stateChanged, this, &ClassroomSession::stateChanged);
    connect(link, &classroom::Link::stationChanged, this, [this](const classroom::StationStatus& s) {
        c.classmates->setName(s.mmsi, s.name);
        if (stations_ && settings_.instructor) stations_->setStation(s);
    });
    connect(link, &classroom::Link::commandReceived, this, &ClassroomSession::command);
    connect(link, &classroom::Link::noticeReceived, this, &ClassroomSession::say);
    connect(link, &classroom::Link::resultReceived, this, [this](const QString& mmsi, const QJsonObject& results) {
        if (stations_ && settings_.instructor) stations_->setResults(mmsi, results);
    });
    exam_ = new ClassExam(c, *link, stations_ && instructor ? stations_->exam : nullptr, link);
    voice_ = new classroom::ClassVoice(*c.air, *link, c.clock, this);
    voice_->hears = [this](const QString& channel) { return c.talk && c.talk->hears(channel); };
    updateTitle();
    if (stations_ && instructor) screens::showBeside(stations_, c.form);
    link->start();
}

void ClassroomSession::leave() {
    if (!link_) return;
    classroom::Link* link = link_;
    link_ = nullptr;
    link->disconnect(this);
    // Voice first: it leaves the air before its link goes.
    delete voice_.data();
    link->stop();
    link->deleteLater();
    if (c.talk) c.talk->listenTo({});
    inbox_.clear();
    c.frozen = false;
    c.ownName = singleSeatName_;
    if (stations_) stations_->hide();
    c.classmates->setInstructor(false);
    updateTitle();
}

// A message box of the window, shown from the event loop rather than inside the link's handling.
void ClassroomSession::say(const QString& text) {
    QTimer::singleShot(0, this, [this, text] { c.message(text); });
}

// What the window's stations send: out to the class, unless it came from the class.
void ClassroomSession::published(const air::Transmission& t) {
    // Calls a receiver heard stay on this trainer: the class carries its stations' own calls.
    if (receiving_ || !t.error.isEmpty() || !link_ || t.source == air::Source::Receiver) return;
    if (!link_->voices().contains(t.message.selfId)) return;
    if (stations_) stations_->noteCall(t.message, t.localTime);
    QString error;
    if (!link_->publishCall(t.message, &error))
        qCWarning(lcClass).noquote() << "a call was not sent to the class:" << error;
}

// Calls from the class arrive inside the network's handling; the stations' reactions may wait
// (alarms), so they run from the event loop, one after the other, in the order received.
void ClassroomSession::received(const dscwire::Message& message) {
    inbox_ << message;
    if (inbox_.size() == 1 && !delivering_) QTimer::singleShot(0, this, &ClassroomSession::deliverReceived);
}

void ClassroomSession::deliverReceived() {
    if (delivering_) return;
    delivering_ = true;
    while (!inbox_.isEmpty()) {
        const dscwire::Message m = inbox_.takeFirst();
        receiving_ = true;
        const air::Transmission& t = c.air->transmit(m);
        receiving_ = false;
        if (stations_) stations_->noteCall(m, t.localTime);
        c.classmates->receive(m);
    }
    delivering_ = false;
}

// The link itself says once on standard error that the broker cannot be reached, and keeps
// trying; the title bar says it for as long as it lasts.
void ClassroomSession::stateChanged(classroom::LinkState state, const QString& reason) {
    updateTitle();
    if (state == classroom::LinkState::Refused)
        say(QStringLiteral("The trainer could not join class %1: %2. It works on its own.")
                .arg(settings_.className, reason));
}

void ClassroomSession::command(const QString& command, const QString& sender) {
    if (stations_ && settings_.instructor && (command == kFreeze || command == kUnfreeze))
        stations_->setFrozen(command == kFreeze);
    if (settings_.instructor || sender == settings_.mmsi) return;
    if (command == kFreeze || command == kUnfreeze) {
        c.frozen = command == kFreeze;
        updateTitle();
    } else if (command == kReset) {
        c.frozen = false;
        c.classmates->reset();
        updateTitle();
    }
}

void ClassroomSession::freezeClass(bool freeze) {
    if (!link_) return;
    // Kept on the broker, so that a trainer that joins while the class is frozen is frozen too.
    link_->publishCommand(freeze ? kFreeze : kUnfreeze, true);
}

void ClassroomSession::resetClass() {
    if (!link_) return;
    if (stations_) stations_->clearCalls();
    link_->publishCommand(kReset, false);
    // A reset also thaws the class: clear the kept freeze.
    link_->publishCommand(kUnfreeze, true);
    c.classmates->reset();
}

void ClassroomSession::ownMmsiChanged() {
    if (!link_ || (exam_ && exam_->keepsMmsi())) return;
    settings_.mmsi = c.s.AcceptedMMSI;
    link_->announce(settings_.vesselName, c.s.AcceptedMMSI);
    updateTitle();
}

QString ClassroomSession::titleText() const {
    if (!link_) return baseTitle_;
    const classroom::Settings& s = settings_;
    QString text = baseTitle_ + QStringLiteral(" - class %1, %2 %3: %4")
                                     .arg(s.className, s.instructor ? QStringLiteral("instructor") : QStringLiteral("MMSI"),
                                          s.mmsi, classroom::stateText(link_->state()));
    if (c.frozen) text += QStringLiteral(" - frozen by the instructor");
    return text;
}

void ClassroomSession::updateTitle() { c.form->setWindowTitle(titleText()); }

// The Classroom window does not hold up the radio: it stays open beside it until Join, Leave or
// Cancel, and a second press of the key brings it to the front.
void ClassroomSession::openDialog() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    const classroom::Settings current = link_ ? settings_ : screens::ClassroomDialog::remembered();
    dialog_ = new screens::ClassroomDialog(c.form, current, inClass());
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_->micTest, &QPushButton::clicked, this, [this] { c.talk->showMicTest(); });
    connect(dialog_, &QDialog::finished, this, [this](int choice) {
        if (!dialog_) return;
        if (choice == screens::ClassroomDialog::Join) join(dialog_->settings());
        else if (choice == screens::ClassroomDialog::Leave) leave();
    });
    screens::showBeside(dialog_, c.form);
}
