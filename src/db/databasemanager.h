#pragma once

#include "changesource.h"
#include "eventpurse.h"
#include "drawrecords.h"
#include "keyedlist.h"
#include "payouts/seasonstandings.h"
#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqltransaction.h"
#include "platform/xml/xmldocument.h"
#include "records.h"
#include "regentrycollection.h"
#include "resolver.h"
#include "resulthistory.h"
#include "results/resultrecord.h"
#include "results/standings.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <memory>

class UserPrompt;

using ContestantList = KeyedList<ContestantRec, quint32>;
using TeamList = KeyedList<TeamRec, quint32>;
using StockList = KeyedList<StockRec, quint32>;

// Owner of the season database connection and of the open rodeo: its row, its
// events, the in-memory working copy (contestants, teams, stock, registration
// entries) and the current event's standings. Every read and write of rodeo
// data goes through it; the in-memory collections change only after the
// database change succeeded. An operation that writes more than one row is one
// transaction: when it fails nothing of it is kept, and the working copy is
// read again from the rows. Used from the user-interface thread only.
class CDatabaseManager
{
public:
    // dataFolder ends with "/"; templateDatabase is the "Tallyra.mdb" that new
    // seasons copy.
    CDatabaseManager(const QString& dataFolder, const QString& templateDatabase, UserPrompt& prompt);
    ~CDatabaseManager();
    CDatabaseManager(const CDatabaseManager&) = delete;
    CDatabaseManager& operator=(const CDatabaseManager&) = delete;

    void setResolutionPrompts(ResolutionPrompts* prompts) { m_resolver = prompts; }

    // --- Connection (databasemanager.cpp) ---------------------------------
    QString DatabasePath(const QString& season) const;
    // Opens a season's database for work: a file that is damaged, or that a
    // newer program wrote, is refused with a message and left untouched; an
    // older one is upgraded (SeasonSchema), and the connection records the
    // result history of every change it makes.
    bool Connect(const QString& season, SqlConnection& connection) const;
    // Runs a statement without a record set; a failure is logged.
    bool Query(const QString& sql, const QVariantList& params = {});
    // Opens a record set on a SELECT (editable when it reads "SELECT * FROM <table> ...");
    // null on failure, nothing logged.
    std::unique_ptr<SqlRecordset> QueryRs(const QString& sql, const QVariantList& params = {});
    // Mode 0: the rodeo's events with their settings, standard events first;
    // 1: the whole catalogue; 2: the rodeo's RodeoEvents rows.
    std::unique_ptr<SqlRecordset> GetEvents(int rodeoId, int mode);
    bool isConnected() const { return m_conn->isOpen(); }
    // Changes whenever a row of the season changes or another season opens.
    std::pair<quint64, qint64> dataStamp() const { return m_conn->writeStamp(); }
    SqlConnection& connection() { return *m_conn; }

    // --- Opening and loading a rodeo (databasemanager_open.cpp) ------------
    bool Create(const QString& season, const QString& rodeo);
    bool OpenRodeo(const QString& season, const QString& rodeo);
    void CloseRodeo();
    bool LoadRodeo(const QString& season, const QString& rodeo, SqlRecordset* rodeoRow);
    bool LoadContestants();
    bool LoadTeams();
    bool LoadStock();
    bool LoadRegs();
    enum RemovalMode {
        RemoveEntry = 1,
        RemoveEventEntry = 2,
        RemoveGoRoundEntry = 3,
        RemoveExactGoRound = 4
    };
    bool UpdateRegEntry(const RegEntry& entry, bool add, int removalMode = RemoveEntry);
    QString GetSeasonName() const { return m_season; }
    QString GetRodeoName() const { return m_isOpen ? m_rodeo.name : QString(); }
    bool isRodeoOpen() const { return m_isOpen; }
    QString GetEventTable(const QString& eventId) const;
    bool SetCurEntry(const RegEntry& entry);
    bool ReloadCurStats();
    // The standings of any event of the open rodeo, read from its rows as
    // ReloadCurStats reads the current event's; the current entry and the
    // current standings are left alone. False when the event's go-round
    // count cannot be taken (out is then empty).
    bool ReadStandings(const EventCfg& event, Standings& out) const;
    void SortContestants(int key);
    void SortStock(int key);
    int contestantSortKey() const { return m_contestantSortKey; }
    int stockSortKey() const { return m_stockSortKey; }
    RegEntryCollection::Lookup LookupEntry(quint32 key, const QString& eventId, int goRound) const;

    const RodeoInfo& rodeoInfo() const { return m_rodeo; }
    const QVector<EventCfg>& events() const { return m_events; }
    const EventCfg* GetEvent(const QString& eventId) const;
    const ContestantList& contestants() const { return m_contestants; }
    const TeamList& teams() const { return m_teams; }
    const StockList& stock() const { return m_stock; }
    const RegEntryCollection& playerEntries() const { return m_playerEntries; }
    const RegEntryCollection& teamEntries() const { return m_teamEntries; }
    const RegEntry& curEntry() const { return m_curEntry; }
    const Standings& standings() const { return m_standings; }
    bool resultChanged() const { return m_resultChanged; }
    bool timeChanged() const { return m_timeChanged; }

    // --- Seasons (databasemanager_seasons.cpp) -----------------------------
    // A season name is a folder name: not empty, not "." or "..", no path
    // separator or any of \ / : * ? < > | ", no leading or trailing blank.
    static bool IsValidSeasonName(const QString& name);
    bool EnumSeasons(QStringList& seasons) const;
    bool GetSeason(const QString& season, SeasonInfo& info) const;
    bool UpdateSeasonCfg(XmlDocument& doc, const QString& name, const QString& profile,
                         const QString& rule) const;
    bool CreateSeason(const QString& name, const QString& profile, const QString& rule);
    bool EditSeason(const QString& oldName, const QString& newName, const QString& profile,
                    const QString& rule);
    bool DeleteSeason(const QString& name);
    // The contestants (Rosters) or animals (Stocks) of another season in
    // table order, read from its database opened read-only while the open
    // season stays open. Identities are not read (0), nor contractors. On
    // failure error holds the reason.
    bool ReadSeasonContestants(const QString& season, QVector<ContestantRec>& out, QString& error) const;
    bool ReadSeasonStock(const QString& season, QVector<StockRec>& out, QString& error) const;
    // Rewrites the season's database without its free pages (VACUUM). Take a
    // copy first (SeasonBackups): a rewrite that fails half-way is rolled
    // back by SQLite, but a copy is the operator's way back from anything.
    bool CompactSeason(const QString& season);

    // --- Rodeos and rodeo events (databasemanager_rodeos.cpp) --------------
    bool GetRodeos(const QString& season, QStringList& rodeos);
    bool RodeoExists(const QString& season, const QString& rodeo);
    // Whether another rodeo of the open season than the open one has the
    // name (compared as stored, case ignored); true when it cannot be told.
    bool RodeoNameTaken(const QString& rodeo);
    bool CreateRodeo(const QString& season, const QString& rodeo, const QString& date,
                     const QString& profile);
    // Refused when another rodeo of the season has the new name.
    bool UpdateRodeo(const RodeoInfo& info);
    bool DeleteRodeo(const QString& season, const QString& rodeo);
    QString NextCustomEventId();
    bool AddEvent(EventCfg& event);
    bool AddRodeoEvent(const EventCfg& event);
    bool DeleteEvent(const QString& eventId);
    bool UpdateEvents(const QVector<EventCfg>& events);
    bool UpdateEvent(const EventCfg& event);
    bool UpdateRodeoEvent(const EventCfg& event);
    // The Rodeo Setup view's save: the rodeo's row (when rodeo is given) and
    // every event whose changed flag is set. One transaction: all of it is
    // written, or nothing.
    bool SaveSetup(const RodeoInfo* rodeo, const QVector<EventCfg>& events);

    // --- Contestants (databasemanager_contestants.cpp) ---------------------
    bool GetContestant(quint32 plrId, ContestantRec& out) const;
    std::unique_ptr<SqlRecordset> SearchContestants(const ContestantRec& pattern, int rowLimit, int sortType);
    bool ContestantNameTaken(const ContestantRec& rec);
    bool AddContestant(ContestantRec& rec);
    bool UpdateContestant(const ContestantRec& rec);
    int ResolveContestant(ContestantRec& arriving, bool addWhenNew, int previousDecision);
    int ResolveContestants(QVector<ContestantRec>& arriving, bool addWhenNew = true);
    bool ContestantInTeam(quint32 plrId);
    bool ContestantHasEntries(quint32 plrId);
    // Refused while an entry of his own (with or without a result) in any
    // rodeo of the season, or a team, still names him.
    bool DeleteContestant(quint32 plrId);
    // One contestant became another (the same-name "Replace" or "Merge" of
    // an edit): the removed one's entries in every rodeo become the kept
    // one's, after the kept one's own entry numbers, and the removed one is
    // deleted. Refused, with nothing changed, while a result or a team needs
    // the removed one. One transaction.
    bool MergeContestants(quint32 removed, quint32 kept);
    bool DeleteCowboy(quint32 plrId);

    // --- Teams, stock, contractors, messages (databasemanager_teamsstock.cpp) --
    quint32 FindTeam(const TeamRec& team);
    bool AddTeam(TeamRec& team, int& decision);
    bool UpdateTeam(const TeamRec& team);
    std::unique_ptr<SqlRecordset> SearchStock(const StockRec& pattern, int rowLimit, int sortType);
    bool StockTaken(const StockRec& rec);
    quint32 FindStock(const StockRec& rec);
    bool AddStock(StockRec& rec);
    bool UpdateStock(const StockRec& rec);
    // Whether an entry of any rodeo of the season draws the animal.
    bool StockUsed(quint32 stId);
    // Where the animal is drawn, one line per rodeo, event and go-round
    // ("Spring Rodeo: Tie Down Roping, Go Round 1"), at most limit lines and
    // a last one saying how many more; false when it could not be read.
    bool StockDraws(quint32 stId, QStringList& where, int limit = 5);
    // Refused while the animal is drawn for any entry.
    bool DeleteStock(quint32 stId);
    bool GetContractors(QStringList& names);
    bool GetContractor(ContractorRec& rec);
    bool AddContractor(ContractorRec& rec);
    bool GetPlrMessages(quint32 plrId, QVector<MessageRec>& messages);
    bool SetPlrMessage(quint32 plrId, const MessageRec& message);
    bool AddPlrMessage(quint32 plrId, const MessageRec& message);
    bool DeletePlrMessage(quint32 plrId, int number);

    // --- Go-rounds, performances, entries (databasemanager_entries.cpp) -----
    bool AddGoround(const QString& eventId, int goRound);
    bool DeleteGoround(const QString& eventId, int goRound);
    bool UpdateGorounds(const EventCfg& event, int oldCount);
    int GetLastPerf(const QString& eventId, int goRound);
    bool DeletePerformance(const RegEntry& entry);
    bool AddCompEntry(const RegEntry& entry, bool finals);
    bool DeleteCompEntry(const RegEntry& entry);
    bool UpdateCompEntry(const RegEntry& oldEntry, const RegEntry& newEntry);
    bool SetEntryCount(const RegEntry& current, const RegEntry& wanted);
    bool DeletePlrEntry(const RegEntry& entry, const QString& table, bool team);
    bool EventHasEntries(const QString& eventId);
    bool EntryExists(const RegEntry& entry);
    bool HasData(const RegEntry& entry, bool team);
    bool HasStats(const RegEntry& entry, const QString& table, bool team);
    // Enters a competitor into an event, as the entry views do: a new entry
    // (the competitor's next entry number) in every regular go-round, placed
    // at entry's performance and running order in entry's go-round. A
    // competitor already entered is asked about first (prompt; none: a new
    // entry is added). A contestant is never entered alone into a team event.
    // One transaction: all of it is written, or nothing.
    enum class EntryAddition { Added, Replaced, Left, Refused };
    EntryAddition AddCompetitorEntry(const RegEntry& entry, PerformanceEntryPrompt* prompt);
    // The smallest running order, from 1, that no entry of the performance uses.
    int FreeRunningOrder(const QString& eventId, int goRound, int perf) const;
    // Performances of a go-round: the highest performance number in use.
    int PerformanceCount(const QString& eventId, int goRound) { return GetLastPerf(eventId, goRound); }

    // --- Performances and finals (databasemanager_performances.cpp) -------
    // A new last performance of the go-round; its number, 0 on failure.
    int AddPerformance(const QString& eventId, int goRound);
    // Its entries become unplaced and the later performances move down by one.
    bool RemovePerformance(const QString& eventId, int goRound, int perf);
    // Places the entry (event, go-round, key) at running order ord of
    // performance perf: the gap it leaves closes (later running orders - 1)
    // and the place it takes opens (running orders ord and up + 1). perf or
    // ord 0 takes it out of its performance only.
    bool PlaceEntry(const RegEntry& entry, int perf, int ord);
    // The final go-round (go-round count + 1) made anew from go-round 1's
    // entries, the finalists in performance 1, the first of them running last.
    // An old final is replaced; it stays when anything fails (ClearFailed:
    // it could not be removed, for one because it holds results).
    enum class FinalBuild { Built, ClearFailed, BuildFailed };
    FinalBuild BuildFinal(const QString& eventId, const QVector<EntryKey>& finalists);
    // The competitor's number of entries in the event becomes count (1..255):
    // new entries come into every regular go-round, unplaced; entries above
    // count leave every go-round, unless one holds a result (then nothing
    // changes). One transaction.
    bool SetEventEntryCount(const QString& eventId, quint32 ptId, int count);
    // Whether a competitor is entered in the event's final.
    bool finalHoldsEntries(const QString& eventId);

    // --- Results and statistics documents (databasemanager_stats.cpp) ------
    bool SetStatsPerformance(const RegEntry& entry, const ResultRecord& result,
                             ChangeSource source = ChangeSource::Program);
    bool SaveRecordsetToDoc(const SqlRecordset& rs, XmlDocument& doc);
    bool StripNamespaces(const XmlNode& node, XmlDocument& out);
    bool AddTableXml(const QString& sql, const QVariantList& params, const QString& name, XmlDocument& doc);
    bool AddScoresXml(XmlDocument& doc);
    bool AddTimesXml(XmlDocument& doc);
    void BuildReportData(XmlDocument& doc);
    // The same document with every event and go-round of the results tables
    // present but empty; AddEventResultsXml fills in one event when it is
    // needed. A jackpot's rodeo holds far more result rows than any page
    // shows, and the pages of an event read only that event.
    void BuildReportFrame(XmlDocument& doc);
    // Puts the event's rows, read now, into its go-rounds of the document's
    // results table, in place of any rows there. False (logged) on failure;
    // the event's go-rounds are then empty.
    bool AddEventResultsXml(XmlDocument& doc, const QString& eventId);

    // --- The draw (databasemanager_draw.cpp) --------------------------------
    // The open rodeo's requests for the draws, by identity.
    bool GetDrawRequests(QVector<DrawRequestRec>& out);
    // Adds the request with its members (one transaction); it receives its id.
    bool AddDrawRequest(DrawRequestRec& request);
    bool DeleteDrawRequest(qint64 id);
    // The places set for the go-round's performances: performance -> places.
    QHash<int, int> GetDrawCapacities(const QString& eventId, int goRound);
    // Replaces them with places[0] for performance 1, places[1] for 2, ...
    bool SetDrawCapacities(const QString& eventId, int goRound, const QVector<int>& places);
    // Whether an entry of the go-round holds a result.
    bool GoRoundHasResults(const QString& eventId, int goRound);
    // The entries of the go-round whose result is a re-ride (status "R").
    QVector<EntryKey> ReRideEntries(const QString& eventId, int goRound);
    // Writes a draw: each row's performance, running order and animal (the
    // values before are read here), the performance's placeholder row when
    // the draw goes beyond the last performance, the draw's record and a
    // result history row per entry (source "Draw"): one transaction. A draw
    // of a go-round holding a result is refused, except a re-ride draw ("R").
    // draw receives its id, time and the rows' values before.
    enum class DrawWrite { Written, HasResults, Failed };
    DrawWrite RecordDraw(DrawRec& draw);
    // Puts the go-round's rows back as they were before its last draw in
    // force, recorded in the history too; refused once a result was saved in
    // the go-round after the draw, or when a drawn row changed since.
    enum class DrawUndo { Undone, NothingToUndo, HasResults, ChangedSince, Failed };
    DrawUndo UndoDraw(const QString& eventId, int goRound);
    // The go-round's last draw in force, with its rows; false when none.
    bool LastDraw(const QString& eventId, int goRound, DrawRec& out);

    // --- Result history (databasemanager_history.cpp) -----------------------
    // The recorded changes of an entry's results (every go-round, the finals
    // included), oldest first; a change that moved a result away from the
    // entry is among them. False when the history could not be read.
    bool GetResultHistory(const QString& eventId, quint32 ptId, int plrEnt, QVector<ResultChange>& out);
    // A draw's place (its history row's JSON) in words.
    QString placeText(const QString& json) const;

    // --- Payouts (databasemanager_payouts.cpp) -------------------------------
    // The season's payout schedules, by name.
    bool GetPayoutSchedules(QVector<PayoutSchedule>& out);
    // Stores a new schedule (id 0; it receives its id) or rewrites one. A
    // schedule that check() refuses, or whose name another schedule has, is
    // refused with the reason in why and nothing written.
    bool SavePayoutSchedule(PayoutSchedule& schedule, QString* why = nullptr);
    // Refused while an event of any rodeo of the season pays by it.
    bool DeletePayoutSchedule(qint64 scheduleId, QString* why = nullptr);
    // Adds the built-in schedules whose names the season does not have yet.
    bool AddBuiltInPayoutSchedules();
    // The entries of an event of the open rodeo that pay an entry fee: every
    // entry (competitor and entry number) of its go-round 1.
    int CountPaidEntries(const QString& eventId);
    // An event's purse settings; defaults when none are stored (split by the
    // event's go-rounds, the season's first schedule, entries counted).
    bool GetEventPurse(const QString& eventId, EventPurse& out);
    // Stores them after checking that they make a purse, that the split adds
    // up to 100 % over the event's go-rounds and that the schedule exists;
    // refused with the reason in why otherwise, nothing written.
    bool SaveEventPurse(const EventPurse& purse, QString* why = nullptr);
    // The event pays nothing (its settings are removed).
    bool RemoveEventPurse(const QString& eventId);
    // The payouts of the open rodeo's events with a purse, from the rows as
    // they are now (standings built for every event, the current event's
    // left alone).
    bool ComputeRodeoPayout(RodeoPayout& out);
    // The posting of the open rodeo that stands; false when there is none.
    bool GetPayoutPosting(PayoutPosting& out);
    // Adds each contestant's total to "earnings this season", with a row per
    // contestant in the result history (source "Payout"), in one
    // transaction. Refused with the reason in why, nothing written, when an
    // event cannot be paid, when the rodeo's earnings stand posted, or when a
    // contestant's earnings are not an amount or would not fit their column.
    bool PostEarnings(QString* why = nullptr);
    // Takes the standing posting back: each contestant's earnings return to
    // what they were (less the posted amount when they changed since). One
    // transaction; refused with the reason in why.
    bool UndoPayoutPosting(QString* why = nullptr);
    // Every standing posting of the season, per contestant and event.
    bool GetSeasonEarnings(QVector<EarningsRow>& out);

    // The source the result history gives the changes made while it lives
    // (the import, for one); the previous source is back at its end.
    class SourceScope
    {
    public:
        SourceScope(CDatabaseManager& db, ChangeSource source)
            : m_db(db), m_previous(std::exchange(db.m_changeSource, source))
        {
        }
        ~SourceScope() { m_db.m_changeSource = m_previous; }
        SourceScope(const SourceScope&) = delete;
        SourceScope& operator=(const SourceScope&) = delete;

    private:
        CDatabaseManager& m_db;
        ChangeSource m_previous;
    };

    // One multi-row change of the open season. Leaving the scope without
    // commit() rolls the rows back and reads the working copy again, so that
    // memory says what the rows say; scopes nest (see SqlTransaction), so the
    // operations above join a scope their caller holds (the entry-file
    // import makes a whole file one change this way).
    class WriteScope
    {
    public:
        explicit WriteScope(CDatabaseManager& db) : m_db(db), m_tx(*db.m_conn) {}
        ~WriteScope();
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;
        bool isActive() const { return m_tx.isActive(); }
        bool commit();

    private:
        CDatabaseManager& m_db;
        SqlTransaction m_tx;
        bool m_ended = false;
    };

private:
    // Whether an entry of his own in any rodeo (only one with a result, when
    // resultsOnly) or a team names the contestant; true when it cannot be told.
    bool contestantNeeded(quint32 plrId, bool resultsOnly);
    // Reads the open rodeo's events, contestants, teams, stock and entries
    // again, keeping the contestants' sort order.
    void reloadWorkingCopy();
    // Moves the rows of go-round from to go-round to, memory with them.
    bool moveGoround(const QString& eventId, int from, int to);
    // Makes the go-round's placeholder row mark performance perf at least.
    bool ensurePerformancePlaceholder(const QString& eventId, int goRound, int perf);
    // Puts an entry whose slot changed into memory, keeping what the views
    // stored with it.
    bool putEntry(RegEntry moved);
    // withRows false: the events and go-rounds without their rows.
    bool addResultsTableXml(XmlDocument& doc, bool scored, bool withRows = true);
    void addReportTables(XmlDocument& doc);
    // A result history row for a row a draw (or its undo) moved.
    bool recordDrawHistory(const QString& table, const QString& action, const QString& eventId, int goRound,
                           const DrawRowRec& row);
    void clearRodeo();
    bool readRegTable(const QString& table);
    // The connection for work on a season that may not be the open one.
    SqlConnection* seasonConnection(const QString& season, SqlConnection& own);
    QString seasonFolder(const QString& season) const { return m_dataFolder + season; }

    // --- used by databasemanager_stats.cpp ---
    // The stylesheet that takes the record-set namespaces off, compiled on first use.
    std::shared_ptr<class XsltStylesheet> m_stripSheet;

    QString m_dataFolder;
    QString m_templateDatabase;
    ChangeSource m_changeSource = ChangeSource::Program;
    // The last refusal to open a season shown to the operator, with the state
    // of its file: one operation connects more than once, and the same file
    // is not complained about twice until it changes.
    mutable QString m_lastRefusal;
    UserPrompt& m_prompt;
    ResolutionPrompts* m_resolver = nullptr;

    std::unique_ptr<SqlConnection> m_conn = std::make_unique<SqlConnection>();
    QString m_season;
    bool m_isOpen = false;
    RodeoInfo m_rodeo;
    QVector<EventCfg> m_events;

    ContestantList m_contestants;
    TeamList m_teams;
    StockList m_stock;
    RegEntryCollection m_playerEntries;
    RegEntryCollection m_teamEntries;
    int m_contestantSortKey = 4;
    int m_stockSortKey = 3;

    RegEntry m_curEntry;
    bool m_resultChanged = false;
    bool m_timeChanged = false;
    Standings m_standings;
};
