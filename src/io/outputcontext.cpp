#include "outputcontext.h"

#include "db/databasemanager.h"

bool OutputContext::hasCurrentRunPerformance() const
{
    const CDatabaseManager* db = database();
    return db && db->isRodeoOpen() && db->GetEvent(db->curEntry().eventId) != nullptr;
}
