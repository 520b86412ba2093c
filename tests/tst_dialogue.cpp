// The model stations' dialogue table: what each station says to what it hears, and when.
#include "voice/Dialogue.h"
#include "voice/Procedure.h"

#include <QJsonDocument>
#include <QTest>

namespace {

QVariantMap dsc(const QString& what, const QString& from, QVariantMap more = {}) {
    more.insert("hears", "dsc");
    more.insert("what", what);
    more.insert("from", from);
    return more;
}

QVariantMap voiceFrom(const QString& channel, QVariantMap more) {
    more.insert("hears", "voice");
    more.insert("from", "own");
    more.insert("channel", channel);
    return more;
}

using Marks = QMap<QString, QString>;

// A judgement of the trainee's transmission: each element "ok", "wrong" or "unclear", what was heard
// of the right ones by id.
voice::Judgement judged(voice::Kind kind, const Marks& marks, const Marks& heard = {}) {
    voice::Judgement j;
    j.kind = kind;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        j.elements.append({it.key(), it.value() == "ok", it.value() + " " + it.key(), heard.value(it.key()), it.value() == "unclear"});
    return j;
}

} // namespace

class DialogueTest : public QObject {
    Q_OBJECT
private slots:
    // A conversation, step by step: what happened on the air, and what each station then says
    // ("station@channel: first words"), or nothing.
    void conversations_data() {
        QTest::addColumn<QList<QVariantMap>>("heard");
        QTest::addColumn<QStringList>("replies");
        const QVariantMap ack = dsc("distress-ack", "coast", {{"about", "own"}});
        const QVariantMap maydayNoPosition =
            voiceFrom("16", {{"procedure", "mayday"}, {"missing", QStringList{"position"}}, {"nature", "fire"}});
        const QVariantMap maydayWhole = voiceFrom(
            "16", {{"procedure", "mayday"}, {"missing", QStringList{}}, {"nature", "fire"}, {"persons", "4"}});
        QTest::newRow("MAYDAY after the acknowledgement")
            << QList<QVariantMap>{ack, maydayNoPosition, maydayWhole, maydayWhole}
            << QStringList{"coast@16: Mayday. Kelpo, Kelpo, Kelpo. This is Boston Coast Guard",
                           "coast@16: Kelpo, this is Boston Coast Guard. Received Mayday. Say your position",
                           "coast@16: Kelpo, this is Boston Coast Guard. Received Mayday: fire, 4 persons", ""};
        QTest::newRow("MAYDAY never acknowledged") << QList<QVariantMap>{maydayWhole} << QStringList{""};
        QTest::newRow("radio checks")
            << QList<QVariantMap>{voiceFrom("22A", {{"radioCheck", true}, {"called", "coast"}}),
                                  voiceFrom("06", {{"radioCheck", true}, {"called", "coast"}}),
                                  voiceFrom("16", {{"radioCheck", true}, {"called", "blue"}})}
            << QStringList{"coast@22A: Kelpo, this is Boston Coast Guard. Reading you loud and clear", "", ""};
        QTest::newRow("radio check not heard clearly")
            << QList<QVariantMap>{voiceFrom("16", {{"radioCheck", true}, {"called", "coast"}, {"unclear", QStringList{"ending"}}})}
            << QStringList{"coast@16: Kelpo, this is Boston Coast Guard, say again, over."};
        const QVariantMap able = dsc("able", "blue", {{"to", "own"}, {"channel", "08"}});
        QTest::newRow("routine call answered on the working channel")
            << QList<QVariantMap>{able, voiceFrom("09", {{"called", "blue"}}), voiceFrom("08", {{"called", "blue"}}),
                                  voiceFrom("08", {{"ending", "over"}}), voiceFrom("08", {{"called", "blue"}})}
            << QStringList{"", "", "blue@08: Kelpo, this is Blue Crane. Go ahead, over.",
                           "blue@08: Kelpo, this is Blue Crane. Received, thank you. Blue Crane, out.", ""};
        QTest::newRow("the trainee ends with OUT")
            << QList<QVariantMap>{able, voiceFrom("08", {{"called", "blue"}}), voiceFrom("08", {{"ending", "out"}}),
                                  voiceFrom("08", {{"ending", "over"}})}
            << QStringList{"", "blue@08: Kelpo, this is Blue Crane. Go ahead", "", ""};
    }
    void conversations() {
        QFETCH(QList<QVariantMap>, heard);
        QFETCH(QStringList, replies);
        voice::Dialogue dialogue;
        QCOMPARE(dialogue.stations().size(), size_t(2));
        for (int i = 0; i < heard.size(); ++i) {
            const auto said = dialogue.hear(heard[i], QStringLiteral("Kelpo"));
            QVERIFY2(said.size() <= 1, "one station at a time");
            const QString got = said.empty() ? QString() : said[0].station + '@' + said[0].channel + ": " + said[0].text;
            QVERIFY2(replies[i].isEmpty() ? got.isEmpty() : got.startsWith(replies[i]),
                     qPrintable(QStringLiteral("step %1: %2").arg(i + 1).arg(got)));
        }
    }

    // What was not heard clearly is asked for again, as a coast station does, before anything missing;
    // the station stays where it was.
    void sayAgain_data() {
        QTest::addColumn<Marks>("marks");
        QTest::addColumn<QString>("reply");
        QTest::newRow("position") << Marks{{"position", "unclear"}, {"nature", "ok"}, {"persons", "ok"}}
                                  << "Kelpo, this is Boston Coast Guard, say again your position, over.";
        QTest::newRow("before what is missing")
            << Marks{{"position", "wrong"}, {"nature", "unclear"}, {"persons", "ok"}}
            << "Kelpo, this is Boston Coast Guard, say again the nature of your distress, over.";
        QTest::newRow("two of them")
            << Marks{{"position", "ok"}, {"nature", "unclear"}, {"persons", "unclear"}}
            << "Kelpo, this is Boston Coast Guard, say again the nature of your distress and the number of persons on board, over.";
        QTest::newRow("missing, heard clearly")
            << Marks{{"position", "wrong"}, {"nature", "ok"}, {"persons", "ok"}}
            << "Kelpo, this is Boston Coast Guard. Received Mayday. Say your position, over.";
    }
    void sayAgain() {
        QFETCH(Marks, marks);
        QFETCH(QString, reply);
        voice::Dialogue dialogue;
        dialogue.hear(dsc("distress-ack", "coast", {{"about", "own"}}), "Kelpo");
        QVariantMap facts = dialogue.voiceFacts(judged(voice::Kind::Mayday, marks, {{"nature", "fire"}, {"persons", "4"}}), "16");
        facts.insert("from", "own");
        const auto said = dialogue.hear(facts, "Kelpo");
        QCOMPARE(said.size(), size_t(1));
        QCOMPARE(said[0].text, reply);
        QCOMPARE(dialogue.state("coast"), QString("mayday"));
    }

    // On the working channel, an ending not heard clearly: The Blue Crane asks again and still listens.
    void blueCraneSaysAgain() {
        voice::Dialogue dialogue;
        dialogue.hear(dsc("able", "blue", {{"to", "own"}, {"channel", "08"}}), "Kelpo");
        QVariantMap call = voiceFrom("08", {{"called", "blue"}});
        QCOMPARE(dialogue.hear(call, "Kelpo").size(), size_t(1));
        QVariantMap unclear = dialogue.voiceFacts(
            judged(voice::Kind::Routine, {{"called", "ok"}, {"ending", "unclear"}}, {{"ending", "over"}}), "08");
        unclear.insert("from", "own");
        auto said = dialogue.hear(unclear, "Kelpo");
        QCOMPARE(said.size(), size_t(1));
        QCOMPARE(said[0].text, QString("Kelpo, this is Blue Crane, say again, over."));
        QCOMPARE(dialogue.state("blue"), QString("talking"));
        said = dialogue.hear(voiceFrom("08", {{"ending", "over"}}), "Kelpo");
        QVERIFY(!said.empty() && said[0].text.startsWith("Kelpo, this is Blue Crane. Received, thank you."));
    }

    void faultyTable() {
        QString problem;
        voice::Dialogue d(QJsonDocument::fromJson(R"({"stations":[{"key":"coast","name":"C"}],
            "turns":[{"station":"coast","hears":"voice","say":"hello"}]})").object(), &problem);
        QCOMPARE(problem, QStringLiteral("turn 1 says something on no channel"));
    }
};

QTEST_GUILESS_MAIN(DialogueTest)
#include "tst_dialogue.moc"
