#pragma once
#include <functional>
struct Context;

// The Coast Guard station display.
class CoastGuard {
public:
    explicit CoastGuard(Context& ctx) : c(ctx) {}
    void wire();

    void CGClear_Click();
    void cmdAcknowledge_Click();

    // Offered the Acknowledge key first: true when it has answered a call on the display (in a
    // class, a classmate's call), so that the display's own acknowledgement is not given.
    std::function<bool()> acknowledgeClassCall;

private:
    Context& c;
};
