#include "dlgioconfig.h"

#include "app/userprompt.h"
#include "framework/dialogunits.h"
#include "framework/headerpanel.h"
#include "io/outputmanager.h"
#include "platform/stream/dialogs/streamconfigdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using List = IoConfigEditor::List;
using Editor = IoConfigEditor::Editor;

constexpr List AllLists[] = {List::Ports, List::Timer, List::Rips, List::Requests, List::Monitors};

// In-cell editors of one list: typed text, digits only, or a choice. Edits go
// to the list logic; the dialog then shows the lists afresh.
class CellDelegate : public QStyledItemDelegate
{
public:
    CellDelegate(IoConfigEditor& editor, List list, std::function<void()> changed, QObject* parent)
        : QStyledItemDelegate(parent), m_editor(editor), m_list(list), m_changed(std::move(changed))
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        switch (kind(index)) {
        case Editor::Text:
            return new QLineEdit(parent);
        case Editor::Digits: {
            auto* edit = new QLineEdit(parent);
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            return edit;
        }
        case Editor::PortChoice:
        case Editor::Choice: {
            auto* combo = new QComboBox(parent);
            combo->addItems(m_editor.choices(m_list, index.column()));
            return combo;
        }
        case Editor::None:
            break;
        }
        return nullptr;
    }

    void setEditorData(QWidget* widget, const QModelIndex& index) const override
    {
        const QString text = index.data().toString();
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            const int at = combo->findText(text);
            combo->setCurrentIndex(at < 0 ? 0 : at);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(text);
        }
    }

    void setModelData(QWidget* widget, QAbstractItemModel*, const QModelIndex& index) const override
    {
        bool changed = false;
        if (kind(index) == Editor::PortChoice) {
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                changed = m_editor.choosePort(m_list, index.row(), index.column(), combo->currentIndex());
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            changed = m_editor.setText(m_list, index.row(), index.column(), combo->currentText());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            changed = m_editor.setText(m_list, index.row(), index.column(), edit->text());
        }
        if (changed)
            m_changed();
    }

private:
    Editor kind(const QModelIndex& index) const
    {
        const auto cols = IoConfigEditor::columns(m_list);
        return index.column() < cols.size() ? cols[index.column()].editor : Editor::None;
    }

    IoConfigEditor& m_editor;
    List m_list;
    std::function<void()> m_changed;
};

bool showPortSheet(TxStream& stream, QWidget* parent)
{
    StreamConfigDialog sheet(stream, parent);
    sheet.setShowValidPorts(true);
    return sheet.exec() == QDialog::Accepted;
}

} // namespace

CDlgIoConfig::CDlgIoConfig(OutputManager& manager, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_prompt(prompt), m_editor(m_copy), m_sheet(showPortSheet)
{
    setWindowTitle(QStringLiteral("Input/Output Configuration"));
    m_manager.CopyConfiguration(m_copy);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new HeaderPanel(
        QStringLiteral("Input/Output Configuration"),
        QStringLiteral(
            "Configure ports on the computer and then set what type of information is being used by the "
            "ports."),
        this));
    for (List list : AllLists) {
        auto* label = new QLabel(IoConfigEditor::label(list), this);
        QTableWidget* table = makeTable(list);
        label->setBuddy(table);
        m_labels.insert(int(list), label);
        m_tables.insert(int(list), table);
        layout->addWidget(label);
        layout->addWidget(table, list == List::Timer ? 0 : 1);
        // Request links are kept but not shown.
        if (list == List::Requests) {
            label->hide();
            table->hide();
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(table(List::Ports), &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { configurePort(row); });
    reload();
    // Wide enough for every column of the widest list.
    resize(DialogUnits::toPixelsX(this, 460), DialogUnits::toPixelsY(this, 420));
}

CDlgIoConfig::~CDlgIoConfig() = default;

QTableWidget* CDlgIoConfig::makeTable(List list)
{
    const auto cols = IoConfigEditor::columns(list);
    auto* table = new QTableWidget(0, int(cols.size()), this);
    table->setObjectName(QStringLiteral("list%1").arg(int(list)));
    QStringList titles;
    for (const auto& c : cols)
        titles << c.title;
    table->setHorizontalHeaderLabels(titles);
    QVector<int> widths;
    for (const auto& c : cols)
        widths << c.width;
    DialogUnits::setColumnWidths(table, widths.constData(), int(widths.size()));
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    if (list == List::Timer)
        DialogUnits::fitHeightToRows(table, 1); // the one timer input
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(list == List::Ports
                               ? QAbstractItemView::NoEditTriggers
                               : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                     QAbstractItemView::EditKeyPressed);
    table->setItemDelegate(new CellDelegate(
        m_editor, list,
        [this] {
            // After the editor has closed: the rows may change under it.
            if (m_reloadQueued)
                return;
            m_reloadQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_reloadQueued = false;
                    reload();
                },
                Qt::QueuedConnection);
        },
        table));
    table->installEventFilter(this);
    return table;
}

void CDlgIoConfig::fill(List list)
{
    QTableWidget* t = table(list);
    const auto cols = IoConfigEditor::columns(list);
    const int rows = m_editor.rowCount(list);
    t->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < cols.size(); ++c) {
            auto* item = new QTableWidgetItem(m_editor.text(list, row, c));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (cols[c].editor != Editor::None)
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            t->setItem(row, c, item);
        }
    }
}

void CDlgIoConfig::reload()
{
    for (List list : AllLists)
        fill(list);
}

bool CDlgIoConfig::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        for (List list : AllLists) {
            QTableWidget* t = table(list);
            if (watched != t)
                continue;
            // Not while a cell is being edited: the key belongs to the editor.
            if (t->indexWidget(t->currentIndex()))
                return false;
            removeRow(list, t->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgIoConfig::removeRow(List list, int row)
{
    if (row < 0 || m_editor.isBlankRow(list, row))
        return;
    const IoConfigEditor::RemoveResult result = m_editor.remove(list, row);
    if (!result.refusal.isEmpty()) {
        m_prompt.inform(result.refusal);
        return;
    }
    if (result.removed)
        reload();
}

void CDlgIoConfig::configurePort(int row)
{
    if (StreamPort* port = m_editor.port(row)) {
        if (m_sheet(port->stream(), this))
            reload(); // the new name shows in every list that refers to the port
        return;
    }
    if (!m_editor.isBlankRow(List::Ports, row))
        return;
    auto port = std::make_unique<StreamPort>();
    if (m_sheet(port->stream(), this)) {
        m_editor.appendPort(std::move(port));
        reload();
    }
}
