// Voice between the trainers of a class, through a private Mosquitto broker on loopback, without
// windows: each station is its air, its link and the class's voice between them. What one says
// reaches the others frame by frame and whole with its words; two at once make a double; voice
// that is malformed, oversized, spoofed or replayed is dropped and logged once per sender; a broker
// restart or a station leaving ends a transmission on every side.
#include "air/Air.h"
#include "classroom/ClassVoice.h"
#include "classroom/Link.h"
#include "classroom/MqttClient.h"
#include "classroom/ClassTools.h"
#include "classroom/TestBroker.h"
#include "classroom/Topics.h"
#include "platform/Opus.h"
#include "platform/RealClock.h"
#include "voice/Synthesizer.h"

#include <QTest>

#include <cmath>

using namespace classroom;

namespace {

constexpr int kWait = 30000;  // generous: the machine may be busy with other work
const QString kClass = QStringLiteral("harbour");

QAtomicInt& voiceWarnings = classtools::ClassWarnings::count();
using classtools::likeness;

// A trainer of the class, as far as voice goes: what reached its air, live and whole.
struct Trainer {
    Trainer(quint16 port, const QString& mmsi, const QString& name)
        : air(clock, [mmsi] { return mmsi; }), link(classtools::onLoopback(port, mmsi, name, kClass)) {
        link.setBackoff(100, 800);
        voice = std::make_unique<ClassVoice>(air, link, clock);
        voice->hears = [this](const QString& channel) { return channel == tunedTo; };
        air.subscribeLive([this](const air::LiveEvent& e) {
            if (e.voice.local) return;
            if (e.kind == air::LiveEvent::Keyed) ++keyed;
            if (e.kind == air::LiveEvent::Unkeyed) ++unkeyed;
            if (e.kind == air::LiveEvent::Frame) ++frames;
        });
        air.subscribeVoice([this](const air::VoiceTransmission& t) {
            if (!t.fromOwnRadio && t.fromMmsi != link.settings().mmsi) heard.push_back(t);
        });
        link.start();
    }
    // Online, and its subscriptions in place at the broker: its own status, sent after them, is back.
    bool online() const {
        const QList<StationStatus> all = link.stations();
        return link.state() == LinkState::Online && std::any_of(all.begin(), all.end(), [this](const StationStatus& s) {
                   return s.mmsi == link.settings().mmsi && s.online && s.instance == link.instance();
               });
    }
    bool onAir() const { return keyed > unkeyed; }

    // Keys on the channel and says `speech` frame by frame; returns the live transmission.
    quint64 say(const QString& channel, const std::vector<qint16>& speech, bool unkey = true) {
        const quint64 id = air.key({0, channel, link.settings().mmsi, link.settings().vesselName, true});
        sayMore(id, speech, 0);
        if (unkey) air.unkey(id);
        return id;
    }
    void sayMore(quint64 id, const std::vector<qint16>& speech, int from) {
        for (size_t at = 0, n = size_t(from); at + air::kFrameSamples <= speech.size(); at += air::kFrameSamples, ++n)
            air.frame(id, int(n), speech.data() + at);
    }
    // The whole transmission, recognised as `words`.
    void spoken(quint64 id, const QString& channel, const QString& words, const std::vector<qint16>& speech) {
        air::VoiceTransmission t;
        t.channel = channel;
        t.fromMmsi = link.settings().mmsi;
        t.fromName = link.settings().vesselName;
        t.fromOwnRadio = true;
        t.audio = speech;
        t.words = words;
        t.procedure = QStringLiteral("mayday");
        t.verdicts = {{QStringLiteral("mayday-count"), true, QStringLiteral("MAYDAY said three times")}};
        t.liveId = id;
        air.speak(std::move(t));
    }

    platform::RealClock clock;
    air::Air air;
    Link link;
    std::unique_ptr<ClassVoice> voice;
    QString tunedTo = QStringLiteral("16");
    int keyed = 0, unkeyed = 0, frames = 0;
    std::vector<air::VoiceTransmission> heard;
};

// Speech of whole frames, synthesized by flite.
const std::vector<qint16>& mayday() {
    static const std::vector<qint16> speech = [] {
        std::vector<qint16> s = voice::Synthesizer().speak(QStringLiteral("Mayday, Mayday, Mayday. This is Sea Breeze."),
                                                           QStringLiteral("rms"));
        s.resize(s.size() / air::kFrameSamples * air::kFrameSamples);
        return s;
    }();
    return speech;
}

QByteArray frameOf(const QString& sender, quint64 transmission, quint32 number, const QByteArray& packet) {
    VoiceMessage m;
    m.sender = sender;
    m.transmission = transmission;
    m.number = number;
    m.packet = packet;
    return encodeVoice(m);
}

} // namespace

class TestClassroomVoice : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        classtools::ClassWarnings::install();
        if (TestBroker::program(QStringLiteral("mosquitto")).isEmpty()) QFAIL("mosquitto is not installed");
        if (!platform::opus::unavailable().isEmpty()) QFAIL(qPrintable(platform::opus::unavailable()));
        QVERIFY(!mayday().empty());
    }

    // What may come on a voice topic, checked before anything of it is used.
    void messages_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("error");  // empty: accepted
        const QByteArray good = frameOf("316000001", 7, 3, "\x08\x01\x02");
        VoiceMessage t;
        t.kind = VoiceMessage::Transcript;
        t.sender = "316000001";
        t.channel = "16";
        t.words = "mayday";
        const QByteArray transcript = encodeVoice(t);
        VoiceMessage heard = t;
        heard.words = "mayday kelpo";
        heard.verdicts = {{"own-name", true, "own name: kelpo"}, {"position", false, "position not heard clearly", true}};
        heard.confidence = {0.97f, 0.41f};
        const QByteArray unclear = encodeVoice(heard);
        QTest::newRow("a frame") << good << "";
        QTest::newRow("a transcript") << transcript << "";
        QTest::newRow("a transcript with an element unclear") << unclear << "";
        QTest::newRow("damaged confidences") << QByteArray(unclear).replace("0.41", "1.41") << "a transcript with a damaged confidence";
        QTest::newRow("too short") << good.left(20) << "voice payload of 20 bytes is too short";
        QTest::newRow("not voice") << QByteArray(good).replace(0, 1, "X") << "not a voice payload";
        QTest::newRow("a newer version") << QByteArray(good).replace(1, 1, "\x02") << "voice version 2, not 1";
        QTest::newRow("an unknown kind") << QByteArray(good).replace(2, 1, "Q") << "unknown voice message kind 81";
        QTest::newRow("oversized") << good + QByteArray(1400, 'x') << "voice payload of 1428 bytes is over 1300";
        QTest::newRow("another sender") << frameOf("316000002", 7, 3, "\x08") << "sender 316000002 on the topic of 316000001";
        QTest::newRow("no sound") << frameOf("316000001", 7, 3, {}) << "a frame without sound";
        QTest::newRow("damaged words") << QByteArray(transcript).replace("\"words\"", "\"wor\x01ds") << "a transcript that is not a JSON object";
    }
    void messages() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, error);
        const auto m = decodeVoice(payload, QStringLiteral("316000001"));
        QCOMPARE(m.ok() ? QString() : m.error(), error);
        if (m.ok()) QCOMPARE(encodeVoice(m.value()), payload);
        // What was not heard clearly arrives so, each word with its confidence.
        if (m.ok() && m.value().words == "mayday kelpo") {
            QVERIFY(m.value().verdicts.size() == 2 && !m.value().verdicts[0].unclear && m.value().verdicts[1].unclear);
            QCOMPARE(m.value().confidence, std::vector<float>({0.97f, 0.41f}));
        }
    }

    // One speaks on 16: a classmate hears every frame as it comes and then the whole of it, with
    // the words its trainer recognised; the sound matches what was said. Another on 22A has it
    // in its log, not heard.
    void aTransmissionReachesTheClass() {
        TestBroker broker;
        QVERIFY(broker.start());
        Trainer sea(broker.port(), "316000001", "Sea Breeze"), wave(broker.port(), "316000002", "Wave Dancer"),
            star(broker.port(), "316000003", "Northern Star");
        star.tunedTo = "22A";
        QVERIFY(QTest::qWaitFor([&] { return sea.online() && wave.online() && star.online(); }, kWait));
        const quint64 id = sea.say("16", mayday());
        sea.spoken(id, "16", "mayday mayday mayday this is sea breeze", mayday());
        QVERIFY(QTest::qWaitFor([&] { return wave.heard.size() == 1 && star.heard.size() == 1; }, kWait));
        const int frames = int(mayday().size()) / air::kFrameSamples;
        QCOMPARE(wave.keyed, 1);
        QCOMPARE(wave.unkeyed, 1);
        QCOMPARE(wave.frames, frames);
        const air::VoiceTransmission& t = wave.heard[0];
        QCOMPARE(t.fromName, QString("Sea Breeze"));
        QCOMPARE(t.channel, QString("16"));
        QCOMPARE(t.words, QString("mayday mayday mayday this is sea breeze"));
        QCOMPARE(t.verdicts.size(), 1);
        QCOMPARE(t.framesSent, frames);
        QCOMPARE(t.framesReceived, frames);
        QVERIFY(t.heardByOwnRadio && t.heardLive && !t.doubled && !t.cut);
        const double like = likeness(t.audio, mayday());
        QVERIFY2(like > 0.95, qPrintable(QString::number(like)));
        QVERIFY(!star.heard[0].heardByOwnRadio);
        QCOMPARE(star.heard[0].framesReceived, frames);
    }

    // Two stations keying on 16 at once: a third hears both, and both are marked a double there.
    void twoAtOnceMakeADouble() {
        TestBroker broker;
        QVERIFY(broker.start());
        Trainer sea(broker.port(), "316000001", "Sea Breeze"), wave(broker.port(), "316000002", "Wave Dancer"),
            star(broker.port(), "316000003", "Northern Star");
        QVERIFY(QTest::qWaitFor([&] { return sea.online() && wave.online() && star.online(); }, kWait));
        const quint64 a = sea.say("16", mayday(), false);
        const quint64 b = wave.say("16", mayday(), false);
        QVERIFY(QTest::qWaitFor([&] { return star.keyed == 2; }, kWait));
        sea.air.unkey(a);
        wave.air.unkey(b);
        sea.spoken(a, "16", "mayday", mayday());
        wave.spoken(b, "16", "mayday", mayday());
        QVERIFY(QTest::qWaitFor([&] { return star.heard.size() == 2; }, kWait));
        QVERIFY(star.heard[0].doubled && star.heard[1].doubled);
    }

    // Voice that must not reach the air: each sender's is logged once, and its good voice after
    // it still comes through.
    void badVoiceIsDropped() {
        TestBroker broker;
        QVERIFY(broker.start());
        Trainer wave(broker.port(), "316000002", "Wave Dancer");
        MqttClient raw(MqttClient::Options{QStringLiteral("rogue"), true});
        raw.connectTo(QStringLiteral("127.0.0.1"), broker.port());
        QVERIFY(QTest::qWaitFor([&] { return wave.online() && raw.isConnected(); }, kWait));
        const QString rogue = "316000021", topic = topics::voice(kClass, "16", rogue);
        platform::opus::Encoder encoder;
        const QByteArray packet = encoder.encode(mayday().data());
        const QByteArray bad[] = {
            QByteArrayLiteral("{\"v\":1}"),                               // not voice at all
            frameOf(rogue, 5, 0, QByteArray(2000, '\x08')),               // oversized
            frameOf("316000022", 5, 0, packet),                           // spoofed: another's voice on the rogue's topic
            frameOf(rogue, 5, 0, QByteArray::fromHex("000102")),          // a 10 ms packet, not one of ours
        };
        const int before = voiceWarnings.loadRelaxed();
        for (const QByteArray& payload : bad) raw.publish(topic, payload, 1, false);
        raw.publish(topics::voice(kClass, "16", "316000023"), QByteArrayLiteral("V"), 1, false);
        // Then good frames, one of them twice (a replay).
        for (quint32 n = 0; n < 5; ++n) raw.publish(topic, frameOf(rogue, 6, n, encoder.encode(mayday().data() + n * air::kFrameSamples)), 1, false);
        raw.publish(topic, frameOf(rogue, 6, 2, packet), 1, false);
        QVERIFY(QTest::qWaitFor([&] { return wave.frames == 5; }, kWait));
        // One more good frame: once it is in, everything before it has been dealt with.
        raw.publish(topic, frameOf(rogue, 6, 5, packet), 1, false);
        QVERIFY(QTest::qWaitFor([&] { return wave.frames == 6; }, kWait));
        QCOMPARE(wave.keyed, 1);
        QCOMPARE(voiceWarnings.loadRelaxed() - before, 2);  // the rogue, and the station that sent a scrap
        QVERIFY(wave.online());
    }

    // The broker restarts while a station is talking: the transmission ends on every side, with
    // what came of it and its words; the next one goes through whole.
    void brokerRestartEndsATransmission() {
        TestBroker broker({}, true);
        QVERIFY(broker.start());
        Trainer sea(broker.port(), "316000001", "Sea Breeze"), wave(broker.port(), "316000002", "Wave Dancer");
        QVERIFY(QTest::qWaitFor([&] { return sea.online() && wave.online(); }, kWait));
        const std::vector<qint16>& speech = mayday();
        const std::vector<qint16> half(speech.begin(), speech.begin() + qsizetype(speech.size() / 2 / air::kFrameSamples * air::kFrameSamples));
        const quint64 first = sea.say("16", half, false);
        QVERIFY(QTest::qWaitFor([&] { return wave.onAir() && wave.frames == int(half.size()) / air::kFrameSamples; }, kWait));
        broker.stop();
        QVERIFY(QTest::qWaitFor([&] { return !wave.onAir() && sea.link.state() == LinkState::Offline; }, kWait));
        sea.sayMore(first, half, int(half.size()) / air::kFrameSamples);  // said while the class cannot hear
        sea.air.unkey(first);
        sea.spoken(first, "16", "mayday", speech);
        QVERIFY(broker.start());
        QVERIFY(QTest::qWaitFor([&] { return wave.heard.size() == 1; }, kWait));
        QVERIFY(wave.heard[0].cut);
        QCOMPARE(wave.heard[0].framesReceived, int(half.size()) / air::kFrameSamples);
        QCOMPARE(wave.heard[0].words, QString("mayday"));

        QVERIFY(QTest::qWaitFor([&] { return sea.online() && wave.online(); }, kWait));
        const quint64 next = sea.say("16", speech);
        sea.spoken(next, "16", "mayday mayday mayday", speech);
        QVERIFY(QTest::qWaitFor([&] { return wave.heard.size() == 2; }, kWait));
        QCOMPARE(wave.heard[1].framesReceived, int(speech.size()) / air::kFrameSamples);
        QVERIFY(!wave.heard[1].cut);
    }

    // A station that leaves while it talks, and one that falls silent (its trainer or link gone
    // without a word): either is off the air for the class.
    void aStationGoneWhileTalking_data() {
        QTest::addColumn<bool>("leaves");
        QTest::newRow("leaves the class") << true;
        QTest::newRow("falls silent") << false;
    }
    void aStationGoneWhileTalking() {
        QFETCH(bool, leaves);
        TestBroker broker;
        QVERIFY(broker.start());
        auto sea = std::make_unique<Trainer>(broker.port(), "316000001", "Sea Breeze");
        Trainer wave(broker.port(), "316000002", "Wave Dancer");
        QVERIFY(QTest::qWaitFor([&] { return sea->online() && wave.online(); }, kWait));
        sea->say("16", mayday(), false);
        QVERIFY(QTest::qWaitFor([&] { return wave.onAir(); }, kWait));
        if (leaves) sea.reset();
        QVERIFY(QTest::qWaitFor([&] { return !wave.onAir(); }, kWait));
        QCOMPARE(wave.unkeyed, 1);
    }
};

QTEST_GUILESS_MAIN(TestClassroomVoice)
#include "tst_classroom_voice.moc"
