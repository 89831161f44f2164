#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// The backup archive and the file work of a restore, without any window: what goes to disk, in which
// order, and what is checked before the data file is replaced. The commands of the File menu (Backup.h)
// show the dialogs and messages around it.
namespace backup {

// The one entry of a backup archive: the data file under its bare name.
inline constexpr const char* kEntryName = "Cofferly.db";
// Beside the data file, what a restore replaced, so that a restore of the wrong day can be taken back.
inline constexpr const char* kBeforeRestoreSuffix = ".before-restore";

// The outcome of a backup or a restore: ok, or the reason in words a person can act on.
struct TOutcome
{
    bool ok = false;
    QString reason;
};

// Writes a ZIP archive of the data file to the target: one entry Cofferly.db, deflated at level 9. The
// archive is written beside the target under another name, read back, and only then renamed over it,
// so a failure leaves an earlier file at the target as it was.
TOutcome WriteBackupArchive(const QString& dataFile, const QString& target);

// Replaces the data file with the one in a backup archive (only its entry Cofferly.db) or with a plain
// copy of a data file. The new file is written beside the data file under another name, checked to be a
// data file the program can open, and renamed over the data file in one step; the data file it replaced
// is kept beside it with kBeforeRestoreSuffix. Anything refused or failing leaves the data file as it was.
TOutcome RestoreDataFile(const QString& source, const QString& dataFile);

// Test seams. Every write of this module passes the gate with the bytes already written to that file and
// the size of the next piece; a gate that answers false makes that write fail as on a full disk. An
// empty gate restores ordinary writing.
using WriteGate = std::function<bool(qint64 written, qint64 next)>;
void SetWriteGate(WriteGate gate);
// The free space a restore counts on, in bytes; a negative value restores the disk's own figure.
void SetFreeSpaceOverride(qint64 bytes);

} // namespace backup
