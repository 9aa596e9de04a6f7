// The companion event server: its file readers (its text format and
// iCalendar) refuse every event the viewer could not store or list, the
// program refuses such a file with a clear message, and the viewer stores the
// shipped sample's events from it.

#include "clock.h"
#include "events/calendarfile.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "tools/eventserver/eventfile.h"
#include "tools/eventserver/icsfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimeZone>

#include <sys/stat.h>

namespace {

const QString samplePath = QStringLiteral(VIRIDIO_SOURCE_DIR "/tools/eventserver/events.txt");

QString block(const QString &name, const QString &start = QStringLiteral("3@22@2026"),
              const QString &end = QStringLiteral("3@22@2026"))
{
    return QStringLiteral("name: %1\nvenue: Town hall\nfee: Free\nstart: %2\nend: %3\n"
                          "description: Come along.\n")
        .arg(name, start, end);
}

QString readSample()
{
    QFile file(samplePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runServer(const QStringList &arguments, int limitMs = 10000)
{
    QProcess process;
    process.start(QStringLiteral(EVENTSERVER_PATH), arguments);
    Run run;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A town's calendar: a folded line, an escaped comma, a time in a named zone
// that is the next day in UTC (served on its own zone's day), a yearly day, a
// weekend fair of three days, a cancelled walk and a weekly market with one
// market day moved.
const QByteArray townCalendar =
    "\xEF\xBB\xBF\r\nBEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//Events//EN\r\n"
    "BEGIN:VEVENT\r\nUID:litter@town\r\nSUMMARY:Litter pick\\, river bank\r\n"
    "LOCATION:Riverside\\; north gate\r\n"
    "DESCRIPTION:Gloves and bags are provided. Bring water and wear sturdy sh\r\n oes.\r\n"
    "DTSTART;TZID=America/New_York:20260605T233000\r\n"
    "DTEND;TZID=America/New_York:20260606T013000\r\nX-VIRIDIO-FEE:Free\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:hour@town\r\nSUMMARY:Earth Hour\r\nDTSTART;VALUE=DATE:20200328\r\n"
    "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:fair@town\r\nSUMMARY:Green fair\r\nLOCATION:Park\r\n"
    "DTSTART;VALUE=DATE:20260710\r\nDTEND;VALUE=DATE:20260713\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:walk@town\r\nSUMMARY:Moor walk\r\nSTATUS:CANCELLED\r\n"
    "DTSTART;VALUE=DATE:20260711\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:market@town\r\nSUMMARY:Farmers' market\r\n"
    "DTSTART;VALUE=DATE:20260704\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:market@town\r\nRECURRENCE-ID;VALUE=DATE:20260711\r\n"
    "DTSTART;VALUE=DATE:20260710\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// A town's calendar as towns publish them: a name used twice, times in the
// town's zone near midnight, one ending at midnight (with empty texts, as
// calendar programs write them), one in UTC, two sessions of one name on one
// day, one without a name, and a yearly clean-up of two months with a day
// left out (EXDATE) and a day moved (RECURRENCE-ID).
const QByteArray berlinCalendar =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//Events//DE\r\n"
    "BEGIN:VEVENT\r\nUID:repair-3@town\r\nSUMMARY:Repair Caf\xC3\xA9\r\n"
    "DTSTART;TZID=Europe/Berlin:20260314T100000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:repair-4@town\r\nSUMMARY:Repair Caf\xC3\xA9\r\n"
    "DTSTART;TZID=Europe/Berlin:20260411T100000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:night@town\r\nSUMMARY:Night walk\r\n"
    "DTSTART;TZID=Europe/Berlin:20260301T003000\r\n"
    "DTEND;TZID=Europe/Berlin:20260301T020000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:concert@town\r\nSUMMARY:Concert\r\nDESCRIPTION:\r\nLOCATION:\r\n"
    "DTSTART;TZID=Europe/Berlin:20260320T190000\r\n"
    "DTEND;TZID=Europe/Berlin:20260321T000000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:stars@town\r\nSUMMARY:Star gazing\r\n"
    "DTSTART:20260228T233000Z\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:yoga-am@town\r\nSUMMARY:Yoga\r\n"
    "DTSTART;TZID=Europe/Berlin:20260322T090000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:yoga-pm@town\r\nSUMMARY:Yoga\r\n"
    "DTSTART;TZID=Europe/Berlin:20260322T180000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:blank@town\r\nDTSTART;VALUE=DATE:20260501\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:cleanup@town\r\nSUMMARY:Clean-up\r\n"
    "DTSTART;VALUE=DATE:20200418\r\nRRULE:FREQ=YEARLY;BYMONTH=4,9\r\n"
    "EXDATE;VALUE=DATE:20260918\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:cleanup@town\r\nSUMMARY:Clean-up\r\n"
    "RECURRENCE-ID;VALUE=DATE:20270418\r\nDTSTART;VALUE=DATE:20270425\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

// Name: "first day - last day", of what result serves.
QMap<QString, QString> daysByName(const EventFile::Result &result)
{
    QMap<QString, QString> days;
    for (const EventFormat::Record &record : result.records)
        days.insert(record.name, record.startDate + QStringLiteral(" - ") + record.endDate);
    return days;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return file.fileName();
}

// Starts the server with arguments and waits until it serves; log gets its output.
bool startServer(QProcess &server, const QStringList &arguments, QString &log)
{
    server.start(QStringLiteral(EVENTSERVER_PATH), arguments);
    if (!server.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!log.contains(QStringLiteral("serving")) && clock.elapsed() < 5000 &&
           server.state() == QProcess::Running) {
        server.waitForReadyRead(200);
        log += QString::fromUtf8(server.readAllStandardOutput());
    }
    if (!log.contains(QStringLiteral(":2554")))
        qWarning().noquote() << log << server.readAllStandardError();
    return log.contains(QStringLiteral(":2554"));
}

void stopServer(QProcess &server)
{
    server.terminate();
    if (!server.waitForFinished(3000)) {
        server.kill();
        server.waitForFinished(1000);
    }
}

// Presses the events page's update, asking the server at address.
bool updateFrom(MainWindow &window, const char *address)
{
    qputenv("VIRIDIO_EVENT_SERVER", address);
    if (!clickButton(&window, "push_ecoEvent") || !clickButton(&window, "push_updateEvents"))
        return false;
    auto *status = child<QLabel>(&window, "lb_updateEventsSuccess");
    return QTest::qWaitFor(
        [status] { return status->text() == QStringLiteral("Your events have been updated"); },
        5000);
}

// The names the events page lists.
QStringList listed(MainWindow &window)
{
    QStringList names;
    auto *list = child<QListWidget>(&window, "listWid_upcoming");
    for (int row = 0; row < list->count(); ++row)
        names.append(list->item(row)->text());
    return names;
}

} // namespace

class TestEventServer : public QObject
{
    Q_OBJECT

private slots:
    // The local day of a timed event depends on the zone the server runs in.
    void initTestCase() { qputenv("TZ", "UTC"); }
    void cleanup()
    {
        Clock::setToday(QDate());
        qunsetenv("VIRIDIO_EVENT_SERVER");
    }

    void sampleIsServable();
    void refusesWhatTheViewerCannotUse_data();
    void refusesWhatTheViewerCannotUse();
    void continuationLinesAndComments();
    void programRefusesBadFile();
    void calendarRecords();
    void calendarAsTownsPublish();
    void ruleThatCannotOccurStops();
    void yearlyCountCountsFromFirstYear();
    void timeZonesBoundedOrSaid();
    void calendarAsProgramsExport();
    void pastYearsNotServed();
    void otherCalendarScaleSaid();
    void calendarRefused_data();
    void calendarRefused();
    void programServesCalendarByContent();
    void programChecksSample();
    void viewerStoresServedEvents();
    void viewerListsTownCalendar();
};

void TestEventServer::sampleIsServable()
{
    const EventFile::Result result = EventFile::parse(readSample());
    QCOMPARE(result.errors, QStringList{});
    QVERIFY(result.records.size() >= 30);
    QHash<QString, QString> start;
    for (const EventFormat::Record &record : result.records)
        start.insert(record.name, record.startDate);
    // Earth Hour is a Saturday its organiser sets each year (in 2027 not Holy
    // Saturday); World Cleanup Day is 20 September since December 2023.
    QCOMPARE(start.value(QStringLiteral("Earth Hour 2026")), QStringLiteral("3@28@2026"));
    QCOMPARE(start.value(QStringLiteral("Earth Hour 2027")), QStringLiteral("3@20@2027"));
    QCOMPARE(start.value(QStringLiteral("World Cleanup Day 2026")), QStringLiteral("9@20@2026"));
    QCOMPARE(start.value(QStringLiteral("World Cleanup Day 2027")), QStringLiteral("9@20@2027"));
    QCOMPARE(start.value(QStringLiteral("World Water Day 2026")), QStringLiteral("3@22@2026"));
    QCOMPARE(start.value(QStringLiteral("World Environment Day 2027")), QStringLiteral("6@5@2027"));
    for (const QString &name :
         {QStringLiteral("Earth Hour 2026"), QStringLiteral("Earth Hour 2027")})
        QCOMPARE(QDate::fromString(start.value(name), QStringLiteral("M@d@yyyy")).dayOfWeek(),
                 int(Qt::Saturday));
}

void TestEventServer::refusesWhatTheViewerCannotUse_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("error");

    const QString good = block(QStringLiteral("First"));
    QTest::newRow("record separator in a field")
        << good + QStringLiteral("\n") +
               block(QStringLiteral("Second"))
                   .replace(QStringLiteral("Come along."), QStringLiteral("This || that"))
        << QStringLiteral("line 13: the description holds \"||\"");
    QTest::newRow("field separator in a field")
        << block(QStringLiteral("A@//@B")) << QStringLiteral("line 1: the name holds \"@//@\"");
    QTest::newRow("field running into the separator")
        << block(QStringLiteral("Ends in @//")) << QStringLiteral("line 1: a field ends in");
    QTest::newRow("date with leading zeros")
        << block(QStringLiteral("First"), QStringLiteral("03@22@2026"))
        << QStringLiteral("line 4: the start date \"03@22@2026\"");
    QTest::newRow("date in another pattern")
        << block(QStringLiteral("First"), QStringLiteral("3@22@2026"), QStringLiteral("2026-03-22"))
        << QStringLiteral("line 5: the end date");
    QTest::newRow("no such day") << block(QStringLiteral("First"), QStringLiteral("2@30@2026"))
                                 << QStringLiteral("line 4: the start date");
    QTest::newRow("ends before it starts")
        << block(QStringLiteral("First"), QStringLiteral("3@22@2026"), QStringLiteral("3@21@2026"))
        << QStringLiteral("line 5: the event ends before it starts");
    QTest::newRow("missing field")
        << QStringLiteral("name: First\nvenue: x\nfee: y\nstart: 1@1@2026\nend: 1@1@2026\n")
        << QStringLiteral("line 1: the event has no \"description:\" line");
    QTest::newRow("same name twice") << good + QStringLiteral("\n") + good
                                     << QStringLiteral("line 8: the name \"First\" is used "
                                                       "already on line 1");
    QTest::newRow("empty name") << block(QString()) << QStringLiteral("line 1: the name is empty");
    QTest::newRow("unknown key") << good + QStringLiteral("colour: green\n")
                                 << QStringLiteral("line 7: expected one of");
    QTest::newRow("two events without a blank line")
        << good + block(QStringLiteral("Second")) << QStringLiteral("line 7: a second \"name:\"");
    QTest::newRow("continuation of nothing")
        << QStringLiteral("  stray\n") + good << QStringLiteral("line 1: an indented line");

    QString many;
    for (int i = 0; i < 80; ++i)
        many += block(QStringLiteral("Event %1").arg(i))
                    .replace(QStringLiteral("Come along."), QString(400, QLatin1Char('x'))) +
                QStringLiteral("\n");
    QTest::newRow("too long for one message")
        << many << QStringLiteral("the 80 events make a message of");
}

void TestEventServer::refusesWhatTheViewerCannotUse()
{
    QFETCH(QString, content);
    QFETCH(QString, error);
    const EventFile::Result result = EventFile::parse(content);
    QVERIFY2(!result.errors.isEmpty(), "the file was accepted");
    QVERIFY2(result.errors.first().contains(error),
             qPrintable(result.errors.join(QLatin1Char('\n'))));
}

void TestEventServer::continuationLinesAndComments()
{
    const EventFile::Result result = EventFile::parse(QStringLiteral(
        "# a comment\r\nname: Earth Day 2026\r\nvenue: Everywhere\r\nfee: Free\r\nstart: "
        "4@22@2026\r\nend: 4@22@2026\r\ndescription: Plant a tree,\r\n  walk or cycle,\r\n\tand "
        "save water.\r\n\r\n\r\n"));
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first().description,
             QStringLiteral("Plant a tree, walk or cycle, and save water."));
    QCOMPARE(result.records.first().admissionFee, QStringLiteral("Free"));
}

void TestEventServer::programRefusesBadFile()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write((block(QStringLiteral("First")) + QStringLiteral("\n") +
                block(QStringLiteral("First"), QStringLiteral("13@1@2026")))
                   .toUtf8());
    file.close();
    const Run run =
        runServer({QStringLiteral("--listen"), QStringLiteral("127.0.0.41"), file.fileName()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(file.fileName() + QStringLiteral(": line 8: the name \"First\"")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("line 11: the start date \"13@1@2026\"")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("not serving it")), qPrintable(run.err));
    QCOMPARE(run.out, QString());

    const Run missing = runServer({QStringLiteral("/nonexistent/events.txt")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains(QStringLiteral("cannot read /nonexistent/events.txt")),
             qPrintable(missing.err));
    // Only a regular file of at most 1 MiB is read: a device never ends and a
    // FIFO would wait for a writer.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("events.fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QFile big(dir.filePath(QStringLiteral("big.txt")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(1024 * 1024 + 1));
    big.close();
    for (const QString &path : {QStringLiteral("/dev/zero"), fifo, big.fileName()}) {
        const Run refused = runServer({QStringLiteral("--check"), path}, 5000);
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(path + (path == big.fileName()
                                                  ? QStringLiteral(" is larger than 1048576 bytes")
                                                  : QStringLiteral(" is not a regular file"))),
                 qPrintable(refused.err));
    }
    const Run badAddress =
        runServer({QStringLiteral("--listen"), QStringLiteral("example.org"), samplePath});
    QCOMPARE(badAddress.exitCode, 2);
    QVERIFY2(badAddress.err.contains(QStringLiteral("not an IPv4 address")),
             qPrintable(badAddress.err));
}

void TestEventServer::calendarRecords()
{
    const EventFile::Result result = IcsFile::parse(townCalendar, 2026);
    QCOMPARE(result.errors, QStringList{});
    const QList<EventFormat::Record> expected = {
        {QStringLiteral("Litter pick, river bank"), QStringLiteral("Riverside; north gate"),
         QStringLiteral("Gloves and bags are provided. Bring water and wear sturdy shoes."),
         QStringLiteral("Free"), QStringLiteral("6@5@2026"), QStringLiteral("6@6@2026")},
        {QStringLiteral("Earth Hour 2026"),
         {},
         {},
         {},
         QStringLiteral("3@28@2026"),
         QStringLiteral("3@28@2026")},
        {QStringLiteral("Earth Hour 2027"),
         {},
         {},
         {},
         QStringLiteral("3@28@2027"),
         QStringLiteral("3@28@2027")},
        {QStringLiteral("Green fair"),
         QStringLiteral("Park"),
         {},
         {},
         QStringLiteral("7@10@2026"),
         QStringLiteral("7@12@2026")},
    };
    QCOMPARE(EventFormat::joinRecords(result.records), EventFormat::joinRecords(expected));
    QCOMPARE(result.leftOut.size(), 3);
    QVERIFY2(result.leftOut.at(0).contains(QStringLiteral("\"Moor walk\"")) &&
                 result.leftOut.at(0).contains(QStringLiteral("cancelled")),
             qPrintable(result.leftOut.join(QLatin1Char('\n'))));
    QVERIFY2(result.leftOut.at(1).contains(QStringLiteral("\"Farmers' market\"")) &&
                 result.leftOut.at(1).contains(QStringLiteral("FREQ=WEEKLY")),
             qPrintable(result.leftOut.join(QLatin1Char('\n'))));
    QVERIFY2(result.leftOut.at(2).contains(QStringLiteral("\"Farmers' market\" (UID market@town): "
                                                          "left out: it changes one day")),
             qPrintable(result.leftOut.join(QLatin1Char('\n'))));

    // The viewer's "Add to my calendar" file gives the same event back.
    const EventFormat::Record added = {QStringLiteral("Swap, mend; reuse \\ repeat"),
                                       QStringLiteral("Hall"),
                                       QStringLiteral("Line one,\nline two: ") +
                                           QString(60, QChar(0x00E9)),
                                       QStringLiteral("2 €"),
                                       QStringLiteral("3@30@2026"),
                                       QStringLiteral("4@1@2026")};
    QCOMPARE(
        IcsFile::parse(CalendarFile::calendarText(added, QDateTime::currentDateTimeUtc()), 2026)
            .records,
        QList<EventFormat::Record>{added});
}

void TestEventServer::calendarAsTownsPublish()
{
    const EventFile::Result result =
        IcsFile::parse(berlinCalendar, 2026, QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(
        daysByName(result),
        (QMap<QString, QString>{
            {QStringLiteral("Repair Café 14 March 2026"), QStringLiteral("3@14@2026 - 3@14@2026")},
            {QStringLiteral("Repair Café 11 April 2026"), QStringLiteral("4@11@2026 - 4@11@2026")},
            {QStringLiteral("Night walk"), QStringLiteral("3@1@2026 - 3@1@2026")},
            {QStringLiteral("Concert"), QStringLiteral("3@20@2026 - 3@20@2026")},
            {QStringLiteral("Star gazing"), QStringLiteral("3@1@2026 - 3@1@2026")},
            {QStringLiteral("Yoga 22 March 2026"), QStringLiteral("3@22@2026 - 3@22@2026")},
            {QStringLiteral("Yoga 22 March 2026 (2)"), QStringLiteral("3@22@2026 - 3@22@2026")},
            {QStringLiteral("Clean-up 18 April 2026"), QStringLiteral("4@18@2026 - 4@18@2026")},
            {QStringLiteral("Clean-up 25 April 2027"), QStringLiteral("4@25@2027 - 4@25@2027")},
            {QStringLiteral("Clean-up 18 September 2027"), QStringLiteral("9@18@2027 - 9@18@2027")},
        }));
    QCOMPARE(result.leftOut.size(), 1);
    QVERIFY2(result.leftOut.first().contains(QStringLiteral("(UID blank@town): left out: it has "
                                                            "no name (SUMMARY)")),
             qPrintable(result.leftOut.first()));

    // A time in UTC is on the operator's zone's day; those in the town's zone
    // stay on theirs.
    const QMap<QString, QString> onUtc =
        daysByName(IcsFile::parse(berlinCalendar, 2026, QTimeZone::utc()));
    QCOMPARE(onUtc.value(QStringLiteral("Star gazing")), QStringLiteral("2@28@2026 - 2@28@2026"));
    QCOMPARE(onUtc.value(QStringLiteral("Night walk")), QStringLiteral("3@1@2026 - 3@1@2026"));

    // Two of one name on one day, the name holding "%1", told apart as named.
    const QByteArray twice =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//Events//DE\r\n"
        "BEGIN:VEVENT\r\nUID:a@town\r\nSUMMARY:Swap %1\r\nDTSTART;VALUE=DATE:20260314\r\n"
        "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:b@town\r\nSUMMARY:Swap %1\r\n"
        "DTSTART;VALUE=DATE:20260314\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    QCOMPARE(daysByName(IcsFile::parse(twice, 2026, QTimeZone::utc())).keys(),
             (QStringList{QStringLiteral("Swap %1 14 March 2026"),
                          QStringLiteral("Swap %1 14 March 2026 (2)")}));
}

// 600 yearly rules for 30 February took 53 s to read: each is now looked at
// over the two years served only.
void TestEventServer::ruleThatCannotOccurStops()
{
    QByteArray content = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < 600; ++i)
        content += QStringLiteral("BEGIN:VEVENT\r\nUID:%1@never\r\nSUMMARY:Never %1\r\n"
                                  "DTSTART;VALUE=DATE:20200101\r\nRRULE:FREQ=YEARLY;BYMONTH=2;"
                                  "BYMONTHDAY=30\r\nEND:VEVENT\r\n")
                       .arg(i)
                       .toUtf8();
    content += "BEGIN:VEVENT\r\nUID:leap@town\r\nSUMMARY:Leap day\r\nDTSTART;VALUE=DATE:"
               "20240229\r\nRRULE:FREQ=YEARLY;COUNT=3\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    QElapsedTimer clock;
    clock.start();
    const EventFile::Result result = IcsFile::parse(content, 2026);
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(result.records, QList<EventFormat::Record>{});
    QCOMPARE(result.leftOut.size(), 601);
    QVERIFY2(result.leftOut.at(599).endsWith(QStringLiteral("has no day in 2026 or 2027")),
             qPrintable(result.leftOut.at(599)));
    QVERIFY2(result.leftOut.at(600).contains(QStringLiteral("Leap day")),
             qPrintable(result.leftOut.at(600)));
}

// COUNT counts the days from the first year on: two yearly days from 1 June
// 2025 leave 1 June 2026 to serve, one leaves none.
void TestEventServer::yearlyCountCountsFromFirstYear()
{
    const auto walk = [](int count) {
        return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//EN\r\n"
                              "BEGIN:VEVENT\r\nUID:walk@town\r\nSUMMARY:Walk\r\n"
                              "DTSTART;VALUE=DATE:20250601\r\nRRULE:FREQ=YEARLY;COUNT=%1\r\n"
                              "END:VEVENT\r\nEND:VCALENDAR\r\n")
            .arg(count)
            .toUtf8();
    };
    const EventFile::Result twice = IcsFile::parse(walk(2), 2026);
    QCOMPARE(twice.errors, QStringList{});
    QCOMPARE(daysByName(twice), (QMap<QString, QString>{{QStringLiteral("Walk 2026"),
                                                         QStringLiteral("6@1@2026 - 6@1@2026")}}));
    const EventFile::Result once = IcsFile::parse(walk(1), 2026);
    QCOMPARE(once.records, QList<EventFormat::Record>{});
    QCOMPARE(once.leftOut,
             QStringList{QStringLiteral("the VEVENT \"Walk\" (UID walk@town): left out: it "
                                        "repeats yearly but has no day in 2026 or 2027")});
}

// A time zone that changes every minute since 1970 kept libical expanding
// for ever (every hour: 10.5 s and 110 MB). A zone is followed over the years
// served only; one the server cannot place is said once, naming it and the
// file, and its times are taken as in the server's zone.
void TestEventServer::timeZonesBoundedOrSaid()
{
    const QByteArray minutely =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Odd//EN\r\nBEGIN:VTIMEZONE\r\nTZID:Odd\r\n"
        "BEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nRRULE:FREQ=MINUTELY\r\n"
        "TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nUID:fair@odd\r\nSUMMARY:Fair\r\nDTSTART;TZID=Odd:20260710T200000\r\n"
        "DTEND:20260710T210000Z\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:day@odd\r\n"
        "SUMMARY:Day\r\nDTSTART;TZID=Odd:20250601T100000\r\nRRULE:FREQ=YEARLY;COUNT=2\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n";
    QTemporaryDir dir;
    const QString odd = writeFile(dir, QStringLiteral("odd.ics"), minutely);
    QElapsedTimer clock;
    clock.start();
    const Run run = runServer({QStringLiteral("--check"), odd}, 30000);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral(": 2 events,")), qPrintable(run.out));
    const QString said = odd + QStringLiteral(": the time zone \"Odd\" (TZID) cannot be placed");
    QVERIFY2(run.err.count(said) == 1 && run.err.contains(QStringLiteral("FREQ=MINUTELY")),
             qPrintable(run.err));
    QCOMPARE(daysByName(IcsFile::parse(minutely, 2026, QTimeZone::utc())),
             (QMap<QString, QString>{
                 {QStringLiteral("Fair"), QStringLiteral("7@10@2026 - 7@10@2026")},
                 {QStringLiteral("Day 2026"), QStringLiteral("6@1@2026 - 6@1@2026")}}));

    // A zone of the file with yearly changes since 1601, as calendar programs
    // write them, keeps its summer time; a zone neither described nor known is
    // the server's, Berlin's: 22:30 UTC is 00:30 the next day there in July.
    const QByteArray zones =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//EN\r\nBEGIN:VTIMEZONE\r\nTZID:Town\r\n"
        "BEGIN:STANDARD\r\nDTSTART:16011028T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\n"
        "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nBEGIN:DAYLIGHT\r\n"
        "DTSTART:16010325T020000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\n"
        "TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nUID:summer@town\r\nSUMMARY:Summer\r\n"
        "DTSTART;TZID=Town:20260710T233000\r\nDTEND:20260710T223000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:winter@town\r\nSUMMARY:Winter\r\n"
        "DTSTART;TZID=Town:20260110T220000\r\nDTEND:20260110T223000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:mars@town\r\nSUMMARY:Mars\r\n"
        "DTSTART;TZID=Mars/Olympus:20260710T233000\r\nDTEND:20260710T223000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:mars2@town\r\nSUMMARY:Mars again\r\n"
        "DTSTART;TZID=Mars/Olympus:20260110T220000\r\nDTEND:20260110T223000Z\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    const EventFile::Result result =
        IcsFile::parse(zones, 2026, QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(daysByName(result),
             (QMap<QString, QString>{
                 {QStringLiteral("Summer"), QStringLiteral("7@10@2026 - 7@11@2026")},
                 {QStringLiteral("Winter"), QStringLiteral("1@10@2026 - 1@10@2026")},
                 {QStringLiteral("Mars"), QStringLiteral("7@10@2026 - 7@11@2026")},
                 {QStringLiteral("Mars again"), QStringLiteral("1@10@2026 - 1@10@2026")}}));
    QCOMPARE(result.notices,
             QStringList{QStringLiteral("the time zone \"Mars/Olympus\" (TZID) cannot be placed: "
                                        "the file does not describe it (VTIMEZONE) and it is no "
                                        "zone known here; its times are taken as in "
                                        "Europe/Berlin, the server's zone")});
}

// As a calendar program exports: a byte order mark before BEGIN, empty text
// values (an event without a description), faults libical reports in
// properties the server does not read (an empty CLASS, a URL of an unknown
// VALUE type, a broken parameter of an X- property, a name libical does not
// take, a VALARM without its TRIGGER value), and names spaced as typed.
void TestEventServer::calendarAsProgramsExport()
{
    const QByteArray exported =
        "\xEF\xBB\xBF"
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Calendar//EN\r\nCALSCALE:GREGORIAN\r\n"
        "X-WR-CALNAME:\r\nBEGIN:VEVENT\r\nUID:swap@home\r\nSUMMARY:Swap  and  mend \r\n"
        "DESCRIPTION:\r\nLOCATION:\r\nCATEGORIES:\r\nCLASS:\r\nURL;VALUE=FOO:x\r\n"
        "X-APP-CONFERENCE;=x:y\r\nX_COLOR:red\r\nDTSTART;VALUE=DATE:20260314\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:walk@home\r\nSUMMARY:Moor\\nwalk\r\nLOCATION;LANGUAGE=en:  \r\n"
        "DESCRIPTION;ALTREP=\"cid:walk:1\":\r\nX-VIRIDIO-FEE:\r\nDTSTART;VALUE=DATE:20260315\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n";
    const EventFile::Result result = IcsFile::parse(exported, 2026);
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(EventFormat::joinRecords(result.records),
             EventFormat::joinRecords({{QStringLiteral("Swap  and  mend"),
                                        {},
                                        {},
                                        {},
                                        QStringLiteral("3@14@2026"),
                                        QStringLiteral("3@14@2026")},
                                       {QStringLiteral("Moor walk"),
                                        {},
                                        {},
                                        {},
                                        QStringLiteral("3@15@2026"),
                                        QStringLiteral("3@15@2026")}}));

    // A fault in what is read still refuses the file.
    QByteArray broken = exported;
    broken.replace("DTSTART;VALUE=DATE:20260315", "DTSTART;VALUE=FOO:20260315");
    QVERIFY(!IcsFile::parse(broken, 2026).errors.isEmpty());
}

// School terms from 2019 to 2028: ten years do not fit in one message, this
// year's and those after do; the past seven years are not served.
void TestEventServer::pastYearsNotServed()
{
    QByteArray content = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//School//EN\r\n";
    const QString description(480, QLatin1Char('d'));
    for (int year = 2019; year <= 2028; ++year) {
        for (int term = 1; term <= 10; ++term)
            content += QStringLiteral("BEGIN:VEVENT\r\nUID:%1-%2@school\r\nSUMMARY:Term %2 %1\r\n"
                                      "DESCRIPTION:%3\r\nDTSTART;VALUE=DATE:%1%4\r\n"
                                      "DTEND;VALUE=DATE:%1%5\r\nEND:VEVENT\r\n")
                           .arg(QString::number(year), QString::number(term), description,
                                QStringLiteral("%1").arg(term, 2, 10, QLatin1Char('0')) +
                                    QStringLiteral("01"),
                                QStringLiteral("%1").arg(term, 2, 10, QLatin1Char('0')) +
                                    QStringLiteral("10"))
                           .toUtf8();
    }
    // Ending on 1 January 2026 is this year; ending on 31 December 2025 is not.
    content += "BEGIN:VEVENT\r\nUID:eve@school\r\nSUMMARY:Eve\r\nDTSTART;VALUE=DATE:20251231\r\n"
               "DTEND;VALUE=DATE:20260102\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:old@school\r\n"
               "SUMMARY:Old\r\nDTSTART;VALUE=DATE:20251231\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const EventFile::Result result = IcsFile::parse(content, 2026);
    QCOMPARE(result.errors, QStringList{});
    const QMap<QString, QString> served = daysByName(result);
    QCOMPARE(served.size(), 31);
    QCOMPARE(served.value(QStringLiteral("Term 1 2026")), QStringLiteral("1@1@2026 - 1@9@2026"));
    QCOMPARE(served.value(QStringLiteral("Term 10 2028")), QStringLiteral("10@1@2028 - 10@9@2028"));
    QCOMPARE(served.value(QStringLiteral("Eve")), QStringLiteral("12@31@2025 - 1@1@2026"));
    QVERIFY(!served.contains(QStringLiteral("Term 10 2025")));
    QVERIFY(!served.contains(QStringLiteral("Old")));
    QCOMPARE(result.leftOut,
             QStringList{QStringLiteral("71 events: left out: they end before 2026")});
}

// A rule by another calendar than the Gregorian is said as such, and the rest
// of the file is served.
void TestEventServer::otherCalendarScaleSaid()
{
    const QByteArray content =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Town//EN\r\n"
        "BEGIN:VEVENT\r\nUID:new-year@town\r\nSUMMARY:Lunar New Year\r\n"
        "DTSTART;VALUE=DATE:20260217\r\nRRULE:RSCALE=CHINESE;FREQ=YEARLY\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:fair@town\r\nSUMMARY:Fair\r\nDTSTART;VALUE=DATE:20260710\r\n"
        "RRULE:RSCALE=GREGORIAN;FREQ=YEARLY;COUNT=1\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const EventFile::Result result = IcsFile::parse(content, 2026);
    QCOMPARE(result.errors, QStringList{});
    QCOMPARE(daysByName(result),
             (QMap<QString, QString>{
                 {QStringLiteral("Fair 2026"), QStringLiteral("7@10@2026 - 7@10@2026")}}));
    QCOMPARE(result.leftOut,
             QStringList{QStringLiteral("the VEVENT \"Lunar New Year\" (UID new-year@town): left "
                                        "out: it repeats by the Chinese calendar "
                                        "(RSCALE=CHINESE): not served")});

    // Nor is a time zone's change followed by another calendar.
    const QByteArray zone =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTIMEZONE\r\nTZID:Lunar\r\nBEGIN:STANDARD\r\n"
        "DTSTART:20200125T000000\r\nRRULE:RSCALE=HEBREW;FREQ=YEARLY\r\nTZOFFSETFROM:+0100\r\n"
        "TZOFFSETTO:+0200\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:f@town\r\n"
        "SUMMARY:Fair\r\nDTSTART;TZID=Lunar:20260710T200000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const EventFile::Result zoned = IcsFile::parse(zone, 2026, QTimeZone::utc());
    QCOMPARE(daysByName(zoned),
             (QMap<QString, QString>{
                 {QStringLiteral("Fair"), QStringLiteral("7@10@2026 - 7@10@2026")}}));
    QCOMPARE(zoned.notices,
             QStringList{QStringLiteral("the time zone \"Lunar\" (TZID) cannot be placed: its "
                                        "changes repeat by the Hebrew calendar "
                                        "(RRULE:RSCALE=HEBREW;FREQ=YEARLY); its times are taken "
                                        "as in UTC, the server's zone")});
}

void TestEventServer::calendarRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    const QByteArray begin = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n";
    const QByteArray end = "END:VEVENT\r\nEND:VCALENDAR\r\n";
    QTest::newRow("cut short") << townCalendar.left(townCalendar.indexOf("BEGIN:VEVENT", 200))
                               << QStringLiteral("line 2: BEGIN:VCALENDAR has no END (is the "
                                                 "file cut short?)");
    QTest::newRow("END of another component")
        << begin + "SUMMARY:Fair\r\nDTSTART;VALUE=DATE:20260710\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"
        << QStringLiteral("line 6: END:VTODO where the VEVENT of line 3 ends");
    QTest::newRow("END of another component, its name holding %4")
        << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:X-A%4\r\nEND:X-B\r\nEND:VCALENDAR\r\n")
        << QStringLiteral("line 3: END:X-B where the X-A%4 of line 2 ends");
    QTest::newRow("VEVENT in a VEVENT")
        << begin + "SUMMARY:Fair\r\nDTSTART;VALUE=DATE:20260710\r\nBEGIN:VEVENT\r\n" +
               "SUMMARY:Stall\r\nDTSTART;VALUE=DATE:20260710\r\nEND:VEVENT\r\n" + end
        << QStringLiteral("line 6: a VEVENT inside a VEVENT, which iCalendar does not allow");
    // 58,000 of them overflowed a 2 MB stack.
    QTest::newRow("nested deep") << "BEGIN:VCALENDAR\r\n" +
                                        QByteArray("BEGIN:X-A\r\n").repeated(58000) +
                                        QByteArray("END:X-A\r\n").repeated(58000) +
                                        "END:VCALENDAR\r\n"
                                 << QStringLiteral("line 9: components nested more than 8 deep");
    QTest::newRow("Latin-1") << begin + "SUMMARY:Repair Caf\xE9\r\nDTSTART:20260710\r\n" + end
                             << QStringLiteral("line 4 is not UTF-8 text");
    QTest::newRow("a line that is no property")
        << begin + "SUMMARY:Fair\r\nthis is not a property\r\nDTSTART:20260710\r\n" + end
        << QStringLiteral("not valid iCalendar: Got a data line");
    QTest::newRow("a name the viewer cannot store")
        << begin + "SUMMARY:Fair || market\r\nDTSTART;VALUE=DATE:20260710\r\n" + end
        << QStringLiteral("the VEVENT \"Fair || market\": the name holds \"||\"");
    QTest::newRow("an end before the start")
        << begin + "SUMMARY:Fair\r\nDTSTART;VALUE=DATE:20260710\r\nDTEND;VALUE=DATE:20260708\r\n" +
               end
        << QStringLiteral("the VEVENT \"Fair\": the event ends before it starts");
}

void TestEventServer::calendarRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const EventFile::Result result = IcsFile::parse(content, 2026);
    QVERIFY2(!result.errors.isEmpty(), "the file was accepted");
    QVERIFY2(result.errors.first().contains(error),
             qPrintable(result.errors.join(QLatin1Char('\n'))));
    QCOMPARE(result.records, QList<EventFormat::Record>{});
}

// The content decides, not the name; what is left out is named, what is
// broken stops the server.
void TestEventServer::programServesCalendarByContent()
{
    QTemporaryDir dir;
    const QString town = writeFile(dir, QStringLiteral("town.txt"), townCalendar);
    const Run run = runServer({QStringLiteral("--check"), town});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral(": 4 events,")), qPrintable(run.out));
    QVERIFY2(run.err.contains(town + QStringLiteral(": the VEVENT \"Moor walk\" (UID "
                                                    "walk@town): left out: it is cancelled")),
             qPrintable(run.err));

    const QString cut = writeFile(dir, QStringLiteral("cut.ics"), townCalendar.left(300));
    const Run refused = runServer({QStringLiteral("--check"), cut});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains(cut + QStringLiteral(": it is not valid iCalendar: line 5: "
                                                       "BEGIN:VEVENT has no END")) &&
                 refused.err.contains(QStringLiteral("not serving it")),
             qPrintable(refused.err));
    QCOMPARE(refused.out, QString());

    // The server runs on UTC here; its operator names the town's zone.
    const QString berlin = writeFile(dir, QStringLiteral("berlin.ics"), berlinCalendar);
    const Run zoned = runServer({QStringLiteral("--check"), QStringLiteral("--time-zone"),
                                 QStringLiteral("Europe/Berlin"), berlin});
    QCOMPARE(zoned.exitCode, 0);
    QVERIFY2(zoned.out.contains(QStringLiteral(": 10 events,")), qPrintable(zoned.out));
    const Run unknown = runServer({QStringLiteral("--check"), QStringLiteral("--time-zone"),
                                   QStringLiteral("Europe/Atlantis"), berlin});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY2(unknown.err.contains(QStringLiteral("\"Europe/Atlantis\" is not a time zone")),
             qPrintable(unknown.err));
}

void TestEventServer::programChecksSample()
{
    const Run run = runServer({QStringLiteral("--check"), samplePath});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("events,")), qPrintable(run.out));
}

void TestEventServer::viewerStoresServedEvents()
{
    const int sampleEvents = int(EventFile::parse(readSample()).records.size());
    QProcess server;
    QString log;
    QVERIFY(startServer(
        server, {QStringLiteral("--listen"), QStringLiteral("127.0.0.42"), samplePath}, log));

    Clock::setToday(QDate(2026, 3, 10));
    {
        TemporaryHome home;
        MainWindow window;
        window.show();
        const int before = queryValue(QStringLiteral("SELECT count(*) FROM Events")).toInt();
        QVERIFY(updateFrom(window, "127.0.0.42"));
        QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM Events")).toInt(),
                 before + sampleEvents);
        QVERIFY(clickButton(&window, "push_backToEvents"));
        const QStringList march = listed(window);
        QVERIFY2(march.contains(QStringLiteral("World Water Day 2026")) &&
                     march.contains(QStringLiteral("Earth Hour 2026")) &&
                     !march.contains(QStringLiteral("Earth Hour 2027")),
                 qPrintable(march.join(QStringLiteral(", "))));

        // A second update finds every name stored already.
        QVERIFY(clickButton(&window, "push_updateEvents"));
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&window, "lb_updateEventsSuccess")->text(),
                                  QStringLiteral("Your events have been updated"), 5000);
        QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM Events")).toInt(),
                 before + sampleEvents);
    }

    // One log line per connection.
    server.waitForReadyRead(500);
    log += QString::fromUtf8(server.readAllStandardOutput());
    QCOMPARE(log.count(QStringLiteral(" sent ")), 2);
    stopServer(server);
}

// A town's calendar in its zone, served by a server on UTC: each event is
// stored on the town's day and listed under its month.
void TestEventServer::viewerListsTownCalendar()
{
    QTemporaryDir dir;
    const QString berlin = writeFile(dir, QStringLiteral("berlin %1.ics"), berlinCalendar);
    QProcess server;
    QString log;
    QVERIFY(startServer(server,
                        {QStringLiteral("--listen"), QStringLiteral("127.0.0.43"),
                         QStringLiteral("--time-zone"), QStringLiteral("Europe/Berlin"), berlin},
                        log));
    QVERIFY2(log.contains(QStringLiteral(" from %1 on 127.0.0.43:2554").arg(berlin)),
             qPrintable(log));
    Clock::setToday(QDate(2026, 3, 10));
    {
        TemporaryHome home;
        MainWindow window;
        window.show();
        QVERIFY(updateFrom(window, "127.0.0.43"));
        for (const auto &[name, start] :
             {std::pair{"Night walk", "3@1@2026"}, std::pair{"Star gazing", "3@1@2026"},
              std::pair{"Concert", "3@20@2026"},
              std::pair{"Repair Café 11 April 2026", "4@11@2026"}})
            QCOMPARE(queryValue(QStringLiteral("SELECT startDate FROM Events WHERE eventName=?"),
                                {QString::fromUtf8(name)})
                         .toString(),
                     QString::fromLatin1(start));
        QVERIFY(clickButton(&window, "push_backToEvents"));
        QStringList march = listed(window);
        march.sort();
        const QStringList expected = {QStringLiteral("Concert"), QStringLiteral("Night walk"),
                                      QStringLiteral("Repair Café 14 March 2026"),
                                      QStringLiteral("Star gazing")};
        for (const QString &name : expected)
            QVERIFY2(march.contains(name), qPrintable(march.join(QStringLiteral(", "))));
        QVERIFY(!march.contains(QStringLiteral("Repair Café 11 April 2026")));
    }
    stopServer(server);
}

QTEST_MAIN(TestEventServer)
#include "tst_eventserver.moc"
