#pragma once

#include "livesnapshot.h"

#include <QByteArray>
#include <QString>

// The HTML pages of the live results, made from a snapshot: UTF-8, every
// text escaped, readable from a 360-pixel phone to a desktop. They link to
// each other, to "live.css" and to "live.js" by relative names, so the same
// files work from the program's server and from a folder a web host serves.
// No script or style is inline (the server's security policy forbids it).
// Pure functions: any thread.
namespace LivePages {

// The rodeo and its events, with a link to what is being run.
QByteArray index(const LiveSnapshot& snapshot);
// One event: each go-round's standing, the final and the overall standing.
// Made from the title and the event only, so it stays byte for byte the
// same until the event changes.
QByteArray event(const QString& title, const LiveEvent& event);
// What is being run, the contestant up and the results saved last.
QByteArray now(const LiveSnapshot& snapshot);
// A page for a name that is not there.
QByteArray notFound();

// The file name of an event's page: "event-" + the id, letters and digits as
// they are, any other character as "_" and its UTF-8 bytes in hex.
QString eventFileName(const QString& eventId);

} // namespace LivePages
