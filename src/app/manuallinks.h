#pragma once

#include <QStringList>

// The user manual's Markdown chapters: their order, and the links in them
// that point at nothing (an image or a chapter that is not there).
namespace ManualLinks {

// index.md first, then the other chapters by file name.
QStringList chapters(const QString& folder);
// "chapter.md: target" for every relative image or chapter link that does not
// resolve to a file; web addresses and in-page anchors are not checked.
QStringList broken(const QString& folder);

} // namespace ManualLinks
