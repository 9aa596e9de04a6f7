// The one SQLite database of Viridio: where it lives, its ten tables and the
// insert-if-absent operations that store the built-in content and new events.
// Every statement binds its values; nothing is pasted into SQL text.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Database {

// The home directory, the native separator and "my.db.sqlite".
QString filePath();

// Registers the default "QSQLITE" connection on path and opens it. A file that
// cannot be opened or is not an SQLite database leaves the connection closed and
// writes one warning with the path and the driver's error; the file is not touched.
QSqlDatabase open(const QString &path);

// Prepares sql on db, binds values in order and runs it. A closed connection
// or a failed statement leaves the query inactive, which callers read as "no
// rows". Every statement of the program goes through here or binds likewise.
QSqlQuery run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

// The first column of every row sql returns, as text; empty when it fails.
QStringList column(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

// The ten create statements in creation order, as stored files declare them.
const QStringList &createStatements();

// Runs the create statement of table on db; an existing table is left as it is.
void createTable(QSqlDatabase &db, const QString &table);

// Insert-if-absent operations. Those returning int give the new row's id, or -1
// when the connection is closed, the row exists already or the insert failed.
int insertTips(QSqlDatabase &db, const QString &applianceName, const QString &applianceTips);
int insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName, const QString &waterTips);
int insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                const QString &rateAmt, const QString &rateRetrieve);
int insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                 const QString &eventDesc, const QString &admissionFee, const QString &startDate,
                 const QString &endDate);
int insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                    const QString &factPicture, const QString &factName, const QString &factTags);
int insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
               const QString &option2, const QString &option3, const QString &option4,
               const QString &answer);
void insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                   const QString &category, const QString &thingNeed, const QString &instruction,
                   const QString &url1, const QString &url2, const QString &urlVideo);

// Creates the schema and stores the built-in content that is missing, in three
// blocks (tips, tariffs, events and facts; the quiz; craft ideas), each in one
// transaction. Does nothing when db is closed.
void createAndSeed(QSqlDatabase &db);

} // namespace Database
