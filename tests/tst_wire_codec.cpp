// The wire: DSC calls to characters, bits and audio and back, the faults the decoder names,
// WAV files, the NMEA sentences, and Debian's minimodem reading our audio bit for bit.
#include "dscwire/Codec.h"
#include "dscwire/Message.h"
#include "dscwire/Nmea.h"
#include "dscwire/Wav.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <random>

using namespace dscwire;

Q_DECLARE_METATYPE(dscwire::Message)
Q_DECLARE_METATYPE(dscwire::Samples)

namespace {

const QString kOwn = QStringLiteral("316123456");
const QString kOther = QStringLiteral("366987650");

Position trainerPosition() { return *Position::fromTrainerText(QStringLiteral("L42°21.0'N  Lo070°55.7'W")); }

// One call of every kind the trainer sends, on positions without extra decimals (they do not
// travel on the air).
QList<std::pair<const char*, Message>> everyKind() {
    const Message alert = Message::distressAlert(kOther, 105, Position::of(3, 12, 5, 7, 59), QTime(9, 3));
    const Message routine = Message::individual(kOther, code::kRoutine, kOwn, 72);
    const Message request = Message::positionRequest(kOther, kOwn);
    const Message poll = Message::polling(kOther, kOwn);
    return {
        {"distress alert", Message::distressAlert(kOwn, 100, Position::of(1, 42, 21, 70, 55), QTime(14, 32))},
        {"distress alert, position and time unknown", Message::distressAlert(kOwn, 107, Position::unknown(), QTime())},
        {"distress acknowledgement", Message::distressAcknowledgement(kOwn, alert)},
        {"all ships urgency", Message::allShips(code::kUrgency, kOwn, 16)},
        {"all ships safety", Message::allShips(code::kSafety, kOwn, 6)},
        {"individual routine", routine},
        {"able to comply", Message::ableToComply(routine, kOther)},
        {"unable to comply", Message::unableToComply(routine, kOther, 102)},
        {"group call", Message::groupCall(QStringLiteral("036612345"), code::kRoutine, kOwn, 69)},
        {"position request", request},
        {"position reply", Message::positionReply(request, kOther, Position::of(0, 1, 2, 103, 4), QTime(23, 59))},
        {"polling", poll},
        {"polling reply", Message::pollingReply(poll, kOther)},
        {"test call", Message::testCall(kOther, kOwn)},
    };
}

void kindsTable() {
    QTest::addColumn<Message>("message");
    for (const auto& [name, m] : everyKind()) QTest::newRow(name) << m;
}

QList<int> symbolsOf(const Message& m) {
    const auto s = toSymbols(m);
    if (!s.ok()) qFatal("cannot encode: %s", qPrintable(s.error()));
    return s.value();
}

// Bits of a hand-made on-air sequence, dot pattern in front.
Bits bitsOf(const QList<int>& air) {
    Bits b = frameBits({}).left(kDotBits);
    for (int s : air) b += characterBits(s);
    return b;
}

// White Gaussian noise at the given SNR (signal power over noise power), fixed seed.
Samples withNoise(const Samples& clean, double snrDb, unsigned seed, qsizetype lead, qsizetype tail) {
    double power = 0;
    for (qint16 s : clean) power += double(s) * s;
    power /= std::max<qsizetype>(1, clean.size());
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, std::sqrt(power / std::pow(10.0, snrDb / 10)));
    Samples out;
    for (qsizetype i = 0; i < lead + clean.size() + tail; ++i) {
        const double x = (i >= lead && i < lead + clean.size() ? clean[i - lead] : 0) + noise(rng);
        out << qint16(std::clamp(std::lround(x), -32768L, 32767L));
    }
    return out;
}

QByteArray wavWithHeader(int offset, quint16 value) {
    QByteArray w = toWav(Samples(100, 0));
    qToLittleEndian(value, w.data() + offset);
    return w;
}

} // namespace

class TestWire : public QObject {
    Q_OBJECT

private slots:
    void eccOfTheRecordedTestCall() {
        const QList<int> s = symbolsOf(Message::testCall(QStringLiteral("002241022"), QStringLiteral("241348000")));
        QCOMPARE(s, (QList<int>{120, 120, 0, 22, 41, 2, 20, 108, 24, 13, 48, 0, 0, 118, 126,
                                126, 126, 126, 126, 126, 126, 117}));
        QCOMPARE(errorCheck(s), 101);
    }

    void ownDistressAlertCharacterByCharacter() {
        const Message m = Message::distressAlert(kOwn, *natureFromText(QStringLiteral("Fire")), trainerPosition(), QTime(14, 32));
        const QList<int> s = symbolsOf(m);
        QCOMPARE(symbolLine(s), QStringLiteral("112 112 31 61 23 45 60 100 14 22 10 70 55 14 32 100 127"));
        QCOMPARE(describe(m), QStringLiteral("Distress alert, from 316123456, nature: Fire, position 42°21'N 070°55'W, "
                                             "time 14:32 UTC, subsequent communications: telephony, ends 127"));
        // ECC worked out by hand: 112^31^61^23^45^60^100^14^22^10^70^55^14^32^100^127 = 102.
        const QList<int> air = onAir(s);
        QCOMPARE(symbolLine(air.mid(0, 16)), QStringLiteral("125 111 125 110 125 109 125 108 125 107 125 106 112 105 112 104"));
        QCOMPARE(symbolLine(air.mid(16, 4)), QStringLiteral("31 112 61 112"));  // RX five slots behind DX
        QCOMPARE(symbolLine(air.mid(air.size() - 8)), QStringLiteral("127 32 102 100 127 127 127 102"));
        QCOMPARE(frameBits(s).size(), 540);
        QCOMPARE(frameBits(s).left(30), Bits("10101010101010101010") + characterBits(125));
    }

    void characterTable_data() {
        QTest::addColumn<int>("symbol");
        QTest::addColumn<QByteArray>("bits");
        QTest::newRow("0") << 0 << QByteArray("0000000111");
        QTest::newRow("127") << 127 << QByteArray("1111111000");
        QTest::newRow("125") << 125 << QByteArray("1011111001");
        QTest::newRow("111") << 111 << QByteArray("1111011001");
        QTest::newRow("117") << 117 << QByteArray("1010111010");
        QTest::newRow("122") << 122 << QByteArray("0101111010");
        QTest::newRow("126") << 126 << QByteArray("0111111001");
    }
    void characterTable() {
        QFETCH(int, symbol);
        QFETCH(QByteArray, bits);
        QCOMPARE(characterBits(symbol), bits);
        QCOMPARE(characterFromBits(bits.constData()), symbol);
        for (int k = 0; k < 10; ++k) {  // any one wrong bit is seen
            QByteArray bad = bits;
            bad[k] = bad[k] == '1' ? '0' : '1';
            QCOMPARE(characterFromBits(bad.constData()), -1);
        }
    }

    void natureWords() {
        const QStringList words{"Undesignated", "MOB", "Sinking", "Listing", "Fire", "Piracy", "Explosion",
                                "Flooding", "Collision", "Grounding", "Capsizing", "Adrift", "Abandoning"};
        const QList<int> codes{107, 110, 105, 104, 100, 109, 100, 101, 102, 103, 104, 106, 108};
        for (int i = 0; i < words.size(); ++i) {
            QCOMPARE(natureFromText(words[i]), std::optional<int>(codes[i]));
            QCOMPARE(natureFromText(natureText(codes[i])), std::optional<int>(codes[i]));
        }
        QCOMPARE(natureFromText(QStringLiteral("Seasick")), std::nullopt);
    }

    void roundTrip_data() { kindsTable(); }
    void roundTrip() {
        QFETCH(Message, message);
        const QList<int> s = symbolsOf(message);
        QCOMPARE(fromSymbols(s).value(), message);
        const Bits bits = frameBits(s);
        QCOMPARE(bits.size(), 20 * (s.size() - 1) + 220);
        QCOMPARE(decodeBits(bits).message, std::optional<Message>(message));
        const auto audio = encodeAudio(message);
        QVERIFY(audio.ok());
        QCOMPARE(audio.value().size(), bits.size() * kSamplesPerBit);
        const Decoded d = decodeAudio(audio.value());
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(*d.message, message);
        QCOMPARE(d.symbols, s);
    }

    void decodesAt12dBSnr_data() { kindsTable(); }
    void decodesAt12dBSnr() {
        QFETCH(Message, message);
        // Noise before and after, and a start that is not on a bit boundary.
        const Samples noisy = withNoise(encodeAudio(message).value(), 12.0, 4711, 4803, 2400);
        const Decoded d = decodeAudio(noisy);
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(*d.message, message);
        QVERIFY(std::abs(d.atSample - (4803 + kDotBits * kSamplesPerBit)) <= 2);
    }

    void findsEveryCallInALongRecording() {
        Samples all;
        QList<Message> sent;
        for (const auto& [name, m] : everyKind()) {
            all += Samples(1000 + 37 * sent.size(), 0);
            all += encodeAudio(m).value();
            sent << m;
        }
        const QList<Decoded> found = decodeAll(withNoise(all, 12.0, 99, 0, 500));
        QCOMPARE(found.size(), sent.size());
        for (int i = 0; i < sent.size(); ++i) QCOMPARE(found[i].message, std::optional<Message>(sent[i]));
    }

    void badInputsAreNamed_data() {
        QTest::addColumn<Samples>("audio");
        QTest::addColumn<QString>("error");
        const QList<int> s = symbolsOf(Message::individual(kOther, code::kRoutine, kOwn, 72));
        const Bits good = frameBits(s);

        std::mt19937 rng(7);
        Bits noiseBits;
        for (int i = 0; i < 2000; ++i) noiseBits += rng() & 1 ? '1' : '0';
        QTest::newRow("random bits") << modulate(noiseBits) << "no dot pattern / phasing found";
        QTest::newRow("silence") << Samples(48000, 0) << "no dot pattern / phasing found";
        QTest::newRow("a few samples") << Samples(10, 1000) << "no dot pattern / phasing found";
        QTest::newRow("truncated frame") << modulate(good.left(405)) << "truncated after 13 symbols";

        Bits broken = good;  // the same bit of characters 7 and 9 in both their copies: no one can tell
        for (int j : {7, 9}) {
            broken[kDotBits + 10 * (2 * (6 + j)) + 3] ^= 1;
            broken[kDotBits + 10 * (2 * (8 + j) + 1) + 3] ^= 1;
        }
        QTest::newRow("two characters broken in both copies")
            << modulate(broken) << "character 7: check bits do not match in DX and RX copies";

        QList<int> air = onAir(s);  // its ECC, worked out by hand, is 32: the last RX and sixth-last DX
        air[air.size() - 1] = air[air.size() - 6] = 99;
        QTest::newRow("wrong ECC") << modulate(bitsOf(air)) << "ECC mismatch: computed 32, received 99";

        QList<int> unknown = s;
        unknown[0] = unknown[1] = 99;
        QTest::newRow("unknown format") << modulate(frameBits(unknown)) << "unknown format specifier 99";
        QList<int> category = s;
        category[7] = 101;
        QTest::newRow("unknown category") << modulate(frameBits(category)) << "unknown category 101";
        QList<int> longer = s;
        longer.insert(14, 126);
        QTest::newRow("wrong length") << modulate(frameBits(longer))
                                      << "format 120 call has 23 characters, expected 22";
    }
    void badInputsAreNamed() {
        QFETCH(Samples, audio);
        QFETCH(QString, error);
        const Decoded d = decodeAudio(audio);
        QVERIFY(!d.ok());
        QCOMPARE(d.error, error);
    }

    // What one copy lost the other gives; a character lost in both is set right by the
    // error-check character when it alone is in doubt.
    void setsRightDamagedCharacters() {
        const Message m = Message::individual(kOther, code::kRoutine, kOwn, 72);
        const Bits good = frameBits(symbolsOf(m));
        Bits twoCopies = good;
        twoCopies[kDotBits + 10 * (2 * (6 + 7)) + 3] ^= 1;
        twoCopies[kDotBits + 10 * (2 * (8 + 7) + 1) + 5] ^= 1;
        Bits both = good;
        both[kDotBits + 10 * (2 * (6 + 9)) + 2] ^= 1;
        both[kDotBits + 10 * (2 * (8 + 9) + 1) + 2] ^= 1;
        for (const Bits& bits : {twoCopies, both}) {
            const Decoded d = decodeAudio(modulate(bits));
            QVERIFY2(d.ok(), qPrintable(d.error));
            QCOMPARE(*d.message, m);
        }
    }

    void wavRoundTrip() {
        const Samples audio = encodeAudio(Message::polling(kOther, kOwn)).value();
        const QByteArray w = toWav(audio);
        QCOMPARE(w.size(), 44 + 2 * audio.size());
        QCOMPARE(fromWav(w).value(), audio);
    }

    void wavOfAnotherKind_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QByteArray rate = toWav(Samples(100, 0));
        qToLittleEndian<quint32>(44100, rate.data() + 24);
        QTest::newRow("44.1 kHz") << rate << "WAV sample rate is 44100 Hz; 48000 Hz is needed";
        QTest::newRow("stereo") << wavWithHeader(22, 2) << "WAV has 2 channels; mono is needed";
        QTest::newRow("8-bit") << wavWithHeader(34, 8) << "WAV has 8-bit samples; 16-bit is needed";
        QTest::newRow("float") << wavWithHeader(20, 3) << "WAV holds floating-point samples; 16-bit PCM is needed";
        QTest::newRow("not RIFF") << QByteArray("ID3\x03 this is an mp3") << "not a WAV file (no RIFF/WAVE header)";
        QTest::newRow("truncated") << toWav(Samples(100, 0)).left(144) << "WAV is truncated: 100 of 200 data bytes present";
        QTest::newRow("no data") << toWav({}).left(36) << "WAV is truncated: no data chunk";
    }
    void wavOfAnotherKind() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const auto r = fromWav(bytes);
        QVERIFY(!r.ok());
        QCOMPARE(r.error(), error);
    }

    void nmeaAsRadiosSendIt() {
        // A received distress alert, with the extra decimals the plotter gets in $CDDSE.
        Position p = Position::of(1, 42, 31, 83, 12);
        p.latMinFrac = 4589;
        p.lonMinFrac = 4494;
        const Message alert = Message::distressAlert(QStringLiteral("338040079"), 106, p, QTime(20, 19));
        QCOMPARE(nmeaSentences(alert), (QStringList{"$CDDSC,12,3380400790,12,06,00,1423108312,2019,,,S,E*6A\r\n",
                                                    "$CDDSE,1,1,A,3380400790,00,45894494*1B\r\n"}));
        Position q = Position::of(1, 39, 48, 74, 10);
        q.latMinFrac = q.lonMinFrac = 0;
        const Message reply = Message::positionReply(Message::positionRequest(QStringLiteral("338021004"), kOwn),
                                                     QStringLiteral("338021004"), q, QTime(22, 31));
        QCOMPARE(nmeaSentences(reply).first(), QStringLiteral("$CDDSC,20,3380210040,00,21,26,1394807410,2231,,,B,E*75\r\n"));
        // Without extra decimals there is no expansion; fields 8 and 9 only on behalf of another.
        const Message ack = Message::distressAcknowledgement(kOther, Message::distressAlert(kOwn, 110, Position::unknown(), QTime()));
        QCOMPARE(nmeaSentences(ack), QStringList{"$CDDSC,16,3669876500,12,10,00,9999999999,8888,3161234560,10,S,*2D\r\n"});
        QCOMPARE(nmeaSentences(Message::allShips(code::kSafety, kOther, 16)),
                 QStringList{"$CDDSC,16,3669876500,08,00,26,900016,,,,S,*2F\r\n"});
    }

    // Debian's minimodem demodulates our WAV files; from the phasing on, its bits are ours.
    void minimodemReadsOurBits_data() { kindsTable(); }
    void minimodemReadsOurBits() {
        QFETCH(Message, message);
        const QString minimodem = QStandardPaths::findExecutable(QStringLiteral("minimodem"));
        QVERIFY2(!minimodem.isEmpty(), "minimodem is not on PATH: run scripts/install-deps");
        QTemporaryDir dir;
        const QString wav = dir.filePath(QStringLiteral("call.wav"));
        const Bits sent = frameBits(symbolsOf(message));
        // minimodem hands out only whole 10-bit groups: a few dots after the call push out its last bits.
        QVERIFY(writeWavFile(wav, encodeAudio(message).value() + modulate(Bits("10101010101010101010"))));
        QProcess p;
        p.start(minimodem, {"--rx", "-f", wav, "-M", "1300", "-S", "2100", "--startbits", "0", "--stopbits", "0",
                            "--binary-raw", "10", "1200"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        Bits heard;
        for (char c : p.readAllStandardOutput())
            if (c == '0' || c == '1') heard += c;
        const Bits phasing = characterBits(125) + characterBits(111);
        const auto at = heard.indexOf(phasing), ours = sent.indexOf(phasing);
        QCOMPARE(ours, qsizetype(kDotBits));
        QVERIFY2(at >= 0, heard.constData());
        QCOMPARE(heard.mid(at, sent.size() - ours), sent.mid(ours));
    }
};

QTEST_APPLESS_MAIN(TestWire)
#include "tst_wire_codec.moc"
