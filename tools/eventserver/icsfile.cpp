#include "icsfile.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>

#include <libical/ical.h>

#include <memory>

namespace IcsFile {

namespace {

// Components deeper than this are refused: none that RFC 5545 defines is
// deeper than 3, and libical frees and we check components recursively.
constexpr int maxDepth = 8;

// At most this many events are gathered: far more than one message holds.
constexpr int maxEvents = 2000;

// A yearly rule with COUNT is counted from its first year, one year at a
// time: at most this many years back, and this many years for the whole file.
constexpr int maxCountedYears = 400;
constexpr int maxYearsInFile = 20000;

// An interval that takes libical's search for a rule's next day past the
// years it looks at (it gives up after the year 20000): each search then
// covers one year.
constexpr short oneYearOnly = 30000;

struct ComponentFree
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
struct IteratorFree
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};

QString text(const char *value)
{
    return QString::fromUtf8(value);
}

// Where content is not UTF-8, naming its first such line; or empty text.
QString encodingProblem(const QByteArray &content)
{
    QStringDecoder whole(QStringDecoder::Utf8);
    (void)QString(whole(content));
    if (!whole.hasError())
        return {};
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder line(QStringDecoder::Utf8);
        (void)QString(line(lines.at(i)));
        if (line.hasError())
            return QStringLiteral("line %1 is not UTF-8 text (Latin-1 or another code page?); "
                                  "save the file as UTF-8")
                .arg(i + 1);
    }
    return QStringLiteral("the file ends inside a UTF-8 character");
}

bool isKnownComponent(const QByteArray &name)
{
    static const QSet<QByteArray> known = {"VCALENDAR", "VEVENT",    "VTODO",
                                           "VJOURNAL",  "VFREEBUSY", "VTIMEZONE",
                                           "VALARM",    "STANDARD",  "DAYLIGHT"};
    return known.contains(name);
}

// Whether RFC 5545 lets a component inner stand in outer (empty: the file
// itself). Components it does not define stand in a VCALENDAR or in one another.
bool allowedInside(const QByteArray &outer, const QByteArray &inner)
{
    if (outer.isEmpty())
        return inner == "VCALENDAR";
    if (outer == "VCALENDAR")
        return inner == "VEVENT" || inner == "VTODO" || inner == "VJOURNAL" ||
               inner == "VFREEBUSY" || inner == "VTIMEZONE" || !isKnownComponent(inner);
    if (outer == "VEVENT" || outer == "VTODO")
        return inner == "VALARM";
    if (outer == "VTIMEZONE")
        return inner == "STANDARD" || inner == "DAYLIGHT";
    return !isKnownComponent(outer) && !isKnownComponent(inner);
}

// The first fault in how content's BEGIN and END lines nest, or empty text:
// an END that closes another component than the last BEGIN, a component
// nested where RFC 5545 does not allow it or deeper than maxDepth, a BEGIN
// without its END. Folded lines are unfolded first.
QString structureProblem(const QByteArray &content)
{
    struct Open
    {
        QByteArray name;
        int line;
    };
    QList<Open> open;
    QString problem;
    const auto check = [&open, &problem](const QByteArray &line, int number) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            return;
        const QByteArray key = line.left(colon).trimmed().toUpper();
        if (key != "BEGIN" && key != "END")
            return;
        const QByteArray name = line.mid(colon + 1).trimmed().toUpper();
        const QByteArray outer = open.isEmpty() ? QByteArray() : open.last().name;
        if (key == "END") {
            if (open.isEmpty())
                problem = QStringLiteral("line %1: END:%2 ends no component")
                              .arg(number)
                              .arg(QString::fromUtf8(name));
            else if (name != outer)
                problem = QStringLiteral("line %1: END:%2 where the %3 of line %4 ends")
                              .arg(number)
                              .arg(QString::fromUtf8(name), QString::fromUtf8(outer))
                              .arg(open.last().line);
            else
                open.removeLast();
            return;
        }
        if (open.size() >= maxDepth)
            problem = QStringLiteral("line %1: components nested more than %2 deep")
                          .arg(number)
                          .arg(maxDepth);
        else if (!allowedInside(outer, name))
            problem = outer.isEmpty() ? QStringLiteral("line %1: a %2 outside a VCALENDAR")
                                            .arg(number)
                                            .arg(QString::fromUtf8(name))
                                      : QStringLiteral("line %1: a %2 inside a %3, which "
                                                       "iCalendar does not allow")
                                            .arg(number)
                                            .arg(QString::fromUtf8(name), QString::fromUtf8(outer));
        else
            open.append({name, number});
    };

    // Only the start of a logical line matters: it is kept short.
    constexpr qsizetype keep = 256;
    QByteArray logical;
    int logicalStart = 0;
    int number = 0;
    for (qsizetype at = 0; at < content.size() && problem.isEmpty();) {
        qsizetype end = content.indexOf('\n', at);
        if (end < 0)
            end = content.size();
        QByteArrayView line(content.constData() + at, end - at);
        at = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(' ') || line.startsWith('\t')) {
            if (logical.size() < keep)
                logical += line.sliced(1).first(qMin(line.size() - 1, keep));
            continue;
        }
        check(logical, logicalStart);
        logical = line.first(qMin(line.size(), keep)).toByteArray();
        logicalStart = number;
    }
    if (problem.isEmpty())
        check(logical, logicalStart);
    if (problem.isEmpty() && !open.isEmpty())
        problem = QStringLiteral("line %1: BEGIN:%2 has no END (is the file cut short?)")
                      .arg(open.last().line)
                      .arg(QString::fromUtf8(open.last().name));
    return problem;
}

// The first fault libical found in component or below it, or empty text.
// The depth is bounded by structureProblem.
QString firstFault(icalcomponent *component)
{
    if (icalproperty *fault = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY))
        return text(icalproperty_get_xlicerror(fault));
    for (icalcomponent *inner = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         inner; inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        QString fault = firstFault(inner);
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString propertyValue(icalcomponent *event, const QByteArray &name)
{
    for (icalproperty *property = icalcomponent_get_first_property(event, ICAL_X_PROPERTY);
         property; property = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        if (name.compare(icalproperty_get_x_name(property), Qt::CaseInsensitive) == 0)
            return text(icalproperty_get_x(property));
    }
    return {};
}

bool isNamedZone(const icaltimetype &t)
{
    return t.zone && !icaltime_is_utc(t);
}

// The date and time of t on the clock of the event's zone, that of its start:
// for a start in a named zone (TZID) that zone, for a start in UTC the
// operator's zone; a date, and a time without zone, as written. Kept as a
// UTC QDateTime only so that no local time rule applies to it.
QDateTime wallTime(icaltimetype t, const icaltimetype &start, const QTimeZone &zone)
{
    if (icaltime_is_date(t))
        return QDateTime(QDate(t.year, t.month, t.day), QTime(0, 0), Qt::UTC);
    if (isNamedZone(start) && t.zone && t.zone != start.zone)
        t = icaltime_convert_to_zone(t, const_cast<icaltimezone *>(start.zone));
    else if (icaltime_is_utc(start) && isNamedZone(t))
        t = icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone());
    QDateTime written(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC);
    if (!icaltime_is_utc(start) || !icaltime_is_utc(t))
        return written;
    const QDateTime there = written.toTimeZone(zone);
    return QDateTime(there.date(), there.time(), Qt::UTC);
}

// Whether day, an occurrence of a rule that starts at start, is one of times
// (EXDATE values or RECURRENCE-IDs): a date matches the day's date, a time the
// same moment.
bool isAmong(const icaltimetype &day, const QList<icaltimetype> &times, const icaltimetype &start,
             const QTimeZone &zone)
{
    for (const icaltimetype &t : times) {
        if (icaltime_is_date(t) || icaltime_is_date(day)) {
            if (wallTime(t, start, zone).date() == wallTime(day, start, zone).date())
                return true;
        } else if ((!t.zone || !day.zone) ? wallTime(t, start, zone) == wallTime(day, start, zone)
                                          : icaltime_compare(t, day) == 0) {
            return true;
        }
    }
    return false;
}

// rule with the parts that default to its start's written out (RFC 5545:
// a yearly rule without BYMONTH, BYWEEKNO, BYYEARDAY, BYMONTHDAY and BYDAY
// repeats the start's month and day, and so on), so that the start can move.
icalrecurrencetype withStartDefaults(icalrecurrencetype rule, const icaltimetype &start)
{
    const auto has = [](const short *parts) {
        return parts[0] != ICAL_RECURRENCE_ARRAY_MAX;
    };
    const bool month = has(rule.by_month);
    const bool week = has(rule.by_week_no);
    const bool yearDay = has(rule.by_year_day);
    const bool monthDay = has(rule.by_month_day);
    const bool weekDay = has(rule.by_day);
    if (!month && !week && !yearDay && !monthDay && !weekDay) {
        rule.by_month[0] = short(start.month);
        rule.by_month[1] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    if (!week && !yearDay && !monthDay && !weekDay) {
        rule.by_month_day[0] = short(start.day);
        rule.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    if (week && !yearDay && !monthDay && !weekDay) {
        rule.by_day[0] = short(icaltime_day_of_week(start));
        rule.by_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    return rule;
}

struct Occurrence
{
    EventFormat::Record record; // without its dates, named as the file names it
    QDate first;
    QDate last;
    QString label; // "the VEVENT "Fair" (UID fair@town)"
    bool repeats = false;
};

class Reader
{
public:
    Reader(int year, const QTimeZone &zone)
        : year(year)
        , zone(zone)
    {}

    EventFile::Result result;
    QList<Occurrence> occurrences;

    // The RECURRENCE-IDs of the file's changed days, by UID: those days of the
    // rule are left to the VEVENTs that change them.
    QHash<QString, QList<icaltimetype>> changedDays;
    QHash<QString, icalcomponent *> repeating; // the VEVENT with the rule, by UID

    bool full() const { return occurrences.size() > maxEvents; }

    void readEvent(icalcomponent *event)
    {
        const QString uid = text(icalcomponent_get_uid(event));
        const bool changesOneDay =
            icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
        QString summary = text(icalcomponent_get_summary(event)).simplified();
        if (summary.isEmpty() && changesOneDay && repeating.contains(uid))
            summary = text(icalcomponent_get_summary(repeating.value(uid))).simplified();
        QString label = QStringLiteral("the VEVENT \"%1\"").arg(summary);
        if (!uid.isEmpty())
            label += QStringLiteral(" (UID %1)").arg(uid);
        const auto leaveOut = [this, &label](const QString &reason) {
            result.leftOut.append(QStringLiteral("%1: left out: %2").arg(label, reason));
        };

        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return leaveOut(QStringLiteral("it is cancelled (STATUS:CANCELLED)"));
        if (summary.isEmpty())
            return leaveOut(QStringLiteral("it has no name (SUMMARY)"));
        if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY))
            return leaveOut(QStringLiteral("it has no start (DTSTART)"));

        const icaltimetype start = icalcomponent_get_dtstart(event);
        const QDateTime first = wallTime(start, start, zone);
        const icaltimetype end = icalcomponent_get_dtend(event);
        const QDateTime last = icaltime_is_null_time(end) ? first : wallTime(end, start, zone);
        // The end is the moment after the event: an all-day event's DTEND is
        // the day after its last, and a timed event that ends at midnight
        // ends on the day before.
        QDate lastDay = last.date();
        if (last.time() == QTime(0, 0) && last > first)
            lastDay = lastDay.addDays(-1);
        if (lastDay < first.date() && last >= first)
            lastDay = first.date(); // an end equal to the start
        const qint64 length = first.date().daysTo(lastDay);

        Occurrence occurrence = {{summary,
                                  text(icalcomponent_get_location(event)).simplified(),
                                  text(icalcomponent_get_description(event)),
                                  propertyValue(event, feeProperty()).simplified(),
                                  {},
                                  {}},
                                 first.date(),
                                 lastDay,
                                 label,
                                 false};
        icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        if (changesOneDay) {
            // A day of a yearly event served, moved within the years served.
            icalcomponent *main = repeating.value(uid);
            icalproperty *mainRule =
                main ? icalcomponent_get_first_property(main, ICAL_RRULE_PROPERTY) : nullptr;
            if (main && (icalcomponent_get_status(main) == ICAL_STATUS_CANCELLED ||
                         icalproperty_get_rrule(mainRule).freq != ICAL_YEARLY_RECURRENCE))
                return leaveOut(QStringLiteral("it changes one day (RECURRENCE-ID) of an event "
                                               "that is left out"));
            if (first.date().year() < year || first.date().year() > year + 1)
                return leaveOut(QStringLiteral("it moves one day (RECURRENCE-ID) of a repeating "
                                               "event outside %1 and %2")
                                    .arg(year)
                                    .arg(year + 1));
        }
        if (!rule || changesOneDay)
            return occurrences.append(occurrence);

        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        if (recurrence.freq != ICAL_YEARLY_RECURRENCE)
            return leaveOut(QStringLiteral("it repeats other than yearly (RRULE:%1); the server "
                                           "serves yearly days only")
                                .arg(text(icalproperty_get_value_as_string(rule))));

        QList<icaltimetype> skipped = changedDays.value(uid);
        for (icalproperty *exdate = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
             exdate; exdate = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY))
            skipped.append(icalproperty_get_datetime_with_component(exdate, event));

        // With COUNT, the days before this year count too.
        int counted = 0;
        const int firstYear = recurrence.count > 0 ? start.year : year;
        if (recurrence.count > 0 && year - start.year > maxCountedYears)
            return leaveOut(QStringLiteral("it counts its days (COUNT) from more than %1 years "
                                           "ago")
                                .arg(maxCountedYears));
        occurrence.repeats = true;
        bool served = false;
        for (int y = qMax(firstYear, start.year); y <= year + 1; ++y) {
            if (++yearsExpanded > maxYearsInFile)
                return leaveOut(QStringLiteral("the file's yearly rules need more work than the "
                                               "server does at start"));
            const int interval = qMax(1, int(recurrence.interval));
            if ((y - start.year) % interval != 0)
                continue;
            for (const icaltimetype &day : daysOfYear(recurrence, start, y)) {
                if (recurrence.count > 0 && ++counted > recurrence.count)
                    break;
                if (y < year || isAmong(day, skipped, start, zone))
                    continue;
                const QDate date = wallTime(day, start, zone).date();
                occurrence.first = date;
                occurrence.last = date.addDays(length);
                occurrences.append(occurrence);
                served = true;
            }
        }
        if (!served)
            leaveOut(QStringLiteral("it repeats yearly but has no day in %1 or %2")
                         .arg(year)
                         .arg(year + 1));
    }

private:
    int year;
    QTimeZone zone;
    int yearsExpanded = 0;

    // The days of rule in year y, from start on and up to its UNTIL. libical
    // searches a rule's first day from its start on, for ever as far as a
    // rule that cannot occur (30 February) goes; from 1 January of y with a
    // huge interval it looks at y alone.
    QList<icaltimetype> daysOfYear(const icalrecurrencetype &rule, const icaltimetype &start,
                                   int y) const
    {
        icalrecurrencetype oneYear = withStartDefaults(rule, start);
        oneYear.interval = oneYearOnly;
        oneYear.count = 0;
        oneYear.until = icaltime_null_time();
        icaltimetype from = start;
        from.year = y;
        from.month = 1;
        from.day = 1;
        QList<icaltimetype> days;
        // The start is the first day, whether the rule gives it or not.
        if (y == start.year)
            days.append(start);
        const std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(
            icalrecur_iterator_new(oneYear, from));
        // A year has 366 days; a rule with BYHOUR gives more, which no
        // message holds.
        for (int step = 0; iterator && step <= maxEvents; ++step) {
            icaltimetype day = icalrecur_iterator_next(iterator.get());
            if (icaltime_is_null_time(day) || day.year != y)
                break;
            day.zone = start.zone;
            if (icaltime_compare(day, start) <= 0)
                continue;
            if (!icaltime_is_null_time(rule.until) &&
                (icaltime_is_date(rule.until)
                     ? QDate(day.year, day.month, day.day) >
                           QDate(rule.until.year, rule.until.month, rule.until.day)
                     : icaltime_compare(day, rule.until) > 0))
                break;
            days.append(day);
        }
        return days;
    }
};

// The name each occurrence is served under: the file's name when it is the
// only event of that name; with the year when the events of that name fall
// in different years ("Earth Hour 2026"), with the date when two fall in one
// year ("Repair Café 14 March 2026"), and numbered should that still repeat.
void nameOccurrences(QList<Occurrence> &occurrences)
{
    QHash<QString, QList<qsizetype>> byName;
    for (qsizetype i = 0; i < occurrences.size(); ++i)
        byName[occurrences.at(i).record.name].append(i);
    const QLocale english(QLocale::English);
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        const QList<qsizetype> &indexes = it.value();
        if (indexes.size() == 1 && !occurrences.at(indexes.first()).repeats)
            continue;
        QSet<int> years;
        for (qsizetype i : indexes)
            years.insert(occurrences.at(i).first.year());
        const bool byYear = years.size() == indexes.size();
        for (qsizetype i : indexes) {
            Occurrence &occurrence = occurrences[i];
            occurrence.record.name = QStringLiteral("%1 %2").arg(
                it.key(), byYear
                              ? QString::number(occurrence.first.year())
                              : english.toString(occurrence.first, QStringLiteral("d MMMM yyyy")));
        }
    }
    QSet<QString> served;
    QHash<QString, int> lastNumber; // of the names numbered so far
    for (Occurrence &occurrence : occurrences) {
        const QString name = occurrence.record.name;
        int &last = lastNumber[name];
        last = qMax(last, 1);
        while (served.contains(occurrence.record.name))
            occurrence.record.name = QStringLiteral("%1 (%2)").arg(name, QString::number(++last));
        served.insert(occurrence.record.name);
    }
}

} // namespace

bool isCalendar(QByteArrayView content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    const QByteArrayView begin("BEGIN:VCALENDAR");
    content = content.trimmed();
    return content.size() >= begin.size() &&
           content.first(begin.size()).compare(begin, Qt::CaseInsensitive) == 0;
}

EventFile::Result parse(const QByteArray &content, int year, const QTimeZone &zone)
{
    EventFile::Result refused;
    // libical reads up to the first NUL: a file holding one would be read in part.
    if (content.contains('\0')) {
        refused.errors.append(QStringLiteral("the file holds a NUL byte; it is not iCalendar "
                                             "text"));
        return refused;
    }
    // libical passes other bytes on, and Qt would show them as U+FFFD.
    const QString encoding = encodingProblem(content);
    if (!encoding.isEmpty()) {
        refused.errors.append(encoding);
        return refused;
    }
    // libical closes whatever END names and drops what it does not expect.
    const QString structure = structureProblem(content);
    if (!structure.isEmpty()) {
        refused.errors.append(QStringLiteral("it is not valid iCalendar: %1").arg(structure));
        return refused;
    }
    const std::unique_ptr<icalcomponent, ComponentFree> root(
        icalparser_parse_string(content.constData()));
    if (!root) {
        refused.errors.append(QStringLiteral("libical could not read it as iCalendar"));
        return refused;
    }
    const QString fault = firstFault(root.get());
    if (!fault.isEmpty()) {
        refused.errors.append(QStringLiteral("it is not valid iCalendar: %1").arg(fault));
        return refused;
    }

    // One calendar, or several one after the other.
    QList<icalcomponent *> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT)
        calendars.append(root.get());
    for (icalcomponent *calendar =
             icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         calendar;
         calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
        calendars.append(calendar);
    if (calendars.isEmpty()) {
        refused.errors.append(QStringLiteral("it holds no VCALENDAR"));
        return refused;
    }
    QList<icalcomponent *> events;
    for (icalcomponent *calendar : std::as_const(calendars)) {
        for (icalcomponent *event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            events.append(event);
    }

    Reader reader(year, zone);
    for (icalcomponent *event : std::as_const(events)) {
        const QString uid = text(icalcomponent_get_uid(event));
        if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            reader.changedDays[uid].append(icalcomponent_get_recurrenceid(event));
        else if (icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY))
            reader.repeating.insert(uid, event);
    }
    for (icalcomponent *event : std::as_const(events)) {
        reader.readEvent(event);
        if (reader.full()) {
            refused.errors.append(QStringLiteral("it gives more than %1 events; far fewer fit "
                                                 "in one message")
                                      .arg(maxEvents));
            return refused;
        }
    }

    nameOccurrences(reader.occurrences);
    EventFile::Checker checker;
    const QString pattern = QStringLiteral("M@d@yyyy");
    for (const Occurrence &occurrence : std::as_const(reader.occurrences)) {
        EventFormat::Record record = occurrence.record;
        record.startDate = occurrence.first.toString(pattern);
        record.endDate = occurrence.last.toString(pattern);
        const QString label =
            occurrence.repeats ? QStringLiteral("%1 on %2")
                                     .arg(occurrence.label, occurrence.first.toString(Qt::ISODate))
                               : occurrence.label;
        const QList<EventFile::Checker::Problem> problems =
            checker.check(record, QStringLiteral("by %1").arg(label));
        for (const EventFile::Checker::Problem &problem : problems)
            reader.result.errors.append(QStringLiteral("%1: %2").arg(label, problem.text));
        if (problems.isEmpty())
            reader.result.records.append(record);
    }
    const QString tooLong = EventFile::sizeProblem(reader.result.records);
    if (reader.result.errors.isEmpty() && !tooLong.isEmpty())
        reader.result.errors.append(tooLong);
    // Nothing rather than half a file.
    if (!reader.result.errors.isEmpty())
        reader.result.records.clear();
    return reader.result;
}

} // namespace IcsFile
