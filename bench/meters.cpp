// The window's time on the meters' pages, in the same MainWindow that the
// executable shows, on the offscreen platform: the longest time the window's
// thread is held (one turn of its event loop, in the thread's processor time,
// so that other work on a shared machine does not count) from the click
// until the page shows the outcome. Each case is measured beside its baseline in the same
// run: the same work done on the window's thread, as the pages did it before.
//
//   viridio-bench-meters    prints one line a case (medians of 5 runs)
//
// Cases: the meters' history page with 1,000 readings spread over a century
// and 10,000 days of kept answers; the same with the last two readings a
// century apart (the diary's days of the whole century read for the period);
// the import of a year and of five years of a logger's quarter hours
// (35,000 and 175,000 rows, metadata lines, a column of times) and of a
// reading a day since 1900 in a spreadsheet's semicolon file.

#include "app/clock.h"
#include "app/household/calculatorlogic.h"
#include "app/household/meterlogic.h"
#include "app/meters/meterslogic.h"
#include "mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 5;
constexpr qint64 limitMs = 60000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The processor time of the calling thread, in ns: on a machine shared with
// other work, the window's own time, not the time it waited for a processor.
qint64 threadTime()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The longest turn of the window's event loop, in ms of the window thread's
// processor time, from start() until done() says the page shows the outcome
// (or limitMs passed).
double windowTime(const std::function<void()> &start, const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 before = threadTime();
    start();
    qint64 longest = threadTime() - before;
    while (!done() && clock.elapsed() < limitMs) {
        before = threadTime();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, threadTime() - before);
        QThread::usleep(200);
    }
    return longest / 1e6;
}

// The processor time work takes on the window's thread, in ms.
double heldFor(const std::function<void()> &work)
{
    const qint64 started = threadTime();
    work();
    return (threadTime() - started) / 1e6;
}

void clickNamed(MainWindow &window, const char *name)
{
    auto *button = window.findChild<QAbstractButton *>(QString::fromLatin1(name));
    if (button)
        button->click();
}

QString labelOf(MainWindow &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

void fillReadings(const QList<std::pair<QDate, double>> &readings)
{
    QSqlDatabase db = QSqlDatabase::database();
    db.transaction();
    QSqlQuery(db).exec(QStringLiteral("DELETE FROM MeterReading"));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO MeterReading (meter, readingDate, reading, "
                                 "newSeries) VALUES ('electricity', ?, ?, 0)"));
    for (const auto &[date, value] : readings) {
        query.addBindValue(date.toString(Qt::ISODate));
        query.addBindValue(MeterLogic::readingText(value));
        query.exec();
    }
    db.commit();
}

void fillAnswers(int days)
{
    QSqlDatabase db = QSqlDatabase::database();
    db.transaction();
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO DayUsage (dayKey, item, amount, quantity) VALUES (?,?,2,1.5)"));
    for (int back = 0; back < days; ++back) {
        for (const QString &item : CalculatorLogic::applianceColumns()) {
            query.addBindValue(CalculatorLogic::dayKey(Clock::today().addDays(-back)));
            query.addBindValue(item);
            query.exec();
        }
    }
    db.commit();
}

// The meters' history page of the electricity meter: its window time, and
// the baseline of its figures worked out on the window's thread.
void historyCase(MainWindow &window, const char *what)
{
    std::vector<double> after, before;
    for (int run = 0; run < runs; ++run) {
        clickNamed(window, "push_meterHistoryBack");
        QCoreApplication::processEvents();
        after.push_back(windowTime([&] { clickNamed(window, "push_historyMeters"); },
                                   [&] {
                                       return !labelOf(window, "lb_meterHistorySummary")
                                                   .startsWith(QLatin1String("Reading"));
                                   }));
        const QString name = QSqlDatabase::database().databaseName();
        before.push_back(heldFor([&] {
            MetersLogic::pageFigures(name, MeterLogic::electricityMeter, Clock::today(), 30);
        }));
    }
    std::printf("meters history, %s: window held %.1f ms (on its thread before: %.1f ms)\n", what,
                median(after), median(before));
}

// The import of bytes from path through the meters page: the window's
// longest turn, beside the same import on the window's thread; false when
// the file could not be written.
bool importCase(MainWindow &window, const QString &path, const QByteArray &bytes, const char *what)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return false;
    out.close();
    std::vector<double> after, before;
    QString outcome;
    for (int run = 0; run < runs; ++run) {
        QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("DELETE FROM MeterReading"));
        // The file read and shown on the import page, then imported with
        // its one tap: the longer hold of the two.
        auto *go = window.findChild<QAbstractButton *>(QStringLiteral("push_importGo"));
        const double shown = windowTime(
            [&] {
                clickNamed(window, "push_importMeterReadings");
                auto *dialog =
                    window.findChild<QFileDialog *>(QStringLiteral("dialog_importMeterReadings"));
                dialog->selectFile(path);
                QMetaObject::invokeMethod(dialog, "accept");
                go = window.findChild<QAbstractButton *>(QStringLiteral("push_importGo"));
            },
            [&] { return go && go->isEnabled(); });
        const double imported =
            windowTime([&] { clickNamed(window, "push_importGo"); },
                       [&] {
                           outcome = labelOf(window, "lb_meterMessage");
                           return !outcome.startsWith(QLatin1String("Importing"));
                       });
        after.push_back(std::max(shown, imported));
        QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("DELETE FROM MeterReading"));
        before.push_back(heldFor([&] {
            MeterLogic::importReadings(QSqlDatabase::database(), MeterLogic::electricityMeter,
                                       bytes, Clock::today());
            MeterLogic::readings(QSqlDatabase::database(), MeterLogic::electricityMeter);
        }));
    }
    std::printf("meter import, %s (%lld bytes): window held %.1f ms (on its thread before: "
                "%.1f ms); %s\n",
                what, static_cast<long long>(bytes.size()), median(after), median(before),
                qPrintable(outcome));
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
    qputenv("VIRIDIO_EVENT_SERVER", "127.0.0.251"); // nothing listens there
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    const QDate today = Clock::today();
    fillAnswers(10000);

    // The history's meters page, reached as a user does.
    for (const char *button :
         {"push_ecoCal", "push_zadUvedoButton", "push_diaryHistory", "push_historyMeters"}) {
        clickNamed(window, button);
        QCoreApplication::processEvents();
    }
    QList<std::pair<QDate, double>> century;
    const QDate first = today.addYears(-100);
    for (int i = 0; i < 1000; ++i)
        century.append({first.addDays(qint64(first.daysTo(today)) * i / 999), 1000.0 + i * 300});
    fillReadings(century);
    historyCase(window, "1,000 readings over a century");
    fillReadings({{first, 1000}, {today, 300000}});
    historyCase(window, "the last two readings a century apart");

    // A reading a day since 1900, as a spreadsheet saves it.
    QByteArray file = "Datum;Stand\r\n";
    for (QDate day = MeterLogic::firstReadingDay; day <= today; day = day.addDays(1))
        file += day.toString(Qt::ISODate).toLatin1() + ';' +
                QByteArray::number(MeterLogic::firstReadingDay.daysTo(day)) + ",5\r\n";
    // A logger's quarter hours up to today: customer lines, a header with
    // digits, a time of day, extra columns; a day's last reading is taken.
    const auto quarterHours = [&today](int rows) {
        QByteArray quarters = "Customer;Jane Roe\r\nMeter;4711\r\n"
                              "Date;Time;Import T1 kWh;Status\r\n";
        const QDateTime from = QDateTime(today, QTime(0, 0)).addSecs(-qint64(rows - 1) * 900);
        for (int i = 0; i < rows; ++i)
            quarters += from.addSecs(qint64(i) * 900)
                            .toString(QStringLiteral("dd.MM.yyyy;HH:mm"))
                            .toLatin1() +
                        ';' + QByteArray::number(1000 + i * 0.125, 'f', 3).replace('.', ',') +
                        ";ok\r\n";
        return quarters;
    };
    clickNamed(window, "push_meterHistoryReadings");
    QCoreApplication::processEvents();
    // The daily file last: the readings page below lists its readings.
    if (!importCase(window, home.filePath(QStringLiteral("year.csv")), quarterHours(35000),
                    "35,000 quarter hours, a year") ||
        !importCase(window, home.filePath(QStringLiteral("years.csv")), quarterHours(175000),
                    "175,000 quarter hours, five years") ||
        !importCase(window, home.filePath(QStringLiteral("daily.csv")), file,
                    "a reading a day since 1900"))
        return 1;
    // The readings page opened on those readings.
    std::vector<double> visits, listings;
    for (int run = 0; run < runs; ++run) {
        clickNamed(window, "push_metersBack");
        QCoreApplication::processEvents();
        // The list is filled when the readings have been read: the window's
        // turns are watched for two seconds, long enough for that.
        QElapsedTimer since;
        visits.push_back(windowTime(
            [&] {
                since.start();
                clickNamed(window, "push_meterHistoryReadings");
            },
            [&] { return since.elapsed() > 2000; }));
        listings.push_back(heldFor([] {
            MetersLogic::listedReadings(QSqlDatabase::database(), MeterLogic::electricityMeter);
        }));
    }
    std::printf("meter readings page, %lld readings: window held %.1f ms (on its thread before: "
                "%.1f ms and the list)\n",
                static_cast<long long>(file.count('\n') - 1), median(visits), median(listings));
    return 0;
}
