#include "mainwindow.h"
#include "singlewindow.h"

#include "data/database.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // One window per data file: a second start brings the first forward.
    SingleWindow single(Database::filePath());
    if (!single.claim())
        return 0;
    MainWindow window;
    QObject::connect(&single, &SingleWindow::raiseRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
        // X gives the focus only to a request newer than the last focus
        // change, and the window's clock is its last event's time: the first
        // request brings a fresh one (the window's user time), the second
        // then takes the focus.
        QTimer::singleShot(100, &window, [&window] { window.activateWindow(); });
    });
    window.show();
    single.listen();
    return app.exec();
}
