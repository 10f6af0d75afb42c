#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>

// The editor of a go-round cell of Box Entry: a masked edit that opens with
// the cell's result as digits and saves what is typed when it is confirmed.
// A result that fails its checks keeps the editor open with the typed text
// (the check said why); Esc drops it.
class ResultCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    struct Start
    {
        QString mask;
        QString text; // filled into the mask
    };
    // Asked when a cell's editor is to open; no value: the cell does not edit.
    using Begin = std::function<std::optional<Start>(const QModelIndex&)>;
    // The typed display confirmed; false keeps the editor open.
    using Commit = std::function<bool(const QModelIndex&, const QString& display)>;

    ResultCellDelegate(Begin begin, Commit commit, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool confirm(QWidget* editor) const;

    Begin m_begin;
    Commit m_commit;
    mutable QPersistentModelIndex m_editing;
    mutable bool m_confirming = false;
};
