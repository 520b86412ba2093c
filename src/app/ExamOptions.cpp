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
            QStringLiteral("A mock practical exam drawn by the profile NAME (a shipped one, e.g. src or src-4plus2, or "
                           "a file). For now only with --plan."),
            QStringLiteral("NAME")),
      plan_(QStringLiteral("plan"), QStringLiteral("With --exam: print the cards drawn, one a line, and exit.")),
      seed_(QStringLiteral("seed"),
            QStringLiteral("With --exam: the seed the exam is drawn from (a whole number; the same seed draws the same "
                           "exam). Without it a seed is drawn from the clock and shown."),
            QStringLiteral("N")) {
    parser_.addOptions({exam_, plan_, seed_});
}

std::optional<int> ExamOptions::run(int& argc, char** argv) const {
    if (!parser_.isSet(exam_)) {
        for (const QCommandLineOption* o : {&plan_, &seed_})
            if (parser_.isSet(*o))
                return usageError(QStringLiteral("--%1 goes with --exam").arg(o->names().first()));
        return std::nullopt;
    }
    if (!parser_.isSet(plan_)) {
        std::fputs("vhf-dsc-trainer: running an exam is not there yet: --exam takes --plan, which prints the cards drawn\n",
                   stderr);
        return 2;
    }
    bool ok = true;
    const quint64 seed = parser_.isSet(seed_) ? parser_.value(seed_).trimmed().toULongLong(&ok)
                                              : quint64(QDateTime::currentMSecsSinceEpoch()) % 1000000000u;
    if (!ok) return usageError(QStringLiteral("--seed wants a whole number, not '%1'").arg(parser_.value(seed_)));
    QCoreApplication app(argc, argv); // the folders the shipped profiles are in are found from the program's
    const QString path = exam::findProfile(parser_.value(exam_));
    if (!QFileInfo(path).isFile())
        return usageError(QStringLiteral("--exam: no profile '%1' (shipped: src, src-4plus2; or a file)").arg(path));
    const auto profile = exam::loadProfile(path);
    const auto bank = exam::loadShippedCards();
    const auto plan = profile.ok() && bank.ok() ? exam::drawExam(profile.value(), bank.value(), seed)
                                                : dscwire::Result<exam::Plan>::bad(profile.ok() ? bank.error() : profile.error());
    if (!plan.ok()) {
        std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(plan.error()));
        return 1;
    }
    for (const QString& line : exam::planLines(plan.value())) std::printf("%s\n", qPrintable(line));
    return 0;
}
