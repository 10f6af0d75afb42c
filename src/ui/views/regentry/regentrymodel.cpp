#include "regentrymodel.h"

#include "db/databasemanager.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <utility>

namespace {

// Tints that tell the three entry lists apart.
const QColor kEventsTint(0xEE, 0xF3, 0xFB);
const QColor kGoRoundsTint(0xFB, 0xF7, 0xE6);
const QColor kPerformancesTint(0xEC, 0xF7, 0xEC);

} // namespace

RegEntryModel::RegEntryModel(CDatabaseManager& db, QObject* parent) : HandlerEditModel(parent), m_db(db) {}

void RegEntryModel::load(const EntryRows::Selection& selection, int performances)
{
    beginResetModel();
    if (!(selection.eventId == m_sel.eventId && selection.goRound == m_sel.goRound &&
          selection.perf == m_sel.perf))
        m_newTeamName.clear();
    m_sel = selection;
    m_columns.clear();
    const bool eventNode = !m_sel.eventId.isEmpty();
    const bool goNode = eventNode && m_sel.goRound > 0;
    const bool perfNode = goNode && m_sel.perf > 0;
    using K = Kind;
    if (m_sel.team) {
        m_columns.append({K::TeamName});
        if (perfNode)
            m_columns.append({K::RunningOrder});
        for (int m = 0; m < 3; ++m)
            m_columns << Column{K::MemberBib, m} << Column{K::MemberFirstName, m}
                      << Column{K::MemberLastName, m};
    } else {
        m_columns << Column{K::Marker} << Column{K::Bib} << Column{K::FirstName} << Column{K::LastName};
        if (perfNode)
            m_columns.append({K::RunningOrder});
        if (goNode)
            m_columns << Column{K::StockBib} << Column{K::StockName};
    }
    m_split = int(m_columns.size());
    for (int e = 0; e < m_db.events().size(); ++e)
        m_columns.append({K::EventCount, e});
    if (const EventCfg* event = eventNode ? m_db.GetEvent(m_sel.eventId) : nullptr) {
        const int gos = event->goRoundCount();
        for (int go = 1; go <= gos; ++go)
            m_columns.append({K::GoPlace, go});
        // The final has a column once it was built, as it has a node in the tree.
        RegEntry final;
        final.eventId = m_sel.eventId;
        final.goRound = static_cast<quint16>(gos + 1);
        final.plrEnt = 0;
        if (m_db.EntryExists(final))
            m_columns.append({K::GoPlace, gos + 1});
    }
    if (goNode)
        for (int p = performances; p >= 1; --p)
            m_columns.append({K::PerfOrder, p});
    m_columns.append({K::Filler});

    m_rows = EntryRows::build(m_db, m_sel);
    // New competitors come in for the selected event (or, in "Season", the season).
    m_hasNewRow = eventNode || m_sel.mode == EntryRows::Season;
    endResetModel();
}

void RegEntryModel::refreshAll()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int RegEntryModel::columnOf(Kind kind, int number) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].kind == kind && m_columns[c].number == number)
            return c;
    return -1;
}

EntryKey RegEntryModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].key : 0;
}

bool RegEntryModel::isEntered(int row) const
{
    return row >= 0 && row < m_rows.size() && m_rows[row].entered;
}

int RegEntryModel::rowOf(EntryKey key) const
{
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].key == key)
            return r;
    return -1;
}

RegEntry RegEntryModel::entryAt(int row) const
{
    RegEntry e;
    const EntryKey key = keyAt(row);
    e.eventId = m_sel.eventId;
    e.goRound = static_cast<quint16>(goRound());
    e.ptId = entryKeyId(key);
    e.plrEnt = static_cast<quint16>(entryKeyNumber(key));
    e.teamFlag = m_sel.team ? RegEntry::TeamEntry : RegEntry::OwnEntry;
    const auto found = m_db.LookupEntry(key, m_sel.eventId, goRound());
    e.perf = found.perf;
    e.ord = found.ord;
    e.stock = found.stock;
    return e;
}

int RegEntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size()) + (m_hasNewRow ? 1 : 0);
}

int RegEntryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString RegEntryModel::text(int row, const Column& column) const
{
    if (isNewRow(row) && column.kind == Kind::TeamName)
        return m_newTeamName; // typed before the team's first member
    if (row >= m_rows.size())
        return {};
    const EntryKey key = m_rows[row].key;
    const quint32 id = entryKeyId(key);
    using K = Kind;
    switch (column.kind) {
    case K::Marker:
        // Entered in the selected event.
        return !m_sel.eventId.isEmpty() && m_db.playerEntries().entryCount(id, m_sel.eventId) > 0
                   ? QStringLiteral("\u2022")
                   : QString();
    case K::Bib:
    case K::FirstName:
    case K::LastName: {
        const ContestantRec* c = m_db.contestants().find(id);
        if (!c)
            return {};
        return column.kind == K::Bib ? c->bib : column.kind == K::FirstName ? c->firstName : c->lastName;
    }
    case K::TeamName: {
        const TeamRec* t = m_db.teams().find(id);
        return t ? t->name : QString();
    }
    case K::MemberBib:
    case K::MemberFirstName:
    case K::MemberLastName: {
        const TeamRec* t = m_db.teams().find(id);
        if (!t)
            return {};
        const quint32 member = column.number == 0 ? t->plrId1 : column.number == 1 ? t->plrId2 : t->plrId3;
        const ContestantRec* c = member ? m_db.contestants().find(member) : nullptr;
        if (!c)
            return {};
        return column.kind == K::MemberBib         ? c->bib
               : column.kind == K::MemberFirstName ? c->firstName
                                                   : c->lastName;
    }
    case K::RunningOrder:
    case K::PerfOrder: {
        const auto found = m_db.LookupEntry(key, m_sel.eventId, goRound());
        const int perf = column.kind == K::RunningOrder ? m_sel.perf : column.number;
        return found.found && found.perf == perf && found.ord > 0 ? QString::number(found.ord) : QString();
    }
    case K::StockBib:
    case K::StockName: {
        const auto found = m_db.LookupEntry(key, m_sel.eventId, goRound());
        const StockRec* s = found.found && found.stock ? m_db.stock().find(found.stock) : nullptr;
        if (!s)
            return {};
        return column.kind == K::StockBib ? s->bib : s->name;
    }
    case K::EventCount: {
        const EventCfg& e = m_db.events()[column.number];
        const RegEntryCollection& entries = m_sel.team ? m_db.teamEntries() : m_db.playerEntries();
        const int n = entries.entryCount(id, e.id);
        return n > 0 ? QString::number(n) : QString();
    }
    case K::GoPlace: {
        const auto found = m_db.LookupEntry(key, m_sel.eventId, column.number);
        return found.found && found.perf > 0 ? QStringLiteral("P%1-%2").arg(found.perf).arg(found.ord)
                                             : QString();
    }
    case K::Filler:
        break;
    }
    return {};
}

QVariant RegEntryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size())
        return {};
    const Column& column = m_columns[index.column()];
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return text(index.row(), column);
    if (role == Qt::BackgroundRole) {
        if (column.kind == Kind::EventCount)
            return QBrush(kEventsTint);
        if (column.kind == Kind::GoPlace)
            return QBrush(kGoRoundsTint);
        if (column.kind == Kind::PerfOrder)
            return QBrush(kPerformancesTint);
        return {};
    }
    if (role == Qt::TextAlignmentRole && (column.kind == Kind::EventCount || column.kind == Kind::PerfOrder ||
                                          column.kind == Kind::RunningOrder || column.kind == Kind::Marker))
        return int(Qt::AlignCenter);
    if (role == Qt::ForegroundRole && !isEntered(index.row()) && !isNewRow(index.row()))
        return QBrush(QColor(0x70, 0x70, 0x70)); // a season contestant not entered in the rodeo
    return {};
}

QVariant RegEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    const Column& c = m_columns[section];
    if (role == Qt::ToolTipRole) {
        if (c.kind == Kind::EventCount)
            return QStringLiteral("Entries in %1").arg(m_db.events()[c.number].name);
        if (c.kind == Kind::GoPlace)
            return QStringLiteral("Performance and running order in this go-round");
        if (c.kind == Kind::PerfOrder)
            return QStringLiteral("Running order in performance %1").arg(c.number);
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (c.kind) {
    case Kind::Marker:
        return QString();
    case Kind::Bib:
        return QStringLiteral("Bib");
    case Kind::FirstName:
        return QStringLiteral("First Name");
    case Kind::LastName:
        return QStringLiteral("Last Name");
    case Kind::RunningOrder:
        return QStringLiteral("P%1").arg(m_sel.perf);
    case Kind::StockBib:
        return QStringLiteral("Stock Bib");
    case Kind::StockName:
        return QStringLiteral("Stock Name");
    case Kind::TeamName:
        return QStringLiteral("Team");
    case Kind::MemberBib:
        return QStringLiteral("Bib %1").arg(c.number + 1);
    case Kind::MemberFirstName:
        return QStringLiteral("First Name %1").arg(c.number + 1);
    case Kind::MemberLastName:
        return QStringLiteral("Last Name %1").arg(c.number + 1);
    case Kind::EventCount:
        return m_db.events()[c.number].id;
    case Kind::GoPlace: {
        const EventCfg* e = m_db.GetEvent(m_sel.eventId);
        return e && c.number > e->goRoundCount() ? QStringLiteral("Final")
                                                 : QStringLiteral("G%1").arg(c.number);
    }
    case Kind::PerfOrder:
        return QStringLiteral("P%1").arg(c.number);
    case Kind::Filler:
        return QString();
    }
    return {};
}

bool RegEntryModel::isEditable(int row, const Column& column) const
{
    const bool newRow = isNewRow(row);
    const bool eventNode = !m_sel.eventId.isEmpty();
    using K = Kind;
    switch (column.kind) {
    case K::Bib:
    case K::FirstName:
    case K::LastName:
        return true; // the contestant's own record, or a new one on the last row
    case K::TeamName:
    case K::MemberBib:
    case K::MemberFirstName:
    case K::MemberLastName:
        return true;
    case K::RunningOrder:
    case K::PerfOrder:
    case K::StockBib:
    case K::StockName:
        return !newRow && eventNode && isEntered(row) &&
               m_db.LookupEntry(keyAt(row), m_sel.eventId, goRound()).found;
    case K::EventCount: {
        // A contestant is never entered alone into a team event, nor a team into another kind.
        if (newRow)
            return false;
        return m_db.events()[column.number].isTeam() == m_sel.team;
    }
    default:
        return false;
    }
}

Qt::ItemFlags RegEntryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() >= m_columns.size())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isEditable(index.row(), m_columns[index.column()]))
        f |= Qt::ItemIsEditable;
    return f;
}
