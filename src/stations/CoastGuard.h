#pragma once
struct Context;

// The Coast Guard station display, and the own radio's ten-second reply alarm.
class CoastGuard {
public:
    explicit CoastGuard(Context& ctx) : c(ctx) {}
    void wire();

    void CGClear_Click();
    void cmdAcknowledge_Click();
    void ReplyAlarm();
    void ownAlertAcknowledged();

private:
    Context& c;
};
