#include "timeentry.h"

#include "values.h"

namespace {

constexpr quint32 PenaltyStep = 5000; // five seconds

} // namespace

void TimeEntry::selectEvent(const ScoringSettings& settings)
{
    m_settings = settings;
    load(std::nullopt);
}

QString TimeEntry::rideMask() const
{
    switch (PrecisionDigits(m_settings.precision)) {
    case 1:
        return QStringLiteral("[ 0-9][0-9].[0-9]");
    case 2:
        return QStringLiteral("[ 0-9][0-9].[0-9][0-9]");
    default:
        return QStringLiteral("[ 0-9][0-9].[0-9][0-9][0-9]");
    }
}

int TimeEntry::padWidth() const
{
    return 3 + PrecisionDigits(m_settings.precision);
}

QString TimeEntry::padded(quint32 value) const
{
    return FormatTimeText(value, m_settings.precision).rightJustified(padWidth(), QLatin1Char(' '));
}

void TimeEntry::load(const std::optional<ResultRecord>& stored)
{
    m_record = stored ? *stored : ResultRecord();
    m_changed = false;
    show();
}

void TimeEntry::show()
{
    const quint32 ride = m_record.time >= m_record.penalty ? m_record.time - m_record.penalty : 0;
    m_ride = padded(ride);
    m_penalty = padded(m_record.penalty);
    m_total = padded(m_record.time);
}

void TimeEntry::recompute()
{
    const quint32 ride = ParseTimeText(m_ride);
    m_record.penalty = ParseTimeText(m_penalty);
    m_record.time = ride + m_record.penalty;
    if (m_record.penalty == 0 && m_record.hasStatus(StatusPenalty))
        m_record.setStatus(QString());
    else if (m_record.penalty != 0 && m_record.status.isEmpty())
        m_record.setStatus(StatusPenalty);
    m_total = padded(m_record.time);
}

void TimeEntry::type(Field field, const QString& text)
{
    // A time is checked once it is complete (the field left, Save), not at
    // each key: "9" on its way to "9.87" is no time yet.
    (field == Ride ? m_ride : m_penalty) = text;
    m_changed = true;
}

EntryCheck TimeEntry::leave(Field field)
{
    const QString& text = field == Ride ? m_ride : m_penalty;
    EntryCheck check = CheckTimeComplete(text.trimmed());
    if (check.ok())
        check = CheckTimeText(text, PrecisionDigits(m_settings.precision));
    if (check.ok() && m_changed)
        recompute();
    return check;
}

void TimeEntry::penalty()
{
    m_record.setStatus(StatusPenalty);
    m_penalty = padded(ParseTimeText(m_penalty) + PenaltyStep);
    recompute();
    m_changed = true;
}

void TimeEntry::noTime()
{
    if (!m_record.hasStatus(StatusNoResult)) {
        m_record.setStatus(StatusNoResult);
        m_ride = m_penalty = m_total = padded(0);
    } else {
        m_record.setStatus(QString());
    }
    m_changed = true;
}

void TimeEntry::clear()
{
    m_record.time = 0;
    m_record.penalty = 0;
    m_record.setStatus(QString());
    m_ride = m_penalty = ZeroTimeText(m_settings.precision).rightJustified(padWidth(), QLatin1Char(' '));
    recompute();
    m_changed = true;
}

std::optional<TimeEntry::SaveFailure> TimeEntry::prepareSave()
{
    const int digits = PrecisionDigits(m_settings.precision);
    for (Field field : {Ride, Penalty}) {
        const QString& text = field == Ride ? m_ride : m_penalty;
        EntryCheck check = CheckTimeText(text, digits);
        if (check.ok())
            check = CheckTimeComplete(text.trimmed());
        if (!check.ok())
            return SaveFailure{field, check};
    }
    recompute();
    return std::nullopt;
}
