// The NMEA output server on the loopback address, with real TCP clients: every client gets every
// sentence, clients come and go, and one that stops reading loses its oldest sentences instead of
// holding up the others.
#include "air/NmeaServer.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTest>

namespace {

QByteArray sentence(int n) { return QByteArray("$CDDSC,20,3662323230,00,21,26,1423108312,2019,,,B,*") + QByteArray::number(n) + "\r\n"; }

// Connects a client and waits until the server has taken it.
QTcpSocket* connectClient(air::NmeaServer& server, int clientsAfter, QObject* parent) {
    auto* socket = new QTcpSocket(parent);
    socket->connectToHost(QHostAddress::LocalHost, server.port());
    if (!socket->waitForConnected(5000)) qFatal("no connection: %s", qPrintable(socket->errorString()));
    if (!QTest::qWaitFor([&] { return server.clientCount() == clientsAfter; }, 5000)) qFatal("server did not accept");
    return socket;
}

} // namespace

class NmeaServerTest : public QObject {
    Q_OBJECT
private slots:
    void everyClientGetsEverySentenceAndMayLeave() {
        QObject owner;
        air::NmeaServer server;
        QVERIFY(server.listen(QStringLiteral("127.0.0.1"), 0));
        QTcpSocket* a = connectClient(server, 1, &owner);
        QTcpSocket* b = connectClient(server, 2, &owner);
        server.send(sentence(1));
        for (QTcpSocket* s : {a, b}) {
            QVERIFY(QTest::qWaitFor([s] { return s->canReadLine(); }, 5000));
            QCOMPARE(s->readLine(), sentence(1));
        }
        a->disconnectFromHost();
        QVERIFY(QTest::qWaitFor([&] { return server.clientCount() == 1; }, 5000));
        server.send(sentence(2));
        QVERIFY(QTest::qWaitFor([b] { return b->canReadLine(); }, 5000));
        QCOMPARE(b->readLine(), sentence(2));
        QCOMPARE(server.dropped(), 0);
    }

    void aStuckClientLosesItsOldestSentencesOnly() {
        QObject owner;
        air::NmeaServer server;
        QVERIFY(server.listen(QStringLiteral("127.0.0.1"), 0));
        auto* stuck = new QTcpSocket(&owner);
        stuck->setReadBufferSize(1); // reads (almost) nothing: the kernel's buffers fill up
        stuck->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        stuck->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(stuck->waitForConnected(5000));
        QVERIFY(QTest::qWaitFor([&] { return server.clientCount() == 1; }, 5000));
        QTcpSocket* reader = connectClient(server, 2, &owner);
        QByteArray got;
        int sent = 0;
        // Bounded: 200 000 sentences (about 12 MB) are far more than any socket buffers.
        while (server.dropped() == 0 && sent < 200000) {
            for (int i = 0; i < 100; ++i) server.send(sentence(++sent));
            QCoreApplication::processEvents();
            got += reader->readAll();
        }
        QVERIFY2(server.dropped() > 0, "the stuck client's queue never overflowed");
        const QByteArray last = sentence(sent);
        QVERIFY(QTest::qWaitFor([&] { got += reader->readAll(); return got.endsWith(last); }, 10000));
        // The reader lost nothing: every sentence, in order.
        QCOMPARE(got.count("\r\n"), sent);
        QVERIFY(got.startsWith(sentence(1)));
    }

    void aTakenPortIsReported() {
        air::NmeaServer first, second;
        QVERIFY(first.listen(QStringLiteral("127.0.0.1"), 0));
        QString error;
        QVERIFY(!second.listen(QStringLiteral("127.0.0.1"), first.port(), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(NmeaServerTest)
#include "tst_nmea_server.moc"
