#pragma once

#include "db/resolver.h"

#include <QDialog>

class QCheckBox;
class QStandardItemModel;

// "Resolve contestants": the arriving contestant beside the existing one of
// the same name, and the decision: "Replace", "Merge", "Leave" or "Add New",
// with "Apply to all the items". Shows the one existing contestant the
// database manager asks about.
class CDlgContestantResolver : public QDialog
{
    Q_OBJECT
public:
    CDlgContestantResolver(const ContestantRec& arriving, const ContestantRec& existing,
                           QWidget* parent = nullptr);

    // 0 when the dialog was closed without a decision.
    int decision() const { return m_decision; }
    bool applyToAll() const;

private:
    int m_decision = 0;
    QCheckBox* m_all = nullptr;
};

// The database manager's resolution questions answered with dialogs. In
// automated runs of the whole program (SCORVANE_PROMPTS=stderr) each question
// is written to standard error and answered "Leave" (keep what the season
// has) or "No" (use the existing team), which never loses a row.
class ResolutionDialogs : public ResolutionPrompts
{
public:
    explicit ResolutionDialogs(QWidget* parent) : m_parent(parent) {}

    std::optional<ContestantChoice> resolveContestant(const ContestantRec& arriving,
                                                      const ContestantRec& existing) override;
    int sameTeamFound(const TeamRec& team, bool& applyToAll) override;

private:
    QWidget* m_parent;
};
