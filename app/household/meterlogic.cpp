#include "household/meterlogic.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/typednumber.h"

#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

using MeterLogic::Reading;

QString isoDay(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("d MMMM yyyy"));
}

using MeterLogic::readingText;
using MeterLogic::unit;

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
    QMap<QDate, Reading> days;
    while (query.next()) {
        Reading reading;
        reading.date = QDate::fromString(query.value(0).toString(), Qt::ISODate);
        reading.value = CalculatorLogic::readNumber(query.value(1));
        reading.newSeries = query.value(2).toInt() != 0;
        if (reading.date.isValid())
            days.insert(reading.date, reading);
    }
    return days;
}

// What is wrong with reading among the others of its meter (which may hold
// a reading of the same day, which it replaces); empty when it fits its series.
QString seriesProblem(const QMap<QDate, Reading> &days, const Reading &reading,
                      const QString &meter)
{
    auto next = days.upperBound(reading.date);
    auto previous = days.lowerBound(reading.date);
    if (!reading.newSeries && previous != days.cbegin()) {
        --previous;
        if (reading.value < previous->value)
            return QStringLiteral("%1 is lower than the reading of %2, %3 %4. If the meter was "
                                  "replaced, tick \"New meter\" and save again.")
                .arg(readingText(reading.value), dayText(previous->date),
                     readingText(previous->value), unit(meter));
    }
    if (next != days.cend() && !next->newSeries && next->value < reading.value)
        return QStringLiteral("%1 is higher than the later reading of %2, %3 %4.")
            .arg(readingText(reading.value), dayText(next->date), readingText(next->value),
                 unit(meter));
    return QString();
}

bool store(const QSqlDatabase &db, const QString &meter, const Reading &reading)
{
    return Database::run(
               db,
               QStringLiteral("INSERT OR REPLACE INTO MeterReading (meter, "
                              "readingDate, reading, newSeries) VALUES (?,?,?,?)"),
               {meter, isoDay(reading.date), readingText(reading.value), int(reading.newSeries)})
        .isActive();
}

// A day's kept answers in a meter's unit: kWh, or cubic metres of the
// family's litres; nothing without answers of that kind.
std::optional<double> diaryUse(const CalculatorLogic::DayUse &day, bool water)
{
    if (water)
        return day.litres ? std::optional(*day.litres / 1000) : std::nullopt;
    return day.kWh;
}

const QString notStored =
    QStringLiteral("Not stored: the data file is busy or cannot be written. Please try again.");

} // namespace

namespace MeterLogic {

QString readingText(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
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

std::optional<double> parseReading(const QString &text, const QLocale &locale)
{
    const TypedNumber::Number number = TypedNumber::typed(text, locale);
    if (!number.ok || number.value < 0 || number.value > maximumReading)
        return std::nullopt;
    return number.value;
}

Outcome saveReading(const QSqlDatabase &db, const QString &meter, const QDate &date,
                    const QString &reading, bool replaced, const QDate &today,
                    const QLocale &locale)
{
    if (!date.isValid() || date > today)
        return {false, QStringLiteral("A reading can only be for today or an earlier day.")};
    const std::optional<double> value = parseReading(reading, locale);
    if (!value)
        return {false, QStringLiteral("Enter the number the meter shows, from 0 to %1, for "
                                      "example %2.")
                           .arg(readingText(maximumReading), locale.toString(1234.5, 'f', 1))};
    const std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
    if (!days)
        return {false, notStored};
    // A reading in place of a new meter's first stays the new meter's first.
    const Reading entry{date, *value, replaced || days->value(date).newSeries};
    const QString problem = seriesProblem(*days, entry, meter);
    if (!problem.isEmpty())
        return {false, problem};
    if (!Database::inTransaction(db, [&] { return store(db, meter, entry); }))
        return {false, notStored};
    const QString what =
        QStringLiteral("%1 %2 on %3").arg(readingText(*value), unit(meter), dayText(date));
    if (days->contains(date))
        return {true, QStringLiteral("Stored %1, in place of the reading of that day.").arg(what)};
    return {true, QStringLiteral("Stored %1.").arg(what)};
}

bool removeReading(const QSqlDatabase &db, const QString &meter, const QDate &date)
{
    QSqlQuery query = Database::run(
        db, QStringLiteral("DELETE FROM MeterReading WHERE meter=? AND readingDate=?"),
        {meter, isoDay(date)});
    return query.isActive() && query.numRowsAffected() > 0;
}

Outcome importReadings(const QSqlDatabase &db, const QString &meter, const QByteArray &csv,
                       const QDate &today)
{
    const QStringList lines = QString::fromUtf8(csv).split(QLatin1Char('\n'));
    struct Row
    {
        int line;
        Reading reading;
    };
    QList<Row> rows;
    const auto badLine = [](int line, const QString &why) {
        return Outcome{false,
                       QStringLiteral("Nothing was imported: line %1 %2.").arg(line).arg(why)};
    };
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        const QDate date =
            fields.size() == 2 ? QDate::fromString(fields.at(0).trimmed(), Qt::ISODate) : QDate();
        const std::optional<double> value =
            fields.size() == 2 ? parseReading(fields.at(1), QLocale::c()) : std::nullopt;
        // A first row that is no reading at all is the file's header.
        if (rows.isEmpty() && i == 0 && !date.isValid() && !value)
            continue;
        if (fields.size() != 2)
            return badLine(i + 1, QStringLiteral("does not have the two fields date,reading"));
        if (!date.isValid())
            return badLine(i + 1,
                           QStringLiteral("does not start with a date written as 2026-12-07"));
        if (date > today)
            return badLine(i + 1, QStringLiteral("is for a day after today"));
        if (!value)
            return badLine(i + 1, QStringLiteral("does not have a reading from 0 to %1")
                                      .arg(readingText(maximumReading)));
        rows.append({i + 1, {date, *value, false}});
    }
    if (rows.isEmpty())
        return {false, QStringLiteral("Nothing was imported: the file has no readings.")};

    std::optional<QMap<QDate, Reading>> days = byDay(db, meter);
    if (!days)
        return {false, notStored};
    // Each row must fit among the stored readings and the file's others: going
    // through the days in order, a reading lower than the one before it is
    // the bad one, or, when that one is stored, the file's row before it.
    QHash<QDate, int> lineOf;
    for (const Row &row : std::as_const(rows)) {
        days->insert(row.reading.date, row.reading);
        lineOf.insert(row.reading.date, row.line);
    }
    for (auto day = days->cbegin(); day != days->cend(); ++day) {
        const auto before = day == days->cbegin() ? days->cend() : std::prev(day);
        if (before == days->cend() || day->newSeries || day->value >= before->value)
            continue;
        const bool fromFile = lineOf.contains(day->date);
        const Reading &bad = fromFile ? *day : *before;
        return badLine(lineOf.value(bad.date),
                       QStringLiteral("has %1 %2 for %3, lower than the %4 of %5")
                           .arg(readingText(day->value), unit(meter), dayText(day->date),
                                readingText(before->value), dayText(before->date)));
    }
    const bool stored = Database::inTransaction(db, [&] {
        return std::all_of(rows.cbegin(), rows.cend(),
                           [&](const Row &row) { return store(db, meter, row.reading); });
    });
    if (!stored)
        return {false, notStored};
    return {true, QStringLiteral("Imported %1 readings.").arg(rows.size())};
}

std::optional<Period> lastPeriod(const QSqlDatabase &db, const QString &meter)
{
    const std::optional<QList<Reading>> stored = readings(db, meter);
    if (!stored)
        return std::nullopt;
    return lastPeriod(db, meter, *stored);
}

std::optional<Period> lastPeriod(const QSqlDatabase &db, const QString &meter,
                                 const QList<Reading> &stored)
{
    if (stored.size() < 2 || stored.at(0).newSeries)
        return std::nullopt;
    Period period;
    period.to = stored.at(0).date;
    period.from = stored.at(1).date;
    period.days = int(period.from.daysTo(period.to));
    period.used = stored.at(0).value - stored.at(1).value;
    period.perDay = period.days > 0 ? period.used / period.days : 0;
    // The diary's days the readings cover.
    QStringList keys;
    for (QDate day = period.from; day < period.to; day = day.addDays(1))
        keys.append(CalculatorLogic::dayKey(day));
    const bool water = meter == waterMeter;
    const std::optional<QHash<QString, CalculatorLogic::DayUse>> usage =
        CalculatorLogic::usageOfDays(db, keys);
    for (const CalculatorLogic::DayUse &day :
         usage.value_or(QHash<QString, CalculatorLogic::DayUse>())) {
        if (const std::optional<double> used = diaryUse(day, water))
            period.diary = period.diary.value_or(0) + *used;
    }
    return period;
}

std::optional<double> explainedShare(const Period &period)
{
    if (!period.diary || period.used <= 0)
        return std::nullopt;
    return *period.diary / period.used * 100;
}

double monthProjection(const Period &period, const QDate &today)
{
    return period.perDay * today.daysInMonth();
}

std::optional<QList<ChartDay>> chartDays(const QSqlDatabase &db, const QString &meter,
                                         const QList<Reading> &stored, const QDate &today, int days)
{
    QList<ChartDay> chart;
    QStringList keys;
    for (int i = days - 1; i >= 0; --i) {
        chart.append({today.addDays(-i), std::nullopt, std::nullopt});
        keys.append(CalculatorLogic::dayKey(chart.constLast().date));
    }
    const QDate first = chart.constFirst().date;
    // Each two readings of one series give their days the same use a day;
    // from the newest back to the two around the chart's first day.
    for (qsizetype i = 0; i + 1 < stored.size() && stored.at(i).date > first; ++i) {
        const Reading &later = stored.at(i);
        const Reading &earlier = stored.at(i + 1);
        if (later.newSeries)
            continue;
        const double perDay = (later.value - earlier.value) / earlier.date.daysTo(later.date);
        for (ChartDay &day : chart) {
            if (day.date >= earlier.date && day.date < later.date)
                day.metered = perDay;
        }
    }
    const std::optional<QHash<QString, CalculatorLogic::DayUse>> usage =
        CalculatorLogic::usageOfDays(db, keys);
    if (!usage)
        return std::nullopt;
    const bool water = meter == waterMeter;
    for (int i = 0; i < chart.size(); ++i) {
        const auto kept = usage->constFind(keys.at(i));
        if (kept != usage->constEnd())
            chart[i].diary = diaryUse(*kept, water);
    }
    return chart;
}

QString periodText(const QString &meter, const Period &period, const QDate &today,
                   std::optional<double> rate, const QString &sign)
{
    // A household's water comes to fractions of a cubic metre a day.
    const int decimals = meter == waterMeter ? 2 : 1;
    const auto amount = [&meter, decimals](double value) {
        return QStringLiteral("%1 %2").arg(QLocale::c().toString(value, 'f', decimals),
                                           unit(meter));
    };
    const auto money = [&rate, &sign](double value) {
        return rate ? QStringLiteral(", ") + CalculatorLogic::moneyText(value * *rate, sign)
                    : QString();
    };
    QString text = QStringLiteral("From %1 to %2 (%3 days) your meter counted %4%5, %6 a day.")
                       .arg(period.from.toString(QStringLiteral("d MMM")), dayText(period.to))
                       .arg(period.days)
                       .arg(amount(period.used), money(period.used), amount(period.perDay));
    if (const std::optional<double> share = explainedShare(period))
        text += QStringLiteral(" Your diary explains %1 % of the %2 your meter counted.")
                    .arg(QLocale::c().toString(*share, 'f', 0), amount(period.used));
    else
        text += QStringLiteral(" Your diary has no answers for those days.");
    const double projected = monthProjection(period, today);
    text += QStringLiteral(" At that rate, %1 comes to %2%3.")
                .arg(today.toString(QStringLiteral("MMMM")), amount(projected), money(projected));
    return text;
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
                       .arg(meter, isoDay(reading.date), readingText(reading.value),
                            reading.newSeries ? QStringLiteral("yes") : QStringLiteral("no"))
                       .toUtf8();
    }
    if (ok)
        *ok = read;
    return csv;
}

} // namespace MeterLogic
