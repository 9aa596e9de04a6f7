// The events calendar's work that needs no widget: event dates, the month
// listing, the look-up of one event, the duration line, the server address and
// storing a received message's events.
#pragma once

#include "events/eventformat.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

namespace EventsLogic {

// Event dates are "M@d@yyyy" (3@15@2010 is 15 March 2010); other text gives an
// invalid date.
QDate parseEventDate(const QString &text);

// 31 December of year: the calendar's last selectable day.
QDate lastDayOfYear(int year);

// The days of year on which a stored event takes place, from its start to its
// end date (an end before the start, or unreadable, counts as the start day
// alone), each once, in date order. Days outside year are left out. A closed
// database or a failed query give none.
QList<QDate> eventDaysOfYear(const QSqlDatabase &db, int year);

// A part of the listing of one month: the events stored below the eventID
// before that start in month of year (a start date written "M@d@yyyy" for
// month M), the latest stored first. A month of thousands of events is
// listed a part at a time: limit rows are looked at for each part.
struct MonthEvents
{
    QStringList names;
    // The eventID to list below for the next part.
    qint64 before = 0;
    // Whether rows may remain below before: the part looked at limit rows.
    bool more = false;
};
MonthEvents eventsOfMonth(const QSqlDatabase &db, int year, int month, qint64 before, int limit);

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
// transaction: all of them or none. Records whose name is stored already, or
// is blank, are skipped, which is no failure. Returns false, and stores
// nothing, when the database is closed, any look-up or insert fails (the first
// failure ends the update) or the transaction cannot be committed; the
// transaction is then rolled back and error (when given) holds the failure.
bool storeEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records,
                 QSqlError *error = nullptr);

// The insertions of storeEvents, inside a transaction the caller holds: the
// names of the events inserted are appended to stored (when given). Returns
// false at the first failure, which error (when given) holds.
bool insertNewEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records,
                     QStringList *stored, QSqlError *error);

// Runs work inside one write transaction (BEGIN IMMEDIATE) on db, committed
// when work returns true and rolled back otherwise; false, with the failure
// in error (when given), when db is closed, work fails or the commit does.
bool inWriteTransaction(QSqlDatabase &db, const std::function<bool(QSqlError *)> &work,
                        QSqlError *error = nullptr);

} // namespace EventsLogic
