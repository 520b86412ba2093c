// Real trainer processes in one class on a private broker, each driven through its --control
// input like a user at its window: an instructor and two or three trainees, speaking through files
// that stand in for their microphones (--mic).
#include "air/Voice.h"
#include "classroom/ClassTools.h"
#include "classroom/TestBroker.h"
#include "platform/AudioFile.h"
#include "voice/RadioSound.h"
#include "voice/Synthesizer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kDeadlineMs = 90000;

// One trainer process, and the answers it has written.
class Station {
public:
    Station(const QString& url, const QStringList& args) {
        process_.setProgram(QStringLiteral(VHF_TRAINER_PROGRAM));
        process_.setArguments(QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                          QStringLiteral("--control"), QStringLiteral("--speed"), QStringLiteral("20"),
                                          QStringLiteral("--nmea-port"), QStringLiteral("0"), QStringLiteral("--class"),
                                          url} +
                              args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Silent cues keep their timing at any speed.
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
    }
    ~Station() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Sends a command and waits for its "ok".
    bool run(const QString& command) {
        send(command);
        const QJsonObject r = reply([&](const QJsonObject& o) { return o.value("command").toString() == command; });
        if (r.value("reply").toString() != QLatin1String("ok")) {
            qWarning().noquote() << command << "->" << QJsonDocument(r).toJson(QJsonDocument::Compact);
            return false;
        }
        return true;
    }
    // Waits until the control's text or one of its lines holds `text`; then its lines.
    QStringList await(const QString& name, const QString& text, bool gone = false) {
        send(QStringLiteral("%1 %2 %3").arg(gone ? QStringLiteral("await-gone") : QStringLiteral("await"), name, text));
        const QJsonObject r = reply([&](const QJsonObject& o) {
            return o.value("reply").toString() == QLatin1String("await") && o.value("name").toString() == name;
        });
        QStringList lines{r.value("text").toString()};
        for (const QJsonValue& v : r.value("lines").toArray()) lines << v.toString();
        return lines;
    }
    QStringList show(const QString& name) {
        send(QStringLiteral("show ") + name);
        const QJsonObject r = reply([&](const QJsonObject& o) {
            return o.value("reply").toString() == QLatin1String("show") && o.value("name").toString() == name;
        });
        QStringList lines;
        for (const QJsonValue& v : r.value("lines").toArray()) lines << v.toString();
        return lines;
    }
    void kill() {
        process_.kill();
        process_.waitForFinished(kDeadlineMs);
    }
    int quit() {
        send(QStringLiteral("quit"));
        if (!process_.waitForFinished(kDeadlineMs)) return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    void send(const QString& line) { process_.write(line.toUtf8() + '\n'); }

    // The first answer not taken yet that `matches`, waiting for the process to write it.
    QJsonObject reply(const std::function<bool(const QJsonObject&)>& matches) {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            for (qsizetype i = 0; i < pending_.size(); ++i)
                if (matches(pending_.at(i))) return pending_.takeAt(i);
            const qint64 left = kDeadlineMs - waited.elapsed();
            if (left <= 0 || process_.state() == QProcess::NotRunning) return {};
            if (!process_.canReadLine()) process_.waitForReadyRead(int(left));
            while (process_.canReadLine()) {
                const QJsonDocument d = QJsonDocument::fromJson(process_.readLine());
                if (d.isObject()) pending_ << d.object();
            }
        }
    }

    QProcess process_;
    QList<QJsonObject> pending_;
};

bool anyContains(const QStringList& lines, const QString& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(text); });
}

int countContaining(const QStringList& lines, const QString& text) {
    return int(std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(text); }));
}

} // namespace

class TestClassroomTrainers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (TestBroker::program(QStringLiteral("mosquitto")).isEmpty()) QFAIL("mosquitto is not installed");
    }

    // A trainee's distress alert reaches the other trainee's log and the instructor's coast
    // station; the instructor's acknowledgement ends it; a routine call from one trainee to the
    // other is answered "unable to comply, busy".
    void distressAndAnIndividualCall() {
        TestBroker broker;
        QVERIFY(broker.start());
        const QString url = QStringLiteral("mqtt://127.0.0.1:%1/deck-1").arg(broker.port());
        Station instructor(url, {QStringLiteral("--instructor")});
        Station seaBreeze(url, {"--mmsi", "316000001", "--name", "Sea Breeze"});
        Station waveDancer(url, {"--mmsi", "316000002", "--name", "Wave Dancer"});
        for (Station* s : {&instructor, &seaBreeze, &waveDancer}) QVERIFY(anyContains(s->await("frmGMDSS", "Online"), "Online"));

        QVERIFY(seaBreeze.run(QStringLiteral("hold cmdDistress 6")));
        QVERIFY(anyContains(waveDancer.await("lstDistress", "316000001"), "Vessel: Sea Breeze"));
        QVERIFY(anyContains(instructor.await("txtCG1", "MMSI # 316000001"), "316000001"));
        QVERIFY(anyContains(instructor.await("CGVesselName", "Sea Breeze"), "Vessel: Sea Breeze"));
        QVERIFY(instructor.run(QStringLiteral("click cmdAcknowledge")));
        QVERIFY(anyContains(seaBreeze.await("lblStatus", "Recv'd Distress Ack"), "Recv'd Distress Ack"));

        for (const char* step : {"click cmdCall", "choose lstCall Routine", "type txtDirectory 316000002", "click cmdEnter"})
            QVERIFY(seaBreeze.run(QString::fromLatin1(step)));
        QVERIFY(anyContains(waveDancer.await("lstReceived", "Unable to Comply"), "Vessel: Sea Breeze"));
        QVERIFY(waveDancer.run(QStringLiteral("choose lstReceived Unable to Comply")));
        QVERIFY(waveDancer.run(QStringLiteral("choose lstReceived Busy")));
        QVERIFY(anyContains(seaBreeze.await("lblStatus", "Unable to Comply: Busy"), "Busy"));

        // The instructor's station list knows all three; freeze holds every trainee's window,
        // reset clears it and lets it go.
        const QStringList stations = instructor.await("tblStations", "Wave Dancer");
        QVERIFY(anyContains(stations, "Sea Breeze") && anyContains(stations, "Online"));
        QVERIFY(instructor.run(QStringLiteral("click cmdFreeze")));
        QVERIFY(anyContains(waveDancer.await("frmGMDSS", "frozen"), "frozen by the instructor"));
        QVERIFY(anyContains(seaBreeze.await("frmGMDSS", "frozen"), "frozen by the instructor"));
        QVERIFY(instructor.run(QStringLiteral("click cmdReset")));
        QVERIFY(anyContains(seaBreeze.await("frmGMDSS", "frozen", true), "Online"));
        QVERIFY(seaBreeze.show(QStringLiteral("lstReceived")).isEmpty());

        // A new MMSI from the radio's menu is a new station of the class.
        for (const char* step : {"click cmdMenu", "choose lstMenu MMSI#", "key Ctrl+A", "type txtMMSI 316000009",
                                 "click cmdEnter"})
            QVERIFY(waveDancer.run(QString::fromLatin1(step)));
        QVERIFY(anyContains(waveDancer.await("frmGMDSS", "316000009: Online"), "316000009"));
        const QStringList renamed = instructor.await("tblStations", "316000009");
        QVERIFY(anyContains(renamed, "316000009 | Wave Dancer | Online"));
        QVERIFY(anyContains(instructor.await("tblStations", "316000002 | Wave Dancer | Offline"), "Offline"));

        // A second trainer with an MMSI already online is refused, and both are told.
        Station twin(url, {"--mmsi", "316000001", "--name", "Twin"});
        QVERIFY(anyContains(twin.await("frmMessageBox", "already online"), "316000001"));
        QVERIFY(anyContains(seaBreeze.await("frmMessageBox", "tried to join"), "Twin"));
        QVERIFY(anyContains(twin.await("frmGMDSS", "Refused"), "Refused"));
        for (Station* s : {&twin, &seaBreeze}) QVERIFY(s->run(QStringLiteral("key Return")));

        for (Station* s : {&instructor, &seaBreeze, &waveDancer, &twin}) QCOMPARE(s->quit(), 0);
    }

    // A trainee's exercise results reach the instructor's list as the verdicts come.
    void exerciseResultsReachTheInstructor() {
        TestBroker broker;
        QVERIFY(broker.start());
        const QString url = QStringLiteral("mqtt://127.0.0.1:%1/deck-3").arg(broker.port());
        Station instructor(url, {QStringLiteral("--instructor")});
        Station seaBreeze(url, {"--mmsi", "316000001", "--name", "Sea Breeze", "--exercise", "04-container-safety"});
        for (Station* s : {&instructor, &seaBreeze}) QVERIFY(anyContains(s->await("frmGMDSS", "Online"), "Online"));
        for (const char* step : {"click cmdCall", "choose lstCall Safety", "click cmdEnter"})
            QVERIFY(seaBreeze.run(QString::fromLatin1(step)));
        // The DSC half answered; the spoken half is still to come.
        QVERIFY(anyContains(instructor.await("tblStations", "Container adrift: Running: 1 of 2 tasks answered"), "Sea Breeze"));
        for (Station* s : {&instructor, &seaBreeze}) QCOMPARE(s->quit(), 0);
    }

    // The broker restarts in the middle of a lesson: a call sent while it was down reaches the
    // classmate once, after both trainers have found the broker again by themselves.
    void brokerRestartLosesNothing() {
        TestBroker broker({}, true);
        QVERIFY(broker.start());
        const QString url = QStringLiteral("mqtt://127.0.0.1:%1/deck-2").arg(broker.port());
        Station seaBreeze(url, {"--mmsi", "316000001", "--name", "Sea Breeze"});
        Station waveDancer(url, {"--mmsi", "316000002", "--name", "Wave Dancer"});
        for (Station* s : {&seaBreeze, &waveDancer}) QVERIFY(anyContains(s->await("frmGMDSS", "Online"), "Online"));

        broker.stop();
        QVERIFY(anyContains(seaBreeze.await("frmGMDSS", "Offline"), "Offline"));
        for (const char* step : {"click cmdCall", "choose lstCall Safety", "click cmdEnter"})
            QVERIFY(seaBreeze.run(QString::fromLatin1(step)));
        QVERIFY(broker.start());
        QVERIFY(anyContains(waveDancer.await("lstReceived", "Safety"), "Vessel: Sea Breeze"));
        // A second call after the first: once it is in, a doubled first one would be in too.
        for (const char* step : {"click cmdCall", "choose lstCall Urgency", "click cmdEnter"})
            QVERIFY(seaBreeze.run(QString::fromLatin1(step)));
        QVERIFY(anyContains(waveDancer.await("lstReceived", "Urgency"), "Urgency"));
        QVERIFY(waveDancer.run(QStringLiteral("key F2")));
        const QStringList messages = waveDancer.show(QStringLiteral("lstDscMessages"));
        const auto fromSeaBreeze = [&](const QString& category) {
            return std::count_if(messages.begin(), messages.end(), [&](const QString& row) {
                return row.contains(QLatin1String("Received")) && row.contains(category, Qt::CaseInsensitive) &&
                       row.contains(QLatin1String("316000001"));
            });
        };
        QCOMPARE(fromSeaBreeze(QStringLiteral("safety")), 1);
        QCOMPARE(fromSeaBreeze(QStringLiteral("urgency")), 1);
        for (Station* s : {&seaBreeze, &waveDancer}) QCOMPARE(s->quit(), 0);
    }

    // Voice: a trainee's MAYDAY on 16 reaches the instructor and the trainee on 16 whole, frame for
    // frame and sounding as it was said, and is listed, not heard, by the trainee on 22A; two
    // keying on 16 at once are a double; the instructor hears 22A when listening to all channels
    // and talks there as The Blue Crane; a trainee whose trainer dies while it talks is off the air.
    void voiceInTheClass() {
        QTemporaryDir dir;
        const auto speak = [&](const QString& name, const QString& text) {
            const std::vector<qint16> pcm = voice::Synthesizer().speak(text, QStringLiteral("rms"));
            const QString file = dir.filePath(name);
            if (pcm.empty() || !platform::writeAudioFile(file, platform::toFloat(pcm), air::kVoiceRate, platform::AudioFormat::Wav))
                qFatal("cannot speak into %s", qPrintable(file));
            return file;
        };
        const QString mayday = speak("mayday.wav", "Mayday, Mayday, Mayday. This is Sea Breeze, Sea Breeze, Sea Breeze. Over.");
        const QString other = speak("other.wav", "All stations, this is Wave Dancer. Over.");
        TestBroker broker;
        QVERIFY(broker.start());
        const QString url = QStringLiteral("mqtt://127.0.0.1:%1/deck-4").arg(broker.port());
        Station instructor(url, {"--instructor", "--mic", other});
        Station seaBreeze(url, {"--mmsi", "316000001", "--name", "Sea Breeze", "--mic", mayday});
        Station waveDancer(url, {"--mmsi", "316000002", "--name", "Wave Dancer", "--mic", other});
        Station northernStar(url, {"--mmsi", "316000003", "--name", "Northern Star", "--mic", other});
        const QList<Station*> all{&instructor, &seaBreeze, &waveDancer, &northernStar};
        for (Station* s : all) QVERIFY(anyContains(s->await("frmGMDSS", "Online"), "Online"));
        // Every station is seen by the instructor: their subscriptions are in place.
        QVERIFY(anyContains(instructor.await("lblStationsSummary", "4 stations online"), "4 stations"));
        QVERIFY(northernStar.run("type ScrollChannel "));
        for (int step = 0; step < 12 && northernStar.await("lblChannel", "").value(0) != "22"; ++step)
            QVERIFY(northernStar.run("key Up"));
        QCOMPARE(northernStar.await("lblChannel", "").value(0), QString("22"));
        for (Station* s : all) QVERIFY(s->run("click cmdDscMessages"));

        const qint64 samples = qint64(platform::readMono(mayday, air::kVoiceRate).size());
        QVERIFY(seaBreeze.run(QStringLiteral("hold cmdTalk %1").arg(double(samples) / air::kVoiceRate + 0.3)));
        for (Station* s : {&instructor, &waveDancer, &northernStar}) {
            const QStringList rows = s->await("lstDscMessages", "V1");
            QVERIFY2(anyContains(rows, s == &northernStar ? "Not heard" : "Received"), qPrintable(rows.join('\n')));
            QVERIFY(anyContains(rows, "Sea Breeze | Voice, channel 16 | MAYDAY: mayday mayday mayday this is sea breeze"));
            QVERIFY(s->run("choose lstDscMessages V1"));
            const QString detail = s->await("txtDscDetail", "Through the class").value(0);
            const QRegularExpression frames("Through the class: (\\d+) of (\\d+) frames");
            const auto m = frames.match(detail);
            QVERIFY2(m.hasMatch() && m.captured(1) == m.captured(2) && m.captured(1).toInt() > 200, qPrintable(detail));
        }
        // What the trainee on 16 heard sounds as what was said, through the same radio.
        const QString heard = dir.filePath("heard.wav");
        QVERIFY(waveDancer.run("answer " + heard));
        QVERIFY(waveDancer.run("click cmdSaveWav"));
        std::vector<float> said = platform::readMono(mayday, air::kVoiceRate);
        said.resize(size_t(samples + air::kVoiceRate * 3 / 10), 0.0f);
        const std::vector<float> radio = platform::toFloat(voice::radioSound(platform::toInt16(said), 1));
        const double like = classtools::likeness(platform::readMono(heard, air::kVoiceRate), radio);
        QVERIFY2(like > 0.9, qPrintable(QString::number(like)));

        // Two at once on 16.
        QVERIFY(seaBreeze.run("press cmdTalk"));
        QVERIFY(waveDancer.run("press cmdTalk"));
        QVERIFY(anyContains(instructor.await("lblStationsSummary", "transmitting: Sea Breeze on 16, Wave Dancer on 16"), "Wave"));
        QVERIFY(seaBreeze.run("release cmdTalk"));
        QVERIFY(waveDancer.run("release cmdTalk"));
        instructor.await("lstDscMessages", "V3");
        QCOMPARE(countContaining(instructor.show("lstDscMessages"), "Received (double)"), 2);

        // The instructor listens to every channel, hears 22A, and answers there as The Blue Crane.
        QVERIFY(instructor.run("choose cboListen All channels"));
        QVERIFY(northernStar.run("hold cmdTalk 2"));
        QVERIFY(anyContains(instructor.await("lstDscMessages", "V4"), "V4 | "));
        QVERIFY(anyContains(instructor.show("lstDscMessages"), "Received | Northern Star | Voice, channel 22A"));
        QVERIFY(instructor.run("choose cboTalkAs The Blue Crane"));
        QVERIFY(instructor.run("choose cboTalkChannel 22A"));
        QVERIFY(instructor.run("hold cmdTalkAs 2"));
        QVERIFY(anyContains(northernStar.await("lstDscMessages", "The Blue Crane"), "Received | The Blue Crane | Voice, channel 22A"));

        // A trainer that dies while its key is down is off the air for the class.
        QVERIFY(seaBreeze.run("press cmdTalk"));
        QVERIFY(anyContains(instructor.await("tblStations", "TX 16"), "316000001"));
        seaBreeze.kill();
        QVERIFY(!anyContains(instructor.await("tblStations", "TX 16", true), "TX 16"));
        for (Station* s : {&instructor, &waveDancer, &northernStar}) QCOMPARE(s->quit(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClassroomTrainers)
#include "tst_classroom_trainers.moc"
