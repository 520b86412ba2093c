// The talk key: when the radio may send voice, what a transmission carries (whole, and frame by
// frame while it is said), the transmit time-out, a microphone that cannot be opened, the model
// stations heard on their channel only, and the loudspeaker for voices heard while they are said:
// on the radio's channel or the one listened to, nothing while transmitting, doubles.
#include "air/Air.h"
#include "app/Talk.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/AudioFile.h"
#include "stations/StationVoices.h"
#include "voice/Phrases.h"
#include "voice/Synthesizer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

namespace {

// The answer to the command just written to a trainer run with --control.
QJsonObject answer(QProcess& trainer) {
    while (!trainer.canReadLine())
        if (!trainer.waitForReadyRead(120000)) qFatal("the trainer gave no answer");
    return QJsonDocument::fromJson(trainer.readLine()).object();
}

} // namespace

class TalkTest : public QObject {
    Q_OBJECT
private slots:
    void init() { mic_ = nullptr; }

    // Nothing goes out, and the status line says why.
    void refusals_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("status");
        QTest::newRow("weather channel") << "weather" << "Weather channel: receive only";
        QTest::newRow("a DSC call going out") << "calling" << "DSC call going out: no voice";
        QTest::newRow("radio switched off") << "off" << "Radio off: no voice";
    }
    void refusals() {
        QFETCH(QString, situation);
        QFETCH(QString, status);
        Harness h;
        speaking(h, 3.0);
        if (situation == "weather") h.click("cmdCHWX");
        if (situation == "off") h.click("cmdOnOff");
        if (situation == "calling") {
            // A routine call to The Blue Crane; the key is pressed while its burst goes out.
            h.click("cmdCall");
            h.chooseItem("lstCall", "Routine");
            h.chooseItem("lstDirectory", QStringLiteral("The Blue Crane            366232323"));
            QString said;
            h.after(1500, [&] {
                h.hold("cmdTalk", 1000);
                said = h.text("lblStatus");
            });
            h.click("cmdEnter");
            QCOMPARE(said, status);
        } else {
            h.hold("cmdTalk", 1000);
            QCOMPARE(h.text("lblStatus"), status);
        }
        h.c().talk->waitIdle();
        QVERIFY(h.c().air->voiceLog().empty());
        QCOMPARE(mic_->starts, 0);
    }

    // Held with the mouse, or with F9 (a key repeating as it is held is one transmission): the
    // channel and power shown, the TX lamp lit meanwhile, and the sound of every held millisecond.
    void aTransmission_data() {
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("mouse") << false;
        QTest::newRow("F9") << true;
    }
    void aTransmission() {
        QFETCH(bool, keyboard);
        Harness h;
        speaking(h, 5.0);
        h.click("cmdHiLow");
        bool lampLit = false;
        h.after(1000, [&] { lampLit = h.visible("lblTX"); });
        if (keyboard) h.holdKey("cmdMenu", Qt::Key_F9, 2000, 100);
        else h.hold("cmdTalk", 2000);
        QVERIFY(lampLit);
        QVERIFY(!h.visible("lblTX"));
        h.c().talk->waitIdle();
        const auto& log = h.c().air->voiceLog();
        QCOMPARE(log.size(), size_t(1));
        // While it was said it went on the air in frames of 20 ms, as the microphone heard them,
        // numbered from 0, the key coming up after the last.
        QCOMPARE(live_.keyed, 1);
        QCOMPARE(live_.unkeyedAfter, 100);
        QCOMPARE(live_.frames.size(), size_t(100 * air::kFrameSamples));
        QVERIFY(std::equal(live_.frames.begin(), live_.frames.end(), log[0].audio.begin()));
        QCOMPARE(log[0].liveId, live_.id);
        QCOMPARE(log[0].channel, QString("16"));
        QCOMPARE(log[0].power, QString("1W"));
        QCOMPARE(log[0].fromMmsi, QString("316123456"));
        QVERIFY(log[0].fromOwnRadio);
        QCOMPARE(log[0].durationMs(), qint64(2000));
        QCOMPARE(mic_->starts, 1);
    }

    void heldFiveMinutesIsCut() {
        Harness h;
        speaking(h, 0);
        h.hold("cmdTalk", 6 * 60 * 1000);
        h.c().talk->waitIdle();
        QCOMPARE(h.text("lblStatus"), QString("Transmit time-out"));
        QCOMPARE(h.c().air->voiceLog().size(), size_t(1));
        QVERIFY(!h.visible("lblTX"));
    }

    void noMicrophoneIsToldOnce() {
        Harness h;
        speaking(h, 1.0);
        mic_->problem = "no sound server";
        h.hold("cmdTalk", 1000);
        h.hold("cmdTalk", 1000);
        QCOMPARE(h.messages.texts(),
                 QStringList{"The microphone cannot be used: no sound server. The radio works on without voice."});
        QCOMPARE(h.text("lblStatus"), QString("No microphone"));
        QVERIFY(h.c().air->voiceLog().empty());
    }

    // The coast station's spoken acknowledgement of the own distress alert goes out on 16: the
    // own radio hears it there, and not on another channel.
    void coastStationHeardOnItsChannel_data() {
        QTest::addColumn<bool>("stayOn16");
        QTest::newRow("on 16") << true;
        QTest::newRow("on 20") << false;
    }
    void coastStationHeardOnItsChannel() {
        QFETCH(bool, stayOn16);
        Harness h;
        h.hold("cmdDistress", 5500);
        h.advance(10000);
        const auto playsBefore = h.sound.samplePlays.size();
        h.click("cmdAcknowledge");
        // The station speaks once its words are made: the radio is on 20 by then.
        if (!stayOn16) QVERIFY(h.tuneTo("20"));
        h.c().stationVoices->waitIdle();
        const auto& log = h.c().air->voiceLog();
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].fromName, QString("Boston Coast Guard"));
        QCOMPARE(log[0].channel, QString("16"));
        QVERIFY(log[0].words.startsWith("mayday kelpo kelpo kelpo this is boston coast guard"));
        QCOMPARE(log[0].heardByOwnRadio, stayOn16);
        const bool played = std::any_of(h.sound.samplePlays.begin() + qsizetype(playsBefore), h.sound.samplePlays.end(),
                                        [](const auto& p) { return p.sampleRate == air::kVoiceRate && p.lengthMs() > 1000; });
        QCOMPARE(played, stayOn16);
    }

    // Each procedure said right and with a typical mistake, spoken into the radio by a file that
    // stands in for the microphone (as --mic does): its procedure and the elements judged wrong.
    void spokenThroughTheWindow_data() { voicetest::addSpokenRows(); }
    void spokenThroughTheWindow() {
        QFETCH(int, index);
        const voicetest::SpokenCase& spoken = voicetest::spokenCases()[index];
        const QString file = speak(spoken, QStringLiteral("case%1.flac").arg(index));
        Harness h;
        h.c().microphone = platform::fileMicrophone(file, air::kVoiceRate);
        h.hold("cmdTalk", lengthMs(file) + 300);
        h.c().talk->waitIdle();
        QCOMPARE(h.c().air->voiceLog().size(), size_t(1));
        const air::VoiceTransmission& t = h.c().air->voiceLog()[0];
        QCOMPARE(t.procedure, voice::kindName(spoken.kind));
        QSet<QString> wrong;
        int unclear = 0;
        for (const air::VoiceVerdict& v : t.verdicts) {
            if (!v.ok && !v.unclear) wrong << v.element;
            unclear += v.unclear;
        }
        QVERIFY2(wrong == QSet<QString>(spoken.wrong.begin(), spoken.wrong.end()), qPrintable("heard: " + t.words));
        QVERIFY2(unclear <= 1, qPrintable("heard: " + t.words));
    }

    // A MAYDAY whose position is lost in a burst of noise, said into the radio by a file that
    // stands in for the microphone: the coast station that acknowledged the alert asks for the
    // position again.
    void positionNotHeardClearly() {
        voice::Synthesizer synth;
        auto say = [&synth](const char* text) { return platform::toFloat(synth.speak(QString::fromLatin1(text), "rms")); };
        std::vector<float> audio = say("Mayday. This is Kelpo, three one six one two three four five six. Mayday, Kelpo.");
        std::vector<float> position =
            say("Position four two degrees one seven minutes north, zero seven zero degrees four seven minutes west.");
        quint32 seed = 7;
        for (float& x : position) {  // noise louder than the speech
            seed = seed * 1664525u + 1013904223u;
            x = std::clamp(x + 0.5f * (float(seed >> 8) / float(1 << 24) - 0.5f), -1.0f, 1.0f);
        }
        audio.insert(audio.end(), position.begin(), position.end());
        const std::vector<float> rest = say("We are on fire. Request immediate assistance. Four persons on board. Over.");
        audio.insert(audio.end(), rest.begin(), rest.end());
        const QString file = dir_.filePath("unclear.wav");
        QVERIFY(platform::writeAudioFile(file, audio, air::kVoiceRate, platform::AudioFormat::Wav));

        Harness h;
        h.hold("cmdDistress", 5500);
        h.advance(10000);
        h.click("cmdAcknowledge");
        h.c().stationVoices->waitIdle();
        h.c().microphone = platform::fileMicrophone(file, air::kVoiceRate);
        h.hold("cmdTalk", lengthMs(file) + 300);
        h.c().talk->waitIdle();
        h.c().stationVoices->waitIdle();
        const auto& log = h.c().air->voiceLog();
        QCOMPARE(log.size(), size_t(3));
        const auto position2 = std::find_if(log[1].verdicts.begin(), log[1].verdicts.end(),
                                            [](const air::VoiceVerdict& v) { return v.element == "position"; });
        QVERIFY2(position2 != log[1].verdicts.end() && position2->unclear, qPrintable("heard: " + log[1].words));
        QCOMPARE(log[2].fromName, QString("Boston Coast Guard"));
        QCOMPARE(log[2].words, QString("kelpo this is boston coast guard say again your position over"));
    }

    // The program itself with --mic: the MAYDAY said into it is listed, judged, in the message window.
    void micOption() {
        const QString file = speak(voicetest::spokenCases()[0], QStringLiteral("mic.wav"));
        QProcess trainer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
        trainer.setProcessEnvironment(env);
        trainer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        trainer.start(QStringLiteral(VHF_TRAINER_PROGRAM), {"-platform", "offscreen", "--control", "--speed", "10",
                                                            "--nmea-port", "0", "--mic", file});
        QVERIFY(trainer.waitForStarted());
        const double seconds = (lengthMs(file) + 300) / 1000.0;
        // The hand lets go of the key before it does anything else.
        trainer.write(QStringLiteral("hold cmdTalk %1\n").arg(seconds).toUtf8());
        QCOMPARE(answer(trainer).value("reply").toString(), QString("ok"));
        trainer.write("click cmdDscMessages\nawait txtDscDetail Procedure: mayday\n");
        QCOMPARE(answer(trainer).value("reply").toString(), QString("ok"));
        const QString detail = answer(trainer).value("text").toString();
        QVERIFY2(detail.contains("Sent") || detail.contains("sent"), qPrintable(detail));
        QVERIFY2(detail.contains("right: MAYDAY said three times") && !detail.contains("WRONG"), qPrintable(detail));
        trainer.write("quit\n");
        trainer.closeWriteChannel();
        QVERIFY(trainer.waitForFinished(120000));
    }

    // A classmate's voice as it is said reaches the loudspeaker when the radio hears its channel:
    // tuned there, listening there or to every channel; never while the radio transmits. Two
    // stations at once on the channel are a double.
    void loudspeaker_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("heard");
        QTest::newRow("radio on 16") << "16" << true;
        QTest::newRow("radio on 22A") << "22A" << false;
        QTest::newRow("radio on 22A, listening to 16") << "listen 16" << true;
        QTest::newRow("radio on 22A, listening to all") << "listen all" << true;
        QTest::newRow("radio on 16, transmitting") << "talking" << false;
        QTest::newRow("two on 16 at once") << "double" << true;
    }
    void loudspeaker() {
        QFETCH(QString, situation);
        QFETCH(bool, heard);
        Harness h;
        speaking(h, 3.0);
        if (situation != "16" && situation != "talking" && situation != "double") QVERIFY(h.tuneTo("22A"));
        if (situation.startsWith("listen ")) h.c().talk->listenTo(situation.mid(7));
        if (situation == "talking") h.press("cmdTalk");
        std::vector<air::LiveEvent::Kind> doubles;
        h.c().air->subscribeLive([&](const air::LiveEvent& e) {
            if (e.kind == air::LiveEvent::Doubled) doubles.push_back(e.kind);
        });
        // One second of a classmate (and perhaps another), a frame each 20 ms as the network gives them.
        air::Air& air = *h.c().air;
        const quint64 a = air.key({0, "16", "316000001", "Sea Breeze", false});
        const quint64 b = situation == "double" ? air.key({0, "16", "316000002", "Wave Dancer", false}) : 0;
        std::vector<qint16> tone(air::kFrameSamples);
        for (int i = 0; i < air::kFrameSamples; ++i) tone[size_t(i)] = qint16(8000 * std::sin(i * 0.3));
        for (int n = 0; n < 50; ++n) {
            air.frame(a, n, tone.data());
            if (b) air.frame(b, n, tone.data());
            h.advance(air::kFrameMs);
        }
        air.unkey(a);
        if (b) air.unkey(b);
        h.advance(1000);
        if (situation == "talking") h.release("cmdTalk");
        // A whole frame of sound for every frame heard, and the squelch tail after them.
        const size_t frames = h.sound.streamed.size() / air::kFrameSamples;
        if (heard) QVERIFY2(frames >= 50 + 9, qPrintable(QString::number(frames)));
        else QCOMPARE(h.sound.streamed.size(), size_t(0));
        // The radio's own transmission on the channel doubles with the classmate's too.
        const bool doubled = situation == "double" || situation == "talking";
        QCOMPARE(doubles.size(), size_t(doubled ? 2 : 0));
        QCOMPARE(air.live(a)->doubled, doubled);
    }

private:
    // The case spoken by its flite voice into a sound file of the test's own.
    QString speak(const voicetest::SpokenCase& spoken, const QString& name) {
        const QString file = dir_.filePath(name);
        const std::vector<qint16> pcm = voice::Synthesizer().speak(QString::fromUtf8(spoken.text), QString::fromLatin1(spoken.voice));
        const auto format = name.endsWith(".flac") ? platform::AudioFormat::Flac : platform::AudioFormat::Wav;
        if (!platform::writeAudioFile(file, platform::toFloat(pcm), air::kVoiceRate, format)) qFatal("cannot write %s", qPrintable(file));
        return file;
    }
    static qint64 lengthMs(const QString& file) { return qint64(platform::readMono(file, 1000).size()); }

    QTemporaryDir dir_;

    // What went on the air live while the radio spoke.
    struct Live {
        int keyed = 0;
        int unkeyedAfter = -1;  // frames before the key came up
        quint64 id = 0;
        std::vector<qint16> frames;
    } live_;

    // The radio's microphone hears `seconds` of a quiet hum from each press on.
    void speaking(Harness& h, double seconds) {
        live_ = Live{};
        h.c().air->subscribeLive([this](const air::LiveEvent& e) {
            if (!e.voice.local) return;
            if (e.kind == air::LiveEvent::Keyed) ++live_.keyed, live_.id = e.voice.id;
            if (e.kind == air::LiveEvent::Frame && e.frame == int(live_.frames.size()) / air::kFrameSamples)
                live_.frames.insert(live_.frames.end(), e.samples, e.samples + air::kFrameSamples);
            if (e.kind == air::LiveEvent::Unkeyed) live_.unkeyedAfter = int(live_.frames.size()) / air::kFrameSamples;
        });
        auto mic = std::make_unique<platform::FakeMicrophone>();
        mic->speech.resize(size_t(seconds * 16000));
        for (size_t i = 0; i < mic->speech.size(); ++i) mic->speech[i] = 0.01f * float(std::sin(double(i) * 0.05));
        mic_ = mic.get();
        h.c().microphone = std::move(mic);
    }
    platform::FakeMicrophone* mic_ = nullptr;
};

TRAINER_TEST_MAIN(TalkTest)
#include "tst_talk.moc"
