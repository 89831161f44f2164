#include "budget/EditBudgetRule.h"

#include "ledger/PartyNames.h"
#include "ledger/controls/RealEdit.h"
#include "platform/Messages.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/MainWindowInterface.h"
#include "ui/NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using ui::MakeLabel;

const QString kNetDeposit = QStringLiteral("Net Deposit");
const QString kGrossDeposit = QStringLiteral("Gross Deposit");
// The budget items of "Percent of" follow its two deposit entries.
constexpr int kFirstItemEntry = 2;

QComboBox* MakeList(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(6);
    return box;
}

QCheckBox* MakeTick(const QString& name, const QString& text, QWidget* parent)
{
    auto* tick = new QCheckBox(text, parent);
    tick->setObjectName(name);
    return tick;
}

// An enabled list reads like any field, a disabled one like the dialog behind it, so that the person sees
// at once which choices are in force.
void SetListEnabled(QComboBox* box, QLabel* label, bool enabled)
{
    box->setEnabled(enabled);
    label->setEnabled(enabled);
    const QPalette standard = box->style()->standardPalette();
    const QColor background = standard.color(QPalette::Active, enabled ? QPalette::Base : QPalette::Button);
    const QColor text = standard.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    QPalette p = box->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, background);
        p.setColor(group, QPalette::Button, background);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
    }
    box->setPalette(p);
}

// The entry holding that ROWID, searched from the first entry on; -1 when the list has none.
int FindRow(const QComboBox* box, const QString& rowId, int from = 0)
{
    if (rowId.isEmpty())
        return -1;
    bool ok = false;
    const qint64 id = rowId.toLongLong(&ok);
    if (!ok)
        return -1;
    for (int i = from; i < box->count(); ++i)
        if (box->itemData(i).toLongLong() == id)
            return i;
    return -1;
}

std::optional<qint64> SelectedRow(const QComboBox* box)
{
    if (box->currentIndex() < 0)
        return std::nullopt;
    return box->currentData().toLongLong();
}

} // namespace

TfrmEditBudgetRule::TfrmEditBudgetRule(IMainWindow& main, qint64 system, QWidget* parent)
    : TSideDialog(QStringLiteral("frmEditBudgetRule"), QStringLiteral("Budget Rule"), QStringLiteral("BudgetRule.htm"),
                  parent),
      m_main(main), m_system(system)
{
    QWidget* content = Content();
    lblAmount = MakeLabel(QStringLiteral("lblAmount"), QStringLiteral("Amount:"), content);
    edAmount = new TRealEdit(content);
    edAmount->setObjectName(QStringLiteral("edAmount"));
    edAmount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edAmount->setFixedWidth(90);
    lblAmount->setBuddy(edAmount);
    chkPercent = MakeTick(QStringLiteral("chkPercent"), QStringLiteral("Percentage"), content);
    lblPercent = MakeLabel(QStringLiteral("lblPercent"), QStringLiteral("Percent of:"), content);
    cmboPercentOf = MakeList(QStringLiteral("cmboPercentOf"), content);
    lblFrom = MakeLabel(QStringLiteral("lblFrom"), QStringLiteral("From:"), content);
    cmboFrom = MakeList(QStringLiteral("cmboFrom"), content);
    lblTo = MakeLabel(QStringLiteral("lblTo"), QStringLiteral("Into:"), content);
    cmboTo = MakeList(QStringLiteral("cmboTo"), content);
    cbxAllDeposits = MakeTick(QStringLiteral("cbxAllDeposits"), QStringLiteral("Applies to all deposits"), content);
    lblDepFrom = MakeLabel(QStringLiteral("lblDepFrom"), QStringLiteral("Apply to deposits from:"), content);
    cmboDepFrom = MakeList(QStringLiteral("cmboDepFrom"), content);
    cmboDepFrom->setEditable(true);
    cmboDepFrom->setInsertPolicy(QComboBox::NoInsert);
    // A name is matched when the field is left; completing it while typing would put words in the person's
    // mouth.
    cmboDepFrom->setCompleter(nullptr);
    cmboDepFrom->installEventFilter(this);
    cbxAllAccounts = MakeTick(QStringLiteral("cbxAllAccounts"), QStringLiteral("Applies to all accounts"), content);
    lblDepTo = MakeLabel(QStringLiteral("lblDepTo"), QStringLiteral("Apply to deposits into:"), content);
    cmboDepTo = MakeList(QStringLiteral("cmboDepTo"), content);
    for (auto [label, box] :
         {std::pair{lblPercent, cmboPercentOf}, std::pair{lblFrom, cmboFrom}, std::pair{lblTo, cmboTo},
          std::pair{lblDepFrom, cmboDepFrom}, std::pair{lblDepTo, cmboDepTo}})
        label->setBuddy(box);

    // The long labels need the room of the left column, so "Percentage" stands below the amount.
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(lblAmount, 0, 0);
    grid->addWidget(edAmount, 0, 1, Qt::AlignLeft);
    grid->addWidget(chkPercent, 1, 1);
    grid->addWidget(lblPercent, 2, 0);
    grid->addWidget(cmboPercentOf, 2, 1);
    grid->addWidget(lblFrom, 3, 0);
    grid->addWidget(cmboFrom, 3, 1);
    grid->addWidget(lblTo, 4, 0);
    grid->addWidget(cmboTo, 4, 1);
    grid->addWidget(cbxAllDeposits, 5, 0, 1, 2);
    grid->addWidget(lblDepFrom, 6, 0);
    grid->addWidget(cmboDepFrom, 6, 1);
    grid->addWidget(cbxAllAccounts, 7, 0, 1, 2);
    grid->addWidget(lblDepTo, 8, 0);
    grid->addWidget(cmboDepTo, 8, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(9, 1);

    QWidget* order[] = {edAmount,    chkPercent,     cmboPercentOf, cmboFrom, cmboTo,   cbxAllDeposits,
                        cmboDepFrom, cbxAllAccounts, cmboDepTo,     btnOK,    btnCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // OK closes the dialog only when the party field holds a party.
    disconnect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnOK, &QPushButton::clicked, this, platform::UserAction([this] { btnOKClick(); }));
    connect(chkPercent, &QCheckBox::clicked, this, platform::UserAction([this] { chkPercentClick(); }));
    connect(cbxAllDeposits, &QCheckBox::clicked, this, platform::UserAction([this] { cbxAllDepositsClick(); }));
    connect(cbxAllAccounts, &QCheckBox::clicked, this, platform::UserAction([this] { cbxAllAccountsClick(); }));
    ApplyEnabling();
    edAmount->setFocus();
}

void TfrmEditBudgetRule::Fill(QComboBox* box, const QString& table)
{
    TSQLiteDatabase& db = m_main.Data();
    db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM %1 WHERE ((SystemID = %2) AND (Deleted = \"f\")) ORDER BY Name")
                   .arg(table, QString::number(m_system)));
    for (int row = 0; row < db.RowCount(0); ++row)
        box->addItem(db.Cell(0, row), db.Cell(1, row).toLongLong());
}

void TfrmEditBudgetRule::LoadRule(qint64 rule)
{
    for (QComboBox* box : {cmboPercentOf, cmboFrom, cmboTo, cmboDepFrom, cmboDepTo})
        box->clear();
    cmboPercentOf->addItem(kNetDeposit, qint64(0));
    cmboPercentOf->addItem(kGrossDeposit, qint64(0));
    TSQLiteDatabase& db = m_main.Data();
    {
        TCloseOnExit close(db);
        m_main.OpenStore();
        // A file that could not be opened runs nothing and would leave an earlier answer in place.
        db.ClearResults();
        Fill(cmboPercentOf, QStringLiteral("BudgetCategories"));
        Fill(cmboFrom, QStringLiteral("BudgetCategories"));
        Fill(cmboTo, QStringLiteral("BudgetCategories"));
        Fill(cmboDepFrom, QStringLiteral("Parties"));
        Fill(cmboDepTo, QStringLiteral("Accounts"));
        db.ClearResults();
        db.ExecSQL(QStringLiteral("SELECT IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, AllAccounts, "
                                  "AccountID, AllDeposits, PartyID FROM BudgetRules WHERE ROWID = %1")
                       .arg(rule));
    }
    const bool found = db.RowCount(0) > 0;
    auto cell = [&db, found](int column) { return found ? db.Cell(column, 0) : QString(); };
    chkPercent->setChecked(cell(0) == QLatin1String("t"));
    const QString percentOf = cell(1);
    cmboPercentOf->setCurrentIndex(percentOf == kNetDeposit     ? 0
                                   : percentOf == kGrossDeposit ? 1
                                                                : FindRow(cmboPercentOf, percentOf, kFirstItemEntry));
    edAmount->SetIntValue(found ? TextToInt(cell(2)) : 0);
    cmboFrom->setCurrentIndex(FindRow(cmboFrom, cell(3)));
    cmboTo->setCurrentIndex(FindRow(cmboTo, cell(4)));
    cbxAllAccounts->setChecked(cell(5) == QLatin1String("t"));
    cmboDepTo->setCurrentIndex(FindRow(cmboDepTo, cell(6)));
    cbxAllDeposits->setChecked(cell(7) == QLatin1String("t"));
    const int party = FindRow(cmboDepFrom, cell(8));
    cmboDepFrom->setCurrentIndex(party);
    if (party < 0)
        cmboDepFrom->clearEditText();
    ApplyEnabling();
}

TRuleSettings TfrmEditBudgetRule::Settings() const
{
    TRuleSettings s;
    s.isPercent = chkPercent->isChecked();
    const int percentOf = cmboPercentOf->currentIndex();
    if (percentOf == 0) {
        s.percentOf = kNetDeposit;
    } else if (percentOf == 1) {
        s.percentOf = kGrossDeposit;
    } else if (percentOf >= kFirstItemEntry) {
        s.percentOfItem = cmboPercentOf->currentData().toLongLong();
        s.percentOf = QString::number(s.percentOfItem);
    }
    s.value = edAmount->IntValue();
    s.from = SelectedRow(cmboFrom);
    s.into = SelectedRow(cmboTo);
    s.allAccounts = cbxAllAccounts->isChecked();
    s.account = SelectedRow(cmboDepTo);
    s.allDeposits = cbxAllDeposits->isChecked();
    if (const qint64 party = party_names::SelectedPartyID(*cmboDepFrom))
        s.party = party;
    return s;
}

void TfrmEditBudgetRule::ApplyEnabling()
{
    SetListEnabled(cmboPercentOf, lblPercent, chkPercent->isChecked());
    SetListEnabled(cmboDepFrom, lblDepFrom, !cbxAllDeposits->isChecked());
    SetListEnabled(cmboDepTo, lblDepTo, !cbxAllAccounts->isChecked());
}

void TfrmEditBudgetRule::chkPercentClick()
{
    ApplyEnabling();
}

void TfrmEditBudgetRule::cbxAllDepositsClick()
{
    ApplyEnabling();
}

void TfrmEditBudgetRule::cbxAllAccountsClick()
{
    ApplyEnabling();
}

bool TfrmEditBudgetRule::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cmboDepFrom && event->type() == QEvent::FocusOut) {
        // Opening the field's own list or another window is no leaving.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            platform::RunUserAction([this] { cmboDepFromExit(); });
    }
    return TSideDialog::eventFilter(watched, event);
}

void TfrmEditBudgetRule::cmboDepFromExit()
{
    party_names::MatchPartyText(*cmboDepFrom);
}

void TfrmEditBudgetRule::btnOKClick()
{
    // An amount beyond what the data file can hold is told here, and the dialog stays open with it.
    edAmount->IntValue();
    if (cbxAllDeposits->isChecked()) {
        accept();
        return;
    }
    // Enter presses OK without leaving the field: a name typed in another case is still the listed party.
    cmboDepFromExit();
    if (party_names::AcceptPartyBox(m_main, this, *cmboDepFrom, m_system))
        accept();
}
