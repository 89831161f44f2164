#include "ledger/CheckWizard.h"

#include "ledger/NegativeBudgetWarning.h"
#include "ledger/NewBudgetItem.h"
#include "ledger/controls/RealEdit.h"
#include "ledger/controls/SlideTrayButton.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace {

using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;
using Mode = TfrmCheckWizard::Mode;

// One system with three live budget items and a deleted one, two live accounts and a closed one, two live
// parties and a deleted one beside the hidden "Transfer", the base rule, a 10 % savings rule, a rule for
// the party Acme Corp only, and a rule of the other account. A second system has items of its own.
const char* const kRows =
    "INSERT INTO BudgetSystems (Name) VALUES ('Home');"
    "INSERT INTO BudgetSystems (Name) VALUES ('Other');"
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking');"
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings account');"
    "INSERT INTO Accounts (SystemID, Name, Deleted) VALUES (1, 'Closed', 't');"
    "INSERT INTO Accounts (SystemID, Name) VALUES (2, 'Elsewhere');"
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"        // 1
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"               // 2
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Savings');"           // 3
    "INSERT INTO BudgetCategories (SystemID, Name, Deleted) VALUES (1, 'Old', 't');" // 4
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (2, 'Unbudgeted');"        // 5
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"     // 1
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Acme Corp');"                  // 2
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Gone Ltd', 't');"     // 3
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Bob');"                        // 4
    "INSERT INTO Parties (SystemID, Name) VALUES (2, 'Zed');"                        // 5
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 10000, 0, 1, 't', 0, 't');"
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 1000, 1, 3, 't', 1, 't');"
    "INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, Priority, "
    "AllDeposits, PartyID) VALUES (1, 'f', 500, 1, 2, 't', 2, 'f', 2);"
    "INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, AccountID, "
    "Priority) VALUES (1, 'f', 100, 1, 2, 'f', 2, 3);";

class CheckWizardTest : public ShellFixture
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

    std::unique_ptr<TfrmCheckWizard> Wizard(Mode mode, bool includeDeleted = false)
    {
        auto wizard = std::make_unique<TfrmCheckWizard>(*main);
        wizard->SetSystem(1);
        wizard->SetAccount(1);
        if (mode == Mode::Transfer)
            wizard->PrepareTransfer();
        else
            wizard->PrepareEntry(mode == Mode::Debit, includeDeleted);
        return wizard;
    }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }

    static QStringList TrayTexts(const TfrmCheckWizard& wizard, int column)
    {
        QStringList texts;
        for (int row = 0; row < wizard.gridBudgetItems->rowCount(); ++row)
            texts << wizard.gridBudgetItems->item(row, column)->text();
        return texts;
    }
    static QStringList Items(const QComboBox* box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    // Types the amount and leaves the field.
    static void EnterAmount(TfrmCheckWizard& wizard, const QString& amount)
    {
        wizard.edAmount->setText(amount);
        wizard.edAmount->Normalize();
        wizard.edAmountExit();
    }
    static void TypeParty(TfrmCheckWizard& wizard, const QString& name)
    {
        wizard.edParty->setEditText(name);
        wizard.edPartyExit();
    }

    std::unique_ptr<TfrmMain> main;
};

TEST_F(CheckWizardTest, EachModeHasItsCaptionsAndParts)
{
    const struct
    {
        Mode mode;
        const char* caption;
        const char* idLabel;
        const char* partyLabel;
        bool gross, party, accounts, tray;
        int width;
    } modes[] = {
        {Mode::Credit, "Enter Credit", "ID (ex. Deposit Number):", "From:", true, true, false, true, 610},
        {Mode::Debit, "Enter Debit", "ID (ex. Check Number):", "Pay to the order of:", false, true, false, true, 610},
        {Mode::Transfer, "Enter Transfer", "ID (optional):", "", false, false, true, false, 416},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.caption);
        auto wizard = Wizard(m.mode);
        wizard->FormShow();
        EXPECT_EQ(wizard->windowTitle(), QString::fromLatin1(m.caption));
        EXPECT_EQ(wizard->lblCheckNum->text(), QString::fromLatin1(m.idLabel));
        if (m.party) {
            EXPECT_EQ(wizard->lblParty->text(), QString::fromLatin1(m.partyLabel));
        }
        EXPECT_EQ(!wizard->btnGrossNet->isHidden(), m.gross);
        EXPECT_EQ(!wizard->edParty->isHidden(), m.party);
        EXPECT_EQ(!wizard->lblParty->isHidden(), m.party);
        EXPECT_EQ(!wizard->cmboFrom->isHidden(), m.accounts);
        EXPECT_EQ(!wizard->cmboTo->isHidden(), m.accounts);
        EXPECT_EQ(wizard->TrayShown(), m.tray);
        EXPECT_EQ(!wizard->SlideTrayButton1->isHidden(), m.tray);
        EXPECT_EQ(wizard->width(), m.width);
        EXPECT_EQ(wizard->height(), 193);
        EXPECT_EQ(wizard->DateTimePicker->date(), QDate(2026, 12, 10));
        EXPECT_EQ(wizard->GrossText(), QStringLiteral("0.00"));
        EXPECT_EQ(wizard->edAmount->text(), QStringLiteral("0.00"));
    }
}

TEST_F(CheckWizardTest, TabRunsThroughTheCheckInReadingOrder)
{
    for (Mode mode : {Mode::Credit, Mode::Transfer}) {
        auto wizard = Wizard(mode);
        wizard->show();
        wizard->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
        wizard->edID->setFocus();
        QStringList order;
        for (int i = 0; i < 9; ++i) {
            QWidget* focus = QApplication::focusWidget();
            // A composite control (the date picker) is named by itself, not by its inner field.
            while (focus && focus->objectName().isEmpty())
                focus = focus->parentWidget();
            order << (focus ? focus->objectName() : QStringLiteral("none"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        const QStringList expected = mode == Mode::Credit
                                         ? QStringList({"edID", "DateTimePicker", "edParty", "edAmount", "memNotes",
                                                        "btnOk", "btnCancel", "edID", "DateTimePicker"})
                                         : QStringList({"edID", "DateTimePicker", "cmboFrom", "cmboTo", "edAmount",
                                                        "memNotes", "btnOk", "btnCancel", "edID"});
        EXPECT_EQ(order, expected);
        wizard->reject();
    }
}

TEST_F(CheckWizardTest, PreparingListsTheSystemsLiveItemsPartiesAndRules)
{
    auto credit = Wizard(Mode::Credit);
    EXPECT_EQ(TrayTexts(*credit, 0), QStringList({"Car", "Savings", "Unbudgeted"}));
    EXPECT_EQ(TrayTexts(*credit, 1), QStringList({"0.00", "0.00", "0.00"})) << "nothing runs at preparation";
    std::vector<qint64> ids;
    for (const auto& row : credit->TrayRows())
        ids.push_back(row.rowId);
    EXPECT_EQ(ids, (std::vector<qint64>{2, 3, 1}));
    EXPECT_EQ(Items(credit->edParty), QStringList({"Acme Corp", "Bob"}));
    EXPECT_EQ(credit->edParty->currentText(), QString());
    EXPECT_EQ(credit->Rules().size(), 3u) << "the other account's rule is not loaded";

    auto debit = Wizard(Mode::Debit);
    EXPECT_TRUE(debit->Rules().empty());
    auto edit = Wizard(Mode::Credit, true);
    EXPECT_EQ(TrayTexts(*edit, 0), QStringList({"Car", "Old", "Savings", "Unbudgeted"}));

    auto transfer = Wizard(Mode::Transfer);
    EXPECT_EQ(Items(transfer->cmboFrom), QStringList({"Checking", "Savings account"}));
    EXPECT_EQ(Items(transfer->cmboTo), QStringList({"Checking", "Savings account"}));
    EXPECT_EQ(transfer->FromAccountID(), 1);
    EXPECT_EQ(transfer->ToAccountID(), 1);
    transfer->btnOkClick();
    EXPECT_EQ(transfer->result(), QDialog::Accepted);
}

TEST_F(CheckWizardTest, ACreditIsDividedWhenTheAmountAndThePartyAreLeft)
{
    auto wizard = Wizard(Mode::Credit);
    EnterAmount(*wizard, QStringLiteral("100"));
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"0.00", "10.00", "90.00"}));
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("100.00")) << "the gross is raised to the net";

    // The party rule runs once Acme Corp is chosen, whatever the letter case typed.
    TypeParty(*wizard, QStringLiteral("acme CORP"));
    EXPECT_EQ(wizard->edParty->currentText(), QStringLiteral("Acme Corp"));
    EXPECT_EQ(wizard->SelectedPartyID(), 2);
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"5.00", "10.00", "85.00"}));

    // A hand change is balanced into Unbudgeted; leaving the amount field runs the rules again over it.
    wizard->gridBudgetItems->item(0, 1)->setText(QStringLiteral("30"));
    wizard->gridBudgetItemsEditEnded();
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"30.00", "10.00", "60.00"}));
    wizard->edAmountExit();
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"5.00", "10.00", "85.00"}));

    wizard->btnOkClick();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties")), QStringLiteral("5")) << "no party was added";
}

TEST_F(CheckWizardTest, AfterOkItGivesTheRegisterWhatItStores)
{
    auto credit = Wizard(Mode::Credit);
    QTest::keyClicks(credit->edID, QStringLiteral("D-17"));
    credit->DateTimePicker->setDate(QDate(2026, 12, 1));
    EnterAmount(*credit, QStringLiteral("100"));
    TypeParty(*credit, QStringLiteral("Acme Corp"));
    QTest::keyClicks(credit->memNotes, QStringLiteral("December pay"));
    credit->btnOkClick();
    ASSERT_EQ(credit->result(), QDialog::Accepted);
    EXPECT_EQ(credit->edID->text(), QStringLiteral("D-17"));
    EXPECT_EQ(credit->DayNumber(), DateToDayNumber(QDate(2026, 12, 1)));
    EXPECT_EQ(credit->edAmount->IntValue(), 10000);
    EXPECT_DOUBLE_EQ(credit->edAmount->RealValue(), 100.0);
    EXPECT_EQ(credit->GrossText(), QStringLiteral("100.00"));
    EXPECT_EQ(credit->SelectedPartyID(), 2);
    EXPECT_EQ(credit->memNotes->toPlainText(), QStringLiteral("December pay"));
    std::vector<std::pair<qint64, QString>> tray;
    for (const auto& row : credit->TrayRows())
        tray.emplace_back(row.rowId, row.amount);
    EXPECT_EQ(tray, (std::vector<std::pair<qint64, QString>>{{2, "5.00"}, {3, "10.00"}, {1, "85.00"}}));

    // An edit shows the stored division, deleted items included, until something runs the rules again.
    auto edit = Wizard(Mode::Credit, true);
    edit->edAmount->setText(QStringLiteral("20.00"));
    edit->SetTrayAmount(4, QStringLiteral("3.00"));
    edit->SetTrayAmount(1, QStringLiteral("17.00"));
    EXPECT_EQ(TrayTexts(*edit, 1), QStringList({"0.00", "3.00", "0.00", "17.00"}));
    edit->edAmountExit();
    EXPECT_EQ(TrayTexts(*edit, 1), QStringList({"0.00", "0.00", "2.00", "18.00"}));

    auto transfer = Wizard(Mode::Transfer);
    transfer->cmboTo->setCurrentIndex(transfer->cmboTo->findText(QStringLiteral("Savings account")));
    EnterAmount(*transfer, QStringLiteral("25"));
    transfer->btnOkClick();
    ASSERT_EQ(transfer->result(), QDialog::Accepted);
    EXPECT_EQ(transfer->FromAccountID(), 1);
    EXPECT_EQ(transfer->ToAccountID(), 2);
    EXPECT_EQ(transfer->edAmount->IntValue(), 2500);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions")), QStringLiteral("0"))
        << "the wizard stores none";
}

TEST_F(CheckWizardTest, TheGrossIsNeverBelowTheNet)
{
    auto wizard = Wizard(Mode::Credit);
    EnterAmount(*wizard, QStringLiteral("100"));
    wizard->btnGrossNetClick();
    EXPECT_FALSE(wizard->gridGrossNet->isHidden());
    wizard->gridGrossNet->item(0, 1)->setText(QStringLiteral("120.5"));
    wizard->gridGrossNetEditEnded();
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("120.50"));
    EXPECT_TRUE(wizard->gridGrossNet->isHidden());

    wizard->btnGrossNetClick();
    wizard->gridGrossNet->item(0, 1)->setText(QStringLiteral("50"));
    wizard->gridGrossNetEditEnded();
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("100.00")) << "a gross below the net is raised to it";

    wizard->btnGrossNetClick();
    wizard->gridGrossNet->item(0, 1)->setText(QStringLiteral("abc"));
    wizard->gridGrossNetEditEnded();
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("100.00")) << "an unreadable gross falls back";

    EnterAmount(*wizard, QStringLiteral("150"));
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("150.00"));
}

// Typed as a person types, in the shown dialog: Enter in a cell ends the edit there and never reaches OK.
TEST_F(CheckWizardTest, EnterInTheGridsEndsTheEditAndLeavesTheDialogOpen)
{
    auto wizard = Wizard(Mode::Credit);
    wizard->show();
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
    wizard->edAmount->setFocus();
    wizard->edAmount->selectAll();
    QTest::keyClicks(wizard->edAmount, QStringLiteral("100"));
    QTest::mouseClick(wizard->btnGrossNet, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), wizard->gridGrossNet);
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"0.00", "10.00", "90.00"})) << "leaving the amount divided it";

    auto typeIntoCell = [](QWidget* grid, const QString& keys) {
        QTest::keyClicks(grid, keys.left(1)); // a typed key opens the cell's editor with it
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, grid);
        QTest::keyClicks(editor, keys.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    };
    typeIntoCell(wizard->gridGrossNet, QStringLiteral("150"));
    EXPECT_EQ(wizard->GrossText(), QStringLiteral("150.00"));
    EXPECT_TRUE(wizard->gridGrossNet->isHidden());
    EXPECT_TRUE(wizard->isVisible());

    wizard->gridBudgetItems->setFocus();
    wizard->gridBudgetItems->setCurrentCell(0, 1);
    typeIntoCell(wizard->gridBudgetItems, QStringLiteral("30"));
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"30.00", "10.00", "60.00"}));
    QTest::keyClick(wizard->gridBudgetItems, Qt::Key_Return);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_NE(wizard->result(), QDialog::Accepted);

    // Enter in the amount field is OK; the division the person saw is the one that is read.
    wizard->edParty->setEditText(QStringLiteral("Bob"));
    wizard->edAmount->setFocus();
    QTest::keyClick(wizard->edAmount, Qt::Key_Return);
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"30.00", "10.00", "60.00"}));
}

TEST_F(CheckWizardTest, ADebitGoesToUnbudgetedUnlessAssigned)
{
    auto wizard = Wizard(Mode::Debit);
    EnterAmount(*wizard, QStringLiteral("50"));
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"0.00", "0.00", "50.00"}));
    wizard->gridBudgetItems->item(0, 1)->setText(QStringLiteral("60"));
    wizard->gridBudgetItemsEditEnded();
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"60.00", "0.00", "-10.00"}));
    // A double click gives one item the whole amount.
    wizard->gridBudgetItems->setCurrentCell(1, 1);
    wizard->gridBudgetItemsDblClick();
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"0.00", "50.00", "0.00"}));
    // An unreadable cell falls back to the text the cell had when it was selected.
    wizard->gridBudgetItems->setCurrentCell(0, 1);
    wizard->gridBudgetItems->setCurrentCell(1, 1);
    wizard->gridBudgetItems->item(1, 1)->setText(QStringLiteral("1,5"));
    wizard->gridBudgetItemsEditEnded();
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"0.00", "50.00", "0.00"}));

    TypeParty(*wizard, QStringLiteral("Bob"));
    wizard->btnOkClick();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(wizard->SelectedPartyID(), 4);
}

TEST_F(CheckWizardTest, TheNegativeBudgetWarningIsAskedDuringTheRun)
{
    main->StoreExec(QStringLiteral("INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, "
                                   "IntoBudgetCat, AllAccounts, Priority) VALUES (1, 'f', 15000, 1, 2, 't', 4)"));
    auto wizard = Wizard(Mode::Credit);
    ScriptedDialogs dialogs;
    dialogs.Expect<TfrmNegativeBudgetWarning>([](TfrmNegativeBudgetWarning& warning) {
        EXPECT_EQ(warning.lblBudgetItem->text(), QStringLiteral("Moving 150.00 from Unbudgeted to Car"));
        return TfrmNegativeBudgetWarning::kContinue;
    });
    EnterAmount(*wizard, QStringLiteral("100"));
    EXPECT_EQ(TrayTexts(*wizard, 1), QStringList({"150.00", "10.00", "-60.00"}));
}

struct PartyCase
{
    const char* typed;
    const char* message; // nullptr: the dialog closes with OK
    const char* stored;  // the party's name in the data file afterwards, live
    bool added;          // a new row
};

TEST_F(CheckWizardTest, OkStoresARevivesOrRefusesTheParty)
{
    // The cases run in order on one data file: each sees the parties the earlier ones left.
    const PartyCase cases[] = {
        {"Gone Ltd", nullptr, "Gone Ltd", false},   // the deleted party comes back
        {"gone ltd", nullptr, "Gone Ltd", false},   // once listed, it is found in any case
        {"acme CORP", nullptr, "Acme Corp", false}, // OK without leaving the box still finds the listed one
        {"Transfer", "\"Transfer\" is a reserved name.", nullptr, false},
        {"Carol", nullptr, "Carol", true},
        {"transfer", nullptr, "transfer", true},
        {"50% off", nullptr, "50  off", true}, // stored and listed the way the data file keeps it
        {"   ", "You must select a party.", nullptr, false},
        {"", "You must select a party.", nullptr, false},
    };
    for (const PartyCase& c : cases) {
        SCOPED_TRACE(c.typed);
        const int before = Value(QStringLiteral("SELECT count(*) FROM Parties")).toInt();
        auto wizard = Wizard(Mode::Credit);
        EnterAmount(*wizard, QStringLiteral("10"));
        ScriptedMessages messages;
        if (c.message)
            messages.Expect(QString::fromLatin1(c.message));
        wizard->edParty->setEditText(QString::fromLatin1(c.typed));
        wizard->btnOkClick();
        EXPECT_EQ(wizard->result() == QDialog::Accepted, c.message == nullptr);
        EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties")).toInt(), before + (c.added ? 1 : 0));
        if (c.stored) {
            const QString name = QString::fromLatin1(c.stored);
            EXPECT_EQ(wizard->edParty->currentText(), name);
            EXPECT_EQ(
                Value(QStringLiteral("SELECT Deleted FROM Parties WHERE ROWID = %1").arg(wizard->SelectedPartyID())),
                QStringLiteral("f"));
            EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = %1").arg(wizard->SelectedPartyID())),
                      name);
        }
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT ROWID FROM Parties WHERE Name = 'Gone Ltd'")), QStringLiteral("3"));
}

TEST_F(CheckWizardTest, AnAmountTooLargeToStoreIsToldWhereItIsLeftAndChangesNothing)
{
    auto wizard = Wizard(Mode::Credit);
    EnterAmount(*wizard, QStringLiteral("10"));
    const QStringList before = TrayTexts(*wizard, 1);
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("is not a valid integer value"));
    wizard->edAmount->setText(QStringLiteral("30000000"));
    // Left the way the field tells it: the error stops in the wizard's own handler.
    emit wizard->edAmount->Exited();
    EXPECT_EQ(messages.Pending(), 0);
    EXPECT_EQ(TrayTexts(*wizard, 1), before);
}

TEST_F(CheckWizardTest, AnUnreadableDataFileListsNothing)
{
    // A rules query that succeeded leaves its rows in the result table; the lists must not take them up.
    auto wizard = Wizard(Mode::Credit);
    main->OpenStore();
    main->Data().ExecSQL(QStringLiteral("SELECT Name, ROWID FROM Accounts"));
    main->Data().Close();
    testing_support::WriteAll(dir.File(QStringLiteral("Cofferly.db")), "this is no database at all");
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("Cofferly.db"));
    wizard->FillBudgetGrid();
    wizard->FillPartyList();
    wizard->LoadBudgetRules();
    EXPECT_EQ(wizard->gridBudgetItems->rowCount(), 0);
    EXPECT_EQ(wizard->edParty->count(), 0);
    EXPECT_TRUE(wizard->Rules().empty());
}

TEST_F(CheckWizardTest, ANewPartyIsRefusedWhenItsSystemIsGone)
{
    auto wizard = Wizard(Mode::Debit);
    EnterAmount(*wizard, QStringLiteral("10"));
    main->StoreExec(QStringLiteral("DELETE FROM BudgetSystems WHERE ROWID = 1"));
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("This budget system no longer exists."));
    wizard->edParty->setEditText(QStringLiteral("Carol"));
    wizard->btnOkClick();
    EXPECT_NE(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties WHERE Name = 'Carol'")), QStringLiteral("0"));
}

TEST_F(CheckWizardTest, AddBudgetItemAddsOrRevivesButNeverDoubles)
{
    int notices = 0;
    main->AddPlugIn([&notices](PlugInNotice notice) { notices += notice == PlugInNotice::BudgetItems; });
    auto wizard = Wizard(Mode::Credit);
    ScriptedDialogs dialogs;
    auto name = [&dialogs](const QString& typed, int result = QDialog::Accepted) {
        dialogs.Expect<TfrmNewBudgetItem>([typed, result](TfrmNewBudgetItem& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New budget item"));
            dialog.edItemName->setText(typed);
            return result;
        });
    };

    name(QStringLiteral("Car"));
    wizard->btnAddBudgetItemClick();
    EXPECT_EQ(TrayTexts(*wizard, 0), QStringList({"Car", "Savings", "Unbudgeted"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE Name = 'Car'")), QStringLiteral("1"));
    EXPECT_EQ(notices, 0);

    name(QStringLiteral("Old"));
    wizard->btnAddBudgetItemClick();
    EXPECT_EQ(TrayTexts(*wizard, 0), QStringList({"Car", "Savings", "Unbudgeted", "Old"}));
    EXPECT_EQ(wizard->TrayRows().back().rowId, 4);
    EXPECT_EQ(wizard->TrayRows().back().amount, QStringLiteral("0.00"));
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM BudgetCategories WHERE ROWID = 4")), QStringLiteral("f"));
    EXPECT_EQ(notices, 1);

    name(QStringLiteral("Travel"));
    wizard->btnAddBudgetItemClick();
    const qint64 travel = wizard->TrayRows().back().rowId;
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM BudgetCategories WHERE ROWID = %1 AND SystemID = 1").arg(travel)),
              QStringLiteral("Travel"));
    EXPECT_EQ(notices, 2);

    name(QStringLiteral("Holiday"), QDialog::Rejected);
    wizard->btnAddBudgetItemClick();
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE Name = 'Holiday'")),
              QStringLiteral("0"));

    // Reviving an item the tray of an edit already lists adds no second row for it.
    main->StoreExec(QStringLiteral("UPDATE BudgetCategories SET Deleted = 't' WHERE ROWID = 4"));
    auto edit = Wizard(Mode::Credit, true);
    name(QStringLiteral("Old"));
    edit->btnAddBudgetItemClick();
    EXPECT_EQ(TrayTexts(*edit, 0), QStringList({"Car", "Old", "Savings", "Travel", "Unbudgeted"}));
}

TEST_F(CheckWizardTest, TheBudgetItemNameNeedsANameAndRefusesWildcards)
{
    TfrmNewBudgetItem dialog;
    EXPECT_EQ(dialog.lblPrompt->text(), QStringLiteral("Give the new Budget Item a name."));
    EXPECT_EQ(dialog.size(), QSize(490, 306));
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    QTest::keyClicks(dialog.edItemName, QStringLiteral("  "));
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    QTest::keyClicks(dialog.edItemName, QStringLiteral("Gifts_%\"x"));
    EXPECT_EQ(dialog.Name(), QStringLiteral("  Giftsx"));
    EXPECT_TRUE(dialog.btnOK->isEnabled());
}

TEST_F(CheckWizardTest, AHiddenTrayStaysHiddenInLaterWizardsAndAfterARestart)
{
    auto TrayShownInNewWizard = [this] {
        auto wizard = Wizard(Mode::Credit);
        wizard->FormShow();
        return wizard->TrayShown();
    };
    {
        auto wizard = Wizard(Mode::Credit);
        wizard->FormShow();
        ASSERT_TRUE(wizard->TrayShown());
        wizard->SlideTrayButton1Click();
        EXPECT_FALSE(wizard->TrayShown());
        EXPECT_EQ(wizard->width(), 426);
        EXPECT_EQ(wizard->SlideTrayButton1->x(), 416);
    }
    EXPECT_FALSE(TrayShownInNewWizard());
    {
        auto debit = Wizard(Mode::Debit);
        debit->FormShow();
        EXPECT_FALSE(debit->TrayShown());
        EXPECT_EQ(debit->width(), 426);
    }

    main.reset();
    main = std::make_unique<TfrmMain>();
    main->FormShow();
    EXPECT_FALSE(TrayShownInNewWizard());

    auto wizard = Wizard(Mode::Credit);
    wizard->FormShow();
    wizard->SlideTrayButton1Click();
    EXPECT_TRUE(wizard->TrayShown());
    EXPECT_EQ(wizard->width(), 610);
    EXPECT_EQ(wizard->SlideTrayButton1->x(), 600);
    platform::TSettingsKey display;
    ASSERT_TRUE(display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false));
    EXPECT_TRUE(display.ReadBool(QStringLiteral("ShowBudgetTray")));
}

TEST_F(CheckWizardTest, KeysAreFilteredAndF1OpensTheWizardsTopic)
{
    InstallHelp();
    testing_support::WriteAll(dir.File(QStringLiteral("help/CheckWizard.htm")), "<html></html>");
    auto wizard = Wizard(Mode::Credit);
    QTest::keyClicks(wizard->edID, QStringLiteral("No. \"5\"_%1"));
    EXPECT_EQ(wizard->edID->text(), QStringLiteral("No. 51"));
    QTest::keyClicks(wizard->memNotes, QStringLiteral("a\"b_c%d"));
    QTest::keyClick(wizard->memNotes, Qt::Key_Return);
    QTest::keyClicks(wizard->memNotes, QStringLiteral("e"));
    EXPECT_EQ(wizard->memNotes->toPlainText(), QStringLiteral("abcde"));
    wizard->edAmount->clear();
    QTest::keyClicks(wizard->edAmount, QStringLiteral("-1a2.5"));
    EXPECT_EQ(wizard->edAmount->text(), QStringLiteral("12.5"));

    for (QWidget* w : {static_cast<QWidget*>(wizard->edAmount), static_cast<QWidget*>(wizard->gridBudgetItems),
                       static_cast<QWidget*>(wizard.get())})
        QTest::keyRelease(w, Qt::Key_F1);
    EXPECT_EQ(helpPages, std::vector<QString>(3, QStringLiteral("CheckWizard.htm")));
}

// The reference layout at the platform's font: every control inside the window, no two controls on top
// of each other (the gross button sits inside the amount field's end by design), and every label's text
// fits the room it has. With COFFERLY_SCREENSHOTS set, each mode is also saved there as a picture.
TEST_F(CheckWizardTest, TheLayoutIsTidyInEveryMode)
{
    const QString shots = qEnvironmentVariable("COFFERLY_SCREENSHOTS");
    for (Mode mode : {Mode::Credit, Mode::Debit, Mode::Transfer}) {
        auto wizard = Wizard(mode);
        SCOPED_TRACE(wizard->windowTitle().toStdString());
        if (mode == Mode::Credit) {
            EnterAmount(*wizard, QStringLiteral("100"));
            TypeParty(*wizard, QStringLiteral("Acme Corp"));
        }
        wizard->show();
        QCoreApplication::processEvents();
        std::vector<QWidget*> shown;
        for (QWidget* w : wizard->Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isHidden() && w != wizard->gridGrossNet)
                shown.push_back(w);
        for (QWidget* w : shown) {
            EXPECT_TRUE(wizard->rect().contains(w->mapTo(wizard.get(), w->rect().bottomRight())))
                << w->objectName().toStdString() << " leaves the window";
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
            }
            for (QWidget* other : shown) {
                if (other == w || (w == wizard->btnGrossNet && other == wizard->edAmount) ||
                    (other == wizard->btnGrossNet && w == wizard->edAmount))
                    continue;
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << w->objectName().toStdString() << " overlaps " << other->objectName().toStdString();
            }
        }
        if (!shots.isEmpty()) {
            const char* names[] = {"credit", "debit", "transfer"};
            QDir().mkpath(shots);
            wizard->grab().save(
                QDir(shots).filePath(QStringLiteral("wizard-%1.png").arg(QLatin1String(names[int(mode)]))));
        }
        wizard->hide();
    }
}

} // namespace
