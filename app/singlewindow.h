// One window per data file: the first start on a file holds a lock beside it
// (the file's path and ".lock") and answers later starts on a local socket
// named from the file's canonical path; a later start asks that window to
// come forward and ends. Files of two homes have two locks and two names, so
// their windows run side by side. A lock or socket left by a window that
// crashed is taken over. Widget-free: the window connects raiseRequested.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class SingleWindow : public QObject
{
    Q_OBJECT

public:
    // For the data file at dataPath (Database::filePath(); empty: no file).
    explicit SingleWindow(const QString &dataPath, QObject *parent = nullptr);

    // True when this is the one window of the file: it holds the lock until
    // it is destroyed (so does a start that cannot make the lock, in a home
    // it cannot write to, or without a file). False when another window holds
    // it: that window was asked to come forward (within callTimeoutMs).
    bool claim();

    // Starts answering later starts, once the local socket's part is loaded
    // (on a thread of its own, so the window is not held). Only after claim().
    void listen();

    // Whether later starts can reach this window now.
    bool isListening() const { return server != nullptr; }

    // The local socket's name for the data file at dataPath: "viridio-" and
    // a digest of its canonical path (of its folder's, while it is missing).
    static QString socketName(const QString &dataPath);

    // How long a later start tries to reach the window holding the lock (which
    // may still be starting) before it ends all the same.
    static constexpr int callTimeoutMs = 3000;

signals:
    // A later start asked for this window.
    void raiseRequested();

private:
    QString name;
    std::unique_ptr<QLockFile> lock;
    QObject *server = nullptr;
};
