#pragma once

#include "entrychecks.h"
#include "resultrecord.h"
#include "scoringsettings.h"

#include <optional>

// What the time bar edits, without a window: one entry's result in one
// go-round as ride time, penalty and total (the record's time), the texts of
// the fields, and the rules that tie them together. Texts are kept as the
// masked fields show them. Used from the user-interface thread.
class TimeEntry
{
public:
    enum Field { Ride, Penalty };

    void selectEvent(const ScoringSettings& settings);
    const ScoringSettings& settings() const { return m_settings; }
    QString rideMask() const;
    static QString penaltyMask() { return QStringLiteral("[ 0-9][0-9].[0-9]"); }
    // Time texts are padded on the left to this width before they fill a
    // mask, so that "9.5" lands as " 9.5" and not as "95.0".
    int padWidth() const;

    void load(const std::optional<ResultRecord>& stored);
    const ResultRecord& record() const { return m_record; }
    bool hasEntry() const { return m_record.key != 0; }
    bool isChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    QString rideText() const { return m_ride; }
    QString penaltyText() const { return m_penalty; }
    QString totalText() const { return m_total; }
    bool areTimesEnabled() const { return hasEntry() && !m_record.hasStatus(StatusNoResult); }
    bool areSaveAndCancelEnabled() const { return hasEntry() && m_changed; }

    // A field's text as typed; it is checked when the field is left or saved.
    void type(Field field, const QString& text);
    // Leaving a field: the completeness and time checks, then (when changed)
    // the total.
    EntryCheck leave(Field field);

    void penalty();
    void noTime();
    void clear();

    // The record to save, read from the fields; on failure the field and why.
    struct SaveFailure
    {
        Field field = Ride;
        EntryCheck check;
    };
    std::optional<SaveFailure> prepareSave();

private:
    QString padded(quint32 value) const;
    void show();
    void recompute();

    ScoringSettings m_settings;
    ResultRecord m_record;
    bool m_changed = false;
    QString m_ride;
    QString m_penalty;
    QString m_total;
};
