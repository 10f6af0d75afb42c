#pragma once

#include "db/records.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class UserPrompt;

// A contestant's message: its number (the free numbers to add one; fixed when
// editing) and four lines of at most 24 characters.
class CDlgMessage : public QDialog
{
    Q_OBJECT
public:
    // editing: the message to update, null to add one.
    CDlgMessage(const QList<int>& freeNumbers, const MessageRec* editing, UserPrompt& prompt,
                QWidget* parent = nullptr);

    MessageRec message() const;
    QComboBox* numberBox() const { return m_number; }
    QLineEdit* line(int i) const { return m_lines[i]; }
    QPushButton* saveButton() const { return m_save; }

    // Save: a number is needed; four empty lines are asked about.
    void accept() override;

private:
    UserPrompt& m_prompt;
    QComboBox* m_number;
    QLineEdit* m_lines[4] = {};
    QPushButton* m_save;
};
