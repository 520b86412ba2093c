#include "voice/Procedure.h"

#include "voice/Heard.h"
#include "voice/Vocabulary.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace voice {

QString kindName(Kind k) {
    switch (k) {
    case Kind::Mayday: return QStringLiteral("mayday");
    case Kind::MaydayRelay: return QStringLiteral("mayday-relay");
    case Kind::PanPan: return QStringLiteral("pan-pan");
    case Kind::Securite: return QStringLiteral("securite");
    case Kind::Routine: return QStringLiteral("routine");
    case Kind::DistressAck: return QStringLiteral("distress-ack");
    case Kind::Cancel: return QStringLiteral("cancel");
    case Kind::None: break;
    }
    return QStringLiteral("none");
}

bool Judgement::ok() const {
    return kind != Kind::None && std::all_of(elements.begin(), elements.end(), [](const Element& e) { return e.ok; });
}

bool Judgement::unclear() const {
    return std::any_of(elements.begin(), elements.end(), [](const Element& e) { return e.unclear; });
}

QStringList Judgement::unclearIds() const {
    QStringList ids;
    for (const Element& e : elements)
        if (e.unclear) ids << e.id;
    return ids;
}

QString markOf(const Element& e) {
    return e.ok ? QStringLiteral("ok") : e.unclear ? QStringLiteral("unclear") : QStringLiteral("wrong");
}

Hearing Hearing::certain(const QString& words) {
    Hearing h;
    h.words = words.simplified().toLower();
    for (const QString& w : h.words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) h.detail.append({w, 1.0, 0, 0});
    return h;
}

const Element* Judgement::element(const QString& id) const {
    for (const Element& e : elements)
        if (e.id == id) return &e;
    return nullptr;
}

QList<Station> stationsFromDirectory(const QStringList& lines) {
    static const QRegularExpression line(QStringLiteral("^\\s*(\\S.*?)\\s+(\\d{9})\\s*$"));
    QList<Station> out;
    for (const QString& l : lines) {
        const auto m = line.match(l);
        if (m.hasMatch()) out.append({m.captured(1), m.captured(2)});
    }
    return out;
}

namespace {

using namespace judging;

// The words a procedure is recognised by, heard with confidence: the procedure words, THIS IS,
// stations, positions, OVER and OUT.
int anchors(const Heard& h) {
    static const QSet<U> anchor{U::Mayday, U::MaydayRelay, U::Pan, U::Securite, U::Seelonce, U::AllStations, U::ThisIs,
                                U::Station, U::Mmsi, U::Position, U::ReceivedMayday, U::Following, U::Cancel,
                                U::CancelWord, U::RadioCheck, U::Over, U::Out};
    int n = 0;
    for (const Unit& x : h.u) n += anchor.contains(x.type) && h.least(x.from, x.to) >= kSure;
    return n;
}

// Which procedure the words are, from the words that open it. Talk that opens with more than a
// few other words, or holds fewer than two of the words procedures are recognised by, is none.
Kind kindOf(const Heard& h) {
    if (h.start >= h.u.size() || h.start > 3 || anchors(h) < 2) return Kind::None;
    const U opening = h.u[h.start].type;
    if (h.find(U::MaydayRelay) >= 0) return Kind::MaydayRelay;
    if (opening == U::Mayday) {
        // A MAYDAY followed by another station's identity, or RECEIVED MAYDAY, acknowledges.
        if (h.find(U::ReceivedMayday) >= 0) return Kind::DistressAck;
        const qsizetype next = h.start + h.opening;
        if (next < h.u.size() && isIdentity(h.u[next]) && h.u[next].station != 0 && h.u[next].value != h.speaker.own.mmsi)
            return Kind::DistressAck;
        return Kind::Mayday;
    }
    if (opening == U::Pan) return Kind::PanPan;
    if (opening == U::Securite) return Kind::Securite;
    if (opening == U::Seelonce) return Kind::None;
    if (h.find(U::Cancel) >= 0 || h.find(U::CancelWord) >= 0) return Kind::Cancel;
    // A routine call names a station.
    if (h.find(U::Station) < 0 && h.find(U::Mmsi) < 0) return Kind::None;
    if (h.thisIs >= 0 || h.find(U::RadioCheck) >= 0) return Kind::Routine;
    const Unit* l = h.last();
    if (isIdentity(h.u[h.start]) && l && (l->type == U::Over || l->type == U::Out)) return Kind::Routine;
    return Kind::None;
}

} // namespace

QStringList formOf(Kind kind) {
    // Each check names its element whatever it hears: nothing heard will do.
    const Speaker nobody;
    const Heard h{nobody, {}, {}};
    QStringList ids;
    for (const Check& c : forms().value(kind)) ids << c(h).id;
    return ids;
}

Judgement judge(const QString& words, const Speaker& speaker) { return judge(Hearing::certain(words), speaker); }

Judgement judge(const Hearing& hearing, const Speaker& speaker) {
    Heard h{speaker, {}, {}};
    h.stations << speaker.own << speaker.known;
    const QStringList w = hearing.words.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    h.conf.assign(size_t(w.size()), 1.0);
    h.startMs.assign(size_t(w.size()), 0);
    h.endMs.assign(size_t(w.size()), 0);
    if (hearing.detail.size() == w.size())
        for (qsizetype i = 0; i < w.size(); ++i) {
            h.conf[size_t(i)] = hearing.detail[i].confidence;
            h.startMs[size_t(i)] = hearing.detail[i].startMs;
            h.endMs[size_t(i)] = hearing.detail[i].endMs;
            // No word takes seconds to say: one that did was made of noise.
            if (h.endMs[size_t(i)] - h.startMs[size_t(i)] > 1500) h.conf[size_t(i)] = 0;
        }
    h.u = reading::read(w, h.stations);
    // A known station's MMSI is that station.
    for (Unit& x : h.u)
        if (x.type == U::Mmsi)
            for (qsizetype s = 0; s < h.stations.size(); ++s)
                if (h.stations[s].mmsi == x.value) x.station = int(s);
    while (h.start < h.u.size() && h.u[h.start].type == U::Other) ++h.start;
    if (h.start < h.u.size()) {
        const U opening = h.u[h.start].type;
        if (opening == U::Mayday || opening == U::MaydayRelay || opening == U::Pan || opening == U::Securite)
            h.opening = h.run(opening, h.start);
    }
    h.thisIs = h.find(U::ThisIs);
    if (h.thisIs >= 0) {
        h.identFrom = h.thisIs + 1;
    } else {
        // No THIS IS: the caller's identity is where the own station is first named.
        h.identFrom = h.afterOpening();
        for (qsizetype i = h.afterOpening(); i < h.u.size(); ++i)
            if (isIdentity(h.u[i]) && (h.u[i].station == 0)) { h.identFrom = i; break; }
    }
    h.identTo = h.identFrom;
    while (h.identTo < h.u.size() && isIdentity(h.u[h.identTo])) ++h.identTo;

    Judgement j;
    j.kind = kindOf(h);
    if (j.kind == Kind::Mayday && h.opening == 1) {
        // The single-MAYDAY form has no second MAYDAY before the message.
        for (const Check& c : forms().value(j.kind)) {
            Element e = c(h);
            if (e.id != QLatin1String("message-start")) j.elements << e;
        }
    } else {
        for (const Check& c : forms().value(j.kind)) j.elements << c(h);
    }
    for (Element& e : j.elements) weigh(e, h);
    j.heard = hearing.detail.size() == w.size() ? hearing.detail : Hearing::certain(hearing.words).detail;
    if (const Element* called = j.element(QStringLiteral("called")); called && !called->heard.isEmpty()) {
        j.called = called->heard;
        for (qsizetype i = 0; i < h.u.size(); ++i)
            if (h.u[i].text == j.called && h.u[i].station >= 0) { j.calledMmsi = h.stations[h.u[i].station].mmsi; break; }
    }
    j.radioCheck = j.kind == Kind::Routine && h.find(U::RadioCheck) >= 0;
    if (const Unit* c = h.first(U::Channel)) j.channelAsked = c->value.toInt();
    return j;
}

} // namespace voice
