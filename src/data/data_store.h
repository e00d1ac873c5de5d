#pragma once

#include <QString>

#include "data/progress.h"

namespace data {

// The shared data routines: the program and data folders, the settings file
// and the machine-wide store, the identifier counters and temporary names.
class DataStore {
public:
    static const QString kSettingsFileName;  // "Terralog.ini", in DataDir

    DataStore() = default;
    // AppDir without a trailing separator; DataDir becomes AppDir/Data.
    explicit DataStore(const QString& appDir) { setAppDir(appDir); }

    void setAppDir(const QString& appDir);
    const QString& AppDir() const { return appDir_; }
    const QString& DataDir() const { return dataDir_; }
    // DataDir, the platform's separator and the file name: the path a
    // statement writes for a table.
    QString tablePath(const QString& fileName) const;

    // Settings file; opened anew on every call.
    QString ReadSetting(const QString& section, const QString& key) const;
    void WriteSetting(const QString& section, const QString& key, const QString& value) const;

    // The last identifier given for the counter, 1 when the counter is missing
    // or not a whole number.
    QString ReadCounter(const QString& name) const;
    // Takes the next identifier and writes it back before returning it, so
    // it is never handed out twice; the first is 2.
    QString NextId(const QString& name) const;

    // The machine-wide store (registry key Software\Vorelco\20).
    QString ReadRegistryValue(const QString& name) const;
    void WriteRegistryValue(const QString& name, const QString& value) const;

    // AppDir/{prefix}{n}{extension} for the first n in 0..100 that is free
    // (a leftover file of that name is deleted), empty text when none is.
    QString UniqueTempName(const QString& prefix, const QString& extension) const;

private:
    QString appDir_;
    QString dataDir_;
};

}  // namespace data
