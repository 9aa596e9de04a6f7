// The smart plugs page, reached from the settings page: the broker the plugs
// publish to, the plugs heard, and which appliance each one measures. The
// broker and the assignments are stored by household/plugreadings; the
// connection is the PlugSession's.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "household/calculatorlogic.h"
#include "household/plugreadings.h"
#include "household/typednumber.h"
#include "pagemessage.h"
#include "plugs/plugsession.h"

namespace {

constexpr int topicRole = Qt::UserRole;
constexpr int applianceRole = Qt::UserRole + 1;

// The appliance of a Tips name as the household reads it; empty for none.
QString applianceName(const QString &tipName)
{
    const qsizetype index = CalculatorLogic::applianceTipNames().indexOf(tipName);
    return index < 0 ? QString() : CalculatorLogic::applianceNames().at(index);
}

// A plug's two lines in the list: its name as its topic gives it and its
// family, then its latest counter and the appliance it measures.
QString plugText(const QString &topic, double kWh, const QString &appliance)
{
    const std::optional<PlugLogic::Plug> plug = PlugLogic::plugOf(topic);
    QString text = plug ? QStringLiteral("%1 (%2)\n   %3 kWh")
                              .arg(plug->name, PlugLogic::familyName(plug->family),
                                   TypedNumber::plainText(kWh))
                        : topic;
    if (!appliance.isEmpty())
        text += QStringLiteral("   \u2192 ") + applianceName(appliance);
    return text;
}

} // namespace

void MainWindow::listenToPlugs()
{
    if (PlugReadings::inUse(db))
        startPlugSession();
}

void MainWindow::startPlugSession()
{
    const std::optional<PlugReadings::Broker> broker = PlugReadings::broker(db);
    if (!broker || broker->address.isEmpty())
        return;
    if (!plugSession) {
        plugSession = new PlugSession(db, this);
        connect(plugSession, &PlugSession::statusChanged, this, [this] {
            if (ui->lb_brokerStatus)
                ui->lb_brokerStatus->setText(QStringLiteral("Broker: ") + plugSession->status());
        });
        connect(plugSession, &PlugSession::plugHeard, this, [this](int index) {
            if (!ui->list_plugs)
                return;
            const PlugSession::Plug &plug = plugSession->plugs().at(index);
            for (int row = 0; row < ui->list_plugs->count(); ++row) {
                QListWidgetItem *item = ui->list_plugs->item(row);
                if (item->data(topicRole).toString() == plug.topic) {
                    item->setText(
                        plugText(plug.topic, plug.kWh, item->data(applianceRole).toString()));
                    return;
                }
            }
            listPlugs();
        });
    }
    plugSession->start(*broker);
}

void MainWindow::preparePlugsPage()
{
    ui->list_plugs->setUniformItemSizes(true);
    ui->comboBox_plugAppliance->addItem(QStringLiteral("No appliance"), QString());
    const QStringList &names = CalculatorLogic::applianceNames();
    for (int i = 0; i < names.size(); ++i) {
        QString name = names.at(i);
        name[0] = name.at(0).toUpper();
        ui->comboBox_plugAppliance->addItem(name, CalculatorLogic::applianceTipNames().at(i));
    }
}

void MainWindow::listPlugs()
{
    const QString current = ui->list_plugs->currentItem()
                                ? ui->list_plugs->currentItem()->data(topicRole).toString()
                                : QString();
    // The plugs heard now, then those heard before that were not yet.
    QList<std::pair<QString, double>> plugs;
    if (plugSession) {
        for (const PlugSession::Plug &plug : plugSession->plugs())
            plugs.append({plug.topic, plug.kWh});
    }
    const std::optional<QHash<QString, double>> stored = PlugReadings::latestCounters(db);
    const QHash<QString, double> before = stored.value_or(QHash<QString, double>());
    for (auto plug = before.cbegin(); plug != before.cend(); ++plug) {
        if (std::none_of(plugs.cbegin(), plugs.cend(),
                         [&plug](const auto &heard) { return heard.first == plug.key(); }))
            plugs.append({plug.key(), plug.value()});
    }
    const std::optional<QHash<QString, QString>> assigned = PlugReadings::assignments(db);
    ui->list_plugs->clear();
    for (const auto &[topic, kWh] : std::as_const(plugs)) {
        const QString appliance = assigned ? assigned->key(topic) : QString();
        auto *item = new QListWidgetItem(plugText(topic, kWh, appliance), ui->list_plugs);
        item->setData(topicRole, topic);
        item->setData(applianceRole, appliance);
        if (topic == current)
            ui->list_plugs->setCurrentItem(item);
    }
    if (!stored || !assigned)
        PageMessage::show(ui->lb_plugMessage,
                          QStringLiteral("The plugs could not be read: the data file is busy in "
                                         "another program or cannot be opened."),
                          PageMessage::Tone::Failure);
    ui->push_assignPlug->setEnabled(ui->list_plugs->currentItem() != nullptr);
}

void MainWindow::on_push_smartPlugs_clicked()
{
    showPage(SmartPlugsPage);
    ui->lb_plugMessage->clear();
    const std::optional<PlugReadings::Broker> broker = PlugReadings::broker(db);
    if (broker) {
        ui->le_brokerAddress->setText(broker->address);
        ui->le_brokerPort->setText(QString::number(broker->port));
        ui->le_brokerUser->setText(broker->user);
        ui->le_brokerPassword->setText(broker->password);
        ui->check_brokerTls->setChecked(broker->tls);
    } else {
        PageMessage::show(ui->lb_plugMessage,
                          QStringLiteral("The broker's settings could not be read."),
                          PageMessage::Tone::Failure);
    }
    ui->lb_brokerStatus->setText(
        QStringLiteral("Broker: ") +
        (plugSession ? plugSession->status() : QStringLiteral("not connected")));
    // While the page is open the plugs are listened to, set up or not.
    if (!plugSession)
        startPlugSession();
    listPlugs();
}

void MainWindow::on_push_connectBroker_clicked()
{
    const PlugReadings::Outcome outcome = PlugReadings::saveBroker(
        db, ui->le_brokerAddress->text(), ui->le_brokerPort->text(), ui->le_brokerUser->text(),
        ui->le_brokerPassword->text(), ui->check_brokerTls->isChecked());
    PageMessage::show(ui->lb_plugMessage, outcome.message, PageMessage::toneOf(outcome.stored));
    if (outcome.stored)
        startPlugSession();
}

void MainWindow::on_list_plugs_currentRowChanged(int row)
{
    QListWidgetItem *item = ui->list_plugs->item(row);
    ui->push_assignPlug->setEnabled(item != nullptr);
    if (item)
        ui->comboBox_plugAppliance->setCurrentIndex(
            std::max(0, ui->comboBox_plugAppliance->findData(item->data(applianceRole))));
}

void MainWindow::on_push_assignPlug_clicked()
{
    QListWidgetItem *item = ui->list_plugs->currentItem();
    if (!item)
        return;
    const QString appliance = ui->comboBox_plugAppliance->currentData().toString();
    if (!PlugReadings::assign(db, item->data(topicRole).toString(), appliance)) {
        PageMessage::show(ui->lb_plugMessage,
                          QStringLiteral("Not stored: the data file is busy or cannot be written. "
                                         "Please try again."),
                          PageMessage::Tone::Failure);
        return;
    }
    const QString topic = item->data(topicRole).toString();
    const std::optional<PlugLogic::Plug> named = PlugLogic::plugOf(topic);
    const QString plug = named ? named->name : topic;
    PageMessage::show(
        ui->lb_plugMessage,
        appliance.isEmpty()
            ? QStringLiteral("%1 measures no appliance now.").arg(plug)
            : QStringLiteral("%1 now measures the %2.").arg(plug, applianceName(appliance)),
        PageMessage::Tone::Success);
    listPlugs();
}

void MainWindow::on_push_smartPlugsBack_clicked()
{
    showPage(SettingsPage);
}

void MainWindow::storePlugCounters()
{
    if (plugSession)
        plugSession->store();
}
