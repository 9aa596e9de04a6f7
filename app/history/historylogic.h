// The history of the two diaries, apart from any widget: what was spent over
// the last 7 and 30 days and how that compares with the period before, the
// cost of each of the last 30 days for a chart, where the money of the last
// 30 days went, this month's spending against the household's budgets, and
// the export of every stored day to two CSV files.
//
// A day's electricity cost is the sum of its eleven Diary columns and its own
// appliances' costs (CalculatorLogic::electricityTotal); its water
// cost is the family members times the sum of its six waterDiary columns (as
// CalculatorLogic::waterTotal). NULL and unreadable values count as 0. A day
// is found by its key, dayKey(date); rows whose key is not a "dd/MM/yyyy" date
// belong to no day.
//
// Money is as billed: each period's money, the month's and its projection
// add the standing charge of each of its days (SettingsLogic::standingCharge),
// whether the day was recorded or not.
#pragma once

#include "clock.h"
#include "documents.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace HistoryLogic {

// The two periods, in days counted back from today, today included.
constexpr int shortPeriod = 7;
constexpr int longPeriod = 30;

struct DayCosts
{
    QDate date;
    double electricity = 0;
    double water = 0;
    bool hasElectricity = false; // the day has a row in the diary
    bool hasWater = false;
    std::optional<double> kWh;    // from the answers kept for the day (DayUsage); nothing without
    std::optional<double> litres; // for the whole family
};

// What a period used, from the days whose answers were kept; nothing when no
// day of the period has any (days recorded with costs only have no usage, and
// none is made up for them). The counts tell whether the usage covers every
// recorded day of the period.
struct PeriodUsage
{
    std::optional<double> kWh;
    std::optional<double> litres;
    int kWhDays = 0;         // days with electricity answers kept
    int litreDays = 0;       // days with water answers kept
    int electricityDays = 0; // days with a row in the electricity diary
    int waterDays = 0;
};

// One appliance or water activity and what it cost over the last longPeriod
// days, with its share of everything both diaries cost then.
struct Spending
{
    QString name;    // as the user reads it ("air conditioner", "shower")
    QString tipName; // its name in Tips or waterTips; an own appliance's ownItem, as its plug's
                     // assignment names it
    bool water = false;
    double cost = 0;
    double share = 0; // from 0 to 1
    int percent = 0;  // the share in whole percent; those of a chart's items add to 100
};

// The bars of the chart of where the money went.
constexpr int spendingBars = 6;

// The items of the chart: all of spending (dearest first) when they are at
// most bars, otherwise the bars - 1 dearest and "other" for the rest; their
// percents add to 100 (largest remainders rounded up).
QList<Spending> spendingChart(const QList<Spending> &spending, int bars = spendingBars);

// The change of each total on the same number of days before it, in percent,
// each period's total taken per recorded day; nothing where either period
// has fewer than half its days recorded or the earlier one cost nothing.
struct Changes
{
    std::optional<double> electricity7;
    std::optional<double> electricity30;
    std::optional<double> water7;
    std::optional<double> water30;
};

struct PageData
{
    // Each period's money: the diary's and the standing charge of its days.
    double electricity7 = 0;  // electricity over the last shortPeriod days
    double electricity30 = 0; // and over the last longPeriod days
    double water7 = 0;
    double water30 = 0;
    PeriodUsage usage7;
    PeriodUsage usage30;
    QList<DayCosts> days; // the last longPeriod days, oldest first; 0 without a record
    Changes changes;
    QList<Spending> spending; // the last longPeriod days, dearest first; none that cost 0
    // The diary's money from the 1st of today's month to today (no standing
    // charge), and the days of it the diary has a row for.
    double electricityMonth = 0;
    double waterMonth = 0;
    int electricityMonthDays = 0;
    int waterMonthDays = 0;
    // The standing charges a day counted; 0 for one that could not be read or
    // is not sound, and then standingRead is false.
    double electricityStanding = 0;
    double waterStanding = 0;
    bool standingRead = true;
    bool read = false; // both diaries were read; otherwise every figure is 0
};

// An item's label on the chart of where the money went: "shower  $12.30  41 %".
QString spendingLabel(const Spending &item, const QString &sign);

// The change from before to now in percent, both periods of days days, each
// total divided by its recorded days; nothing when either period has fewer
// than half its days recorded, or before cost nothing.
std::optional<double> change(double now, int nowRecorded, double before, int beforeRecorded,
                             int days);

// A change with its arrow, for the page: "▲ 12 %", "▼ 5 %", "= 0 %"; empty for
// nothing.
QString changeText(std::optional<double> percent);

// The same in words, for a screen reader: "up 12 % a recorded day on the 7
// days before";
// empty for nothing.
QString changeWords(std::optional<double> percent, int days);

// A month's spending so far against a budget, as billed: spent is the
// diary's money of the month's recordedDays so far, and standing the
// standing charge a day, counted on every day from the 1st to today. The
// projection for the whole month is what the meter says a day costs
// (meterADay) when its readings cover part of the month; otherwise the
// diary's money a recorded day (2 recorded days of 8 count at those 2 days'
// rate); either with the standing charge, times the days of the month.
// Without a meter's figure or a recorded day there is no projection.
struct BudgetStatus
{
    double spent = 0; // the diary's and the standing charges so far
    double projection = 0;
    std::optional<double> budget;
    bool over = false;      // the projection is above the budget
    bool fromMeter = false; // the projection is the meter's
    int diaryDays = 0;      // the recorded days the diary's projection is from
    bool projected = false; // there is a projection
};
BudgetStatus budgetStatus(double spent, int recordedDays, const QDate &today,
                          std::optional<double> budget,
                          std::optional<double> meterADay = std::nullopt, double standing = 0);

// What a meter (MeterLogic::electricityMeter or waterMeter) says a day of
// today's month costs, by the tariff: the days of the month from the 1st to
// today that two readings of one series cover (the earlier one's day
// included, the later one's not) each count their readings' use a day, of
// whichever series: the old meter's readings still cover the days before a
// new meter was put in. Nothing when no day of the month is covered, or when
// the readings or a sound tariff could not be read.
std::optional<double> meterCostADay(const QSqlDatabase &db, const QString &meter,
                                    const QDate &today);

// The status in words: "Electricity this month: $12.00 of $30.00, on course
// for $36.00 by your diary's 10 recorded days: above your budget.", "on
// course for $36.00 by your meter readings" when the projection is the
// meter's. Without a budget, only what was spent.
QString budgetText(const BudgetStatus &status, const QString &kind, const QString &sign);

// Everything the history page shows, from two queries (one per diary). A closed
// or busy database gives 0 everywhere, with read false.
PageData pageData(const QSqlDatabase &db, const QDate &today = Clock::today());

// The label of a period's total, and on a second line how many of its days
// are recorded and what was used when it is known: "Last 7 days: $8.40\n6 of
// 7 days, 12.30 kWh" ("840 litres"), with how many of the recorded days the
// usage covers when some have costs only ("6 of 7 days, 12.30 kWh in 4").
QString periodText(int days, double total, const QString &sign, int recordedDays);
QString periodText(int days, double total, const QString &sign, int recordedDays,
                   std::optional<double> used, const QString &unit, int usedDays);

// The diaries as CSV (RFC 4180): comma-separated, CRLF after every record
// including the last, UTF-8 without a byte order mark, a header record first.
// Every stored day is one record, oldest day first; rows whose key is not a
// date follow the dated ones in the order they were stored, with the key as
// stored in the date column. Every header names its unit: the household's
// currency sign for money ("laptop ($)"), "h" for hours, the uses of water
// ("shower (showers each person)"). Each item has two columns, the answer
// kept for it (hours, minutes or uses; empty for a day recorded before
// answers were kept) then its cost; the electricity file then has two for
// each own appliance ever added, removed ones too. Dates are ISO (2026-12-07),
// every cost is exactly as stored (empty for NULL; a personal water use's
// counted for the household, see below) and the total has two
// decimals without a currency sign. A column after them gives the day's kWh
// (electricity, own appliances included) or the family's litres (water) from
// the answers kept, empty for a day recorded before they were kept. The
// electricity file then has each appliance's kWh, own ones after the built-in
// ones ("laptop (kWh)"), empty without a kept answer. The water file's
// figures are the household's: the tap's, shower's and toilet's, answered and
// kept for each person, count the day's family members times (their headers
// say so: "shower (household showers)", "shower (household $)"), so that a record's money adds up
// to its total. ok (when given) says whether the diary could be read.
QByteArray electricityCsv(const QSqlDatabase &db, bool *ok = nullptr);
QByteArray waterCsv(const QSqlDatabase &db, bool *ok = nullptr);

// One CSV field. A text that a spreadsheet would take for a formula (one that
// begins with = + - @, a tab or a carriage return and is not a plain number)
// gets a leading apostrophe, so it is shown as the text it is. The field is
// quoted, with its quotes doubled, when it holds a comma, a quote, a carriage
// return or a line feed; otherwise it is as it is.
QString csvField(const QString &value);

// "viridio-export-2026-12-07" for a day's first export; "-2", "-3"... are
// added for the next ones.
QString exportFolderName(const QDate &date, int number = 1);

// "viridio-electricity-2026-12-07.csv" and "viridio-water-2026-12-07.csv".
QString electricityFileName(const QDate &date);
QString waterFileName(const QDate &date);
// "viridio-meters-2026-12-07.csv": both meters' readings (MeterLogic::readingsCsv).
QString metersFileName(const QDate &date);

struct ExportResult
{
    bool ok = false;
    QString folder;    // the export's own folder when ok, else where it was going; native form
    QStringList files; // the two files written, when ok
    QString error;     // a sentence for the page, when not ok
};

// Writes both diaries into a folder of this export's own, made inside folder
// (which is created when missing) under the first exportFolderName(today, n)
// that no file, folder or link holds: an existing name, a link above all, is
// never written to or through, and a reader never finds one export's file
// beside another's. Both diaries are read in one transaction, so the two files
// show the same moment. Each file is written whole through QSaveFile (on Linux
// an unnamed file, given its name when complete), so a kill leaves no
// temporary file; a failure removes what this export made and says why.
ExportResult exportDiaries(const QSqlDatabase &db, const QString &folder = Documents::folder(),
                           const QDate &today = Clock::today());

// exportDiaries on a read-only connection of its own to the file that a
// connection of databaseName reads (Database::withOwnConnection): it may run
// on any thread.
ExportResult exportDiariesOf(const QString &databaseName, const QString &folder,
                             const QDate &today);

} // namespace HistoryLogic
