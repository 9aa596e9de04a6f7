#include "mainwindow.h"
#include "ui_mainwindow.h"

// Not built yet.

void MainWindow::Quiz_Timer() {}

void MainWindow::PlayGIF(int) {}

void MainWindow::Quiz_CheckAnswer(const QString &) {}

void MainWindow::ReadQuizData() {}

void MainWindow::Quiz_UpdateScr() {}

void MainWindow::Quiz_RetrieveScr() {}

void MainWindow::displayScore() {}

void MainWindow::Update_Timer() {}

void MainWindow::Update_GIFTimer() {}

void MainWindow::on_push_duzEvod_clicked() {}

void MainWindow::on_push_quiz_sound_clicked() {}

void MainWindow::on_push_back_2_clicked() {}

void MainWindow::on_push_TryAgain_clicked() {}

void MainWindow::on_push_back_clicked() {}

void MainWindow::on_push_Exit_clicked() {}

void MainWindow::on_push_QuizChoice4_clicked() {}

void MainWindow::on_push_QuizChoice3_clicked() {}

void MainWindow::on_push_QuizChoice2_clicked() {}

void MainWindow::on_push_QuizChoice1_clicked() {}

void MainWindow::on_push_Start_clicked() {}
