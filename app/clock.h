// "Today" for the whole program. Day keys and the events calendar ask here
// rather than the system clock, so tests can move the date.
#pragma once

#include <QDate>

namespace Clock {

// The current local date, or the date set by setToday().
QDate today();

// Fixes today() to date; an invalid date returns to the system clock.
void setToday(const QDate &date);

} // namespace Clock
