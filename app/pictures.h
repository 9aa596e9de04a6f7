// Pictures from the bundle that the pages show. A label or a button keeps the
// path of its picture and holds the decoded picture only while it is on screen: a page
// that is left lets its pictures go, and a small cache keeps the most recent
// ones, so memory stays bounded however many pages are opened and a page
// opened again soon is drawn without decoding anew.
#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace Pictures {

// The file to read for widget: path's "@2x" drawing where the widget's screen
// is dense and the bundle has one, else path. For readers that do not look
// for it themselves, such as QMovie.
QString forDensity(const QString &path, const QWidget *widget);

// The picture at path for widget, at its screen's density, through the cache:
// decoded once for every label that shows it while it is held or cached.
QPixmap shared(const QString &path, const QWidget *widget);

// Shows the picture at path on label, now and whenever the label is shown
// again after being hidden.
void show(QLabel *label, const QString &path);

// Takes a label's picture away for good; a label of a page not built yet has
// none.
void clear(QLabel *label);

// Lets the labels and buttons under page that name a picture (a "picture"
// property, as the forms give it) show it while they are on screen. A
// button's picture is all the button shows, drawn over its whole area.
void keepOnScreen(QWidget *page);

// Makes the application's style decode a standard icon (an arrow, a message
// box's sign) when it is first drawn rather than when a widget asks for it:
// a calendar makes its month arrows even when it hides them. The icons drawn
// are the style's own. A focused button gets no focus rectangle of the
// style: the keyboard's ring shows the focus. Call before the window's
// widgets are made.
void installWindowStyle();

// The memory the cache may hold besides the pictures on screen, on a screen
// of device pixel ratio 1.
constexpr int cacheKiB = 6 * 1024;

} // namespace Pictures
