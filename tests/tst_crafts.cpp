// The craft idea browser: the titles of a material, one craft on screen, the
// picture and craft paging, the video hand-over and the house button's way home.

#include "crafts/craftslogic.h"
#include "data/database.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

namespace {

const char *const schemes[] = {"http", "https", "file"};

const QString craftFolder = QStringLiteral(":/darAror/images/DarArorResc/");

QStringList comboItems(QWidget *window)
{
    auto *titles = child<QComboBox>(window, "coBox_eWandTitle");
    QStringList items;
    for (int i = 0; i < titles->count(); ++i)
        items << titles->itemText(i);
    return items;
}

QString shownTitle(QWidget *window)
{
    return child<QLabel>(window, "lb_eWand_Title")->text();
}

QString detailsText(QWidget *window)
{
    return child<QTextBrowser>(window, "textEdit_EWand_details")->toPlainText();
}

bool isShown(QWidget *window, const char *name)
{
    return child<QWidget>(window, name)->isVisible();
}

QImage labelImage(QWidget *window, const char *name)
{
    return child<QLabel>(window, name)->pixmap().toImage();
}

QImage resourceImage(const QString &path)
{
    return QImage(path);
}

// Opens the craft page of the category behind button, from the main menu.
bool openCategory(QWidget *window, const char *button)
{
    if (!clickButton(window, "push_darAror") || contentPage(window) != 10)
        return false;
    return clickButton(window, button);
}

// The whole row of one craft as stored.
QVariantList craftRow(const QString &title)
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("SELECT * FROM DarAror WHERE Title = ?"));
    query.addBindValue(title);
    QVariantList row;
    if (query.exec() && query.next())
        for (int i = 0; i < 8; ++i)
            row << query.value(i);
    return row;
}

} // namespace

class TestCrafts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Without widgets
    void wrapIndex_data();
    void wrapIndex();
    void detailsTextParagraphs();
    void titlesOfAMaterialInTableOrder();
    void findReadsTheWholeRow();
    void closedDatabaseGivesNothing();
    void videoAddressesTheDesktopMayOpen_data();
    void videoAddressesTheDesktopMayOpen();

    // On screen
    void categoryListsItsCraftsLastReturnedOnTop_data();
    void categoryListsItsCraftsLastReturnedOnTop();
    void paperShowsItsTopCraft();
    void choosingATitleShowsThatCraft();
    void craftPagingWraps_data();
    void craftPagingWraps();
    void twoPicturesPageUpAndDown();
    void onePictureHasNoArrows();
    void videoButtonOnlyForCraftsWithAVideo();
    void videoThatCannotBeOpenedSaysSo();
    void localFilesOnlyViridiosOwnVideos();
    void leavingClearsThePageAndTheNextCategoryStandsAlone();
    void titleWithAnApostropheIsShown();
    void browsingWritesNothing();
    void closedDatabaseLeavesTheCraftPageEmpty();
    void menuLayout();
    void everyCraftFitsItsPage();

private:
    TemporaryHome *home = nullptr;
    MainWindow *window = nullptr;
    UrlSink sink;
};

void TestCrafts::init()
{
    home = new TemporaryHome;
    for (const char *scheme : schemes)
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &sink, "open");
    sink.urls.clear();
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestCrafts::cleanup()
{
    delete window;
    window = nullptr;
    for (const char *scheme : schemes)
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    delete home;
    home = nullptr;
}

void TestCrafts::wrapIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 2 << 4 << 2;
    QTest::newRow("first") << 0 << 4 << 0;
    QTest::newRow("last") << 3 << 4 << 3;
    QTest::newRow("past the last") << 4 << 4 << 0;
    QTest::newRow("before the first") << -1 << 4 << 3;
    QTest::newRow("one entry, forward") << 1 << 1 << 0;
    QTest::newRow("one entry, back") << -1 << 1 << 0;
}

void TestCrafts::wrapIndex()
{
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(int, expected);
    QCOMPARE(Crafts::wrapIndex(index, count), expected);
}

void TestCrafts::detailsTextParagraphs()
{
    QCOMPARE(Crafts::detailsText(QStringLiteral("glue, card"), QStringLiteral("Fold it.")),
             QStringLiteral("Things needed: glue, card\n\nInstruction\nFold it."));
}

void TestCrafts::titlesOfAMaterialInTableOrder()
{
    const QSqlDatabase db = QSqlDatabase::database();
    QCOMPARE(Crafts::titles(db, QStringLiteral("Paper")),
             QStringList({"Greeting Card Puzzles", "Recycled Stationery", "Recycled Box Necklace",
                          "CD Holder for Your Room"}));
    QCOMPARE(Crafts::titles(db, QStringLiteral("Clothes")), QStringList{"Rag Doll"});
    // The category must match exactly.
    QVERIFY(Crafts::titles(db, QStringLiteral("paper")).isEmpty());
    QVERIFY(Crafts::titles(db, QStringLiteral("Wood")).isEmpty());
}

void TestCrafts::findReadsTheWholeRow()
{
    const QSqlDatabase db = QSqlDatabase::database();
    const std::optional<Crafts::Craft> doll = Crafts::find(db, QStringLiteral("Rag Doll"));
    QVERIFY(doll);
    const QVariantList row = craftRow(QStringLiteral("Rag Doll"));
    QCOMPARE(row.size(), 8);
    QStringList stored;
    for (const QVariant &value : row)
        stored << value.toString();
    QCOMPARE(QStringList({doll->title, doll->description, doll->category, doll->thingNeed,
                          doll->instruction, doll->url1, doll->url2, doll->videoUrl}),
             stored);
    QCOMPARE(doll->url2, craftFolder + QStringLiteral("resc/rag_doll2.jpg"));
    QVERIFY(!Crafts::find(db, QStringLiteral("Rag")));
}

void TestCrafts::closedDatabaseGivesNothing()
{
    QSqlDatabase db = QSqlDatabase::database();
    db.close();
    QVERIFY(Crafts::titles(db, QStringLiteral("Paper")).isEmpty());
    QVERIFY(!Crafts::find(db, QStringLiteral("Rag Doll")));
}

void TestCrafts::categoryListsItsCraftsLastReturnedOnTop_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("background");
    QTest::newRow("Aluminium") << QByteArray("push_MenuAlum")
                               << QStringList{"Dad Remote Control Holder",
                                              "Recycled Utensil Holder"}
                               << "darAror_aluminium.jpg";
    QTest::newRow("Clothes") << QByteArray("push_MenuClothes") << QStringList{"Rag Doll"}
                             << "darAror_clothes.jpg";
    QTest::newRow("Paper") << QByteArray("push_MenuPaper")
                           << QStringList{"CD Holder for Your Room", "Recycled Box Necklace",
                                          "Recycled Stationery", "Greeting Card Puzzles"}
                           << "darAror_paper.jpg";
    QTest::newRow("Plastic") << QByteArray("push_MenuPlastic")
                             << QStringList{"Potato container car", "Toothbrush Bracelets"}
                             << "darAror_plastic.jpg";
    QTest::newRow("Glass") << QByteArray("push_MenuGlass")
                           << QStringList{"Teacher Rubber Stamp Jar", "Baby Food Jar Animals"}
                           << "darAror_glass.jpg";
    QTest::newRow("Others") << QByteArray("push_MenuOthers") << QStringList{"Recycled CD Card"}
                            << "darAror_others.jpg";
}

void TestCrafts::categoryListsItsCraftsLastReturnedOnTop()
{
    QFETCH(QByteArray, button);
    QFETCH(QStringList, titles);
    QFETCH(QString, background);
    QVERIFY(openCategory(window, button.constData()));
    QCOMPARE(contentPage(window), 11);
    QCOMPARE(comboItems(window), titles);
    QCOMPARE(child<QComboBox>(window, "coBox_eWandTitle")->currentIndex(), 0);
    QCOMPARE(shownTitle(window), titles.first());
    // The page is filled with the material's own picture.
    const QImage shown = labelImage(window, "lb_Ewand_Backgound");
    QVERIFY(!shown.isNull());
    QCOMPARE(shown, resourceImage(craftFolder + background));
}

void TestCrafts::paperShowsItsTopCraft()
{
    QVERIFY(openCategory(window, "push_MenuPaper"));
    const QVariantList row = craftRow(QStringLiteral("CD Holder for Your Room"));
    QCOMPARE(shownTitle(window), row.at(0).toString());
    QCOMPARE(child<QLabel>(window, "lb_eWand_Desc")->text(), row.at(1).toString());
    QCOMPARE(detailsText(window), QStringLiteral("Things needed: ") + row.at(3).toString() +
                                      QStringLiteral("\n\nInstruction\n") + row.at(4).toString());
    // Four paragraphs: the things, an empty one, the heading, the instructions.
    QTextDocument *document = child<QTextBrowser>(window, "textEdit_EWand_details")->document();
    QCOMPARE(document->blockCount(), 4);
    QCOMPARE(document->findBlockByNumber(1).text(), QString());
    QCOMPARE(document->findBlockByNumber(2).text(), QStringLiteral("Instruction"));
    const QImage picture = labelImage(window, "lb_eWand_Image");
    QVERIFY(!picture.isNull());
    QCOMPARE(picture, resourceImage(row.at(5).toString()));
}

void TestCrafts::choosingATitleShowsThatCraft()
{
    QVERIFY(openCategory(window, "push_MenuPaper"));
    auto *titles = child<QComboBox>(window, "coBox_eWandTitle");
    titles->setCurrentIndex(titles->findText(QStringLiteral("Recycled Stationery")));
    QCOMPARE(shownTitle(window), QStringLiteral("Recycled Stationery"));
    QVERIFY(detailsText(window).startsWith(
        QStringLiteral("Things needed: ") +
        craftRow(QStringLiteral("Recycled Stationery")).at(3).toString()));
    QCOMPARE(labelImage(window, "lb_eWand_Image"),
             resourceImage(craftFolder + QStringLiteral("resc/stationery_bears.jpg")));
}

void TestCrafts::craftPagingWraps_data()
{
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("expected");
    QTest::newRow("next once") << QByteArray("push_MenuPaper") << QByteArray("push_eWand_ImgNext2")
                               << 1 << "Recycled Box Necklace";
    QTest::newRow("next on the last goes to the first")
        << QByteArray("push_MenuPaper") << QByteArray("push_eWand_ImgNext2") << 4
        << "CD Holder for Your Room";
    QTest::newRow("previous on the first goes to the last")
        << QByteArray("push_MenuPaper") << QByteArray("push_eWand_ImgPrev2") << 1
        << "Greeting Card Puzzles";
    QTest::newRow("previous all the way round")
        << QByteArray("push_MenuPaper") << QByteArray("push_eWand_ImgPrev2") << 4
        << "CD Holder for Your Room";
    QTest::newRow("one craft, next")
        << QByteArray("push_MenuClothes") << QByteArray("push_eWand_ImgNext2") << 3 << "Rag Doll";
    QTest::newRow("one craft, previous")
        << QByteArray("push_MenuClothes") << QByteArray("push_eWand_ImgPrev2") << 3 << "Rag Doll";
}

void TestCrafts::craftPagingWraps()
{
    QFETCH(QByteArray, category);
    QFETCH(QByteArray, button);
    QFETCH(int, presses);
    QFETCH(QString, expected);
    QVERIFY(openCategory(window, category.constData()));
    const QStringList before = comboItems(window);
    for (int i = 0; i < presses; ++i)
        QVERIFY(clickButton(window, button.constData()));
    auto *titles = child<QComboBox>(window, "coBox_eWandTitle");
    QCOMPARE(titles->currentText(), expected);
    QCOMPARE(shownTitle(window), expected);
    QVERIFY(detailsText(window).startsWith(QStringLiteral("Things needed: ") +
                                           craftRow(expected).at(3).toString()));
    // Paging moves through the list; it never changes it.
    QCOMPARE(comboItems(window), before);
}

void TestCrafts::twoPicturesPageUpAndDown()
{
    const QImage first = resourceImage(craftFolder + QStringLiteral("resc/rag_doll.jpg"));
    const QImage second = resourceImage(craftFolder + QStringLiteral("resc/rag_doll2.jpg"));
    QVERIFY(!first.isNull() && !second.isNull() && first != second);

    QVERIFY(openCategory(window, "push_MenuClothes"));
    QCOMPARE(shownTitle(window), QStringLiteral("Rag Doll"));
    QCOMPARE(labelImage(window, "lb_eWand_Image"), first);
    QVERIFY(isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));

    QVERIFY(clickButton(window, "push_eWand_ImgNext"));
    QCOMPARE(labelImage(window, "lb_eWand_Image"), second);
    QVERIFY(isShown(window, "push_eWand_ImgPrev"));
    QVERIFY(!isShown(window, "push_eWand_ImgNext"));

    QVERIFY(clickButton(window, "push_eWand_ImgPrev"));
    QCOMPARE(labelImage(window, "lb_eWand_Image"), first);
    QVERIFY(isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));

    // Showing a craft always starts on its first picture.
    QVERIFY(clickButton(window, "push_eWand_ImgNext"));
    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QCOMPARE(labelImage(window, "lb_eWand_Image"), first);
    QVERIFY(isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));
}

void TestCrafts::onePictureHasNoArrows()
{
    // Toothbrush Bracelets has two pictures; the car beside it only one.
    QVERIFY(openCategory(window, "push_MenuPlastic"));
    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QCOMPARE(shownTitle(window), QStringLiteral("Toothbrush Bracelets"));
    QVERIFY(clickButton(window, "push_eWand_ImgNext"));
    QVERIFY(isShown(window, "push_eWand_ImgPrev"));
    QVERIFY(clickButton(window, "push_eWand_ImgPrev2"));
    QCOMPARE(shownTitle(window), QStringLiteral("Potato container car"));
    QVERIFY(!isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));
    QVERIFY(isShown(window, "push_eWand_ImgBack"));
}

void TestCrafts::videoButtonOnlyForCraftsWithAVideo()
{
    // A video file outside Viridio's data, as an older version stored one.
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("UPDATE DarAror SET URLVideo=? WHERE Title=?"));
    query.addBindValue(QStringLiteral("file:///recycled_potato_container_car.3gp"));
    query.addBindValue(QStringLiteral("Potato container car"));
    QVERIFY(query.exec());
    QVERIFY(openCategory(window, "push_MenuPlastic"));
    QCOMPARE(shownTitle(window), QStringLiteral("Potato container car"));
    QVERIFY(isShown(window, "pusheWand_VideoURL"));

    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QCOMPARE(shownTitle(window), QStringLiteral("Toothbrush Bracelets"));
    QVERIFY(!isShown(window, "pusheWand_VideoURL"));
    QVERIFY(sink.urls.isEmpty());

    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QVERIFY(isShown(window, "pusheWand_VideoURL"));
    // Its video is a file outside Viridio's data: not handed over.
    QVERIFY(clickButton(window, "pusheWand_VideoURL"));
    QVERIFY(sink.urls.isEmpty());
    QVERIFY(isShown(window, "lb_eWand_VideoMessage"));

    // Another category, a web address, handed over exactly.
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QVERIFY(openCategory(window, "push_MenuOthers"));
    QVERIFY(clickButton(window, "pusheWand_VideoURL"));
    QCOMPARE(sink.urls.size(), 1);
    QCOMPARE(sink.urls.at(0).toString(),
             craftRow(QStringLiteral("Recycled CD Card")).at(7).toString());
    QCOMPARE(sink.urls.at(0),
             QUrl(QStringLiteral(
                 "https://www.youtube.com/results?search_query=recycled+cd+card+craft")));
}

void TestCrafts::videoAddressesTheDesktopMayOpen_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("https") << "https://www.youtube.com/watch?v=x" << true;
    QTest::newRow("http") << "http://example.org/craft.mp4" << true;
    QTest::newRow("file outside Viridio's data") << "file:///home/me/craft.mp4" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("smb") << "smb://server/share/craft.mp4" << false;
    QTest::newRow("path without a scheme") << "/home/me/evil.desktop" << false;
    QTest::newRow("option") << "--help" << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("web address without a host") << "https:///craft" << false;
    QTest::newRow("file on another machine") << "file://server/share/craft.mp4" << false;
}

void TestCrafts::videoAddressesTheDesktopMayOpen()
{
    QFETCH(QString, address);
    QFETCH(bool, opened);
    QCOMPARE(!Crafts::videoUrl(address).isEmpty(), opened);
}

// A refused address, or one no program takes, is said on the page; nothing
// reaches the desktop.
void TestCrafts::videoThatCannotBeOpenedSaysSo()
{
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("UPDATE DarAror SET URLVideo=? WHERE Title=?"));
    query.addBindValue(QStringLiteral("javascript:alert(1)"));
    query.addBindValue(QStringLiteral("Recycled CD Card"));
    QVERIFY(query.exec());
    QVERIFY(openCategory(window, "push_MenuOthers"));
    QCOMPARE(shownTitle(window), QStringLiteral("Recycled CD Card"));
    QVERIFY(clickButton(window, "pusheWand_VideoURL"));
    QVERIFY(sink.urls.isEmpty());
    auto *message = child<QLabel>(window, "lb_eWand_VideoMessage");
    QVERIFY(message && message->isVisible());
    QVERIFY(message->text().contains(QStringLiteral("not opened")));
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QVERIFY(!message->isVisible());

    // A web address that the desktop cannot hand to any program.
    query.addBindValue(QStringLiteral("https://example.org/craft"));
    query.addBindValue(QStringLiteral("Recycled CD Card"));
    QVERIFY(query.exec());
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "noSuchSlot");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("noSuchSlot")));
    QVERIFY(openCategory(window, "push_MenuOthers"));
    QVERIFY(clickButton(window, "pusheWand_VideoURL"));
    QVERIFY(sink.urls.isEmpty());
    QVERIFY(message->isVisible());
    QVERIFY(message->text().contains(QStringLiteral("No program")));
}

// A local address opens only a video in Viridio's own data folder; and a
// picture path that names a FIFO does not hold the window.
void TestCrafts::localFilesOnlyViridiosOwnVideos()
{
    const QString data = home->path() + "/.local/share";
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    QVERIFY(QDir().mkpath(data + "/viridio"));
    const QByteArray mp4("\0\0\0\x18"
                         "ftypmp42\0\0\0\0mp42isom",
                         24);
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(write(data + "/viridio/craft.mp4", mp4));
    QVERIFY(write(home->path() + "/elsewhere.mp4", mp4));
    QVERIFY(write(data + "/viridio/run.mp4", "[Desktop Entry]\nExec=sh\n"));
    QVERIFY(QFile::link(home->path() + "/elsewhere.mp4", data + "/viridio/link.mp4"));
    const QString fifo = home->path() + "/picture.png";
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.prepare(QStringLiteral("UPDATE DarAror SET URL1=?, URLVideo=? WHERE Title=?")));
    const QList<QPair<QString, bool>> addresses = {
        {QUrl::fromLocalFile(data + "/viridio/craft.mp4").toString(), true},
        {QUrl::fromLocalFile(data + "/viridio/run.mp4").toString(), false},
        {QUrl::fromLocalFile(data + "/viridio/link.mp4").toString(), false},
        {QUrl::fromLocalFile(home->path() + "/elsewhere.mp4").toString(), false},
        {QStringLiteral("file:///usr/bin/sh"), false}};
    for (const auto &[address, opened] : addresses) {
        query.addBindValue(fifo);
        query.addBindValue(address);
        query.addBindValue(QStringLiteral("Recycled CD Card"));
        QVERIFY(query.exec());
        sink.urls.clear();
        QVERIFY(openCategory(window, "push_MenuOthers"));
        QCOMPARE(shownTitle(window), QStringLiteral("Recycled CD Card"));
        QVERIFY(labelImage(window, "lb_eWand_Image").isNull());
        QVERIFY(clickButton(window, "pusheWand_VideoURL"));
        QVERIFY2(sink.urls.size() == (opened ? 1 : 0), qPrintable(address));
        QCOMPARE(isShown(window, "lb_eWand_VideoMessage"), !opened);
        QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    }
    if (dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
}

void TestCrafts::leavingClearsThePageAndTheNextCategoryStandsAlone()
{
    QVERIFY(openCategory(window, "push_MenuClothes"));
    QVERIFY(clickButton(window, "push_eWand_ImgNext"));
    // The house button goes home to the main menu, as on every page.
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QCOMPARE(contentPage(window), 2);
    QCOMPARE(child<QComboBox>(window, "coBox_eWandTitle")->count(), 0);
    QCOMPARE(shownTitle(window), QString());
    QCOMPARE(child<QLabel>(window, "lb_eWand_Desc")->text(), QString());
    QVERIFY(labelImage(window, "lb_eWand_Image").isNull());
    QVERIFY(labelImage(window, "lb_Ewand_Backgound").isNull());
    QCOMPARE(detailsText(window), QString());

    QVERIFY(openCategory(window, "push_MenuGlass"));
    QCOMPARE(comboItems(window),
             QStringList({"Teacher Rubber Stamp Jar", "Baby Food Jar Animals"}));
    QCOMPARE(shownTitle(window), QStringLiteral("Teacher Rubber Stamp Jar"));
    // The rag doll's second picture is forgotten: this craft has only one.
    QVERIFY(!isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));
    QCOMPARE(labelImage(window, "lb_eWand_Image"),
             resourceImage(craftFolder + QStringLiteral("resc/teacher_jar.JPG")));

    // The category menu's own home button.
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QVERIFY(clickButton(window, "push_darAror"));
    QVERIFY(clickButton(window, "push_eWand_Menu"));
    QCOMPARE(contentPage(window), 2);
}

void TestCrafts::titleWithAnApostropheIsShown()
{
    // Values are bound, so quotes in a title are just text.
    QSqlDatabase db = QSqlDatabase::database();
    Database::insertDarAror(
        db, QStringLiteral("Mum's Button Box"), QStringLiteral("A tin for Mum's 'odd' buttons."),
        QStringLiteral("Others"), QStringLiteral("Tin, paint"), QStringLiteral("Paint the tin."),
        craftFolder + QStringLiteral("resc/teacher_jar.JPG"), QString(), QString());
    QVERIFY(openCategory(window, "push_MenuOthers"));
    QCOMPARE(comboItems(window), QStringList({"Mum's Button Box", "Recycled CD Card"}));
    QCOMPARE(shownTitle(window), QStringLiteral("Mum's Button Box"));
    QCOMPARE(child<QLabel>(window, "lb_eWand_Desc")->text(),
             QStringLiteral("A tin for Mum's 'odd' buttons."));
    QVERIFY(!isShown(window, "pusheWand_VideoURL"));
    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QCOMPARE(shownTitle(window), QStringLiteral("Recycled CD Card"));
    QVERIFY(isShown(window, "pusheWand_VideoURL"));
}

void TestCrafts::browsingWritesNothing()
{
    const QVariant before = queryValue(QStringLiteral("SELECT group_concat(Title || Category || "
                                                      "ThingNeed || URL1, '|') FROM DarAror"));
    QVERIFY(before.isValid());
    for (const char *button : {"push_MenuAlum", "push_MenuClothes", "push_MenuPaper",
                               "push_MenuPlastic", "push_MenuGlass", "push_MenuOthers"}) {
        QVERIFY(openCategory(window, button));
        QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
        QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    }
    QCOMPARE(queryValue(QStringLiteral("SELECT group_concat(Title || Category || ThingNeed || "
                                       "URL1, '|') FROM DarAror")),
             before);
}

void TestCrafts::closedDatabaseLeavesTheCraftPageEmpty()
{
    // A craft with a video was seen before the connection went away.
    QVERIFY(openCategory(window, "push_MenuOthers"));
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QSqlDatabase::database().close();

    QVERIFY(openCategory(window, "push_MenuPaper"));
    QCOMPARE(contentPage(window), 11);
    QCOMPARE(child<QComboBox>(window, "coBox_eWandTitle")->count(), 0);
    QCOMPARE(shownTitle(window), QString());
    QCOMPARE(child<QLabel>(window, "lb_eWand_Desc")->text(), QString());
    QVERIFY(labelImage(window, "lb_eWand_Image").isNull());
    QVERIFY(!isShown(window, "push_eWand_ImgPrev"));
    QVERIFY(!isShown(window, "push_eWand_ImgNext"));
    QVERIFY(!isShown(window, "pusheWand_VideoURL"));
    QVERIFY(isShown(window, "push_eWand_ImgBack"));
    QMetaObject::invokeMethod(window, "on_pusheWand_VideoURL_clicked");
    QVERIFY(sink.urls.isEmpty());
    QVERIFY(clickButton(window, "push_eWand_ImgNext2"));
    QVERIFY(clickButton(window, "push_eWand_ImgPrev2"));
    QCOMPARE(detailsText(window), QString());
    QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    QCOMPARE(contentPage(window), 2);
}

void TestCrafts::menuLayout()
{
    QVERIFY(clickButton(window, "push_darAror"));
    QWidget *menu = child<QWidget>(window, "page_darAror");
    const QList<QPushButton *> buttons = menu->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 7);
    for (QPushButton *button : buttons) {
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
        QVERIFY2(button->text().isEmpty(), qPrintable(button->objectName()));
        QVERIFY2(menu->rect().contains(button->geometry()), qPrintable(button->objectName()));
        for (QPushButton *other : buttons)
            QVERIFY2(other == button || !other->geometry().intersects(button->geometry()),
                     qPrintable(button->objectName() + QLatin1Char('/') + other->objectName()));
    }
}

void TestCrafts::everyCraftFitsItsPage()
{
    // Every craft of every material: the title, the description and the title
    // list entry fit their widgets, and no visible control overlaps another.
    for (const char *category : {"push_MenuAlum", "push_MenuClothes", "push_MenuPaper",
                                 "push_MenuPlastic", "push_MenuGlass", "push_MenuOthers"}) {
        QVERIFY(openCategory(window, category));
        auto *titles = child<QComboBox>(window, "coBox_eWandTitle");
        for (int i = 0; i < titles->count(); ++i) {
            titles->setCurrentIndex(i);
            for (const char *name : {"lb_eWand_Title", "lb_eWand_Desc"}) {
                auto *label = child<QLabel>(window, name);
                const QRect needed = label->fontMetrics().boundingRect(
                    label->contentsRect(), Qt::TextWordWrap | int(label->alignment()),
                    label->text());
                QVERIFY2(needed.height() <= label->contentsRect().height() &&
                             needed.width() <= label->contentsRect().width(),
                         qPrintable(QStringLiteral("%1 of %2 needs %3x%4")
                                        .arg(name, label->text())
                                        .arg(needed.width())
                                        .arg(needed.height())));
            }
            // The arrow of the combo box takes about a line's height of its width.
            const int textRoom = titles->width() - titles->height() - 8;
            QVERIFY2(titles->fontMetrics().horizontalAdvance(titles->itemText(i)) <= textRoom,
                     qPrintable(titles->itemText(i)));

            QList<QWidget *> controls;
            for (const char *name :
                 {"coBox_eWandTitle", "lb_eWand_Title", "lb_eWand_Desc", "lb_eWand_Image",
                  "push_eWand_ImgPrev", "push_eWand_ImgNext", "pusheWand_VideoURL",
                  "push_eWand_ImgBack", "push_eWand_ImgPrev2", "push_eWand_ImgNext2",
                  "textEdit_EWand_details"}) {
                QWidget *widget = child<QWidget>(window, name);
                QVERIFY2(QRect(0, 0, 800, 430).contains(widget->geometry()), name);
                if (widget->isVisible())
                    controls << widget;
            }
            for (QWidget *a : controls)
                for (QWidget *b : controls)
                    QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + QLatin1Char('/') + b->objectName()));
        }
        QVERIFY(clickButton(window, "push_eWand_ImgBack"));
    }
}

QTEST_MAIN(TestCrafts)
#include "tst_crafts.moc"
