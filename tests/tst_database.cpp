// The database file: where it is made, its tables, the built-in content and
// what happens to files that cannot be used.

#include "mainwindow.h"
#include "testsupport.h"

#include "data/database.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QtTest>

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
    QCOMPARE(created, Database::createStatements());

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

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
