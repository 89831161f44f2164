#pragma once

#include "ui/Screen.h"

#include <QStringList>

class IMainWindow;
class QDateEdit;
class QLabel;
class QToolButton;

namespace budget {
class TDateRangePanel;
class TSummaryGrid;

// The account commands of the system tree, which own the accounts' nodes: the all-accounts screen starts
// them and the tree refreshes that screen when it is the one shown.
class IAccountTree
{
public:
    // Creates an account in the system of the selected node.
    virtual void mitmNewAccountClick() = 0;
    // Deletes the account after the caller asked its own question.
    virtual void DeleteAccountByID(qint64 account) = 0;
    // Renames the account as an edit of its node's caption would, with the same refusals.
    virtual void RenameAccountByID(qint64 account, const QString& name) = 0;

protected:
    ~IAccountTree() = default;
};

} // namespace budget

// All the live accounts of one budget system, right of the tree: each with its debits, credits and
// balance over a date range and its current balance, and the system's total. New and delete are the
// tree's commands, started here; rename goes through the tree's rename of the account's node.
class TframAllAccounts : public TScreenFrame
{
    Q_OBJECT
public:
    enum Column
    {
        kName = 0,
        kPeriodDebits,
        kPeriodCredits,
        kPeriodBalance,
        kCurrentBalance,
    };

    TframAllAccounts(IMainWindow& main, budget::IAccountTree& tree, QWidget* parent = nullptr);

    // The statements of one refresh for a system and a range of day numbers: the list of live accounts,
    // one sum query per figure column (in column order) and the total.
    struct TQueries
    {
        QString list;
        QStringList sums;
        QString total;
    };
    static TQueries Queries(qint64 system, qint32 fromDay, qint32 toDay);

    // Binds the screen to the system: the range of the last month, the remembered widths, the figures
    // and the total.
    void ShowSystem(qint64 system);
    qint64 System() const { return m_system; }
    void RefreshGrid();
    // The total of every live account, whatever the dates say.
    void RefreshTotal();
    // The printed statement of the screen; it arrives with the printed reports, and until then the
    // print commands stay disabled.
    void PrintView();

    // Event handlers, public so that the tests can drive them as the buttons and keys do.
    void spdNewAccountClick();
    void spdEditClick();
    void spdDelAccountClick();
    void spdPrintClick();
    void dtmDateFromChange();
    void dtmDateToChange();

    QToolButton* spdNewAccount;
    QToolButton* spdEdit;
    QToolButton* spdDelAccount;
    QToolButton* spdPrint;
    QLabel* lblTotalCaption;
    QLabel* lblTotal;
    budget::TDateRangePanel* pnlDates;
    QDateEdit* dtmDateFrom;
    QDateEdit* dtmDateTo;
    budget::TSummaryGrid* Grid;

private:
    IMainWindow& m_main;
    budget::IAccountTree& m_tree;
    qint64 m_system = 0;
};
