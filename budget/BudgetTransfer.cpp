#include "budget/BudgetTransfer.h"

#include "ledger/controls/RealEdit.h"
#include "store/SQLiteDatabase.h"
#include "ui/MainWindowInterface.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TfrmBudgetTransfer::TfrmBudgetTransfer(QWidget* parent)
    : TSideDialog(QStringLiteral("frmBudgetTransfer"), QStringLiteral("Transfer between budget items"),
                  QStringLiteral("BudgetItem.htm"), parent)
{
    const auto makeLabel = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, Content());
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    const auto makeList = [this](const char* name) {
        auto* list = new QComboBox(Content());
        list->setObjectName(QString::fromLatin1(name));
        list->setEditable(false);
        return list;
    };
    lblAmount = makeLabel(QStringLiteral("Amount:"), "lblAmount");
    edAmount = new TRealEdit(Content());
    edAmount->setObjectName(QStringLiteral("edAmount"));
    edAmount->SetDecimalPlaces(2);
    edAmount->SetAllowNegatives(false);
    edAmount->setMaximumWidth(120);
    lblFrom = makeLabel(QStringLiteral("From:"), "lblFrom");
    cmboFrom = makeList("cmboFrom");
    lblTo = makeLabel(QStringLiteral("To:"), "lblTo");
    cmboTo = makeList("cmboTo");
    lblAmount->setBuddy(edAmount);
    lblFrom->setBuddy(cmboFrom);
    lblTo->setBuddy(cmboTo);

    auto* layout = new QGridLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setRowStretch(0, 2);
    layout->addWidget(lblAmount, 1, 0);
    layout->addWidget(edAmount, 1, 1, Qt::AlignLeft);
    layout->addWidget(lblFrom, 2, 0);
    layout->addWidget(cmboFrom, 2, 1);
    layout->addWidget(lblTo, 3, 0);
    layout->addWidget(cmboTo, 3, 1);
    layout->setRowStretch(4, 3);
    layout->setColumnStretch(1, 1);
    layout->setVerticalSpacing(10);

    setTabOrder(edAmount, cmboFrom);
    setTabOrder(cmboFrom, cmboTo);
    setTabOrder(cmboTo, btnOK);
    setTabOrder(btnOK, btnCancel);
    edAmount->setFocus();
}

void TfrmBudgetTransfer::LoadBudgetItems(IMainWindow& main, qint64 system)
{
    cmboFrom->clear();
    cmboTo->clear();
    TSQLiteDatabase& db = main.Data();
    TCloseOnExit close(db);
    main.OpenStore();
    if (db.ExecSQL(QStringLiteral("SELECT ROWID, Name FROM BudgetCategories WHERE ((SystemID = %1) AND "
                                  "(Deleted = \"f\")) ORDER BY Name, ROWID")
                       .arg(system)) != 0)
        return;
    for (int row = 0; row < db.RowCount(0); ++row) {
        const qint64 item = db.Cell(0, row).toLongLong();
        cmboFrom->addItem(db.Cell(1, row), item);
        cmboTo->addItem(db.Cell(1, row), item);
    }
    db.ClearResults();
    cmboFrom->setCurrentIndex(cmboFrom->count() > 0 ? 0 : -1);
    cmboTo->setCurrentIndex(cmboTo->count() > 0 ? 0 : -1);
}

qint64 TfrmBudgetTransfer::FromItem() const
{
    return cmboFrom->currentIndex() < 0 ? 0 : cmboFrom->currentData().toLongLong();
}

qint64 TfrmBudgetTransfer::ToItem() const
{
    return cmboTo->currentIndex() < 0 ? 0 : cmboTo->currentData().toLongLong();
}
