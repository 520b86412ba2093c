#pragma once
// The exam's card bank: card templates in JSON files (exams/cards/*.json), a few to a file:
//
//   { "cards": [
//     { "id": "distress-fire-gps", "kind": "distress",
//       "text": "You are the skipper of Kelpo with {persons} persons on board. A fire ...",
//       "start": { "gps": true, "plan": "USA", "channel": "16" },
//       "tasks": [ { "title": "DSC distress alert sent, nature Fire",
//                    "expect": { "kind": "distress", "nature": "Fire" } }, ... ],
//       "critical": ["wrong-category", "no-mayday"],
//       "slots": { "nature": ["Flooding", "Sinking"] } } ] }
//
// id        letters, digits and dashes, required, not twice in the bank.
// kind      one of exam/Kinds.h's card kinds, required.
// text      what the candidate reads, required.
// dictation optional: what a station reads out for the candidate to copy.
// start     the radio's start, as an exercise's (lessons/Exercise.h).
// tasks     one or more, as an exercise's: each title is the criterion its mark stands for.
// critical  the critical errors (exam/Kinds.h) that fail an attempt at this card, required.
// slots     optional: for a slot, the values to draw from instead of its usual ones.
//
// Slots stand anywhere in the text, the dictation, the start and the tasks, filled from the exam's
// seed; the same slot is one value throughout a card, and two slots of one sort ({vessel},
// {vessel2}) differ:
//   {vessel} a vessel's name   {mmsi} a ship's MMSI   {callsign} a call sign   {persons} 2 to 9
//   {position} "42°21.3'N 070°48.9'W", written {position:radio} as the radio's entry
//   "L42°21.3'N  Lo070°48.9'W"   {time} a UTC time "14:12"   {channel} an intership working
//   channel   {nature} a nature of distress as the radio's list names it.
#include "dscwire/Message.h"
#include "lessons/Exercise.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace exam {

class Random;

struct Card {
    QString id, kind, text, dictation;
    QJsonObject start;
    QJsonArray tasks;
    QStringList critical;
    QMap<QString, QStringList> choices; // slot -> its values, where the card gives them
    QString fileName;                   // the file it came from, for messages
};

// A card with its slots filled.
struct Filled {
    QString text, dictation;
    QJsonObject start;
    QJsonArray tasks;
    QMap<QString, QString> values; // slot ("vessel2", "position:radio") -> its value
};

// The cards in one file, or the fault "<fileName> line N: ...".
dscwire::Result<QList<Card>> parseCards(const QByteArray& json, const QString& fileName);
// Every card of the *.json files in `folder`, in the order of their names.
dscwire::Result<QList<Card>> loadCardBank(const QString& folder);
// The shipped bank: "cards" in the first exam folder that has one.
dscwire::Result<QList<Card>> loadShippedCards();

// The card with its slots drawn from `random`, in the order they first stand in the card.
Filled fill(const Card& card, Random& random);
// The filled card as an exercise (title: the card's id; briefing: its text), or why it is none.
dscwire::Result<lessons::Exercise> exerciseOf(const Card& card, const Filled& filled);

} // namespace exam
