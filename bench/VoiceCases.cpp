#include "VoiceCases.h"

#include <QStringList>

#include <cmath>
#include <cstdint>

namespace voicebench {
namespace {

// A small generator of our own, so that the list is the same on every machine and library.
struct Dice {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[size_t(below(int(v.size())))]; }
};

struct Known {
    QString name, mmsi;
};
// The stations Kelpo's radio knows (tests/voice/Phrases.h), Kelpo being 316123456.
const std::vector<Known> kShips{{"Vox's Sweetness", "367010203"}, {"Brask's Kruiser", "316789012"},
                                {"Tarvik's Madness", "316416622"}, {"Quorp's Pet", "316777777"},
                                {"Glimmet's Sparkler", "366345345"}, {"The Blue Crane", "366232323"},
                                {"The Dace D", "316056789"}, {"Quils Wonder", "338121212"}};
const Known kCoast{"Boston Coast Guard", "003669927"};
const QString kOwn = QStringLiteral("Kelpo");
const QString kOwnMmsi = QStringLiteral("316123456");

const char* const kDigit[] = {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};

// Digits one by one; nine as "niner" when asked.
QString digits(const QString& number, bool niner) {
    QStringList w;
    for (QChar c : number) {
        const int d = c.digitValue();
        w << (d == 9 && niner ? QStringLiteral("niner") : QString::fromLatin1(kDigit[d]));
    }
    return w.join(QLatin1Char(' '));
}

QString times(const QString& what, int n, const QString& sep = QStringLiteral(", ")) {
    QStringList w;
    for (int i = 0; i < n; ++i) w << what;
    return w.join(sep);
}

// A position off the New England coast in degrees and minutes, sometimes with a decimal.
QString position(Dice& d, bool niner) {
    const bool decimal = d.chance(30);
    auto part = [&](int deg, int width, const char* side) {
        QString s = digits(QString::number(deg).rightJustified(width, QLatin1Char('0')), niner) +
                    QStringLiteral(" degrees ") + digits(QString::number(d.below(60)).rightJustified(2, QLatin1Char('0')), niner);
        if (decimal) s += QStringLiteral(" decimal ") + digits(QString::number(d.below(10)), niner);
        return s + QStringLiteral(" minutes ") + QString::fromLatin1(side);
    };
    return part(41 + d.below(3), 2, "north") + QStringLiteral(", ") + part(69 + d.below(3), 3, "west");
}

QString persons(Dice& d) {
    static const std::vector<QString> forms{
        "%1 persons on board", "We have %1 people on board", "%1 persons on board, one of them injured",
        "%1 crew on board", "%1 persons on board, all wearing life jackets", "There are %1 of us on board"};
    static const std::vector<QString> counts{"two", "three", "four", "five", "six", "seven"};
    QString s = d.pick(forms).arg(d.pick(counts));
    s[0] = s[0].toUpper();
    return s;
}

// A wrong MMSI: two neighbouring digits of the right one swapped.
QString swapped(const QString& mmsi, Dice& d) {
    QString m = mmsi;
    for (int tries = 0; tries < 20; ++tries) {
        const int i = 2 + d.below(6);
        if (m[i] == m[i + 1]) continue;
        std::swap(m[i], m[i + 1]);
        return m;
    }
    m[8] = m[8] == QLatin1Char('1') ? QLatin1Char('2') : QLatin1Char('1');
    return m;
}

const std::vector<QString> kDistress{
    "We are taking water fast after hitting a submerged object",
    "Dismasted and drifting onto the rocks",
    "Explosion in the engine room, we are on fire",
    "Fire on board, out of control",
    "We are sinking",
    "We have run aground and are breaking up",
    "Collision with a fishing vessel, we are holed below the waterline",
    "Man overboard, we have lost sight of him",
    "We are listing heavily and in danger of capsizing",
    "We are abandoning ship",
    "Flooding in the engine room, the pumps cannot keep up",
    "Hull cracked in heavy seas, taking on water",
    "Armed men are trying to board us",
    "Engine room fire spreading to the accommodation",
    "Our vessel has capsized, crew in the water",
};
const std::vector<QString> kDistressHelp{
    "Request immediate assistance", "Require immediate assistance", "We need a lifeboat urgently",
    "Require helicopter evacuation", "Request pumps and a tow", "Request immediate assistance, we are preparing the life raft",
};
const std::vector<QString> kUrgency{
    "Lost steering", "Engine failure, we are drifting", "Crew member injured, require medical advice",
    "We have lost our rudder", "Fouled propeller, unable to make way", "Dismasted, nobody hurt, drifting slowly",
    "Out of fuel and drifting towards the shipping lane", "The skipper has a suspected broken arm",
    "Taking water slowly, the pumps are coping", "Our engine has overheated and stopped",
    "A crew member has chest pains and needs medical assistance",
};
const std::vector<QString> kUrgencyHelp{
    "Request a tow", "Request assistance", "Require a tow to the nearest harbour", "Request a vessel to stand by",
    "",
};
const std::vector<QString> kHazard{
    "Floating container sighted in position %1", "Unlit buoy adrift in position %1",
    "Large tree trunk floating in position %1", "Partly submerged fishing nets in position %1, keep well clear",
    "Overturned dinghy, nobody on board, in position %1", "Dead whale floating in position %1, a danger to small craft",
    "Lighthouse on the north breakwater is unlit", "Navigational warning, listen on channel %2",
    "For a gale warning listen on channel %2",
};
const std::vector<QString> kRoutine{
    "Request your position", "What is your estimated time of arrival at the harbour",
    "Please switch to channel seven two", "Are you still at the anchorage", "We will meet you at the fuel dock at four",
    "Request a berth for the night", "Can you see us astern of you", "Do you have a spare fuel filter on board",
    "Switch to channel six eight please",
};
const std::vector<QString> kRadioCheck{
    "Radio check on channel one six", "Radio check please, how do you read me", "Requesting a radio check on channel six eight",
};
const std::vector<QString> kCancel{
    "Cancel my distress alert of %1 UTC", "Cancel my false distress alert of %1 UTC",
    "Please cancel my distress alert sent at %1 UTC, it was sent in error", "I cancel my distress alert of %1 UTC",
};
const std::vector<QString> kTalk{
    "Shall we have lunch before we go out this afternoon",
    "The weather looks lovely today and the wind is dropping",
    "I left my sunglasses in the car, can you fetch them for me",
    "Remember to buy milk and bread on the way home",
    "The meeting has moved to Thursday at ten in the morning",
    "My brother is coming to visit us next weekend",
    "Could you turn the music down a little please",
};

QString channel(Dice& d, bool niner) {
    static const std::vector<QString> ch{"13", "67", "72", "69", "06"};
    return digits(d.pick(ch), niner);
}
QString utc(Dice& d, bool niner) {
    return digits(QString::number(d.below(24)).rightJustified(2, QLatin1Char('0')) +
                      QString::number(d.below(60)).rightJustified(2, QLatin1Char('0')),
                  niner);
}

// Sentences joined with full stops.
QString said(const QStringList& parts) {
    QStringList s;
    for (const QString& p : parts)
        if (!p.isEmpty()) s << p;
    return s.join(QStringLiteral(". ")) + QLatin1Char('.');
}

struct Maker {
    Dice d{20261208};
    std::vector<VoiceCase> out;
    int serial = 0;

    void add(voice::Kind kind, const QString& tag, const QString& fault, const QString& text, bool single = false) {
        wrongName.clear();
        VoiceCase c;
        c.name = QStringLiteral("%1 %2%3").arg(tag).arg(++serial).arg(fault.isEmpty() ? QString() : QStringLiteral(", fault ") + fault);
        c.text = text;
        c.kind = kind;
        c.fault = fault;
        c.singleMayday = single;
        out.push_back(c);
    }

    QString wrongName;  // the name said instead of Kelpo's in this transmission
    QString own(int n, const QString& fault) {
        if (wrongName.isEmpty()) wrongName = d.pick(kShips).name;
        return times(fault == QLatin1String("own-name") ? wrongName : kOwn, n);
    }
    QString thisIs(const QString& fault) { return fault == QLatin1String("this-is") ? QString() : QStringLiteral("This is "); }

    void mayday(const QString& fault, bool single) {
        const bool niner = d.chance(50);
        const QString mmsiDigits = fault == QLatin1String("mmsi") ? digits(swapped(kOwnMmsi, d), niner) : digits(kOwnMmsi, niner);
        const QString mmsi = (d.chance(70) ? QStringLiteral("MMSI ") : QString()) + mmsiDigits;
        const int count = single ? (fault == QLatin1String("mayday-count") ? 2 : 1) : (fault == QLatin1String("mayday-count") ? 2 : 3);
        const QString opening = times(QStringLiteral("Mayday"), count);
        const QString pos = fault == QLatin1String("position") ? QString() : QStringLiteral("Position ") + position(d, niner);
        const QString nature = fault == QLatin1String("nature") ? QString() : d.pick(kDistress);
        const QString help = fault == QLatin1String("assistance") ? QString() : d.pick(kDistressHelp);
        const QString people = fault == QLatin1String("persons") ? QString() : persons(d);
        const QString end = fault == QLatin1String("ending") ? (d.chance(50) ? QStringLiteral("Out") : QString()) : QStringLiteral("Over");
        QStringList parts;
        if (single) {
            parts << opening << thisIs(fault) + own(1, fault) + QStringLiteral(", ") + mmsi;
        } else {
            parts << opening << thisIs(fault) + own(3, fault) + QStringLiteral(", ") + mmsi
                  << QStringLiteral("Mayday, ") + (fault == QLatin1String("own-name") ? own(1, fault) : kOwn);
        }
        // Position and nature in either order, help and persons in either order.
        if (d.chance(25)) parts << nature << pos;
        else parts << pos << nature;
        if (d.chance(25)) parts << people << help;
        else parts << help << people;
        parts << end;
        add(voice::Kind::Mayday, single ? QStringLiteral("mayday once") : QStringLiteral("mayday"), fault, said(parts), single);
    }

    QString addressee(const QString& fault, bool coastAllowed) {
        if (fault == QLatin1String("called")) return QString();
        if (coastAllowed && d.chance(30)) return times(kCoast.name, 3);
        return times(QStringLiteral("All stations"), 3);
    }

    void relay(const QString& fault) {
        const bool niner = d.chance(50);
        const Known& ship = d.pick(kShips);
        QStringList parts;
        parts << times(QStringLiteral("Mayday Relay"), fault == QLatin1String("relay-count") ? 1 : 3)
              << addressee(fault, true) << thisIs(fault) + own(3, fault);
        if (fault != QLatin1String("following")) parts << QStringLiteral("Following received from ") + ship.name;
        if (fault != QLatin1String("distressed"))
            parts << QStringLiteral("Mayday, ") + ship.name + (d.chance(40) ? QStringLiteral(", MMSI ") + digits(ship.mmsi, niner) : QString());
        if (fault != QLatin1String("position")) parts << QStringLiteral("Position ") + position(d, niner);
        if (fault != QLatin1String("nature")) parts << d.pick(kDistress);
        if (d.chance(50)) parts << d.pick(kDistressHelp);
        if (d.chance(50)) parts << persons(d);
        parts << (fault == QLatin1String("ending") ? QStringLiteral("Out") : QStringLiteral("Over"));
        add(voice::Kind::MaydayRelay, QStringLiteral("mayday-relay"), fault, said(parts));
    }

    void pan(const QString& fault) {
        const bool niner = d.chance(50);
        QStringList parts;
        parts << times(QStringLiteral("Pan Pan"), fault == QLatin1String("pan-count") ? 1 : 3) << addressee(fault, true)
              << thisIs(fault) + own(3, fault);
        const QString pos = fault == QLatin1String("position") ? QString() : QStringLiteral("Position ") + position(d, niner);
        QString urgency, help;
        if (fault != QLatin1String("nature")) {
            urgency = d.pick(kUrgency);
            help = d.pick(kUrgencyHelp);
        }
        if (d.chance(25)) parts << urgency << pos << help;
        else parts << pos << urgency << help;
        parts << (fault == QLatin1String("ending") ? QStringLiteral("Out") : QStringLiteral("Over"));
        add(voice::Kind::PanPan, QStringLiteral("pan-pan"), fault, said(parts));
    }

    void securite(const QString& fault) {
        const bool niner = d.chance(50);
        QStringList parts;
        parts << times(QStringLiteral("Securite"), fault == QLatin1String("securite-count") ? 1 : 3)
              << addressee(fault, false) << thisIs(fault) + own(3, fault);
        if (fault != QLatin1String("message")) {
            QString m = d.pick(kHazard);
            const QString pos = position(d, niner), ch = channel(d, niner);
            m.replace(QStringLiteral("%1"), pos).replace(QStringLiteral("%2"), ch);
            parts << m;
        }
        parts << (fault == QLatin1String("ending") ? QStringLiteral("Over") : QStringLiteral("Out"));
        add(voice::Kind::Securite, QStringLiteral("securite"), fault, said(parts));
    }

    void routine(const QString& fault, bool radioCheck) {
        const Known& called = d.chance(25) ? kCoast : d.pick(kShips);
        const int n = 1 + d.below(radioCheck ? 2 : 3);
        QString opening;
        if (fault != QLatin1String("called")) opening = times(called.name, n) + QStringLiteral(", ");
        opening += thisIs(fault).toLower() + own(1 + d.below(2), fault);
        if (fault == QLatin1String("called") || fault == QLatin1String("this-is")) opening[0] = opening[0].toUpper();
        const QString message = radioCheck ? d.pick(kRadioCheck) : d.pick(kRoutine);
        add(voice::Kind::Routine, radioCheck ? QStringLiteral("radio check") : QStringLiteral("routine"), fault,
            said({opening, message, fault == QLatin1String("ending") ? QString() : QStringLiteral("Over")}));
    }

    void ack(const QString& fault) {
        const bool niner = d.chance(50);
        const Known& ship = d.pick(kShips);
        QStringList parts;
        parts << QStringLiteral("Mayday");
        if (fault != QLatin1String("called"))
            parts << (d.chance(30) ? digits(ship.mmsi, niner) : times(ship.name, 1 + d.below(3)));
        parts << thisIs(fault) + own(1 + d.below(3), fault);
        if (fault != QLatin1String("received")) parts << QStringLiteral("Received Mayday");
        else parts << QStringLiteral("Over");
        add(voice::Kind::DistressAck, QStringLiteral("distress-ack"), fault, said(parts));
    }

    void cancel(const QString& fault) {
        const bool niner = d.chance(50);
        QStringList parts;
        parts << addressee(fault, false);
        QString ident = thisIs(fault) + own(3, fault);
        if (fault != QLatin1String("mmsi")) ident += QStringLiteral(", MMSI ") + digits(kOwnMmsi, niner);
        parts << ident;
        if (fault != QLatin1String("position")) parts << QStringLiteral("Position ") + position(d, niner);
        QString c = d.pick(kCancel);
        if (fault == QLatin1String("time")) c = c.section(QStringLiteral(" of %1"), 0, 0).section(QStringLiteral(" sent at"), 0, 0);
        else c = c.arg(utc(d, niner));
        parts << c << (fault == QLatin1String("ending") ? QStringLiteral("Over") : QStringLiteral("Out"));
        add(voice::Kind::Cancel, QStringLiteral("cancel"), fault, said(parts));
    }
};

// Each kind: so many right, then so many with a fault, the faults taken in turn from its list.
template <typename F>
void series(int right, int wrong, const QStringList& faults, F make) {
    for (int i = 0; i < right; ++i) make(QString());
    for (int i = 0; i < wrong; ++i) make(faults[i % faults.size()]);
}

std::vector<VoiceCase> build() {
    Maker m;
    series(22, 12, {"position", "nature", "persons", "ending", "mmsi", "own-name", "this-is", "assistance", "mayday-count"},
           [&](const QString& f) { m.mayday(f, false); });
    series(12, 6, {"position", "nature", "mmsi", "ending", "persons", "mayday-count"},
           [&](const QString& f) { m.mayday(f, true); });
    series(16, 10, {"following", "position", "nature", "relay-count", "ending", "distressed", "called", "own-name", "this-is"},
           [&](const QString& f) { m.relay(f); });
    series(20, 12, {"position", "nature", "ending", "pan-count", "called", "own-name", "this-is"},
           [&](const QString& f) { m.pan(f); });
    series(18, 10, {"message", "ending", "securite-count", "called", "own-name", "this-is"},
           [&](const QString& f) { m.securite(f); });
    series(12, 7, {"called", "own-name", "ending", "this-is"}, [&](const QString& f) { m.routine(f, false); });
    series(6, 2, {"ending", "own-name"}, [&](const QString& f) { m.routine(f, true); });
    series(10, 6, {"received", "called", "own-name", "this-is"}, [&](const QString& f) { m.ack(f); });
    series(10, 8, {"time", "position", "mmsi", "ending", "own-name", "called", "this-is"},
           [&](const QString& f) { m.cancel(f); });
    for (const QString& t : kTalk) {
        VoiceCase c;
        c.name = QStringLiteral("talk %1").arg(++m.serial);
        c.text = t + QLatin1Char('.');
        c.kind = voice::Kind::None;
        m.out.push_back(c);
    }
    const std::pair<Source, const char*> sounds[] = {
        {Source::ToneSweep, "tone sweep"}, {Source::Hum50, "hum 50 Hz"}, {Source::Hum60, "hum 60 Hz"}, {Source::Noise, "noise"}};
    for (const auto& [source, name] : sounds) {
        VoiceCase c;
        c.name = QStringLiteral("%1 %2").arg(QString::fromLatin1(name)).arg(++m.serial);
        c.source = source;
        c.kind = voice::Kind::None;
        m.out.push_back(c);
    }
    return m.out;
}

} // namespace

const std::vector<VoiceCase>& voiceCases() {
    static const std::vector<VoiceCase> cases = build();
    return cases;
}

std::vector<short> madeSound(Source source, double seconds, unsigned seed) {
    const int rate = 16000;
    const size_t n = size_t(seconds * rate);
    std::vector<short> out(n);
    Dice d{seed};
    auto gauss = [&d] {
        const double u1 = (double(d.next() >> 11) + 0.5) / 9007199254740992.0;
        const double u2 = (double(d.next() >> 11) + 0.5) / 9007199254740992.0;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    };
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        double v = 0;
        switch (source) {
        case Source::ToneSweep: {  // 300 to 3000 Hz, up and down again
            const double x = t / seconds;
            const double f = 300.0 + 2700.0 * (x < 0.5 ? 2 * x : 2 - 2 * x);
            phase += 2 * M_PI * f / rate;
            v = 0.4 * std::sin(phase);
            break;
        }
        case Source::Hum50:
        case Source::Hum60: {  // mains hum with its harmonics, a little hiss
            const double f = source == Source::Hum50 ? 50.0 : 60.0;
            for (int h = 1; h <= 5; ++h) v += 0.25 / h * std::sin(2 * M_PI * f * h * t + h);
            v += 0.002 * gauss();
            break;
        }
        case Source::Noise: v = 0.1 * gauss(); break;
        case Source::Speech: break;
        }
        out[i] = short(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
    }
    return out;
}

} // namespace voicebench
