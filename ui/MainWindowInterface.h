#pragma once

#include "store/DataStore.h"
#include "store/UndoJournal.h"

#include <QString>
#include <vector>

class TDataStore;
class TScreenFrame;
class TSQLiteDatabase;

// The remembered column widths, in the order the main window keeps them.
enum RememberedWidthIndex
{
    kPassedColWidth = 0,
    kIDColWidth = 1,
    kDateColWidth = 2,
    kAmountColWidth = 3,
    kPartyColWidth = 4,
    kBudgetColWidth = 5,
    kBudgetAmountColWidth1 = 6,
    kBudgetAmountColWidth2 = 7,
    kBudgetAmountColWidth3 = 8,
    kBudgetAmountColWidth4 = 9,
    kBudgetAmountColWidth = 10,
    kNotesColWidth = 11,
};

// What the screens and dialogs may ask of the main window. They reach the data file only through the
// store operations here, and record their undo groups here.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    virtual TDataStore& Store() = 0;
    // Shorthands for the store's operations on the data-file object.
    virtual TSQLiteDatabase& Data() = 0;
    virtual void OpenStore() = 0;
    virtual void StoreExec(const QString& sql) = 0;
    virtual QString StoreQueryValue(const QString& sql) = 0;
    // The one way a change is written: all of its statements or none (TDataStore::Change).
    virtual bool StoreChange(const TDataStore::ChangeBody& body) = 0;

    virtual void ResetUndoJournal() = 0;
    virtual void BeginUndoGroup() = 0;
    virtual void RecordUndo(const QString& sql, const QString& notice) = 0;
    virtual void EndUndoGroup() = 0;
    // The undo group of a change that has just been committed.
    virtual void RecordUndoGroup(const std::vector<TUndoRecord>& records) = 0;

    // Puts a new screen right of the tree; the outgoing one is freed once none of its handlers runs.
    virtual void ExchangeScreen(TScreenFrame* incoming) = 0;
    virtual TScreenFrame* CurrentScreen() const = 0;
    virtual void ShowDefaultScreen() = 0;
    // While true, a screen that is replaced is only marked for release (see TScreenFrame::ReleasePending).
    virtual void SetScreenBusy(bool busy) = 0;
    virtual bool ScreenBusy() const = 0;
    // A screen whose release was deferred asks for it here once its handler has returned.
    virtual void PostReleaseScreen(TScreenFrame* screen) = 0;

    virtual void SetPrintEnabled(bool enabled) = 0;

    // Whether the transaction wizard shows its budget tray: read from the settings when the main window is
    // shown, and kept current by the wizard, which also writes it back to the settings.
    virtual bool RememberedShowBudgetTray() const = 0;
    virtual void SetRememberedShowBudgetTray(bool show) = 0;

    // The column widths the screens share, read from the settings when the main window is shown; index i
    // is the i-th of RememberedWidthIndex. Saving keeps the new width and writes it to the settings at once.
    virtual int RememberedWidth(int index) const = 0;
    virtual void SaveRememberedWidth(int index, int width) = 0;

    virtual void ShowHelpTopic(const QString& topic) = 0;
    virtual void ShowScreenHelp() = 0;

    // The four change notifications every loaded plug-in receives, in load order.
    virtual void NotifyUpdateSystems() = 0;
    virtual void NotifyUpdateBudgetItems() = 0;
    virtual void NotifyUpdateParties() = 0;
    virtual void NotifyUpdateAccounts() = 0;
};
