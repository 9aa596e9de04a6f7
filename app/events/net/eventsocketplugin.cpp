// The event update's TCP connection, in a plugin of its own: Qt Network and
// the libraries it brings load with the first update.
#include "events/eventsocket.h"

#include <QObject>
#include <QTcpSocket>

namespace {

class TcpEventSocket : public EventSocket
{
public:
    explicit TcpEventSocket(Handlers handlers)
        : socket(new QTcpSocket)
    {
        // The socket is its own context: once it is let go, nothing is called.
        QObject::connect(socket, &QTcpSocket::connected, socket, handlers.connected);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, handlers.readyRead);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, handlers.disconnected);
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket,
                         [failed = handlers.failed](QAbstractSocket::SocketError) { failed(); });
    }

    TcpEventSocket(const TcpEventSocket &) = delete;
    TcpEventSocket &operator=(const TcpEventSocket &) = delete;

    ~TcpEventSocket() override
    {
        // Often let go from within one of its own signals: deleted later.
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
    }

    void connectToHost(const QString &address, quint16 port) override
    {
        socket->connectToHost(address, port, QIODevice::ReadWrite);
    }

    QByteArray readAll() override { return socket->readAll(); }

    QString errorString() const override { return socket->errorString(); }

private:
    QTcpSocket *socket;
};

} // namespace

class EventSocketPlugin : public QObject, public EventSocketFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID EventSocketFactory_iid)
    Q_INTERFACES(EventSocketFactory)

public:
    std::unique_ptr<EventSocket> create(EventSocket::Handlers handlers) const override
    {
        return std::make_unique<TcpEventSocket>(std::move(handlers));
    }
};

#include "eventsocketplugin.moc"
