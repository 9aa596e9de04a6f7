// A page's visit, from the click that opens it to the page painted, on the
// offscreen platform, in the same MainWindow that the executable shows.
//
//   viridio-bench-pages               every page, each in fresh processes, and
//                                     the large-table cases; prints the table
//   viridio-bench-pages PAGE [FILL]   one measurement: prints "first repeat" ms
//                                     of wall time, then of the window thread's
//                                     processor time
//
// A first visit builds the page, so each is measured in a process of its own:
// the page is reached from the page before it, its button clicked, and the
// window painted. The same click again, after going back, is the repeat visit.
// FILL "events" stores 10,000 events of this month first, "diaries" 10,000
// days in each diary (measured on both diaries and on their history),
// "meters" those days with their kept answers and 1,000 readings of each
// meter (measured on the history, its meters page and the readings), and
// "answers" the same with an answer given on the page before, so that the
// click records it (a page's OK) before the next page is painted; "own" the
// meters' days with twenty own appliances, each answered on every day
// (measured on the quick day, which reads them all), "own, today open" the
// same but for today, which the quick day then fills in from the same day a
// week before, and "own, week open" the same but for today and that day, so
// that it fills in from yesterday.

#include "app/clock.h"
#include "app/household/calculatorlogic.h"
#include "mainwindow.h"
#include "tools/pagetour/pagevisits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using W = MainWindow;
using PageVisits::Visit;
using PageVisits::visits;

// Stores count rows in one transaction.
void fill(const QString &sql, int count, const std::function<QVariantList(int)> &values)
{
    QSqlDatabase db = QSqlDatabase::database();
    db.transaction();
    QSqlQuery query(db);
    query.prepare(sql);
    for (int i = 0; i < count; ++i) {
        for (const QVariant &value : values(i))
            query.addBindValue(value);
        query.exec();
    }
    db.commit();
}

void fillEvents(int count)
{
    const QDate today = Clock::today();
    const QString date =
        QStringLiteral("%1@%2@%3").arg(today.month()).arg(today.day()).arg(today.year());
    fill(QStringLiteral("INSERT INTO Events(eventName, venue, eventDesc, admissionFee, startDate, "
                        "endDate) VALUES(?, 'Town hall', 'A day out', 'Free', ?, ?)"),
         count, [&date](int i) {
             return QVariantList{QStringLiteral("Stored event %1").arg(i), date, date};
         });
}

void fillDiaries(int count)
{
    const QDate today = Clock::today();
    const auto key = [&today](int i) {
        return CalculatorLogic::dayKey(today.addDays(-i));
    };
    fill(QStringLiteral("INSERT INTO Diary VALUES(?, '1.1', '2.2', '3.3', '4.4', '5.5', '6.6', "
                        "'7.7', '8.8', '9.9', '1.0', '2.0')"),
         count, [&key](int i) { return QVariantList{key(i)}; });
    fill(QStringLiteral("INSERT INTO waterDiary VALUES(?, '4', '1.1', '2.2', '3.3', '4.4', "
                        "'5.5', '6.6')"),
         count, [&key](int i) { return QVariantList{key(i)}; });
}

// 10,000 days in each diary with the answers kept beside their costs, and
// 1,000 readings of each meter, one a day back from today.
void fillMeters(int days, int readings)
{
    fillDiaries(days);
    const QDate today = Clock::today();
    QStringList items = CalculatorLogic::applianceColumns() + CalculatorLogic::waterColumns();
    const qsizetype perDay = items.size();
    fill(QStringLiteral("INSERT INTO DayUsage (dayKey, item, amount, quantity) VALUES (?,?,?,?)"),
         int(days * perDay), [&](int i) {
             return QVariantList{CalculatorLogic::dayKey(today.addDays(-i / perDay)),
                                 items.at(i % perDay), 2, 1.5};
         });
    fill(QStringLiteral("INSERT INTO MeterReading (meter, readingDate, reading, newSeries) VALUES "
                        "(?,?,?,0)"),
         2 * readings, [&](int i) {
             const int back = i / 2;
             return QVariantList{i % 2 ? QStringLiteral("water") : QStringLiteral("electricity"),
                                 today.addDays(-back).toString(Qt::ISODate),
                                 QString::number(100000 - back * 9.5)};
         });
}

// Twenty own appliances, each answered on each of the days.
void fillOwnAppliances(int days)
{
    constexpr int appliances = 20;
    fill(QStringLiteral("INSERT INTO OwnAppliance (id, name, watts, count) VALUES (?,?,2000,1)"),
         appliances, [](int i) {
             return QVariantList{i + 1, QStringLiteral("Own appliance %1").arg(i + 1)};
         });
    const QDate today = Clock::today();
    fill(QStringLiteral("INSERT INTO DayUsage (dayKey, item, amount, watts, count, quantity) "
                        "VALUES (?,?,2,2000,1,4)"),
         days * appliances, [&](int i) {
             return QVariantList{CalculatorLogic::dayKey(today.addDays(-i / appliances)),
                                 CalculatorLogic::ownItem(i % appliances + 1)};
         });
    fill(QStringLiteral("INSERT INTO OwnApplianceDay (dayKey, applianceId, cost) VALUES (?,?,1)"),
         days * appliances, [&](int i) {
             return QVariantList{CalculatorLogic::dayKey(today.addDays(-i / appliances)),
                                 i % appliances + 1};
         });
}

// Removes the answers of the day back days before today, so that a page
// fills in from another day.
void forgetDay(int back)
{
    const QString key = CalculatorLogic::dayKey(Clock::today().addDays(-back));
    for (const char *sql :
         {"DELETE FROM Diary WHERE retrieveDate=?",
          "DELETE FROM waterDiary WHERE waterRetrieveDate=?", "DELETE FROM DayUsage WHERE dayKey=?",
          "DELETE FROM OwnApplianceDay WHERE dayKey=?"})
        fill(QString::fromLatin1(sql), 1, [&key](int) { return QVariantList{key}; });
}

// Fills the calculator page on screen with an answer, so that its OK button
// records one: each hours box on its last choice, each empty amount 5.
void answerOnCurrentPage(MainWindow &window)
{
    QWidget *page =
        window.findChild<QStackedWidget *>(QStringLiteral("stackWid_ecoCalBody"))->currentWidget();
    for (QComboBox *hours : page->findChildren<QComboBox *>())
        hours->setCurrentIndex(hours->count() - 1);
    for (QLineEdit *amount : page->findChildren<QLineEdit *>()) {
        if (amount->text().isEmpty())
            amount->setText(QStringLiteral("5"));
    }
}

// The window thread's processor time in nanoseconds: the other programs of a
// busy machine do not count in it.
qint64 threadCpuNow()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Notes when the window has finished its first paint after the click was
// handled. Its paint runs as it handles the update it asks for; work that
// comes after it in the same turn (such as the further parts of a long list)
// is not waited for by the user, so the visit ends when that paint is done.
class PaintSeen : public QObject
{
public:
    PaintSeen(QWidget *window, const QElapsedTimer &clock)
        : window(window)
        , clock(clock)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    void clickHandled() { clicked = true; }
    qint64 paintedAt = -1;
    qint64 paintedAtCpu = -1;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest || object != window || !clicked ||
            paintedAt >= 0)
            return false;
        // Handled here, past the filters, so that the time is taken when it returns.
        static_cast<QObject *>(window)->event(event);
        paintedAt = clock.nsecsElapsed();
        paintedAtCpu = threadCpuNow();
        return true;
    }

private:
    QWidget *window;
    const QElapsedTimer &clock;
    bool clicked = false;
};

// Clicks the button; milliseconds from the click to the window painted, and
// the window thread's processor milliseconds in that time (in cpu). A page
// built during the click shows its widgets through posted events, and the
// update the click asks for is painted as they are handled. A click that
// painted nothing then is painted at once.
double clickAndPaint(MainWindow &window, const char *button, double *cpu)
{
    auto *pressed = window.findChild<QAbstractButton *>(QLatin1String(button));
    if (!pressed)
        return -1;
    QElapsedTimer timer;
    const qint64 cpuStart = threadCpuNow();
    timer.start();
    PaintSeen painted(&window, timer);
    // Connected after the window's own slot, so it runs once the click is handled.
    QObject::connect(pressed, &QAbstractButton::clicked, &painted, &PaintSeen::clickHandled);
    QTest::mouseClick(pressed, Qt::LeftButton, {}, pressed->rect().center());
    QCoreApplication::processEvents();
    if (painted.paintedAt < 0) {
        window.repaint();
        *cpu = double(threadCpuNow() - cpuStart) / 1e6;
        return double(timer.nsecsElapsed()) / 1e6;
    }
    *cpu = double(painted.paintedAtCpu - cpuStart) / 1e6;
    return double(painted.paintedAt) / 1e6;
}

int measureOne(int index, const QString &fillWith)
{
    const Visit &visit = visits[index];
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.251"); // nothing listens there
    MainWindow window;
    window.show();
    window.repaint();
    // A user's first click comes a while after the window appears.
    QTest::qWait(200);
    if (fillWith == QLatin1String("events"))
        fillEvents(10000);
    else if (fillWith == QLatin1String("diaries"))
        fillDiaries(10000);
    else if (fillWith == QLatin1String("meters") || fillWith == QLatin1String("answers"))
        fillMeters(10000, 1000);
    else if (fillWith.startsWith(QLatin1String("own"))) {
        fillMeters(10000, 0);
        fillOwnAppliances(10000);
        if (fillWith != QLatin1String("own"))
            forgetDay(0);
        if (fillWith == QLatin1String("own, week open"))
            forgetDay(7);
    }

    const auto reachFrom = [&] {
        PageVisits::show(window, visit.from);
        if (fillWith == QLatin1String("answers"))
            answerOnCurrentPage(window);
        window.repaint();
        QCoreApplication::processEvents();
    };
    reachFrom();
    double firstCpu = 0, repeatCpu = 0;
    const double first = clickAndPaint(window, visit.button, &firstCpu);
    reachFrom();
    const double repeat = clickAndPaint(window, visit.button, &repeatCpu);
    if (first < 0 || repeat < 0)
        return 1;
    // Wall, then the window thread's processor time.
    std::printf("%.3f %.3f %.3f %.3f\n", first, repeat, firstCpu, repeatCpu);
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs one measurement in fresh processes; the medians of first and repeat.
bool measure(const QString &program, int index, const QString &fillWith, double *first,
             double *repeat)
{
    constexpr int runs = 9;
    std::vector<double> firsts, repeats;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(program, {QString::number(index), fillWith});
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            return false;
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() < 2)
            return false;
        firsts.push_back(figures.at(0).toDouble());
        repeats.push_back(figures.at(1).toDouble());
    }
    *first = median(firsts);
    *repeat = median(repeats);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    const int count = int(std::size(visits));
    if (argc >= 2) {
        const int index = QString::fromLocal8Bit(argv[1]).toInt();
        if (index < 0 || index >= count)
            return 2;
        return measureOne(index, argc >= 3 ? QString::fromLocal8Bit(argv[2]) : QString());
    }

    const QString program = QCoreApplication::applicationFilePath();
    double worstFirst = 0, worstRepeat = 0;
    QString worstFirstName, worstRepeatName;
    for (int index = 0; index < count; ++index) {
        double first = 0, repeat = 0;
        if (!measure(program, index, QString(), &first, &repeat)) {
            std::fprintf(stderr, "the %s page could not be measured\n", visits[index].name);
            return 1;
        }
        std::printf("page visit, %-18s first %5.1f ms, repeat %4.1f ms\n", visits[index].name,
                    first, repeat);
        if (first > worstFirst) {
            worstFirst = first;
            worstFirstName = QString::fromLatin1(visits[index].name);
        }
        if (repeat > worstRepeat) {
            worstRepeat = repeat;
            worstRepeatName = QString::fromLatin1(visits[index].name);
        }
    }
    std::printf("page visit, slowest first visit  %5.1f ms (%s), slowest repeat %4.1f ms (%s)\n",
                worstFirst, qPrintable(worstFirstName), worstRepeat, qPrintable(worstRepeatName));

    const struct
    {
        const char *fill;
        const char *page;
        const char *what;
    } large[] = {
        {"events", "events", "10,000 events"},
        {"diaries", "electricity diary", "10,000 days a diary"},
        {"diaries", "water diary", "10,000 days a diary"},
        {"diaries", "diary history", "10,000 days a diary"},
        {"diaries", "where it went", "10,000 days a diary"},
        {"meters", "diary history", "10,000 days, 1,000 readings a meter"},
        {"meters", "what meters say", "10,000 days, 1,000 readings a meter"},
        {"meters", "meters", "10,000 days, 1,000 readings a meter"},
        {"answers", "laptop", "10,000 days, an air conditioner answer recorded"},
        {"answers", "washing (water)", "10,000 days, a tap answer recorded"},
        {"own", "quick day", "10,000 days, twenty own appliances answered on each"},
        {"own, today open", "quick day", "the same days but today's, filled in a week back"},
        {"own, week open", "quick day", "the same but a week ago's too, filled in from yesterday"}};
    for (const auto &[fillWith, page, what] : large) {
        const auto *visit =
            std::find_if(std::begin(visits), std::end(visits),
                         [page = page](const Visit &v) { return qstrcmp(v.name, page) == 0; });
        const int index = int(visit - std::begin(visits));
        double first = 0, repeat = 0;
        if (index == count ||
            !measure(program, index, QString::fromLatin1(fillWith), &first, &repeat))
            return 1;
        std::printf("page visit, %s with %s: first %.1f ms, repeat %.1f ms\n", page, what, first,
                    repeat);
    }
    return 0;
}
