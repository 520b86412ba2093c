#pragma once
#include <QString>
struct Context;

// The Call key, the call-type list, the addressee and the call steps of the Enter key.
class CallComposer {
public:
    explicit CallComposer(Context& ctx) : c(ctx) {}
    void wire();

    void cmdCall_Click();
    void lstCall_Click();
    // A typed MMSI wins over a selected directory line; sets CalledMMSI and returns it.
    QString resolveAddressee();

    // The call steps, each at its place in the Enter key's order.
    void urgencyStep();
    void safetyStep();
    // Returns false when the routine call was refused and the Enter press must end at once.
    bool routineStep(QString& addressee);
    void groupStep(QString& addressee);
    // Position Request, Polling and All Ships, after the closing wait.
    void lateSteps();

private:
    // An addressee other than nine digits reaches no station: the call is refused with a message
    // box and the channel display put back. Tells whether it was refused.
    bool refuseMalformedAddressee();

    Context& c;
};
