#include "payoutforms.h"

namespace {

bool refuse(QString* why, const QString& field, QString reason)
{
    // The reason goes on after the field's name: "Entry fee: an amount ...".
    if (!reason.isEmpty() && reason.at(0).isUpper())
        reason[0] = reason.at(0).toLower();
    if (why)
        *why = field + QStringLiteral(": ") + reason;
    return false;
}

bool readAmount(const QString& field, const QString& text, Cents& out, QString* why)
{
    QString reason;
    // An empty amount field means nothing of it.
    if (text.trimmed().isEmpty()) {
        out = 0;
        return true;
    }
    return Money::parse(text, out, &reason) || refuse(why, field, reason);
}

bool readShare(const QString& field, const QString& text, int& out, QString* why)
{
    QString reason;
    if (text.trimmed().isEmpty()) {
        out = 0;
        return true;
    }
    return Percent::parse(text, out, &reason) || refuse(why, field, reason);
}

bool readCount(const QString& field, const QString& text, int low, int high, int& out, QString* why)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return refuse(why, field, QStringLiteral("\"%1\" is not a whole number.").arg(text.trimmed()));
    if (v < low || v > high)
        return refuse(why, field, QStringLiteral("the number must be from %1 to %2.").arg(low).arg(high));
    out = v;
    return true;
}

} // namespace

bool PayoutForms::readPurse(const PurseFormTexts& t, int countedEntries, PurseSettings& purse,
                            PurseSplit& split, QString* why)
{
    PurseSettings p;
    PurseSplit s;
    if (!readAmount(QStringLiteral("Added money"), t.addedMoney, p.addedMoney, why) ||
        !readAmount(QStringLiteral("Entry fee"), t.entryFee, p.entryFee, why) ||
        !readShare(QStringLiteral("Deduction"), t.deductionPercent, p.deductionShare, why) ||
        !readAmount(QStringLiteral("Fixed deduction"), t.deductionFixed, p.deductionFixed, why))
        return false;
    p.paidEntries = countedEntries;
    if (!t.entriesCounted &&
        !readCount(QStringLiteral("Paid entries"), t.paidEntries, 0, Purse::MaxEntries, p.paidEntries, why))
        return false;
    for (int g = 0; g < t.goRounds.size(); ++g) {
        int share = 0;
        if (!readShare(QStringLiteral("Go-Round %1").arg(g + 1), t.goRounds.at(g), share, why))
            return false;
        s.goRounds << share;
    }
    if (!readShare(QStringLiteral("Average"), t.average, s.average, why) ||
        !readShare(QStringLiteral("Final"), t.finalRound, s.finalRound, why))
        return false;
    PurseBreakdown check;
    QString reason;
    if (!Purse::compute(p, check, &reason)) {
        if (why)
            *why = reason;
        return false;
    }
    reason = s.check();
    if (!reason.isEmpty()) {
        if (why)
            *why = reason;
        return false;
    }
    purse = p;
    split = s;
    return true;
}

PurseFormTexts PayoutForms::purseTexts(const PurseSettings& purse, bool entriesCounted,
                                       const PurseSplit& split)
{
    PurseFormTexts t;
    t.addedMoney = Money::format(purse.addedMoney);
    t.entryFee = Money::format(purse.entryFee);
    t.entriesCounted = entriesCounted;
    t.paidEntries = QString::number(purse.paidEntries);
    t.deductionPercent = Percent::format(purse.deductionShare);
    t.deductionFixed = Money::format(purse.deductionFixed);
    for (int g : split.goRounds)
        t.goRounds << Percent::format(g);
    t.average = Percent::format(split.average);
    t.finalRound = Percent::format(split.finalRound);
    return t;
}

bool PayoutForms::readSchedule(const QString& name, const QVector<ScheduleLineTexts>& lines,
                               PayoutSchedule& out, QString* why)
{
    PayoutSchedule s;
    s.name = name.trimmed();
    for (int i = 0; i < lines.size(); ++i) {
        const ScheduleLineTexts& l = lines.at(i);
        const QString field = QStringLiteral("Line %1").arg(i + 1);
        ScheduleBand band;
        if (!readCount(field, l.from, 1, Purse::MaxEntries, band.fromEntries, why))
            return false;
        band.toEntries = 0;
        if (!l.to.trimmed().isEmpty() && !readCount(field, l.to, 1, Purse::MaxEntries, band.toEntries, why))
            return false;
        QString reason;
        if (!PayoutSchedules::parseShares(l.shares, band.shares, &reason))
            return refuse(why, field, reason);
        s.bands << band;
    }
    const QString fault = s.check();
    if (!fault.isEmpty()) {
        if (why)
            *why = fault;
        return false;
    }
    out = s;
    return true;
}

QVector<ScheduleLineTexts> PayoutForms::scheduleTexts(const PayoutSchedule& schedule)
{
    QVector<ScheduleLineTexts> out;
    for (const ScheduleBand& b : schedule.bands)
        out << ScheduleLineTexts{QString::number(b.fromEntries),
                                 b.toEntries ? QString::number(b.toEntries) : QString(),
                                 PayoutSchedules::formatShares(b.shares)};
    return out;
}
