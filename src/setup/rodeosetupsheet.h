#pragma once

#include "db/records.h"
#include "results/scoringsettings.h"

#include <QDate>
#include <QString>
#include <QVector>

class CDatabaseManager;
class UserPrompt;

// The Rodeo Setup view's working copy: the open rodeo's texts and its
// events' settings as the operator edits them, with the rules that accept or
// refuse each change (their messages go through the prompt). Nothing reaches
// the database until the caller saves the copy; adding and deleting an event
// are written at once. User-interface thread only.
class RodeoSetupSheet
{
public:
    static constexpr int RodeoNameLimit = 25;
    static constexpr int DisplayTextLimit = 21;
    static constexpr int EventNameLimit = 20;

    enum DisplayText { Name1, Name2, Name3, Dates, Location };
    // The event settings chosen from fixed lists.
    enum Choice { CompetitorKind, ScoreEntry, Fraction, Precision, Ranking };
    // How a typed text came out: taken as typed, taken cut to the limit,
    // refused (the held value stays), or equal to what is held.
    enum class Outcome { Taken, Truncated, Refused, Unchanged };

    static const QString QuoteMessage;
    static const QString TooLongMessage;

    RodeoSetupSheet(CDatabaseManager& db, UserPrompt& prompt) : m_db(db), m_prompt(prompt) {}

    // A fresh copy of the open rodeo and its events, every flag clear. With
    // eventsAgain the rodeo's events are read from the database first (they
    // do not follow New and Delete by themselves). False without a rodeo.
    bool reload(bool eventsAgain = false);

    const RodeoInfo& rodeo() const { return m_rodeo; }
    const QVector<EventCfg>& events() const { return m_events; }
    const EventCfg* event(int index) const;
    int indexOf(const QString& eventId) const;
    bool rodeoChanged() const { return m_rodeo.changed != 0; }
    bool eventsChanged() const;
    bool isEdited() const { return rodeoChanged() || eventsChanged(); }
    // Whether New or Delete wrote to the database since the last reload.
    bool eventsWritten() const { return m_eventsWritten; }
    // "Would you like to save the changes to ...?", or empty when clean.
    QString leavingQuestion() const;

    // --- The rodeo ---------------------------------------------------------
    Outcome setRodeoName(const QString& text);
    // Before a save: a new name that another rodeo of the season has is
    // refused ("The rodeo already exists!", as for a new rodeo) and the
    // stored name comes back; true when it was.
    bool refuseTakenRodeoName();
    Outcome setDisplayText(DisplayText which, const QString& text);
    QString displayText(DisplayText which) const;
    bool setDate(const QDate& date);
    // The stored date text read in the user's locale; invalid when it cannot be.
    QDate date() const;
    bool setProfile(const QString& profile);

    // --- The events (index into events()) ---------------------------------
    bool isStandard(int index) const;
    // Kinds change only on a custom event without entries.
    bool kindsEditable(int index) const;
    Outcome setEventName(int index, const QString& text, bool picked);
    bool setResultKind(int index, const QString& kind);
    bool setChoice(int index, Choice which, const QString& value);
    SetupCheckOutcome setGoRounds(int index, const QString& text);
    SetupCheckOutcome setFinals(int index, const QString& text);
    SetupCheckOutcome setJudges(int index, const QString& text);

    // New: "New Event", written at once; its index, -1 when it failed
    // ("Add New Event Failed!" shown).
    int addEvent();
    // Delete: written at once; a custom event without entries only.
    bool deleteEvent(int index);

private:
    Outcome takeText(QString& held, const QString& text, int limit, bool quoteRefused);
    EventCfg* editable(int index);
    void touchEvent(EventCfg& e) { e.changed = 1; }

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    RodeoInfo m_rodeo;
    QVector<EventCfg> m_events;
    bool m_eventsWritten = false;
};
