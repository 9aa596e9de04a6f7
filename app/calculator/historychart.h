// The diaries' chart of the last 30 days. It is drawn with Qt Charts, which
// the window loads only when the history page is first opened: the chart code
// lives in a plugin of its own, so a start does not pay for loading the chart
// library and the OpenGL libraries it brings.
#pragma once

#include "calculator/historylogic.h"

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

    // The plugin, loaded on the first call; nullptr, and why in error, when
    // it cannot be loaded.
    static const HistoryChart *load(QString *error = nullptr);
};

#define HistoryChart_iid "org.viridio.HistoryChart/1"
Q_DECLARE_INTERFACE(HistoryChart, HistoryChart_iid)
