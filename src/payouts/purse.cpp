#include "purse.h"

#include <numeric>

bool Purse::compute(const PurseSettings& s, PurseBreakdown& out, QString* why)
{
    const auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (s.addedMoney < 0 || s.entryFee < 0 || s.deductionFixed < 0)
        return refuse(QStringLiteral("An amount of the purse is negative."));
    if (s.addedMoney > Money::MaxAmount || s.entryFee > Money::MaxAmount ||
        s.deductionFixed > Money::MaxAmount)
        return refuse(
            QStringLiteral("An amount of the purse is larger than %1.").arg(Money::format(Money::MaxAmount)));
    if (s.paidEntries < 0 || s.paidEntries > MaxEntries)
        return refuse(QStringLiteral("The paid entries must be between 0 and %1.").arg(MaxEntries));
    if (s.deductionShare < 0 || s.deductionShare > WholeShare)
        return refuse(QStringLiteral("The deduction must be between 0 and 100 %."));

    PurseBreakdown b;
    b.settings = s;
    b.fees = s.entryFee * s.paidEntries;
    b.gross = s.addedMoney + b.fees;
    b.percentDeduction = Money::mulDiv(b.gross * 2, s.deductionShare, WholeShare);
    b.percentDeduction = (b.percentDeduction + 1) / 2; // half a cent and more rounds up
    b.purse = b.gross - b.percentDeduction - s.deductionFixed;
    if (b.purse < 0)
        return refuse(QStringLiteral("The deductions (%1) are more than the money taken in (%2).")
                          .arg(Money::format(b.percentDeduction + s.deductionFixed), Money::format(b.gross)));
    out = b;
    return true;
}

QVector<Cents> Purse::divide(Cents total, const QVector<int>& shares)
{
    QVector<Cents> parts;
    parts.reserve(shares.size());
    Cents given = 0;
    int largest = -1;
    for (int i = 0; i < shares.size(); ++i) {
        parts << Money::mulDiv(total, shares.at(i), WholeShare);
        given += parts.last();
        if (largest < 0 || shares.at(i) > shares.at(largest))
            largest = i;
    }
    if (largest >= 0)
        parts[largest] += total - given;
    return parts;
}

PurseSplit PurseSplit::defaults(int goRounds)
{
    PurseSplit s;
    const int n = std::max(goRounds, 1);
    s.goRounds = QVector<int>(n, 0);
    if (n == 1) {
        s.average = WholeShare;
        return s;
    }
    s.average = WholeShare / 2;
    const int half = WholeShare - s.average;
    for (int i = 0; i < n; ++i)
        s.goRounds[i] = half / n + (i < half % n ? 1 : 0);
    return s;
}

QString PurseSplit::check() const
{
    qint64 sum = qint64(average) + finalRound;
    bool negative = average < 0 || finalRound < 0;
    for (int g : goRounds) {
        sum += g;
        negative = negative || g < 0;
    }
    if (negative)
        return QStringLiteral("A share of the purse cannot be negative.");
    if (sum != WholeShare)
        return QStringLiteral("The go-rounds, the average and the final get %1 % of the purse, not 100 %.")
            .arg(Percent::format(int(std::min<qint64>(sum, 999999))));
    return {};
}
