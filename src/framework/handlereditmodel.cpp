#include "handlereditmodel.h"

#include "celldelegates.h"

#include <utility>

bool HandlerEditModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    if (role == ComboDelegate::ChoiceRole) {
        m_pendingChoice = value.toInt();
        return true;
    }
    if (role != Qt::EditRole || !m_edit || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int picked = std::exchange(m_pendingChoice, -1);
    const QString text = value.toString();
    if (picked < 0 && text == data(index, Qt::EditRole).toString())
        return false;
    const int row = index.row();
    if (!m_edit(row, index.column(), text, picked))
        return false;
    // The handler may have loaded other rows: only a row still there is shown again.
    if (row < rowCount() && columnCount() > 0)
        emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    return true;
}
