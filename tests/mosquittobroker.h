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

#include <utility>

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
    // allowed, or only user with password when given; with tls, it speaks
    // TLS only, with a self-signed certificate made for it by openssl
    // (trusted by no system). Whether it listens within five seconds.
    bool start(quint16 onPort = 0, const QString &user = QString(),
               const QString &password = QString(), bool tls = false)
    {
        port = onPort ? onPort : freePort();
        QByteArray config =
            "listener " + QByteArray::number(port) + " 127.0.0.1\npersistence false\nuser root\n";
        if (tls) {
            const QString key = dir.filePath(QStringLiteral("key.pem"));
            const QString certificate = dir.filePath(QStringLiteral("certificate.pem"));
            QProcess openssl;
            openssl.setStandardOutputFile(QProcess::nullDevice());
            openssl.setStandardErrorFile(QProcess::nullDevice());
            openssl.start(QStringLiteral("/usr/bin/openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"),
                           QStringLiteral("-newkey"), QStringLiteral("ec"),
                           QStringLiteral("-pkeyopt"),
                           QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                           QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), key,
                           QStringLiteral("-out"), certificate});
            if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
                return false;
            config +=
                "certfile " + certificate.toLocal8Bit() + "\nkeyfile " + key.toLocal8Bit() + '\n';
        }
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

    // Publishes payload on topic as a plug would, kept by the broker for
    // later subscribers with retain; whether it was sent.
    bool publish(const QString &topic, const QByteArray &payload, bool retain = false) const
    {
        QProcess pub;
        QStringList arguments = {QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                                 QStringLiteral("-p"), QString::number(port),
                                 QStringLiteral("-t"), topic,
                                 QStringLiteral("-s")};
        if (retain)
            arguments.append(QStringLiteral("-r"));
        pub.start(QStringLiteral("/usr/bin/mosquitto_pub"), arguments);
        if (!pub.waitForStarted(5000))
            return false;
        pub.write(payload);
        pub.closeWriteChannel();
        return pub.waitForFinished(5000) && pub.exitCode() == 0;
    }

    // Publishes each message in one connection of MQTT 3.1.1 written by
    // hand, as fast as the broker takes them; whether all were sent. Blocks:
    // for a thread of its own.
    bool publishAll(const QList<std::pair<QString, QByteArray>> &messages) const
    {
        // A packet: its type, its remaining length (seven bits a byte), its body.
        const auto packet = [](char type, const QByteArray &body) {
            QByteArray bytes(1, type);
            qsizetype length = body.size();
            do {
                const char digit = char(length % 128);
                length /= 128;
                bytes += char(length > 0 ? digit | 0x80 : digit);
            } while (length > 0);
            return bytes + body;
        };
        const auto text = [](const QByteArray &utf8) {
            return QByteArray(1, char(utf8.size() >> 8)) + char(utf8.size() & 0xff) + utf8;
        };
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return false;
        // CONNECT: protocol level 4, a clean session, 60 s keep-alive.
        socket.write(
            packet(0x10, text("MQTT") + QByteArray("\x04\x02\x00\x3c", 4) + text("publishAll")));
        if (!socket.waitForReadyRead(5000) || !socket.read(4).startsWith("\x20\x02"))
            return false;
        for (const auto &[topic, payload] : messages) {
            socket.write(packet(0x30, text(topic.toUtf8()) + payload));
            while (socket.bytesToWrite() > 1 << 20)
                if (!socket.waitForBytesWritten(5000))
                    return false;
        }
        socket.write(QByteArray("\xe0\x00", 2)); // DISCONNECT
        while (socket.bytesToWrite() > 0)
            if (!socket.waitForBytesWritten(5000))
                return false;
        socket.disconnectFromHost();
        return true;
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
