// The calendars the household gave by their address: the address as typed
// read, the list kept in the data file, and each calendar's events stored
// beside those of the event update, so that it can be refreshed or removed
// with its own events only.
#pragma once

#include "events/eventformat.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace Calendars {

struct Address
{
    QUrl url;           // https, or http when plain
    bool plain = false; // http: the household is asked before it is used
    QString error;      // a sentence for the page when the text is no address
};

// The address typed: https, webcal (which is https) or http, with a host;
// spaces around it are ignored.
Address readAddress(const QString &typed);

// The stored addresses, in the order they were added.
QStringList addresses(const QSqlDatabase &db);

// Stores address (the https or http form); one stored already is no failure.
bool add(QSqlDatabase &db, const QString &address, QSqlError *error = nullptr);

// Removes address and the events it gave, in one transaction.
bool remove(QSqlDatabase &db, const QString &address, QSqlError *error = nullptr);

// The stored addresses not tried on day, and marks them tried on it: each
// calendar is fetched at most once a day.
QStringList takeDue(QSqlDatabase &db, const QDate &day);

// Replaces the events address gave before by records, in one transaction.
// A record whose name is stored already (by the event update or another
// calendar) is skipped, as the event update skips it. An address removed in
// the meantime stores nothing, which is no failure.
bool storeFetched(QSqlDatabase &db, const QString &address,
                  const QList<EventFormat::Record> &records, QSqlError *error = nullptr);

} // namespace Calendars
