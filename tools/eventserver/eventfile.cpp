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
        result.errors.append(QStringLiteral("line %1: %2").arg(QString::number(line), text));
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
        const EventFormat::Record record = {block.fields.value(QStringLiteral("name")),
                                            block.fields.value(QStringLiteral("venue")),
                                            block.fields.value(QStringLiteral("description")),
                                            block.fields.value(QStringLiteral("fee")),
                                            block.fields.value(QStringLiteral("start")),
                                            block.fields.value(QStringLiteral("end"))};
        const QString where =
            QStringLiteral("on line %1").arg(block.lineOf.value(QStringLiteral("name")));
        for (const Checker::Problem &problem : checker.check(record, where)) {
            // A missing line was said above.
            if (!problem.field.isEmpty() && !block.fields.contains(problem.field))
                continue;
            error(block.lineOf.value(problem.field, block.firstLine), problem.text);
            usable = false;
        }
        if (usable)
            result.records.append(record);
        block = Block();
    }

private:
    Checker checker;
};

} // namespace

QList<Checker::Problem> Checker::check(const EventFormat::Record &record, const QString &where)
{
    QList<Problem> problems;
    const QString values[6] = {record.name,         record.venue,     record.description,
                               record.admissionFee, record.startDate, record.endDate};
    for (int i = 0; i < 6; ++i) {
        for (const QString &separator :
             {EventFormat::recordSeparator(), EventFormat::fieldSeparator()}) {
            if (values[i].contains(separator))
                problems.append({keys().at(i), QStringLiteral("the %1 holds \"%2\", which "
                                                              "separates events and their "
                                                              "fields in the message")
                                                   .arg(keys().at(i), separator)});
        }
    }
    const QString name = QStringLiteral("name");
    if (record.name.isEmpty()) {
        problems.append({name, QStringLiteral("the name is empty")});
    } else if (placeOfName.contains(record.name)) {
        problems.append({name, QStringLiteral("the name \"%1\" is used already %2; the viewer "
                                              "keeps only the first event of a name")
                                   .arg(record.name, placeOfName.value(record.name))});
    } else {
        placeOfName.insert(record.name, where);
    }
    QDate dates[2];
    for (int i = 0; i < 2; ++i) {
        dates[i] = strictDate(values[4 + i]);
        if (!dates[i].isValid())
            problems.append(
                {keys().at(4 + i), QStringLiteral("the %1 date \"%2\" is not a date written "
                                                  "month@day@year without leading zeros, such as "
                                                  "3@22@2026")
                                       .arg(keys().at(4 + i), values[4 + i])});
    }
    if (dates[0].isValid() && dates[1].isValid() && dates[1] < dates[0])
        problems.append({keys().at(5), QStringLiteral("the event ends before it starts")});
    // A field ending in "@//" runs into the separator after it.
    if (problems.isEmpty() && EventFormat::parseRecords(EventFormat::joinRecords({record})) !=
                                  QList<EventFormat::Record>{record})
        problems.append({QString(), QStringLiteral("a field ends in \"@//\", which the viewer "
                                                   "would read as the start of \"@//@\"")});
    return problems;
}

QString sizeProblem(const QList<EventFormat::Record> &records)
{
    const qsizetype size = EventFormat::messageSize(EventFormat::joinRecords(records)) - 2;
    if (size <= EventFormat::maxPayload)
        return {};
    return QStringLiteral("the %1 events make a message of %2 bytes; at most %3 fit in one "
                          "message")
        .arg(QString::number(records.size()), QString::number(size),
             QString::number(EventFormat::maxPayload));
}

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
    const QString tooLong = sizeProblem(result.records);
    if (result.errors.isEmpty() && !tooLong.isEmpty())
        result.errors.append(tooLong);
    return result;
}

} // namespace EventFile
