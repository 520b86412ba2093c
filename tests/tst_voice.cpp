// The voice core without sound: the procedure checker on words, spellings and figures read from
// words, the vocabulary's pronunciations and grammar, and the radio sound's band.
#include "voice/Phrases.h"
#include "voice/Procedure.h"
#include "voice/RadioSound.h"
#include "voice/Spelling.h"
#include "voice/Vocabulary.h"

#include <QSet>
#include <QTest>

#include <cmath>
#include <numbers>

using voice::Kind;

namespace {

QSet<QString> wrongIds(const voice::Judgement& j) {
    QSet<QString> ids;
    for (const voice::Element& e : j.elements)
        if (!e.ok) ids << e.id;
    return ids;
}

std::vector<qint16> tone(double hz, int samples) {
    std::vector<qint16> s(size_t(samples), 0);
    for (int i = 0; i < samples; ++i) s[size_t(i)] = qint16(12000 * std::sin(2 * std::numbers::pi * hz * i / 16000.0));
    return s;
}

double rms(const std::vector<qint16>& s, size_t from, size_t to) {
    double p = 0;
    for (size_t i = from; i < to; ++i) p += double(s[i]) * s[i];
    return std::sqrt(p / double(to - from));
}

} // namespace

class VoiceTest : public QObject {
    Q_OBJECT
private slots:
    // Every transmission the spoken tests use, read as text: its procedure and which elements
    // are wrong.
    void transmissionsAsText_data() {
        voicetest::addSpokenRows();
    }
    void transmissionsAsText() {
        QFETCH(int, index);
        const voicetest::SpokenCase& c = voicetest::spokenCases()[index];
        const voice::Judgement j = voice::judge(voicetest::wordsOf(c.text), voicetest::kelpo());
        QCOMPARE(voice::kindName(j.kind), voice::kindName(c.kind));
        QVERIFY(!j.elements.isEmpty());
        QCOMPARE(wrongIds(j), QSet<QString>(c.wrong.begin(), c.wrong.end()));
        QCOMPARE(j.ok(), c.wrong.isEmpty());
    }

    // The verdicts in words, and what was heard for each element.
    void verdicts_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("heard");
        const QString mayday = "this is kelpo kelpo kelpo three one six one two three four five six mayday kelpo ";
        QTest::newRow("mayday twice") << "mayday mayday " + mayday + "over" << "mayday" << "mayday-count" << false
                                      << "MAYDAY said twice, three times expected" << "2";
        QTest::newRow("mayday once") << "mayday this is kelpo over" << "mayday" << "mayday-count" << true
                                     << "MAYDAY said once" << "1";
        QTest::newRow("no position") << "mayday mayday mayday " + mayday + "fire over" << "mayday" << "position" << false
                                     << "no position given" << "";
        QTest::newRow("tenths of minutes")
            << "mayday this is kelpo position four one degrees four three decimal two minutes north zero seven zero "
               "degrees one two point niner minutes west over"
            << "mayday" << "position" << true << "position given: 41°43.2'N 070°12.9'W" << "41°43.2'N 070°12.9'W";
        QTest::newRow("bearing and distance")
            << "mayday this is kelpo three miles south east of cape cod sinking over" << "mayday" << "position" << true
            << "position given: 3 nm south east of Cape Cod" << "3 nm south east of Cape Cod";
        QTest::newRow("impossible latitude")
            << "mayday this is kelpo nine five degrees north zero seven zero degrees west over" << "mayday" << "position"
            << false << "position incomplete or impossible: 95°00'N 070°00'W" << "95°00'N 070°00'W";
        QTest::newRow("latitude only") << "mayday this is kelpo four two degrees north over" << "mayday" << "position"
                                       << false << "position incomplete or impossible: 42°00'N" << "42°00'N";
        // The MMSI runs straight into the latitude's digits.
        QTest::newRow("mmsi then latitude")
            << "mayday this is kelpo three one six one two three four five six four two degrees one seven minutes north "
               "zero seven zero degrees four seven minutes west over"
            << "mayday" << "mmsi" << true << "MMSI 316123456 said" << "316123456";
        QTest::newRow("wrong mmsi") << "mayday this is kelpo three one six one two three four six five over" << "mayday"
                                    << "mmsi" << false << "MMSI heard as 316123465, the own MMSI is 316123456" << "316123465";
        QTest::newRow("no mmsi") << "mayday this is kelpo over" << "mayday" << "mmsi" << false << "MMSI not said" << "";
        QTest::newRow("nature") << "mayday this is kelpo we are taking on water over" << "mayday" << "nature" << true
                                << "nature of distress: flooding" << "flooding";
        QTest::newRow("persons") << "mayday this is kelpo one two persons on board over" << "mayday" << "persons" << true
                                 << "12 persons on board" << "12";
        QTest::newRow("ends with out") << "mayday this is kelpo out" << "mayday" << "ending" << false
                                       << "ends with OUT, OVER expected" << "out";
        QTest::newRow("no ending") << "mayday this is kelpo" << "mayday" << "ending" << false << "no OVER at the end" << "";
        QTest::newRow("no name") << "mayday mayday mayday this is position four two degrees north over" << "mayday"
                                 << "own-name" << false << "own name not said" << "";
        QTest::newRow("another name") << "mayday this is the blue crane over" << "mayday" << "own-name" << false
                                       << "own name not said: heard \"the blue crane\" instead" << "the blue crane";
        // A stray word where THIS IS belongs, an MMSI one digit short: misheard, not wrong.
        QTest::newRow("this is misheard") << "mayday mayday mayday but kelpo kelpo kelpo over" << "mayday" << "this-is"
                                          << false << "THIS IS not heard clearly" << "";
        QTest::newRow("mmsi a digit short") << "mayday this is kelpo mmsi three one six one two three four five over"
                                            << "mayday" << "mmsi" << false << "the MMSI not heard clearly" << "31612345";
        QTest::newRow("no this is") << "mayday mayday mayday kelpo kelpo kelpo over" << "mayday" << "this-is" << false
                                    << "THIS IS not said" << "";
        QTest::newRow("no second mayday") << "mayday mayday mayday " + QString(mayday).remove("mayday kelpo ") + "over"
                                          << "mayday" << "message-start" << false
                                          << "the message does not begin with MAYDAY and the name" << "";
        QTest::newRow("pan three words") << "pan pan pan all stations all stations all stations this is kelpo over"
                                         << "pan-pan" << "pan-count" << false
                                         << "PAN said three times, PAN PAN three times expected" << "2";
        QTest::newRow("all stations twice")
            << "securite securite securite all stations all stations this is kelpo gale warning out" << "securite"
            << "called" << false << "ALL STATIONS said twice, three times expected" << "all stations";
        QTest::newRow("safety channel")
            << "securite securite securite all stations all stations all stations this is kelpo listen on channel one "
               "three out"
            << "securite" << "message" << true << "listen on channel 13" << "channel 13";
        QTest::newRow("ack by mmsi") << "mayday three six six two three two three two three this is kelpo received mayday"
                                     << "distress-ack" << "called" << true
                                     << "names the station in distress: three six six two three two three two three"
                                     << "three six six two three two three two three";
        QTest::newRow("routine calls itself") << "kelpo this is kelpo over" << "routine" << "called" << false
                                              << "no station called: the own name said instead" << "";
        QTest::newRow("routine without ending") << "the blue crane this is kelpo go ahead" << "routine" << "ending"
                                                << false << "no OVER or OUT at the end" << "";
        QTest::newRow("relay's station") << "mayday relay this is kelpo following received from quils wonder over"
                                         << "mayday-relay" << "distressed" << true
                                         << "the station in distress: quils wonder" << "quils wonder";
        QTest::newRow("cancel time") << "all stations this is kelpo cancel my distress alert of one three four five utc out"
                                     << "cancel" << "time" << true << "time of the alert: 1345 UTC" << "1345";
        QTest::newRow("cancel in part") << "all stations this is kelpo cancel out" << "cancel" << "cancel" << false
                                        << "CANCEL MY DISTRESS ALERT not said in full" << "cancel";
    }
    void verdicts() {
        QFETCH(QString, words);
        QFETCH(QString, kind);
        QFETCH(QString, id);
        const voice::Judgement j = voice::judge(words, voicetest::kelpo());
        QCOMPARE(voice::kindName(j.kind), kind);
        const voice::Element* e = j.element(id);
        QVERIFY2(e, qPrintable(id));
        QTEST(e->ok, "ok");
        QTEST(e->verdict, "verdict");
        QTEST(e->heard, "heard");
    }

    // Who was called, a radio check and the channel asked, for the stations to answer.
    void whatTheStationsReactTo() {
        const voice::Speaker kelpo = voicetest::kelpo();
        voice::Judgement j = voice::judge("boston coast guard this is kelpo radio check on channel one six over", kelpo);
        QVERIFY(j.kind == Kind::Routine && j.radioCheck && j.ok());
        QCOMPARE(j.called, QString("boston coast guard"));
        QCOMPARE(j.calledMmsi, QString("003669927"));
        QCOMPARE(j.channelAsked, 16);

        j = voice::judge("blue crane blue crane this is kelpo switch to channel seven two over", kelpo);
        QVERIFY(j.kind == Kind::Routine && !j.radioCheck);
        QCOMPARE(j.calledMmsi, QString("366232323"));
        QCOMPARE(j.channelAsked, 72);

        j = voice::judge("mayday the blue crane the blue crane this is kelpo received mayday", kelpo);
        QCOMPARE(j.called, QString("the blue crane"));
        QCOMPARE(j.calledMmsi, QString("366232323"));
        QCOMPARE(j.channelAsked, -1);

        j = voice::judge("pan pan pan pan pan pan all stations all stations all stations this is kelpo over", kelpo);
        QCOMPARE(j.called, QString("all stations"));
        QVERIFY(j.calledMmsi.isEmpty());

        // A classmate the radio has just learnt of is a station like the others.
        voice::Speaker withClassmate = kelpo;
        withClassmate.known << voice::Station{"Sea Breeze", "316000001"};
        j = voice::judge("sea breeze this is kelpo over", withClassmate);
        QCOMPARE(j.calledMmsi, QString("316000001"));
        QVERIFY(j.ok());
    }

    // Words heard with little confidence: what rests on them is unclear, never wrong; the same
    // words heard with confidence are judged as usual.
    void unsureWords_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("unsure");  // the words heard with little confidence
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("mark");
        const QString call = "mayday this is kelpo three one six one two three four five six ";
        const QString position = "position four two degrees one seven minutes north zero seven zero degrees four seven minutes west ";
        QTest::newRow("a digit of the position") << call + position + "fire request assistance two persons on board over"
                                                  << QStringList{"seven"} << "position" << "unclear";
        QTest::newRow("no position, all clear") << call + "fire request assistance two persons on board over"
                                                << QStringList{} << "position" << "wrong";
        QTest::newRow("no position, unsure words") << call + "for to agrees one seven fire request assistance two persons on board over"
                                                   << QStringList{"for", "to", "agrees"} << "position" << "unclear";
        QTest::newRow("no position, the nature unsure") << call + "fire request assistance two persons on board over"
                                                        << QStringList{"fire"} << "position" << "wrong";
        QTest::newRow("out heard clearly") << call + position + "fire request assistance two persons on board out"
                                           << QStringList{} << "ending" << "wrong";
        QTest::newRow("out unsure") << call + position + "fire request assistance two persons on board out"
                                    << QStringList{"out"} << "ending" << "unclear";
        QTest::newRow("mmsi unsure") << "mayday this is kelpo three one six one two three four six five over"
                                     << QStringList{"six", "five"} << "mmsi" << "unclear";
        QTest::newRow("name sure, this is unsure") << call + position + "fire request assistance two persons on board over"
                                                   << QStringList{"this", "is"} << "own-name" << "ok";
    }
    void unsureWords() {
        QFETCH(QString, words);
        QFETCH(QStringList, unsure);
        QFETCH(QString, id);
        voice::Hearing h = voice::Hearing::certain(words);
        for (voice::HeardWord& w : h.detail)
            if (unsure.contains(w.word)) w.confidence = 0.2;
        const voice::Judgement j = voice::judge(h, voicetest::kelpo());
        QCOMPARE(j.kind, Kind::Mayday);
        const voice::Element* e = j.element(id);
        QVERIFY(e);
        QTEST(voice::markOf(*e), "mark");
        if (e->unclear) QVERIFY2(e->verdict.endsWith("not heard clearly"), qPrintable(e->verdict));
    }

    // Descriptions in the speaker's own words take the place of the nature, the urgency, the
    // hazard and the assistance wanted.
    void ownWords_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("heard");
        const QString mayday = "mayday this is kelpo three one six one two three four five six position four two degrees "
                               "north zero seven zero degrees west ";
        QTest::newRow("nature") << mayday + "dismasted and drifting onto the rocks request assistance two crew over"
                                << "nature" << "dismasted";
        QTest::newRow("free nature") << mayday + "hull cracked badly please send a lifeboat two crew over" << "nature"
                                     << "hull cracked badly";
        QTest::newRow("free assistance") << mayday + "hull cracked badly please send a lifeboat two crew over"
                                         << "assistance" << "please send a lifeboat";
        QTest::newRow("urgency") << "pan pan pan pan pan pan all stations all stations all stations this is kelpo "
                                    "position four two degrees north zero seven zero degrees west crew member hurt his "
                                    "leg over"
                                 << "nature" << "crew member hurt his leg";
        QTest::newRow("hazard") << "securite securite securite all stations all stations all stations this is kelpo "
                                   "large tree trunk drifting off the harbour entrance out"
                                << "message" << "large tree trunk drifting off the harbour entrance";
    }
    void ownWords() {
        QFETCH(QString, words);
        QFETCH(QString, id);
        const voice::Judgement j = voice::judge(words, voicetest::kelpo());
        const voice::Element* e = j.element(id);
        QVERIFY2(e && e->ok, e ? qPrintable(e->verdict) : qPrintable(id));
        QTEST(e->heard, "heard");
        QVERIFY2(j.ok(), qPrintable(wrongIds(j).values().join(',')));
    }

    void noProcedure() {
        for (const char* words : {"", "good morning everybody", "seelonce mayday", "four two degrees north", "mayday",
                                  "the quick brown fox jumps over the lazy dog it is a lovely day for sailing",
                                  "well i think this is a lovely day for sailing over"}) {
            const voice::Judgement j = voice::judge(words, voicetest::kelpo());
            QVERIFY2(j.kind == Kind::None && j.elements.isEmpty() && !j.ok(), words);
        }
    }

    void directoryLines() {
        const QList<voice::Station> s = voice::stationsFromDirectory(
            {"Vox's Sweetness        367010203", "#1", "   The Dace D            316056789  ", "Short 12345"});
        QCOMPARE(s.size(), 2);
        QCOMPARE(s[0].name, QString("Vox's Sweetness"));
        QCOMPARE(s[1].name, QString("The Dace D"));
        QCOMPARE(s[1].mmsi, QString("316056789"));
    }

    // Letters spelled and figures read out, from the words heard: each spelling up to the first word
    // that is neither letter nor digit, the figures plain or the radio's way, "decimal" the point.
    void spellingsAndFigures_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("spelled");
        QTest::addColumn<QString>("figures");
        QTest::newRow("name") << "this is kelpo i spell kilo echo lima papa oscar over" << QStringList{"KELPO"} << "";
        QTest::newRow("call sign") << "i spell whiskey delta charlie fife six niner tree"
                                   << QStringList{"WDC5693"} << "5693";
        QTest::newRow("variants, unannounced") << "alpha juliet x ray one mmsi three one six" << QStringList{"AJX1"} << "1";
        QTest::newRow("two letters, no spelling") << "kilo echo fower two decimal fife" << QStringList{} << "42.5";
        QTest::newRow("two spellings") << "i spell bravo over i spell tango uniform" << QStringList{"B", "TU"} << "";
        QTest::newRow("mmsi said the radio's way") << "mmsi tree six six wun two tree fower fife six" << QStringList{}
                                                   << "366123456";
    }
    void spellingsAndFigures() {
        QFETCH(QString, words);
        QFETCH(QStringList, spelled);
        QFETCH(QString, figures);
        QCOMPARE(voice::spellings(words.split(' ')), spelled);
        QCOMPARE(voice::figuresIn(words), figures);
        // The transcript's own reading takes only the digits' plain words.
        QCOMPARE(voice::readFigures({"tree", "trunk"}, 0, -1, false).digits, QString());
        QCOMPARE(voice::readFigures({"three", "point", "five", "miles"}, 0).text(), QString("3.5"));
    }

    // Every word the grammar can give has a pronunciation in the model's phones, names no
    // dictionary has among them; the grammar follows the names.
    void pronunciations() {
        static const QSet<QString> phones{"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH", "EH", "ER", "EY",
                                          "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M",  "N",  "NG", "OW", "OY",
                                          "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
        QStringList names{"Kelpo", "Sea Breeze"};
        for (const voice::Station& s : voicetest::kelpo().known) names << s.name;
        const QStringList words = voice::grammarWords(names);
        for (const char* w : {"kelpo", "glimmet's", "quorp's", "securite", "niner", "sea", "breeze", "mmsi"})
            QVERIFY2(words.contains(w), w);
        voice::Pronunciations p;
        const QHash<QString, QStringList> all = p.lookup(words);
        for (const QString& w : words) {
            QVERIFY2(!all[w].isEmpty(), qPrintable(w));
            for (const QString& pron : all[w])
                for (const QString& phone : pron.split(' '))
                    QVERIFY2(phones.contains(phone), qPrintable(w + ": " + pron));
        }
        QCOMPARE(all["kelpo"].first(), QString("K EH L P OW"));
        QCOMPARE(all["vox's"].first(), QString("V AA K S IH Z"));  // cmudict's "vox" and the possessive
        QCOMPARE(voice::Pronunciations::mapEspeakPhonemes("k'ElpoU"), QString("K EH L P OW"));
        QCOMPARE(voice::Pronunciations::mapEspeakPhonemes("gl'ImI2ts"), QString("G L IH M IH T S"));
        QCOMPARE(voice::Pronunciations::fromLetters("quorp"), QString("K W AO R P"));
        QCOMPARE(voice::nameWords(QString::fromUtf8("Café  Olé\u2019s, \"No. 7\"")), QString("cafe ole's no 7"));
        QCOMPARE(voice::nameVariants("The Dace D"), QStringList({"the dace d", "dace d"}));
        QVERIFY(!voice::grammar({"Kelpo"}).contains("sea breeze"));
        QVERIFY(voice::grammar(names).contains("sea breeze"));
    }

    // The radio's speech band: a 1 kHz tone passes, 100 Hz and 6 kHz are cut; the squelch tail
    // follows the speech; the hiss is the seed's.
    void radioSound() {
        const int n = 16000;
        auto level = [n](double hz) {
            const std::vector<qint16> out = voice::radioSound(tone(hz, n), 7);
            return rms(out, 4000, 12000);
        };
        const double pass = level(1000);
        QVERIFY(pass > 5000);
        QVERIFY(level(100) < pass / 10);
        QVERIFY(level(6000) < pass / 10);

        const std::vector<qint16> a = voice::radioSound(tone(1000, n), 1);
        QVERIFY(a.size() > size_t(n) + 16000 / 10);  // the tail: over a tenth of a second
        QVERIFY(rms(a, a.size() - 2000, a.size()) > 50);  // hiss, not silence, after the speech
        QVERIFY(a == voice::radioSound(tone(1000, n), 1));
        QVERIFY(a != voice::radioSound(tone(1000, n), 2));

        const std::vector<qint16> both = voice::doubleSound(tone(800, n), tone(1200, n / 2), 3);
        QVERIFY(both.size() > size_t(n));
    }
};

QTEST_GUILESS_MAIN(VoiceTest)
#include "tst_voice.moc"
