#pragma once

#include "io/outputcontext.h"

#include <functional>

class FileMgr;
struct RegEntry;

// What the arena outputs read from the scoring table: the season and its
// run-performance state, the current display profile, and the competitors a
// display button chose to show and to announce. The main window owns it and
// hands it to the output manager when communications start.
class ArenaContext final : public OutputContext
{
public:
    using SelectCompetition = std::function<bool(const RegEntry&)>;

    ArenaContext(CDatabaseManager& db, FileMgr& files, SelectCompetition select)
        : m_db(db), m_files(files), m_select(std::move(select))
    {
    }

    CDatabaseManager* database() const override { return &m_db; }
    bool leadersFlag(int index) const override { return index >= 0 && index < 2 && m_leadersFlags[index]; }
    DisplayProfileSettings currentProfile() const override;
    // The current entry keeps its event, go-round and performance and takes
    // the competitor; the displays then show him.
    bool displayCompetitor(EntryKey key) override;
    void setAnnouncerCompetitor(EntryKey key) override { m_announced = key; }

    EntryKey displayedCompetitor() const { return m_displayed; }
    EntryKey announcedCompetitor() const { return m_announced; }
    // A released contestant is shown by nobody.
    void clearDisplayed() { m_displayed = 0; }

private:
    CDatabaseManager& m_db;
    FileMgr& m_files;
    SelectCompetition m_select;
    bool m_leadersFlags[2] = {false, false};
    EntryKey m_displayed = 0;
    EntryKey m_announced = 0;
};
