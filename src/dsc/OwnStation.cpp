#include "dsc/OwnStation.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void OwnStation::wire() {}
void OwnStation::txtMMSI_LostFocus() {}
void OwnStation::txtLatLon_Change() {}
void OwnStation::txtTime_LostFocus() {}
void OwnStation::GPSOn_Click() {}
void OwnStation::GPSOff_Click() {}
void OwnStation::Timer1_Timer() {}
void OwnStation::GetTime() {}
