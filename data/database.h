// The one SQLite database of Viridio: where it lives, its ten tables and the
// insert-if-absent operations that store the built-in content and new events.
// Every statement binds its values; nothing is pasted into SQL text.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Database {

// The home directory, the native separator and "my.db.sqlite"; empty when HOME
// is unset or empty, so that no file is made at the root of the file system.
QString filePath();

// How long a statement waits for another program's lock before it gives up:
// short, so a busy file never holds the window for long.
constexpr int busyTimeoutMs = 250;

// Registers the default "QSQLITE" connection on path and opens it. A file that
// cannot be opened or is not an SQLite database leaves the connection closed and
// writes one warning with the path and the driver's error; the file is not touched.
// A file that is busy (locked by another program) leaves the connection closed
// but keeps the path, so ensureReady tries again; any other failure also clears
// the path, and the program runs without data. An empty path opens nothing.
QSqlDatabase open(const QString &path);

// Whether error is another connection's lock rather than a fault of the file.
bool isBusy(const QSqlError &error);

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
// When error is given, a failed statement puts the driver's message there.
int insertTips(QSqlDatabase &db, const QString &applianceName, const QString &applianceTips,
               QString *error = nullptr);
int insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName, const QString &waterTips,
                    QString *error = nullptr);
int insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                const QString &rateAmt, const QString &rateRetrieve, QString *error = nullptr);
int insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                 const QString &eventDesc, const QString &admissionFee, const QString &startDate,
                 const QString &endDate, QString *error = nullptr);
int insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                    const QString &factPicture, const QString &factName, const QString &factTags,
                    QString *error = nullptr);
int insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
               const QString &option2, const QString &option3, const QString &option4,
               const QString &answer, QString *error = nullptr);
void insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                   const QString &category, const QString &thingNeed, const QString &instruction,
                   const QString &url1, const QString &url2, const QString &urlVideo,
                   QString *error = nullptr);

// What createAndSeed made of the file.
enum class Seeding
{
    Ready,   // schema and built-in content are in place
    Busy,    // another program holds a lock: connection closed, path kept
    Failed,  // a statement failed (disk full, read-only...): nothing kept, connection closed
    Foreign, // an SQLite file with tables but none of ours: untouched, connection closed
    Closed,  // db was not open
};

// Makes sure the schema and the built-in content are in place. A file whose
// content stamp (PRAGMA user_version) is Seed::contentStamp and whose built-in
// tables all hold rows is only read (two small statements). Otherwise the
// missing tables and rows are created in one transaction, which also mends
// crafts stored with NULL second pictures or videos and sets the stamp; on
// failure it is rolled back and standard error says why. Busy, Failed and
// Foreign close the connection (Failed and Foreign also clear its path).
Seeding createAndSeed(QSqlDatabase &db);

// The window's way to its data: true at once when db is open; a connection
// left closed by a busy file is opened and seeded again (one try, at most a
// few busy timeouts); false when there is no data to be had.
bool ensureReady(QSqlDatabase &db);

// Whether the file at path is damaged, as PRAGMA quick_check tells: runs on
// its own read-only connection, so it may be called from any thread. A file
// that cannot be read at all (busy, missing) counts as not damaged.
bool isDamaged(const QString &path);

// Reopens db read-only, so that nothing more is written to a damaged file.
void reopenReadOnly(QSqlDatabase &db);

} // namespace Database
