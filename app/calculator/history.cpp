// The diaries' history: what was spent over the last 7 and 30 days, a chart of
// the last 30 days and the export of both diaries to CSV files.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "calculator/calculatorlogic.h"
#include "calculator/historychart.h"
#include "calculator/historylogic.h"
#include "calculator/settingslogic.h"
#include "clock.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

QWidget *historyChartView(Ui::MainWindow *ui)
{
    return ui->wid_historyChart->findChild<QWidget *>(QStringLiteral("chart_history"));
}

} // namespace

void MainWindow::buildHistoryChart()
{
    auto *layout = new QVBoxLayout(ui->wid_historyChart);
    layout->setContentsMargins(0, 0, 0, 0);
    QString error;
    if (const HistoryChart *chart = HistoryChart::load(&error)) {
        layout->addWidget(chart->create(ui->wid_historyChart));
        return;
    }
    // The totals and the export work without the chart.
    auto *message = new QLabel(QStringLiteral("The chart cannot be shown: %1").arg(error),
                               ui->wid_historyChart);
    message->setTextFormat(Qt::PlainText);
    message->setStyleSheet(QStringLiteral("color: rgb(85, 0, 0);")); // as the totals beside it
    QFont font = message->font();
    font.setPointSize(11);
    message->setFont(font);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    layout->addWidget(message);
}

void MainWindow::on_push_diaryHistory_clicked()
{
    // The page is filled before it is shown: a chart not yet laid out takes
    // its new ranges without laying out its axis labels for each of them.
    buildPage(ui->stackWid_ecoCalBody, HistoryPage);
    const HistoryLogic::PageData data = HistoryLogic::pageData(db);
    const QString sign = SettingsLogic::currency(db);
    using CalculatorLogic::kWhUnit;
    using CalculatorLogic::litreUnit;
    using HistoryLogic::longPeriod;
    using HistoryLogic::periodText;
    using HistoryLogic::shortPeriod;
    ui->lb_elec7->setText(
        periodText(shortPeriod, data.electricity7, sign, data.usage7.kWh, kWhUnit));
    ui->lb_elec30->setText(
        periodText(longPeriod, data.electricity30, sign, data.usage30.kWh, kWhUnit));
    ui->lb_water7->setText(
        periodText(shortPeriod, data.water7, sign, data.usage7.litres, litreUnit));
    ui->lb_water30->setText(
        periodText(longPeriod, data.water30, sign, data.usage30.litres, litreUnit));
    // Totals of diaries that could not be read are not shown as nothing spent.
    for (QLabel *total : {ui->lb_elec7, ui->lb_elec30, ui->lb_water7, ui->lb_water30})
        total->setVisible(data.read);
    // An export still running keeps saying so.
    if (!data.read)
        ui->lb_exportMessage->setText(
            QStringLiteral("Your diaries could not be read: the data file is busy in another "
                           "program or cannot be opened. Open the history again in a moment."));
    else if (ui->push_exportDiaries->isEnabled())
        ui->lb_exportMessage->clear();
    if (QWidget *view = historyChartView(ui))
        HistoryChart::load()->fill(view, data.days, sign);
    showPage(HistoryPage);
}

void MainWindow::on_push_historyBack_clicked()
{
    showPage(DiaryChoicePage);
}

void MainWindow::on_push_exportDiaries_clicked()
{
    // The diaries are read, on a connection of their own, and written on a
    // thread of their own: the window goes on meanwhile, and the button waits
    // for this export to end before it starts another.
    using HistoryLogic::ExportResult;
    ui->push_exportDiaries->setEnabled(false);
    ui->lb_exportMessage->setText(QStringLiteral("Exporting your diaries ..."));
    auto *watcher = new QFutureWatcher<ExportResult>(this);
    connect(watcher, &QFutureWatcher<ExportResult>::finished, this, [this, watcher] {
        watcher->deleteLater();
        const ExportResult result = watcher->result();
        ui->push_exportDiaries->setEnabled(true);
        ui->lb_exportMessage->setText(result.ok ? QStringLiteral("Saved in %1").arg(result.folder)
                                                : result.error);
    });
    watcher->setFuture(QtConcurrent::run(&HistoryLogic::exportDiariesOf, db.databaseName(),
                                         HistoryLogic::defaultExportFolder(), Clock::today()));
}
