// The local socket of one window per data file, in a plugin of its own: Qt
// Network and the libraries it brings load after the window's first frame.
#include "windowcall.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

// What a later start sends: one line.
const QByteArray raiseLine = QByteArrayLiteral("raise\n");

} // namespace

class WindowCallPlugin : public QObject, public WindowCallFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID WindowCallFactory_iid)
    Q_INTERFACES(WindowCallFactory)

public:
    QObject *listen(const QString &name, QObject *parent,
                    std::function<void()> called) const override
    {
        auto *server = new QLocalServer(parent);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            qWarning().noquote() << "Viridio: later starts cannot reach this window -"
                                 << server->errorString();
            delete server;
            return nullptr;
        }
        QObject::connect(server, &QLocalServer::newConnection, server, [server, called] {
            while (QLocalSocket *caller = server->nextPendingConnection()) {
                QObject::connect(caller, &QLocalSocket::disconnected, caller,
                                 &QObject::deleteLater);
                QObject::connect(caller, &QLocalSocket::readyRead, caller, [caller, called] {
                    if (caller->canReadLine() && caller->readLine() == raiseLine)
                        called();
                    caller->disconnectFromServer();
                });
            }
        });
        return server;
    }

    bool call(const QString &name, int timeoutMs) const override
    {
        // The window holding the lock may not listen yet: try again shortly.
        constexpr int pauseMs = 50;
        const QDeadlineTimer deadline(timeoutMs);
        while (true) {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (socket.waitForConnected(int(deadline.remainingTime()))) {
                socket.write(raiseLine);
                return socket.waitForBytesWritten(int(deadline.remainingTime()));
            }
            if (deadline.remainingTime() <= pauseMs)
                return false;
            QThread::msleep(pauseMs);
        }
    }
};

#include "windowcallplugin.moc"
