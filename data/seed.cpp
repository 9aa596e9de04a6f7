#include "database.h"
#include "seedcontent.h"

#include <QSqlError>

#include <algorithm>

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

// Runs sql unless an earlier statement failed; a failure is put in error.
void step(const QSqlDatabase &db, const QString &sql, QSqlError &error)
{
    if (error.isValid())
        return;
    QSqlQuery query = run(db, sql);
    if (!query.isActive())
        error = query.lastError();
}

// Creates the missing tables and stores the missing built-in rows of the
// tables in seeded, stopping at the first failure (which is put in error).
void seedContent(QSqlDatabase &db, const QStringList &existingTables, const QStringList &seeded,
                 QSqlError &error)
{
    QSqlError *e = &error;
    for (const QString &statement : Database::createStatements())
        if (!existingTables.contains(tableName(statement), Qt::CaseInsensitive))
            step(db, statement, error);
    for (const QString &statement : Database::householdStatements())
        step(db, statement, error);
    // An event update looks each name up, and the calendar marks the days of
    // every distinct pair of dates: with many events the indexes keep both fast.
    step(db, QStringLiteral("CREATE INDEX IF NOT EXISTS EventsByName ON Events(eventName)"), error);
    step(db,
         QStringLiteral("CREATE INDEX IF NOT EXISTS EventsByDates ON Events(startDate, endDate)"),
         error);
    const auto seeds = [&seeded, &error](const char *table) {
        return !error.isValid() && seeded.contains(QLatin1String(table));
    };
    for (const Seed::Tip &tip : Seed::waterTips())
        if (seeds("waterTips"))
            Database::insertWaterTips(db, tip.name, tip.text, e);
    for (const Seed::Tip &tip : Seed::electricityTips())
        if (seeds("Tips"))
            Database::insertTips(db, tip.name, tip.text, e);
    for (const Seed::Rate &rate : Seed::rates())
        if (seeds("Rates"))
            Database::insertRates(db, rate.date, rate.type, rate.amount, rate.source, e);
    for (const Seed::Event &event : Seed::events())
        if (seeds("Events"))
            Database::insertEvents(db, event.name, event.venue, event.description,
                                   event.admissionFee, event.startDate, event.endDate, e);
    for (const Seed::QuickFact &fact : Seed::quickFacts())
        if (seeds("QuickFact"))
            Database::insertQuickFact(db, fact.factLong, fact.factShort, fact.picture, fact.name,
                                      fact.tags, e);
    for (const Seed::QuizQuestion &quiz : Seed::quizQuestions())
        if (seeds("Quiz"))
            Database::insertQuiz(db, quiz.question, quiz.option1, quiz.option2, quiz.option3,
                                 quiz.option4, quiz.answer, e);
    for (const Seed::Craft &craft : Seed::crafts())
        if (seeds("DarAror"))
            Database::insertDarAror(db, craft.title, craft.description, craft.category,
                                    craft.thingsNeeded, craft.instruction, craft.url1, craft.url2,
                                    craft.videoUrl, e);
    // Earlier versions stored NULL for a missing second picture or video.
    step(db, QStringLiteral("UPDATE DarAror SET URL2 = '' WHERE URL2 IS NULL"), error);
    step(db, QStringLiteral("UPDATE DarAror SET URLVideo = '' WHERE URLVideo IS NULL"), error);
    // The stamp is a constant of the program: PRAGMA takes no bound values.
    step(db, QStringLiteral("PRAGMA user_version = %1").arg(Seed::contentStamp), error);
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
        qWarning().noquote() << "Viridio: the database" << Database::pathOf(db)
                             << "is busy (locked by another program); trying again later";
        return giveUp(db, Database::Seeding::Busy);
    }
    qWarning().noquote() << "Viridio: cannot" << what << Database::pathOf(db) << "-" << error.text()
                         << "- nothing was changed; running without data";
    return giveUp(db, Database::Seeding::Failed);
}

} // namespace

Database::Seeding Database::createAndSeed(QSqlDatabase &db)
{
    if (!db.isOpen())
        return Seeding::Closed;

    // One look at the stamp and the tables already there (SQLite's own, such
    // as sqlite_stat1, aside).
    QSqlQuery probe =
        run(db, QStringLiteral("SELECT name, (SELECT user_version FROM "
                               "pragma_user_version) FROM sqlite_master WHERE "
                               "type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' UNION ALL "
                               "SELECT NULL, (SELECT user_version FROM pragma_user_version)"));
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
    // A file holding every table Viridio has always made is Viridio's, also
    // with tables a newer version added; otherwise one table Viridio does not
    // make says it is another program's.
    const bool viridios = std::all_of(
        createStatements().begin(), createStatements().end(), [&tables](const QString &statement) {
            return tables.contains(tableName(statement), Qt::CaseInsensitive);
        });
    for (const QString &table : std::as_const(tables)) {
        if (!viridios && !tableNames().contains(table, Qt::CaseInsensitive)) {
            qWarning().noquote() << "Viridio: cannot use the database" << pathOf(db)
                                 << "- it holds the table" << table
                                 << "that Viridio does not make; left untouched, running "
                                    "without data";
            return giveUp(db, Seeding::Foreign);
        }
    }
    // A file opened read-only has said so already.
    if (!tables.isEmpty() && (stamp > Seed::contentStamp || isReadOnly(db))) {
        if (!isReadOnly(db))
            qWarning().noquote() << "Viridio: the database" << pathOf(db)
                                 << "was made by a newer Viridio - its tables and built-in "
                                    "content are used as they are";
        return Seeding::Ready;
    }

    // The built-in tables that are missing or empty get their rows.
    QStringList seeded;
    QStringList filledChecks;
    const QStringList &builtIn = contentTables();
    for (const QString &table : builtIn) {
        if (tables.contains(table, Qt::CaseInsensitive))
            filledChecks.append(QStringLiteral("EXISTS (SELECT 1 FROM %1)").arg(table));
        else
            seeded.append(table);
    }
    if (!filledChecks.isEmpty()) {
        QSqlQuery filled = run(db, QStringLiteral("SELECT ") + filledChecks.join(QLatin1Char(',')));
        if (!filled.isActive() || !filled.next())
            return failed(db, filled.lastError(), QStringLiteral("read the database"));
        for (int i = 0, column = 0; i < builtIn.size(); ++i) {
            if (tables.contains(builtIn.at(i), Qt::CaseInsensitive) &&
                !filled.value(column++).toBool())
                seeded.append(builtIn.at(i));
        }
    }
    if (stamp < Seed::rowsStamp)
        seeded = builtIn;
    const bool complete =
        std::all_of(tableNames().begin(), tableNames().end(), [&tables](const QString &table) {
            return tables.contains(table, Qt::CaseInsensitive);
        });
    // A stamped file is only written again when a table is missing or emptied.
    if (stamp == Seed::contentStamp && complete && seeded.isEmpty())
        return Seeding::Ready;

    // Schema and content in one transaction: all of it is stored, or nothing.
    QSqlQuery begin = run(db, QStringLiteral("BEGIN IMMEDIATE"));
    if (!begin.isActive())
        return failed(db, begin.lastError(), QStringLiteral("write to the database"));
    QSqlError error;
    seedContent(db, tables, seeded, error);
    QSqlQuery end =
        run(db, error.isValid() ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
    if (!error.isValid() && end.isActive())
        return Seeding::Ready;
    // A failed COMMIT (busy, disk full) leaves the transaction open: undo it.
    if (!error.isValid()) {
        error = end.lastError();
        run(db, QStringLiteral("ROLLBACK"));
    }
    return failed(db, error, QStringLiteral("store the built-in content in"));
}
