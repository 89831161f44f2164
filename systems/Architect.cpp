#include "systems/Architect.h"

#include "budget/AllAccountsFrame.h"
#include "budget/BudgetItemsFrame.h"
#include "budget/BudgetRulesFrame.h"
#include "budget/RuleRows.h"
#include "budget/PartiesFrame.h"
#include "ledger/AccountRegister.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "resources/Resources.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "systems/PasswordDialogs.h"
#include "systems/SystemScreen.h"
#include "ui/MainWindowInterface.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <map>
#include <set>

namespace {

// Pictures of the tree, by number.
enum Picture
{
    kFolderClosed = 0,
    kFolderDocument = 1,
    kDocument = 2,
    kEnvelope = 3,
    kGear = 4,
    kPerson = 5,
};

const char* const kPictureFiles[6] = {
    ":/images/TreeFolderClosed.png", ":/images/TreeFolderDocument.png", ":/images/TreeDocument.png",
    ":/images/TreeEnvelope.png",     ":/images/TreeGear.png",           ":/images/TreePerson.png",
};

constexpr int kDataRole = Qt::UserRole;

// The nine statements that remove a budget system and everything it holds, in the order that keeps
// every sub-select able to find its rows.
QStringList DeleteSystemStatements(qint64 system)
{
    const QString s = QString::number(system);
    const QString accounts = QStringLiteral("SELECT ROWID FROM Accounts WHERE SystemID = %1").arg(s);
    const QString transactions = QStringLiteral("SELECT ROWID FROM Transactions WHERE AccountID IN (%1)").arg(accounts);
    return {
        QStringLiteral("DELETE FROM NewBudgetTransactions WHERE BudgetCatID IN "
                       "(SELECT ROWID FROM BudgetCategories WHERE SystemID = %1)")
            .arg(s),
        QStringLiteral("DELETE FROM TransTOTrans WHERE TransID1 IN (%1)").arg(transactions),
        QStringLiteral("DELETE FROM TransTOTrans WHERE TransID2 IN (%1)").arg(transactions),
        QStringLiteral("DELETE FROM Transactions WHERE AccountID IN (%1)").arg(accounts),
        QStringLiteral("DELETE FROM Accounts WHERE SystemID = %1").arg(s),
        QStringLiteral("DELETE FROM BudgetSystems WHERE ROWID = %1").arg(s),
        QStringLiteral("DELETE FROM BudgetCategories WHERE SystemID = %1").arg(s),
        QStringLiteral("DELETE FROM BudgetRules WHERE SystemID = %1").arg(s),
        QStringLiteral("DELETE FROM Parties WHERE SystemID = %1").arg(s),
    };
}

} // namespace

// Caption editing ends here instead of in the model: the frame decides whether the new name is stored.
class TCaptionDelegate : public QStyledItemDelegate
{
public:
    TCaptionDelegate(TframArchitect& owner, QObject* parent) : QStyledItemDelegate(parent), m_owner(owner) {}
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* node = m_owner.m_tree->itemFromIndex(index);
        if (line && node)
            platform::RunUserAction([&] { m_owner.CaptionEdited(node, line->text()); });
    }

private:
    TframArchitect& m_owner;
};

TArchitectTree::TArchitectTree(TframArchitect& owner, QWidget* parent) : QTreeWidget(parent), m_owner(owner) {}

void TArchitectTree::FinishEditing()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool TArchitectTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // A click on the selected node only schedules the editor; the decision falls when it really opens.
    const bool opens = trigger == AllEditTriggers || (trigger != SelectedClicked && (editTriggers() & trigger));
    if (opens && index.isValid()) {
        QTreeWidgetItem* node = itemFromIndex(index);
        if (state() == EditingState)
            return false;
        if (!node || !m_owner.MayEdit(node))
            return false;
    }
    return QTreeWidget::edit(index, trigger, event);
}

bool TArchitectTree::OnBranchIndicator(QTreeWidgetItem* node, const QPoint& pos) const
{
    const QRect rect = visualItemRect(node);
    return pos.x() < rect.left() && pos.x() >= rect.left() - indentation();
}

void TArchitectTree::mousePressEvent(QMouseEvent* event)
{
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    // The password is asked before a system opens, so that nothing of it shows while the question is up.
    if (node && event->button() == Qt::LeftButton && OnBranchIndicator(node, event->position().toPoint()) &&
        !m_owner.MayExpand(node)) {
        event->accept();
        return;
    }
    if (!node) {
        // Empty space: no node, and so the screen without a system.
        clearSelection();
        setCurrentItem(nullptr);
        return;
    }
    if (event->button() != Qt::LeftButton)
        setCurrentItem(node);
    QTreeWidget::mousePressEvent(event);
}

void TArchitectTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if (node && !m_owner.MayExpand(node)) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void TArchitectTree::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Plus:
    case Qt::Key_Asterisk:
        if (currentItem() && !m_owner.MayExpand(currentItem())) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    if (event->key() == Qt::Key_Delete && !m_owner.Editing()) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TArchitectTree::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        platform::RunUserAction([this] { m_owner.m_main.ShowScreenHelp(); });
        return;
    }
    if (event->key() == Qt::Key_Delete && !m_owner.Editing()) {
        event->accept();
        platform::RunUserAction([this] { m_owner.mitmDeleteClick(); });
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

void TArchitectTree::contextMenuEvent(QContextMenuEvent* event)
{
    m_owner.PreparePopup();
    m_owner.m_popup->popup(event->globalPos());
}

TframArchitect::TframArchitect(IMainWindow& main, QWidget* parent)
    : QFrame(parent), m_main(main), m_tree(new TArchitectTree(*this, this)), m_popup(new QMenu(this))
{
    InitCofferlyResources();
    setObjectName(QStringLiteral("framArchitect1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);

    m_tree->setObjectName(QStringLiteral("TreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setItemDelegate(new TCaptionDelegate(*this, m_tree));
    // The selection stays visible, in its active colours, when the tree loses the focus.
    QPalette palette = m_tree->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_tree->setPalette(palette);
    for (int i = 0; i < 6; ++i)
        m_pictures[i] = QIcon(QString::fromLatin1(kPictureFiles[i]));

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
        platform::RunUserAction([this, current] { TreeViewChange(current); });
    });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        // The last guard, for an opening that came some other way: a system opens only to someone who
        // may see it.
        bool refused = true;
        platform::RunUserAction(
            [&] { refused = KindOf(node) == NodeKind::System && !CheckSystemPassword(NodeData(node)); });
        if (refused) {
            const QSignalBlocker block(m_tree);
            node->setExpanded(false);
        }
    });
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { m_editing = false; });

    m_popup->setObjectName(QStringLiteral("popTreeView"));
    QMenu* newMenu = m_popup->addMenu(QStringLiteral("New"));
    m_newSystem = newMenu->addAction(QStringLiteral("Budget System"));
    m_newSystem->setObjectName(QStringLiteral("mitmNewSystem"));
    m_newAccount = newMenu->addAction(QStringLiteral("Account"));
    m_newAccount->setObjectName(QStringLiteral("mitmNewAccount"));
    m_delete = m_popup->addAction(QStringLiteral("Delete"));
    m_delete->setObjectName(QStringLiteral("mitmDelete"));
    m_rename = m_popup->addAction(QStringLiteral("Rename"));
    m_rename->setObjectName(QStringLiteral("mitmRename"));
    m_popup->addSeparator();
    m_changePass = m_popup->addAction(QStringLiteral("Change password..."));
    m_changePass->setObjectName(QStringLiteral("mitmChangePass"));
    connect(m_newSystem, &QAction::triggered, this, platform::UserAction([this] { mitmNewSystemClick(); }));
    connect(m_newAccount, &QAction::triggered, this, platform::UserAction([this] { mitmNewAccountClick(); }));
    connect(m_delete, &QAction::triggered, this, platform::UserAction([this] { mitmDeleteClick(); }));
    connect(m_rename, &QAction::triggered, this, platform::UserAction([this] { mitmRenameClick(); }));
    connect(m_changePass, &QAction::triggered, this, platform::UserAction([this] { mitmChangePassClick(); }));
}

NodeKind TframArchitect::KindOf(const QTreeWidgetItem* node)
{
    if (!node)
        return NodeKind::None;
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    if (level == 0)
        return NodeKind::System;
    if (level == 2)
        return NodeKind::Account;
    const QString caption = node->text(0);
    if (caption == QLatin1String("Accounts"))
        return NodeKind::Accounts;
    if (caption == QLatin1String("Budget Items"))
        return NodeKind::BudgetItems;
    if (caption == QLatin1String("Budget Rules"))
        return NodeKind::BudgetRules;
    return NodeKind::Parties;
}

qint64 TframArchitect::NodeData(const QTreeWidgetItem* node)
{
    return node ? node->data(0, kDataRole).toLongLong() : 0;
}

QTreeWidgetItem* TframArchitect::SystemNodeOf(QTreeWidgetItem* node)
{
    while (node && node->parent())
        node = node->parent();
    return node;
}

QTreeWidgetItem* TframArchitect::AddNode(QTreeWidgetItem* parent, const QString& caption, qint64 data, int picture)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    node->setText(0, caption);
    if (data)
        node->setData(0, kDataRole, data);
    node->setIcon(0, m_pictures[picture]);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    return node;
}

QTreeWidgetItem* TframArchitect::AddSystemNode(const QString& caption, qint64 system)
{
    return AddNode(nullptr, caption, system, kFolderClosed);
}

void TframArchitect::AddGroupNodes(QTreeWidgetItem* systemNode)
{
    AddNode(systemNode, QStringLiteral("Budget Items"), 0, kEnvelope);
    AddNode(systemNode, QStringLiteral("Parties"), 0, kPerson);
    AddNode(systemNode, QStringLiteral("Budget Rules"), 0, kGear);
    AddNode(systemNode, QStringLiteral("Accounts"), 0, kFolderDocument);
}

void TframArchitect::BuildSystemTree()
{
    m_editing = false;
    {
        const QSignalBlocker block(m_tree);
        m_tree->clear();
        TSQLiteDatabase& db = m_main.Data();
        TCloseOnExit close(db);
        // Whatever happens, the tree starts closed and nobody's password is remembered.
        const auto reset = qScopeGuard([this] {
            m_tree->collapseAll();
            m_rememberedPassword.clear();
        });
        m_main.OpenStore();
        db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM BudgetSystems ORDER BY Name"));
        // Taken out first: the account queries below replace the result table.
        std::vector<std::pair<QString, qint64>> systems;
        for (int row = 0; row < db.RowCount(0); ++row)
            systems.emplace_back(db.Cell(0, row), db.Cell(1, row).toLongLong());
        for (const auto& [name, system] : systems) {
            QTreeWidgetItem* node = AddSystemNode(name, system);
            AddGroupNodes(node);
            db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM Accounts WHERE ((SystemID = %1) AND "
                                      "(Deleted = \"f\")) ORDER BY Name")
                           .arg(system));
            QTreeWidgetItem* accounts = node->child(3);
            for (int row = 0; row < db.RowCount(0); ++row)
                AddNode(accounts, db.Cell(0, row), db.Cell(1, row).toLongLong(), kDocument);
        }
    }
    if (m_tree->topLevelItemCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
}

void TframArchitect::RerunSelection()
{
    TreeViewChange(m_tree->currentItem());
}

void TframArchitect::TreeViewChange(QTreeWidgetItem* node)
{
    // Releasing the screen also disables Print.
    m_main.ExchangeScreen(nullptr);
    switch (KindOf(node)) {
    case NodeKind::System: {
        const qint64 system = NodeData(node);
        if (!CheckSystemPassword(system)) {
            // Nothing of a system stays in view for someone who may not see it.
            const QSignalBlocker block(m_tree);
            node->setExpanded(false);
            m_main.ShowDefaultScreen();
            return;
        }
        {
            const QSignalBlocker block(m_tree);
            node->setExpanded(true);
        }
        ShowSystem(system);
        break;
    }
    case NodeKind::Account: {
        auto* screen = new TframAccount(m_main);
        m_main.ExchangeScreen(screen);
        screen->ShowAccount(NodeData(node));
        break;
    }
    case NodeKind::BudgetItems: {
        auto* screen = new TframBudgetItems(m_main);
        m_main.ExchangeScreen(screen);
        screen->ShowSystem(NodeData(SystemNodeOf(node)));
        break;
    }
    case NodeKind::BudgetRules: {
        auto* screen = new TframBudgetRules(m_main);
        m_main.ExchangeScreen(screen);
        screen->ShowSystem(NodeData(SystemNodeOf(node)));
        break;
    }
    case NodeKind::Parties: {
        auto* screen = new TframParties(m_main);
        m_main.ExchangeScreen(screen);
        screen->ShowSystem(NodeData(SystemNodeOf(node)));
        break;
    }
    case NodeKind::Accounts: {
        auto* screen = new TframAllAccounts(m_main, *this);
        m_main.ExchangeScreen(screen);
        screen->ShowSystem(NodeData(SystemNodeOf(node)));
        break;
    }
    case NodeKind::None:
        break;
    }
    // With no node selected, the screen without a system stands in.
    m_main.ShowDefaultScreen();
}

void TframArchitect::ShowSystem(qint64 system)
{
    auto* screen = new TframSystem(m_main);
    m_main.ExchangeScreen(screen);
    screen->ShowSystem(system, this);
}

bool TframArchitect::CheckSystemPassword(qint64 system)
{
    const QString stored =
        m_main.StoreQueryValue(QStringLiteral("SELECT Pass FROM BudgetSystems WHERE ROWID = %1").arg(system));
    if (stored.isEmpty()) {
        m_rememberedPassword.clear();
        return true;
    }
    if (stored == m_rememberedPassword)
        return true;
    TfrmPasswordDialog dialog(this);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return false;
    if (dialog.edPassword->text() == stored) {
        m_rememberedPassword = stored;
        return true;
    }
    platform::ShowMessage(platform::MsgIcon::Error, QStringLiteral("Invalid password."));
    return false;
}

bool TframArchitect::MayEdit(QTreeWidgetItem* node)
{
    const NodeKind kind = KindOf(node);
    // Only systems and accounts have names of their own, and only someone who may open the system
    // renames either.
    m_editing = (kind == NodeKind::System || kind == NodeKind::Account) && MayActOn(node);
    return m_editing;
}

bool TframArchitect::MayActOn(QTreeWidgetItem* node)
{
    QTreeWidgetItem* systemNode = SystemNodeOf(node);
    if (!systemNode)
        return false;
    // Also asked from the tree's own handlers (an edit that a click starts): an error stops here, refused.
    bool granted = false;
    platform::RunUserAction([&] { granted = CheckSystemPassword(NodeData(systemNode)); });
    return granted;
}

bool TframArchitect::MayExpand(QTreeWidgetItem* node)
{
    if (KindOf(node) != NodeKind::System || node->isExpanded())
        return true;
    return MayActOn(node);
}

namespace {

QString AccountGone()
{
    return QStringLiteral("This account no longer exists.");
}

// The checks every change for a node makes in the file first: the tree may show what an Undo took back.
void RequireAccount(TStoreChange& change, qint64 account)
{
    change.Require(QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (Deleted = 'f') AND "
                                  "(SystemID IN (SELECT ROWID FROM BudgetSystems)))")
                       .arg(account),
                   AccountGone());
}

} // namespace

TNewSystemRows InsertBudgetSystem(TStoreChange& change, const QString& name, const std::optional<QString>& password)
{
    TNewSystemRows rows;
    change.Exec(password ? QStringLiteral("INSERT INTO BudgetSystems (Name, Pass) VALUES (%1, %2)")
                               .arg(SqlText(name), SqlText(*password))
                         : QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES (%1)").arg(SqlText(name)));
    rows.system = change.LastInsertRowID();
    change.Exec(
        QStringLiteral("INSERT INTO BudgetCategories (SystemID, Name) VALUES (%1, \"Unbudgeted\")").arg(rows.system));
    rows.unbudgeted = change.LastInsertRowID();
    change.Exec(QStringLiteral("INSERT INTO Parties (SystemID, Name, Deleted) VALUES (%1, \"Transfer\", \"t\")")
                    .arg(rows.system));
    change.Exec(QStringLiteral("INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, "
                               "IntoBudgetCat, AllAccounts, Priority, AllDeposits) VALUES (%1, \"t\", "
                               "\"Net Deposit\", 10000, 0, %2, \"t\", 0, \"t\")")
                    .arg(QString::number(rows.system), QString::number(rows.unbudgeted)));
    return rows;
}

void TframArchitect::CaptionEdited(QTreeWidgetItem* node, const QString& text)
{
    m_editing = false;
    const NodeKind kind = KindOf(node);
    if (kind != NodeKind::System && kind != NodeKind::Account)
        return;
    const bool system = kind == NodeKind::System;
    const QString table = system ? QStringLiteral("BudgetSystems") : QStringLiteral("Accounts");
    const qint64 row = NodeData(node);
    const QString name = CleanText(text);
    // The old name is read inside the change: a caption can be stale, and Undo must write back what the
    // file held.
    QString old;
    // One multi-argument arg() each: a name holding "%1" must never be taken for a place marker.
    const QString rename = QStringLiteral("UPDATE %1 SET Name = %2 WHERE ROWID = %3");
    // A system's name is unique in the file, an account's within its system, deleted accounts included.
    const QString takenWhere =
        system ? QString() : QStringLiteral(" AND (SystemID = %1)").arg(NodeData(SystemNodeOf(node)));
    bool renamed = false;
    // An empty name is refused like a taken one: the node keeps its caption.
    const bool stored = name.trimmed().isEmpty() || m_main.StoreChange([&](TStoreChange& change) {
        if (system)
            change.RequireSystem(row);
        else
            RequireAccount(change, row);
        const QString taken = change.QueryValue(
            QStringLiteral("SELECT count(*) FROM %1 WHERE ((Name = %2)%3)").arg(table, SqlText(name), takenWhere));
        if (taken != QLatin1String("0"))
            return;
        old =
            change.QueryValue(QStringLiteral("SELECT Name FROM %1 WHERE ROWID = %2").arg(table, QString::number(row)));
        change.Exec(rename.arg(table, SqlText(name), QString::number(row)));
        renamed = true;
    });
    if (!stored) {
        // The node may be the one whose editor is closing right now: the tree is mended once it has.
        QMetaObject::invokeMethod(this, &TframArchitect::MendAfterRefusal, Qt::QueuedConnection);
        return;
    }
    if (renamed) {
        node->setText(0, name);
        m_main.RecordUndoGroup({{rename.arg(table, SqlText(old), QString::number(row)),
                                 system ? QStringLiteral("Systems") : QStringLiteral("Accounts")}});
        // The account's register names it in its status bar.
        if (auto* shown = dynamic_cast<TframAccount*>(m_main.CurrentScreen());
            !system && shown && shown->Account() == row)
            shown->SetAccountName(name);
    }
    if (system)
        m_main.NotifyUpdateSystems();
    else
        m_main.NotifyUpdateAccounts();
}

void TframArchitect::mitmNewSystemClick()
{
    int n = 0;
    {
        TCloseOnExit close(m_main.Data());
        m_main.OpenStore();
        for (int candidate = 1;; ++candidate) {
            const QString count =
                m_main.Data().QueryValue(QStringLiteral("SELECT count(Name) FROM BudgetSystems WHERE Name = %1")
                                             .arg(SqlText(QStringLiteral("New System %1").arg(candidate))));
            if (count.isEmpty())
                return; // the data file could not be read: no change
            if (count == QLatin1String("0")) {
                n = candidate;
                break;
            }
        }
    }

    TfrmPass dialog(this);
    dialog.SetInstructions(QStringLiteral("Enter a name and a password for this budget system.\rIf there are multiple "
                                          "users of this program on this computer,\reach one can have their own "
                                          "budget system and password."));
    dialog.edNameOldPass->setText(QStringLiteral("New System %1").arg(n));
    QString name;
    for (;;) {
        if (platform::ExecModal(dialog) != QDialog::Accepted)
            return;
        name = CleanText(dialog.edNameOldPass->text());
        // The name is the system's key in the data file: an empty or taken one would make the new
        // system's rows land under another system.
        if (name.trimmed().isEmpty()) {
            platform::ShowMessage(platform::MsgIcon::Warning,
                                  QStringLiteral("Please enter a name for the budget system."));
            continue;
        }
        if (m_main.StoreQueryValue(
                QStringLiteral("SELECT count(*) FROM BudgetSystems WHERE Name = %1").arg(SqlText(name))) !=
            QLatin1String("0")) {
            platform::ShowMessage(platform::MsgIcon::Warning,
                                  QStringLiteral("A budget system named \"%1\" already exists.\r"
                                                 "Please choose another name.")
                                      .arg(name));
            continue;
        }
        break;
    }
    const bool noPassword = dialog.chkNoPass->isChecked();
    const QString password = dialog.edNewPass->text();

    // The system, its "Unbudgeted" item, its hidden "Transfer" party and its base rule come into being
    // together or not at all: a system without its base rule would divide no credit.
    qint64 system = 0;
    const bool created = m_main.StoreChange([&](TStoreChange& change) {
        system = InsertBudgetSystem(change, name, noPassword ? std::nullopt : std::optional<QString>(password)).system;
    });
    if (!created)
        return;
    QTreeWidgetItem* node = nullptr;
    {
        const QSignalBlocker block(m_tree);
        node = AddSystemNode(name, system);
        AddGroupNodes(node);
    }
    std::vector<TUndoRecord> undo;
    for (const QString& statement : DeleteSystemStatements(system))
        undo.push_back({statement, QStringLiteral("Systems")});
    m_main.RecordUndoGroup(undo);
    m_main.NotifyUpdateSystems();
    m_main.NotifyUpdateBudgetItems();
    m_main.NotifyUpdateParties();
    m_main.NotifyUpdateAccounts();
    m_tree->setFocus();
    m_tree->setCurrentItem(node);
}

void TframArchitect::mitmNewAccountClick()
{
    QTreeWidgetItem* systemNode = SystemNodeOf(m_tree->currentItem());
    if (!systemNode || !MayActOn(systemNode))
        return;
    const qint64 system = NodeData(systemNode);
    QString name;
    qint64 account = 0;
    const bool created = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(system);
        for (int n = 1;; ++n) {
            const QString candidate = QStringLiteral("New Account %1").arg(n);
            const QString count = change.QueryValue(
                QStringLiteral("SELECT count(Name) FROM Accounts WHERE ((Name = %1) AND (SystemID = %2))")
                    .arg(SqlText(candidate), QString::number(system)));
            if (count == QLatin1String("0")) {
                name = candidate;
                break;
            }
        }
        change.Exec(QStringLiteral("INSERT INTO Accounts (SystemID, Name, Age) VALUES (%1, %2, 3)")
                        .arg(QString::number(system), SqlText(name)));
        account = change.LastInsertRowID();
    });
    if (!created) {
        MendAfterRefusal();
        return;
    }
    m_main.RecordUndoGroup({{QStringLiteral("UPDATE Accounts SET Deleted = \"t\" WHERE ROWID = %1").arg(account),
                             QStringLiteral("Systems")}});
    m_main.NotifyUpdateAccounts();
    QTreeWidgetItem* node = nullptr;
    {
        const QSignalBlocker block(m_tree);
        node = AddNode(systemNode->child(3), name, account, kDocument);
    }
    RefreshShownAccounts();
    m_tree->setFocus();
    m_tree->setCurrentItem(node);
    StartEditing(node);
}

void TframArchitect::StartEditing(QTreeWidgetItem* node)
{
    if (m_tree->currentItem() != node)
        return; // the selection was refused
    // A node under a closed group is opened to view first; the editor needs the node on screen.
    m_tree->scrollToItem(node);
    m_tree->editItem(node, 0);
}

QTreeWidgetItem* TframArchitect::SelectedSystemOrAccount()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    const NodeKind kind = KindOf(node);
    if (kind != NodeKind::System && kind != NodeKind::Account)
        return nullptr;
    return MayActOn(node) ? node : nullptr;
}

void TframArchitect::mitmRenameClick()
{
    QTreeWidgetItem* node = SelectedSystemOrAccount();
    if (!node)
        return;
    m_tree->setFocus();
    m_tree->setCurrentItem(node);
    StartEditing(node);
}

void TframArchitect::mitmDeleteClick()
{
    QTreeWidgetItem* node = SelectedSystemOrAccount();
    if (!node)
        return;
    // Closing the question keeps the data: only Yes deletes.
    if (platform::ShowMessage(platform::MsgIcon::Warning,
                              QStringLiteral("Are you sure you want to permanently delete \"%1\"?").arg(node->text(0)),
                              platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    if (KindOf(node) == NodeKind::Account)
        DeleteAccount(NodeData(node), node);
    else
        DeleteSystem(NodeData(node), node);
}

QTreeWidgetItem* TframArchitect::AccountNode(qint64 account) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (KindOf(*it) == NodeKind::Account && NodeData(*it) == account)
            return *it;
    return nullptr;
}

void TframArchitect::DeleteAccountByID(qint64 account)
{
    if (QTreeWidgetItem* node = AccountNode(account))
        DeleteAccount(account, node);
}

void TframArchitect::RenameAccountByID(qint64 account, const QString& name)
{
    if (QTreeWidgetItem* node = AccountNode(account))
        CaptionEdited(node, name);
}

void TframArchitect::RefreshShownAccounts()
{
    if (auto* shown = dynamic_cast<TframAllAccounts*>(m_main.CurrentScreen())) {
        shown->RefreshGrid();
        shown->RefreshTotal();
    }
}

void TframArchitect::DeleteAccount(qint64 account, QTreeWidgetItem* node)
{
    std::vector<TUndoRecord> undo;
    const bool deleted = m_main.StoreChange([&](TStoreChange& change) {
        RequireAccount(change, account);
        // An account without transactions sums to nothing, which is a zero balance too.
        const QString sum = change.QueryValue(
            QStringLiteral("SELECT coalesce(sum(Amount), 0) FROM Transactions WHERE AccountID = %1").arg(account));
        if (TextToInt(sum) != 0)
            throw EChangeRefused(QStringLiteral("The account must have a zero balance before it can be deleted."));
        // The rules bound to this account alone go with it; Undo brings them back exactly as they were,
        // NULLs included, so each value is read as the engine's own literal.
        for (const QString& statement : rule_rows::RestoreStatements(
                 change, QStringLiteral("((AllAccounts = \"f\") AND (AccountID = %1))").arg(account)))
            undo.push_back({statement, QStringLiteral("Parties")});
        change.Exec(
            QStringLiteral("DELETE FROM BudgetRules WHERE ((AllAccounts = \"f\") AND (AccountID = %1))").arg(account));
        change.Exec(QStringLiteral("UPDATE Accounts SET Deleted = \"t\" WHERE ROWID = %1").arg(account));
    });
    if (!deleted) {
        MendAfterRefusal();
        // The all-accounts screen may have listed an account that was gone already.
        RefreshShownAccounts();
        return;
    }
    undo.push_back({QStringLiteral("UPDATE Accounts SET Deleted = \"f\" WHERE ROWID = %1").arg(account),
                    QStringLiteral("Accounts")});
    m_main.RecordUndoGroup(undo);
    RemoveNode(node);
    RefreshShownAccounts();
    m_main.NotifyUpdateAccounts();
}

void TframArchitect::DeleteSystem(qint64 system, QTreeWidgetItem* node)
{
    if (!CheckSystemPassword(system))
        return;
    const bool deleted = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(system);
        for (const QString& statement : DeleteSystemStatements(system))
            change.Exec(statement);
    });
    if (!deleted) {
        MendAfterRefusal();
        return;
    }
    // Rows of other groups may point at what is gone; none of the older groups can be trusted now.
    m_main.ResetUndoJournal();
    RemoveNode(node);
    m_main.NotifyUpdateSystems();
}

void TframArchitect::RemoveNode(QTreeWidgetItem* node)
{
    bool selected = false;
    for (QTreeWidgetItem* n = m_tree->currentItem(); n; n = n->parent())
        selected = selected || n == node;
    {
        // The selection moves on silently while the node goes; its new screen is shown afterwards, once
        // the tree is whole again.
        const QSignalBlocker block(m_tree);
        delete node;
    }
    if (selected)
        TreeViewChange(m_tree->currentItem());
}

void TframArchitect::MendAfterRefusal()
{
    if (SyncWithStore())
        RerunSelection();
}

bool TframArchitect::SyncWithStore()
{
    std::map<qint64, QString> systems;
    std::map<qint64, std::vector<std::pair<QString, qint64>>> accounts;
    {
        TSQLiteDatabase& db = m_main.Data();
        TCloseOnExit close(db);
        m_main.OpenStore();
        if (db.ExecSQL(QStringLiteral("SELECT ROWID, Name FROM BudgetSystems")) != 0)
            return false; // nothing can be told about the file: the tree stays as it is
        for (int row = 0; row < db.RowCount(0); ++row)
            systems[db.Cell(0, row).toLongLong()] = db.Cell(1, row);
        if (db.ExecSQL(
                QStringLiteral("SELECT SystemID, Name, ROWID FROM Accounts WHERE Deleted = 'f' ORDER BY Name")) != 0)
            return false;
        for (int row = 0; row < db.RowCount(0); ++row)
            accounts[db.Cell(0, row).toLongLong()].emplace_back(db.Cell(1, row), db.Cell(2, row).toLongLong());
    }

    QTreeWidgetItem* current = m_tree->currentItem();
    bool currentGone = false;
    QTreeWidgetItem* fallback = nullptr;
    const QSignalBlocker block(m_tree);
    // The selected node and its ancestors, taken before any node goes: a removed node is never
    // looked at again.
    std::set<QTreeWidgetItem*> selectedChain;
    for (QTreeWidgetItem* n = current; n; n = n->parent())
        selectedChain.insert(n);
    const auto removes = [&selectedChain](QTreeWidgetItem* node) { return selectedChain.count(node) > 0; };
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* systemNode = m_tree->topLevelItem(i);
        const auto found = systems.find(NodeData(systemNode));
        if (found == systems.end()) {
            if (removes(systemNode)) {
                currentGone = true;
                fallback = nullptr;
            }
            delete systemNode;
            continue;
        }
        // An undone rename shows the old name again.
        systemNode->setText(0, found->second);
        QTreeWidgetItem* group = systemNode->child(3);
        if (!group)
            continue;
        const auto& live = accounts[found->first];
        std::map<qint64, QString> liveNames;
        for (const auto& [name, account] : live)
            liveNames[account] = name;
        // Every account node is taken out; the live ones go back in the order of their stored names,
        // with those names, and accounts that came back (an undone deletion) reappear among them.
        std::map<qint64, QTreeWidgetItem*> kept;
        while (group->childCount() > 0) {
            QTreeWidgetItem* accountNode = group->takeChild(0);
            const auto name = liveNames.find(NodeData(accountNode));
            if (name == liveNames.end()) {
                if (removes(accountNode)) {
                    currentGone = true;
                    fallback = group;
                }
                delete accountNode;
                continue;
            }
            accountNode->setText(0, name->second);
            kept[name->first] = accountNode;
        }
        for (const auto& [name, account] : live) {
            const auto node = kept.find(account);
            if (node != kept.end())
                group->addChild(node->second);
            else
                AddNode(group, name, account, kDocument);
        }
    }
    // Taking nodes out to order them loses the tree's own idea of the current node; it is put back.
    m_tree->setCurrentItem(currentGone ? fallback : current);
    if (!m_tree->currentItem())
        m_tree->clearSelection();
    return currentGone;
}

void TframArchitect::mitmChangePassClick()
{
    QTreeWidgetItem* systemNode = SystemNodeOf(m_tree->currentItem());
    if (!systemNode || !MayActOn(systemNode))
        return;
    const qint64 system = NodeData(systemNode);
    const QString stored =
        m_main.StoreQueryValue(QStringLiteral("SELECT Pass FROM BudgetSystems WHERE ROWID = %1").arg(system));

    TfrmPass dialog(this);
    dialog.SetInstructions(QStringLiteral("Enter the old password for this budget system,\rthen enter the new "
                                          "password below."));
    dialog.lblNameOldPass->setText(QStringLiteral("Old password"));
    dialog.MaskNameField();
    dialog.chkNoPass->setChecked(stored.isEmpty());
    if (stored.isEmpty()) {
        dialog.lblNameOldPass->setEnabled(false);
        dialog.edNameOldPass->setEnabled(false);
    }
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    if (dialog.edNameOldPass->text() != stored) {
        platform::ShowMessage(platform::MsgIcon::Error, QStringLiteral("Invalid password."));
        return;
    }
    const bool noPassword = dialog.chkNoPass->isChecked();
    const QString password = dialog.edNewPass->text();
    const bool changed = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(system);
        change.Exec(noPassword ? QStringLiteral("UPDATE BudgetSystems SET Pass = NULL WHERE ROWID = %1").arg(system)
                               : QStringLiteral("UPDATE BudgetSystems SET Pass = %1 WHERE ROWID = %2")
                                     .arg(SqlText(password), QString::number(system)));
    });
    if (!changed) {
        MendAfterRefusal();
        return;
    }
    if (noPassword)
        m_rememberedPassword.clear();
    else
        m_rememberedPassword = password;
}

void TframArchitect::PreparePopup()
{
    const NodeKind kind = KindOf(m_tree->currentItem());
    const bool selected = kind != NodeKind::None;
    m_newSystem->setEnabled(true);
    m_newAccount->setEnabled(selected);
    m_changePass->setEnabled(selected);
    m_delete->setEnabled(kind == NodeKind::System || kind == NodeKind::Account);
    m_rename->setEnabled(kind == NodeKind::System || kind == NodeKind::Account);
}
