#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
QString& Override()
{
    static QString path;
    return path;
}
} // namespace

QString ProgramDir()
{
    if (!Override().isEmpty())
        return Override();
    // Taken afresh at each use, as the executable may be started from anywhere.
    return QCoreApplication::applicationDirPath();
}

QString ProgramFile(const QString& name)
{
    return QDir(ProgramDir()).filePath(name);
}

bool MayCreateFilesIn(const QString& folder)
{
#ifdef Q_OS_UNIX
    // The system's own answer for the effective user: permission bits, access lists and a file system
    // mounted read-only all count.
    return faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

void SetProgramDirOverride(const QString& path)
{
    Override() = path;
}

} // namespace platform
