#include "ledger/AccountRegister.h"

#include "ledger/RegisterModel.h"
#include "ledger/TransactionChanges.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/Today.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/MainWindowInterface.h"
#include "ui/TextFilters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The remembered width of each list column, by the main window's numbering.
constexpr int kRememberedIndex[TRegisterModel::ColumnCount] = {kPassedColWidth, kIDColWidth,    kDateColWidth,
                                                               kAmountColWidth, kPartyColWidth, kNotesColWidth};

// The sort key of each list column.
const char* const kSortKeys[TRegisterModel::ColumnCount] = {"Transactions.Passed", "Transactions.TransID",
                                                            "Transactions.Date",   "Transactions.Amount",
                                                            "Parties.Name",        "Transactions.Notes"};

// How many days back each choice of the age filter reaches; 0 for none.
constexpr int kAgeDays[] = {0, 7, 14, 31, 92, 183, 365};

const char* const kAgeChoices[] = {"(no filter)",         "1 week old or less",   "2 weeks old or less",
                                   "1 month old or less", "3 months old or less", "6 months old or less",
                                   "1 year old or less"};

// The amount filter's choices with the flags each stores: debits, credits, transfers.
struct TAmountChoice
{
    const char* caption;
    bool debits, credits, transfers;
};
constexpr TAmountChoice kAmountChoices[] = {
    {"(no filter)", true, true, true},      {"credits and debits", true, true, false},
    {"credits only", false, true, false},   {"debits only", true, false, false},
    {"transfers only", false, false, true},
};

const QString kNotice = QStringLiteral("Accounts");

// The refusal of a change to an account that was deleted or taken back meanwhile.
QString AccountGone()
{
    return QStringLiteral("This account no longer exists.");
}

// The filter fields keep out the double quote; "%" and "_" stay, since they are the filters' wildcards.
bool NoDoubleQuote(QChar c)
{
    return c != QLatin1Char('"');
}

// The toolbar's pictures, drawn rather than stored: a few strokes each.
QIcon Glyph(char kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor green(0, 140, 40), red(200, 20, 20), blue(20, 70, 180), dark(60, 60, 60);
    switch (kind) {
    case '+':
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case '-':
        p.setPen(QPen(red, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case '=': {
        p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(2, 5), QPointF(12, 5));
        p.drawLine(QPointF(4, 11), QPointF(14, 11));
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(15, 5), QPointF(11, 1.5), QPointF(11, 8.5)}));
        p.drawPolygon(QPolygonF({QPointF(1, 11), QPointF(5, 7.5), QPointF(5, 14.5)}));
        break;
    }
    case 'e':
        p.setPen(QPen(QColor(200, 140, 20), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(4, 12), QPointF(13, 3));
        p.setPen(QPen(dark, 1.5));
        p.drawLine(QPointF(2, 14), QPointF(4, 12));
        p.drawLine(QPointF(2, 15), QPointF(10, 15));
        break;
    case 'x':
        p.setPen(QPen(red, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case 'i':
        p.setPen(QPen(dark, 1.5));
        p.drawPolyline(QPolygonF({QPointF(2, 9), QPointF(2, 14), QPointF(14, 14), QPointF(14, 9)}));
        p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 1), QPointF(8, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(QPolygonF({QPointF(8, 12), QPointF(4.5, 7.5), QPointF(11.5, 7.5)}));
        break;
    case 's':
        p.setPen(QPen(dark, 2));
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        p.setPen(QPen(dark, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        break;
    case 'p':
        p.setPen(QPen(dark, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    default:
        break;
    }
    return QIcon(pixmap);
}

QToolButton* ToolButton(QWidget* parent, const char* name, char glyph, const char* hint, int width = 26)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setFixedSize(width, 29);
    button->setIcon(Glyph(glyph));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(QString::fromLatin1(hint));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget* ToolDivider(QWidget* parent, const char* name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(8, 25);
    return line;
}

QWidget* BalancePanel(QWidget* parent, const char* name, const char* caption, QLabel*& figure, const char* figureName)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 1, 8, 1);
    layout->setSpacing(0);
    layout->addStretch(1);
    auto* label = new QLabel(QString::fromLatin1(caption), panel);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    figure = new QLabel(panel);
    figure->setObjectName(QLatin1String(figureName));
    figure->setFont(bold);
    figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(label);
    layout->addWidget(figure);
    return panel;
}

} // namespace

TframAccount::TframAccount(IMainWindow& main, QWidget* parent) : TScreenFrame(ScreenKind::Account, parent), m_main(main)
{
    setObjectName(QStringLiteral("framAccount"));
    BuildLayout();
    m_conditions = [](const TframAccount& self) { return self.AccountConditions(); };
    // F1 in the list and in every filter control; the results of a search have their own topic.
    new platform::THelpKey(this, [this] {
        m_main.ShowHelpTopic(m_mode == Mode::Account ? QStringLiteral("AccountTransactionsScreen.htm")
                                                     : QStringLiteral("Search.htm"));
    });
}

TframAccount::~TframAccount() = default;

QWidget* TframAccount::FilterPanel(const char* name)
{
    auto* panel = new QWidget(pnlFilter);
    panel->setObjectName(QLatin1String(name));
    return panel;
}

void TframAccount::BuildLayout()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QWidget(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    auto* tools = new QHBoxLayout(ToolBar);
    tools->setContentsMargins(2, 2, 2, 2);
    tools->setSpacing(0);
    spdDeposit = ToolButton(ToolBar, "spdDeposit", '+', "Record a deposit or credit. (+)");
    spdCheck = ToolButton(ToolBar, "spdCheck", '-', "Record a payment or debit. (-)");
    spdTransfer = ToolButton(ToolBar, "spdTransfer", '=', "Record a transfer to or from another account. (=)");
    spdEdit = ToolButton(ToolBar, "spdEdit", 'e', "Edit the currently selected item. (enter)");
    spdDelete = ToolButton(ToolBar, "spdDelete", 'x', "Delete current record. (del)");
    Divider = ToolDivider(ToolBar, "Divider");
    spdImport = ToolButton(ToolBar, "spdImport", 'i', "Import data from a file.");
    spdSearch = ToolButton(ToolBar, "spdSearch", 's', "Open search window. (F3)");
    Separator = ToolDivider(ToolBar, "Separator");
    spdPrint = ToolButton(ToolBar, "spdPrint", 'p', "Print current view.", 29);
    for (QWidget* w :
         {static_cast<QWidget*>(spdDeposit), static_cast<QWidget*>(spdCheck), static_cast<QWidget*>(spdTransfer),
          static_cast<QWidget*>(spdEdit), static_cast<QWidget*>(spdDelete), Divider, static_cast<QWidget*>(spdImport),
          static_cast<QWidget*>(spdSearch), Separator, static_cast<QWidget*>(spdPrint)})
        tools->addWidget(w);
    tools->addStretch(1);
    // Importing, searching and printing come with their own windows; until then their buttons stand
    // where they belong but cannot be pressed.
    spdImport->setEnabled(false);
    spdSearch->setEnabled(false);
    spdPrint->setEnabled(false);
    layout->addWidget(ToolBar);

    pnlBalance = BalancePanel(this, "pnlBalance", "Statement Balance:  ", lblPassBal, "lblPassBal");
    layout->addWidget(pnlBalance);
    pnlCofferlyBalance = BalancePanel(this, "pnlCofferlyBalance", "Cofferly Balance:  ", lblBalance, "lblBalance");
    layout->addWidget(pnlCofferlyBalance);

    pnlFilter = new QWidget(this);
    pnlFilter->setObjectName(QStringLiteral("pnlFilter"));
    pnlPassed = FilterPanel("pnlPassed");
    chkPassed = new QCheckBox(pnlPassed);
    chkPassed->setObjectName(QStringLiteral("chkPassed"));
    pnlID = FilterPanel("pnlID");
    edID = new QLineEdit(pnlID);
    edID->setObjectName(QStringLiteral("edID"));
    new ui::TCharacterFilter(edID, NoDoubleQuote);
    pnlDate = FilterPanel("pnlDate");
    cmboDate = new QComboBox(pnlDate);
    cmboDate->setObjectName(QStringLiteral("cmboDate"));
    for (const char* choice : kAgeChoices)
        cmboDate->addItem(QString::fromLatin1(choice));
    pnlAmount = FilterPanel("pnlAmount");
    cmboAmount = new QComboBox(pnlAmount);
    cmboAmount->setObjectName(QStringLiteral("cmboAmount"));
    for (const TAmountChoice& choice : kAmountChoices)
        cmboAmount->addItem(QString::fromLatin1(choice.caption));
    pnlParty = FilterPanel("pnlParty");
    cmboParty = new QComboBox(pnlParty);
    cmboParty->setObjectName(QStringLiteral("cmboParty"));
    pnlNotes = FilterPanel("pnlNotes");
    edNotes = new QLineEdit(pnlNotes);
    edNotes->setObjectName(QStringLiteral("edNotes"));
    new ui::TCharacterFilter(edNotes, NoDoubleQuote);
    pnlFilter->setFixedHeight(std::max({cmboDate->sizeHint().height(), edID->sizeHint().height(), 22}));
    pnlFilter->installEventFilter(this);
    layout->addWidget(pnlFilter);

    m_model = new TRegisterModel(this);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    GridHeader = new TRegisterHeader(Grid);
    GridHeader->setObjectName(QStringLiteral("GridHeader"));
    Grid->setHorizontalHeader(GridHeader);
    Grid->setModel(m_model);
    Grid->setItemDelegate(new TRegisterCellDelegate(Grid));
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setTabKeyNavigation(false);
    Grid->setWordWrap(false);
    Grid->setCornerButtonEnabled(false);
    // Whole columns at a time, so that the first visible column always starts at the left edge, under
    // its filter.
    Grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setMinimumSectionSize(1);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    GridHeader->setMinimumSectionSize(1);
    GridHeader->setStretchLastSection(false);
    Grid->installEventFilter(this);
    Grid->viewport()->installEventFilter(this);
    GridHeader->viewport()->installEventFilter(this);
    layout->addWidget(Grid, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    lblStatus = new QLabel(StatusBar);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setFixedWidth(300);
    StatusBar->addWidget(lblStatus);
    layout->addWidget(StatusBar);

    connect(spdDeposit, &QToolButton::clicked, this, platform::UserAction([this] { spdDepositClick(); }));
    connect(spdCheck, &QToolButton::clicked, this, platform::UserAction([this] { spdCheckClick(); }));
    connect(spdTransfer, &QToolButton::clicked, this, platform::UserAction([this] { spdTransferClick(); }));
    connect(spdEdit, &QToolButton::clicked, this, platform::UserAction([this] { spdEditClick(); }));
    connect(spdDelete, &QToolButton::clicked, this, platform::UserAction([this] { spdDeleteClick(); }));
    connect(Grid, &QTableView::doubleClicked, this, platform::UserAction([this] { spdEditClick(); }));
    connect(chkPassed, &QCheckBox::toggled, this, platform::UserAction([this] { chkPassedClick(); }));
    connect(edID, &QLineEdit::editingFinished, this, platform::UserAction([this] { edIDExit(); }));
    connect(edNotes, &QLineEdit::editingFinished, this, platform::UserAction([this] { edNotesExit(); }));
    connect(cmboDate, &QComboBox::currentIndexChanged, this, platform::UserAction([this] { cmboDateChange(); }));
    connect(cmboAmount, &QComboBox::currentIndexChanged, this, platform::UserAction([this] { cmboAmountChange(); }));
    connect(cmboParty, &QComboBox::currentIndexChanged, this, platform::UserAction([this] { cmboPartyChange(); }));
    connect(Grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            platform::UserAction([this] { GridTopLeftChanged(); }));
    // A resized list may move its columns without a change of the scroll bar's value (at its end).
    connect(Grid->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            platform::UserAction([this] { GridTopLeftChanged(); }));

    ApplyWidths(kFormWidths);
    m_model->SetResults(nullptr);
}

// ----------------------------------------------------------------------------------------------------------
// Showing

void TframAccount::SetConditionProvider(ConditionProvider provider)
{
    m_conditions = std::move(provider);
}

void TframAccount::SetEntryCommandsVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(spdImport), static_cast<QWidget*>(spdDeposit),
                       static_cast<QWidget*>(spdCheck), static_cast<QWidget*>(spdTransfer), Divider,
                       static_cast<QWidget*>(spdSearch), pnlFilter, pnlBalance, pnlCofferlyBalance})
        w->setVisible(visible);
}

void TframAccount::ShowAccount(qint64 account)
{
    m_loaded = false;
    m_conditions = [](const TframAccount& self) { return self.AccountConditions(); };
    m_mode = Mode::Account;
    m_account = account;
    SetEntryCommandsVisible(true);
    Load();
}

void TframAccount::ShowResults(qint64 account)
{
    m_loaded = false;
    m_mode = Mode::SearchResults;
    m_account = account;
    SetEntryCommandsVisible(false);
    Load();
}

void TframAccount::Load()
{
    m_system = m_main.StoreQueryValue(QStringLiteral("SELECT SystemID FROM Accounts WHERE ROWID = %1").arg(m_account))
                   .toLongLong();
    RefreshBalances();
    LoadViewSettings();
    RefreshList();
    // The main window's Print command stays disabled: the register has no printed statement yet.
    m_loaded = true;
}

void TframAccount::LoadViewSettings()
{
    m_sortColumn = TRegisterModel::ColDate;
    m_descending = true;
    m_showPassed = m_showCredits = m_showDebits = m_showTransfers = true;
    m_age = 0;
    m_notesText.clear();
    m_idText.clear();
    m_notesPattern.clear();
    m_idPattern.clear();
    m_showParty = 0;
    m_firstVisibleColumn = 0;
    GridHeader->SetSortMark(m_sortColumn, m_descending);
    if (m_mode != Mode::Account) {
        ApplyWidths(kFormWidths);
        return;
    }

    TSQLiteDatabase& db = m_main.Data();
    {
        TCloseOnExit close(db);
        db.ClearResults();
        m_main.OpenStore();
        db.ExecSQL(QStringLiteral("SELECT Name, ShowPassed, ShowCredits, ShowDebits, ShowTransfers, Age, ShowNotes, "
                                  "ShowParty, ShowID FROM Accounts WHERE ROWID = %1")
                       .arg(m_account));
        // An account that is gone keeps the view without filters rather than stopping on its empty values.
        if (db.RowCount(0) > 0) {
            lblStatus->setText(QStringLiteral("Account: ") + db.Cell(0, 0));
            m_showPassed = db.Cell(1, 0) == QLatin1String("t");
            m_showCredits = db.Cell(2, 0) == QLatin1String("t");
            m_showDebits = db.Cell(3, 0) == QLatin1String("t");
            m_showTransfers = db.Cell(4, 0) == QLatin1String("t");
            m_age = TextToInt(db.Cell(5, 0));
            m_notesText = db.Cell(6, 0);
            m_showParty = TextToInt(db.Cell(7, 0));
            m_idText = db.Cell(8, 0);
        }
        FillPartyFilter();
    }

    const QSignalBlocker blockNotes(edNotes), blockID(edID), blockPassed(chkPassed), blockAmount(cmboAmount),
        blockDate(cmboDate);
    edNotes->setText(m_notesText);
    if (!m_notesText.isEmpty())
        m_notesPattern = m_notesText + QLatin1Char('%');
    edID->setText(m_idText);
    if (!m_idText.isEmpty())
        m_idPattern = m_idText + QLatin1Char('%');
    chkPassed->setChecked(m_showPassed);
    int amount = 0;
    if (!m_showDebits && !m_showCredits)
        amount = 4;
    else if (!m_showTransfers && !m_showCredits)
        amount = 3;
    else if (!m_showTransfers && !m_showDebits)
        amount = 2;
    else if (!m_showTransfers)
        amount = 1;
    cmboAmount->setCurrentIndex(amount);
    // An age outside the choices filters nothing and shows as no filter.
    if (m_age < 0 || m_age >= int(std::size(kAgeDays)))
        m_age = 0;
    cmboDate->setCurrentIndex(m_age);

    std::array<int, 6> widths{};
    for (int i = 0; i < TRegisterModel::ColumnCount; ++i) {
        const int remembered = m_main.RememberedWidth(kRememberedIndex[i]);
        // Before the settings have been read the main window knows no widths; a column never vanishes.
        widths[size_t(i)] = remembered > 0 ? remembered : kFormWidths[size_t(i)];
    }
    ApplyWidths(widths);
}

void TframAccount::FillPartyFilter()
{
    TSQLiteDatabase& db = m_main.Data();
    db.ExecSQL(QStringLiteral("SELECT Name, ROWID FROM Parties WHERE SystemID = %1 ORDER BY Name ASC").arg(m_system));
    const QSignalBlocker block(cmboParty);
    cmboParty->clear();
    cmboParty->addItem(QStringLiteral("(no filter)"), qint64(0));
    int selected = m_showParty == 0 ? 0 : -1;
    for (int row = 0; row < db.RowCount(0); ++row) {
        const qint64 party = db.Cell(1, row).toLongLong();
        cmboParty->addItem(db.Cell(0, row), party);
        if (party == m_showParty && selected < 0)
            selected = cmboParty->count() - 1;
    }
    // A party that no longer exists filters nothing; the stored value is left for the person to change.
    if (selected < 0) {
        selected = 0;
        m_showParty = 0;
    }
    cmboParty->setCurrentIndex(selected);
}

void TframAccount::SetAccountName(const QString& name)
{
    lblStatus->setText(QStringLiteral("Account: ") + name);
}

QString TframAccount::StatusText() const
{
    return lblStatus->text();
}

// ----------------------------------------------------------------------------------------------------------
// The list and the balances

QString TframAccount::AccountConditions() const
{
    if (m_mode != Mode::Account)
        return QString();
    QString conditions;
    if (!m_showPassed)
        conditions += QStringLiteral(" AND (Transactions.Passed != \"t\")");
    if (!m_showCredits && !m_showDebits && m_showTransfers) {
        // "Transfers only": the halves of the account's transfers, whatever their sign. The two amount
        // conditions would leave only rows of 0.00, which no transfer is.
        conditions += QStringLiteral(" AND ((Transactions.ROWID IN (SELECT TransID1 FROM TransTOTrans)) OR "
                                     "(Transactions.ROWID IN (SELECT TransID2 FROM TransTOTrans)))");
    } else {
        if (!m_showCredits)
            conditions += QStringLiteral(" AND (Transactions.Amount <= 0)");
        if (!m_showDebits)
            conditions += QStringLiteral(" AND (Transactions.Amount >= 0)");
    }
    if (!m_showTransfers)
        conditions += QStringLiteral(" AND (Transactions.ROWID NOT IN (SELECT TransID1 FROM TransTOTrans)) AND "
                                     "(Transactions.ROWID NOT IN (SELECT TransID2 FROM TransTOTrans))");
    if (m_age > 0 && m_age < int(std::size(kAgeDays)))
        conditions +=
            QStringLiteral(" AND (Transactions.Date >= %1)").arg(DateToDayNumber(platform::Today()) - kAgeDays[m_age]);
    if (!m_notesPattern.isEmpty())
        conditions += QStringLiteral(" AND (Transactions.Notes LIKE %1)").arg(SqlText(m_notesPattern));
    if (m_showParty > 0)
        conditions += QStringLiteral(" AND (Transactions.SecondPartyID = %1)").arg(m_showParty);
    if (!m_idPattern.isEmpty())
        conditions += QStringLiteral(" AND (Transactions.TransID LIKE %1)").arg(SqlText(m_idPattern));
    return conditions;
}

QString TframAccount::ListQuery() const
{
    const QString conditions = m_conditions ? m_conditions(*this) : QString();
    const int column =
        m_sortColumn >= 0 && m_sortColumn < TRegisterModel::ColumnCount ? m_sortColumn : int(TRegisterModel::ColDate);
    const QString direction = m_descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    // A transaction without its party (an opening balance has none) is listed all the same, with an empty
    // name, so that the list adds up to the balance. Rows of equal keys keep the order of their entry.
    const QString sql = QStringLiteral("SELECT Transactions.Passed, Transactions.TransID, Transactions.Date, "
                                       "Transactions.Amount, Parties.Name, Transactions.Notes, Transactions.ROWID "
                                       "FROM Transactions LEFT JOIN Parties ON (Transactions.SecondPartyID = "
                                       "Parties.ROWID) WHERE ((AccountID = %1)%2) ORDER BY %3%4, Transactions.ROWID%4")
                            .arg(QString::number(m_account), conditions, QLatin1String(kSortKeys[column]), direction);

    return sql;
}

void TframAccount::RefreshList()
{
    const QString sql = ListQuery();
    const qint64 current = CurrentTransaction();
    const int currentRow = Grid->currentIndex().row();
    // The list stays scrolled to the columns the person was looking at: making a row current scrolls
    // its first cell into view, and the reset forgets the scroll position.
    const int firstColumn = Grid->horizontalScrollBar()->value();
    TSQLiteDatabase& db = m_main.Data();
    {
        TCloseOnExit close(db);
        // A file that cannot be opened lists nothing, never the rows of an earlier query.
        db.ClearResults();
        m_main.OpenStore();
        db.ExecSQL(sql);
    }
    m_model->SetResults(db.TakeResults());
    // Resetting the list forgets the header's widths.
    ApplyWidths(m_widths);
    int row = m_model->RowOf(current);
    if (row < 0)
        row = std::clamp(currentRow, 0, m_model->rowCount() - 1);
    Grid->setCurrentIndex(m_model->index(row, 0));
    Grid->horizontalScrollBar()->setValue(firstColumn);
}

void TframAccount::SetBalanceText(QLabel* label, const QString& sum)
{
    // The sum of no rows is NULL, read as the empty text: no transactions make a balance of 0.00. A sum
    // is not bound to the 32 bits of one amount.
    const QString text = StoredSumToMoneyText(sum);
    label->setText(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ui::IsNegativeMoneyText(text) ? ui::NegativeMoneyColour() : Qt::black);
    label->setPalette(palette);
}

void TframAccount::RefreshBalances()
{
    SetBalanceText(lblBalance,
                   m_main.StoreQueryValue(
                       QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE AccountID = %1").arg(m_account)));
    SetBalanceText(lblPassBal, m_main.StoreQueryValue(QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE "
                                                                     "((AccountID = %1) AND (Passed = \"t\"))")
                                                          .arg(m_account)));
    m_main.NotifyUpdateAccounts();
}

void TframAccount::SortGridOn(int column)
{
    if (column == m_sortColumn) {
        m_descending = !m_descending;
    } else {
        m_sortColumn = column;
        m_descending = true;
    }
    GridHeader->SetSortMark(m_sortColumn, m_descending);
    RefreshList();
}

qint64 TframAccount::CurrentTransaction() const
{
    const QModelIndex current = Grid->currentIndex();
    return current.isValid() ? m_model->RowID(current.row()) : 0;
}

// ----------------------------------------------------------------------------------------------------------
// Widths and the filter row

void TframAccount::ApplyWidths(const std::array<int, 6>& widths)
{
    m_widths = widths;
    for (int i = 0; i < TRegisterModel::ColumnCount; ++i)
        GridHeader->resizeSection(i, widths[size_t(i)] + kGridLineWidth);
    PlaceFilterPanels();
}

void TframAccount::PlaceFilterPanels()
{
    QWidget* const panels[TRegisterModel::ColumnCount] = {pnlPassed, pnlID, pnlDate, pnlAmount, pnlParty, pnlNotes};
    QWidget* const controls[TRegisterModel::ColumnCount] = {chkPassed, edID, cmboDate, cmboAmount, cmboParty, edNotes};
    const int height = pnlFilter->height();
    const int left = Grid->frameWidth();
    for (int i = 0; i < TRegisterModel::ColumnCount; ++i) {
        QWidget* panel = panels[i];
        const bool last = i == TRegisterModel::ColNotes;
        if (!last && i < m_firstVisibleColumn) {
            panel->hide();
            continue;
        }
        // Each panel stands where its column starts in the list, also when the list is scrolled to its
        // end and the first visible column is cut at the left.
        const int x = left + GridHeader->sectionViewportPosition(i);
        int width = m_widths[size_t(i)] + kGridLineWidth;
        if (last)
            width = std::max(width, pnlFilter->width() - x);
        panel->setGeometry(x, 0, width, height);
        panel->show();
        if (controls[i] == chkPassed) {
            const QSize box = chkPassed->sizeHint();
            chkPassed->setGeometry((width - box.width()) / 2, (height - box.height()) / 2, box.width(), box.height());
        } else {
            controls[i]->setGeometry(0, 0, width, height);
        }
    }
}

void TframAccount::GridTopLeftChanged()
{
    if (m_mode != Mode::Account)
        return;
    m_firstVisibleColumn = std::max(0, GridHeader->logicalIndexAt(0));
    PlaceFilterPanels();
}

void TframAccount::resizeEvent(QResizeEvent* event)
{
    TScreenFrame::resizeEvent(event);
    PlaceFilterPanels();
}

// ----------------------------------------------------------------------------------------------------------
// Filters

void TframAccount::StoreFilter(const QString& assignments)
{
    const QString account = QString::number(m_account);
    m_main.StoreChange([&](TStoreChange& change) {
        change.Require(
            QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (Deleted = \"f\"))").arg(account),
            AccountGone());
        change.Exec(QStringLiteral("UPDATE Accounts SET %1 WHERE ROWID = %2").arg(assignments, account));
    });
    RefreshList();
}

void TframAccount::chkPassedClick()
{
    if (m_mode != Mode::Account || !m_loaded)
        return;
    m_showPassed = chkPassed->isChecked();
    StoreFilter(QStringLiteral("ShowPassed = \"%1\"").arg(m_showPassed ? QLatin1Char('t') : QLatin1Char('f')));
}

void TframAccount::edIDExit()
{
    if (m_mode != Mode::Account || !m_loaded)
        return;
    const QString text = edID->text();
    // Enter and then leaving the field finish the same text twice.
    if (text == m_idText)
        return;
    m_idText = text;
    m_idPattern = text.isEmpty() ? QString() : text + QLatin1Char('%');
    StoreFilter(QStringLiteral("ShowID = %1").arg(text.isEmpty() ? QStringLiteral("NULL") : SqlText(text)));
}

void TframAccount::edNotesExit()
{
    if (m_mode != Mode::Account || !m_loaded)
        return;
    const QString text = edNotes->text();
    if (text == m_notesText)
        return;
    m_notesText = text;
    m_notesPattern = text.isEmpty() ? QString() : text + QLatin1Char('%');
    StoreFilter(QStringLiteral("ShowNotes = %1").arg(text.isEmpty() ? QStringLiteral("NULL") : SqlText(text)));
}

void TframAccount::cmboDateChange()
{
    if (m_mode != Mode::Account || !m_loaded || cmboDate->currentIndex() < 0)
        return;
    m_age = cmboDate->currentIndex();
    StoreFilter(QStringLiteral("Age = %1").arg(m_age));
}

void TframAccount::cmboAmountChange()
{
    const int index = cmboAmount->currentIndex();
    if (m_mode != Mode::Account || !m_loaded || index < 0 || index >= int(std::size(kAmountChoices)))
        return;
    const TAmountChoice& choice = kAmountChoices[index];
    m_showDebits = choice.debits;
    m_showCredits = choice.credits;
    m_showTransfers = choice.transfers;
    const auto flag = [](bool value) { return value ? QStringLiteral("\"t\"") : QStringLiteral("\"f\""); };
    StoreFilter(QStringLiteral("ShowDebits = %1, ShowCredits = %2, ShowTransfers = %3")
                    .arg(flag(choice.debits), flag(choice.credits), flag(choice.transfers)));
}

void TframAccount::cmboPartyChange()
{
    if (m_mode != Mode::Account || !m_loaded || cmboParty->currentIndex() < 0)
        return;
    m_showParty = cmboParty->currentData().toLongLong();
    StoreFilter(QStringLiteral("ShowParty = %1").arg(m_showParty));
}

// ----------------------------------------------------------------------------------------------------------
// Commands

void TframAccount::RunChange(const std::function<bool()>& change)
{
    bool changed = false;
    RunWhileBusy(m_main, [&] { changed = change(); });
    // A register that the command replaced is on its way out and shows nothing more.
    if (changed && !ReleasePending) {
        RefreshList();
        RefreshBalances();
    }
}

void TframAccount::spdDepositClick()
{
    if (m_mode != Mode::Account)
        return;
    RunChange([this] { return ledger::AddAccountTransaction(m_main, this, m_system, m_account, false); });
}

void TframAccount::spdCheckClick()
{
    if (m_mode != Mode::Account)
        return;
    RunChange([this] { return ledger::AddAccountTransaction(m_main, this, m_system, m_account, true); });
}

void TframAccount::spdTransferClick()
{
    if (m_mode != Mode::Account)
        return;
    RunChange([this] { return ledger::EnterTransfer(m_main, this, m_system, m_account); });
}

void TframAccount::spdEditClick()
{
    const qint64 transaction = CurrentTransaction();
    if (transaction <= 0)
        return;
    RunChange([&] { return ledger::EditTransaction(m_main, this, m_system, m_account, transaction); });
}

void TframAccount::spdDeleteClick()
{
    const qint64 transaction = CurrentTransaction();
    if (transaction <= 0)
        return;
    RunChange([&] { return ledger::DeleteTransaction(m_main, this, transaction); });
}

void TframAccount::TogglePassed(int row, bool byClick)
{
    const qint64 transaction = m_model->RowID(row);
    if (transaction <= 0)
        return;
    const bool passed = m_model->Passed(row);
    const auto statement = [transaction](bool mark) {
        return QStringLiteral("UPDATE Transactions SET Passed = \"%1\" WHERE ROWID = %2")
            .arg(mark ? QLatin1Char('t') : QLatin1Char('f'))
            .arg(transaction);
    };
    const bool stored = m_main.StoreChange([&](TStoreChange& change) {
        // The list may be older than the data file (another screen's change, an Undo).
        change.Require(
            QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (Deleted = \"f\"))").arg(m_account),
            AccountGone());
        change.Require(QStringLiteral("SELECT count(*) FROM Transactions WHERE ROWID = %1 AND AccountID = %2")
                           .arg(transaction)
                           .arg(m_account),
                       QStringLiteral("This transaction no longer exists."));
        change.Exec(statement(!passed));
    });
    if (!stored)
        return;
    m_model->SetPassed(row, !passed);
    if (!byClick)
        return; // Space: the row stays as it is until the next refresh, and it is not undone
    m_main.RecordUndoGroup({{statement(passed), kNotice}});
    RefreshList();
    RefreshBalances();
}

void TframAccount::GridMouseUp(bool inHeader, const QPoint& position)
{
    bool resized = false;
    for (int i = 0; i < TRegisterModel::ColumnCount; ++i) {
        const int width = GridHeader->sectionSize(i) - kGridLineWidth;
        // In account view the widths are the program's, which another register may have changed
        // meanwhile; a column without a remembered width was given the form's. The widths of the other
        // modes are the form's and stay this list's own.
        int before = m_widths[size_t(i)];
        if (m_mode == Mode::Account) {
            const int remembered = m_main.RememberedWidth(kRememberedIndex[i]);
            before = remembered > 0 ? remembered : kFormWidths[size_t(i)];
        }
        if (width == before || width <= 0)
            continue;
        resized = true;
        m_widths[size_t(i)] = width;
        if (m_mode == Mode::Account)
            m_main.SaveRememberedWidth(kRememberedIndex[i], width);
    }
    if (resized) {
        PlaceFilterPanels();
        return;
    }
    if (inHeader) {
        const int column = GridHeader->logicalIndexAt(position.x());
        if (column >= 0)
            SortGridOn(column);
        return;
    }
    const QModelIndex index = Grid->indexAt(position);
    if (index.isValid() && index.column() == TRegisterModel::ColPassed)
        TogglePassed(index.row(), true);
}

void TframAccount::GridKeyPress()
{
    const QModelIndex current = Grid->currentIndex();
    if (current.isValid())
        TogglePassed(current.row(), false);
}

bool TframAccount::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    platform::RunUserAction([&] { consumed = EventFilterBody(watched, event); });
    return consumed || TScreenFrame::eventFilter(watched, event);
}

bool TframAccount::EventFilterBody(QObject* watched, QEvent* event)
{
    if (watched == pnlFilter) {
        if (event->type() == QEvent::Resize)
            PlaceFilterPanels();
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == Grid->viewport() || watched == GridHeader->viewport())) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            GridMouseUp(watched == GridHeader->viewport(), mouse->position().toPoint());
        return false;
    }
    if (watched != Grid)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            spdEditClick();
            return true;
        case Qt::Key_Space:
            GridKeyPress();
            return true;
        case Qt::Key_Delete:
        case Qt::Key_F3:
            return true; // acted on when released
        default:
            break;
        }
        if (text == QLatin1String("+")) {
            spdDepositClick();
            return true;
        }
        if (text == QLatin1String("-")) {
            spdCheckClick();
            return true;
        }
        if (text == QLatin1String("=")) {
            spdTransferClick();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            return false;
        if (key->key() == Qt::Key_Delete) {
            spdDeleteClick();
            return true;
        }
        // F3 opens the search window, which is not part of the program yet.
        return key->key() == Qt::Key_F3;
    }
    return false;
}
