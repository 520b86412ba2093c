#pragma once
// Mock exams on the command line:
//   --exam NAME [--seed N] [--candidate NAME]
//       starts the exam that the profile NAME (a shipped one, e.g. src, or a file) draws from the
//       seed, on the trainer's window, for the candidate (the user's login name unless given).
//       Without --seed a seed is drawn from the clock; the profile and seed are printed on standard
//       output either way, so that the same exam can be sat again.
//   --exam NAME --plan [--seed N]
//       prints the exam drawn: a line with the profile and the seed, then each card, one a line
//       ("1. distress: <the card's text>"), and exits 0.
// A profile that cannot be read or drawn is told on standard error with status 1.
#include <QCommandLineOption>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

struct ExamStart {
    QString profile; // as given: a shipped profile's name or a file
    quint64 seed = 0;
    QString candidate;
};

class ExamOptions {
public:
    explicit ExamOptions(QCommandLineParser& parser);
    // With --exam, --plan, --seed or --candidate (the parser has parsed the line): checks them; with
    // --plan prints the plan. Returns the exit status when the program ends here, nothing when it
    // goes on (then toStart() tells the exam to start, if any).
    std::optional<int> run(int& argc, char** argv);
    const std::optional<ExamStart>& toStart() const { return start_; }

private:
    QCommandLineParser& parser_;
    QCommandLineOption exam_, plan_, seed_, candidate_;
    std::optional<ExamStart> start_;
};
