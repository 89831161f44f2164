#include "budget/NewParty.h"

#include "store/SQLiteDatabase.h"
#include "ui/MainWindowInterface.h"
#include "ui/TextFilters.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmNewParty::TfrmNewParty(QWidget* parent)
    : TSideDialog(QStringLiteral("frmNewParty"), QStringLiteral("Party name"), QStringLiteral("Party.htm"), parent)
{
    const auto makeLabel = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, Content());
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        return label;
    };
    const auto makeList = [this](const char* name) {
        auto* list = new QComboBox(Content());
        list->setObjectName(QString::fromLatin1(name));
        list->setEditable(false);
        list->hide();
        return list;
    };
    lblName = makeLabel(QStringLiteral("Enter a name for the party:"), "lblName");
    edName = new QLineEdit(Content());
    edName->setObjectName(QStringLiteral("edName"));
    new ui::TCharacterFilter(edName, ui::NoSqlWildcards);
    lblName->setBuddy(edName);
    lblFrom = makeLabel(QStringLiteral("Select a party to merge (will be deleted):"), "lblFrom");
    cmboFrom = makeList("cmboFrom");
    lblInto = makeLabel(QStringLiteral("Select a party to merge into:"), "lblInto");
    cmboInto = makeList("cmboInto");
    lblFrom->setBuddy(cmboFrom);
    lblInto->setBuddy(cmboInto);
    lblFrom->hide();
    lblInto->hide();

    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(2);
    layout->addWidget(lblName);
    layout->addSpacing(4);
    layout->addWidget(edName);
    layout->addWidget(lblFrom);
    layout->addSpacing(4);
    layout->addWidget(cmboFrom);
    layout->addSpacing(12);
    layout->addWidget(lblInto);
    layout->addSpacing(4);
    layout->addWidget(cmboInto);
    layout->addStretch(3);

    connect(edName, &QLineEdit::textChanged, this, &TfrmNewParty::edNameChange);
    edNameChange();
    setTabOrder(edName, cmboFrom);
    setTabOrder(cmboFrom, cmboInto);
    setTabOrder(cmboInto, btnOK);
    setTabOrder(btnOK, btnCancel);
    edName->setFocus();
}

QString TfrmNewParty::Name() const
{
    return edName->text();
}

void TfrmNewParty::edNameChange()
{
    // Without a name there is nothing to store; a merge has no name to wait for.
    btnOK->setEnabled(m_merge || !edName->text().trimmed().isEmpty());
}

void TfrmNewParty::ShowMergeLists(IMainWindow& main, qint64 system)
{
    m_merge = true;
    lblName->hide();
    edName->hide();
    for (QWidget* w : {static_cast<QWidget*>(lblFrom), static_cast<QWidget*>(cmboFrom), static_cast<QWidget*>(lblInto),
                       static_cast<QWidget*>(cmboInto)})
        w->show();
    cmboFrom->clear();
    cmboInto->clear();
    {
        TSQLiteDatabase& db = main.Data();
        TCloseOnExit close(db);
        main.OpenStore();
        if (db.ExecSQL(QStringLiteral("SELECT ROWID, Name FROM Parties WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                                      "ORDER BY Name ASC, ROWID ASC")
                           .arg(system)) == 0) {
            for (int row = 0; row < db.RowCount(0); ++row) {
                const qint64 party = db.Cell(0, row).toLongLong();
                cmboFrom->addItem(db.Cell(1, row), party);
                cmboInto->addItem(db.Cell(1, row), party);
            }
        }
        db.ClearResults();
    }
    cmboFrom->setCurrentIndex(cmboFrom->count() > 0 ? 0 : -1);
    cmboInto->setCurrentIndex(cmboInto->count() > 0 ? 0 : -1);
    edNameChange();
    cmboFrom->setFocus();
}

qint64 TfrmNewParty::FromParty() const
{
    return cmboFrom->currentIndex() < 0 ? 0 : cmboFrom->currentData().toLongLong();
}

qint64 TfrmNewParty::IntoParty() const
{
    return cmboInto->currentIndex() < 0 ? 0 : cmboInto->currentData().toLongLong();
}
