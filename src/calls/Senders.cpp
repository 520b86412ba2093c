#include "calls/Senders.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void Senders::Urgency() {}
void Senders::Safety() {}
void Senders::AllShips() {}
void Senders::Routine() {}
void Senders::PositionRequest() {}
void Senders::Polling() {}
QString Senders::GroupCall() { return {}; }
