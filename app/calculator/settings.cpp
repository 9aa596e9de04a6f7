// The household's settings page: its two tariffs, its currency sign and the
// power of each appliance, opened from the calculator's two choice pages.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "calculator/settingslogic.h"

#include <QLocale>

#include <array>

namespace {

using SettingsLogic::Household;

// The power boxes in the Diary's column order.
std::array<QSpinBox *, SettingsLogic::applianceCount> powerBoxes(Ui::MainWindow *ui)
{
    return {ui->spin_powerAirCon,         ui->spin_powerLaptop,      ui->spin_powerFan,
            ui->spin_powerLights,         ui->spin_powerDvdPlayer,   ui->spin_powerLcdTv,
            ui->spin_powerWashingMachine, ui->spin_powerHairDryer,   ui->spin_powerMicrowave,
            ui->spin_powerRiceCooker,     ui->spin_powerRefrigerator};
}

void showWatts(Ui::MainWindow *ui, const SettingsLogic::Watts &watts)
{
    const auto boxes = powerBoxes(ui);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes.at(i)->setValue(watts.at(i));
}

// Tariffs are shown with a decimal point, which every locale's typing accepts.
QString rateText(double rate)
{
    return QString::number(rate, 'g', QLocale::FloatingPointShortest);
}

void showHousehold(Ui::MainWindow *ui, const Household &household)
{
    ui->le_electricityRate->setText(rateText(household.electricityRate));
    ui->le_waterRate->setText(rateText(household.waterRate));
    ui->le_currency->setText(household.currency);
    showWatts(ui, household.watts);
    ui->lb_settingsMessage->clear();
}

// The typed household; error tells the first value that is not allowed.
Household typedHousehold(Ui::MainWindow *ui, QString *error)
{
    Household household;
    const auto electricity =
        SettingsLogic::parseTariff(ui->le_electricityRate->text(), QStringLiteral("electricity"));
    const auto water =
        SettingsLogic::parseTariff(ui->le_waterRate->text(), QStringLiteral("water"));
    const auto currency = SettingsLogic::parseCurrency(ui->le_currency->text());
    household.electricityRate = electricity.value;
    household.waterRate = water.value;
    household.currency = currency.value;
    QStringList errors = {electricity.error, water.error, currency.error};
    const auto boxes = powerBoxes(ui);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        // An emptied box still holds its last value: the typed text counts.
        const auto watts = SettingsLogic::parseWatts(boxes.at(i)->cleanText(), int(i));
        household.watts.at(i) = watts.value;
        errors.append(watts.error);
    }
    errors.removeAll(QString());
    *error = errors.value(0);
    return household;
}

} // namespace

void MainWindow::on_push_settings_clicked()
{
    settingsReturnPage = ui->stackWid_ecoCalBody->currentIndex() == DiaryChoicePage
                             ? DiaryChoicePage
                             : EntryChoicePage;
    showPage(SettingsPage);
    showHousehold(ui, SettingsLogic::load(db));
}

void MainWindow::on_push_typicalPower_clicked()
{
    showWatts(ui, SettingsLogic::typicalWatts());
}

void MainWindow::on_push_builtInSettings_clicked()
{
    showHousehold(ui, SettingsLogic::builtIn());
}

void MainWindow::on_push_settingsBack_clicked()
{
    showPage(settingsReturnPage);
}

void MainWindow::on_push_settingsSave_clicked()
{
    QString error;
    const Household household = typedHousehold(ui, &error);
    if (error.isEmpty() && !SettingsLogic::save(db, household))
        error = QStringLiteral("Not saved. Please try again.");
    ui->lb_settingsMessage->setText(error);
    if (error.isEmpty())
        showPage(settingsReturnPage);
}
