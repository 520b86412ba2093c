#pragma once
struct Context;

// The second vessel's panel: its replies and its own distress alert.
class SecondVessel {
public:
    explicit SecondVessel(Context& ctx) : c(ctx) {}
    void wire();

    void cmdBCEnter_Click();
    void lstBC_Click();
    void cmdBCClear_Click();
    void comboBC_Click();
    void cmdBCDistress_MouseDown();
    void cmdBCDistress_MouseUp();
    void BCDistress();

private:
    Context& c;
};
