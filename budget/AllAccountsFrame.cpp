#include "budget/AllAccountsFrame.h"

#include "budget/SummaryGrid.h"
#include "ledger/NewBudgetItem.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "store/Encodings.h"
#include "ui/MainWindowInterface.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

TframAllAccounts::TframAllAccounts(IMainWindow& main, budget::IAccountTree& tree, QWidget* parent)
    : TScreenFrame(ScreenKind::AllAccounts, parent), m_main(main), m_tree(tree)
{
    setObjectName(QStringLiteral("framAllAccounts"));

    using budget::ToolButton;
    spdNewAccount = ToolButton(this, "spdNewAccount", QStringLiteral("New"), QStringLiteral("Create a new account."),
                               QStyle::SP_FileIcon);
    spdEdit = ToolButton(this, "spdEdit", QStringLiteral("Edit"), QString(), QStyle::SP_FileDialogDetailedView);
    spdDelAccount = ToolButton(this, "spdDelAccount", QStringLiteral("Delete"),
                               QStringLiteral("Delete the current account."), QStyle::SP_TrashIcon);
    spdPrint = ToolButton(this, "spdPrint", QStringLiteral("Print"), QStringLiteral("Print the current view."),
                          QStyle::SP_DialogSaveButton);
    // Printing arrives with the printed reports.
    spdPrint->setEnabled(false);
    QFrame* toolbar = budget::Toolbar(this, {spdNewAccount, spdEdit, spdDelAccount, nullptr, spdPrint});
    QFrame* totalPanel = budget::TotalPanel(this, lblTotalCaption, lblTotal);

    pnlDates = new budget::TDateRangePanel(this);
    dtmDateFrom = pnlDates->dtmDateFrom;
    dtmDateTo = pnlDates->dtmDateTo;

    Grid = new budget::TSummaryGrid(main, budget::PeriodColumns(), kCurrentBalance, this);
    Grid->SetReleaseKeys([this] { spdDelAccountClick(); }, [this] { spdNewAccountClick(); });
    budget::LayOutSummaryScreen(this, {toolbar, totalPanel, pnlDates, Grid});

    connect(spdNewAccount, &QToolButton::clicked, this, platform::UserAction([this] { spdNewAccountClick(); }));
    connect(spdEdit, &QToolButton::clicked, this, platform::UserAction([this] { spdEditClick(); }));
    connect(spdDelAccount, &QToolButton::clicked, this, platform::UserAction([this] { spdDelAccountClick(); }));
    connect(spdPrint, &QToolButton::clicked, this, platform::UserAction([this] { spdPrintClick(); }));
    connect(dtmDateFrom, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateFromChange(); }));
    connect(dtmDateTo, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateToChange(); }));
    new platform::THelpKey(this, [this] { m_main.ShowHelpTopic(QStringLiteral("AccountsScreen.htm")); });
}

TframAllAccounts::TQueries TframAllAccounts::Queries(qint64 system, qint32 fromDay, qint32 toDay)
{
    const QString s = QString::number(system);
    TQueries queries;
    queries.list = QStringLiteral("SELECT ROWID, Name FROM Accounts WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                                  "ORDER BY Name ASC, ROWID ASC")
                       .arg(s);
    queries.sums = budget::PeriodSums(QStringLiteral("Accounts"), QStringLiteral("AccountID"), system, fromDay, toDay);
    queries.total = QStringLiteral("SELECT sum(Transactions.Amount) FROM Transactions, Accounts WHERE "
                                   "((Transactions.AccountID = Accounts.ROWID) AND (Accounts.SystemID = %1) AND "
                                   "(Accounts.Deleted = \"f\"))")
                        .arg(s);
    return queries;
}

void TframAllAccounts::ShowSystem(qint64 system)
{
    ReleasePending = false;
    m_system = system;
    pnlDates->SetDefaultRange();
    Grid->ApplyRememberedWidths();
    RefreshGrid();
    RefreshTotal();
    // The main window's Print command stays disabled (the screen exchange disabled it) until the screen
    // has its printed statement.
}

void TframAllAccounts::RefreshGrid()
{
    const TQueries queries = Queries(m_system, pnlDates->FromDay(), pnlDates->ToDay());
    // Without an account the grid keeps one empty row under its header.
    Grid->Fill(queries.list, queries.sums, true);
}

void TframAllAccounts::RefreshTotal()
{
    budget::ShowMoneyTotal(*lblTotal, m_main.StoreQueryValue(Queries(m_system, 0, 0).total));
}

void TframAllAccounts::PrintView()
{
    // The all-accounts statement belongs to the printed reports, which the program does not have yet.
}

void TframAllAccounts::spdNewAccountClick()
{
    // The tree selects the new account's node, whose register replaces this screen while the command
    // runs; this screen is freed only once the command has returned here.
    RunWhileBusy(m_main, [this] { m_tree.mitmNewAccountClick(); });
}

void TframAllAccounts::spdEditClick()
{
    const qint64 account = Grid->SelectedKey();
    if (account <= 0)
        return;
    TfrmNewBudgetItem dialog(this);
    dialog.setWindowTitle(QStringLiteral("Account Name"));
    dialog.lblPrompt->setText(QStringLiteral("Give your Account a new name."));
    dialog.edItemName->setText(Grid->SelectedName());
    dialog.edItemName->selectAll();
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    // The tree stores the name, renames the node and records the undo group, or refuses a name the
    // system's accounts already hold; either way the grid shows the file as it now is.
    m_tree.RenameAccountByID(account, dialog.Name());
    RefreshGrid();
}

void TframAllAccounts::spdDelAccountClick()
{
    const qint64 account = Grid->SelectedKey();
    if (account <= 0)
        return;
    // Closing the question keeps the account: only Yes deletes.
    if (platform::ShowMessage(
            platform::MsgIcon::Warning,
            QStringLiteral("Are you sure you want to permanently delete \"%1\"?").arg(Grid->SelectedName()),
            platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    // The tree refreshes this screen after the deletion; a refusal that finds the system gone may
    // replace it, so it stays alive until the command has returned.
    RunWhileBusy(m_main, [this, account] { m_tree.DeleteAccountByID(account); });
}

void TframAllAccounts::spdPrintClick()
{
    PrintView();
}

void TframAllAccounts::dtmDateFromChange()
{
    RefreshGrid();
}

void TframAllAccounts::dtmDateToChange()
{
    RefreshGrid();
}
