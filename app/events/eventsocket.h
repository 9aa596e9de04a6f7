// The connection an event update reads its message from. It is made by a
// plugin, so that the network libraries load with the first update, not at
// every start.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtPlugin>

#include <functional>
#include <memory>

class EventSocket
{
public:
    // Called as the connection comes up, as data arrives, as the server
    // closes it, and when it fails (errorString() then says why).
    struct Handlers
    {
        std::function<void()> connected;
        std::function<void()> readyRead;
        std::function<void()> disconnected;
        std::function<void()> failed;
    };

    // Drops the connection; no handler is called afterwards.
    virtual ~EventSocket() = default;

    // Starts connecting to address, an IPv4 address in dotted form.
    virtual void connectToHost(const QString &address, quint16 port) = 0;
    virtual QByteArray readAll() = 0;
    virtual QString errorString() const = 0;
};

class EventSocketFactory
{
public:
    virtual ~EventSocketFactory() = default;
    virtual std::unique_ptr<EventSocket> create(EventSocket::Handlers handlers) const = 0;

    // The plugin, loaded on the first call; nullptr, and why in error, when
    // it cannot be loaded.
    static const EventSocketFactory *load(QString *error = nullptr);
};

#define EventSocketFactory_iid "org.viridio.EventSocket/1"
Q_DECLARE_INTERFACE(EventSocketFactory, EventSocketFactory_iid)
