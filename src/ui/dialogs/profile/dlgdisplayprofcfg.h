#pragma once

#include "app/profileeditor.h"

#include <QDialog>
#include <functional>
#include <optional>

class FileMgr;
class ProfileGridModel;
class QComboBox;
class QListView;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QStringListModel;
class QTableView;
class UserPrompt;

// "Display Button Configuration": picks a display profile, shows its buttons
// by event or by key and edits them, and saves, renames or copies it, or makes
// a new one. The profile itself is ProfileEditor's; this is its view. The
// questions it asks in dialogs of their own (names, the new profile, an
// action) go through replaceable askers, so tests can answer them.
class CDlgDisplayProfCfg : public QDialog
{
    Q_OBJECT
public:
    enum class NameQuestion { SaveAs, Rename };
    // The name the operator gave, nothing when cancelled.
    using NameAsker = std::function<std::optional<QString>(NameQuestion question)>;
    struct NewProfile
    {
        QString name;
        BuiltInProfiles::Kind start = BuiltInProfiles::Kind::Default;
    };
    using NewProfileAsker = std::function<std::optional<NewProfile>()>;
    // Shows an action (exists: the button has it already); the values to
    // write, nothing when cancelled or left unchanged.
    using ActionAsker = std::function<std::optional<ProfileAction>(const ProfileAction& action, bool exists)>;

    CDlgDisplayProfCfg(FileMgr& files, UserPrompt& prompt, QWidget* parent = nullptr);
    ~CDlgDisplayProfCfg() override;

    void setNameAsker(NameAsker asker) { m_askName = std::move(asker); }
    void setNewProfileAsker(NewProfileAsker asker) { m_askNew = std::move(asker); }
    void setActionAsker(ActionAsker asker) { m_askAction = std::move(asker); }

    ProfileEditor& editor() { return m_editor; }
    // Every profile written while the dialog was open.
    QStringList writtenProfiles() const { return m_editor.writtenProfiles(); }

    // The buttons and the context menu's "Configure...".
    bool saveProfile();
    void saveProfileAs();
    void renameProfile();
    void newProfile();
    void configureAction(const QModelIndex& index);

    // "Close", Escape and the window's close box: unsaved changes are offered
    // for saving first.
    void reject() override;

private:
    void fillProfiles(const QString& select);
    void onProfileChosen();
    bool openProfile(const QString& name);
    void onModeChosen();
    void onListItemChosen();
    void onSettingChosen(ProfileEditor::Setting setting, QComboBox* combo);
    void showSettings();
    void updateButtons();
    // True when the operator may go on: nothing was modified, the changes were
    // saved, or they are not wanted.
    bool offerToSave();
    void showGridMenu(const QPoint& pos);

    FileMgr& m_files;
    UserPrompt& m_prompt;
    ProfileEditor m_editor;
    NameAsker m_askName;
    NewProfileAsker m_askNew;
    ActionAsker m_askAction;

    QComboBox* m_profiles;
    QRadioButton* m_byEvent;
    QRadioButton* m_byKey;
    QListView* m_list;
    QStringListModel* m_listModel;
    QTableView* m_grid;
    ProfileGridModel* m_gridModel;
    QComboBox* m_playerName;
    QComboBox* m_teamName;
    QComboBox* m_perPage;
    QPushButton* m_close;
    QPushButton* m_rename;
    QPushButton* m_save;
    QPushButton* m_saveAs;
    QPushButton* m_new;
};
