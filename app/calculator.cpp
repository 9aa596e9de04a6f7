// The energy and water calculator: its frame, the electricity and water
// questions that record the day's costs, and the two diaries that read them.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "calculatorlogic.h"
#include "clock.h"
#include "settingslogic.h"

#include <QPixmap>
#include <QScrollBar>

using namespace CalculatorLogic;

namespace {

// Inner pages of stackWid_ecoCalBody.
enum CalculatorPage
{
    IntroPage = 0,
    RoomsPage = 1,
    BedroomPage = 2,
    LivingRoomPage = 6,
    ToiletRoomPage = 10,
    KitchenPage = 13,
    ElectricityDiaryPage = 18,
    TapPage = 19,
    WaterWashingMachinePage = 20,
    DishWashingPage = 21,
    ShowerAndToiletPage = 22,
    LawnPage = 23,
    WaterDiaryPage = 24,
    DiaryChoicePage = 25,
    EntryChoicePage = 26,
};

const QString images = QStringLiteral(":/new/prefix1/images/");

void loadPicture(QLabel *label, const QString &fileName)
{
    label->setPixmap(QPixmap(images + fileName));
}

// The eleven appliances in the Diary's column order. Each room's appliances
// follow each other; the last of a room leads back to the rooms page.
struct Appliance
{
    QComboBox *Ui::MainWindow::*hours;
    QLabel *Ui::MainWindow::*picture;
    const char *pictureFile;
    int page;
    bool lastOfRoom;
};

const Appliance appliances[] = {
    {&Ui::MainWindow::comboBox_airCon, &Ui::MainWindow::lb_airConImage, "ecoCalAirCon.png", 3,
     false},
    {&Ui::MainWindow::comboBox_laptop, &Ui::MainWindow::lb_laptopImage, "ecoCalLaptop.png", 4,
     false},
    {&Ui::MainWindow::comboBox_fan, &Ui::MainWindow::lb_fanImage, "ecoCalFan.png", 5, true},
    {&Ui::MainWindow::comboBox_lights, &Ui::MainWindow::lb_lightsImage, "ecoCalCeilingLights.png",
     7, false},
    {&Ui::MainWindow::comboBox_dvdPlayer, &Ui::MainWindow::lb_dvdPlayerImage, "ecoCalDVDPlayer.png",
     8, false},
    {&Ui::MainWindow::comboBox_lcdTv, &Ui::MainWindow::lb_lcdTv, "ecoCalLcdTv copy.png", 9, true},
    {&Ui::MainWindow::comboBox_washingMachine, &Ui::MainWindow::lb_washingMachineImage,
     "ecoCalwWashingMachine.png", 11, false},
    {&Ui::MainWindow::comboBox_hairDryer, &Ui::MainWindow::lb_hairDryerImage, "ecoCalHairDryer.png",
     12, true},
    {&Ui::MainWindow::comboBox_microwave, &Ui::MainWindow::lb_microwaveImage, "ecoCalMicrowave.png",
     14, false},
    {&Ui::MainWindow::comboBox_riceCooker, &Ui::MainWindow::lb_riceCookerImage,
     "ecoCalRiceCooker.png", 15, false},
    {&Ui::MainWindow::comboBox_refrigerator, &Ui::MainWindow::lb_refrigeratorImage,
     "ecoCalRefrigerator.png", 16, true},
};

enum ApplianceIndex
{
    AirCon,
    Laptop,
    Fan,
    Lights,
    DvdPlayer,
    LcdTv,
    WashingMachine,
    HairDryer,
    Microwave,
    RiceCooker,
    Refrigerator
};

// The rooms page shows a picture of each room under its button.
void loadRoomPictures(Ui::MainWindow *ui)
{
    loadPicture(ui->label, QStringLiteral("toiletHeader.jpg"));
    loadPicture(ui->label_2, QStringLiteral("kitchenHeader.jpg"));
    loadPicture(ui->label_3, QStringLiteral("livingRoomHeader.jpg"));
    loadPicture(ui->label_4, QStringLiteral("bedroomHeader.jpg"));
}

void clearRoomPictures(Ui::MainWindow *ui)
{
    ui->label->clear();
    ui->label_2->clear();
    ui->label_3->clear();
    ui->label_4->clear();
}

void openAppliance(Ui::MainWindow *ui, ApplianceIndex index)
{
    const Appliance &appliance = appliances[index];
    loadPicture(ui->*appliance.picture, QString::fromLatin1(appliance.pictureFile));
    ui->stackWid_ecoCalBody->setCurrentIndex(appliance.page);
}

// An appliance's "Ok!": records the day's cost of the chosen hours and moves
// on to the room's next appliance, or back to the rooms page.
void answerAppliance(Ui::MainWindow *ui, const QSqlDatabase &db, ApplianceIndex index)
{
    const Appliance &appliance = appliances[index];
    (ui->*appliance.picture)->clear();
    if (!appliance.lastOfRoom) {
        const Appliance &next = appliances[index + 1];
        loadPicture(ui->*next.picture, QString::fromLatin1(next.pictureFile));
    }

    const double electricityRate = rate(db, QStringLiteral("electricity"));
    const QString key = dayKey(Clock::today());
    const double hours = readNumber((ui->*appliance.hours)->currentText());
    const double cost = applianceCost(hours, SettingsLogic::watts(db, index), electricityRate);
    upsertDay(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"), key,
              {{applianceColumns().at(index), numberText(cost)}});

    if (appliance.lastOfRoom) {
        loadRoomPictures(ui);
        ui->stackWid_ecoCalBody->setCurrentIndex(RoomsPage);
    } else {
        ui->stackWid_ecoCalBody->setCurrentIndex(appliance.page + 1);
    }
}

// Records a water page's answers in today's waterDiary row.
void recordWater(const QSqlDatabase &db, const ColumnValues &values)
{
    upsertDay(db, QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate"),
              dayKey(Clock::today()), values);
}

QString spentSentence(const QSqlDatabase &db, double total)
{
    return QStringLiteral("You have spent %1.").arg(moneyText(total, SettingsLogic::currency(db)));
}

const QString emptyDiaryMessage =
    QStringLiteral("You do not have any diary entries yet.\nGo to VozAvavi to create one now.");

// The electricity breakdown: a caption and a value label per appliance, in
// the Diary's column order.
QList<QPair<QLabel *, QLabel *>> electricityBreakdown(Ui::MainWindow *ui)
{
    return {
        {ui->label_18, ui->lb_valOfAirCon},
        {ui->label_21, ui->lb_valOfLaptop},
        {ui->label_23, ui->lb_valOfFan},
        {ui->label_26, ui->lb_valOfLights},
        {ui->label_28, ui->lb_valOfDVDPlayer},
        {ui->label_30, ui->lb_valOfTv},
        {ui->label_32, ui->lb_valOfWashingMachine},
        {ui->label_34, ui->lb_valOfHairDryer},
        {ui->label_36, ui->lb_valOfMicrowave},
        {ui->label_37, ui->lb_valOfRiceCooker},
        {ui->label_40, ui->lb_valOfRefrigerator},
    };
}

// The water breakdown: family members, then the six activities in the
// waterDiary's column order.
QList<QPair<QLabel *, QLabel *>> waterBreakdown(Ui::MainWindow *ui)
{
    return {
        {ui->label_19, ui->lb_noOfFamMem},          {ui->label_22, ui->lb_amtOfTap},
        {ui->label_25, ui->lb_amtOfWashingMachine}, {ui->label_27, ui->lb_amtOfDishWashing},
        {ui->label_29, ui->lb_amtOfShower},         {ui->label_31, ui->lb_amtOfLawn},
        {ui->label_33, ui->lb_amtOfToilet},
    };
}

void setBreakdownVisible(const QList<QPair<QLabel *, QLabel *>> &rows, bool visible)
{
    for (const auto &[caption, value] : rows) {
        value->setVisible(visible);
        caption->setVisible(visible);
    }
}

void fillElectricityBreakdown(Ui::MainWindow *ui, const QSqlDatabase &db, const ElectricityDay &day)
{
    const QString sign = SettingsLogic::currency(db);
    const auto rows = electricityBreakdown(ui);
    for (int i = 0; i < rows.size(); ++i)
        rows.at(i).second->setText(moneyText(day.costs[i], sign));
}

void fillWaterBreakdown(Ui::MainWindow *ui, const QSqlDatabase &db, const WaterDay &day)
{
    const QString sign = SettingsLogic::currency(db);
    const auto rows = waterBreakdown(ui);
    rows.at(0).second->setText(numberText(day.members));
    for (int i = 0; i < int(day.costs.size()); ++i)
        rows.at(i + 1).second->setText(moneyText(day.costs[i], sign));
}

} // namespace

// Frame ---------------------------------------------------------------------

void MainWindow::on_push_ecoCal_clicked()
{
    ui->stackWid_content->setCurrentIndex(5);
    ui->stackWid_ecoCalBody->setCurrentIndex(IntroPage);
    loadPicture(ui->lb_ecoCalMainPageImage, QStringLiteral("vozAvavi_mainPageImage.png"));
}

void MainWindow::on_push_ecoCalHomeButton_clicked()
{
    ui->lb_ecoCalMainPageImage->clear();
    ui->stackWid_content->setCurrentIndex(2);
}

void MainWindow::on_push_vozAvaviButton_clicked()
{
    ui->lb_ecoCalMainPageImage->clear();
    ui->lb_tipsImage->clear();
    ui->lb_tipsImage_2->clear();
    ui->stackWid_ecoCalBody->setCurrentIndex(EntryChoicePage);
}

void MainWindow::on_push_zadUvedoButton_clicked()
{
    ui->lb_ecoCalMainPageImage->clear();
    ui->lb_tipsImage->clear();
    ui->lb_tipsImage_2->clear();
    ui->stackWid_ecoCalBody->setCurrentIndex(DiaryChoicePage);
}

// Electricity: rooms and appliances ------------------------------------------

void MainWindow::on_push_vozAvaviElectricityIcon_clicked()
{
    ui->stackWid_ecoCalBody->setCurrentIndex(RoomsPage);
    loadRoomPictures(ui);
}

void MainWindow::on_push_bedroom_clicked()
{
    ui->stackWid_ecoCalBody->setCurrentIndex(BedroomPage);
    clearRoomPictures(ui);
}

void MainWindow::on_push_livingRoom_clicked()
{
    ui->stackWid_ecoCalBody->setCurrentIndex(LivingRoomPage);
    clearRoomPictures(ui);
}

void MainWindow::on_push_toilet_clicked()
{
    ui->stackWid_ecoCalBody->setCurrentIndex(ToiletRoomPage);
    clearRoomPictures(ui);
}

void MainWindow::on_push_kitchen_clicked()
{
    ui->stackWid_ecoCalBody->setCurrentIndex(KitchenPage);
    clearRoomPictures(ui);
}

void MainWindow::on_push_airCon_clicked()
{
    openAppliance(ui, AirCon);
}

void MainWindow::on_push_laptop_clicked()
{
    openAppliance(ui, Laptop);
}

void MainWindow::on_push_fan_clicked()
{
    openAppliance(ui, Fan);
}

void MainWindow::on_push_lights_clicked()
{
    openAppliance(ui, Lights);
}

void MainWindow::on_push_dvdPlayer_clicked()
{
    openAppliance(ui, DvdPlayer);
}

void MainWindow::on_push_lcdTv_clicked()
{
    openAppliance(ui, LcdTv);
}

void MainWindow::on_push_washingMachine_clicked()
{
    openAppliance(ui, WashingMachine);
}

void MainWindow::on_push_hairDryer_clicked()
{
    openAppliance(ui, HairDryer);
}

void MainWindow::on_push_microwave_clicked()
{
    openAppliance(ui, Microwave);
}

void MainWindow::on_push_riceCooker_clicked()
{
    openAppliance(ui, RiceCooker);
}

void MainWindow::on_push_refrigerator_clicked()
{
    openAppliance(ui, Refrigerator);
}

void MainWindow::on_push_airConOK_clicked()
{
    answerAppliance(ui, db, AirCon);
}

void MainWindow::on_push_laptopOK_clicked()
{
    answerAppliance(ui, db, Laptop);
}

void MainWindow::on_push_fanOK_clicked()
{
    answerAppliance(ui, db, Fan);
}

void MainWindow::on_push_lightsOK_clicked()
{
    answerAppliance(ui, db, Lights);
}

void MainWindow::on_push_dvdPlayerOK_clicked()
{
    answerAppliance(ui, db, DvdPlayer);
}

void MainWindow::on_push_lcdTvOK_clicked()
{
    answerAppliance(ui, db, LcdTv);
}

void MainWindow::on_push_washingMachineOK_clicked()
{
    answerAppliance(ui, db, WashingMachine);
}

void MainWindow::on_push_hairDryerOK_clicked()
{
    answerAppliance(ui, db, HairDryer);
}

void MainWindow::on_push_microwaveOK_clicked()
{
    answerAppliance(ui, db, Microwave);
}

void MainWindow::on_push_riceCookerOK_clicked()
{
    answerAppliance(ui, db, RiceCooker);
}

void MainWindow::on_push_refrigeratorOK_clicked()
{
    answerAppliance(ui, db, Refrigerator);
}

// Water questions ------------------------------------------------------------

void MainWindow::on_push_vozAvaviWaterIcon_clicked()
{
    loadPicture(ui->lb_tapIconImage, QStringLiteral("tapicon.png"));
    ui->stackWid_ecoCalBody->setCurrentIndex(TapPage);
}

void MainWindow::on_push_tapOK_clicked()
{
    ui->lb_tapIconImage->clear();
    const double waterRate = rate(db, QStringLiteral("water"));
    const double minutes = readNumber(ui->le_tapAmt->text());
    const double members = readNumber(ui->comboBox_familyMem->currentText());
    recordWater(
        db, {{QStringLiteral("amtOfTapUsed"), numberText(waterCost(minutes, tapFactor, waterRate))},
             {QStringLiteral("noOfFamilyMem"), numberText(members)}});
    loadPicture(ui->lb_washingMachineIconImageWater, QStringLiteral("washingMachine.jpg"));
    ui->stackWid_ecoCalBody->setCurrentIndex(WaterWashingMachinePage);
}

void MainWindow::on_push_washingMachineWaterOK_clicked()
{
    ui->lb_washingMachineIconImageWater->clear();
    const double waterRate = rate(db, QStringLiteral("water"));
    const double uses = readNumber(ui->comboBox_washingMachineWater->currentText());
    recordWater(db, {{QStringLiteral("amtOfWashingMachineUsed"),
                      numberText(waterCost(uses, washingMachineFactor, waterRate))}});
    loadPicture(ui->lb_dishWashingImage, QStringLiteral("dishWashing.jpg"));
    ui->stackWid_ecoCalBody->setCurrentIndex(DishWashingPage);
}

void MainWindow::on_push_dishWashingWaterOK_clicked()
{
    ui->lb_dishWashingImage->clear();
    const double waterRate = rate(db, QStringLiteral("water"));
    const double washes = readNumber(ui->comboBox_dishWashingWater->currentText());
    recordWater(db, {{QStringLiteral("amtOfdishWashingUsed"),
                      numberText(waterCost(washes, dishWashingFactor, waterRate))}});
    loadPicture(ui->lb_showerImage, QStringLiteral("showerIcon.png"));
    loadPicture(ui->lb_toiletImage, QStringLiteral("icon_toilet.gif"));
    ui->stackWid_ecoCalBody->setCurrentIndex(ShowerAndToiletPage);
}

void MainWindow::on_push_showerNtoiletOK_clicked()
{
    ui->lb_showerImage->clear();
    ui->lb_toiletImage->clear();
    const double waterRate = rate(db, QStringLiteral("water"));
    const double showers = readNumber(ui->comboBox_showerWater->currentText());
    const double flushes = readNumber(ui->comboBox_toiletWater->currentText());
    recordWater(db, {{QStringLiteral("amtOfShowerUsed"),
                      numberText(waterCost(showers, showerFactor, waterRate))},
                     {QStringLiteral("amtOfToiletBowlUsed"),
                      numberText(waterCost(flushes, toiletFactor, waterRate))}});
    loadPicture(ui->lb_lawnImage, QStringLiteral("lawn.jpg"));
    ui->stackWid_ecoCalBody->setCurrentIndex(LawnPage);
}

void MainWindow::on_push_lawnOK_clicked()
{
    ui->lb_lawnImage->clear();
    const double waterRate = rate(db, QStringLiteral("water"));
    const double mowings = readNumber(ui->comboBox_lawnWater->currentText());
    recordWater(db, {{QStringLiteral("amtOfLawnUsed"),
                      numberText(waterCost(mowings, lawnFactor, waterRate))}});
    loadPicture(ui->lb_zadUvedoBackground, QStringLiteral("diaryBackground.png"));
    ui->stackWid_ecoCalBody->setCurrentIndex(DiaryChoicePage);
}

// Electricity diary -----------------------------------------------------------

void MainWindow::on_push_viewElecDiary_clicked()
{
    loadPicture(ui->lb_tipsImage, QStringLiteral("vozAvavi_tips.png"));
    ui->stackWid_ecoCalBody->setCurrentIndex(ElectricityDiaryPage);
    setBreakdownVisible(electricityBreakdown(ui), false);
    elecBreakdownShown = false;

    const QStringList days =
        storedDays(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"));
    // Clearing the list shows no day; adding the first day shows that day.
    ui->comboBox_zadUvedoDate->clear();
    for (const QString &day : days)
        ui->comboBox_zadUvedoDate->addItem(day);
}

void MainWindow::on_comboBox_zadUvedoDate_currentIndexChanged(const QString &)
{
    ui->push_zadUvedoViewAllData->show();
    const ElectricityDay day = electricityDay(db, ui->comboBox_zadUvedoDate->currentText());
    if (!day.found)
        return;
    ui->txtBrowse_consumptionSumm->setPlainText(spentSentence(db, electricityTotal(day.costs)));

    ui->txtBrowse_tips->clear();
    const QStringList tips = tipsFor(day.costs, applianceTipNames(),
                                     [this](const QString &name) { return randomTip(db, name); });
    for (const QString &tip : tips)
        ui->txtBrowse_tips->append(QLatin1Char(' ') + tip);
    // Each tip goes to the end; the reader starts with the first.
    ui->txtBrowse_tips->verticalScrollBar()->setValue(0);

    // A breakdown on screen belongs to the day on screen.
    if (elecBreakdownShown)
        fillElectricityBreakdown(ui, db, day);
}

void MainWindow::on_push_zadUvedoViewAllData_clicked()
{
    const ElectricityDay day = electricityDay(db, ui->comboBox_zadUvedoDate->currentText());
    if (!day.found) {
        ui->txtBrowse_tips->setPlainText(emptyDiaryMessage);
        return;
    }
    ui->txtBrowse_consumptionSumm->setPlainText(spentSentence(db, electricityTotal(day.costs)));
    setBreakdownVisible(electricityBreakdown(ui), true);
    fillElectricityBreakdown(ui, db, day);
    ui->push_zadUvedoViewAllData->hide();
    elecBreakdownShown = true;
}

// Water diary ---------------------------------------------------------------

void MainWindow::on_push_viewWaterDiary_clicked()
{
    loadPicture(ui->lb_tipsImage_2, QStringLiteral("vozAvavi_tips.png"));
    ui->stackWid_ecoCalBody->setCurrentIndex(WaterDiaryPage);
    setBreakdownVisible(waterBreakdown(ui), false);
    waterBreakdownShown = false;

    const QStringList days =
        storedDays(db, QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate"));
    // Clearing the list shows no day; adding the first day shows that day.
    ui->comboBox_zadUvedoDate_water->clear();
    for (const QString &day : days)
        ui->comboBox_zadUvedoDate_water->addItem(day);
}

void MainWindow::on_comboBox_zadUvedoDate_water_currentIndexChanged(const QString &)
{
    ui->push_zadUvedoViewAllData_water->show();
    const WaterDay day = waterDay(db, ui->comboBox_zadUvedoDate_water->currentText());
    if (!day.found)
        return;
    ui->txtBrowse_consumptionSumm_water->setPlainText(
        spentSentence(db, waterTotal(day.members, day.costs)));

    ui->txtBrowse_tips_water->clear();
    const QStringList tips = tipsFor(day.costs, waterTipNames(), [this](const QString &name) {
        return randomWaterTip(db, name);
    });
    for (const QString &tip : tips)
        ui->txtBrowse_tips_water->append(QLatin1Char(' ') + tip);
    // Each tip goes to the end; the reader starts with the first.
    ui->txtBrowse_tips_water->verticalScrollBar()->setValue(0);

    // A breakdown on screen belongs to the day on screen.
    if (waterBreakdownShown)
        fillWaterBreakdown(ui, db, day);
}

void MainWindow::on_push_zadUvedoViewAllData_water_clicked()
{
    const WaterDay day = waterDay(db, ui->comboBox_zadUvedoDate_water->currentText());
    if (!day.found) {
        ui->txtBrowse_tips_water->setPlainText(emptyDiaryMessage);
        return;
    }
    ui->txtBrowse_consumptionSumm_water->setPlainText(
        spentSentence(db, waterTotal(day.members, day.costs)));
    setBreakdownVisible(waterBreakdown(ui), true);
    fillWaterBreakdown(ui, db, day);
    ui->push_zadUvedoViewAllData_water->hide();
    waterBreakdownShown = true;
}
