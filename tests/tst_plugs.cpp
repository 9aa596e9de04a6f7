// Smart plugs: their three payload families, the counters kept as each
// appliance's readings and the kWh a day they give, without any window.
#include "history/historylogic.h"
#include "household/calculatorlogic.h"
#include "household/meterlogic.h"
#include "household/plugreadings.h"
#include "household/settingslogic.h"
#include "plugs/pluglogic.h"

#include "clock.h"
#include "data/database.h"
#include "mainwindow.h"
#include "mosquittobroker.h"
#include "plugs/plugsession.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <thread>
#include <tuple>

using PlugLogic::Family;

namespace {

QVariant scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

QDate day(int month, int dayOfMonth)
{
    return QDate(2026, month, dayOfMonth);
}

QDateTime at(int month, int dayOfMonth, int hour = 12, int minute = 0)
{
    return QDateTime(day(month, dayOfMonth), QTime(hour, minute));
}

// Whether the MQTT library is mapped into this process.
bool mqttLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libmosquitto");
}

// The window's smart plugs page, set up for broker with typed settings.
void openPlugsPage(MainWindow &window, quint16 port, const QString &user = QString(),
                   const QString &password = QString(), bool tls = false)
{
    window.showPage(MainWindow::SettingsPage);
    QVERIFY(clickButton(&window, "push_smartPlugs"));
    child<QLineEdit>(&window, "le_brokerAddress")->setText(QStringLiteral("127.0.0.1"));
    child<QLineEdit>(&window, "le_brokerPort")->setText(QString::number(port));
    child<QLineEdit>(&window, "le_brokerUser")->setText(user);
    child<QLineEdit>(&window, "le_brokerPassword")->setText(password);
    child<QCheckBox>(&window, "check_brokerTls")->setChecked(tls);
    QVERIFY(clickButton(&window, "push_connectBroker"));
}

QString brokerStatus(MainWindow &window)
{
    return child<QLabel>(&window, "lb_brokerStatus")->text();
}

QVariant homeValue(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database());
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

} // namespace

class TestPlugs : public QObject
{
    Q_OBJECT

private slots:
    // First: nothing of the MQTT library may be in the process yet.
    void startWithoutPlugsLoadsNoMqtt();
    void plugsFoundAssignedAndMeasured();
    void brokerRestartedIsReconnected();
    void refusedPassword();
    void certificateFailureNamed();
    void manyDevicesHeldInMemoryAndForgotten();
    void devicesAsShippedAndOwnAppliances();
    void init();
    void cleanup();
    void payloadFamilies_data();
    void payloadFamilies();
    void badPayloadsAreNamed_data();
    void badPayloadsAreNamed();
    void warningsOncePerPlugAndHour();
    void dailyKWhAcrossGapsAndNewSeries();
    void aFailedBatchStoresNothingAndIsKept();
    void implausibleCountersCountNothing();
    void meterSetAgainstPlugsOfEveryDay();
    void assignmentsAndBroker();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QSqlDatabase db;
};

void TestPlugs::startWithoutPlugsLoadsNoMqtt()
{
    TemporaryHome home;
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300); // past the work after the first frame
        window.showPage(MainWindow::SettingsPage);
        QTest::qWait(100);
    }
    QVERIFY(!mqttLoaded());
}

void TestPlugs::plugsFoundAssignedAndMeasured()
{
    if (!MosquittoBroker::available())
        QSKIP("mosquitto and mosquitto-clients are not installed");
    MosquittoBroker broker;
    QVERIFY(broker.start());
    TemporaryHome home;
    Clock::setToday(day(11, 30));
    auto window = std::make_unique<MainWindow>();
    window->show();
    openPlugsPage(*window, broker.port);
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(*window), QStringLiteral("Broker: connected"), 10000);
    QVERIFY(mqttLoaded());

    // The three families, and payloads that are no sound counter.
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":10.0,"Power":80}})"));
    // 61354.393 Wh, which is no exact binary fraction in kWh.
    QVERIFY(broker.publish("kettle/status/switch:0", R"({"aenergy":{"total":61354.393}})"));
    QVERIFY(broker.publish("zigbee2mqtt/tv", R"({"energy":0.75})"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("ignored .*not JSON.*tele/bad/SENSOR")));
    QVERIFY(broker.publish("tele/bad/SENSOR", "12.5"));
    QVERIFY(broker.publish("tele/bad/SENSOR", "13.5")); // said once an hour
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("ignored .*zigbee2mqtt/neg")));
    QVERIFY(broker.publish("zigbee2mqtt/neg", R"({"energy":-2})"));
    auto *list = child<QListWidget>(window.get(), "list_plugs");
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 3, 10000);
    QCOMPARE(list->item(0)->text(), QStringLiteral("fridge (Tasmota)\n   10 kWh"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("kettle switch:0 (Shelly)\n   61.354393 kWh"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("tv (Zigbee2MQTT)\n   0.75 kWh"));

    // Nothing heard is stored before its plug is assigned.
    QCOMPARE(homeValue("SELECT count(*) FROM PlugReading").toInt(), 0);
    // Assigned with a finger: the plug, then its appliance.
    auto *appliances = child<QComboBox>(window.get(), "comboBox_plugAppliance");
    const QList<std::pair<int, QString>> assigned = {
        {0, "Refrigerator"}, {1, "Microwave"}, {2, "LcdTv"}};
    for (const auto &[row, appliance] : assigned) {
        list->setCurrentRow(row);
        appliances->setCurrentIndex(appliances->findData(appliance));
        QVERIFY(clickButton(window.get(), "push_assignPlug"));
    }
    QCOMPARE(homeValue("SELECT group_concat(appliance || '=' || plug, ' ') FROM (SELECT * FROM "
                       "PlugAssignment ORDER BY appliance)")
                 .toString(),
             QStringLiteral("LcdTv=zigbee2mqtt/tv Microwave=kettle/status/switch:0 "
                            "Refrigerator=tele/fridge/SENSOR"));
    QVERIFY(list->item(0)->text().endsWith(QStringLiteral("→ refrigerator")));
    // From its assignment on, a plug's counters are stored.
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":11.0,"Power":80}})"));
    QTRY_VERIFY_WITH_TIMEOUT(list->item(0)->text().contains(QStringLiteral(" 11 kWh")), 10000);
    // 4 kWh within minutes: more than 3.7 kW can pass in an hour. Said on the
    // page and on standard error, and not counted.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("jumped to 15 kWh")));
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":15.0}})"));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(window.get(), "lb_plugMessage")->text(),
                              QStringLiteral("The counter of fridge (Tasmota) jumped to 15 kWh, "
                                             "more than a plug carrying at most 3.7 kW can pass "
                                             "since its last one; the jump is not counted."),
                              10000);

    // The next day: one more counter of the fridge.
    Clock::setToday(day(12, 1));
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":12.5}})"));
    QTRY_VERIFY_WITH_TIMEOUT(list->item(0)->text().contains(QStringLiteral(" 12.5 kWh")), 10000);
    window.reset(); // stores what was heard

    QCOMPARE(homeValue("SELECT count(*) FROM PlugReading WHERE plug LIKE '%bad%' OR plug LIKE "
                       "'%neg%'")
                 .toInt(),
             0);
    QCOMPARE(homeValue("SELECT group_concat(readingDate || ' ' || firstReading || ' ' || reading, "
                       "'; ') FROM PlugReading WHERE plug='tele/fridge/SENSOR'")
                 .toString(),
             QStringLiteral("2026-11-30 10 11; 2026-12-01 12.5 12.5"));
    QCOMPARE(
        homeValue("SELECT reading FROM PlugReading WHERE plug='kettle/status/switch:0'").toString(),
        QStringLiteral("61.354393"));
    // A lower counter the broker keeps for the next start.
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":5.0}})", true));

    // Beside the diary's estimate and under the meter's total: the fridge's
    // 1 kWh of 30 November against 1.32 kWh answered (24 h at 55 W) and
    // the meter's 4 kWh from 30 November to 1 December.
    // A start with plugs set up connects by itself, after its first frame.
    Clock::setToday(day(12, 1));
    window = std::make_unique<MainWindow>();
    window->show();
    // The window's clients keep alive 30 s, mosquitto_pub 60 s.
    QTRY_COMPARE_WITH_TIMEOUT(broker.log().count("(p2, c1, k30)"), 2, 10000);
    const QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(CalculatorLogic::recordAppliance(db, QStringLiteral("30/11/2026"), 10, 24, 55));
    for (const auto &[date, reading] : {std::pair{day(11, 30), "100"}, {day(12, 1), "104"}})
        QVERIFY(MeterLogic::saveReading(db, MeterLogic::electricityMeter, date, reading, false,
                                        day(12, 1))
                    .stored);
    window->showPage(MainWindow::DiaryChoicePage);
    QVERIFY(clickButton(window.get(), "push_viewElecDiary"));
    auto *days = child<QComboBox>(window.get(), "comboBox_zadUvedoDate");
    days->setCurrentIndex(days->findText(QStringLiteral("30/11/2026")));
    QVERIFY(child<QTextEdit>(window.get(), "txtBrowse_consumptionSumm")
                ->toPlainText()
                .contains(QStringLiteral("You used 1.32 kWh. Your plugs measured: TV 0.00 kWh "
                                         "(your diary: no answer); microwave 0.00 kWh (your "
                                         "diary: no answer); refrigerator 1.00 kWh (your diary: "
                                         "1.32 kWh).")));
    window->showPage(MainWindow::HistoryPage);
    QVERIFY(clickButton(window.get(), "push_historyMeters"));
    QTRY_VERIFY(
        child<QLabel>(window.get(), "lb_meterHistorySummary")
            ->text()
            .contains(QStringLiteral("Your plugs (TV, microwave, refrigerator) measured 1.00 "
                                     "kWh, 25 % of what the meter counted; your diary "
                                     "estimates 33 % for the same appliances.")));
    // The kept lower counter, then one more lower one: the kept one is from
    // before and no new series starts.
    QVERIFY(broker.publish("tele/fridge/SENSOR", R"({"ENERGY":{"Total":5.1}})"));
    window->showPage(MainWindow::SettingsPage);
    QVERIFY(clickButton(window.get(), "push_smartPlugs"));
    list = child<QListWidget>(window.get(), "list_plugs");
    // The assigned plugs by topic: the fridge's second.
    QTRY_VERIFY_WITH_TIMEOUT(list->count() == 3 && list->item(1)->text().startsWith(QStringLiteral(
                                                       "fridge (Tasmota)\n   5.1 kWh")),
                             10000);
    window.reset();
    QCOMPARE(homeValue("SELECT group_concat(readingDate || ' ' || firstReading || ' ' || reading, "
                       "'; ') FROM PlugReading WHERE plug='tele/fridge/SENSOR'")
                 .toString(),
             QStringLiteral("2026-11-30 10 11; 2026-12-01 12.5 12.5"));
    Clock::setToday(QDate());
}

void TestPlugs::brokerRestartedIsReconnected()
{
    if (!MosquittoBroker::available())
        QSKIP("mosquitto and mosquitto-clients are not installed");
    auto broker = std::make_unique<MosquittoBroker>();
    QVERIFY(broker->start());
    const quint16 port = broker->port;
    TemporaryHome home;
    MainWindow window;
    window.show();
    openPlugsPage(window, port);
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window), QStringLiteral("Broker: connected"), 10000);

    broker.reset();
    QTRY_VERIFY_WITH_TIMEOUT(brokerStatus(window).startsWith(QStringLiteral("Broker: lost")),
                             10000);
    // While the broker is away the window answers: no turn of its loop waits.
    QVERIFY2(longestHold(2500) < 200, "the window was held while the broker was down");
    QVERIFY(brokerStatus(window).contains(QStringLiteral("cannot reach 127.0.0.1:%1: connection "
                                                         "refused")
                                              .arg(port)));
    // An outage of five seconds: the waits between attempts grow to 4 s and
    // more.
    QTest::qWait(2500);
    broker = std::make_unique<MosquittoBroker>();
    QVERIFY(broker->start(port));
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window), QStringLiteral("Broker: connected"), 20000);
    QVERIFY(broker->publish("zigbee2mqtt/lamp", R"({"energy":1.25})"));
    QTRY_COMPARE_WITH_TIMEOUT(child<QListWidget>(&window, "list_plugs")->count(), 1, 10000);

    // Then a short drop: connected again within about two seconds of the
    // broker's return, the wait having started afresh.
    broker.reset();
    QTRY_VERIFY_WITH_TIMEOUT(brokerStatus(window).startsWith(QStringLiteral("Broker: lost")), 5000);
    broker = std::make_unique<MosquittoBroker>();
    QVERIFY(broker->start(port));
    QElapsedTimer back;
    back.start();
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window), QStringLiteral("Broker: connected"), 10000);
    QVERIFY2(back.elapsed() < 2500, qPrintable(QStringLiteral("%1 ms").arg(back.elapsed())));
}

void TestPlugs::refusedPassword()
{
    if (!MosquittoBroker::available())
        QSKIP("mosquitto and mosquitto-clients are not installed");
    MosquittoBroker broker;
    QVERIFY(broker.start(0, QStringLiteral("house"), QStringLiteral("right")));
    TemporaryHome home;
    MainWindow window;
    window.show();
    openPlugsPage(window, broker.port, QStringLiteral("house"), QStringLiteral("wrong"));
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window),
                              QStringLiteral("Broker: the broker refused the user name or "
                                             "password"),
                              10000);
    openPlugsPage(window, broker.port, QStringLiteral("house"), QStringLiteral("right"));
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window), QStringLiteral("Broker: connected"), 10000);
    // The most a plug carries, kept with Connect: above 0 only.
    auto *most = child<QLineEdit>(&window, "le_plugMostKW");
    QCOMPARE(most->text(), QStringLiteral("3.7"));
    most->setText(QStringLiteral("0"));
    QVERIFY(clickButton(&window, "push_connectBroker"));
    QVERIFY(child<QLabel>(&window, "lb_plugMessage")
                ->text()
                .startsWith(QStringLiteral("Enter the most a plug carries in kW")));
    most->setText(QStringLiteral("2.5"));
    QVERIFY(clickButton(&window, "push_connectBroker"));
    QCOMPARE(homeValue("SELECT value FROM Settings WHERE key='plugMostKW'").toString(),
             QStringLiteral("2.5"));
    // TLS ticked before a broker without it: never connected in plain text.
    child<QCheckBox>(&window, "check_brokerTls")->setChecked(true);
    QVERIFY(clickButton(&window, "push_connectBroker"));
    QTRY_VERIFY_WITH_TIMEOUT(
        brokerStatus(window).startsWith(
            QStringLiteral("Broker: cannot reach 127.0.0.1:%1: a TLS error").arg(broker.port)),
        10000);
}

void TestPlugs::certificateFailureNamed()
{
    if (!MosquittoBroker::available() || !QFile::exists(QStringLiteral("/usr/bin/openssl")))
        QSKIP("mosquitto, mosquitto-clients and openssl are not installed");
    MosquittoBroker broker;
    QVERIFY(broker.start(0, QString(), QString(), true));
    TemporaryHome home;
    MainWindow window;
    window.show();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("certificate was refused: .*certificate "
                                                           "verify failed")));
    openPlugsPage(window, broker.port, QString(), QString(), true);
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window),
                              QStringLiteral("Broker: not connected to 127.0.0.1:%1: its "
                                             "certificate failed the check, so this computer "
                                             "cannot tell it is your broker")
                                  .arg(broker.port),
                              10000);
}

void TestPlugs::manyDevicesHeldInMemoryAndForgotten()
{
    if (!MosquittoBroker::available())
        QSKIP("mosquitto and mosquitto-clients are not installed");
    MosquittoBroker broker;
    QVERIFY(broker.start());
    TemporaryHome home;
    MainWindow window;
    window.show();
    openPlugsPage(window, broker.port);
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(window), QStringLiteral("Broker: connected"), 10000);
    QTest::qWait(300); // subscribed

    // A street's 10,000 devices, each heard once, with the page open.
    constexpr int devices = 10000;
    QList<std::pair<QString, QByteArray>> messages;
    for (int i = 0; i < devices; ++i)
        messages.append({QStringLiteral("zigbee2mqtt/device %1").arg(i, 5, 10, QLatin1Char('0')),
                         R"({"energy":)" + QByteArray::number(i) + "}"});
    auto *list = child<QListWidget>(&window, "list_plugs");
    bool sent = false;
    std::thread publisher([&] { sent = broker.publishAll(messages); });
    const auto heard = [list] {
        return list->count() > 0 &&
               list->item(list->count() - 1)->data(Qt::UserRole).toString().endsWith("09999");
    };
    const qint64 longest = longestHold(30000, heard);
    publisher.join();
    QVERIFY(sent && heard());
    // Only the 200 heard last are held, and nothing is stored.
    QCOMPARE(list->count(), 200);
    QCOMPARE(list->item(0)->data(Qt::UserRole).toString(),
             QStringLiteral("zigbee2mqtt/device 09800"));
    QVERIFY2(longest < 150, qPrintable(QStringLiteral("held %1 ms").arg(longest)));
    QCOMPARE(homeValue("SELECT count(*) FROM PlugReading").toInt(), 0);

    // Forgetting one unassigned takes it off the list only; an assigned one
    // asks first, then goes with its counters.
    list->setCurrentRow(0);
    QVERIFY(clickButton(&window, "push_forgetPlug"));
    QCOMPARE(list->count(), 199);
    QVERIFY(child<QLabel>(&window, "lb_plugMessage")->text().startsWith("device 09800 is off"));
    list->setCurrentRow(0);
    auto *appliances = child<QComboBox>(&window, "comboBox_plugAppliance");
    appliances->setCurrentIndex(appliances->findData(QStringLiteral("LcdTv")));
    QVERIFY(clickButton(&window, "push_assignPlug"));
    QVERIFY(clickButton(&window, "push_forgetPlug"));
    QVERIFY(child<QLabel>(&window, "lb_plugMessage")
                ->text()
                .startsWith(QStringLiteral("Forget device 09801? It measures the TV;")));
    QCOMPARE(list->count(), 199);
    QCOMPARE(homeValue("SELECT plug || ' ' || reading FROM PlugReading").toString(),
             QStringLiteral("zigbee2mqtt/device 09801 9801"));
    QVERIFY(clickButton(&window, "push_forgetPlug"));
    QCOMPARE(list->count(), 198);
    QCOMPARE(homeValue("SELECT (SELECT count(*) FROM PlugReading) + (SELECT count(*) FROM "
                       "PlugAssignment)")
                 .toInt(),
             0);
}

void TestPlugs::devicesAsShippedAndOwnAppliances()
{
    if (!MosquittoBroker::available())
        QSKIP("mosquitto and mosquitto-clients are not installed");
    MosquittoBroker broker;
    QVERIFY(broker.start());
    TemporaryHome home;
    Clock::setToday(day(12, 7));
    auto window = std::make_unique<MainWindow>();
    window->show();
    QSqlDatabase db = QSqlDatabase::database();
    QString error;
    const int sauna = SettingsLogic::addOwnAppliance(db, QStringLiteral("sauna heater"),
                                                     QStringLiteral("4500"), 1, &error);
    QVERIFY2(sauna > 0, qPrintable(error));
    const int gone = SettingsLogic::addOwnAppliance(db, QStringLiteral("old freezer"),
                                                    QStringLiteral("120"), 1, &error);
    QVERIFY(SettingsLogic::removeOwnAppliance(db, gone));
    Database::createHouseholdTables(db);
    QSqlQuery none(db);
    QVERIFY(none.exec("INSERT INTO ApplianceCount (applianceName, count) VALUES ('AirCon', "
                      "0), ('Refrigerator', 1)"));

    openPlugsPage(*window, broker.port);
    QTRY_COMPARE_WITH_TIMEOUT(brokerStatus(*window), QStringLiteral("Broker: connected"), 10000);
    // A minute without a plug heard (shortened here): what each family needs.
    auto *message = child<QLabel>(window.get(), "lb_plugMessage");
    window->findChild<PlugSession *>()->findChild<QTimer *>("plugSilence")->setInterval(50);
    QTRY_VERIFY_WITH_TIMEOUT(message->text().startsWith(
                                 QStringLiteral("No plug heard in a minute: Shelly needs MQTT on")),
                             5000);

    // As the devices publish when set up as shipped; the bridge's own topics
    // and a device's availability are none.
    QVERIFY(broker.publish("plugsg3-ab12/events/rpc",
                           R"({"src":"plugsg3-ab12","method":"NotifyStatus","params":{"ts":1.2,)"
                           R"("switch:0":{"id":0,"aenergy":{"total":61354.393}}}})"));
    QVERIFY(broker.publish("zigbee2mqtt/bridge/info", R"({"version":"1.40.0","energy":3})"));
    QVERIFY(broker.publish("zigbee2mqtt/kitchen/dishwasher/availability", R"({"state":"online"})"));
    QVERIFY(broker.publish("shellies/shellyplug-s-7a/relay/0/energy", "3600"));
    QVERIFY(broker.publish("zigbee2mqtt/kitchen/dishwasher", R"({"energy":1.25,"power":0})"));
    QVERIFY(broker.publish("tele/dual/SENSOR", R"({"ENERGY":{"Total":[2.813,0.254]}})"));
    auto *list = child<QListWidget>(window.get(), "list_plugs");
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 5, 10000);
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    texts.sort();
    QCOMPARE(texts, (QStringList{"dual 1 (Tasmota)\n   2.813 kWh", "dual 2 (Tasmota)\n   0.254 kWh",
                                 "kitchen/dishwasher (Zigbee2MQTT)\n   1.25 kWh",
                                 "plugsg3-ab12 switch:0 (Shelly)\n   61.354393 kWh",
                                 "shellyplug-s-7a relay 0 (Shelly)\n   0.06 kWh"}));
    QCOMPARE(message->text(), QString()); // heard: the hint is gone

    // The own appliance the household has, not the removed one nor the one
    // it counts 0 of.
    auto *appliances = child<QComboBox>(window.get(), "comboBox_plugAppliance");
    const QString saunaKey = CalculatorLogic::ownItem(sauna);
    QCOMPARE(appliances->itemText(appliances->count() - 1), QStringLiteral("sauna heater"));
    QCOMPARE(appliances->findData(CalculatorLogic::ownItem(gone)), -1);
    QCOMPARE(appliances->findData(QStringLiteral("AirCon")), -1);
    QVERIFY(appliances->findData(QStringLiteral("Refrigerator")) > 0);
    QCOMPARE(appliances->count(), 1 + 10 + 1);
    list->setCurrentItem(list->findItems(QStringLiteral("dual 2"), Qt::MatchStartsWith).at(0));
    appliances->setCurrentIndex(appliances->findData(saunaKey));
    QVERIFY(clickButton(window.get(), "push_assignPlug"));
    QCOMPARE(message->text(), QStringLiteral("dual 2 now measures the sauna heater."));
    QVERIFY(list->currentItem()->text().endsWith(QStringLiteral("\u2192 sauna heater")));
    QCOMPARE(homeValue("SELECT appliance || '=' || plug FROM PlugAssignment").toString(),
             saunaKey + QStringLiteral("=tele/dual/SENSOR#2"));
    QVERIFY(broker.publish("tele/dual/SENSOR", R"({"ENERGY":{"Total":[2.9,0.754]}})"));
    QTRY_VERIFY_WITH_TIMEOUT(list->currentItem()->text().contains(QStringLiteral(" 0.754 kWh")),
                             10000);
    window.reset(); // stores what was heard
    db = QSqlDatabase::database();

    // The sauna's 0.5 kWh beside the diary's answer and under the meter's
    // 5 kWh of that day.
    QCOMPARE(PlugReadings::daySentence(db, day(12, 7), {{saunaKey, 0.6}}),
             QStringLiteral(" Your plugs measured: sauna heater 0.50 kWh (your diary: 0.60 kWh)."));
    QCOMPARE(PlugReadings::meterSentence(db, day(12, 7), day(12, 7), 5),
             QStringLiteral(" Your plugs (sauna heater) measured 0.50 kWh, 10 % of what the meter "
                            "counted; your diary has no answers for them on those days."));
    // Where the money went marks it too.
    QVERIFY(CalculatorLogic::recordWholeDay(db, CalculatorLogic::dayKey(day(12, 7)), {}, {}, {},
                                            {{sauna, 2, 4500, 1}}));
    const QList<HistoryLogic::Spending> spending = HistoryLogic::pageData(db, day(12, 7)).spending;
    QCOMPARE(spending.size(), 1);
    QCOMPARE(PlugReadings::spendingMark(*PlugReadings::measuredSums(db, day(12, 1), day(12, 7)),
                                        spending.at(0).tipName),
             QStringLiteral("  \u00b7 plug 0.50 kWh in 1 day"));
    Clock::setToday(QDate());
}

void TestPlugs::init()
{
    dir = std::make_unique<QTemporaryDir>();
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plugs"));
    db.setDatabaseName(dir->filePath(QStringLiteral("plugs.sqlite")));
    QVERIFY(db.open());
    QVERIFY(Database::createHouseholdTables(db));
}

void TestPlugs::cleanup()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("plugs"));
}

void TestPlugs::payloadFamilies_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("family");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<double>>("kWh");

    QTest::newRow("Tasmota kWh") << "tele/fridge-plug/SENSOR"
                                 << QByteArray(R"({"Time":"2026-12-07T10:00:00","ENERGY":{)"
                                               R"("Total":12.345,"Today":0.4,"Power":85}})")
                                 << int(Family::Tasmota) << QStringList{"tele/fridge-plug/SENSOR"}
                                 << QStringList{"fridge-plug"} << QList<double>{12.345};
    QTest::newRow("Tasmota, two channels")
        << "tele/dual/SENSOR" << QByteArray(R"({"ENERGY":{"Total":[2.813,0.254],"Power":[9,0]}})")
        << int(Family::Tasmota) << QStringList{"tele/dual/SENSOR#1", "tele/dual/SENSOR#2"}
        << QStringList{"dual 1", "dual 2"} << QList<double>{2.813, 0.254};
    QTest::newRow("Shelly Wh") << "shellyplusplugs-a1b2/status/switch:0"
                               << QByteArray(R"({"id":0,"apower":8.1,"aenergy":{"total":12345.6,)"
                                             R"("by_minute":[0,0,0]}})")
                               << int(Family::Shelly)
                               << QStringList{"shellyplusplugs-a1b2/status/switch:0"}
                               << QStringList{"shellyplusplugs-a1b2 switch:0"}
                               << QList<double>{12.3456};
    QTest::newRow("Shelly at the highest")
        << "plug/status/switch:1" << QByteArray(R"({"aenergy":{"total":1000000000}})")
        << int(Family::Shelly) << QStringList{"plug/status/switch:1"}
        << QStringList{"plug switch:1"} << QList<double>{1e6};
    QTest::newRow("Shelly meter module")
        << "pmmini/status/pm1:0"
        << QByteArray(R"({"id":0,"voltage":231,"aenergy":{"total":999.9}})") << int(Family::Shelly)
        << QStringList{"pmmini/status/pm1:0"} << QStringList{"pmmini pm1:0"}
        << QList<double>{0.9999};
    // As a factory-set plug publishes: notifications only, under its status
    // topic's key.
    QTest::newRow("Shelly notification")
        << "plugsg3-ab12/events/rpc"
        << QByteArray(
               R"({"src":"plugsg3-ab12","dst":"plugsg3-ab12/events","method":"NotifyStatus",)"
               R"("params":{"ts":1765188000.12,"switch:0":{"id":0,"aenergy":{"by_minute":)"
               R"([1.2,0,0],"minute_ts":1765188000,"total":61354.393}}}})")
        << int(Family::Shelly) << QStringList{"plugsg3-ab12/status/switch:0"}
        << QStringList{"plugsg3-ab12 switch:0"} << QList<double>{61.354393};
    QTest::newRow("Shelly full status, two switches and a meter")
        << "pro/events/rpc"
        << QByteArray(R"({"src":"pro","method":"NotifyFullStatus","params":{"ts":1.5,)"
                      R"("input:0":{"id":0,"state":false},"sys":{"uptime":5},)"
                      R"("switch:0":{"id":0,"aenergy":{"total":0}},"pm1:2":{"aenergy":)"
                      R"({"total":1500.5}},"switch:1":{"id":1,"aenergy":{"total":2500}}}})")
        << int(Family::Shelly)
        << QStringList{"pro/status/pm1:2", "pro/status/switch:0", "pro/status/switch:1"}
        << QStringList{"pro pm1:2", "pro switch:0", "pro switch:1"}
        << QList<double>{1.5005, 0, 2.5};
    QTest::newRow("Shelly first generation, watt-minutes")
        << "shellies/shellyplug-s-7a/relay/0/energy" << QByteArray("3600") << int(Family::Shelly)
        << QStringList{"shellies/shellyplug-s-7a/relay/0/energy"}
        << QStringList{"shellyplug-s-7a relay 0"} << QList<double>{0.06};
    QTest::newRow("Zigbee2MQTT at zero")
        << "zigbee2mqtt/TV plug" << QByteArray(R"({"energy":0,"power":0,"state":"ON"})")
        << int(Family::Zigbee2Mqtt) << QStringList{"zigbee2mqtt/TV plug"} << QStringList{"TV plug"}
        << QList<double>{0.0};
    QTest::newRow("Zigbee2MQTT name with slashes")
        << "zigbee2mqtt/kitchen/dishwasher" << QByteArray(R"({"energy":1.25,"power":1800})")
        << int(Family::Zigbee2Mqtt) << QStringList{"zigbee2mqtt/kitchen/dishwasher"}
        << QStringList{"kitchen/dishwasher"} << QList<double>{1.25};
}

void TestPlugs::payloadFamilies()
{
    QFETCH(QString, topic);
    QFETCH(QByteArray, payload);
    QFETCH(int, family);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, names);
    QFETCH(QList<double>, kWh);
    QList<PlugLogic::Counter> counters = PlugLogic::countersOf(topic, payload);
    std::sort(counters.begin(), counters.end(),
              [](const auto &a, const auto &b) { return a.key < b.key; });
    QCOMPARE(counters.size(), keys.size());
    for (qsizetype i = 0; i < counters.size(); ++i) {
        const PlugLogic::Counter &counter = counters.at(i);
        QCOMPARE(counter.problem, QString());
        QCOMPARE(counter.key, keys.at(i));
        QCOMPARE(int(counter.plug.family), family);
        QCOMPARE(counter.plug.name, names.at(i));
        QCOMPARE(counter.kWh, kWh.at(i));
        // The key names the plug as the message did.
        const std::optional<PlugLogic::Plug> plug = PlugLogic::plugOf(counter.key);
        QVERIFY(plug);
        QCOMPARE(plug->name, names.at(i));
    }
}

void TestPlugs::badPayloadsAreNamed_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("plug"); // the topic and payload are a plug's

    const QString tasmota = QStringLiteral("tele/p/SENSOR");
    QTest::newRow("not JSON") << tasmota << QByteArray("12.5") << true;
    QTest::newRow("cut short") << tasmota << QByteArray(R"({"ENERGY":{"Total":1)") << true;
    QTest::newRow("over 64 KiB") << tasmota
                                 << QByteArray(R"({"ENERGY":{"Total":1},"x":")") +
                                        QByteArray(65536, 'a') + "\"}"
                                 << true;
    QTest::newRow("negative") << tasmota << QByteArray(R"({"ENERGY":{"Total":-0.001}})") << true;
    QTest::newRow("a text") << tasmota << QByteArray(R"({"ENERGY":{"Total":"12"}})") << true;
    QTest::newRow("no channels") << tasmota << QByteArray(R"({"ENERGY":{"Total":[]}})") << true;
    QTest::newRow("a channel's text")
        << tasmota << QByteArray(R"({"ENERGY":{"Total":["1"]}})") << true;
    QTest::newRow("not finite") << QStringLiteral("zigbee2mqtt/p")
                                << QByteArray(R"({"energy":1e400})") << true;
    QTest::newRow("above a million kWh")
        << QStringLiteral("zigbee2mqtt/p") << QByteArray(R"({"energy":1000000.1})") << true;
    QTest::newRow("Shelly above a billion Wh")
        << QStringLiteral("p/status/switch:0") << QByteArray(R"({"aenergy":{"total":1000000001}})")
        << true;
    QTest::newRow("Shelly's array") << QStringLiteral("p/status/switch:0")
                                    << QByteArray(R"({"aenergy":{"total":[1]}})") << true;
    QTest::newRow("notification not JSON")
        << QStringLiteral("p/events/rpc") << QByteArray("{\"method\":") << true;
    QTest::newRow("first generation, not a number")
        << QStringLiteral("shellies/p/relay/0/energy") << QByteArray("on") << true;
    // No plug at all: nothing to say.
    QTest::newRow("thermometer") << QStringLiteral("zigbee2mqtt/hall")
                                 << QByteArray(R"({"temperature":21})") << false;
    QTest::newRow("bridge") << QStringLiteral("zigbee2mqtt/bridge") << QByteArray(R"({"energy":1})")
                            << false;
    QTest::newRow("below the bridge")
        << QStringLiteral("zigbee2mqtt/bridge/devices") << QByteArray(R"({"energy":1})") << false;
    QTest::newRow("availability") << QStringLiteral("zigbee2mqtt/kitchen/dishwasher/availability")
                                  << QByteArray(R"({"state":"online"})") << false;
    QTest::newRow("set") << QStringLiteral("zigbee2mqtt/kitchen/dishwasher/set")
                         << QByteArray(R"({"energy":1})") << false;
    QTest::newRow("get") << QStringLiteral("zigbee2mqtt/dishwasher/get")
                         << QByteArray(R"({"energy":""})") << false;
    QTest::newRow("deeper topic") << QStringLiteral("tele/a/b/SENSOR")
                                  << QByteArray(R"({"ENERGY":{"Total":1}})") << false;
    QTest::newRow("Shelly's input")
        << QStringLiteral("p/status/input:0") << QByteArray(R"({"aenergy":{"total":1}})") << false;
    QTest::newRow("Shelly's event")
        << QStringLiteral("p/events/rpc")
        << QByteArray(R"({"method":"NotifyEvent","params":{"switch:0":{"aenergy":{"total":1}}}})")
        << false;
    QTest::newRow("Shelly notified of power only")
        << QStringLiteral("p/events/rpc")
        << QByteArray(R"({"method":"NotifyStatus","params":{"switch:0":{"apower":9.5}}})") << false;
}

void TestPlugs::badPayloadsAreNamed()
{
    QFETCH(QString, topic);
    QFETCH(QByteArray, payload);
    QFETCH(bool, plug);
    const QList<PlugLogic::Counter> counters = PlugLogic::countersOf(topic, payload);
    QCOMPARE(counters.size(), plug ? 1 : 0);
    if (plug)
        QVERIFY2(!counters.at(0).problem.isEmpty(),
                 qPrintable(QString::number(counters.at(0).kWh)));
}

void TestPlugs::warningsOncePerPlugAndHour()
{
    PlugLogic::Warnings warnings;
    const QDateTime start(day(12, 7), QTime(10, 0));
    QVERIFY(warnings.due(QStringLiteral("a"), start));
    QVERIFY(!warnings.due(QStringLiteral("a"), start.addSecs(3599)));
    QVERIFY(warnings.due(QStringLiteral("b"), start.addSecs(3599)));
    QVERIFY(warnings.due(QStringLiteral("a"), start.addSecs(3600)));
}

void TestPlugs::dailyKWhAcrossGapsAndNewSeries()
{
    // Counters heard over the end of November, through the window's batches.
    PlugReadings::Recorder recorder;
    const QString plug = QStringLiteral("tele/fridge/SENSOR");
    const QList<std::pair<QDate, double>> heard = {
        {day(11, 29), 10.0},
        {day(11, 29), 10.5},
        {day(11, 29), 11.0}, // first day: 1.0
        {day(11, 30), 12.5}, // 1.5
        // 1 and 2 December not heard: 3.0 over three days
        {day(12, 3), 15.5},
        // reset in the middle of the day: 0.5 before, 0.5 after
        {day(12, 4), 16.0},
        {day(12, 4), 0.2},
        {day(12, 4), 0.7},
        {day(12, 5), 0.7}, // an equal counter: 0
    };
    for (const auto &[date, kWh] : heard)
        recorder.heard(plug, kWh, date.startOfDay());
    recorder.heard(QStringLiteral("zigbee2mqtt/tv"), 3.25, at(12, 3));
    QVERIFY(recorder.flush(db));
    QVERIFY(recorder.isEmpty());
    // A counter for a day before the latest stored one (the clock went back)
    // is not placed.
    QVERIFY(PlugReadings::record(db, {{plug, day(12, 1), 20}}));

    QCOMPARE(scalar(db, "SELECT count(*) FROM PlugReading WHERE plug='tele/fridge/SENSOR'").toInt(),
             6);
    QCOMPARE(scalar(db, "SELECT firstReading || ' ' || reading FROM PlugReading WHERE "
                        "readingDate='2026-11-29'")
                 .toString(),
             QStringLiteral("10 11"));
    const auto days = PlugReadings::measuredDays(db, plug);
    QVERIFY(days);
    const QList<QDate> expectedDays = {day(11, 29), day(11, 30), day(12, 1), day(12, 2),
                                       day(12, 3),  day(12, 4),  day(12, 5)};
    QCOMPARE(days->keys(), expectedDays);
    const QList<double> kWh = {1.0, 1.5, 1.0, 1.0, 1.0, 1.0, 0.0};
    const QList<bool> spread = {false, false, true, true, true, false, false};
    for (int i = 0; i < expectedDays.size(); ++i) {
        QVERIFY2(qAbs(days->value(expectedDays.at(i)).kWh - kWh.at(i)) < 1e-9,
                 qPrintable(expectedDays.at(i).toString()));
        QCOMPARE(days->value(expectedDays.at(i)).spread, spread.at(i));
    }
    // The plug's first day only has its first counter: nothing measured yet.
    QCOMPARE(
        PlugReadings::measuredDays(db, QStringLiteral("zigbee2mqtt/tv"))->value(day(12, 3)).kWh,
        0.0);

    // Beside the diary and a meter: the fridge's 5.5 kWh of 30 November to
    // 4 December are half the meter's 11; the diary's 1.32 kWh are 12 %. The
    // TV, measured on one of those days only, is left out.
    QVERIFY(PlugReadings::assign(db, plug, QStringLiteral("Refrigerator")));
    QVERIFY(PlugReadings::assign(db, QStringLiteral("zigbee2mqtt/tv"), QStringLiteral("LcdTv")));
    Database::createTable(db, QStringLiteral("waterDiary"));
    QSqlQuery answer(db);
    QVERIFY(answer.exec("INSERT INTO DayUsage (dayKey, item, amount, watts, count, quantity) "
                        "VALUES ('30/11/2026', 'valOfRefrigerator', 24, 55, 1, 1.32)"));
    QCOMPARE(PlugReadings::meterSentence(db, day(11, 30), day(12, 4), 11),
             QStringLiteral(" Your plugs (refrigerator) measured ~5.50 kWh, 50 % of what the "
                            "meter counted; your diary estimates 12 % for the same appliances. "
                            "Figures with ~ are a rise spread evenly over days your plugs were "
                            "not heard."));
    QCOMPARE(PlugReadings::daySentence(db, day(11, 30), {{"valOfRefrigerator", 1.32}}),
             QStringLiteral(" Your plugs measured: refrigerator 1.50 kWh (your diary: 1.32 kWh)."));
    QCOMPARE(PlugReadings::daySentence(db, day(12, 3), {}),
             QStringLiteral(" Your plugs measured: TV 0.00 kWh (your diary: no answer); "
                            "refrigerator ~1.00 kWh (your diary: no answer). Figures with ~ are "
                            "a rise spread evenly over days your plugs were not heard."));
    QCOMPARE(PlugReadings::daySentence(db, day(11, 28), {}), QString());
}

void TestPlugs::aFailedBatchStoresNothingAndIsKept()
{
    PlugReadings::Recorder recorder;
    recorder.heard(QStringLiteral("a/status/switch:0"), 1.5, at(12, 31));
    recorder.heard(QStringLiteral("a/status/switch:0"), 2.0, at(12, 31));
    QSqlQuery trigger(db);
    QVERIFY(trigger.exec("CREATE TRIGGER refuse BEFORE UPDATE ON PlugReading BEGIN "
                         "SELECT RAISE(ABORT, 'no'); END"));
    QVERIFY(!recorder.flush(db));
    QCOMPARE(scalar(db, "SELECT count(*) FROM PlugReading").toInt(), 0);
    QVERIFY(!recorder.isEmpty());
    QVERIFY(trigger.exec("DROP TRIGGER refuse"));
    QVERIFY(recorder.flush(db));
    QCOMPARE(scalar(db, "SELECT firstReading || ' ' || reading FROM PlugReading").toString(),
             QStringLiteral("1.5 2"));
}

void TestPlugs::assignmentsAndBroker()
{
    const QString a = QStringLiteral("tele/a/SENSOR");
    const QString b = QStringLiteral("zigbee2mqtt/b");
    QVERIFY(PlugReadings::assign(db, a, QStringLiteral("Refrigerator")));
    QVERIFY(PlugReadings::assign(db, a, QStringLiteral("Microwave"))); // the plug moves
    QVERIFY(PlugReadings::assign(db, b, QStringLiteral("Microwave"))); // and is replaced
    QCOMPARE(*PlugReadings::assignments(db), (QHash<QString, QString>{{"Microwave", b}}));
    QVERIFY(PlugReadings::assign(db, b, QString()));
    QVERIFY(PlugReadings::assignments(db)->isEmpty());

    QVERIFY(PlugReadings::broker(db)->address.isEmpty());
    QVERIFY(!PlugReadings::saveBroker(db, "192.168.1.5", "0", "", "", false).stored);
    QVERIFY(!PlugReadings::saveBroker(db, "192.168.1.5", "65536", "", "", false).stored);
    QVERIFY(!PlugReadings::saveBroker(db, "192.168.1.5", "18.83", "", "", false).stored);
    QVERIFY(!PlugReadings::saveBroker(db, "my broker", "", "", "", false).stored);
    QVERIFY(PlugReadings::broker(db)->address.isEmpty());
    QVERIFY(PlugReadings::saveBroker(db, " broker.home ", "", "me", "p w", true).stored);
    PlugReadings::Broker stored = *PlugReadings::broker(db);
    QCOMPARE(stored.address, QStringLiteral("broker.home"));
    QCOMPARE(stored.port, 1883);
    QCOMPARE(stored.password, QStringLiteral("p w"));
    QVERIFY(stored.tls);
    QVERIFY(PlugReadings::saveBroker(db, "10.0.0.2", "65535", "", "", false).stored);
    QCOMPARE(PlugReadings::broker(db)->port, 65535);
    QVERIFY(!PlugReadings::inUse(db));
    QVERIFY(PlugReadings::assign(db, a, QStringLiteral("Refrigerator")));
    QVERIFY(PlugReadings::inUse(db));
}

void TestPlugs::implausibleCountersCountNothing()
{
    using PlugReadings::Verdict;
    PlugReadings::Recorder recorder; // at most 3.7 kW
    // name: counters heard on 1 December (at hh:mm, or on 2 December with +)
    struct Heard
    {
        int hour;
        int minute;
        double kWh;
        Verdict verdict;
        bool retained = false;
    };
    const QList<std::pair<QString, QList<Heard>>> plugs = {
        // A glitch to 0 counts nothing.
        {"glitch",
         {{10, 0, 120.00, Verdict::Taken},
          {10, 10, 0, Verdict::Held},
          {10, 20, 120.05, Verdict::Taken}}},
        {"equal", {{10, 0, 5, Verdict::Taken}, {10, 10, 5, Verdict::Taken}}},
        // A reset that stays lower starts a series at its first lower counter.
        {"reset",
         {{10, 0, 50, Verdict::Taken}, {10, 5, 0.1, Verdict::Held}, {10, 10, 0.3, Verdict::Taken}}},
        // 3.7 kWh in half an hour (taken as an hour) is possible, 3.71 not;
        // 7.4 in two hours is.
        {"limit",
         {{10, 0, 10, Verdict::Taken},
          {10, 30, 13.71, Verdict::Refused},
          {10, 40, 13.7, Verdict::Taken},
          {12, 40, 21.1, Verdict::Taken},
          {14, 40, 28.51, Verdict::Refused}}},
        // Two plugs on one topic: the one heard twice lower takes over, and
        // the other's counters are then refused.
        {"two",
         {{10, 0, 500, Verdict::Taken},
          {10, 1, 10, Verdict::Held},
          {10, 2, 500.01, Verdict::Taken},
          {10, 3, 10.01, Verdict::Held},
          {10, 4, 10.02, Verdict::Taken},
          {10, 5, 500.02, Verdict::Refused},
          {10, 6, 10.03, Verdict::Taken}}},
        // Counters from before a reconnect, kept by the broker, lower than
        // the stored 40 (below): never a new series.
        {"retained",
         {{10, 0, 35, Verdict::Dropped, true},
          {10, 0, 35, Verdict::Dropped, true},
          {10, 1, 40.5, Verdict::Taken}}},
        // Over midnight: 30 at 23:50, a glitch, 30.2 at 00:10.
        {"midnight",
         {{23, 50, 30, Verdict::Taken},
          {24, 5, 29, Verdict::Held},
          {24, 10, 30.2, Verdict::Taken}}},
    };
    recorder.stored(QStringLiteral("retained"), 40, day(11, 30));
    for (const auto &[plug, heard] : plugs) {
        for (const Heard &counter : heard) {
            const QDateTime when =
                at(12, 1).addSecs((counter.hour - 12) * 3600 + counter.minute * 60);
            QVERIFY2(recorder.heard(plug, counter.kWh, when, counter.retained) == counter.verdict,
                     qPrintable(QStringLiteral("%1 %2").arg(plug).arg(counter.kWh)));
        }
    }
    QVERIFY(PlugReadings::record(db, {{QStringLiteral("retained"), day(11, 30), 40}}));
    QVERIFY(recorder.flush(db));
    const QList<std::tuple<QString, QDate, double>> expected = {
        {"glitch", day(12, 1), 0.05}, {"equal", day(12, 1), 0},     {"reset", day(12, 1), 0.2},
        {"limit", day(12, 1), 11.1},  {"two", day(12, 1), 0.03},    {"retained", day(12, 1), 0.5},
        {"midnight", day(12, 1), 0},  {"midnight", day(12, 2), 0.2}};
    for (const auto &[plug, date, kWh] : expected) {
        const auto days = PlugReadings::measuredDays(db, plug);
        QVERIFY(days && days->contains(date));
        QVERIFY2(qAbs(days->value(date).kWh - kWh) < 1e-9,
                 qPrintable(QStringLiteral("%1 %2").arg(plug).arg(days->value(date).kWh)));
    }
    QCOMPARE(scalar(db, "SELECT group_concat(firstReading || ' ' || reading, '; ') FROM "
                        "PlugReading WHERE plug='glitch'")
                 .toString(),
             QStringLiteral("120 120.05"));
    // Stored as a plain decimal of at most six decimals.
    QCOMPARE(PlugReadings::counterText(61354.393 / 1000), QStringLiteral("61.354393"));
    QCOMPARE(PlugReadings::counterText(0.0000004), QStringLiteral("0"));

    // The most a plug carries: 3.7 kW until set, as typed in the household's
    // language, above 0 and up to 100.
    QCOMPARE(*PlugReadings::mostKW(db), 3.7);
    QVERIFY(!PlugReadings::saveMostKW(db, "0").stored);
    QVERIFY(!PlugReadings::saveMostKW(db, "100.5").stored);
    QVERIFY(PlugReadings::saveMostKW(db, "2,3", QLocale(QLocale::German)).stored);
    QCOMPARE(scalar(db, "SELECT value FROM Settings WHERE key='plugMostKW'").toString(),
             QStringLiteral("2.3"));
    QCOMPARE(*PlugReadings::mostKW(db), 2.3);
}

void TestPlugs::meterSetAgainstPlugsOfEveryDay()
{
    // The meter counted 10 kWh from 1 to 5 December. The fridge's plug was
    // heard on each day (1 kWh a day after its first), the TV's on four of
    // them only (not the 5th): only the fridge is set against the meter.
    QList<PlugReadings::Heard> counters;
    for (int d = 1; d <= 5; ++d) {
        counters.append({QStringLiteral("fridge"), day(12, d), double(d)});
        if (d < 5)
            counters.append({QStringLiteral("tv"), day(12, d), d * 0.5});
    }
    QVERIFY(PlugReadings::record(db, counters));
    QVERIFY(PlugReadings::assign(db, QStringLiteral("fridge"), QStringLiteral("Refrigerator")));
    QVERIFY(PlugReadings::assign(db, QStringLiteral("tv"), QStringLiteral("LcdTv")));
    Database::createTable(db, QStringLiteral("waterDiary"));
    QCOMPARE(PlugReadings::meterSentence(db, day(12, 1), day(12, 5), 10),
             QStringLiteral(" Your plugs (refrigerator) measured 4.00 kWh, 40 % of what the meter "
                            "counted; your diary has no answers for them on those days."));
    // Over the four days the TV was heard both are.
    QCOMPARE(PlugReadings::meterSentence(db, day(12, 1), day(12, 4), 10),
             QStringLiteral(" Your plugs (TV, refrigerator) measured 4.50 kWh, 45 % of what the "
                            "meter counted; your diary has no answers for them on those days."));
}

QTEST_MAIN(TestPlugs)
#include "tst_plugs.moc"
