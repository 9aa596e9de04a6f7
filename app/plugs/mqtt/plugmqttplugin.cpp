// The connection to the household's MQTT broker, with libmosquitto, in a
// plugin of its own: the MQTT library and the TLS libraries it brings load
// only once smart plugs are set up. The connection runs on a thread of its
// own, which connects (a name looked up, a slow broker waited for),
// subscribes, reads and reconnects; what it hears reaches the window's
// thread through its event loop.
#include "plugs/plugconnection.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using Broker = PlugConnection::Broker;
using Handlers = PlugConnection::Handlers;

// How long the broker may stay silent before either side calls it gone, in
// seconds.
constexpr int keepAliveSeconds = 30;
// How long one turn of the connection's loop waits for the network, in
// milliseconds: a dropped connection's thread ends within about this long.
constexpr int loopWaitMs = 250;
// The wait before a new attempt grows from the first to the last, doubling,
// in seconds.
constexpr int firstWaitSeconds = 1;
constexpr int lastWaitSeconds = 60;
// The longest the window's thread reads waiting messages at a time, in
// milliseconds: a flood of them (thousands of devices on a broker) is read
// in turns, between which the window answers.
constexpr qint64 readTurnMs = 10;

struct Message
{
    QString topic;
    QByteArray payload;
    bool retained = false;
};

// What the connection's thread and the window's thread share. The window's
// side only ever sets stopping and drops the context.
struct Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    QObject *context = nullptr; // null once the connection is dropped
    Handlers handlers;
    std::deque<Message> inbox; // heard, not yet read on the window's thread
    bool readPosted = false;   // a turn of reading them is on its way

    bool stopped()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }

    // Waits for seconds, or until the connection is dropped.
    void sleep(int seconds)
    {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping; });
    }
};

// Runs call with the handlers on the window's thread, unless the connection
// is dropped first.
void post(const std::shared_ptr<Shared> &shared, std::function<void(const Handlers &)> call)
{
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->context)
        return;
    QMetaObject::invokeMethod(
        shared->context,
        [shared, call = std::move(call)] {
            Handlers handlers;
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                if (!shared->context)
                    return;
                handlers = shared->handlers;
            }
            call(handlers);
        },
        Qt::QueuedConnection);
}

void postStatus(const std::shared_ptr<Shared> &shared, bool connected, const QString &status)
{
    post(shared, [connected, status](const Handlers &handlers) {
        if (handlers.status)
            handlers.status(connected, status);
    });
}

// Reads waiting messages on the window's thread for one turn, and posts the
// next turn while any are left.
void readMessages(const std::shared_ptr<Shared> &shared)
{
    Handlers handlers;
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (!shared->context)
            return;
        handlers = shared->handlers;
    }
    QElapsedTimer turn;
    turn.start();
    for (;;) {
        Message next;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (!shared->context)
                return;
            if (shared->inbox.empty()) {
                shared->readPosted = false;
                return;
            }
            if (turn.elapsed() >= readTurnMs) {
                QMetaObject::invokeMethod(
                    shared->context, [shared] { readMessages(shared); }, Qt::QueuedConnection);
                return;
            }
            next = std::move(shared->inbox.front());
            shared->inbox.pop_front();
        }
        if (handlers.message)
            handlers.message(next.topic, next.payload, next.retained);
    }
}

// The reason of a failed call, in the page's words: the system's for a
// failure of the network ("connection refused"), else the library's.
QString reason(int rc, int error)
{
    QString text = QString::fromLocal8Bit(rc == MOSQ_ERR_ERRNO ? std::strerror(error)
                                                               : mosquitto_strerror(rc));
    if (!text.isEmpty())
        text[0] = text.at(0).toLower();
    return text;
}

// The state the library's callbacks report to the thread's loop.
struct Session
{
    std::shared_ptr<Shared> shared;
    QStringList topics;
    bool refused = false; // the broker answered, and refused
    bool up = false;      // the broker accepted this connection
    int wait = firstWaitSeconds;
    QString certificate; // why the broker's certificate was refused; empty if it was not
};

// The library's own lines: TLS failures are only told there.
void onLog(mosquitto *, void *data, int level, const char *line)
{
    auto *session = static_cast<Session *>(data);
    const QString text = QString::fromLocal8Bit(line);
    if (level == MOSQ_LOG_ERR && text.contains(QLatin1String("certificate verify failed")))
        session->certificate = text;
}

void onConnect(mosquitto *mosq, void *data, int rc)
{
    auto *session = static_cast<Session *>(data);
    if (rc != 0) {
        session->refused = true;
        // MQTT 3.1.1: 4 is a bad user name or password, 5 not authorised.
        postStatus(session->shared, false,
                   rc == 4 || rc == 5
                       ? QStringLiteral("the broker refused the user name or password")
                       : QStringLiteral("the broker refused the connection: %1")
                             .arg(QString::fromLocal8Bit(mosquitto_connack_string(rc))));
        return;
    }
    session->refused = false;
    session->up = true;
    session->wait = firstWaitSeconds;
    for (const QString &topic : std::as_const(session->topics))
        mosquitto_subscribe(mosq, nullptr, topic.toUtf8().constData(), 0);
    postStatus(session->shared, true, QStringLiteral("connected"));
}

void onMessage(mosquitto *, void *data, const mosquitto_message *message)
{
    const std::shared_ptr<Shared> &shared = static_cast<Session *>(data)->shared;
    Message heard{QString::fromUtf8(message->topic),
                  QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                  message->retain};
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->context)
        return;
    shared->inbox.push_back(std::move(heard));
    if (!shared->readPosted) {
        shared->readPosted = true;
        QMetaObject::invokeMethod(
            shared->context, [shared] { readMessages(shared); }, Qt::QueuedConnection);
    }
}

// The connection's thread: connects, reads until the connection fails, waits
// and connects again, until the connection is dropped.
void run(const std::shared_ptr<Shared> &shared, const Broker &broker, const QStringList &topics)
{
    Session session{shared, topics, false, false, firstWaitSeconds, QString()};
    mosquitto *mosq = mosquitto_new(nullptr, true, &session);
    if (!mosq) {
        postStatus(shared, false, QStringLiteral("the MQTT library could not start"));
        return;
    }
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!broker.user.isEmpty())
        mosquitto_username_pw_set(mosq, broker.user.toUtf8().constData(),
                                  broker.password.toUtf8().constData());
    // A library too old for the system's certificate store must not connect
    // without TLS when TLS was asked for.
    if (broker.tls &&
        mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1) != MOSQ_ERR_SUCCESS) {
        postStatus(shared, false,
                   QStringLiteral("TLS with the system's certificates needs libmosquitto 2.0"));
        mosquitto_destroy(mosq);
        return;
    }
    mosquitto_connect_callback_set(mosq, onConnect);
    mosquitto_message_callback_set(mosq, onMessage);
    mosquitto_log_callback_set(mosq, onLog);

    const QByteArray host = broker.address.toUtf8();
    const QString where = QStringLiteral("%1:%2").arg(broker.address, QString::number(broker.port));
    QString certificateSaid; // said once on standard error, not at every attempt
    const auto cannotReach = [&shared, &where, &session, &certificateSaid](int rc, int error) {
        if (session.certificate.isEmpty()) {
            postStatus(shared, false,
                       QStringLiteral("cannot reach %1: %2").arg(where, reason(rc, error)));
            return;
        }
        if (session.certificate != certificateSaid)
            qWarning("Viridio: the MQTT broker's TLS certificate was refused: %s",
                     qPrintable(session.certificate));
        certificateSaid = session.certificate;
        postStatus(shared, false,
                   QStringLiteral("not connected to %1: its certificate failed the check, so "
                                  "this computer cannot tell it is your broker")
                       .arg(where));
    };
    while (!shared->stopped()) {
        session.refused = false;
        session.up = false;
        session.certificate.clear();
        errno = 0;
        int rc = mosquitto_connect(mosq, host.constData(), broker.port, keepAliveSeconds);
        if (rc == MOSQ_ERR_SUCCESS) {
            while (rc == MOSQ_ERR_SUCCESS && !shared->stopped())
                rc = mosquitto_loop(mosq, loopWaitMs, 1);
            if (shared->stopped())
                break;
            const int error = errno;
            // A TLS handshake that failed never brought the connection up.
            if (session.up)
                postStatus(shared, false,
                           QStringLiteral("lost the connection to %1 (%2); trying again")
                               .arg(where, reason(rc, error)));
            else if (!session.refused)
                cannotReach(rc, error);
        } else {
            cannotReach(rc, errno);
        }
        shared->sleep(session.wait);
        session.wait = std::min(session.wait * 2, lastWaitSeconds);
    }
    mosquitto_disconnect(mosq);
    mosquitto_destroy(mosq);
}

class MqttConnection : public PlugConnection
{
public:
    MqttConnection(const Broker &broker, const QStringList &topics, QObject *context,
                   Handlers handlers)
        : shared(std::make_shared<Shared>())
    {
        shared->context = context;
        shared->handlers = std::move(handlers);
        // Never joined: a thread waiting for a slow broker must not hold the
        // window when the connection is dropped. It ends on its own.
        std::thread([shared = shared, broker, topics] { run(shared, broker, topics); }).detach();
    }

    MqttConnection(const MqttConnection &) = delete;
    MqttConnection &operator=(const MqttConnection &) = delete;

    ~MqttConnection() override
    {
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->stopping = true;
            shared->context = nullptr;
        }
        shared->wake.notify_all();
    }

private:
    std::shared_ptr<Shared> shared;
};

} // namespace

class PlugMqttPlugin : public QObject, public PlugConnectionFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PlugConnectionFactory_iid)
    Q_INTERFACES(PlugConnectionFactory)

public:
    PlugMqttPlugin() { mosquitto_lib_init(); }

    std::unique_ptr<PlugConnection> open(const Broker &broker, const QStringList &topics,
                                         QObject *context, Handlers handlers) const override
    {
        return std::make_unique<MqttConnection>(broker, topics, context, std::move(handlers));
    }
};

#include "plugmqttplugin.moc"
