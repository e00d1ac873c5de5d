#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

namespace data {
class Progress;
}

namespace platform {
class DataDirLock;
}

namespace backup {

struct ArchiveEntry {
    QString fileName;  // without "Data\"
    int32_t size = 0;
};

// A backup archive (extension tlg): the record count N, then per file its
// name "Data\" + file name, its size S and its content as one zlib stream;
// little-endian 32-bit integers. What the window and the command line do
// with an archive, outside any window.
class Archive {
public:
    explicit Archive(const QString& path) : path_(path) {}
    const QString& path() const { return path_; }

    // Writes the archive of `files` (see ArchiveWriter), replacing the file
    // of that name only once the new archive is complete.
    void write(const QStringList& files, data::Progress* progress = nullptr) const;

    // Reads the whole archive through and checks every record (see
    // ArchiveReader); `each` is told of every record once its content
    // checked out. Throws ArchiveError at the first fault.
    std::vector<ArchiveEntry> verify(data::Progress* progress = nullptr,
                                     const std::function<void(const ArchiveEntry&)>& each = {}) const;

    // Replaces the files of the data directory `lock` holds with those of
    // the archive. They are written into a fresh folder beside it, each
    // synced, and swapped in only once the whole archive checked out
    // (platform::DataDirReplacement): a fault anywhere in the archive
    // changes nothing. The subfolders of the data directory are kept.
    void restore(const platform::DataDirLock& lock, data::Progress* progress = nullptr) const;

private:
    QString path_;
};

}  // namespace backup
