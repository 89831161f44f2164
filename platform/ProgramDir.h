#pragma once

#include <QString>

namespace platform {

// The directory of the running executable. The data file, the scratch file, the help topics and the
// plug-ins all live there. Tests point it at a temporary folder so that no real file is ever touched.
QString ProgramDir();

// ProgramDir() joined with a file name.
QString ProgramFile(const QString& name);

// True when this user may create files in the folder (the database engine keeps its journal beside the
// data file, so a writable file in a folder that is not writable still cannot take a change).
bool MayCreateFilesIn(const QString& folder);

// An empty path restores the executable's own directory.
void SetProgramDirOverride(const QString& path);

} // namespace platform
