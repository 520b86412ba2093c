#include "stations/CoastGuard.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void CoastGuard::wire() {}
void CoastGuard::CGClear_Click() {}
void CoastGuard::cmdAcknowledge_Click() {}
void CoastGuard::ReplyAlarm() {}
