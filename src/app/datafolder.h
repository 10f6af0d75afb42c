#pragma once

#include <QString>

// The folder shared by all parts of the program: the log, the state file, the
// input/output configuration, the display profiles, one folder per season and
// the reports. Always ends with "/".
namespace DataFolder {

// The user's data location (XDG data home) followed by "Lumavantis/Scorvane Rodeo/".
QString path();

// Creates the folder and every missing parent; false when that fails.
bool ensureExists(const QString& folder);

} // namespace DataFolder
