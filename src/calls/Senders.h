#pragma once
#include <QString>
struct Context;

// The DSC calls other than distress, all on one common transmit sequence.
class Senders {
public:
    explicit Senders(Context& ctx) : c(ctx) {}

    void Urgency();
    void Safety();
    void AllShips();
    void Routine();
    void PositionRequest();
    void Polling();
    // The group call's own steps (before the Enter key's closing wait); returns the addressee:
    // "366232323" when the group "#3" line is selected, empty otherwise.
    QString GroupCall();

private:
    // Position request and polling differ only in their texts.
    void sendRequest(const QString& startStatus, const QString& refusal, const QString& nature,
                     const QString& finalStatus);

    Context& c;
};
