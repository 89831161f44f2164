#pragma once

#include <QString>

namespace platform {

// The directory of the running executable. The data file, the scratch file, the help topics and the
// plug-ins all live there. Tests point it at a temporary folder so that no real file is ever touched.
QString ProgramDir();

// ProgramDir() joined with a file name.
QString ProgramFile(const QString& name);

// An empty path restores the executable's own directory.
void SetProgramDirOverride(const QString& path);

} // namespace platform
