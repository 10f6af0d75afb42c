#pragma once

#include "app/displayprofilesettings.h"
#include "results/resultrecord.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QWidget>
#include <functional>
#include <vector>

class CDatabaseManager;
class QLabel;
class QTableView;

// The rows of one leader list: rank, name, score or time (and, overall, the
// rides). A refresh hands over the placed records and how a row's texts are
// made; the texts are made when a row is first shown, so that a standing of
// thousands costs a save only the rows on screen.
class LeaderListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using RowTexts = std::function<QStringList(const ResultRecord&)>;

    explicit LeaderListModel(bool overall, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_overall(overall)
    {
    }
    void setRows(std::vector<ResultRecord> placed, RowTexts texts, const QString& valueTitle);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool m_overall;
    QString m_valueTitle = QStringLiteral("Score");
    std::vector<ResultRecord> m_records;
    RowTexts m_texts;
    mutable QHash<int, QStringList> m_made; // the rows' texts made so far
};

// "Leader Board": the current go-round's standing and the overall standing
// of the event being run, rebuilt by every refresh (after the current entry
// changed or a result was saved).
class CBarLeader : public QWidget
{
    Q_OBJECT
public:
    explicit CBarLeader(QWidget* parent = nullptr);
    void refresh(CDatabaseManager& db, const DisplayProfileSettings& profile);

    QLabel* goCaption() const { return m_goCaption; }
    LeaderListModel* goList() const { return m_goModel; }
    LeaderListModel* overallList() const { return m_overallModel; }

private:
    QLabel* m_goCaption;
    LeaderListModel* m_goModel;
    LeaderListModel* m_overallModel;
};
