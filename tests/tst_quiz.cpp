// The eco quiz: a round from Start to its result, the answer feedback, the
// countdown, the stored high score and the verdicts. The two timers are driven
// by calling their slots, so a sixty-second round takes no real time; one test
// lets a single answer's feedback run in real time.

#include "mainwindow.h"
#include "quiz/quizlogic.h"
#include "testsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

constexpr int quizMenuPage = 7;
constexpr int questionPage = 8;
constexpr int resultPage = 9;

const char *const choiceNames[] = {"push_QuizChoice1", "push_QuizChoice2", "push_QuizChoice3",
                                   "push_QuizChoice4"};

const QString newHighVerdict = QStringLiteral("WAO! you just made a new high score!");
const QString sameVerdict =
    QStringLiteral("hmm! you got the same score as previous player, try again!");
const QString lowerVerdict =
    QStringLiteral("sorry! someone beat to your score. click try again to play again!");

QString labelText(QWidget *window, const char *name)
{
    QLabel *label = child<QLabel>(window, name);
    return label ? label->text() : QStringLiteral("<no label>");
}

QString buttonText(QWidget *window, const char *name)
{
    QAbstractButton *button = child<QAbstractButton>(window, name);
    return button ? button->text() : QStringLiteral("<no button>");
}

bool choicesEnabled(QWidget *window, bool enabled)
{
    for (const char *name : choiceNames) {
        if (child<QAbstractButton>(window, name)->isEnabled() != enabled)
            return false;
    }
    return true;
}

// The stored row of the question on screen: options 1 to 4, then the answer.
QStringList storedQuestion(const QString &question)
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral(
        "SELECT Option1, Option2, Option3, Option4, Answer FROM Quiz WHERE Question=?"));
    query.addBindValue(question);
    QStringList row;
    if (query.exec() && query.next()) {
        for (int column = 0; column < 5; ++column)
            row.append(query.value(column).toString());
    }
    return row;
}

int quizScoreRows()
{
    return queryValue(QStringLiteral("SELECT count(*) FROM QuizScore")).toInt();
}

std::optional<int> storedHighScore()
{
    const QVariant value = queryValue(QStringLiteral("SELECT QuizHScore FROM QuizScore"));
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}

void execSql(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        qWarning("statement failed: %s", qPrintable(sql));
}

// The real timers are stopped so that only the test's own calls tick.
void holdTimers(QWidget *window)
{
    for (QTimer *timer : window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        timer->stop();
}

void countdownTicks(QWidget *window, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick)
        QMetaObject::invokeMethod(window, "Update_Timer");
}

void feedbackTicks(QWidget *window, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick)
        QMetaObject::invokeMethod(window, "Update_GIFTimer");
}

// Clicks the right option of the question on screen, or a wrong one.
bool answer(QWidget *window, bool right)
{
    const QStringList row = storedQuestion(labelText(window, "lb_Question"));
    if (row.size() != 5)
        return false;
    for (const char *name : choiceNames) {
        if ((buttonText(window, name) == row.at(4)) == right) {
            const bool clicked = clickButton(window, name);
            holdTimers(window);
            return clicked;
        }
    }
    return false;
}

bool start(QWidget *window, const char *button = "push_Start")
{
    const bool clicked = clickButton(window, button);
    holdTimers(window);
    return clicked;
}

// Plays a round with the given answers, each followed by its two feedback
// ticks; a round of fewer than ten answers then runs out of time.
bool playRound(QWidget *window, int right, int answers, const char *button = "push_Start")
{
    if (!start(window, button))
        return false;
    for (int given = 0; given < answers; ++given) {
        if (!answer(window, given < right))
            return false;
        feedbackTicks(window, 2);
    }
    if (answers < QuizLogic::AnswersPerRound)
        countdownTicks(window, QuizLogic::RoundSeconds);
    return contentPage(window) == resultPage;
}

// The choices drawn with the right answer's mark, by name.
QStringList markedChoices(QWidget *window)
{
    QStringList marked;
    for (const char *name : choiceNames) {
        QAbstractButton *button = child<QAbstractButton>(window, name);
        // Inside the border, above the text: the button's own background.
        const QColor fill = button->grab().toImage().pixelColor(button->width() / 2, 6);
        if (fill.green() > fill.red() + 40 && fill.green() > fill.blue() + 40)
            marked.append(QLatin1String(name));
    }
    return marked;
}

QString rightChoice(QWidget *window)
{
    const QStringList row = storedQuestion(labelText(window, "lb_Question"));
    for (const char *name : choiceNames) {
        if (row.size() == 5 && buttonText(window, name) == row.at(4))
            return QLatin1String(name);
    }
    return {};
}

int liveChildren(QWidget *window, const char *timerName)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window->findChildren<QTimer *>(QLatin1String(timerName), Qt::FindDirectChildrenOnly)
        .size();
}

int liveMovies(QWidget *window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window->findChildren<QMovie *>(QString(), Qt::FindDirectChildrenOnly).size();
}

} // namespace

class QuizTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void verdictsAndPoints_data();
    void verdictsAndPoints();
    void recordScoreNeedsReadableTable();

    void roundStart_data();
    void roundStart();
    void oneAnswerScoresAfterItsFeedback_data();
    void oneAnswerScoresAfterItsFeedback();
    void tenAnswersEndTheRound_data();
    void tenAnswersEndTheRound();
    void questionsAreDrawnIndependently();
    void everyStoredQuestionFitsThePage();
    void emptyQuizKeepsTheRoundGoing();
    void keyboardStartsAtTheFirstAnswer();

    void countdownRunsOutToTheResult();
    void timeOutDuringFeedbackEndsAtOnce();
    void backDuringFeedbackAbandonsTheRound();
    void wrongAnswerMarksTheRightChoice();

    void firstRoundAndStoredScore_data();
    void firstRoundAndStoredScore();
    void tryAgainMeasuresAgainstTheNewHighScore();

    void realTimeFeedbackLastsTwoSeconds();

private:
    std::unique_ptr<TemporaryHome> home;
    std::unique_ptr<MainWindow> window;

    MainWindow *openQuiz();
    void reopenWindow();
};

MainWindow *QuizTest::openQuiz()
{
    if (!home)
        home = std::make_unique<TemporaryHome>();
    reopenWindow();
    if (!clickButton(window.get(), "push_duzEvod"))
        return nullptr;
    return window.get();
}

// A new window on the same home directory, as when the program starts again.
void QuizTest::reopenWindow()
{
    window.reset();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    window = std::make_unique<MainWindow>();
    window->show();
}

void QuizTest::cleanup()
{
    window.reset();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    home.reset();
}

void QuizTest::verdictsAndPoints_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("reference");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("higher") << 1550 << 1500 << newHighVerdict;
    QTest::newRow("first round above nothing") << 150 << 0 << newHighVerdict;
    QTest::newRow("equal") << 1500 << 1500 << sameVerdict;
    QTest::newRow("nothing against nothing") << 0 << 0 << sameVerdict;
    QTest::newRow("lower") << 1450 << 1500 << lowerVerdict;
}

void QuizTest::verdictsAndPoints()
{
    QFETCH(int, score);
    QFETCH(int, reference);
    QFETCH(QString, verdict);
    QCOMPARE(QuizLogic::verdict(score, reference), verdict);

    // A right answer matches the stored text exactly; anything else is wrong
    // and still earns points.
    QCOMPARE(QuizLogic::pointsFor(QStringLiteral("Dirt"), QStringLiteral("Dirt")), 200);
    QCOMPARE(QuizLogic::pointsFor(QStringLiteral("dirt"), QStringLiteral("Dirt")), 150);
    QCOMPARE(QuizLogic::pointsFor(QStringLiteral("Dirt "), QStringLiteral("Dirt")), 150);
}

void QuizTest::recordScoreNeedsReadableTable()
{
    // A closed connection reads as "nothing stored", shows "0" and writes nothing.
    QSqlDatabase closed =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("closed"));
    const QuizLogic::HighScore none = QuizLogic::readHighScore(closed);
    QVERIFY(!none.readable);
    QCOMPARE(QuizLogic::highScoreText(none), QStringLiteral("0"));
    QCOMPARE(QuizLogic::reference(none), 0);
    QVERIFY(!QuizLogic::recordScore(closed, none, 500));
    closed = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("closed"));

    // A table that cannot be read is not written blindly.
    {
        QSqlDatabase memory =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("memory"));
        memory.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(memory.open());
        const QuizLogic::HighScore missing = QuizLogic::readHighScore(memory);
        QVERIFY(!missing.readable);
        QVERIFY(!QuizLogic::recordScore(memory, missing, 500));
        memory.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("memory"));
}

void QuizTest::roundStart_data()
{
    QTest::addColumn<bool>("tryAgain");
    QTest::newRow("Start on the quiz menu") << false;
    QTest::newRow("Try Again after a round") << true;
}

void QuizTest::roundStart()
{
    QFETCH(bool, tryAgain);
    QWidget *w = openQuiz();
    QVERIFY(w);
    QCOMPARE(contentPage(w), quizMenuPage);
    if (tryAgain) {
        QVERIFY(playRound(w, 3, 4));
        QCOMPARE(labelText(w, "lb_splashScore"), QStringLiteral("750"));
        QVERIFY(start(w, "push_TryAgain"));
    } else {
        QVERIFY(start(w));
    }

    QCOMPARE(contentPage(w), questionPage);
    QCOMPARE(labelText(w, "lb_timer"), QStringLiteral("60s"));
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 1"));
    QCOMPARE(labelText(w, "lb_QuizScore"), QStringLiteral("Your Score: 0"));
    QVERIFY(!child<QLabel>(w, "lb_QuizStatus")->isVisible());
    QVERIFY(choicesEnabled(w, true));

    // The question is one of the stored ones, its options in stored order.
    const QStringList row = storedQuestion(labelText(w, "lb_Question"));
    QCOMPARE(row.size(), 5);
    for (int option = 0; option < 4; ++option)
        QCOMPARE(buttonText(w, choiceNames[option]), row.at(option));
    QCOMPARE(liveChildren(w, "quizTimer"), 1);
}

void QuizTest::oneAnswerScoresAfterItsFeedback_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("animation");
    QTest::addColumn<QString>("score");
    QTest::newRow("right") << true << QStringLiteral("tick.gif") << QStringLiteral("200");
    QTest::newRow("wrong") << false << QStringLiteral("cross.gif") << QStringLiteral("150");
}

void QuizTest::oneAnswerScoresAfterItsFeedback()
{
    QFETCH(bool, right);
    QFETCH(QString, animation);
    QFETCH(QString, score);
    QWidget *w = openQuiz();
    QVERIFY(w);
    // The question page's second visit: its choices still answer once.
    QVERIFY(start(w));
    QVERIFY(clickButton(w, "push_back"));
    QVERIFY(start(w));
    QVERIFY(answer(w, right));

    // Feedback: the animation shows, every choice is disabled, the score waits.
    auto *status = child<QLabel>(w, "lb_QuizStatus");
    QVERIFY(status->isVisible());
    QVERIFY(status->movie());
    QVERIFY(status->movie()->fileName().endsWith(animation));
    QVERIFY(choicesEnabled(w, false));
    QVERIFY(!clickButton(w, "push_QuizChoice1"));
    QCOMPARE(labelText(w, "lb_QuizScore"), QStringLiteral("Your Score: 0"));

    feedbackTicks(w, 1); // one second: nothing changes
    QVERIFY(status->isVisible());
    QVERIFY(choicesEnabled(w, false));
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 1"));

    feedbackTicks(w, 1); // two seconds: the next question
    QVERIFY(!status->isVisible());
    QVERIFY(choicesEnabled(w, true));
    QCOMPARE(labelText(w, "lb_QuizScore"), QStringLiteral("Your Score: ") + score);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 2"));
    QCOMPARE(contentPage(w), questionPage);
    QCOMPARE(liveChildren(w, "gifTimer"), 0);

    // A stray tick with no feedback running changes nothing.
    feedbackTicks(w, 3);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 2"));
    QVERIFY(choicesEnabled(w, true));
}

void QuizTest::tenAnswersEndTheRound_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<int>("total");
    QTest::newRow("ten right") << true << 2000;
    QTest::newRow("ten wrong") << false << 1500;
}

void QuizTest::tenAnswersEndTheRound()
{
    QFETCH(bool, right);
    QFETCH(int, total);
    QWidget *w = openQuiz();
    QVERIFY(w);
    QVERIFY(start(w));
    QSet<QString> asked;
    for (int given = 0; given < 10; ++given) {
        QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. %1").arg(given + 1));
        // Fifteen are stored: none of the ten comes twice.
        asked.insert(labelText(w, "lb_Question"));
        QCOMPARE(asked.size(), given + 1);
        QVERIFY(answer(w, right));
        // Each answer's timer and animation replace the previous ones.
        QCOMPARE(liveChildren(w, "gifTimer"), 1);
        QCOMPARE(liveMovies(w), 1);
        feedbackTicks(w, 1);
        QCOMPARE(contentPage(w), questionPage); // the tenth answer's feedback too
        feedbackTicks(w, 1);
        if (given < 9)
            QCOMPARE(contentPage(w), questionPage);
    }
    QCOMPARE(contentPage(w), resultPage);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 10"));
    QCOMPARE(labelText(w, "lb_splashScore"), QString::number(total));
    QCOMPARE(labelText(w, "lb_resultHeading"), QStringLiteral("All ten answered!"));
    QCOMPARE(labelText(w, "lb_splash"), QStringLiteral("COOL! you got yourself a score of:"));
    QCOMPARE(labelText(w, "lb_balloon"), newHighVerdict);
    QCOMPARE(storedHighScore(), std::optional<int>(total));
    QCOMPARE(liveChildren(w, "quizTimer"), 0);

    // The countdown is gone: further ticks change nothing.
    const QString timeLeft = labelText(w, "lb_timer");
    countdownTicks(w, 5);
    QCOMPARE(labelText(w, "lb_timer"), timeLeft);
    QCOMPARE(quizScoreRows(), 1);
}

// With a single question stored, it is asked again once it has been asked.
void QuizTest::questionsAreDrawnIndependently()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    execSql(QStringLiteral("DELETE FROM Quiz WHERE QID > 1"));
    QVERIFY(start(w));
    const QString first = labelText(w, "lb_Question");
    QVERIFY(!storedQuestion(first).isEmpty());
    QVERIFY(answer(w, true));
    feedbackTicks(w, 2);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 2"));
    QCOMPARE(labelText(w, "lb_Question"), first);
}

void QuizTest::everyStoredQuestionFitsThePage()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QList<QVariantList> rows;
    {
        QSqlQuery query(QSqlDatabase::database());
        QVERIFY(query.exec(QStringLiteral("SELECT * FROM Quiz")));
        while (query.next()) {
            QVariantList row;
            for (int column = 0; column < 7; ++column)
                row.append(query.value(column));
            rows.append(row);
        }
    }
    QCOMPARE(rows.size(), 15);

    // Each question alone in the table, so the round must show it.
    for (const QVariantList &row : std::as_const(rows)) {
        execSql(QStringLiteral("DELETE FROM Quiz"));
        execSql(QStringLiteral("insert into Quiz values(?,?,?,?,?,?,?)"), row);
        QVERIFY(start(w));
        auto *question = child<QLabel>(w, "lb_Question");
        QCOMPARE(question->text(), row.at(1).toString());
        QVERIFY2(question->heightForWidth(question->width()) <= question->height(),
                 qPrintable(question->text()));
        for (const char *name : choiceNames) {
            auto *choice = child<QPushButton>(w, name);
            QVERIFY2(choice->sizeHint().width() <= choice->width(), qPrintable(choice->text()));
        }
        QVERIFY(clickButton(w, "push_back"));
    }

    // The widest numbers a round shows.
    QVERIFY(start(w));
    for (const auto &[name, text] : {std::pair{"lb_QuestionNo", QuizLogic::questionNumberText(9)},
                                     std::pair{"lb_QuizScore", QuizLogic::scoreText(2000)},
                                     std::pair{"lb_timer", QuizLogic::timeLeftText(60)}}) {
        auto *label = child<QLabel>(w, name);
        QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width(),
                 name);
    }

    // The result page: the caption, the best score and the longest verdict.
    QVERIFY(playRound(w, 10, 10));
    auto *caption = child<QLabel>(w, "lb_splash");
    QVERIFY(caption->heightForWidth(caption->width()) <= caption->height());
    auto *score = child<QLabel>(w, "lb_splashScore");
    QCOMPARE(score->text(), QStringLiteral("2000"));
    QVERIFY(score->sizeHint().width() <= score->width());
    auto *balloon = child<QLabel>(w, "lb_balloon");
    for (const QString &verdict : {newHighVerdict, sameVerdict, lowerVerdict}) {
        balloon->setText(verdict);
        QVERIFY2(balloon->heightForWidth(balloon->width()) <= balloon->height(),
                 qPrintable(verdict));
    }
    QVERIFY(clickButton(w, "push_back_2"));
    auto *high = child<QLabel>(w, "lb_Hscore");
    QCOMPARE(high->text(), QStringLiteral("2000"));
    QVERIFY(high->sizeHint().width() <= high->width());
}

void QuizTest::emptyQuizKeepsTheRoundGoing()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QVERIFY(start(w));
    const QString question = labelText(w, "lb_Question");
    const QString option = buttonText(w, "push_QuizChoice1");
    execSql(QStringLiteral("DELETE FROM Quiz"));

    // The question on screen stays; its answer is still judged.
    QVERIFY(clickButton(w, "push_QuizChoice1"));
    holdTimers(w);
    feedbackTicks(w, 2);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 2"));
    QCOMPARE(labelText(w, "lb_Question"), question);
    QCOMPARE(buttonText(w, "push_QuizChoice1"), option);
    QVERIFY(choicesEnabled(w, true));
}

// By keyboard, each question starts at the first answer, and Tab goes
// through the answers before BACK, so Return answers rather than leaves.
void QuizTest::keyboardStartsAtTheFirstAnswer()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(start(w));
    for (int question = 1; question <= 2; ++question) {
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(w, "push_QuizChoice1"));
        for (const char *name :
             {"push_QuizChoice2", "push_QuizChoice3", "push_QuizChoice4", "push_back"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), child<QWidget>(w, name));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the fourth answer
        QVERIFY(choicesEnabled(w, false));
        holdTimers(w);
        feedbackTicks(w, 2);
    }
    QCOMPARE(contentPage(w), questionPage);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 3"));
}

void QuizTest::countdownRunsOutToTheResult()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QCOMPARE(labelText(w, "lb_Hscore"), QStringLiteral("0"));
    QVERIFY(start(w));
    for (int left = 59; left >= 1; --left) {
        countdownTicks(w, 1);
        QCOMPARE(labelText(w, "lb_timer"), QStringLiteral("%1s").arg(left));
        QCOMPARE(contentPage(w), questionPage);
    }
    countdownTicks(w, 1);
    QCOMPARE(labelText(w, "lb_timer"), QStringLiteral("0s"));
    QCOMPARE(contentPage(w), resultPage);

    QCOMPARE(labelText(w, "lb_resultHeading"), QStringLiteral("Time's up!"));
    // No answer: the first round stores 0 and ties with "nothing stored".
    QCOMPARE(labelText(w, "lb_splashScore"), QStringLiteral("0"));
    QCOMPARE(labelText(w, "lb_balloon"), sameVerdict);
    QCOMPARE(storedHighScore(), std::optional<int>(0));
    QCOMPARE(liveChildren(w, "quizTimer"), 0);

    countdownTicks(w, 3);
    QCOMPARE(labelText(w, "lb_timer"), QStringLiteral("0s"));
    QCOMPARE(quizScoreRows(), 1);
}

void QuizTest::timeOutDuringFeedbackEndsAtOnce()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QVERIFY(start(w));
    countdownTicks(w, 59);
    QVERIFY(answer(w, true));
    feedbackTicks(w, 1);
    countdownTicks(w, 1);

    // The result shows as the countdown reaches 0, feedback or not.
    QCOMPARE(contentPage(w), resultPage);
    QCOMPARE(labelText(w, "lb_splashScore"), QStringLiteral("200"));
    QCOMPARE(labelText(w, "lb_balloon"), newHighVerdict);
    QCOMPARE(storedHighScore(), std::optional<int>(200));

    // The late feedback tick tidies up: no second end, no new question.
    feedbackTicks(w, 1);
    QCOMPARE(contentPage(w), resultPage);
    QVERIFY(!child<QLabel>(w, "lb_QuizStatus")
                 ->isVisibleTo(w->findChild<QWidget *>(QStringLiteral("page_DuzEvod2"))));
    QVERIFY(child<QLabel>(w, "lb_QuizStatus")->movie()->state() == QMovie::NotRunning);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 1"));
    QCOMPARE(labelText(w, "lb_timer"), QStringLiteral("0s"));
    QCOMPARE(labelText(w, "lb_balloon"), newHighVerdict);
    QCOMPARE(quizScoreRows(), 1);
    QCOMPARE(storedHighScore(), std::optional<int>(200));
    QCOMPARE(liveChildren(w, "gifTimer"), 0);
}

void QuizTest::backDuringFeedbackAbandonsTheRound()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    execSql(QStringLiteral("insert into QuizScore values(1,?)"), {100});
    QVERIFY(start(w));
    QVERIFY(answer(w, true));
    QVERIFY(clickButton(w, "push_back"));

    QCOMPARE(contentPage(w), quizMenuPage);
    QCOMPARE(labelText(w, "lb_Hscore"), QStringLiteral("100"));
    for (const char *name : {"lb_Question", "lb_QuestionNo", "lb_QuizScore", "lb_timer"})
        QVERIFY2(labelText(w, name).isEmpty(), name);
    // The result page was never reached, so it was never built.
    QVERIFY(!w->findChild<QLabel *>(QStringLiteral("lb_splashScore")));
    QVERIFY(child<QLabel>(w, "lb_background")->pixmap().isNull());
    QCOMPARE(liveChildren(w, "quizTimer"), 0);

    // Neither the old feedback nor the old countdown ends the abandoned round.
    feedbackTicks(w, 2);
    countdownTicks(w, 60);
    QCOMPARE(contentPage(w), quizMenuPage);
    QVERIFY(!child<QLabel>(w, "lb_QuizStatus")
                 ->isVisibleTo(w->findChild<QWidget *>(QStringLiteral("page_DuzEvod2"))));
    QCOMPARE(storedHighScore(), std::optional<int>(100));
    QCOMPARE(quizScoreRows(), 1);

    // Back again before the old feedback finished, then a new round: the old
    // feedback does not tick into it.
    QVERIFY(start(w));
    QVERIFY(answer(w, false));
    QVERIFY(clickButton(w, "push_back"));
    QVERIFY(start(w));
    feedbackTicks(w, 2);
    QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 1"));
    QVERIFY(choicesEnabled(w, true));
    QCOMPARE(liveChildren(w, "gifTimer"), 0);
    QCOMPARE(liveChildren(w, "quizTimer"), 1);
}

void QuizTest::wrongAnswerMarksTheRightChoice()
{
    QWidget *quiz = openQuiz();
    QVERIFY(quiz);
    QVERIFY(start(quiz));
    QCOMPARE(markedChoices(quiz), QStringList{});
    const QString right = rightChoice(quiz);
    QVERIFY(!right.isEmpty());
    QVERIFY(answer(quiz, false));
    QCOMPARE(markedChoices(quiz), QStringList{right});
    feedbackTicks(quiz, 1);
    QCOMPARE(markedChoices(quiz), QStringList{right}); // for both seconds
    feedbackTicks(quiz, 1);
    QCOMPARE(labelText(quiz, "lb_QuestionNo"), QStringLiteral("Question. 2"));
    QCOMPARE(markedChoices(quiz), QStringList{});
    // A right answer marks nothing.
    QVERIFY(answer(quiz, true));
    QCOMPARE(markedChoices(quiz), QStringList{});
    feedbackTicks(quiz, 2);
    // Leaving during the feedback takes the mark away too.
    QVERIFY(answer(quiz, false));
    QCOMPARE(markedChoices(quiz).size(), 1);
    QVERIFY(clickButton(quiz, "push_back"));
    QCOMPARE(markedChoices(quiz), QStringList{});
}

void QuizTest::firstRoundAndStoredScore_data()
{
    QTest::addColumn<int>("stored"); // -1: no row
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<int>("storedAfter");
    QTest::newRow("first round inserts") << -1 << 2 << 3 << 550 << newHighVerdict << 550;
    QTest::newRow("first round of 0 inserts 0") << -1 << 0 << 0 << 0 << sameVerdict << 0;
    QTest::newRow("higher replaces") << 500 << 2 << 3 << 550 << newHighVerdict << 550;
    QTest::newRow("tie keeps") << 1000 << 5 << 5 << 1000 << sameVerdict << 1000;
    QTest::newRow("lower keeps") << 1000 << 4 << 4 << 800 << lowerVerdict << 1000;
    QTest::newRow("0 below a stored score") << 150 << 0 << 0 << 0 << lowerVerdict << 150;
}

void QuizTest::firstRoundAndStoredScore()
{
    QFETCH(int, stored);
    QFETCH(int, right);
    QFETCH(int, answers);
    QFETCH(int, score);
    QFETCH(QString, verdict);
    QFETCH(int, storedAfter);
    QWidget *w = openQuiz();
    QVERIFY(w);
    QCOMPARE(labelText(w, "lb_Hscore"), QStringLiteral("0"));
    if (stored >= 0) {
        // As a previous round would have stored it; the menu shows it once
        // entered again.
        execSql(QStringLiteral("insert into QuizScore values(1,?)"), {stored});
        QVERIFY(clickButton(w, "push_Exit"));
        QVERIFY(clickButton(w, "push_duzEvod"));
    }
    QCOMPARE(labelText(w, "lb_Hscore"), stored >= 0 ? QString::number(stored) : "0");

    QVERIFY(playRound(w, right, answers));
    QCOMPARE(labelText(w, "lb_splashScore"), QString::number(score));
    QCOMPARE(labelText(w, "lb_balloon"), verdict);
    QCOMPARE(storedHighScore(), std::optional<int>(storedAfter));
    QCOMPARE(quizScoreRows(), 1);
    QCOMPARE(queryValue(QStringLiteral("SELECT QID FROM QuizScore")).toInt(), 1);

    QVERIFY(clickButton(w, "push_back_2"));
    QCOMPARE(contentPage(w), quizMenuPage);
    QCOMPARE(labelText(w, "lb_Hscore"), QString::number(storedAfter));
}

void QuizTest::tryAgainMeasuresAgainstTheNewHighScore()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    execSql(QStringLiteral("insert into QuizScore values(1,?)"), {1600});

    // 8 right and 2 wrong: 1900, a new high score.
    QVERIFY(playRound(w, 8, 10));
    QCOMPARE(labelText(w, "lb_splashScore"), QStringLiteral("1900"));
    QCOMPARE(labelText(w, "lb_balloon"), newHighVerdict);
    QCOMPARE(storedHighScore(), std::optional<int>(1900));

    // Straight on with Try Again: 4 right and 6 wrong, 1700, below 1900.
    QVERIFY(playRound(w, 4, 10, "push_TryAgain"));
    QCOMPARE(labelText(w, "lb_splashScore"), QStringLiteral("1700"));
    QCOMPARE(labelText(w, "lb_balloon"), lowerVerdict);
    QCOMPARE(storedHighScore(), std::optional<int>(1900));

    // And again a tie with 1900.
    QVERIFY(playRound(w, 8, 10, "push_TryAgain"));
    QCOMPARE(labelText(w, "lb_balloon"), sameVerdict);

    QVERIFY(clickButton(w, "push_back_2"));
    QCOMPARE(labelText(w, "lb_Hscore"), QStringLiteral("1900"));
    QVERIFY(clickButton(w, "push_Exit"));
    QCOMPARE(contentPage(w), 2);
    QVERIFY(labelText(w, "lb_Hscore").isEmpty());
    QVERIFY(clickButton(w, "push_duzEvod"));
    QCOMPARE(contentPage(w), quizMenuPage);
    QCOMPARE(labelText(w, "lb_Hscore"), QStringLiteral("1900"));

    // The high score outlives the program.
    reopenWindow();
    QVERIFY(clickButton(window.get(), "push_duzEvod"));
    QCOMPARE(labelText(window.get(), "lb_Hscore"), QStringLiteral("1900"));
    QCOMPARE(quizScoreRows(), 1);
}

void QuizTest::realTimeFeedbackLastsTwoSeconds()
{
    QWidget *w = openQuiz();
    QVERIFY(w);
    QVERIFY(clickButton(w, "push_Start"));
    const QStringList row = storedQuestion(labelText(w, "lb_Question"));
    QCOMPARE(row.size(), 5);
    const char *rightChoice = nullptr;
    for (const char *name : choiceNames) {
        if (buttonText(w, name) == row.at(4))
            rightChoice = name;
    }
    QVERIFY(rightChoice);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(clickButton(w, rightChoice));

    // Past the first second the tick still shows and the choices stay
    // disabled (looked at only if a busy machine did not oversleep).
    QTest::qWait(1150);
    if (clock.elapsed() < 1800) {
        QVERIFY(child<QLabel>(w, "lb_QuizStatus")->isVisible());
        QVERIFY(choicesEnabled(w, false));
        QCOMPARE(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 1"));
    }

    QTRY_COMPARE_WITH_TIMEOUT(labelText(w, "lb_QuestionNo"), QStringLiteral("Question. 2"), 3000);
    QVERIFY(clock.elapsed() >= 1800); // two ticks, not one; coarse timers may come 5% early
    QVERIFY(!child<QLabel>(w, "lb_QuizStatus")->isVisible());
    QCOMPARE(labelText(w, "lb_QuizScore"), QStringLiteral("Your Score: 200"));
    QVERIFY(choicesEnabled(w, true));
    // The countdown ran alongside.
    const int left = labelText(w, "lb_timer").chopped(1).toInt();
    QVERIFY2(left >= 56 && left <= 59, qPrintable(labelText(w, "lb_timer")));
}

QTEST_MAIN(QuizTest)
#include "tst_quiz.moc"
