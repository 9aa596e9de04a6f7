// The diaries' chart of the last 30 days, the chart of where their money
// went and the meters' chart of the diary's use beside the metered use. It is drawn with Qt Charts,
// which the window loads only when the history page is first opened: the chart code lives in a
// plugin of its own, so a start does not pay for loading the chart library and the OpenGL libraries
// it brings.
#pragma once

#include "history/historylogic.h"
#include "meters/meterslogic.h"

#include <QtPlugin>

class QWidget;

class HistoryChart
{
public:
    virtual ~HistoryChart() = default;

    // A new chart view, child of parent, named "chart_history".
    virtual QWidget *create(QWidget *parent) const = 0;

    // Shows days (oldest first) in a view made by create(), money with sign.
    virtual void fill(QWidget *view, const QList<HistoryLogic::DayCosts> &days,
                      const QString &sign) const = 0;

    // A new chart of where the money went, child of parent, named
    // "chart_spending": one horizontal bar for each of the dearest items.
    virtual QWidget *createSpending(QWidget *parent) const = 0;

    // Shows the costs of items, dearest first, each with its label, in a view
    // made by createSpending().
    virtual void fillSpending(QWidget *view, const QStringList &labels,
                              const QList<double> &costs) const = 0;

    // A new chart of a meter's days, child of parent, named "chart_meters".
    virtual QWidget *createMeters(QWidget *parent) const = 0;

    // Shows days (oldest first) in a view made by createMeters(): the diary's
    // use as bars and the metered use a day as a line over them, in kWh or,
    // for the water meter, cubic metres.
    virtual void fillMeters(QWidget *view, const QList<MetersLogic::ChartDay> &days,
                            bool water) const = 0;

    // The plugin, loaded on the first call; nullptr, and why in error, when
    // it cannot be loaded.
    static const HistoryChart *load(QString *error = nullptr);

    // Starts loading the plugin on a thread of its own, for a load() to come.
    static void preload();
};

#define HistoryChart_iid "org.viridio.HistoryChart/3"
Q_DECLARE_INTERFACE(HistoryChart, HistoryChart_iid)
