// The diaries' charts drawn with Qt Charts: 30 stacked bars of electricity and
// water, a few dates below and money on the left; and one bar for each of the
// dearest appliances and water activities, its name and share beside it.
#include "calculator/historychart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QObject>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

// Every few days a date under the chart; the bars between go unlabelled.
constexpr int labelEvery = 7;
// The bars of the dearest items that fit the page.
constexpr int spendingBars = 6;

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

// Puts each name at the start of its bar, on its middle line.
void placeBarNames(QChart *chart)
{
    for (QGraphicsItem *name : barNames(chart)) {
        const QPointF start = chart->mapToPosition(QPointF(0, name->data(barNameKey).toInt()));
        name->setPos(start.x() + 4, start.y() - name->boundingRect().height() / 2);
    }
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
    money->setLabelFormat(moneyLabelFormat(sign));
    money->setRange(0, highest > 0 ? highest : 1);
    money->applyNiceNumbers();
}

QWidget *HistoryChartPlugin::createSpending(QWidget *parent) const
{
    auto *chart = new QChart;
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setVisible(false);
    auto *costs = new QBarSet(QStringLiteral("Cost"));
    costs->setColor(QColor(214, 140, 20));
    costs->setBorderColor(QColor(214, 140, 20));
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
        name->setFont(chartFont(10));
        name->setBrush(QColor(85, 0, 0)); // as the page's text
        name->setData(barNameKey, int(i));
        name->setZValue(100); // above the bars
    }
    auto *money = axis<QValueAxis>(chart, Qt::Horizontal);
    money->setRange(0, values.isEmpty() ? 1 : values.constLast());
    placeBarNames(chart);
}

#include "historychartplugin.moc"
