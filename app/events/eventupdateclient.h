// One exchange with the event server, without blocking the event loop: connect,
// read one message and report its text or a failure. The client sends nothing.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class EventSocket;

class EventUpdateClient : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int connectMs = 5000; // for the connection to come up
        int waitMs = 5000;    // for each piece of data
        int totalMs = 30000;  // for the whole exchange
    };

    // Why an exchange failed.
    enum class Failure
    {
        NoNetworkPart, // the network plugin is not installed or cannot be loaded
        NoAnswer,      // no connection, no data in time, or the server closed before it sent any
        CutShort,      // the server closed the connection before its message ended
        Unusable,      // the message was malformed
    };

    explicit EventUpdateClient(QObject *parent = nullptr);
    ~EventUpdateClient() override;

    void setLimits(const Limits &limits) { this->limits = limits; }

    // Starts an exchange with address (an IPv4 address in dotted form) on
    // port; returns false, and does nothing, while one is running.
    bool start(const QString &address, quint16 port);

    // Ends a running exchange at once, reporting nothing.
    void cancel();

    bool isRunning() const { return socket != nullptr; }

signals:
    // The message arrived and was well-formed; text holds its string.
    void received(const QString &text);
    // The exchange failed: why, and reason in the technical words of standard error.
    void failed(EventUpdateClient::Failure why, const QString &reason);

private:
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onTimeout();
    void finish();
    bool tryDecode();

    Limits limits;
    std::unique_ptr<EventSocket> socket;
    QByteArray buffer;
    QTimer waitTimer;
    QTimer totalTimer;
    bool connected = false;
};
