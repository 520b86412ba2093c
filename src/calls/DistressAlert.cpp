#include "calls/DistressAlert.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void DistressAlert::wire() {}
void DistressAlert::cmdDistress_MouseDown() {}
void DistressAlert::cmdDistress_MouseUp() {}
void DistressAlert::ComboMessage_Click() {}
void DistressAlert::TimerRepeat_Timer() {}
void DistressAlert::Distress() {}
