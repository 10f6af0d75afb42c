#include "framework/maskeddelegate.h"

#include "framework/maskededit.h"

MaskedEditDelegate::MaskedEditDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QString MaskedEditDelegate::maskFor(const QModelIndex& index) const
{
    const QString mask = index.data(MaskRole).toString();
    return mask.isEmpty() ? m_mask : mask;
}

QWidget* MaskedEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const
{
    auto* editor = new CMaskedEdit(parent);
    editor->setFrame(false);
    return editor;
}

void MaskedEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = qobject_cast<CMaskedEdit*>(editor);
    if (!edit) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // Mask and text are set together: the view calls this again when the cell
    // changes while its editor is open.
    edit->setEditMask(maskFor(index));
    edit->setMaskedText(index.data(Qt::EditRole).toString());
}

void MaskedEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const
{
    if (auto* edit = qobject_cast<CMaskedEdit*>(editor))
        model->setData(index, edit->text(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}
