// The one window of Viridio: a main menu and the pages of every feature,
// switched through two stacked widgets. Each page has a form of its own and is
// built the first time it is shown, so a page never opened costs nothing.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <utility>

namespace MeterLogic {
struct Removal;
}
namespace MetersLogic {
struct ImportResult;
struct ChosenFile;
} // namespace MetersLogic
template<typename T> class QFuture;
class QCompleter;
class QListWidgetItem;
class QMovie;
class QStackedWidget;
class QTimer;

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The pages of stackWid_content, in stack order.
    enum Page
    {
        SearchResultsPage,
        QuickFactsPage,
        MainMenuPage,
        CreditsPage,
        EventsPage,
        CalculatorPage,
        EventUpdatePage,
        QuizMenuPage,
        QuizQuestionPage,
        QuizResultPage,
        CraftMenuPage,
        CraftIdeaPage,
        PageCount
    };

    // The calculator's inner pages, of stackWid_ecoCalBody, in stack order. Each
    // room's appliances follow the room.
    enum CalculatorBodyPage
    {
        IntroPage,
        RoomsPage,
        BedroomPage,
        AirConPage,
        LaptopPage,
        FanPage,
        LivingRoomPage,
        LightsPage,
        DvdPlayerPage,
        LcdTvPage,
        ToiletRoomPage,
        WashingMachinePage,
        HairDryerPage,
        KitchenPage,
        MicrowavePage,
        RiceCookerPage,
        RefrigeratorPage,
        UnusedPageA, // never shown
        ElectricityDiaryPage,
        TapPage,
        WaterWashingMachinePage,
        DishWashingPage,
        ShowerAndToiletPage,
        LawnPage,
        WaterDiaryPage,
        DiaryChoicePage,
        EntryChoicePage,
        UnusedPageB, // never shown
        SettingsPage,
        HistoryPage,
        SpendingPage,     // where the money went and the month against its budgets
        MetersPage,       // the household's meter readings
        MeterHistoryPage, // what the readings tell beside the diary
        QuickDayPage,     // the whole day on one page
        SmartPlugsPage,   // the broker and which appliance each plug measures
        ImportFilePage,   // a readings file's first rows and the columns read
        CalculatorBodyPageCount
    };

    // Shows a page, building it first if this is its first visit. An inner
    // calculator page shows the calculator too.
    void showPage(Page page);
    void showPage(CalculatorBodyPage page);

    // The day the calculator's answers go to: the day chosen on the entry
    // choice page today, or today. A choice lasts while the calculator is
    // open on the day it was made: leaving the calculator or midnight brings
    // today back.
    QDate recordDay() const;

    // Database (data/database.cpp, data/seed.cpp)
    bool openDB();
    void insertTable(); // seeds; then checks the file for damage off the window's thread
    int insertTips(const QString &applianceName, const QString &applianceTips);
    int insertwaterTips(const QString &waterApplianceName, const QString &waterTips);
    int insertRates(const QString &rateDate, const QString &rateType, const QString &rateAmt,
                    const QString &rateRetrieve);
    int insertEvents(const QString &eventName, const QString &venue, const QString &eventDesc,
                     const QString &admissionFee, const QString &startDate, const QString &endDate);
    int insertQuickFact(const QString &factLong, const QString &factShort,
                        const QString &factPicture, const QString &factName,
                        const QString &factTags);
    int insertQuiz(const QString &question, const QString &option1, const QString &option2,
                   const QString &option3, const QString &option4, const QString &answer);
    void insertDarAror(const QString &title, const QString &description, const QString &category,
                       const QString &thingNeed, const QString &instruction, const QString &url1,
                       const QString &url2, const QString &urlVideo);

    // Events calendar (app/events.cpp)
    void setEventDetailsVisible();
    void setEventDetailsInvisible();
    void upcomingEvents();
    void loadEvents();
    void processEventUpdate();

    // Quiz (app/quiz.cpp)
    void Quiz_Timer();
    void PlayGIF(int correct);
    void Quiz_CheckAnswer(const QString &answer);
    void ReadQuizData();
    void Quiz_UpdateScr();
    void Quiz_RetrieveScr();
    void displayScore();

    // Craft ideas (app/crafts.cpp)
    void readCategory(const QString &category);
    void readDetails(const QString &title);

    // Quick facts (app/facts.cpp)
    void setupQuickFacts();
    void setQuickFacts();
    void randomQuickFact();

    // The diaries' and the craft title's date/title choosers. The toolkit no longer
    // has a text overload of currentIndexChanged, so these are connected by hand
    // in the constructor rather than by name.
    void on_comboBox_zadUvedoDate_currentIndexChanged(const QString &date);
    void on_comboBox_zadUvedoDate_water_currentIndexChanged(const QString &date);
    void on_coBox_eWandTitle_currentIndexChanged(const QString &text);

protected slots:
    void Update_Timer();
    void Update_GIFTimer();

private slots:
    // Navigation (app/mainwindow.cpp)
    void on_push_credits_clicked();
    void on_push_CreditBack_clicked();
    void on_push_darAror_clicked();
    void on_push_eWand_Menu_clicked();
    void on_push_eventsHome_clicked();
    void on_push_eventsUpdateHome_clicked();
    void on_push_QuickFactBack_2_clicked();

    // Events calendar (app/events.cpp)
    void on_listWid_upcoming_itemClicked(QListWidgetItem *item);
    void on_calWid_events_currentPageChanged(int year, int month);
    void on_combo_Month_currentIndexChanged(int index);
    void on_listWid_upcoming_itemDoubleClicked(QListWidgetItem *item);
    void on_push_ecoEvent_clicked();
    void on_push_updateEvents_clicked();
    void on_push_backToEvents_clicked();
    void on_push_addToCalendar_clicked();
    void on_push_openCalendarFile_clicked();
    void on_push_addCalendar_clicked();
    void on_push_removeCalendar_clicked();

    // Calculator frame and electricity entry (app/calculator/calculator.cpp)
    void on_push_ecoCal_clicked();
    void on_stackWid_ecoCalBody_currentChanged(int index);
    void on_push_ecoCalHomeButton_clicked();
    void on_push_zadUvedoButton_clicked();
    void on_push_refrigeratorOK_clicked();
    void on_push_riceCookerOK_clicked();
    void on_push_microwaveOK_clicked();
    void on_push_hairDryerOK_clicked();
    void on_push_washingMachineOK_clicked();
    void on_push_lcdTvOK_clicked();
    void on_push_dvdPlayerOK_clicked();
    void on_push_lightsOK_clicked();
    void on_push_fanOK_clicked();
    void on_push_laptopOK_clicked();
    void on_push_airConOK_clicked();
    void on_push_refrigerator_clicked();
    void on_push_riceCooker_clicked();
    void on_push_microwave_clicked();
    void on_push_kitchen_clicked();
    void on_push_hairDryer_clicked();
    void on_push_washingMachine_clicked();
    void on_push_toilet_clicked();
    void on_push_lcdTv_clicked();
    void on_push_dvdPlayer_clicked();
    void on_push_lights_clicked();
    void on_push_livingRoom_clicked();
    void on_push_fan_clicked();
    void on_push_laptop_clicked();
    void on_push_airCon_clicked();
    void on_push_bedroom_clicked();
    void on_push_vozAvaviElectricityIcon_clicked();
    void on_push_vozAvaviButton_clicked();

    // Water entry (app/calculator/calculator.cpp)
    void on_push_lawnOK_clicked();
    void on_push_showerNtoiletOK_clicked();
    void on_push_dishWashingWaterOK_clicked();
    void on_push_washingMachineWaterOK_clicked();
    void on_push_tapOK_clicked();
    void on_push_vozAvaviWaterIcon_clicked();

    // Diaries (app/calculator/calculator.cpp)
    void on_push_viewElecDiary_clicked();
    void on_push_zadUvedoViewAllData_clicked();
    void on_push_viewWaterDiary_clicked();
    void on_push_zadUvedoViewAllData_water_clicked();

    // The recorded day (app/calculator/calculator.cpp)
    void on_date_recordDay_dateChanged(const QDate &date);
    void on_push_sameAsLastDay_clicked();
    void on_push_replaceDayAnswers_clicked();

    // The whole day on one page (app/calculator/quickday.cpp)
    void on_push_quickDay_clicked();
    void on_push_fillFromYesterday_clicked();
    void on_push_saveQuickDay_clicked();
    void on_push_quickDayBack_clicked();

    // Meter readings (app/meters/meters.cpp)
    void on_push_meters_clicked();
    void on_push_saveMeterReading_clicked();
    void on_push_removeMeterReading_clicked();
    void on_push_undoRemoveReading_clicked();
    void on_push_importMeterReadings_clicked();
    void on_push_importMeterReadingsAnyway_clicked();
    void on_date_meterReading_dateChanged(const QDate &date);
    void on_list_meterReadings_itemClicked(QListWidgetItem *item);
    void on_push_metersBack_clicked();
    void on_comboBox_importDate_activated(int index);
    void on_comboBox_importValue_activated(int index);
    void on_push_importGo_clicked();
    void on_push_importBack_clicked();
    void on_radio_electricityMeter_toggled(bool checked);
    void on_push_historyMeters_clicked();
    void on_radio_meterHistoryElectricity_toggled(bool checked);
    void on_push_meterHistoryReadings_clicked();
    void on_push_meterHistoryBack_clicked();

    // Household settings (app/settings/settings.cpp)
    void on_push_settings_clicked();
    void on_push_typicalPower_clicked();
    void on_push_builtInSettings_clicked();
    void on_push_settingsBack_clicked();
    void on_push_settingsSave_clicked();
    void on_push_addOwnAppliance_clicked();

    // Smart plugs (app/plugs/plugs.cpp)
    void on_push_smartPlugs_clicked();
    void on_push_connectBroker_clicked();
    void on_push_assignPlug_clicked();
    void on_list_plugs_currentRowChanged(int row);
    void on_push_forgetPlug_clicked();
    void on_push_smartPlugsBack_clicked();

    // Diary history (app/history/history.cpp)
    void on_push_diaryHistory_clicked();
    void on_push_historyBack_clicked();
    void on_push_historySpending_clicked();
    void on_push_spendingBack_clicked();
    void on_push_exportDiaries_clicked();

    // Quiz (app/quiz.cpp)
    void on_push_duzEvod_clicked();
    void on_push_quiz_sound_clicked();
    void on_push_back_2_clicked();
    void on_push_TryAgain_clicked();
    void on_push_back_clicked();
    void on_push_Exit_clicked();
    void on_push_QuizChoice4_clicked();
    void on_push_QuizChoice3_clicked();
    void on_push_QuizChoice2_clicked();
    void on_push_QuizChoice1_clicked();
    void on_push_Start_clicked();

    // Craft ideas (app/crafts.cpp)
    void on_pusheWand_VideoURL_clicked();
    void on_push_eWand_ImgBack_clicked();
    void on_push_eWand_ImgPrev2_clicked();
    void on_push_eWand_ImgNext2_clicked();
    void on_push_eWand_ImgPrev_clicked();
    void on_push_eWand_ImgNext_clicked();
    void on_push_MenuOthers_clicked();
    void on_push_MenuGlass_clicked();
    void on_push_MenuPlastic_clicked();
    void on_push_MenuPaper_clicked();
    void on_push_MenuClothes_clicked();
    void on_push_MenuAlum_clicked();

    // Quick facts (app/facts.cpp)
    void on_push_nextQuickFact_clicked();
    void on_push_previousQuickFact_clicked();
    void on_push_QuickFactIcon_clicked();
    void on_push_sound_2_clicked();

private:
    // Pages built on their first visit (app/pages.cpp)
    void buildPage(QStackedWidget *stack, int index);
    void connectPageSlots(QWidget *page);
    void preparePage(QStackedWidget *stack, int index);
    QList<QWidget *> builtPages;

    QString quizAnswer;
    int quizCount = 0;
    int quizScore = 0;
    int quizTimeLeft = 0;
    int gifTicks = 0;
    QTimer *quizTimer = nullptr;
    QTimer *gifTimer = nullptr;
    QMovie *gifMovie = nullptr;
    QString eWandImage1;
    QString eWandImage2;
    QString eWandVideoUrl;
    Ui::MainWindow *ui;
    int soundOn = 0;
    QSqlDatabase db;
    // Not built: no widget offers the event names, and collecting every stored
    // name made each visit with thousands of events wait for all of them.
    QCompleter *eventCompleter = nullptr;
    QCompleter *factCompleter = nullptr;
    int factId = 0;
    int factSoundOn = 0;

    // Tells the user, and stops writing, when the data file turns out damaged.
    void checkDatabase();

    // Lists the household's own appliances on the settings page, each with
    // a button that removes it (app/settings/settings.cpp).
    void showOwnAppliances();

    // Events calendar: helpers and state of its own
    void listEventsOfMonth(int month);
    void setEventsCalendarRange();
    void enterEventsPage();
    void showEventDetails(QListWidgetItem *item);
    void eventUpdateReceived(const QString &text);
    class EventUpdateClient *eventUpdate = nullptr; // the running or last exchange
    QString eventServerWarning;                     // said once, not at every update
    void listMoreEvents();
    QVariantList eventsReadAt;    // the stored events' version and the day, when marked
    QVariantList listedAt;        // the same, when the listed month was read
    int listedMonth = 0;          // the month listed, 0 for none
    qint64 listedBefore = 0;      // its next part lists the events stored below this id
    QTimer *moreEvents = nullptr; // lists that next part, a turn of the event loop later
    void showCalendarMessage(const QString &text, bool saved = false);
    QString calendarFilePath; // the event's calendar file written last
    void fetchCalendar(const QString &address);
    void showAddressRow(bool shown);
    QString plainAddressAsked; // an http address the household was asked about

    // Calculator: helpers and state of its own
    // Whether each diary's per-item breakdown is on screen ("View All!" was
    // pressed since the diary was entered): a day change then refreshes it.
    bool elecBreakdownShown = false;
    bool waterBreakdownShown = false;
    // The choice page the settings page was opened from, and returns to.
    CalculatorBodyPage settingsReturnPage = EntryChoicePage;
    // The page the meters page was opened from, and returns to.
    CalculatorBodyPage metersReturnPage = DiaryChoicePage;
    // The day and new-meter mark of each row of the meters page's list.
    QList<std::pair<QDate, bool>> listedMeterReadings;
    // Each listing of the meters page counts on: only the latest is shown.
    int meterListing = 0;
    // The import that asked before replacing stored readings: the rows it
    // read and the days it named, which "Go ahead" imports; none when no
    // question is open.
    std::shared_ptr<const MetersLogic::ImportResult> meterQuestion;
    // The reading last removed, which "Undo" puts back; none after any other change.
    std::shared_ptr<const MeterLogic::Removal> meterRemoval;
    // Each visit of the meters' history page counts on: only the latest
    // visit's figures, worked out on a thread, are shown.
    int meterHistoryVisit = 0;
    // The day chosen for recording and the day it was chosen on; invalid
    // while answers go to today.
    QDate chosenRecordDay;
    QDate recordDayChosenOn;
    // Forgets the chosen day: the chooser shows today again.
    void forgetRecordDay();
    // Shows the day being recorded on the question pages, in the frame and in
    // the accessible names of page's answers.
    void showRecordDay(CalculatorBodyPage page);
    // Copies the last recorded day's answers onto the day being recorded,
    // replacing the answers it has when replace is true.
    void copyLastDay(bool replace);

    void buildHistoryChart();  // on the history page's first visit
    void buildSpendingChart(); // on the spending page's first visit
    void prepareMetersPage();  // on the meters page's first visit
    void buildMeterChart();    // on the meters' history page's first visit
    // Shows the meters page on the electricity or the water meter, with
    // today's date; its Back returns to returnTo.
    void openMeters(bool water, CalculatorBodyPage returnTo);
    // Lists the chosen meter's readings on the meters page, read on a thread.
    void listMeterReadings();
    // Imports the file at path into the chosen meter's readings on a thread;
    // the page says the outcome.
    void importMeterFile(const QString &path);
    // Waits for an import running on a thread, the page's changes disabled
    // meanwhile, then shows its outcome and keeps its question, if it asks.
    void awaitMeterImport(const QFuture<MetersLogic::ImportResult> &import);
    // Forgets the open question and the removal that could be undone.
    void forgetMeterChoices();
    // The file on the import page, as read with the household's choices;
    // none while it is read.
    std::shared_ptr<const MetersLogic::ChosenFile> importChosen;
    // Each reading of the import page's file counts on: only the latest is shown.
    int importReading = 0;
    // Waits for the import page's file read on a thread, then shows it there.
    void awaitImportFile(const QFuture<MetersLogic::ChosenFile> &read);
    // Shows the import page's file, its columns and the readings they give.
    void showImportFile();

    // Smart plugs: the connection and the counters heard, from the first
    // frame when plugs are set up, else from the plugs page's first visit.
    class PlugSession *plugSession = nullptr;
    void listenToPlugs(); // connects when a broker and a plug are set up
    void startPlugSession();
    void listPlugs();
    void showPlug(const QString &topic);         // adds or updates its item in the list
    void dropPlug(const QString &topic);         // removes its item from the list
    QHash<QString, QListWidgetItem *> plugItems; // the plugs list's items by topic
    QString plugToForget;      // the assigned plug whose forgetting waits for a second tap
    void preparePlugsPage();   // on the plugs page's first visit
    void listPlugAppliances(); // the appliances a plug may measure, on every visit
    QHash<QString, QString> plugAppliances; // each appliance's name by its key, for the list
    void showPlugHint();                    // what the plugs need, when none was heard
    // Stores the counters heard so far, before a page reads them.
    void storePlugCounters();

    // Quiz: helpers and state of its own
    bool quizRoundRunning = false; // a round is in Question or Feedback
    int quizHighBefore = 0;        // the high score a finished round is measured against
    QList<qint64> quizAsked;       // the questions of this round so far, by QID
    void answerQuiz(int choice);
    void setQuizChoicesEnabled(bool enabled);
    void endQuizRound();
    void releaseQuizTimer();
    void releaseQuizFeedback();
    void clearQuizLabels();

    // Craft ideas and quick facts: helpers of their own
    // Shows the craft page with the material's picture and its crafts.
    void openCraftCategory(const QString &category, const QString &background);
    // Moves through the title list by step (-1 or +1), wrapping at both ends.
    void stepCraft(int step);
};
