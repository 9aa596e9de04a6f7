#include "plugs/plugsession.h"

#include "clock.h"
#include "plugins.h"
#include "plugs/plugconnection.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QTimer>

const PlugConnectionFactory *PlugConnectionFactory::load(QString *error)
{
    return Plugins::as<PlugConnectionFactory>(QStringLiteral("viridio_plugmqtt"), error);
}

PlugSession::PlugSession(const QSqlDatabase &db, QObject *parent)
    : QObject(parent)
    , db(db)
    , silence(new QTimer(this))
    , storeTimer(new QTimer(this))
{
    silence->setObjectName(QStringLiteral("plugSilence"));
    silence->setSingleShot(true);
    silence->setInterval(silentAfterMs);
    connect(silence, &QTimer::timeout, this, [this] {
        silent = !heardAny;
        if (silent)
            emit statusChanged();
    });
    const std::optional<QList<PlugReadings::Assigned>> assigned = PlugReadings::assignedPlugs(db);
    const std::optional<double> most = PlugReadings::mostKW(db);
    unreadable = !assigned || !most;
    recorder.setMostKW(most.value_or(PlugReadings::defaultMostKW));
    for (const PlugReadings::Assigned &plug : assigned.value_or(QList<PlugReadings::Assigned>())) {
        devices.insert(plug.plug, {plug.plug, plug.kWh, plug.appliance, 0});
        if (plug.kWh)
            recorder.stored(plug.plug, *plug.kWh, plug.date);
    }
    storeTimer->setInterval(storeEveryMs);
    connect(storeTimer, &QTimer::timeout, this, &PlugSession::store);
    storeTimer->start();
}

PlugSession::~PlugSession()
{
    store();
}

void PlugSession::start(const PlugReadings::Broker &broker)
{
    connection.reset();
    const int thisAttempt = ++attempt;
    setStatus(
        false,
        QStringLiteral("connecting to %1:%2").arg(broker.address, QString::number(broker.port)));
    auto *loading = new QFutureWatcher<void>(this);
    connect(loading, &QFutureWatcher<void>::finished, this, [this, loading, thisAttempt, broker] {
        loading->deleteLater();
        if (thisAttempt != attempt)
            return; // started again meanwhile
        QString error;
        const PlugConnectionFactory *factory = PlugConnectionFactory::load(&error);
        if (!factory) {
            qWarning("Viridio: cannot load the MQTT connection: %s", qPrintable(error));
            setStatus(false, QStringLiteral("the MQTT connection cannot be loaded"));
            return;
        }
        PlugConnection::Handlers handlers;
        handlers.message = [this](const QString &topic, const QByteArray &payload, bool retained) {
            receive(topic, payload, retained);
        };
        handlers.status = [this](bool up, const QString &text) {
            setStatus(up, text);
        };
        connection =
            factory->open({broker.address, broker.port, broker.user, broker.password, broker.tls},
                          PlugLogic::subscriptions(), this, std::move(handlers));
    });
    loading->setFuture(Plugins::preloaded(QStringLiteral("viridio_plugmqtt")));
}

void PlugSession::receive(const QString &topic, const QByteArray &payload, bool retained)
{
    const QList<PlugLogic::Counter> counters = PlugLogic::countersOf(topic, payload);
    if (counters.isEmpty())
        return;
    const QDateTime now(Clock::today(), QTime::currentTime());
    for (const PlugLogic::Counter &counter : counters)
        take(counter, now, retained);
    emit counterKept();
}

void PlugSession::take(const PlugLogic::Counter &counter, const QDateTime &now, bool retained)
{
    const QString &key = counter.key;
    if (!counter.problem.isEmpty()) {
        if (warnings.due(key, now))
            qWarning("Viridio: ignored %s from the smart plug %s", qPrintable(counter.problem),
                     qPrintable(key));
        return;
    }
    auto device = devices.find(key);
    if (device == devices.end()) {
        device = devices.insert(key, {key, std::nullopt, QString(), 0});
        ++unassigned;
    }
    heardAny = true;
    if (silent) {
        silent = false;
        emit statusChanged();
    }
    device->kWh = counter.kWh;
    device->heard = ++messages;
    if (!device->appliance.isEmpty() &&
        recorder.heard(key, counter.kWh, now, retained) == PlugReadings::Verdict::Refused &&
        refusals.due(key, now)) {
        const QString text =
            QStringLiteral("The counter of %1 (%2) jumped to %3 kWh, more than a plug carrying at "
                           "most %4 kW can pass since its last one; the jump is not counted.")
                .arg(counter.plug.name, PlugLogic::familyName(counter.plug.family),
                     PlugReadings::counterText(counter.kWh),
                     PlugReadings::counterText(recorder.mostKW()));
        qWarning("Viridio: %s (%s)", qPrintable(text), qPrintable(key));
        emit counterRefused(text);
    }
    emit plugHeard(key);
    if (unassigned > mostUnassigned)
        dropOldestUnassigned();
}

void PlugSession::dropOldestUnassigned()
{
    auto oldest = devices.end();
    for (auto device = devices.begin(); device != devices.end(); ++device) {
        if (device->appliance.isEmpty() &&
            (oldest == devices.end() || device->heard < oldest->heard))
            oldest = device;
    }
    if (oldest == devices.end())
        return;
    const QString topic = oldest.key();
    devices.erase(oldest);
    --unassigned;
    emit plugGone(topic);
}

bool PlugSession::assign(const QString &topic, const QString &appliance)
{
    if (!PlugReadings::assign(db, topic, appliance))
        return false;
    store(); // what a plug taken off its appliance counted till now
    const QDateTime now(Clock::today(), QTime::currentTime());
    QStringList changed;
    for (auto device = devices.begin(); device != devices.end(); ++device) {
        const bool mine = device.key() == topic;
        const bool was = !device->appliance.isEmpty();
        if (mine)
            device->appliance = appliance;
        else if (!appliance.isEmpty() && device->appliance == appliance)
            device->appliance.clear();
        else
            continue;
        const bool is = !device->appliance.isEmpty();
        unassigned += int(was) - int(is);
        if (!is)
            recorder.forget(device.key());
        else if (!was && device->kWh)
            recorder.heard(device.key(), *device->kWh, now);
        changed.append(device.key());
    }
    for (const QString &plug : std::as_const(changed))
        emit plugHeard(plug);
    while (unassigned > mostUnassigned)
        dropOldestUnassigned();
    store(); // the newly assigned plug's counter, at once
    return true;
}

bool PlugSession::forget(const QString &topic)
{
    const auto device = devices.constFind(topic);
    if (device == devices.cend())
        return true;
    if (!device->appliance.isEmpty()) {
        if (!PlugReadings::forget(db, topic))
            return false;
        recorder.forget(topic);
    } else {
        --unassigned;
    }
    devices.remove(topic);
    emit plugGone(topic);
    return true;
}

bool PlugSession::store()
{
    if (recorder.isEmpty())
        return true;
    if (recorder.flush(db))
        return true;
    qWarning("Viridio: the smart plugs' counters could not be stored yet; trying again later");
    return false;
}

void PlugSession::setStatus(bool up, const QString &text)
{
    if (up && !connected) {
        heardAny = false;
        silence->start();
    } else if (!up) {
        silence->stop();
        silent = false;
    }
    connected = up;
    statusText = text;
    emit statusChanged();
}
