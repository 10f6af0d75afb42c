#pragma once

#include "reports/entryimporter.h"

#include <QAbstractTableModel>

// The rodeo's events with the operator's choice for each: "Import" ("TRUE" or
// "FALSE", toggled by a click) and "Event". The choices are the view's
// selection; the events are read again from the open rodeo on every reload.
class ImportEventsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEvents(const QVector<EntryImporter::EventChoice>& events);
    const QVector<EntryImporter::EventChoice>& events() const { return m_events; }
    void toggle(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<EntryImporter::EventChoice> m_events;
};
