#include "budget/BudgetItemsFrame.h"

#include "budget/BudgetTransfer.h"
#include "budget/SummaryGrid.h"
#include "ledger/NewBudgetItem.h"
#include "ledger/controls/RealEdit.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "platform/Today.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "ui/MainWindowInterface.h"

#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kUnbudgeted = QStringLiteral("Unbudgeted");
const QString kNotice = QStringLiteral("BudgetItems");

QString ItemGone()
{
    return QStringLiteral("This budget item no longer exists.");
}

QString NotZero()
{
    return QStringLiteral("A budget item must have a total value of 0.00 before you can delete it.");
}

// The checks a command makes in the file before it writes: the screen may show what an Undo, or another
// screen, has taken away since it was filled.
void RequireLiveItem(TStoreChange& change, qint64 system, qint64 item)
{
    change.RequireSystem(system);
    change.RequireLive(QStringLiteral("BudgetCategories"), system, item, ItemGone());
}

// "Unbudgeted" is known by its name alone; the file is asked too, since the screen's name may be stale.
bool StoredAsUnbudgeted(TStoreChange& change, qint64 item)
{
    return change.QueryValue(QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE ((ROWID = %1) AND "
                                            "(Name = %2))")
                                 .arg(QString::number(item), SqlText(kUnbudgeted))) != QLatin1String("0");
}

QString ItemSum(qint64 item)
{
    return QStringLiteral("SELECT sum(Amount) FROM NewBudgetTransactions WHERE BudgetCatID = %1").arg(item);
}

bool IsZeroSum(const QString& stored)
{
    return StoredSumToMoneyText(stored) == QLatin1String("0.00");
}

} // namespace

TframBudgetItems::TframBudgetItems(IMainWindow& main, QWidget* parent)
    : TScreenFrame(ScreenKind::BudgetItems, parent), m_main(main)
{
    setObjectName(QStringLiteral("framBudgetItems"));

    using budget::ToolButton;
    spdNewItem = ToolButton(this, "spdNewItem", QStringLiteral("New"),
                            QStringLiteral("Create a new budget item. (ins)"), QStyle::SP_FileIcon);
    spdEdit = ToolButton(this, "spdEdit", QStringLiteral("Edit"), QStringLiteral("Edit the current budget item."),
                         QStyle::SP_FileDialogDetailedView);
    spdTrans = ToolButton(this, "spdTrans", QStringLiteral("Transfer"),
                          QStringLiteral("Transfer money between budget items. (=)"), QStyle::SP_BrowserReload);
    spdDelItem = ToolButton(this, "spdDelItem", QStringLiteral("Delete"),
                            QStringLiteral("Delete selected budget item. (del)"), QStyle::SP_TrashIcon);
    spdPrint = ToolButton(this, "spdPrint", QStringLiteral("Print"), QStringLiteral("Print the current view."),
                          QStyle::SP_DialogSaveButton);
    // Printing arrives with the printed reports.
    spdPrint->setEnabled(false);
    QFrame* toolbar = budget::Toolbar(this, {spdNewItem, spdEdit, spdTrans, spdDelItem, nullptr, spdPrint});
    QFrame* totalPanel = budget::TotalPanel(this, lblTotalCaption, lblTotal);

    pnlDates = new budget::TDateRangePanel(this);
    dtmDateFrom = pnlDates->dtmDateFrom;
    dtmDateTo = pnlDates->dtmDateTo;

    Grid = new budget::TSummaryGrid(main,
                                    {
                                        {QStringLiteral("Name"), kBudgetColWidth},
                                        {QStringLiteral("Period Debits"), kBudgetAmountColWidth1},
                                        {QStringLiteral("Period Credits"), kBudgetAmountColWidth2},
                                        {QStringLiteral("Period Transfers"), kBudgetAmountColWidth3},
                                        {QStringLiteral("Period Balance"), kBudgetAmountColWidth4},
                                        {QStringLiteral("Current Balance"), kBudgetAmountColWidth},
                                    },
                                    kCurrentBalance, this);
    Grid->installEventFilter(this);
    Grid->SetReleaseKeys([this] { spdDelItemClick(); }, [this] { spdNewItemClick(); });
    budget::LayOutSummaryScreen(this, {toolbar, totalPanel, pnlDates, Grid});

    connect(spdNewItem, &QToolButton::clicked, this, platform::UserAction([this] { spdNewItemClick(); }));
    connect(spdEdit, &QToolButton::clicked, this, platform::UserAction([this] { spdEditClick(); }));
    connect(spdTrans, &QToolButton::clicked, this, platform::UserAction([this] { spdTransClick(); }));
    connect(spdDelItem, &QToolButton::clicked, this, platform::UserAction([this] { spdDelItemClick(); }));
    connect(spdPrint, &QToolButton::clicked, this, platform::UserAction([this] { spdPrintClick(); }));
    connect(Grid, &QAbstractItemView::doubleClicked, this, platform::UserAction([this] { spdEditClick(); }));
    connect(dtmDateFrom, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateFromChange(); }));
    connect(dtmDateTo, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateToChange(); }));
    new platform::THelpKey(this, [this] { m_main.ShowHelpTopic(QStringLiteral("BudgetItemsScreen.htm")); });
}

void TframBudgetItems::ShowSystem(qint64 system)
{
    ReleasePending = false;
    m_system = system;
    pnlDates->SetDefaultRange();
    Grid->ApplyRememberedWidths();
    RefreshGrid();
    // The main window's Print command stays disabled (the screen exchange disabled it) until the screen
    // has its printed statement.
}

TframBudgetItems::TQueries TframBudgetItems::Queries(qint64 system, qint32 fromDay, qint32 toDay)
{
    const QString s = QString::number(system);
    const QString inRange = QStringLiteral(" AND (T.TransDate >= %1) AND (T.TransDate <= %2)")
                                .arg(QString::number(fromDay), QString::number(toDay));
    // Every figure is the sum of one item's allocations that meet the condition, listed by name as the
    // rows are; the ROWID orders two rows of one name the same way in every query.
    const auto sums = [&s](const QString& tables, const QString& condition) {
        return QStringLiteral("SELECT P.ROWID, P.Name, sum(T.Amount) FROM %1 WHERE ((P.SystemID = %2) AND "
                              "(P.Deleted = \"f\")%3 AND (T.BudgetCatID = P.ROWID)) GROUP BY P.ROWID ORDER BY "
                              "P.Name ASC, P.ROWID ASC")
            .arg(tables, s, condition);
    };
    // A period's figures start from the allocations of the range, found through the index on their dates,
    // and look up the item of each: a month holds a few hundred allocations where the items' histories
    // hold a hundred thousand. Left to itself, the engine, which keeps no statistics of the file, walks
    // every item's whole history instead; CROSS JOIN keeps the tables in the order written.
    const QString period = QStringLiteral("NewBudgetTransactions T CROSS JOIN BudgetCategories P");
    const QString whole = QStringLiteral("BudgetCategories P, NewBudgetTransactions T");
    TQueries queries;
    queries.list = QStringLiteral("SELECT ROWID, Name FROM BudgetCategories WHERE ((SystemID = %1) AND "
                                  "(Deleted = \"f\")) ORDER BY Name ASC, ROWID ASC")
                       .arg(s);
    queries.sums = {
        // Allocations of transactions, debits and credits; a transfer between items has no transaction
        // (TransID 0).
        sums(period, QStringLiteral(" AND (T.TransID > 0)") + inRange + QStringLiteral(" AND (T.Amount < 0)")),
        sums(period, QStringLiteral(" AND (T.TransID > 0)") + inRange + QStringLiteral(" AND (T.Amount > 0)")),
        sums(period, QStringLiteral(" AND (T.TransID = 0)") + inRange),
        sums(period, inRange),
        sums(whole, QString()),
    };
    queries.total =
        QStringLiteral("SELECT sum(NewBudgetTransactions.Amount) FROM NewBudgetTransactions, BudgetCategories WHERE "
                       "(BudgetCategories.Deleted = \"f\") AND (BudgetCategories.ROWID = "
                       "NewBudgetTransactions.BudgetCatID) AND (BudgetCategories.SystemID = %1)")
            .arg(s);
    return queries;
}

void TframBudgetItems::RefreshGrid()
{
    const TQueries queries = Queries(m_system, pnlDates->FromDay(), pnlDates->ToDay());
    Grid->Fill(queries.list, queries.sums);
    RefreshTotal();
}

void TframBudgetItems::RefreshTotal()
{
    const TQueries queries = Queries(m_system, 0, 0);
    budget::ShowMoneyTotal(*lblTotal, m_main.StoreQueryValue(queries.total));
}

void TframBudgetItems::PrintView()
{
    // The budget items statement belongs to the printed reports, which the program does not have yet.
}

qint64 TframBudgetItems::SelectedEditableItem() const
{
    const qint64 item = Grid->SelectedKey();
    if (item <= 0 || Grid->SelectedName() == kUnbudgeted)
        return 0;
    return item;
}

void TframBudgetItems::spdNewItemClick()
{
    TfrmNewBudgetItem dialog(this);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    // Stored the way the data file keeps every typed name; the field already refuses what CleanText
    // would change, so this only matters for a name that arrived some other way.
    const QString name = CleanText(dialog.Name());
    if (name.trimmed().isEmpty())
        return;
    qint64 item = 0;
    // A deleted item of that name comes back with its allocations; a live one is left as it is, and then
    // there is nothing to undo either (undoing would mark that item deleted).
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        item = StoreNamedBudgetItem(change, m_system, name);
    });
    if (stored && item > 0)
        m_main.RecordUndoGroup(
            {{QStringLiteral("UPDATE BudgetCategories SET Deleted = \"t\" WHERE ROWID = %1").arg(item), kNotice}});
    if (stored)
        m_main.NotifyUpdateBudgetItems();
    RefreshGrid();
    if (item > 0)
        Grid->SelectKey(item);
}

void TframBudgetItems::spdEditClick()
{
    const qint64 item = SelectedEditableItem();
    if (item == 0)
        return;
    TfrmNewBudgetItem dialog(this);
    dialog.setWindowTitle(QStringLiteral("Budget Item Name"));
    dialog.lblPrompt->setText(QStringLiteral("Give your Budget Item a new name."));
    dialog.edItemName->setText(Grid->SelectedName());
    dialog.edItemName->selectAll();
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    const QString name = CleanText(dialog.Name());
    QString old;
    bool renamed = false;
    // A blank name is refused like a taken one; so is the unchanged name, which counts itself.
    const bool stored = name.trimmed().isEmpty() || m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveItem(change, m_system, item);
        if (StoredAsUnbudgeted(change, item))
            return;
        const QString taken = change.QueryValue(
            QStringLiteral("SELECT count(Name) FROM BudgetCategories WHERE ((SystemID = %1) AND (Name = %2))")
                .arg(QString::number(m_system), SqlText(name)));
        if (taken != QLatin1String("0"))
            return;
        old = change.QueryValue(QStringLiteral("SELECT Name FROM BudgetCategories WHERE ROWID = %1").arg(item));
        change.Exec(QStringLiteral("UPDATE BudgetCategories SET Name = %1 WHERE ROWID = %2")
                        .arg(SqlText(name), QString::number(item)));
        renamed = true;
    });
    if (renamed)
        m_main.RecordUndoGroup({{QStringLiteral("UPDATE BudgetCategories SET Name = %1 WHERE ROWID = %2")
                                     .arg(SqlText(old), QString::number(item)),
                                 kNotice}});
    if (stored)
        m_main.NotifyUpdateBudgetItems();
    RefreshGrid();
}

void TframBudgetItems::spdTransClick()
{
    TfrmBudgetTransfer dialog(this);
    dialog.LoadBudgetItems(m_main, m_system);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    const qint64 from = dialog.FromItem();
    const qint64 to = dialog.ToItem();
    const qint32 amount = dialog.edAmount->IntValue();
    if (from <= 0 || to <= 0 || from == to || amount <= 0)
        return;
    const QString today = QString::number(DateToDayNumber(platform::Today()));
    qint64 out = 0;
    qint64 in = 0;
    // Both halves or neither: money never leaves one item without reaching the other.
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveItem(change, m_system, from);
        RequireLiveItem(change, m_system, to);
        const QString insert =
            QStringLiteral("INSERT INTO NewBudgetTransactions(BudgetCatID, Amount, TransDate) VALUES (%1, %2, %3)");
        change.Exec(insert.arg(QString::number(from), QString::number(-qint64(amount)), today));
        out = change.LastInsertRowID();
        change.Exec(insert.arg(QString::number(to), QString::number(amount), today));
        in = change.LastInsertRowID();
    });
    if (stored)
        m_main.RecordUndoGroup({
            {QStringLiteral("DELETE FROM NewBudgetTransactions WHERE ROWID = %1").arg(out), kNotice},
            {QStringLiteral("DELETE FROM NewBudgetTransactions WHERE ROWID = %1").arg(in), kNotice},
        });
    RefreshGrid();
    if (stored)
        m_main.NotifyUpdateBudgetItems();
}

void TframBudgetItems::spdDelItemClick()
{
    const qint64 item = SelectedEditableItem();
    if (item == 0)
        return;
    // All of its allocations, of any date; an item without any sums to zero too.
    if (!IsZeroSum(m_main.StoreQueryValue(ItemSum(item)))) {
        platform::ShowMessage(platform::MsgIcon::Warning, NotZero());
        return;
    }
    // Closing the question keeps the item: only Yes deletes.
    if (platform::ShowMessage(platform::MsgIcon::Warning,
                              QStringLiteral("Are you sure you want to permanently delete this item?"),
                              platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    bool deleted = false;
    m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveItem(change, m_system, item);
        if (StoredAsUnbudgeted(change, item))
            return;
        // The question may have stood while another screen wrote: the sum is checked again.
        if (!IsZeroSum(change.QueryValue(ItemSum(item))))
            throw EChangeRefused(NotZero());
        change.Exec(QStringLiteral("UPDATE BudgetCategories SET Deleted = \"t\" WHERE ROWID = %1").arg(item));
        deleted = true;
    });
    if (deleted) {
        m_main.RecordUndoGroup(
            {{QStringLiteral("UPDATE BudgetCategories SET Deleted = \"f\" WHERE ROWID = %1").arg(item), kNotice}});
        m_main.NotifyUpdateBudgetItems();
    }
    RefreshGrid();
}

void TframBudgetItems::spdPrintClick()
{
    PrintView();
}

void TframBudgetItems::dtmDateFromChange()
{
    RefreshGrid();
}

void TframBudgetItems::dtmDateToChange()
{
    RefreshGrid();
}

bool TframBudgetItems::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Grid)
        return TScreenFrame::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String("=")) {
            platform::RunUserAction([this] { spdTransClick(); });
            return true;
        }
    }
    return TScreenFrame::eventFilter(watched, event);
}
