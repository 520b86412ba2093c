#pragma once
// What a recorded lesson holds at a glance, for the list of lessons: when it started, how long it
// ran, the exercises it worked and how many calls and transmissions the trainee made.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace lessons {

struct Summary {
    QDateTime start;       // local time the trainer started; invalid when the file is no lesson
    qint64 lengthMs = 0;   // from the start to the last line
    QStringList exercises; // the titles of the exercises with results, in their order
    int calls = 0;         // DSC calls the own radio sent
    int transmissions = 0; // spoken transmissions the own radio made
    QString problem;       // why the reading stopped early (a damaged line), or why it is no lesson
};

// Reads the lesson at `path` to its end (or its first damaged line).
Summary summarize(const QString& path);

} // namespace lessons
