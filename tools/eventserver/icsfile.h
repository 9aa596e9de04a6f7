// The event server's other file: an iCalendar file (RFC 5545, ".ics"), such as
// a town or a club publishes, read with libical. Each VEVENT becomes one event
// of the viewer, or one for each of this year's and next year's days when it
// repeats yearly. docs/eventserver.md describes what is read for users.
#pragma once

#include "eventfile.h"

#include <QByteArray>
#include <QByteArrayView>

namespace IcsFile {

// Whether content is an iCalendar file: "BEGIN:VCALENDAR" first, after an
// optional UTF-8 byte order mark and white space.
bool isCalendar(QByteArrayView content);

// Reads the events of content; year is this year, for repeating events. A
// file libical cannot read whole or reports a fault in, or that holds any
// event the viewer could not store or list, gives errors and no events. Cancelled
// events, events without a start, events that repeat other than yearly and
// changes to one day of a repeating event are left out, each with its reason.
EventFile::Result parse(const QByteArray &content, int year);

} // namespace IcsFile
