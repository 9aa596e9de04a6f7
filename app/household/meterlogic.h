// The household's meter readings, apart from any widget: the electricity
// meter in kWh and the water meter in cubic metres, read from time to time
// and kept beside the diary's estimate.
//
// Readings live in MeterReading(meter, readingDate, reading, newSeries): one
// row per meter and day, the day as an ISO date ("2026-12-07", so that rows
// sort by day). reading is the figure as the household typed it, in plain
// decimal text (TypedNumber's plain: "1000.0" stays "1000.0", "1.234,5" typed
// in German is "1234.5"; never grouped, never an exponent). Rows written before
// that kept the shortest text of the number ("3e+05"): they are read as the
// number and shown in plain decimals ("300000").
// newSeries is 1 on the first reading of a meter that replaced an older one.
// The series rules: a series runs from a reading with the mark (or the
// meter's first) to the reading before the next mark; within a series a
// reading is never lower than the one before it, and use is only counted
// within one series. Every change (a reading typed or corrected, removed, put
// back or imported) keeps them, or is refused with nothing stored.
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace MeterLogic {

// The two meters, as stored in MeterReading.meter.
inline const QString electricityMeter = QStringLiteral("electricity");
inline const QString waterMeter = QStringLiteral("water");

// The unit a meter counts in: "kWh", or "m³" for the water meter.
inline QString unit(const QString &meter)
{
    return meter == waterMeter ? QStringLiteral("m³") : QStringLiteral("kWh");
}

// A figure as the pages and the messages write it: plain decimals, the
// shortest digits that read back as value, never an exponent (300000, 0.0005).
QString readingText(double value);

// The highest reading taken: household meters show at most eight digits.
constexpr double maximumReading = 99999999;

// The first day a reading can be for: no household meter was read before.
inline const QDate firstReadingDay = QDate(1900, 1, 1);

struct Reading
{
    QDate date;
    double value = 0;
    QString plain; // the figure as typed, in plain decimal text ("1000.0")
    bool newSeries = false;
};

// The series rules on readings of one meter (or of anything counted up the
// same way, like a plug), oldest first: the index of the first reading lower
// than the one before it in its series (a series starts at the first reading
// and at each one with newSeries); nothing when every series only goes up or
// stays.
std::optional<qsizetype> firstDescent(const QList<Reading> &oldestFirst);

// The readings of meter, newest first; nothing when they could not be read.
std::optional<QList<Reading>> readings(const QSqlDatabase &db, const QString &meter);

// A typed reading: a number with a decimal point, or as locale writes them,
// from 0 to maximumReading, its plain text kept; nothing for anything else.
std::optional<Reading> parseReading(const QString &text, const QLocale &locale = QLocale());

struct Outcome
{
    bool stored = false;
    QString message; // what was stored, or what is wrong, for the page
    // Nothing stored yet: the file would replace stored readings, or has a day
    // twice, which the message names; importing again with replace goes ahead.
    bool askToReplace = false;
};

// Stores reading (as typed) for meter on date, newMeter saying whether it is
// the first reading of a replaced meter, in one transaction. Refused, with a
// message and nothing stored: a date after today or before firstReadingDay, a
// text that is not a reading, or a change that breaks the series rules (the
// message names the two readings). A second reading for the same day
// replaces the first, its mark set or cleared as newMeter says, and the
// message says so.
Outcome saveReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                    const QString &reading, bool newMeter, const QDate &today,
                    const QLocale &locale = QLocale());

// A reading removed, as it was stored, so that it can be put back.
struct Removal
{
    QString meter;
    QDate date;
    QVariant stored; // the reading column as stored: the text as typed
    bool newSeries = false;
    QDate heir; // the reading that took the new meter's mark; invalid for none
};

// Removes meter's reading of date, in one transaction, and says so: "Removed:
// 5 Dec 1200 kWh." (the year added for another year than today's). The first
// reading of a new meter hands its mark to the next reading, when there is
// one without a mark, and the message says so; a removal that would still
// break the series rules is refused, naming the readings. When removed, and
// removal is given, it holds what restoreReading needs to put it back.
Outcome removeReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                      Removal *removal = nullptr);

// Puts a removed reading back as it was stored (its text, day and mark), and
// takes back the mark its removal handed on, in one transaction. Refused,
// with nothing stored, when its day has a reading again or when the series
// rules would break (the message names the readings).
Outcome restoreReading(const QSqlDatabase &db, const Removal &removal);

// A readings file's rows for one meter, in the file's order.
struct FileRow
{
    int line = 0; // from 1
    Reading reading;
    bool markGiven = false; // the file says whether it starts a new meter
};
struct ReadingsFile
{
    QList<FileRow> rows;
    QString error; // the first bad line and why, empty when every line reads
    // The file writes days as 10/11/2022 (or 10-11-2022) and no row settles
    // which of the two is the day: nothing is read (error says so) until
    // the household says the order.
    bool orderOpen = false;
    int skipped = 0; // rows without a value ("", "-", "no use"), left out
    QString column;  // the readings' column as refusals name it: column 2 ("Stand")
    // The file as it starts, for the household to see and choose from: the
    // header's fields (none without a header) and the fields of the first
    // rows, as written; the columns read (from 0; -1 before they are found).
    QStringList header;
    QList<QStringList> firstRows;
    qsizetype dateColumn = -1;
    qsizetype readingColumn = -1;
};

// The columns a file's rows are read from, as the household chose them
// (from 0); -1 for the column Viridio finds.
struct FileColumns
{
    qsizetype date = -1;
    qsizetype reading = -1;
};

// How a file's dates as 10/11/2022 or 10-11-2022 are read: as the file's
// own rows settle it (a day over 12), or as the household said.
enum class DayOrder
{
    FromFile,
    DayFirst,
    MonthFirst
};

// Reads a readings file for meter, as utilities, meter apps and loggers
// write them.
// Text: UTF-8 with or without a byte order mark, UTF-16 or UTF-32 with one,
// else Windows-1252. Lines end in CR, LF or CRLF; blank lines are skipped.
// Fields are separated by tabs, semicolons or commas (the one that splits
// the most lines into a date and more), a spreadsheet's quotes taken off.
// The date column is the one most lines have a date in; the first line with
// a date there starts the rows, the line above it is the header and lines
// above that (customer, meter number, address) are skipped. The reading is
// the column whose header names one (reading, Stand, kWh, m3, value...) or
// else the one column beside the date that holds numbers; extra columns
// are left alone. The app's export (meter,date,reading,new series) keeps
// its meter and new-meter columns; rows of the other meter are left out.
// Dates: 2026-12-07 with or without a time of day and offset, 7.12.2026 or
// 7.12.26 (day first), and 12/07/2026 or 07-12-2026 in the order the
// file's rows settle or order says; a day of several rows with times of
// day is read as its last. Readings: with commas, a decimal point (and
// grouping commas); with semicolons or tabs, the decimal comma unless the
// file shows the comma grouping ("1,234.5"); a unit of the meter after
// the number is dropped; a row whose value has no digit ("", "-", "no
// use") is skipped. The first bad line refuses the file, error naming the
// line, the column and what was expected, with the file's own words.
// A column chosen in columns is read in place of the one found.
ReadingsFile readReadingsFile(const QByteArray &bytes, const QString &meter, const QDate &today,
                              DayOrder order = DayOrder::FromFile, FileColumns columns = {});

// Imports a readings file (see readReadingsFile) into meter's readings, in one
// transaction: all of its rows or, with any bad line or any break of the
// series rules, none, the message naming the line and why. A row without a
// mark keeps the mark of the day's stored reading. Without replace, a file
// with a day stored with another reading, or a day twice, stores nothing and
// asks (askToReplace, the days named); with replace the file's last row of a
// day is stored.
Outcome importReadings(const QSqlDatabase &db, const QString &meter, const QByteArray &csv,
                       const QDate &today, bool replace = false);

// Imports a file's rows, read by readReadingsFile, as importReadings does;
// clashes, when given, gets the days asked about. With replace and asked
// (the clashes of an earlier question), stored readings are replaced only
// when every clash is one asked about: a reading stored or changed since is
// never replaced unasked, the question is asked again.
Outcome importRows(const QSqlDatabase &db, const QString &meter, const ReadingsFile &file,
                   bool replace, const QStringList *asked = nullptr,
                   QStringList *clashes = nullptr);

// Both meters' readings as CSV (meter,date,reading,new series), oldest first
// per meter, the readings as typed, CRLF line ends (importReadings reads it
// back); ok says whether they could be read.
QByteArray readingsCsv(const QSqlDatabase &db, bool *ok = nullptr);

} // namespace MeterLogic
