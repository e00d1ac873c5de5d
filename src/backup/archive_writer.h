#pragma once

#include <cstddef>

#include <QString>
#include <QStringList>

namespace data {
class Progress;
}

namespace backup {

// The files a save takes: the non-empty files directly in dataDir, in the
// order the directory lists them (hidden and read-only ones included; not
// its subfolders, nor what is not a plain file). Throws ArchiveError when
// one of them cannot be opened.
QStringList listDataFiles(const QString& dataDir);

// Writes an archive of files. The bytes go to a temporary file beside the
// target, which replaces the target only once it is complete and synced: a
// save that fails leaves the old archive as it was and no partial file.
//
// Files are read one after another, in pieces, while the pieces are
// compressed on every core (ChunkDeflater); a bounded number of pieces is
// in memory at a time, whatever the size of the files.
class ArchiveWriter {
public:
    static constexpr size_t kDefaultPiece = size_t(1) << 20;

    explicit ArchiveWriter(const QString& target) : target_(target) {}

    // Pieces and threads; by default 1 MiB and one thread per core.
    void setPieceSize(size_t bytes) { pieceSize_ = bytes; }
    void setThreads(int threads) { threads_ = threads; }

    // The progress goes from 0 to the number of files, one step as each
    // file is begun. A file that became empty since it was listed is left
    // out. Throws ArchiveError; a name that could not be restored as it is
    // (see record_names.h), or two names differing only in letter case, are
    // refused before anything is written.
    void write(const QStringList& files, data::Progress* progress = nullptr) const;

private:
    QString target_;
    size_t pieceSize_ = kDefaultPiece;
    int threads_ = 0;
};

}  // namespace backup
