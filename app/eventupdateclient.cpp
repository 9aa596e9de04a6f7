#include "eventupdateclient.h"

#include "eventformat.h"

#include <QTcpSocket>

EventUpdateClient::EventUpdateClient(QObject *parent)
    : QObject(parent)
{
    // Coarse timers may fire up to 5% early; the limits are meant to the ms.
    waitTimer.setSingleShot(true);
    waitTimer.setTimerType(Qt::PreciseTimer);
    totalTimer.setSingleShot(true);
    totalTimer.setTimerType(Qt::PreciseTimer);
    connect(&waitTimer, &QTimer::timeout, this, &EventUpdateClient::onTimeout);
    connect(&totalTimer, &QTimer::timeout, this, &EventUpdateClient::onTimeout);
}

EventUpdateClient::~EventUpdateClient()
{
    cancel();
}

bool EventUpdateClient::start(const QHostAddress &host, quint16 port)
{
    if (socket)
        return false;
    buffer.clear();
    connected = false;
    socket = new QTcpSocket(this);
    connect(socket, &QTcpSocket::connected, this, &EventUpdateClient::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &EventUpdateClient::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &EventUpdateClient::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        // A refused connection, or the server resetting it: what has arrived
        // may still hold the whole message.
        if (!socket)
            return;
        if (connected) {
            onDisconnected();
            return;
        }
        const QString reason = socket->errorString();
        finish();
        emit failed(reason);
    });
    waitTimer.start(limits.connectMs);
    totalTimer.start(limits.totalMs);
    socket->connectToHost(host, port, QIODevice::ReadWrite);
    return true;
}

void EventUpdateClient::cancel()
{
    finish();
}

void EventUpdateClient::finish()
{
    waitTimer.stop();
    totalTimer.stop();
    if (!socket)
        return;
    QTcpSocket *old = socket;
    socket = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
}

void EventUpdateClient::onConnected()
{
    connected = true;
    waitTimer.start(limits.waitMs);
}

void EventUpdateClient::onReadyRead()
{
    if (!socket)
        return;
    buffer.append(socket->readAll());
    if (!tryDecode())
        waitTimer.start(limits.waitMs); // every piece of data starts a new wait
}

void EventUpdateClient::onDisconnected()
{
    if (!socket)
        return;
    buffer.append(socket->readAll());
    if (!tryDecode()) {
        finish();
        emit failed(QStringLiteral("the server closed the connection before its message ended"));
    }
}

void EventUpdateClient::onTimeout()
{
    if (!socket)
        return;
    const QString reason = !connected              ? QStringLiteral("no connection in time")
                           : totalTimer.isActive() ? QStringLiteral("no data in time")
                                                   : QStringLiteral("the exchange took too long");
    finish();
    emit failed(reason);
}

// Reports the message once it is complete; returns false while more is needed.
bool EventUpdateClient::tryDecode()
{
    const EventFormat::Decoded decoded = EventFormat::decodeMessage(buffer);
    if (decoded.status == EventFormat::Decoded::NeedMore)
        return false;
    finish();
    buffer.clear();
    if (decoded.status == EventFormat::Decoded::Malformed)
        emit failed(QStringLiteral("malformed message"));
    else
        emit received(decoded.text);
    return true;
}
