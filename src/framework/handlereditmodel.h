#pragma once

#include <QAbstractTableModel>
#include <functional>

// A table model whose cell edits are carried out by a handler: the view that
// shows it, which may ask the operator questions and write to the database.
// The model hands over the row, the column, the text and the item picked
// from a drop-down (-1: typed), and shows the row again when the handler
// made a change.
class HandlerEditModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using EditHandler = std::function<bool(int row, int column, const QString& text, int picked)>;

    using QAbstractTableModel::QAbstractTableModel;

    void setEditHandler(EditHandler handler) { m_edit = std::move(handler); }

    // The choice role keeps the picked item for the edit that follows; the
    // edit role hands the text of an editable cell over, unless it is the text
    // the cell holds and nothing was picked (an unchanged text changes nothing).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    EditHandler m_edit;
    int m_pendingChoice = -1;
};
