// Renders every page of the window to PNG files, for looking at what we build:
//   viridio-tour OUTPUT_FOLDER   (viridio-tour --help says more)
// It runs on the offscreen platform with a fresh home directory, so it never
// touches the user's database. Pages that the main menu opens are entered by
// clicking their button, so they show what their entry fills in.

#include "app/clock.h"
#include "app/household/calculatorlogic.h"
#include "app/household/meterlogic.h"
#include "app/household/plugreadings.h"
#include "app/household/settingslogic.h"
#include "data/database.h"
#include "mainwindow.h"
#include "pagevisits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <tuple>

namespace {

// Three weeks of diary days, some missed, answered as a household answers
// them, and two monthly budgets, so the history pages have bars, totals,
// changes, usage and budgets to show.
void storeDiaryDays()
{
    using namespace CalculatorLogic;
    const QSqlDatabase db = QSqlDatabase::database();
    QString error;
    const int heater = SettingsLogic::addOwnAppliance(db, QStringLiteral("Electric water heater"),
                                                      QStringLiteral("2000"), 1, &error);
    SettingsLogic::addOwnAppliance(db, QStringLiteral("Games console"), QStringLiteral("150"), 1,
                                   &error);
    for (int back = 0; back < 21; ++back) {
        const QString key = dayKey(Clock::today().addDays(-back));
        // A day recorded as earlier versions did, with costs only.
        if (back == 3) {
            upsertDay(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"), key,
                      {{QStringLiteral("valOfAirCon"), QStringLiteral("0.5")}});
            upsertDay(db, QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate"), key,
                      {{QStringLiteral("noOfFamilyMem"), QStringLiteral("3")},
                       {QStringLiteral("amtOfShowerUsed"), QStringLiteral("0.2")}});
        }
        if (back % 5 == 3)
            continue;
        const double more = back * 7 % 10;
        recordAppliance(db, key, 0, 2 + more / 4, 900); // air conditioner
        recordAppliance(db, key, 3, 5, 10, 6);          // six bulbs
        recordAppliance(db, key, 10, 24, 55);           // refrigerator
        // The household's own electric water heater, an hour or two a day.
        recordWholeDay(db, key, {}, {}, {}, {{heater, double(1 + back % 2), 2000, 1}});
        recordWater(db, key,
                    {{QStringLiteral("amtOfTapUsed"), 4 + more, tapFactor},
                     {QStringLiteral("amtOfShowerUsed"), 1, showerFactor}},
                    {{QStringLiteral("noOfFamilyMem"), QStringLiteral("3")}});
    }
    // Budgets a month: electricity on course to go above its own, water within.
    QSqlQuery budgets(db);
    budgets.exec(QStringLiteral("INSERT OR REPLACE INTO Settings (key, value) VALUES "
                                "('electricityBudget', '10'), ('waterBudget', '50')"));
    // Four electricity meter readings, so the meters page has a list and the
    // history's meters page a period to tell of and a line of three steps.
    for (const auto &[back, reading] :
         {std::pair{35, "4080"}, {21, "4210.5"}, {7, "4350"}, {0, "4412.8"}})
        MeterLogic::saveReading(db, MeterLogic::electricityMeter, Clock::today().addDays(-back),
                                QString::fromLatin1(reading), false, Clock::today());
}

// Three smart plugs heard over the last ten days, two assigned: the fridge's
// (Tasmota, not heard four days ago) and the air conditioner's (Shelly).
void storePlugDays()
{
    const QSqlDatabase db = QSqlDatabase::database();
    QList<PlugReadings::Heard> heard;
    for (int back = 10; back >= 0; --back) {
        const QDate day = Clock::today().addDays(-back);
        if (back != 4)
            heard.append(
                {QStringLiteral("tele/fridge-plug/SENSOR"), day, 100 + (10 - back) * 1.41});
        heard.append({QStringLiteral("shellyplusplugs-aircon/status/switch:0"), day,
                      2000 + (10 - back) * 2.2 + back % 3});
        heard.append({QStringLiteral("zigbee2mqtt/TV plug"), day, 35.5 + (10 - back) * 0.31});
    }
    PlugReadings::record(db, heard);
    PlugReadings::assign(db, QStringLiteral("tele/fridge-plug/SENSOR"),
                         QStringLiteral("Refrigerator"));
    PlugReadings::assign(db, QStringLiteral("shellyplusplugs-aircon/status/switch:0"),
                         QStringLiteral("AirCon"));
}

// Presses the named buttons in turn, each only if it is shown.
void press(QWidget *window, const QStringList &names)
{
    for (const QString &name : names) {
        auto *button = window->findChild<QAbstractButton *>(name);
        if (button && button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
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

// The events page showing the details of an event of this month, then after
// adding it to a calendar (a file in the temporary home).
bool saveEventDetails(QWidget *window, const QDir &folder)
{
    QSqlDatabase db = QSqlDatabase::database();
    const QDate day = Clock::today();
    const QString name = QStringLiteral("Repair Café and clothes swap %1").arg(day.year());
    Database::insertEvents(
        db, name, QStringLiteral("Community hall, 12 Market Street"),
        QStringLiteral("Bring a broken lamp, a toaster or a torn jacket: volunteers mend them "
                       "with you, free of charge. Clothes you no longer wear can be swapped."),
        QStringLiteral("Free; a donation for tea"), day.toString(QStringLiteral("M@d@yyyy")),
        day.addDays(1).toString(QStringLiteral("M@d@yyyy")));
    auto *content = window->findChild<QStackedWidget *>(QStringLiteral("stackWid_content"));
    content->setCurrentIndex(MainWindow::MainMenuPage);
    QTest::mouseClick(window->findChild<QAbstractButton *>(QStringLiteral("push_ecoEvent")),
                      Qt::LeftButton);
    auto *list = window->findChild<QListWidget *>(QStringLiteral("listWid_upcoming"));
    const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchExactly);
    if (items.isEmpty()) {
        std::fprintf(stderr, "viridio-tour: the events page does not list %s\n", qPrintable(name));
        return false;
    }
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
    const bool ok = save(window, folder, QStringLiteral("content-04-page_5-details"));
    QTest::mouseClick(window->findChild<QAbstractButton *>(QStringLiteral("push_addToCalendar")),
                      Qt::LeftButton);
    return save(window, folder, QStringLiteral("content-04-page_5-details-added")) && ok;
}

// The calculator's entry page when my.db.sqlite is no file Viridio can use:
// a window of its own, on a home whose data file is spoilt.
bool saveUnusableFile(const QDir &folder)
{
    const QByteArray home = qgetenv("HOME");
    QTemporaryDir spoilt;
    qputenv("HOME", spoilt.path().toLocal8Bit());
    QFile file(spoilt.filePath(QStringLiteral("my.db.sqlite")));
    bool ok = file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096;
    file.close();
    {
        MainWindow window;
        window.show();
        press(&window, {QStringLiteral("push_ecoCal"), QStringLiteral("push_vozAvaviButton")});
        ok = save(&window, folder, QStringLiteral("unusable-file")) && ok;
    }
    qputenv("HOME", home);
    return ok;
}

// The focused home buttons, as the keyboard leaves them.
bool saveFocusedHome(MainWindow &window, const QDir &folder)
{
    bool ok = true;
    for (const auto &[page, button] :
         {std::pair{PageVisits::Calc + MainWindow::IntroPage, "push_ecoCalHomeButton"},
          {int(MainWindow::EventsPage), "push_eventsHome"},
          {int(MainWindow::CraftIdeaPage), "push_eWand_ImgBack"}}) {
        PageVisits::reach(window, page);
        auto *home = window.findChild<QWidget *>(QLatin1String(button));
        home->setFocus(Qt::TabFocusReason);
        QTest::keyClick(home, Qt::Key_Shift);
        ok = save(&window, folder, QStringLiteral("focus-%1").arg(QLatin1String(button))) && ok;
        QTest::mouseClick(window.centralWidget(), Qt::LeftButton, {}, QPoint(1, 1));
    }
    return ok;
}

// A day chooser's calendar popped up as a tap on its arrow opens it, drawn
// over the window where it stands.
bool saveCalendar(QWidget *window, const QDir &folder, const char *chooser, const char *calendar,
                  const QString &name)
{
    auto *edit = window->findChild<QWidget *>(QLatin1String(chooser));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 10, edit->height() / 2));
    auto *days = window->findChild<QWidget *>(QLatin1String(calendar));
    if (!days || !days->isVisible()) {
        std::fprintf(stderr, "viridio-tour: %s did not pop up\n", calendar);
        return false;
    }
    QApplication::processEvents();
    QWidget *popup = days->window();
    QPixmap shot = window->grab();
    QPainter painter(&shot);
    painter.drawPixmap(popup->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0)),
                       popup->grab());
    painter.end();
    popup->close();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!shot.save(path)) {
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
    QApplication::setApplicationName(QStringLiteral("viridio-tour"));
    QApplication::setApplicationVersion(QStringLiteral(VIRIDIO_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Renders every page of Viridio's window to PNG files, on a fresh home "
                       "folder of its own."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("OUTPUT_FOLDER"),
                                 QStringLiteral("Where the pictures go; made when missing. A "
                                                "folder whose name starts with - follows --."));
    // An option is never taken for the folder: one not known here, or a
    // folder missing or given twice, is refused with the usage.
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "viridio-tour: %s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    parser.process(app); // --help, --help-all and --version answered, and the tour ends
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "viridio-tour: give one output folder\n\n%s",
                     qPrintable(parser.helpText()));
        return 2;
    }
    const QString path = parser.positionalArguments().constFirst();
    QDir folder(path);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "viridio-tour: cannot create %s\n", qPrintable(path));
        return 1;
    }

    bool ok = saveUnusableFile(folder);
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

    for (int index = 0; index < content->count(); ++index) {
        content->setCurrentIndex(MainWindow::MainMenuPage);
        press(&window, paths.value(index));
        if (content->currentIndex() != index)
            content->setCurrentIndex(index);
        const QString name = QStringLiteral("content-%1-%2")
                                 .arg(QString::number(index).rightJustified(2, u'0'),
                                      content->widget(index)->objectName());
        ok = save(&window, folder, name) && ok;
        // Leave a running quiz round the way a user does.
        if (index == MainWindow::QuizQuestionPage)
            QTest::mouseClick(window.findChild<QAbstractButton *>(QStringLiteral("push_back")),
                              Qt::LeftButton);
    }

    ok = saveEventDetails(&window, folder) && ok;
    ok = saveFocusedHome(window, folder) && ok;
    storeDiaryDays();
    storePlugDays();

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
                                 .arg(QString::number(index).rightJustified(2, u'0'),
                                      calculator->widget(index)->objectName());
        // The meters' pages read their readings on a thread.
        if (index == MainWindow::MetersPage || index == MainWindow::MeterHistoryPage)
            QTest::qWait(500);
        ok = save(&window, folder, name) && ok;
    }

    // "Same as the last recorded day" on a day with answers: it asks first.
    PageVisits::reach(window, PageVisits::Calc + MainWindow::EntryChoicePage);
    press(&window, {QStringLiteral("push_sameAsLastDay")});
    ok = save(&window, folder, QStringLiteral("same-as-last-day-asks")) && ok;
    ok = saveCalendar(&window, folder, "date_recordDay", "calWid_recordDay",
                      QStringLiteral("record-day-calendar")) &&
         ok;

    // The two diaries with every item of their latest day shown.
    for (const auto &[page, button, name] :
         {std::tuple{MainWindow::ElectricityDiaryPage, "push_zadUvedoViewAllData",
                     "electricity-diary-all"},
          std::tuple{MainWindow::WaterDiaryPage, "push_zadUvedoViewAllData_water",
                     "water-diary-all"}}) {
        PageVisits::reach(window, PageVisits::Calc + page);
        press(&window, {QString::fromLatin1(button)});
        ok = save(&window, folder, QString::fromLatin1(name)) && ok;
    }

    // The smart plugs page with plugs heard and a broker typed, and the
    // electricity diary's day with their measured figures.
    PageVisits::reach(window, PageVisits::Calc + MainWindow::SmartPlugsPage);
    window.findChild<QLineEdit *>(QStringLiteral("le_brokerAddress"))
        ->setText(QStringLiteral("192.168.1.5"));
    window.findChild<QLineEdit *>(QStringLiteral("le_brokerUser"))
        ->setText(QStringLiteral("viridio"));
    window.findChild<QListWidget *>(QStringLiteral("list_plugs"))->setCurrentRow(0);
    ok = save(&window, folder, QStringLiteral("after-plugs")) && ok;
    PageVisits::reach(window, PageVisits::Calc + MainWindow::ElectricityDiaryPage);
    press(&window, {QStringLiteral("push_zadUvedoViewAllData")});
    ok = save(&window, folder, QStringLiteral("after-diary-plugs")) && ok;
    PageVisits::reach(window, PageVisits::Calc + MainWindow::MeterHistoryPage);
    ok = save(&window, folder, QStringLiteral("after-meters-plugs")) && ok;
    PageVisits::reach(window, PageVisits::Calc + MainWindow::SpendingPage);
    ok = save(&window, folder, QStringLiteral("after-spending-plugs")) && ok;
    // The meters page asking before an import replaces a stored day, and
    // refusing a reading that would make the series go down.
    const QString readings = home.filePath(QStringLiteral("readings.csv"));
    QFile file(readings);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringLiteral("Datum;Stand\r\n%1;4090,5\r\n%2;4212\r\n%2;4213\r\n")
                       .arg(Clock::today().addDays(-35).toString(Qt::ISODate),
                            Clock::today().addDays(-21).toString(Qt::ISODate))
                       .toUtf8());
    file.close();
    // A file chosen: the import page shows its first rows and the columns
    // read, and asks the order of day and month where the file leaves it open.
    const auto choose = [&window](const QString &path) {
        PageVisits::reach(window, PageVisits::Calc + MainWindow::MetersPage);
        press(&window, {QStringLiteral("push_importMeterReadings")});
        if (auto *dialog =
                window.findChild<QFileDialog *>(QStringLiteral("dialog_importMeterReadings"))) {
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        }
        auto *message = window.findChild<QLabel *>(QStringLiteral("lb_importMessage"));
        return QTest::qWaitFor(
            [message] { return !message->text().startsWith(QLatin1String("Reading")); }, 5000);
    };
    const QString open = home.filePath(QStringLiteral("open-order.csv"));
    QFile openFile(open);
    if (openFile.open(QIODevice::WriteOnly))
        openFile.write("Customer;Jane Roe\r\nMeter number;4711 0815\r\n"
                       "Datum;Zeit;Z\xC3\xA4hlerstand (kWh);Status\r\n"
                       "10/11/2022;23:45;4090,5;ok\r\n11/11/2022;23:45;4102,25;ok\r\n"
                       "12/11/2022;23:45;4113;estimated\r\n");
    openFile.close();
    ok = choose(open) && ok;
    ok = save(&window, folder, QStringLiteral("import-page-asks")) && ok;
    press(&window, {QStringLiteral("push_importBack")});
    ok = choose(readings) && ok;
    ok = save(&window, folder, QStringLiteral("import-page")) && ok;
    press(&window, {QStringLiteral("push_importGo")});
    auto *anyway = window.findChild<QWidget *>(QStringLiteral("push_importMeterReadingsAnyway"));
    ok = QTest::qWaitFor([anyway] { return anyway->isVisible(); }, 5000) && ok;
    ok = save(&window, folder, QStringLiteral("meters-import-asks")) && ok;
    window.findChild<QLineEdit *>(QStringLiteral("le_meterReading"))->setText(QStringLiteral("12"));
    press(&window, {QStringLiteral("push_saveMeterReading")});
    ok = save(&window, folder, QStringLiteral("meters-series-refused")) && ok;
    // A reading removed, with the way back beside the message.
    auto *listed = window.findChild<QListWidget *>(QStringLiteral("list_meterReadings"));
    listed->setCurrentRow(0);
    const int before = listed->count();
    press(&window, {QStringLiteral("push_removeMeterReading")});
    // The list is read again on a thread of its own.
    ok = QTest::qWaitFor([listed, before] { return listed->count() < before; }, 5000) && ok;
    ok = save(&window, folder, QStringLiteral("meters-removed-undo")) && ok;
    ok = saveCalendar(&window, folder, "date_meterReading", "calWid_meterReading",
                      QStringLiteral("meters-day-calendar")) &&
         ok;

    // Messages that pages show after a press, each at its longest: the
    // export's from the history page, failing as a file stands where its
    // folder goes (the export ends on a thread of its own), and the craft
    // video's, for an address that is not a web page.
    // An earlier page may have made the folder: it goes, and the file takes
    // its place.
    QDir(home.filePath(QStringLiteral("Documents"))).removeRecursively();
    QFile(home.filePath(QStringLiteral("Documents"))).open(QIODevice::WriteOnly);
    PageVisits::reach(window, PageVisits::Calc + MainWindow::HistoryPage);
    press(&window, {QStringLiteral("push_exportDiaries")});
    auto *exportButton = window.findChild<QAbstractButton *>(QStringLiteral("push_exportDiaries"));
    ok = QTest::qWaitFor([exportButton] { return exportButton->isEnabled(); }, 5000) && ok;
    ok = save(&window, folder, QStringLiteral("after-export")) && ok;
    // The settings' water fixtures further down the page, and a quick day
    // after saving it.
    PageVisits::reach(window, PageVisits::Calc + MainWindow::SettingsPage);
    if (auto *area = window.findChild<QScrollArea *>(QStringLiteral("scroll_settings")))
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    ok = save(&window, folder, QStringLiteral("settings-litres")) && ok;
    PageVisits::reach(window, PageVisits::Calc + MainWindow::QuickDayPage);
    press(&window, {QStringLiteral("push_saveQuickDay")});
    ok = save(&window, folder, QStringLiteral("quick-day-saved")) && ok;
    // The quick day of a day not recorded, filled in from the same weekday a
    // week before (8 days back), and then from the latest recorded day
    // before; 18 days back, that weekday a week before was not recorded either.
    const auto quickDayOf = [&](int back, const QString &name) {
        PageVisits::reach(window, PageVisits::Calc + MainWindow::EntryChoicePage);
        window.findChild<QDateEdit *>(QStringLiteral("date_recordDay"))
            ->setDate(Clock::today().addDays(-back));
        press(&window, {QStringLiteral("push_quickDay")});
        ok = save(&window, folder, name) && ok;
    };
    quickDayOf(8, QStringLiteral("quick-day-by-weekday"));
    press(&window, {QStringLiteral("push_fillFromYesterday")});
    ok = save(&window, folder, QStringLiteral("quick-day-from-day-before")) && ok;
    quickDayOf(18, QStringLiteral("quick-day-week-not-recorded"));
    QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("UPDATE DarAror SET URLVideo='video'"));
    content->setCurrentIndex(MainWindow::MainMenuPage);
    press(&window, {QStringLiteral("push_darAror"), QStringLiteral("push_MenuPaper"),
                    QStringLiteral("pusheWand_VideoURL")});
    ok = save(&window, folder, QStringLiteral("after-video")) && ok;
    return ok ? 0 : 1;
}
