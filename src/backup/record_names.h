#pragma once

#include <QByteArray>
#include <QString>

namespace backup {

// A record's name is "Data\" followed by a plain file name, in code page
// 1250: the only form that restores inside the data directory and nowhere
// else, on this system and on the office's Windows machines.
inline constexpr char kRecordPrefix[] = "Data\\";
constexpr int kRecordPrefixLength = 5;
// The longest file name the file systems hold, in bytes.
constexpr int kMaxFileNameBytes = 255;

// Empty when `fileName` can be a record's file name; otherwise why not.
QString fileNameProblem(const QString& fileName);

// The stored name of a file directly in the data directory; empty when the
// name has a character code page 1250 does not hold.
QByteArray recordNameOf(const QString& fileName);

// The key under which two names that differ only in letter case meet.
QString sameNameKey(const QString& fileName);

}  // namespace backup
