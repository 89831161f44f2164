#pragma once

#include "ui/SideDialog.h"

class QLabel;
class QLineEdit;

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
