// The event update from the press of the button to the final status, with the
// largest message the protocol carries (a 65534-byte string after the size
// field: the most an even UTF-16 byte count allows) of realistic records,
// against a loopback server in the same process. Each run stores every record
// anew: the events it added are deleted again between runs, outside the timing.

#include "app/events/eventformat.h"
#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int runs = 25;
const char *const address = "127.0.0.90";

// Records like the shipped sample's, the last description filled up so the
// message is as long as one can be.
QList<EventFormat::Record> fullMessageRecords()
{
    QList<EventFormat::Record> records;
    const int textLimit = (EventFormat::maxPayload - 4) / 2; // characters
    const QString description = QStringLiteral(
        "Join neighbours, schools and local groups for a day of action for the environment: "
        "guided walks, a repair cafe, a swap of clothes and books, and tips on saving "
        "electricity and water at home. Bring a reusable cup and a bag for litter.");
    for (int i = 0; i < 1000; ++i) {
        const int month = i % 12 + 1;
        const EventFormat::Record record = {
            QStringLiteral("Community Green Day %1 2026").arg(i + 1),
            QStringLiteral("Town hall and riverside park, Main Street"),
            description,
            QStringLiteral("Free for all"),
            QStringLiteral("%1@%2@2026").arg(month).arg(i % 28 + 1),
            QStringLiteral("%1@%2@2026").arg(month).arg(i % 28 + 1)};
        records.append(record);
        const int length = int(EventFormat::joinRecords(records).size());
        if (length > textLimit) {
            records.removeLast();
            const int room = textLimit - int(EventFormat::joinRecords(records).size());
            records.last().description += QString(room, QLatin1Char('.'));
            break;
        }
    }
    return records;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("VIRIDIO_EVENT_SERVER", address);
    QApplication app(argc, argv);

    const QList<EventFormat::Record> records = fullMessageRecords();
    const QByteArray message = EventFormat::encodeMessage(EventFormat::joinRecords(records));
    if (message.size() != 2 + EventFormat::maxPayload - 1) {
        std::fprintf(stderr, "the message has %d bytes\n", int(message.size()));
        return 1;
    }
    QTcpServer server;
    if (!server.listen(QHostAddress(QLatin1String(address)), 2554)) {
        std::fprintf(stderr, "cannot listen on %s:2554\n", address);
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, &message] {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            client->write(message);
            client->disconnectFromHost();
        }
    });

    MainWindow window;
    window.show();
    // An update's duplicate check runs against every stored event.
    // 10,000 unless VIRIDIO_BENCH_EVENTS says otherwise.
    bool given = false;
    const int wanted = qEnvironmentVariableIntValue("VIRIDIO_BENCH_EVENTS", &given);
    const int storedEvents = given ? wanted : 10000;
    QSqlDatabase::database().transaction();
    for (int i = 0; i < storedEvents; ++i) {
        QSqlQuery fill(QSqlDatabase::database());
        fill.prepare(QStringLiteral("INSERT INTO Events(eventName, venue, eventDesc, admissionFee, "
                                    "startDate, endDate) VALUES(?, 'Hall', 'A day', 'Free', "
                                    "'1@1@2026', '1@1@2026')"));
        fill.addBindValue(QStringLiteral("Stored event %1").arg(i));
        fill.exec();
    }
    QSqlDatabase::database().commit();
    window.showPage(MainWindow::EventUpdatePage);
    auto *status = window.findChild<QLabel *>(QStringLiteral("lb_updateEventsSuccess"));
    const QString done = QStringLiteral("Your events have been updated");
    QSqlQuery query(QSqlDatabase::database());
    query.exec(QStringLiteral("SELECT max(eventID) FROM Events"));
    const int seedEvents = query.next() ? query.value(0).toInt() : 0;

    std::vector<double> times;
    for (int run = 0; run < runs + 1; ++run) { // the first run warms up
        QSqlQuery clear(QSqlDatabase::database());
        clear.prepare(QStringLiteral("DELETE FROM Events WHERE eventID > ?"));
        clear.addBindValue(seedEvents);
        clear.exec();
        status->clear();
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(&window, "on_push_updateEvents_clicked");
        while (status->text() != done && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (status->text() != done) {
            std::fprintf(stderr, "run %d ended with \"%s\"\n", run, qPrintable(status->text()));
            return 1;
        }
        if (run > 0)
            times.push_back(ms);
    }
    query.exec(QStringLiteral("SELECT count(*) FROM Events"));
    const int stored = query.next() ? query.value(0).toInt() - seedEvents : 0;
    std::printf("event update, %d-byte message, %d records, %d stored: median %.1f ms (min %.1f, "
                "max %.1f)\n",
                int(message.size()), stored, storedEvents, median(times),
                *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()));
    return stored == records.size() ? 0 : 1;
}
