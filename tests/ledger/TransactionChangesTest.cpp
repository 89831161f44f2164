#include "ledger/TransactionChanges.h"

#include "ledger/CheckWizard.h"
#include "ledger/controls/RealEdit.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

// One system with two live accounts and a closed one, four budget items (one deleted), the hidden party
// "Transfer", two live parties and a deleted one, and only the base rule.
const char* const kRows =
    "INSERT INTO BudgetSystems (Name) VALUES ('Home');"
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking');"                  // 1
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings account');"           // 2
    "INSERT INTO Accounts (SystemID, Name, Deleted) VALUES (1, 'Closed', 't');"      // 3
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"        // 1
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"               // 2
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Savings');"           // 3
    "INSERT INTO BudgetCategories (SystemID, Name, Deleted) VALUES (1, 'Old', 't');" // 4
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"     // 1
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Acme Corp');"                  // 2
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Bob');"                        // 3
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Gone Ltd', 't');"     // 4
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 10000, 0, 1, 't', 0, 't');";

const QString kSure = QStringLiteral("Are you sure you want to delete this transaction?");
const QString kTransferToo = QStringLiteral("This is a transfer.\r\nThis transaction will also be deleted\r\nfrom the "
                                            "account it was transferred to/from.\r\nAre you sure you want to do this?");
const QString kGone = QStringLiteral("This transaction no longer exists.");

// What the person does in the wizard before it closes; the step gives its result.
using WizardStep = std::function<int(TfrmCheckWizard&)>;

// The values of the Transactions and allocation rows are read as the engine's literals, so that NULL is
// told from an empty text.
const char kTransactionRow[] = "SELECT ROWID, Passed, quote(TransID), AccountID, Date, Amount, GrossAmount, "
                               "SecondPartyID, quote(Notes) FROM Transactions";

// Types the amount and leaves the field, as the person does before OK.
void EnterAmount(TfrmCheckWizard& wizard, const QString& amount)
{
    wizard.edAmount->setText(amount);
    wizard.edAmount->Normalize();
    wizard.edAmountExit();
}

void ChooseParty(TfrmCheckWizard& wizard, const QString& name)
{
    wizard.edParty->setEditText(name);
    wizard.edPartyExit();
}

int Ok(TfrmCheckWizard& wizard)
{
    wizard.btnOkClick();
    return wizard.result();
}

class TransactionChangesTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), QString::fromLatin1(kRows));
        ASSERT_TRUE(WriteMissingDefaults());
        main = std::make_unique<TfrmMain>();
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    QStringList Rows(const QString& sql)
    {
        TSQLiteDatabase& db = main->Data();
        TCloseOnExit close(db);
        main->OpenStore();
        db.ExecSQL(sql);
        QStringList rows;
        for (int row = 0; row < db.RowCount(0); ++row) {
            QStringList cells;
            for (int column = 0; column < db.ColumnCount(); ++column)
                cells << db.Cell(column, row);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    QStringList Transactions()
    {
        return Rows(QString::fromLatin1(kTransactionRow) + QStringLiteral(" ORDER BY ROWID"));
    }
    QStringList Allocations()
    {
        return Rows(QStringLiteral("SELECT BudgetCatID, Amount, TransID, TransDate FROM NewBudgetTransactions "
                                   "ORDER BY TransID, BudgetCatID"));
    }
    QStringList Links() { return Rows(QStringLiteral("SELECT TransID1, TransID2 FROM TransTOTrans ORDER BY ROWID")); }
    // Everything the changes may touch, for "nothing was written".
    QStringList Everything() { return Transactions() + Allocations() + Links(); }
    void Exec(const QString& sql) { main->StoreExec(sql); }
    void Undo() { main->Journal().UndoLastGroup(); }

    static QString Day(int year, int month, int day)
    {
        return QString::number(DateToDayNumber(QDate(year, month, day)));
    }
    static QString Today() { return Day(2026, 12, 10); }
    // A row pattern with %1 for 1 December and %2 for 5 December.
    static QString Dated(const char* pattern)
    {
        return QString::fromLatin1(pattern)
            .replace(QLatin1String("%1"), Day(2026, 12, 1))
            .replace(QLatin1String("%2"), Day(2026, 12, 5));
    }

    bool Add(bool debit, const WizardStep& step)
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>(step);
        return ledger::AddAccountTransaction(*main, nullptr, 1, 1, debit);
    }
    bool Edit(qint64 transaction, const WizardStep& step)
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>(step);
        return ledger::EditTransaction(*main, nullptr, 1, 1, transaction);
    }
    bool Transfer(const WizardStep& step)
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmCheckWizard>(step);
        return ledger::EnterTransfer(*main, nullptr, 1, 1);
    }
    // A credit of the amount from the party, with the tray as the rules left it.
    bool AddCredit(const QString& amount, const QString& party = QStringLiteral("Acme Corp"))
    {
        return Add(false, [&](TfrmCheckWizard& wizard) {
            EnterAmount(wizard, amount);
            ChooseParty(wizard, party);
            return Ok(wizard);
        });
    }
    // A transfer of 50.00 from Checking into the savings account, made on 1 December.
    bool AddTransfer()
    {
        return Transfer([](TfrmCheckWizard& wizard) {
            wizard.cmboTo->setCurrentIndex(wizard.cmboTo->findData(2));
            wizard.DateTimePicker->setDate(QDate(2026, 12, 1));
            wizard.edID->setText(QStringLiteral("T-1"));
            EnterAmount(wizard, QStringLiteral("50"));
            return Ok(wizard);
        });
    }

    std::unique_ptr<TfrmMain> main;
    ScriptedMessages messages;
};

// ----------------------------------------------------------------------------------------------------------
// Entering a credit or a debit

struct EntryCase
{
    const char* name;
    bool debit;
    const char* amount;
    const char* onCar; // typed against Car in the tray, or nullptr
    const char* transaction;
    std::vector<const char*> allocations;
};

class EntryTest : public TransactionChangesTest, public ::testing::WithParamInterface<EntryCase>
{
};

TEST_P(EntryTest, StoresTheTransactionAndItsAllocationsAndUndoRemovesThem)
{
    const EntryCase& c = GetParam();
    ASSERT_TRUE(Add(c.debit, [&](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QString::fromLatin1(c.amount));
        if (c.onCar) {
            wizard.SetTrayAmount(2, QString::fromLatin1(c.onCar));
            wizard.gridBudgetItemsEditEnded();
        }
        ChooseParty(wizard, QStringLiteral("Bob"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Transactions(), QStringList(QString::fromLatin1(c.transaction).arg(Today())));
    QStringList allocations;
    for (const char* a : c.allocations)
        allocations << QString::fromLatin1(a).arg(Today());
    EXPECT_EQ(Allocations(), allocations);

    Undo();
    EXPECT_EQ(Everything(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryTest,
    ::testing::Values(
        EntryCase{"CreditWithTheBaseRule", false, "100", nullptr, "1|f|NULL|1|%1|10000|10000|3|NULL", {"1|10000|1|%1"}},
        EntryCase{"Debit", true, "25", nullptr, "1|f|NULL|1|%1|-2500|0|3|NULL", {"1|-2500|1|%1"}},
        // More than the debit on one item: Unbudgeted gives the rest back, as a plain positive value.
        EntryCase{"DebitOverAssignedToOneItem",
                  true,
                  "50",
                  "60",
                  "1|f|NULL|1|%1|-5000|0|3|NULL",
                  {"1|1000|1|%1", "2|-6000|1|%1"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase
{
    const char* name;
    bool transfer;
    const char* amount;
    bool sameAccount;
    bool cancel;
};

class RefusedEntryTest : public TransactionChangesTest, public ::testing::WithParamInterface<RefusedCase>
{
};

TEST_P(RefusedEntryTest, StoresNothingAndSaysNothing)
{
    const RefusedCase& c = GetParam();
    const WizardStep step = [&](TfrmCheckWizard& wizard) {
        if (!c.sameAccount)
            wizard.cmboTo->setCurrentIndex(wizard.cmboTo->findData(2));
        EnterAmount(wizard, QString::fromLatin1(c.amount));
        ChooseParty(wizard, QStringLiteral("Bob"));
        if (c.cancel) {
            wizard.reject();
            return wizard.result();
        }
        return Ok(wizard);
    };
    EXPECT_FALSE(c.transfer ? Transfer(step) : Add(false, step));
    EXPECT_EQ(Everything(), QStringList());
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedEntryTest,
                         ::testing::Values(RefusedCase{"CreditOfZero", false, "0", false, false},
                                           RefusedCase{"CreditCancelled", false, "10", false, true},
                                           RefusedCase{"TransferToTheSameAccount", true, "50", true, false},
                                           RefusedCase{"TransferOfZero", true, "0", false, false},
                                           RefusedCase{"TransferCancelled", true, "50", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Enter presses OK from the field it was typed in: what was typed there is divided by the rules all the same.
struct EnterCase
{
    const char* name;
    bool inPartyBox;
    std::vector<const char*> allocations; // %1: today
};

class EnterTest : public TransactionChangesTest, public ::testing::WithParamInterface<EnterCase>
{
};

TEST_P(EnterTest, OkDividesWhatWasTypedLast)
{
    const EnterCase& c = GetParam();
    // 10 % into Savings, and 5.00 into Car for Acme Corp alone.
    Exec(QStringLiteral(
        "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
        "AllAccounts, Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 1000, 1, 3, 't', 1, 't');"
        "INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
        "Priority, AllDeposits, PartyID) VALUES (1, 'f', 500, 1, 2, 't', 2, 'f', 2)"));
    ASSERT_TRUE(Add(false, [&](TfrmCheckWizard& wizard) {
        wizard.show();
        wizard.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&wizard));
        QWidget* field = wizard.edAmount;
        if (c.inPartyBox) {
            EnterAmount(wizard, QStringLiteral("100"));
            field = wizard.edParty;
        } else {
            // Chosen in the list without leaving the box: the rules have not run yet.
            wizard.edParty->setCurrentIndex(wizard.edParty->findText(QStringLiteral("Acme Corp")));
        }
        field->setFocus();
        if (c.inPartyBox) {
            QTest::keyClicks(field, QStringLiteral("Acme Corp"));
        } else {
            wizard.edAmount->selectAll();
            QTest::keyClicks(field, QStringLiteral("100"));
        }
        QTest::keyClick(field, Qt::Key_Return);
        return wizard.result();
    }));
    QStringList allocations;
    for (const char* a : c.allocations)
        allocations << QString::fromLatin1(a).arg(Today());
    EXPECT_EQ(Allocations(), allocations);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, EnterTest,
    ::testing::Values(EnterCase{"InTheAmountField", false, {"1|8500|1|%1", "2|500|1|%1", "3|1000|1|%1"}},
                      EnterCase{"InThePartyBox", true, {"1|8500|1|%1", "2|500|1|%1", "3|1000|1|%1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ----------------------------------------------------------------------------------------------------------
// Editing a credit or a debit

struct EditCase
{
    const char* name;
    std::function<void(TfrmCheckWizard&)> change;
    const char* transaction; // afterwards
    std::vector<const char*> allocations;
};

class EditTest : public TransactionChangesTest, public ::testing::WithParamInterface<EditCase>
{
};

// A debit of 25.00 on 1 December with an ID and no notes, passed, on Unbudgeted and Car.
TEST_P(EditTest, ReplacesTheRowAndItsAllocationsAndUndoBringsThemBack)
{
    const EditCase& c = GetParam();
    Exec(QStringLiteral("INSERT INTO Transactions (Passed, TransID, AccountID, Date, Amount, SecondPartyID) "
                        "VALUES ('t', '101', 1, %1, -2500, 3);"
                        "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES "
                        "(1, -1500, 1, %1), (2, -1000, 1, %1)")
             .arg(Day(2026, 12, 1)));
    const QStringList before = Everything();

    ASSERT_TRUE(Edit(1, [&](TfrmCheckWizard& wizard) {
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Enter Debit"));
        EXPECT_EQ(wizard.edID->text(), QStringLiteral("101"));
        EXPECT_EQ(wizard.edAmount->text(), QStringLiteral("25.00"));
        EXPECT_EQ(wizard.DateTimePicker->date(), QDate(2026, 12, 1));
        EXPECT_EQ(wizard.SelectedPartyID(), 3);
        std::vector<std::pair<qint64, QString>> tray;
        for (const auto& row : wizard.TrayRows())
            tray.emplace_back(row.rowId, row.amount);
        EXPECT_EQ(tray,
                  (std::vector<std::pair<qint64, QString>>{{2, "10.00"}, {4, "0.00"}, {3, "0.00"}, {1, "15.00"}}));
        c.change(wizard);
        return Ok(wizard);
    }));
    EXPECT_EQ(Transactions(), QStringList(Dated(c.transaction)));
    QStringList allocations;
    for (const char* a : c.allocations)
        allocations << Dated(a);
    EXPECT_EQ(Allocations(), allocations);

    Undo();
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditTest,
    ::testing::Values(
        // Leaving the amount field balances what the amount grew by into Unbudgeted, beside the stored division.
        EditCase{"AmountRaised",
                 [](TfrmCheckWizard& w) { EnterAmount(w, QStringLiteral("30")); },
                 "1|t|'101'|1|%1|-3000|0|3|NULL",
                 {"1|-2000|1|%1", "2|-1000|1|%1"}},
        EditCase{"IdEmptied",
                 [](TfrmCheckWizard& w) { w.edID->clear(); },
                 "1|t|NULL|1|%1|-2500|0|3|NULL",
                 {"1|-1500|1|%1", "2|-1000|1|%1"}},
        EditCase{"DateMoved",
                 [](TfrmCheckWizard& w) { w.DateTimePicker->setDate(QDate(2026, 12, 5)); },
                 "1|t|'101'|1|%2|-2500|0|3|NULL",
                 {"1|-1500|1|%2", "2|-1000|1|%2"}},
        EditCase{"NotesAndPartyChanged",
                 [](TfrmCheckWizard& w) {
                     w.memNotes->setPlainText(QStringLiteral("new tyres"));
                     ChooseParty(w, QStringLiteral("Acme Corp"));
                 },
                 "1|t|'101'|1|%1|-2500|0|2|'new tyres'",
                 {"1|-1500|1|%1", "2|-1000|1|%1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The tray of an untouched debit shows the whole amount on Unbudgeted after the amount is left.
TEST_F(TransactionChangesTest, EditingADebitsAmountReplacesItsAllocationsByOne)
{
    ASSERT_TRUE(Add(true, [](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QStringLiteral("25"));
        ChooseParty(wizard, QStringLiteral("Bob"));
        return Ok(wizard);
    }));
    ASSERT_TRUE(Edit(1, [](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QStringLiteral("30"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Transactions(), QStringList("1|f|NULL|1|" + Today() + "|-3000|0|3|NULL"));
    EXPECT_EQ(Allocations(), QStringList("1|-3000|1|" + Today()));
}

TEST_F(TransactionChangesTest, AnEditShowsADeletedPartyAndItemAndKeepsThem)
{
    Exec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, GrossAmount, SecondPartyID) VALUES "
                        "(1, %1, 4000, 4500, 4);"
                        "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES "
                        "(4, 4000, 1, %1)")
             .arg(Today()));
    const QStringList before = Everything();
    ASSERT_TRUE(Edit(1, [](TfrmCheckWizard& wizard) {
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Enter Credit"));
        EXPECT_EQ(wizard.edParty->currentText(), QStringLiteral("Gone Ltd"));
        EXPECT_EQ(wizard.GrossText(), QStringLiteral("45.00"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Everything(), before);
}

// ----------------------------------------------------------------------------------------------------------
// Transfers

TEST_F(TransactionChangesTest, ATransferIsTwoLinkedHalvesAndUndoRemovesAllThree)
{
    ASSERT_TRUE(AddTransfer());
    const QString day = Day(2026, 12, 1);
    EXPECT_EQ(Transactions(),
              QStringList({"1|f|'T-1'|1|" + day + "|-5000|0|1|NULL", "2|f|'T-1'|2|" + day + "|5000|0|1|NULL"}));
    EXPECT_EQ(Links(), QStringList("1|2"));
    EXPECT_EQ(Allocations(), QStringList());
    Undo();
    EXPECT_EQ(Everything(), QStringList());
}

TEST_F(TransactionChangesTest, EditingATransferMakesItAnewAndUndoRestoresTheOldHalvesLinked)
{
    ASSERT_TRUE(AddTransfer());
    Exec(QStringLiteral("UPDATE Transactions SET Passed = 't'"));
    const QStringList before = Everything();

    // Opened from the receiving half, it shows the transfer as stored.
    ASSERT_TRUE(Edit(2, [](TfrmCheckWizard& wizard) {
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Enter Transfer"));
        EXPECT_EQ(wizard.FromAccountID(), 1);
        EXPECT_EQ(wizard.ToAccountID(), 2);
        EXPECT_EQ(wizard.edAmount->text(), QStringLiteral("50.00"));
        EXPECT_EQ(wizard.edID->text(), QStringLiteral("T-1"));
        EnterAmount(wizard, QStringLiteral("75"));
        wizard.memNotes->setPlainText(QStringLiteral("top up"));
        return Ok(wizard);
    }));
    const QString day = Day(2026, 12, 1);
    EXPECT_EQ(Transactions(),
              QStringList({"3|f|'T-1'|1|" + day + "|-7500|0|1|'top up'", "4|f|'T-1'|2|" + day + "|7500|0|1|'top up'"}));
    EXPECT_EQ(Links(), QStringList("3|4"));

    Undo();
    EXPECT_EQ(Everything(), before);
}

TEST_F(TransactionChangesTest, EditingATransferIntoOneAccountStoresNothing)
{
    ASSERT_TRUE(AddTransfer());
    const QStringList before = Everything();
    EXPECT_FALSE(Edit(1, [](TfrmCheckWizard& wizard) {
        wizard.cmboTo->setCurrentIndex(wizard.cmboTo->findData(1));
        return Ok(wizard);
    }));
    EXPECT_EQ(Everything(), before);
}

// ----------------------------------------------------------------------------------------------------------
// Deleting

class DeleteTransferTest : public TransactionChangesTest, public ::testing::WithParamInterface<qint64>
{
};

TEST_P(DeleteTransferTest, EitherHalfAsksTwiceTakesBothAndUndoRelinksThem)
{
    ASSERT_TRUE(AddTransfer());
    const QStringList before = Everything();
    messages.Expect(kSure, MsgAnswer::Yes).Expect(kTransferToo, MsgAnswer::Yes);
    EXPECT_TRUE(ledger::DeleteTransaction(*main, nullptr, GetParam()));
    EXPECT_EQ(Everything(), QStringList());
    Undo();
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(Halves, DeleteTransferTest, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Source" : "Target"; });

struct AnswerCase
{
    const char* name;
    bool transfer;
    MsgAnswer first;
    MsgAnswer second;
};

class DeleteAnswerTest : public TransactionChangesTest, public ::testing::WithParamInterface<AnswerCase>
{
};

TEST_P(DeleteAnswerTest, OnlyYesDeletes)
{
    const AnswerCase& c = GetParam();
    ASSERT_TRUE(c.transfer ? AddTransfer() : AddCredit(QStringLiteral("10")));
    const QStringList before = Everything();
    messages.Expect(kSure, c.first);
    if (c.first == MsgAnswer::Yes)
        messages.Expect(kTransferToo, c.second);
    EXPECT_FALSE(ledger::DeleteTransaction(*main, nullptr, 1));
    EXPECT_EQ(Everything(), before);
    // The entry can still be undone: nothing reset the journal.
    EXPECT_TRUE(main->Journal().UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(Answers, DeleteAnswerTest,
                         ::testing::Values(AnswerCase{"No", false, MsgAnswer::No, MsgAnswer::No},
                                           AnswerCase{"Closed", false, MsgAnswer::Cancel, MsgAnswer::No},
                                           AnswerCase{"TransferNoAtFirst", true, MsgAnswer::No, MsgAnswer::No},
                                           AnswerCase{"TransferNoAtSecond", true, MsgAnswer::Yes, MsgAnswer::No},
                                           AnswerCase{"TransferClosedAtSecond", true, MsgAnswer::Yes,
                                                      MsgAnswer::Cancel}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransactionChangesTest, UndoingADeletionBringsBackEveryAllocationLinked)
{
    ASSERT_TRUE(AddCredit(QStringLiteral("10"))); // 1
    ASSERT_TRUE(Add(false, [](TfrmCheckWizard& wizard) {
        ChooseParty(wizard, QStringLiteral("Acme Corp"));
        EnterAmount(wizard, QStringLiteral("100"));
        wizard.SetTrayAmount(2, QStringLiteral("20"));
        wizard.SetTrayAmount(3, QStringLiteral("30"));
        wizard.gridBudgetItemsEditEnded();
        return Ok(wizard);
    }));                                         // 2, with three allocations
    ASSERT_TRUE(AddCredit(QStringLiteral("5"))); // 3
    ASSERT_EQ(Allocations().size(), 5);
    const QStringList before = Everything();

    messages.Expect(kSure, MsgAnswer::Yes);
    EXPECT_TRUE(ledger::DeleteTransaction(*main, nullptr, 2));
    EXPECT_EQ(Rows(QStringLiteral("SELECT ROWID FROM Transactions ORDER BY ROWID")), QStringList({"1", "3"}));
    EXPECT_EQ(Rows(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions WHERE TransID = 2")), QStringList("0"));

    Undo();
    EXPECT_EQ(Everything(), before);
    // Only the deletion could be undone: the entries made before it stay.
    EXPECT_FALSE(main->Journal().UndoEnabled());
    Undo();
    EXPECT_EQ(Everything(), before);
}

// ----------------------------------------------------------------------------------------------------------
// Stale views and texts

TEST_F(TransactionChangesTest, ATransactionDeletedMeanwhileIsRefusedWithAMessage)
{
    ASSERT_TRUE(AddCredit(QStringLiteral("10")));
    ASSERT_TRUE(AddCredit(QStringLiteral("20")));
    Undo(); // the register still shows the second credit
    const QStringList before = Everything();

    messages.Expect(kGone);
    EXPECT_FALSE(ledger::EditTransaction(*main, nullptr, 1, 1, 2));
    messages.Expect(kSure, MsgAnswer::Yes).Expect(kGone);
    EXPECT_FALSE(ledger::DeleteTransaction(*main, nullptr, 2));
    EXPECT_EQ(Everything(), before);
    EXPECT_TRUE(main->Journal().UndoEnabled()) << "a refused deletion keeps the journal";

    // A transfer undone meanwhile: its halves are gone, and so is its link.
    ASSERT_TRUE(AddTransfer());
    Undo();
    messages.Expect(kGone);
    EXPECT_FALSE(ledger::EditTransfer(*main, nullptr, 1, 1, 3));
    EXPECT_EQ(Everything(), before);
}

TEST_F(TransactionChangesTest, AnEntryIntoAnAccountClosedMeanwhileIsRefused)
{
    Exec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = 1"));
    messages.Expect(QStringLiteral("This account no longer exists."));
    EXPECT_FALSE(AddCredit(QStringLiteral("10")));
    EXPECT_EQ(Everything(), QStringList());
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

// Apostrophes and double quotes are plain characters of the texts, however they came into the file.
TEST_F(TransactionChangesTest, QuotesInTheIdAndNotesAreStoredAndRestoredExactly)
{
    const QString notes = QStringLiteral("Joe's \"best\" '); DROP TABLE Transactions; --");
    ASSERT_TRUE(Add(false, [&](TfrmCheckWizard& wizard) {
        QTest::keyClicks(wizard.edID, QStringLiteral("O'Neil 7"));
        wizard.memNotes->setPlainText(notes);
        EnterAmount(wizard, QStringLiteral("10"));
        ChooseParty(wizard, QStringLiteral("Bob"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Rows(QStringLiteral("SELECT TransID, Notes FROM Transactions")), QStringList("O'Neil 7|" + notes));

    // An ID with a double quote, as an import may store it: an edit and a deletion are undone exactly.
    Exec(QStringLiteral("UPDATE Transactions SET TransID = 'say \"hi\" ''now'''"));
    const QStringList before = Everything();
    ASSERT_TRUE(Edit(1, [](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QStringLiteral("12"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Rows(QStringLiteral("SELECT Notes FROM Transactions")), QStringList(notes));
    Undo();
    EXPECT_EQ(Everything(), before);
    messages.Expect(kSure, MsgAnswer::Yes);
    ASSERT_TRUE(ledger::DeleteTransaction(*main, nullptr, 1));
    Undo();
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(Rows(QStringLiteral("SELECT TransID FROM Transactions")), QStringList("say \"hi\" 'now'"));
}

// ----------------------------------------------------------------------------------------------------------
// Gross amounts, allocations of transfer halves, and transfers left with one half

// An imported debit may carry a gross amount; an edit that changes nothing leaves it as it is.
TEST_F(TransactionChangesTest, AnUntouchedEditOfADebitKeepsItsStoredGross)
{
    Exec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, GrossAmount, SecondPartyID) VALUES "
                        "(1, %1, -2500, 2800, 3);"
                        "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES "
                        "(1, -2500, 1, %1)")
             .arg(Today()));
    const QStringList before = Everything();
    ASSERT_TRUE(Edit(1, [](TfrmCheckWizard& wizard) { return Ok(wizard); }));
    EXPECT_EQ(Everything(), before);
}

// The rules divide the raised amount afresh, and the gross amount follows it up.
TEST_F(TransactionChangesTest, EditingACreditsAmountRaisesItsGrossAndDividesItAgain)
{
    Exec(QStringLiteral("INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
                        "AllAccounts, Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 1000, 1, 3, 't', 1, 't')"));
    ASSERT_TRUE(AddCredit(QStringLiteral("100")));
    ASSERT_EQ(Allocations(), QStringList({"1|9000|1|" + Today(), "3|1000|1|" + Today()}));
    const QStringList before = Everything();

    ASSERT_TRUE(Edit(1, [](TfrmCheckWizard& wizard) {
        EXPECT_EQ(wizard.GrossText(), QStringLiteral("100.00"));
        EnterAmount(wizard, QStringLiteral("200"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Transactions(), QStringList("1|f|NULL|1|" + Today() + "|20000|20000|2|NULL"));
    EXPECT_EQ(Allocations(), QStringList({"1|18000|1|" + Today(), "3|2000|1|" + Today()}));
    Undo();
    EXPECT_EQ(Everything(), before);
}

// A transfer from a file of the previous layout, each half with the allocation that layout gave it.
const char kUpgradedTransfer[] =
    "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES (1, %1, -5000, 1), (2, %1, 5000, 1);"
    "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (1, 2);"
    "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES (1, -5000, 1, %1), "
    "(1, 5000, 2, %1)";

struct HalfCase
{
    const char* name;
    bool edit;
    qint64 half;
};

class TransferAllocationTest : public TransactionChangesTest, public ::testing::WithParamInterface<HalfCase>
{
};

TEST_P(TransferAllocationTest, GoWithTheHalvesAndComeBackOnUndo)
{
    const HalfCase& c = GetParam();
    Exec(QString::fromLatin1(kUpgradedTransfer).arg(Today()));
    const QStringList before = Everything();
    if (c.edit) {
        ASSERT_TRUE(Edit(c.half, [](TfrmCheckWizard& wizard) {
            EnterAmount(wizard, QStringLiteral("75"));
            return Ok(wizard);
        }));
        EXPECT_EQ(Rows(QStringLiteral("SELECT ROWID, Amount FROM Transactions ORDER BY ROWID")),
                  QStringList({"3|-7500", "4|7500"}));
    } else {
        messages.Expect(kSure, MsgAnswer::Yes).Expect(kTransferToo, MsgAnswer::Yes);
        ASSERT_TRUE(ledger::DeleteTransaction(*main, nullptr, c.half));
        EXPECT_EQ(Transactions(), QStringList());
    }
    EXPECT_EQ(Allocations(), QStringList());
    Undo();
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(Changes, TransferAllocationTest,
                         ::testing::Values(HalfCase{"DeletedFromTheSource", false, 1},
                                           HalfCase{"DeletedFromTheTarget", false, 2}, HalfCase{"Edited", true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MissingHalfCase
{
    const char* name;
    const char* broken; // what became of the transfer
    qint64 left;
};

class MissingHalfTest : public TransactionChangesTest, public ::testing::WithParamInterface<MissingHalfCase>
{
};

// The link is there and one half has gone (a file written by other means): what is left is listed, so it
// can be deleted; editing it alone would leave a half of nothing.
TEST_P(MissingHalfTest, TheHalfLeftIsDeletedWithItsLinkButNotEdited)
{
    const MissingHalfCase& c = GetParam();
    Exec(QString::fromLatin1(kUpgradedTransfer).arg(Today()));
    Exec(QString::fromLatin1(c.broken));
    const QStringList before = Everything();

    messages.Expect(QStringLiteral("The other half of this transfer no longer exists. Delete this transaction and "
                                   "enter the transfer again."));
    EXPECT_FALSE(ledger::EditTransaction(*main, nullptr, 1, 1, c.left));
    EXPECT_EQ(Everything(), before);

    messages.Expect(kSure, MsgAnswer::Yes).Expect(kTransferToo, MsgAnswer::Yes);
    ASSERT_TRUE(ledger::DeleteTransaction(*main, nullptr, c.left));
    EXPECT_EQ(Everything(), QStringList());
    Undo();
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Halves, MissingHalfTest,
    ::testing::Values(
        MissingHalfCase{"SourceLeft",
                        "DELETE FROM Transactions WHERE ROWID = 2; DELETE FROM NewBudgetTransactions WHERE TransID = 2",
                        1},
        MissingHalfCase{"TargetLeft",
                        "DELETE FROM Transactions WHERE ROWID = 1; DELETE FROM NewBudgetTransactions WHERE TransID = 1",
                        2},
        MissingHalfCase{"LinkedToItself",
                        "DELETE FROM Transactions WHERE ROWID = 2; DELETE FROM NewBudgetTransactions WHERE TransID = "
                        "2; UPDATE TransTOTrans SET TransID2 = 1",
                        1}),
    [](const auto& info) { return std::string(info.param.name); });

// ----------------------------------------------------------------------------------------------------------
// Undo across changes, and ROWIDs taken again

TEST_F(TransactionChangesTest, AnEditedTransferAndLaterChangesUndoBackToTheOldHalvesAndNoFurther)
{
    ASSERT_TRUE(AddCredit(QStringLiteral("5"))); // 1
    ASSERT_TRUE(AddTransfer());                  // 2 and 3
    Exec(QStringLiteral("UPDATE Transactions SET Passed = 't' WHERE ROWID IN (2, 3)"));
    const auto links = [&] { return Rows(QStringLiteral("SELECT ROWID, TransID1, TransID2 FROM TransTOTrans")); };
    const QStringList before = Everything();
    ASSERT_EQ(links(), QStringList("1|2|3"));

    ASSERT_TRUE(Edit(3, [](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QStringLiteral("75"));
        return Ok(wizard);
    })); // 4 and 5
    const QStringList edited = Everything();
    ASSERT_TRUE(AddCredit(QStringLiteral("10"))); // 6
    const QStringList entered = Everything();
    ASSERT_TRUE(Edit(6, [](TfrmCheckWizard& wizard) {
        EnterAmount(wizard, QStringLiteral("20"));
        return Ok(wizard);
    }));

    Undo();
    EXPECT_EQ(Everything(), entered);
    Undo();
    EXPECT_EQ(Everything(), edited);
    Undo();
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(links(), QStringList("1|2|3"));
    // Editing the transfer reset the journal: the credit and the transfer's entry stay.
    EXPECT_FALSE(main->Journal().UndoEnabled());
    Undo();
    EXPECT_EQ(Everything(), before);
}

// After the newest transaction is deleted, the next entry takes its ROWID.
TEST_F(TransactionChangesTest, AnEntryUnderTheRowidOfADeletedOneUndoesBackToTheDeletedOne)
{
    ASSERT_TRUE(AddCredit(QStringLiteral("10")));
    ASSERT_TRUE(AddCredit(QStringLiteral("20"), QStringLiteral("Bob")));
    const QStringList before = Everything();
    messages.Expect(kSure, MsgAnswer::Yes);
    ASSERT_TRUE(ledger::DeleteTransaction(*main, nullptr, 2));
    ASSERT_TRUE(AddCredit(QStringLiteral("30")));
    EXPECT_EQ(Rows(QStringLiteral("SELECT ROWID, Amount FROM Transactions ORDER BY ROWID")),
              QStringList({"1|1000", "2|3000"}));

    Undo();
    EXPECT_EQ(Rows(QStringLiteral("SELECT ROWID, Amount FROM Transactions ORDER BY ROWID")), QStringList("1|1000"));
    EXPECT_EQ(Allocations(), QStringList("1|1000|1|" + Today()));
    Undo();
    EXPECT_EQ(Everything(), before);
}

// ----------------------------------------------------------------------------------------------------------
// What changed while the wizard was open

struct StaleCase
{
    const char* name;
    bool transfer;
    const char* meanwhile; // %1: today
};

class StaleEditTest : public TransactionChangesTest, public ::testing::WithParamInterface<StaleCase>
{
};

// Credits 1 and 2, or a transfer (1 and 2) and a credit (3); the edit is opened on 2.
TEST_P(StaleEditTest, IsRefusedAndWritesNothing)
{
    const StaleCase& c = GetParam();
    if (c.transfer) {
        ASSERT_TRUE(AddTransfer());
        ASSERT_TRUE(AddCredit(QStringLiteral("10")));
    } else {
        ASSERT_TRUE(AddCredit(QStringLiteral("10")));
        ASSERT_TRUE(AddCredit(QStringLiteral("20")));
    }
    QStringList meanwhile;
    messages.Expect(kGone);
    EXPECT_FALSE(Edit(2, [&](TfrmCheckWizard& wizard) {
        Exec(QString::fromLatin1(c.meanwhile).replace(QLatin1String("%1"), Today()));
        meanwhile = Everything();
        EnterAmount(wizard, QStringLiteral("30"));
        return Ok(wizard);
    }));
    EXPECT_EQ(Everything(), meanwhile);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, StaleEditTest,
    ::testing::Values(
        StaleCase{"Deleted", false, "DELETE FROM Transactions WHERE ROWID = 2"},
        // Undone and another entry made: the new one takes the same ROWID.
        StaleCase{"ReplacedUnderItsRowid", false,
                  "DELETE FROM Transactions WHERE ROWID = 2; DELETE FROM NewBudgetTransactions WHERE TransID = 2; "
                  "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES (1, %1, 2000, 3)"},
        StaleCase{"AllocationsChanged", false, "UPDATE NewBudgetTransactions SET BudgetCatID = 2 WHERE TransID = 2"},
        StaleCase{"NowATransferHalf", false, "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (1, 2)"},
        StaleCase{"TransferNoLongerLinked", true, "DELETE FROM TransTOTrans"},
        StaleCase{"TransferLinkedToAnotherHalf", true, "UPDATE TransTOTrans SET TransID1 = 3"},
        StaleCase{"TransferHalfChanged", true, "UPDATE Transactions SET Amount = -4000 WHERE ROWID = 1"},
        StaleCase{"TransferHalfGone", true, "DELETE FROM Transactions WHERE ROWID = 1"},
        StaleCase{"TransferHalfGivenAnAllocation", true,
                  "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES (1, 5000, 2, "
                  "%1)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NamedRowCase
{
    const char* name;
    const char* meanwhile;
    const char* refusal;
};

class NamedRowGoneTest : public TransactionChangesTest, public ::testing::WithParamInterface<NamedRowCase>
{
};

// The wizard lists what was there when it opened; what the entry names must still be there at OK.
TEST_P(NamedRowGoneTest, TheEntryIsRefused)
{
    const NamedRowCase& c = GetParam();
    messages.Expect(QString::fromLatin1(c.refusal));
    EXPECT_FALSE(Add(false, [&](TfrmCheckWizard& wizard) {
        ChooseParty(wizard, QStringLiteral("Bob"));
        EnterAmount(wizard, QStringLiteral("100"));
        wizard.SetTrayAmount(2, QStringLiteral("20"));
        wizard.gridBudgetItemsEditEnded();
        Exec(QString::fromLatin1(c.meanwhile));
        return Ok(wizard);
    }));
    EXPECT_EQ(Everything(), QStringList());
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(Rows, NamedRowGoneTest,
                         ::testing::Values(NamedRowCase{"Party", "DELETE FROM Parties WHERE ROWID = 3",
                                                        "This party no longer exists."},
                                           NamedRowCase{"BudgetItem", "DELETE FROM BudgetCategories WHERE ROWID = 2",
                                                        "A budget item of this transaction no longer exists."},
                                           NamedRowCase{"Account", "UPDATE Accounts SET Deleted = 't' WHERE ROWID = 1",
                                                        "This account no longer exists."}),
                         [](const auto& info) { return std::string(info.param.name); });

class ClosedTransferAccountTest : public TransactionChangesTest, public ::testing::WithParamInterface<qint64>
{
};

TEST_P(ClosedTransferAccountTest, TheTransferIsRefused)
{
    messages.Expect(QStringLiteral("This account no longer exists."));
    EXPECT_FALSE(Transfer([&](TfrmCheckWizard& wizard) {
        wizard.cmboTo->setCurrentIndex(wizard.cmboTo->findData(2));
        EnterAmount(wizard, QStringLiteral("50"));
        Exec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = %1").arg(GetParam()));
        return Ok(wizard);
    }));
    EXPECT_EQ(Everything(), QStringList());
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(Accounts, ClosedTransferAccountTest, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "From" : "To"; });

// ----------------------------------------------------------------------------------------------------------
// A statement failing part way

enum class Failing
{
    Entry,
    Edit,
    Deletion,
    TransferEdit,
    TransferDeletion,
};

struct FailureCase
{
    const char* name;
    Failing change;
    const char* trigger;
};

class FailingStatementTest : public TransactionChangesTest, public ::testing::WithParamInterface<FailureCase>
{
protected:
    // Runs the change on transaction 1, made by the set-up, and expects it to tell that it failed.
    bool Run(Failing change)
    {
        const QString failed = QStringLiteral("The change could not be saved: ");
        switch (change) {
        case Failing::Entry:
            messages.ExpectContaining(failed);
            return AddCredit(QStringLiteral("10"));
        case Failing::Edit:
        case Failing::TransferEdit:
            messages.ExpectContaining(failed);
            return Edit(1, [](TfrmCheckWizard& wizard) {
                EnterAmount(wizard, QStringLiteral("75"));
                return Ok(wizard);
            });
        case Failing::Deletion:
        case Failing::TransferDeletion:
            messages.Expect(kSure, MsgAnswer::Yes);
            if (change == Failing::TransferDeletion)
                messages.Expect(kTransferToo, MsgAnswer::Yes);
            messages.ExpectContaining(failed);
            return ledger::DeleteTransaction(*main, nullptr, 1);
        }
        return false;
    }
};

// The engine refuses a statement after others of the change ran: none of them stays, no undo group is
// recorded, and a journal that a deletion or a transfer's edit would have reset keeps its groups.
TEST_P(FailingStatementTest, LeavesTheRowsAndTheJournalAsTheyWere)
{
    const FailureCase& c = GetParam();
    if (c.change == Failing::TransferEdit || c.change == Failing::TransferDeletion) {
        ASSERT_TRUE(AddTransfer());
    } else if (c.change != Failing::Entry) {
        ASSERT_TRUE(AddCredit(QStringLiteral("10")));
    }
    Exec(QString::fromLatin1(c.trigger));
    const QStringList before = Everything();

    EXPECT_FALSE(Run(c.change));
    EXPECT_EQ(Everything(), before);
    // The one group there is, if any, is that of the entry made first.
    Exec(QStringLiteral("DROP TRIGGER Refuse"));
    Undo();
    EXPECT_EQ(Everything(), QStringList());
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FailingStatementTest,
    ::testing::Values(
        FailureCase{
            "Entry", Failing::Entry,
            "CREATE TRIGGER Refuse BEFORE INSERT ON NewBudgetTransactions BEGIN SELECT RAISE(ABORT, 'no'); END"},
        FailureCase{
            "Edit", Failing::Edit,
            "CREATE TRIGGER Refuse BEFORE INSERT ON NewBudgetTransactions BEGIN SELECT RAISE(ABORT, 'no'); END"},
        FailureCase{"Deletion", Failing::Deletion,
                    "CREATE TRIGGER Refuse BEFORE DELETE ON Transactions BEGIN SELECT RAISE(ABORT, 'no'); END"},
        FailureCase{"TransferEdit", Failing::TransferEdit,
                    "CREATE TRIGGER Refuse BEFORE DELETE ON TransTOTrans BEGIN SELECT RAISE(ABORT, 'no'); END"},
        // The link and the source half are gone when the target half is refused.
        FailureCase{"TransferDeletion", Failing::TransferDeletion,
                    "CREATE TRIGGER Refuse BEFORE DELETE ON Transactions WHEN old.ROWID = 2 BEGIN SELECT "
                    "RAISE(ABORT, 'no'); END"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
