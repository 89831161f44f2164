#include "ledger/AccountRegister.h"

#include "ledger/CheckWizard.h"
#include "ledger/RegisterModel.h"
#include "ledger/controls/RealEdit.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <optional>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

// Days before the fixture's today (10 December 2026).
QString DaysAgo(int days)
{
    return QString::number(DateToDayNumber(QDate(2026, 12, 10)) - days);
}

// One system with a checking account, a savings account and an empty one. Checking holds a passed credit,
// two debits, both kinds of transfer half, an opening balance without a party, a debit whose note has
// an apostrophe and an underscore, and four unpassed transactions of Acme Corp that cancel out, at the
// last day of the 6-months and the 1-year filter and one day past each; every row stands at a boundary
// day of an age filter or just beyond one.
QString FixtureRows()
{
    const auto trans = [](int rowid, const char* passed, const char* id, int account, int days, int amount, int party,
                          const char* notes) {
        return QStringLiteral("INSERT INTO Transactions (ROWID, Passed, TransID, AccountID, Date, Amount, "
                              "SecondPartyID, Notes) VALUES (%1, '%2', %3, %4, %5, %6, %7, %8);")
            .arg(rowid)
            .arg(QLatin1String(passed), id ? SqlText(QString::fromUtf8(id)) : QStringLiteral("NULL"))
            .arg(account)
            .arg(DaysAgo(days))
            .arg(amount)
            .arg(party)
            .arg(notes ? SqlText(QString::fromUtf8(notes)) : QStringLiteral("NULL"));
    };
    return QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Empty');"
                          "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');"
                          "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Acme Corp');"
                          "INSERT INTO Parties (SystemID, Name) VALUES (1, 'Bob');"
                          "INSERT INTO Parties (SystemID, Name) VALUES (1, 'O''Brien');") +
           trans(1, "t", "100", 1, 7, 10000, 2, "Salary december") + trans(2, "f", "10a", 1, 8, -2500, 3, "groceries") +
           trans(3, "f", "200", 1, 14, -1250, 3, "50% off") +
           // A transfer from Checking to Savings, and one from Savings to Checking.
           trans(4, "f", nullptr, 1, 31, -5000, 1, nullptr) + trans(5, "f", nullptr, 2, 31, 5000, 1, nullptr) +
           trans(6, "f", nullptr, 1, 92, 3000, 1, nullptr) + trans(7, "f", nullptr, 2, 92, -3000, 1, nullptr) +
           QStringLiteral("INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (4, 5);"
                          "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (7, 6);") +
           trans(8, "t", nullptr, 1, 400, 50000, 0, "Opening balance") +
           trans(9, "f", nullptr, 1, 93, -500, 4, "Bob's_share") + trans(10, "f", nullptr, 1, 183, 700, 2, nullptr) +
           trans(11, "f", nullptr, 1, 184, -700, 2, nullptr) + trans(12, "f", nullptr, 1, 365, 800, 2, nullptr) +
           trans(13, "f", nullptr, 1, 366, -800, 2, nullptr);
}

class AccountRegisterTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), FixtureRows());
        ASSERT_TRUE(WriteMissingDefaults());
        InstallHelp();
        testing_support::WriteAll(dir.File(QStringLiteral("help/Search.htm")), "<html></html>");
        main = std::make_unique<TfrmMain>();
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents();
    }

    std::unique_ptr<TframAccount> Register(qint64 account = 1)
    {
        auto frame = std::make_unique<TframAccount>(*main);
        frame->resize(700, 400);
        frame->show();
        frame->ShowAccount(account);
        return frame;
    }
    // The list of results of a search or an import for account 1: its debits, whatever the account's filters.
    std::unique_ptr<TframAccount> Results(TframAccount::Mode mode)
    {
        auto frame = std::make_unique<TframAccount>(*main);
        frame->resize(700, 400);
        frame->show();
        frame->SetConditionProvider(
            [](const TframAccount&) { return QStringLiteral(" AND (Transactions.Amount < 0)"); });
        frame->ShowResults(1);
        if (mode == TframAccount::Mode::Imported)
            frame->MarkImported();
        return frame;
    }
    static QList<qint64> Listed(const TframAccount& frame)
    {
        QList<qint64> rows;
        for (int row = 0; row < frame.Model()->ResultRows(); ++row)
            rows << frame.Model()->RowID(row);
        return rows;
    }
    static QList<qint64> Sorted(QList<qint64> rows)
    {
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static QStringList Column(const TframAccount& frame, int column)
    {
        QStringList texts;
        for (int row = 0; row < frame.Model()->rowCount(); ++row)
            texts << frame.Model()->Text(row, column);
        return texts;
    }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    QString Passed(qint64 transaction)
    {
        return Value(QStringLiteral("SELECT Passed FROM Transactions WHERE ROWID = %1").arg(transaction));
    }
    static QPoint CellCentre(const TframAccount& frame, int row, int column)
    {
        return frame.Grid->visualRect(frame.Model()->index(row, column)).center();
    }

    std::unique_ptr<TfrmMain> main;
};

// ----------------------------------------------------------------------------------------------------------
// The filters: set through their controls, stored in the account's row, listed, and restored by the next
// showing of the account.

struct FilterCase
{
    const char* name;
    bool passed;
    int amount; // index of cmboAmount
    int age;    // index of cmboDate
    const char* party;
    const char* id;
    const char* notes;
    QList<qint64> rows;
};

class RegisterFilterTest : public AccountRegisterTest, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(RegisterFilterTest, ListsWhatTheFiltersAdmitAndRestoresThemNextTime)
{
    const FilterCase& c = GetParam();
    ScriptedMessages messages;
    {
        auto frame = Register();
        frame->chkPassed->setChecked(c.passed);
        frame->cmboAmount->setCurrentIndex(c.amount);
        frame->cmboDate->setCurrentIndex(c.age);
        frame->cmboParty->setCurrentIndex(c.party ? frame->cmboParty->findText(QString::fromUtf8(c.party)) : 0);
        frame->edID->setText(QString::fromUtf8(c.id));
        frame->edIDExit();
        frame->edNotes->setText(QString::fromUtf8(c.notes));
        frame->edNotesExit();
        EXPECT_EQ(Sorted(Listed(*frame)), c.rows);
    }
    EXPECT_EQ(Value(QStringLiteral("SELECT coalesce(ShowID, 'NULL') || '|' || coalesce(ShowNotes, 'NULL') FROM "
                                   "Accounts WHERE ROWID = 1")),
              (*c.id ? QString::fromUtf8(c.id) : QStringLiteral("NULL")) + QLatin1Char('|') +
                  (*c.notes ? QString::fromUtf8(c.notes) : QStringLiteral("NULL")));

    auto again = Register();
    EXPECT_EQ(again->chkPassed->isChecked(), c.passed);
    EXPECT_EQ(again->cmboAmount->currentIndex(), c.amount);
    EXPECT_EQ(again->cmboDate->currentIndex(), c.age);
    EXPECT_EQ(again->cmboParty->currentText(), c.party ? QString::fromUtf8(c.party) : QStringLiteral("(no filter)"));
    EXPECT_EQ(again->edID->text(), QString::fromUtf8(c.id));
    EXPECT_EQ(again->edNotes->text(), QString::fromUtf8(c.notes));
    EXPECT_EQ(Sorted(Listed(*again)), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, RegisterFilterTest,
    ::testing::Values(
        FilterCase{"Everything", true, 0, 0, nullptr, "", "", {1, 2, 3, 4, 6, 8, 9, 10, 11, 12, 13}},
        FilterCase{"UnpassedOnly", false, 0, 0, nullptr, "", "", {2, 3, 4, 6, 9, 10, 11, 12, 13}},
        FilterCase{"WeekReachesTheSeventhDay", true, 0, 1, nullptr, "", "", {1}},
        FilterCase{"TwoWeeks", true, 0, 2, nullptr, "", "", {1, 2, 3}},
        FilterCase{"MonthReachesTheThirtyFirstDay", true, 0, 3, nullptr, "", "", {1, 2, 3, 4}},
        FilterCase{"ThreeMonthsReachTheNinetySecondDay", true, 0, 4, nullptr, "", "", {1, 2, 3, 4, 6}},
        FilterCase{"SixMonthsReachTheHundredEightyThirdDay", true, 0, 5, nullptr, "", "", {1, 2, 3, 4, 6, 9, 10}},
        FilterCase{
            "YearReachesTheThreeHundredSixtyFifthDay", true, 0, 6, nullptr, "", "", {1, 2, 3, 4, 6, 9, 10, 11, 12}},
        FilterCase{"NewAccountDefaults", false, 0, 3, nullptr, "", "", {2, 3, 4}},
        FilterCase{"CreditsAndDebitsLeaveOutTransfers", true, 1, 0, nullptr, "", "", {1, 2, 3, 8, 9, 10, 11, 12, 13}},
        FilterCase{"CreditsOnly", true, 2, 0, nullptr, "", "", {1, 8, 10, 12}},
        FilterCase{"DebitsOnly", true, 3, 0, nullptr, "", "", {2, 3, 9, 11, 13}},
        FilterCase{"TransfersOnlyListsBothHalves", true, 4, 0, nullptr, "", "", {4, 6}},
        FilterCase{"Party", true, 0, 0, "Bob", "", "", {2, 3}},
        FilterCase{"TransferParty", true, 0, 0, "Transfer", "", "", {4, 6}},
        FilterCase{"PartyWithApostrophe", true, 0, 0, "O'Brien", "", "", {9}},
        FilterCase{"IDPrefix", true, 0, 0, nullptr, "10", "", {1, 2}},
        FilterCase{"IDUnderscoreIsAWildcard", true, 0, 0, nullptr, "_0", "", {1, 2, 3}},
        FilterCase{"IDWithApostropheMatchesNothing", true, 0, 0, nullptr, "1'0", "", {}},
        FilterCase{"NotesPrefixInAnyCase", true, 0, 0, nullptr, "", "SAL", {1}},
        FilterCase{"NotesPercentIsAWildcard", true, 0, 0, nullptr, "", "%off", {3}},
        FilterCase{"NotesWithApostrophe", true, 0, 0, nullptr, "", "Bob's", {9}},
        FilterCase{"NotesNamingAColumn", true, 0, 0, nullptr, "", "Notes", {}},
        FilterCase{"Combined", false, 3, 3, "Bob", "", "gro", {2}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST_F(AccountRegisterTest, ANewAccountShowsUnpassedTransactionsOfTheLastMonth)
{
    ScriptedMessages messages;
    auto frame = Register();
    EXPECT_FALSE(frame->chkPassed->isChecked());
    EXPECT_EQ(frame->cmboDate->currentText(), QStringLiteral("1 month old or less"));
    EXPECT_EQ(frame->cmboAmount->currentText(), QStringLiteral("(no filter)"));
    EXPECT_EQ(Listed(*frame), (QList<qint64>{2, 3, 4}));
    EXPECT_EQ(frame->StatusText(), QStringLiteral("Account: Checking"));
}

TEST_F(AccountRegisterTest, FilterChangesWhileLoadingAreNotStoredAndAGonePartyFiltersNothing)
{
    // A party that is gone and an age beyond the choices: neither filters anything.
    main->StoreExec(QStringLiteral("UPDATE Accounts SET ShowParty = 99, ShowPassed = 't', Age = 9 WHERE ROWID = 1"));
    ScriptedMessages messages;
    auto frame = Register();
    EXPECT_EQ(frame->cmboParty->currentText(), QStringLiteral("(no filter)"));
    EXPECT_EQ(frame->cmboDate->currentText(), QStringLiteral("(no filter)"));
    EXPECT_EQ(Listed(*frame).size(), 11);
    // The fallback is the view's; the stored value waits for the person to choose.
    EXPECT_EQ(Value(QStringLiteral("SELECT ShowParty || '/' || Age FROM Accounts WHERE ROWID = 1")),
              QStringLiteral("99/9"));
    // Every party of the system is offered, the hidden ones too, by name.
    QStringList parties;
    for (int i = 0; i < frame->cmboParty->count(); ++i)
        parties << frame->cmboParty->itemText(i);
    EXPECT_EQ(parties, (QStringList{QStringLiteral("(no filter)"), QStringLiteral("Acme Corp"), QStringLiteral("Bob"),
                                    QStringLiteral("O'Brien"), QStringLiteral("Transfer")}));
}

TEST_F(AccountRegisterTest, FilterFieldsKeepOutTheDoubleQuoteAndApplyOnEnter)
{
    ScriptedMessages messages;
    auto frame = Register();
    frame->edNotes->setFocus();
    frame->edNotes->insert(QStringLiteral("Bob\"'s"));
    EXPECT_EQ(frame->edNotes->text(), QStringLiteral("Bob's"));
    QTest::keyClicks(frame->edID, QStringLiteral("1\"0"));
    EXPECT_EQ(frame->edID->text(), QStringLiteral("10"));
    // Enter in the field applies and stores it: unpassed, of the last month, ID beginning with 10.
    QTest::keyClick(frame->edID, Qt::Key_Return);
    EXPECT_EQ(Listed(*frame), (QList<qint64>{2}));
    EXPECT_EQ(Value(QStringLiteral("SELECT ShowID FROM Accounts WHERE ROWID = 1")), QStringLiteral("10"));
    frame->edNotesExit();
    EXPECT_EQ(Value(QStringLiteral("SELECT ShowNotes FROM Accounts WHERE ROWID = 1")), QStringLiteral("Bob's"));
}

// ----------------------------------------------------------------------------------------------------------
// What the list shows

TEST_F(AccountRegisterTest, ListShowsEveryColumnAndAgreesWithTheBalance)
{
    main->StoreExec(QStringLiteral("UPDATE Accounts SET ShowPassed = 't', Age = 0 WHERE ROWID = 1"));
    ScriptedMessages messages;
    auto frame = Register();
    EXPECT_EQ(Column(*frame, TRegisterModel::ColID),
              (QStringList{"100", "10a", "200", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(Column(*frame, TRegisterModel::ColAmount),
              (QStringList{"100.00", "-25.00", "-12.50", "-50.00", "30.00", "-5.00", "7.00", "-7.00", "8.00", "-8.00",
                           "500.00"}));
    // The opening balance has no party and is listed all the same, with an empty name.
    EXPECT_EQ(Column(*frame, TRegisterModel::ColParty),
              (QStringList{"Acme Corp", "Bob", "Bob", "Transfer", "Transfer", "O'Brien", "Acme Corp", "Acme Corp",
                           "Acme Corp", "Acme Corp", ""}));
    EXPECT_EQ(Column(*frame, TRegisterModel::ColNotes).last(), QStringLiteral("Opening balance"));
    EXPECT_EQ(frame->Model()->Text(0, TRegisterModel::ColDate),
              QLocale().toString(QDate(2026, 12, 3), QLocale::ShortFormat));
    EXPECT_EQ(frame->Model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("To/From"));
    qint64 listed = 0;
    for (const QString& amount : Column(*frame, TRegisterModel::ColAmount))
        listed += MoneyTextToHundredths(amount);
    EXPECT_EQ(HundredthsToMoneyText(qint32(listed)), frame->lblBalance->text());
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("537.50"));
    EXPECT_EQ(frame->lblPassBal->text(), QStringLiteral("600.00"));
    EXPECT_EQ(frame->Grid->verticalHeader()->sectionSize(0), TframAccount::kRowHeight);
}

TEST_F(AccountRegisterTest, BalancesAreRedBelowZeroAndNotBoundToOneAmount)
{
    main->StoreExec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID, Passed) "
                                   "VALUES (2, 46000, 2000000000, 0, 't');"
                                   "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID, Passed) "
                                   "VALUES (2, 46000, 2000000000, 0, 't');"
                                   "INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID) "
                                   "VALUES (1, 46000, -100000, 0)"));
    ScriptedMessages messages;
    auto savings = Register(2);
    EXPECT_EQ(savings->lblBalance->text(), QStringLiteral("40000020.00"));
    EXPECT_EQ(savings->lblPassBal->text(), QStringLiteral("40000000.00"));
    auto checking = Register(1);
    EXPECT_EQ(checking->lblBalance->text(), QStringLiteral("-462.50"));
    EXPECT_EQ(checking->lblBalance->palette().color(QPalette::WindowText), QColor(240, 0, 0));
    EXPECT_EQ(checking->lblPassBal->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(AccountRegisterTest, AnEmptyAccountShowsOneBlankRowThatCommandsPassOver)
{
    ScriptedMessages messages;
    auto frame = Register(3);
    EXPECT_EQ(frame->Model()->rowCount(), 1);
    EXPECT_EQ(frame->Model()->RowID(0), 0);
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("0.00"));
    EXPECT_EQ(frame->lblPassBal->text(), QStringLiteral("0.00"));
    QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, CellCentre(*frame, 0, 0));
    QTest::keyClick(frame->Grid, Qt::Key_Space);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE Passed = 't'")), QStringLiteral("2"));
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

TEST_F(AccountRegisterTest, AnAccountThatIsGoneShowsNothingAndAsksNothing)
{
    ScriptedMessages messages;
    auto frame = Register(99);
    EXPECT_EQ(frame->Model()->ResultRows(), 0);
    EXPECT_EQ(frame->lblBalance->text(), QStringLiteral("0.00"));
    EXPECT_EQ(frame->StatusText(), QString());
    EXPECT_EQ(messages.Shown().size(), 0u);
}

TEST_F(AccountRegisterTest, HeaderClicksSortAndMarkTheColumn)
{
    main->StoreExec(QStringLiteral("UPDATE Accounts SET ShowPassed = 't', Age = 0 WHERE ROWID = 1"));
    ScriptedMessages messages;
    auto frame = Register();
    const struct
    {
        int column;
        int sortColumn;
        bool descending;
        QList<qint64> rows;
    } clicks[] = {
        {TRegisterModel::ColAmount, 3, true, {8, 1, 6, 12, 10, 9, 11, 13, 3, 2, 4}},
        {TRegisterModel::ColAmount, 3, false, {4, 2, 3, 13, 11, 9, 10, 12, 6, 1, 8}},
        {TRegisterModel::ColDate, 2, true, {1, 2, 3, 4, 6, 9, 10, 11, 12, 13, 8}},
        {TRegisterModel::ColParty, 4, true, {6, 4, 9, 3, 2, 13, 12, 11, 10, 1, 8}},
    };
    EXPECT_EQ(frame->SortColumn(), 2);
    for (const auto& click : clicks) {
        const QRect header(frame->GridHeader->sectionViewportPosition(click.column), 0,
                           frame->GridHeader->sectionSize(click.column), frame->GridHeader->height());
        QTest::mouseClick(frame->GridHeader->viewport(), Qt::LeftButton, {}, header.center());
        EXPECT_EQ(frame->SortColumn(), click.sortColumn);
        EXPECT_EQ(frame->SortDescending(), click.descending);
        EXPECT_EQ(frame->GridHeader->SortColumn(), click.sortColumn);
        EXPECT_EQ(Listed(*frame), click.rows) << "column " << click.column;
    }
    // A fresh showing sorts by date, newest first, again.
    auto again = Register();
    EXPECT_EQ(again->SortColumn(), 2);
    EXPECT_TRUE(again->SortDescending());
}

TEST_F(AccountRegisterTest, TheFirstDataRowAndEveryOtherOneAfterItAreShaded)
{
    ScriptedMessages messages;
    auto frame = Register(); // 2, 3, 4
    frame->Grid->clearSelection();
    const QImage image = frame->Grid->viewport()->grab().toImage();
    // Left of the drawn check box, clear of any frame at the cell's edge.
    const auto colour = [&](int row) {
        const QRect cell = frame->Grid->visualRect(frame->Model()->index(row, TRegisterModel::ColPassed));
        return image.pixelColor(cell.left() + 3, cell.center().y());
    };
    EXPECT_EQ(colour(0), QColor(204, 238, 255));
    EXPECT_EQ(colour(1), frame->Grid->palette().color(QPalette::Base));
    EXPECT_EQ(colour(2), QColor(204, 238, 255));
}

TEST_F(AccountRegisterTest, ARefreshKeepsTheListScrolledToItsColumns)
{
    ScriptedMessages messages;
    main->SaveRememberedWidth(kNotesColWidth, 400);
    auto frame = Register();
    frame->resize(420, 300);
    QCoreApplication::processEvents();
    QScrollBar* scroll = frame->Grid->horizontalScrollBar();
    ASSERT_GT(scroll->maximum(), 2);
    scroll->setValue(2);
    frame->cmboDate->setCurrentIndex(0); // lists everything, from a new query
    ASSERT_EQ(Listed(*frame).size(), 9);
    EXPECT_EQ(scroll->value(), 2);
    EXPECT_EQ(frame->GridHeader->logicalIndexAt(0), TRegisterModel::ColDate);
    EXPECT_FALSE(frame->pnlID->isVisible());
    EXPECT_EQ(frame->CurrentTransaction(), 2);
}

TEST_F(AccountRegisterTest, AFilterOrAMarkOfAnAccountDeletedMeanwhileIsRefused)
{
    ScriptedMessages messages;
    auto frame = Register();
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Deleted = 't' WHERE ROWID = 1"));
    const QString marks = QStringLiteral("SELECT group_concat(Passed, '') FROM Transactions");
    const QString before = Value(marks);
    messages.Expect(QStringLiteral("This account no longer exists."));
    frame->cmboDate->setCurrentIndex(0);
    EXPECT_EQ(Value(QStringLiteral("SELECT Age FROM Accounts WHERE ROWID = 1")), QStringLiteral("3"));
    messages.Expect(QStringLiteral("This account no longer exists."));
    QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, CellCentre(*frame, 0, 0));
    messages.Expect(QStringLiteral("This account no longer exists."));
    QTest::keyClick(frame->Grid, Qt::Key_Space);
    EXPECT_EQ(Value(marks), before);
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

// ----------------------------------------------------------------------------------------------------------
// The passed mark

TEST_F(AccountRegisterTest, AClickOnTheMarkIsStoredListedAgainAndUndone)
{
    ScriptedMessages messages;
    auto frame = Register(); // unpassed only: 2, 3, 4
    ASSERT_EQ(Listed(*frame), (QList<qint64>{2, 3, 4}));
    QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, CellCentre(*frame, 0, 0));
    EXPECT_EQ(Passed(2), QStringLiteral("t"));
    // The filter shows unpassed transactions only: the row goes at once, and the statement balance follows.
    EXPECT_EQ(Listed(*frame), (QList<qint64>{3, 4}));
    EXPECT_EQ(frame->lblPassBal->text(), QStringLiteral("575.00"));
    ASSERT_TRUE(main->Journal().UndoEnabled());
    main->UndoLastGroup();
    EXPECT_EQ(Passed(2), QStringLiteral("f"));
    EXPECT_FALSE(main->Journal().UndoEnabled());

    // A click elsewhere in the row only selects it.
    QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, CellCentre(*frame, 1, TRegisterModel::ColNotes));
    EXPECT_EQ(Passed(4), QStringLiteral("f"));
    EXPECT_EQ(frame->CurrentTransaction(), 4);
}

TEST_F(AccountRegisterTest, SpaceTogglesTheMarkWithoutUndoAndKeepsTheRowUntilTheNextRefresh)
{
    ScriptedMessages messages;
    auto frame = Register();
    frame->Grid->setFocus();
    frame->Grid->setCurrentIndex(frame->Model()->index(1, 0));
    QTest::keyClick(frame->Grid, Qt::Key_Space);
    EXPECT_EQ(Passed(3), QStringLiteral("t"));
    EXPECT_TRUE(frame->Model()->Passed(1));
    EXPECT_EQ(Listed(*frame), (QList<qint64>{2, 3, 4}));
    EXPECT_EQ(frame->lblPassBal->text(), QStringLiteral("600.00"));
    EXPECT_FALSE(main->Journal().UndoEnabled());
    QTest::keyClick(frame->Grid, Qt::Key_Space);
    EXPECT_EQ(Passed(3), QStringLiteral("f"));
    frame->RefreshList();
    frame->RefreshBalances();
    EXPECT_EQ(Listed(*frame), (QList<qint64>{2, 3, 4}));
}

TEST_F(AccountRegisterTest, AMarkOfATransactionGoneMeanwhileIsRefused)
{
    ScriptedMessages messages;
    auto frame = Register();
    main->StoreExec(QStringLiteral("DELETE FROM Transactions WHERE ROWID = 2"));
    messages.Expect(QStringLiteral("This transaction no longer exists."));
    QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, CellCentre(*frame, 0, 0));
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE ROWID = 2")), QStringLiteral("0"));
    EXPECT_FALSE(main->Journal().UndoEnabled());
}

// ----------------------------------------------------------------------------------------------------------
// Widths, modes and the tree

TEST_F(AccountRegisterTest, ADraggedColumnWidthIsSavedForEveryAccountAndDoesNotSort)
{
    ScriptedMessages messages;
    auto frame = Register();
    frame->GridHeader->resizeSection(TRegisterModel::ColAmount, 151);
    frame->GridMouseUp(true, QPoint(frame->GridHeader->sectionViewportPosition(3) + 10, 5));
    EXPECT_EQ(frame->SortColumn(), 2);
    EXPECT_EQ(main->RememberedWidth(kAmountColWidth), 151 - TframAccount::kGridLineWidth);
    platform::TSettingsKey display;
    ASSERT_TRUE(display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false));
    EXPECT_EQ(display.ReadInteger(QStringLiteral("AmountColWidth")), 150);
    EXPECT_EQ(frame->pnlAmount->width(), 151);

    auto savings = Register(2);
    EXPECT_EQ(savings->GridHeader->sectionSize(TRegisterModel::ColAmount), 151);
    EXPECT_EQ(savings->pnlAmount->x(), savings->pnlDate->x() + savings->pnlDate->width());
}

TEST_F(AccountRegisterTest, ADraggedWidthIsShownByTheNextStartOfTheProgram)
{
    ScriptedMessages messages;
    {
        auto frame = Register();
        frame->GridHeader->resizeSection(TRegisterModel::ColNotes, 121);
        frame->GridMouseUp(false, CellCentre(*frame, 0, TRegisterModel::ColNotes));
    }
    main.reset();
    main = std::make_unique<TfrmMain>();
    main->FormShow();
    auto frame = Register(2);
    EXPECT_EQ(frame->GridHeader->sectionSize(TRegisterModel::ColNotes), 121);
    EXPECT_EQ(frame->pnlNotes->x(), frame->pnlParty->x() + frame->pnlParty->width());
}

TEST_F(AccountRegisterTest, AWidthChangedMeanwhileIsStoredFromTheRegisterReleasedOver)
{
    ScriptedMessages messages;
    auto frame = Register();
    // Another register stored a width of its own meanwhile; this one still shows the form's.
    main->SaveRememberedWidth(kPartyColWidth, 120);
    frame->GridMouseUp(false, CellCentre(*frame, 0, TRegisterModel::ColNotes));
    EXPECT_EQ(main->RememberedWidth(kPartyColWidth), TframAccount::kFormWidths[TRegisterModel::ColParty]);
}

TEST_F(AccountRegisterTest, ADragInTheResultsOfASearchIsKeptThereAndNotStored)
{
    ScriptedMessages messages;
    platform::TSettingsKey display;
    ASSERT_TRUE(display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false));
    const int stored = display.ReadInteger(QStringLiteral("AmountColWidth"));
    auto frame = Results(TframAccount::Mode::SearchResults);
    frame->GridHeader->resizeSection(TRegisterModel::ColAmount, 151);
    frame->GridMouseUp(true, QPoint(frame->GridHeader->sectionViewportPosition(TRegisterModel::ColAmount) + 10, 5));
    EXPECT_EQ(frame->SortColumn(), TRegisterModel::ColDate);
    EXPECT_EQ(display.ReadInteger(QStringLiteral("AmountColWidth")), stored);
    EXPECT_EQ(main->RememberedWidth(kAmountColWidth), 0);
    frame->RefreshList();
    EXPECT_EQ(frame->GridHeader->sectionSize(TRegisterModel::ColAmount), 151);
    auto account = Register();
    EXPECT_EQ(account->GridHeader->sectionSize(TRegisterModel::ColAmount),
              TframAccount::kFormWidths[TRegisterModel::ColAmount] + TframAccount::kGridLineWidth);
}

TEST_F(AccountRegisterTest, TheFilterRowFollowsTheColumnsScrolledAside)
{
    ScriptedMessages messages;
    main->SaveRememberedWidth(kNotesColWidth, 400);
    auto frame = Register();
    frame->resize(420, 300);
    QCoreApplication::processEvents();
    QScrollBar* scroll = frame->Grid->horizontalScrollBar();
    const auto overItsColumn = [&](QWidget* panel, int column) {
        return panel->isVisible() &&
               panel->x() == frame->Grid->frameWidth() + frame->GridHeader->sectionViewportPosition(column);
    };
    ASSERT_GT(scroll->maximum(), 2);
    scroll->setValue(2);
    EXPECT_FALSE(frame->pnlPassed->isVisible());
    EXPECT_FALSE(frame->pnlID->isVisible());
    EXPECT_EQ(frame->pnlDate->x(), frame->Grid->frameWidth());
    EXPECT_TRUE(overItsColumn(frame->pnlAmount, TRegisterModel::ColAmount));
    EXPECT_TRUE(overItsColumn(frame->pnlNotes, TRegisterModel::ColNotes));
    // Scrolled to the end, the notes column stands at the right edge and its filter over it.
    scroll->setValue(scroll->maximum());
    EXPECT_TRUE(overItsColumn(frame->pnlNotes, TRegisterModel::ColNotes));
    scroll->setValue(0);
    EXPECT_TRUE(overItsColumn(frame->pnlPassed, TRegisterModel::ColPassed));
    EXPECT_TRUE(overItsColumn(frame->pnlID, TRegisterModel::ColID));
}

TEST_F(AccountRegisterTest, ResultsModeListsWhatItsProviderAdmitsWithoutEntryCommands)
{
    ScriptedMessages messages;
    TframAccount frame(*main);
    frame.resize(700, 400);
    frame.show();
    frame.SetConditionProvider([](const TframAccount&) { return QStringLiteral(" AND (Transactions.Amount < 0)"); });
    frame.ShowResults(1);
    EXPECT_EQ(Sorted(Listed(frame)), (QList<qint64>{2, 3, 4, 9, 11, 13}));
    for (QWidget* hidden :
         {static_cast<QWidget*>(frame.spdDeposit), static_cast<QWidget*>(frame.spdCheck),
          static_cast<QWidget*>(frame.spdTransfer), static_cast<QWidget*>(frame.spdImport),
          static_cast<QWidget*>(frame.spdSearch), frame.pnlFilter, frame.pnlBalance, frame.pnlCofferlyBalance})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(frame.spdEdit->isVisible());
    EXPECT_TRUE(frame.spdDelete->isVisible());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(frame.GridHeader->sectionSize(i), TframAccount::kFormWidths[size_t(i)] + 1);
    QTest::keyRelease(frame.Grid, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("Search.htm")}));
}

TEST_F(AccountRegisterTest, ImportedModeListsWhatItsProviderAdmitsAndShowsTheSearchTopic)
{
    ScriptedMessages messages;
    // The account's own filters (unpassed, of the last month) would list 2, 3 and 4 only.
    auto frame = Results(TframAccount::Mode::Imported);
    EXPECT_EQ(frame->CurrentMode(), TframAccount::Mode::Imported);
    EXPECT_EQ(frame->AccountConditions(), QString());
    EXPECT_EQ(Sorted(Listed(*frame)), (QList<qint64>{2, 3, 4, 9, 11, 13}));
    EXPECT_FALSE(frame->pnlFilter->isVisible());
    EXPECT_FALSE(frame->spdDeposit->isVisible());
    QTest::keyRelease(frame->Grid, Qt::Key_F1);
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("Search.htm")}));
}

// ----------------------------------------------------------------------------------------------------------
// Keys and the mouse that start commands. Every case runs under scripted dialogs: a dialog that a case does
// not expect fails it.

enum class Gesture
{
    Plus,
    Minus,
    Equals,
    Enter,
    DoubleClick,
};

struct KeyCase
{
    const char* name;
    TframAccount::Mode mode;
    Gesture gesture;
    // The wizard the gesture opens, or none.
    std::optional<TfrmCheckWizard::Mode> wizard;
};

class RegisterKeyTest : public AccountRegisterTest, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(RegisterKeyTest, OpensTheWizardOfItsCommandOrNothing)
{
    const KeyCase& c = GetParam();
    ScriptedMessages messages;
    auto frame = c.mode == TframAccount::Mode::Account ? Register() : Results(c.mode);
    // Both lists begin with the debit of 25.00 (ROWID 2), current.
    ASSERT_EQ(frame->CurrentTransaction(), 2);
    const QString rows = QStringLiteral("SELECT group_concat(ROWID || ':' || Amount) FROM Transactions");
    const QString before = Value(rows);
    ScriptedDialogs dialogs;
    if (c.wizard)
        dialogs.Expect<TfrmCheckWizard>([&c](TfrmCheckWizard& wizard) {
            EXPECT_EQ(wizard.CurrentMode(), *c.wizard);
            if (c.gesture == Gesture::Enter || c.gesture == Gesture::DoubleClick) {
                EXPECT_EQ(wizard.edAmount->text(), QStringLiteral("25.00"));
            }
            return int(QDialog::Rejected);
        });
    switch (c.gesture) {
    case Gesture::Plus:
        QTest::keyClick(frame->Grid, Qt::Key_Plus);
        break;
    case Gesture::Minus:
        QTest::keyClick(frame->Grid, Qt::Key_Minus);
        break;
    case Gesture::Equals:
        QTest::keyClick(frame->Grid, Qt::Key_Equal);
        break;
    case Gesture::Enter:
        QTest::keyClick(frame->Grid, Qt::Key_Return);
        break;
    case Gesture::DoubleClick: {
        // The toolkit's double click is the second press of two.
        const QPoint notes = CellCentre(*frame, 0, TRegisterModel::ColNotes);
        QTest::mouseClick(frame->Grid->viewport(), Qt::LeftButton, {}, notes);
        QTest::mouseDClick(frame->Grid->viewport(), Qt::LeftButton, {}, notes);
        break;
    }
    }
    EXPECT_EQ(dialogs.Pending(), 0);
    EXPECT_EQ(Value(rows), before);
}

using Mode = TframAccount::Mode;
using Wizard = TfrmCheckWizard::Mode;
INSTANTIATE_TEST_SUITE_P(
    Keys, RegisterKeyTest,
    ::testing::Values(KeyCase{"PlusEntersACredit", Mode::Account, Gesture::Plus, Wizard::Credit},
                      KeyCase{"MinusEntersADebit", Mode::Account, Gesture::Minus, Wizard::Debit},
                      KeyCase{"EqualsEntersATransfer", Mode::Account, Gesture::Equals, Wizard::Transfer},
                      KeyCase{"EnterEdits", Mode::Account, Gesture::Enter, Wizard::Debit},
                      KeyCase{"DoubleClickEdits", Mode::Account, Gesture::DoubleClick, Wizard::Debit},
                      KeyCase{"PlusIgnoredInResults", Mode::SearchResults, Gesture::Plus, std::nullopt},
                      KeyCase{"MinusIgnoredInResults", Mode::SearchResults, Gesture::Minus, std::nullopt},
                      KeyCase{"EqualsIgnoredInResults", Mode::SearchResults, Gesture::Equals, std::nullopt},
                      KeyCase{"PlusIgnoredInImported", Mode::Imported, Gesture::Plus, std::nullopt},
                      KeyCase{"EnterEditsInResults", Mode::SearchResults, Gesture::Enter, Wizard::Debit},
                      KeyCase{"DoubleClickEditsInImported", Mode::Imported, Gesture::DoubleClick, Wizard::Debit}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(AccountRegisterTest, DeleteActsWhenTheKeyIsReleased)
{
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    auto frame = Register();
    ASSERT_EQ(frame->CurrentTransaction(), 2);
    QTest::keyPress(frame->Grid, Qt::Key_Delete);
    EXPECT_EQ(messages.Shown().size(), 0u);
    messages.Expect(QStringLiteral("Are you sure you want to delete this transaction?"), MsgAnswer::Yes);
    QTest::keyRelease(frame->Grid, Qt::Key_Delete);
    EXPECT_EQ(Value(QStringLiteral("SELECT count(*) FROM Transactions WHERE ROWID = 2")), QStringLiteral("0"));
    EXPECT_EQ(Listed(*frame), (QList<qint64>{3, 4}));
}

TEST_F(AccountRegisterTest, TheTreeShowsTheRegisterOfTheSelectedAccount)
{
    main->StoreExec(QStringLiteral("UPDATE Accounts SET Name = 'Bob''s \"cash\"' WHERE ROWID = 2"));
    ScriptedMessages messages;
    main->FormShow();
    QTreeWidget* tree = main->Architect()->TreeView();
    QTreeWidgetItem* accounts = tree->topLevelItem(0)->child(3);
    ASSERT_EQ(accounts->childCount(), 3);
    tree->setCurrentItem(accounts->child(0));
    auto* frame = dynamic_cast<TframAccount*>(main->CurrentScreen());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Account(), 2);
    EXPECT_EQ(frame->System(), 1);
    EXPECT_EQ(frame->StatusText(), QStringLiteral("Account: Bob's \"cash\""));
    QTest::keyRelease(frame->Grid, Qt::Key_F1);
    EXPECT_EQ(helpPages.back(), QStringLiteral("AccountTransactionsScreen.htm"));

    // Renamed in the tree, the account is named so in its register's status bar.
    main->Architect()->mitmRenameClick();
    auto* editor = tree->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Cash"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->StatusText(), QStringLiteral("Account: Cash"));
}

} // namespace
