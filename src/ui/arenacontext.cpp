#include "arenacontext.h"

#include "app/filemgr.h"
#include "db/databasemanager.h"

DisplayProfileSettings ArenaContext::currentProfile() const
{
    return m_files.curProfileSettings();
}

bool ArenaContext::displayCompetitor(EntryKey key)
{
    RegEntry entry = m_db.curEntry();
    entry.ptId = entryKeyId(key);
    entry.plrEnt = static_cast<quint16>(key == 0 ? 1 : entryKeyNumber(key));
    if (!m_select(entry))
        return false;
    m_displayed = key;
    return true;
}
