// "Add to my calendar": one stored event as an iCalendar file (RFC 5545,
// ".ics") holding one all-day VEVENT, which calendar programs import, written
// into the user's documents folder (viridio-<name>-<code>.ics). The same event
// always gets the same file name and UID, so adding it again replaces it, in
// the folder and in a calendar that imported it; two different events never
// share a file.
#pragma once

#include "documents.h"

#include "events/eventformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace CalendarFile {

// The longest content line, in octets, line break not counted.
constexpr int maxLineOctets = 75;

// The property that carries the admission fee, which iCalendar has no field
// for; the event server reads it back.
inline QByteArray feeProperty()
{
    return QByteArrayLiteral("X-VIRIDIO-FEE");
}

// text as an iCalendar TEXT value: backslash, semicolon and comma escaped with
// a backslash, each line break written "\n"; other control characters, which
// TEXT may not hold, are left out.
QString escapeText(const QString &text);

// One content line (UTF-8, without its line break) folded into lines of at
// most maxLineOctets octets, each ended by CRLF and each after the first
// starting with a space; a UTF-8 sequence is never split.
QByteArray foldLine(const QByteArray &line);

// The event's UID: the same for the same name and dates, on every machine.
QString eventUid(const EventFormat::Record &event);

// The file's text: a VCALENDAR of one VEVENT from the start date to the day
// after the end date (an end that cannot be read, or that comes before the
// start, counts as the start day), stamped at stamp; a field of spaces and
// tabs only, or empty, is left out. Empty when the start date cannot be read.
QByteArray calendarText(const EventFormat::Record &event, const QDateTime &stamp);

// "viridio-earth-hour-2026-1a2b3c4d.ics": the name's letters and digits in
// lower case, other characters as dashes, at most 60 of them ("event" when
// there are none), then the first 8 characters of the event's UID, which
// tell apart events whose names differ only in case or punctuation.
QString fileName(const EventFormat::Record &event);

struct SaveResult
{
    bool ok = false;
    QString path;   // the file, absolute and in native form
    QString error;  // a sentence for the page, when not ok
    QString reason; // the technical reason, for standard error, when not ok
};

// Writes the event's file into folder (made when missing), whole or not at
// all. A file of that name that is a symbolic link, or not a regular file, is
// left as it is and nothing is written. A regular file of that name that is
// not this event's (it has not its UID) is left as it is too, and the event
// goes to the same name with "-2" ... "-9" before ".ics", the first that is
// free or this event's.
SaveResult save(const EventFormat::Record &event, const QString &folder = Documents::folder(),
                const QDateTime &stamp = QDateTime::currentDateTimeUtc());

} // namespace CalendarFile
