// Voice in a class on one private Mosquitto broker (loopback), without windows: each station is its
// air, its classroom link, the class's voice between them and the loudspeaker.
//
//   latency SECONDS   one station talks, another listens: mouth to ear, from the microphone's frame
//                     handed to the air to the listener's loudspeaker writing it into the sound
//                     stream, median and 99th percentile; beside, in the same run, a bare QoS 0
//                     publish of a frame-sized payload through the same broker to a bare subscriber,
//                     plus one frame and the jitter buffer.
//   load SECONDS LISTENERS TALKERS   TALKERS stations talk at once, each on a channel of its own,
//                     the LISTENERS spread over those channels: frames lost (neither played nor late),
//                     frames late (after their turn in the jitter buffer), and the processor time of
//                     the whole process per listening station.
// Every summary line starts with "ROW |" for bench/run's table.
#include "air/Air.h"
#include "classroom/ClassVoice.h"
#include "classroom/Link.h"
#include "classroom/MqttClient.h"
#include "classroom/ClassTools.h"
#include "classroom/TestBroker.h"
#include "platform/RealClock.h"
#include "platform/Sound.h"
#include "voice/Loudspeaker.h"
#include "voice/Synthesizer.h"

#include "BenchTools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace classroom;

namespace {

QElapsedTimer gClock;
double nowMs() { return double(gClock.nsecsElapsed()) / 1e6; }

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

using benchtools::Samples;
using benchtools::runUntil;

// A loudspeaker's sound that goes nowhere.
class NoSound : public platform::Sound {
public:
    void playFile(const QString&) override {}
    void beep() override {}
    void playSamples(const QList<qint16>&, int) override {}
    void streamSamples(const qint16*, qint64 count, int) override { written += count; }
    qint64 written = 0;
};

struct Station {
    Station(quint16 port, int i, const QString& channel)
        : mmsi(QStringLiteral("3162%1").arg(i, 5, 10, QLatin1Char('0'))), channel(channel),
          air(clock, [m = mmsi] { return m; }), link(classtools::onLoopback(port, mmsi, mmsi, QStringLiteral("bench"))) {
        voice = std::make_unique<ClassVoice>(air, link, clock);
        voice->hears = [this](const QString& ch) { return ch == this->channel; };
        speaker = std::make_unique<voice::Loudspeaker>(air, clock, sound, [this](const air::LiveVoice& v) { return v.channel == this->channel; });
    }
    QString mmsi, channel;
    platform::RealClock clock;
    air::Air air;
    Link link;
    NoSound sound;
    std::unique_ptr<ClassVoice> voice;
    std::unique_ptr<voice::Loudspeaker> speaker;
};

// A talker's microphone: speech said over and over, a frame each 20 ms of the real clock.
class Talker {
public:
    Talker(Station& s, const std::vector<qint16>& speech) : s_(s), speech_(speech) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(air::kFrameMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { next(); });
    }
    void start() {
        id_ = s_.air.key({0, s_.channel, s_.mmsi, s_.mmsi, true});
        timer_.start();
    }
    void stop() {
        timer_.stop();
        s_.air.unkey(id_);
    }
    std::vector<double> sentAt;  // by frame number, ms
    quint64 id() const { return id_; }

private:
    void next() {
        const size_t at = (sentAt.size() * air::kFrameSamples) % (speech_.size() - air::kFrameSamples);
        sentAt.push_back(nowMs());
        s_.air.frame(id_, int(sentAt.size() - 1), speech_.data() + at);
    }
    Station& s_;
    const std::vector<qint16>& speech_;
    QTimer timer_;
    quint64 id_ = 0;
};

bool allOnline(const std::vector<std::unique_ptr<Station>>& stations) {
    return runUntil([&] {
        for (const auto& s : stations)
            if (s->link.state() != LinkState::Online || s->link.stations().size() < stations.size()) return false;
        return true;
    }, 60000);
}

int latency(quint16 port, int seconds, const std::vector<qint16>& speech) {
    std::vector<std::unique_ptr<Station>> stations;
    stations.push_back(std::make_unique<Station>(port, 0, QStringLiteral("16")));
    stations.push_back(std::make_unique<Station>(port, 1, QStringLiteral("16")));
    for (auto& s : stations) s->link.start();
    if (!allOnline(stations)) return std::fprintf(stderr, "bench_classvoice: the stations did not come online\n"), 1;
    Talker talker(*stations[0], speech);
    Samples mouthToEar;
    stations[1]->speaker->onPlayed = [&](quint64, int frame) {
        if (frame < int(talker.sentAt.size())) mouthToEar.ms.push_back(nowMs() - talker.sentAt[size_t(frame)]);
    };

    // The reference on the same event loop: a frame-sized QoS 0 publish to a bare subscriber.
    MqttClient ping(MqttClient::Options{QStringLiteral("bench-ping"), true});
    MqttClient echo(MqttClient::Options{QStringLiteral("bench-echo"), true});
    Samples bare;
    double pingAt = 0;
    bool subscribed = false, waiting = false;
    QObject::connect(&echo, &MqttClient::connected, [&](int) { echo.subscribe(QStringLiteral("bench/ping"), 0); });
    QObject::connect(&echo, &MqttClient::subscribed, [&](int) { subscribed = true; });
    QObject::connect(&echo, &MqttClient::messageReceived, [&](const QString&, const QByteArray&) {
        bare.ms.push_back(nowMs() - pingAt);
        waiting = false;
    });
    echo.connectTo(QStringLiteral("127.0.0.1"), port);
    ping.connectTo(QStringLiteral("127.0.0.1"), port);
    if (!runUntil([&] { return subscribed && ping.isConnected(); }, 30000))
        return std::fprintf(stderr, "bench_classvoice: the ping clients did not subscribe\n"), 1;
    QTimer pinger;
    QObject::connect(&pinger, &QTimer::timeout, [&] {
        if (waiting) return;
        waiting = true;
        pingAt = nowMs();
        ping.publish(QStringLiteral("bench/ping"), QByteArray(25 + 60, 'x'), 0, false);
    });
    pinger.start(53);

    talker.start();
    const double end = nowMs() + seconds * 1000.0;
    (void)runUntil([&] { return nowMs() >= end; }, seconds * 1000 + 5000);
    talker.stop();
    pinger.stop();
    (void)runUntil([&] { return false; }, 500);
    const double med = mouthToEar.at(0.5), p99 = mouthToEar.at(0.99);
    const double extra = air::kFrameMs + voice::Loudspeaker::kJitterMs;
    const double refMed = bare.at(0.5) + extra, refP99 = bare.at(0.99) + extra;
    const bool met = med <= 1.5 * refMed && p99 <= 1.5 * refP99 && p99 < 150;
    std::printf("ROW |Classroom voice: mouth to ear on loopback (%zu frames), median / 99th percentile|%.1f / %.1f ms|"
                "%.1f / %.1f ms (bare QoS 0 publish, %zu, + %d ms frame + %d ms jitter buffer)|%.2f / %.2f|at most 1.5, under 150 ms|%s|\n",
                mouthToEar.ms.size(), med, p99, refMed, refP99, bare.ms.size(), air::kFrameMs, voice::Loudspeaker::kJitterMs,
                med / refMed, p99 / refP99, met ? "yes" : "NO");
    return 0;
}

int load(quint16 port, int seconds, int listeners, int talkers, const std::vector<qint16>& speech) {
    const QStringList channels{QStringLiteral("16"), QStringLiteral("22A"), QStringLiteral("68"), QStringLiteral("72"),
                               QStringLiteral("06")};
    talkers = std::clamp(talkers, 1, int(channels.size()));
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < talkers + listeners; ++i)
        stations.push_back(std::make_unique<Station>(port, 100 + i, channels[i % talkers]));
    for (auto& s : stations) s->link.start();
    if (!allOnline(stations)) return std::fprintf(stderr, "bench_classvoice: the stations did not come online\n"), 1;
    std::vector<std::unique_ptr<Talker>> voices;
    for (int i = 0; i < talkers; ++i) voices.push_back(std::make_unique<Talker>(*stations[size_t(i)], speech));
    qint64 played = 0;
    for (int i = talkers; i < talkers + listeners; ++i)
        stations[size_t(i)]->speaker->onPlayed = [&](quint64, int) { ++played; };
    const double cpuBefore = cpuSeconds();
    const double startMs = nowMs();
    for (auto& v : voices) v->start();
    (void)runUntil([&] { return nowMs() - startMs >= seconds * 1000.0; }, seconds * 1000 + 5000);
    for (auto& v : voices) v->stop();
    (void)runUntil([&] { return false; }, 1000);
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = (nowMs() - startMs) / 1000.0;
    qint64 expected = 0, late = 0;
    for (int i = talkers; i < talkers + listeners; ++i) {
        expected += qint64(voices[size_t(i % talkers)]->sentAt.size());
        late += stations[size_t(i)]->speaker->counts().late;
    }
    const qint64 lost = expected - played - late;
    const double perStation = 100.0 * cpu / wall / listeners;
    std::printf("ROW |Classroom voice: frames lost / late (%d listening, %d talking on channels of their own, %d s, %lld frames due)|%lld / %lld|—|—|0 lost|%s|\n",
                listeners, talkers, seconds, expected, lost, late, lost == 0 ? "yes" : "NO");
    std::printf("ROW |Classroom voice: processor time per listening station (the whole process, talkers included, over %d)|%.2f %% of a core|—|—|under 5 %%|%s|\n",
                listeners, perStation, perStation < 5 ? "yes" : "NO");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("vhf.class.info=false"));
    gClock.start();
    const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("latency");
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 30;
    std::vector<qint16> speech = voice::Synthesizer().speak(
        QStringLiteral("Mayday, Mayday, Mayday. This is Sea Breeze, Sea Breeze, Sea Breeze. Position four two degrees "
                       "one seven minutes north. Over."),
        QStringLiteral("rms"));
    if (speech.size() < size_t(air::kVoiceRate)) speech.assign(size_t(air::kVoiceRate) * 5, 0);  // no synthesizer: silence will do
    TestBroker broker(QStringLiteral("set_tcp_nodelay true"));
    if (!broker.start()) {
        std::fprintf(stderr, "bench_classvoice: the broker did not start\n%s\n", qPrintable(broker.log()));
        return 1;
    }
    int status = 1;
    if (what == QLatin1String("latency")) status = latency(broker.port(), seconds, speech);
    else if (what == QLatin1String("load"))
        status = load(broker.port(), seconds, argc > 3 ? std::max(1, atoi(argv[3])) : 30, argc > 4 ? atoi(argv[4]) : 3, speech);
    else std::fprintf(stderr, "usage: bench_classvoice latency SECONDS | load SECONDS LISTENERS TALKERS\n");
    broker.stop();
    return status;
}
