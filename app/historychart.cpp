#include "historychart.h"

#include <QCoreApplication>
#include <QPluginLoader>
#include <QStringList>

const HistoryChart *HistoryChart::load(QString *error)
{
    // Loaded once for the process; a plugin stays loaded once in.
    static const HistoryChart *chart = nullptr;
    static QString failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        // Installed beside the program's folder, or still in the build tree.
        const QStringList folders = {QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../lib/viridio"),
                                     QStringLiteral(VIRIDIO_PLUGIN_BUILD_DIR)};
        for (const QString &folder : folders) {
            QPluginLoader loader(folder + QStringLiteral("/viridio_historychart"));
            chart = qobject_cast<HistoryChart *>(loader.instance());
            if (chart)
                break;
            if (failure.isEmpty())
                failure = loader.errorString();
        }
    }
    if (error)
        *error = chart ? QString() : failure;
    return chart;
}
