#include "icsfile.h"

#include "app/events/calendarfile.h"

#include <QDate>
#include <QDateTime>
#include <QTimeZone>

#include <libical/ical.h>

#include <memory>
#include <optional>

namespace IcsFile {

namespace {

// A yearly rule is followed this many steps at most, from its first day.
constexpr int maxRecurrenceSteps = 5000;

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

// The first fault libical found in component or below it, or empty text.
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

// The day of t in the server's local time zone: a date as it is written, a
// time in UTC or in a named zone moved into the local zone, a floating time
// (no zone) as it is written. Nothing when t names a zone that is unknown.
std::optional<QDateTime> localTime(const icaltimetype &t, icalproperty *property)
{
    const QDate date(t.year, t.month, t.day);
    if (icaltime_is_date(t))
        return QDateTime(date, QTime(0, 0));
    const QTime time(t.hour, t.minute, t.second);
    if (icaltime_is_utc(t))
        return QDateTime(date, time, QTimeZone::utc()).toLocalTime();
    if (const icaltimezone *zone = icaltime_get_timezone(t))
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, zone));
    if (property && icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER))
        return std::nullopt;
    return QDateTime(date, time);
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

class Reader
{
public:
    explicit Reader(int year)
        : year(year)
    {}

    EventFile::Result result;

    void readEvent(icalcomponent *event)
    {
        const QString summary = text(icalcomponent_get_summary(event));
        const QString uid = text(icalcomponent_get_uid(event));
        QString label = QStringLiteral("the VEVENT \"%1\"").arg(summary);
        if (!uid.isEmpty())
            label += QStringLiteral(" (UID %1)").arg(uid);
        const auto leaveOut = [this, &label](const QString &reason) {
            result.leftOut.append(QStringLiteral("%1: left out: %2").arg(label, reason));
        };

        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return leaveOut(QStringLiteral("it is cancelled (STATUS:CANCELLED)"));
        icalproperty *startProperty =
            icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!startProperty)
            return leaveOut(QStringLiteral("it has no start (DTSTART)"));
        if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            return leaveOut(QStringLiteral("it changes one day of a repeating event "
                                           "(RECURRENCE-ID), which the server does not read"));

        const icaltimetype start = icalcomponent_get_dtstart(event);
        const icaltimetype end = icalcomponent_get_dtend(event);
        icalproperty *endProperty = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
        const std::optional<QDateTime> first = localTime(start, startProperty);
        const std::optional<QDateTime> last =
            localTime(end, endProperty ? endProperty : startProperty);
        if (!first || !last)
            return leaveOut(QStringLiteral("its time zone is neither given in the file "
                                           "(VTIMEZONE) nor known here"));
        // The end is the moment after the event: an all-day event's DTEND is
        // the day after its last, and a timed event that ends at midnight
        // ends on the day before.
        QDate lastDay = last->date();
        if (icaltime_is_date(end) || (last->time() == QTime(0, 0) && *last > *first))
            lastDay = lastDay.addDays(-1);
        if (lastDay == first->date().addDays(-1))
            lastDay = first->date(); // an end equal to the start
        const qint64 length = first->date().daysTo(lastDay);

        EventFormat::Record record = {
            summary.simplified(),
            text(icalcomponent_get_location(event)).simplified(),
            text(icalcomponent_get_description(event)),
            propertyValue(event, CalendarFile::feeProperty()).simplified(),
            {},
            {}};
        icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        if (!rule)
            return add(record, first->date(), lastDay, label);

        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        if (recurrence.freq != ICAL_YEARLY_RECURRENCE)
            return leaveOut(QStringLiteral("it repeats other than yearly (RRULE:%1); the server "
                                           "serves yearly days only")
                                .arg(text(icalproperty_get_value_as_string(rule))));
        // Each of this year's and next year's days carries its year in its
        // name: the viewer keeps only the first event of a name.
        const QString name = record.name;
        icaltimetype base = start;
        bool served = false;
        const std::unique_ptr<icalrecur_iterator, IteratorFree> days(
            icalrecur_iterator_new(recurrence, start));
        for (int step = 0; days && step < maxRecurrenceSteps; ++step) {
            icaltimetype day = icalrecur_iterator_next(days.get());
            if (icaltime_is_null_time(day))
                break;
            day.zone = start.zone;
            const std::optional<QDateTime> at = localTime(day, startProperty);
            if (!at || at->date().year() > year + 1)
                break;
            if (at->date().year() < year || icalproperty_recurrence_is_excluded(event, &base, &day))
                continue;
            record.name = QStringLiteral("%1 %2").arg(name).arg(at->date().year());
            add(record, at->date(), at->date().addDays(length),
                QStringLiteral("%1 of %2").arg(label).arg(at->date().year()));
            served = true;
        }
        if (!served)
            leaveOut(QStringLiteral("it repeats yearly but has no day in %1 or %2")
                         .arg(year)
                         .arg(year + 1));
    }

private:
    int year;
    EventFile::Checker checker;

    void add(EventFormat::Record record, const QDate &first, const QDate &last,
             const QString &label)
    {
        const QString pattern = QStringLiteral("M@d@yyyy");
        record.startDate = first.toString(pattern);
        record.endDate = last.toString(pattern);
        const QList<EventFile::Checker::Problem> problems =
            checker.check(record, QStringLiteral("by %1").arg(label));
        for (const EventFile::Checker::Problem &problem : problems)
            result.errors.append(QStringLiteral("%1: %2").arg(label, problem.text));
        if (problems.isEmpty())
            result.records.append(record);
    }
};

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

EventFile::Result parse(const QByteArray &content, int year)
{
    EventFile::Result refused;
    // libical reads up to the first NUL: a file holding one would be read in part.
    if (content.contains('\0')) {
        refused.errors.append(QStringLiteral("the file holds a NUL byte; it is not iCalendar "
                                             "text"));
        return refused;
    }
    const std::unique_ptr<icalcomponent, ComponentFree> root(
        icalparser_parse_string(content.constData()));
    if (!root) {
        refused.errors.append(QStringLiteral("libical could not read it as iCalendar (a BEGIN "
                                             "without its END, such as a file cut short?)"));
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

    Reader reader(year);
    for (icalcomponent *calendar : std::as_const(calendars)) {
        for (icalcomponent *event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            reader.readEvent(event);
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
