// Craft ideas without widgets: the titles of a material, one craft's row, the
// text of its details box and the wrapping step through the title list.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace Crafts {

// One row of DarAror, in column order.
struct Craft
{
    QString title;
    QString description;
    QString category;
    QString thingNeed;
    QString instruction;
    QString url1;     // resource path of the first picture
    QString url2;     // second picture, empty when there is one picture
    QString videoUrl; // empty when the craft has no video
};

// Titles of the crafts whose Category is category, in the order the table
// returns them. Empty when db is closed or the statement fails.
QStringList titles(const QSqlDatabase &db, const QString &category);

// The craft stored under title, or nothing when there is no such row.
std::optional<Craft> find(const QSqlDatabase &db, const QString &title);

// The details box reads, one paragraph per line: "Things needed: " and the
// things, an empty paragraph, the heading "Instruction", the instructions.
QString detailsText(const QString &thingNeed, const QString &instruction);

// The stored video address as one the desktop may open: an absolute http or
// https address with a host, or the address of a local video (a regular file
// whose name and content both say video) inside one of videoFolders(), once
// links are followed. Anything else (other schemes such as javascript: or
// smb:, any other local file, a path without a scheme, an option such as
// "--help", empty text) gives an empty QUrl.
QUrl videoUrl(const QString &address);

// Viridio's own data folders, where local craft videos may lie: "viridio" in
// each of the system's data folders (~/.local/share, /usr/share...) that has one.
QStringList videoFolders();

// Keeps a stepped list index inside 0..count-1, wrapping at both ends: below 0
// goes to the last entry, count or more to the first.
int wrapIndex(int index, int count);

} // namespace Crafts
