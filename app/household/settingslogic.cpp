#include "household/settingslogic.h"

#include "clock.h"
#include "data/database.h"
#include "data/seedcontent.h"
#include "household/calculatorlogic.h"
#include "household/typednumber.h"

#include <QSqlQuery>
#include <QVariant>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

using Database::run;

const QString electricityType = QStringLiteral("electricity");
const QString waterType = QStringLiteral("water");
const QString currencyKey = QStringLiteral("currency");
const QString builtInCurrency = QStringLiteral("$");
const QString electricityBudgetKey = QStringLiteral("electricityBudget");
const QString waterBudgetKey = QStringLiteral("waterBudget");

const QString &budgetKey(bool water)
{
    return water ? waterBudgetKey : electricityBudgetKey;
}

const QString &standingKey(bool water)
{
    static const QString electricity = QStringLiteral("electricityStandingCharge");
    static const QString waterKey = QStringLiteral("waterStandingCharge");
    return water ? waterKey : electricity;
}

QString litresKey(int activity)
{
    return QStringLiteral("litres") + CalculatorLogic::waterTipNames().value(activity);
}

// Present once the litres rows hold plain decimal numbers (see storeLitres).
const QString plainLitresKey = QStringLiteral("litresPlain");

// How this version stores a figure: a decimal point and no grouping.
constexpr TypedNumber::Writing plainWriting{u'.', QChar()};

// What one use of a fixture is called in a sentence, in the waterDiary's
// column order.
QString fixtureUse(int activity)
{
    static const QStringList uses = {
        QStringLiteral("a minute at the tap"),
        QStringLiteral("a washing-machine load"),
        QStringLiteral("a dish wash"),
        QStringLiteral("a shower"),
        QStringLiteral("a watering of the lawn"),
        QStringLiteral("a flush"),
    };
    return uses.value(activity);
}

// A typed figure, read by the one reader of typed figures.
std::optional<double> typedNumber(const QString &typed, const QLocale &locale)
{
    const TypedNumber::Number number = TypedNumber::typed(typed, locale);
    return number.ok ? std::optional<double>(number.value) : std::nullopt;
}

// A typed whole number (watts, a count): nothing for a fraction.
std::optional<int> typedWhole(const QString &typed, int maximum)
{
    const std::optional<double> number = typedNumber(typed, QLocale());
    if (!number || *number != std::floor(*number) || std::fabs(*number) > maximum)
        return std::nullopt;
    return int(*number);
}

// The currency sign last read, and from which database file: every diary text
// asks for it, a save() forgets it.
struct CachedCurrency
{
    bool valid = false;
    QString connection;
    QString file;
    QString sign;
};
CachedCurrency cachedCurrency;

double seedRate(const QString &rateType)
{
    for (const Seed::Rate &rate : Seed::rates()) {
        if (rate.type == rateType)
            return CalculatorLogic::readNumber(rate.amount);
    }
    return 0;
}

bool allowedWatts(int watts)
{
    return watts >= SettingsLogic::minimumWatts && watts <= SettingsLogic::maximumWatts;
}

// A figure kept per appliance: its table and column, its range, the value an
// appliance without a row counts with, its first field on the page and the
// sentence that names a stored one that is not sound (%1 the appliance, %2
// what is stored).
struct ApplianceFigure
{
    const char *table;
    const char *column;
    int minimum;
    int maximum;
    int fallback;
    SettingsLogic::Field firstField;
    const char *problem;
};

const ApplianceFigure powerFigure{
    "AppliancePower",
    "watts",
    SettingsLogic::minimumWatts,
    SettingsLogic::maximumWatts,
    int(CalculatorLogic::applianceWatts),
    SettingsLogic::FirstPowerField,
    "The stored power of the %1, %2, is not a number of watts Viridio can count with, so no "
    "cost of it is worked out: enter it on the settings page."};
const ApplianceFigure countFigure{
    "ApplianceCount",
    "count",
    SettingsLogic::minimumCount,
    SettingsLogic::maximumCount,
    1,
    SettingsLogic::FirstCountField,
    "The stored number of the %1, %2, is not one Viridio can count with, so no cost of it is "
    "worked out: set it on the settings page."};
const ApplianceFigure *const applianceFigures[] = {&powerFigure, &countFigure};

// A stored figure's value: nothing unless it is a whole number in range.
std::optional<int> soundFigure(const ApplianceFigure &figure, const QVariant &value)
{
    bool ok = false;
    const int number = value.toString().toInt(&ok);
    if (!ok || number < figure.minimum || number > figure.maximum)
        return std::nullopt;
    return number;
}

QString tariffError(const QString &rateType, const QLocale &locale)
{
    const bool comma = locale.decimalPoint() == QLatin1String(",");
    if (rateType == waterType)
        return QStringLiteral("Enter the price of one cubic metre of water as a number above 0 "
                              "and up to a million, for example %1.")
            .arg(comma ? QStringLiteral("1,17") : QStringLiteral("1.17"));
    return QStringLiteral("Enter the price of one kWh of electricity as a number above 0 and up "
                          "to a million, for example %1.")
        .arg(comma ? QStringLiteral("0,30") : QStringLiteral("0.30"));
}

QString wattsError(int appliance)
{
    const QStringList &names = CalculatorLogic::applianceNames();
    const QString name = appliance >= 0 && appliance < names.size() ? names.at(appliance)
                                                                    : QStringLiteral("appliance");
    const int example = appliance >= 0 && appliance < SettingsLogic::applianceCount
                            ? SettingsLogic::typicalWatts()[appliance]
                            : 100;
    return QStringLiteral("Enter the power of the %1 as a whole number of watts from %2 to %3, "
                          "for example %4.")
        .arg(name, QString::number(SettingsLogic::minimumWatts),
             QString::number(SettingsLogic::maximumWatts), QString::number(example));
}

const QString currencyError =
    QStringLiteral("Enter a currency sign of 1 to 3 characters, for example $ or € or kr.");

// A tariff's stored text: the digits as typed when they read as rate,
// otherwise the shortest plain decimal that does; never an exponent.
QString rateText(double rate, const QString &typed = QString())
{
    const TypedNumber::Number number = TypedNumber::typed(typed, QLocale::c());
    return number.ok && number.value == rate && number.plain == typed
               ? typed
               : TypedNumber::plainText(rate);
}

// A figure stored in Settings or Rates: plain decimal, read that one way
// ("45.125" is 45.125); else as an older version stored it, typed in an
// English or a German way ("40,50"), refused when those two ways read it as
// different numbers ("1,500").
TypedNumber::Number storedNumber(const QVariant &value)
{
    const QString text = value.toString().trimmed();
    TypedNumber::Number plain = TypedNumber::amongWritings(text, {plainWriting});
    if (plain.ok)
        return plain;
    return TypedNumber::amongWritings(
        text, {{QLatin1Char('.'), QLatin1Char(',')}, {QLatin1Char(','), QLatin1Char('.')}});
}

// A stored amount (a budget, a standing charge) as parse reads a typed one.
using AmountParser = SettingsLogic::Input<QString> (*)(const QString &, bool, const QLocale &);
SettingsLogic::Input<QString> storedAmount(const QVariant &value, bool water, AmountParser parse)
{
    const TypedNumber::Number number = storedNumber(value);
    if (!number.ok && !value.toString().trimmed().isEmpty())
        return parse(QStringLiteral("-"), water, QLocale::c());
    return parse(number.plain, water, QLocale::c());
}

SettingsLogic::Input<QString> storedBudget(const QVariant &value, bool water)
{
    return storedAmount(value, water, &SettingsLogic::parseBudget);
}

SettingsLogic::Input<QString> storedStandingCharge(const QVariant &value, bool water)
{
    return storedAmount(value, water, &SettingsLogic::parseStandingCharge);
}

bool storeRate(const QSqlDatabase &db, const QString &rateType, double rate, const QString &typed)
{
    const QString text = rateText(rate, typed);
    QSqlQuery stored =
        run(db, QStringLiteral("SELECT rateAmt FROM Rates WHERE rateType=?"), {rateType});
    if (!stored.isActive())
        return false;
    const bool hasRow = stored.next();
    if (hasRow && stored.value(0).toString() == text)
        return true;
    stored.finish();
    const QVariantList values{CalculatorLogic::dayKey(Clock::today()), text,
                              QString::fromLatin1(SettingsLogic::householdRateSource), rateType};
    if (hasRow)
        return run(db,
                   QStringLiteral("UPDATE Rates SET rateDate=?, rateAmt=?, rateRetrieve=? "
                                  "WHERE rateType=?"),
                   values)
            .isActive();
    return run(db,
               QStringLiteral("INSERT INTO Rates (rateDate, rateAmt, rateRetrieve, rateType) "
                              "VALUES (?,?,?,?)"),
               values)
        .isActive();
}

// A statement that failed because another program holds the file, or on a
// closed connection: the figures could not be read. Any other failure (an
// older file without the table) reads as no row.
bool unread(const QSqlDatabase &db, const QSqlQuery &query)
{
    return !db.isOpen() || (!query.isActive() && Database::isBusy(query.lastError()));
}

// Whether the litres rows hold plain decimal numbers; nothing when it could
// not be read. Without the mark they are as an older version stored them:
// as typed, in the language Viridio ran in.
std::optional<bool> plainLitres(const QSqlDatabase &db)
{
    QSqlQuery mark =
        run(db, QStringLiteral("SELECT 1 FROM Settings WHERE key=?"), {plainLitresKey});
    if (unread(db, mark))
        return std::nullopt;
    return mark.isActive() && mark.next();
}

// A stored litres figure as parseLitres reads a typed one: plain decimal,
// read one way only, where the litres are plain; as typed in the language
// Viridio runs in, as it was always read, where they are not.
SettingsLogic::Input<QString> storedLitres(const QString &text, int activity, bool plain)
{
    if (!plain)
        return SettingsLogic::parseLitres(text, activity);
    const TypedNumber::Number number = TypedNumber::amongWritings(text.trimmed(), {plainWriting});
    return SettingsLogic::parseLitres(number.ok ? number.plain : QStringLiteral("-"), activity,
                                      QLocale::c());
}

// Stores the litres of activity (plain decimal). The first litres stored mark
// the rows plain, and first turn each older row plain as it reads now, so
// that no figure changes by being stored again.
bool storeLitres(const QSqlDatabase &db, int activity, const QString &plain)
{
    const QString replace =
        QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES (?,?)");
    const std::optional<bool> marked = plainLitres(db);
    if (!marked)
        return false;
    for (int i = 0; !*marked && i < SettingsLogic::waterActivityCount; ++i) {
        QSqlQuery row =
            run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {litresKey(i)});
        if (!row.isActive())
            return false;
        const bool hasRow = row.next();
        const QString text = hasRow ? row.value(0).toString() : QString();
        row.finish();
        // A row that does not read is left as it is: it still does not.
        const SettingsLogic::Input<QString> old = storedLitres(text, i, false);
        if (hasRow && old.ok && !run(db, replace, {litresKey(i), old.value}).isActive())
            return false;
    }
    return (*marked || run(db, replace, {plainLitresKey, QStringLiteral("1")}).isActive()) &&
           run(db, replace, {litresKey(activity), plain}).isActive();
}

QString storedText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("nothing")
                          : QStringLiteral("\"%1\"").arg(value.toString());
}

QString rateProblem(const QString &rateType, bool hasRow, const QVariant &value)
{
    if (!hasRow)
        return QStringLiteral("No %1 tariff is stored, so every %1 cost counts as 0: enter it on "
                              "the settings page.")
            .arg(rateType);
    return QStringLiteral("The stored %1 tariff, %2, is not a price Viridio can count with, so "
                          "no %1 cost is worked out: enter it on the settings page.")
        .arg(rateType, storedText(value));
}

// Stores the fields of household that which names, in one transaction.
bool storeFields(QSqlDatabase &db, const SettingsLogic::Household &household,
                 const SettingsLogic::Fields &which)
{
    using namespace SettingsLogic;
    cachedCurrency.valid = false;
    return Database::inTransaction(db, [&] {
        bool stored = true;
        if (which[ElectricityRateField])
            stored = storeRate(db, electricityType, household.electricityRate,
                               household.electricityRateText);
        if (stored && which[WaterRateField])
            stored = storeRate(db, waterType, household.waterRate, household.waterRateText);
        const QStringList &names = CalculatorLogic::applianceTipNames();
        for (const ApplianceFigure *figure : applianceFigures) {
            const Watts &values = figure == &powerFigure ? household.watts : household.counts;
            const QString sql =
                QStringLiteral("INSERT OR REPLACE INTO %1 (applianceName, %2) VALUES (?,?)")
                    .arg(QLatin1String(figure->table), QLatin1String(figure->column));
            for (int i = 0; stored && i < applianceCount; ++i) {
                if (which[figure->firstField + i])
                    stored = run(db, sql, {names.at(i), values[i]}).isActive();
            }
        }
        if (stored && which[CurrencyField])
            stored =
                run(db, QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES (?,?)"),
                    {currencyKey, household.currency.trimmed()})
                    .isActive();
        // An empty budget is none: its row goes.
        for (const bool water : {false, true}) {
            const QString value =
                (water ? household.waterBudget : household.electricityBudget).trimmed();
            if (!stored || !which[water ? WaterBudgetField : ElectricityBudgetField])
                continue;
            stored = (value.isEmpty() ? run(db, QStringLiteral("DELETE FROM Settings WHERE key=?"),
                                            {budgetKey(water)})
                                      : run(db,
                                            QStringLiteral("INSERT OR REPLACE INTO Settings "
                                                           "(key, value) VALUES (?,?)"),
                                            {budgetKey(water), value}))
                         .isActive();
        }
        for (int i = 0; stored && i < waterActivityCount; ++i) {
            if (which[FirstLitresField + i])
                stored = storeLitres(db, i, household.litres[i]);
        }
        for (const bool water : {false, true}) {
            if (stored && which[water ? WaterStandingField : ElectricityStandingField])
                stored = run(db,
                             QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) "
                                            "VALUES (?,?)"),
                             {standingKey(water), (water ? household.waterStandingCharge
                                                         : household.electricityStandingCharge)
                                                      .trimmed()})
                             .isActive();
        }
        return stored;
    });
}

// One appliance's stored figure, its fallback without a row; nothing when it
// could not be read or is not sound.
std::optional<int> storedFigure(const QSqlDatabase &db, const ApplianceFigure &figure,
                                int appliance)
{
    const QStringList &names = CalculatorLogic::applianceTipNames();
    if (appliance < 0 || appliance >= names.size())
        return figure.fallback;
    QSqlQuery query = run(db,
                          QStringLiteral("SELECT %1 FROM %2 WHERE applianceName=?")
                              .arg(QLatin1String(figure.column), QLatin1String(figure.table)),
                          {names.at(appliance)});
    if (!query.isActive())
        return unread(db, query) ? std::nullopt : std::optional<int>(figure.fallback);
    if (!query.next())
        return figure.fallback;
    return soundFigure(figure, query.value(0));
}

} // namespace

namespace SettingsLogic {

Household builtIn()
{
    Household household;
    household.electricityRate = seedRate(electricityType);
    household.waterRate = seedRate(waterType);
    household.currency = builtInCurrency;
    household.watts.fill(int(CalculatorLogic::applianceWatts));
    household.counts.fill(1);
    return household;
}

const Watts &typicalWatts()
{
    // Figures from the US Department of Energy's table of typical wattages
    // (energy.gov, "Estimating Appliance and Home Electronic Energy Use") unless
    // said otherwise. Each is what the appliance draws while it runs, except
    // the refrigerator, whose compressor cycles on and off all day: its figure
    // is its average draw.
    static const Watts watts = {
        900,  // room air conditioner: a 10,000 BTU/h unit at an efficiency (EER) of
              // about 11, the level of ENERGY STAR room units: 10,000 / 11 = ~900 W
        50,   // laptop: DOE table, 50 W
        75,   // fan: DOE table, ceiling fan 65-175 W, window fan 55-250 W
        60,   // lights: six LED bulbs of a room at about 10 W each (an ENERGY STAR
              // LED bulb that replaces a 60 W incandescent draws 8-10 W)
        20,   // DVD player: DOE table, VCR/DVD 17-25 W while playing
        120,  // LCD TV: DOE table, flat screen television 120 W
        500,  // washing machine: DOE table, clothes washer 350-500 W
        1500, // hair dryer: DOE table, 1200-1875 W
        1000, // microwave: DOE table, microwave oven 750-1100 W
        600,  // rice cooker (not in the DOE table): rating plates of 5 to 10 cup
              // household cookers are 500-700 W while cooking
        55,   // refrigerator: ENERGY STAR models of 18-22 cubic feet are labelled
              // about 400-550 kWh a year, 1.1-1.5 kWh a day; 1.3 kWh / 24 h = ~55 W.
              // The DOE table's 725 W is the compressor's draw while it runs.
    };
    return watts;
}

std::optional<Stored> stored(const QSqlDatabase &db)
{
    Stored figures;
    figures.texts = texts(builtIn());
    const std::pair<Field, QString> rates[] = {{ElectricityRateField, electricityType},
                                               {WaterRateField, waterType}};
    for (const auto &[field, rateType] : rates) {
        QSqlQuery query =
            run(db, QStringLiteral("SELECT rateAmt FROM Rates WHERE rateType=?"), {rateType});
        if (unread(db, query))
            return std::nullopt;
        // Without a row every cost of the kind is 0: the page shows no tariff.
        const bool hasRow = query.next();
        const QVariant value = hasRow ? query.value(0) : QVariant();
        const double rate = CalculatorLogic::readNumber(value);
        figures.texts[field] =
            CalculatorLogic::soundRate(rate) ? rateText(rate, value.toString()) : QString();
        if (figures.texts[field].isEmpty())
            figures.problems[field] = rateProblem(rateType, hasRow, value);
    }

    QSqlQuery sign =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {currencyKey});
    if (unread(db, sign))
        return std::nullopt;
    if (sign.next()) {
        const Input<QString> typed = parseCurrency(sign.value(0).toString());
        figures.texts[CurrencyField] = typed.value;
        if (!typed.ok)
            figures.problems[CurrencyField] =
                QStringLiteral("The stored currency sign, %1, is not one Viridio can show: enter "
                               "it on the settings page.")
                    .arg(storedText(sign.value(0)));
    }

    // The amounts kept per kind, electricity's and water's: the budgets and
    // the standing charges (%1 the kind, %2 what is stored).
    struct Amount
    {
        const QString &(*key)(bool water);
        AmountParser parse;
        Field electricity;
        Field water;
        const char *problem;
    };
    static const Amount amounts[] = {
        {&budgetKey, &parseBudget, ElectricityBudgetField, WaterBudgetField,
         "The stored %1 budget, %2, is not an amount Viridio can count with, so none is shown: "
         "enter it on the settings page."},
        {&standingKey, &parseStandingCharge, ElectricityStandingField, WaterStandingField,
         "The stored %1 standing charge, %2, is not an amount Viridio can count with, so no %1 "
         "bill is worked out: enter it on the settings page."},
    };
    for (const Amount &amount : amounts) {
        for (const bool water : {false, true}) {
            QSqlQuery row = run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"),
                                {amount.key(water)});
            if (unread(db, row))
                return std::nullopt;
            if (!row.next())
                continue;
            const Input<QString> typed = storedAmount(row.value(0), water, amount.parse);
            const Field field = water ? amount.water : amount.electricity;
            figures.texts[field] = typed.value;
            if (!typed.ok)
                figures.problems[field] =
                    QString::fromLatin1(amount.problem)
                        .arg(water ? waterType : electricityType, storedText(row.value(0)));
        }
    }

    const std::optional<bool> plain = plainLitres(db);
    if (!plain)
        return std::nullopt;
    for (int i = 0; i < waterActivityCount; ++i) {
        QSqlQuery row =
            run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {litresKey(i)});
        if (unread(db, row))
            return std::nullopt;
        if (!row.next())
            continue;
        const Input<QString> typed = storedLitres(row.value(0).toString(), i, *plain);
        figures.texts[FirstLitresField + i] = typed.value;
        if (!typed.ok)
            figures.problems[FirstLitresField + i] =
                QStringLiteral("The stored litres of %1, %2, are not a figure Viridio can count "
                               "with, so no cost of it is worked out: enter them on the settings "
                               "page.")
                    .arg(fixtureUse(i), storedText(row.value(0)));
    }

    const QStringList &names = CalculatorLogic::applianceTipNames();
    for (const ApplianceFigure *figure : applianceFigures) {
        QSqlQuery rows =
            run(db, QStringLiteral("SELECT applianceName, %1 FROM %2")
                        .arg(QLatin1String(figure->column), QLatin1String(figure->table)));
        if (unread(db, rows))
            return std::nullopt;
        while (rows.next()) {
            const int index = int(names.indexOf(rows.value(0).toString()));
            if (index < 0 || index >= applianceCount)
                continue;
            const std::optional<int> value = soundFigure(*figure, rows.value(1));
            const int field = figure->firstField + index;
            figures.texts[field] = value ? QString::number(*value) : QString();
            if (!value)
                figures.problems[field] = QString::fromLatin1(figure->problem)
                                              .arg(CalculatorLogic::applianceNames().at(index),
                                                   storedText(rows.value(1)));
        }
    }
    return figures;
}

QString storedProblem(const QSqlDatabase &db, const QList<Field> &fields)
{
    const std::optional<Stored> figures = stored(db);
    for (const Field field : fields) {
        if (figures && !figures->problems[field].isEmpty())
            return figures->problems[field];
    }
    return QString();
}

Texts texts(const Household &household)
{
    Texts texts;
    texts[ElectricityRateField] =
        rateText(household.electricityRate, household.electricityRateText);
    texts[WaterRateField] = rateText(household.waterRate, household.waterRateText);
    texts[CurrencyField] = household.currency;
    for (int i = 0; i < applianceCount; ++i) {
        texts[FirstPowerField + i] = QString::number(household.watts[i]);
        texts[FirstCountField + i] = QString::number(household.counts[i]);
    }
    texts[ElectricityBudgetField] = household.electricityBudget;
    texts[WaterBudgetField] = household.waterBudget;
    std::copy(household.litres.cbegin(), household.litres.cend(), texts.begin() + FirstLitresField);
    texts[ElectricityStandingField] = household.electricityStandingCharge;
    texts[WaterStandingField] = household.waterStandingCharge;
    return texts;
}

Texts written(const Texts &texts, const QLocale &locale)
{
    Texts shown = texts;
    for (int field = 0; field < fieldCount; ++field) {
        const bool decimal = field == ElectricityRateField || field == WaterRateField ||
                             field == ElectricityBudgetField || field == WaterBudgetField ||
                             field >= FirstLitresField;
        if (decimal)
            shown[field] = TypedNumber::shown(texts[field], locale);
    }
    return shown;
}

Household load(const QSqlDatabase &db)
{
    Household household = builtIn();
    const std::optional<Stored> figures = stored(db);
    if (!figures)
        return household;
    const Texts &texts = figures->texts;
    // The texts of sound figures are written as the page writes them.
    if (!texts[ElectricityRateField].isEmpty()) {
        household.electricityRate = CalculatorLogic::readNumber(texts[ElectricityRateField]);
        household.electricityRateText = texts[ElectricityRateField];
    }
    if (!texts[WaterRateField].isEmpty()) {
        household.waterRate = CalculatorLogic::readNumber(texts[WaterRateField]);
        household.waterRateText = texts[WaterRateField];
    }
    if (!texts[CurrencyField].isEmpty())
        household.currency = texts[CurrencyField];
    for (int i = 0; i < applianceCount; ++i) {
        if (!texts[FirstPowerField + i].isEmpty())
            household.watts[i] = texts[FirstPowerField + i].toInt();
        if (!texts[FirstCountField + i].isEmpty())
            household.counts[i] = texts[FirstCountField + i].toInt();
    }
    household.electricityBudget = texts[ElectricityBudgetField];
    household.waterBudget = texts[WaterBudgetField];
    for (int i = 0; i < waterActivityCount; ++i) {
        if (!texts[FirstLitresField + i].isEmpty())
            household.litres[i] = texts[FirstLitresField + i];
    }
    if (!texts[ElectricityStandingField].isEmpty())
        household.electricityStandingCharge = texts[ElectricityStandingField];
    if (!texts[WaterStandingField].isEmpty())
        household.waterStandingCharge = texts[WaterStandingField];
    return household;
}

std::optional<int> watts(const QSqlDatabase &db, int appliance)
{
    return storedFigure(db, powerFigure, appliance);
}

std::optional<int> count(const QSqlDatabase &db, int appliance)
{
    return storedFigure(db, countFigure, appliance);
}

QString currency(const QSqlDatabase &db)
{
    if (cachedCurrency.valid && cachedCurrency.connection == db.connectionName() &&
        cachedCurrency.file == db.databaseName())
        return cachedCurrency.sign;
    QSqlQuery query =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {currencyKey});
    const Input<QString> stored =
        parseCurrency(query.isActive() && query.next() ? query.value(0).toString() : QString());
    QString sign = stored.ok ? stored.value : builtInCurrency;
    // A database that could not be asked is asked again next time.
    if (query.isActive())
        cachedCurrency = {true, db.connectionName(), db.databaseName(), sign};
    return sign;
}

std::optional<double> budget(const QSqlDatabase &db, bool water)
{
    QSqlQuery row =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {budgetKey(water)});
    if (!row.isActive() || !row.next())
        return std::nullopt;
    const Input<QString> typed = storedBudget(row.value(0), water);
    if (!typed.ok || typed.value.isEmpty())
        return std::nullopt;
    return typedNumber(typed.value, QLocale::c());
}

std::optional<double> standingCharge(const QSqlDatabase &db, bool water)
{
    QSqlQuery row =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {standingKey(water)});
    if (unread(db, row))
        return std::nullopt;
    if (!row.isActive() || !row.next())
        return 0.0;
    const Input<QString> typed = storedStandingCharge(row.value(0), water);
    if (!typed.ok)
        return std::nullopt;
    return typedNumber(typed.value, QLocale::c());
}

const LitreTexts &builtInLitres()
{
    // The cubic metres the calculator always counted each use with.
    static const LitreTexts litres = {
        QStringLiteral("15"),  QStringLiteral("15"),     QStringLiteral("68"),
        QStringLiteral("160"), QStringLiteral("454.61"), QStringLiteral("16"),
    };
    return litres;
}

std::optional<double> litres(const QSqlDatabase &db, int activity)
{
    if (activity < 0 || activity >= waterActivityCount)
        return std::nullopt;
    QSqlQuery row =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {litresKey(activity)});
    if (unread(db, row))
        return std::nullopt;
    if (!row.isActive() || !row.next())
        return typedNumber(builtInLitres()[activity], QLocale::c());
    const std::optional<bool> plain = plainLitres(db);
    const Input<QString> typed =
        plain ? storedLitres(row.value(0).toString(), activity, *plain) : Input<QString>();
    if (!typed.ok)
        return std::nullopt;
    return typedNumber(typed.value, QLocale::c());
}

QString problem(const Household &household)
{
    if (!CalculatorLogic::soundRate(household.electricityRate))
        return tariffError(electricityType, QLocale());
    if (!CalculatorLogic::soundRate(household.waterRate))
        return tariffError(waterType, QLocale());
    const Input<QString> sign = parseCurrency(household.currency);
    if (!sign.ok)
        return sign.error;
    for (int i = 0; i < applianceCount; ++i) {
        if (!allowedWatts(household.watts[i]))
            return wattsError(i);
        if (!parseCount(QString::number(household.counts[i]), i).ok)
            return parseCount(QString(), i).error;
    }
    for (const bool water : {false, true}) {
        const Input<QString> budget = parseBudget(
            water ? household.waterBudget : household.electricityBudget, water, QLocale::c());
        if (!budget.ok)
            return budget.error;
    }
    for (int i = 0; i < waterActivityCount; ++i) {
        const Input<QString> litres = parseLitres(household.litres[i], i, QLocale::c());
        if (!litres.ok)
            return litres.error;
    }
    for (const bool water : {false, true}) {
        const Input<QString> charge = parseStandingCharge(
            water ? household.waterStandingCharge : household.electricityStandingCharge, water,
            QLocale::c());
        if (!charge.ok)
            return charge.error;
    }
    return QString();
}

bool save(QSqlDatabase &db, const Household &household)
{
    cachedCurrency.valid = false;
    if (!problem(household).isEmpty())
        return false;
    // Budgets and litres as they are stored: " 40.50" is "40.50".
    Household plain = household;
    for (const bool water : {false, true}) {
        QString &budget = water ? plain.waterBudget : plain.electricityBudget;
        budget = parseBudget(budget, water, QLocale::c()).value;
    }
    for (int i = 0; i < waterActivityCount; ++i)
        plain.litres[i] = parseLitres(plain.litres[i], i, QLocale::c()).value;
    for (const bool water : {false, true}) {
        QString &charge = water ? plain.waterStandingCharge : plain.electricityStandingCharge;
        charge = parseStandingCharge(charge, water, QLocale::c()).value;
    }
    Fields all;
    all.fill(true);
    return storeFields(db, plain, all);
}

bool saveChanged(QSqlDatabase &db, const Texts &shown, const Texts &typed, QString *error,
                 const QLocale &locale)
{
    Household household = builtIn();
    Fields changed{};
    QStringList errors;
    for (int field = 0; field < fieldCount; ++field) {
        changed[field] = typed[field] != shown[field];
        if (!changed[field])
            continue;
        if (field == ElectricityRateField || field == WaterRateField) {
            const bool water = field == WaterRateField;
            const Input<double> rate =
                parseTariff(typed[field], water ? waterType : electricityType, locale);
            (water ? household.waterRate : household.electricityRate) = rate.value;
            (water ? household.waterRateText : household.electricityRateText) = rate.plain;
            errors.append(rate.error);
        } else if (field == CurrencyField) {
            const Input<QString> sign = parseCurrency(typed[field]);
            household.currency = sign.value;
            errors.append(sign.error);
        } else if (field == ElectricityBudgetField || field == WaterBudgetField) {
            const bool water = field == WaterBudgetField;
            const Input<QString> budget = parseBudget(typed[field], water, locale);
            (water ? household.waterBudget : household.electricityBudget) = budget.value;
            errors.append(budget.error);
        } else if (field == ElectricityStandingField || field == WaterStandingField) {
            const bool water = field == WaterStandingField;
            const Input<QString> charge = parseStandingCharge(typed[field], water, locale);
            (water ? household.waterStandingCharge : household.electricityStandingCharge) =
                charge.value;
            errors.append(charge.error);
        } else if (field >= FirstLitresField) {
            const Input<QString> litres =
                parseLitres(typed[field], field - FirstLitresField, locale);
            household.litres[field - FirstLitresField] = litres.value;
            errors.append(litres.error);
        } else if (field < FirstCountField) {
            const Input<int> power = parseWatts(typed[field], field - FirstPowerField);
            household.watts[field - FirstPowerField] = power.value;
            errors.append(power.error);
        } else {
            const Input<int> many = parseCount(typed[field], field - FirstCountField);
            household.counts[field - FirstCountField] = many.value;
            errors.append(many.error);
        }
    }
    errors.removeAll(QString());
    *error = errors.value(0);
    if (!error->isEmpty())
        return false;
    if (std::find(changed.cbegin(), changed.cend(), true) == changed.cend())
        return true;
    return storeFields(db, household, changed);
}

Input<double> parseTariff(const QString &text, const QString &rateType, const QLocale &locale)
{
    Input<double> input;
    const QString typed = text.trimmed();
    // Nobody pays a thousand per kWh: "1,000" is refused.
    const TypedNumber::Number number = TypedNumber::typed(typed, locale);
    input.value = number.ok ? number.value : 0;
    input.plain = number.plain;
    input.ok = !typed.isEmpty() && number.ok && CalculatorLogic::soundRate(input.value);
    if (!input.ok) {
        input.plain.clear();
        input.value = 0;
        input.error = tariffError(rateType, locale);
    }
    return input;
}

Input<int> parseWatts(const QString &text, int appliance)
{
    Input<int> input;
    const std::optional<int> typed = typedWhole(text, maximumWatts);
    input.value = typed.value_or(0);
    input.ok = typed && allowedWatts(input.value);
    if (!input.ok) {
        input.value = 0;
        input.error = wattsError(appliance);
    }
    return input;
}

Input<int> parseCount(const QString &text, int appliance)
{
    Input<int> input;
    const std::optional<int> typed = typedWhole(text, maximumCount);
    input.value = typed.value_or(0);
    input.ok = typed && input.value >= minimumCount && input.value <= maximumCount;
    if (!input.ok) {
        input.value = 0;
        input.error = QStringLiteral("Set how many of the %1 you have, from %2 (none) to %3.")
                          .arg(CalculatorLogic::applianceNames().value(appliance),
                               QString::number(minimumCount), QString::number(maximumCount));
    }
    return input;
}

int addOwnAppliance(const QSqlDatabase &db, const QString &name, const QString &watts, int count,
                    QString *error)
{
    const QString typed = name.trimmed();
    // Joiners stay: an emoji joined of several ("👨‍👩‍👧") and the letters of
    // scripts that join are written with them. Any other format character (a
    // direction override, an invisible mark) is refused with the controls.
    const bool control = std::any_of(typed.cbegin(), typed.cend(), [](QChar c) {
        const bool joiner = c == QChar(0x200D) || c == QChar(0x200C);
        return c.category() == QChar::Other_Control ||
               (c.category() == QChar::Other_Format && !joiner);
    });
    const std::optional<int> power = typedWhole(watts, maximumWatts);
    const std::optional<QList<CalculatorLogic::OwnAppliance>> owned =
        CalculatorLogic::ownAppliances(db);
    const bool taken =
        owned && std::any_of(owned->cbegin(), owned->cend(), [&](const auto &appliance) {
            return appliance.name.compare(typed, Qt::CaseInsensitive) == 0;
        });
    if (typed.isEmpty() || typed.size() > maximumOwnNameLength || control)
        *error = QStringLiteral("Name your appliance in 1 to %1 letters, for example water heater.")
                     .arg(maximumOwnNameLength);
    else if (!power || !allowedWatts(*power))
        *error = QStringLiteral("Enter the power of the %1 in whole watts, from %2 to %3.")
                     .arg(typed, QString::number(minimumWatts), QString::number(maximumWatts));
    else if (count < 1 || count > maximumCount)
        *error = QStringLiteral("Set how many of the %1 you have, from 1 to %2.")
                     .arg(typed, QString::number(maximumCount));
    else if (!owned)
        *error = QStringLiteral("Not added: the data file is busy. Please try again.");
    else if (taken)
        *error = QStringLiteral("You have an appliance named %1 already.").arg(typed);
    else if (owned->size() >= maximumOwnAppliances)
        *error = QStringLiteral("You have %1 appliances of your own, the most there can be: "
                                "remove one to add another.")
                     .arg(maximumOwnAppliances);
    else
        error->clear();
    if (!error->isEmpty())
        return 0;
    QSqlQuery add = run(db,
                        QStringLiteral("INSERT INTO OwnAppliance (name, watts, count, removed) "
                                       "VALUES (?,?,?,0)"),
                        {typed, *power, count});
    if (!add.isActive()) {
        *error = QStringLiteral("Not added: the data file is busy. Please try again.");
        return 0;
    }
    return add.lastInsertId().toInt();
}

bool removeOwnAppliance(const QSqlDatabase &db, int id)
{
    QSqlQuery remove =
        run(db, QStringLiteral("UPDATE OwnAppliance SET removed = 1 WHERE id = ?"), {id});
    return remove.isActive() && remove.numRowsAffected() == 1;
}

Input<QString> parseBudget(const QString &text, bool water, const QLocale &locale)
{
    Input<QString> input;
    const QString typed = text.trimmed();
    const TypedNumber::Number number = TypedNumber::typed(typed, locale);
    input.ok = typed.isEmpty() || (number.ok && number.value >= 0 && number.value <= maximumBudget);
    if (input.ok)
        input.value = input.plain = typed.isEmpty() ? QString() : number.plain;
    else
        input.error =
            QStringLiteral("Enter what you plan to spend on %1 in a month as an amount "
                           "from 0 to a million, for example %2, or leave it empty.")
                .arg(water ? waterType : electricityType,
                     locale.decimalPoint() == QLatin1String(",") ? QStringLiteral("40,00")
                                                                 : QStringLiteral("40.00"));
    return input;
}

Input<QString> parseStandingCharge(const QString &text, bool water, const QLocale &locale)
{
    Input<QString> input;
    const QString typed = text.trimmed();
    const TypedNumber::Number number = TypedNumber::typed(typed, locale);
    input.ok = number.ok && number.value >= 0 && number.value <= maximumRate;
    if (input.ok)
        input.value = input.plain = number.plain;
    else
        input.error =
            QStringLiteral("Enter the %1 standing charge, what your bill charges each "
                           "day, as an amount from 0 (none) to a million, for "
                           "example %2.")
                .arg(water ? waterType : electricityType,
                     locale.decimalPoint() == QLatin1String(",") ? QStringLiteral("0,40")
                                                                 : QStringLiteral("0.40"));
    return input;
}

Input<QString> parseLitres(const QString &text, int activity, const QLocale &locale)
{
    Input<QString> input;
    const QString typed = text.trimmed();
    const TypedNumber::Number number = TypedNumber::typed(typed, locale);
    // A household without a lawn waters none: 0 litres.
    const bool noneAllowed = activity == lawnActivity;
    input.ok = number.ok && (number.value > 0 || (noneAllowed && number.value == 0)) &&
               number.value <= maximumLitres;
    if (input.ok)
        input.value = input.plain = number.plain;
    else
        input.error =
            QStringLiteral("Enter the litres of %1 as a number %2 and up to "
                           "10,000, for example %3.")
                .arg(fixtureUse(activity),
                     noneAllowed ? QStringLiteral("from 0 (no lawn)") : QStringLiteral("above 0"),
                     activity >= 0 && activity < waterActivityCount ? builtInLitres()[activity]
                                                                    : QStringLiteral("15"));
    return input;
}

std::optional<QList<DayItem>> dayItems(const QSqlDatabase &db,
                                       const CalculatorLogic::ElectricityDay &day)
{
    using namespace CalculatorLogic;
    QList<DayItem> items;
    for (int i = 0; i < applianceCount; ++i) {
        const std::optional<int> many = count(db, i);
        if (!many)
            return std::nullopt;
        if (*many > 0 || day.costs[i] != 0)
            items.append({applianceNames().at(i), applianceColumns().at(i), day.costs[i], i});
    }
    const std::optional<QList<OwnAppliance>> own = ownAppliances(db, true);
    if (!own)
        return std::nullopt;
    for (const OwnAppliance &appliance : *own) {
        const double cost = day.own.value(appliance.id);
        if (!appliance.removed || cost != 0)
            items.append({appliance.name, ownItem(appliance.id), cost});
    }
    return items;
}

Input<QString> parseCurrency(const QString &text)
{
    Input<QString> input;
    const QString sign = text.trimmed();
    const qsizetype length = sign.toUcs4().size();
    bool printable = true;
    for (const QChar c : sign)
        printable = printable && (c.isPrint() || c.isSurrogate());
    input.ok = length >= 1 && length <= maximumCurrencyLength && printable;
    if (input.ok)
        input.value = sign;
    else
        input.error = currencyError;
    return input;
}

} // namespace SettingsLogic
