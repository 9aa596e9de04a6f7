// viridio-eventserver: serves a list of events to Viridio's event update.
//   viridio-eventserver [--listen ADDRESS] [--port PORT] [--time-zone ZONE] [--check] FILE
// It reads FILE once at start, in its own text format or as an iCalendar file
// (docs/eventserver.md describes both), refuses to start when any event in it
// could not be stored or listed by the viewer, then sends the one message to
// every client that connects and closes the connection. One line per
// connection goes to standard output.

#include "eventfile.h"
#include "icsfile.h"

#include "app/events/eventformat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>

#include <cstdio>

namespace {

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", qPrintable(text));
    std::fflush(stream);
}

// A client that does not take the message within this time is dropped.
constexpr int clientLimitMs = 10000;

// The largest events file read: far more than one message can carry.
constexpr qint64 maxFileBytes = qint64(1) << 20;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("viridio-eventserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the events of FILE to Viridio's event update."));
    parser.addHelpOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("IPv4 address to listen on (127.0.0.1)."),
                                    QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on (2554, the viewer's)."),
                                  QStringLiteral("port"), QStringLiteral("2554"));
    const QCommandLineOption timeZone(
        QStringLiteral("time-zone"),
        QStringLiteral("The zone whose day an iCalendar time in UTC is served on, such as "
                       "Europe/Berlin (the system's)."),
        QStringLiteral("zone"));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Check FILE, print a summary and exit."));
    parser.addOptions({listen, port, timeZone, check});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The events to serve."));
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        say(stderr, QStringLiteral("viridio-eventserver: give one events file; see --help"));
        return 2;
    }
    QHostAddress address;
    if (!address.setAddress(parser.value(listen)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        say(stderr, QStringLiteral("viridio-eventserver: \"%1\" is not an IPv4 address")
                        .arg(parser.value(listen)));
        return 2;
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    if (!portOk || portNumber == 0 || portNumber > 65535) {
        say(stderr, QStringLiteral("viridio-eventserver: \"%1\" is not a port number")
                        .arg(parser.value(port)));
        return 2;
    }

    // Empty, as the service's defaults file may leave it, is the system's zone.
    const QByteArray zoneName = parser.value(timeZone).trimmed().toUtf8();
    const QTimeZone zone = zoneName.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(zoneName);
    if (!zone.isValid()) {
        say(stderr, QStringLiteral("viridio-eventserver: \"%1\" is not a time zone known here; "
                                   "give one such as Europe/Berlin or UTC")
                        .arg(QString::fromUtf8(zoneName)));
        return 2;
    }

    // Only a regular file of sensible size: opening a FIFO would wait for a
    // writer, and a device such as /dev/zero never ends.
    const QString &path = files.first();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        say(stderr, QStringLiteral("viridio-eventserver: %1 is not a regular file; give a text "
                                   "or iCalendar file of events")
                        .arg(path));
        return 1;
    }
    const auto tooLarge = [&path] {
        say(stderr, QStringLiteral("viridio-eventserver: %1 is larger than %2 bytes (1 MiB); an "
                                   "events file must be smaller")
                        .arg(path, QString::number(maxFileBytes)));
        return 1;
    };
    if (info.size() > maxFileBytes)
        return tooLarge();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(stderr, QStringLiteral("viridio-eventserver: cannot read %1: %2")
                        .arg(path, file.errorString()));
        return 1;
    }
    const QByteArray content = file.read(maxFileBytes + 1); // it may have grown since
    if (content.size() > maxFileBytes)
        return tooLarge();
    // An iCalendar file is known by its content, whatever its name.
    const EventFile::Result events =
        IcsFile::isCalendar(content)
            ? IcsFile::parse(content,
                             QDateTime::currentDateTimeUtc().toTimeZone(zone).date().year(), zone)
            : EventFile::parse(QString::fromUtf8(content));
    for (const QString &line : events.notices + events.leftOut)
        say(stderr, QStringLiteral("%1: %2").arg(path, line));
    if (!events.errors.isEmpty()) {
        for (const QString &error : events.errors)
            say(stderr, QStringLiteral("%1: %2").arg(path, error));
        say(stderr, QStringLiteral("viridio-eventserver: %1 has %2 problem(s); not serving it")
                        .arg(path, QString::number(events.errors.size())));
        return 1;
    }
    const QByteArray message = EventFormat::encodeMessage(EventFormat::joinRecords(events.records));
    const QString summary =
        QStringLiteral("%1 events, %2 bytes")
            .arg(QString::number(events.records.size()), QString::number(message.size()));
    if (parser.isSet(check)) {
        say(stdout, QStringLiteral("%1: %2").arg(path, summary));
        return 0;
    }

    QTcpServer server;
    if (!server.listen(address, quint16(portNumber))) {
        say(stderr,
            QStringLiteral("viridio-eventserver: cannot listen on %1:%2: %3")
                .arg(address.toString(), QString::number(portNumber), server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, &message, &summary] {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            say(stdout, QStringLiteral("%1 %2:%3 sent %4")
                            .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                                 client->peerAddress().toString(),
                                 QString::number(client->peerPort()), summary));
            QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            QTimer::singleShot(clientLimitMs, client, [client] { client->abort(); });
            client->write(message);
            client->disconnectFromHost(); // after the message has gone out
        }
    });
    say(stdout, QStringLiteral("viridio-eventserver: serving %1 from %2 on %3:%4")
                    .arg(summary, path, address.toString(), QString::number(portNumber)));
    return app.exec();
}
