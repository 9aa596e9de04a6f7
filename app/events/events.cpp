#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"

#include "clock.h"
#include "data/database.h"
#include "events/calendarfetch.h"
#include "events/calendarfile.h"
#include "events/calendars.h"
#include "events/eventformat.h"
#include "events/eventslogic.h"
#include "events/eventupdateclient.h"
#include "pagemessage.h"

#include <QCalendarWidget>
#include <QColor>
#include <QDebug>
#include <QDesktopServices>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QListWidgetItem>
#include <QPixmap>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// A month's events are listed this many rows at a time: a month of thousands
// shows its latest at once, and the rest follow, a part each turn of the event
// loop, without holding the window.
constexpr int eventsPerPart = 200;

const char *const eventServerVariable = "VIRIDIO_EVENT_SERVER";
constexpr quint16 eventServerPort = 2554;

QString pleaseWait()
{
    return QStringLiteral("Please wait ...");
}
QString updated()
{
    return QStringLiteral("Your events have been updated");
}
QString noEventsInUpdate()
{
    return QStringLiteral("There were no events in the update.");
}
QString updateFailed()
{
    return QStringLiteral(
        "An error has occurred please check if your phone is connected to the Internet");
}

// Why an update failed, in a household's words; no answer is the line above.
QString updateFailed(EventUpdateClient::Failure why)
{
    switch (why) {
    case EventUpdateClient::Failure::NoNetworkPart:
        return QStringLiteral("The update cannot run: Viridio's network part is not installed.");
    case EventUpdateClient::Failure::CutShort:
        return QStringLiteral("The event server's answer was cut short, so no events were added. "
                              "Please try again later.");
    case EventUpdateClient::Failure::Unusable:
        return QStringLiteral("The event server's answer could not be used, so no events were "
                              "added. Please try again later.");
    case EventUpdateClient::Failure::NoAnswer:
        break;
    }
    return updateFailed();
}

QString notStored(bool busy)
{
    if (busy)
        return QStringLiteral("Another program is using your data file, so no events were "
                              "added. Please try again in a moment.");
    return QStringLiteral("The new events could not be saved in your data file.");
}

// The line an empty month shows in the list: no event, so it cannot be chosen.
void addNoEventsLine(QListWidget *list)
{
    auto *line = new QListWidgetItem(
        QStringLiteral("No events this month. Tap the blue cloud button to fetch the latest "
                       "events."),
        list);
    line->setFlags(Qt::NoItemFlags);
    line->setForeground(QColor(80, 80, 80));
    QFont italic = list->font();
    italic.setItalic(true);
    line->setFont(italic);
    line->setData(Qt::ToolTipRole, line->text());
}

// Marks the calendar's days on which a stored event takes place.
void markEventDays(QCalendarWidget *calendar, const QList<QDate> &days)
{
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat mark;
    mark.setFontWeight(QFont::Bold);
    mark.setForeground(QColor(0, 121, 107));
    for (const QDate &day : days)
        calendar->setDateTextFormat(day, mark);
}

} // namespace

void MainWindow::setEventDetailsVisible()
{
    ui->lb_eventDuration->show();
    ui->lb_eventTitle->show();
    ui->lb_description->show();
    ui->lb_fee->show();
    ui->lb_venue->show();
    // Each event shown can be added anew.
    ui->push_addToCalendar->show();
    ui->push_openCalendarFile->hide();
    ui->lb_calendarMessage->clear();
    ui->lb_calendarMessage->hide();
    ui->lb_eventsHint->hide();
    showAddressRow(false);
}

void MainWindow::setEventDetailsInvisible()
{
    ui->lb_eventDuration->hide();
    ui->lb_eventTitle->hide();
    ui->lb_description->hide();
    ui->lb_fee->hide();
    ui->lb_venue->hide();
    ui->push_addToCalendar->hide();
    ui->push_openCalendarFile->hide();
    ui->lb_calendarMessage->hide();
    // The paper below the calendar says what it is for.
    ui->lb_eventsHint->show();
    showAddressRow(true);
}

// The calendar address's line and buttons share the space of an event's details.
void MainWindow::showAddressRow(bool shown)
{
    ui->le_calendarAddress->setVisible(shown);
    ui->push_addCalendar->setVisible(shown);
    ui->push_removeCalendar->setVisible(shown);
}

// Lists the events of month of the current year, the latest stored on top.
void MainWindow::listEventsOfMonth(int month)
{
    QListWidget *list = ui->listWid_upcoming;
    if (!list)
        return;
    loadEvents();
    const bool aMonth = month >= 1 && month <= 12;
    // The month listed already from the same events is shown as a new listing
    // would show it: nothing chosen, from the top. A listing still under way
    // goes on.
    if (aMonth && month == listedMonth && listedAt == eventsReadAt) {
        list->setCurrentItem(nullptr);
        list->clearSelection();
        list->scrollToTop();
        return;
    }
    list->clear();
    if (moreEvents)
        moreEvents->stop();
    listedMonth = aMonth ? month : 0;
    listedAt = eventsReadAt;
    listedBefore = std::numeric_limits<qint64>::max();
    if (aMonth)
        listMoreEvents();
}

// Lists the next part of the month listed, and asks for the one after it.
void MainWindow::listMoreEvents()
{
    QListWidget *list = ui->listWid_upcoming;
    if (!list || !listedMonth)
        return;
    const EventsLogic::MonthEvents part = EventsLogic::eventsOfMonth(
        db, Clock::today().year(), listedMonth, listedBefore, eventsPerPart);
    listedBefore = part.before;
    list->addItems(part.names);
    if (part.more) {
        if (!moreEvents) {
            moreEvents = new QTimer(this);
            moreEvents->setSingleShot(true);
            connect(moreEvents, &QTimer::timeout, this, &MainWindow::listMoreEvents);
        }
        moreEvents->start(0);
    } else if (list->count() == 0) {
        addNoEventsLine(list);
    }
}

void MainWindow::upcomingEvents()
{
    listEventsOfMonth(Clock::today().month());
}

// Marks the calendar's days of stored events again when the events or the
// day changed since the last reading.
void MainWindow::loadEvents()
{
    if (!ui->calWid_events)
        return; // the events page is not built yet: its first visit reads them
    QVariantList version = EventsLogic::eventsVersion(db);
    version.append(Clock::today());
    if (version == eventsReadAt)
        return;
    eventsReadAt = version;
    markEventDays(ui->calWid_events, EventsLogic::eventDaysOfYear(db, Clock::today().year()));
}

void MainWindow::setEventsCalendarRange()
{
    const QDate today = Clock::today();
    ui->calWid_events->setDateRange(today, EventsLogic::lastDayOfYear(today.year()));
}

// The events page's entry, from the main menu and from the update result.
void MainWindow::enterEventsPage()
{
    showPage(EventsPage);
    // The home button clears the page's pictures; a new visit draws them again.
    Pictures::show(ui->label_7, QStringLiteral(":/new/prefix1/images/book.png"));
    Pictures::show(ui->label_16, QStringLiteral(":/new/prefix1/images/calendar.png"));

    setEventDetailsInvisible();
    loadEvents();
    setEventsCalendarRange();
    // The calendars given by their address: the first shown, each fetched
    // again at most once a day.
    const QStringList calendars = Calendars::addresses(db);
    if (ui->le_calendarAddress->text().isEmpty() && !calendars.isEmpty())
        ui->le_calendarAddress->setText(calendars.first());
    for (const QString &address : Calendars::takeDue(db, Clock::today()))
        fetchCalendar(address);
    // Choosing the month lists its events; a month chosen already is listed anew.
    if (ui->combo_Month->currentIndex() == Clock::today().month())
        upcomingEvents();
    else
        ui->combo_Month->setCurrentIndex(Clock::today().month());
}

void MainWindow::showEventDetails(QListWidgetItem *item)
{
    setEventDetailsInvisible();
    // Only an event's line shows details, not the line of an empty month.
    if (!item || !item->flags().testFlag(Qt::ItemIsEnabled) || !db.isOpen())
        return;
    const std::optional<EventFormat::Record> event = EventsLogic::findEvent(db, item->text());
    if (!event)
        return;
    setEventDetailsVisible();
    ui->lb_eventTitle->setText(event->name);
    ui->lb_venue->setText(QStringLiteral("Venue : %1").arg(event->venue));
    ui->lb_description->setText(event->description);
    ui->lb_fee->setText(QStringLiteral("Admission Fee : %1").arg(event->admissionFee));

    const QDate start = EventsLogic::parseEventDate(event->startDate);
    const QDate end = EventsLogic::parseEventDate(event->endDate);
    // An unreadable date leaves the calendar as it was. Narrowing the range can
    // move the calendar through other months on the way (the old selection is
    // pulled into the new range first); the month chooser must not follow those
    // moves, or it would hide these details again and widen the range.
    if (start.isValid() && end.isValid()) {
        const QSignalBlocker quiet(ui->calWid_events);
        ui->calWid_events->setDateRange(start, end);
        ui->calWid_events->setSelectedDate(start);
    }
    ui->lb_eventDuration->setText(EventsLogic::durationText(start, end));
}

void MainWindow::on_listWid_upcoming_itemClicked(QListWidgetItem *item)
{
    showEventDetails(item);
}

void MainWindow::on_listWid_upcoming_itemDoubleClicked(QListWidgetItem *item)
{
    showEventDetails(item);
}

void MainWindow::showCalendarMessage(const QString &text, bool saved)
{
    PageMessage::show(ui->lb_calendarMessage, text, PageMessage::toneOf(saved));
    ui->lb_calendarMessage->show();
}

// Writes the event on show into the documents folder as a calendar file, and
// offers to open it.
void MainWindow::on_push_addToCalendar_clicked()
{
    const std::optional<EventFormat::Record> event =
        EventsLogic::findEvent(db, ui->lb_eventTitle->text());
    if (!event) {
        showCalendarMessage(QStringLiteral("This event could not be read again from your "
                                           "data, so it was not saved."));
        qWarning().noquote() << "Viridio: no stored event is named" << ui->lb_eventTitle->text();
        return;
    }
    const CalendarFile::SaveResult saved = CalendarFile::save(*event);
    if (!saved.ok) {
        showCalendarMessage(saved.error);
        qWarning().noquote() << "Viridio: adding the event to a calendar:" << saved.reason;
        return;
    }
    calendarFilePath = saved.path;
    showCalendarMessage(QStringLiteral("Saved as %1").arg(saved.path), true);
    ui->push_addToCalendar->hide();
    ui->push_openCalendarFile->show();
}

// Hands the saved file to the desktop, whose calendar program imports it.
void MainWindow::on_push_openCalendarFile_clicked()
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(calendarFilePath))) {
        showCalendarMessage(QStringLiteral("No calendar program opened it. The event is saved "
                                           "as %1; open that file with your calendar.")
                                .arg(calendarFilePath));
        qWarning().noquote() << "Viridio: the desktop could not open" << calendarFilePath;
    }
}

void MainWindow::on_calWid_events_currentPageChanged(int, int month)
{
    // Runs the month chooser first when this changes the month shown there.
    ui->combo_Month->setCurrentIndex(month);
    listEventsOfMonth(month);
}

void MainWindow::on_combo_Month_currentIndexChanged(int index)
{
    setEventDetailsInvisible();
    setEventsCalendarRange();
    // "Select Month" names no month: the calendar keeps its page.
    if (index >= 1 && index <= 12)
        ui->calWid_events->setCurrentPage(Clock::today().year(), index);
    listEventsOfMonth(index);
}

void MainWindow::on_push_ecoEvent_clicked()
{
    enterEventsPage();
}

void MainWindow::on_push_updateEvents_clicked()
{
    processEventUpdate();
}

void MainWindow::on_push_backToEvents_clicked()
{
    enterEventsPage();
}

// Fetches the event server's list without blocking the window: the result page
// shows "Please wait ..." until the exchange ends.
void MainWindow::processEventUpdate()
{
    showPage(EventUpdatePage);
    Pictures::show(ui->label_8, QStringLiteral(":/new/prefix1/images/book.png"));
    if (eventUpdate && eventUpdate->isRunning())
        return; // one exchange at a time: this one reports on this page

    if (!eventUpdate) {
        eventUpdate = new EventUpdateClient(this);
        connect(eventUpdate, &EventUpdateClient::received, this, &MainWindow::eventUpdateReceived);
        connect(eventUpdate, &EventUpdateClient::failed, this,
                [this](EventUpdateClient::Failure why, const QString &reason) {
                    qWarning().noquote() << "Viridio: the event update failed -" << reason;
                    PageMessage::show(ui->lb_updateEventsSuccess, updateFailed(why),
                                      PageMessage::Tone::Failure);
                    showPage(EventUpdatePage);
                });
        // Leaving the result page abandons the exchange. (The client alone is
        // the context: the page stack also reports changes while the window
        // is being destroyed.)
        EventUpdateClient *client = eventUpdate;
        connect(ui->stackWid_content, &QStackedWidget::currentChanged, client, [client](int index) {
            if (index != EventUpdatePage)
                client->cancel();
        });
    }

    QString warning;
    const QString server =
        EventsLogic::eventServerAddress(qEnvironmentVariable(eventServerVariable), &warning);
    if (!warning.isEmpty() && warning != eventServerWarning) {
        qWarning().noquote() << warning;
        eventServerWarning = warning;
    }

    PageMessage::show(ui->lb_updateEventsSuccess, pleaseWait(), PageMessage::Tone::Plain);
    eventUpdate->start(server, eventServerPort);
}

void MainWindow::eventUpdateReceived(const QString &text)
{
    // With the database closed nothing can be stored. A busy file (the press
    // that started the update tried it again) is said; without any data file
    // the page keeps waiting.
    if (!db.isOpen()) {
        if (!db.databaseName().isEmpty())
            PageMessage::show(ui->lb_updateEventsSuccess, notStored(true),
                              PageMessage::Tone::Failure);
        return;
    }
    const QList<EventFormat::Record> records = EventFormat::parseRecords(text);
    QSqlError error;
    if (records.isEmpty()) {
        PageMessage::show(ui->lb_updateEventsSuccess, noEventsInUpdate(), PageMessage::Tone::Plain);
    } else if (EventsLogic::storeEvents(db, records, &error)) {
        PageMessage::show(ui->lb_updateEventsSuccess, updated(), PageMessage::Tone::Success);
        loadEvents();
    } else {
        qWarning().noquote() << "Viridio: the new events were not stored -" << error.text();
        PageMessage::show(ui->lb_updateEventsSuccess, notStored(Database::isBusy(error)),
                          PageMessage::Tone::Failure);
    }
    showPage(EventUpdatePage);
}

void MainWindow::on_push_addCalendar_clicked()
{
    const QString typed = ui->le_calendarAddress->text().trimmed();
    const Calendars::Address address = Calendars::readAddress(typed);
    if (!address.error.isEmpty()) {
        showCalendarMessage(address.error);
        return;
    }
    // An http address can be read or changed on the way: asked once, used
    // when added again.
    if (address.plain && plainAddressAsked != typed) {
        plainAddressAsked = typed;
        showCalendarMessage(QStringLiteral("This address (http) is not private: others on the "
                                           "way could change the calendar. Tap Add again to use "
                                           "it anyway."));
        return;
    }
    QSqlError error;
    if (!Calendars::add(db, address.url.toString(), &error)) {
        qWarning().noquote() << "Viridio: the calendar's address was not stored -" << error.text();
        showCalendarMessage(QStringLiteral("The calendar's address could not be saved in your "
                                           "data file. Please try again."));
        return;
    }
    ui->le_calendarAddress->setText(address.url.toString());
    fetchCalendar(address.url.toString());
}

void MainWindow::on_push_removeCalendar_clicked()
{
    const QString address = Calendars::readAddress(ui->le_calendarAddress->text()).url.toString();
    if (address.isEmpty() || !Calendars::addresses(db).contains(address)) {
        showCalendarMessage(QStringLiteral("No calendar of this address was added."));
        return;
    }
    QSqlError error;
    if (!Calendars::remove(db, address, &error)) {
        qWarning().noquote() << "Viridio: the calendar was not removed -" << error.text();
        showCalendarMessage(QStringLiteral("The calendar could not be removed from your data "
                                           "file. Please try again."));
        return;
    }
    ui->le_calendarAddress->clear();
    showCalendarMessage(QStringLiteral("The calendar and its events were removed."), true);
    listEventsOfMonth(ui->combo_Month->currentIndex());
}

// Fetches the calendar of address off the window's thread and stores its
// events of this year in place of those it gave before; one that cannot be
// fetched or read keeps them, and says why.
void MainWindow::fetchCalendar(const QString &address)
{
    QString missing;
    const CalendarFetch *fetcher = CalendarFetch::load(&missing);
    if (!fetcher) {
        qWarning().noquote() << "Viridio: no calendar can be fetched -" << missing;
        showCalendarMessage(QStringLiteral("Calendars cannot be fetched: a part of Viridio is "
                                           "missing. Please reinstall it."));
        return;
    }
    showCalendarMessage(QStringLiteral("Fetching the calendar ..."), true);
    fetcher->fetch(
        QUrl(address), Clock::today().year(), {}, this,
        [this, address](const CalendarFetch::Outcome &outcome) {
            QSqlError error;
            if (!outcome.ok) {
                qWarning().noquote()
                    << "Viridio: the calendar" << address << "was not taken -" << outcome.reason;
                showCalendarMessage(outcome.failure +
                                    QStringLiteral(" Its events from before are kept."));
            } else if (!Calendars::storeFetched(db, address, outcome.records, &error)) {
                qWarning().noquote() << "Viridio: the calendar's events were not "
                                        "stored -"
                                     << error.text();
                showCalendarMessage(notStored(Database::isBusy(error)));
            } else {
                const qsizetype count = outcome.records.size();
                showCalendarMessage(count == 1
                                        ? QStringLiteral("The calendar gave 1 event of this year.")
                                        : QStringLiteral("The calendar gave %1 events of this "
                                                         "year.")
                                              .arg(count),
                                    true);
                listEventsOfMonth(ui->combo_Month->currentIndex());
            }
        });
}
