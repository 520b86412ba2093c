#include "radio/ChannelPlan.h"

namespace channelplan {

namespace {

const PlanLists kPlans[] = {
    {"USA", "01 03 05 07 18 19 21 22 23 61 63 64 65 66 78 79 80 81 82 83 ", "13 15 17 67 77",
     "20 24 25 26 27 28 84 85 ", "DUPLEX"},
    {"CAN", "04 05 07 18 19 21 22 61 62 64 65 66 78 79 80 81 82 83", "13 15 17 20 66 77",
     "01 02 03 20 23 24 25 26 27 28 60 64 84 85 86 87 88", "Duplex"},
    {"INT", "65 66", "15",
     "01 02 03 04 05 07 18 19 20 21 22 23 24 25 26 27 28 60 61 62 63 64 65 66 78 79 80 81 82 83 84 85 ", "DUPLEX"},
};

const UseText kUseTextsUsaInt[] = {
    {"01 05", "VTS"},
    {"03 12 14 20 65 66 73 74 77", "Port Operations"},
    {"06", "Safety Messages"},
    {"07 08 10 11 18 19 79 80 88", "Commercial"},
    {"09", "Calling, Com'l & Non-Com'l"},
    {"13", "Navigational"},
    {"15", "Environmental"},
    {"17", "State Control"},
    {"21 22 23 81 83", "Coast Guard"},
    {"24 25 26 27 28 84 85 ", "Public Correspondence"},
    {"68 69 70 71 72 78", "Non-Commercial Fish"},
    {"82", "U.S. Government Only"},
};

const UseText kUseTextsCan[] = {
    {"09 68 69 70 71 72", "Fishing"},
    {"15", "Environmental"},
    {"11 12 19 21 24 26 27 28 81 83 85", "Coast Guard"},
    {"24 25 26 27 28 84 85 86 87 88", "Telephone"},
};

const SkipRule kSkipRules[] = {
    {nullptr, 69, 70, 71}, {nullptr, 71, 70, 69}, {nullptr, 28, 29, 60}, {nullptr, 60, 59, 28},
    {"CAN", 62, 63, 64},   {"CAN", 64, 63, 62},   {"USA", 1, 2, 3},      {"USA", 3, 2, 1},
    {"USA", 3, 4, 5},      {"USA", 5, 4, 3},      {"USA", 61, 62, 63},   {"USA", 63, 62, 61},
    {nullptr, 74, 75, 77}, {nullptr, 77, 76, 74},
};

// clang-format off
const PairedStep kPairedSteps[] = {
    // previous, knob, label,   new label, position, A,    use text,                mode
    {19, 20, nullptr, "20",  20, false, "Port Operations",       "Duplex"},
    {20, 21, "20",    "20A", 20, true,  "Port Operations",       "Simplex"},
    {0,  21, "20A",   "21",  21, true,  "Coast Guard",           "Simplex"},
    {21, 20, nullptr, "20A", 20, true,  "",                      "Simplex"},
    {20, 19, "20A",   "20",  20, false, "Port Operations",       "Duplex"},
    {0,  19, "20",    "19",  19, true,  "Commercial",            "Simplex"},
    {83, 84, nullptr, "84",  84, false, "Public Correspondence", "Duplex"},
    {84, 85, "84",    "84A", 84, true,  " ",                     "Simplex"},
    {0,  85, "84A",   "85",  85, false, "Public Correspondence", "Duplex"},
    {85, 86, "85",    "85A", 85, true,  "Public Correspondence", "Simplex"},
    {85, 86, "85A",   "86",  86, false, "Public Correspondence", "Duplex"},
    {0,  87, "86",    "86A", 86, true,  "Public Correspondence", "Simplex"},
    {0,  87, "86A",   "87",  87, false, "Public Correspondence", "Duplex"},
    {0,  88, "87",    "87A", 87, true,  "Public Correspondence", "Simplex"},
    {0,  88, "87A",   "88",  88, false, "Commercial",            "Duplex"},
    {0,  89, "88",    "88A", 88, true,  "Commercial",            "Simplex"},
    {0,  87, "88A",   "88",  88, false, "Commercial",            "Duplex"},
    {0,  87, "88",    "87A", 87, true,  "Public Correspondence", "Simplex"},
    {0,  86, "87A",   "87",  87, false, "Public Correspondence", "Duplex"},
    {0,  86, "87",    "86A", 86, true,  "Public Correspondence", "Simplex"},
    {0,  85, "86A",   "86",  86, false, "Public Correspondence", "Duplex"},
    {0,  85, "86",    "85A", 85, true,  "Public Correspondence", "Simplex"},
    {0,  84, "85A",   "85",  85, false, "Public Correspondence", "Duplex"},
    {0,  84, "85",    "84A", 84, true,  " ",                     "Simplex"},
    {0,  83, "84A",   "84",  84, false, "Public Correspondence", "Duplex"},
};
// clang-format on

} // namespace

const PlanLists* planLists(const QString& plan) {
    for (const PlanLists& p : kPlans)
        if (plan == QLatin1String(p.plan)) return &p;
    return nullptr;
}

std::span<const UseText> useTextsUsaInt() { return kUseTextsUsaInt; }
std::span<const UseText> useTextsCan() { return kUseTextsCan; }
std::span<const SkipRule> skipRules() { return kSkipRules; }
std::span<const PairedStep> pairedSteps() { return kPairedSteps; }

bool inList(const char* list, const QString& channel) {
    return QString::fromLatin1(list).contains(channel);
}

QString twoDigits(int position) {
    return position < 10 ? QStringLiteral("0") + QString::number(position) : QString::number(position);
}

} // namespace channelplan
