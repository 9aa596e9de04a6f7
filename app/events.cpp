#include "mainwindow.h"
#include "ui_mainwindow.h"

// Not built yet.

void MainWindow::setEventDetailsVisible() {}

void MainWindow::setEventDetailsInvisible() {}

void MainWindow::upcomingEvents() {}

void MainWindow::loadEvents() {}

void MainWindow::processEventUpdate() {}

void MainWindow::on_listWid_upcoming_itemClicked(QListWidgetItem *) {}

void MainWindow::on_calWid_events_currentPageChanged(int, int) {}

void MainWindow::on_combo_Month_currentIndexChanged(int) {}

void MainWindow::on_listWid_upcoming_itemDoubleClicked(QListWidgetItem *) {}

void MainWindow::on_push_ecoEvent_clicked() {}

void MainWindow::on_push_updateEvents_clicked() {}

void MainWindow::on_push_backToEvents_clicked() {}
