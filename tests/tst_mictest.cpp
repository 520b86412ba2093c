// How loud the trainee speaks: the level of a block and of a whole transmission, the meter beside
// the talk key while it is held, a transmission too quiet or clipped to judge, and the microphone
// test window (record, play back, level, the words understood).
#include "air/Air.h"
#include "app/Talk.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/AudioFile.h"
#include "screens/DscMessages.h"
#include "screens/MicLevelBar.h"
#include "screens/MicTest.h"
#include "voice/Level.h"
#include "voice/Recognizer.h"
#include "voice/Synthesizer.h"

#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

// `seconds` of a 440 Hz tone at `amplitude` (a sine above 1.0 is cut at full scale, as an
// overdriven input is), after `silence` seconds of nothing.
std::vector<float> tone(double amplitude, double seconds, double silence = 0.0) {
    std::vector<float> out(size_t(silence * air::kVoiceRate), 0.0f);
    for (int i = 0; i < int(seconds * air::kVoiceRate); ++i)
        out.push_back(float(std::clamp(amplitude * std::sin(2 * M_PI * 440.0 * i / air::kVoiceRate), -1.0, 1.0)));
    return out;
}

platform::FakeMicrophone* hearing(Harness& h, std::vector<float> speech) {
    auto mic = std::make_unique<platform::FakeMicrophone>();
    mic->speech = std::move(speech);
    auto* raw = mic.get();
    h.c().microphone = std::move(mic);
    return raw;
}

} // namespace

class MicTestTest : public QObject {
    Q_OBJECT
private slots:
    // A transmission's verdict and the meter's zone for one of its blocks. The tones follow two
    // seconds of silence, which must not pull the speech's level down.
    void levels_data() {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("loudness");
        QTest::addColumn<int>("blockZone");
        QTest::newRow("whisper, -49 dBFS") << 0.005 << int(voice::Loudness::TooQuiet) << int(voice::Loudness::TooQuiet);
        QTest::newRow("just loud enough, -37 dBFS") << 0.02 << int(voice::Loudness::Good) << int(voice::Loudness::Good);
        QTest::newRow("good, -13 dBFS") << 0.3 << int(voice::Loudness::Good) << int(voice::Loudness::Good);
        QTest::newRow("peaks just below full scale") << 0.985 << int(voice::Loudness::Good) << int(voice::Loudness::Good);
        QTest::newRow("overdriven twice over") << 2.0 << int(voice::Loudness::Clipped) << int(voice::Loudness::Clipped);
    }
    void levels() {
        QFETCH(double, amplitude);
        QFETCH(int, loudness);
        QFETCH(int, blockZone);
        const std::vector<float> said = tone(amplitude, 1.0, 2.0);
        const voice::Measure m = voice::measure(said, air::kVoiceRate);
        QCOMPARE(int(m.loudness), loudness);
        // A sine's RMS is 3 dB below its peak.
        if (amplitude < 1.0) QVERIFY2(std::abs(m.speechDbfs - (20 * std::log10(amplitude) - 3.01)) < 0.1, qPrintable(QString::number(m.speechDbfs)));
        const std::vector<float> block(said.end() - 640, said.end()); // the last 40 ms
        QCOMPARE(int(voice::blockLevel(block).zone()), blockZone);
    }

    // While the key is held the meter beside it shows each block, the loudest held half a second;
    // it is empty and hidden once the key is up.
    void meterWhileTalking() {
        Harness h;
        std::vector<float> speech = tone(0.3, 1.0);
        const std::vector<float> quiet = tone(0.003, 1.0);
        speech.insert(speech.end(), quiet.begin(), quiet.end());
        hearing(h, speech);
        auto* bar = qobject_cast<screens::MicLevelBar*>(h.find("barMicLevel"));
        QVERIFY(bar);
        QVERIFY(!bar->isVisibleTo(h.window()));
        QString loud, held, faded;
        bool shown = false;
        h.after(500, [&] { loud = bar->zoneText(), shown = bar->isVisibleTo(h.window()); });
        h.after(1200, [&] { held = bar->zoneText(); });  // quiet since 1000 ms: the loud block still held
        h.after(1800, [&] { faded = bar->zoneText(); });
        h.hold("cmdTalk", 2000);
        QVERIFY(shown);
        QCOMPARE(loud, QString("Good"));
        QCOMPARE(held, QString("Good"));
        QCOMPARE(faded, QString("Too quiet"));
        QVERIFY(bar->empty());
        QVERIFY(!bar->isVisibleTo(h.window()));
        h.c().talk->waitIdle();
    }

    // A transmission too faint or too loud goes on the air unjudged; the status line says why.
    void unjudgedTransmission_data() {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("notJudged");
        QTest::newRow("too quiet") << 0.003 << "Too quiet to judge: speak closer to the microphone" << "too quiet";
        QTest::newRow("clipped") << 3.0 << "Clipped: speak further from the microphone or turn the input down" << "clipped";
    }
    void unjudgedTransmission() {
        QFETCH(double, amplitude);
        QFETCH(QString, status);
        QFETCH(QString, notJudged);
        Harness h;
        hearing(h, tone(amplitude, 1.5, 0.5));
        h.hold("cmdTalk", 2000);
        h.c().talk->waitIdle();
        QCOMPARE(h.text("lblStatus"), status);
        QVERIFY(h.visible("lblStatus"));
        const auto& log = h.c().air->voiceLog();
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].durationMs(), qint64(2000));
        QCOMPARE(log[0].procedure, QString("none"));
        QVERIFY(log[0].verdicts.isEmpty());
        QVERIFY(log[0].words.isEmpty());
        // The message window says why.
        QCOMPARE(DscMessages::verdictSummary(log[0]), "not judged: " + notJudged);
    }

    // Record, stop, hear it back, see the level and the words: flite says a radio check into it.
    void microphoneTest() {
        if (const QString why = voice::Recognizer::unavailable(); !why.isEmpty()) QSKIP(qPrintable(why));
        Harness h;
        std::vector<float> said = platform::toFloat(voice::Synthesizer().speak(
            QStringLiteral("Mayday, Mayday, Mayday. This is Kelpo."), QStringLiteral("rms")));
        QVERIFY(!said.empty());
        said.insert(said.begin(), 8000, 0.0f);
        const qint64 ms = qint64(said.size()) * 1000 / air::kVoiceRate + 200;
        QVERIFY(ms < MicTest::kMaxMs);
        hearing(h, said);
        h.click("cmdMicTest");
        MicTest* test = h.c().talk->micTest();
        QVERIFY(test && test->window()->isVisible());
        QCOMPARE(test->window()->objectName(), QString("frmMicTest"));
        screens::MicTestWindow& w = *test->window();
        QString zoneMeanwhile;
        h.after(ms / 2, [&] { zoneMeanwhile = w.bar->zoneText(); });
        h.click(w.record);
        QVERIFY(test->recording());
        h.advance(ms);
        h.click(w.record);
        QVERIFY(!test->recording());
        QCOMPARE(zoneMeanwhile, QString("Good"));
        // Played back at once, all of it, and again with Play back.
        QCOMPARE(h.sound.samplePlays.size(), size_t(1));
        QCOMPARE(h.sound.samplePlays[0].samples, qint64(test->recorded().size()));
        QCOMPARE(h.sound.samplePlays[0].sampleRate, air::kVoiceRate);
        QVERIFY(test->recorded().size() >= said.size());
        h.click(w.play);
        QCOMPARE(h.sound.samplePlays.size(), size_t(2));
        QCOMPARE(w.level->text(), QString("Level: Good"));
        h.c().talk->waitIdle();
        QVERIFY2(w.heard->text().startsWith("Heard: mayday mayday mayday this is kelpo"), qPrintable(w.heard->text()));
        // Nothing of it went on the air.
        QVERIFY(h.c().air->voiceLog().empty());
    }

    // The Classroom window opens it too, beside it.
    void openedFromTheClassroomWindow() {
        Harness h;
        h.click("cmdClassroom");
        QWidget* classroom = h.find("frmClassroom");
        QVERIFY(classroom->isVisible());
        h.click(classroom->findChild<QPushButton*>("cmdClassMicTest"));
        QVERIFY(h.c().talk->micTest());
        QVERIFY(h.find("frmMicTest")->isVisible());
        QVERIFY(classroom->isVisible());
    }

    // Five seconds at most; without a microphone it says so in the window.
    void microphoneTestLimits() {
        Harness h;
        platform::FakeMicrophone* mic = hearing(h, tone(0.003, 8.0));
        h.click("cmdMicTest");
        MicTest& test = *h.c().talk->micTest();
        h.click(test.window()->record);
        h.advance(6000);
        QVERIFY(!test.recording());
        QCOMPARE(qint64(test.recorded().size()), qint64(MicTest::kMaxMs) * air::kVoiceRate / 1000);
        QCOMPARE(test.window()->level->text(), QString("Level: Too quiet. Speak closer to the microphone."));
        h.c().talk->waitIdle();
        // Closed while recording: the recording ends there, not played back.
        const size_t plays = h.sound.samplePlays.size();
        h.click(test.window()->record);
        h.advance(1000);
        h.click(test.window()->close);
        QVERIFY(!test.recording());
        QCOMPARE(h.sound.samplePlays.size(), plays);
        h.c().talk->waitIdle();
        mic->problem = "no sound server";
        h.click(test.window()->record);
        QVERIFY(!test.recording());
        QCOMPARE(test.window()->level->text(), QString("The microphone cannot be used: no sound server."));
    }
};

TRAINER_TEST_MAIN(MicTestTest)
#include "tst_mictest.moc"
