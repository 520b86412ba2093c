#include "dsc/Menu.h"

#include "core/Context.h"
#include "radio/ChannelPlan.h"
#include "dsc/CallComposer.h"
#include "dsc/Logs.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"
#include "core/Form.h"

namespace {

// The list's selected line, or -1 when none is selected.
int selectedIndex(const QListWidget* list) {
    const QModelIndexList rows = list->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// Leading and trailing blanks off (blanks only, as the radio's own trim does).
QString trimBlanks(const QString& text) {
    int from = 0;
    int to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' ')) ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' ')) --to;
    return text.mid(from, to - from);
}

} // namespace

void Menu::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.cmdMenu, &QAbstractButton::clicked, ui.cmdMenu, [this] { cmdMenu_Click(); });
    QObject::connect(ui.cmdEnter, &QAbstractButton::clicked, ui.cmdEnter, [this] { cmdEnter_Click(); });
    QObject::connect(ui.cmdClear, &QAbstractButton::clicked, ui.cmdClear, [this] { cmdClear_Click(); });
    onLineClicked(ui.lstMenu, [this] { lstMenu_Click(); });
}

void Menu::cmdMenu_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    for (QWidget* w : {static_cast<QWidget*>(ui.lblTX), static_cast<QWidget*>(ui.lblPower),
                       static_cast<QWidget*>(ui.lblMode), static_cast<QWidget*>(ui.lblChannel),
                       static_cast<QWidget*>(ui.lblSimplex), static_cast<QWidget*>(ui.lblLatLon),
                       static_cast<QWidget*>(ui.lblTime), static_cast<QWidget*>(ui.lblStatus),
                       static_cast<QWidget*>(ui.lblA), static_cast<QWidget*>(ui.lstReceived.ifMade()),
                       static_cast<QWidget*>(ui.lblNewMMSI)})
        if (w) w->hide();
    c.channel->RestoreChannelDisplay();
    ui.lblMenu->setText(QStringLiteral("Menu"));
    ui.lblMenu->show();
    ui.lstMenu->show();
    ui.lblStatus->hide();
}

void Menu::lstMenu_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    RadioState& s = c.s;
    s.MenuEntry.clear();
    s.SavedEntryText.clear();
    const int index = selectedIndex(ui.lstMenu);
    ui.lstMenu->hide();
    ui.lblMenu->setText(QString());
    // The GPS counts as on unless "Off" is selected.
    const bool gpsOn = !ui.GPSOff->isChecked();
    switch (index) {
    case 0: // Received Calls
        ui.lstMenu->hide();
        ui.lblMenu->show();
        ui.lblMenu->setText(QStringLiteral("Received Calls"));
        ui.lstReceived->clear();
        ui.lstReceived->addItem(QStringLiteral("Distress Calls"));
        ui.lstReceived->addItem(QStringLiteral("Other Calls"));
        ui.lstReceived->show();
        break;
    case 1: // MMSI#
        s.MenuEntry = QStringLiteral("MMSI");
        s.SavedEntryText = ui.txtMMSI->text();
        ui.lblNewMMSI->show();
        ui.txtMMSI->show();
        ui.txtMMSI->setFocus();
        break;
    case 2: // Time
        if (gpsOn) {
            c.message(QStringLiteral("Cannot manually enter time if GPS is on."));
            break;
        }
        s.MenuEntry = QStringLiteral("Time");
        s.SavedEntryText = ui.txtTime->text();
        ui.lblTime->setText(QStringLiteral("Time"));
        ui.lblTime->show();
        ui.txtTime->show();
        ui.txtTime->setFocus();
        s.TimeEntryOpen = QStringLiteral("True");
        break;
    case 3: // Position
        if (gpsOn) {
            c.message(QStringLiteral("You cannot enter a manual position if the GPS is on"));
            break;
        }
        s.MenuEntry = QStringLiteral("Position");
        s.SavedEntryText = ui.txtLatLon->text();
        ui.txtLatLon->show();
        ui.txtLatLon->setFocus();
        break;
    case 4: // Directory
        s.MenuEntry = QStringLiteral("Directory");
        ui.lstDirectory->show();
        ui.lblMenu->setText(QStringLiteral("Directory"));
        ui.txtDirectory->show();
        ctl::setMaxLength(ui.txtDirectory, 0);
        ui.txtDirectory->setFocus();
        break;
    case 5: // Set Up
        ui.lblMenu->setText(QStringLiteral("Time Differential"));
        s.MenuEntry = QStringLiteral("UTC");
        s.SavedEntryText = ui.txtUTC->text();
        ui.lblNewMenu->show();
        ui.txtUTC->show();
        ui.txtUTC->setFocus();
        break;
    default: // Exit this menu
        ui.lblMMSI->setText(QStringLiteral("MMSI# ") + s.AcceptedMMSI);
        ui.txtMMSI->hide();
        ui.lblTX->hide();
        ui.lblPower->show();
        ui.lblMode->show();
        ui.lblChannel->show();
        ui.lblSimplex->show();
        ui.lblTime->show();
        ui.lblStatus->show();
        ui.lblA->show();
        ui.lblMenu->hide();
        ui.lstMenu->hide();
        ui.lblStatus->show();
        cmdClear_Click();
        break;
    }
}

void Menu::cmdEnter_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    RadioState& s = c.s;
    QString addressee; // the MMSI this press calls, set by the routine or the group call
    ui.lstMenu->hide();                                  // 1
    s.OwnMMSI = QStringLiteral("316123456");             // 2
    if (s.MenuEntry == QLatin1String("MMSI")) {          // 3
        ui.lblMMSI->setText(s.AcceptedMMSI);
        ui.lblNewMMSI->hide();
    }
    if (s.TimeEntryOpen == QLatin1String("True")) {      // 4
        s.TimeEntryOpen = QStringLiteral("False");
        ui.lblTime->setText(ui.txtTime->text());
        ui.txtTime->hide();
        ui.lblTime->show();
    }
    if (s.MenuEntry == QLatin1String("Directory")) {     // 5
        const QString line = trimBlanks(ui.txtDirectory->text());
        if (!line.isEmpty()) {
            c.logs->addDirectoryLine(line);
            ctl::setText(ui.txtDirectory, QString());
        }
        ui.txtDirectory->hide();
    }
    c.composer->urgencyStep();                           // 6
    if (s.MenuEntry == QLatin1String("UTC")) {           // 7
        ui.lblNewMenu->hide();
        ui.lblUTCDifference->hide();
        ui.txtUTC->hide();
    }
    c.composer->safetyStep();                            // 8
    if (s.MenuEntry == QLatin1String("Position"))        // 9
        ui.txtLatLon->hide();
    if (!c.composer->routineStep(addressee)) return;     // 10
    c.composer->groupStep(addressee);                    // 11
    closingWait(addressee);                              // 12
    c.composer->lateSteps();
    s.CallTypeAllShips.clear();                          // 13
    s.CallTypePolling.clear();
    s.CallTypeRequest.clear();
    s.CalledMMSI.clear();
    s.CallTypeGroup.clear();
    s.MenuEntry.clear();
    s.SavedEntryText.clear();
    s.CallTypeUrgency.clear();
    s.CallTypeSafety.clear();
}

void Menu::closingWait(const QString& addressee) {
    Ui::frmGMDSS& ui = *c.ui;
    RadioState& s = c.s;
    const bool toBlueCrane = addressee == QLatin1String("366232323");
    c.timedWait(platform::kWaitPeriodMs, [&] {
        if (toBlueCrane) ctl::toggleRedYellow(ui.txtBC1);
    });
    // The channel number always shows two digits, also when no redraw follows (channels 1 to 9).
    ui.lblChannel->setText(channelplan::twoDigits(c.channel->knob()));
    if (s.CallTypeRoutine == QLatin1String("RoutineX"))
        ui.lblStatus->setText(QStringLiteral("The Blue Crane Replied"));
    else if (s.CallTypeRoutine == QLatin1String("Routine"))
        ui.lblStatus->setText(QStringLiteral("Routine Call Transmitted"));
    else
        c.channel->ScrollChannel_Change();
    ui.lblStatus->show();
    ui.lblTX->hide();
}

void Menu::cmdClear_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    RadioState& s = c.s;
    // 1. Undo the open entry.
    if (s.MenuEntry == QLatin1String("MMSI"))
        ctl::setText(ui.txtMMSI, s.SavedEntryText);
    else if (s.MenuEntry == QLatin1String("Time"))
        ctl::setText(ui.txtTime, s.SavedEntryText);
    else if (s.MenuEntry == QLatin1String("Position"))
        ctl::setText(ui.txtLatLon, s.SavedEntryText);
    else if (s.MenuEntry == QLatin1String("UTC"))
        ctl::setText(ui.txtUTC, s.SavedEntryText);
    else if (s.MenuEntry == QLatin1String("Directory")) {
        ctl::setText(ui.txtDirectory, QString());
        ctl::setMaxLength(ui.txtDirectory, 0);
    }
    ctl::setText(ui.txtDirectory, QString()); // 2
    s.CallTypeGroup.clear();                  // 3
    s.CallTypeRoutine.clear();
    s.CallTypeUrgency.clear();
    s.CallTypeSafety.clear();
    s.CallTypeDistress.clear();
    s.MenuEntry.clear();
    s.SavedEntryText.clear();
    s.CallTypePolling.clear();
    s.CallTypeRequest.clear();
    ui.lblNewMenu->hide();                    // 4
    ui.lblLatLon->hide();
    ui.lblMenu->hide();
    ui.lblMMSI->hide();
    ui.lblNewMMSI->hide();
    ui.lblTime->hide();
    c.channel->RestoreChannelDisplay();                  // 5
}
