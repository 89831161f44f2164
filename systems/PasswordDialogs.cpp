#include "systems/PasswordDialogs.h"

#include "platform/Desktop.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "ui/NamedWidgets.h"
#include "ui/TextFilters.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using ui::MakeButton;
using ui::MakeLabel;

const QString kHelpTopic = QStringLiteral("Password.htm");
constexpr int kFieldWidth = 260;

// The picture at the left of both dialogs. Without the picture the panel keeps its plain colour.
QLabel* MakeSidePanel(QWidget* parent)
{
    auto* panel = new QLabel(parent);
    panel->setObjectName(QStringLiteral("imgSide"));
    panel->setGeometry(0, 0, TPasswordDialogBase::kSidePanelWidth, TPasswordDialogBase::kHeight);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, QColor(0x0a, 0x43, 0x4e));
    panel->setPalette(pal);
    const QPixmap picture(QStringLiteral(":/images/SideImage.jpg"));
    if (!picture.isNull())
        panel->setPixmap(picture.scaled(panel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return panel;
}

QLineEdit* MakePasswordField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    MaskPasswordField(field);
    field->setFixedWidth(kFieldWidth);
    return field;
}

// Adds a label with its field right under it.
void AddLabelledField(QVBoxLayout* layout, QLabel* label, QWidget* field)
{
    layout->addWidget(label);
    layout->addSpacing(2);
    layout->addWidget(field, 0, Qt::AlignLeft);
}

void AddButtons(QVBoxLayout* layout, QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
}

} // namespace

void MaskPasswordField(QLineEdit* field)
{
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

// ----------------------------------------------------------------------------------------------------------

TNewPasswordFields::TNewPasswordFields(QCheckBox* noPassword, QLabel* passLabel, QLineEdit* pass, QLabel* retypeLabel,
                                       QLineEdit* retype)
    : QObject(noPassword), m_noPassword(noPassword), m_passLabel(passLabel), m_pass(pass), m_retypeLabel(retypeLabel),
      m_retype(retype), m_fieldBase(pass->palette().color(QPalette::Base))
{
    connect(noPassword, &QCheckBox::toggled, this, &TNewPasswordFields::Apply);
    Apply();
}

void TNewPasswordFields::Apply()
{
    const bool typing = !m_noPassword->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_passLabel), static_cast<QWidget*>(m_pass),
                       static_cast<QWidget*>(m_retypeLabel), static_cast<QWidget*>(m_retype)})
        w->setEnabled(typing);
    // Greyed like the window's face, so that the fields read as out of use, not merely empty.
    const QColor base = typing ? m_fieldBase : m_noPassword->palette().color(QPalette::Button);
    for (QLineEdit* field : {m_pass, m_retype}) {
        QPalette pal = field->palette();
        pal.setColor(QPalette::Base, base);
        field->setPalette(pal);
    }
}

bool TNewPasswordFields::ConfirmRetyped(QWidget* parent)
{
    if (m_noPassword->isChecked() || m_pass->text() == m_retype->text())
        return true;
    platform::ShowMessage(platform::MsgIcon::Information,
                          QStringLiteral("Your retyped password does not match your requested password.\r"
                                         "Please type your password again."),
                          platform::MsgButtons::Ok, parent);
    m_pass->clear();
    m_retype->clear();
    m_pass->setFocus();
    return false;
}

// ----------------------------------------------------------------------------------------------------------

TPasswordDialogBase::TPasswordDialogBase(const QString& objectName, const QString& caption, QWidget* parent)
    : TCentredDialog(parent), m_content(new QWidget(this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(kWidth, kHeight);
    MakeSidePanel(this);
    m_content->setGeometry(kSidePanelWidth, 0, kWidth - kSidePanelWidth, kHeight);
}

void TPasswordDialogBase::WatchHelpKey()
{
    platform::WatchHelpKey(*this, kHelpTopic);
}

// ----------------------------------------------------------------------------------------------------------

TfrmPasswordDialog::TfrmPasswordDialog(QWidget* parent)
    : TPasswordDialogBase(QStringLiteral("frmPasswordDialog"), QStringLiteral("Enter password"), parent)
{
    QWidget* content = Content();
    edPassword = MakePasswordField(QStringLiteral("edPassword"), content);
    new ui::TCharacterFilter(edPassword, ui::NoSqlWildcards);
    btnOK = MakeButton(QStringLiteral("btnOK"), QStringLiteral("OK"), content);
    btnOK->setDefault(true);
    btnCancel = MakeButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), content);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(28, 14, 20, 14);
    layout->addStretch(2);
    AddLabelledField(layout,
                     MakeLabel(QStringLiteral("lblPassword"), QStringLiteral("Enter password:"), edPassword, content),
                     edPassword);
    layout->addStretch(3);
    AddButtons(layout, btnOK, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(edPassword, btnOK);
    setTabOrder(btnOK, btnCancel);
    edPassword->setFocus();
    WatchHelpKey();
}

// ----------------------------------------------------------------------------------------------------------

TfrmPass::TfrmPass(QWidget* parent)
    : TPasswordDialogBase(QStringLiteral("frmPass"), QStringLiteral("Password settings"), parent)
{
    QWidget* content = Content();
    lblInstructions = new QLabel(content);
    lblInstructions->setObjectName(QStringLiteral("lblInstructions"));
    lblInstructions->setWordWrap(true);
    lblInstructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    edNameOldPass = new QLineEdit(content);
    edNameOldPass->setObjectName(QStringLiteral("edNameOldPass"));
    edNameOldPass->setFixedWidth(kFieldWidth);
    new ui::TCharacterFilter(edNameOldPass, ui::NoSqlWildcards);
    lblNameOldPass =
        MakeLabel(QStringLiteral("lblNameOldPass"), QStringLiteral("System name:"), edNameOldPass, content);

    chkNoPass = new QCheckBox(QStringLiteral("No password"), content);
    chkNoPass->setObjectName(QStringLiteral("chkNoPass"));

    edNewPass = MakePasswordField(QStringLiteral("edNewPass"), content);
    new ui::TCharacterFilter(edNewPass, ui::LetterOrDigit);
    lblNewPass = MakeLabel(QStringLiteral("lblNewPass"), QStringLiteral("New password:"), edNewPass, content);
    edRetype = MakePasswordField(QStringLiteral("edRetype"), content);
    new ui::TCharacterFilter(edRetype, ui::LetterOrDigit);
    lblRetype = MakeLabel(QStringLiteral("lblRetype"), QStringLiteral("Retype password:"), edRetype, content);

    btnOK = MakeButton(QStringLiteral("btnOK"), QStringLiteral("OK"), content);
    btnOK->setDefault(true);
    btnCancel = MakeButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), content);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(28, 14, 20, 14);
    layout->setSpacing(0);
    // The instructions take what height is left, so the fields stay together above the buttons.
    layout->addWidget(lblInstructions, 1);
    layout->addSpacing(6);
    AddLabelledField(layout, lblNameOldPass, edNameOldPass);
    layout->addSpacing(8);
    layout->addWidget(chkNoPass, 0, Qt::AlignLeft);
    layout->addSpacing(6);
    AddLabelledField(layout, lblNewPass, edNewPass);
    layout->addSpacing(6);
    AddLabelledField(layout, lblRetype, edRetype);
    layout->addSpacing(14);
    AddButtons(layout, btnOK, btnCancel);

    setTabOrder(edNameOldPass, chkNoPass);
    setTabOrder(chkNoPass, edNewPass);
    setTabOrder(edNewPass, edRetype);
    setTabOrder(edRetype, btnOK);
    setTabOrder(btnOK, btnCancel);
    edNameOldPass->setFocus();

    m_newPassword = new TNewPasswordFields(chkNoPass, lblNewPass, edNewPass, lblRetype, edRetype);
    connect(btnOK, &QPushButton::clicked, this, &TfrmPass::ConfirmPassword);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    WatchHelpKey();
}

void TfrmPass::SetInstructions(const QString& text)
{
    lblInstructions->setText(platform::DisplayText(text));
}

void TfrmPass::MaskNameField()
{
    MaskPasswordField(edNameOldPass);
}

void TfrmPass::ConfirmPassword()
{
    if (m_newPassword->ConfirmRetyped(this))
        accept();
}
