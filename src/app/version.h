#pragma once

#include <QString>

// The version of this build, the project's version in CMakeLists.txt (e.g.
// "1.18"): the about window, the installers and the installed programs list.
QString programVersion();
