#pragma once
// The procedure checker: the words of one transmission -> which procedure it is and, for each
// element of that procedure's form, whether it was said right, with the verdict in words. Pure:
// no recogniser, no window, no clock.
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace voice {

enum class Kind { None, Mayday, MaydayRelay, PanPan, Securite, Routine, DistressAck, Cancel };
// "mayday", "mayday-relay", "pan-pan", "securite", "routine", "distress-ack", "cancel", "none".
QString kindName(Kind);

struct Station {
    QString name;  // as the trainer shows it: "Boston Coast Guard"
    QString mmsi;  // nine digits
};
// Who speaks (judged as the calling station) and the other stations the radio knows.
struct Speaker {
    Station own;
    QList<Station> known;
};

// One element of a procedure's form. Ids: "mayday-count", "relay-count", "pan-count",
// "securite-count", "called", "this-is", "own-name", "mmsi", "message-start", "following",
// "distressed", "position", "nature", "assistance", "persons", "message", "cancel", "time",
// "received", "ending".
// Each element is right (ok), wrong, or not heard clearly enough to say (unclear: ok is false
// and unclear true). Wrong is said only of words heard with confidence.
struct Element {
    QString id;
    bool ok = false;
    QString verdict;  // e.g. "MAYDAY said twice, three times expected", "no position given"
    QString heard;    // what was heard for it, e.g. "42°17'N 070°47'W", "fire", "4"; empty if nothing
    bool unclear = false;
    bool wrong() const { return !ok && !unclear; }
};
// "ok", "wrong" or "unclear".
QString markOf(const Element& e);

// One word as the recogniser heard it: its posterior probability (0..1) and where it was said.
struct HeardWord {
    QString word;
    double confidence = 1.0;
    int startMs = 0, endMs = 0;
};
// What the recogniser made of a transmission: the words (lower case, single blanks) and each of
// them with its confidence. Words given as text alone are taken as heard with confidence.
struct Hearing {
    QString words;
    QList<HeardWord> detail;  // empty, or one entry per word of `words`
    QString pass;             // which recognition gave the words ("language model", "grammar")
    static Hearing certain(const QString& words);
};

struct Judgement {
    Kind kind = Kind::None;
    QList<Element> elements;  // in the order of the procedure's form
    QString called;           // the station called as heard ("boston coast guard", "all stations"); empty if none
    QString calledMmsi;       // that station's MMSI when it is one the radio knows
    bool radioCheck = false;
    int channelAsked = -1;    // "on channel N" / "listen on channel N", if said
    QList<HeardWord> heard;   // the words judged, with their confidences
    bool ok() const;          // a procedure, with every element right
    bool unclear() const;     // some element was not heard clearly
    QStringList unclearIds() const;
    const Element* element(const QString& id) const;
};

// words: lower case, separated by single blanks (as the recogniser gives them), all heard with
// confidence.
Judgement judge(const QString& words, const Speaker& speaker);
// The recogniser's words with their confidences: unsure words make their elements unclear.
Judgement judge(const Hearing& hearing, const Speaker& speaker);
// The ids of the elements of a procedure's form, in order (the single-MAYDAY form of the distress
// call has no "message-start"); empty for None.
QStringList formOf(Kind kind);

// The station lines of the radio's directory ("Vox's Sweetness        367010203") as stations.
QList<Station> stationsFromDirectory(const QStringList& lines);

} // namespace voice

Q_DECLARE_METATYPE(voice::Judgement)
