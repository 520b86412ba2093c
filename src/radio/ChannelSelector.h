#pragma once
struct Context;

// The channel knob (ScrollChannel) and the channel display it drives.
class ChannelSelector {
public:
    explicit ChannelSelector(Context& ctx) : c(ctx) {}
    void wire();

    // Turns the knob position into the channel display: skip rules, the USA paired "A"-channel
    // steps, or the general display. Re-entrant: moving the knob from here runs it again, nested.
    void ScrollChannel_Change();
    // Moves the knob; the change runs ScrollChannel_Change at once when the value really changes.
    void setKnob(int position);
    void setKnobMaximum(int maximum);
    int knob() const;
    // Puts the channel display back (channel mode, the channel shown before, the position and time
    // lines) and forgets pending call choices (not a group choice). Hides the menu, call and
    // addressee lists and every entry field on the way.
    void RestoreChannelDisplay();

private:
    Context& c;
};
