#include "ledger/NewBudgetItem.h"

#include "store/DataStore.h"
#include "store/Encodings.h"
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

qint64 StoreNamedBudgetItem(TStoreChange& change, qint64 system, const QString& cleanName)
{
    const QString where =
        QStringLiteral("(SystemID = %1) AND (Name = %2)").arg(QString::number(system), SqlText(cleanName));
    const QString found =
        change.QueryValue(QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE (%1) ORDER BY ROWID").arg(where));
    if (found.isEmpty()) {
        change.Exec(QStringLiteral("INSERT INTO BudgetCategories (SystemID, Name) VALUES (%1, %2)")
                        .arg(QString::number(system), SqlText(cleanName)));
        return change.LastInsertRowID();
    }
    // A live item of the name stands, even beside a deleted one of the same name: two live items of one
    // name could not be told apart in any list.
    if (change.QueryValue(
            QStringLiteral("SELECT count(*) FROM BudgetCategories WHERE (%1 AND (Deleted = \"f\"))").arg(where)) !=
        QLatin1String("0"))
        return 0;
    const QString deleted = change.QueryValue(
        QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE (%1 AND (Deleted = \"t\")) ORDER BY ROWID")
            .arg(where));
    if (deleted.isEmpty())
        return 0;
    change.Exec(QStringLiteral("UPDATE BudgetCategories SET Deleted = \"f\" WHERE ROWID = %1").arg(deleted));
    return deleted.toLongLong();
}
