// Every widget of the window, as one object: the frame's form and one form per
// page. A page's pointers stay null until the page is built on its first visit
// (MainWindow::showPage), so code that reaches into a page it did not open
// checks first.
#pragma once

#include "ui_calculatorairconpage.h"
#include "ui_calculatorbedroompage.h"
#include "ui_calculatordiarychoicepage.h"
#include "ui_calculatordishwashingpage.h"
#include "ui_calculatordvdplayerpage.h"
#include "ui_calculatorelectricitydiarypage.h"
#include "ui_calculatorentrychoicepage.h"
#include "ui_calculatorfanpage.h"
#include "ui_calculatorhairdryerpage.h"
#include "ui_calculatorhistorypage.h"
#include "ui_calculatorimportfilepage.h"
#include "ui_calculatorkitchenpage.h"
#include "ui_calculatorlaptoppage.h"
#include "ui_calculatorlawnpage.h"
#include "ui_calculatorlcdtvpage.h"
#include "ui_calculatorlightspage.h"
#include "ui_calculatorlivingroompage.h"
#include "ui_calculatormeterhistorypage.h"
#include "ui_calculatormeterspage.h"
#include "ui_calculatormicrowavepage.h"
#include "ui_calculatorpage.h"
#include "ui_calculatorquickdaypage.h"
#include "ui_calculatorrefrigeratorpage.h"
#include "ui_calculatorricecookerpage.h"
#include "ui_calculatorroomspage.h"
#include "ui_calculatorsettingspage.h"
#include "ui_calculatorshowerandtoiletpage.h"
#include "ui_calculatorsmartplugspage.h"
#include "ui_calculatorspendingpage.h"
#include "ui_calculatortappage.h"
#include "ui_calculatortoiletroompage.h"
#include "ui_calculatorwashingmachinepage.h"
#include "ui_calculatorwaterdiarypage.h"
#include "ui_calculatorwaterwashingmachinepage.h"
#include "ui_craftmenupage.h"
#include "ui_craftpage.h"
#include "ui_creditspage.h"
#include "ui_eventspage.h"
#include "ui_eventsupdatepage.h"
#include "ui_mainframe.h"
#include "ui_mainmenupage.h"
#include "ui_quickfactspage.h"
#include "ui_quizmenupage.h"
#include "ui_quizquestionpage.h"
#include "ui_quizresultpage.h"
#include "ui_searchpage.h"

namespace Ui {

class MainWindow : public CalculatorAirConPage,
                   public CalculatorBedroomPage,
                   public CalculatorDiaryChoicePage,
                   public CalculatorDishWashingPage,
                   public CalculatorDvdPlayerPage,
                   public CalculatorElectricityDiaryPage,
                   public CalculatorImportFilePage,
                   public CalculatorEntryChoicePage,
                   public CalculatorFanPage,
                   public CalculatorHairDryerPage,
                   public CalculatorHistoryPage,
                   public CalculatorKitchenPage,
                   public CalculatorLaptopPage,
                   public CalculatorLawnPage,
                   public CalculatorLcdTvPage,
                   public CalculatorMetersPage,
                   public CalculatorMeterHistoryPage,
                   public CalculatorLightsPage,
                   public CalculatorLivingRoomPage,
                   public CalculatorMicrowavePage,
                   public CalculatorPage,
                   public CalculatorQuickDayPage,
                   public CalculatorRefrigeratorPage,
                   public CalculatorRiceCookerPage,
                   public CalculatorRoomsPage,
                   public CalculatorSettingsPage,
                   public CalculatorShowerAndToiletPage,
                   public CalculatorSmartPlugsPage,
                   public CalculatorSpendingPage,
                   public CalculatorTapPage,
                   public CalculatorToiletRoomPage,
                   public CalculatorWashingMachinePage,
                   public CalculatorWaterDiaryPage,
                   public CalculatorWaterWashingMachinePage,
                   public CraftMenuPage,
                   public CraftPage,
                   public CreditsPage,
                   public EventsPage,
                   public EventsUpdatePage,
                   public MainFrame,
                   public MainMenuPage,
                   public QuickFactsPage,
                   public QuizMenuPage,
                   public QuizQuestionPage,
                   public QuizResultPage,
                   public SearchPage
{
};

} // namespace Ui
