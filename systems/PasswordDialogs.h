#pragma once

#include "platform/ModalForm.h"

#include <QColor>
#include <QDialog>
#include <QObject>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// An asterisk for every character typed, whatever mask the style would draw.
void MaskPasswordField(QLineEdit* field);

// The "No password" box with the new password and its retyped copy under it, as the password settings
// and the setup wizard both show them. Checking the box puts the two fields and their labels out of use
// and gives the fields the window's face colour; clearing it gives them back, with their own colour. The
// box's toggles apply it, whether the person or the program sets it.
class TNewPasswordFields : public QObject
{
public:
    TNewPasswordFields(QCheckBox* noPassword, QLabel* passLabel, QLineEdit* pass, QLabel* retypeLabel,
                       QLineEdit* retype);

    void Apply();
    // True when no password is wanted or the two fields agree. Otherwise the person is told, both fields
    // are emptied and the focus goes to the first, for the password to be typed again.
    bool ConfirmRetyped(QWidget* parent);

private:
    QCheckBox* m_noPassword;
    QLabel* m_passLabel;
    QLineEdit* m_pass;
    QLabel* m_retypeLabel;
    QLineEdit* m_retype;
    // The fields' own background, given back when a password may be typed again.
    QColor m_fieldBase;
};

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
    void ConfirmPassword();

    TNewPasswordFields* m_newPassword;
};
