#include "stations/SecondVessel.h"

#include "core/Context.h"
#include "calls/DistressAlert.h"
#include "calls/Answers.h"
#include "calls/CallSequence.h"
#include "calls/CallTime.h"
#include "calls/HoldKey.h"
#include "calls/OnAir.h"
#include "platform/Controls.h"
#include "core/Form.h"

#include <QLocale>

namespace {

// The Blue Crane's fixed data.
const QString& kBCMMSI = calls::kBlueCraneMMSI;
const QString kBCVessel = QStringLiteral("Vessel: The Blue Crane");
const QString kBCPosition = QStringLiteral("L42°17.6'N Lo070°47.4'W");
const QString kBCVoice = QStringLiteral("Voice Channel 16");

const QStringList kReplies{QStringLiteral("Able to Comply"), QStringLiteral("Unable to Comply")};

// The newest call to The Blue Crane with this first command, answered on the air by `reply`.
void answerCallTo(Context& c, int command1, const std::function<dscwire::Message(const dscwire::Message&)>& reply) {
    calls::answer(
        c, QString(),
        [command1](const dscwire::Message& m) {
            return m.address == kBCMMSI && m.command1 == command1 && m.eos == dscwire::code::kAckRequired;
        },
        reply);
}

} // namespace

void SecondVessel::wire() {
    auto* ui = c.ui;
    QObject::connect(ui->cmdBCEnter, &QAbstractButton::clicked, ui->cmdBCEnter, [this] { cmdBCEnter_Click(); });
    QObject::connect(ui->cmdBCClear, &QAbstractButton::clicked, ui->cmdBCClear, [this] { cmdBCClear_Click(); });
    onLineClicked(ui->lstBC, [this] { lstBC_Click(); });
    QObject::connect(ui->comboBC, &QComboBox::activated, ui->comboBC, [this](int) { comboBC_Click(); });
    HoldKey::install(
        c, ui->cmdBCDistress, [this] { c.ui->comboBC->hide(); }, [this] { cmdBCDistress_MouseDown(); },
        [this] { cmdBCDistress_MouseUp(); });
}

// The panel's Enter key. Each test looks at the state as the steps before it left it, so one
// press can answer more than one thing.
void SecondVessel::cmdBCEnter_Click() {
    auto* ui = c.ui;
    ui->lblMenu->hide();
    ui->lblStatus->show();

    if (c.s.CallTypeRoutine == QLatin1String("Routine")) {
        ui->lstBC->clear();
        ui->lstBC->show();
        ui->lstBC->addItems(kReplies);
    }

    // A group call: the vessel goes to the proposed working channel, without a reply.
    if (ui->txtBC6->text() == QLatin1String("Group Call")) ui->lblBCChannel->setText(c.s.CallWorkingChannel);

    if (c.s.CallTypeRoutine == QLatin1String("RoutineY")) {
        const QList<QListWidgetItem*> chosen = ui->lstBC2->selectedItems();
        ui->lblStatus->setText(chosen.isEmpty() ? QString() : chosen.first()->text());
        // The reasons stand in the order of their codes, from 100 "no reason given" on.
        const int reason = chosen.isEmpty() ? dscwire::code::kNoInformation : 100 + ui->lstBC2->row(chosen.first());
        answerCallTo(c, dscwire::code::kTelephony, [this, reason](const dscwire::Message& call) {
            return dscwire::Message::unableToComply(call, kBCMMSI, reason);
        });
        c.s.CallTypeRoutine.clear();
        ui->lstBC->hide();
        ui->lstBC2->hide();
        calls::ReplyAlarm(c);
    }

    if (ui->txtBC2->text() == QLatin1String("Position Request")) {
        c.playSoundCue(QStringLiteral("Chimes.wav"), 10);
        ui->lblStatus->setText(kBCPosition);
        answerCallTo(c, dscwire::code::kShipPosition, [this](const dscwire::Message& request) {
            return dscwire::Message::positionReply(request, kBCMMSI, calls::positionOnAir(kBCPosition),
                                                   gpsTimeUtc(c));
        });
        calls::ReplyAlarm(c);
    }

    if (ui->txtBC2->text() == QLatin1String("Polling Request")) {
        c.playSoundCue(QStringLiteral("Chimes.wav"), 5);
        ui->lblStatus->setText(QStringLiteral("The Blue Crane replied"));
        answerCallTo(c, dscwire::code::kPolling, [](const dscwire::Message& poll) {
            return dscwire::Message::pollingReply(poll, kBCMMSI);
        });
        calls::ReplyAlarm(c);
    }
}

// The answer to a routine call: able to comply, or unable with a reason still to choose.
void SecondVessel::lstBC_Click() {
    auto* ui = c.ui;
    QListWidgetItem* item = ui->lstBC->currentItem();
    const QString reply = item ? item->text() : QString();
    if (reply == QLatin1String("Able to Comply")) {
        ui->lstBC->clear();
        ui->lstBC->hide();
        ui->lblStatus->setText(QStringLiteral("The Blue Crane Replying"));
        ui->lblBCChannel->setText(c.s.CallWorkingChannel);
        answerCallTo(c, dscwire::code::kTelephony, [](const dscwire::Message& call) {
            return dscwire::Message::ableToComply(call, kBCMMSI);
        });
        calls::ReplyAlarm(c);
        c.s.CallTypeRoutine = QStringLiteral("RoutineX");
    } else {
        ui->lstBC2->show();
        ui->lstBC2->raise();
        ui->lstBC2->clear();
        ui->lstBC2->addItems(calls::kUnableReasons);
        c.s.CallTypeRoutine = QStringLiteral("RoutineY");
    }
}

// Puts the panel's fields back to their names. The reply state and the channel stay.
void SecondVessel::cmdBCClear_Click() {
    auto* ui = c.ui;
    ctl::setBackColor(ui->txtBC1, ctl::windowColor());
    ctl::setText(ui->txtBC1, QStringLiteral("MMSI#"));
    ctl::setText(ui->txtBC2, QStringLiteral("Nature of Call"));
    ctl::setText(ui->txtBC3, QStringLiteral("Voice Channel to Use"));
    ctl::setText(ui->txtBC4, QStringLiteral("Position"));
    ctl::setText(ui->txtBC5, QStringLiteral("Date Time"));
    ctl::setText(ui->txtBC6, QStringLiteral("Priority"));
    ctl::setText(ui->txtBC7, QStringLiteral("Messages"));
    ui->lstBC->clear();
    ui->lstBC->hide();
    ui->lstBC2->hide();
    ui->comboBC->hide();
}

void SecondVessel::comboBC_Click() { c.ui->comboBC->hide(); }

// The Blue Crane's own distress alert: sent on its panel, announced on the own radio, shown on
// the Coast Guard display, then waiting for the Coast Guard's acknowledgement.
void SecondVessel::BCDistress() {
    auto* ui = c.ui;
    ui->comboBC->hide();
    ui->lblBCChannel->setText(QStringLiteral("70"));
    for (QLineEdit* box : {ui->txtBC1, ui->txtBC2, ui->txtBC3, ui->txtBC4, ui->txtBC6}) ctl::setText(box, QString());
    ctl::setText(ui->txtBC7, QStringLiteral("Sending Distress"));
    c.repaintNow();
    c.beep();

    // Sending: nothing else happens meanwhile.
    c.clock.pause(4000);
    c.beep();
    c.playSoundCue(QStringLiteral("Burglar.wav"), 2);

    // The own radio hears the alert.
    const QString chosenNature = ctl::comboText(ui->comboBC);
    calls::transmit(c, dscwire::Message::distressAlert(kBCMMSI, calls::natureOnAir(chosenNature),
                                                       calls::positionOnAir(kBCPosition),
                                                       gpsTimeUtc(c)));
    ui->lblStatus->hide();
    ui->lstReceived->addItems({QStringLiteral("MMSI# ") + kBCMMSI, kBCVessel, QStringLiteral("Distress")});
    ui->lstReceived->show();

    // One period of announcement: the Coast Guard's MMSI field and the own list flash.
    c.timedWait(platform::kWaitPeriodMs, [this, ui] {
        ctl::setText(ui->txtCG1, QStringLiteral("MMSI # ") + kBCMMSI);
        if (ctl::backColor(ui->txtCG1) == ctl::kRed) {
            ctl::setBackColor(ui->txtCG1, ctl::kYellow);
            ctl::setBackColor(ui->lstReceived, ctl::kRed);
        } else {
            ctl::setBackColor(ui->txtCG1, ctl::kRed);
            ctl::setBackColor(ui->lstReceived, ctl::kDisplay);
        }
        c.beep();
    });
    ctl::setBackColor(ui->lstReceived, ctl::kDisplay);
    ctl::setBackColor(ui->txtCG1, ctl::kRed);

    ctl::setText(ui->txtBC7, QStringLiteral("Waiting for Ack"));
    c.TimerRepeat->setEnabled(true);

    // Without the blank after the number sign: this is how the Coast Guard display knows that it
    // holds The Blue Crane's alert.
    ctl::setText(ui->txtCG1, QStringLiteral("MMSI #") + kBCMMSI);

    const QString chosen = ctl::comboText(ui->comboBC);
    const QString nature =
        chosen != QLatin1String("Nature of Distress") ? chosen : QStringLiteral("Undesignated Reason");
    ctl::setText(ui->txtCG2, nature);
    ctl::setText(ui->txtCG3, kBCVoice);
    ctl::setText(ui->txtCG4, kBCPosition);
    ctl::setText(ui->txtCG6, QStringLiteral("Distress"));
    ctl::setText(ui->CGVesselName, kBCVessel);

    const QDateTime alertTime = c.clock.now();
    const QString generalTime = QLocale::system().toString(alertTime, QLocale::ShortFormat);
    ctl::setText(ui->txtBC5, generalTime);
    ctl::setText(ui->txtCG5, generalTime); // the time the alert carries, as the panel and the log show it

    ui->lstReceived->clear();
    ui->lstReceived->show();
    ui->lstReceived->addItems({QStringLiteral("MMSI# ") + kBCMMSI, kBCVessel, QStringLiteral("Distress"), nature,
                               kBCVoice, kBCPosition, QString(), QStringLiteral("Waiting for Ack'")});

    ui->lblBCChannel->setText(QStringLiteral("16"));

    ui->lstDistress->addItems({generalTime, kBCMMSI, kBCVessel, QStringLiteral("Distress"), nature, kBCPosition,
                               QString(19, QLatin1Char('_')), QString()});

    ui->lblStatus->show();
    ui->lblStatus->setText(QStringLiteral("Waiting for Ack"));
}

// The Blue Crane's distress key: held five seconds it sends the alert; a short press opens the
// nature list instead. The count itself is the one both distress keys share.
void SecondVessel::cmdBCDistress_MouseDown() { HoldKey::of(c.ui->cmdBCDistress)->press(); }

void SecondVessel::cmdBCDistress_MouseUp() {
    auto* ui = c.ui;
    HoldKey::of(ui->cmdBCDistress)->release();
    ui->cmdBCDistress->setText(QStringLiteral("Distress"));
    ui->comboBC->hide();
    c.Timer5Second->setEnabled(false);
    if (HoldKey::of(ui->cmdBCDistress)->heldSeconds() < HoldKey::kFullHoldSeconds) {
        ui->comboBC->show();
        ui->comboBC->setFocus();
        return;
    }
    distressKeyHeld();
}

void SecondVessel::distressKeyHeld() {
    BCDistress();
    c.s.TxPower = QStringLiteral("25W");
    c.ui->lblPower->setText(QStringLiteral("25W"));
    c.distress->Distress();
}

void SecondVessel::sendDistress(const QString& nature) {
    QComboBox* list = c.ui->comboBC;
    const int code = dscwire::natureFromText(nature).value_or(*dscwire::natureFromText(QStringLiteral("Fire")));
    // Her list's item of that nature ("Grounded" for "Grounding"); a nature her list lacks is
    // shown as the chosen one all the same.
    int index = list->findText(nature, Qt::MatchFixedString);
    for (int i = 0; index < 0 && i < list->count(); ++i)
        if (dscwire::natureFromText(list->itemText(i)) == code) index = i;
    if (index >= 0) list->setCurrentIndex(index);
    else ctl::setComboText(list, dscwire::natureText(code));
    distressKeyHeld();
}
