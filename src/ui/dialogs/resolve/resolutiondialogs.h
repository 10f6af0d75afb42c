#pragma once

#include "db/resolver.h"

#include <QDialog>

class QCheckBox;
class QStandardItemModel;

class QTableView;

// "Resolve contestants": the arriving contestant beside every contestant of
// the season with the same name (a column each, "Contestant %d"), and the
// decision: "Replace", "Merge", "Leave" or "Add New", with "Apply to all the
// items". "Replace" and "Merge" act on the contestant whose column is chosen;
// with one existing contestant that one is taken.
class CDlgContestantResolver : public QDialog
{
    Q_OBJECT
public:
    CDlgContestantResolver(const ContestantRec& arriving, const QVector<ContestantRec>& existing,
                           QWidget* parent = nullptr);

    // 0 when the dialog was closed without a decision.
    int decision() const { return m_decision; }
    bool applyToAll() const;
    // The existing contestant chosen (the only one when there is one).
    ContestantRec chosen() const;
    QTableView* existingList() const { return m_existingList; }
    void choose(int decision);

private:
    int chosenColumn() const;

    int m_decision = 0;
    QVector<ContestantRec> m_existing;
    QCheckBox* m_all = nullptr;
    QTableView* m_existingList = nullptr;
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
    std::optional<ContestantChoice> resolveContestantAmong(const ContestantRec& arriving,
                                                           const QVector<ContestantRec>& existing) override;
    int sameTeamFound(const TeamRec& team, bool& applyToAll) override;

private:
    QWidget* m_parent;
};
