#pragma once

#include <QString>

namespace titles {

// A path as table Fisiere keeps it, split at its last separator. Paths
// written on Windows use "\", those written here "/": either ends the folder.
struct StoredPath {
    QString folder;  // up to and including the last separator; empty when there is none
    QString name;    // the rest

    static StoredPath split(const QString& path);
};

}  // namespace titles
