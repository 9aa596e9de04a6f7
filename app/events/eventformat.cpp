#include "events/eventformat.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace EventFormat {

namespace {

constexpr quint32 nullStringLength = 0xFFFFFFFF;

// Big-endian UTF-16 text, each lone surrogate read as U+FFFD: stored as it
// came, a high surrogate would swallow the character after it.
QString fromUtf16BigEndian(QByteArrayView bytes)
{
    const qsizetype count = bytes.size() / 2;
    QString text(count, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < count; ++i)
        out[i] = qFromBigEndian<char16_t>(bytes.data() + 2 * i);
    for (qsizetype i = 0; i < count; ++i) {
        if (QChar::isHighSurrogate(out[i]) && i + 1 < count && QChar::isLowSurrogate(out[i + 1]))
            ++i;
        else if (QChar::isSurrogate(out[i]))
            out[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

Decoded decodeMessage(QByteArrayView bytes)
{
    Decoded result;
    if (bytes.size() < 2)
        return result;
    const quint16 size = qFromBigEndian<quint16>(bytes.data());
    if (bytes.size() - 2 < size)
        return result;
    result.used = 2 + qsizetype(size);

    // The string's own 32-bit length must fit, and its text must lie wholly
    // inside the announced size in whole UTF-16 code units. Bytes after the
    // string, up to the announced size, arrived with it and are ignored.
    const QByteArrayView payload = bytes.sliced(2, size);
    result.status = Decoded::Malformed;
    if (payload.size() < 4)
        return result;
    const quint32 length = qFromBigEndian<quint32>(payload.data());
    if (length != nullStringLength) {
        if (length % 2 != 0 || qsizetype(length) > payload.size() - 4)
            return result;
        result.text = fromUtf16BigEndian(payload.sliced(4, qsizetype(length)));
    }
    result.status = Decoded::Complete;
    return result;
}

qsizetype messageSize(const QString &text)
{
    return 2 + 4 + text.size() * 2;
}

QByteArray encodeMessage(const QString &text)
{
    if (messageSize(text) - 2 > maxPayload)
        return {};
    QByteArray payload;
    {
        QDataStream stream(&payload, QIODevice::WriteOnly);
        stream.setVersion(streamVersion);
        stream << text;
    }
    QByteArray message(2, '\0');
    qToBigEndian<quint16>(quint16(payload.size()), message.data());
    return message + payload;
}

QList<Record> parseRecords(const QString &text)
{
    QList<Record> records;
    const QStringList pieces = text.split(recordSeparator(), Qt::KeepEmptyParts);
    for (const QString &piece : pieces) {
        const QStringList fields = piece.split(fieldSeparator(), Qt::KeepEmptyParts);
        if (fields.size() < 6)
            continue;
        records.append(
            {fields.at(0), fields.at(1), fields.at(2), fields.at(3), fields.at(4), fields.at(5)});
    }
    return records;
}

QString joinRecords(const QList<Record> &records)
{
    QStringList pieces;
    pieces.reserve(records.size());
    for (const Record &record : records)
        pieces.append(QStringList{record.name, record.venue, record.description,
                                  record.admissionFee, record.startDate, record.endDate}
                          .join(fieldSeparator()));
    return pieces.join(recordSeparator());
}

} // namespace EventFormat
