// The arithmetic and the records of the energy and water calculator, apart
// from any widget: tariffs, daily costs, the text forms in which numbers are
// stored and shown, and the day rows of the two diaries.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>

namespace CalculatorLogic {

// An appliance whose power the household never gave is counted at this many
// watts.
constexpr double applianceWatts = 1000;

// The highest tariff, per kWh or per cubic metre. The currencies with the
// smallest units price a kWh in the thousands (about 1,500 rupiah or 3,000
// dong) and a cubic metre of water in the tens of thousands; a million leaves
// room for those while every day's cost stays a finite, printable number.
constexpr double maximumRate = 1e6;

// Whether rate is a tariff costs can be worked from: above 0, at most
// maximumRate.
bool soundRate(double rate);

// Water used per unit of each activity, multiplied by the water tariff.
constexpr double tapFactor = 0.015;            // per minute of running tap
constexpr double washingMachineFactor = 0.015; // per wash
constexpr double dishWashingFactor = 0.068;    // per wash
constexpr double showerFactor = 0.16;          // per shower
constexpr double toiletFactor = 0.016;         // per flush
constexpr double lawnFactor = 0.45461;         // per watering
// The factors in the waterDiary's column order.
constexpr double waterFactors[] = {tapFactor,    washingMachineFactor, dishWashingFactor,
                                   showerFactor, lawnFactor,           toiletFactor};

// The day's cost of an appliance of watts left on for hours: hours x watts /
// 1000 x rate, worked left to right. Without watts it is applianceWatts.
double applianceCost(double hours, double watts, double rate);
double applianceCost(double hours, double rate);

// The day's cost of a water activity: count x factor x rate, left to right.
double waterCost(double count, double factor, double rate);

// A stored number: six significant digits, trailing zeros dropped, as printf's
// %g writes it (always with a decimal point, whatever the user's locale).
QString numberText(double value);

// Money on screen: two decimals, as printf's %.2f writes it; with a sign, the
// household's currency sign goes in front ("€1.14").
QString moneyText(double value);
QString moneyText(double value, const QString &sign);

// Usage on screen: kWh with two decimals ("0.38 kWh"), litres whole ("150
// litres"), the number written as the diaries write money.
inline const QString kWhUnit = QStringLiteral("kWh");
inline const QString litreUnit = QStringLiteral("litres");
QString usageText(double quantity, const QString &unit);

// The key of a day's diary rows: "dd/MM/yyyy".
QString dayKey(const QDate &date);

// The day of a key written as dayKey writes it; an invalid date for any other
// text (another layout, a day that does not exist, stray characters).
QDate dateOfKey(const QString &key);

// The largest number the calculator reads from a row: no cost Viridio stores
// comes near it (a day of 24 h at 5000 W and the highest tariff is 1.2e8), and
// the sum of any number of days below it stays finite.
constexpr double largestNumber = 1e15;

// A stored or typed number. NULL, empty or unparsable text, and a number above
// largestNumber (or below its negative), counts as 0.
double readNumber(const QVariant &value);

// The eleven appliance costs of a day, in the Diary's column order.
using ElectricityCosts = std::array<double, 11>;
// The six water activity costs of a day, in the waterDiary's column order
// (tap, washing machine, dish washing, shower, lawn, toilet bowl).
using WaterCosts = std::array<double, 6>;

// The sum of the eleven costs, added in column order.
double electricityTotal(const ElectricityCosts &costs);

// The household's own appliances (an electric water heater, an oven...),
// added on the settings page beside the eleven built in, are kept in
// OwnAppliance(id, name, watts, count, removed). A removed one keeps its row
// with removed = 1, so that the days it was recorded on keep its name and
// figures. A day's answer for one is kept in DayUsage under ownItem(id)
// (amount = hours, its watts and count, quantity = kWh) and its cost in
// OwnApplianceDay(dayKey, applianceId, cost), both written in one
// transaction; the Diary's eleven columns are left as they are, and a day
// recorded with own appliances only has a Diary row of NULL costs.
struct OwnAppliance
{
    int id = 0;
    QString name; // as the household typed it: shown as plain text only
    int watts = 0;
    int count = 0;
    bool removed = false;
};

// The DayUsage item of an own appliance ("own:3"), and the id of such an
// item; nothing for any other item.
QString ownItem(int id);
std::optional<int> ownId(const QString &item);

// The own appliances in the order they were added, the removed ones too when
// withRemoved; nothing when they could not be read.
std::optional<QList<OwnAppliance>> ownAppliances(const QSqlDatabase &db, bool withRemoved = false);

// A day's costs of own appliances, by OwnAppliance id.
using OwnCosts = QMap<int, double>;

// A day's electricity cost: the eleven costs in column order, then the own
// appliances' in the order they were added. Every page, the history, the CSV
// and the meters count a day's electricity with this.
double electricityTotal(const ElectricityCosts &costs, const OwnCosts &own);

// What a day's kept figure (a cost, or litres) of a water activity
// (waterColumns order) comes to for the household: a personal activity's is
// kept for one person and counts members times, a household activity's counts
// once.
double householdWater(int activity, double kept, double members);

// The household's water cost of a day: the six costs as householdWater counts
// them, added in column order. Without members (never recorded) the personal
// ones count 0 and the household ones once.
double waterTotal(double members, const WaterCosts &costs);

// The Diary's eleven cost columns and the names under which Tips holds each
// appliance's tips, both in column order.
const QStringList &applianceColumns();
const QStringList &applianceTipNames();

// The appliances as the user reads their names ("air conditioner", "DVD
// player"...), in the Diary's column order.
const QStringList &applianceNames();

// The waterDiary's six cost columns and the waterTips activity names, in
// column order (tap, washing machine, dish washing, shower, lawn, toilet bowl).
const QStringList &waterColumns();
const QStringList &waterTipNames();

// Whether a water activity (waterColumns order) is asked for each person (the
// tap, the shower, the toilet) rather than for the household (the washing
// machine, the dishes, the lawn).
bool personalActivity(int activity);

// The tariff of rateType ("electricity" or "water") from the first matching
// Rates row; 0 without a row. Nothing when the tariff could not be read (a
// closed db, a file busy or damaged) or the row holds no sound tariff ("abc",
// "", "0,30", -0.5: see soundRate), so that no cost is worked from it.
std::optional<double> rate(const QSqlDatabase &db, const QString &rateType);

// Writes the day's values into table, keyed by keyColumn = key, in one
// statement: when the day has a row only the given columns are updated;
// otherwise a row holding the key and these columns is inserted (the others
// stay NULL). Two programs answering for the same day both keep their answers.
// Column names come from the fixed lists above, never from the user; values
// are bound. Returns whether the row was written.
using ColumnValues = QList<QPair<QString, QString>>;
bool upsertDay(const QSqlDatabase &db, const QString &table, const QString &keyColumn,
               const QString &key, const ColumnValues &values);

// The hours an appliance's hours box offers, as the box writes them: "N.A"
// (not used), 15, 30 and 45 minutes, then "1" to "24" hours.
double hoursOfChoice(const QString &choice);

// What each answer was, beside the costs the diaries hold: the table
// DayUsage(dayKey, item, amount, watts, count, quantity), one row per day and
// item (a Diary or waterDiary cost column). amount is the hours (electricity)
// or the count of the water activity; quantity is kWh, or litres as asked:
// for one person, or for the household (see householdWater). Days recorded before it existed have
// costs only. The table is made with the others when the file is opened (Database::createAndSeed).

// An electricity answer: the day's cost of hours for count appliances of
// watts at column index (applianceColumns order), hours x watts x count /
// 1000 x rate, stored in the day's Diary row, and the answer with its kWh in
// DayUsage, both in one transaction. Nothing is stored when the tariff could
// not be read or the cost is not a finite number. Returns whether it was
// stored; when not, the user may give the answer again.
bool recordAppliance(const QSqlDatabase &db, const QString &key, int index, double hours,
                     double watts = applianceWatts, int count = 1);

// Litres of water one use of an activity of factor stands for: the factors
// are cubic metres per use.
double litres(double count, double factor);

// A water answer: each activity's cost (count x factor x water tariff) and the
// plain values (the family members), stored in the day's waterDiary row, and
// each answer with its litres in DayUsage; as
// recordAppliance, nothing is stored when the tariff could not be read or a
// cost is not finite.
struct WaterAnswer
{
    QString column;
    double count;
    double factor;
};
bool recordWater(const QSqlDatabase &db, const QString &key, const QList<WaterAnswer> &answers,
                 const ColumnValues &plain = {});

// What a day's answers were, as DayUsage keeps them: the hours, or the count
// of uses, by item (a Diary or waterDiary cost column), and the family members
// of the day's waterDiary row (nothing when it has none). read is false when
// they could not be read (a busy or closed file).
struct DayAnswers
{
    bool read = false;
    QHash<QString, double> amounts;
    std::optional<double> members;
};
DayAnswers dayAnswers(const QSqlDatabase &db, const QString &key);

// One appliance's answer of a whole day: hours for count appliances of watts
// at index (applianceColumns order).
struct ApplianceAnswer
{
    int index;
    double hours;
    int watts;
    int count;
};

// Records a whole day in one transaction: each appliance's cost and answer
// (as recordAppliance), each own appliance's cost and answer, the water answers and plain values
// (as recordWater). Nothing is stored when a tariff needed could not be read or any write fails;
// returns whether the day was stored. An own appliance's answer: hours for count appliances of
// watts.
struct OwnAnswer
{
    int id;
    double hours;
    int watts;
    int count;
};
bool recordWholeDay(const QSqlDatabase &db, const QString &key,
                    const QList<ApplianceAnswer> &appliances, const QList<WaterAnswer> &water,
                    const ColumnValues &plain, const QList<OwnAnswer> &own = {});

// The latest day before before with any answer in DayUsage; an invalid date
// when there is none.
QDate lastAnsweredDay(const QSqlDatabase &db, const QDate &before);

// The day whose answers fill in those of a day not yet answered. ByWeek: the
// same weekday a week before when it has answers in DayUsage (looked up by
// its key), else the latest day before with answers; LatestDay: the latest
// day before with answers. day is invalid when no day before has answers or
// they could not be read.
enum class FillFrom
{
    ByWeek,
    LatestDay
};
struct FillInDay
{
    QDate day;
    bool weekBefore = false; // day is the same weekday a week before
};
FillInDay fillInDay(const QSqlDatabase &db, const QDate &day, FillFrom from = FillFrom::ByWeek);

// An answer as the household gave it: an appliance's hours as its box offers
// them ("15 min", "30 min", "45 min", "2 h", "1.5 h"), a water use's count
// with its unit ("1 load", "2 loads", "10 min each"). item is a Diary or
// waterDiary column, or an own appliance's item (hours).
QString answerText(const QString &item, double amount);

// Each appliance's power or count, in the Diary's column order; nothing for
// one that could not be read.
using ApplianceFigures = std::array<std::optional<int>, 11>;
// What copyAnswers copied: how many appliances and water activities, and
// the family members (empty when the day had none).
struct CopiedAnswers
{
    int appliances = 0;
    int activities = 0;
    QString members;
};

// Whether the day of key has anything stored: a cost in Diary or waterDiary,
// or a kept answer. Nothing when it could not be read.
std::optional<bool> dayHasAnswers(const QSqlDatabase &db, const QString &key);

// Replaces the day of toKey's answers and costs, of both kinds, with every
// answer DayUsage holds for the day of fromKey (and that day's family
// members), costed with today's tariffs and the given powers and counts, in
// one transaction; a water use is costed with its cubic metres in factors
// (waterDiary column order). Nothing, with the day left as it was, when a
// tariff, power, count or factor needed could not be read or a write failed.
// The own appliances' answers are copied with their present powers and
// counts (an own appliance removed since is left out) and counted among the
// appliances.
using WaterFactors = std::array<std::optional<double>, 6>;
std::optional<CopiedAnswers> copyAnswers(const QSqlDatabase &db, const QString &fromKey,
                                         const QString &toKey, const ApplianceFigures &watts,
                                         const ApplianceFigures &counts,
                                         const WaterFactors &factors);

// The day keys of table's keyColumn, in the order the rows were stored;
// nothing when they could not be read (a busy or closed file).
std::optional<QStringList> storedDays(const QSqlDatabase &db, const QString &table,
                                      const QString &keyColumn);

// One day of the electricity diary.
struct ElectricityDay
{
    bool read = false; // the diary could be asked; found is false otherwise
    bool found = false;
    ElectricityCosts costs{};
    OwnCosts own; // the own appliances' costs
};
ElectricityDay electricityDay(const QSqlDatabase &db, const QString &key);

// One day of the water diary.
struct WaterDay
{
    bool read = false; // as ElectricityDay
    bool found = false;
    double members = 0;
    WaterCosts costs{};
};
WaterDay waterDay(const QSqlDatabase &db, const QString &key);

// The household's litres of a water item (a waterDiary column) from the
// litres kept and the day's members, as householdWater counts them.
double householdLitres(const QString &item, double perMember, double members);

// What the answers kept for a day (DayUsage) come to. A kind of which the day
// has no kept answer has no figure: a day recorded with costs only has its
// costs and no usage, never "0 kWh" or "0 litres".
struct DayUse
{
    QHash<QString, double> items;   // each answered item as kept: kWh, or litres for one member
    QHash<QString, double> amounts; // each answered item's hours, or count of uses, as kept
    std::optional<double> kWh;      // the day's appliances, own ones included
    std::optional<double> litres;   // the whole family's water (householdLitres)
};

// The one reading of the answers kept per day: the days of keys (as dayKey
// writes them), or every day with kept answers when keys is empty, by key; a
// day without kept answers is not in it. Nothing when DayUsage could not be
// read.
std::optional<QHash<QString, DayUse>> usageOfDays(const QSqlDatabase &db,
                                                  const QStringList &keys = {});

// A diary's stored rows: Diary's eleven costs (and the day's own appliances'
// costs), or waterDiary's family members then six costs, each as stored
// (NULL stays NULL), keyed by the day key as
// stored; of the days of keys only, or of every stored day, in the order the
// rows were stored, when keys is empty. Nothing when the diary could not be read.
struct DiaryRow
{
    QString key;
    QVariantList values;
    OwnCosts own; // electricity rows only
};
std::optional<QList<DiaryRow>> diaryRows(const QSqlDatabase &db, bool water,
                                         const QStringList &keys = {});

// A diary row's day cost: electricityTotal of its costs, or the six water
// costs as waterTotal counts them with the row's family members.
double dayCost(const DiaryRow &row, bool water);

// One random tip for an appliance (Tips) or a water activity (waterTips);
// empty when there is none.
QString randomTip(const QSqlDatabase &db, const QString &applianceName);
QString randomWaterTip(const QSqlDatabase &db, const QString &activityName);

// The tips for a day: one per appliance (or activity) whose cost is not 0, in
// column order, each as the caller's tip lookup gives it; empty tips are left out.
template<typename Costs, typename Lookup>
QStringList tipsFor(const Costs &costs, const QStringList &names, Lookup lookup)
{
    QStringList tips;
    for (int i = 0; i < int(costs.size()) && i < names.size(); ++i) {
        if (costs[i] == 0)
            continue;
        const QString tip = lookup(names.at(i));
        if (!tip.isEmpty())
            tips.append(tip);
    }
    return tips;
}

} // namespace CalculatorLogic
