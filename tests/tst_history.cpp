// The diaries' history: period totals, the chart's days and the CSV export,
// on a database of known days, without any window.
#include "app/clock.h"
#include "app/history/historylogic.h"
#include "app/household/calculatorlogic.h"
#include "app/meters/meterslogic.h"

#include "data/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <sys/stat.h>

using namespace HistoryLogic;
using CalculatorLogic::ColumnValues;
using CalculatorLogic::dayKey;

namespace {

const QDate today(2026, 12, 7);

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A water readings file's rows as read ("2 2026-11-01=100.5 3 ..."), or
// why it is refused.
QString rows(const QByteArray &bytes, MeterLogic::DayOrder order = MeterLogic::DayOrder::FromFile,
             MeterLogic::FileColumns columns = {})
{
    const MeterLogic::ReadingsFile file =
        MeterLogic::readReadingsFile(bytes, MeterLogic::waterMeter, today, order, columns);
    QStringList read;
    for (const MeterLogic::FileRow &row : file.rows)
        read.append(QStringLiteral("%1 %2=%3")
                        .arg(QString::number(row.line), row.reading.date.toString(Qt::ISODate),
                             row.reading.plain));
    return file.error.isEmpty() ? read.join(u' ') : file.error;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

} // namespace

namespace {

// Keeps an answer's quantity for the day of key, as the calculator does.
bool keepUsage(const QSqlDatabase &db, const QString &key, const QString &item, double quantity)
{
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO DayUsage (dayKey, item, quantity) VALUES (?,?,?)"));
    insert.addBindValue(key);
    insert.addBindValue(item);
    insert.addBindValue(quantity);
    return insert.exec();
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void totalsAndChartOfTheLastDays();
    void changesOnTheDaysBefore();
    void whereTheMoneyWent();
    void monthAgainstItsBudget();
    void projectionAsBilled();
    void csvFilesOldestFirst();
    void failedExportWritesNothing();
    void meterReadingsKeepTheirSeries();
    void meterReadingsAgainstTheDiary();
    void meterImportStoresAllOrNothing();
    void meterSeriesUnderCorrections();
    void meterFilesAsSpreadsheetsSaveThem();
    void meterFilesAsUtilitiesWriteThem();
    void meterFileColumnsAsChosen();
    void keptAnswersReadOneWayEverywhere();

private:
    void record(const QString &table, const QDate &date, const ColumnValues &values);
    void record(const QString &table, const QString &key, const ColumnValues &values);

    std::unique_ptr<QTemporaryDir> dir;
    QSqlDatabase db;
};

void TestHistory::init()
{
    Clock::setToday(today);
    dir = std::make_unique<QTemporaryDir>();
    db = Database::open(dir->filePath(QStringLiteral("history.sqlite")));
    QVERIFY(db.isOpen());
    Database::createTable(db, QStringLiteral("Diary"));
    Database::createTable(db, QStringLiteral("waterDiary"));
    Database::createHouseholdTables(db);
}

void TestHistory::cleanup()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    dir.reset();
    Clock::setToday(QDate());
}

void TestHistory::record(const QString &table, const QString &key, const ColumnValues &values)
{
    const QString keyColumn = table == QLatin1String("Diary") ? QStringLiteral("retrieveDate")
                                                              : QStringLiteral("waterRetrieveDate");
    QVERIFY(CalculatorLogic::upsertDay(db, table, keyColumn, key, values));
}

void TestHistory::record(const QString &table, const QDate &date, const ColumnValues &values)
{
    record(table, dayKey(date), values);
}

void TestHistory::totalsAndChartOfTheLastDays()
{
    // Ten days up to today, 1.20 of electricity and 1.00 of water each.
    for (int back = 0; back < 10; ++back) {
        const QDate date = today.addDays(-back);
        if (back == 0)
            record("Diary", date, {{"valOfAirCon", "1.0"}, {"valOfLaptop", "0.2"}});
        else
            record("Diary", date, {{"valOfAirCon", "1.2"}, {"valOfFan", "N.A"}});
        record("waterDiary", date,
               {{"noOfFamilyMem", "2"}, {"amtOfTapUsed", "0.25"}, {"amtOfShowerUsed", "0.25"}});
    }
    // Without family members a water day costs nothing.
    record("waterDiary", today.addDays(-12), {{"amtOfTapUsed", "5"}});
    // Thirty and thirty-one days ago lie outside both periods; a row whose key
    // is no date belongs to no day.
    for (int back : {30, 31}) {
        record("Diary", today.addDays(-back), {{"valOfLcdTv", "100"}});
        record("waterDiary", today.addDays(-back),
               {{"noOfFamilyMem", "1"}, {"amtOfLawnUsed", "9"}});
    }
    record("Diary", QStringLiteral("7/12/2026"), {{"valOfLcdTv", "100"}});
    record("Diary", QStringLiteral("yesterday"), {{"valOfLcdTv", "100"}});

    const PageData data = pageData(db);
    QCOMPARE(data.electricity7, 8.4);
    QCOMPARE(data.electricity30, 12.0);
    QCOMPARE(data.water7, 7.0);
    QCOMPARE(data.water30, 10.0);
    QCOMPARE(periodText(shortPeriod, data.electricity7, "$", data.usage7.electricityDays),
             QStringLiteral("Last 7 days: $8.40\n7 of 7 days"));
    QCOMPARE(periodText(longPeriod, data.electricity30, "€", data.usage30.electricityDays),
             QStringLiteral("Last 30 days: €12.00\n10 of 30 days"));

    QCOMPARE(data.days.size(), 30);
    QCOMPARE(data.days.first().date, today.addDays(-29));
    QCOMPARE(data.days.last().date, today);
    QCOMPARE(data.days.first().electricity, 0.0);
    QCOMPARE(data.days.last().electricity, 1.2);
    QCOMPARE(data.days.at(29 - 9).water, 1.0);
    QCOMPARE(data.days.at(29 - 12).water, 0.0);

    db.close();
    QCOMPARE(pageData(db).electricity30, 0.0);
}

void TestHistory::changesOnTheDaysBefore()
{
    // Electricity: the last 7 days 1.20 on 6 recorded days, the 7 before
    // 1.00 on each: +20 % a recorded day (by totals it would be +2.9 %). The
    // last 30 days have 15 recorded (two more at 1.30: 16.80, 1.12 a day),
    // the 30 before 15 at 1.40: -20 %, at exactly half the days recorded.
    for (int back = 0; back < 14; ++back) {
        if (back != 3)
            record("Diary", today.addDays(-back), {{"valOfAirCon", back < 7 ? "1.2" : "1.0"}});
    }
    for (int back : {14, 15})
        record("Diary", today.addDays(-back), {{"valOfAirCon", "1.3"}});
    for (int back = 30; back < 45; ++back)
        record("Diary", today.addDays(-back), {{"valOfAirCon", "1.4"}});
    // Water: two recorded days of the last 7 against seven before: no change.
    for (int back : {0, 1, 7, 8, 9, 10, 11, 12, 13})
        record("waterDiary", today.addDays(-back),
               {{"noOfFamilyMem", "2"}, {"amtOfTapUsed", "0.5"}});

    const PageData data = pageData(db);
    const Changes changes = data.changes;
    QVERIFY(changes.electricity7 && changes.electricity30);
    QCOMPARE(*changes.electricity7, 20.0);
    QCOMPARE(*changes.electricity30, -20.0);
    QVERIFY(!changes.water7);
    QVERIFY(!changes.water30);
    QCOMPARE(periodText(shortPeriod, data.water7, "$", data.usage7.waterDays),
             QStringLiteral("Last 7 days: $2.00\n2 of 7 days"));
    QCOMPARE(changeText(changes.electricity7), QStringLiteral("\u25B2 20 %"));
    QCOMPARE(changeWords(changes.electricity7, shortPeriod),
             QStringLiteral("up 20 % a recorded day on the 7 days before"));
    QCOMPARE(changeWords(changes.electricity30, longPeriod),
             QStringLiteral("down 20 % a recorded day on the 30 days before"));
    QCOMPARE(changeText(changes.water7), QString());
    QCOMPARE(changeWords(changes.water7, shortPeriod), QString());
    // Three of seven days is fewer than half; four is not.
    QVERIFY(!change(3, 3, 7, 7, 7));
    QCOMPARE(change(4, 4, 7, 7, 7), std::optional<double>(0));
}

void TestHistory::whereTheMoneyWent()
{
    // Over the last 30 days: the air conditioner 3.00 today and 1.00 on the
    // first of the 30 days, the lights 2.00; the shower 3.00 and the tap 1.00
    // for a family of 2. The TV of the day before the 30 counts for nothing.
    record("Diary", today, {{"valOfAirCon", "3"}, {"valOfLights", "2"}});
    record("Diary", today.addDays(-29), {{"valOfAirCon", "1"}});
    record("Diary", today.addDays(-30), {{"valOfLcdTv", "100"}});
    record("waterDiary", today.addDays(-5),
           {{"noOfFamilyMem", "2"}, {"amtOfShowerUsed", "1.5"}, {"amtOfTapUsed", "0.5"}});

    const PageData data = pageData(db);
    QStringList names;
    QList<double> shares;
    for (const Spending &item : data.spending) {
        names.append(item.name);
        shares.append(std::round(item.share * 100));
    }
    QCOMPARE(names, QStringList({"air conditioner", "shower", "lights", "tap"}));
    QCOMPARE(shares, QList<double>({40, 30, 20, 10}));
    QCOMPARE(spendingLabel(data.spending.first(), "$"),
             QStringLiteral("air conditioner  $4.00  40 %"));
    QCOMPARE(data.spending.first().tipName, CalculatorLogic::applianceTipNames().first());
    QVERIFY(data.spending.at(1).water);
    QCOMPARE(data.spending.at(1).tipName, QStringLiteral("Shower"));
    // The chart: the five dearest and "other" for the rest; whole percents
    // that add to 100.
    QList<Spending> eight;
    for (const double cost : {30, 20, 15, 10, 10, 5, 5, 5})
        eight.append({QString::number(cost), QString(), false, cost, cost / 100});
    const QList<Spending> chart = spendingChart(eight);
    QCOMPARE(chart.size(), 6);
    QCOMPARE(chart.last().name, QStringLiteral("other"));
    QCOMPARE(chart.last().cost, 15.0);
    QList<int> percents;
    for (const Spending &item : chart)
        percents.append(item.percent);
    QCOMPARE(percents, QList<int>({30, 20, 15, 10, 10, 15}));
    // Seven sevenths: 14.29 five times and 28.57 for the other two; the two
    // largest remainders are rounded up.
    const QList<Spending> sevenths(7, {"seventh", QString(), false, 1, 1.0 / 7});
    percents.clear();
    for (const Spending &item : spendingChart(sevenths))
        percents.append(item.percent);
    QCOMPARE(percents, QList<int>({15, 14, 14, 14, 14, 29}));
    // This month so far: from the 1st of December.
    QCOMPARE(data.electricityMonth, 5.0);
    QCOMPARE(data.waterMonth, 4.0);

    // A cost on the last day of November is not December's; the water of the
    // day before the 30 is not ranked.
    record("Diary", QDate(2026, 11, 30), {{"valOfFan", "7"}});
    record("waterDiary", today.addDays(-30), {{"noOfFamilyMem", "1"}, {"amtOfShowerUsed", "100"}});
    const PageData later = pageData(db);
    QCOMPARE(later.electricityMonth, 5.0);
    QCOMPARE(later.spending.first().name, QStringLiteral("fan"));
    QCOMPARE(later.spending.at(2).name, QStringLiteral("shower"));
    QCOMPARE(later.spending.at(2).cost, 3.0);
}

void TestHistory::monthAgainstItsBudget()
{
    // 12.00 spent by the 10th of a 30-day month is on course for 36.00.
    const QDate tenth(2026, 11, 10);
    const BudgetStatus over = budgetStatus(12, 10, tenth, 30.0);
    QCOMPARE(over.projection, 36.0);
    QVERIFY(over.over);
    QCOMPARE(budgetText(over, "Water", "$"),
             QStringLiteral("Water this month: $12.00 of $30.00, on course for $36.00 by your "
                            "diary's 10 recorded days: above your budget."));
    QVERIFY(!budgetStatus(12, 10, tenth, 36.0).over);
    // A standing charge of 0.40 a day adds 12.00 to the 30-day month, 4.00
    // to its first ten days.
    const BudgetStatus billed = budgetStatus(12, 10, tenth, 30.0, std::nullopt, 0.4);
    QCOMPARE(billed.projection, 48.0);
    QCOMPARE(billed.spent, 16.0);
    const BudgetStatus none = budgetStatus(12, 10, tenth, std::nullopt);
    QVERIFY(!none.over);
    QCOMPARE(budgetText(none, "Water", "$"),
             QStringLiteral("Water this month: $12.00, no budget set."));
    // The meter: readings up to the 1st cover none of December, and the
    // diary's 12.00 by the 7th is on course for 53.14, within 60.00. A
    // reading on the 7th: 60 kWh in 6 days, 2.50 a day at 0.25, 77.50 for
    // the 31 days: above.
    Database::createTable(db, QStringLiteral("Rates"));
    QVERIFY(QSqlQuery(db).exec("INSERT INTO Rates (rateType, rateAmt) VALUES ('electricity', "
                               "'0.25')"));
    using MeterLogic::electricityMeter;
    QCOMPARE(meterCostADay(db, electricityMeter, today), std::optional<double>());
    for (const auto &[date, reading] :
         {std::pair{QDate(2026, 11, 25), "1000"}, {QDate(2026, 12, 1), "1060"}})
        QVERIFY(MeterLogic::saveReading(db, electricityMeter, date, reading, false, today).stored);
    QCOMPARE(meterCostADay(db, electricityMeter, today), std::optional<double>());
    QVERIFY(!budgetStatus(12, 7, today, 60.0, meterCostADay(db, electricityMeter, today)).over);
    QVERIFY(MeterLogic::saveReading(db, electricityMeter, today, "1120", false, today).stored);
    const BudgetStatus metered =
        budgetStatus(12, 7, today, 60.0, meterCostADay(db, electricityMeter, today));
    QCOMPARE(metered.projection, 77.5);
    QCOMPARE(budgetText(metered, "Electricity", "$"),
             QStringLiteral("Electricity this month: $12.00 of $60.00, on course for $77.50 by "
                            "your meter readings: above your budget."));
}

// The month's projection: from the meter while any series of it covers days
// of the month, an old meter's beside a new one's; else from the diary at its
// recorded days' rate. Every period's money has its standing charge.
void TestHistory::projectionAsBilled()
{
    Database::createTable(db, QStringLiteral("Rates"));
    QVERIFY(QSqlQuery(db).exec("INSERT INTO Rates (rateType, rateAmt) VALUES ('electricity', "
                               "'0.25')"));
    // Two recorded days of the seven so far, 2.80 a recorded day: 86.80 for
    // the 31 days (at the calendar days' rate it would be 24.80).
    record("Diary", QDate(2026, 12, 3), {{"valOfAirCon", "2"}});
    record("Diary", today, {{"valOfAirCon", "3.6"}});
    record("Diary", QDate(2026, 11, 30), {{"valOfAirCon", "5"}});
    PageData data = pageData(db);
    QCOMPARE(data.electricityMonthDays, 2);
    const BudgetStatus diary =
        budgetStatus(data.electricityMonth, data.electricityMonthDays, today, 60.0);
    QCOMPARE(budgetText(diary, "Electricity", "$"),
             QStringLiteral("Electricity this month: $5.60 of $60.00, on course for $86.80 by "
                            "your diary's 2 recorded days: above your budget."));
    // A standing charge of 0.40 a day: 12.00 more in the last 30 days, 2.80
    // in the last 7.
    QVERIFY(QSqlQuery(db).exec("INSERT INTO Settings (key, value) VALUES "
                               "('electricityStandingCharge', '0.40')"));
    data = pageData(db);
    QVERIFY2(qAbs(data.electricity30 - 22.6) < 1e-9,
             qPrintable(QString::number(data.electricity30)));
    QVERIFY2(qAbs(data.electricity7 - 8.4) < 1e-9, qPrintable(QString::number(data.electricity7)));
    QCOMPARE(data.electricityStanding, 0.4);

    // The old meter counted 10 kWh a day from 21 November to 5 December; a
    // new one was put in on the 8th. On the 10th the old one's readings still
    // cover 1 to 4 December: 2.50 a day at 0.25, 89.90 with the standing
    // charge for the 31 days.
    using MeterLogic::electricityMeter;
    const QDate tenth(2026, 12, 10);
    for (const auto &[date, reading, newMeter] : {std::tuple{QDate(2026, 11, 21), "1000", false},
                                                  {QDate(2026, 12, 5), "1140", false},
                                                  {QDate(2026, 12, 8), "0", true}})
        QVERIFY(
            MeterLogic::saveReading(db, electricityMeter, date, reading, newMeter, tenth).stored);
    QCOMPARE(meterCostADay(db, electricityMeter, tenth), std::optional<double>(2.5));
    const BudgetStatus metered =
        budgetStatus(5.6, 2, tenth, 60.0, meterCostADay(db, electricityMeter, tenth), 0.4);
    QVERIFY(metered.fromMeter);
    QVERIFY2(qAbs(metered.projection - 89.9) < 1e-9,
             qPrintable(QString::number(metered.projection)));
    // The new meter's 40 kWh on the 8th and 9th beside the old one's 40 on
    // four days: 80 kWh in 6 days.
    QVERIFY(MeterLogic::saveReading(db, electricityMeter, tenth, "40", false, tenth).stored);
    QVERIFY(qAbs(meterCostADay(db, electricityMeter, tenth).value_or(0) - 80.0 / 6 * 0.25) < 1e-12);
}

void TestHistory::csvFilesOldestFirst()
{
    record("Diary", QStringLiteral("07/12/2026"),
           {{"valOfAirCon", "2.287"}, {"valOfLaptop", "0.15"}});
    record("Diary", QStringLiteral("say \"hi\", then"), {{"valOfFan", "1,5"}});
    record("Diary", QStringLiteral("30/11/2026"),
           {{"valOfLights", "0.6861"}, {"valOfDvdPlayer", "-1+1"}, {"valOfLcdTv", "a\rb"}});
    // Text another program stored: a spreadsheet must show it, not run it.
    record("Diary", QStringLiteral("=HYPERLINK(\"http://x\")"),
           {{"valOfLaptop", "two\nlines"}, {"valOfFan", "@SUM(A1)"}, {"valOfLights", "\t=1"}});
    record("waterDiary", QStringLiteral("07/12/2026"),
           {{"noOfFamilyMem", "3"}, {"amtOfTapUsed", "0.1755"}, {"amtOfShowerUsed", "0.3744"}});
    record("waterDiary", QStringLiteral("06/12/2026"), {{"amtOfLawnUsed", "0.531894"}});
    // The answers kept for 7 December: 2.5 h of air conditioner (10 kWh), an
    // own appliance's 2 h (4 kWh), 3 minutes at the tap and a shower (11.7 +
    // 2.5 litres a member). The own appliance's name needs quoting.
    for (const auto &[item, amount, quantity] :
         QList<std::tuple<QString, double, double>>{{"valOfAirCon", 2.5, 10},
                                                    {"own:1", 2, 4},
                                                    {"amtOfTapUsed", 3, 11.7},
                                                    {"amtOfShowerUsed", 1, 2.5}}) {
        QSqlQuery keep(db);
        QVERIFY(keep.prepare(QStringLiteral("INSERT INTO DayUsage (dayKey, item, amount, quantity) "
                                            "VALUES ('07/12/2026', ?, ?, ?)")));
        keep.addBindValue(item);
        keep.addBindValue(amount);
        keep.addBindValue(quantity);
        QVERIFY(keep.exec());
    }
    QVERIFY(QSqlQuery(db).exec("INSERT INTO OwnAppliance (id, name, watts, count) VALUES (1, "
                               "'Heater, \"big\"', 2000, 1)"));
    QVERIFY(QSqlQuery(db).exec(
        "INSERT INTO OwnApplianceDay (dayKey, applianceId, cost) VALUES ('07/12/2026', 1, 4.8)"));

    // A currency sign with a comma is escaped in the header.
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES ('currency', 'kr,')")));

    const QByteArray electricity =
        "date,air conditioner (h),\"air conditioner (kr,)\",laptop (h),\"laptop (kr,)\",fan (h),"
        "\"fan (kr,)\",lights (h),\"lights (kr,)\",dvd player (h),\"dvd player (kr,)\",tv (h),"
        "\"tv (kr,)\",washing machine (h),\"washing machine (kr,)\",hair dryer (h),"
        "\"hair dryer (kr,)\",microwave (h),\"microwave (kr,)\",rice cooker (h),"
        "\"rice cooker (kr,)\",refrigerator (h),\"refrigerator (kr,)\","
        "\"Heater, \"\"big\"\" (h)\",\"Heater, \"\"big\"\" (kr,)\",\"total (kr,)\",used (kWh),"
        "air conditioner (kWh),laptop (kWh),fan (kWh),lights (kWh),dvd player (kWh),tv (kWh),"
        "washing machine (kWh),hair dryer (kWh),microwave (kWh),rice cooker (kWh),"
        "refrigerator (kWh),\"Heater, \"\"big\"\" (kWh)\"\r\n"
        "2026-11-30,,,,,,,,0.6861,,'-1+1,,\"a\rb\",,,,,,,,,,,,,0.69,,,,,,,,,,,,,\r\n"
        "2026-12-07,2.5,2.287,,0.15,,,,,,,,,,,,,,,,,,,2,4.8,7.24,14,10,,,,,,,,,,,4\r\n"
        "\"say \"\"hi\"\", then\",,,,,,\"1,5\",,,,,,,,,,,,,,,,,,,0.00,,,,,,,,,,,,,\r\n"
        "\"'=HYPERLINK(\"\"http://"
        "x\"\")\",,,,\"two\nlines\",,'@SUM(A1),,'\t=1,,,,,,,,,,,,,,,,,0.00,,,,,,,,,,,,,"
        "\r\n";
    const QByteArray water =
        "date,family members (people),tap (household min),\"tap (household kr,)\",washing "
        "machine (loads),\"washing machine (kr,)\",dish washing (washes),\"dish washing (kr,)\","
        "shower (household showers),\"shower (household kr,)\",lawn (waterings),\"lawn (kr,)\","
        "toilet (household flushes),\"toilet (household kr,)\",\"total (kr,)\",used (litres)\r\n"
        "2026-12-06,,,,,,,,,,,0.531894,,,0.53,\r\n"
        "2026-12-07,3,9,0.5265,,,,,3,1.1232,,,,,1.65,42.6\r\n";

    const QString folder = dir->filePath(QStringLiteral("exports/new"));
    ExportResult result = exportDiaries(db, folder);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.folder, QDir::toNativeSeparators(folder + "/viridio-export-2026-12-07"));
    QCOMPARE(entries(folder), QStringList({"viridio-export-2026-12-07"}));
    QCOMPARE(entries(result.folder),
             QStringList({"viridio-electricity-2026-12-07.csv", "viridio-meters-2026-12-07.csv",
                          "viridio-water-2026-12-07.csv"}));
    QCOMPARE(fileBytes(result.files.value(0)), electricity);
    QCOMPARE(fileBytes(result.files.value(1)), water);
    QCOMPARE(csvField("-0.5"), QStringLiteral("-0.5"));
    // The family of three's money columns add to the record's total.
    const QList<QByteArray> three = water.split('\n').at(2).trimmed().split(',');
    double money = 0;
    for (int column = 3; column <= 13; column += 2)
        money += three.at(column).toDouble();
    QVERIFY2(qAbs(money - three.at(14).toDouble()) < 0.005, water.constData());

    // The same day's second export has a folder of its own; the first stays.
    record("waterDiary", QStringLiteral("07/12/2026"), {{"noOfFamilyMem", "1"}});
    result = exportDiaries(db, folder);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(entries(folder),
             QStringList({"viridio-export-2026-12-07", "viridio-export-2026-12-07-2"}));
    QVERIFY(fileBytes(result.files.value(1))
                .endsWith("2026-12-07,1,3,0.1755,,,,,1,0.3744,,,,,0.55,14.2\r\n"));
    QCOMPARE(fileBytes(folder + "/viridio-export-2026-12-07/viridio-water-2026-12-07.csv"), water);
}

void TestHistory::failedExportWritesNothing()
{
    record("Diary", today, {{"valOfAirCon", "2.287"}});
    record("waterDiary", today, {{"noOfFamilyMem", "2"}});

    // A folder that cannot be made: a file has its name's first part.
    const QString file = dir->filePath(QStringLiteral("file"));
    QVERIFY(writeFile(file, "x"));
    ExportResult result = exportDiaries(db, file + QStringLiteral("/exports"));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QDir::toNativeSeparators(file + QStringLiteral("/exports"))),
             qPrintable(result.error));

    // A folder that refuses new files (the superuser writes anywhere, so this
    // part only runs for other users).
    const QString locked = dir->filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    const QString earlier = locked + QLatin1Char('/') + electricityFileName(today);
    QVERIFY(writeFile(earlier, "earlier export\r\n"));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    if (!writeFile(locked + QStringLiteral("/probe"), "x")) {
        result = exportDiaries(db, locked);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(QDir::toNativeSeparators(locked)), qPrintable(result.error));
        QCOMPARE(entries(locked), QStringList({electricityFileName(today)}));
        QCOMPARE(fileBytes(earlier), QByteArray("earlier export\r\n"));
    }
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // Names taken by a link to a folder elsewhere and by a dangling link: both
    // are left alone, nothing is written through them.
    const QString taken = dir->filePath(QStringLiteral("taken"));
    const QString elsewhere = dir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(taken) && QDir().mkpath(elsewhere));
    QVERIFY(QFile::link(elsewhere, taken + "/" + exportFolderName(today)));
    QVERIFY(QFile::link(dir->filePath("gone"), taken + "/" + exportFolderName(today, 2)));
    result = exportDiaries(db, taken);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.folder, QDir::toNativeSeparators(taken + "/" + exportFolderName(today, 3)));
    QCOMPARE(entries(elsewhere), QStringList());
    QVERIFY(!QFileInfo::exists(dir->filePath("gone")));
}

// A meter never runs backwards within one series: a lower reading is refused
// unless the meter was replaced, and no reading is for a day to come.
void TestHistory::meterReadingsKeepTheirSeries()
{
    using namespace MeterLogic;
    const QString meter = electricityMeter;
    QVERIFY(saveReading(db, meter, today.addDays(-30), "1000.0", false, today).stored);
    QVERIFY(!saveReading(db, meter, today.addDays(1), "1400", false, today).stored);
    Outcome lower = saveReading(db, meter, today, "999,5", false, today, QLocale(QLocale::German));
    QVERIFY(!lower.stored);
    QVERIFY2(lower.message.contains(QLatin1String("lower")), qPrintable(lower.message));
    // Nor may an earlier day's reading pass a later one.
    QVERIFY(!saveReading(db, meter, today.addDays(-40), "1200", false, today).stored);
    QVERIFY(!saveReading(db, meter, today, "abc", false, today).stored);
    QVERIFY(!saveReading(db, meter, today, "-1", false, today).stored);

    QVERIFY(saveReading(db, meter, today, "12,5", true, today, QLocale(QLocale::German)).stored);
    // Its mark cleared, the series would go down; kept, the correction stands.
    QVERIFY(!saveReading(db, meter, today, "13", false, today).stored);
    const Outcome again = saveReading(db, meter, today, "13", true, today);
    QVERIFY(again.stored);
    QVERIFY2(again.message.contains(QLatin1String("in place of")), qPrintable(again.message));
    const QList<Reading> stored = readings(db, meter).value();
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored.at(0).date, today); // newest first
    QCOMPARE(stored.at(0).value, 13.0);
    QCOMPARE(stored.at(1).value, 1000.0);
    QVERIFY(removeReading(db, meter, today).stored);
    QCOMPARE(readings(db, meter)->size(), 1);
    // A meter that did not move, and a day before a sound first day.
    QVERIFY(saveReading(db, meter, today.addDays(-2), "1000", false, today).stored);
    QVERIFY(!saveReading(db, meter, QDate(1899, 12, 31), "1", false, today).stored);
    // Stored as typed, shown in plain decimals; an older row's exponent too.
    QCOMPARE(Database::column(db, "SELECT reading FROM MeterReading WHERE readingDate=?",
                              {"2026-11-07"}),
             QStringList({"1000.0"}));
    QVERIFY(QSqlQuery(db).exec("INSERT INTO MeterReading VALUES ('water', '2026-12-01', "
                               "'3e+05', 0)"));
    QCOMPARE(readings(db, waterMeter)->constFirst().plain, QStringLiteral("300000"));
}

// Two readings 30 days apart against the diary's kWh of those days.
void TestHistory::meterReadingsAgainstTheDiary()
{
    using namespace MeterLogic;
    using namespace MetersLogic;
    const QDate from = today.addDays(-30);
    QVERIFY(saveReading(db, electricityMeter, from, "1000.0", false, today).stored);
    QVERIFY(!lastPeriod(db, electricityMeter));
    QVERIFY(saveReading(db, electricityMeter, today, "1312.0", false, today).stored);
    // 218.4 kWh in the diary over the 30 days; the reading day itself and a
    // day before the first reading are not the meter's.
    for (int back = 1; back <= 30; ++back)
        QVERIFY(keepUsage(db, CalculatorLogic::dayKey(today.addDays(-back)), "valOfAirCon", 7.28));
    for (const QDate &outside : {today, from.addDays(-1)})
        QVERIFY(keepUsage(db, CalculatorLogic::dayKey(outside), "valOfFan", 100));
    const Period period = lastPeriod(db, electricityMeter).value();
    QCOMPARE(period.days, 30);
    QCOMPARE(period.used, 312.0);
    QCOMPARE(period.perDay, 10.4);
    QVERIFY(qAbs(*period.diary - 218.4) < 1e-9);
    QCOMPARE(qRound(*explainedShare(period)), 70);
    QVERIFY(qAbs(monthProjection(period, today) - 322.4) < 1e-9); // 31 days of December
    const QString text = periodText(electricityMeter, period, today, 0.25, "$");
    QVERIFY2(text.contains(QLatin1String("explains 70 % of the 312.0 kWh")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("$80.60")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("compared: 7 Nov to 6 Dec, none without answers.")),
             qPrintable(text));
    // As billed, 0.40 a day: 78.00 and 12.00 over the 30 days, 80.60 and 12.40
    // over December.
    const QString billed = periodText(electricityMeter, period, today, 0.25, "$", 0.4);
    QVERIFY2(billed.contains(QLatin1String("312.0 kWh, $90.00,")), qPrintable(billed));
    QVERIFY2(billed.contains(QLatin1String("322.4 kWh, $93.00.")), qPrintable(billed));
    // Two days without answers are named, oldest first.
    for (int back : {3, 5}) {
        QSqlQuery forget(db);
        QVERIFY(forget.prepare(QStringLiteral("DELETE FROM DayUsage WHERE dayKey=?")));
        forget.addBindValue(CalculatorLogic::dayKey(today.addDays(-back)));
        QVERIFY(forget.exec());
    }
    QVERIFY2(
        periodText(electricityMeter, lastPeriod(db, electricityMeter).value(), today, 0.25, "$")
            .contains(QLatin1String("7 Nov to 6 Dec; without answers: 2 Dec, 4 Dec.")),
        qPrintable(text));
    // A new meter starts a new series: one reading of it tells nothing yet,
    // and the chart draws no use across the change.
    QVERIFY(saveReading(db, electricityMeter, today.addDays(-10), "1200", false, today).stored);
    QVERIFY(saveReading(db, electricityMeter, today, "5", true, today).stored);
    QVERIFY(!lastPeriod(db, electricityMeter));
    const QList<ChartDay> chart =
        chartDays(db, electricityMeter, readings(db, electricityMeter).value(), today, 30).value();
    QCOMPARE(chart.size(), 30);
    QCOMPARE(chart.first().date, today.addDays(-29));
    QCOMPARE(chart.at(18).metered, std::optional<double>(10)); // 200 kWh in the 20 days to -10
    for (int i = 19; i < 30; ++i)
        QVERIFY2(!chart.at(i).metered, qPrintable(chart.at(i).date.toString()));
    QCOMPARE(chart.first().diary, std::optional<double>(7.28));
    QCOMPARE(chart.last().diary, std::optional<double>(100));

    // Water: 2 members x 750 litres on each of 2 days are 3 cubic metres,
    // against a meter that did not move, then one that counted 1.5.
    for (int back : {1, 2}) {
        record("waterDiary", today.addDays(-back), {{"noOfFamilyMem", "2"}});
        QVERIFY(
            keepUsage(db, dayKey(today.addDays(-back)), QStringLiteral("amtOfShowerUsed"), 750));
    }
    QVERIFY(saveReading(db, waterMeter, today.addDays(-2), "100.50", false, today).stored);
    QVERIFY(saveReading(db, waterMeter, today, "100.5", false, today).stored);
    Period still = lastPeriod(db, waterMeter).value();
    QCOMPARE(still.used, 0.0);
    QCOMPARE(still.diary, std::optional<double>(3));
    QVERIFY(!explainedShare(still)); // not an infinite share
    QString words = periodText(waterMeter, still, today, std::nullopt, "$");
    QVERIFY2(words.contains(QLatin1String("did not move")) &&
                 words.contains(QStringLiteral("Your diary has 3.00 m³")) &&
                 words.contains(QLatin1String("tariff")),
             qPrintable(words));
    QVERIFY(saveReading(db, waterMeter, today, "102", false, today).stored);
    still = lastPeriod(db, waterMeter).value();
    QCOMPARE(qRound(*explainedShare(still)), 200);
    still.from = QDate(2025, 12, 30);
    QVERIFY(periodText(waterMeter, still, today, 0.0, "$").contains("no tariff is set"));
    words = periodText(waterMeter, still, today, 2.0, "$");
    QVERIFY2(words.contains(QLatin1String("From 30 Dec 2025 to")) &&
                 words.contains(QLatin1String("too high")) && !words.contains("tariff"),
             qPrintable(words));
}

// An import with one bad row stores none of its rows and names that line.
void TestHistory::meterImportStoresAllOrNothing()
{
    using namespace MeterLogic;
    const Outcome bad = importReadings(db, waterMeter,
                                       "date,reading\r\n2026-11-01,120.5\r\n2026-11-15,"
                                       "124\r\n2026-12-01,1x9\r\n",
                                       today);
    QVERIFY(!bad.stored);
    QVERIFY2(bad.message.contains(QLatin1String("line 4")), qPrintable(bad.message));
    QVERIFY(readings(db, waterMeter)->isEmpty());
    const Outcome lower =
        importReadings(db, waterMeter, "2026-11-01,120.5\n2026-11-15,119\n", today);
    QVERIFY2(lower.message.contains(QLatin1String("line 2")), qPrintable(lower.message));
    QVERIFY(!importReadings(db, waterMeter, "2026-12-08,125\n", today).stored);
    // A write made to fail at the second row stores the first neither.
    QVERIFY(QSqlQuery(db).exec("CREATE TRIGGER planted BEFORE INSERT ON MeterReading WHEN "
                               "NEW.readingDate = '2026-11-15' BEGIN SELECT RAISE(ABORT, "
                               "'planted'); END"));
    QVERIFY(!importReadings(db, waterMeter, "2026-11-01,120.5\n2026-11-15,124\n", today).stored);
    QVERIFY(readings(db, waterMeter)->isEmpty());
    QVERIFY(QSqlQuery(db).exec("DROP TRIGGER planted"));

    // A meter that did not move from the 15th to the 20th.
    const Outcome good =
        importReadings(db, waterMeter,
                       "date,reading\n2026-11-15,124\n2026-11-01,120.5\n2026-11-20,124.0\n", today);
    QVERIFY2(good.stored, qPrintable(good.message));
    QCOMPARE(readings(db, waterMeter)->size(), 3);
    QCOMPARE(readingsCsv(db), QByteArray("meter,date,reading,new series\r\n"
                                         "water,2026-11-01,120.5,no\r\n"
                                         "water,2026-11-15,124,no\r\n"
                                         "water,2026-11-20,124.0,no\r\n"));
}

// A replaced meter's readings, corrected and removed, never make a series go
// down.
void TestHistory::meterSeriesUnderCorrections()
{
    using namespace MeterLogic;
    const QString meter = electricityMeter;
    // The old meter to 1400, the new one from 5.
    const QList<std::pair<int, QString>> typed = {
        {-30, "1000"}, {-20, "1400"}, {-10, "5"}, {-5, "20"}, {0, "35"}};
    for (const auto &[back, reading] : typed)
        QVERIFY(saveReading(db, meter, today.addDays(back), reading, back == -10, today).stored);
    // The old meter's forgotten reading, before the new meter's first.
    QVERIFY(saveReading(db, meter, today.addDays(-12), "1450", false, today).stored);
    // The mark cannot be cleared where the series would go down.
    Outcome joined = saveReading(db, meter, today.addDays(-10), "5", false, today);
    QVERIFY(!joined.stored);
    QVERIFY2(joined.message.contains(QLatin1String("5 kWh on 27 November 2026")) &&
                 joined.message.contains(QLatin1String("1450 kWh on 25 November 2026")),
             qPrintable(joined.message));
    // Removing the new meter's first reading hands its mark to the next.
    const Outcome removed = removeReading(db, meter, today.addDays(-10));
    QVERIFY2(removed.stored && removed.message.contains(QLatin1String("2 December 2026")),
             qPrintable(removed.message));
    QList<Reading> stored = readings(db, meter).value();
    std::reverse(stored.begin(), stored.end());
    QCOMPARE(stored.size(), 5);
    QVERIFY(stored.at(3).newSeries);
    QCOMPARE(firstDescent(stored), std::nullopt);
    // An import over the marked day keeps its mark; the export keeps it and
    // reads back to the same rows, marks included.
    QVERIFY(importReadings(db, meter, "2026-12-02,20\n", today).stored);
    QVERIFY(readings(db, meter)->at(1).newSeries);
    const QByteArray exported = readingsCsv(db);
    QVERIFY2(exported.contains("electricity,2026-12-02,20,yes\r\nelectricity,2026-12-07,35,no\r\n"),
             exported.constData());
    QVERIFY(QSqlQuery(db).exec("DELETE FROM MeterReading"));
    const Outcome back = importReadings(db, meter, exported, today);
    QVERIFY2(back.stored, qPrintable(back.message));
    QCOMPARE(readingsCsv(db), exported);
}

// Files as spreadsheets save them, read as typed or refused line by line.
void TestHistory::meterFilesAsSpreadsheetsSaveThem()
{
    using namespace MeterLogic;
    // Semicolons and decimal commas, a byte order mark, CR line ends.
    QCOMPARE(rows("\xEF\xBB\xBF"
                  "Datum;Stand\r2026-11-01;100,5\r2026-11-02;\"1.234,50\"\r"),
             QStringLiteral("2 2026-11-01=100.5 3 2026-11-02=1234.50"));
    QCOMPARE(rows("\n\ndate\treading\r\n2026-11-01\t7\r\n"), QStringLiteral("4 2026-11-01=7"));
    QCOMPARE(rows("2026-11-01;1.500\n"), QStringLiteral("line 1, column 2: expected a reading the "
                                                        "file writes one way, found \"1.500\", "
                                                        "which could be 1.500 or 1500"));
    QCOMPARE(rows("2026-11-01,100,5\n"), QStringLiteral("line 1: expected one column of readings "
                                                        "beside the date, found column 2 and "
                                                        "column 3"));
    QCOMPARE(rows("2026-13-01,1x9\n"), QStringLiteral("line 1, column 1: expected a date such as "
                                                      "2026-12-07, found \"2026-13-01\""));
    QCOMPARE(rows("2026-11-01\n"), QStringLiteral("line 1, column 2: expected a reading beside "
                                                  "the date, found nothing"));
    QCOMPARE(rows("0001-01-01,1\n"), QStringLiteral("line 1, column 1: expected a day from 1900 to "
                                                    "today, found \"0001-01-01\""));
    // The export's rows of the other meter are left out.
    QCOMPARE(rows("meter,date,reading,new series\r\nelectricity,2026-11-01,5,no\r\n"
                  "water,2026-11-01,0.50,yes\r\n"),
             QStringLiteral("3 2026-11-01=0.50"));

    // Only regular files are read: a FIFO would hold the reading thread.
    const QString fifo = dir->filePath("readings.csv");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString why;
    QVERIFY(!MetersLogic::readRegularFile(fifo, &why));
    QCOMPARE(why, QStringLiteral("it is not a file"));
    QVERIFY(!MetersLogic::readRegularFile(dir->path(), &why));

    // A day stored and a day twice are named before anything is replaced.
    QVERIFY(saveReading(db, waterMeter, QDate(2026, 11, 1), "100", false, today).stored);
    const QByteArray file = "2026-11-01;100,5\n2026-11-02;101\n2026-11-02;101,5\n";
    const Outcome asked = importReadings(db, waterMeter, file, today);
    QVERIFY(!asked.stored && asked.askToReplace);
    QVERIFY2(asked.message.contains(QLatin1String("2026-11-01 is stored as 100, the file has "
                                                  "100.5")) &&
                 asked.message.contains(QLatin1String("2026-11-02 is on lines 2 and 3")),
             qPrintable(asked.message));
    QCOMPARE(readings(db, waterMeter)->size(), 1);
    const Outcome replaced = importReadings(db, waterMeter, file, today, true);
    QVERIFY2(replaced.stored, qPrintable(replaced.message));
    QCOMPARE(Database::column(db, "SELECT reading FROM MeterReading ORDER BY readingDate"),
             QStringList({"100.5", "101.5"}));
}

// Files as utilities, meter apps and loggers export them, one small file a
// rule.
void TestHistory::meterFilesAsUtilitiesWriteThem()
{
    using MeterLogic::DayOrder;
    // Text: UTF-16 with its mark, either way round, and Windows-1252 (ä, and
    // 0x80 its euro sign) named in a refusal as the file has it.
    const auto utf16 = [](const char *ascii, bool bigEndian) {
        QByteArray bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char *c = ascii; *c; ++c)
            bytes += bigEndian ? QByteArray(1, '\0') + *c : QByteArray(1, *c) + '\0';
        return bytes;
    };
    QCOMPARE(rows(utf16("Date\tReading\n2026-11-01\t7,5\n", false)),
             QStringLiteral("2 2026-11-01=7.5"));
    QCOMPARE(rows(utf16("Date\tReading\n2026-11-01\t7,5\n", true)),
             QStringLiteral("2 2026-11-01=7.5"));
    QCOMPARE(rows("Datum;Z\xE4hlerstand\r\n2026-11-01;12,3 \x80\r\n"),
             QStringLiteral("line 2, column 2 (\"Zählerstand\"): expected a reading from 0 to "
                            "99999999 m³, found \"12,3 €\""));

    // Metadata above the header, a header with digits, extra columns; a
    // four-column file that is not the app's export.
    QCOMPARE(rows("Customer;Jane Roe\r\nMeter number;4711\r\nAddress;1 Main St, 12\r\n\r\n"
                  "Date;Import T1 kWh;Status\r\n2026-11-01;100,5;ok\r\n2026-11-02;101;ok\r\n"),
             QStringLiteral("6 2026-11-01=100.5 7 2026-11-02=101"));
    QCOMPARE(rows("date,reading1,temperature,note\n2026-11-01,100.5,21,sunny\n"),
             QStringLiteral("2 2026-11-01=100.5"));
    // Use is not a reading: a file of use alone is refused, not stored as
    // readings.
    QCOMPARE(rows("Date;Zählerstand;Verbrauch\n2026-11-01;381,000;\n2026-11-02;381,500;0,5\n"),
             QStringLiteral("2 2026-11-01=381.000 3 2026-11-02=381.500"));
    QCOMPARE(rows("Date,Usage (kWh)\n2026-11-01,5\n"),
             QStringLiteral("line 1: expected one column of readings beside the date, found "
                            "none"));
    QCOMPARE(rows("Date;Import T1 kWh;Import T2 kWh\n2026-11-01;1;2\n"),
             QStringLiteral("line 1: expected one column of readings beside the date, found "
                            "column 2 (\"Import T1 kWh\") and column 3 (\"Import T2 kWh\")"));

    // Dates: a time of day and an offset, a day's last time taken (not its
    // last line); a time in a column of its own.
    QCOMPARE(rows("2024-01-01T00:00:00+01:00,100\n2024-10-20 05:15,200\n2024-10-20 23:45,201.5\n"
                  "2024-10-20 12:00,201\n"),
             QStringLiteral("1 2024-01-01=100 3 2024-10-20=201.5"));
    QCOMPARE(rows("20.10.2024;23:45;9,5\n20.10.2024;8:00;9\n"), QStringLiteral("1 2024-10-20=9.5"));
    // Day first with dots and two-digit years; an order settled by a later
    // row, month first or day first; the same number twice is no question.
    QCOMPARE(rows("29.10.22;5\n30.10.2022;6\n"), QStringLiteral("1 2022-10-29=5 2 2022-10-30=6"));
    QCOMPARE(rows("10/11/2022,5\n10/29/2022,6\n"), QStringLiteral("1 2022-10-11=5 2 2022-10-29=6"));
    QCOMPARE(rows("12-10-2021;5\n13-10-2021;6\n"), QStringLiteral("1 2021-10-12=5 2 2021-10-13=6"));
    QCOMPARE(rows("05/05/2022,5\n"), QStringLiteral("1 2022-05-05=5"));
    // An order the file leaves open is asked, never guessed.
    const QByteArray open = "10/11/2022,5\n11/11/2022,6\n";
    QCOMPARE(rows(open), QStringLiteral("line 1, column 1: the order of day and month cannot be "
                                        "told: \"10/11/2022\" could be 10 November 2022 or 11 "
                                        "October 2022, and no row has a day over 12"));
    QVERIFY(MeterLogic::readReadingsFile(open, MeterLogic::waterMeter, today).orderOpen);
    QCOMPARE(rows(open, DayOrder::MonthFirst), QStringLiteral("1 2022-10-11=5 2 2022-11-11=6"));
    QCOMPARE(rows("10/29/2022,5\n30/10/2022,6\n"),
             QStringLiteral("line 2, column 1: expected the month first, as on line 1, found "
                            "\"30/10/2022\""));

    // Numbers: three decimals after a decimal comma; the comma grouping where
    // the file shows it; quotes, the meter's unit, rows without a value.
    QCOMPARE(rows("Datum;Stand\n2026-11-01;381,000\n2026-11-02;381,500\n"),
             QStringLiteral("2 2026-11-01=381.000 3 2026-11-02=381.500"));
    QCOMPARE(rows("2026-11-01;\"1,234.5\"\n2026-11-02;1,300\n"),
             QStringLiteral("1 2026-11-01=1234.5 2 2026-11-02=1300"));
    const MeterLogic::Outcome gaps = MeterLogic::importReadings(
        db, MeterLogic::waterMeter,
        "Datum;Stand\n2026-11-01;\"12,3 m³\"\n2026-11-02;no use\n2026-11-03;-\n2026-11-04;\n"
        "2026-11-05;13 m3\n",
        today);
    QCOMPARE(gaps.message,
             QStringLiteral("Imported 2 readings; 3 rows without a value were left out."));
    QCOMPARE(Database::column(db, "SELECT reading FROM MeterReading ORDER BY readingDate"),
             QStringList({"12.3", "13"}));
    QCOMPARE(rows("2026-11-01;12,3 kWh\n"),
             QStringLiteral("line 1, column 2: expected a reading from 0 to 99999999 m³, found "
                            "\"12,3 kWh\""));

    // A reading lower than the one before it, in the file or stored, named
    // in the file's words.
    QCOMPARE(MeterLogic::importReadings(db, MeterLogic::waterMeter,
                                        "Datum;Stand\n2026-10-01;120,5\n2026-10-15;119\n", today)
                 .message,
             QStringLiteral("Nothing was imported: line 3, column 2 (\"Stand\"): expected a "
                            "reading of at least 120.5 m³ (that of 1 October 2026), found \"119\" "
                            "for 15 October 2026."));
    QCOMPARE(
        MeterLogic::importReadings(db, MeterLogic::waterMeter, "2026-10-20;50\n", today).message,
        QStringLiteral("Nothing was imported: line 1, column 2: expected a reading of at most "
                       "12.3 m³ (that of 1 November 2026), found \"50\" for 20 October 2026."));

    // Files over 1 MiB are read, up to the largest.
    const QString large = dir->filePath("year.csv");
    QFile out(large);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.resize(qint64(2) << 20));
    QCOMPARE(MetersLogic::readRegularFile(large, nullptr).value_or(QByteArray()).size(), qint64(2)
                                                                                             << 20);
    QVERIFY(out.resize(MetersLogic::largestReadingsFile + 1));
    QString why;
    QVERIFY(!MetersLogic::readRegularFile(large, &why));
    QCOMPARE(why, QStringLiteral("it is larger than a list of readings"));
}

// The columns and the order of day and month the household chose on the
// import page, in place of the ones the file gives; what the page shows of
// the file.
void TestHistory::meterFileColumnsAsChosen()
{
    using MeterLogic::DayOrder;
    // Two registers: either one chosen is read, not the other.
    const QByteArray registers = "Date;Import T1 kWh;Import T2 kWh\n2026-11-01;1;2\n";
    QCOMPARE(rows(registers, DayOrder::FromFile, {-1, 2}), QStringLiteral("2 2026-11-01=2"));
    QCOMPARE(rows(registers, DayOrder::FromFile, {-1, 1}), QStringLiteral("2 2026-11-01=1"));
    // A bill period's two days: the first found, the last chosen; a reading
    // column chosen as the date's is found anew.
    const QByteArray periods = "Meter 4711\nFrom;To;Stand\n01.10.2026;31.10.2026;100\n"
                               "01.11.2026;30.11.2026;110,5\n";
    QCOMPARE(rows(periods), QStringLiteral("3 2026-10-01=100 4 2026-11-01=110.5"));
    QCOMPARE(rows(periods, DayOrder::FromFile, {1, 1}),
             QStringLiteral("3 2026-10-31=100 4 2026-11-30=110.5"));
    const MeterLogic::ReadingsFile shown =
        MeterLogic::readReadingsFile(periods, MeterLogic::waterMeter, today);
    QCOMPARE(shown.header, QStringList({"From", "To", "Stand"}));
    QCOMPARE(shown.firstRows, QList<QStringList>({{"01.10.2026", "31.10.2026", "100"},
                                                  {"01.11.2026", "30.11.2026", "110,5"}}));
    QCOMPARE(shown.dateColumn, 0);
    QCOMPARE(shown.readingColumn, 2);
    // An open order: the columns are found all the same, the rows wait for
    // the order; the day first as chosen.
    const QByteArray open = "Datum;Stand\n10/11/2022;5\n11/11/2022;6\n";
    const MeterLogic::ReadingsFile asked =
        MeterLogic::readReadingsFile(open, MeterLogic::waterMeter, today);
    QVERIFY(asked.orderOpen && asked.rows.isEmpty());
    QCOMPARE(asked.readingColumn, 1);
    QCOMPARE(rows(open, DayOrder::DayFirst), QStringLiteral("2 2022-11-10=5 3 2022-11-11=6"));
}

void TestHistory::keptAnswersReadOneWayEverywhere()
{
    const auto keep = [this](const QDate &date, const char *item, double quantity) {
        QSqlQuery query(db);
        QVERIFY(query.prepare(
            QStringLiteral("INSERT INTO DayUsage (dayKey, item, quantity) VALUES (?,?,?)")));
        query.addBindValue(dayKey(date));
        query.addBindValue(QLatin1String(item));
        query.addBindValue(quantity);
        QVERIFY(query.exec());
    };
    // Yesterday: answers kept, three family members, 150 litres each at the
    // tap and 2 kWh of air conditioner. Today: costs only, as recorded before
    // answers were kept.
    const QDate yesterday = today.addDays(-1);
    record("Diary", yesterday, {{"valOfAirCon", "0.5"}});
    record("waterDiary", yesterday, {{"noOfFamilyMem", "3"}, {"amtOfTapUsed", "0.1"}});
    keep(yesterday, "valOfAirCon", 2);
    keep(yesterday, "amtOfTapUsed", 150);
    record("Diary", today, {{"valOfAirCon", "0.25"}});
    record("waterDiary", today, {{"noOfFamilyMem", "2"}, {"amtOfTapUsed", "0.1"}});
    // Two days ago: electricity answers kept, water costs only.
    record("Diary", today.addDays(-2), {{"valOfFan", "0.1"}});
    record("waterDiary", today.addDays(-2), {{"noOfFamilyMem", "1"}});
    keep(today.addDays(-2), "valOfFan", 1);

    const QHash<QString, CalculatorLogic::DayUse> kept = CalculatorLogic::usageOfDays(db).value();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept.value(dayKey(today.addDays(-2))).litres, std::optional<double>());
    QCOMPARE(kept.value(dayKey(yesterday)).litres, std::optional<double>(450));
    QCOMPARE(kept.value(dayKey(yesterday)).kWh, std::optional<double>(2));
    QCOMPARE(kept.value(dayKey(yesterday)).items.value("amtOfTapUsed"), 150.0);

    // The history: the costs-only day counts its money, adds no usage and
    // the period says which days its usage covers.
    const PageData data = pageData(db);
    QCOMPARE(data.electricity7, 0.85);
    QCOMPARE(data.days.last().kWh, std::optional<double>());
    QCOMPARE(data.days.last().litres, std::optional<double>());
    QCOMPARE(data.usage7.litres, std::optional<double>(450));
    QCOMPARE(periodText(7, data.water7, "$", data.usage7.waterDays, data.usage7.litres,
                        CalculatorLogic::litreUnit, data.usage7.litreDays),
             QStringLiteral("Last 7 days: $0.50\n3 of 7 days, 450 litres in 1"));
    QCOMPARE(data.usage7.kWh, std::optional<double>(3));
    QCOMPARE(data.usage7.kWhDays, 2);
    QCOMPARE(periodText(7, 0.85, "$", data.usage7.electricityDays, data.usage7.kWh,
                        CalculatorLogic::kWhUnit, data.usage7.kWhDays),
             QStringLiteral("Last 7 days: $0.85\n3 of 7 days, 3.00 kWh in 2"));
    QCOMPARE(periodText(7, 1, "$", 2, 2.0, CalculatorLogic::kWhUnit, 2),
             QStringLiteral("Last 7 days: $1.00\n2 of 7 days, 2.00 kWh"));

    // The export: the usage field of the costs-only day is empty, never 0.
    const QByteArray water = waterCsv(db);
    QVERIFY2(water.contains("2026-12-06,3,,0.3,,,,,,,,,,,0.30,450\r\n"), water.constData());
    QVERIFY2(water.contains("2026-12-07,2,,0.2,,,,,,,,,,,0.20,\r\n"), water.constData());
    QVERIFY2(electricityCsv(db).endsWith(",,0.25,,,,,,,,,,,,,,,,,,,,,0.25,,,,,,,,,,,,\r\n"),
             electricityCsv(db).constData());

    // The meter compares cubic metres: 450 litres are 0.45 m³.
    QVERIFY(
        MeterLogic::saveReading(db, MeterLogic::waterMeter, yesterday, "10", false, today).stored);
    QVERIFY(MeterLogic::saveReading(db, MeterLogic::waterMeter, today, "11", false, today).stored);
    QCOMPARE(MetersLogic::lastPeriod(db, MeterLogic::waterMeter)->diary,
             std::optional<double>(0.45));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
