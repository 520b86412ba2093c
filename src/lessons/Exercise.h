#pragma once
// An exercise: situations in plain words, each asking for one DSC call (or one setting of the radio),
// and what a correct answer carries. It comes from a small JSON file, e.g.
//
//   {
//     "title": "Fire on board",
//     "briefing": "A fire has broken out in the engine room of Kelpo. Your GPS works.",
//     "start": { "gps": true, "plan": "USA", "channel": "16" },
//     "tasks": [
//       { "title": "Send a distress alert for the fire.", "timeLimit": 60,
//         "expect": { "kind": "distress", "nature": "Fire" } }
//     ]
//   }
//
// title      words, required.
// briefing   words, optional: the situation as the trainee reads it.
// start      optional: how the radio is set when the exercise begins, each field optional.
//   mmsi       the own MMSI, nine digits (entered as in the MMSI menu).
//   gps        true or false (the GPS switch). With the GPS off the position and time are the
//              manual entries: those below, or nothing entered yet.
//   position   a manual position in the radio's form "L42°21.0'N  Lo070°55.7'W"; and
//   time       a manual UTC time "HH:MM": both are what the trainee would enter by hand, which the
//              radio takes only with the GPS off, so they switch it off ("gps": true with either
//              is an error).
//   plan       the channel plan: "USA", "Canada" or "International" (or the radio's "CAN", "INT").
//   channel    the channel to tune to in that plan, as the display shows it: "16", "22A".
// tasks      one or more, answered in any order:
//   title      words, required: what to do.
//   timeLimit  optional seconds from the start of the exercise; an answer after it is wrong. For a
//              "voice" task, seconds from the answer to the task before it in the file (the spoken
//              half follows its call): it does not run while that task is open, and for a first
//              task it runs from the start.
//   expect     required: the kind of answer and the fields it must carry; a field left out is not
//              checked.
//     kind       what the trainee's radio sends: "distress", "urgency", "safety", "all-ships",
//                "individual", "group", "position-request", "polling"; or what it receives in
//                answer (the trainee works the model stations too): "distress-ack", "able",
//                "unable", "position-reply", "polling-reply"; or "own-mmsi", the radio's own MMSI
//                set to `mmsi` (checked when the MMSI changes); or "voice", a spoken transmission
//                of the own radio (checked as it goes on the air, its words judged).
//     nature     a nature of distress as the radio's list names it ("Fire", "MOB", ...).
//     position   trainer text as above, any hemisphere; compared on whole minutes.
//     time       "HH:MM", UTC, as the call carries it.
//     channel    the working channel the call proposes: "68", "22A".
//     to         the called station's or group's MMSI.
//     from       the calling station's MMSI (for the own radio's calls: the own MMSI they carry).
//     reason     the reason of an unable-to-comply answer ("Busy", ...).
//     mmsi       for "own-mmsi": the MMSI to set.
//     procedure  for "voice", required: "mayday", "mayday-relay", "pan-pan", "securite", "routine",
//                "distress-ack" or "cancel".
//     elements   for "voice": the elements of the procedure's form that must be right, by the ids
//                the procedure checker gives them (voice::formOf): ["position", "nature",
//                "persons"]; left out, every element must be. (The channel, as for a call: the
//                channel it is said on.)
//
// A file that cannot be used gives one message naming the file, the line and the problem, e.g.
// "fire.json line 7: task 2 has an unknown kind 'distres'".
#include "air/Voice.h"
#include "dscwire/Message.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace lessons {

enum class Kind {
    Distress, Urgency, Safety, AllShips, Individual, Group, PositionRequest, Polling, // sent
    DistressAck, Able, Unable, PositionReply, PollingReply,                         // received
    OwnMmsi,                                                                        // a setting
    Voice,                                                                          // spoken
};

// The file's word for a kind ("all-ships") and back.
QString kindName(Kind kind);
std::optional<Kind> kindFromName(const QString& name);
// The kind of a DSC message; none for a call no task asks for (a test call, a distress relay).
std::optional<Kind> kindOf(const dscwire::Message& m);
// Whether the trainee's own radio sends this kind (else it receives it, or it is a setting).
bool isSentKind(Kind kind);
bool isReceivedKind(Kind kind);

struct Expect {
    Kind kind = Kind::Distress;
    std::optional<int> nature;                // nature code
    QString natureWord;                       // as the file gives it
    std::optional<dscwire::Position> position;
    std::optional<QTime> time;
    std::optional<int> channel;               // as on the air: "22A" -> 1022
    QString to, from, mmsi;                   // empty: not checked
    std::optional<int> reason;                // second command of an unable answer (100 ...)
    QString procedure;                        // voice: the procedure's name, "mayday"
    QStringList elements;                     // voice: the elements that must be right; empty: all
};

struct Task {
    QString title;
    Expect expect;
    int timeLimitSeconds = 0; // 0: none
};

struct StartState {
    QString mmsi;
    std::optional<bool> gps;
    QString position, time;   // manual entries; empty: left as they are
    QString plan;             // "USA", "CAN" or "INT"; empty: left as it is
    QString channel;          // designator; empty: left as it is
    int channelLine = 0;      // where the file gives the channel, for a channel the plan lacks
};

struct Exercise {
    QString fileName;         // the file's name, without its folder, for messages
    QString title;
    QString briefing;
    StartState start;
    QList<Task> tasks;
};

// The exercise in `json`, or the one message that says what is wrong with it ("<fileName> line N: ...").
dscwire::Result<Exercise> parseExercise(const QByteArray& json, const QString& fileName);
// The same from a file.
dscwire::Result<Exercise> loadExercise(const QString& path);

// The fields of `m` that differ from what `e` expects, one in words each:
// "nature: Flooding, expected Fire", "channel: 16, expected 68", "to: 366232323, expected 003669927".
// The kinds are taken to match.
QStringList mismatches(const Expect& e, const dscwire::Message& m);
// The same for a spoken transmission of the procedure `e` asks for: the channel it was said on, and
// the verdict in words of each element that must be right and was heard wrong ("no position given").
// An element not heard clearly is not among them.
QStringList mismatches(const Expect& e, const air::VoiceTransmission& t);
// The elements that must be right and were not heard clearly enough to judge, by id ("position").
QStringList unclearElements(const Expect& e, const air::VoiceTransmission& t);
// What the trainee is told to do about them: "Not heard clearly: say again your position".
QString sayAgainText(const QStringList& unclearElements);
// A channel as a call carries it, in the display's words: 68 -> "68", 1022 -> "22A", 0 -> "none".
QString channelWords(int channelOnAir);

// Where the shipped exercises are: the installed folder next to the program, the install prefix's,
// and the build tree's for a program run from the build tree. Only folders that exist.
QStringList exerciseFolders();
// A file named on the command line: the path itself when it exists, else the name (with or without
// ".json") in one of the exercise folders; the name unchanged when none has it.
QString findExercise(const QString& name);
// The same in the given folders.
QString findFile(const QString& name, const QStringList& folders);

} // namespace lessons
