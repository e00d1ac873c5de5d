#include "data/data_store.h"

#include <limits>

#include <QDir>

#include "platform/ini_file.h"
#include "platform/machine_store.h"
#include "platform/platform_error.h"
#include "platform/temp_names.h"

namespace data {

const QString DataStore::kSettingsFileName = QStringLiteral("Terralog.ini");

void DataStore::setAppDir(const QString& appDir) {
    QString dir = QDir::toNativeSeparators(appDir);
    while (dir.size() > 1 && dir.endsWith(QDir::separator())) dir.chop(1);
    appDir_ = dir;
    dataDir_ = dir + QDir::separator() + QStringLiteral("Data");
}

QString DataStore::tablePath(const QString& fileName) const { return dataDir_ + QDir::separator() + fileName; }

QString DataStore::ReadSetting(const QString& section, const QString& key) const {
    return platform::IniFile(tablePath(kSettingsFileName)).read(section, key);
}

void DataStore::WriteSetting(const QString& section, const QString& key, const QString& value) const {
    platform::IniFile(tablePath(kSettingsFileName)).write(section, key, value);
}

QString DataStore::ReadCounter(const QString& name) const {
    bool ok = false;
    const int value = ReadSetting(QStringLiteral("INDEX"), name).trimmed().toInt(&ok);
    return QString::number(ok ? value : 1);
}

QString DataStore::NextId(const QString& name) const {
    const int last = ReadCounter(name).toInt();
    // Wrapping round would hand out negative identifiers, which mean
    // something else in the tables.
    if (last == std::numeric_limits<int>::max())
        throw platform::PlatformError(QStringLiteral("Contorul %1 a ajuns la valoarea maxima.").arg(name));
    const QString next = QString::number(last + 1);
    WriteSetting(QStringLiteral("INDEX"), name, next);
    return next;
}

QString DataStore::ReadRegistryValue(const QString& name) const { return platform::MachineStore::instance().read(name); }

void DataStore::WriteRegistryValue(const QString& name, const QString& value) const {
    platform::MachineStore::instance().write(name, value);
}

QString DataStore::UniqueTempName(const QString& prefix, const QString& extension) const {
    return platform::uniqueTempName(appDir_, prefix, extension);
}

}  // namespace data
