#pragma once

#include "db/records.h"
#include "results/entrychecks.h"
#include "results/resultrecord.h"

#include <QString>

// A result typed straight into a go-round cell of Box Entry: the cell's edit
// mask for the event (time digits, or score digits then ride time digits,
// right-aligned under the cell's text), the digits a stored result fills in,
// and the typed display turned back into a result. No widgets.
class ResultCellMask
{
public:
    explicit ResultCellMask(const EventCfg& event);

    QString mask() const { return m_mask; }
    // The digits an empty cell starts with (" 0000", "000", ...).
    QString emptyText() const;
    // The digits of a stored result (its time, or score and ride time); the
    // empty text when it holds neither.
    QString initialText(const ResultRecord* stored) const;

    struct Typed
    {
        QString time;  // "12.3"
        QString score; // "85" or "85.5"; empty for a timed event
    };
    // The display of the mask back to texts with their points.
    Typed parse(const QString& display) const;
    // The checks of the entry bars: the time text at the event's precision,
    // and the score as one judge's total (up to 100 in "Combined", else 50).
    EntryCheck check(const Typed& typed) const;
    // The record saved for the typed texts: time and score only; status,
    // marks, penalty and flags empty.
    ResultRecord record(const Typed& typed, EntryKey key) const;

private:
    bool m_scored;
    bool m_fraction;
    bool m_combined;
    int m_digits; // decimals of the time
    QString m_mask;
};
