#include "dsc/Menu.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void Menu::wire() {}
void Menu::cmdMenu_Click() {}
void Menu::lstMenu_Click() {}
void Menu::cmdEnter_Click() {}
void Menu::cmdClear_Click() {}
void Menu::RestoreChannelDisplay() {}
void Menu::closingWait(const QString&) {}
