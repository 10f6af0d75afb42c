#pragma once

#include "db/records.h"

#include <QAbstractTableModel>
#include <QWidget>

class CDatabaseManager;
class QPushButton;
class QTableView;
class UserPrompt;

// The messages of one contestant, a column each ("Message %d") with their four
// lines as rows; the first column labels the lines.
class MessageListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setMessages(QVector<MessageRec> messages);
    const QVector<MessageRec>& messages() const { return m_messages; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<MessageRec> m_messages;
};

// "Messages": shows and edits the short messages of the contestant up. Add,
// Delete and Edit go to the database manager, and the bar shows the
// contestant again after each.
class CBarMessage : public QWidget
{
    Q_OBJECT
public:
    CBarMessage(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent = nullptr);

    // A new contestant (0: none) drops the selected message.
    void showContestant(quint32 plrId);
    quint32 contestant() const { return m_plrId; }
    // The numbers 1 to 99 the contestant does not use yet.
    QList<int> freeNumbers() const;
    MessageListModel* model() const { return m_model; }
    QTableView* list() const { return m_list; }

    void add();
    void remove();
    void edit();

    // The dialog that asks for a message, replaceable by the tests: it gets
    // the numbers offered and the message to edit (null to add) and fills
    // the result; false when cancelled.
    using Ask = std::function<bool(const QList<int>& numbers, const MessageRec* editing, MessageRec& result)>;
    void setAsk(Ask ask) { m_ask = std::move(ask); }

private:
    const MessageRec* selectedMessage() const;

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    quint32 m_plrId = 0;
    MessageListModel* m_model;
    QTableView* m_list;
    Ask m_ask;
};
