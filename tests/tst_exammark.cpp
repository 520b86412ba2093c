// Marking an attempt at an exam card from the lesson's lines: a right run of each kind of card
// passes; each critical error fails with its reason; minor slips are noted without failing; a
// spoken part not heard clearly goes to the examiner with its sound; the dictated message is marked
// field by field; the order of priority counts.
#include "calls/OnAir.h"
#include "exam/Draw.h"
#include "exam/Mark.h"
#include "exam/Random.h"
#include "lessons/RadioLog.h"
#include "voice/Procedure.h"
#include "voice/Vocabulary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

namespace {

using dscwire::Message;
namespace code = dscwire::code;

const QString kOwn = QStringLiteral("316123456"), kBlueCrane = QStringLiteral("366232323"),
              kCoast = QStringLiteral("003669927");
const qint64 kStart = 600000, kEnd = kStart + 300000; // the card is given 10 minutes into the lesson, for 5

exam::DrawnCard drawn(const QString& id) {
    static const QList<exam::Card> bank = [] {
        const auto b = exam::loadCardBank(QStringLiteral(VHF_SOURCE_DIR "/exams/cards"));
        if (!b.ok()) qFatal("%s", qPrintable(b.error()));
        return b.value();
    }();
    for (const exam::Card& c : bank)
        if (c.id == id) {
            exam::Random random(7);
            return exam::DrawnCard{1, c, exam::fill(c, random), QStringLiteral("core"), true, 1};
        }
    qFatal("no card %s", qPrintable(id));
}

struct Said {
    QString element;
    bool ok = true;
    QString text;
    bool unclear = false;
};

const dscwire::Position kGps = dscwire::Position::of(1, 42, 21, 70, 48);
const QTime kUtc(14, 0);

Message alert(const QString& nature, const dscwire::Position& p = kGps, QTime utc = kUtc, const QString& self = kOwn) {
    return Message::distressAlert(self, *dscwire::natureFromText(nature), p, utc);
}

// The lines of a lesson around one attempt: what the own radio and the stations did, `s` seconds
// after the card was given. Before and after the attempt the own radio sends calls that are not the
// attempt's.
class Script {
public:
    explicit Script(const QString& cardId) : card(drawn(cardId)) {
        dsc(-30, "sent", Message::allShips(code::kUrgency, kOwn, 16));
        dsc(310, "sent", alert(QStringLiteral("Fire")));
    }
    Script& dsc(int s, const char* direction, const Message& m) {
        return line(s, "message", {{"direction", direction}, {"number", ++messages_},
                                   {"symbols", dscwire::symbolLine(dscwire::toSymbols(m).value())},
                                   {"words", dscwire::describe(m)}});
    }
    // A spoken transmission whose elements were all heard right but those `changed`.
    Script& voice(int s, const char* direction, const QString& channel, const QString& procedure, const QList<Said>& changed = {},
                  const QString& words = {}, const char* power = "1W") {
        QJsonArray verdicts;
        voice::Kind kind = voice::Kind::None;
        for (auto k : {voice::Kind::Mayday, voice::Kind::MaydayRelay, voice::Kind::PanPan, voice::Kind::Securite,
                       voice::Kind::Routine, voice::Kind::DistressAck, voice::Kind::Cancel})
            if (voice::kindName(k) == procedure) kind = k;
        for (const QString& element : voice::formOf(kind)) {
            Said v{element, true, element + QStringLiteral(" right")};
            for (const Said& c : changed)
                if (c.element == element) v = c;
            QJsonObject o{{"element", v.element}, {"ok", v.ok}, {"text", v.text}};
            if (v.unclear) o.insert(QStringLiteral("unclear"), true);
            verdicts.append(o);
        }
        const bool own = QLatin1String(direction) == QLatin1String("sent");
        return line(s, "voice", {{"direction", direction}, {"number", ++voices_}, {"channel", channel}, {"power", power},
                                 {"from", own ? kOwn : kCoast}, {"name", own ? "Kelpo" : "Boston Coast Guard"},
                                 {"words", words}, {"procedure", procedure}, {"verdicts", verdicts}});
    }
    Script& log(int s, const lessons::LogEntry& e) { return line(s, "log", {{"entry", lessons::logEntryJson(e)}}); }
    QString value(const char* slot) const { return card.filled.values.value(QLatin1String(slot)); }
    int channel(const char* slot = "channel") const { return calls::channelOnAir(value(slot)); }

    exam::Attempt mark(bool timedOut = false, int number = 1, const QString& lessonPath = {}) const {
        return exam::markAttempt(card, entries, exam::AttemptSpan{number, kStart, kEnd, timedOut}, lessonPath);
    }

    exam::DrawnCard card;
    std::vector<lessons::Entry> entries;

private:
    Script& line(int s, const char* kind, QJsonObject o) {
        const qint64 t = kStart + qint64(s) * 1000;
        o.insert(QStringLiteral("t"), t);
        o.insert(QStringLiteral("kind"), QLatin1String(kind));
        o.insert(QStringLiteral("time"), QTime(14, 0).addSecs(s).toString(QStringLiteral("HH:mm:ss")));
        entries.push_back({int(entries.size()) + 2, t, QLatin1String(kind), o});
        return *this;
    }
    int messages_ = 0, voices_ = 0;
};

// "kilo echo lima papa oscar" for KELPO, digits as words, the point as "decimal".
QString spelled(const QString& letters) {
    static const QStringList digits{"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    QStringList out;
    for (const QChar c : letters)
        if (c.isDigit()) out << digits[c.digitValue()];
        else if (c == QLatin1Char('.')) out << QStringLiteral("decimal");
        else
            for (const QString& w : voice::phoneticAlphabet())
                if (w.at(0) == c.toLower()) out << w;
    return out.join(QLatin1Char(' '));
}

lessons::LogEntry copyOf(const Script& s) {
    lessons::LogEntry e;
    e.time = QStringLiteral("14:01");
    e.category = QStringLiteral("Distress");
    e.name = s.value("vessel");
    e.callSign = s.value("callsign");
    e.mmsi = s.value("mmsi");
    e.position = s.value("position");
    e.positionTime = s.value("time");
    e.nature = s.value("nature");
    e.persons = s.value("persons");
    return e;
}

QString described(const exam::Attempt& a) {
    QStringList out;
    for (const exam::Mark& m : a.marks) out << QStringLiteral("%1 %2: %3").arg(m.met ? "met" : "unmet", m.criterion, m.evidence);
    out << QStringLiteral("critical: ") + a.critical.join(QStringLiteral(" | "))
        << QStringLiteral("minor: ") + a.minor.join(QStringLiteral(" | "));
    for (const exam::ReviewFlag& f : a.review) out << QStringLiteral("review %1 %2").arg(f.element, f.sound);
    return out.join(QLatin1Char('\n'));
}

// The right run of a card of each kind.
std::vector<Script> rightRuns() {
    std::vector<Script> runs;
    auto add = [&runs](const char* id) -> Script& { return runs.emplace_back(QLatin1String(id)); };
    add("distress-fire-gps").dsc(5, "sent", alert("Fire")).voice(30, "sent", "16", "mayday");
    Script& byHand = add("distress-by-hand");
    byHand.dsc(40, "sent", alert(byHand.value("nature"), *dscwire::Position::fromTrainerText(byHand.value("position:radio")),
                                 QTime::fromString(byHand.value("time"), QStringLiteral("HH:mm"))))
        .voice(70, "sent", "16", "mayday");
    add("false-alert-child").voice(20, "sent", "16", "cancel");
    add("received-blue-crane")
        .dsc(2, "received", alert("Fire", kGps, kUtc, kBlueCrane))
        .voice(40, "sent", "16", "distress-ack")
        .voice(80, "sent", "16", "mayday-relay")
        .log(120, lessons::LogEntry{"14:00", "16", "Distress", "The Blue Crane"});
    add("relay-no-dsc").voice(30, "sent", "16", "mayday-relay").log(60, lessons::LogEntry{"14:00", "16", "Distress"});
    add("end-distress-own").voice(20, "sent", "16", "mayday");
    add("urgency-medical").dsc(5, "sent", Message::allShips(code::kUrgency, kOwn, 16)).voice(30, "sent", "16", "pan-pan");
    Script& safety = add("safety-container");
    safety.dsc(5, "sent", Message::allShips(code::kSafety, kOwn, safety.channel()))
        .voice(30, "sent", "16", "securite")
        .voice(60, "sent", safety.value("channel"), "securite");
    add("routine-blue-crane").dsc(5, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, 72)).voice(30, "sent", "72", "routine");
    Script& silence = add("silence-kept");
    silence.voice(10, "received", "16", "none", {}, QStringLiteral("seelonce feenee this is boston coast guard out"))
        .voice(20, "sent", "16", "routine") // the silence is lifted
        .dsc(30, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, silence.channel()));
    Script& priority = add("priority-galley-fire");
    priority.dsc(5, "sent", alert("Fire"))
        .voice(30, "sent", "16", "mayday")
        .dsc(90, "sent", Message::allShips(code::kSafety, kOwn, 16))
        .dsc(150, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, priority.channel()));
    Script& directory = add("directory-new-mmsi");
    directory.dsc(60, "sent", Message::individual(directory.value("mmsi2"), code::kRoutine, directory.value("mmsi"), directory.channel()));
    const Message request = Message::positionRequest(kBlueCrane, kOwn);
    add("position-request-blue-crane").dsc(5, "sent", request).dsc(20, "received", Message::positionReply(request, kBlueCrane, kGps, kUtc));
    Script& spelling = add("spelling-name-callsign");
    spelling.dsc(5, "sent", Message::individual(kCoast, code::kRoutine, kOwn, 1022))
        .voice(30, "sent", "22A", "routine", {},
               QStringLiteral("boston coast guard this is kelpo i spell %1 my call sign i spell %2 over")
                   .arg(spelled(QStringLiteral("KELPO")), spelled(spelling.value("callsign"))));
    Script& figures = add("figures-mmsi-position");
    const QString position = figures.value("position"); // 42°21.3'N 070°48.9'W: the hemispheres said in words
    figures.dsc(5, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, figures.channel()))
        .voice(30, "sent", figures.value("channel"), "routine", {},
               QStringLiteral("blue crane this is kelpo my mmsi is %1 my position %2 north %3 west over")
                   .arg(spelled(kOwn), spelled(position.section(' ', 0, 0).chopped(1)), spelled(position.section(' ', 1).chopped(1))));
    Script& dictation = add("dictation-mayday");
    dictation.dsc(5, "sent", Message::individual(kCoast, code::kRoutine, kOwn, 1022))
        .voice(30, "sent", "22A", "routine")
        .log(90, copyOf(dictation));
    return runs;
}

} // namespace

class ExamMarkTest : public QObject {
    Q_OBJECT
private slots:
    void rightRunsPass() {
        for (const Script& run : rightRuns()) {
            const exam::Attempt a = run.mark();
            const QString why = run.card.card.id + QLatin1Char('\n') + described(a);
            QVERIFY2(a.passed && a.critical.isEmpty() && a.minor.isEmpty() && a.review.empty(), qPrintable(why));
            QVERIFY2(a.marks.size() >= size_t(run.card.card.tasks.size()), qPrintable(why));
            for (const exam::Mark& m : a.marks) QVERIFY2(m.met && !m.evidence.isEmpty(), qPrintable(why));
        }
    }

    // The evidence tells what happened.
    void evidenceInWords() {
        Script run(QStringLiteral("distress-by-hand"));
        run.dsc(40, "sent", alert(QStringLiteral("Fire"), *dscwire::Position::fromTrainerText(run.value("position:radio")),
                                  QTime::fromString(run.value("time"), QStringLiteral("HH:mm"))));
        run.voice(70, "sent", "16", "mayday", {{"persons", false, "persons on board not given"}});
        const exam::Attempt a = run.mark();
        QCOMPARE(a.marks.size(), size_t(2));
        QCOMPARE(a.marks[0].evidence, QStringLiteral("nature: Fire, expected %1 (DSC distress alert sent at 14:00:40)").arg(run.value("nature")));
        QCOMPARE(a.marks[1].evidence, QStringLiteral("persons on board not given (MAYDAY said on 16 at 14:01:10)"));
        Script right(QStringLiteral("distress-fire-gps"));
        right.dsc(5, "sent", alert(QStringLiteral("Fire"))).voice(30, "sent", "16", "mayday");
        const exam::Attempt b = right.mark();
        QCOMPARE(b.marks[0].evidence, QStringLiteral("DSC distress alert sent at 14:00:05, nature Fire, position 42°21'N 070°48'W, time 14:00"));
        QCOMPARE(b.marks[1].evidence,
                 QStringLiteral("MAYDAY said on 16 at 14:00:30: this is, own name, position, nature, assistance, persons, ending right"));
        Script none(QStringLiteral("distress-fire-gps"));
        QCOMPARE(none.mark().marks[0].evidence, QStringLiteral("not done"));
    }

    void eachCriticalErrorFailsWithItsReason() {
        struct Case {
            const char* id;
            Script run;
            QString reason;
            bool timedOut = false;
        };
        std::vector<Case> cases;
        auto add = [&cases](const char* id, const char* card, const QString& reason) -> Script& {
            return cases.emplace_back(Case{id, Script(QLatin1String(card)), reason}).run;
        };
        add("wrong-category", "urgency-medical", "DSC distress alert sent at 14:00:05, a distress call where urgency was due")
            .dsc(5, "sent", alert("Fire"));
        add("no-position-time", "distress-by-hand",
            "DSC distress alert sent at 14:00:05 without a position or a time while the GPS is off")
            .dsc(5, "sent", alert("Flooding", dscwire::Position::unknown(), QTime()))
            .voice(30, "sent", "16", "mayday");
        add("no-mayday", "distress-fire-gps", "DSC distress alert sent at 14:00:05, no MAYDAY on channel 16 after it")
            .voice(2, "sent", "16", "mayday")
            .dsc(5, "sent", alert("Fire"));
        add("alert-not-cancelled", "false-alert-child", "the false alert not cancelled by voice on channel 16")
            .voice(20, "sent", "68", "cancel");
        add("ship-dsc-ack", "received-alert-wait", "DSC distress acknowledgement sent at 14:00:20: a ship acknowledges a distress alert by voice")
            .dsc(5, "received", alert("Fire", kGps, kUtc, kBlueCrane))
            .dsc(20, "sent", Message::distressAcknowledgement(kOwn, alert("Fire", kGps, kUtc, kBlueCrane)))
            .voice(40, "sent", "16", "distress-ack");
        add("relay-as-own-alert", "relay-vessel-on-fire", "DSC distress alert sent at 14:00:05 as the own distress instead of a relay")
            .dsc(5, "sent", alert("Fire"))
            .voice(30, "sent", "16", "mayday-relay");
        add("message-incomplete", "distress-mob-gps", "MAYDAY said on 16 at 14:00:30: no position given")
            .dsc(5, "sent", alert("MOB"))
            .voice(30, "sent", "16", "mayday", {{"position", false, "no position given"}});
        add("working-channel-16-70", "routine-blue-crane", "DSC individual call sent at 14:00:05 proposing channel 16 as the working channel")
            .dsc(5, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, 16))
            .voice(30, "sent", "16", "routine");
        Script& silence = add("silence-broken", "silence-kept", "Routine call said on 16 at 14:00:10 while silence was imposed");
        silence.voice(10, "sent", "16", "routine")
            .voice(20, "received", "16", "none", {}, QStringLiteral("seelonce feenee"))
            .dsc(30, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, silence.channel()));
        add("time-out", "distress-fire-gps", "the time ran out after 300 s").dsc(5, "sent", alert("Fire")).voice(30, "sent", "16", "mayday");
        cases.back().timedOut = true;
        for (const Case& c : cases) {
            const exam::Attempt a = c.run.mark(c.timedOut);
            const QString reason = QLatin1String(c.id) + QStringLiteral(": ") + c.reason;
            QVERIFY2(!a.passed && a.critical == QStringList{reason}, qPrintable(QLatin1String(c.id) + '\n' + described(a)));
        }
    }

    void minorSlipsFailNothing() {
        struct Case {
            Script run;
            QString slip;
        };
        std::vector<Case> cases;
        auto add = [&cases](const char* card, const QString& slip) -> Script& {
            return cases.emplace_back(Case{Script(QLatin1String(card)), slip}).run;
        };
        add("distress-fire-gps", "MAYDAY said on 16 at 14:00:30: MAYDAY said twice, three times expected")
            .dsc(5, "sent", alert("Fire"))
            .voice(30, "sent", "16", "mayday", {{"mayday-count", false, "MAYDAY said twice, three times expected"}});
        Script& ending = add("distress-grounding-by-hand", "MAYDAY said on 16 at 14:01:00: ends with OUT, OVER expected");
        ending.dsc(20, "sent", alert("Grounding", *dscwire::Position::fromTrainerText(ending.value("position:radio")),
                                     QTime::fromString(ending.value("time"), QStringLiteral("HH:mm"))))
            .voice(60, "sent", "16", "mayday", {{"ending", false, "ends with OUT, OVER expected"}});
        add("routine-blue-crane", "Routine call said on 72 at 14:00:30 at 25 W, low power is enough for a routine call")
            .dsc(5, "sent", Message::individual(kBlueCrane, code::kRoutine, kOwn, 72))
            .voice(30, "sent", "72", "routine", {}, {}, "25W");
        add("relay-no-dsc", "no entry in the radio log for the traffic received").voice(30, "sent", "16", "mayday-relay");
        for (const Case& c : cases) {
            const exam::Attempt a = c.run.mark();
            QVERIFY2(a.passed && a.minor == QStringList{c.slip}, qPrintable(c.run.card.card.id + '\n' + described(a)));
        }
    }

    void secondAttemptIsNumberedTwo() {
        Script run(QStringLiteral("urgency-medical"));
        run.dsc(5, "sent", Message::allShips(code::kUrgency, kOwn, 16));
        const exam::Attempt a = run.mark(false, 2);
        QCOMPARE(a.number, 2);
        QCOMPARE(a.seconds, 300.0);
        QVERIFY(!a.passed);
        QCOMPARE(a.marks[1].evidence, QStringLiteral("not done"));
    }

    // The last entry in the log against the message read out: one wrong figure of the position fails it.
    void dictationCopiedFieldByField() {
        Script run(QStringLiteral("dictation-mayday"));
        run.dsc(5, "sent", Message::individual(kCoast, code::kRoutine, kOwn, 1022)).voice(30, "sent", "22A", "routine");
        lessons::LogEntry wrong = copyOf(run);
        const qsizetype tenth = wrong.position.indexOf(QLatin1Char('.')) + 1;
        wrong.position[tenth] = wrong.position[tenth] == QLatin1Char('0') ? QLatin1Char('5') : QLatin1Char('0');
        QVERIFY(wrong.position != run.value("position"));
        run.log(60, wrong);
        exam::Attempt a = run.mark();
        QVERIFY(!a.passed);
        QCOMPARE(a.marks.back().criterion, QStringLiteral("Message copied into the log"));
        QVERIFY(!a.marks.back().met);
        QCOMPARE(a.marks.back().evidence, QStringLiteral("position: %1, copied %2").arg(run.value("position"), wrong.position));
        run.log(90, copyOf(run)); // copied again, right
        a = run.mark();
        QVERIFY2(a.passed && a.marks.back().met, qPrintable(described(a)));
    }

    // A spoken element not heard clearly fails nothing: the examiner hears the transmission's sound,
    // named beside the lesson, which is read back from its file.
    void unclearElementGoesToReview() {
        Script run(QStringLiteral("distress-fire-gps"));
        run.dsc(5, "sent", alert(QStringLiteral("Fire")));
        run.voice(30, "sent", "16", "mayday", {{"position", false, "position not heard clearly", true}});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("2026-12-09T14-00-00.jsonl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"kind":"lesson","format":2,"program":"vhf-dsc-trainer","start":"2026-12-09T13:50:00.000","tick":0})"
                   "\n");
        for (const lessons::Entry& e : run.entries) file.write(QJsonDocument(e.json).toJson(QJsonDocument::Compact) + '\n');
        file.close();
        run.entries = exam::readEntries(path);
        QCOMPARE(run.entries.size(), size_t(4));
        const exam::Attempt a = run.mark(false, 1, path);
        QVERIFY2(a.passed && a.critical.isEmpty(), qPrintable(described(a)));
        QCOMPARE(a.review.size(), size_t(1));
        QCOMPARE(a.review[0].element, QStringLiteral("position"));
        QCOMPARE(a.review[0].sound, QStringLiteral("2026-12-09T14-00-00-voice-1.opus"));
        QVERIFY(!a.marks[1].met);
    }

    // Letters the recogniser did not make out are no proof they were not spelled.
    void spellingNotUnderstoodGoesToReview() {
        Script run(QStringLiteral("spelling-name-callsign"));
        run.dsc(5, "sent", Message::individual(kCoast, code::kRoutine, kOwn, 1022))
            .voice(30, "sent", "22A", "routine", {}, QStringLiteral("boston coast guard this is kelpo i spell kilo echo over"));
        exam::Attempt a = run.mark(false, 1, QStringLiteral("/lessons/one.jsonl"));
        QVERIFY2(a.passed, qPrintable(described(a)));
        QCOMPARE(a.review.size(), size_t(1));
        QCOMPARE(a.review[0].element, QStringLiteral("spelling"));
        QCOMPARE(a.review[0].sound, QStringLiteral("one-voice-1.opus"));
        Script silent(QStringLiteral("spelling-name-callsign"));
        a = silent.mark();
        QVERIFY(!a.passed && a.review.empty());
        QCOMPARE(a.marks.back().evidence, QStringLiteral("nothing said"));
    }

    void priorityOrderCounts() {
        Script run(QStringLiteral("priority-mob-medical"));
        run.dsc(5, "sent", Message::allShips(code::kUrgency, kOwn, 16))
            .dsc(10, "sent", alert(QStringLiteral("MOB")))
            .voice(20, "sent", "16", "mayday")
            .dsc(60, "sent", Message::individual(kCoast, code::kRoutine, kOwn, 1022));
        const exam::Attempt a = run.mark();
        QVERIFY2(!a.passed && a.critical.isEmpty(), qPrintable(described(a)));
        QCOMPARE(a.marks.size(), size_t(5));
        for (size_t i = 0; i < 4; ++i) QVERIFY(a.marks[i].met);
        QCOMPARE(a.marks[4].evidence, QStringLiteral("task 3 (Then: DSC urgency call for medical advice) answered at 5 s, before task 2 at 20 s"));
    }
};

QTEST_GUILESS_MAIN(ExamMarkTest)
#include "tst_exammark.moc"
