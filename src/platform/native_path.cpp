#include "platform/native_path.h"

#include <QFile>
#include <QFileInfo>

#include "engine/os.h"

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace platform {

#ifdef Q_OS_WIN
namespace {

bool ansiHolds(const QString& text) { return QString::fromLocal8Bit(text.toLocal8Bit()) == text; }

QString shortName(const QString& existing) {
    const std::wstring wide = QDir::toNativeSeparators(existing).toStdWString();
    const DWORD n = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return QString();
    std::wstring out(n, L'\0');
    const DWORD written = ::GetShortPathNameW(wide.c_str(), &out[0], n);
    if (written == 0 || written >= n) return QString();
    out.resize(written);
    return QString::fromStdWString(out);
}

}  // namespace

QByteArray crtFileName(const QString& path) {
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (ansiHolds(native)) return native.toLocal8Bit();
    // An existing file's own short name; a new file's short folder and its name.
    QString shortPath = shortName(native);
    if (shortPath.isEmpty()) {
        const QFileInfo info(native);
        const QString folder = shortName(info.absolutePath());
        if (folder.isEmpty()) return QByteArray();
        shortPath = QDir::toNativeSeparators(folder + QLatin1Char('/') + info.fileName());
    }
    return ansiHolds(shortPath) ? shortPath.toLocal8Bit() : QByteArray();
}
#else
QByteArray crtFileName(const QString& path) { return QFile::encodeName(path); }
#endif

QStringList programArguments(int argc, char** argv) {
    QStringList args;
#ifdef Q_OS_WIN
    (void)argc;
    (void)argv;
    int count = 0;
    if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) args << QString::fromWCharArray(wide[i]);
        ::LocalFree(wide);
    }
#else
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
#endif
    return args;
}

QString systemErrorText() { return QString::fromStdString(engine::os::describe(engine::os::lastError())); }

}  // namespace platform
