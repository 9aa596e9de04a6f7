// The household's meter readings, apart from any widget: the electricity
// meter in kWh and the water meter in cubic metres, read from time to time
// and kept beside the diary's estimate.
//
// Readings live in MeterReading(meter, readingDate, reading, newSeries): one
// row per meter and day, the day as an ISO date ("2026-12-07", so that rows
// sort by day), the reading as the number typed, written with a decimal point.
// newSeries is 1 on the first reading of a meter that replaced an older one:
// a series never goes down, and use is only counted within one series.
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QSqlDatabase>
#include <QString>

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

// A reading as the pages and the messages write it: every digit it has.
QString readingText(double value);

// The highest reading taken: household meters show at most eight digits.
constexpr double maximumReading = 99999999;

struct Reading
{
    QDate date;
    double value = 0;
    bool newSeries = false;
};

// The readings of meter, newest first; nothing when they could not be read.
std::optional<QList<Reading>> readings(const QSqlDatabase &db, const QString &meter);

// A typed reading: a number with a decimal point, or the locale's decimal
// mark, from 0 to maximumReading; nothing for anything else.
std::optional<double> parseReading(const QString &text, const QLocale &locale = QLocale());

struct Outcome
{
    bool stored = false;
    QString message; // what was stored, or what is wrong, for the page
};

// Stores reading (as typed) for meter on date, in one transaction. Refused,
// with a message and nothing stored: a date after today, a text that is not a
// reading, or a reading lower than the one before it (or higher than the one
// after it) in its series, unless replaced says the meter was replaced on that
// day, which starts a new series there. A second reading for the same day
// replaces the first, and the message says so.
Outcome saveReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                    const QString &reading, bool replaced, const QDate &today,
                    const QLocale &locale = QLocale());

// Removes meter's reading of date; whether a row was removed.
bool removeReading(const QSqlDatabase &db, const QString &meter, const QDate &date);

// Reads a CSV of "date,reading" rows (ISO dates, a decimal point; a first row
// that is not a reading is taken for a header) into meter's readings, in one
// transaction. A file with any bad row (not two fields, a date that is not a
// day or after today, a reading that is not one, a reading lower than the one
// before it) stores nothing, and the message names the first bad line and why.
Outcome importReadings(const QSqlDatabase &db, const QString &meter, const QByteArray &csv,
                       const QDate &today);

// Both meters' readings as CSV (meter,date,reading,new series), oldest first
// per meter, CRLF line ends; ok says whether they could be read.
QByteArray readingsCsv(const QSqlDatabase &db, bool *ok = nullptr);

} // namespace MeterLogic
