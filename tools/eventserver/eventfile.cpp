#include "eventfile.h"

#include <QDate>
#include <QHash>
#include <QMap>

namespace EventFile {

namespace {

const QStringList &keys()
{
    static const QStringList list = {QStringLiteral("name"),        QStringLiteral("venue"),
                                     QStringLiteral("description"), QStringLiteral("fee"),
                                     QStringLiteral("start"),       QStringLiteral("end")};
    return list;
}

// A date as the viewer writes it: no leading zeros, four-digit year.
QDate strictDate(const QString &text)
{
    const QString pattern = QStringLiteral("M@d@yyyy");
    const QDate date = QDate::fromString(text, pattern);
    return date.isValid() && date.toString(pattern) == text ? date : QDate();
}

struct Block
{
    int firstLine = 0;
    QMap<QString, QString> fields;
    QHash<QString, int> lineOf;
};

class Reader
{
public:
    Result result;

    void error(int line, const QString &text)
    {
        result.errors.append(QStringLiteral("line %1: %2").arg(line).arg(text));
    }

    void finishBlock(Block &block)
    {
        if (block.firstLine == 0)
            return;
        bool usable = true;
        for (const QString &key : keys()) {
            if (!block.fields.contains(key)) {
                error(block.firstLine,
                      QStringLiteral("the event has no \"%1:\" line; every event needs name, "
                                     "venue, description, fee, start and end")
                          .arg(key));
                usable = false;
            }
        }
        for (auto it = block.fields.cbegin(); it != block.fields.cend(); ++it) {
            for (const QString &separator :
                 {EventFormat::recordSeparator(), EventFormat::fieldSeparator()}) {
                if (it.value().contains(separator)) {
                    error(block.lineOf.value(it.key()),
                          QStringLiteral("the %1 holds \"%2\", which separates events and "
                                         "their fields in the message")
                              .arg(it.key(), separator));
                    usable = false;
                }
            }
        }
        const QString name = block.fields.value(QStringLiteral("name"));
        if (block.fields.contains(QStringLiteral("name"))) {
            if (name.isEmpty()) {
                error(block.lineOf.value(QStringLiteral("name")),
                      QStringLiteral("the name is empty"));
                usable = false;
            } else if (firstLineOfName.contains(name)) {
                error(block.lineOf.value(QStringLiteral("name")),
                      QStringLiteral("the name \"%1\" is used already on line %2; the viewer "
                                     "keeps only the first event of a name")
                          .arg(name)
                          .arg(firstLineOfName.value(name)));
                usable = false;
            } else {
                firstLineOfName.insert(name, block.lineOf.value(QStringLiteral("name")));
            }
        }
        QDate dates[2];
        const QString dateKeys[2] = {QStringLiteral("start"), QStringLiteral("end")};
        for (int i = 0; i < 2; ++i) {
            if (!block.fields.contains(dateKeys[i]))
                continue;
            dates[i] = strictDate(block.fields.value(dateKeys[i]));
            if (!dates[i].isValid()) {
                error(block.lineOf.value(dateKeys[i]),
                      QStringLiteral("the %1 date \"%2\" is not a date written month@day@year "
                                     "without leading zeros, such as 3@22@2026")
                          .arg(dateKeys[i], block.fields.value(dateKeys[i])));
                usable = false;
            }
        }
        if (dates[0].isValid() && dates[1].isValid() && dates[1] < dates[0]) {
            error(block.lineOf.value(QStringLiteral("end")),
                  QStringLiteral("the event ends before it starts"));
            usable = false;
        }
        const EventFormat::Record record = {name,
                                            block.fields.value(QStringLiteral("venue")),
                                            block.fields.value(QStringLiteral("description")),
                                            block.fields.value(QStringLiteral("fee")),
                                            block.fields.value(QStringLiteral("start")),
                                            block.fields.value(QStringLiteral("end"))};
        // A field ending in "@//" runs into the separator after it.
        if (usable && EventFormat::parseRecords(EventFormat::joinRecords({record})) !=
                          QList<EventFormat::Record>{record}) {
            error(block.firstLine, QStringLiteral("a field ends in \"@//\", which the viewer "
                                                  "would read as the start of \"@//@\""));
            usable = false;
        }
        if (usable)
            result.records.append(record);
        block = Block();
    }

private:
    QHash<QString, int> firstLineOfName;
};

} // namespace

Result parse(const QString &content)
{
    Reader reader;
    Block block;
    QString lastKey;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty()) {
            reader.finishBlock(block);
            lastKey.clear();
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.at(0).isSpace()) {
            if (lastKey.isEmpty()) {
                reader.error(number, QStringLiteral("an indented line continues nothing"));
                continue;
            }
            QString &value = block.fields[lastKey];
            value += (value.isEmpty() ? QString() : QStringLiteral(" ")) + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString key = colon < 0 ? QString() : line.left(colon).trimmed().toLower();
        if (!keys().contains(key)) {
            reader.error(number, QStringLiteral("expected one of name:, venue:, description:, "
                                                "fee:, start:, end: but found \"%1\"")
                                     .arg(line.left(40)));
            lastKey.clear();
            continue;
        }
        if (block.firstLine == 0)
            block.firstLine = number;
        if (block.fields.contains(key)) {
            reader.error(number, QStringLiteral("a second \"%1:\" line in one event; separate "
                                                "events with a blank line")
                                     .arg(key));
            lastKey.clear();
            continue;
        }
        block.fields.insert(key, line.mid(colon + 1).trimmed());
        block.lineOf.insert(key, number);
        lastKey = key;
    }
    reader.finishBlock(block);

    Result result = reader.result;
    const qsizetype size = EventFormat::messageSize(EventFormat::joinRecords(result.records)) - 2;
    if (result.errors.isEmpty() && size > EventFormat::maxPayload)
        result.errors.append(QStringLiteral("the %1 events make a message of %2 bytes; at most "
                                            "%3 fit in one message")
                                 .arg(result.records.size())
                                 .arg(size)
                                 .arg(EventFormat::maxPayload));
    return result;
}

} // namespace EventFile
