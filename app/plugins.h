// Parts of the window that bring large libraries of their own (the chart's
// Qt Charts, the event update's Qt Network) live in plugins, loaded when they
// are first needed, or ahead on a thread of their own once a page that leads
// to them is open, so that a start does not load those libraries.
#pragma once

#include <QFuture>
#include <QObject>
#include <QString>

namespace Plugins {

// The plugin named name ("viridio_historychart"): installed in lib/viridio
// beside the program's bin folder, or still in the build tree. Loaded once
// for the process; nullptr, and why in error, when it cannot be loaded.
QObject *instance(const QString &name, QString *error = nullptr);

// Starts loading the plugin named name (its library and those it brings) on a
// thread of the pool, once for the process, so that instance() later finds it
// in memory instead of waiting for it. A plugin that cannot be loaded is left
// for instance() to report.
void preload(const QString &name);

// The same, with a future that finishes once the plugin is in memory (or
// could not be loaded), for the window's thread to call instance() then
// without waiting.
QFuture<void> preloaded(const QString &name);

// The plugin named name, as the Interface it implements; nullptr, and why in
// error, when it cannot be loaded or implements another.
template<typename Interface> Interface *as(const QString &name, QString *error = nullptr)
{
    QString failure;
    auto *plugin = qobject_cast<Interface *>(instance(name, &failure));
    if (error && !plugin)
        *error = failure.isEmpty() ? name + QStringLiteral(" is not the plugin expected") : failure;
    return plugin;
}

} // namespace Plugins
