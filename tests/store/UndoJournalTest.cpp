#include "store/UndoJournal.h"

#include "store/DataStore.h"
#include "store/Encodings.h"
#include "store/Schema.h"
#include "tests/support/DataFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::ScriptedMessages;
using testing_support::TempProgramDir;

// A data file with one system and one account, and a journal over it.
class UndoJournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")),
                                        testing_support::OneSystemOneAccount());
        journal.SetEnabledHandler([this](bool enabled) { enabledStates.push_back(enabled); });
        journal.SetNoticeHandler([this](const QString& notice) { notices.push_back(notice); });
        journal.ResetUndoJournal();
    }

    QString AccountName() { return store.StoreQueryValue(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = 1")); }

    // Renames the account the way every recording command works: the change, then its reversal recorded.
    void RenameAccount(const QString& name)
    {
        const QString old = AccountName();
        store.StoreExec(QStringLiteral("UPDATE Accounts SET Name = %1 WHERE ROWID = 1").arg(SqlCleanText(name)));
        journal.BeginUndoGroup();
        journal.RecordUndo(QStringLiteral("UPDATE Accounts SET Name = %1 WHERE ROWID = 1").arg(SqlText(old)),
                           QStringLiteral("Accounts"));
        journal.EndUndoGroup();
    }

    TempProgramDir dir;
    ScriptedMessages messages; // no box may appear
    TDataStore store;
    TUndoJournal journal{store};
    std::vector<bool> enabledStates;
    std::vector<QString> notices;
};

TEST_F(UndoJournalTest, UndoesGroupsNewestFirst)
{
    RenameAccount(QStringLiteral("Bills"));
    RenameAccount(QStringLiteral("Joe's \"Main\""));
    EXPECT_EQ(AccountName(), QStringLiteral("Joe's 'Main'"));
    EXPECT_TRUE(journal.UndoEnabled());

    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Bills"));
    EXPECT_TRUE(journal.UndoEnabled());
    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Checking"));
    EXPECT_FALSE(journal.UndoEnabled());
    EXPECT_EQ(notices, (std::vector<QString>{QStringLiteral("Accounts"), QStringLiteral("Accounts")}));

    // Nothing left: Undo changes nothing and stays off.
    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Checking"));
    EXPECT_FALSE(journal.UndoEnabled());
    EXPECT_EQ(notices.size(), 2u);
}

TEST_F(UndoJournalTest, EmptyJournalChangesNothing)
{
    const QByteArray before = testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));
    journal.UndoLastGroup();
    EXPECT_FALSE(journal.UndoEnabled());
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), before);
}

TEST_F(UndoJournalTest, ResetForgetsEveryGroupAndDisablesUndo)
{
    RenameAccount(QStringLiteral("Bills"));
    RenameAccount(QStringLiteral("Cash"));
    journal.ResetUndoJournal();
    EXPECT_FALSE(journal.UndoEnabled());
    EXPECT_FALSE(enabledStates.back());
    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Cash"));
}

TEST_F(UndoJournalTest, ReplaysInRecordedOrderWithLastInsertRowid)
{
    // A deleted transfer comes back as two new rows joined by a link, each half learning the id just made.
    store.StoreExec(QStringLiteral("INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings')"));
    journal.BeginUndoGroup();
    const QString insert = QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID, Notes) "
                                          "VALUES (%1, 46000, %2, 0, \"moved\")");
    journal.RecordUndo(insert.arg(1).arg(-2500), QStringLiteral("Accounts"));
    journal.RecordUndo(QStringLiteral("INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (last_insert_rowid(), -1)"),
                       QStringLiteral("Accounts"));
    journal.RecordUndo(insert.arg(2).arg(2500), QStringLiteral("Accounts"));
    journal.RecordUndo(QStringLiteral("UPDATE TransTOTrans SET TransID2 = last_insert_rowid() WHERE TransID2 = -1"),
                       QStringLiteral("Accounts"));
    journal.EndUndoGroup();
    journal.UndoLastGroup();

    TSQLiteDatabase& db = store.Data();
    store.OpenStore();
    db.ExecSQL(QStringLiteral("SELECT a.AccountID, a.Amount, b.AccountID, b.Amount, a.Notes FROM TransTOTrans l "
                              "JOIN Transactions a ON a.ROWID = l.TransID1 JOIN Transactions b ON b.ROWID = l.TransID2"));
    db.Close();
    ASSERT_EQ(db.RowCount(0), 1);
    EXPECT_EQ(db.Cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(db.Cell(1, 0), QStringLiteral("-2500"));
    EXPECT_EQ(db.Cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(db.Cell(3, 0), QStringLiteral("2500"));
    EXPECT_EQ(db.Cell(4, 0), QStringLiteral("moved"));
}

TEST_F(UndoJournalTest, OnlyTheFirstRecordsNoticeCounts)
{
    journal.BeginUndoGroup();
    journal.RecordUndo(QStringLiteral("DELETE FROM BudgetRules WHERE ROWID = 99"), QStringLiteral("Parties"));
    journal.RecordUndo(QStringLiteral("UPDATE Accounts SET Deleted = 'f' WHERE ROWID = 1"), QStringLiteral("Accounts"));
    journal.EndUndoGroup();
    journal.UndoLastGroup();
    EXPECT_EQ(notices, std::vector<QString>{QStringLiteral("Parties")});
}

TEST_F(UndoJournalTest, RecordingOutsideAGroupKeepsNothing)
{
    journal.RecordUndo(QStringLiteral("DELETE FROM Accounts"), QStringLiteral("Accounts"));
    EXPECT_FALSE(journal.UndoEnabled());
    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Checking"));
}

TEST_F(UndoJournalTest, AGroupThatCannotBeReplayedInFullChangesNothingAndStays)
{
    RenameAccount(QStringLiteral("Bills"));
    journal.BeginUndoGroup();
    journal.RecordUndo(QStringLiteral("UPDATE Accounts SET Name = 'Half' WHERE ROWID = 1"), QStringLiteral("Accounts"));
    journal.RecordUndo(QStringLiteral("UPDATE NoSuchTable SET X = 1"), QStringLiteral("Accounts"));
    journal.EndUndoGroup();
    notices.clear();

    messages.Expect(QStringLiteral("The change could not be undone: no such table: NoSuchTable"));
    journal.UndoLastGroup();
    // The first statement went back with the failing one, and the person is told.
    EXPECT_EQ(AccountName(), QStringLiteral("Bills"));
    EXPECT_TRUE(notices.empty());
    EXPECT_TRUE(journal.UndoEnabled());
    EXPECT_EQ(messages.Pending(), 0);

    // The group is still the newest: it is tried again, not skipped for the older one.
    messages.Expect(QStringLiteral("The change could not be undone: no such table: NoSuchTable"));
    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Bills"));
}

TEST_F(UndoJournalTest, ANewRunStartsEmptyAndTheScratchFileGoesAtExit)
{
    RenameAccount(QStringLiteral("Bills"));
    const QString scratch = dir.File(QStringLiteral("scratch.db"));
    EXPECT_TRUE(QFile::exists(scratch));
    journal.Discard();
    EXPECT_FALSE(QFile::exists(scratch));

    TDataStore nextStore;
    TUndoJournal next(nextStore);
    next.ResetUndoJournal();
    EXPECT_TRUE(QFile::exists(scratch));
    next.UndoLastGroup();
    EXPECT_FALSE(next.UndoEnabled());
    EXPECT_EQ(AccountName(), QStringLiteral("Bills"));
}

TEST_F(UndoJournalTest, TwoRunsFromOneFolderKeepTheirOwnJournals)
{
    RenameAccount(QStringLiteral("Bills"));
    EXPECT_EQ(journal.ScratchFilePath(), dir.File(QStringLiteral("scratch.db")));

    // Another person starts Cofferly from the same folder while this run goes on.
    TDataStore otherStore;
    TUndoJournal other(otherStore);
    other.ResetUndoJournal();
    EXPECT_NE(other.ScratchFilePath(), journal.ScratchFilePath());
    EXPECT_TRUE(QFile::exists(other.ScratchFilePath()));
    other.UndoLastGroup(); // nothing of this run's to undo there
    EXPECT_EQ(AccountName(), QStringLiteral("Bills"));
    EXPECT_TRUE(journal.UndoEnabled());
    other.Discard();
    EXPECT_FALSE(QFile::exists(other.ScratchFilePath()));

    journal.UndoLastGroup();
    EXPECT_EQ(AccountName(), QStringLiteral("Checking"));
}

} // namespace
