// Renders every page of the window to PNG files, for looking at what we build:
//   viridio-tour OUTPUT_FOLDER
// It runs on the offscreen platform with a fresh home directory, so it never
// touches the user's database. Pages that the main menu opens are entered by
// clicking their button, so they show what their entry fills in.

#include "app/calculator/calculatorlogic.h"
#include "app/clock.h"
#include "mainwindow.h"
#include "pagevisits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Three weeks of diary days, some missed, answered as a household answers
// them, and two monthly budgets, so the history pages have bars, totals,
// changes, usage and budgets to show.
void storeDiaryDays()
{
    using namespace CalculatorLogic;
    const QSqlDatabase db = QSqlDatabase::database();
    for (int back = 0; back < 21; ++back) {
        if (back % 5 == 3)
            continue;
        const QString key = dayKey(Clock::today().addDays(-back));
        const double more = back * 7 % 10;
        recordAppliance(db, key, 0, 2 + more / 4, 900); // air conditioner
        recordAppliance(db, key, 3, 5, 10, 6);          // six bulbs
        recordAppliance(db, key, 10, 24, 55);           // refrigerator
        recordWater(db, key,
                    {{QStringLiteral("amtOfTapUsed"), 4 + more, tapFactor},
                     {QStringLiteral("amtOfShowerUsed"), 1, showerFactor}},
                    {{QStringLiteral("noOfFamilyMem"), QStringLiteral("3")}});
    }
    // Budgets a month: electricity on course to go above its own, water within.
    QSqlQuery budgets(db);
    budgets.exec(QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES "
                                "('electricityBudget', '10'), ('waterBudget', '50')"));
}

bool save(QWidget *window, const QDir &folder, const QString &name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "viridio-tour: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());

    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: viridio-tour OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "viridio-tour: cannot create %s\n", argv[1]);
        return 1;
    }

    MainWindow window;
    window.show();
    auto *content = window.findChild<QStackedWidget *>(QStringLiteral("stackWid_content"));

    // The buttons a user presses from the main menu to reach a page, by page index.
    const QHash<int, QStringList> paths = {
        {MainWindow::QuickFactsPage, {QStringLiteral("push_QuickFactIcon")}},
        {MainWindow::CreditsPage, {QStringLiteral("push_credits")}},
        {MainWindow::EventsPage, {QStringLiteral("push_ecoEvent")}},
        {MainWindow::CalculatorPage, {QStringLiteral("push_ecoCal")}},
        {MainWindow::EventUpdatePage,
         {QStringLiteral("push_ecoEvent"), QStringLiteral("push_updateEvents")}},
        {MainWindow::QuizMenuPage, {QStringLiteral("push_duzEvod")}},
        {MainWindow::QuizQuestionPage,
         {QStringLiteral("push_duzEvod"), QStringLiteral("push_Start")}},
        {MainWindow::CraftMenuPage, {QStringLiteral("push_darAror")}},
        {MainWindow::CraftIdeaPage,
         {QStringLiteral("push_darAror"), QStringLiteral("push_MenuPaper")}},
    };

    bool ok = true;
    for (int index = 0; index < content->count(); ++index) {
        content->setCurrentIndex(MainWindow::MainMenuPage);
        for (const QString &name : paths.value(index)) {
            auto *button = window.findChild<QAbstractButton *>(name);
            if (button && button->isVisible())
                QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        }
        if (content->currentIndex() != index)
            content->setCurrentIndex(index);
        const QString name = QStringLiteral("content-%1-%2")
                                 .arg(index, 2, 10, QLatin1Char('0'))
                                 .arg(content->widget(index)->objectName());
        ok = save(&window, folder, name) && ok;
        // Leave a running quiz round the way a user does.
        if (index == MainWindow::QuizQuestionPage)
            QTest::mouseClick(window.findChild<QAbstractButton *>(QStringLiteral("push_back")),
                              Qt::LeftButton);
    }

    storeDiaryDays();

    // The calculator's pages, each reached through the buttons that lead to it
    // (the two pages no button shows are switched to directly).
    content->setCurrentIndex(MainWindow::CalculatorPage);
    auto *calculator = window.findChild<QStackedWidget *>(QStringLiteral("stackWid_ecoCalBody"));
    for (int index = 0; index < calculator->count(); ++index) {
        if (!PageVisits::reach(window, PageVisits::Calc + index)) {
            content->setCurrentIndex(MainWindow::CalculatorPage);
            calculator->setCurrentIndex(index);
        }
        const QString name = QStringLiteral("calculator-%1-%2")
                                 .arg(index, 2, 10, QLatin1Char('0'))
                                 .arg(calculator->widget(index)->objectName());
        ok = save(&window, folder, name) && ok;
    }
    return ok ? 0 : 1;
}
