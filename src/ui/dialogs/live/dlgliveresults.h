#pragma once

#include "live/livesettings.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class UserPrompt;

// Configure > Live Results: whether the results are served on the arena's
// network (port, the address to listen on, the pages' title) and whether
// they are also written into a folder after each save. OK checks the
// choices (LiveSettings::problem) and hands them back; nothing is stored or
// started here.
class CDlgLiveResults : public QDialog
{
    Q_OBJECT
public:
    // addresses: this computer's addresses to offer beside "All interfaces".
    CDlgLiveResults(const LiveSettings& settings, const QStringList& addresses, UserPrompt& prompt,
                    QWidget* parent = nullptr);

    LiveSettings values() const;

private:
    void updateStates();
    void browse();
    void onOk();

    UserPrompt& m_prompt;
    QCheckBox* m_serve = nullptr;
    QSpinBox* m_port = nullptr;
    QComboBox* m_address = nullptr;
    QLineEdit* m_title = nullptr;
    QCheckBox* m_publish = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
};
