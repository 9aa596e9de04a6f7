// The meters page: the household's electricity and water meter readings,
// entered by day, listed newest first, removable and imported from a CSV
// file. What they tell is on the history's meters page.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "clock.h"
#include "documents.h"
#include "household/meterlogic.h"
#include "household/typednumber.h"
#include "meters/meterslogic.h"

#include <QFileDialog>
#include <QFutureWatcher>
#include <QSignalBlocker>
#include <QtConcurrent>

namespace {

QString chosenMeter(Ui::MainWindow *ui)
{
    return ui->radio_waterMeter->isChecked() ? MeterLogic::waterMeter
                                             : MeterLogic::electricityMeter;
}

// The list items' roles: the reading's day, and whether it is a new meter's
// first.
constexpr int dayRole = Qt::UserRole;
constexpr int newMeterRole = Qt::UserRole + 1;

// Ticks "New meter" as the reading of the picked day is marked; unticked on a
// day without a reading.
void showMark(Ui::MainWindow *ui)
{
    const QDate date = ui->date_meterReading->date();
    bool marked = false;
    for (int i = 0; i < ui->list_meterReadings->count(); ++i) {
        const QListWidgetItem *item = ui->list_meterReadings->item(i);
        if (item->data(dayRole).toDate() == date) {
            marked = item->data(newMeterRole).toBool();
            break;
        }
    }
    ui->check_meterReplaced->setChecked(marked);
}

// Lists the chosen meter's readings, newest first, each item holding its
// day and mark.
void listReadings(Ui::MainWindow *ui, const QSqlDatabase &db)
{
    const QString meter = chosenMeter(ui);
    const QString unit = MeterLogic::unit(meter);
    ui->list_meterReadings->clear();
    const std::optional<QList<MeterLogic::Reading>> readings = MeterLogic::readings(db, meter);
    for (const MeterLogic::Reading &reading : readings.value_or(QList<MeterLogic::Reading>())) {
        QString text = QStringLiteral("%1   %2 %3")
                           .arg(reading.date.toString(QStringLiteral("ddd d MMM yyyy")),
                                TypedNumber::shown(reading.plain), unit);
        if (reading.newSeries)
            text += QStringLiteral("   (new meter)");
        auto *item = new QListWidgetItem(text, ui->list_meterReadings);
        item->setData(dayRole, reading.date);
        item->setData(newMeterRole, reading.newSeries);
    }
    showMark(ui);
    ui->push_removeMeterReading->setEnabled(ui->list_meterReadings->count() > 0);
    if (!readings)
        ui->lb_meterMessage->setText(
            QStringLiteral("The readings could not be read: the data file is busy in another "
                           "program or cannot be opened."));
}

// Enables or disables what changes the readings, while an import runs.
void enableChanges(Ui::MainWindow *ui, bool enabled)
{
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui->push_importMeterReadings, ui->push_importMeterReadingsAnyway,
             ui->push_saveMeterReading, ui->radio_electricityMeter, ui->radio_waterMeter})
        control->setEnabled(enabled);
    ui->push_removeMeterReading->setEnabled(enabled && ui->list_meterReadings->count() > 0);
}

} // namespace

void MainWindow::prepareMetersPage()
{
    // Every reading is one line of text: the list lays out years of them
    // without measuring each.
    ui->list_meterReadings->setUniformItemSizes(true);
}

void MainWindow::on_push_meters_clicked()
{
    openMeters(false, DiaryChoicePage);
}

void MainWindow::openMeters(bool water, CalculatorBodyPage returnTo)
{
    metersReturnPage = returnTo;
    showPage(MetersPage);
    {
        // The readings are listed once, below.
        const QSignalBlocker quiet(ui->radio_electricityMeter);
        (water ? ui->radio_waterMeter : ui->radio_electricityMeter)->setChecked(true);
    }
    ui->date_meterReading->setMaximumDate(Clock::today());
    ui->date_meterReading->setMinimumDate(MeterLogic::firstReadingDay);
    ui->date_meterReading->setDate(Clock::today());
    ui->lb_meterMessage->clear();
    ui->push_importMeterReadingsAnyway->hide();
    listReadings(ui, db);
}

void MainWindow::on_radio_electricityMeter_toggled(bool)
{
    ui->lb_meterMessage->clear();
    ui->push_importMeterReadingsAnyway->hide();
    listReadings(ui, db);
}

void MainWindow::on_push_saveMeterReading_clicked()
{
    ui->push_importMeterReadingsAnyway->hide();
    const MeterLogic::Outcome outcome = MeterLogic::saveReading(
        db, chosenMeter(ui), ui->date_meterReading->date(), ui->le_meterReading->text(),
        ui->check_meterReplaced->isChecked(), Clock::today());
    ui->lb_meterMessage->setText(outcome.message);
    if (!outcome.stored)
        return;
    ui->le_meterReading->clear();
    ui->check_meterReplaced->setChecked(false);
    listReadings(ui, db);
}

void MainWindow::on_push_removeMeterReading_clicked()
{
    ui->push_importMeterReadingsAnyway->hide();
    const QListWidgetItem *item = ui->list_meterReadings->currentItem();
    if (!item) {
        ui->lb_meterMessage->setText(QStringLiteral("Tap a reading in the list to remove it."));
        return;
    }
    const MeterLogic::Outcome outcome =
        MeterLogic::removeReading(db, chosenMeter(ui), item->data(dayRole).toDate());
    ui->lb_meterMessage->setText(outcome.message);
    listReadings(ui, db);
}

void MainWindow::on_push_importMeterReadings_clicked()
{
    // The dialog is the window's own sheet; the window goes on behind it.
    auto *dialog = new QFileDialog(this, QStringLiteral("A CSV file of date,reading rows"),
                                   Documents::folder(), QStringLiteral("CSV files (*.csv *.txt)"));
    dialog->setObjectName(QStringLiteral("dialog_importMeterReadings"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString &path) { importMeterFile(path, false); });
    dialog->open();
}

void MainWindow::on_push_importMeterReadingsAnyway_clicked()
{
    importMeterFile(meterImportPath, true);
}

void MainWindow::importMeterFile(const QString &path, bool replace)
{
    // The file is read and imported on a thread, on a connection of its own:
    // the window goes on meanwhile, and the buttons wait for this import.
    meterImportPath = path;
    const QString meter = chosenMeter(ui);
    enableChanges(ui, false);
    ui->lb_meterMessage->setText(QStringLiteral("Importing the readings ..."));
    auto *watcher = new QFutureWatcher<MeterLogic::Outcome>(this);
    connect(watcher, &QFutureWatcher<MeterLogic::Outcome>::finished, this, [this, watcher] {
        watcher->deleteLater();
        const MeterLogic::Outcome outcome = watcher->result();
        enableChanges(ui, true);
        ui->push_importMeterReadingsAnyway->setVisible(outcome.askToReplace);
        listReadings(ui, db);
        ui->lb_meterMessage->setText(outcome.message);
    });
    watcher->setFuture(QtConcurrent::run(&MetersLogic::importFile, db.databaseName(), meter, path,
                                         Clock::today(), replace));
}

void MainWindow::on_date_meterReading_dateChanged(const QDate &)
{
    showMark(ui);
}

void MainWindow::on_list_meterReadings_itemClicked(QListWidgetItem *item)
{
    // A reading tapped: its day is picked, its mark shown, ready to correct.
    ui->date_meterReading->setDate(item->data(dayRole).toDate());
}

void MainWindow::on_push_metersBack_clicked()
{
    // Back to what the readings tell, told anew, when opened from there.
    if (metersReturnPage == MeterHistoryPage)
        on_push_historyMeters_clicked();
    else
        showPage(DiaryChoicePage);
}
