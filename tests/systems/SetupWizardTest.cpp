#include "systems/SetupWizard.h"

#include "ledger/controls/RealEdit.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "systems/SystemScreen.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedDialogs;
using testing_support::ScriptedMessages;

const QString kFirstRun = QStringLiteral("This appears to be your first time running Cofferly.\r\n"
                                         "Would you like to run the Setup Wizard to help you get started?");
const QString kOverview = QStringLiteral("Would you like to read an overview of Cofferly in the help file?\r\n"
                                         "The help is also available by clicking \"Help > Cofferly Help\" in the "
                                         "main menu.");
const QString kMismatch = QStringLiteral("Your retyped password does not match your requested password.\r"
                                         "Please type your password again.");
const QString kFinalText = QStringLiteral("You are now ready to begin using Cofferly.\nYou may create additional "
                                          "Budget Systems and Accounts by right-clicking on the System Tree.\n\nTo "
                                          "make full use of Cofferly's advanced features, click 'Help' to read about "
                                          "Budget Items, Parties, and Budget Rules");

// Another person's system already in the file, with budget items of its own, so that the new system's
// "Unbudgeted" is not the file's first budget item.
const char* const kOtherSystem = "INSERT INTO BudgetSystems (Name) VALUES ('Other');"
                                 "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"
                                 "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Car');"
                                 "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't');";

class SetupWizardTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")), QString::fromLatin1(kOtherSystem));
        InstallHelp();
        for (const char* topic : {"BudgetSystem.htm", "Account.htm", "BudgetRule.htm"})
            testing_support::WriteAll(dir.File(QStringLiteral("help/") + QLatin1String(topic)), "<html></html>");
        main = std::make_unique<TfrmMain>();
        main->AddPlugIn([this](PlugInNotice notice) { notices.push_back(notice); });
        wizard = std::make_unique<TfrmSetupWizard>(*main, main.get());
    }
    void TearDown() override
    {
        wizard.reset();
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TframSetupWizardButtons& Buttons() { return *wizard->framSetupWizardButtons1; }
    // Page 1 filled in and Next pressed.
    void SystemStep(const QString& name, bool noPassword = true, const QString& pass = QString(),
                    const QString& retype = QString())
    {
        TframSetupWizardSystem* page = wizard->SystemPage();
        ASSERT_NE(page, nullptr);
        page->edSysName->setText(name);
        page->chkNoPass->setChecked(noPassword);
        page->edPass->setText(pass);
        page->edPassRetype->setText(retype);
        Buttons().btnNext->click();
    }
    void AccountStep(const QString& name, const QString& amount)
    {
        TframSetupWizardAccount* page = wizard->AccountPage();
        ASSERT_NE(page, nullptr);
        page->edAccountName->setText(name);
        page->edAmount->setText(amount);
        Buttons().btnNext->click();
    }
    QString Value(const QString& sql) { return main->StoreQueryValue(sql); }
    // The cells of the query's rows, "|" between cells and "/" between rows.
    QString Rows(const QString& sql)
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
        return rows.join(QLatin1Char('/'));
    }
    QString Count(const QString& table) { return Value(QStringLiteral("SELECT count(*) FROM %1").arg(table)); }
    QString Unbudgeted(qint64 system)
    {
        return Value(QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE SystemID = %1 AND Name = 'Unbudgeted'")
                         .arg(system));
    }
    static QString Today() { return DayNumberText(platform::Today()); }

    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmSetupWizard> wizard;
    std::vector<PlugInNotice> notices;
};

TEST_F(SetupWizardTest, WindowPagesAndButtonsAsTheyOpen)
{
    EXPECT_EQ(wizard->objectName(), QStringLiteral("frmSetupWizard"));
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Setup Wizard"));
    EXPECT_EQ(wizard->minimumSize(), QSize(490, 302));
    EXPECT_EQ(wizard->maximumSize(), QSize(490, 302));
    EXPECT_EQ(wizard->imgSide->geometry(), QRect(0, 0, 169, 302));
    EXPECT_EQ(Buttons().btnHelp->text(), QStringLiteral("Help"));
    EXPECT_EQ(Buttons().btnFinish->text(), QStringLiteral("Finish"));
    EXPECT_EQ(Buttons().btnNext->text(), QStringLiteral("Next"));
    EXPECT_FALSE(Buttons().btnFinish->isEnabled());
    EXPECT_TRUE(Buttons().btnNext->isDefault());

    TframSetupWizardSystem* system = wizard->SystemPage();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->lblText->text(), QStringLiteral("The primary unit in Cofferly is a Budget System.\nIf there are "
                                                      "multiple users of this program on this computer,\neach one can "
                                                      "have their own budget system and password."));
    EXPECT_EQ(system->lblSysName->text(), QStringLiteral("System name:"));
    EXPECT_EQ(system->edSysName->text(), QStringLiteral("My System"));
    EXPECT_EQ(system->chkNoPass->text(), QStringLiteral("No password"));
    EXPECT_FALSE(system->chkNoPass->isChecked());
    EXPECT_EQ(system->lblPass->text(), QStringLiteral("New password:"));
    EXPECT_EQ(system->lblPassRetype->text(), QStringLiteral("Retype password:"));
    for (QLineEdit* secret : {system->edPass, system->edPassRetype}) {
        EXPECT_EQ(secret->echoMode(), QLineEdit::Password);
        EXPECT_EQ(secret->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, secret), '*');
    }

    // "No password" puts the password fields and their labels out of use, as in the password settings.
    const std::vector<QWidget*> passwordControls = {system->lblPass, system->edPass, system->lblPassRetype,
                                                    system->edPassRetype};
    system->chkNoPass->setChecked(true);
    for (QWidget* w : passwordControls)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(system->edPass->palette().color(QPalette::Base), system->palette().color(QPalette::Button));
    system->chkNoPass->setChecked(false);
    for (QWidget* w : passwordControls)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();

    SystemStep(QStringLiteral("Home"));
    TframSetupWizardAccount* account = wizard->AccountPage();
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->lblText->text(),
              QStringLiteral("In order to use Cofferly, you should create at least one account.\nThis can represent an "
                             "actual account, such as a checking account, or it can represent a conceptual account, "
                             "such as keeping track of cash on hand."));
    EXPECT_EQ(account->lblAccountName->text(), QStringLiteral("Account name:"));
    EXPECT_EQ(account->edAccountName->text(), QStringLiteral("My Account"));
    EXPECT_EQ(account->lblAmount->text(), QStringLiteral("Initial balance:"));
    EXPECT_EQ(account->edAmount->text(), QStringLiteral("0.00"));
    EXPECT_TRUE(account->edAmount->AllowNegatives());
    EXPECT_EQ(account->edAmount->DecimalPlaces(), 2);
}

// Each row: the opening balance typed, the hundredths stored. A balance of 0 makes no transaction.
struct BalanceCase
{
    const char* name;
    const char* typed;
    int hundredths;
};

void PrintTo(const BalanceCase& c, std::ostream* os)
{
    *os << c.name;
}

class OpeningBalanceTest : public SetupWizardTest, public ::testing::WithParamInterface<BalanceCase>
{
};

TEST_P(OpeningBalanceTest, IsAPassedTransactionOfTodayAllocatedToTheNewSystemsUnbudgeted)
{
    const BalanceCase& c = GetParam();
    SystemStep(QStringLiteral("Home"));
    AccountStep(QStringLiteral("Checking"), QLatin1String(c.typed));

    const qint64 system = wizard->System();
    const qint64 account = wizard->Account();
    ASSERT_NE(account, 0);
    EXPECT_EQ(Rows(QStringLiteral("SELECT SystemID, Name, Age, Deleted FROM Accounts")),
              QStringLiteral("%1|Checking|3|f").arg(system));
    // The file's first budget item belongs to the other system; the balance goes to this one's.
    const QString unbudgeted = Unbudgeted(system);
    EXPECT_NE(unbudgeted, QStringLiteral("1"));
    if (c.hundredths == 0) {
        EXPECT_EQ(Count(QStringLiteral("Transactions")), QStringLiteral("0"));
        EXPECT_EQ(Count(QStringLiteral("NewBudgetTransactions")), QStringLiteral("0"));
    } else {
        const QString amount = QString::number(c.hundredths);
        EXPECT_EQ(Rows(QStringLiteral("SELECT AccountID, Date, Amount, GrossAmount, SecondPartyID, Notes, Passed, "
                                      "TransID FROM Transactions")),
                  QStringLiteral("%1|%2|%3|%3|0|Initial balance|t|").arg(QString::number(account), Today(), amount));
        const QString transaction = Value(QStringLiteral("SELECT ROWID FROM Transactions"));
        EXPECT_EQ(Rows(QStringLiteral("SELECT BudgetCatID, Amount, TransID, TransDate FROM NewBudgetTransactions")),
                  QStringLiteral("%1|%2|%3|%4").arg(unbudgeted, amount, transaction, Today()));
    }
    EXPECT_EQ(notices,
              (std::vector<PlugInNotice>{PlugInNotice::Systems, PlugInNotice::Parties, PlugInNotice::BudgetItems,
                                         PlugInNotice::Accounts, PlugInNotice::Accounts}));

    // The closing words take the fields' place, and only Finish goes on.
    TframSetupWizardAccount* page = wizard->AccountPage();
    EXPECT_EQ(page->lblText->text(), kFinalText);
    EXPECT_EQ(page->lblText->height(), 150);
    for (QWidget* w : {static_cast<QWidget*>(page->lblAccountName), static_cast<QWidget*>(page->edAccountName),
                       static_cast<QWidget*>(page->lblAmount), static_cast<QWidget*>(page->edAmount)})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(Buttons().btnNext->isEnabled());
    EXPECT_TRUE(Buttons().btnFinish->isEnabled());
    EXPECT_FALSE(Buttons().PendingAction);
    // Next has nothing left to run: a second press writes nothing.
    Buttons().btnNext->click();
    wizard->btnNextClick();
    EXPECT_EQ(Count(QStringLiteral("Accounts")), QStringLiteral("1"));
    // The wizard records nothing to undo.
    EXPECT_FALSE(main->Action(QStringLiteral("mitmUndo"))->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Balances, OpeningBalanceTest,
                         ::testing::Values(BalanceCase{"Zero", "0.00", 0}, BalanceCase{"Negative", "-12.50", -1250},
                                           BalanceCase{"NegativeWithoutLeadingZero", "-.5", -50},
                                           BalanceCase{"Positive", "1234.567", 123456}),
                         [](const ::testing::TestParamInfo<BalanceCase>& info) { return info.param.name; });

// Closing the wizard on its second page keeps the system the first step made, with everything a system
// holds from its creation, and no account.
struct PasswordCase
{
    const char* name;
    bool noPassword;
    const char* pass;
    const char* retype;
    const char* storedPass; // as quote() reads it
};

void PrintTo(const PasswordCase& c, std::ostream* os)
{
    *os << c.name;
}

class SystemStepTest : public SetupWizardTest, public ::testing::WithParamInterface<PasswordCase>
{
};

TEST_P(SystemStepTest, ClosingOnTheAccountPageKeepsTheWholeSystem)
{
    const PasswordCase& c = GetParam();
    // With "No password" the typed ones are not compared: no message.
    ScriptedMessages silent;
    SystemStep(QStringLiteral("Home"), c.noPassword, QLatin1String(c.pass), QLatin1String(c.retype));
    ASSERT_NE(wizard->AccountPage(), nullptr);
    EXPECT_EQ(Buttons().HelpTopic, QStringLiteral("Account.htm"));
    EXPECT_FALSE(Buttons().btnFinish->isEnabled());
    wizard->reject();
    wizard.reset();

    const qint64 system = 2;
    EXPECT_EQ(Rows(QStringLiteral("SELECT ROWID, Name, quote(Pass) FROM BudgetSystems WHERE Name = 'Home'")),
              QStringLiteral("%1|Home|%2").arg(system).arg(QLatin1String(c.storedPass)));
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name, Deleted FROM BudgetCategories WHERE SystemID = 2")),
              QStringLiteral("Unbudgeted|f"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name, Deleted FROM Parties WHERE SystemID = 2")),
              QStringLiteral("Transfer|t"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
                                  "AccountID, Priority, AllDeposits, PartyID FROM BudgetRules WHERE SystemID = 2")),
              QStringLiteral("t|Net Deposit|10000|0|%1|t||0|t|").arg(Unbudgeted(system)));
    EXPECT_EQ(Count(QStringLiteral("Accounts")), QStringLiteral("0"));
    EXPECT_EQ(Count(QStringLiteral("Transactions")), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Passwords, SystemStepTest,
                         ::testing::Values(PasswordCase{"NoPassword", true, "", "", "NULL"},
                                           PasswordCase{"NoPasswordIgnoresTypedOne", true, "abc1", "abc1", "NULL"},
                                           PasswordCase{"NoPasswordIgnoresTwoDifferentOnes", true, "abc1", "xyz9",
                                                        "NULL"},
                                           PasswordCase{"Password", false, "abc1", "abc1", "'abc1'"},
                                           PasswordCase{"BothFieldsEmpty", false, "", "", "''"}),
                         [](const ::testing::TestParamInfo<PasswordCase>& info) { return info.param.name; });

TEST_F(SetupWizardTest, FinishOnlyAfterTheAccountStepAndThenOffersTheOverview)
{
    ScriptedMessages messages;
    // Disabled on both pages; pressed anyway, it neither closes nor writes.
    EXPECT_FALSE(Buttons().btnFinish->isEnabled());
    wizard->btnFinishClick();
    EXPECT_NE(wizard->SystemPage(), nullptr);
    EXPECT_EQ(wizard->result(), 0);
    EXPECT_EQ(Count(QStringLiteral("BudgetSystems")), QStringLiteral("1"));
    SystemStep(QStringLiteral("Home"));
    EXPECT_FALSE(Buttons().btnFinish->isEnabled());
    Buttons().btnFinish->click();
    EXPECT_EQ(wizard->result(), 0);
    EXPECT_EQ(Count(QStringLiteral("Accounts")), QStringLiteral("0"));

    AccountStep(QStringLiteral("Checking"), QStringLiteral("10"));
    EXPECT_TRUE(Buttons().btnFinish->isDefault());
    messages.Expect(kOverview, MsgAnswer::No);
    Buttons().btnFinish->click();
    EXPECT_EQ(wizard->result(), int(QDialog::Accepted));
    EXPECT_TRUE(helpPages.empty());

    // Yes shows the overview before the wizard closes.
    TfrmSetupWizard again(*main, main.get());
    again.SystemPage()->edSysName->setText(QStringLiteral("Second"));
    again.SystemPage()->chkNoPass->setChecked(true);
    again.framSetupWizardButtons1->btnNext->click();
    again.framSetupWizardButtons1->btnNext->click();
    messages.Expect(kOverview, MsgAnswer::Yes);
    again.framSetupWizardButtons1->btnFinish->click();
    EXPECT_EQ(again.result(), int(QDialog::Accepted));
    EXPECT_EQ(helpPages, std::vector<QString>{QStringLiteral("Overview.htm")});
    EXPECT_EQ(Value(QStringLiteral("SELECT Name FROM Accounts WHERE SystemID = %1").arg(again.System())),
              QStringLiteral("My Account"));
}

TEST_F(SetupWizardTest, MismatchedPasswordsAreTypedAgain)
{
    TframSetupWizardSystem* page = wizard->SystemPage();
    wizard->show();
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
    page->edSysName->setFocus();
    ScriptedMessages messages;
    messages.Expect(kMismatch);
    SystemStep(QStringLiteral("Home"), false, QStringLiteral("abc1"), QStringLiteral("abc2"));
    EXPECT_EQ(messages.Pending(), 0);
    EXPECT_EQ(wizard->SystemPage(), page);
    EXPECT_TRUE(page->edPass->text().isEmpty());
    EXPECT_TRUE(page->edPassRetype->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), page->edPass);
    EXPECT_EQ(Count(QStringLiteral("BudgetSystems")), QStringLiteral("1"));

    // Typed again alike, they are taken.
    SystemStep(QStringLiteral("Home"), false, QStringLiteral("abc1"), QStringLiteral("abc1"));
    EXPECT_EQ(Value(QStringLiteral("SELECT Pass FROM BudgetSystems WHERE Name = 'Home'")), QStringLiteral("abc1"));
    wizard->hide();
}

TEST_F(SetupWizardTest, AMismatchIsToldAloneEvenWithAnEmptyName)
{
    ScriptedMessages messages;
    messages.Expect(kMismatch);
    SystemStep(QString(), false, QStringLiteral("abc1"), QStringLiteral("abc2"));
    EXPECT_EQ(messages.Shown(), std::vector<QString>{kMismatch});
    EXPECT_NE(wizard->SystemPage(), nullptr);
    EXPECT_EQ(Count(QStringLiteral("BudgetSystems")), QStringLiteral("1"));
}

TEST_F(SetupWizardTest, ClosingOnTheFirstPageWritesNothing)
{
    const QByteArray before = testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db")));
    ScriptedMessages silent;
    wizard->SystemPage()->edSysName->setText(QStringLiteral("Home"));
    wizard->show();
    wizard->close();
    EXPECT_EQ(wizard->result(), int(QDialog::Rejected));
    wizard.reset();
    EXPECT_EQ(testing_support::ReadAll(dir.File(QStringLiteral("Cofferly.db"))), before);
    EXPECT_TRUE(notices.empty());
}

// Keys typed one by one go through the fields' filters, and what is left reaches the file.
TEST_F(SetupWizardTest, TypedKeysReachTheFileThroughTheFieldsFilters)
{
    ScriptedMessages silent;
    TframSetupWizardSystem* page = wizard->SystemPage();
    page->edSysName->clear();
    QTest::keyClicks(page->edSysName, QStringLiteral("Fam_ily%"));
    QTest::keyClicks(page->edPass, QStringLiteral("pw1"));
    QTest::keyClicks(page->edPassRetype, QStringLiteral("p'w\"1 _%"));
    EXPECT_EQ(page->edPassRetype->text(), QStringLiteral("pw1"));
    Buttons().btnNext->click();
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name, Pass FROM BudgetSystems WHERE ROWID = %1").arg(wizard->System())),
              QStringLiteral("Family|pw1"));

    TframSetupWizardAccount* account = wizard->AccountPage();
    ASSERT_NE(account, nullptr);
    account->edAccountName->clear();
    QTest::keyClicks(account->edAccountName, QStringLiteral("Dad's \"Cash\" 5%_"));
    EXPECT_EQ(account->edAccountName->text(), QStringLiteral("Dad's Cash 5"));
    Buttons().btnNext->click();
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(wizard->Account())),
              QStringLiteral("Dad's Cash 5"));
}

// Enter in a field presses the default button through the dialog's own key handling. The page holding the
// field is replaced meanwhile: it goes only once the key has been handled, and then it does go.
TEST_F(SetupWizardTest, EnterInAFieldGoesOnFromEachPage)
{
    ScriptedMessages messages;
    wizard->show();
    TframSetupWizardSystem* first = wizard->SystemPage();
    QPointer<QFrame> firstPage(first);
    first->edPass->setText(QStringLiteral("abc1"));
    first->edPassRetype->setText(QStringLiteral("abc1"));
    QTest::keyClick(first->edPassRetype, Qt::Key_Return);
    TframSetupWizardAccount* account = wizard->AccountPage();
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(Value(QStringLiteral("SELECT Pass FROM BudgetSystems WHERE Name = 'My System'")), QStringLiteral("abc1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(firstPage.isNull());

    account->edAmount->setText(QStringLiteral("7"));
    QTest::keyClick(account->edAmount, Qt::Key_Return);
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name, Amount FROM Accounts JOIN Transactions ON AccountID = Accounts.ROWID")),
              QStringLiteral("My Account|700"));
    EXPECT_TRUE(account->edAmount->isHidden());
    EXPECT_EQ(wizard->AccountPage(), account);

    // On the closing words Enter finishes.
    messages.Expect(kOverview, MsgAnswer::No);
    QTest::keyClick(Buttons().btnFinish, Qt::Key_Return);
    EXPECT_EQ(wizard->result(), int(QDialog::Accepted));
    EXPECT_EQ(messages.Pending(), 0);
}

TEST_F(SetupWizardTest, F1OnThePasswordAndAmountFieldsAndAfterTheClosingWords)
{
    ScriptedMessages silent;
    auto f1 = [](QWidget* w) { QTest::keyRelease(w, Qt::Key_F1); };
    f1(wizard->SystemPage()->edPass);
    f1(wizard->SystemPage()->edPassRetype);
    SystemStep(QStringLiteral("Home"));
    f1(wizard->AccountPage()->edAmount);
    AccountStep(QStringLiteral("Checking"), QStringLiteral("0"));
    // The page keeps its topic; the buttons have moved on to the budget rules.
    f1(wizard->AccountPage()->lblText);
    f1(Buttons().btnFinish);
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("BudgetSystem.htm"), QStringLiteral("BudgetSystem.htm"),
                                               QStringLiteral("Account.htm"), QStringLiteral("Account.htm"),
                                               QStringLiteral("BudgetRule.htm")}));
}

TEST_F(SetupWizardTest, TheSidePictureIsLoadedWhenTheWindowIsShown)
{
    EXPECT_TRUE(wizard->imgSide->pixmap().isNull());
    wizard->show();
    const QPixmap shown = wizard->imgSide->pixmap();
    EXPECT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(169, 302));
    wizard->hide();
}

// Each row: what the page is given, the message it answers with. Nothing is written and the page stays.
struct RefusalCase
{
    const char* name;
    bool accountPage;
    const char* text; // the system's name, or on the account page the account's
    const char* amount;
    const char* message;
    bool messageWhole;
    // Run on the data file just before the step (on the account page, after the system step).
    const char* prepare = nullptr;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusalTest : public SetupWizardTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(RefusalTest, ChangesNothingAndTheStepStaysPending)
{
    const RefusalCase& c = GetParam();
    ScriptedMessages messages;
    if (c.messageWhole)
        messages.Expect(QLatin1String(c.message));
    else
        messages.ExpectContaining(QLatin1String(c.message));
    const auto prepare = [&] {
        if (c.prepare)
            main->StoreExec(QLatin1String(c.prepare));
    };
    if (!c.accountPage) {
        prepare();
        SystemStep(QLatin1String(c.text));
        EXPECT_NE(wizard->SystemPage(), nullptr);
        // Nothing of a system without its base rule stays.
        EXPECT_EQ(Count(QStringLiteral("BudgetSystems")), QStringLiteral("1"));
        EXPECT_EQ(Count(QStringLiteral("BudgetCategories")), QStringLiteral("2"));
        EXPECT_EQ(Count(QStringLiteral("Parties")), QStringLiteral("1"));
        EXPECT_EQ(Count(QStringLiteral("BudgetRules")), QStringLiteral("0"));
        EXPECT_EQ(wizard->System(), 0);
        EXPECT_EQ(Buttons().HelpTopic, QStringLiteral("BudgetSystem.htm"));
    } else {
        SystemStep(QStringLiteral("Home"));
        prepare();
        AccountStep(QLatin1String(c.text), QLatin1String(c.amount));
        ASSERT_NE(wizard->AccountPage(), nullptr);
        EXPECT_FALSE(wizard->AccountPage()->edAccountName->isHidden());
        EXPECT_EQ(Count(QStringLiteral("Accounts")), QStringLiteral("0"));
        EXPECT_EQ(Count(QStringLiteral("Transactions")), QStringLiteral("0"));
        EXPECT_EQ(Count(QStringLiteral("NewBudgetTransactions")), QStringLiteral("0"));
        EXPECT_EQ(wizard->Account(), 0);
        EXPECT_TRUE(Buttons().btnNext->isEnabled());
        EXPECT_EQ(Buttons().HelpTopic, QStringLiteral("Account.htm"));
    }
    EXPECT_FALSE(Buttons().btnFinish->isEnabled());
    EXPECT_EQ(messages.Pending(), 0);
    EXPECT_TRUE(Buttons().PendingAction);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        RefusalCase{"EmptySystemName", false, "", "", "You must give your Budget System a name.", true},
        RefusalCase{"BlankSystemName", false, "   ", "", "You must give your Budget System a name.", true},
        RefusalCase{"TakenSystemName", false, "Other", "",
                    "A budget system named \"Other\" already exists.\rPlease choose another name.", true},
        RefusalCase{"EmptyAccountName", true, "", "5.00", "You must give your Account a name.", true},
        RefusalCase{"BlankAccountName", true, " ", "5.00", "You must give your Account a name.", true},
        RefusalCase{"AmountTooLarge", true, "Checking", "30000000.00", "is not a valid integer value", false},
        // A statement the file refuses takes the whole step back with it.
        RefusalCase{
            "SystemStepStatementFails", false, "Home", "", "The change could not be saved: no base rule", true,
            "CREATE TRIGGER NoRule BEFORE INSERT ON BudgetRules BEGIN SELECT RAISE(ABORT, 'no base rule'); END"},
        RefusalCase{"AccountStepStatementFails", true, "Checking", "5.00",
                    "The change could not be saved: no allocation", true,
                    "CREATE TRIGGER NoAllocation BEFORE INSERT ON NewBudgetTransactions BEGIN "
                    "SELECT RAISE(ABORT, 'no allocation'); END"},
        RefusalCase{"SystemGoneBeforeTheAccountStep", true, "Checking", "5.00", "This budget system no longer exists.",
                    true, "DELETE FROM BudgetSystems WHERE Name = 'Home'"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(SetupWizardTest, NamesAreStoredExactlyAsTheFieldsHoldThem)
{
    TframSetupWizardSystem* page = wizard->SystemPage();
    TframSetupWizardAccount* account = nullptr;
    // The characters the data file would not keep as typed never reach the fields, typed or set.
    page->edSysName->clear();
    QTest::keyClicks(page->edSysName, QStringLiteral("Bob's \"Home\" 100%_"));
    EXPECT_EQ(page->edSysName->text(), QStringLiteral("Bob's Home 100"));
    page->edPass->clear();
    QTest::keyClicks(page->edPass, QStringLiteral("a'b\"c 1"));
    EXPECT_EQ(page->edPass->text(), QStringLiteral("abc1"));
    page->edSysName->setText(QStringLiteral("Mom's \"Fund\""));
    EXPECT_EQ(page->edSysName->text(), QStringLiteral("Mom's Fund"));

    // What the fields hold goes into the file as it stands: apostrophes, and words that name columns.
    SystemStep(QStringLiteral("Mom's Fund"));
    account = wizard->AccountPage();
    ASSERT_NE(account, nullptr);
    account->edAccountName->setText(QStringLiteral("Dad's \"Cash\""));
    EXPECT_EQ(account->edAccountName->text(), QStringLiteral("Dad's Cash"));
    AccountStep(QStringLiteral("Name"), QStringLiteral("1.00"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name FROM BudgetSystems WHERE ROWID = %1").arg(wizard->System())),
              QStringLiteral("Mom's Fund"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(wizard->Account())),
              QStringLiteral("Name"));
    EXPECT_EQ(Count(QStringLiteral("Accounts")), QStringLiteral("1"));
}

TEST_F(SetupWizardTest, HelpFollowsThePageAndTheControl)
{
    ScriptedMessages messages;
    auto f1 = [](QWidget* w) { QTest::keyRelease(w, Qt::Key_F1); };
    TframSetupWizardSystem* system = wizard->SystemPage();
    f1(system->edSysName);
    f1(system->chkNoPass);
    f1(Buttons().btnNext);
    Buttons().btnHelp->click();
    SystemStep(QStringLiteral("Home"));
    f1(wizard->AccountPage()->edAccountName);
    f1(Buttons().btnFinish);
    Buttons().btnHelp->click();
    AccountStep(QStringLiteral("Checking"), QStringLiteral("0"));
    f1(Buttons().btnHelp);
    Buttons().btnHelp->click();
    // An unset topic counts as the overview.
    Buttons().HelpTopic.clear();
    Buttons().btnHelp->click();
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("BudgetSystem.htm"), QStringLiteral("BudgetSystem.htm"),
                                               QStringLiteral("BudgetSystem.htm"), QStringLiteral("BudgetSystem.htm"),
                                               QStringLiteral("Account.htm"), QStringLiteral("Account.htm"),
                                               QStringLiteral("Account.htm"), QStringLiteral("BudgetRule.htm"),
                                               QStringLiteral("BudgetRule.htm"), QStringLiteral("Overview.htm")}));
}

// The very first start: the question answered Yes runs the wizard while the new file is open, and the
// tree built afterwards shows what it made.
class FirstRunTest : public ShellFixture
{
protected:
    FirstRunTest()
    {
        WriteMissingDefaults();
        platform::TSettingsKey display;
        if (display.Open(platform::SettingsScope::User, settings_keys::kDisplay, true))
            display.WriteBool(QStringLiteral("ShowTip"), false);
    }
};

TEST_F(FirstRunTest, YesRunsTheWizardAndTheTreeShowsItsSystemAndAccount)
{
    ASSERT_FALSE(QFile::exists(dir.File(QStringLiteral("Cofferly.db"))));
    TfrmMain main;
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::Yes).Expect(kOverview, MsgAnswer::No);
    bool openDuringWizard = false;
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmSetupWizard>([&](TfrmSetupWizard& wizard) {
            openDuringWizard = main.Data().IsOpen();
            wizard.SystemPage()->edSysName->setText(QStringLiteral("Family"));
            wizard.SystemPage()->chkNoPass->setChecked(true);
            wizard.framSetupWizardButtons1->btnNext->click();
            wizard.AccountPage()->edAccountName->setText(QStringLiteral("Checking"));
            wizard.AccountPage()->edAmount->setText(QStringLiteral("250"));
            wizard.framSetupWizardButtons1->btnNext->click();
            wizard.framSetupWizardButtons1->btnFinish->click();
            return wizard.result();
        });
        main.FormShow();
    }
    EXPECT_TRUE(openDuringWizard);
    EXPECT_FALSE(main.Data().IsOpen());

    QTreeWidget* tree = main.Architect()->TreeView();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* family = tree->topLevelItem(0);
    EXPECT_EQ(family->text(0), QStringLiteral("Family"));
    ASSERT_EQ(family->child(3)->childCount(), 1);
    EXPECT_EQ(family->child(3)->child(0)->text(0), QStringLiteral("Checking"));
    EXPECT_EQ(tree->currentItem(), family);
    auto* screen = dynamic_cast<TframSystem*>(main.CurrentScreen());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->System(), TframArchitect::NodeData(family));
    EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT Amount || '|' || BudgetCatID FROM NewBudgetTransactions")),
              QStringLiteral("25000|1"));
}

// A plug-in that reads the file when it is told of the wizard's changes leaves it open for the wizard and
// for the tree built after it.
TEST_F(FirstRunTest, APlugInReadingDuringTheWizardLeavesTheFileOpenForIt)
{
    TfrmMain main;
    std::vector<QString> seen;
    main.AddPlugIn([&](PlugInNotice) {
        seen.push_back(main.StoreQueryValue(QStringLiteral("SELECT count(*) FROM BudgetSystems")));
    });
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::Yes).Expect(kOverview, MsgAnswer::No);
    bool openAfterNotices = false;
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmSetupWizard>([&](TfrmSetupWizard& wizard) {
            wizard.SystemPage()->chkNoPass->setChecked(true);
            wizard.framSetupWizardButtons1->btnNext->click();
            wizard.framSetupWizardButtons1->btnNext->click();
            openAfterNotices = main.Data().IsOpen();
            wizard.framSetupWizardButtons1->btnFinish->click();
            return wizard.result();
        });
        main.FormShow();
    }
    EXPECT_TRUE(openAfterNotices);
    EXPECT_EQ(seen, std::vector<QString>(5, QStringLiteral("1")));
    EXPECT_FALSE(main.Data().IsOpen());
    QTreeWidget* tree = main.Architect()->TreeView();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("My System"));
    ASSERT_EQ(tree->topLevelItem(0)->child(3)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(3)->child(0)->text(0), QStringLiteral("My Account"));
}

// The data file removed while the program runs is created anew by the next action that opens it, which
// asks the first-run question again in the middle of that action. The action's change was meant for the
// old file, whose ROWIDs the new one reuses: it is refused, and once it has ended the journal is emptied
// and the tree shows the new file.
TEST_F(FirstRunTest, AFileRemovedWhileRunningTakesNoChangeMeantForTheOldOne)
{
    CreateDataFile();
    std::vector<PlugInNotice> notices;
    TfrmMain main;
    QTreeWidget* tree = main.Architect()->TreeView();
    ScriptedMessages messages;
    main.FormShow();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    ASSERT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Home"));
    // An undo group of the old file.
    main.Action(QStringLiteral("mitmNewAccount"))->trigger();
    main.Architect()->FinishEditing();
    ASSERT_TRUE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());

    ASSERT_TRUE(QFile::remove(dir.File(QStringLiteral("Cofferly.db"))));
    messages.Expect(kFirstRun, MsgAnswer::Yes)
        .Expect(kOverview, MsgAnswer::No)
        .Expect(QStringLiteral("The change could not be saved: the data file had gone missing and has been created "
                               "anew; the change was meant for the file that went, so nothing was written."));
    {
        ScriptedDialogs dialogs;
        dialogs.Expect<TfrmSetupWizard>([](TfrmSetupWizard& wizard) {
            wizard.SystemPage()->edSysName->setText(QStringLiteral("Fresh"));
            wizard.SystemPage()->chkNoPass->setChecked(true);
            wizard.framSetupWizardButtons1->btnNext->click();
            wizard.AccountPage()->edAccountName->setText(QStringLiteral("Wallet"));
            wizard.framSetupWizardButtons1->btnNext->click();
            wizard.framSetupWizardButtons1->btnFinish->click();
            return wizard.result();
        });
        // The command asks the system's password first, and that read creates the file; the new file's
        // system has the old one's ROWID.
        main.Action(QStringLiteral("mitmNewAccount"))->trigger();
    }
    EXPECT_EQ(messages.Pending(), 0);
    EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT group_concat(Name) FROM Accounts")),
              QStringLiteral("Wallet"));
    EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT group_concat(ROWID || Name) FROM BudgetSystems")),
              QStringLiteral("1Fresh"));

    // The plug-ins hear that everything may have changed, once the command has returned.
    main.AddPlugIn([&](PlugInNotice notice) { notices.push_back(notice); });
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(notices, (std::vector<PlugInNotice>{PlugInNotice::Systems, PlugInNotice::BudgetItems,
                                                  PlugInNotice::Parties, PlugInNotice::Accounts}));
    EXPECT_FALSE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* fresh = tree->topLevelItem(0);
    EXPECT_EQ(fresh->text(0), QStringLiteral("Fresh"));
    ASSERT_EQ(fresh->child(3)->childCount(), 1);
    EXPECT_EQ(fresh->child(3)->child(0)->text(0), QStringLiteral("Wallet"));
    EXPECT_EQ(tree->currentItem(), fresh);
    auto* screen = dynamic_cast<TframSystem*>(main.CurrentScreen());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->System(), 1);

    // Built from the new file, the views take changes again.
    main.Action(QStringLiteral("mitmNewAccount"))->trigger();
    main.Architect()->FinishEditing();
    EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT count(*) FROM Accounts WHERE SystemID = 1")),
              QStringLiteral("2"));
    EXPECT_TRUE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
}

} // namespace
