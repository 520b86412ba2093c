#pragma once
// Mock exams on the command line:
//   --exam NAME --plan [--seed N]
//       prints the exam that the profile NAME (a shipped one, e.g. src, or a file) draws from the
//       seed: a line with the profile and the seed, then each card, one a line
//       ("1. distress: <the card's text>"), and exits 0. Without --seed a seed is drawn from the
//       clock and shown. --exam without --plan (running the exam) is refused for now.
#include <QCommandLineOption>
#include <QStringList>

#include <optional>

class QCommandLineParser;

class ExamOptions {
public:
    explicit ExamOptions(QCommandLineParser& parser);
    // With --exam, --plan or --seed (the parser has parsed the line): carries it out and returns the
    // exit status. Otherwise nothing.
    std::optional<int> run(int& argc, char** argv) const;

private:
    QCommandLineParser& parser_;
    QCommandLineOption exam_, plan_, seed_;
};
