#include "dsc/CallComposer.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void CallComposer::wire() {}
void CallComposer::cmdCall_Click() {}
void CallComposer::lstCall_Click() {}
QString CallComposer::resolveAddressee() { return {}; }
void CallComposer::urgencyStep() {}
void CallComposer::safetyStep() {}
bool CallComposer::routineStep(QString&) { return true; }
void CallComposer::groupStep(QString&) {}
void CallComposer::lateSteps() {}
