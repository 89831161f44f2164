#include "systems/Architect.h"

#include "shell/MainWindowInterface.h"
#include "store/SQLiteDatabase.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

TframArchitect::TframArchitect(IMainWindow& main, QWidget* parent)
    : QFrame(parent), m_main(main), m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("framArchitect1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree->setHeaderHidden(true);
    m_tree->setObjectName(QStringLiteral("tvArchitect"));
    layout->addWidget(m_tree);
}

void TframArchitect::BuildSystemTree()
{
    m_tree->clear();
    TSQLiteDatabase& db = m_main.Data();
    m_main.OpenStore();
    db.ExecSQL(QStringLiteral("SELECT Name FROM BudgetSystems ORDER BY Name"));
    const int rows = db.RowCount(0);
    for (int row = 0; row < rows; ++row)
        new QTreeWidgetItem(m_tree, QStringList{db.Cell(0, row)});
    db.Close();
}

void TframArchitect::RerunSelection()
{
    if (!m_tree->currentItem())
        return;
    BuildSystemTree();
}
