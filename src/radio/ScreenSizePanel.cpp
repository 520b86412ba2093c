#include "radio/ScreenSizePanel.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void ScreenSizePanel::wire() {}
void ScreenSizePanel::cmdChangeScreenSize_Click() {}
void ScreenSizePanel::FrameScreenSize_Click() {}
void ScreenSizePanel::lblScreenSize_Click() {}
void ScreenSizePanel::OptScreenSize1_Click() {}
void ScreenSizePanel::optScreenSize2_Click() {}
void ScreenSizePanel::optScreenSize3_Click() {}
QString ScreenSizePanel::originalSizeText() const { return {}; }
