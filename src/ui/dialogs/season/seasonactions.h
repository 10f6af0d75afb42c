#pragma once

#include "db/records.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CDatabaseManager;
class QComboBox;
class UserPrompt;

// Runs the season form: given the values to start from, returns the values the
// operator confirmed, or nothing when the form was cancelled. The dialogs that
// open the form hold one of these so that it can be replaced (tests script it).
using SeasonFormRunner = std::function<std::optional<SeasonInfo>(const SeasonInfo& initial)>;

// Steps shared by the season and rodeo dialogs.
namespace SeasonActions {

// Shown when a season name holds no illegal character but still cannot be a
// folder name of its own (".", "..", or blanks at either end).
QString invalidNameMessage();

// The season of the open rodeo; empty while no rodeo is open.
QString openSeason(const CDatabaseManager& db);

// Names in the order the dialogs' lists show them: alphabetical, ignoring
// case, with names that differ only in case kept in a fixed order.
QStringList sorted(QStringList names);

// The seasons of the data folder, sorted.
QStringList seasons(const CDatabaseManager& db);

// Fills a drop-down list with the names, sorted; nothing is selected.
void fillCombo(QComboBox* combo, const QStringList& names);

// Creates a season from the form's values after the checks of "Add" (every
// value given, no season of that name, a usable name); each refusal is shown.
// True when the season was created.
bool createSeason(CDatabaseManager& db, UserPrompt& prompt, const SeasonInfo& values);

} // namespace SeasonActions
