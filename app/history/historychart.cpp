#include "history/historychart.h"

#include "plugins.h"

const HistoryChart *HistoryChart::load(QString *error)
{
    return Plugins::as<HistoryChart>(QStringLiteral("viridio_historychart"), error);
}

void HistoryChart::preload()
{
    Plugins::preload(QStringLiteral("viridio_historychart"));
}
