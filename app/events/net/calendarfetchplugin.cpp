// A calendar fetched by its address, in a plugin of its own: Qt Network, the
// TLS libraries and libical load with the first calendar. The file is read
// with the event server's iCalendar reader, on a thread of the pool.
#include "events/calendarfetch.h"

#include "tools/eventserver/icsfile.h"

#include <QDate>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

CalendarFetch::Outcome failed(const QString &failure, const QString &reason)
{
    CalendarFetch::Outcome outcome;
    outcome.failure = failure;
    outcome.reason = reason;
    return outcome;
}

CalendarFetch::Outcome read(const QByteArray &content, int year)
{
    if (!IcsFile::isCalendar(content))
        return failed(QStringLiteral("The address does not give a calendar."),
                      QStringLiteral("the answer does not start with BEGIN:VCALENDAR"));
    const EventFile::Result result = IcsFile::parse(content, year);
    if (!result.errors.isEmpty())
        return failed(QStringLiteral("The calendar could not be read."),
                      result.errors.join(QStringLiteral("; ")));
    CalendarFetch::Outcome outcome;
    outcome.ok = true;
    outcome.records = result.records;
    outcome.leftOut = result.leftOut;
    return outcome;
}

// What the household is told for a reply that failed.
CalendarFetch::Outcome failure(QNetworkReply *reply)
{
    switch (reply->error()) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return failed(QStringLiteral("The calendar's address did not answer in time."),
                      QStringLiteral("no answer in time: ") + reply->errorString());
    case QNetworkReply::SslHandshakeFailedError:
        return failed(QStringLiteral("The calendar's address could not prove who it is, so "
                                     "nothing was taken from it."),
                      reply->errorString());
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return failed(QStringLiteral("The calendar's address sends elsewhere too often, or "
                                     "to an address that is not safe."),
                      reply->errorString());
    default:
        return failed(QStringLiteral("The calendar could not be fetched."), reply->errorString());
    }
}

} // namespace

class CalendarFetchPlugin : public QObject, public CalendarFetch
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID CalendarFetch_iid)
    Q_INTERFACES(CalendarFetch)

public:
    void fetch(const QUrl &url, int year, const Limits &limits, QObject *context,
               std::function<void(const Outcome &)> done) const override
    {
        // One manager for each fetch, on the caller's thread; the transfer
        // itself runs on Qt's own network thread.
        auto *manager = new QNetworkAccessManager(context);
        QNetworkRequest request(url);
        request.setTransferTimeout(limits.timeoutMs);
        request.setMaximumRedirectsAllowed(limits.redirects);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkReply *reply = manager->get(request);
        auto tooLarge = std::make_shared<bool>(false);
        const qint64 maxBytes = limits.maxBytes;
        const auto checkSize = [reply, tooLarge, maxBytes](qint64 received, qint64 total) {
            if (received > maxBytes || total > maxBytes) {
                *tooLarge = true;
                reply->abort();
            }
        };
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, checkSize);
        // A server that sends a little now and then is not waited for without end.
        QTimer::singleShot(limits.totalMs, reply, [reply] { reply->abort(); });
        QObject::connect(
            reply, &QNetworkReply::finished, manager,
            [manager, reply, tooLarge, maxBytes, year, done = std::move(done), context] {
                manager->deleteLater();
                if (*tooLarge) {
                    done(failed(QStringLiteral("The calendar is too large to be taken."),
                                QStringLiteral("more than %1 bytes").arg(maxBytes)));
                    return;
                }
                if (reply->error() != QNetworkReply::NoError) {
                    done(failure(reply));
                    return;
                }
                const QByteArray content = reply->readAll();
                // libical's reading of a large file is left off the window's thread.
                QtConcurrent::run([content, year] {
                    return read(content, year);
                }).then(context, [done](const Outcome &outcome) { done(outcome); });
            });
    }
};

#include "calendarfetchplugin.moc"
