// The window's side of the smart plugs: the connection to the broker (made by
// the MQTT plugin, loaded off the window's thread on first use), the devices
// heard while it is up and the counters of the assigned ones, kept as their
// readings. A device no appliance is assigned to is held in memory only, and
// only the most recently heard of them: a broker may carry a whole street's.
#pragma once

#include "household/plugreadings.h"
#include "plugs/pluglogic.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>

class PlugConnection;
class QTimer;

class PlugSession : public QObject
{
    Q_OBJECT

public:
    // Counters heard are stored at least this often, in milliseconds.
    static constexpr int storeEveryMs = 60 * 1000;
    // After how long connected without a plug heard the session is silent,
    // in milliseconds.
    static constexpr int silentAfterMs = 60 * 1000;
    // The most devices without an appliance held at once.
    static constexpr int mostUnassigned = 200;

    // Reads the assigned plugs and the most a plug carries once.
    PlugSession(const QSqlDatabase &db, QObject *parent = nullptr);
    ~PlugSession() override; // stores what was heard

    // Connects to broker, in place of any connection before: the plugin is
    // loaded first, off the window's thread; status() says how it goes.
    void start(const PlugReadings::Broker &broker);

    // The connection's state in words ("connected", "cannot reach ...").
    QString status() const { return statusText; }
    bool isConnected() const { return connected; }
    // Whether the broker has been connected silentAfterMs without a plug's
    // counter heard (statusChanged says when this changes).
    bool isSilent() const { return silent; }
    // Whether the assigned plugs could be read when the session started.
    bool readFailed() const { return unreadable; }

    // A device heard since the session started, or assigned before.
    struct Plug
    {
        QString topic;             // its key (see PlugLogic)
        std::optional<double> kWh; // the latest counter, heard or stored
        QString appliance;         // Tips name; empty when unassigned
        quint64 heard = 0;         // when last heard, in messages read
    };
    // By key.
    const QHash<QString, Plug> &plugs() const { return devices; }

    // Reads a message of topic: each device's counter in it is kept, and stored when
    // an appliance is assigned to it and the counter is plausible (see
    // PlugReadings::Recorder); a payload that is not sound or a refused rise
    // is said on standard error, once an hour per device, and kept nowhere.
    void receive(const QString &topic, const QByteArray &payload, bool retained = false);

    // Assigns topic to appliance (empty: to none) and stores it; its latest
    // counter is stored at once, and its counters from then on. False when it was not stored.
    bool assign(const QString &topic, const QString &appliance);
    // Forgets topic: its assignment and stored counters too. False, nothing
    // forgotten, when the file could not be written.
    bool forget(const QString &topic);
    // Takes a new most a plug carries for the rises checked from now on.
    void setMostKW(double kW) { recorder.setMostKW(kW); }

    // Stores the counters heard (PlugReadings::Recorder::flush).
    bool store();

signals:
    void statusChanged();
    void plugHeard(const QString &topic);     // a new device, or a new counter or appliance of one
    void plugGone(const QString &topic);      // no longer held
    void counterRefused(const QString &text); // for the page, once an hour a device
    void counterKept(); // a message's counter was read (for tests and benchmarks)

private:
    QSqlDatabase db;
    std::unique_ptr<PlugConnection> connection;
    int attempt = 0; // which start() the plugin's loading is for
    QString statusText;
    bool connected = false;
    bool unreadable = false;
    bool heardAny = false; // a counter since the connection came up
    bool silent = false;
    QTimer *silence; // from the connection's coming up
    QHash<QString, Plug> devices;
    int unassigned = 0; // how many devices have no appliance
    quint64 messages = 0;
    PlugReadings::Recorder recorder;
    PlugLogic::Warnings warnings;
    PlugLogic::Warnings refusals;
    QTimer *storeTimer;

    void setStatus(bool up, const QString &text);
    // Keeps a counter of a message read at now.
    void take(const PlugLogic::Counter &counter, const QDateTime &now, bool retained);
    void dropOldestUnassigned();
};
