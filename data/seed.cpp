#include "database.h"
#include "seedcontent.h"

namespace {

// Runs one block of the seeding in a single transaction: a first start writes
// the block at once instead of committing row by row.
template<typename Block> void inTransaction(QSqlDatabase &db, Block block)
{
    const bool transaction = db.transaction();
    block();
    if (transaction)
        db.commit();
}

} // namespace

void Database::createAndSeed(QSqlDatabase &db)
{
    if (db.isOpen()) {
        inTransaction(db, [&db] {
            for (const char *table :
                 {"QuickFact", "Rates", "Diary", "Tips", "waterTips", "waterDiary"})
                createTable(db, QLatin1String(table));
            for (const Seed::Tip &tip : Seed::waterTips())
                insertWaterTips(db, tip.name, tip.text);
            for (const Seed::Tip &tip : Seed::electricityTips())
                insertTips(db, tip.name, tip.text);
            for (const Seed::Rate &rate : Seed::rates())
                insertRates(db, rate.date, rate.type, rate.amount, rate.source);
            createTable(db, QStringLiteral("Events"));
            for (const Seed::Event &event : Seed::events())
                insertEvents(db, event.name, event.venue, event.description, event.admissionFee,
                             event.startDate, event.endDate);
            for (const Seed::QuickFact &fact : Seed::quickFacts())
                insertQuickFact(db, fact.factLong, fact.factShort, fact.picture, fact.name,
                                fact.tags);
        });
    }
    if (db.isOpen()) {
        inTransaction(db, [&db] {
            createTable(db, QStringLiteral("Quiz"));
            createTable(db, QStringLiteral("QuizScore"));
            for (const Seed::QuizQuestion &quiz : Seed::quizQuestions())
                insertQuiz(db, quiz.question, quiz.option1, quiz.option2, quiz.option3,
                           quiz.option4, quiz.answer);
        });
    }
    if (db.isOpen()) {
        inTransaction(db, [&db] {
            createTable(db, QStringLiteral("DarAror"));
            for (const Seed::Craft &craft : Seed::crafts())
                insertDarAror(db, craft.title, craft.description, craft.category,
                              craft.thingsNeeded, craft.instruction, craft.url1, craft.url2,
                              craft.videoUrl);
        });
    }
}
