#pragma once

#include <QString>

// A file the program could not read (all of it, or one of its parts) is never
// replaced by a save of what little was read: before the first save over it,
// the file as it was is copied beside it, and the operator is told where.
namespace UnreadableFile {

// The name the copy is kept under: the file's name followed by ".bad"
// ("IO.xml.bad"); when that exists already, ".bad1", ".bad2", ... (the first
// free one), so a copy kept earlier is never overwritten.
QString keptName(const QString& path);

// Copies the file to keptName(path), byte for byte. Returns the kept path, or
// an empty text with error set when nothing could be kept.
QString keep(const QString& path, QString& error);

} // namespace UnreadableFile
