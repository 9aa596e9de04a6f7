#include "calculator/settingslogic.h"

#include "calculator/calculatorlogic.h"
#include "clock.h"
#include "data/database.h"
#include "data/seedcontent.h"

#include <QSqlQuery>
#include <QVariant>
#include <QtMath>

namespace {

using Database::run;

const QString electricityType = QStringLiteral("electricity");
const QString waterType = QStringLiteral("water");
const QString currencyKey = QStringLiteral("currency");
const QString builtInCurrency = QStringLiteral("$");

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

bool allowedRate(double rate)
{
    return qIsFinite(rate) && rate > 0;
}

bool allowedWatts(int watts)
{
    return watts >= SettingsLogic::minimumWatts && watts <= SettingsLogic::maximumWatts;
}

QString tariffError(const QString &rateType, const QLocale &locale)
{
    const bool comma = locale.decimalPoint() == QLatin1String(",");
    if (rateType == waterType)
        return QStringLiteral("Enter the price of one cubic metre of water as a number above 0, "
                              "for example %1.")
            .arg(comma ? QStringLiteral("1,17") : QStringLiteral("1.17"));
    return QStringLiteral("Enter the price of one kWh of electricity as a number above 0, for "
                          "example %1.")
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
        .arg(name)
        .arg(SettingsLogic::minimumWatts)
        .arg(SettingsLogic::maximumWatts)
        .arg(example);
}

const QString currencyError =
    QStringLiteral("Enter a currency sign of 1 to 3 characters, for example $ or € or kr.");

// Tariffs are stored as the shortest text that reads back as the same number,
// always with a decimal point.
QString rateText(double rate)
{
    return QString::number(rate, 'g', QLocale::FloatingPointShortest);
}

bool storeRate(const QSqlDatabase &db, const QString &rateType, double rate)
{
    const QSqlQuery update = run(db, QStringLiteral("UPDATE Rates SET rateAmt=? WHERE rateType=?"),
                                 {rateText(rate), rateType});
    if (!update.isActive())
        return false;
    if (update.numRowsAffected() > 0)
        return true;
    return run(db,
               QStringLiteral("INSERT INTO Rates (rateDate, rateType, rateAmt, rateRetrieve) "
                              "VALUES (?,?,?,?)"),
               {CalculatorLogic::dayKey(Clock::today()), rateType, rateText(rate),
                QStringLiteral("Entered by the household")})
        .isActive();
}

bool createTablesChecked(const QSqlDatabase &db)
{
    return run(db, QStringLiteral("CREATE TABLE IF NOT EXISTS AppliancePower (applianceName "
                                  "TEXT PRIMARY KEY, watts INTEGER)"))
               .isActive() &&
           run(db, QStringLiteral("CREATE TABLE IF NOT EXISTS Settings (key TEXT PRIMARY KEY, "
                                  "value TEXT)"))
               .isActive();
}

double storedRate(const QSqlDatabase &db, const QString &rateType, double fallback)
{
    QSqlQuery query =
        run(db, QStringLiteral("SELECT rateAmt FROM Rates WHERE rateType=?"), {rateType});
    if (!query.isActive() || !query.next())
        return fallback;
    const double rate = CalculatorLogic::readNumber(query.value(0));
    return allowedRate(rate) ? rate : fallback;
}

QString storedCurrency(const QSqlDatabase &db, bool *read)
{
    QSqlQuery query =
        run(db, QStringLiteral("SELECT value FROM Settings WHERE key=?"), {currencyKey});
    *read = query.isActive();
    if (!query.isActive() || !query.next())
        return builtInCurrency;
    const SettingsLogic::Input<QString> sign =
        SettingsLogic::parseCurrency(query.value(0).toString());
    return sign.ok ? sign.value : builtInCurrency;
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

void createTables(const QSqlDatabase &db)
{
    createTablesChecked(db);
}

Household load(const QSqlDatabase &db)
{
    Household household = builtIn();
    household.electricityRate = storedRate(db, electricityType, household.electricityRate);
    household.waterRate = storedRate(db, waterType, household.waterRate);
    bool read = false;
    household.currency = storedCurrency(db, &read);

    const QStringList &names = CalculatorLogic::applianceTipNames();
    QSqlQuery query = run(db, QStringLiteral("SELECT applianceName, watts FROM AppliancePower"));
    while (query.isActive() && query.next()) {
        const int index = names.indexOf(query.value(0).toString());
        bool ok = false;
        const int stored = query.value(1).toInt(&ok);
        if (index >= 0 && index < applianceCount && ok && allowedWatts(stored))
            household.watts[index] = stored;
    }
    return household;
}

std::optional<int> watts(const QSqlDatabase &db, int appliance)
{
    const int fallback = int(CalculatorLogic::applianceWatts);
    const QStringList &names = CalculatorLogic::applianceTipNames();
    if (appliance < 0 || appliance >= names.size())
        return fallback;
    QSqlQuery query =
        run(db, QStringLiteral("SELECT watts FROM AppliancePower WHERE applianceName=?"),
            {names.at(appliance)});
    if (!query.isActive())
        return std::nullopt;
    if (!query.next())
        return fallback;
    bool ok = false;
    const int stored = query.value(0).toInt(&ok);
    return ok && allowedWatts(stored) ? stored : fallback;
}

QString currency(const QSqlDatabase &db)
{
    if (cachedCurrency.valid && cachedCurrency.connection == db.connectionName() &&
        cachedCurrency.file == db.databaseName())
        return cachedCurrency.sign;
    bool read = false;
    QString sign = storedCurrency(db, &read);
    // A database that could not be asked is asked again next time.
    if (read)
        cachedCurrency = {true, db.connectionName(), db.databaseName(), sign};
    return sign;
}

QString problem(const Household &household)
{
    if (!allowedRate(household.electricityRate))
        return tariffError(electricityType, QLocale());
    if (!allowedRate(household.waterRate))
        return tariffError(waterType, QLocale());
    const Input<QString> sign = parseCurrency(household.currency);
    if (!sign.ok)
        return sign.error;
    for (int i = 0; i < applianceCount; ++i) {
        if (!allowedWatts(household.watts[i]))
            return wattsError(i);
    }
    return QString();
}

bool save(QSqlDatabase &db, const Household &household)
{
    cachedCurrency.valid = false;
    if (!db.isOpen() || !problem(household).isEmpty() || !db.transaction())
        return false;
    bool stored = createTablesChecked(db) &&
                  storeRate(db, electricityType, household.electricityRate) &&
                  storeRate(db, waterType, household.waterRate);
    const QStringList &names = CalculatorLogic::applianceTipNames();
    for (int i = 0; stored && i < applianceCount; ++i)
        stored = run(db,
                     QStringLiteral("INSERT OR REPLACE INTO AppliancePower (applianceName, watts) "
                                    "VALUES (?,?)"),
                     {names.at(i), household.watts[i]})
                     .isActive();
    stored = stored &&
             run(db, QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES (?,?)"),
                 {currencyKey, household.currency.trimmed()})
                 .isActive();
    if (stored)
        stored = db.commit();
    if (!stored)
        db.rollback();
    return stored;
}

Input<double> parseTariff(const QString &text, const QString &rateType, const QLocale &locale)
{
    Input<double> input;
    const QString typed = text.trimmed();
    bool ok = false;
    if (!typed.isEmpty()) {
        // A decimal point is read in every locale; a decimal comma only where
        // the user's locale writes one. Group separators ("1,000") are refused:
        // nobody pays a thousand per kWh, and "0,30" must not become 30.
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        input.value = c.toDouble(typed, &ok);
        if (!ok && locale.decimalPoint() == QLatin1String(",")) {
            QLocale own = locale;
            own.setNumberOptions(QLocale::RejectGroupSeparator);
            input.value = own.toDouble(typed, &ok);
        }
    }
    input.ok = ok && allowedRate(input.value);
    if (!input.ok) {
        input.value = 0;
        input.error = tariffError(rateType, locale);
    }
    return input;
}

Input<int> parseWatts(const QString &text, int appliance)
{
    Input<int> input;
    bool ok = false;
    input.value = text.trimmed().toInt(&ok);
    input.ok = ok && allowedWatts(input.value);
    if (!input.ok) {
        input.value = 0;
        input.error = wattsError(appliance);
    }
    return input;
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
