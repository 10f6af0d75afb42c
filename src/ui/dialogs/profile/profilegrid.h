#pragma once

#include "app/profileeditor.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

// The button grid of the display button configuration over the open profile:
// the 33 keys of one event ("By Event") or one key in the 15 events ("By
// Function Key"). The model keeps only which of them it shows; the cells are
// the editor's.
class ProfileGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ProfileGridModel(ProfileEditor& editor, QObject* parent = nullptr);

    void showItem(ProfileEditor::Mode mode, int listItem);
    // The profile was loaded or replaced.
    void reload();
    // A row changed outside the grid (its actions were configured).
    void refreshRow(int row);

    ProfileEditor::Mode mode() const { return m_mode; }
    int listItem() const { return m_listItem; }
    ProfileEditor::Cell cellOf(const QModelIndex& index) const;

    // Display, Holding and Announcer switch between Yes and No.
    bool toggle(const QModelIndex& index);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A cell changed the profile.
    void edited();

private:
    ProfileEditor& m_editor;
    ProfileEditor::Mode m_mode = ProfileEditor::Mode::ByEvent;
    int m_listItem = -1;
};

// In-cell editing of the grid: Name is typed, Page Dir chosen from a list,
// and Display, Holding and Announcer toggle on a double click or the space bar.
class ProfileCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};
