// Using the window without a finger: Tab goes through a page in reading order,
// Return or Enter presses the focused button as Space does, Esc does what the
// page's back or home button does (with a drop-down list or a picker open, it
// closes only that), and the control that has the focus is framed once the
// keyboard is used.
#pragma once

class QWidget;
class MainWindow;

namespace Keyboard {

// Orders the tab chain of the page's focusable widgets top to bottom, then
// left to right, the root first. A row is the highest widget left and every
// widget whose middle lies beside it.
void orderTabs(QWidget *root);

// The object name of the button that Esc presses on the given page (a Page
// of the window; for its calculator, also the inner CalculatorBodyPage), or
// an empty name where Esc does nothing.
const char *backButton(int page, int calculatorPage);

// Installs Return/Enter, Esc and the focus frame on the window.
void install(MainWindow *window);

} // namespace Keyboard
