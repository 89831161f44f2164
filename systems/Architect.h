#pragma once

#include "budget/AllAccountsFrame.h"

#include <QFrame>
#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <optional>

class IMainWindow;
class TStoreChange;
class QMenu;
class QAction;
class TframArchitect;

// What a node of the system tree stands for. It follows from the node alone: level 0 is a system, level 2
// an account, and at level 1 the caption tells the group.
enum class NodeKind
{
    None,
    System,
    BudgetItems,
    Parties,
    BudgetRules,
    Accounts,
    Account,
};

// The rows every budget system holds from its creation, written inside the caller's change: the system
// itself (with its password, or none), its "Unbudgeted" budget item, its hidden "Transfer" party and the
// base rule that puts every credit into "Unbudgeted".
struct TNewSystemRows
{
    qint64 system = 0;
    qint64 unbudgeted = 0;
};
TNewSystemRows InsertBudgetSystem(TStoreChange& change, const QString& name, const std::optional<QString>& password);

// The tree control: selects on every mouse button, clears the selection over empty space, and asks the
// frame before a caption may be edited in place.
class TArchitectTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TArchitectTree(TframArchitect& owner, QWidget* parent = nullptr);
    // Ends an open caption editor as Enter would, storing what was typed.
    void FinishEditing();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // True over the little arrow left of the node, which opens and closes it.
    bool OnBranchIndicator(QTreeWidgetItem* node, const QPoint& pos) const;

    TframArchitect& m_owner;
};

// The system tree left of the screen: the budget systems, and under each its budget items, parties,
// budget rules and accounts. It carries the commands that create, rename and delete systems and
// accounts, and it guards each system with its password.
class TframArchitect : public QFrame, public budget::IAccountTree
{
    Q_OBJECT
public:
    explicit TframArchitect(IMainWindow& main, QWidget* parent = nullptr);

    // Fills the tree from the data file and selects the first system.
    void BuildSystemTree();
    // Shows again the screen of the node now selected, from the data file (after an Undo, say).
    void RerunSelection();

    // True when the person may see the system: no password, the remembered one, or the right one typed.
    bool CheckSystemPassword(qint64 system);
    // Makes the tree agree with the data file after the file changed under it (an Undo): nodes whose row
    // is gone or deleted go, captions follow the stored names, accounts that came back reappear. A
    // selection that went moves to the nearest node left (the accounts group, or none), silently: true
    // then, and the caller shows that node's screen.
    bool SyncWithStore();

    // The commands of the popup menu, the main menu and the system screen.
    void mitmNewSystemClick();
    void mitmNewAccountClick() override;
    void mitmRenameClick();
    void mitmDeleteClick();
    void mitmChangePassClick();
    // Stores a caption that is being edited, as when the person presses Enter.
    void FinishEditing() { m_tree->FinishEditing(); }
    // Deletes the account of that ROWID after the caller asked its own question.
    void DeleteAccountByID(qint64 account) override;
    // Gives the account of that ROWID the name as its caption edit would, refusals included.
    void RenameAccountByID(qint64 account, const QString& name) override;

    static NodeKind KindOf(const QTreeWidgetItem* node);
    static qint64 NodeData(const QTreeWidgetItem* node);
    // The system node a node belongs to (the node itself for a system).
    static QTreeWidgetItem* SystemNodeOf(QTreeWidgetItem* node);

    QTreeWidget* TreeView() const { return m_tree; }
    QMenu* PopupMenu() const { return m_popup; }
    QString RememberedPassword() const { return m_rememberedPassword; }
    bool Editing() const { return m_editing; }

private:
    friend class TArchitectTree;
    friend class TCaptionDelegate;

    void TreeViewChange(QTreeWidgetItem* node);
    void ShowSystem(qint64 system);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& caption, qint64 data, int picture);
    QTreeWidgetItem* AddSystemNode(const QString& caption, qint64 system);
    void AddGroupNodes(QTreeWidgetItem* systemNode);
    bool MayEdit(QTreeWidgetItem* node);
    // Every command on a node, and every caption edit, passes the password of the node's system first.
    bool MayActOn(QTreeWidgetItem* node);
    // A closed system node opens only after its password.
    bool MayExpand(QTreeWidgetItem* node);
    void CaptionEdited(QTreeWidgetItem* node, const QString& text);
    void DeleteAccount(qint64 account, QTreeWidgetItem* node);
    QTreeWidgetItem* AccountNode(qint64 account) const;
    // The all-accounts screen, when it is the one shown, follows a new or deleted account.
    void RefreshShownAccounts();
    // After a command was refused because its rows are gone: the tree follows the file, and the screen
    // of a node that went is replaced.
    void MendAfterRefusal();
    void DeleteSystem(qint64 system, QTreeWidgetItem* node);
    void RemoveNode(QTreeWidgetItem* node);
    // The selected node when it is an account, or a system the person may open; otherwise none.
    QTreeWidgetItem* SelectedSystemOrAccount();
    void PreparePopup();
    void StartEditing(QTreeWidgetItem* node);

    IMainWindow& m_main;
    TArchitectTree* m_tree;
    QMenu* m_popup;
    QAction* m_newSystem;
    QAction* m_newAccount;
    QAction* m_delete;
    QAction* m_rename;
    QAction* m_changePass;
    std::array<QIcon, 6> m_pictures;
    QString m_rememberedPassword;
    bool m_editing = false;
};
