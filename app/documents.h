// Where the household's files go: exports, calendar files, and where a file
// chooser opens.
#pragma once

#include <QString>

namespace Documents {

// The user's documents folder, or the home folder on a system without one.
QString folder();

} // namespace Documents
