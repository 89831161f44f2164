#include "ledger/RegisterModel.h"

#include "store/Encodings.h"

#include <QPainter>
#include <QPolygon>

namespace {

const char* const kHeaders[TRegisterModel::ColumnCount] = {"Passed", "ID", "Date", "Amount", "To/From", "Notes"};

} // namespace

TRegisterModel::TRegisterModel(QObject* parent)
    : QAbstractTableModel(parent), m_results(std::make_unique<TResultTable>())
{
}

void TRegisterModel::SetResults(std::unique_ptr<TResultTable> results)
{
    beginResetModel();
    m_results = results ? std::move(results) : std::make_unique<TResultTable>();
    m_changedMarks.clear();
    // Taken afresh at every listing, so that a change of the platform's format shows at the next refresh.
    m_locale = QLocale();
    m_dateFormat = m_locale.dateFormat(QLocale::ShortFormat);
    endResetModel();
}

int TRegisterModel::ResultRows() const
{
    return m_results->RowCount(0);
}

int TRegisterModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // With no row, the list still shows one blank row under its header.
    return std::max(1, ResultRows());
}

int TRegisterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

qint64 TRegisterModel::RowID(int row) const
{
    if (row < 0 || row >= ResultRows())
        return 0;
    return m_results->CellBytes(kRowIdColumn, row).toLongLong();
}

bool TRegisterModel::Passed(int row) const
{
    if (row < 0 || row >= ResultRows())
        return false;
    const auto changed = m_changedMarks.constFind(row);
    if (changed != m_changedMarks.constEnd())
        return changed.value();
    return m_results->CellBytes(ColPassed, row) == QByteArrayView("t");
}

void TRegisterModel::SetPassed(int row, bool passed)
{
    if (row < 0 || row >= ResultRows())
        return;
    m_changedMarks.insert(row, passed);
    emit dataChanged(index(row, ColPassed), index(row, ColPassed));
}

int TRegisterModel::RowOf(qint64 transaction) const
{
    if (transaction <= 0)
        return -1;
    const QByteArray wanted = QByteArray::number(transaction);
    const int rows = ResultRows();
    for (int row = 0; row < rows; ++row)
        if (m_results->CellBytes(kRowIdColumn, row) == wanted)
            return row;
    return -1;
}

QString TRegisterModel::Text(int row, int column) const
{
    if (row < 0 || row >= ResultRows())
        return QString();
    switch (column) {
    case ColDate: {
        bool ok = false;
        const int day = m_results->CellBytes(ColDate, row).toInt(&ok);
        const QDate date = DayNumberToDate(day);
        // A cell that is no day number is shown as it is stored rather than stopping the painting.
        return ok && date.isValid() ? m_locale.toString(date, m_dateFormat) : m_results->Cell(ColDate, row);
    }
    case ColAmount: {
        bool ok = false;
        const int hundredths = m_results->CellBytes(ColAmount, row).toInt(&ok);
        return ok ? HundredthsToMoneyText(hundredths) : m_results->Cell(ColAmount, row);
    }
    case ColID:
    case ColParty:
    case ColNotes:
        return m_results->Cell(column, row);
    default:
        return QString();
    }
}

QVariant TRegisterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case kRowIdRole:
        return RowID(index.row());
    case kPassedRole:
        return Passed(index.row());
    default:
        return QVariant();
    }
}

QVariant TRegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QVariant();
    return QString::fromLatin1(kHeaders[section]);
}

// ----------------------------------------------------------------------------------------------------------

TRegisterCellDelegate::TRegisterCellDelegate(QObject* parent) : ui::TGridCellDelegate(parent)
{
    SetMoneyColumns({TRegisterModel::ColAmount});
    // The header counts as the list's row 0: the first data row is row 1, and shaded.
    SetFirstRowNumber(1);
}

void TRegisterCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    ui::TGridCellDelegate::paint(painter, option, index);
    if (index.column() != TRegisterModel::ColPassed || index.data(TRegisterModel::kRowIdRole).toLongLong() <= 0)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QPoint c = option.rect.center();
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(Qt::white);
    painter->drawRect(QRect(c.x() - 5, c.y() - 5, 9, 9));
    if (index.data(TRegisterModel::kPassedRole).toBool()) {
        painter->setPen(QPen(Qt::black, 2));
        const QPoint tick[] = {QPoint(c.x() - 3, c.y() - 1), QPoint(c.x() - 1, c.y() + 2),
                               QPoint(c.x() + 3, c.y() - 3)};
        painter->drawPolyline(tick, 3);
    }
    painter->restore();
}

// ----------------------------------------------------------------------------------------------------------

TRegisterHeader::TRegisterHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    // The list sorts itself when the mouse is released over a header cell (see the register); the
    // header's own sort indicator would only duplicate the triangle drawn here.
    setSortIndicatorShown(false);
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TRegisterHeader::SetSortMark(int column, bool descending)
{
    m_sortColumn = column;
    m_descending = descending;
    viewport()->update();
}

void TRegisterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != m_sortColumn)
        return;
    const int right = rect.right();
    const int middle = rect.center().y();
    const QPolygon triangle({QPoint(right - 4, middle), QPoint(right - 12, middle),
                             m_descending ? QPoint(right - 8, rect.bottom() - 4) : QPoint(right - 8, rect.top() + 4)});
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::black);
    painter->setBrush(Qt::black);
    painter->drawPolygon(triangle);
    painter->restore();
}
