#pragma once

#include "entrychecks.h"
#include "resultrecord.h"
#include "scoringsettings.h"

#include <array>
#include <optional>

// What the score bar edits, without a window: one entry's result in one
// go-round, the texts of its fields, and the rules that tie them together.
//
// Texts are kept as the masked fields show them: a mark "21.5" in a fraction
// event, "21" in a full one; a zero mark is an empty text. Used from the
// user-interface thread.
class ScoreEntry
{
public:
    enum Row { Rider, Stock, Subtotal };
    static constexpr int Judges = 4;

    // --- the event ----------------------------------------------------------
    // Takes the event's settings and empties the record.
    void selectEvent(const ScoringSettings& settings);
    const ScoringSettings& settings() const { return m_settings; }
    bool fraction() const { return m_settings.isFraction(); }
    QString markMask() const;
    static QString timeMask() { return QStringLiteral("[0-8].[0-9]"); }
    int padWidth() const { return fraction() ? 3 : 2; }
    // With four judges two panels mark each ride: their sums are halved.
    quint32 divisor() const { return m_settings.judgeCount == QLatin1String("4") ? 2 : 1; }

    // --- the record -----------------------------------------------------------
    // A stored result, or none (the entry is not in the go-round: nothing can
    // be edited). Not changed afterwards.
    void load(const std::optional<ResultRecord>& stored);
    const ResultRecord& record() const { return m_record; }
    bool hasEntry() const { return m_record.key != 0; }
    bool isChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    // --- the fields ------------------------------------------------------------
    QString markText(Row row, int judge) const { return m_marks[row][judge]; }
    QString timeText() const { return m_time; }
    QString riderTotal() const { return m_riderTotal; }
    QString stockTotal() const { return m_stockTotal; }
    QString scoreTotal() const { return m_scoreTotal; }

    // Enabled, by the event's judges and mode and the status.
    bool isMarkEnabled(Row row, int judge) const;
    bool isTimeEnabled() const { return hasEntry(); }
    bool areSaveAndCancelEnabled() const { return hasEntry() && m_changed; }

    // Typing: the text as the field shows it, which marks the record changed.
    // It is checked when the field is left (checkMark, leaveTime) and again
    // by Save, never at each key.
    void typeMark(Row row, int judge, const QString& text);
    void typeTime(const QString& text);
    // The check of a mark or subtotal field as it stands.
    EntryCheck checkMark(Row row, int judge) const;
    // Leaving a field that was changed.
    void leaveSubtotal();
    void leaveMark();
    EntryCheck leaveTime();

    // --- buttons ---------------------------------------------------------------------
    void clear();
    // Outside the "Edit Results" dialog a re-ride is set or taken off; inside
    // it, it is only taken off.
    void reride(bool inDialog);
    void noScore(quint32 latestTimerTime);

    // The record to save, read from the fields; on failure the field that
    // failed (row and judge, or the time field as judge -1) and why.
    struct SaveFailure
    {
        Row row = Rider;
        int judge = -1; // -1: the time field
        EntryCheck check;
    };
    std::optional<SaveFailure> prepareSave();

private:
    void show();
    void recomputeTotals(bool withScore);
    quint32 mark(Row row, int judge) const;
    QString markDigits(quint32 value) const;
    int highestMark(Row row) const;
    void deriveRiders();

    ScoringSettings m_settings;
    ResultRecord m_record;
    bool m_changed = false;
    std::array<std::array<QString, Judges>, 3> m_marks;
    QString m_time;
    QString m_riderTotal;
    QString m_stockTotal;
    QString m_scoreTotal;
};
