// The window as a whole: what the user sees at start, the shell pages, the
// page stacks and the connection's lifetime.

#include "app/household/calculatorlogic.h"
#include "mainwindow.h"
#include "singlewindow.h"
#include "testsupport.h"
#include "tools/pagetour/pagevisits.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLockFile>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void startShowsMainMenu();
    void tapMinutesAcceptOnlyZeroTo9999_data();
    void tapMinutesAcceptOnlyZeroTo9999();
    void creditsAndBack();
    void formFontsAreInstalled();
    void noButtonShowsTheUnusedPages();
    void everyPageIsBuiltOnceAndWhole();
    void everyInputHasAName();
    void leftPagesLetTheirPicturesGo();
    void menuButtonsShowTheirPictures();
    void standardIconsDrawTheStylesPictures();
    void closingTheWindowClosesTheDatabase();
    void oneWindowPerDataFile();
    void escapeDoesWhatBackDoes();
    void tabFollowsReadingOrderAndReturnPresses();
    void heldReturnPressesOnce();
    void focusMarkOnlyAfterKeys();
    void keyboardOnlyQuizAndCalculator();
};

namespace {

// Presses Tab until the named widget has the focus (at most 40 times).
bool tabTo(QWidget *window, const char *name)
{
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() &&
            QApplication::focusWidget()->objectName() == QLatin1String(name))
            return true;
    }
    qWarning("Tab never reached %s in %s", name, qPrintable(window->objectName()));
    return false;
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

void TestWindow::startShowsMainMenu()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Viridio"));
    QCOMPARE(window.size(), QSize(800, 430));
    QCOMPARE(contentPage(&window), MainWindow::MainMenuPage);
    // Only the main menu is built; the sound toggles of the pages opened
    // from it start hidden when those pages are built.
    QVERIFY(!window.findChild<QWidget *>(QStringLiteral("push_quiz_sound")));
    QVERIFY(clickButton(&window, "push_duzEvod"));
    QVERIFY(child<QWidget>(&window, "push_quiz_sound")->isHidden());
    QVERIFY(clickButton(&window, "push_Exit"));
    QVERIFY(clickButton(&window, "push_QuickFactIcon"));
    QVERIFY(child<QWidget>(&window, "push_sound_2")->isHidden());
    QVERIFY(clickButton(&window, "push_QuickFactBack_2"));
    for (const char *name : {"push_darAror", "push_QuickFactIcon", "push_ecoEvent", "push_ecoCal",
                             "push_duzEvod", "push_credits"}) {
        auto *button = child<QPushButton>(&window, name);
        QVERIFY2(button->isVisible(), name);
        // Each menu button lies fully on the page and clear of the others.
        QVERIFY2(QRect(0, 0, 800, 430).contains(button->geometry()), name);
        for (QPushButton *other : button->parentWidget()->findChildren<QPushButton *>())
            QVERIFY2(other == button || !other->geometry().intersects(button->geometry()), name);
    }
}

void TestWindow::tapMinutesAcceptOnlyZeroTo9999_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << "0"
                       << "0";
    QTest::newRow("9999") << "9999"
                          << "9999";
    QTest::newRow("10000") << "10000"
                           << "1000";
    QTest::newRow("-1") << "-1"
                        << "1";
    QTest::newRow("letters") << "1a2"
                             << "12";
}

void TestWindow::tapMinutesAcceptOnlyZeroTo9999()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TemporaryHome home;
    MainWindow window;
    window.show();
    for (const char *button : {"push_ecoCal", "push_vozAvaviButton", "push_vozAvaviWaterIcon"})
        QVERIFY(clickButton(&window, button));
    auto *minutes = child<QLineEdit>(&window, "le_tapAmt");
    QTest::keyClicks(minutes, typed);
    QCOMPARE(minutes->text(), shown);
    QVERIFY(minutes->hasAcceptableInput());
}

void TestWindow::creditsAndBack()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(clickButton(&window, "push_credits"));
    QCOMPARE(contentPage(&window), MainWindow::CreditsPage);
    auto *credits = child<QTextBrowser>(&window, "txtBrow_Credits_2");
    QVERIFY(credits->isVisible());
    QVERIFY(credits->toPlainText().contains("Recycled tutorial courtesy of:"));
    QVERIFY(credits->toPlainText().contains("Quiz question courtesy of:"));
    QVERIFY(credits->toPlainText().contains("The Viridio team"));
    // The credits fit their box: no line is hidden below its lower edge.
    const qreal textBottom =
        credits->document()->size().height() - credits->document()->documentMargin();
    QVERIFY2(textBottom <= credits->viewport()->height(), qPrintable(QString::number(textBottom)));
    QVERIFY(clickButton(&window, "push_CreditBack"));
    QCOMPARE(contentPage(&window), 2);
}

void TestWindow::formFontsAreInstalled()
{
    // The form names Windows fonts; each must land on the Debian font chosen for it.
    TemporaryHome home;
    MainWindow window;
    const QList<QPair<QString, QString>> families = {{"MS Shell Dlg 2", "DejaVu Sans"},
                                                     {"Comic Sans MS", "Comic Neue"},
                                                     {"Arial", "Liberation Sans"}};
    for (const auto &[asked, expected] : families)
        QCOMPARE(QFontInfo(QFont(asked, 12)).family(), expected);
}

void TestWindow::noButtonShowsTheUnusedPages()
{
    TemporaryHome home;
    UrlSink sink;
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(scheme, &sink, "open");
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.250"); // nothing listens there

    MainWindow window;
    window.show();
    auto *content = child<QStackedWidget>(&window, "stackWid_content");
    QVERIFY(clickButton(&window, "push_ecoCal"));
    QVERIFY(clickButton(&window, "push_ecoCalHomeButton"));
    auto *calculator = child<QStackedWidget>(&window, "stackWid_ecoCalBody");
    QList<int> contentPages;
    QList<int> calculatorPages;
    connect(content, &QStackedWidget::currentChanged, this, [&](int i) { contentPages << i; });
    connect(calculator, &QStackedWidget::currentChanged, this,
            [&](int i) { calculatorPages << i; });

    // Press every visible button of every page a user can reach, page by page.
    for (int page = 1; page < content->count(); ++page) {
        for (int inner = 0; inner < (page == 5 ? calculator->count() : 1); ++inner) {
            if (page == 5 && (inner == 17 || inner == 27))
                continue;
            const QList<QPushButton *> buttons =
                content->widget(page)->findChildren<QPushButton *>();
            for (QPushButton *button : buttons) {
                content->setCurrentIndex(page);
                if (page == 5)
                    calculator->setCurrentIndex(inner);
                if (button->isVisible() && button->isEnabled())
                    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
            }
        }
    }
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(scheme);
    qunsetenv("VIRIDIO_EVENT_SERVER");

    // Pages set by the loop itself are fine; slots never show these.
    QVERIFY(!contentPages.contains(0));
    QVERIFY(!calculatorPages.contains(17));
    QVERIFY(!calculatorPages.contains(27));
}

void TestWindow::closingTheWindowClosesTheDatabase()
{
    TemporaryHome home;
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QVERIFY(QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
    QSignalSpy destroyed(window, &QObject::destroyed);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(destroyed.count(), 1);
    QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
}

// A second start on a data file asks the first window to come forward and
// ends; a start on another home's file runs beside it. A lock and a socket
// left by a window that crashed do not hold a start.
void TestWindow::oneWindowPerDataFile()
{
    TemporaryHome home;
    const QString path = home.databasePath();
    const pid_t crashed = fork();
    if (crashed == 0) {
        QLockFile lock(path + ".lock");
        QLocalServer server;
        _exit(lock.tryLock(0) && server.listen(SingleWindow::socketName(path)) ? 0 : 1);
    }
    int status = -1;
    QCOMPARE(waitpid(crashed, &status, 0), crashed);
    QCOMPARE(status, 0);
    QVERIFY(QFile::exists(path + ".lock"));
    QVERIFY(QFileInfo(QDir::tempPath() + '/' + SingleWindow::socketName(path)).exists());

    SingleWindow first(path);
    QVERIFY(first.claim());
    QSignalSpy raised(&first, &SingleWindow::raiseRequested);
    first.listen();
    QTRY_VERIFY(first.isListening());
    SingleWindow second(path);
    QVERIFY(!second.claim());
    QTRY_COMPARE(raised.count(), 1);
    // Through a link to the home, the file is the same one.
    QVERIFY(QFile::link(home.path(), home.path() + "-link"));
    QVERIFY(!SingleWindow(home.path() + "-link/my.db.sqlite").claim());
    QTRY_COMPARE(raised.count(), 2);
    QFile::remove(home.path() + "-link");

    TemporaryHome another;
    SingleWindow beside(another.databasePath());
    QVERIFY(beside.claim());
    QCOMPARE(raised.count(), 2);
}

// Each page is built on its first visit, with its widgets, and never again.
void TestWindow::everyPageIsBuiltOnceAndWhole()
{
    TemporaryHome home;
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.250"); // nothing listens there
    MainWindow window;
    window.show();
    QHash<QWidget *, int> widgets;
    for (int round = 0; round < 2; ++round) {
        for (const PageVisits::Visit &visit : PageVisits::visits) {
            QVERIFY2(PageVisits::reach(window, visit.to), visit.name);
            auto *stack = child<QStackedWidget>(
                &window, visit.to >= PageVisits::Calc ? "stackWid_ecoCalBody" : "stackWid_content");
            QWidget *page = stack->currentWidget();
            const int count = int(page->findChildren<QWidget *>().size());
            QVERIFY2(count > 0, visit.name);
            if (round == 0)
                widgets.insert(page, count);
            else
                QVERIFY2(widgets.value(page) == count, visit.name);
        }
    }
    qunsetenv("VIRIDIO_EVENT_SERVER");
}

// A screen reader names every input a household can reach by what it asks or
// shows, not by its value ("N.A"): through a name of its own or a label.
void TestWindow::everyInputHasAName()
{
    TemporaryHome home;
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.250"); // nothing listens there
    MainWindow window;
    window.show();
    const auto labelled = [&window](QWidget *input) {
        const QList<QLabel *> labels = window.findChildren<QLabel *>();
        return !input->accessibleName().isEmpty() ||
               std::any_of(labels.begin(), labels.end(),
                           [input](QLabel *label) { return label->buddy() == input; });
    };
    int inputs = 0;
    for (const PageVisits::Visit &visit : PageVisits::visits) {
        QVERIFY2(PageVisits::reach(window, visit.to), visit.name);
        auto *stack = child<QStackedWidget>(
            &window, visit.to >= PageVisits::Calc ? "stackWid_ecoCalBody" : "stackWid_content");
        for (QWidget *input : stack->currentWidget()->findChildren<QWidget *>()) {
            // An input's own parts (a combo box's list, a spin box's line
            // edit, a calendar's table) go by the input's name.
            QWidget *whole = input->parentWidget();
            while (whole && !qobject_cast<QComboBox *>(whole) &&
                   !qobject_cast<QAbstractSpinBox *>(whole) &&
                   !qobject_cast<QCalendarWidget *>(whole))
                whole = whole->parentWidget();
            if (whole ||
                !(qobject_cast<QComboBox *>(input) || qobject_cast<QLineEdit *>(input) ||
                  qobject_cast<QAbstractSpinBox *>(input) ||
                  qobject_cast<QAbstractItemView *>(input) || qobject_cast<QTextEdit *>(input) ||
                  qobject_cast<QCalendarWidget *>(input)))
                continue;
            ++inputs;
            QVERIFY2(labelled(input), qPrintable(input->objectName()));
        }
    }
    QVERIFY(inputs > 30);
    qunsetenv("VIRIDIO_EVENT_SERVER");
}

// A page that is left holds none of its pictures; visited again, it shows the
// same ones, those its form names and those its slots set.
void TestWindow::leftPagesLetTheirPicturesGo()
{
    TemporaryHome home;
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.250"); // nothing listens there
    MainWindow window;
    window.show();
    const auto picture = [&window](const char *name) {
        return child<QLabel>(&window, name)->pixmap().toImage();
    };
    const struct
    {
        int page;
        const char *label;
    } shown[] = {{MainWindow::MainMenuPage, "lb_mainMenuBackground"},
                 {MainWindow::EventsPage, "label_7"},
                 {MainWindow::QuickFactsPage, "label_11"},
                 {MainWindow::CraftMenuPage, "lb_craftMenuBackground"},
                 {PageVisits::Calc + MainWindow::IntroPage, "lb_ecoCalBackground"},
                 {PageVisits::Calc + MainWindow::KitchenPage, "label_17"}};
    for (const auto &[page, label] : shown) {
        QVERIFY2(PageVisits::reach(window, page), label);
        const QImage first = picture(label);
        QVERIFY2(!first.isNull(), label);
        QVERIFY(PageVisits::reach(window, MainWindow::CreditsPage));
        QVERIFY2(picture(label).isNull(), label);
        QVERIFY2(PageVisits::reach(window, page), label);
        QVERIFY2(picture(label) == first, label);
    }
    qunsetenv("VIRIDIO_EVENT_SERVER");
}

// The main menu's buttons are their pictures, drawn while the menu is shown.
void TestWindow::menuButtonsShowTheirPictures()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    const char *const names[] = {"push_darAror", "push_QuickFactIcon", "push_ecoEvent",
                                 "push_ecoCal",  "push_duzEvod",       "push_credits"};
    for (int visit = 0; visit < 2; ++visit) {
        for (const char *name : names) {
            auto *button = child<QPushButton>(&window, name);
            const QImage picture(button->property("picture").toString());
            QVERIFY2(!picture.isNull(), name);
            const QImage drawn = button->grab().toImage().convertToFormat(picture.format());
            QCOMPARE(drawn.size(), picture.size());
            int opaque = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if (qAlpha(picture.pixel(x, y)) == 255 && ++opaque)
                        QVERIFY2(drawn.pixel(x, y) == picture.pixel(x, y), name);
            QVERIFY2(opaque > picture.width() * picture.height() / 2, name);
        }
        // Left, the menu lets its buttons' pictures go; they come back with it.
        QVERIFY(clickButton(&window, "push_credits"));
        for (const char *name : names)
            QVERIFY2(!child<QPushButton>(&window, name)->property("pictureHeld").isValid(), name);
        QVERIFY(PageVisits::reach(window, MainWindow::MainMenuPage));
    }
}

// The window's style makes its standard icons when they are drawn; they are
// the pictures its own style draws, at every size asked.
void TestWindow::standardIconsDrawTheStylesPictures()
{
    TemporaryHome home;
    MainWindow window;
    auto *proxy = qobject_cast<QProxyStyle *>(QApplication::style());
    QVERIFY(proxy);
    const std::unique_ptr<QStyle> own(QStyleFactory::create(proxy->baseStyle()->name()));
    QVERIFY(own);
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ArrowLeft, QStyle::SP_ArrowRight, QStyle::SP_MessageBoxWarning}) {
        const QIcon icon = QApplication::style()->standardIcon(which);
        QVERIFY(!icon.isNull());
        for (const int size : {16, 32})
            QCOMPARE(icon.pixmap(size).toImage(), own->standardIcon(which).pixmap(size).toImage());
    }
}

void TestWindow::escapeDoesWhatBackDoes()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    press(Qt::Key_Escape); // the main menu has nowhere to go back to
    QCOMPARE(contentPage(&window), MainWindow::MainMenuPage);
    const QList<QPair<const char *, int>> pages = {{"push_credits", MainWindow::CreditsPage},
                                                   {"push_darAror", MainWindow::CraftMenuPage},
                                                   {"push_duzEvod", MainWindow::QuizMenuPage}};
    for (const auto &[button, page] : pages) {
        QVERIFY(clickButton(&window, button));
        QCOMPARE(contentPage(&window), page);
        press(Qt::Key_Escape);
        QCOMPARE(contentPage(&window), MainWindow::MainMenuPage);
    }
    // Inside the calculator, Esc leaves the settings page for where it came from.
    for (const char *button : {"push_ecoCal", "push_vozAvaviButton", "push_settings"})
        QVERIFY(clickButton(&window, button));
    QCOMPARE(calculatorPage(&window), MainWindow::SettingsPage);
    press(Qt::Key_Escape);
    QCOMPARE(calculatorPage(&window), MainWindow::EntryChoicePage);
    press(Qt::Key_Escape);
    QCOMPARE(contentPage(&window), MainWindow::MainMenuPage);
    // The history's own pages go back to it, and it to the diary choice, as
    // their Back buttons do.
    for (const char *button :
         {"push_ecoCal", "push_zadUvedoButton", "push_diaryHistory", "push_historyMeters"})
        QVERIFY(clickButton(&window, button));
    QCOMPARE(calculatorPage(&window), MainWindow::MeterHistoryPage);
    press(Qt::Key_Escape);
    QCOMPARE(calculatorPage(&window), MainWindow::HistoryPage);
    press(Qt::Key_Escape);
    QCOMPARE(contentPage(&window), MainWindow::CalculatorPage);
    QCOMPARE(calculatorPage(&window), MainWindow::DiaryChoicePage);
}

void TestWindow::tabFollowsReadingOrderAndReturnPresses()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The menu's buttons, row by row, each row left to right.
    QWidget *last = nullptr;
    for (const char *name : {"push_QuickFactIcon", "push_ecoEvent", "push_darAror", "push_ecoCal",
                             "push_duzEvod", "push_credits"}) {
        press(Qt::Key_Tab);
        last = child<QWidget>(&window, name);
        QCOMPARE(QApplication::focusWidget(), last);
    }
    // The focused control is framed; a touch takes the frame away.
    auto *frame = child<QWidget>(&window, "keyboardFocusFrame");
    QVERIFY(frame->isVisible());
    QVERIFY(frame->geometry().contains(last->geometry()));
    press(Qt::Key_Return); // on the last button, Credits
    QCOMPARE(contentPage(&window), MainWindow::CreditsPage);
    QVERIFY(clickButton(&window, "push_CreditBack"));
    QVERIFY(!frame->isVisible());
}

// A held key sends one press, then repeats until it is let go: the button is
// pressed once, as a held finger presses it once.
void TestWindow::heldReturnPressesOnce()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(clickButton(&window, "push_QuickFactIcon"));
    const QString fact = child<QLabel>(&window, "lb_quickFactsTitle")->text();
    QVERIFY(tabTo(&window, "push_nextQuickFact"));
    QSignalSpy pressed(child<QPushButton>(&window, "push_nextQuickFact"),
                       &QAbstractButton::clicked);
    for (int repeat = 0; repeat < 6; ++repeat) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), repeat > 0);
        QApplication::sendEvent(QApplication::focusWidget(), &key);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
    QCOMPARE(pressed.count(), 1);
    QVERIFY(child<QLabel>(&window, "lb_quickFactsTitle")->text() != fact);
}

// A button with the focus shows it after a key only, as the ring around it:
// the button itself looks as it did (no light square over its picture, be it
// a picture button or one of a style sheet), and a touch takes the ring away.
void TestWindow::focusMarkOnlyAfterKeys()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *ring = child<QWidget>(&window, "keyboardFocusFrame");
    for (const auto &[open, name] :
         {std::pair{"", "push_QuickFactIcon"}, {"push_ecoCal", "push_ecoCalHomeButton"}}) {
        if (*open)
            QVERIFY(clickButton(&window, open));
        auto *button = child<QPushButton>(&window, name);
        const QImage plain = button->grab().toImage();
        QVERIFY(tabTo(&window, name));
        QVERIFY(ring->isVisible());
        QVERIFY(ring->geometry().contains(button->geometry()));
        QCOMPARE(button->grab().toImage(), plain);
        QTest::mouseClick(window.centralWidget(), Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(QApplication::focusWidget(), button);
        QVERIFY(!ring->isVisible());
    }
}

void TestWindow::keyboardOnlyQuizAndCalculator()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(tabTo(&window, "push_duzEvod"));
    press(Qt::Key_Return);
    QCOMPARE(contentPage(&window), MainWindow::QuizMenuPage);
    QVERIFY(tabTo(&window, "push_Start"));
    press(Qt::Key_Space);
    QCOMPARE(contentPage(&window), MainWindow::QuizQuestionPage);
    QVERIFY(tabTo(&window, "push_QuizChoice2"));
    press(Qt::Key_Space);
    QVERIFY(!child<QWidget>(&window, "push_QuizChoice2")->isEnabled()); // answered
    // Keys during the feedback do not leave the round; the next question
    // takes them at its first answer.
    for (int twice = 0; twice < 2; ++twice) {
        press(Qt::Key_Return);
        QCOMPARE(contentPage(&window), MainWindow::QuizQuestionPage);
    }
    QTRY_VERIFY_WITH_TIMEOUT(child<QWidget>(&window, "push_QuizChoice1")->hasFocus(), 4000);
    press(Qt::Key_Escape);
    QCOMPARE(contentPage(&window), MainWindow::QuizMenuPage);
    press(Qt::Key_Escape);

    // An hour count chosen with the arrow keys is stored for today.
    for (const char *button : {"push_ecoCal", "push_vozAvaviButton", "push_vozAvaviElectricityIcon",
                               "push_bedroom", "push_airCon"}) {
        QVERIFY(tabTo(&window, button));
        press(Qt::Key_Return);
    }
    QCOMPARE(calculatorPage(&window), MainWindow::AirConPage);
    QVERIFY(tabTo(&window, "comboBox_airCon"));
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    const double hours =
        CalculatorLogic::hoursOfChoice(child<QComboBox>(&window, "comboBox_airCon")->currentText());
    QVERIFY(hours > 0);
    QVERIFY(tabTo(&window, "push_airConOK"));
    press(Qt::Key_Enter);
    QCOMPARE(calculatorPage(&window), MainWindow::LaptopPage);
    QCOMPARE(queryValue("SELECT valOfAirCon FROM Diary").toDouble(), hours * 0.2287);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
