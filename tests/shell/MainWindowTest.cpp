#include "shell/MainWindow.h"

#include "platform/ModalForm.h"
#include "ui/Screen.h"
#include "shell/SettingsDefaults.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "tests/shell/ShellFixture.h"

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QUrl>

namespace {

using platform::MsgAnswer;
using platform::SettingsScope;
using platform::TSettingsKey;
using testing_support::ScriptedMessages;

class MainWindowTest : public ShellFixture
{
protected:
    MainWindowTest()
    {
        CreateDataFile();
        WriteMissingDefaults();
    }
    void WriteDisplay(const QString& name, int value)
    {
        TSettingsKey key;
        ASSERT_TRUE(key.Open(SettingsScope::User, settings_keys::kDisplay, true));
        key.WriteInteger(name, value);
    }
    int ReadDisplay(const QString& name)
    {
        TSettingsKey key;
        EXPECT_TRUE(key.Open(SettingsScope::User, settings_keys::kDisplay, false));
        return key.ReadInteger(name);
    }
};

TEST_F(MainWindowTest, MenusHaveTheirCaptionsAndStartStates)
{
    ScriptedMessages messages;
    TfrmMain main;
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Cofferly"));
    struct Item
    {
        const char* name;
        const char* caption;
        bool enabled;
    };
    const Item items[] = {
        {"mitmImport", "Import data...", true},        {"mitmPrint", "&Print", false},
        {"mitmExit", "E&xit", true},                   {"mitmUndo", "Undo", false},
        {"mitmCofferlyHelp", "Cofferly Help", true},   {"mitmStartupTips", "Show tips on startup", true},
        {"mitmWeb", "Visit us on the Web", true},      {"mitmCreatebackup", "&Create backup...", true},
        {"mitmRestorefrombackup", "&Restore from backup...", true},
        {"mitmBackupRemind", "Remind me to make backups", true},
        {"mitmNewBudgetsystem", "Budget system", true}, {"mitmChangepassword", "Change &password...", true},
        {"mitmNewAccount", "Account", true},           {"mitmDelete", "&Delete", true},
        {"mitmRename", "Rename", true},
        {"mitmShowTip", "Show tip", true},             {"mitmAbout", "About", true},
    };
    for (const Item& item : items) {
        QAction* action = main.Action(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromLatin1(item.caption)) << item.name;
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
    }
    EXPECT_EQ(main.Action(QStringLiteral("mitmUndo"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(main.Action(QStringLiteral("mitmBackupRemind"))->isChecked());
}

TEST_F(MainWindowTest, NormalGeometryRoundTrips)
{
    ScriptedMessages messages;
    WriteDisplay(QStringLiteral("Max"), 0);
    WriteDisplay(QStringLiteral("Width"), 700);
    WriteDisplay(QStringLiteral("Height"), 500);
    WriteDisplay(QStringLiteral("Left"), 30);
    WriteDisplay(QStringLiteral("Top"), 40);
    WriteDisplay(QStringLiteral("ArchWidth"), 150);
    WriteDisplay(QStringLiteral("NotesColWidth"), 333);
    {
        TfrmMain main;
        main.FormShow();
        EXPECT_FALSE(main.isMaximized());
        EXPECT_EQ(main.size(), QSize(700, 500));
        EXPECT_EQ(main.pos(), QPoint(30, 40));
        EXPECT_EQ(main.Architect()->width(), 150);
        EXPECT_EQ(main.RememberedWidths[11], 333);
        EXPECT_EQ(main.RememberedWidths[0], 50);

        main.resize(720, 530);
        main.move(60, 70);
        auto* splitter = main.findChild<QSplitter*>(QStringLiteral("Splitter1"));
        splitter->setSizes({180, 540});
        main.close();
    }
    EXPECT_EQ(ReadDisplay(QStringLiteral("Max")), 0);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Width")), 720);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Height")), 530);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Left")), 60);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Top")), 70);
    EXPECT_EQ(ReadDisplay(QStringLiteral("ArchWidth")), 180);
}

TEST_F(MainWindowTest, ClosingMaximisedKeepsTheNormalGeometry)
{
    ScriptedMessages messages;
    WriteDisplay(QStringLiteral("Width"), 610);
    WriteDisplay(QStringLiteral("Height"), 420);
    WriteDisplay(QStringLiteral("Left"), 5);
    {
        TfrmMain main;
        main.FormShow(); // Max is true by default
        EXPECT_TRUE(main.isMaximized());
        main.close();
    }
    EXPECT_EQ(ReadDisplay(QStringLiteral("Max")), 1);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Width")), 610);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Height")), 420);
    EXPECT_EQ(ReadDisplay(QStringLiteral("Left")), 5);
}

TEST_F(MainWindowTest, EachUnreadableSettingFallsBackAloneAndIsNamedOnce)
{
    {
        TSettingsKey key;
        ASSERT_TRUE(key.Open(SettingsScope::User, settings_keys::kDisplay, true));
        key.WriteString(QStringLiteral("Width"), QStringLiteral("wide"));
        key.WriteString(QStringLiteral("Max"), QStringLiteral("maybe"));
    }
    WriteDisplay(QStringLiteral("Height"), 420);
    WriteDisplay(QStringLiteral("NotesColWidth"), 333);
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("These settings could not be read, and their defaults are used: Width, Max"));
    TfrmMain main;
    main.FormShow();
    EXPECT_TRUE(main.isVisible());
    // The values after the broken ones are still read, and the first start's ShowTip is still written.
    EXPECT_TRUE(main.isMaximized()); // Max falls back to its default, true
    EXPECT_EQ(main.RememberedWidths[11], 333);
    EXPECT_EQ(main.RememberedWidths[0], 50);
    EXPECT_EQ(ReadDisplay(QStringLiteral("ShowTip")), 1);
    EXPECT_EQ(main.Architect()->TreeView()->topLevelItemCount(), 1);
    EXPECT_NE(main.CurrentScreen(), nullptr);
    main.showNormal();
    EXPECT_EQ(main.height(), 420);
    EXPECT_EQ(main.width(), 640);
}

TEST_F(MainWindowTest, ScratchFileIsFreshWhileRunningAndGoneAfterClose)
{
    ScriptedMessages messages;
    const QString scratch = dir.File(QStringLiteral("scratch.db"));
    testing_support::WriteAll(scratch, "left over from a crash");
    TfrmMain main;
    EXPECT_TRUE(QFile::exists(scratch));
    EXPECT_NE(testing_support::ReadAll(scratch), QByteArray("left over from a crash"));
    main.FormShow();
    main.close();
    EXPECT_FALSE(QFile::exists(scratch));
    EXPECT_TRUE(QFile::exists(dir.File(QStringLiteral("Cofferly.db"))));
}

// A screen with a link that runs a command through the busy protocol, as the system screen's links do.
class TLinkScreen : public TScreenFrame
{
public:
    explicit TLinkScreen(IMainWindow& main) : TScreenFrame(ScreenKind::Parties), m_main(main) {}
    void ClickLink(const std::function<void()>& command)
    {
        RunWhileBusy(m_main, command);
        // The handler still reads its own screen after the command; the screen must be alive here.
        m_clicks += 1;
    }

private:
    IMainWindow& m_main;
    int m_clicks = 0;
};

TEST_F(MainWindowTest, ReplacedScreenIsFreedOnlyAfterItsHandlerReturns)
{
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow();
    QPointer<TScreenFrame> systemScreen = main.CurrentScreen();
    ASSERT_TRUE(systemScreen);
    EXPECT_EQ(systemScreen->Kind(), ScreenKind::System);

    auto* link = new TLinkScreen(main);
    QPointer<TScreenFrame> linkScreen = link;
    main.ExchangeScreen(link);
    EXPECT_EQ(main.CurrentScreen(), link);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(systemScreen) << "a replaced screen with no running handler is freed";

    bool aliveDuringDialog = false;
    platform::SetModalInterceptor([&](QDialog&) {
        // The release arrives while the dialog runs its own event loop.
        QCoreApplication::sendPostedEvents();
        aliveDuringDialog = !linkScreen.isNull();
        return int(QDialog::Accepted);
    });
    link->ClickLink([&] {
        main.ExchangeScreen(new TLinkScreen(main));
        QDialog dialog;
        platform::ExecModal(dialog);
    });
    platform::SetModalInterceptor({});
    EXPECT_TRUE(aliveDuringDialog);
    EXPECT_TRUE(linkScreen) << "still alive until the posted release is handled";
    EXPECT_TRUE(linkScreen->ReleasePending);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(linkScreen);
    ASSERT_NE(main.CurrentScreen(), nullptr);
    EXPECT_FALSE(main.Action(QStringLiteral("mitmPrint"))->isEnabled());
}

TEST_F(MainWindowTest, UndoFollowsTheJournalAndNotifiesPlugIns)
{
    struct Case
    {
        const char* notice;
        std::vector<PlugInNotice> expected;
    };
    const Case cases[] = {
        {"Systems", {PlugInNotice::Systems}},     {"Accounts", {PlugInNotice::Accounts}},
        {"BudgetItems", {PlugInNotice::BudgetItems}}, {"Parties", {PlugInNotice::Parties}},
        {"BudgetRules", {}},                       {"Something", {}},
    };
    ScriptedMessages messages;
    TfrmMain main;
    std::vector<PlugInNotice> first, second;
    main.AddPlugIn([&](PlugInNotice n) { first.push_back(n); });
    main.AddPlugIn([&](PlugInNotice n) { second.push_back(n); });
    QAction* undo = main.Action(QStringLiteral("mitmUndo"));
    for (const Case& c : cases) {
        first.clear();
        second.clear();
        main.StoreExec(QStringLiteral("UPDATE Accounts SET Name = 'Renamed' WHERE ROWID = 1"));
        main.BeginUndoGroup();
        main.RecordUndo(QStringLiteral("UPDATE Accounts SET Name = 'Checking' WHERE ROWID = 1"),
                        QString::fromLatin1(c.notice));
        main.EndUndoGroup();
        EXPECT_TRUE(undo->isEnabled());
        undo->trigger();
        EXPECT_FALSE(undo->isEnabled()) << c.notice;
        EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = 1")),
                  QStringLiteral("Checking"));
        EXPECT_EQ(first, c.expected) << c.notice;
        EXPECT_EQ(second, c.expected) << c.notice;
    }
    // Ctrl+Z on an empty journal changes nothing.
    undo->trigger();
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(MainWindowTest, ResetDisablesUndo)
{
    ScriptedMessages messages;
    TfrmMain main;
    main.BeginUndoGroup();
    main.RecordUndo(QStringLiteral("SELECT 1"), QStringLiteral("Accounts"));
    main.EndUndoGroup();
    ASSERT_TRUE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
    main.ResetUndoJournal();
    EXPECT_FALSE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
}

TEST_F(MainWindowTest, F1ShowsTheScreensTopic)
{
    InstallHelp();
    ScriptedMessages messages;
    TfrmMain main;
    QTest::keyRelease(&main, Qt::Key_F1); // no screen yet
    main.FormShow();                      // the system screen
    QTest::keyRelease(&main, Qt::Key_F1);
    main.ExchangeScreen(new TScreenFrame(ScreenKind::Account));
    QTest::keyRelease(&main, Qt::Key_F1);
    main.Action(QStringLiteral("mitmCofferlyHelp"))->trigger();
    EXPECT_EQ(helpPages, (std::vector<QString>{QStringLiteral("Overview.htm"), QStringLiteral("Overview.htm"),
                                                QStringLiteral("AccountTransactionsScreen.htm"),
                                                QStringLiteral("Overview.htm")}));
}

TEST_F(MainWindowTest, HelpWindowsBelongToTheModalDialogAndNeverKeepTheProgramAlive)
{
    InstallHelp();
    platform::SetHelpViewer({}); // the real help window
    ScriptedMessages messages;
    auto helpWindows = [] {
        std::vector<QWidget*> windows;
        for (QWidget* w : QApplication::allWidgets())
            if (w->objectName() == QLatin1String("frmHelp") && w->isVisible())
                windows.push_back(w);
        return windows;
    };
    {
        TfrmMain main;
        main.FormShow();
        main.Action(QStringLiteral("mitmCofferlyHelp"))->trigger();
        ASSERT_EQ(helpWindows().size(), 1u);
        QWidget* shared = helpWindows().front();
        EXPECT_EQ(shared->parentWidget(), nullptr);
        EXPECT_FALSE(shared->testAttribute(Qt::WA_QuitOnClose));

        // Asked for from a modal dialog, help opens in a window of that dialog, which the dialog does not
        // block.
        QDialog dialog(&main);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
        platform::ShowHelpTopic(QStringLiteral("Overview.htm"));
        const auto windows = helpWindows();
        ASSERT_EQ(windows.size(), 2u);
        EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [&](QWidget* w) { return w->parentWidget() == &dialog; }));
        dialog.hide();

        main.close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(helpWindows().empty()) << "closing the main window closes its help";
}

TEST_F(MainWindowTest, MissingHelpIsReported)
{
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("The HTML help system is not available."));
    TfrmMain main;
    main.Action(QStringLiteral("mitmCofferlyHelp"))->trigger();
    EXPECT_TRUE(helpPages.empty());
}

TEST(ScreenHelpTopic, FollowsTheKindOfScreen)
{
    const std::pair<ScreenKind, const char*> cases[] = {
        {ScreenKind::Account, "AccountTransactionsScreen.htm"}, {ScreenKind::System, "Overview.htm"},
        {ScreenKind::BudgetItems, "BudgetItemsScreen.htm"},     {ScreenKind::BudgetRules, "BudgetRulesScreen.htm"},
        {ScreenKind::Parties, "PartiesScreen.htm"},             {ScreenKind::AllAccounts, "AccountsScreen.htm"},
    };
    for (const auto& [kind, topic] : cases) {
        TScreenFrame screen(kind);
        EXPECT_EQ(help::ScreenHelpTopic(&screen), QString::fromLatin1(topic));
    }
    EXPECT_EQ(help::ScreenHelpTopic(nullptr), QStringLiteral("Overview.htm"));
}

TEST_F(MainWindowTest, ImportWithoutAnAccountAsksForOne)
{
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("You must select an account to import data into.\r\n"
                                   "Select an account on the left, and then try again."));
    TfrmMain main;
    main.ExchangeScreen(new TScreenFrame(ScreenKind::BudgetItems));
    main.Action(QStringLiteral("mitmImport"))->trigger();
}

class TUrlCatcher : public QObject
{
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(MainWindowTest, VisitUsOpensThePageOnlyOnOk)
{
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    const QString question = QStringLiteral(
        "This will open your web browser.\r\nYou will be taken to Hollowmere Software's web page.\r\n"
        "Please make sure you are connected to the internet before clicking \"OK\".");
    {
        ScriptedMessages messages;
        messages.Expect(question, MsgAnswer::Cancel).Expect(question, MsgAnswer::Ok);
        TfrmMain main;
        main.Action(QStringLiteral("mitmWeb"))->trigger();
        EXPECT_TRUE(catcher.urls.empty());
        main.Action(QStringLiteral("mitmWeb"))->trigger();
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 1u);
    EXPECT_EQ(catcher.urls[0], QUrl(QStringLiteral("https://hollowmere.example/cofferly")));
}

TEST_F(MainWindowTest, StartupTipsCheckMarkIsRemembered)
{
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow(); // no ShowTip yet: checked, written and the tips shown
    QAction* tips = main.Action(QStringLiteral("mitmStartupTips"));
    EXPECT_TRUE(tips->isChecked());
    EXPECT_EQ(ReadDisplay(QStringLiteral("ShowTip")), 1);
    EXPECT_EQ(dialogs, (std::vector<QString>{QStringLiteral("frmStartupTips")}));
    tips->trigger();
    EXPECT_FALSE(tips->isChecked());
    EXPECT_EQ(ReadDisplay(QStringLiteral("ShowTip")), 0);

    TfrmMain next;
    next.FormShow();
    EXPECT_FALSE(next.Action(QStringLiteral("mitmStartupTips"))->isChecked());
    EXPECT_EQ(dialogs.size(), 1u) << "no tips once they are off";
}

// The program's handlers run their actions through the guard: the error stops there, before it could
// unwind through the toolkit's delivery of the click.
TEST_F(MainWindowTest, AnErrorInAUserActionIsShownAndTheProgramGoesOn)
{
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("'abc' is not a valid floating point value"))
        .Expect(QStringLiteral("The setting 'Width' could not be read."));
    QPushButton button(QStringLiteral("Go"));
    int runs = 0;
    QObject::connect(&button, &QPushButton::clicked, platform::UserAction([&] {
        ++runs;
        if (runs == 1)
            FormatMoneyText(QStringLiteral("abc"));
        if (runs == 2)
            throw platform::ESettingsError(QStringLiteral("The setting 'Width' could not be read."));
    }));
    button.show();
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(runs, 3);
}

TEST_F(MainWindowTest, AFileOfThePreviousLayoutIsUpgradedAtTheFirstActionAndSaysWhereTheCopyIs)
{
    QFile::remove(dir.File(QStringLiteral("Cofferly.db")));
    testing_support::CreatePreviousLayoutFile(
        dir.File(QStringLiteral("Cofferly.db")),
        QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home');"
                       "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"
                       "INSERT INTO BudgetTransactions (BudgetCatID, Amount) VALUES (1, 500)"));
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("Your data file has been brought up to date.\r\n"
                                             "A copy of it as it was before is kept as\r\n") +
                              QDir::toNativeSeparators(dir.File(QStringLiteral("Cofferly-v2.db"))));
    TfrmMain main;
    main.FormShow();
    EXPECT_EQ(main.Architect()->TreeView()->topLevelItemCount(), 1);
    EXPECT_EQ(main.StoreQueryValue(QStringLiteral("SELECT sum(Amount) FROM NewBudgetTransactions")),
              QStringLiteral("500"));
    EXPECT_TRUE(QFile::exists(dir.File(QStringLiteral("Cofferly-v2.db"))));
}

} // namespace

#include "MainWindowTest.moc"
