#include "budget/BudgetRulesFrame.h"

#include "budget/EditBudgetRule.h"
#include "budget/RuleRows.h"
#include "budget/SummaryGrid.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/GridLook.h"
#include "ui/MainWindowInterface.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNetDeposit = QStringLiteral("Net Deposit");
const QString kGrossDeposit = QStringLiteral("Gross Deposit");

} // namespace

QString RuleDescription(const TRuleRecord& rule)
{
    const QString amount =
        rule.isPercent ? rule.value + QStringLiteral("%") + QStringLiteral("  of  ") + rule.percentOf : rule.value;
    return rule.into + QStringLiteral("   ") + amount + QStringLiteral("  from  ") + rule.from;
}

QString RuleUpdateSql(qint64 rule, const TRuleSettings& s)
{
    QStringList parts;
    parts << QStringLiteral("IsPercent = %1").arg(FlagSql(s.isPercent));
    if (s.percentOf)
        parts << QStringLiteral("PercentOf = %1")
                     .arg(*s.percentOf == kNetDeposit     ? QStringLiteral("\"Net Deposit\"")
                          : *s.percentOf == kGrossDeposit ? QStringLiteral("\"Gross Deposit\"")
                                                          : QString::number(s.percentOfItem));
    parts << QStringLiteral("Value = %1").arg(s.value);
    if (s.from)
        parts << QStringLiteral("FromBudgetCat = %1").arg(*s.from);
    if (s.into)
        parts << QStringLiteral("IntoBudgetCat = %1").arg(*s.into);
    parts << QStringLiteral("AllAccounts = %1").arg(FlagSql(s.allAccounts));
    if (s.account)
        parts << QStringLiteral("AccountID = %1").arg(*s.account);
    if (s.party)
        parts << QStringLiteral("PartyID = %1").arg(*s.party);
    parts << QStringLiteral("AllDeposits = %1").arg(FlagSql(s.allDeposits));
    return QStringLiteral("UPDATE BudgetRules SET %1 WHERE ROWID = %2").arg(parts.join(QStringLiteral(", "))).arg(rule);
}

// ----------------------------------------------------------------------------------------------------------

int TRulesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rules.size());
}

QVariant TRulesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rules.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return RuleDescription(m_rules[size_t(index.row())]);
    return {};
}

void TRulesModel::SetRules(std::vector<TRuleRecord> rules)
{
    beginResetModel();
    m_rules = std::move(rules);
    endResetModel();
}

// ----------------------------------------------------------------------------------------------------------

QSize TRulesListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), kEntryHeight};
}

void TRulesListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto& rules = m_screen.Rules();
    const int row = index.row();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QColor fill = selected                ? option.palette.color(QPalette::Highlight)
                        : ui::IsStripedRow(row) ? ui::StripeColour()
                                                : option.palette.color(QPalette::Base);
    painter->save();
    painter->fillRect(option.rect, fill);
    if (row >= 0 && row < int(rules.size())) {
        const TRuleRecord& rule = rules[size_t(row)];
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        QFont bold = option.font;
        bold.setBold(true);
        const QFontMetrics boldMetrics(bold);
        const int top = option.rect.top() + kMargin;
        painter->setFont(bold);
        painter->drawText(QPoint(option.rect.left() + kMargin, top + boldMetrics.ascent()), rule.into);
        const int second =
            option.rect.left() + kMargin + m_screen.WidestInto() + boldMetrics.horizontalAdvance(QStringLiteral("XX"));
        const QString amount =
            rule.isPercent ? rule.value + QStringLiteral("%") + QStringLiteral("  of  ") + rule.percentOf : rule.value;
        painter->setFont(option.font);
        painter->drawText(QPoint(second, top + option.fontMetrics.ascent()),
                          QStringLiteral(" ") + amount + QStringLiteral("  from  ") + rule.from);
    }
    painter->restore();
}

// ----------------------------------------------------------------------------------------------------------

TRulesListView::TRulesListView(TframBudgetRules& screen, QWidget* parent) : QListView(parent), m_screen(screen) {}

void TRulesListView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        platform::RunUserAction([this] { m_screen.RulesListDblClick(); });
        return;
    }
    if (event->text() == QLatin1String("+")) {
        event->accept();
        platform::RunUserAction([this] { m_screen.spdRuleUpClick(); });
        return;
    }
    if (event->text() == QLatin1String("-")) {
        event->accept();
        platform::RunUserAction([this] { m_screen.spdRuleDownClick(); });
        return;
    }
    // Delete and Insert act when they are released.
    if (key == Qt::Key_Delete || key == Qt::Key_Insert) {
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void TRulesListView::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Insert) {
        event->accept();
        // A key held down deletes or creates once, not once for every repeat.
        if (event->isAutoRepeat())
            return;
        if (key == Qt::Key_Delete)
            platform::RunUserAction([this] { m_screen.spdDelRuleClick(); });
        else
            platform::RunUserAction([this] { m_screen.spdNewRuleClick(); });
        return;
    }
    QListView::keyReleaseEvent(event);
}

void TRulesListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    platform::RunUserAction([this] { m_screen.RulesListDblClick(); });
}

// ----------------------------------------------------------------------------------------------------------

TframBudgetRules::TframBudgetRules(IMainWindow& main, QWidget* parent)
    : TScreenFrame(ScreenKind::BudgetRules, parent), m_main(main), m_model(new TRulesModel(this))
{
    setObjectName(QStringLiteral("framBudgetRules"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    spdNewRule = budget::ToolButton(this, "spdNewRule", QStringLiteral("New"),
                                    QStringLiteral("Create a new budget rule."), QStyle::SP_FileIcon);
    spdEditRule =
        budget::ToolButton(this, "spdEditRule", QStringLiteral("Edit"), QStringLiteral("Edit the current budget rule."),
                           QStyle::SP_FileDialogDetailedView);
    spdDelRule = budget::ToolButton(this, "spdDelRule", QStringLiteral("Delete"),
                                    QStringLiteral("Delete selected budget rule."), QStyle::SP_TrashIcon);
    spdRuleUp = budget::ToolButton(this, "spdRuleUp", QStringLiteral("Up"),
                                   QStringLiteral("Move the selected budget rule up in the priority list. (+)"),
                                   QStyle::SP_ArrowUp);
    spdRuleDown = budget::ToolButton(this, "spdRuleDown", QStringLiteral("Down"),
                                     QStringLiteral("Move the selected budget rule down in the priority list. (-)"),
                                     QStyle::SP_ArrowDown);
    spdPrint = budget::ToolButton(this, "spdPrint", QStringLiteral("Print"), QStringLiteral("Print current view."),
                                  QStyle::SP_DialogSaveButton);
    // Printing the rules comes with the printed statements.
    spdPrint->setEnabled(false);
    layout->addWidget(budget::Toolbar(
        this, {spdNewRule, spdEditRule, spdDelRule, nullptr, spdRuleUp, spdRuleDown, nullptr, spdPrint}));

    RulesList = new TRulesListView(*this, this);
    RulesList->setObjectName(QStringLiteral("RulesList"));
    RulesList->setModel(m_model);
    RulesList->setItemDelegate(new TRulesListDelegate(*this, RulesList));
    RulesList->setSelectionMode(QAbstractItemView::SingleSelection);
    RulesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RulesList->setUniformItemSizes(true);
    layout->addWidget(RulesList, 1);

    connect(spdNewRule, &QToolButton::clicked, this, platform::UserAction([this] { spdNewRuleClick(); }));
    connect(spdEditRule, &QToolButton::clicked, this, platform::UserAction([this] { RulesListDblClick(); }));
    connect(spdDelRule, &QToolButton::clicked, this, platform::UserAction([this] { spdDelRuleClick(); }));
    connect(spdRuleUp, &QToolButton::clicked, this, platform::UserAction([this] { spdRuleUpClick(); }));
    connect(spdRuleDown, &QToolButton::clicked, this, platform::UserAction([this] { spdRuleDownClick(); }));
    connect(spdPrint, &QToolButton::clicked, this, platform::UserAction([this] { spdPrintClick(); }));
    new platform::THelpKey(this, [this] { m_main.ShowHelpTopic(QStringLiteral("BudgetRulesScreen.htm")); });
}

void TframBudgetRules::ShowSystem(qint64 system)
{
    // The focus stays where it is: the person may be walking the tree with the arrow keys.
    m_system = system;
    RefreshList();
}

QString TframBudgetRules::ListQuery(qint64 system)
{
    // The names come with the rules in one statement. A deleted item, account or party still has its
    // row, so its name is shown all the same.
    return QStringLiteral(
               "SELECT r.ROWID, r.IsPercent, r.PercentOf, r.Value, r.AllAccounts, r.Priority, r.AllDeposits, "
               "r.AccountID, r.PartyID, "
               "(SELECT Name FROM BudgetCategories WHERE ROWID = r.PercentOf), "
               "(SELECT Name FROM BudgetCategories WHERE ROWID = r.FromBudgetCat), "
               "(SELECT Name FROM BudgetCategories WHERE ROWID = r.IntoBudgetCat), "
               "(SELECT Name FROM Accounts WHERE ROWID = r.AccountID), "
               "(SELECT Name FROM Parties WHERE ROWID = r.PartyID) "
               "FROM BudgetRules r WHERE ((r.SystemID = %1) AND (r.Priority > 0)) ORDER BY r.Priority ASC")
        .arg(system);
}

void TframBudgetRules::RefreshList()
{
    std::vector<TRuleRecord> rules;
    TSQLiteDatabase& db = m_main.Data();
    {
        TCloseOnExit close(db);
        m_main.OpenStore();
        // A file that could not be opened runs nothing and would leave an earlier answer in place.
        db.ClearResults();
        db.ExecSQL(ListQuery(m_system));
    }
    const int rows = db.RowCount(0);
    rules.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        TRuleRecord rule;
        rule.rowId = db.Cell(0, row).toLongLong();
        rule.isPercent = db.Cell(1, row) == QLatin1String("t");
        rule.percentOf = db.Cell(2, row);
        rule.value = StoredToMoneyText(db.Cell(3, row));
        rule.allAccounts = db.Cell(4, row) == QLatin1String("t");
        rule.priority = db.Cell(5, row).toLongLong();
        rule.allDeposits = db.Cell(6, row) == QLatin1String("t");
        rule.account = db.Cell(7, row);
        rule.party = db.Cell(8, row);
        if (rule.isPercent && rule.percentOf != kNetDeposit && rule.percentOf != kGrossDeposit)
            rule.percentOf = db.Cell(9, row);
        rule.from = db.Cell(10, row);
        rule.into = db.Cell(11, row);
        if (!rule.allAccounts)
            rule.account = db.Cell(12, row);
        if (!rule.allDeposits)
            rule.party = db.Cell(13, row);
        rules.push_back(std::move(rule));
    }
    db.ClearResults();

    QFont bold = RulesList->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    m_widestInto = 0;
    for (const TRuleRecord& rule : rules)
        m_widestInto = std::max(m_widestInto, metrics.horizontalAdvance(rule.into));
    m_model->SetRules(std::move(rules));
}

void TframBudgetRules::PrintView() {}

void TframBudgetRules::spdPrintClick()
{
    PrintView();
}

int TframBudgetRules::SelectedIndex() const
{
    const QModelIndexList selected = RulesList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TframBudgetRules::SelectIndex(int index)
{
    if (index < 0 || index >= int(Rules().size())) {
        RulesList->clearSelection();
        return;
    }
    RulesList->setCurrentIndex(m_model->index(index));
}

qint64 TframBudgetRules::SelectedRule() const
{
    const int index = SelectedIndex();
    return index < 0 || index >= int(Rules().size()) ? 0 : Rules()[size_t(index)].rowId;
}

namespace {

void RequireRule(TStoreChange& change, qint64 system, qint64 rule)
{
    change.Require(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE ((ROWID = %1) AND (SystemID = %2))")
                       .arg(rule)
                       .arg(system),
                   QStringLiteral("This budget rule no longer exists."));
}

} // namespace

bool TframBudgetRules::StoreRule(qint64 rule, const TRuleSettings& settings, QString* restore)
{
    const QString update = RuleUpdateSql(rule, settings);
    return m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        RequireRule(change, m_system, rule);
        const QString itemGone = QStringLiteral("This budget item no longer exists.");
        for (const std::optional<qint64>& item :
             {settings.from, settings.into,
              settings.percentOfItem ? std::optional<qint64>(settings.percentOfItem) : std::nullopt})
            if (item)
                change.RequireLive(QStringLiteral("BudgetCategories"), m_system, *item, itemGone);
        if (settings.account)
            change.RequireLive(QStringLiteral("Accounts"), m_system, *settings.account,
                               QStringLiteral("This account no longer exists."));
        if (settings.party)
            change.RequireLive(QStringLiteral("Parties"), m_system, *settings.party,
                               QStringLiteral("This party no longer exists."));
        if (restore) {
            const QStringList values = rule_rows::QuotedRule(change, rule);
            QStringList sets;
            for (int i = 0; i < values.size(); ++i)
                sets << QStringLiteral("%1 = %2").arg(rule_rows::RuleColumns()[i], values[i]);
            *restore = QStringLiteral("UPDATE BudgetRules SET %1 WHERE ROWID = %2")
                           .arg(sets.join(QStringLiteral(", ")))
                           .arg(rule);
        }
        change.Exec(update);
    });
}

void TframBudgetRules::RemoveNewRule(qint64 rule)
{
    platform::RunUserAction([&] {
        m_main.StoreChange([&](TStoreChange& change) {
            change.Exec(QStringLiteral("DELETE FROM BudgetRules WHERE ROWID = %1").arg(rule));
        });
    });
}

void TframBudgetRules::spdNewRuleClick()
{
    qint64 rule = 0;
    const bool created = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        const QString unbudgeted = change.QueryValue(
            QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE ((SystemID = %1) AND (Name = \"Unbudgeted\"))")
                .arg(m_system));
        if (unbudgeted.isEmpty())
            throw EChangeRefused(QStringLiteral("This budget system has no \"Unbudgeted\" budget item."));
        // One above every rule of the system, so that priorities stay distinct and the new rule runs last.
        const qint32 highest = TextToInt(change.QueryValue(
            QStringLiteral("SELECT coalesce(max(Priority), 0) FROM BudgetRules WHERE SystemID = %1").arg(m_system)));
        change.Exec(QStringLiteral("INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) "
                                   "VALUES (%1, %2, %2, %3)")
                        .arg(QString::number(m_system), unbudgeted, QString::number(qint64(highest) + 1)));
        rule = change.LastInsertRowID();
    });
    if (!created) {
        RefreshList();
        return;
    }
    // The rule exists while the editor is open; unless it is stored from the editor, it goes again.
    bool kept = false;
    bool refused = false;
    {
        const auto removeUnlessKept = qScopeGuard([&] {
            if (!kept)
                RemoveNewRule(rule);
        });
        TfrmEditBudgetRule editor(m_main, m_system, this);
        editor.LoadRule(rule);
        if (platform::ExecModal(editor) == QDialog::Accepted) {
            kept = StoreRule(rule, editor.Settings(), nullptr);
            refused = !kept;
        }
    }
    if (refused)
        RefreshList();
    if (!kept)
        return;
    m_main.RecordUndoGroup(
        {{QStringLiteral("DELETE FROM BudgetRules WHERE ROWID = %1").arg(rule), QStringLiteral("BudgetRules")}});
    RefreshList();
}

void TframBudgetRules::RulesListDblClick()
{
    const qint64 rule = SelectedRule();
    if (rule == 0)
        return;
    // A rule that went since the list was read (an Undo elsewhere) is not opened as an empty form.
    if (m_main.StoreQueryValue(
            QStringLiteral("SELECT count(*) FROM BudgetRules WHERE ((ROWID = %1) AND (SystemID = %2))")
                .arg(rule)
                .arg(m_system)) != QLatin1String("1")) {
        platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("This budget rule no longer exists."));
        RefreshList();
        return;
    }
    TfrmEditBudgetRule editor(m_main, m_system, this);
    editor.LoadRule(rule);
    if (platform::ExecModal(editor) != QDialog::Accepted)
        return;
    QString restore;
    if (!StoreRule(rule, editor.Settings(), &restore)) {
        RefreshList();
        return;
    }
    m_main.RecordUndoGroup({{restore, QStringLiteral("Accounts")}});
    RefreshList();
}

void TframBudgetRules::spdDelRuleClick()
{
    const qint64 rule = SelectedRule();
    if (rule == 0)
        return;
    QString restore;
    const bool deleted = m_main.StoreChange([&](TStoreChange& change) {
        RequireRule(change, m_system, rule);
        restore = rule_rows::RestoreStatements(change, QStringLiteral("ROWID = %1").arg(rule)).value(0);
        change.Exec(QStringLiteral("DELETE FROM BudgetRules WHERE ROWID = %1").arg(rule));
    });
    if (!deleted) {
        RefreshList();
        return;
    }
    // Undo brings the rule back under a new ROWID: no older record may still name the old one.
    m_main.ResetUndoJournal();
    m_main.RecordUndoGroup({{restore, QStringLiteral("Accounts")}});
    RefreshList();
}

void TframBudgetRules::spdRuleUpClick()
{
    MoveRule(true);
}

void TframBudgetRules::spdRuleDownClick()
{
    MoveRule(false);
}

void TframBudgetRules::MoveRule(bool up)
{
    if (Rules().size() < 2)
        return;
    const qint64 rule = SelectedRule();
    if (rule == 0)
        return;
    std::vector<TUndoRecord> undo;
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        RequireRule(change, m_system, rule);
        const QString p = QString::number(TextToInt(
            change.QueryValue(QStringLiteral("SELECT Priority FROM BudgetRules WHERE ROWID = %1").arg(rule))));
        const QString neighbour = change.QueryValue(
            up ? QStringLiteral("SELECT ROWID FROM BudgetRules WHERE ((Priority < %1) AND (SystemID = %2)) ORDER BY "
                                "Priority DESC")
                     .arg(p, QString::number(m_system))
               : QStringLiteral("SELECT ROWID FROM BudgetRules WHERE ((Priority > %1) AND (SystemID = %2)) ORDER BY "
                                "Priority ASC")
                     .arg(p, QString::number(m_system)));
        if (neighbour.isEmpty())
            return; // the last rule stays last
        const QString q = QString::number(TextToInt(
            change.QueryValue(QStringLiteral("SELECT Priority FROM BudgetRules WHERE ROWID = %1").arg(neighbour))));
        if (q == QLatin1String("0"))
            return; // the base rule always runs first
        change.Exec(QStringLiteral("UPDATE BudgetRules SET Priority = %1 WHERE ROWID = %2").arg(q).arg(rule));
        change.Exec(QStringLiteral("UPDATE BudgetRules SET Priority = %1 WHERE ROWID = %2").arg(p, neighbour));
        undo = {{QStringLiteral("UPDATE BudgetRules SET Priority = %1 WHERE ROWID = %2").arg(p).arg(rule),
                 QStringLiteral("Accounts")},
                {QStringLiteral("UPDATE BudgetRules SET Priority = %1 WHERE ROWID = %2").arg(q, neighbour),
                 QStringLiteral("Accounts")}};
    });
    if (!stored) {
        RefreshList();
        return;
    }
    if (undo.empty())
        return;
    m_main.RecordUndoGroup(undo);
    RefreshList();
    for (size_t i = 0; i < Rules().size(); ++i)
        if (Rules()[i].rowId == rule)
            SelectIndex(int(i));
}
