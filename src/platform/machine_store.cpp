#include "platform/machine_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/ini_file.h"
#include "platform/platform_error.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace platform {

const QString MachineStore::kKeyPath = QStringLiteral("Software\\Vorelco\\20");

namespace {

const QString kStoreFile = QStringLiteral("Vorelco.ini");

class IniPlace : public MachineStore::Place {
public:
    explicit IniPlace(const QString& folder) : folder_(folder), file_(QDir(folder).filePath(kStoreFile)) {}

    std::optional<QString> read(const QString& name) const override {
        return file_.lookup(MachineStore::kKeyPath, name);
    }
    bool write(const QString& name, const QString& value) override {
        if (!QDir().mkpath(folder_)) return false;
        try {
            file_.write(MachineStore::kKeyPath, name, value);
        } catch (const PlatformError&) {
            return false;
        }
        return true;
    }
    void remove(const QString& name) override {
        if (!QFileInfo::exists(file_.path())) return;
        try {
            file_.remove(MachineStore::kKeyPath, name);
        } catch (const PlatformError&) {
            // A copy that cannot be removed keeps winning on reads; nothing else to do.
        }
    }

private:
    QString folder_;
    IniFile file_;
};

#ifdef Q_OS_WIN
class RegistryPlace : public MachineStore::Place {
public:
    explicit RegistryPlace(const QString& root) : path_(root + QLatin1Char('\\') + MachineStore::kKeyPath) {}

    std::optional<QString> read(const QString& name) const override {
        QSettings key(path_, QSettings::NativeFormat);
        const QVariant v = key.value(name);
        if (!v.isValid()) return std::nullopt;
        if (v.typeId() != QMetaType::QString)
            throw PlatformError(QStringLiteral("Valoarea %1 din registru nu este text.").arg(name));
        return v.toString();
    }
    bool write(const QString& name, const QString& value) override {
        QSettings key(path_, QSettings::NativeFormat);
        key.setValue(name, value);
        key.sync();
        return key.status() == QSettings::NoError;
    }
    void remove(const QString& name) override {
        QSettings key(path_, QSettings::NativeFormat);
        key.remove(name);
    }

private:
    QString path_;
};
#endif

QString systemConfigFolder() {
    const QStringList all = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const QString& folder : all)
        if (folder != user) return folder;
    return QStringLiteral("/etc/xdg");
}

}  // namespace

MachineStore& MachineStore::instance() {
    static MachineStore store;
    return store;
}

MachineStore::MachineStore() { useDefaultLocations(); }

MachineStore::~MachineStore() = default;

void MachineStore::useFolders(const QString& machineFolder, const QString& userFolder) {
    machine_ = std::make_unique<IniPlace>(machineFolder);
    user_ = std::make_unique<IniPlace>(userFolder);
}

void MachineStore::useDefaultLocations() {
#ifdef Q_OS_WIN
    machine_ = std::make_unique<RegistryPlace>(QStringLiteral("HKEY_LOCAL_MACHINE"));
    user_ = std::make_unique<RegistryPlace>(QStringLiteral("HKEY_CURRENT_USER"));
#else
    useFolders(systemConfigFolder(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
#endif
}

QString MachineStore::read(const QString& name) const {
    if (auto v = user_->read(name)) return *v;
    return machine_->read(name).value_or(QString());
}

void MachineStore::write(const QString& name, const QString& value) {
    if (machine_->write(name, value)) {
        user_->remove(name);
        return;
    }
    if (!user_->write(name, value))
        throw PlatformError(QStringLiteral("Valoarea %1 nu poate fi scrisa in registru (%2).").arg(name, kKeyPath));
}

}  // namespace platform
