#include "ledger/NewBudgetItem.h"

#include "ui/TextFilters.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmNewBudgetItem::TfrmNewBudgetItem(QWidget* parent)
    : TSideDialog(QStringLiteral("frmNewBudgetItem"), QStringLiteral("New budget item"),
                  QStringLiteral("BudgetItem.htm"), parent)
{
    lblPrompt = new QLabel(QStringLiteral("Give the new Budget Item a name."), Content());
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt->setWordWrap(true);
    edItemName = new QLineEdit(Content());
    edItemName->setObjectName(QStringLiteral("edItemName"));
    new ui::TCharacterFilter(edItemName, ui::NoSqlWildcards);
    lblPrompt->setBuddy(edItemName);

    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(2);
    layout->addWidget(lblPrompt);
    layout->addSpacing(4);
    layout->addWidget(edItemName);
    layout->addStretch(3);

    connect(edItemName, &QLineEdit::textChanged, this, &TfrmNewBudgetItem::edItemNameChange);
    edItemNameChange();
    setTabOrder(edItemName, btnOK);
    setTabOrder(btnOK, btnCancel);
    edItemName->setFocus();
}

QString TfrmNewBudgetItem::Name() const
{
    return edItemName->text();
}

void TfrmNewBudgetItem::edItemNameChange()
{
    // A name of blanks alone is no name: it could not be told from the next one in any list.
    btnOK->setEnabled(!edItemName->text().trimmed().isEmpty());
}
