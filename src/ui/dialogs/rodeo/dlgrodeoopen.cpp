#include "dlgrodeoopen.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/season/seasonactions.h"
#include "ui/rodeoactivator.h"
#include "waitcursor.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CDlgRodeoOpen::CDlgRodeoOpen(CDatabaseManager& db, UserPrompt& prompt, RodeoActivator& activator, Mode mode,
                             const QString& season, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt), m_activator(activator), m_mode(mode)
{
    const bool deleting = mode == Mode::Delete;
    setWindowTitle(deleting ? QStringLiteral("Delete Rodeo") : QStringLiteral("Open Rodeo"));
    auto* header = deleting ? new HeaderPanel(QStringLiteral("Delete Rodeo"),
                                              QStringLiteral("Set the season and rodeo to delete."), this)
                            : new HeaderPanel(QStringLiteral("Open Rodeo"),
                                              QStringLiteral("Set the season and rodeo to open."), this);
    header->setObjectName(QStringLiteral("header"));

    m_season = new QComboBox(this);
    m_season->setObjectName(QStringLiteral("season"));
    m_rodeo = new QComboBox(this);
    m_rodeo->setObjectName(QStringLiteral("rodeo"));
    // Wide enough for the longest names the other dialogs let through.
    m_season->setMinimumContentsLength(30);
    m_rodeo->setMinimumContentsLength(30);

    m_first = new QPushButton(deleting ? QStringLiteral("&Delete") : QStringLiteral("&Open"), this);
    m_first->setObjectName(QStringLiteral("first"));
    m_first->setDefault(!deleting); // a deletion is never one Enter away
    m_first->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("&Season:"), m_season);
    form->addRow(QStringLiteral("&Rodeo:"), m_rodeo);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_first);
    buttons->addWidget(m_close);
    buttons->addStretch(1);

    header->arrangeWithButtonColumn(this, form, buttons);

    setTabOrder(m_season, m_rodeo);
    setTabOrder(m_rodeo, m_first);
    setTabOrder(m_first, m_close);

    SeasonActions::fillCombo(m_season, SeasonActions::seasons(m_db));
    int index =
        season.isEmpty() ? -1 : m_season->findText(season, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0 && m_season->count() > 0)
        index = 0;
    m_season->setCurrentIndex(index);
    fillRodeos();

    connect(m_season, &QComboBox::currentTextChanged, this, &CDlgRodeoOpen::onSeasonChosen);
    connect(m_first, &QPushButton::clicked, this, &CDlgRodeoOpen::onFirstButton);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumWidth(460);
    m_season->setFocus();
}

QString CDlgRodeoOpen::selectedSeason() const
{
    return m_season->currentText();
}

QString CDlgRodeoOpen::selectedRodeo() const
{
    return m_rodeo->currentText();
}

void CDlgRodeoOpen::onSeasonChosen()
{
    if (m_season->currentText() != m_lastSeason)
        fillRodeos();
}

void CDlgRodeoOpen::fillRodeos()
{
    m_lastSeason = m_season->currentText();
    QStringList rodeos;
    if (!m_lastSeason.isEmpty())
        m_db.GetRodeos(m_lastSeason, rodeos);
    SeasonActions::fillCombo(m_rodeo, rodeos);
    m_rodeo->setCurrentIndex(m_rodeo->count() > 0 ? 0 : -1);
}

void CDlgRodeoOpen::onFirstButton()
{
    const QString season = selectedSeason();
    const QString rodeo = selectedRodeo();
    if (season.isEmpty() || rodeo.isEmpty())
        return;
    if (m_mode == Mode::Open)
        openRodeo(season, rodeo);
    else
        deleteRodeo(season, rodeo);
}

void CDlgRodeoOpen::openRodeo(const QString& season, const QString& rodeo)
{
    bool opened = false;
    {
        WaitCursor wait;
        opened = m_activator.ActivateRodeo(season, rodeo);
    }
    if (opened)
        accept();
    else
        m_prompt.inform(QStringLiteral("Open Rodeo Failed!"));
}

void CDlgRodeoOpen::deleteRodeo(const QString& season, const QString& rodeo)
{
    if (m_db.isRodeoOpen() && season == m_db.GetSeasonName() && rodeo == m_db.GetRodeoName()) {
        m_prompt.inform(QStringLiteral("The rodeo is currently opened, Deletion is denied!"));
        return;
    }
    if (!m_prompt.askYesNo(QStringLiteral("Are you sure to delete rodeo %1?").arg(rodeo)))
        return;
    bool deleted = false;
    {
        WaitCursor wait;
        deleted = m_db.DeleteRodeo(season, rodeo);
    }
    if (deleted)
        fillRodeos();
    else
        m_prompt.inform(QStringLiteral("Delete Rodeo Failed!"));
}
