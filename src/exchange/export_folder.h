#pragma once

#include <QString>

namespace exchange {

// The folder the user last wrote an export into during the run (a grid or
// an annex saved to a file, a report printed to PDF), proposed again for
// the next one; `fallback` while nothing has been written.
QString lastExportFolder(const QString& fallback);
void rememberExportFolder(const QString& folder);

}  // namespace exchange
