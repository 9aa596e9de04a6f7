#include "events/calendars.h"

#include "data/database.h"
#include "events/calendarfetch.h"
#include "events/eventslogic.h"
#include "plugins.h"

#include <QSqlQuery>

namespace {

// Runs sql with values; false, with the failure in error, when it fails.
bool step(const QSqlDatabase &db, const QString &sql, const QVariantList &values, QSqlError *error)
{
    const QSqlQuery query = Database::run(db, sql, values);
    if (query.isActive())
        return true;
    *error = query.lastError();
    return false;
}

// Deletes the events address gave, and the list of them.
bool dropEvents(const QSqlDatabase &db, const QString &address, QSqlError *error)
{
    return step(db,
                QStringLiteral("DELETE FROM Events WHERE eventName IN (SELECT eventName FROM "
                               "CalendarEvent WHERE address=?)"),
                {address}, error) &&
           step(db, QStringLiteral("DELETE FROM CalendarEvent WHERE address=?"), {address}, error);
}

} // namespace

const CalendarFetch *CalendarFetch::load(QString *error)
{
    return Plugins::as<CalendarFetch>(QStringLiteral("viridio_calendarfetch"), error);
}

namespace Calendars {

Address readAddress(const QString &typed)
{
    Address address;
    QUrl url(typed.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("webcal"))
        url.setScheme(QStringLiteral("https"));
    else if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        url.setScheme(scheme);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        address.error = QStringLiteral("Please type the calendar's address as your calendar "
                                       "program shows it, starting with https:// or webcal://.");
        return address;
    }
    address.url = url;
    address.plain = url.scheme() == QLatin1String("http");
    return address;
}

QStringList addresses(const QSqlDatabase &db)
{
    return Database::column(db, QStringLiteral("SELECT address FROM Calendar ORDER BY rowid"));
}

bool add(QSqlDatabase &db, const QString &address, QSqlError *error)
{
    QSqlError failure;
    if (step(db, QStringLiteral("INSERT OR IGNORE INTO Calendar (address) VALUES (?)"), {address},
             &failure))
        return true;
    if (error)
        *error = failure;
    return false;
}

bool remove(QSqlDatabase &db, const QString &address, QSqlError *error)
{
    return EventsLogic::inWriteTransaction(
        db,
        [&](QSqlError *failure) {
            return dropEvents(db, address, failure) &&
                   step(db, QStringLiteral("DELETE FROM Calendar WHERE address=?"), {address},
                        failure);
        },
        error);
}

QStringList takeDue(QSqlDatabase &db, const QDate &day)
{
    QStringList due;
    const QString dayText = day.toString(Qt::ISODate);
    EventsLogic::inWriteTransaction(db, [&](QSqlError *failure) {
        due = Database::column(
            db,
            QStringLiteral("SELECT address FROM Calendar WHERE triedOn IS NOT ? ORDER BY rowid"),
            {dayText});
        return step(db, QStringLiteral("UPDATE Calendar SET triedOn=? WHERE triedOn IS NOT ?"),
                    {dayText, dayText}, failure);
    });
    return due;
}

bool storeFetched(QSqlDatabase &db, const QString &address,
                  const QList<EventFormat::Record> &records, QSqlError *error)
{
    return EventsLogic::inWriteTransaction(
        db,
        [&](QSqlError *failure) {
            QSqlQuery known = Database::run(
                db, QStringLiteral("SELECT 1 FROM Calendar WHERE address=?"), {address});
            if (!known.isActive()) {
                *failure = known.lastError();
                return false;
            }
            const bool kept = known.next();
            known.finish();
            if (!kept)
                return true;
            QStringList stored;
            if (!dropEvents(db, address, failure) ||
                !EventsLogic::insertNewEvents(db, records, &stored, failure))
                return false;
            for (const QString &name : stored) {
                if (!step(db,
                          QStringLiteral(
                              "INSERT INTO CalendarEvent (address, eventName) VALUES (?, ?)"),
                          {address, name}, failure))
                    return false;
            }
            return true;
        },
        error);
}

} // namespace Calendars
