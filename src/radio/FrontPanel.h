#pragma once
struct Context;

// The front-panel keys On/Off, Hi/Lo, 16/9, CH/WX and U/I/C.
class FrontPanel {
public:
    explicit FrontPanel(Context& ctx) : c(ctx) {}
    void wire();

    void cmdOnOff_Click();
    void cmdHiLow_Click();
    void cmd16_Click();
    void cmdCHWX_Click();
    void cmdMode_Click();
    // In weather mode, goes back to channel mode the way the 16/9 key does (channel mode, knob
    // maximum 88, black text, power shown), so that a caller can then put the knob on 16.
    void leaveWeatherMode();
    // Puts the knob on channel 16, leaving weather mode first (the weather knob does not reach 16).
    // Tells whether weather mode was left.
    bool toChannel16();
    // In weather mode, goes back to the marine channel the radio was on before, as the CH/WX key
    // does; elsewhere does nothing.
    void backToMarineChannel();

private:
    // Channel mode's look: black channel and use text, power shown.
    void showChannelModeColours();

    Context& c;
};
