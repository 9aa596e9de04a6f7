// libFuzzer target for the event server's message: whatever bytes arrive from
// the network, decoding never reads past them, never crashes, and a decoded
// text survives encoding and decoding again unchanged.

#include "app/eventformat.h"

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

    for (const EventFormat::Record &record : EventFormat::parseRecords(decoded.text)) {
        // A stored record never carries a separator inside a field.
        for (const QString &field : {record.name, record.venue, record.description,
                                     record.admissionFee, record.startDate, record.endDate}) {
            if (field.contains(EventFormat::recordSeparator())
                || field.contains(EventFormat::fieldSeparator()))
                std::abort();
        }
    }

    const QByteArray again = EventFormat::encodeMessage(decoded.text);
    if (again.isEmpty())
        return 0;
    const EventFormat::Decoded redecoded = EventFormat::decodeMessage(again);
    if (redecoded.status != EventFormat::Decoded::Complete || redecoded.text != decoded.text
        || redecoded.used != again.size())
        std::abort();
    return 0;
}
