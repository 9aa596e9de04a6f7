// The window's side of the smart plugs: the connection to the broker (made by
// the MQTT plugin, loaded off the window's thread on first use), the plugs
// heard while it is up and their counters, kept as their readings.
#pragma once

#include "household/plugreadings.h"
#include "plugs/pluglogic.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>

class PlugConnection;
class QTimer;

class PlugSession : public QObject
{
    Q_OBJECT

public:
    // Counters heard are stored at least this often, in milliseconds.
    static constexpr int storeEveryMs = 60 * 1000;

    PlugSession(const QSqlDatabase &db, QObject *parent = nullptr);
    ~PlugSession() override; // stores what was heard

    // Connects to broker, in place of any connection before: the plugin is
    // loaded first, off the window's thread; status() says how it goes.
    void start(const PlugReadings::Broker &broker);

    // The connection's state in words ("connected", "cannot reach ...").
    QString status() const { return statusText; }
    bool isConnected() const { return connected; }

    // A plug heard since the session started (or before: see PlugReadings).
    struct Plug
    {
        QString topic;
        QString name; // as its topic names it
        PlugLogic::Family family;
        double kWh = 0; // the latest counter
    };
    // In the order first heard.
    const QList<Plug> &plugs() const { return heardPlugs; }

    // Reads a message of topic: a plug's counter is kept for today and the
    // plug listed; a payload that is not sound is said on standard error, once
    // an hour per plug, and kept nowhere.
    void receive(const QString &topic, const QByteArray &payload);

    // Stores the counters heard (PlugReadings::Recorder::flush).
    bool store();

signals:
    void statusChanged();
    void plugHeard(int index); // a new plug, or a new counter of one
    void counterKept();        // a message's counter was taken (for tests and benchmarks)

private:
    QSqlDatabase db;
    std::unique_ptr<PlugConnection> connection;
    int attempt = 0; // which start() the plugin's loading is for
    QString statusText;
    bool connected = false;
    QList<Plug> heardPlugs;
    PlugReadings::Recorder recorder;
    PlugLogic::Warnings warnings;
    QTimer *storeTimer;

    void setStatus(bool up, const QString &text);
};
