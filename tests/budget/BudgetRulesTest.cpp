#include "budget/BudgetRulesFrame.h"
#include "budget/EditBudgetRule.h"

#include "ledger/CheckWizard.h"
#include "ledger/controls/RealEdit.h"
#include "shell/MainWindow.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

// Home has three live budget items and a deleted one, two accounts, two live parties and a deleted one
// beside the hidden "Transfer", and only its base rule. Other has a listed rule of its own.
const char* const kRows =
    "INSERT INTO BudgetSystems (Name) VALUES ('Home');"
    "INSERT INTO BudgetSystems (Name) VALUES ('Other');"
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking');"                  // 1
    "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings account');"           // 2
    "INSERT INTO Accounts (SystemID, Name) VALUES (2, 'Elsewhere');"                 // 3
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"        // 1
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"               // 2
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Savings');"           // 3
    "INSERT INTO BudgetCategories (SystemID, Name, Deleted) VALUES (1, 'Old', 't');" // 4
    "INSERT INTO BudgetCategories (SystemID, Name) VALUES (2, 'Unbudgeted');"        // 5
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"     // 1
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Acme Corp');"                  // 2
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Gone Ltd', 't');"     // 3
    "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Bob');"                        // 4
    "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (2, 'Transfer', 't');"     // 5
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 10000, 0, 1, 't', 0, 't');" // 1
    "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
    "Priority, AllDeposits) VALUES (2, 't', 'Net Deposit', 10000, 0, 5, 't', 0, 't');" // 2
    "INSERT INTO BudgetRules (SystemID, IsPercent, Value, FromBudgetCat, IntoBudgetCat, Priority) "
    "VALUES (2, 'f', 700, 5, 5, 1);"; // 3

// The whole stored row of a rule but its ROWID, NULLs told from empty texts.
const char kRuleRow[] = "SELECT quote(SystemID) || ' ' || quote(IsPercent) || ' ' || quote(PercentOf) || ' ' || "
                        "quote(Value) || ' ' || quote(FromBudgetCat) || ' ' || quote(IntoBudgetCat) || ' ' || "
                        "quote(AllAccounts) || ' ' || quote(AccountID) || ' ' || quote(Priority) || ' ' || "
                        "quote(AllDeposits) || ' ' || quote(PartyID) FROM BudgetRules WHERE ";

using Fill = std::function<void(TfrmEditBudgetRule&)>;

class BudgetRulesTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), QString::fromLatin1(kRows));
        ASSERT_TRUE(WriteMissingDefaults());
        main = std::make_unique<TfrmMain>();
        main->FormShow();
        ShowRules(QStringLiteral("Home"));
        ASSERT_NE(Screen(), nullptr);
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    void ShowRules(const QString& system)
    {
        QTreeWidget* tree = main->Architect()->TreeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == system)
                tree->setCurrentItem(tree->topLevelItem(i)->child(2));
    }
    TframBudgetRules* Screen() { return dynamic_cast<TframBudgetRules*>(main->CurrentScreen()); }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QString RuleRow(const QString& where) { return Value(QLatin1String(kRuleRow) + where); }
    void Exec(const QString& sql) { main->StoreExec(sql); }
    bool UndoEnabled() { return main->Action(QStringLiteral("mitmUndo"))->isEnabled(); }
    void Undo() { main->Action(QStringLiteral("mitmUndo"))->trigger(); }

    QStringList Lines()
    {
        QStringList lines;
        for (const TRuleRecord& rule : Screen()->Rules())
            lines << RuleDescription(rule);
        return lines;
    }
    // Runs a command that opens the editor; the step fills it in and presses OK (or not), and the
    // editor's result goes back to the screen.
    // after sees the editor once OK was pressed.
    void WithEditor(const std::function<void()>& command, const Fill& fill, bool ok = true, const Fill& after = {})
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmEditBudgetRule>([&](TfrmEditBudgetRule& editor) {
            fill(editor);
            if (!ok)
                return int(QDialog::Rejected);
            editor.btnOK->click();
            if (after)
                after(editor);
            return editor.result();
        });
        command();
    }
    void NewRule(const Fill& fill, bool ok = true, const Fill& after = {})
    {
        WithEditor([this] { Screen()->spdNewRuleClick(); }, fill, ok, after);
    }
    void EditRule(int index, const Fill& fill)
    {
        Screen()->SelectIndex(index);
        WithEditor([this] { Screen()->RulesListDblClick(); }, fill);
    }
    // A rule written straight into the file, as an earlier run of the program would have left it.
    void StoreRule(const QString& values)
    {
        Exec(QStringLiteral("INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, "
                            "IntoBudgetCat, AllAccounts, AccountID, Priority, AllDeposits, PartyID) VALUES (%1)")
                 .arg(values));
    }
    void Refresh() { Screen()->RefreshList(); }

    static void Choose(QComboBox* box, const QString& text)
    {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }
    static void Amount(TfrmEditBudgetRule& editor, const QString& text, bool percent)
    {
        editor.edAmount->setText(text);
        if (editor.chkPercent->isChecked() != percent)
            editor.chkPercent->click();
    }

    std::unique_ptr<TfrmMain> main;
};

TEST_F(BudgetRulesTest, TheBaseRuleIsNeverListedAndEachSystemListsItsOwn)
{
    EXPECT_TRUE(Lines().isEmpty()) << "a system with its base rule alone lists nothing";
    EXPECT_EQ(Screen()->Kind(), ScreenKind::BudgetRules);
    EXPECT_EQ(Screen()->System(), 1);
    EXPECT_FALSE(main->Action(QStringLiteral("mitmPrint"))->isEnabled());
    EXPECT_FALSE(Screen()->spdPrint->isEnabled());
    ShowRules(QStringLiteral("Other"));
    EXPECT_EQ(Lines(), QStringList({"Unbudgeted   7.00  from  Unbudgeted"}));
}

TEST_F(BudgetRulesTest, ANewRuleStartsWithItsDefaultsAndCancelLeavesNoRule)
{
    StoreRule(QStringLiteral("1, 't', 'Net Deposit', 100, 1, 2, 't', NULL, 5, 't', NULL"));
    const QString before = Value(QStringLiteral("SELECT count(*) FROM BudgetRules"));
    QString stored;
    NewRule(
        [&](TfrmEditBudgetRule& e) {
            stored = RuleRow(QStringLiteral("ROWID = (SELECT max(ROWID) FROM BudgetRules)"));
            EXPECT_EQ(e.windowTitle(), QStringLiteral("Budget Rule"));
            EXPECT_EQ(e.edAmount->text(), QStringLiteral("0.00"));
            EXPECT_TRUE(e.chkPercent->isChecked());
            EXPECT_EQ(e.cmboPercentOf->currentText(), QStringLiteral("Net Deposit"));
            EXPECT_EQ(e.cmboFrom->currentText(), QStringLiteral("Unbudgeted"));
            EXPECT_EQ(e.cmboTo->currentText(), QStringLiteral("Unbudgeted"));
            EXPECT_TRUE(e.cbxAllAccounts->isChecked());
            EXPECT_TRUE(e.cbxAllDeposits->isChecked());
            EXPECT_EQ(e.cmboDepFrom->currentText(), QString());
            EXPECT_EQ(e.cmboDepTo->currentIndex(), -1);
            EXPECT_TRUE(e.cmboPercentOf->isEnabled());
            EXPECT_FALSE(e.cmboDepFrom->isEnabled());
            EXPECT_FALSE(e.cmboDepTo->isEnabled());
            // Only the live items are offered, after the two deposits.
            QStringList percentOf;
            for (int i = 0; i < e.cmboPercentOf->count(); ++i)
                percentOf << e.cmboPercentOf->itemText(i);
            EXPECT_EQ(percentOf, QStringList({"Net Deposit", "Gross Deposit", "Car", "Savings", "Unbudgeted"}));
        },
        false);
    EXPECT_EQ(stored, QStringLiteral("1 't' 'Net Deposit' 0 1 1 't' NULL 6 't' NULL"))
        << "the rule exists while the editor is open, one above the highest priority";
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules")), before);
    EXPECT_FALSE(UndoEnabled()) << "a cancelled rule leaves nothing to undo";

    NewRule([](TfrmEditBudgetRule&) {});
    EXPECT_EQ(Value(QStringLiteral("SELECT Priority FROM BudgetRules ORDER BY ROWID DESC")), QStringLiteral("6"));
    EXPECT_EQ(Lines().last(), QStringLiteral("Unbudgeted   0.00%  of  Net Deposit  from  Unbudgeted"));
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules")), before);
    EXPECT_EQ(Lines().size(), 1);
}

struct LineCase
{
    const char* name;
    const char* amount;
    bool percent;
    const char* percentOf;
    const char* stored; // IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat
    const char* line;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class RuleLineTest : public BudgetRulesTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(RuleLineTest, TheRuleIsStoredAndListedAsEntered)
{
    const LineCase& c = GetParam();
    NewRule([&](TfrmEditBudgetRule& e) {
        Amount(e, QString::fromLatin1(c.amount), c.percent);
        Choose(e.cmboPercentOf, QString::fromLatin1(c.percentOf));
        Choose(e.cmboTo, QStringLiteral("Savings"));
    });
    EXPECT_EQ(Value(QStringLiteral("SELECT quote(IsPercent) || ' ' || quote(PercentOf) || ' ' || quote(Value) || ' ' "
                                   "|| FromBudgetCat || ' ' || IntoBudgetCat FROM BudgetRules WHERE Priority = 1 AND "
                                   "SystemID = 1")),
              QString::fromLatin1(c.stored));
    EXPECT_EQ(Lines(), QStringList({QString::fromLatin1(c.line)}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RuleLineTest,
    ::testing::Values(LineCase{"PercentOfNet", "12.50", true, "Net Deposit", "'t' 'Net Deposit' 1250 1 3",
                               "Savings   12.50%  of  Net Deposit  from  Unbudgeted"},
                      LineCase{"Fixed", "12.50", false, "Net Deposit", "'f' 'Net Deposit' 1250 1 3",
                               "Savings   12.50  from  Unbudgeted"},
                      LineCase{"PercentOfGross", "3.333", true, "Gross Deposit", "'t' 'Gross Deposit' 333 1 3",
                               "Savings   3.33%  of  Gross Deposit  from  Unbudgeted"},
                      LineCase{"PercentOfAnItem", "50", true, "Car", "'t' 2 5000 1 3",
                               "Savings   50.00%  of  Car  from  Unbudgeted"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST_F(BudgetRulesTest, ADeletedItemKeepsItsNameInTheListAndItsColumnWhenSaved)
{
    StoreRule(QStringLiteral("1, 't', 4, 1000, 4, 3, 't', NULL, 1, 't', NULL"));
    Refresh();
    EXPECT_EQ(Lines(), QStringList({"Savings   10.00%  of  Old  from  Old"}));
    EditRule(0, [](TfrmEditBudgetRule& e) {
        EXPECT_EQ(e.cmboFrom->currentIndex(), -1);
        EXPECT_EQ(e.cmboPercentOf->currentIndex(), -1);
        EXPECT_EQ(e.cmboTo->currentText(), QStringLiteral("Savings"));
        e.edAmount->setText(QStringLiteral("20"));
    });
    EXPECT_EQ(RuleRow(QStringLiteral("Priority = 1 AND SystemID = 1")),
              QStringLiteral("1 't' 4 2000 4 3 't' NULL 1 't' NULL"));
    EXPECT_EQ(Lines(), QStringList({"Savings   20.00%  of  Old  from  Old"}));
}

TEST_F(BudgetRulesTest, TheFirstCannotMoveUpNorTheLastDownAndAMoveIsUndone)
{
    for (int p = 1; p <= 3; ++p)
        StoreRule(QStringLiteral("1, 'f', 'Net Deposit', %1, 1, %2, 't', NULL, %3, 't', NULL")
                      .arg(p * 100)
                      .arg(p == 2 ? 2 : 3)
                      .arg(p));
    Refresh();
    const QStringList start = Lines();
    ASSERT_EQ(start.size(), 3);
    const QString priorities = QStringLiteral("SELECT group_concat(ROWID || ':' || Priority, ' ') FROM "
                                              "(SELECT ROWID, Priority FROM BudgetRules ORDER BY ROWID)");
    const QString stored = Value(priorities);

    Screen()->SelectIndex(0);
    QTest::keyClick(Screen()->RulesList, '+');
    Screen()->SelectIndex(2);
    Screen()->spdRuleDownClick();
    EXPECT_EQ(Lines(), start);
    EXPECT_EQ(Value(priorities), stored) << "the base rule keeps priority 0 and stays first";
    EXPECT_FALSE(UndoEnabled()) << "a move that cannot be made records nothing";

    Screen()->SelectIndex(0);
    QTest::keyClick(Screen()->RulesList, '-');
    EXPECT_EQ(Lines(), QStringList({start[1], start[0], start[2]}));
    EXPECT_EQ(Screen()->SelectedIndex(), 1) << "the moved rule stays selected";
    Screen()->spdRuleUpClick();
    Screen()->spdRuleUpClick();
    EXPECT_EQ(Lines(), start);
    Undo();
    EXPECT_EQ(Lines(), QStringList({start[1], start[0], start[2]}));
    Undo();
    EXPECT_EQ(Lines(), start);
    EXPECT_EQ(Value(priorities), stored);
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(BudgetRulesTest, EditAndDeleteAreUndoneExactlyWithTheirNulls)
{
    // A rule for one account and one party, and one whose AccountID and PartyID were never set.
    StoreRule(QStringLiteral("1, 't', 'Gross Deposit', 500, 1, 2, 'f', 2, 1, 'f', 4"));
    StoreRule(QStringLiteral("1, 'f', 'Net Deposit', 700, 1, 3, 't', NULL, 2, 't', NULL"));
    Refresh();
    const QString first = RuleRow(QStringLiteral("Priority = 1 AND SystemID = 1"));
    const QString second = RuleRow(QStringLiteral("Priority = 2 AND SystemID = 1"));
    ASSERT_EQ(Lines(),
              QStringList({"Car   5.00%  of  Gross Deposit  from  Unbudgeted", "Savings   7.00  from  Unbudgeted"}));
    ASSERT_EQ(Screen()->Rules()[0].account, QStringLiteral("Savings account"));
    ASSERT_EQ(Screen()->Rules()[0].party, QStringLiteral("Bob"));

    EditRule(1, [](TfrmEditBudgetRule& e) {
        EXPECT_EQ(e.cmboDepTo->currentIndex(), -1);
        e.edAmount->setText(QStringLiteral("9"));
    });
    EXPECT_EQ(RuleRow(QStringLiteral("Priority = 2 AND SystemID = 1")),
              QStringLiteral("1 'f' 'Net Deposit' 900 1 3 't' NULL 2 't' NULL"));
    Undo();
    EXPECT_EQ(RuleRow(QStringLiteral("Priority = 2 AND SystemID = 1")), second);

    EditRule(0, [](TfrmEditBudgetRule& e) {
        EXPECT_EQ(e.cmboDepTo->currentText(), QStringLiteral("Savings account"));
        EXPECT_EQ(e.cmboDepFrom->currentText(), QStringLiteral("Bob"));
        EXPECT_TRUE(e.cmboDepTo->isEnabled());
        e.edAmount->setText(QStringLiteral("1"));
    });
    ASSERT_TRUE(UndoEnabled());
    {
        ScriptedMessages none; // deleting asks nothing: the deletion itself can be undone
        Screen()->SelectIndex(1);
        QTest::keyRelease(Screen()->RulesList, Qt::Key_Delete);
    }
    EXPECT_EQ(Lines(), QStringList({"Car   1.00%  of  Gross Deposit  from  Unbudgeted"}));
    Undo();
    EXPECT_EQ(RuleRow(QStringLiteral("Priority = 2 AND SystemID = 1")), second);
    EXPECT_EQ(Lines().size(), 2);
    EXPECT_FALSE(UndoEnabled()) << "the deletion cleared the older steps";
    Undo();
    EXPECT_EQ(RuleRow(QStringLiteral("Priority = 1 AND SystemID = 1")),
              QStringLiteral("1 't' 'Gross Deposit' 100 1 2 'f' 2 1 'f' 4"))
        << "the edit before the deletion is no longer undone";
    EXPECT_NE(first, RuleRow(QStringLiteral("Priority = 1 AND SystemID = 1")));
}

struct PartyCase
{
    const char* name;
    const char* typed;
    const char* message; // the editor stays open with it
    const char* stored;  // the party the rule names
    bool added;
    bool notified; // the plug-ins hear of a party made or brought back
};

void PrintTo(const PartyCase& c, std::ostream* os)
{
    *os << c.name;
}

class PartyFieldTest : public BudgetRulesTest, public ::testing::WithParamInterface<PartyCase>
{
};

TEST_P(PartyFieldTest, OkStoresRevivesOrRefusesTheTypedParty)
{
    const PartyCase& c = GetParam();
    const int parties = Value(QStringLiteral("SELECT count(*) FROM Parties")).toInt();
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&](PlugInNotice n) { notices.push_back(n); });
    ScriptedMessages messages;
    if (c.message)
        messages.Expect(QString::fromLatin1(c.message));
    bool accepted = false;
    NewRule(
        [&](TfrmEditBudgetRule& e) {
            e.cbxAllDeposits->click();
            EXPECT_TRUE(e.cmboDepFrom->isEnabled());
            e.cmboDepFrom->setEditText(QString::fromUtf8(c.typed));
        },
        true,
        [&](TfrmEditBudgetRule& e) {
            accepted = e.result() == QDialog::Accepted;
            if (c.message) {
                EXPECT_EQ(e.cmboDepFrom->currentText(), QString::fromUtf8(c.typed)) << "kept as typed";
            }
        });
    EXPECT_EQ(accepted, c.message == nullptr);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties")).toInt(), parties + (c.added ? 1 : 0));
    if (!c.stored) {
        EXPECT_TRUE(Lines().isEmpty()) << "a refused rule is not kept";
        return;
    }
    const QString party = Value(QStringLiteral("SELECT PartyID FROM BudgetRules WHERE Priority = 1 AND SystemID = 1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name || ' ' || Deleted FROM Parties WHERE ROWID = %1").arg(party)),
              QString::fromUtf8(c.stored) + QStringLiteral(" f"));
    EXPECT_EQ(Value(QStringLiteral("SELECT AllDeposits FROM BudgetRules WHERE Priority = 1 AND SystemID = 1")),
              QStringLiteral("f"));
    EXPECT_EQ(Screen()->Rules()[0].party, QString::fromUtf8(c.stored));
    EXPECT_EQ(std::count(notices.begin(), notices.end(), PlugInNotice::Parties), c.notified ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Parties, PartyFieldTest,
    ::testing::Values(PartyCase{"Listed", "Bob", nullptr, "Bob", false, false},
                      PartyCase{"ListedInAnotherCase", "acme CORP", nullptr, "Acme Corp", false, false},
                      PartyCase{"DeletedIsRevived", "Gone Ltd", nullptr, "Gone Ltd", false, true},
                      PartyCase{"New", "Carol", nullptr, "Carol", true, true},
                      PartyCase{"PastedQuoteAndWildcards", "Joe \"Big\" 50%_Co", nullptr, "Joe 'Big' 50  Co", true,
                                true},
                      PartyCase{"Apostrophe", "O'Brien", nullptr, "O'Brien", true, true},
                      PartyCase{"Reserved", "Transfer", "\"Transfer\" is a reserved name.", nullptr, false, false},
                      PartyCase{"Blank", "   ", "You must select a party.", nullptr, false, false}),
    [](const ::testing::TestParamInfo<PartyCase>& info) { return std::string(info.param.name); });

TEST_F(BudgetRulesTest, TheTickBoxesEnableTheirListsAndLeavingThePartyFieldMatchesIt)
{
    NewRule(
        [](TfrmEditBudgetRule& e) {
            e.chkPercent->click();
            EXPECT_FALSE(e.cmboPercentOf->isEnabled());
            EXPECT_FALSE(e.lblPercent->isEnabled());
            e.cbxAllAccounts->click();
            EXPECT_TRUE(e.cmboDepTo->isEnabled());
            e.cbxAllDeposits->click();
            EXPECT_TRUE(e.cmboDepFrom->isEnabled());
            EXPECT_NE(e.cmboDepFrom->palette().color(QPalette::Base), e.cmboPercentOf->palette().color(QPalette::Base))
                << "an enabled list looks unlike a disabled one";
            e.cmboDepFrom->setEditText(QStringLiteral("bob"));
            e.cmboDepFromExit();
            EXPECT_EQ(e.cmboDepFrom->currentText(), QStringLiteral("Bob"));
            EXPECT_EQ(e.cmboDepFrom->currentIndex(), e.cmboDepFrom->findText(QStringLiteral("Bob")));
        },
        false);
}

TEST_F(BudgetRulesTest, AChangeOfRowsThatAreGoneIsRefusedAndChangesNothing)
{
    StoreRule(QStringLiteral("1, 'f', 'Net Deposit', 100, 1, 3, 't', NULL, 1, 't', NULL"));
    Refresh();
    const QString stored = RuleRow(QStringLiteral("ROWID = 4"));
    {
        // The chosen item is deleted while the editor is open.
        ScriptedMessages messages;
        messages.Expect(QStringLiteral("This budget item no longer exists."));
        EditRule(0, [this](TfrmEditBudgetRule& e) {
            Choose(e.cmboTo, QStringLiteral("Car"));
            e.edAmount->setText(QStringLiteral("3"));
            Exec(QStringLiteral("UPDATE BudgetCategories SET Deleted = 't' WHERE ROWID = 2"));
        });
    }
    EXPECT_EQ(RuleRow(QStringLiteral("ROWID = 4")), stored);
    {
        // The rule went while the list still showed it.
        Exec(QStringLiteral("DELETE FROM BudgetRules WHERE ROWID = 4"));
        ScriptedMessages messages;
        messages.Expect(QStringLiteral("This budget rule no longer exists."))
            .Expect(QStringLiteral("This budget rule no longer exists."));
        const size_t shown = dialogs.size();
        Screen()->SelectIndex(0);
        Screen()->RulesListDblClick();
        EXPECT_EQ(dialogs.size(), shown) << "no editor for a rule that is gone";
        StoreRule(QStringLiteral("1, 'f', 'Net Deposit', 100, 1, 3, 't', NULL, 1, 't', NULL"));
        Refresh();
        Screen()->SelectIndex(0);
        Exec(QStringLiteral("DELETE FROM BudgetRules WHERE Priority = 1 AND SystemID = 1"));
        Screen()->spdDelRuleClick();
    }
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(UndoEnabled());
    {
        // An amount the data file cannot hold is told, and the editor stays open.
        ScriptedMessages messages;
        messages.ExpectContaining(QStringLiteral("is not a valid integer value"));
        NewRule([](TfrmEditBudgetRule& e) { e.edAmount->setText(QStringLiteral("30000000")); });
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE SystemID = 1")), QStringLiteral("1"));
}

TEST_F(BudgetRulesTest, KeysStartTheCommandsAndF1ShowsEachTopic)
{
    InstallHelp();
    for (const char* topic : {"BudgetRule.htm", "BudgetRulesScreen.htm"})
        testing_support::WriteAll(dir.File(QStringLiteral("help/") + QLatin1String(topic)), "<html></html>");
    StoreRule(QStringLiteral("1, 'f', 'Net Deposit', 100, 1, 3, 't', NULL, 1, 't', NULL"));
    Refresh();
    QListView* list = Screen()->RulesList;
    int opened = 0;
    {
        ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i)
            dialogs.Expect<TfrmEditBudgetRule>([&](TfrmEditBudgetRule& e) {
                ++opened;
                QTest::keyRelease(e.edAmount, Qt::Key_F1);
                return int(QDialog::Rejected);
            });
        QTest::keyRelease(list, Qt::Key_Insert);
        Screen()->SelectIndex(0);
        QTest::keyClick(list, Qt::Key_Return);
        QCoreApplication::processEvents();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    }
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(Lines().size(), 1) << "the cancelled new rule is gone";
    QTest::keyRelease(list, Qt::Key_F1);
    QTest::keyRelease(Screen()->spdNewRule, Qt::Key_F1);
    EXPECT_EQ(helpPages, std::vector<QString>({"BudgetRule.htm", "BudgetRule.htm", "BudgetRule.htm",
                                               "BudgetRulesScreen.htm", "BudgetRulesScreen.htm"}));
    QTest::keyPress(list, Qt::Key_Delete);
    EXPECT_EQ(Lines().size(), 1) << "Delete acts when it is released";
    QTest::keyRelease(list, Qt::Key_Delete);
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(BudgetRulesTest, RulesMadeHereDivideTheWizardsCredit)
{
    // 10 % of every credit into Savings; 5.00 into Car for credits from Acme Corp; half of what Savings
    // received into Car for credits into the savings account. Made in another order and moved into place.
    NewRule([](TfrmEditBudgetRule& e) {
        Amount(e, QStringLiteral("5"), false);
        Choose(e.cmboTo, QStringLiteral("Car"));
        e.cbxAllDeposits->click();
        e.cmboDepFrom->setEditText(QStringLiteral("acme corp"));
    });
    NewRule([](TfrmEditBudgetRule& e) {
        Amount(e, QStringLiteral("10"), true);
        Choose(e.cmboTo, QStringLiteral("Savings"));
    });
    NewRule([](TfrmEditBudgetRule& e) {
        Amount(e, QStringLiteral("50"), true);
        Choose(e.cmboPercentOf, QStringLiteral("Savings"));
        Choose(e.cmboTo, QStringLiteral("Car"));
        e.cbxAllAccounts->click();
        Choose(e.cmboDepTo, QStringLiteral("Savings account"));
    });
    Screen()->SelectIndex(1);
    Screen()->spdRuleUpClick();
    ASSERT_EQ(Lines(), QStringList({"Savings   10.00%  of  Net Deposit  from  Unbudgeted",
                                    "Car   5.00  from  Unbudgeted", "Car   50.00%  of  Savings  from  Unbudgeted"}));

    const struct
    {
        qint64 account;
        const char* party;
        QStringList tray; // Car, Savings, Unbudgeted
    } credits[] = {
        {1, "Acme Corp", {"5.00", "10.00", "85.00"}},
        {1, "Bob", {"0.00", "10.00", "90.00"}},
        {2, "Acme Corp", {"10.00", "10.00", "80.00"}},
    };
    for (const auto& c : credits) {
        SCOPED_TRACE(c.party);
        ScriptedDialogs none; // no rule may take an item below zero here
        TfrmCheckWizard wizard(*main);
        wizard.SetSystem(1);
        wizard.SetAccount(c.account);
        wizard.PrepareEntry(false, false);
        wizard.edAmount->setText(QStringLiteral("100"));
        wizard.edAmount->Normalize();
        wizard.edAmountExit();
        wizard.edParty->setEditText(QString::fromLatin1(c.party));
        wizard.edPartyExit();
        QStringList tray;
        for (int row = 0; row < wizard.gridBudgetItems->rowCount(); ++row)
            tray << wizard.gridBudgetItems->item(row, 1)->text();
        EXPECT_EQ(tray, c.tray);
    }
}

// The editor at the platform's font: every control inside the dialog, no two on top of each other, and
// every caption whole.
TEST_F(BudgetRulesTest, TheEditorsControlsFitTheirRoom)
{
    NewRule(
        [](TfrmEditBudgetRule& e) {
            e.show();
            QCoreApplication::processEvents();
            std::vector<QWidget*> controls;
            for (QWidget* w : e.findChildren<QWidget*>())
                if (w->isVisible() &&
                    (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w) ||
                     qobject_cast<QLineEdit*>(w) || qobject_cast<QPushButton*>(w)) &&
                    !qobject_cast<QComboBox*>(w->parentWidget()) && w->objectName() != QLatin1String("imgSide"))
                    controls.push_back(w);
            for (QWidget* w : controls) {
                const QRect r(w->mapTo(&e, QPoint(0, 0)), w->size());
                EXPECT_TRUE(e.rect().contains(r)) << w->objectName().toStdString() << " leaves the dialog";
                if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w)) {
                    EXPECT_LE(w->sizeHint().width(), w->width()) << w->objectName().toStdString() << " is cut";
                }
                for (QWidget* other : controls) {
                    const QRect o(other->mapTo(&e, QPoint(0, 0)), other->size());
                    EXPECT_TRUE(other == w || !r.intersects(o))
                        << w->objectName().toStdString() << " overlaps " << other->objectName().toStdString();
                }
            }
            e.hide();
        },
        false);
}

// With COFFERLY_SCREENSHOTS set, the screen and the editor are saved there as pictures.
TEST_F(BudgetRulesTest, PicturesOfTheScreenAndTheEditor)
{
    const QString shots = qEnvironmentVariable("COFFERLY_SCREENSHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "COFFERLY_SCREENSHOTS is not set";
    StoreRule(QStringLiteral("1, 't', 'Net Deposit', 1000, 1, 3, 't', NULL, 1, 't', NULL"));
    StoreRule(QStringLiteral("1, 'f', 'Net Deposit', 2500, 1, 2, 't', NULL, 2, 'f', 2"));
    StoreRule(QStringLiteral("1, 't', 3, 5000, 1, 4, 'f', 2, 3, 't', NULL"));
    StoreRule(QStringLiteral("1, 't', 'Gross Deposit', 1250, 3, 1, 't', NULL, 4, 't', NULL"));
    Refresh();
    QDir().mkpath(shots);
    main->resize(900, 500);
    main->show();
    Screen()->SelectIndex(1);
    QCoreApplication::processEvents();
    main->grab().save(QDir(shots).filePath(QStringLiteral("budgetrules-screen.png")));
    EditRule(1, [&](TfrmEditBudgetRule& e) {
        e.show();
        QCoreApplication::processEvents();
        e.grab().save(QDir(shots).filePath(QStringLiteral("budgetrules-editor.png")));
        e.cbxAllDeposits->click();
        e.cbxAllAccounts->click();
        QCoreApplication::processEvents();
        e.grab().save(QDir(shots).filePath(QStringLiteral("budgetrules-editor-disabled.png")));
        e.hide();
    });
}

} // namespace
