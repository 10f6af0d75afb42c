#pragma once

#include <QStyledItemDelegate>

// Edits a cell in a CMaskedEdit. Each cell's mask is its MaskRole, or the
// delegate's own mask when that role is empty (no mask at all gives a plain
// line edit). The editor opens with the cell's EditRole text filled into the
// mask, and what it shows, literals included, is written back as EditRole.
class MaskedEditDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int MaskRole = Qt::UserRole + 40;

    explicit MaskedEditDelegate(QObject* parent = nullptr);

    void setEditMask(const QString& mask) { m_mask = mask; }
    QString editMask() const { return m_mask; }
    // The mask the cell at index is edited with.
    QString maskFor(const QModelIndex& index) const;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    QString m_mask;
};
