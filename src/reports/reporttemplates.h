#pragma once

#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <memory>

class XmlDocument;
class XsltStylesheet;

// The compiled report stylesheets by record name ("Index", "RegRodeo", ...),
// read once from the report records document and reused for every page.
//
//   ReportTemplates t;
//   t.load();                    // compiles every record
//   t.setPath(htmlFolderUrl);    // on the records that take "Path"
//   t.transform("Index", database, html);
//
// A record that does not compile is left out (and logged); the others still
// work. One lock guards the table, so a transform never sees a parameter half
// set; in practice everything runs on the user-interface thread.
class ReportTemplates
{
public:
    // The records built into the program.
    static QString builtinRecords() { return QStringLiteral(":/reports/records.xml"); }

    ReportTemplates();
    ~ReportTemplates();
    ReportTemplates(const ReportTemplates&) = delete;
    ReportTemplates& operator=(const ReportTemplates&) = delete;

    // Replaces the table by the records of the document at path. False when
    // the document cannot be read or any record fails to compile.
    bool load(const QString& path = builtinRecords());

    // Gives "Path" to every record whose parameter list names it.
    void setPath(const QString& path);

    bool contains(const QString& name) const;
    QStringList names() const;
    // Whether the record says its page is the same whichever node is chosen
    // (sameForEveryNode="yes": it reads no root attribute and no results).
    bool sameForEveryNode(const QString& name) const;

    // The page of one record for the Database document, in UTF-8; false (and
    // out empty) when there is no such record or the transform fails. The
    // document is transformed itself, not a copy, and is left as it was:
    // the records read it one after the other.
    bool transform(const QString& name, XmlDocument& database, QByteArray& out);

private:
    struct Record
    {
        QStringList parameters;
        std::shared_ptr<XsltStylesheet> sheet;
        bool sameForEveryNode = false;
    };

    mutable QMutex m_lock;
    QMap<QString, Record> m_records; // exact, case-sensitive names
};
