// The event server's message, shared by the update client and the companion
// server: a 16-bit big-endian size, then one string in the data-stream format
// of Qt 4.0 (a 32-bit byte length and UTF-16 big-endian text). The text holds
// event records separated by "||", each of six fields separated by "@//@".
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include "data/seedcontent.h"

namespace EventFormat {

// The data-stream version both ends speak: 7, the format of Qt 4.0.
constexpr int streamVersion = 7;

// The most bytes a message can carry after its size field.
constexpr int maxPayload = 0xFFFF;

inline QString recordSeparator()
{
    return QStringLiteral("||");
}
inline QString fieldSeparator()
{
    return QStringLiteral("@//@");
}

// One event as it travels: the same six fields as a stored event.
using Record = Seed::Event;

struct Decoded
{
    enum Status
    {
        NeedMore,  // the bytes so far are a prefix of a message
        Complete,  // text holds the message's string
        Malformed, // the message contradicts itself; nothing in it can be trusted
    };
    Status status = NeedMore;
    QString text;       // the string (empty for a null string)
    qsizetype used = 0; // bytes the message took, size field included
};

// Decodes the first message in bytes. Bytes after it are not looked at. A
// message is malformed when its size field cannot hold the string's length,
// when the string's byte length is odd or when the string runs past the
// announced size (a string cut short). A size larger than the string needs is
// accepted: the string arrived whole and the bytes after it, up to the
// announced size, are ignored (used counts them). A lone UTF-16 surrogate in
// the text reads as U+FFFD; every other code unit is kept as it came.
Decoded decodeMessage(QByteArrayView bytes);

// The bytes of a message carrying text, or an empty array when the text does
// not fit in one message.
QByteArray encodeMessage(const QString &text);

// The byte count of the message for text, size field included.
qsizetype messageSize(const QString &text);

// Splits text into records; a record of fewer than six fields (such as the
// empty one a trailing "||" leaves) is skipped, fields after the sixth are
// ignored.
QList<Record> parseRecords(const QString &text);

// Joins records into the text of a message.
QString joinRecords(const QList<Record> &records);

} // namespace EventFormat
