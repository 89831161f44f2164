#include "budget/SummaryGrid.h"

#include "platform/Messages.h"
#include "platform/Today.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/GridLook.h"
#include "ui/MainWindowInterface.h"

#include <QDateEdit>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace budget {

namespace {

const QString kZero = QStringLiteral("0.00");

} // namespace

void MergeSums(std::vector<TSummaryRow>& rows, int figure, const TSQLiteDatabase& result)
{
    const size_t count = rows.size();
    size_t cursor = 0;
    for (int r = 0; r < result.RowCount(0); ++r) {
        const qint64 key = result.Cell(0, r).toLongLong();
        size_t row = cursor;
        while (row < count && rows[row].key != key)
            ++row;
        if (row == count) {
            // Out of step: the row is listed before the cursor, or not at all. The walk goes on from
            // where it stood, so the rows after it still receive their sums.
            row = 0;
            while (row < cursor && rows[row].key != key)
                ++row;
            if (row == cursor)
                continue;
        } else {
            cursor = row + 1;
        }
        rows[row].figures[figure] = StoredSumToMoneyText(result.Cell(2, r));
    }
}

QDate OneMonthBefore(const QDate& day)
{
    // addMonths keeps the day of the month, or takes the last day of a shorter month.
    return day.addMonths(-1);
}

void ShowMoneyTotal(QLabel& label, const QString& storedSum)
{
    const QString text = StoredSumToMoneyText(storedSum);
    label.setText(text);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, ui::IsNegativeMoneyText(text) ? ui::NegativeMoneyColour() : Qt::black);
    label.setPalette(palette);
}

// ----------------------------------------------------------------------------------------------------------

TSummaryModel::TSummaryModel(std::vector<TSummaryColumn> columns, int boldColumn, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_boldColumn(boldColumn)
{
}

void TSummaryModel::SetRows(std::vector<TSummaryRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void TSummaryModel::SetName(int row, const QString& name)
{
    if (row < 0 || row >= int(m_rows.size()))
        return;
    m_rows[size_t(row)].name = name;
    emit dataChanged(index(row, 0), index(row, 0));
}

QString TSummaryModel::Text(int row, int column) const
{
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= int(m_columns.size()))
        return QString();
    const TSummaryRow& r = m_rows[size_t(row)];
    if (column == 0)
        return r.name;
    return column - 1 < r.figures.size() ? r.figures[column - 1] : QString();
}

int TSummaryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TSummaryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TSummaryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case Qt::FontRole:
        if (index.column() == m_boldColumn) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant TSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= int(m_columns.size()))
        return QVariant();
    return m_columns[size_t(section)].header;
}

// ----------------------------------------------------------------------------------------------------------

TSummaryGrid::TSummaryGrid(IMainWindow& main, std::vector<TSummaryColumn> columns, int boldColumn, QWidget* parent)
    : QTableView(parent), m_main(main)
{
    setObjectName(QStringLiteral("Grid"));
    const int columnCount = int(columns.size());
    m_model = new TSummaryModel(std::move(columns), boldColumn, this);
    setModel(m_model);
    auto* delegate = new ui::TGridCellDelegate(this);
    QSet<int> money;
    for (int column = 1; column < columnCount; ++column)
        money.insert(column);
    delegate->SetMoneyColumns(money);
    // The header is the grid's row 0: the first data row is row 1, and shaded.
    delegate->SetFirstRowNumber(1);
    setItemDelegate(delegate);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The widths are stored when the mouse is released, over the cells or over the header where the
    // person drags the column borders.
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
}

bool TSummaryGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == viewport() || watched == horizontalHeader()->viewport()))
        platform::RunUserAction([this] { SaveChangedWidths(); });
    return QTableView::eventFilter(watched, event);
}

void TSummaryGrid::SetReleaseKeys(std::function<void()> onDelete, std::function<void()> onInsert)
{
    m_onDelete = std::move(onDelete);
    m_onInsert = std::move(onInsert);
}

void TSummaryGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Insert) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TSummaryGrid::keyReleaseEvent(QKeyEvent* event)
{
    const std::function<void()>& command = event->key() == Qt::Key_Delete   ? m_onDelete
                                           : event->key() == Qt::Key_Insert ? m_onInsert
                                                                            : std::function<void()>();
    if (!command) {
        QTableView::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat())
        platform::RunUserAction(command);
}

void TSummaryGrid::Fill(const QString& listSql, const QStringList& sumSql, bool emptyRowWhenNone)
{
    const qint64 selectedKey = SelectedKey();
    const int selectedRow = SelectedRow();
    std::vector<TSummaryRow> rows;
    {
        TSQLiteDatabase& db = m_main.Data();
        TCloseOnExit close(db);
        m_main.OpenStore();
        if (db.ExecSQL(listSql) == 0) {
            rows.reserve(size_t(db.RowCount(0)));
            QStringList zeros;
            for (int i = 0; i < sumSql.size(); ++i)
                zeros.append(kZero);
            for (int r = 0; r < db.RowCount(0); ++r)
                rows.push_back({db.Cell(0, r).toLongLong(), db.Cell(1, r), zeros});
        }
        for (int figure = 0; figure < sumSql.size() && !rows.empty(); ++figure) {
            if (db.ExecSQL(sumSql[figure]) != 0) {
                for (TSummaryRow& row : rows)
                    row.figures[figure].clear();
                continue;
            }
            MergeSums(rows, figure, db);
        }
        db.ClearResults();
    }
    if (rows.empty() && emptyRowWhenNone)
        rows.push_back({0, QString(), QStringList()});
    m_model->SetRows(std::move(rows));

    int row = -1;
    for (int r = 0; r < DataRowCount() && row < 0; ++r)
        if (selectedKey != 0 && m_model->Rows()[size_t(r)].key == selectedKey)
            row = r;
    if (row < 0 && DataRowCount() > 0)
        row = std::clamp(selectedRow, 0, DataRowCount() - 1);
    if (row >= 0)
        selectRow(row);
}

void TSummaryGrid::ApplyRememberedWidths()
{
    const auto& columns = m_model->Columns();
    for (int column = 0; column < int(columns.size()); ++column) {
        const int width = m_main.RememberedWidth(columns[size_t(column)].width);
        if (width > 0)
            setColumnWidth(column, width);
    }
}

void TSummaryGrid::SaveChangedWidths()
{
    const auto& columns = m_model->Columns();
    for (int column = 0; column < int(columns.size()); ++column) {
        const RememberedWidthIndex index = columns[size_t(column)].width;
        const int width = columnWidth(column);
        if (width > 0 && width != m_main.RememberedWidth(index))
            m_main.SaveRememberedWidth(index, width);
    }
}

int TSummaryGrid::SelectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

qint64 TSummaryGrid::SelectedKey() const
{
    const int row = SelectedRow();
    return row < 0 ? 0 : m_model->Rows()[size_t(row)].key;
}

QString TSummaryGrid::SelectedName() const
{
    return m_model->Text(SelectedRow(), 0);
}

void TSummaryGrid::SelectKey(qint64 key)
{
    for (int r = 0; r < DataRowCount(); ++r) {
        if (m_model->Rows()[size_t(r)].key == key) {
            selectRow(r);
            scrollTo(m_model->index(r, 0));
            return;
        }
    }
}

// ----------------------------------------------------------------------------------------------------------

TDateRangePanel::TDateRangePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlDates"));
    // The short format, with the year in full: a two-digit year typed into the field would land in the
    // wrong century.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    const auto makeLabel = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    const auto makeDate = [this, &format](const char* name) {
        auto* date = new QDateEdit(this);
        date->setObjectName(QString::fromLatin1(name));
        date->setCalendarPopup(true);
        date->setDisplayFormat(format);
        date->setDate(platform::Today());
        return date;
    };
    lblDateFrom = makeLabel(QStringLiteral("Date From:"), "lblDateFrom");
    dtmDateFrom = makeDate("dtmDateFrom");
    lblDateTo = makeLabel(QStringLiteral("Date To:"), "lblDateTo");
    dtmDateTo = makeDate("dtmDateTo");
    lblDateFrom->setBuddy(dtmDateFrom);
    lblDateTo->setBuddy(dtmDateTo);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(lblDateFrom);
    layout->addWidget(dtmDateFrom);
    layout->addSpacing(16);
    layout->addWidget(lblDateTo);
    layout->addWidget(dtmDateTo);
    layout->addStretch();
}

void TDateRangePanel::SetDefaultRange()
{
    const QDate today = platform::Today();
    const QSignalBlocker blockFrom(dtmDateFrom);
    const QSignalBlocker blockTo(dtmDateTo);
    dtmDateTo->setDate(today);
    dtmDateFrom->setDate(OneMonthBefore(today));
}

qint32 TDateRangePanel::FromDay() const
{
    return DateToDayNumber(dtmDateFrom->date());
}

qint32 TDateRangePanel::ToDay() const
{
    return DateToDayNumber(dtmDateTo->date());
}

// ----------------------------------------------------------------------------------------------------------

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        QStyle::StandardPixmap picture)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QFrame* Toolbar(QWidget* parent, const std::vector<QWidget*>& widgets)
{
    auto* toolbar = new QFrame(parent);
    toolbar->setObjectName(QStringLiteral("pnlToolbar"));
    auto* layout = new QHBoxLayout(toolbar);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (QWidget* w : widgets) {
        if (!w) {
            auto* separator = new QFrame(toolbar);
            separator->setFrameShape(QFrame::VLine);
            separator->setFrameShadow(QFrame::Sunken);
            w = separator;
        }
        w->setParent(toolbar);
        layout->addWidget(w);
    }
    layout->addStretch();
    return toolbar;
}

QFrame* TotalPanel(QWidget* parent, QLabel*& caption, QLabel*& total)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("pnlTotal"));
    panel->setFrameShape(QFrame::StyledPanel);
    caption = new QLabel(QStringLiteral("Total:  "), panel);
    caption->setObjectName(QStringLiteral("lblTotalCaption"));
    total = new QLabel(QStringLiteral("0.00"), panel);
    total->setObjectName(QStringLiteral("lblTotal"));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total->setMinimumWidth(90);
    for (QLabel* label : {caption, total}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 1, 6, 1);
    layout->addWidget(caption);
    layout->addWidget(total);
    layout->addStretch();
    return panel;
}

void LayOutSummaryScreen(QWidget* screen, const std::vector<QWidget*>& rows)
{
    auto* layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < rows.size(); ++i)
        layout->addWidget(rows[i], i + 1 == rows.size() ? 1 : 0);
}

std::vector<TSummaryColumn> PeriodColumns()
{
    return {
        {QStringLiteral("Name"), kBudgetColWidth},
        {QStringLiteral("Period Debits"), kBudgetAmountColWidth1},
        {QStringLiteral("Period Credits"), kBudgetAmountColWidth2},
        {QStringLiteral("Period Balance"), kBudgetAmountColWidth4},
        {QStringLiteral("Current Balance"), kBudgetAmountColWidth},
    };
}

QStringList PeriodSums(const QString& table, const QString& link, qint64 system, qint32 fromDay, qint32 toDay)
{
    const QString inRange =
        QStringLiteral(" AND (T.Date >= %1) AND (T.Date <= %2)").arg(QString::number(fromDay), QString::number(toDay));
    // Every figure is the sum of one row's transactions that meet the condition, listed by name as the rows
    // are; the ROWID orders two rows of one name the same way in every query.
    const auto sums = [&](const QString& tables, const QString& condition) {
        return QStringLiteral("SELECT P.ROWID, P.Name, sum(T.Amount) FROM %1 WHERE ((P.SystemID = %2) AND "
                              "(P.Deleted = \"f\") AND (T.%3 = P.ROWID)%4) GROUP BY P.ROWID ORDER BY "
                              "P.Name ASC, P.ROWID ASC")
            .arg(tables, QString::number(system), link, condition);
    };
    // A period's figures start from the transactions of the range, found through the index on their dates,
    // and look up the row of each: a month holds a few hundred transactions where the rows' histories hold a
    // hundred thousand. The engine keeps no statistics of the file and would otherwise walk every row's whole
    // history; CROSS JOIN keeps that order whatever indexes come.
    const QString period = QStringLiteral("Transactions T CROSS JOIN %1 P").arg(table);
    const QString whole = QStringLiteral("%1 P, Transactions T").arg(table);
    return {
        sums(period, QStringLiteral(" AND (T.Amount < 0)") + inRange),
        sums(period, QStringLiteral(" AND (T.Amount > 0)") + inRange),
        sums(period, inRange),
        sums(whole, QString()),
    };
}

} // namespace budget
