#include "backup/archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>

#include "backup/archive_error.h"
#include "backup/archive_reader.h"
#include "backup/archive_writer.h"
#include "backup/file_writes.h"
#include "data/progress.h"
#include "platform/data_dir_lock.h"
#include "platform/data_dir_replacement.h"

namespace backup {
namespace {

// A restored file, synced before it counts as written.
class RestoredFile : public ByteSink {
public:
    explicit RestoredFile(const QString& path) : path_(path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0) fail();
    }
    ~RestoredFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    RestoredFile(const RestoredFile&) = delete;
    RestoredFile& operator=(const RestoredFile&) = delete;

    void write(const char* data, size_t size) override {
        if (!writeFully(fd_, data, size)) fail();
    }

    void close() {
        const int fd = fd_;
        fd_ = -1;
        if (::fdatasync(fd) != 0) {
            ::close(fd);
            fail();
        }
        if (::close(fd) != 0) fail();
    }

private:
    [[noreturn]] void fail() const {
        throw ArchiveError(QStringLiteral("Fisierul %1 nu poate fi scris: %2.")
                               .arg(QDir::toNativeSeparators(path_), QString::fromLocal8Bit(std::strerror(errno))));
    }

    QString path_;
    int fd_ = -1;
};

void begin(data::Progress* progress, int count) {
    if (!progress) return;
    progress->setMaximum(count);
    progress->setPosition(0);
}

}  // namespace

void Archive::write(const QStringList& files, data::Progress* progress) const {
    ArchiveWriter(path_).write(files, progress);
}

std::vector<ArchiveEntry> Archive::verify(data::Progress* progress,
                                          const std::function<void(const ArchiveEntry&)>& each) const {
    FileSource source(path_);
    ArchiveReader reader(source, path_);
    begin(progress, reader.count());
    std::vector<ArchiveEntry> entries;
    RecordHeader header;
    while (reader.next(header)) {
        if (progress) progress->setPosition(header.index);
        reader.content(nullptr);
        entries.push_back({header.fileName, header.size});
        if (each) each(entries.back());
    }
    return entries;
}

void Archive::restore(const platform::DataDirLock& lock, data::Progress* progress) const {
    FileSource source(path_);
    ArchiveReader reader(source, path_);
    begin(progress, reader.count());
    platform::DataDirReplacement replacement(lock);
    RecordHeader header;
    while (reader.next(header)) {
        if (progress) progress->setPosition(header.index);
        RestoredFile file(replacement.folder() + QLatin1Char('/') + header.fileName);
        reader.content(&file);
        file.close();
    }
    replacement.commit();
}

}  // namespace backup
