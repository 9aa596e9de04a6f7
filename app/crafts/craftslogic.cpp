#include "crafts/craftslogic.h"

#include "data/database.h"

#include <QSqlQuery>
#include <QVariant>

QStringList Crafts::titles(const QSqlDatabase &db, const QString &category)
{
    return Database::column(db, QStringLiteral("SELECT Title from DarAror where Category= ?"),
                            {category});
}

std::optional<Crafts::Craft> Crafts::find(const QSqlDatabase &db, const QString &title)
{
    QSqlQuery query =
        Database::run(db, QStringLiteral("SELECT * from DarAror where Title= ?"), {title});
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

QUrl Crafts::videoUrl(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return {};
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("file"))
        return url.path().startsWith(QLatin1Char('/')) &&
                       (url.host().isEmpty() || url.host() == QLatin1String("localhost"))
                   ? url
                   : QUrl();
    return {};
}
