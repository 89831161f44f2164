#pragma once

#include <QColor>
#include "platform/ModalForm.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the two password dialogs share: the fixed 490 x 306 client area with the picture panel at the
// left, F1 anywhere in the dialog for the password topic, and the place in the middle of the desktop.
class TPasswordDialogBase : public TCentredDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 306;
    static constexpr int kSidePanelWidth = 172;

protected:
    TPasswordDialogBase(const QString& objectName, const QString& caption, QWidget* parent);

    // The area right of the picture panel, where each dialog puts its own controls.
    QWidget* Content() const { return m_content; }
    // Call once every control exists, so that F1 is seen whichever of them has the focus.
    void WatchHelpKey();


private:
    QWidget* m_content;
};

// Asks for the password of a budget system.
class TfrmPasswordDialog : public TPasswordDialogBase
{
    Q_OBJECT
public:
    explicit TfrmPasswordDialog(QWidget* parent = nullptr);

    QLineEdit* edPassword;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

// Sets a system's password, or turns it off; also names a new system.
class TfrmPass : public TPasswordDialogBase
{
    Q_OBJECT
public:
    explicit TfrmPass(QWidget* parent = nullptr);

    // The text above the fields; "\r" in it breaks the line.
    void SetInstructions(const QString& text);
    // The name field turns into the old-password field: its characters show as "*".
    void MaskNameField();

    QLabel* lblInstructions;
    QLabel* lblNameOldPass;
    QLineEdit* edNameOldPass;
    QCheckBox* chkNoPass;
    QLabel* lblNewPass;
    QLineEdit* edNewPass;
    QLabel* lblRetype;
    QLineEdit* edRetype;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void ApplyNoPassword();
    void ConfirmPassword();

    // The fields' own background, given back when a password may be typed again.
    QColor m_fieldBase;
};
