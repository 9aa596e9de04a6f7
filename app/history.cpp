// The diaries' history: what was spent over the last 7 and 30 days, a chart of
// the last 30 days and the export of both diaries to CSV files.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "historylogic.h"
#include "settingslogic.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

// Every few days a date under the chart; the bars between go unlabelled.
constexpr int labelEvery = 7;

QFont chartFont(int pointSize, bool bold = false)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QChartView *historyChartView(Ui::MainWindow *ui)
{
    return ui->wid_historyChart->findChild<QChartView *>();
}

// The chart's axis of type Axis (exactly: a QCategoryAxis is a QValueAxis too).
template<typename Axis> Axis *axis(const QChart *chart, Qt::Orientation orientation)
{
    for (QAbstractAxis *found : chart->axes(orientation)) {
        if (found->metaObject() == &Axis::staticMetaObject)
            return static_cast<Axis *>(found);
    }
    return nullptr;
}

// Puts the days' costs into the chart built by buildHistoryChart().
void fillChart(QChartView *view, const QList<HistoryLogic::DayCosts> &days, const QString &sign)
{
    QChart *chart = view->chart();
    auto *series = qobject_cast<QStackedBarSeries *>(chart->series().constFirst());
    const QList<QBarSet *> sets = series->barSets();
    QStringList dayNumbers;
    QList<qreal> electricity;
    QList<qreal> water;
    qreal highest = 0;
    for (const HistoryLogic::DayCosts &day : days) {
        dayNumbers.append(day.date.toString(QStringLiteral("d MMM")));
        electricity.append(day.electricity);
        water.append(day.water);
        highest = std::max(highest, qreal(day.electricity + day.water));
    }
    sets.at(0)->remove(0, sets.at(0)->count());
    sets.at(0)->append(electricity);
    sets.at(1)->remove(0, sets.at(1)->count());
    sets.at(1)->append(water);

    auto *bars = axis<QBarCategoryAxis>(chart, Qt::Horizontal);
    bars->setCategories(dayNumbers);
    // The dates shown: today and every labelEvery days back from it.
    auto *dates = axis<QCategoryAxis>(chart, Qt::Horizontal);
    for (const QString &label : dates->categoriesLabels())
        dates->remove(label);
    dates->setRange(-0.5, qreal(days.size()) - 0.5);
    dates->setStartValue(-0.5);
    // Each label ends a category of its own, so they go in from the oldest.
    for (qsizetype i = (days.size() - 1) % labelEvery; i < days.size(); i += labelEvery)
        dates->append(dayNumbers.at(i), qreal(i));

    auto *money = axis<QValueAxis>(chart, Qt::Vertical);
    QString escapedSign = sign;
    escapedSign.replace(QLatin1Char('%'), QLatin1String("%%"));
    money->setLabelFormat(escapedSign + QStringLiteral("%.2f"));
    money->setRange(0, highest > 0 ? highest : 1);
    money->applyNiceNumbers();
}

} // namespace

void MainWindow::buildHistoryChart()
{
    auto *chart = new QChart;
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(2, 2, 20, 2)); // room for the last date
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(chartFont(10));
    chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);

    auto *electricity = new QBarSet(QStringLiteral("Electricity"));
    electricity->setColor(QColor(214, 140, 20));
    electricity->setBorderColor(QColor(214, 140, 20));
    auto *water = new QBarSet(QStringLiteral("Water"));
    water->setColor(QColor(40, 110, 190));
    water->setBorderColor(QColor(40, 110, 190));
    auto *series = new QStackedBarSeries;
    series->append(electricity);
    series->append(water);
    series->setBarWidth(0.75);
    chart->addSeries(series);

    // One category a day; its thirty labels would not fit, so a second axis
    // below names a few of the days.
    auto *days = new QBarCategoryAxis;
    days->setVisible(false);
    chart->addAxis(days, Qt::AlignBottom);
    series->attachAxis(days);
    auto *dates = new QCategoryAxis;
    dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dates->setLabelsFont(chartFont(10));
    dates->setGridLineVisible(false);
    chart->addAxis(dates, Qt::AlignBottom);

    auto *money = new QValueAxis;
    money->setLabelsFont(chartFont(10));
    money->setTickCount(5);
    chart->addAxis(money, Qt::AlignLeft);
    series->attachAxis(money);

    auto *view = new QChartView(chart, ui->wid_historyChart);
    view->setObjectName(QStringLiteral("chart_history"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setStyleSheet(QStringLiteral("background: transparent;"));
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QVBoxLayout(ui->wid_historyChart);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

void MainWindow::on_push_diaryHistory_clicked()
{
    showPage(HistoryPage);
    const HistoryLogic::PageData data = HistoryLogic::pageData(db);
    const QString sign = SettingsLogic::currency(db);
    using HistoryLogic::longPeriod;
    using HistoryLogic::periodText;
    using HistoryLogic::shortPeriod;
    ui->lb_elec7->setText(periodText(shortPeriod, data.electricity7, sign));
    ui->lb_elec30->setText(periodText(longPeriod, data.electricity30, sign));
    ui->lb_water7->setText(periodText(shortPeriod, data.water7, sign));
    ui->lb_water30->setText(periodText(longPeriod, data.water30, sign));
    ui->lb_exportMessage->clear();
    fillChart(historyChartView(ui), data.days, sign);
}

void MainWindow::on_push_historyBack_clicked()
{
    showPage(DiaryChoicePage);
}

void MainWindow::on_push_exportDiaries_clicked()
{
    const HistoryLogic::ExportResult result = HistoryLogic::exportDiaries(db);
    ui->lb_exportMessage->setText(result.ok ? QStringLiteral("Saved in %1").arg(result.folder)
                                            : result.error);
}
