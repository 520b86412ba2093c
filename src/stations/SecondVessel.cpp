#include "stations/SecondVessel.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void SecondVessel::wire() {}
void SecondVessel::cmdBCEnter_Click() {}
void SecondVessel::lstBC_Click() {}
void SecondVessel::cmdBCClear_Click() {}
void SecondVessel::comboBC_Click() {}
void SecondVessel::cmdBCDistress_MouseDown() {}
void SecondVessel::cmdBCDistress_MouseUp() {}
void SecondVessel::BCDistress() {}
