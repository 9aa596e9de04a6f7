// Pictures from the bundle that the pages load and clear as they are entered
// and left.
#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace Pictures {

// The picture at path for widget: its "@2x" drawing where the widget's screen
// is dense and the bundle has one. It is decoded afresh, not kept in the
// pixmap cache, so a page that clears it releases its memory.
QPixmap load(const QString &path, const QWidget *widget);

// The file to read for widget: path's "@2x" drawing where the widget's screen
// is dense and the bundle has one, else path. For readers that do not look
// for it themselves, such as QMovie.
QString forDensity(const QString &path, const QWidget *widget);

// The same picture, decoded once for every label that shows it and kept in
// the pixmap cache: for the pictures a page keeps for as long as it exists.
QPixmap shared(const QString &path, const QWidget *widget);

// Shows the picture at path on label.
void show(QLabel *label, const QString &path);

// Clears a label's picture; a label of a page not built yet has none.
void clear(QLabel *label);

} // namespace Pictures
