#include "dlgseasonnew.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"
#include "seasonactions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kIllegalChars = QStringLiteral("\\/:*?<>|\"");

// Selects the item with exactly this text; an empty text selects the first
// item, and a text the list does not hold leaves nothing selected.
void selectOrFirst(QComboBox* combo, const QString& text)
{
    if (text.isEmpty()) {
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
        return;
    }
    combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

} // namespace

CDlgSeasonNew::CDlgSeasonNew(FileMgr& files, UserPrompt& prompt, const SeasonInfo& initial, QWidget* parent)
    : QDialog(parent), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("New Season"));

    const bool editing = !initial.name.isEmpty() || !initial.profile.isEmpty() || !initial.rule.isEmpty();
    m_header =
        editing
            ? new HeaderPanel(QStringLiteral("Edit An Existing Season"),
                              QStringLiteral("Update the title, the display profile, and/or the rule of the "
                                             "season. Note: A season name cannot contain the following "
                                             "characters: \\ / : * ? \" < > |"),
                              this)
            : new HeaderPanel(QStringLiteral("Create New Season"),
                              QStringLiteral("Give a title, a display profile, and a rule for the season. "
                                             "Note: A season name cannot contain the following characters: "
                                             "\\ / : * ? \" < > |"),
                              this);
    m_header->setObjectName(QStringLiteral("header"));

    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setMaxLength(MaxTitleLength);
    m_title->setText(initial.name.left(MaxTitleLength));

    m_profile = new QComboBox(this);
    m_profile->setObjectName(QStringLiteral("profile"));
    SeasonActions::fillCombo(m_profile, files.GetProfileNames());
    selectOrFirst(m_profile, initial.profile);

    m_rule = new QComboBox(this);
    m_rule->setObjectName(QStringLiteral("rule"));
    QStringList rules;
    FileMgr::GetRules(rules);
    SeasonActions::fillCombo(m_rule, rules);
    selectOrFirst(m_rule, initial.rule);

    // Connected after the initial text is in: a stored name is not re-checked.
    connect(m_title, &QLineEdit::textChanged, this, &CDlgSeasonNew::onTitleChanged);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("&Title:"), m_title);
    form->addRow(QStringLiteral("Display &Profile:"), m_profile);
    form->addRow(QStringLiteral("&Rule:"), m_rule);
    form->setContentsMargins(12, 12, 12, 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    buttons->setContentsMargins(12, 0, 12, 12);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSeasonNew::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_header);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(buttons);

    setMinimumWidth(540);
    m_title->setFocus();
}

bool CDlgSeasonNew::isIllegalChar(QChar c)
{
    // Control characters cannot be typed but can be pasted; they are no more
    // usable in a folder name than the listed characters.
    return kIllegalChars.contains(c) || c.unicode() < 0x20;
}

void CDlgSeasonNew::onTitleChanged(const QString& text)
{
    const auto bad = std::find_if(text.cbegin(), text.cend(), &CDlgSeasonNew::isIllegalChar);
    if (bad == text.cend())
        return;
    m_prompt.inform(QStringLiteral("The title includes illegal character, truncated!"));
    m_title->setText(text.left(bad - text.cbegin()));
    m_title->setFocus();
}

void CDlgSeasonNew::onOk()
{
    // An empty title is the caller's to refuse (with the other missing values);
    // a title that cannot be a folder name is refused here, where it can be fixed.
    const QString name = m_title->text();
    if (!name.isEmpty() && !CDatabaseManager::IsValidSeasonName(name)) {
        m_prompt.inform(SeasonActions::invalidNameMessage());
        m_title->setFocus();
        return;
    }
    accept();
}

SeasonInfo CDlgSeasonNew::values() const
{
    SeasonInfo v;
    v.name = m_title->text();
    v.profile = m_profile->currentText();
    v.rule = m_rule->currentText();
    return v;
}

std::optional<SeasonInfo> CDlgSeasonNew::run(FileMgr& files, UserPrompt& prompt, const SeasonInfo& initial,
                                             QWidget* parent)
{
    CDlgSeasonNew form(files, prompt, initial, parent);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.values();
}
