#pragma once

#include <QString>

// A file the program could not read is never replaced by a save of the little
// that was read: it is moved aside first, so the operator's data survives.
namespace BadFile {

// The name a file is kept under: "<path>.bad", or "<path>.bad2", "<path>.bad3"
// ... when the earlier ones exist.
QString freeName(const QString& path);

// Renames path to freeName(path). Returns the new name, empty when the file
// does not exist or could not be moved (error says why).
QString keepAside(const QString& path, QString* error = nullptr);

} // namespace BadFile
