#pragma once

#include "db/resolver.h"

#include <QString>

class QWidget;

// "Resolve Performance Entry": asks what to do with a competitor entered in an
// event he is entered in already (replace one of his entries, leave it, add a
// new entry), with a dialog shown for each question.
class CDlgRegResolver : public PerformanceEntryPrompt
{
public:
    explicit CDlgRegResolver(bool team, QWidget* parent = nullptr) : m_team(team), m_parent(parent) {}
    Choice resolvePerformanceEntry(const RegEntry& arriving, const QVector<RegEntry>& existing) override;

    // The dialog's text for a number of existing entries.
    static QString text(int existing);

private:
    bool m_team;
    QWidget* m_parent;
};
