#pragma once
#include <QString>
struct Context;

// Received-calls logs, the directory and the group list.
class Logs {
public:
    explicit Logs(Context& ctx) : c(ctx) {}
    void wire();

    void lstReceived_Click();
    void lstDirectory_Click();
    // Adds a line to the directory at its alphabetical place (ignoring case).
    void addDirectoryLine(const QString& line);
    // Puts the designed directory lines in their alphabetical order (at start-up).
    void sortDirectory();

private:
    Context& c;
};
