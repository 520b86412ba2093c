// The classroom link between trainers, on private Mosquitto brokers on loopback: calls and
// presence exchanged, a second trainer with an MMSI already online refused, the broker restarted
// under running links, payloads that must not reach the air, a broker that comes up late, the
// topic ACL of docs/classroom (calls, commands and voice), a broker given by name, slots that reply to a call and delete the
// link, and a machine without libmosquitto.
#include "classroom/Envelope.h"
#include "classroom/Link.h"
#include "classroom/MqttClient.h"
#include "classroom/Topics.h"
#include "classroom/ClassTools.h"
#include "classroom/TestBroker.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace classroom;

namespace {

constexpr int kWait = 30000;  // generous: the machine may be busy with other work

QAtomicInt& classWarnings = classtools::ClassWarnings::count();
using classtools::onLoopback;

// A link with everything it says written down.
struct Station {
    explicit Station(const Settings& s) : link(s) {
        link.setBackoff(100, 800);
        QObject::connect(&link, &Link::callReceived, [this](const QString& sender, const dscwire::Message& m, const QDateTime&) {
            calls.append({sender, m});
        });
        QObject::connect(&link, &Link::stationChanged, [this](const StationStatus& s) { seen[s.mmsi] = s; });
        QObject::connect(&link, &Link::stateChanged, [this](LinkState st, const QString& why) { states.append({st, why}); });
        QObject::connect(&link, &Link::noticeReceived, [this](const QString& t) { notices.append(t); });
        QObject::connect(&link, &Link::commandReceived, [this](const QString& c, const QString&) { commands.append(c); });
        QObject::connect(&link, &Link::voiceReceived, [this](const QString& channel, const VoiceMessage& m) {
            voices.append(channel + QLatin1Char('/') + m.sender);
        });
    }
    bool online() const { return link.state() == LinkState::Online; }
    bool sees(const QString& mmsi, bool isOnline) const { return seen.contains(mmsi) && seen[mmsi].online == isOnline; }
    int count(LinkState s) const { return int(std::count_if(states.begin(), states.end(), [s](auto& p) { return p.first == s; })); }

    Link link;
    QList<QPair<QString, dscwire::Message>> calls;
    QHash<QString, StationStatus> seen;
    QList<QPair<LinkState, QString>> states;
    QStringList notices, commands, voices;
};

// A bare client that publishes whatever it is given, as a misbehaving station might.
struct RawClient {
    RawClient(quint16 port, const QString& id, const QString& user = {}, const QString& password = {})
        : client(MqttClient::Options{id, true, user, password}) {
        QObject::connect(&client, &MqttClient::published, [this](int) { ++acked; });
        client.connectTo(QStringLiteral("127.0.0.1"), port);
    }
    bool publish(const QString& topic, const QByteArray& payload) {
        const int before = acked;
        return client.publish(topic, payload, 1, false) == 0 && QTest::qWaitFor([&] { return acked > before; }, kWait);
    }
    MqttClient client;
    int acked = 0;
};

QByteArray envelope(const QString& sender, qint64 seq, const QList<int>& symbols, int version = 1) {
    QJsonObject o;
    o.insert(QStringLiteral("v"), version);
    o.insert(QStringLiteral("sender"), sender);
    o.insert(QStringLiteral("seq"), seq);
    o.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    QJsonArray a;
    for (int s : symbols) a.append(s);
    o.insert(QStringLiteral("symbols"), a);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// Whether libmosquitto is loaded into this process.
bool mosquittoLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libmosquitto");
}

QList<int> symbolsOf(const dscwire::Message& m) { return dscwire::toSymbols(m).value(); }

dscwire::Message routineTo(const QString& to, const QString& from, int channel = 6) {
    return dscwire::Message::individual(to, dscwire::code::kRoutine, from, channel);
}

} // namespace

class TestClassroom : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        classtools::ClassWarnings::install();
        if (TestBroker::program(QStringLiteral("mosquitto")).isEmpty())
            QFAIL("mosquitto is not installed (scripts/install-deps installs it)");
    }

    void classAddress_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("expected");  // host:port/class tls user, or the start of the error
        QTest::newRow("plain") << "mqtt://broker.lan/harbour" << "broker.lan:1883/harbour tls=0 user=";
        QTest::newRow("port") << "mqtt://10.1.2.3:1884/class-2" << "10.1.2.3:1884/class-2 tls=0 user=";
        QTest::newRow("tls") << "mqtts://school.example/Deck_A" << "school.example:8883/Deck_A tls=1 user=";
        QTest::newRow("user") << "mqtt://316123456:pw@h/c" << "h:1883/c tls=0 user=316123456";
        QTest::newRow("scheme") << "http://h/c" << "The class address must look like";
        QTest::newRow("no class") << "mqtt://h:1883/" << "The class address has no class name";
        QTest::newRow("bad class") << "mqtt://h/a+b" << "The class name \"a+b\" may have only";
        QTest::newRow("deep class") << "mqtt://h/a/b" << "The class name \"a/b\" may have only";
        QTest::newRow("port 0") << "mqtt://h:0/c" << "The port must be";
        QTest::newRow("big port") << "mqtt://h:70000/c" << "The class address must look like";
        QTest::newRow("empty") << "" << "No class address given";
    }
    void classAddress() {
        QFETCH(QString, url);
        QFETCH(QString, expected);
        const auto r = Settings::fromUrl(url);
        const QString got = r.ok() ? QStringLiteral("%1:%2/%3 tls=%4 user=%5").arg(r.value().host).arg(r.value().port)
                                         .arg(r.value().className).arg(int(r.value().tls)).arg(r.value().user)
                                   : r.error();
        QVERIFY2(got.startsWith(expected), qPrintable(got));
        Settings s = r.ok() ? r.value() : Settings{};
        s.mmsi = QStringLiteral("31612345");
        if (r.ok()) QCOMPARE(s.problem(), QStringLiteral("Your MMSI # must be 9 digits long"));
    }

    // Two stations see each other come online, exchange a call each way (QoS 1), and see each
    // other leave; nobody gets its own call back.
    void twoStationsExchangeCallsAndPresence() {
        TestBroker broker;
        QVERIFY(broker.start());
        Station a(onLoopback(broker.port(), QStringLiteral("316000001"), QStringLiteral("Alpha")));
        auto* b = new Station(onLoopback(broker.port(), QStringLiteral("316000002"), QStringLiteral("Bravo")));
        a.link.start();
        b->link.start();
        QVERIFY(QTest::qWaitFor([&] { return a.sees(QStringLiteral("316000002"), true) && b->sees(QStringLiteral("316000001"), true); }, kWait));
        QCOMPARE(a.seen[QStringLiteral("316000002")].name, QStringLiteral("Bravo"));
        QCOMPARE(a.seen[QStringLiteral("316000002")].instance, b->link.instance());

        const auto call = routineTo(QStringLiteral("316000002"), QStringLiteral("316000001"), 72);
        QVERIFY(a.link.publishCall(call));
        QVERIFY(QTest::qWaitFor([&] { return !b->calls.isEmpty(); }, kWait));
        QCOMPARE(b->calls[0].first, QStringLiteral("316000001"));
        QCOMPARE(b->calls[0].second, call);
        const auto reply = dscwire::Message::ableToComply(call, QStringLiteral("316000002"));
        QVERIFY(b->link.publishCall(reply));
        QVERIFY(QTest::qWaitFor([&] { return !a.calls.isEmpty(); }, kWait));
        QCOMPARE(a.calls[0].second, reply);
        QCOMPARE(a.calls.size(), 1);  // not its own call back
        QCOMPARE(b->calls.size(), 1);

        a.link.announce(QStringLiteral("Alpha II"), QStringLiteral("316000001"));
        QVERIFY(QTest::qWaitFor([&] { return b->seen[QStringLiteral("316000001")].name == QStringLiteral("Alpha II"); }, kWait));
        delete b;  // leaves cleanly: says offline itself
        QVERIFY(QTest::qWaitFor([&] { return a.sees(QStringLiteral("316000002"), false); }, kWait));
    }

    // A second trainer with an MMSI that is online already is refused and told why; the one
    // online stays online and gets a notice.
    void mmsiAlreadyOnlineIsRefused() {
        TestBroker broker;
        QVERIFY(broker.start());
        Station first(onLoopback(broker.port(), QStringLiteral("316123456"), QStringLiteral("First")));
        first.link.start();
        QVERIFY(QTest::qWaitFor([&] { return first.online() && first.sees(QStringLiteral("316123456"), true); }, kWait));
        Station second(onLoopback(broker.port(), QStringLiteral("316123456"), QStringLiteral("Second")));
        second.link.start();
        QVERIFY(QTest::qWaitFor([&] { return second.link.state() == LinkState::Refused; }, kWait));
        QCOMPARE(second.link.reason(), QStringLiteral("MMSI 316123456 is already online in class harbour"));
        QVERIFY(QTest::qWaitFor([&] { return !first.notices.isEmpty(); }, kWait));
        QVERIFY2(first.notices[0].contains(QStringLiteral("Second")), qPrintable(first.notices[0]));
        QVERIFY(first.online());
        // The first still works: a third station hears it.
        Station third(onLoopback(broker.port(), QStringLiteral("316000003"), QStringLiteral("Third")));
        third.link.start();
        QVERIFY(QTest::qWaitFor([&] { return third.online(); }, kWait));
        QVERIFY(first.link.publishCall(routineTo(QStringLiteral("316000003"), QStringLiteral("316123456"))));
        QVERIFY(QTest::qWaitFor([&] { return third.calls.size() == 1; }, kWait));
        QCOMPARE(first.seen[QStringLiteral("316123456")].instance, first.link.instance());
    }

    // The broker goes away under two running links and comes back (keeping its sessions on
    // disk): both reconnect by themselves, and a call sent while it was away arrives once.
    void brokerRestartLosesAndDoublesNothing() {
        TestBroker broker({}, true);
        QVERIFY(broker.start());
        Station a(onLoopback(broker.port(), QStringLiteral("316000011"), QStringLiteral("Alpha")));
        Station b(onLoopback(broker.port(), QStringLiteral("316000012"), QStringLiteral("Bravo")));
        a.link.start();
        b.link.start();
        QVERIFY(QTest::qWaitFor([&] { return a.online() && b.online(); }, kWait));
        const auto before = routineTo(QStringLiteral("316000012"), QStringLiteral("316000011"), 6);
        QVERIFY(a.link.publishCall(before));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() == 1; }, kWait));

        broker.stop();
        QVERIFY(QTest::qWaitFor([&] { return a.link.state() == LinkState::Offline && b.link.state() == LinkState::Offline; }, kWait));
        const auto during = routineTo(QStringLiteral("316000012"), QStringLiteral("316000011"), 8);
        QVERIFY(a.link.publishCall(during));
        QVERIFY(broker.start());
        QVERIFY(QTest::qWaitFor([&] { return a.online() && b.online(); }, kWait));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() >= 2; }, kWait));
        // One more call after it: once it is in, anything doubled would have come before it.
        const auto after = routineTo(QStringLiteral("316000012"), QStringLiteral("316000011"), 10);
        QVERIFY(a.link.publishCall(after));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() >= 3; }, kWait));
        QCOMPARE(b.calls.size(), 3);
        QCOMPARE(b.calls[1].second, during);
        QCOMPARE(b.calls[2].second, after);
        QCOMPARE(a.count(LinkState::Offline), 1);
    }

    // Payloads that must not reach the air: each is dropped with one warning, and the link goes
    // on taking good calls.
    void badPayloadsAreDropped() {
        TestBroker broker;
        QVERIFY(broker.start());
        Station b(onLoopback(broker.port(), QStringLiteral("316000022"), QStringLiteral("Bravo")));
        b.link.start();
        QVERIFY(QTest::qWaitFor([&] { return b.online(); }, kWait));
        const QString rogue = QStringLiteral("316000021");
        RawClient raw(broker.port(), QStringLiteral("rogue"));
        QVERIFY(QTest::qWaitFor([&] { return raw.client.isConnected(); }, kWait));
        const QString topic = topics::call(QStringLiteral("harbour"), rogue);
        const QList<int> good = symbolsOf(routineTo(QStringLiteral("316000022"), rogue));
        QList<int> broken = good;
        broken[1] = 7;  // the two format specifiers differ

        qint64 seq = 1000;
        QVERIFY(raw.publish(topic, envelope(rogue, seq, good)));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() == 1; }, kWait));

        const QList<std::pair<const char*, QByteArray>> bad = {
            {"malformed JSON", QByteArrayLiteral("{\"v\":1,\"sender\":")},
            {"not an object", QByteArrayLiteral("[1,2,3]")},
            {"5 KiB", envelope(rogue, ++seq, good).replace("\"v\":1", "\"v\":1,\"pad\":\"" + QByteArray(5120, 'x') + "\"")},
            {"wrong version", envelope(rogue, ++seq, good, 2)},
            {"no symbols", QByteArrayLiteral("{\"v\":1,\"sender\":\"316000021\",\"seq\":5000,\"time\":\"2024-01-01T00:00:00Z\"}")},
            {"symbols that do not decode", envelope(rogue, ++seq, broken)},
            {"sender other than the topic", envelope(QStringLiteral("316000023"), ++seq, symbolsOf(routineTo(QStringLiteral("316000022"), QStringLiteral("316000023"))))},
            {"self-ID other than the sender", envelope(rogue, ++seq, symbolsOf(routineTo(QStringLiteral("316000022"), QStringLiteral("316000024"))))},
            {"replayed sequence number", envelope(rogue, 1000, good)},
        };
        for (const auto& [what, payload] : bad) {
            const int warningsBefore = classWarnings.loadRelaxed();
            QVERIFY2(raw.publish(topic, payload), what);
            // A good call after it: once that is in, the bad one has been dealt with.
            const int callsBefore = int(b.calls.size());
            QVERIFY2(raw.publish(topic, envelope(rogue, ++seq + 100, good)), what);
            seq += 100;
            QVERIFY2(QTest::qWaitFor([&] { return b.calls.size() > callsBefore; }, kWait), what);
            QVERIFY2(b.calls.size() == callsBefore + 1, what);
            QVERIFY2(classWarnings.loadRelaxed() - warningsBefore == 1, what);
        }
        QVERIFY(b.online());
    }

    // No broker at first: the link says so once, keeps trying, and joins when the broker starts.
    void brokerNotThereAtStart() {
        TestBroker broker;
        const int warningsBefore = classWarnings.loadRelaxed();
        Station a(onLoopback(broker.port(), QStringLiteral("316000031"), QStringLiteral("Alpha")));
        a.link.start();
        QVERIFY(QTest::qWaitFor([&] { return a.link.state() == LinkState::Offline; }, kWait));
        QVERIFY2(a.link.reason().contains(QStringLiteral("Cannot reach the broker at 127.0.0.1")), qPrintable(a.link.reason()));
        // A call given while offline goes out once the link is up.
        const auto call = routineTo(QStringLiteral("316000032"), QStringLiteral("316000031"));
        QVERIFY(a.link.publishCall(call));
        QVERIFY(broker.start());
        Station b(onLoopback(broker.port(), QStringLiteral("316000032"), QStringLiteral("Bravo")));
        b.link.start();
        QVERIFY(QTest::qWaitFor([&] { return b.online(); }, kWait));
        QVERIFY(QTest::qWaitFor([&] { return a.online(); }, kWait));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() == 1; }, kWait));
        QCOMPARE(b.calls[0].second, call);
        QCOMPARE(a.count(LinkState::Offline), 1);
        QCOMPARE(classWarnings.loadRelaxed() - warningsBefore, 1);
    }

    // The broker of docs/classroom: stations log in with their MMSI; a trainee's command never
    // reaches the class, the instructor's does, and trainees' calls flow as usual.
    void aclLetsOnlyTheInstructorCommand() {
        const QString docs = QStringLiteral(VHF_SOURCE_DIR "/docs/classroom/");
        QFile conf(docs + QStringLiteral("mosquitto.conf"));
        QVERIFY(conf.open(QIODevice::ReadOnly));
        QString config;
        for (const QString& line : QString::fromUtf8(conf.readAll()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("listener")) || line.startsWith(QLatin1String("persistence"))) continue;
            if (line.startsWith(QLatin1String("password_file"))) config += QStringLiteral("password_file %DIR%/vhfdsc.passwd\n");
            else if (line.startsWith(QLatin1String("acl_file"))) config += QStringLiteral("acl_file %1vhfdsc.acl\n").arg(docs);
            else config += line + QLatin1Char('\n');
        }
        TestBroker broker(config);
        const QString instructor = QStringLiteral("003669927"), trainee = QStringLiteral("316000041"),
                      listener = QStringLiteral("316000042");
        for (const QString& user : {instructor, trainee, listener}) {
            QStringList args{QStringLiteral("-b"), broker.dir() + QStringLiteral("/vhfdsc.passwd"), user, QStringLiteral("pw-") + user};
            if (user == instructor) args.prepend(QStringLiteral("-c"));
            QProcess passwd;
            passwd.start(TestBroker::program(QStringLiteral("mosquitto_passwd")), args);
            QVERIFY(passwd.waitForFinished(20000));
            QCOMPARE(passwd.exitCode(), 0);
        }
        QVERIFY(broker.start());
        auto login = [&](const QString& mmsi, bool isInstructor) {
            Settings s = onLoopback(broker.port(), mmsi, mmsi, QStringLiteral("deck"));
            s.user = mmsi;
            s.password = QStringLiteral("pw-") + mmsi;
            s.instructor = isInstructor;
            return s;
        };
        Station boss(login(instructor, true)), pupil(login(trainee, false)), ear(login(listener, false));
        boss.link.start();
        pupil.link.start();
        ear.link.start();
        QVERIFY(QTest::qWaitFor([&] { return boss.online() && pupil.online() && ear.online(); }, kWait));
        QVERIFY(QTest::qWaitFor([&] { return ear.sees(trainee, true) && ear.sees(instructor, true); }, kWait));

        // The trainee's own link will not send a command; a bare client with its login tries.
        QVERIFY(!pupil.link.publishCommand(QStringLiteral("reset")));
        RawClient raw(broker.port(), QStringLiteral("pupil-raw"), trainee, QStringLiteral("pw-") + trainee);
        QVERIFY(QTest::qWaitFor([&] { return raw.client.isConnected(); }, kWait));
        QVERIFY(raw.publish(topics::command(QStringLiteral("deck")), encodeCommand(trainee, QStringLiteral("reset"), QDateTime::currentDateTimeUtc())));
        QVERIFY(boss.link.publishCommand(QStringLiteral("freeze")));
        QVERIFY(QTest::qWaitFor([&] { return !ear.commands.isEmpty(); }, kWait));
        QCOMPARE(ear.commands, QStringList{QStringLiteral("freeze")});

        // A trainee's calls under its own MMSI pass; under another's they do not.
        QVERIFY(raw.publish(topics::call(QStringLiteral("deck"), listener),
                            envelope(listener, 1, symbolsOf(routineTo(trainee, listener)))));
        QVERIFY(pupil.link.publishCall(routineTo(listener, trainee)));
        QVERIFY(QTest::qWaitFor([&] { return !ear.calls.isEmpty() && !boss.calls.isEmpty(); }, kWait));
        QCOMPARE(boss.calls.size(), 1);
        QCOMPARE(boss.calls[0].first, trainee);
        QCOMPARE(ear.calls.size(), 1);
        QVERIFY(pupil.calls.isEmpty());

        // Voice the same: a trainee speaks only as itself.
        VoiceMessage frame;
        frame.packet = QByteArrayLiteral("\x08\x01");
        frame.transmission = 1;
        frame.sender = listener;
        QVERIFY(raw.publish(topics::voice(QStringLiteral("deck"), QStringLiteral("16"), listener), encodeVoice(frame)));
        frame.sender = trainee;
        QVERIFY(raw.publish(topics::voice(QStringLiteral("deck"), QStringLiteral("16"), trainee), encodeVoice(frame)));
        QVERIFY(QTest::qWaitFor([&] { return !boss.voices.isEmpty(); }, kWait));
        QCOMPARE(boss.voices, QStringList{QStringLiteral("16/") + trainee});

        // A trainee's exam record reaches the instructor, not another trainee. The snooper asks for
        // every record first, then for the presence kept on the broker: once a presence has come,
        // any record it was allowed would have come before it.
        RawClient sitter(broker.port(), QStringLiteral("ear-raw"), listener, QStringLiteral("pw-") + listener);
        QVERIFY(QTest::qWaitFor([&] { return sitter.client.isConnected(); }, kWait));
        QVERIFY(sitter.client.publish(topics::examRecord(QStringLiteral("deck"), listener), QByteArrayLiteral("{}"), 1, true) == 0);
        QVERIFY(QTest::qWaitFor([&] { return sitter.acked > 0; }, kWait));
        QStringList seen;
        QObject::connect(&raw.client, &MqttClient::messageReceived,
                         [&](const QString& topic, const QByteArray&, bool) { seen << topic; });
        QVERIFY(raw.client.subscribe(topics::allExamRecords(QStringLiteral("deck")), 1) == 0);
        QVERIFY(raw.client.subscribe(topics::allStatus(QStringLiteral("deck")), 1) == 0);
        QVERIFY(QTest::qWaitFor([&] { return !seen.isEmpty(); }, kWait));
        QVERIFY2(!seen.join(QLatin1Char(' ')).contains(QLatin1String("/examrecord/")), qPrintable(seen.join(QLatin1Char(' '))));
        RawClient examiner(broker.port(), QStringLiteral("boss-raw"), instructor, QStringLiteral("pw-") + instructor);
        QStringList records;
        QObject::connect(&examiner.client, &MqttClient::messageReceived,
                         [&](const QString& topic, const QByteArray&, bool) { records << topic; });
        QVERIFY(QTest::qWaitFor([&] { return examiner.client.isConnected(); }, kWait));
        QVERIFY(examiner.client.subscribe(topics::allExamRecords(QStringLiteral("deck")), 1) == 0);
        QVERIFY(QTest::qWaitFor([&] { return !records.isEmpty(); }, kWait));
        QCOMPARE(records, QStringList{topics::examRecord(QStringLiteral("deck"), listener)});
    }

    // A broker given by name is looked up on a thread of its own (the IPv4 address of
    // "localhost": the broker listens on 127.0.0.1 only); a link deleted while its look-up is
    // under way is not called back.
    void brokerGivenByName() {
        TestBroker broker;
        QVERIFY(broker.start());
        Settings byName = onLoopback(broker.port(), QStringLiteral("316000061"), QStringLiteral("Alpha"));
        byName.host = QStringLiteral("localhost");
        {
            Link gone(byName);
            gone.start();
            QCOMPARE(gone.state(), LinkState::Connecting);  // the answer comes later
        }
        Station a(byName);
        Station b(onLoopback(broker.port(), QStringLiteral("316000062"), QStringLiteral("Bravo")));
        a.link.start();
        b.link.start();
        QVERIFY(QTest::qWaitFor([&] { return a.online() && b.sees(QStringLiteral("316000061"), true); }, kWait));
        QVERIFY(a.link.publishCall(routineTo(QStringLiteral("316000062"), QStringLiteral("316000061"))));
        QVERIFY(QTest::qWaitFor([&] { return b.calls.size() == 1; }, kWait));
        QCOMPARE(a.count(LinkState::Offline), 0);
    }

    // Calls reach the application's slots straight from the turn of the event loop that read
    // them: a slot may answer at once and delete the link, and the answer still goes out.
    void slotMayAnswerAndDeleteTheLink() {
        TestBroker broker;
        QVERIFY(broker.start());
        Station a(onLoopback(broker.port(), QStringLiteral("316000071"), QStringLiteral("Alpha")));
        auto* b = new Link(onLoopback(broker.port(), QStringLiteral("316000072"), QStringLiteral("Bravo")));
        QPointer<Link> bAlive(b);
        QObject::connect(b, &Link::callReceived, [b](const QString&, const dscwire::Message& m, const QDateTime&) {
            QVERIFY(b->publishCall(dscwire::Message::ableToComply(m, QStringLiteral("316000072"))));
            delete b;
        });
        a.link.start();
        b->start();
        QVERIFY(QTest::qWaitFor([&] { return a.online() && a.sees(QStringLiteral("316000072"), true); }, kWait));
        const auto call = routineTo(QStringLiteral("316000072"), QStringLiteral("316000071"));
        QVERIFY(a.link.publishCall(call));
        QVERIFY(QTest::qWaitFor([&] { return !a.calls.isEmpty() && a.sees(QStringLiteral("316000072"), false); }, kWait));
        QVERIFY(!bAlive);
        QCOMPARE(a.calls.size(), 1);
        QCOMPARE(a.calls[0].second, dscwire::Message::ableToComply(call, QStringLiteral("316000072")));
    }

    // Without libmosquitto (a child run of this test is told to load a library that is not
    // there) the link is refused and names the package that brings it. Nor is the library
    // loaded before a link starts.
    void withoutTheMqttLibrary() {
        const QByteArray missing = "libmosquitto-not-here.so.1";
        if (qgetenv("VHF_MOSQUITTO_LIBRARY") == missing) {
            QVERIFY(!mosquittoLoaded());
            Station a(onLoopback(1883, QStringLiteral("316000081"), QStringLiteral("Alpha")));
            a.link.start();
            QCOMPARE(a.link.state(), LinkState::Refused);
            QCOMPARE(a.link.reason(), QStringLiteral("Cannot join class harbour: the MQTT client library %1 is not "
                                                     "installed (Debian package libmosquitto1)").arg(QString::fromLatin1(missing)));
            QString error;
            QVERIFY(!a.link.publishCall(routineTo(QStringLiteral("316000082"), QStringLiteral("316000081")), &error));
            QCOMPARE(error, a.link.reason());
            a.link.stop();
            QCOMPARE(a.link.state(), LinkState::Refused);
            QVERIFY(!mosquittoLoaded());
            return;
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VHF_MOSQUITTO_LIBRARY"), QString::fromLatin1(missing));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("withoutTheMqttLibrary")});
        QVERIFY(child.waitForFinished(kWait));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestClassroom::withoutTheMqttLibrary()"), output.constData());
    }
};

QTEST_GUILESS_MAIN(TestClassroom)
#include "tst_classroom.moc"
