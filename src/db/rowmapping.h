#pragma once

#include "records.h"

#include <QString>

class SqlRecordset;

// The condition that a row of Scores or Times holds a result (the columns
// that hold one, per table), in parentheses.
QString resultCondition(const QString& table);

// Between table rows and the in-memory records: readers of the current row of
// a record set, and writers of an editable row's fields.
EventCfg eventFromRow(const SqlRecordset& rs);
RegEntry entryFromRow(const SqlRecordset& rs);
ContestantRec contestantFromRow(const SqlRecordset& rs);
StockRec stockFromRow(const SqlRecordset& rs);
TeamRec teamFromRow(const SqlRecordset& rs);

void setContestantFields(SqlRecordset& rs, const ContestantRec& c);
void setStockFields(SqlRecordset& rs, const StockRec& s);
void setTeamFields(SqlRecordset& rs, const TeamRec& t);
