// The database file: where it is made, its tables, the built-in content and
// what happens to files that cannot be used.

#include "mainwindow.h"
#include "testsupport.h"

#include "data/database.h"

#include "data/seedcontent.h"
#include "events/eventformat.h"
#include "events/eventslogic.h"
#include "household/meterlogic.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSemaphore>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QStringList contentTables = {"QuickFact",  "Rates",  "Diary", "Tips",      "waterTips",
                                   "waterDiary", "Events", "Quiz",  "QuizScore", "DarAror"};

int rowCount(const QString &table)
{
    return queryValue(QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

// Every row of every table as text, to compare two states of a database.
QStringList dump()
{
    QStringList rows;
    for (const QString &table : contentTables) {
        QSqlQuery query(QSqlDatabase::database());
        query.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY 1"));
        while (query.next()) {
            QStringList fields{table};
            for (int i = 0; i < query.record().count(); ++i)
                fields << (query.isNull(i) ? QStringLiteral("<null>") : query.value(i).toString());
            rows << fields.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A second program's connection to the file at path, named name.
QSqlDatabase otherConnection(const QString &name, const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.open();
    return db;
}

// Spoils the file's last page (the event name index), which a start does not read.
void spoilLastPage(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite) && file.seek(file.size() - 4096))
        file.write(QByteArray(4096, '\xff'));
}

bool execOn(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql);
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesSchemaAndContent();
    void laterStartsChangeNothing();
    void insertEvents_data();
    void insertEvents();
    void insertEventsOnClosedConnection();
    void unusableDatabase_data();
    void unusableDatabase();

    void stampedStartOnlyRestoresEmptiedTables();
    void fullDiskOnFirstStartLeavesNothing();
    void startsWithoutData_data();
    void startsWithoutData();
    void busyStartTriesAgainAtTheNextPress();
    void damagedFileIsReadOnlyAndTheUserIsTold();
    void onlyViridiosFilesAreCompleted();
    void failedSavesSayWhy_data();
    void failedSavesSayWhy();
    void twoWritersRacingALowerReading();
    void twoEventUpdatesAtOnce();
    void dataFileIsTheOwnersOnly();
    void danglingLinkIsNotFollowed();
};

void TestDatabase::firstStartCreatesSchemaAndContent()
{
    TemporaryHome home;
    QVERIFY(!QFile::exists(home.databasePath()));
    MainWindow window;
    QVERIFY(QFile::exists(home.databasePath()));
    QCOMPARE(QDir::fromNativeSeparators(Database::filePath()), home.databasePath());

    // The tables are declared exactly as stored files expect them.
    QSqlQuery schema(QSqlDatabase::database());
    QVERIFY(schema.exec("SELECT sql FROM sqlite_master WHERE type='table' ORDER BY rowid"));
    QStringList created;
    while (schema.next())
        created << schema.value(0).toString().replace(0, 12, QStringLiteral("create table"));
    // The ten tables, then the household's own eleven.
    QCOMPARE(created.mid(0, 10), Database::createStatements());
    QCOMPARE(created.size(), 21);
    QVERIFY(created.at(10).contains(QStringLiteral("AppliancePower")));
    QVERIFY(created.at(11).contains(QStringLiteral("ApplianceCount")));
    QVERIFY(created.at(12).contains(QStringLiteral("Settings")));
    QVERIFY(created.at(13).contains(QStringLiteral("DayUsage")));
    QVERIFY(created.at(14).contains(QStringLiteral("OwnAppliance")));
    QVERIFY(created.at(15).contains(QStringLiteral("OwnApplianceDay")));
    QVERIFY(created.at(16).contains(QStringLiteral("MeterReading")));
    QVERIFY(created.at(17).contains(QStringLiteral("PlugAssignment")));
    QVERIFY(created.at(18).contains(QStringLiteral("PlugReading")));
    QVERIFY(created.at(19).contains(QStringLiteral("Calendar (")));
    QVERIFY(created.at(20).contains(QStringLiteral("CalendarEvent")));

    const QList<QPair<QString, int>> expected = {
        {"Tips", 15}, {"waterTips", 15}, {"Rates", 2}, {"Events", 3},     {"QuickFact", 4},
        {"Quiz", 15}, {"DarAror", 12},   {"Diary", 0}, {"waterDiary", 0}, {"QuizScore", 0}};
    for (const auto &[table, count] : expected)
        QVERIFY2(rowCount(table) == count, qPrintable(table));

    // Texts with apostrophes and typographic punctuation are stored as written.
    QCOMPARE(queryValue("SELECT count(*) FROM waterTips WHERE waterTips LIKE ?",
                        {QStringLiteral("Don't throw rubbish into the toilet bowl.%")})
                 .toInt(),
             1);
    QCOMPARE(queryValue("SELECT Option4 FROM Quiz WHERE Answer = 'Second-hand'").toString(),
             QStringLiteral("I don't care"));
    QVERIFY(queryValue("SELECT count(*) FROM Tips WHERE applianceTips LIKE ?",
                       {QStringLiteral("%\u00b0%")})
                .toInt() > 0);
    QCOMPARE(queryValue("SELECT factID FROM QuickFact WHERE factName = 'Hybrid Electric Vehicle'")
                 .toInt(),
             4);
}

void TestDatabase::laterStartsChangeNothing()
{
    TemporaryHome home;
    QStringList firstState;
    {
        MainWindow window;
        firstState = dump();
        // A user's day and a tariff changed by hand must survive restarts.
        QSqlQuery query(QSqlDatabase::database());
        QVERIFY(query.exec("INSERT INTO Diary (retrieveDate, valOfAirCon) "
                           "VALUES ('01/02/2026', '1.1435')"));
        QVERIFY(query.exec("UPDATE Rates SET rateAmt = '0.31' WHERE rateType = 'electricity'"));
    }
    QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());

    MainWindow window;
    QCOMPARE(
        queryValue("SELECT valOfAirCon FROM Diary WHERE retrieveDate = '01/02/2026'").toString(),
        QStringLiteral("1.1435"));
    QCOMPARE(queryValue("SELECT rateAmt FROM Rates WHERE rateType = 'electricity'").toString(),
             QStringLiteral("0.31"));
    QCOMPARE(rowCount("Rates"), 2);

    QStringList secondState = dump();
    secondState.removeAll(
        QStringLiteral("Diary|01/02/2026|1.1435|<null>|<null>|<null>|<null>|<null>|<null>|<null>|"
                       "<null>|<null>|<null>"));
    QCOMPARE(secondState.size(), firstState.size());
    QCOMPARE(secondState.filter(QRegularExpression("^(?!Rates)")),
             firstState.filter(QRegularExpression("^(?!Rates)")));
}

void TestDatabase::insertEvents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("startDate");
    QTest::addColumn<bool>("stored");

    QTest::newRow("new event") << "Earth Walk"
                               << "A walk."
                               << "4@22@2026" << true;
    QTest::newRow("stored name, other dates") << "Energy Storage Forum"
                                              << "Again."
                                              << "5@1@2026" << false;
    QTest::newRow("apostrophe") << "Children's Day Out"
                                << "Bring your family's bottles."
                                << "6@1@2026" << true;
    QTest::newRow("sql text") << "x'); DROP TABLE Events; --"
                              << "'); DELETE FROM Quiz; --"
                              << "7@1@2026" << true;
}

void TestDatabase::insertEvents()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, startDate);
    QFETCH(bool, stored);

    TemporaryHome home;
    MainWindow window;
    const int before = rowCount("Events");
    const int id =
        window.insertEvents(name, "Town hall", description, "Free", startDate, startDate);
    if (!stored) {
        QCOMPARE(id, -1);
        QCOMPARE(rowCount("Events"), before);
        return;
    }
    QCOMPARE(id, before + 1);
    QCOMPARE(rowCount("Events"), before + 1);
    QCOMPARE(queryValue("SELECT eventName FROM Events WHERE eventID = ?", {id}).toString(), name);
    QCOMPARE(queryValue("SELECT eventDesc FROM Events WHERE eventID = ?", {id}).toString(),
             description);
    QCOMPARE(rowCount("Quiz"), 15);
    // The same name a second time is turned away.
    QCOMPARE(window.insertEvents(name, "Elsewhere", "Other", "Free", "1@1@2027", "1@1@2027"), -1);
}

void TestDatabase::insertEventsOnClosedConnection()
{
    TemporaryHome home;
    MainWindow window;
    QSqlDatabase::database(QSqlDatabase::defaultConnection, false).close();
    QCOMPARE(window.insertEvents("Earth Walk", "Park", "A walk.", "Free", "4@22@2026", "4@22@2026"),
             -1);
}

void TestDatabase::unusableDatabase_data()
{
    QTest::addColumn<bool>("garbageFile");
    QTest::newRow("home is not a folder") << false;
    QTest::newRow("file is not a database") << true;
}

void TestDatabase::unusableDatabase()
{
    QFETCH(bool, garbageFile);

    TemporaryHome home;
    QString path = home.databasePath();
    if (garbageFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 131 + 7) % 251));
        file.write(garbage);
    } else {
        // Even root cannot create a file below a regular file.
        QFile blocker(home.path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("HOME", QFile::encodeName(blocker.fileName() + "/home"));
        path = blocker.fileName() + "/home/my.db.sqlite";
    }
    const QByteArray before = fileHash(path);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot use the database " +
                                                          QRegularExpression::escape(path)));
    MainWindow window;
    window.show();
    QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());

    auto *content = child<QStackedWidget>(&window, "stackWid_content");
    QCOMPARE(content->currentIndex(), MainWindow::MainMenuPage);
    for (int i = 0; i < content->count(); ++i) {
        content->setCurrentIndex(i);
        QVERIFY(!window.grab().isNull());
    }
    content->setCurrentIndex(MainWindow::CalculatorPage);
    auto *calculator = child<QStackedWidget>(&window, "stackWid_ecoCalBody");
    for (int i = 0; i < calculator->count(); ++i) {
        calculator->setCurrentIndex(i);
        QVERIFY(!window.grab().isNull());
    }
    QCOMPARE(fileHash(path), before);
}

void TestDatabase::stampedStartOnlyRestoresEmptiedTables()
{
    TemporaryHome home;
    {
        MainWindow window;
        QCOMPARE(queryValue("PRAGMA user_version").toInt(), Seed::contentStamp);
        QCOMPARE(queryValue("SELECT count(*) FROM DarAror WHERE URL2 IS NULL OR URLVideo IS NULL")
                     .toInt(),
                 0);
        QCOMPARE(queryValue("SELECT count(*) FROM DarAror WHERE URL2 = ''").toInt() > 0, true);
        // The user empties the quiz and drops one tip; a craft is as an older
        // version stored it.
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Quiz"));
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Tips WHERE tipsID = 1"));
        QVERIFY(execOn(QSqlDatabase::database(),
                       "UPDATE DarAror SET URL2 = NULL, URLVideo = NULL WHERE URL2 = ''"));
    }
    {
        // An emptied table is filled again, and NULLs are mended; a built-in
        // row deleted from a table that still holds rows stays deleted.
        MainWindow window;
        QCOMPARE(rowCount("Quiz"), 15);
        QCOMPARE(rowCount("Tips"), 14);
        QCOMPARE(queryValue("SELECT count(*) FROM DarAror WHERE URL2 IS NULL").toInt(), 0);
        QVERIFY(execOn(QSqlDatabase::database(),
                       "DELETE FROM Tips WHERE tipsID = (SELECT min(tipsID) FROM Tips)"));
    }
    {
        // A stamped file whose tables all hold rows is not looked through.
        MainWindow window;
        QCOMPARE(rowCount("Tips"), 13);
        QCOMPARE(
            queryValue("SELECT count(*) FROM sqlite_master WHERE name = 'EventsByName'").toInt(),
            1);
        // A file of the version before the events' dates index.
        QVERIFY(execOn(QSqlDatabase::database(), "DROP INDEX EventsByDates"));
        QVERIFY(execOn(QSqlDatabase::database(), "PRAGMA user_version = 1"));
    }
    MainWindow window;
    QCOMPARE(queryValue("SELECT count(*) FROM sqlite_master WHERE name = 'EventsByDates'").toInt(),
             1);
    QCOMPARE(rowCount("Tips"), 13);
    QCOMPARE(queryValue("PRAGMA user_version").toInt(), Seed::contentStamp);
}

void TestDatabase::fullDiskOnFirstStartLeavesNothing()
{
    TemporaryHome home;
    {
        QSqlDatabase db = Database::open(home.databasePath());
        // Room for the schema, not for the content: the disk is full half-way.
        QVERIFY(execOn(db, "PRAGMA max_page_count = 18"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("cannot store the built-in content in .*full"));
        QCOMPARE(Database::createAndSeed(db), Database::Seeding::Failed);
        QVERIFY(!db.isOpen());
    }
    QSqlDatabase check = otherConnection("check", home.databasePath());
    QSqlQuery query(check);
    QVERIFY(query.exec("SELECT count(*), (SELECT user_version FROM pragma_user_version) FROM "
                       "sqlite_master") &&
            query.next());
    QCOMPARE(query.value(0).toInt(), 0);
    QCOMPARE(query.value(1).toInt(), 0);
    query.finish();
    check.close();
}

void TestDatabase::startsWithoutData_data()
{
    QTest::addColumn<QByteArray>("homeValue");
    QTest::addColumn<QString>("warning");
    QTest::newRow("another program's database")
        << QByteArray("<temporary home>") << "holds the table notes";
    QTest::newRow("HOME empty") << QByteArray() << "HOME is unset or empty";
}

void TestDatabase::startsWithoutData()
{
    QFETCH(QByteArray, homeValue);
    QFETCH(QString, warning);

    TemporaryHome home;
    const bool foreign = !homeValue.isEmpty();
    if (foreign) {
        QSqlDatabase other = otherConnection("other", home.databasePath());
        QVERIFY(execOn(other, "CREATE TABLE notes (id integer primary key, note text)"));
        QVERIFY(execOn(other, "INSERT INTO notes (note) VALUES ('keep me')"));
        other.close();
    } else {
        qputenv("HOME", homeValue);
    }
    const bool rootFileBefore = QFile::exists("/my.db.sqlite");
    const QByteArray before = fileHash(home.databasePath());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
    {
        MainWindow window;
        QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
        // A press does not try again: there is nothing to be had.
        window.show();
        QVERIFY(clickButton(&window, "push_ecoCal"));
        QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
    }
    QCOMPARE(fileHash(home.databasePath()), before);
    QCOMPARE(QFile::exists(home.databasePath()), foreign);
    QCOMPARE(QFile::exists("/my.db.sqlite"), rootFileBefore);
}

// A file busy at start is opened, seeded and checked for damage at the next
// press; a check that meets the lock does not call the file damaged.
void TestDatabase::busyStartTriesAgainAtTheNextPress()
{
    TemporaryHome home;
    {
        MainWindow window;
    }
    spoilLastPage(home.databasePath());
    QSqlDatabase other = otherConnection("other", home.databasePath());
    QVERIFY(execOn(other, "BEGIN EXCLUSIVE"));
    QVERIFY(execOn(other, "INSERT INTO QuizScore (QID, QuizHScore) VALUES (1, 7)"));
    QCOMPARE(Database::checkFile(home.databasePath()), Database::FileCheck::Unknown);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is busy"));
    MainWindow window;
    window.show();
    QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
    QTest::qWait(200);
    QVERIFY(!window.findChild<QMessageBox *>("damagedDatabaseMessage"));

    QVERIFY(execOn(other, "COMMIT"));
    other.close();
    QVERIFY(clickButton(&window, "push_ecoCal"));
    QVERIFY(QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
    QCOMPARE(rowCount("Quiz"), 15);
    QCOMPARE(rowCount("QuizScore"), 1);
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QMessageBox *>("damagedDatabaseMessage"), 10000);
}

void TestDatabase::damagedFileIsReadOnlyAndTheUserIsTold()
{
    TemporaryHome home;
    {
        MainWindow window;
    }
    QCOMPARE(Database::checkFile(home.databasePath()), Database::FileCheck::Sound);
    spoilLastPage(home.databasePath());
    QCOMPARE(Database::checkFile(home.databasePath()), Database::FileCheck::Damaged);
    const QByteArray before = fileHash(home.databasePath());

    MainWindow window;
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QMessageBox *>("damagedDatabaseMessage"), 10000);
    QVERIFY(window.findChild<QMessageBox *>("damagedDatabaseMessage")->text().contains("damaged"));
    QCOMPARE(rowCount("Quiz"), 15);
    QVERIFY(!execOn(QSqlDatabase::database(), "INSERT INTO QuizScore VALUES (1, 10)"));
    QCOMPARE(fileHash(home.databasePath()), before);
}

// A file is Viridio's when every table it holds is one Viridio makes, or when
// it holds all ten of Viridio's first tables: an older one is completed,
// another program's is left byte for byte, a newer Viridio's is used as it
// is, with a table of its own.
void TestDatabase::onlyViridiosFilesAreCompleted()
{
    {
        // A diary program's file, with a table named like one of ours.
        TemporaryHome home;
        QSqlDatabase other = otherConnection("other", home.databasePath());
        QVERIFY(execOn(other, "CREATE TABLE Diary (id integer primary key, entry text)"));
        QVERIFY(execOn(other, "CREATE TABLE notes (id integer primary key, note text)"));
        other.close();
        const QByteArray before = fileHash(home.databasePath());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("holds the table notes"));
        MainWindow window;
        QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
        QCOMPARE(fileHash(home.databasePath()), before);
    }
    QSqlDatabase::removeDatabase("other");
    TemporaryHome home;
    {
        // An early Viridio's file: a diary and nothing else.
        QSqlDatabase other = otherConnection("other", home.databasePath());
        QVERIFY(execOn(other, Database::createStatements().at(2)));
        QVERIFY(execOn(other, "INSERT INTO Diary (retrieveDate, valOfFan) VALUES ('01/02/2010', "
                              "'0.25')"));
        other.close();
    }
    QSqlDatabase::removeDatabase("other");
    {
        MainWindow window;
        QCOMPARE(queryValue("SELECT valOfFan FROM Diary").toString(), QStringLiteral("0.25"));
        QCOMPARE(rowCount("Quiz"), 15);
        QCOMPARE(rowCount("Settings"), 0);
        // The household deletes a built-in event, then the quiz is emptied.
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Events WHERE eventID = 1"));
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Quiz"));
    }
    QByteArray before;
    {
        MainWindow window;
        QCOMPARE(rowCount("Quiz"), 15);
        QCOMPARE(rowCount("Events"), 2);
        // A newer Viridio stamps the file, adds a table of its own and
        // empties the quiz again.
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Quiz"));
        QVERIFY(execOn(QSqlDatabase::database(), "CREATE TABLE Forecast (day TEXT, kWh REAL)"));
        QVERIFY(
            execOn(QSqlDatabase::database(), "INSERT INTO Forecast VALUES ('2026-12-08', 1.5)"));
        QVERIFY(execOn(QSqlDatabase::database(),
                       QStringLiteral("PRAGMA user_version = %1").arg(Seed::contentStamp + 1)));
        QSqlDatabase::database().close();
        before = fileHash(home.databasePath());
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("made by a newer Viridio"));
    MainWindow window;
    QVERIFY(QSqlDatabase::database().isOpen());
    QCOMPARE(queryValue("PRAGMA user_version").toInt(), Seed::contentStamp + 1);
    QCOMPARE(rowCount("Quiz"), 0);
    QCOMPARE(rowCount("Events"), 2);
    QCOMPARE(queryValue("SELECT kWh FROM Forecast").toDouble(), 1.5);
    QCOMPARE(fileHash(home.databasePath()), before);
}

namespace {

const QDate today(2026, 12, 7);

MeterLogic::Outcome saveReading(const QSqlDatabase &db, int day, const QString &reading)
{
    return MeterLogic::saveReading(db, MeterLogic::electricityMeter, QDate(2026, 12, day), reading,
                                   false, today, QLocale::c());
}

// Runs both works at once, each on a writable connection of its own to the
// file at path, while another connection holds the file until both have
// begun: both read before either can write.
bool race(const QString &path, const std::function<void(QSqlDatabase &)> &first,
          const std::function<void(QSqlDatabase &)> &second)
{
    QSqlDatabase holder = otherConnection("holder", path);
    if (!execOn(holder, "BEGIN IMMEDIATE"))
        return false;
    QSemaphore started;
    const auto writer = [&](const std::function<void(QSqlDatabase &)> &work) {
        return std::unique_ptr<QThread>(QThread::create([&] {
            Database::withOwnConnection(
                path,
                [&](QSqlDatabase &own) {
                    started.release();
                    work(own);
                },
                true);
        }));
    };
    const std::unique_ptr<QThread> threads[] = {writer(first), writer(second)};
    for (const auto &thread : threads)
        thread->start();
    started.acquire(2);
    QThread::msleep(30);
    const bool released = execOn(holder, "COMMIT");
    holder.close();
    return threads[0]->wait(5000) && threads[1]->wait(5000) && released;
}

int permissions(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

} // namespace

// A save that fails names why on the meters page: a file another program
// holds, a full disk, a file that can only be read.
void TestDatabase::failedSavesSayWhy_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reason");
    QTest::newRow("busy") << "busy"
                          << "Not stored: the data file is busy in another program. Please try "
                             "again."
                          << "locked";
    QTest::newRow("full") << "full"
                          << "Not stored: the disk is full. Make room on it, then try again."
                          << "full";
    QTest::newRow("read-only") << "read-only"
                               << "Not stored: the data file can only be read, so nothing can be "
                                  "saved in it."
                               << "readonly";
}

void TestDatabase::failedSavesSayWhy()
{
    QFETCH(QString, cause);
    QFETCH(QString, message);
    QFETCH(QString, reason);

    TemporaryHome home;
    MainWindow window;
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(saveReading(db, 1, "1000").stored);
    QSqlDatabase other = otherConnection("other", home.databasePath());
    if (cause == "busy") {
        QVERIFY(execOn(other, "BEGIN IMMEDIATE"));
    } else if (cause == "full") {
        // The readings' page all but filled, and no page more to be had.
        QVERIFY(execOn(other, "INSERT INTO MeterReading (meter, readingDate, reading) VALUES "
                              "('spare', '2026-01-01', hex(zeroblob(2000)))"));
        QVERIFY(execOn(db, "PRAGMA max_page_count = 1"));
    } else {
        Database::reopenReadOnly(db);
    }
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("not stored in " +
                                            QRegularExpression::escape(home.databasePath()) +
                                            " - .*" + reason));
    const MeterLogic::Outcome outcome = saveReading(db, 2, "1001");
    QVERIFY(!outcome.stored);
    QCOMPARE(outcome.message, message);
    execOn(other, "ROLLBACK");
    other.close();
    QCOMPARE(MeterLogic::readings(db, MeterLogic::electricityMeter)->size(), 1);
}

// Two windows save readings at once, 1100 for the 3rd and 1050 for the 5th
// after 1000 on the 1st: each alone is sound, both would make the meter count
// -50 kWh. One is stored, the other refused with the series' message.
void TestDatabase::twoWritersRacingALowerReading()
{
    TemporaryHome home;
    MainWindow window;
    QVERIFY(saveReading(QSqlDatabase::database(), 1, "1000").stored);
    MeterLogic::Outcome outcomes[2];
    QVERIFY(race(
        home.databasePath(), [&](QSqlDatabase &own) { outcomes[0] = saveReading(own, 3, "1100"); },
        [&](QSqlDatabase &own) { outcomes[1] = saveReading(own, 5, "1050"); }));

    QCOMPARE(int(outcomes[0].stored) + int(outcomes[1].stored), 1);
    const QString refused = outcomes[0].stored ? outcomes[1].message : outcomes[0].message;
    QVERIFY2(refused.startsWith("Not stored: ") && refused.contains("would be lower than"),
             qPrintable(refused));
    QStringList stored;
    const QList<MeterLogic::Reading> readings =
        MeterLogic::readings(QSqlDatabase::database(), MeterLogic::electricityMeter)
            .value_or(QList<MeterLogic::Reading>());
    for (const MeterLogic::Reading &reading : readings)
        stored.prepend(reading.plain);
    QVERIFY2(stored == QStringList({"1000", "1100"}) || stored == QStringList({"1000", "1050"}),
             qPrintable(stored.join(' ')));
}

// Two event updates at once bring the same new event: each looks its name up
// inside its write transaction, so both succeed and the event is stored once.
void TestDatabase::twoEventUpdatesAtOnce()
{
    TemporaryHome home;
    MainWindow window;
    const QList<EventFormat::Record> update = {
        {"Winter Swap", "Town hall", "Swap.", "Free", "12@11@2026", "12@13@2026"}};
    bool stored[2] = {};
    QVERIFY(race(
        home.databasePath(),
        [&](QSqlDatabase &own) { stored[0] = EventsLogic::storeEvents(own, update); },
        [&](QSqlDatabase &own) { stored[1] = EventsLogic::storeEvents(own, update); }));
    QVERIFY(stored[0] && stored[1]);
    QCOMPARE(queryValue("SELECT count(*) FROM Events WHERE eventName = 'Winter Swap'").toInt(), 1);
}

// The data file and its journal are its owner's only; the home folder and a
// file made before keep their modes.
void TestDatabase::dataFileIsTheOwnersOnly()
{
    const mode_t mask = ::umask(022);
    TemporaryHome home;
    QVERIFY(QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                   QFileDevice::ExeGroup));
    {
        MainWindow window;
        QVERIFY(QSqlDatabase::database().isOpen());
        QCOMPARE(permissions(home.databasePath()), 0600);
        QVERIFY(execOn(QSqlDatabase::database(), "BEGIN IMMEDIATE"));
        QVERIFY(execOn(QSqlDatabase::database(), "DELETE FROM Quiz"));
        QCOMPARE(permissions(home.databasePath() + "-journal"), 0600);
        QVERIFY(execOn(QSqlDatabase::database(), "ROLLBACK"));
    }
    QCOMPARE(permissions(home.path()), 0750);

    TemporaryHome older;
    {
        QSqlDatabase other = otherConnection("older", older.databasePath());
        QVERIFY(execOn(other, Database::createStatements().at(2)));
        other.close();
    }
    QSqlDatabase::removeDatabase("older");
    QCOMPARE(permissions(older.databasePath()), 0644);
    {
        MainWindow window;
        QCOMPARE(rowCount("Quiz"), 15);
    }
    QCOMPARE(permissions(older.databasePath()), 0644);
    ::umask(mask);
}

// A link at the data file's place that leads nowhere is not followed: nothing
// is made at its target, and the calculator says the file cannot be used.
void TestDatabase::danglingLinkIsNotFollowed()
{
    TemporaryHome home;
    const QString target = home.path() + "/elsewhere.sqlite";
    QVERIFY(QFile::link(target, home.databasePath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot use the database .*link"));
    MainWindow window;
    window.show();
    QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
    QVERIFY(clickButton(&window, "push_ecoCal"));
    const QString message = child<QLabel>(&window, "lb_calculatorMessage")->text();
    QVERIFY2(message.contains("cannot use " + home.databasePath()), qPrintable(message));
    QVERIFY(!QFile::exists(target));
    QVERIFY(QFileInfo(home.databasePath()).isSymLink());
}

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
