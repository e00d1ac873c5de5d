#pragma once

#include <string>

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

namespace platform {

// A path as the engine's operating-system layer takes it: UTF-8, with the
// system's separators.
inline std::string nativePath(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

// A path as the C library's fopen takes it, for the libraries that open
// files by name that way (FreeXL, minizip, libxlsxwriter). On Windows that is
// the ANSI code page, which may lack letters of the path: then the folders'
// short (8.3) names stand in for them, which exist where the path does.
// Empty when the path cannot be named so.
QByteArray crtFileName(const QString& path);

// The program's arguments after its name, whole: on Windows from the wide
// command line, since argv holds them in the ANSI code page.
QStringList programArguments(int argc, char** argv);

// The system's own words for the last failed call of this thread.
QString systemErrorText();

}  // namespace platform
