// A private mosquitto broker for the smart plugs' tests: Debian's own, on a
// free port of 127.0.0.1, started and stopped by the test, with
// mosquitto_pub to publish as a plug would.
#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

class MosquittoBroker
{
public:
    // Whether the broker and its clients are installed.
    static bool available()
    {
        return QFile::exists(QStringLiteral("/usr/sbin/mosquitto")) &&
               QFile::exists(QStringLiteral("/usr/bin/mosquitto_pub"));
    }

    // A free port of 127.0.0.1: the system's choice for a listener, closed.
    static quint16 freePort()
    {
        QTcpServer server;
        return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
    }

    MosquittoBroker() = default;
    MosquittoBroker(const MosquittoBroker &) = delete;
    MosquittoBroker &operator=(const MosquittoBroker &) = delete;
    ~MosquittoBroker() { stop(); }

    // Starts the broker on port (a free one when 0), anonymous clients
    // allowed, or only user with password when given; whether it listens
    // within five seconds.
    bool start(quint16 onPort = 0, const QString &user = QString(),
               const QString &password = QString())
    {
        port = onPort ? onPort : freePort();
        QByteArray config =
            "listener " + QByteArray::number(port) + " 127.0.0.1\npersistence false\nuser root\n";
        if (user.isEmpty()) {
            config += "allow_anonymous true\n";
        } else {
            const QString passwords = dir.filePath(QStringLiteral("passwords"));
            QFile(passwords).open(QIODevice::WriteOnly);
            if (QProcess::execute(QStringLiteral("/usr/bin/mosquitto_passwd"),
                                  {QStringLiteral("-b"), passwords, user, password}) != 0)
                return false;
            config += "allow_anonymous false\npassword_file " + passwords.toLocal8Bit() + '\n';
        }
        QFile file(dir.filePath(QStringLiteral("mosquitto.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size())
            return false;
        file.close();
        // The broker's log, for a test that fails.
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(dir.filePath(QStringLiteral("mosquitto.log")));
        process.start(QStringLiteral("/usr/sbin/mosquitto"),
                      {QStringLiteral("-c"), file.fileName()});
        if (!process.waitForStarted(5000))
            return false;
        // Listening once a connection is taken; at most fifty tries.
        for (int i = 0; i < 50; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            if (probe.waitForConnected(100))
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // Publishes payload on topic as a plug would; whether it was sent.
    bool publish(const QString &topic, const QByteArray &payload) const
    {
        QProcess pub;
        pub.start(QStringLiteral("/usr/bin/mosquitto_pub"),
                  {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                   QString::number(port), QStringLiteral("-t"), topic, QStringLiteral("-s")});
        if (!pub.waitForStarted(5000))
            return false;
        pub.write(payload);
        pub.closeWriteChannel();
        return pub.waitForFinished(5000) && pub.exitCode() == 0;
    }

    // What the broker logged so far.
    QByteArray log() const
    {
        QFile file(dir.filePath(QStringLiteral("mosquitto.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    quint16 port = 0;

private:
    QTemporaryDir dir;
    QProcess process;
};
