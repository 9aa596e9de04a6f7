// The diaries' charts drawn with Qt Charts: 30 stacked bars of electricity and
// water, a few dates below and money on the left; one bar for each of the
// dearest appliances and water activities, its name and share beside it; and
// a meter's chart, the diary's use a day as bars and the metered use a day as
// a line over them.
#include "history/historychart.h"
#include "history/historylogic.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QObject>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Every few days a date under the chart; the bars between go unlabelled.
constexpr int labelEvery = 7;
// The bars of the dearest items that fit the page.
constexpr int spendingBars = HistoryLogic::spendingBars;

const QColor electricityColour(214, 140, 20);
const QColor waterColour(40, 110, 190);

QFont chartFont(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    return font;
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

// The value axis's label format: money with the household's sign in front.
QString moneyLabelFormat(const QString &sign)
{
    // Axis labels are drawn as rich text, so the sign goes in escaped, and
    // its "%" as a character reference: a bare one would end the text before
    // the number's format.
    return sign.toHtmlEscaped().replace(QLatin1Char('%'), QLatin1String("&#37;")) +
           QStringLiteral("%.2f");
}

QBarSet *barSet(const QString &name, const QColor &colour)
{
    auto *set = new QBarSet(name);
    set->setColor(colour);
    set->setBorderColor(colour);
    return set;
}

// A chart of days: no background, the legend on top, numbers written with a
// decimal point.
QChart *dayChart()
{
    auto *chart = new QChart;
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(2, 2, 20, 2)); // room for the last date
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(chartFont(10));
    chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);
    // Labels with numbers localised are formatted as text around the number,
    // which keeps a currency sign beyond Latin-1 (a printf-style format would
    // turn "€" into "?"); the C locale writes the decimal point the diaries show.
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale::c());
    return chart;
}

// The axes of a chart of days: one category a day below, hidden, as its
// labels would not fit; a second axis below names a few of the days; values
// on the left.
void addDayAxes(QChart *chart, QAbstractSeries *series)
{
    auto *days = new QBarCategoryAxis;
    days->setVisible(false);
    chart->addAxis(days, Qt::AlignBottom);
    series->attachAxis(days);
    auto *dates = new QCategoryAxis;
    dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dates->setLabelsFont(chartFont(10));
    dates->setGridLineVisible(false);
    chart->addAxis(dates, Qt::AlignBottom);
    auto *values = new QValueAxis;
    values->setLabelsFont(chartFont(10));
    values->setTickCount(5);
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

// Names the days of a chart made with addDayAxes, oldest first: today and
// every labelEvery days back from it get a date.
void fillDayAxes(QChart *chart, const QList<QDate> &days)
{
    QStringList dayNumbers;
    for (const QDate &day : days)
        dayNumbers.append(day.toString(QStringLiteral("d MMM")));
    axis<QBarCategoryAxis>(chart, Qt::Horizontal)->setCategories(dayNumbers);
    auto *dates = axis<QCategoryAxis>(chart, Qt::Horizontal);
    for (const QString &label : dates->categoriesLabels())
        dates->remove(label);
    dates->setRange(-0.5, qreal(days.size()) - 0.5);
    dates->setStartValue(-0.5);
    // Each label ends a category of its own, so they go in from the oldest.
    for (qsizetype i = (days.size() - 1) % labelEvery; i < days.size(); i += labelEvery)
        dates->append(dayNumbers.at(i), qreal(i));
}

} // namespace

class HistoryChartPlugin : public QObject, public HistoryChart
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HistoryChart_iid)
    Q_INTERFACES(HistoryChart)

public:
    QWidget *create(QWidget *parent) const override;
    void fill(QWidget *view, const QList<HistoryLogic::DayCosts> &days,
              const QString &sign) const override;
    QWidget *createSpending(QWidget *parent) const override;
    void fillSpending(QWidget *view, const QStringList &labels,
                      const QList<double> &costs) const override;
    QWidget *createMeters(QWidget *parent) const override;
    void fillMeters(QWidget *view, const QList<MetersLogic::ChartDay> &days,
                    bool water) const override;
};

namespace {

// The names written on the bars: plain text items of the chart, each keyed
// with its bar's index.
constexpr int barNameKey = 0;

QList<QGraphicsItem *> barNames(const QChart *chart)
{
    QList<QGraphicsItem *> names;
    for (QGraphicsItem *item : chart->childItems()) {
        if (item->data(barNameKey).isValid())
            names.append(item);
    }
    return names;
}

// The value of a name's bar, kept with the name.
constexpr int barValueKey = 1;

// A name's whole text, kept with the name when it is shown cut short.
constexpr int barTextKey = 2;

// Puts each name on its bar's middle line: inside the bar from its start
// when it fits there, otherwise just after the bar's end, so that no name
// straddles an end. The money axis may be lengthened (every bar shorter, in
// the same proportions, the dearest still half the chart or more) where that
// leaves more names whole after their bars; a name that fits on neither side
// is cut short with an ellipsis on the side with more room.
void placeBarNames(QChart *chart)
{
    const QList<QGraphicsItem *> names = barNames(chart);
    auto *money = axis<QValueAxis>(chart, Qt::Horizontal);
    const qreal room = chart->plotArea().width();
    if (!money || room <= 0)
        return;
    constexpr qreal inset = 4; // from the bar's start, or after its end
    qreal dearest = 0;
    for (QGraphicsItem *name : names)
        dearest = std::max(dearest, name->data(barValueKey).toReal());
    const auto wholeWidth = [](QGraphicsItem *name) {
        const auto *text = static_cast<QGraphicsSimpleTextItem *>(name);
        return QFontMetricsF(text->font()).horizontalAdvance(name->data(barTextKey).toString());
    };
    const auto wholeNames = [&](qreal end) {
        int whole = 0;
        for (QGraphicsItem *name : names) {
            const qreal bar = name->data(barValueKey).toReal() / end * room;
            const qreal width = wholeWidth(name);
            whole += width + 2 * inset <= bar || bar + inset + width <= room ? 1 : 0;
        }
        return whole;
    };
    // The axis's end: the dearest, or the end at which a name just fits after
    // its bar; the one leaving most names whole, the longest bars among them.
    qreal end = dearest > 0 ? dearest : 1;
    int mostWhole = wholeNames(end);
    for (QGraphicsItem *name : names) {
        const qreal after = room - inset - wholeWidth(name);
        if (after <= 0)
            continue;
        const qreal candidate = name->data(barValueKey).toReal() * room / after;
        if (candidate <= dearest || candidate > 2 * dearest)
            continue;
        const int whole = wholeNames(candidate);
        if (whole > mostWhole || (whole == mostWhole && candidate < end)) {
            mostWhole = whole;
            end = candidate;
        }
    }
    money->setRange(0, end);
    for (QGraphicsItem *item : names) {
        auto *name = static_cast<QGraphicsSimpleTextItem *>(item);
        const int index = name->data(barNameKey).toInt();
        const QPointF start = chart->mapToPosition(QPointF(0, index));
        const QPointF barEnd =
            chart->mapToPosition(QPointF(name->data(barValueKey).toReal(), index));
        const qreal inside = barEnd.x() - start.x() - 2 * inset;
        const qreal after = room - (barEnd.x() - start.x()) - inset;
        const qreal width = wholeWidth(name);
        const bool onTheBar = width <= inside || (width > after && inside > after);
        name->setText(QFontMetricsF(name->font())
                          .elidedText(name->data(barTextKey).toString(), Qt::ElideRight,
                                      onTheBar ? inside : after));
        name->setPos(onTheBar ? start.x() + inset : barEnd.x() + inset,
                     start.y() - name->boundingRect().height() / 2);
    }
}

// The metered line: the page's dark red, over the bars.
QPen meterPen()
{
    QPen pen(QColor(150, 0, 0));
    pen.setWidth(3);
    return pen;
}

// Adds a line to a chart made with addDayAxes, on its days and its values.
void addMeterLine(QChart *chart, QLineSeries *line)
{
    chart->addSeries(line);
    line->attachAxis(axis<QBarCategoryAxis>(chart, Qt::Horizontal));
    line->attachAxis(axis<QValueAxis>(chart, Qt::Vertical));
}

QChartView *chartView(QChart *chart, QWidget *parent, const QString &name)
{
    auto *view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setStyleSheet(QStringLiteral("background: transparent;"));
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    return view;
}

} // namespace

QWidget *HistoryChartPlugin::create(QWidget *parent) const
{
    QChart *chart = dayChart();
    auto *series = new QStackedBarSeries;
    series->append(barSet(QStringLiteral("Electricity"), electricityColour));
    series->append(barSet(QStringLiteral("Water"), waterColour));
    series->setBarWidth(0.75);
    chart->addSeries(series);
    addDayAxes(chart, series);
    return chartView(chart, parent, QStringLiteral("chart_history"));
}

void HistoryChartPlugin::fill(QWidget *view, const QList<HistoryLogic::DayCosts> &days,
                              const QString &sign) const
{
    auto *chartView = qobject_cast<QChartView *>(view);
    if (!chartView)
        return;
    QChart *chart = chartView->chart();
    auto *series = qobject_cast<QStackedBarSeries *>(chart->series().constFirst());
    const QList<QBarSet *> sets = series->barSets();
    QList<QDate> dates;
    QList<qreal> electricity;
    QList<qreal> water;
    qreal highest = 0;
    for (const HistoryLogic::DayCosts &day : days) {
        dates.append(day.date);
        electricity.append(day.electricity);
        water.append(day.water);
        highest = std::max(highest, qreal(day.electricity + day.water));
    }
    sets.at(0)->remove(0, sets.at(0)->count());
    sets.at(0)->append(electricity);
    sets.at(1)->remove(0, sets.at(1)->count());
    sets.at(1)->append(water);
    fillDayAxes(chart, dates);

    auto *money = axis<QValueAxis>(chart, Qt::Vertical);
    money->setLabelFormat(moneyLabelFormat(sign));
    money->setRange(0, highest > 0 ? highest : 1);
    money->applyNiceNumbers();
}

QWidget *HistoryChartPlugin::createMeters(QWidget *parent) const
{
    QChart *chart = dayChart();
    auto *series = new QBarSeries;
    series->append(barSet(QStringLiteral("Your diary"), electricityColour));
    series->setBarWidth(0.75);
    chart->addSeries(series);
    addDayAxes(chart, series);
    // The meter's first run of days; further runs get series of their own,
    // kept out of the legend, so that no line is drawn across a gap.
    auto *meter = new QLineSeries;
    meter->setName(QStringLiteral("Your meter"));
    meter->setPen(meterPen());
    addMeterLine(chart, meter);
    // The bars' box beside the line's stroke.
    for (QLegendMarker *marker : chart->legend()->markers(meter))
        marker->setShape(QLegend::MarkerShapeFromSeries);
    return chartView(chart, parent, QStringLiteral("chart_meters"));
}

void HistoryChartPlugin::fillMeters(QWidget *view, const QList<MetersLogic::ChartDay> &days,
                                    bool water) const
{
    auto *metersView = qobject_cast<QChartView *>(view);
    if (!metersView)
        return;
    QChart *chart = metersView->chart();
    const QList<QAbstractSeries *> series = chart->series();
    QBarSet *diary = qobject_cast<QBarSeries *>(series.at(0))->barSets().constFirst();
    const QColor colour = water ? waterColour : electricityColour;
    diary->setColor(colour);
    diary->setBorderColor(colour);
    auto *meter = qobject_cast<QLineSeries *>(series.at(1));
    for (QAbstractSeries *extra : series.mid(2)) {
        chart->removeSeries(extra);
        delete extra;
    }
    meter->clear();

    QList<QDate> dates;
    QList<qreal> bars;
    qreal highest = 0;
    QLineSeries *run = nullptr;
    for (qsizetype i = 0; i < days.size(); ++i) {
        const MetersLogic::ChartDay &day = days.at(i);
        dates.append(day.date);
        bars.append(day.diary.value_or(0));
        highest = std::max({highest, qreal(day.diary.value_or(0)), qreal(day.metered.value_or(0))});
        if (!day.metered) {
            run = nullptr;
            continue;
        }
        // The day's use as a step across the day's bar.
        if (!run) {
            run = meter->count() == 0 ? meter : new QLineSeries;
            if (run != meter) {
                run->setPen(meterPen());
                addMeterLine(chart, run);
                for (QLegendMarker *marker : chart->legend()->markers(run))
                    marker->setVisible(false);
            }
        }
        run->append(qreal(i) - 0.5, *day.metered);
        run->append(qreal(i) + 0.5, *day.metered);
    }
    diary->remove(0, diary->count());
    diary->append(bars);
    fillDayAxes(chart, dates);

    auto *used = axis<QValueAxis>(chart, Qt::Vertical);
    const QString unit =
        MeterLogic::unit(water ? MeterLogic::waterMeter : MeterLogic::electricityMeter);
    if (highest > 0) {
        used->setRange(0, highest);
        used->applyNiceNumbers();
    } else {
        used->setRange(0, 1);
        used->setTickCount(3);
    }
    // As many decimals as tell the ticks apart, however small the use: a cubic
    // metre of water lasts a household days, a standby plug a year.
    const qreal step = (used->max() - used->min()) / std::max(1, used->tickCount() - 1);
    int decimals = 0;
    constexpr int mostDecimals = 6;
    while (decimals < mostDecimals) {
        const qreal scaled = step * std::pow(10.0, decimals);
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled))
            break;
        ++decimals;
    }
    used->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f ") +
                         unit);
}

QWidget *HistoryChartPlugin::createSpending(QWidget *parent) const
{
    auto *chart = new QChart;
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setVisible(false);
    QBarSet *costs = barSet(QStringLiteral("Cost"), electricityColour);
    auto *series = new QHorizontalBarSeries;
    series->append(costs);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    auto *names = new QBarCategoryAxis;
    names->setLabelsFont(chartFont(10));
    names->setGridLineVisible(false);
    names->setLabelsVisible(false); // the names are written on the bars
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [chart] { placeBarNames(chart); });
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto *money = new QValueAxis;
    money->setVisible(false);
    chart->addAxis(money, Qt::AlignBottom);
    series->attachAxis(money);
    return chartView(chart, parent, QStringLiteral("chart_spending"));
}

void HistoryChartPlugin::fillSpending(QWidget *view, const QStringList &labels,
                                      const QList<double> &costs) const
{
    auto *spendingView = qobject_cast<QChartView *>(view);
    if (!spendingView)
        return;
    QChart *chart = spendingView->chart();
    auto *series = qobject_cast<QHorizontalBarSeries *>(chart->series().constFirst());
    QBarSet *bars = series->barSets().constFirst();
    // The dearest at the top: the first category is drawn at the bottom.
    QStringList shown;
    QList<qreal> values;
    const qsizetype count = std::min<qsizetype>({labels.size(), costs.size(), spendingBars});
    for (qsizetype i = count - 1; i >= 0; --i) {
        shown.append(labels.at(i));
        values.append(costs.at(i));
    }
    bars->remove(0, bars->count());
    bars->append(values);
    axis<QBarCategoryAxis>(chart, Qt::Vertical)->setCategories(shown);
    qDeleteAll(barNames(chart));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        auto *name = new QGraphicsSimpleTextItem(shown.at(i), chart);
        name->setData(barTextKey, shown.at(i));
        name->setFont(chartFont(10));
        name->setBrush(QColor(85, 0, 0)); // as the page's text
        name->setData(barNameKey, int(i));
        name->setData(barValueKey, values.at(i));
        name->setZValue(100); // above the bars
    }
    placeBarNames(chart); // and the money axis's range
}

#include "historychartplugin.moc"
