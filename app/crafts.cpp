#include "mainwindow.h"
#include "ui_mainwindow.h"

// Not built yet.

void MainWindow::readCategory(const QString &) {}

void MainWindow::readDetails(const QString &) {}

void MainWindow::on_coBox_eWandTitle_currentIndexChanged(const QString &) {}

void MainWindow::on_pusheWand_VideoURL_clicked() {}

void MainWindow::on_push_eWand_ImgBack_clicked() {}

void MainWindow::on_push_eWand_ImgPrev2_clicked() {}

void MainWindow::on_push_eWand_ImgNext2_clicked() {}

void MainWindow::on_push_eWand_ImgPrev_clicked() {}

void MainWindow::on_push_eWand_ImgNext_clicked() {}

void MainWindow::on_push_MenuOthers_clicked() {}

void MainWindow::on_push_MenuGlass_clicked() {}

void MainWindow::on_push_MenuPlastic_clicked() {}

void MainWindow::on_push_MenuPaper_clicked() {}

void MainWindow::on_push_MenuClothes_clicked() {}

void MainWindow::on_push_MenuAlum_clicked() {}
