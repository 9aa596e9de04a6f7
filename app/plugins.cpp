#include "plugins.h"

#include <QCoreApplication>
#include <QHash>
#include <QPluginLoader>
#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Where plugins are: lib/viridio beside the program's bin folder once
// installed, else the build tree.
QStringList folders()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/viridio"),
            QStringLiteral(VIRIDIO_PLUGIN_BUILD_DIR)};
}

} // namespace

namespace Plugins {

void preload(const QString &name)
{
    preloaded(name);
}

QFuture<void> preloaded(const QString &name)
{
    static QHash<QString, QFuture<void>> started;
    const auto found = started.constFind(name);
    if (found != started.constEnd())
        return *found;
    // A loaded library stays in memory after its loader goes; the window's
    // own loader of the same file then finds it there.
    QFuture<void> loading = QtConcurrent::run([paths = folders(), name] {
        for (const QString &folder : paths) {
            if (QPluginLoader(folder + QLatin1Char('/') + name).load())
                return;
        }
    });
    started.insert(name, loading);
    return loading;
}

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
        for (const QString &folder : folders()) {
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
