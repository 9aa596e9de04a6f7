// The event update: the message decoder and record splitter on their own, the
// non-blocking client against scripted loopback servers, and the window's
// update button end to end with its statuses and what the database holds.

#include "events/eventformat.h"
#include "events/eventslogic.h"
#include "events/eventupdateclient.h"
#include "eventtestserver.h"
#include "mainwindow.h"
#include "testsupport.h"

#include "clock.h"

#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTextCharFormat>
#include <QtEndian>

using EventFormat::Decoded;
using EventFormat::Record;

Q_DECLARE_METATYPE(EventFormat::Record)
Q_DECLARE_METATYPE(EventTestServer::Step)

namespace {

const QString pleaseWait = QStringLiteral("Please wait ...");
const QString updated = QStringLiteral("Your events have been updated");
const QString updateFailed =
    QStringLiteral("An error has occurred please check if your phone is connected to the Internet");
const QString unusable = QStringLiteral("The event server's answer could not be used, so no "
                                        "events were added. Please try again later.");
const QString cutShort = QStringLiteral("The event server's answer was cut short, so no events "
                                        "were added. Please try again later.");
const QString busy = QStringLiteral("Another program is using your data file, so no events were "
                                    "added. Please try again in a moment.");

QByteArray be16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes += be16(c.unicode());
    return bytes;
}

Record record(const QString &name, const QString &start = QStringLiteral("3@15@2010"))
{
    return {name,
            QStringLiteral("Town hall"),
            QStringLiteral("About ") + name,
            QStringLiteral("Free for all"),
            start,
            start};
}

int eventCount()
{
    return queryValue(QStringLiteral("SELECT count(*) FROM Events")).toInt();
}

QLabel *status(QWidget *window)
{
    return child<QLabel>(window, "lb_updateEventsSuccess");
}

// Reopens the window's connection with the short wait for a busy file that
// the window itself uses, and opens a second connection to the same file.
QSqlDatabase shortWaitAndSecondConnection(const QString &path)
{
    QSqlDatabase own = QSqlDatabase::database();
    own.close();
    own.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
    own.open();
    QSqlDatabase other =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(path);
    other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
    other.open();
    return other;
}

bool exec(const QSqlDatabase &db, const char *sql)
{
    QSqlQuery query(db);
    return query.exec(QLatin1String(sql));
}

void pressUpdate(MainWindow &window, const char *server)
{
    qputenv("VIRIDIO_EVENT_SERVER", server);
    QVERIFY(QMetaObject::invokeMethod(&window, "on_push_updateEvents_clicked"));
}

} // namespace

class TestEventUpdate : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setToday(QDate(2026, 6, 10)); }
    void cleanup()
    {
        Clock::setToday(QDate());
        qunsetenv("VIRIDIO_EVENT_SERVER");
    }

    void decode_data();
    void decode();
    void decodeSurvivesDamagedMessages();
    void records_data();
    void records();
    void serverAddress_data();
    void serverAddress();

    void clientReadsSegmentedMessage();
    void clientIgnoresBytesAfterMessage();
    void clientFailures_data();
    void clientFailures();

    void updateStoresOnlyNewEvents();
    void updateStoresHostileTextExactly();
    void updateWithoutEventsSaysSo();
    void updateRejectsMalformedOrCutShortMessage();
    void updateIntoBusyFileStoresNothing();
    void updateWithoutListener();
    void updateWithoutDatabaseKeepsWaiting();
    void updateWithSilentServerWaitsFiveSeconds();
    void backToEventsListsNewEvent();
    void oneExchangeAtATime();
    void closingWindowDropsExchange();
    void invalidServerAddressWarnsOnce();
};

void TestEventUpdate::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("used");

    const QString text = EventFormat::joinRecords({record("Earth Walk"), record("River Day")});
    const QByteArray message = EventFormat::encodeMessage(text);
    QCOMPARE(message.size(), 2 + 4 + text.size() * 2);
    QCOMPARE(message.left(2), be16(quint16(4 + text.size() * 2)));

    QTest::newRow("well-formed") << message << int(Decoded::Complete) << text
                                 << int(message.size());
    QTest::newRow("bytes after the message ignored")
        << message + be16(10) + QByteArray("junk") << int(Decoded::Complete) << text
        << int(message.size());
    QTest::newRow("empty text") << be16(4) + be32(0) << int(Decoded::Complete) << QString() << 6;
    QTest::newRow("null string") << be16(4) + be32(0xFFFFFFFF) << int(Decoded::Complete)
                                 << QString() << 6;
    QTest::newRow("nothing yet") << QByteArray() << int(Decoded::NeedMore) << QString() << 0;
    QTest::newRow("half a size field")
        << QByteArray(1, '\0') << int(Decoded::NeedMore) << QString() << 0;
    QTest::newRow("text still coming")
        << message.left(message.size() - 1) << int(Decoded::NeedMore) << QString() << 0;
    QTest::newRow("odd byte length") << be16(4 + 3) + be32(3) + QByteArray("\0a\0", 3)
                                     << int(Decoded::Malformed) << QString() << 7 + 2;
    QTest::newRow("size too small for the string")
        << be16(4 + 2) + be32(8) + utf16(QStringLiteral("abcd")) << int(Decoded::Malformed)
        << QString() << 8;
    QTest::newRow("string announces more text than the message holds")
        << be16(4 + 8) + be32(200) + utf16(QStringLiteral("abcd")) << int(Decoded::Malformed)
        << QString() << 14;
    // A size beyond the string: the string arrived whole, the rest is ignored.
    QTest::newRow("size larger than the string")
        << be16(4 + 8) + be32(4) + utf16(QStringLiteral("abcd")) << int(Decoded::Complete)
        << QStringLiteral("ab") << 14;
    QTest::newRow("size too small for a length")
        << be16(2) + QByteArray("ab") << int(Decoded::Malformed) << QString() << 4;
    QTest::newRow("null string with bytes after it")
        << be16(6) + be32(0xFFFFFFFF) + QByteArray("ab") << int(Decoded::Complete) << QString()
        << 8;
    // A lone surrogate would swallow the next character once stored.
    const QString pair = QStringLiteral("a") + QChar(0xD83C) + QChar(0xDF0D) + QStringLiteral("b");
    QTest::newRow("lone high surrogate")
        << be16(4 + 12) + be32(12) +
               utf16(QStringLiteral("Surr") + QChar(0xD800) + QLatin1Char('X'))
        << int(Decoded::Complete) << QStringLiteral("Surr\uFFFDX") << 18;
    QTest::newRow("lone low surrogate, high surrogate at the end")
        << be16(4 + 6) + be32(6) + utf16(QString(QChar(0xDC00)) + QLatin1Char('a') + QChar(0xDBFF))
        << int(Decoded::Complete) << QStringLiteral("\uFFFDa\uFFFD") << 12;
    QTest::newRow("surrogate pair kept")
        << be16(4 + 8) + be32(8) + utf16(pair) << int(Decoded::Complete) << pair << 14;
}

void TestEventUpdate::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(int, used);
    const Decoded decoded = EventFormat::decodeMessage(bytes);
    QCOMPARE(int(decoded.status), status);
    if (status == Decoded::Complete) {
        QCOMPARE(decoded.text, text);
        QCOMPARE(int(decoded.used), used);
    }
    if (status == Decoded::Malformed)
        QCOMPARE(int(decoded.used), used);
}

// Random damage to a real message never crashes the decoder, and whatever it
// accepts is well-formed text whose string the encoder would send alike.
void TestEventUpdate::decodeSurvivesDamagedMessages()
{
    const QByteArray message = EventFormat::encodeMessage(
        EventFormat::joinRecords({record("Earth Walk"), record("River Day")}));
    QRandomGenerator random(20261207);
    int complete = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = message.left(random.bounded(message.size() + 1));
        const int changes = random.bounded(1, 4);
        for (int i = 0; i < changes && !bytes.isEmpty(); ++i)
            bytes[random.bounded(bytes.size())] = char(random.bounded(256));
        const Decoded decoded = EventFormat::decodeMessage(bytes);
        QVERIFY(decoded.used <= bytes.size());
        if (decoded.status == Decoded::Complete) {
            ++complete;
            QVERIFY(decoded.text.isValidUtf16());
            const QByteArray again = EventFormat::encodeMessage(decoded.text);
            QVERIFY(again.size() <= decoded.used);
            if (!decoded.text.contains(QChar::ReplacementCharacter))
                QCOMPARE(again.mid(6), bytes.mid(6, again.size() - 6));
        }
    }
    QVERIFY(complete > 0);
}

void TestEventUpdate::records_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Record>>("expected");

    const QString six = QStringLiteral("A@//@venue@//@desc@//@fee@//@1@5@2026@//@1@6@2026");
    const Record a = {QStringLiteral("A"),        QStringLiteral("venue"),
                      QStringLiteral("desc"),     QStringLiteral("fee"),
                      QStringLiteral("1@5@2026"), QStringLiteral("1@6@2026")};
    QTest::newRow("one record") << six << QList<Record>{a};
    QTest::newRow("seven fields: the first six")
        << six + QStringLiteral("@//@extra") << QList<Record>{a};
    QTest::newRow("trailing record separator") << six + QStringLiteral("||") << QList<Record>{a};
    QTest::newRow("empty text") << QString() << QList<Record>{};
    QTest::newRow("five fields skipped")
        << QStringLiteral("B@//@v@//@d@//@f@//@1@5@2026||") + six << QList<Record>{a};
    QTest::newRow("empty fields kept") << QStringLiteral("C@//@@//@@//@@//@@//@")
                                       << QList<Record>{{QStringLiteral("C"), {}, {}, {}, {}, {}}};
    QTest::newRow("separators are case-sensitive text, not patterns")
        << QStringLiteral("D@//@a|b@//@x@/@y@//@f@//@2@1@2026@//@2@1@2026")
        << QList<Record>{{QStringLiteral("D"), QStringLiteral("a|b"), QStringLiteral("x@/@y"),
                          QStringLiteral("f"), QStringLiteral("2@1@2026"),
                          QStringLiteral("2@1@2026")}};
}

void TestEventUpdate::records()
{
    QFETCH(QString, text);
    QFETCH(QList<Record>, expected);
    QCOMPARE(EventFormat::parseRecords(text), expected);
}

void TestEventUpdate::serverAddress_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("warns");
    QTest::newRow("unset") << QString() << "127.0.0.1" << false;
    QTest::newRow("dotted IPv4") << "192.0.2.10"
                                 << "192.0.2.10" << false;
    QTest::newRow("spaces around") << " 127.0.0.7 "
                                   << "127.0.0.7" << false;
    QTest::newRow("host name") << "localhost"
                               << "127.0.0.1" << true;
    QTest::newRow("short form") << "127.1"
                                << "127.0.0.1" << true;
    QTest::newRow("out of range") << "300.1.1.1"
                                  << "127.0.0.1" << true;
    // Read as the decimal numbers they look like, not as octal.
    QTest::newRow("leading zeros") << "010.000.000.001"
                                   << "10.0.0.1" << false;
    QTest::newRow("IPv6") << "::1"
                          << "127.0.0.1" << true;
    QTest::newRow("with a port") << "127.0.0.1:2554"
                                 << "127.0.0.1" << true;
    QTest::newRow("very long") << QString(5000, QLatin1Char('9')) << "127.0.0.1" << true;
}

void TestEventUpdate::serverAddress()
{
    QFETCH(QString, value);
    QFETCH(QString, address);
    QFETCH(bool, warns);
    QString warning;
    QCOMPARE(EventsLogic::eventServerAddress(value, &warning), address);
    QCOMPARE(!warning.isEmpty(), warns);
    // The warning quotes no more than 80 characters of the value.
    QVERIFY2(warning.section(QLatin1Char('"'), 1, 1).size() <= 80, qPrintable(warning));
}

void TestEventUpdate::clientReadsSegmentedMessage()
{
    const QString text = EventFormat::joinRecords({record("Earth Walk")});
    const QByteArray message = EventFormat::encodeMessage(text);
    EventTestServer server({EventTestServer::send(message.left(1)), EventTestServer::pause(150),
                            EventTestServer::send(message.mid(1, 9)), EventTestServer::pause(150),
                            EventTestServer::send(message.mid(10)), EventTestServer::pause(2000)});
    QVERIFY(server.listen("127.0.0.11"));
    EventUpdateClient client;
    QSignalSpy received(&client, &EventUpdateClient::received);
    QSignalSpy failed(&client, &EventUpdateClient::failed);
    QVERIFY(client.start(QStringLiteral("127.0.0.11"), 2554));
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 3000);
    QCOMPARE(received.at(0).at(0).toString(), text);
    QCOMPARE(failed.count(), 0);
    QVERIFY(!client.isRunning());
    // The client hangs up without waiting for the server to close.
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, 1, 1000);
}

void TestEventUpdate::clientIgnoresBytesAfterMessage()
{
    const QString text = EventFormat::joinRecords({record("Earth Walk")});
    EventTestServer server({EventTestServer::send(EventFormat::encodeMessage(text) +
                                                  EventFormat::encodeMessage(QStringLiteral("x"))),
                            EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.12"));
    EventUpdateClient client;
    QSignalSpy received(&client, &EventUpdateClient::received);
    QSignalSpy failed(&client, &EventUpdateClient::failed);
    QVERIFY(client.start(QStringLiteral("127.0.0.12"), 2554));
    QTRY_COMPARE_WITH_TIMEOUT(received.count() + failed.count(), 1, 3000);
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), text);
}

// Each way an exchange can fail ends it with one failure and no text, well
// within its limits (shortened here: the window's are 5 s, 5 s and 30 s).
void TestEventUpdate::clientFailures_data()
{
    QTest::addColumn<QList<EventTestServer::Step>>("steps");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("atLeastMs");

    const QByteArray message =
        EventFormat::encodeMessage(EventFormat::joinRecords({record("Earth Walk")}));
    using S = EventTestServer;
    QTest::newRow("no listener") << QList<S::Step>{} << false << 0;
    QTest::newRow("silent server") << QList<S::Step>{S::pause(3000)} << true << 400;
    QTest::newRow("size field then silence")
        << QList<S::Step>{S::send(message.left(2)), S::pause(3000)} << true << 400;
    QTest::newRow("closed before the message ends")
        << QList<S::Step>{S::send(message.left(message.size() - 2)), S::close()} << true << 0;
    QTest::newRow("closed at once") << QList<S::Step>{S::close()} << true << 0;
    QList<S::Step> trickle;
    for (int i = 0; i < 20; ++i)
        trickle << S::send(message.mid(i, 1)) << S::pause(150);
    QTest::newRow("trickle past the whole exchange's limit") << trickle << true << 1200;
    QTest::newRow("malformed") << QList<S::Step>{S::send(be16(5) + be32(1) + "a"), S::pause(3000)}
                               << true << 0;
}

void TestEventUpdate::clientFailures()
{
    QFETCH(QList<EventTestServer::Step>, steps);
    QFETCH(bool, listening);
    QFETCH(int, atLeastMs);
    EventTestServer server(steps);
    if (listening)
        QVERIFY(server.listen("127.0.0.13"));
    EventUpdateClient client;
    client.setLimits({400, 400, 1200});
    QSignalSpy received(&client, &EventUpdateClient::received);
    QSignalSpy failed(&client, &EventUpdateClient::failed);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(client.start(QStringLiteral("127.0.0.13"), 2554));
    QVERIFY(!client.start(QStringLiteral("127.0.0.13"), 2554));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 3000);
    QVERIFY2(clock.elapsed() >= atLeastMs - 50, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 2500);
    QCOMPARE(received.count(), 0);
    QVERIFY(!client.isRunning());
    QCOMPARE(server.connections, listening ? 1 : 0);
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, server.connections, 1000);
}

void TestEventUpdate::updateStoresOnlyNewEvents()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    const int before = eventCount();
    // A column another tool or a newer version added takes nothing from updates.
    QVERIFY(exec(QSqlDatabase::database(), "ALTER TABLE Events ADD COLUMN addedLater TEXT"));
    Record seed = record("Tourism Compass"); // a seed event: its name is stored already
    seed.venue = QStringLiteral("Elsewhere");
    const QByteArray message = EventFormat::encodeMessage(EventFormat::joinRecords(
        {seed, record(" "), record("Earth Walk", QStringLiteral("6@20@2026"))}));
    EventTestServer server(
        {EventTestServer::pause(300), EventTestServer::send(message), EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.14"));

    pressUpdate(window, "127.0.0.14");
    // The window stays live and says so while the server takes its time.
    QCOMPARE(contentPage(&window), 6);
    QCOMPARE(status(&window)->text(), pleaseWait);
    QTest::qWait(100);
    QCOMPARE(status(&window)->text(), pleaseWait);
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updated, 3000);
    QCOMPARE(contentPage(&window), 6);
    QCOMPARE(eventCount(), before + 1);
    QCOMPARE(queryValue(QStringLiteral("SELECT venue FROM Events WHERE eventName=?"),
                        {QStringLiteral("Tourism Compass")})
                 .toString()
                 .startsWith(QStringLiteral("Elsewhere")),
             false);
    QCOMPARE(queryValue(QStringLiteral("SELECT startDate FROM Events WHERE eventName=?"),
                        {QStringLiteral("Earth Walk")})
                 .toString(),
             QStringLiteral("6@20@2026"));
}

void TestEventUpdate::updateStoresHostileTextExactly()
{
    TemporaryHome home;
    MainWindow window;
    const int before = eventCount();
    const int quiz = queryValue(QStringLiteral("SELECT count(*) FROM Quiz")).toInt();
    Record hostile = record("O'Brien's Walk");
    hostile.description = QStringLiteral("x'); DROP TABLE Quiz; --");
    hostile.venue = QStringLiteral("It's \"here\"; DELETE FROM Events;");
    hostile.admissionFee = QStringLiteral("Surr") + QChar(0xD800) + QLatin1Char('X');
    // The size field counts four bytes more than the string needs, and they came.
    QByteArray message = EventFormat::encodeMessage(EventFormat::joinRecords({hostile})) + "pad!";
    qToBigEndian<quint16>(quint16(message.size() - 2), message.data());
    EventTestServer server({EventTestServer::send(message), EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.15"));
    pressUpdate(window, "127.0.0.15");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updated, 3000);
    QCOMPARE(eventCount(), before + 1);
    QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM Quiz")).toInt(), quiz);
    QCOMPARE(
        queryValue(QStringLiteral("SELECT eventDesc FROM Events WHERE eventName=?"), {hostile.name})
            .toString(),
        hostile.description);
    QCOMPARE(
        queryValue(QStringLiteral("SELECT venue FROM Events WHERE eventName=?"), {hostile.name})
            .toString(),
        hostile.venue);
    QCOMPARE(queryValue(QStringLiteral("SELECT admissionFee FROM Events WHERE eventName=?"),
                        {hostile.name})
                 .toString(),
             QStringLiteral("Surr\uFFFDX"));
}

// A well-formed answer without a single event is no update of the events;
// one whose events are all stored already still is.
void TestEventUpdate::updateWithoutEventsSaysSo()
{
    TemporaryHome home;
    MainWindow window;
    const int before = eventCount();
    const QString none = QStringLiteral("There were no events in the update.");
    for (const QString &text : {QString(), QStringLiteral("only@//@three@//@fields")}) {
        EventTestServer server(
            {EventTestServer::send(EventFormat::encodeMessage(text)), EventTestServer::close()});
        QVERIFY(server.listen("127.0.0.31"));
        pressUpdate(window, "127.0.0.31");
        QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), none, 3000);
        QCOMPARE(contentPage(&window), 6);
        QCOMPARE(eventCount(), before);
    }
    EventTestServer stored({EventTestServer::send(EventFormat::encodeMessage(
                                EventFormat::joinRecords({record("Tourism Compass")}))),
                            EventTestServer::close()});
    QVERIFY(stored.listen("127.0.0.31"));
    pressUpdate(window, "127.0.0.31");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updated, 3000);
    QCOMPARE(eventCount(), before);
}

void TestEventUpdate::updateRejectsMalformedOrCutShortMessage()
{
    TemporaryHome home;
    MainWindow window;
    const int before = eventCount();
    // A whole, valid-looking record whose size field is two bytes short.
    QByteArray message =
        EventFormat::encodeMessage(EventFormat::joinRecords({record("Earth Walk")}));
    qToBigEndian<quint16>(quint16(message.size() - 4), message.data());
    EventTestServer server({EventTestServer::send(message), EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.16"));
    pressUpdate(window, "127.0.0.16");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), unusable, 3000);
    QCOMPARE(contentPage(&window), 6);
    QCOMPARE(eventCount(), before);

    // Half a message, then the server hangs up: that is no phone without
    // Internet.
    EventTestServer halfway(
        {EventTestServer::send(message.left(message.size() / 2)), EventTestServer::close()});
    QVERIFY(halfway.listen("127.0.0.29"));
    pressUpdate(window, "127.0.0.29");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), cutShort, 3000);
    QCOMPARE(eventCount(), before);
}

// Another program holds the file: the page says so and nothing
// is stored, whether the inserts or only the commit meet the lock; the window
// waits once for the file, not once per event. Once the file is free, the next
// update stores every new event (a name sent twice is no failure).
void TestEventUpdate::updateIntoBusyFileStoresNothing()
{
    TemporaryHome home;
    MainWindow window;
    const int before = eventCount();
    QList<Record> records;
    for (int i = 0; i < 20; ++i)
        records << record(QStringLiteral("Busy Walk %1").arg(i));
    records << records.first();
    EventTestServer server(
        {EventTestServer::send(EventFormat::encodeMessage(EventFormat::joinRecords(records))),
         EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.23"));
    {
        QSqlDatabase other = shortWaitAndSecondConnection(home.databasePath());
        QVERIFY(exec(other, "BEGIN EXCLUSIVE"));
        QElapsedTimer clock;
        clock.start();
        pressUpdate(window, "127.0.0.23");
        QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), busy, 4000);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(exec(other, "ROLLBACK"));
        QCOMPARE(eventCount(), before);

        // A reader lets the inserts through but not the commit.
        QVERIFY(exec(other, "BEGIN"));
        QVERIFY(exec(other, "SELECT count(*) FROM Events"));
        pressUpdate(window, "127.0.0.23");
        QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), busy, 4000);
        QCOMPARE(eventCount(), before);
        QVERIFY(exec(other, "COMMIT"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    pressUpdate(window, "127.0.0.23");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updated, 4000);
    QCOMPARE(eventCount(), before + 20);
}

void TestEventUpdate::updateWithoutListener()
{
    TemporaryHome home;
    MainWindow window;
    pressUpdate(window, "127.0.0.17");
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updateFailed, 6000);
    QCOMPARE(contentPage(&window), 6);
}

// With no database the events cannot be stored: the page keeps its first
// status, and the exchange is over, so a new press asks the server again.
void TestEventUpdate::updateWithoutDatabaseKeepsWaiting()
{
    TemporaryHome home;
    home.spoilDatabase(); // the window leaves its connection closed
    MainWindow window;
    EventTestServer server({EventTestServer::send(EventFormat::encodeMessage(
                                EventFormat::joinRecords({record("Earth Walk")}))),
                            EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.22"));
    for (int press = 1; press <= 2; ++press) {
        pressUpdate(window, "127.0.0.22");
        QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, press, 3000);
        QTest::qWait(100);
        QCOMPARE(status(&window)->text(), pleaseWait);
        QCOMPARE(server.connections, press);
    }
}

// The one slow case: the window's own 5000 ms wait for data.
void TestEventUpdate::updateWithSilentServerWaitsFiveSeconds()
{
    TemporaryHome home;
    MainWindow window;
    EventTestServer server({EventTestServer::pause(8000)});
    QVERIFY(server.listen("127.0.0.18"));
    QElapsedTimer clock;
    clock.start();
    pressUpdate(window, "127.0.0.18");
    QTest::qWait(4500);
    QCOMPARE(status(&window)->text(), pleaseWait);
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updateFailed, 2500);
    QVERIFY(clock.elapsed() >= 4900);
    QCOMPARE(server.connections, 1);
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, 1, 1000);
}

void TestEventUpdate::backToEventsListsNewEvent()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    const QByteArray message = EventFormat::encodeMessage(
        EventFormat::joinRecords({record("Summer Fair 2026", QStringLiteral("8@1@2026")),
                                  record("Earth Walk 2026", QStringLiteral("6@20@2026"))}));
    EventTestServer server({EventTestServer::send(message), EventTestServer::close()});
    QVERIFY(server.listen("127.0.0.19"));
    QVERIFY(clickButton(&window, "push_ecoEvent"));
    auto *list = child<QListWidget>(&window, "listWid_upcoming");
    // June has no event yet: only the line that says so, which names none.
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->flags(), Qt::NoItemFlags);
    auto *calendar = child<QCalendarWidget>(&window, "calWid_events");
    QCOMPARE(calendar->dateTextFormat(QDate(2026, 6, 20)).fontWeight(), int(QFont::Normal));
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.19");
    QVERIFY(clickButton(&window, "push_updateEvents"));
    QTRY_COMPARE_WITH_TIMEOUT(status(&window)->text(), updated, 3000);
    QVERIFY(clickButton(&window, "push_backToEvents"));
    QCOMPARE(contentPage(&window), 4);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Earth Walk 2026"));
    // The update marks the calendar's days of the new events.
    QCOMPARE(calendar->dateTextFormat(QDate(2026, 6, 20)).fontWeight(), int(QFont::Bold));
    QCOMPARE(calendar->dateTextFormat(QDate(2026, 8, 1)).fontWeight(), int(QFont::Bold));
}

void TestEventUpdate::oneExchangeAtATime()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    EventTestServer server({EventTestServer::pause(8000)});
    QVERIFY(server.listen("127.0.0.20"));
    pressUpdate(window, "127.0.0.20");
    QTRY_COMPARE_WITH_TIMEOUT(server.connections, 1, 2000);
    pressUpdate(window, "127.0.0.20");
    QTest::qWait(200);
    QCOMPARE(server.connections, 1);
    QCOMPARE(status(&window)->text(), pleaseWait);

    // Leaving the result page ends the exchange; a new press starts a new one.
    QVERIFY(clickButton(&window, "push_backToEvents"));
    QCOMPARE(contentPage(&window), 4);
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, 1, 1000);
    QVERIFY(clickButton(&window, "push_updateEvents"));
    QTRY_COMPARE_WITH_TIMEOUT(server.connections, 2, 2000);
    QVERIFY(clickButton(&window, "push_eventsUpdateHome"));
    QCOMPARE(contentPage(&window), 2);
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, 2, 1000);
    QCOMPARE(server.connections, 2);
}

void TestEventUpdate::closingWindowDropsExchange()
{
    TemporaryHome home;
    EventTestServer server({EventTestServer::pause(8000)});
    QVERIFY(server.listen("127.0.0.21"));
    {
        MainWindow window;
        window.show();
        pressUpdate(window, "127.0.0.21");
        QTRY_COMPARE_WITH_TIMEOUT(server.connections, 1, 2000);
        window.close();
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.disconnections, 1, 1000);
}

void TestEventUpdate::invalidServerAddressWarnsOnce()
{
    TemporaryHome home;
    MainWindow window;
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("VIRIDIO_EVENT_SERVER.*not-an-address")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("VIRIDIO_EVENT_SERVER")));
    for (int press = 0; press < 2; ++press) {
        pressUpdate(window, "not-an-address");
        QTRY_VERIFY_WITH_TIMEOUT(status(&window)->text() != pleaseWait, 6000);
    }
}

QTEST_MAIN(TestEventUpdate)
#include "tst_eventupdate.moc"
