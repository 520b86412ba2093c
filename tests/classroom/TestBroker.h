#pragma once
// A private Mosquitto broker for a test: on loopback, on a free port, with its config, password
// file and persistence in a temporary folder of its own. Started as `mosquitto -c FILE`, stopped
// by its pid (also when the test fails: the destructor stops it). Plain sockets, not Qt Network:
// the classroom library and its tests do without it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class TestBroker {
public:
    // `config` may hold more lines; "%DIR%" in it stands for the broker's folder. Without
    // "allow_anonymous" in it, anonymous clients are let in.
    explicit TestBroker(QString config = {}, bool persistence = false)
        : extra_(std::move(config)), persistence_(persistence) {
        port_ = freePort();
    }
    ~TestBroker() { stop(); if (qEnvironmentVariableIsSet("VHF_BROKER_LOG")) qDebug().noquote() << log(); }

    quint16 port() const { return port_; }
    QString dir() const { return dir_.path(); }

    static QString program(const QString& name) {
        QString p = QStandardPaths::findExecutable(name);
        if (p.isEmpty()) p = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
        return p;
    }

    static quint16 freePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return 0;
        sockaddr_in a = loopback(0);
        socklen_t size = sizeof a;
        const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0;
        ::close(fd);
        return ok ? ntohs(a.sin_port) : 0;
    }

    // Whether something takes connections on 127.0.0.1:port (on loopback the answer is at once).
    static bool accepts(quint16 port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const sockaddr_in a = loopback(port);
        const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        ::close(fd);
        return ok;
    }

    // Starts the broker and waits until it takes connections.
    bool start() {
        if (!dir_.isValid() || port_ == 0) return false;
        QString config = QStringLiteral("listener %1 127.0.0.1\n").arg(port_);
        if (!extra_.contains(QLatin1String("allow_anonymous"))) config += QStringLiteral("allow_anonymous true\n");
        if (persistence_)
            config += QStringLiteral("persistence true\npersistence_location %1/\nautosave_interval 0\n").arg(dir());
        else
            config += QStringLiteral("persistence false\n");
        config += QStringLiteral("log_type all\n");
        // Run as root, the broker would drop to the "mosquitto" user, which cannot write here.
        if (::geteuid() == 0) config += QStringLiteral("user root\n");
        config += QString(extra_).replace(QStringLiteral("%DIR%"), dir()) + QLatin1Char('\n');
        QFile f(dir() + QStringLiteral("/mosquitto.conf"));
        if (!f.open(QIODevice::WriteOnly) || f.write(config.toUtf8()) < 0) return false;
        f.close();
        process_.setProgram(program(QStringLiteral("mosquitto")));
        process_.setArguments({QStringLiteral("-c"), f.fileName()});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setStandardOutputFile(dir() + QStringLiteral("/mosquitto.log"), QIODevice::Append);
        process_.start();
        if (!process_.waitForStarted(10000)) return false;
        return QTest::qWaitFor([this] { return process_.state() != QProcess::Running || accepts(port_); }, 20000) &&
               process_.state() == QProcess::Running;
    }

    // Stops the broker by its pid (SIGTERM: it saves its sessions when persistent).
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    QString log() const {
        QFile f(dir_.path() + QStringLiteral("/mosquitto.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    static sockaddr_in loopback(quint16 port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    QTemporaryDir dir_;
    QString extra_;
    bool persistence_;
    quint16 port_ = 0;
    QProcess process_;
};
