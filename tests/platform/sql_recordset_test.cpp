#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"
#include "platform/xml/xmldocument.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

class SqlRecordsetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_db.create(m_dir.filePath(QStringLiteral("season.mdb"))))
            << m_db.lastError().toStdString();
        ASSERT_TRUE(m_db.execute(QStringLiteral(
            "CREATE TABLE Rosters (PlrId INTEGER PRIMARY KEY AUTOINCREMENT, PlrFirstName TEXT,"
            " PlrLastName TEXT NOT NULL DEFAULT '', StAge INTEGER, LeagueId INTEGER DEFAULT 7);"
            "CREATE TABLE Pairs (a INTEGER, b TEXT);"
            "INSERT INTO Pairs VALUES (1, 'same'), (1, 'same'), (2, 'other');")))
            << m_db.lastError().toStdString();
    }

    qint64 addPlayer(SqlRecordset& set, const QString& first)
    {
        set.addNew();
        EXPECT_TRUE(set.setField(QStringLiteral("PlrFirstName"), first));
        EXPECT_TRUE(set.update()) << set.lastError().toStdString();
        return set.toInt64(QStringLiteral("PlrId"));
    }

    QStringList pairs()
    {
        QStringList out;
        auto set = m_db.query(QStringLiteral("SELECT a, b FROM Pairs ORDER BY rowid"));
        for (; set && !set->isEof(); set->moveNext())
            out << set->toText(QStringLiteral("a")) + QLatin1Char('/') + set->toText(QStringLiteral("b"));
        return out;
    }

    QTemporaryDir m_dir;
    SqlConnection m_db;
};

} // namespace

TEST_F(SqlRecordsetTest, AddingReadsBackIdentityAndDefaultsAndNeverReusesIdentities)
{
    auto table = m_db.openTable(QStringLiteral("Rosters"), false);
    ASSERT_TRUE(table) << m_db.lastError().toStdString();
    EXPECT_TRUE(table->isEditable());
    EXPECT_EQ(table->columns(),
              (QStringList{"PlrId", "PlrFirstName", "PlrLastName", "StAge", "LeagueId"})); // rowid hidden
    EXPECT_EQ(table->rowCount(), 0);

    EXPECT_EQ(addPlayer(*table, QStringLiteral("Ann")), 1);
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->toText(QStringLiteral("PlrFirstName")), QStringLiteral("Ann"));
    EXPECT_EQ(table->toUInt(QStringLiteral("LeagueId")), 7u); // default filled in by the database
    EXPECT_FALSE(table->isNull(QStringLiteral("PlrLastName")));
    EXPECT_FALSE(table->isEditing());
    EXPECT_EQ(m_db.lastStatement(),
              QStringLiteral("INSERT INTO \"Rosters\" (\"PlrFirstName\") VALUES ('Ann')"));

    EXPECT_EQ(addPlayer(*table, QStringLiteral("Bob")), 2);
    ASSERT_TRUE(m_db.execute(QStringLiteral("DELETE FROM Rosters WHERE PlrId = ?"), {2}));
    EXPECT_EQ(addPlayer(*table, QStringLiteral("Cy")), 3);
    EXPECT_EQ(table->position(), 2);

    // A decimal text written into an integer column reads back as the number.
    table->addNew();
    ASSERT_TRUE(table->setField(QStringLiteral("StAge"), QStringLiteral("12")));
    ASSERT_TRUE(table->update());
    EXPECT_EQ(table->value(QStringLiteral("StAge")).typeId(), QMetaType::LongLong);
}

TEST_F(SqlRecordsetTest, UpdateOfOneRowLeavesAnIdenticalRowAlone)
{
    auto set =
        m_db.queryEditable(QStringLiteral("SELECT * FROM Pairs WHERE b = ?"), {QStringLiteral("same")});
    ASSERT_TRUE(set) << m_db.lastError().toStdString();
    EXPECT_EQ(set->columns(), (QStringList{"a", "b"}));
    ASSERT_EQ(set->rowCount(), 2);
    ASSERT_TRUE(set->moveNext()); // the second of the two identical rows
    ASSERT_TRUE(set->setField(QStringLiteral("b"), QStringLiteral("changed")));
    ASSERT_TRUE(set->setField(QStringLiteral("a"), 5));
    EXPECT_TRUE(set->isEditing());
    EXPECT_EQ(set->toText(QStringLiteral("b")), QStringLiteral("changed")); // pending value shows
    ASSERT_TRUE(set->update()) << set->lastError().toStdString();
    EXPECT_FALSE(set->isEditing());
    EXPECT_EQ(m_db.lastStatement(),
              QStringLiteral("UPDATE \"Pairs\" SET \"a\" = 5, \"b\" = 'changed' WHERE rowid = 2"));
    EXPECT_EQ(pairs(), (QStringList{"1/same", "5/changed", "2/other"}));
    EXPECT_EQ(set->toUInt(QStringLiteral("a")), 5u);

    // Nothing pending: nothing to do.
    EXPECT_TRUE(set->update());
    EXPECT_EQ(pairs(), (QStringList{"1/same", "5/changed", "2/other"}));
}

TEST_F(SqlRecordsetTest, UpdateOfTheIdentityKeepsFollowingTheRow)
{
    auto table = m_db.openTable(QStringLiteral("Rosters"));
    ASSERT_TRUE(table);
    addPlayer(*table, QStringLiteral("Ann"));
    ASSERT_TRUE(table->setField(QStringLiteral("PlrId"), 40));
    ASSERT_TRUE(table->update()) << table->lastError().toStdString();
    ASSERT_TRUE(table->setField(QStringLiteral("PlrLastName"), QStringLiteral("Lee")));
    ASSERT_TRUE(table->update()) << table->lastError().toStdString();
    auto row = m_db.query(QStringLiteral("SELECT * FROM Rosters WHERE PlrId = 40"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->toText(QStringLiteral("PlrLastName")), QStringLiteral("Lee"));
}

TEST_F(SqlRecordsetTest, CancelDropsEditsAndAdditions)
{
    auto set = m_db.queryEditable(QStringLiteral("select * from [Pairs] where a = 2"));
    ASSERT_TRUE(set);
    ASSERT_TRUE(set->setField(QStringLiteral("b"), QStringLiteral("lost")));
    set->cancel();
    EXPECT_FALSE(set->isEditing());
    EXPECT_EQ(set->toText(QStringLiteral("b")), QStringLiteral("other"));
    EXPECT_TRUE(set->update());

    set->addNew();
    ASSERT_TRUE(set->setField(QStringLiteral("a"), 9));
    EXPECT_TRUE(set->isEditing());
    set->cancel();
    EXPECT_TRUE(set->update());
    EXPECT_EQ(set->rowCount(), 1);
    EXPECT_EQ(pairs(), (QStringList{"1/same", "1/same", "2/other"}));
}

TEST_F(SqlRecordsetTest, FailedUpdateKeepsPendingValuesAndReportsTheError)
{
    auto table = m_db.openTable(QStringLiteral("Rosters"));
    ASSERT_TRUE(table);
    addPlayer(*table, QStringLiteral("Ann"));
    ASSERT_TRUE(table->setField(QStringLiteral("PlrLastName"), QVariant())); // NOT NULL
    EXPECT_FALSE(table->update());
    EXPECT_TRUE(table->lastError().contains(QStringLiteral("NOT NULL"))) << table->lastError().toStdString();
    EXPECT_TRUE(table->isEditing());
    EXPECT_TRUE(
        m_db.lastStatement().startsWith(QStringLiteral("UPDATE \"Rosters\" SET \"PlrLastName\" = NULL")));
    table->cancel();
    EXPECT_FALSE(table->isEditing());
    EXPECT_EQ(table->toText(QStringLiteral("PlrLastName")), QString());
    EXPECT_FALSE(table->isNull(QStringLiteral("PlrLastName")));

    table->addNew();
    ASSERT_TRUE(table->setField(QStringLiteral("PlrLastName"), QVariant()));
    EXPECT_FALSE(table->update());
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_TRUE(table->isEditing());
    table->cancel();

    // A row deleted behind the record set's back is not reported as updated.
    ASSERT_TRUE(m_db.execute(QStringLiteral("DELETE FROM Rosters")));
    ASSERT_TRUE(table->setField(QStringLiteral("PlrFirstName"), QStringLiteral("Gone")));
    EXPECT_FALSE(table->update());
    EXPECT_FALSE(table->lastError().isEmpty());
}

TEST_F(SqlRecordsetTest, SetFieldRefusesWhatCannotBeEdited)
{
    auto set = m_db.queryEditable(QStringLiteral("SELECT * FROM Pairs"));
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->setField(QStringLiteral("nope"), 1));
    EXPECT_FALSE(set->lastError().isEmpty());
    EXPECT_FALSE(set->isEditing());
    while (set->moveNext()) {
    }
    EXPECT_TRUE(set->isEof());
    EXPECT_FALSE(set->setField(QStringLiteral("a"), 1)); // no current row
    EXPECT_EQ(set->toUInt(QStringLiteral("a")), 0u);

    auto plain = m_db.query(QStringLiteral("SELECT * FROM Pairs"));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->isEditable());
    EXPECT_FALSE(plain->setField(QStringLiteral("a"), 1));
    plain->addNew();
    EXPECT_FALSE(plain->isEditing());
    EXPECT_FALSE(plain->update());
}

TEST_F(SqlRecordsetTest, EditableFormIsCheckedAndStatementShowsTheCallersText)
{
    const QStringList refused = {QStringLiteral("SELECT a FROM Pairs"),
                                 QStringLiteral("SELECT * FROM Pairs, Rosters"),
                                 QStringLiteral("SELECT * FROM (SELECT * FROM Pairs)"),
                                 QStringLiteral("DELETE FROM Pairs"),
                                 QStringLiteral("SELECT * FROM Missing"),
                                 QString(),
                                 QStringLiteral("SELECT * FROM")};
    for (const QString& sql : refused) {
        EXPECT_FALSE(m_db.queryEditable(sql)) << sql.toStdString();
        EXPECT_FALSE(m_db.lastError().isEmpty()) << sql.toStdString();
    }
    EXPECT_EQ(pairs().size(), 3);

    for (const QString& table :
         {QStringLiteral("\"Pairs\""), QStringLiteral("`Pairs`"), QStringLiteral("Pairs;")}) {
        auto set = m_db.queryEditable(QStringLiteral("Select  *  From ") + table);
        ASSERT_TRUE(set) << table.toStdString() << m_db.lastError().toStdString();
        EXPECT_EQ(set->table(), QStringLiteral("Pairs"));
    }

    auto set = m_db.queryEditable(QStringLiteral("SELECT * FROM Pairs WHERE b = ? ORDER BY a DESC"),
                                  {QStringLiteral("it's")});
    ASSERT_TRUE(set);
    const QString expected = QStringLiteral("SELECT * FROM Pairs WHERE b = 'it''s' ORDER BY a DESC");
    EXPECT_EQ(set->statement(), expected);
    EXPECT_EQ(m_db.lastStatement(), expected);
    EXPECT_TRUE(set->isEof());
}

TEST_F(SqlRecordsetTest, EditingAfterTheConnectionIsGoneFailsSafely)
{
    auto set = m_db.queryEditable(QStringLiteral("SELECT * FROM Pairs"));
    ASSERT_TRUE(set);
    m_db.close();
    ASSERT_TRUE(set->setField(QStringLiteral("b"), QStringLiteral("x")));
    EXPECT_FALSE(set->update());
    EXPECT_FALSE(set->lastError().isEmpty());

    // Reopened, the old set must not write into whatever is open now.
    ASSERT_TRUE(m_db.open(m_dir.filePath(QStringLiteral("season.mdb"))));
    EXPECT_FALSE(set->update());
    EXPECT_EQ(pairs(), (QStringList{"1/same", "1/same", "2/other"}));

    auto orphan = std::make_unique<SqlConnection>();
    ASSERT_TRUE(orphan->open(m_dir.filePath(QStringLiteral("season.mdb"))));
    auto left = orphan->openTable(QStringLiteral("Pairs"));
    ASSERT_TRUE(left);
    orphan.reset();
    left->addNew();
    EXPECT_FALSE(left->update());
    EXPECT_EQ(left->toText(QStringLiteral("b")), QString()); // the pending row has no value yet
}

TEST_F(SqlRecordsetTest, SaveXmlWritesTheRowsetShape)
{
    ASSERT_TRUE(m_db.execute(
        QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName, StAge) VALUES (?, ?, ?)"),
        {QStringLiteral("Zoë \"Z\" <O'Hara> & co\n\tx\x01y"), QStringLiteral("東"), QVariant()}));
    auto set = m_db.query(QStringLiteral("SELECT *, 1 AS \"it's\" FROM Rosters"));
    ASSERT_TRUE(set);
    XmlDocument doc;
    ASSERT_TRUE(set->saveXml(doc)) << set->lastError().toStdString();
    ASSERT_TRUE(doc.setSelectionNamespaces(
        QStringLiteral("xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' "
                       "xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' "
                       "xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'")));
    EXPECT_EQ(doc.root().name(), QStringLiteral("xml"));
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/xml/s:Schema[@id='RowsetSchema']/s:ElementType[@name='row']"
                                             "[@content='eltOnly']/s:AttributeType"))
                  .size(),
              6);
    EXPECT_EQ(
        doc.selectSingleNode(QStringLiteral("//s:AttributeType[@name='PlrId']/s:datatype/@dt:type")).text(),
        QStringLiteral("int"));
    EXPECT_EQ(
        doc.selectSingleNode(QStringLiteral("//s:AttributeType[@name='PlrLastName']/s:datatype/@dt:type"))
            .text(),
        QStringLiteral("string"));
    // A column name that cannot be an attribute name keeps its real name in rs:name.
    const XmlNode quoted = doc.selectSingleNode(QStringLiteral("//s:AttributeType[@rs:name=\"it's\"]"));
    ASSERT_FALSE(quoted.isNull());
    EXPECT_EQ(quoted.selectSingleNode(QStringLiteral("s:datatype/@dt:type")).text(), QStringLiteral("int"));

    const QList<XmlNode> rows = doc.selectNodes(QStringLiteral("/xml/rs:data/z:row"));
    ASSERT_EQ(rows.size(), 1);
    const XmlNode row = rows.first();
    EXPECT_EQ(row.attribute(QStringLiteral("PlrId")), QStringLiteral("1"));
    EXPECT_EQ(row.attribute(QStringLiteral("PlrFirstName")),
              QStringLiteral("Zoë \"Z\" <O'Hara> & co\n\tx\uFFFDy")); // U+0001 cannot be in XML
    EXPECT_EQ(row.attribute(QStringLiteral("PlrLastName")), QStringLiteral("東"));
    EXPECT_FALSE(row.hasAttribute(QStringLiteral("StAge"))); // null
    EXPECT_EQ(row.attribute(QStringLiteral("LeagueId")), QStringLiteral("7"));
    EXPECT_EQ(row.attribute(quoted.attribute(QStringLiteral("name"))), QStringLiteral("1"));
    EXPECT_EQ(row.attributes().size(), 5);

    auto empty = m_db.openTable(QStringLiteral("Pairs"), false);
    ASSERT_TRUE(empty);
    XmlDocument emptyDoc;
    ASSERT_TRUE(empty->saveXml(emptyDoc));
    EXPECT_FALSE(
        emptyDoc.documentNode().selectSingleNode(QStringLiteral("/*/*[local-name()='data']")).isNull());
    EXPECT_EQ(emptyDoc.selectNodes(QStringLiteral("//*[local-name()='row']")).size(), 0);
}
