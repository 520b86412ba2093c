#include "stations/CoastGuard.h"

#include "core/Context.h"
#include "calls/Answers.h"
#include "calls/CallSequence.h"
#include "calls/OnAir.h"
#include "platform/Controls.h"
#include "core/Form.h"

namespace {
const QString kDistressAck = QStringLiteral("Recv'd Distress Ack");

bool isDistressAlert(const dscwire::Message& m) { return m.format == dscwire::code::kDistress; }
} // namespace

void CoastGuard::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.CGClear, &QAbstractButton::clicked, ui.CGClear, [this] { CGClear_Click(); });
    QObject::connect(ui.cmdAcknowledge, &QAbstractButton::clicked, ui.cmdAcknowledge,
                     [this] { cmdAcknowledge_Click(); });
}

// Empties the display back to its field names. The own radio, and an own distress alert that is
// still repeating, are left alone.
void CoastGuard::CGClear_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    ctl::setBackColor(ui.txtCG1, ctl::windowColor());
    ctl::setText(ui.txtCG1, QStringLiteral("MMSI#"));
    ctl::setText(ui.CGVesselName, QStringLiteral("Vessel's Name"));
    ctl::setText(ui.txtCG6, QStringLiteral("Priority of Call"));
    ctl::setText(ui.txtCG2, QStringLiteral("Nature of Call"));
    ctl::setText(ui.txtCG3, QStringLiteral("Voice to Use"));
    ctl::setText(ui.txtCG5, QStringLiteral("Date/Time"));
    ctl::setText(ui.txtCG4, QStringLiteral("Position"));
}

// The coast station's acknowledgement: of the second vessel's alert on the display, of the own
// alert the radio is waiting on, or of a routine call to the coast station. Any of them ends an
// own distress alert.
void CoastGuard::cmdAcknowledge_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    // In a class, the display may hold a classmate's call: the acknowledgement goes to the class.
    if (acknowledgeClassCall && acknowledgeClassCall()) return;
    if (ui.txtCG1->text() == QLatin1String("MMSI #366232323")) {
        ui.lblStatus->show();
        ui.lblStatus->setText(kDistressAck);
        ctl::setText(ui.txtBC7, kDistressAck);
        ui.lblBCChannel->setText(QStringLiteral("16"));
        c.TimerRepeat->setEnabled(false);
        calls::answer(c, calls::kBlueCraneMMSI, isDistressAlert, [](const dscwire::Message& alert) {
            return dscwire::Message::distressAcknowledgement(calls::kCoastGuardMMSI, alert);
        });
    } else if (ui.lblStatus->text() == QLatin1String("Waiting for Ack") ||
               c.s.CallTypeDistress == QLatin1String("Distress")) {
        // The own alert is waiting, also when a step of the knob has since rewritten the status
        // line: the acknowledgement that ends it always says so.
        ctl::setText(ui.txtBC7, kDistressAck);
        calls::ownAlertAcknowledged(c);
        // The own alert, sent with whatever own MMSI the radio had then.
        const auto ownAlert = [](const dscwire::Message& m) {
            return isDistressAlert(m) && m.selfId != calls::kBlueCraneMMSI;
        };
        calls::answer(c, QString(), ownAlert, [](const dscwire::Message& alert) {
            return dscwire::Message::distressAcknowledgement(calls::kCoastGuardMMSI, alert);
        });
    } else if (ui.txtCG6->text() == QLatin1String("Routine")) {
        ui.lblStatus->setText(QStringLiteral("Boston Coast Guard Ack"));
        c.s.CallTypeRoutine.clear();
        calls::answer(
            c, QString(),
            [](const dscwire::Message& m) {
                return m.format == dscwire::code::kIndividual && m.address.startsWith(QLatin1String("00")) &&
                       m.eos == dscwire::code::kAckRequired && m.command1 == dscwire::code::kTelephony;
            },
            [](const dscwire::Message& call) { return dscwire::Message::ableToComply(call, calls::kCoastGuardMMSI); });
        calls::ReplyAlarm(c);
    }
    c.s.CallTypeDistress = QString();
}
