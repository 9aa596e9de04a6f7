#include "quiz/quizlogic.h"

#include <QSqlQuery>
#include <QVariant>

std::optional<QuizLogic::Question> QuizLogic::randomQuestion(const QSqlDatabase &db,
                                                             const QList<qint64> &asked)
{
    if (!db.isOpen())
        return std::nullopt;
    // The questions not yet asked come first, in random order; the asked ones
    // only once none is left.
    QStringList marks;
    for (qsizetype i = 0; i < asked.size(); ++i)
        marks.append(QStringLiteral("?"));
    const QString askedLast =
        asked.isEmpty() ? QString() : QStringLiteral("QID IN (%1), ").arg(marks.join(u','));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT QID, Question, Option1, Option2, Option3, Option4, Answer "
                                 "FROM Quiz ORDER BY %1RANDOM() LIMIT 1")
                      .arg(askedLast));
    for (const qint64 id : asked)
        query.addBindValue(id);
    if (!query.exec() || !query.next())
        return std::nullopt;
    Question question;
    question.id = query.value(0).toLongLong();
    question.text = query.value(1).toString();
    for (int column = 2; column <= 5; ++column)
        question.options.append(query.value(column).toString());
    question.answer = query.value(6).toString();
    return question;
}

bool QuizLogic::isRight(const QString &choice, const QString &answer)
{
    return choice == answer;
}

int QuizLogic::pointsFor(const QString &choice, const QString &answer)
{
    return isRight(choice, answer) ? RightAnswerPoints : WrongAnswerPoints;
}

QString QuizLogic::scoreText(int score)
{
    return QStringLiteral("Your Score: ") + QString::number(score);
}

QString QuizLogic::questionNumberText(int answered)
{
    return QStringLiteral("Question. ") + QString::number(answered + 1);
}

QString QuizLogic::timeLeftText(int seconds)
{
    return QString::number(seconds) + QStringLiteral("s");
}

QuizLogic::HighScore QuizLogic::readHighScore(const QSqlDatabase &db)
{
    HighScore high;
    if (!db.isOpen())
        return high;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT QuizHScore from QuizScore")))
        return high;
    high.readable = true;
    if (query.next()) {
        high.stored = true;
        high.value = query.value(0).toInt();
        high.text = query.value(0).toString();
    }
    return high;
}

int QuizLogic::reference(const HighScore &before)
{
    return before.stored ? before.value : 0;
}

bool QuizLogic::recordScore(const QSqlDatabase &db, const HighScore &before, int score)
{
    // A table that could not be read is left alone: an insert might add a
    // second row beside one we could not see.
    if (!before.readable || !db.isOpen())
        return false;
    QSqlQuery query(db);
    if (!before.stored) {
        query.prepare(QStringLiteral("INSERT INTO QuizScore (QID, QuizHScore) VALUES (1,?)"));
    } else if (score > before.value) {
        query.prepare(QStringLiteral("UPDATE QuizScore SET QuizHScore=?"));
    } else {
        return false;
    }
    query.addBindValue(score);
    return query.exec() && query.numRowsAffected() > 0;
}

QString QuizLogic::verdict(int score, int reference)
{
    if (score > reference)
        return QStringLiteral("WAO! you just made a new high score!");
    if (score == reference)
        return QStringLiteral("hmm! you got the same score as previous player, try again!");
    return QStringLiteral("sorry! someone beat to your score. click try again to play again!");
}

QString QuizLogic::highScoreText(const HighScore &stored)
{
    return stored.stored ? stored.text : QStringLiteral("0");
}
