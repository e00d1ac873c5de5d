#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QString>

namespace platform {

// An INI file read and written the way the Windows profile functions do it,
// opened anew on every call so that nothing is cached between calls.
//
// Sections and keys are found without regard to letter case. Values are
// written as plain key=value lines in code page 1250; a value that would lose
// its outer blanks or outer double quotes on reading is written inside one
// pair of double quotes, which a reader strips as Windows does. Writes replace
// the file atomically, so a crash never leaves half a settings file.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // Empty text when the file, the section or the key is missing.
    QString read(const QString& section, const QString& key) const;
    // Nothing when the file, the section or the key is missing.
    std::optional<QString> lookup(const QString& section, const QString& key) const;
    // Creates the file, the section and the key as needed; the folder must
    // exist. Throws PlatformError when the file cannot be written and
    // engine::ValueError for a character code page 1250 lacks.
    void write(const QString& section, const QString& key, const QString& value);
    // Several keys of one section in one replacement of the file: a crash
    // leaves all of them old or all new.
    void write(const QString& section, const std::vector<std::pair<QString, QString>>& values);
    // Removes the key when present; false when there was nothing to remove.
    bool remove(const QString& section, const QString& key);

private:
    QString path_;
};

}  // namespace platform
