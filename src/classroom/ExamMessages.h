#pragma once
// What a class's mock exam sends over its topics (Topics.h), as compact JSON, and the checks a
// received one must pass: pure functions, no network. The start names the exam (an id the
// instructor makes, so that what comes back from an earlier exam is told apart), the profile, the
// seed (a string: seeds go beyond what a JSON number holds exactly) and the candidate. The record
// travels as its file's bytes, unchanged, so that its hash still holds, with the sounds its review
// flags name.
#include "dscwire/Message.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

namespace classroom {

// A record with its sounds can be far larger than a call; larger ones are dropped unread.
inline constexpr int kMaxExamRecord = 8 * 1024 * 1024;

struct ExamStart {
    QString sender; // the instructor's MMSI
    QString exam;   // the exam's id
    QString profile;
    quint64 seed = 0;
    QString candidate;
};
QByteArray encodeExamStart(const ExamStart& start);
dscwire::Result<ExamStart> decodeExamStart(const QByteArray& payload);

struct ExamProgress {
    QString exam;
    QJsonObject progress; // as the trainee's exam runner gives it
};
QByteArray encodeExamProgress(const ExamProgress& progress);
dscwire::Result<ExamProgress> decodeExamProgress(const QByteArray& payload);

struct ExamRecordFiles {
    QString exam;
    QString name;                    // the record's file name
    QByteArray record;               // its bytes
    QMap<QString, QByteArray> sounds; // file name -> bytes
};
QByteArray encodeExamRecord(const ExamRecordFiles& files);
// Refuses names that are not plain file names (a path, "..", a hidden file), so that what is
// received can only be written into the folder chosen for it.
dscwire::Result<ExamRecordFiles> decodeExamRecord(const QByteArray& payload);
// A plain file name: letters, digits, '.', '-' and '_', not starting with '.'.
bool plainFileName(const QString& name);

} // namespace classroom
