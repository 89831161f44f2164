#include "ledger/CheckWizard.h"

#include "ledger/NegativeBudgetWarning.h"
#include "ledger/NewBudgetItem.h"
#include "ledger/PartyNames.h"
#include "ledger/controls/RealEdit.h"
#include "ledger/controls/SlideTrayButton.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "platform/Settings.h"
#include "platform/Today.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/GridLook.h"
#include "platform/HelpKey.h"
#include "ui/MainWindowInterface.h"
#include "ui/TextFilters.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QToolButton>

namespace {

const QString kDisplayKey = QStringLiteral("\\Software\\Hollowmere\\Cofferly\\Display");
const QString kZero = QStringLiteral("0.00");
constexpr int kRowIdRole = Qt::UserRole;

bool AmountCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
}

// The notes: one paragraph, so Enter is left to the dialog, and the characters the data file would not
// keep as typed are refused, pasted text included.
class TNotesMemo : public QPlainTextEdit
{
public:
    explicit TNotesMemo(QWidget* parent) : QPlainTextEdit(parent)
    {
        setTabChangesFocus(true);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        for (QChar c : event->text())
            if (c.isPrint() && !ui::NoSqlWildcards(c))
                return;
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        QString text = ui::WithoutSqlWildcards(source->text());
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        insertPlainText(text);
    }
};

// The amount cells of the tray and the gross row: edited in a field that takes only digits and the
// point, so that an amount typed there is never negative; drawn in the look every grid shares.
class TAmountCellDelegate : public ui::TGridCellDelegate
{
public:
    explicit TAmountCellDelegate(QObject* parent) : TGridCellDelegate(parent) { SetMoneyColumns({1}); }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = TGridCellDelegate::createEditor(parent, option, index);
        if (auto* field = qobject_cast<QLineEdit*>(editor))
            new ui::TCharacterFilter(field, AmountCharacter);
        return editor;
    }
};

// The date: Tab goes on to the next field of the check, as everywhere else in the dialog, instead of
// stepping through day, month and year (the arrow keys do that).
class TDatePicker : public QDateEdit
{
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

QTableWidget* MakeGrid(const QString& name, int rows, QWidget* parent)
{
    auto* grid = new QTableWidget(rows, 2, parent);
    grid->setObjectName(name);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::SelectedClicked);
    grid->setItemDelegate(new TAmountCellDelegate(grid));
    // Reached with the mouse only: the tab order runs through the check's own fields.
    grid->setFocusPolicy(Qt::ClickFocus);
    return grid;
}

// A name cell: shown, never selected or edited.
QTableWidgetItem* NameCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

QTableWidgetItem* AmountCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Enter in a grid ends the edit there. It must not reach the dialog, which would take it for OK.
bool EndsEdit(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TfrmCheckWizard::TfrmCheckWizard(IMainWindow& main, QWidget* parent) : QDialog(parent), m_main(main)
{
    setObjectName(QStringLiteral("frmCheckWizard"));
    // Always replaced by the caption of the mode.
    setWindowTitle(QStringLiteral("Enter Transaction"));
    BuildLayout();
    new platform::THelpKey(this, [this] { m_main.ShowHelpTopic(QStringLiteral("CheckWizard.htm")); });
}

void TfrmCheckWizard::BuildLayout()
{
    SetClientWidth(kClientWidth);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 416, kClientHeight);

    edID = new QLineEdit(Panel1);
    edID->setObjectName(QStringLiteral("edID"));
    edID->setGeometry(16, 32, 161, 21);
    new ui::TCharacterFilter(edID, ui::NoSqlWildcards);
    lblCheckNum = MakeLabel(QStringLiteral("lblCheckNum"), QString(), Panel1, 15, 12);

    DateTimePicker = new TDatePicker(Panel1);
    DateTimePicker->setObjectName(QStringLiteral("DateTimePicker"));
    DateTimePicker->setCalendarPopup(true);
    DateTimePicker->setGeometry(280, 32, 121, 21);
    Label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("Date:"), Panel1, 280, 12);

    edParty = new QComboBox(Panel1);
    edParty->setObjectName(QStringLiteral("edParty"));
    edParty->setEditable(true);
    edParty->setInsertPolicy(QComboBox::NoInsert);
    // Names are matched when the box is left; completing them while typing would put words in the
    // person's mouth.
    edParty->setCompleter(nullptr);
    edParty->setGeometry(16, 80, 273, 21);
    edParty->installEventFilter(this);
    lblParty = MakeLabel(QStringLiteral("lblParty"), QString(), Panel1, 16, 63);

    cmboFrom = new QComboBox(Panel1);
    cmboFrom->setObjectName(QStringLiteral("cmboFrom"));
    cmboFrom->setGeometry(16, 80, 137, 21);
    lblTransferFrom = MakeLabel(QStringLiteral("lblTransferFrom"), QStringLiteral("From account:"), Panel1, 16, 63);
    cmboTo = new QComboBox(Panel1);
    cmboTo->setObjectName(QStringLiteral("cmboTo"));
    cmboTo->setGeometry(160, 80, 129, 21);
    lblTransferTo = MakeLabel(QStringLiteral("lblTransferTo"), QStringLiteral("To account:"), Panel1, 160, 63);
    for (QWidget* w : {static_cast<QWidget*>(cmboFrom), static_cast<QWidget*>(cmboTo),
                       static_cast<QWidget*>(lblTransferFrom), static_cast<QWidget*>(lblTransferTo)})
        w->hide();

    edAmount = new TRealEdit(Panel1);
    edAmount->setObjectName(QStringLiteral("edAmount"));
    edAmount->setGeometry(296, 80, 105, 21);
    edAmount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Amount:"), Panel1, 296, 63);
    btnGrossNet = new QToolButton(Panel1);
    btnGrossNet->setObjectName(QStringLiteral("btnGrossNet"));
    btnGrossNet->setArrowType(Qt::DownArrow);
    btnGrossNet->setToolTip(QStringLiteral("Gross amount"));
    btnGrossNet->setFocusPolicy(Qt::NoFocus);
    btnGrossNet->setGeometry(381, 82, 18, 17);
    // The button sits inside the field's right end; the text keeps clear of it.
    edAmount->setTextMargins(0, 0, 18, 0);

    gridGrossNet = MakeGrid(QStringLiteral("gridGrossNet"), 1, Panel1);
    gridGrossNet->setGeometry(260, 101, 141, 21);
    gridGrossNet->setColumnWidth(0, 50);
    gridGrossNet->setColumnWidth(1, 88);
    gridGrossNet->verticalHeader()->setDefaultSectionSize(19);
    gridGrossNet->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridGrossNet->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridGrossNet->setItem(0, 0, NameCell(QStringLiteral("Gross")));
    gridGrossNet->setItem(0, 1, AmountCell(kZero));
    gridGrossNet->installEventFilter(this);
    gridGrossNet->hide();

    memNotes = new TNotesMemo(Panel1);
    memNotes->setObjectName(QStringLiteral("memNotes"));
    memNotes->setGeometry(16, 128, 209, 49);
    Label4 = MakeLabel(QStringLiteral("Label4"), QStringLiteral("Notes:"), Panel1, 16, 111);

    btnOk = new QPushButton(QStringLiteral("OK"), Panel1);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(238, 152, 75, 25);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(326, 152, 75, 25);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(416, 0, kTrayWidth, kClientHeight);
    gridBudgetItems = MakeGrid(QStringLiteral("gridBudgetItems"), 0, Panel2);
    gridBudgetItems->setGeometry(0, 0, kTrayWidth, 164);
    gridBudgetItems->setColumnWidth(0, 100);
    gridBudgetItems->setColumnWidth(1, 59);
    // The amounts take what the names and the scroll bar leave, so the list has no empty strip.
    gridBudgetItems->horizontalHeader()->setStretchLastSection(true);
    gridBudgetItems->verticalHeader()->setDefaultSectionSize(18);
    gridBudgetItems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridBudgetItems->installEventFilter(this);
    btnAddBudgetItem = new QPushButton(QStringLiteral("Add Budget Item"), Panel2);
    btnAddBudgetItem->setObjectName(QStringLiteral("btnAddBudgetItem"));
    btnAddBudgetItem->setGeometry(1, 165, 182, 25);
    btnAddBudgetItem->setFocusPolicy(Qt::ClickFocus);

    SlideTrayButton1 = new TSlideTrayButton(this);
    SlideTrayButton1->setObjectName(QStringLiteral("SlideTrayButton1"));
    SlideTrayButton1->setGeometry(kClientWidth - kSlideWidth, 0, kSlideWidth, kClientHeight);
    SlideTrayButton1->SetGripSize(100);

    setTabOrder(edID, DateTimePicker);
    setTabOrder(DateTimePicker, edParty);
    setTabOrder(edParty, cmboFrom);
    setTabOrder(cmboFrom, cmboTo);
    setTabOrder(cmboTo, edAmount);
    setTabOrder(edAmount, memNotes);
    setTabOrder(memNotes, btnOk);
    setTabOrder(btnOk, btnCancel);

    connect(edParty, &QComboBox::editTextChanged, this, platform::UserAction([this] { edPartyChange(); }));
    connect(edParty, &QComboBox::currentIndexChanged, this, platform::UserAction([this] { edPartyChange(); }));
    connect(edAmount, &TRealEdit::Exited, this, platform::UserAction([this] {
        if (!m_closing)
            edAmountExit();
    }));
    connect(btnGrossNet, &QToolButton::clicked, this, platform::UserAction([this] { btnGrossNetClick(); }));
    // The edit ends as soon as the cell's text is committed: closing the editor then gives the focus back to
    // the row, whose entry would remember the new text before the edit could compare it with the old one.
    connect(gridGrossNet->itemDelegate(), &QAbstractItemDelegate::commitData, this,
            platform::UserAction([this] { gridGrossNetEditEnded(); }));
    connect(gridGrossNet->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            platform::UserAction([this] { gridGrossNetEditEnded(); }));
    // Only the gross amount can be selected in its row.
    connect(gridGrossNet, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        platform::RunUserAction([&] {
            if (row == 0 && column == 0)
                gridGrossNet->setCurrentCell(0, 1);
        });
    });
    connect(gridBudgetItems->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            platform::UserAction([this] { gridBudgetItemsEditEnded(); }));
    connect(gridBudgetItems, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { platform::RunUserAction([&] { gridBudgetItemsSelectCell(row, column); }); });
    connect(gridBudgetItems, &QTableWidget::cellDoubleClicked, this, platform::UserAction([this] { gridBudgetItemsDblClick(); }));
    connect(btnAddBudgetItem, &QPushButton::clicked, this, platform::UserAction([this] { btnAddBudgetItemClick(); }));
    connect(btnOk, &QPushButton::clicked, this, platform::UserAction([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SlideTrayButton1, &TSlideTrayButton::clicked, this, platform::UserAction([this] { SlideTrayButton1Click(); }));
}

void TfrmCheckWizard::SetClientWidth(int width)
{
    setFixedSize(width, kClientHeight);
}

// ----------------------------------------------------------------------------------------------------------

void TfrmCheckWizard::PrepareEntry(bool debit, bool includeDeleted)
{
    m_mode = debit ? Mode::Debit : Mode::Credit;
    m_includeDeleted = includeDeleted;
    if (debit) {
        SetGrossText(kZero);
        btnGrossNet->hide();
        setWindowTitle(QStringLiteral("Enter Debit"));
        lblCheckNum->setText(QStringLiteral("ID (ex. Check Number):"));
        lblParty->setText(QStringLiteral("Pay to the order of:"));
    } else {
        btnGrossNet->show();
        SetGrossText(kZero);
        setWindowTitle(QStringLiteral("Enter Credit"));
        lblCheckNum->setText(QStringLiteral("ID (ex. Deposit Number):"));
        lblParty->setText(QStringLiteral("From:"));
        LoadBudgetRules();
    }
    lblCheckNum->adjustSize();
    lblParty->adjustSize();
    DateTimePicker->setDate(platform::Today());
    FillBudgetGrid();
    FillPartyList();
    m_partyChanged = false;
}

void TfrmCheckWizard::LoadBudgetRules()
{
    TSQLiteDatabase& db = m_main.Data();
    TCloseOnExit close(db);
    m_main.OpenStore();
    m_rules = allocation::LoadBudgetRules(db, m_system, m_account);
}

void TfrmCheckWizard::FillBudgetGrid()
{
    const QSignalBlocker block(gridBudgetItems);
    gridBudgetItems->setRowCount(0);
    TSQLiteDatabase& db = m_main.Data();
    {
        TCloseOnExit close(db);
        m_main.OpenStore();
        db.ExecSQL(
            m_includeDeleted
                ? QStringLiteral("SELECT Name, ROWID FROM BudgetCategories WHERE SystemID = %1 ORDER BY Name ASC")
                      .arg(m_system)
                : QStringLiteral("SELECT Name, ROWID FROM BudgetCategories WHERE ((SystemID = %1) AND "
                                 "(Deleted = \"f\")) ORDER BY Name ASC")
                      .arg(m_system));
    }
    // The result table outlives Close.
    const int rows = db.RowCount(0);
    gridBudgetItems->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        QTableWidgetItem* name = NameCell(db.Cell(0, row));
        name->setData(kRowIdRole, db.Cell(1, row).toLongLong());
        gridBudgetItems->setItem(row, 0, name);
        gridBudgetItems->setItem(row, 1, AmountCell(kZero));
    }
    if (rows > 0) {
        gridBudgetItems->setCurrentCell(0, 1);
        m_rememberedCellText = kZero;
    }
}

void TfrmCheckWizard::FillPartyList()
{
    m_lastKeyBackspace = false;
    edParty->clear();
    TSQLiteDatabase& db = m_main.Data();
    TCloseOnExit close(db);
    m_main.OpenStore();
    db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM Parties WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                              "ORDER BY Name ASC")
                   .arg(m_system));
    for (int row = 0; row < db.RowCount(0); ++row)
        edParty->addItem(db.Cell(0, row), db.Cell(1, row).toLongLong());
    edParty->setCurrentIndex(-1);
    edParty->clearEditText();
}

void TfrmCheckWizard::PrepareTransfer()
{
    m_mode = Mode::Transfer;
    btnGrossNet->hide();
    lblCheckNum->setText(QStringLiteral("ID (optional):"));
    lblCheckNum->adjustSize();
    lblParty->hide();
    edParty->hide();
    setWindowTitle(QStringLiteral("Enter Transfer"));
    DateTimePicker->setDate(platform::Today());
    m_partyChanged = false;

    Panel2->hide();
    SlideTrayButton1->hide();
    SetClientWidth(width() - kTrayWidth - kSlideWidth);
    for (QWidget* w : {static_cast<QWidget*>(cmboFrom), static_cast<QWidget*>(cmboTo),
                       static_cast<QWidget*>(lblTransferFrom), static_cast<QWidget*>(lblTransferTo)})
        w->show();
    FillAccountLists();
}

void TfrmCheckWizard::FillAccountLists()
{
    cmboFrom->clear();
    cmboTo->clear();
    TSQLiteDatabase& db = m_main.Data();
    TCloseOnExit close(db);
    m_main.OpenStore();
    db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM Accounts WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                              "ORDER BY Name ASC")
                   .arg(m_system));
    for (int row = 0; row < db.RowCount(0); ++row) {
        cmboFrom->addItem(db.Cell(0, row), db.Cell(1, row).toLongLong());
        cmboTo->addItem(db.Cell(0, row), db.Cell(1, row).toLongLong());
    }
    cmboFrom->setCurrentIndex(cmboFrom->findData(m_account));
    cmboTo->setCurrentIndex(cmboTo->findData(m_account));
}

int TfrmCheckWizard::ShowModal()
{
    FormShow();
    return platform::ExecModal(*this);
}

void TfrmCheckWizard::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    if (!m_main.RememberedShowBudgetTray() && !SlideTrayButton1->isHidden() && !Panel2->isHidden()) {
        Panel2->hide();
        SetClientWidth(width() - kTrayWidth);
        SlideTrayButton1->move(width() - kSlideWidth, 0);
    }
}

void TfrmCheckWizard::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

// ----------------------------------------------------------------------------------------------------------

qint32 TfrmCheckWizard::DayNumber() const
{
    return DateToDayNumber(DateTimePicker->date());
}

QString TfrmCheckWizard::GrossText() const
{
    return gridGrossNet->item(0, 1)->text();
}

void TfrmCheckWizard::SetGrossText(const QString& text)
{
    gridGrossNet->item(0, 1)->setText(text);
}

qint64 TfrmCheckWizard::SelectedPartyID() const
{
    return party_names::SelectedPartyID(*edParty);
}

qint64 TfrmCheckWizard::FromAccountID() const
{
    return cmboFrom->currentIndex() < 0 ? 0 : cmboFrom->currentData().toLongLong();
}

qint64 TfrmCheckWizard::ToAccountID() const
{
    return cmboTo->currentIndex() < 0 ? 0 : cmboTo->currentData().toLongLong();
}

std::vector<TfrmCheckWizard::TTrayEntry> TfrmCheckWizard::TrayRows() const
{
    std::vector<TTrayEntry> rows;
    for (int row = 0; row < gridBudgetItems->rowCount(); ++row)
        rows.push_back(
            {gridBudgetItems->item(row, 0)->data(kRowIdRole).toLongLong(), gridBudgetItems->item(row, 1)->text()});
    return rows;
}

void TfrmCheckWizard::SetTrayAmount(qint64 rowId, const QString& amount)
{
    for (int row = 0; row < gridBudgetItems->rowCount(); ++row) {
        if (gridBudgetItems->item(row, 0)->data(kRowIdRole).toLongLong() == rowId) {
            gridBudgetItems->item(row, 1)->setText(amount);
            return;
        }
    }
}

allocation::TBudgetTray TfrmCheckWizard::ReadTray() const
{
    allocation::TBudgetTray tray;
    for (int row = 0; row < gridBudgetItems->rowCount(); ++row)
        tray.push_back({gridBudgetItems->item(row, 0)->data(kRowIdRole).toLongLong(),
                        gridBudgetItems->item(row, 0)->text(),
                        MoneyTextToHundredths(gridBudgetItems->item(row, 1)->text())});
    return tray;
}

void TfrmCheckWizard::WriteTray(const allocation::TBudgetTray& tray)
{
    for (size_t row = 0; row < tray.size(); ++row)
        gridBudgetItems->item(int(row), 1)->setText(HundredthsToMoneyText(tray[row].hundredths));
}

void TfrmCheckWizard::AddTrayRow(const QString& name, qint64 rowId, const QString& amount)
{
    const int row = gridBudgetItems->rowCount();
    gridBudgetItems->insertRow(row);
    QTableWidgetItem* nameCell = NameCell(name);
    nameCell->setData(kRowIdRole, rowId);
    gridBudgetItems->setItem(row, 0, nameCell);
    gridBudgetItems->setItem(row, 1, AmountCell(amount));
}

// ----------------------------------------------------------------------------------------------------------

void TfrmCheckWizard::RerunAllocation()
{
    if (m_mode == Mode::Transfer)
        return;
    allocation::TBudgetTray tray = ReadTray();
    const allocation::TCredit credit{edAmount->RealValue(), GrossText(), SelectedPartyID()};
    allocation::RerunAllocation(tray, m_mode == Mode::Debit, m_rules, credit, edAmount->IntValue(),
                                [this](const QString& amount, const QString& source, const QString& target) {
                                    return TfrmNegativeBudgetWarning::Ask(amount, source, target, this);
                                });
    WriteTray(tray);
    m_partyChanged = false;
}

void TfrmCheckWizard::BalanceIntoUnbudgeted()
{
    allocation::TBudgetTray tray = ReadTray();
    allocation::BalanceIntoUnbudgeted(tray, edAmount->IntValue());
    WriteTray(tray);
}

// ----------------------------------------------------------------------------------------------------------

bool TfrmCheckWizard::FocusLeft(QWidget* widget)
{
    const QWidget* now = QApplication::focusWidget();
    return !now || (now != widget && !widget->isAncestorOf(now));
}

void TfrmCheckWizard::done(int result)
{
    // The focus leaves its field as the window closes: no rule may run, and no warning come up, then.
    m_closing = true;
    QDialog::done(result);
}

bool TfrmCheckWizard::eventFilter(QObject* watched, QEvent* event)
{
    // The edits ended here convert amounts, which may raise: the error stops inside, not in the toolkit.
    bool consumed = false;
    platform::RunUserAction([&] { consumed = WizardEventFilter(watched, event); });
    return consumed;
}

bool TfrmCheckWizard::WizardEventFilter(QObject* watched, QEvent* event)
{
    if (m_closing && event->type() == QEvent::FocusOut)
        return QDialog::eventFilter(watched, event);
    if (watched == edParty) {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty())
                m_lastKeyBackspace = text == QString(QChar(0x08));
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace)
                m_lastKeyBackspace = true;
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                edPartyExit();
        }
    } else if (watched == gridGrossNet) {
        if (event->type() == QEvent::FocusIn)
            gridGrossNetEnter();
        else if (event->type() == QEvent::FocusOut && FocusLeft(gridGrossNet))
            gridGrossNetEditEnded();
        else if (EndsEdit(event)) {
            // From a cell editor the delegate commits and closes, which ends the edit; a grid without an
            // editor ends it here.
            if (QApplication::focusWidget() == gridGrossNet)
                gridGrossNetEditEnded();
            return true;
        }
    } else if (watched == gridBudgetItems) {
        if (event->type() == QEvent::FocusOut && FocusLeft(gridBudgetItems))
            gridBudgetItemsEditEnded();
        else if (EndsEdit(event)) {
            if (QApplication::focusWidget() == gridBudgetItems)
                gridBudgetItemsEditEnded();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCheckWizard::edPartyChange()
{
    if (!m_lastKeyBackspace)
        m_partyChanged = true;
}

void TfrmCheckWizard::MatchPartyText()
{
    party_names::MatchPartyText(*edParty);
}

void TfrmCheckWizard::edPartyExit()
{
    MatchPartyText();
    if (m_partyChanged)
        RerunAllocation();
    m_partyChanged = false;
}

void TfrmCheckWizard::edAmountExit()
{
    if (m_mode == Mode::Transfer)
        return;
    if (m_mode == Mode::Credit && MoneyTextToHundredths(GrossText()) < edAmount->IntValue())
        SetGrossText(edAmount->text());
    RerunAllocation();
}

void TfrmCheckWizard::btnGrossNetClick()
{
    if (!gridGrossNet->isHidden()) {
        gridGrossNet->hide();
        edAmount->setFocus();
        return;
    }
    gridGrossNet->show();
    gridGrossNet->raise();
    gridGrossNet->setCurrentCell(0, 1);
    m_rememberedCellText = GrossText();
    gridGrossNet->setFocus();
}

void TfrmCheckWizard::gridGrossNetEnter()
{
    m_rememberedCellText = GrossText();
}

void TfrmCheckWizard::gridGrossNetEditEnded()
{
    // Hiding the row moves the focus, which would end the edit a second time.
    if (m_endingGrossEdit || gridGrossNet->isHidden())
        return;
    m_endingGrossEdit = true;
    const auto done = qScopeGuard([this] {
        gridGrossNet->hide();
        m_endingGrossEdit = false;
    });
    const QString text = GrossText();
    if (text == m_rememberedCellText)
        return;
    SetGrossText(NormalizeMoneyText(text, m_rememberedCellText));
    if (MoneyTextToHundredths(GrossText()) < edAmount->IntValue())
        SetGrossText(edAmount->text());
    RerunAllocation();
}

void TfrmCheckWizard::gridBudgetItemsSelectCell(int row, int column)
{
    gridBudgetItemsEditEnded();
    if (row < 0)
        return;
    if (column != 1) {
        // Only amounts are ever selected: a click on a name selects the amount beside it.
        gridBudgetItems->setCurrentCell(row, 1);
        return;
    }
    m_rememberedCellText = gridBudgetItems->item(row, 1)->text();
}

void TfrmCheckWizard::gridBudgetItemsEditEnded()
{
    if (m_endingTrayEdit || gridBudgetItems->rowCount() == 0)
        return;
    m_endingTrayEdit = true;
    const auto done = qScopeGuard([this] { m_endingTrayEdit = false; });
    for (int row = 0; row < gridBudgetItems->rowCount(); ++row) {
        QTableWidgetItem* amount = gridBudgetItems->item(row, 1);
        amount->setText(NormalizeMoneyText(amount->text(), m_rememberedCellText));
    }
    BalanceIntoUnbudgeted();
}

void TfrmCheckWizard::gridBudgetItemsDblClick()
{
    const int current = gridBudgetItems->currentRow();
    if (current < 0)
        return;
    const QString whole = HundredthsToMoneyText(edAmount->IntValue());
    for (int row = 0; row < gridBudgetItems->rowCount(); ++row)
        gridBudgetItems->item(row, 1)->setText(row == current ? whole : kZero);
}

bool TfrmCheckWizard::TrayShown() const
{
    return !Panel2->isHidden();
}

void TfrmCheckWizard::SlideTrayButton1Click()
{
    if (TrayShown()) {
        Panel2->hide();
        SetClientWidth(width() - kTrayWidth);
        m_main.SetRememberedShowBudgetTray(false);
    } else {
        Panel2->show();
        SetClientWidth(width() + kTrayWidth);
        m_main.SetRememberedShowBudgetTray(true);
    }
    SlideTrayButton1->move(width() - kSlideWidth, 0);
    platform::TSettingsKey display;
    if (display.Open(platform::SettingsScope::User, kDisplayKey, true))
        display.WriteBool(QStringLiteral("ShowBudgetTray"), TrayShown());
}

// ----------------------------------------------------------------------------------------------------------

void TfrmCheckWizard::btnAddBudgetItemClick()
{
    TfrmNewBudgetItem dialog(this);
    if (platform::ExecModal(dialog) != QDialog::Accepted)
        return;
    const QString name = CleanText(dialog.Name());
    if (name.trimmed().isEmpty())
        return;
    qint64 item = 0;
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        item = StoreNamedBudgetItem(change, m_system, name);
    });
    if (!stored || item == 0)
        return;
    // A tray that lists deleted items (an edit) may show the revived one already.
    bool listed = false;
    for (const TTrayEntry& row : TrayRows())
        listed = listed || row.rowId == item;
    if (!listed)
        AddTrayRow(name, item, kZero);
    m_main.NotifyUpdateBudgetItems();
}

void TfrmCheckWizard::btnOkClick()
{
    if (m_mode == Mode::Transfer) {
        accept();
        return;
    }
    // Enter presses OK with the focus still in the field it was typed in: an amount typed since the amount
    // field was entered, or a party chosen in the party box, has not been divided yet, as leaving the field
    // would have done.
    if (edAmount->hasFocus()) {
        edAmount->Normalize();
        if (edAmount->text() != edAmount->LastAcceptedText())
            edAmountExit();
    } else if (edParty->hasFocus()) {
        edPartyExit();
    }
    BalanceIntoUnbudgeted();
    // Enter presses OK without leaving the party box: a name typed in another case is still the listed
    // party, not a new one beside it.
    MatchPartyText();
    if (party_names::AcceptPartyBox(m_main, this, *edParty, m_system))
        accept();
}
