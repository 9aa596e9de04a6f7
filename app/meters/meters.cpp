// The meters page: the household's electricity and water meter readings,
// entered by day, listed newest first, removable and imported from a CSV
// file. What they tell is on the history's meters page.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "clock.h"
#include "documents.h"
#include "household/meterlogic.h"

#include <QFile>
#include <QFileDialog>
#include <QSignalBlocker>

namespace {

QString chosenMeter(Ui::MainWindow *ui)
{
    return ui->radio_waterMeter->isChecked() ? MeterLogic::waterMeter
                                             : MeterLogic::electricityMeter;
}

// Lists the chosen meter's readings, newest first, each item holding its
// day.
void listReadings(Ui::MainWindow *ui, const QSqlDatabase &db)
{
    const QString meter = chosenMeter(ui);
    const QString unit = MeterLogic::unit(meter);
    ui->list_meterReadings->clear();
    const std::optional<QList<MeterLogic::Reading>> readings = MeterLogic::readings(db, meter);
    for (const MeterLogic::Reading &reading : readings.value_or(QList<MeterLogic::Reading>())) {
        QString text = QStringLiteral("%1   %2 %3")
                           .arg(reading.date.toString(QStringLiteral("ddd d MMM yyyy")),
                                MeterLogic::readingText(reading.value), unit);
        if (reading.newSeries)
            text += QStringLiteral("   (new meter)");
        auto *item = new QListWidgetItem(text, ui->list_meterReadings);
        item->setData(Qt::UserRole, reading.date);
    }
    ui->push_removeMeterReading->setEnabled(ui->list_meterReadings->count() > 0);
    if (!readings)
        ui->lb_meterMessage->setText(
            QStringLiteral("The readings could not be read: the data file is busy in another "
                           "program or cannot be opened."));
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
    ui->date_meterReading->setDate(Clock::today());
    ui->lb_meterMessage->clear();
    listReadings(ui, db);
}

void MainWindow::on_radio_electricityMeter_toggled(bool)
{
    ui->lb_meterMessage->clear();
    listReadings(ui, db);
}

void MainWindow::on_push_saveMeterReading_clicked()
{
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
    const QListWidgetItem *item = ui->list_meterReadings->currentItem();
    if (!item) {
        ui->lb_meterMessage->setText(QStringLiteral("Tap a reading in the list to remove it."));
        return;
    }
    const QDate date = item->data(Qt::UserRole).toDate();
    ui->lb_meterMessage->setText(
        MeterLogic::removeReading(db, chosenMeter(ui), date)
            ? QStringLiteral("Removed the reading of %1.")
                  .arg(date.toString(QStringLiteral("d MMMM yyyy")))
            : QStringLiteral("Not removed: the data file is busy or cannot be written. Please "
                             "try again."));
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
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        QFile file(path);
        // A meter's readings fit in a few kilobytes; a larger file is no such list.
        constexpr qint64 largest = 1 << 20;
        if (!file.open(QIODevice::ReadOnly) || file.size() > largest) {
            ui->lb_meterMessage->setText(
                QStringLiteral("Nothing was imported: %1 cannot be read as a list of readings.")
                    .arg(QDir::toNativeSeparators(path)));
            return;
        }
        const MeterLogic::Outcome outcome =
            MeterLogic::importReadings(db, chosenMeter(ui), file.read(largest), Clock::today());
        ui->lb_meterMessage->setText(outcome.message);
        listReadings(ui, db);
    });
    dialog->open();
}

void MainWindow::on_push_metersBack_clicked()
{
    // Back to what the readings tell, told anew, when opened from there.
    if (metersReturnPage == MeterHistoryPage)
        on_push_historyMeters_clicked();
    else
        showPage(DiaryChoicePage);
}
