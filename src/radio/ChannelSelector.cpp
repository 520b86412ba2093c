#include "radio/ChannelSelector.h"

#include "app/Context.h"
#include "ui_frmGMDSS.h"

// Not written yet.
void ChannelSelector::wire() {}
void ChannelSelector::ScrollChannel_Change() {}
void ChannelSelector::setKnob(int) {}
void ChannelSelector::setKnobMaximum(int) {}
int ChannelSelector::knob() const { return 0; }
