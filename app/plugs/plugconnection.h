// The connection to the household's MQTT broker that smart plugs publish to.
// It is made by a plugin (app/plugs/mqtt/), so that the MQTT library loads
// only once plugs are set up or their page is opened, never at a start
// without plugs. The connection runs on a thread of its own: connecting,
// waiting for a slow or absent broker and reconnecting never hold the window.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtPlugin>

#include <functional>
#include <memory>

class QObject;

class PlugConnection
{
public:
    struct Broker
    {
        QString address; // a host name or an IP address
        int port = 1883;
        QString user; // empty for none
        QString password;
        bool tls = false; // checked against the system's certificate store
    };

    // Called on the window's thread, through its event loop (queued from the
    // connection's thread): for each message of a subscribed topic, in the
    // order they arrived, a few milliseconds' worth at a time however many
    // wait (retained: the broker kept it from before this connection); and as
    // the connection's state changes, in words for the page ("connected",
    // "cannot reach 192.168.1.5:1883: connection refused", "the broker
    // refused the user name or password").
    struct Handlers
    {
        std::function<void(const QString &topic, const QByteArray &payload, bool retained)> message;
        std::function<void(bool connected, const QString &status)> status;
    };

    // Drops the connection without waiting for its thread; no handler is
    // called afterwards.
    virtual ~PlugConnection() = default;
};

class PlugConnectionFactory
{
public:
    virtual ~PlugConnectionFactory() = default;

    // Starts connecting to broker and subscribing to topics, reconnecting
    // after a failure with a wait that grows from one second to a minute.
    // context lives on the window's thread; handlers are called through it.
    virtual std::unique_ptr<PlugConnection> open(const PlugConnection::Broker &broker,
                                                 const QStringList &topics, QObject *context,
                                                 PlugConnection::Handlers handlers) const = 0;

    // The plugin, loaded on the first call; nullptr, and why in error, when
    // it cannot be loaded.
    static const PlugConnectionFactory *load(QString *error = nullptr);
};

#define PlugConnectionFactory_iid "org.viridio.PlugConnection/2"
Q_DECLARE_INTERFACE(PlugConnectionFactory, PlugConnectionFactory_iid)
