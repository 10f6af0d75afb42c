#pragma once

#include "records.h"

#include <QString>

class SqlRecordset;
class SqlRow;

// The condition that a row of Scores or Times holds a result (the columns
// that hold one, per table), in parentheses.
QString resultCondition(const QString& table);

// Between table rows and the in-memory records: readers of the current row of
// a record set, and writers of an editable row's fields.
EventCfg eventFromRow(const SqlRecordset& rs);
RegEntry entryFromRow(const SqlRecordset& rs);
// The columns entryFromRow reads, for a SELECT list: a read of many entry
// rows asks for these only, not for the results beside them.
QString entryColumns();
ContestantRec contestantFromRow(const SqlRecordset& rs);

// The same readers for a loop over many rows: the columns are found once,
// when the reader is made, and each row is read by position. Row is a record
// set (its current row) or the row SqlConnection::forEachRow stands on.
template <typename Row>
class EntryRowReader
{
public:
    explicit EntryRowReader(const Row& row);
    RegEntry read() const; // the current row

private:
    const Row& m_row;
    int m_evId, m_ptId, m_goId, m_perfId, m_plrEnt, m_ord, m_stId;
};

template <typename Row>
class ContestantRowReader
{
public:
    explicit ContestantRowReader(const Row& row);
    ContestantRec read() const; // the current row

private:
    const Row& m_row;
    int m_plrId, m_afId, m_bib, m_first, m_last, m_year, m_town, m_earnLast, m_earnCur, m_misc, m_league;
};

extern template class EntryRowReader<SqlRecordset>;
extern template class EntryRowReader<SqlRow>;
extern template class ContestantRowReader<SqlRecordset>;
extern template class ContestantRowReader<SqlRow>;

StockRec stockFromRow(const SqlRecordset& rs);
TeamRec teamFromRow(const SqlRecordset& rs);

void setContestantFields(SqlRecordset& rs, const ContestantRec& c);
void setStockFields(SqlRecordset& rs, const StockRec& s);
void setTeamFields(SqlRecordset& rs, const TeamRec& t);
