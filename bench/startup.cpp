// Start-up as a whole process: the window is built, shown and the first idle
// turn of the event loop is reached, then the program quits. Built twice: as
// viridio-bench-startup with the real window, and as viridio-bench-floor with an
// empty QMainWindow, the floor that any Qt widget program pays.

#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#ifndef VIRIDIO_FLOOR
#include "mainwindow.h"
#endif

int main(int argc, char *argv[])
{
    // A fresh home each run, so every start seeds a new database as a first
    // start does. Set VIRIDIO_BENCH_HOME to measure repeat starts instead.
    QTemporaryDir home;
    const QByteArray fixedHome = qgetenv("VIRIDIO_BENCH_HOME");
    qputenv("HOME", fixedHome.isEmpty() ? home.path().toLocal8Bit() : fixedHome);

    QApplication app(argc, argv);
#ifdef VIRIDIO_FLOOR
    QMainWindow window;
    window.resize(800, 430);
#else
    MainWindow window;
#endif
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
