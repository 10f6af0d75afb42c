#pragma once

#include "db/records.h"

#include <QDialog>
#include <optional>

class FileMgr;
class HeaderPanel;
class QComboBox;
class QLineEdit;
class UserPrompt;

// The season form ("New Season"): a season's title, display profile and rule.
// Opened empty it creates a season, opened with values it edits one. The form
// only collects the values; its caller creates or renames the season.
class CDlgSeasonNew : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxTitleLength = 50;

    CDlgSeasonNew(FileMgr& files, UserPrompt& prompt, const SeasonInfo& initial = SeasonInfo(),
                  QWidget* parent = nullptr);

    // The values as the form holds them now (what OK returns).
    SeasonInfo values() const;

    // Runs the form modally; the values on OK, nothing on Cancel.
    static std::optional<SeasonInfo> run(FileMgr& files, UserPrompt& prompt, const SeasonInfo& initial,
                                         QWidget* parent);

    // The characters a season name may not hold.
    static bool isIllegalChar(QChar c);

private:
    void onTitleChanged(const QString& text);
    void onOk();

    UserPrompt& m_prompt;
    HeaderPanel* m_header;
    QLineEdit* m_title;
    QComboBox* m_profile;
    QComboBox* m_rule;
};
