#include "stations/Classmates.h"

#include "core/Context.h"
#include "calls/Answers.h"
#include "calls/CallSequence.h"
#include "calls/CallTime.h"
#include "calls/OnAir.h"
#include "platform/Controls.h"
#include "radio/FrontPanel.h"
#include "stations/CoastGuard.h"
#include "stations/SecondVessel.h"
#include "core/Form.h"

#include <QLocale>

using dscwire::Message;
namespace code = dscwire::code;

namespace {

const QString kAble = QStringLiteral("Able to Comply");
const QString kUnable = QStringLiteral("Unable to Comply");
const QString kRule(19, QLatin1Char('_'));

QString priorityText(int category) {
    switch (category) {
    case code::kDistressCategory: return QStringLiteral("Distress");
    case code::kUrgency: return QStringLiteral("Urgency");
    case code::kSafety: return QStringLiteral("Safety");
    default: return QStringLiteral("Routine");
    }
}

QString channelText(const Message& m) { return calls::channelDesignator(m.channels.value(0, 0)); }

QString voiceLine(const Message& m) {
    const QString ch = channelText(m);
    return QStringLiteral("Voice Channel ") + (ch.isEmpty() ? QStringLiteral("16") : ch);
}

// The position as the trainer's displays write it; "no position received" when there is none.
QString positionText(const dscwire::Position& p) {
    return p.known ? p.trainerText() : QStringLiteral("no position received");
}

QString natureLine(const Message& m) {
    const QString n = m.nature >= 0 ? dscwire::natureText(m.nature) : QString();
    return n.isEmpty() ? QStringLiteral("Undesignated Reason") : n;
}

bool isAnswer(const Message& m) { return m.eos == code::kAcknowledgement; }

} // namespace

Classmates::Classmates(Context& ctx) : c(ctx) {
    c.coastGuard->acknowledgeClassCall = [this] { return acknowledgeOnCoastStation(); };
}

Classmates::~Classmates() {
    if (c.coastGuard) c.coastGuard->acknowledgeClassCall = nullptr;
}

void Classmates::setName(const QString& mmsi, const QString& name) { names_.insert(mmsi, name); }

QString Classmates::vesselName(const QString& mmsi) const {
    const QString name = names_.value(mmsi);
    return name.isEmpty() ? mmsi : name;
}

QString Classmates::vesselLine(const QString& mmsi) const { return QStringLiteral("Vessel: ") + vesselName(mmsi); }

QString Classmates::timeText() const {
    return QLocale::system().toString(c.clock.now(), QLocale::ShortFormat);
}

void Classmates::receive(const Message& m) {
    const QString own = c.s.AcceptedMMSI;
    if (m.selfId == own) return;
    if (m.format == code::kDistress) {
        distressAlert(m);
    } else if (m.format == code::kAllShips && m.command1 == code::kDistressAck) {
        distressAcknowledgement(m);
    } else if (m.format == code::kAllShips || m.format == code::kGroup) {
        allShipsOrGroup(m);
    } else if (m.format == code::kIndividual || m.format == code::kIndividualAuto) {
        individual(m);
    }
}

// A classmate's alert: logged and alarmed on the own radio as the second vessel's is; on the
// instructor's trainer it also fills the coast station's display for its acknowledgement.
void Classmates::distressAlert(const Message& m) {
    auto& ui = *c.ui;
    const QString nature = natureLine(m);
    const QString position = positionText(m.position);
    const QString when = timeText();
    if (instructor_) {
        ctl::setText(ui.txtCG1, QStringLiteral("MMSI # ") + m.selfId);
        ctl::setText(ui.CGVesselName, vesselLine(m.selfId));
        ctl::setText(ui.txtCG2, nature);
        ctl::setText(ui.txtCG3, QStringLiteral("Voice Channel 16"));
        ctl::setText(ui.txtCG4, position);
        ctl::setText(ui.txtCG5, when);
        ctl::setText(ui.txtCG6, QStringLiteral("Distress"));
        ctl::setBackColor(ui.txtCG1, ctl::kRed);
        coastStationCall_ = m;
    }
    ui.lstDistress->addItems({when, m.selfId, vesselLine(m.selfId), QStringLiteral("Distress"), nature, position,
                              kRule, QString()});
    showReceived({QStringLiteral("MMSI# ") + m.selfId, vesselLine(m.selfId), QStringLiteral("Distress"), nature,
                  QStringLiteral("Voice Channel 16"), position});
    ui.lblStatus->show();
    ui.lblStatus->setText(QStringLiteral("Distress Alert Rec'd"));
    c.playSoundCue(QStringLiteral("Burglar.wav"), 2);
    // One period of announcement: the list flashes with a beep each second.
    c.timedWait(platform::kWaitPeriodMs, [this] {
        ctl::toggleRedYellow(c.ui->lstReceived);
        c.beep();
    });
    ctl::setBackColor(ui.lstReceived, ctl::kDisplay);
}

// An acknowledgement of a distress alert: of the own one it ends the alert as the coast
// station's does; of another station's it is logged.
void Classmates::distressAcknowledgement(const Message& m) {
    auto& ui = *c.ui;
    if (m.distressMmsi == c.s.AcceptedMMSI) {
        if (c.s.CallTypeDistress == QLatin1String("Distress") ||
            ui.lblStatus->text() == QLatin1String("Waiting for Ack")) {
            calls::ownAlertAcknowledged(c);
            c.s.CallTypeDistress.clear();
            calls::ReplyAlarm(c);
        }
        return;
    }
    ui.lstDistress->addItems({timeText(), m.distressMmsi, vesselLine(m.distressMmsi),
                              QStringLiteral("Distress Ack'd by ") + m.selfId, kRule, QString()});
    if (instructor_ && coastStationCall_ && coastStationCall_->selfId == m.distressMmsi &&
        coastStationCall_->format == code::kDistress) {
        ctl::setBackColor(ui.txtCG1, ctl::windowColor());
        coastStationCall_.reset();
    }
}

// A call to all ships or to a group of the own radio's directory.
void Classmates::allShipsOrGroup(const Message& m) {
    auto& ui = *c.ui;
    const bool group = m.format == code::kGroup;
    QString what = group ? QStringLiteral("Group Call") : priorityText(m.category);
    if (group) {
        const QString name = calls::groupName(m.address);
        if (name.isEmpty()) return;  // not one of the own radio's groups
        what += QStringLiteral(" ") + name;
    }
    // An all-ships routine call says so: the display's "Routine" is a call to the coast station.
    if (instructor_ && !group)
        toCoastStation(m, m.category == code::kRoutine ? QStringLiteral("All Ships") : priorityText(m.category));
    logOtherCall(m, what);
    showReceived({QStringLiteral("MMSI# ") + m.selfId, vesselLine(m.selfId), what, voiceLine(m)});
    ui.lblStatus->show();
    ui.lblStatus->setText((group ? QStringLiteral("Group Call") : QStringLiteral("All Ships")) +
                          QStringLiteral(" Rec'd"));
    if (m.category == code::kUrgency) c.playSoundCue(QStringLiteral("Burglar.wav"), 2);
    else if (group) c.playSoundCue(QStringLiteral("Phone.wav"), 3);
    else c.playSoundCue(QStringLiteral("Boing.wav"), 1);
}

// A call addressed to one station: the own radio rings and answers; on the instructor's trainer
// the coast station and the second vessel take theirs.
void Classmates::individual(const Message& m) {
    auto& ui = *c.ui;
    const QString own = c.s.AcceptedMMSI;
    if (instructor_ && calls::isCoastGuard(m.address) && !isAnswer(m)) {
        if (m.command1 == code::kTelephony) toCoastStation(m, priorityText(m.category));
        return;
    }
    if (instructor_ && m.address == calls::kBlueCraneMMSI && !isAnswer(m)) {
        toSecondVessel(m);
        return;
    }
    if (m.address != own) return;

    const QString caller = vesselLine(m.selfId);
    if (isAnswer(m)) {
        // The answer to a call of the own radio.
        QString status;
        if (m.command1 == code::kUnableToComply) {
            const int reason = m.command2 - 100;
            status = kUnable + QStringLiteral(": ") +
                     (reason >= 0 && reason < calls::kUnableReasons.size() ? calls::kUnableReasons.at(reason)
                                                                             : QStringLiteral("No Reason Given"));
        } else if (m.command1 == code::kShipPosition) {
            status = positionText(m.position);
        } else if (m.command1 == code::kPolling) {
            status = vesselName(m.selfId) + QStringLiteral(" replied");
        } else {
            status = kAble + QStringLiteral(" Ch ") + channelText(m);
        }
        logOtherCall(m, status);
        showReceived({QStringLiteral("MMSI# ") + m.selfId, caller, status});
        ui.lblStatus->show();
        ui.lblStatus->setText(status);
        c.playSoundCue(QStringLiteral("Chimes.wav"), 1);
        calls::ReplyAlarm(c);
        return;
    }
    if (m.command1 == code::kShipPosition || m.command1 == code::kPolling) {
        // Answered at once, as a real radio does.
        const bool position = m.command1 == code::kShipPosition;
        logOtherCall(m, position ? QStringLiteral("Position Request") : QStringLiteral("Polling Request"));
        calls::transmit(c, position ? Message::positionReply(m, own, calls::positionOnAir(ui.lblLatLon->text()),
                                                             gpsTimeUtc(c))
                                    : Message::pollingReply(m, own));
        ui.lblStatus->show();
        ui.lblStatus->setText((position ? QStringLiteral("Position sent to ") : QStringLiteral("Poll answered: ")) +
                              m.selfId);
        c.playSoundCue(QStringLiteral("Chimes.wav"), 1);
        return;
    }
    // A call to talk: it rings, shows who calls and on which channel, and waits for the answer
    // chosen in the list.
    pendingCall_ = m;
    choosingReason_ = false;
    logOtherCall(m, priorityText(m.category) + QStringLiteral(" call"));
    showReceived({QStringLiteral("MMSI# ") + m.selfId, caller, priorityText(m.category), voiceLine(m), kRule, kAble,
                  kUnable});
    ui.lblStatus->show();
    ui.lblStatus->setText(QStringLiteral("Call from ") + m.selfId);
    c.playSoundCue(QStringLiteral("Phone.wav"), 5);
}

bool Classmates::chooseReceivedLine(const QString& line) {
    if (!pendingCall_) return false;
    auto& ui = *c.ui;
    if (!choosingReason_ && line == kAble) {
        const QString ch = channelText(*pendingCall_);
        answerPending([this](const Message& call) { return Message::ableToComply(call, c.s.AcceptedMMSI); });
        ui.lblStatus->setText(kAble + QStringLiteral(" Ch ") + ch);
        return true;
    }
    if (!choosingReason_ && line == kUnable) {
        choosingReason_ = true;
        ui.lstReceived->clear();
        ui.lstReceived->addItems(calls::kUnableReasons);
        return true;
    }
    const int reason = choosingReason_ ? calls::kUnableReasons.indexOf(line) : -1;
    if (reason < 0) return false;
    answerPending([this, reason](const Message& call) {
        return Message::unableToComply(call, c.s.AcceptedMMSI, 100 + reason);
    });
    ui.lblStatus->setText(kUnable + QStringLiteral(": ") + line);
    return true;
}

void Classmates::answerPending(const std::function<Message(const Message&)>& reply) {
    const Message call = *pendingCall_;
    pendingCall_.reset();
    choosingReason_ = false;
    c.ui->lstReceived->clear();
    c.ui->lstReceived->hide();
    calls::transmit(c, reply(call));
}

bool Classmates::acknowledgeOnCoastStation() {
    if (!instructor_ || !coastStationCall_) return false;
    auto& ui = *c.ui;
    if (ui.txtCG1->text() != QStringLiteral("MMSI # ") + coastStationCall_->selfId) return false;
    const Message call = *coastStationCall_;
    coastStationCall_.reset();
    ctl::setBackColor(ui.txtCG1, ctl::windowColor());
    if (call.format == code::kDistress) {
        calls::transmit(c, Message::distressAcknowledgement(calls::kCoastGuardMMSI, call));
        ctl::setText(ui.txtCG6, QStringLiteral("Distress Ack'd"));
    } else if (call.format == code::kIndividual) {
        calls::transmit(c, Message::ableToComply(call, calls::kCoastGuardMMSI));
        ctl::setText(ui.txtCG6, QStringLiteral("Ack'd"));
    }
    return true;
}

void Classmates::toCoastStation(const Message& m, const QString& priority) {
    auto& ui = *c.ui;
    ctl::setText(ui.txtCG1, QStringLiteral("MMSI # ") + m.selfId);
    ctl::setText(ui.CGVesselName, vesselLine(m.selfId));
    ctl::setText(ui.txtCG2, m.format == code::kAllShips ? QStringLiteral("All Ships") : QString());
    ctl::setText(ui.txtCG3, voiceLine(m));
    ctl::setText(ui.txtCG4, positionText(m.position));
    ctl::setText(ui.txtCG5, timeText());
    ctl::setText(ui.txtCG6, priority);
    if (m.format == code::kIndividual) {
        ctl::setBackColor(ui.txtCG1, ctl::kRed);
        coastStationCall_ = m;
    }
}

// A classmate's call to the second vessel: its panel shows it, and its own keys answer it (they
// answer the newest such call on the air).
void Classmates::toSecondVessel(const Message& m) {
    auto& ui = *c.ui;
    QString nature = priorityText(m.category);
    if (m.command1 == code::kShipPosition) nature = QStringLiteral("Position Request");
    if (m.command1 == code::kPolling) nature = QStringLiteral("Polling Request");
    ctl::setText(ui.txtBC1, QStringLiteral("MMSI # ") + m.selfId);
    ctl::setText(ui.txtBC2, nature);
    ctl::setText(ui.txtBC3, voiceLine(m));
    ctl::setText(ui.txtBC4, QString());
    ctl::setText(ui.txtBC5, timeText());
    ctl::setText(ui.txtBC6, QString());
    ctl::setText(ui.txtBC7, vesselLine(m.selfId));
    ctl::setBackColor(ui.txtBC1, ctl::kRed);
    if (m.command1 == code::kTelephony) {
        c.s.CallTypeRoutine = QStringLiteral("Routine");
        c.s.CallWorkingChannel = channelText(m);
    }
    c.playSoundCue(QStringLiteral("Phone.wav"), 2);
}

void Classmates::logOtherCall(const Message& m, const QString& what) {
    otherCalls_ << QStringLiteral("UTC ") + c.clock.now().toUTC().toString(QStringLiteral("HH:mm"))
                << vesselName(m.selfId) << m.selfId << what << kRule << QString();
}

void Classmates::showReceived(const QStringList& lines) {
    auto& ui = *c.ui;
    ui.lstDistress->hide();
    ui.lstReceived->clear();
    ui.lstReceived->addItems(lines);
    ui.lstReceived->show();
    ui.lstReceived->raise();
}

void Classmates::reset() {
    auto& ui = *c.ui;
    pendingCall_.reset();
    coastStationCall_.reset();
    choosingReason_ = false;
    c.TimerRepeat->setEnabled(false);
    c.s.CallTypeDistress.clear();
    c.s.CallTypeRoutine.clear();
    c.coastGuard->CGClear_Click();
    c.secondVessel->cmdBCClear_Click();
    ctl::setBackColor(ui.txtBC1, ctl::windowColor());
    ui.lstReceived->clear();
    ui.lstReceived->hide();
    ui.lstDistress->hide();
    otherCalls_.clear();
    c.front->toChannel16();
    ui.lblChannel->setText(QStringLiteral("16"));
    ui.lblStatus->setText(QString());
}
