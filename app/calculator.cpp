#include "mainwindow.h"
#include "ui_mainwindow.h"

// Not built yet.

void MainWindow::on_comboBox_zadUvedoDate_currentIndexChanged(const QString &) {}

void MainWindow::on_comboBox_zadUvedoDate_water_currentIndexChanged(const QString &) {}

void MainWindow::on_push_ecoCal_clicked() {}

void MainWindow::on_push_ecoCalHomeButton_clicked() {}

void MainWindow::on_push_zadUvedoButton_clicked() {}

void MainWindow::on_push_refrigeratorOK_clicked() {}

void MainWindow::on_push_riceCookerOK_clicked() {}

void MainWindow::on_push_microwaveOK_clicked() {}

void MainWindow::on_push_hairDryerOK_clicked() {}

void MainWindow::on_push_washingMachineOK_clicked() {}

void MainWindow::on_push_lcdTvOK_clicked() {}

void MainWindow::on_push_dvdPlayerOK_clicked() {}

void MainWindow::on_push_lightsOK_clicked() {}

void MainWindow::on_push_fanOK_clicked() {}

void MainWindow::on_push_laptopOK_clicked() {}

void MainWindow::on_push_airConOK_clicked() {}

void MainWindow::on_push_refrigerator_clicked() {}

void MainWindow::on_push_riceCooker_clicked() {}

void MainWindow::on_push_microwave_clicked() {}

void MainWindow::on_push_kitchen_clicked() {}

void MainWindow::on_push_hairDryer_clicked() {}

void MainWindow::on_push_washingMachine_clicked() {}

void MainWindow::on_push_toilet_clicked() {}

void MainWindow::on_push_lcdTv_clicked() {}

void MainWindow::on_push_dvdPlayer_clicked() {}

void MainWindow::on_push_lights_clicked() {}

void MainWindow::on_push_livingRoom_clicked() {}

void MainWindow::on_push_fan_clicked() {}

void MainWindow::on_push_laptop_clicked() {}

void MainWindow::on_push_airCon_clicked() {}

void MainWindow::on_push_bedroom_clicked() {}

void MainWindow::on_push_vozAvaviElectricityIcon_clicked() {}

void MainWindow::on_push_vozAvaviButton_clicked() {}

void MainWindow::on_push_lawnOK_clicked() {}

void MainWindow::on_push_showerNtoiletOK_clicked() {}

void MainWindow::on_push_dishWashingWaterOK_clicked() {}

void MainWindow::on_push_washingMachineWaterOK_clicked() {}

void MainWindow::on_push_tapOK_clicked() {}

void MainWindow::on_push_vozAvaviWaterIcon_clicked() {}

void MainWindow::on_push_viewElecDiary_clicked() {}

void MainWindow::on_push_zadUvedoViewAllData_clicked() {}

void MainWindow::on_push_viewWaterDiary_clicked() {}

void MainWindow::on_push_zadUvedoViewAllData_water_clicked() {}
