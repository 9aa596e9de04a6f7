// What smart plugs publish over MQTT, apart from any widget and any
// connection: the topics Viridio listens to and the energy counter read from
// each of the three payload families households have.
//
//   Tasmota        tele/<name>/SENSOR            {"ENERGY":{"Total":12.345,...}}  kWh
//   Shelly (gen 2) <prefix>/status/switch:<n>    {"aenergy":{"total":12345.6,...}} Wh
//   Zigbee2MQTT    zigbee2mqtt/<friendly name>   {"energy":12.345,...}            kWh
//
// A plug is known by its topic: that is what PlugReading.plug and
// PlugAssignment.plug hold (see household/plugreadings.h).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace PlugLogic {

// The largest payload read, in bytes: a plug's status is a few hundred.
constexpr qsizetype maximumPayload = 64 * 1024;

// The highest counter taken, in kWh: a plug of 16 A at 230 V (3.7 kW) running
// for thirty years counts less than a million.
constexpr double maximumCounter = 1e6;

enum class Family
{
    Tasmota,
    Shelly,
    Zigbee2Mqtt,
};

// The family's name as the pages write it ("Tasmota").
QString familyName(Family family);

// The topic filters a connection subscribes to: one for each family.
QStringList subscriptions();

// The family whose topic layout topic has, and the plug's name in it (the
// <name>, "<prefix> switch:<n>" or the friendly name); nothing for any other
// topic.
struct Plug
{
    Family family;
    QString name;
};
std::optional<Plug> plugOf(const QString &topic);

// A counter read from a message.
struct Counter
{
    Plug plug;
    double kWh = 0;
    // Set instead when the message is a plug's but its payload is not sound
    // (not JSON, too large, a counter that is missing, not a number, negative,
    // not finite or above maximumCounter): why, for standard error.
    QString problem;
};

// The counter topic's payload carries; nothing for a topic that is no plug's,
// and for a JSON object without the family's energy counter (a Zigbee2MQTT
// thermometer, a Shelly switch that measures nothing): those are no plugs.
std::optional<Counter> counterOf(const QString &topic, const QByteArray &payload);

// Says each plug's problems on standard error at most once an hour.
class Warnings
{
public:
    // Whether a problem of plug at now is to be said (and notes that it was).
    bool due(const QString &plug, const QDateTime &now);

private:
    QHash<QString, QDateTime> lastSaid;
};

} // namespace PlugLogic
