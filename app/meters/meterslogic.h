// What a household's meter readings tell, apart from any widget: the use
// between the last two readings of a series beside the diary's estimate of
// those days, the month it comes to, the days of the meters' chart and the
// words the meters' history page says. The readings themselves are the
// household's (household/meterlogic.h); the diary's answers are read through
// CalculatorLogic::usageOfDays.
#pragma once

#include "household/meterlogic.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace MetersLogic {

using MeterLogic::Reading;

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
    // The days the readings cover (from included, to not) without answers of
    // the meter's kind kept in the diary, oldest first; all of them when the
    // answers could not be read.
    QList<QDate> missing;
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

// What the page says of a period, with its cost at rate and money with sign,
// as billed: standing, the standing charge a day, counted on each of its days
// (and of the month it comes to); without a cost, and saying why, when the
// tariff could not be read (nothing) or none is set (0).
QString periodText(const QString &meter, const Period &period, const QDate &today,
                   std::optional<double> rate, const QString &sign, double standing = 0);

// What the meters' history page shows of a meter.
struct PageFigures
{
    QString summary;                     // what the last two readings tell, in words
    std::optional<QList<ChartDay>> days; // the chart's days; nothing when not read
};

// The meters' history page's figures of meter: its readings read on a
// connection of its own to databaseName (so that it may run on any thread),
// the summary, and chartDays days of the chart up to today (none for 0).
PageFigures pageFigures(const QString &databaseName, const QString &meter, const QDate &today,
                        int chartDays);

// The largest readings file imported, in bytes (50 MiB): five years of a
// logger's quarter hours with a few columns fit.
constexpr qint64 largestReadingsFile = qint64(50) << 20;

// The bytes of the regular file at path (no FIFO, device or directory, which
// could hold the thread), up to largestReadingsFile; nothing, with why set,
// for anything else.
std::optional<QByteArray> readRegularFile(const QString &path, QString *why);

// A meter's readings as the meters page lists them, newest first.
struct ListedReadings
{
    bool read = false;                  // whether they could be read
    QStringList rows;                   // "Sun 6 Dec 2026   1312.0 kWh   (new meter)"
    QList<std::pair<QDate, bool>> days; // each row's day and new-meter mark
};

// meter's readings from db as the page lists them.
ListedReadings listedReadings(const QSqlDatabase &db, const QString &meter);

struct ImportResult
{
    MeterLogic::Outcome outcome;
    ListedReadings listed; // the readings after the import
    // What a question (outcome.askToReplace) asked about: the meter, the
    // file's rows as read then and the days named. "Go ahead" imports these
    // rows, never the file read again.
    QString meter;
    MeterLogic::ReadingsFile file;
    QStringList clashes;
};

// Imports the readings file at path into meter's readings
// (MeterLogic::importReadings, without replacing) on a connection of its own
// to databaseName, so that it may run on any thread, and lists the readings
// then.
ImportResult importFile(const QString &databaseName, const QString &meter, const QString &path,
                        const QDate &today);

// A readings file as the import page shows it: its bytes, kept so that a
// choice changed reads them again rather than the file, and its rows as the
// household's choices read them.
struct ChosenFile
{
    QString path;
    QString meter;
    std::optional<QByteArray> bytes; // nothing when the file could not be read
    QString why;                     // why it could not be read
    MeterLogic::DayOrder order = MeterLogic::DayOrder::FromFile;
    MeterLogic::FileColumns columns;
    MeterLogic::ReadingsFile file;
};

// What the page says of a file at path that could not be read, for why.
QString unreadable(const QString &path, const QString &why);

// Reads the file at path for meter (readRegularFile, then
// MeterLogic::readReadingsFile as the file settles everything); may run on
// any thread.
ChosenFile readChosenFile(const QString &path, const QString &meter, const QDate &today);

// chosen's bytes read again with order and columns; may run on any thread.
ChosenFile readAgain(ChosenFile chosen, const QDate &today, MeterLogic::DayOrder order,
                     MeterLogic::FileColumns columns);

// Imports file's rows, as read, into meter's readings (without replacing,
// as importFile does) on a connection of its own to databaseName, and lists
// the readings then.
ImportResult importRead(const QString &databaseName, const QString &meter,
                        const MeterLogic::ReadingsFile &file);

// "Go ahead" on question's rows, the days it asked about replaced
// (MeterLogic::importRows), on a connection of its own to databaseName; a
// reading stored or changed since asks again.
ImportResult importAsked(const QString &databaseName, const ImportResult &question);

} // namespace MetersLogic
