#include "barmessage.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "ui/dialogs/message/dlgmessage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

void MessageListModel::setMessages(QVector<MessageRec> messages)
{
    beginResetModel();
    m_messages = std::move(messages);
    endResetModel();
}

int MessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

int MessageListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_messages.size()) + 1;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    if (index.column() == 0)
        return QStringLiteral("Line %1").arg(index.row() + 1);
    return m_messages.value(index.column() - 1).lines[index.row()];
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return QString();
    return QStringLiteral("Message %1").arg(m_messages.value(section - 1).number);
}

CBarMessage::CBarMessage(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent), m_db(db), m_prompt(prompt), m_model(new MessageListModel(this)), m_list(new QTableView)
{
    setObjectName(QStringLiteral("CBarMessage"));
    m_list->setModel(m_model);
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectColumns);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* buttons = new QVBoxLayout;
    for (const auto& [caption, slot] :
         {std::pair{"Add", &CBarMessage::add}, std::pair{"Delete", &CBarMessage::remove},
          std::pair{"Edit", &CBarMessage::edit}}) {
        auto* b = new QPushButton(QString::fromLatin1(caption));
        b->setObjectName(QString::fromLatin1(caption));
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    m_ask = [this](const QList<int>& numbers, const MessageRec* editing, MessageRec& result) {
        CDlgMessage dialog(numbers, editing, m_prompt, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        result = dialog.message();
        return true;
    };
}

void CBarMessage::showContestant(quint32 plrId)
{
    if (plrId != m_plrId)
        m_list->clearSelection();
    m_plrId = plrId;
    QVector<MessageRec> messages;
    if (plrId != 0 && !m_db.GetPlrMessages(plrId, messages)) {
        logReport("Failed to get player messages for ID:%d.  OnUpdate", plrId);
        // Nothing rather than the messages of whoever was shown before, and
        // no contestant for Add, Edit and Delete to act on.
        m_plrId = 0;
        messages.clear();
    }
    m_model->setMessages(messages);
}

QList<int> CBarMessage::freeNumbers() const
{
    QList<int> free;
    for (int n = 1; n <= 99; ++n) {
        bool used = false;
        for (const MessageRec& m : m_model->messages())
            used = used || m.number == n;
        if (!used)
            free << n;
    }
    return free;
}

const MessageRec* CBarMessage::selectedMessage() const
{
    const QModelIndexList columns = m_list->selectionModel()->selectedColumns();
    const int column = columns.isEmpty() ? m_list->currentIndex().column() : columns.first().column();
    if (column < 1 || column > m_model->messages().size())
        return nullptr;
    return &m_model->messages()[column - 1];
}

void CBarMessage::add()
{
    if (m_plrId == 0 || !m_db.contestants().find(m_plrId)) {
        m_prompt.inform(QStringLiteral("Please select a player first!"));
        return;
    }
    MessageRec message;
    if (!m_ask(freeNumbers(), nullptr, message))
        return;
    for (QString& line : message.lines)
        line = line.left(24);
    if (!m_db.AddPlrMessage(m_plrId, message)) {
        m_prompt.inform(QStringLiteral("Adding message failed!"));
        return;
    }
    showContestant(m_plrId);
}

void CBarMessage::remove()
{
    const MessageRec* message = selectedMessage();
    if (!message)
        return;
    if (!m_db.DeletePlrMessage(m_plrId, message->number)) {
        m_prompt.inform(QStringLiteral("Deleting the message failed!"));
        return;
    }
    showContestant(m_plrId);
}

void CBarMessage::edit()
{
    const MessageRec* selected = selectedMessage();
    if (!selected)
        return;
    const MessageRec old = *selected;
    MessageRec changed;
    if (!m_ask(freeNumbers(), &old, changed))
        return;
    // The number cannot change in an edit: the message of that number is rewritten.
    changed.number = old.number;
    if (!m_db.SetPlrMessage(m_plrId, changed)) {
        m_prompt.inform(QStringLiteral("Updating the message failed!"));
        return;
    }
    showContestant(m_plrId);
}
