#include "plugs/pluglogic.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>

#include <cmath>

namespace {

using PlugLogic::Counter;
using PlugLogic::Family;
using PlugLogic::Plug;

// Whether name is one level of a topic, as a plug's name must be.
bool oneLevel(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/'));
}

// Whether level names a Shelly component that counts energy: switch:<n>
// (a plug or relay) or pm1:<n> (a meter-only module).
bool energyComponent(const QString &level)
{
    static const QRegularExpression component(QStringLiteral("^(switch|pm1):[0-9]+$"));
    return component.match(level).hasMatch();
}

// Shelly counts watt-hours, its first generation watt-minutes, the others
// kilowatt-hours.
constexpr double whPerKWh = 1000;
constexpr double wattMinutesPerKWh = 60 * 1000;

// The levels of a Zigbee2MQTT topic that are a device's friendly name; empty
// for the bridge's own topics and a device's requests and availability.
QString friendlyName(const QStringList &levels)
{
    static const QStringList notDevices = {QStringLiteral("availability"), QStringLiteral("set"),
                                           QStringLiteral("get")};
    if (levels.size() < 2 || levels.at(0) != QLatin1String("zigbee2mqtt") ||
        levels.at(1) == QLatin1String("bridge") || notDevices.contains(levels.constLast()) ||
        levels.contains(QString()))
        return QString();
    return levels.mid(1).join(QLatin1Char('/'));
}

// Why value, divided by perKWh, is no counter; empty when it is one, then
// set in counter.
QString take(Counter &counter, const QJsonValue &value, double perKWh)
{
    const double kWh = value.toDouble() / perKWh;
    if (value.isDouble() && std::isfinite(kWh) && kWh >= 0 && kWh <= PlugLogic::maximumCounter) {
        counter.kWh = kWh;
        return QString();
    }
    return QStringLiteral("an energy counter that is not a number from 0 to %1 kWh: %2")
        .arg(QString::number(PlugLogic::maximumCounter, 'f', 0),
             QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)));
}

// The counter of plug, key in value (a Tasmota's may be an array of a counter
// a channel), perKWh to the kWh; appended to counters.
void append(QList<Counter> &counters, const QString &key, const Plug &plug, const QJsonValue &value,
            double perKWh)
{
    if (!value.isArray() || plug.family != Family::Tasmota) {
        Counter counter{key, plug, 0, QString()};
        counter.problem = take(counter, value, perKWh);
        counters.append(counter);
        return;
    }
    const QJsonArray channels = value.toArray();
    if (channels.isEmpty())
        counters.append({key, plug, 0, QStringLiteral("an energy counter that is an empty array")});
    for (qsizetype i = 0; i < channels.size(); ++i) {
        const QString channel = QString::number(i + 1);
        Counter counter{key + QLatin1Char('#') + channel,
                        {plug.family, plug.name + QLatin1Char(' ') + channel},
                        0,
                        QString()};
        counter.problem = take(counter, channels.at(i), perKWh);
        counters.append(counter);
    }
}

// The components of a Shelly notification that count energy, as status
// topics of prefix would carry them.
void appendNotified(QList<Counter> &counters, const QString &prefix, const QJsonObject &message)
{
    static const QStringList notifications = {QStringLiteral("NotifyStatus"),
                                              QStringLiteral("NotifyFullStatus")};
    if (!notifications.contains(message.value(QLatin1String("method")).toString()))
        return;
    const QJsonObject params = message.value(QLatin1String("params")).toObject();
    for (auto component = params.constBegin(); component != params.constEnd(); ++component) {
        const QJsonValue total = component->toObject()
                                     .value(QLatin1String("aenergy"))
                                     .toObject()
                                     .value(QLatin1String("total"));
        if (energyComponent(component.key()) && !total.isUndefined())
            append(counters, prefix + QLatin1String("/status/") + component.key(),
                   {Family::Shelly, prefix + QLatin1Char(' ') + component.key()}, total, whPerKWh);
    }
}

} // namespace

namespace PlugLogic {

QString familyName(Family family)
{
    switch (family) {
    case Family::Tasmota:
        return QStringLiteral("Tasmota");
    case Family::Shelly:
        return QStringLiteral("Shelly");
    case Family::Zigbee2Mqtt:
        return QStringLiteral("Zigbee2MQTT");
    }
    return QString();
}

QStringList subscriptions()
{
    return {QStringLiteral("tele/+/SENSOR"), QStringLiteral("+/status/+"),
            QStringLiteral("+/events/rpc"), QStringLiteral("shellies/+/relay/+/energy"),
            QStringLiteral("zigbee2mqtt/#")};
}

std::optional<Plug> plugOf(const QString &key)
{
    const QStringList levels = key.split(QLatin1Char('/'));
    if (levels.at(0) == QLatin1String("zigbee2mqtt")) {
        const QString name = friendlyName(levels);
        return name.isEmpty() ? std::nullopt : std::optional(Plug{Family::Zigbee2Mqtt, name});
    }
    if (levels.size() == 3 && levels.at(0) == QLatin1String("tele") && oneLevel(levels.at(1))) {
        static const QRegularExpression sensor(QStringLiteral("^SENSOR(#[1-9][0-9]*)?$"));
        const QRegularExpressionMatch channel = sensor.match(levels.at(2));
        if (channel.hasMatch())
            return Plug{Family::Tasmota, channel.hasCaptured(1) ? levels.at(1) + QLatin1Char(' ') +
                                                                      channel.captured(1).mid(1)
                                                                : levels.at(1)};
    }
    if (levels.size() == 3 && levels.at(1) == QLatin1String("status") && oneLevel(levels.at(0)) &&
        energyComponent(levels.at(2)))
        return Plug{Family::Shelly, levels.at(0) + QLatin1Char(' ') + levels.at(2)};
    static const QRegularExpression relay(
        QStringLiteral("^shellies/([^/]+)/relay/([0-9]+)/energy$"));
    const QRegularExpressionMatch firstGeneration = relay.match(key);
    if (firstGeneration.hasMatch())
        return Plug{Family::Shelly, firstGeneration.captured(1) + QLatin1String(" relay ") +
                                        firstGeneration.captured(2)};
    return std::nullopt;
}

QList<Counter> countersOf(const QString &topic, const QByteArray &payload)
{
    const QStringList levels = topic.split(QLatin1Char('/'));
    const bool notification = levels.size() == 3 && oneLevel(levels.at(0)) &&
                              levels.at(1) == QLatin1String("events") &&
                              levels.at(2) == QLatin1String("rpc");
    // A notification is its device's, the plugs in it are its components.
    const std::optional<Plug> plug =
        notification ? std::optional(Plug{Family::Shelly, levels.at(0)}) : plugOf(topic);
    if (!plug)
        return {};
    Counter unsound{topic, *plug, 0, QString()};
    if (payload.size() > maximumPayload) {
        unsound.problem =
            QStringLiteral("a payload of %1 bytes, over the %2 read")
                .arg(QString::number(payload.size()), QString::number(maximumPayload));
        return {unsound};
    }
    QList<Counter> counters;
    if (levels.size() == 5 && levels.at(0) == QLatin1String("shellies")) {
        // The first generation's bare number.
        bool number = false;
        const double wattMinutes = payload.trimmed().toDouble(&number);
        append(counters, topic, *plug,
               number ? QJsonValue(wattMinutes) : QJsonValue(QString::fromUtf8(payload)),
               wattMinutesPerKWh);
        return counters;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (!document.isObject()) {
        unsound.problem =
            error.error != QJsonParseError::NoError
                ? QStringLiteral("a payload that is not JSON (%1)").arg(error.errorString())
                : QStringLiteral("a payload that is not a JSON object");
        return {unsound};
    }
    const QJsonObject object = document.object();
    if (notification) {
        appendNotified(counters, levels.at(0), object);
        return counters;
    }
    QJsonValue value;
    switch (plug->family) {
    case Family::Tasmota:
        value = object.value(QLatin1String("ENERGY")).toObject().value(QLatin1String("Total"));
        break;
    case Family::Shelly:
        value = object.value(QLatin1String("aenergy")).toObject().value(QLatin1String("total"));
        break;
    case Family::Zigbee2Mqtt:
        value = object.value(QLatin1String("energy"));
        break;
    }
    if (!value.isUndefined())
        append(counters, topic, *plug, value, plug->family == Family::Shelly ? whPerKWh : 1);
    return counters;
}

bool Warnings::due(const QString &plug, const QDateTime &now)
{
    constexpr qint64 secondsBetween = 3600;
    const auto last = lastSaid.constFind(plug);
    if (last != lastSaid.constEnd() && last->secsTo(now) < secondsBetween)
        return false;
    lastSaid.insert(plug, now);
    return true;
}

} // namespace PlugLogic
