#include "mainwindow.h"
#include "ui_mainwindow.h"

// Not built yet.

void MainWindow::setupQuickFacts() {}

void MainWindow::setQuickFacts() {}

void MainWindow::randomQuickFact() {}

void MainWindow::on_push_nextQuickFact_clicked() {}

void MainWindow::on_push_previousQuickFact_clicked() {}

void MainWindow::on_push_QuickFactIcon_clicked() {}

void MainWindow::on_push_sound_2_clicked() {}
