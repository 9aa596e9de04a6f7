// The household's settings page: its two tariffs, its currency sign, the
// power of each appliance, its monthly budgets, the litres of its water
// fixtures, its standing charges and its own appliances, opened from the
// calculator's two choice pages. Own appliances are added and removed at
// once, apart from Save.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "data/database.h"
#include "household/settingslogic.h"
#include "pagemessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

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

// The count boxes in the Diary's column order. They are stepped with a
// finger or the arrow keys, never typed into, so no keystroke is dropped; 0 is
// none, and the dash below it stands for a count that could not be read.
std::array<QSpinBox *, SettingsLogic::applianceCount> countBoxes(Ui::MainWindow *ui)
{
    return {ui->spin_countAirCon,         ui->spin_countLaptop,      ui->spin_countFan,
            ui->spin_countLights,         ui->spin_countDvdPlayer,   ui->spin_countLcdTv,
            ui->spin_countWashingMachine, ui->spin_countHairDryer,   ui->spin_countMicrowave,
            ui->spin_countRiceCooker,     ui->spin_countRefrigerator};
}

// The litres boxes in the waterDiary's column order.
std::array<QLineEdit *, SettingsLogic::waterActivityCount> litresBoxes(Ui::MainWindow *ui)
{
    return {ui->le_litresTap,    ui->le_litresWashingMachine, ui->le_litresDishWashing,
            ui->le_litresShower, ui->le_litresLawn,           ui->le_litresToilet};
}

// Every box of the page, in the order of SettingsLogic::Field.
std::array<QWidget *, SettingsLogic::fieldCount> fieldBoxes(Ui::MainWindow *ui)
{
    std::array<QWidget *, SettingsLogic::fieldCount> boxes{};
    boxes[SettingsLogic::ElectricityRateField] = ui->le_electricityRate;
    boxes[SettingsLogic::WaterRateField] = ui->le_waterRate;
    boxes[SettingsLogic::CurrencyField] = ui->le_currency;
    const auto powers = powerBoxes(ui);
    std::copy(powers.cbegin(), powers.cend(), boxes.begin() + SettingsLogic::FirstPowerField);
    const auto counts = countBoxes(ui);
    std::copy(counts.cbegin(), counts.cend(), boxes.begin() + SettingsLogic::FirstCountField);
    boxes[SettingsLogic::ElectricityBudgetField] = ui->le_electricityBudget;
    boxes[SettingsLogic::WaterBudgetField] = ui->le_waterBudget;
    const auto litres = litresBoxes(ui);
    std::copy(litres.cbegin(), litres.cend(), boxes.begin() + SettingsLogic::FirstLitresField);
    boxes[SettingsLogic::ElectricityStandingField] = ui->le_electricityStandingCharge;
    boxes[SettingsLogic::WaterStandingField] = ui->le_waterStandingCharge;
    return boxes;
}

QString boxText(const QWidget *box)
{
    if (const auto *count = qobject_cast<const QSpinBox *>(box))
        return count->value() < 0 ? QString() : QString::number(count->value());
    return static_cast<const QLineEdit *>(box)->text();
}

void setBoxText(QWidget *box, const QString &text)
{
    if (auto *count = qobject_cast<QSpinBox *>(box))
        count->setValue(text.isEmpty() ? -1 : text.toInt());
    else
        static_cast<QLineEdit *>(box)->setText(text);
}

void prepareCountBoxes(Ui::MainWindow *ui, QWidget *page)
{
    if (page->property("prepared").toBool())
        return;
    page->setProperty("prepared", true);
    for (QSpinBox *count : countBoxes(ui)) {
        count->setMinimum(-1);
        count->setSpecialValueText(QStringLiteral("\u2013"));
        if (auto *edit = count->findChild<QLineEdit *>())
            edit->setReadOnly(true);
    }
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
        setBoxText(boxes.at(field), texts.at(field));
}

SettingsLogic::Texts boxTexts(Ui::MainWindow *ui, const char *property = nullptr)
{
    SettingsLogic::Texts texts;
    const auto boxes = fieldBoxes(ui);
    for (int field = 0; field < SettingsLogic::fieldCount; ++field)
        texts.at(field) =
            property ? boxes.at(field)->property(property).toString() : boxText(boxes.at(field));
    return texts;
}

// Fills the page with what is stored. Figures that could not be read show no
// value: the page says so, and Save then stores only what is typed.
void showStored(Ui::MainWindow *ui, const QSqlDatabase &db)
{
    const std::optional<SettingsLogic::Stored> stored = SettingsLogic::stored(db);
    ui->page_settings->setProperty(unreadSettings, !stored);
    showTexts(ui, stored ? SettingsLogic::written(stored->texts) : SettingsLogic::Texts());
    for (QWidget *box : fieldBoxes(ui))
        box->setProperty(shownText, boxText(box));
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
    PageMessage::show(ui->lb_settingsMessage, message, PageMessage::Tone::Failure);
}

} // namespace

void MainWindow::on_push_settings_clicked()
{
    settingsReturnPage = ui->stackWid_ecoCalBody->currentIndex() == DiaryChoicePage
                             ? DiaryChoicePage
                             : EntryChoicePage;
    showPage(SettingsPage);
    prepareCountBoxes(ui, ui->page_settings);
    ui->scroll_settings->verticalScrollBar()->setValue(0);
    showStored(ui, db);
    showOwnAppliances();
}

void MainWindow::showOwnAppliances()
{
    auto *grid = qobject_cast<QGridLayout *>(ui->wid_ownAppliances->layout());
    while (QLayoutItem *item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const std::optional<QList<CalculatorLogic::OwnAppliance>> owned =
        CalculatorLogic::ownAppliances(db);
    if (!owned) {
        PageMessage::show(
            ui->lb_settingsMessage,
            QStringLiteral("Your own appliances could not be read: the data file is busy."),
            PageMessage::Tone::Failure);
        return;
    }
    int row = 0;
    for (const CalculatorLogic::OwnAppliance &appliance : *owned) {
        // One arg() for all: a name may hold "%1".
        auto *label = new QLabel(QStringLiteral("%1: %2 W \u00d7 %3")
                                     .arg(appliance.name, QString::number(appliance.watts),
                                          QString::number(appliance.count)),
                                 ui->wid_ownAppliances);
        label->setTextFormat(Qt::PlainText); // the household's own text
        label->setStyleSheet(QStringLiteral("color: rgb(85, 0, 0);"));
        QFont font = label->font();
        font.setPointSize(12);
        label->setFont(font);
        auto *remove = new QPushButton(QStringLiteral("Remove"), ui->wid_ownAppliances);
        remove->setObjectName(QStringLiteral("push_removeOwnAppliance_%1").arg(appliance.id));
        remove->setAccessibleName(QStringLiteral("Remove %1").arg(appliance.name));
        remove->setMinimumSize(100, 40);
        remove->setFont(font);
        remove->setStyleSheet(ui->push_addOwnAppliance->styleSheet());
        const int id = appliance.id;
        const QString name = appliance.name;
        connect(remove, &QPushButton::clicked, this, [this, id, name] {
            const bool removed = SettingsLogic::removeOwnAppliance(db, id);
            showOwnAppliances();
            PageMessage::show(
                ui->lb_settingsMessage,
                removed
                    ? QStringLiteral("Removed %1; the days it was recorded on keep it.").arg(name)
                    : QStringLiteral("Not removed: the data file is busy. Please try again."),
                PageMessage::toneOf(removed));
        });
        grid->addWidget(label, row, 0);
        grid->addWidget(remove, row, 1);
        label->show();
        remove->show();
        ++row;
    }
    grid->setColumnStretch(0, 1);
}

void MainWindow::on_push_addOwnAppliance_clicked()
{
    QString error;
    const QString name = ui->le_ownApplianceName->text().trimmed();
    if (SettingsLogic::addOwnAppliance(db, name, ui->le_ownApplianceWatts->text(),
                                       ui->spin_ownApplianceCount->value(), &error) == 0) {
        PageMessage::show(ui->lb_settingsMessage, error, PageMessage::Tone::Failure);
        return;
    }
    ui->le_ownApplianceName->clear();
    ui->le_ownApplianceWatts->clear();
    ui->spin_ownApplianceCount->setValue(1);
    showOwnAppliances();
    PageMessage::show(
        ui->lb_settingsMessage,
        QStringLiteral("Added %1: it is asked on the quick day from now on.").arg(name),
        PageMessage::Tone::Success);
}

void MainWindow::on_push_typicalPower_clicked()
{
    SettingsLogic::Household typical;
    typical.watts = SettingsLogic::typicalWatts();
    showTexts(ui, SettingsLogic::texts(typical), SettingsLogic::FirstPowerField,
              SettingsLogic::FirstCountField);
}

void MainWindow::on_push_builtInSettings_clicked()
{
    showTexts(ui, SettingsLogic::written(SettingsLogic::texts(SettingsLogic::builtIn())));
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
        error = QStringLiteral("Not saved: ") + Database::failureText(Database::lastWriteFailure());
    PageMessage::show(ui->lb_settingsMessage, error, PageMessage::Tone::Failure);
    if (error.isEmpty())
        showPage(settingsReturnPage);
}
