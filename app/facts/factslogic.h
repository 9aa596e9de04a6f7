// Quick facts without widgets: the names for the completer, the random pick,
// one fact by number and the numbering the arrows step through.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace Facts {

// One row of QuickFact, in column order.
struct Fact
{
    int id = 0;
    QString factLong;
    QString factShort;
    QString picture; // bare file name in the picture folder
    QString name;
    QString tags;
};

// Where the fact pictures live; the stored name is appended.
QString picturePath(const QString &picture);

// Every factName in the order the table returns them.
QStringList names(const QSqlDatabase &db);

// The factID of one fact picked at random, or nothing when there is none.
std::optional<int> randomId(const QSqlDatabase &db);

// The fact numbered id, or nothing when that number has no row.
std::optional<Fact> find(const QSqlDatabase &db, int id);

// The largest factID (0 for an empty table), or nothing when the statement
// cannot run.
std::optional<int> largestId(const QSqlDatabase &db);

// The number after and before current: past the largest comes 1, below 1 the
// largest.
int nextId(int current, int largest);
int previousId(int current, int largest);

} // namespace Facts
