#pragma once
// What the own radio does when an answer to its calls reaches it, from whichever station it comes
// (the coast station, the second vessel, a classmate).
struct Context;

namespace calls {

// The own radio's call alarm: ten seconds of beeps, the status line flashing red and yellow.
void ReplyAlarm(Context& c);
// The acknowledgement of the own distress alert has arrived: back on 16, "Recv'd Distress Ack",
// and the alert repeats no more.
void ownAlertAcknowledged(Context& c);

} // namespace calls
