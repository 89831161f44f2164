#include "shell/StartupTips.h"

#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "platform/Settings.h"
#include "resources/Resources.h"
#include "shell/About.h"
#include "shell/SettingsDefaults.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTipValue = QStringLiteral("Tip");
const QString kShowTipValue = QStringLiteral("ShowTip");

} // namespace

QString StartupTipText(int index)
{
    static const char* const kTips[kTipCount - 1] = {
        "You can get help on whatever you are doing by pressing F1. This will open the help for the screen you "
        "are on.",
        "When you are entering a credit or debit in the transaction window, you can enter the entire amount of "
        "the transaction into one budget item by double clicking on that budget item in the budget list.",
        "You can organize your expenses by creating budget items for anything you spend money on regularly. For "
        "example, you could create budget items for groceries or monthly bills, or for less frequent things which "
        "you wish to be able to track, such as home improvement or medical expenses.",
        "For budget items which represent recurring expenses, such as monthly bills, you can create budget rules "
        "to automatically allocate money from each paycheck to that budget item.",
        "If you make a mistake when entering a transaction, you can fix it by double clicking on the transaction "
        "in the account screen. This will open the transaction and allow you to edit it. The balances of all "
        "systems, accounts, and budget items will be automatically updated appropriately.",
        "You can protect the security of your financial data by putting a password on your budget system. This "
        "can be done either when you create the budget system, or by right clicking on the budget system's icon "
        "in the system tree.",
        "Protect your financial data from accidental loss by making a backup of your data frequently. This can be "
        "done by clicking on \"Create backup...\" in the \"File\" menu. By default, Cofferly will prompt you to "
        "make a backup every 30 days.",
        "When you make a backup of your data, it is a good idea to save the backup to a different drive from the "
        "one to which Cofferly is installed. A removeable disk, such as a floppy or Zip disk, which can be stored "
        "separately from your computer is highly recommended.",
        "You can find transactions in the account transactions list more easily by changing the filters at the "
        "top of each column. You can also quickly sort the transactions by clicking on the column headings.",
    };
    if (index == 0)
        return QStringLiteral("Requests for help and support for Cofferly, as well as bug reports, should be "
                              "directed to %1.")
            .arg(QLatin1String(kSupportAddress));
    if (index < 0 || index >= kTipCount)
        return QString();
    return QString::fromLatin1(kTips[index - 1]);
}

TfrmStartupTips::TfrmStartupTips(QWidget* parent) : TCentredDialog(parent)
{
    InitCofferlyResources();
    setObjectName(QStringLiteral("frmStartupTips"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setFixedSize(386, 259);

    imgBulb = new QLabel(this);
    imgBulb->setObjectName(QStringLiteral("imgBulb"));
    imgBulb->setPixmap(QPixmap(QStringLiteral(":/images/TipBulb.png")));
    imgBulb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imgBulb->setFixedWidth(56);

    memTipText = new QPlainTextEdit(this);
    memTipText->setObjectName(QStringLiteral("memTipText"));
    memTipText->setReadOnly(true);
    memTipText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memTipText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text is there to be read, not worked in: it never holds the focus (see eventFilter).
    memTipText->setFocusPolicy(Qt::NoFocus);
    memTipText->setTextInteractionFlags(Qt::NoTextInteraction);
    memTipText->installEventFilter(this);

    chkShowTips = new QCheckBox(QStringLiteral("Show tips on startup"), this);
    chkShowTips->setObjectName(QStringLiteral("chkShowTips"));
    chkShowTips->setChecked(true);

    btnNextTip = new QPushButton(QStringLiteral("Next Tip"), this);
    btnNextTip->setObjectName(QStringLiteral("btnNextTip"));
    btnNextTip->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    auto* tip = new QHBoxLayout;
    tip->setSpacing(8);
    tip->addWidget(imgBulb);
    tip->addWidget(memTipText, 1);
    layout->addLayout(tip, 1);
    auto* controls = new QHBoxLayout;
    controls->addWidget(chkShowTips);
    controls->addStretch();
    controls->addWidget(btnNextTip);
    controls->addWidget(btnClose);
    layout->addLayout(controls);

    connect(chkShowTips, &QCheckBox::clicked, this, platform::UserAction([this] { chkShowTipsClick(); }));
    connect(btnNextTip, &QPushButton::clicked, this, platform::UserAction([this] { ShowNextTip(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    setTabOrder(chkShowTips, btnNextTip);
    setTabOrder(btnNextTip, btnClose);
    btnClose->setFocus();
}

void TfrmStartupTips::ShowNextTip()
{
    platform::TSettingsKey display;
    if (!display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false))
        return;
    int tip = 0;
    if (display.ValueExists(kTipValue)) {
        try {
            tip = display.ReadInteger(kTipValue);
        } catch (const platform::ESettingsError&) {
            // Only a place in the cycle: one edited into something unreadable starts the cycle again, as
            // one out of range does, and the write below mends it.
            tip = 0;
        }
    }
    if (tip < 0 || tip >= kTipCount)
        tip = 0;
    memTipText->setPlainText(StartupTipText(tip));
    display.WriteInteger(kTipValue, (tip + 1) % kTipCount);
}

void TfrmStartupTips::chkShowTipsClick()
{
    platform::TSettingsKey display;
    if (!display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false))
        return;
    display.WriteBool(kShowTipValue, chkShowTips->isChecked());
    // The menu's check mark says what the next start will do; it must not contradict the setting.
    if (m_startupItem)
        m_startupItem->setChecked(chkShowTips->isChecked());
}

bool TfrmStartupTips::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == memTipText && event->type() == QEvent::FocusIn) {
        btnClose->setFocus();
        return true;
    }
    return TCentredDialog::eventFilter(watched, event);
}

void ShowTipDialog(QWidget* parent, QAction* startupItem)
{
    TfrmStartupTips dialog(parent);
    dialog.SetStartupMenuItem(startupItem);
    // A tip that cannot be stored is reported, and the window still opens with the tip it shows.
    platform::RunUserAction([&dialog] { dialog.ShowNextTip(); });
    platform::ExecModal(dialog);
}
