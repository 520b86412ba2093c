// Spoken transmissions, synthesized by flite at test time, recognised and judged: through the
// program's --transcribe and through the recognition worker; and the program's start-up, which
// loads nothing of voice.
#include "platform/AudioFile.h"
#include "voice/GrammarCheck.h"
#include "voice/Phrases.h"
#include "voice/Recognizer.h"
#include "voice/Synthesizer.h"
#include "voice/Vocabulary.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>

namespace {

struct Run {
    int status = -1;
    QStringList lines;
};

Run transcribe(const QString& file, const QStringList& more = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VHF_TRAINER_PROGRAM), QStringList{QStringLiteral("--transcribe"), file} + more);
    if (!p.waitForFinished(180000)) qFatal("--transcribe %s did not finish", qPrintable(file));
    Run r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

const char* const kVoiceLibraries[] = {"libpocketsphinx", "libsphinxbase", "libflite", "libespeak-ng"};

} // namespace

class VoiceTranscribeTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    voice::Synthesizer synth_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY2(voice::Synthesizer::unavailable().isEmpty(), qPrintable(voice::Synthesizer::unavailable()));
        QVERIFY2(voice::Recognizer::unavailable().isEmpty(), qPrintable(voice::Recognizer::unavailable()));
        QCOMPARE(voice::Synthesizer::voices(), QStringList({"rms", "slt", "awb", "kal16"}));
    }

    // The program with its window up has loaded no library of speech.
    void startUpLoadsNoVoice() {
        QProcess trainer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
        trainer.setProcessEnvironment(env);
        trainer.start(QStringLiteral(VHF_TRAINER_PROGRAM), {"-platform", "offscreen", "--control", "--nmea-port", "0"});
        QVERIFY(trainer.waitForStarted());
        trainer.write("show lblChannel\n");
        while (!trainer.canReadLine()) QVERIFY(trainer.waitForReadyRead(60000));
        QFile maps(QStringLiteral("/proc/%1/maps").arg(trainer.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Widgets"));  // the right process, up and running
        for (const char* library : kVoiceLibraries) QVERIFY2(!mapped.contains(library), library);
        trainer.write("quit\n");
        trainer.closeWriteChannel();
        QVERIFY(trainer.waitForFinished(60000));
    }

    // Each procedure said right and with a typical mistake, in one of flite's voices, as a file of
    // one format or another: the procedure and the elements judged wrong are those of its text.
    void spokenProcedures_data() {
        voicetest::addSpokenRows();
    }
    void spokenProcedures() {
        QFETCH(int, index);
        const voicetest::SpokenCase& c = voicetest::spokenCases()[index];
        const std::vector<float> speech = platform::toFloat(synth_.speak(QString::fromUtf8(c.text), QString::fromLatin1(c.voice)));
        QVERIFY(speech.size() > 16000);
        // WAV at 16 kHz, FLAC, and WAV at 44.1 kHz (resampled back on reading).
        QString file = dir_.filePath(QStringLiteral("clip%1").arg(index));
        bool written = false;
        switch (index % 3) {
        case 0: written = platform::writeAudioFile(file += ".wav", speech, 16000, platform::AudioFormat::Wav); break;
        case 1: written = platform::writeAudioFile(file += ".flac", speech, 16000, platform::AudioFormat::Flac); break;
        default: {
            platform::Resampler up(16000, 44100);
            std::vector<float> cd;
            up.process(speech.data(), qint64(speech.size()), true, cd);
            written = platform::writeAudioFile(file += ".wav", cd, 44100, platform::AudioFormat::Wav);
        }
        }
        QVERIFY(written);

        const Run r = transcribe(file);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.lines.size() >= 3, qPrintable(r.lines.join('\n')));
        QVERIFY(r.lines[0].startsWith("heard: "));
        const QString heard = r.lines[0].mid(7);
        QCOMPARE(heard, heard.simplified().toLower());
        QCOMPARE(r.lines[1], "procedure: " + voice::kindName(c.kind));
        // The element lines, "id: ok|wrong|unclear: verdict", those of the text's form: no element
        // wrong but those the text gets wrong, and at most one not heard clearly.
        const voice::Judgement expected = voice::judge(voicetest::wordsOf(c.text), voicetest::kelpo());
        QStringList ids;
        QSet<QString> wrong;
        int unclear = 0;
        for (const QString& line : r.lines.mid(2)) {
            if (line.startsWith(QLatin1String("spelled: "))) continue;
            const QStringList parts = line.split(QStringLiteral(": "));
            QVERIFY2(parts.size() >= 3 && QStringList({"ok", "wrong", "unclear"}).contains(parts[1]), qPrintable(line));
            ids << parts[0];
            if (parts[1] == "wrong") wrong << parts[0];
            unclear += parts[1] == "unclear";
        }
        QStringList expectedIds;
        for (const voice::Element& e : expected.elements) expectedIds << e.id;
        QCOMPARE(ids, expectedIds);
        QVERIFY2(wrong == QSet<QString>(c.wrong.begin(), c.wrong.end()), qPrintable(r.lines.join('\n')));
        QVERIFY2(unclear <= 1, qPrintable(r.lines.join('\n')));
    }

    // A name spelled in the phonetic alphabet is read back as its letters.
    void spelling() {
        const std::vector<float> speech =
            platform::toFloat(synth_.speak(QStringLiteral("I spell Kilo Echo Lima Papa Oscar"), QStringLiteral("rms")));
        const QString file = dir_.filePath(QStringLiteral("spelling.wav"));
        QVERIFY(platform::writeAudioFile(file, speech, 16000, platform::AudioFormat::Wav));
        const Run r = transcribe(file);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.lines.contains(QStringLiteral("spelled: KELPO")), qPrintable(r.lines.join('\n')));
    }

    void statuses() {
        const QString silence = dir_.filePath("silence.wav");
        QVERIFY(platform::writeAudioFile(silence, std::vector<float>(16000, 0.0f), 16000, platform::AudioFormat::Wav));
        Run r = transcribe(silence);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.lines, QStringList({"heard: ", "procedure: none"}));

        const QString text = dir_.filePath("notes.wav");
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a sound\n") > 0);
        f.close();
        QCOMPARE(transcribe(text).status, 2);
        QCOMPARE(transcribe(dir_.filePath("missing.flac")).status, 2);
    }

    // What is no procedure is judged as none: a tone sweeping through the speech band, and
    // everyday talk; --verbose shows each word with its confidence.
    void noProcedure() {
        std::vector<float> sweep(16000 * 4);
        double phase = 0;
        for (size_t i = 0; i < sweep.size(); ++i) {
            phase += 2 * M_PI * (300.0 + 2700.0 * double(i) / double(sweep.size())) / 16000.0;
            sweep[i] = float(0.3 * std::sin(phase));
        }
        const QString tone = dir_.filePath("sweep.wav");
        QVERIFY(platform::writeAudioFile(tone, sweep, 16000, platform::AudioFormat::Wav));
        Run r = transcribe(tone);
        QVERIFY2(r.lines.size() >= 2 && r.lines[1] == "procedure: none", qPrintable(r.lines.join('\n')));

        const QString talk = dir_.filePath("talk.wav");
        QVERIFY(platform::writeAudioFile(talk, platform::toFloat(synth_.speak(
            "The quick brown fox jumps over the lazy dog. It is a lovely day for sailing.", "slt")), 16000,
            platform::AudioFormat::Wav));
        r = transcribe(talk, {"--verbose"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines.value(1), QString("procedure: none"));
        const QStringList words = r.lines[0].mid(7).split(' ');
        QVERIFY(words.contains("sailing"));
        // After the verdicts (none here): which recognition, then each word and its confidence.
        QVERIFY(r.lines.value(2).startsWith("recognised by: "));
        QCOMPARE(r.lines.size(), 3 + words.size());
        QVERIFY2(QRegularExpression("^  sailing +(0|1)\\.\\d\\d ").match(r.lines[3 + words.indexOf("sailing")]).hasMatch(),
                 qPrintable(r.lines.join('\n')));
    }

    // The worker recognises on a thread of its own and reports on the owner's, in order; a
    // classmate who comes later is in its grammar from then on.
    void worker() {
        voice::RecognitionWorker worker;
        const voice::Speaker kelpo = voicetest::kelpo();
        voice::Speaker withClassmate = kelpo;
        withClassmate.known << voice::Station{"Sea Breeze", "316000001"};
        QThread* const owner = QThread::currentThread();
        QList<QThread*> deliveredOn;
        connect(&worker, &voice::RecognitionWorker::recognised, this, [&] { deliveredOn << QThread::currentThread(); });
        QSignalSpy spy(&worker, &voice::RecognitionWorker::recognised);
        worker.submit(7, synth_.speak("The Blue Crane, this is Kelpo. Over.", "slt"), kelpo);
        worker.submit(8, std::vector<qint16>(8000, 0), kelpo);
        worker.submit(9, synth_.speak("Sea Breeze, Sea Breeze, this is Kelpo. Switch to channel six eight. Over.", "rms"),
                      withClassmate);
        worker.waitIdle();
        QCOMPARE(spy.size(), 3);
        QCOMPARE(deliveredOn, QList<QThread*>({owner, owner, owner}));
        QList<quint64> ids;
        for (const QList<QVariant>& signal : spy) ids << signal[0].value<quint64>();
        QCOMPARE(ids, QList<quint64>({7, 8, 9}));

        QCOMPARE(spy[0][1].toString(), QString("the blue crane this is kelpo over"));
        QCOMPARE(spy[0][2].value<voice::Judgement>().calledMmsi, QString("366232323"));
        QCOMPARE(spy[1][1].toString(), QString());
        QVERIFY(spy[1][2].value<voice::Judgement>().kind == voice::Kind::None);
        const auto classmate = spy[2][2].value<voice::Judgement>();
        QVERIFY2(classmate.kind == voice::Kind::Routine && classmate.ok(), qPrintable(spy[2][1].toString()));
        QCOMPARE(classmate.calledMmsi, QString("316000001"));
        QCOMPARE(classmate.channelAsked, 68);
    }

    // The grammar pass keeps only what its grammar allows (or, cut off, begins): a check on the
    // words themselves, since the grammar compiler of this pocketsphinx lets some other phrases
    // through.
    void grammarCheck_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("begun");
        QTest::newRow("distress") << "mayday mayday mayday this is kelpo mayday kelpo on fire four persons on board over" << true << true;
        QTest::newRow("safety") << "securite securite securite all stations this is the blue crane floating container out" << true << true;
        QTest::newRow("cut off") << "pan pan pan pan this is kelpo four two degrees" << false << true;
        QTest::newRow("stray digit") << "mayday mayday eight this is kelpo over" << false << false;
        QTest::newRow("ending first") << "over mayday this is kelpo" << false << false;
        QTest::newRow("free words") << "mayday this is kelpo we hit a rock over" << false << false;
    }
    void grammarCheck() {
        QFETCH(QString, words);
        QFETCH(bool, allowed);
        QFETCH(bool, begun);
        const voice::GrammarCheck check(voice::grammar({"Kelpo", "The Blue Crane"}));
        QVERIFY(check.valid());
        QCOMPARE(check.allows(words), allowed);
        QCOMPARE(check.begins(words), begun);
    }

    // Each word heard comes with its posterior (0..1) and its time in the speech, in order.
    void confidences() {
        voice::Recognizer r;
        r.setNames({"Kelpo", "The Blue Crane"});
        const std::vector<qint16> speech = synth_.speak("The Blue Crane, this is Kelpo. Radio check. Over.", "slt");
        const voice::Hearing h = r.hear(speech);
        const QStringList words = h.words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QVERIFY2(words.contains("kelpo") && words.contains("crane"), qPrintable(h.words));
        QCOMPARE(h.detail.size(), words.size());
        const int lengthMs = int(speech.size() / 16);
        int previousEnd = 0;
        for (int i = 0; i < h.detail.size(); ++i) {
            const voice::HeardWord& w = h.detail[i];
            QCOMPARE(w.word, words[i]);
            QVERIFY2(w.confidence >= 0.0 && w.confidence <= 1.0, qPrintable(w.word));
            QVERIFY2(w.startMs >= previousEnd - 10 && w.endMs > w.startMs && w.endMs <= lengthMs + 300, qPrintable(w.word));
            previousEnd = w.endMs;
        }
        QVERIFY(!h.pass.isEmpty());
    }

    // Words the procedures' grammar was not written for come back as said.
    void freeWording() {
        voice::Recognizer r;
        r.setNames({"Kelpo"});
        const voice::Hearing h = r.hear(synth_.speak("We are taking water fast after hitting a submerged object.", "slt"));
        for (const char* word : {"taking", "water", "fast", "hitting", "submerged", "object"})
            QVERIFY2(h.words.split(QLatin1Char(' ')).contains(QLatin1String(word)), qPrintable(h.words));
    }
};

QTEST_GUILESS_MAIN(VoiceTranscribeTest)
#include "tst_voice_transcribe.moc"
