// The account register and the transaction wizard together, as a person uses them: a command started from
// the register's keys or buttons, the wizard filled in, and the list, the balances and the data file after
// the change and after Undo from the main window.
#include "ledger/AccountRegister.h"

#include "ledger/CheckWizard.h"
#include "ledger/RegisterModel.h"
#include "ledger/controls/RealEdit.h"
#include "shell/MainWindow.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

// One system with two accounts, "Unbudgeted" and a second item, the hidden party "Transfer" and a live
// one, and a base rule that puts everything into "Unbudgeted". Both accounts show every transaction.
const char* const kRows =
    "INSERT INTO BudgetSystems (Name) VALUES ('Home');"
    "INSERT INTO Accounts (SystemID, Name, ShowPassed, Age) VALUES (1, 'Checking', 't', 0);"
    "INSERT INTO Accounts (SystemID, Name, ShowPassed, Age) VALUES (1, 'Savings', 't', 0);"
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Acme Corp');"
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 10000, 0, 1, 't', 0, 't');";

void EnterAmount(TfrmCheckWizard& wizard, const QString& amount)
{
    wizard.edAmount->setText(amount);
    wizard.edAmount->Normalize();
    wizard.edAmountExit();
}

int Ok(TfrmCheckWizard& wizard)
{
    wizard.btnOkClick();
    return wizard.result();
}

class RegisterChangesTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), QString::fromLatin1(kRows));
        ASSERT_TRUE(WriteMissingDefaults());
        InstallHelp();
        main = std::make_unique<TfrmMain>();
        main->FormShow();
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    // Selects the account's node in the tree, which puts its register right of the tree.
    TframAccount* Select(int accountIndex)
    {
        QTreeWidget* tree = main->Architect()->TreeView();
        tree->setCurrentItem(tree->topLevelItem(0)->child(3)->child(accountIndex));
        return Current();
    }
    TframAccount* Current() { return dynamic_cast<TframAccount*>(main->CurrentScreen()); }
    void Undo()
    {
        main->UndoLastGroup();
        QCoreApplication::sendPostedEvents();
    }
    static QStringList Amounts(const TframAccount& frame)
    {
        QStringList texts;
        for (int row = 0; row < frame.Model()->ResultRows(); ++row)
            texts << frame.Model()->Text(row, 3);
        return texts;
    }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QString Count(const char* table)
    {
        return Value(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    }

    std::unique_ptr<TfrmMain> main;
    ScriptedMessages messages;
};

TEST_F(RegisterChangesTest, ACreditFromThePlusKeyIsListedDeletedAndUndoneThroughTheRegister)
{
    TframAccount* frame = Select(0);
    ASSERT_NE(frame, nullptr);
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>([](TfrmCheckWizard& wizard) {
            wizard.edParty->setEditText(QStringLiteral("Acme Corp"));
            wizard.edPartyExit();
            EnterAmount(wizard, QStringLiteral("100"));
            return Ok(wizard);
        });
        QTest::keyClick(frame->Grid, Qt::Key_Plus);
    }
    ASSERT_EQ(Current(), frame);
    EXPECT_EQ(Amounts(*frame), QStringList{QStringLiteral("100.00")});
    EXPECT_EQ(frame->Model()->Text(0, 4), QStringLiteral("Acme Corp"));
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("100.00"));
    EXPECT_EQ(frame->lblPassBal->text(), QStringLiteral("0.00"));
    EXPECT_EQ(Value(QStringLiteral("SELECT Amount || '|' || GrossAmount || '|' || SecondPartyID FROM Transactions")),
              QStringLiteral("10000|10000|2"));
    EXPECT_EQ(Value(QStringLiteral("SELECT BudgetCatID || '|' || Amount FROM NewBudgetTransactions")),
              QStringLiteral("1|10000"));

    // Delete acts at its release, and only on Yes.
    frame->Grid->selectRow(0);
    messages.Expect(QStringLiteral("Are you sure you want to delete this transaction?"), MsgAnswer::No);
    QTest::keyClick(frame->Grid, Qt::Key_Delete);
    EXPECT_EQ(Count("Transactions"), QStringLiteral("1"));
    messages.Expect(QStringLiteral("Are you sure you want to delete this transaction?"), MsgAnswer::Yes);
    QTest::keyClick(frame->Grid, Qt::Key_Delete);
    EXPECT_EQ(Count("Transactions"), QStringLiteral("0"));
    EXPECT_EQ(Count("NewBudgetTransactions"), QStringLiteral("0"));
    EXPECT_EQ(frame->Model()->ResultRows(), 0);
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("0.00"));

    // Undo brings the credit back with its allocation; the register shown afterwards lists it again.
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Amount || '|' || GrossAmount || '|' || SecondPartyID FROM Transactions")),
              QStringLiteral("10000|10000|2"));
    EXPECT_EQ(Value(QStringLiteral("SELECT BudgetCatID || '|' || Amount || '|' || TransID FROM NewBudgetTransactions")),
              QStringLiteral("1|10000|1"));
    TframAccount* after = Current();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(Amounts(*after), QStringList{QStringLiteral("100.00")});
    EXPECT_EQ(after->lblBalance->text(), QStringLiteral("100.00"));
    // The deletion emptied the journal before it: the entry itself is no longer undoable.
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

TEST_F(RegisterChangesTest, ADebitEditedWithEnterKeepsItsRowAndTheListFollows)
{
    TframAccount* frame = Select(0);
    ASSERT_NE(frame, nullptr);
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>([](TfrmCheckWizard& wizard) {
            wizard.edParty->setEditText(QStringLiteral("Acme Corp"));
            wizard.edPartyExit();
            EnterAmount(wizard, QStringLiteral("25"));
            return Ok(wizard);
        });
        frame->spdCheck->click();
    }
    EXPECT_EQ(Amounts(*frame), QStringList{QStringLiteral("-25.00")});
    frame->Grid->selectRow(0);
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>([](TfrmCheckWizard& wizard) {
            EXPECT_EQ(wizard.edAmount->text(), QStringLiteral("25.00"));
            EnterAmount(wizard, QStringLiteral("30"));
            return Ok(wizard);
        });
        QTest::keyClick(frame->Grid, Qt::Key_Return);
    }
    EXPECT_EQ(Amounts(*frame), QStringList{QStringLiteral("-30.00")});
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("-30.00"));
    EXPECT_EQ(Value(QStringLiteral("SELECT ROWID || '|' || Amount FROM Transactions")), QStringLiteral("1|-3000"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(BudgetCatID || ':' || Amount) FROM NewBudgetTransactions")),
              QStringLiteral("1:-3000"));

    // Undo of the edit, then of the entry.
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT ROWID || '|' || Amount FROM Transactions")), QStringLiteral("1|-2500"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(BudgetCatID || ':' || Amount) FROM NewBudgetTransactions")),
              QStringLiteral("1:-2500"));
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Amounts(*Current()), QStringList{QStringLiteral("-25.00")});
    Undo();
    EXPECT_EQ(Count("Transactions"), QStringLiteral("0"));
    EXPECT_EQ(Count("NewBudgetTransactions"), QStringLiteral("0"));
}

TEST_F(RegisterChangesTest, ATransferFromTheEqualsKeyShowsInBothRegistersAndGoesWithEitherHalf)
{
    TframAccount* frame = Select(0);
    ASSERT_NE(frame, nullptr);
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>([](TfrmCheckWizard& wizard) {
            wizard.cmboTo->setCurrentIndex(wizard.cmboTo->findData(2));
            EnterAmount(wizard, QStringLiteral("50"));
            return Ok(wizard);
        });
        QTest::keyClick(frame->Grid, Qt::Key_Equal);
    }
    EXPECT_EQ(Amounts(*frame), QStringList{QStringLiteral("-50.00")});
    EXPECT_EQ(frame->Model()->Text(0, 4), QStringLiteral("Transfer"));
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("-50.00"));

    TframAccount* savings = Select(1);
    ASSERT_NE(savings, nullptr);
    EXPECT_EQ(Amounts(*savings), QStringList{QStringLiteral("50.00")});
    EXPECT_EQ(savings->lblBalance->text(), QStringLiteral("50.00"));
    EXPECT_EQ(Value(QStringLiteral("SELECT TransID1 || '|' || TransID2 FROM TransTOTrans")), QStringLiteral("1|2"));

    // Deleting the target half from the savings register asks twice and takes both halves and the link.
    savings->Grid->selectRow(0);
    messages.Expect(QStringLiteral("Are you sure you want to delete this transaction?"), MsgAnswer::Yes);
    messages.Expect(QStringLiteral("This is a transfer.\r\nThis transaction will also be deleted\r\nfrom the "
                                   "account it was transferred to/from.\r\nAre you sure you want to do this?"),
                    MsgAnswer::Yes);
    savings->spdDelete->click();
    EXPECT_EQ(Count("Transactions"), QStringLiteral("0"));
    EXPECT_EQ(Count("TransTOTrans"), QStringLiteral("0"));
    EXPECT_EQ(savings->Model()->ResultRows(), 0);

    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(ROWID || ':' || AccountID || ':' || Amount) FROM "
                                   "Transactions")),
              QStringLiteral("1:1:-5000,2:2:5000"));
    EXPECT_EQ(Value(QStringLiteral("SELECT TransID1 || '|' || TransID2 FROM TransTOTrans")), QStringLiteral("1|2"));
}

} // namespace
