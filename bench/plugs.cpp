// The window's time for smart plugs' messages: 20 plugs (Tasmota, Shelly and
// Zigbee2MQTT payloads as the plugs publish them) each publishing every 10
// seconds, for ten minutes of messages a run: what each message costs the
// window's thread (reading its payload, keeping its counter, listing its
// plug) and what the store of a minute's counters costs, with it spread over
// the minute's messages, in milliseconds. Then, with Debian's mosquitto
// broker on 127.0.0.1 (when installed) and the window on its plugs page: the
// longest the window is held while a street's 10,000 devices are each heard
// once, beside the longest it is held over as long with no message at all
// (the baseline), in milliseconds. Runs in a temporary home directory with
// its own database.

#include "../tests/mosquittobroker.h"
#include "../tests/testsupport.h"
#include "app/mainwindow.h"
#include "app/plugs/plugsession.h"
#include "data/database.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr int plugs = 20;
constexpr int everySeconds = 10;
constexpr int minutes = 10;
constexpr int runs = 11;

struct Message
{
    QString topic;
    QByteArray payload;
};

// Plug i's message when its counter stands at kWh.
Message message(int i, double kWh)
{
    const QByteArray counter = QByteArray::number(kWh, 'f', 3);
    switch (i % 3) {
    case 0:
        return {QStringLiteral("tele/plug-%1/SENSOR").arg(i),
                R"({"Time":"2026-12-08T10:00:00","ENERGY":{"TotalStartTime":"2026-01-01T00:00:00",)"
                R"("Total":)" +
                    counter +
                    R"(,"Yesterday":1.204,"Today":0.512,"Period":2,"Power":85,"ApparentPower":)"
                    R"(92,"ReactivePower":35,"Factor":0.92,"Voltage":231,"Current":0.398}})"};
    case 1:
        return {QStringLiteral("shellyplusplugs-%1/status/switch:0").arg(i),
                R"({"id":0,"source":"timer","output":true,"apower":85.2,"voltage":231.1,)"
                R"("current":0.398,"aenergy":{"total":)" +
                    QByteArray::number(kWh * 1000, 'f', 1) +
                    R"(,"by_minute":[1420.3,1418.9,1421.0],"minute_ts":1796700000},)"
                    R"("temperature":{"tC":38.2,"tF":100.8}})"};
    default:
        return {QStringLiteral("zigbee2mqtt/plug %1").arg(i),
                R"({"current":0.4,"energy":)" + counter +
                    R"(,"linkquality":120,"power":85,"state":"ON","voltage":231})"};
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

constexpr int devices = 10000;
constexpr int floodRuns = 5;

// The window's longest holds with 10,000 devices arriving and with none,
// over floodRuns runs; false when the broker or the window failed.
bool measureFlood(std::vector<double> &flood, std::vector<double> &idle)
{
    MosquittoBroker broker;
    if (!broker.start())
        return false;
    MainWindow window;
    window.show();
    window.showPage(MainWindow::SettingsPage);
    window.findChild<QAbstractButton *>(QStringLiteral("push_smartPlugs"))->click();
    window.findChild<QLineEdit *>(QStringLiteral("le_brokerAddress"))->setText("127.0.0.1");
    window.findChild<QLineEdit *>(QStringLiteral("le_brokerPort"))
        ->setText(QString::number(broker.port));
    window.findChild<QAbstractButton *>(QStringLiteral("push_connectBroker"))->click();
    auto *status = window.findChild<QLabel *>(QStringLiteral("lb_brokerStatus"));
    longestHold(10000, [status] { return status->text() == QLatin1String("Broker: connected"); });
    if (status->text() != QLatin1String("Broker: connected"))
        return false;
    longestHold(300); // subscribed
    auto *list = window.findChild<QListWidget *>(QStringLiteral("list_plugs"));
    for (int run = 0; run < floodRuns; ++run) {
        QList<std::pair<QString, QByteArray>> messages;
        for (int i = 0; i < devices; ++i)
            messages.append({QStringLiteral("zigbee2mqtt/run %1 device %2").arg(run).arg(i),
                             R"({"energy":)" + QByteArray::number(i) + "}"});
        const QString lastTopic = messages.last().first;
        bool sent = false;
        std::thread publisher([&] { sent = broker.publishAll(messages); });
        QElapsedTimer clock;
        clock.start();
        flood.push_back(double(longestHold(30000, [&] {
            return list->count() > 0 &&
                   list->item(list->count() - 1)->data(Qt::UserRole).toString() == lastTopic;
        })));
        const qint64 spent = clock.elapsed();
        publisher.join();
        if (!sent)
            return false;
        idle.push_back(double(longestHold(spent)));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
    db.setDatabaseName(home.filePath(QStringLiteral("bench.sqlite")));
    if (!db.open() || !Database::createHouseholdTables(db))
        return 1;
    // Only assigned plugs' counters are stored: each plug measures one.
    for (int i = 0; i < plugs; ++i) {
        if (!PlugReadings::assign(db, message(i, 0).topic, QStringLiteral("appliance %1").arg(i)))
            return 1;
    }

    const int rounds = minutes * 60 / everySeconds;
    const int roundsAMinute = 60 / everySeconds;
    std::vector<double> perMessage;
    std::vector<double> stores;
    std::vector<double> withStores;
    for (int run = 0; run < runs; ++run) {
        PlugSession session(db);
        QElapsedTimer clock;
        qint64 total = 0;
        for (int round = 0; round < rounds; ++round) {
            for (int i = 0; i < plugs; ++i) {
                const Message next = message(i, 100 + run * 10 + round * 0.01 + i);
                clock.start();
                session.receive(next.topic, next.payload);
                const qint64 spent = clock.nsecsElapsed();
                perMessage.push_back(spent / 1e6);
                total += spent;
            }
            if ((round + 1) % roundsAMinute == 0) {
                clock.start();
                session.store();
                const qint64 spent = clock.nsecsElapsed();
                stores.push_back(spent / 1e6);
                total += spent;
            }
        }
        withStores.push_back(total / 1e6 / (rounds * plugs));
    }
    std::printf("smart plugs, %d every %d s: a message  median %.3f ms  (max %.3f)\n", plugs,
                everySeconds, median(perMessage),
                *std::max_element(perMessage.begin(), perMessage.end()));
    std::printf("smart plugs, a minute's %d counters stored  median %.2f ms  (max %.2f)\n",
                plugs * roundsAMinute, median(stores),
                *std::max_element(stores.begin(), stores.end()));
    std::printf("smart plugs, window's time a message, stores included  median %.3f ms\n",
                median(withStores));

    if (!MosquittoBroker::available()) {
        std::printf("smart plugs, %d devices: mosquitto is not installed\n", devices);
        return 0;
    }
    std::vector<double> flood;
    std::vector<double> idle;
    if (!measureFlood(flood, idle))
        return 1;
    std::printf("smart plugs, %d new devices: window held at most  median %.0f ms  (max %.0f); "
                "with no message  median %.0f ms  (max %.0f)\n",
                devices, median(flood), *std::max_element(flood.begin(), flood.end()), median(idle),
                *std::max_element(idle.begin(), idle.end()));
    return 0;
}
