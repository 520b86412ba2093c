// A class of trainers on one private Mosquitto broker (loopback), without windows: LINKS
// classroom links, each sending a DSC call every INTERVAL ms for SECONDS seconds. Counts the calls
// lost and duplicated (every call should reach every other station exactly once) and the delivery
// latency, median and 99th percentile, beside the broker's own round trip measured in the same run
// on the same event loop: a bare QoS 1 publish through the same broker, received by as many bare
// libmosquitto subscribers as a call reaches.
//
// Usage: bench_classroom [SECONDS=120] [LINKS=30] [INTERVAL_MS=2000]
// Every summary line starts with "ROW |" for bench/run's table.
#include "classroom/Link.h"
#include "classroom/MqttClient.h"
#include "classroom/TestBroker.h"

#include "BenchTools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace classroom;

namespace {

using benchtools::Samples;
using benchtools::runUntil;

QString mmsiOf(int i) { return QStringLiteral("3161%1").arg(i, 5, 10, QLatin1Char('0')); }

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 120;
    const int links = argc > 2 ? std::max(2, atoi(argv[2])) : 30;
    const int intervalMs = argc > 3 ? std::max(10, atoi(argv[3])) : 2000;
    QLoggingCategory::setFilterRules(QStringLiteral("vhf.class.info=false"));

    TestBroker broker(QStringLiteral("set_tcp_nodelay true"));
    if (!broker.start()) {
        std::fprintf(stderr, "bench_classroom: the broker did not start\n%s\n", qPrintable(broker.log()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();

    // Every call carries its number in the channel field: (receiver, sender, number) is one delivery.
    QHash<QString, QHash<int, qint64>> sentAt;  // sender -> number -> ns
    QSet<QString> delivered;
    long long duplicates = 0;
    Samples latency;

    std::vector<std::unique_ptr<Link>> stations;
    for (int i = 0; i < links; ++i) {
        Settings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = broker.port();
        s.className = QStringLiteral("bench");
        s.mmsi = mmsiOf(i);
        s.vesselName = QStringLiteral("Vessel %1").arg(i);
        auto link = std::make_unique<Link>(s);
        const QString me = s.mmsi;
        QObject::connect(link.get(), &Link::callReceived, [&, me](const QString& sender, const dscwire::Message& m, const QDateTime&) {
            const qint64 now = clock.nsecsElapsed();
            const int number = m.channels.value(0);
            const QString key = me + QLatin1Char('/') + sender + QLatin1Char('/') + QString::number(number);
            if (delivered.contains(key)) { ++duplicates; return; }
            delivered.insert(key);
            latency.ms.push_back(double(now - sentAt[sender].value(number)) / 1e6);
        });
        stations.push_back(std::move(link));
    }
    for (auto& l : stations) l->start();
    const bool allThere = runUntil([&] {
        for (auto& l : stations)
            if (l->state() != LinkState::Online || l->stations().size() < links) return false;
        return true;
    }, 60000);
    if (!allThere) {
        std::fprintf(stderr, "bench_classroom: not every station came online\n");
        return 1;
    }

    // The reference: a bare QoS 1 publish through the same broker to as many bare subscribers as a
    // call reaches (LINKS - 1), on the same event loop, measured at each subscriber.
    MqttClient ping(MqttClient::Options{QStringLiteral("bench-ping"), true});
    std::vector<std::unique_ptr<MqttClient>> echoes;
    Samples roundTrip;
    qint64 pingSentAt = 0;
    int pingAnswers = 0, subscribedCount = 0;
    const QString pingTopic = QStringLiteral("bench/ping");
    for (int i = 0; i < links - 1; ++i) {
        auto e = std::make_unique<MqttClient>(MqttClient::Options{QStringLiteral("bench-echo-%1").arg(i), true});
        MqttClient* c = e.get();
        QObject::connect(c, &MqttClient::messageReceived, [&](const QString&, const QByteArray&) {
            roundTrip.ms.push_back(double(clock.nsecsElapsed() - pingSentAt) / 1e6);
            ++pingAnswers;
        });
        QObject::connect(c, &MqttClient::subscribed, [&](int) { ++subscribedCount; });
        QObject::connect(c, &MqttClient::connected, [c, pingTopic](int) { c->subscribe(pingTopic, 1); });
        c->connectTo(QStringLiteral("127.0.0.1"), broker.port());
        echoes.push_back(std::move(e));
    }
    ping.connectTo(QStringLiteral("127.0.0.1"), broker.port());
    if (!runUntil([&] { return subscribedCount == links - 1 && ping.isConnected(); }, 30000)) {
        std::fprintf(stderr, "bench_classroom: the ping clients did not subscribe\n");
        return 1;
    }

    // Each station sends on its own beat, the beats spread over the interval.
    long long sent = 0;
    const qint64 endNs = clock.nsecsElapsed() + qint64(seconds) * 1000000000;
    std::vector<std::unique_ptr<QTimer>> beats;
    for (int i = 0; i < links; ++i) {
        auto t = std::make_unique<QTimer>();
        t->setTimerType(Qt::PreciseTimer);
        t->setInterval(intervalMs);
        Link* link = stations[i].get();
        QTimer* timer = t.get();
        auto counter = std::make_shared<int>(0);
        auto send = [&, link, timer, i, counter] {
            if (clock.nsecsElapsed() >= endNs) { timer->stop(); return; }
            const QString me = link->settings().mmsi;
            const QString to = mmsiOf((i + 1) % links);
            const int number = ++*counter;
            sentAt[me][number] = clock.nsecsElapsed();
            if (link->publishCall(dscwire::Message::individual(to, dscwire::code::kRoutine, me, number))) ++sent;
        };
        QObject::connect(timer, &QTimer::timeout, send);
        QTimer::singleShot(intervalMs * i / links, timer, [timer, send] { timer->start(); send(); });
        beats.push_back(std::move(t));
    }
    QTimer pinger;
    pinger.setInterval(std::max(50, intervalMs / 4));
    QObject::connect(&pinger, &QTimer::timeout, [&] {
        if (pingAnswers % (links - 1) != 0 || clock.nsecsElapsed() >= endNs) return;  // one at a time
        pingSentAt = clock.nsecsElapsed();
        ping.publish(pingTopic, QByteArrayLiteral("ping"), 1, false);
    });
    pinger.start();

    (void)runUntil([&] { return clock.nsecsElapsed() >= endNs; }, seconds * 1000 + 5000);
    pinger.stop();
    const long long expected = sent * (links - 1);
    (void)runUntil([&] { return (long long)delivered.size() >= expected; }, 20000);
    const long long lost = expected - (long long)delivered.size();

    const double med = latency.at(0.5), p99 = latency.at(0.99);
    const double refMed = roundTrip.at(0.5), refP99 = roundTrip.at(0.99);
    const double ratio = refP99 > 0 ? p99 / refP99 : 0;
    std::printf("ROW |Classroom: calls lost / duplicated (%d links, a call each per %.1f s, %d s, %lld deliveries)|%lld / %lld|—|—|0 / 0|%s|\n",
                links, intervalMs / 1000.0, seconds, expected, lost, duplicates, lost == 0 && duplicates == 0 ? "yes" : "NO");
    std::printf("ROW |Classroom: call delivery latency (%zu), median / 99th percentile|%.2f / %.2f ms|%.2f / %.2f ms (bare QoS 1 publish to %d bare subscribers, %zu)|%.2f / %.2f|at most 1.5|%s|\n",
                latency.ms.size(), med, p99, refMed, refP99, links - 1, roundTrip.ms.size(), refMed > 0 ? med / refMed : 0, ratio,
                refMed > 0 && med / refMed <= 1.5 && ratio <= 1.5 ? "yes" : "NO");

    stations.clear();
    broker.stop();
    return 0;
}
