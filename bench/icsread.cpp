// The event server's iCalendar reader on hostile files of the largest size it
// reads (1 MiB): yearly rules that can never occur (30 February), rules that
// occur every day of the year, plain events beside events as calendar programs
// export them (empty texts, alarms, properties not read) and events of past
// years, and components nested as deep as the file allows; 1 MiB of time zones with yearly changes
// counted since 1601, and of events each in a zone of its own that no file describes; and calendars
// of a few hundred bytes whose time zone changes every hour, minute or second since 1970, beside
// one that changes twice a year. Prints the time each takes to read, the median of a few runs; a
// word given as argument picks the cases whose name holds it.

#include "tools/eventserver/icsfile.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype fileBytes = qsizetype(1) << 20;
constexpr int runs = 3;

// A calendar of as many copies of event (numbered through %1) as fit in 1 MiB.
QByteArray filledCalendar(const char *event)
{
    const QByteArray head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n";
    const QByteArray tail = "END:VCALENDAR\r\n";
    QByteArray content = head;
    for (int i = 0;; ++i) {
        const QByteArray one = QString::fromLatin1(event).arg(i).toUtf8();
        if (content.size() + one.size() + tail.size() > fileBytes)
            break;
        content += one;
    }
    return content + tail;
}

QByteArray nested()
{
    const QByteArray head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n";
    const QByteArray begin = "BEGIN:X-A\r\n";
    const QByteArray end = "END:X-A\r\n";
    const qsizetype depth = (fileBytes - head.size() - 32) / (begin.size() + end.size());
    return head + begin.repeated(depth) + end.repeated(depth) + "END:VCALENDAR\r\n";
}

// A calendar of one event in a zone whose changes follow rule.
QByteArray zoneCalendar(const char *rule)
{
    return QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VTIMEZONE\r\n"
                      "TZID:Odd\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nRRULE:") +
           rule +
           "\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
           "BEGIN:VEVENT\r\nUID:fair@bench\r\nSUMMARY:Fair\r\nDTSTART;TZID=Odd:20260710T200000"
           "\r\nDTEND:20260710T210000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

} // namespace

int main(int argc, char *argv[])
{
    // A word given picks the cases whose name holds it.
    const QByteArray only = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    struct Case
    {
        const char *name;
        QByteArray content;
    };
    const std::vector<Case> cases = {
        {"never (30 February)",
         filledCalendar("BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Never %1\r\n"
                        "DTSTART;VALUE=DATE:20200101\r\n"
                        "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30\r\nEND:VEVENT\r\n")},
        {"every day",
         filledCalendar("BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Daily %1\r\n"
                        "DTSTART;VALUE=DATE:20200101\r\nRRULE:FREQ=YEARLY;BYYEARDAY=1,2,3,4,5,"
                        "6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30"
                        "\r\nEND:VEVENT\r\n")},
        {"plain events", filledCalendar("BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Fair\r\n"
                                        "DTSTART;VALUE=DATE:20260710\r\nEND:VEVENT\r\n")},
        {"as calendar programs export",
         filledCalendar("BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Fair %1\r\nDESCRIPTION:\r\n"
                        "LOCATION:\r\nCATEGORIES:\r\nCLASS:PUBLIC\r\nX-APP-COLOR:red\r\n"
                        "DTSTART;VALUE=DATE:20260710\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                        "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n")},
        {"past years only", filledCalendar("BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Term %1\r\n"
                                           "DTSTART;VALUE=DATE:20200710\r\nEND:VEVENT\r\n")},
        {"nested as deep as fits", nested()},
        {"zones since 1601, counted",
         filledCalendar("BEGIN:VTIMEZONE\r\nTZID:Z%1\r\nBEGIN:STANDARD\r\nDTSTART:16011028T030000"
                        "\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10;COUNT=5000\r\nTZOFFSETFROM:"
                        "+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                        "BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Fair %1\r\nDTSTART;TZID=Z%1:"
                        "20260710T200000\r\nDTEND:20260710T210000Z\r\nEND:VEVENT\r\n")},
        {"zones nowhere described",
         filledCalendar(
             "BEGIN:VEVENT\r\nUID:%1@bench\r\nSUMMARY:Fair %1\r\nDTSTART;TZID=Nowhere/%1:"
             "20260710T200000\r\nDTEND:20260710T210000Z\r\nEND:VEVENT\r\n")},
        {"zone, twice a year", zoneCalendar("FREQ=YEARLY;BYMONTH=3,10;BYDAY=-1SU")},
        {"zone, every hour", zoneCalendar("FREQ=HOURLY")},
        {"zone, every minute", zoneCalendar("FREQ=MINUTELY")},
        {"zone, every second", zoneCalendar("FREQ=SECONDLY")},
    };
    for (const Case &c : cases) {
        if (!QByteArray(c.name).contains(only))
            continue;
        std::vector<qint64> times;
        EventFile::Result result;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            result = IcsFile::parse(c.content, 2026);
            times.push_back(clock.elapsed());
        }
        std::sort(times.begin(), times.end());
        std::printf("%-26s %8lld bytes %7lld ms  %lld events, %lld errors\n", c.name,
                    static_cast<long long>(c.content.size()),
                    static_cast<long long>(times[times.size() / 2]),
                    static_cast<long long>(result.records.size()),
                    static_cast<long long>(result.errors.size()));
    }
    return 0;
}
