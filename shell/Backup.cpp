#include "shell/Backup.h"

#include "platform/FileDialogs.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "platform/Settings.h"
#include "platform/Today.h"
#include "shell/BackupArchive.h"
#include "shell/SettingsDefaults.h"
#include "store/DataStore.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>

namespace {

const char kPromptText[] = "Your last backup was over 30 days ago.\r\nDo you want to make a new backup now?";
const char kHelpTopic[] = "Backup.htm";
const QString kBackupPrompt = QStringLiteral("BackupPrompt");
const QString kBackupDate = QStringLiteral("Backup");
// The reminder comes when the last backup is more than this many days old.
constexpr int kReminderDays = 30;

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Both dialogs suggest the same file; they differ in their kind, title and filter.
platform::TFileDialogSetup BackupFileDialog(platform::FileDialogKind kind, const QString& title, const QString& filter)
{
    platform::TFileDialogSetup setup;
    setup.kind = kind;
    setup.title = title;
    setup.defaultSuffix = QStringLiteral("bak");
    setup.fileName = QStringLiteral("backup.bak");
    setup.filter = filter;
    return setup;
}

// The pointer shows the hourglass while the file work runs, and comes back whatever happens.
template <typename Work> auto WhileBusy(Work work)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto normal = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    return work();
}

} // namespace

TfrmBackupPrompt::TfrmBackupPrompt(QWidget* parent) : TCentredDialog(parent)
{
    setObjectName(QStringLiteral("frmBackupPrompt"));
    setWindowTitle(QStringLiteral("Backup notification"));
    setFixedSize(262, 119);

    lblMessage = new QLabel(platform::DisplayText(QString::fromLatin1(kPromptText)), this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignCenter);
    lblMessage->setGeometry(4, 8, 254, 34);

    btnYes = new QPushButton(QStringLiteral("Yes"), this);
    btnYes->setObjectName(QStringLiteral("btnYes"));
    btnYes->setGeometry(44, 52, 80, 25);
    btnYes->setDefault(true);
    connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);

    btnNo = new QPushButton(QStringLiteral("No"), this);
    btnNo->setObjectName(QStringLiteral("btnNo"));
    btnNo->setGeometry(138, 52, 80, 25);
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);

    chkNeverShow = new QCheckBox(QStringLiteral("Don't ask me again."), this);
    chkNeverShow->setObjectName(QStringLiteral("chkNeverShow"));
    chkNeverShow->setGeometry(8, 90, 246, 20);
    connect(chkNeverShow, &QCheckBox::clicked, this, platform::UserAction([this] { chkNeverShowClick(); }));

    platform::WatchHelpKey(*this, QString::fromLatin1(kHelpTopic));
}

void TfrmBackupPrompt::chkNeverShowClick()
{
    backup::SetBackupPrompt(!chkNeverShow->isChecked());
}

namespace backup {

bool CreateBackup(QWidget* parent)
{
    const QString target =
        platform::ChooseFile(BackupFileDialog(platform::FileDialogKind::Save, QStringLiteral("Create backup"),
                                              QStringLiteral("Backup file. (*.bak)")),
                             parent);
    if (target.isEmpty())
        return false;

    const TOutcome outcome = WhileBusy([&] { return WriteBackupArchive(TDataStore::DataFilePath(), target); });
    if (!outcome.ok) {
        // The day of the last backup stays: there is no new one.
        platform::ShowMessage(platform::MsgIcon::Error,
                              QStringLiteral("The backup\r\n%1\r\ncould not be made: %2.\r\nNo file has been changed.")
                                  .arg(Shown(target), outcome.reason),
                              platform::MsgButtons::Ok, parent);
        return false;
    }
    platform::TSettingsKey machine;
    if (machine.Open(platform::SettingsScope::Machine, settings_keys::kMachine, true))
        machine.WriteDate(kBackupDate, platform::Today());
    return true;
}

bool RestoreFromBackup(QWidget* parent)
{
    const QString source =
        platform::ChooseFile(BackupFileDialog(platform::FileDialogKind::Open, QStringLiteral("Restore from backup"),
                                              QStringLiteral("Backup files (*.bak)")),
                             parent);
    if (source.isEmpty())
        return false;

    const QString dataFile = TDataStore::DataFilePath();
    const bool hadDataFile = QFileInfo::exists(dataFile);
    const TOutcome outcome = WhileBusy([&] { return RestoreDataFile(source, dataFile); });
    if (!outcome.ok) {
        platform::ShowMessage(
            platform::MsgIcon::Error,
            QStringLiteral("The file\r\n%1\r\ncannot be restored: %2.\r\nYour data file has not been changed.")
                .arg(Shown(source), outcome.reason),
            platform::MsgButtons::Ok, parent);
        return false;
    }
    QString text = QStringLiteral("Your data file has been restored from\r\n%1").arg(Shown(source));
    if (hadDataFile)
        text += QStringLiteral("\r\nThe data file it replaced has been kept as\r\n%1")
                    .arg(Shown(dataFile + QLatin1String(kBeforeRestoreSuffix)));
    platform::ShowMessage(platform::MsgIcon::Information, text, platform::MsgButtons::Ok, parent);
    return true;
}

bool BackupPromptOn()
{
    platform::TSettingsKey display;
    if (!display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false))
        return true;
    try {
        return display.ReadBool(kBackupPrompt);
    } catch (const platform::ESettingsError&) {
        // Its default: a person who never said otherwise is reminded.
        return true;
    }
}

void SetBackupPrompt(bool on)
{
    platform::TSettingsKey display;
    if (display.Open(platform::SettingsScope::User, settings_keys::kDisplay, false))
        display.WriteBool(kBackupPrompt, on);
}

bool BackupReminderDue()
{
    if (!BackupPromptOn())
        return false;
    platform::TSettingsKey machine;
    if (!machine.Open(platform::SettingsScope::Machine, settings_keys::kMachine, false))
        return true;
    try {
        return machine.ReadDate(kBackupDate).addDays(kReminderDays) < platform::Today();
    } catch (const platform::ESettingsError&) {
        // No day known (never backed up, or the value was spoilt): the reminder offers the backup that
        // writes a good one.
        return true;
    }
}

} // namespace backup
