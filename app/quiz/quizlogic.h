// The eco quiz without its widgets: drawing a question, judging and scoring an
// answer, the texts of the question page and the stored high score.
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace QuizLogic {

// A round lasts at most this many seconds and takes at most this many answers.
constexpr int RoundSeconds = 60;
constexpr int AnswersPerRound = 10;
// Every answer earns points: a wrong one fewer than a right one.
constexpr int RightAnswerPoints = 200;
constexpr int WrongAnswerPoints = 150;

struct Question
{
    qint64 id = 0; // the row's QID
    QString text;
    QStringList options; // four, in stored order
    QString answer;      // the exact text of the right option
};

// One question of the Quiz table at random, one whose QID is not in asked
// while such a question is stored, else any; nothing when the connection is
// closed, the table is empty or cannot be read.
std::optional<Question> randomQuestion(const QSqlDatabase &db, const QList<qint64> &asked = {});

// An answer is right only when it equals the stored answer exactly.
bool isRight(const QString &choice, const QString &answer);
int pointsFor(const QString &choice, const QString &answer);

QString scoreText(int score);             // "Your Score: 350"
QString questionNumberText(int answered); // "Question. 3" after two answers
QString timeLeftText(int seconds);        // "59s"

// The QuizScore table holds at most one row with the best score so far.
struct HighScore
{
    bool readable = false; // the table could be read
    bool stored = false;   // it holds a row
    int value = 0;         // that row's score
    QString text;          // the score as stored, for showing
};

HighScore readHighScore(const QSqlDatabase &db);

// The score a finished round is measured against: the stored one, 0 when none.
int reference(const HighScore &before);

// Records a finished round's score against what was stored before it: the first
// round inserts its score (0 included), a later one only replaces a lower
// score. Returns whether a row was written.
bool recordScore(const QSqlDatabase &db, const HighScore &before, int score);

// The result page's message for score against the reference high score.
QString verdict(int score, int reference);

// What the quiz menu shows: the stored high score, "0" while none is stored.
QString highScoreText(const HighScore &stored);

} // namespace QuizLogic
