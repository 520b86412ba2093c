#pragma once
// The kinds of exam card, and the critical errors a card can watch for: fixed lists, which the
// profiles and the cards name by their words.
#include <QString>
#include <QStringList>

namespace exam {

struct Named {
    const char* id;
    const char* words;
};

// The task bank's kinds, by the word profiles and cards use.
inline constexpr Named kCardKinds[] = {
    {"distress", "a DSC distress alert with the GPS position, and the MAYDAY"},
    {"distress-by-hand", "a DSC distress alert with position and time entered by hand, and the MAYDAY"},
    {"false-alert", "a distress alert sent in error, stopped and cancelled by voice"},
    {"distress-received", "a distress alert received, acknowledged by voice"},
    {"relay", "a MAYDAY RELAY for a vessel that cannot call for itself"},
    {"silence", "imposing silence on the distress channel"},
    {"end-distress", "ending distress traffic"},
    {"urgency", "an urgency call and message"},
    {"urgency-cancel", "cancelling an urgency"},
    {"safety", "a safety call, SECURITE on 16 and the message on a working channel"},
    {"routine-ship", "a routine call to a ship with an intership working channel"},
    {"routine-coast", "a routine call to the coast station on its channel"},
    {"routine-group", "a group call"},
    {"directory", "the directory and the own MMSI"},
    {"position-time", "position and time entered by hand"},
    {"position-request", "a position request and its answer"},
    {"call-log", "reading the call log"},
    {"spelling", "spelling with the phonetic alphabet"},
    {"figures", "reading out figures: an MMSI and a position"},
    {"dictation", "copying a dictated message into the log"},
    {"priority", "three cards at once, handled in order of priority"},
};

// What fails an attempt at once (the minor slips are noted, never failed).
inline constexpr Named kCriticalErrors[] = {
    {"wrong-category", "a wrong DSC category or call kind for the situation"},
    {"no-position-time", "a distress alert without a valid position and time while the GPS is down"},
    {"no-mayday", "a DSC distress alert not followed by the MAYDAY on channel 16"},
    {"alert-not-cancelled", "a false alert not cancelled by voice on channel 16"},
    {"ship-dsc-ack", "a distress alert acknowledged by DSC from a ship"},
    {"relay-as-own-alert", "another vessel's distress sent as the own alert instead of a relay"},
    {"message-incomplete", "a MAYDAY or relay without identity, position, nature or assistance wanted"},
    {"working-channel-16-70", "channel 16 or 70 proposed as a working channel"},
    {"silence-broken", "transmitting during imposed silence"},
    {"time-out", "the time run out"},
};

template <std::size_t N>
QStringList ids(const Named (&list)[N]) {
    QStringList out;
    for (const Named& n : list) out << QString::fromLatin1(n.id);
    return out;
}

inline QStringList cardKinds() { return ids(kCardKinds); }
inline QStringList criticalErrors() { return ids(kCriticalErrors); }

} // namespace exam
