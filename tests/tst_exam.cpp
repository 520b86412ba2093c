// Exam profiles, the card bank and drawing an exam from a seed.
#include "exam/Draw.h"
#include "exam/Kinds.h"
#include "exam/Random.h"

#include <QProcess>
#include <QSet>
#include <QTest>

namespace {

const QString kExams = QStringLiteral(VHF_SOURCE_DIR "/exams");

exam::Profile shipped(const QString& name) {
    const auto p = exam::loadProfile(kExams + QLatin1Char('/') + name + QStringLiteral(".json"));
    if (!p.ok()) qFatal("%s", qPrintable(p.error()));
    return p.value();
}

QList<exam::Card> bank() {
    const auto b = exam::loadCardBank(kExams + QStringLiteral("/cards"));
    if (!b.ok()) qFatal("%s", qPrintable(b.error()));
    return b.value();
}

QStringList plan(const QString& profile, std::uint64_t seed) {
    const auto p = exam::drawExam(shipped(profile), bank(), seed);
    if (!p.ok()) qFatal("%s", qPrintable(p.error()));
    return exam::planLines(p.value());
}

} // namespace

class ExamTest : public QObject {
    Q_OBJECT
private slots:
    // One seed, one exam: drawn twice alike, and as pinned here, so that a change of the random
    // numbers or of the draw is seen; another seed draws another exam.
    void sameSeedSamePlan() {
        const QStringList once = plan(QStringLiteral("src"), 20261209);
        QCOMPARE(plan(QStringLiteral("src"), 20261209), once);
        QVERIFY(plan(QStringLiteral("src"), 20261210) != once);
        const QStringList pinned{
            QStringLiteral("Exam src (SRC practical, scenario cards), seed 20261209"),
            QStringLiteral("1. distress: A crew member has fallen overboard from Kelpo and is out of sight; 4 persons are left on board. Your GPS works. Raise the alarm."),
            QStringLiteral("2. routine-coast: You want to arrange a berth through Boston Coast Guard, MMSI 003669927, on its working channel 22A of the USA plan. Call it and make the request by voice."),
            QStringLiteral("3. dictation: Boston Coast Guard reads out an urgency message. Copy it into the radio log, then read it back to the coast station on channel 22A."),
            QStringLiteral("4. position-time: Kelpo's GPS has failed. From the chart you are at 42°14.2'N 070°53.4'W; the time is 01:04 UTC. Enter both by hand in the DSC menu, then report the failure to Boston Coast Guard (MMSI 003669927) on channel 22A."),
            QStringLiteral("5. safety: You sight a shipping container floating just awash at 41°53.7'N 070°34.1'W, a danger to every vessel. Warn all ships: announce it on channel 16 and give the warning on a working channel."),
            QStringLiteral("6. end-distress: You took control of the distress traffic for Fair Wind, whose 4 crew are now aboard a lifeboat. Tell all stations that the distress traffic is over."),
        };
        QCOMPARE(once, pinned);
    }

    // Over a thousand seeds each shipped profile draws every kind it lists, each section its number
    // of cards of its own kinds, and never one card twice; the two profiles together use every kind.
    void everyKindAndNoCardTwice() {
        const QList<exam::Card> cards = bank();
        QSet<QString> usedByBoth;
        for (const QString& name : {QStringLiteral("src"), QStringLiteral("src-4plus2")}) {
            const exam::Profile profile = shipped(name);
            QSet<QString> listed, seen;
            int perExam = 0;
            for (const exam::Section& s : profile.sections) {
                listed.unite(QSet<QString>(s.kinds.cbegin(), s.kinds.cend()));
                perExam += s.draw;
            }
            for (std::uint64_t seed = 1; seed <= 1000; ++seed) {
                const auto drawn = exam::drawExam(profile, cards, seed);
                QVERIFY2(drawn.ok(), qPrintable(drawn.error()));
                QCOMPARE(drawn.value().cards.size(), perExam);
                QSet<QString> ids;
                for (const exam::DrawnCard& d : drawn.value().cards) {
                    QVERIFY2(!ids.contains(d.card.id), qPrintable(QStringLiteral("seed %1: %2 twice").arg(seed).arg(d.card.id)));
                    ids.insert(d.card.id);
                    const auto section = std::find_if(profile.sections.cbegin(), profile.sections.cend(),
                                                      [&](const exam::Section& s) { return s.name == d.section; });
                    QVERIFY(section != profile.sections.cend() && section->kinds.contains(d.card.kind));
                    QCOMPARE(d.mandatory, section->mandatory);
                    seen.insert(d.card.kind);
                }
            }
            QCOMPARE(seen, listed);
            usedByBoth.unite(seen);
        }
        const QStringList all = exam::cardKinds();
        QCOMPARE(usedByBoth, QSet<QString>(all.cbegin(), all.cend()));
    }

    // A profile that cannot be used is told with its file and the line of the fault.
    void profileFaultNamesLine_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("fault");
        QTest::newRow("draw") << QByteArray("{\n \"title\": \"t\",\n \"sections\": [\n"
                                            "  { \"name\": \"a\", \"draw\": 1, \"kinds\": [\"relay\"] },\n"
                                            "  { \"name\": \"b\",\n    \"draw\": 5,\n"
                                            "    \"kinds\": [\"relay\", \"safety\", \"spelling\", \"figures\"] }\n ],\n"
                                            " \"pass\": { \"percent\": 75 }\n}\n")
                              << QStringLiteral("bad.json line 6: section 2 draws 5 cards but only 3 kinds fit");
        QTest::newRow("kind") << QByteArray("{ \"title\": \"t\", \"pass\": { \"percent\": 75 },\n \"sections\": [\n"
                                            "  { \"name\": \"a\", \"draw\": 1,\n    \"kinds\": [\"relay\",\n \"sailing\"] } ] }")
                              << QStringLiteral("bad.json line 5: section 1 has an unknown kind 'sailing'");
        QTest::newRow("pass") << QByteArray("{ \"title\": \"t\",\n \"sections\": [ { \"name\": \"a\", \"draw\": 1, \"kinds\": [\"relay\"] } ],\n"
                                            " \"pass\": { \"mandatory\": \"all\",\n \"others\": 2 } }")
                              << QStringLiteral("bad.json line 4: pass asks for more other cards than the 1 the sections draw");
    }
    void profileFaultNamesLine() {
        QFETCH(QByteArray, json);
        QFETCH(QString, fault);
        const auto p = exam::parseProfile(json, QStringLiteral("bad.json"));
        QVERIFY(!p.ok());
        QCOMPARE(p.error(), fault);
    }

    // A card is checked as the exercise it makes: a fault in its tasks names the card and its line.
    void cardFaultNamesLine() {
        const QByteArray head("{ \"cards\": [\n { \"id\": \"c\", \"kind\": \"relay\", \"text\": \"At {position}.\",\n"
                              "   \"critical\": [\"time-out\"],\n");
        auto parse = [&](const char* tasks) { return exam::parseCards(head + tasks + "\n } ] }", QStringLiteral("cards.json")); };
        QVERIFY(parse("   \"tasks\": [ { \"title\": \"t\", \"expect\": { \"kind\": \"distress\", \"position\": \"{position:radio}\" } } ]").ok());
        QCOMPARE(parse("   \"tasks\": [ { \"title\": \"t\", \"expect\": { \"kind\": \"voice\", \"procedure\": \"mayday\", \"channel\": \"{crew}\" } } ]").error(),
                 QStringLiteral("cards.json line 4: card 'c' has an unknown slot '{crew}'"));
        QCOMPARE(parse("   \"tasks\": [ { \"title\": \"t\", \"expect\": { \"kind\": \"voice\", \"procedure\": \"mayday\", \"nature\": \"Fire\" } } ]").error(),
                 QStringLiteral("cards.json line 4: card 'c': task 1: a 'voice' answer carries no nature"));
    }

    // Every shipped card, filled from many seeds, makes an exercise whose tasks are whole: no slot
    // left, each task a kind, each voice task its procedure; and the bank has the cards a draw needs.
    void everyShippedCardMakesAnExercise() {
        const QList<exam::Card> cards = bank();
        QVERIFY(cards.size() >= 24);
        QSet<QString> kinds;
        for (const exam::Card& card : cards) {
            kinds.insert(card.kind);
            for (std::uint64_t seed = 0; seed < 50; ++seed) {
                exam::Random random(seed);
                const exam::Filled filled = exam::fill(card, random);
                const auto x = exam::exerciseOf(card, filled);
                QVERIFY2(x.ok(), qPrintable(x.error()));
                QVERIFY2(!(filled.text + filled.dictation).contains(QLatin1Char('{')), qPrintable(card.id));
                QCOMPARE(x.value().tasks.size(), card.tasks.size());
                QCOMPARE(x.value().briefing, filled.text);
                for (const lessons::Task& t : x.value().tasks)
                    QVERIFY2(t.expect.kind != lessons::Kind::Voice || !t.expect.procedure.isEmpty(), qPrintable(card.id));
            }
        }
        const QStringList all = exam::cardKinds();
        QCOMPARE(kinds, QSet<QString>(all.cbegin(), all.cend()));
    }

    // The command line prints the plan the library draws, and names a profile it has not.
    void planOnTheCommandLine() {
        QProcess p;
        p.start(QStringLiteral(VHF_TRAINER_PROGRAM), {"--exam", "src-4plus2", "--seed", "77", "--plan"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 plan(QStringLiteral("src-4plus2"), 77));
        p.start(QStringLiteral(VHF_TRAINER_PROGRAM), {"--exam", "no-such-profile", "--candidate", "Ann"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).startsWith(QLatin1String("vhf-dsc-trainer: --exam: no profile")));
    }
};

QTEST_GUILESS_MAIN(ExamTest)
#include "tst_exam.moc"
