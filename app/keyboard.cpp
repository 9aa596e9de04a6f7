#include "keyboard.h"

#include "mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QStackedWidget>

#include <algorithm>

namespace {

// Below a widget's middle, how far a row reaches at least (a low widget's
// row still takes its taller neighbours).
constexpr int minimumRow = 12;

bool takesTabFocus(const QWidget *widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy();
}

// The focusable widgets under root, leaving out the parts of a focusable
// widget (a spin box's line edit, a calendar's buttons), which keep their own order.
void collect(QWidget *parent, QList<QWidget *> &found)
{
    for (QObject *object : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(object);
        if (!widget || widget->isWindow())
            continue;
        if (takesTabFocus(widget))
            found << widget;
        else
            collect(widget, found);
    }
}

// A rounded amber frame drawn just outside the focused control, above its
// neighbours; it follows the control and lets touches through.
class FocusFrame : public QWidget
{
public:
    explicit FocusFrame(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("keyboardFocusFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

    void setTarget(QWidget *widget)
    {
        if (target)
            target->removeEventFilter(this);
        target = widget;
        if (!target || !target->parentWidget()) {
            hide();
            return;
        }
        target->installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == target) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::ParentChange:
                follow();
                break;
            case QEvent::Destroy:
                target = nullptr;
                hide();
                break;
            default:
                break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 193, 7), width));
        const qreal half = width / 2.0;
        painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), 6, 6);
    }

private:
    void follow()
    {
        if (parentWidget() != target->parentWidget())
            setParent(target->parentWidget());
        setGeometry(target->geometry().adjusted(-width, -width, width, width));
        setVisible(target->isVisible());
        raise();
    }

    static constexpr int width = 3;
    QPointer<QWidget> target;
};

// Marks the focused control after a key was pressed, and no more once the
// screen is touched, so finger use looks as before.
class FocusMarker : public QObject
{
public:
    explicit FocusMarker(QWidget *window)
        : QObject(window)
        , window(window)
    {
        frame = new FocusFrame(window);
        connect(qApp, &QApplication::focusChanged, this,
                [this](QWidget *, QWidget *now) { follow(now); });
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPressed(static_cast<QKeyEvent *>(event));
        case QEvent::MouseButtonPress:
        case QEvent::TouchBegin:
            if (keyboardUsed || window->testAttribute(Qt::WA_KeyboardFocusChange)) {
                keyboardUsed = false;
                frame->setTarget(nullptr);
                markFocus(false);
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool keyPressed(QKeyEvent *key)
    {
        QWidget *focus = QApplication::focusWidget();
        if (!focus || focus->window() != window)
            return false;
        if (!keyboardUsed) {
            keyboardUsed = true;
            markFocus(true);
            follow(focus);
        }
        // Return and Enter press the focused button, as Space does; in a line
        // edit or spin box they keep their own meaning.
        auto *button = qobject_cast<QAbstractButton *>(focus);
        if (button && !key->modifiers() && !key->isAutoRepeat() &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (button->isEnabled())
                button->click();
            return true;
        }
        return false;
    }

    // The toolkit marks the window when Tab moves the focus, and the style
    // draws focus rectangles only then, but it never takes the mark away: a
    // touch does, so that only keyboard use shows where the focus is.
    void markFocus(bool keyboard)
    {
        window->setAttribute(Qt::WA_KeyboardFocusChange, keyboard);
        if (QWidget *focus = QApplication::focusWidget())
            focus->update();
    }

    void follow(QWidget *now)
    {
        const bool mark = keyboardUsed && now && now->window() == window && now != window &&
                          (now->focusPolicy() & Qt::TabFocus);
        frame->setTarget(mark ? now : nullptr);
    }

    QWidget *window;
    FocusFrame *frame = nullptr;
    bool keyboardUsed = false;
};

// Escape with a drop-down list or a picker open (a combo box's list, a date
// edit's calendar, a completer's list) closes only it, on every page: the
// answers not yet saved stay on theirs. Taken when the toolkit asks whether
// a shortcut may have the key, before the key press: under X11 a combo box's
// list hides itself at that question without answering it, so the window's
// Esc shortcut then found no list open and went back a page as well.
class PopupEscape : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            QWidget *popup = QApplication::activePopupWidget();
            if (popup && key->key() == Qt::Key_Escape && !key->modifiers()) {
                popup->close();
                key->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// Esc presses the current page's back or home button, if shown and enabled.
void pressBackButton(MainWindow *window)
{
    if (QApplication::activePopupWidget())
        return; // PopupEscape's
    auto *content = window->findChild<QStackedWidget *>(QStringLiteral("stackWid_content"));
    auto *calculator = window->findChild<QStackedWidget *>(QStringLiteral("stackWid_ecoCalBody"));
    if (!content)
        return;
    const char *name =
        Keyboard::backButton(content->currentIndex(), calculator ? calculator->currentIndex() : -1);
    auto *button = *name
                       ? content->currentWidget()->findChild<QAbstractButton *>(QLatin1String(name))
                       : nullptr;
    if (button && button->isVisible() && button->isEnabled())
        button->click();
}

} // namespace

namespace Keyboard {

void orderTabs(QWidget *root)
{
    QList<QWidget *> widgets;
    collect(root, widgets);
    struct Placed
    {
        QRect rect; // in root's coordinates
        QWidget *widget;
    };
    QList<Placed> placed;
    for (QWidget *widget : std::as_const(widgets))
        placed.append({QRect(widget->mapTo(root, QPoint(0, 0)), widget->size()), widget});
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return a.rect.center().y() < b.rect.center().y();
    });
    // A row: the highest widget left and those whose middle lies beside it;
    // each row goes left to right.
    for (auto row = placed.begin(); row != placed.end();) {
        const int bottom = std::max(row->rect.bottom(), row->rect.center().y() + minimumRow);
        auto end = std::find_if(row, placed.end(),
                                [bottom](const Placed &p) { return p.rect.center().y() > bottom; });
        std::stable_sort(row, end,
                         [](const Placed &a, const Placed &b) { return a.rect.x() < b.rect.x(); });
        row = end;
    }
    QWidget *previous = root;
    for (const Placed &p : std::as_const(placed)) {
        QWidget::setTabOrder(previous, p.widget);
        previous = p.widget;
    }
}

const char *backButton(int page, int calculatorPage)
{
    switch (page) {
    case MainWindow::CreditsPage:
        return "push_CreditBack";
    case MainWindow::QuickFactsPage:
        return "push_QuickFactBack_2";
    case MainWindow::EventsPage:
        return "push_eventsHome";
    case MainWindow::EventUpdatePage:
        return "push_backToEvents";
    case MainWindow::QuizMenuPage:
        return "push_Exit";
    case MainWindow::QuizQuestionPage:
        return "push_back";
    case MainWindow::QuizResultPage:
        return "push_back_2";
    case MainWindow::CraftMenuPage:
        return "push_eWand_Menu";
    case MainWindow::CraftIdeaPage:
        return "push_eWand_ImgBack";
    case MainWindow::CalculatorPage:
        switch (calculatorPage) {
        case MainWindow::SettingsPage:
            return "push_settingsBack";
        case MainWindow::HistoryPage:
            return "push_historyBack";
        case MainWindow::SpendingPage:
            return "push_spendingBack";
        case MainWindow::MetersPage:
            return "push_metersBack";
        case MainWindow::MeterHistoryPage:
            return "push_meterHistoryBack";
        case MainWindow::QuickDayPage:
            return "push_quickDayBack";
        default:
            return "push_ecoCalHomeButton";
        }
    default:
        return "";
    }
}

void install(MainWindow *window)
{
    new FocusMarker(window);
    qApp->installEventFilter(new PopupEscape(window));
    // Nothing is focused at start, so the first Tab lands on the page's first control.
    if (window->centralWidget())
        window->centralWidget()->setFocus();
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, [window] { pressBackButton(window); });
}

} // namespace Keyboard
