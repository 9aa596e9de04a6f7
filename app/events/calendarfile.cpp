#include "events/calendarfile.h"

#include "events/eventslogic.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace CalendarFile {

namespace {

QByteArray contentLine(const QByteArray &name, const QString &value)
{
    return foldLine(name + ':' + value.toUtf8());
}

// A TEXT property, or nothing for a value of spaces and tabs only, which
// libical (and calendar programs with it) refuses as a property without value.
QByteArray textLine(const QByteArray &name, const QString &value)
{
    const QString escaped = escapeText(value);
    const bool blank = std::all_of(escaped.cbegin(), escaped.cend(), [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t');
    });
    return blank ? QByteArray() : contentLine(name, escaped);
}

QString dateValue(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

// name's letters and digits in lower case, other characters as dashes.
QString nameSlug(const QString &name)
{
    constexpr qsizetype longest = 60;
    QString slug;
    for (const QChar c : name.toLower()) {
        if (slug.size() >= longest)
            break;
        if (c.isLetterOrNumber())
            slug += c;
        else if (!slug.isEmpty() && !slug.endsWith(QLatin1Char('-')))
            slug += QLatin1Char('-');
    }
    while (slug.endsWith(QLatin1Char('-')))
        slug.chop(1);
    // A surrogate pair cut in two is no letter.
    if (!slug.isEmpty() && slug.back().isHighSurrogate())
        slug.chop(1);
    if (slug.isEmpty())
        slug = QStringLiteral("event");
    return slug;
}

// Whether the regular file at path is the calendar file of the event with
// uid, by its UID line; a file too large to be one is not.
bool holdsEvent(const QString &path, const QString &uid)
{
    constexpr qint64 largest = 1 << 20;
    QFile file(path);
    if (file.size() > largest || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(largest).contains("\r\nUID:" + uid.toUtf8() + "\r\n");
}

} // namespace

QString escapeText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\':
        case ';':
        case ',':
            escaped += QLatin1Char('\\');
            escaped += c;
            break;
        case '\r':
            // CRLF is one line break; a lone CR is one too.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            escaped += QStringLiteral("\\n");
            break;
        case '\n':
            escaped += QStringLiteral("\\n");
            break;
        default:
            if ((c.unicode() >= 0x20 && c.unicode() != 0x7F) || c == QLatin1Char('\t'))
                escaped += c;
        }
    }
    return escaped;
}

QByteArray foldLine(const QByteArray &line)
{
    QByteArray folded;
    folded.reserve(line.size() + line.size() / 32 + 2);
    qsizetype at = 0;
    // A line after the first starts with a space, which counts.
    int room = maxLineOctets;
    while (line.size() - at > room) {
        qsizetype cut = at + room;
        // Not inside a UTF-8 sequence: its continuation bytes are 10xxxxxx.
        while (cut > at + 1 && (static_cast<unsigned char>(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        folded += line.mid(at, cut - at) + "\r\n ";
        at = cut;
        room = maxLineOctets - 1;
    }
    folded += line.mid(at) + "\r\n";
    return folded;
}

QString eventUid(const EventFormat::Record &event)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &part : {event.name, event.startDate, event.endDate}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\n", 1));
    }
    return QString::fromLatin1(hash.result().toHex().left(32)) + QStringLiteral("@viridio");
}

QByteArray calendarText(const EventFormat::Record &event, const QDateTime &stamp)
{
    const QDate start = EventsLogic::parseEventDate(event.startDate);
    if (!start.isValid())
        return {};
    QDate end = EventsLogic::parseEventDate(event.endDate);
    if (!end.isValid() || end < start)
        end = start;

    QByteArray text = "BEGIN:VCALENDAR\r\n"
                      "VERSION:2.0\r\n"
                      "PRODID:-//Viridio//Events 1.0//EN\r\n"
                      "CALSCALE:GREGORIAN\r\n"
                      "BEGIN:VEVENT\r\n";
    text += contentLine("UID", eventUid(event));
    text += contentLine("DTSTAMP", stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
    text += contentLine("DTSTART;VALUE=DATE", dateValue(start));
    // The end of an all-day event is the day after its last.
    text += contentLine("DTEND;VALUE=DATE", dateValue(end.addDays(1)));
    text += textLine("SUMMARY", event.name);
    text += textLine("LOCATION", event.venue);
    text += textLine("DESCRIPTION", event.description);
    text += textLine(feeProperty(), event.admissionFee);
    text += "TRANSP:TRANSPARENT\r\n"
            "END:VEVENT\r\n"
            "END:VCALENDAR\r\n";
    return text;
}

QString fileName(const EventFormat::Record &event)
{
    return QStringLiteral("viridio-%1-%2.ics").arg(nameSlug(event.name), eventUid(event).left(8));
}

SaveResult save(const EventFormat::Record &event, const QString &folder, const QDateTime &stamp)
{
    SaveResult result;
    const QDir dir(folder);
    // Another event's file, or the user's, of that name is kept: the event
    // takes the first of nine names that is free or holds it already.
    const QString name = fileName(event);
    const QString uid = eventUid(event);
    QString target;
    for (int n = 1; n <= 9 && target.isEmpty(); ++n) {
        const QString candidate = dir.absoluteFilePath(
            n == 1 ? name : name.chopped(4) + QStringLiteral("-%1.ics").arg(n));
        const QFileInfo info(candidate);
        if (!info.exists() || !info.isFile() || info.isSymLink() || holdsEvent(candidate, uid))
            target = candidate;
    }
    result.path = QDir::toNativeSeparators(target.isEmpty() ? dir.absoluteFilePath(name) : target);
    if (target.isEmpty()) {
        result.error = QStringLiteral("Files of other events have the names Viridio gives this "
                                      "one in %1; it left them alone and did not save the event.")
                           .arg(QDir::toNativeSeparators(dir.absolutePath()));
        result.reason =
            QStringLiteral("%1 and its eight other names hold other events").arg(result.path);
        return result;
    }
    const QString shownFolder = QDir::toNativeSeparators(dir.absolutePath());

    const QByteArray text = calendarText(event, stamp);
    if (text.isEmpty()) {
        result.error = QStringLiteral("This event has no date a calendar can take, so it was "
                                      "not saved.");
        result.reason = QStringLiteral("the start date \"%1\" cannot be read").arg(event.startDate);
        return result;
    }
    if (!QDir().mkpath(dir.absolutePath())) {
        result.error = QStringLiteral("The folder %1 could not be made, so the event was not "
                                      "saved.")
                           .arg(shownFolder);
        result.reason = QStringLiteral("cannot create %1").arg(shownFolder);
        return result;
    }
    // QSaveFile would write through a link to wherever it points: a link, a
    // folder or a device of that name is left alone. It is looked at again
    // once the file is open, in case it changed in between.
    const auto foreign = [&target, &result] {
        const QFileInfo info(target);
        if (!info.isSymLink() && (!info.exists() || info.isFile()))
            return false;
        result.error = QStringLiteral("There is a link or a folder at %1; Viridio left it "
                                      "alone and did not save the event.")
                           .arg(result.path);
        result.reason =
            QStringLiteral("%1 is %2")
                .arg(result.path, info.isSymLink() ? QStringLiteral("a symbolic link")
                                                   : QStringLiteral("not a regular file"));
        return true;
    };
    if (foreign())
        return result;
    QSaveFile file(target);
    const bool written = file.open(QIODevice::WriteOnly) && !foreign() &&
                         file.write(text) == text.size() && file.commit();
    if (!written && result.reason.isEmpty()) {
        result.error = QStringLiteral("The event could not be saved in %1. Is the folder full "
                                      "or read-only?")
                           .arg(shownFolder);
        result.reason = QStringLiteral("cannot write %1: %2").arg(result.path, file.errorString());
    }
    result.ok = written;
    return result;
}

} // namespace CalendarFile
