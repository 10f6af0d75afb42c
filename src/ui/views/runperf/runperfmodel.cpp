#include "runperfmodel.h"

#include "db/collation.h"
#include "db/databasemanager.h"
#include "results/resultcell.h"

#include <QColor>
#include <QFont>
#include <QSet>
#include <algorithm>
#include <tuple>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

} // namespace

RunPerfModel::RunPerfModel(CDatabaseManager& db, QObject* parent) : HandlerEditModel(parent), m_db(db) {}

void RunPerfModel::load(const QString& eventId, int goRound, int perf)
{
    beginResetModel();
    if (eventId != m_eventId || goRound != m_goRound || perf != m_perf)
        m_newTeamName.clear();
    m_rows.clear();
    m_eventId = eventId;
    m_goRound = goRound;
    m_perf = perf;
    const EventCfg* event = m_db.GetEvent(eventId);
    if (!event) {
        m_eventId.clear();
        m_goRounds = 0;
        endResetModel();
        return;
    }
    m_team = event->isTeam();
    m_scored = event->isScored();
    m_fraction = event->fraction == QLatin1String("Fraction");
    m_precision = event->precision;
    m_goRounds = event->goRoundCount();
    const RegEntryCollection& entries = m_team ? m_db.teamEntries() : m_db.playerEntries();
    m_hasFinal = !entries.entries(eventId, m_goRounds + 1).isEmpty();
    if (perf > 0) {
        for (const RegEntry& e : entries.entries(eventId, goRound))
            if (e.perf == perf && e.ptId != 0)
                m_rows.append({e.key(), e.ord});
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const Row& a, const Row& b) { return a.ord < b.ord; });
    } else {
        loadWholeEvent(entries);
    }
    endResetModel();
}

void RunPerfModel::loadWholeEvent(const RegEntryCollection& entries)
{
    // One row per competitor entry, whichever go-rounds it is in.
    using Key = std::tuple<CollationKey, CollationKey, EntryKey>;
    QVector<std::pair<Key, Row>> keyed;
    QSet<EntryKey> seen;
    for (const RegEntry& e : entries.entries(m_eventId)) {
        if (e.ptId == 0 || seen.contains(e.key()))
            continue;
        seen.insert(e.key());
        QString first;
        QString second;
        if (m_team) {
            if (const TeamRec* t = m_db.teams().find(e.ptId))
                first = t->name;
        } else if (const ContestantRec* c = m_db.contestants().find(e.ptId)) {
            first = c->lastName;
            second = c->firstName;
        }
        const int ord = m_db.LookupEntry(e.key(), m_eventId, m_goRound).ord;
        keyed.append({Key{collationKey(first), collationKey(second), e.key()}, Row{e.key(), ord}});
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& k : keyed)
        m_rows.append(k.second);
}

void RunPerfModel::refreshAll()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int RunPerfModel::goRoundOfColumn(int column) const
{
    const int g = column - leftColumnCount() + 1;
    if (g < 1)
        return 0;
    if (g <= m_goRounds)
        return g;
    return g == m_goRounds + 1 && m_hasFinal ? g : 0;
}

int RunPerfModel::columnOfGoRound(int goRound) const
{
    return goRound >= 1 ? leftColumnCount() + goRound - 1 : -1;
}

EntryKey RunPerfModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].key : 0;
}

int RunPerfModel::rowOf(EntryKey key) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].key == key)
            return i;
    return -1;
}

int RunPerfModel::runningOrderAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].ord : 0;
}

quint16 RunPerfModel::stockAt(int row) const
{
    const EntryKey key = keyAt(row);
    if (key == 0)
        return 0;
    return m_db.LookupEntry(key, m_eventId, m_goRound).stock;
}

void RunPerfModel::setHighlight(EntryKey current, EntryKey displayed)
{
    m_current = current;
    m_displayed = displayed;
    refreshAll();
}

int RunPerfModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_eventId.isEmpty() ? 0 : int(m_rows.size()) + 1;
}

int RunPerfModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_eventId.isEmpty())
        return 0;
    return leftColumnCount() + m_goRounds + (m_hasFinal ? 1 : 0);
}

const ResultRecord* RunPerfModel::resultAt(EntryKey key, int goRound) const
{
    const Standings& standings = m_db.standings();
    return goRound == 0 ? standings.findOverall(key) : standings.find(goRound, key);
}

QString RunPerfModel::resultText(EntryKey key, int goRound) const
{
    const ResultRecord* r = resultAt(key, goRound);
    return r ? ResultCellText(*r, m_scored, m_fraction, m_precision) : QString();
}

void RunPerfModel::setNewTeamName(const QString& name)
{
    m_newTeamName = name;
    const int row = int(m_rows.size());
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QString RunPerfModel::leftText(int row, int column) const
{
    if (isNewRow(row)) {
        if (m_team && column == TeamName)
            return m_newTeamName; // typed before the team's first member
        return column == Marker ? QStringLiteral("*") : QString();
    }
    const EntryKey key = m_rows[row].key;
    const quint32 id = entryKeyId(key);
    if (!m_team) {
        const ContestantRec* c = m_db.contestants().find(id);
        switch (column) {
        case Bib:
            return c ? c->bib : QString();
        case FirstName:
            return c ? c->firstName : QString();
        case LastName:
            return c ? c->lastName : QString();
        case Total:
            return resultText(key, 0);
        case StockBib:
        case StockName: {
            const StockRec* s = m_db.stock().find(stockAt(row));
            return s ? (column == StockBib ? s->bib : s->name) : QString();
        }
        default:
            return QString();
        }
    }
    const TeamRec* team = m_db.teams().find(id);
    if (column == TeamName)
        return team ? team->name : QString();
    if (column == TeamTotal)
        return resultText(key, 0);
    if (column >= MemberBib1 && column < TeamFiller && team) {
        const int member = (column - MemberBib1) / 3;
        const quint32 ids[3] = {team->plrId1, team->plrId2, team->plrId3};
        const ContestantRec* c = ids[member] ? m_db.contestants().find(ids[member]) : nullptr;
        if (!c)
            return QString();
        switch ((column - MemberBib1) % 3) {
        case 0:
            return c->bib;
        case 1:
            return c->firstName;
        default:
            return c->lastName;
        }
    }
    return QString();
}

QVariant RunPerfModel::colour(int row, int column, bool background) const
{
    const EntryKey key = keyAt(row);
    const int go = goRoundOfColumn(column);
    const bool current = key != 0 && key == m_current;
    const bool displayed = key != 0 && key == m_displayed;
    if (go == 0) {
        // The competitor's columns: the current entry white on black, the one
        // the displays show black on green.
        if (current)
            return background ? kBlack : kWhite;
        if (displayed)
            return background ? kGreen : kBlack;
        return background ? kWhite : kBlack;
    }
    if (m_resultsEditable)
        return background ? kWhite : kBlack;
    const ResultRecord* r = key != 0 ? resultAt(key, go) : nullptr;
    const QString status = r ? r->status : QString();
    if (status == QLatin1String("R"))
        return background ? kYellow : kBlack;
    if (status == QLatin1String("N"))
        return background ? kRed : kWhite;
    if (status == QLatin1String("P"))
        return background ? kBlue : kWhite;
    if (go == m_goRound || current)
        return background ? kBlack : kWhite;
    if (displayed)
        return background ? kGreen : kBlack;
    return background ? kWhite : kBlack;
}

QVariant RunPerfModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const int go = goRoundOfColumn(column);
        if (go > 0)
            return isNewRow(row) ? QString() : resultText(m_rows[row].key, go);
        return leftText(row, column);
    }
    case Qt::BackgroundRole:
        return colour(row, column, true);
    case Qt::ForegroundRole:
        return colour(row, column, false);
    case Qt::FontRole:
        if (goRoundOfColumn(column) > 0 || column == (m_team ? int(TeamTotal) : int(Total))) {
            QFont mono(QStringLiteral("Monospace"));
            mono.setStyleHint(QFont::TypeWriter);
            return mono;
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant RunPerfModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    const QString results = m_scored ? QStringLiteral("Pos    Score  Time") : QStringLiteral("Pos    Time  ");
    const int go = goRoundOfColumn(section);
    if (go > 0)
        return (go > m_goRounds ? QStringLiteral("GR Final") : QStringLiteral("GR%1").arg(go)) +
               QLatin1Char('\n') + results;
    if (!m_team) {
        switch (section) {
        case Bib:
            return QStringLiteral("Bib");
        case FirstName:
            return QStringLiteral("First Name");
        case LastName:
            return QStringLiteral("Last Name");
        case Total:
            return QStringLiteral("Total\n") + results;
        case StockBib:
            return QStringLiteral("Stock Bib");
        case StockName:
            return QStringLiteral("Stock Name");
        default:
            return QString();
        }
    }
    if (section == TeamName)
        return QStringLiteral("Team");
    if (section == TeamTotal)
        return QStringLiteral("Total\n") + results;
    if (section >= MemberBib1 && section < TeamFiller) {
        const int member = (section - MemberBib1) / 3 + 1;
        const char* fields[] = {"Bib %1", "First Name %1", "Last Name %1"};
        return QString::fromLatin1(fields[(section - MemberBib1) % 3]).arg(member);
    }
    return QString();
}

bool RunPerfModel::isEditable(int row, int column) const
{
    if (goRoundOfColumn(column) > 0)
        return m_resultsEditable && !isNewRow(row); // else "Edit Results" opens (the view does that)
    if (!m_team) {
        if (column == Bib || column == FirstName || column == LastName)
            return true;
        return !isNewRow(row) && (column == StockBib || column == StockName);
    }
    return column == TeamName || (column >= MemberBib1 && column < TeamFiller);
}

Qt::ItemFlags RunPerfModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && isEditable(index.row(), index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}
