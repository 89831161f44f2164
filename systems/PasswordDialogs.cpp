#include "systems/PasswordDialogs.h"

#include "platform/Desktop.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

const QString kHelpTopic = QStringLiteral("Password.htm");
constexpr int kFieldWidth = 260;

// The characters the data file does not keep as typed (see CleanText): refused at the keyboard, so that
// what the person sees is what gets stored.
bool NoSqlWildcards(QChar c)
{
    return c != QLatin1Char('"') && c != QLatin1Char('%') && c != QLatin1Char('_');
}

bool LetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

// Keeps the refused characters out of a field. A refused key is swallowed before the field sees it, so
// the field's undo history stays whole; whatever arrives by other ways (paste, drop, input methods) goes
// through the validator, which drops the refused characters and keeps the rest.
class TCharacterFilter : public QValidator
{
public:
    using Allowed = bool (*)(QChar);

    TCharacterFilter(QLineEdit* field, Allowed allowed) : QValidator(field), m_allowed(allowed)
    {
        field->setValidator(this);
        field->installEventFilter(this);
    }

    State validate(QString& input, int& pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int keptBeforeCursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            if (!m_allowed(input[i]))
                continue;
            kept += input[i];
            if (i < pos)
                ++keptBeforeCursor;
        }
        input = kept;
        pos = keptBeforeCursor;
        return Acceptable;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            // Editing keys (Backspace, Enter, Ctrl+V...) bring control characters or none and pass.
            const QString text = static_cast<QKeyEvent*>(event)->text();
            for (QChar c : text)
                if (c.isPrint() && !m_allowed(c))
                    return true;
        }
        return QValidator::eventFilter(watched, event);
    }

private:
    Allowed m_allowed;
};

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

// An asterisk for every character, whatever mask the style would draw.
void MaskField(QLineEdit* field)
{
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

QLineEdit* MakePasswordField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    MaskField(field);
    field->setFixedWidth(kFieldWidth);
    return field;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
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
    new TCharacterFilter(edPassword, NoSqlWildcards);
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
    new TCharacterFilter(edNameOldPass, NoSqlWildcards);
    lblNameOldPass =
        MakeLabel(QStringLiteral("lblNameOldPass"), QStringLiteral("System name:"), edNameOldPass, content);

    chkNoPass = new QCheckBox(QStringLiteral("No password"), content);
    chkNoPass->setObjectName(QStringLiteral("chkNoPass"));

    edNewPass = MakePasswordField(QStringLiteral("edNewPass"), content);
    new TCharacterFilter(edNewPass, LetterOrDigit);
    lblNewPass = MakeLabel(QStringLiteral("lblNewPass"), QStringLiteral("New password:"), edNewPass, content);
    edRetype = MakePasswordField(QStringLiteral("edRetype"), content);
    new TCharacterFilter(edRetype, LetterOrDigit);
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

    m_fieldBase = edNewPass->palette().color(QPalette::Base);
    connect(chkNoPass, &QCheckBox::toggled, this, &TfrmPass::ApplyNoPassword);
    ApplyNoPassword();
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
    MaskField(edNameOldPass);
}

void TfrmPass::ApplyNoPassword()
{
    const bool typing = !chkNoPass->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(lblNewPass), static_cast<QWidget*>(edNewPass),
                       static_cast<QWidget*>(lblRetype), static_cast<QWidget*>(edRetype)})
        w->setEnabled(typing);
    // Greyed like the dialog's face, so that the fields read as out of use, not merely empty.
    const QColor base = typing ? m_fieldBase : palette().color(QPalette::Button);
    for (QLineEdit* field : {edNewPass, edRetype}) {
        QPalette pal = field->palette();
        pal.setColor(QPalette::Base, base);
        field->setPalette(pal);
    }
}

void TfrmPass::ConfirmPassword()
{
    if (!chkNoPass->isChecked() && edNewPass->text() != edRetype->text()) {
        platform::ShowMessage(platform::MsgIcon::Information,
                              QStringLiteral("Your retyped password does not match your requested password.\r"
                                             "Please type your password again."),
                              platform::MsgButtons::Ok, this);
        edNewPass->clear();
        edRetype->clear();
        edNewPass->setFocus();
        return;
    }
    accept();
}
