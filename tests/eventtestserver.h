// A scripted event server for the update tests: it listens on one loopback
// address at the viewer's fixed port and answers every connection with the
// same steps (send bytes, pause, close), counting connections and noticing
// when a client goes away.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class EventTestServer : public QObject
{
public:
    struct Step
    {
        enum Kind
        {
            Send,
            Pause,
            Close
        } kind;
        QByteArray bytes;
        int ms = 0;
    };
    static Step send(const QByteArray &bytes) { return {Step::Send, bytes, 0}; }
    static Step pause(int ms) { return {Step::Pause, {}, ms}; }
    static Step close() { return {Step::Close, {}, 0}; }

    explicit EventTestServer(const QList<Step> &steps = {})
        : steps(steps)
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = server.nextPendingConnection()) {
                ++connections;
                clients.append(client);
                connect(client, &QTcpSocket::disconnected, this, [this] { ++disconnections; });
                run(client, 0);
            }
        });
    }

    bool listen(const char *address, quint16 port = 2554)
    {
        return server.listen(QHostAddress(QLatin1String(address)), port);
    }

    int connections = 0;
    int disconnections = 0; // clients that went away (or that this server closed)

private:
    void run(QTcpSocket *client, int index)
    {
        QPointer<QTcpSocket> guard(client);
        for (; guard && index < steps.size(); ++index) {
            const Step &step = steps.at(index);
            if (step.kind == Step::Send) {
                client->write(step.bytes);
                client->flush();
            } else if (step.kind == Step::Pause) {
                QTimer::singleShot(step.ms, client,
                                   [this, client, index] { run(client, index + 1); });
                return;
            } else {
                client->disconnectFromHost();
                return;
            }
        }
    }

    QTcpServer server;
    QList<Step> steps;
    QList<QPointer<QTcpSocket>> clients;
};
