#include "dlgrodeonew.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/season/dlgseasonnew.h"
#include "ui/rodeoactivator.h"
#include "waitcursor.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

CDlgRodeoNew::CDlgRodeoNew(CDatabaseManager& db, FileMgr& files, UserPrompt& prompt,
                           RodeoActivator& activator, const QString& season, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt), m_activator(activator)
{
    setWindowTitle(QStringLiteral("New Rodeo"));
    m_runForm = [this, &files](const SeasonInfo& initial) {
        return CDlgSeasonNew::run(files, m_prompt, initial, this);
    };

    auto* header =
        new HeaderPanel(QStringLiteral("Create Rodeo"), QStringLiteral("Create a new rodeo."), this);
    header->setObjectName(QStringLiteral("header"));

    m_season = new QComboBox(this);
    m_season->setObjectName(QStringLiteral("season"));
    m_season->setMinimumContentsLength(30);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(MaxNameLength);
    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("date"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    m_profile = new QComboBox(this);
    m_profile->setObjectName(QStringLiteral("profile"));

    auto makeButton = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_saveOpen = makeButton(QStringLiteral("Save / Open"), "saveOpen");
    m_saveOpen->setDefault(true);
    m_save = makeButton(QStringLiteral("Save"), "save");
    m_newSeason = makeButton(QStringLiteral("New Season..."), "newSeason");
    m_close = makeButton(QStringLiteral("Close"), "close");

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("S&eason:"), m_season);
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("Start &Date:"), m_date);
    form->addRow(QStringLiteral("Display &Profile:"), m_profile);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_saveOpen);
    buttons->addWidget(m_save);
    buttons->addWidget(m_newSeason);
    buttons->addStretch(1);
    buttons->addWidget(m_close);

    header->arrangeWithButtonColumn(this, form, buttons);

    setTabOrder(m_season, m_name);
    setTabOrder(m_name, m_date);
    setTabOrder(m_date, m_profile);
    setTabOrder(m_profile, m_saveOpen);
    setTabOrder(m_saveOpen, m_save);
    setTabOrder(m_save, m_newSeason);
    setTabOrder(m_newSeason, m_close);

    SeasonActions::fillCombo(m_profile, files.GetProfileNames());
    fillSeasons(season);

    connect(m_season, &QComboBox::activated, this, &CDlgRodeoNew::onSeasonChosen);
    connect(m_saveOpen, &QPushButton::clicked, this, &CDlgRodeoNew::onSaveOpen);
    connect(m_save, &QPushButton::clicked, this, &CDlgRodeoNew::onSave);
    connect(m_newSeason, &QPushButton::clicked, this, &CDlgRodeoNew::onNewSeason);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumWidth(500);
    m_name->setFocus();
}

void CDlgRodeoNew::fillSeasons(const QString& select)
{
    SeasonActions::fillCombo(m_season, SeasonActions::seasons(m_db));
    int index =
        select.isEmpty() ? -1 : m_season->findText(select, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0 && m_season->count() > 0)
        index = 0;
    m_season->setCurrentIndex(index);
    onSeasonChosen();
}

void CDlgRodeoNew::onSeasonChosen()
{
    // A new rodeo proposes its season's display profile.
    SeasonInfo info;
    int index = -1;
    const QString season = m_season->currentText();
    if (!season.isEmpty() && m_db.GetSeason(season, info) && !info.profile.isEmpty())
        index = m_profile->findText(info.profile, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0 && m_profile->count() > 0)
        index = 0;
    m_profile->setCurrentIndex(index);
}

QString CDlgRodeoNew::dateText() const
{
    return QLocale::system().toString(m_date->date(), QLocale::ShortFormat);
}

bool CDlgRodeoNew::save()
{
    const QString season = m_season->currentText();
    const QString name = m_name->text();
    const QString profile = m_profile->currentText();
    if (season.isEmpty()) {
        m_prompt.inform(QStringLiteral("Please Select A Season!"));
        m_season->setFocus();
        return false;
    }
    if (name.isEmpty()) {
        m_prompt.inform(QStringLiteral("Please Enter A Rodeo Name!"));
        m_name->setFocus();
        return false;
    }
    if (m_db.RodeoExists(season, name)) {
        m_prompt.inform(QStringLiteral("The rodeo already exists!"));
        m_name->setFocus();
        return false;
    }
    if (profile.isEmpty()) {
        m_prompt.inform(QStringLiteral("Please Select A Profile!"));
        m_profile->setFocus();
        return false;
    }
    if (!m_db.CreateRodeo(season, name, dateText(), profile)) {
        m_prompt.inform(QStringLiteral("Save Rodeo To Database Failed!"));
        return false;
    }
    return true;
}

void CDlgRodeoNew::onSave()
{
    if (!save())
        return;
    m_name->clear();
    m_name->setFocus();
}

void CDlgRodeoNew::onSaveOpen()
{
    if (!save())
        return;
    bool opened = false;
    {
        WaitCursor wait;
        opened = m_activator.ActivateRodeo(m_season->currentText(), m_name->text());
    }
    if (opened)
        accept();
    else
        m_prompt.inform(QStringLiteral("Open Rodeo Failed!"));
}

void CDlgRodeoNew::onNewSeason()
{
    const auto values = m_runForm(SeasonInfo());
    if (values && SeasonActions::createSeason(m_db, m_prompt, *values))
        fillSeasons(values->name);
}
