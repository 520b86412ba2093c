#pragma once
// The channel plans of the radio as tables: which channels carry the "A" suffix, which force low
// power, what each channel is used for, which are duplex, which knob positions are skipped, and the
// extra steps of the USA plan that reach 20/20A and 84/84A to 88/88A on the same knob position.
//
// Channel lists are texts of two-digit channel numbers separated by blanks, kept exactly as the
// radio has always had them (some end in a blank). A channel is in a list when its two-digit text
// occurs in the list text.
#include <QString>
#include <span>

namespace channelplan {

// The lists of one plan, chosen by the plan name shown in lblMode.
struct PlanLists {
    const char* plan;       // "USA", "CAN", "INT"
    const char* suffix;     // channels shown with "A"
    const char* lowPower;   // channels that always transmit at 1W
    const char* duplex;     // duplex channels
    const char* duplexWord; // the word shown for them
};

// A channel's use text: applied in table order, a later match replaces an earlier one.
struct UseText {
    const char* channels;
    const char* text;
};

// A knob position that does not exist in a plan: when the knob moves from `previous` to `knob`,
// it is moved on to `moveTo`.
struct SkipRule {
    const char* plan; // nullptr: every plan
    int previous;
    int knob;
    int moveTo;
};

// One of the USA plan's paired-channel steps: when the condition holds, the knob is put on
// `position`, ChannelLabel becomes `newLabel` and the display shows the row's captions.
struct PairedStep {
    int previous;          // 0: any previous position
    int knob;
    const char* label;     // nullptr: any ChannelLabel
    const char* newLabel;
    int position;
    bool suffixA;          // lblA shown
    const char* useText;
    const char* mode;      // "Duplex" or "Simplex"
};

// The lists of the plan named `plan`, or nullptr for any other text.
const PlanLists* planLists(const QString& plan);
std::span<const UseText> useTextsUsaInt();
std::span<const UseText> useTextsCan();
std::span<const SkipRule> skipRules();
std::span<const PairedStep> pairedSteps();

// True when the channel's two-digit text occurs in the list.
bool inList(const char* list, const QString& channel);
// The knob position as the display writes it: "01" to "88".
QString twoDigits(int position);

} // namespace channelplan
