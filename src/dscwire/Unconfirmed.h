#pragma once
// Every reading of ITU-R M.493 that our sources did not settle, in one place. Each constant says
// what we do; its comment says what the other reading would be, so a change is one line here.

namespace dscwire::unconfirmed {

// A VHF channel group is "9 0 cccc" (channel 16 -> 90 00 16). Other reading: the second digit
// is not always 0 but a flag (e.g. for the ship's transmit frequency); we would then write it here.
inline constexpr int kChannelSecondDigit = 0;

// All-ships urgency and safety calls carry one channel group (3 characters).
// Other choice: two groups (6 characters), receive then transmit, as in an individual call.
inline constexpr int kAllShipsChannelGroups = 1;

// Group calls carry two channel groups, as an individual call does.
// Other choice: one group (3 characters), as an all-ships call.
inline constexpr int kGroupChannelGroups = 2;

// A position request carries six 126 after its two commands.
// Other choice: nothing after the commands (the call ends at once with its EOS).
inline constexpr int kPositionRequestFillers = 6;

// In $CDDSC the "position or channel" field of a call with channels holds the digits of every
// channel group it carries (6 or 12 digits). Other choice: the first group's 6 digits only.
inline constexpr bool kNmeaAllChannelGroups = true;

// An "A" channel of the USA and Canadian plans (simplex on the ship's side of a duplex pair) goes
// on the air as 1000 + its number (22A -> 1022), the four digits of "9 0 cccc". Other reading:
// the plain number, with the simplex use told by the second digit of the group.
inline constexpr int kAChannelOffset = 1000;

} // namespace dscwire::unconfirmed
