#include "events/eventslogic.h"

#include "data/database.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>

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
    QDate parse(const QByteArray &text)
    {
        const auto known = parsed.constFind(text);
        if (known != parsed.cend())
            return *known;
        const QDate date = parseEventDate(QString::fromUtf8(text));
        parsed.insert(text, date);
        return date;
    }

private:
    QHash<QByteArray, QDate> parsed;
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

QList<QDate> eventDaysOfYear(const QSqlDatabase &db, int year)
{
    QList<QDate> days;
    if (!db.isOpen())
        return days;
    DateTexts dates;
    const QDate first(year, 1, 1);
    const QDate last = lastDayOfYear(year);
    // Events that share their dates mark the same days; the dates index
    // gives each pair once, without sorting every event. The texts come as
    // the UTF-8 bytes the file holds: SQLite's own conversion to UTF-16
    // costs several times Qt's.
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT CAST(startDate AS BLOB), CAST(endDate AS BLOB) "
                                         "FROM (SELECT DISTINCT startDate, endDate FROM Events)"));
    while (query.isActive() && query.next()) {
        QDate start = dates.parse(query.value(0).toByteArray());
        QDate end = dates.parse(query.value(1).toByteArray());
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

MonthEvents eventsOfMonth(const QSqlDatabase &db, int year, int month, qint64 before, int limit)
{
    MonthEvents part;
    part.before = before;
    if (!db.isOpen() || month < 1 || month > 12 || limit < 1)
        return part;
    // A start date of the month begins with its number as written and "@"
    // ("03@..." is no March event), which the pattern asks for; the date must
    // still parse, and be of year. The rows are walked from the latest
    // stored down (the unary + keeps SQLite from sorting the dates index's
    // matches instead), so each part stops after limit of them.
    const QByteArray prefix = QByteArray::number(month) + '@';
    QSqlQuery query = Database::run(
        db,
        QStringLiteral("SELECT eventID, CAST(eventName AS BLOB), CAST(startDate AS BLOB) "
                       "FROM Events WHERE +startDate GLOB ? AND eventID < ? "
                       "ORDER BY eventID DESC LIMIT ?"),
        {QString::fromLatin1(prefix + '*'), before, limit});
    DateTexts dates;
    int rows = 0;
    while (query.isActive() && query.next()) {
        ++rows;
        part.before = query.value(0).toLongLong();
        const QDate start = dates.parse(query.value(2).toByteArray());
        if (start.isValid() && start.year() == year && start.month() == month)
            part.names.append(QString::fromUtf8(query.value(1).toByteArray()));
    }
    part.more = rows == limit;
    return part;
}

QVariantList eventsVersion(const QSqlDatabase &db)
{
    QSqlQuery query = Database::run(
        db, QStringLiteral("SELECT max(eventID), total_changes(), "
                           "(SELECT data_version FROM pragma_data_version) FROM Events"));
    if (!query.isActive() || !query.next())
        return {};
    return {query.value(0), query.value(1), query.value(2)};
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

QString eventServerAddress(const QString &value, QString *warning)
{
    QString fallback = QStringLiteral("127.0.0.1");
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return fallback;
    // Four decimal numbers from 0 to 255 only ("127.1" and host names are
    // refused), written back without leading zeros, which the socket would
    // read as octal.
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch match = dotted.match(trimmed);
    QStringList numbers;
    for (int i = 1; match.hasMatch() && i <= 4; ++i) {
        const int number = match.captured(i).toInt();
        if (number > 255)
            break;
        numbers.append(QString::number(number));
    }
    if (numbers.size() == 4)
        return numbers.join(QLatin1Char('.'));
    if (warning) {
        // Any length can come in: the line quotes the beginning only.
        constexpr qsizetype quoted = 80;
        QString shown = value.left(quoted);
        if (shown.size() == quoted && shown.back().isHighSurrogate())
            shown.chop(1);
        *warning =
            QStringLiteral("Viridio: VIRIDIO_EVENT_SERVER=\"%1\"%2 is not an IPv4 address "
                           "such as 192.0.2.10; using %3")
                .arg(shown, value.size() > quoted ? QStringLiteral("...") : QString(), fallback);
    }
    return fallback;
}

bool insertNewEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records,
                     QStringList *stored, QSqlError *error)
{
    // A name stored already, before or earlier in this message, is skipped,
    // and so is a blank one. Any statement that fails (a busy or read-only
    // file) ends the update at once: one short wait for the file, not one
    // for every record.
    QSqlError failure;
    for (const EventFormat::Record &record : records) {
        if (record.name.trimmed().isEmpty())
            continue;
        QSqlQuery known = Database::run(
            db, QStringLiteral("SELECT 1 FROM Events WHERE eventName=?"), {record.name});
        if (!known.isActive()) {
            failure = known.lastError();
            break;
        }
        const bool duplicate = known.next();
        known.finish();
        if (duplicate)
            continue;
        if (Database::insertEvents(db, record.name, record.venue, record.description,
                                   record.admissionFee, record.startDate, record.endDate,
                                   &failure) == -1) {
            if (!failure.isValid())
                failure =
                    QSqlError(QStringLiteral("event not stored"), {}, QSqlError::StatementError);
            break;
        }
        if (stored)
            stored->append(record.name);
    }
    if (error)
        *error = failure;
    return !failure.isValid();
}

bool inWriteTransaction(QSqlDatabase &db, const std::function<bool(QSqlError *)> &work,
                        QSqlError *error)
{
    QSqlError failure;
    if (!db.isOpen()) {
        failure = QSqlError(QStringLiteral("database closed"), {}, QSqlError::ConnectionError);
    } else if (QSqlQuery begin = Database::run(db, QStringLiteral("BEGIN IMMEDIATE"));
               !begin.isActive()) {
        // Taken for writing at once: what is looked up is written with no
        // other update in between.
        failure = begin.lastError();
    } else {
        // COMMIT as a statement: its error keeps SQLite's code, which tells a
        // busy file.
        if (work(&failure)) {
            const QSqlQuery commit = Database::run(db, QStringLiteral("COMMIT"));
            if (commit.isActive())
                return true;
            failure = commit.lastError();
        }
        // A commit that failed leaves the transaction open: end it, so the next
        // update can start its own.
        Database::run(db, QStringLiteral("ROLLBACK"));
    }
    if (error)
        *error = failure;
    return false;
}

bool storeEvents(QSqlDatabase &db, const QList<EventFormat::Record> &records, QSqlError *error)
{
    return inWriteTransaction(
        db, [&](QSqlError *failure) { return insertNewEvents(db, records, nullptr, failure); },
        error);
}

} // namespace EventsLogic
