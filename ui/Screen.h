#pragma once

#include "ui/MainWindowInterface.h"

#include <QFrame>
#include <functional>

// The kinds of screen that can stand right of the system tree; the help topic of F1 follows the kind.
enum class ScreenKind
{
    System,
    Account,
    BudgetItems,
    BudgetRules,
    Parties,
    AllAccounts,
};

// Base of every screen shown right of the system tree. A screen that is replaced while one of its own
// handlers runs is not freed at once: ReleasePending tells the handler, when it returns, to ask the main
// window to free it.
class TScreenFrame : public QFrame
{
public:
    explicit TScreenFrame(ScreenKind kind, QWidget* parent = nullptr) : QFrame(parent), m_kind(kind) {}
    ScreenKind Kind() const { return m_kind; }

    // Runs a command that may replace this very screen (a new system, say, selects that system's node)
    // and may show modal dialogs meanwhile. The screen stays alive until the command has returned here;
    // if it was replaced, it then asks the main window to free it.
    void RunWhileBusy(IMainWindow& main, const std::function<void()>& command)
    {
        main.SetScreenBusy(true);
        try {
            command();
        } catch (...) {
            Finish(main);
            throw;
        }
        Finish(main);
    }

    bool ReleasePending = false;

private:
    void Finish(IMainWindow& main)
    {
        main.SetScreenBusy(false);
        if (ReleasePending)
            main.PostReleaseScreen(this);
    }

    ScreenKind m_kind;
};
