#include "calls/DistressAlert.h"

#include "core/Context.h"
#include "calls/CallSequence.h"
#include "calls/CallTime.h"
#include "calls/HoldKey.h"
#include "calls/OnAir.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"
#include "core/Form.h"

namespace {

const QString kDistress = QStringLiteral("Distress");
const QString kWaitingForAck = QStringLiteral("Waiting for Ack");
const QString kNatureOfDistress = QStringLiteral("Nature of Distress");
const QString kAlarmSound = QStringLiteral("Burglar.wav");
constexpr qint64 kAlarmMs = 3000;
// No cue file is this short: a pair that took less has not been heard (the file is missing).
constexpr qint64 kSilentPairMs = 100;

} // namespace

void DistressAlert::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    HoldKey::install(
        c, ui.cmdDistress,
        [this] {
            c.ui->ComboMessage->hide();
            c.s.OwnMMSI = c.s.AcceptedMMSI;
        },
        [this] { cmdDistress_MouseDown(); }, [this] { cmdDistress_MouseUp(); });
    QObject::connect(ui.ComboMessage, &QComboBox::activated, ui.ComboMessage, [this](int) { ComboMessage_Click(); });
}

// The key is held: count the five seconds on its caption.
void DistressAlert::cmdDistress_MouseDown() { HoldKey::of(c.ui->cmdDistress)->press(); }

// The key is let go: a short press opens the nature list, a full one sends the alert.
void DistressAlert::cmdDistress_MouseUp() {
    Ui::frmGMDSS& ui = *c.ui;
    HoldKey::of(ui.cmdDistress)->release();
    ctl::setBackColor(ui.cmdDistress, ctl::kRed);
    ui.cmdDistress->setText(QStringLiteral("Distress (hold 5 seconds)"));
    c.Timer5Second->setEnabled(false);
    if (HoldKey::of(ui.cmdDistress)->heldSeconds() < HoldKey::kFullHoldSeconds) {
        ui.ComboMessage->show();
        ui.ComboMessage->setFocus();
        return;
    }
    c.s.CallTypeDistress = kDistress;
    c.s.TxPower = QStringLiteral("25W");
    ui.lblPower->setText(QStringLiteral("25W"));
    Distress();
}

void DistressAlert::ComboMessage_Click() { c.ui->ComboMessage->hide(); }

void DistressAlert::TimerRepeat_Timer() { Distress(); }

void DistressAlert::Distress() {
    Ui::frmGMDSS& ui = *c.ui;
    if (c.s.CallTypeDistress != kDistress) return;
    if (ui.lblMMSI->text().length() < 9) {
        c.message(QStringLiteral("Cannot send a DSC message without a MMSI #"));
        return;
    }
    c.s.TxPower = QStringLiteral("25W");
    ui.lblPower->setText(QStringLiteral("25W"));
    ui.lblChannel->setText(QStringLiteral("70"));
    ui.lblA->hide();
    ui.lblTX->show();
    ui.lblStatus->show();
    ui.lblStatus->setText(QStringLiteral("Sending Distress"));
    c.repaintNow();

    // The alarm: pairs of the alarm sound for at least three seconds, taking no input meanwhile.
    c.beep();
    const qint64 start = c.clock.tickMs();
    do {
        const qint64 pairStart = c.clock.tickMs();
        c.playSoundCue(kAlarmSound, 2);
        const qint64 elapsed = c.clock.tickMs() - start;
        if (c.clock.tickMs() - pairStart < kSilentPairMs && elapsed < kAlarmMs)
            c.clock.pause(static_cast<int>(kAlarmMs - elapsed)); // silent alarm: the sending still lasts 3 s
    } while (c.clock.tickMs() - start < kAlarmMs);

    c.beep();
    ui.lblTX->hide();
    ui.lblStatus->setText(kWaitingForAck);
    c.TimerRepeat->setEnabled(true);
    const QString nature = ctl::comboText(ui.ComboMessage);
    if (nature != kNatureOfDistress) c.s.DistressNature = nature;
    c.front->toChannel16();
    c.s.CallVoiceChannel = static_cast<qint16>(c.channel->knob());
    ui.lblStatus->setText(kWaitingForAck);
    c.s.CallPosition = ui.lblLatLon->text();

    const QString mmsiLine = calls::mmsiLine(c);
    const QString vessel = QStringLiteral("Vessel: Kelpo");
    ctl::setText(ui.txtCG1, mmsiLine);
    ctl::setText(ui.txtCG2, c.s.DistressNature);
    ctl::setText(ui.txtCG3, QStringLiteral("Voice Channel ") + QString::number(c.s.CallVoiceChannel));
    ctl::setText(ui.txtCG4, c.s.CallPosition);
    ctl::setText(ui.txtCG6, kDistress);
    ctl::setText(ui.CGVesselName, vessel);

    ctl::setText(ui.txtBC1, mmsiLine);
    ctl::setText(ui.txtBC2, c.s.DistressNature);
    ctl::setText(ui.txtBC3, QStringLiteral("Voice Channel 16"));
    ctl::setText(ui.txtBC4, c.s.CallPosition);
    ctl::setText(ui.txtBC6, kDistress);
    ctl::setText(ui.txtBC7, vessel);

    const QString when = callTimeText(c);
    ctl::setText(ui.txtCG5, when);
    ctl::setText(ui.txtBC5, when);
    calls::transmit(c, dscwire::Message::distressAlert(c.s.AcceptedMMSI, calls::natureOnAir(c.s.DistressNature),
                                                       calls::positionOnAir(c.s.CallPosition), callTimeUtc(c)));

    // Flash the received alert on both stations for five seconds, the two MMSI fields in
    // opposite colours, a beep at every step.
    c.timedWait(platform::kWaitPeriodMs, [this] {
        Ui::frmGMDSS& u = *c.ui;
        ctl::setText(u.txtBC1, calls::mmsiLine(c));
        const bool bcRed = ctl::backColor(u.txtBC1) == ctl::kRed;
        ctl::setBackColor(u.txtBC1, bcRed ? ctl::kYellow : ctl::kRed);
        ctl::setBackColor(u.txtCG1, bcRed ? ctl::kRed : ctl::kYellow);
        c.beep();
    });

    // Back on 16 for the voice traffic. Coming back from weather mode moved the knob, whose channel
    // display took the status line: the alert is still waiting for its acknowledgement.
    if (c.front->toChannel16() && c.s.CallTypeDistress == kDistress) ui.lblStatus->setText(kWaitingForAck);
    ui.lblChannel->setText(QStringLiteral("16"));
}
