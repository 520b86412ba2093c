#include "dsc/Logs.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void Logs::wire() {}
void Logs::lstReceived_Click() {}
void Logs::lstDirectory_Click() {}
void Logs::addDirectoryLine(const QString&) {}
void Logs::sortDirectory() {}
