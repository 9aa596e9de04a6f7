// libFuzzer target for the event server's message: whatever bytes arrive from
// the network, decoding never reads past them, never crashes, takes the whole
// announced size, keeps every code unit of the string as it came except a lone
// surrogate (read as U+FFFD), and a decoded text survives encoding and
// decoding again unchanged.

#include "app/events/eventformat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const EventFormat::Decoded decoded = EventFormat::decodeMessage(bytes);
    if (decoded.status != EventFormat::Decoded::Complete)
        return 0;
    if (decoded.used < 2 || decoded.used > bytes.size())
        std::abort();
    // The message is the size field and the announced bytes; the string lies
    // inside them, and whatever follows it up to the size is ignored.
    const qsizetype announced = qsizetype(quint8(bytes[0])) << 8 | quint8(bytes[1]);
    if (decoded.used != 2 + announced || 2 + 4 + 2 * decoded.text.size() > decoded.used)
        std::abort();
    for (qsizetype i = 0; i < decoded.text.size(); ++i) {
        const char16_t sent = char16_t(quint8(bytes[6 + 2 * i]) << 8 | quint8(bytes[7 + 2 * i]));
        const QChar unit = decoded.text.at(i);
        if (unit != QChar(sent) &&
            !(unit == QChar::ReplacementCharacter && QChar::isSurrogate(sent)))
            std::abort();
    }
    if (!decoded.text.isValidUtf16())
        std::abort();

    for (const EventFormat::Record &record : EventFormat::parseRecords(decoded.text)) {
        // A stored record never carries a separator inside a field.
        for (const QString &field : {record.name, record.venue, record.description,
                                     record.admissionFee, record.startDate, record.endDate}) {
            if (field.contains(EventFormat::recordSeparator()) ||
                field.contains(EventFormat::fieldSeparator()))
                std::abort();
        }
    }

    const QByteArray again = EventFormat::encodeMessage(decoded.text);
    if (again.isEmpty())
        return 0;
    const EventFormat::Decoded redecoded = EventFormat::decodeMessage(again);
    if (redecoded.status != EventFormat::Decoded::Complete || redecoded.text != decoded.text ||
        redecoded.used != again.size())
        std::abort();
    return 0;
}
