#pragma once
// What the model stations say, and when: a table of turns (resources/voice/dialogue.json), not code
// written per turn. Each turn names the station, what it hears (a DSC message or a spoken
// transmission, with the facts it must show), the state the station must be in, what it says then
// and on which channel, and the state it moves to. The stations' code only tells the dialogue what
// happened on the air, in facts, and speaks the replies it gets.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace voice {

struct Judgement;

// What a station asks to be said again for an element not heard clearly: "your position", "the
// nature of your distress", "the number of persons on board"; "" for the others.
QString sayAgainOf(const QString& element);

class Dialogue {
public:
    struct Station {
        QString key;            // "coast", "blue"
        QString name;           // as the display shows it: "Boston Coast Guard"
        QString spoken;         // as it calls itself on the air: "Blue Crane"
        QString mmsi;
        QString voice;          // the synthesizer's voice
        QString workingChannel; // where it works besides 16, if anywhere
    };
    struct Reply {
        QString station; // key
        QString channel; // designator
        QString text;    // what it says
    };

    // The built-in table.
    Dialogue();
    // A table of one's own (tests); `problem` tells what is wrong with it.
    explicit Dialogue(const QJsonObject& table, QString* problem = nullptr);

    const std::vector<Station>& stations() const { return stations_; }
    const Station* station(const QString& key) const;
    const Station* stationByMmsi(const QString& mmsi) const;
    QString state(const QString& station) const { return states_.value(station).name; }

    // Something happened on the air, told as facts ("hears": "dsc" or "voice", "channel", and the
    // rest the turns look at). Every station whose first matching turn says something replies;
    // states move on. `own` is the trainee's vessel name.
    std::vector<Reply> hear(const QVariantMap& facts, const QString& own);

    // The facts of a spoken transmission: "hears" "voice", "channel", "procedure", "called" (a
    // station's key, "all" or ""), "radioCheck", "missing" (the ids of the elements given wrong or
    // not at all, in words heard clearly), "unclear" (the ids of the elements not heard clearly),
    // "sayAgain" (what a station asks to be said again, e.g. "your position"; "" when nothing it
    // asks for by name), "ending" ("over", "out" or "", also when unclear), and the elements heard
    // clearly ("position", "nature", "persons"...), by id.
    QVariantMap voiceFacts(const Judgement& j, const QString& channel) const;

    // Every station back to where it starts (a class reset, a new lesson).
    void reset();

private:
    struct Turn {
        QString station;
        QString state;      // the state the station must be in ("" = any)
        QVariantMap when;   // facts that must hold
        QString channel;    // where it speaks: a designator, "{heard}" (where it heard) or "{state}"
        QString say;        // "" = it says nothing
        QString next;       // the state it moves to; absent = stays
        QString nextChannel; // the channel that state is about, e.g. "{channel}": the one heard
        bool moves = false;
    };
    struct State {
        QString name;
        QString channel; // the channel that state is about ("working" on 22A)
    };
    bool matches(const Turn& t, const QVariantMap& facts) const;
    QString fill(QString text, const Station& s, const QVariantMap& facts, const QString& own) const;
    QString resolveChannel(const QString& spec, const Station& s, const QVariantMap& facts) const;

    std::vector<Station> stations_;
    std::vector<Turn> turns_;
    QMap<QString, State> states_;
};

} // namespace voice
