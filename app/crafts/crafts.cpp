// DarAror, the craft idea browser: a menu of six materials and a page that
// shows one craft of the chosen material at a time.
#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"

#include "crafts/craftslogic.h"

#include <QDesktopServices>
#include <QPixmap>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>

void MainWindow::openCraftCategory(const QString &category, const QString &background)
{
    showPage(CraftIdeaPage);
    Pictures::show(ui->lb_Ewand_Backgound, background);
    readCategory(category);
    if (ui->coBox_eWandTitle->count() == 0) {
        // Nothing to show (the database could not be read): an empty page, not
        // the arrows and video of no craft, nor the address of a craft seen before.
        ui->push_eWand_ImgPrev->setVisible(false);
        ui->push_eWand_ImgNext->setVisible(false);
        ui->pusheWand_VideoURL->setVisible(false);
        eWandVideoUrl.clear();
        ui->lb_eWand_Title->clear();
        ui->lb_eWand_Desc->clear();
        Pictures::clear(ui->lb_eWand_Image);
        ui->textEdit_EWand_details->clear();
    }
}

void MainWindow::readCategory(const QString &category)
{
    if (!db.isOpen())
        return;
    // The list is the table's titles reversed, and the craft on screen the
    // last the table returned: only that one is read and drawn.
    QStringList titles = Crafts::titles(db, category);
    if (titles.isEmpty())
        return;
    std::reverse(titles.begin(), titles.end());
    {
        const QSignalBlocker quiet(ui->coBox_eWandTitle);
        ui->coBox_eWandTitle->insertItems(0, titles);
        ui->coBox_eWandTitle->setCurrentIndex(0);
    }
    readDetails(titles.constFirst());
}

void MainWindow::readDetails(const QString &title)
{
    ui->lb_eWand_VideoMessage->hide();
    ui->push_eWand_ImgNext->setVisible(true);
    ui->push_eWand_ImgBack->setVisible(true);
    ui->pusheWand_VideoURL->setVisible(true);
    if (!db.isOpen())
        return;
    const std::optional<Crafts::Craft> craft = Crafts::find(db, title);
    if (!craft)
        return;

    ui->lb_eWand_Title->setText(craft->title);
    ui->lb_eWand_Desc->setText(craft->description);
    Pictures::show(ui->lb_eWand_Image, craft->url1);
    ui->textEdit_EWand_details->setPlainText(
        Crafts::detailsText(craft->thingNeed, craft->instruction));

    eWandVideoUrl = craft->videoUrl;
    eWandImage1 = craft->url1;
    eWandImage2 = craft->url2;

    if (craft->url2.isEmpty()) {
        ui->push_eWand_ImgNext->setVisible(false);
        ui->push_eWand_ImgPrev->setVisible(false);
    }
    if (craft->videoUrl.isEmpty())
        ui->pusheWand_VideoURL->setVisible(false);
    ui->push_eWand_ImgPrev->setVisible(false);
}

void MainWindow::on_coBox_eWandTitle_currentIndexChanged(const QString &text)
{
    readDetails(text);
}

void MainWindow::on_pusheWand_VideoURL_clicked()
{
    // Only a web address or one of Viridio's own videos goes to the desktop;
    // anything else, or an address no program takes, is said on the page.
    const QUrl url = Crafts::videoUrl(eWandVideoUrl);
    QString problem;
    if (url.isEmpty())
        problem = QStringLiteral("This video is neither a web page nor one of Viridio's own "
                                 "videos, so it is not opened.");
    else if (!QDesktopServices::openUrl(url))
        problem = QStringLiteral("No program on this device could open this video.");
    if (problem.isEmpty())
        return;
    ui->lb_eWand_VideoMessage->setText(problem);
    ui->lb_eWand_VideoMessage->show();
}

// The craft page's house button: home to the main menu, as on every page.
void MainWindow::on_push_eWand_ImgBack_clicked()
{
    showPage(MainMenuPage);
    ui->lb_eWand_VideoMessage->hide();
    eWandImage1.clear();
    eWandImage2.clear();
    ui->coBox_eWandTitle->clear();
    ui->lb_eWand_Desc->clear();
    Pictures::clear(ui->lb_eWand_Image);
    ui->lb_eWand_Title->clear();
    ui->textEdit_EWand_details->clear();
    Pictures::clear(ui->lb_Ewand_Backgound);
}

void MainWindow::stepCraft(int step)
{
    QComboBox *titles = ui->coBox_eWandTitle;
    titles->setCurrentIndex(Crafts::wrapIndex(titles->currentIndex() + step, titles->count()));
    readDetails(titles->currentText());
}

void MainWindow::on_push_eWand_ImgPrev2_clicked()
{
    stepCraft(-1);
}

void MainWindow::on_push_eWand_ImgNext2_clicked()
{
    stepCraft(+1);
}

void MainWindow::on_push_eWand_ImgPrev_clicked()
{
    Pictures::show(ui->lb_eWand_Image, eWandImage1);
    ui->push_eWand_ImgNext->setVisible(true);
    ui->push_eWand_ImgPrev->setVisible(false);
}

void MainWindow::on_push_eWand_ImgNext_clicked()
{
    Pictures::show(ui->lb_eWand_Image, eWandImage2);
    ui->push_eWand_ImgPrev->setVisible(true);
    ui->push_eWand_ImgNext->setVisible(false);
}

void MainWindow::on_push_MenuOthers_clicked()
{
    openCraftCategory(QStringLiteral("Others"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_others.jpg"));
}

void MainWindow::on_push_MenuGlass_clicked()
{
    openCraftCategory(QStringLiteral("Glass"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_glass.jpg"));
}

void MainWindow::on_push_MenuPlastic_clicked()
{
    openCraftCategory(QStringLiteral("Plastic"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_plastic.jpg"));
}

void MainWindow::on_push_MenuPaper_clicked()
{
    openCraftCategory(QStringLiteral("Paper"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_paper.jpg"));
}

void MainWindow::on_push_MenuClothes_clicked()
{
    openCraftCategory(QStringLiteral("Clothes"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_clothes.jpg"));
}

void MainWindow::on_push_MenuAlum_clicked()
{
    openCraftCategory(QStringLiteral("Aluminium"),
                      QStringLiteral(":/darAror/images/DarArorResc/darAror_aluminium.jpg"));
}
