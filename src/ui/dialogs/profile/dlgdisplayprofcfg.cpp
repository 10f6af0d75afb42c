#include "dlgdisplayprofcfg.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "dlgdisplyprofrtdoptions.h"
#include "dlgnewprofile.h"
#include "framework/dialogunits.h"
#include "framework/headerpanel.h"
#include "profilegrid.h"
#include "ui/dialogs/input/dlgsingleinput.h"
#include "ui/dialogs/season/seasonactions.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kModified = QStringLiteral("The profile has been modified. Do you want save the change?");
const QString kSaveFailed = QStringLiteral("Saving the profile failed!");
const QString kSameName = QStringLiteral("There is one profile with the same name in the system!");

QString refusalOf(const QString& name)
{
    return ProfileEditor::isValidName(name) ? QString() : ProfileEditor::invalidNameMessage();
}

} // namespace

CDlgDisplayProfCfg::CDlgDisplayProfCfg(FileMgr& files, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_files(files), m_prompt(prompt), m_editor(files)
{
    setWindowTitle(QStringLiteral("Display Button Configuration"));
    auto* header = new HeaderPanel(
        QStringLiteral("Profile Configuration"),
        QStringLiteral("This dialog will guide you to create new, update, save, or rename a profile."), this);
    header->setObjectName(QStringLiteral("header"));

    m_askName = [this](NameQuestion question) -> std::optional<QString> {
        const bool saveAs = question == NameQuestion::SaveAs;
        const QString description = saveAs ? QStringLiteral("Please select or enter the profile name.")
                                           : QStringLiteral("Please enter the new profile name.");
        std::unique_ptr<CDlgSingleInput> box;
        if (saveAs) {
            box = std::make_unique<CDlgSingleInput>(m_files, m_prompt, description,
                                                    QStringLiteral("Profile Name:"),
                                                    m_files.GetProfileNames(), this);
            box->setChoicesEditable(true);
        } else {
            box = std::make_unique<CDlgSingleInput>(m_files, m_prompt, description,
                                                    QStringLiteral("Profile Name:"), this);
        }
        box->setCheck(refusalOf);
        if (box->exec() != QDialog::Accepted)
            return std::nullopt;
        return box->text();
    };
    m_askNew = [this]() -> std::optional<NewProfile> {
        CDlgNewProfile dlg(m_files.GetProfileNames(), m_prompt, this);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return NewProfile{dlg.name(), dlg.start()};
    };
    m_askAction = [this](const ProfileAction& action, bool exists) -> std::optional<ProfileAction> {
        CDlgDisplyProfRTDOptions dlg(action, this);
        // OK on an action the button lacks makes it with what is shown.
        if (dlg.exec() != QDialog::Accepted || (exists && !dlg.changed()))
            return std::nullopt;
        return dlg.values();
    };

    // --- controls ----------------------------------------------------------------
    m_profiles = new QComboBox(this);
    m_profiles->setObjectName(QStringLiteral("profiles"));
    m_profiles->setMinimumContentsLength(24);
    m_byEvent = new QRadioButton(QStringLiteral("By &Event"), this);
    m_byEvent->setObjectName(QStringLiteral("byEvent"));
    m_byKey = new QRadioButton(QStringLiteral("By &Function Key"), this);
    m_byKey->setObjectName(QStringLiteral("byKey"));
    auto* arrangement = new QButtonGroup(this);
    arrangement->addButton(m_byEvent);
    arrangement->addButton(m_byKey);

    auto makeChoice = [this](const char* name, ProfileEditor::Setting setting) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString::fromLatin1(name));
        combo->addItems(ProfileEditor::choices(setting));
        return combo;
    };
    m_playerName = makeChoice("playerName", ProfileEditor::Setting::Display);
    m_teamName = makeChoice("teamName", ProfileEditor::Setting::TeamDisplay);
    m_perPage = makeChoice("perPage", ProfileEditor::Setting::Paging);

    m_listModel = new QStringListModel(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_listModel);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedWidth(DialogUnits::toPixelsX(this, 80));

    m_gridModel = new ProfileGridModel(m_editor, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_grid->setModel(m_gridModel);
    m_grid->setItemDelegate(new ProfileCellDelegate(m_grid));
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    int widths[ProfileEditor::ColumnCount];
    for (int c = 0; c < ProfileEditor::ColumnCount; ++c)
        widths[c] = ProfileEditor::columnWidth(c);
    DialogUnits::setColumnWidths(m_grid, widths, ProfileEditor::ColumnCount);
    // The first column holds events too ("Tie Down Roping"): never narrower than they are.
    const QFontMetrics metrics(m_grid->font());
    int widest = 0;
    for (const auto mode : {ProfileEditor::Mode::ByEvent, ProfileEditor::Mode::ByKey})
        for (const QString& label : ProfileEditor::listItems(mode))
            widest = qMax(widest, metrics.horizontalAdvance(label));
    m_grid->setColumnWidth(ProfileEditor::KeyColumn, qMax(m_grid->columnWidth(ProfileEditor::KeyColumn),
                                                          widest + 3 * metrics.averageCharWidth()));

    auto makeButton = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_close = makeButton(QStringLiteral("Close"), "close");
    m_rename = makeButton(QStringLiteral("&Rename..."), "rename");
    m_save = makeButton(QStringLiteral("&Save"), "save");
    m_saveAs = makeButton(QStringLiteral("Save &As..."), "saveAs");
    m_new = makeButton(QStringLiteral("&New..."), "new");

    // --- layout --------------------------------------------------------------------
    auto* profileForm = new QFormLayout;
    profileForm->addRow(QStringLiteral("Display &Profile:"), m_profiles);
    auto* radios = new QHBoxLayout;
    radios->addWidget(m_byEvent);
    radios->addWidget(m_byKey);
    radios->addStretch(1);
    profileForm->addRow(radios);
    auto* settingsForm = new QFormLayout;
    settingsForm->addRow(QStringLiteral("&Contestant Display Name:"), m_playerName);
    settingsForm->addRow(QStringLiteral("&Team Display Name:"), m_teamName);
    settingsForm->addRow(QStringLiteral("Number of Pa&ge:"), m_perPage);
    auto* top = new QHBoxLayout;
    top->addLayout(profileForm);
    top->addSpacing(DialogUnits::toPixelsX(this, 20));
    top->addLayout(settingsForm);
    top->addStretch(1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_list);
    lists->addWidget(m_grid, 1);
    auto* content = new QVBoxLayout;
    content->addLayout(top);
    content->addLayout(lists, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_close);
    buttons->addWidget(m_rename);
    buttons->addWidget(m_save);
    buttons->addWidget(m_saveAs);
    buttons->addWidget(m_new);
    buttons->addStretch(1);
    header->arrangeWithButtonColumn(this, content, buttons);

    // --- behaviour -------------------------------------------------------------------
    connect(m_profiles, &QComboBox::currentIndexChanged, this, &CDlgDisplayProfCfg::onProfileChosen);
    connect(m_byEvent, &QRadioButton::toggled, this, &CDlgDisplayProfCfg::onModeChosen);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CDlgDisplayProfCfg::onListItemChosen);
    connect(m_playerName, &QComboBox::currentIndexChanged, this,
            [this] { onSettingChosen(ProfileEditor::Setting::Display, m_playerName); });
    connect(m_teamName, &QComboBox::currentIndexChanged, this,
            [this] { onSettingChosen(ProfileEditor::Setting::TeamDisplay, m_teamName); });
    connect(m_perPage, &QComboBox::currentIndexChanged, this,
            [this] { onSettingChosen(ProfileEditor::Setting::Paging, m_perPage); });
    connect(m_gridModel, &ProfileGridModel::edited, this, &CDlgDisplayProfCfg::updateButtons);
    connect(m_grid, &QTableView::customContextMenuRequested, this, &CDlgDisplayProfCfg::showGridMenu);
    connect(m_close, &QPushButton::clicked, this, &CDlgDisplayProfCfg::reject);
    connect(m_rename, &QPushButton::clicked, this, &CDlgDisplayProfCfg::renameProfile);
    connect(m_save, &QPushButton::clicked, this, &CDlgDisplayProfCfg::saveProfile);
    connect(m_saveAs, &QPushButton::clicked, this, &CDlgDisplayProfCfg::saveProfileAs);
    connect(m_new, &QPushButton::clicked, this, &CDlgDisplayProfCfg::newProfile);

    // Opening: the profiles, "By Event", the first profile.
    m_byEvent->setChecked(true);
    fillProfiles(QString());
    // Wide enough to show a button's Result action beside its settings.
    resize(DialogUnits::toPixelsX(this, 760), DialogUnits::toPixelsY(this, 300));
}

CDlgDisplayProfCfg::~CDlgDisplayProfCfg()
{
    // The grid's model reads the editor, which goes before the widgets do:
    // the widgets are hidden and let go of the model while it is still there.
    hide();
    m_grid->setModel(nullptr);
}

// --- profiles -----------------------------------------------------------------------------

void CDlgDisplayProfCfg::fillProfiles(const QString& select)
{
    {
        const QSignalBlocker block(m_profiles);
        m_profiles->clear();
        m_profiles->addItems(SeasonActions::sorted(m_files.GetProfileNames()));
        const int at = m_profiles->findText(select, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        m_profiles->setCurrentIndex(at >= 0 ? at : (m_profiles->count() > 0 ? 0 : -1));
    }
    // The profile named is open already after a write; any other is loaded.
    if (!m_editor.isOpen() || m_profiles->currentText() != m_editor.name())
        openProfile(m_profiles->currentText());
    else
        showSettings();
}

void CDlgDisplayProfCfg::onProfileChosen()
{
    const QString name = m_profiles->currentText();
    if (m_editor.isOpen() && name == m_editor.name())
        return;
    if (!offerToSave()) {
        // The changes stay open: the choice goes back to their profile.
        const QSignalBlocker block(m_profiles);
        m_profiles->setCurrentIndex(
            m_profiles->findText(m_editor.name(), Qt::MatchFixedString | Qt::MatchCaseSensitive));
        return;
    }
    openProfile(name);
}

bool CDlgDisplayProfCfg::openProfile(const QString& name)
{
    bool opened = false;
    if (name.isEmpty()) {
        m_editor.close();
    } else {
        opened = m_editor.load(name);
        if (!opened)
            m_prompt.warn(
                QStringLiteral("The display profile \"%1\" could not be read and is not opened.\n\nFile: "
                               "%2\nError: %3")
                    .arg(name, m_files.profilePath(name), m_editor.lastError()));
    }
    m_gridModel->reload();
    showSettings();
    return opened;
}

// --- the arrangement and the list ----------------------------------------------------------

void CDlgDisplayProfCfg::onModeChosen()
{
    const auto mode = m_byEvent->isChecked() ? ProfileEditor::Mode::ByEvent : ProfileEditor::Mode::ByKey;
    m_listModel->setStringList(ProfileEditor::listItems(mode));
    m_gridModel->showItem(mode, -1);
    m_list->setCurrentIndex(m_listModel->index(0));
}

void CDlgDisplayProfCfg::onListItemChosen()
{
    m_gridModel->showItem(m_gridModel->mode(), m_list->currentIndex().row());
}

// --- settings ------------------------------------------------------------------------------

void CDlgDisplayProfCfg::showSettings()
{
    const std::pair<ProfileEditor::Setting, QComboBox*> settings[] = {
        {ProfileEditor::Setting::Display, m_playerName},
        {ProfileEditor::Setting::TeamDisplay, m_teamName},
        {ProfileEditor::Setting::Paging, m_perPage},
    };
    for (const auto& [setting, combo] : settings) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(
            combo->findText(m_editor.setting(setting), Qt::MatchFixedString | Qt::MatchCaseSensitive));
        combo->setEnabled(m_editor.isOpen());
    }
    updateButtons();
}

void CDlgDisplayProfCfg::onSettingChosen(ProfileEditor::Setting setting, QComboBox* combo)
{
    if (!m_editor.setSetting(setting, combo->currentText()))
        showSettings(); // the choice shows what the profile holds
    updateButtons();
}

void CDlgDisplayProfCfg::updateButtons()
{
    const bool open = m_editor.isOpen();
    m_save->setEnabled(open && m_editor.isModified());
    m_saveAs->setEnabled(open);
    m_rename->setEnabled(open);
    m_grid->setEnabled(open);
}

// --- the buttons -----------------------------------------------------------------------------

bool CDlgDisplayProfCfg::offerToSave()
{
    if (!m_editor.isOpen() || !m_editor.isModified() || !m_prompt.askYesNo(kModified))
        return true;
    return saveProfile();
}

bool CDlgDisplayProfCfg::saveProfile()
{
    const bool saved = m_editor.save() == ProfileEditor::Outcome::Done;
    if (!saved)
        m_prompt.warn(kSaveFailed);
    updateButtons();
    return saved;
}

void CDlgDisplayProfCfg::saveProfileAs()
{
    if (!m_editor.isOpen())
        return;
    const std::optional<QString> name = m_askName(NameQuestion::SaveAs);
    if (!name)
        return;
    // Choosing a profile that is there means saving over it: asked once more.
    if (*name != m_editor.name() && m_files.GetProfileNames().contains(*name) &&
        !m_prompt.askYesNo(
            QStringLiteral("The profile \"%1\" exists already. Do you want to replace it?").arg(*name)))
        return;
    switch (m_editor.saveAs(*name)) {
    case ProfileEditor::Outcome::Done:
        fillProfiles(*name);
        return;
    case ProfileEditor::Outcome::BadName:
        m_prompt.warn(ProfileEditor::invalidNameMessage());
        return;
    case ProfileEditor::Outcome::NameTaken:
        m_prompt.warn(kSameName);
        return;
    default:
        m_prompt.warn(kSaveFailed);
        return;
    }
}

void CDlgDisplayProfCfg::renameProfile()
{
    if (!m_editor.isOpen())
        return;
    const QString oldName = m_editor.name();
    const std::optional<QString> name = m_askName(NameQuestion::Rename);
    if (!name)
        return;
    switch (m_editor.rename(*name)) {
    case ProfileEditor::Outcome::Done:
        fillProfiles(*name);
        return;
    case ProfileEditor::Outcome::OldNotRemoved:
        fillProfiles(*name);
        m_prompt.warn(QStringLiteral("The profile was saved as \"%1\", but \"%2\" could not be removed: %3")
                          .arg(*name, m_files.profilePath(oldName), m_editor.lastError()));
        return;
    case ProfileEditor::Outcome::BadName:
        m_prompt.warn(ProfileEditor::invalidNameMessage());
        return;
    case ProfileEditor::Outcome::NameTaken:
        m_prompt.warn(kSameName);
        return;
    default:
        m_prompt.warn(kSaveFailed);
        return;
    }
}

void CDlgDisplayProfCfg::newProfile()
{
    if (!offerToSave())
        return;
    const std::optional<NewProfile> wanted = m_askNew();
    if (!wanted)
        return;
    switch (m_editor.createNew(wanted->name, wanted->start)) {
    case ProfileEditor::Outcome::Done:
        fillProfiles(wanted->name);
        m_gridModel->reload();
        return;
    case ProfileEditor::Outcome::BadName:
        m_prompt.warn(ProfileEditor::invalidNameMessage());
        return;
    case ProfileEditor::Outcome::NameTaken:
        m_prompt.warn(kSameName);
        return;
    default:
        m_prompt.warn(QStringLiteral("Creating new profile failed!"));
        return;
    }
}

void CDlgDisplayProfCfg::reject()
{
    if (!offerToSave())
        return; // the changes could not be saved: they stay open
    QDialog::reject();
}

// --- actions ----------------------------------------------------------------------------------

void CDlgDisplayProfCfg::showGridMenu(const QPoint& pos)
{
    const QModelIndex index = m_grid->indexAt(pos);
    if (!index.isValid() ||
        (index.column() != ProfileEditor::ResultColumn && index.column() != ProfileEditor::TimerColumn))
        return;
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Configure...")), &QAction::triggered, this,
            [this, index] { configureAction(index); });
    menu.exec(m_grid->viewport()->mapToGlobal(pos));
}

void CDlgDisplayProfCfg::configureAction(const QModelIndex& index)
{
    if (!m_editor.isOpen() || !index.isValid())
        return;
    ProfileEditor::ActionKind kind;
    if (index.column() == ProfileEditor::ResultColumn)
        kind = ProfileEditor::ActionKind::Result;
    else if (index.column() == ProfileEditor::TimerColumn)
        kind = ProfileEditor::ActionKind::Timer;
    else
        return;
    const ProfileEditor::Cell cell = m_gridModel->cellOf(index);
    const std::optional<ProfileAction> values =
        m_askAction(m_editor.action(cell, kind), m_editor.hasAction(cell, kind));
    if (!values)
        return;
    if (!m_editor.setAction(cell, kind, *values))
        m_prompt.warn(QStringLiteral("The action could not be changed."));
    m_gridModel->refreshRow(index.row());
    updateButtons();
}
