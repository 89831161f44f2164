#include "budget/AllAccountsFrame.h"

#include "budget/SummaryGrid.h"
#include "ledger/AccountRegister.h"
#include "ledger/NewBudgetItem.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/GridLook.h"

#include <QAction>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

// Today is 10 December 2026 (ShellFixture): the screen opens on 10 November to 10 December.
const QDate kFrom(2026, 11, 10);
const QDate kTo(2026, 12, 10);

QString Day(const QDate& date)
{
    return QString::number(DateToDayNumber(date));
}

QString DeleteQuestion(const QString& name)
{
    return QStringLiteral("Are you sure you want to permanently delete \"%1\"?").arg(name);
}

// Home (system 1) lists Checking, Savings and Zero; Old is deleted with 4.00 in it. Checking has a credit
// on the first day of the range, a debit on the last, one the day before and one the day after; Savings
// was paid into only long before; Zero's two transactions cancel out. Work (system 2) has Till. Empty
// (system 3) has no account.
QString Rows()
{
    return QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home'), ('Work'), ('Empty');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking'), (1, 'Savings');"
                          "INSERT INTO Accounts (SystemID, Name, Deleted) VALUES (1, 'Old', 't');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Zero'), (2, 'Till');"
                          "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"
                          "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Shop');"
                          "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES "
                          "(1, %1, 100000, 2), (1, %2, -1200, 2), (1, %3, -300, 2), (1, %4, 700, 2),"
                          "(2, 40000, 20000, 2),"
                          "(3, 40000, 400, 2),"
                          "(4, 40000, 500, 2), (4, 40001, -500, 2),"
                          "(5, %2, 999, 2)")
        .arg(Day(kFrom), Day(kTo), Day(kFrom.addDays(-1)), Day(kTo.addDays(1)));
}

class AllAccountsTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), Rows());
        ASSERT_TRUE(WriteMissingDefaults());
        main = std::make_unique<TfrmMain>();
        main->FormShow();
        platform::SetModalInterceptor({});
        ShowAccounts(QStringLiteral("Home"));
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    QTreeWidget* Tree() { return main->Architect()->TreeView(); }
    QTreeWidgetItem* SystemNode(const QString& name)
    {
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i)
            if (Tree()->topLevelItem(i)->text(0) == name)
                return Tree()->topLevelItem(i);
        return nullptr;
    }
    QStringList AccountNodes()
    {
        QStringList captions;
        QTreeWidgetItem* group = SystemNode(QStringLiteral("Home"))->child(3);
        for (int i = 0; i < group->childCount(); ++i)
            captions << group->child(i)->text(0);
        return captions;
    }
    // The Accounts node of the system of that name.
    void ShowAccounts(const QString& system)
    {
        Tree()->setCurrentItem(SystemNode(system)->child(3));
        ASSERT_NE(Screen(), nullptr);
    }
    TframAllAccounts* Screen() { return dynamic_cast<TframAllAccounts*>(main->CurrentScreen()); }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QByteArray DataFile() { return testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))); }
    bool UndoEnabled() { return main->Action(QStringLiteral("mitmUndo"))->isEnabled(); }
    void Undo() { main->Action(QStringLiteral("mitmUndo"))->trigger(); }

    QStringList Row(const QString& name)
    {
        const budget::TSummaryGrid* grid = Screen()->Grid;
        for (int row = 0; row < grid->DataRowCount(); ++row) {
            if (grid->Text(row, 0) != name)
                continue;
            QStringList texts;
            for (int column = 0; column < 5; ++column)
                texts << grid->Text(row, column);
            return texts;
        }
        return {};
    }
    QStringList Names()
    {
        QStringList names;
        for (int row = 0; row < Screen()->Grid->DataRowCount(); ++row)
            names << Screen()->Grid->Text(row, 0);
        return names;
    }
    void Select(const QString& name)
    {
        budget::TSummaryGrid* grid = Screen()->Grid;
        for (int row = 0; row < grid->DataRowCount(); ++row)
            if (grid->Text(row, 0) == name)
                grid->selectRow(row);
        ASSERT_EQ(grid->SelectedName(), name);
    }
    static void Named(ScriptedDialogs& dialogs, const QString& name)
    {
        dialogs.Expect<TfrmNewBudgetItem>([name](TfrmNewBudgetItem& dialog) {
            dialog.edItemName->setText(name);
            return int(QDialog::Accepted);
        });
    }

    ScriptedMessages messages;
    std::unique_ptr<TfrmMain> main;
};

TEST_F(AllAccountsTest, ListsTheLiveAccountsOfItsSystemWithTheirFiguresAndTotal)
{
    TframAllAccounts* screen = Screen();
    EXPECT_EQ(screen->System(), 1);
    EXPECT_EQ(screen->dtmDateFrom->date(), kFrom);
    EXPECT_EQ(screen->dtmDateTo->date(), kTo);
    QStringList headers;
    for (int column = 0; column < 5; ++column)
        headers << screen->Grid->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, QStringList({"Name", "Period Debits", "Period Credits", "Period Balance", "Current Balance"}));
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
    // Both ends of the range count; the days just outside it only in the current balance.
    EXPECT_EQ(Row("Checking"), QStringList({"Checking", "-12.00", "1000.00", "988.00", "992.00"}));
    EXPECT_EQ(Row("Savings"), QStringList({"Savings", "0.00", "0.00", "0.00", "200.00"}));
    EXPECT_EQ(Row("Zero"), QStringList({"Zero", "0.00", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(screen->lblTotal->text(), QStringLiteral("1192.00"));
    EXPECT_EQ(screen->lblTotalCaption->text(), QStringLiteral("Total:  "));
    EXPECT_TRUE(screen->lblTotal->font().bold());
    EXPECT_TRUE(screen->Grid->model()->index(0, 4).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(screen->spdPrint->isEnabled());
    EXPECT_FALSE(main->Action(QStringLiteral("mitmPrint"))->isEnabled());
    const std::pair<QToolButton*, const char*> hints[] = {
        {screen->spdNewAccount, "Create a new account."},
        {screen->spdEdit, ""},
        {screen->spdDelAccount, "Delete the current account."},
        {screen->spdPrint, "Print the current view."},
    };
    for (const auto& [button, hint] : hints)
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(hint));
}

struct RangeCase
{
    const char* name;
    QDate from, to;
    QStringList checking; // columns 1 to 4
};

class AllAccountsRangeTest : public AllAccountsTest, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(AllAccountsRangeTest, CheckingOverTheRangeAndTheTotalStays)
{
    const RangeCase& c = GetParam();
    // A total in red stays what it was too.
    main->StoreExec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES "
                                   "(2, 40000, -200000, 2)"));
    main->Architect()->RerunSelection();
    ASSERT_EQ(Screen()->lblTotal->text(), QStringLiteral("-808.00"));
    Screen()->dtmDateTo->setDate(c.to);
    Screen()->dtmDateFrom->setDate(c.from);
    EXPECT_EQ(Row("Checking").mid(1), c.checking);
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("-808.00")) << "the total knows no range";
    EXPECT_EQ(Screen()->lblTotal->palette().color(QPalette::WindowText), ui::NegativeMoneyColour());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AllAccountsRangeTest,
    ::testing::Values(
        RangeCase{"TheDaysJustOutside", kFrom.addDays(-1), kTo.addDays(1), {"-15.00", "1007.00", "992.00", "992.00"}},
        RangeCase{"TheDayAfter", kTo.addDays(1), kTo.addDays(1), {"0.00", "7.00", "7.00", "992.00"}},
        RangeCase{"BeforeEverything", QDate(2000, 1, 1), QDate(2000, 12, 31), {"0.00", "0.00", "0.00", "992.00"}}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST_F(AllAccountsTest, ASystemWithoutAccountsShowsOneEmptyRowAndAZeroTotal)
{
    ShowAccounts(QStringLiteral("Empty"));
    EXPECT_EQ(Screen()->System(), 3);
    EXPECT_EQ(Screen()->Grid->DataRowCount(), 1);
    EXPECT_EQ(Screen()->Grid->Text(0, 0), QString());
    EXPECT_EQ(Screen()->Grid->Text(0, 4), QString());
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("0.00"));
    const QByteArray before = DataFile();
    {
        ScriptedDialogs none; // no dialog, no message
        Screen()->Grid->selectRow(0);
        Screen()->spdEditClick();
        Screen()->spdDelAccountClick();
        QTest::keyClick(Screen()->Grid, Qt::Key_Delete);
    }
    EXPECT_EQ(DataFile(), before);
}

TEST_F(AllAccountsTest, ATransferIsADebitOfOneAndACreditOfTheOtherAndLeavesTheTotal)
{
    main->StoreExec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES "
                                   "(1, %1, -5000, 1), (2, %1, 5000, 1);"
                                   "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (10, 11)")
                        .arg(Day(kTo)));
    main->Architect()->RerunSelection();
    EXPECT_EQ(Row("Checking"), QStringList({"Checking", "-62.00", "1000.00", "938.00", "942.00"}));
    EXPECT_EQ(Row("Savings"), QStringList({"Savings", "0.00", "50.00", "50.00", "250.00"}));
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("1192.00"));
}

struct DeleteAnswer
{
    const char* name;
    MsgAnswer answer;
    bool deletes;
};

class AllAccountsDeleteTest : public AllAccountsTest, public ::testing::WithParamInterface<DeleteAnswer>
{
};

// The question names the account; only Yes hands it to the tree, which deletes it, takes its node away
// and refreshes this screen.
TEST_P(AllAccountsDeleteTest, OnlyYesDeletesTheAccount)
{
    Select(QStringLiteral("Zero"));
    messages.Expect(DeleteQuestion(QStringLiteral("Zero")), GetParam().answer);
    Screen()->spdDelAccountClick();
    QCoreApplication::sendPostedEvents();
    ASSERT_NE(Screen(), nullptr);
    EXPECT_EQ(Row("Zero").isEmpty(), GetParam().deletes);
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = 4")),
              GetParam().deletes ? QStringLiteral("t") : QStringLiteral("f"));
    EXPECT_EQ(AccountNodes().contains(QStringLiteral("Zero")), !GetParam().deletes);
    EXPECT_EQ(UndoEnabled(), GetParam().deletes);
    if (!GetParam().deletes)
        return;
    Undo();
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, AllAccountsDeleteTest,
                         ::testing::Values(DeleteAnswer{"Yes", MsgAnswer::Yes, true},
                                           DeleteAnswer{"No", MsgAnswer::No, false},
                                           DeleteAnswer{"Closed", MsgAnswer::Cancel, false}),
                         [](const ::testing::TestParamInfo<DeleteAnswer>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(AllAccountsTest, AnAccountWithABalanceIsNotDeleted)
{
    Select(QStringLiteral("Savings"));
    const QByteArray before = DataFile();
    messages.Expect(DeleteQuestion(QStringLiteral("Savings")), MsgAnswer::Yes)
        .Expect(QStringLiteral("The account must have a zero balance before it can be deleted."));
    Screen()->spdDelAccountClick();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(DataFile(), before);
    ASSERT_NE(Screen(), nullptr);
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("1192.00"));
}

TEST_F(AllAccountsTest, NewAccountIsTheTreesAndShowsItsRegister)
{
    {
        ScriptedDialogs none;
        QTest::keyClick(Screen()->Grid, Qt::Key_Insert);
    }
    main->Architect()->FinishEditing();
    QCoreApplication::sendPostedEvents();
    auto* shown = dynamic_cast<TframAccount*>(main->CurrentScreen());
    ASSERT_NE(shown, nullptr) << "the new account's register replaced this screen";
    EXPECT_EQ(shown->Account(), 6);
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = 6")), QStringLiteral("New Account 1"));
    ShowAccounts(QStringLiteral("Home"));
    EXPECT_EQ(Names(), QStringList({"Checking", "New Account 1", "Savings", "Zero"}));
    Undo();
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
}

TEST_F(AllAccountsTest, RenameAsksWithTheAccountsTextsAndRenamesTheNodeToo)
{
    Select(QStringLiteral("Savings"));
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewBudgetItem>([](TfrmNewBudgetItem& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Account Name"));
            EXPECT_EQ(dialog.lblPrompt->text(), QStringLiteral("Give your Account a new name."));
            EXPECT_EQ(dialog.edItemName->text(), QStringLiteral("Savings"));
            dialog.edItemName->setText(QStringLiteral("Rainy Day's"));
            return int(QDialog::Accepted);
        });
        Screen()->spdEditClick();
    }
    EXPECT_EQ(Names(), QStringList({"Checking", "Rainy Day's", "Zero"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = 2")), QStringLiteral("Rainy Day's"));
    EXPECT_EQ(AccountNodes(), QStringList({"Checking", "Rainy Day's", "Zero"}));
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = 2")), QStringLiteral("Savings"));
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
    EXPECT_EQ(AccountNodes(), QStringList({"Checking", "Savings", "Zero"}));
}

struct RenameRefusal
{
    const char* name;
    QString to;
};

class AllAccountsRenameTest : public AllAccountsTest, public ::testing::WithParamInterface<RenameRefusal>
{
};

// A name any account of the system holds, the account itself and the deleted ones included, is refused
// without a message, as the tree refuses it.
TEST_P(AllAccountsRenameTest, RefusedNamesChangeNothing)
{
    Select(QStringLiteral("Savings"));
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, GetParam().to);
        Screen()->spdEditClick();
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings", "Zero"}));
    EXPECT_EQ(AccountNodes(), QStringList({"Checking", "Savings", "Zero"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, AllAccountsRenameTest,
                         ::testing::Values(RenameRefusal{"ItsOwnName", QStringLiteral("Savings")},
                                           RenameRefusal{"ADeletedAccount", QStringLiteral("Old")},
                                           RenameRefusal{"ALiveAccount", QStringLiteral("Checking")},
                                           RenameRefusal{"Blank", QStringLiteral("  ")}),
                         [](const ::testing::TestParamInfo<RenameRefusal>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(AllAccountsTest, KeysOfTheGridStartTheirCommands)
{
    QDir(dir.Path()).mkpath(QStringLiteral("help"));
    testing_support::WriteAll(dir.File(QStringLiteral("help/AccountsScreen.htm")), "<html></html>");
    budget::TSummaryGrid* grid = Screen()->Grid;
    grid->setFocus();
    Select(QStringLiteral("Zero"));
    QTest::keyPress(grid, Qt::Key_Delete);
    EXPECT_TRUE(messages.Shown().empty()) << "only at the release";
    messages.Expect(DeleteQuestion(QStringLiteral("Zero")), MsgAnswer::No);
    QTest::keyRelease(grid, Qt::Key_Delete);
    EXPECT_EQ(grid->SelectedName(), QStringLiteral("Zero")) << "the keys never reach the grid";
    QTest::keyClick(grid, Qt::Key_F1);
    QTest::keyClick(Screen()->dtmDateFrom, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{"AccountsScreen.htm", "AccountsScreen.htm"}));
}

} // namespace

namespace {

// A screen filled before another change took its account away: rename and delete say why they refuse,
// write nothing, and the screen and the tree show the file as it now is.
TEST_F(AllAccountsTest, CommandsOnAnAccountThatIsGoneRefuseWithoutWriting)
{
    Select(QStringLiteral("Zero"));
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = 4"));
    QByteArray before = DataFile();
    messages.Expect(DeleteQuestion(QStringLiteral("Zero")), MsgAnswer::Yes)
        .Expect(QStringLiteral("This account no longer exists."));
    Screen()->spdDelAccountClick();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(DataFile(), before);
    ASSERT_NE(Screen(), nullptr);
    EXPECT_EQ(Names(), QStringList({"Checking", "Savings"}));
    EXPECT_EQ(AccountNodes(), QStringList({"Checking", "Savings"}));

    Select(QStringLiteral("Savings"));
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = 2"));
    before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Rainy Day"));
        messages.Expect(QStringLiteral("This account no longer exists."));
        Screen()->spdEditClick();
    }
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(DataFile(), before);
    EXPECT_EQ(Names(), QStringList({"Checking"}));
    EXPECT_EQ(AccountNodes(), QStringList({"Checking"}));
    EXPECT_FALSE(UndoEnabled());
}

// Each column takes the remembered width of its own settings value; the parties and budget items
// screens share them.
TEST_F(AllAccountsTest, ColumnWidthsAreTheSharedRememberedOnes)
{
    budget::TSummaryGrid* grid = Screen()->Grid;
    grid->setColumnWidth(3, 144);
    grid->setColumnWidth(4, 133);
    QTest::mouseRelease(grid->horizontalHeader()->viewport(), Qt::LeftButton);
    EXPECT_EQ(main->RememberedWidth(kBudgetAmountColWidth4), 144);
    EXPECT_EQ(main->RememberedWidth(kBudgetAmountColWidth), 133);
    EXPECT_EQ(main->RememberedWidth(kBudgetAmountColWidth3), 100) << "not a column of this screen";
    Tree()->setCurrentItem(SystemNode(QStringLiteral("Home"))->child(1));
    auto* parties = dynamic_cast<TScreenFrame*>(main->CurrentScreen());
    ASSERT_NE(parties, nullptr);
    auto* partiesGrid = parties->findChild<budget::TSummaryGrid*>();
    ASSERT_NE(partiesGrid, nullptr);
    EXPECT_EQ(partiesGrid->columnWidth(3), 144);
    EXPECT_EQ(partiesGrid->columnWidth(4), 133);
}

} // namespace
