#pragma once

#include "db/drawrecords.h"
#include "setup/drawsession.h"

#include <QAbstractTableModel>
#include <QVector>

// The rows of a go-round as the draw dialog lists them: a draw not yet
// written, or the go-round as it stands. Read only.
class DrawRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DrawRowsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setRows(QVector<DrawSession::Row> rows, bool withAnimals);
    const QVector<DrawSession::Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<DrawSession::Row> m_rows;
    bool m_animals = false;
};

// The places of each performance of the go-round, edited in place.
class DrawPlacesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DrawPlacesModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setPlaces(QVector<int> places);
    const QVector<int>& places() const { return m_places; }
    int total() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QVector<int> m_places;
};

// The secretary's requests, in words.
class DrawRequestsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DrawRequestsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setRequests(QVector<DrawRequestRec> requests, QStringList texts);
    qint64 idAt(int row) const { return row >= 0 && row < m_requests.size() ? m_requests[row].id : 0; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<DrawRequestRec> m_requests;
    QStringList m_texts;
};
