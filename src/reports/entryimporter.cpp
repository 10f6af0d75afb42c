#include "entryimporter.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "entryfile.h"

#include <QFile>

namespace {

// The yes/no columns 6 to 16 of an entry file and the events they enter.
struct FileEvent
{
    const char* id;
    const char* name;
};
constexpr FileEvent kFileEvents[11] = {
    {"TD", "Tie Down Roping"}, {"SW", "Steer Wrestling"}, {"TR", "Team Roping"}, {"BR", "Barrel Racing"},
    {"BB", "Bareback"},        {"SB", "Saddle Bronc"},    {"BU", "Bull Riding"}, {"SR", "Steer Roping"},
    {"BF", "Bull Fighting"},   {"BA", "Break Away"},      {"GT", "Goat Tying"}};
constexpr int kTeamRopingColumn = 2;
constexpr int kProgressEvery = 64; // lines or contestants between two progress reports

const QString kImportCaption = QStringLiteral("Import File");

bool containsName(const QStringList& names, const char* name)
{
    return names.contains(QString::fromLatin1(name), Qt::CaseInsensitive);
}

} // namespace

QString ImportSummary::text() const
{
    QStringList out;
    switch (outcome) {
    case Outcome::Cancelled:
        out << QStringLiteral("The import was cancelled; the season is as it was before.");
        break;
    case Outcome::Failed:
        out << QStringLiteral("The import failed; the season is as it was before. The log says why.");
        break;
    case Outcome::CannotOpen:
        out << QStringLiteral("The import file could not be opened.");
        break;
    case Outcome::Imported:
        out << QStringLiteral("Imported %1 contestants and %2 entries (%3 teams).")
                   .arg(contestants)
                   .arg(entries)
                   .arg(teams);
        if (alreadyEntered > 0)
            out << QStringLiteral("%1 entries were in the rodeo already and were kept as they were.")
                       .arg(alreadyEntered);
        break;
    }
    if (valuesCut > 0)
        out << QStringLiteral("%1 values were longer than their fields and were cut.").arg(valuesCut);
    if (!skipped.isEmpty()) {
        out << QStringLiteral("%1 lines were skipped:").arg(skipped.size());
        for (const Skipped& s : skipped)
            out << QStringLiteral("Line %1: %2").arg(s.line).arg(s.reason);
    }
    if (!notes.isEmpty()) {
        out << QStringLiteral("Not entered:");
        out << notes;
    }
    return out.join(QLatin1Char('\n'));
}

EntryImporter::EntryImporter(CDatabaseManager& db, UserPrompt& prompt, NameResolverPrompt* names)
    : m_db(db), m_prompt(prompt), m_names(names)
{
}

QStringList EntryImporter::chooseEvents(CDatabaseManager& db, UserPrompt& prompt,
                                        const QVector<EventChoice>& rows)
{
    QStringList chosen;
    for (const EventChoice& row : rows) {
        if (!row.import)
            continue;
        if (db.EventHasEntries(row.id) &&
            prompt.ask(
                QStringLiteral("%1 has cowboys assigned to it for this rodeo.\nContinuing will overwrite "
                               "these cowboys.\nDo you want to continue?")
                    .arg(row.name),
                QStringLiteral("Import Event"), UserPrompt::Buttons::YesNo,
                UserPrompt::Icon::Question) == UserPrompt::No)
            continue;
        chosen << row.name;
    }
    return chosen;
}

ImportSummary EntryImporter::run(const QString& path, const QStringList& chosenEvents,
                                 ImportProgress* progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logReport("Failed to open the import file.  CImport::Import  File:%s, Error:%s", path,
                  file.errorString());
        m_prompt.inform(QStringLiteral("Couldn't open the import file:\n%1").arg(path), kImportCaption);
        ImportSummary summary;
        summary.outcome = ImportSummary::Outcome::CannotOpen;
        return summary;
    }
    return run(file, chosenEvents, progress);
}

ImportSummary EntryImporter::run(QIODevice& device, const QStringList& chosenEvents, ImportProgress* progress)
{
    ImportSummary summary;
    m_records.clear();
    m_teams.clear();
    m_splitForWords.clear();
    m_pairTeams = containsName(chosenEvents, kFileEvents[kTeamRopingColumn].name);

    if (!read(device, chosenEvents, progress, summary)) {
        summary.outcome = ImportSummary::Outcome::Cancelled;
        return summary;
    }
    if (!m_db.isRodeoOpen()) {
        summary.outcome = ImportSummary::Outcome::Failed;
        return summary;
    }
    apply(progress, summary);
    m_records.clear();
    m_teams.clear();
    return summary;
}

bool EntryImporter::read(QIODevice& device, const QStringList& chosenEvents, ImportProgress* progress,
                         ImportSummary& summary)
{
    if (progress)
        progress->begin(QStringLiteral("Reading the file..."), device.isSequential() ? 0 : device.size());
    EntryFile::LineReader reader(device);
    QString text;
    while (reader.next(text)) {
        if (progress && reader.lineNumber() % kProgressEvery == 0 && !progress->advance(reader.bytesRead()))
            return false;
        if (reader.lineTooLong()) {
            summary.skipped.append(
                {reader.lineNumber(), EntryFile::problemText(EntryFile::Problem::LineTooLong)});
            continue;
        }
        if (text.trimmed().isEmpty())
            continue;
        if (!takeLine(reader.lineNumber(), text, chosenEvents, summary))
            return false;
    }
    if (reader.failed()) {
        logReport("Failed to read the import file.  CImport::Import  Error:%s", device.errorString());
        summary.skipped.append(
            {reader.lineNumber() + 1, QStringLiteral("the file could not be read from here on")});
    }
    return !progress || progress->advance(reader.bytesRead());
}

QString EntryImporter::cut(const QString& text, int capacity, ImportSummary& summary) const
{
    if (text.size() <= capacity)
        return text;
    ++summary.valuesCut;
    return text.left(capacity);
}

bool EntryImporter::takeLine(int lineNumber, const QString& text, const QStringList& chosenEvents,
                             ImportSummary& summary)
{
    const EntryFile::Line line = EntryFile::parseLine(text);
    if (line.problem != EntryFile::Problem::None) {
        summary.skipped.append({lineNumber, EntryFile::problemText(line.problem)});
        return true;
    }
    const QStringList& f = line.fields;

    EntryFile::NameSplit name = EntryFile::splitName(f.at(0));
    if (name.first.isEmpty() && name.last.isEmpty()) {
        summary.skipped.append({lineNumber, QStringLiteral("the line has no name")});
        return true;
    }
    if (name.needsDecision) {
        const int words = int(name.words.size());
        const auto remembered = m_splitForWords.constFind(words);
        if (remembered != m_splitForWords.cend()) {
            name = EntryFile::splitAfter(name.words, *remembered);
        } else if (m_names) {
            const NameResolverPrompt::Answer answer =
                m_names->resolveName(name.words.join(QLatin1Char(' ')), name.first, name.last);
            name.first = answer.first.trimmed();
            name.last = answer.last.trimmed();
            if (answer.applyToLaterNames) {
                // The split is remembered as a word count, which only means
                // something when the answer still holds the name's words.
                const QStringList firstWords = name.first.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if ((firstWords + name.last.split(QLatin1Char(' '), Qt::SkipEmptyParts)) == name.words)
                    m_splitForWords.insert(words, int(firstWords.size()));
            }
        }
    }

    Record r;
    r.line = lineNumber;
    ContestantRec& c = r.contestant;
    c.firstName = cut(name.first, Capacity::FirstName, summary);
    c.lastName = cut(name.last, Capacity::LastName, summary);
    c.homeTown = cut(EntryFile::normaliseHomeTown(f.at(1)), Capacity::HomeTown, summary);
    c.earnLast = cut(f.at(2).trimmed(), Capacity::Earnings, summary);
    c.earnCur = cut(f.at(3).trimmed(), Capacity::Earnings, summary);
    c.misc = cut(f.at(4).trimmed(), Capacity::Misc, summary);
    for (int i = 0; i < 11; ++i)
        r.yes[i] =
            f.at(5 + i).startsWith(QLatin1Char('Y')) && containsName(chosenEvents, kFileEvents[i].name);
    c.bib = cut(f.at(16).trimmed(), Capacity::Bib, summary);
    r.ownNumber = EntryFile::leadingNumber(f.at(16));
    r.partnerNumber = EntryFile::leadingNumber(f.at(17));
    r.role = EntryFile::teamRole(f.at(18));
    m_records.append(r);
    return true;
}

bool EntryImporter::apply(ImportProgress* progress, ImportSummary& summary)
{
    CDatabaseManager::WriteScope scope(m_db);
    const CDatabaseManager::SourceScope tagged(m_db, ChangeSource::Import);
    // Nothing of an import that does not commit stays in the season.
    const auto fail = [&] {
        if (summary.outcome != ImportSummary::Outcome::Cancelled)
            summary.outcome = ImportSummary::Outcome::Failed;
        summary.contestants = summary.entries = summary.teams = summary.alreadyEntered = 0;
        return false;
    };
    if (!scope.isActive()) {
        logReport("Failed to begin the import.  CImport::Import  Error:%s", m_db.connection().lastError());
        return fail();
    }
    if (!resolveContestants(progress, summary) || !pairTeams(summary) || !enter(progress, summary) ||
        !scope.commit())
        return fail();
    return true;
}

bool EntryImporter::resolveContestants(ImportProgress* progress, ImportSummary& summary)
{
    if (progress)
        progress->begin(QStringLiteral("Adding the contestants..."), m_records.size());
    int decision = 0;
    for (int i = 0; i < m_records.size(); ++i) {
        if (progress && i % kProgressEvery == 0 && !progress->advance(i)) {
            summary.outcome = ImportSummary::Outcome::Cancelled;
            return false;
        }
        Record& r = m_records[i];
        decision = m_db.ResolveContestant(r.contestant, true, decision);
        if (r.contestant.plrId == 0)
            summary.notes << describe(r) + QStringLiteral(": the contestant was not added");
        else
            ++summary.contestants;
    }
    return true;
}

bool EntryImporter::pairTeams(ImportSummary& summary)
{
    m_byNumber.clear();
    if (!m_pairTeams)
        return true;
    for (int i = 0; i < m_records.size(); ++i)
        if (m_records[i].ownNumber != 0 && !m_byNumber.contains(m_records[i].ownNumber))
            m_byNumber.insert(m_records[i].ownNumber, i);

    const auto teamHolding = [&](quint32 plrId) {
        for (int t = 0; plrId != 0 && t < m_teams.size(); ++t)
            for (quint32 member : m_teams[t].members)
                if (member == plrId)
                    return t;
        return -1;
    };

    int decision = 0;
    for (int i = 0; i < m_records.size(); ++i) {
        Record& r = m_records[i];
        const quint32 id = r.contestant.plrId;
        if (r.partnerNumber == 0 || id == 0)
            continue;
        const int partner = m_byNumber.value(r.partnerNumber, -1);
        const quint32 partnerId = partner >= 0 ? m_records[partner].contestant.plrId : 0;
        int found = partnerId != id ? teamHolding(partnerId) : -1;
        if (partnerId == id) {
            // A roper naming himself waits for a partner: the team of a roper
            // who named him, when one came first, or a team of his own that
            // the next roper naming him joins.
            for (int t = 0; t < m_teams.size() && found < 0; ++t)
                if (!m_teams[t].complete)
                    for (int j = 0; j < i && found < 0; ++j)
                        if (m_records[j].team == t && m_records[j].partnerNumber == r.ownNumber &&
                            m_records[j].contestant.plrId != id)
                            found = t;
        }
        if (found < 0) {
            FormingTeam t;
            t.members[r.role == 1 ? 0 : r.role == 2 ? 1 : 2] = id;
            r.team = int(m_teams.size());
            m_teams.append(t);
            continue;
        }
        FormingTeam& t = m_teams[found];
        if (t.complete)
            continue; // the summary says so, once, when he is not entered
        // Two ropers giving the same role still make a team: the second takes
        // the place left free.
        int slot = r.role == 1 ? 0 : 1;
        if (t.members[slot] != 0)
            slot = 1 - slot;
        t.members[slot] = id;
        r.team = found;
        if (t.members[0] == 0 || t.members[1] == 0)
            continue;
        t.team.plrId1 = t.members[0];
        t.team.plrId2 = t.members[1];
        t.team.plrId3 = t.members[2];
        m_db.AddTeam(t.team, decision);
        if (t.team.tmId == 0) {
            logReport("Failed to add a team.  CImport::Import  Header:%d, Trailer:%d", t.team.plrId1,
                      t.team.plrId2);
            return false;
        }
        t.complete = true;
        ++summary.teams;
    }
    return true;
}

QString EntryImporter::whyNoTeam(const Record& r) const
{
    if (r.partnerNumber == 0)
        return QStringLiteral("Team Roping without a partner");
    const int partner = m_byNumber.value(r.partnerNumber, -1);
    if (partner < 0)
        return QStringLiteral("partner %1 was not found").arg(r.partnerNumber);
    const Record& p = m_records[partner];
    if (p.contestant.plrId == 0)
        return QStringLiteral("partner %1 was not added").arg(r.partnerNumber);
    if (r.team >= 0) {
        int members = 0;
        for (quint32 member : m_teams[r.team].members)
            members += member != 0 ? 1 : 0;
        if (members > 1)
            return QStringLiteral("his team has no header (P) or no trailer (S)");
    }
    if (p.contestant.plrId == r.contestant.plrId)
        return QStringLiteral("partner %1 is his own number and no other roper names him")
            .arg(r.partnerNumber);
    if (p.team >= 0 && m_teams[p.team].complete)
        return QStringLiteral("partner %1 is in a complete team already").arg(r.partnerNumber);
    if (p.partnerNumber == 0)
        return QStringLiteral("partner %1 names no partner").arg(r.partnerNumber);
    return QStringLiteral("partner %1 names partner %2").arg(r.partnerNumber).arg(p.partnerNumber);
}

bool EntryImporter::enter(ImportProgress* progress, ImportSummary& summary)
{
    if (progress)
        progress->begin(QStringLiteral("Entering the contestants..."), m_records.size());
    for (int i = 0; i < m_records.size(); ++i) {
        if (progress && i % kProgressEvery == 0 && !progress->advance(i)) {
            summary.outcome = ImportSummary::Outcome::Cancelled;
            return false;
        }
        const Record& r = m_records[i];
        if (r.contestant.plrId == 0)
            continue;
        for (int e = 0; e < 11; ++e) {
            if (!r.yes[e])
                continue;
            const QString eventId = QString::fromLatin1(kFileEvents[e].id);
            quint32 ptId = r.contestant.plrId;
            if (e == kTeamRopingColumn) {
                if (r.team < 0 || !m_teams[r.team].complete) {
                    summary.notes << describe(r) + QStringLiteral(": ") + whyNoTeam(r);
                    continue;
                }
                FormingTeam& t = m_teams[r.team];
                if (t.entered)
                    continue; // the partner entered the team
                t.entered = true;
                ptId = t.team.tmId;
            }
            if (!enterInEvent(eventId, ptId, summary))
                return false;
        }
    }
    return !progress || progress->advance(m_records.size());
}

bool EntryImporter::enterInEvent(const QString& eventId, quint32 ptId, ImportSummary& summary)
{
    const EventCfg* event = m_db.GetEvent(eventId);
    if (!event)
        return true; // not one of the rodeo's events: nothing to enter
    // Every regular go-round: AddCompEntry refuses the ones past the count.
    const int goRounds = event->goRoundCount();
    for (int go = 1; go <= goRounds; ++go) {
        RegEntry entry;
        entry.eventId = eventId;
        entry.goRound = static_cast<quint16>(go);
        entry.ptId = ptId;
        entry.plrEnt = 1;
        if (m_db.LookupEntry(entry.key(), eventId, go).found) {
            ++summary.alreadyEntered;
            continue;
        }
        if (!m_db.AddCompEntry(entry, false))
            return false;
        ++summary.entries;
    }
    return true;
}

QString EntryImporter::describe(const Record& r) const
{
    const QString name =
        QStringList{r.contestant.firstName, r.contestant.lastName}.join(QLatin1Char(' ')).trimmed();
    return QStringLiteral("Line %1: %2").arg(r.line).arg(name);
}
