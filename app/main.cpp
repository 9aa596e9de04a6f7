#include "mainwindow.h"
#include "singlewindow.h"

#include "data/database.h"

#include <QApplication>

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
    });
    window.show();
    single.listen();
    return app.exec();
}
