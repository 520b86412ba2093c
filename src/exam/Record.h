#pragma once
// The result record of a mock exam, kept beside the lesson as <lesson>.exam.json: who sat it,
// the profile and seed it was drawn from, each card with its attempts, their marks and reasons,
// the examiner's overrides, the result. The writer seals it with a SHA-256 hash over the rest of
// the record, so that a record changed after it was written is seen as changed. The reader takes
// anything: a hostile file gives faults in words, never a crash.
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace exam {

struct Mark {
    QString criterion;
    bool met = false;
    QString evidence;
};

// A spoken element the recogniser was unsure of: the examiner listens to its sound.
struct ReviewFlag {
    QString element;
    QString sound; // a file beside the record
};

struct Attempt {
    int number = 0;
    double seconds = 0;
    bool passed = false;
    std::vector<Mark> marks;
    QStringList critical; // errors that fail the attempt
    QStringList minor;    // noted, not failed
    std::vector<ReviewFlag> review;
};

struct CardResult {
    int number = 0;
    QString id, kind, section;
    bool mandatory = false;
    QString text; // the card as the candidate read it
    std::vector<Attempt> attempts;
};

// The examiner's own mark on an attempt, with the reason written down.
struct Override {
    int card = 0, attempt = 0;
    QString mark; // "passed" or "failed"
    QString reason;
    QString at;
};

struct Record {
    int format = 1;
    QString profile, profileTitle;
    qint64 seed = 0;
    QString candidate, started, ended;
    QJsonObject pass; // the profile's pass rule, as it was
    std::vector<CardResult> cards;
    std::vector<Override> overrides;
    QString result; // "passed", "failed" or "review"
};

// The record as JSON, without its hash.
QJsonObject recordJson(const Record& record);
// The hash of a record's JSON (its "hash" left out): SHA-256 in hex over its compact form.
QString recordHash(QJsonObject json);
// The record as its file holds it: the JSON with its hash.
QByteArray writeRecord(const Record& record);

enum class Integrity {
    Intact,     // its hash matches
    Changed,    // its hash does not match what it holds
    NoHash,     // no hash to tell
    Unreadable, // not a record at all
};

struct RecordRead {
    Record record;
    Integrity integrity = Integrity::Unreadable;
    QStringList faults; // each "NAME: what is wrong"
};

// Reads a record's bytes; name is how faults name the file.
RecordRead readRecord(const QByteArray& bytes, const QString& name);
// Reads a record's file (a file far larger than any record is unreadable).
RecordRead readRecordFile(const QString& path);

} // namespace exam
