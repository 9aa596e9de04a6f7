// The diaries' history: what was spent over the last 7 and 30 days and how
// that compares with the days before, a chart of the last 30 days, the export
// of both diaries to CSV files, a second page with where the money went and
// this month against the household's budgets, and a third with what the
// meter readings tell beside the diary.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "clock.h"
#include "documents.h"
#include "history/historychart.h"
#include "history/historylogic.h"
#include "household/calculatorlogic.h"
#include "household/plugreadings.h"
#include "household/settingslogic.h"
#include "meters/meterslogic.h"
#include "pagemessage.h"

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

// Shows a total's change beside it, and says it to a screen reader with the
// total.
void showChange(QLabel *total, QLabel *label, std::optional<double> percent, int days)
{
    label->setText(HistoryLogic::changeText(percent));
    label->setAccessibleName(HistoryLogic::changeWords(percent, days));
    total->setAccessibleDescription(label->accessibleName());
}

// Shows a month's spending against its budget, in the warning colour when the
// month is on course to go above it.
void showBudget(QLabel *label, const HistoryLogic::BudgetStatus &status, const QString &kind,
                const QString &sign)
{
    label->setText(HistoryLogic::budgetText(status, kind, sign));
    label->setStyleSheet(status.over ? QStringLiteral("color: rgb(190, 0, 0); font-weight: bold;")
                                     : QStringLiteral("color: rgb(85, 0, 0);"));
}

// Puts a chart made by the plugin into place; without the plugin, says why.
// The figures around it work without the chart.
void buildChart(QWidget *place, QWidget *(HistoryChart::*create)(QWidget *) const)
{
    auto *layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    QString error;
    if (const HistoryChart *chart = HistoryChart::load(&error)) {
        layout->addWidget((chart->*create)(place));
        return;
    }
    auto *message = new QLabel(QStringLiteral("The chart cannot be shown: %1").arg(error), place);
    message->setTextFormat(Qt::PlainText);
    message->setStyleSheet(QStringLiteral("color: rgb(85, 0, 0);")); // as the totals beside it
    QFont font = message->font();
    font.setPointSize(11);
    message->setFont(font);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    layout->addWidget(message);
}

} // namespace

void MainWindow::buildHistoryChart()
{
    buildChart(ui->wid_historyChart, &HistoryChart::create);
}

void MainWindow::buildSpendingChart()
{
    buildChart(ui->wid_spendingChart, &HistoryChart::createSpending);
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
    ui->lb_elec7->setText(periodText(shortPeriod, data.electricity7, sign,
                                     data.usage7.electricityDays, data.usage7.kWh, kWhUnit,
                                     data.usage7.kWhDays));
    ui->lb_elec30->setText(periodText(longPeriod, data.electricity30, sign,
                                      data.usage30.electricityDays, data.usage30.kWh, kWhUnit,
                                      data.usage30.kWhDays));
    ui->lb_water7->setText(periodText(shortPeriod, data.water7, sign, data.usage7.waterDays,
                                      data.usage7.litres, litreUnit, data.usage7.litreDays));
    ui->lb_water30->setText(periodText(longPeriod, data.water30, sign, data.usage30.waterDays,
                                       data.usage30.litres, litreUnit, data.usage30.litreDays));
    showChange(ui->lb_elec7, ui->lb_elec7Change, data.changes.electricity7, shortPeriod);
    showChange(ui->lb_elec30, ui->lb_elec30Change, data.changes.electricity30, longPeriod);
    showChange(ui->lb_water7, ui->lb_water7Change, data.changes.water7, shortPeriod);
    showChange(ui->lb_water30, ui->lb_water30Change, data.changes.water30, longPeriod);
    // Totals of diaries that could not be read are not shown as nothing spent.
    for (QLabel *total :
         {ui->lb_elec7, ui->lb_elec30, ui->lb_water7, ui->lb_water30, ui->lb_elec7Change,
          ui->lb_elec30Change, ui->lb_water7Change, ui->lb_water30Change})
        total->setVisible(data.read);
    ui->push_historySpending->setEnabled(data.read);
    // An export still running keeps saying so.
    if (!data.read)
        PageMessage::show(ui->lb_exportMessage,
                          QStringLiteral("Your diaries could not be read: the data file is busy "
                                         "in another program or cannot be opened. Open the "
                                         "history again in a moment."),
                          PageMessage::Tone::Failure);
    else if (!data.standingRead)
        PageMessage::show(ui->lb_exportMessage,
                          SettingsLogic::storedProblem(db, {SettingsLogic::ElectricityStandingField,
                                                            SettingsLogic::WaterStandingField}),
                          PageMessage::Tone::Failure);
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

void MainWindow::on_push_historySpending_clicked()
{
    storePlugCounters();
    buildPage(ui->stackWid_ecoCalBody, SpendingPage);
    const HistoryLogic::PageData data = HistoryLogic::pageData(db);
    const QString sign = SettingsLogic::currency(db);
    QStringList labels;
    QList<double> costs;
    // The appliances' figures their smart plugs measured are marked.
    const QHash<QString, PlugReadings::Sum> measured =
        PlugReadings::measuredSums(db, Clock::today().addDays(1 - HistoryLogic::longPeriod),
                                   Clock::today())
            .value_or(QHash<QString, PlugReadings::Sum>());
    for (const HistoryLogic::Spending &item : HistoryLogic::spendingChart(data.spending)) {
        labels.append(HistoryLogic::spendingLabel(item, sign) +
                      PlugReadings::spendingMark(measured, item.water ? QString() : item.tipName));
        costs.append(item.cost);
    }
    if (QWidget *view =
            ui->wid_spendingChart->findChild<QWidget *>(QStringLiteral("chart_spending")))
        HistoryChart::load()->fillSpending(view, labels, costs);
    QString tip = QStringLiteral("Nothing was recorded in your diaries in the last 30 days.");
    if (!data.spending.isEmpty()) {
        const HistoryLogic::Spending &dearest = data.spending.constFirst();
        const QString advice = dearest.water ? CalculatorLogic::randomWaterTip(db, dearest.tipName)
                                             : CalculatorLogic::randomTip(db, dearest.tipName);
        tip = QStringLiteral("The %1 cost you most.").arg(dearest.name);
        if (!advice.isEmpty())
            tip += QStringLiteral(" Tip: ") + advice;
    }
    ui->lb_spendingTip->setText(tip);
    const QDate today = Clock::today();
    showBudget(ui->lb_electricityBudgetStatus,
               HistoryLogic::budgetStatus(
                   data.electricityMonth, data.electricityMonthDays, today,
                   SettingsLogic::budget(db, false),
                   HistoryLogic::meterCostADay(db, MeterLogic::electricityMeter, today),
                   data.electricityStanding),
               QStringLiteral("Electricity"), sign);
    showBudget(ui->lb_waterBudgetStatus,
               HistoryLogic::budgetStatus(
                   data.waterMonth, data.waterMonthDays, today, SettingsLogic::budget(db, true),
                   HistoryLogic::meterCostADay(db, MeterLogic::waterMeter, today),
                   data.waterStanding),
               QStringLiteral("Water"), sign);
    showPage(SpendingPage);
}

void MainWindow::buildMeterChart()
{
    buildChart(ui->wid_meterChart, &HistoryChart::createMeters);
}

void MainWindow::on_push_historyMeters_clicked()
{
    storePlugCounters();
    buildPage(ui->stackWid_ecoCalBody, MeterHistoryPage);
    // The page opens on the meter last looked at; the electricity one at first.
    on_radio_meterHistoryElectricity_toggled(ui->radio_meterHistoryElectricity->isChecked());
    showPage(MeterHistoryPage);
}

void MainWindow::on_radio_meterHistoryElectricity_toggled(bool)
{
    // The readings and the diary's days are read on a thread, on a connection
    // of their own: a century of readings does not hold the window. Only the
    // latest visit's figures are shown.
    const bool water = ui->radio_meterHistoryWater->isChecked();
    const int visit = ++meterHistoryVisit;
    ui->lb_meterHistorySummary->setText(QStringLiteral("Reading the meter ..."));
    auto *watcher = new QFutureWatcher<MetersLogic::PageFigures>(this);
    connect(watcher, &QFutureWatcher<MetersLogic::PageFigures>::finished, this,
            [this, watcher, visit, water] {
                watcher->deleteLater();
                if (visit != meterHistoryVisit)
                    return;
                const MetersLogic::PageFigures figures = watcher->result();
                ui->lb_meterHistorySummary->setText(figures.summary);
                QWidget *view =
                    ui->wid_meterChart->findChild<QWidget *>(QStringLiteral("chart_meters"));
                if (!view)
                    return;
                // Days that could not be read are not drawn as nothing used.
                view->setVisible(figures.days.has_value());
                if (figures.days)
                    HistoryChart::load()->fillMeters(view, *figures.days, water);
            });
    watcher->setFuture(QtConcurrent::run(
        &MetersLogic::pageFigures, db.databaseName(),
        water ? MeterLogic::waterMeter : MeterLogic::electricityMeter, Clock::today(),
        ui->wid_meterChart->findChild<QWidget *>(QStringLiteral("chart_meters"))
            ? HistoryLogic::longPeriod
            : 0));
}

void MainWindow::on_push_meterHistoryReadings_clicked()
{
    // The readings page opens on the meter looked at here, and returns here.
    openMeters(ui->radio_meterHistoryWater->isChecked(), MeterHistoryPage);
}

void MainWindow::on_push_meterHistoryBack_clicked()
{
    showPage(HistoryPage);
}

void MainWindow::on_push_spendingBack_clicked()
{
    showPage(HistoryPage);
}

void MainWindow::on_push_exportDiaries_clicked()
{
    // The diaries are read, on a connection of their own, and written on a
    // thread of their own: the window goes on meanwhile, and the button waits
    // for this export to end before it starts another.
    using HistoryLogic::ExportResult;
    ui->push_exportDiaries->setEnabled(false);
    PageMessage::show(ui->lb_exportMessage, QStringLiteral("Exporting your diaries ..."),
                      PageMessage::Tone::Plain);
    auto *watcher = new QFutureWatcher<ExportResult>(this);
    connect(watcher, &QFutureWatcher<ExportResult>::finished, this, [this, watcher] {
        watcher->deleteLater();
        const ExportResult result = watcher->result();
        ui->push_exportDiaries->setEnabled(true);
        PageMessage::show(ui->lb_exportMessage,
                          result.ok ? QStringLiteral("Saved in %1").arg(result.folder)
                                    : result.error,
                          PageMessage::toneOf(result.ok));
    });
    watcher->setFuture(QtConcurrent::run(&HistoryLogic::exportDiariesOf, db.databaseName(),
                                         Documents::folder(), Clock::today()));
}
