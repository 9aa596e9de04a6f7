#include "database.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

using Database::run;

bool hasRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query = run(db, sql, values);
    return query.isActive() && query.next();
}

int insertRow(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    const QSqlQuery query = run(db, sql, values);
    return query.isActive() ? query.lastInsertId().toInt() : -1;
}

} // namespace

QSqlQuery Database::run(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
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
    return QDir::toNativeSeparators(QDir::homePath() + QDir::separator() +
                                    QStringLiteral("my.db.sqlite"));
}

QSqlDatabase Database::open(const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    QString error;
    if (!db.open()) {
        error = db.lastError().text();
    } else {
        // SQLite opens any file lazily; reading the schema tells a database
        // from a file that merely has the name.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            error = probe.lastError().text();
            probe.finish();
            db.close();
        }
    }
    if (!error.isEmpty())
        qWarning().noquote() << "Viridio: cannot use the database" << path << "-" << error;
    return db;
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
                         const QString &applianceTips)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Tips where applianceName=? and applianceTips=?"),
               {applianceName, applianceTips}))
        return -1;
    return insertRow(db, QStringLiteral("insert into Tips values(NULL,?,?)"),
                     {applianceName, applianceTips});
}

int Database::insertWaterTips(QSqlDatabase &db, const QString &waterApplianceName,
                              const QString &waterTips)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db,
               QStringLiteral("SELECT * from waterTips where waterApplianceName=? and waterTips=?"),
               {waterApplianceName, waterTips}))
        return -1;
    return insertRow(db, QStringLiteral("insert into waterTips values(NULL,?,?)"),
                     {waterApplianceName, waterTips});
}

int Database::insertRates(QSqlDatabase &db, const QString &rateDate, const QString &rateType,
                          const QString &rateAmt, const QString &rateRetrieve)
{
    if (!db.isOpen())
        return -1;
    // One tariff per type: a stored one, possibly changed by hand, is kept.
    if (hasRow(db, QStringLiteral("Select * from Rates where rateType=?"), {rateType}))
        return -1;
    return insertRow(db, QStringLiteral("insert into Rates values(NULL,?,?,?,?)"),
                     {rateDate, rateType, rateAmt, rateRetrieve});
}

int Database::insertEvents(QSqlDatabase &db, const QString &eventName, const QString &venue,
                           const QString &eventDesc, const QString &admissionFee,
                           const QString &startDate, const QString &endDate)
{
    if (!db.isOpen())
        return -1;
    // The name identifies an event: a stored name is never added again.
    if (hasRow(db, QStringLiteral("SELECT * FROM EVENTS where eventName=?"), {eventName}))
        return -1;
    return insertRow(db, QStringLiteral("insert into Events values(NULL,?,?,?,?,?,?)"),
                     {eventName, venue, eventDesc, admissionFee, startDate, endDate});
}

int Database::insertQuickFact(QSqlDatabase &db, const QString &factLong, const QString &factShort,
                              const QString &factPicture, const QString &factName,
                              const QString &factTags)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from QuickFact where factName=?"), {factName}))
        return -1;
    return insertRow(db, QStringLiteral("insert into QuickFact values(NULL,?,?,?,?,?)"),
                     {factLong, factShort, factPicture, factName, factTags});
}

int Database::insertQuiz(QSqlDatabase &db, const QString &question, const QString &option1,
                         const QString &option2, const QString &option3, const QString &option4,
                         const QString &answer)
{
    if (!db.isOpen())
        return -1;
    if (hasRow(db, QStringLiteral("SELECT * from Quiz where Question=?"), {question}))
        return -1;
    return insertRow(db, QStringLiteral("insert into Quiz values(NULL,?,?,?,?,?,?)"),
                     {question, option1, option2, option3, option4, answer});
}

void Database::insertDarAror(QSqlDatabase &db, const QString &title, const QString &description,
                             const QString &category, const QString &thingNeed,
                             const QString &instruction, const QString &url1, const QString &url2,
                             const QString &urlVideo)
{
    if (!db.isOpen())
        return;
    // The Title key turns away a craft that is stored already.
    run(db, QStringLiteral("insert into DarAror values(?,?,?,?,?,?,?,?)"),
        {title, description, category, thingNeed, instruction, url1, url2, urlVideo});
}
