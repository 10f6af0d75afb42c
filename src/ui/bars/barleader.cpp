#include "barleader.h"

#include "db/databasemanager.h"
#include "io/competitortext.h"
#include "io/scoreboardfields.h"
#include "results/values.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

void LeaderListModel::setRows(std::vector<ResultRecord> placed, RowTexts texts, const QString& valueTitle)
{
    beginResetModel();
    m_records = std::move(placed);
    m_texts = std::move(texts);
    m_made.clear();
    m_valueTitle = valueTitle;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int LeaderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int LeaderListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (m_overall ? 4 : 3);
}

QVariant LeaderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole) {
        const int row = index.row();
        if (row < 0 || row >= int(m_records.size()) || !m_texts)
            return QVariant();
        auto made = m_made.find(row);
        if (made == m_made.end())
            made = m_made.insert(row, m_texts(m_records[size_t(row)]));
        return made->value(index.column());
    }
    if (role == Qt::FontRole && index.column() == 2) {
        QFont mono(QStringLiteral("Monospace"));
        mono.setStyleHint(QFont::TypeWriter);
        return mono;
    }
    return QVariant();
}

QVariant LeaderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return QStringLiteral("Rank");
    case 1:
        return QStringLiteral("Name");
    case 2:
        return m_valueTitle;
    case 3:
        return QStringLiteral("Rides");
    default:
        return QVariant();
    }
}

namespace {

QTableView* leaderTable(LeaderListModel* model, bool overall, QWidget* parent)
{
    auto* t = new QTableView(parent);
    t->setObjectName(overall ? QStringLiteral("overallLeaders") : QStringLiteral("goLeaders"));
    t->setModel(model);
    t->verticalHeader()->hide();
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[] = {50, 150, 100, 50};
    for (int c = 0; c < (overall ? 4 : 3); ++c)
        t->setColumnWidth(c, widths[c]);
    return t;
}

} // namespace

CBarLeader::CBarLeader(QWidget* parent)
    : QWidget(parent), m_goCaption(new QLabel(QStringLiteral("Go-Round Leaders"))),
      m_goModel(new LeaderListModel(false, this)), m_overallModel(new LeaderListModel(true, this))
{
    setObjectName(QStringLiteral("CBarLeader"));
    auto* goSide = new QVBoxLayout;
    goSide->addWidget(m_goCaption);
    goSide->addWidget(leaderTable(m_goModel, false, this));
    auto* overallSide = new QVBoxLayout;
    overallSide->addWidget(new QLabel(QStringLiteral("Overall Leaders")));
    overallSide->addWidget(leaderTable(m_overallModel, true, this));
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(goSide);
    layout->addLayout(overallSide);
}

void CBarLeader::refresh(CDatabaseManager& db, const DisplayProfileSettings& profile)
{
    const RegEntry& cur = db.curEntry();
    const EventCfg* event = db.GetEvent(cur.eventId);
    m_goCaption->setText(QStringLiteral("Go-Round %1 Leaders").arg(cur.goRound));
    const bool scored = !event || event->isScored();
    const QString valueTitle = scored ? QStringLiteral("Score") : QStringLiteral("Time");
    const Standings& standings = db.standings();
    if (!event || cur.goRound > standings.goRoundCount()) {
        m_goModel->setRows({}, {}, valueTitle);
        m_overallModel->setRows({}, {}, valueTitle);
        return;
    }
    // The texts are made later, when a row is shown: everything they need is
    // copied here, except the names, which are read from the database
    // manager's collections then (the main window owns both it and this bar).
    const CompetitorText names(db, profile);
    const EventCfg ev = *event;
    const auto texts = [names, ev, scored](bool overall) {
        return [names, ev, scored, overall](const ResultRecord& r) {
            QString name;
            const quint32 id = entryKeyId(r.key);
            if (ev.isTeam()) {
                if (const TeamRec* team = names.team(id))
                    name = names.teamName(*team);
            } else if (const ContestantRec* c = names.contestant(id)) {
                name = names.name(*c);
            }
            QString value;
            if (!scored) {
                value = ScoreboardFields::time(r.time, 6, PrecisionDigits(ev.precision));
            } else {
                const int decimals = ev.precision == QLatin1String("0.1") ? 1 : 2;
                value =
                    ScoreboardFields::score(r.score, 6, ev.fraction == QLatin1String("Fraction"), decimals);
            }
            QStringList row{QString::number(r.position), name, value};
            if (overall)
                row << QStringLiteral("%1 / %2").arg(r.success).arg(r.ride);
            return row;
        };
    };
    const auto placed = [](const std::vector<ResultRecord>& list) {
        std::vector<ResultRecord> out;
        out.reserve(list.size());
        for (const ResultRecord& r : list)
            if (r.position != 0)
                out.push_back(r);
        return out;
    };
    m_goModel->setRows(placed(standings.goRound(cur.goRound)), texts(false), valueTitle);
    m_overallModel->setRows(placed(standings.overall()), texts(true), valueTitle);
}
