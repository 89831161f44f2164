#pragma once

#include "shell/BackupArchive.h"
#include "tests/support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <utility>
#include <vector>
#include <zip.h>

// Archives made the way a test needs them, and the state of a folder to compare before and after.
namespace backup_files {

struct TEntry
{
    QByteArray name;
    QByteArray bytes;
};

// A ZIP archive of the entries, deflated, under their names as given (libzip writes any name it is given,
// "../x" and "/x" too).
inline void WriteArchive(const QString& path, const std::vector<TEntry>& entries)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const TEntry& entry : entries) {
        // The source keeps pointing at the bytes until zip_close, and the entries live that long.
        zip_source_t* source = zip_source_buffer(archive, entry.bytes.constData(), entry.bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << entry.name.constData();
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

// The entries of an archive as libzip reads them: name and compression method.
inline std::vector<std::pair<QByteArray, int>> EntriesOf(const QString& path)
{
    std::vector<std::pair<QByteArray, int>> entries;
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        entries.emplace_back(QByteArray(stat.name), int(stat.comp_method));
    }
    zip_discard(archive);
    return entries;
}

// Every file and folder below a folder, hidden ones too, with a digest of each file's content.
inline QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> state;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        state.insert(name, it.fileInfo().isDir()
                               ? QByteArray("folder")
                               : QCryptographicHash::hash(testing_support::ReadAll(path), QCryptographicHash::Sha256));
    }
    return state;
}

// Counts what passes the write gate and fails every write from the given byte count on (never when
// negative).
class TWriteCounter
{
public:
    explicit TWriteCounter(qint64 failFrom = -1)
    {
        backup::SetWriteGate([this, failFrom](qint64, qint64 next) {
            if (failFrom >= 0 && total + next > failFrom)
                return false;
            total += next;
            return true;
        });
    }
    ~TWriteCounter() { backup::SetWriteGate({}); }
    qint64 total = 0;
};

} // namespace backup_files
