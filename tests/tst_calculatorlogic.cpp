// The calculator's arithmetic and number texts, without any window.
#include "app/household/calculatorlogic.h"
#include "app/household/settingslogic.h"
#include "app/household/typednumber.h"

#include "data/database.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <clocale>
#include <memory>

using namespace CalculatorLogic;

namespace {

int queryRows(const QSqlDatabase &db, const char *sql)
{
    QSqlQuery query(db);
    return query.exec(QLatin1String(sql)) && query.next() ? query.value(0).toInt() : -1;
}

// Types figures over those the settings page shows from db, and saves them
// as typed in locale: the page's message, empty when they were stored.
QString saveTyped(QSqlDatabase &db, const QList<QPair<SettingsLogic::Field, QString>> &figures,
                  const QLocale &locale)
{
    const SettingsLogic::Texts shown = SettingsLogic::stored(db).value().texts;
    SettingsLogic::Texts typed = shown;
    for (const auto &[field, text] : figures)
        typed[field] = text;
    QString error;
    if (!SettingsLogic::saveChanged(db, shown, typed, &error, locale) && error.isEmpty())
        error = QStringLiteral("not stored");
    return error;
}

} // namespace

class TestCalculatorLogic : public QObject
{
    Q_OBJECT

private slots:
    void applianceCostText_data();
    void applianceCostText();
    void waterCostText_data();
    void waterCostText();
    void textsAsPrintfWritesThem_data();
    void textsAsPrintfWritesThem();
    void textsIgnoreTheUserLocale();
    void readNumber_data();
    void readNumber();
    void dayKey_data();
    void dayKey();
    void totals();
    void tipsOnlyForCostsThatAreNotZero();
    void tariffs();
    void dailyUpsert();
    void twoProgramsAnswerTheSameDays();
    void householdCostsAndMoney();
    void householdSettingsAreStoredTogether();
    void badHouseholdInputChangesNothing_data();
    void badHouseholdInputChangesNothing();
    void decimalCommaOnlyWhereTheLocaleWritesOne();
    void typedFiguresAsTheLocaleWritesThem_data();
    void typedFiguresAsTheLocaleWritesThem();
    void fileFiguresReadTwoWaysAreRefused();
    void sameAsTheLastRecordedDay();
    void filledInFromTheSameWeekday();
    void answersShownAsAsked();
    void typedFiguresComeBackAsTyped();
    void wholeDayAndFixtureLitres();
    void ownAppliancesAndTheCopy();
    void litresStoredPlainReadInEveryLanguage();
    void budgetsOfThreeDecimalsAndOfNothing();
    void standingChargesStoredAsTyped();
    void breakdownListsTheAppliancesOwned();
};

void TestCalculatorLogic::applianceCostText_data()
{
    QTest::addColumn<double>("hours");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1 hour") << 1.0 << 0.2287 << "0.2287";
    QTest::newRow("5 hours") << 5.0 << 0.2287 << "1.1435";
    QTest::newRow("10 hours") << 10.0 << 0.2287 << "2.287";
    QTest::newRow("24 hours") << 24.0 << 0.2287 << "5.4888";
    QTest::newRow("N.A") << 0.0 << 0.2287 << "0";
    QTest::newRow("3 hours") << 3.0 << 0.2287 << "0.6861";
    QTest::newRow("no tariff") << 24.0 << 0.0 << "0";
}

void TestCalculatorLogic::applianceCostText()
{
    QFETCH(double, hours);
    QFETCH(double, rate);
    QFETCH(QString, stored);
    const double cost = applianceCost(hours, rate);
    // Worked left to right in double: hours x 1000 / 1000 x rate.
    QCOMPARE(cost, hours * 1000 / 1000 * rate);
    QCOMPARE(numberText(cost), stored);
}

void TestCalculatorLogic::waterCostText_data()
{
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("stored");
    QTest::newRow("10 tap minutes") << 10.0 << tapFactor << "0.1755";
    QTest::newRow("9999 tap minutes") << 9999.0 << tapFactor << "175.482";
    QTest::newRow("2 washing machine loads") << 2.0 << washingMachineFactor << "0.0351";
    QTest::newRow("1 dish wash") << 1.0 << dishWashingFactor << "0.07956";
    QTest::newRow("2 showers") << 2.0 << showerFactor << "0.3744";
    QTest::newRow("5 flushes") << 5.0 << toiletFactor << "0.0936";
    QTest::newRow("1 mowing") << 1.0 << lawnFactor << "0.531894";
    QTest::newRow("N.A") << 0.0 << lawnFactor << "0";
}

void TestCalculatorLogic::waterCostText()
{
    QFETCH(double, count);
    QFETCH(double, factor);
    QFETCH(QString, stored);
    const double cost = waterCost(count, factor, 1.17);
    QCOMPARE(cost, count * factor * 1.17);
    QCOMPARE(numberText(cost), stored);
}

void TestCalculatorLogic::textsAsPrintfWritesThem_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("number"); // stored, as printf's %g writes it
    QTest::addColumn<QString>("money");  // shown, as printf's %.2f writes it
    // Ties in binary (0.125, 2.5) and decimal look-alikes that are not ties
    // (2.675, 1.005) are where hand-made rounding parts from printf.
    QTest::newRow("0.0") << 0.0 << "0"
                         << "0.00";
    QTest::newRow("3.0") << 3.0 << "3"
                         << "3.00";
    QTest::newRow("0.1755") << 0.1755 << "0.1755"
                            << "0.18";
    QTest::newRow("0.5265") << 0.5265 << "0.5265"
                            << "0.53";
    QTest::newRow("2.9731") << 2.9731 << "2.9731"
                            << "2.97";
    QTest::newRow("0.125") << 0.125 << "0.125"
                           << "0.12";
    QTest::newRow("0.375") << 0.375 << "0.375"
                           << "0.38";
    QTest::newRow("2.5") << 2.5 << "2.5"
                         << "2.50";
    QTest::newRow("2.675") << 2.675 << "2.675"
                           << "2.67";
    QTest::newRow("1.005") << 1.005 << "1.005"
                           << "1.00";
    QTest::newRow("1.1435") << 1.1435 << "1.1435"
                            << "1.14";
    QTest::newRow("175.48245") << 175.48245 << "175.482"
                               << "175.48";
    QTest::newRow("1234567.0") << 1234567.0 << "1.23457e+06"
                               << "1234567.00";
    QTest::newRow("0.00001234") << 0.00001234 << "1.234e-05"
                                << "0.00";
    QTest::newRow("123456789.0") << 123456789.0 << "1.23457e+08"
                                 << "123456789.00";
    QTest::newRow("1e21") << 1e21 << "1e+21"
                          << "1000000000000000000000.00";
    QTest::newRow("0.07956") << 0.07956 << "0.07956"
                             << "0.08";
}

void TestCalculatorLogic::textsAsPrintfWritesThem()
{
    QFETCH(double, value);
    QFETCH(QString, number);
    QFETCH(QString, money);
    QCOMPARE(numberText(value), number);
    QCOMPARE(moneyText(value), money);
}

void TestCalculatorLogic::textsIgnoreTheUserLocale()
{
    // A user whose locale writes decimal commas still stores decimal points.
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const QByteArray saved = previous ? QByteArray(previous) : QByteArray("C");
    bool comma = false;
    for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "nl_NL.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = true;
            break;
        }
    }
    if (!comma)
        QSKIP("no locale with a decimal comma is installed");
    const QString stored = numberText(0.1755);
    const QString money = moneyText(1.1435);
    std::setlocale(LC_NUMERIC, saved.constData());
    QCOMPARE(stored, QStringLiteral("0.1755"));
    QCOMPARE(money, QStringLiteral("1.14"));
}

void TestCalculatorLogic::readNumber_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("number");
    QTest::newRow("NULL") << QVariant() << 0.0;
    QTest::newRow("empty") << QVariant(QString()) << 0.0;
    QTest::newRow("N.A") << QVariant(QStringLiteral("N.A")) << 0.0;
    QTest::newRow("garbage") << QVariant(QStringLiteral("12abc")) << 0.0;
    QTest::newRow("nan") << QVariant(QStringLiteral("nan")) << 0.0;
    QTest::newRow("members") << QVariant(QStringLiteral("3")) << 3.0;
    QTest::newRow("cost") << QVariant(QStringLiteral("0.1755")) << 0.1755;
    QTest::newRow("hours") << QVariant(QStringLiteral("24")) << 24.0;
    QTest::newRow("stored as a real") << QVariant(2.287) << 2.287;
}

void TestCalculatorLogic::readNumber()
{
    QFETCH(QVariant, value);
    QFETCH(double, number);
    QCOMPARE(CalculatorLogic::readNumber(value), number);
}

void TestCalculatorLogic::dayKey_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("key");
    QTest::newRow("6 December 2026") << QDate(2026, 12, 6) << "06/12/2026";
    QTest::newRow("31 January 2027") << QDate(2027, 1, 31) << "31/01/2027";
    QTest::newRow("29 February 2028") << QDate(2028, 2, 29) << "29/02/2028";
}

void TestCalculatorLogic::dayKey()
{
    QFETCH(QDate, date);
    QFETCH(QString, key);
    QCOMPARE(CalculatorLogic::dayKey(date), key);
}

void TestCalculatorLogic::totals()
{
    // The hours box's choices: 45 minutes are 0.75 h.
    QCOMPARE(hoursOfChoice(QStringLiteral("45 min")), 0.75);
    QCOMPARE(hoursOfChoice(QStringLiteral("N.A")), 0.0);
    QCOMPARE(hoursOfChoice(QStringLiteral("24")), 24.0);
    ElectricityCosts electricity{};
    electricity[3] = 0.6861; // lights
    electricity[5] = 2.287;  // television
    QCOMPARE(moneyText(electricityTotal(electricity)), QStringLiteral("2.97"));
    QCOMPARE(electricityTotal(ElectricityCosts{}), 0.0);

    WaterCosts water{0.1755, 0, 0, 0, 0, 0};
    QCOMPARE(waterTotal(3, water), 3 * 0.1755);
    QCOMPARE(moneyText(waterTotal(3, water)), QStringLiteral("0.53"));
    // Three people, one washing-machine load (0.01755) and a shower each
    // (0.1872): the load counts once, the showers three times.
    water = {0, 0.01755, 0, 0.1872, 0, 0};
    QCOMPARE(waterTotal(3, water), 0.01755 + 0.5616);
    // Tap, shower and toilet for each person; machine, dishes and lawn once.
    water = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    QCOMPARE(waterTotal(2, water), (((((0.2 + 0.2) + 0.3) + 0.8) + 0.5) + 1.2));
    // Members never recorded: the household's own uses only.
    QCOMPARE(waterTotal(0, water), ((0.2 + 0.3) + 0.5));
}

void TestCalculatorLogic::tipsOnlyForCostsThatAreNotZero()
{
    WaterCosts costs{0.1755, 0, 0.07956, 0, 0.531894, 0};
    QStringList asked;
    const QStringList tips = tipsFor(costs, waterTipNames(), [&asked](const QString &name) {
        asked.append(name);
        return name == QLatin1String("DishWashing") ? QString() : QStringLiteral("tip ") + name;
    });
    QCOMPARE(asked, QStringList({"Tap", "DishWashing", "Lawn"}));
    QCOMPARE(tips, QStringList({"tip Tap", "tip Lawn"}));
}

void TestCalculatorLogic::tariffs()
{
    QTemporaryDir dir;
    QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("rates.sqlite")));
    QVERIFY(db.isOpen());
    Database::createTable(db, QStringLiteral("Rates"));
    QCOMPARE(rate(db, QStringLiteral("electricity")), std::optional<double>(0.0));
    Database::insertRates(db, "01/01/2010", "electricity", "0.2287", "seed");
    Database::insertRates(db, "01/01/2010", "water", "not a number", "broken");
    QCOMPARE(rate(db, QStringLiteral("electricity")), std::optional<double>(0.2287));
    // A stored tariff that is not a sound number is not taken for 0 either.
    QCOMPARE(rate(db, QStringLiteral("water")), std::optional<double>());
    // A type written with an apostrophe is looked up, not run as SQL.
    QCOMPARE(rate(db, QStringLiteral("water' OR '1'='1")), std::optional<double>(0.0));
    db.close();
    // A tariff that cannot be read is not taken for 0.
    QCOMPARE(rate(db, QStringLiteral("electricity")), std::optional<double>());
}

void TestCalculatorLogic::dailyUpsert()
{
    QTemporaryDir dir;
    QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("diary.sqlite")));
    QVERIFY(db.isOpen());
    Database::createTable(db, QStringLiteral("waterDiary"));
    const QString table = QStringLiteral("waterDiary");
    const QString keyColumn = QStringLiteral("waterRetrieveDate");

    QVERIFY(upsertDay(db, table, keyColumn, "07/12/2026",
                      {{"amtOfTapUsed", "0.1755"}, {"noOfFamilyMem", "3"}}));
    QVERIFY(upsertDay(db, table, keyColumn, "06/12/2026", {{"amtOfLawnUsed", "0.531894"}}));
    QVERIFY(upsertDay(db, table, keyColumn, "07/12/2026", {{"amtOfShowerUsed", "0.3744"}}));
    QVERIFY(upsertDay(db, table, keyColumn, "07/12/2026", {{"noOfFamilyMem", "4"}}));

    QSqlQuery count(db);
    QVERIFY(count.exec(QStringLiteral("SELECT count(*) FROM waterDiary")) && count.next());
    QCOMPARE(count.value(0).toInt(), 2);
    const WaterDay today = waterDay(db, "07/12/2026");
    QVERIFY(today.found);
    QCOMPARE(today.members, 4.0);
    QCOMPARE(today.costs, (WaterCosts{0.1755, 0, 0, 0.3744, 0, 0}));
    const WaterDay yesterday = waterDay(db, "06/12/2026");
    QVERIFY(yesterday.found);
    QCOMPARE(yesterday.members, 0.0);
    QCOMPARE(yesterday.costs, (WaterCosts{0, 0, 0, 0, 0.531894, 0}));
    QVERIFY(!waterDay(db, QString()).found);
    // Days are listed as they were first recorded.
    QCOMPARE(storedDays(db, table, keyColumn), QStringList({"07/12/2026", "06/12/2026"}));
    db.close();
    // A diary that cannot be read is not taken for an empty one.
    QVERIFY(!storedDays(db, table, keyColumn));
    QVERIFY(!waterDay(db, "07/12/2026").read);
    QVERIFY(!upsertDay(db, table, keyColumn, "08/12/2026", {{"amtOfTapUsed", "1"}}));
}

// Two programs record different answers for the same days at the same time
// (each on its own connection and thread): every day keeps both.
void TestCalculatorLogic::twoProgramsAnswerTheSameDays()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.sqlite"));
    {
        QSqlDatabase db = Database::open(path);
        Database::createTable(db, QStringLiteral("Diary"));
        db.close();
    }
    const int days = 40;
    std::atomic<int> written{0};
    std::atomic<int> arrived{0};
    QDeadlineTimer deadline(30000);
    auto writer = [&](const QString &column) {
        return QThread::create([&, column] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), column);
                db.setDatabaseName(path);
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
                db.open();
                for (int day = 1; day <= days; ++day) {
                    // Both answer each day at the same moment.
                    ++arrived;
                    while (arrived < 2 * day && !deadline.hasExpired())
                        QThread::yieldCurrentThread();
                    written +=
                        upsertDay(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"),
                                  QStringLiteral("%1/12/2026").arg(day), {{column, "1"}})
                            ? 1
                            : 0;
                }
            }
            QSqlDatabase::removeDatabase(column);
        });
    };
    std::unique_ptr<QThread> first(writer(QStringLiteral("valOfAirCon")));
    std::unique_ptr<QThread> second(writer(QStringLiteral("valOfFan")));
    first->start();
    second->start();
    QVERIFY(first->wait(60000) && second->wait(60000));
    QCOMPARE(written.load(), 2 * days);

    QSqlDatabase db = Database::open(path);
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM Diary WHERE valOfAirCon = '1' AND "
                                      "valOfFan = '1'")) &&
            query.next());
    QCOMPARE(query.value(0).toInt(), days);
    query.finish();
    db.close();
}

void TestCalculatorLogic::householdCostsAndMoney()
{
    // 10 hours of a 50 W laptop at 0.30 a kWh.
    QCOMPARE(numberText(applianceCost(10, 50, 0.30)), QStringLiteral("0.15"));
    // The built-in household counts as the calculator always has.
    const SettingsLogic::Household household = SettingsLogic::builtIn();
    QCOMPARE(household.electricityRate, 0.2287);
    QCOMPARE(household.waterRate, 1.17);
    QCOMPARE(household.currency, QStringLiteral("$"));
    for (double hours : {1.0, 3.0, 5.0, 10.0, 24.0}) {
        for (int watts : household.watts)
            QCOMPARE(applianceCost(hours, watts, household.electricityRate),
                     applianceCost(hours, household.electricityRate));
    }
    QCOMPARE(moneyText(1.1435, QStringLiteral("€")), QStringLiteral("€1.14"));
    QCOMPARE(moneyText(0.15, QStringLiteral("kr ")), QStringLiteral("kr 0.15"));
    // The page can offer the typical ratings as they are.
    SettingsLogic::Household typical = household;
    typical.watts = SettingsLogic::typicalWatts();
    QCOMPARE(SettingsLogic::problem(typical), QString());
}

namespace {

// A seeded database in dir, as the window opens it.
QSqlDatabase seededDatabase(const QTemporaryDir &dir)
{
    QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("my.db.sqlite")));
    Database::createAndSeed(db);
    Database::createHouseholdTables(db);
    return db;
}

bool sameHousehold(const SettingsLogic::Household &a, const SettingsLogic::Household &b)
{
    return a.electricityRate == b.electricityRate && a.waterRate == b.waterRate &&
           a.currency == b.currency && a.watts == b.watts;
}

} // namespace

void TestCalculatorLogic::householdSettingsAreStoredTogether()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QVERIFY(sameHousehold(SettingsLogic::load(db), SettingsLogic::builtIn()));
    QCOMPARE(SettingsLogic::currency(db), QStringLiteral("$"));

    SettingsLogic::Household household;
    household.electricityRate = 0.30;
    household.waterRate = 2.5;
    household.currency = QStringLiteral(" € ");
    household.watts = SettingsLogic::typicalWatts();
    QVERIFY(SettingsLogic::save(db, household));
    // The cost formulas read the same Rates rows; the sign is read anew.
    QCOMPARE(rate(db, QStringLiteral("electricity")), 0.30);
    QCOMPARE(rate(db, QStringLiteral("water")), 2.5);
    QCOMPARE(SettingsLogic::currency(db), QStringLiteral("€"));
    QCOMPARE(SettingsLogic::watts(db, 1), SettingsLogic::typicalWatts()[1]);

    // A missing tariff row is added; the settings outlive the connection.
    QSqlQuery(db).exec(QStringLiteral("DELETE FROM Rates WHERE rateType='water'"));
    household.waterRate = 1.5;
    QVERIFY(SettingsLogic::save(db, household));
    db.close();
    db = Database::open(dir.filePath(QStringLiteral("my.db.sqlite")));
    household.currency = QStringLiteral("€");
    QVERIFY(sameHousehold(SettingsLogic::load(db), household));
    QCOMPARE(rate(db, QStringLiteral("water")), 1.5);

    // All or nothing: a save that fails at its last write (the sign) leaves
    // the tariffs and powers it wrote before as they were.
    QVERIFY(QSqlQuery(db).exec(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON Settings BEGIN SELECT RAISE(ABORT, 'no'); END")));
    SettingsLogic::Household changed = household;
    changed.electricityRate = 0.9;
    changed.currency = QStringLiteral("£");
    changed.watts.fill(10);
    QVERIFY(!SettingsLogic::save(db, changed));
    QVERIFY(sameHousehold(SettingsLogic::load(db), household));
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER refuse")));

    // Without the Rates table nothing else is stored either.
    QSqlQuery(db).exec(QStringLiteral("DROP TABLE Rates"));
    SettingsLogic::Household other = household;
    other.currency = QStringLiteral("£");
    other.watts.fill(10);
    QVERIFY(!SettingsLogic::save(db, other));
    QCOMPARE(SettingsLogic::currency(db), QStringLiteral("€"));
    QCOMPARE(SettingsLogic::load(db).watts, household.watts);
    db.close();
    QVERIFY(!SettingsLogic::save(db, household));
    // A power that cannot be read is not taken for the built-in 1000 W.
    QCOMPARE(SettingsLogic::watts(db, 1), std::optional<int>());
}

void TestCalculatorLogic::badHouseholdInputChangesNothing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("mentions");
    for (const char *field : {"electricity", "water"}) {
        const QString mentions = QLatin1String(field) == QLatin1String("water")
                                     ? QStringLiteral("cubic metre")
                                     : QStringLiteral("kWh");
        for (const char *typed : {"", " ", "0", "0.00", "-0.30", "abc", "0.30 per kWh", "0,30",
                                  "1,0000", "1,000,000.01", "nan", "inf", "1e999"})
            QTest::addRow("%s '%s'", field, typed) << field << typed << mentions;
    }
    for (const char *typed : {"", " \t ", "EURO", "$\x01"})
        QTest::addRow("currency '%s'", typed) << "currency" << typed << "currency";
    for (const char *typed : {"", "0", "-50", "5001", "50.5", "fifty"})
        QTest::addRow("laptop watts '%s'", typed) << "watts" << typed << "laptop";
}

void TestCalculatorLogic::badHouseholdInputChangesNothing()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, mentions);
    QString error;
    // A page that stored what it was given anyway would pass these on.
    SettingsLogic::Household household = SettingsLogic::builtIn();
    if (field == QLatin1String("currency")) {
        error = SettingsLogic::parseCurrency(typed).error;
        household.currency = typed;
    } else if (field == QLatin1String("watts")) {
        error = SettingsLogic::parseWatts(typed, 1).error;
        household.watts[1] = typed.toInt();
    } else {
        const auto tariff = SettingsLogic::parseTariff(typed, field, QLocale::c());
        QVERIFY(!tariff.ok);
        error = tariff.error;
        (field == QLatin1String("water") ? household.waterRate : household.electricityRate) =
            typed.toDouble();
    }
    QVERIFY2(error.contains(mentions), qPrintable(error));

    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    const SettingsLogic::Household before = SettingsLogic::load(db);
    QVERIFY(!SettingsLogic::problem(household).isEmpty());
    QVERIFY(!SettingsLogic::save(db, household));
    QVERIFY(sameHousehold(SettingsLogic::load(db), before));
    QCOMPARE(queryRows(db, "SELECT count(*) FROM AppliancePower"), 0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Settings"), 0);
    QCOMPARE(rate(db, QStringLiteral("electricity")), 0.2287);
    db.close();
}

void TestCalculatorLogic::decimalCommaOnlyWhereTheLocaleWritesOne()
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(SettingsLogic::parseTariff("0,30", "electricity", german).value, 0.30);
    QCOMPARE(SettingsLogic::parseTariff(" 0.30 ", "electricity", german).value, 0.30);
    QCOMPARE(SettingsLogic::parseTariff("0.30", "electricity", english).value, 0.30);
    QVERIFY(!SettingsLogic::parseTariff("0,30", "electricity", english).ok);
    // The example in the message is written as the user would type it.
    QVERIFY(SettingsLogic::parseTariff("", "water", german).error.contains("1,17"));
    QVERIFY(SettingsLogic::parseTariff("", "water", english).error.contains("1.17"));
    QCOMPARE(SettingsLogic::parseWatts(" 50 ", 1).value, 50);
    QCOMPARE(SettingsLogic::parseCurrency(" kr ").value, QStringLiteral("kr"));
    // A budget is kept as plain decimal digits; empty is none.
    QCOMPARE(SettingsLogic::parseBudget(" 40,50 ", false, german).value, QStringLiteral("40.50"));
    QCOMPARE(SettingsLogic::parseBudget("500.000", false, german).value, QStringLiteral("500000"));
    QVERIFY(!SettingsLogic::parseBudget("40,50", false, english).ok);
    QVERIFY(SettingsLogic::parseBudget("", true, english).ok);
    QVERIFY(SettingsLogic::parseBudget("", true, german).error.isEmpty());
}

void TestCalculatorLogic::typedFiguresAsTheLocaleWritesThem_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain"); // empty: refused

    QTest::newRow("en grouped") << "en_US"
                                << "1,234.5"
                                << "1234.5";
    QTest::newRow("en two groups") << "en_US"
                                   << "1,000,000"
                                   << "1000000";
    QTest::newRow("en trailing zero kept") << "en_US"
                                           << "0.30"
                                           << "0.30";
    QTest::newRow("en comma is no decimal") << "en_US"
                                            << "0,30"
                                            << "";
    QTest::newRow("en short group") << "en_US"
                                    << "1,23"
                                    << "";
    QTest::newRow("en long group") << "en_US"
                                   << "1,2345"
                                   << "";
    QTest::newRow("en first group too long") << "en_US"
                                             << "1234,567"
                                             << "";
    QTest::newRow("en exponent") << "en_US"
                                 << "1e6"
                                 << "";
    QTest::newRow("en two points") << "en_US"
                                   << "1.2.3"
                                   << "";
    QTest::newRow("en leading point") << "en_US"
                                      << ".5"
                                      << "0.5";
    QTest::newRow("en lone point") << "en_US"
                                   << "."
                                   << "";
    QTest::newRow("en sign") << "en_US"
                             << " -2 "
                             << "-2";
    QTest::newRow("de grouped and decimal") << "de_DE"
                                            << "1.234,5"
                                            << "1234.5";
    QTest::newRow("de group alone") << "de_DE"
                                    << "1.500"
                                    << "1500";
    QTest::newRow("de budget") << "de_DE"
                               << "500.000"
                               << "500000";
    QTest::newRow("de decimal comma") << "de_DE"
                                      << "0,30"
                                      << "0.30";
    QTest::newRow("de decimal point") << "de_DE"
                                      << "0.30"
                                      << "0.30";
    QTest::newRow("de english grouping") << "de_DE"
                                         << "1,234.5"
                                         << "";
    QTest::newRow("fr blank group") << "fr_FR"
                                    << "1 234,5"
                                    << "1234.5";
    QTest::newRow("zeros") << "en_US"
                           << "007"
                           << "7";
    QTest::newRow("zero") << "en_US"
                          << "0"
                          << "0";
    QTest::newRow("en lakh grouping") << "en_US"
                                      << "1,23,456"
                                      << "";
    QTest::newRow("en millions") << "en_US"
                                 << "12,345,678"
                                 << "12345678";
}

void TestCalculatorLogic::typedFiguresAsTheLocaleWritesThem()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QString, plain);
    const TypedNumber::Number number = TypedNumber::typed(text, QLocale(locale));
    QCOMPARE(number.ok, !plain.isEmpty());
    QCOMPARE(number.plain, plain);
    if (number.ok)
        QCOMPARE(number.value, QLocale::c().toDouble(plain));
    // What a settings message gives as its example is taken.
    QVERIFY(TypedNumber::typed(QLocale(locale).toString(1234.5, 'f', 1), QLocale(locale)).ok);
}

void TestCalculatorLogic::fileFiguresReadTwoWaysAreRefused()
{
    const QList<TypedNumber::Writing> either = {{u'.', u','}, {u',', u'.'}};
    QCOMPARE(TypedNumber::amongWritings("100,5", either).plain, QStringLiteral("100.5"));
    QCOMPARE(TypedNumber::amongWritings("1.234,5", either).plain, QStringLiteral("1234.5"));
    QCOMPARE(TypedNumber::amongWritings("1234", either).plain, QStringLiteral("1234"));
    const TypedNumber::Number twoWays = TypedNumber::amongWritings("1.500", either);
    QVERIFY(!twoWays.ok);
    QCOMPARE(twoWays.readings, QStringLiteral("1.500 or 1500"));
    QVERIFY(TypedNumber::amongWritings("abc", either).readings.isEmpty());
    // Plain text never has an exponent, and is shown with the locale's mark.
    QCOMPARE(TypedNumber::plainText(1e6), QStringLiteral("1000000"));
    QCOMPARE(TypedNumber::plainText(5e-4), QStringLiteral("0.0005"));
    QCOMPARE(TypedNumber::plainText(0.1234567), QStringLiteral("0.1234567"));
    QCOMPARE(TypedNumber::shown("0.30", QLocale(QLocale::German)), QStringLiteral("0,30"));
    // Whole figures refuse a fraction but take a grouping mark.
    QVERIFY(!SettingsLogic::parseWatts("1.5", 0).ok);
    QCOMPARE(SettingsLogic::parseWatts("1,000", 0).value, 1000);
}

// Litres typed in German are stored plain and read the same under any
// language; litres an older version stored as typed read as they always did
// until litres are next stored, which turns them plain.
void TestCalculatorLogic::litresStoredPlainReadInEveryLanguage()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale before;
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    QLocale::setDefault(german);
    // As an older version stored them: a watering of "1.500" and a minute at
    // the tap of "1,5", typed in German.
    QVERIFY(QSqlQuery(db).exec(QStringLiteral(
        "INSERT INTO Settings (key, value) VALUES ('litresLawn', '1.500'), ('litresTap', "
        "'1,5')")));
    QCOMPARE(SettingsLogic::litres(db, 4), std::optional<double>(1500));
    QCOMPARE(SettingsLogic::litres(db, 0), std::optional<double>(1.5));
    // A flush of "6,0" is the first litres stored: the older rows are turned
    // plain with it, and read the same in English.
    QCOMPARE(
        saveTyped(db, {{SettingsLogic::Field(SettingsLogic::FirstLitresField + 5), "6,0"}}, german),
        QString());
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Settings WHERE (key, value) IN (VALUES "
                           "('litresLawn', '1500'), ('litresTap', '1.5'), ('litresToilet', "
                           "'6.0'))"),
             3);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(SettingsLogic::litres(db, 4), std::optional<double>(1500));
    QCOMPARE(SettingsLogic::litres(db, 0), std::optional<double>(1.5));
    QCOMPARE(SettingsLogic::litres(db, 5), std::optional<double>(6));
    QCOMPARE(SettingsLogic::stored(db)->texts[SettingsLogic::FirstLitresField + 4],
             QStringLiteral("1500"));
    // Shown back in German as typed there, the grouping left out.
    const SettingsLogic::Texts written =
        SettingsLogic::written(SettingsLogic::stored(db)->texts, german);
    QCOMPARE(written[SettingsLogic::FirstLitresField + 0], QStringLiteral("1,5"));
    QCOMPARE(written[SettingsLogic::FirstLitresField + 4], QStringLiteral("1500"));
    QCOMPARE(written[SettingsLogic::FirstLitresField + 5], QStringLiteral("6,0"));
    QCOMPARE(written[SettingsLogic::ElectricityRateField], QStringLiteral("0,2287"));
    QCOMPARE(written[SettingsLogic::CurrencyField], QStringLiteral("$"));

    // Typed in German now: "1.500" a shower is 1500 litres under C too,
    // and "1,5" a dish wash reads (the quick day costs with it).
    QCOMPARE(saveTyped(db,
                       {{SettingsLogic::Field(SettingsLogic::FirstLitresField + 3), "1.500"},
                        {SettingsLogic::Field(SettingsLogic::FirstLitresField + 2), "1,5"}},
                       german),
             QString());
    QLocale::setDefault(QLocale::c());
    QCOMPARE(SettingsLogic::litres(db, 3), std::optional<double>(1500));
    QCOMPARE(SettingsLogic::litres(db, 2), std::optional<double>(1.5));
}

// A budget typed with three decimals is taken and reads back in every
// language; a budget of 0 is a budget, not none.
void TestCalculatorLogic::budgetsOfThreeDecimalsAndOfNothing()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QCOMPARE(saveTyped(db,
                       {{SettingsLogic::ElectricityBudgetField, "45,125"},
                        {SettingsLogic::WaterBudgetField, "0"}},
                       QLocale(QLocale::German, QLocale::Germany)),
             QString());
    QCOMPARE(queryRows(db, "SELECT value='45.125' FROM Settings WHERE key='electricityBudget'"), 1);
    QCOMPARE(SettingsLogic::budget(db, false), std::optional<double>(45.125));
    QCOMPARE(SettingsLogic::budget(db, true), std::optional<double>(0));
    const SettingsLogic::Stored now = SettingsLogic::stored(db).value();
    QCOMPARE(now.texts[SettingsLogic::ElectricityBudgetField], QStringLiteral("45.125"));
    QCOMPARE(now.texts[SettingsLogic::WaterBudgetField], QStringLiteral("0"));
    QCOMPARE(now.problems[SettingsLogic::ElectricityBudgetField], QString());
    // Typed so in English.
    QCOMPARE(saveTyped(db, {{SettingsLogic::WaterBudgetField, "12.345"}}, QLocale::c()), QString());
    QCOMPARE(SettingsLogic::budget(db, true), std::optional<double>(12.345));
}

// A standing charge is 0 until one is typed; "0,40" typed in German is
// stored "0.40" and shown back as typed; a negative one is refused, a stored
// one that does not read is no figure.
void TestCalculatorLogic::standingChargesStoredAsTyped()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QCOMPARE(SettingsLogic::standingCharge(db, false), std::optional<double>(0));
    QCOMPARE(SettingsLogic::stored(db)->texts[SettingsLogic::WaterStandingField],
             QStringLiteral("0"));
    const QLocale german(QLocale::German, QLocale::Germany);
    QCOMPARE(saveTyped(db, {{SettingsLogic::ElectricityStandingField, "0,40"}}, german), QString());
    QCOMPARE(queryRows(db, "SELECT value='0.40' FROM Settings WHERE "
                           "key='electricityStandingCharge'"),
             1);
    QCOMPARE(SettingsLogic::standingCharge(db, false), std::optional<double>(0.4));
    QCOMPARE(SettingsLogic::written(SettingsLogic::stored(db)->texts,
                                    german)[SettingsLogic::ElectricityStandingField],
             QStringLiteral("0,40"));
    QVERIFY(!saveTyped(db, {{SettingsLogic::WaterStandingField, "-0.10"}}, QLocale::c()).isEmpty());
    QVERIFY(!saveTyped(db, {{SettingsLogic::WaterStandingField, ""}}, QLocale::c()).isEmpty());
    QCOMPARE(SettingsLogic::standingCharge(db, true), std::optional<double>(0));
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("INSERT INTO Settings (key, value) VALUES ('waterStandingCharge', 'abc')")));
    QCOMPARE(SettingsLogic::standingCharge(db, true), std::optional<double>());
    QVERIFY(!SettingsLogic::stored(db)->problems[SettingsLogic::WaterStandingField].isEmpty());
    QCOMPARE(SettingsLogic::load(db).electricityStandingCharge, QStringLiteral("0.40"));
}

// "View All!": every appliance the household has, its own heater too; a
// built-in one it has none of is not listed, unless the day has a cost of it.
void TestCalculatorLogic::breakdownListsTheAppliancesOwned()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QCOMPARE(saveTyped(db,
                       {{SettingsLogic::FirstCountField, "0"},
                        {SettingsLogic::Field(SettingsLogic::FirstCountField + 2), "0"}},
                       QLocale::c()),
             QString());
    QString error;
    const int heater = SettingsLogic::addOwnAppliance(db, "heater", "2000", 1, &error);
    const int oven = SettingsLogic::addOwnAppliance(db, "oven", "2000", 1, &error);
    QVERIFY(SettingsLogic::removeOwnAppliance(db, oven));
    // The heater's 2 h at 2000 W: 4 kWh at 0.2287, 0.9148; the fan (none
    // now) was recorded that day at 1000 W for 1 h, 0.2287.
    const QString key = QStringLiteral("01/12/2026");
    QVERIFY(recordWholeDay(db, key, {{2, 1, 1000, 1}}, {}, {}, {{heater, 2, 2000, 1}}));
    const QList<SettingsLogic::DayItem> items =
        SettingsLogic::dayItems(db, electricityDay(db, key)).value();
    QStringList names;
    for (const SettingsLogic::DayItem &item : items)
        names.append(item.name);
    QCOMPARE(names,
             QStringList({"laptop", "fan", "lights", "DVD player", "TV", "washing machine",
                          "hair dryer", "microwave", "rice cooker", "refrigerator", "heater"}));
    QCOMPARE(items.last().cost, 0.9148);
    QCOMPARE(items.last().item, ownItem(heater));
    QCOMPARE(items.at(1).cost, 0.2287);
}

// A new day is filled in from the same weekday a week before when that day
// was recorded (a Tuesday from last Tuesday, not from the Monday between),
// else from the latest recorded day before; a day of costs only is not
// recorded answers.
void TestCalculatorLogic::filledInFromTheSameWeekday()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    const QDate tuesday(2026, 12, 8);
    QCOMPARE(fillInDay(db, tuesday).day, QDate());
    QCOMPARE(fillInDay(db, tuesday, FillFrom::LatestDay).day, QDate());
    // Tuesday 24 November, Tuesday 1 December (the month's first day) and
    // Monday 7 December are recorded; Wednesday 2 December has costs only.
    for (const char *key : {"24/11/2026", "01/12/2026", "07/12/2026"})
        QVERIFY(recordAppliance(db, QLatin1String(key), 1, 3));
    QVERIFY(upsertDay(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"),
                      QStringLiteral("02/12/2026"), {{QStringLiteral("valOfFan"), "0.5"}}));
    FillInDay from = fillInDay(db, tuesday);
    QCOMPARE(from.day, QDate(2026, 12, 1));
    QVERIFY(from.weekBefore);
    from = fillInDay(db, tuesday, FillFrom::LatestDay);
    QCOMPARE(from.day, QDate(2026, 12, 7));
    QVERIFY(!from.weekBefore);
    from = fillInDay(db, QDate(2026, 12, 1));
    QCOMPARE(from.day, QDate(2026, 11, 24));
    QVERIFY(from.weekBefore);
    // No Wednesday recorded the week before: the Tuesday between.
    from = fillInDay(db, tuesday.addDays(1));
    QCOMPARE(from.day, tuesday.addDays(-1));
    QVERIFY(!from.weekBefore);
    // A week with nothing recorded before the Tuesday: the month before.
    from = fillInDay(db, QDate(2026, 12, 1).addDays(-1));
    QCOMPARE(from.day, QDate(2026, 11, 24));
    QVERIFY(!from.weekBefore);
}

// Answers read back as their boxes ask them: minutes as minutes, hours and
// uses with their units, for built-in and own appliances alike.
void TestCalculatorLogic::answersShownAsAsked()
{
    QCOMPARE(answerText(QStringLiteral("valOfHairDryer"), 0.25), QStringLiteral("15 min"));
    QCOMPARE(answerText(QStringLiteral("valOfFan"), 0.5), QStringLiteral("30 min"));
    QCOMPARE(answerText(ownItem(3), 0.75), QStringLiteral("45 min"));
    QCOMPARE(answerText(QStringLiteral("valOfLaptop"), 2), QStringLiteral("2 h"));
    QCOMPARE(answerText(ownItem(3), 1.5), QStringLiteral("1.5 h"));
    QCOMPARE(answerText(QStringLiteral("amtOfWashingMachineUsed"), 1), QStringLiteral("1 load"));
    QCOMPARE(answerText(QStringLiteral("amtOfWashingMachineUsed"), 2), QStringLiteral("2 loads"));
    QCOMPARE(answerText(QStringLiteral("amtOfTapUsed"), 15), QStringLiteral("15 min each"));
}

QTEST_GUILESS_MAIN(TestCalculatorLogic)
#include "tst_calculatorlogic.moc"

// "Same as the last recorded day": the latest earlier day, never the chosen
// day itself; both kinds and the family replace the day's own answers, each
// activity costed with its own factor; all in one transaction.
void TestCalculatorLogic::sameAsTheLastRecordedDay()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("UPDATE Rates SET rateAmt='0.5' WHERE rateType='electricity'")));
    QVERIFY(
        QSqlQuery(db).exec(QStringLiteral("UPDATE Rates SET rateAmt='2' WHERE rateType='water'")));
    const QDate chosen(2026, 12, 6);
    const QString key = CalculatorLogic::dayKey(chosen);
    const QString last = CalculatorLogic::dayKey(chosen.addDays(-1));
    QVERIFY(recordAppliance(db, CalculatorLogic::dayKey(chosen.addDays(-3)), 2, 5));
    QVERIFY(recordAppliance(db, last, 0, 2)); // 2 h of the air conditioner at 1000 W
    QVERIFY(recordWater(db, last,
                        {{QStringLiteral("amtOfLawnUsed"), 2, lawnFactor},
                         {QStringLiteral("amtOfToiletBowlUsed"), 10, toiletFactor}},
                        {{QStringLiteral("noOfFamilyMem"), QStringLiteral("3")}}));
    // The chosen day's own answers: a fan and a tap.
    QVERIFY(recordAppliance(db, key, 2, 4));
    QVERIFY(recordWater(db, key, {{QStringLiteral("amtOfTapUsed"), 10, tapFactor}}));
    QCOMPARE(lastAnsweredDay(db, chosen), chosen.addDays(-1));
    // After a gap: 62 days back, then 63, past a key that is no date and the
    // day itself.
    for (const QString &odd : {QStringLiteral("31/02/2027"), QStringLiteral("07/02/2027")}) {
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO DayUsage (dayKey, item) VALUES (?, 'x')"));
        insert.addBindValue(odd);
        QVERIFY(insert.exec());
    }
    QCOMPARE(lastAnsweredDay(db, QDate(2027, 2, 6)), chosen);
    QCOMPARE(lastAnsweredDay(db, QDate(2027, 2, 7)), chosen);
    QCOMPARE(dayHasAnswers(db, key), std::optional<bool>(true));
    QCOMPARE(dayHasAnswers(db, CalculatorLogic::dayKey(chosen.addDays(-2))),
             std::optional<bool>(false));

    ApplianceFigures watts;
    ApplianceFigures counts;
    watts.fill(1000);
    counts.fill(1);
    WaterFactors factors;
    std::copy(std::begin(waterFactors), std::end(waterFactors), factors.begin());
    // A failing water write leaves the day's electricity as it was.
    QVERIFY(QSqlQuery(db).exec(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON waterDiary BEGIN SELECT RAISE(ABORT, 'no'); END")));
    QVERIFY(!copyAnswers(db, last, key, watts, counts, factors));
    QCOMPARE(electricityDay(db, key).costs[2], 2.0);
    QCOMPARE(electricityDay(db, key).costs[0], 0.0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM DayUsage WHERE dayKey='06/12/2026'"), 2);
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER refuse")));

    const std::optional<CopiedAnswers> copied = copyAnswers(db, last, key, watts, counts, factors);
    QVERIFY(copied);
    QCOMPARE(copied->appliances, 1);
    QCOMPARE(copied->activities, 2);
    QCOMPARE(copied->members, QStringLiteral("3"));
    const ElectricityDay electricity = electricityDay(db, key);
    QCOMPARE(electricity.costs[0], 1.0); // 2 h x 1000 W x 0.5
    QCOMPARE(electricity.costs[2], 0.0); // the fan is replaced
    const WaterDay water = waterDay(db, key);
    QCOMPARE(water.members, 3.0);
    QCOMPARE(water.costs[0], 0.0);     // the tap is replaced
    QCOMPARE(water.costs[4], 1.81844); // 2 mowings x 0.45461 x 2
    QCOMPARE(water.costs[5], 0.32);    // 10 flushes x 0.016 x 2
    QCOMPARE(queryRows(db, "SELECT count(*) FROM DayUsage WHERE dayKey='06/12/2026'"), 3);
    // The chosen day itself is never the source.
    QVERIFY(!copyAnswers(db, key, key, watts, counts, factors));
}

// Tariffs and budgets are stored as plain decimal numbers with the digits
// typed and shown back so; budgets stored as typed by an older version
// still read; a cleared budget is removed.
void TestCalculatorLogic::typedFiguresComeBackAsTyped()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    const QLocale german(QLocale::German, QLocale::Germany);
    using SettingsLogic::Texts;
    const Texts shown = SettingsLogic::stored(db)->texts;
    Texts typed = shown;
    typed[SettingsLogic::ElectricityRateField] = QStringLiteral("0,30");
    typed[SettingsLogic::WaterRateField] = QStringLiteral("1.000.000");
    typed[SettingsLogic::ElectricityBudgetField] = QStringLiteral("1.234,50");
    QString error;
    QVERIFY2(SettingsLogic::saveChanged(db, shown, typed, &error, german), qPrintable(error));
    QCOMPARE(queryRows(db, "SELECT rateAmt='0.30' FROM Rates WHERE rateType='electricity'"), 1);
    QCOMPARE(queryRows(db, "SELECT rateAmt='1000000' FROM Rates WHERE rateType='water'"), 1);
    QCOMPARE(queryRows(db, "SELECT value='1234.50' FROM Settings WHERE key='electricityBudget'"),
             1);
    Texts now = SettingsLogic::stored(db)->texts;
    QCOMPARE(now[SettingsLogic::ElectricityRateField], QStringLiteral("0.30"));
    QCOMPARE(now[SettingsLogic::WaterRateField], QStringLiteral("1000000"));
    QCOMPARE(now[SettingsLogic::ElectricityBudgetField], QStringLiteral("1234.50"));
    QCOMPARE(SettingsLogic::budget(db, false), 1234.5);

    // Seven decimals are kept exactly.
    typed = now;
    typed[SettingsLogic::ElectricityRateField] = QStringLiteral("0.1234567");
    typed[SettingsLogic::ElectricityBudgetField] = QString();
    QVERIFY(SettingsLogic::saveChanged(db, now, typed, &error, QLocale::c()));
    QCOMPARE(rate(db, QStringLiteral("electricity")), 0.1234567);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Settings WHERE key='electricityBudget'"), 0);
    QCOMPARE(SettingsLogic::budget(db, false), std::nullopt);

    // Budgets an older version stored as typed.
    QVERIFY(QSqlQuery(db).exec(QStringLiteral(
        "INSERT OR REPLACE INTO Settings (key, value) VALUES ('waterBudget', '40,50')")));
    QCOMPARE(SettingsLogic::budget(db, true), 40.5);
    QVERIFY(QSqlQuery(db).exec(QStringLiteral(
        "INSERT OR REPLACE INTO Settings (key, value) VALUES ('waterBudget', '1,500')")));
    QCOMPARE(SettingsLogic::budget(db, true), std::nullopt);
    QVERIFY(!SettingsLogic::stored(db)->problems[SettingsLogic::WaterBudgetField].isEmpty());
}

// A whole day is stored in one transaction or not at all; the household's
// own litres of a fixture are stored as typed and refused when not sound.
void TestCalculatorLogic::wholeDayAndFixtureLitres()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    const QString key = QStringLiteral("31/12/2026");
    // Its second write, the fan's answer, fails: nothing of the day is kept.
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON DayUsage WHEN NEW.item='valOfFan' "
                       "BEGIN SELECT RAISE(ABORT, 'no'); END")));
    const QList<ApplianceAnswer> appliances = {{1, 2, 50, 1}, {2, 1, 75, 2}};
    const QList<WaterAnswer> water = {{QStringLiteral("amtOfShowerUsed"), 2, 0.06}};
    const ColumnValues members = {{QStringLiteral("noOfFamilyMem"), QStringLiteral("3")}};
    QVERIFY(!recordWholeDay(db, key, appliances, water, members));
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Diary"), 0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM DayUsage"), 0);
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER refuse")));
    QVERIFY(recordWholeDay(db, key, appliances, water, members));
    const DayAnswers day = dayAnswers(db, key);
    QCOMPARE(day.amounts.value(QStringLiteral("valOfFan")), 1.0);
    QCOMPARE(day.amounts.value(QStringLiteral("amtOfShowerUsed")), 2.0);
    QCOMPARE(day.members, std::optional<double>(3));
    // 2 x 75 W for 1 h at 0.2287: 0.15 kWh, 0.034305; two showers of 60
    // litres at 1.17 a cubic metre: 0.1404.
    QCOMPARE(electricityDay(db, key).costs[2], 0.034305);
    QCOMPARE(waterDay(db, key).costs[3], 0.1404);

    // Built in: 160 litres a shower, 454.61 a watering; typed " 60.50" is
    // kept as typed.
    QCOMPARE(SettingsLogic::litres(db, 3), std::optional<double>(160));
    QCOMPARE(SettingsLogic::litres(db, 4), std::optional<double>(454.61));
    SettingsLogic::Texts shown = SettingsLogic::stored(db)->texts;
    SettingsLogic::Texts typed = shown;
    typed[SettingsLogic::FirstLitresField + 3] = QStringLiteral(" 60.50");
    QString error;
    QVERIFY(SettingsLogic::saveChanged(db, shown, typed, &error));
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Settings WHERE key='litresShower' AND "
                           "value='60.50'"),
             1);
    QCOMPARE(SettingsLogic::litres(db, 3), std::optional<double>(60.5));
    shown = typed;
    for (const char *bad : {"0", "-1", "10001", "abc", ""}) {
        typed[SettingsLogic::FirstLitresField + 5] = QLatin1String(bad);
        QVERIFY2(!SettingsLogic::saveChanged(db, shown, typed, &error), bad);
        QVERIFY(error.contains(QLatin1String("a flush")));
    }
    QCOMPARE(SettingsLogic::litres(db, 5), std::optional<double>(16));
    // A lawn of 0 litres is no lawn; no lawn takes less than none.
    typed = shown;
    typed[SettingsLogic::FirstLitresField + SettingsLogic::lawnActivity] = QStringLiteral("0");
    QVERIFY(SettingsLogic::saveChanged(db, shown, typed, &error));
    QCOMPARE(SettingsLogic::litres(db, 4), std::optional<double>(0));
    shown = typed;
    typed[SettingsLogic::FirstLitresField + SettingsLogic::lawnActivity] = QStringLiteral("-1");
    QVERIFY(!SettingsLogic::saveChanged(db, shown, typed, &error));
    QVERIFY(error.contains(QLatin1String("from 0 (no lawn)")));
    // A stored figure that is not sound is not counted with.
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("UPDATE Settings SET value='lots' WHERE key='litresShower'")));
    QCOMPARE(SettingsLogic::litres(db, 3), std::optional<double>());
    QVERIFY(!SettingsLogic::stored(db)->problems[SettingsLogic::FirstLitresField + 3].isEmpty());
}

// Twenty own appliances at most; one recorded fails whole at its second
// write; the copy of a day counts the household's litres and today's own
// appliances, leaving out a removed one.
void TestCalculatorLogic::ownAppliancesAndTheCopy()
{
    QTemporaryDir dir;
    QSqlDatabase db = seededDatabase(dir);
    QString error;
    for (int i = 1; i <= SettingsLogic::maximumOwnAppliances; ++i)
        QCOMPARE(SettingsLogic::addOwnAppliance(db, QStringLiteral("oven %1").arg(i),
                                                QStringLiteral("2000"), 1, &error),
                 i);
    QCOMPARE(SettingsLogic::addOwnAppliance(db, "heater", "2000", 1, &error), 0);
    QVERIFY(error.contains(QLatin1String("20 appliances")));
    QVERIFY(SettingsLogic::removeOwnAppliance(db, 20));
    QCOMPARE(SettingsLogic::addOwnAppliance(db, " OVEN 1 ", "2000", 1, &error), 0);
    QVERIFY(error.contains(QLatin1String("already")));
    QCOMPARE(SettingsLogic::addOwnAppliance(db, "heater", "5001", 1, &error), 0);
    QCOMPARE(SettingsLogic::addOwnAppliance(db, QString(31, QLatin1Char('x')), "5", 1, &error), 0);
    QCOMPARE(SettingsLogic::addOwnAppliance(db, "heater", "2000", 1, &error), 21);
    // An emoji joined of three is a name; a hidden direction change is not.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467 fridge");
    QVERIFY(SettingsLogic::removeOwnAppliance(db, 19));
    QCOMPARE(SettingsLogic::addOwnAppliance(db, family, "150", 1, &error), 22);
    QCOMPARE(CalculatorLogic::ownAppliances(db)->last().name, family);
    QVERIFY(SettingsLogic::removeOwnAppliance(db, 18));
    QCOMPARE(SettingsLogic::addOwnAppliance(db, "\u202Eregdirf", "150", 1, &error), 0);

    const QString key = QStringLiteral("01/12/2026");
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON OwnApplianceDay BEGIN SELECT "
                       "RAISE(ABORT, 'no'); END")));
    const QList<OwnAnswer> own = {{21, 2, 2000, 1}};
    QVERIFY(!recordWholeDay(db, key, {}, {}, {}, own));
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Diary"), 0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM DayUsage"), 0);
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER refuse")));
    // Own appliances only, with a tariff that does not read: nothing either.
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("UPDATE Rates SET rateAmt='abc' WHERE rateType='electricity'")));
    QVERIFY(!recordWholeDay(db, key, {}, {}, {}, own));
    QCOMPARE(queryRows(db, "SELECT count(*) FROM Diary"), 0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM DayUsage"), 0);
    QCOMPARE(queryRows(db, "SELECT count(*) FROM OwnApplianceDay"), 0);
    QVERIFY(QSqlQuery(db).exec(
        QStringLiteral("UPDATE Rates SET rateAmt='0.2287' WHERE rateType='electricity'")));
    // 2000 W for 2 h: 4 kWh at 0.2287, 0.9148; two showers of the built-in
    // 160 litres at 1.17 a cubic metre, 0.3744.
    QVERIFY(recordWholeDay(db, key, {}, {{QStringLiteral("amtOfShowerUsed"), 2, showerFactor}},
                           {{QStringLiteral("noOfFamilyMem"), QStringLiteral("1")}}, own));
    QCOMPARE(electricityDay(db, key).own.value(21), 0.9148);
    QCOMPARE(waterDay(db, key).costs[3], 0.3744);
    QCOMPARE(dayCost(diaryRows(db, false)->value(0), false), 0.9148);
    QCOMPARE(usageOfDays(db)->value(key).kWh, std::optional<double>(4));

    // Copied with the household's 60 litres a shower and the heater now of
    // 1000 W: 0.1404 and 0.4574.
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE OwnAppliance SET watts=1000 WHERE id=21")));
    ApplianceFigures figures;
    const WaterFactors litres{0.01, 0.05, 0.015, 0.06, 0.5, 0.006};
    QVERIFY(!copyAnswers(db, key, QStringLiteral("02/12/2026"), figures, figures,
                         WaterFactors{0.01, 0.05, 0.015, std::nullopt, 0.5, 0.006}));
    QVERIFY(copyAnswers(db, key, QStringLiteral("02/12/2026"), figures, figures, litres));
    QCOMPARE(waterDay(db, QStringLiteral("02/12/2026")).costs[3], 0.1404);
    QCOMPARE(electricityDay(db, QStringLiteral("02/12/2026")).own.value(21), 0.4574);
    QVERIFY(SettingsLogic::removeOwnAppliance(db, 21));
    QVERIFY(copyAnswers(db, key, QStringLiteral("03/12/2026"), figures, figures, litres));
    QVERIFY(electricityDay(db, QStringLiteral("03/12/2026")).own.isEmpty());
    QCOMPARE(electricityDay(db, key).own.value(21), 0.9148);
}
