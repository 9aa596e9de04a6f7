// The eco quiz: a sixty-second round of up to ten random questions, a tick or a
// cross for two seconds after each answer, the result page and the high score.

#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"

#include "quiz/quizlogic.h"

#include <QIcon>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <array>

namespace {

const QString tickAnimation = QStringLiteral(":/duzevod/images/DuzEvodResc/tick.gif");
const QString crossAnimation = QStringLiteral(":/duzevod/images/DuzEvodResc/cross.gif");
const QString questionBackground =
    QStringLiteral(":/duzevod/images/DuzEvodResc/DuzEvod_Background(3).png");

constexpr int tickInterval = 1000; // both timers tick once a second

// Stacked pages of the quiz and the main menu.

std::array<QPushButton *, 4> choiceButtons(Ui::MainWindow *ui)
{
    return {ui->push_QuizChoice1, ui->push_QuizChoice2, ui->push_QuizChoice3, ui->push_QuizChoice4};
}

// Marks the choice holding answer, after a wrong one, while the cross shows;
// an empty answer unmarks every choice. The form's style sheets draw the mark.
void markRightChoice(Ui::MainWindow *ui, const QString &answer)
{
    for (QPushButton *button : choiceButtons(ui)) {
        if (!button)
            continue;
        const bool right = !answer.isEmpty() && QuizLogic::isRight(button->text(), answer);
        if (button->property("rightChoice").toBool() == right)
            continue;
        button->setProperty("rightChoice", right);
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
}

} // namespace

void MainWindow::Quiz_Timer()
{
    releaseQuizTimer();
    quizTimeLeft = QuizLogic::RoundSeconds;
    quizTimer = new QTimer(this);
    quizTimer->setObjectName(QStringLiteral("quizTimer"));
    connect(quizTimer, &QTimer::timeout, this, &MainWindow::Update_Timer);
    quizTimer->start(tickInterval);
}

void MainWindow::PlayGIF(int correct)
{
    // The previous answer's feedback is finished or belongs to a round that
    // is over; it must not tick into this one.
    releaseQuizFeedback();
    gifTicks = 0;
    gifTimer = new QTimer(this);
    gifTimer->setObjectName(QStringLiteral("gifTimer"));
    gifMovie = new QMovie(
        Pictures::forDensity(correct == 1 ? tickAnimation : crossAnimation, ui->lb_QuizStatus),
        QByteArray(), this);
    ui->lb_QuizStatus->show();
    ui->lb_QuizStatus->setMovie(gifMovie);
    gifMovie->start();
    connect(gifTimer, &QTimer::timeout, this, &MainWindow::Update_GIFTimer);
    gifTimer->start(tickInterval);
}

void MainWindow::Quiz_CheckAnswer(const QString &answer)
{
    const bool right = QuizLogic::isRight(answer, quizAnswer);
    quizScore += QuizLogic::pointsFor(answer, quizAnswer);
    ++quizCount;
    if (!right)
        markRightChoice(ui, quizAnswer);
    PlayGIF(right ? 1 : 2);
}

void MainWindow::ReadQuizData()
{
    ui->lb_QuizScore->setText(QuizLogic::scoreText(quizScore));
    ui->lb_QuestionNo->setText(QuizLogic::questionNumberText(quizCount));
    // Without a question the previous one stays on screen and the round goes on.
    if (const auto question = QuizLogic::randomQuestion(db, quizAsked)) {
        quizAsked.append(question->id);
        quizAnswer = question->answer;
        ui->lb_Question->setText(question->text);
        ui->push_QuizChoice1->setText(question->options.value(0));
        ui->push_QuizChoice2->setText(question->options.value(1));
        ui->push_QuizChoice3->setText(question->options.value(2));
        ui->push_QuizChoice4->setText(question->options.value(3));
    }
    markRightChoice(ui, QString());
    setQuizChoicesEnabled(true);
    // The next question takes the keys at its first answer.
    if (focusWidget() == ui->stackWid_content->widget(QuizQuestionPage))
        ui->push_QuizChoice1->setFocus(Qt::OtherFocusReason);
    // The keyboard starts at the first answer, not at BACK, where the focus
    // went while the choices were disabled.
    ui->push_QuizChoice1->setFocus(Qt::OtherFocusReason);
}

void MainWindow::Quiz_UpdateScr()
{
    // The reference is read now, not taken from the menu's label, so a round
    // started with Try Again is measured against the score the last one stored.
    const QuizLogic::HighScore before = QuizLogic::readHighScore(db);
    quizHighBefore = QuizLogic::reference(before);
    QuizLogic::recordScore(db, before, quizScore);
}

void MainWindow::Quiz_RetrieveScr()
{
    ui->lb_Hscore->setText(QuizLogic::highScoreText(QuizLogic::readHighScore(db)));
}

void MainWindow::displayScore()
{
    ui->lb_splashScore->setText(QString::number(quizScore));
    ui->lb_balloon->setText(QuizLogic::verdict(quizScore, quizHighBefore));
}

void MainWindow::Update_Timer()
{
    if (!quizRoundRunning || !quizTimer)
        return;
    --quizTimeLeft;
    ui->lb_timer->setText(QuizLogic::timeLeftText(quizTimeLeft));
    if (quizTimeLeft <= 0)
        endQuizRound();
}

void MainWindow::Update_GIFTimer()
{
    if (!gifTimer)
        return;
    ++gifTicks;
    if (gifTicks <= 1)
        return;
    if (gifMovie)
        gifMovie->stop();
    ui->lb_QuizStatus->hide();
    gifTimer->stop();
    gifTimer->deleteLater();
    gifTimer = nullptr;
    // Feedback that outlived its round (time-out or back) only tidies up.
    if (!quizRoundRunning)
        return;
    if (quizCount >= QuizLogic::AnswersPerRound)
        endQuizRound();
    else
        ReadQuizData();
}

void MainWindow::on_push_duzEvod_clicked()
{
    showPage(QuizMenuPage);
    Quiz_RetrieveScr();
}

void MainWindow::on_push_quiz_sound_clicked()
{
    if (soundOn == 1) {
        ui->push_quiz_sound->setIcon(QIcon(QStringLiteral(":/new/prefix1/images/off.png")));
        soundOn = 0;
    } else {
        ui->push_quiz_sound->setIcon(QIcon(QStringLiteral(":/new/prefix1/images/on.png")));
        soundOn = 1;
    }
}

void MainWindow::on_push_back_2_clicked()
{
    clearQuizLabels();
    showPage(QuizMenuPage);
    Quiz_RetrieveScr();
}

void MainWindow::on_push_TryAgain_clicked()
{
    on_push_Start_clicked();
}

void MainWindow::on_push_back_clicked()
{
    clearQuizLabels();
    markRightChoice(ui, QString());
    showPage(QuizMenuPage);
    quizRoundRunning = false;
    releaseQuizTimer();
    Quiz_RetrieveScr();
}

void MainWindow::on_push_Exit_clicked()
{
    clearQuizLabels();
    showPage(MainMenuPage);
    soundOn = 1;
    ui->push_quiz_sound->setIcon(QIcon(QStringLiteral(":/new/prefix1/images/on.png")));
}

void MainWindow::on_push_QuizChoice4_clicked()
{
    answerQuiz(4);
}

void MainWindow::on_push_QuizChoice3_clicked()
{
    answerQuiz(3);
}

void MainWindow::on_push_QuizChoice2_clicked()
{
    answerQuiz(2);
}

void MainWindow::on_push_QuizChoice1_clicked()
{
    answerQuiz(1);
}

void MainWindow::on_push_Start_clicked()
{
    showPage(QuizQuestionPage);
    quizScore = 0;
    quizCount = 0;
    quizAsked.clear();
    ui->lb_timer->setText(QuizLogic::timeLeftText(QuizLogic::RoundSeconds));
    ui->lb_QuizStatus->hide();
    releaseQuizFeedback();
    Pictures::show(ui->lb_background, questionBackground);
    quizRoundRunning = true;
    Quiz_Timer();
    ReadQuizData();
}

// Answers with the text of choice button 1 to 4. The buttons are disabled
// until the next question, so one question takes one answer.
void MainWindow::answerQuiz(int choice)
{
    if (!quizRoundRunning)
        return;
    const QString text = choiceButtons(ui).at(choice - 1)->text();
    // The keyboard's focus waits on the page during the feedback: on BACK, a
    // second Return would end the round.
    ui->stackWid_content->widget(QuizQuestionPage)->setFocus(Qt::OtherFocusReason);
    setQuizChoicesEnabled(false);
    Quiz_CheckAnswer(text);
}

void MainWindow::setQuizChoicesEnabled(bool enabled)
{
    ui->push_QuizChoice1->setEnabled(enabled);
    ui->push_QuizChoice2->setEnabled(enabled);
    ui->push_QuizChoice3->setEnabled(enabled);
    ui->push_QuizChoice4->setEnabled(enabled);
}

// A round ends after its tenth answer's feedback or when the time is up.
void MainWindow::endQuizRound()
{
    const bool timeUp = quizTimeLeft <= 0;
    quizRoundRunning = false;
    releaseQuizTimer();
    markRightChoice(ui, QString());
    showPage(QuizResultPage);
    // The heading says why the round ended.
    ui->lb_resultHeading->setText(timeUp ? QStringLiteral("Time's up!")
                                         : QStringLiteral("All ten answered!"));
    Quiz_UpdateScr();
    displayScore();
}

// The timers are released later, as one may be delivering its own tick.
void MainWindow::releaseQuizTimer()
{
    if (!quizTimer)
        return;
    quizTimer->stop();
    quizTimer->deleteLater();
    quizTimer = nullptr;
}

void MainWindow::releaseQuizFeedback()
{
    if (gifTimer) {
        gifTimer->stop();
        gifTimer->deleteLater();
        gifTimer = nullptr;
    }
    if (gifMovie) {
        gifMovie->stop();
        if (ui->lb_QuizStatus->movie() == gifMovie)
            ui->lb_QuizStatus->setMovie(nullptr);
        gifMovie->deleteLater();
        gifMovie = nullptr;
    }
}

void MainWindow::clearQuizLabels()
{
    // The labels of the quiz's three pages; a page not built yet has none.
    for (QLabel *label : {ui->lb_background, ui->lb_Hscore, ui->lb_Question, ui->lb_QuestionNo,
                          ui->lb_QuizScore, ui->lb_QuizStatus, ui->lb_splashScore, ui->lb_timer})
        Pictures::clear(label);
}
