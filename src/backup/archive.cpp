#include "backup/archive.h"

#include <QDir>

#include "backup/archive_error.h"
#include "backup/archive_reader.h"
#include "backup/archive_writer.h"
#include "data/progress.h"
#include "engine/database.h"
#include "engine/folder_lock.h"
#include "engine/os.h"
#include "platform/data_dir_lock.h"
#include "platform/data_dir_replacement.h"
#include "platform/native_path.h"

namespace backup {
namespace {

// A restored file, synced before it counts as written.
class RestoredFile : public ByteSink {
public:
    explicit RestoredFile(const QString& path)
        : path_(path), file_(engine::os::File::open(platform::nativePath(path), engine::os::File::Open::CreateNew)) {
        if (!file_) fail();
    }

    void write(const char* data, size_t size) override {
        if (!file_.writeAt(written_, std::string_view(data, size))) fail();
        written_ += size;
    }

    void close() {
        if (!file_.sync()) fail();
        file_.close();
    }

private:
    [[noreturn]] void fail() const {
        throw ArchiveError(QStringLiteral("Fisierul %1 nu poate fi scris: %2.")
                               .arg(QDir::toNativeSeparators(path_), platform::systemErrorText()));
    }

    QString path_;
    engine::os::File file_;
    uint64_t written_ = 0;
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
    // No program writes (nor reads all tables at once) while the files change.
    engine::FolderLock writing;
    try {
        writing = engine::FolderLock(platform::nativePath(lock.dataDir()), engine::FolderLock::Kind::Writers,
                                     engine::os::LockMode::Exclusive);
    } catch (const engine::TableError& e) {
        throw ArchiveError(QString::fromStdString(e.what()));
    }
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
    // The old tables' files close first: Windows moves no folder with a file open in it.
    engine::Database::global().forgetTables();
    replacement.commit();
}

}  // namespace backup
