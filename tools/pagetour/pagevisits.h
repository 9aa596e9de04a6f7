// The pages of the window as a user reaches them: each page, the page it is
// opened from and the button pressed there. The page tour and the page
// benchmarks walk the window through these.
#pragma once

#include "mainwindow.h"

#include <QAbstractButton>
#include <QTest>

namespace PageVisits {

using W = MainWindow;

// A page, the page a user opens it from, and the button pressed there.
// A page of either stack: a W::Page, or Calc + a W::CalculatorBodyPage.
constexpr int Calc = 100;

struct Visit
{
    const char *name;
    int from;
    int to;
    const char *button;
};

const Visit visits[] = {
    {"quick facts", W::MainMenuPage, W::QuickFactsPage, "push_QuickFactIcon"},
    {"credits", W::MainMenuPage, W::CreditsPage, "push_credits"},
    {"events", W::MainMenuPage, W::EventsPage, "push_ecoEvent"},
    {"event update", W::EventsPage, W::EventUpdatePage, "push_updateEvents"},
    {"quiz menu", W::MainMenuPage, W::QuizMenuPage, "push_duzEvod"},
    {"quiz question", W::QuizMenuPage, W::QuizQuestionPage, "push_Start"},
    {"craft menu", W::MainMenuPage, W::CraftMenuPage, "push_darAror"},
    {"craft idea", W::CraftMenuPage, W::CraftIdeaPage, "push_MenuPaper"},
    {"calculator", W::MainMenuPage, Calc + W::IntroPage, "push_ecoCal"},
    {"entry choice", Calc + W::IntroPage, Calc + W::EntryChoicePage, "push_vozAvaviButton"},
    {"diary choice", Calc + W::IntroPage, Calc + W::DiaryChoicePage, "push_zadUvedoButton"},
    {"settings", Calc + W::EntryChoicePage, Calc + W::SettingsPage, "push_settings"},
    {"quick day", Calc + W::EntryChoicePage, Calc + W::QuickDayPage, "push_quickDay"},
    {"smart plugs", Calc + W::SettingsPage, Calc + W::SmartPlugsPage, "push_smartPlugs"},
    {"rooms", Calc + W::EntryChoicePage, Calc + W::RoomsPage, "push_vozAvaviElectricityIcon"},
    {"bedroom", Calc + W::RoomsPage, Calc + W::BedroomPage, "push_bedroom"},
    {"air conditioner", Calc + W::BedroomPage, Calc + W::AirConPage, "push_airCon"},
    {"laptop", Calc + W::AirConPage, Calc + W::LaptopPage, "push_airConOK"},
    {"fan", Calc + W::LaptopPage, Calc + W::FanPage, "push_laptopOK"},
    {"living room", Calc + W::RoomsPage, Calc + W::LivingRoomPage, "push_livingRoom"},
    {"lights", Calc + W::LivingRoomPage, Calc + W::LightsPage, "push_lights"},
    {"dvd player", Calc + W::LightsPage, Calc + W::DvdPlayerPage, "push_lightsOK"},
    {"tv", Calc + W::DvdPlayerPage, Calc + W::LcdTvPage, "push_dvdPlayerOK"},
    {"toilet", Calc + W::RoomsPage, Calc + W::ToiletRoomPage, "push_toilet"},
    {"washing machine", Calc + W::ToiletRoomPage, Calc + W::WashingMachinePage,
     "push_washingMachine"},
    {"hair dryer", Calc + W::WashingMachinePage, Calc + W::HairDryerPage, "push_washingMachineOK"},
    {"kitchen", Calc + W::RoomsPage, Calc + W::KitchenPage, "push_kitchen"},
    {"microwave", Calc + W::KitchenPage, Calc + W::MicrowavePage, "push_microwave"},
    {"rice cooker", Calc + W::MicrowavePage, Calc + W::RiceCookerPage, "push_microwaveOK"},
    {"refrigerator", Calc + W::RiceCookerPage, Calc + W::RefrigeratorPage, "push_riceCookerOK"},
    {"tap", Calc + W::EntryChoicePage, Calc + W::TapPage, "push_vozAvaviWaterIcon"},
    {"washing (water)", Calc + W::TapPage, Calc + W::WaterWashingMachinePage, "push_tapOK"},
    {"dish washing", Calc + W::WaterWashingMachinePage, Calc + W::DishWashingPage,
     "push_washingMachineWaterOK"},
    {"shower and toilet", Calc + W::DishWashingPage, Calc + W::ShowerAndToiletPage,
     "push_dishWashingWaterOK"},
    {"lawn", Calc + W::ShowerAndToiletPage, Calc + W::LawnPage, "push_showerNtoiletOK"},
    {"electricity diary", Calc + W::DiaryChoicePage, Calc + W::ElectricityDiaryPage,
     "push_viewElecDiary"},
    {"water diary", Calc + W::DiaryChoicePage, Calc + W::WaterDiaryPage, "push_viewWaterDiary"},
    {"diary history", Calc + W::DiaryChoicePage, Calc + W::HistoryPage, "push_diaryHistory"},
    {"where it went", Calc + W::HistoryPage, Calc + W::SpendingPage, "push_historySpending"},
    {"meters", Calc + W::DiaryChoicePage, Calc + W::MetersPage, "push_meters"},
    {"what meters say", Calc + W::HistoryPage, Calc + W::MeterHistoryPage, "push_historyMeters"},
};

inline void show(MainWindow &window, int page)
{
    if (page >= Calc)
        window.showPage(W::CalculatorBodyPage(page - Calc));
    else
        window.showPage(W::Page(page));
}

// Reaches page from the main menu by the buttons a user presses. Returns false
// when a button on the way is missing.
inline bool reach(MainWindow &window, int page)
{
    if (page == W::MainMenuPage) {
        window.showPage(W::MainMenuPage);
        return true;
    }
    for (const Visit &visit : visits) {
        if (visit.to != page)
            continue;
        if (!reach(window, visit.from))
            return false;
        auto *button = window.findChild<QAbstractButton *>(QLatin1String(visit.button));
        if (!button)
            return false;
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        return true;
    }
    return false;
}

} // namespace PageVisits
