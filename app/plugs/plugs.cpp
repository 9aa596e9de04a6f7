// The smart plugs page, reached from the settings page: the broker the plugs
// publish to, the plugs heard, and which appliance each one measures. The
// broker and the assignments are stored by household/plugreadings; the
// connection is the PlugSession's.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/plugreadings.h"
#include "household/settingslogic.h"
#include "household/typednumber.h"
#include "pagemessage.h"
#include "plugs/plugsession.h"

namespace {

constexpr int topicRole = Qt::UserRole;
constexpr int applianceRole = Qt::UserRole + 1;

// A plug's two lines in the list: its name as its topic gives it and its
// family, then its latest counter and the appliance it measures.
QString plugText(const PlugSession::Plug &device, const QHash<QString, QString> &appliances)
{
    const std::optional<PlugLogic::Plug> plug = PlugLogic::plugOf(device.topic);
    QString text =
        plug ? QStringLiteral("%1 (%2)\n   %3")
                   .arg(plug->name, PlugLogic::familyName(plug->family),
                        device.kWh ? PlugReadings::counterText(*device.kWh) + QStringLiteral(" kWh")
                                   : QStringLiteral("no counter yet"))
             : device.topic;
    if (!device.appliance.isEmpty())
        text += QStringLiteral("   \u2192 ") + appliances.value(device.appliance);
    return text;
}

// The plug's name as the household reads it.
QString plugName(const QString &topic)
{
    const std::optional<PlugLogic::Plug> named = PlugLogic::plugOf(topic);
    return named ? named->name : topic;
}

// What each family needs before its plugs are heard.
const QString hint =
    QStringLiteral("No plug heard in a minute: Shelly needs MQTT on in its own settings, "
                   "Tasmota a TelePeriod, Zigbee2MQTT energy reporting.");

// Why the last write to the data file failed, in the household's words.
QString notWritten()
{
    const Database::WriteFailure failure = Database::lastWriteFailure();
    return failure == Database::WriteFailure::None
               ? QStringLiteral("Not stored: the data file is busy or cannot be written. "
                                "Please try again.")
               : QStringLiteral("Not stored: ") + Database::failureText(failure);
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
            showPlugHint();
        });
        connect(plugSession, &PlugSession::plugHeard, this, &MainWindow::showPlug);
        connect(plugSession, &PlugSession::plugGone, this, &MainWindow::dropPlug);
        connect(plugSession, &PlugSession::counterRefused, this, [this](const QString &text) {
            if (ui->lb_plugMessage)
                PageMessage::show(ui->lb_plugMessage, text, PageMessage::Tone::Failure);
        });
    }
    plugSession->start(*broker);
}

void MainWindow::showPlugHint()
{
    QLabel *message = ui->lb_plugMessage;
    if (!message || !plugSession)
        return;
    if (plugSession->isSilent())
        PageMessage::show(message, hint, PageMessage::Tone::Plain);
    else if (!plugSession->isSilent() && message->text() == hint)
        message->clear();
}

void MainWindow::preparePlugsPage()
{
    ui->list_plugs->setUniformItemSizes(true);
}

void MainWindow::listPlugAppliances()
{
    QComboBox *combo = ui->comboBox_plugAppliance;
    combo->clear();
    combo->addItem(QStringLiteral("No appliance"), QString());
    plugAppliances.clear();
    const std::optional<QList<PlugReadings::Appliance>> all = PlugReadings::appliances(db);
    const std::optional<QList<PlugReadings::Appliance>> kept = PlugReadings::appliances(db, false);
    const std::optional<QHash<QString, QString>> assigned = PlugReadings::assignments(db);
    if (!all || !kept || !assigned) {
        PageMessage::show(ui->lb_plugMessage,
                          QStringLiteral("The appliances could not be read: the data file is busy "
                                         "in another program or cannot be opened."),
                          PageMessage::Tone::Failure);
        return;
    }
    for (const PlugReadings::Appliance &appliance : *all)
        plugAppliances.insert(appliance.key, appliance.name);
    QSet<QString> current;
    for (const PlugReadings::Appliance &appliance : *kept)
        current.insert(appliance.key);
    // The appliances the household has (a built-in one counted 0 it has not),
    // and any a plug measures.
    for (int i = 0; i < all->size(); ++i) {
        const PlugReadings::Appliance &appliance = all->at(i);
        const bool builtIn = i < SettingsLogic::applianceCount;
        const bool has =
            builtIn ? SettingsLogic::count(db, i).value_or(1) > 0 : current.contains(appliance.key);
        if (!has && !assigned->contains(appliance.key))
            continue;
        QString name = appliance.name;
        if (builtIn)
            name[0] = name.at(0).toUpper();
        combo->addItem(name, appliance.key);
    }
}

void MainWindow::showPlug(const QString &topic)
{
    if (!ui->list_plugs || !plugSession)
        return;
    const auto device = plugSession->plugs().constFind(topic);
    if (device == plugSession->plugs().cend())
        return;
    QListWidgetItem *&item = plugItems[topic];
    if (!item) {
        item = new QListWidgetItem(ui->list_plugs);
        item->setData(topicRole, topic);
    }
    item->setText(plugText(*device, plugAppliances));
    item->setData(applianceRole, device->appliance);
}

void MainWindow::dropPlug(const QString &topic)
{
    delete plugItems.take(topic);
    if (topic == plugToForget)
        plugToForget.clear();
    const bool chosen = ui->list_plugs && ui->list_plugs->currentItem();
    if (ui->push_assignPlug)
        ui->push_assignPlug->setEnabled(chosen);
    if (ui->push_forgetPlug)
        ui->push_forgetPlug->setEnabled(chosen);
}

void MainWindow::listPlugs()
{
    const QString current = ui->list_plugs->currentItem()
                                ? ui->list_plugs->currentItem()->data(topicRole).toString()
                                : QString();
    ui->list_plugs->clear();
    plugItems.clear();
    if (plugSession) {
        // The assigned plugs first, then the devices heard, each by topic.
        QList<const PlugSession::Plug *> devices;
        for (const PlugSession::Plug &device : plugSession->plugs())
            devices.append(&device);
        std::sort(devices.begin(), devices.end(), [](const auto *a, const auto *b) {
            return std::pair(a->appliance.isEmpty(), a->topic) <
                   std::pair(b->appliance.isEmpty(), b->topic);
        });
        for (const PlugSession::Plug *device : std::as_const(devices))
            showPlug(device->topic);
        if (plugSession->readFailed())
            PageMessage::show(ui->lb_plugMessage,
                              QStringLiteral("The plugs could not be read: the data file is busy "
                                             "in another program or cannot be opened."),
                              PageMessage::Tone::Failure);
    }
    if (QListWidgetItem *item = plugItems.value(current))
        ui->list_plugs->setCurrentItem(item);
    ui->push_assignPlug->setEnabled(ui->list_plugs->currentItem() != nullptr);
    ui->push_forgetPlug->setEnabled(ui->list_plugs->currentItem() != nullptr);
}

void MainWindow::on_push_smartPlugs_clicked()
{
    showPage(SmartPlugsPage);
    ui->lb_plugMessage->clear();
    listPlugAppliances();
    plugToForget.clear();
    const std::optional<PlugReadings::Broker> broker = PlugReadings::broker(db);
    const std::optional<double> most = PlugReadings::mostKW(db);
    if (broker && most) {
        ui->le_brokerAddress->setText(broker->address);
        ui->le_brokerPort->setText(QString::number(broker->port));
        ui->le_brokerUser->setText(broker->user);
        ui->le_brokerPassword->setText(broker->password);
        ui->check_brokerTls->setChecked(broker->tls);
        ui->le_plugMostKW->setText(TypedNumber::shown(PlugReadings::counterText(*most)));
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
    showPlugHint();
}

void MainWindow::on_push_connectBroker_clicked()
{
    PlugReadings::Outcome outcome = PlugReadings::saveMostKW(db, ui->le_plugMostKW->text());
    if (outcome.stored)
        outcome = PlugReadings::saveBroker(
            db, ui->le_brokerAddress->text(), ui->le_brokerPort->text(), ui->le_brokerUser->text(),
            ui->le_brokerPassword->text(), ui->check_brokerTls->isChecked());
    PageMessage::show(ui->lb_plugMessage, outcome.message, PageMessage::toneOf(outcome.stored));
    if (!outcome.stored)
        return;
    startPlugSession();
    if (plugSession)
        plugSession->setMostKW(PlugReadings::mostKW(db).value_or(PlugReadings::defaultMostKW));
}

void MainWindow::on_list_plugs_currentRowChanged(int row)
{
    QListWidgetItem *item = ui->list_plugs->item(row);
    plugToForget.clear();
    ui->push_assignPlug->setEnabled(item != nullptr);
    ui->push_forgetPlug->setEnabled(item != nullptr);
    if (item)
        ui->comboBox_plugAppliance->setCurrentIndex(
            std::max(0, ui->comboBox_plugAppliance->findData(item->data(applianceRole))));
}

void MainWindow::on_push_assignPlug_clicked()
{
    QListWidgetItem *item = ui->list_plugs->currentItem();
    if (!item || !plugSession)
        return;
    const QString topic = item->data(topicRole).toString();
    const QString appliance = ui->comboBox_plugAppliance->currentData().toString();
    if (!plugSession->assign(topic, appliance)) {
        PageMessage::show(ui->lb_plugMessage, notWritten(), PageMessage::Tone::Failure);
        return;
    }
    PageMessage::show(ui->lb_plugMessage,
                      appliance.isEmpty()
                          ? QStringLiteral("%1 measures no appliance now.").arg(plugName(topic))
                          : QStringLiteral("%1 now measures the %2.")
                                .arg(plugName(topic), plugAppliances.value(appliance)),
                      PageMessage::Tone::Success);
}

void MainWindow::on_push_forgetPlug_clicked()
{
    QListWidgetItem *item = ui->list_plugs->currentItem();
    if (!item || !plugSession)
        return;
    const QString topic = item->data(topicRole).toString();
    const QString appliance = item->data(applianceRole).toString();
    if (!appliance.isEmpty() && plugToForget != topic) {
        plugToForget = topic;
        PageMessage::show(
            ui->lb_plugMessage,
            QStringLiteral("Forget %1? It measures the %2; its assignment and every counter "
                           "stored of it will be removed for good. Tap Forget again to do so.")
                .arg(plugName(topic), plugAppliances.value(appliance)),
            PageMessage::Tone::Plain);
        return;
    }
    plugToForget.clear();
    if (!plugSession->forget(topic)) {
        PageMessage::show(ui->lb_plugMessage, notWritten(), PageMessage::Tone::Failure);
        return;
    }
    PageMessage::show(
        ui->lb_plugMessage,
        appliance.isEmpty()
            ? QStringLiteral("%1 is off the list until it is heard again.").arg(plugName(topic))
            : QStringLiteral("%1 is forgotten, with its counters.").arg(plugName(topic)),
        PageMessage::Tone::Success);
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
