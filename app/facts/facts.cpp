// Quick Facts: illustrated facts about energy and the environment, one per
// screen, opened on a random fact and stepped through by number.
#include "mainwindow.h"
#include "mainwindowui.h"
#include "pictures.h"

#include "facts/factslogic.h"

#include <QCompleter>
#include <QDebug>
#include <QIcon>
#include <QPixmap>

void MainWindow::setupQuickFacts()
{
    if (!db.isOpen())
        return;
    // A fresh completer over the current names replaces the previous one, so
    // repeated openings do not pile completers up on the window.
    delete factCompleter;
    factCompleter = new QCompleter(Facts::names(db), this);
    factCompleter->setCaseSensitivity(Qt::CaseInsensitive);
}

void MainWindow::setQuickFacts()
{
    qDebug("setQuickFacts");
    const std::optional<Facts::Fact> fact = Facts::find(db, factId);
    if (!fact)
        return;
    Pictures::show(ui->lb_factPicture, Facts::picturePath(fact->picture));
    ui->te_factDescription->setPlainText(fact->factLong);
    ui->lb_quickFactsTitle->setText(fact->name);
    showPage(QuickFactsPage);
}

void MainWindow::randomQuickFact()
{
    qDebug("randomQuickFact");
    if (const std::optional<int> id = Facts::randomId(db)) {
        factId = *id;
        setQuickFacts();
    }
}

void MainWindow::on_push_nextQuickFact_clicked()
{
    const std::optional<int> largest = Facts::largestId(db);
    if (!largest) {
        ++factId;
        return;
    }
    factId = Facts::nextId(factId, *largest);
    setQuickFacts();
}

void MainWindow::on_push_previousQuickFact_clicked()
{
    if (const std::optional<int> largest = Facts::largestId(db)) {
        factId = Facts::previousId(factId, *largest);
        setQuickFacts();
    }
}

void MainWindow::on_push_QuickFactIcon_clicked()
{
    qDebug("on_push_QuickFactIcon_clicked");
    showPage(QuickFactsPage);
    setupQuickFacts();
    qDebug("on_push_QuickFactIcon_clicked1");
    Pictures::show(ui->label_10, QStringLiteral(":/new/prefix1/images/Background_by_kelmor1.jpg"));
    Pictures::show(ui->label_15, QStringLiteral(":/new/prefix1/images/diaryBackground_D.png"));
    qDebug("on_push_QuickFactIcon_clicked2");
    factSoundOn = 1;
    qDebug("on_push_QuickFactIcon_clicked3");
    randomQuickFact();
    qDebug("on_push_QuickFactIcon_clicked4");
    qDebug("on_push_QuickFactIcon_clicked5");
}

void MainWindow::on_push_sound_2_clicked()
{
    // The toggle only remembers its state; the viewer plays no sound.
    factSoundOn = factSoundOn == 1 ? 0 : 1;
    ui->push_sound_2->setIcon(QIcon(factSoundOn == 1
                                        ? QStringLiteral(":/new/prefix1/images/on.png")
                                        : QStringLiteral(":/new/prefix1/images/off.png")));
}
