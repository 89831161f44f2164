#include "store/SQLiteDatabase.h"

#include "tests/support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class SQLiteDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.SetFileName(dir.File(QStringLiteral("t.db")));
        db.Open();
        ASSERT_TRUE(db.IsOpen());
        db.ExecSQL(QStringLiteral("CREATE TABLE T (A INTEGER, B TEXT)"));
    }
    testing_support::TempProgramDir dir;
    TSQLiteDatabase db;
};

TEST_F(SQLiteDatabaseTest, EmptyResultsLeaveNoTable)
{
    EXPECT_EQ(db.ExecSQL(QStringLiteral("SELECT A, B FROM T")), 0);
    EXPECT_EQ(db.ColumnCount(), 0);
    EXPECT_EQ(db.RowCount(0), 0);
    EXPECT_EQ(db.Cell(0, 0), QString());
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT A FROM T WHERE A = 1")), QString());
    // An aggregate over no rows delivers one row holding NULL, read as the empty text.
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT max(A) FROM T")), QString());
    EXPECT_EQ(db.RowCount(0), 1);
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT count(*) FROM T")), QStringLiteral("0"));
}

TEST_F(SQLiteDatabaseTest, GathersRowsByColumnAndIndexesSafely)
{
    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (1, 'one'); INSERT INTO T VALUES (2, NULL);"
                              "INSERT INTO T VALUES (3, 'drei – ü')"));
    ASSERT_EQ(db.ExecSQL(QStringLiteral("SELECT A, B AS Label FROM T ORDER BY A")), 0);
    ASSERT_EQ(db.ColumnCount(), 2);
    EXPECT_EQ(db.ColumnName(1), QStringLiteral("Label"));
    EXPECT_EQ(db.RowCount(0), 3);
    EXPECT_EQ(db.RowCount(1), 3);
    EXPECT_EQ(db.Cell(0, 2), QStringLiteral("3"));
    EXPECT_EQ(db.Cell(1, 0), QStringLiteral("one"));
    EXPECT_EQ(db.Cell(1, 1), QString()); // NULL
    EXPECT_EQ(db.Cell(1, 2), QStringLiteral("drei – ü"));
    for (const auto& [column, row] : {std::pair{0, 3}, {2, 0}, {-1, 0}, {0, -1}})
        EXPECT_EQ(db.Cell(column, row), QString()) << column << "," << row;
    EXPECT_EQ(db.RowCount(2), 0);
    EXPECT_EQ(db.RowCount(-1), 0);
}

TEST_F(SQLiteDatabaseTest, FailedStatementReturnsCodeAndClearsResults)
{
    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (1, 'x')"));
    db.ExecSQL(QStringLiteral("SELECT * FROM T"));
    ASSERT_EQ(db.RowCount(0), 1);
    EXPECT_NE(db.ExecSQL(QStringLiteral("SELECT * FROM Missing")), 0);
    EXPECT_EQ(db.RowCount(0), 0);
    // The engine's own reason is kept for the person to read.
    EXPECT_EQ(db.LastError(), QStringLiteral("no such table: Missing"));
    EXPECT_TRUE(db.InAutocommit());
    db.ExecSQL(QStringLiteral("BEGIN"));
    EXPECT_FALSE(db.InAutocommit());
}

TEST_F(SQLiteDatabaseTest, LastInsertRowIDFollowsInserts)
{
    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (10, 'a')"));
    EXPECT_EQ(db.LastInsertRowID(), 1);
    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (11, 'b')"));
    EXPECT_EQ(db.LastInsertRowID(), 2);
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT A FROM T WHERE ROWID = %1").arg(db.LastInsertRowID())),
              QStringLiteral("11"));
}

TEST_F(SQLiteDatabaseTest, FileNameIsFixedWhileOpenAndResultsOutliveClose)
{
    const QString original = db.FileName();
    db.SetFileName(dir.File(QStringLiteral("other.db")));
    EXPECT_EQ(db.FileName(), original);

    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (5, 'kept')"));
    db.ExecSQL(QStringLiteral("SELECT B FROM T"));
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Cell(0, 0), QStringLiteral("kept"));
    // Closed: nothing runs, the code is 1 and the old results stay.
    EXPECT_EQ(db.ExecSQL(QStringLiteral("DELETE FROM T")), 1);
    EXPECT_EQ(db.Cell(0, 0), QStringLiteral("kept"));
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT 1")), QStringLiteral("kept"));
    db.ClearResults();
    EXPECT_EQ(db.RowCount(0), 0);

    db.SetFileName(dir.File(QStringLiteral("other.db")));
    EXPECT_EQ(db.FileName(), dir.File(QStringLiteral("other.db")));
    db.Open();
    EXPECT_TRUE(QFile::exists(dir.File(QStringLiteral("other.db"))));
}

TEST_F(SQLiteDatabaseTest, TakenResultsStayWithTheirTakerThroughLaterStatements)
{
    db.ExecSQL(QStringLiteral("INSERT INTO T VALUES (1, 'one'); INSERT INTO T VALUES (2, NULL)"));
    db.ExecSQL(QStringLiteral("SELECT A, B FROM T ORDER BY A"));
    const std::unique_ptr<TResultTable> taken = db.TakeResults();
    EXPECT_EQ(db.RowCount(0), 0) << "the object keeps no result";
    db.ExecSQL(QStringLiteral("SELECT count(*) FROM T"));
    db.Close();
    ASSERT_EQ(taken->ColumnCount(), 2);
    EXPECT_EQ(taken->RowCount(), 2);
    EXPECT_EQ(taken->Cell(1, 0), QStringLiteral("one"));
    EXPECT_EQ(taken->Cell(1, 1), QString());
    EXPECT_EQ(taken->CellBytes(0, 1), QByteArrayView("2"));
    EXPECT_EQ(taken->Cell(2, 0), QString());
    EXPECT_EQ(taken->Cell(0, 5), QString());
    // A statement without rows hands over an empty table, never none.
    db.Open();
    db.ExecSQL(QStringLiteral("SELECT A FROM T WHERE A > 9"));
    const std::unique_ptr<TResultTable> none = db.TakeResults();
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->RowCount(), 0);
}

TEST_F(SQLiteDatabaseTest, DoubleQuotedLiteralsReadAsStrings)
{
    db.ExecSQL(QStringLiteral("CREATE TABLE F (Flag TEXT NOT NULL DEFAULT \"f\")"));
    db.ExecSQL(QStringLiteral("INSERT INTO F DEFAULT VALUES; INSERT INTO F VALUES (\"t\")"));
    EXPECT_EQ(db.QueryValue(QStringLiteral("SELECT count(*) FROM F WHERE Flag = \"t\"")), QStringLiteral("1"));
}

TEST(SQLiteDatabase, OpenFailureLeavesObjectClosed)
{
    TSQLiteDatabase db;
    db.SetFileName(QStringLiteral("/nonexistent-folder/for/sure/x.db"));
    db.Open();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.ExecSQL(QStringLiteral("SELECT 1")), 1);
    EXPECT_EQ(db.LastInsertRowID(), 0);
}

} // namespace
