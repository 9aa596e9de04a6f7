// The meters page: the household's electricity and water meter readings,
// entered by day, listed newest first, removable and imported from a CSV
// file. What they tell is on the history's meters page.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "clock.h"
#include "data/database.h"
#include "documents.h"
#include "household/meterlogic.h"
#include "meters/meterslogic.h"
#include "pagemessage.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QtConcurrent>

#include <algorithm>

using PageMessage::Tone;

namespace {

// The readings the list lays out in one turn of the window's work.
constexpr int readingsLaidOutAtOnce = 2000;

QString chosenMeter(Ui::MainWindow *ui)
{
    return ui->radio_waterMeter->isChecked() ? MeterLogic::waterMeter
                                             : MeterLogic::electricityMeter;
}

// Ticks "New meter" as the reading of the picked day is marked; unticked on a
// day without a reading. listed holds each row's day and mark.
void showMark(Ui::MainWindow *ui, const QList<std::pair<QDate, bool>> &listed)
{
    const QDate date = ui->date_meterReading->date();
    const auto found = std::find_if(listed.cbegin(), listed.cend(),
                                    [&date](const auto &row) { return row.first == date; });
    ui->check_meterReplaced->setChecked(found != listed.cend() && found->second);
}

// Shows listed in the page's list, their days and marks in days, row by
// row. The rows go in at once: years of daily readings are one insertion,
// not one each.
void showReadings(Ui::MainWindow *ui, const MetersLogic::ListedReadings &listed,
                  QList<std::pair<QDate, bool>> &days)
{
    ui->list_meterReadings->clear();
    ui->list_meterReadings->addItems(listed.rows);
    days = listed.days;
    showMark(ui, days);
    ui->push_removeMeterReading->setEnabled(!days.isEmpty());
    if (!listed.read)
        PageMessage::show(ui->lb_meterMessage,
                          QStringLiteral("The readings could not be read: the data file is busy "
                                         "in another program or cannot be opened."),
                          Tone::Failure);
}

void showOutcome(Ui::MainWindow *ui, const MeterLogic::Outcome &outcome)
{
    // A question is neither done nor refused.
    PageMessage::show(ui->lb_meterMessage, outcome.message,
                      outcome.askToReplace ? Tone::Plain : PageMessage::toneOf(outcome.stored));
}

// Enables or disables what changes the readings, while an import runs.
void enableChanges(Ui::MainWindow *ui, bool enabled)
{
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui->push_importMeterReadings, ui->push_importMeterReadingsAnyway,
             ui->push_saveMeterReading, ui->push_undoRemoveReading, ui->radio_electricityMeter,
             ui->radio_waterMeter})
        control->setEnabled(enabled);
    ui->push_removeMeterReading->setEnabled(enabled && ui->list_meterReadings->count() > 0);
}

} // namespace

namespace ImportPage {

// A column as the import page names it: its header, or its number.
QString columnName(const MeterLogic::ReadingsFile &file, qsizetype column)
{
    const QString header = file.header.value(column).trimmed();
    return header.isEmpty() ? QStringLiteral("column %1").arg(column + 1) : header;
}

qsizetype columnCount(const MeterLogic::ReadingsFile &file)
{
    qsizetype columns = file.header.size();
    for (const QStringList &row : file.firstRows)
        columns = std::max(columns, row.size());
    return columns;
}

// The file's first rows as it writes them, its header above; the columns
// read are tinted.
void showRows(QTableWidget *table, const MeterLogic::ReadingsFile &file)
{
    const qsizetype columns = columnCount(file);
    table->clear();
    table->setColumnCount(int(columns));
    table->setRowCount(int(file.firstRows.size()));
    QStringList labels;
    for (qsizetype column = 0; column < columns; ++column)
        labels.append(columnName(file, column));
    table->setHorizontalHeaderLabels(labels);
    // The rows are the file's, not counted from 1: no row numbers.
    table->verticalHeader()->hide();
    const QColor chosen(245, 200, 120);
    for (qsizetype row = 0; row < file.firstRows.size(); ++row) {
        for (qsizetype column = 0; column < columns; ++column) {
            auto *item = new QTableWidgetItem(file.firstRows.at(row).value(column));
            if (column == file.dateColumn || column == file.readingColumn)
                item->setBackground(chosen);
            table->setItem(int(row), int(column), item);
        }
    }
    table->resizeColumnsToContents();
}

// The columns offered for the date (with the order of day and month where
// the file leaves it open) and for the reading, the ones read chosen.
void offerColumns(Ui::MainWindow *ui, const MetersLogic::ChosenFile &chosen)
{
    using MeterLogic::DayOrder;
    const MeterLogic::ReadingsFile &file = chosen.file;
    const qsizetype columns = columnCount(file);
    QComboBox *date = ui->comboBox_importDate;
    date->clear();
    for (qsizetype column = 0; column < columns; ++column) {
        const QString name = columnName(file, column);
        const auto offer = [&](const QString &text, DayOrder order) {
            date->addItem(text, QVariantList{column, int(order)});
            if (column == file.dateColumn && order == chosen.order)
                date->setCurrentIndex(date->count() - 1);
        };
        const bool askOrder =
            column == file.dateColumn && (file.orderOpen || chosen.order != DayOrder::FromFile);
        if (!askOrder) {
            offer(name, DayOrder::FromFile);
            continue;
        }
        if (chosen.order == DayOrder::FromFile)
            offer(QStringLiteral("%1: day or month first?").arg(name), DayOrder::FromFile);
        offer(QStringLiteral("%1, day first").arg(name), DayOrder::DayFirst);
        offer(QStringLiteral("%1, month first").arg(name), DayOrder::MonthFirst);
    }
    QComboBox *value = ui->comboBox_importValue;
    value->clear();
    if (file.readingColumn < 0)
        value->addItem(QStringLiteral("Choose a column"), qsizetype(-1));
    for (qsizetype column = 0; column < columns; ++column) {
        if (column == file.dateColumn)
            continue;
        value->addItem(columnName(file, column), column);
        if (column == file.readingColumn)
            value->setCurrentIndex(value->count() - 1);
    }
    // Use per interval and bills are not read yet.
    ui->comboBox_importKind->clear();
    ui->comboBox_importKind->addItem(QStringLiteral("Readings"));
}

// The readings the first days of the file give, as the page lists them.
QString firstReadings(const MetersLogic::ChosenFile &chosen)
{
    constexpr int shown = 4;
    const QList<MeterLogic::FileRow> &rows = chosen.file.rows;
    if (!chosen.file.error.isEmpty() || rows.isEmpty())
        return QString();
    QStringList days;
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, rows.size()); ++i)
        days.append(QStringLiteral("%1: %2 %3")
                        .arg(QLocale::c().toString(rows.at(i).reading.date,
                                                   QStringLiteral("ddd d MMM yyyy")),
                             rows.at(i).reading.plain, MeterLogic::unit(chosen.meter)));
    QString text = QStringLiteral("Readings: %1").arg(days.join(QStringLiteral("; ")));
    if (rows.size() > shown)
        text += QStringLiteral("; and %1 more").arg(rows.size() - shown);
    return text;
}

} // namespace ImportPage

void MainWindow::prepareMetersPage()
{
    // Every reading is one line of text: the list lays out years of them
    // without measuring each.
    ui->list_meterReadings->setUniformItemSizes(true);
    // A century of daily readings is laid out a part at a time, between the
    // window's other work, the newest (on top) first.
    ui->list_meterReadings->setLayoutMode(QListView::Batched);
    ui->list_meterReadings->setBatchSize(readingsLaidOutAtOnce);
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
    forgetMeterChoices();
    listMeterReadings();
}

void MainWindow::forgetMeterChoices()
{
    meterQuestion.reset();
    meterRemoval.reset();
    ui->push_importMeterReadingsAnyway->hide();
    ui->push_undoRemoveReading->hide();
}

void MainWindow::on_radio_electricityMeter_toggled(bool)
{
    ui->lb_meterMessage->clear();
    forgetMeterChoices();
    listMeterReadings();
}

void MainWindow::on_push_saveMeterReading_clicked()
{
    forgetMeterChoices();
    const MeterLogic::Outcome outcome = MeterLogic::saveReading(
        db, chosenMeter(ui), ui->date_meterReading->date(), ui->le_meterReading->text(),
        ui->check_meterReplaced->isChecked(), Clock::today());
    showOutcome(ui, outcome);
    if (!outcome.stored)
        return;
    ui->le_meterReading->clear();
    ui->check_meterReplaced->setChecked(false);
    listMeterReadings();
}

void MainWindow::on_push_removeMeterReading_clicked()
{
    forgetMeterChoices();
    const int row = ui->list_meterReadings->currentRow();
    if (row < 0 || row >= listedMeterReadings.size()) {
        PageMessage::show(ui->lb_meterMessage,
                          QStringLiteral("Tap a reading in the list to remove it."), Tone::Plain);
        return;
    }
    auto removal = std::make_shared<MeterLogic::Removal>();
    const MeterLogic::Outcome outcome = MeterLogic::removeReading(
        db, chosenMeter(ui), listedMeterReadings.at(row).first, removal.get());
    showOutcome(ui, outcome);
    if (outcome.stored) {
        meterRemoval = removal;
        ui->push_undoRemoveReading->show();
    }
    listMeterReadings();
}

void MainWindow::on_push_undoRemoveReading_clicked()
{
    if (!meterRemoval)
        return;
    const MeterLogic::Outcome outcome = MeterLogic::restoreReading(db, *meterRemoval);
    showOutcome(ui, outcome);
    // Refused, it can be tried again once the file is free.
    if (outcome.stored)
        forgetMeterChoices();
    listMeterReadings();
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
            [this](const QString &path) { importMeterFile(path); });
    dialog->open();
}

void MainWindow::listMeterReadings()
{
    // Read on a connection of their own: a century of daily readings does
    // not hold the window.
    const int listing = ++meterListing;
    auto *watcher = new QFutureWatcher<MetersLogic::ListedReadings>(this);
    connect(watcher, &QFutureWatcher<MetersLogic::ListedReadings>::finished, this,
            [this, watcher, listing] {
                watcher->deleteLater();
                if (listing == meterListing)
                    showReadings(ui, watcher->result(), listedMeterReadings);
            });
    watcher->setFuture(QtConcurrent::run([name = db.databaseName(), meter = chosenMeter(ui)] {
        MetersLogic::ListedReadings listed;
        Database::withOwnConnection(
            name, [&](QSqlDatabase &own) { listed = MetersLogic::listedReadings(own, meter); });
        return listed;
    }));
}

void MainWindow::on_push_importMeterReadingsAnyway_clicked()
{
    // The rows shown and asked about, not the file read again: a file
    // changed since is not what the household agreed to.
    if (const std::shared_ptr<const MetersLogic::ImportResult> question = meterQuestion)
        awaitMeterImport(QtConcurrent::run([name = db.databaseName(), question] {
            return MetersLogic::importAsked(name, *question);
        }));
}

void MainWindow::importMeterFile(const QString &path)
{
    // The file is read on a thread, then shown on the import page with the
    // columns read, for the household to check or change before importing.
    showPage(ImportFilePage);
    awaitImportFile(
        QtConcurrent::run(&MetersLogic::readChosenFile, path, chosenMeter(ui), Clock::today()));
}

void MainWindow::awaitImportFile(const QFuture<MetersLogic::ChosenFile> &read)
{
    const int reading = ++importReading;
    importChosen.reset();
    for (QWidget *control :
         std::initializer_list<QWidget *>{ui->push_importGo, ui->comboBox_importDate,
                                          ui->comboBox_importValue, ui->comboBox_importKind})
        control->setEnabled(false);
    PageMessage::show(ui->lb_importMessage, QStringLiteral("Reading the file ..."), Tone::Plain);
    auto *watcher = new QFutureWatcher<MetersLogic::ChosenFile>(this);
    connect(watcher, &QFutureWatcher<MetersLogic::ChosenFile>::finished, this,
            [this, watcher, reading] {
                watcher->deleteLater();
                if (reading != importReading)
                    return;
                importChosen = std::make_shared<const MetersLogic::ChosenFile>(watcher->result());
                showImportFile();
            });
    watcher->setFuture(read);
}

void MainWindow::showImportFile()
{
    const MetersLogic::ChosenFile &chosen = *importChosen;
    const MeterLogic::ReadingsFile &file = chosen.file;
    ImportPage::showRows(ui->table_importPreview, file);
    ImportPage::offerColumns(ui, chosen);
    const bool readable = chosen.bytes && file.error.isEmpty() && !file.rows.isEmpty();
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui->comboBox_importDate, ui->comboBox_importValue, ui->comboBox_importKind})
        control->setEnabled(chosen.bytes.has_value());
    ui->push_importGo->setEnabled(readable);
    // Below the rows: the readings they give, or why they give none; beside
    // Import: what to do.
    QString read = ImportPage::firstReadings(chosen);
    QString message;
    if (!chosen.bytes) {
        message = MetersLogic::unreadable(chosen.path, chosen.why);
    } else if (file.orderOpen) {
        read = file.error + u'.';
        message = QStringLiteral("Choose under Date whether the file writes the day or the "
                                 "month first.");
    } else if (!file.error.isEmpty()) {
        read = QStringLiteral("Not readable as chosen: %1.").arg(file.error);
        message = QStringLiteral("Choose the columns under Date and Reading.");
    } else if (file.rows.isEmpty()) {
        message = QStringLiteral("The file has no readings of the %1 meter.").arg(chosen.meter);
    }
    ui->lb_importReadings->setText(read);
    PageMessage::show(ui->lb_importMessage, message, readable ? Tone::Plain : Tone::Failure);
}

void MainWindow::on_comboBox_importDate_activated(int index)
{
    if (!importChosen)
        return;
    const QVariantList choice = ui->comboBox_importDate->itemData(index).toList();
    MeterLogic::FileColumns columns = importChosen->columns;
    columns.date = choice.value(0).toLongLong();
    if (columns.reading == columns.date)
        columns.reading = -1;
    awaitImportFile(QtConcurrent::run(&MetersLogic::readAgain, *importChosen, Clock::today(),
                                      MeterLogic::DayOrder(choice.value(1).toInt()), columns));
}

void MainWindow::on_comboBox_importValue_activated(int index)
{
    if (!importChosen)
        return;
    MeterLogic::FileColumns columns = importChosen->columns;
    columns.reading = ui->comboBox_importValue->itemData(index).toLongLong();
    awaitImportFile(QtConcurrent::run(&MetersLogic::readAgain, *importChosen, Clock::today(),
                                      importChosen->order, columns));
}

void MainWindow::on_push_importGo_clicked()
{
    // The rows shown are imported, not the file read again.
    if (!importChosen)
        return;
    const std::shared_ptr<const MetersLogic::ChosenFile> chosen = importChosen;
    ++importReading;
    importChosen.reset();
    showPage(MetersPage);
    awaitMeterImport(QtConcurrent::run([name = db.databaseName(), chosen] {
        return MetersLogic::importRead(name, chosen->meter, chosen->file);
    }));
}

void MainWindow::on_push_importBack_clicked()
{
    ++importReading;
    importChosen.reset();
    showPage(MetersPage);
}

void MainWindow::awaitMeterImport(const QFuture<MetersLogic::ImportResult> &import)
{
    forgetMeterChoices();
    enableChanges(ui, false);
    PageMessage::show(ui->lb_meterMessage, QStringLiteral("Importing the readings ..."),
                      Tone::Plain);
    auto *watcher = new QFutureWatcher<MetersLogic::ImportResult>(this);
    connect(watcher, &QFutureWatcher<MetersLogic::ImportResult>::finished, this, [this, watcher] {
        watcher->deleteLater();
        const MetersLogic::ImportResult result = watcher->result();
        enableChanges(ui, true);
        if (result.outcome.askToReplace) {
            auto question = std::make_shared<MetersLogic::ImportResult>(result);
            question->listed = {}; // shown already; the rows and days asked are kept
            meterQuestion = std::move(question);
            ui->push_importMeterReadingsAnyway->show();
        }
        ++meterListing; // a listing begun before is older than this one
        showReadings(ui, result.listed, listedMeterReadings);
        showOutcome(ui, result.outcome);
    });
    watcher->setFuture(import);
}

void MainWindow::on_date_meterReading_dateChanged(const QDate &)
{
    showMark(ui, listedMeterReadings);
}

void MainWindow::on_list_meterReadings_itemClicked(QListWidgetItem *item)
{
    // A reading tapped: its day is picked, its mark shown, ready to correct.
    const int row = ui->list_meterReadings->row(item);
    if (row >= 0 && row < listedMeterReadings.size())
        ui->date_meterReading->setDate(listedMeterReadings.at(row).first);
}

void MainWindow::on_push_metersBack_clicked()
{
    // Back to what the readings tell, told anew, when opened from there.
    if (metersReturnPage == MeterHistoryPage)
        on_push_historyMeters_clicked();
    else
        showPage(DiaryChoicePage);
}
