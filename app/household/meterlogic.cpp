#include "household/meterlogic.h"

#include "clock.h"
#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/typednumber.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>

#include <algorithm>

namespace {

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

// The text of a readings file: UTF-8, or UTF-16 or UTF-32 by their byte
// order mark, or else Windows-1252, as spreadsheets on Windows save.
QString fileText(const QByteArray &bytes)
{
    if (const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(bytes))
        return QStringDecoder(*marked).decode(bytes); // the mark itself dropped
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Qt reads Windows-1252 through ICU, as Debian builds it; without ICU,
    // Latin-1 with Windows-1252's own letters and signs from 0x80 to 0x9F.
    QStringDecoder windows("windows-1252");
    if (windows.isValid())
        return windows.decode(bytes);
    static const char16_t windows80[32] = {
        0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
        0x2039, 0x152,  0x8D,   0x17D,  0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    text = QString::fromLatin1(bytes);
    for (QChar &c : text) {
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = QChar(windows80[c.unicode() - 0x80]);
    }
    return text;
}

// The fields of line between separator, blanks around each dropped and a
// spreadsheet's quotes taken off: a quoted separator is the field's own,
// two quotes within quotes are one.
QStringList fieldsOf(const QString &line, QChar separator)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"' && quoted && i + 1 < line.size() && line.at(i + 1) == u'"') {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            fields.append(field.trimmed());
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(field.trimmed());
    return fields;
}

// A date as a file writes it. Written as 10/11/2022 or 10-11-2022, which of
// the first two numbers is the day is left open: the file's rows settle it.
struct FileDate
{
    int year = 0;
    int first = 0; // the day, the month when monthFirst
    int second = 0;
    bool open = false;
    int secondOfDay = -1; // the time of day in seconds; -1 without
};

// The time of day of hours, minutes, seconds and an "a" or "p" of AM/PM
// texts, in seconds; -1 for none, -2 for no time of day.
int timeOfDay(const QString &hours, const QString &minutes, const QString &seconds,
              const QString &half)
{
    if (hours.isEmpty())
        return -1;
    int hour = hours.toInt();
    const int minute = minutes.toInt();
    const int second = seconds.toInt();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return -2;
        hour = hour % 12 + (half.compare(QLatin1String("p"), Qt::CaseInsensitive) == 0 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 60) // 60: a leap second
        return -2;
    return hour * 3600 + minute * 60 + second;
}

// text read as a date (see readReadingsFile), two-digit years as the
// century up to thisYear; nothing when it is none.
std::optional<FileDate> fileDate(const QString &text, int thisYear)
{
    static const QRegularExpression iso(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{1,2}):(\d{2})(?::(\d{2})(?:[.,]\d+)?)?)"
        R"( ?(?:Z|[+-]\d{2}:?\d{2})?)?$)"));
    static const QRegularExpression local(QStringLiteral(
        R"(^(\d{1,2})([./-])(\d{1,2})\2(\d{4}|\d{2})(?:,? +(\d{1,2}):(\d{2})(?::(\d{2}))?)"
        R"((?: ?([AaPp])\.?[Mm]\.?)?)?$)"));
    FileDate date;
    QRegularExpressionMatch match = iso.match(text);
    if (match.hasMatch()) {
        date.year = match.captured(1).toInt();
        date.second = match.captured(2).toInt(); // the month
        date.first = match.captured(3).toInt();
        date.secondOfDay = timeOfDay(match.captured(4), match.captured(5), match.captured(6), {});
    } else if (match = local.match(text); match.hasMatch()) {
        date.first = match.captured(1).toInt();
        date.second = match.captured(3).toInt();
        date.year = match.captured(4).toInt();
        if (match.captured(4).size() == 2)
            date.year += date.year + 2000 > thisYear ? 1900 : 2000;
        date.open = match.captured(2) != QLatin1String(".");
        date.secondOfDay =
            timeOfDay(match.captured(5), match.captured(6), match.captured(7), match.captured(8));
    } else {
        return std::nullopt;
    }
    const bool dayFirst = QDate(date.year, date.second, date.first).isValid();
    const bool monthFirst = date.open && QDate(date.year, date.first, date.second).isValid();
    if ((!dayFirst && !monthFirst) || date.secondOfDay == -2)
        return std::nullopt;
    return date;
}

// The day of date with month first or not.
QDate dayOf(const FileDate &date, bool monthFirst)
{
    return monthFirst && date.open ? QDate(date.year, date.first, date.second)
                                   : QDate(date.year, date.second, date.first);
}

// "column 2 ("Stand")", or "column 2" without a header.
QString columnName(qsizetype column, const QStringList &header)
{
    const QString number = QStringLiteral("column %1").arg(column + 1);
    return column < header.size() && !header.at(column).isEmpty()
               ? QStringLiteral("%1 (\"%2\")").arg(number, header.at(column))
               : number;
}

// "line 4, column 2 ("Stand"): expected a reading from 0 to 99999999, found "1x9""
QString refusal(int line, const QString &column, const QString &expected, const QString &found)
{
    return QStringLiteral("line %1, %2: expected %3, found %4")
        .arg(QString::number(line), column, expected,
             found.isEmpty() ? QStringLiteral("nothing") : u'"' + found + u'"');
}

// A header's word for a column of use or money, never of readings:
// "Usage (kWh)", "Verbrauch", "Cost".
bool namesUse(const QString &word)
{
    static const QRegularExpression words(
        QStringLiteral("usage|\\buse\\b|consum|verbrauch|cost|price|amount|kosten|betrag"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(word).hasMatch();
}

// A header's word for a column of readings: "Zählerstand", "Import T1 kWh",
// "reading1", "Value".
bool namesReadings(const QString &word)
{
    static const QRegularExpression words(
        QStringLiteral("reading|stand|index|value|wert|counter|register|kwh|m3|m³"),
        QRegularExpression::CaseInsensitiveOption);
    return !namesUse(word) && words.match(word).hasMatch();
}

// A reading's number and the unit after it ("12,3 kWh" is "12,3" and
// "kWh"); text and no unit when none of the meters' follows.
std::pair<QString, QString> numberAndUnit(const QString &text)
{
    static const QRegularExpression unit(QStringLiteral("^(.*\\d)\\s*(kwh|m3|m³|cbm)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = unit.match(text);
    return match.hasMatch() ? std::pair(match.captured(1), match.captured(2))
                            : std::pair(text, QString());
}

// A reading without the meter's unit after it; as it is with another unit.
QString withoutUnit(const QString &text, const QString &meter)
{
    const auto [number, unit] = numberAndUnit(text);
    const bool kWh = unit.compare(QLatin1String("kwh"), Qt::CaseInsensitive) == 0;
    return unit.isEmpty() || kWh != (meter == MeterLogic::electricityMeter) ? text : number;
}

// A value that tells nothing: no digit in it ("", "-", "no use", "n/a").
bool noValue(const QString &text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

// The ways a file's readings are written, as the file itself shows them:
// with commas, a decimal point and grouping commas; with semicolons or tabs,
// the decimal comma unless a reading shows the comma grouping ("1,234.5",
// "1,234,567"), and a decimal point only in a file without commas that
// shows it ("100.5"). Where the file leaves it open ("1.500" alone), both,
// and a reading they read differently is refused.
QList<TypedNumber::Writing> writingsOf(const QStringList &readings, QChar separator)
{
    const TypedNumber::Writing pointFirst{u'.', u','};
    const TypedNumber::Writing commaFirst{u',', u'.'};
    if (separator == u',')
        return {pointFirst};
    bool commaGroups = false;
    bool pointGroups = false;
    bool comma = false;
    bool point = false;
    for (const QString &text : readings) {
        const qsizetype commas = text.count(u',');
        const qsizetype points = text.count(u'.');
        const qsizetype lastComma = text.lastIndexOf(u',');
        const qsizetype lastPoint = text.lastIndexOf(u'.');
        commaGroups =
            commaGroups || commas > 1 || (commas > 0 && points > 0 && lastComma < lastPoint);
        pointGroups =
            pointGroups || points > 1 || (commas > 0 && points > 0 && lastPoint < lastComma);
        comma = comma || commas > 0;
        point = point || (points == 1 && commas == 0 && text.size() - lastPoint - 1 != 3);
    }
    if (commaGroups != pointGroups)
        return {commaGroups ? pointFirst : commaFirst};
    if (!commaGroups && comma)
        return {commaFirst};
    if (!commaGroups && point)
        return {{u'.', QChar()}};
    return {pointFirst, commaFirst};
}

// A field of fields, or nothing past its end.
QString fieldAt(const QStringList &fields, qsizetype column)
{
    return column >= 0 && column < fields.size() ? fields.at(column) : QString();
}

// The date in column of a line's fields, when it has another field beside.
std::optional<FileDate> datedAt(const QStringList &fields, qsizetype column, int thisYear)
{
    return fields.size() >= 2 ? fileDate(fieldAt(fields, column), thisYear) : std::nullopt;
}

// How a file lays out its rows.
struct Layout
{
    QChar separator;          // none when no line has a date
    qsizetype dateColumn = 0; // from 0
    qsizetype first = 0;      // the index of the first line of rows
    int headerLine = 0;       // the header's line, from 1; 0 for none
};

// The separator and the date column that give the file's first lines the
// most dates beside other fields, or the date column chosen (-1 for none);
// the first line with a date there starts the rows, the one above it is the
// header. Without a date, first is the lines' size and headerLine the last
// non-blank line.
Layout layoutOf(const QStringList &lines, int thisYear, qsizetype chosenDate)
{
    constexpr int sampled = 200;
    Layout layout;
    int mostDated = 0;
    for (const QChar candidate : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        QMap<qsizetype, int> datedIn; // lines by the column of their first date
        for (qsizetype i = 0, seen = 0; i < lines.size() && seen < sampled; ++i) {
            if (lines.at(i).trimmed().isEmpty())
                continue;
            ++seen;
            const QStringList fields = fieldsOf(lines.at(i), candidate);
            for (qsizetype column = 0; column < fields.size(); ++column) {
                if (datedAt(fields, column, thisYear)) {
                    ++datedIn[column];
                    break;
                }
            }
        }
        for (auto column = datedIn.cbegin(); column != datedIn.cend(); ++column) {
            if (column.value() > mostDated) {
                mostDated = column.value();
                layout.separator = candidate;
                layout.dateColumn = column.key();
            }
        }
    }
    if (chosenDate >= 0)
        layout.dateColumn = chosenDate;
    for (; layout.first < lines.size(); ++layout.first) {
        const QString &line = lines.at(layout.first);
        if (line.trimmed().isEmpty())
            continue;
        if (!layout.separator.isNull() &&
            datedAt(fieldsOf(line, layout.separator), layout.dateColumn, thisYear))
            break;
        layout.headerLine = int(layout.first) + 1;
    }
    return layout;
}

// The one column of lines' rows (up to 20 looked at) beside the date that
// holds numbers and nothing else, among among (every column for none), a
// column the header names as use or money left out;
// nothing, with why naming the columns found, when there is not one.
std::optional<qsizetype> numbersColumn(const QStringList &lines, const Layout &layout,
                                       const QStringList &header, const QList<qsizetype> &among,
                                       int thisYear, QString *why)
{
    constexpr int looked = 20;
    QList<QStringList> rows;
    qsizetype columns = header.size();
    for (qsizetype i = layout.first; i < lines.size() && rows.size() < looked; ++i) {
        const QStringList fields = fieldsOf(lines.at(i), layout.separator);
        if (datedAt(fields, layout.dateColumn, thisYear)) {
            rows.append(fields);
            columns = std::max(columns, fields.size());
        }
    }
    QList<qsizetype> numbered;
    QStringList found;
    for (qsizetype column = 0; column < columns; ++column) {
        if (column == layout.dateColumn || (!among.isEmpty() && !among.contains(column)) ||
            namesUse(fieldAt(header, column)))
            continue;
        bool number = false;
        bool other = false;
        for (const QStringList &fields : std::as_const(rows)) {
            const QString value = numberAndUnit(fieldAt(fields, column)).first;
            if (noValue(value))
                continue;
            const TypedNumber::Number read =
                TypedNumber::amongWritings(value, {{u'.', u','}, {u',', u'.'}});
            if (read.ok || !read.readings.isEmpty())
                number = true;
            else
                other = true;
        }
        if (number && !other) {
            numbered.append(column);
            found.append(columnName(column, header));
        }
    }
    if (numbered.size() == 1)
        return numbered.constFirst();
    *why =
        QStringLiteral("line %1: expected one column of readings beside the date, found %2")
            .arg(QString::number(layout.headerLine > 0 ? layout.headerLine : int(layout.first) + 1),
                 found.isEmpty() ? QStringLiteral("none") : found.join(QStringLiteral(" and ")));
    return std::nullopt;
}

// A row of a file as written, before its numbers are read.
struct WrittenRow
{
    int line = 0;
    FileDate date;
    QString dateText;
    QString reading; // without the meter's unit
    bool markGiven = false;
    bool newSeries = false;
};

// Whether rows write their open dates (10/11/2022) month first, as a day
// over 12 in one of them settles; nothing, with why naming the line in
// column, when two rows settle it both ways or none does (open then set).
std::optional<bool> monthFirstOf(const QList<WrittenRow> &rows, const QString &column, QString *why,
                                 bool *open)
{
    const WrittenRow *dayOver12 = nullptr;
    const WrittenRow *monthOver12 = nullptr;
    const WrittenRow *either = nullptr;
    for (const WrittenRow &row : rows) {
        if (!row.date.open)
            continue;
        if (row.date.first > 12 && !dayOver12)
            dayOver12 = &row;
        if (row.date.second > 12 && !monthOver12)
            monthOver12 = &row;
        if (row.date.first != row.date.second && !either)
            either = &row;
    }
    if (dayOver12 && monthOver12) {
        const bool dayLater = dayOver12->line > monthOver12->line;
        const WrittenRow &later = dayLater ? *dayOver12 : *monthOver12;
        *why = refusal(later.line, column,
                       QStringLiteral("the %1 first, as on line %2")
                           .arg(dayLater ? QStringLiteral("month") : QStringLiteral("day"),
                                QString::number((dayLater ? monthOver12 : dayOver12)->line)),
                       later.dateText);
        return std::nullopt;
    }
    if (!dayOver12 && !monthOver12 && either) {
        *open = true;
        *why = QStringLiteral("line %1, %2: the order of day and month cannot be told: \"%3\" "
                              "could be %4 or %5, and no row has a day over 12")
                   .arg(QString::number(either->line), column, either->dateText,
                        dayText(dayOf(either->date, false)), dayText(dayOf(either->date, true)));
        return std::nullopt;
    }
    return monthOver12 != nullptr;
}

// rows without those of a day that has a later time of day (times, in
// seconds, -1 for none): a day's reading is its last.
QList<MeterLogic::FileRow> lastOfEachDay(const QList<MeterLogic::FileRow> &rows,
                                         const QList<int> &times)
{
    QHash<QDate, qsizetype> lastOfDay;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const auto last = lastOfDay.constFind(rows.at(i).reading.date);
        if (times.at(i) >= 0 && (last == lastOfDay.cend() || times.at(*last) <= times.at(i)))
            lastOfDay.insert(rows.at(i).reading.date, i);
    }
    QList<MeterLogic::FileRow> kept;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (times.at(i) < 0 || lastOfDay.value(rows.at(i).reading.date) == i)
            kept.append(rows.at(i));
    }
    return kept;
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

ReadingsFile readReadingsFile(const QByteArray &bytes, const QString &meter, const QDate &today,
                              DayOrder order, FileColumns columns)
{
    ReadingsFile file;
    QString text = fileText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    const int thisYear = today.year();
    const auto bad = [&file](const QString &why) {
        file.error = why;
        file.rows.clear();
        return file;
    };
    const Layout layout = layoutOf(lines, thisYear, columns.date);
    if (layout.first == lines.size()) {
        if (layout.headerLine == 0)
            return file; // nothing but blank lines
        const QString &last = lines.at(layout.headerLine - 1);
        const QChar split = last.contains(u'\t') ? u'\t' : last.contains(u';') ? u';' : u',';
        const QStringList fields = fieldsOf(last, split);
        // A date alone lacks its reading.
        return bad(fileDate(fields.constFirst(), thisYear)
                       ? refusal(layout.headerLine, QStringLiteral("column 2"),
                                 QStringLiteral("a reading beside the date"), fieldAt(fields, 1))
                       : refusal(layout.headerLine, QStringLiteral("column 1"),
                                 QStringLiteral("a date such as 2026-12-07"), fields.constFirst()));
    }
    const QChar separator = layout.separator;
    const QStringList header = layout.headerLine > 0
                                   ? fieldsOf(lines.at(layout.headerLine - 1), separator)
                                   : QStringList();
    const QStringList firstFields = fieldsOf(lines.at(layout.first), separator);
    constexpr int rowsShown = 5;
    file.header = header;
    for (qsizetype i = layout.first; i < lines.size() && file.firstRows.size() < rowsShown; ++i) {
        if (!lines.at(i).trimmed().isEmpty())
            file.firstRows.append(fieldsOf(lines.at(i), separator));
    }
    file.dateColumn = layout.dateColumn;

    // The app's own export, with its meter and new-meter columns.
    const QStringList exportHeader{QStringLiteral("meter"), QStringLiteral("date"),
                                   QStringLiteral("reading"), QStringLiteral("new series")};
    const QStringList meters{electricityMeter, waterMeter};
    const QStringList marks{QStringLiteral("yes"), QStringLiteral("no")};
    const bool exported = layout.dateColumn == 1 &&
                          (header == exportHeader || (header.isEmpty() && firstFields.size() == 4 &&
                                                      meters.contains(firstFields.at(0)) &&
                                                      marks.contains(firstFields.at(3))));
    // The reading: the one column the header names so, or else the one
    // that holds numbers.
    QList<qsizetype> named;
    for (qsizetype column = 0; column < header.size(); ++column) {
        if (column != layout.dateColumn && namesReadings(header.at(column)))
            named.append(column);
    }
    QString why;
    const std::optional<qsizetype> readingColumn =
        columns.reading >= 0 && columns.reading != layout.dateColumn ? columns.reading
        : exported                                                   ? 2
        : named.size() == 1                                          ? named.constFirst()
                            : numbersColumn(lines, layout, header, named, thisYear, &why);
    if (!readingColumn)
        return bad(why);
    file.readingColumn = *readingColumn;
    // A time of day in a column of its own.
    static const QRegularExpression clock(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    qsizetype timeColumn = -1;
    for (qsizetype column = 0; column < firstFields.size() && timeColumn < 0; ++column) {
        if (column != layout.dateColumn && column != *readingColumn &&
            clock.match(firstFields.at(column)).hasMatch())
            timeColumn = column;
    }
    const QString dateName = columnName(layout.dateColumn, header);
    const QString readingName = columnName(*readingColumn, header);
    file.column = readingName;

    // The rows as written, up to the first line that is not one.
    QList<WrittenRow> written;
    QString lineError;
    for (qsizetype i = layout.first; i < lines.size() && lineError.isEmpty(); ++i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        const QStringList fields = fieldsOf(lines.at(i), separator);
        const int line = int(i) + 1;
        WrittenRow row{line, {}, fieldAt(fields, layout.dateColumn), {}, exported, false};
        const std::optional<FileDate> date = datedAt(fields, layout.dateColumn, thisYear);
        if (!date) {
            lineError =
                refusal(line, dateName, QStringLiteral("a date such as 2026-12-07 or 07.12.2026"),
                        row.dateText);
            break;
        }
        row.date = *date;
        if (exported) {
            if (!meters.contains(fieldAt(fields, 0)))
                lineError =
                    refusal(line, columnName(0, header),
                            QStringLiteral("the meter, electricity or water"), fieldAt(fields, 0));
            else if (!marks.contains(fieldAt(fields, 3)))
                lineError =
                    refusal(line, columnName(3, header),
                            QStringLiteral("yes or no for a new meter"), fieldAt(fields, 3));
            if (!lineError.isEmpty() || fieldAt(fields, 0) != meter)
                continue;
            row.newSeries = fieldAt(fields, 3) == QLatin1String("yes");
        }
        row.reading = withoutUnit(fieldAt(fields, *readingColumn), meter);
        if (noValue(row.reading)) {
            ++file.skipped;
            continue;
        }
        if (const QRegularExpressionMatch time = clock.match(fieldAt(fields, timeColumn));
            row.date.secondOfDay < 0 && time.hasMatch())
            row.date.secondOfDay =
                timeOfDay(time.captured(1), time.captured(2), time.captured(3), {});
        written.append(row);
    }

    const std::optional<bool> monthFirst =
        order == DayOrder::FromFile ? monthFirstOf(written, dateName, &why, &file.orderOpen)
                                    : std::optional(order == DayOrder::MonthFirst);
    if (!monthFirst)
        return bad(why);
    // The readings, as the file writes its numbers.
    QStringList readings;
    for (const WrittenRow &row : std::as_const(written))
        readings.append(row.reading);
    const QList<TypedNumber::Writing> writings = writingsOf(readings, separator);
    QList<int> times; // each row's time of day in seconds, -1 for none
    for (const WrittenRow &row : std::as_const(written)) {
        FileRow read;
        read.line = row.line;
        read.markGiven = row.markGiven;
        read.reading.newSeries = row.newSeries;
        read.reading.date = dayOf(row.date, *monthFirst);
        if (!read.reading.date.isValid())
            return bad(refusal(row.line, dateName,
                               *monthFirst
                                   ? QStringLiteral("the month first, as other rows have it")
                                   : QStringLiteral("the day first, as other rows have it"),
                               row.dateText));
        if (read.reading.date > today || read.reading.date < firstReadingDay)
            return bad(refusal(row.line, dateName,
                               QStringLiteral("a day from %1 to today").arg(firstReadingDay.year()),
                               row.dateText));
        const TypedNumber::Number number = TypedNumber::amongWritings(row.reading, writings);
        if (!number.readings.isEmpty())
            return bad(refusal(row.line, readingName,
                               QStringLiteral("a reading the file writes one way"), row.reading) +
                       QStringLiteral(", which could be %1").arg(number.readings));
        if (!number.ok || number.value < 0 || number.value > maximumReading)
            return bad(refusal(row.line, readingName,
                               QStringLiteral("a reading from 0 to %1 %2")
                                   .arg(readingText(maximumReading), unit(meter)),
                               row.reading));
        read.reading.value = number.value;
        read.reading.plain = number.plain;
        file.rows.append(read);
        times.append(row.date.secondOfDay);
    }
    if (!lineError.isEmpty())
        return bad(lineError);
    file.rows = lastOfEachDay(file.rows, times);
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
        const bool laterRead = lineOf.contains(later.date);
        const Reading &read = laterRead ? later : earlier;
        const Reading &other = laterRead ? earlier : later;
        return {false, QStringLiteral("Nothing was imported: line %1, %2: expected a reading of "
                                      "%3 %4 %5 (that of %6), found \"%7\" for %8.")
                           .arg(QString::number(lineOf.value(read.date)),
                                file.column.isEmpty() ? QStringLiteral("the reading") : file.column,
                                laterRead ? QStringLiteral("at least") : QStringLiteral("at most"),
                                other.plain, unit(meter), dayText(other.date), read.plain,
                                dayText(read.date))};
    }
    for (const Reading &reading : std::as_const(fromFile)) {
        if (!store(db, meter, reading))
            return {false, QString()};
    }
    QString message = QStringLiteral("Imported %1 readings").arg(fromFile.size());
    if (replaced > 0)
        message += QStringLiteral(", %1 of them in place of stored ones").arg(replaced);
    if (file.skipped > 0)
        message += QStringLiteral("; %1 rows without a value were left out").arg(file.skipped);
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
