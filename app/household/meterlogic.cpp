#include "household/meterlogic.h"

#include "clock.h"
#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/typednumber.h"

#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

using MeterLogic::Outcome;
using MeterLogic::Reading;
using MeterLogic::unit;

QString isoDay(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("d MMMM yyyy"));
}

// How a plain reading is written: a decimal point, no grouping.
constexpr TypedNumber::Writing plainWriting{u'.', QChar()};

// A stored reading's text: plain decimals as typed, or an older row's number.
void readStored(Reading &reading, const QVariant &stored)
{
    const std::optional<QString> plain = TypedNumber::plainOf(stored.toString(), plainWriting);
    reading.value = plain ? QLocale::c().toDouble(*plain) : CalculatorLogic::readNumber(stored);
    reading.plain = plain ? *plain : TypedNumber::plainText(reading.value);
}

// "1000.0 kWh on 6 December 2026"
QString readingOn(const Reading &reading, const QString &meter)
{
    return QStringLiteral("%1 %2 on %3").arg(reading.plain, unit(meter), dayText(reading.date));
}

// The readings of meter by day, oldest first.
std::optional<QMap<QDate, Reading>> byDay(const QSqlDatabase &db, const QString &meter)
{
    QSqlQuery query =
        Database::run(db,
                      QStringLiteral("SELECT readingDate, reading, newSeries FROM MeterReading "
                                     "WHERE meter=?"),
                      {meter});
    if (!query.isActive())
        return std::nullopt;
    query.setForwardOnly(true);
    QMap<QDate, Reading> days;
    while (query.next()) {
        Reading reading;
        reading.date = QDate::fromString(query.value(0).toString(), Qt::ISODate);
        readStored(reading, query.value(1));
        reading.newSeries = query.value(2).toInt() != 0;
        if (reading.date.isValid())
            days.insert(reading.date, reading);
    }
    return days;
}

// What is wrong with days (oldest first) under the series rules, naming the
// two readings; empty when they keep them.
QString seriesProblem(const QMap<QDate, Reading> &days, const QString &meter)
{
    const QList<Reading> oldestFirst = days.values();
    const std::optional<qsizetype> descent = MeterLogic::firstDescent(oldestFirst);
    if (!descent)
        return QString();
    return QStringLiteral("%1 would be lower than %2 before it. A new meter? Tick \"New "
                          "meter\" on the day of its first reading.")
        .arg(readingOn(oldestFirst.at(*descent), meter),
             readingOn(oldestFirst.at(*descent - 1), meter));
}

const QString storeSql = QStringLiteral(
    "INSERT OR REPLACE INTO MeterReading (meter, readingDate, reading, newSeries) VALUES "
    "(?,?,?,?)");

bool store(const QSqlDatabase &db, const QString &meter, const Reading &reading)
{
    return Database::run(db, storeSql,
                         {meter, isoDay(reading.date), reading.plain, int(reading.newSeries)})
        .isActive();
}

// Why the last write transaction stored nothing, after what (such as "Not stored").
QString notDone(const QString &what)
{
    return what + QStringLiteral(": ") + Database::failureText(Database::lastWriteFailure());
}

QString notStored()
{
    return notDone(QStringLiteral("Not stored"));
}

Outcome badLine(int line, const QString &why)
{
    return {false,
            QStringLiteral("Nothing was imported: line %1 %2.").arg(QString::number(line), why)};
}

// A field of a file, without blanks and a spreadsheet's quotes around it.
QString fieldText(const QString &field)
{
    QString text = field.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2).trimmed();
    return text;
}

// A date written exactly as 2026-12-07; invalid for anything else.
QDate isoDate(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return iso.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
}

// "5 Dec", or "5 Dec 2025" for a day of another year than today's.
QString shortDay(const QDate &date)
{
    return date.toString(date.year() == Clock::today().year() ? QStringLiteral("d MMM")
                                                              : QStringLiteral("d MMM yyyy"));
}

// "5 Dec 1200 kWh", the figure as typed.
QString shortReading(const Reading &reading, const QString &meter)
{
    return QStringLiteral("%1 %2 %3").arg(shortDay(reading.date), reading.plain, unit(meter));
}

// Keeps meter's reading of date in removal as it is stored; false when it
// could not be read.
bool keepRemoved(const QSqlDatabase &db, const QString &meter, const QDate &date,
                 MeterLogic::Removal *removal)
{
    QSqlQuery query = Database::run(db,
                                    QStringLiteral("SELECT reading, newSeries FROM MeterReading "
                                                   "WHERE meter=? AND readingDate=?"),
                                    {meter, isoDay(date)});
    if (!query.next())
        return false;
    *removal = {meter, date, query.value(0), query.value(1).toInt() != 0, QDate()};
    return true;
}

} // namespace

namespace MeterLogic {

QString readingText(double value)
{
    return TypedNumber::plainText(value);
}

std::optional<qsizetype> firstDescent(const QList<Reading> &oldestFirst)
{
    for (qsizetype i = 1; i < oldestFirst.size(); ++i) {
        if (!oldestFirst.at(i).newSeries && oldestFirst.at(i).value < oldestFirst.at(i - 1).value)
            return i;
    }
    return std::nullopt;
}

std::optional<QList<Reading>> readings(const QSqlDatabase &db, const QString &meter)
{
    const std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
    if (!days)
        return std::nullopt;
    QList<Reading> newestFirst = days->values();
    std::reverse(newestFirst.begin(), newestFirst.end());
    return newestFirst;
}

std::optional<Reading> parseReading(const QString &text, const QLocale &locale)
{
    const TypedNumber::Number number = TypedNumber::typed(text, locale);
    if (!number.ok || number.value < 0 || number.value > maximumReading)
        return std::nullopt;
    Reading reading;
    reading.value = number.value;
    reading.plain = number.plain;
    return reading;
}

Outcome saveReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                    const QString &reading, bool newMeter, const QDate &today,
                    const QLocale &locale)
{
    if (!date.isValid() || date > today || date < firstReadingDay)
        return {false, QStringLiteral("A reading can only be for today or an earlier day, from "
                                      "%1 on.")
                           .arg(firstReadingDay.year())};
    std::optional<Reading> entry = parseReading(reading, locale);
    if (!entry)
        return {false, QStringLiteral("Enter the number the meter shows, from 0 to %1, for "
                                      "example %2.")
                           .arg(readingText(maximumReading), locale.toString(1234.5, 'f', 1))};
    entry->date = date;
    entry->newSeries = newMeter;
    // The series is read inside the write transaction: a reading another
    // window stored meanwhile is checked against too.
    std::optional<Reading> before;
    QString problem;
    const bool stored = Database::inTransaction(db, [&] {
        std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
        if (!days)
            return false;
        if (days->contains(date))
            before = days->value(date);
        days->insert(date, *entry);
        problem = seriesProblem(*days, meter);
        return problem.isEmpty() && store(db, meter, *entry);
    });
    if (!problem.isEmpty())
        return {false, QStringLiteral("Not stored: ") + problem};
    if (!stored)
        return {false, notStored()};
    QString message = QStringLiteral("Stored %1").arg(readingOn(*entry, meter));
    if (before) {
        message += QStringLiteral(", in place of the reading of that day (%1)").arg(before->plain);
        if (before->newSeries != newMeter)
            message += newMeter ? QStringLiteral(", now the new meter's first")
                                : QStringLiteral(", no longer a new meter's first");
    }
    return {true, message + u'.'};
}

Outcome removeReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                      Removal *removal)
{
    bool missing = false;
    QDate heir;
    QString problem;
    QString gone;
    const bool done = Database::inTransaction(db, [&] {
        std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
        if (!days)
            return false;
        const auto removed = days->constFind(date);
        missing = removed == days->cend();
        if (missing)
            return false;
        // A new meter's first reading gone, its next is the new meter's first.
        const auto next = std::next(removed);
        const bool moveMark = removed->newSeries && next != days->cend() && !next->newSeries;
        heir = moveMark ? next->date : QDate();
        gone = shortReading(*removed, meter);
        days->erase(removed);
        if (moveMark)
            (*days)[heir].newSeries = true;
        problem = seriesProblem(*days, meter);
        return problem.isEmpty() && (!removal || keepRemoved(db, meter, date, removal)) &&
               Database::run(db,
                             QStringLiteral("DELETE FROM MeterReading WHERE meter=? AND "
                                            "readingDate=?"),
                             {meter, isoDay(date)})
                   .isActive() &&
               (!heir.isValid() ||
                Database::run(db,
                              QStringLiteral("UPDATE MeterReading SET newSeries=1 WHERE "
                                             "meter=? AND readingDate=?"),
                              {meter, isoDay(heir)})
                    .isActive());
    });
    if (missing)
        return {false, QStringLiteral("There is no reading of %1 to remove.").arg(dayText(date))};
    if (!problem.isEmpty())
        return {false, QStringLiteral("Not removed: without it, ") + problem};
    if (!done)
        return {false, notDone(QStringLiteral("Not removed"))};
    if (removal)
        removal->heir = heir;
    QString message = QStringLiteral("Removed: %1.").arg(gone);
    if (heir.isValid())
        message +=
            QStringLiteral(" The reading of %1 is now the new meter's first.").arg(dayText(heir));
    return {true, message};
}

Outcome restoreReading(const QSqlDatabase &db, const Removal &removal)
{
    Outcome outcome{false, QString()};
    Reading back;
    back.date = removal.date;
    back.newSeries = removal.newSeries;
    readStored(back, removal.stored);
    // Checked and written in one transaction: nothing stored meanwhile is
    // overwritten.
    const bool done = Database::inTransaction(db, [&] {
        std::optional<QMap<QDate, Reading>> days = byDay(db, removal.meter);
        if (!days)
            return false;
        if (const auto now = days->constFind(removal.date); now != days->cend()) {
            outcome.message = QStringLiteral("Not put back: %1 has a reading again, %2 %3.")
                                  .arg(shortDay(now->date), now->plain, unit(removal.meter));
            return false;
        }
        days->insert(back.date, back);
        const auto heir = days->find(removal.heir);
        const bool takeMark = heir != days->end() && heir->newSeries;
        if (takeMark)
            heir->newSeries = false;
        const QString problem = seriesProblem(*days, removal.meter);
        if (!problem.isEmpty()) {
            outcome.message = QStringLiteral("Not put back: ") + problem;
            return false;
        }
        return Database::run(
                   db, storeSql,
                   {removal.meter, isoDay(back.date), removal.stored, int(back.newSeries)})
                   .isActive() &&
               (!takeMark ||
                Database::run(db,
                              QStringLiteral("UPDATE MeterReading SET newSeries=0 WHERE "
                                             "meter=? AND readingDate=?"),
                              {removal.meter, isoDay(removal.heir)})
                    .isActive());
    });
    if (done)
        outcome = {true, QStringLiteral("Put back: %1.").arg(shortReading(back, removal.meter))};
    else if (outcome.message.isEmpty())
        outcome.message = notStored();
    return outcome;
}

ReadingsFile readReadingsFile(const QByteArray &bytes, const QString &meter, const QDate &today)
{
    ReadingsFile file;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) // the byte order mark spreadsheets write
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    static const QRegularExpression digit(QStringLiteral("\\d"));
    QChar separator;
    QList<TypedNumber::Writing> writings;
    const auto bad = [&file](int line, const QString &why) {
        file.error = QStringLiteral("line %1 %2").arg(QString::number(line), why);
        file.rows.clear();
        return file;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        if (separator.isNull()) {
            // The first line tells how the file is written; a header has no digit.
            separator = line.contains(u'\t') ? u'\t' : line.contains(u';') ? u';' : u',';
            writings = separator == u',' ? QList<TypedNumber::Writing>{plainWriting}
                                         : QList<TypedNumber::Writing>{{u'.', u','}, {u',', u'.'}};
            if (!line.contains(digit))
                continue;
        }
        const QStringList fields = line.split(separator);
        const bool exported = fields.size() == 4;
        if (fields.size() != 2 && !exported)
            return bad(i + 1, QStringLiteral("does not have the two fields date and reading"));
        FileRow row;
        row.line = i + 1;
        if (exported) {
            const QString rowMeter = fieldText(fields.at(0));
            const QString mark = fieldText(fields.at(3));
            if (rowMeter != electricityMeter && rowMeter != waterMeter)
                return bad(i + 1, QStringLiteral("does not start with the meter, electricity "
                                                 "or water"));
            if (mark != QLatin1String("yes") && mark != QLatin1String("no"))
                return bad(i + 1, QStringLiteral("does not end with yes or no for a new meter"));
            if (rowMeter != meter)
                continue;
            row.markGiven = true;
            row.reading.newSeries = mark == QLatin1String("yes");
        }
        const QString dateText = fieldText(fields.at(exported ? 1 : 0));
        row.reading.date = isoDate(dateText);
        if (!row.reading.date.isValid())
            return bad(i + 1, QStringLiteral("does not have a date written as 2026-12-07"));
        if (row.reading.date > today)
            return bad(i + 1, QStringLiteral("is for a day after today"));
        if (row.reading.date < firstReadingDay)
            return bad(i + 1, QStringLiteral("is for a day before %1").arg(firstReadingDay.year()));
        const TypedNumber::Number number =
            TypedNumber::amongWritings(fieldText(fields.at(exported ? 2 : 1)), writings);
        if (!number.readings.isEmpty())
            return bad(i + 1, QStringLiteral("has a reading that could be %1; write it without "
                                             "the grouping mark")
                                  .arg(number.readings));
        if (!number.ok || number.value < 0 || number.value > maximumReading)
            return bad(i + 1, QStringLiteral("does not have a reading from 0 to %1")
                                  .arg(readingText(maximumReading)));
        row.reading.value = number.value;
        row.reading.plain = number.plain;
        file.rows.append(row);
    }
    return file;
}

namespace {

// Stores the readings of file in place of the stored ones of their days,
// inside the caller's write transaction (see importRows); stored when they
// were. A read or write that failed gives no message.
Outcome replaceRows(const QSqlDatabase &db, const QString &meter, const ReadingsFile &file,
                    bool replace, const QStringList *asked, QStringList *clashesAsked)
{
    std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
    if (!days)
        return {false, QString()};
    // The days the file would change or has twice, named before anything is
    // replaced.
    QStringList clashes;
    QMap<QDate, int> lineOf;
    int replaced = 0;
    for (const FileRow &row : file.rows) {
        const auto stored = days->constFind(row.reading.date);
        if (lineOf.contains(row.reading.date)) {
            clashes.append(QStringLiteral("%1 is on lines %2 and %3")
                               .arg(isoDay(row.reading.date),
                                    QString::number(lineOf.value(row.reading.date)),
                                    QString::number(row.line)));
        } else if (stored != days->cend() &&
                   (stored->value != row.reading.value ||
                    (row.markGiven && stored->newSeries != row.reading.newSeries))) {
            clashes.append(QStringLiteral("%1 is stored as %2, the file has %3")
                               .arg(isoDay(row.reading.date), stored->plain, row.reading.plain));
            ++replaced;
        }
        lineOf.insert(row.reading.date, row.line);
    }
    if (clashesAsked)
        *clashesAsked = clashes;
    const bool agreed =
        replace &&
        (!asked || std::all_of(clashes.cbegin(), clashes.cend(),
                               [asked](const QString &c) { return asked->contains(c); }));
    if (!clashes.isEmpty() && !agreed) {
        constexpr int named = 2;
        QString which = clashes.mid(0, named).join(QStringLiteral("; "));
        if (clashes.size() > named)
            which += QStringLiteral("; and %1 more").arg(clashes.size() - named);
        Outcome ask{false, QStringLiteral("%1Not imported yet: %2. \"Go ahead\" stores the file's "
                                          "readings in their place.")
                               .arg(replace ? QStringLiteral("The stored readings changed since "
                                                             "you were asked. ")
                                            : QString(),
                                    which)};
        ask.askToReplace = true;
        return ask;
    }
    QMap<QDate, Reading> fromFile;
    for (const FileRow &row : file.rows) {
        Reading reading = row.reading;
        // A file that does not say keeps the mark the household set.
        if (!row.markGiven)
            reading.newSeries = days->value(reading.date).newSeries;
        fromFile.insert(reading.date, reading);
        days->insert(reading.date, reading);
    }
    // A reading lower than the one before it: the file's line of it or, when
    // it is a stored one, the file's line of the one before.
    const QList<Reading> oldestFirst = days->values();
    if (const std::optional<qsizetype> descent = firstDescent(oldestFirst)) {
        const Reading &later = oldestFirst.at(*descent);
        const Reading &earlier = oldestFirst.at(*descent - 1);
        const int line = lineOf.value(later.date, lineOf.value(earlier.date));
        return badLine(line, QStringLiteral("has %1 %2 for %3, lower than the %4 of %5")
                                 .arg(later.plain, unit(meter), dayText(later.date), earlier.plain,
                                      dayText(earlier.date)));
    }
    for (const Reading &reading : std::as_const(fromFile)) {
        if (!store(db, meter, reading))
            return {false, QString()};
    }
    QString message = QStringLiteral("Imported %1 readings").arg(fromFile.size());
    if (replaced > 0)
        message += QStringLiteral(", %1 of them in place of stored ones").arg(replaced);
    return {true, message + u'.'};
}

} // namespace

Outcome importReadings(const QSqlDatabase &db, const QString &meter, const QByteArray &csv,
                       const QDate &today, bool replace)
{
    return importRows(db, meter, readReadingsFile(csv, meter, today), replace);
}

Outcome importRows(const QSqlDatabase &db, const QString &meter, const ReadingsFile &file,
                   bool replace, const QStringList *asked, QStringList *clashesAsked)
{
    if (!file.error.isEmpty())
        return {false, QStringLiteral("Nothing was imported: %1.").arg(file.error)};
    if (file.rows.isEmpty())
        return {false, QStringLiteral("Nothing was imported: the file has no readings of the "
                                      "%1 meter.")
                           .arg(meter)};

    // The stored readings are read and compared inside the write transaction.
    Outcome outcome;
    const bool stored = Database::inTransaction(db, [&] {
        outcome = replaceRows(db, meter, file, replace, asked, clashesAsked);
        return outcome.stored;
    });
    if (!stored && (outcome.stored || outcome.message.isEmpty()))
        return {false, notStored()};
    return outcome;
}

QByteArray readingsCsv(const QSqlDatabase &db, bool *ok)
{
    QByteArray csv = "meter,date,reading,new series\r\n";
    bool read = true;
    for (const QString &meter : {electricityMeter, waterMeter}) {
        const std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
        read = read && days.has_value();
        for (const Reading &reading : days.value_or(QMap<QDate, Reading>()))
            csv += QStringLiteral("%1,%2,%3,%4\r\n")
                       .arg(meter, isoDay(reading.date), reading.plain,
                            reading.newSeries ? QStringLiteral("yes") : QStringLiteral("no"))
                       .toUtf8();
    }
    if (ok)
        *ok = read;
    return csv;
}

} // namespace MeterLogic
