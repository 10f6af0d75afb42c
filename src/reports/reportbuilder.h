#pragma once

#include "platform/xml/xmldocument.h"
#include "reporttree.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class CDatabaseManager;
class ReportTemplates;
struct RegEntry;

// Writes the HTML report pages of the open rodeo for a node of the reports
// tree. The Reports view owns one and calls it in this order:
//   refresh();           each time the view is shown: a new Database document
//   tree();              the nodes to show
//   select(key);         for the node chosen: its pages, Index.html first
//
// An event's result rows and its standings are put into the document the
// first time one of its nodes is chosen (the standings through
// selectCompetition, which makes the event the current one), and kept until
// the next refresh; the other tables are read by refresh. A page whose record
// is the same for every node (the rodeo's registration list) is written once
// per document and kept while its file is the one written. Pages are written
// as UTF-8 under a temporary name and renamed into place, so a browser never
// reads half a page. User-interface thread only (it uses the database manager).
class ReportBuilder
{
public:
    using SelectCompetition = std::function<bool(const RegEntry&)>;

    // htmlFolder ends with "/"; it is created when a page is written.
    ReportBuilder(CDatabaseManager& db, ReportTemplates& templates, SelectCompetition selectCompetition,
                  const QString& htmlFolder);

    // The HTML folder as the pages link to it (a file URL ending with "/").
    static QString pathParameter(const QString& htmlFolder);

    // A new Database document filled with the open rodeo's tables, the
    // results tables with their events and go-rounds but no rows yet; false
    // when the document could not be made.
    bool refresh();
    ReportNode tree() const;

    // Sets the document's attributes for the node, adds the event's
    // standings when missing, and writes the node's pages. Returns the file
    // names written, in the order written.
    QStringList select(quint32 key);

    QString htmlFolder() const { return m_folder; }
    QString indexPage() const { return m_folder + QStringLiteral("Index.html"); }
    const XmlDocument& database() const { return m_doc; }

    // Writes text as UTF-8 to path through a temporary file renamed into place.
    static bool writePage(const QString& path, const QString& html);
    static bool writePage(const QString& path, const QByteArray& utf8);

private:
    bool setAttributes(quint32 key);
    // The Event element of the event's results table; null when missing.
    XmlNode eventNode(const QString& eventId) const;
    // Adds the event's rows, its standings and the cells of its standings
    // lines when the standings are missing; the cells also when the standings
    // fail.
    bool ensureStatistics(quint32 key);
    bool addStatistics(const QString& eventId, quint16 goRound, XmlNode& target);
    // The first row of an Events or RodeoEvents table with the event's id.
    XmlNode tableRow(const QString& table, const QString& eventId) const;
    bool writeRecord(const QString& name, XmlDocument& input, QStringList& written);

    // A written file as the file system tells it apart from another.
    struct FileStamp
    {
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
        static FileStamp of(const QString& path); // size -1 when it cannot be read
    };

    CDatabaseManager& m_db;
    ReportTemplates& m_templates;
    SelectCompetition m_select;
    QString m_folder;
    XmlDocument m_doc;
    // The pages of this document that are the same for every node, by
    // record name, with their files as written.
    QHash<QString, FileStamp> m_kept;
};
