// The event server's other file: an iCalendar file (RFC 5545, ".ics"), such as
// a town or a club publishes, read with libical. Each VEVENT becomes one event
// of the viewer, or one for each of this year's and next year's days when it
// repeats yearly. docs/eventserver.md describes what is read for users.
#pragma once

#include "eventfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QTimeZone>

namespace IcsFile {

// The property that carries an event's admission fee, which iCalendar has no
// property for. Viridio's "Add to my calendar" writes it too: the name is
// part of the file format that docs/eventserver.md describes.
inline QByteArray feeProperty()
{
    return QByteArrayLiteral("X-VIRIDIO-FEE");
}

// Whether content is an iCalendar file: "BEGIN:VCALENDAR" first, after an
// optional UTF-8 byte order mark and white space.
bool isCalendar(QByteArrayView content);

// Reads the events of content; year is this year, for repeating events, and
// zone the zone whose day a time in UTC falls on. A timed event in a named
// zone (TZID) is on its date in that zone; a date or a floating time is on its
// date as written. Only the components and properties the server reads are
// given to libical: a fault in any other (URL, CLASS, an X- property, a
// VALARM) refuses nothing, and an empty text value (DESCRIPTION:) is empty. A
// name, venue and fee keep their spacing, a line break taken as a space and
// the ends trimmed.
//
// Refused as a whole, with errors and no events: text that is not UTF-8, a
// BEGIN and END that do not match or components nested where RFC 5545 does not
// allow them, a file libical cannot read whole or reports a fault in what is
// read, an event the viewer could not store or list, and more events served
// than one message holds. Events that end before year are not served nor
// counted, and said in one line of leftOut. Events of one name are told apart
// by their year, or by their date when two fall in one year. Left out, each
// with its reason: cancelled events, events without a name or a start, events
// that repeat other than yearly or by another calendar than the Gregorian
// (RSCALE), yearly events without a day in this year or the next, and changed
// days (RECURRENCE-ID) of an event left out or moved outside those years. A
// yearly rule is expanded over those two years only; EXDATE removes a day and
// a VEVENT with RECURRENCE-ID replaces one. A time zone is followed from the
// year before year to the year after the next only; one that cannot be
// placed (a TZID the file does not describe and libical does not know, a
// VTIMEZONE that changes other than yearly or too often) is taken as zone,
// with a line in notices.
EventFile::Result parse(const QByteArray &content, int year,
                        const QTimeZone &zone = QTimeZone::systemTimeZone());

} // namespace IcsFile
