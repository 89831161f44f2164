#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>

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

void SetProgramDirOverride(const QString& path)
{
    Override() = path;
}

} // namespace platform
