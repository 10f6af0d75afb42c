#pragma once

#include "platform/sql/sqlconnection.h"
#include "records.h"

#include <QString>
#include <optional>

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

// A Scores or Times row as the standings hold it (the time with its
// penalty; a key whose contestant is 0 for a row without one).
template <typename Row>
class ResultRowReader
{
public:
    explicit ResultRowReader(const Row& row);
    ResultRecord read() const; // the current row

private:
    const Row& m_row;
    int m_ptId, m_plrEnt, m_penalty, m_ride, m_score, m_status, m_success;
    int m_JR[4];
    int m_JS[4];
};

// Runs a SELECT and gives use each row as a record, read by a Reader made on
// the first row: for loops over many rows. False on failure (rows before it
// were given).
template <typename Reader, typename Use>
bool forEachRecord(SqlConnection& conn, const QString& sql, const QVariantList& params, Use use)
{
    std::optional<Reader> reader;
    return conn.forEachRow(sql, params, [&](const SqlRow& row) {
        if (!reader)
            reader.emplace(row);
        use(reader->read());
    });
}

extern template class EntryRowReader<SqlRecordset>;
extern template class EntryRowReader<SqlRow>;
extern template class ContestantRowReader<SqlRecordset>;
extern template class ContestantRowReader<SqlRow>;
extern template class ResultRowReader<SqlRow>;

StockRec stockFromRow(const SqlRecordset& rs);
TeamRec teamFromRow(const SqlRecordset& rs);

void setContestantFields(SqlRecordset& rs, const ContestantRec& c);
void setStockFields(SqlRecordset& rs, const StockRec& s);
void setTeamFields(SqlRecordset& rs, const TeamRec& t);
