#pragma once

#include <QString>

namespace platform {

// The folder the program works in: Data with the tables and Terralog.ini,
// TmpSQL, the temporary files. On an office PC it is the executable's folder,
// so a Data folder copied beside terralog.exe opens as it is.
//
// A program installed as part of the system keeps its work in the user's data
// folder instead (userDataFolder()): an executable under /usr or /opt
// (Linux packages; never the executable's folder there, not even for root), or
// one whose folder the user cannot write and which has no writable Data
// beside it (e.g. under Program Files).
QString workingFolder(const QString& programDir, const QString& userFolder);
QString workingFolder(const QString& programDir);

// ~/.local/share/terralog on Linux ($XDG_DATA_HOME/terralog when set),
// %LOCALAPPDATA%\terralog on Windows.
QString userDataFolder();

}  // namespace platform
