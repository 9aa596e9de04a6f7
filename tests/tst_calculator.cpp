// The energy and water calculator driven as a user drives it: buttons clicked
// by name, combo items picked, minutes typed; then the pages and the database
// are read back.
#include "app/clock.h"
#include "app/history/historychart.h"
#include "app/history/historylogic.h"
#include "app/household/calculatorlogic.h"
#include "app/household/meterlogic.h"
#include "app/household/settingslogic.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCalendarWidget>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStackedBarSeries>
#include <QStyleOptionSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <cstdio>
#include <memory>

namespace {

const QDate day1(2026, 12, 6);
const QDate day2(2026, 12, 7);
const QString key1 = QStringLiteral("06/12/2026");
const QString key2 = QStringLiteral("07/12/2026");

const QStringList applianceColumns = {"valOfAirCon",         "valOfLaptop",      "valOfFan",
                                      "valOfLights",         "valOfDvdPlayer",   "valOfLcdTv",
                                      "valOfWashingMachine", "valOfHairDryer",   "valOfMicrowave",
                                      "valOfRiceCooker",     "valOfRefrigerator"};

QString printed(const char *format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromLatin1(buffer);
}

// Every column of a stored row by name; empty when there is no row.
QVariantMap storedRow(const QString &table, const QString &keyColumn, const QString &key)
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2=?").arg(table, keyColumn));
    query.addBindValue(key);
    QVariantMap row;
    if (query.exec() && query.next()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), query.value(i));
    }
    return row;
}

int rowCount(const QString &table)
{
    return queryValue(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}

void execute(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.prepare(sql));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(sql));
}

// The paragraphs of a text box, as the user reads them.
QStringList paragraphs(QTextBrowser *box)
{
    QStringList lines;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void applianceAnswerStoresTheDaysCost_data();
    void applianceAnswerStoresTheDaysCost();
    void firstAnswerCreatesTheRowLaterAnswersUpdateIt();
    void everyApplianceWritesItsOwnColumn();
    void withoutElectricityTariffEveryCostIsZero();
    void newDayStartsANewRow();
    void laptopFirstAsksLaptopThenFanThenRooms();
    void roomsLeadToTheirAppliancesAndBack_data();
    void roomsLeadToTheirAppliancesAndBack();
    void introCardOnTheIntroductionOnly();
    void frameButtons();
    void answerWhileAnotherProgramHoldsTheFile();
    void unusableDataFileIsSaidWithoutARetry();

    void tapAnswerStoresCostAndMembers_data();
    void tapAnswerStoresCostAndMembers();
    void tapMinutesAcceptOnlyWholeNumbersUpTo9999();
    void waterSequenceStoresEachPage();
    void waterSequenceTwiceKeepsOneRow();
    void withoutWaterTariffEveryCostIsZero();
    void waterDateChangeStartsANewRowWithThatPageOnly();

    void electricityDiaryShowsTotalAndBreakdown();
    void electricityDiaryListsTheAppliancesOwned();
    void electricityDiaryTipsFollowTheAppliances();
    void electricityDiaryAllNotApplicable();
    void electricityDiaryEmpty();
    void electricityDiaryShowsTheFirstDayAtOnce();
    void electricityDiaryDayChangeRefreshesTheBreakdown();
    void electricityDiaryAgainShowsWhatWasStoredSince();

    void waterDiaryShowsTotalAndBreakdown();
    void waterDiaryWithoutMembersCostsNothing();
    void waterDiarySixTipsInOrder();
    void waterDiaryEmpty();
    void waterDiaryDayChangeRefreshesTheBreakdown();

    void householdSettingsPriceNewAnswersOnly();
    void settingsPageStoresAndReturns();
    void badSettingsStoreNothing_data();
    void badSettingsStoreNothing();
    void currencySignShowsAsTypedEverywhere_data();
    void currencySignShowsAsTypedEverywhere();
    void costThatIsNotFiniteStoresNothing();
    void settingsUnreadOverwriteNothing();
    void unsoundStoredTariffIsNamed();
    void busyDiariesSaySo();
    void minutesAndCountsAreCountedAndShown();
    void anyDayAndSameAsTheLastDay();
    void recordDayCalendarByFinger();
    void quickDayInFourTaps();
    void familyOfTheQuickDayKeptByTheTapPage();
    void quickDayFilledByTheWeekday();
    void countOfNoneSteppedToOnTheSettingsPage();
    void ownApplianceRecordedRankedAndExported();
    void ownApplianceNamedAsTyped();
    void meterReadingsThroughThePage();
    void removedMeterReadingPutBackAsStored();
    void goAheadImportsTheRowsAsked();
    void importPageAsksWhatTheFileLeavesOpen();
    void successLooksLikeSuccess();

    void historyShowsTotalsChartAndExports();
    void spendingNamesStayWithinTheChart();
    void historyComparesRanksAndWarns();
    void whereItWentShowsNamesAndSignsAsTyped();

    void textsFitTheirWidgets();

private:
    void openCalculator();
    void click(const char *name);
    void pick(const char *combo, const QString &text);
    void tapItem(const char *combo, const QString &text);
    void chooseMeterFile(const QString &path, const QByteArray &bytes);
    void answerAppliance(const char *room, const char *appliance, const char *combo,
                         const QString &hours, const char *ok);
    void answerWaterSequence(const QString &minutes, const QString &members,
                             const QString &washingMachine, const QString &dishes,
                             const QString &showers, const QString &flushes,
                             const QString &mowings);
    template<typename T> T *widget(const char *name)
    {
        T *found = child<T>(window.get(), name);
        if (!found)
            qFatal("missing widget %s", name);
        return found;
    }
    QString labelText(const char *name) { return widget<QLabel>(name)->text(); }
    bool shown(const char *name) { return widget<QWidget>(name)->isVisible(); }

    std::unique_ptr<TemporaryHome> home;
    std::unique_ptr<MainWindow> window;
};

void TestCalculator::init()
{
    Clock::setToday(day1);
    home = std::make_unique<TemporaryHome>();
    window = std::make_unique<MainWindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestCalculator::cleanup()
{
    window.reset();
    home.reset();
    Clock::setToday(QDate());
}

// Clicks a button the user can see.
void TestCalculator::click(const char *name)
{
    auto *button = widget<QAbstractButton>(name);
    QVERIFY2(button->isVisible(), name);
    QVERIFY2(clickButton(window.get(), name), name);
}

void TestCalculator::pick(const char *combo, const QString &text)
{
    auto *box = widget<QComboBox>(combo);
    QVERIFY2(box->isVisible(), combo);
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
}

// Taps text in combo's list, as a finger does: the list opens, the item is
// tapped.
void TestCalculator::tapItem(const char *combo, const QString &text)
{
    auto *box = widget<QComboBox>(combo);
    QVERIFY2(box->isVisible() && box->isEnabled(), combo);
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->showPopup();
    QAbstractItemView *view = box->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(box->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
}

// Writes bytes to the file at path, chooses it in the meters page's import
// dialog, and waits for the import page to show it.
void TestCalculator::chooseMeterFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    click("push_importMeterReadings");
    auto *dialog = window->findChild<QFileDialog *>("dialog_importMeterReadings");
    QVERIFY(dialog);
    dialog->selectFile(path);
    QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));
    QTRY_VERIFY(!labelText("lb_importMessage").startsWith(QLatin1String("Reading")));
}

void TestCalculator::openCalculator()
{
    QCOMPARE(contentPage(window.get()), 2);
    click("push_ecoCal");
    QCOMPARE(contentPage(window.get()), 5);
    QCOMPARE(calculatorPage(window.get()), 0);
}

void TestCalculator::answerAppliance(const char *room, const char *appliance, const char *combo,
                                     const QString &hours, const char *ok)
{
    if (contentPage(window.get()) != 5)
        openCalculator();
    click("push_vozAvaviButton");
    QCOMPARE(calculatorPage(window.get()), 26);
    click("push_vozAvaviElectricityIcon");
    QCOMPARE(calculatorPage(window.get()), 1);
    click(room);
    click(appliance);
    pick(combo, hours);
    click(ok);
}

void TestCalculator::answerWaterSequence(const QString &minutes, const QString &members,
                                         const QString &washingMachine, const QString &dishes,
                                         const QString &showers, const QString &flushes,
                                         const QString &mowings)
{
    if (contentPage(window.get()) != 5)
        openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    QCOMPARE(calculatorPage(window.get()), 19);
    auto *tap = widget<QLineEdit>("le_tapAmt");
    tap->clear();
    QTest::keyClicks(tap, minutes);
    pick("comboBox_familyMem", members);
    click("push_tapOK");
    QCOMPARE(calculatorPage(window.get()), 20);
    pick("comboBox_washingMachineWater", washingMachine);
    click("push_washingMachineWaterOK");
    QCOMPARE(calculatorPage(window.get()), 21);
    pick("comboBox_dishWashingWater", dishes);
    click("push_dishWashingWaterOK");
    QCOMPARE(calculatorPage(window.get()), 22);
    pick("comboBox_showerWater", showers);
    pick("comboBox_toiletWater", flushes);
    click("push_showerNtoiletOK");
    QCOMPARE(calculatorPage(window.get()), 23);
    pick("comboBox_lawnWater", mowings);
    click("push_lawnOK");
    QCOMPARE(calculatorPage(window.get()), 25);
}

// Electricity entry -----------------------------------------------------------

void TestCalculator::applianceAnswerStoresTheDaysCost_data()
{
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1 hour") << "1"
                            << "0.2287";
    QTest::newRow("5 hours") << "5"
                             << "1.1435";
    QTest::newRow("10 hours") << "10"
                              << "2.287";
    QTest::newRow("24 hours") << "24"
                              << "5.4888";
    QTest::newRow("N.A") << "N.A"
                         << "0";
}

void TestCalculator::applianceAnswerStoresTheDaysCost()
{
    QFETCH(QString, hours);
    QFETCH(QString, stored);
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", hours, "push_airConOK");
    // The answer is recorded and the laptop question follows, "N.A" included.
    QCOMPARE(calculatorPage(window.get()), 4);
    const QVariantMap row = storedRow("Diary", "retrieveDate", key1);
    QCOMPARE(row.value("valOfAirCon").toString(), stored);
    const double rate = 0.2287;
    QCOMPARE(row.value("valOfAirCon").toString(),
             printed("%g", hours.toDouble() * 1000 / 1000 * rate));
}

void TestCalculator::firstAnswerCreatesTheRowLaterAnswersUpdateIt()
{
    answerAppliance("push_livingRoom", "push_lights", "comboBox_lights", "3", "push_lightsOK");
    QCOMPARE(rowCount("Diary"), 1);
    QVariantMap row = storedRow("Diary", "retrieveDate", key1);
    QCOMPARE(row.value("retrieveDate").toString(), key1);
    for (const QString &column : applianceColumns) {
        if (column == QLatin1String("valOfLights"))
            QCOMPARE(row.value(column).toString(), QStringLiteral("0.6861"));
        else
            QVERIFY2(row.value(column).isNull(), qPrintable(column));
    }

    // Answering again replaces the value in the same row; "N.A" stores 0.
    answerAppliance("push_livingRoom", "push_lights", "comboBox_lights", "10", "push_lightsOK");
    QCOMPARE(rowCount("Diary"), 1);
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfLights").toString(),
             QStringLiteral("2.287"));
    answerAppliance("push_livingRoom", "push_lights", "comboBox_lights", "N.A", "push_lightsOK");
    QCOMPARE(rowCount("Diary"), 1);
    row = storedRow("Diary", "retrieveDate", key1);
    QCOMPARE(row.value("valOfLights").toString(), QStringLiteral("0"));
    QVERIFY(row.value("valOfAirCon").isNull());
}

void TestCalculator::everyApplianceWritesItsOwnColumn()
{
    // Each room answered through, each appliance with its own number of hours.
    struct Step
    {
        const char *open, *combo, *ok;
        QString hours;
        int next;
    };
    const struct Room
    {
        const char *button;
        QList<Step> steps;
    } rooms[] = {
        {"push_bedroom",
         {{"push_airCon", "comboBox_airCon", "push_airConOK", "1", 4},
          {nullptr, "comboBox_laptop", "push_laptopOK", "2", 5},
          {nullptr, "comboBox_fan", "push_fanOK", "3", 1}}},
        {"push_livingRoom",
         {{"push_lights", "comboBox_lights", "push_lightsOK", "4", 8},
          {nullptr, "comboBox_dvdPlayer", "push_dvdPlayerOK", "5", 9},
          {nullptr, "comboBox_lcdTv", "push_lcdTvOK", "6", 1}}},
        {"push_toilet",
         {{"push_washingMachine", "comboBox_washingMachine", "push_washingMachineOK", "7", 12},
          {nullptr, "comboBox_hairDryer", "push_hairDryerOK", "8", 1}}},
        {"push_kitchen",
         {{"push_microwave", "comboBox_microwave", "push_microwaveOK", "9", 15},
          {nullptr, "comboBox_riceCooker", "push_riceCookerOK", "10", 16},
          {nullptr, "comboBox_refrigerator", "push_refrigeratorOK", "11", 1}}},
    };
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviElectricityIcon");
    for (const Room &room : rooms) {
        click(room.button);
        for (const Step &step : room.steps) {
            if (step.open)
                click(step.open);
            pick(step.combo, step.hours);
            click(step.ok);
            QCOMPARE(calculatorPage(window.get()), step.next);
        }
    }
    QCOMPARE(rowCount("Diary"), 1);
    const QVariantMap row = storedRow("Diary", "retrieveDate", key1);
    for (int i = 0; i < applianceColumns.size(); ++i)
        QCOMPARE(row.value(applianceColumns.at(i)).toString(), printed("%g", (i + 1) * 0.2287));
}

void TestCalculator::withoutElectricityTariffEveryCostIsZero()
{
    execute("DELETE FROM Rates WHERE rateType=?", {"electricity"});
    answerAppliance("push_kitchen", "push_microwave", "comboBox_microwave", "24",
                    "push_microwaveOK");
    QCOMPARE(calculatorPage(window.get()), 15);
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfMicrowave").toString(),
             QStringLiteral("0"));
}

void TestCalculator::newDayStartsANewRow()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    QCOMPARE(calculatorPage(window.get()), 4);
    // Midnight passes while the laptop question is on screen.
    Clock::setToday(day2);
    pick("comboBox_laptop", "2");
    click("push_laptopOK");
    QCOMPARE(rowCount("Diary"), 2);

    const QVariantMap yesterday = storedRow("Diary", "retrieveDate", key1);
    QCOMPARE(yesterday.value("valOfAirCon").toString(), QStringLiteral("1.1435"));
    QVERIFY(yesterday.value("valOfLaptop").isNull());
    const QVariantMap today = storedRow("Diary", "retrieveDate", key2);
    QCOMPARE(today.value("valOfLaptop").toString(), QStringLiteral("0.4574"));
    QVERIFY(today.value("valOfAirCon").isNull());
    QVERIFY(today.value("valOfFan").isNull());
}

void TestCalculator::laptopFirstAsksLaptopThenFanThenRooms()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    QCOMPARE(calculatorPage(window.get()), 2);
    // Choosing a room takes the room pictures away until the rooms page returns.
    for (const char *name : {"label", "label_2", "label_3", "label_4"})
        QVERIFY2(widget<QLabel>(name)->pixmap().isNull(), name);
    click("push_laptop");
    QCOMPARE(calculatorPage(window.get()), 4);
    QVERIFY(!widget<QLabel>("lb_laptopImage")->pixmap().isNull());
    pick("comboBox_laptop", "1");
    click("push_laptopOK");
    QCOMPARE(calculatorPage(window.get()), 5);
    QVERIFY(widget<QLabel>("lb_laptopImage")->pixmap().isNull());
    QVERIFY(!widget<QLabel>("lb_fanImage")->pixmap().isNull());
    click("push_fanOK");
    QCOMPARE(calculatorPage(window.get()), 1);
    for (const char *name : {"label", "label_2", "label_3", "label_4"}) {
        QVERIFY2(!widget<QLabel>(name)->pixmap().isNull(), name);
        QVERIFY2(widget<QLabel>(name)->text().isEmpty(), name);
    }
    // The air conditioner was never asked.
    const QVariantMap row = storedRow("Diary", "retrieveDate", key1);
    QVERIFY(row.value("valOfAirCon").isNull());
    QCOMPARE(row.value("valOfLaptop").toString(), QStringLiteral("0.2287"));
    QCOMPARE(row.value("valOfFan").toString(), QStringLiteral("0"));
}

void TestCalculator::roomsLeadToTheirAppliancesAndBack_data()
{
    QTest::addColumn<QString>("room");
    QTest::addColumn<int>("roomPage");
    QTest::addColumn<QString>("appliance");
    QTest::addColumn<int>("appliancePage");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<int>("nextPage");
    QTest::newRow("refrigerator") << "push_kitchen" << 13 << "push_refrigerator" << 16
                                  << "push_refrigeratorOK" << 1;
    QTest::newRow("hair dryer") << "push_toilet" << 10 << "push_hairDryer" << 12
                                << "push_hairDryerOK" << 1;
    QTest::newRow("television") << "push_livingRoom" << 6 << "push_lcdTv" << 9 << "push_lcdTvOK"
                                << 1;
    QTest::newRow("DVD player") << "push_livingRoom" << 6 << "push_dvdPlayer" << 8
                                << "push_dvdPlayerOK" << 9;
    QTest::newRow("rice cooker") << "push_kitchen" << 13 << "push_riceCooker" << 15
                                 << "push_riceCookerOK" << 16;
    QTest::newRow("washing machine")
        << "push_toilet" << 10 << "push_washingMachine" << 11 << "push_washingMachineOK" << 12;
}

void TestCalculator::roomsLeadToTheirAppliancesAndBack()
{
    QFETCH(QString, room);
    QFETCH(int, roomPage);
    QFETCH(QString, appliance);
    QFETCH(int, appliancePage);
    QFETCH(QString, ok);
    QFETCH(int, nextPage);
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviElectricityIcon");
    click(qPrintable(room));
    QCOMPARE(calculatorPage(window.get()), roomPage);
    click(qPrintable(appliance));
    QCOMPARE(calculatorPage(window.get()), appliancePage);
    click(qPrintable(ok));
    QCOMPARE(calculatorPage(window.get()), nextPage);
    if (nextPage == 1) {
        for (const char *name : {"label", "label_2", "label_3", "label_4"})
            QVERIFY2(!widget<QLabel>(name)->pixmap().isNull(), name);
    }
    QCOMPARE(rowCount("Diary"), 1);
}

void TestCalculator::introCardOnTheIntroductionOnly()
{
    openCalculator();
    auto *card = widget<QLabel>("lb_ecoCalBody");
    QVERIFY(card->isVisible());
    click("push_vozAvaviButton");
    QVERIFY(!card->isVisible());
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    QCOMPARE(calculatorPage(window.get()), 2);
    QVERIFY(!card->isVisible());
    // The bedroom has a card of its own, and its heading stays on it.
    auto *bedroomCard = widget<QLabel>("lb_bedroomBackground");
    QVERIFY(bedroomCard->isVisible());
    for (const char *name : {"label_5", "lb_bedroomHeader1"}) {
        auto *heading = widget<QLabel>(name);
        QVERIFY2(bedroomCard->geometry().contains(heading->geometry()), name);
        QVERIFY2(heading->fontMetrics().horizontalAdvance(heading->text()) <= heading->width(),
                 name);
    }
    click("push_ecoCalHomeButton");
    openCalculator();
    QVERIFY(card->isVisible());
}

void TestCalculator::frameButtons()
{
    openCalculator();
    QVERIFY(!widget<QLabel>("lb_ecoCalMainPageImage")->pixmap().isNull());
    click("push_zadUvedoButton");
    QCOMPARE(calculatorPage(window.get()), 25);
    QVERIFY(widget<QLabel>("lb_ecoCalMainPageImage")->pixmap().isNull());
    click("push_vozAvaviButton");
    QCOMPARE(calculatorPage(window.get()), 26);
    click("push_vozAvaviElectricityIcon");
    click("push_kitchen");
    // The frame's buttons reach the choice pages from any calculator page.
    click("push_zadUvedoButton");
    QCOMPARE(calculatorPage(window.get()), 25);
    click("push_viewElecDiary");
    QCOMPARE(calculatorPage(window.get()), 18);
    QVERIFY(!widget<QLabel>("lb_tipsImage")->pixmap().isNull());
    click("push_vozAvaviButton");
    QVERIFY(widget<QLabel>("lb_tipsImage")->pixmap().isNull());
    // Home returns to the main menu and the calculator keeps its page.
    click("push_ecoCalHomeButton");
    QCOMPARE(contentPage(window.get()), 2);
    QCOMPARE(calculatorPage(window.get()), 26);
    // The main menu always opens the introduction.
    openCalculator();
}

void TestCalculator::answerWhileAnotherProgramHoldsTheFile()
{
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
    other.setDatabaseName(home->databasePath());
    QVERIFY(other.open());
    QSqlQuery lock(other);
    QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
    QVERIFY(lock.exec("UPDATE Rates SET rateAmt = rateAmt"));

    QElapsedTimer held;
    held.start();
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    // Far below the five seconds the driver would wait by default.
    QVERIFY2(held.elapsed() < 2500, qPrintable(QString::number(held.elapsed())));
    QCOMPARE(calculatorPage(window.get()), 3);
    const QString question = labelText("lb_airConQn");
    QCOMPARE(labelText("lb_calculatorMessage"),
             QStringLiteral("Not saved for Sunday 6 December: the data file is busy in another "
                            "program. Please try again."));
    QVERIFY(shown("lb_calculatorMessage"));

    QVERIFY(lock.exec("COMMIT"));
    lock.finish();
    other.close();
    QCOMPARE(rowCount("Diary"), 0);
    click("push_airConOK");
    QCOMPARE(calculatorPage(window.get()), 4);
    QCOMPARE(labelText("lb_airConQn"), question);
    QCOMPARE(labelText("lb_calculatorMessage"), QString());
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfAirCon").toString(),
             printed("%g", 5 * 0.2287));

    // A water page says so too, and keeps the family members unstored.
    other.open();
    QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
    QVERIFY(lock.exec("UPDATE Rates SET rateAmt = rateAmt"));
    click("push_ecoCalHomeButton");
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    QTest::keyClicks(widget<QLineEdit>("le_tapAmt"), "10");
    click("push_tapOK");
    QCOMPARE(calculatorPage(window.get()), 19);
    QCOMPARE(labelText("lb_calculatorMessage"),
             QStringLiteral("Not saved for Sunday 6 December: the data file is busy in another "
                            "program. Please try again."));
    QVERIFY(lock.exec("ROLLBACK"));
    lock.finish();
    other.close();
    QCOMPARE(rowCount("waterDiary"), 0);
}

// A data file that cannot be used at all is said once, when the calculator
// opens, in words that do not invite a retry; an answer says the same.
void TestCalculator::unusableDataFileIsSaidWithoutARetry()
{
    window.reset();
    home->spoilDatabase();
    window = std::make_unique<MainWindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    openCalculator();
    const QString message = labelText("lb_calculatorMessage");
    QVERIFY2(message.contains(QDir::toNativeSeparators(home->databasePath())), qPrintable(message));
    QVERIFY(!message.contains(QLatin1String("try again")));
    // Whole, not clipped, on the message line.
    auto *line = widget<QLabel>("lb_calculatorMessage");
    QVERIFY2(line->heightForWidth(line->width()) <= line->height(), qPrintable(message));
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::AirConPage));
    QCOMPARE(labelText("lb_calculatorMessage"), message);
}

// Water entry -----------------------------------------------------------------

void TestCalculator::tapAnswerStoresCostAndMembers_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("members");
    QTest::addColumn<QString>("storedCost");
    QTest::newRow("10 minutes, 3 members") << "10"
                                           << "3"
                                           << "0.1755";
    QTest::newRow("9999 minutes") << "9999"
                                  << "10"
                                  << "175.482";
    QTest::newRow("no minutes typed") << ""
                                      << "1"
                                      << "0";
}

void TestCalculator::tapAnswerStoresCostAndMembers()
{
    QFETCH(QString, minutes);
    QFETCH(QString, members);
    QFETCH(QString, storedCost);
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    QCOMPARE(calculatorPage(window.get()), 19);
    QVERIFY(!widget<QLabel>("lb_tapIconImage")->pixmap().isNull());
    QTest::keyClicks(widget<QLineEdit>("le_tapAmt"), minutes);
    pick("comboBox_familyMem", members);
    click("push_tapOK");
    QCOMPARE(calculatorPage(window.get()), 20);
    QVERIFY(widget<QLabel>("lb_tapIconImage")->pixmap().isNull());

    QCOMPARE(rowCount("waterDiary"), 1);
    const QVariantMap row = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(row.value("amtOfTapUsed").toString(), storedCost);
    QCOMPARE(row.value("amtOfTapUsed").toString(),
             printed("%g", minutes.toDouble() * 0.015 * 1.17));
    QCOMPARE(row.value("noOfFamilyMem").toString(), members);
    for (const char *column : {"amtOfWashingMachineUsed", "amtOfdishWashingUsed", "amtOfShowerUsed",
                               "amtOfLawnUsed", "amtOfToiletBowlUsed"})
        QVERIFY2(row.value(column).isNull(), column);
}

void TestCalculator::tapMinutesAcceptOnlyWholeNumbersUpTo9999()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    auto *tap = widget<QLineEdit>("le_tapAmt");
    QTest::keyClicks(tap, "10000");
    QCOMPARE(tap->text(), QStringLiteral("1000"));
    tap->clear();
    QTest::keyClicks(tap, "-1x2");
    QCOMPARE(tap->text(), QStringLiteral("12"));
}

void TestCalculator::waterSequenceStoresEachPage()
{
    answerWaterSequence("10", "3", "2", "1", "2", "5", "1");
    QCOMPARE(rowCount("waterDiary"), 1);
    const QVariantMap row = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(row.value("noOfFamilyMem").toString(), QStringLiteral("3"));
    QCOMPARE(row.value("amtOfTapUsed").toString(), QStringLiteral("0.1755"));
    QCOMPARE(row.value("amtOfWashingMachineUsed").toString(), QStringLiteral("0.0351"));
    QCOMPARE(row.value("amtOfdishWashingUsed").toString(), printed("%g", 1 * 0.068 * 1.17));
    QCOMPARE(row.value("amtOfShowerUsed").toString(), QStringLiteral("0.3744"));
    QCOMPARE(row.value("amtOfToiletBowlUsed").toString(), QStringLiteral("0.0936"));
    QCOMPARE(row.value("amtOfLawnUsed").toString(), printed("%g", 1 * 0.45461 * 1.17));
    // The lawn leads to the diary choice with its background.
    QVERIFY(!widget<QLabel>("lb_zadUvedoBackground")->pixmap().isNull());
}

void TestCalculator::waterSequenceTwiceKeepsOneRow()
{
    answerWaterSequence("10", "3", "2", "1", "2", "5", "1");
    answerWaterSequence("20", "4", "N.A", "N.A", "1", "N.A", "N.A");
    QCOMPARE(rowCount("waterDiary"), 1);
    const QVariantMap row = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(row.value("noOfFamilyMem").toString(), QStringLiteral("4"));
    QCOMPARE(row.value("amtOfTapUsed").toString(), QStringLiteral("0.351"));
    QCOMPARE(row.value("amtOfWashingMachineUsed").toString(), QStringLiteral("0"));
    QCOMPARE(row.value("amtOfdishWashingUsed").toString(), QStringLiteral("0"));
    QCOMPARE(row.value("amtOfShowerUsed").toString(), QStringLiteral("0.1872"));
    QCOMPARE(row.value("amtOfToiletBowlUsed").toString(), QStringLiteral("0"));
    QCOMPARE(row.value("amtOfLawnUsed").toString(), QStringLiteral("0"));
}

void TestCalculator::withoutWaterTariffEveryCostIsZero()
{
    execute("DELETE FROM Rates WHERE rateType=?", {"water"});
    answerWaterSequence("10", "3", "2", "1", "2", "5", "1");
    const QVariantMap row = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(row.value("noOfFamilyMem").toString(), QStringLiteral("3"));
    for (const char *column : {"amtOfTapUsed", "amtOfWashingMachineUsed", "amtOfdishWashingUsed",
                               "amtOfShowerUsed", "amtOfLawnUsed", "amtOfToiletBowlUsed"})
        QCOMPARE(row.value(column).toString(), QStringLiteral("0"));
}

void TestCalculator::waterDateChangeStartsANewRowWithThatPageOnly()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    QTest::keyClicks(widget<QLineEdit>("le_tapAmt"), "10");
    pick("comboBox_familyMem", "3");
    click("push_tapOK");
    Clock::setToday(day2);
    pick("comboBox_washingMachineWater", "2");
    click("push_washingMachineWaterOK");
    QCOMPARE(calculatorPage(window.get()), 21);

    QCOMPARE(rowCount("waterDiary"), 2);
    const QVariantMap yesterday = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(yesterday.value("amtOfTapUsed").toString(), QStringLiteral("0.1755"));
    QVERIFY(yesterday.value("amtOfWashingMachineUsed").isNull());
    const QVariantMap today = storedRow("waterDiary", "waterRetrieveDate", key2);
    QCOMPARE(today.value("amtOfWashingMachineUsed").toString(), QStringLiteral("0.0351"));
    QVERIFY(today.value("noOfFamilyMem").isNull());
    QVERIFY(today.value("amtOfTapUsed").isNull());
}

// Electricity diary -----------------------------------------------------------

// The electricity diary's breakdown rows: each caption and value label.
const QList<QPair<const char *, const char *>> &electricityBreakdownRows()
{
    static const QList<QPair<const char *, const char *>> rows = {
        {"label_18", "lb_valOfAirCon"},
        {"label_21", "lb_valOfLaptop"},
        {"label_23", "lb_valOfFan"},
        {"label_26", "lb_valOfLights"},
        {"label_28", "lb_valOfDVDPlayer"},
        {"label_30", "lb_valOfTv"},
        {"label_32", "lb_valOfWashingMachine"},
        {"label_34", "lb_valOfHairDryer"},
        {"label_36", "lb_valOfMicrowave"},
        {"label_37", "lb_valOfRiceCooker"},
        {"label_40", "lb_valOfRefrigerator"}};
    return rows;
}

void TestCalculator::electricityDiaryShowsTotalAndBreakdown()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(calculatorPage(window.get()), 18);
    QCOMPARE(widget<QComboBox>("comboBox_zadUvedoDate")->currentText(), key1);
    auto *summary = widget<QTextBrowser>("txtBrowse_consumptionSumm");
    QCOMPARE(
        summary->toPlainText(),
        QStringLiteral("You have spent $1.14. You used 5.00 kWh.\nAnswers: air conditioner 5 h"));
    QVERIFY(!shown("label_18"));
    QVERIFY(!shown("lb_valOfMicrowave"));
    QVERIFY(shown("push_zadUvedoViewAllData"));

    click("push_zadUvedoViewAllData");
    QVERIFY(!shown("push_zadUvedoViewAllData"));
    QCOMPARE(
        summary->toPlainText(),
        QStringLiteral("You have spent $1.14. You used 5.00 kWh.\nAnswers: air conditioner 5 h"));
    const QList<QPair<const char *, const char *>> &rows = electricityBreakdownRows();
    QCOMPARE(labelText("label_18"), QStringLiteral("Air Con"));
    QCOMPARE(labelText("lb_valOfAirCon"), QStringLiteral("$1.14 \u00b7 5.00 kWh"));
    for (const auto &[caption, value] : rows) {
        QVERIFY2(shown(caption), caption);
        QVERIFY2(shown(value), value);
        if (qstrcmp(value, "lb_valOfAirCon") != 0)
            QCOMPARE(labelText(value), QStringLiteral("$0.00"));
    }
    // Every caption and value lies inside the visible diary page.
    const QRect page = widget<QWidget>("page_26")->rect();
    for (const auto &[caption, value] : rows) {
        QVERIFY2(page.contains(widget<QWidget>(caption)->geometry()), caption);
        QVERIFY2(page.contains(widget<QWidget>(value)->geometry()), value);
    }
}

// "View All!" lists the household's own heater, and no built-in appliance
// it has none of.
void TestCalculator::electricityDiaryListsTheAppliancesOwned()
{
    QSqlDatabase db = QSqlDatabase::database();
    execute("INSERT OR REPLACE INTO ApplianceCount (applianceName, count) VALUES ('Fan', 0)");
    QString error;
    QCOMPARE(SettingsLogic::addOwnAppliance(db, "heater", "2000", 1, &error), 1);
    // 5 h of air conditioner and the heater's 2 h at 2000 W, at 0.2287.
    QVERIFY(
        CalculatorLogic::recordWholeDay(db, key1, {{0, 5, 1000, 1}}, {}, {}, {{1, 2, 2000, 1}}));
    openCalculator();
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    click("push_zadUvedoViewAllData");
    QHash<QString, QString> listed;
    for (const auto &[caption, value] : electricityBreakdownRows()) {
        if (shown(caption))
            listed.insert(labelText(caption), labelText(value));
    }
    QCOMPARE(listed.value("heater"), QStringLiteral("$0.91 \u00b7 4.00 kWh"));
    QCOMPARE(listed.value("Air Con"), QStringLiteral("$1.14 \u00b7 5.00 kWh"));
    QVERIFY2(!listed.contains("Fan"), qPrintable(listed.keys().join('|')));
    QCOMPARE(listed.size(), 11);
}

void TestCalculator::electricityDiaryTipsFollowTheAppliances()
{
    answerAppliance("push_livingRoom", "push_lights", "comboBox_lights", "3", "push_lightsOK");
    pick("comboBox_dvdPlayer", "N.A");
    click("push_dvdPlayerOK");
    pick("comboBox_lcdTv", "10");
    click("push_lcdTvOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral("You have spent $2.97. You used 13.00 kWh.\nAnswers: lights 3 h, TV 10 h"));

    const QStringList tips = paragraphs(widget<QTextBrowser>("txtBrowse_tips"));
    QCOMPARE(tips.size(), 2);
    const auto isTipOf = [](const QString &shown, const QString &appliance) {
        return shown.startsWith(QLatin1Char(' ')) &&
               queryValue("SELECT count(*) FROM Tips WHERE applianceName=? AND applianceTips=?",
                          {appliance, shown.mid(1)})
                       .toInt() == 1;
    };
    QVERIFY2(isTipOf(tips.at(0), "Lights"), qPrintable(tips.at(0)));
    QVERIFY2(isTipOf(tips.at(1), "LcdTv"), qPrintable(tips.at(1)));

    // An appliance without tips (the fan) adds none; the others still do.
    answerAppliance("push_bedroom", "push_fan", "comboBox_fan", "2", "push_fanOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    const QStringList withFan = paragraphs(widget<QTextBrowser>("txtBrowse_tips"));
    QCOMPARE(withFan.size(), 2);
    QVERIFY(isTipOf(withFan.at(0), "Lights"));
    QVERIFY(isTipOf(withFan.at(1), "LcdTv"));
}

void TestCalculator::electricityDiaryAllNotApplicable()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "N.A", "push_airConOK");
    click("push_laptopOK");
    click("push_fanOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
             QStringLiteral("You have spent $0.00. You used 0.00 kWh."));
    QVERIFY(paragraphs(widget<QTextBrowser>("txtBrowse_tips")).isEmpty());
}

void TestCalculator::electricityDiaryEmpty()
{
    openCalculator();
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(widget<QComboBox>("comboBox_zadUvedoDate")->count(), 0);
    QVERIFY(widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText().isEmpty());
    click("push_zadUvedoViewAllData");
    QCOMPARE(widget<QTextBrowser>("txtBrowse_tips")->toPlainText(),
             QStringLiteral("You do not have any diary entries yet.\nGo to VozAvavi to create "
                            "one now."));
    QVERIFY(!shown("label_18"));
}

void TestCalculator::electricityDiaryShowsTheFirstDayAtOnce()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    Clock::setToday(day2);
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "10", "push_airConOK");
    Clock::setToday(QDate(2026, 12, 1));
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "1", "push_airConOK");

    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    auto *dates = widget<QComboBox>("comboBox_zadUvedoDate");
    QCOMPARE(dates->count(), 3);
    // Days are listed in date order, whenever they were recorded; the diary
    // opens on the latest.
    QCOMPARE(dates->itemText(0), QStringLiteral("01/12/2026"));
    QCOMPARE(dates->itemText(1), key1);
    QCOMPARE(dates->itemText(2), key2);
    QCOMPARE(dates->currentIndex(), 2);
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral("You have spent $2.29. You used 10.00 kWh.\nAnswers: air conditioner 10 h"));
    QCOMPARE(paragraphs(widget<QTextBrowser>("txtBrowse_tips")).size(), 1);

    pick("comboBox_zadUvedoDate", key1);
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral("You have spent $1.14. You used 5.00 kWh.\nAnswers: air conditioner 5 h"));
    QCOMPARE(paragraphs(widget<QTextBrowser>("txtBrowse_tips")).size(), 1);
}

void TestCalculator::electricityDiaryDayChangeRefreshesTheBreakdown()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    Clock::setToday(day2);
    answerAppliance("push_kitchen", "push_refrigerator", "comboBox_refrigerator", "24",
                    "push_refrigeratorOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    click("push_zadUvedoViewAllData");
    QCOMPARE(labelText("lb_valOfAirCon"), QStringLiteral("$0.00"));
    QCOMPARE(labelText("lb_valOfRefrigerator"), QStringLiteral("$5.49 \u00b7 24.00 kWh"));

    pick("comboBox_zadUvedoDate", key1);
    QVERIFY(shown("push_zadUvedoViewAllData"));
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral("You have spent $1.14. You used 5.00 kWh.\nAnswers: air conditioner 5 h"));
    QVERIFY(shown("label_40"));
    QCOMPARE(labelText("lb_valOfAirCon"), QStringLiteral("$1.14 \u00b7 5.00 kWh"));
    QCOMPARE(labelText("lb_valOfRefrigerator"), QStringLiteral("$0.00"));

    // Entering the diary again hides the breakdown; a day change keeps it hidden.
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QVERIFY(!shown("label_40"));
    pick("comboBox_zadUvedoDate", key1);
    QVERIFY(!shown("label_40"));
}

void TestCalculator::electricityDiaryAgainShowsWhatWasStoredSince()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    auto *summary = widget<QTextBrowser>("txtBrowse_consumptionSumm");
    QCOMPARE(
        summary->toPlainText(),
        QStringLiteral("You have spent $1.14. You used 5.00 kWh.\nAnswers: air conditioner 5 h"));

    // The shown day is answered again and a new day is stored.
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "10", "push_airConOK");
    Clock::setToday(day2);
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "1", "push_airConOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    auto *dates = widget<QComboBox>("comboBox_zadUvedoDate");
    QCOMPARE(dates->count(), 2);
    QCOMPARE(dates->itemText(1), key2);
    QCOMPARE(dates->currentText(), key2);
    pick("comboBox_zadUvedoDate", key1);
    QCOMPARE(
        summary->toPlainText(),
        QStringLiteral("You have spent $2.29. You used 10.00 kWh.\nAnswers: air conditioner 10 h"));
}

// Water diary -----------------------------------------------------------------

void TestCalculator::waterDiaryShowsTotalAndBreakdown()
{
    answerWaterSequence("10", "3", "N.A", "N.A", "N.A", "N.A", "N.A");
    click("push_viewWaterDiary");
    QCOMPARE(calculatorPage(window.get()), 24);
    QCOMPARE(widget<QComboBox>("comboBox_zadUvedoDate_water")->currentText(), key1);
    auto *summary = widget<QTextBrowser>("txtBrowse_consumptionSumm_water");
    QCOMPARE(
        summary->toPlainText(),
        QStringLiteral("You have spent $0.53. You used 450 litres.\nAnswers: tap 10 min each"));
    QCOMPARE(paragraphs(widget<QTextBrowser>("txtBrowse_tips_water")).size(), 1);
    QVERIFY(!shown("label_19"));
    QVERIFY(!shown("lb_amtOfToilet"));

    click("push_zadUvedoViewAllData_water");
    QVERIFY(!shown("push_zadUvedoViewAllData_water"));
    QCOMPARE(labelText("label_19"), QStringLiteral("Family Members"));
    QCOMPARE(labelText("lb_noOfFamMem"), QStringLiteral("3"));
    // The tap's row is the household's: 3 x 0.1755, the total.
    QCOMPARE(labelText("lb_amtOfTap"), QStringLiteral("$0.53 \u00b7 450 litres"));
    for (const char *name : {"lb_amtOfWashingMachine", "lb_amtOfDishWashing", "lb_amtOfShower",
                             "lb_amtOfLawn", "lb_amtOfToilet"}) {
        QVERIFY2(shown(name), name);
        QCOMPARE(labelText(name), QStringLiteral("$0.00 \u00b7 0 litres"));
    }
    for (const char *name :
         {"label_19", "label_22", "label_25", "label_27", "label_29", "label_31", "label_33"})
        QVERIFY2(shown(name), name);
}

void TestCalculator::waterDiaryWithoutMembersCostsNothing()
{
    execute("INSERT INTO waterDiary (waterRetrieveDate,amtOfTapUsed,amtOfLawnUsed) "
            "Values(?,?,?)",
            {key1, "0.1755", "0.531894"});
    openCalculator();
    click("push_zadUvedoButton");
    click("push_viewWaterDiary");
    // The lawn is the household's; the tap, for each person, counts 0 times.
    QCOMPARE(widget<QTextBrowser>("txtBrowse_consumptionSumm_water")->toPlainText(),
             QStringLiteral("You have spent $0.53."));
    click("push_zadUvedoViewAllData_water");
    QCOMPARE(labelText("lb_noOfFamMem"), QStringLiteral("0"));
    QCOMPARE(labelText("lb_amtOfTap"), QStringLiteral("$0.00"));
    QCOMPARE(labelText("lb_amtOfLawn"), QStringLiteral("$0.53"));
}

void TestCalculator::waterDiarySixTipsInOrder()
{
    answerWaterSequence("10", "2", "1", "1", "1", "1", "1");
    click("push_viewWaterDiary");
    auto *box = widget<QTextBrowser>("txtBrowse_tips_water");
    const QStringList tips = paragraphs(box);
    const QStringList activities = {"Tap",    "WashingMachine", "DishWashing",
                                    "Shower", "Lawn",           "Toilet"};
    QCOMPARE(tips.size(), activities.size());
    for (int i = 0; i < activities.size(); ++i) {
        QVERIFY(tips.at(i).startsWith(QLatin1Char(' ')));
        QVERIFY2(queryValue("SELECT count(*) FROM waterTips WHERE waterApplianceName=? AND "
                            "waterTips=?",
                            {activities.at(i), tips.at(i).mid(1)})
                         .toInt() == 1,
                 qPrintable(tips.at(i)));
    }
    // Six tips do not fit the box: it shows the first one, not the last.
    QApplication::processEvents();
    QVERIFY(box->verticalScrollBar()->maximum() > 0);
    QCOMPARE(box->verticalScrollBar()->value(), 0);

    // A finger drawn up the tips scrolls them and selects none of their words.
    QWidget *paper = box->viewport();
    const QPoint from(paper->width() / 2, paper->height() - 10);
    QTest::mousePress(paper, Qt::LeftButton, {}, from);
    // The scroller moves the text at its own frame rate, between moves.
    for (int step = 1; step <= 10; ++step) {
        QTest::mouseMove(paper, from - QPoint(0, step * 10), 20);
        QTest::qWait(20);
    }
    QTest::mouseRelease(paper, Qt::LeftButton, {}, from - QPoint(0, 100), 20);
    QTRY_VERIFY(box->verticalScrollBar()->value() > 0);
    QVERIFY(!box->textCursor().hasSelection());
}

void TestCalculator::waterDiaryEmpty()
{
    openCalculator();
    click("push_zadUvedoButton");
    click("push_viewWaterDiary");
    QCOMPARE(widget<QComboBox>("comboBox_zadUvedoDate_water")->count(), 0);
    QVERIFY(widget<QTextBrowser>("txtBrowse_consumptionSumm_water")->toPlainText().isEmpty());
    click("push_zadUvedoViewAllData_water");
    QCOMPARE(widget<QTextBrowser>("txtBrowse_tips_water")->toPlainText(),
             QStringLiteral("You do not have any diary entries yet.\nGo to VozAvavi to create "
                            "one now."));
    QVERIFY(!shown("label_19"));
}

void TestCalculator::waterDiaryDayChangeRefreshesTheBreakdown()
{
    answerWaterSequence("10", "3", "N.A", "N.A", "N.A", "N.A", "N.A");
    Clock::setToday(day2);
    answerWaterSequence("100", "2", "N.A", "N.A", "2", "N.A", "N.A");
    click("push_viewWaterDiary");
    click("push_zadUvedoViewAllData_water");
    // The latest day first: 2 x (1.755 + 0.3744) = 4.2588, and the rows, the
    // household's, add up to it.
    QCOMPARE(widget<QTextBrowser>("txtBrowse_consumptionSumm_water")->toPlainText(),
             QStringLiteral("You have spent $4.26. You used 3640 litres.\nAnswers: tap 100 min "
                            "each, shower 2 showers each"));
    QCOMPARE(labelText("lb_noOfFamMem"), QStringLiteral("2"));
    QCOMPARE(labelText("lb_amtOfTap"), QStringLiteral("$3.51 \u00b7 3000 litres"));
    QCOMPARE(labelText("lb_amtOfShower"), QStringLiteral("$0.75 \u00b7 640 litres"));

    pick("comboBox_zadUvedoDate_water", key1);
    QVERIFY(shown("push_zadUvedoViewAllData_water"));
    QVERIFY(shown("label_19"));
    QCOMPARE(labelText("lb_noOfFamMem"), QStringLiteral("3"));
}

// Household settings ----------------------------------------------------------

void TestCalculator::householdSettingsPriceNewAnswersOnly()
{
    answerAppliance("push_bedroom", "push_laptop", "comboBox_laptop", "10", "push_laptopOK");
    SettingsLogic::Household household = SettingsLogic::builtIn();
    household.electricityRate = 0.30;
    household.currency = QStringLiteral("€");
    household.watts[1] = 50; // the laptop
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(SettingsLogic::save(db, household));

    // The next day's answer is worked with the laptop's 50 W at 0.30; the day
    // recorded before keeps its cost.
    Clock::setToday(day2);
    answerAppliance("push_bedroom", "push_laptop", "comboBox_laptop", "10", "push_laptopOK");
    QCOMPARE(storedRow("Diary", "retrieveDate", key2).value("valOfLaptop").toString(),
             QStringLiteral("0.15"));
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfLaptop").toString(),
             QStringLiteral("2.287"));

    // Every money text of the diaries carries the household's sign, after a
    // restart too.
    for (int start = 0; start < 2; ++start) {
        if (start == 1) {
            window.reset();
            window = std::make_unique<MainWindow>();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            const SettingsLogic::Household stored = SettingsLogic::load(QSqlDatabase::database());
            QCOMPARE(stored.electricityRate, 0.30);
            QCOMPARE(stored.currency, QStringLiteral("€"));
            QCOMPARE(stored.watts, household.watts);
            openCalculator();
        }
        click("push_zadUvedoButton");
        click("push_viewElecDiary");
        auto *summary = widget<QTextBrowser>("txtBrowse_consumptionSumm");
        pick("comboBox_zadUvedoDate", key1);
        QCOMPARE(summary->toPlainText(),
                 QStringLiteral("You have spent €2.29. You used 10.00 kWh.\nAnswers: laptop 10 h"));
        pick("comboBox_zadUvedoDate", key2);
        QCOMPARE(summary->toPlainText(),
                 QStringLiteral("You have spent €0.15. You used 0.50 kWh.\nAnswers: laptop 10 h"));
        click("push_zadUvedoViewAllData");
        QCOMPARE(labelText("lb_valOfLaptop"), QStringLiteral("€0.15 \u00b7 0.50 kWh"));
        QCOMPARE(labelText("lb_valOfFan"), QStringLiteral("€0.00"));
    }
    answerWaterSequence("10", "1", "N.A", "N.A", "N.A", "N.A", "N.A");
    click("push_viewWaterDiary");
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm_water")->toPlainText(),
        QStringLiteral("You have spent €0.18. You used 150 litres.\nAnswers: tap 10 min each"));
}

namespace {

// Types text into a box of the settings page as a user does.
void typeInto(QWidget *box, const QString &text)
{
    qobject_cast<QLineEdit *>(box)->clear();
    // Key by key, each with its text, as a keyboard of any layout types it.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, c, Qt::NoModifier);
    // Leaving the box must not change what was typed.
    box->clearFocus();
    QCOMPARE(qobject_cast<QLineEdit *>(box)->text(), text);
}

} // namespace

void TestCalculator::settingsPageStoresAndReturns()
{
    openCalculator();
    QVERIFY(!shown("push_settings"));
    click("push_zadUvedoButton");
    click("push_settings");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::SettingsPage));
    QCOMPARE(widget<QLineEdit>("le_electricityRate")->text(), QStringLiteral("0.2287"));
    QCOMPARE(widget<QLineEdit>("le_currency")->text(), QStringLiteral("$"));
    click("push_typicalPower");
    typeInto(widget<QWidget>("le_electricityRate"), QStringLiteral("0.30"));
    typeInto(widget<QWidget>("le_waterRate"), QStringLiteral("2.5"));
    typeInto(widget<QWidget>("le_currency"), QStringLiteral("kr"));
    typeInto(widget<QWidget>("le_powerLaptop"), QStringLiteral("50"));
    typeInto(widget<QWidget>("le_waterBudget"), QStringLiteral("40.5"));
    click("push_settingsSave");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::DiaryChoicePage));
    QCOMPARE(storedRow("Settings", "key", "waterBudget").value("value"), QVariant("40.5"));
    QCOMPARE(SettingsLogic::budget(QSqlDatabase::database(), true), 40.5);
    QCOMPARE(SettingsLogic::budget(QSqlDatabase::database(), false), std::nullopt);
    SettingsLogic::Watts watts = SettingsLogic::typicalWatts();
    watts[1] = 50;
    const SettingsLogic::Household stored = SettingsLogic::load(QSqlDatabase::database());
    QCOMPARE(stored.electricityRate, 0.30);
    QCOMPARE(stored.waterRate, 2.5);
    QCOMPARE(stored.currency, QStringLiteral("kr"));
    QCOMPARE(stored.watts, watts);
    // The household's tariff is dated and described as its own.
    const QVariantMap rate = storedRow("Rates", "rateType", "electricity");
    QCOMPARE(rate.value("rateDate").toString(), CalculatorLogic::dayKey(Clock::today()));
    QCOMPARE(rate.value("rateRetrieve").toString(),
             QString::fromLatin1(SettingsLogic::householdRateSource));

    // The laptop's question tells the power its answer is worked with.
    click("push_vozAvaviButton");
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    click("push_laptop");
    QCOMPARE(labelText("lb_laptopRating"), QStringLiteral("Rated 50 W"));

    // Back leaves without storing what was changed.
    click("push_vozAvaviButton");
    click("push_settings");
    QCOMPARE(widget<QLineEdit>("le_currency")->text(), QStringLiteral("kr"));
    click("push_builtInSettings");
    click("push_settingsBack");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::EntryChoicePage));
    QCOMPARE(SettingsLogic::load(QSqlDatabase::database()).currency, QStringLiteral("kr"));
}

void TestCalculator::badSettingsStoreNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal comma") << "le_electricityRate"
                                   << "0,30";
    QTest::newRow("zero tariff") << "le_electricityRate"
                                 << "0";
    QTest::newRow("negative tariff") << "le_waterRate"
                                     << "-1";
    QTest::newRow("not a number") << "le_waterRate"
                                  << "abc";
    QTest::newRow("empty tariff") << "le_waterRate"
                                  << "";
    QTest::newRow("no currency") << "le_currency"
                                 << "";
    QTest::newRow("long currency") << "le_currency"
                                   << "euro";
    QTest::newRow("tariff above a million") << "le_electricityRate"
                                            << "1000001";
    QTest::newRow("tariff too large to count") << "le_waterRate"
                                               << "1e308";
    QTest::newRow("watts above the range") << "le_powerLaptop"
                                           << "6000";
    QTest::newRow("watts far above") << "le_powerLaptop"
                                     << "99999";
    QTest::newRow("zero watts") << "le_powerLaptop"
                                << "0";
    QTest::newRow("no watts") << "le_powerLaptop"
                              << "";
    QTest::newRow("watts not a number") << "le_powerLaptop"
                                        << "abc";
    QTest::newRow("negative budget") << "le_electricityBudget"
                                     << "-1";
    QTest::newRow("budget above a million") << "le_waterBudget"
                                            << "1000001";
    QTest::newRow("budget not a number") << "le_waterBudget"
                                         << "forty";
}

void TestCalculator::badSettingsStoreNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    openCalculator();
    click("push_vozAvaviButton");
    click("push_settings");
    typeInto(widget<QWidget>("le_powerFan"), QStringLiteral("75"));
    typeInto(widget<QWidget>(qPrintable(box)), text);
    click("push_settingsSave");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::SettingsPage));
    QVERIFY(shown("lb_settingsMessage"));
    QVERIFY(!labelText("lb_settingsMessage").isEmpty());
    const SettingsLogic::Household stored = SettingsLogic::load(QSqlDatabase::database());
    QCOMPARE(stored.electricityRate, SettingsLogic::builtIn().electricityRate);
    QCOMPARE(stored.waterRate, SettingsLogic::builtIn().waterRate);
    QCOMPARE(stored.watts, SettingsLogic::builtIn().watts);
    if (box.startsWith(QLatin1String("le_power")))
        QVERIFY(labelText("lb_settingsMessage").contains(QLatin1String("laptop")));
}

// The edges of the power range and signs of up to three characters are taken
// as typed, and every page, the chart's axis included, shows the sign exactly.
void TestCalculator::currencySignShowsAsTypedEverywhere_data()
{
    QTest::addColumn<QString>("sign");
    QTest::newRow("euro") << "€";
    QTest::newRow("pound") << "£";
    QTest::newRow("three letters") << "CHF";
    QTest::newRow("with a dot") << "kr.";
    QTest::newRow("markup") << "<b>";
    QTest::newRow("percent") << "%d%";
}

void TestCalculator::currencySignShowsAsTypedEverywhere()
{
    QFETCH(QString, sign);
    openCalculator();
    click("push_zadUvedoButton");
    click("push_settings");
    typeInto(widget<QWidget>("le_currency"), sign);
    typeInto(widget<QWidget>("le_powerAirCon"), QStringLiteral("1"));
    typeInto(widget<QWidget>("le_powerLaptop"), QStringLiteral("5000"));
    click("push_settingsSave");
    QCOMPARE(labelText("lb_settingsMessage"), QString());
    const SettingsLogic::Household stored = SettingsLogic::load(QSqlDatabase::database());
    QCOMPARE(stored.currency, sign);
    QCOMPARE(stored.watts[0], 1);
    QCOMPARE(stored.watts[1], 5000);

    execute("UPDATE Rates SET rateAmt='0.5' WHERE rateType='electricity'");
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "2", "push_airConOK");
    pick("comboBox_laptop", "2");
    click("push_laptopOK");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral("You have spent ") + sign +
            QStringLiteral("5.00. You used 10.00 kWh.\nAnswers: air conditioner 2 h, laptop 2 h"));
    click("push_zadUvedoViewAllData");
    QCOMPARE(labelText("lb_valOfLaptop"), sign + QStringLiteral("5.00 \u00b7 10.00 kWh"));
    QCOMPARE(widget<QLabel>("lb_valOfLaptop")->textFormat(), Qt::PlainText);

    click("push_zadUvedoButton");
    click("push_diaryHistory");
    QCOMPARE(labelText("lb_elec7"), QStringLiteral("Last 7 days: ") + sign +
                                        QStringLiteral("5.00\n1 of 7 days, 10.00 kWh"));
    // The value axis's labels, as drawn: money from 0 up, each with the sign.
    QStringList money;
    const QRegularExpression amount(QStringLiteral("^(\\D*)\\d+\\.\\d\\d$"));
    for (QGraphicsItem *item : widget<QChartView>("chart_history")->scene()->items()) {
        const auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        const QString label = text ? text->toPlainText() : QString();
        const QRegularExpressionMatch match = amount.match(label);
        if (match.hasMatch())
            money.append(label);
        QVERIFY2(!match.hasMatch() || match.captured(1) == sign, qPrintable(label));
    }
    QVERIFY2(money.size() >= 2 && money.contains(sign + QStringLiteral("0.00")),
             qPrintable(money.join('|')));
}

// A tariff another program stored too large to count with makes no cost
// "inf": the answer is not stored and the page says so.
void TestCalculator::costThatIsNotFiniteStoresNothing()
{
    execute("UPDATE Rates SET rateAmt='1.7e308' WHERE rateType='electricity'");
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "24", "push_airConOK");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::AirConPage));
    QVERIFY(!labelText("lb_calculatorMessage").isEmpty());
    QCOMPARE(rowCount("Diary"), 0);
}

// Settings opened while another program holds the file show no figure and
// overwrite none: Save stores nothing while they cannot be read, and only
// what was typed once they can.
void TestCalculator::settingsUnreadOverwriteNothing()
{
    SettingsLogic::Household household = SettingsLogic::builtIn();
    household.electricityRate = 0.4;
    household.currency = QStringLiteral("€");
    household.watts = SettingsLogic::typicalWatts();
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(SettingsLogic::save(db, household));

    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    other.setDatabaseName(home->databasePath());
    QVERIFY(other.open());
    QSqlQuery lock(other);
    QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
    openCalculator();
    click("push_zadUvedoButton");
    click("push_settings");
    QCOMPARE(widget<QLineEdit>("le_electricityRate")->text(), QString());
    QCOMPARE(widget<QLineEdit>("le_powerLaptop")->text(), QString());
    QVERIFY(labelText("lb_settingsMessage").contains(QLatin1String("could not be read")));
    typeInto(widget<QWidget>("le_waterRate"), QStringLiteral("2"));
    click("push_settingsSave");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::SettingsPage));
    QVERIFY(labelText("lb_settingsMessage").startsWith(QLatin1String("Not saved")));

    QVERIFY(lock.exec("ROLLBACK"));
    lock.finish();
    other.close();
    click("push_settingsSave");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::DiaryChoicePage));
    household.waterRate = 2;
    const SettingsLogic::Household stored = SettingsLogic::load(db);
    QCOMPARE(stored.electricityRate, household.electricityRate);
    QCOMPARE(stored.waterRate, household.waterRate);
    QCOMPARE(stored.currency, household.currency);
    QCOMPARE(stored.watts, household.watts);
}

// A stored tariff another program left unsound is neither shown as a price
// nor counted with: the page and the answer name it.
void TestCalculator::unsoundStoredTariffIsNamed()
{
    execute("UPDATE Rates SET rateAmt='abc' WHERE rateType='electricity'");
    openCalculator();
    click("push_zadUvedoButton");
    click("push_settings");
    QCOMPARE(widget<QLineEdit>("le_electricityRate")->text(), QString());
    QVERIFY(labelText("lb_settingsMessage").contains(QLatin1String("\"abc\"")));
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::AirConPage));
    QVERIFY(labelText("lb_calculatorMessage").contains(QLatin1String("electricity tariff")));
    QCOMPARE(rowCount("Diary"), 0);
}

// Diaries and history opened while another program holds the file say so
// rather than showing an empty diary or nothing spent.
void TestCalculator::busyDiariesSaySo()
{
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "5", "push_airConOK");
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    other.setDatabaseName(home->databasePath());
    QVERIFY(other.open());
    QSqlQuery lock(other);
    QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QVERIFY(widget<QTextBrowser>("txtBrowse_consumptionSumm")
                ->toPlainText()
                .contains(QLatin1String("could not be read")));
    click("push_zadUvedoButton");
    click("push_diaryHistory");
    QVERIFY(!shown("lb_elec7"));
    QVERIFY(labelText("lb_exportMessage").contains(QLatin1String("could not be read")));
    QVERIFY(lock.exec("ROLLBACK"));
    lock.finish();
    other.close();
    click("push_historyBack");
    click("push_diaryHistory");
    QVERIFY(shown("lb_elec7"));
    QCOMPARE(labelText("lb_exportMessage"), QString());
}

// The household's real day: minutes, how many, kWh and litres beside cost.
void TestCalculator::minutesAndCountsAreCountedAndShown()
{
    execute("UPDATE Rates SET rateAmt='0.3' WHERE rateType='electricity'");
    openCalculator();
    click("push_zadUvedoButton");
    click("push_settings");
    typeInto(widget<QWidget>("le_powerHairDryer"), QStringLiteral("1500"));
    typeInto(widget<QWidget>("le_powerLights"), QStringLiteral("10"));
    widget<QSpinBox>("spin_countLights")->stepBy(5);
    click("push_settingsSave");
    QCOMPARE(labelText("lb_settingsMessage"), QString());

    answerAppliance("push_toilet", "push_washingMachine", "comboBox_washingMachine", "N.A",
                    "push_washingMachineOK");
    pick("comboBox_hairDryer", "15 min");
    click("push_hairDryerOK");
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfHairDryer").toString(),
             QStringLiteral("0.1125"));
    answerAppliance("push_livingRoom", "push_lights", "comboBox_lights", "5", "push_lightsOK");
    QCOMPARE(queryValue("SELECT quantity FROM DayUsage WHERE item='valOfLights'").toDouble(), 0.3);
    QCOMPARE(queryValue("SELECT count FROM DayUsage WHERE item='valOfLights'").toInt(), 6);
    QCOMPARE(labelText("lb_dvdPlayerRating"), QStringLiteral("Rated 1000 W"));

    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    click("push_zadUvedoViewAllData");
    QCOMPARE(labelText("lb_valOfHairDryer"), QStringLiteral("$0.11 \u00b7 0.38 kWh"));
    QCOMPARE(labelText("lb_valOfLights"), QStringLiteral("$0.09 \u00b7 0.30 kWh"));
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
        QStringLiteral(
            "You have spent $0.20. You used 0.68 kWh.\nAnswers: lights 5 h, hair dryer 15 min"));
}

// A usual day: four taps from the main menu, every answer filled in from the
// last recorded day; one changed answer is two taps more. An appliance counted
// 0 has no row and no question in its room.
void TestCalculator::quickDayInFourTaps()
{
    const QSqlDatabase db = QSqlDatabase::database();
    const QString before = CalculatorLogic::dayKey(day1.addDays(-2));
    // Two days ago: 3 h of laptop at 1000 W; three people, one washing-machine
    // load and a shower each.
    QVERIFY(CalculatorLogic::recordAppliance(db, before, 1, 3));
    QVERIFY(CalculatorLogic::recordWater(
        db, before,
        {{"amtOfWashingMachineUsed", 1, CalculatorLogic::washingMachineFactor},
         {"amtOfShowerUsed", 1, CalculatorLogic::showerFactor}},
        {{"noOfFamilyMem", "3"}}));
    execute("INSERT INTO ApplianceCount (applianceName, count) VALUES ('Fan', 0)");

    openCalculator();
    click("push_vozAvaviButton");
    click("push_quickDay");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::QuickDayPage));
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfLaptop")->currentText(), QStringLiteral("3"));
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfAirCon")->currentText(), QStringLiteral("N.A"));
    QCOMPARE(widget<QComboBox>("combo_quickDay_noOfFamilyMem")->currentText(), QStringLiteral("3"));
    QCOMPARE(widget<QComboBox>("combo_quickDay_amtOfShowerUsed")->currentText(),
             QStringLiteral("1"));
    QVERIFY(!window->findChild<QComboBox *>("combo_quickDay_valOfFan"));
    // The rows are shown, and an answer's opened list is in the box's own size.
    auto *laptop = widget<QComboBox>("combo_quickDay_valOfLaptop");
    QVERIFY(laptop->isVisible());
    QCOMPARE(laptop->font().pointSize(), 13);
    laptop->showPopup();
    QCOMPARE(laptop->view()->font().pointSize(), 13);
    laptop->hidePopup();
    click("push_saveQuickDay");

    // The whole day is stored: 3 h of laptop at the seeded 0.2287 a kWh.
    QVariantMap stored = storedRow("Diary", "retrieveDate", key1);
    QCOMPARE(stored.value("valOfLaptop").toString(), QStringLiteral("0.6861"));
    QCOMPARE(stored.value("valOfAirCon").toString(), QStringLiteral("0"));
    QVERIFY(stored.value("valOfFan").isNull());
    stored = storedRow("waterDiary", "waterRetrieveDate", key1);
    QCOMPARE(stored.value("noOfFamilyMem").toString(), QStringLiteral("3"));
    QCOMPARE(stored.value("amtOfShowerUsed").toString(), QStringLiteral("0.1872"));
    QCOMPARE(stored.value("amtOfWashingMachineUsed").toString(), QStringLiteral("0.01755"));
    // The load once, the showers three times: 15 + 3 x 160 litres.
    QVERIFY2(labelText("lb_quickDayMessage").contains(QLatin1String("3.00 kWh")),
             qPrintable(labelText("lb_quickDayMessage")));
    QVERIFY2(labelText("lb_quickDayMessage").contains(QLatin1String("495 litres")),
             qPrintable(labelText("lb_quickDayMessage")));

    // The water diary opens on the day: its rows add up to its total.
    click("push_quickDayBack");
    click("push_zadUvedoButton");
    click("push_viewWaterDiary");
    QCOMPARE(widget<QComboBox>("comboBox_zadUvedoDate_water")->currentText(), key1);
    // The summary reads whole until the breakdown takes the room below it.
    auto *summary = widget<QTextBrowser>("txtBrowse_consumptionSumm_water");
    QCOMPARE(summary->verticalScrollBar()->maximum(), 0);
    click("push_zadUvedoViewAllData_water");
    QCOMPARE(summary->height(), 41);
    QCOMPARE(labelText("lb_amtOfWashingMachine"), QStringLiteral("$0.02 \u00b7 15 litres"));
    QCOMPARE(labelText("lb_amtOfShower"), QStringLiteral("$0.56 \u00b7 480 litres"));
    QCOMPARE(
        widget<QTextBrowser>("txtBrowse_consumptionSumm_water")->toPlainText(),
        QStringLiteral("You have spent $0.58. You used 495 litres.\nAnswers: washing machine 1 "
                       "load, shower 1 shower each"));
    click("push_vozAvaviButton");

    // Opened again, the day shows its own answers; one changed is stored.
    click("push_quickDay");
    pick("combo_quickDay_valOfLaptop", "5");
    click("push_saveQuickDay");
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfLaptop").toString(),
             QStringLiteral("1.1435"));

    // The fan is not asked in the bedroom: the laptop leads back to the rooms.
    click("push_quickDayBack");
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    QVERIFY(!shown("push_fan"));
    click("push_laptop");
    click("push_laptopOK");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::RoomsPage));
}

// Sunday 6 December is filled in from Sunday 29 November, a week before, not
// from Saturday 5 December; "as the day before" fills in from the Saturday.
// Unrecorded, the Sunday before leaves the Saturday, and the page says so.
// A household of 0 litres a watering has no lawn to ask about.
void TestCalculator::quickDayFilledByTheWeekday()
{
    const QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(CalculatorLogic::recordAppliance(db, "29/11/2026", 1, 3));    // laptop
    QVERIFY(CalculatorLogic::recordAppliance(db, "29/11/2026", 7, 0.25)); // hair dryer
    QVERIFY(CalculatorLogic::recordAppliance(db, "05/12/2026", 1, 5));
    openCalculator();
    click("push_vozAvaviButton");
    click("push_settings");
    typeInto(widget<QWidget>("le_litresLawn"), QStringLiteral("0"));
    click("push_settingsSave");
    QCOMPARE(labelText("lb_settingsMessage"), QString());
    click("push_quickDay");
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfLaptop")->currentText(), QStringLiteral("3"));
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfHairDryer")->currentText(),
             QStringLiteral("15 min"));
    QVERIFY2(
        labelText("lb_quickDayMessage").contains("as on Sunday 29 November 2026, a week before"),
        qPrintable(labelText("lb_quickDayMessage")));
    QVERIFY(!window->findChild<QComboBox *>("combo_quickDay_amtOfLawnUsed"));
    QVERIFY(window->findChild<QComboBox *>("combo_quickDay_amtOfShowerUsed"));
    click("push_fillFromYesterday");
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfLaptop")->currentText(), QStringLiteral("5"));
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfHairDryer")->currentText(),
             QStringLiteral("N.A"));
    QVERIFY2(labelText("lb_quickDayMessage").contains("as on Saturday 5 December 2026"),
             qPrintable(labelText("lb_quickDayMessage")));

    execute("DELETE FROM DayUsage WHERE dayKey='29/11/2026'");
    click("push_quickDayBack");
    click("push_quickDay");
    QCOMPARE(widget<QComboBox>("combo_quickDay_valOfLaptop")->currentText(), QStringLiteral("5"));
    QVERIFY2(labelText("lb_quickDayMessage")
                 .startsWith("Sunday 29 November 2026 was not recorded: filled in as on "
                             "Saturday 5 December 2026"),
             qPrintable(labelText("lb_quickDayMessage")));
}

// A quick day for three, then the tap's page: it opens at the day's three
// and its answer keeps them. Two minutes at the tap each (3 x 30 litres), a
// shower each (3 x 160) and a load (15) at 1.17 a cubic metre: 585 litres,
// 0.68445.
void TestCalculator::familyOfTheQuickDayKeptByTheTapPage()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_quickDay");
    pick("combo_quickDay_noOfFamilyMem", "3");
    pick("combo_quickDay_amtOfShowerUsed", "1");
    pick("combo_quickDay_amtOfWashingMachineUsed", "1");
    click("push_saveQuickDay");
    QVERIFY2(labelText("lb_quickDayMessage").contains(QLatin1String("495 litres")),
             qPrintable(labelText("lb_quickDayMessage")));
    click("push_quickDayBack");
    click("push_vozAvaviWaterIcon");
    QCOMPARE(widget<QComboBox>("comboBox_familyMem")->currentText(), QStringLiteral("3"));
    typeInto(widget<QWidget>("le_tapAmt"), QStringLiteral("2"));
    click("push_tapOK");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::WaterWashingMachinePage));
    QCOMPARE(storedRow("waterDiary", "waterRetrieveDate", key1).value("noOfFamilyMem").toString(),
             QStringLiteral("3"));
    click("push_zadUvedoButton");
    click("push_viewWaterDiary");
    QCOMPARE(paragraphs(widget<QTextBrowser>("txtBrowse_consumptionSumm_water")).value(0),
             QStringLiteral("You have spent $0.68. You used 585 litres."));
    // A day without a family opens at one.
    Clock::setToday(day2);
    click("push_vozAvaviButton");
    click("push_vozAvaviWaterIcon");
    QCOMPARE(widget<QComboBox>("comboBox_familyMem")->currentText(), QStringLiteral("1"));
}

// A count stepped down to 0 with the box's own button is saved as none, and
// the appliance is no longer asked.
void TestCalculator::countOfNoneSteppedToOnTheSettingsPage()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_settings");
    auto *fan = widget<QSpinBox>("spin_countFan");
    widget<QScrollArea>("scroll_settings")->ensureWidgetVisible(fan);
    QStyleOptionSpinBox option;
    option.initFrom(fan);
    option.subControls = QStyle::SC_All;
    option.buttonSymbols = fan->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QRect down =
        fan->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, fan);
    QTest::mouseClick(fan, Qt::LeftButton, {}, down.center());
    QCOMPARE(fan->text(), QStringLiteral("0"));
    click("push_settingsSave");
    QCOMPARE(labelText("lb_settingsMessage"), QString());
    QCOMPARE(queryValue("SELECT count FROM ApplianceCount WHERE applianceName='Fan'"), QVariant(0));
    QCOMPARE(SettingsLogic::count(QSqlDatabase::database(), 2), std::optional<int>(0));
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    QVERIFY(shown("push_laptop"));
    QVERIFY(!shown("push_fan"));
}

// A name holding what looks like a placeholder is listed as typed.
void TestCalculator::ownApplianceNamedAsTyped()
{
    QString error;
    QCOMPARE(SettingsLogic::addOwnAppliance(QSqlDatabase::database(), "Lamp %1", "40", 2, &error),
             1);
    openCalculator();
    click("push_vozAvaviButton");
    click("push_settings");
    QStringList listed;
    for (const QLabel *label : widget<QWidget>("wid_ownAppliances")->findChildren<QLabel *>())
        listed << label->text();
    QVERIFY2(listed.contains(QStringLiteral("Lamp %1: 40 W \u00d7 2")),
             qPrintable(listed.join('|')));
}

// An own electric water heater of 2000 W for 2 h: 4 kWh at the seeded
// 0.2287 a kWh, in the diary, the history, the ranking and the CSV; removed,
// it is no longer asked and its day keeps it.
void TestCalculator::ownApplianceRecordedRankedAndExported()
{
    openCalculator();
    click("push_vozAvaviButton");
    click("push_settings");
    // Further down the page, as a finger scrolls to it.
    auto *settings = widget<QScrollArea>("scroll_settings");
    settings->ensureWidgetVisible(widget<QWidget>("push_addOwnAppliance"));
    widget<QLineEdit>("le_ownApplianceName")->setText("Electric water heater");
    widget<QLineEdit>("le_ownApplianceWatts")->setText("0");
    click("push_addOwnAppliance");
    QVERIFY2(labelText("lb_settingsMessage").contains("from 1 to 5000"),
             qPrintable(labelText("lb_settingsMessage")));
    widget<QLineEdit>("le_ownApplianceWatts")->setText("2000");
    click("push_addOwnAppliance");
    QVariantMap own = storedRow("OwnAppliance", "id", "1");
    QCOMPARE(own.value("name").toString(), QStringLiteral("Electric water heater"));
    QCOMPARE(own.value("watts").toInt(), 2000);
    QCOMPARE(own.value("count").toInt(), 1);
    QVERIFY(shown("push_removeOwnAppliance_1"));
    click("push_settingsBack");

    click("push_quickDay");
    pick("combo_quickDay_own:1", "2");
    click("push_saveQuickDay");
    QVERIFY2(labelText("lb_quickDayMessage").contains("4.00 kWh ($0.91)"),
             qPrintable(labelText("lb_quickDayMessage")));
    QSqlQuery kept(QSqlDatabase::database());
    QVERIFY(kept.exec("SELECT amount, watts, count, quantity, cost FROM DayUsage JOIN "
                      "OwnApplianceDay ON applianceId = 1 AND OwnApplianceDay.dayKey = "
                      "DayUsage.dayKey WHERE item = 'own:1'"));
    QVERIFY(kept.next());
    QCOMPARE(kept.value(0).toDouble(), 2.0);
    QCOMPARE(kept.value(1).toInt(), 2000);
    QCOMPARE(kept.value(2).toInt(), 1);
    QCOMPARE(kept.value(3).toDouble(), 4.0);
    QCOMPARE(kept.value(4).toDouble(), 0.9148);

    click("push_quickDayBack");
    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    QCOMPARE(widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
             QStringLiteral("You have spent $0.91. You used 4.00 kWh.\n"
                            "Electric water heater: $0.91 \u00b7 4.00 kWh \u00b7 2 h"));
    click("push_zadUvedoButton");
    click("push_diaryHistory");
    QVERIFY2(labelText("lb_elec7").startsWith("Last 7 days: $0.91\n1 of 7 days, 4.00 kWh"),
             qPrintable(labelText("lb_elec7")));
    click("push_historySpending");
    auto *names = qobject_cast<QBarCategoryAxis *>(
        widget<QChartView>("chart_spending")->chart()->axes(Qt::Vertical).first());
    QCOMPARE(names->categories(), QStringList({"Electric water heater  $0.91  100 %"}));
    QCOMPARE(labelText("lb_spendingTip"),
             QStringLiteral("The Electric water heater cost you most."));
    const QByteArray csv = HistoryLogic::electricityCsv(QSqlDatabase::database());
    QVERIFY2(csv.contains(",refrigerator ($),Electric water heater (h),Electric water heater "
                          "($),total ($),used (kWh),air conditioner (kWh),"),
             csv.constData());
    QVERIFY2(csv.contains(",refrigerator (kWh),Electric water heater (kWh)\r\n2026-12-06,0,0,0,"
                          "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2,0.9148,0.91,4,0,0,0,0,0,0,0,0,"
                          "0,0,0,4\r\n"),
             csv.constData());

    // Removed: no longer asked; its recorded day keeps its name and cost.
    click("push_spendingBack");
    click("push_historyBack");
    click("push_settings");
    settings->ensureWidgetVisible(widget<QWidget>("push_removeOwnAppliance_1"));
    click("push_removeOwnAppliance_1");
    QCOMPARE(storedRow("OwnAppliance", "id", "1").value("removed").toInt(), 1);
    click("push_settingsBack");
    click("push_vozAvaviButton");
    click("push_quickDay");
    QVERIFY(!window->findChild<QComboBox *>("combo_quickDay_own:1"));
    QVERIFY(HistoryLogic::electricityCsv(QSqlDatabase::database())
                .contains(",2,0.9148,0.91,4,0,0,0,0,0,0,0,0,0,0,0,4\r\n"));
}

// The day chooser's calendar pops up within the window, its days a finger's
// size; a future day is greyed and a tap on it chooses nothing. Sunday
// 6 December 2026 is today: the page shows Mon 30 Nov to Sun 6 Dec in its
// first row of days, Mon 7 Dec (tomorrow) first in the second.
void TestCalculator::recordDayCalendarByFinger()
{
    openCalculator();
    click("push_vozAvaviButton");
    auto *day = widget<QDateEdit>("date_recordDay");
    QTest::mouseClick(day, Qt::LeftButton, {}, QPoint(day->width() - 10, day->height() / 2));
    auto *calendar = widget<QCalendarWidget>("calWid_recordDay");
    QVERIFY(calendar->isVisible());
    QVERIFY(QRect(window->mapToGlobal(QPoint(0, 0)), window->size())
                .contains(QRect(calendar->window()->mapToGlobal(QPoint(0, 0)),
                                calendar->window()->size())));
    auto *days = calendar->findChild<QTableView *>();
    for (int i = 0; i < 7; ++i) {
        QVERIFY(days->columnWidth(i) >= 40);
        QVERIFY(days->rowHeight(i) >= 40);
    }
    const QColor grey = calendar->palette().color(QPalette::Disabled, QPalette::Text);
    QCOMPARE(calendar->dateTextFormat(QDate(2026, 12, 7)).foreground().color(), grey);
    QVERIFY(calendar->dateTextFormat(QDate(2026, 12, 5)).foreground().color() != grey);

    const auto tap = [days](int row, int column) {
        QTest::mouseClick(days->viewport(), Qt::LeftButton, {},
                          days->visualRect(days->model()->index(row, column)).center());
    };
    tap(2, 0); // Monday 7 December: refused
    QCOMPARE(day->date(), day1);
    tap(1, 5); // Saturday 5 December
    QCOMPARE(day->date(), QDate(2026, 12, 5));
    QVERIFY(!calendar->isVisible());
}

// Answers go to the chosen day, never a future one, named on the question
// pages; the choice lapses when the calculator is left and at midnight. "Same
// as the last recorded day" asks before replacing a day's answers. A day
// recorded before answers were kept shows its costs and no usage.
void TestCalculator::anyDayAndSameAsTheLastDay()
{
    const QString saturday = CalculatorLogic::dayKey(day1.addDays(-1));
    // Recorded before usage was kept: costs only.
    QVERIFY(CalculatorLogic::upsertDay(QSqlDatabase::database(), "Diary", "retrieveDate",
                                       CalculatorLogic::dayKey(day1.addDays(-5)),
                                       {{"valOfFan", "1.14"}}));
    openCalculator();
    click("push_vozAvaviButton");
    auto *day = widget<QDateEdit>("date_recordDay");
    QCOMPARE(day->date(), day1);
    day->setDate(day1.addDays(1));
    QCOMPARE(day->date(), day1);
    day->setDate(day1.addDays(-1));
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    click("push_airCon");
    QCOMPARE(labelText("lb_recordingDay"), QStringLiteral("Recording for Saturday 5 December"));
    QCOMPARE(widget<QComboBox>("comboBox_airCon")->accessibleName(),
             QStringLiteral("Hours the air conditioner was on for Saturday 5 December"));
    pick("comboBox_airCon", "2");
    click("push_airConOK");
    QCOMPARE(storedRow("Diary", "retrieveDate", saturday).value("valOfAirCon").toString(),
             QStringLiteral("0.4574"));
    QVERIFY(storedRow("Diary", "retrieveDate", key1).isEmpty());

    // Elsewhere in the program and back: today again.
    click("push_ecoCalHomeButton");
    click("push_duzEvod");
    window->showPage(MainWindow::MainMenuPage);
    answerAppliance("push_bedroom", "push_airCon", "comboBox_airCon", "1", "push_airConOK");
    QCOMPARE(day->date(), day1);
    QCOMPARE(storedRow("Diary", "retrieveDate", key1).value("valOfAirCon").toString(),
             QStringLiteral("0.2287"));
    QCOMPARE(storedRow("Diary", "retrieveDate", saturday).value("valOfAirCon").toString(),
             QStringLiteral("0.4574"));

    // Saturday chosen again, then midnight on the entry page: Monday's.
    click("push_vozAvaviButton");
    day->setDate(day1.addDays(-1));
    Clock::setToday(day2);
    click("push_vozAvaviElectricityIcon");
    click("push_bedroom");
    click("push_airCon");
    QCOMPARE(labelText("lb_recordingDay"), QStringLiteral("Recording for Monday 7 December"));
    pick("comboBox_airCon", "3");
    click("push_airConOK");
    QCOMPARE(storedRow("Diary", "retrieveDate", key2).value("valOfAirCon").toString(),
             QStringLiteral("0.6861"));
    QCOMPARE(storedRow("Diary", "retrieveDate", saturday).value("valOfAirCon").toString(),
             QStringLiteral("0.4574"));

    // Monday has answers of both kinds: replacing them asks first, then
    // takes Sunday's as they are, none of Monday's left.
    QVERIFY(CalculatorLogic::recordWater(QSqlDatabase::database(), key2,
                                         {{"amtOfTapUsed", 10, CalculatorLogic::tapFactor}}));
    execute("UPDATE Rates SET rateAmt='0.5' WHERE rateType='electricity'");
    click("push_vozAvaviButton");
    QCOMPARE(day->date(), day2);
    click("push_sameAsLastDay");
    QCOMPARE(labelText("lb_recordDayMessage"),
             QStringLiteral("Monday 7 December already has answers. Replace them all with those "
                            "of Sunday 6 December?"));
    QCOMPARE(storedRow("Diary", "retrieveDate", key2).value("valOfAirCon").toString(),
             QStringLiteral("0.6861"));
    click("push_replaceDayAnswers");
    QCOMPARE(storedRow("Diary", "retrieveDate", key2).value("valOfAirCon").toString(),
             QStringLiteral("0.5"));
    QVERIFY(storedRow("waterDiary", "waterRetrieveDate", key2).isEmpty());
    QCOMPARE(labelText("lb_recordDayMessage"),
             QStringLiteral("Monday 7 December now has the answers of Sunday 6 December: 1 "
                            "appliance, 0 water activities, costed with today's settings."));
    QVERIFY(!shown("push_replaceDayAnswers"));

    click("push_zadUvedoButton");
    click("push_viewElecDiary");
    pick("comboBox_zadUvedoDate", CalculatorLogic::dayKey(day1.addDays(-5)));
    QCOMPARE(widget<QTextBrowser>("txtBrowse_consumptionSumm")->toPlainText(),
             QStringLiteral("You have spent $1.14."));
    click("push_zadUvedoViewAllData");
    QCOMPARE(labelText("lb_valOfFan"), QStringLiteral("$1.14"));
}

// Two readings through the meters page: a future day cannot be chosen, a
// lower reading is refused until the meter is said to be new; the history's
// meters page says what the two readings tell and draws the metered line
// over the days they cover.
void TestCalculator::meterReadingsThroughThePage()
{
    // The diary: 3 kWh on each of the last 10 days.
    for (int back = 1; back <= 10; ++back)
        QVERIFY(CalculatorLogic::recordAppliance(
            QSqlDatabase::database(), CalculatorLogic::dayKey(day1.addDays(-back)), 0, 3, 1000, 1));
    openCalculator();
    click("push_zadUvedoButton");
    click("push_meters");
    QVERIFY(widget<QRadioButton>("radio_electricityMeter")->isChecked());
    auto *day = widget<QDateEdit>("date_meterReading");
    QCOMPARE(day->date(), day1);
    day->setDate(day1.addDays(1));
    QCOMPARE(day->date(), day1);
    day->setDate(day1.addDays(-30));
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("1000.0"));
    click("push_saveMeterReading");
    day->setDate(day1);
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("1312.0"));
    click("push_saveMeterReading");
    QVERIFY2(labelText("lb_meterMessage").startsWith(QLatin1String("Stored 1312.0 kWh")),
             qPrintable(labelText("lb_meterMessage")));
    auto *list = widget<QListWidget>("list_meterReadings");
    QTRY_COMPARE(list->count(), 2);
    QVERIFY(list->item(0)->text().contains(QLatin1String("1312.0 kWh")));

    click("push_metersBack");
    click("push_diaryHistory");
    click("push_historyMeters");
    // 312 kWh in 30 days at the seeded 0.2287 a kWh; the diary's 30 kWh are
    // 10 %; December's 31 days at 10.4 kWh.
    QTRY_COMPARE(
        labelText("lb_meterHistorySummary"),
        QStringLiteral("From 6 Nov to 6 December 2026 (30 days) your meter counted 312.0 kWh, "
                       "$71.35, 10.4 kWh a day. Your diary explains 10 % of the 312.0 kWh "
                       "your meter counted. The diary's days compared: 6 Nov to 5 Dec; without "
                       "answers: 6 Nov, 7 Nov, 8 Nov, 9 Nov, 10 Nov, 15 more. At that rate, "
                       "December comes to 322.4 kWh, "
                       "$73.73."));
    QChart *chart = widget<QChartView>("chart_meters")->chart();
    auto *metered = qobject_cast<QLineSeries *>(chart->series().at(1));
    QVERIFY(metered);
    // The last 30 days but today, each a step at 10.4 kWh across its bar.
    QTRY_COMPARE(metered->count(), 58);
    QCOMPARE(metered->at(0), QPointF(-0.5, 10.4));
    QCOMPARE(metered->at(57), QPointF(28.5, 10.4));
    auto *bars = qobject_cast<QBarSeries *>(chart->series().at(0));
    QCOMPARE(bars->barSets().at(0)->at(28), 3.0);
    QCOMPARE(bars->barSets().at(0)->at(29), 0.0);
    // The readings of the meter looked at, and back to what they tell.
    widget<QRadioButton>("radio_meterHistoryWater")->setChecked(true);
    click("push_meterHistoryReadings");
    QVERIFY(widget<QRadioButton>("radio_waterMeter")->isChecked());
    click("push_metersBack");
    QVERIFY(widget<QWidget>("page_meterHistory")->isVisible());
    widget<QRadioButton>("radio_meterHistoryElectricity")->setChecked(true);
    click("push_meterHistoryReadings");
    QTRY_COMPARE(list->count(), 2);

    // The meter replaced 5 days ago: its first reading is lower, refused
    // until ticked as a new meter's.
    day->setDate(day1.addDays(-5));
    auto *newMeter = widget<QCheckBox>("check_meterReplaced");
    QVERIFY(!newMeter->isChecked());
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("12"));
    click("push_saveMeterReading");
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("lower")));
    QCOMPARE(queryValue("SELECT count(*) FROM MeterReading").toInt(), 2);
    newMeter->setChecked(true);
    click("push_saveMeterReading");
    day->setDate(day1);
    QVERIFY(!newMeter->isChecked()); // 1312 carries no mark
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("20"));
    click("push_saveMeterReading");
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("in place of")));
    // Tapping the new meter's first reading shows its mark; cleared, the two
    // meters would join and go down, so it is refused.
    QTRY_VERIFY(list->count() == 3 && list->item(0)->text().contains(QLatin1String("20 kWh")));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(day->date(), day1.addDays(-5));
    QVERIFY(newMeter->isChecked());
    newMeter->setChecked(false);
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("12"));
    click("push_saveMeterReading");
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("lower")));
    // Removed, its mark moves to the next reading: no use below zero.
    list->setCurrentRow(1);
    click("push_removeMeterReading");
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("6 December 2026 is now")));
    QCOMPARE(
        queryValue("SELECT newSeries FROM MeterReading WHERE readingDate='2026-12-06'").toInt(), 1);
    click("push_metersBack");
    QTRY_VERIFY(labelText("lb_meterHistorySummary").startsWith(QLatin1String("Enter two")));

    // A spreadsheet's semicolon file with decimal commas, then the app's own
    // export read back whole, through the import's file dialog.
    click("push_meterHistoryReadings");
    const QString spreadsheet = QDir::home().filePath("readings.csv");
    const auto importFile = [this](const QString &path, const QByteArray &bytes) {
        chooseMeterFile(path, bytes);
        click("push_importGo");
        QTRY_VERIFY(!labelText("lb_meterMessage").startsWith(QLatin1String("Importing")));
    };
    importFile(spreadsheet, "Datum;Z\xC3\xA4hlerstand\r\n2026-11-20;1100,5\r\n");
    QVERIFY2(labelText("lb_meterMessage").startsWith(QLatin1String("Imported 1 readings")),
             qPrintable(labelText("lb_meterMessage")));
    QVERIFY(list->item(1)->text().contains(QLatin1String("1100.5 kWh")));
    const QByteArray exported = MeterLogic::readingsCsv(QSqlDatabase::database());
    QVERIFY(exported.contains("electricity,2026-12-06,20,yes\r\n"));
    QVERIFY(QSqlQuery(QSqlDatabase::database()).exec("DELETE FROM MeterReading"));
    importFile(QDir::home().filePath("export.csv"), exported);
    QCOMPARE(list->count(), 3);
    QCOMPARE(MeterLogic::readingsCsv(QSqlDatabase::database()), exported);
    // Again: the same rows replace nothing; another reading of a day asks.
    importFile(spreadsheet, "2026-11-20;1100,7\r\n");
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("stored as 1100.5")));
    QVERIFY(widget<QWidget>("push_importMeterReadingsAnyway")->isVisible());
    click("push_importMeterReadingsAnyway");
    QTRY_VERIFY(labelText("lb_meterMessage").startsWith(QLatin1String("Imported 1 readings, 1")));
    QVERIFY(list->item(1)->text().contains(QLatin1String("1100.7 kWh")));
}

// A reading removed through the page comes back with "Undo" exactly as it
// was stored: an older row's text ("1.2e+03"), a new meter's mark and the
// mark its removal handed to the next reading.
void TestCalculator::removedMeterReadingPutBackAsStored()
{
    const QString rowsSql = QStringLiteral(
        "SELECT group_concat(meter || '|' || readingDate || '|' || reading || '|' || "
        "typeof(reading) || '|' || newSeries, ';') FROM (SELECT * FROM MeterReading "
        "ORDER BY meter, readingDate)");
    execute("INSERT INTO MeterReading (meter, readingDate, reading, newSeries) VALUES "
            "('electricity', '2025-11-01', '1.2e+03', 0), ('electricity', '2026-12-05', "
            "'12.50', 1), ('electricity', '2026-12-06', '20', 0), ('water', '2026-12-05', "
            "'7', 0)");
    const QString stored = queryValue(rowsSql).toString();
    openCalculator();
    click("push_zadUvedoButton");
    click("push_meters");
    auto *list = widget<QListWidget>("list_meterReadings");
    auto *undo = widget<QWidget>("push_undoRemoveReading");
    QTRY_COMPARE(list->count(), 3);
    QVERIFY(!undo->isVisible());
    // The new meter's first reading: its mark goes to the next one.
    list->setCurrentRow(1);
    click("push_removeMeterReading");
    QCOMPARE(labelText("lb_meterMessage"),
             QStringLiteral("Removed: 5 Dec 12.50 kWh. The reading of 6 December 2026 is now the "
                            "new meter's first."));
    QVERIFY(undo->isVisible());
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(
        queryValue("SELECT newSeries FROM MeterReading WHERE readingDate='2026-12-06'").toInt(), 1);
    click("push_undoRemoveReading");
    QCOMPARE(labelText("lb_meterMessage"), QStringLiteral("Put back: 5 Dec 12.50 kWh."));
    QVERIFY(!undo->isVisible());
    QTRY_COMPARE(list->count(), 3);
    QCOMPARE(queryValue(rowsSql).toString(), stored);
    // Last year's reading, stored as an older Viridio wrote it.
    list->setCurrentRow(2);
    click("push_removeMeterReading");
    QCOMPARE(labelText("lb_meterMessage"), QStringLiteral("Removed: 1 Nov 2025 1200 kWh."));
    click("push_undoRemoveReading");
    QCOMPARE(queryValue(rowsSql).toString(), stored);

    // A reading stored for the day since is never overwritten by the undo.
    const QSqlDatabase db = QSqlDatabase::database();
    MeterLogic::Removal removal;
    QVERIFY(
        MeterLogic::removeReading(db, MeterLogic::waterMeter, day1.addDays(-1), &removal).stored);
    QVERIFY(MeterLogic::saveReading(db, MeterLogic::waterMeter, day1.addDays(-1), "8", false, day1)
                .stored);
    const MeterLogic::Outcome refused = MeterLogic::restoreReading(db, removal);
    QVERIFY(!refused.stored);
    QCOMPARE(refused.message, QStringLiteral("Not put back: 5 Dec has a reading again, 8 m³."));
    QCOMPARE(queryValue("SELECT reading FROM MeterReading WHERE meter='water'").toString(),
             QStringLiteral("8"));
}

// "Go ahead" stores the rows the question was asked about, read when it was
// asked: not the file changed since, and no stored reading it did not name.
void TestCalculator::goAheadImportsTheRowsAsked()
{
    execute("INSERT INTO MeterReading (meter, readingDate, reading, newSeries) VALUES "
            "('electricity', '2026-11-20', '1100.5', 0)");
    openCalculator();
    click("push_zadUvedoButton");
    click("push_meters");
    const QString path = QDir::home().filePath("readings.csv");
    const auto finished = [this] {
        return !labelText("lb_meterMessage").startsWith(QLatin1String("Importing"));
    };
    const QString rowsSql = QStringLiteral(
        "SELECT group_concat(readingDate || '=' || reading, ' ') FROM (SELECT * FROM "
        "MeterReading ORDER BY readingDate)");
    chooseMeterFile(path, "2026-11-20,1100.7\r\n2026-11-25,1150\r\n");
    click("push_importGo");
    QTRY_VERIFY(finished());
    QVERIFY(labelText("lb_meterMessage").contains(QLatin1String("stored as 1100.5")));
    // The file changes before the answer: what was shown is imported.
    QFile changed(path);
    QVERIFY(changed.open(QIODevice::WriteOnly) &&
            changed.write("2026-11-20,1999\r\n2026-11-25,2000\r\n2026-11-30,2100\r\n") > 0);
    changed.close();
    click("push_importMeterReadingsAnyway");
    QTRY_VERIFY(finished());
    QCOMPARE(labelText("lb_meterMessage"),
             QStringLiteral("Imported 2 readings, 1 of them in place of stored ones."));
    QCOMPARE(queryValue(rowsSql).toString(), QStringLiteral("2026-11-20=1100.7 2026-11-25=1150"));

    // Another writer stores a day of the file after the question: asked again.
    chooseMeterFile(path, "2026-11-20,1100.9\r\n2026-11-28,1180\r\n");
    click("push_importGo");
    QTRY_VERIFY(finished());
    QVERIFY(!labelText("lb_meterMessage").contains(QLatin1String("2026-11-28")));
    execute("INSERT INTO MeterReading (meter, readingDate, reading, newSeries) VALUES "
            "('electricity', '2026-11-28', '1170', 0)");
    click("push_importMeterReadingsAnyway");
    QTRY_VERIFY(finished());
    QVERIFY2(
        labelText("lb_meterMessage").contains(QLatin1String("changed since you were asked")) &&
            labelText("lb_meterMessage").contains(QLatin1String("2026-11-28 is stored as 1170")),
        qPrintable(labelText("lb_meterMessage")));
    QCOMPARE(queryValue(rowsSql).toString(),
             QStringLiteral("2026-11-20=1100.7 2026-11-25=1150 2026-11-28=1170"));
    // Asked about both now, it replaces both.
    click("push_importMeterReadingsAnyway");
    QTRY_VERIFY(finished());
    QCOMPARE(queryValue(rowsSql).toString(),
             QStringLiteral("2026-11-20=1100.9 2026-11-25=1150 2026-11-28=1180"));
}

// The import page: a plain file imported with one tap; a file whose order of
// day and month is open asks, and imports the days the household says.
void TestCalculator::importPageAsksWhatTheFileLeavesOpen()
{
    openCalculator();
    click("push_zadUvedoButton");
    click("push_meters");
    const QString path = QDir::home().filePath("readings.csv");
    const QString rowsSql = QStringLiteral(
        "SELECT group_concat(readingDate || '=' || reading, ' ') FROM (SELECT * FROM "
        "MeterReading ORDER BY readingDate)");
    const auto finished = [this] {
        return !labelText("lb_meterMessage").startsWith(QLatin1String("Importing"));
    };
    // Metadata, a header, two registers: the one named a reading is read.
    chooseMeterFile(
        path, "Meter;4711\r\nDatum;Stand;Status\r\n2026-11-20;1100,5;ok\r\n2026-11-21;1101;ok\r\n");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::ImportFilePage));
    auto *table = widget<QTableWidget>("table_importPreview");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Stand"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("1100,5"));
    QCOMPARE(widget<QComboBox>("comboBox_importDate")->currentText(), QStringLiteral("Datum"));
    QCOMPARE(widget<QComboBox>("comboBox_importValue")->currentText(), QStringLiteral("Stand"));
    QVERIFY2(labelText("lb_importReadings").contains(QLatin1String("Fri 20 Nov 2026: 1100.5 kWh")),
             qPrintable(labelText("lb_importReadings")));
    click("push_importGo");
    QTRY_VERIFY(finished());
    QCOMPARE(labelText("lb_meterMessage"), QStringLiteral("Imported 2 readings."));
    QCOMPARE(queryValue(rowsSql).toString(), QStringLiteral("2026-11-20=1100.5 2026-11-21=1101"));

    // 10/11 and 11/11 without a day over 12: asked, nothing importable until
    // the household says the month comes first.
    execute("DELETE FROM MeterReading");
    chooseMeterFile(path, "Date,Reading\r\n10/11/2022,5\r\n11/11/2022,6\r\n");
    auto *go = widget<QPushButton>("push_importGo");
    QVERIFY(!go->isEnabled());
    QCOMPARE(widget<QComboBox>("comboBox_importDate")->currentText(),
             QStringLiteral("Date: day or month first?"));
    QVERIFY2(labelText("lb_importReadings").contains(QLatin1String("11 October 2022")),
             qPrintable(labelText("lb_importReadings")));
    tapItem("comboBox_importDate", QStringLiteral("Date, month first"));
    QTRY_VERIFY(go->isEnabled());
    QCOMPARE(widget<QComboBox>("comboBox_importDate")->currentText(),
             QStringLiteral("Date, month first"));
    click("push_importGo");
    QTRY_VERIFY(finished());
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::MetersPage));
    QCOMPARE(queryValue(rowsSql).toString(), QStringLiteral("2022-10-11=5 2022-11-11=6"));
}

// A message that says something was done is not shown in the failure's red,
// and a failure is not shown as a success: the meters page and the settings
// page's own appliances.
void TestCalculator::successLooksLikeSuccess()
{
    // The colour a label's text is drawn in: "green", "red" or "other".
    const auto colourOf = [this](const char *name) {
        auto *label = widget<QLabel>(name);
        const QColor colour = label->palette().color(label->foregroundRole());
        return colour.green() > colour.red() + 40    ? QStringLiteral("green")
               : colour.red() > colour.green() + 100 ? QStringLiteral("red")
                                                     : QStringLiteral("other");
    };
    openCalculator();
    click("push_zadUvedoButton");
    click("push_meters");
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("many"));
    click("push_saveMeterReading");
    QCOMPARE(colourOf("lb_meterMessage"), QStringLiteral("red"));
    typeInto(widget<QWidget>("le_meterReading"), QStringLiteral("1000"));
    click("push_saveMeterReading");
    QVERIFY(labelText("lb_meterMessage").startsWith(QLatin1String("Stored")));
    QCOMPARE(colourOf("lb_meterMessage"), QStringLiteral("green"));
    QCOMPARE(widget<QLabel>("lb_meterMessage")->property("messageTone").toString(),
             QStringLiteral("success"));

    click("push_metersBack");
    click("push_settings");
    click("push_addOwnAppliance"); // no name
    QCOMPARE(colourOf("lb_settingsMessage"), QStringLiteral("red"));
    QCOMPARE(widget<QLabel>("lb_settingsMessage")->property("messageTone").toString(),
             QStringLiteral("failure"));
    typeInto(widget<QWidget>("le_ownApplianceName"), QStringLiteral("Kettle"));
    typeInto(widget<QWidget>("le_ownApplianceWatts"), QStringLiteral("2000"));
    click("push_addOwnAppliance");
    QVERIFY(labelText("lb_settingsMessage").startsWith(QLatin1String("Added Kettle")));
    QCOMPARE(colourOf("lb_settingsMessage"), QStringLiteral("green"));
}

// Look ------------------------------------------------------------------------

void TestCalculator::historyShowsTotalsChartAndExports()
{
    // Electricity 1.20 on each of the last 7 days and 3.60 twenty days ago;
    // water for 2 members, 1.00 on the last 3 days and 3.00 ten days ago.
    const QSqlDatabase db = QSqlDatabase::database();
    const auto store = [&db](int back, const QString &power, const QString &tap) {
        const QString key = CalculatorLogic::dayKey(day1.addDays(-back));
        if (!power.isEmpty())
            QVERIFY(CalculatorLogic::upsertDay(db, "Diary", "retrieveDate", key,
                                               {{"valOfAirCon", power}}));
        if (!tap.isEmpty())
            QVERIFY(CalculatorLogic::upsertDay(db, "waterDiary", "waterRetrieveDate", key,
                                               {{"noOfFamilyMem", "2"}, {"amtOfTapUsed", tap}}));
    };
    for (int back = 0; back < 7; ++back)
        store(back, "1.2", back < 3 ? "0.5" : "");
    store(10, "", "1.5");
    store(20, "3.6", "");
    store(40, "50", "50");

    openCalculator();
    click("push_zadUvedoButton");
    click("push_diaryHistory");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::HistoryPage));
    QCOMPARE(labelText("lb_elec7"), QStringLiteral("Last 7 days: $8.40\n7 of 7 days"));
    QCOMPARE(labelText("lb_elec30"), QStringLiteral("Last 30 days: $12.00\n8 of 30 days"));
    QCOMPARE(labelText("lb_water7"), QStringLiteral("Last 7 days: $3.00\n3 of 7 days"));
    QCOMPARE(labelText("lb_water30"), QStringLiteral("Last 30 days: $6.00\n4 of 30 days"));

    QChart *chart = widget<QChartView>("chart_history")->chart();
    QVERIFY(chart->isVisible());
    const auto *days = qobject_cast<QBarCategoryAxis *>(chart->axes(Qt::Horizontal).first());
    QCOMPARE(days->count(), 30);
    const QList<QBarSet *> sets =
        qobject_cast<QStackedBarSeries *>(chart->series().first())->barSets();
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets.at(0)->count(), 30);
    QCOMPARE(sets.at(0)->at(29), 1.2); // today, the last bar
    QCOMPARE(sets.at(0)->at(9), 3.6);
    QCOMPARE(sets.at(1)->at(19), 3.0);
    QCOMPARE(sets.at(1)->at(20), 0.0); // a day without a record

    // The export goes to the documents folder of this home.
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home->path() + "/.config"));
    const QString folder = Documents::folder();
    QVERIFY(folder.startsWith(home->path()));
    // A file where the folder should be: the page says so and writes nothing.
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    click("push_exportDiaries");
    QTRY_VERIFY(labelText("lb_exportMessage").startsWith(QStringLiteral("The folder ")));
    QVERIFY(blocker.remove());
    // Links in the documents folder to a file of the household's, where this
    // export's folder and an earlier export's file would go: the export goes
    // to a folder of its own and writes through neither.
    QVERIFY(QDir().mkpath(folder));
    QFile profile(home->path() + "/.bashrc");
    QVERIFY(profile.open(QIODevice::WriteOnly) && profile.write("keep me\n") == 8);
    profile.close();
    QVERIFY(QFile::link(profile.fileName(), folder + "/viridio-export-2026-12-06"));
    QVERIFY(QFile::link(profile.fileName(), folder + "/viridio-electricity-2026-12-06.csv"));
    click("push_exportDiaries");
    // The page says it is working, and no second export starts meanwhile.
    QCOMPARE(labelText("lb_exportMessage"), QStringLiteral("Exporting your diaries ..."));
    QVERIFY(!widget<QAbstractButton>("push_exportDiaries")->isEnabled());
    QTRY_VERIFY(labelText("lb_exportMessage").startsWith(QStringLiteral("Saved in ")));
    QVERIFY(widget<QAbstractButton>("push_exportDiaries")->isEnabled());
    if (config.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
    const QString own = folder + "/viridio-export-2026-12-06-2";
    QVERIFY(QFileInfo(own + "/viridio-electricity-2026-12-06.csv").isFile());
    QVERIFY(QFileInfo(own + "/viridio-water-2026-12-06.csv").isFile());
    QVERIFY(labelText("lb_exportMessage").contains(QDir::toNativeSeparators(own)));
    QVERIFY(profile.open(QIODevice::ReadOnly));
    QCOMPARE(profile.readAll(), QByteArray("keep me\n"));
    QVERIFY(QFileInfo(folder + "/viridio-export-2026-12-06").isSymLink());

    click("push_historyBack");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::DiaryChoicePage));
}

// The history page says how each total changed, and its second page where
// the money went and how this month stands against a budget.
void TestCalculator::historyComparesRanksAndWarns()
{
    // Electricity: 2.00 on each of the last 6 days (this month, the 1st to the
    // 6th), 1.20 on each of the 7 days before the last 7. Water: 2.00 today.
    const QSqlDatabase db = QSqlDatabase::database();
    for (int back = 0; back < 14; ++back) {
        if (back == 6)
            continue;
        QVERIFY(CalculatorLogic::upsertDay(db, "Diary", "retrieveDate",
                                           CalculatorLogic::dayKey(day1.addDays(-back)),
                                           {{"valOfAirCon", back < 6 ? "2" : "1.2"}}));
    }
    QVERIFY(CalculatorLogic::upsertDay(db, "waterDiary", "waterRetrieveDate",
                                       CalculatorLogic::dayKey(day1),
                                       {{"noOfFamilyMem", "2"}, {"amtOfShowerUsed", "1"}}));
    execute("INSERT INTO Settings (key, value) VALUES ('electricityBudget', '30')");

    openCalculator();
    click("push_zadUvedoButton");
    click("push_diaryHistory");
    // 2.00 a recorded day (6 of 7) against 1.20 (7 of 7); water has no
    // earlier day to compare with.
    QCOMPARE(labelText("lb_elec7Change"), QStringLiteral("\u25B2 67 %"));
    QCOMPARE(widget<QLabel>("lb_elec7")->accessibleDescription(),
             QStringLiteral("up 67 % a recorded day on the 7 days before"));
    QCOMPARE(labelText("lb_water7Change"), QString());
    QCOMPARE(widget<QLabel>("lb_water7")->accessibleDescription(), QString());

    click("push_historySpending");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::SpendingPage));
    QChart *chart = widget<QChartView>("chart_spending")->chart();
    auto *names = qobject_cast<QBarCategoryAxis *>(chart->axes(Qt::Vertical).first());
    // The dearest is drawn at the top, the last category.
    QCOMPARE(names->categories(),
             QStringList({"shower  $2.00  9 %", "air conditioner  $20.40  91 %"}));
    QVERIFY(labelText("lb_spendingTip").startsWith("The air conditioner cost you most. Tip: "));
    // 12.00 by the 6th of a 31-day month is on course for 62.00.
    QCOMPARE(labelText("lb_electricityBudgetStatus"),
             QStringLiteral("Electricity this month: $12.00 of $30.00, on course for $62.00 by "
                            "your diary's 6 recorded days: above your budget."));
    QVERIFY(widget<QLabel>("lb_electricityBudgetStatus")->styleSheet().contains("190, 0, 0"));
    QCOMPARE(labelText("lb_waterBudgetStatus"),
             QStringLiteral("Water this month: $2.00, no budget set."));
    QVERIFY(!widget<QLabel>("lb_waterBudgetStatus")->styleSheet().contains("190, 0, 0"));
    click("push_spendingBack");
    QCOMPARE(calculatorPage(window.get()), int(MainWindow::HistoryPage));

    // A standing charge of 0.40 a day typed on the settings page: 2.40 more
    // by the 6th, 12.40 more over the 31 days.
    click("push_historyBack");
    click("push_settings");
    widget<QLineEdit>("le_electricityStandingCharge")->setText("0.40");
    click("push_settingsSave");
    click("push_diaryHistory");
    click("push_historySpending");
    QCOMPARE(labelText("lb_electricityBudgetStatus"),
             QStringLiteral("Electricity this month: $14.40 of $30.00, on course for $74.40 by "
                            "your diary's 6 recorded days: above your budget."));
}

// A name too long for either side of its bar is cut short with an ellipsis;
// none straddles its bar's end or runs past the chart.
void TestCalculator::spendingNamesStayWithinTheChart()
{
    const HistoryChart *charts = HistoryChart::load();
    QVERIFY(charts);
    QWidget page;
    auto *view = qobject_cast<QChartView *>(charts->createSpending(&page));
    QVERIFY(view);
    view->resize(400, 100);
    page.show();
    const QStringList labels = {
        "heater  $11.43  25 %", "air conditioner  $11.00  24 %  \u00b7 plug 21.00 kWh in 11 days",
        "refrigerator  $5.13  11 %  \u00b7 plug ~14.10 kWh in 11 days", "lights  $1.10  3 %"};
    const QList<double> costs = {11.43, 11.00, 5.13, 1.10};
    charts->fillSpending(view, labels, costs);
    QChart *chart = view->chart();
    const QRectF area = chart->plotArea();
    QMap<int, QString> byBar;
    for (QGraphicsItem *item : chart->childItems()) {
        const auto *name = dynamic_cast<QGraphicsSimpleTextItem *>(item);
        if (!name || !name->data(0).isValid())
            continue;
        const int bar = name->data(0).toInt(); // the dearest is the last bar
        const qreal end = chart->mapToPosition(QPointF(costs.at(labels.size() - 1 - bar), bar)).x();
        const QRectF box = name->mapRectToParent(name->boundingRect());
        QVERIFY2(box.right() <= end || box.left() >= end, qPrintable(name->text()));
        QVERIFY2(box.right() <= area.right() + 1, qPrintable(name->text()));
        byBar.insert(labels.size() - 1 - bar, name->text());
    }
    // The dearest bar keeps half the chart or more.
    const qreal dearestEnd = chart->mapToPosition(QPointF(costs.first(), labels.size() - 1)).x();
    QVERIFY(dearestEnd - chart->mapToPosition(QPointF(0, labels.size() - 1)).x() >=
            area.width() / 2 - 1);
    const QStringList shown = byBar.values();
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown.at(0), labels.at(0));
    QCOMPARE(shown.at(3), labels.at(3));
    QVERIFY2(shown.at(1).endsWith(QChar(0x2026)), qPrintable(shown.at(1)));
    QVERIFY2(shown.at(1).startsWith("air conditioner  $11.00  24 %"), qPrintable(shown.at(1)));
}

// Six items that cost the same: whole percents 17, 17, 17, 17, 16, 16, in the
// order of the diary's columns, then the own appliance; a name holding "%1"
// and a currency sign "%0" are shown as typed.
void TestCalculator::whereItWentShowsNamesAndSignsAsTyped()
{
    QString error;
    QCOMPARE(
        SettingsLogic::addOwnAppliance(QSqlDatabase::database(), "%1 heater", "700", 1, &error), 1);
    execute("INSERT INTO Diary (retrieveDate, valOfAirCon, valOfLaptop, valOfFan, valOfLights, "
            "valOfDvdPlayer) VALUES (?, '0.07', '0.07', '0.07', '0.07', '0.07')",
            {key1});
    execute("INSERT INTO OwnApplianceDay (dayKey, applianceId, cost) VALUES (?, 1, 0.07)", {key1});
    openCalculator();
    click("push_zadUvedoButton");
    click("push_settings");
    typeInto(widget<QWidget>("le_currency"), QStringLiteral("%0"));
    click("push_settingsSave");
    QCOMPARE(labelText("lb_settingsMessage"), QString());
    click("push_diaryHistory");
    click("push_historySpending");
    auto *names = qobject_cast<QBarCategoryAxis *>(
        widget<QChartView>("chart_spending")->chart()->axes(Qt::Vertical).first());
    // The dearest at the top, the axis's last category.
    QCOMPARE(names->categories(),
             QStringList({"%1 heater  %00.07  16 %", "DVD player  %00.07  16 %",
                          "lights  %00.07  17 %", "fan  %00.07  17 %", "laptop  %00.07  17 %",
                          "air conditioner  %00.07  17 %"}));
}

// No text of the calculator's labels and buttons is cut off by its widget
// with the fonts the program draws with.
void TestCalculator::textsFitTheirWidgets()
{
    // Every page, as each is built on its first visit.
    for (int page = 0; page < MainWindow::CalculatorBodyPageCount; ++page) {
        if (page != MainWindow::UnusedPageA && page != MainWindow::UnusedPageB)
            window->showPage(MainWindow::CalculatorBodyPage(page));
    }
    QStringList cut;
    auto *frame = widget<QWidget>("page_6");
    for (QLabel *label : frame->findChildren<QLabel *>()) {
        // Trailing blanks are not drawn. A value label's placeholder is never
        // shown (the breakdown is hidden until filled): measure the widest
        // money the diaries write there instead.
        QString text = label->text();
        if (text == QLatin1String("TextLabel"))
            text = QStringLiteral("$88.88");
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        if (text.isEmpty() || Qt::mightBeRichText(text) || !label->pixmap().isNull())
            continue;
        const QRect area = label->contentsRect();
        const QFontMetrics metrics(label->font());
        QRect needed;
        if (label->wordWrap())
            needed = metrics.boundingRect(QRect(0, 0, area.width(), 10000),
                                          Qt::TextWordWrap | label->alignment(), text);
        else
            needed = metrics.boundingRect(QRect(0, 0, 10000, 10000), label->alignment(), text);
        const QRect ink = metrics.tightBoundingRect(text);
        // Lines may share their leading with the label's edges, but no glyph
        // may be clipped.
        const bool oneLine = needed.height() < metrics.height() + metrics.lineSpacing();
        const int height = oneLine ? ink.height() : needed.height() - metrics.leading();
        if (needed.width() > area.width() || height > area.height())
            cut.append(QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                           .arg(label->objectName(), text)
                           .arg(needed.width())
                           .arg(height)
                           .arg(area.width())
                           .arg(area.height()));
    }
    for (QPushButton *button : frame->findChildren<QPushButton *>()) {
        const QString text = button->text();
        if (text.isEmpty())
            continue;
        const QFontMetrics metrics(button->font());
        if (metrics.horizontalAdvance(text) + 8 > button->width())
            cut.append(QStringLiteral("%1 \"%2\"").arg(button->objectName(), text));
    }
    for (const QString &line : std::as_const(cut))
        qWarning("cut off: %s", qPrintable(line));
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("%1 texts cut off").arg(cut.size())));
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
