#include "budget/PartiesFrame.h"

#include "budget/NewParty.h"
#include "budget/SummaryGrid.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

const QString kMerge = QStringLiteral("Are you sure you want to merge these parties?\r\nYou will not be able to undo "
                                      "this operation.");
const QString kDelete = QStringLiteral("Are you sure you want to delete this party?");

// Home (system 1) lists Employer, Grocer and Landlord; Gone is deleted and "Transfer" hidden. Grocer has a
// debit on each end of the range, a refund, one debit the day before the range and one in the deleted
// account Old; Landlord was paid only before the range. Grocer has two rules: one for every deposit, with
// NULL in PercentOf and AccountID, and one for Checking's deposits alone. Work (system 2) has a Grocer of
// its own. Empty (system 3) has no party but its hidden one.
QString Rows()
{
    return QStringLiteral(
               "INSERT INTO BudgetSystems (Name) VALUES ('Home'), ('Work'), ('Empty');"
               "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking'), (1, 'Savings');"
               "INSERT INTO Accounts (SystemID, Name, Deleted) VALUES (1, 'Old', 't');"
               "INSERT INTO Accounts (SystemID, Name) VALUES (2, 'Till');"
               "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');" // 1
               "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Grocer'), (1, 'Employer'), (1, 'Landlord');"
               "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Gone', 't');"     // 5
               "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (2, 'Transfer', 't');" // 6
               "INSERT INTO Parties (SystemID, Name) VALUES (2, 'Grocer');"                 // 7
               "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (3, 'Transfer', 't');" // 8
               "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) VALUES "
               "(1, %1, -1200, 2), (1, %2, -300, 2), (2, %2, 100, 2), (1, %3, -500, 2), (3, %2, -700, 2),"
               "(1, %4, 50000, 3), (1, 40000, 50000, 3),"
               "(1, %3, -80000, 4),"
               "(2, 40000, 400, 5),"
               "(1, %2, -10000, 1), (2, %2, 10000, 1),"
               "(4, %2, -999, 7);"
               "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted'), (1, 'Food');"
               "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
               "AllAccounts, AccountID, Priority, AllDeposits, PartyID) VALUES "
               "(1, 't', 'Net Deposit', 10000, 0, 1, 't', NULL, 0, 't', NULL),"
               "(1, 'f', NULL, 2500, 1, 2, 't', NULL, 1, 't', 2),"
               "(1, 't', 'Gross Deposit', 1000, 1, 2, 'f', 1, 2, 'f', 2),"
               "(1, 't', 'Net Deposit', 500, 1, 2, 't', NULL, 3, 'f', 3)")
        .arg(Day(kFrom), Day(kTo), Day(kFrom.addDays(-1)), Day(kTo.addDays(-5)));
}

class PartiesTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), Rows());
        ASSERT_TRUE(WriteMissingDefaults());
        main = std::make_unique<TfrmMain>();
        main->FormShow();
        platform::SetModalInterceptor({});
        ShowParties(QStringLiteral("Home"));
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    // The Parties node of the system of that name.
    void ShowParties(const QString& system)
    {
        QTreeWidget* tree = main->Architect()->TreeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == system)
                tree->setCurrentItem(tree->topLevelItem(i)->child(1));
        ASSERT_NE(Screen(), nullptr);
    }
    void InstallHelpTopics()
    {
        QDir(dir.Path()).mkpath(QStringLiteral("help"));
        for (const char* topic : {"PartiesScreen.htm", "Party.htm"})
            testing_support::WriteAll(dir.File(QStringLiteral("help/") + QLatin1String(topic)), "<html></html>");
    }
    TframParties* Screen() { return dynamic_cast<TframParties*>(main->CurrentScreen()); }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QByteArray DataFile() { return testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))); }
    bool UndoEnabled() { return main->Action(QStringLiteral("mitmUndo"))->isEnabled(); }
    void Undo() { main->Action(QStringLiteral("mitmUndo"))->trigger(); }
    // Every rule as the engine writes its values, NULLs as NULL, by ROWID.
    QString Rules()
    {
        return Value(QStringLiteral("SELECT group_concat(r, ' | ') FROM (SELECT quote(SystemID) || ',' || "
                                    "quote(IsPercent) || ',' || quote(PercentOf) || ',' || quote(Value) || ',' || "
                                    "quote(FromBudgetCat) || ',' || quote(IntoBudgetCat) || ',' || quote(AllAccounts) "
                                    "|| ',' || quote(AccountID) || ',' || quote(Priority) || ',' || "
                                    "quote(AllDeposits) || ',' || quote(PartyID) AS r FROM BudgetRules ORDER BY "
                                    "Priority)"));
    }

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
    // The party dialog, answered with a text; setText, like a paste the field's filter never saw typed.
    static void Named(ScriptedDialogs& dialogs, const QString& name)
    {
        dialogs.Expect<TfrmNewParty>([name](TfrmNewParty& dialog) {
            dialog.edName->setText(name);
            return int(QDialog::Accepted);
        });
    }
    static void Merge(ScriptedDialogs& dialogs, const QString& from, const QString& into)
    {
        dialogs.Expect<TfrmNewParty>([=](TfrmNewParty& dialog) {
            dialog.cmboFrom->setCurrentIndex(dialog.cmboFrom->findText(from));
            dialog.cmboInto->setCurrentIndex(dialog.cmboInto->findText(into));
            return int(QDialog::Accepted);
        });
    }

    ScriptedMessages messages;
    std::unique_ptr<TfrmMain> main;
};

TEST_F(PartiesTest, ListsTheLiveNamedPartiesOfItsSystemWithTheirFigures)
{
    TframParties* screen = Screen();
    EXPECT_EQ(screen->System(), 1);
    EXPECT_EQ(screen->dtmDateFrom->date(), kFrom);
    EXPECT_EQ(screen->dtmDateTo->date(), kTo);
    QStringList headers;
    for (int column = 0; column < 5; ++column)
        headers << screen->Grid->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, QStringList({"Name", "Period Debits", "Period Credits", "Period Balance", "Current Balance"}));
    EXPECT_EQ(Names(), QStringList({"Employer", "Grocer", "Landlord"}));
    // Both ends of the range count, and so does the deleted account's debit; the day before only in the
    // current balance.
    EXPECT_EQ(Row("Grocer"), QStringList({"Grocer", "-22.00", "1.00", "-21.00", "-26.00"}));
    EXPECT_EQ(Row("Employer"), QStringList({"Employer", "0.00", "500.00", "500.00", "1000.00"}));
    EXPECT_EQ(Row("Landlord"), QStringList({"Landlord", "0.00", "0.00", "0.00", "-800.00"}));
    EXPECT_TRUE(screen->Grid->model()->index(0, 4).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(screen->spdPrint->isEnabled());
    EXPECT_FALSE(main->Action(QStringLiteral("mitmPrint"))->isEnabled());
    const std::pair<QToolButton*, const char*> hints[] = {
        {screen->spdNewParty, "Add a new party. (ins)"},
        {screen->spdEditParty, "Edit the currently selected party. (enter)"},
        {screen->spdMerge, "Merge two parties"},
        {screen->spdDeleteParty, "Delete the currently selected party. (del)"},
        {screen->spdPrint, "Print the current view."},
    };
    for (const auto& [button, hint] : hints)
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(hint));

    // A range that holds nothing of Grocer's.
    screen->dtmDateFrom->setDate(QDate(2020, 1, 1));
    screen->dtmDateTo->setDate(QDate(2020, 1, 31));
    EXPECT_EQ(Row("Grocer"), QStringList({"Grocer", "0.00", "0.00", "0.00", "-26.00"}));
}

TEST_F(PartiesTest, ASystemWithoutPartiesShowsOneEmptyRowAndItsCommandsDoNothing)
{
    ShowParties(QStringLiteral("Empty"));
    EXPECT_EQ(Screen()->System(), 3);
    EXPECT_EQ(Screen()->Grid->DataRowCount(), 1);
    EXPECT_EQ(Screen()->Grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(Screen()->Grid->Text(0, 0), QString());
    EXPECT_EQ(Screen()->Grid->Text(0, 4), QString());
    const QByteArray before = DataFile();
    {
        ScriptedDialogs none; // no dialog, no message
        Screen()->Grid->selectRow(0);
        Screen()->spdEditPartyClick();
        Screen()->spdDeletePartyClick();
        QTest::keyClick(Screen()->Grid, Qt::Key_Return);
        QTest::keyClick(Screen()->Grid, Qt::Key_Delete);
    }
    {
        // Merge lists nothing to choose: the question comes, and Yes still changes nothing.
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_EQ(dialog.cmboFrom->count(), 0);
            EXPECT_EQ(dialog.cmboInto->count(), 0);
            return int(QDialog::Accepted);
        });
        messages.Expect(kMerge, MsgAnswer::Yes);
        Screen()->spdMergeClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(PartiesTest, NewPartiesAndRevivalsAreUndoneAndALiveNameChangesNothing)
{
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&notices](PlugInNotice notice) { notices.push_back(notice); });
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Party name"));
            EXPECT_EQ(dialog.lblName->text(), QStringLiteral("Enter a name for the party:"));
            EXPECT_TRUE(dialog.edName->text().isEmpty());
            EXPECT_FALSE(dialog.btnOK->isEnabled());
            dialog.edName->setText(QStringLiteral("  "));
            EXPECT_FALSE(dialog.btnOK->isEnabled());
            dialog.edName->setText(QStringLiteral("Cafe"));
            EXPECT_TRUE(dialog.btnOK->isEnabled());
            return int(QDialog::Accepted);
        });
        Named(dialogs, QStringLiteral("Gone"));
        Screen()->spdNewPartyClick();
        EXPECT_EQ(Row("Cafe"), QStringList({"Cafe", "0.00", "0.00", "0.00", "0.00"}));
        EXPECT_EQ(Screen()->Grid->SelectedName(), QStringLiteral("Cafe"));
        Screen()->spdNewPartyClick();
    }
    // The deleted party comes back with its old transactions.
    EXPECT_EQ(Row("Gone"), QStringList({"Gone", "0.00", "0.00", "0.00", "4.00"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties WHERE Name = 'Gone'")), QStringLiteral("1"));
    EXPECT_EQ(notices, std::vector<PlugInNotice>(2, PlugInNotice::Parties));

    // A live name: nothing is written and nothing is left to undo that could hide Grocer.
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Grocer"));
        Screen()->spdNewPartyClick();
    }
    EXPECT_EQ(DataFile(), before);

    Undo();
    EXPECT_TRUE(Row("Gone").isEmpty());
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Parties WHERE ROWID = 5")), QStringLiteral("t"));
    Undo();
    EXPECT_EQ(Names(), QStringList({"Employer", "Grocer", "Landlord"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Parties WHERE Name = 'Cafe'")), QStringLiteral("t"));
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(PartiesTest, TransferIsAReservedNameForNewAndRenamedParties)
{
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Transfer"));
        Named(dialogs, QStringLiteral("Transfer"));
        messages.Expect(QStringLiteral("\"Transfer\" is a reserved name"))
            .Expect(QStringLiteral("\"Transfer\" is a reserved name"));
        Screen()->spdNewPartyClick();
        Select(QStringLiteral("Grocer"));
        Screen()->spdEditPartyClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
}

// Names that hand-quoted SQL would break on, pasted with what the field keeps out: the double quote, "%"
// and "_" never reach the data file, and an apostrophe or a column's name is stored as written.
TEST_F(PartiesTest, PastedNamesAreStoredWithoutTheCharactersTheFieldRefuses)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Joe's \"best\""), QStringLiteral("Joe's best")},
        {QStringLiteral("100% _Fresh_"), QStringLiteral("100 Fresh")},
        {QStringLiteral("Name"), QStringLiteral("Name")},
        {QStringLiteral("Deleted"), QStringLiteral("Deleted")},
    };
    for (const auto& [pasted, stored] : cases) {
        {
            ScriptedDialogs dialogs;
            Named(dialogs, pasted);
            Screen()->spdNewPartyClick();
        }
        EXPECT_EQ(Row(stored).value(0), stored) << pasted.toStdString();
        EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties WHERE Name = %1").arg(SqlText(stored))),
                  QStringLiteral("1"));
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Parties WHERE Name LIKE '%\"%' OR Name LIKE '%!%%' ESCAPE "
                                   "'!' OR Name LIKE '%!_%' ESCAPE '!'")),
              QStringLiteral("0"));
    // Typed keys never enter the field.
    TfrmNewParty dialog;
    dialog.show();
    QTest::keyClicks(dialog.edName, QStringLiteral("a\"b%c_d"));
    EXPECT_EQ(dialog.edName->text(), QStringLiteral("abcd"));
}

TEST_F(PartiesTest, RenameChangesTheCellInPlaceAndIsUndone)
{
    Select(QStringLiteral("Employer"));
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_EQ(dialog.edName->text(), QStringLiteral("Employer"));
            dialog.edName->setText(QStringLiteral("Zed's Works"));
            return int(QDialog::Accepted);
        });
        Screen()->spdEditPartyClick();
    }
    // The row keeps its place until the next refill.
    EXPECT_EQ(Names(), QStringList({"Zed's Works", "Grocer", "Landlord"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = 3")), QStringLiteral("Zed's Works"));
    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = 3")), QStringLiteral("Employer"));
    EXPECT_EQ(Names(), QStringList({"Employer", "Grocer", "Landlord"}));
}

struct RenameRefusal
{
    const char* name;
    QString to;
    QString message; // empty: refused without one
};

class PartiesRenameTest : public PartiesTest, public ::testing::WithParamInterface<RenameRefusal>
{
};

// Two parties of one name could not be told apart; the unchanged name and a blank one change nothing.
TEST_P(PartiesRenameTest, RefusedNamesChangeNothing)
{
    Select(QStringLiteral("Grocer"));
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, GetParam().to);
        if (!GetParam().message.isEmpty())
            messages.Expect(GetParam().message);
        Screen()->spdEditPartyClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
    EXPECT_EQ(Names(), QStringList({"Employer", "Grocer", "Landlord"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartiesRenameTest,
    ::testing::Values(
        RenameRefusal{"ALiveParty", QStringLiteral("Employer"),
                      QStringLiteral("A party named \"Employer\" already exists.\rPlease choose another name.")},
        RenameRefusal{"ADeletedParty", QStringLiteral("Gone"),
                      QStringLiteral("A party named \"Gone\" already exists.\rPlease choose another name.")},
        RenameRefusal{"Unchanged", QStringLiteral("Grocer"), QString()},
        RenameRefusal{"Blank", QStringLiteral("   "), QString()}),
    [](const ::testing::TestParamInfo<RenameRefusal>& info) { return std::string(info.param.name); });

TEST_F(PartiesTest, RenamingToAnotherSystemsPartyNameIsAllowed)
{
    ShowParties(QStringLiteral("Work"));
    Select(QStringLiteral("Grocer"));
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Landlord")); // Home's
        Screen()->spdEditPartyClick();
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = 7")), QStringLiteral("Landlord"));
}

struct DeleteAnswer
{
    const char* name;
    MsgAnswer answer;
    bool deletes;
};

class PartiesDeleteTest : public PartiesTest, public ::testing::WithParamInterface<DeleteAnswer>
{
};

// Grocer's two rules go with it, the one for every deposit too; Undo brings back the party and both rules
// value for value, NULLs as NULL; its transactions keep naming it throughout.
TEST_P(PartiesDeleteTest, DeletionTakesTheRulesAlongAndUndoBringsThemBackExactly)
{
    // An older group, which the deletion empties from the journal.
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Cafe"));
        Screen()->spdNewPartyClick();
    }
    const QString rules = Rules();
    Select(QStringLiteral("Grocer"));
    messages.Expect(kDelete, GetParam().answer);
    Screen()->spdDeletePartyClick();
    if (!GetParam().deletes) {
        EXPECT_EQ(Rules(), rules);
        EXPECT_FALSE(Row("Grocer").isEmpty());
        return;
    }
    EXPECT_TRUE(Row("Grocer").isEmpty());
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE PartyID = 2")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetRules")), QStringLiteral("2"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE SecondPartyID = 2")), QStringLiteral("5"));

    Undo();
    EXPECT_EQ(Rules(), rules);
    EXPECT_EQ(Row("Grocer"), QStringList({"Grocer", "-22.00", "1.00", "-21.00", "-26.00"}));
    EXPECT_FALSE(UndoEnabled()) << "the journal was emptied before the deletion";
    EXPECT_FALSE(Row("Cafe").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, PartiesDeleteTest,
                         ::testing::Values(DeleteAnswer{"Yes", MsgAnswer::Yes, true},
                                           DeleteAnswer{"No", MsgAnswer::No, false},
                                           DeleteAnswer{"Closed", MsgAnswer::Cancel, false}),
                         [](const ::testing::TestParamInfo<DeleteAnswer>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PartiesTest, MergeMovesTransactionsAndRulesAndEmptiesTheJournal)
{
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Cafe"));
        Screen()->spdNewPartyClick();
    }
    ASSERT_TRUE(UndoEnabled());
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_TRUE(dialog.edName->isHidden());
            EXPECT_TRUE(dialog.lblName->isHidden());
            EXPECT_FALSE(dialog.cmboFrom->isHidden());
            EXPECT_EQ(dialog.lblFrom->text(), QStringLiteral("Select a party to merge (will be deleted):"));
            EXPECT_EQ(dialog.lblInto->text(), QStringLiteral("Select a party to merge into:"));
            QStringList from, into;
            for (int i = 0; i < dialog.cmboFrom->count(); ++i)
                from << dialog.cmboFrom->itemText(i);
            for (int i = 0; i < dialog.cmboInto->count(); ++i)
                into << dialog.cmboInto->itemText(i);
            EXPECT_EQ(from, QStringList({"Cafe", "Employer", "Grocer", "Landlord"}));
            EXPECT_EQ(into, from);
            EXPECT_EQ(dialog.cmboFrom->currentText(), QStringLiteral("Cafe"));
            EXPECT_EQ(dialog.cmboInto->currentText(), QStringLiteral("Cafe"));
            EXPECT_TRUE(dialog.btnOK->isEnabled());
            dialog.cmboFrom->setCurrentIndex(dialog.cmboFrom->findText(QStringLiteral("Grocer")));
            dialog.cmboInto->setCurrentIndex(dialog.cmboInto->findText(QStringLiteral("Landlord")));
            return int(QDialog::Accepted);
        });
        messages.Expect(kMerge, MsgAnswer::Yes);
        Screen()->spdMergeClick();
    }
    EXPECT_EQ(Names(), QStringList({"Cafe", "Employer", "Landlord"}));
    EXPECT_EQ(Row("Landlord"), QStringList({"Landlord", "-22.00", "1.00", "-21.00", "-826.00"}));
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM Parties WHERE ROWID = 2")), QStringLiteral("t"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE SecondPartyID = 2")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(PartyID) FROM BudgetRules WHERE Priority IN (1, 2)")),
              QStringLiteral("4,4"));
    EXPECT_FALSE(UndoEnabled());
    // Work's Grocer is another party.
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE SecondPartyID = 7")), QStringLiteral("1"));
}

struct MergeRefusal
{
    const char* name;
    QString from, into;
    MsgAnswer answer;
};

class PartiesMergeRefusalTest : public PartiesTest, public ::testing::WithParamInterface<MergeRefusal>
{
};

TEST_P(PartiesMergeRefusalTest, ChangesNothingAndKeepsTheJournal)
{
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Cafe"));
        Screen()->spdNewPartyClick();
    }
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Merge(dialogs, GetParam().from, GetParam().into);
        messages.Expect(kMerge, GetParam().answer);
        Screen()->spdMergeClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_TRUE(UndoEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartiesMergeRefusalTest,
    ::testing::Values(MergeRefusal{"IntoItself", QStringLiteral("Grocer"), QStringLiteral("Grocer"), MsgAnswer::Yes},
                      MergeRefusal{"No", QStringLiteral("Grocer"), QStringLiteral("Landlord"), MsgAnswer::No},
                      MergeRefusal{"Closed", QStringLiteral("Grocer"), QStringLiteral("Landlord"), MsgAnswer::Cancel}),
    [](const ::testing::TestParamInfo<MergeRefusal>& info) { return std::string(info.param.name); });

// A screen filled before another change took its rows away: each command checks the file, says why it
// refuses, writes nothing, and shows the file as it now is.
TEST_F(PartiesTest, CommandsOnAPartyThatIsGoneRefuseWithoutWriting)
{
    const auto behindTheScreensBack = [this](const QString& sql) {
        main->StoreExec(sql);
        return DataFile();
    };
    Select(QStringLiteral("Landlord"));
    QByteArray before = behindTheScreensBack(QStringLiteral("UPDATE Parties SET Deleted = 't' WHERE ROWID = 4"));
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Owner"));
        messages.Expect(QStringLiteral("This party no longer exists."));
        Screen()->spdEditPartyClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_TRUE(Row("Landlord").isEmpty());

    Select(QStringLiteral("Grocer"));
    before = behindTheScreensBack(QStringLiteral("UPDATE Parties SET Deleted = 't' WHERE ROWID = 2"));
    messages.Expect(kDelete, MsgAnswer::Yes).Expect(QStringLiteral("This party no longer exists."));
    Screen()->spdDeletePartyClick();
    EXPECT_EQ(DataFile(), before);

    // Taken away while the merge dialog stood.
    main->StoreExec(QStringLiteral("UPDATE Parties SET Deleted = 'f' WHERE ROWID IN (2, 4)"));
    Screen()->RefreshGrid();
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([&](TfrmNewParty& dialog) {
            dialog.cmboFrom->setCurrentIndex(dialog.cmboFrom->findText(QStringLiteral("Grocer")));
            dialog.cmboInto->setCurrentIndex(dialog.cmboInto->findText(QStringLiteral("Landlord")));
            before = behindTheScreensBack(QStringLiteral("UPDATE Parties SET Deleted = 't' WHERE ROWID = 4"));
            return int(QDialog::Accepted);
        });
        messages.Expect(kMerge, MsgAnswer::Yes).Expect(QStringLiteral("This party no longer exists."));
        Screen()->spdMergeClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE SecondPartyID = 2")), QStringLiteral("5"));
}

TEST_F(PartiesTest, KeysOfTheGridStartTheirCommands)
{
    InstallHelpTopics();
    budget::TSummaryGrid* grid = Screen()->Grid;
    grid->setFocus();
    Select(QStringLiteral("Landlord"));
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_EQ(dialog.edName->text(), QStringLiteral("Landlord")) << "Enter renames";
            return int(QDialog::Rejected);
        });
        dialogs.Expect<TfrmNewParty>([](TfrmNewParty& dialog) {
            EXPECT_TRUE(dialog.edName->text().isEmpty()) << "Insert adds";
            return int(QDialog::Rejected);
        });
        QTest::keyClick(grid, Qt::Key_Return);
        QTest::keyClick(grid, Qt::Key_Insert);
        QTest::keyPress(grid, Qt::Key_Delete);
        EXPECT_TRUE(messages.Shown().empty()) << "only at the release";
        messages.Expect(kDelete, MsgAnswer::No);
        QTest::keyRelease(grid, Qt::Key_Delete);
    }
    EXPECT_EQ(grid->SelectedName(), QStringLiteral("Landlord")) << "the keys never reach the grid";
    QTest::keyClick(grid, Qt::Key_F1);
    QTest::keyClick(Screen()->dtmDateTo, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{"PartiesScreen.htm", "PartiesScreen.htm"}));
    TfrmNewParty dialog;
    dialog.show();
    QTest::keyClick(dialog.edName, Qt::Key_F1);
    EXPECT_EQ(helpPages.back(), QStringLiteral("Party.htm"));
}

} // namespace
