// Calendars given by their address: the address as typed, fetched from a
// local https server the test starts, read and stored beside the event
// update's events, refreshed once a day and removed with their events.
#include "data/database.h"
#include "events/calendarfetch.h"
#include "events/calendars.h"
#include "events/eventslogic.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace {

// A server of calendarserver.py, stopped when it goes.
class CalendarServer
{
public:
    CalendarServer(const QString &cert, const QString &key, const QString &folder,
                   bool hang = false)
    {
        QStringList arguments = {QStringLiteral(VIRIDIO_SOURCE_DIR "/tests/calendarserver.py"),
                                 cert, key, folder};
        if (hang)
            arguments << QStringLiteral("--hang");
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("python3"), arguments);
        if (process.waitForReadyRead(10000))
            port = process.readLine().trimmed().toUShort();
    }
    ~CalendarServer()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    QUrl url(const QString &file) const
    {
        return QUrl(QStringLiteral("https://127.0.0.1:%1/%2").arg(port).arg(file));
    }

    quint16 port = 0;

private:
    QProcess process;
};

// Makes a self-signed certificate for 127.0.0.1 in folder: name.pem, name.key.
bool makeCertificate(const QString &folder, const QString &name)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                   folder + "/" + name + ".key", "-out", folder + "/" + name + ".pem"});
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

CalendarFetch::Outcome fetch(const QUrl &url, const CalendarFetch::Limits &limits = {})
{
    CalendarFetch::Outcome outcome;
    bool done = false;
    QObject context;
    const CalendarFetch *fetcher = CalendarFetch::load();
    if (!fetcher)
        return outcome;
    fetcher->fetch(url, QDate::currentDate().year(), limits, &context,
                   [&](const CalendarFetch::Outcome &result) {
                       outcome = result;
                       done = true;
                   });
    if (!QTest::qWaitFor([&done] { return done; }, 15000))
        outcome.failure = QStringLiteral("no outcome in 15 s");
    return outcome;
}

QStringList stored(const QString &sql)
{
    return Database::column(QSqlDatabase::database(), sql);
}

} // namespace

class TestCalendars : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readsAddresses_data();
    void readsAddresses();
    void fetchesStoresAndRemoves();
    void keepsEventsWhenNotFetched();
    void refreshesOnceADay();
    void addsAndRemovesThroughWindow();

private:
    QTemporaryDir files;
    QString year;
    std::unique_ptr<TemporaryHome> home;
};

void TestCalendars::initTestCase()
{
    QVERIFY(makeCertificate(files.path(), QStringLiteral("trusted")));
    QVERIFY(makeCertificate(files.path(), QStringLiteral("stranger")));
    // Trusted for this test only, beside the system's certificates.
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(files.path() + QStringLiteral("/trusted.pem"));
    QSslConfiguration::setDefaultConfiguration(tls);

    year = QString::number(QDate::currentDate().year());
    const QString lastYear = QString::number(QDate::currentDate().year() - 1);
    QFile calendar(files.path() + QStringLiteral("/town.ics"));
    QVERIFY(calendar.open(QIODevice::WriteOnly));
    calendar.write(
        QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//EN\r\n"
                       "BEGIN:VEVENT\r\nUID:a@town\r\nDTSTAMP:YEAR0101T000000Z\r\n"
                       "DTSTART;VALUE=DATE:YEAR0704\r\nSUMMARY:Street <b>fair</b>\r\n"
                       "DESCRIPTION:\r\nEND:VEVENT\r\n"
                       "BEGIN:VEVENT\r\nUID:b@town\r\nDTSTAMP:YEAR0101T000000Z\r\n"
                       "DTSTART;VALUE=DATE:YEAR1231\r\nDTEND;VALUE=DATE:NEXT0101\r\n"
                       "SUMMARY:Year's end\r\nEND:VEVENT\r\n"
                       "BEGIN:VEVENT\r\nUID:c@town\r\nDTSTAMP:YEAR0101T000000Z\r\n"
                       "DTSTART;VALUE=DATE:LAST0704\r\nSUMMARY:Old fair\r\nEND:VEVENT\r\n"
                       "END:VCALENDAR\r\n")
            .replace("YEAR", year)
            .replace("NEXT", QString::number(year.toInt() + 1))
            .replace("LAST", lastYear)
            .toUtf8());
}

void TestCalendars::init()
{
    home = std::make_unique<TemporaryHome>();
    QSqlDatabase db = Database::open(home->databasePath());
    QCOMPARE(Database::createAndSeed(db), Database::Seeding::Ready);
}

void TestCalendars::cleanup()
{
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    home.reset();
}

void TestCalendars::readsAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("plain");
    QTest::newRow("webcal") << " webcal://town.example/cal.ics "
                            << "https://town.example/cal.ics" << false;
    QTest::newRow("https") << "HTTPS://town.example/c?x=1"
                           << "https://town.example/c?x=1" << false;
    QTest::newRow("http") << "http://town.example/cal.ics"
                          << "http://town.example/cal.ics" << true;
    QTest::newRow("no scheme") << "town.example/cal.ics"
                               << "" << false;
    QTest::newRow("ftp") << "ftp://town.example/cal.ics"
                         << "" << false;
    QTest::newRow("no host") << "https:///cal.ics"
                             << "" << false;
    QTest::newRow("empty") << ""
                           << "" << false;
}

void TestCalendars::readsAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, url);
    QFETCH(bool, plain);
    const Calendars::Address address = Calendars::readAddress(typed);
    QCOMPARE(address.url.toString(), url);
    QCOMPARE(address.plain, plain);
    QCOMPARE(address.error.isEmpty(), !url.isEmpty());
}

void TestCalendars::fetchesStoresAndRemoves()
{
    CalendarServer server(files.path() + "/trusted.pem", files.path() + "/trusted.key",
                          files.path());
    QVERIFY(server.port);
    const QString address = server.url(QStringLiteral("town.ics")).toString();
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(Calendars::add(db, address));

    const CalendarFetch::Outcome outcome = fetch(server.url(QStringLiteral("town.ics")));
    QVERIFY2(outcome.ok, qPrintable(outcome.reason));
    QVERIFY(Calendars::storeFetched(db, address, outcome.records));
    // This year's two, the text as it stands; last year's left out.
    QCOMPARE(stored("SELECT eventName || '|' || startDate || '|' || endDate || '|' || "
                    "ifnull(eventDesc, '-') "
                    "FROM Events WHERE eventID > 3 ORDER BY eventID"),
             QStringList({"Street <b>fair</b>|7@4@" + year + "|7@4@" + year + "|-",
                          "Year's end|12@31@" + year + "|12@31@" + year + "|-"}));
    const EventsLogic::MonthEvents july =
        EventsLogic::eventsOfMonth(db, year.toInt(), 7, 1000, 100);
    QCOMPARE(july.names, QStringList({"Street <b>fair</b>"}));

    // Fetched again: the same two, not twice.
    QVERIFY(Calendars::storeFetched(db, address, outcome.records));
    QCOMPARE(stored("SELECT count(*) FROM Events").value(0), QStringLiteral("5"));

    // A file larger than allowed is refused whole.
    CalendarFetch::Limits small;
    small.maxBytes = 200;
    const CalendarFetch::Outcome tooLarge = fetch(server.url(QStringLiteral("town.ics")), small);
    QVERIFY(!tooLarge.ok);
    QCOMPARE(tooLarge.failure, QStringLiteral("The calendar is too large to be taken."));

    // Removed: its events go, the others stay.
    QVERIFY(Calendars::remove(db, address));
    QCOMPARE(stored("SELECT count(*) FROM Events").value(0), QStringLiteral("3"));
    QCOMPARE(Calendars::addresses(db), QStringList());
}

void TestCalendars::keepsEventsWhenNotFetched()
{
    QSqlDatabase db = QSqlDatabase::database();
    const QString address = QStringLiteral("https://127.0.0.1:1/town.ics");
    QVERIFY(Calendars::add(db, address));
    QVERIFY(Calendars::storeFetched(
        db, address, {{"Kept fair", "Green", "", "", "7@4@" + year, "7@4@" + year}}));

    {
        CalendarServer silent(files.path() + "/trusted.pem", files.path() + "/trusted.key",
                              files.path(), true);
        QVERIFY(silent.port);
        // No data for the wait, or the whole fetch too long.
        CalendarFetch::Limits quiet;
        quiet.timeoutMs = 1000;
        CalendarFetch::Limits slow;
        slow.totalMs = 1000;
        for (const CalendarFetch::Limits &limits : {quiet, slow}) {
            QElapsedTimer clock;
            clock.start();
            const CalendarFetch::Outcome outcome = fetch(silent.url("town.ics"), limits);
            QVERIFY(!outcome.ok);
            QCOMPARE(outcome.failure,
                     QStringLiteral("The calendar's address did not answer in time."));
            QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        }
    }
    {
        CalendarServer stranger(files.path() + "/stranger.pem", files.path() + "/stranger.key",
                                files.path());
        QVERIFY(stranger.port);
        const CalendarFetch::Outcome outcome = fetch(stranger.url("town.ics"));
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.failure, QStringLiteral("The calendar's address could not prove who it "
                                                 "is, so nothing was taken from it."));
        QVERIFY(outcome.records.isEmpty());
    }
    // Nothing was stored in their place.
    QCOMPARE(stored("SELECT eventName FROM Events WHERE eventID > 3"), QStringList({"Kept fair"}));
}

void TestCalendars::refreshesOnceADay()
{
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(Calendars::add(db, "https://a.example/1.ics"));
    QVERIFY(Calendars::add(db, "https://b.example/2.ics"));
    QVERIFY(Calendars::add(db, "https://a.example/1.ics"));
    const QStringList both = {"https://a.example/1.ics", "https://b.example/2.ics"};
    QCOMPARE(Calendars::takeDue(db, QDate(2026, 3, 31)), both);
    QCOMPARE(Calendars::takeDue(db, QDate(2026, 3, 31)), QStringList());
    QCOMPARE(Calendars::takeDue(db, QDate(2026, 4, 1)), both);
}

void TestCalendars::addsAndRemovesThroughWindow()
{
    CalendarServer server(files.path() + "/trusted.pem", files.path() + "/trusted.key",
                          files.path());
    QVERIFY(server.port);
    // The window opens the data file itself.
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    MainWindow window;
    window.show();
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    auto *address = child<QLineEdit>(&window, "le_calendarAddress");
    auto *message = child<QLabel>(&window, "lb_calendarMessage");
    QVERIFY(address && address->isVisible());

    // An http address is asked about first, and nothing is kept.
    address->setText(QStringLiteral("http://127.0.0.1:%1/town.ics").arg(server.port));
    QVERIFY(clickButton(&window, "push_addCalendar"));
    QVERIFY(message->text().contains(QStringLiteral("not private")));
    QCOMPARE(queryValue("SELECT count(*) FROM Calendar").toInt(), 0);

    address->setText(QStringLiteral(" webcal://127.0.0.1:%1/town.ics").arg(server.port));
    QVERIFY(clickButton(&window, "push_addCalendar"));
    QTRY_COMPARE_WITH_TIMEOUT(message->text(),
                              QStringLiteral("The calendar gave 2 events of this year."), 15000);
    QCOMPARE(address->text(), QStringLiteral("https://127.0.0.1:%1/town.ics").arg(server.port));
    child<QComboBox>(&window, "combo_Month")->setCurrentIndex(7);
    auto *list = child<QListWidget>(&window, "listWid_upcoming");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Street <b>fair</b>"));

    QVERIFY(clickButton(&window, "push_removeCalendar"));
    QCOMPARE(message->text(), QStringLiteral("The calendar and its events were removed."));
    QCOMPARE(queryValue("SELECT count(*) FROM Events").toInt(), 3);
    QVERIFY(list->findItems(QStringLiteral("Street <b>fair</b>"), Qt::MatchExactly).isEmpty());
}

QTEST_MAIN(TestCalendars)
#include "tst_calendars.moc"
