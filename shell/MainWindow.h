#pragma once

#include "store/DataStore.h"
#include "store/UndoJournal.h"
#include "ui/MainWindowInterface.h"
#include "ui/Screen.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QSplitter;
class QWidget;
class TframArchitect;

// The change notifications a loaded plug-in receives.
enum class PlugInNotice
{
    Systems,
    BudgetItems,
    Parties,
    Accounts,
};

// The main window: the system tree on the left, the screen of the selected node on the right, the main
// menu, and the two database objects of the program (the data file and the undo journal's scratch file).
class TfrmMain : public QMainWindow, public IMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Restores the geometry from the settings, shows the window, builds the tree and the first screen.
    void FormShow();

    // IMainWindow
    TDataStore& Store() override { return m_store; }
    TSQLiteDatabase& Data() override { return m_store.Data(); }
    void OpenStore() override { m_store.OpenStore(); }
    void StoreExec(const QString& sql) override { m_store.StoreExec(sql); }
    QString StoreQueryValue(const QString& sql) override { return m_store.StoreQueryValue(sql); }
    bool StoreChange(const TDataStore::ChangeBody& body) override { return m_store.Change(body); }
    void ResetUndoJournal() override { m_journal.ResetUndoJournal(); }
    void BeginUndoGroup() override { m_journal.BeginUndoGroup(); }
    void RecordUndo(const QString& sql, const QString& notice) override { m_journal.RecordUndo(sql, notice); }
    void EndUndoGroup() override { m_journal.EndUndoGroup(); }
    void RecordUndoGroup(const std::vector<TUndoRecord>& records) override { m_journal.RecordUndoGroup(records); }
    void ExchangeScreen(TScreenFrame* incoming) override;
    TScreenFrame* CurrentScreen() const override { return m_currentScreen; }
    void ShowDefaultScreen() override;
    void SetScreenBusy(bool busy) override { m_screenBusy = busy; }
    bool ScreenBusy() const override { return m_screenBusy; }
    void PostReleaseScreen(TScreenFrame* screen) override;
    void SetPrintEnabled(bool enabled) override;
    bool RememberedShowBudgetTray() const override { return ShowBudgetTray; }
    void SetRememberedShowBudgetTray(bool show) override { ShowBudgetTray = show; }
    int RememberedWidth(int index) const override;
    void SaveRememberedWidth(int index, int width) override;
    void ShowHelpTopic(const QString& topic) override;
    void ShowScreenHelp() override;
    void NotifyUpdateSystems() override { Notify(PlugInNotice::Systems); }
    void NotifyUpdateBudgetItems() override { Notify(PlugInNotice::BudgetItems); }
    void NotifyUpdateParties() override { Notify(PlugInNotice::Parties); }
    void NotifyUpdateAccounts() override { Notify(PlugInNotice::Accounts); }

    // The Undo command.
    void UndoLastGroup();
    // Offers a backup when the last one is more than 30 days old; the end of FormShow.
    void CheckBackupReminder();
    // The restore command; afterwards the tree and its screen are rebuilt from the data file.
    void mitmRestorefrombackupClick();

    TUndoJournal& Journal() { return m_journal; }
    TframArchitect* Architect() const { return m_architect; }
    QAction* Action(const QString& objectName) const;

    // Loaded plug-ins, in load order; each receives every notification.
    using PlugInListener = std::function<void(PlugInNotice)>;
    void AddPlugIn(PlugInListener plugIn) { m_plugIns.push_back(std::move(plugIn)); }

    // Values read from the settings at show time, for the screens.
    bool ShowBudgetTray = true;
    std::array<int, 12> RememberedWidths{};

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void CreateMenus();
    void RunOnSelectedNode(void (TframArchitect::*command)());
    void SaveGeometry();
    void Notify(PlugInNotice notice);
    void ImportData();
    void VisitWeb();
    void ToggleStartupTips();
    // The data file went missing and was created anew: the journal is emptied and the tree and its screen
    // are built from the new file.
    void FollowNewDataFile();

    TDataStore m_store;
    TUndoJournal m_journal;
    std::vector<PlugInListener> m_plugIns;
    QSplitter* m_splitter = nullptr;
    TframArchitect* m_architect = nullptr;
    QWidget* m_screenArea = nullptr;
    QPointer<TScreenFrame> m_currentScreen;
    bool m_screenBusy = false;
    bool m_rebuildPosted = false;
};
