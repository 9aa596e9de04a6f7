// The energy and water calculator: its frame, the electricity and water
// questions that record the day's costs, and the two diaries that read them.
#include "mainwindow.h"
#include "mainwindowui.h"

#include "clock.h"
#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/plugreadings.h"
#include "household/settingslogic.h"
#include "pagemessage.h"

#include "pictures.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTextBrowser>

#include <algorithm>

#include <functional>

using namespace CalculatorLogic;

namespace {

const QString images = QStringLiteral(":/new/prefix1/images/");

void loadPicture(QLabel *label, const QString &fileName)
{
    Pictures::show(label, images + fileName);
}

// The eleven appliances in the Diary's column order. Each room's appliances
// follow each other; the last of a room leads back to the rooms page.
struct Appliance
{
    QPushButton *Ui::MainWindow::*button; // on its room's page
    QComboBox *Ui::MainWindow::*hours;
    QLabel *Ui::MainWindow::*picture;
    QLabel *Ui::MainWindow::*rating; // the power the answer is worked with
    const char *pictureFile;
    MainWindow::CalculatorBodyPage page;
    bool lastOfRoom;
};

const Appliance appliances[] = {
    {&Ui::MainWindow::push_airCon, &Ui::MainWindow::comboBox_airCon,
     &Ui::MainWindow::lb_airConImage, &Ui::MainWindow::lb_airConRating, "ecoCalAirCon.png",
     MainWindow::AirConPage, false},
    {&Ui::MainWindow::push_laptop, &Ui::MainWindow::comboBox_laptop,
     &Ui::MainWindow::lb_laptopImage, &Ui::MainWindow::lb_laptopRating, "ecoCalLaptop.png",
     MainWindow::LaptopPage, false},
    {&Ui::MainWindow::push_fan, &Ui::MainWindow::comboBox_fan, &Ui::MainWindow::lb_fanImage,
     &Ui::MainWindow::lb_fanRating, "ecoCalFan.png", MainWindow::FanPage, true},
    {&Ui::MainWindow::push_lights, &Ui::MainWindow::comboBox_lights,
     &Ui::MainWindow::lb_lightsImage, &Ui::MainWindow::lb_lightsRating, "ecoCalCeilingLights.png",
     MainWindow::LightsPage, false},
    {&Ui::MainWindow::push_dvdPlayer, &Ui::MainWindow::comboBox_dvdPlayer,
     &Ui::MainWindow::lb_dvdPlayerImage, &Ui::MainWindow::lb_dvdPlayerRating, "ecoCalDVDPlayer.png",
     MainWindow::DvdPlayerPage, false},
    {&Ui::MainWindow::push_lcdTv, &Ui::MainWindow::comboBox_lcdTv, &Ui::MainWindow::lb_lcdTv,
     &Ui::MainWindow::lb_lcdTvRating, "ecoCalLcdTv copy.png", MainWindow::LcdTvPage, true},
    {&Ui::MainWindow::push_washingMachine, &Ui::MainWindow::comboBox_washingMachine,
     &Ui::MainWindow::lb_washingMachineImage, &Ui::MainWindow::lb_washingMachineRating,
     "ecoCalwWashingMachine.png", MainWindow::WashingMachinePage, false},
    {&Ui::MainWindow::push_hairDryer, &Ui::MainWindow::comboBox_hairDryer,
     &Ui::MainWindow::lb_hairDryerImage, &Ui::MainWindow::lb_hairDryerRating, "ecoCalHairDryer.png",
     MainWindow::HairDryerPage, true},
    {&Ui::MainWindow::push_microwave, &Ui::MainWindow::comboBox_microwave,
     &Ui::MainWindow::lb_microwaveImage, &Ui::MainWindow::lb_microwaveRating, "ecoCalMicrowave.png",
     MainWindow::MicrowavePage, false},
    {&Ui::MainWindow::push_riceCooker, &Ui::MainWindow::comboBox_riceCooker,
     &Ui::MainWindow::lb_riceCookerImage, &Ui::MainWindow::lb_riceCookerRating,
     "ecoCalRiceCooker.png", MainWindow::RiceCookerPage, false},
    {&Ui::MainWindow::push_refrigerator, &Ui::MainWindow::comboBox_refrigerator,
     &Ui::MainWindow::lb_refrigeratorImage, &Ui::MainWindow::lb_refrigeratorRating,
     "ecoCalRefrigerator.png", MainWindow::RefrigeratorPage, true},
};

enum ApplianceIndex
{
    AirCon,
    Laptop,
    Fan,
    Lights,
    DvdPlayer,
    LcdTv,
    WashingMachine,
    HairDryer,
    Microwave,
    RiceCooker,
    Refrigerator
};

// A day as the calculator names it: "Sunday 6 December", with the year
// when it is not this year's.
QString dayName(const QDate &day)
{
    return day.toString(day.year() == Clock::today().year() ? QStringLiteral("dddd d MMMM")
                                                            : QStringLiteral("dddd d MMMM yyyy"));
}

// What a copy brought: "2 appliances, 1 water activity, a family of 3".
QString copiedText(const CopiedAnswers &copied)
{
    QStringList parts;
    const auto counted = [](int count, const QString &one, const QString &more) {
        return count == 1 ? QStringLiteral("1 %1").arg(one)
                          : QStringLiteral("%1 %2").arg(QString::number(count), more);
    };
    parts.append(
        counted(copied.appliances, QStringLiteral("appliance"), QStringLiteral("appliances")));
    parts.append(counted(copied.activities, QStringLiteral("water activity"),
                         QStringLiteral("water activities")));
    if (!copied.members.isEmpty())
        parts.append(QStringLiteral("a family of %1").arg(copied.members));
    return parts.join(QStringLiteral(", ")) + QStringLiteral(", costed with today's settings");
}

// The rooms page shows a picture of each room under its button.
void loadRoomPictures(Ui::MainWindow *ui)
{
    loadPicture(ui->label, QStringLiteral("toiletHeader.jpg"));
    loadPicture(ui->label_2, QStringLiteral("kitchenHeader.jpg"));
    loadPicture(ui->label_3, QStringLiteral("livingRoomHeader.jpg"));
    loadPicture(ui->label_4, QStringLiteral("bedroomHeader.jpg"));
}

void clearRoomPictures(Ui::MainWindow *ui)
{
    Pictures::clear(ui->label);
    Pictures::clear(ui->label_2);
    Pictures::clear(ui->label_3);
    Pictures::clear(ui->label_4);
}

// An answer that could not be stored keeps its page, and the calculator's
// message line says why until an answer is stored. When the data file cannot
// be used at all, trying again would not help: the line says so instead.
QString unusableDataMessage(const QSqlDatabase &db)
{
    if (db.isOpen() || !db.databaseName().isEmpty())
        return QString();
    const QString path = Database::filePath();
    if (path.isEmpty())
        return QStringLiteral("Your answers cannot be kept: Viridio found no home folder to keep "
                              "its data file in.");
    // Short enough for the message line's three lines with a long home path.
    return QStringLiteral("Your answers cannot be kept: Viridio cannot use %1 and leaves it as it "
                          "is. Move it away and start Viridio again for a new diary.")
        .arg(path);
}

// fields are the settings the answer's cost is worked from: one that is
// stored but not sound is named, since trying again would not help either.
bool showSaved(Ui::MainWindow *ui, const QSqlDatabase &db, bool saved,
               const QList<SettingsLogic::Field> &fields, const QDate &day)
{
    if (saved) {
        ui->lb_calculatorMessage->clear();
        return true;
    }
    QString message = unusableDataMessage(db);
    if (message.isEmpty()) {
        const QString problem = SettingsLogic::storedProblem(db, fields);
        message = problem.isEmpty()
                      ? QStringLiteral("Not saved for %1: %2")
                            .arg(dayName(day), Database::failureText(Database::lastWriteFailure()))
                      : QStringLiteral("Not saved for %1. %2").arg(dayName(day), problem);
    }
    ui->lb_calculatorMessage->setText(message);
    return false;
}

// What an appliance's answer is worked with: "Rated 1500 W", or "6 x 10 W"
// for several; a figure that could not be read is not shown as a figure.
QString ratingText(const QSqlDatabase &db, int index)
{
    const std::optional<int> watts = SettingsLogic::watts(db, index);
    const std::optional<int> count = SettingsLogic::count(db, index);
    if (!watts || !count)
        return QStringLiteral("Power not known");
    if (*count == 1)
        return QStringLiteral("Rated %1 W").arg(*watts);
    return QStringLiteral("%1 \u00d7 %2 W").arg(QString::number(*count), QString::number(*watts));
}

// Whether the household has the appliance: a count of 0 is none. A count
// that could not be read is asked about, and its answer says why it is not
// stored.
bool owned(const QSqlDatabase &db, int index)
{
    return SettingsLogic::count(db, index) != 0;
}

// A room's page shows the appliances the household has.
void showOwnedButtons(Ui::MainWindow *ui, const QSqlDatabase &db)
{
    for (int i = 0; i < int(std::size(appliances)); ++i) {
        if (QPushButton *button = ui->*appliances[i].button)
            button->setVisible(owned(db, i));
    }
}

void openAppliance(MainWindow *window, Ui::MainWindow *ui, const QSqlDatabase &db,
                   ApplianceIndex index)
{
    const Appliance &appliance = appliances[index];
    window->showPage(appliance.page);
    (ui->*appliance.rating)->setText(ratingText(db, index));
    loadPicture(ui->*appliance.picture, QString::fromLatin1(appliance.pictureFile));
}

// An appliance's "Ok!": records the day's cost of the chosen hours and moves
// on to the room's next appliance, or back to the rooms page.
void answerAppliance(MainWindow *window, Ui::MainWindow *ui, const QSqlDatabase &db,
                     ApplianceIndex index)
{
    const Appliance &appliance = appliances[index];
    const double hours = hoursOfChoice((ui->*appliance.hours)->currentText());
    // Neither a tariff nor a power or count that could not be read makes a cost.
    const std::optional<int> watts = SettingsLogic::watts(db, index);
    const std::optional<int> count = SettingsLogic::count(db, index);
    if (!showSaved(
            ui, db,
            watts && count &&
                recordAppliance(db, dayKey(window->recordDay()), index, hours, *watts, *count),
            {SettingsLogic::ElectricityRateField,
             SettingsLogic::Field(SettingsLogic::FirstPowerField + index),
             SettingsLogic::Field(SettingsLogic::FirstCountField + index)},
            window->recordDay()))
        return;
    (ui->*appliance.picture)->clear();

    // The room's next appliance the household has, or the rooms page.
    for (int next = index; !appliances[next].lastOfRoom;) {
        if (owned(db, ++next)) {
            openAppliance(window, ui, db, ApplianceIndex(next));
            return;
        }
    }
    window->showPage(MainWindow::RoomsPage);
    loadRoomPictures(ui);
}

// The water activities in the waterDiary's column order.
enum WaterActivity
{
    TapUse,
    WashingMachineUse,
    DishWashingUse,
    ShowerUse,
    LawnUse,
    ToiletUse
};

// Records a water page's answers (how many uses of each activity) in the
// recorded day's waterDiary row, each use costed with the household's litres
// of it; false (and the message line says so) when they could not be stored.
bool answerWater(MainWindow *window, Ui::MainWindow *ui, const QSqlDatabase &db,
                 const QList<QPair<WaterActivity, double>> &uses, const ColumnValues &plain = {})
{
    QList<WaterAnswer> answers;
    QList<SettingsLogic::Field> fields{SettingsLogic::WaterRateField};
    bool known = true;
    for (const auto &[activity, count] : uses) {
        const std::optional<double> litres = SettingsLogic::litres(db, activity);
        known = known && litres;
        fields.append(SettingsLogic::Field(SettingsLogic::FirstLitresField + activity));
        answers.append({waterColumns().at(activity), count, litres.value_or(0) / 1000});
    }
    const QDate day = window->recordDay();
    return showSaved(ui, db, known && recordWater(db, dayKey(day), answers, plain), fields, day);
}

// The family members a water page answers for: those already stored for the
// day (a quick day's, say), so that an answer given without a look at them
// keeps the day's family; the first choice for a day that has none. While the
// day cannot be read the box is left as it is: the first choice is no more
// the stored family than what the box shows.
void showDayMembers(QComboBox *members, const QSqlDatabase &db, const QDate &day)
{
    const DayAnswers answers = dayAnswers(db, dayKey(day));
    if (!answers.read)
        return;
    const QString text = answers.members ? numberText(*answers.members) : members->itemText(0);
    if (members->findText(text) < 0)
        members->addItem(text);
    members->setCurrentIndex(members->findText(text));
}

QString spentSentence(const QSqlDatabase &db, double total)
{
    return QStringLiteral("You have spent %1.").arg(moneyText(total, SettingsLogic::currency(db)));
}

// A diary that could not be read is not shown as an empty one.
const QString unreadDiaryMessage =
    QStringLiteral("Your diary could not be read: the data file is busy in another program or "
                   "cannot be opened. Open the diary again in a moment.");

const QString emptyDiaryMessage =
    QStringLiteral("You do not have any diary entries yet.\nGo to VozAvavi to create one now.");

// The electricity breakdown: a caption and a value label per appliance, in
// the Diary's column order.
QList<QPair<QLabel *, QLabel *>> electricityBreakdown(Ui::MainWindow *ui)
{
    return {
        {ui->label_18, ui->lb_valOfAirCon},
        {ui->label_21, ui->lb_valOfLaptop},
        {ui->label_23, ui->lb_valOfFan},
        {ui->label_26, ui->lb_valOfLights},
        {ui->label_28, ui->lb_valOfDVDPlayer},
        {ui->label_30, ui->lb_valOfTv},
        {ui->label_32, ui->lb_valOfWashingMachine},
        {ui->label_34, ui->lb_valOfHairDryer},
        {ui->label_36, ui->lb_valOfMicrowave},
        {ui->label_37, ui->lb_valOfRiceCooker},
        {ui->label_40, ui->lb_valOfRefrigerator},
    };
}

// The water breakdown: family members, then the six activities in the
// waterDiary's column order.
QList<QPair<QLabel *, QLabel *>> waterBreakdown(Ui::MainWindow *ui)
{
    return {
        {ui->label_19, ui->lb_noOfFamMem},          {ui->label_22, ui->lb_amtOfTap},
        {ui->label_25, ui->lb_amtOfWashingMachine}, {ui->label_27, ui->lb_amtOfDishWashing},
        {ui->label_29, ui->lb_amtOfShower},         {ui->label_31, ui->lb_amtOfLawn},
        {ui->label_33, ui->lb_amtOfToilet},
    };
}

// Shows or hides a diary's breakdown rows. The day's summary above them
// takes their room while they are hidden, so that it reads whole without
// scrolling, and gives it back when they are shown.
void setBreakdownVisible(QTextBrowser *summary, const QList<QPair<QLabel *, QLabel *>> &rows,
                         bool visible)
{
    const char *const compactHeight = "compactHeight";
    if (!summary->property(compactHeight).isValid())
        summary->setProperty(compactHeight, summary->height());
    int bottom = summary->geometry().bottom();
    for (const auto &[caption, value] : rows) {
        value->setVisible(visible);
        caption->setVisible(visible);
        bottom = std::max({bottom, caption->geometry().bottom(), value->geometry().bottom()});
    }
    summary->resize(summary->width(),
                    visible ? summary->property(compactHeight).toInt() : bottom - summary->y() + 1);
}

// The answers kept for the day of key; none when there are none or they
// could not be read.
DayUse keptUse(const QSqlDatabase &db, const QString &key)
{
    return usageOfDays(db, {key}).value_or(QHash<QString, DayUse>()).value(key);
}

// A cost with what it stood for beside it ("$0.38 · 0.38 kWh") when the
// answer was kept; days recorded before usage was kept show the cost only.
// share turns a kept figure into the household's (a water activity's).
QString costWithUsage(double cost, const QString &sign, const QHash<QString, double> &usage,
                      const QString &column, const QString &unit,
                      const std::function<double(double)> &share = {})
{
    const auto used = usage.constFind(column);
    const double shared = share ? share(cost) : cost;
    if (used == usage.constEnd())
        return moneyText(shared, sign);
    return QStringLiteral("%1 \u00b7 %2")
        .arg(moneyText(shared, sign), usageText(share ? share(*used) : *used, unit));
}

// The day's appliances the household has, own ones included: each built-in
// one in its row of the breakdown, the own ones in the rows of built-in ones
// not listed, as the page is read (down the left column, then the right);
// those beyond the rows follow the day's summary.
void fillElectricityBreakdown(Ui::MainWindow *ui, const QSqlDatabase &db, const QString &key,
                              const ElectricityDay &day)
{
    const QString sign = SettingsLogic::currency(db);
    const QHash<QString, double> usage = keptUse(db, key).items;
    const auto rows = electricityBreakdown(ui);
    const char *const formText = "formText";
    for (const auto &[caption, value] : rows) {
        if (!caption->property(formText).isValid())
            caption->setProperty(formText, caption->text());
        caption->setTextFormat(Qt::PlainText); // an own appliance's name as typed
        caption->setVisible(false);
        value->setVisible(false);
    }
    const std::optional<QList<SettingsLogic::DayItem>> items = SettingsLogic::dayItems(db, day);
    if (!items) {
        ui->txtBrowse_consumptionSumm->setPlainText(unreadDiaryMessage);
        return;
    }
    const auto show = [&](const QPair<QLabel *, QLabel *> &row, const QString &name,
                          const QString &value) {
        row.first->setText(name);
        row.first->setToolTip(name);
        row.second->setText(value);
        row.first->setVisible(true);
        row.second->setVisible(true);
    };
    QList<SettingsLogic::DayItem> own;
    for (const SettingsLogic::DayItem &item : *items) {
        const QString value = costWithUsage(item.cost, sign, usage, item.item, kWhUnit);
        if (item.builtIn >= 0 && item.builtIn < rows.size())
            show(rows.at(item.builtIn), rows.at(item.builtIn).first->property(formText).toString(),
                 value);
        else
            own.append(item);
    }
    auto free = rows;
    free.removeIf(
        [](const auto &row) { return row.first->isVisibleTo(row.first->parentWidget()); });
    std::stable_sort(free.begin(), free.end(), [](const auto &a, const auto &b) {
        return std::pair(a.first->x(), a.first->y()) < std::pair(b.first->x(), b.first->y());
    });
    QStringList beyond;
    for (int i = 0; i < own.size(); ++i) {
        const QString value = costWithUsage(own.at(i).cost, sign, usage, own.at(i).item, kWhUnit);
        if (i < free.size())
            show(free.at(i), own.at(i).name, value);
        else
            beyond.append(QStringLiteral("%1: %2").arg(own.at(i).name, value));
    }
    if (!beyond.isEmpty())
        ui->txtBrowse_consumptionSumm->setPlainText(ui->txtBrowse_consumptionSumm->toPlainText() +
                                                    QLatin1Char('\n') +
                                                    beyond.join(QLatin1Char('\n')));
}

void fillWaterBreakdown(Ui::MainWindow *ui, const QSqlDatabase &db, const QString &key,
                        const WaterDay &day)
{
    const QString sign = SettingsLogic::currency(db);
    const QHash<QString, double> usage = keptUse(db, key).items;
    const auto rows = waterBreakdown(ui);
    rows.at(0).second->setText(numberText(day.members));
    // The rows are the household's, so that they add up to its total.
    for (int i = 0; i < int(day.costs.size()); ++i)
        rows.at(i + 1).second->setText(
            costWithUsage(day.costs[i], sign, usage, waterColumns().at(i), litreUnit,
                          [&](double kept) { return householdWater(i, kept, day.members); }));
}

// The day's summary: what was spent and, for a day whose answers were kept,
// how much was used, what the smart plugs measured and the answers given
// (hours, minutes, uses); then each own
// appliance recorded that day with its cost, kWh and hours, as the household
// named it.
QString daySummary(const QSqlDatabase &db, double total, const QString &key, bool water,
                   const OwnCosts &own = {})
{
    QString summary = spentSentence(db, total);
    const DayUse kept = keptUse(db, key);
    const std::optional<double> used = water ? kept.litres : kept.kWh;
    if (used)
        summary +=
            QStringLiteral(" You used %1.").arg(usageText(*used, water ? litreUnit : kWhUnit));
    // What the smart plugs measured that day, beside the diary's figures.
    if (!water)
        summary += PlugReadings::daySentence(db, dateOfKey(key), kept.items);
    // The answers behind the figures, in column order: "laptop 3 h, lights 5 h".
    const QStringList &columns = water ? waterColumns() : applianceColumns();
    static const QStringList waterNames = {
        QStringLiteral("tap"),    QStringLiteral("washing machine"),
        QStringLiteral("dishes"), QStringLiteral("shower"),
        QStringLiteral("lawn"),   QStringLiteral("toilet"),
    };
    QStringList answers;
    for (int i = 0; i < columns.size(); ++i) {
        const double amount = kept.amounts.value(columns.at(i));
        if (amount > 0)
            answers.append((water ? waterNames.at(i) : applianceNames().at(i)) + QLatin1Char(' ') +
                           answerText(columns.at(i), amount));
    }
    if (!answers.isEmpty())
        summary += QStringLiteral("\nAnswers: ") + answers.join(QStringLiteral(", "));
    const QString sign = SettingsLogic::currency(db);
    const QList<OwnAppliance> appliances =
        own.isEmpty() ? QList<OwnAppliance>()
                      : ownAppliances(db, true).value_or(QList<OwnAppliance>());
    for (const OwnAppliance &appliance : appliances) {
        const auto cost = own.constFind(appliance.id);
        if (cost == own.constEnd())
            continue;
        const QString item = ownItem(appliance.id);
        summary +=
            QLatin1Char('\n') + appliance.name + QStringLiteral(": ") + moneyText(*cost, sign);
        if (kept.items.contains(item))
            summary += QStringLiteral(" \u00b7 ") + usageText(kept.items.value(item), kWhUnit);
        if (kept.amounts.contains(item))
            summary += QStringLiteral(" \u00b7 ") + answerText(item, kept.amounts.value(item));
    }
    return summary;
}

// Lists a diary's stored days in its date chooser and shows the latest day.
// Clearing the chooser shows no day. The chooser holds plain texts
// in a string list model: thousands of days cost one model reset, not an item
// and an insertion each.
void listDays(QComboBox *dates, const QStringList &days)
{
    dates->clear();
    auto *model = qobject_cast<QStringListModel *>(dates->model());
    if (!model) {
        model = new QStringListModel(dates);
        dates->setModel(model);
    }
    // In date order, the latest last; a key that is no date after them all,
    // as stored.
    QList<QPair<QDate, QString>> dated;
    dated.reserve(days.size());
    for (const QString &day : days)
        dated.append({dateOfKey(day), day});
    std::stable_sort(dated.begin(), dated.end(), [](const auto &a, const auto &b) {
        if (a.first.isValid() != b.first.isValid())
            return a.first.isValid();
        return a.first < b.first;
    });
    QStringList ordered;
    ordered.reserve(dated.size());
    int latest = -1;
    for (const auto &[date, day] : std::as_const(dated)) {
        if (date.isValid())
            latest = int(ordered.size());
        ordered.append(day);
    }
    // The first day shown is the latest: the list is set without signals.
    {
        const QSignalBlocker quiet(dates);
        model->setStringList(ordered);
        dates->setCurrentIndex(-1);
    }
    if (!ordered.isEmpty())
        dates->setCurrentIndex(std::max(latest, 0));
}

} // namespace

// Frame ---------------------------------------------------------------------

void MainWindow::on_push_ecoCal_clicked()
{
    showPage(IntroPage);
    ui->lb_calculatorMessage->setText(unusableDataMessage(db));
    loadPicture(ui->lb_ecoCalMainPageImage, QStringLiteral("vozAvavi_mainPageImage.png"));
}

// The white card behind the introduction belongs to it alone: the other
// inner pages bring their own.
void MainWindow::on_stackWid_ecoCalBody_currentChanged(int index)
{
    ui->lb_ecoCalBody->setVisible(index == IntroPage);
    showRecordDay(CalculatorBodyPage(index));
}

void MainWindow::on_push_ecoCalHomeButton_clicked()
{
    Pictures::clear(ui->lb_ecoCalMainPageImage);
    showPage(MainMenuPage);
}

void MainWindow::on_push_vozAvaviButton_clicked()
{
    ui->lb_calculatorMessage->setText(unusableDataMessage(db));
    Pictures::clear(ui->lb_ecoCalMainPageImage);
    Pictures::clear(ui->lb_tipsImage);
    Pictures::clear(ui->lb_tipsImage_2);
    showPage(EntryChoicePage);
    // No day after today can be chosen; the chooser shows the day being
    // recorded, today once a choice has lapsed.
    const QDate day = recordDay();
    const QSignalBlocker quiet(ui->date_recordDay);
    ui->date_recordDay->setMaximumDate(Clock::today());
    ui->date_recordDay->setDate(day);
    ui->lb_recordDayMessage->clear();
    ui->push_replaceDayAnswers->hide();
}

QDate MainWindow::recordDay() const
{
    if (!chosenRecordDay.isValid() || recordDayChosenOn != Clock::today() ||
        chosenRecordDay > Clock::today())
        return Clock::today();
    return chosenRecordDay;
}

void MainWindow::forgetRecordDay()
{
    chosenRecordDay = QDate();
    recordDayChosenOn = QDate();
    if (!ui->date_recordDay)
        return;
    const QSignalBlocker quiet(ui->date_recordDay);
    ui->date_recordDay->setMaximumDate(Clock::today());
    ui->date_recordDay->setDate(Clock::today());
}

void MainWindow::on_date_recordDay_dateChanged(const QDate &date)
{
    chosenRecordDay = date;
    recordDayChosenOn = Clock::today();
    // A question about replacing belongs to the day it was asked for.
    ui->lb_recordDayMessage->clear();
    ui->push_replaceDayAnswers->hide();
}

void MainWindow::showRecordDay(CalculatorBodyPage page)
{
    const bool question =
        (page >= RoomsPage && page <= RefrigeratorPage) || (page >= TapPage && page <= LawnPage);
    ui->lb_recordingDay->setVisible(question);
    if (!question)
        return;
    const QString day = dayName(recordDay());
    ui->lb_recordingDay->setText(QStringLiteral("Recording for %1").arg(day));
    // The answers' names say "today" in the forms: they name the day instead.
    for (QWidget *answer : ui->stackWid_ecoCalBody->widget(page)->findChildren<QWidget *>()) {
        QVariant formName = answer->property("formAccessibleName");
        if (!formName.isValid()) {
            if (!answer->accessibleName().endsWith(QLatin1String(" today")))
                continue;
            formName = answer->accessibleName().chopped(6);
            answer->setProperty("formAccessibleName", formName);
        }
        answer->setAccessibleName(QStringLiteral("%1 for %2").arg(formName.toString(), day));
    }
}

void MainWindow::on_push_sameAsLastDay_clicked()
{
    const std::optional<bool> answered = dayHasAnswers(db, dayKey(recordDay()));
    if (answered.value_or(false)) {
        // Answers already given are never merged nor replaced unasked.
        const QDate source = lastAnsweredDay(db, recordDay());
        if (source.isValid()) {
            PageMessage::show(
                ui->lb_recordDayMessage,
                QStringLiteral("%1 already has answers. Replace them all with those of %2?")
                    .arg(dayName(recordDay()), dayName(source)),
                PageMessage::Tone::Plain);
            ui->push_replaceDayAnswers->show();
            return;
        }
    }
    copyLastDay(answered.has_value());
}

void MainWindow::on_push_replaceDayAnswers_clicked()
{
    ui->push_replaceDayAnswers->hide();
    copyLastDay(true);
}

void MainWindow::copyLastDay(bool read)
{
    const QDate day = recordDay();
    const QDate source = lastAnsweredDay(db, day);
    if (!source.isValid()) {
        PageMessage::show(ui->lb_recordDayMessage,
                          QStringLiteral("No day before %1 has answers to copy.").arg(dayName(day)),
                          PageMessage::Tone::Failure);
        return;
    }
    ApplianceFigures watts;
    ApplianceFigures counts;
    for (int i = 0; i < int(watts.size()); ++i) {
        watts[i] = SettingsLogic::watts(db, i);
        counts[i] = SettingsLogic::count(db, i);
    }
    WaterFactors factors;
    for (int i = 0; i < int(factors.size()); ++i) {
        if (const std::optional<double> litres = SettingsLogic::litres(db, i))
            factors[i] = *litres / 1000;
    }
    const std::optional<CopiedAnswers> copied =
        read ? copyAnswers(db, dayKey(source), dayKey(day), watts, counts, factors) : std::nullopt;
    if (!copied) {
        const Database::WriteFailure failure =
            read ? Database::lastWriteFailure() : Database::WriteFailure::Busy;
        PageMessage::show(
            ui->lb_recordDayMessage,
            failure == Database::WriteFailure::None
                ? QStringLiteral("Nothing was copied: a setting cannot be read. Please try again.")
                : QStringLiteral("Nothing was copied: ") + Database::failureText(failure),
            PageMessage::Tone::Failure);
        return;
    }
    PageMessage::show(ui->lb_recordDayMessage,
                      QStringLiteral("%1 now has the answers of %2: %3.")
                          .arg(dayName(day), dayName(source), copiedText(*copied)),
                      PageMessage::Tone::Success);
}

void MainWindow::on_push_zadUvedoButton_clicked()
{
    ui->lb_calculatorMessage->setText(unusableDataMessage(db));
    Pictures::clear(ui->lb_ecoCalMainPageImage);
    Pictures::clear(ui->lb_tipsImage);
    Pictures::clear(ui->lb_tipsImage_2);
    showPage(DiaryChoicePage);
}

// Electricity: rooms and appliances ------------------------------------------

void MainWindow::on_push_vozAvaviElectricityIcon_clicked()
{
    showPage(RoomsPage);
    loadRoomPictures(ui);
}

void MainWindow::on_push_bedroom_clicked()
{
    showPage(BedroomPage);
    clearRoomPictures(ui);
    showOwnedButtons(ui, db);
}

void MainWindow::on_push_livingRoom_clicked()
{
    showPage(LivingRoomPage);
    clearRoomPictures(ui);
    showOwnedButtons(ui, db);
}

void MainWindow::on_push_toilet_clicked()
{
    showPage(ToiletRoomPage);
    clearRoomPictures(ui);
    showOwnedButtons(ui, db);
}

void MainWindow::on_push_kitchen_clicked()
{
    showPage(KitchenPage);
    clearRoomPictures(ui);
    showOwnedButtons(ui, db);
}

void MainWindow::on_push_airCon_clicked()
{
    openAppliance(this, ui, db, AirCon);
}

void MainWindow::on_push_laptop_clicked()
{
    openAppliance(this, ui, db, Laptop);
}

void MainWindow::on_push_fan_clicked()
{
    openAppliance(this, ui, db, Fan);
}

void MainWindow::on_push_lights_clicked()
{
    openAppliance(this, ui, db, Lights);
}

void MainWindow::on_push_dvdPlayer_clicked()
{
    openAppliance(this, ui, db, DvdPlayer);
}

void MainWindow::on_push_lcdTv_clicked()
{
    openAppliance(this, ui, db, LcdTv);
}

void MainWindow::on_push_washingMachine_clicked()
{
    openAppliance(this, ui, db, WashingMachine);
}

void MainWindow::on_push_hairDryer_clicked()
{
    openAppliance(this, ui, db, HairDryer);
}

void MainWindow::on_push_microwave_clicked()
{
    openAppliance(this, ui, db, Microwave);
}

void MainWindow::on_push_riceCooker_clicked()
{
    openAppliance(this, ui, db, RiceCooker);
}

void MainWindow::on_push_refrigerator_clicked()
{
    openAppliance(this, ui, db, Refrigerator);
}

void MainWindow::on_push_airConOK_clicked()
{
    answerAppliance(this, ui, db, AirCon);
}

void MainWindow::on_push_laptopOK_clicked()
{
    answerAppliance(this, ui, db, Laptop);
}

void MainWindow::on_push_fanOK_clicked()
{
    answerAppliance(this, ui, db, Fan);
}

void MainWindow::on_push_lightsOK_clicked()
{
    answerAppliance(this, ui, db, Lights);
}

void MainWindow::on_push_dvdPlayerOK_clicked()
{
    answerAppliance(this, ui, db, DvdPlayer);
}

void MainWindow::on_push_lcdTvOK_clicked()
{
    answerAppliance(this, ui, db, LcdTv);
}

void MainWindow::on_push_washingMachineOK_clicked()
{
    answerAppliance(this, ui, db, WashingMachine);
}

void MainWindow::on_push_hairDryerOK_clicked()
{
    answerAppliance(this, ui, db, HairDryer);
}

void MainWindow::on_push_microwaveOK_clicked()
{
    answerAppliance(this, ui, db, Microwave);
}

void MainWindow::on_push_riceCookerOK_clicked()
{
    answerAppliance(this, ui, db, RiceCooker);
}

void MainWindow::on_push_refrigeratorOK_clicked()
{
    answerAppliance(this, ui, db, Refrigerator);
}

// Water questions ------------------------------------------------------------

void MainWindow::on_push_vozAvaviWaterIcon_clicked()
{
    showPage(TapPage);
    showDayMembers(ui->comboBox_familyMem, db, recordDay());
    loadPicture(ui->lb_tapIconImage, QStringLiteral("tapicon.png"));
}

void MainWindow::on_push_tapOK_clicked()
{
    const double minutes = readNumber(ui->le_tapAmt->text());
    const double members = readNumber(ui->comboBox_familyMem->currentText());
    if (!answerWater(this, ui, db, {{TapUse, minutes}},
                     {{QStringLiteral("noOfFamilyMem"), numberText(members)}}))
        return;
    Pictures::clear(ui->lb_tapIconImage);
    showPage(WaterWashingMachinePage);
    loadPicture(ui->lb_washingMachineIconImageWater, QStringLiteral("washingMachine.jpg"));
}

void MainWindow::on_push_washingMachineWaterOK_clicked()
{
    const double uses = readNumber(ui->comboBox_washingMachineWater->currentText());
    if (!answerWater(this, ui, db, {{WashingMachineUse, uses}}))
        return;
    Pictures::clear(ui->lb_washingMachineIconImageWater);
    showPage(DishWashingPage);
    loadPicture(ui->lb_dishWashingImage, QStringLiteral("dishWashing.jpg"));
}

void MainWindow::on_push_dishWashingWaterOK_clicked()
{
    const double washes = readNumber(ui->comboBox_dishWashingWater->currentText());
    if (!answerWater(this, ui, db, {{DishWashingUse, washes}}))
        return;
    Pictures::clear(ui->lb_dishWashingImage);
    showPage(ShowerAndToiletPage);
    loadPicture(ui->lb_showerImage, QStringLiteral("showerIcon.png"));
    loadPicture(ui->lb_toiletImage, QStringLiteral("icon_toilet.gif"));
}

void MainWindow::on_push_showerNtoiletOK_clicked()
{
    const double showers = readNumber(ui->comboBox_showerWater->currentText());
    const double flushes = readNumber(ui->comboBox_toiletWater->currentText());
    if (!answerWater(this, ui, db, {{ShowerUse, showers}, {ToiletUse, flushes}}))
        return;
    Pictures::clear(ui->lb_showerImage);
    Pictures::clear(ui->lb_toiletImage);
    showPage(LawnPage);
    loadPicture(ui->lb_lawnImage, QStringLiteral("lawn.jpg"));
}

void MainWindow::on_push_lawnOK_clicked()
{
    const double waterings = readNumber(ui->comboBox_lawnWater->currentText());
    if (!answerWater(this, ui, db, {{LawnUse, waterings}}))
        return;
    Pictures::clear(ui->lb_lawnImage);
    showPage(DiaryChoicePage);
    loadPicture(ui->lb_zadUvedoBackground, QStringLiteral("diaryBackground.png"));
}

// Electricity diary -----------------------------------------------------------

void MainWindow::on_push_viewElecDiary_clicked()
{
    storePlugCounters();
    showPage(ElectricityDiaryPage);
    loadPicture(ui->lb_tipsImage, QStringLiteral("vozAvavi_tips.png"));
    setBreakdownVisible(ui->txtBrowse_consumptionSumm, electricityBreakdown(ui), false);
    elecBreakdownShown = false;

    const std::optional<QStringList> days =
        storedDays(db, QStringLiteral("Diary"), QStringLiteral("retrieveDate"));
    listDays(ui->comboBox_zadUvedoDate, days.value_or(QStringList()));
    if (!days)
        ui->txtBrowse_consumptionSumm->setPlainText(unreadDiaryMessage);
}

void MainWindow::on_comboBox_zadUvedoDate_currentIndexChanged(const QString &)
{
    ui->push_zadUvedoViewAllData->show();
    const ElectricityDay day = electricityDay(db, ui->comboBox_zadUvedoDate->currentText());
    if (!day.read)
        ui->txtBrowse_consumptionSumm->setPlainText(unreadDiaryMessage);
    if (!day.found)
        return;
    ui->txtBrowse_consumptionSumm->setPlainText(daySummary(db, electricityTotal(day.costs, day.own),
                                                           ui->comboBox_zadUvedoDate->currentText(),
                                                           false, day.own));

    const QStringList tips = tipsFor(day.costs, applianceTipNames(),
                                     [this](const QString &name) { return randomTip(db, name); });
    // One paragraph a tip, shown as the plain text it is stored as.
    QStringList paragraphs;
    for (const QString &tip : tips)
        paragraphs.append(QLatin1Char(' ') + tip);
    ui->txtBrowse_tips->setPlainText(paragraphs.join(QLatin1Char('\n')));
    // The reader starts with the first tip.
    ui->txtBrowse_tips->verticalScrollBar()->setValue(0);

    // A breakdown on screen belongs to the day on screen.
    if (elecBreakdownShown)
        fillElectricityBreakdown(ui, db, ui->comboBox_zadUvedoDate->currentText(), day);
}

void MainWindow::on_push_zadUvedoViewAllData_clicked()
{
    const ElectricityDay day = electricityDay(db, ui->comboBox_zadUvedoDate->currentText());
    if (!day.found) {
        ui->txtBrowse_tips->setPlainText(day.read ? emptyDiaryMessage : unreadDiaryMessage);
        return;
    }
    ui->txtBrowse_consumptionSumm->setPlainText(daySummary(db, electricityTotal(day.costs, day.own),
                                                           ui->comboBox_zadUvedoDate->currentText(),
                                                           false, day.own));
    setBreakdownVisible(ui->txtBrowse_consumptionSumm, electricityBreakdown(ui), true);
    fillElectricityBreakdown(ui, db, ui->comboBox_zadUvedoDate->currentText(), day);
    ui->push_zadUvedoViewAllData->hide();
    elecBreakdownShown = true;
}

// Water diary ---------------------------------------------------------------

void MainWindow::on_push_viewWaterDiary_clicked()
{
    showPage(WaterDiaryPage);
    loadPicture(ui->lb_tipsImage_2, QStringLiteral("vozAvavi_tips.png"));
    setBreakdownVisible(ui->txtBrowse_consumptionSumm_water, waterBreakdown(ui), false);
    waterBreakdownShown = false;

    const std::optional<QStringList> days =
        storedDays(db, QStringLiteral("waterDiary"), QStringLiteral("waterRetrieveDate"));
    listDays(ui->comboBox_zadUvedoDate_water, days.value_or(QStringList()));
    if (!days)
        ui->txtBrowse_consumptionSumm_water->setPlainText(unreadDiaryMessage);
}

void MainWindow::on_comboBox_zadUvedoDate_water_currentIndexChanged(const QString &)
{
    ui->push_zadUvedoViewAllData_water->show();
    const WaterDay day = waterDay(db, ui->comboBox_zadUvedoDate_water->currentText());
    if (!day.read)
        ui->txtBrowse_consumptionSumm_water->setPlainText(unreadDiaryMessage);
    if (!day.found)
        return;
    ui->txtBrowse_consumptionSumm_water->setPlainText(
        daySummary(db, waterTotal(day.members, day.costs),
                   ui->comboBox_zadUvedoDate_water->currentText(), true));

    const QStringList tips = tipsFor(day.costs, waterTipNames(), [this](const QString &name) {
        return randomWaterTip(db, name);
    });
    // One paragraph a tip, shown as the plain text it is stored as.
    QStringList paragraphs;
    for (const QString &tip : tips)
        paragraphs.append(QLatin1Char(' ') + tip);
    ui->txtBrowse_tips_water->setPlainText(paragraphs.join(QLatin1Char('\n')));
    // The reader starts with the first tip.
    ui->txtBrowse_tips_water->verticalScrollBar()->setValue(0);

    // A breakdown on screen belongs to the day on screen.
    if (waterBreakdownShown)
        fillWaterBreakdown(ui, db, ui->comboBox_zadUvedoDate_water->currentText(), day);
}

void MainWindow::on_push_zadUvedoViewAllData_water_clicked()
{
    const WaterDay day = waterDay(db, ui->comboBox_zadUvedoDate_water->currentText());
    if (!day.found) {
        ui->txtBrowse_tips_water->setPlainText(day.read ? emptyDiaryMessage : unreadDiaryMessage);
        return;
    }
    ui->txtBrowse_consumptionSumm_water->setPlainText(
        daySummary(db, waterTotal(day.members, day.costs),
                   ui->comboBox_zadUvedoDate_water->currentText(), true));
    setBreakdownVisible(ui->txtBrowse_consumptionSumm_water, waterBreakdown(ui), true);
    fillWaterBreakdown(ui, db, ui->comboBox_zadUvedoDate_water->currentText(), day);
    ui->push_zadUvedoViewAllData_water->hide();
    waterBreakdownShown = true;
}
