// The household's smart plugs, apart from any widget and any connection: the
// broker they publish to, which appliance each plug measures, and the energy
// counter each plug reported day by day. A plug is a meter of one appliance,
// read automatically.
//
// The broker lives in Settings(key, value) under "plugBroker" (its address),
// "plugBrokerPort", "plugBrokerUser", "plugBrokerPassword" (kept as typed, in
// the data file) and "plugBrokerTls" ("1" when ticked); the most a plug
// carries under "plugMostKW" (kW, a plain decimal). Assignments live in
// PlugAssignment(appliance, plug): an appliance by its Tips name
// (CalculatorLogic::applianceTipNames), a plug by its topic, one plug per
// appliance. Counters live in PlugReading(plug, series, readingDate,
// firstReading, reading): one row per plug, series and day (an ISO date), the
// day's first and latest counter of that series in kWh, written with a decimal
// point. A counter lower than the one before it (the plug was reset or
// replaced) starts the next series, and use is only counted within a series.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace PlugReadings {

// The port an MQTT broker listens on without TLS.
constexpr int defaultPort = 1883;
// The longest broker address, in characters (a DNS name's limit).
constexpr int maximumAddressLength = 253;
// The most a plug carries unless the household sets another, in kW: 16 A at
// 230 V.
constexpr double defaultMostKW = 3.7;
// The decimals a counter is stored and shown with (kWh to the milliwatt-hour).
constexpr int counterDecimals = 6;
// How long a counter is taken to have been rising at least, in hours, when
// a rise is checked against the most a plug carries.
constexpr double shortestRiseHours = 1;

// A counter as it is stored and shown: a plain decimal with a point and at
// most counterDecimals decimals ("61.354393", "11").
QString counterText(double kWh);

struct Broker
{
    QString address; // empty when no broker is set up
    int port = defaultPort;
    QString user; // empty for none
    QString password;
    bool tls = false;
};

// The stored broker; an empty address when none is stored; nothing when it
// could not be read or the stored port is not sound.
std::optional<Broker> broker(const QSqlDatabase &db);

struct Outcome
{
    bool stored = false;
    QString message; // what is wrong, for the page; empty when stored
};

// Stores the broker the page shows: address (a host name or an IP address),
// port as typed (empty is defaultPort; else a whole number from 1 to 65535,
// read as locale writes numbers), user, password and tls, in one transaction.
// Refused with a message, nothing stored, for anything else or a file that
// cannot be written.
Outcome saveBroker(const QSqlDatabase &db, const QString &address, const QString &port,
                   const QString &user, const QString &password, bool tls,
                   const QLocale &locale = QLocale());

// The most a plug carries in kW (defaultMostKW when none is stored); nothing
// when it could not be read or the stored text is not a positive number.
std::optional<double> mostKW(const QSqlDatabase &db);

// Stores the most a plug carries as typed in kW (read as locale writes
// numbers; above 0 and at most 100). Refused with a message, nothing stored,
// for anything else or a file that cannot be written.
Outcome saveMostKW(const QSqlDatabase &db, const QString &kW, const QLocale &locale = QLocale());

// The plug of each appliance (its key, see Appliance) that has one; nothing
// when they could not be read.
std::optional<QHash<QString, QString>> assignments(const QSqlDatabase &db);

// An appliance a plug may measure: its key in PlugAssignment (a built-in
// one's Tips name, an own one's CalculatorLogic::ownItem, "own:3"), its name as
// the pages write it ("refrigerator", or as the household typed it) and its
// item among a day's kept answers (a Diary column, or the own item).
struct Appliance
{
    QString key;
    QString name;
    QString item;
};

// The eleven built in, in the Diary's column order, then the own ones in the
// order they were added (the removed ones too when withRemoved); nothing when
// the own ones could not be read.
std::optional<QList<Appliance>> appliances(const QSqlDatabase &db, bool withRemoved = true);

// Gives plug to appliance, in one transaction: the plug leaves any other
// appliance and the appliance's former plug leaves it. An empty appliance
// leaves plug unassigned. False, nothing changed, when it cannot be stored.
bool assign(const QSqlDatabase &db, const QString &plug, const QString &appliance);

// Forgets plug for good, in one transaction: its assignment and every
// counter stored of it. False, nothing changed, when it cannot be written.
bool forget(const QSqlDatabase &db, const QString &plug);

// An assigned plug with its latest stored counter.
struct Assigned
{
    QString plug;
    QString appliance;         // Tips name
    std::optional<double> kWh; // nothing when none is stored or it is unreadable
    QDate date;                // the day of kWh
};

// The assigned plugs, read at once; nothing when they could not be read.
std::optional<QList<Assigned>> assignedPlugs(const QSqlDatabase &db);

// Whether a broker is set up and at least one plug assigned: then the window
// listens from its start. False when that could not be read.
bool inUse(const QSqlDatabase &db);

// A counter heard from a plug on a day.
struct Heard
{
    QString plug;
    QDate date;
    double kWh = 0;
};

// Stores counters in the order heard, in one transaction: the day's latest
// counter of its series, or the first of the next series when it is lower
// than the plug's latest. A counter for a day before the plug's latest stored
// day (the clock went back) is left out. False, nothing stored, when the file
// cannot be written.
bool record(const QSqlDatabase &db, const QList<Heard> &counters);

// What became of a counter heard.
enum class Verdict
{
    Taken,   // kept, to be stored
    Held,    // lower than the plug's latest: held until a second lower one
    Dropped, // a lone lower counter, or a retained one from before
    Refused, // a rise larger than the plug could pass since its latest
};

// Counters heard on the window's thread, checked, kept in memory and stored
// a batch at a time, so that a message costs no write to the file.
//
// A counter is plausible against the plug's latest taken one. A lower
// counter starts a new series only when the next counter is lower too (the
// plug was reset or replaced); a counter back at or above the latest drops
// it as a glitch that counts nothing. A lower counter the broker kept from
// before (retained) never starts a series. A rise over mostKW times the hours
// since the latest (at least shortestRiseHours) is refused.
class Recorder
{
public:
    explicit Recorder(double mostKW = defaultMostKW)
        : most(mostKW)
    {}
    void setMostKW(double kW) { most = kW; }
    double mostKW() const { return most; }

    // The plug's latest stored counter, stored on date (taken as heard at
    // that day's start), for checking the first counters heard of it.
    void stored(const QString &plug, double kWh, const QDate &date);
    Verdict heard(const QString &plug, double kWh, const QDateTime &at, bool retained = false);
    // Drops all that was heard of plug and not yet stored.
    void forget(const QString &plug);
    bool isEmpty() const { return segments.isEmpty(); }
    // Stores what was heard (record()); kept for the next try when it fails.
    bool flush(const QSqlDatabase &db);

private:
    // A run of rising counters of one plug on one day: only its first and
    // last tell anything.
    struct Segment
    {
        QString plug;
        QDate date;
        double first = 0;
        double last = 0;
    };
    struct Latest
    {
        double kWh = 0;
        QDateTime at;
        std::optional<std::pair<double, QDateTime>> lower; // held
    };
    double most;
    QList<Segment> segments;
    QHash<QString, qsizetype> lastOfPlug; // the index of each plug's last segment
    QHash<QString, Latest> latest;        // each plug's latest taken counter

    void take(const QString &plug, double kWh, const QDateTime &at);
};

// What a plug measured on a day: the counter's rise from its last value
// before that day (or, on a series' first day, from its first value of the
// day) to its last value of the day, in kWh. A rise across days the plug was
// not heard is spread evenly over them, and spread says so.
struct Measured
{
    double kWh = 0;
    bool spread = false;
};

// Each day plug measured, from its stored counters; a day it did not (never
// heard, or before the first counter of a series) is not in it. Nothing when
// the counters could not be read.
std::optional<QMap<QDate, Measured>> measuredDays(const QSqlDatabase &db, const QString &plug);

// What an appliance's plug measured over some days: their kWh, how many of
// them have a figure, and whether one of those was spread.
struct Sum
{
    double kWh = 0;
    int days = 0;
    bool spread = false;
};

// What each appliance's plug measured over the days from first to last (both
// included), by its key (see Appliance); an appliance whose plug measured none of them is
// not in it. Nothing when the plugs could not be read.
std::optional<QHash<QString, Sum>> measuredSums(const QSqlDatabase &db, const QDate &first,
                                                const QDate &last);

// A figure a plug measured, as the pages write it: "1.50 kWh", "~1.50 kWh"
// when spread over days the plug was not heard.
QString measuredText(const Sum &sum);

// The mark of a measured figure beside an appliance's cost, from sums by
// key: "  · plug 9.80 kWh in 20 days"; empty for an appliance whose plug
// measured nothing (or an empty key).
QString spendingMark(const QHash<QString, Sum> &sums, const QString &key);

// The diary's sentence on the plugs' day: each appliance's measured kWh
// beside the diary's (answered, the day's kWh of each Diary column as kept);
// empty without plugs measuring that day.
QString daySentence(const QSqlDatabase &db, const QDate &date,
                    const QHash<QString, double> &answered);

// The meters' sentence on the plugs over a meter's period (the days from
// first to last, meterKWh counted over them): the share of the meter that the
// plugs measuring every one of those days cover, and the share the diary
// estimates for the same appliances; empty without such plugs.
QString meterSentence(const QSqlDatabase &db, const QDate &first, const QDate &last,
                      double meterKWh);

} // namespace PlugReadings
