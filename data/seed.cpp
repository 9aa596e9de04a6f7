#include "database.h"
#include "seedcontent.h"

#include <QSqlError>

namespace {

using Database::run;

// The tables that hold built-in rows; the diaries and the quiz score start empty.
const QStringList &contentTables()
{
    static const QStringList tables = {
        QStringLiteral("QuickFact"), QStringLiteral("Rates"),  QStringLiteral("Tips"),
        QStringLiteral("waterTips"), QStringLiteral("Events"), QStringLiteral("Quiz"),
        QStringLiteral("DarAror"),
    };
    return tables;
}

// The name each create statement gives its table: "create table NAME (...".
QString tableName(const QString &statement)
{
    return statement.section(QLatin1Char(' '), 2, 2);
}

// Creates the missing tables and stores the missing built-in rows, stopping at
// the first failure (whose message is put in error).
void seedContent(QSqlDatabase &db, const QStringList &existingTables, QString &error)
{
    QString *e = &error;
    for (const QString &statement : Database::createStatements()) {
        if (error.isEmpty() &&
            !existingTables.contains(tableName(statement), Qt::CaseInsensitive)) {
            QSqlQuery query = run(db, statement);
            if (!query.isActive())
                error = query.lastError().text();
        }
    }
    // An event update looks each name up, and the calendar marks the days of
    // every distinct pair of dates: with many events the indexes keep both fast.
    const QStringList indexes = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS EventsByName ON Events(eventName)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS EventsByDates ON Events(startDate, endDate)"),
    };
    for (const QString &index : indexes) {
        if (error.isEmpty()) {
            QSqlQuery query = run(db, index);
            if (!query.isActive())
                error = query.lastError().text();
        }
    }
    for (const Seed::Tip &tip : Seed::waterTips())
        if (error.isEmpty())
            Database::insertWaterTips(db, tip.name, tip.text, e);
    for (const Seed::Tip &tip : Seed::electricityTips())
        if (error.isEmpty())
            Database::insertTips(db, tip.name, tip.text, e);
    for (const Seed::Rate &rate : Seed::rates())
        if (error.isEmpty())
            Database::insertRates(db, rate.date, rate.type, rate.amount, rate.source, e);
    for (const Seed::Event &event : Seed::events())
        if (error.isEmpty())
            Database::insertEvents(db, event.name, event.venue, event.description,
                                   event.admissionFee, event.startDate, event.endDate, e);
    for (const Seed::QuickFact &fact : Seed::quickFacts())
        if (error.isEmpty())
            Database::insertQuickFact(db, fact.factLong, fact.factShort, fact.picture, fact.name,
                                      fact.tags, e);
    for (const Seed::QuizQuestion &quiz : Seed::quizQuestions())
        if (error.isEmpty())
            Database::insertQuiz(db, quiz.question, quiz.option1, quiz.option2, quiz.option3,
                                 quiz.option4, quiz.answer, e);
    for (const Seed::Craft &craft : Seed::crafts())
        if (error.isEmpty())
            Database::insertDarAror(db, craft.title, craft.description, craft.category,
                                    craft.thingsNeeded, craft.instruction, craft.url1, craft.url2,
                                    craft.videoUrl, e);
    // Earlier versions stored NULL for a missing second picture or video.
    const QStringList mends = {
        QStringLiteral("UPDATE DarAror SET URL2 = '' WHERE URL2 IS NULL"),
        QStringLiteral("UPDATE DarAror SET URLVideo = '' WHERE URLVideo IS NULL"),
        // The stamp is a constant of the program: PRAGMA takes no bound values.
        QStringLiteral("PRAGMA user_version = %1").arg(Seed::contentStamp),
    };
    for (const QString &sql : mends) {
        if (error.isEmpty()) {
            QSqlQuery query = run(db, sql);
            if (!query.isActive())
                error = query.lastError().text();
        }
    }
}

// Gives up on the file for this session: a busy file keeps its path for a later try.
Database::Seeding giveUp(QSqlDatabase &db, Database::Seeding outcome)
{
    db.close();
    if (outcome != Database::Seeding::Busy)
        db.setDatabaseName(QString());
    return outcome;
}

Database::Seeding failed(QSqlDatabase &db, const QSqlError &error, const QString &what)
{
    if (Database::isBusy(error)) {
        qWarning().noquote() << "Viridio: the database" << db.databaseName()
                             << "is busy (locked by another program); trying again later";
        return giveUp(db, Database::Seeding::Busy);
    }
    qWarning().noquote() << "Viridio: cannot" << what << db.databaseName() << "-" << error.text()
                         << "- nothing was changed; running without data";
    return giveUp(db, Database::Seeding::Failed);
}

} // namespace

Database::Seeding Database::createAndSeed(QSqlDatabase &db)
{
    if (!db.isOpen())
        return Seeding::Closed;

    // One look at the stamp and the tables already there.
    QStringList names;
    for (const QString &statement : createStatements())
        names.append(tableName(statement));
    QSqlQuery probe =
        run(db, QStringLiteral("SELECT name, (SELECT user_version FROM "
                               "pragma_user_version) FROM sqlite_master WHERE "
                               "type='table' UNION ALL SELECT NULL, (SELECT user_version "
                               "FROM pragma_user_version)"));
    if (!probe.isActive())
        return failed(db, probe.lastError(), QStringLiteral("read the database"));
    QStringList tables;
    int stamp = 0;
    while (probe.next()) {
        stamp = probe.value(1).toInt();
        if (!probe.isNull(0))
            tables.append(probe.value(0).toString());
    }
    probe.finish();
    int ours = 0;
    for (const QString &table : tables)
        ours += names.contains(table, Qt::CaseInsensitive) ? 1 : 0;
    if (!tables.isEmpty() && ours == 0) {
        qWarning().noquote() << "Viridio: cannot use the database" << db.databaseName()
                             << "- it holds tables, but none of Viridio's; left untouched, "
                                "running without data";
        return giveUp(db, Seeding::Foreign);
    }

    // A stamped file is only read again when a built-in table was emptied.
    if (stamp == Seed::contentStamp && ours == names.size()) {
        QStringList exists;
        for (const QString &table : contentTables())
            exists.append(QStringLiteral("EXISTS (SELECT 1 FROM %1)").arg(table));
        QSqlQuery filled =
            run(db, QStringLiteral("SELECT ") + exists.join(QStringLiteral(" AND ")));
        if (!filled.isActive())
            return failed(db, filled.lastError(), QStringLiteral("read the database"));
        if (filled.next() && filled.value(0).toBool())
            return Seeding::Ready;
    }

    // Schema and content in one transaction: all of it is stored, or nothing.
    QSqlQuery begin = run(db, QStringLiteral("BEGIN IMMEDIATE"));
    if (!begin.isActive())
        return failed(db, begin.lastError(), QStringLiteral("write to the database"));
    QString error;
    seedContent(db, tables, error);
    QSqlQuery end =
        run(db, error.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    if (error.isEmpty() && end.isActive())
        return Seeding::Ready;
    // A failed COMMIT (busy, disk full) leaves the transaction open: undo it.
    const QSqlError reason =
        error.isEmpty() ? end.lastError() : QSqlError(error, {}, QSqlError::StatementError);
    if (error.isEmpty())
        run(db, QStringLiteral("ROLLBACK"));
    return failed(db, reason, QStringLiteral("store the built-in content in"));
}
