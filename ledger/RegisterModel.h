#pragma once

#include "store/SQLiteDatabase.h"
#include "ui/GridLook.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>
#include <QLocale>
#include <memory>

// The list of the account register, read straight from the result table of its query. The register's
// query delivers, in this order: Passed, TransID, Date, Amount, the party's name, Notes and ROWID; the
// model keeps that table as it came and turns a cell into the text on screen only when it is painted, so
// that an account of decades lists as quickly as the engine delivers its rows.
class TRegisterModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The list's columns.
    enum Column
    {
        ColPassed,
        ColID,
        ColDate,
        ColAmount,
        ColParty,
        ColNotes,
        ColumnCount
    };
    // The transaction's ROWID (0 for the blank row) and its passed mark (true or false).
    static constexpr int kRowIdRole = Qt::UserRole + 1;
    static constexpr int kPassedRole = Qt::UserRole + 2;

    explicit TRegisterModel(QObject* parent = nullptr);

    // Takes over the result of the list query; the list then shows its rows, or one blank row when it has
    // none.
    void SetResults(std::unique_ptr<TResultTable> results);
    // The rows of the result (the blank row not counted).
    int ResultRows() const;

    qint64 RowID(int row) const;
    bool Passed(int row) const;
    // Changes the mark as the list shows it, for a change made in the data file meanwhile.
    void SetPassed(int row, bool passed);
    // The row of the transaction, or -1.
    int RowOf(qint64 transaction) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text a cell shows.
    QString Text(int row, int column) const;

private:
    // The result's column of each list column, and of the ROWID.
    static constexpr int kRowIdColumn = 6;

    std::unique_ptr<TResultTable> m_results;
    // Marks changed in the data file since the query ran, by row.
    QHash<int, bool> m_changedMarks;
    QLocale m_locale;
    QString m_dateFormat;
};

// The register's cells: the shared grid look, with the passed mark drawn as a small check box.
class TRegisterCellDelegate : public ui::TGridCellDelegate
{
    Q_OBJECT
public:
    explicit TRegisterCellDelegate(QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The register's header row, which marks the column the list is sorted on with a small black triangle
// at its right edge: pointing down when the order is descending, up when ascending.
class TRegisterHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TRegisterHeader(QWidget* parent = nullptr);
    void SetSortMark(int column, bool descending);
    int SortColumn() const { return m_sortColumn; }
    bool Descending() const { return m_descending; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_sortColumn = -1;
    bool m_descending = true;
};
