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

// What the last two readings of a meter's latest series tell.
struct Period
{
    QDate from; // the earlier reading's day
    QDate to;   // the later reading's day
    int days = 0;
    double used = 0;   // kWh, or cubic metres
    double perDay = 0; // used / days
    // The diary's own estimate for the days the readings cover (from, to
    // included, to not), in the meter's unit: kWh, or cubic metres of the
    // family's litres; nothing when no day of them has answers kept.
    std::optional<double> diary;
};

// The period of the last two of stored, meter's readings newest first (as
// readings() gives them), with the diary's figure read from db; nothing with
// fewer than two in the latest series.
std::optional<Period> lastPeriod(const QSqlDatabase &db, const QString &meter,
                                 const QList<Reading> &stored);
// The same with meter's readings read from db; also nothing when they could
// not be read.
std::optional<Period> lastPeriod(const QSqlDatabase &db, const QString &meter);

// The share of the metered use the diary explains, in percent; nothing
// without a diary figure or without use.
std::optional<double> explainedShare(const Period &period);

// The use of the month of today at the period's rate: perDay x the month's days.
double monthProjection(const Period &period, const QDate &today);

// A day of the meters' chart: the diary's use (kWh, or cubic metres of the
// family's litres; nothing for a day without answers of the meter's kind) and
// the meter's use a day over the two readings of one series around it (the
// earlier one's day included, the later one's not; nothing outside them).
struct ChartDay
{
    QDate date;
    std::optional<double> diary;
    std::optional<double> metered;
};

// The days from today - days + 1 to today, oldest first, from stored,
// meter's readings newest first, and the diary's answers in db; nothing when
// the answers could not be read.
std::optional<QList<ChartDay>> chartDays(const QSqlDatabase &db, const QString &meter,
                                         const QList<Reading> &stored, const QDate &today,
                                         int days);

// What the page says of a period, with its cost at rate (nothing when the
// tariff could not be read) and money with sign.
QString periodText(const QString &meter, const Period &period, const QDate &today,
                   std::optional<double> rate, const QString &sign);

// Both meters' readings as CSV (meter,date,reading,new series), oldest first
// per meter, CRLF line ends; ok says whether they could be read.
QByteArray readingsCsv(const QSqlDatabase &db, bool *ok = nullptr);

} // namespace MeterLogic
