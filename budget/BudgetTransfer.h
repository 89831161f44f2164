#pragma once

#include "ui/SideDialog.h"

class IMainWindow;
class QComboBox;
class QLabel;
class TRealEdit;

// Asks how much money moves from one budget item of a system to another. The dialog only asks; the
// budget items screen writes the transfer.
class TfrmBudgetTransfer : public ui::TSideDialog
{
    Q_OBJECT
public:
    explicit TfrmBudgetTransfer(QWidget* parent = nullptr);

    // Lists the system's live budget items by name in both lists, each entry keeping its ROWID, and
    // selects the first entry of each.
    void LoadBudgetItems(IMainWindow& main, qint64 system);

    // The ROWIDs of the selected entries, 0 for none.
    qint64 FromItem() const;
    qint64 ToItem() const;

    QLabel* lblAmount;
    TRealEdit* edAmount;
    QLabel* lblFrom;
    QComboBox* cmboFrom;
    QLabel* lblTo;
    QComboBox* cmboTo;
};
