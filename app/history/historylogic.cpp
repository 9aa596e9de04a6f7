#include "history/historylogic.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/meterlogic.h"
#include "household/settingslogic.h"
#include "meters/meterslogic.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStorageInfo>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>

using namespace CalculatorLogic;

namespace {

// Less room than this on the export's disk after a failed write: it is full.
constexpr qint64 minimumRoom = qint64(1024) * 1024;

// The CSV's usage field of a day: its kWh, or the family's litres; empty for
// a day without kept answers of that kind.
QString usageField(const DayUse *day, bool water)
{
    if (!day)
        return QString();
    const std::optional<double> used = water ? day->litres : day->kWh;
    return used ? numberText(*used) : QString();
}

// The household's currency sign, read anew: an export runs on a thread of
// its own, away from the sign the window remembers.
QString storedSign(const QSqlDatabase &db)
{
    const std::optional<SettingsLogic::Stored> figures = SettingsLogic::stored(db);
    const QString sign = figures ? figures->texts[SettingsLogic::CurrencyField] : QString();
    return sign.isEmpty() ? SettingsLogic::builtIn().currency : sign;
}

// What each item's answers are counted in, in the Diary's or the
// waterDiary's column order.
const QStringList &amountUnits(bool water)
{
    static const QStringList hours(applianceColumns().size(), QStringLiteral("h"));
    // The uses asked for each person are written for the household.
    static const QStringList uses = {
        QStringLiteral("household min"), QStringLiteral("loads"),
        QStringLiteral("washes"),        QStringLiteral("household showers"),
        QStringLiteral("waterings"),     QStringLiteral("household flushes"),
    };
    return water ? uses : hours;
}

// The header record: the date, then for each item what was answered and
// what it cost, in the diary's column order, then the own appliances', the
// total and the usage, then (electricity) each appliance's kWh; every header
// with its unit.
QString csvHeader(bool water, const QList<OwnAppliance> &own, const QString &sign)
{
    static const QStringList electricityNames = {
        QStringLiteral("air conditioner"),
        QStringLiteral("laptop"),
        QStringLiteral("fan"),
        QStringLiteral("lights"),
        QStringLiteral("dvd player"),
        QStringLiteral("tv"),
        QStringLiteral("washing machine"),
        QStringLiteral("hair dryer"),
        QStringLiteral("microwave"),
        QStringLiteral("rice cooker"),
        QStringLiteral("refrigerator"),
    };
    static const QStringList waterNames = {
        QStringLiteral("tap"),          QStringLiteral("washing machine"),
        QStringLiteral("dish washing"), QStringLiteral("shower"),
        QStringLiteral("lawn"),         QStringLiteral("toilet"),
    };
    const QString money = QStringLiteral(" (%1)").arg(sign);
    const QString householdMoney = QStringLiteral(" (household %1)").arg(sign);
    QStringList fields{QStringLiteral("date")};
    if (water)
        fields.append(QStringLiteral("family members (people)"));
    const QStringList &names = water ? waterNames : electricityNames;
    for (int i = 0; i < names.size(); ++i)
        fields << QStringLiteral("%1 (%2)").arg(names.at(i), amountUnits(water).at(i))
               << names.at(i) + (water && personalActivity(i) ? householdMoney : money);
    for (const OwnAppliance &appliance : own)
        fields << appliance.name + QStringLiteral(" (h)") << appliance.name + money;
    fields << QStringLiteral("total") + money
           << (water ? QStringLiteral("used (litres)") : QStringLiteral("used (kWh)"));
    for (int i = 0; !water && i < names.size(); ++i)
        fields << names.at(i) + QStringLiteral(" (kWh)");
    for (const OwnAppliance &appliance : own)
        fields << appliance.name + QStringLiteral(" (kWh)");
    QString header;
    for (const QString &field : std::as_const(fields))
        header +=
            (header.isEmpty() ? QString() : QStringLiteral(",")) + HistoryLogic::csvField(field);
    return header;
}

// The diary's records as CSV, oldest day first; see electricityCsv().
QByteArray diaryCsv(const QSqlDatabase &db, bool water, bool *ok)
{
    struct Record
    {
        QDate date;
        QString dateField;
        QString rest; // ",hours,value,...,total,usage"
    };
    const std::optional<QList<DiaryRow>> rows = diaryRows(db, water);
    const std::optional<QHash<QString, DayUse>> usage = usageOfDays(db);
    const std::optional<QList<OwnAppliance>> own =
        water ? std::optional(QList<OwnAppliance>()) : ownAppliances(db, true);
    if (ok)
        *ok = rows && usage && own;
    const QStringList &columns = water ? waterColumns() : applianceColumns();
    const qsizetype firstCost = water ? 1 : 0; // the family members come first
    QList<Record> records;
    for (const DiaryRow &row : rows.value_or(QList<DiaryRow>())) {
        Record record;
        record.rest.reserve(16 * (2 * row.values.size() + 1));
        record.date = dateOfKey(row.key);
        // A valid key is "dd/MM/yyyy": its parts make the ISO date.
        record.dateField = record.date.isValid()
                               ? row.key.mid(6, 4) + QLatin1Char('-') + row.key.mid(3, 2) +
                                     QLatin1Char('-') + row.key.mid(0, 2)
                               : HistoryLogic::csvField(row.key);
        const DayUse *day = nullptr;
        if (const auto kept =
                usage ? usage->constFind(row.key) : QHash<QString, DayUse>::const_iterator();
            usage && kept != usage->constEnd())
            day = &*kept;
        // The answer (or the kWh) kept for an item; empty without one.
        const auto kept = [day](const QHash<QString, double> DayUse::*figures, const QString &item,
                                double times = 1) {
            return day && (day->*figures).contains(item)
                       ? numberText((day->*figures).value(item) * times)
                       : QString();
        };
        const auto amount = [&kept](const QString &item) {
            return kept(&DayUse::amounts, item);
        };
        // A personal water use's answer and cost are kept for one member.
        const double members = water ? readNumber(row.values.value(0)) : 0;
        for (qsizetype i = 0; i < row.values.size(); ++i) {
            const int activity = int(i - firstCost);
            const bool personal = water && i >= firstCost && personalActivity(activity);
            if (i >= firstCost)
                record.rest += QLatin1Char(',') + kept(&DayUse::amounts, columns.value(activity),
                                                       personal ? members : 1);
            record.rest += QLatin1Char(',');
            if (row.values.at(i).isNull())
                continue;
            record.rest +=
                personal
                    ? numberText(householdWater(activity, readNumber(row.values.at(i)), members))
                    : HistoryLogic::csvField(row.values.at(i).toString());
        }
        for (const OwnAppliance &appliance : own.value_or(QList<OwnAppliance>())) {
            const auto cost = row.own.constFind(appliance.id);
            record.rest += QLatin1Char(',') + amount(ownItem(appliance.id)) + QLatin1Char(',') +
                           (cost != row.own.constEnd() ? numberText(*cost) : QString());
        }
        record.rest += QLatin1Char(',') + moneyText(dayCost(row, water)) + QLatin1Char(',') +
                       usageField(day, water);
        for (qsizetype i = 0; !water && i < columns.size(); ++i)
            record.rest += QLatin1Char(',') + kept(&DayUse::items, columns.at(i));
        for (const OwnAppliance &appliance : own.value_or(QList<OwnAppliance>()))
            record.rest += QLatin1Char(',') + kept(&DayUse::items, ownItem(appliance.id));
        records.append(std::move(record));
    }
    // Undated rows keep their stored order after every dated one.
    std::stable_sort(records.begin(), records.end(), [](const Record &a, const Record &b) {
        if (a.date.isValid() != b.date.isValid())
            return a.date.isValid();
        return a.date < b.date;
    });

    QString text = csvHeader(water, own.value_or(QList<OwnAppliance>()), storedSign(db)) +
                   QStringLiteral("\r\n");
    text.reserve(text.size() + records.size() * 160);
    for (const Record &record : std::as_const(records))
        text += record.dateField + record.rest + QStringLiteral("\r\n");
    return text.toUtf8();
}

// Makes a new folder for one export inside parent: the first free name of
// the day. Empty when none can be made.
QString newExportFolder(const QDir &parent, const QDate &today)
{
    constexpr int mostPerDay = 1000;
    for (int number = 1; number <= mostPerDay; ++number) {
        QString path = parent.absoluteFilePath(HistoryLogic::exportFolderName(today, number));
        // A name taken by anything, a dangling link too, is left alone; mkdir
        // makes a folder only where nothing was.
        const QFileInfo taken(path);
        if (taken.exists() || taken.isSymLink())
            continue;
        if (parent.mkdir(path))
            return path;
        const QFileInfo raced(path);
        if (!raced.exists() && !raced.isSymLink())
            return {};
    }
    return {};
}

// Why a file could not be written, in a household's words; the technical
// reason goes to standard error.
QString writeProblem(const QSaveFile &file, const QString &folder)
{
    qWarning().noquote() << "Viridio: cannot export to" << file.fileName() << "-"
                         << file.errorString();
    const QStorageInfo disk(folder);
    if (file.error() == QFileDevice::ResourceError ||
        (disk.isValid() && disk.bytesAvailable() < minimumRoom))
        return QStringLiteral("there is no room left on the disk");
    if (disk.isReadOnly())
        return QStringLiteral("the disk can only be read");
    return QStringLiteral("the files could not be written");
}

// What the days of a period before cost, and how many of them were recorded.
struct PeriodBefore
{
    double total = 0;
    int recorded = 0;
};

// The items that cost anything, dearest first (the given order between
// equals), each with its share of the items' sum.
QList<HistoryLogic::Spending> ranking(QList<HistoryLogic::Spending> items)
{
    double total = 0;
    for (const HistoryLogic::Spending &item : std::as_const(items))
        total += item.cost;
    items.removeIf([](const HistoryLogic::Spending &item) { return item.cost <= 0; });
    for (HistoryLogic::Spending &item : items)
        item.share = item.cost / total;
    std::stable_sort(items.begin(), items.end(),
                     [](const HistoryLogic::Spending &a, const HistoryLogic::Spending &b) {
                         return a.cost > b.cost;
                     });
    return HistoryLogic::spendingChart(items, int(items.size()));
}

// Adds a day to a period: its costs count; its usage only where it has
// answers kept of that kind.
void addDay(HistoryLogic::PeriodUsage &period, const HistoryLogic::DayCosts &day)
{
    period.electricityDays += day.hasElectricity;
    period.waterDays += day.hasWater;
    if (day.kWh) {
        period.kWh = period.kWh.value_or(0) + *day.kWh;
        ++period.kWhDays;
    }
    if (day.litres) {
        period.litres = period.litres.value_or(0) + *day.litres;
        ++period.litreDays;
    }
}

} // namespace

namespace HistoryLogic {

PageData pageData(const QSqlDatabase &db, const QDate &today)
{
    // Two periods of each length are read: the last ones and those before
    // them, which also hold the 1st of today's month.
    constexpr int readDays = 2 * longPeriod;
    constexpr int firstShown = readDays - longPeriod;
    PageData data;
    QStringList keys;
    QHash<QString, int> dayOfKey;
    for (int i = 0; i < readDays; ++i) {
        keys.append(dayKey(today.addDays(i - (readDays - 1))));
        dayOfKey.insert(keys.last(), i);
    }
    for (int i = firstShown; i < readDays; ++i) {
        DayCosts day;
        day.date = today.addDays(i - (readDays - 1));
        data.days.append(day);
    }
    const int monthStart = readDays - today.day();
    std::array<double, readDays> electricity{};
    std::array<double, readDays> water{};
    std::array<bool, readDays> hasElectricity{};
    std::array<bool, readDays> hasWater{};
    const int appliances = int(applianceColumns().size());
    QList<double> itemCosts(appliances + waterColumns().size(), 0);
    QHash<int, double> ownCosts; // by own appliance

    const std::optional<QList<DiaryRow>> electricityRows = diaryRows(db, false, keys);
    const std::optional<QList<DiaryRow>> waterRows = diaryRows(db, true, keys);
    data.read = electricityRows && waterRows;
    for (const DiaryRow &row : electricityRows.value_or(QList<DiaryRow>())) {
        const int day = dayOfKey.value(row.key, -1);
        if (day < 0)
            continue;
        electricity[day] = dayCost(row, false);
        hasElectricity[day] = true;
        for (int item = 0; day >= firstShown && item < appliances; ++item)
            itemCosts[item] += readNumber(row.values.value(item));
        for (auto own = row.own.cbegin(); day >= firstShown && own != row.own.cend(); ++own)
            ownCosts[own.key()] += own.value();
    }
    for (const DiaryRow &row : waterRows.value_or(QList<DiaryRow>())) {
        const int day = dayOfKey.value(row.key, -1);
        if (day < 0)
            continue;
        water[day] = dayCost(row, true);
        hasWater[day] = true;
        const double members = readNumber(row.values.value(0));
        for (int item = appliances; day >= firstShown && item < itemCosts.size(); ++item)
            itemCosts[item] += householdWater(
                item - appliances, readNumber(row.values.value(item - appliances + 1)), members);
    }
    for (int i = firstShown; i < readDays; ++i) {
        DayCosts &day = data.days[i - firstShown];
        day.electricity = electricity[i];
        day.water = water[i];
        day.hasElectricity = hasElectricity[i];
        day.hasWater = hasWater[i];
    }
    // The answers kept beside the costs.
    const std::optional<QHash<QString, DayUse>> usage = usageOfDays(db, keys.mid(firstShown));
    for (int i = firstShown; i < readDays && usage; ++i) {
        const auto kept = usage->constFind(keys.at(i));
        if (kept == usage->constEnd())
            continue;
        DayCosts &costs = data.days[i - firstShown];
        costs.kWh = kept->kWh;
        costs.litres = kept->litres;
    }

    for (int i = 0; i < longPeriod; ++i) {
        const DayCosts &day = data.days.at(i);
        data.electricity30 += day.electricity;
        data.water30 += day.water;
        addDay(data.usage30, day);
        if (i >= longPeriod - shortPeriod) {
            data.electricity7 += day.electricity;
            data.water7 += day.water;
            addDay(data.usage7, day);
        }
    }
    for (int i = monthStart; i < readDays; ++i) {
        data.electricityMonth += electricity[i];
        data.waterMonth += water[i];
        data.electricityMonthDays += hasElectricity[i];
        data.waterMonthDays += hasWater[i];
    }
    // Every day of a period is billed its standing charge.
    const std::optional<double> electricityStanding = SettingsLogic::standingCharge(db, false);
    const std::optional<double> waterStanding = SettingsLogic::standingCharge(db, true);
    data.standingRead = electricityStanding && waterStanding;
    data.electricityStanding = electricityStanding.value_or(0);
    data.waterStanding = waterStanding.value_or(0);

    // The periods before: the shortPeriod days before the last shortPeriod,
    // and the longPeriod days before the last longPeriod.
    const auto before = [&](const auto &costs, const auto &recorded, int days) {
        const int from = readDays - 2 * days;
        PeriodBefore period;
        for (int i = from; i < from + days; ++i) {
            period.total += costs[i];
            period.recorded += recorded[i];
        }
        return period;
    };
    const PeriodBefore electricity7 = before(electricity, hasElectricity, shortPeriod);
    const PeriodBefore electricity30 = before(electricity, hasElectricity, longPeriod);
    const PeriodBefore water7 = before(water, hasWater, shortPeriod);
    const PeriodBefore water30 = before(water, hasWater, longPeriod);
    // A recorded day is compared as billed: with its standing charge.
    const auto billedChange = [](double now, int nowRecorded, const PeriodBefore &before, int days,
                                 double standing) {
        return change(now + standing * nowRecorded, nowRecorded,
                      before.total + standing * before.recorded, before.recorded, days);
    };
    data.changes.electricity7 = billedChange(data.electricity7, data.usage7.electricityDays,
                                             electricity7, shortPeriod, data.electricityStanding);
    data.changes.electricity30 = billedChange(data.electricity30, data.usage30.electricityDays,
                                              electricity30, longPeriod, data.electricityStanding);
    data.changes.water7 =
        billedChange(data.water7, data.usage7.waterDays, water7, shortPeriod, data.waterStanding);
    data.changes.water30 =
        billedChange(data.water30, data.usage30.waterDays, water30, longPeriod, data.waterStanding);
    data.electricity7 += data.electricityStanding * shortPeriod;
    data.electricity30 += data.electricityStanding * longPeriod;
    data.water7 += data.waterStanding * shortPeriod;
    data.water30 += data.waterStanding * longPeriod;

    // Each item in the Diary's then the waterDiary's column order, then the
    // household's own appliances in the order they were added.
    static const QStringList waterNames = {
        QStringLiteral("tap"),          QStringLiteral("washing machine water"),
        QStringLiteral("dish washing"), QStringLiteral("shower"),
        QStringLiteral("lawn"),         QStringLiteral("toilet"),
    };
    QList<Spending> items;
    for (int i = 0; i < itemCosts.size(); ++i) {
        const bool water = i >= appliances;
        items.append({water ? waterNames.at(i - appliances) : applianceNames().at(i),
                      water ? waterTipNames().at(i - appliances) : applianceTipNames().at(i), water,
                      itemCosts.at(i)});
    }
    const std::optional<QList<OwnAppliance>> own = ownAppliances(db, true);
    data.read = data.read && own;
    for (const OwnAppliance &appliance : own.value_or(QList<OwnAppliance>()))
        items.append({appliance.name, ownItem(appliance.id), false, ownCosts.value(appliance.id)});
    items.append({QStringLiteral("electricity standing charge"), QString(), false,
                  data.electricityStanding * longPeriod});
    items.append({QStringLiteral("water standing charge"), QString(), true,
                  data.waterStanding * longPeriod});
    data.spending = ranking(items);
    return data;
}

QString spendingLabel(const Spending &item, const QString &sign)
{
    return QStringLiteral("%1  %2  %3 %")
        .arg(item.name, moneyText(item.cost, sign), QString::number(item.percent));
}

QList<Spending> spendingChart(const QList<Spending> &spending, int bars)
{
    QList<Spending> items = spending.mid(0, spending.size() > bars ? bars - 1 : bars);
    if (spending.size() > bars) {
        Spending other{QStringLiteral("other"), QString(), false, 0, 0, 0};
        for (qsizetype i = items.size(); i < spending.size(); ++i) {
            other.cost += spending.at(i).cost;
            other.share += spending.at(i).share;
        }
        items.append(other);
    }
    // Whole percents that add to 100: each rounded down, then the largest
    // remainders rounded up.
    int given = 0;
    QList<QPair<double, qsizetype>> remainders;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const double percent = items.at(i).share * 100;
        items[i].percent = int(std::floor(percent));
        given += items.at(i).percent;
        remainders.append({percent - items.at(i).percent, i});
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype i = 0; !items.isEmpty() && given < 100 && i < remainders.size(); ++i, ++given)
        ++items[remainders.at(i).second].percent;
    return items;
}

std::optional<double> change(double now, int nowRecorded, double before, int beforeRecorded,
                             int days)
{
    // Fewer than half: 3 of 7 days, 14 of 30.
    if (2 * nowRecorded < days || 2 * beforeRecorded < days || before <= 0)
        return std::nullopt;
    const double beforePerDay = before / beforeRecorded;
    return (now / nowRecorded - beforePerDay) / beforePerDay * 100;
}

QString changeText(std::optional<double> percent)
{
    if (!percent)
        return QString();
    const long rounded = std::lround(*percent);
    const QString arrow = rounded > 0   ? QStringLiteral("\u25B2")
                          : rounded < 0 ? QStringLiteral("\u25BC")
                                        : QStringLiteral("=");
    return QStringLiteral("%1 %2 %").arg(arrow, QString::number(std::labs(rounded)));
}

QString changeWords(std::optional<double> percent, int days)
{
    if (!percent)
        return QString();
    const long rounded = std::lround(*percent);
    if (rounded == 0)
        return QStringLiteral("the same a recorded day as the %1 days before").arg(days);
    return QStringLiteral("%1 %2 % a recorded day on the %3 days before")
        .arg(rounded > 0 ? QStringLiteral("up") : QStringLiteral("down"),
             QString::number(std::labs(rounded)), QString::number(days));
}

BudgetStatus budgetStatus(double spent, int recordedDays, const QDate &today,
                          std::optional<double> budget, std::optional<double> meterADay,
                          double standing)
{
    BudgetStatus status;
    status.spent = spent + standing * today.day();
    status.budget = budget;
    status.fromMeter = meterADay.has_value();
    status.projected = meterADay || recordedDays > 0;
    if (meterADay) {
        status.projection = (*meterADay + standing) * today.daysInMonth();
    } else if (recordedDays > 0) {
        status.diaryDays = recordedDays;
        status.projection = (spent / recordedDays + standing) * today.daysInMonth();
    }
    status.over = budget && status.projected && status.projection > *budget + 0.005;
    return status;
}

QString budgetText(const BudgetStatus &status, const QString &kind, const QString &sign)
{
    const QString spent =
        QStringLiteral("%1 this month: %2").arg(kind, moneyText(status.spent, sign));
    if (!status.budget)
        return spent + QStringLiteral(", no budget set.");
    if (!status.projected)
        return QStringLiteral("%1 of %2; no day of the month is recorded to project it from.")
            .arg(spent, moneyText(*status.budget, sign));
    const QString source =
        status.fromMeter ? QStringLiteral("your meter readings")
        : status.diaryDays == 1
            ? QStringLiteral("your diary's 1 recorded day")
            : QStringLiteral("your diary's %1 recorded days").arg(status.diaryDays);
    return QStringLiteral("%1 of %2, on course for %3 by %4: %5")
        .arg(spent, moneyText(*status.budget, sign), moneyText(status.projection, sign), source,
             status.over ? QStringLiteral("above your budget.")
                         : QStringLiteral("within your budget."));
}

std::optional<double> meterCostADay(const QSqlDatabase &db, const QString &meter,
                                    const QDate &today)
{
    const std::optional<QList<MeterLogic::Reading>> stored = MeterLogic::readings(db, meter);
    const std::optional<double> tariff = rate(db, meter);
    if (!stored || !tariff || !soundRate(*tariff))
        return std::nullopt;
    // Newest first: each later reading with the one before it, in one series.
    const QDate first(today.year(), today.month(), 1);
    double used = 0;
    qint64 covered = 0;
    for (qsizetype i = 0; i + 1 < stored->size() && stored->at(i).date > first; ++i) {
        const MeterLogic::Reading &later = stored->at(i);
        const MeterLogic::Reading &earlier = stored->at(i + 1);
        const qint64 days = earlier.date.daysTo(later.date);
        if (later.newSeries || days <= 0)
            continue;
        const qint64 inMonth =
            std::max(earlier.date, first).daysTo(std::min(later.date, today.addDays(1)));
        if (inMonth <= 0)
            continue;
        used += (later.value - earlier.value) / double(days) * double(inMonth);
        covered += inMonth;
    }
    if (covered <= 0)
        return std::nullopt;
    return used / double(covered) * *tariff;
}

QString periodText(int days, double total, const QString &sign, int recordedDays)
{
    // One pass: a currency sign holding "%3" stays as it is.
    return QStringLiteral("Last %1 days: %2\n%3 of %1 days")
        .arg(QString::number(days), moneyText(total, sign), QString::number(recordedDays));
}

QString periodText(int days, double total, const QString &sign, int recordedDays,
                   std::optional<double> used, const QString &unit, int usedDays)
{
    QString text = periodText(days, total, sign, recordedDays);
    if (!used)
        return text;
    text += QStringLiteral(", ") + usageText(*used, unit);
    // Beside the period's recorded days that have costs only, the usage
    // says how many of them it covers.
    if (usedDays < recordedDays)
        text += QStringLiteral(" in %1").arg(usedDays);
    return text;
}

QByteArray electricityCsv(const QSqlDatabase &db, bool *ok)
{
    return diaryCsv(db, false, ok);
}

QByteArray waterCsv(const QSqlDatabase &db, bool *ok)
{
    return diaryCsv(db, true, ok);
}

QString csvField(const QString &value)
{
    // A number keeps its sign: "-0.5" is no formula.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!value.isEmpty() && formulaStarts.contains(value.front())) {
        bool number = false;
        (void)value.toDouble(&number);
        if (!number)
            return csvField(QLatin1Char('\'') + value);
    }
    static const std::array<QChar, 4> special = {QLatin1Char(','), QLatin1Char('"'),
                                                 QLatin1Char('\r'), QLatin1Char('\n')};
    const bool quote = std::any_of(special.begin(), special.end(),
                                   [&value](QChar c) { return value.contains(c); });
    if (!quote)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString electricityFileName(const QDate &date)
{
    return QStringLiteral("viridio-electricity-%1.csv").arg(date.toString(Qt::ISODate));
}

QString waterFileName(const QDate &date)
{
    return QStringLiteral("viridio-water-%1.csv").arg(date.toString(Qt::ISODate));
}

QString metersFileName(const QDate &date)
{
    return QStringLiteral("viridio-meters-%1.csv").arg(date.toString(Qt::ISODate));
}

QString exportFolderName(const QDate &date, int number)
{
    const QString name = QStringLiteral("viridio-export-%1").arg(date.toString(Qt::ISODate));
    return number <= 1 ? name : name + QStringLiteral("-%1").arg(number);
}

ExportResult exportDiaries(const QSqlDatabase &db, const QString &folder, const QDate &today)
{
    ExportResult result;
    const QDir parent(folder.isEmpty() ? Documents::folder() : folder);
    result.folder = QDir::toNativeSeparators(parent.absolutePath());

    // Both diaries as of one moment.
    const bool snapshot = QSqlDatabase(db).transaction();
    bool electricityRead = false;
    bool waterRead = false;
    bool metersRead = false;
    const QByteArray electricity = electricityCsv(db, &electricityRead);
    const QByteArray water = waterCsv(db, &waterRead);
    const QByteArray meters = MeterLogic::readingsCsv(db, &metersRead);
    if (snapshot)
        QSqlDatabase(db).commit();
    if (!electricityRead || !waterRead || !metersRead) {
        result.error = QStringLiteral("The diaries could not be read, so nothing was exported.");
        return result;
    }
    if (!QDir().mkpath(parent.absolutePath())) {
        result.error = QStringLiteral("The folder %1 could not be created, so nothing was "
                                      "exported.")
                           .arg(result.folder);
        return result;
    }
    const QString own = newExportFolder(parent, today);
    if (own.isEmpty()) {
        result.error = QStringLiteral("No new folder could be made in %1, so nothing was "
                                      "exported.")
                           .arg(result.folder);
        return result;
    }

    const QDir dir(own);
    const std::array<QString, 3> paths = {dir.absoluteFilePath(electricityFileName(today)),
                                          dir.absoluteFilePath(waterFileName(today)),
                                          dir.absoluteFilePath(metersFileName(today))};
    const std::array<const QByteArray *, 3> contents = {&electricity, &water, &meters};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // Unbuffered: each file is one write, and a buffered one that fails
        // (a full disk) is not reported by commit().
        QSaveFile file(paths[i]);
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
            file.write(*contents[i]) == contents[i]->size() && file.commit()) {
            result.files.append(QDir::toNativeSeparators(paths[i]));
            continue;
        }
        // What this export made goes again: the folder is its own.
        result.error = QStringLiteral("The diaries could not be saved in %1: %2.")
                           .arg(result.folder, writeProblem(file, own));
        for (std::size_t made = 0; made < i; ++made)
            QFile::remove(paths[made]);
        dir.rmdir(own);
        result.files.clear();
        return result;
    }
    result.ok = true;
    result.folder = QDir::toNativeSeparators(own);
    return result;
}

ExportResult exportDiariesOf(const QString &databaseName, const QString &folder, const QDate &today)
{
    ExportResult result;
    Database::withOwnConnection(
        databaseName, [&](QSqlDatabase &db) { result = exportDiaries(db, folder, today); });
    return result;
}

} // namespace HistoryLogic
