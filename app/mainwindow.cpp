#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"
#include "plugs/plugsession.h"

#include "keyboard.h"

#include "data/database.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTimer>
#include <QVariant>
#include <QtConcurrent>

#include <functional>

namespace {

// The form names Windows font families. Map them to fonts that Debian ships,
// so every machine draws the pages alike.
void substituteFonts()
{
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg 2"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

// Work that waits for the data file (a busy file keeps the data closed, or
// kept the damage check from reading it): each press of the user, the moment
// data is next needed, runs it again until it says it is done.
class RetryWhenPressed : public QObject
{
public:
    RetryWhenPressed(std::function<bool()> work, QObject *parent)
        : QObject(parent)
        , work(std::move(work))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (!done && (type == QEvent::MouseButtonPress || type == QEvent::TouchBegin ||
                      type == QEvent::KeyPress)) {
            done = work();
            if (done)
                deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> work;
    bool done = false;
};

// Runs once, shortly after the window's first frame (a few turns of the event
// loop later, long before a finger can reach a button): work the first frame
// does not need but the first page a user opens would otherwise wait for.
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWidget *window, std::function<void()> work)
        : QObject(window)
        , work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(settleMs, this, [this] {
                work();
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr int settleMs = 50;
    std::function<void()> work;
};

// The main menu draws no text, so the font database would otherwise be read
// (about ten milliseconds) by the first page opened.
void loadPageFonts()
{
    for (const char *family : {"MS Shell Dlg 2", "Comic Sans MS", "Arial"})
        QFontMetrics(QFont(QLatin1String(family), 12)).height();
    QFontMetrics(QApplication::font()).height();
}

} // namespace

// The pictures live in this static library; register them, and the fonts, as
// soon as the application object exists and before any window is built. (The
// resource initialiser must be declared outside any namespace.) The main
// menu's pictures, which every start reads, are a bundle of their own, so that
// their bytes lie together and a start maps few pages of the program.
static void initialiseResources()
{
    Q_INIT_RESOURCE(mainmenu);
    Q_INIT_RESOURCE(images);
    substituteFonts();
}

Q_COREAPP_STARTUP_FUNCTION(initialiseResources)

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow()) // every page's pointers start null
{
    Pictures::installWindowStyle();
    static_cast<Ui::MainFrame *>(ui)->setupUi(this);
    // Pictures of pages left behind stay in the cache until newer ones push
    // them out: a page opened again soon is not decoded anew, and memory stays
    // bounded. A dense screen's pictures take four times the room.
    const qreal density = devicePixelRatioF();
    QPixmapCache::setCacheLimit(int(Pictures::cacheKiB * density * density));
    // Pages that a test or tool switches to directly are built too.
    connect(ui->stackWid_content, &QStackedWidget::currentChanged, this,
            [this](int index) { buildPage(ui->stackWid_content, index); });
    showPage(MainMenuPage);
    new AfterFirstFrame(this, loadPageFonts);
    Keyboard::install(this);

    openDB();
    insertTable();
    // A household with plugs set up has them heard from the start; one
    // without loads none of their code.
    new AfterFirstFrame(this, [this] { listenToPlugs(); });
}

MainWindow::~MainWindow()
{
    // The plugs' counters heard last are stored before the file closes.
    delete plugSession;
    if (db.isOpen())
        db.close();
    delete ui;
}

bool MainWindow::openDB()
{
    db = Database::open(Database::filePath());
    return db.isOpen();
}

void MainWindow::insertTable()
{
    Database::createAndSeed(db);
    if (db.isOpen()) {
        new AfterFirstFrame(this, [this] { checkDatabase(); });
    } else if (!db.databaseName().isEmpty()) {
        // Busy at start: the file is opened, seeded and checked once it is free.
        new RetryWhenPressed(
            [this] {
                Database::ensureReady(db);
                if (db.isOpen())
                    checkDatabase();
                return db.isOpen() || db.databaseName().isEmpty();
            },
            this);
    }
}

void MainWindow::checkDatabase()
{
    // PRAGMA quick_check reads the whole file: it runs on a thread of its own,
    // after the window is up. A damaged file is reopened read-only, so nothing
    // more is written to it, and the user is told. A file another program held
    // throughout the check is checked again at the next press.
    using Database::FileCheck;
    auto *watcher = new QFutureWatcher<FileCheck>(this);
    connect(watcher, &QFutureWatcher<FileCheck>::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->result() == FileCheck::Unknown) {
            new RetryWhenPressed(
                [this] {
                    checkDatabase();
                    return true;
                },
                this);
            return;
        }
        if (watcher->result() != FileCheck::Damaged)
            return;
        Database::reopenReadOnly(db);
        auto *box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Viridio"),
            QStringLiteral("Your data file %1 is damaged. Viridio shows what it can still "
                           "read and saves nothing more in it.")
                .arg(QDir::toNativeSeparators(Database::pathOf(db))),
            QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("damagedDatabaseMessage"));
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    watcher->setFuture(QtConcurrent::run(&Database::checkFile, db.databaseName()));
}

int MainWindow::insertTips(const QString &applianceName, const QString &applianceTips)
{
    return Database::insertTips(db, applianceName, applianceTips);
}

int MainWindow::insertwaterTips(const QString &waterApplianceName, const QString &waterTips)
{
    return Database::insertWaterTips(db, waterApplianceName, waterTips);
}

int MainWindow::insertRates(const QString &rateDate, const QString &rateType,
                            const QString &rateAmt, const QString &rateRetrieve)
{
    return Database::insertRates(db, rateDate, rateType, rateAmt, rateRetrieve);
}

int MainWindow::insertEvents(const QString &eventName, const QString &venue,
                             const QString &eventDesc, const QString &admissionFee,
                             const QString &startDate, const QString &endDate)
{
    return Database::insertEvents(db, eventName, venue, eventDesc, admissionFee, startDate,
                                  endDate);
}

int MainWindow::insertQuickFact(const QString &factLong, const QString &factShort,
                                const QString &factPicture, const QString &factName,
                                const QString &factTags)
{
    return Database::insertQuickFact(db, factLong, factShort, factPicture, factName, factTags);
}

int MainWindow::insertQuiz(const QString &question, const QString &option1, const QString &option2,
                           const QString &option3, const QString &option4, const QString &answer)
{
    return Database::insertQuiz(db, question, option1, option2, option3, option4, answer);
}

void MainWindow::insertDarAror(const QString &title, const QString &description,
                               const QString &category, const QString &thingNeed,
                               const QString &instruction, const QString &url1, const QString &url2,
                               const QString &urlVideo)
{
    Database::insertDarAror(db, title, description, category, thingNeed, instruction, url1, url2,
                            urlVideo);
}

void MainWindow::on_push_credits_clicked()
{
    showPage(CreditsPage);
}

void MainWindow::on_push_CreditBack_clicked()
{
    showPage(MainMenuPage);
}

void MainWindow::on_push_darAror_clicked()
{
    showPage(CraftMenuPage);
}

void MainWindow::on_push_eWand_Menu_clicked()
{
    showPage(MainMenuPage);
}

void MainWindow::on_push_eventsHome_clicked()
{
    ui->label_7->clear();
    ui->label_16->clear();
    showPage(MainMenuPage);
}

void MainWindow::on_push_eventsUpdateHome_clicked()
{
    ui->label_8->clear();
    showPage(MainMenuPage);
}

void MainWindow::on_push_QuickFactBack_2_clicked()
{
    ui->push_sound_2->setIcon(QIcon(QStringLiteral(":/new/prefix1/images/on.png")));
    factSoundOn = 0;
    ui->label_10->clear();
    ui->label_15->clear();
    showPage(MainMenuPage);
}
