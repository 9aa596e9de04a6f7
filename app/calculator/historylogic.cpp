#include "calculator/historylogic.h"

#include "calculator/calculatorlogic.h"
#include "data/database.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <array>

using namespace CalculatorLogic;

namespace {

const QString electricityTable = QStringLiteral("Diary");
const QString electricityKey = QStringLiteral("retrieveDate");
const QString waterTable = QStringLiteral("waterDiary");
const QString waterKey = QStringLiteral("waterRetrieveDate");
const QString membersColumn = QStringLiteral("noOfFamilyMem");

// Both diaries are read with the key first, then the columns below.
QStringList electricityValueColumns()
{
    return applianceColumns();
}

QStringList waterValueColumns()
{
    return QStringList{membersColumn} + waterColumns();
}

// A day's cost from its row (the key at 0, then the value columns).
double electricityDayCost(const QSqlQuery &row)
{
    ElectricityCosts costs{};
    for (int i = 0; i < int(costs.size()); ++i)
        costs[i] = readNumber(row.value(i + 1));
    return electricityTotal(costs);
}

double waterDayCost(const QSqlQuery &row)
{
    WaterCosts costs{};
    for (int i = 0; i < int(costs.size()); ++i)
        costs[i] = readNumber(row.value(i + 2));
    return waterTotal(readNumber(row.value(1)), costs);
}

QSqlQuery selectDiary(const QSqlDatabase &db, const QString &table, const QString &keyColumn,
                      const QStringList &columns, const QStringList &keys = {})
{
    // Table and column names come from the fixed lists above; keys are bound.
    QString sql = QStringLiteral("SELECT %1,%2 FROM %3")
                      .arg(keyColumn, columns.join(QLatin1Char(',')), table);
    QVariantList values;
    if (!keys.isEmpty()) {
        QStringList marks;
        for (const QString &key : keys) {
            marks.append(QStringLiteral("?"));
            values.append(key);
        }
        sql += QStringLiteral(" WHERE %1 IN (%2)").arg(keyColumn, marks.join(QLatin1Char(',')));
    } else {
        sql += QStringLiteral(" ORDER BY rowid");
    }
    // As Database::run, but read once from first to last: the driver then
    // keeps no copy of the rows already read.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (db.isOpen() && query.prepare(sql)) {
        for (const QVariant &value : std::as_const(values))
            query.addBindValue(value);
        query.exec();
    }
    return query;
}

// The diary's records as CSV, oldest day first; see electricityCsv().
template<typename Cost>
QByteArray diaryCsv(const QSqlDatabase &db, const QString &table, const QString &keyColumn,
                    const QStringList &columns, const char *header, Cost cost, bool *ok)
{
    struct Record
    {
        QDate date;
        QString dateField;
        QString rest; // ",value,...,total"
    };
    QList<Record> records;
    QSqlQuery query = selectDiary(db, table, keyColumn, columns);
    if (ok)
        *ok = query.isActive();
    while (query.isActive() && query.next()) {
        Record record;
        record.rest.reserve(16 * (columns.size() + 1));
        const QString key = query.value(0).toString();
        record.date = dateOfKey(key);
        // A valid key is "dd/MM/yyyy": its parts make the ISO date.
        record.dateField = record.date.isValid()
                               ? key.mid(6, 4) + QLatin1Char('-') + key.mid(3, 2) +
                                     QLatin1Char('-') + key.mid(0, 2)
                               : HistoryLogic::csvField(key);
        for (int i = 1; i <= columns.size(); ++i) {
            record.rest += QLatin1Char(',');
            const QVariant value = query.value(i);
            if (!value.isNull())
                record.rest += HistoryLogic::csvField(value.toString());
        }
        record.rest += QLatin1Char(',') + moneyText(cost(query));
        records.append(std::move(record));
    }
    // Undated rows keep their stored order after every dated one.
    std::stable_sort(records.begin(), records.end(), [](const Record &a, const Record &b) {
        if (a.date.isValid() != b.date.isValid())
            return a.date.isValid();
        return a.date < b.date;
    });

    QString text = QString::fromUtf8(header) + QStringLiteral("\r\n");
    text.reserve(text.size() + records.size() * 96);
    for (const Record &record : std::as_const(records))
        text += record.dateField + record.rest + QStringLiteral("\r\n");
    return text.toUtf8();
}

bool writeWhole(QSaveFile &file, const QByteArray &data)
{
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

void addUsage(HistoryLogic::PeriodUsage &period, const HistoryLogic::DayCosts &day)
{
    period.kWh = period.kWh.value_or(0) + day.kWh;
    period.litres = period.litres.value_or(0) + day.litres;
}

} // namespace

namespace HistoryLogic {

PageData pageData(const QSqlDatabase &db, const QDate &today)
{
    PageData data;
    QStringList keys;
    QHash<QString, int> dayOfKey;
    for (int i = 0; i < longPeriod; ++i) {
        const QDate date = today.addDays(i - (longPeriod - 1));
        data.days.append(DayCosts{date, 0, 0});
        keys.append(dayKey(date));
        dayOfKey.insert(keys.last(), i);
    }

    QSqlQuery electricity =
        selectDiary(db, electricityTable, electricityKey, electricityValueColumns(), keys);
    while (electricity.isActive() && electricity.next()) {
        const auto day = dayOfKey.constFind(electricity.value(0).toString());
        if (day != dayOfKey.constEnd())
            data.days[*day].electricity = electricityDayCost(electricity);
    }
    QSqlQuery water = selectDiary(db, waterTable, waterKey, waterValueColumns(), keys);
    data.read = electricity.isActive() && water.isActive();
    std::array<double, longPeriod> members{};
    while (water.isActive() && water.next()) {
        const auto day = dayOfKey.constFind(water.value(0).toString());
        if (day != dayOfKey.constEnd()) {
            data.days[*day].water = waterDayCost(water);
            members[*day] = readNumber(water.value(1));
        }
    }
    // The answers kept beside the costs; litres are kept per family member.
    QStringList marks;
    QVariantList bound;
    for (const QString &key : std::as_const(keys)) {
        marks.append(QStringLiteral("?"));
        bound.append(key);
    }
    QSqlQuery usage = Database::run(
        db,
        QStringLiteral("SELECT dayKey, item, quantity FROM DayUsage WHERE dayKey IN (%1)")
            .arg(marks.join(QLatin1Char(','))),
        bound);
    while (usage.isActive() && usage.next()) {
        const auto day = dayOfKey.constFind(usage.value(0).toString());
        if (day == dayOfKey.constEnd())
            continue;
        DayCosts &costs = data.days[*day];
        const QString item = usage.value(1).toString();
        const double quantity = readNumber(usage.value(2));
        costs.hasUsage = true;
        if (applianceColumns().contains(item))
            costs.kWh += quantity;
        else if (waterColumns().contains(item))
            costs.litres += quantity * members[*day];
    }

    for (int i = 0; i < longPeriod; ++i) {
        const DayCosts &day = data.days.at(i);
        data.electricity30 += day.electricity;
        data.water30 += day.water;
        if (day.hasUsage)
            addUsage(data.usage30, day);
        if (i >= longPeriod - shortPeriod) {
            data.electricity7 += day.electricity;
            data.water7 += day.water;
            if (day.hasUsage)
                addUsage(data.usage7, day);
        }
    }
    return data;
}

QString periodText(int days, double total, const QString &sign)
{
    return QStringLiteral("Last %1 days: %2").arg(days).arg(moneyText(total, sign));
}

QString periodText(int days, double total, const QString &sign, std::optional<double> used,
                   const QString &unit)
{
    const QString money = periodText(days, total, sign);
    return used ? money + QLatin1Char('\n') + usageText(*used, unit) : money;
}

QByteArray electricityCsv(const QSqlDatabase &db, bool *ok)
{
    return diaryCsv(db, electricityTable, electricityKey, electricityValueColumns(),
                    "date,air conditioner,laptop,fan,lights,dvd player,tv,washing machine,"
                    "hair dryer,microwave,rice cooker,refrigerator,total",
                    electricityDayCost, ok);
}

QByteArray waterCsv(const QSqlDatabase &db, bool *ok)
{
    return diaryCsv(db, waterTable, waterKey, waterValueColumns(),
                    "date,family members,tap,washing machine,dish washing,shower,lawn,toilet,"
                    "total",
                    waterDayCost, ok);
}

QString csvField(const QString &value)
{
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

QString defaultExportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString electricityFileName(const QDate &date)
{
    return QStringLiteral("viridio-electricity-%1.csv").arg(date.toString(Qt::ISODate));
}

QString waterFileName(const QDate &date)
{
    return QStringLiteral("viridio-water-%1.csv").arg(date.toString(Qt::ISODate));
}

ExportResult exportDiaries(const QSqlDatabase &db, const QString &folder, const QDate &today)
{
    ExportResult result;
    const QDir dir(folder.isEmpty() ? defaultExportFolder() : folder);
    result.folder = QDir::toNativeSeparators(dir.absolutePath());

    bool electricityRead = false;
    bool waterRead = false;
    const QByteArray electricity = electricityCsv(db, &electricityRead);
    const QByteArray water = waterCsv(db, &waterRead);
    if (!electricityRead || !waterRead) {
        result.error = QStringLiteral("The diaries could not be read, so nothing was exported.");
        return result;
    }
    if (!QDir().mkpath(dir.absolutePath())) {
        result.error = QStringLiteral("The folder %1 could not be created, so nothing was "
                                      "exported.")
                           .arg(result.folder);
        return result;
    }

    const QString electricityPath = dir.absoluteFilePath(electricityFileName(today));
    const QString waterPath = dir.absoluteFilePath(waterFileName(today));
    QSaveFile electricityFile(electricityPath);
    QSaveFile waterFile(waterPath);
    // Both are written before either takes its place; an unfinished QSaveFile
    // removes its temporary file when it goes.
    const std::array<QSaveFile *, 2> files = {&electricityFile, &waterFile};
    const std::array<const QByteArray *, 2> contents = {&electricity, &water};
    QSaveFile *failed = nullptr;
    for (std::size_t i = 0; i < files.size() && !failed; ++i) {
        if (!writeWhole(*files[i], *contents[i]))
            failed = files[i];
    }
    for (QSaveFile *file : files) {
        if (!failed && !file->commit())
            failed = file;
    }
    if (failed) {
        result.error = QStringLiteral("The diaries could not be saved in %1: %2.")
                           .arg(result.folder, failed->errorString());
        return result;
    }
    result.ok = true;
    result.files =
        QStringList{QDir::toNativeSeparators(electricityPath), QDir::toNativeSeparators(waterPath)};
    return result;
}

} // namespace HistoryLogic
