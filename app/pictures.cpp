#include "pictures.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmapCache>

namespace Pictures {

QString forDensity(const QString &path, const QWidget *widget)
{
    if (!widget || widget->devicePixelRatioF() <= 1.0)
        return path;
    const QFileInfo info(path);
    const QString dense = info.path() + QLatin1Char('/') + info.completeBaseName() +
                          QStringLiteral("@2x.") + info.suffix();
    return QFileInfo::exists(dense) ? dense : path;
}

QPixmap load(const QString &path, const QWidget *widget)
{
    const QString file = forDensity(path, widget);
    QImageReader reader(file);
    QImage image = reader.read();
    if (file != path)
        image.setDevicePixelRatio(2.0);
    return QPixmap::fromImage(std::move(image));
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
    label->setPixmap(load(path, label));
}

void clear(QLabel *label)
{
    if (label)
        label->clear();
}

} // namespace Pictures
