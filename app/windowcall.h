// The local socket between the window of a data file and later starts on the
// same file. It is made by a plugin, so that the network libraries are not
// loaded by a start.
#pragma once

#include <QObject>
#include <QString>
#include <QtPlugin>

#include <functional>

class WindowCallFactory
{
public:
    virtual ~WindowCallFactory() = default;

    // Listens on the local socket name, for the current user only; a socket
    // left there by a window that crashed is removed first (only the lock's
    // holder calls this). called runs for each start that calls. The server
    // is a child of parent; nullptr when it cannot listen.
    virtual QObject *listen(const QString &name, QObject *parent,
                            std::function<void()> called) const = 0;

    // Connects to name and asks its window to come forward; false when no
    // window took the call within timeoutMs.
    virtual bool call(const QString &name, int timeoutMs) const = 0;
};

#define WindowCallFactory_iid "org.viridio.WindowCall/1"
Q_DECLARE_INTERFACE(WindowCallFactory, WindowCallFactory_iid)
