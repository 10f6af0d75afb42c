#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

// A text cell whose editor takes at most a number of characters.
class LimitedTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit LimitedTextDelegate(int maxLength, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_maxLength(maxLength)
    {
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

private:
    int m_maxLength;
};

// A cell edited with an editable drop-down: the items come from a function
// asked when the editor opens (so the list is always current); a picked item
// or a typed text goes back to the model as the edit text, and the picked
// item's position as ChoiceRole (-1 for a typed text).
class ComboDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int ChoiceRole = Qt::UserRole + 41;
    using Items = std::function<QStringList(const QModelIndex&)>;

    ComboDelegate(Items items, int maxLength, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_items(std::move(items)), m_maxLength(maxLength)
    {
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    Items m_items;
    int m_maxLength;
};

// A cell that acts as a button: a click (or Space) on it emits clicked with
// the cell; it has no editor.
class ButtonDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return nullptr;
    }

signals:
    void clicked(const QModelIndex& index);
};

// Cells of one list that are edited either as text or with a drop-down,
// cell by cell: useList says which, maxLength limits both.
class TextOrComboDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using Test = std::function<bool(const QModelIndex&)>;
    using Limit = std::function<int(const QModelIndex&)>;

    TextOrComboDelegate(Test useList, ComboDelegate::Items items, Limit maxLength, QObject* parent = nullptr);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    Test m_useList;
    ComboDelegate::Items m_items;
    Limit m_maxLength;
};

// A cell of digits only, at most maxDigits of them. An empty cell opens with
// the proposal (when one is given) typed in, for the operator to take or change.
class DigitsDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using Proposal = std::function<QString(const QModelIndex&)>;
    DigitsDelegate(int maxDigits, Proposal proposal, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_maxDigits(maxDigits), m_proposal(std::move(proposal))
    {
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

private:
    int m_maxDigits;
    Proposal m_proposal;
};
