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

void LeaderListModel::setRows(QVector<QStringList> rows, const QString& valueTitle)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_valueTitle = valueTitle;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int LeaderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LeaderListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (m_overall ? 4 : 3);
}

QVariant LeaderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_rows.value(index.row()).value(index.column());
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
        m_goModel->setRows({}, valueTitle);
        m_overallModel->setRows({}, valueTitle);
        return;
    }
    const CompetitorText names(db, profile);
    const bool fraction = event->fraction == QLatin1String("Fraction");
    const auto value = [&](const ResultRecord& r) {
        if (!scored)
            return ScoreboardFields::time(r.time, 6, PrecisionDigits(event->precision));
        const int decimals = event->precision == QLatin1String("0.1") ? 1 : 2;
        return ScoreboardFields::score(r.score, 6, fraction, decimals);
    };
    const auto name = [&](const ResultRecord& r) {
        const quint32 id = entryKeyId(r.key);
        if (event->isTeam()) {
            const TeamRec* team = names.team(id);
            return team ? names.teamName(*team) : QString();
        }
        const ContestantRec* c = names.contestant(id);
        return c ? names.name(*c) : QString();
    };
    const auto rows = [&](const std::vector<ResultRecord>& list, bool overall) {
        QVector<QStringList> out;
        for (const ResultRecord& r : list) {
            if (r.position == 0)
                continue;
            QStringList row{QString::number(r.position), name(r), value(r)};
            if (overall)
                row << QStringLiteral("%1 / %2").arg(r.success).arg(r.ride);
            out << row;
        }
        return out;
    };
    m_goModel->setRows(rows(standings.goRound(cur.goRound), false), valueTitle);
    m_overallModel->setRows(rows(standings.overall(), true), valueTitle);
}
