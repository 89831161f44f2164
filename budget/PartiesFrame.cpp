#include "budget/PartiesFrame.h"

#include "budget/NewParty.h"
#include "budget/RuleRows.h"
#include "budget/SummaryGrid.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "ui/MainWindowInterface.h"

#include <QDateEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kNotice = QStringLiteral("Parties");
// Every system's hidden party of the transfers between accounts holds this name.
const QString kTransfer = QStringLiteral("Transfer");

QString Reserved()
{
    return QStringLiteral("\"Transfer\" is a reserved name");
}

// The checks a command makes in the file before it writes: the screen may show what an Undo, or another
// screen, has taken away since it was filled.
void RequireLiveParty(TStoreChange& change, qint64 system, qint64 party)
{
    change.RequireSystem(system);
    change.RequireLive(QStringLiteral("Parties"), system, party, QStringLiteral("This party no longer exists."));
}

} // namespace

TframParties::TframParties(IMainWindow& main, QWidget* parent) : TScreenFrame(ScreenKind::Parties, parent), m_main(main)
{
    setObjectName(QStringLiteral("framParties"));

    using budget::ToolButton;
    spdNewParty = ToolButton(this, "spdNewParty", QStringLiteral("New"), QStringLiteral("Add a new party. (ins)"),
                             QStyle::SP_FileIcon);
    spdEditParty =
        ToolButton(this, "spdEditParty", QStringLiteral("Edit"),
                   QStringLiteral("Edit the currently selected party. (enter)"), QStyle::SP_FileDialogDetailedView);
    spdMerge = ToolButton(this, "spdMerge", QStringLiteral("Merge"), QStringLiteral("Merge two parties"),
                          QStyle::SP_ArrowRight);
    spdDeleteParty = ToolButton(this, "spdDeleteParty", QStringLiteral("Delete"),
                                QStringLiteral("Delete the currently selected party. (del)"), QStyle::SP_TrashIcon);
    spdPrint = ToolButton(this, "spdPrint", QStringLiteral("Print"), QStringLiteral("Print the current view."),
                          QStyle::SP_DialogSaveButton);
    // Printing arrives with the printed reports.
    spdPrint->setEnabled(false);
    QFrame* toolbar = budget::Toolbar(this, {spdNewParty, spdEditParty, spdMerge, spdDeleteParty, nullptr, spdPrint});

    pnlDates = new budget::TDateRangePanel(this);
    dtmDateFrom = pnlDates->dtmDateFrom;
    dtmDateTo = pnlDates->dtmDateTo;

    Grid = new budget::TSummaryGrid(main, budget::PeriodColumns(), kCurrentBalance, this);
    Grid->installEventFilter(this);

    Grid->SetReleaseKeys([this] { spdDeletePartyClick(); }, [this] { spdNewPartyClick(); });
    budget::LayOutSummaryScreen(this, {toolbar, pnlDates, Grid});

    connect(spdNewParty, &QToolButton::clicked, this, platform::UserAction([this] { spdNewPartyClick(); }));
    connect(spdEditParty, &QToolButton::clicked, this, platform::UserAction([this] { spdEditPartyClick(); }));
    connect(spdMerge, &QToolButton::clicked, this, platform::UserAction([this] { spdMergeClick(); }));
    connect(spdDeleteParty, &QToolButton::clicked, this, platform::UserAction([this] { spdDeletePartyClick(); }));
    connect(spdPrint, &QToolButton::clicked, this, platform::UserAction([this] { spdPrintClick(); }));
    connect(Grid, &QAbstractItemView::doubleClicked, this, platform::UserAction([this] { spdEditPartyClick(); }));
    connect(dtmDateFrom, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateFromChange(); }));
    connect(dtmDateTo, &QDateEdit::dateChanged, this, platform::UserAction([this] { dtmDateToChange(); }));
    new platform::THelpKey(this, [this] { m_main.ShowHelpTopic(QStringLiteral("PartiesScreen.htm")); });
}

TframParties::TQueries TframParties::Queries(qint64 system, qint32 fromDay, qint32 toDay)
{
    TQueries queries;
    // The hidden "Transfer" is stored as deleted, so neither the list nor the figures hold it. A party's
    // figures count the transactions of every account, a deleted account's too.
    queries.list = QStringLiteral("SELECT ROWID, Name FROM Parties WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                                  "ORDER BY Name ASC, ROWID ASC")
                       .arg(system);
    queries.sums =
        budget::PeriodSums(QStringLiteral("Parties"), QStringLiteral("SecondPartyID"), system, fromDay, toDay);
    return queries;
}

void TframParties::ShowSystem(qint64 system)
{
    ReleasePending = false;
    m_system = system;
    pnlDates->SetDefaultRange();
    Grid->ApplyRememberedWidths();
    RefreshGrid();
    // The main window's Print command stays disabled (the screen exchange disabled it) until the screen
    // has its printed statement.
}

void TframParties::RefreshGrid()
{
    const TQueries queries = Queries(m_system, pnlDates->FromDay(), pnlDates->ToDay());
    // Without a party the grid keeps one empty row under its header.
    Grid->Fill(queries.list, queries.sums, true);
}

void TframParties::PrintView()
{
    // The parties statement belongs to the printed reports, which the program does not have yet.
}

void TframParties::spdNewPartyClick()
{
    TfrmNewParty dialog(this);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    // The field keeps out what CleanText would change; this only matters for a name that came otherwise.
    const QString name = CleanText(dialog.Name());
    if (name == kTransfer) {
        platform::ShowMessage(platform::MsgIcon::Warning, Reserved());
        return;
    }
    if (name.trimmed().isEmpty())
        return;
    const QString where =
        QStringLiteral("(SystemID = %1) AND (Name = %2)").arg(QString::number(m_system), SqlText(name));
    qint64 party = 0;
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        // A live party of that name is left as it is, and then there is nothing to undo either (undoing
        // would mark that party deleted).
        if (change.QueryValue(
                QStringLiteral("SELECT count(*) FROM Parties WHERE (%1 AND (Deleted = \"f\"))").arg(where)) !=
            QLatin1String("0"))
            return;
        // A deleted party of that name comes back, and its transactions count again.
        const QString deleted = change.QueryValue(
            QStringLiteral("SELECT ROWID FROM Parties WHERE (%1 AND (Deleted = \"t\")) ORDER BY ROWID").arg(where));
        if (deleted.isEmpty()) {
            change.Exec(QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (%1, %2)")
                            .arg(QString::number(m_system), SqlText(name)));
            party = change.LastInsertRowID();
            return;
        }
        party = deleted.toLongLong();
        change.Exec(QStringLiteral("UPDATE Parties SET Deleted = \"f\" WHERE ROWID = %1").arg(party));
    });
    if (stored && party > 0)
        m_main.RecordUndoGroup(
            {{QStringLiteral("UPDATE Parties SET Deleted = \"t\" WHERE ROWID = %1").arg(party), kNotice}});
    if (stored)
        m_main.NotifyUpdateParties();
    RefreshGrid();
    if (party > 0)
        Grid->SelectKey(party);
}

void TframParties::spdEditPartyClick()
{
    const qint64 party = Grid->SelectedKey();
    if (party <= 0)
        return;
    const int row = Grid->SelectedRow();
    TfrmNewParty dialog(this);
    dialog.edName->setText(Grid->SelectedName());
    dialog.edName->selectAll();
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    const QString name = CleanText(dialog.Name());
    if (name.trimmed().isEmpty())
        return;
    // The hidden party of the transfers holds the name in every system.
    if (name == kTransfer) {
        platform::ShowMessage(platform::MsgIcon::Warning, Reserved());
        return;
    }
    QString old;
    bool renamed = false;
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveParty(change, m_system, party);
        old = change.QueryValue(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = %1").arg(party));
        if (old == name)
            return;
        // Two parties of one name could not be told apart in any list, and a new party of that name
        // would revive or leave alone the wrong one; deleted parties keep their names too.
        const QString taken = change.QueryValue(
            QStringLiteral("SELECT count(*) FROM Parties WHERE ((SystemID = %1) AND (Name = %2) AND (ROWID <> %3))")
                .arg(QString::number(m_system), SqlText(name), QString::number(party)));
        if (taken != QLatin1String("0"))
            throw EChangeRefused(
                QStringLiteral("A party named \"%1\" already exists.\rPlease choose another name.").arg(name));
        change.Exec(
            QStringLiteral("UPDATE Parties SET Name = %1 WHERE ROWID = %2").arg(SqlText(name), QString::number(party)));
        renamed = true;
    });
    if (!stored) {
        // Refused: the screen shows the file as it now is.
        RefreshGrid();
        return;
    }
    if (!renamed)
        return;
    m_main.RecordUndoGroup(
        {{QStringLiteral("UPDATE Parties SET Name = %1 WHERE ROWID = %2").arg(SqlText(old), QString::number(party)),
          kNotice}});
    m_main.NotifyUpdateParties();
    // The row keeps its place until the next refill.
    Grid->Model()->SetName(row, name);
}

void TframParties::spdMergeClick()
{
    TfrmNewParty dialog(this);
    dialog.ShowMergeLists(m_main, m_system);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    // Closing the question keeps both parties: only Yes merges.
    if (platform::ShowMessage(platform::MsgIcon::Warning,
                              QStringLiteral("Are you sure you want to merge these parties?\r\nYou will not be able "
                                             "to undo this operation."),
                              platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    const qint64 from = dialog.FromParty();
    const qint64 into = dialog.IntoParty();
    if (from <= 0 || into <= 0 || from == into)
        return;
    // All of it or nothing: no transaction or rule may be left naming a party that is gone.
    const bool merged = m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveParty(change, m_system, from);
        RequireLiveParty(change, m_system, into);
        change.Exec(QStringLiteral("UPDATE Transactions SET SecondPartyID = %1 WHERE SecondPartyID = %2")
                        .arg(QString::number(into), QString::number(from)));
        change.Exec(QStringLiteral("UPDATE BudgetRules SET PartyID = %1 WHERE PartyID = %2")
                        .arg(QString::number(into), QString::number(from)));
        change.Exec(QStringLiteral("UPDATE Parties SET Deleted = \"t\" WHERE ROWID = %1").arg(from));
    });
    if (merged) {
        // Older undo groups may bring back rows that name the merged party: none of them survives.
        m_main.ResetUndoJournal();
        m_main.NotifyUpdateParties();
    }
    RefreshGrid();
}

void TframParties::spdDeletePartyClick()
{
    const qint64 party = Grid->SelectedKey();
    if (party <= 0)
        return;
    if (platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("Are you sure you want to delete this party?"),
                              platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    std::vector<TUndoRecord> undo;
    const bool deleted = m_main.StoreChange([&](TStoreChange& change) {
        RequireLiveParty(change, m_system, party);
        // Every rule that names the party goes with it, whatever it applies to; Undo brings each back as
        // it was, NULLs included, so the values are read as the engine's own literals.
        for (const QString& statement : rule_rows::RestoreStatements(change, QStringLiteral("PartyID = %1").arg(party)))
            undo.push_back({statement, kNotice});
        change.Exec(QStringLiteral("UPDATE Parties SET Deleted = \"t\" WHERE ROWID = %1").arg(party));
        change.Exec(QStringLiteral("DELETE FROM BudgetRules WHERE PartyID = %1").arg(party));
    });
    if (deleted) {
        // Older groups may re-create rules or transactions around the party as it was; only this
        // deletion stays undoable.
        m_main.ResetUndoJournal();
        undo.push_back({QStringLiteral("UPDATE Parties SET Deleted = \"f\" WHERE ROWID = %1").arg(party), kNotice});
        m_main.RecordUndoGroup(undo);
        m_main.NotifyUpdateParties();
    }
    RefreshGrid();
}

void TframParties::spdPrintClick()
{
    PrintView();
}

void TframParties::dtmDateFromChange()
{
    RefreshGrid();
}

void TframParties::dtmDateToChange()
{
    RefreshGrid();
}

bool TframParties::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Grid)
        return TScreenFrame::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            platform::RunUserAction([this] { spdEditPartyClick(); });
            return true;
        }
    }
    return TScreenFrame::eventFilter(watched, event);
}
