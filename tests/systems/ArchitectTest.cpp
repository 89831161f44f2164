#include "systems/Architect.h"

#include "platform/ModalForm.h"
#include "shell/MainWindow.h"
#include "store/Encodings.h"
#include "systems/PasswordDialogs.h"
#include "systems/SystemScreen.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedMessages;

// The shared scripted dialogs, with the two the tree shows: the password question and the password
// settings.
class ScriptedDialogs : public testing_support::ScriptedDialogs
{
public:
    using Step = std::function<int(QDialog&)>;
    ScriptedDialogs& Then(Step step)
    {
        Expect<QDialog>(std::move(step));
        return *this;
    }
    // The password question, answered with a text.
    ScriptedDialogs& Password(const QString& typed)
    {
        Expect<TfrmPasswordDialog>([typed](TfrmPasswordDialog& ask) {
            ask.edPassword->setText(typed);
            return int(QDialog::Accepted);
        });
        return *this;
    }
    // The password settings, filled in by a function; Accepted unless it says otherwise.
    ScriptedDialogs& Settings(std::function<void(TfrmPass&)> fill, int result = QDialog::Accepted)
    {
        Expect<TfrmPass>([fill, result](TfrmPass& pass) {
            fill(pass);
            return result;
        });
        return *this;
    }
};

class ArchitectTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        CreateEmptyDataFile();
        main = std::make_unique<TfrmMain>();
        tree = main->Architect()->TreeView();
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    void CreateEmptyDataFile() { testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db"))); }
    // A system with the rows every system has, written directly (no undo group).
    qint64 AddSystem(const QString& name, const QString& pass = QString())
    {
        TSQLiteDatabase& db = main->Data();
        main->OpenStore();
        db.ExecSQL(QStringLiteral("INSERT INTO BudgetSystems (Name, Pass) VALUES (%1, %2)")
                       .arg(SqlText(name), pass.isNull() ? QStringLiteral("NULL") : SqlText(pass)));
        const qint64 system = db.LastInsertRowID();
        db.ExecSQL(QStringLiteral("INSERT INTO BudgetCategories (SystemID, Name) VALUES (%1, 'Unbudgeted');"
                                  "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (%1, 'Transfer', 't')")
                       .arg(system));
        db.Close();
        return system;
    }
    qint64 AddAccount(qint64 system, const QString& name, bool deleted = false)
    {
        TSQLiteDatabase& db = main->Data();
        main->OpenStore();
        db.ExecSQL(QStringLiteral("INSERT INTO Accounts (SystemID, Name, Deleted) VALUES (%1, %2, %3)")
                       .arg(system)
                       .arg(SqlText(name), FlagSql(deleted)));
        const qint64 account = db.LastInsertRowID();
        db.Close();
        return account;
    }
    void AddTransaction(qint64 account, int amount)
    {
        main->StoreExec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) "
                                       "VALUES (%1, 46000, %2, 0)")
                            .arg(account)
                            .arg(amount));
    }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }

    QTreeWidgetItem* SystemNode(const QString& name)
    {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == name)
                return tree->topLevelItem(i);
        return nullptr;
    }
    QTreeWidgetItem* AccountNode(const QString& system, const QString& account)
    {
        QTreeWidgetItem* node = SystemNode(system);
        QTreeWidgetItem* accounts = node ? node->child(3) : nullptr;
        for (int i = 0; accounts && i < accounts->childCount(); ++i)
            if (accounts->child(i)->text(0) == account)
                return accounts->child(i);
        return nullptr;
    }
    // Edits a caption in place the way a person does: the command opens the editor, Enter ends it.
    bool Rename(QTreeWidgetItem* node, const QString& text)
    {
        tree->setCurrentItem(node);
        main->Architect()->mitmRenameClick();
        auto* editor = tree->viewport()->findChild<QLineEdit*>();
        if (!editor || !editor->isVisible())
            return false;
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits, closes and goes at the next turns of the event loop.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }
    QStringList Captions(QTreeWidgetItem* node)
    {
        QStringList captions;
        for (int i = 0; i < node->childCount(); ++i)
            captions << node->child(i)->text(0);
        return captions;
    }
    TframSystem* SystemScreen() { return dynamic_cast<TframSystem*>(main->CurrentScreen()); }
    void Undo() { main->Action(QStringLiteral("mitmUndo"))->trigger(); }

    std::unique_ptr<TfrmMain> main;
    QTreeWidget* tree = nullptr;
};

TEST_F(ArchitectTest, TreeListsSystemsWithTheirGroupsAndLiveAccounts)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    AddSystem(QStringLiteral("Business"));
    AddAccount(home, QStringLiteral("Savings"));
    AddAccount(home, QStringLiteral("Checking"));
    AddAccount(home, QStringLiteral("Old"), true);
    ScriptedMessages messages;
    main->FormShow();

    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Business"));
    QTreeWidgetItem* homeNode = SystemNode(QStringLiteral("Home"));
    EXPECT_EQ(Captions(homeNode), (QStringList{QStringLiteral("Budget Items"), QStringLiteral("Parties"),
                                               QStringLiteral("Budget Rules"), QStringLiteral("Accounts")}));
    EXPECT_EQ(Captions(homeNode->child(3)), (QStringList{QStringLiteral("Checking"), QStringLiteral("Savings")}));
    EXPECT_EQ(TframArchitect::NodeData(homeNode), home);
    const std::pair<QTreeWidgetItem*, NodeKind> kinds[] = {
        {homeNode, NodeKind::System},           {homeNode->child(0), NodeKind::BudgetItems},
        {homeNode->child(1), NodeKind::Parties}, {homeNode->child(2), NodeKind::BudgetRules},
        {homeNode->child(3), NodeKind::Accounts}, {homeNode->child(3)->child(0), NodeKind::Account}};
    for (const auto& [node, kind] : kinds) {
        EXPECT_EQ(TframArchitect::KindOf(node), kind) << node->text(0).toStdString();
        EXPECT_FALSE(node->icon(0).isNull()) << node->text(0).toStdString();
    }
    // The first system is selected, shown and opened one level.
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    ASSERT_NE(SystemScreen(), nullptr);
    EXPECT_EQ(SystemScreen()->System(), TframArchitect::NodeData(tree->topLevelItem(0)));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(homeNode->isExpanded());
}

TEST_F(ArchitectTest, NewSystemTakesTheFirstFreeNumberAndHoldsItsDefaultRows)
{
    AddSystem(QStringLiteral("New System 1"));
    AddSystem(QStringLiteral("New System 3"));
    ScriptedMessages messages;
    main->FormShow();
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&](PlugInNotice n) { notices.push_back(n); });
    QString proposed;
    {
        ScriptedDialogs dialogs;
        dialogs.Settings([&](TfrmPass& pass) {
            proposed = pass.edNameOldPass->text();
            pass.chkNoPass->setChecked(true);
        });
        main->Action(QStringLiteral("mitmNewBudgetsystem"))->trigger();
    }
    EXPECT_EQ(proposed, QStringLiteral("New System 2"));
    const QString system = Value(QStringLiteral("SELECT ROWID FROM BudgetSystems WHERE Name = 'New System 2'"));
    ASSERT_FALSE(system.isEmpty());
    EXPECT_EQ(Value(QStringLiteral("SELECT Pass IS NULL FROM BudgetSystems WHERE ROWID = %1").arg(system)),
              QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name || '/' || Deleted) FROM BudgetCategories WHERE SystemID = %1")
                        .arg(system)),
              QStringLiteral("Unbudgeted/f"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name || '/' || Deleted) FROM Parties WHERE SystemID = %1").arg(system)),
              QStringLiteral("Transfer/t"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(IsPercent || PercentOf || '/' || Value || '/' || FromBudgetCat || "
                                   "'/' || (IntoBudgetCat = (SELECT ROWID FROM BudgetCategories WHERE SystemID = %1)) "
                                   "|| AllAccounts || Priority || AllDeposits) FROM BudgetRules WHERE SystemID = %1")
                        .arg(system)),
              QStringLiteral("tNet Deposit/10000/0/1t0t"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Accounts WHERE SystemID = %1").arg(system)), QStringLiteral("0"));

    // At the end of the tree until the next rebuild, selected, with its groups.
    QTreeWidgetItem* node = tree->topLevelItem(tree->topLevelItemCount() - 1);
    EXPECT_EQ(node->text(0), QStringLiteral("New System 2"));
    EXPECT_EQ(tree->currentItem(), node);
    EXPECT_EQ(node->childCount(), 4);
    EXPECT_EQ(SystemScreen()->System(), system.toLongLong());
    EXPECT_EQ(notices, (std::vector<PlugInNotice>{PlugInNotice::Systems, PlugInNotice::BudgetItems,
                                                  PlugInNotice::Parties, PlugInNotice::Accounts}));

    // Undo takes every row of it away again, and its node with it: nothing may be done to it any more.
    Undo();
    for (const char* table : {"BudgetSystems", "BudgetCategories", "Parties", "BudgetRules"})
        EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = %3")
                            .arg(QLatin1String(table),
                                 QLatin1String(strcmp(table, "BudgetSystems") ? "SystemID" : "ROWID"), system)),
                  QStringLiteral("0"))
            << table;
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetSystems")), QStringLiteral("2"));
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());
    EXPECT_EQ(SystemNode(QStringLiteral("New System 2")), nullptr);
    EXPECT_EQ(tree->currentItem(), nullptr);
    EXPECT_EQ(SystemScreen()->System(), 0);
}

TEST_F(ArchitectTest, NewSystemWithAPasswordAsksForItAtOnce)
{
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("This appears to be your first time running Cofferly.\r\n"
                                   "Would you like to run the Setup Wizard to help you get started?"),
                    MsgAnswer::No);
    QFile::remove(dir.File(QStringLiteral("Cofferly.db")));
    main->FormShow();
    ScriptedDialogs dialogs;
    dialogs
        .Settings([](TfrmPass& pass) {
            pass.edNameOldPass->setText(QStringLiteral("Mine"));
            pass.chkNoPass->setChecked(false);
            pass.edNewPass->setText(QStringLiteral("abc1"));
            pass.edRetype->setText(QStringLiteral("abc1"));
        })
        .Password(QStringLiteral("abc1"));
    main->Architect()->mitmNewSystemClick();
    EXPECT_EQ(Value(QStringLiteral("SELECT Pass FROM BudgetSystems WHERE Name = 'Mine'")), QStringLiteral("abc1"));
    EXPECT_EQ(SystemScreen()->System(), 1);
}

TEST_F(ArchitectTest, NewSystemRefusesATakenName)
{
    AddSystem(QStringLiteral("Home"));
    ScriptedMessages messages;
    main->FormShow();
    messages.Expect(QStringLiteral("A budget system named \"Home\" already exists.\rPlease choose another name."));
    ScriptedDialogs dialogs;
    dialogs.Settings([](TfrmPass& pass) { pass.edNameOldPass->setText(QStringLiteral("Home")); })
        .Settings([](TfrmPass&) {}, QDialog::Rejected);
    main->Architect()->mitmNewSystemClick();
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetSystems")), QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories")), QStringLiteral("1"));
}

TEST_F(ArchitectTest, NewAccountsAreNumberedPerSystemCountingDeletedOnes)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 work = AddSystem(QStringLiteral("Work"));
    AddAccount(home, QStringLiteral("New Account 1"), true);
    AddAccount(work, QStringLiteral("New Account 1"));
    ScriptedMessages messages;
    main->FormShow();
    tree->setCurrentItem(SystemNode(QStringLiteral("Home"))->child(1)); // any node of the system
    main->Architect()->mitmNewAccountClick();
    auto* editor = tree->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(main->Architect()->Editing());
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name || '/' || Deleted || '/' || Age, ',') FROM Accounts "
                                   "WHERE SystemID = %1 ORDER BY ROWID")
                        .arg(home)),
              QStringLiteral("New Account 1/t/3,New Account 2/f/3"));
    QTreeWidgetItem* node = AccountNode(QStringLiteral("Home"), QStringLiteral("New Account 2"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(tree->currentItem(), node);

    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE Name = 'New Account 2'")), QStringLiteral("t"));
}

TEST_F(ArchitectTest, RenamesAreRefusedForTakenNamesAndUndoneInOrder)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    AddSystem(QStringLiteral("Work"));
    const qint64 checking = AddAccount(home, QStringLiteral("Checking"));
    AddAccount(home, QStringLiteral("Savings"));
    AddAccount(home, QStringLiteral("Closed"), true);
    ScriptedMessages messages;
    main->FormShow();
    auto name = [&] { return Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(checking)); };

    struct Refusal
    {
        const char* text;
    };
    // Another live account's name, a deleted account's name, nothing at all.
    for (const char* taken : {"Savings", "Closed", ""}) {
        ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")), QString::fromUtf8(taken)));
        EXPECT_EQ(name(), QStringLiteral("Checking")) << taken;
        EXPECT_NE(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")), nullptr) << taken;
    }
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());

    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")), QStringLiteral("Bills")));
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Bills")), QStringLiteral("House")));
    EXPECT_EQ(name(), QStringLiteral("House"));
    Undo();
    EXPECT_EQ(name(), QStringLiteral("Bills"));
    Undo();
    EXPECT_EQ(name(), QStringLiteral("Checking"));

    // Systems: a taken name is refused, a free one stored and undone.
    ASSERT_TRUE(Rename(SystemNode(QStringLiteral("Home")), QStringLiteral("Work")));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM BudgetSystems WHERE ROWID = %1").arg(home)), QStringLiteral("Home"));
    ASSERT_TRUE(Rename(SystemNode(QStringLiteral("Home")), QStringLiteral("Family")));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM BudgetSystems WHERE ROWID = %1").arg(home)), QStringLiteral("Family"));
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM BudgetSystems WHERE ROWID = %1").arg(home)), QStringLiteral("Home"));

    // Renamed behind the tree's back, the account's Undo brings back the name the file held, not the caption.
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Name = 'Current' WHERE ROWID = %1").arg(checking));
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")), QStringLiteral("Cash")));
    EXPECT_EQ(name(), QStringLiteral("Cash"));
    Undo();
    EXPECT_EQ(name(), QStringLiteral("Current"));
}

TEST_F(ArchitectTest, NamesThatWouldBreakHandWrittenSqlMatchOnlyTheirOwnRow)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 a = AddAccount(home, QStringLiteral("Alpha"));
    AddAccount(home, QStringLiteral("Beta"));
    ScriptedMessages messages;
    main->FormShow();
    const std::pair<const char*, const char*> cases[] = {
        {"Name", "Name"}, {"Deleted", "Deleted"}, {"Joe's \"best\" 100%_cash", "Joe's 'best' 100  cash"}};
    QString current = QStringLiteral("Alpha");
    for (const auto& [typed, stored] : cases) {
        ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), current), QString::fromUtf8(typed)));
        EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(a)), QString::fromUtf8(stored));
        EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Accounts WHERE Name = %1").arg(SqlText(QString::fromUtf8(stored)))),
                  QStringLiteral("1"));
        current = QString::fromUtf8(stored);
        EXPECT_NE(AccountNode(QStringLiteral("Home"), current), nullptr) << "shown as stored";
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name) FROM Accounts WHERE ROWID <> %1").arg(a)),
              QStringLiteral("Beta"));
    // "Name" is free again, and a column's name does not make every account look like it.
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Beta")), QStringLiteral("Name")));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name, '|') FROM (SELECT Name FROM Accounts ORDER BY ROWID)")),
              QStringLiteral("Joe's 'best' 100  cash|Name"));

    // The same for a system: "Name" is not taken just because every row has a Name.
    ASSERT_TRUE(Rename(SystemNode(QStringLiteral("Home")), QStringLiteral("Name")));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM BudgetSystems WHERE ROWID = %1").arg(home)), QStringLiteral("Name"));
}

TEST_F(ArchitectTest, AccountDeletionNeedsAZeroBalanceAndComesBackWithItsRules)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 checking = AddAccount(home, QStringLiteral("Checking"));
    const qint64 empty = AddAccount(home, QStringLiteral("Empty"));
    AddTransaction(checking, 1500);
    // Two rules bound to Checking alone (one without a party), one for all accounts.
    main->StoreExec(QStringLiteral(
        "INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, AccountID, "
        "Priority, PartyID) VALUES (%1, 'f', 2500, 0, 1, 'f', %2, 1, NULL);"
        "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
        "AccountID, Priority, PartyID) VALUES (%1, 't', 7, 500, 0, 1, 'f', %2, 2, 9);"
        "INSERT INTO BudgetRules (SystemID, Value, FromBudgetCat, IntoBudgetCat, Priority) VALUES (%1, 10000, 0, 1, 0)")
                        .arg(home)
                        .arg(checking));
    const QString rules = QStringLiteral("SELECT group_concat(quote(SystemID) || quote(IsPercent) || quote(PercentOf) "
                                         "|| quote(Value) || quote(AccountID) || quote(Priority) || quote(PartyID), ',') "
                                         "FROM (SELECT * FROM BudgetRules ORDER BY Priority)");
    const QString before = Value(rules);
    ScriptedMessages messages;
    main->FormShow();

    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Checking\"?"), MsgAnswer::Yes)
        .Expect(QStringLiteral("The account must have a zero balance before it can be deleted."));
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")));
    main->Action(QStringLiteral("mitmDelete"))->trigger();
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = %1").arg(checking)), QStringLiteral("f"));

    // No keeps it; so does closing the question.
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Empty\"?"), MsgAnswer::No);
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Empty")));
    main->Action(QStringLiteral("mitmDelete"))->trigger();
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = %1").arg(empty)), QStringLiteral("f"));

    // An account without a single transaction has a zero balance.
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Empty\"?"), MsgAnswer::Yes);
    QTest::keyRelease(tree, Qt::Key_Delete);
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = %1").arg(empty)), QStringLiteral("t"));
    EXPECT_EQ(AccountNode(QStringLiteral("Home"), QStringLiteral("Empty")), nullptr);

    AddTransaction(checking, -1500);
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&](PlugInNotice n) { notices.push_back(n); });
    // The caller of DeleteAccountByID has asked its own question.
    main->Architect()->DeleteAccountByID(checking);
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = %1").arg(checking)), QStringLiteral("t"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules")), QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE AccountID = %1").arg(checking)),
              QStringLiteral("2"));

    notices.clear();
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Accounts WHERE ROWID = %1").arg(checking)), QStringLiteral("f"));
    EXPECT_EQ(Value(rules), before) << "the rules come back exactly, NULL included";
    EXPECT_EQ(notices, std::vector<PlugInNotice>{PlugInNotice::Parties});
}

TEST_F(ArchitectTest, DeletingASystemRemovesEverythingItHoldsAndClearsTheJournal)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 work = AddSystem(QStringLiteral("Work"));
    const qint64 a = AddAccount(home, QStringLiteral("Checking"));
    const qint64 b = AddAccount(work, QStringLiteral("Till"));
    AddTransaction(a, 100);
    AddTransaction(b, 200);
    main->StoreExec(QStringLiteral("INSERT INTO TransTOTrans VALUES (1, 1); INSERT INTO TransTOTrans VALUES (2, 2);"
                                   "INSERT INTO NewBudgetTransactions VALUES (1, 100, 1, 46000);"
                                   "INSERT INTO NewBudgetTransactions VALUES (2, 200, 2, 46000)"));
    ScriptedMessages messages;
    main->FormShow();
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Work"), QStringLiteral("Till")), QStringLiteral("Cash")));
    ASSERT_TRUE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());

    // Delete on a group node asks nothing and does nothing.
    tree->setCurrentItem(SystemNode(QStringLiteral("Home"))->child(1));
    QTest::keyRelease(tree, Qt::Key_Delete);
    main->Architect()->mitmDeleteClick();

    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Home\"?"), MsgAnswer::Yes);
    tree->setCurrentItem(SystemNode(QStringLiteral("Home")));
    main->Action(QStringLiteral("mitmDelete"))->trigger();
    EXPECT_EQ(SystemNode(QStringLiteral("Home")), nullptr);
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());
    const std::pair<const char*, const char*> left[] = {
        {"SELECT group_concat(Name) FROM BudgetSystems", "Work"},
        {"SELECT group_concat(Name) FROM Accounts", "Cash"},
        {"SELECT group_concat(AccountID) FROM Transactions", "2"},
        {"SELECT group_concat(TransID1) FROM TransTOTrans", "2"},
        {"SELECT group_concat(BudgetCatID) FROM NewBudgetTransactions", "2"},
        {"SELECT count(*) FROM BudgetCategories", "1"},
        {"SELECT count(*) FROM Parties", "1"},
    };
    for (const auto& [sql, expected] : left)
        EXPECT_EQ(Value(QString::fromLatin1(sql)), QString::fromLatin1(expected)) << sql;
    // The selection moved to the other system and shows it.
    EXPECT_EQ(tree->currentItem(), SystemNode(QStringLiteral("Work")));
    EXPECT_EQ(SystemScreen()->System(), work);
}

TEST_F(ArchitectTest, PopupEnablingFollowsTheSelectedNode)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    AddAccount(home, QStringLiteral("Checking"));
    ScriptedMessages messages;
    main->FormShow();
    struct Case
    {
        QTreeWidgetItem* node;
        bool account, pass, deleteAndRename;
    };
    QTreeWidgetItem* system = SystemNode(QStringLiteral("Home"));
    const Case cases[] = {{nullptr, false, false, false},
                          {system, true, true, true},
                          {system->child(0), true, true, false},
                          {system->child(3), true, true, false},
                          {system->child(3)->child(0), true, true, true}};
    QMenu* popup = main->Architect()->PopupMenu();
    auto action = [&](const char* name) { return popup->findChild<QAction*>(QString::fromLatin1(name)); };
    for (const Case& c : cases) {
        tree->setCurrentItem(c.node);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), tree->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(tree->viewport(), &event);
        EXPECT_TRUE(action("mitmNewSystem")->isEnabled());
        EXPECT_EQ(action("mitmNewAccount")->isEnabled(), c.account);
        EXPECT_EQ(action("mitmChangePass")->isEnabled(), c.pass);
        EXPECT_EQ(action("mitmDelete")->isEnabled(), c.deleteAndRename);
        EXPECT_EQ(action("mitmRename")->isEnabled(), c.deleteAndRename);
        popup->hide();
    }
}

TEST_F(ArchitectTest, ClickingEmptySpaceShowsTheScreenWithoutASystem)
{
    AddSystem(QStringLiteral("Home"));
    ScriptedMessages messages;
    main->FormShow();
    ASSERT_EQ(SystemScreen()->System(), 1);
    tree->resize(200, 400);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(100, 390));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(tree->currentItem(), nullptr);
    ASSERT_NE(SystemScreen(), nullptr);
    EXPECT_EQ(SystemScreen()->System(), 0);
    EXPECT_FALSE(SystemScreen()->lblDeleteSystem->isEnabled());
    EXPECT_FALSE(SystemScreen()->lblChangePass->isEnabled());
    EXPECT_TRUE(SystemScreen()->lblNewSystem->isEnabled());

    // F1 in the tree opens the topic of the screen shown: the overview there, the parties' topic once
    // the parties group shows its own screen.
    InstallHelp();
    testing_support::WriteAll(dir.File(QStringLiteral("help/PartiesScreen.htm")), "<html></html>");
    QTest::keyRelease(tree, Qt::Key_F1);
    tree->setCurrentItem(SystemNode(QStringLiteral("Home"))->child(1));
    EXPECT_EQ(SystemScreen(), nullptr);
    QTest::keyRelease(tree, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("Overview.htm"), QStringLiteral("PartiesScreen.htm")}));
}

TEST_F(ArchitectTest, PasswordsAreRememberedAcrossSystemsThatShareThem)
{
    AddSystem(QStringLiteral("A"), QStringLiteral("secret"));
    AddSystem(QStringLiteral("B"), QStringLiteral("secret"));
    AddSystem(QStringLiteral("C"), QString(""));
    AddSystem(QStringLiteral("D"), QStringLiteral("other"));
    ScriptedMessages messages;
    {
        ScriptedDialogs dialogs;
        dialogs.Password(QStringLiteral("secret"));
        main->FormShow(); // selects A
    }
    EXPECT_EQ(SystemScreen()->System(), 1);
    {
        ScriptedDialogs none; // B shares the password; C has the empty one
        tree->setCurrentItem(SystemNode(QStringLiteral("B")));
        EXPECT_EQ(SystemScreen()->System(), 2);
        tree->setCurrentItem(SystemNode(QStringLiteral("C")));
        EXPECT_EQ(SystemScreen()->System(), 3);
    }
    EXPECT_EQ(main->Architect()->RememberedPassword(), QString());
    {
        // Back to A after a system without a password: asked again. Then D, wrongly.
        ScriptedDialogs dialogs;
        dialogs.Password(QStringLiteral("secret")).Password(QStringLiteral("Other"));
        messages.Expect(QStringLiteral("Invalid password."));
        tree->setCurrentItem(SystemNode(QStringLiteral("A")));
        EXPECT_EQ(SystemScreen()->System(), 1);
        tree->setCurrentItem(SystemNode(QStringLiteral("D")));
    }
    EXPECT_EQ(SystemScreen()->System(), 0);
    EXPECT_FALSE(SystemNode(QStringLiteral("D"))->isExpanded());
    {
        // Cancel on expanding keeps the node closed.
        ScriptedDialogs dialogs;
        dialogs.Then([](QDialog&) { return int(QDialog::Rejected); });
        SystemNode(QStringLiteral("D"))->setExpanded(true);
        EXPECT_FALSE(SystemNode(QStringLiteral("D"))->isExpanded());
    }
}

TEST_F(ArchitectTest, ChangingThePassword)
{
    AddSystem(QStringLiteral("Home"));
    ScriptedMessages messages;
    main->FormShow();
    auto stored = [&] { return Value(QStringLiteral("SELECT quote(Pass) FROM BudgetSystems WHERE ROWID = 1")); };
    {
        // No password yet: the old field is off and empty, which matches.
        ScriptedDialogs dialogs;
        dialogs.Settings([](TfrmPass& pass) {
            EXPECT_EQ(pass.lblInstructions->text(),
                      QStringLiteral("Enter the old password for this budget system,\nthen enter the new password below."));
            EXPECT_TRUE(pass.chkNoPass->isChecked());
            EXPECT_FALSE(pass.edNameOldPass->isEnabled());
            EXPECT_FALSE(pass.edNewPass->isEnabled());
            pass.chkNoPass->setChecked(false);
            pass.edNewPass->setText(QStringLiteral("k3y"));
            pass.edRetype->setText(QStringLiteral("k3y"));
        });
        main->Action(QStringLiteral("mitmChangepassword"))->trigger();
    }
    EXPECT_EQ(stored(), QStringLiteral("'k3y'"));
    EXPECT_EQ(main->Architect()->RememberedPassword(), QStringLiteral("k3y"));
    {
        // A wrong old password changes nothing, even with new ones filled in.
        ScriptedDialogs dialogs;
        messages.Expect(QStringLiteral("Invalid password."));
        dialogs.Settings([](TfrmPass& pass) {
            EXPECT_TRUE(pass.edNameOldPass->isEnabled());
            pass.edNameOldPass->setText(QStringLiteral("K3Y"));
            EXPECT_EQ(pass.edNameOldPass->echoMode(), QLineEdit::Password);
            EXPECT_EQ(pass.edNameOldPass->displayText(), QStringLiteral("***"));
            pass.edNewPass->setText(QStringLiteral("new"));
            pass.edRetype->setText(QStringLiteral("new"));
        });
        main->Architect()->mitmChangePassClick();
    }
    EXPECT_EQ(stored(), QStringLiteral("'k3y'"));
    {
        ScriptedDialogs dialogs;
        dialogs.Settings([](TfrmPass& pass) {
            pass.edNameOldPass->setText(QStringLiteral("k3y"));
            pass.chkNoPass->setChecked(true);
        });
        // From the system screen's link.
        SystemScreen()->lblChangePass->clicked();
    }
    EXPECT_EQ(stored(), QStringLiteral("NULL"));
    EXPECT_EQ(main->Architect()->RememberedPassword(), QString());
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled()) << "a password change records nothing";
}

// The links that replace their own screen: the release of the old screen arrives while a dialog of the
// command still runs (here the password of the system selected next), yet the screen lives on until the
// link's handler has returned.
TEST_F(ArchitectTest, SystemScreenLinksReplaceTheirOwnScreenSafely)
{
    AddSystem(QStringLiteral("Home"));
    AddSystem(QStringLiteral("Work"), QStringLiteral("w0rk"));
    ScriptedMessages messages;
    main->FormShow(); // Home
    QCoreApplication::processEvents(); // laid out before anyone can click
    struct Seen
    {
        bool alive = false;
        bool pending = false;
    };
    auto passwordWhileReleasing = [this](QPointer<TframSystem>& screen, Seen& seen, const QString& password) {
        return [this, &screen, &seen, password](QDialog& dialog) {
            QCoreApplication::sendPostedEvents(); // the dialog's own event loop delivers the release
            seen.alive = !screen.isNull();
            seen.pending = screen && screen->ReleasePending;
            static_cast<TfrmPasswordDialog&>(dialog).edPassword->setText(password);
            return int(QDialog::Accepted);
        };
    };

    QPointer<TframSystem> first = SystemScreen();
    Seen created;
    {
        ScriptedDialogs dialogs;
        dialogs
            .Settings([](TfrmPass& pass) {
                pass.edNameOldPass->setText(QStringLiteral("Zoo"));
                pass.edNewPass->setText(QStringLiteral("z00"));
                pass.edRetype->setText(QStringLiteral("z00"));
            })
            .Then(passwordWhileReleasing(first, created, QStringLiteral("z00")));
        QTest::mouseClick(first->lblNewSystem, Qt::LeftButton);
    }
    EXPECT_TRUE(created.alive);
    EXPECT_TRUE(created.pending);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(first) << "freed once its handler returned";
    EXPECT_EQ(SystemScreen()->System(), 3);

    // Deleting Zoo moves the selection on to Work, whose password is asked while the link still runs.
    QPointer<TframSystem> zoo = SystemScreen();
    QCoreApplication::processEvents();
    Seen deleted;
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Zoo\"?"), MsgAnswer::Yes);
    {
        ScriptedDialogs dialogs;
        dialogs.Then(passwordWhileReleasing(zoo, deleted, QStringLiteral("w0rk")));
        QTest::mouseClick(zoo->lblDeleteSystem, Qt::LeftButton);
    }
    EXPECT_TRUE(deleted.alive);
    EXPECT_TRUE(deleted.pending);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(zoo);
    EXPECT_EQ(SystemScreen()->System(), 2);
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(Name) FROM BudgetSystems")), QStringLiteral("Home,Work"));
}

TEST_F(ArchitectTest, ClosingWhileACaptionIsEditedStoresItAndLeavesNoScratchFile)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 account = AddAccount(home, QStringLiteral("Checking"));
    ScriptedMessages messages;
    main->FormShow();
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Checking")));
    main->Architect()->mitmRenameClick();
    auto* editor = tree->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Typed"));
    main->close();
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(account)), QStringLiteral("Typed"));
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("scratch.db"))));
    main.reset();
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("scratch.db"))));
}

// Rows that name a system, account, budget item or party that does not exist.
QString OrphanRows(TfrmMain& main)
{
    return main.StoreQueryValue(QStringLiteral(
        "SELECT (SELECT count(*) FROM Accounts WHERE SystemID NOT IN (SELECT ROWID FROM BudgetSystems)) + "
        "(SELECT count(*) FROM BudgetCategories WHERE SystemID NOT IN (SELECT ROWID FROM BudgetSystems)) + "
        "(SELECT count(*) FROM Parties WHERE SystemID NOT IN (SELECT ROWID FROM BudgetSystems)) + "
        "(SELECT count(*) FROM BudgetRules WHERE SystemID NOT IN (SELECT ROWID FROM BudgetSystems)) + "
        "(SELECT count(*) FROM Transactions WHERE AccountID NOT IN (SELECT ROWID FROM Accounts)) + "
        "(SELECT count(*) FROM Transactions WHERE SecondPartyID <> 0 AND "
        "SecondPartyID NOT IN (SELECT ROWID FROM Parties)) + "
        "(SELECT count(*) FROM NewBudgetTransactions WHERE BudgetCatID NOT IN (SELECT ROWID FROM BudgetCategories))"));
}

TEST_F(ArchitectTest, UndoTakesAwayTheNodesOfRowsItRemovedAndNoCommandWritesForThem)
{
    AddSystem(QStringLiteral("Home"));
    ScriptedMessages messages;
    main->FormShow();
    {
        ScriptedDialogs dialogs;
        dialogs.Settings([](TfrmPass& pass) { pass.chkNoPass->setChecked(true); });
        main->Action(QStringLiteral("mitmNewBudgetsystem"))->trigger();
    }
    QTreeWidgetItem* created = SystemNode(QStringLiteral("New System 1"));
    ASSERT_EQ(tree->currentItem(), created);
    main->Action(QStringLiteral("mitmNewAccount"))->trigger();
    main->Architect()->FinishEditing();
    ASSERT_NE(AccountNode(QStringLiteral("New System 1"), QStringLiteral("New Account 1")), nullptr);

    // Undoing the account takes its node away and leaves the accounts group selected.
    Undo();
    EXPECT_EQ(AccountNode(QStringLiteral("New System 1"), QStringLiteral("New Account 1")), nullptr);
    EXPECT_EQ(tree->currentItem(), SystemNode(QStringLiteral("New System 1"))->child(3));

    // Undoing the system takes its node away; the commands then have nothing to act on.
    Undo();
    EXPECT_EQ(SystemNode(QStringLiteral("New System 1")), nullptr);
    EXPECT_EQ(tree->currentItem(), nullptr);
    for (const char* command : {"mitmNewAccount", "mitmDelete", "mitmRename", "mitmChangepassword"})
        main->Action(QString::fromLatin1(command))->trigger();
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Accounts")), QStringLiteral("0"));
    EXPECT_EQ(OrphanRows(*main), QStringLiteral("0"));

    // The next system takes the freed ROWID and holds nothing of the old one.
    {
        ScriptedDialogs dialogs;
        dialogs.Settings([](TfrmPass& pass) { pass.chkNoPass->setChecked(true); });
        main->Action(QStringLiteral("mitmNewBudgetsystem"))->trigger();
    }
    main->Architect()->BuildSystemTree();
    EXPECT_EQ(SystemNode(QStringLiteral("New System 1"))->child(3)->childCount(), 0);
}

TEST_F(ArchitectTest, UndoBringsBackCaptionsAndAccountsInTheTree)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    AddAccount(home, QStringLiteral("Cash"));
    AddAccount(home, QStringLiteral("Savings"));
    ScriptedMessages messages;
    main->FormShow();
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("Cash")), QStringLiteral("Wallet")));
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Savings\"?"), MsgAnswer::Yes);
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Savings")));
    main->Architect()->mitmDeleteClick();
    ASSERT_EQ(AccountNode(QStringLiteral("Home"), QStringLiteral("Savings")), nullptr);

    Undo();
    EXPECT_EQ(Captions(SystemNode(QStringLiteral("Home"))->child(3)),
              (QStringList{QStringLiteral("Savings"), QStringLiteral("Wallet")}));
    Undo();
    EXPECT_EQ(Captions(SystemNode(QStringLiteral("Home"))->child(3)),
              (QStringList{QStringLiteral("Cash"), QStringLiteral("Savings")}));
}

// A tree that shows what the file no longer holds (another program, an old view): the commands check the
// file, refuse, and write nothing.
TEST_F(ArchitectTest, CommandsOnRowsThatAreGoneRefuseWithoutWriting)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 work = AddSystem(QStringLiteral("Work"));
    const qint64 cash = AddAccount(home, QStringLiteral("Cash"));
    AddAccount(home, QStringLiteral("Spare"));
    ScriptedMessages messages;
    main->FormShow();
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Spare")));
    ASSERT_TRUE(Rename(tree->currentItem(), QStringLiteral("Spare 2"))); // one undo group to keep
    const auto behindTheTreesBack = [&](const QString& sql) {
        main->StoreExec(sql);
        return testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));
    };

    QByteArray before = behindTheTreesBack(QStringLiteral("DELETE FROM BudgetSystems WHERE ROWID = %1").arg(work));
    messages.Expect(QStringLiteral("This budget system no longer exists."));
    tree->setCurrentItem(SystemNode(QStringLiteral("Work")));
    main->Architect()->mitmNewAccountClick();
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), before);
    EXPECT_EQ(SystemNode(QStringLiteral("Work")), nullptr); // the refusal also mends the tree

    before = behindTheTreesBack(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = %1").arg(cash));
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Cash\"?"), MsgAnswer::Yes)
        .Expect(QStringLiteral("This account no longer exists."));
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Cash")));
    main->Architect()->mitmDeleteClick();
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), before);
    EXPECT_EQ(AccountNode(QStringLiteral("Home"), QStringLiteral("Cash")), nullptr);

    EXPECT_TRUE(main->Action(QStringLiteral("mitmUndo"))->isEnabled()); // no reset for nothing
    EXPECT_EQ(messages.Pending(), 0);
}

TEST_F(ArchitectTest, ARefusedOrCancelledPasswordChangesNothing)
{
    const qint64 locked = AddSystem(QStringLiteral("Locked"), QStringLiteral("secret"));
    AddAccount(locked, QStringLiteral("Cash"));
    ScriptedMessages messages;
    {
        ScriptedDialogs dialogs;
        dialogs.Then([](QDialog&) { return int(QDialog::Rejected); });
        main->FormShow(); // selects Locked: cancelled
    }
    ASSERT_EQ(tree->currentItem(), SystemNode(QStringLiteral("Locked")));
    const QByteArray before = testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));
    for (const char* command : {"mitmNewAccount", "mitmDelete", "mitmRename", "mitmChangepassword"}) {
        for (const bool cancel : {true, false}) {
            ScriptedDialogs dialogs;
            if (cancel) {
                dialogs.Then([](QDialog&) { return int(QDialog::Rejected); });
            } else {
                dialogs.Password(QStringLiteral("wrong"));
                messages.Expect(QStringLiteral("Invalid password."));
            }
            main->Action(QString::fromLatin1(command))->trigger();
            EXPECT_EQ(dialogs.Pending(), 0) << command;
            EXPECT_FALSE(main->Architect()->Editing()) << command;
        }
    }
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), before);
    EXPECT_FALSE(SystemNode(QStringLiteral("Locked"))->isExpanded());
}

TEST_F(ArchitectTest, APasswordIsAskedBeforeTheSystemOpens)
{
    AddSystem(QStringLiteral("A"));
    const qint64 locked = AddSystem(QStringLiteral("Locked"), QStringLiteral("secret"));
    AddAccount(locked, QStringLiteral("Cash"));
    ScriptedMessages messages;
    main->FormShow(); // selects A
    tree->show();
    QTreeWidgetItem* node = SystemNode(QStringLiteral("Locked"));
    const QRect rect = tree->visualItemRect(node);
    const QPoint branch(rect.left() - tree->indentation() / 2, rect.center().y());
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"branch click", [&] { QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, branch); }},
        {"right key", [&] { QTest::keyClick(tree, Qt::Key_Right); }},
        {"plus key", [&] { QTest::keyClick(tree, Qt::Key_Plus); }},
        {"asterisk key", [&] { QTest::keyClick(tree, Qt::Key_Asterisk); }},
    };
    for (const auto& [way, act] : ways) {
        {
            // The keys act on the current node; put it there without the selection's own question.
            const QSignalBlocker block(tree);
            tree->setCurrentItem(node);
        }
        bool closedWhileAsked = false;
        ScriptedDialogs dialogs;
        dialogs.Then([&](QDialog&) {
            closedWhileAsked = !node->isExpanded();
            return int(QDialog::Rejected);
        });
        act();
        EXPECT_EQ(dialogs.Pending(), 0) << way;
        EXPECT_TRUE(closedWhileAsked) << way;
        EXPECT_FALSE(node->isExpanded()) << way;
    }
}

TEST_F(ArchitectTest, AFailingStatementLeavesNoPartOfTheChange)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    AddAccount(home, QStringLiteral("Cash"));
    main->StoreExec(QStringLiteral(
        "CREATE TRIGGER NoParties BEFORE INSERT ON Parties BEGIN SELECT RAISE(ABORT, 'no new party'); END;"
        "CREATE TRIGGER KeepRules BEFORE DELETE ON BudgetRules BEGIN SELECT RAISE(ABORT, 'rules stay'); END"));
    ScriptedMessages messages;
    main->FormShow();
    const QByteArray before = testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));

    // The new system's third insert fails: neither the system nor its item stays, and no node or undo.
    messages.Expect(QStringLiteral("The change could not be saved: no new party"));
    {
        ScriptedDialogs dialogs;
        dialogs.Settings([](TfrmPass& pass) { pass.chkNoPass->setChecked(true); });
        main->Action(QStringLiteral("mitmNewBudgetsystem"))->trigger();
    }
    EXPECT_EQ(SystemNode(QStringLiteral("New System 1")), nullptr);
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());

    // Deleting the system fails at its rules: every row is still there, the node too.
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete \"Home\"?"), MsgAnswer::Yes)
        .Expect(QStringLiteral("The change could not be saved: rules stay"));
    main->StoreExec(QStringLiteral("INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) "
                                   "VALUES (%1, 0, 1, 0)")
                        .arg(home));
    const QByteArray withRule = testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));
    tree->setCurrentItem(SystemNode(QStringLiteral("Home")));
    main->Architect()->mitmDeleteClick();
    EXPECT_NE(SystemNode(QStringLiteral("Home")), nullptr);
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), withRule);
    EXPECT_NE(before, withRule);
    EXPECT_EQ(messages.Pending(), 0);
}

TEST_F(ArchitectTest, AnOldNameWithPlaceMarkersIsRestoredExactly)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    // Made by another program: the name was never cleaned.
    const qint64 account = AddAccount(home, QStringLiteral("50%2 off %1"));
    ScriptedMessages messages;
    main->FormShow();
    ASSERT_TRUE(Rename(AccountNode(QStringLiteral("Home"), QStringLiteral("50%2 off %1")), QStringLiteral("Sale")));
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(account)),
              QStringLiteral("50%2 off %1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Accounts")), QStringLiteral("1"));
}

TEST_F(ArchitectTest, NewAccountOnARefusedSystemAsksOnceAndThenWorks)
{
    AddSystem(QStringLiteral("Locked"), QStringLiteral("secret"));
    ScriptedMessages messages;
    {
        ScriptedDialogs dialogs;
        dialogs.Then([](QDialog&) { return int(QDialog::Rejected); });
        main->FormShow();
    }
    {
        // One question, before anything is written; opening the accounts group asks nothing more.
        ScriptedDialogs dialogs;
        dialogs.Password(QStringLiteral("secret"));
        main->Action(QStringLiteral("mitmNewAccount"))->trigger();
        EXPECT_EQ(dialogs.Pending(), 0);
    }
    main->Architect()->FinishEditing();
    EXPECT_NE(AccountNode(QStringLiteral("Locked"), QStringLiteral("New Account 1")), nullptr);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Accounts WHERE SystemID = 1")), QStringLiteral("1"));
}

TEST_F(ArchitectTest, ARefusedSystemIsClosedAndADoubleClickAsksBeforeItOpens)
{
    AddSystem(QStringLiteral("A"));
    const qint64 locked = AddSystem(QStringLiteral("Locked"), QStringLiteral("secret"));
    AddAccount(locked, QStringLiteral("Cash"));
    ScriptedMessages messages;
    main->FormShow();
    tree->show();
    QTreeWidgetItem* node = SystemNode(QStringLiteral("Locked"));
    {
        ScriptedDialogs dialogs;
        dialogs.Password(QStringLiteral("secret"));
        tree->setCurrentItem(node);
    }
    ASSERT_TRUE(node->isExpanded());
    // Away to a system without a password: the remembered one is gone. Back, refused: it closes.
    tree->setCurrentItem(SystemNode(QStringLiteral("A")));
    {
        ScriptedDialogs dialogs;
        dialogs.Then([](QDialog&) { return int(QDialog::Rejected); });
        tree->setCurrentItem(node);
    }
    EXPECT_FALSE(node->isExpanded());

    bool closedWhileAsked = false;
    ScriptedDialogs dialogs;
    dialogs.Then([&](QDialog&) {
        closedWhileAsked = !node->isExpanded();
        return int(QDialog::Rejected);
    });
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    EXPECT_TRUE(closedWhileAsked);
    EXPECT_FALSE(node->isExpanded());
}

TEST_F(ArchitectTest, RenamingARowThatIsGoneIsRefusedAndOneMendRemovesSeveralNodes)
{
    const qint64 home = AddSystem(QStringLiteral("Home"));
    const qint64 work = AddSystem(QStringLiteral("Work"));
    const qint64 cash = AddAccount(home, QStringLiteral("Cash"));
    AddAccount(work, QStringLiteral("Payroll"));
    ScriptedMessages messages;
    main->FormShow();
    tree->setCurrentItem(AccountNode(QStringLiteral("Home"), QStringLiteral("Cash")));
    main->Architect()->mitmRenameClick();
    auto* editor = tree->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    // While the editor is open, the account and the other system go.
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = %1;"
                                   "DELETE FROM Accounts WHERE SystemID = %2; DELETE FROM BudgetSystems WHERE ROWID = %2")
                        .arg(QString::number(cash), QString::number(work)));
    messages.Expect(QStringLiteral("This account no longer exists."));
    editor->setText(QStringLiteral("Wallet"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The tree is mended once the editor has closed, at a later turn of the event loop.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(cash)), QStringLiteral("Cash"));
    EXPECT_EQ(AccountNode(QStringLiteral("Home"), QStringLiteral("Cash")), nullptr);
    EXPECT_EQ(SystemNode(QStringLiteral("Work")), nullptr);
    // The selection went with the account: the accounts group is selected and its screen shown.
    EXPECT_EQ(tree->currentItem(), SystemNode(QStringLiteral("Home"))->child(3));
    auto* shown = dynamic_cast<TframAllAccounts*>(main->CurrentScreen());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->System(), home);
}

} // namespace
