// The events calendar's work that needs no widget: event dates, the month
// listing, the look-up of one event, the duration line, the server address and
// storing a received message's events.
#pragma once

#include "eventformat.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace EventsLogic {

// Event dates are "M@d@yyyy" (3@15@2010 is 15 March 2010); other text gives an
// invalid date.
QDate parseEventDate(const QString &text);

// 31 December of year: the calendar's last selectable day.
QDate lastDayOfYear(int year);

// The stored events as the events page shows them for one year, read in one
// pass. A closed database or a failed query give no events.
struct EventsOfYear
{
    // Every stored event name, in the order stored, for the completer.
    QStringList names;
    // The days of year on which an event takes place, from its start to its
    // end date (an end before the start, or unreadable, counts as the start
    // day alone), each once, in date order. Days outside year are left out.
    QList<QDate> days;
    // Always twelve lists: at month - 1, the names of the events that start in
    // that month of year (a start date written "M@..." for month M), in the
    // order stored.
    QList<QStringList> byMonth;
};
EventsOfYear eventsOfYear(const QSqlDatabase &db, int year);

// A value that changes whenever the stored events may have changed: their
// last id, the changes made through db and the commits of other connections.
// Empty when the database is closed or the query fails.
QVariantList eventsVersion(const QSqlDatabase &db);

// The event named name: the one of exactly that name if there is one, else the
// first whose name begins with name, ignoring the case of ASCII letters.
std::optional<EventFormat::Record> findEvent(const QSqlDatabase &db, const QString &name);

// "From Tue Mar 30 2010 to Thu Apr 1 2010", or "On Fri Dec 11 2026" for an
// event of one day; an invalid date reads as empty text.
QString durationText(const QDate &start, const QDate &end);

// The event server's address: 127.0.0.1, or the dotted IPv4 address in
// value (the environment's VIRIDIO_EVENT_SERVER). An empty value means the
// default; any other value that is not such an address gives the default and
// sets *warning to a line saying so, quoting at most 80 characters of value.
QString eventServerAddress(const QString &value, QString *warning = nullptr);

// Stores records through Database::insertEvents, in order, in one
// transaction: all of them or none. Records whose name is stored already are
// skipped, which is no failure. Returns false, and stores nothing, when the
// database is closed, any look-up or insert fails (the first failure ends the
// update) or the transaction cannot be committed; the transaction is then
// rolled back.
bool storeEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records);

} // namespace EventsLogic
