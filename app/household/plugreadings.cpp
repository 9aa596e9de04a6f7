#include "household/plugreadings.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/typednumber.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Database::run;

const QString addressKey = QStringLiteral("plugBroker");
const QString portKey = QStringLiteral("plugBrokerPort");
const QString userKey = QStringLiteral("plugBrokerUser");
const QString passwordKey = QStringLiteral("plugBrokerPassword");
const QString tlsKey = QStringLiteral("plugBrokerTls");
const QString mostKWKey = QStringLiteral("plugMostKW");
// The highest most a plug may be set to carry, in kW.
constexpr double highestMostKW = 100;
// A rise this much over what a plug may pass is rounding, not a fault, in kWh.
constexpr double riseTolerance = 1e-9;

const QString notWritten = QStringLiteral("Not stored: the data file is busy or cannot be "
                                          "written. Please try again.");

constexpr int maximumPort = 65535;

const QString spreadNote = QStringLiteral(" Figures with ~ are a rise spread evenly over days "
                                          "your plugs were not heard.");

QString isoDay(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

// A stored counter; nothing for text that is not one.
std::optional<double> storedCounter(const QVariant &value)
{
    bool ok = false;
    const double counter = value.toString().toDouble(&ok);
    return ok && counter >= 0 ? std::optional<double>(counter) : std::nullopt;
}

// A port as typed; nothing for anything but a whole number from 1 to 65535.
std::optional<int> portOf(const QString &text, const QLocale &locale)
{
    if (text.trimmed().isEmpty())
        return PlugReadings::defaultPort;
    const TypedNumber::Number number = TypedNumber::typed(text, locale);
    if (!number.ok || number.value < 1 || number.value > maximumPort ||
        number.value != std::floor(number.value))
        return std::nullopt;
    return int(number.value);
}

// A plug's latest stored row.
struct Latest
{
    bool found = false;
    int series = 0;
    QDate date;
    double reading = 0;
};

std::optional<Latest> latestOf(const QSqlDatabase &db, const QString &plug)
{
    QSqlQuery query = run(db,
                          QStringLiteral("SELECT series, readingDate, reading FROM PlugReading "
                                         "WHERE plug=? ORDER BY series DESC, readingDate DESC "
                                         "LIMIT 1"),
                          {plug});
    if (!query.isActive())
        return std::nullopt;
    Latest latest;
    if (query.next()) {
        const std::optional<double> reading = storedCounter(query.value(2));
        latest = {true, query.value(0).toInt(),
                  QDate::fromString(query.value(1).toString(), Qt::ISODate), reading.value_or(0)};
        // A row that cannot be read is not built upon: the next counter
        // starts a series of its own.
        if (!reading || !latest.date.isValid())
            latest.reading = std::numeric_limits<double>::infinity();
    }
    return latest;
}

bool recordOne(const QSqlDatabase &db, const PlugReadings::Heard &heard)
{
    const std::optional<Latest> latest = latestOf(db, heard.plug);
    if (!latest)
        return false;
    const QString counter = PlugReadings::counterText(heard.kWh);
    if (latest->found && heard.date < latest->date)
        return true; // the clock went back: not placed
    if (latest->found && heard.kWh >= latest->reading) {
        if (heard.date == latest->date)
            return run(db,
                       QStringLiteral("UPDATE PlugReading SET reading=? WHERE plug=? AND "
                                      "series=? AND readingDate=?"),
                       {counter, heard.plug, latest->series, isoDay(heard.date)})
                .isActive();
    }
    const int series = !latest->found                 ? 0
                       : heard.kWh >= latest->reading ? latest->series
                                                      : latest->series + 1;
    return run(db,
               QStringLiteral("INSERT INTO PlugReading (plug, series, readingDate, firstReading, "
                              "reading) VALUES (?,?,?,?,?)"),
               {heard.plug, series, isoDay(heard.date), counter, counter})
        .isActive();
}

} // namespace

namespace PlugReadings {

std::optional<Broker> broker(const QSqlDatabase &db)
{
    QSqlQuery query = run(db,
                          QStringLiteral("SELECT key, value FROM Settings WHERE key IN "
                                         "(?,?,?,?,?)"),
                          {addressKey, portKey, userKey, passwordKey, tlsKey});
    if (!query.isActive())
        return std::nullopt;
    Broker stored;
    while (query.next()) {
        const QString key = query.value(0).toString();
        const QString value = query.value(1).toString();
        if (key == addressKey) {
            stored.address = value;
        } else if (key == portKey) {
            const std::optional<int> port = portOf(value, QLocale::c());
            if (!port)
                return std::nullopt;
            stored.port = *port;
        } else if (key == userKey) {
            stored.user = value;
        } else if (key == passwordKey) {
            stored.password = value;
        } else if (key == tlsKey) {
            stored.tls = value == QLatin1String("1");
        }
    }
    return stored;
}

Outcome saveBroker(const QSqlDatabase &db, const QString &address, const QString &port,
                   const QString &user, const QString &password, bool tls, const QLocale &locale)
{
    static const QRegularExpression host(QStringLiteral("^[A-Za-z0-9._:-]+$"));
    const QString trimmed = address.trimmed();
    if (trimmed.size() > maximumAddressLength || !host.match(trimmed).hasMatch())
        return {false, QStringLiteral("Enter the broker's address, a name such as "
                                      "broker.home or an address such as 192.168.1.5.")};
    const std::optional<int> number = portOf(port, locale);
    if (!number)
        return {false, QStringLiteral("Enter the broker's port, a whole number from 1 to "
                                      "65535; it is usually %1.")
                           .arg(defaultPort)};
    Database::createHouseholdTables(db);
    const QList<std::pair<QString, QString>> values = {
        {addressKey, trimmed},
        {portKey, QString::number(*number)},
        {userKey, user},
        {passwordKey, password},
        {tlsKey, tls ? QStringLiteral("1") : QStringLiteral("0")}};
    const bool stored = Database::inTransaction(db, [&] {
        return std::all_of(values.cbegin(), values.cend(), [&](const auto &value) {
            return run(db,
                       QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES (?,?)"),
                       {value.first, value.second})
                .isActive();
        });
    });
    if (!stored)
        return {false, notWritten};
    return {true, QString()};
}

QString counterText(double kWh)
{
    QString text = QString::number(kWh, 'f', counterDecimals);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

std::optional<double> mostKW(const QSqlDatabase &db)
{
    QSqlQuery query =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {mostKWKey});
    if (!query.isActive())
        return std::nullopt;
    if (!query.next())
        return defaultMostKW;
    const std::optional<double> kW = storedCounter(query.value(0));
    return kW && *kW > 0 ? kW : std::nullopt;
}

Outcome saveMostKW(const QSqlDatabase &db, const QString &kW, const QLocale &locale)
{
    const TypedNumber::Number number = TypedNumber::typed(kW, locale);
    if (!number.ok || number.value <= 0 || number.value > highestMostKW)
        return {false, QStringLiteral("Enter the most a plug carries in kW, a number above 0 "
                                      "and up to %1; a 16 A plug carries %2.")
                           .arg(counterText(highestMostKW), counterText(defaultMostKW))};
    Database::createHouseholdTables(db);
    if (!run(db, QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES (?,?)"),
             {mostKWKey, counterText(number.value)})
             .isActive())
        return {false, notWritten};
    return {true, QString()};
}

std::optional<QHash<QString, QString>> assignments(const QSqlDatabase &db)
{
    QSqlQuery query = run(db, QStringLiteral("SELECT appliance, plug FROM PlugAssignment"));
    if (!query.isActive())
        return std::nullopt;
    QHash<QString, QString> plugs;
    while (query.next())
        plugs.insert(query.value(0).toString(), query.value(1).toString());
    return plugs;
}

std::optional<QList<Appliance>> appliances(const QSqlDatabase &db, bool withRemoved)
{
    const std::optional<QList<CalculatorLogic::OwnAppliance>> own =
        CalculatorLogic::ownAppliances(db, withRemoved);
    if (!own)
        return std::nullopt;
    QList<Appliance> all;
    const QStringList &tipNames = CalculatorLogic::applianceTipNames();
    for (int i = 0; i < tipNames.size(); ++i)
        all.append({tipNames.at(i), CalculatorLogic::applianceNames().at(i),
                    CalculatorLogic::applianceColumns().at(i)});
    for (const CalculatorLogic::OwnAppliance &appliance : *own) {
        const QString item = CalculatorLogic::ownItem(appliance.id);
        all.append({item, appliance.name, item});
    }
    return all;
}

bool assign(const QSqlDatabase &db, const QString &plug, const QString &appliance)
{
    Database::createHouseholdTables(db);
    return Database::inTransaction(db, [&] {
        if (!run(db, QStringLiteral("DELETE FROM PlugAssignment WHERE plug=? OR appliance=?"),
                 {plug, appliance})
                 .isActive())
            return false;
        return appliance.isEmpty() ||
               run(db, QStringLiteral("INSERT INTO PlugAssignment (appliance, plug) VALUES (?,?)"),
                   {appliance, plug})
                   .isActive();
    });
}

bool forget(const QSqlDatabase &db, const QString &plug)
{
    Database::createHouseholdTables(db);
    return Database::inTransaction(db, [&] {
        return run(db, QStringLiteral("DELETE FROM PlugAssignment WHERE plug=?"), {plug})
                   .isActive() &&
               run(db, QStringLiteral("DELETE FROM PlugReading WHERE plug=?"), {plug}).isActive();
    });
}

std::optional<QList<Assigned>> assignedPlugs(const QSqlDatabase &db)
{
    QSqlQuery query = run(db, QStringLiteral("SELECT appliance, plug FROM PlugAssignment "
                                             "ORDER BY plug"));
    if (!query.isActive())
        return std::nullopt;
    QList<Assigned> plugs;
    while (query.next())
        plugs.append({query.value(1).toString(), query.value(0).toString(), std::nullopt, {}});
    for (Assigned &plug : plugs) {
        const std::optional<Latest> latest = latestOf(db, plug.plug);
        if (!latest)
            return std::nullopt;
        if (latest->found && std::isfinite(latest->reading)) {
            plug.kWh = latest->reading;
            plug.date = latest->date;
        }
    }
    return plugs;
}

bool inUse(const QSqlDatabase &db)
{
    const std::optional<Broker> stored = broker(db);
    const std::optional<QHash<QString, QString>> plugs = assignments(db);
    return stored && !stored->address.isEmpty() && plugs && !plugs->isEmpty();
}

bool record(const QSqlDatabase &db, const QList<Heard> &counters)
{
    if (counters.isEmpty())
        return true;
    Database::createHouseholdTables(db);
    return Database::inTransaction(db, [&] {
        return std::all_of(counters.cbegin(), counters.cend(),
                           [&](const Heard &heard) { return recordOne(db, heard); });
    });
}

void Recorder::stored(const QString &plug, double kWh, const QDate &date)
{
    latest.insert(plug, {kWh, date.startOfDay(), std::nullopt});
}

Verdict Recorder::heard(const QString &plug, double kWh, const QDateTime &at, bool retained)
{
    const auto known = latest.find(plug);
    if (known == latest.end()) {
        take(plug, kWh, at);
        return Verdict::Taken;
    }
    if (kWh >= known->kWh) {
        known->lower.reset(); // a lower one before was a glitch
        const double hours =
            std::max(double(known->at.secsTo(at)) / 3600, PlugReadings::shortestRiseHours);
        if (kWh - known->kWh > most * hours + riseTolerance)
            return Verdict::Refused;
        take(plug, kWh, at);
        return Verdict::Taken;
    }
    if (retained)
        return Verdict::Dropped;
    if (!known->lower) {
        known->lower = std::pair{kWh, at};
        return Verdict::Held;
    }
    // Lower twice: the plug was reset or replaced; its series starts again
    // from the first lower counter.
    const auto [first, firstAt] = *known->lower;
    take(plug, first, firstAt);
    return heard(plug, kWh, at);
}

void Recorder::take(const QString &plug, double kWh, const QDateTime &at)
{
    latest.insert(plug, {kWh, at, std::nullopt});
    const QDate date = at.date();
    const auto last = lastOfPlug.constFind(plug);
    if (last != lastOfPlug.constEnd()) {
        Segment &segment = segments[*last];
        if (segment.date == date && kWh >= segment.last) {
            segment.last = kWh;
            return;
        }
    }
    lastOfPlug.insert(plug, segments.size());
    segments.append({plug, date, kWh, kWh});
}

void Recorder::forget(const QString &plug)
{
    latest.remove(plug);
    segments.removeIf([&plug](const Segment &segment) { return segment.plug == plug; });
    lastOfPlug.clear();
    for (qsizetype i = 0; i < segments.size(); ++i)
        lastOfPlug.insert(segments.at(i).plug, i);
}

bool Recorder::flush(const QSqlDatabase &db)
{
    QList<Heard> counters;
    for (const Segment &segment : std::as_const(segments)) {
        counters.append({segment.plug, segment.date, segment.first});
        if (segment.last != segment.first)
            counters.append({segment.plug, segment.date, segment.last});
    }
    if (!record(db, counters))
        return false;
    segments.clear();
    lastOfPlug.clear();
    return true;
}

std::optional<QMap<QDate, Measured>> measuredDays(const QSqlDatabase &db, const QString &plug)
{
    QSqlQuery query = run(db,
                          QStringLiteral("SELECT series, readingDate, firstReading, reading FROM "
                                         "PlugReading WHERE plug=? ORDER BY series, readingDate"),
                          {plug});
    if (!query.isActive())
        return std::nullopt;
    QMap<QDate, Measured> days;
    constexpr int noSeries = -1;
    int series = noSeries;
    QDate previousDate;
    double previous = 0;
    while (query.next()) {
        const QDate date = QDate::fromString(query.value(1).toString(), Qt::ISODate);
        const std::optional<double> first = storedCounter(query.value(2));
        const std::optional<double> last = storedCounter(query.value(3));
        // A row that cannot be read ends its series' figures there.
        if (!date.isValid() || !first || !last || *last < *first) {
            series = noSeries;
            continue;
        }
        if (series != query.value(0).toInt() || *last < previous) {
            Measured &day = days[date];
            day.kWh += *last - *first;
        } else {
            const qint64 count = previousDate.daysTo(date);
            for (QDate day = previousDate.addDays(1); day <= date; day = day.addDays(1)) {
                Measured &measured = days[day];
                measured.kWh += (*last - previous) / double(count);
                measured.spread = measured.spread || count > 1;
            }
        }
        series = query.value(0).toInt();
        previousDate = date;
        previous = *last;
    }
    return days;
}

std::optional<QHash<QString, Sum>> measuredSums(const QSqlDatabase &db, const QDate &first,
                                                const QDate &last)
{
    const std::optional<QHash<QString, QString>> plugs = assignments(db);
    if (!plugs)
        return std::nullopt;
    QHash<QString, Sum> sums;
    for (auto plug = plugs->cbegin(); plug != plugs->cend(); ++plug) {
        const std::optional<QMap<QDate, Measured>> days = measuredDays(db, plug.value());
        if (!days)
            return std::nullopt;
        Sum sum;
        for (auto day = days->lowerBound(first); day != days->cend() && day.key() <= last; ++day) {
            sum.kWh += day->kWh;
            sum.spread = sum.spread || day->spread;
            ++sum.days;
        }
        if (sum.days > 0)
            sums.insert(plug.key(), sum);
    }
    return sums;
}

QString measuredText(const Sum &sum)
{
    return (sum.spread ? QStringLiteral("~") : QString()) +
           CalculatorLogic::usageText(sum.kWh, CalculatorLogic::kWhUnit);
}

QString spendingMark(const QHash<QString, Sum> &sums, const QString &key)
{
    const auto sum = sums.constFind(key);
    if (key.isEmpty() || sum == sums.cend())
        return QString();
    return QStringLiteral("  \u00b7 plug %1 in %2 %3")
        .arg(measuredText(*sum), QString::number(sum->days),
             sum->days == 1 ? QStringLiteral("day") : QStringLiteral("days"));
}

QString daySentence(const QSqlDatabase &db, const QDate &date,
                    const QHash<QString, double> &answered)
{
    const std::optional<QHash<QString, Sum>> sums = measuredSums(db, date, date);
    const std::optional<QList<Appliance>> all = appliances(db);
    if (!sums || !all)
        return QStringLiteral(" Your plugs' figures could not be read.");
    QStringList parts;
    bool spread = false;
    for (const Appliance &appliance : *all) {
        const auto sum = sums->constFind(appliance.key);
        if (sum == sums->cend())
            continue;
        spread = spread || sum->spread;
        const auto diary = answered.constFind(appliance.item);
        parts.append(QStringLiteral("%1 %2 (your diary: %3)")
                         .arg(appliance.name, measuredText(*sum),
                              diary == answered.cend()
                                  ? QStringLiteral("no answer")
                                  : CalculatorLogic::usageText(*diary, CalculatorLogic::kWhUnit)));
    }
    if (parts.isEmpty())
        return QString();
    QString sentence =
        QStringLiteral(" Your plugs measured: %1.").arg(parts.join(QStringLiteral("; ")));
    if (spread)
        sentence += spreadNote;
    return sentence;
}

QString meterSentence(const QSqlDatabase &db, const QDate &first, const QDate &last,
                      double meterKWh)
{
    const std::optional<QHash<QString, Sum>> sums = measuredSums(db, first, last);
    const std::optional<QList<Appliance>> all = appliances(db);
    if (!sums || !all)
        return QStringLiteral(" Your plugs' figures could not be read.");
    const int days = int(first.daysTo(last)) + 1;
    QStringList keys;
    for (QDate day = first; day <= last; day = day.addDays(1))
        keys.append(CalculatorLogic::dayKey(day));
    const std::optional<QHash<QString, CalculatorLogic::DayUse>> usage =
        CalculatorLogic::usageOfDays(db, keys);
    Sum measured;
    std::optional<double> diary;
    QStringList names;
    for (const Appliance &appliance : *all) {
        const auto sum = sums->constFind(appliance.key);
        // Only a plug heard over the whole period is set beside the meter.
        if (sum == sums->cend() || sum->days < days)
            continue;
        names.append(appliance.name);
        measured.kWh += sum->kWh;
        measured.spread = measured.spread || sum->spread;
        for (const CalculatorLogic::DayUse &day :
             usage.value_or(QHash<QString, CalculatorLogic::DayUse>())) {
            const auto answer = day.items.constFind(appliance.item);
            if (answer != day.items.cend())
                diary = diary.value_or(0) + *answer;
        }
    }
    if (names.isEmpty() || meterKWh <= 0)
        return QString();
    const auto percent = [meterKWh](double kWh) {
        return QLocale::c().toString(kWh / meterKWh * 100, 'f', 0);
    };
    QString sentence =
        QStringLiteral(" Your plugs (%1) measured %2, %3 % of what the meter "
                       "counted; ")
            .arg(names.join(QStringLiteral(", ")), measuredText(measured), percent(measured.kWh));
    sentence += diary ? QStringLiteral("your diary estimates %1 % for the same appliances.")
                            .arg(percent(*diary))
                      : QStringLiteral("your diary has no answers for them on those days.");
    if (measured.spread)
        sentence += spreadNote;
    return sentence;
}

} // namespace PlugReadings
