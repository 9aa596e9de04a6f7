#include "calculator/historylogic.h"

#include "calculator/calculatorlogic.h"
#include "data/database.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStorageInfo>
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

// Less room than this on the export's disk after a failed write: it is full.
constexpr qint64 minimumRoom = qint64(1024) * 1024;

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
// What each day used, from the answers kept beside the costs: kWh, or litres
// for one family member, by day key; days without kept answers are absent.
QHash<QString, double> usageByDay(const QSqlDatabase &db, const QStringList &items)
{
    QHash<QString, double> used;
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT dayKey, item, quantity FROM DayUsage"));
    while (query.isActive() && query.next()) {
        if (items.contains(query.value(1).toString()))
            used[query.value(0).toString()] += readNumber(query.value(2));
    }
    return used;
}

template<typename Cost, typename Usage>
QByteArray diaryCsv(const QSqlDatabase &db, const QString &table, const QString &keyColumn,
                    const QStringList &columns, const char *header, Cost cost, Usage usage,
                    bool *ok)
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
        record.rest +=
            QLatin1Char(',') + moneyText(cost(query)) + QLatin1Char(',') + usage(key, query);
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
    const QHash<QString, double> kWh = usageByDay(db, applianceColumns());
    return diaryCsv(
        db, electricityTable, electricityKey, electricityValueColumns(),
        "date,air conditioner,laptop,fan,lights,dvd player,tv,washing machine,"
        "hair dryer,microwave,rice cooker,refrigerator,total,kWh",
        electricityDayCost,
        [&kWh](const QString &key, const QSqlQuery &) {
            const auto used = kWh.constFind(key);
            return used == kWh.constEnd() ? QString() : numberText(*used);
        },
        ok);
}

QByteArray waterCsv(const QSqlDatabase &db, bool *ok)
{
    const QHash<QString, double> litres = usageByDay(db, waterColumns());
    return diaryCsv(
        db, waterTable, waterKey, waterValueColumns(),
        "date,family members,tap,washing machine,dish washing,shower,lawn,toilet,"
        "total,litres",
        waterDayCost,
        [&litres](const QString &key, const QSqlQuery &row) {
            // Kept for one member; the day's litres are the family's.
            const auto used = litres.constFind(key);
            return used == litres.constEnd() ? QString()
                                             : numberText(*used * readNumber(row.value(1)));
        },
        ok);
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

QString exportFolderName(const QDate &date, int number)
{
    const QString name = QStringLiteral("viridio-export-%1").arg(date.toString(Qt::ISODate));
    return number <= 1 ? name : name + QStringLiteral("-%1").arg(number);
}

ExportResult exportDiaries(const QSqlDatabase &db, const QString &folder, const QDate &today)
{
    ExportResult result;
    const QDir parent(folder.isEmpty() ? defaultExportFolder() : folder);
    result.folder = QDir::toNativeSeparators(parent.absolutePath());

    // Both diaries as of one moment.
    const bool snapshot = QSqlDatabase(db).transaction();
    bool electricityRead = false;
    bool waterRead = false;
    const QByteArray electricity = electricityCsv(db, &electricityRead);
    const QByteArray water = waterCsv(db, &waterRead);
    if (snapshot)
        QSqlDatabase(db).commit();
    if (!electricityRead || !waterRead) {
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
    const std::array<QString, 2> paths = {dir.absoluteFilePath(electricityFileName(today)),
                                          dir.absoluteFilePath(waterFileName(today))};
    const std::array<const QByteArray *, 2> contents = {&electricity, &water};
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
