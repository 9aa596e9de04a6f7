// The quick day: every appliance the household owns (its own ones too) and every water use of
// the day being recorded on one page, each with its answer, filled in from
// the day's own answers or else from the same weekday a week before (or the
// latest earlier recorded day, when that weekday was not recorded), and
// stored in one go (the Diary, waterDiary and DayUsage rows, through
// CalculatorLogic).
#include "mainwindow.h"
#include "mainwindowui.h"

#include "data/database.h"
#include "household/calculatorlogic.h"
#include "household/settingslogic.h"
#include "pagemessage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>
#include <QStringListModel>

using namespace CalculatorLogic;

namespace {

// A row's answer box carries the item it answers (a Diary or waterDiary
// column, or the family members) in this property.
const char *const itemProperty = "quickDayItem";
const QString membersItem = QStringLiteral("noOfFamilyMem");

// The answer box's height and its text: a finger's width.
constexpr int rowHeight = 40;
constexpr int answerPointSize = 13;
constexpr int captionPointSize = 11;

// The hours an appliance's box offers, as the room pages offer them.
const QStringList &hourChoices()
{
    static const QStringList choices = [] {
        QStringList all = {QStringLiteral("N.A"), QStringLiteral("15 min"),
                           QStringLiteral("30 min"), QStringLiteral("45 min")};
        for (int hour = 1; hour <= 24; ++hour)
            all.append(QString::number(hour));
        return all;
    }();
    return choices;
}

// The counts a water box offers: "N.A" and 1 to most.
QStringList countChoices(int most)
{
    QStringList all{QStringLiteral("N.A")};
    for (int count = 1; count <= most; ++count)
        all.append(QString::number(count));
    return all;
}

const QStringList &tapChoices()
{
    static const QStringList choices = {
        QStringLiteral("N.A"), QStringLiteral("1"),  QStringLiteral("2"),  QStringLiteral("3"),
        QStringLiteral("4"),   QStringLiteral("5"),  QStringLiteral("8"),  QStringLiteral("10"),
        QStringLiteral("15"),  QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("45"),
        QStringLiteral("60"),
    };
    return choices;
}

// The text a box shows for an amount: its choice when it offers one
// (0 is "N.A", a quarter of an hour "15 min"), else the number itself.
QString choiceOf(double amount, const QStringList &choices)
{
    for (const QString &choice : choices) {
        if (hoursOfChoice(choice) == amount)
            return choice;
    }
    return numberText(amount);
}

// The water questions in the waterDiary's column order: what the row asks
// and the most a box offers.
struct WaterQuestion
{
    const char *caption;
    int most; // 0 for the tap's minutes
};
const WaterQuestion waterQuestions[] = {
    {"Tap, minutes each person", 0},   {"Washing machine loads, household", 10},
    {"Dish washes, household", 20},    {"Showers, each person", 10},
    {"Lawn waterings, household", 10}, {"Toilet flushes, each person", 10},
};

// A row's answer box. A font given to a QComboBox builds its drop-down list
// at once (a quarter of a millisecond a box, the most of a page of thirty
// boxes), and a font does not reach the list through the page's style sheet;
// so the box takes its font as any widget does and gives it to its list,
// whose choices are then as large as the box's, when the list first opens.
class AnswerBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        if (!listHasFont) {
            listHasFont = true;
            QEvent fontChange(QEvent::FontChange);
            QComboBox::changeEvent(&fontChange);
            view()->setFont(font());
        }
        QComboBox::showPopup();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        // QComboBox's own handling of a new font is what waits for the list.
        if (event->type() == QEvent::FontChange && !listHasFont)
            QWidget::changeEvent(event); // NOLINT(bugprone-parent-virtual-call)
        else
            QComboBox::changeEvent(event);
    }

private:
    bool listHasFont = false;
};

// A row's label and answer box. The boxes offering the same choices share
// one model (a day has thirty rows or more, each built at the page's visit);
// a box whose answer is not among them has a model of its own.
QComboBox *addRow(QGridLayout *grid, int &slot, const QString &caption, const QString &item,
                  QStringListModel *choices, const QString &shown)
{
    QWidget *rows = grid->parentWidget();
    auto *label = new QLabel(caption, rows);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSize(captionPointSize);
    label->setFont(font);
    auto *box = new AnswerBox(rows);
    box->setObjectName(QStringLiteral("combo_quickDay_") + item);
    box->setProperty(itemProperty, item);
    box->setAccessibleName(caption);
    box->setMinimumHeight(rowHeight);
    font.setPointSize(answerPointSize);
    box->setFont(font);
    int current = int(choices->stringList().indexOf(shown));
    if (current < 0) {
        choices = new QStringListModel(choices->stringList() << shown, box);
        current = int(choices->rowCount()) - 1;
    }
    box->setModel(choices);
    box->setCurrentIndex(current);
    label->setBuddy(box);
    const int row = slot / 2;
    const int column = (slot % 2) * 2;
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    ++slot;
    return box;
}

void addHeading(QGridLayout *grid, int &slot, const QString &text)
{
    slot += slot % 2; // a heading starts a line
    auto *heading = new QLabel(text, grid->parentWidget());
    heading->setTextFormat(Qt::PlainText);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, slot / 2, 0, 1, 4);
    slot += 2;
}

void clearRows(QGridLayout *grid)
{
    while (QLayoutItem *item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // The shared models of the rows before.
    qDeleteAll(grid->parentWidget()->findChildren<QStringListModel *>(Qt::FindDirectChildrenOnly));
}

QList<QComboBox *> answerBoxes(Ui::MainWindow *ui)
{
    return ui->wid_quickDayRows->findChildren<QComboBox *>(Qt::FindDirectChildrenOnly);
}

const QString dayFormat = QStringLiteral("dddd d MMMM yyyy");

// Builds the page's rows, each with its answer. The rows are built hidden and
// shown together: a row shown on its own lays out all the rows before it
// again. An appliance counted 0 and a lawn of 0 litres a watering are ones
// the household does not have: they are not asked.
void showRows(Ui::MainWindow *ui, const QSqlDatabase &db, const DayAnswers &answers)
{
    QWidget *rows = ui->wid_quickDayRows;
    rows->hide();
    auto *grid = qobject_cast<QGridLayout *>(rows->layout());
    clearRows(grid);
    // The rows' captions in the page's colour, styled once for them all.
    if (rows->styleSheet().isEmpty())
        rows->setStyleSheet(QStringLiteral("QLabel { color: rgb(85, 0, 0); }"));
    auto *hours = new QStringListModel(hourChoices(), rows);
    int slot = 0;
    addHeading(grid, slot, QStringLiteral("Electricity: hours on"));
    const QStringList &columns = applianceColumns();
    for (int i = 0; i < columns.size(); ++i) {
        const std::optional<int> count = SettingsLogic::count(db, i);
        if (count && *count == 0)
            continue;
        QString name = applianceNames().at(i);
        name[0] = name[0].toUpper();
        addRow(grid, slot, name, columns.at(i), hours,
               choiceOf(answers.amounts.value(columns.at(i)), hourChoices()));
    }
    // The household's own appliances, after the built-in ones.
    for (const OwnAppliance &own : ownAppliances(db).value_or(QList<OwnAppliance>())) {
        const QString item = ownItem(own.id);
        addRow(grid, slot, own.name, item, hours,
               choiceOf(answers.amounts.value(item), hourChoices()));
    }
    addHeading(grid, slot, QStringLiteral("Water: a day"));
    addRow(grid, slot, QStringLiteral("People at home"), membersItem,
           new QStringListModel(countChoices(10).mid(1), rows),
           numberText(answers.members.value_or(1)));
    for (int i = 0; i < int(std::size(waterQuestions)); ++i) {
        if (i == SettingsLogic::lawnActivity && SettingsLogic::litres(db, i) == 0.0)
            continue;
        const QStringList choices =
            waterQuestions[i].most ? countChoices(waterQuestions[i].most) : tapChoices();
        addRow(grid, slot, QString::fromLatin1(waterQuestions[i].caption), waterColumns().at(i),
               new QStringListModel(choices, rows),
               choiceOf(answers.amounts.value(waterColumns().at(i)), choices));
    }
    rows->show();
    ui->scroll_quickDay->verticalScrollBar()->setValue(0);
}

// Shows the day's rows filled in: with its own answers when it has some and
// from asks ByWeek, else with those of the day fillInDay gives; and says on
// the page whose answers they are.
void fillQuickDay(Ui::MainWindow *ui, const QSqlDatabase &db, const QDate &day, FillFrom from)
{
    DayAnswers answers = dayAnswers(db, dayKey(day));
    QString said = QStringLiteral("Your answers of %1 so far.").arg(day.toString(dayFormat));
    if (answers.read && (answers.amounts.isEmpty() || from == FillFrom::LatestDay)) {
        const FillInDay source = fillInDay(db, day, from);
        if (source.day.isValid()) {
            answers = dayAnswers(db, dayKey(source.day));
            if (source.weekBefore)
                said = QStringLiteral("Filled in as on %1, a week before: change what differs, "
                                      "then save.")
                           .arg(source.day.toString(dayFormat));
            else if (from == FillFrom::ByWeek)
                said =
                    QStringLiteral("%1 was not recorded: filled in as on %2, the latest day "
                                   "before. Change what differs, then save.")
                        .arg(day.addDays(-7).toString(dayFormat), source.day.toString(dayFormat));
            else
                said = QStringLiteral("Filled in as on %1, the latest day before: change what "
                                      "differs, then save.")
                           .arg(source.day.toString(dayFormat));
        } else {
            said = QStringLiteral("No earlier day to fill in from: pick each answer, then save.");
        }
    }
    if (!answers.read)
        said = QStringLiteral("Your answers could not be read: the data file is busy. Each "
                              "answer shows N.A until the page is opened again.");
    ui->lb_quickDayHeading->setText(QStringLiteral("Your day: %1").arg(day.toString(dayFormat)));
    PageMessage::show(ui->lb_quickDayMessage, said,
                      answers.read ? PageMessage::Tone::Plain : PageMessage::Tone::Failure);
    showRows(ui, db, answers);
}

} // namespace

void MainWindow::on_push_quickDay_clicked()
{
    showPage(QuickDayPage);
    fillQuickDay(ui, db, recordDay(), FillFrom::ByWeek);
}

// The answers of the latest day recorded before, in place of those shown;
// nothing is stored until the day is saved.
void MainWindow::on_push_fillFromYesterday_clicked()
{
    fillQuickDay(ui, db, recordDay(), FillFrom::LatestDay);
}

void MainWindow::on_push_saveQuickDay_clicked()
{
    const QDate day = recordDay();
    QList<ApplianceAnswer> appliances;
    QList<OwnAnswer> own;
    const std::optional<QList<OwnAppliance>> owned = ownAppliances(db);
    if (!owned) {
        PageMessage::show(
            ui->lb_quickDayMessage,
            QStringLiteral("Nothing was stored: the data file is busy. Please try again."),
            PageMessage::Tone::Failure);
        return;
    }
    QList<WaterAnswer> water;
    ColumnValues plain;
    QList<SettingsLogic::Field> unsound;
    double kWh = 0;
    double litresPerMember = 0;
    double householdLitres = 0;
    double members = 1;
    for (QComboBox *box : answerBoxes(ui)) {
        const QString item = box->property(itemProperty).toString();
        const double amount = hoursOfChoice(box->currentText());
        const int appliance = int(applianceColumns().indexOf(item));
        const int activity = int(waterColumns().indexOf(item));
        const std::optional<int> id = ownId(item);
        if (id) {
            // An appliance removed since the page opened is not recorded.
            for (const OwnAppliance &appliance : *owned) {
                if (appliance.id == *id) {
                    own.append({*id, amount, appliance.watts, appliance.count});
                    kWh += amount * appliance.watts * appliance.count / 1000;
                }
            }
        } else if (item == membersItem) {
            members = amount;
            plain.append({membersItem, numberText(amount)});
        } else if (appliance >= 0) {
            const std::optional<int> watts = SettingsLogic::watts(db, appliance);
            const std::optional<int> count = SettingsLogic::count(db, appliance);
            if (!watts || !count) {
                unsound << SettingsLogic::Field(SettingsLogic::FirstPowerField + appliance)
                        << SettingsLogic::Field(SettingsLogic::FirstCountField + appliance);
                continue;
            }
            appliances.append({appliance, amount, *watts, *count});
            kWh += amount * *watts * *count / 1000;
        } else if (activity >= 0) {
            const std::optional<double> litres = SettingsLogic::litres(db, activity);
            if (!litres) {
                unsound << SettingsLogic::Field(SettingsLogic::FirstLitresField + activity);
                continue;
            }
            water.append({item, amount, *litres / 1000});
            (personalActivity(activity) ? litresPerMember : householdLitres) += amount * *litres;
        }
    }
    if (!unsound.isEmpty()) {
        QString problem = SettingsLogic::storedProblem(db, unsound);
        PageMessage::show(ui->lb_quickDayMessage,
                          problem.isEmpty()
                              ? QStringLiteral("Nothing was stored: a setting could not be read. "
                                               "Please try again.")
                              : QStringLiteral("Nothing was stored. ") + problem,
                          PageMessage::Tone::Failure);
        return;
    }
    if (!recordWholeDay(db, dayKey(day), appliances, water, plain, own)) {
        QString problem = SettingsLogic::storedProblem(
            db, {SettingsLogic::ElectricityRateField, SettingsLogic::WaterRateField});
        PageMessage::show(ui->lb_quickDayMessage,
                          problem.isEmpty()
                              ? QStringLiteral("Nothing was stored: ") +
                                    Database::failureText(Database::lastWriteFailure())
                              : QStringLiteral("Nothing was stored. ") + problem,
                          PageMessage::Tone::Failure);
        return;
    }
    const QString sign = SettingsLogic::currency(db);
    const ElectricityDay electricity = electricityDay(db, dayKey(day));
    const WaterDay waterSpent = waterDay(db, dayKey(day));
    PageMessage::show(
        ui->lb_quickDayMessage,
        QStringLiteral("Stored for %1: %2 appliances, %3 (%4); water for %5, %6 (%7).")
            .arg(day.toString(dayFormat), QString::number(appliances.size() + own.size()),
                 usageText(kWh, kWhUnit),
                 moneyText(electricityTotal(electricity.costs, electricity.own), sign),
                 members == 1 ? QStringLiteral("1 person")
                              : QStringLiteral("%1 people").arg(numberText(members)),
                 usageText(members * litresPerMember + householdLitres, litreUnit),
                 moneyText(waterTotal(waterSpent.members, waterSpent.costs), sign)),
        PageMessage::Tone::Success);
}

void MainWindow::on_push_quickDayBack_clicked()
{
    showPage(EntryChoicePage);
}
