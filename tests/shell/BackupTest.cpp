#include "shell/Backup.h"

#include "platform/FileDialogs.h"
#include "platform/ModalForm.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "systems/Architect.h"
#include "tests/shell/BackupFiles.h"
#include "tests/shell/ShellFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <deque>

namespace {

using backup_files::EntriesOf;
using platform::SettingsScope;
using platform::TSettingsKey;
using testing_support::ReadAll;
using testing_support::ScriptedMessages;
using testing_support::WriteAll;

// The main window with its file dialogs answered from a list and its modal dialogs from a function;
// backups go to a folder of their own.
class BackupTest : public ShellFixture
{
protected:
    BackupTest()
    {
        CreateDataFile();
        WriteMissingDefaults();
        // The start-up tips are not what these tests are about.
        {
            TSettingsKey display;
            if (display.Open(SettingsScope::User, settings_keys::kDisplay, true))
                display.WriteBool(QStringLiteral("ShowTip"), false);
        }
        platform::SetFileChooser([this](const platform::TFileDialogSetup& setup) {
            setups.push_back(setup);
            if (chosen.empty()) {
                ADD_FAILURE() << "unexpected file dialog " << setup.title.toStdString();
                return QString();
            }
            const QString path = chosen.front();
            chosen.pop_front();
            return path;
        });
        platform::SetModalInterceptor([this](QDialog& dialog) {
            auto* prompt = dynamic_cast<TfrmBackupPrompt*>(&dialog);
            if (!prompt) {
                ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                return int(QDialog::Rejected);
            }
            ++prompts;
            return onPrompt ? onPrompt(*prompt) : int(QDialog::Rejected);
        });
    }
    ~BackupTest() override
    {
        platform::SetModalInterceptor({});
        platform::SetFileChooser({});
        backup::SetWriteGate({});
        EXPECT_TRUE(chosen.empty()) << "a file dialog that was expected never came";
    }

    QString DataFile() const { return dir.File(QStringLiteral("Cofferly.db")); }
    QString Elsewhere(const char* name) const { return backups.filePath(QLatin1String(name)); }

    QDate LastBackup()
    {
        TSettingsKey machine;
        if (!machine.Open(SettingsScope::Machine, settings_keys::kMachine, false) ||
            !machine.ValueExists(QStringLiteral("Backup")))
            return {};
        return machine.ReadDate(QStringLiteral("Backup"));
    }
    void SetLastBackup(const QDate& day)
    {
        TSettingsKey machine;
        ASSERT_TRUE(machine.Open(SettingsScope::Machine, settings_keys::kMachine, true));
        machine.WriteDate(QStringLiteral("Backup"), day);
    }
    bool PromptSetting()
    {
        TSettingsKey display;
        EXPECT_TRUE(display.Open(SettingsScope::User, settings_keys::kDisplay, false));
        return display.ReadBool(QStringLiteral("BackupPrompt"));
    }
    void SetPromptSetting(bool on)
    {
        TSettingsKey display;
        ASSERT_TRUE(display.Open(SettingsScope::User, settings_keys::kDisplay, false));
        display.WriteBool(QStringLiteral("BackupPrompt"), on);
    }
    QStringList TreeCaptions(TfrmMain& main)
    {
        QStringList captions;
        QTreeWidget* tree = main.Architect()->TreeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            captions << tree->topLevelItem(i)->text(0);
        return captions;
    }
    static QString Native(const QString& path) { return QDir::toNativeSeparators(path); }
    // Both dialogs suggest backup.bak with the extension bak.
    static void ExpectDialog(const platform::TFileDialogSetup& setup, platform::FileDialogKind kind, const char* title,
                             const char* filter)
    {
        EXPECT_EQ(setup.kind, kind);
        EXPECT_EQ(setup.title, QLatin1String(title));
        EXPECT_EQ(setup.defaultSuffix, QStringLiteral("bak"));
        EXPECT_EQ(setup.fileName, QStringLiteral("backup.bak"));
        EXPECT_EQ(setup.filter, QLatin1String(filter));
    }

    QTemporaryDir backups;
    std::deque<QString> chosen;
    std::vector<platform::TFileDialogSetup> setups;
    std::function<int(TfrmBackupPrompt&)> onPrompt;
    int prompts = 0;
};

TEST_F(BackupTest, BackupAndRestoreThroughTheFileMenu)
{
    ScriptedMessages messages;
    TfrmMain main;
    std::vector<PlugInNotice> notices;
    main.AddPlugIn([&notices](PlugInNotice notice) { notices.push_back(notice); });
    main.FormShow();
    SetLastBackup(platform::Today().addDays(-40));
    const QByteArray backedUp = ReadAll(DataFile());

    // The hourglass shows for as long as the archive is written.
    std::vector<bool> busy;
    backup::SetWriteGate([&busy](qint64, qint64) {
        busy.push_back(QGuiApplication::overrideCursor() &&
                       QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
        return true;
    });
    chosen.push_back(Elsewhere("backup.bak"));
    main.Action(QStringLiteral("mitmCreatebackup"))->trigger();
    ASSERT_EQ(setups.size(), 1u);
    ExpectDialog(setups[0], platform::FileDialogKind::Save, "Create backup", "Backup file. (*.bak)");
    EXPECT_EQ(EntriesOf(Elsewhere("backup.bak")),
              (std::vector<std::pair<QByteArray, int>>{{QByteArray("Cofferly.db"), ZIP_CM_DEFLATE}}));
    EXPECT_EQ(LastBackup(), platform::Today());
    ASSERT_FALSE(busy.empty());
    EXPECT_EQ(std::count(busy.begin(), busy.end(), false), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A change after the backup, with its undo group.
    main.StoreExec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Added later')"));
    main.RecordUndoGroup(
        {{QStringLiteral("DELETE FROM BudgetSystems WHERE Name = 'Added later'"), QStringLiteral("Systems")}});
    ASSERT_TRUE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
    const QByteArray changed = ReadAll(DataFile());

    chosen.push_back(Elsewhere("backup.bak"));
    messages.Expect(QStringLiteral("Your data file has been restored from\r\n%1\r\n"
                                   "The data file it replaced has been kept as\r\n%2")
                        .arg(Native(Elsewhere("backup.bak")), Native(DataFile() + QStringLiteral(".before-restore"))));
    main.Action(QStringLiteral("mitmRestorefrombackup"))->trigger();
    ASSERT_EQ(setups.size(), 2u);
    ExpectDialog(setups[1], platform::FileDialogKind::Open, "Restore from backup", "Backup files (*.bak)");

    EXPECT_EQ(ReadAll(DataFile()), backedUp);
    EXPECT_EQ(ReadAll(DataFile() + QStringLiteral(".before-restore")), changed);
    EXPECT_EQ(TreeCaptions(main), QStringList{QStringLiteral("Home")});
    ASSERT_NE(main.CurrentScreen(), nullptr);
    EXPECT_EQ(main.CurrentScreen()->Kind(), ScreenKind::System);
    // The undo group described the file that was replaced.
    EXPECT_FALSE(main.Action(QStringLiteral("mitmUndo"))->isEnabled());
    EXPECT_EQ(notices, (std::vector<PlugInNotice>{PlugInNotice::Systems, PlugInNotice::BudgetItems,
                                                  PlugInNotice::Parties, PlugInNotice::Accounts}));
}

TEST_F(BackupTest, CancelledDialogsChangeNothingButTheRestoreRebuildsTheTree)
{
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow();
    const QDate lastBackup = platform::Today().addDays(-3);
    SetLastBackup(lastBackup);

    chosen.push_back(QString());
    main.Action(QStringLiteral("mitmCreatebackup"))->trigger();
    EXPECT_EQ(LastBackup(), lastBackup);

    // A system the tree does not show yet, which a rebuild brings in and selects (it comes first by name).
    main.StoreExec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Allotment')"));
    const QByteArray before = ReadAll(DataFile());
    chosen.push_back(QString());
    main.Action(QStringLiteral("mitmRestorefrombackup"))->trigger();
    EXPECT_EQ(ReadAll(DataFile()), before);
    EXPECT_EQ(TreeCaptions(main), (QStringList{QStringLiteral("Allotment"), QStringLiteral("Home")}));
    ASSERT_NE(main.Architect()->TreeView()->currentItem(), nullptr);
    EXPECT_EQ(main.Architect()->TreeView()->currentItem()->text(0), QStringLiteral("Allotment"));
    EXPECT_FALSE(QFile::exists(DataFile() + QStringLiteral(".before-restore")));
}

TEST_F(BackupTest, RefusedRestoreAndFailedBackupAreToldAndKeepEverything)
{
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow();
    main.RecordUndoGroup({{QStringLiteral("DELETE FROM BudgetSystems WHERE Name = 'x'"), QStringLiteral("Systems")}});
    const QByteArray data = ReadAll(DataFile());

    WriteAll(Elsewhere("notes.bak"), "shopping list");
    chosen.push_back(Elsewhere("notes.bak"));
    messages.Expect(QStringLiteral("The file\r\n%1\r\ncannot be restored: it is neither a Cofferly backup nor a "
                                   "Cofferly data file.\r\nYour data file has not been changed.")
                        .arg(Native(Elsewhere("notes.bak"))));
    main.Action(QStringLiteral("mitmRestorefrombackup"))->trigger();
    EXPECT_EQ(ReadAll(DataFile()), data);
    EXPECT_TRUE(main.Action(QStringLiteral("mitmUndo"))->isEnabled()) << "nothing was replaced";

    const QDate lastBackup = platform::Today().addDays(-40);
    SetLastBackup(lastBackup);
    WriteAll(Elsewhere("backup.bak"), "last month's backup");
    backup::SetWriteGate([](qint64, qint64) { return false; });
    chosen.push_back(Elsewhere("backup.bak"));
    messages.Expect(
        QStringLiteral("The backup\r\n%1\r\ncould not be made: the disk is full.\r\nNo file has been changed.")
            .arg(Native(Elsewhere("backup.bak"))));
    main.Action(QStringLiteral("mitmCreatebackup"))->trigger();
    EXPECT_EQ(ReadAll(Elsewhere("backup.bak")), QByteArray("last month's backup"));
    EXPECT_EQ(LastBackup(), lastBackup);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

struct ReminderCase
{
    const char* name;
    int daysAgo;   // the last backup; negative for none known
    bool promptOn; // BackupPrompt
    bool shown;
};

class ReminderTest : public BackupTest, public ::testing::WithParamInterface<ReminderCase>
{
};

TEST_P(ReminderTest, ComesOnlyWhenOnAndTheLastBackupIsOverThirtyDaysOld)
{
    const ReminderCase& c = GetParam();
    if (c.daysAgo >= 0)
        SetLastBackup(platform::Today().addDays(-c.daysAgo));
    else
        ASSERT_TRUE(QFile::remove(settingsDir.filePath(QStringLiteral("machine.ini"))));
    SetPromptSetting(c.promptOn);
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow();
    EXPECT_EQ(prompts, c.shown ? 1 : 0);
    // The switch tells what the reminder does.
    EXPECT_EQ(main.Action(QStringLiteral("mitmBackupRemind"))->isChecked(), c.promptOn);
}

const ReminderCase kReminders[] = {
    {"ThirtyDaysAgo", 30, true, false},
    {"ThirtyOneDaysAgo", 31, true, true},
    {"NeverBackedUp", -1, true, true},
    {"TurnedOff", 365, false, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReminderTest, ::testing::ValuesIn(kReminders),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupTest, DontAskMeAgainIsWrittenAtEachClickAndF1OpensTheBackupTopic)
{
    InstallHelp();
    WriteAll(dir.File(QStringLiteral("help/Backup.htm")), "<html></html>");
    SetLastBackup(platform::Today().addDays(-31));
    onPrompt = [this](TfrmBackupPrompt& prompt) {
        EXPECT_EQ(prompt.windowTitle(), QStringLiteral("Backup notification"));
        EXPECT_EQ(prompt.size(), QSize(262, 119));
        EXPECT_EQ(prompt.lblMessage->text(),
                  QStringLiteral("Your last backup was over 30 days ago.\nDo you want to make a new backup now?"));
        EXPECT_EQ(prompt.btnYes->text(), QStringLiteral("Yes"));
        EXPECT_TRUE(prompt.btnYes->isDefault());
        EXPECT_EQ(prompt.btnNo->text(), QStringLiteral("No"));
        EXPECT_EQ(prompt.chkNeverShow->text(), QStringLiteral("Don't ask me again."));

        for (bool expected : {false, true, false}) {
            prompt.chkNeverShow->click();
            EXPECT_EQ(PromptSetting(), expected) << "written before the dialog closes";
        }
        QTest::keyRelease(prompt.chkNeverShow, Qt::Key_F1);
        return int(QDialog::Rejected);
    };
    {
        ScriptedMessages messages;
        TfrmMain main;
        main.FormShow();
        EXPECT_EQ(prompts, 1);
        EXPECT_EQ(helpPages, std::vector<QString>{QStringLiteral("Backup.htm")});
        EXPECT_FALSE(main.Action(QStringLiteral("mitmBackupRemind"))->isChecked());
    }
    ScriptedMessages messages;
    TfrmMain next;
    next.FormShow();
    EXPECT_EQ(prompts, 1) << "not asked again";
}

TEST_F(BackupTest, YesMakesTheBackupAndTheSwitchWritesTheSetting)
{
    SetLastBackup(platform::Today().addDays(-31));
    onPrompt = [](TfrmBackupPrompt&) { return int(QDialog::Accepted); };
    chosen.push_back(Elsewhere("backup.bak"));
    ScriptedMessages messages;
    TfrmMain main;
    main.FormShow();
    EXPECT_EQ(EntriesOf(Elsewhere("backup.bak")).size(), 1u);
    EXPECT_EQ(LastBackup(), platform::Today());

    QAction* remind = main.Action(QStringLiteral("mitmBackupRemind"));
    remind->trigger();
    EXPECT_FALSE(remind->isChecked());
    EXPECT_FALSE(PromptSetting());
    remind->trigger();
    EXPECT_TRUE(remind->isChecked());
    EXPECT_TRUE(PromptSetting());
}

} // namespace
