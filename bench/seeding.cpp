// Seeding the database: a first start on a fresh file and a repeat start on a
// file that holds everything already, in milliseconds (median of several runs).

#include "data/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// With sync off the figure leaves out the disk's flush at each commit, which
// dominates a first start on slow disks; the program itself never turns it off.
double seedMilliseconds(const QString &path, bool sync = true)
{
    QSqlDatabase db = Database::open(path);
    if (!sync)
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
    QElapsedTimer timer;
    timer.start();
    const Database::Seeding seeding = Database::createAndSeed(db);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (seeding != Database::Seeding::Ready) {
        std::fprintf(stderr, "seeding failed\n");
        std::exit(1);
    }
    db.close();
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = 21;
    std::vector<double> first;
    std::vector<double> repeat;
    std::vector<double> unsynced;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("my.db.sqlite"));
        first.push_back(seedMilliseconds(path));
        repeat.push_back(seedMilliseconds(path));
        unsynced.push_back(seedMilliseconds(dir.filePath(QStringLiteral("nosync.sqlite")), false));
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    std::printf("seeding, first start   median %.2f ms  (min %.2f, max %.2f, %d runs)\n",
                median(first), *std::min_element(first.begin(), first.end()),
                *std::max_element(first.begin(), first.end()), runs);
    std::printf("seeding, repeat start  median %.2f ms  (min %.2f, max %.2f, %d runs)\n",
                median(repeat), *std::min_element(repeat.begin(), repeat.end()),
                *std::max_element(repeat.begin(), repeat.end()), runs);
    std::printf("seeding, first start without disk sync  median %.2f ms  (min %.2f, max %.2f)\n",
                median(unsynced), *std::min_element(unsynced.begin(), unsynced.end()),
                *std::max_element(unsynced.begin(), unsynced.end()));
    return 0;
}
