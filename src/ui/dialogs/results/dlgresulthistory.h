#pragma once

#include "results/resultrecord.h"

#include <QDialog>

class CDatabaseManager;
class QComboBox;
class QTableWidget;
class UserPrompt;

// "Result History": every recorded change of one entry's results in one event
// of the open rodeo (all its go-rounds), oldest first: when (UTC), what
// happened, where it came from, and the result before and after. The event
// and the entry are chosen at the top; a caller can preselect them.
class CDlgResultHistory : public QDialog
{
    Q_OBJECT
public:
    CDlgResultHistory(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent = nullptr);

    // False when the event is not one of the open rodeo's or the entry is not
    // entered in it.
    bool selectEntry(const QString& eventId, EntryKey key);

    QComboBox* events() const { return m_events; }
    QComboBox* entries() const { return m_entries; }
    QTableWidget* table() const { return m_table; }

private:
    void fillEntries();
    void fillHistory();

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    QComboBox* m_events;
    QComboBox* m_entries;
    QTableWidget* m_table;
};
