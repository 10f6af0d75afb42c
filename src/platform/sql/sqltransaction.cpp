#include "sqltransaction.h"

#include "sqlconnection.h"

SqlTransaction::SqlTransaction(SqlConnection& connection) : m_conn(connection)
{
    m_generation = m_conn.generation();
    m_level = m_conn.beginTransaction();
    m_active = m_level > 0;
}

SqlTransaction::~SqlTransaction()
{
    rollback();
}

bool SqlTransaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_conn.commitTransaction(m_level, m_generation);
}

void SqlTransaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_conn.rollbackTransaction(m_level, m_generation);
}
