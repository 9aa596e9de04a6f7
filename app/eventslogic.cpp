#include "eventslogic.h"

#include "data/database.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace EventsLogic {

namespace {

EventFormat::Record recordFrom(const QSqlQuery &query)
{
    // Columns: eventID, eventName, venue, eventDesc, admissionFee, startDate, endDate.
    return {query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
            query.value(4).toString(), query.value(5).toString(), query.value(6).toString()};
}

std::optional<EventFormat::Record> firstEvent(const QSqlDatabase &db, const QString &sql,
                                              const QString &value)
{
    QSqlQuery query = Database::run(db, sql, {value});
    if (!query.isActive() || !query.next())
        return std::nullopt;
    return recordFrom(query);
}

// Parses stored dates, each distinct text once: a month of many events
// shares few dates, and the date parser is the costly part of a listing.
class DateTexts
{
public:
    QDate parse(const QString &text)
    {
        const auto known = parsed.constFind(text);
        if (known != parsed.cend())
            return *known;
        const QDate date = parseEventDate(text);
        parsed.insert(text, date);
        return date;
    }

private:
    QHash<QString, QDate> parsed;
};

} // namespace

QDate parseEventDate(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("M@d@yyyy"));
}

QDate lastDayOfYear(int year)
{
    return QDate::fromString(QStringLiteral("12/31/%1").arg(year), QStringLiteral("MM/dd/yyyy"));
}

QStringList eventNamesInMonth(const QSqlDatabase &db, int month, int year)
{
    QStringList names;
    if (!db.isOpen() || month < 1 || month > 12)
        return names;
    // The month is the date's first number, so "1" also finds October to
    // December; the parsed date decides.
    QSqlQuery query =
        Database::run(db,
                      QStringLiteral("SELECT eventName, startDate from Events where startDate "
                                     "LIKE ? ORDER BY eventID"),
                      {QString::number(month) + QLatin1Char('%')});
    DateTexts dates;
    while (query.isActive() && query.next()) {
        const QDate start = dates.parse(query.value(1).toString());
        if (start.isValid() && start.month() == month && start.year() == year)
            names.append(query.value(0).toString());
    }
    return names;
}

QList<QDate> eventDaysInYear(const QSqlDatabase &db, int year)
{
    QList<QDate> days;
    if (!db.isOpen())
        return days;
    const QDate first(year, 1, 1);
    const QDate last = lastDayOfYear(year);
    // Events that share their dates mark the same days.
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT DISTINCT startDate, endDate from Events"));
    DateTexts dates;
    while (query.isActive() && query.next()) {
        QDate start = dates.parse(query.value(0).toString());
        QDate end = dates.parse(query.value(1).toString());
        if (!start.isValid())
            continue;
        if (!end.isValid() || end < start)
            end = start;
        // Only this year's part of an event: a long one costs at most a year.
        start = std::max(start, first);
        end = std::min(end, last);
        for (QDate day = start; day <= end; day = day.addDays(1))
            days.append(day);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

QStringList allEventNames(const QSqlDatabase &db)
{
    return Database::column(db, QStringLiteral("SELECT eventName from Events"));
}

std::optional<EventFormat::Record> findEvent(const QSqlDatabase &db, const QString &name)
{
    if (!db.isOpen())
        return std::nullopt;
    // A name that is also the beginning of another ("Earth Walk", "Earth
    // Walkathon") must show its own event: the exact name comes first.
    if (auto exact = firstEvent(db, QStringLiteral("SELECT * from Events where eventName=?"), name))
        return exact;
    return firstEvent(db,
                      QStringLiteral("SELECT * from Events where upper(eventName) like upper(?)"),
                      name + QLatin1Char('%'));
}

QString durationText(const QDate &start, const QDate &end)
{
    if (start.isValid() && start == end)
        return QStringLiteral("On %1").arg(start.toString(Qt::TextDate));
    return QStringLiteral("From %1 to %2")
        .arg(start.toString(Qt::TextDate), end.toString(Qt::TextDate));
}

QHostAddress eventServerAddress(const QString &value, QString *warning)
{
    const QHostAddress fallback(QStringLiteral("127.0.0.1"));
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return fallback;
    // Four decimal numbers only: the socket parser would also take "127.1".
    static const QRegularExpression dotted(
        QStringLiteral("^[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}$"));
    QHostAddress address;
    if (dotted.match(trimmed).hasMatch() && address.setAddress(trimmed) &&
        address.protocol() == QAbstractSocket::IPv4Protocol)
        return address;
    if (warning) {
        // Any length can come in: the line quotes the beginning only.
        constexpr qsizetype quoted = 80;
        QString shown = value.left(quoted);
        if (shown.size() == quoted && shown.back().isHighSurrogate())
            shown.chop(1);
        *warning = QStringLiteral("Viridio: VIRIDIO_EVENT_SERVER=\"%1\"%2 is not an IPv4 address "
                                  "such as 192.0.2.10; using %3")
                       .arg(shown, value.size() > quoted ? QStringLiteral("...") : QString(),
                            fallback.toString());
    }
    return fallback;
}

bool storeEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records)
{
    if (!db.isOpen() || !db.transaction())
        return false;
    // A name stored already, before or earlier in this message, is skipped.
    // Any statement that fails (a busy or read-only file) ends the update at
    // once: one short wait for the file, not one for every record.
    bool stored = true;
    for (const EventFormat::Record &record : records) {
        QSqlQuery known = Database::run(
            db, QStringLiteral("SELECT 1 FROM Events WHERE eventName=?"), {record.name});
        if (!known.isActive()) {
            stored = false;
            break;
        }
        const bool duplicate = known.next();
        known.finish();
        if (duplicate)
            continue;
        if (Database::insertEvents(db, record.name, record.venue, record.description,
                                   record.admissionFee, record.startDate, record.endDate) == -1) {
            stored = false;
            break;
        }
    }
    if (stored && db.commit())
        return true;
    // A commit that failed leaves the transaction open: end it, so the next
    // update can start its own.
    db.rollback();
    return false;
}

} // namespace EventsLogic
