#pragma once

#include "ui/MainWindowInterface.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QStringList>
#include <QStyle>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <vector>

class IMainWindow;
class QDateEdit;
class QFrame;
class QToolButton;
class QLabel;
class TSQLiteDatabase;

// What the summary screens of a budget system share: the budget items, the parties and all the accounts
// are each listed as one row per live row of the system, by name, with money figures summed by the
// engine over a date range and in total.
namespace budget {

// One row of a summary grid: the ROWID it stands for (the key every command of the screen acts on), the
// name shown in column 0 and the money texts of the other columns, figures[0] being column 1.
struct TSummaryRow
{
    qint64 key = 0;
    QString name;
    QStringList figures;
};

// The forward merge of one figure column. `result` holds the rows of a sum query, (ROWID, Name, sum), in
// the order of `rows` (by name) and only for rows that have something to sum; each sum lands, as money
// text, in figures[figure] of the row with its ROWID, never by name. Rows without a result row keep what
// they hold ("0.00" from the start). A result row out of step with the list (two rows of the same name
// that the two queries ordered differently) is looked up instead of ending the walk, and one whose ROWID
// the list does not hold is left out.
void MergeSums(std::vector<TSummaryRow>& rows, int figure, const TSQLiteDatabase& result);

// The date a summary screen's range starts from by default: one calendar month before the day, on the
// same day of the month or on the last day of a shorter month.
QDate OneMonthBefore(const QDate& day);

// Shows a sum of money values (as the engine gives it; empty for a sum over no rows) in a total label, in
// red when it is below zero and in black otherwise.
void ShowMoneyTotal(QLabel& label, const QString& storedSum);

// A column of a summary grid: its header and which of the main window's remembered widths it takes.
struct TSummaryColumn
{
    QString header;
    RememberedWidthIndex width;
};

// The rows of a summary grid for the view: column 0 the name, the others money texts, with one column
// (the current balance) in bold.
class TSummaryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    TSummaryModel(std::vector<TSummaryColumn> columns, int boldColumn, QObject* parent = nullptr);

    void SetRows(std::vector<TSummaryRow> rows);
    // Shows another name in a row without refilling (a rename that keeps the row where it is).
    void SetName(int row, const QString& name);
    const std::vector<TSummaryRow>& Rows() const { return m_rows; }
    const std::vector<TSummaryColumn>& Columns() const { return m_columns; }
    // The text of a cell, as the grid shows it.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<TSummaryColumn> m_columns;
    int m_boldColumn;
    std::vector<TSummaryRow> m_rows;
};

// The grid of a summary screen (the screens call it Grid): a header row, whole-row selection, columns the
// person may size, every other data row shaded starting with the first, money below zero in red and the
// bold column in bold. The widths are the main window's remembered ones; a mouse button released over
// the grid or its header stores those the person changed.
class TSummaryGrid : public QTableView
{
    Q_OBJECT
public:
    TSummaryGrid(IMainWindow& main, std::vector<TSummaryColumn> columns, int boldColumn, QWidget* parent = nullptr);

    // Refills the grid with the data file opened once and closed at the end, also on an error. listSql
    // gives (ROWID, Name) of the rows to list, by name; sumSql holds one query per money column, in column
    // order, each giving (ROWID, Name, sum) in the same order, and is merged in by MergeSums. A money
    // column whose query fails shows blank cells rather than a zero that was never summed. With nothing
    // to list and emptyRowWhenNone, one empty row (key 0) stands in the grid. The row that was selected
    // stays selected when it is listed again; otherwise the selection keeps its place.
    void Fill(const QString& listSql, const QStringList& sumSql, bool emptyRowWhenNone = false);

    // Sets the column widths from the main window's remembered widths; one of 0 or less keeps its width.
    void ApplyRememberedWidths();
    // Stores the width of every column that differs from its remembered width and is above 0, in the
    // main window and in the settings (GridMouseUp).
    void SaveChangedWidths();

    // The selected data row, or -1; its key (0 without one) and its name.
    int SelectedRow() const;
    qint64 SelectedKey() const;
    QString SelectedName() const;
    // Selects the row of that key, when it is listed.
    void SelectKey(qint64 key);

    int DataRowCount() const { return int(m_model->Rows().size()); }
    QString Text(int row, int column) const { return m_model->Text(row, column); }
    TSummaryModel* Model() const { return m_model; }

    // What Delete and Insert do over the grid. Both act at their release, so that a key held down does not
    // run its command again and again; their presses never reach the list.
    void SetReleaseKeys(std::function<void()> onDelete, std::function<void()> onInsert);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    IMainWindow& m_main;
    TSummaryModel* m_model;
    std::function<void()> m_onDelete;
    std::function<void()> m_onInsert;
};

// The two date fields of a summary screen, "Date From:" and "Date To:" in bold, date only, in the
// person's short date format. The screen connects their dateChanged signals to its refresh.
class TDateRangePanel : public QWidget
{
    Q_OBJECT
public:
    explicit TDateRangePanel(QWidget* parent = nullptr);

    // To today, from one calendar month before it, without a change being signalled.
    void SetDefaultRange();
    // The day numbers of the range, both ends included.
    qint32 FromDay() const;
    qint32 ToDay() const;

    QLabel* lblDateFrom;
    QDateEdit* dtmDateFrom;
    QLabel* lblDateTo;
    QDateEdit* dtmDateTo;
};

// A button of a summary screen's toolbar: caption beside a picture, the hint naming its key, never taking
// the focus from the grid.
QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        QStyle::StandardPixmap picture);
// The toolbar of a summary screen: the widgets from the left in their order, a null entry standing for a
// separator.
QFrame* Toolbar(QWidget* parent, const std::vector<QWidget*>& widgets);
// The panel of a screen's total: the bold caption and the bold total label, both made here.
QFrame* TotalPanel(QWidget* parent, QLabel*& caption, QLabel*& total);
// Lays out a summary screen from the top: its toolbar, its total line when it has one, the date fields,
// and last the grid, which takes the room left.
void LayOutSummaryScreen(QWidget* screen, const std::vector<QWidget*>& rows);

// The columns of the parties and the all-accounts screens: the name, the period's debits, credits and
// balance, and the current balance.
std::vector<TSummaryColumn> PeriodColumns();
// The sum queries of those columns for the live rows of table (Parties or Accounts) in a system, each row's
// transactions being those whose column link names it; the period's between the two day numbers.
QStringList PeriodSums(const QString& table, const QString& link, qint64 system, qint32 fromDay, qint32 toDay);

} // namespace budget
