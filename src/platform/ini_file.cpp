#include "platform/ini_file.h"

// Values are bytes of code page 1250, compared and stored as they are; the
// library's template bodies are built with its default converter, which on
// Windows is the Win32 one (its byte comparison folds ASCII case alike).
#ifndef _WIN32
#define SI_NO_CONVERSION
#endif
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "engine/os.h"
#include "platform/native_path.h"
#include "platform/platform_error.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

// Loads the file when it exists. A missing or unreadable file reads as empty,
// as the profile functions treat it.
void load(const QString& path, CSimpleIniA& ini) {
    ini.SetSpaces(false);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray data = file.readAll();
    ini.LoadData(data.constData(), size_t(data.size()));
}

void save(const QString& path, const CSimpleIniA& ini) {
    std::string text;
    if (ini.Save(text) < 0) throw PlatformError(QStringLiteral("Fisierul %1 nu poate fi scris.").arg(path));
    // DOS line ends, as on the office's machines, and at most one blank line
    // between sections.
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size() + text.size() / 16));
    for (const char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (bytes.endsWith("\r\n\r\n") || bytes.isEmpty()) continue;
            bytes.append('\r');
        }
        bytes.append(c);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw PlatformError(QStringLiteral("Fisierul %1 nu poate fi scris: %2").arg(path, file.errorString()));
    // The new file's name too must outlive a power cut: an identifier counter
    // that came back older would hand out identifiers again.
    engine::os::syncFolder(nativePath(QFileInfo(path).absolutePath()));
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray quotedIfNeeded(const QByteArray& value) {
    if (value.isEmpty()) return value;
    const bool outerBlank = isBlank(value.front()) || isBlank(value.back());
    const bool outerQuotes = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (outerBlank || outerQuotes) return '"' + value + '"';
    return value;
}

QByteArray unquoted(QByteArray value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.mid(1, value.size() - 2);
    return value;
}

}  // namespace

QString IniFile::read(const QString& section, const QString& key) const {
    return lookup(section, key).value_or(QString());
}

std::optional<QString> IniFile::lookup(const QString& section, const QString& key) const {
    CSimpleIniA ini;
    load(path_, ini);
    const char* value = ini.GetValue(toCp1250Lossy(section).constData(), toCp1250Lossy(key).constData(), nullptr);
    if (!value) return std::nullopt;
    return fromCp1250(unquoted(QByteArray(value)));
}

void IniFile::write(const QString& section, const QString& key, const QString& value) {
    write(section, {{key, value}});
}

void IniFile::write(const QString& section, const std::vector<std::pair<QString, QString>>& values) {
    CSimpleIniA ini;
    load(path_, ini);
    const QByteArray sectionName = toCp1250(section);
    for (const auto& [key, value] : values) {
        // A line break would end the value early and let the rest pass for keys.
        QString oneLine = value;
        oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QByteArray encoded = quotedIfNeeded(toCp1250(oneLine));
        if (ini.SetValue(sectionName.constData(), toCp1250(key).constData(), encoded.constData()) < 0)
            throw PlatformError(QStringLiteral("Fisierul %1 nu poate fi scris.").arg(path_));
    }
    save(path_, ini);
}

bool IniFile::remove(const QString& section, const QString& key) {
    CSimpleIniA ini;
    load(path_, ini);
    if (!ini.Delete(toCp1250(section).constData(), toCp1250(key).constData(), true)) return false;
    save(path_, ini);
    return true;
}

}  // namespace platform
