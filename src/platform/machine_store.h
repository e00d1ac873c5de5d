#pragma once

#include <memory>
#include <optional>

#include <QString>

namespace platform {

// The machine-wide store of the registry key Software\Vorelco\20 under
// HKEY_LOCAL_MACHINE and its string values (CALE, VER, Erori).
//
// On Windows it is that key. Elsewhere it is an INI file whose section is the
// key path, in the system's configuration folder (/etc/xdg) when that can be
// written, else in the user's configuration folder, as Windows redirects
// writes a user may not make. A value is read back from where it was last
// written: the user's copy wins while it exists, and a write that reaches the
// machine-wide place removes the user's copy.
class MachineStore {
public:
    static const QString kKeyPath;

    // One store per process.
    static MachineStore& instance();

    MachineStore();
    ~MachineStore();

    // Empty text when the value is missing.
    QString read(const QString& name) const;
    // Throws PlatformError when neither place can be written.
    void write(const QString& name, const QString& value);

    // Puts both places into INI files in the given folders (tests use a
    // temporary folder).
    void useFolders(const QString& machineFolder, const QString& userFolder);
    void useDefaultLocations();

    class Place {
    public:
        virtual ~Place() = default;
        virtual std::optional<QString> read(const QString& name) const = 0;
        // False when the place cannot be written.
        virtual bool write(const QString& name, const QString& value) = 0;
        virtual void remove(const QString& name) = 0;
    };

private:
    std::unique_ptr<Place> machine_;
    std::unique_ptr<Place> user_;
};

}  // namespace platform
