#include "pictures.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>

namespace Pictures {

QPixmap load(const QString &path, const QWidget *widget)
{
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    if (ratio > 1.0) {
        const QFileInfo info(path);
        const QString dense = info.path() + QLatin1Char('/') + info.completeBaseName() +
                              QStringLiteral("@2x.") + info.suffix();
        QImageReader reader(dense);
        QImage image = reader.read();
        if (!image.isNull()) {
            image.setDevicePixelRatio(2.0);
            return QPixmap::fromImage(std::move(image));
        }
    }
    QImageReader reader(path);
    return QPixmap::fromImage(reader.read());
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
