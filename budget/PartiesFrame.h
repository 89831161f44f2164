#pragma once

#include "ui/Screen.h"

#include <QStringList>

class IMainWindow;
class QDateEdit;
class QToolButton;

namespace budget {
class TDateRangePanel;
class TSummaryGrid;
} // namespace budget

// The parties of one budget system, right of the tree: each live party with what it paid and received
// over a date range and in all, and the commands that add, rename, delete and merge parties. The figures
// are read from the data file at each refresh; every change is written at once.
class TframParties : public TScreenFrame
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

    explicit TframParties(IMainWindow& main, QWidget* parent = nullptr);

    // The statements of one refresh for a system and a range of day numbers: the list of live parties
    // and one sum query per figure column, in column order.
    struct TQueries
    {
        QString list;
        QStringList sums;
    };
    static TQueries Queries(qint64 system, qint32 fromDay, qint32 toDay);

    // Binds the screen to the system: the range of the last month, the remembered widths, the figures.
    void ShowSystem(qint64 system);
    qint64 System() const { return m_system; }
    void RefreshGrid();
    // The printed statement of the screen; it arrives with the printed reports, and until then the
    // print commands stay disabled.
    void PrintView();

    // Event handlers, public so that the tests can drive them as the buttons and keys do.
    void spdNewPartyClick();
    void spdEditPartyClick();
    void spdMergeClick();
    void spdDeletePartyClick();
    void spdPrintClick();
    void dtmDateFromChange();
    void dtmDateToChange();

    QToolButton* spdNewParty;
    QToolButton* spdEditParty;
    QToolButton* spdMerge;
    QToolButton* spdDeleteParty;
    QToolButton* spdPrint;
    budget::TDateRangePanel* pnlDates;
    QDateEdit* dtmDateFrom;
    QDateEdit* dtmDateTo;
    budget::TSummaryGrid* Grid;

protected:
    // GridKeyPress and GridKeyUp.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IMainWindow& m_main;
    qint64 m_system = 0;
};
