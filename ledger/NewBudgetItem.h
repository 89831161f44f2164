#pragma once

#include "ui/SideDialog.h"

class QLabel;
class QLineEdit;
class TStoreChange;

// Asks for the name of a new budget item. The same dialog, with other texts, renames a budget item or an
// account.
class TfrmNewBudgetItem : public ui::TSideDialog
{
    Q_OBJECT
public:
    explicit TfrmNewBudgetItem(QWidget* parent = nullptr);

    // The name as typed; it holds no double quote, "%" or "_".
    QString Name() const;

    QLabel* lblPrompt;
    QLineEdit* edItemName;

private:
    void edItemNameChange();
};

// Inside a change: the new budget item of this name in the system, or the deleted one of that name brought
// back with its allocations. Gives its ROWID, or 0 when a live item has the name already: then nothing is
// changed and there is nothing to undo.
qint64 StoreNamedBudgetItem(TStoreChange& change, qint64 system, const QString& cleanName);
