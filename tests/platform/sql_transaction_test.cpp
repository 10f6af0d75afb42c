#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"
#include "platform/sql/sqltransaction.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

class SqlTransactionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("season.mdb"));
        ASSERT_TRUE(db.create(m_file));
        ASSERT_TRUE(db.execute(QStringLiteral("CREATE TABLE T (v INTEGER PRIMARY KEY)")));
        ASSERT_TRUE(other.open(m_file));
    }

    void insert(int v) { ASSERT_TRUE(db.execute(QStringLiteral("INSERT INTO T (v) VALUES (?)"), {v})); }
    // What another connection sees: only what was committed.
    QString committed()
    {
        auto rs =
            other.query(QStringLiteral("SELECT group_concat(v) AS c FROM (SELECT v FROM T ORDER BY v)"));
        return rs ? rs->toText(QStringLiteral("c")) : QStringLiteral("<failed>");
    }

    QTemporaryDir m_dir;
    QString m_file;
    SqlConnection db;
    SqlConnection other;
};

struct Nesting
{
    const char* name;
    bool innerCommits;
    bool outerCommits;
    const char* kept;
};

class SqlTransactionNesting : public SqlTransactionTest, public ::testing::WithParamInterface<Nesting>
{
};

} // namespace

// An inner guard is a savepoint of the outer transaction: its rollback undoes
// only its own rows, and nothing is kept until the outermost guard commits.
TEST_P(SqlTransactionNesting, KeepsExactlyWhatTheOutermostCommitKeeps)
{
    const Nesting& n = GetParam();
    {
        SqlTransaction outer(db);
        ASSERT_TRUE(outer.isActive());
        insert(1);
        {
            SqlTransaction inner(db);
            ASSERT_TRUE(inner.isActive());
            EXPECT_EQ(db.transactionDepth(), 2);
            insert(2);
            if (n.innerCommits) {
                EXPECT_TRUE(inner.commit());
            }
        }
        EXPECT_EQ(committed(), QString()) << "visible before the outer commit";
        insert(3);
        if (n.outerCommits) {
            EXPECT_TRUE(outer.commit());
        }
    }
    EXPECT_EQ(db.transactionDepth(), 0);
    EXPECT_EQ(committed(), QString::fromLatin1(n.kept));
}

INSTANTIATE_TEST_SUITE_P(Outcomes, SqlTransactionNesting,
                         ::testing::Values(Nesting{"BothCommit", true, true, "1,2,3"},
                                           Nesting{"InnerRolledBack", false, true, "1,3"},
                                           Nesting{"OuterRolledBack", true, false, ""},
                                           Nesting{"NeitherCommits", false, false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// A failing statement inside the transaction neither commits the rows before
// it nor leaves the connection stuck inside a transaction.
TEST_F(SqlTransactionTest, FailureHalfWayKeepsNothingAndLeavesTheConnectionUsable)
{
    {
        SqlTransaction tx(db);
        insert(1);
        EXPECT_FALSE(db.execute(QStringLiteral("INSERT INTO T (v) VALUES (1)"))); // duplicate key
        const QString failure = db.lastError();
        EXPECT_FALSE(failure.isEmpty());
        tx.rollback();
        // The rollback does not hide the failure that caused it.
        EXPECT_EQ(db.lastError(), failure);
    }
    EXPECT_EQ(committed(), QString());
    insert(7); // autocommit again
    EXPECT_EQ(committed(), QStringLiteral("7"));
}

// A guard whose connection was closed under it does nothing, and the write
// lock taken by an open transaction makes a second writer's guard fail at once.
TEST_F(SqlTransactionTest, StaleGuardsAndBusyDatabases)
{
    {
        SqlTransaction tx(db);
        insert(1);
        db.close();
        EXPECT_FALSE(tx.commit());
    }
    ASSERT_TRUE(db.open(m_file));
    EXPECT_EQ(committed(), QString());
    EXPECT_EQ(db.transactionDepth(), 0);

    SqlTransaction writer(db);
    ASSERT_TRUE(writer.isActive());
    ASSERT_TRUE(other.execute(QStringLiteral("PRAGMA busy_timeout=0")));
    std::optional<SqlTransaction> second;
    second.emplace(other);
    EXPECT_FALSE(second->isActive());
    EXPECT_FALSE(second->commit());
    EXPECT_EQ(other.transactionDepth(), 0);
}
