#include "budget/BudgetItemsFrame.h"

#include "budget/BudgetTransfer.h"
#include "budget/SummaryGrid.h"
#include "ledger/NewBudgetItem.h"
#include "ledger/controls/RealEdit.h"
#include "platform/Settings.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/GridLook.h"

#include <QAction>
#include <QComboBox>
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

// Home (system 1) lists Car, Food, Unbudgeted and Zero; Old is deleted with 4.00 left in it. Food has an
// allocation on each end of the default range, one the day before it and one the day after it; Zero's
// two allocations cancel out. Work (system 2) has a Food of its own.
QString Rows()
{
    return QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home');"
                          "INSERT INTO BudgetSystems (Name) VALUES ('Work');"
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"        // 1
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Food');"              // 2
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"               // 3
                          "INSERT INTO BudgetCategories (SystemID, Name, Deleted) VALUES (1, 'Old', 't');" // 4
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Zero');"              // 5
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (2, 'Unbudgeted');"        // 6
                          "INSERT INTO BudgetCategories (SystemID, Name) VALUES (2, 'Food');"              // 7
                          "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES "
                          "(2, 5000, 1, %1), (2, -1200, 2, %2), (2, -300, 3, %3), (2, 700, 4, %4),"
                          "(3, 10000, 5, 40000), (3, -2500, 6, %2),"
                          "(1, 20000, 7, %2),"
                          "(4, 400, 8, 40000),"
                          "(5, 250, 9, 40000), (5, -250, 10, 40001),"
                          "(7, 999, 11, %2)")
        .arg(Day(kFrom), Day(kTo), Day(kFrom.addDays(-1)), Day(kTo.addDays(1)));
}

class BudgetItemsTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), Rows());
        ASSERT_TRUE(WriteMissingDefaults());
        main = std::make_unique<TfrmMain>();
        main->FormShow();
        platform::SetModalInterceptor({});
        // The Budget Items node of Home.
        main->Architect()->TreeView()->setCurrentItem(main->Architect()->TreeView()->topLevelItem(0)->child(0));
        ASSERT_NE(Screen(), nullptr);
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    TframBudgetItems* Screen() { return dynamic_cast<TframBudgetItems*>(main->CurrentScreen()); }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QByteArray DataFile() { return testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))); }
    bool UndoEnabled() { return main->Action(QStringLiteral("mitmUndo"))->isEnabled(); }
    void Undo() { main->Action(QStringLiteral("mitmUndo"))->trigger(); }

    // The texts of one grid row, found by its name; empty when it is not listed.
    QStringList Row(const QString& name)
    {
        const budget::TSummaryGrid* grid = Screen()->Grid;
        for (int row = 0; row < grid->DataRowCount(); ++row) {
            if (grid->Text(row, 0) != name)
                continue;
            QStringList texts;
            for (int column = 0; column < 6; ++column)
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
    // The name dialog, answered with a text; setText, like a paste the field's filter never saw.
    static void Named(ScriptedDialogs& dialogs, const QString& name)
    {
        dialogs.Expect<TfrmNewBudgetItem>([name](TfrmNewBudgetItem& dialog) {
            dialog.edItemName->setText(name);
            return int(QDialog::Accepted);
        });
    }
    static void Transfer(ScriptedDialogs& dialogs, const QString& amount, const QString& from, const QString& to,
                         std::function<void()> meanwhile = {})
    {
        dialogs.Expect<TfrmBudgetTransfer>([=](TfrmBudgetTransfer& dialog) {
            dialog.edAmount->setText(amount);
            dialog.cmboFrom->setCurrentIndex(dialog.cmboFrom->findText(from));
            dialog.cmboTo->setCurrentIndex(dialog.cmboTo->findText(to));
            if (meanwhile)
                meanwhile();
            return int(QDialog::Accepted);
        });
    }

    ScriptedMessages messages;
    std::unique_ptr<TfrmMain> main;
};

TEST_F(BudgetItemsTest, ListsTheLiveItemsOfItsSystemWithTheirFiguresAndTotal)
{
    TframBudgetItems* screen = Screen();
    EXPECT_EQ(screen->System(), 1);
    EXPECT_EQ(screen->dtmDateFrom->date(), kFrom);
    EXPECT_EQ(screen->dtmDateTo->date(), kTo);
    QStringList headers;
    for (int column = 0; column < 6; ++column)
        headers << screen->Grid->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, QStringList({"Name", "Period Debits", "Period Credits", "Period Transfers", "Period Balance",
                                    "Current Balance"}));
    EXPECT_EQ(Names(), QStringList({"Car", "Food", "Unbudgeted", "Zero"}));
    EXPECT_EQ(Row("Car"), QStringList({"Car", "-25.00", "0.00", "0.00", "-25.00", "75.00"}));
    // Both ends of the range count; the days just outside it only in the current balance.
    EXPECT_EQ(Row("Food"), QStringList({"Food", "-12.00", "50.00", "0.00", "38.00", "42.00"}));
    EXPECT_EQ(Row("Unbudgeted"), QStringList({"Unbudgeted", "0.00", "200.00", "0.00", "200.00", "200.00"}));
    EXPECT_EQ(Row("Zero"), QStringList({"Zero", "0.00", "0.00", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(screen->lblTotal->text(), QStringLiteral("317.00"));
    EXPECT_EQ(screen->lblTotalCaption->text(), QStringLiteral("Total:  "));
    EXPECT_TRUE(screen->lblTotal->font().bold());
    EXPECT_TRUE(screen->Grid->model()->index(0, 5).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(screen->Grid->model()->index(0, 4).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(screen->Grid->SelectedName(), QStringLiteral("Car"));
    EXPECT_FALSE(screen->spdPrint->isEnabled());
    EXPECT_FALSE(main->Action(QStringLiteral("mitmPrint"))->isEnabled());
    const std::pair<QToolButton*, const char*> hints[] = {
        {screen->spdNewItem, "Create a new budget item. (ins)"},
        {screen->spdEdit, "Edit the current budget item."},
        {screen->spdTrans, "Transfer money between budget items. (=)"},
        {screen->spdDelItem, "Delete selected budget item. (del)"},
        {screen->spdPrint, "Print the current view."},
    };
    for (const auto& [button, hint] : hints)
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(hint));
}

struct RangeCase
{
    const char* name;
    QDate from, to;
    QStringList food; // columns 1 to 5 of Food
};

class BudgetItemsRangeTest : public BudgetItemsTest, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(BudgetItemsRangeTest, FoodOverTheRange)
{
    const RangeCase& c = GetParam();
    // Each field refills the grid as it changes.
    Screen()->dtmDateTo->setDate(c.to);
    Screen()->dtmDateFrom->setDate(c.from);
    EXPECT_EQ(Row("Food").mid(1), c.food);
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("317.00")) << "the total knows no range";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BudgetItemsRangeTest,
    ::testing::Values(
        RangeCase{"OneDayOnTheFromDate", kFrom, kFrom, {"0.00", "50.00", "0.00", "50.00", "42.00"}},
        RangeCase{"OneDayOnTheToDate", kTo, kTo, {"-12.00", "0.00", "0.00", "-12.00", "42.00"}},
        RangeCase{
            "TheDaysJustOutside", kFrom.addDays(-1), kTo.addDays(1), {"-15.00", "57.00", "0.00", "42.00", "42.00"}},
        RangeCase{"Reversed", kTo, kFrom, {"0.00", "0.00", "0.00", "0.00", "42.00"}},
        RangeCase{"NoAllocations", QDate(2020, 1, 1), QDate(2020, 12, 31), {"0.00", "0.00", "0.00", "0.00", "42.00"}}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST_F(BudgetItemsTest, ATransferCountsOnlyAsPeriodTransfersAndUndoesInOneStep)
{
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&notices](PlugInNotice notice) { notices.push_back(notice); });
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmBudgetTransfer>([](TfrmBudgetTransfer& dialog) {
            QStringList from, to;
            for (int i = 0; i < dialog.cmboFrom->count(); ++i)
                from << dialog.cmboFrom->itemText(i);
            for (int i = 0; i < dialog.cmboTo->count(); ++i)
                to << dialog.cmboTo->itemText(i);
            EXPECT_EQ(from, QStringList({"Car", "Food", "Unbudgeted", "Zero"}));
            EXPECT_EQ(to, from);
            EXPECT_EQ(dialog.cmboFrom->currentText(), QStringLiteral("Car"));
            EXPECT_EQ(dialog.cmboTo->currentText(), QStringLiteral("Car"));
            EXPECT_EQ(dialog.edAmount->text(), QStringLiteral("0.00"));
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Transfer between budget items"));
            return int(QDialog::Rejected);
        });
        Transfer(dialogs, QStringLiteral("30"), QStringLiteral("Unbudgeted"), QStringLiteral("Food"));
        Screen()->spdTransClick();
        Screen()->spdTransClick();
    }
    EXPECT_EQ(Row("Unbudgeted"), QStringList({"Unbudgeted", "0.00", "200.00", "-30.00", "170.00", "170.00"}));
    EXPECT_EQ(Row("Food"), QStringList({"Food", "-12.00", "50.00", "30.00", "68.00", "72.00"}));
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("317.00"));
    EXPECT_EQ(notices, std::vector<PlugInNotice>{PlugInNotice::BudgetItems}) << "the cancelled one tells nothing";
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(BudgetCatID || ':' || Amount || ':' || TransID || ':' || "
                                   "TransDate, ' ') FROM NewBudgetTransactions WHERE ROWID > 11")),
              QStringLiteral("1:-3000:0:%1 2:3000:0:%1").arg(Day(kTo)));

    Undo();
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions")), QStringLiteral("11"));
    EXPECT_EQ(Row("Food"), QStringList({"Food", "-12.00", "50.00", "0.00", "38.00", "42.00"}));
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(BudgetItemsTest, ATransferWithEqualEndsOrNoAmountWritesNothing)
{
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Transfer(dialogs, QStringLiteral("30"), QStringLiteral("Food"), QStringLiteral("Food"));
        Transfer(dialogs, QStringLiteral("0"), QStringLiteral("Food"), QStringLiteral("Car"));
        Screen()->spdTransClick();
        Screen()->spdTransClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(BudgetItemsTest, NewItemsAndRevivalsAreUndoneByMarkingThemDeleted)
{
    std::vector<PlugInNotice> notices;
    main->AddPlugIn([&notices](PlugInNotice notice) { notices.push_back(notice); });
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Gifts"));
        Named(dialogs, QStringLiteral("Old"));
        Screen()->spdNewItemClick();
        EXPECT_EQ(Row("Gifts"), QStringList({"Gifts", "0.00", "0.00", "0.00", "0.00", "0.00"}));
        EXPECT_EQ(Screen()->Grid->SelectedName(), QStringLiteral("Gifts"));
        Screen()->spdNewItemClick();
    }
    // The deleted item comes back as it was, with its allocations.
    EXPECT_EQ(Row("Old"), QStringList({"Old", "0.00", "0.00", "0.00", "0.00", "4.00"}));
    EXPECT_EQ(Screen()->lblTotal->text(), QStringLiteral("321.00"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE Name = 'Old'")), QStringLiteral("1"));
    EXPECT_EQ(notices, std::vector<PlugInNotice>(2, PlugInNotice::BudgetItems));

    Undo();
    EXPECT_TRUE(Row("Old").isEmpty());
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM BudgetCategories WHERE ROWID = 4")), QStringLiteral("t"));
    Undo();
    EXPECT_TRUE(Row("Gifts").isEmpty());
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM BudgetCategories WHERE Name = 'Gifts'")), QStringLiteral("t"));
    EXPECT_EQ(Names(), QStringList({"Car", "Food", "Unbudgeted", "Zero"}));
}

TEST_F(BudgetItemsTest, TheNameOfALiveItemChangesNothingAndLeavesNothingToUndo)
{
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Food"));
        Screen()->spdNewItemClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());
    Undo();
    EXPECT_EQ(Row("Food"), QStringList({"Food", "-12.00", "50.00", "0.00", "38.00", "42.00"}));
}

// Names that hand-quoted SQL would break on: a pasted double quote (which the field drops), an apostrophe,
// and words that name columns.
TEST_F(BudgetItemsTest, NamesAreStoredExactlyWhateverTheySpell)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Joe's \"best\""), QStringLiteral("Joe's best")},
        {QStringLiteral("Name"), QStringLiteral("Name")},
        {QStringLiteral("Deleted"), QStringLiteral("Deleted")},
    };
    for (const auto& [typed, stored] : cases) {
        {
            ScriptedDialogs dialogs;
            Named(dialogs, typed);
            Screen()->spdNewItemClick();
        }
        EXPECT_EQ(Row(stored).value(0), stored) << typed.toStdString();
        EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE Name = %1").arg(SqlText(stored))),
                  QStringLiteral("1"));
    }
    // Renamed back and forth: the old name of the undo record is restored exactly too.
    Select(QStringLiteral("Joe's best"));
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Name's"));
        Screen()->spdEditClick();
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE SystemID = 1")), QStringLiteral("8"));
    EXPECT_FALSE(Row("Name's").isEmpty());
    Undo();
    EXPECT_FALSE(Row("Joe's best").isEmpty());
    EXPECT_TRUE(Row("Name's").isEmpty());
}

TEST_F(BudgetItemsTest, RenameRefusesTakenNamesSilentlyAndIsUndone)
{
    Select(QStringLiteral("Food"));
    const QByteArray before = DataFile();
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmNewBudgetItem>([](TfrmNewBudgetItem& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Budget Item Name"));
            EXPECT_EQ(dialog.lblPrompt->text(), QStringLiteral("Give your Budget Item a new name."));
            EXPECT_EQ(dialog.edItemName->text(), QStringLiteral("Food"));
            return int(QDialog::Accepted); // the unchanged name
        });
        Named(dialogs, QStringLiteral("Old")); // a deleted item's
        Named(dialogs, QStringLiteral("Car"));
        for (int i = 0; i < 3; ++i)
            Screen()->spdEditClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_FALSE(UndoEnabled());

    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Groceries"));
        Screen()->spdEditClick();
    }
    EXPECT_EQ(Row("Groceries"), QStringList({"Groceries", "-12.00", "50.00", "0.00", "38.00", "42.00"}));
    Undo();
    EXPECT_EQ(Names(), QStringList({"Car", "Food", "Unbudgeted", "Zero"}));
}

TEST_F(BudgetItemsTest, UnbudgetedIsNeverRenamedNorDeleted)
{
    Select(QStringLiteral("Unbudgeted"));
    const QByteArray before = DataFile();
    ScriptedDialogs none; // no dialog, no message
    Screen()->spdEditClick();
    Screen()->spdDelItemClick();
    QTest::keyClick(Screen()->Grid, Qt::Key_Delete);
    EXPECT_EQ(DataFile(), before);
    EXPECT_TRUE(messages.Shown().empty());
}

struct DeleteAnswer
{
    const char* name;
    MsgAnswer answer;
    bool deletes;
};

class BudgetItemsDeleteTest : public BudgetItemsTest, public ::testing::WithParamInterface<DeleteAnswer>
{
};

// Zero's allocations sum to nothing but are there: only Yes deletes it, and they stay.
TEST_P(BudgetItemsDeleteTest, OnlyYesDeletesAnItemThatSumsToZero)
{
    Select(QStringLiteral("Zero"));
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete this item?"), GetParam().answer);
    Screen()->spdDelItemClick();
    EXPECT_EQ(Row("Zero").isEmpty(), GetParam().deletes);
    EXPECT_EQ(Value(QStringLiteral("SELECT Deleted FROM BudgetCategories WHERE ROWID = 5")),
              GetParam().deletes ? QStringLiteral("t") : QStringLiteral("f"));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions WHERE BudgetCatID = 5")),
              QStringLiteral("2"));
    EXPECT_EQ(UndoEnabled(), GetParam().deletes);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BudgetItemsDeleteTest,
    ::testing::Values(DeleteAnswer{"Yes", MsgAnswer::Yes, true}, DeleteAnswer{"No", MsgAnswer::No, false},
                      DeleteAnswer{"Closed", MsgAnswer::Cancel, false}, DeleteAnswer{"Ok", MsgAnswer::Ok, false}),
    [](const ::testing::TestParamInfo<DeleteAnswer>& info) { return std::string(info.param.name); });

TEST_F(BudgetItemsTest, ADeletedItemKeepsItsNameAndUndoBringsItBack)
{
    Select(QStringLiteral("Food"));
    messages.Expect(QStringLiteral("A budget item must have a total value of 0.00 before you can delete it."));
    Screen()->spdDelItemClick();
    EXPECT_FALSE(Row("Food").isEmpty());

    Select(QStringLiteral("Zero"));
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete this item?"), MsgAnswer::Yes);
    Screen()->spdDelItemClick();
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Car"));
        Select(QStringLiteral("Food"));
        Screen()->spdEditClick();
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE Name = 'Zero'")), QStringLiteral("1"));
    Undo();
    EXPECT_EQ(Row("Zero"), QStringList({"Zero", "0.00", "0.00", "0.00", "0.00", "0.00"}));
}

// A screen filled before another change took its rows away: each command checks the file, says why it
// refuses, writes nothing, and shows the file as it now is.
TEST_F(BudgetItemsTest, CommandsOnAnItemThatIsGoneRefuseWithoutWriting)
{
    const auto behindTheScreensBack = [this](const QString& sql) {
        main->StoreExec(sql);
        return DataFile();
    };
    Select(QStringLiteral("Car"));
    QByteArray before =
        behindTheScreensBack(QStringLiteral("UPDATE BudgetCategories SET Deleted = 't' WHERE ROWID = 3"));
    {
        ScriptedDialogs dialogs;
        Named(dialogs, QStringLiteral("Nothing"));
        messages.Expect(QStringLiteral("This budget item no longer exists."));
        Screen()->spdEditClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_TRUE(Row("Car").isEmpty()) << "the screen shows the file as it now is";

    Select(QStringLiteral("Zero"));
    before = behindTheScreensBack(QStringLiteral("UPDATE BudgetCategories SET Deleted = 't' WHERE ROWID = 5"));
    messages.Expect(QStringLiteral("Are you sure you want to permanently delete this item?"), MsgAnswer::Yes)
        .Expect(QStringLiteral("This budget item no longer exists."));
    Screen()->spdDelItemClick();
    EXPECT_EQ(DataFile(), before);

    // Taken away while the transfer dialog stood.
    {
        ScriptedDialogs dialogs;
        Transfer(dialogs, QStringLiteral("5"), QStringLiteral("Food"), QStringLiteral("Unbudgeted"), [&] {
            before = behindTheScreensBack(QStringLiteral("UPDATE BudgetCategories SET Deleted = 't' WHERE ROWID = 2"));
        });
        messages.Expect(QStringLiteral("This budget item no longer exists."));
        Screen()->spdTransClick();
    }
    EXPECT_EQ(DataFile(), before);
    EXPECT_EQ(Names(), QStringList({"Unbudgeted"}));
    EXPECT_FALSE(UndoEnabled());
}

TEST_F(BudgetItemsTest, KeysOfTheGridStartTheirCommands)
{
    QDir(dir.Path()).mkpath(QStringLiteral("help"));
    testing_support::WriteAll(dir.File(QStringLiteral("help/BudgetItemsScreen.htm")), "<html></html>");
    budget::TSummaryGrid* grid = Screen()->Grid;
    grid->setFocus();
    Select(QStringLiteral("Zero"));
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmBudgetTransfer>([](TfrmBudgetTransfer&) { return int(QDialog::Rejected); });
        dialogs.Expect<TfrmNewBudgetItem>([](TfrmNewBudgetItem&) { return int(QDialog::Rejected); });
        QTest::keyClick(grid, Qt::Key_Equal, Qt::NoModifier);
        QTest::keyClick(grid, Qt::Key_Insert);
        // Only at the release.
        QTest::keyPress(grid, Qt::Key_Delete);
        EXPECT_TRUE(messages.Shown().empty());
        messages.Expect(QStringLiteral("Are you sure you want to permanently delete this item?"), MsgAnswer::No);
        QTest::keyRelease(grid, Qt::Key_Delete);
    }
    EXPECT_EQ(grid->SelectedName(), QStringLiteral("Zero")) << "the keys never reach the grid";
    QTest::keyClick(grid, Qt::Key_F1);
    QTest::keyClick(Screen()->dtmDateFrom, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{"BudgetItemsScreen.htm", "BudgetItemsScreen.htm"}));
}

TEST_F(BudgetItemsTest, ColumnWidthsComeFromTheMainWindowAndChangedOnesAreStored)
{
    budget::TSummaryGrid* grid = Screen()->Grid;
    EXPECT_EQ(grid->columnWidth(0), 200);
    EXPECT_EQ(grid->columnWidth(5), 100);
    grid->setColumnWidth(3, 140);
    grid->setColumnWidth(5, 130);
    QTest::mouseRelease(grid->horizontalHeader()->viewport(), Qt::LeftButton);

    EXPECT_EQ(main->RememberedWidth(kBudgetAmountColWidth3), 140);
    EXPECT_EQ(main->RememberedWidth(kBudgetAmountColWidth), 130);
    platform::TSettingsKey display;
    ASSERT_TRUE(display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false));
    EXPECT_EQ(display.ReadInteger(QStringLiteral("BudgetAmountColWidth3")), 140);
    EXPECT_EQ(display.ReadInteger(QStringLiteral("BudgetAmountColWidth")), 130);
    EXPECT_EQ(display.ReadInteger(QStringLiteral("BudgetAmountColWidth1")), 100);

    // The next screen takes them.
    main->Architect()->RerunSelection();
    EXPECT_EQ(Screen()->Grid->columnWidth(3), 140);
    EXPECT_EQ(Screen()->Grid->columnWidth(5), 130);
}

TEST_F(BudgetItemsTest, TheFirstDataRowIsShadedAndNegativeFiguresAreRed)
{
    budget::TSummaryGrid* grid = Screen()->Grid;
    Screen()->resize(800, 400);
    grid->clearSelection();
    const QImage image = grid->viewport()->grab().toImage();
    const int rowHeight = grid->rowHeight(0);
    EXPECT_EQ(image.pixelColor(1, 1), ui::StripeColour()) << "Car, the first data row";
    EXPECT_NE(image.pixelColor(1, rowHeight + 1), ui::StripeColour()) << "Food";
    // Car's debits are drawn in red, Food's credits are not.
    const auto hasRed = [&](int column, int row) {
        const QRect cell(grid->columnViewportPosition(column), row * rowHeight, grid->columnWidth(column), rowHeight);
        for (int y = cell.top(); y < cell.bottom(); ++y)
            for (int x = cell.left(); x < cell.right(); ++x)
                if (image.pixelColor(x, y) == ui::NegativeMoneyColour())
                    return true;
        return false;
    };
    EXPECT_TRUE(hasRed(1, 0));
    EXPECT_FALSE(hasRed(2, 1));
}

} // namespace
