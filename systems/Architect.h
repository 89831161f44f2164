#pragma once

#include <QFrame>

class IMainWindow;
class QTreeWidget;

// The system tree left of the screen: every budget system of the data file.
class TframArchitect : public QFrame
{
    Q_OBJECT
public:
    TframArchitect(IMainWindow& main, QWidget* parent = nullptr);

    // Fills the tree from the data file. On the very first start this is where the data file is created.
    void BuildSystemTree();
    // Shows again the screen of the node now selected, from the data file (after an Undo, say).
    void RerunSelection();

    QTreeWidget* Tree() const { return m_tree; }

private:
    IMainWindow& m_main;
    QTreeWidget* m_tree;
};
