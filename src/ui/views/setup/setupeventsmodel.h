#pragma once

#include <QAbstractTableModel>

class RodeoSetupSheet;

// The Rodeo Setup view's event list: "Name" and "EvId" of each event of the
// working copy, in the rodeo's order. Reads the sheet when a row is shown.
class SetupEventsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SetupEventsModel(const RodeoSetupSheet& sheet, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_sheet(sheet)
    {
    }

    // The rows again, after the sheet was reloaded or an event came or went.
    void reset();
    // The "Name" cell of a row again.
    void nameChanged(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const RodeoSetupSheet& m_sheet;
};
