#include "database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QVariant>

namespace {

using Database::run;

// Runs sql; a failed statement puts its message in error (when given).
QSqlQuery checked(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                  QSqlError *error)
{
    QSqlQuery query = run(db, sql, values);
    if (!query.isActive() && error && !error->isValid())
        *error = db.isOpen()
                     ? query.lastError()
                     : QSqlError(QStringLiteral("database closed"), {}, QSqlError::ConnectionError);
    return query;
}

bool hasRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
            QSqlError *error)
{
    QSqlQuery query = checked(db, sql, values, error);
    return query.isActive() && query.next();
}

int insertRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
              QSqlError *error)
{
    const QSqlQuery query = checked(db, sql, values, error);
    return query.isActive() ? query.lastInsertId().toInt() : -1;
}

// SQLite's result codes (the driver's native error codes) that matter here.
enum ResultCode
{
    ReadOnlyCode = 8,
    CorruptCode = 11,
    FullCode = 13,
    CantOpenCode = 14,
    NotADatabaseCode = 26,
};

// The error of the statement that failed last on this thread, cleared as a
// write transaction begins: what a save that failed met.
thread_local QSqlError failedStatement;

int resultCode(const QSqlError &error)
{
    // An extended code carries the primary one in its low byte.
    return error.nativeErrorCode().toInt() & 0xff;
}

// A connection's name is its file's path, or a "file:" address for a file
// opened read-only as immutable.
bool isAddress(const QString &name)
{
    return name.startsWith(QLatin1String("file:"));
}

QString pathOfName(const QString &name)
{
    return isAddress(name) ? QUrl(name).toLocalFile() : name;
}

// The connect options of every connection to the data file.
QString connectOptions(bool readOnly, const QString &name)
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Database::busyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (isAddress(name))
        options += QStringLiteral(";QSQLITE_OPEN_URI");
    return options;
}

// Opens db on name and reads the schema: SQLite opens any file lazily, so
// reading it tells a database from a file that merely has the name. Returns
// the error, none when the connection is open.
QSqlError openAs(QSqlDatabase &db, const QString &name, bool readOnly)
{
    db.setDatabaseName(name);
    db.setConnectOptions(connectOptions(readOnly, name));
    if (!db.open())
        return db.lastError();
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return {};
    QSqlError error = probe.lastError();
    probe.finish();
    db.close();
    return error;
}

// Opens db on path. A busy file keeps the path for a later try; any other
// failure clears it. A file that cannot be written where it lies (a WAL-mode
// file in a read-only home cannot make its shared-memory file, so SQLite reads
// it only as immutable) is opened read-only: nothing will change it meanwhile,
// as nothing can write there.
bool openAndProbe(QSqlDatabase &db, const QString &path)
{
    QSqlError error = openAs(db, path, false);
    if (!error.isValid())
        return true;
    const int code = resultCode(error);
    if ((code == ReadOnlyCode || code == CantOpenCode) && QFileInfo(path).isFile()) {
        QUrl address = QUrl::fromLocalFile(path);
        address.setQuery(QStringLiteral("immutable=1"));
        if (!openAs(db, address.toString(QUrl::FullyEncoded), true).isValid()) {
            qWarning().noquote() << "Viridio: the database" << path
                                 << "can only be read (" + error.text() +
                                        "); it is opened read-only and nothing is saved";
            return true;
        }
        db.setDatabaseName(path);
    }
    if (Database::isBusy(error)) {
        qWarning().noquote() << "Viridio: the database" << path
                             << "is busy (locked by another program); trying again later";
    } else {
        qWarning().noquote() << "Viridio: cannot use the database" << path << "-" << error.text();
        db.setDatabaseName(QString());
    }
    return false;
}

// Makes a missing data file, empty and readable by its owner only: it holds
// the broker's password, and SQLite gives its journal the file's mode. An
// existing file is left as it is. A link that leads nowhere is not followed
// (nothing is made at its target): false, with why on standard error.
bool makeOwnFile(const QString &path)
{
    QFile file(path);
    // A new file only (O_EXCL), which never follows a link.
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        qWarning().noquote() << "Viridio: cannot use the database" << path << "- it is a link to"
                             << info.symLinkTarget()
                             << ", which does not exist; nothing is made there, running without "
                                "data";
        return false;
    }
    // Anything else (a home that is not a folder...) SQLite reports.
    return true;
}

} // namespace

QSqlQuery Database::run(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    // Rows are read once, in order: none is kept after it has been read.
    query.setForwardOnly(true);
    if (db.isOpen() && query.prepare(sql)) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        query.exec();
    }
    if (!query.isActive() && query.lastError().isValid())
        failedStatement = query.lastError();
    return query;
}

QStringList Database::column(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QStringList texts;
    QSqlQuery query = run(db, sql, values);
    while (query.isActive() && query.next())
        texts.append(query.value(0).toString());
    return texts;
}

QString Database::filePath()
{
    if (qEnvironmentVariable("HOME").isEmpty())
        return QString();
    return QDir::toNativeSeparators(QDir::homePath() + QDir::separator() +
                                    QStringLiteral("my.db.sqlite"));
}

bool Database::isBusy(const QSqlError &error)
{
    // SQLITE_BUSY and SQLITE_LOCKED, as the driver reports them.
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

QSqlDatabase Database::open(const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    if (path.isEmpty()) {
        qWarning().noquote() << "Viridio: no home folder (HOME is unset or empty), so there is "
                                "no database; running without data";
        return db;
    }
    if (makeOwnFile(path))
        openAndProbe(db, path);
    return db;
}

bool Database::ensureReady(QSqlDatabase &db)
{
    if (db.isOpen())
        return true;
    if (db.databaseName().isEmpty())
        return false;
    return makeOwnFile(pathOf(db)) && openAndProbe(db, pathOf(db)) &&
           createAndSeed(db) == Seeding::Ready;
}

QString Database::pathOf(const QSqlDatabase &db)
{
    return pathOfName(db.databaseName());
}

bool Database::isReadOnly(const QSqlDatabase &db)
{
    return db.connectOptions().contains(QLatin1String("QSQLITE_OPEN_READONLY"));
}

void Database::withOwnConnection(const QString &databaseName,
                                 const std::function<void(QSqlDatabase &)> &work, bool writable)
{
    const QString name =
        QStringLiteral("viridio-own-%1").arg(quintptr(QThread::currentThreadId()), 0, 16);
    {
        QSqlDatabase own = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        own.setDatabaseName(databaseName);
        own.setConnectOptions(connectOptions(!writable, databaseName));
        // SQLite would make an empty file of a missing one.
        if (!databaseName.isEmpty() && QFileInfo::exists(pathOfName(databaseName)))
            own.open();
        work(own);
        own.close();
    }
    QSqlDatabase::removeDatabase(name);
}

Database::FileCheck Database::checkFile(const QString &databaseName)
{
    FileCheck result = FileCheck::Sound;
    withOwnConnection(databaseName, [&result](QSqlDatabase &check) {
        // Only a fault the check reads, or a file SQLite finds corrupt, is
        // damage: a lock or an unreadable file leave the question open.
        const auto verdict = [](const QSqlError &error) {
            const int code = resultCode(error);
            return code == CorruptCode || code == NotADatabaseCode ? FileCheck::Damaged
                                                                   : FileCheck::Unknown;
        };
        if (!check.isOpen()) {
            // A missing file has nothing to be damaged.
            if (check.lastError().isValid())
                result = verdict(check.lastError());
            return;
        }
        QSqlQuery query(check);
        if (!query.exec(QStringLiteral("PRAGMA quick_check")))
            result = verdict(query.lastError());
        else if (query.next() && query.value(0).toString() != QLatin1String("ok"))
            result = FileCheck::Damaged;
    });
    return result;
}

void Database::reopenReadOnly(QSqlDatabase &db)
{
    if (db.databaseName().isEmpty())
        return;
    db.close();
    db.setConnectOptions(connectOptions(true, db.databaseName()));
    db.open();
}

const QStringList &Database::createStatements()
{
    static const QStringList statements = {
        QStringLiteral("create table QuickFact (factID integer primary key, factLong "
                       "varchar(1000), factShort varchar(20), factPicture varchar(100), "
                       "factName varchar(20), factTags varchar(100))"),
        QStringLiteral("create table Rates (rateID integer primary key, rateDate varchar(20), "
                       "rateType varchar(20), rateAmt varchar(20), rateRetrieve varchar(1000))"),
        QStringLiteral("create table Diary (retrieveDate string primary key, valOfAirCon "
                       "varchar(20), valOfLaptop varchar(20), valOfFan varchar(20), valOfLights "
                       "varchar(20), valOfDvdPlayer varchar(20),valOfLcdTv varchar(20), "
                       "valOfWashingMachine varchar(20), valOfHairDryer varchar(20), "
                       "valOfMicrowave varchar(20), valOfRiceCooker varchar(20), "
                       "valOfRefrigerator varchar(20))"),
        QStringLiteral("create table Tips (tipsID integer primary key, applianceName "
                       "varchar(20), applianceTips varchar(1000))"),
        QStringLiteral("create table waterTips (waterTipsID integer primary key, "
                       "waterApplianceName varchar(20), waterTips varchar(1000))"),
        QStringLiteral("create table waterDiary (waterRetrieveDate string primary "
                       "key,noOfFamilyMem varchar(20), amtOfTapUsed varchar(20), "
                       "amtOfWashingMachineUsed varchar(20), amtOfdishWashingUsed "
                       "varchar(20),amtOfShowerUsed varchar(20), amtOfLawnUsed varchar(20), "
                       "amtOfToiletBowlUsed varchar(20))"),
        QStringLiteral("create table Events (eventID integer primary key, eventName "
                       "varchar(200), venue varchar(200), eventDesc varchar(1000), admissionFee "
                       "varchar(20), startDate varchar(10), endDate varchar(10))"),
        QStringLiteral("create table Quiz (QID integer primary key, Question varchar(1000), "
                       "Option1 varchar(200), Option2 varchar(200), Option3 varchar(200), "
                       "Option4 varchar(200), Answer varchar(200))"),
        QStringLiteral("create table QuizScore (QID interger primary key, QuizHScore interger)"),
        QStringLiteral("create table DarAror (Title varchar(200) primary key, Description "
                       "varchar(1000), Category varchar(200), ThingNeed varchar(1000), "
                       "Instruction varchar(1000), URL1 varchar(200), URL2 varchar(200), "
                       "URLVideo varchar(200))"),
    };
    return statements;
}

const QStringList &Database::householdStatements()
{
    static const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS AppliancePower (applianceName TEXT PRIMARY "
                       "KEY, watts INTEGER)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS ApplianceCount (applianceName TEXT PRIMARY "
                       "KEY, count INTEGER)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Settings (key TEXT PRIMARY KEY, value TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS DayUsage (dayKey TEXT NOT NULL, item TEXT NOT "
                       "NULL, amount REAL, watts INTEGER, count INTEGER, quantity REAL, PRIMARY "
                       "KEY (dayKey, item))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS OwnAppliance (id INTEGER PRIMARY KEY, name TEXT "
                       "NOT NULL, watts INTEGER NOT NULL, count INTEGER NOT NULL, removed INTEGER "
                       "NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS OwnApplianceDay (dayKey TEXT NOT NULL, "
                       "applianceId INTEGER NOT NULL, cost REAL, PRIMARY KEY (dayKey, "
                       "applianceId))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS MeterReading (meter TEXT NOT NULL, readingDate "
                       "TEXT NOT NULL, reading TEXT NOT NULL, newSeries INTEGER NOT NULL DEFAULT "
                       "0, PRIMARY KEY (meter, readingDate))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS PlugAssignment (appliance TEXT PRIMARY KEY, "
                       "plug TEXT NOT NULL UNIQUE)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS PlugReading (plug TEXT NOT NULL, series "
                       "INTEGER NOT NULL, readingDate TEXT NOT NULL, firstReading TEXT NOT NULL, "
                       "reading TEXT NOT NULL, PRIMARY KEY (plug, series, readingDate))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Calendar (address TEXT PRIMARY KEY, triedOn "
                       "TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS CalendarEvent (address TEXT NOT NULL, "
                       "eventName TEXT NOT NULL, PRIMARY KEY (address, eventName))"),
    };
    return statements;
}

bool Database::createHouseholdTables(const QSqlDatabase &db)
{
    for (const QString &statement : householdStatements()) {
        if (!run(db, statement).isActive())
            return false;
    }
    return true;
}

bool Database::inTransaction(const QSqlDatabase &db, const std::function<bool()> &write)
{
    failedStatement = QSqlError();
    if (!db.isOpen()) {
        failedStatement =
            QSqlError(QStringLiteral("database closed"), {}, QSqlError::ConnectionError);
        return false;
    }
    bool stored = run(db, QStringLiteral("BEGIN IMMEDIATE")).isActive();
    if (stored) {
        stored = write() && run(db, QStringLiteral("COMMIT")).isActive();
        // A failed COMMIT (busy, disk full) leaves the transaction open too.
        if (!stored) {
            const QSqlError failure = failedStatement;
            run(db, QStringLiteral("ROLLBACK"));
            failedStatement = failure;
        }
    }
    if (stored)
        failedStatement = QSqlError();
    else if (failedStatement.isValid())
        qWarning().noquote() << "Viridio: not stored in" << pathOf(db) << "-"
                             << failedStatement.text();
    return stored;
}

Database::WriteFailure Database::failureOf(const QSqlError &error)
{
    if (!error.isValid())
        return WriteFailure::None;
    if (isBusy(error))
        return WriteFailure::Busy;
    switch (resultCode(error)) {
    case FullCode:
        return WriteFailure::Full;
    case ReadOnlyCode:
        return WriteFailure::ReadOnly;
    default:
        return WriteFailure::Other;
    }
}

Database::WriteFailure Database::lastWriteFailure()
{
    return failureOf(failedStatement);
}

QString Database::failureText(WriteFailure failure)
{
    switch (failure) {
    case WriteFailure::Busy:
        return QStringLiteral("the data file is busy in another program. Please try again.");
    case WriteFailure::Full:
        return QStringLiteral("the disk is full. Make room on it, then try again.");
    case WriteFailure::ReadOnly:
        return QStringLiteral("the data file can only be read, so nothing can be saved in it.");
    default:
        return QStringLiteral("the data file cannot be written. Please try again.");
    }
}

const QStringList &Database::tableNames()
{
    static const QStringList names = [] {
        QStringList all;
        // "create table NAME (..." and "CREATE TABLE IF NOT EXISTS NAME (...".
        for (const QString &statement : createStatements())
            all.append(statement.section(QLatin1Char(' '), 2, 2));
        for (const QString &statement : householdStatements())
            all.append(statement.section(QLatin1Char(' '), 5, 5));
        return all;
    }();
    return names;
}

void Database::createTable(QSqlDatabase &db, const QString &table)
{
    const QString prefix = QStringLiteral("create table ") + table + QLatin1Char(' ');
    for (const QString &statement : createStatements()) {
        if (statement.startsWith(prefix)) {
            QSqlQuery query(db);
            query.exec(statement); // fails harmlessly when the table exists
            return;
        }
    }
}

int Database::insertTips(QSqlDatabase &db, const QString &applianceName,
                         const QString &applianceTips, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Tips where applianceName=? and applianceTips=?"),
               {applianceName, applianceTips}, error))
        return -1;
    return insertRow(db,
                     QStringLiteral("INSERT INTO Tips (applianceName, applianceTips) VALUES (?,?)"),
                     {applianceName, applianceTips}, error);
}

int Database::insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName,
                              const QString &waterTips, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db,
               QStringLiteral("SELECT * from waterTips where waterApplianceName=? and waterTips=?"),
               {waterApplianceName, waterTips}, error))
        return -1;
    return insertRow(
        db, QStringLiteral("INSERT INTO waterTips (waterApplianceName, waterTips) VALUES (?,?)"),
        {waterApplianceName, waterTips}, error);
}

int Database::insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                          const QString &rateAmt, const QString &rateRetrieve, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    // One tariff per type: a stored one, possibly changed by hand, is kept.
    if (hasRow(db, QStringLiteral("Select * from Rates where rateType=?"), {rateType}, error))
        return -1;
    return insertRow(
        db,
        QStringLiteral(
            "INSERT INTO Rates (rateDate, rateType, rateAmt, rateRetrieve) VALUES (?,?,?,?)"),
        {rateDate, rateType, rateAmt, rateRetrieve}, error);
}

int Database::insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                           const QString &eventDesc, const QString &admissionFee,
                           const QString &startDate, const QString &endDate, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    // The name identifies an event: a stored name is never added again.
    if (hasRow(db, QStringLiteral("SELECT * FROM EVENTS where eventName=?"), {eventName}, error))
        return -1;
    return insertRow(db,
                     QStringLiteral("INSERT INTO Events (eventName, venue, eventDesc, "
                                    "admissionFee, startDate, endDate) VALUES (?,?,?,?,?,?)"),
                     {eventName, venue, eventDesc, admissionFee, startDate, endDate}, error);
}

int Database::insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                              const QString &factPicture, const QString &factName,
                              const QString &factTags, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from QuickFact where factName=?"), {factName}, error))
        return -1;
    return insertRow(db,
                     QStringLiteral("INSERT INTO QuickFact (factLong, factShort, factPicture, "
                                    "factName, factTags) VALUES (?,?,?,?,?)"),
                     {factLong, factShort, factPicture, factName, factTags}, error);
}

int Database::insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
                         const QString &option2, const QString &option3, const QString &option4,
                         const QString &answer, QSqlError *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Quiz where Question=?"), {question}, error))
        return -1;
    return insertRow(db,
                     QStringLiteral("INSERT INTO Quiz (Question, Option1, Option2, Option3, "
                                    "Option4, Answer) VALUES (?,?,?,?,?,?)"),
                     {question, option1, option2, option3, option4, answer}, error);
}

void Database::insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                             const QString &category, const QString &thingNeed,
                             const QString &instruction, const QString &url1, const QString &url2,
                             const QString &urlVideo, QSqlError *error)
{
    if (!db.isOpen())
        return;
    // The Title key turns away a craft that is stored already. A craft without
    // a second picture or a video stores empty text there, never NULL.
    const QString none = QStringLiteral("");
    checked(
        db,
        QStringLiteral("INSERT OR IGNORE INTO DarAror (Title, Description, Category, ThingNeed, "
                       "Instruction, URL1, URL2, URLVideo) VALUES (?,?,?,?,?,?,?,?)"),
        {title, description, category, thingNeed, instruction, url1, url2.isNull() ? none : url2,
         urlVideo.isNull() ? none : urlVideo},
        error);
}
