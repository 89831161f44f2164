#pragma once

#include "platform/ModalForm.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

// The backup reminder: asks whether to make a backup now. Yes accepts the dialog, No rejects it.
class TfrmBackupPrompt : public TCentredDialog
{
    Q_OBJECT
public:
    explicit TfrmBackupPrompt(QWidget* parent = nullptr);

    QLabel* lblMessage;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QCheckBox* chkNeverShow;

    // Each click writes the choice at once, so that it holds even when the dialog is never closed normally.
    void chkNeverShowClick();
};

// The File menu's backup commands. The main window runs them and does what follows a restore in the
// program (the journal, the plug-ins, the tree).
namespace backup {

// The save dialog, then the archive. True when a backup was made; its day is then the last backup.
bool CreateBackup(QWidget* parent);

// The open dialog, then the restore. True when the data file was replaced; a refusal or a failure has been
// told and changed nothing.
bool RestoreFromBackup(QWidget* parent);

// Reads BackupPrompt, the setting behind the reminder and the menu's switch; true when it cannot be read.
bool BackupPromptOn();
// Writes BackupPrompt into the Display key when that key exists.
void SetBackupPrompt(bool on);

// True when the reminder is due: it is on and the last backup is more than 30 days old (or unknown).
bool BackupReminderDue();

} // namespace backup
