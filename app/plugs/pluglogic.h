// What smart plugs publish over MQTT, apart from any widget and any
// connection: the topics Viridio listens to and the energy counters read from
// the messages of the three families households have, as each device
// publishes them when set up as its maker ships it.
//
//   Tasmota        tele/<name>/SENSOR            {"ENERGY":{"Total":12.345,...}}  kWh
//                                                {"ENERGY":{"Total":[2.8,0.2],...}} a counter
//                                                a channel, "<name> 1", "<name> 2"
//   Shelly         <prefix>/status/switch:<n>    {"aenergy":{"total":12345.6,...}} Wh
//                  <prefix>/status/pm1:<n>       (the same)
//                  <prefix>/events/rpc           {"method":"NotifyStatus" or "NotifyFullStatus",
//                                                 "params":{"switch:0":{"aenergy":{"total":..}}}}
//                                                Wh, for switch:<n> and pm1:<n>
//                  shellies/<id>/relay/<n>/energy  a bare number, watt-minutes (first generation)
//   Zigbee2MQTT    zigbee2mqtt/<friendly name>   {"energy":12.345,...}            kWh
//                  (a name may hold slashes; the bridge's own topics and a device's
//                   /availability, /set and /get are no plug's)
//
// A plug is known by its key, what PlugReading.plug and PlugAssignment.plug
// hold (see household/plugreadings.h): the topic its counter arrives on, but
// for a Shelly component heard by notification, whose key is its status topic
// (one plug however it is heard), and a Tasmota channel, whose key is the
// topic, '#' and the channel from 1 (a character no published topic holds).
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

// The topic filters a connection subscribes to: the families' topics, and
// everything below zigbee2mqtt/ (a friendly name may be several levels).
QStringList subscriptions();

// The family of a plug's key and the plug's name in it (the <name>,
// "<name> 2" for a channel, "<prefix> switch:<n>", "<id> relay <n>" or the
// friendly name); nothing for anything else.
struct Plug
{
    Family family;
    QString name;
};
std::optional<Plug> plugOf(const QString &key);

// A counter read from a message.
struct Counter
{
    QString key; // the plug's (for a message that is not sound: its topic)
    Plug plug;
    double kWh = 0;
    // Set instead when the message is a plug's but its payload is not sound
    // (not JSON, too large, a counter that is missing, not a number, negative,
    // not finite or above maximumCounter): why, for standard error.
    QString problem;
};

// The counters topic's payload carries, one a plug; none for a topic that is
// no plug's, and for a payload without the family's energy counter (a
// Zigbee2MQTT thermometer, a Shelly switch that measures nothing, a
// notification of an input): those are no plugs.
QList<Counter> countersOf(const QString &topic, const QByteArray &payload);

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
