#include "plugins.h"

#include <QCoreApplication>
#include <QHash>
#include <QPluginLoader>
#include <QStringList>

namespace Plugins {

QObject *instance(const QString &name, QString *error)
{
    struct Loaded
    {
        QObject *root = nullptr;
        QString failure;
    };
    // A plugin stays loaded once in, and one that failed is not tried again.
    static QHash<QString, Loaded> loaded;
    auto found = loaded.find(name);
    if (found == loaded.end()) {
        Loaded plugin;
        const QStringList folders = {QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../lib/viridio"),
                                     QStringLiteral(VIRIDIO_PLUGIN_BUILD_DIR)};
        for (const QString &folder : folders) {
            QPluginLoader loader(folder + QLatin1Char('/') + name);
            plugin.root = loader.instance();
            if (plugin.root)
                break;
            if (plugin.failure.isEmpty())
                plugin.failure = loader.errorString();
        }
        found = loaded.insert(name, plugin);
    }
    if (error)
        *error = found->root ? QString() : found->failure;
    return found->root;
}

} // namespace Plugins
