#include "rodeosetupsheet.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"

#include <QLocale>

const QString RodeoSetupSheet::QuoteMessage = QStringLiteral("Please Remove The Invalid Character '\"'!");
const QString RodeoSetupSheet::TooLongMessage = QStringLiteral("The name is too long, Truncated!");

bool RodeoSetupSheet::reload(bool eventsAgain)
{
    if (!m_db.isRodeoOpen())
        return false;
    if (eventsAgain)
        m_db.LoadRodeo(m_db.GetSeasonName(), m_db.GetRodeoName(), nullptr);
    m_rodeo = m_db.rodeoInfo();
    m_rodeo.changed = 0;
    m_events = m_db.events();
    for (EventCfg& e : m_events)
        e.changed = 0;
    m_eventsWritten = false;
    return true;
}

const EventCfg* RodeoSetupSheet::event(int index) const
{
    return index >= 0 && index < m_events.size() ? &m_events[index] : nullptr;
}

EventCfg* RodeoSetupSheet::editable(int index)
{
    return index >= 0 && index < m_events.size() ? &m_events[index] : nullptr;
}

int RodeoSetupSheet::indexOf(const QString& eventId) const
{
    for (int i = 0; i < m_events.size(); ++i)
        if (m_events[i].id == eventId)
            return i;
    return -1;
}

bool RodeoSetupSheet::eventsChanged() const
{
    for (const EventCfg& e : m_events)
        if (e.changed)
            return true;
    return false;
}

QString RodeoSetupSheet::leavingQuestion() const
{
    const bool rodeo = rodeoChanged();
    const bool events = eventsChanged();
    if (!rodeo && !events)
        return {};
    const char* what = rodeo && events ? "the rodeo and the event(s)" : rodeo ? "the rodeo" : "the event(s)";
    return QStringLiteral("Would you like to save the changes to %1?").arg(QLatin1String(what));
}

RodeoSetupSheet::Outcome RodeoSetupSheet::takeText(QString& held, const QString& text, int limit,
                                                  bool quoteRefused)
{
    if (quoteRefused && text.contains(u'"')) {
        m_prompt.inform(QuoteMessage);
        return Outcome::Refused;
    }
    Outcome outcome = Outcome::Taken;
    QString taken = text;
    if (taken.size() > limit) {
        m_prompt.inform(TooLongMessage);
        taken.truncate(limit);
        outcome = Outcome::Truncated;
    }
    if (taken == held)
        return outcome == Outcome::Truncated ? outcome : Outcome::Unchanged;
    held = taken;
    return outcome;
}

RodeoSetupSheet::Outcome RodeoSetupSheet::setRodeoName(const QString& text)
{
    const Outcome o = takeText(m_rodeo.name, text, RodeoNameLimit, true);
    if (o == Outcome::Taken || o == Outcome::Truncated)
        m_rodeo.changed = 1;
    return o;
}

bool RodeoSetupSheet::refuseTakenRodeoName()
{
    if (!rodeoChanged() || m_rodeo.name == m_db.GetRodeoName() || !m_db.RodeoNameTaken(m_rodeo.name))
        return false;
    m_prompt.inform(QStringLiteral("The rodeo already exists!"));
    m_rodeo.name = m_db.GetRodeoName();
    return true;
}

QString RodeoSetupSheet::displayText(DisplayText which) const
{
    switch (which) {
    case Name1: return m_rodeo.dispName1;
    case Name2: return m_rodeo.dispName2;
    case Name3: return m_rodeo.dispName3;
    case Dates: return m_rodeo.dispDates;
    case Location: return m_rodeo.dispLoc;
    }
    return {};
}

RodeoSetupSheet::Outcome RodeoSetupSheet::setDisplayText(DisplayText which, const QString& text)
{
    QString* held = which == Name1   ? &m_rodeo.dispName1
                    : which == Name2 ? &m_rodeo.dispName2
                    : which == Name3 ? &m_rodeo.dispName3
                    : which == Dates ? &m_rodeo.dispDates
                                     : &m_rodeo.dispLoc;
    const Outcome o = takeText(*held, text, DisplayTextLimit, true);
    if (o == Outcome::Taken || o == Outcome::Truncated)
        m_rodeo.changed = 1;
    return o;
}

bool RodeoSetupSheet::setDate(const QDate& date)
{
    if (!date.isValid())
        return false;
    const QString text = QLocale::system().toString(date, QLocale::ShortFormat);
    if (text == m_rodeo.date)
        return false;
    m_rodeo.date = text;
    m_rodeo.changed = 1;
    return true;
}

QDate RodeoSetupSheet::date() const
{
    QDate d = QLocale::system().toDate(m_rodeo.date, QLocale::ShortFormat);
    // A two-digit year reads as 19xx; the rodeos kept here are this century's.
    if (d.isValid() && d.year() < 1970 && !QLocale::system().dateFormat(QLocale::ShortFormat).contains(
                                                QStringLiteral("yyyy")))
        d = d.addYears(100);
    return d;
}

bool RodeoSetupSheet::setProfile(const QString& profile)
{
    if (profile.isEmpty() || profile == m_rodeo.profile)
        return false;
    m_rodeo.profile = profile;
    m_rodeo.changed = 1;
    return true;
}

bool RodeoSetupSheet::isStandard(int index) const
{
    const EventCfg* e = event(index);
    return e && e->standard == QLatin1String("Y");
}

bool RodeoSetupSheet::kindsEditable(int index) const
{
    const EventCfg* e = event(index);
    return e && !isStandard(index) && !m_db.EventHasEntries(e->id);
}

RodeoSetupSheet::Outcome RodeoSetupSheet::setEventName(int index, const QString& text, bool picked)
{
    EventCfg* e = editable(index);
    if (!e || isStandard(index))
        return Outcome::Refused;
    // A typed name may hold a quote; one picked from the list may not.
    const Outcome o = takeText(e->name, text, EventNameLimit, picked);
    if (o == Outcome::Taken || o == Outcome::Truncated) {
        e->label = e->name + QStringLiteral(" (") + e->id + QLatin1Char(')');
        touchEvent(*e);
    }
    return o;
}

bool RodeoSetupSheet::setResultKind(int index, const QString& kind)
{
    EventCfg* e = editable(index);
    if (!e || kind == e->scoringKind || !kindsEditable(index))
        return false;
    e->setScoring(NewEventDefaults(kind));
    e->standard = QString(CustomEventFlag);
    touchEvent(*e);
    return true;
}

bool RodeoSetupSheet::setChoice(int index, Choice which, const QString& value)
{
    EventCfg* e = editable(index);
    if (!e || value.isEmpty())
        return false;
    if (which == CompetitorKind && !kindsEditable(index))
        return false;
    QString& held = which == CompetitorKind ? e->entryKind
                    : which == ScoreEntry   ? e->judgeMode
                    : which == Fraction     ? e->fraction
                    : which == Precision    ? e->precision
                                            : e->ranking;
    if (held == value)
        return false;
    held = value;
    touchEvent(*e);
    return true;
}

SetupCheckOutcome RodeoSetupSheet::setGoRounds(int index, const QString& text)
{
    EventCfg* e = editable(index);
    if (!e)
        return {SetupCheckOutcome::RevertSilently, {}, 0};
    const QString eventId = e->id;
    const bool team = e->isTeam();
    const SetupCheckOutcome o = CheckGoRoundCountChange(text, e->goRoundCount(), [&](int first, int last) {
        for (int go = first; go <= last; ++go) {
            RegEntry probe;
            probe.eventId = eventId;
            probe.goRound = static_cast<quint16>(go);
            probe.plrEnt = 0;
            if (m_db.HasData(probe, team))
                return true;
        }
        return false;
    });
    if (!o.message.isEmpty())
        m_prompt.inform(o.message);
    if (o.action == SetupCheckOutcome::Take && o.value != e->goRoundCount()) {
        e->goRounds = QString::number(o.value);
        touchEvent(*e);
    }
    return o;
}

SetupCheckOutcome RodeoSetupSheet::setFinals(int index, const QString& text)
{
    EventCfg* e = editable(index);
    if (!e)
        return {SetupCheckOutcome::RevertSilently, {}, 0};
    SetupCheckOutcome o = CheckFinalsChange(text);
    if (!o.message.isEmpty())
        m_prompt.inform(o.message);
    if (o.action == SetupCheckOutcome::Take) {
        // The field takes digits only; an empty one means none in the final.
        const QString value = QString::number(o.value);
        if (value != e->finals) {
            e->finals = value;
            touchEvent(*e);
        }
    } else {
        o.value = e->finals.toInt();
    }
    return o;
}

SetupCheckOutcome RodeoSetupSheet::setJudges(int index, const QString& text)
{
    EventCfg* e = editable(index);
    if (!e)
        return {SetupCheckOutcome::RevertSilently, {}, 0};
    SetupCheckOutcome o = CheckJudgesChange(text);
    if (!o.message.isEmpty())
        m_prompt.inform(o.message);
    if (o.action == SetupCheckOutcome::Take && text != e->judgeCount) {
        e->judgeCount = text;
        touchEvent(*e);
    }
    if (o.action != SetupCheckOutcome::Take)
        o.value = e->judgeCount.toInt();
    return o;
}

int RodeoSetupSheet::addEvent()
{
    EventCfg e;
    e.name = QStringLiteral("New Event");
    e.setScoring(NewEventDefaults(QString(ScoringScored)));
    e.standard = QString(CustomEventFlag);
    if (!m_db.AddEvent(e)) {
        m_prompt.inform(QStringLiteral("Add New Event Failed!"));
        return -1;
    }
    e.changed = 0;
    m_events.append(e);
    m_rodeo.changed = 1; // the rodeo's events are read afresh at Save
    m_eventsWritten = true;
    return int(m_events.size()) - 1;
}

bool RodeoSetupSheet::deleteEvent(int index)
{
    const EventCfg* e = event(index);
    if (!e || !kindsEditable(index))
        return false;
    if (!m_db.DeleteEvent(e->id)) {
        m_prompt.inform(QStringLiteral("Deleting the event failed!"));
        return false;
    }
    m_events.removeAt(index);
    m_rodeo.changed = 1;
    m_eventsWritten = true;
    return true;
}
