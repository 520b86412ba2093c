#pragma once
#include <QString>

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
    // Her distress key worked by herself: `nature` chosen in her list (as the radio's list names
    // it; Fire when it names none) and the key held its five seconds.
    void sendDistress(const QString& nature);

private:
    Context& c;
    // What her distress key does once held five seconds.
    void distressKeyHeld();
};
