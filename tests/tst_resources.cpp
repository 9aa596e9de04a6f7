// The picture and sound bundle: every path the application names resolves to
// a file in the format its extension names, the forms' resource lists and resources/
// list the same files, the verdict animations end within two seconds and the
// whole bundle stays small. Every picture has a twice as large name@2x.ext
// beside it, and the test runs at device pixel ratio 2 to see Qt pick those.

#include "mainwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMap>
#include <QResource>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

namespace {

// Folder of the bundle, then the files the application names in it.
struct Folder
{
    const char *prefix;
    QStringList files;
};

const QList<Folder> bundleList = {
    {":/new/prefix1/images/",
     {"vozAvavi_tips.png",
      "zadUvedoButton.png",
      "diaryBackground.png",
      "ecoCalMicrowave.png",
      "ecoCalDVDPlayer.png",
      "bed_icon_lodging.gif",
      "infoButton.png",
      "Background_by_kelmor1.jpg",
      "Global_Warming_Map.png",
      "vozAvaviButton.png",
      "ecoCalBackground.jpg",
      "vampireAppliance.jpg",
      "sofa.png",
      "off.png",
      "ecoCalRiceCooker.png",
      "home.png",
      "waterImage.png",
      "rightArrow.png",
      "on.png",
      "ecoCalLaptop.png",
      "showerIcon.png",
      "lawn.jpg",
      "ElectricityIcon_water.png",
      "ecoCalElectricity.png",
      "washingMachine.jpg",
      "vozAvavi_mainPageImage.png",
      "ecoCalHeaderCal.png",
      "tapicon.png",
      "ecoCalwWashingMachine.png",
      "ecoCalFan.png",
      "diaryBackground_D.png",
      "diaryBackground_C.png",
      "greenHour.jpg",
      "leftArrow.png",
      "ecoCalCeilingLights.png",
      "HEV.png",
      "ecoCalRefrigerator.png",
      "ecoCalHairDryer.png",
      "ecoCalAirCon.png",
      "ecoCalLcdTv copy.png",
      "Latex-Electricity-icon.png",
      "electicityIcon.png",
      "icon_toilet.gif",
      "kitchenIcon.gif",
      "dishWashing.jpg"}},
    {":/music/sound/", {"slot2.wav", "smooth.wav", "Tabla.wav", "AfternoonStreets.wav"}},
    {":/mainMenu/images/MainMenu/",
     {"credits.gif", "Mainmenu.jpg", "chalkboard.jpg", "quickFact.gif", "darAror.gif",
      "ecoEvent.gif", "ecoCal.gif", "duzEvod.gif"}},
    {":/darAror/images/DarArorResc/resc/",
     {"cards_puzzles.JPG", "rag_doll2.jpg", "recycle_utensil_holder.jpg", "dad_remote_holder.JPG",
      "toothbrush_bracelet_2.jpg", "toothbrush_bracelet_1.jpg", "j_heart.jpg", "jar_animals.JPG",
      "recycled_CD_Card.jpg", "stationery_bears.jpg", "rag_doll.jpg", "cd_holder_room.JPG",
      "recycled_potato_container_car.jpg", "teacher_jar.JPG"}},
    {":/darAror/images/DarArorResc/",
     {"DarAror_Button(plastic).png", "DarAror_Button(next).png",  "DarAror_Button(clothes).png",
      "DarAror_Button(up).png",      "DarAror_Button(prev).png",  "darAror_aluminium.jpg",
      "DarAror_Button(others).png",  "DarAror_Button(down).png",  "DarAror_Button(back).png",
      "darAror_paper.jpg",           "DarAror_Button(alu).png",   "darAror_plastic.jpg",
      "darAror_others.jpg",          "darAror_glass.jpg",         "DarAror_Button(menu).png",
      "DarAror_Button(glass).png",   "Background_pinboard.jpg",   "DarAror_Button(home).png",
      "darAror_clothes.jpg",         "DarAror_Button(paper).png", "DarAror_Button(video).png"}},
    {":/duzevod/images/DuzEvodResc/",
     {"button_start2(orange).gif", "button_back.gif", "button_menu2.gif", "cross.gif",
      "DuzEvod_Menu_1.jpg", "DuzEvod_Background(3).png", "button_tryagain2.gif", "DuzEvod_Menu.jpg",
      "button_tryagain.gif", "button_start.gif", "button_back2.gif", "button_menu.gif",
      "tick.gif"}},
};

// Pictures the form and the code name besides the list above.
const QStringList namedPictures = {
    ":/new/prefix1/MAIN.png",
    ":/new/prefix1/images/book.png",
    ":/new/prefix1/images/calendar.png",
    ":/new/ecoCalculator/ecoCalBody.png",
    ":/new/ecoCalculator/border.png",
    ":/new/prefix1/images/toiletHeader.jpg",
    ":/new/prefix1/images/kitchenHeader.jpg",
    ":/new/prefix1/images/livingRoomHeader.jpg",
    ":/new/prefix1/images/bedroomHeader.jpg",
};

// Pictures that fill a whole page.
const QStringList fullPagePictures = {
    ":/mainMenu/images/MainMenu/Mainmenu.jpg",
    ":/mainMenu/images/MainMenu/chalkboard.jpg",
    ":/new/prefix1/images/ecoCalBackground.jpg",
    ":/new/prefix1/images/Background_by_kelmor1.jpg",
    ":/new/prefix1/images/book.png",
    ":/darAror/images/DarArorResc/Background_pinboard.jpg",
    ":/darAror/images/DarArorResc/darAror_aluminium.jpg",
    ":/darAror/images/DarArorResc/darAror_clothes.jpg",
    ":/darAror/images/DarArorResc/darAror_paper.jpg",
    ":/darAror/images/DarArorResc/darAror_plastic.jpg",
    ":/darAror/images/DarArorResc/darAror_glass.jpg",
    ":/darAror/images/DarArorResc/darAror_others.jpg",
    ":/duzevod/images/DuzEvodResc/DuzEvod_Menu.jpg",
    ":/duzevod/images/DuzEvodResc/DuzEvod_Menu_1.jpg",
    ":/duzevod/images/DuzEvodResc/DuzEvod_Background(3).png",
};

constexpr qint64 bundleLimit = 4 * 1024 * 1024;
constexpr int verdictLimitMs = 2000;

QStringList allNamedPaths()
{
    QStringList paths;
    for (const Folder &folder : bundleList)
        for (const QString &file : folder.files)
            paths << QLatin1String(folder.prefix) + file;
    return paths + namedPictures;
}

// The format a file's leading bytes identify, independent of its name.
QByteArray formatByContent(const QByteArray &head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return "wav";
    return "unknown";
}

// name.ext -> name@2x.ext
QString doubleSizePath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

// The mean difference in grey level between two pictures of the same size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column)
            sum += qAbs(qGray(p[column]) - qGray(q[column]));
    }
    return sum / (double(x.width()) * x.height());
}

QByteArray formatBySuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") ? QByteArray("jpeg") : suffix.toLatin1();
}

QString sourceDir()
{
    return QStringLiteral(VIRIDIO_SOURCE_DIR);
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private:
    // resource path -> file on disk, as forms/images.qrc and mainmenu.qrc list them
    QMap<QString, QString> qrcEntries;
    QStringList qrcErrors;

    void readQrc(const QString &name);

private slots:
    void initTestCase();

    // Every named path resolves, in its extension's format.
    void namedPathResolves_data();
    void namedPathResolves();
    void pictureLoads_data();
    void pictureLoads();
    void soundIsWave_data();
    void soundIsWave();
    void fullPagePictureFillsThePage_data();
    void fullPagePictureFillsThePage();
    void doubleSizePictureBesideEach_data();
    void doubleSizePictureBesideEach();

    // At device pixel ratio 2 Qt shows the @2x pictures.
    void iconPicksDoubleSize();
    void styleSheetPicksDoubleSize_data();
    void styleSheetPicksDoubleSize();
    void pagePicturesPickDoubleSize();

    // The resource list and the files agree.
    void resourceListIsWellFormed();
    void everyListedFileExists();
    void everyFileIsListed();
    void bundleHoldsTheFilesAsTheyAre();
    void bundleIsUncompressed();

    // Verdict animations and the size of the whole.
    void verdictAnimationEndsInTime_data();
    void verdictAnimationEndsInTime();
    void bundleStaysSmall();

    // A screen reader can name every picture button of every form.
    void pictureButtonsHaveNames();
};

void TestResources::readQrc(const QString &name)
{
    const QString qrcPath = sourceDir() + QStringLiteral("/forms/") + name;
    QFile file(qrcPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qrcErrors << QStringLiteral("cannot open ") + qrcPath;
        return;
    }
    const QDir formsDir = QFileInfo(qrcPath).absoluteDir();
    QXmlStreamReader xml(&file);
    QString prefix;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("qresource")) {
            prefix = xml.attributes().value(QLatin1String("prefix")).toString();
            if (!prefix.endsWith(QLatin1Char('/')))
                prefix += QLatin1Char('/');
        } else if (xml.name() == QLatin1String("file")) {
            const QString algorithm =
                xml.attributes().value(QLatin1String("compression-algorithm")).toString();
            const QString alias = xml.attributes().value(QLatin1String("alias")).toString();
            const QString relative = xml.readElementText();
            const QString resource =
                QLatin1Char(':') + prefix + (alias.isEmpty() ? relative : alias);
            if (algorithm != QLatin1String("none"))
                qrcErrors << resource + QStringLiteral(" may be compressed");
            if (qrcEntries.contains(resource))
                qrcErrors << resource + QStringLiteral(" listed twice");
            qrcEntries.insert(resource, QDir::cleanPath(formsDir.absoluteFilePath(relative)));
        }
    }
    if (xml.hasError())
        qrcErrors << xml.errorString();
}

void TestResources::initTestCase()
{
    Q_INIT_RESOURCE(mainmenu);
    Q_INIT_RESOURCE(images);
    readQrc(QStringLiteral("mainmenu.qrc"));
    readQrc(QStringLiteral("images.qrc"));
}

void TestResources::namedPathResolves_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : allNamedPaths())
        QTest::newRow(qPrintable(path)) << path;
}

void TestResources::namedPathResolves()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), "not in the compiled bundle");
    QCOMPARE(formatByContent(file.read(16)), formatBySuffix(path));
}

void TestResources::pictureLoads_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : allNamedPaths())
        if (!path.endsWith(QLatin1String(".wav")))
            QTest::newRow(qPrintable(path)) << path;
}

void TestResources::pictureLoads()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), formatBySuffix(path));
    const QSize size = reader.size();
    // Every widget that shows a picture lies within the 800 x 430 page (one
    // frame reaches 511 pixels high, overlapping the page's edges).
    QVERIFY2(size.width() >= 16 && size.width() <= 800, qPrintable(QString::number(size.width())));
    QVERIFY2(size.height() >= 16 && size.height() <= 511,
             qPrintable(QString::number(size.height())));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
}

void TestResources::soundIsWave_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : allNamedPaths())
        if (path.endsWith(QLatin1String(".wav")))
            QTest::newRow(qPrintable(path)) << path;
}

void TestResources::soundIsWave()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.size() > 44);
    QCOMPARE(data.left(4), QByteArray("RIFF"));
    QCOMPARE(data.mid(8, 4), QByteArray("WAVE"));
    QCOMPARE(data.mid(12, 4), QByteArray("fmt "));
    const quint32 riffSize = qFromLittleEndian<quint32>(data.constData() + 4);
    QCOMPARE(qint64(riffSize), qint64(data.size()) - 8);
    // about a second of sound, and small
    const quint32 byteRate = qFromLittleEndian<quint32>(data.constData() + 28);
    QVERIFY(byteRate > 0);
    const double seconds = double(data.size() - 44) / byteRate;
    QVERIFY2(seconds >= 0.5 && seconds <= 2.0, qPrintable(QString::number(seconds)));
    QVERIFY(data.size() < 64 * 1024);
}

void TestResources::fullPagePictureFillsThePage_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : fullPagePictures)
        QTest::newRow(qPrintable(path)) << path;
}

void TestResources::fullPagePictureFillsThePage()
{
    QFETCH(QString, path);
    QCOMPARE(QImageReader(path).size(), QSize(800, 430));
}

void TestResources::doubleSizePictureBesideEach_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : qrcEntries.keys())
        if (!path.endsWith(QLatin1String(".wav")) && !path.contains(QLatin1String("@2x")))
            QTest::newRow(qPrintable(path)) << path;
}

void TestResources::doubleSizePictureBesideEach()
{
    QFETCH(QString, path);
    const QString twice = doubleSizePath(path);
    QVERIFY2(qrcEntries.contains(twice), "no @2x picture listed");
    QFile file(twice);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(formatByContent(file.read(16)), formatBySuffix(path));
    QImageReader reader(twice);
    QCOMPARE(reader.size(), QImageReader(path).size() * 2);
    QCOMPARE(reader.imageCount(), QImageReader(path).imageCount());
    QVERIFY2(!reader.read().isNull(), qPrintable(reader.errorString()));
}

// The pictures the forms name and those the pages load in code are drawn from
// the @2x files too.
void TestResources::pagePicturesPickDoubleSize()
{
    TemporaryHome home;
    MainWindow window;
    window.show();
    QVERIFY(clickButton(&window, "push_ecoCal"));
    for (const char *name : {"lb_ecoCalBackground", "lb_ecoCalMainPageImage"}) {
        auto *label = child<QLabel>(&window, name);
        QVERIFY2(label && label->pixmap().devicePixelRatio() == 2.0, name);
    }
}

void TestResources::iconPicksDoubleSize()
{
    // Buttons show QIcon pictures; QIcon looks for name@2x.ext itself.
    const QString path = QStringLiteral(":/new/prefix1/images/on.png");
    const QPixmap shown = QIcon(path).pixmap(QSize(48, 48));
    QCOMPARE(shown.devicePixelRatio(), 2.0);
    QCOMPARE(shown.size(), QSize(96, 96));
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(doubleSizePath(path)).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TestResources::styleSheetPicksDoubleSize_data()
{
    QTest::addColumn<QString>("property");
    QTest::newRow("background-image") << QStringLiteral("background-image");
    QTest::newRow("border-image") << QStringLiteral("border-image");
    QTest::newRow("image") << QStringLiteral("image");
}

void TestResources::styleSheetPicksDoubleSize()
{
    QFETCH(QString, property);
    const QString path = QStringLiteral(":/mainMenu/images/MainMenu/Mainmenu.jpg");
    QWidget page;
    page.setObjectName(QStringLiteral("page"));
    page.setAttribute(Qt::WA_StyledBackground);
    page.setStyleSheet(QStringLiteral("#page { %1: url(%2); }").arg(property, path));
    page.resize(800, 430);
    QCOMPARE(page.devicePixelRatio(), 2.0);
    const QImage grabbed = page.grab().toImage();
    const QImage twice(doubleSizePath(path));
    const QImage upscaled =
        QImage(path).scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The drawn page is the @2x picture, which has detail the 1x one lacks.
    QVERIFY(meanDifference(upscaled, twice) > 0.5);
    QVERIFY2(meanDifference(grabbed, twice) < 0.1,
             qPrintable(QString::number(meanDifference(grabbed, twice))));
}

void TestResources::resourceListIsWellFormed()
{
    QVERIFY2(qrcErrors.isEmpty(), qPrintable(qrcErrors.join(QLatin1Char('\n'))));
    QVERIFY(!qrcEntries.isEmpty());
    for (const QString &path : allNamedPaths())
        QVERIFY2(qrcEntries.contains(path), qPrintable(path + QStringLiteral(" is not listed")));
}

void TestResources::everyListedFileExists()
{
    QStringList missing;
    for (auto it = qrcEntries.cbegin(); it != qrcEntries.cend(); ++it)
        if (!QFileInfo(it.value()).isFile())
            missing << it.value();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
}

void TestResources::everyFileIsListed()
{
    const QString root = QDir::cleanPath(sourceDir() + QStringLiteral("/resources"));
    QVERIFY(QFileInfo(root).isDir());
    const QStringList listed = qrcEntries.values();
    QStringList unlisted;
    int count = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = QDir::cleanPath(it.next());
        ++count;
        if (!listed.contains(file))
            unlisted << file;
    }
    QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted.join(QLatin1Char('\n'))));
    QCOMPARE(count, int(qrcEntries.size()));
}

void TestResources::bundleHoldsTheFilesAsTheyAre()
{
    // The compiled bundle is the listed files, byte for byte: a stale build or
    // a list pointing at the wrong file shows up here.
    for (auto it = qrcEntries.cbegin(); it != qrcEntries.cend(); ++it) {
        QFile inBundle(it.key());
        QFile onDisk(it.value());
        QVERIFY2(inBundle.open(QIODevice::ReadOnly), qPrintable(it.key()));
        QVERIFY2(onDisk.open(QIODevice::ReadOnly), qPrintable(it.value()));
        QVERIFY2(inBundle.readAll() == onDisk.readAll(), qPrintable(it.key()));
    }
}

void TestResources::bundleIsUncompressed()
{
    for (const QString &path : allNamedPaths()) {
        QResource resource(path);
        QVERIFY2(resource.isValid(), qPrintable(path));
        QVERIFY2(resource.compressionAlgorithm() == QResource::NoCompression, qPrintable(path));
    }
}

void TestResources::verdictAnimationEndsInTime_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &name : {QStringLiteral("tick"), QStringLiteral("cross")}) {
        const QString path = QStringLiteral(":/duzevod/images/DuzEvodResc/") + name;
        QTest::newRow(qPrintable(name)) << path + QStringLiteral(".gif");
        QTest::newRow(qPrintable(name + QStringLiteral("@2x"))) << path + QStringLiteral("@2x.gif");
    }
}

void TestResources::verdictAnimationEndsInTime()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    QVERIFY(reader.supportsAnimation());
    // plays once and stays on its last frame
    QCOMPARE(reader.loopCount(), 0);
    int frames = 0;
    int totalMs = 0;
    int lastDelay = 0;
    QImage last;
    while (reader.canRead()) {
        const QImage frame = reader.read();
        if (frame.isNull())
            break;
        QCOMPARE(frame.size(), QSize(170, 70) * (path.contains(QLatin1String("@2x")) ? 2 : 1));
        lastDelay = reader.nextImageDelay();
        totalMs += lastDelay;
        last = frame;
        ++frames;
    }
    QVERIFY2(frames >= 4, qPrintable(QString::number(frames)));
    QVERIFY2(totalMs > 0 && totalMs <= verdictLimitMs, qPrintable(QString::number(totalMs)));
    // the still end frame is the longest
    QVERIFY(lastDelay >= totalMs / frames);
    QVERIFY(!last.isNull());
}

void TestResources::bundleStaysSmall()
{
    qint64 total = 0;
    for (auto it = qrcEntries.cbegin(); it != qrcEntries.cend(); ++it)
        total += QFileInfo(it.key()).size();
    QVERIFY(total > 0);
    QVERIFY2(total < bundleLimit, qPrintable(QString::number(total)));
}

void TestResources::pictureButtonsHaveNames()
{
    const QFileInfoList forms =
        QDir(sourceDir() + QStringLiteral("/forms")).entryInfoList({QStringLiteral("*.ui")});
    QVERIFY(forms.size() > 30);
    QStringList unnamed;
    for (const QFileInfo &form : forms) {
        QFile file(form.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        // The button being read (empty outside one), its text and its name.
        QString button;
        QMap<QString, QString> props;
        QString property;
        int depth = 0;
        int buttonDepth = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                ++depth;
                const auto cls = xml.attributes().value(QLatin1String("class"));
                if (xml.name() == QLatin1String("widget") &&
                    (cls == QLatin1String("QPushButton") || cls == QLatin1String("QToolButton"))) {
                    button = xml.attributes().value(QLatin1String("name")).toString();
                    buttonDepth = depth;
                    props.clear();
                } else if (xml.name() == QLatin1String("property") && depth == buttonDepth + 1) {
                    property = xml.attributes().value(QLatin1String("name")).toString();
                } else if (xml.name() == QLatin1String("string") && !property.isEmpty()) {
                    props[property] = xml.readElementText().trimmed();
                    --depth;
                }
            } else if (xml.isEndElement()) {
                if (depth == buttonDepth && !button.isEmpty()) {
                    if (props.value(QStringLiteral("text")).isEmpty() &&
                        props.value(QStringLiteral("accessibleName")).isEmpty())
                        unnamed << form.fileName() + QLatin1Char(':') + button;
                    button.clear();
                    buttonDepth = 0;
                }
                if (xml.name() == QLatin1String("property"))
                    property.clear();
                --depth;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(form.fileName() + xml.errorString()));
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
}

int main(int argc, char **argv)
{
    // As on a high-density screen: every widget has device pixel ratio 2.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestResources test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_resources.moc"
