#pragma once

#include <QColor>
#include <QSet>
#include <QStyledItemDelegate>

// The look every grid of the program shares: every other data row shaded, money that is below zero in
// red, and the text of every cell that is not selected set a little in from its edges.
namespace ui {

QColor StripeColour();
QColor NegativeMoneyColour();
// How far the text of a cell that is not selected stands in from the cell's left and top edges, in pixels.
inline constexpr int kCellTextOffset = 2;

// True for rows that are shaded: the odd ones, counting data rows from 0.
inline bool IsStripedRow(int row)
{
    return row % 2 == 1;
}
// A money text that is drawn in red: one that begins with "-".
bool IsNegativeMoneyText(const QString& text);

// Draws the cells of a grid in the shared look. A cell that is not selected has its text 2 pixels in from
// its left and top edges, on the stripe colour in rows with an odd index, and in the money columns in red
// when it begins with "-": shaded or not, the text stands at the same place in every row. Selected cells
// are drawn the style's own way.
class TGridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TGridCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    void SetMoneyColumns(const QSet<int>& columns) { m_moneyColumns = columns; }
    // The number the first data row has in the grid's own counting of rows: 1 for a grid whose header is
    // its row 0, so that the first data row is shaded; 0 (the default) for a grid without a header row.
    void SetFirstRowNumber(int number) { m_firstRowNumber = number; }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSet<int> m_moneyColumns;
    int m_firstRowNumber = 0;
};

} // namespace ui
