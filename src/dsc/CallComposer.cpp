#include "dsc/CallComposer.h"

#include "core/Context.h"
#include "calls/Senders.h"
#include "radio/ChannelSelector.h"
#include "dscwire/Message.h"
#include "platform/Controls.h"
#include "core/Form.h"

#include <QListWidget>
#include <QPushButton>

namespace {
// The selected line of a list, -1 when none is selected.
int selectedRow(const QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}
} // namespace

void CallComposer::wire() {
    QObject::connect(c.ui->cmdCall, &QAbstractButton::clicked, c.ui->cmdCall, [this] { cmdCall_Click(); });
    onLineClicked(c.ui->lstCall, [this] { lstCall_Click(); });
}

void CallComposer::cmdCall_Click() {
    c.channel->RestoreChannelDisplay();
    c.ui->lblStatus->hide();
    c.ui->lstCall->show();
    c.ui->lstCall->setFocus();
}

void CallComposer::lstCall_Click() {
    auto& ui = *c.ui;
    auto& s = c.s;
    // The addressed calls open the directory with a box for a typed MMSI.
    auto openDirectory = [&] {
        ui.lstCall->hide();
        ctl::setMaxLength(ui.txtDirectory, 9);
        ui.lstDirectory->setEnabled(true);
        ui.lstDirectory->show();
        ui.txtDirectory->show();
    };
    switch (selectedRow(ui.lstCall)) {
    case 1: s.CallTypeUrgency = QStringLiteral("Urgency"); break;
    case 2: s.CallTypeSafety = QStringLiteral("Safety"); break;
    case 3:
        s.CallTypeRoutine = QStringLiteral("Routine");
        openDirectory();
        break;
    case 4:
        ui.lstCall->hide();
        s.CallTypeGroup = QStringLiteral("Group");
        ui.lstGroup->setEnabled(true);
        ui.lstGroup->show();
        break;
    case 5:
        openDirectory();
        s.CallTypeRequest = QStringLiteral("Request");
        break;
    case 6:
        openDirectory();
        s.CallTypePolling = QStringLiteral("Polling");
        break;
    case 7: s.CallTypeAllShips = QStringLiteral("AllShips"); break;
    default: c.channel->RestoreChannelDisplay(); break; // "Select, (Enter or Clear)"
    }
}

QString CallComposer::resolveAddressee() {
    auto& ui = *c.ui;
    const QString typed = ui.txtDirectory->text();
    if (!typed.isEmpty()) {
        c.s.CalledMMSI = typed;
        ctl::setText(ui.txtDirectory, QString());
    } else {
        const int row = selectedRow(ui.lstDirectory);
        c.s.CalledMMSI = row < 0 ? QString() : ui.lstDirectory->item(row)->text().right(9);
    }
    return c.s.CalledMMSI;
}

void CallComposer::urgencyStep() {
    if (c.s.CallTypeUrgency != QLatin1String("Urgency")) return;
    c.senders->Urgency();
    c.ui->lblStatus->show();
}

void CallComposer::safetyStep() {
    if (c.s.CallTypeSafety != QLatin1String("Safety")) return;
    c.senders->Safety();
    c.ui->lblStatus->show();
}

bool CallComposer::routineStep(QString& addressee) {
    if (c.s.CallTypeRoutine != QLatin1String("Routine")) return true;
    if (resolveAddressee().isEmpty()) {
        c.message(QStringLiteral("A MMSI# or a Directory entry must be chosen!"));
        c.channel->RestoreChannelDisplay();
        return false;
    }
    if (refuseMalformedAddressee()) return false;
    addressee = c.s.CalledMMSI;
    c.senders->Routine();
    c.ui->lblStatus->show();
    return true;
}

void CallComposer::groupStep(QString& addressee) {
    if (c.s.CallTypeGroup != QLatin1String("Group")) return;
    addressee = c.senders->GroupCall();
}

bool CallComposer::refuseMalformedAddressee() {
    if (dscwire::isMmsi(c.s.CalledMMSI)) return false;
    c.message(QStringLiteral("The called MMSI # must be 9 digits long"));
    c.channel->RestoreChannelDisplay();
    return true;
}

void CallComposer::lateSteps() {
    // A request with no addressee at all still goes out (to nobody); a wrong one is refused.
    auto refused = [this] { return !resolveAddressee().isEmpty() && refuseMalformedAddressee(); };
    if (c.s.CallTypeRequest == QLatin1String("Request")) {
        if (refused()) return;
        c.senders->PositionRequest();
        c.ui->lblStatus->show();
    }
    if (c.s.CallTypePolling == QLatin1String("Polling")) {
        if (refused()) return;
        c.senders->Polling();
        c.ui->lblStatus->show();
    }
    if (c.s.CallTypeAllShips == QLatin1String("AllShips")) {
        c.senders->AllShips();
        c.ui->lblStatus->show();
    }
}
