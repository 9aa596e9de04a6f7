#include "meters/meterslogic.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/plugreadings.h"
#include "household/settingslogic.h"
#include "household/typednumber.h"

#include <QDir>
#include <QFile>

#include <QHash>
#include <QLocale>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using MeterLogic::unit;
using MeterLogic::waterMeter;

// The share of the meter above which the diary is said to be too high, in
// percent.
constexpr double overExplained = 100;

// A day's kept answers in a meter's unit: kWh, or cubic metres of the
// family's litres; nothing without answers of that kind.
std::optional<double> diaryUse(const CalculatorLogic::DayUse &day, bool water)
{
    if (water)
        return day.litres ? std::optional(*day.litres / 1000) : std::nullopt;
    return day.kWh;
}

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("d MMMM yyyy"));
}

} // namespace

namespace MetersLogic {

std::optional<Period> lastPeriod(const QSqlDatabase &db, const QString &meter)
{
    const std::optional<QList<Reading>> stored = MeterLogic::readings(db, meter);
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
    for (int i = 0; i < keys.size(); ++i) {
        const auto day = usage ? usage->constFind(keys.at(i))
                               : QHash<QString, CalculatorLogic::DayUse>::const_iterator();
        const std::optional<double> used =
            usage && day != usage->constEnd() ? diaryUse(*day, water) : std::nullopt;
        if (used)
            period.diary = period.diary.value_or(0) + *used;
        else
            period.missing.append(period.from.addDays(i));
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
                   std::optional<double> rate, const QString &sign, double standing)
{
    // A household's water comes to fractions of a cubic metre a day.
    const int decimals = meter == waterMeter ? 2 : 1;
    const auto amount = [&meter, decimals](double value) {
        return QStringLiteral("%1 %2").arg(QLocale::c().toString(value, 'f', decimals),
                                           unit(meter));
    };
    // No tariff set (0) is no cost, not a cost of nothing.
    const bool priced = rate && *rate > 0;
    const auto money = [&rate, &sign, priced, standing](double value, int days) {
        return priced ? QStringLiteral(", ") +
                            CalculatorLogic::moneyText(value * *rate + standing * days, sign)
                      : QString();
    };
    // The first day's year is said when it is not the last day's.
    const QString from =
        period.from.toString(period.from.year() == period.to.year() ? QStringLiteral("d MMM")
                                                                    : QStringLiteral("d MMM yyyy"));
    QString text =
        QStringLiteral("From %1 to %2 (%3 days) your meter counted %4%5, %6 a day.")
            .arg(from, dayText(period.to), QString::number(period.days), amount(period.used),
                 money(period.used, period.days), amount(period.perDay));
    if (period.used <= 0)
        text += QStringLiteral(" The meter did not move between those two readings.");
    if (const std::optional<double> share = explainedShare(period)) {
        text += QStringLiteral(" Your diary explains %1 % of the %2 your meter counted.")
                    .arg(QLocale::c().toString(*share, 'f', 0), amount(period.used));
        if (*share > overExplained)
            text += QStringLiteral(" That is more than the meter counted: usually hours or "
                                   "watts set too high, or days counted twice.");
    } else if (period.diary) {
        text += QStringLiteral(" Your diary has %1 for those days.").arg(amount(*period.diary));
    } else {
        text += QStringLiteral(" Your diary has no answers for those days.");
    }
    // The diary's days compared, and those among them without answers.
    if (period.days > 0) {
        const QString dayFormat = QStringLiteral("d MMM");
        text +=
            QStringLiteral(" The diary's days compared: %1 to %2")
                .arg(period.from.toString(dayFormat), period.to.addDays(-1).toString(dayFormat));
        constexpr qsizetype named = 5;
        QStringList missing;
        for (qsizetype i = 0; i < qMin(named, period.missing.size()); ++i)
            missing.append(period.missing.at(i).toString(dayFormat));
        if (period.missing.size() > named)
            missing.append(QStringLiteral("%1 more").arg(period.missing.size() - named));
        text +=
            missing.isEmpty()
                ? QStringLiteral(", none without answers.")
                : QStringLiteral("; without answers: %1.").arg(missing.join(QStringLiteral(", ")));
    }
    const double projected = monthProjection(period, today);
    text += QStringLiteral(" At that rate, %1 comes to %2%3.")
                .arg(today.toString(QStringLiteral("MMMM")), amount(projected),
                     money(projected, today.daysInMonth()));
    if (!rate)
        text += QStringLiteral(" No cost is shown: the tariff in Settings cannot be read.");
    else if (!priced)
        text += QStringLiteral(" No cost is shown: no tariff is set in Settings.");
    return text;
}

PageFigures pageFigures(const QString &databaseName, const QString &meter, const QDate &today,
                        int days)
{
    PageFigures figures;
    Database::withOwnConnection(databaseName, [&](QSqlDatabase &db) {
        const std::optional<QList<Reading>> stored = MeterLogic::readings(db, meter);
        if (!stored) {
            figures.summary = QStringLiteral(
                "The readings could not be read: the data file is busy in another program or "
                "cannot be opened. Open this page again in a moment.");
            return;
        }
        const std::optional<Period> period = lastPeriod(db, meter, *stored);
        figures.summary =
            period ? periodText(meter, *period, today, CalculatorLogic::rate(db, meter),
                                SettingsLogic::currency(db),
                                SettingsLogic::standingCharge(db, meter == waterMeter).value_or(0))
                   : QStringLiteral("Enter two readings of this meter under Readings, a few days "
                                    "or weeks apart: this page then says how much it counted, "
                                    "how much of it your diary explains and what the month "
                                    "comes to.");
        // The smart plugs' share of the electricity meter, beside the diary's.
        if (period && meter == MeterLogic::electricityMeter)
            figures.summary +=
                PlugReadings::meterSentence(db, period->from, period->to.addDays(-1), period->used);
        if (days > 0)
            figures.days = chartDays(db, meter, *stored, today, days);
    });
    return figures;
}

std::optional<QByteArray> readRegularFile(const QString &path, QString *why)
{
    // Opened without waiting (a FIFO would wait for a writer), then taken
    // only if it is a regular file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > largestReadingsFile) {
        if (why)
            *why = fd < 0 ? QStringLiteral("it cannot be opened")
                   : !S_ISREG(info.st_mode)
                       ? QStringLiteral("it is not a file")
                       : QStringLiteral("it is larger than a list of readings");
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (why)
            *why = QStringLiteral("it cannot be read");
        return std::nullopt;
    }
    // Read up to its size, and a byte more to see whether it grew meanwhile.
    const QByteArray bytes = file.read(info.st_size + 1);
    if (bytes.size() > info.st_size) {
        if (why)
            *why = QStringLiteral("it changed while it was read");
        return std::nullopt;
    }
    return bytes;
}

ListedReadings listedReadings(const QSqlDatabase &db, const QString &meter)
{
    ListedReadings listed;
    const std::optional<QList<Reading>> readings = MeterLogic::readings(db, meter);
    listed.read = readings.has_value();
    const QString unitText = unit(meter);
    for (const Reading &reading : readings.value_or(QList<Reading>())) {
        QString text = QStringLiteral("%1   %2 %3")
                           .arg(reading.date.toString(QStringLiteral("ddd d MMM yyyy")),
                                TypedNumber::shown(reading.plain), unitText);
        if (reading.newSeries)
            text += QStringLiteral("   (new meter)");
        listed.rows.append(text);
        listed.days.append({reading.date, reading.newSeries});
    }
    return listed;
}

QString unreadable(const QString &path, const QString &why)
{
    return QStringLiteral("Nothing was imported: %1 cannot be read as a list of readings: %2.")
        .arg(QDir::toNativeSeparators(path), why);
}

ChosenFile readChosenFile(const QString &path, const QString &meter, const QDate &today)
{
    ChosenFile chosen;
    chosen.path = path;
    chosen.meter = meter;
    chosen.bytes = readRegularFile(path, &chosen.why);
    if (chosen.bytes)
        chosen.file = MeterLogic::readReadingsFile(*chosen.bytes, meter, today);
    return chosen;
}

ChosenFile readAgain(ChosenFile chosen, const QDate &today, MeterLogic::DayOrder order,
                     MeterLogic::FileColumns columns)
{
    chosen.order = order;
    chosen.columns = columns;
    if (chosen.bytes)
        chosen.file =
            MeterLogic::readReadingsFile(*chosen.bytes, chosen.meter, today, order, columns);
    return chosen;
}

ImportResult importRead(const QString &databaseName, const QString &meter,
                        const MeterLogic::ReadingsFile &file)
{
    ImportResult result;
    result.meter = meter;
    result.file = file;
    Database::withOwnConnection(
        databaseName,
        [&](QSqlDatabase &db) {
            result.outcome =
                MeterLogic::importRows(db, meter, result.file, false, nullptr, &result.clashes);
            result.listed = listedReadings(db, meter);
        },
        true);
    return result;
}

ImportResult importFile(const QString &databaseName, const QString &meter, const QString &path,
                        const QDate &today)
{
    const ChosenFile chosen = readChosenFile(path, meter, today);
    if (chosen.bytes)
        return importRead(databaseName, meter, chosen.file);
    ImportResult result;
    result.meter = meter;
    Database::withOwnConnection(
        databaseName, [&](QSqlDatabase &db) { result.listed = listedReadings(db, meter); }, true);
    result.outcome = {false, unreadable(path, chosen.why)};
    return result;
}

ImportResult importAsked(const QString &databaseName, const ImportResult &question)
{
    ImportResult result;
    result.meter = question.meter;
    result.file = question.file;
    Database::withOwnConnection(
        databaseName,
        [&](QSqlDatabase &db) {
            result.outcome = MeterLogic::importRows(db, question.meter, question.file, true,
                                                    &question.clashes, &result.clashes);
            result.listed = listedReadings(db, question.meter);
        },
        true);
    return result;
}

} // namespace MetersLogic
