// Pages built on their first visit: the forms of every page, where each goes
// in its stack, and what a page needs once its widgets exist.
#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"

#include "history/historychart.h"
#include "keyboard.h"

#include <QAbstractScrollArea>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QIntValidator>
#include <QLabel>
#include <QMetaMethod>
#include <QScroller>
#include <QScrollerProperties>
#include <QStackedWidget>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace {

// Builds one form's widgets into the stack's page widget, which becomes the
// form's top-level widget: the page keeps its parent and its index.
using Setup = void (*)(Ui::MainWindow *ui, QWidget *page);

template<typename Form> void setup(Ui::MainWindow *ui, QWidget *page)
{
    static_cast<Form *>(ui)->setupUi(page);
}

const std::array<Setup, MainWindow::PageCount> contentForms = {
    setup<Ui::SearchPage>,       setup<Ui::QuickFactsPage>, setup<Ui::MainMenuPage>,
    setup<Ui::CreditsPage>,      setup<Ui::EventsPage>,     setup<Ui::CalculatorPage>,
    setup<Ui::EventsUpdatePage>, setup<Ui::QuizMenuPage>,   setup<Ui::QuizQuestionPage>,
    setup<Ui::QuizResultPage>,   setup<Ui::CraftMenuPage>,  setup<Ui::CraftPage>,
};

// The calculator's form holds its introduction; the two unused pages are empty.
const std::array<Setup, MainWindow::CalculatorBodyPageCount> calculatorForms = {
    nullptr,
    setup<Ui::CalculatorRoomsPage>,
    setup<Ui::CalculatorBedroomPage>,
    setup<Ui::CalculatorAirConPage>,
    setup<Ui::CalculatorLaptopPage>,
    setup<Ui::CalculatorFanPage>,
    setup<Ui::CalculatorLivingRoomPage>,
    setup<Ui::CalculatorLightsPage>,
    setup<Ui::CalculatorDvdPlayerPage>,
    setup<Ui::CalculatorLcdTvPage>,
    setup<Ui::CalculatorToiletRoomPage>,
    setup<Ui::CalculatorWashingMachinePage>,
    setup<Ui::CalculatorHairDryerPage>,
    setup<Ui::CalculatorKitchenPage>,
    setup<Ui::CalculatorMicrowavePage>,
    setup<Ui::CalculatorRiceCookerPage>,
    setup<Ui::CalculatorRefrigeratorPage>,
    nullptr,
    setup<Ui::CalculatorElectricityDiaryPage>,
    setup<Ui::CalculatorTapPage>,
    setup<Ui::CalculatorWaterWashingMachinePage>,
    setup<Ui::CalculatorDishWashingPage>,
    setup<Ui::CalculatorShowerAndToiletPage>,
    setup<Ui::CalculatorLawnPage>,
    setup<Ui::CalculatorWaterDiaryPage>,
    setup<Ui::CalculatorDiaryChoicePage>,
    setup<Ui::CalculatorEntryChoicePage>,
    nullptr,
    setup<Ui::CalculatorSettingsPage>,
    setup<Ui::CalculatorHistoryPage>,
    setup<Ui::CalculatorSpendingPage>,
    setup<Ui::CalculatorMetersPage>,
    setup<Ui::CalculatorMeterHistoryPage>,
    setup<Ui::CalculatorQuickDayPage>,
    setup<Ui::CalculatorSmartPlugsPage>,
    setup<Ui::CalculatorImportFilePage>,
};

// Long texts scroll by finger: the phone's kinetic scroller is not here, so
// the toolkit's own scroller does the job. The property is kept for platforms
// whose style reads it. A drag scrolls rather than selects: a text's words
// are not selected by mouse or finger.
void scrollByFinger(QAbstractScrollArea *area)
{
    area->setProperty("FingerScrollable", true);
    QScroller::grabGesture(area->viewport(), QScroller::LeftMouseButtonGesture);
    // A press reaches the field or arrow under the finger at once, as the
    // scroller would after its wait: a tap shorter than the wait is replayed
    // by the scroller at the wrong place on a scaled screen, and is lost.
    QScroller *scroller = QScroller::scroller(area->viewport());
    QScrollerProperties properties = scroller->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0);
    scroller->setScrollerProperties(properties);
    if (auto *text = qobject_cast<QTextEdit *>(area))
        text->setTextInteractionFlags(text->textInteractionFlags() & ~Qt::TextSelectableByMouse);
}

// A day of a chooser's calendar, in pixels at any scale: a finger's size.
constexpr int calendarCellPx = 44;
// The most days after the last one that can be chosen that a month's page
// shows: six weeks.
constexpr int calendarDaysShown = 42;

// Each time a chooser's calendar pops up: days after the last one that can
// be chosen are greyed (the calendar refuses them), and the popup is moved
// into the window, which it fits.
class FingerCalendar : public QObject
{
public:
    FingerCalendar(QCalendarWidget *calendar, QWidget *window)
        : QObject(calendar)
        , calendar(calendar)
        , window(window)
    {
        calendar->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == calendar && event->type() == QEvent::Show) {
            greyDaysAfter(calendar->maximumDate());
            fitInWindow(calendar->window());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void greyDaysAfter(const QDate &last)
    {
        calendar->setDateTextFormat(QDate(), QTextCharFormat());
        QTextCharFormat grey;
        grey.setForeground(calendar->palette().brush(QPalette::Disabled, QPalette::Text));
        for (int day = 1; day <= calendarDaysShown; ++day)
            calendar->setDateTextFormat(last.addDays(day), grey);
    }

    void fitInWindow(QWidget *popup) const
    {
        if (popup == window)
            return;
        const QRect room(window->mapToGlobal(QPoint(0, 0)), window->size());
        const QSize size = popup->size();
        popup->move(std::clamp(popup->x(), room.left(), room.right() + 1 - size.width()),
                    std::clamp(popup->y(), room.top(), room.bottom() + 1 - size.height()));
    }

    QCalendarWidget *calendar;
    QWidget *window;
};

// Gives a day chooser a calendar of finger-sized days, named name, that
// pops up within the window and greys the days it refuses.
void chooseDaysByFinger(QDateEdit *chooser, const QString &name)
{
    auto *calendar = new QCalendarWidget(chooser);
    calendar->setObjectName(name);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QFont font = calendar->font();
    font.setPointSize(13);
    calendar->setFont(font);
    // The month's arrows and names a finger's height, above a row of week
    // days and six weeks, seven days each.
    for (QToolButton *button : calendar->findChildren<QToolButton *>())
        button->setMinimumSize(calendarCellPx, calendarCellPx);
    calendar->setMinimumSize(7 * calendarCellPx, 8 * calendarCellPx);
    chooser->setCalendarWidget(calendar);
    new FingerCalendar(calendar, chooser->window());
}

} // namespace

void MainWindow::showPage(Page page)
{
    // A day chosen for recording lasts while the calculator is open.
    if (page != CalculatorPage)
        forgetRecordDay();
    buildPage(ui->stackWid_content, page);
    ui->stackWid_content->setCurrentIndex(page);
}

void MainWindow::showPage(CalculatorBodyPage page)
{
    showPage(CalculatorPage);
    buildPage(ui->stackWid_ecoCalBody, page);
    ui->stackWid_ecoCalBody->setCurrentIndex(page);
}

void MainWindow::buildPage(QStackedWidget *stack, int index)
{
    QWidget *page = stack->widget(index);
    if (!page || builtPages.contains(page))
        return;
    builtPages.append(page);

    const bool calculator = stack == ui->stackWid_ecoCalBody;
    const Setup form = calculator ? calculatorForms.at(index) : contentForms.at(index);
    if (form)
        form(ui, page);
    // The forms name their labels' pictures in a "picture" property rather
    // than as pixmaps, so that each is drawn at the screen's density and only
    // while it is on screen.
    Pictures::keepOnScreen(page);
    connectPageSlots(page);
    preparePage(stack, index);

    // A page built while on screen (its stack was switched to it directly)
    // shows its new widgets as showing the page would have.
    if (page->isVisible()) {
        for (QWidget *child : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->testAttribute(Qt::WA_WState_ExplicitShowHide))
                child->show();
        }
    }
}

// Connects the new page's widgets to the slots named after them,
// on_<object>_<signal>, as the forms' automatic connection would, but for
// this page only, so that no slot is ever connected twice.
void MainWindow::connectPageSlots(QWidget *page)
{
    // The window's on_ slots, read from its meta-object once: every page's
    // widgets are matched against the same few dozen names.
    struct NamedSlot
    {
        QByteArray signature;
        int index;
    };
    static const QList<NamedSlot> windowSlots = [window = &MainWindow::staticMetaObject] {
        QList<NamedSlot> found;
        for (int i = 0; i < window->methodCount(); ++i) {
            const QMetaMethod method = window->method(i);
            if (method.methodType() == QMetaMethod::Slot &&
                method.methodSignature().startsWith("on_"))
                found.append({method.methodSignature(), i});
        }
        return found;
    }();

    QList<QObject *> objects = page->findChildren<QObject *>();
    objects.prepend(page);
    for (QObject *object : std::as_const(objects)) {
        const QByteArray prefix = "on_" + object->objectName().toLatin1() + '_';
        if (prefix.size() == 4)
            continue;
        for (const NamedSlot &slot : windowSlots) {
            if (!slot.signature.startsWith(prefix))
                continue;
            const int signal =
                object->metaObject()->indexOfSignal(slot.signature.mid(prefix.size()).constData());
            if (signal >= 0)
                QMetaObject::connect(object, signal, this, slot.index, Qt::UniqueConnection);
        }
    }
}

// What a page needs once its widgets exist, beyond its form.
void MainWindow::preparePage(QStackedWidget *stack, int index)
{
    // Tab follows reading order over the whole page, the calculator's frame
    // and its inner pages together.
    Keyboard::orderTabs(stack == ui->stackWid_ecoCalBody
                            ? ui->stackWid_content->widget(CalculatorPage)
                            : stack->widget(index));
    if (stack == ui->stackWid_ecoCalBody) {
        switch (index) {
        case ElectricityDiaryPage:
            scrollByFinger(ui->txtBrowse_tips);
            // The diaries' date lists report the chosen text.
            connect(ui->comboBox_zadUvedoDate, &QComboBox::currentIndexChanged, this,
                    [this](int i) {
                        on_comboBox_zadUvedoDate_currentIndexChanged(
                            ui->comboBox_zadUvedoDate->itemText(i));
                    });
            break;
        case WaterDiaryPage:
            scrollByFinger(ui->txtBrowse_tips_water);
            connect(ui->comboBox_zadUvedoDate_water, &QComboBox::currentIndexChanged, this,
                    [this](int i) {
                        on_comboBox_zadUvedoDate_water_currentIndexChanged(
                            ui->comboBox_zadUvedoDate_water->itemText(i));
                    });
            break;
        case DiaryChoicePage:
            // The history's charts are a tap away: their library is loaded
            // meanwhile, so that the history's first visit does not wait for it.
            HistoryChart::preload();
            break;
        case HistoryPage:
            buildHistoryChart();
            break;
        case EntryChoicePage:
            chooseDaysByFinger(ui->date_recordDay, QStringLiteral("calWid_recordDay"));
            break;
        case MetersPage:
            chooseDaysByFinger(ui->date_meterReading, QStringLiteral("calWid_meterReading"));
            prepareMetersPage();
            break;
        case MeterHistoryPage:
            buildMeterChart();
            scrollByFinger(ui->scroll_meterHistorySummary);
            break;
        case SpendingPage:
            buildSpendingChart();
            break;
        case SmartPlugsPage:
            preparePlugsPage();
            scrollByFinger(ui->list_plugs);
            break;
        case SettingsPage:
            scrollByFinger(ui->scroll_settings);
            break;
        case QuickDayPage:
            scrollByFinger(ui->scroll_quickDay);
            break;
        case TapPage:
            ui->le_tapAmt->setValidator(new QIntValidator(0, 9999, ui->le_tapAmt));
            break;
        default:
            break;
        }
        return;
    }

    switch (index) {
    case QuickFactsPage:
        ui->push_sound_2->hide();
        scrollByFinger(ui->te_factDescription);
        break;
    case CalculatorPage:
        scrollByFinger(ui->txtBrowse_mainPageIntro);
        // Inner pages that a test or tool switches to directly are built too.
        connect(ui->stackWid_ecoCalBody, &QStackedWidget::currentChanged, this,
                [this](int i) { buildPage(ui->stackWid_ecoCalBody, i); });
        // The household's settings are offered beside the two choice pages.
        ui->push_settings->hide();
        connect(ui->stackWid_ecoCalBody, &QStackedWidget::currentChanged, this, [this](int i) {
            ui->push_settings->setVisible(i == EntryChoicePage || i == DiaryChoicePage);
        });
        break;
    case QuizMenuPage:
        ui->push_quiz_sound->hide();
        break;
    case QuizQuestionPage:
        // The answers come first and BACK last, wherever BACK stands.
        QWidget::setTabOrder(ui->push_QuizChoice4, ui->push_back);
        break;
    case CraftIdeaPage:
        scrollByFinger(ui->textEdit_EWand_details);
        // The craft titles report the chosen text.
        connect(ui->coBox_eWandTitle, &QComboBox::currentIndexChanged, this, [this](int i) {
            on_coBox_eWandTitle_currentIndexChanged(ui->coBox_eWandTitle->itemText(i));
        });
        break;
    default:
        break;
    }
}
