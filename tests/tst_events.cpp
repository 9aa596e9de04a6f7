// The events page: listing by month, the entry procedure, the details of one
// event and the calendar, checked on screen against what the database holds;
// and "Add to my calendar", whose file libical reads back as a calendar
// program would.

#include "clock.h"
#include "events/calendarfile.h"
#include "events/eventslogic.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "tools/eventserver/icsfile.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextCharFormat>

#include <libical/ical.h>

#include <memory>

namespace {

void addEvent(const QString &name, const QString &start, const QString &end = QString())
{
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.prepare(QStringLiteral("insert into Events values(NULL,?,?,?,?,?,?)")));
    for (const QString &value :
         {name, QStringLiteral("Venue of ") + name, QStringLiteral("All about ") + name,
          QStringLiteral("Free for all"), start, end.isEmpty() ? start : end})
        query.addBindValue(value);
    QVERIFY(query.exec());
}

// The events listed: the line of an empty month, which cannot be chosen, is
// no event.
QStringList listed(QWidget *window)
{
    QStringList names;
    auto *list = child<QListWidget>(window, "listWid_upcoming");
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->flags() != Qt::NoItemFlags)
            names.append(list->item(row)->text());
    }
    return names;
}

bool marked(QWidget *window, const QDate &day)
{
    return child<QCalendarWidget>(window, "calWid_events")->dateTextFormat(day).fontWeight() ==
           QFont::Bold;
}

QStringList inMonth(QWidget *window, int month)
{
    child<QComboBox>(window, "combo_Month")->setCurrentIndex(month);
    return listed(window);
}

bool detailsVisible(QWidget *window)
{
    const char *names[] = {"lb_eventDuration", "lb_eventTitle", "lb_description", "lb_fee",
                           "lb_venue"};
    int visible = 0;
    for (const char *name : names)
        visible += child<QLabel>(window, name)->isVisible() ? 1 : 0;
    if (visible != 0 && visible != 5)
        qWarning("only %d of the five details labels are visible", visible);
    return visible == 5;
}

QString text(QWidget *window, const char *label)
{
    return child<QLabel>(window, label)->text();
}

enum Touch
{
    Single,
    Double,
    DoubleSignalOnly
};

// Touches the list item showing name: once, twice, or only the list's
// double-click signal (so that slot alone fills the details).
bool touch(QWidget *window, const QString &name, Touch how = Single)
{
    auto *list = child<QListWidget>(window, "listWid_upcoming");
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem *item = list->item(row);
        if (item->text() != name)
            continue;
        const QPoint centre = list->visualItemRect(item).center();
        if (how == DoubleSignalOnly) {
            emit list->itemDoubleClicked(item);
            return true;
        }
        // A double touch arrives as a touch and then a double-click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        if (how == Double)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        return true;
    }
    return false;
}

// Opens the events page, touches name and adds it to the calendar.
bool addToCalendar(QWidget *window, const QString &name)
{
    return clickButton(window, "push_ecoEvent") && touch(window, name) &&
           clickButton(window, "push_addToCalendar");
}

// Puts an item into the list by hand, as if a month had listed it.
void offer(QWidget *window, const QString &name)
{
    child<QListWidget>(window, "listWid_upcoming")->insertItem(0, name);
}

} // namespace

class TestEvents : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setToday(QDate()); }

    void listsEventsByMonthOfThisYear();
    void laterRowsOnTop();
    void longMonthListedInParts();
    void selectMonthEmptiesListAndHidesDetails();
    void entryWithCurrentMonthShown();
    void withoutDatabaseListsNothing();
    void entryRestoresPictures();
    void emptyMonthSaysSoAndOffersNoDetails();
    void calendarMarksEventDays();
    void listingFollowsStoredEventsAndTheDay();

    void detailsOfTouchedEvent_data();
    void detailsOfTouchedEvent();
    void exactNameBeatsPrefix();
    void caseInsensitivePrefixFallback();
    void unknownNameShowsNothing();
    void unparsableDateLeavesCalendar();
    void receivedEventShowsItsDays();
    void dateHelpers();
    void markupShowsAsItsCharacters();

    void calendarFileReadByLibical();
    void calendarFileBytesAndNames();
    void addToCalendarThroughWindow();
    void addToCalendarTakesNinthNameAtMost();
    void blankFieldsWriteServableCalendar();
};

void TestEvents::listsEventsByMonthOfThisYear()
{
    Clock::setToday(QDate(2026, 6, 15));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("October Walk"), QStringLiteral("10@5@2026"));
    addEvent(QStringLiteral("January Swim"), QStringLiteral("1@5@2026"));
    addEvent(QStringLiteral("Last Year's June"), QStringLiteral("6@20@2025"));
    addEvent(QStringLiteral("Next Year's June"), QStringLiteral("6@20@2027"));
    addEvent(QStringLiteral("Early June"), QStringLiteral("6@1@2026"));
    addEvent(QStringLiteral("Badly Dated"), QStringLiteral("6/2/2026"));

    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(contentPage(&window), 4);
    QCOMPARE(child<QComboBox>(&window, "combo_Month")->currentIndex(), 6);
    QCOMPARE(listed(&window), QStringList{QStringLiteral("Early June")});
    QVERIFY(!detailsVisible(&window));

    QCOMPARE(inMonth(&window, 10), QStringList{QStringLiteral("October Walk")});
    QCOMPARE(inMonth(&window, 1), QStringList{QStringLiteral("January Swim")});
    QCOMPARE(inMonth(&window, 6), QStringList{QStringLiteral("Early June")});
    QCOMPARE(inMonth(&window, 3), QStringList{}); // the seed events are of 2010
    // The calendar follows the chosen month and offers today to 31 December.
    auto *calendar = child<QCalendarWidget>(&window, "calWid_events");
    QCOMPARE(calendar->monthShown(), 3);
    QCOMPARE(calendar->yearShown(), 2026);
    QCOMPARE(calendar->minimumDate(), QDate(2026, 6, 15));
    QCOMPARE(calendar->maximumDate(), QDate(2026, 12, 31));
}

void TestEvents::laterRowsOnTop()
{
    Clock::setToday(QDate(2026, 9, 1));
    TemporaryHome home;
    MainWindow window;
    addEvent(QStringLiteral("First Stored"), QStringLiteral("9@20@2026"));
    addEvent(QStringLiteral("Second Stored"), QStringLiteral("9@2@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(listed(&window),
             (QStringList{QStringLiteral("Second Stored"), QStringLiteral("First Stored")}));
}

// A month of hundreds of events shows its latest at once and the rest over the
// next turns of the event loop: every one, once, in order, and none of a month
// chosen before.
void TestEvents::longMonthListedInParts()
{
    Clock::setToday(QDate(2026, 6, 15));
    TemporaryHome home;
    MainWindow window;
    QSqlDatabase::database().transaction();
    QStringList latestFirst;
    for (int i = 0; i < 450; ++i) {
        const QString name = QStringLiteral("June %1").arg(i);
        // Every tenth is of last June, and so not listed.
        addEvent(name, i % 10 ? QStringLiteral("6@1@2026") : QStringLiteral("6@1@2025"));
        if (i % 10)
            latestFirst.prepend(name);
    }
    addEvent(QStringLiteral("July Walk"), QStringLiteral("7@4@2026"));
    QSqlDatabase::database().commit();

    QVERIFY(clickButton(&window, "push_ecoEvent"));
    auto *list = child<QListWidget>(&window, "listWid_upcoming");
    QVERIFY(list->count() > 0 && list->count() < latestFirst.size());
    QCOMPARE(list->item(0)->text(), latestFirst.first());
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), latestFirst.size(), 5000);
    QCOMPARE(listed(&window), latestFirst);

    // June is listed anew, then July chosen before June's listing ends.
    QCOMPARE(inMonth(&window, 5), QStringList{});
    QVERIFY(inMonth(&window, 6).size() < latestFirst.size());
    QCOMPARE(inMonth(&window, 7), QStringList{QStringLiteral("July Walk")});
    QTest::qWait(200);
    QCOMPARE(listed(&window), QStringList{QStringLiteral("July Walk")});
}

void TestEvents::selectMonthEmptiesListAndHidesDetails()
{
    Clock::setToday(QDate(2026, 9, 1));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Cleanup"), QStringLiteral("9@19@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, QStringLiteral("Cleanup")));
    QVERIFY(detailsVisible(&window));
    QCOMPARE(inMonth(&window, 0), QStringList{});
    QVERIFY(!detailsVisible(&window));
}

// Coming back while the chooser already shows this month lists it once, from
// the upcoming list, and leaves the details hidden.
void TestEvents::entryWithCurrentMonthShown()
{
    Clock::setToday(QDate(2026, 9, 1));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Cleanup"), QStringLiteral("9@19@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, QStringLiteral("Cleanup")));
    QVERIFY(clickButton(&window, "push_eventsHome"));
    QCOMPARE(contentPage(&window), 2);
    addEvent(QStringLiteral("Ozone Day"), QStringLiteral("9@16@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(listed(&window),
             (QStringList{QStringLiteral("Ozone Day"), QStringLiteral("Cleanup")}));
    QVERIFY(!detailsVisible(&window));
    auto *calendar = child<QCalendarWidget>(&window, "calWid_events");
    QCOMPARE(calendar->minimumDate(), QDate(2026, 9, 1));
    QCOMPARE(calendar->maximumDate(), QDate(2026, 12, 31));
}

void TestEvents::withoutDatabaseListsNothing()
{
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    home.spoilDatabase(); // the window leaves its connection closed
    MainWindow window;
    window.show();
    QVERIFY(
        !QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).isOpen());
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(contentPage(&window), 4);
    for (int month = 0; month <= 12; ++month)
        QCOMPARE(inMonth(&window, month), QStringList{});
    offer(&window, QStringLiteral("Malaysia PowerGen"));
    QVERIFY(touch(&window, QStringLiteral("Malaysia PowerGen")));
    QVERIFY(!detailsVisible(&window));
}

void TestEvents::entryRestoresPictures()
{
    if (!QFile::exists(QStringLiteral(":/new/prefix1/images/book.png")) ||
        !QFile::exists(QStringLiteral(":/new/prefix1/images/calendar.png")))
        QSKIP("the picture bundle has no book.png or calendar.png yet");
    TemporaryHome home;
    MainWindow window;
    for (int visit = 0; visit < 2; ++visit) {
        QVERIFY(clickButton(&window, "push_ecoEvent"));
        QVERIFY(!child<QLabel>(&window, "label_7")->pixmap().isNull());
        QVERIFY(!child<QLabel>(&window, "label_16")->pixmap().isNull());
        QVERIFY(clickButton(&window, "push_eventsHome"));
        QVERIFY(child<QLabel>(&window, "label_7")->pixmap().isNull());
    }
}

void TestEvents::emptyMonthSaysSoAndOffersNoDetails()
{
    Clock::setToday(QDate(2026, 6, 15));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Cleanup"), QStringLiteral("7@4@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    auto *list = child<QListWidget>(&window, "listWid_upcoming");
    QCOMPARE(list->count(), 1);
    const QString line = list->item(0)->text();
    QVERIFY(line.startsWith(QStringLiteral("No events this month.")));
    QVERIFY(line.contains(QStringLiteral("cloud button")));
    QVERIFY(list->item(0)->font().italic());
    // Touched once, twice or by its signal alone, the line shows no details.
    for (int how : {Single, Double, DoubleSignalOnly}) {
        QVERIFY(touch(&window, line, Touch(how)));
        QVERIFY(!detailsVisible(&window));
    }
    emit list->itemClicked(list->item(0));
    QVERIFY(!detailsVisible(&window));
    QVERIFY(list->selectedItems().isEmpty());
    // A month with an event lists it alone; "Select Month" lists nothing.
    QCOMPARE(inMonth(&window, 7), QStringList{QStringLiteral("Cleanup")});
    QCOMPARE(list->count(), 1);
    child<QComboBox>(&window, "combo_Month")->setCurrentIndex(0);
    QCOMPARE(list->count(), 0);
}

void TestEvents::calendarMarksEventDays()
{
    Clock::setToday(QDate(2026, 6, 15));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Beach Days"), QStringLiteral("6@20@2026"),
             QStringLiteral("6@21@2026"));
    addEvent(QStringLiteral("New Year Walk"), QStringLiteral("12@31@2025"),
             QStringLiteral("1@1@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(marked(&window, QDate(2026, 6, 20)));
    QVERIFY(marked(&window, QDate(2026, 6, 21)));
    QVERIFY(marked(&window, QDate(2026, 1, 1)));
    QVERIFY(!marked(&window, QDate(2026, 6, 22)));
    QVERIFY(!marked(&window, QDate(2026, 6, 19)));
    // An event stored later is marked on the next visit.
    QVERIFY(!marked(&window, QDate(2026, 9, 3)));
    addEvent(QStringLiteral("Late Fair"), QStringLiteral("9@3@2026"));
    QVERIFY(clickButton(&window, "push_eventsHome"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(marked(&window, QDate(2026, 9, 3)));
    QSqlDatabase db = QSqlDatabase::database();
    const QList<QDate> days = EventsLogic::eventDaysOfYear(db, 2026);
    QCOMPARE(days.size(), 4);
    QCOMPARE(days.first(), QDate(2026, 1, 1));
    // Names beyond ASCII come back as stored.
    const QString fair = QStringLiteral("Caf\u00e9 F\u00eate \u00e0 V\u00e9lo \U0001F331");
    addEvent(fair, QStringLiteral("10@2@2026"));
    QCOMPARE(EventsLogic::eventsOfMonth(db, 2026, 10, 1000, 10).names, QStringList{fair});
}

void TestEvents::listingFollowsStoredEventsAndTheDay()
{
    Clock::setToday(QDate(2026, 9, 1));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Cleanup"), QStringLiteral("9@19@2026"));
    addEvent(QStringLiteral("Cleanup 2027"), QStringLiteral("9@19@2027"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(listed(&window), QStringList{QStringLiteral("Cleanup")});
    {
        // Another program stores an event while the page is open.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(QSqlDatabase::database().databaseName());
        QVERIFY(other.open());
        QSqlQuery insert(other);
        QVERIFY(insert.exec(QStringLiteral("insert into Events values(NULL, 'Ozone Day', 'Park', "
                                           "'Talks', 'Free', '9@16@2026', '9@16@2026')")));
    }
    QSqlDatabase::removeDatabase("other");
    QCOMPARE(inMonth(&window, 10), QStringList{});
    QCOMPARE(inMonth(&window, 9),
             (QStringList{QStringLiteral("Ozone Day"), QStringLiteral("Cleanup")}));
    QVERIFY(marked(&window, QDate(2026, 9, 16)));

    // A year later the same visit lists that year's events.
    QVERIFY(clickButton(&window, "push_eventsHome"));
    Clock::setToday(QDate(2027, 9, 1));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QCOMPARE(listed(&window), QStringList{QStringLiteral("Cleanup 2027")});
    QVERIFY(marked(&window, QDate(2027, 9, 19)));
}

void TestEvents::detailsOfTouchedEvent_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("single touch") << int(Single);
    QTest::newRow("double touch") << int(Double);
    QTest::newRow("double-click alone") << int(DoubleSignalOnly);
}

void TestEvents::detailsOfTouchedEvent()
{
    QFETCH(int, how);
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Earth Walk"), QStringLiteral("3@30@2010"), QStringLiteral("4@1@2010"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(listed(&window).contains(QStringLiteral("Earth Walk")));
    QVERIFY(touch(&window, QStringLiteral("Earth Walk"), Touch(how)));

    QVERIFY(detailsVisible(&window));
    QCOMPARE(text(&window, "lb_eventTitle"), QStringLiteral("Earth Walk"));
    QCOMPARE(text(&window, "lb_venue"), QStringLiteral("Venue : Venue of Earth Walk"));
    QCOMPARE(text(&window, "lb_fee"), QStringLiteral("Admission Fee : Free for all"));
    QCOMPARE(text(&window, "lb_description"), QStringLiteral("All about Earth Walk"));
    QCOMPARE(text(&window, "lb_eventDuration"),
             QStringLiteral("From Tue Mar 30 2010 to Thu Apr 1 2010"));
    auto *calendar = child<QCalendarWidget>(&window, "calWid_events");
    QCOMPARE(calendar->minimumDate(), QDate(2010, 3, 30));
    QCOMPARE(calendar->maximumDate(), QDate(2010, 4, 1));
    QCOMPARE(calendar->selectedDate(), QDate(2010, 3, 30));
    QCOMPARE(calendar->monthShown(), 3);
    // The list is the month's, untouched by showing the details.
    QCOMPARE(child<QComboBox>(&window, "combo_Month")->currentIndex(), 3);
    QVERIFY(listed(&window).contains(QStringLiteral("Earth Walk")));
}

void TestEvents::exactNameBeatsPrefix()
{
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Earth Walkathon"), QStringLiteral("3@22@2010"));
    addEvent(QStringLiteral("Earth Walk"), QStringLiteral("3@30@2010"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, QStringLiteral("Earth Walk")));
    QCOMPARE(text(&window, "lb_eventTitle"), QStringLiteral("Earth Walk"));
    QCOMPARE(text(&window, "lb_eventDuration"), QStringLiteral("On Tue Mar 30 2010"));
    QVERIFY(touch(&window, QStringLiteral("Earth Walkathon")));
    QCOMPARE(text(&window, "lb_eventTitle"), QStringLiteral("Earth Walkathon"));
}

void TestEvents::caseInsensitivePrefixFallback()
{
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Earth Walk"), QStringLiteral("3@30@2010"));
    addEvent(QStringLiteral("O'Neill's Run"), QStringLiteral("3@25@2010"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    offer(&window, QStringLiteral("earth walk"));
    QVERIFY(touch(&window, QStringLiteral("earth walk")));
    QCOMPARE(text(&window, "lb_eventTitle"), QStringLiteral("Earth Walk"));
    QVERIFY(detailsVisible(&window));
    // A quote in a name is just a character.
    QVERIFY(touch(&window, QStringLiteral("O'Neill's Run")));
    QCOMPARE(text(&window, "lb_eventTitle"), QStringLiteral("O'Neill's Run"));
}

void TestEvents::unknownNameShowsNothing()
{
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, QStringLiteral("Malaysia PowerGen")));
    QVERIFY(detailsVisible(&window));
    offer(&window, QStringLiteral("No Such Event"));
    QVERIFY(touch(&window, QStringLiteral("No Such Event")));
    QVERIFY(!detailsVisible(&window));
}

void TestEvents::unparsableDateLeavesCalendar()
{
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Muddled Day"), QStringLiteral("2010-03-25"),
             QStringLiteral("3@26@2010"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    auto *calendar = child<QCalendarWidget>(&window, "calWid_events");
    const QDate minimum = calendar->minimumDate();
    const QDate maximum = calendar->maximumDate();
    const QDate selected = calendar->selectedDate();
    offer(&window, QStringLiteral("Muddled Day"));
    QVERIFY(touch(&window, QStringLiteral("Muddled Day")));
    QVERIFY(detailsVisible(&window));
    QCOMPARE(text(&window, "lb_eventDuration"), QStringLiteral("From  to Fri Mar 26 2010"));
    QCOMPARE(calendar->minimumDate(), minimum);
    QCOMPARE(calendar->maximumDate(), maximum);
    QCOMPARE(calendar->selectedDate(), selected);
}

// An event stored the way an update stores it reads its own first and last
// day, in that order.
void TestEvents::receivedEventShowsItsDays()
{
    Clock::setToday(QDate(2026, 12, 1));
    TemporaryHome home;
    MainWindow window;
    window.show();
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(EventsLogic::storeEvents(
        db,
        {{QStringLiteral("Winter Swap"), QStringLiteral("Town hall"), QStringLiteral("Swap."),
          QStringLiteral("Free"), QStringLiteral("12@11@2026"), QStringLiteral("12@13@2026")},
         {QStringLiteral("Solstice Walk"), QStringLiteral("Park"), QStringLiteral("Walk."),
          QStringLiteral("Free"), QStringLiteral("12@21@2026"), QStringLiteral("12@21@2026")}}));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, QStringLiteral("Winter Swap")));
    QCOMPARE(text(&window, "lb_eventDuration"),
             QStringLiteral("From Fri Dec 11 2026 to Sun Dec 13 2026"));
    QVERIFY(touch(&window, QStringLiteral("Solstice Walk")));
    QCOMPARE(text(&window, "lb_eventDuration"), QStringLiteral("On Mon Dec 21 2026"));
}

void TestEvents::dateHelpers()
{
    QCOMPARE(EventsLogic::parseEventDate(QStringLiteral("3@15@2010")), QDate(2010, 3, 15));
    QCOMPARE(EventsLogic::parseEventDate(QStringLiteral("12@31@2026")), QDate(2026, 12, 31));
    QVERIFY(!EventsLogic::parseEventDate(QStringLiteral("2@30@2026")).isValid());
    QVERIFY(!EventsLogic::parseEventDate(QStringLiteral("15/3/2010")).isValid());
    QVERIFY(!EventsLogic::parseEventDate(QString()).isValid());
    QCOMPARE(EventsLogic::lastDayOfYear(2026), QDate(2026, 12, 31));
}

void TestEvents::markupShowsAsItsCharacters()
{
    // A peer's text is never read as markup: a tag shows as the characters it is.
    Clock::setToday(QDate(2010, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    const QString name = QStringLiteral("<b>Bold</b> walk");
    addEvent(name, QStringLiteral("3@30@2010"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(touch(&window, name, Single));
    for (const char *label : {"lb_eventTitle", "lb_venue", "lb_fee", "lb_description"})
        QCOMPARE(child<QLabel>(&window, label)->textFormat(), Qt::PlainText);
    QCOMPARE(text(&window, "lb_eventTitle"), name);
}

void TestEvents::calendarFileReadByLibical()
{
    // Text that must be escaped and, being long and not ASCII, folded
    // between whole characters.
    const EventFormat::Record event = {
        QStringLiteral("Repair Café, swap; mend \\ reuse – Ærøskøbing ♻ 2026"),
        QStringLiteral("Hall 2, Market St; back door"),
        QStringLiteral("Bring: lamps, toasters; clothes.\nAsk at the desk \\ café.\r\n") +
            QString(40, QChar(0x00E9)) + QString(30, QChar(0x267B)),
        QStringLiteral("Free, or €2"),
        QStringLiteral("3@30@2026"),
        QStringLiteral("4@1@2026")};
    const QDateTime stamp(QDate(2026, 12, 7), QTime(21, 50, 5), Qt::UTC);
    const QByteArray text = CalendarFile::calendarText(event, stamp);
    QVERIFY(text.endsWith("END:VCALENDAR\r\n"));
    const QList<QByteArray> lines = text.chopped(1).split('\n');
    int folded = 0;
    for (const QByteArray &line : lines) {
        QVERIFY2(line.endsWith('\r') && !line.chopped(1).contains('\r'), line.constData());
        QVERIFY2(line.size() - 1 <= 75, line.constData());
        // Each line is whole UTF-8 by itself: no character is cut in two.
        QCOMPARE(QString::fromUtf8(line).toUtf8(), line);
        folded += line.startsWith(' ') ? 1 : 0;
    }
    QVERIFY(folded >= 3);

    struct Free
    {
        void operator()(icalcomponent *c) const { icalcomponent_free(c); }
    };
    const std::unique_ptr<icalcomponent, Free> calendar(icalparser_parse_string(text.constData()));
    QVERIFY(calendar);
    icalcomponent *vevent =
        icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    QVERIFY(vevent);
    QVERIFY(!icalcomponent_get_first_property(vevent, ICAL_XLICERROR_PROPERTY));
    QCOMPARE(QString::fromUtf8(icalcomponent_get_summary(vevent)), event.name);
    QCOMPARE(QString::fromUtf8(icalcomponent_get_location(vevent)), event.venue);
    QString description = event.description;
    QCOMPARE(QString::fromUtf8(icalcomponent_get_description(vevent)),
             description.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    icalproperty *fee = icalcomponent_get_first_property(vevent, ICAL_X_PROPERTY);
    QVERIFY(fee);
    QCOMPARE(QByteArray(icalproperty_get_x_name(fee)), CalendarFile::feeProperty());
    QCOMPARE(QString::fromUtf8(icalproperty_get_x(fee)), event.admissionFee);
    // All day, from the first day to the day after the last.
    const icaltimetype start = icalcomponent_get_dtstart(vevent);
    const icaltimetype end = icalcomponent_get_dtend(vevent);
    QVERIFY(icaltime_is_date(start) && icaltime_is_date(end));
    QCOMPARE(QDate(start.year, start.month, start.day), QDate(2026, 3, 30));
    QCOMPARE(QDate(end.year, end.month, end.day), QDate(2026, 4, 2));
    QCOMPARE(QByteArray(icaltime_as_ical_string(icalcomponent_get_dtstamp(vevent))),
             QByteArray("20261207T215005Z"));
    // The same event on another day has the same UID; another event another.
    const QString uid = QString::fromUtf8(icalcomponent_get_uid(vevent));
    QVERIFY(uid.endsWith(QStringLiteral("@viridio")));
    QCOMPARE(CalendarFile::eventUid(event), uid);
    EventFormat::Record later = event;
    later.endDate = QStringLiteral("4@2@2026");
    QVERIFY(CalendarFile::eventUid(later) != uid);
    QVERIFY(CalendarFile::calendarText(event, stamp.addDays(3)).contains(uid.toUtf8()));
}

// The written bytes themselves (libical reads an unescaped comma back as
// well), and file names that never make two events share a file.
void TestEvents::calendarFileBytesAndNames()
{
    const QDateTime stamp(QDate(2026, 12, 7), QTime(21, 50, 5), Qt::UTC);
    const EventFormat::Record litter = {QStringLiteral("Litter pick, river bank"),
                                        {},
                                        {},
                                        {},
                                        QStringLiteral("3@30@2026"),
                                        QStringLiteral("3@28@2026")};
    const QByteArray text = CalendarFile::calendarText(litter, stamp);
    QVERIFY2(text.contains("\r\nSUMMARY:Litter pick\\, river bank\r\n"), text.constData());
    // An end before the start is the start's day: the end is never earlier.
    QVERIFY2(text.contains("\r\nDTSTART;VALUE=DATE:20260330\r\nDTEND;VALUE=DATE:20260331\r\n"),
             text.constData());

    const auto named = [](const QString &name) {
        return EventFormat::Record{
            name, {}, {}, {}, QStringLiteral("4@11@2026"), QStringLiteral("4@11@2026")};
    };
    const QList<EventFormat::Record> events = {
        named(QStringLiteral("Repair Café")), named(QStringLiteral("repair café!")),
        named(QStringLiteral("♻")), named(QStringLiteral("🌍"))};
    QTemporaryDir dir;
    QSet<QString> paths;
    for (const EventFormat::Record &event : events) {
        QVERIFY2(CalendarFile::fileName(event).startsWith(
                     event.name.startsWith(QLatin1Char('R'), Qt::CaseInsensitive)
                         ? QStringLiteral("viridio-repair-café-")
                         : QStringLiteral("viridio-event-")),
                 qPrintable(CalendarFile::fileName(event)));
        const CalendarFile::SaveResult saved = CalendarFile::save(event, dir.path(), stamp);
        QVERIFY2(saved.ok, qPrintable(saved.reason));
        paths.insert(saved.path);
    }
    QCOMPARE(paths.size(), events.size());

    // A file of that name that is not the event's stays as it was; the event
    // goes beside it, and there again when added again.
    const QString taken = dir.filePath(CalendarFile::fileName(events.first()));
    QFile foreign(taken);
    QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write("my own notes\n") == 13);
    foreign.close();
    for (int i = 0; i < 2; ++i) {
        const CalendarFile::SaveResult saved =
            CalendarFile::save(events.first(), dir.path(), stamp);
        QVERIFY2(saved.ok, qPrintable(saved.reason));
        QCOMPARE(saved.path, taken.chopped(4) + QStringLiteral("-2.ics"));
    }
    QVERIFY(foreign.open(QIODevice::ReadOnly));
    QCOMPARE(foreign.readAll(), QByteArray("my own notes\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), events.size() + 1);
}

// The button writes the event on show into Documents and offers to open it;
// a link or a folder of that name is left alone and said so on the page.
void TestEvents::addToCalendarThroughWindow()
{
    Clock::setToday(QDate(2026, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Earth Hour 2026"), QStringLiteral("3@28@2026"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    QVERIFY(!child<QPushButton>(&window, "push_addToCalendar")->isVisible());
    QVERIFY(touch(&window, QStringLiteral("Earth Hour 2026")));
    QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/Documents")));
    QVERIFY(clickButton(&window, "push_addToCalendar"));

    const QStringList files =
        QDir(home.path() + QStringLiteral("/Documents")).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^viridio-earth-hour-2026-[0-9a-f]{8}\\.ics$"))
                 .match(files.first())
                 .hasMatch(),
             qPrintable(files.first()));
    const QString path = home.path() + QStringLiteral("/Documents/") + files.first();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    QVERIFY(written.contains("SUMMARY:Earth Hour 2026\r\nLOCATION:Venue of Earth Hour 2026\r\n"));
    QVERIFY(written.contains("DTSTART;VALUE=DATE:20260328\r\nDTEND;VALUE=DATE:20260329\r\n"));
    QCOMPARE(text(&window, "lb_calendarMessage"), QStringLiteral("Saved as ") + path);
    QVERIFY(!child<QPushButton>(&window, "push_addToCalendar")->isVisible());
    UrlSink sink;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &sink, "open");
    QVERIFY(clickButton(&window, "push_openCalendarFile"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(sink.urls, QList<QUrl>{QUrl::fromLocalFile(path)});

    // A link where the file goes: neither it nor what it points to changes.
    const QString elsewhere = home.path() + QStringLiteral("/elsewhere.txt");
    QVERIFY(QFile::rename(path, elsewhere));
    QVERIFY(QFile::link(elsewhere, path));
    QVERIFY(touch(&window, QStringLiteral("Earth Hour 2026")));
    QVERIFY(text(&window, "lb_calendarMessage").isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("a symbolic link")));
    QVERIFY(clickButton(&window, "push_addToCalendar"));
    QVERIFY(text(&window, "lb_calendarMessage").contains(QStringLiteral("did not save the event")));
    QVERIFY(QFileInfo(path).isSymLink());
    QFile kept(elsewhere);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), written);
    QVERIFY(!child<QPushButton>(&window, "push_openCalendarFile")->isVisible());
    QCOMPARE(QDir(home.path() + QStringLiteral("/Documents")).entryList(QDir::Files), files);

    // Documents that cannot be made: a file has its name.
    QVERIFY(QDir(home.path() + QStringLiteral("/Documents")).removeRecursively());
    QFile blocker(home.path() + QStringLiteral("/Documents"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot create")));
    QVERIFY(clickButton(&window, "push_addToCalendar"));
    QVERIFY2(text(&window, "lb_calendarMessage").contains(QStringLiteral("could not be made")),
             qPrintable(text(&window, "lb_calendarMessage")));
}

// Other files hold the event's name and "-2" to "-8": the page writes "-9";
// with "-9" taken too it saves nothing and says why, every file left alone.
void TestEvents::addToCalendarTakesNinthNameAtMost()
{
    Clock::setToday(QDate(2026, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    addEvent(QStringLiteral("Earth Hour 2026"), QStringLiteral("3@28@2026"));
    QVERIFY(addToCalendar(&window, QStringLiteral("Earth Hour 2026")));
    const QString folder = home.path() + QStringLiteral("/Documents");
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
    const QString first = folder + QLatin1Char('/') + QDir(folder).entryList(QDir::Files).first();
    QVERIFY(first.endsWith(QStringLiteral(".ics")));
    const auto other = [&first](int n) {
        QFile file(n == 1 ? first : first.chopped(4) + QStringLiteral("-%1.ics").arg(n));
        return file.open(QIODevice::WriteOnly) && file.write("BEGIN:VCALENDAR\r\n") == 17;
    };
    for (int n = 1; n <= 8; ++n)
        QVERIFY(other(n));

    QVERIFY(addToCalendar(&window, QStringLiteral("Earth Hour 2026")));
    const QString ninth = first.chopped(4) + QStringLiteral("-9.ics");
    QCOMPARE(text(&window, "lb_calendarMessage"), QStringLiteral("Saved as ") + ninth);
    QFile written(ninth);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("SUMMARY:Earth Hour 2026\r\n"));

    QVERIFY(other(9));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("eight other names")));
    QVERIFY(addToCalendar(&window, QStringLiteral("Earth Hour 2026")));
    QCOMPARE(text(&window, "lb_calendarMessage"),
             QStringLiteral("Files of other events have the names Viridio gives this one in %1; "
                            "it left them alone and did not save the event.")
                 .arg(folder));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 9);
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        QFile file(folder + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("BEGIN:VCALENDAR\r\n"));
    }
}

// libical refuses a property whose value is only spaces or tabs, and so did
// the event server: such a venue, description or fee is left out of the file.
void TestEvents::blankFieldsWriteServableCalendar()
{
    Clock::setToday(QDate(2026, 3, 20));
    TemporaryHome home;
    MainWindow window;
    window.show();
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.prepare(QStringLiteral("INSERT INTO Events (eventName, venue, eventDesc, "
                                         "admissionFee, startDate, endDate) VALUES "
                                         "(?, ?, ?, ?, ?, ?)")));
    for (const QString &value :
         {QStringLiteral("Earth Hour 2026"), QStringLiteral("   "), QStringLiteral(" \t "),
          QStringLiteral("\t"), QStringLiteral("3@28@2026"), QStringLiteral("3@28@2026")})
        query.addBindValue(value);
    QVERIFY(query.exec());
    QVERIFY(addToCalendar(&window, QStringLiteral("Earth Hour 2026")));
    const QString saved = text(&window, "lb_calendarMessage");
    QVERIFY2(saved.startsWith(QStringLiteral("Saved as ")), qPrintable(saved));
    QFile file(saved.mid(9));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const EventFile::Result served = IcsFile::parse(file.readAll(), 2026);
    QCOMPARE(served.errors, QStringList{});
    QCOMPARE(served.records, (QList<EventFormat::Record>{{QStringLiteral("Earth Hour 2026"),
                                                          {},
                                                          {},
                                                          {},
                                                          QStringLiteral("3@28@2026"),
                                                          QStringLiteral("3@28@2026")}}));
}

QTEST_MAIN(TestEvents)
#include "tst_events.moc"
