// Small helpers shared by the GUI tests: a fresh home directory per test (the
// database lives there), widget look-up by object name and clicking.
#pragma once

#include <QAbstractButton>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>

class TemporaryHome
{
public:
    TemporaryHome()
        : oldHome(qgetenv("HOME"))
    {
        qputenv("HOME", dir.path().toLocal8Bit());
    }
    ~TemporaryHome() { qputenv("HOME", oldHome); }
    QString path() const { return dir.path(); }
    QString databasePath() const { return dir.path() + QStringLiteral("/my.db.sqlite"); }

    // Puts a file that is not an SQLite database where the window looks for
    // one, so the next window starts with its connection closed (and says so).
    void spoilDatabase() const
    {
        QFile file(databasePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(4096, 'x'));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("cannot use the database")));
    }

private:
    QTemporaryDir dir;
    QByteArray oldHome;
};

// Takes the addresses the craft page hands to the desktop, so no test opens
// anything: QDesktopServices::setUrlHandler(scheme, &sink, "open").
class UrlSink : public QObject
{
    Q_OBJECT
public slots:
    void open(const QUrl &url) { urls << url; }

public:
    QList<QUrl> urls;
};

template<typename T> T *child(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qWarning("no widget named %s", name);
    return widget;
}

// Clicks the named button in the middle, as a finger would.
inline bool clickButton(QWidget *window, const char *name)
{
    QAbstractButton *button = child<QAbstractButton>(window, name);
    if (!button || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    return true;
}

inline int contentPage(QWidget *window)
{
    return child<QStackedWidget>(window, "stackWid_content")->currentIndex();
}

inline int calculatorPage(QWidget *window)
{
    return child<QStackedWidget>(window, "stackWid_ecoCalBody")->currentIndex();
}

// One value from the window's database connection, or an invalid QVariant.
inline QVariant queryValue(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return {};
    return query.value(0);
}

// The longest the event loop was held over ms milliseconds, or until done,
// in milliseconds: a timer that should fire every 10 ms, and how late it was.
inline qint64 longestHold(qint64 ms, const std::function<bool()> &done = {})
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(10);
    while (clock.elapsed() < ms && !(done && done()))
        QTest::qWait(10);
    return longest;
}
