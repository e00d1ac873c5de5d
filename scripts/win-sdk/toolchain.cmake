# CMake toolchain for Terralog's Windows build with this SDK.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# Everything is found relative to this file, so the SDK works from any folder.
get_filename_component(TERRALOG_WIN_SDK "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${TERRALOG_WIN_SDK}")
set(CMAKE_PREFIX_PATH "${TERRALOG_WIN_SDK}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees this SDK's libraries only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${TERRALOG_WIN_SDK}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# moc, rcc and uic come from Debian's qt6-base-dev-tools of the same Qt version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
