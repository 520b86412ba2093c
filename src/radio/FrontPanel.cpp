#include "radio/FrontPanel.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "platform/ScreenMode.h"
#include "radio/ChannelSelector.h"
#include "core/Form.h"

#include <QPushButton>

namespace {

// A caption read as a number: its leading digits, 0 when there are none.
int captionNumber(const QString& caption) {
    int value = 0;
    for (QChar ch : caption.trimmed()) {
        if (!ch.isDigit()) break;
        value = value * 10 + ch.digitValue();
    }
    return value;
}

} // namespace

void FrontPanel::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.cmdOnOff, &QPushButton::clicked, ui.cmdOnOff, [this] { cmdOnOff_Click(); });
    QObject::connect(ui.cmdHiLow, &QPushButton::clicked, ui.cmdHiLow, [this] { cmdHiLow_Click(); });
    QObject::connect(ui.cmd16, &QPushButton::clicked, ui.cmd16, [this] { cmd16_Click(); });
    QObject::connect(ui.cmdCHWX, &QPushButton::clicked, ui.cmdCHWX, [this] { cmdCHWX_Click(); });
    QObject::connect(ui.cmdMode, &QPushButton::clicked, ui.cmdMode, [this] { cmdMode_Click(); });
}

// Power off: the shutdown sound plays to its end, a short settling wait lets pending clicks run,
// half a second passes, a changed screen mode is put back, and the program ends.
void FrontPanel::cmdOnOff_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    c.poweredOff = true;
    ctl::setBackColor(ui.cmdOnOff, ctl::kRed);
    ui.cmdOnOff->setText(QStringLiteral("Off"));
    c.playSoundCue(QStringLiteral("Shutdown.wav"), 1);
    c.timedWait(10, {});
    c.s.WaitStart = c.clock.tickMs();
    c.clock.pause(500);
    if (c.s.DisplayModeChanged)
        platform::SetDisplayMode(c.screen, c.OriginalScreenWidth, c.OriginalScreenHeight);
    c.endProgram();
}

void FrontPanel::cmdHiLow_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    if (c.s.TxPower == QLatin1String("1W")) {
        c.s.TxPower = QStringLiteral("25W");
        ui.lblPower->setText(QStringLiteral("25W"));
    } else {
        c.s.TxPower = QStringLiteral("1W");
        ui.lblPower->setText(QStringLiteral("1W"));
    }
    // Channels that force low power show "1W" again.
    c.channel->ScrollChannel_Change();
}

void FrontPanel::cmd16_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    if (ui.lblStatus->text() != QLatin1String("Weather")) {
        if (captionNumber(ui.lblChannel->text()) != 70) {
            c.channel->setKnob(c.channel->knob() == 16 ? 9 : 16);
        } else {
            // A DSC call is on the display ("70"): back to 16.
            c.channel->setKnob(16);
        }
    } else {
        c.s.ChWxMode = QStringLiteral("CH");
        c.channel->setKnobMaximum(88);
        c.channel->setKnob(16);
        showChannelModeColours();
        ui.lblChannel->setText(QString::number(c.channel->knob()));
    }
    c.channel->ScrollChannel_Change();
}

void FrontPanel::cmdCHWX_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    if (c.s.ChWxMode == QLatin1String("CH")) {
        c.s.ChWxMode = QStringLiteral("WX");
        c.s.PrevScrollValue = static_cast<qint16>(c.channel->knob()); // the marine channel to come back to
        c.channel->setKnobMaximum(10);
        c.channel->setKnob(1);
        ctl::setForeColor(ui.lblChannel, ctl::kDarkBlue);
        ui.lblChannel->setText(QStringLiteral("01"));
        ui.lblA->hide(); // from 01A the knob does not move, so nothing else would hide it
        ctl::setForeColor(ui.lblStatus, ctl::kDarkBlue);
        ui.lblStatus->setText(QStringLiteral("Weather"));
        ui.lblPower->hide();
        ui.lblTX->hide();
    } else {
        backToMarineChannel();
    }
}

void FrontPanel::backToMarineChannel() {
    if (c.s.ChWxMode != QLatin1String("WX")) return;
    c.s.ChWxMode = QStringLiteral("CH");
    c.channel->setKnobMaximum(88);
    c.channel->setKnob(c.s.PrevScrollValue);
    showChannelModeColours();
    c.ui->lblChannel->setText(QString::number(c.channel->knob()));
    c.channel->ScrollChannel_Change();
}

void FrontPanel::cmdMode_Click() {
    if (c.s.ChWxMode == QLatin1String("WX")) return;
    QString next;
    if (c.s.ChannelPlan == QLatin1String("USA"))
        next = QStringLiteral("CAN");
    else if (c.s.ChannelPlan == QLatin1String("CAN"))
        next = QStringLiteral("INT");
    else
        next = QStringLiteral("USA");
    c.s.ChannelPlan = next;
    c.ui->lblMode->setText(next);
    // Channel 16 looks the same in every plan: when the knob is already there nothing is redrawn.
    c.channel->setKnob(16);
}

void FrontPanel::leaveWeatherMode() {
    if (c.s.ChWxMode != QLatin1String("WX")) return;
    c.s.ChWxMode = QStringLiteral("CH");
    c.channel->setKnobMaximum(88);
    showChannelModeColours();
}

bool FrontPanel::toChannel16() {
    const bool weather = c.s.ChWxMode == QLatin1String("WX");
    leaveWeatherMode();
    c.channel->setKnob(16);
    return weather;
}

void FrontPanel::showChannelModeColours() {
    Ui::frmGMDSS& ui = *c.ui;
    ctl::setForeColor(ui.lblChannel, ctl::kBlack);
    ctl::setForeColor(ui.lblStatus, ctl::kBlack);
    ui.lblPower->show();
}
