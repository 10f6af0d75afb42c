#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

class SqlConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("season.mdb"));
        ASSERT_TRUE(m_db.create(m_file)) << m_db.lastError().toStdString();
        ASSERT_TRUE(m_db.execute(QStringLiteral("CREATE TABLE People (Id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                                " Name TEXT UNIQUE, Age INTEGER, Note TEXT);"
                                                "CREATE TABLE Kinds (v);")))
            << m_db.lastError().toStdString();
    }

    QString typeOf(const QString& where, const QVariantList& params)
    {
        auto set = m_db.query(QStringLiteral("SELECT typeof(v) AS t FROM Kinds WHERE ") + where, params);
        return set ? set->toText(QStringLiteral("t")) : QStringLiteral("<failed>");
    }

    QTemporaryDir m_dir;
    QString m_file;
    SqlConnection m_db;
};

} // namespace

TEST(SqlConnectionOpen, MissingOrUnusableFileFailsWithoutCreatingAnything)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Missing/Missing.mdb"));
    SqlConnection db;
    EXPECT_FALSE(db.open(missing));
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(db.lastError().contains(missing)) << db.lastError().toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    EXPECT_FALSE(db.open(QString()));
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_FALSE(db.open(dir.path())); // a folder

    const QString garbage = dir.filePath(QStringLiteral("garbage.mdb"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_FALSE(db.open(garbage));
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(db.lastError().isEmpty());
}

TEST_F(SqlConnectionTest, OpenUsesWalFullSyncAndBusyTimeout)
{
    m_db.close();
    ASSERT_TRUE(m_db.open(m_file)) << m_db.lastError().toStdString();
    EXPECT_EQ(m_db.path(), m_file);
    EXPECT_TRUE(m_db.lastError().isEmpty());
    auto mode = m_db.query(QStringLiteral("PRAGMA journal_mode"));
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->toText(QStringLiteral("journal_mode")), QStringLiteral("wal"));
    auto sync = m_db.query(QStringLiteral("PRAGMA synchronous"));
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->toUInt(QStringLiteral("synchronous")), 2u); // FULL
    auto busy = m_db.query(QStringLiteral("PRAGMA busy_timeout"));
    ASSERT_TRUE(busy);
    EXPECT_GT(busy->toUInt(busy->columns().value(0)), 0u);
}

TEST_F(SqlConnectionTest, ClosedConnectionFailsHarmlessly)
{
    m_db.close();
    EXPECT_FALSE(m_db.isOpen());
    EXPECT_FALSE(m_db.execute(QStringLiteral("DELETE FROM People")));
    EXPECT_FALSE(m_db.lastError().isEmpty());
    EXPECT_FALSE(m_db.query(QStringLiteral("SELECT * FROM People")));
    EXPECT_FALSE(m_db.queryEditable(QStringLiteral("SELECT * FROM People")));
    EXPECT_FALSE(m_db.openTable(QStringLiteral("People")));
    EXPECT_EQ(m_db.changes(), 0);
    EXPECT_EQ(m_db.lastInsertRowId(), 0);
    m_db.close();
}

TEST_F(SqlConnectionTest, BoundTextsRoundTripAndShowInLastStatement)
{
    const QStringList names = {QStringLiteral("O'Brien \"Bud\""), QStringLiteral("50%_off"),
                               QStringLiteral("Zoë Łukasz 東京"),
                               QStringLiteral("x'); DROP TABLE People; --")};
    for (const QString& name : names) {
        ASSERT_TRUE(m_db.execute(QStringLiteral("INSERT INTO People (Name, Age) VALUES (?, ?)"), {name, 30}))
            << m_db.lastError().toStdString();
    }
    EXPECT_EQ(m_db.changes(), 1);
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("INSERT INTO People (Name, Age) VALUES "
                                                   "('x''); DROP TABLE People; --', 30)"));
    for (const QString& name : names) {
        auto set = m_db.query(QStringLiteral("SELECT * FROM People WHERE Name = ?"), {name});
        ASSERT_TRUE(set) << m_db.lastError().toStdString();
        ASSERT_EQ(set->rowCount(), 1) << name.toStdString();
        EXPECT_EQ(set->toText(QStringLiteral("Name")), name);
    }
    EXPECT_TRUE(m_db.lastStatement().contains(QStringLiteral("'x''); DROP TABLE People; --'")));
    // A "%" or "_" in a bound value is an ordinary character for "=".
    auto none =
        m_db.query(QStringLiteral("SELECT * FROM People WHERE Name = ?"), {QStringLiteral("50__off")});
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEof());
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("SELECT * FROM People WHERE Name = '50__off'"));
    EXPECT_TRUE(m_db.lastError().isEmpty());
}

TEST_F(SqlConnectionTest, ValueTypesAreBoundAsTheirSqlCounterparts)
{
    const QVariantList values = {
        QStringLiteral("t"), QString(), 7, qint64(1) << 40, true, 2.5, QVariant(), QByteArray("\x01\x02", 2)};
    for (const QVariant& v : values)
        ASSERT_TRUE(m_db.execute(QStringLiteral("INSERT INTO Kinds (v) VALUES (?)"), {v}))
            << m_db.lastError().toStdString();
    EXPECT_EQ(typeOf(QStringLiteral("rowid = 1"), {}), QStringLiteral("text"));
    EXPECT_EQ(typeOf(QStringLiteral("rowid = 2"), {}), QStringLiteral("text")); // a null QString is ''
    EXPECT_EQ(typeOf(QStringLiteral("v = ?"), {qint64(1) << 40}), QStringLiteral("integer"));
    EXPECT_EQ(typeOf(QStringLiteral("rowid = 5"), {}), QStringLiteral("integer"));
    EXPECT_EQ(typeOf(QStringLiteral("v = ?"), {2.5}), QStringLiteral("real"));
    EXPECT_EQ(typeOf(QStringLiteral("rowid = 7"), {}), QStringLiteral("null"));
    EXPECT_EQ(typeOf(QStringLiteral("rowid = 8"), {}), QStringLiteral("blob"));

    auto set = m_db.query(QStringLiteral("SELECT v FROM Kinds ORDER BY rowid"));
    ASSERT_TRUE(set);
    QStringList texts;
    for (set->moveFirst(); !set->isEof(); set->moveNext())
        texts << set->toText(QStringLiteral("v"));
    EXPECT_EQ(texts,
              (QStringList{"t", "", "7", "1099511627776", "1", "2.5", "", QString::fromLatin1("\x01\x02")}));
}

TEST_F(SqlConnectionTest, ScriptsRunEveryStatementButParametersNeedOneStatement)
{
    EXPECT_TRUE(m_db.execute(QStringLiteral("INSERT INTO Kinds VALUES (1); -- one\n"
                                            "INSERT INTO Kinds VALUES (2);\n/* end */  ")));
    auto count = m_db.query(QStringLiteral("SELECT count(*) AS n FROM Kinds"));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->toUInt(QStringLiteral("n")), 2u);

    // The second statement must not run silently ignored, nor at all.
    EXPECT_FALSE(m_db.execute(QStringLiteral("INSERT INTO Kinds VALUES (?); DELETE FROM Kinds"), {3}));
    EXPECT_FALSE(m_db.lastError().isEmpty());
    EXPECT_FALSE(m_db.query(QStringLiteral("SELECT * FROM Kinds; DELETE FROM Kinds")));
    EXPECT_EQ(m_db.query(QStringLiteral("SELECT count(*) AS n FROM Kinds"))->toUInt(QStringLiteral("n")), 2u);

    EXPECT_FALSE(m_db.execute(QStringLiteral("INSERT INTO Kinds VALUES (?)"), {1, 2})); // count mismatch
    EXPECT_FALSE(m_db.execute(QString()));
    EXPECT_FALSE(m_db.execute(QStringLiteral("  -- nothing\n")));
    EXPECT_FALSE(m_db.query(QString()));
}

TEST_F(SqlConnectionTest, FailuresSetLastErrorAndLastStatement)
{
    ASSERT_TRUE(
        m_db.execute(QStringLiteral("INSERT INTO People (Name) VALUES (?)"), {QStringLiteral("Ann")}));
    // Fails while stepping: the statement as it ran.
    EXPECT_FALSE(m_db.execute(QStringLiteral("INSERT INTO People (Name, Age) VALUES (?, ?)"),
                              {QStringLiteral("Ann"), 4}));
    EXPECT_TRUE(m_db.lastError().contains(QStringLiteral("UNIQUE"))) << m_db.lastError().toStdString();
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("INSERT INTO People (Name, Age) VALUES ('Ann', 4)"));

    // Fails to compile: the text with the values put in by expand().
    EXPECT_FALSE(m_db.query(QStringLiteral("SELEKT * FROM People WHERE Name = ?"), {QStringLiteral("it's")}));
    EXPECT_TRUE(m_db.lastError().contains(QStringLiteral("syntax error"))) << m_db.lastError().toStdString();
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("SELEKT * FROM People WHERE Name = 'it''s'"));
    EXPECT_FALSE(m_db.query(QStringLiteral("SELECT Nope FROM People")));
    EXPECT_TRUE(m_db.lastError().contains(QStringLiteral("Nope")));

    EXPECT_TRUE(m_db.execute(QStringLiteral("DELETE FROM Kinds")));
    EXPECT_TRUE(m_db.lastError().isEmpty());
}

TEST_F(SqlConnectionTest, QueryReadsRowsAndConvertsValues)
{
    ASSERT_TRUE(
        m_db.execute(QStringLiteral("INSERT INTO People (Name, Age, Note) VALUES ('A', 31, NULL);"
                                    "INSERT INTO People (Name, Age, Note) VALUES ('B', NULL, '12abc');"
                                    "INSERT INTO Kinds VALUES (' -1'), (3.9), ('99999999999'), ('x')")));
    auto set = m_db.query(QStringLiteral("SELECT * FROM People ORDER BY Name"));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->columns(), (QStringList{"Id", "Name", "Age", "Note"}));
    ASSERT_FALSE(set->isEof());
    EXPECT_EQ(set->toUInt(QStringLiteral("Age")), 31u);
    EXPECT_EQ(set->toText(QStringLiteral("Age")), QStringLiteral("31"));
    EXPECT_TRUE(set->isNull(QStringLiteral("Note")));
    EXPECT_EQ(set->toText(QStringLiteral("Note")), QString());
    EXPECT_EQ(set->toUInt(QStringLiteral("PenTime")), 0u); // absent column
    EXPECT_EQ(set->toText(QStringLiteral("PenTime")), QString());
    EXPECT_FALSE(set->hasColumn(QStringLiteral("PenTime")));
    EXPECT_TRUE(set->moveNext());
    EXPECT_EQ(set->toUInt(QStringLiteral("Age")), 0u);
    EXPECT_EQ(set->toUInt(QStringLiteral("Note")), 12u); // digits of a text, as SQLite casts
    EXPECT_TRUE(set->moveNext());
    EXPECT_TRUE(set->isEof());
    EXPECT_FALSE(set->moveNext());
    EXPECT_EQ(set->toText(QStringLiteral("Name")), QString()); // past the end
    EXPECT_TRUE(set->moveFirst());
    EXPECT_EQ(set->toText(QStringLiteral("Name")), QStringLiteral("A"));

    auto kinds = m_db.query(QStringLiteral("SELECT v FROM Kinds ORDER BY rowid"));
    ASSERT_TRUE(kinds);
    QList<quint32> values;
    for (; !kinds->isEof(); kinds->moveNext())
        values << kinds->toUInt(QStringLiteral("v"));
    EXPECT_EQ(values, (QList<quint32>{0xFFFFFFFFu, 3u, quint32(99999999999LL), 0u}));

    auto empty = m_db.query(QStringLiteral("SELECT * FROM People WHERE Age > ?"), {100});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEof());
    EXPECT_FALSE(empty->moveFirst());
    EXPECT_EQ(empty->columns().size(), 4);
}

TEST_F(SqlConnectionTest, QueryRefusesStatementsWithoutResultColumnsAndDoesNotRunThem)
{
    ASSERT_TRUE(m_db.execute(QStringLiteral("INSERT INTO Kinds VALUES (1)")));
    EXPECT_FALSE(m_db.query(QStringLiteral("DELETE FROM Kinds")));
    EXPECT_FALSE(m_db.lastError().isEmpty());
    auto count = m_db.query(QStringLiteral("SELECT count(*) AS n FROM Kinds"));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->toUInt(QStringLiteral("n")), 1u);
}

// Rows read one by one into records give what a record set of the same
// statement gives, value by value, whatever each value's kind; a statement
// that changes data is refused and not run.
TEST_F(SqlConnectionTest, RowsReadOneByOneConvertAsARecordSetDoes)
{
    ASSERT_TRUE(m_db.execute(QStringLiteral(
        "INSERT INTO Kinds VALUES (' -1'), (3.9), ('99999999999'), ('x'), (NULL), (x'3132'), (-7), "
        "('Rodéo'), (1e300), ('')")));
    const QString sql = QStringLiteral("SELECT v, rowid AS r FROM Kinds WHERE rowid > ? ORDER BY rowid");
    auto set = m_db.query(sql, {0});
    ASSERT_TRUE(set);
    int rows = 0;
    int missing = 0;
    ASSERT_TRUE(m_db.forEachRow(sql, {0}, [&](const SqlRow& row) {
        missing = row.columnOf(QStringLiteral("PenTime"));
        for (const QString& column : {QStringLiteral("v"), QStringLiteral("r")}) {
            const int at = row.columnOf(column);
            EXPECT_EQ(row.toText(at), set->toText(column)) << "row " << rows;
            EXPECT_EQ(row.toUInt(at), set->toUInt(column)) << "row " << rows;
            EXPECT_EQ(row.value(at), set->value(column)) << "row " << rows;
        }
        set->moveNext();
        ++rows;
    })) << m_db.lastError().toStdString();
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(missing, -1);
    EXPECT_TRUE(set->isEof());

    EXPECT_FALSE(m_db.forEachRow(QStringLiteral("DELETE FROM Kinds"), {}, [](const SqlRow&) {}));
    EXPECT_FALSE(m_db.lastError().isEmpty());
    EXPECT_FALSE(m_db.forEachRow(QStringLiteral("SELECT nothing FROM Kinds"), {}, [](const SqlRow&) {}));
    auto count = m_db.query(QStringLiteral("SELECT count(*) AS n FROM Kinds"));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->toUInt(QStringLiteral("n")), 10u);
}

TEST(SqlConnectionExpand, FillsPlaceholdersOutsideQuotesAndComments)
{
    const QVariantList params = {QStringLiteral("it's"), 5, QVariant(), 1.5, true};
    EXPECT_EQ(
        SqlConnection::expand(QStringLiteral("SELECT '?', \"?\", [?], ? -- ?\n, ? /* ? */, ?, ?, ?"), params),
        QStringLiteral("SELECT '?', \"?\", [?], 'it''s' -- ?\n, 5 /* ? */, NULL, 1.5, 1"));
    // Numbered parameters, and more placeholders than values.
    EXPECT_EQ(SqlConnection::expand(QStringLiteral("?2 ?1 ? ?"), {1, 2}), QStringLiteral("2 1 NULL NULL"));
    // An unterminated quote neither loops nor loses text.
    EXPECT_EQ(SqlConnection::expand(QStringLiteral("x = 'open ?"), {1}), QStringLiteral("x = 'open ?"));
}

// Another season's file is read while its own writer keeps it open: the
// read-only connection sees the committed rows and can change nothing.
TEST_F(SqlConnectionTest, ReadOnlyOpenReadsButNeverWrites)
{
    ASSERT_TRUE(m_db.execute(QStringLiteral("INSERT INTO People (Name) VALUES ('Tate')")));
    SqlConnection reader;
    ASSERT_TRUE(reader.openReadOnly(m_file)) << reader.lastError().toStdString();
    auto rows = reader.query(QStringLiteral("SELECT Name FROM People"));
    ASSERT_TRUE(rows && rows->moveFirst());
    EXPECT_EQ(rows->toText(QStringLiteral("Name")), QStringLiteral("Tate"));
    EXPECT_FALSE(reader.execute(QStringLiteral("INSERT INTO People (Name) VALUES ('Kylie')")));
    EXPECT_EQ(m_db.query(QStringLiteral("SELECT COUNT(*) AS n FROM People"))->toInt64(QStringLiteral("n")),
              1);

    // A file that is not a database fails at once.
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.mdb"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_FALSE(reader.openReadOnly(garbage));
    EXPECT_FALSE(reader.isOpen());
}

// Statements are kept prepared between uses: each use still runs with its own
// values, a failed run leaves nothing behind for the next, a changed table is
// seen, a statement let go is prepared again, and the last statement keeps
// the values it ran with after its prepared statement was finalised.
TEST_F(SqlConnectionTest, KeptStatementsRunAnewWithTheirOwnValues)
{
    const QString insert = QStringLiteral("INSERT INTO People (Name, Age) VALUES (?, ?)");
    ASSERT_TRUE(m_db.execute(insert, {QStringLiteral("Ann"), 30}));
    EXPECT_FALSE(m_db.execute(insert, {QStringLiteral("Ann"), 31})); // the name is unique
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("INSERT INTO People (Name, Age) VALUES ('Ann', 31)"));
    ASSERT_TRUE(m_db.execute(insert, {QStringLiteral("Bo"), 40})) << m_db.lastError().toStdString();
    EXPECT_TRUE(m_db.lastError().isEmpty());

    const QString select = QStringLiteral("SELECT * FROM People WHERE Age > ? ORDER BY Id");
    auto before = m_db.query(select, {20});
    ASSERT_TRUE(before);
    EXPECT_EQ(before->rowCount(), 2);
    ASSERT_TRUE(m_db.execute(QStringLiteral("ALTER TABLE People ADD COLUMN Town TEXT")));
    auto after = m_db.query(select, {35});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->rowCount(), 1);
    EXPECT_TRUE(after->hasColumn(QStringLiteral("Town")));
    EXPECT_EQ(after->statement(), QStringLiteral("SELECT * FROM People WHERE Age > 35 ORDER BY Id"));

    const QString update = QStringLiteral("UPDATE People SET Age = ? WHERE Name = ?");
    ASSERT_TRUE(m_db.execute(update, {41, QStringLiteral("Bo")}));
    for (int i = 0; i < 2 * SqlStatementCache::Capacity; ++i)
        ASSERT_TRUE(m_db.query(QStringLiteral("SELECT %1 AS n WHERE ? = ?").arg(i), {i, i}));
    ASSERT_TRUE(m_db.execute(update, {42, QStringLiteral("Bo")}));
    EXPECT_EQ(m_db.changes(), 1);

    m_db.close();
    EXPECT_EQ(m_db.lastStatement(), QStringLiteral("UPDATE People SET Age = 42 WHERE Name = 'Bo'"));
    ASSERT_TRUE(m_db.open(m_file));
    auto age = m_db.query(QStringLiteral("SELECT Age FROM People WHERE Name = ?"), {QStringLiteral("Bo")});
    ASSERT_TRUE(age);
    EXPECT_EQ(age->toInt64(QStringLiteral("Age")), 42);
}
