#include "facts/factslogic.h"

#include "data/database.h"

#include <QSqlQuery>
#include <QVariant>

QString Facts::picturePath(const QString &picture)
{
    return QStringLiteral(":/new/prefix1/images/") + picture;
}

QStringList Facts::names(const QSqlDatabase &db)
{
    return Database::column(db, QStringLiteral("SELECT factName from QuickFact"));
}

std::optional<int> Facts::randomId(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return std::nullopt;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT * FROM QuickFact ORDER BY RANDOM() LIMIT 1")) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

std::optional<Facts::Fact> Facts::find(const QSqlDatabase &db, int id)
{
    // The number is bound as an integer: factID is the row's integer key.
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT * FROM QuickFact where factID=?"), {id});
    if (!query.isActive() || !query.next())
        return std::nullopt;
    return Fact{query.value(0).toInt(),    query.value(1).toString(), query.value(2).toString(),
                query.value(3).toString(), query.value(4).toString(), query.value(5).toString()};
}

std::optional<int> Facts::largestId(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return std::nullopt;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECt MAX(factID) from QuickFact")) || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

int Facts::nextId(int current, int largest)
{
    const int next = current + 1;
    return next > largest ? 1 : next;
}

int Facts::previousId(int current, int largest)
{
    const int previous = current - 1;
    return previous <= 0 ? largest : previous;
}
