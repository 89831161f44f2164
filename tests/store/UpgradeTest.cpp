#include "store/Upgrade.h"

#include "platform/Today.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "tests/support/DataFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::ReadAll;
using testing_support::TempProgramDir;

const QDate kUpgradeDay(2026, 12, 10);

// A file of the previous layout: two systems, whose "Unbudgeted" items have ROWIDs 7 and 2, a few
// transactions and allocations, linked and not.
class UpgradeTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::SetTodayOverride(kUpgradeDay); }
    void TearDown() override { platform::SetTodayOverride(QDate()); }

    QString DataFile() const { return dir.File(QStringLiteral("Cofferly.db")); }
    void CreateFile(const QString& rows) { testing_support::CreatePreviousLayoutFile(DataFile(), rows); }
    upgrade::Result Upgrade(std::vector<int>* steps = nullptr)
    {
        TSQLiteDatabase db;
        db.SetFileName(DataFile());
        db.Open();
        return upgrade::UpgradeStore(db, DataFile(), [steps](int done, int) {
            if (steps)
                steps->push_back(done);
        });
    }
    QString Value(const QString& sql)
    {
        TSQLiteDatabase db;
        db.SetFileName(DataFile());
        db.Open();
        return db.QueryValue(sql);
    }

    TempProgramDir dir;
};

QString Rows()
{
    const qint32 march1 = DateToDayNumber(QDate(2026, 3, 1));
    return QStringLiteral(
               "INSERT INTO BudgetSystems (Name) VALUES ('Home');"
               "INSERT INTO BudgetSystems (Name) VALUES ('Work');"
               "INSERT INTO BudgetCategories (ROWID, SystemID, Name) VALUES (7, 1, 'Unbudgeted');"
               "INSERT INTO BudgetCategories (ROWID, SystemID, Name) VALUES (2, 2, 'Unbudgeted');"
               "INSERT INTO BudgetCategories (ROWID, SystemID, Name) VALUES (8, 1, 'Food');"
               "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) VALUES (1, 0, 0, 0);"
               "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) VALUES (2, 0, 0, 0);"
               "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) VALUES (1, 7, 8, 1);"
               "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Cash');"
               "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES (1, %1, 1000, 0);"
               "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES (1, %2, -250, 0);"
               // 1 and 2 belong to the credit, 3 to the debit, 4 to no transaction (a transfer between
               // items), 5 to a transaction that is gone.
               "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (7, 900);"
               "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (8, 100);"
               "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (8, -250);"
               "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (2, 42);"
               "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (8, 5);"
               "INSERT INTO TransTOBudget (TransID, BudgetTransID) VALUES (1, 1);"
               "INSERT INTO TransTOBudget (TransID, BudgetTransID) VALUES (1, 2);"
               "INSERT INTO TransTOBudget (TransID, BudgetTransID) VALUES (2, 3);"
               "INSERT INTO TransTOBudget (TransID, BudgetTransID) VALUES (99, 5)")
        .arg(QString::number(march1), QString::number(march1 + 10));
}

TEST_F(UpgradeTest, EveryAllocationKeepsItsItemAmountLinkAndDate)
{
    CreateFile(Rows());
    const QByteArray original = ReadAll(DataFile());
    std::vector<int> steps;
    const upgrade::Result result = Upgrade(&steps);
    ASSERT_TRUE(result.upgraded) << result.reason.toStdString();

    const qint32 march1 = DateToDayNumber(QDate(2026, 3, 1));
    const qint32 today = DateToDayNumber(kUpgradeDay);
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(r, ' ') FROM (SELECT BudgetCatID || ':' || Amount || ':' || "
                                   "TransID || ':' || TransDate AS r FROM NewBudgetTransactions ORDER BY ROWID)")),
              QStringLiteral("7:900:1:%1 8:100:1:%1 8:-250:2:%2 2:42:0:%3 8:5:0:%3")
                  .arg(QString::number(march1), QString::number(march1 + 10), QString::number(today)));
    // Rules into 0 name their own system's "Unbudgeted"; others stay.
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(IntoBudgetCat, ',') FROM (SELECT IntoBudgetCat FROM "
                                   "BudgetRules ORDER BY ROWID)")),
              QStringLiteral("7,2,8"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                                   "('BudgetTransactions', 'TransTOBudget')")),
              QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                                   "tbl_name = 'NewBudgetTransactions'")),
              QStringLiteral("4"));
    EXPECT_EQ(steps.back(), 6);

    // The file as it was is kept beside it, and the store now opens the file as it is.
    EXPECT_EQ(result.copyPath, dir.File(QStringLiteral("Cofferly-v2.db")));
    EXPECT_EQ(ReadAll(result.copyPath), original);
    TDataStore store;
    int upgrades = 0;
    store.SetUpgradeHook([&](TSQLiteDatabase&, const QString&) { return ++upgrades > 0; });
    testing_support::ScriptedMessages silent;
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions")), QStringLiteral("5"));
    EXPECT_EQ(upgrades, 0);
}

TEST_F(UpgradeTest, AFileWithoutAllocationsGetsTheNewTableAndLosesTheOldOnes)
{
    CreateFile(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
    ASSERT_TRUE(Upgrade().upgraded);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'TransTOBudget'")),
              QStringLiteral("0"));
}

TEST_F(UpgradeTest, AFailureInTheMiddleLeavesTheFileAsItWasAndItIsTriedAgain)
{
    // An allocation without an amount cannot be carried over: the new table does not take it. The old
    // table refuses it too, so the broken row is made the way another program could have made it.
    CreateFile(Rows());
    {
        TSQLiteDatabase db;
        db.SetFileName(DataFile());
        db.Open();
        db.ExecSQL(QStringLiteral("PRAGMA writable_schema = ON;"
                                  "UPDATE sqlite_master SET sql = 'CREATE TABLE BudgetTransactions (BudgetCatID, Amount)' "
                                  "WHERE name = 'BudgetTransactions'"));
    }
    {
        TSQLiteDatabase db;
        db.SetFileName(DataFile());
        db.Open();
        db.ExecSQL(QStringLiteral("INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (8, NULL)"));
    }
    const QByteArray before = ReadAll(DataFile());
    const upgrade::Result failed = Upgrade();
    EXPECT_FALSE(failed.upgraded);
    EXPECT_TRUE(failed.reason.contains(QStringLiteral("NOT NULL"))) << failed.reason.toStdString();
    EXPECT_EQ(ReadAll(DataFile()), before);
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("Cofferly-v2.db"))));

    // Mended, the next start upgrades it.
    {
        TSQLiteDatabase db;
        db.SetFileName(DataFile());
        db.Open();
        db.ExecSQL(QStringLiteral("DELETE FROM BudgetTransactions WHERE Amount IS NULL"));
    }
    EXPECT_TRUE(Upgrade().upgraded);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions")), QStringLiteral("5"));
}

TEST_F(UpgradeTest, AnEarlierCopyIsNeverOverwritten)
{
    testing_support::WriteAll(dir.File(QStringLiteral("Cofferly-v2.db")), "an older copy");
    CreateFile(Rows());
    const upgrade::Result result = Upgrade();
    ASSERT_TRUE(result.upgraded);
    EXPECT_EQ(result.copyPath, dir.File(QStringLiteral("Cofferly-v2 (2).db")));
    EXPECT_EQ(ReadAll(dir.File(QStringLiteral("Cofferly-v2.db"))), QByteArray("an older copy"));
}

} // namespace
