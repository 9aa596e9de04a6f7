// The household's settings page: its two tariffs, its currency sign and the
// power of each appliance, opened from the calculator's two choice pages.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "calculator/settingslogic.h"

#include <QLineEdit>

#include <algorithm>
#include <array>

namespace {

// The power boxes in the Diary's column order. They are plain text boxes: a
// box that checked each keystroke would drop those past its range and put its
// last value back when it loses focus, so the household's typing would not be
// what is saved or refused.
std::array<QLineEdit *, SettingsLogic::applianceCount> powerBoxes(Ui::MainWindow *ui)
{
    return {ui->le_powerAirCon,         ui->le_powerLaptop,      ui->le_powerFan,
            ui->le_powerLights,         ui->le_powerDvdPlayer,   ui->le_powerLcdTv,
            ui->le_powerWashingMachine, ui->le_powerHairDryer,   ui->le_powerMicrowave,
            ui->le_powerRiceCooker,     ui->le_powerRefrigerator};
}

// Every box of the page, in the order of SettingsLogic::Field.
std::array<QLineEdit *, SettingsLogic::fieldCount> fieldBoxes(Ui::MainWindow *ui)
{
    std::array<QLineEdit *, SettingsLogic::fieldCount> boxes{};
    boxes[SettingsLogic::ElectricityRateField] = ui->le_electricityRate;
    boxes[SettingsLogic::WaterRateField] = ui->le_waterRate;
    boxes[SettingsLogic::CurrencyField] = ui->le_currency;
    const auto powers = powerBoxes(ui);
    std::copy(powers.cbegin(), powers.cend(), boxes.begin() + SettingsLogic::FirstPowerField);
    return boxes;
}

// Each box remembers the text it showed when the page opened: Save stores
// only the figures whose text the household changed.
const char *const shownText = "shownText";
// Set on the page while the stored figures could not be read.
const char *const unreadSettings = "unreadSettings";

void showTexts(Ui::MainWindow *ui, const SettingsLogic::Texts &texts, int from = 0,
               int to = SettingsLogic::fieldCount)
{
    const auto boxes = fieldBoxes(ui);
    for (int field = from; field < to; ++field)
        boxes.at(field)->setText(texts.at(field));
}

SettingsLogic::Texts boxTexts(Ui::MainWindow *ui, const char *property = nullptr)
{
    SettingsLogic::Texts texts;
    const auto boxes = fieldBoxes(ui);
    for (int field = 0; field < SettingsLogic::fieldCount; ++field)
        texts.at(field) =
            property ? boxes.at(field)->property(property).toString() : boxes.at(field)->text();
    return texts;
}

// Fills the page with what is stored. Figures that could not be read show no
// value: the page says so, and Save then stores only what is typed.
void showStored(Ui::MainWindow *ui, const QSqlDatabase &db)
{
    const std::optional<SettingsLogic::Stored> stored = SettingsLogic::stored(db);
    ui->page_settings->setProperty(unreadSettings, !stored);
    showTexts(ui, stored ? stored->texts : SettingsLogic::Texts());
    for (QLineEdit *box : fieldBoxes(ui))
        box->setProperty(shownText, box->text());
    QString message;
    if (!stored) {
        message = QStringLiteral("Your settings could not be read: the data file is busy in "
                                 "another program or cannot be opened. Save stores only the "
                                 "figures you type here; the others stay as they are.");
    } else {
        for (const QString &problem : stored->problems) {
            if (message.isEmpty())
                message = problem;
        }
    }
    ui->lb_settingsMessage->setText(message);
}

} // namespace

void MainWindow::on_push_settings_clicked()
{
    settingsReturnPage = ui->stackWid_ecoCalBody->currentIndex() == DiaryChoicePage
                             ? DiaryChoicePage
                             : EntryChoicePage;
    showPage(SettingsPage);
    showStored(ui, db);
}

void MainWindow::on_push_typicalPower_clicked()
{
    SettingsLogic::Household typical;
    typical.watts = SettingsLogic::typicalWatts();
    showTexts(ui, SettingsLogic::texts(typical), SettingsLogic::FirstPowerField);
}

void MainWindow::on_push_builtInSettings_clicked()
{
    showTexts(ui, SettingsLogic::texts(SettingsLogic::builtIn()));
    ui->lb_settingsMessage->clear();
}

void MainWindow::on_push_settingsBack_clicked()
{
    showPage(settingsReturnPage);
}

void MainWindow::on_push_settingsSave_clicked()
{
    QString error;
    // Nothing is stored while the stored figures cannot be read, so that no
    // figure of a page that showed none could overwrite them.
    if (ui->page_settings->property(unreadSettings).toBool() && !SettingsLogic::stored(db))
        error = QStringLiteral("Not saved: your settings still cannot be read. Please try again "
                               "when the data file is free.");
    else if (!SettingsLogic::saveChanged(db, boxTexts(ui, shownText), boxTexts(ui), &error) &&
             error.isEmpty())
        error = QStringLiteral("Not saved. Please try again.");
    ui->lb_settingsMessage->setText(error);
    if (error.isEmpty())
        showPage(settingsReturnPage);
}
