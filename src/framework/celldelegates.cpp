#include "celldelegates.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>

QWidget* LimitedTextDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex&) const
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setMaxLength(m_maxLength);
    return edit;
}

namespace {

// The limit of a cell is for what the operator types: a picked item keeps its
// whole text (a bib and a name are longer than the bib cell), so that it still
// reads as the item picked.
class TypedLengthValidator : public QValidator
{
public:
    TypedLengthValidator(int maxLength, QComboBox* combo)
        : QValidator(combo), m_max(maxLength), m_combo(combo)
    {
    }
    State validate(QString& input, int&) const override
    {
        if (input.size() <= m_max || m_combo->findText(input, Qt::MatchExactly) >= 0)
            return Acceptable;
        return Invalid;
    }

private:
    int m_max;
    QComboBox* m_combo;
};

} // namespace

QWidget* ComboDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex& index) const
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->addItems(m_items ? m_items(index) : QStringList());
    combo->lineEdit()->setValidator(new TypedLengthValidator(m_maxLength, combo));
    // The pop-up shows its items whole, however narrow the cell.
    QAbstractItemView* view = combo->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * view->frameWidth() +
                          8);
    return combo;
}

void ComboDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    combo->setCurrentIndex(-1);
    combo->setEditText(index.data(Qt::EditRole).toString());
}

void ComboDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = combo->currentText();
    // A picked item is told apart from the same text typed by hand. Its text
    // is whole (the limit holds for typed text only), so it still reads as
    // the item picked.
    const int picked = combo->currentIndex() >= 0 && combo->itemText(combo->currentIndex()) == text
                           ? combo->currentIndex()
                           : -1;
    model->setData(index, picked, ChoiceRole);
    model->setData(index, text, Qt::EditRole);
}

void ButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    QStyleOptionButton button;
    button.rect = option.rect.adjusted(1, 1, -1, -1);
    button.text = index.data(Qt::DisplayRole).toString();
    button.state = option.state | QStyle::State_Enabled;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
}

bool ButtonDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem&,
                                 const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit clicked(index);
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        emit clicked(index);
        return true;
    }
    return false;
}

TextOrComboDelegate::TextOrComboDelegate(Test useList, ComboDelegate::Items items, Limit maxLength,
                                         QObject* parent)
    : QStyledItemDelegate(parent), m_useList(std::move(useList)), m_items(std::move(items)),
      m_maxLength(std::move(maxLength))
{
}

QWidget* TextOrComboDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    const int limit = m_maxLength ? m_maxLength(index) : 32767;
    if (m_useList && m_useList(index))
        return ComboDelegate(m_items, limit).createEditor(parent, option, index);
    return LimitedTextDelegate(limit).createEditor(parent, option, index);
}

void TextOrComboDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (qobject_cast<QComboBox*>(editor))
        ComboDelegate(m_items, 0).setEditorData(editor, index);
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void TextOrComboDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const
{
    if (qobject_cast<QComboBox*>(editor))
        ComboDelegate(m_items, 0).setModelData(editor, model, index);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

QWidget* DigitsDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setMaxLength(m_maxDigits);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(m_maxDigits)), edit));
    return edit;
}

void DigitsDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit)
        return;
    QString text = index.data(Qt::EditRole).toString();
    if (text.isEmpty() && m_proposal)
        text = m_proposal(index);
    edit->setText(text);
    edit->selectAll();
}
