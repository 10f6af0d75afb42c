#pragma once

#include <QString>

// Where a change of a result row came from, as the result history records
// it. Program stands for every part of the program that does not say (entry
// and go-round changes of the setup and entry views, and callers written
// before the history existed). Payout marks the earnings a payout posting
// added to (or took back from) a contestant; Draw the rows a draw moved.
enum class ChangeSource { Program, EntryBar, EditResults, TimingConsole, BoxEntry, Import, Payout, Draw };

inline QString changeSourceText(ChangeSource source)
{
    switch (source) {
    case ChangeSource::EntryBar:
        return QStringLiteral("Entry Bar");
    case ChangeSource::EditResults:
        return QStringLiteral("Edit Results");
    case ChangeSource::TimingConsole:
        return QStringLiteral("Timing Console");
    case ChangeSource::BoxEntry:
        return QStringLiteral("Box Entry");
    case ChangeSource::Import:
        return QStringLiteral("Import");
    case ChangeSource::Payout:
        return QStringLiteral("Payout");
    case ChangeSource::Draw:
        return QStringLiteral("Draw");
    case ChangeSource::Program:
        break;
    }
    return QStringLiteral("Program");
}
