#pragma once

#include "ui/Screen.h"

class IMainWindow;
class QDateEdit;
class QLabel;
class QToolButton;

namespace budget {
class TDateRangePanel;
class TSummaryGrid;
} // namespace budget

// The budget items of one budget system, right of the tree: each live item with what it received and
// gave over a date range and its current balance, the system's total, and the commands that create,
// rename and delete budget items and move money between them. Every figure is read from the data file at
// each refresh; every change is written at once, with its undo group.
class TframBudgetItems : public TScreenFrame
{
    Q_OBJECT
public:
    // The grid's columns.
    enum Column
    {
        kName = 0,
        kPeriodDebits,
        kPeriodCredits,
        kPeriodTransfers,
        kPeriodBalance,
        kCurrentBalance,
    };

    explicit TframBudgetItems(IMainWindow& main, QWidget* parent = nullptr);

    // The statements of one refresh for a system and a range of day numbers: the list of live items, one
    // sum query per figure column (in column order) and the total.
    struct TQueries
    {
        QString list;
        QStringList sums;
        QString total;
    };
    static TQueries Queries(qint64 system, qint32 fromDay, qint32 toDay);

    // Binds the screen to the system: the range of the last month, the remembered widths, the figures.
    void ShowSystem(qint64 system);
    qint64 System() const { return m_system; }
    void RefreshGrid();
    void RefreshTotal();
    // The printed statement of the screen; it arrives with the printed reports, and until then the
    // print commands stay disabled.
    void PrintView();

    // Event handlers, public so that the tests can drive them as the buttons and keys do.
    void spdNewItemClick();
    void spdEditClick();
    void spdTransClick();
    void spdDelItemClick();
    void spdPrintClick();
    void dtmDateFromChange();
    void dtmDateToChange();

    QToolButton* spdNewItem;
    QToolButton* spdEdit;
    QToolButton* spdTrans;
    QToolButton* spdDelItem;
    QToolButton* spdPrint;
    QLabel* lblTotalCaption;
    QLabel* lblTotal;
    budget::TDateRangePanel* pnlDates;
    QDateEdit* dtmDateFrom;
    QDateEdit* dtmDateTo;
    budget::TSummaryGrid* Grid;

protected:
    // GridKeyPress and GridKeyUp.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The selected item when a command may act on it: a listed item other than "Unbudgeted", which is
    // never renamed or deleted. 0 otherwise.
    qint64 SelectedEditableItem() const;

    IMainWindow& m_main;
    qint64 m_system = 0;
};
