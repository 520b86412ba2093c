#pragma once
// An exam profile: how a mock practical exam is drawn and passed. It comes from a small JSON file
// (exams/<name>.json), e.g.
//
//   {
//     "title": "SRC practical, scenario cards",
//     "familiarisation": 300,
//     "timeLimit": 1800,
//     "attempts": 1,
//     "sections": [
//       { "name": "core", "draw": 2, "kinds": ["distress", "distress-by-hand"], "mandatory": true },
//       { "name": "other", "draw": 3, "kinds": ["urgency", "safety", "relay", "silence"] }
//     ],
//     "pass": { "mandatory": "all", "others": 2 }
//   }
//
// title            words, required.
// familiarisation  seconds of free use of the radio before the exam (default 0).
// timeLimit        seconds for the whole exam, 0 for none (default 0).
// attempts         attempts per card, 1 or more (default 1), unless a section says otherwise.
// sections         one or more, drawn in their order:
//   name             words, required, not twice.
//   draw             how many cards, required: each of another kind, taken from `kinds` (exam/Kinds.h),
//                    none of a kind an earlier section drew.
//   kinds            the kinds the section draws from, required.
//   mandatory        whether each of its cards must be passed (default false).
//   attempts         attempts per card in the section.
// pass             required, one of:
//   { "mandatory": "all", "others": N }   every mandatory card passed and N of the others;
//   { "percent": P }                       in each section at least P % of its cards passed.
//
// A file that cannot be used gives one message naming the file, the line and the problem, e.g.
// "src.json line 7: section 2 draws 5 cards but only 3 kinds fit".
#include "dscwire/Message.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace exam {

struct Section {
    QString name;
    int draw = 1;
    QStringList kinds;
    bool mandatory = false;
    int attempts = 1;
};

struct Profile {
    QString name;             // the file's name without ".json": "src"
    QString title;
    int familiarisationSeconds = 0;
    int timeLimitSeconds = 0; // 0: none
    int attempts = 1;
    QList<Section> sections;
    QJsonObject pass;         // as the file gives it, for the result record
};

dscwire::Result<Profile> parseProfile(const QByteArray& json, const QString& fileName);
dscwire::Result<Profile> loadProfile(const QString& path);

// Where the shipped profiles are: an "exams" folder beside each exercise folder
// (lessons::exerciseFolders), only those that exist.
QStringList examFolders();
// A profile named on the command line: the path itself when it is a file, else the name (with or
// without ".json") in one of the exam folders; the name unchanged when none has it.
QString findProfile(const QString& name);

} // namespace exam
