// The event server's file: plain UTF-8 text, one block of "key: value" lines
// per event, blocks separated by blank lines, "#" starting a comment line. A
// line that begins with a space or a tab continues the value above it. The six
// keys are name, venue, description, fee, start and end; dates are "M@d@yyyy".
// docs/eventserver.md describes it for users.
#pragma once

#include "app/events/eventformat.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace EventFile {

struct Result
{
    QList<EventFormat::Record> records;
    QStringList errors;  // one line each, naming the file's line; empty when usable
    QStringList leftOut; // events not served, one line each (past ones in one) with the reason
    QStringList notices; // what the server takes otherwise than the file says, one line each
};

// What keeps the viewer from storing or listing an event, whichever file it
// came from: a field holding "||" or "@//@" or ending in "@//", an empty name, a
// name seen before (the viewer keeps only the first event of a name), a date not
// in "M@d@yyyy" or an end before the start. It remembers the names it checked.
class Checker
{
public:
    struct Problem
    {
        QString field; // "name", "venue", "description", "fee", "start", "end"; empty for the whole
                       // event
        QString text;
    };
    // where says where record is ("on line 4"), for a later event of its name.
    QList<Problem> check(const EventFormat::Record &record, const QString &where);

private:
    QHash<QString, QString> placeOfName;
};

// The sentence saying that records do not fit in one message, or empty text.
QString sizeProblem(const QList<EventFormat::Record> &records);

// Reads the events of content. Every record the viewer could not store or list
// is an error: a missing or repeated key, an unknown key, an empty name, a name
// used before, a field holding "||" or "@//@", a date not in "M@d@yyyy" or an
// end before the start; so is a list too long for one message.
Result parse(const QString &content);

} // namespace EventFile
