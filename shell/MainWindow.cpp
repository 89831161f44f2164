#include "shell/MainWindow.h"

#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "platform/Settings.h"
#include "shell/About.h"
#include "shell/Backup.h"
#include "shell/ConversionProgress.h"
#include "shell/Help.h"
#include "shell/SettingsDefaults.h"
#include "shell/StartupTips.h"
#include "systems/Architect.h"
#include "systems/SetupWizard.h"
#include "systems/SystemScreen.h"
#include "ui/Screen.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// Posted to the main window about a screen that was replaced; the screen is freed when it arrives, unless
// one of its handlers is still running.
class TReleaseScreenEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 3024);
    explicit TReleaseScreenEvent(TScreenFrame* screen) : QEvent(kType), Screen(screen) {}
    QPointer<TScreenFrame> Screen;
};

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), m_journal(m_store)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Cofferly"));
    m_screenBusy = false;

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    m_architect = new TframArchitect(*this, m_splitter);
    m_screenArea = new QWidget(m_splitter);
    m_screenArea->setObjectName(QStringLiteral("ScreenArea"));
    auto* screenLayout = new QVBoxLayout(m_screenArea);
    screenLayout->setContentsMargins(0, 0, 0, 0);
    m_splitter->addWidget(m_architect);
    m_splitter->addWidget(m_screenArea);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);

    CreateMenus();
    m_store.SetUpgradeHook(&UpgradeWithProgress);
    m_store.SetSetupWizardHook([this](TSQLiteDatabase&) { RunSetupWizard(*this, this); });
    // The file may be created anew in the middle of any action, inside the handler that opened it: the
    // tree and the screen it holds are replaced only once that handler has returned.
    m_store.SetRecreatedHook([this] {
        if (m_rebuildPosted)
            return;
        m_rebuildPosted = true;
        platform::RunAfterUserActions(this, [this] { FollowNewDataFile(); });
    });
    m_journal.SetEnabledHandler([this](bool enabled) { Action(QStringLiteral("mitmUndo"))->setEnabled(enabled); });
    m_journal.SetNoticeHandler([this](const QString& notice) {
        if (notice == QLatin1String("Systems"))
            NotifyUpdateSystems();
        else if (notice == QLatin1String("BudgetItems"))
            NotifyUpdateBudgetItems();
        else if (notice == QLatin1String("Parties"))
            NotifyUpdateParties();
        else if (notice == QLatin1String("Accounts"))
            NotifyUpdateAccounts();
    });
    m_journal.ResetUndoJournal();
}

TfrmMain::~TfrmMain()
{
    // Also when the window ends without a close event, the scratch file never outlives the run.
    m_journal.Discard();
    delete m_currentScreen.data();
}

QAction* TfrmMain::Action(const QString& objectName) const
{
    // The tree's popup menu has items of the same names; the main menu's live under the menu bar.
    return menuBar()->findChild<QAction*>(objectName);
}

void TfrmMain::CreateMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& caption, bool enabled) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        return action;
    };

    // Items whose commands arrive with later work are present but disabled until they are connected.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mitmFile"));
    connect(add(file, "mitmImport", QStringLiteral("Import data..."), true), &QAction::triggered, this,
            platform::UserAction([this] { ImportData(); }));
    connect(add(file, "mitmCreatebackup", QStringLiteral("&Create backup..."), true), &QAction::triggered, this,
            platform::UserAction([this] { backup::CreateBackup(this); }));
    connect(add(file, "mitmRestorefrombackup", QStringLiteral("&Restore from backup..."), true), &QAction::triggered,
            this, platform::UserAction([this] { mitmRestorefrombackupClick(); }));
    QAction* remind = add(file, "mitmBackupRemind", QStringLiteral("Remind me to make backups"), true);
    remind->setCheckable(true);
    remind->setChecked(true);
    // The action has already flipped its own check mark.
    connect(remind, &QAction::triggered, this,
            [remind] { platform::RunUserAction([remind] { backup::SetBackupPrompt(remind->isChecked()); }); });
    add(file, "mitmPrint", QStringLiteral("&Print"), false);
    file->addSeparator();
    connect(add(file, "mitmExit", QStringLiteral("E&xit"), true), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mitmEdit"));
    QAction* undo = add(edit, "mitmUndo", QStringLiteral("Undo"), false);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, this, platform::UserAction([this] { UndoLastGroup(); }));
    QMenu* newMenu = edit->addMenu(QStringLiteral("&New"));
    newMenu->setObjectName(QStringLiteral("mitmNew"));
    connect(add(newMenu, "mitmNewBudgetsystem", QStringLiteral("Budget system"), true), &QAction::triggered, this,
            platform::UserAction([this] { m_architect->mitmNewSystemClick(); }));
    // The tree's commands that work on a node run only while one is selected.
    connect(add(newMenu, "mitmNewAccount", QStringLiteral("Account"), true), &QAction::triggered, this,
            platform::UserAction([this] { RunOnSelectedNode(&TframArchitect::mitmNewAccountClick); }));
    connect(add(edit, "mitmDelete", QStringLiteral("&Delete"), true), &QAction::triggered, this,
            platform::UserAction([this] { RunOnSelectedNode(&TframArchitect::mitmDeleteClick); }));
    connect(add(edit, "mitmRename", QStringLiteral("Rename"), true), &QAction::triggered, this,
            platform::UserAction([this] { RunOnSelectedNode(&TframArchitect::mitmRenameClick); }));
    edit->addSeparator();
    connect(add(edit, "mitmChangepassword", QStringLiteral("Change &password..."), true), &QAction::triggered, this,
            platform::UserAction([this] { RunOnSelectedNode(&TframArchitect::mitmChangePassClick); }));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mitmHelp"));
    connect(add(helpMenu, "mitmCofferlyHelp", QStringLiteral("Cofferly Help"), true), &QAction::triggered, this,
            platform::UserAction([this] { ShowHelpTopic(QStringLiteral("Overview.htm")); }));
    helpMenu->addSeparator();
    connect(add(helpMenu, "mitmShowTip", QStringLiteral("Show tip"), true), &QAction::triggered, this,
            platform::UserAction([this] { ShowTipDialog(this, Action(QStringLiteral("mitmStartupTips"))); }));
    QAction* tips = add(helpMenu, "mitmStartupTips", QStringLiteral("Show tips on startup"), true);
    tips->setCheckable(true);
    connect(tips, &QAction::triggered, this, platform::UserAction([this] { ToggleStartupTips(); }));
    helpMenu->addSeparator();
    connect(add(helpMenu, "mitmWeb", QStringLiteral("Visit us on the Web"), true), &QAction::triggered, this,
            platform::UserAction([this] { VisitWeb(); }));
    connect(add(helpMenu, "mitmAbout", QStringLiteral("About"), true), &QAction::triggered, this,
            platform::UserAction([this] { ShowAboutBox(this); }));
}

void TfrmMain::RunOnSelectedNode(void (TframArchitect::*command)())
{
    if (m_architect->TreeView()->currentItem())
        (m_architect->*command)();
}

void TfrmMain::FormShow()
{
    bool maximised = false;
    bool showTips = false;
    // A value edited by hand into something unreadable falls back to its default on its own; the others
    // are read all the same, and the person hears once which ones were lost.
    QStringList unreadable;
    platform::TSettingsKey display;
    const auto readInteger = [&](const QString& name) {
        try {
            return display.ReadInteger(name);
        } catch (const platform::ESettingsError&) {
            unreadable.append(name);
            return DisplayDefault(name);
        }
    };
    const auto readBool = [&](const QString& name) {
        try {
            return display.ReadBool(name);
        } catch (const platform::ESettingsError&) {
            unreadable.append(name);
            return DisplayDefault(name) != 0;
        }
    };
    try {
        if (display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false)) {
            const int w = readInteger(QStringLiteral("Width"));
            const int h = readInteger(QStringLiteral("Height"));
            resize(w, h);
            const int left = readInteger(QStringLiteral("Left"));
            const int top = readInteger(QStringLiteral("Top"));
            move(left, top);
            maximised = readBool(QStringLiteral("Max"));
            const int tree = readInteger(QStringLiteral("ArchWidth"));
            m_splitter->setSizes({tree, std::max(1, width() - tree)});
            ShowBudgetTray = readBool(QStringLiteral("ShowBudgetTray"));
            for (size_t i = 0; i < RememberedWidths.size(); ++i)
                RememberedWidths[i] = readInteger(QString::fromLatin1(kRememberedWidths[i]));

            // A first start has no ShowTip yet: tips are on until the person turns them off. An
            // unreadable one is taken as a first start too.
            QAction* tips = Action(QStringLiteral("mitmStartupTips"));
            const QString showTip = QStringLiteral("ShowTip");
            bool show = true;
            if (display.ValueExists(showTip)) {
                try {
                    show = display.ReadBool(showTip);
                } catch (const platform::ESettingsError&) {
                    unreadable.append(showTip);
                    display.WriteBool(showTip, true);
                }
            } else {
                display.WriteBool(showTip, true);
            }
            tips->setChecked(show);
            showTips = show;
        }
    } catch (const platform::ESettingsError& e) {
        // The key itself could not be read or written: the window opens all the same, or the program
        // would run unseen and hold the single-instance lock.
        unreadable.append(e.Message());
    }
    if (maximised)
        showMaximized();
    else
        showNormal();
    if (!unreadable.isEmpty())
        platform::ShowMessage(platform::MsgIcon::Error,
                              QStringLiteral("These settings could not be read, and their defaults are used: %1")
                                  .arg(unreadable.join(QStringLiteral(", "))),
                              platform::MsgButtons::Ok, this);
    // Over the window, now that it stands; whatever the tips window meets, the tree is still built.
    if (showTips)
        platform::RunUserAction([this] { ShowTipDialog(this, Action(QStringLiteral("mitmStartupTips"))); });

    m_architect->BuildSystemTree();
    ShowDefaultScreen();
    CheckBackupReminder();
}

void TfrmMain::CheckBackupReminder()
{
    QAction* remind = Action(QStringLiteral("mitmBackupRemind"));
    // The switch shows what the reminder will do, also when it was turned off in an earlier run.
    remind->setChecked(backup::BackupPromptOn());
    if (!backup::BackupReminderDue())
        return;
    TfrmBackupPrompt prompt(this);
    const bool yes = platform::ExecModal(prompt) == QDialog::Accepted;
    remind->setChecked(!prompt.chkNeverShow->isChecked());
    if (yes)
        backup::CreateBackup(this);
}

void TfrmMain::mitmRestorefrombackupClick()
{
    // A caption being edited is stored now, into the file that is about to be kept aside.
    m_architect->FinishEditing();
    if (backup::RestoreFromBackup(this)) {
        // The journal's groups describe the file that was replaced; replayed on the restored one they
        // would change rows they were never about.
        m_journal.ResetUndoJournal();
        // A new file deserves a fresh look: what was said or tried about the old one is not about it.
        m_store.ForgetFileState();
        NotifyUpdateSystems();
        NotifyUpdateBudgetItems();
        NotifyUpdateParties();
        NotifyUpdateAccounts();
    }
    // Also after a cancelled dialog, the tree and its screen are read afresh from the data file.
    ExchangeScreen(nullptr);
    m_architect->BuildSystemTree();
}

void TfrmMain::FollowNewDataFile()
{
    m_rebuildPosted = false;
    // A caption being edited ends as Enter would end it; the change it makes is refused, since it was
    // typed for a row of the file that went.
    m_architect->FinishEditing();
    // The journal's groups and the tree's nodes were about the file that went; in the new one the same
    // ROWIDs may name the setup wizard's rows.
    m_journal.ResetUndoJournal();
    m_store.ForgetFileState();
    // From here on the views are built from the file as it is, and changes are taken again. Should the
    // tree's own opening create the file once more, another rebuild follows.
    m_store.ViewsRebuilt();
    NotifyUpdateSystems();
    NotifyUpdateBudgetItems();
    NotifyUpdateParties();
    NotifyUpdateAccounts();
    ExchangeScreen(nullptr);
    m_architect->BuildSystemTree();
    ShowDefaultScreen();
}

void TfrmMain::SaveGeometry()
{
    platform::TSettingsKey display;
    if (!display.Open(platform::SettingsScope::User, settings_keys::kDisplay, true))
        return;
    display.WriteInteger(QStringLiteral("ArchWidth"), m_architect->width());
    // Maximised, only the state is written: the normal size and place from before stay for next time.
    if (isMaximized()) {
        display.WriteBool(QStringLiteral("Max"), true);
        return;
    }
    display.WriteBool(QStringLiteral("Max"), false);
    display.WriteInteger(QStringLiteral("Width"), width());
    display.WriteInteger(QStringLiteral("Height"), height());
    display.WriteInteger(QStringLiteral("Top"), y());
    display.WriteInteger(QStringLiteral("Left"), x());
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A caption being edited is ended (and its name stored) now, before the journal goes, so that its
    // undo record does not bring the scratch file back after it was deleted.
    m_architect->FinishEditing();
    platform::CloseHelpWindows();
    try {
        SaveGeometry();
    } catch (const platform::ESettingsError&) {
        // The window closes all the same; only its size is not remembered.
    }
    m_journal.Discard();
    event->accept();
}

void TfrmMain::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        platform::RunUserAction([this] { ShowScreenHelp(); });
        return;
    }
    QMainWindow::keyReleaseEvent(event);
}

void TfrmMain::ExchangeScreen(TScreenFrame* incoming)
{
    if (TScreenFrame* outgoing = m_currentScreen) {
        // A unique name, so that it never clashes with the new screen, which may be of the same class.
        outgoing->setObjectName(QStringLiteral("OldFrame%1").arg(QRandomGenerator::global()->bounded(9999999)));
        outgoing->hide();
        m_currentScreen = nullptr;
        PostReleaseScreen(outgoing);
    }
    SetPrintEnabled(false);
    if (!incoming)
        return;
    incoming->setParent(m_screenArea);
    m_screenArea->layout()->addWidget(incoming);
    m_currentScreen = incoming;
    incoming->show();
}

void TfrmMain::PostReleaseScreen(TScreenFrame* screen)
{
    QCoreApplication::postEvent(this, new TReleaseScreenEvent(screen));
}

void TfrmMain::customEvent(QEvent* event)
{
    if (event->type() != TReleaseScreenEvent::kType) {
        QMainWindow::customEvent(event);
        return;
    }
    TScreenFrame* screen = static_cast<TReleaseScreenEvent*>(event)->Screen;
    if (!screen)
        return;
    if (screen == m_currentScreen)
        m_currentScreen = nullptr;
    if (m_screenBusy)
        screen->ReleasePending = true;
    else
        delete screen;
}

void TfrmMain::ShowDefaultScreen()
{
    if (m_currentScreen)
        return;
    auto* screen = new TframSystem(*this);
    ExchangeScreen(screen);
    screen->ShowSystem(0, m_architect);
}

void TfrmMain::SetPrintEnabled(bool enabled)
{
    Action(QStringLiteral("mitmPrint"))->setEnabled(enabled);
}

void TfrmMain::ShowHelpTopic(const QString& topic)
{
    platform::ShowHelpTopic(topic);
}

int TfrmMain::RememberedWidth(int index) const
{
    return index >= 0 && index < int(RememberedWidths.size()) ? RememberedWidths[size_t(index)] : 0;
}

void TfrmMain::SaveRememberedWidth(int index, int width)
{
    if (index < 0 || index >= int(RememberedWidths.size()))
        return;
    RememberedWidths[size_t(index)] = width;
    platform::TSettingsKey display;
    if (display.Open(platform::SettingsScope::User, settings_keys::kDisplay, true))
        display.WriteInteger(QString::fromLatin1(kRememberedWidths[index]), width);
}

void TfrmMain::ShowScreenHelp()
{
    ShowHelpTopic(help::ScreenHelpTopic(m_currentScreen));
}

void TfrmMain::Notify(PlugInNotice notice)
{
    for (const PlugInListener& plugIn : m_plugIns)
        plugIn(notice);
}

void TfrmMain::UndoLastGroup()
{
    m_journal.UndoLastGroup();
    // The undone change may have taken away rows the tree still shows; no command may be offered on them.
    m_architect->SyncWithStore();
    m_architect->RerunSelection();
}

void TfrmMain::ImportData()
{
    if (m_currentScreen && m_currentScreen->Kind() == ScreenKind::Account)
        return; // the register's own import command takes over here
    platform::ShowMessage(platform::MsgIcon::Information,
                          QStringLiteral("You must select an account to import data into.\r\n"
                                         "Select an account on the left, and then try again."));
}

void TfrmMain::VisitWeb()
{
    OpenWebPage(this);
}

void TfrmMain::ToggleStartupTips()
{
    // The action has already flipped its own check mark.
    platform::TSettingsKey display;
    if (display.Open(platform::SettingsScope::User, settings_keys::kDisplay, true))
        display.WriteBool(QStringLiteral("ShowTip"), Action(QStringLiteral("mitmStartupTips"))->isChecked());
}
