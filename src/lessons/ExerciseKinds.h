#pragma once
// The kinds of answer an exercise asks for and the fields each carries: shared by the reading of
// exercise files (ExerciseFile.cpp) and the checking of answers against them (Exercise.cpp).
#include "lessons/Exercise.h"

namespace lessons::kinds {

// The reasons for being unable to comply are second commands from 100 ("no reason given") on.
inline constexpr int kFirstReason = 100;

// The fields a task may expect, one bit each.
enum Field : unsigned {
    kNature = 1, kPosition = 2, kTime = 4, kChannel = 8, kTo = 16, kFrom = 32, kReason = 64, kMmsi = 128,
    kProcedure = 256, kElements = 512
};

struct KindInfo {
    Kind kind;
    const char* name;
    unsigned fields; // what an answer of this kind carries
};

inline constexpr KindInfo kKinds[] = {
    {Kind::Distress, "distress", kNature | kPosition | kTime | kFrom},
    {Kind::Urgency, "urgency", kChannel | kFrom},
    {Kind::Safety, "safety", kChannel | kFrom},
    {Kind::AllShips, "all-ships", kChannel | kFrom},
    {Kind::Individual, "individual", kTo | kChannel | kFrom},
    {Kind::Group, "group", kTo | kChannel | kFrom},
    {Kind::PositionRequest, "position-request", kTo | kFrom},
    {Kind::Polling, "polling", kTo | kFrom},
    {Kind::DistressAck, "distress-ack", kNature | kPosition | kTime | kFrom},
    {Kind::Able, "able", kChannel | kFrom},
    {Kind::Unable, "unable", kReason | kFrom},
    {Kind::PositionReply, "position-reply", kPosition | kTime | kFrom},
    {Kind::PollingReply, "polling-reply", kFrom},
    {Kind::OwnMmsi, "own-mmsi", kMmsi},
    {Kind::Voice, "voice", kProcedure | kChannel | kElements},
};

inline const KindInfo& infoOf(Kind kind) {
    for (const KindInfo& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds[0];
}

} // namespace lessons::kinds
