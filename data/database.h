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

#include <functional>

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
// the path, and the program runs without data. A file that can only be read
// (a read-only home, where a WAL-mode file cannot make its shared-memory file)
// is opened read-only, as a file nothing else writes to. An empty path opens
// nothing. A missing file is made readable by its owner only (so is its
// journal); a link there that leads nowhere is not followed and the program
// runs without data.
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

// The create statements of the household's own tables: its settings (power
// and count of each appliance, the currency sign...) and the answers kept
// beside the diaries' costs and its meter readings; existing tables are left
// as they are.
const QStringList &householdStatements();

// Runs householdStatements() on db; false when one fails.
bool createHouseholdTables(const QSqlDatabase &db);

// Runs write inside one write transaction on db, taken at once (BEGIN
// IMMEDIATE): what write reads to decide is what it writes beside, and no
// other connection writes in between. All of it is stored (write gives true
// and the commit succeeds), or it is rolled back and nothing is. False
// without an open connection or when the transaction cannot begin; a failed
// statement is then named by lastWriteFailure() and its driver's text goes
// to standard error.
bool inTransaction(const QSqlDatabase &db, const std::function<bool()> &write);

// Why a write to the data file failed.
enum class WriteFailure
{
    None,     // no statement failed (write itself refused, or nothing was tried)
    Busy,     // another program holds a lock on the file
    Full,     // the disk (or the file's limit) is full
    ReadOnly, // the file can only be read
    Other,    // any other fault, such as a closed connection
};

// What error tells of a failed write.
WriteFailure failureOf(const QSqlError &error);

// Why the last save on this thread failed: the statement that failed last,
// inside the last inTransaction or after it (such as a setting read for the
// next save). None after an inTransaction that stored its writes, or whose
// write refused without a failed statement.
WriteFailure lastWriteFailure();

// The household's words for failure, to follow "Not stored: " and the like:
// "the disk is full. Make room on it, then try again." and the like.
QString failureText(WriteFailure failure);

// The name of every table Viridio creates: the ten above and the household's
// own tables (AppliancePower, ApplianceCount, Settings, DayUsage,
// MeterReading, PlugAssignment, PlugReading).
const QStringList &tableNames();

// The file the connection db reads: its path, also when it was opened
// read-only through a "file:" address.
QString pathOf(const QSqlDatabase &db);

// Whether db was opened read-only.
bool isReadOnly(const QSqlDatabase &db);

// Runs the create statement of table on db; an existing table is left as it is.
void createTable(QSqlDatabase &db, const QString &table);

// Insert-if-absent operations. Those returning int give the new row's id, or -1
// when the connection is closed, the row exists already or the insert failed.
// When error is given, a failed statement puts the driver's error there.
int insertTips(QSqlDatabase &db, const QString &applianceName, const QString &applianceTips,
               QSqlError *error = nullptr);
int insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName, const QString &waterTips,
                    QSqlError *error = nullptr);
int insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                const QString &rateAmt, const QString &rateRetrieve, QSqlError *error = nullptr);
int insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                 const QString &eventDesc, const QString &admissionFee, const QString &startDate,
                 const QString &endDate, QSqlError *error = nullptr);
int insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                    const QString &factPicture, const QString &factName, const QString &factTags,
                    QSqlError *error = nullptr);
int insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
               const QString &option2, const QString &option3, const QString &option4,
               const QString &answer, QSqlError *error = nullptr);
void insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                   const QString &category, const QString &thingNeed, const QString &instruction,
                   const QString &url1, const QString &url2, const QString &urlVideo,
                   QSqlError *error = nullptr);

// What createAndSeed made of the file.
enum class Seeding
{
    Ready,   // schema and built-in content are in place (or left as a newer version made them)
    Busy,    // another program holds a lock: connection closed, path kept
    Failed,  // a statement failed (disk full, read-only...): nothing kept, connection closed
    Foreign, // an SQLite file holding a table Viridio does not create: untouched, closed
    Closed,  // db was not open
};

// Makes sure the schema and the built-in content are in place. A file without
// tables is new. A file holding any table that is not one of tableNames() is
// another program's and is left byte for byte as it was. A file stamped (PRAGMA
// user_version) above Seed::contentStamp was made by a newer Viridio: it is used
// as it is, nothing is created, seeded or stamped in it; so is a file opened
// read-only. A file stamped Seed::contentStamp whose tables are all there and
// whose built-in tables all hold rows is only read (two small statements).
// Otherwise, in one transaction, the missing tables are created and the
// built-in rows go into the tables created now or found empty (every missing
// built-in row goes in when the stamp is below Seed::rowsStamp): a built-in row
// the household deleted from a table that still holds rows stays deleted. The
// transaction also mends crafts stored with NULL second pictures or videos and
// sets the stamp; on failure it is rolled back and standard error says why.
// Busy, Failed and Foreign close the connection (Failed and Foreign also clear
// its path).
Seeding createAndSeed(QSqlDatabase &db);

// The window's way to its data: true at once when db is open; a connection
// left closed by a busy file is opened and seeded again (one try, at most a
// few busy timeouts); false when there is no data to be had.
bool ensureReady(QSqlDatabase &db);

// Runs work with a connection of its own (read-only unless writable says so)
// to the file that a connection of databaseName (a path or a "file:" address)
// reads, so it may be called from any thread. The connection is closed when
// the file is missing or cannot be opened; work is called in every case.
void withOwnConnection(const QString &databaseName, const std::function<void(QSqlDatabase &)> &work,
                       bool writable = false);

// What PRAGMA quick_check tells of a data file.
enum class FileCheck
{
    Sound,
    Damaged,
    Unknown, // it could not be checked: busy (locked by another program) or unreadable
};

// Checks the file that a connection of databaseName reads, on a connection of
// its own (see withOwnConnection), so it may be called from any thread. Only a
// check that reads a fault, or a file that SQLite finds corrupt or not a
// database, says Damaged; a missing file is Sound.
FileCheck checkFile(const QString &databaseName);

// Reopens db read-only, so that nothing more is written to a damaged file.
void reopenReadOnly(QSqlDatabase &db);

} // namespace Database
