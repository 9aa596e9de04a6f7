#include "plugs/pluglogic.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace {

using PlugLogic::Family;

// Whether name is one level of a topic, as a plug's name must be.
bool oneLevel(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/'));
}

// The family's counter in a payload's object, in kWh as it stands; an
// undefined value when it has none.
QJsonValue counterValue(Family family, const QJsonObject &object)
{
    switch (family) {
    case Family::Tasmota:
        return object.value(QLatin1String("ENERGY")).toObject().value(QLatin1String("Total"));
    case Family::Shelly:
        return object.value(QLatin1String("aenergy")).toObject().value(QLatin1String("total"));
    case Family::Zigbee2Mqtt:
        return object.value(QLatin1String("energy"));
    }
    return QJsonValue(QJsonValue::Undefined);
}

// Shelly counts watt-hours, the others kilowatt-hours.
constexpr double whPerKWh = 1000;

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
            QStringLiteral("zigbee2mqtt/+")};
}

std::optional<Plug> plugOf(const QString &topic)
{
    const QStringList levels = topic.split(QLatin1Char('/'));
    if (levels.size() == 3 && levels.at(0) == QLatin1String("tele") &&
        levels.at(2) == QLatin1String("SENSOR") && oneLevel(levels.at(1)))
        return Plug{Family::Tasmota, levels.at(1)};
    if (levels.size() == 3 && levels.at(1) == QLatin1String("status") && oneLevel(levels.at(0)) &&
        levels.at(2).startsWith(QLatin1String("switch:")) && levels.at(2).size() > 7)
        return Plug{Family::Shelly, levels.at(0) + QLatin1Char(' ') + levels.at(2)};
    // zigbee2mqtt/bridge carries the bridge's own state, not a device's.
    if (levels.size() == 2 && levels.at(0) == QLatin1String("zigbee2mqtt") &&
        oneLevel(levels.at(1)) && levels.at(1) != QLatin1String("bridge"))
        return Plug{Family::Zigbee2Mqtt, levels.at(1)};
    return std::nullopt;
}

std::optional<Counter> counterOf(const QString &topic, const QByteArray &payload)
{
    const std::optional<Plug> plug = plugOf(topic);
    if (!plug)
        return std::nullopt;
    Counter counter{*plug, 0, QString()};
    if (payload.size() > maximumPayload) {
        counter.problem =
            QStringLiteral("a payload of %1 bytes, over the %2 read")
                .arg(QString::number(payload.size()), QString::number(maximumPayload));
        return counter;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (!document.isObject()) {
        counter.problem =
            error.error != QJsonParseError::NoError
                ? QStringLiteral("a payload that is not JSON (%1)").arg(error.errorString())
                : QStringLiteral("a payload that is not a JSON object");
        return counter;
    }
    const QJsonValue value = counterValue(plug->family, document.object());
    if (value.isUndefined())
        return std::nullopt;
    const double kWh =
        plug->family == Family::Shelly ? value.toDouble() / whPerKWh : value.toDouble();
    if (!value.isDouble() || !std::isfinite(kWh) || kWh < 0 || kWh > maximumCounter) {
        counter.problem =
            QStringLiteral("an energy counter that is not a number from 0 to %1 "
                           "kWh: %2")
                .arg(QString::number(maximumCounter, 'f', 0),
                     QString::fromUtf8(
                         QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)));
        return counter;
    }
    counter.kWh = kWh;
    return counter;
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
