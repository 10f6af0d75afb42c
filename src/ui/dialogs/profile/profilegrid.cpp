#include "profilegrid.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>

ProfileGridModel::ProfileGridModel(ProfileEditor& editor, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor)
{
}

void ProfileGridModel::showItem(ProfileEditor::Mode mode, int listItem)
{
    beginResetModel();
    m_mode = mode;
    m_listItem = listItem;
    endResetModel();
    // The first column's title follows the arrangement.
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void ProfileGridModel::reload()
{
    beginResetModel();
    endResetModel();
}

void ProfileGridModel::refreshRow(int row)
{
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, ProfileEditor::ColumnCount - 1));
}

ProfileEditor::Cell ProfileGridModel::cellOf(const QModelIndex& index) const
{
    return ProfileEditor::cellAt(m_mode, m_listItem, index.row());
}

bool ProfileGridModel::toggle(const QModelIndex& index)
{
    if (!index.isValid() || !ProfileEditor::isToggle(index.column()))
        return false;
    if (!m_editor.toggle(cellOf(index), index.column()))
        return false;
    emit dataChanged(index, index);
    emit edited();
    return true;
}

int ProfileGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_editor.isOpen() || m_listItem < 0)
        return 0;
    return ProfileEditor::rowCount(m_mode);
}

int ProfileGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ProfileEditor::ColumnCount;
}

QVariant ProfileGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (index.column() == ProfileEditor::KeyColumn)
        return ProfileEditor::rowLabel(m_mode, m_listItem, index.row());
    return m_editor.text(cellOf(index), index.column());
}

QVariant ProfileGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ProfileEditor::columnTitle(m_mode, section);
}

Qt::ItemFlags ProfileGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == ProfileEditor::NameColumn || index.column() == ProfileEditor::PageDirColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ProfileGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QString before = data(index).toString();
    if (!m_editor.setText(cellOf(index), index.column(), value.toString()))
        return false;
    if (data(index).toString() != before) {
        emit dataChanged(index, index);
        emit edited();
    }
    return true;
}

// --- the cell editors ---------------------------------------------------------------------

QWidget* ProfileCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    if (index.column() != ProfileEditor::PageDirColumn)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->addItems(ProfileEditor::pageDirChoices());
    // A direction the list does not offer stays choosable, so that opening the
    // list and leaving it changes nothing.
    const QString current = index.data(Qt::EditRole).toString();
    if (combo->findText(current, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        combo->addItem(current);
    return combo;
}

void ProfileCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString(),
                                               Qt::MatchFixedString | Qt::MatchCaseSensitive));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void ProfileCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText());
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool ProfileCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                      const QStyleOptionViewItem& option, const QModelIndex& index)
{
    auto* grid = qobject_cast<ProfileGridModel*>(model);
    if (grid && ProfileEditor::isToggle(index.column())) {
        const bool doubleClick = event->type() == QEvent::MouseButtonDblClick &&
                                 static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        const bool space =
            event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
        if (doubleClick || space) {
            grid->toggle(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
