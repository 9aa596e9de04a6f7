#include "database.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace {

using Database::run;

// Runs sql; a failed statement puts its message in error (when given).
QSqlQuery checked(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                  QString *error)
{
    QSqlQuery query = run(db, sql, values);
    if (!query.isActive() && error && error->isEmpty())
        *error = db.isOpen() ? query.lastError().text() : QStringLiteral("database closed");
    return query;
}

bool hasRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values, QString *error)
{
    QSqlQuery query = checked(db, sql, values, error);
    return query.isActive() && query.next();
}

int insertRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
              QString *error)
{
    const QSqlQuery query = checked(db, sql, values, error);
    return query.isActive() ? query.lastInsertId().toInt() : -1;
}

// The connect options of every connection to the data file.
QString connectOptions(bool readOnly)
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Database::busyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

// Opens db on its path and reads the schema: SQLite opens any file lazily, so
// reading it tells a database from a file that merely has the name. A busy
// file keeps the path for a later try; any other failure clears it.
bool openAndProbe(QSqlDatabase &db)
{
    const QString path = db.databaseName();
    QSqlError error;
    if (!db.open()) {
        error = db.lastError();
    } else {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            error = probe.lastError();
            probe.finish();
            db.close();
        }
    }
    if (!error.isValid())
        return true;
    if (Database::isBusy(error)) {
        qWarning().noquote() << "Viridio: the database" << path
                             << "is busy (locked by another program); trying again later";
    } else {
        qWarning().noquote() << "Viridio: cannot use the database" << path << "-" << error.text();
        db.setDatabaseName(QString());
    }
    return false;
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
    db.setDatabaseName(path);
    db.setConnectOptions(connectOptions(false));
    openAndProbe(db);
    return db;
}

bool Database::ensureReady(QSqlDatabase &db)
{
    if (db.isOpen())
        return true;
    if (db.databaseName().isEmpty())
        return false;
    return openAndProbe(db) && createAndSeed(db) == Seeding::Ready;
}

bool Database::isDamaged(const QString &path)
{
    const QString name =
        QStringLiteral("viridio-check-%1").arg(quintptr(QThread::currentThreadId()), 0, 16);
    bool damaged = false;
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        check.setDatabaseName(path);
        check.setConnectOptions(connectOptions(true));
        if (QFile::exists(path) && check.open()) {
            QSqlQuery query(check);
            if (query.exec(QStringLiteral("PRAGMA quick_check"))) {
                damaged = query.next() && query.value(0).toString() != QLatin1String("ok");
            } else {
                // A malformed file can fail the check itself.
                damaged = !isBusy(query.lastError());
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return damaged;
}

void Database::reopenReadOnly(QSqlDatabase &db)
{
    if (db.databaseName().isEmpty())
        return;
    db.close();
    db.setConnectOptions(connectOptions(true));
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
                         const QString &applianceTips, QString *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Tips where applianceName=? and applianceTips=?"),
               {applianceName, applianceTips}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into Tips values(NULL,?,?)"),
                     {applianceName, applianceTips}, error);
}

int Database::insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName,
                              const QString &waterTips, QString *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db,
               QStringLiteral("SELECT * from waterTips where waterApplianceName=? and waterTips=?"),
               {waterApplianceName, waterTips}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into waterTips values(NULL,?,?)"),
                     {waterApplianceName, waterTips}, error);
}

int Database::insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                          const QString &rateAmt, const QString &rateRetrieve, QString *error)
{
    if (!db.isOpen())
        return -1;
    // One tariff per type: a stored one, possibly changed by hand, is kept.
    if (hasRow(db, QStringLiteral("Select * from Rates where rateType=?"), {rateType}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into Rates values(NULL,?,?,?,?)"),
                     {rateDate, rateType, rateAmt, rateRetrieve}, error);
}

int Database::insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                           const QString &eventDesc, const QString &admissionFee,
                           const QString &startDate, const QString &endDate, QString *error)
{
    if (!db.isOpen())
        return -1;
    // The name identifies an event: a stored name is never added again.
    if (hasRow(db, QStringLiteral("SELECT * FROM EVENTS where eventName=?"), {eventName}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into Events values(NULL,?,?,?,?,?,?)"),
                     {eventName, venue, eventDesc, admissionFee, startDate, endDate}, error);
}

int Database::insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                              const QString &factPicture, const QString &factName,
                              const QString &factTags, QString *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from QuickFact where factName=?"), {factName}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into QuickFact values(NULL,?,?,?,?,?)"),
                     {factLong, factShort, factPicture, factName, factTags}, error);
}

int Database::insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
                         const QString &option2, const QString &option3, const QString &option4,
                         const QString &answer, QString *error)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Quiz where Question=?"), {question}, error))
        return -1;
    return insertRow(db, QStringLiteral("insert into Quiz values(NULL,?,?,?,?,?,?)"),
                     {question, option1, option2, option3, option4, answer}, error);
}

void Database::insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                             const QString &category, const QString &thingNeed,
                             const QString &instruction, const QString &url1, const QString &url2,
                             const QString &urlVideo, QString *error)
{
    if (!db.isOpen())
        return;
    // The Title key turns away a craft that is stored already. A craft without
    // a second picture or a video stores empty text there, never NULL.
    const QString none = QStringLiteral("");
    checked(db, QStringLiteral("insert or ignore into DarAror values(?,?,?,?,?,?,?,?)"),
            {title, description, category, thingNeed, instruction, url1,
             url2.isNull() ? none : url2, urlVideo.isNull() ? none : urlVideo},
            error);
}
