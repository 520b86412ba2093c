#include "calls/Senders.h"

#include "core/Context.h"
#include "calls/CallSequence.h"
#include "calls/CallTime.h"
#include "calls/OnAir.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"
#include "core/Form.h"

using calls::CallMember;
using calls::isCoastGuard;
using calls::kOwnVesselLine;
using calls::mmsiLine;
using dscwire::Message;
namespace code = dscwire::code;

namespace {

const QString& kBlueCrane = calls::kBlueCraneMMSI;

QString voiceChannel(const QString& channel) { return QStringLiteral("Voice Channel ") + channel; }

// The received call as one station shows it.
struct Received {
    QString nature, voice, position, time, priority;
};

void toCoastGuard(Context& c, const Received& r) {
    auto& ui = *c.ui;
    ctl::setText(ui.txtCG1, mmsiLine(c));
    ctl::setText(ui.CGVesselName, kOwnVesselLine);
    ctl::setText(ui.txtCG2, r.nature);
    ctl::setText(ui.txtCG3, r.voice);
    ctl::setText(ui.txtCG4, r.position);
    ctl::setText(ui.txtCG6, r.priority);
    ctl::setText(ui.txtCG5, r.time);
}

void toSecondVessel(Context& c, const Received& r) {
    auto& ui = *c.ui;
    ctl::setText(ui.txtBC1, mmsiLine(c));
    ctl::setText(ui.txtBC2, r.nature);
    ctl::setText(ui.txtBC3, r.voice);
    ctl::setText(ui.txtBC4, r.position);
    ctl::setText(ui.txtBC6, r.priority);
    ctl::setText(ui.txtBC7, kOwnVesselLine);
    ctl::setText(ui.txtBC5, r.time);
}

// Both MMSI boxes turn yellow together when the vessel's is red, otherwise both red.
void flashBothStations(Context& c) {
    const QColor next = ctl::backColor(c.ui->txtBC1) == ctl::kRed ? ctl::kYellow : ctl::kRed;
    ctl::setBackColor(c.ui->txtBC1, next);
    ctl::setBackColor(c.ui->txtCG1, next);
}

// Urgency and Safety end on channel 16, leaving weather mode first where the radio is in it.
void backToChannel16(Context& c) {
    c.front->toChannel16();
    c.ui->lblChannel->setText(QStringLiteral("16"));
}

// The addressed calls and All Ships go back to the working channel: redraw the channel display.
void redrawChannel(Context& c) {
    c.ui->lblChannel->setText(QString::number(c.ui->ScrollChannel->value()));
    c.channel->ScrollChannel_Change();
}

void writeMmsiLines(Context& c) {
    ctl::setText(c.ui->txtCG1, mmsiLine(c));
    ctl::setText(c.ui->txtBC1, mmsiLine(c));
}

} // namespace

void Senders::Urgency() {
    CallMember m;
    m.startStatus = QStringLiteral("Sending Urgency");
    m.afterStart = [this] { writeMmsiLines(c); };
    m.forcedRepaint = false;
    m.cue = QStringLiteral("Burglar.wav");
    m.cueTimes = 2;
    m.step = [this] { flashBothStations(c); };
    m.pauseMs = 3000;
    m.deliver = [this] {
        const QString time = callTimeText(c);
        toCoastGuard(c, {c.s.DistressNature, voiceChannel(QString::number(c.s.CallVoiceChannel)), c.s.CallPosition,
                         time, QStringLiteral("Urgency")});
        toSecondVessel(c, {c.s.DistressNature, voiceChannel(QStringLiteral("16")), c.s.CallPosition, time,
                           QStringLiteral("Urgency")});
        calls::transmit(c, Message::allShips(code::kUrgency, c.s.AcceptedMMSI, c.s.CallVoiceChannel));
    };
    m.finish = [this] {
        c.ui->lblStatus->setText(QStringLiteral("Waiting for Urgency Ack"));
        backToChannel16(c);
    };
    calls::run(c, m);
}

void Senders::Safety() {
    CallMember m;
    m.startStatus = QStringLiteral("Sending Safety Call");
    m.afterStart = [this] { writeMmsiLines(c); };
    m.cue = QStringLiteral("Boing.wav");
    m.step = [this] { flashBothStations(c); };
    m.deliver = [this] {
        const Received r{QStringLiteral("All Ships"), voiceChannel(QStringLiteral("16")), c.s.CallPosition,
                         callTimeText(c), QStringLiteral("Safety")};
        toCoastGuard(c, r);
        toSecondVessel(c, r);
        calls::transmit(c, Message::allShips(code::kSafety, c.s.AcceptedMMSI, 16));
    };
    // No final status of its own: "Sending Safety Call" stays until the channel is redrawn.
    m.finish = [this] {
        backToChannel16(c);
        c.ui->lblTX->hide();
    };
    calls::run(c, m);
}

void Senders::AllShips() {
    CallMember m;
    m.captureWorkingChannel = true;
    m.startStatus = QStringLiteral("Sending All Ships");
    m.cue = QStringLiteral("Boing.wav");
    m.step = [this] { ctl::toggleRedYellow(c.ui->txtBC1); };
    m.deliver = [this] {
        auto& ui = *c.ui;
        ctl::setText(ui.txtBC1, mmsiLine(c));
        ctl::setText(ui.txtBC2, QStringLiteral("All Ships"));
        ctl::setText(ui.txtBC4, c.s.CallPosition);
        ctl::setText(ui.txtBC6, QString());
        ctl::setText(ui.txtBC7, kOwnVesselLine);
        ctl::setText(ui.txtBC5, callTimeText(c));
        calls::transmit(c, Message::allShips(code::kRoutine, c.s.AcceptedMMSI,
                                             calls::channelOnAir(c.s.CallWorkingChannel)));
    };
    m.finish = [this] {
        c.channel->RestoreChannelDisplay();
        c.ui->lblStatus->setText(QStringLiteral("All Ships call"));
        ctl::setText(c.ui->txtBC3, voiceChannel(c.s.CallWorkingChannel));
        redrawChannel(c);
    };
    calls::run(c, m);
}

void Senders::Routine() {
    CallMember m;
    m.captureWorkingChannel = true;
    m.alsoHide = {c.ui->lstCall, c.ui->lstDirectory, c.ui->txtDirectory};
    m.startStatus = QStringLiteral("Sending Routine Call");
    m.cue = QStringLiteral("Phone.wav");
    m.cueTimes = 5;
    m.step = [this] {
        if (c.s.CalledMMSI == kBlueCrane) {
            ctl::setText(c.ui->txtBC1, mmsiLine(c));
            ctl::toggleRedYellow(c.ui->txtBC1);
        }
        if (isCoastGuard(c.s.CalledMMSI)) ctl::toggleRedYellow(c.ui->txtCG1);
    };
    m.deliver = [this] {
        const QString time = callTimeText(c); // one time for both stations
        const QString voice = voiceChannel(c.s.CallWorkingChannel);
        if (isCoastGuard(c.s.CalledMMSI))
            toCoastGuard(c, {QString(), voice, c.s.CallPosition, time, QStringLiteral("Routine")});
        if (c.s.CalledMMSI == kBlueCrane)
            toSecondVessel(c, {QStringLiteral("Routine"), voice, c.s.CallPosition, time, QString()});
        calls::transmit(c, Message::individual(c.s.CalledMMSI, code::kRoutine, c.s.AcceptedMMSI,
                                               calls::channelOnAir(c.s.CallWorkingChannel)));
    };
    // The status is written after the redraw, so it stays.
    m.finish = [this] {
        redrawChannel(c);
        c.ui->lblStatus->setText(QStringLiteral("Routine Call Transmitted"));
    };
    calls::run(c, m);
}

void Senders::sendRequest(const QString& startStatus, const QString& refusal, const QString& nature,
                          const QString& finalStatus) {
    CallMember m;
    m.captureWorkingChannel = true;
    m.alsoHide = {c.ui->lstCall, c.ui->lstDirectory, c.ui->txtDirectory};
    m.startStatus = startStatus;
    m.cue = QStringLiteral("Phone.wav");
    m.cueTimes = 10;
    m.step = [this, refusal] {
        if (c.s.CalledMMSI == kBlueCrane) ctl::toggleRedYellow(c.ui->txtBC1);
        // One box per step; the wait goes on when it is dismissed.
        if (isCoastGuard(c.s.CalledMMSI)) c.message(refusal);
    };
    m.deliver = [this, nature] {
        const QString time = callTimeText(c);
        if (c.s.CalledMMSI == kBlueCrane)
            toSecondVessel(c, {nature, voiceChannel(c.s.CallWorkingChannel), QString(), time, QString()});
        // With no addressee at all nothing goes on the air.
        if (c.s.CalledMMSI.isEmpty()) return;
        calls::transmit(c, nature == QLatin1String("Polling Request")
                               ? Message::polling(c.s.CalledMMSI, c.s.AcceptedMMSI)
                               : Message::positionRequest(c.s.CalledMMSI, c.s.AcceptedMMSI));
    };
    m.finish = [this, finalStatus] {
        c.ui->lblStatus->setText(finalStatus);
        redrawChannel(c);
    };
    calls::run(c, m);
}

void Senders::PositionRequest() {
    sendRequest(QStringLiteral("Position Request"), QStringLiteral("Coast Guard Stations do not send Position Reports"),
                QStringLiteral("Position Request"), QStringLiteral("Waiting Pos. Ack."));
}

void Senders::Polling() {
    sendRequest(QStringLiteral("TX Polling Request"),
                QStringLiteral("Coast Guard Stations do not accept Polling Requests"),
                QStringLiteral("Polling Request"), QStringLiteral("Waiting Polling Ack."));
}

QString Senders::GroupCall() {
    auto& ui = *c.ui;
    CallMember m;
    m.captureWorkingChannel = true;
    // Only the "#3" header line itself addresses the second vessel.
    QListWidgetItem* current = ui.lstGroup->currentItem();
    const int row = current && current->isSelected() ? ui.lstGroup->row(current) : -1;
    const bool toSecondVessel = row == 7;
    QStringList lines;
    for (int i = 0; i < ui.lstGroup->count(); ++i) lines << ui.lstGroup->item(i)->text();
    const QString group = calls::groupMmsi(row, lines);
    m.alsoHide = {ui.lstGroup, ui.lstCall, ui.lblUTCDifference};
    m.startStatus = QStringLiteral("TX Group Call");
    m.forcedRepaint = false;
    m.beepBeforeCue = false;
    m.cue = QStringLiteral("Phone.wav");
    m.cueTimes = 10;
    m.closingWaitOnly = true;
    m.deliver = [this, toSecondVessel, group] {
        if (!group.isEmpty())
            calls::transmit(c, Message::groupCall(group, code::kRoutine, c.s.AcceptedMMSI,
                                                  calls::channelOnAir(c.s.CallWorkingChannel)));
        if (!toSecondVessel) return;
        auto& ui = *c.ui;
        ctl::setText(ui.txtBC1, c.s.AcceptedMMSI); // the bare MMSI, no "MMSI # "
        ctl::setText(ui.txtBC2, QString());
        ctl::setText(ui.txtBC6, QStringLiteral("Group Call"));
        ctl::setText(ui.txtBC7, kOwnVesselLine);
        ctl::setText(ui.txtBC3, voiceChannel(c.s.CallWorkingChannel));
        GetTime(c);
        ctl::setText(ui.txtBC4, ui.lblLatLon->text());
    };
    calls::run(c, m);
    return toSecondVessel ? kBlueCrane : QString();
}
