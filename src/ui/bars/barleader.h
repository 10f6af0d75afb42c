#pragma once

#include "app/displayprofilesettings.h"

#include <QAbstractTableModel>
#include <QWidget>

class CDatabaseManager;
class QLabel;
class QTableView;

// The rows of one leader list: rank, name, score or time (and, overall, the
// rides). The texts are made at each refresh.
class LeaderListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit LeaderListModel(bool overall, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_overall(overall)
    {
    }
    void setRows(QVector<QStringList> rows, const QString& valueTitle);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool m_overall;
    QString m_valueTitle = QStringLiteral("Score");
    QVector<QStringList> m_rows;
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
