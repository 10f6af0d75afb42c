#pragma once

#include "db/eventpurse.h"
#include "payouts/seasonstandings.h"

#include <QHash>
#include <QString>
#include <QStringList>

class CDatabaseManager;

// The payout sheets of the open rodeo as HTML pages (UTF-8, every name and
// text escaped), in the look of the other report pages: one per event with
// the purse arithmetic at the top and, per part, each place with the
// contestant, the result, the percentage and the amount; one for the whole
// rodeo with every event and the cheque list; and the season standings.
// Names are read from the database manager's working copy. User-interface
// thread only.
class PayoutPages
{
public:
    explicit PayoutPages(const CDatabaseManager& db) : m_db(db) {}

    QString eventPage(const EventPayout& event) const;
    // posting: the posting that stands, or null.
    QString rodeoPage(const RodeoPayout& payout, const PayoutPosting* posting) const;
    // eventNames: the season's events by id (the catalogue), for events of
    // rodeos other than the open one.
    QString seasonPage(const QVector<EarningsRow>& rows, const QHash<QString, QString>& eventNames) const;

    static QString rodeoFileName() { return QStringLiteral("Payouts.html"); }
    static QString seasonFileName() { return QStringLiteral("SeasonStandings.html"); }
    // "Payouts-SB.html"; characters other than letters and digits of a
    // custom event's id are left out of the name.
    static QString eventFileName(const QString& eventId);

    // Writes the rodeo's page and each event's into folder (ending with
    // "/"); the names of the files written, or an empty list with why.
    QStringList writeRodeo(const RodeoPayout& payout, const PayoutPosting* posting, const QString& folder,
                           QString* why = nullptr) const;

    // The name of a contestant as the sheets show it: "Last, First".
    QString contestantName(quint32 plrId) const;
    // An entry of an event: the contestant, or the team's members.
    QString entryName(const EventPayout& event, EntryKey key) const;

private:
    QString titleRows(int columns) const;
    QString eventBody(const EventPayout& event) const;
    QString chequeList(const RodeoPayout& payout) const;

    const CDatabaseManager& m_db;
};
