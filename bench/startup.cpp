// Start-up as a whole process: from exec to the first frame painted. The
// window is built and shown, its first expose paints it, and the program quits
// at the next turn of the event loop after that paint. Built twice: as
// viridio-bench-startup with the real window, and as viridio-bench-floor with
// an empty QMainWindow built the same way, the floor that any Qt widget
// program pays.
//
// With VIRIDIO_BENCH_VISIT_ALL set, the real window then opens every page once
// (each built on that visit) before quitting, for the memory of a window whose
// pages have all been seen.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#ifndef VIRIDIO_FLOOR
#include "mainwindow.h"
#endif

namespace {

// Quits at the turn of the event loop after the window's first paint.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(std::function<void()> then)
        : then(std::move(then))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, this, then);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> then;
    bool seen = false;
};

} // namespace

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
    FirstPaint painted([] { QCoreApplication::quit(); });
#else
    MainWindow window;
    FirstPaint painted([&window] {
        if (qEnvironmentVariableIsSet("VIRIDIO_BENCH_VISIT_ALL")) {
            for (int page = 0; page < MainWindow::PageCount; ++page) {
                window.showPage(MainWindow::Page(page));
                window.repaint();
            }
            for (int page = 0; page < MainWindow::CalculatorBodyPageCount; ++page) {
                window.showPage(MainWindow::CalculatorBodyPage(page));
                window.repaint();
            }
            window.showPage(MainWindow::MainMenuPage);
        }
        QCoreApplication::quit();
    });
#endif
    window.installEventFilter(&painted);
    window.show();
    return app.exec();
}
