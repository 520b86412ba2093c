#include "app/ExamOptions.h"

#include "app/Lessons.h"
#include "exam/Draw.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <cstdio>

ExamOptions::ExamOptions(QCommandLineParser& parser)
    : parser_(parser),
      exam_(QStringLiteral("exam"),
            QStringLiteral("Sit a mock practical exam drawn by the profile NAME (a shipped one, e.g. src or src-4plus2, "
                           "or a file): time to get to know the radio, then the cards one by one, marked into a "
                           "record beside the lesson."),
            QStringLiteral("NAME")),
      plan_(QStringLiteral("plan"), QStringLiteral("With --exam: print the cards drawn, one a line, and exit.")),
      seed_(QStringLiteral("seed"),
            QStringLiteral("With --exam: the seed the exam is drawn from (a whole number; the same seed draws the same "
                           "exam). Without it a seed is drawn from the clock and shown."),
            QStringLiteral("N")),
      candidate_(QStringLiteral("candidate"),
                 QStringLiteral("With --exam: the candidate's name on the record and the sheet (the login name unless "
                                "given)."),
                 QStringLiteral("NAME")) {
    parser_.addOptions({exam_, plan_, seed_, candidate_});
}

std::optional<int> ExamOptions::run(int& argc, char** argv) {
    if (!parser_.isSet(exam_)) {
        for (const QCommandLineOption* o : {&plan_, &seed_, &candidate_})
            if (parser_.isSet(*o))
                return usageError(QStringLiteral("--%1 goes with --exam").arg(o->names().first()));
        return std::nullopt;
    }
    bool ok = true;
    const quint64 seed = parser_.isSet(seed_) ? parser_.value(seed_).trimmed().toULongLong(&ok)
                                              : quint64(QDateTime::currentMSecsSinceEpoch()) % 1000000000u;
    if (!ok) return usageError(QStringLiteral("--seed wants a whole number, not '%1'").arg(parser_.value(seed_)));
    if (parser_.isSet(candidate_) && parser_.isSet(plan_)) return usageError(QStringLiteral("--candidate is for sitting the exam, not with --plan"));
    std::optional<exam::Plan> plan;
    {
        QCoreApplication app(argc, argv); // the folders the shipped profiles are in are found from the program's
        const QString path = exam::findProfile(parser_.value(exam_));
        if (!QFileInfo(path).isFile())
            return usageError(QStringLiteral("--exam: no profile '%1' (shipped: src, src-4plus2; or a file)").arg(path));
        const auto profile = exam::loadProfile(path);
        const auto bank = exam::loadShippedCards();
        const auto drawn = profile.ok() && bank.ok() ? exam::drawExam(profile.value(), bank.value(), seed)
                                                     : dscwire::Result<exam::Plan>::bad(profile.ok() ? bank.error() : profile.error());
        if (!drawn.ok()) {
            std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(drawn.error()));
            return 1;
        }
        plan = drawn.value();
    }
    if (parser_.isSet(plan_)) {
        for (const QString& line : exam::planLines(*plan)) std::printf("%s\n", qPrintable(line));
        return 0;
    }
    QString candidate = parser_.value(candidate_).trimmed();
    if (candidate.isEmpty()) candidate = qEnvironmentVariable("USER").trimmed();
    if (candidate.isEmpty()) candidate = QStringLiteral("Candidate");
    start_ = ExamStart{parser_.value(exam_), seed, candidate};
    // Shown on standard error: standard output is the --control script's, one JSON line an answer.
    std::fprintf(stderr, "%s\n", qPrintable(exam::planLines(*plan).value(0)));
    return std::nullopt;
}
