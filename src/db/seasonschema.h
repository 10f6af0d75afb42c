#pragma once

#include <QString>

class SqlConnection;

// The version of a season database's tables, kept in the file as SQLite's
// user_version, and the numbered steps that bring an older season up to the
// version this program writes. Version 0 is the schema of resources/schema.sql
// as first shipped; the template database is built by running the steps on it.
//
// Use: check the version of a file with SqlConnection::readUserVersion before
// opening it for writing (a newer file is refused untouched), then upgrade()
// and installHistoryTriggers() on the open connection.
namespace SeasonSchema {

// 1: the ResultHistory table.
// 2: payouts: schedules, event purses, postings of earnings.
// 3: the draw: pens, capacities, requests and the draws made.
constexpr int CurrentVersion = 3;

// Runs every step above the file's version, each step with the new version
// number in one transaction: a crash between steps leaves a file of an
// older, complete version. error says which step failed and why.
bool upgrade(SqlConnection& connection, QString* error = nullptr);

// The name of the SQL function the history triggers call for the source of
// a change; the connection's owner defines it (SqlConnection::defineFunction).
inline constexpr char SourceFunction[] = "tallyra_change_source";

// Temporary triggers of this connection that write a ResultHistory row for
// every change of a row of Scores and Times, in the statement (and so the
// transaction) that made it: a row inserted or deleted (a registration
// without a result too: how an entry came and went is part of its story),
// its result changed, or the row moved to another go-round, entry or
// competitor. Changes of the running order, performance or stock draw alone
// are not history. The source function must be defined first. Changes made
// by other programs (the sqlite3 shell) are not recorded.
bool installHistoryTriggers(SqlConnection& connection, QString* error = nullptr);
// The statements that make them (temporary triggers calling SourceFunction).
QString historyTriggersScript();

} // namespace SeasonSchema
