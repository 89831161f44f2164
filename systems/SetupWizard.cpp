#include "systems/SetupWizard.h"

#include "ledger/controls/RealEdit.h"
#include "platform/HelpKey.h"
#include "platform/Messages.h"
#include "platform/Today.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "systems/Architect.h"
#include "systems/PasswordDialogs.h"
#include "ui/MainWindowInterface.h"
#include "ui/NamedWidgets.h"
#include "ui/TextFilters.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using ui::MakeButton;
using ui::MakeLabel;

const QString kSystemTopic = QStringLiteral("BudgetSystem.htm");
const QString kAccountTopic = QStringLiteral("Account.htm");
const QString kOverviewTopic = QStringLiteral("Overview.htm");
constexpr int kFinalTextHeight = 150;

QLabel* MakeText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(platform::DisplayText(text), parent);
    label->setObjectName(QStringLiteral("lblText"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit* MakeField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

// The labels stand left of their fields, so that both pages keep their fields together under the text.
QGridLayout* FieldGrid()
{
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

// ----------------------------------------------------------------------------------------------------------

TframSetupWizardButtons::TframSetupWizardButtons(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("framSetupWizardButtons1"));
    btnHelp = MakeButton(QStringLiteral("btnHelp"), QStringLiteral("Help"), this);
    btnFinish = MakeButton(QStringLiteral("btnFinish"), QStringLiteral("Finish"), this);
    btnFinish->setEnabled(false);
    btnNext = MakeButton(QStringLiteral("btnNext"), QStringLiteral("Next"), this);
    btnNext->setDefault(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(btnHelp);
    row->addStretch();
    row->addWidget(btnFinish);
    row->addWidget(btnNext);
}

// ----------------------------------------------------------------------------------------------------------

TframSetupWizardSystem::TframSetupWizardSystem(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("framSetupWizardSystem"));
    lblText = MakeText(QStringLiteral("The primary unit in Cofferly is a Budget System.\r\nIf there are multiple users "
                                      "of this program on this computer,\r\neach one can have their own budget system "
                                      "and password."),
                       this);
    edSysName = MakeField(QStringLiteral("edSysName"), this);
    edSysName->setText(QStringLiteral("My System"));
    new ui::TCharacterFilter(edSysName, ui::NoSqlWildcards);
    lblSysName = MakeLabel(QStringLiteral("lblSysName"), QStringLiteral("System name:"), edSysName, this);
    chkNoPass = new QCheckBox(QStringLiteral("No password"), this);
    chkNoPass->setObjectName(QStringLiteral("chkNoPass"));
    edPass = MakeField(QStringLiteral("edPass"), this);
    edPassRetype = MakeField(QStringLiteral("edPassRetype"), this);
    for (QLineEdit* secret : {edPass, edPassRetype}) {
        MaskPasswordField(secret);
        new ui::TCharacterFilter(secret, ui::LetterOrDigit);
    }
    lblPass = MakeLabel(QStringLiteral("lblPass"), QStringLiteral("New password:"), edPass, this);
    lblPassRetype = MakeLabel(QStringLiteral("lblPassRetype"), QStringLiteral("Retype password:"), edPassRetype, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblText);
    layout->addSpacing(12);
    QGridLayout* grid = FieldGrid();
    grid->addWidget(lblSysName, 0, 0);
    grid->addWidget(edSysName, 0, 1);
    grid->addWidget(chkNoPass, 1, 1);
    grid->addWidget(lblPass, 2, 0);
    grid->addWidget(edPass, 2, 1);
    grid->addWidget(lblPassRetype, 3, 0);
    grid->addWidget(edPassRetype, 3, 1);
    layout->addLayout(grid);
    layout->addStretch(1);

    setTabOrder(edSysName, chkNoPass);
    setTabOrder(chkNoPass, edPass);
    setTabOrder(edPass, edPassRetype);
    NewPassword = new TNewPasswordFields(chkNoPass, lblPass, edPass, lblPassRetype, edPassRetype);
}

// ----------------------------------------------------------------------------------------------------------

TframSetupWizardAccount::TframSetupWizardAccount(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("framSetupWizardAccount"));
    lblText = MakeText(QStringLiteral("In order to use Cofferly, you should create at least one account.\r\nThis can "
                                      "represent an actual account, such as a checking account, or it can represent a "
                                      "conceptual account, such as keeping track of cash on hand."),
                       this);
    edAccountName = MakeField(QStringLiteral("edAccountName"), this);
    edAccountName->setText(QStringLiteral("My Account"));
    new ui::TCharacterFilter(edAccountName, ui::NoSqlWildcards);
    lblAccountName = MakeLabel(QStringLiteral("lblAccountName"), QStringLiteral("Account name:"), edAccountName, this);
    edAmount = new TRealEdit(this);
    edAmount->setObjectName(QStringLiteral("edAmount"));
    edAmount->SetDecimalPlaces(2);
    // The opening balance is the one amount of the program that may be below zero: an overdrawn account.
    edAmount->SetAllowNegatives(true);
    edAmount->setText(QStringLiteral("0.00"));
    lblAmount = MakeLabel(QStringLiteral("lblAmount"), QStringLiteral("Initial balance:"), edAmount, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblText);
    layout->addSpacing(12);
    QGridLayout* grid = FieldGrid();
    grid->addWidget(lblAccountName, 0, 0);
    grid->addWidget(edAccountName, 0, 1);
    grid->addWidget(lblAmount, 1, 0);
    grid->addWidget(edAmount, 1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    setTabOrder(edAccountName, edAmount);
}

void TframSetupWizardAccount::ShowFinalText()
{
    for (QWidget* w : {static_cast<QWidget*>(lblAccountName), static_cast<QWidget*>(edAccountName),
                       static_cast<QWidget*>(lblAmount), static_cast<QWidget*>(edAmount)})
        w->hide();
    lblText->setFixedHeight(kFinalTextHeight);
    lblText->setText(platform::DisplayText(
        QStringLiteral("You are now ready to begin using Cofferly.\rYou may create additional Budget Systems and "
                       "Accounts by right-clicking on the System Tree.\r\rTo make full use of Cofferly's advanced "
                       "features, click 'Help' to read about Budget Items, Parties, and Budget Rules")));
}

// ----------------------------------------------------------------------------------------------------------

TfrmSetupWizard::TfrmSetupWizard(IMainWindow& main, QWidget* parent) : TCentredDialog(parent), m_main(main)
{
    setObjectName(QStringLiteral("frmSetupWizard"));
    setWindowTitle(QStringLiteral("Setup Wizard"));
    setFixedSize(kWidth, kHeight);

    // Without its picture the panel keeps a plain colour of the picture's own.
    imgSide = new QLabel(this);
    imgSide->setObjectName(QStringLiteral("imgSide"));
    imgSide->setGeometry(0, 0, kSidePanelWidth, kHeight);
    imgSide->setAutoFillBackground(true);
    QPalette sidePalette = imgSide->palette();
    sidePalette.setColor(QPalette::Window, QColor(0x0a, 0x43, 0x4e));
    imgSide->setPalette(sidePalette);

    auto* right = new QWidget(this);
    right->setGeometry(kSidePanelWidth, 0, kWidth - kSidePanelWidth, kHeight);
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(16, 14, 14, 12);
    layout->setSpacing(8);
    m_pageArea = new QWidget(right);
    m_pageArea->setObjectName(QStringLiteral("PageArea"));
    auto* pageLayout = new QVBoxLayout(m_pageArea);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageArea, 1);
    framSetupWizardButtons1 = new TframSetupWizardButtons(right);
    layout->addWidget(framSetupWizardButtons1);

    TframSetupWizardButtons* buttons = framSetupWizardButtons1;
    connect(buttons->btnNext, &QPushButton::clicked, this, platform::UserAction([this] { btnNextClick(); }));
    connect(buttons->btnFinish, &QPushButton::clicked, this, platform::UserAction([this] { btnFinishClick(); }));
    connect(buttons->btnHelp, &QPushButton::clicked, this, platform::UserAction([this] { btnHelpClick(); }));
    // F1 on the buttons follows the page the person has reached; each page's controls have their own.
    new platform::THelpKey(buttons, [this] { btnHelpClick(); });

    auto* page = new TframSetupWizardSystem;
    ShowPage(page);
    page->edSysName->setFocus();
    buttons->PendingAction = [this] { SystemStep(); };
    buttons->HelpTopic = kSystemTopic;
}

TframSetupWizardSystem* TfrmSetupWizard::SystemPage() const
{
    return qobject_cast<TframSetupWizardSystem*>(m_page);
}

TframSetupWizardAccount* TfrmSetupWizard::AccountPage() const
{
    return qobject_cast<TframSetupWizardAccount*>(m_page);
}

void TfrmSetupWizard::showEvent(QShowEvent* event)
{
    if (imgSide->pixmap().isNull()) {
        // The shared side picture is a few pixels larger than this panel: its middle is shown, unscaled.
        const QPixmap picture(QStringLiteral(":/images/SideImage.jpg"));
        if (!picture.isNull()) {
            const QPixmap fitted =
                picture.scaled(imgSide->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
            imgSide->setPixmap(fitted.copy((fitted.width() - imgSide->width()) / 2,
                                           (fitted.height() - imgSide->height()) / 2, imgSide->width(),
                                           imgSide->height()));
        }
    }
    TCentredDialog::showEvent(event);
}

void TfrmSetupWizard::ShowPage(QFrame* page)
{
    if (m_page) {
        // The old page may hold the control whose key brought us here (Enter in a field presses Next).
        m_page->hide();
        m_page->deleteLater();
    }
    m_page = page;
    m_pageArea->layout()->addWidget(page);
    page->show();
    const QString topic = SystemPage() ? kSystemTopic : kAccountTopic;
    new platform::THelpKey(page, [this, topic] { m_main.ShowHelpTopic(topic); });
}

void TfrmSetupWizard::btnNextClick()
{
    if (framSetupWizardButtons1->PendingAction)
        framSetupWizardButtons1->PendingAction();
}

void TfrmSetupWizard::btnFinishClick()
{
    // The wizard ends only once the account exists, whatever called it.
    if (m_account == 0 && AccountPage())
        AccountStep();
    if (m_account == 0)
        return;
    if (platform::ShowMessage(platform::MsgIcon::Information,
                              QStringLiteral("Would you like to read an overview of Cofferly in the help file?\r\n"
                                             "The help is also available by clicking \"Help > Cofferly Help\" in "
                                             "the main menu."),
                              platform::MsgButtons::YesNo, this) == platform::MsgAnswer::Yes)
        m_main.ShowHelpTopic(kOverviewTopic);
    accept();
}

void TfrmSetupWizard::btnHelpClick()
{
    const QString topic = framSetupWizardButtons1->HelpTopic;
    m_main.ShowHelpTopic(topic.isEmpty() ? kOverviewTopic : topic);
}

void TfrmSetupWizard::SystemStep()
{
    TframSetupWizardSystem* page = SystemPage();
    if (!page || !page->NewPassword->ConfirmRetyped(this))
        return;
    const QString name = page->edSysName->text();
    // A name of blanks alone would be a node without a caption in the tree.
    if (name.trimmed().isEmpty()) {
        platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("You must give your Budget System a name."),
                              platform::MsgButtons::Ok, this);
        page->edSysName->setFocus();
        return;
    }
    const std::optional<QString> password =
        page->chkNoPass->isChecked() ? std::nullopt : std::optional<QString>(page->edPass->text());
    TNewSystemRows rows;
    // The system and the rows it cannot do without come into being together or not at all.
    const bool created = m_main.StoreChange([&](TStoreChange& change) {
        if (change.QueryValue(
                QStringLiteral("SELECT count(*) FROM BudgetSystems WHERE Name = %1").arg(SqlText(name))) !=
            QLatin1String("0"))
            throw EChangeRefused(
                QStringLiteral("A budget system named \"%1\" already exists.\rPlease choose another name.").arg(name));
        rows = InsertBudgetSystem(change, name, password);
    });
    if (!created)
        return;
    m_system = rows.system;
    m_unbudgeted = rows.unbudgeted;
    m_main.NotifyUpdateSystems();
    m_main.NotifyUpdateParties();
    m_main.NotifyUpdateBudgetItems();
    m_main.NotifyUpdateAccounts();

    auto* next = new TframSetupWizardAccount;
    ShowPage(next);
    next->edAccountName->setFocus();
    framSetupWizardButtons1->PendingAction = [this] { AccountStep(); };
    framSetupWizardButtons1->HelpTopic = kAccountTopic;
}

void TfrmSetupWizard::AccountStep()
{
    TframSetupWizardAccount* page = AccountPage();
    if (!page || m_account != 0)
        return;
    const QString name = page->edAccountName->text();
    if (name.trimmed().isEmpty()) {
        platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("You must give your Account a name."),
                              platform::MsgButtons::Ok, this);
        page->edAccountName->setFocus();
        return;
    }
    // Read before anything is written: an amount beyond what the file can hold stops the step here.
    const qint32 amount = page->edAmount->IntValue();
    const QString today = DayNumberText(platform::Today());
    const QString system = QString::number(m_system);
    qint64 account = 0;
    // The account and its opening balance, with the balance's allocation, are one change: an account must
    // never show a balance its budget items do not hold.
    const bool created = m_main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(m_system);
        change.Exec(
            QStringLiteral("INSERT INTO Accounts (SystemID, Name, Age) VALUES (%1, %2, 3)").arg(system, SqlText(name)));
        account = change.LastInsertRowID();
        if (amount == 0)
            return;
        const QString money = QString::number(amount);
        change.Exec(QStringLiteral("INSERT INTO Transactions (AccountID, Date, Amount, GrossAmount, SecondPartyID, "
                                   "Notes, Passed) VALUES (%1, %2, %3, %3, 0, \"Initial balance\", \"t\")")
                        .arg(QString::number(account), today, money));
        const qint64 transaction = change.LastInsertRowID();
        // Into this system's own "Unbudgeted", whatever other systems the file holds.
        change.Exec(QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) "
                                   "VALUES (%1, %2, %3, %4)")
                        .arg(QString::number(m_unbudgeted), money, QString::number(transaction), today));
    });
    if (!created)
        return;
    m_account = account;
    m_main.NotifyUpdateAccounts();

    page->ShowFinalText();
    TframSetupWizardButtons* buttons = framSetupWizardButtons1;
    buttons->btnNext->setEnabled(false);
    buttons->btnFinish->setEnabled(true);
    // Enter now finishes, as the only way on.
    buttons->btnNext->setDefault(false);
    buttons->btnFinish->setDefault(true);
    buttons->btnFinish->setFocus();
    buttons->PendingAction = nullptr;
    buttons->HelpTopic = QStringLiteral("BudgetRule.htm");
}

void RunSetupWizard(IMainWindow& main, QWidget* owner)
{
    TfrmSetupWizard wizard(main, owner);
    platform::ExecModal(wizard);
}
