#include "icsfile.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>

#include <libical/ical.h>

#include <algorithm>
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

// A time zone's changes are kept from the year before those served to the
// year after them, with the one in force before: libical would otherwise
// work out every change from the zone's first DTSTART to five years after
// today (a zone changing every minute since 1970 never ended). A zone with a
// rule that changes it more often than maxZoneChangesAYear times a year, or
// more than maxZoneChanges times in those years, cannot be placed.
constexpr int maxZoneChangesAYear = 12;
constexpr int maxZoneChanges = 64;

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

// value on one line, as a name, venue or fee is shown: each line break a
// space, the ends trimmed, the spacing within as written.
QString oneLine(const char *value)
{
    QString line = text(value);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.trimmed();
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

// Whether the server reads the components inner inside outer (empty: the
// file itself): calendars, their events and time zones, and a zone's changes.
bool isReadComponent(const QByteArray &outer, const QByteArray &inner)
{
    return (outer.isEmpty() && inner == "VCALENDAR") ||
           (outer == "VCALENDAR" && (inner == "VEVENT" || inner == "VTIMEZONE")) ||
           (outer == "VTIMEZONE" && (inner == "STANDARD" || inner == "DAYLIGHT"));
}

// Whether the server reads the property name of a component of that kind.
bool isReadProperty(const QByteArray &component, const QByteArray &name)
{
    static const QSet<QByteArray> ofEvent = {
        "UID",   "SUMMARY",  "LOCATION", "DESCRIPTION",   feeProperty(), "DTSTART",
        "DTEND", "DURATION", "RRULE",    "RECURRENCE-ID", "EXDATE",      "STATUS"};
    static const QSet<QByteArray> ofChange = {"DTSTART", "TZOFFSETFROM", "TZOFFSETTO",
                                              "TZNAME",  "RDATE",        "RRULE"};
    if (component == "VEVENT")
        return ofEvent.contains(name);
    if (component == "VTIMEZONE")
        return name == "TZID";
    return (component == "STANDARD" || component == "DAYLIGHT") && ofChange.contains(name);
}

// Text properties read, whose empty value is empty text: libical would
// report it as a fault ("No value for DESCRIPTION property").
bool isText(const QByteArray &name)
{
    return name == "UID" || name == "SUMMARY" || name == "LOCATION" || name == "DESCRIPTION" ||
           name == feeProperty() || name == "TZNAME";
}

// The name of the property on line (unfolded, upper case), and whether its
// value is blank; no name when line is no property: no name before a ";" or
// ":", or one holding a space or a control character. Names RFC 5545 does not
// allow (X_COLOR) are names all the same: what is not read is not looked at.
struct Property
{
    QByteArray name;
    bool blank = false;
};
Property propertyOf(QByteArrayView line)
{
    qsizetype at = 0;
    while (at < line.size() && line.at(at) != ':' && line.at(at) != ';') {
        if (static_cast<unsigned char>(line.at(at)) <= ' ' || line.at(at) == '\x7F')
            return {};
        ++at;
    }
    if (at == 0 || at == line.size())
        return {};
    Property property = {line.first(at).toByteArray().toUpper(), false};
    // A parameter's value in quotes may hold a colon.
    bool quoted = false;
    for (; at < line.size() && (quoted || line.at(at) != ':'); ++at) {
        if (line.at(at) == '"')
            quoted = !quoted;
    }
    property.blank = at < line.size() && line.sliced(at + 1).trimmed().isEmpty();
    return property;
}

// What of a file libical is given: the BEGIN and END lines of the components
// read and the properties read of them, so that a fault in any other (an empty
// CLASS, a broken X- property, a VALARM) does not refuse the file; an empty
// text value is left out, which reads as empty. A line that is no property is
// given on, for libical to report.
struct Sifted
{
    QByteArray content;
    // The first fault in how the file's BEGIN and END lines nest, or empty
    // text: an END that closes another component than the last BEGIN, a
    // component nested where RFC 5545 does not allow it or deeper than
    // maxDepth, a BEGIN without its END.
    QString problem;
};

Sifted sift(const QByteArray &content)
{
    struct Open
    {
        QByteArray name;
        int line;
        bool read;
    };
    QList<Open> open;
    Sifted sifted;
    QString &problem = sifted.problem;
    // Whether the logical line starting on line number is given on.
    const auto check = [&open, &problem](const QByteArray &line, bool whole, int number) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray key = colon < 0 ? QByteArray() : line.left(colon).trimmed().toUpper();
        const QByteArray outer = open.isEmpty() ? QByteArray() : open.last().name;
        const bool inRead = open.isEmpty() || open.last().read;
        if (key != "BEGIN" && key != "END") {
            if (!inRead)
                return false;
            const Property property = propertyOf(line);
            if (property.name.isEmpty())
                return true;
            return isReadProperty(outer, property.name) &&
                   !(whole && property.blank && isText(property.name));
        }
        const QByteArray name = line.mid(colon + 1).trimmed().toUpper();
        if (key == "END") {
            if (open.isEmpty())
                problem = QStringLiteral("line %1: END:%2 ends no component")
                              .arg(QString::number(number), QString::fromUtf8(name));
            else if (name != outer)
                problem = QStringLiteral("line %1: END:%2 where the %3 of line %4 ends")
                              .arg(QString::number(number), QString::fromUtf8(name),
                                   QString::fromUtf8(outer), QString::number(open.last().line));
            else
                return open.takeLast().read;
            return false;
        }
        if (open.size() >= maxDepth)
            problem = QStringLiteral("line %1: components nested more than %2 deep")
                          .arg(QString::number(number), QString::number(maxDepth));
        else if (!allowedInside(outer, name))
            problem = outer.isEmpty() ? QStringLiteral("line %1: a %2 outside a VCALENDAR")
                                            .arg(QString::number(number), QString::fromUtf8(name))
                                      : QStringLiteral("line %1: a %2 inside a %3, which "
                                                       "iCalendar does not allow")
                                            .arg(QString::number(number), QString::fromUtf8(name),
                                                 QString::fromUtf8(outer));
        else
            return open.emplaceBack(Open{name, number, inRead && isReadComponent(outer, name)})
                .read;
        return false;
    };

    // Only the start of a logical line matters: it is kept short.
    constexpr qsizetype keep = 256;
    QByteArray logical;
    bool whole = true; // whether logical holds all of the line
    int logicalStart = 0;
    qsizetype logicalFrom = 0;
    const auto finish = [&](qsizetype to) {
        if (logicalStart == 0 || !check(logical, whole, logicalStart) || !problem.isEmpty())
            return;
        sifted.content += QByteArrayView(content).sliced(logicalFrom, to - logicalFrom);
        if (!sifted.content.endsWith('\n'))
            sifted.content += '\n';
    };
    int number = 0;
    // A byte order mark, as some calendar programs write, is no part of the
    // first line.
    for (qsizetype at = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
         at < content.size() && problem.isEmpty();) {
        const qsizetype from = at;
        qsizetype end = content.indexOf('\n', at);
        if (end < 0)
            end = content.size();
        QByteArrayView line(content.constData() + at, end - at);
        at = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(' ') || line.startsWith('\t')) {
            whole = whole && logical.size() + line.size() - 1 <= keep;
            if (logical.size() < keep)
                logical += line.sliced(1).first(qMin(line.size() - 1, keep));
            continue;
        }
        finish(from);
        whole = line.size() <= keep;
        logical = line.first(qMin(line.size(), keep)).toByteArray();
        logicalStart = number;
        logicalFrom = from;
    }
    if (problem.isEmpty())
        finish(content.size());
    if (problem.isEmpty() && !open.isEmpty())
        problem = QStringLiteral("line %1: BEGIN:%2 has no END (is the file cut short?)")
                      .arg(QString::number(open.last().line), QString::fromUtf8(open.last().name));
    return sifted;
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

// The value of event's X- property name, or null when it has none.
const char *propertyValue(icalcomponent *event, const QByteArray &name)
{
    for (icalproperty *property = icalcomponent_get_first_property(event, ICAL_X_PROPERTY);
         property; property = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        if (name.compare(icalproperty_get_x_name(property), Qt::CaseInsensitive) == 0)
            return icalproperty_get_x(property);
    }
    return nullptr;
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

// The calendar a rule counts by, when it is another than the Gregorian
// (RSCALE=CHINESE: "Chinese"), or empty text.
QString otherCalendar(const icalrecurrencetype &rule)
{
    const QString scale = QString::fromUtf8(rule.rscale).toLower();
    if (scale.isEmpty() || scale == QLatin1String("gregorian"))
        return {};
    return scale.at(0).toUpper() + scale.mid(1);
}

// Why an event's rule is not followed, or empty text: the server follows
// yearly rules of the Gregorian calendar.
QString ruleProblem(icalproperty *rule)
{
    const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    const QString calendar = otherCalendar(recurrence);
    if (!calendar.isEmpty())
        return QStringLiteral("it repeats by the %1 calendar (RSCALE=%2): not served")
            .arg(calendar, text(recurrence.rscale));
    if (recurrence.freq != ICAL_YEARLY_RECURRENCE)
        return QStringLiteral("it repeats other than yearly (RRULE:%1); the server serves yearly "
                              "days only")
            .arg(text(icalproperty_get_value_as_string(rule)));
    return {};
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

// The days of rule in year y, from start on and up to its UNTIL; false when
// the rule gives more than most days that year, of which days then holds
// some. libical searches a rule's first day from its start on, for ever as
// far as a rule that cannot occur (30 February) goes; from 1 January of y
// with a huge interval it looks at y alone.
bool daysOfYear(const icalrecurrencetype &rule, const icaltimetype &start, int y, int most,
                QList<icaltimetype> &days)
{
    icalrecurrencetype oneYear = withStartDefaults(rule, start);
    oneYear.interval = oneYearOnly;
    oneYear.count = 0;
    oneYear.until = icaltime_null_time();
    icaltimetype from = start;
    from.year = y;
    from.month = 1;
    from.day = 1;
    // The start is the first day, whether the rule gives it or not.
    if (y == start.year)
        days.append(start);
    const std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(
        icalrecur_iterator_new(oneYear, from));
    for (int step = 0; iterator; ++step) {
        icaltimetype day = icalrecur_iterator_next(iterator.get());
        if (icaltime_is_null_time(day) || day.year != y)
            break;
        if (step >= most)
            return false;
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
    return true;
}

// One change of a time zone: at onset, on the clock before it, the offset
// from UTC goes from from to to (seconds east).
struct ZoneChange
{
    icaltimetype onset;
    int from = 0;
    int to = 0;
    bool daylight = false;
    QByteArray name;
};

QDateTime utcOf(const ZoneChange &change)
{
    const icaltimetype &t = change.onset;
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC)
        .addSecs(-change.from);
}

// The changes of zone from 1 January of first to the end of last, after the
// offset in force at their start.
QList<ZoneChange> changesOf(const QTimeZone &zone, int first, int last)
{
    const auto onClock = [](const QDateTime &utc, int offset) {
        const QDateTime there = utc.addSecs(offset);
        icaltimetype t = icaltime_null_time();
        t.year = there.date().year();
        t.month = there.date().month();
        t.day = there.date().day();
        t.hour = there.time().hour();
        t.minute = there.time().minute();
        t.second = there.time().second();
        return t;
    };
    const QDateTime begin(QDate(first, 1, 1), QTime(0, 0), Qt::UTC);
    const int before = zone.offsetFromUtc(begin);
    QList<ZoneChange> changes = {{onClock(begin, before), before, before,
                                  zone.isDaylightTime(begin), zone.abbreviation(begin).toUtf8()}};
    for (const QTimeZone::OffsetData &change :
         zone.transitions(begin, QDateTime(QDate(last + 1, 1, 1), QTime(0, 0), Qt::UTC))) {
        const int from = changes.last().to;
        changes.append({onClock(change.atUtc, from), from, change.offsetFromUtc,
                        change.daylightTimeOffset != 0, change.abbreviation.toUtf8()});
    }
    return changes;
}

// Writes the STANDARD and DAYLIGHT parts of vtimezone anew, one for each of
// changes, so that libical works out these changes and no others.
void setChanges(icalcomponent *vtimezone, const QList<ZoneChange> &changes)
{
    QList<icalcomponent *> parts;
    for (icalcomponent *part = icalcomponent_get_first_component(vtimezone, ICAL_ANY_COMPONENT);
         part; part = icalcomponent_get_next_component(vtimezone, ICAL_ANY_COMPONENT))
        parts.append(part);
    for (icalcomponent *part : std::as_const(parts)) {
        icalcomponent_remove_component(vtimezone, part);
        icalcomponent_free(part);
    }
    for (const ZoneChange &change : changes) {
        icalcomponent *part = icalcomponent_new(change.daylight ? ICAL_XDAYLIGHT_COMPONENT
                                                                : ICAL_XSTANDARD_COMPONENT);
        icalcomponent_add_property(part, icalproperty_new_dtstart(change.onset));
        icalcomponent_add_property(part, icalproperty_new_tzoffsetfrom(change.from));
        icalcomponent_add_property(part, icalproperty_new_tzoffsetto(change.to));
        if (!change.name.isEmpty())
            icalcomponent_add_property(part, icalproperty_new_tzname(change.name.constData()));
        icalcomponent_add_component(vtimezone, part);
    }
}

// The TZID under which times in zones that cannot be placed take the
// server's zone.
QByteArray serverZoneId()
{
    return QByteArrayLiteral("X-VIRIDIO-SERVER-ZONE");
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

    int past = 0; // events that end before year, not served

    bool full() const { return occurrences.size() > maxEvents; }

    // Writes each time zone of calendars anew with its changes around the
    // years served; a zone of the file that cannot be placed, and a TZID of
    // events that names no zone of the file nor one known here, get those of
    // the server's zone, each said once.
    void placeZones(const QList<icalcomponent *> &calendars, const QList<icalcomponent *> &events)
    {
        const int first = year - 1;
        const int last = year + 2;
        QSet<QString> said;
        const auto unplaced = [&](const QString &tzid, const QString &why) {
            if (!said.contains(tzid))
                result.notices.append(QStringLiteral("the time zone \"%1\" (TZID) cannot be "
                                                     "placed: %2; its times are taken as in %3, "
                                                     "the server's zone")
                                          .arg(tzid, why, QString::fromUtf8(zone.id())));
            said.insert(tzid);
        };
        for (icalcomponent *calendar : calendars) {
            for (icalcomponent *vtimezone =
                     icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT);
                 vtimezone;
                 vtimezone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
                QString why;
                QList<ZoneChange> changes = zoneChanges(vtimezone, first, last, why);
                if (changes.isEmpty()) {
                    icalproperty *tzid =
                        icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY);
                    unplaced(tzid ? text(icalproperty_get_tzid(tzid)) : QString(), why);
                    changes = changesOf(zone, first, last);
                }
                setChanges(vtimezone, changes);
            }
        }
        // Such times name one zone of the server's instead, added to their
        // calendar once all are looked up (libical sorts a calendar's zones
        // again after each one added).
        QHash<icalcomponent *, QSet<QByteArray>> unknown;
        for (icalcomponent *event : events) {
            icalcomponent *calendar = icalcomponent_get_parent(event);
            for (const icalproperty_kind kind :
                 {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_RECURRENCEID_PROPERTY,
                  ICAL_EXDATE_PROPERTY}) {
                for (icalproperty *property = icalcomponent_get_first_property(event, kind);
                     property; property = icalcomponent_get_next_property(event, kind)) {
                    icalparameter *tzid =
                        icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
                    if (!tzid)
                        continue;
                    const QByteArray name = icalparameter_get_tzid(tzid);
                    QSet<QByteArray> &names = unknown[calendar];
                    if (!names.contains(name)) {
                        if (name == serverZoneId() ||
                            icalproperty_get_datetime_with_component(property, event).zone)
                            continue;
                        names.insert(name);
                        unplaced(text(name), QStringLiteral("the file does not describe it "
                                                            "(VTIMEZONE) and it is no zone known "
                                                            "here"));
                    }
                    icalparameter_set_tzid(tzid, serverZoneId().constData());
                }
            }
        }
        for (auto it = unknown.cbegin(); it != unknown.cend(); ++it) {
            if (it.value().isEmpty())
                continue;
            icalcomponent *vtimezone = icalcomponent_new_vtimezone();
            icalcomponent_add_property(vtimezone,
                                       icalproperty_new_tzid(serverZoneId().constData()));
            setChanges(vtimezone, changesOf(zone, first, last));
            icalcomponent_add_component(it.key(), vtimezone);
        }
    }

    void readEvent(icalcomponent *event)
    {
        const QString uid = text(icalcomponent_get_uid(event));
        const bool changesOneDay =
            icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
        QString summary = oneLine(icalcomponent_get_summary(event));
        if (summary.isEmpty() && changesOneDay && repeating.contains(uid))
            summary = oneLine(icalcomponent_get_summary(repeating.value(uid)));
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
                                  oneLine(icalcomponent_get_location(event)),
                                  text(icalcomponent_get_description(event)),
                                  oneLine(propertyValue(event, feeProperty())),
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
                         !ruleProblem(mainRule).isEmpty()))
                return leaveOut(QStringLiteral("it changes one day (RECURRENCE-ID) of an event "
                                               "that is left out"));
            if (first.date().year() < year || first.date().year() > year + 1)
                return leaveOut(QStringLiteral("it moves one day (RECURRENCE-ID) of a repeating "
                                               "event outside %1 and %2")
                                    .arg(QString::number(year), QString::number(year + 1)));
        }
        if (!rule || changesOneDay) {
            // The viewer lists this year's events: past ones are not sent.
            if (lastDay.year() < year)
                return void(++past);
            return occurrences.append(occurrence);
        }

        const QString problem = ruleProblem(rule);
        if (!problem.isEmpty())
            return leaveOut(problem);
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);

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
            // A year has 366 days; a rule with BYHOUR gives more, which no
            // message holds.
            QList<icaltimetype> days;
            daysOfYear(recurrence, start, y, maxEvents + 1, days);
            for (const icaltimetype &day : std::as_const(days)) {
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
                         .arg(QString::number(year), QString::number(year + 1)));
    }

private:
    int year;
    QTimeZone zone;
    int yearsExpanded = 0;

    // The changes of vtimezone from 1 January of first to the end of last,
    // after the last one before them; or none, and why, when they cannot be
    // placed. Only yearly rules are followed, each over those years.
    QList<ZoneChange> zoneChanges(icalcomponent *vtimezone, int first, int last, QString &why)
    {
        QList<ZoneChange> all;
        for (icalcomponent *part = icalcomponent_get_first_component(vtimezone, ICAL_ANY_COMPONENT);
             part; part = icalcomponent_get_next_component(vtimezone, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(part);
            icalproperty *start = icalcomponent_get_first_property(part, ICAL_DTSTART_PROPERTY);
            icalproperty *from = icalcomponent_get_first_property(part, ICAL_TZOFFSETFROM_PROPERTY);
            icalproperty *to = icalcomponent_get_first_property(part, ICAL_TZOFFSETTO_PROPERTY);
            if (kind != ICAL_XSTANDARD_COMPONENT && kind != ICAL_XDAYLIGHT_COMPONENT)
                continue;
            if (!start || !to) {
                why = QStringLiteral("a STANDARD or DAYLIGHT of it has no DTSTART or TZOFFSETTO");
                return {};
            }
            icalproperty *name = icalcomponent_get_first_property(part, ICAL_TZNAME_PROPERTY);
            ZoneChange change = {icalproperty_get_dtstart(start), icalproperty_get_tzoffsetto(to),
                                 icalproperty_get_tzoffsetto(to), kind == ICAL_XDAYLIGHT_COMPONENT,
                                 name ? QByteArray(icalproperty_get_tzname(name)) : QByteArray()};
            if (from)
                change.from = icalproperty_get_tzoffsetfrom(from);
            const icaltimetype dtstart = change.onset;
            all.append(change);
            for (icalproperty *rdate = icalcomponent_get_first_property(part, ICAL_RDATE_PROPERTY);
                 rdate; rdate = icalcomponent_get_next_property(part, ICAL_RDATE_PROPERTY)) {
                const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
                change.onset = icaltime_is_null_time(value.time) ? value.period.start : value.time;
                if (icaltime_is_utc(change.onset))
                    change.onset =
                        icaltime_add(change.onset, icaldurationtype_from_int(change.from));
                change.onset.zone = nullptr;
                all.append(change);
            }
            for (icalproperty *rrule = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY);
                 rrule; rrule = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY)) {
                const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
                const QString ruleText = text(icalproperty_get_value_as_string(rrule));
                const QString calendar = otherCalendar(rule);
                if (!calendar.isEmpty()) {
                    why = QStringLiteral("its changes repeat by the %1 calendar (RRULE:%2)")
                              .arg(calendar, ruleText);
                    return {};
                }
                if (rule.freq != ICAL_YEARLY_RECURRENCE) {
                    why = QStringLiteral("its changes repeat other than yearly (RRULE:%1)")
                              .arg(ruleText);
                    return {};
                }
                // With COUNT, its days are counted from the first year.
                if (rule.count > 0 && first - dtstart.year > maxCountedYears) {
                    why = QStringLiteral("it counts its changes (COUNT) from more than %1 years "
                                         "ago")
                              .arg(maxCountedYears);
                    return {};
                }
                const int interval = qMax(1, int(rule.interval));
                const int end =
                    icaltime_is_null_time(rule.until) ? last : qMin(last, rule.until.year);
                const int lowest =
                    rule.count > 0 ? dtstart.year : qMax(dtstart.year, qMin(first, end) - interval);
                int counted = 0;
                for (int y = lowest + (interval - (lowest - dtstart.year) % interval) % interval;
                     y <= end; y += interval) {
                    if (++yearsExpanded > maxYearsInFile) {
                        why = QStringLiteral("the file's rules need more work than the server "
                                             "does at start");
                        return {};
                    }
                    QList<icaltimetype> days;
                    if (!daysOfYear(rule, dtstart, y, maxZoneChangesAYear, days)) {
                        why = QStringLiteral("a rule of it (RRULE:%1) changes it more than %2 "
                                             "times a year")
                                  .arg(ruleText, QString::number(maxZoneChangesAYear));
                        return {};
                    }
                    for (const icaltimetype &day : std::as_const(days)) {
                        if (rule.count > 0 && ++counted > rule.count)
                            break;
                        change.onset = day;
                        all.append(change);
                    }
                }
            }
        }
        std::sort(all.begin(), all.end(),
                  [](const ZoneChange &a, const ZoneChange &b) { return utcOf(a) < utcOf(b); });
        const QDateTime begin(QDate(first, 1, 1), QTime(0, 0), Qt::UTC);
        const QDateTime end(QDate(last + 1, 1, 1), QTime(0, 0), Qt::UTC);
        QList<ZoneChange> kept;
        for (const ZoneChange &change : std::as_const(all)) {
            const QDateTime at = utcOf(change);
            if (at < begin)
                kept = {change};
            else if (at < end && (kept.isEmpty() || utcOf(kept.last()) != at))
                kept.append(change);
        }
        if (kept.isEmpty() && !all.isEmpty())
            kept.append(all.first());
        if (kept.isEmpty())
            why = QStringLiteral("it has no STANDARD or DAYLIGHT");
        if (kept.size() > maxZoneChanges + 1) {
            why = QStringLiteral("it changes more than %1 times from %2 to %3")
                      .arg(QString::number(maxZoneChanges), QString::number(first),
                           QString::number(last));
            kept.clear();
        }
        return kept;
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
    const Sifted sifted = sift(content);
    if (!sifted.problem.isEmpty()) {
        refused.errors.append(QStringLiteral("it is not valid iCalendar: %1").arg(sifted.problem));
        return refused;
    }
    const std::unique_ptr<icalcomponent, ComponentFree> root(
        icalparser_parse_string(sifted.content.constData()));
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
    reader.placeZones(calendars, events);
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

    if (reader.past > 0)
        reader.result.leftOut.append(QStringLiteral("%1 events: left out: they end before %2")
                                         .arg(QString::number(reader.past), QString::number(year)));
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
