#include "household/calculatorlogic.h"

#include "data/database.h"

#include <QSqlQuery>
#include <QtMath>

#include <charconv>
#include <clocale>
#include <cstdio>
#include <locale.h>

namespace {

// printf formats numbers by the process's locale, and the toolkit adopts the
// user's locale at start-up; stored numbers must always use a decimal point,
// so they are formatted in the C locale.
QString formatInCLocale(const char *format, double value)
{
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const locale_t previous = cLocale ? uselocale(cLocale) : locale_t(nullptr);
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (cLocale)
        uselocale(previous);
    if (length < 0)
        return QString();
    return QString::fromLatin1(buffer, qMin(length, int(sizeof buffer) - 1));
}

// A stored number the diaries count with: finite, and small enough that the
// sum of every stored day stays finite too.
bool readable(double number)
{
    return qIsFinite(number) && qAbs(number) <= CalculatorLogic::largestNumber;
}

// One answer in DayUsage: a day's item is answered once, the last answer
// replacing the one before.
bool storeUsage(const QSqlDatabase &db, const QString &key, const QString &item, double amount,
                double quantity, const QVariant &watts = QVariant(),
                const QVariant &count = QVariant())
{
    return Database::run(db,
                         QStringLiteral("INSERT OR REPLACE INTO DayUsage (dayKey, item, amount, "
                                        "watts, count, quantity) VALUES (?,?,?,?,?,?)"),
                         {key, item, amount, watts, count, quantity})
        .isActive();
}

// The writes of one electricity answer, inside the caller's transaction.
bool writeAppliance(const QSqlDatabase &db, const QString &key, int index, double hours,
                    double watts, int count, double rate)
{
    using namespace CalculatorLogic;
    const double cost = applianceCost(hours, watts * count, rate);
    // A cost too large to be a number ("inf") would be stored as text that
    // every diary reads as nothing.
    if (index < 0 || index >= applianceColumns().size() || !qIsFinite(cost))
        return false;
    const QString column = applianceColumns().at(index);
    return upsertDay(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"), key,
                     {{column, numberText(cost)}}) &&
           storeUsage(db, key, column, hours, hours * watts * count / 1000, watts, count);
}

// The writes of one own appliance's answer, inside the caller's transaction:
// the day gets a Diary row (so that the diaries list it), the cost its own
// row and the answer its DayUsage row.
bool writeOwn(const QSqlDatabase &db, const QString &key, const CalculatorLogic::OwnAnswer &answer,
              double rate)
{
    using namespace CalculatorLogic;
    const double cost = applianceCost(answer.hours, double(answer.watts) * answer.count, rate);
    if (answer.id <= 0 || !qIsFinite(cost))
        return false;
    return Database::run(
               db, QStringLiteral("INSERT OR IGNORE INTO Diary (retrieveDate) VALUES (?)"), {key})
               .isActive() &&
           Database::run(db,
                         QStringLiteral("INSERT OR REPLACE INTO OwnApplianceDay (dayKey, "
                                        "applianceId, cost) VALUES (?,?,?)"),
                         {key, answer.id, cost})
               .isActive() &&
           storeUsage(db, key, ownItem(answer.id), answer.hours,
                      answer.hours * answer.watts * answer.count / 1000, answer.watts,
                      answer.count);
}

// The writes of one water page's answers, inside the caller's transaction.
bool writeWater(const QSqlDatabase &db, const QString &key,
                const QList<CalculatorLogic::WaterAnswer> &answers,
                const CalculatorLogic::ColumnValues &plain, double rate)
{
    using namespace CalculatorLogic;
    ColumnValues values;
    for (const WaterAnswer &answer : answers) {
        const double cost = waterCost(answer.count, answer.factor, rate);
        if (!qIsFinite(cost))
            return false;
        values.append({answer.column, numberText(cost)});
    }
    values.append(plain);
    bool stored = upsertDay(db, QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate"),
                            key, values);
    for (const WaterAnswer &answer : answers)
        stored = stored && storeUsage(db, key, answer.column, answer.count,
                                      litres(answer.count, answer.factor));
    return stored;
}

QString firstText(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query = Database::run(db, sql, values);
    if (query.isActive() && query.next())
        return query.value(0).toString();
    return QString();
}

// Runs read once for every day with keys empty, or for the keys a few
// hundred at a time (a statement takes only so many values, and a meter's
// period may span years): read gets a WHERE clause on keyColumn and its
// bound keys. Whether every read succeeded.
template<typename Read> bool forKeys(const QString &keyColumn, const QStringList &keys, Read read)
{
    if (keys.isEmpty())
        return read(QString(), QVariantList());
    constexpr qsizetype perStatement = 500;
    for (qsizetype first = 0; first < keys.size(); first += perStatement) {
        const QStringList some = keys.mid(first, perStatement);
        QVariantList bound;
        for (const QString &key : some)
            bound.append(key);
        const QStringList marks(some.size(), QStringLiteral("?"));
        if (!read(QStringLiteral(" WHERE %1 IN (%2)").arg(keyColumn, marks.join(QLatin1Char(','))),
                  bound))
            return false;
    }
    return true;
}

} // namespace

namespace CalculatorLogic {

bool soundRate(double rate)
{
    return qIsFinite(rate) && rate > 0 && rate <= maximumRate;
}

double applianceCost(double hours, double watts, double rate)
{
    return hours * watts / 1000 * rate;
}

double applianceCost(double hours, double rate)
{
    return applianceCost(hours, applianceWatts, rate);
}

double waterCost(double count, double factor, double rate)
{
    return count * factor * rate;
}

QString numberText(double value)
{
    return formatInCLocale("%g", value);
}

QString moneyText(double value)
{
    return formatInCLocale("%.2f", value);
}

QString moneyText(double value, const QString &sign)
{
    return sign + moneyText(value);
}

QString usageText(double quantity, const QString &unit)
{
    return formatInCLocale(unit == litreUnit ? "%.0f" : "%.2f", quantity) + QLatin1Char(' ') + unit;
}

QString dayKey(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QDate dateOfKey(const QString &key)
{
    // Read by hand: the diary pages and the export read thousands of keys, and
    // a format-driven parse costs microseconds each.
    if (key.size() != 10 || key.at(2) != QLatin1Char('/') || key.at(5) != QLatin1Char('/'))
        return {};
    const auto number = [&key](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const QChar c = key.at(i);
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
            value = value * 10 + (c.unicode() - '0');
        }
        return value;
    };
    const int day = number(0, 2);
    const int month = number(3, 2);
    const int year = number(6, 4);
    if (day < 0 || month < 0 || year < 0)
        return {};
    return QDate(year, month, day); // invalid for 31/02 and the like
}

double readNumber(const QVariant &value)
{
    if (value.isNull())
        return 0;
    // Numbers stored as numbers (the kept answers' REAL columns) are taken as
    // they are, rather than written out and read back.
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int: {
        const double number = value.toDouble();
        return readable(number) ? number : 0;
    }
    default:
        break;
    }
    const QString text = value.toString();
    // Stored numbers are short plain decimals: read those without the
    // toolkit's general parser, which costs several times more (the history
    // reads hundreds of thousands). Anything else takes the general way.
    char ascii[32];
    if (text.size() < qsizetype(sizeof ascii)) {
        qsizetype length = 0;
        for (const QChar c : text) {
            if (c.unicode() > 0x7f)
                break;
            ascii[length++] = char(c.unicode());
        }
        double number = 0;
        const auto [end, error] = std::from_chars(ascii, ascii + length, number);
        if (length == text.size() && error == std::errc() && end == ascii + length)
            return readable(number) ? number : 0;
    }
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && readable(number) ? number : 0;
}

double electricityTotal(const ElectricityCosts &costs)
{
    double total = 0;
    for (double cost : costs)
        total += cost;
    return total;
}

double electricityTotal(const ElectricityCosts &costs, const OwnCosts &own)
{
    double total = electricityTotal(costs);
    for (const double cost : own)
        total += cost;
    return total;
}

QString ownItem(int id)
{
    return QStringLiteral("own:%1").arg(id);
}

std::optional<int> ownId(const QString &item)
{
    if (!item.startsWith(QLatin1String("own:")))
        return std::nullopt;
    bool ok = false;
    const int id = item.mid(4).toInt(&ok);
    return ok && id > 0 ? std::optional(id) : std::nullopt;
}

std::optional<QList<OwnAppliance>> ownAppliances(const QSqlDatabase &db, bool withRemoved)
{
    QSqlQuery query = Database::run(
        db, QStringLiteral("SELECT id, name, watts, count, removed FROM OwnAppliance%1 ORDER BY id")
                .arg(withRemoved ? QString() : QStringLiteral(" WHERE removed = 0")));
    if (!query.isActive())
        return std::nullopt;
    QList<OwnAppliance> all;
    while (query.next())
        all.append({query.value(0).toInt(), query.value(1).toString(), query.value(2).toInt(),
                    query.value(3).toInt(), query.value(4).toInt() != 0});
    return all;
}

double householdWater(int activity, double kept, double members)
{
    return personalActivity(activity) ? members * kept : kept;
}

double waterTotal(double members, const WaterCosts &costs)
{
    double total = 0;
    for (int i = 0; i < int(costs.size()); ++i)
        total += householdWater(i, costs[i], members);
    return total;
}

const QStringList &applianceColumns()
{
    static const QStringList columns = {
        QStringLiteral("valOfAirCon"),
        QStringLiteral("valOfLaptop"),
        QStringLiteral("valOfFan"),
        QStringLiteral("valOfLights"),
        QStringLiteral("valOfDvdPlayer"),
        QStringLiteral("valOfLcdTv"),
        QStringLiteral("valOfWashingMachine"),
        QStringLiteral("valOfHairDryer"),
        QStringLiteral("valOfMicrowave"),
        QStringLiteral("valOfRiceCooker"),
        QStringLiteral("valOfRefrigerator"),
    };
    return columns;
}

const QStringList &applianceTipNames()
{
    static const QStringList names = {
        QStringLiteral("AirCon"),
        QStringLiteral("Laptop"),
        QStringLiteral("Fan"),
        QStringLiteral("Lights"),
        QStringLiteral("DvdPlayer"),
        QStringLiteral("LcdTv"),
        QStringLiteral("WashingMachine"),
        QStringLiteral("HairDryer"),
        QStringLiteral("Microwave"),
        QStringLiteral("RiceCooker"),
        QStringLiteral("Refrigerator"),
    };
    return names;
}

const QStringList &applianceNames()
{
    static const QStringList names = {
        QStringLiteral("air conditioner"),
        QStringLiteral("laptop"),
        QStringLiteral("fan"),
        QStringLiteral("lights"),
        QStringLiteral("DVD player"),
        QStringLiteral("TV"),
        QStringLiteral("washing machine"),
        QStringLiteral("hair dryer"),
        QStringLiteral("microwave"),
        QStringLiteral("rice cooker"),
        QStringLiteral("refrigerator"),
    };
    return names;
}

const QStringList &waterColumns()
{
    static const QStringList columns = {
        QStringLiteral("amtOfTapUsed"),         QStringLiteral("amtOfWashingMachineUsed"),
        QStringLiteral("amtOfdishWashingUsed"), QStringLiteral("amtOfShowerUsed"),
        QStringLiteral("amtOfLawnUsed"),        QStringLiteral("amtOfToiletBowlUsed"),
    };
    return columns;
}

bool personalActivity(int activity)
{
    static constexpr bool personal[] = {true, false, false, true, false, true};
    return activity >= 0 && activity < int(std::size(personal)) && personal[activity];
}

const QStringList &waterTipNames()
{
    static const QStringList names = {
        QStringLiteral("Tap"),    QStringLiteral("WashingMachine"), QStringLiteral("DishWashing"),
        QStringLiteral("Shower"), QStringLiteral("Lawn"),           QStringLiteral("Toilet"),
    };
    return names;
}

std::optional<double> rate(const QSqlDatabase &db, const QString &rateType)
{
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT rateAmt from Rates where rateType=?"), {rateType});
    if (!query.isActive())
        return std::nullopt;
    if (!query.next())
        return 0.0;
    const double stored = readNumber(query.value(0));
    if (!soundRate(stored))
        return std::nullopt;
    return stored;
}

bool upsertDay(const QSqlDatabase &db, const QString &table, const QString &keyColumn,
               const QString &key, const ColumnValues &values)
{
    if (!db.isOpen() || values.isEmpty())
        return false;
    // The key columns are the tables' primary keys, so a day has one row and
    // the conflict clause can name them.
    QStringList columns;
    QStringList updates;
    QVariantList bound{key};
    for (const auto &[column, value] : values) {
        columns.append(column);
        updates.append(QStringLiteral("%1=excluded.%1").arg(column));
        bound.append(value);
    }
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2,%3) Values(?%4) ON CONFLICT(%2) DO UPDATE SET %5")
            .arg(table, keyColumn, columns.join(QLatin1Char(',')),
                 QStringLiteral(",?").repeated(columns.size()), updates.join(QLatin1Char(',')));
    QSqlQuery write = Database::run(db, sql, bound);
    return write.isActive() && write.numRowsAffected() == 1;
}

double hoursOfChoice(const QString &choice)
{
    static const QHash<QString, double> minutes = {
        {QStringLiteral("15 min"), 0.25},
        {QStringLiteral("30 min"), 0.5},
        {QStringLiteral("45 min"), 0.75},
    };
    return minutes.value(choice, readNumber(choice));
}

double litres(double count, double factor)
{
    return count * factor * 1000;
}

bool recordAppliance(const QSqlDatabase &db, const QString &key, int index, double hours,
                     double watts, int count)
{
    // The tariff the cost is worked with is read inside the write transaction.
    return Database::inTransaction(db, [&] {
        const std::optional<double> electricityRate = rate(db, QStringLiteral("electricity"));
        return electricityRate &&
               writeAppliance(db, key, index, hours, watts, count, *electricityRate);
    });
}

bool recordWater(const QSqlDatabase &db, const QString &key, const QList<WaterAnswer> &answers,
                 const ColumnValues &plain)
{
    return Database::inTransaction(db, [&] {
        const std::optional<double> waterRate = rate(db, QStringLiteral("water"));
        return waterRate && writeWater(db, key, answers, plain, *waterRate);
    });
}

DayAnswers dayAnswers(const QSqlDatabase &db, const QString &key)
{
    DayAnswers day;
    QSqlQuery answers = Database::run(
        db, QStringLiteral("SELECT item, amount FROM DayUsage WHERE dayKey=?"), {key});
    QSqlQuery members = Database::run(
        db, QStringLiteral("SELECT noOfFamilyMem FROM waterDiary WHERE waterRetrieveDate=?"),
        {key});
    day.read = answers.isActive() && members.isActive();
    if (!day.read)
        return day;
    while (answers.next())
        day.amounts.insert(answers.value(0).toString(), readNumber(answers.value(1)));
    if (members.next() && !members.value(0).isNull())
        day.members = readNumber(members.value(0));
    return day;
}

bool recordWholeDay(const QSqlDatabase &db, const QString &key,
                    const QList<ApplianceAnswer> &appliances, const QList<WaterAnswer> &water,
                    const ColumnValues &plain, const QList<OwnAnswer> &own)
{
    return Database::inTransaction(db, [&] {
        const std::optional<double> electricityRate = rate(db, QStringLiteral("electricity"));
        const std::optional<double> waterRate = rate(db, QStringLiteral("water"));
        if (((!appliances.isEmpty() || !own.isEmpty()) && !electricityRate) ||
            ((!water.isEmpty() || !plain.isEmpty()) && !waterRate))
            return false;
        for (const ApplianceAnswer &answer : appliances) {
            if (!writeAppliance(db, key, answer.index, answer.hours, answer.watts, answer.count,
                                *electricityRate))
                return false;
        }
        for (const OwnAnswer &answer : own) {
            if (!writeOwn(db, key, answer, *electricityRate))
                return false;
        }
        return (water.isEmpty() && plain.isEmpty()) ||
               writeWater(db, key, water, plain, *waterRate);
    });
}

QDate lastAnsweredDay(const QSqlDatabase &db, const QDate &before)
{
    const auto latestOf = [&before](QSqlQuery query) {
        QDate latest;
        while (query.isActive() && query.next()) {
            const QDate day = dateOfKey(QString::fromUtf8(query.value(0).toByteArray()));
            if (day.isValid() && day < before && (!latest.isValid() || day > latest))
                latest = day;
        }
        return latest;
    };
    // A household mostly answered a day or a few before: those days are
    // looked up by their keys. Only a longer gap reads every key (a key is
    // day first, so SQLite cannot give the latest), which takes tens of
    // milliseconds in a file of years.
    constexpr int recentDays = 62;
    QVariantList recent;
    for (int back = 1; back <= recentDays; ++back)
        recent.append(dayKey(before.addDays(-back)));
    const QDate latest = latestOf(Database::run(
        db,
        QStringLiteral("SELECT DISTINCT CAST(dayKey AS BLOB) FROM DayUsage WHERE dayKey IN (?%1)")
            .arg(QStringLiteral(",?").repeated(recentDays - 1)),
        recent));
    if (latest.isValid())
        return latest;
    return latestOf(
        Database::run(db, QStringLiteral("SELECT DISTINCT CAST(dayKey AS BLOB) FROM DayUsage")));
}

FillInDay fillInDay(const QSqlDatabase &db, const QDate &day, FillFrom from)
{
    if (from == FillFrom::ByWeek) {
        const QDate weekBefore = day.addDays(-7);
        QSqlQuery kept = Database::run(
            db, QStringLiteral("SELECT EXISTS(SELECT 1 FROM DayUsage WHERE dayKey=?)"),
            {dayKey(weekBefore)});
        if (kept.isActive() && kept.next() && kept.value(0).toBool())
            return {weekBefore, true};
    }
    return {lastAnsweredDay(db, day), false};
}

QString answerText(const QString &item, double amount)
{
    const int activity = int(waterColumns().indexOf(item));
    if (activity < 0) {
        for (const QString &minutes :
             {QStringLiteral("15 min"), QStringLiteral("30 min"), QStringLiteral("45 min")}) {
            if (hoursOfChoice(minutes) == amount)
                return minutes;
        }
        return numberText(amount) + QStringLiteral(" h");
    }
    static const char *const units[][2] = {
        {"min each", "min each"},        {"load", "loads"},         {"wash", "washes"},
        {"shower each", "showers each"}, {"watering", "waterings"}, {"flush each", "flushes each"},
    };
    return numberText(amount) + QLatin1Char(' ') +
           QString::fromLatin1(units[activity][amount == 1 ? 0 : 1]);
}

std::optional<bool> dayHasAnswers(const QSqlDatabase &db, const QString &key)
{
    QSqlQuery query = Database::run(
        db,
        QStringLiteral("SELECT EXISTS(SELECT 1 FROM Diary WHERE retrieveDate=?) OR "
                       "EXISTS(SELECT 1 FROM waterDiary WHERE waterRetrieveDate=?) OR "
                       "EXISTS(SELECT 1 FROM DayUsage WHERE dayKey=?)"),
        {key, key, key});
    if (!query.isActive() || !query.next())
        return std::nullopt;
    return query.value(0).toBool();
}

namespace {

// Copies the answers of fromKey to toKey inside the caller's write
// transaction: what is copied is read there too.
std::optional<CopiedAnswers> copyDay(const QSqlDatabase &db, const QString &fromKey,
                                     const QString &toKey, const ApplianceFigures &watts,
                                     const ApplianceFigures &counts, const WaterFactors &factors)
{
    const std::optional<double> electricityRate = rate(db, QStringLiteral("electricity"));
    const std::optional<double> waterRate = rate(db, QStringLiteral("water"));
    QSqlQuery answers = Database::run(
        db, QStringLiteral("SELECT item, amount FROM DayUsage WHERE dayKey=?"), {fromKey});
    QSqlQuery members = Database::run(
        db, QStringLiteral("SELECT noOfFamilyMem FROM waterDiary WHERE waterRetrieveDate=?"),
        {fromKey});
    const std::optional<QList<OwnAppliance>> owned = ownAppliances(db);
    if (!electricityRate || !waterRate || !answers.isActive() || !members.isActive() ||
        fromKey == toKey || !owned)
        return std::nullopt;
    QList<QPair<int, double>> appliances;
    QList<WaterAnswer> water;
    QList<OwnAnswer> own;
    while (answers.next()) {
        const QString item = answers.value(0).toString();
        const double amount = readNumber(answers.value(1));
        const int appliance = int(applianceColumns().indexOf(item));
        const int activity = int(waterColumns().indexOf(item));
        const std::optional<int> id = ownId(item);
        if (appliance >= 0) {
            appliances.append({appliance, amount});
        } else if (activity >= 0 && !factors[activity]) {
            return std::nullopt;
        } else if (activity >= 0) {
            water.append({item, amount, *factors[activity]});
        } else if (id) {
            for (const OwnAppliance &appliance : *owned) {
                if (appliance.id == *id)
                    own.append({*id, amount, appliance.watts, appliance.count});
            }
        }
    }
    answers.finish();
    CopiedAnswers copied{int(appliances.size() + own.size()), int(water.size()), QString()};
    ColumnValues plain;
    if (members.next() && !members.value(0).isNull()) {
        copied.members = members.value(0).toString();
        plain.append({QStringLiteral("noOfFamilyMem"), copied.members});
    }
    members.finish();
    // The day's own answers go first, of both kinds, so that none is left
    // beside the copied ones.
    const QList<QPair<QString, QString>> dayRows = {
        {QStringLiteral("Diary"), QStringLiteral("retrieveDate")},
        {QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate")},
        {QStringLiteral("DayUsage"), QStringLiteral("dayKey")},
        {QStringLiteral("OwnApplianceDay"), QStringLiteral("dayKey")},
    };
    for (const auto &[table, keyColumn] : dayRows) {
        if (!Database::run(db, QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(table, keyColumn),
                           {toKey})
                 .isActive())
            return std::nullopt;
    }
    for (const auto &[appliance, hours] : std::as_const(appliances)) {
        if (!watts[appliance] || !counts[appliance] ||
            !writeAppliance(db, toKey, appliance, hours, *watts[appliance], *counts[appliance],
                            *electricityRate))
            return std::nullopt;
    }
    for (const OwnAnswer &answer : std::as_const(own)) {
        if (!writeOwn(db, toKey, answer, *electricityRate))
            return std::nullopt;
    }
    if ((water.isEmpty() && plain.isEmpty()) || writeWater(db, toKey, water, plain, *waterRate))
        return copied;
    return std::nullopt;
}

} // namespace

std::optional<CopiedAnswers> copyAnswers(const QSqlDatabase &db, const QString &fromKey,
                                         const QString &toKey, const ApplianceFigures &watts,
                                         const ApplianceFigures &counts,
                                         const WaterFactors &factors)
{
    std::optional<CopiedAnswers> copied;
    const bool stored = Database::inTransaction(db, [&] {
        copied = copyDay(db, fromKey, toKey, watts, counts, factors);
        return copied.has_value();
    });
    return stored ? copied : std::nullopt;
}

std::optional<QStringList> storedDays(const QSqlDatabase &db, const QString &table,
                                      const QString &keyColumn)
{
    QStringList days;
    // The keys come as the UTF-8 bytes the file holds and are decoded here:
    // SQLite's own conversion to UTF-16 costs several times Qt's, which shows
    // with thousands of days.
    QSqlQuery query = Database::run(
        db, QStringLiteral("SELECT CAST(%1 AS BLOB) from %2 ORDER BY rowid").arg(keyColumn, table),
        {});
    if (!query.isActive())
        return std::nullopt;
    while (query.next())
        days.append(QString::fromUtf8(query.value(0).toByteArray()));
    return days;
}

ElectricityDay electricityDay(const QSqlDatabase &db, const QString &key)
{
    ElectricityDay day;
    const QStringList &columns = applianceColumns();
    QSqlQuery query = Database::run(db,
                                    QStringLiteral("SELECT %1 from Diary where retrieveDate=?")
                                        .arg(columns.join(QLatin1Char(','))),
                                    {key});
    day.read = query.isActive();
    if (!day.read || !query.next())
        return day;
    day.found = true;
    for (int i = 0; i < int(day.costs.size()); ++i)
        day.costs[i] = readNumber(query.value(i));
    QSqlQuery own = Database::run(
        db, QStringLiteral("SELECT applianceId, cost FROM OwnApplianceDay WHERE dayKey=?"), {key});
    day.read = own.isActive();
    while (own.next())
        day.own.insert(own.value(0).toInt(), readNumber(own.value(1)));
    return day;
}

WaterDay waterDay(const QSqlDatabase &db, const QString &key)
{
    WaterDay day;
    QSqlQuery query = Database::run(db,
                                    QStringLiteral("SELECT noOfFamilyMem,%1 from waterDiary where "
                                                   "waterRetrieveDate=?")
                                        .arg(waterColumns().join(QLatin1Char(','))),
                                    {key});
    day.read = query.isActive();
    if (!day.read || !query.next())
        return day;
    day.found = true;
    day.members = readNumber(query.value(0));
    for (int i = 0; i < int(day.costs.size()); ++i)
        day.costs[i] = readNumber(query.value(i + 1));
    return day;
}

double householdLitres(const QString &item, double perMember, double members)
{
    return householdWater(int(waterColumns().indexOf(item)), perMember, members);
}

std::optional<QHash<QString, DayUse>> usageOfDays(const QSqlDatabase &db, const QStringList &keys)
{
    QHash<QString, DayUse> days;
    const bool read = forKeys(
        QStringLiteral("u.dayKey"), keys, [&](const QString &where, const QVariantList &bound) {
            QSqlQuery query = Database::run(
                db,
                QStringLiteral("SELECT u.dayKey, u.item, u.quantity, w.noOfFamilyMem, u.amount "
                               "FROM DayUsage u "
                               "LEFT JOIN waterDiary w ON w.waterRetrieveDate = u.dayKey") +
                    where,
                bound);
            if (!query.isActive())
                return false;
            while (query.next()) {
                const QString item = query.value(1).toString();
                const double quantity = readNumber(query.value(2));
                const bool electricity =
                    applianceColumns().contains(item) || ownId(item).has_value();
                if (!electricity && !waterColumns().contains(item))
                    continue;
                DayUse &day = days[query.value(0).toString()];
                day.items.insert(item, quantity);
                if (!query.value(4).isNull())
                    day.amounts.insert(item, readNumber(query.value(4)));
                if (electricity)
                    day.kWh = day.kWh.value_or(0) + quantity;
                else
                    day.litres = day.litres.value_or(0) +
                                 householdLitres(item, quantity, readNumber(query.value(3)));
            }
            return true;
        });
    return read ? std::optional(days) : std::nullopt;
}

std::optional<QList<DiaryRow>> diaryRows(const QSqlDatabase &db, bool water,
                                         const QStringList &keys)
{
    const QString table = water ? QStringLiteral("waterDiary") : QStringLiteral("Diary");
    const QString keyColumn =
        water ? QStringLiteral("waterRetrieveDate") : QStringLiteral("retrieveDate");
    const QStringList columns =
        water ? QStringList{QStringLiteral("noOfFamilyMem")} + waterColumns() : applianceColumns();
    QList<DiaryRow> rows;
    const bool read =
        forKeys(keyColumn, keys, [&](const QString &where, const QVariantList &bound) {
            // Table and column names come from the fixed lists above; keys are bound.
            QSqlQuery query(db);
            query.setForwardOnly(true); // read once: the driver keeps no copy of the rows read
            if (!db.isOpen() ||
                !query.prepare(QStringLiteral("SELECT %1,%2 FROM %3")
                                   .arg(keyColumn, columns.join(QLatin1Char(',')), table) +
                               where + QStringLiteral(" ORDER BY rowid")))
                return false;
            for (const QVariant &value : bound)
                query.addBindValue(value);
            if (!query.exec())
                return false;
            while (query.next()) {
                DiaryRow row;
                row.key = query.value(0).toString();
                row.values.reserve(columns.size());
                for (int i = 1; i <= columns.size(); ++i)
                    row.values.append(query.value(i));
                rows.append(std::move(row));
            }
            return true;
        });
    if (!read)
        return std::nullopt;
    if (water || rows.isEmpty())
        return rows;
    // The own appliances' costs of the same days.
    QHash<QString, OwnCosts> own;
    const bool ownRead = forKeys(
        QStringLiteral("dayKey"), keys, [&](const QString &where, const QVariantList &bound) {
            QSqlQuery query = Database::run(
                db, QStringLiteral("SELECT dayKey, applianceId, cost FROM OwnApplianceDay") + where,
                bound);
            while (query.isActive() && query.next())
                own[query.value(0).toString()].insert(query.value(1).toInt(),
                                                      readNumber(query.value(2)));
            return query.isActive();
        });
    if (!ownRead)
        return std::nullopt;
    for (DiaryRow &row : rows)
        row.own = own.value(row.key);
    return rows;
}

double dayCost(const DiaryRow &row, bool water)
{
    if (water) {
        WaterCosts costs{};
        for (int i = 0; i < int(costs.size()) && i + 1 < row.values.size(); ++i)
            costs[i] = readNumber(row.values.at(i + 1));
        return waterTotal(row.values.isEmpty() ? 0 : readNumber(row.values.at(0)), costs);
    }
    ElectricityCosts costs{};
    for (int i = 0; i < int(costs.size()) && i < row.values.size(); ++i)
        costs[i] = readNumber(row.values.at(i));
    return electricityTotal(costs, row.own);
}

QString randomTip(const QSqlDatabase &db, const QString &applianceName)
{
    return firstText(db,
                     QStringLiteral("SELECT applianceTips from Tips WHERE applianceName=? "
                                    "ORDER BY RANDOM() LIMIT 1"),
                     {applianceName});
}

QString randomWaterTip(const QSqlDatabase &db, const QString &activityName)
{
    return firstText(db,
                     QStringLiteral("SELECT waterTips from waterTips WHERE waterApplianceName=? "
                                    "ORDER BY RANDOM() LIMIT 1"),
                     {activityName});
}

} // namespace CalculatorLogic
