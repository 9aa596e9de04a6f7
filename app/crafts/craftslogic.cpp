#include "crafts/craftslogic.h"

#include "data/database.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>

QStringList Crafts::titles(const QSqlDatabase &db, const QString &category)
{
    return Database::column(db, QStringLiteral("SELECT Title from DarAror where Category= ?"),
                            {category});
}

std::optional<Crafts::Craft> Crafts::find(const QSqlDatabase &db, const QString &title)
{
    QSqlQuery query =
        Database::run(db,
                      QStringLiteral("SELECT Title, Description, Category, ThingNeed, "
                                     "Instruction, URL1, URL2, URLVideo FROM DarAror "
                                     "WHERE Title= ?"),
                      {title});
    if (!query.isActive() || !query.next())
        return std::nullopt;
    // NULL columns read as empty text, as an absent picture or video should.
    return Craft{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                 query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                 query.value(6).toString(), query.value(7).toString()};
}

QString Crafts::detailsText(const QString &thingNeed, const QString &instruction)
{
    return QStringList{QStringLiteral("Things needed: ") + thingNeed, QString(),
                       QStringLiteral("Instruction"), instruction}
        .join(QLatin1Char('\n'));
}

int Crafts::wrapIndex(int index, int count)
{
    if (index < 0)
        return count - 1;
    if (index >= count)
        return 0;
    return index;
}

QStringList Crafts::videoFolders()
{
    return QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("viridio"),
                                     QStandardPaths::LocateDirectory);
}

namespace {

// Whether path is a regular file (a link followed) inside one of folders whose
// name and first bytes both say it is a video. A FIFO or a device is never
// opened, so nothing here can wait for one.
bool isOwnVideo(const QString &path, const QStringList &folders)
{
    const QFileInfo file(path);
    const QString real = file.canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isFile())
        return false;
    const bool inside = std::any_of(folders.begin(), folders.end(), [&real](const QString &dir) {
        const QString base = QFileInfo(dir).canonicalFilePath();
        return !base.isEmpty() && real.startsWith(base + QLatin1Char('/'));
    });
    if (!inside)
        return false;
    const QMimeDatabase types;
    const auto video = [](const QMimeType &type) {
        return type.name().startsWith(QLatin1String("video/"));
    };
    return video(types.mimeTypeForFile(real, QMimeDatabase::MatchExtension)) &&
           video(types.mimeTypeForFile(real, QMimeDatabase::MatchContent));
}

} // namespace

QUrl Crafts::videoUrl(const QString &address)
{
    QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return {};
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("file") &&
        (url.host().isEmpty() || url.host() == QLatin1String("localhost")) &&
        isOwnVideo(url.toLocalFile(), videoFolders()))
        return url;
    return {};
}
