#pragma once

#include "livesnapshot.h"

#include <QByteArray>

// The live results as JSON, for other programs (a broadcaster's graphics):
// "live.json" holds everything, "now.json" only what is being run. Every
// result is a text exactly as the pages show it; the format is described in
// docs/live-results-json.md. Pure functions: any thread.
namespace LiveJson {

constexpr int FormatVersion = 1;

QByteArray everything(const LiveSnapshot& snapshot);
QByteArray now(const LiveSnapshot& snapshot);

} // namespace LiveJson
