#include "pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>

namespace Pictures {

namespace {

const char *const pathProperty = "picture";
// The decoded picture a button holds while it is on screen.
const char *const heldProperty = "pictureHeld";

QPixmap load(const QString &path, const QWidget *widget)
{
    const QString file = forDensity(path, widget);
    // Only a regular file is read: a FIFO or a device named as a picture (a
    // craft's stored path may name anything) would hold the window.
    if (!QFileInfo(file).isFile())
        return {};
    QImageReader reader(file);
    QImage image = reader.read();
    if (file != path)
        image.setDevicePixelRatio(2.0);
    return QPixmap::fromImage(std::move(image));
}

// Draws a button's picture over the whole button, which is all a picture
// button shows (the keyboard's focus ring is drawn around it). Pressed or
// not, it looks the same.
void paintButton(QAbstractButton *button)
{
    QPainter painter(button);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(button->rect(), button->property(heldProperty).value<QPixmap>());
}

// Gives a label or a button of a picture the decoded picture to draw, or takes
// it away.
void hold(QWidget *widget, bool onScreen)
{
    const QString path = widget->property(pathProperty).toString();
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        if (!onScreen)
            label->setPixmap(QPixmap());
        else if (label->pixmap().isNull())
            label->setPixmap(shared(path, label));
    } else {
        widget->setProperty(heldProperty, onScreen ? QVariant(shared(path, widget)) : QVariant());
    }
}

// Draws the picture of a label or a button when it is shown and lets it go
// when it is hidden, which every widget of a page is when its stack shows
// another page. A button's picture is painted here, over the whole button.
class OnScreen : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::Paint)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->property(pathProperty).toString().isEmpty())
            return false;
        auto *button = qobject_cast<QAbstractButton *>(widget);
        if (type == QEvent::Paint) {
            if (button)
                paintButton(button);
            return button != nullptr;
        }
        hold(widget, type == QEvent::Show);
        return false;
    }
};

void watch(QWidget *widget)
{
    static QPointer<OnScreen> filter;
    if (!filter)
        filter = new OnScreen(QCoreApplication::instance());
    // Installing it again moves it to the front; it stays installed once.
    widget->installEventFilter(filter);
}

// A standard icon of a style, asked of it when first drawn.
class StandardIconWhenDrawn : public QIconEngine
{
public:
    StandardIconWhenDrawn(const QStyle *style, QStyle::StandardPixmap which)
        : style(style)
        , which(which)
    {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    bool isNull() override { return icon().isNull(); }
    QIconEngine *clone() const override { return new StandardIconWhenDrawn(style, which); }

private:
    QIcon &icon()
    {
        if (!asked && style) {
            asked = true;
            drawn = style->standardIcon(which);
        }
        return drawn;
    }

    QPointer<const QStyle> style;
    QStyle::StandardPixmap which;
    QIcon drawn;
    bool asked = false;
};

class WindowStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    // A focused button shows the keyboard's ring around it alone, not the
    // style's focus rectangle, which lays a light square over its picture.
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_FrameFocusRect && qobject_cast<const QAbstractButton *>(widget))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        // An icon shaped by an option or a right-to-left widget is made now.
        if (option || (widget && widget->isRightToLeft()))
            return QProxyStyle::standardIcon(which, option, widget);
        return QIcon(new StandardIconWhenDrawn(baseStyle(), which));
    }
};

} // namespace

void installWindowStyle()
{
    QStyle *style = QApplication::style();
    // The proxy takes the style over, so the application keeps the one it has.
    if (!dynamic_cast<WindowStyle *>(style))
        QApplication::setStyle(new WindowStyle(style));
}

QString forDensity(const QString &path, const QWidget *widget)
{
    if (!widget || widget->devicePixelRatioF() <= 1.0)
        return path;
    const QFileInfo info(path);
    const QString dense = info.path() + QLatin1Char('/') + info.completeBaseName() +
                          QStringLiteral("@2x.") + info.suffix();
    return QFileInfo::exists(dense) ? dense : path;
}

QPixmap shared(const QString &path, const QWidget *widget)
{
    const QString key = QStringLiteral("viridio:") + forDensity(path, widget);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = load(path, widget);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

void show(QLabel *label, const QString &path)
{
    label->setProperty(pathProperty, path);
    watch(label);
    label->setPixmap(shared(path, label));
}

void clear(QLabel *label)
{
    if (!label)
        return;
    label->setProperty(pathProperty, QVariant());
    label->clear();
}

void keepOnScreen(QWidget *page)
{
    for (QWidget *widget : page->findChildren<QWidget *>()) {
        if (widget->property(pathProperty).toString().isEmpty())
            continue;
        watch(widget);
        if (widget->isVisible())
            hold(widget, true);
    }
}

} // namespace Pictures
