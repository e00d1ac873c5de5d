#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Settings files, the machine-wide store and the scrambled password keep
// 8-bit text in code page 1250, as the office's Windows machines write it.
// The five bytes 1250 leaves unassigned decode to the C1 controls of the same
// value and encode back to the same byte, so any byte string round-trips.

// Throws engine::ValueError naming the first character 1250 cannot hold.
QByteArray toCp1250(const QString& text);
// A character 1250 cannot hold becomes "?", as the Windows ANSI conversion of
// typed text does.
QByteArray toCp1250Lossy(const QString& text);
QString fromCp1250(const QByteArray& bytes);

}  // namespace platform
