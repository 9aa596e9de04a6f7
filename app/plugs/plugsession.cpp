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
    , storeTimer(new QTimer(this))
{
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
        handlers.message = [this](const QString &topic, const QByteArray &payload) {
            receive(topic, payload);
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

void PlugSession::receive(const QString &topic, const QByteArray &payload)
{
    const std::optional<PlugLogic::Counter> counter = PlugLogic::counterOf(topic, payload);
    if (!counter)
        return;
    if (!counter->problem.isEmpty()) {
        if (warnings.due(topic, QDateTime::currentDateTime()))
            qWarning("Viridio: ignored %s from the smart plug %s", qPrintable(counter->problem),
                     qPrintable(topic));
        return;
    }
    recorder.heard(topic, counter->kWh, Clock::today());
    const auto known = std::find_if(heardPlugs.begin(), heardPlugs.end(),
                                    [&topic](const Plug &plug) { return plug.topic == topic; });
    if (known == heardPlugs.end()) {
        heardPlugs.append({topic, counter->plug.name, counter->plug.family, counter->kWh});
        emit plugHeard(int(heardPlugs.size() - 1));
    } else {
        known->kWh = counter->kWh;
        emit plugHeard(int(known - heardPlugs.begin()));
    }
    emit counterKept();
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
    connected = up;
    statusText = text;
    emit statusChanged();
}
