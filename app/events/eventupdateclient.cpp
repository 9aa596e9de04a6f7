#include "events/eventupdateclient.h"

#include "events/eventformat.h"
#include "events/eventsocket.h"
#include "plugins.h"

const EventSocketFactory *EventSocketFactory::load(QString *error)
{
    return Plugins::as<EventSocketFactory>(QStringLiteral("viridio_eventsocket"), error);
}

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

bool EventUpdateClient::start(const QString &address, quint16 port)
{
    if (socket)
        return false;
    buffer.clear();
    connected = false;
    QString missing;
    const EventSocketFactory *sockets = EventSocketFactory::load(&missing);
    if (!sockets) {
        // Reported as any failed exchange is, once the caller has returned.
        QTimer::singleShot(0, this, [this, missing] {
            emit failed(Failure::NoNetworkPart,
                        QStringLiteral("no network connection can be made: ") + missing);
        });
        return true;
    }
    socket = sockets->create({[this] { onConnected(); }, [this] { onReadyRead(); },
                              [this] { onDisconnected(); },
                              [this] {
                                  // A refused connection, or the server resetting
                                  // it: what has arrived may still hold the whole
                                  // message.
                                  if (!socket)
                                      return;
                                  if (connected) {
                                      onDisconnected();
                                      return;
                                  }
                                  const QString reason = socket->errorString();
                                  finish();
                                  emit failed(Failure::NoAnswer, reason);
                              }});
    waitTimer.start(limits.connectMs);
    totalTimer.start(limits.totalMs);
    socket->connectToHost(address, port);
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
    // The connection is dropped at once and deleted when its own signal, if
    // one is running, has returned.
    socket.reset();
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
        // Nothing at all is no answer; part of a message is an answer cut short.
        const bool nothing = buffer.isEmpty();
        finish();
        if (nothing)
            emit failed(Failure::NoAnswer,
                        QStringLiteral("the server closed the connection without a message"));
        else
            emit failed(Failure::CutShort,
                        QStringLiteral("the server closed the connection after %1 bytes, before "
                                       "its message ended")
                            .arg(buffer.size()));
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
    emit failed(Failure::NoAnswer, reason);
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
        emit failed(Failure::Unusable, QStringLiteral("malformed message"));
    else
        emit received(decoded.text);
    return true;
}
