#include "radio/ChannelSelector.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "radio/ChannelPlan.h"
#include "core/Form.h"

#include <QScrollBar>

void ChannelSelector::wire() {
    // The knob's change handler runs only on a real change of position, also when lowering the
    // maximum pushes the knob down.
    QObject::connect(c.ui->ScrollChannel, &QScrollBar::valueChanged, c.ui->ScrollChannel,
                     [this](int) { ScrollChannel_Change(); });
}

void ChannelSelector::setKnob(int position) { c.ui->ScrollChannel->setValue(position); }

void ChannelSelector::setKnobMaximum(int maximum) { c.ui->ScrollChannel->setMaximum(maximum); }

int ChannelSelector::knob() const { return c.ui->ScrollChannel->value(); }

// Every move of the knob from here runs this procedure again at once, nested; afterwards this run
// goes on, reading the knob afresh, and what it writes later stands.
void ChannelSelector::ScrollChannel_Change() {
    using namespace channelplan;
    RadioState& s = c.s;
    Ui::frmGMDSS& ui = *c.ui;

    // Positions that do not exist in the plan are stepped over in the direction of travel. The
    // weather channels skip nothing: there the previous position is the saved marine channel,
    // which says nothing about the direction of travel.
    for (const SkipRule& rule : skipRules()) {
        if (s.ChWxMode == QLatin1String("WX")) break;
        if (rule.plan && s.ChannelPlan != QLatin1String(rule.plan)) continue;
        if (s.PrevScrollValue == rule.previous && knob() == rule.knob) setKnob(rule.moveTo);
    }

    // USA: 20/20A and 84/84A to 88/88A come one after the other on the same knob position.
    if (s.ChannelPlan == QLatin1String("USA")) {
        for (const PairedStep& step : pairedSteps()) {
            if (step.previous != 0 && s.PrevScrollValue != step.previous) continue;
            if (knob() != step.knob) continue;
            if (step.label && s.ChannelLabel != QLatin1String(step.label)) continue;
            s.PrevScrollValue = static_cast<qint16>(step.position);
            setKnob(step.position);
            s.ChannelLabel = QString::fromLatin1(step.newLabel);
            ui.lblChannel->setText(twoDigits(step.position));
            ui.lblA->setVisible(step.suffixA);
            ui.lblStatus->setText(QString::fromLatin1(step.useText));
            ui.lblSimplex->setText(QString::fromLatin1(step.mode));
            return;
        }
    }

    // Position 89 exists only as a step beyond 88.
    if (knob() == 89) setKnob(88);

    const int position = knob();
    ui.lblA->hide();
    ui.lblChannel->setText(twoDigits(position));
    const QString channel = ui.lblChannel->text();
    const PlanLists* plan = planLists(ui.lblMode->text());
    if (plan && inList(plan->suffix, channel)) ui.lblA->show();
    ui.lblPower->setText(plan && inList(plan->lowPower, channel) ? QStringLiteral("1W") : s.TxPower);

    const bool channelMode = s.ChWxMode == QLatin1String("CH");
    if (channelMode) s.PrevScrollValue = static_cast<qint16>(position);

    if (s.ChWxMode == QLatin1String("WX")) {
        ui.lblA->hide();
        ui.lblStatus->setText(QStringLiteral("Weather"));
    } else {
        ui.lblStatus->setText(position == 16 ? QStringLiteral("Calling and Emergency") : QString());
    }

    if (!channelMode) return;
    const QString mode = ui.lblMode->text();
    auto applyUseTexts = [&](std::span<const UseText> table) {
        for (const UseText& use : table)
            if (inList(use.channels, channel)) ui.lblStatus->setText(QString::fromLatin1(use.text));
    };
    auto applyDuplex = [&](const PlanLists* lists) {
        ui.lblSimplex->setText(QStringLiteral("Simplex"));
        if (lists && inList(lists->duplex, channel)) ui.lblSimplex->setText(QString::fromLatin1(lists->duplexWord));
    };
    if (mode != QLatin1String("CAN")) applyUseTexts(useTextsUsaInt());
    if (mode == QLatin1String("INT")) applyDuplex(planLists(mode));
    if (mode == QLatin1String("USA")) applyDuplex(planLists(mode));
    if (mode == QLatin1String("CAN")) {
        applyUseTexts(useTextsCan());
        applyDuplex(planLists(mode));
    }
}

void ChannelSelector::RestoreChannelDisplay() {
    Ui::frmGMDSS& ui = *c.ui;
    RadioState& s = c.s;
    ui.lblTX->hide();                         // 1
    ui.lblPower->show();
    ui.lblMode->show();
    ui.lblChannel->show();
    ui.lblSimplex->show();
    ui.ComboMessage->hide();
    if (QListWidget* received = ui.lstReceived.ifMade()) { // 2 (a list not made yet is hidden and empty)
        received->clear();
        received->hide();
    }
    if (QListWidget* distress = ui.lstDistress.ifMade()) distress->hide();
    if (ui.GPSOn->isChecked()) {              // 3
        ui.lblTime->setText(c.clock.now().time().toString(QStringLiteral("HH:mm:ss")));
        ui.lblTime->show();
    } else if (s.TimeEntryOpen == QLatin1String("True")) {
        ui.lblTime->setText(ui.txtTime->text());
        ui.lblTime->show();
    } else {
        ui.lblTime->hide();
    }
    ui.lblStatus->show();                     // 4
    ui.lblA->show();
    ui.lblChannel->show();
    ui.txtMMSI->hide();
    ui.lblMenu->hide();
    ui.txtTime->hide();
    ui.lblLatLon->show();
    ui.txtLatLon->hide();
    ui.txtUTC->hide();
    ui.lblUTCDifference->hide();
    ui.txtDirectory->hide();
    s.ChWxMode = QStringLiteral("CH");        // 5
    setKnobMaximum(88);
    setKnob(s.PrevScrollValue);
    ctl::setForeColor(ui.lblChannel, ctl::kBlack); // 6
    ctl::setForeColor(ui.lblStatus, ctl::kBlack);
    ui.lblPower->show();
    ui.lblChannel->setText(QString::number(knob()));
    ScrollChannel_Change();
    for (const LateList* list : {&ui.lstDirectory, &ui.lstCall, &ui.lstGroup, &ui.lstMenu}) // 7
        if (QListWidget* shown = list->ifMade()) shown->hide();
    ScrollChannel_Change();
    s.OwnMMSI.clear();                        // 8
    s.CallTypeDistress.clear();
    s.CallTypeUrgency.clear();
    s.CallTypeSafety.clear();
    s.CallTypeRoutine.clear();
    s.CallTypeRequest.clear();
    s.CallTypePolling.clear();
    s.CallTypeAllShips.clear();
}
