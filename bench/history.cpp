// The diaries' history with 10,000 stored days in each diary: recording an
// answer, the history page's data (period totals and the 30-day chart), the
// export of both diaries to CSV as the window runs it (on a connection of
// its own), and with 1,000 readings of the electricity meter, what the
// meters page tells and draws and the import of 1,000 water readings, in
// milliseconds (median of several runs). Runs in a temporary home directory
// with its own database.

#include "app/history/historylogic.h"
#include "app/household/calculatorlogic.h"
#include "app/meters/meterslogic.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int days = 10000;

struct Figures
{
    double median;
    double min;
    double max;
};

Figures figures(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

// One row a day back from today in each diary, every column filled as the
// calculator writes it.
void fillDiaries(QSqlDatabase &db, const QDate &today)
{
    const QStringList &appliances = CalculatorLogic::applianceColumns();
    const QString electricity = QStringLiteral("INSERT INTO Diary (retrieveDate,%1) VALUES (?%2)")
                                    .arg(appliances.join(QLatin1Char(',')),
                                         QStringLiteral(",?").repeated(appliances.size()));
    const QStringList &activities = CalculatorLogic::waterColumns();
    const QString water =
        QStringLiteral("INSERT INTO waterDiary (waterRetrieveDate,noOfFamilyMem,%1) VALUES (?,?%2)")
            .arg(activities.join(QLatin1Char(',')),
                 QStringLiteral(",?").repeated(activities.size()));
    Database::createHouseholdTables(db);
    const QString usage =
        QStringLiteral("INSERT INTO DayUsage (dayKey, item, amount, quantity) VALUES (?,?,?,?)");
    db.transaction();
    for (int back = 0; back < days; ++back) {
        const QString key = CalculatorLogic::dayKey(today.addDays(-back));
        QVariantList values{key};
        for (int i = 0; i < appliances.size(); ++i)
            values.append(CalculatorLogic::numberText((back % 24) * 0.2287 + i));
        Database::run(db, electricity, values);
        values = {key, QStringLiteral("3")};
        for (int i = 0; i < activities.size(); ++i)
            values.append(CalculatorLogic::numberText((back % 10) * 0.1755 + i));
        Database::run(db, water, values);
        // The answers kept beside the costs, one row a day and item.
        for (const QString &item : appliances + activities)
            Database::run(db, usage, {key, item, back % 24, back % 24 * 0.1});
    }
    db.commit();
}

QString appliancesColumn(int run)
{
    return CalculatorLogic::applianceColumns().at(run % 11);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const QDate today(2026, 12, 7);
    {
        QSqlDatabase db = Database::open(Database::filePath());
        Database::createAndSeed(db);
        fillDiaries(db, today);

        std::vector<double> pageRuns;
        for (int run = 0; run < 21; ++run) {
            QElapsedTimer timer;
            timer.start();
            const HistoryLogic::PageData data = HistoryLogic::pageData(db, today);
            pageRuns.push_back(timer.nsecsElapsed() / 1e6);
            if (data.days.size() != HistoryLogic::longPeriod)
                return 1;
        }
        std::vector<double> exportRuns;
        const QString folder = home.filePath(QStringLiteral("Documents"));
        for (int run = 0; run < 11; ++run) {
            QElapsedTimer timer;
            timer.start();
            const HistoryLogic::ExportResult result =
                HistoryLogic::exportDiariesOf(db.databaseName(), folder, today);
            exportRuns.push_back(timer.nsecsElapsed() / 1e6);
            if (!result.ok)
                return 1;
        }
        // Recording one answer, as the appliance pages do, beside the cost
        // row written alone (what an answer wrote before usage was kept).
        std::vector<double> answerRuns;
        std::vector<double> costRowRuns;
        const QString answerDay = CalculatorLogic::dayKey(today.addDays(-days / 2));
        for (int run = 0; run < 21; ++run) {
            QElapsedTimer timer;
            timer.start();
            if (!CalculatorLogic::recordAppliance(db, answerDay, run % 11, 0.25, 1500, 2))
                return 1;
            answerRuns.push_back(timer.nsecsElapsed() / 1e6);
            timer.start();
            if (!CalculatorLogic::upsertDay(db, QStringLiteral("Diary"),
                                            QStringLiteral("retrieveDate"), answerDay,
                                            {{appliancesColumn(run), QStringLiteral("0.1")}}))
                return 1;
            costRowRuns.push_back(timer.nsecsElapsed() / 1e6);
        }
        // 1,000 electricity readings, one a day back from today; then 1,000
        // water readings imported from a file, the stored ones removed before
        // each run.
        QByteArray electricityCsv = "date,reading\n";
        QByteArray waterCsv = "date,reading\n";
        constexpr int readings = 1000;
        for (int back = readings - 1; back >= 0; --back) {
            const QByteArray day = today.addDays(-back).toString(Qt::ISODate).toLatin1();
            electricityCsv +=
                day + ',' + QByteArray::number(50000 + (readings - back) * 9.5) + '\n';
            waterCsv += day + ',' + QByteArray::number(900 + (readings - back) * 0.3) + '\n';
        }
        if (!MeterLogic::importReadings(db, MeterLogic::electricityMeter, electricityCsv, today)
                 .stored)
            return 1;
        std::vector<double> importRuns;
        for (int run = 0; run < 11; ++run) {
            Database::run(db, QStringLiteral("DELETE FROM MeterReading WHERE meter=?"),
                          {MeterLogic::waterMeter});
            QElapsedTimer timer;
            timer.start();
            if (!MeterLogic::importReadings(db, MeterLogic::waterMeter, waterCsv, today).stored)
                return 1;
            importRuns.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::vector<double> meterPageRuns;
        for (int run = 0; run < 21; ++run) {
            QElapsedTimer timer;
            timer.start();
            const auto stored = MeterLogic::readings(db, MeterLogic::electricityMeter);
            if (!stored)
                return 1;
            const auto period = MetersLogic::lastPeriod(db, MeterLogic::electricityMeter, *stored);
            const auto chart = MetersLogic::chartDays(db, MeterLogic::electricityMeter, *stored,
                                                      today, HistoryLogic::longPeriod);
            meterPageRuns.push_back(timer.nsecsElapsed() / 1e6);
            if (!period || !chart)
                return 1;
        }
        db.close();

        const Figures imported = figures(importRuns);
        std::printf("meter import, 1,000 rows, %d readings stored  median %.2f ms  (min %.2f, max "
                    "%.2f)\n",
                    readings, imported.median, imported.min, imported.max);
        const Figures meterPage = figures(meterPageRuns);
        std::printf("meters history data, %d readings  median %.2f ms  (min %.2f, max %.2f)\n",
                    readings, meterPage.median, meterPage.min, meterPage.max);
        const Figures answer = figures(answerRuns);
        const Figures costRow = figures(costRowRuns);
        std::printf("recording an answer, %d days  median %.2f ms  (min %.2f, max %.2f; cost row "
                    "alone %.2f ms)\n",
                    days, answer.median, answer.min, answer.max, costRow.median);
        const Figures page = figures(pageRuns);
        const Figures exported = figures(exportRuns);
        std::printf(
            "history data, %d days a diary  median %.2f ms  (min %.2f, max %.2f, %zu runs)\n", days,
            page.median, page.min, page.max, pageRuns.size());
        std::printf("history export, %d days a diary  median %.1f ms  (min %.1f, max %.1f, %zu "
                    "runs)\n",
                    days, exported.median, exported.min, exported.max, exportRuns.size());
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    return 0;
}
