#pragma once
struct Context;

// The own distress key with its five-second hold, the nature list, the alert and its repeat.
class DistressAlert {
public:
    explicit DistressAlert(Context& ctx) : c(ctx) {}
    void wire();

    void cmdDistress_MouseDown();
    void cmdDistress_MouseUp();
    void ComboMessage_Click();
    void TimerRepeat_Timer();
    // The transmission sequence; does nothing unless an own distress alert is active.
    void Distress();

private:
    Context& c;
};
