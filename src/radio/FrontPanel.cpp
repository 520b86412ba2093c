#include "radio/FrontPanel.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void FrontPanel::wire() {}
void FrontPanel::cmdOnOff_Click() {}
void FrontPanel::cmdHiLow_Click() {}
void FrontPanel::cmd16_Click() {}
void FrontPanel::cmdCHWX_Click() {}
void FrontPanel::cmdMode_Click() {}
void FrontPanel::leaveWeatherMode() {}
