#pragma once
// The debrief of a lesson: one page that tells the lesson in words. The exercises' results with
// their verdicts, the radio log's entries, then the timeline of what the trainee did and what went on the air, with the
// picture of the window at each call the own radio sent and, for each spoken transmission, its words
// and the verdict on each element of its procedure. As one self-contained HTML file (the pictures
// and the sound of each transmission inside it as data URIs), or as a printed report in PDF (words,
// verdicts and pictures), both made by the report renderer (lessons/Report.h).
#include <QString>

namespace lessons {

struct DebriefOutcome {
    bool written = false;
    // What went wrong, or why the timeline stops early (a damaged line); empty when all is well.
    QString problem;
};

// The HTML of the debrief. With embedPictures false the pictures are named by their file names
// (for a document that is given them as resources).
QString debriefHtml(const QString& lessonPath, bool embedPictures, QString* problem);
// Writes the debrief of the lesson to outPath: PDF when its name ends in .pdf, HTML otherwise.
// The PDF needs a QGuiApplication.
DebriefOutcome writeDebrief(const QString& lessonPath, const QString& outPath);

} // namespace lessons
