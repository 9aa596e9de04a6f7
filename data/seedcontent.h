// The built-in content that every start stores when it is missing: saving tips,
// tariffs, events, quick facts, quiz questions and craft ideas. Each list is in
// insertion order and each struct in column order of its table.
#pragma once

#include <QList>
#include <QString>

namespace Seed {

// The stamp of the built-in content, kept in the file's PRAGMA user_version. A
// start that finds this stamp skips the look-ups of every built-in row. Bump it
// whenever anything below, or in seedcontent.cpp, changes, or the indexes
// that seeding creates: the next start then stores what is missing, creates
// what is new and stamps the file anew. 2: the events' dates index.
constexpr int contentStamp = 2;

// The stamp at which the built-in rows below last gained rows. A file stamped
// below it gets every built-in row it lacks; a later one only gets them into a
// table that is new or empty, so that a row the household deleted stays deleted.
// Set it to the new contentStamp when rows are added.
constexpr int rowsStamp = 1;

struct Tip
{
    QString name; // applianceName / waterApplianceName
    QString text; // applianceTips / waterTips
};

struct Rate
{
    QString date;   // rateDate, "dd/MM/yyyy"
    QString type;   // rateType, "water" or "electricity"
    QString amount; // rateAmt, decimal text
    QString source; // rateRetrieve
};

// One event as stored in Events; the event server's records have the same fields.
struct Event
{
    QString name;
    QString venue;
    QString description;
    QString admissionFee;
    QString startDate; // "M@d@yyyy"
    QString endDate;   // "M@d@yyyy"

    bool operator==(const Event &other) const
    {
        return name == other.name && venue == other.venue && description == other.description &&
               admissionFee == other.admissionFee && startDate == other.startDate &&
               endDate == other.endDate;
    }
};

struct QuickFact
{
    QString factLong;
    QString factShort;
    QString picture; // bare file name under ":/new/prefix1/images/"
    QString name;
    QString tags; // keywords joined by '@'
};

struct QuizQuestion
{
    QString question;
    QString option1;
    QString option2;
    QString option3;
    QString option4;
    QString answer; // always the exact text of one option
};

struct Craft
{
    QString title;
    QString description;
    QString category;
    QString thingsNeeded;
    QString instruction;
    QString url1;     // full resource path of the first picture
    QString url2;     // full resource path of the second picture, or empty
    QString videoUrl; // or empty
};

const QList<Tip> &waterTips();
const QList<Tip> &electricityTips();
const QList<Rate> &rates();
const QList<Event> &events();
const QList<QuickFact> &quickFacts();
const QList<QuizQuestion> &quizQuestions();
const QList<Craft> &crafts();

} // namespace Seed
