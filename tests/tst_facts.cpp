// The quick facts viewer: opening on a random fact, stepping through the facts
// by number with wrapping, leaving and coming back, and what it logs.

#include "facts/factslogic.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QCompleter>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

namespace {

// The debug texts written while a handler is installed.
QStringList debugTexts;

void collectDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugTexts << message;
}

const QStringList builtInNames{"Vampire Appliances", "Green Hour", "Global Warming",
                               "Hybrid Electric Vehicle"};

QString shownName(QWidget *window)
{
    return child<QLabel>(window, "lb_quickFactsTitle")->text();
}

QString shownText(QWidget *window)
{
    return child<QTextEdit>(window, "te_factDescription")->toPlainText();
}

QImage labelImage(QWidget *window, const char *name)
{
    return child<QLabel>(window, name)->pixmap().toImage();
}

// A picture of the bundle as a label holds it.
QImage resourceImage(const QString &path)
{
    return QPixmap(path).toImage();
}

// factID, factLong and factPicture of the fact named name.
QVariantList factRow(const QString &name)
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("SELECT factID, factLong, factPicture FROM QuickFact "
                                 "WHERE factName = ?"));
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        return {};
    return {query.value(0), query.value(1), query.value(2)};
}

// Presses next until the fact named name is on screen; false after a full round.
bool stepTo(QWidget *window, const QString &name)
{
    for (int i = 0; i < 8 && shownName(window) != name; ++i)
        if (!clickButton(window, "push_nextQuickFact"))
            return false;
    return shownName(window) == name;
}

} // namespace

class TestFacts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Without widgets
    void stepping_data();
    void stepping();
    void picturePath();
    void queriesOnTheBuiltInFacts();
    void closedDatabaseGivesNothing();

    // On screen
    void openingShowsAStoredFact();
    void everyFactCanComeUp();
    void nextAndPreviousWrap();
    void fourNextPressesReturnToTheStart();
    void backAndReopenRestoreThePictures();
    void gapInTheNumberingKeepsThePage();
    void closedDatabaseStillOpensThePage();
    void debugTextsOfOneOpening_data();
    void debugTextsOfOneOpening();
    void completerOverTheNames();
    void soundToggleSwapsItsIcon();
    void pageLayout();
    void everyFactFitsItsPage();

private:
    TemporaryHome *home = nullptr;
    MainWindow *window = nullptr;
};

void TestFacts::init()
{
    home = new TemporaryHome;
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestFacts::cleanup()
{
    qInstallMessageHandler(nullptr);
    delete window;
    window = nullptr;
    delete home;
    home = nullptr;
}

void TestFacts::stepping_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("largest");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("first") << 1 << 4 << 2 << 4;
    QTest::newRow("middle") << 2 << 4 << 3 << 1;
    QTest::newRow("last") << 4 << 4 << 1 << 3;
    QTest::newRow("only one") << 1 << 1 << 1 << 1;
    QTest::newRow("moved past a shrunk table") << 6 << 4 << 1 << 5;
    QTest::newRow("empty table") << 0 << 0 << 1 << 0;
}

void TestFacts::stepping()
{
    QFETCH(int, current);
    QFETCH(int, largest);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(Facts::nextId(current, largest), next);
    QCOMPARE(Facts::previousId(current, largest), previous);
}

void TestFacts::picturePath()
{
    QCOMPARE(Facts::picturePath(QStringLiteral("HEV.png")),
             QStringLiteral(":/new/prefix1/images/HEV.png"));
}

void TestFacts::queriesOnTheBuiltInFacts()
{
    const QSqlDatabase db = QSqlDatabase::database();
    QCOMPARE(Facts::names(db), builtInNames);
    QCOMPARE(Facts::largestId(db), std::optional<int>(4));
    const std::optional<Facts::Fact> fact = Facts::find(db, 4);
    QVERIFY(fact);
    QCOMPARE(fact->id, 4);
    QCOMPARE(fact->name, QStringLiteral("Hybrid Electric Vehicle"));
    QCOMPARE(fact->picture, QStringLiteral("HEV.png"));
    QCOMPARE(fact->factShort, QStringLiteral("HEV stands for Hybrid Electric Vehicles"));
    QCOMPARE(fact->tags, QStringLiteral("HEV@hybrid@electric"));
    QVERIFY(!Facts::find(db, 5));
    QVERIFY(!Facts::find(db, 0));
    const std::optional<int> random = Facts::randomId(db);
    QVERIFY(random && *random >= 1 && *random <= 4);

    QSqlQuery(db).exec(QStringLiteral("DELETE FROM QuickFact"));
    QVERIFY(!Facts::randomId(db));
    QCOMPARE(Facts::largestId(db), std::optional<int>(0));
}

void TestFacts::closedDatabaseGivesNothing()
{
    QSqlDatabase db = QSqlDatabase::database();
    db.close();
    QVERIFY(Facts::names(db).isEmpty());
    QVERIFY(!Facts::randomId(db));
    QVERIFY(!Facts::find(db, 1));
    QVERIFY(!Facts::largestId(db));
}

void TestFacts::openingShowsAStoredFact()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QCOMPARE(contentPage(window), 1);
    const QString name = shownName(window);
    QVERIFY2(builtInNames.contains(name), qPrintable(name));
    const QVariantList row = factRow(name);
    QCOMPARE(shownText(window), row.at(1).toString());
    const QImage picture = labelImage(window, "lb_factPicture");
    QVERIFY(!picture.isNull());
    QCOMPARE(picture,
             resourceImage(QStringLiteral(":/new/prefix1/images/") + row.at(2).toString()));
    QVERIFY(!labelImage(window, "label_10").isNull());
    QVERIFY(!labelImage(window, "label_15").isNull());
    QVERIFY(!labelImage(window, "label_11").isNull());
}

void TestFacts::everyFactCanComeUp()
{
    // Each opening picks afresh: within a bounded number of openings every
    // fact shows up (the chance of missing one in 200 is below 1e-24).
    QSet<QString> seen;
    for (int i = 0; i < 200 && seen.size() < builtInNames.size(); ++i) {
        QVERIFY(clickButton(window, "push_QuickFactIcon"));
        seen.insert(shownName(window));
        QVERIFY(clickButton(window, "push_QuickFactBack_2"));
    }
    QCOMPARE(seen, QSet<QString>(builtInNames.begin(), builtInNames.end()));
}

void TestFacts::nextAndPreviousWrap()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QVERIFY(stepTo(window, QStringLiteral("Hybrid Electric Vehicle")));
    QCOMPARE(labelImage(window, "lb_factPicture"),
             resourceImage(QStringLiteral(":/new/prefix1/images/HEV.png")));

    QVERIFY(clickButton(window, "push_nextQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Vampire Appliances"));
    QCOMPARE(shownText(window), factRow(QStringLiteral("Vampire Appliances")).at(1).toString());
    QCOMPARE(labelImage(window, "lb_factPicture"),
             resourceImage(QStringLiteral(":/new/prefix1/images/vampireAppliance.jpg")));

    QVERIFY(clickButton(window, "push_previousQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Hybrid Electric Vehicle"));
    QVERIFY(clickButton(window, "push_previousQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Global Warming"));
    QCOMPARE(contentPage(window), 1);
}

void TestFacts::fourNextPressesReturnToTheStart()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    const QString start = shownName(window);
    QStringList seen{start};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(clickButton(window, "push_nextQuickFact"));
        seen << shownName(window);
    }
    QCOMPARE(seen.last(), start);
    // On the way, each fact came up once, in number order.
    const int first = builtInNames.indexOf(start);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(seen.at(i), builtInNames.at((first + i) % 4));
}

void TestFacts::backAndReopenRestoreThePictures()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    const QString name = shownName(window);
    QVERIFY(clickButton(window, "push_QuickFactBack_2"));
    QCOMPARE(contentPage(window), 2);
    QVERIFY(labelImage(window, "label_10").isNull());
    QVERIFY(labelImage(window, "label_15").isNull());
    // The fact itself stays until the next opening replaces it.
    QCOMPARE(shownName(window), name);
    QVERIFY(child<QWidget>(window, "push_sound_2")->isHidden());

    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QCOMPARE(contentPage(window), 1);
    QCOMPARE(labelImage(window, "label_10"),
             resourceImage(QStringLiteral(":/new/prefix1/images/Background_by_kelmor1.jpg")));
    QCOMPARE(labelImage(window, "label_15"),
             resourceImage(QStringLiteral(":/new/prefix1/images/diaryBackground_D.png")));
    QVERIFY(!labelImage(window, "label_10").isNull());
    QVERIFY(!labelImage(window, "label_15").isNull());
    QVERIFY(child<QWidget>(window, "push_sound_2")->isHidden());
}

void TestFacts::gapInTheNumberingKeepsThePage()
{
    QSqlQuery(QSqlDatabase::database())
        .exec(QStringLiteral("DELETE FROM QuickFact WHERE factID=2"));
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QVERIFY(stepTo(window, QStringLiteral("Vampire Appliances")));
    const QString text = shownText(window);
    const QImage picture = labelImage(window, "lb_factPicture");

    // Number 2 has no row: the page stays as it was, but the number moved on.
    QVERIFY(clickButton(window, "push_nextQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Vampire Appliances"));
    QCOMPARE(shownText(window), text);
    QCOMPARE(labelImage(window, "lb_factPicture"), picture);
    QCOMPARE(contentPage(window), 1);
    QVERIFY(clickButton(window, "push_nextQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Global Warming"));

    QVERIFY(clickButton(window, "push_previousQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Global Warming"));
    QVERIFY(clickButton(window, "push_previousQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("Vampire Appliances"));
}

void TestFacts::closedDatabaseStillOpensThePage()
{
    QSqlDatabase::database().close();
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QCOMPARE(contentPage(window), 1);
    QCOMPARE(shownName(window), QStringLiteral("TextLabel"));
    QCOMPARE(shownText(window), QString());
    QVERIFY(clickButton(window, "push_nextQuickFact"));
    QVERIFY(clickButton(window, "push_previousQuickFact"));
    QCOMPARE(shownName(window), QStringLiteral("TextLabel"));
    QCOMPARE(contentPage(window), 1);
    // The background pictures do not depend on the database.
    QVERIFY(!labelImage(window, "label_10").isNull());
    QVERIFY(clickButton(window, "push_QuickFactBack_2"));
    QCOMPARE(contentPage(window), 2);
}

void TestFacts::debugTextsOfOneOpening_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("database open") << true
                                   << QStringList{"on_push_QuickFactIcon_clicked",
                                                  "on_push_QuickFactIcon_clicked1",
                                                  "on_push_QuickFactIcon_clicked2",
                                                  "on_push_QuickFactIcon_clicked3",
                                                  "randomQuickFact",
                                                  "setQuickFacts",
                                                  "on_push_QuickFactIcon_clicked4",
                                                  "on_push_QuickFactIcon_clicked5"};
    // Without a random pick there is no fact to show.
    QTest::newRow("database closed") << false
                                     << QStringList{"on_push_QuickFactIcon_clicked",
                                                    "on_push_QuickFactIcon_clicked1",
                                                    "on_push_QuickFactIcon_clicked2",
                                                    "on_push_QuickFactIcon_clicked3",
                                                    "randomQuickFact",
                                                    "on_push_QuickFactIcon_clicked4",
                                                    "on_push_QuickFactIcon_clicked5"};
}

void TestFacts::debugTextsOfOneOpening()
{
    QFETCH(bool, open);
    QFETCH(QStringList, expected);
    if (!open)
        QSqlDatabase::database().close();
    debugTexts.clear();
    qInstallMessageHandler(collectDebug);
    const bool clicked = clickButton(window, "push_QuickFactIcon");
    qInstallMessageHandler(nullptr);
    QVERIFY(clicked);
    QCOMPARE(debugTexts, expected);

    // Each arrow shows its fact with one more "setQuickFacts".
    if (open) {
        debugTexts.clear();
        qInstallMessageHandler(collectDebug);
        clickButton(window, "push_nextQuickFact");
        clickButton(window, "push_previousQuickFact");
        qInstallMessageHandler(nullptr);
        QCOMPARE(debugTexts, QStringList({"setQuickFacts", "setQuickFacts"}));
    }
}

void TestFacts::completerOverTheNames()
{
    // Completers of the window that hold fact names.
    const auto factCompleters = [this] {
        QList<QCompleter *> found;
        for (QCompleter *completer : window->findChildren<QCompleter *>())
            if (completer->model() &&
                completer->model()
                        ->match(completer->model()->index(0, 0), Qt::DisplayRole,
                                QStringLiteral("Green Hour"), 1, Qt::MatchExactly)
                        .size() == 1)
                found << completer;
        return found;
    };
    QVERIFY(factCompleters().isEmpty());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(clickButton(window, "push_QuickFactIcon"));
        QVERIFY(clickButton(window, "push_QuickFactBack_2"));
    }
    // A fresh one for each opening replaces the one before.
    const QList<QCompleter *> completers = factCompleters();
    QCOMPARE(completers.size(), 1);
    QCompleter *completer = completers.first();
    QCOMPARE(completer->model()->rowCount(), 4);
    QCOMPARE(completer->caseSensitivity(), Qt::CaseInsensitive);
    completer->setCompletionPrefix(QStringLiteral("hybrid e"));
    QCOMPARE(completer->currentCompletion(), QStringLiteral("Hybrid Electric Vehicle"));
}

void TestFacts::soundToggleSwapsItsIcon()
{
    // The toggle is hidden, so it is pressed through its slot.
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    auto *sound = child<QPushButton>(window, "push_sound_2");
    const QImage on = resourceImage(QStringLiteral(":/new/prefix1/images/on.png"));
    const QImage off = resourceImage(QStringLiteral(":/new/prefix1/images/off.png"));
    QVERIFY(!on.isNull() && !off.isNull() && on != off);
    const auto iconImage = [sound, &on] {
        return sound->icon().pixmap(on.size()).toImage();
    };
    QCOMPARE(iconImage(), on);
    QVERIFY(QMetaObject::invokeMethod(window, "on_push_sound_2_clicked"));
    QCOMPARE(iconImage(), off);
    QVERIFY(QMetaObject::invokeMethod(window, "on_push_sound_2_clicked"));
    QCOMPARE(iconImage(), on);
    QVERIFY(QMetaObject::invokeMethod(window, "on_push_sound_2_clicked"));
    // Leaving puts the on icon back.
    QVERIFY(clickButton(window, "push_QuickFactBack_2"));
    QCOMPARE(iconImage(), on);
    QVERIFY(sound->isHidden());
}

void TestFacts::pageLayout()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    QWidget *page = child<QWidget>(window, "page_3");
    // From bottom to top: the pictures, the name, the buttons, the text, the fact's picture.
    const QStringList order{"label_10",
                            "label_15",
                            "label_11",
                            "lb_quickFactsTitle",
                            "push_sound_2",
                            "push_QuickFactBack_2",
                            "push_previousQuickFact",
                            "push_nextQuickFact",
                            "te_factDescription",
                            "lb_factPicture"};
    QStringList stacking;
    for (QObject *object : page->children())
        if (object->isWidgetType())
            stacking << object->objectName();
    QCOMPARE(stacking, order);
    const QList<QPushButton *> buttons = page->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        QVERIFY2(button->isFlat(), qPrintable(button->objectName()));
        QVERIFY2(button->text().isEmpty(), qPrintable(button->objectName()));
        QVERIFY2(page->rect().contains(button->geometry()), qPrintable(button->objectName()));
        // The pictures are drawn inside transparent borders of 10 px left and
        // right and 3 px top and bottom; the drawn parts must not overlap.
        const auto drawn = [](QWidget *widget) {
            return widget->geometry().adjusted(10, 3, -10, -3);
        };
        for (QPushButton *other : buttons)
            QVERIFY2(other == button || other->isHidden() ||
                         !drawn(other).intersects(drawn(button)),
                     qPrintable(button->objectName() + QLatin1Char('/') + other->objectName()));
    }
}

void TestFacts::everyFactFitsItsPage()
{
    QVERIFY(clickButton(window, "push_QuickFactIcon"));
    auto *title = child<QLabel>(window, "lb_quickFactsTitle");
    auto *text = child<QTextEdit>(window, "te_factDescription");
    for (int i = 0; i < 4; ++i) {
        QVERIFY(clickButton(window, "push_nextQuickFact"));
        const QRect needed = title->fontMetrics().boundingRect(
            title->contentsRect(), Qt::TextWordWrap | int(title->alignment()), title->text());
        QVERIFY2(title->contentsRect().contains(needed), qPrintable(title->text()));
        // The text wraps within its box and scrolls by finger when it is long.
        QVERIFY2(text->document()->idealWidth() <= text->viewport()->width(),
                 qPrintable(title->text()));
    }
}

QTEST_MAIN(TestFacts)
#include "tst_facts.moc"
