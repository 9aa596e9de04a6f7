#include "pictures.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmapCache>
#include <QPointer>

namespace Pictures {

namespace {

const char *const pathProperty = "picture";

QPixmap load(const QString &path, const QWidget *widget)
{
    const QString file = forDensity(path, widget);
    QImageReader reader(file);
    QImage image = reader.read();
    if (file != path)
        image.setDevicePixelRatio(2.0);
    return QPixmap::fromImage(std::move(image));
}

// Draws a label's picture when it is shown and lets it go when it is hidden,
// which every label of a page is when its stack shows another page.
class OnScreen : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Hide)
            return false;
        auto *label = qobject_cast<QLabel *>(watched);
        if (!label)
            return false;
        const QString path = label->property(pathProperty).toString();
        if (path.isEmpty())
            return false;
        if (type == QEvent::Hide)
            label->setPixmap(QPixmap());
        else if (label->pixmap().isNull())
            label->setPixmap(shared(path, label));
        return false;
    }
};

void watch(QLabel *label)
{
    static QPointer<OnScreen> filter;
    if (!filter)
        filter = new OnScreen(QCoreApplication::instance());
    // Installing it again moves it to the front; it stays installed once.
    label->installEventFilter(filter);
}

} // namespace

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
    for (QLabel *label : page->findChildren<QLabel *>()) {
        if (label->property(pathProperty).toString().isEmpty())
            continue;
        watch(label);
        if (label->isVisible())
            label->setPixmap(shared(label->property(pathProperty).toString(), label));
    }
}

} // namespace Pictures
