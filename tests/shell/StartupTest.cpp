#include "shell/Startup.h"

#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "shell/SingleInstance.h"
#include "tests/shell/ShellFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QDir>
#include <QTemporaryDir>

namespace {

using platform::MsgAnswer;
using platform::SettingsScope;
using platform::TSettingsKey;
using testing_support::ScriptedMessages;

class StartupTest : public ShellFixture
{
};

TEST_F(StartupTest, FirstStartWritesEveryDefaultAndLaterStartsOverwriteNothing)
{
    ScriptedMessages messages;
    ASSERT_TRUE(PrepareStart());
    TSettingsKey display;
    ASSERT_TRUE(display.Open(SettingsScope::User, settings_keys::kDisplay, false));
    const std::pair<const char*, int> integers[] = {
        {"AmountColWidth", 100}, {"ArchWidth", 200}, {"BudgetColWidth", 200}, {"Height", 480},
        {"Width", 640},          {"Left", 0},        {"Top", 0},              {"PassedColWidth", 50},
        {"NotesColWidth", 200},  {"BudgetAmountColWidth3", 100}};
    for (const auto& [name, value] : integers)
        EXPECT_EQ(display.ReadInteger(QString::fromLatin1(name)), value) << name;
    for (const char* name : kRememberedWidths)
        EXPECT_TRUE(display.ValueExists(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(display.ReadBool(QStringLiteral("Max")));
    EXPECT_TRUE(display.ReadBool(QStringLiteral("ShowBudgetTray")));
    EXPECT_TRUE(display.ReadBool(QStringLiteral("BackupPrompt")));
    EXPECT_FALSE(display.ValueExists(QStringLiteral("ShowTip")));

    TSettingsKey search;
    ASSERT_TRUE(search.Open(SettingsScope::User, settings_keys::kSearch, false));
    EXPECT_EQ(search.ReadDate(QStringLiteral("FromDate")), QDate(2025, 12, 10));
    EXPECT_EQ(search.ReadDate(QStringLiteral("ToDate")), QDate(2026, 12, 10));
    EXPECT_EQ(search.ReadString(QStringLiteral("ID")), QString());
    EXPECT_TRUE(search.ReadBool(QStringLiteral("IDContains")));
    EXPECT_FALSE(search.ReadBool(QStringLiteral("NotesEquals")));
    EXPECT_EQ(search.ReadInteger(QStringLiteral("Party")), 0);

    display.WriteInteger(QStringLiteral("Width"), 1024);
    search.WriteString(QStringLiteral("Notes"), QStringLiteral("rent"));
    platform::SetTodayOverride(QDate(2027, 3, 1));
    ASSERT_TRUE(PrepareStart());
    EXPECT_EQ(display.ReadInteger(QStringLiteral("Width")), 1024);
    EXPECT_EQ(search.ReadString(QStringLiteral("Notes")), QStringLiteral("rent"));
    EXPECT_EQ(search.ReadDate(QStringLiteral("ToDate")), QDate(2026, 12, 10));
}

TEST_F(StartupTest, SettingsThatCannotBeCreatedEndTheProgram)
{
    // A file stands where the settings folder should be.
    testing_support::WriteAll(settingsDir.filePath(QStringLiteral("blocked")), "not a folder");
    platform::SetSettingsFiles(settingsDir.filePath(QStringLiteral("blocked/user.ini")),
                               settingsDir.filePath(QStringLiteral("machine.ini")));
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("Cofferly was not installed properly.\rPlease reinstall the program."));
    EXPECT_FALSE(PrepareStart());
}

TEST_F(StartupTest, ReadOnlyDataFileIsMadeWritable)
{
    CreateDataFile();
    const QString data = dir.File(QStringLiteral("Cofferly.db"));
    ASSERT_TRUE(QFile::setPermissions(data, QFile::ReadOwner));
    ScriptedMessages messages;
    ASSERT_TRUE(PrepareStart());
    // The bits themselves: the super-user may write any file, so isWritable() would always say yes.
    EXPECT_TRUE(QFile::permissions(data) & QFile::WriteOwner);
}

TEST_F(StartupTest, VeryFirstStartOpensMaximisedAndOffersTheWizard)
{
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("This appears to be your first time running Cofferly.\r\n"
                                   "Would you like to run the Setup Wizard to help you get started?"),
                    MsgAnswer::No);
    ASSERT_TRUE(PrepareStart());
    // The tips come over the window before the data file is made and the wizard offered.
    bool dataFileAtTips = true;
    platform::SetModalInterceptor([&](QDialog& dialog) {
        dialogs.push_back(dialog.objectName());
        dataFileAtTips = QFile::exists(dir.File(QStringLiteral("Cofferly.db")));
        return int(QDialog::Rejected);
    });
    TfrmMain main;
    main.FormShow();
    EXPECT_TRUE(main.isMaximized());
    EXPECT_TRUE(main.Action(QStringLiteral("mitmStartupTips"))->isChecked());
    EXPECT_EQ(dialogs, (std::vector<QString>{QStringLiteral("frmStartupTips")}));
    EXPECT_FALSE(dataFileAtTips);
    TSettingsKey display;
    ASSERT_TRUE(display.Open(SettingsScope::User, settings_keys::kDisplay, false));
    EXPECT_TRUE(display.ReadBool(QStringLiteral("ShowTip")));
    EXPECT_TRUE(QFile::exists(dir.File(QStringLiteral("Cofferly.db"))));
}

TEST(BringForward, RestoresOnlyAMinimisedWindowAndKeepsItMaximised)
{
    QWidget window;
    window.showMaximized();
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(window.isMinimized());
    BringForward(window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isMaximized());

    // A window that is already shown keeps its state: a second launch must not un-maximise it.
    BringForward(window);
    EXPECT_TRUE(window.isMaximized());
}

TEST(SingleInstanceLock, IsPerUserFolderAndTellsAFailureFromARunningInstance)
{
    QTemporaryDir first;
    QTemporaryDir second;
    TSingleInstance running(QStringLiteral("COFFERLYLOCKCHECK"), first.path());
    ASSERT_EQ(running.Acquire(), TSingleInstance::Lock::Acquired);
    TSingleInstance again(QStringLiteral("COFFERLYLOCKCHECK"), first.path());
    EXPECT_EQ(again.Acquire(), TSingleInstance::Lock::HeldByAnother);
    // Another user's folder: their own instance starts.
    TSingleInstance otherUser(QStringLiteral("COFFERLYLOCKCHECK"), second.path());
    EXPECT_EQ(otherUser.Acquire(), TSingleInstance::Lock::Acquired);

    // A file where the folder should be: no lock can be made, and that is not "already running".
    testing_support::WriteAll(second.filePath(QStringLiteral("blocked")), "not a folder");
    TSingleInstance blocked(QStringLiteral("COFFERLYLOCKCHECK"), second.filePath(QStringLiteral("blocked")));
    EXPECT_EQ(blocked.Acquire(), TSingleInstance::Lock::Failed);
    EXPECT_TRUE(blocked.ErrorText().contains(QStringLiteral("cannot be created"))) << blocked.ErrorText().toStdString();
}

// Starts a copy of the real program in the test's program directory, under a name of its own so that its
// instance lock never meets a Cofferly that someone is running.
class SecondInstanceTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        exe = dir.File(QStringLiteral("CofferlyInstanceCheck"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(COFFERLY_EXE), exe));
        CreateDataFile();
        first.setProcessEnvironment(EnvFor(userA.path()));
        second.setProcessEnvironment(EnvFor(userA.path()));
    }
    // The environment of one user's desktop: their own settings and runtime folders.
    QProcessEnvironment EnvFor(const QString& runtime) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsDir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    }
    void TearDown() override
    {
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    bool WaitUntilListening(const QString& runtime)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 15000) {
            QLocalSocket probe;
            probe.connectToServer(QDir(runtime).filePath(QStringLiteral("COFFERLYINSTANCECHECK")));
            if (probe.waitForConnected(200))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    QString exe;
    QTemporaryDir userA;
    QTemporaryDir userB;
    QProcess first;
    QProcess second;
};

TEST_F(SecondInstanceTest, EndsQuicklyAndLeavesTheFilesAlone)
{
    first.start(exe, {});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(WaitUntilListening(userA.path())) << first.readAllStandardError().toStdString();
    const QString data = dir.File(QStringLiteral("Cofferly.db"));
    const QString scratch = dir.File(QStringLiteral("scratch.db"));
    ASSERT_TRUE(QFile::exists(scratch));
    const QByteArray dataBefore = testing_support::ReadAll(data);
    const QByteArray scratchBefore = testing_support::ReadAll(scratch);
    const QDateTime scratchTime = QFileInfo(scratch).lastModified();

    QElapsedTimer timer;
    timer.start();
    second.start(exe, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_LT(timer.elapsed(), 5000);
    // 0: the running instance answered that it came forward.
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(testing_support::ReadAll(data), dataBefore);
    EXPECT_EQ(testing_support::ReadAll(scratch), scratchBefore);
    EXPECT_EQ(QFileInfo(scratch).lastModified(), scratchTime);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(SecondInstanceTest, AnotherUserStartsWhileTheFirstRunsAndAfterItWasKilled)
{
    first.start(exe, {});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(WaitUntilListening(userA.path())) << first.readAllStandardError().toStdString();
    second.setProcessEnvironment(EnvFor(userB.path()));
    second.start(exe, {});
    ASSERT_TRUE(WaitUntilListening(userB.path())) << second.readAllStandardError().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // Killed: the lock file stays behind, and neither the other user nor the same one is shut out by it.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    second.kill();
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_TRUE(QFile::exists(userA.filePath(QStringLiteral("COFFERLYINSTANCECHECK.lock"))));
    second.start(exe, {});
    EXPECT_TRUE(WaitUntilListening(userB.path())) << second.readAllStandardError().toStdString();
    first.start(exe, {});
    EXPECT_TRUE(WaitUntilListening(userA.path())) << first.readAllStandardError().toStdString();
}

} // namespace
