// The household's own figures, apart from any widget: the two tariffs, the
// currency sign and the power of each appliance; how typed values are checked
// and where they are stored.
//
// The tariffs are the rateAmt of the Rates rows "electricity" and "water" (the
// rows every cost is worked from). The power ratings live in
// AppliancePower(applianceName, watts) and how many of each in
// ApplianceCount(applianceName, count), keyed by the Tips appliance names
// (CalculatorLogic::applianceTipNames), and the currency sign and the two
// monthly budgets in Settings(key, value) under the keys "currency",
// "electricityBudget" and "waterBudget" (a budget in plain decimal, "40.50";
// no row is none). The litres of one use of each water fixture are in
// Settings too, under "litres" and the waterTips activity name
// ("litresShower"); no row is the built-in figure.
//
// Every figure is stored as a plain decimal number: the digits the household
// typed, a decimal point, no grouping, never an exponent ("1.500" litres typed
// in German is "1500", "0,30" is "0.30"), read back one way in every
// language and shown back so. An older version's rows read as they always
// did: litres as typed in the language Viridio runs in, and a budget that is
// no plain decimal as typed in an English or a German way ("40,50"). The key
// "litresPlain" marks the litres rows plain; the first litres stored set it,
// turning the older rows plain as they read then. The standing charges (what
// a bill charges each day, whatever is used) are in Settings under
// "electricityStandingCharge" and "waterStandingCharge", plain decimal; no row
// is 0.
#pragma once

#include "household/calculatorlogic.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>

namespace SettingsLogic {

constexpr int applianceCount = 11;
using Watts = std::array<int, applianceCount>;

// The allowed power of one appliance, in watts.
constexpr int minimumWatts = 1;
constexpr int maximumWatts = 5000;
// How many of one appliance a household may have (six bulbs, two fans); 0 is
// none: its questions are not asked.
constexpr int minimumCount = 0;
constexpr int maximumCount = 50;
// The highest tariff, per kWh or per cubic metre (see CalculatorLogic).
constexpr double maximumRate = CalculatorLogic::maximumRate;
// The longest currency sign, in characters.
constexpr int maximumCurrencyLength = 3;
// The highest budget for one calendar month.
constexpr double maximumBudget = 1000000;
// The water fixtures, in the waterDiary's column order (tap, washing machine,
// dish washing, shower, lawn, toilet bowl), and the most litres one use of
// one may take (a lawn's watering by sprinkler is a few hundred).
constexpr int waterActivityCount = 6;
constexpr double maximumLitres = 10000;
// The lawn's place in that order: its litres may be 0, and its waterings are
// then not asked.
constexpr int lawnActivity = 4;
using LitreTexts = std::array<QString, waterActivityCount>;

// The litres the calculator has always counted one use of each fixture with
// (a minute at the tap, a washing-machine load, a dish wash, a shower, a
// watering of the lawn, a flush), as the page shows them.
const LitreTexts &builtInLitres();

struct Household
{
    double electricityRate = 0; // per kWh
    double waterRate = 0;       // per cubic metre
    // The tariffs' digits as typed, in plain decimal ("0.30"); empty when
    // they were not typed, and then written from the rates.
    QString electricityRateText;
    QString waterRateText;
    QString currency;
    Watts watts{};      // in the Diary's column order (CalculatorLogic::applianceColumns)
    Watts counts = [] { // how many of each appliance, in the same order
        Watts one{};
        one.fill(1);
        return one;
    }();
    // A month's budget in plain decimal ("40.50"); empty for none.
    QString electricityBudget;
    QString waterBudget;
    LitreTexts litres = builtInLitres(); // litres of one use of each fixture, plain decimal
    // The standing charge a day, in plain decimal ("0.40"); "0" for none.
    QString electricityStandingCharge = QStringLiteral("0");
    QString waterStandingCharge = QStringLiteral("0");
};

// What a household starts with: the built-in tariffs, "$" and one appliance of
// 1000 W of each kind, the figures the calculator has always counted with.
Household builtIn();

// A usual power for each appliance, in the Diary's column order, for the page
// to offer; the sources are given beside the figures.
const Watts &typicalWatts();

// The settings page's fields in order: the two tariffs, the currency sign,
// then the eleven powers and the eleven counts in the Diary's column order,
// then the two monthly budgets, the litres of the six water fixtures and the
// two standing charges.
enum Field
{
    ElectricityRateField,
    WaterRateField,
    CurrencyField,
    FirstPowerField,
    FirstCountField = FirstPowerField + applianceCount,
    ElectricityBudgetField = FirstCountField + applianceCount,
    WaterBudgetField,
    FirstLitresField, // the six fixtures' litres, in the waterDiary's column order
    ElectricityStandingField = FirstLitresField + waterActivityCount,
    WaterStandingField,
    fieldCount
};
using Texts = std::array<QString, fieldCount>;
using Fields = std::array<bool, fieldCount>;

// The stored figures as the settings page shows them: a missing one is the
// built-in figure (the one every cost is worked with); one that is stored but
// not sound ("abc", "0,30", -0.5, 0 W...) is an empty text, and problems has
// a sentence naming it and what it holds.
struct Stored
{
    Texts texts;
    std::array<QString, fieldCount> problems; // empty for a sound figure
};

// The stored figures; nothing when they could not be read (a busy or closed
// file), so that no page shows a figure it could not read as the stored one.
std::optional<Stored> stored(const QSqlDatabase &db);

// The first sentence of stored() that names one of fields as not sound;
// empty when they all are, or when they could not be read.
QString storedProblem(const QSqlDatabase &db, const QList<Field> &fields);

// The texts of household's figures, as the page shows them.
Texts texts(const Household &household);

// texts (of stored() or texts()) as the household writes numbers: the
// tariffs', budgets' and litres' decimal point in locale's decimal mark
// ("1.5" litres is "1,5" in German), the digits as they are.
Texts written(const Texts &texts, const QLocale &locale = QLocale());

// The stored figures; any that is missing, not sound or unreadable is the
// built-in one.
Household load(const QSqlDatabase &db);

// The description of a tariff the household entered (Rates.rateRetrieve).
inline constexpr char householdRateSource[] = "Entered by the household on its settings page";

// The stored power of one appliance (index in the Diary's column order), or
// the built-in 1000 W when none is stored; nothing when it could not be read
// (a busy or closed file) or is not sound, so that no cost is worked out from
// a guess.
std::optional<int> watts(const QSqlDatabase &db, int appliance);

// How many of one appliance are stored (index in the Diary's column order),
// or 1 when none is stored; nothing when it could not be read or is not
// sound.
std::optional<int> count(const QSqlDatabase &db, int appliance);

// The stored currency sign, or "$". Remembered per database file and read
// again after every save().
QString currency(const QSqlDatabase &db);

// The stored monthly budget of electricity (or of water); nothing when none
// is stored, it could not be read or is not sound.
std::optional<double> budget(const QSqlDatabase &db, bool water);

// The stored standing charge a day of electricity (or of water): 0 when none
// is stored; nothing when it could not be read or is not sound, so that no
// bill is worked from a guess.
std::optional<double> standingCharge(const QSqlDatabase &db, bool water);

// The litres of one use of a water fixture (waterDiary column order): the
// stored figure, or the built-in one when none is stored; nothing when it
// could not be read or is not sound, so that no cost is worked from a guess.
std::optional<double> litres(const QSqlDatabase &db, int activity);

// The first thing wrong with household, as the page shows it; empty when every
// value is allowed.
QString problem(const Household &household);

// Stores household in one transaction: both tariffs, the eleven power ratings
// and counts and the currency sign. A tariff that differs from the stored one is stored
// with today's date and householdRateSource as its description (a missing
// Rates row is added likewise); an unchanged one keeps its row as it is. Creates the two
// tables when they are missing. Stores nothing and returns false when a value
// is not allowed (see problem()), the database is closed or any statement fails.
bool save(QSqlDatabase &db, const Household &household);

// Stores the figures of typed that differ from shown (what the page showed
// when it opened), each checked first, in one transaction; the others are left
// as they are stored, so that a page that could not read them overwrites
// nothing. Stores nothing, puts the first problem in error and returns false
// when a changed figure is not allowed or the file cannot be written; true
// when all changed figures were stored (or none changed).
bool saveChanged(QSqlDatabase &db, const Texts &shown, const Texts &typed, QString *error,
                 const QLocale &locale = QLocale());

// A typed value that was checked: value is only meaningful when ok; error is
// the sentence the page shows otherwise.
template<typename T> struct Input
{
    bool ok = false;
    T value{};
    QString plain; // a number's digits as typed, in plain decimal ("0.30")
    QString error;
};

// A typed tariff of rateType ("electricity" or "water"). Accepts a positive
// number with a decimal point ("0.30"), or with a decimal comma ("0,30") when
// locale writes one; rejects empty text, 0, negative numbers, numbers above
// maximumRate, group separators and anything else that is not a number.
Input<double> parseTariff(const QString &text, const QString &rateType,
                          const QLocale &locale = QLocale());

// A typed power of appliance (index in the Diary's column order): a whole
// number of watts from minimumWatts to maximumWatts.
Input<int> parseWatts(const QString &text, int appliance);

// A count of appliance: a whole number from minimumCount to maximumCount.
Input<int> parseCount(const QString &text, int appliance);

// A typed monthly budget of electricity (or of water): empty for none, or a
// money amount from 0 to maximumBudget with a decimal point, or a decimal
// comma where locale writes one; the value is its plain decimal text
// ("40,50" in German is "40.50").
Input<QString> parseBudget(const QString &text, bool water, const QLocale &locale = QLocale());

// A typed standing charge a day of electricity (or of water): an amount from
// 0 to maximumRate with a decimal point, or a decimal comma where locale
// writes one; the value is its plain decimal text ("0,40" in German is
// "0.40"). Empty text is refused: 0 is none.
Input<QString> parseStandingCharge(const QString &text, bool water,
                                   const QLocale &locale = QLocale());

// Typed litres of one use of a water fixture (waterDiary column order): a
// number above 0 (or 0 for the lawn: a household without one) and up to
// maximumLitres, with a decimal point, or a decimal
// comma where locale writes one; the value is its plain decimal text ("1.500"
// in German is "1500").
Input<QString> parseLitres(const QString &text, int activity, const QLocale &locale = QLocale());

// The household's own appliances (see CalculatorLogic::OwnAppliance): at most
// this many at a time, each name of 1 to maximumOwnNameLength characters.
constexpr int maximumOwnAppliances = 20;
constexpr int maximumOwnNameLength = 30;

// Adds an own appliance of the typed name (trimmed; no control or format
// characters but the joiners of emoji and scripts, U+200D and U+200C; not the
// name of another own appliance the household has) and power (as
// parseWatts), count from 1 to maximumCount. Returns the new appliance's id,
// or 0 with a sentence for the page in error when a value is not allowed,
// twenty are there already or it could not be stored.
int addOwnAppliance(const QSqlDatabase &db, const QString &name, const QString &watts, int count,
                    QString *error);

// Removes an own appliance from the settings and the days still to be
// recorded; the days it was recorded on keep its name and figures. Whether it
// was removed.
bool removeOwnAppliance(const QSqlDatabase &db, int id);

// An item of a day's electricity: its name as the household reads it, its
// DayUsage item (a Diary column, or ownItem(id)) and its cost that day.
struct DayItem
{
    QString name;
    QString item;
    double cost = 0;
    int builtIn = -1; // its index in the Diary's column order; -1 for an own one
};

// The items of day's electricity that its breakdown lists: each built-in
// appliance the household has (a count above 0) and each own one it has, in
// the Diary's column order then as they were added. One it no longer has is
// listed only when the day has a cost for it. Nothing when the counts or the
// own appliances could not be read.
std::optional<QList<DayItem>> dayItems(const QSqlDatabase &db,
                                       const CalculatorLogic::ElectricityDay &day);

// A typed currency sign: 1 to 3 printable characters once blanks around it are
// removed; the value is the trimmed sign.
Input<QString> parseCurrency(const QString &text);

} // namespace SettingsLogic
