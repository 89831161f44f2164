#include "shell/BackupArchive.h"

#include "store/DataStore.h"
#include "store/SQLiteDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>
#include <zip.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace backup {

namespace {

WriteGate& Gate()
{
    static WriteGate gate;
    return gate;
}

qint64& FreeSpaceOverride()
{
    static qint64 bytes = -1;
    return bytes;
}

constexpr qint64 kChunk = 256 * 1024;
// What a restore leaves free on the disk at the least, so that the program can still write its journal,
// its scratch file and its settings afterwards.
constexpr qint64 kSpareSpace = 16 * 1024 * 1024;

const char kNeither[] = "it is neither a Cofferly backup nor a Cofferly data file";
const char kDamagedArchive[] = "it is a damaged or incomplete backup";
const char kDamagedEntry[] = "the data file in the backup is damaged";

// One step of a backup or restore failed; the reason travels up to the outcome, and whatever the step had
// begun is removed on the way.
struct EStep
{
    QString reason;
};

std::filesystem::path NativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Renames over an existing file in one step (a plain file rename of the toolkit refuses to replace one).
void Replace(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(NativePath(from), NativePath(to), error);
    if (error)
        throw EStep{QStringLiteral("%1 could not be replaced: %2")
                        .arg(QFileInfo(to).fileName(), QString::fromLocal8Bit(error.message()))};
}

// A rename is only lasting once the folder that holds the names is on the disk.
void SyncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// A new file under a passing name beside the place it is meant for. It is written through the gate and
// removed again unless it was put in place.
class TNewFile
{
public:
    explicit TNewFile(const QString& finalPath)
        : m_final(finalPath), m_file(QFileInfo(finalPath).absolutePath() + QStringLiteral("/.") +
                                     QFileInfo(finalPath).fileName() + QStringLiteral(".XXXXXX"))
    {
    }

    void Create()
    {
        if (!m_file.open())
            throw EStep{QStringLiteral("no file can be written in the folder %1: %2")
                            .arg(QFileInfo(m_final).absolutePath(), m_file.errorString())};
    }

    void Write(const char* data, qint64 size)
    {
        while (size > 0) {
            const qint64 piece = std::min(size, kChunk);
            if (Gate() && !Gate()(m_written, piece))
                throw EStep{QStringLiteral("the disk is full")};
            if (m_file.write(data, piece) != piece)
                throw EStep{QStringLiteral("a file could not be written: %1").arg(m_file.errorString())};
            m_written += piece;
            data += piece;
            size -= piece;
        }
    }

    // Everything written is on the disk before the file is read back or renamed.
    void Finish()
    {
        bool synced = m_file.flush();
#ifdef Q_OS_UNIX
        synced = synced && ::fsync(m_file.handle()) == 0;
#endif
        if (!synced)
            throw EStep{QStringLiteral("a file could not be written: %1").arg(m_file.errorString())};
        m_file.close();
    }

    QString Path() const
    {
        return m_file.fileName();
    }

    // The mode of the file it replaces, or an ordinary file's (a temporary file starts private to its
    // owner, which would shut out the other people who share the program's folder).
    void TakePermissionsOf(const QString& path)
    {
        if (QFileInfo::exists(path))
            QFile::setPermissions(Path(), QFile::permissions(path));
        else
            QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    // Moves the finished file over its final place in one step.
    void PutInPlace()
    {
        Replace(Path(), m_final);
        m_file.setAutoRemove(false);
    }

private:
    QString m_final;
    QTemporaryFile m_file;
    qint64 m_written = 0;
};

void CopyInto(const QString& source, TNewFile& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EStep{QStringLiteral("it could not be read: %1").arg(in.errorString())};
    std::vector<char> buffer(kChunk);
    for (;;) {
        const qint64 n = in.read(buffer.data(), kChunk);
        if (n < 0)
            throw EStep{QStringLiteral("it could not be read: %1").arg(in.errorString())};
        if (n == 0)
            break;
        target.Write(buffer.data(), n);
    }
}

void RequireFreeSpace(const QString& folder, qint64 needed)
{
    const qint64 available = FreeSpaceOverride() >= 0 ? FreeSpaceOverride() : QStorageInfo(folder).bytesAvailable();
    // A file system that does not tell its free space is left to the writes to find out.
    if (available >= 0 && needed > available - kSpareSpace)
        throw EStep{QStringLiteral("there is not enough free space on the disk (%1 MB are needed)")
                        .arg((needed + kSpareSpace) / (1024 * 1024) + 1)};
}

QString ZipReason(zip_error_t* error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// Reads one entry of an open archive to its end, handing each piece to the sink. libzip checks the CRC at
// the end; the count here stops an entry that inflates to more than its header claims (a "zip bomb")
// before it can fill the disk.
void ReadEntry(zip_t* archive, zip_uint64_t index, qint64 claimed, const std::function<void(const char*, qint64)>& sink)
{
    zip_file_t* entry = zip_fopen_index(archive, index, 0);
    if (!entry) {
        const int code = zip_error_code_zip(zip_get_error(archive));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            throw EStep{QStringLiteral("the data file in the backup is protected by a password")};
        if (code == ZIP_ER_COMPNOTSUPP)
            throw EStep{QStringLiteral("the data file in the backup is compressed in a way Cofferly cannot read")};
        throw EStep{QString::fromLatin1(kDamagedEntry)};
    }
    const auto close = qScopeGuard([entry] { zip_fclose(entry); });
    std::vector<char> buffer(kChunk);
    qint64 total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(entry, buffer.data(), buffer.size());
        if (n < 0)
            throw EStep{QString::fromLatin1(kDamagedEntry)};
        if (n == 0)
            break;
        total += n;
        if (total > claimed)
            throw EStep{QStringLiteral("the data file in the backup is larger than the backup says")};
        sink(buffer.data(), n);
    }
    if (total != claimed)
        throw EStep{QString::fromLatin1(kDamagedEntry)};
}

zip_t* OpenArchive(const QString& path, int* code)
{
    return zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, code);
}

bool StartsLikeZip(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "PK";
}

// Builds the archive in memory (the data file of a household is small next to the memory of any machine
// it runs on), so that every byte that goes to the disk passes through TNewFile.
QByteArray BuildArchive(const QString& dataFile)
{
    zip_error_t error;
    zip_error_init(&error);
    const auto finiError = qScopeGuard([&error] { zip_error_fini(&error); });
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!memory)
        throw EStep{ZipReason(&error)};
    zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(memory);
        throw EStep{ZipReason(&error)};
    }
    // The archive gives up its hold on the buffer when it closes; this one keeps it to read it out.
    zip_source_keep(memory);
    const auto freeMemory = qScopeGuard([memory] { zip_source_free(memory); });

    zip_source_t* file = zip_source_file(archive, QFile::encodeName(dataFile).constData(), 0, -1);
    zip_int64_t index = -1;
    if (file) {
        index = zip_file_add(archive, kEntryName, file, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            zip_source_free(file);
    }
    if (index < 0 || zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 9) != 0 ||
        zip_close(archive) != 0) {
        const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        throw EStep{reason};
    }

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(memory, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(memory) != 0)
        throw EStep{QStringLiteral("the archive could not be made")};
    const auto closeMemory = qScopeGuard([memory] { zip_source_close(memory); });
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    if (zip_source_read(memory, bytes.data(), stat.size) != zip_int64_t(stat.size))
        throw EStep{QStringLiteral("the archive could not be made")};
    return bytes;
}

// The archive as it lies on the disk holds the one entry, deflated, whole.
void CheckArchive(const QString& path, qint64 dataSize)
{
    int code = 0;
    zip_t* archive = OpenArchive(path, &code);
    if (!archive)
        throw EStep{QStringLiteral("the archive written could not be read back")};
    const auto discard = qScopeGuard([archive] { zip_discard(archive); });
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_get_num_entries(archive, 0) != 1 || zip_stat_index(archive, 0, 0, &stat) != 0 || !stat.name ||
        std::strcmp(stat.name, kEntryName) != 0 || stat.comp_method != ZIP_CM_DEFLATE || qint64(stat.size) != dataSize)
        throw EStep{QStringLiteral("the archive written does not read back as it was made")};
    ReadEntry(archive, 0, dataSize, [](const char*, qint64) {});
}

// Finds the one entry named exactly Cofferly.db and inflates it into the new file. An entry under a
// folder, with a path that climbs out, or named like the program itself is never written anywhere.
void ExtractDataFile(const QString& source, const QString& folder, qint64 alsoNeeded, TNewFile& target)
{
    int code = 0;
    zip_t* archive = OpenArchive(source, &code);
    if (!archive) {
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ || code == ZIP_ER_NOENT)
            throw EStep{QStringLiteral("it could not be read")};
        if (code == ZIP_ER_NOZIP && !StartsLikeZip(source))
            throw EStep{QString::fromLatin1(kNeither)};
        throw EStep{QString::fromLatin1(kDamagedArchive)};
    }
    const auto discard = qScopeGuard([archive] { zip_discard(archive); });

    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    zip_int64_t found = -1;
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* name = zip_get_name(archive, zip_uint64_t(i), 0);
        if (!name || std::strcmp(name, kEntryName) != 0)
            continue;
        if (found >= 0)
            throw EStep{QStringLiteral("the backup holds more than one data file %1").arg(QLatin1String(kEntryName))};
        found = i;
    }
    if (found < 0)
        throw EStep{QStringLiteral("the backup holds no data file %1").arg(QLatin1String(kEntryName))};

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(found), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > zip_uint64_t(std::numeric_limits<qint64>::max() / 2))
        throw EStep{QString::fromLatin1(kDamagedEntry)};
    const qint64 claimed = qint64(stat.size);
    RequireFreeSpace(folder, claimed + alsoNeeded);
    target.Create();
    ReadEntry(archive, zip_uint64_t(found), claimed,
              [&target](const char* data, qint64 size) { target.Write(data, size); });
}

// A copy of the data file about to be replaced, beside it, in place of an older one.
void KeepBeforeRestore(const QString& dataFile)
{
    const QString kept = dataFile + QLatin1String(kBeforeRestoreSuffix);
    TNewFile copy(kept);
    copy.Create();
    CopyInto(dataFile, copy);
    copy.Finish();
    copy.TakePermissionsOf(dataFile);
    copy.PutInPlace();
    QFile::remove(kept + QStringLiteral("-journal"));
}

// A change cut off by a crash leaves its journal beside the data file, and the engine mends the file from
// it at the next open. That is done now, by the engine itself, before the file is copied or replaced: a
// copy taken without it would hold half a change, and a journal left beside a restored file would be
// played into a file it was never about. Whatever journal remains afterwards holds nothing to mend.
void SettleDataFile(const QString& dataFile)
{
    if (QFileInfo::exists(dataFile)) {
        TSQLiteDatabase db;
        db.SetFileName(dataFile);
        db.Open();
        db.ExecSQL(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    }
}

} // namespace

void SetWriteGate(WriteGate gate)
{
    Gate() = std::move(gate);
}

void SetFreeSpaceOverride(qint64 bytes)
{
    FreeSpaceOverride() = bytes;
}

TOutcome WriteBackupArchive(const QString& dataFile, const QString& target)
{
    try {
        const QFileInfo data(dataFile);
        if (!data.isFile())
            throw EStep{QStringLiteral("there is no data file to back up yet")};
        // Saved over the data file, the archive would take the place of the very records it holds.
        const QFileInfo chosen(target);
        if (chosen.absoluteFilePath() == data.absoluteFilePath() ||
            (chosen.exists() && chosen.canonicalFilePath() == data.canonicalFilePath()))
            throw EStep{QStringLiteral("a backup cannot be saved over the data file itself")};
        SettleDataFile(dataFile);
        // A damaged file is not archived: saved under the usual name it would replace the last good backup.
        if (!TDataStore::IsOpenableDataFile(dataFile))
            throw EStep{QStringLiteral("the data file is damaged or is not a Cofferly data file")};
        // A link (to a backup on another disk, say) is written through, not replaced by a local file.
        const QString destination = chosen.isSymLink() ? chosen.symLinkTarget() : chosen.absoluteFilePath();
        QByteArray archive;
        {
            // Read while a read lock keeps everybody else's changes out, so the archive is one moment's file.
            TSQLiteDatabase db;
            db.SetFileName(dataFile);
            db.Open(true);
            db.ExecSQL(QStringLiteral("BEGIN; SELECT count(*) FROM sqlite_master"));
            archive = BuildArchive(dataFile);
            db.ExecSQL(QStringLiteral("COMMIT"));
        }
        TNewFile file(destination);
        file.Create();
        file.Write(archive.constData(), archive.size());
        file.Finish();
        CheckArchive(file.Path(), data.size());
        file.TakePermissionsOf(destination);
        file.PutInPlace();
        SyncFolder(QFileInfo(destination).absolutePath());
        return {true, {}};
    } catch (const EStep& step) {
        return {false, step.reason};
    }
}

TOutcome RestoreDataFile(const QString& source, const QString& dataFile)
{
    try {
        const QString folder = QFileInfo(dataFile).absolutePath();
        SettleDataFile(dataFile);
        const bool hadDataFile = QFileInfo(dataFile).isFile();
        // The copy kept of the present data file needs its room too.
        const qint64 keptSize = hadDataFile ? QFileInfo(dataFile).size() : 0;
        TNewFile candidate(dataFile);
        if (TDataStore::IsOpenableDataFile(source)) {
            RequireFreeSpace(folder, QFileInfo(source).size() + keptSize);
            candidate.Create();
            CopyInto(source, candidate);
        } else {
            ExtractDataFile(source, folder, keptSize, candidate);
        }
        candidate.Finish();
        // What arrived on the disk is what counts: it is checked as the program will open it.
        if (!TDataStore::IsOpenableDataFile(candidate.Path()))
            throw EStep{QStringLiteral("the data file in the backup is damaged or is not a Cofferly data file")};
        candidate.TakePermissionsOf(dataFile);
        if (hadDataFile)
            KeepBeforeRestore(dataFile);
        // The journal of the replaced file, if any is left, must not meet the new one.
        QFile::remove(dataFile + QStringLiteral("-journal"));
        candidate.PutInPlace();
        SyncFolder(folder);
        return {true, {}};
    } catch (const EStep& step) {
        return {false, step.reason};
    }
}

} // namespace backup
