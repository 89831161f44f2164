#include "shell/BackupArchive.h"

#include "store/DataStore.h"

#include "store/SQLiteDatabase.h"
#include "tests/shell/BackupFiles.h"
#include "tests/support/DataFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#ifdef Q_OS_UNIX
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using backup_files::EntriesOf;
using backup_files::Snapshot;
using backup_files::TEntry;
using backup_files::TWriteCounter;
using backup_files::WriteArchive;
using testing_support::ReadAll;
using testing_support::WriteAll;

// A folder that stands for everything around the program: the program directory "prog" with its data
// file, and "in" where the files offered to a restore lie. Whatever a restore writes anywhere in it shows
// in a snapshot of the whole folder.
class BackupArchiveTest : public ::testing::Test
{
public:
    BackupArchiveTest()
    {
        QDir(root.path()).mkpath(QStringLiteral("prog"));
        QDir(root.path()).mkpath(QStringLiteral("in"));
        testing_support::CreateDataFile(DataFile(), testing_support::OneSystemOneAccount());
    }
    ~BackupArchiveTest() override { backup::SetFreeSpaceOverride(-1); }

    QString DataFile() const { return root.filePath(QStringLiteral("prog/Cofferly.db")); }
    QString Kept() const { return DataFile() + QStringLiteral(".before-restore"); }
    QString In(const char* name) const { return root.filePath(QStringLiteral("in/") + QLatin1String(name)); }

    // Another data file, told apart from the one in place by its system's name.
    QByteArray OtherDataFile(const QString& system = QStringLiteral("Restored"))
    {
        const QString path = root.filePath(QStringLiteral("other.db"));
        QFile::remove(path);
        testing_support::CreateDataFile(path,
                                        QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('%1')").arg(system));
        const QByteArray bytes = ReadAll(path);
        QFile::remove(path);
        return bytes;
    }

    QString SystemNameIn(const QString& path)
    {
        TSQLiteDatabase db;
        db.SetFileName(path);
        db.Open(true);
        return db.QueryValue(QStringLiteral("SELECT Name FROM BudgetSystems"));
    }

    QTemporaryDir root;
};

TEST_F(BackupArchiveTest, BackupHoldsOneDeflatedEntryAndRestoresTheSameBytes)
{
    const QByteArray original = ReadAll(DataFile());
    const QString archive = In("backup.bak");
    ASSERT_TRUE(backup::WriteBackupArchive(DataFile(), archive).ok);
    const auto entries = EntriesOf(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, QByteArray("Cofferly.db"));
    EXPECT_EQ(entries[0].second, ZIP_CM_DEFLATE);
    // Nothing besides the archive itself is left in its folder.
    EXPECT_EQ(QDir(root.filePath(QStringLiteral("in"))).entryList(QDir::Files | QDir::Hidden).size(), 1);

    testing_support::CreateDataFile(DataFile(), QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Later')"));
    const QByteArray changed = ReadAll(DataFile());
    const backup::TOutcome restored = backup::RestoreDataFile(archive, DataFile());
    ASSERT_TRUE(restored.ok) << restored.reason.toStdString();
    EXPECT_EQ(ReadAll(DataFile()), original);
    EXPECT_EQ(ReadAll(Kept()), changed);
    // No passing file stays behind in the program directory.
    EXPECT_EQ(QDir(root.filePath(QStringLiteral("prog"))).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("Cofferly.db"), QStringLiteral("Cofferly.db.before-restore")}));
}

TEST_F(BackupArchiveTest, RestoreTakesOnlyTheEntryCofferlyDbAndWritesNothingElse)
{
    const QByteArray wanted = OtherDataFile();
    const QByteArray decoy = OtherDataFile(QStringLiteral("Decoy"));
    WriteArchive(In("mixed.bak"), {{"../escape", decoy},
                                   {"Cofferly", "#!/bin/sh\n"},
                                   {"dir/Cofferly.db", decoy},
                                   {"Cofferly.db", wanted},
                                   {"help/Overview.htm", "<html></html>"}});
    ASSERT_TRUE(backup::RestoreDataFile(In("mixed.bak"), DataFile()).ok);
    EXPECT_EQ(ReadAll(DataFile()), wanted);
    EXPECT_EQ(
        QDir(root.filePath(QStringLiteral("prog"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("Cofferly.db"), QStringLiteral("Cofferly.db.before-restore")}));
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("escape"))));
}

TEST_F(BackupArchiveTest, PlainCopiesOfBothLayoutsAreRestored)
{
    // Also where there is no data file yet: then there is nothing to keep.
    ASSERT_TRUE(QFile::remove(DataFile()));
    WriteAll(In("copy.bak"), OtherDataFile());
    ASSERT_TRUE(backup::RestoreDataFile(In("copy.bak"), DataFile()).ok);
    EXPECT_EQ(SystemNameIn(DataFile()), QStringLiteral("Restored"));
    EXPECT_FALSE(QFile::exists(Kept()));

    // The previous layout is upgraded by the program when it next opens the file.
    testing_support::CreatePreviousLayoutFile(In("old.bak"),
                                              QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Old')"));
    WriteArchive(In("old-archive.bak"), {{"Cofferly.db", ReadAll(In("old.bak"))}});
    ASSERT_TRUE(backup::RestoreDataFile(In("old-archive.bak"), DataFile()).ok);
    EXPECT_EQ(SystemNameIn(DataFile()), QStringLiteral("Old"));
    EXPECT_EQ(SystemNameIn(Kept()), QStringLiteral("Restored"));
}

TEST_F(BackupArchiveTest, ARestoreIsTakenBackFromTheKeptFile)
{
    const QByteArray before = ReadAll(DataFile());
    WriteAll(In("wrong-day.bak"), OtherDataFile());
    ASSERT_TRUE(backup::RestoreDataFile(In("wrong-day.bak"), DataFile()).ok);
    const QByteArray wrong = ReadAll(DataFile());
    ASSERT_TRUE(backup::RestoreDataFile(Kept(), DataFile()).ok);
    EXPECT_EQ(ReadAll(DataFile()), before);
    EXPECT_EQ(ReadAll(Kept()), wrong);
}

TEST_F(BackupArchiveTest, AJournalLeftByACrashNeverMeetsTheRestoredFile)
{
    const QByteArray before = ReadAll(DataFile());
    WriteAll(DataFile() + QStringLiteral("-journal"), "pages of the old file");
    WriteAll(In("copy.bak"), OtherDataFile());
    ASSERT_TRUE(backup::RestoreDataFile(In("copy.bak"), DataFile()).ok);
    // The engine settled the old file before it was kept; no journal is left beside either file.
    EXPECT_FALSE(QFile::exists(DataFile() + QStringLiteral("-journal")));
    EXPECT_FALSE(QFile::exists(Kept() + QStringLiteral("-journal")));
    EXPECT_EQ(ReadAll(Kept()), before);
    EXPECT_TRUE(TDataStore::IsOpenableDataFile(Kept()));
    EXPECT_EQ(ReadAll(DataFile()), OtherDataFile());
}

// Bytes of a valid archive of the data file in place, for cases that spoil one.
QByteArray ValidArchive(const QString& dataFile, const QString& scratch)
{
    EXPECT_TRUE(backup::WriteBackupArchive(dataFile, scratch).ok);
    const QByteArray bytes = ReadAll(scratch);
    QFile::remove(scratch);
    return bytes;
}

// Overwrites a little-endian 32-bit field.
void Put32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// An archive whose one entry inflates to far more than the size its headers give.
QByteArray UnderstatedBomb(const QString& scratch)
{
    WriteArchive(scratch, {{"Cofferly.db", QByteArray(32 * 1024 * 1024, '\0')}});
    QByteArray bytes = ReadAll(scratch);
    QFile::remove(scratch);
    Put32(bytes, 22, 4096);                                              // the local header's uncompressed size
    Put32(bytes, bytes.indexOf(QByteArray("PK\x01\x02", 4)) + 24, 4096); // the central directory's
    return bytes;
}

class RestoreRefusalTest;

struct RefusalCase
{
    const char* name;
    // Writes the file to offer at the path; the data file in place is at hand.
    std::function<void(RestoreRefusalTest&, const QString& path)> make;
    // A part of the reason the person is given.
    const char* reason;
    qint64 freeSpace = -1;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class RestoreRefusalTest : public BackupArchiveTest, public ::testing::WithParamInterface<RefusalCase>
{
public:
    QByteArray Other() { return OtherDataFile(); }
    QString Scratch() { return root.filePath(QStringLiteral("scratch.zip")); }
};

const RefusalCase kRefusals[] = {
    {"EntryClimbingOut",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"../escape", t.Other()}});
     },
     "holds no data file Cofferly.db"},
    {"EntryWithAbsolutePath",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"/abs/escape", t.Other()}});
     },
     "holds no data file Cofferly.db"},
    {"EntryNamedLikeTheProgram",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"Cofferly", t.Other()}});
     },
     "holds no data file Cofferly.db"},
    {"DataFileInAFolder",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"dir/Cofferly.db", t.Other()}});
     },
     "holds no data file Cofferly.db"},
    {"ArchiveWithoutDataFile",
     [](RestoreRefusalTest&, const QString& p) {
         WriteArchive(p, {{"notes.txt", "a note"}});
     },
     "holds no data file Cofferly.db"},
    {"EmptyArchive",
     [](RestoreRefusalTest&, const QString& p) { WriteAll(p, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')); },
     "holds no data file Cofferly.db"},
    {"TwoDataFiles",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"Cofferly.db", t.Other()}, {"Cofferly.dx", t.Other()}});
         QByteArray bytes = ReadAll(p);
         bytes.replace("Cofferly.dx", "Cofferly.db");
         WriteAll(p, bytes);
     },
     "damaged or incomplete backup"},
    {"TruncatedArchive",
     [](RestoreRefusalTest& t, const QString& p) {
         const QByteArray bytes = ValidArchive(t.DataFile(), t.Scratch());
         WriteAll(p, bytes.left(bytes.size() / 2));
     },
     "damaged or incomplete backup"},
    {"CorruptedEntry",
     [](RestoreRefusalTest& t, const QString& p) {
         QByteArray bytes = ValidArchive(t.DataFile(), t.Scratch());
         for (qsizetype i = 80; i < 120; ++i)
             bytes[i] = char(~bytes[i]);
         WriteAll(p, bytes);
     },
     "damaged"},
    {"BombLargerThanItClaims",
     [](RestoreRefusalTest& t, const QString& p) { WriteAll(p, UnderstatedBomb(t.Scratch())); },
     "the data file in the backup is"},
    {"EntryLargerThanTheFreeSpace",
     [](RestoreRefusalTest& t, const QString& p) {
         WriteArchive(p, {{"Cofferly.db", t.Other() + QByteArray(4 * 1024 * 1024, '\0')}});
     },
     "not enough free space", 8 * 1024 * 1024},
    {"JpegRenamed",
     [](RestoreRefusalTest&, const QString& p) {
         // The head of a JFIF picture, its start of frame and its end, written as bytes: the image
         // writer's plug-in would leave a thread behind that the leak checker cannot stop at exit.
         QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
         jpeg.append("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00", 13);
         jpeg.append(QByteArray(2048, '\x5a'));
         jpeg.append("\xFF\xD9", 2);
         WriteAll(p, jpeg);
     },
     "neither a Cofferly backup nor a Cofferly data file"},
    {"DatabaseOfAnotherProgram",
     [](RestoreRefusalTest&, const QString& p) {
         TSQLiteDatabase db;
         db.SetFileName(p);
         db.Open();
         db.ExecSQL(QStringLiteral("CREATE TABLE Photos (Name, Taken); INSERT INTO Photos VALUES ('a', 1)"));
     },
     "neither a Cofferly backup nor a Cofferly data file"},
    {"ArchivedDatabaseOfAnotherProgram",
     [](RestoreRefusalTest& t, const QString& p) {
         const QString other = t.Scratch() + QStringLiteral(".db");
         {
             TSQLiteDatabase db;
             db.SetFileName(other);
             db.Open();
             db.ExecSQL(QStringLiteral("CREATE TABLE Photos (Name, Taken)"));
         }
         WriteArchive(p, {{"Cofferly.db", ReadAll(other)}});
         QFile::remove(other);
     },
     "not a Cofferly data file"},
    {"WrittenBySqlite2",
     [](RestoreRefusalTest&, const QString& p) {
         WriteAll(p, QByteArray("** This file contains an SQLite 2.1 database **") + QByteArray(1000, '\0'));
     },
     "neither a Cofferly backup nor a Cofferly data file"},
    {"DataFileDamagedInside",
     [](RestoreRefusalTest& t, const QString& p) {
         const QString full = t.Scratch() + QStringLiteral(".db");
         const QString rows =
             testing_support::OneSystemOneAccount() +
             QStringLiteral(";INSERT INTO Transactions (AccountID, Date, Amount, SecondPartyID, Notes) "
                            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                            "SELECT 1, 46000, i, 0, 'a note long enough to fill pages' FROM n");
         testing_support::CreateDataFile(full, rows);
         // A page in the middle spoilt: the tables still list, the rows do not all read.
         QByteArray bytes = ReadAll(full);
         QFile::remove(full);
         const qsizetype page = (bytes.size() / 4096 / 2) * 4096;
         for (qsizetype at = page + 8; at < page + 4096; ++at)
             bytes[at] = 'Z';
         WriteAll(p, bytes);
     },
     "neither a Cofferly backup nor a Cofferly data file"},
    {"EmptyFile", [](RestoreRefusalTest&, const QString& p) { WriteAll(p, QByteArray()); },
     "neither a Cofferly backup nor a Cofferly data file"},
};

TEST_P(RestoreRefusalTest, IsRefusedAndChangesNothing)
{
    const RefusalCase& c = GetParam();
    const QString offered = In("offered.bak");
    c.make(*this, offered);
    WriteAll(Kept(), "the copy kept by an earlier restore");
    backup::SetFreeSpaceOverride(c.freeSpace);
    const auto before = Snapshot(root.path());

    TWriteCounter writes;
    const backup::TOutcome outcome = backup::RestoreDataFile(offered, DataFile());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.contains(QLatin1String(c.reason))) << outcome.reason.toStdString();
    EXPECT_EQ(Snapshot(root.path()), before);
    EXPECT_FALSE(QFile::exists(QStringLiteral("/abs/escape")));
    // Refused before the disk could fill: at most one piece beyond the size the entry claimed.
    EXPECT_LT(writes.total, 1024 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Inputs, RestoreRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// A restore whose writes fail at some point: in the new data file, or in the copy of the old one.
class RestoreWriteFailureTest : public BackupArchiveTest, public ::testing::WithParamInterface<qint64>
{
};

TEST_P(RestoreWriteFailureTest, LeavesEveryFileAsItWas)
{
    WriteArchive(In("backup.bak"), {{"Cofferly.db", OtherDataFile()}});
    WriteAll(Kept(), "the copy kept by an earlier restore");
    const auto before = Snapshot(root.path());
    const qint64 size = ReadAll(DataFile()).size();

    // The failing byte counts over both files: the new data file comes first, then the kept copy.
    TWriteCounter writes(GetParam() < 0 ? size + size / 2 : GetParam());
    const backup::TOutcome outcome = backup::RestoreDataFile(In("backup.bak"), DataFile());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.contains(QLatin1String("the disk is full"))) << outcome.reason.toStdString();
    EXPECT_EQ(Snapshot(root.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Points, RestoreWriteFailureTest, ::testing::Values(qint64(0), qint64(1000), qint64(-1)),
                         [](const auto& info) {
                             return info.param == 0  ? std::string("AtOnce")
                                    : info.param < 0 ? std::string("WhileKeepingTheOldFile")
                                                     : std::string("HalfWay");
                         });

TEST_F(BackupArchiveTest, FailedBackupLeavesTheEarlierFileAtThatPlace)
{
    const QString target = In("backup.bak");
    WriteAll(target, "last week's backup");
    const auto before = Snapshot(root.path());
    for (qint64 failFrom : {qint64(0), qint64(100)}) {
        TWriteCounter writes(failFrom);
        const backup::TOutcome outcome = backup::WriteBackupArchive(DataFile(), target);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.reason, QStringLiteral("the disk is full"));
        EXPECT_EQ(Snapshot(root.path()), before);
    }
}

#ifdef Q_OS_UNIX
// Runs the work in a child process whose files may not grow past the limit, so that the system itself
// refuses the writes as on a full disk; returns the work's answer (or -1 when the child did not end well).
int UnderFileSizeLimit(rlim_t limit, const std::function<int()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        // The limit makes a write fail with an error instead of ending the process.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit files{limit, limit};
        setrlimit(RLIMIT_FSIZE, &files);
        _exit(work());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(BackupArchiveTest, WritesRefusedByTheSystemAreReportedAndChangeNothing)
{
    WriteAll(In("backup.bak"), "last week's backup");
    WriteArchive(In("restore.bak"), {{"Cofferly.db", OtherDataFile()}});
    const auto before = Snapshot(root.path());
    // 0 done, 1 refused for a write that failed, 2 refused for another reason.
    const auto answer = [](const backup::TOutcome& outcome) {
        return outcome.ok ? 0 : outcome.reason.contains(QLatin1String("could not be written")) ? 1 : 2;
    };
    EXPECT_EQ(UnderFileSizeLimit(512, [&] { return answer(backup::WriteBackupArchive(DataFile(), In("backup.bak"))); }),
              1);
    EXPECT_EQ(
        UnderFileSizeLimit(64 * 1024, [&] { return answer(backup::RestoreDataFile(In("restore.bak"), DataFile())); }),
        1);
    EXPECT_EQ(Snapshot(root.path()), before);
}
#endif

TEST_F(BackupArchiveTest, BackupIsRefusedWhereItCannotGoOrWouldReplaceTheDataFile)
{
    const auto before = Snapshot(root.path());
    const backup::TOutcome noFolder =
        backup::WriteBackupArchive(DataFile(), root.filePath(QStringLiteral("missing/backup.bak")));
    EXPECT_FALSE(noFolder.ok);
    EXPECT_TRUE(noFolder.reason.contains(QLatin1String("no file can be written"))) << noFolder.reason.toStdString();

    const backup::TOutcome overData = backup::WriteBackupArchive(DataFile(), DataFile());
    EXPECT_FALSE(overData.ok);
    EXPECT_EQ(overData.reason, QStringLiteral("a backup cannot be saved over the data file itself"));
    EXPECT_EQ(Snapshot(root.path()), before);
}

} // namespace
