#include "backup/archive_writer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "backup/archive_error.h"
#include "backup/chunk_deflater.h"
#include "backup/deflate_pool.h"
#include "backup/record_names.h"
#include "data/progress.h"
#include "engine/folder_lock.h"
#include "engine/os.h"
#include "platform/native_path.h"

namespace backup {
namespace {

constexpr size_t kOutputBuffer = size_t(1) << 20;
// How long a file waits for another program's statement on it to end.
constexpr auto kLockPatience = std::chrono::seconds(5);

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

void appendInt(QByteArray& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.append(char((value >> shift) & 0xFF));
}

// A data file open for reading, its size taken once it is open. A shared
// lock keeps another program's statements off it while it is read.
class DataFile {
public:
    explicit DataFile(const QString& path)
        : path_(path), file_(engine::os::File::open(platform::nativePath(path), engine::os::File::Open::Read)) {
        engine::os::FileInfo info;
        if (!file_ || !file_.info(info)) fail(QStringLiteral("nu poate fi deschis"), platform::systemErrorText());
        size_ = int64_t(info.size);
    }

    int64_t size() const { return size_; }

    void lockForReading() {
        const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
        while (!file_.lock(engine::os::LockMode::Shared)) {
            if (engine::os::lastError().kind != engine::os::Failure::Busy) return;  // a file system without locks
            if (std::chrono::steady_clock::now() >= deadline)
                fail(QStringLiteral("este folosit de alt program"), platform::systemErrorText());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void readExact(char* out, size_t size) {
        const int64_t n = file_.readAt(uint64_t(position_), out, size);
        if (n < 0) fail(QStringLiteral("nu poate fi citit"), platform::systemErrorText());
        if (size_t(n) < size) throw ArchiveError(QStringLiteral("Fisierul %1 s-a micsorat in timpul salvarii.").arg(shown(path_)));
        position_ += n;
    }

private:
    [[noreturn]] void fail(const QString& what, const QString& why) const {
        throw ArchiveError(QStringLiteral("Fisierul %1 %2: %3.").arg(shown(path_), what, why));
    }

    QString path_;
    engine::os::File file_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// The archive being written: a temporary file beside the target, removed
// unless commit() put it in the target's place.
class ArchiveOutput {
public:
    explicit ArchiveOutput(const QString& target) : target_(target) {
        const QFileInfo info(target);
        file_ = engine::os::File::createUnique(platform::nativePath(info.absolutePath()),
                                               "." + info.fileName().toStdString() + ".", temporary_);
        if (!file_) fail();
        file_.defaultPermissions();
        buffer_.reserve(kOutputBuffer);
    }
    ~ArchiveOutput() {
        file_.close();
        if (!temporary_.empty()) engine::os::remove(temporary_);
    }
    ArchiveOutput(const ArchiveOutput&) = delete;
    ArchiveOutput& operator=(const ArchiveOutput&) = delete;

    void write(const char* data, size_t size) {
        if (buffer_.size() + size > kOutputBuffer) flush();
        if (size >= kOutputBuffer)
            writeAll(data, size);
        else
            buffer_.insert(buffer_.end(), data, data + size);
    }
    void write(const QByteArray& bytes) { write(bytes.constData(), size_t(bytes.size())); }

    void overwriteStart(const QByteArray& bytes) {
        flush();
        if (!file_.writeAt(0, std::string_view(bytes.constData(), size_t(bytes.size())))) fail();
    }

    void commit() {
        flush();
        if (!file_.sync()) fail();
        file_.close();
        if (!engine::os::rename(temporary_, platform::nativePath(target_))) fail();
        temporary_.clear();
        engine::os::syncFolder(platform::nativePath(QFileInfo(target_).absolutePath()));
    }

private:
    [[noreturn]] void fail() const {
        throw ArchiveError(QStringLiteral("Arhiva %1 nu poate fi scrisa: %2.").arg(shown(target_), platform::systemErrorText()));
    }
    void flush() {
        writeAll(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    void writeAll(const char* data, size_t size) {
        if (!file_.writeAt(written_, std::string_view(data, size))) fail();
        written_ += size;
    }

    QString target_;
    std::string temporary_;
    engine::os::File file_;
    uint64_t written_ = 0;
    std::vector<char> buffer_;
};

// A piece on its way to the archive, in archive order.
struct PendingPiece {
    QByteArray before;  // the record's L, name, S and zlib header, before its first piece
    std::future<std::vector<char>> blocks;
    QByteArray after;   // the Adler-32, after its last piece
};

// A table whose header does not count the records its file holds is not
// saved: an archive of it would restore a table that loses records or reads
// past its end.
void checkTableHeader(const QString& path, const std::vector<char>& start, int64_t size) {
    if (start.size() < 32) return;
    const auto byte = [&](size_t i) { return uint64_t(uint8_t(start[i])); };
    const uint64_t count = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
    const uint64_t headerLength = byte(8) | byte(9) << 8;
    const uint64_t recordLength = byte(10) | byte(11) << 8;
    // A file that does not begin as a dBase table (its version byte, the end
    // of its field list) is saved as any other file.
    static const uint8_t kVersions[] = {0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xF5, 0xFB};
    const bool dbase = std::find(std::begin(kVersions), std::end(kVersions), uint8_t(start[0])) != std::end(kVersions);
    if (!dbase || recordLength == 0 || headerLength < 33 || headerLength > start.size() ||
        uint8_t(start[headerLength - 1]) != 0x0D)
        return;
    const uint64_t body = headerLength + count * recordLength;
    const bool endByte = uint64_t(size) == body + 1 && uint8_t(start.size() > body ? start[body] : 0x1A) == 0x1A;
    if (uint64_t(size) == body || endByte) return;
    throw ArchiveError(QStringLiteral("Tabelul %1 nu se potriveste cu antetul sau: antetul numara %2 inregistrari de %3 "
                                      "octeti, fisierul are %4 octeti. Arhiva nu a fost scrisa.")
                           .arg(shown(path))
                           .arg(count)
                           .arg(recordLength)
                           .arg(size));
}

std::vector<QByteArray> recordNames(const QStringList& files) {
    std::vector<QByteArray> names;
    std::map<QString, QString> seen;
    for (const QString& path : files) {
        const QString fileName = QFileInfo(path).fileName();
        QString problem = fileNameProblem(fileName);
        const QByteArray stored = problem.isEmpty() ? recordNameOf(fileName) : QByteArray();
        if (problem.isEmpty() && stored.isEmpty()) problem = QStringLiteral("numele are caractere din afara codului 1250");
        if (!problem.isEmpty())
            throw ArchiveError(QStringLiteral("Fisierul %1 nu poate fi salvat: %2.").arg(shown(path), problem));
        const auto [same, added] = seen.emplace(sameNameKey(fileName), path);
        if (!added)
            throw ArchiveError(QStringLiteral("Fisierele %1 si %2 difera numai prin litere mari si mici si nu pot fi salvate impreuna.")
                                   .arg(shown(same->second), shown(path)));
        names.push_back(stored);
    }
    return names;
}

}  // namespace

QStringList listDataFiles(const QString& dataDir) {
    QStringList files;
    const QDir dir(dataDir);
    if (dir.exists() && !dir.isReadable())
        throw ArchiveError(QStringLiteral("Directorul %1 nu poate fi citit.").arg(shown(dataDir)));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() || !entry.isFile()) continue;
        if (DataFile(entry.absoluteFilePath()).size() > 0) files << entry.absoluteFilePath();
    }
    return files;
}

void ArchiveWriter::write(const QStringList& files, data::Progress* progress) const {
    if (files.size() > std::numeric_limits<int32_t>::max())
        throw ArchiveError(QStringLiteral("Prea multe fisiere pentru o arhiva."));
    // Every table as at one moment: no program writes the folder meanwhile.
    engine::FolderLock reading;
    if (!files.isEmpty()) {
        try {
            reading = engine::FolderLock(platform::nativePath(QFileInfo(files.first()).absolutePath()),
                                         engine::FolderLock::Kind::Writers, engine::os::LockMode::Shared);
        } catch (const engine::TableError& e) {
            throw ArchiveError(QString::fromStdString(e.what()));
        }
    }
    const std::vector<QByteArray> names = recordNames(files);
    const int threads = threads_ > 0 ? threads_ : int(std::max(1u, std::thread::hardware_concurrency()));
    const size_t inFlight = size_t(threads) * 2 + 2;

    ArchiveOutput out(target_);
    QByteArray count;
    appendInt(count, 0);
    out.write(count);
    if (progress) {
        progress->setMaximum(int(files.size()));
        progress->setPosition(0);
    }

    DeflatePool pool(threads);
    std::deque<PendingPiece> pending;
    const auto writeFirstPending = [&] {
        PendingPiece& piece = pending.front();
        out.write(piece.before);
        const std::vector<char> blocks = piece.blocks.get();
        out.write(blocks.data(), blocks.size());
        out.write(piece.after);
        pending.pop_front();
    };

    int32_t written = 0;
    for (int i = 0; i < files.size(); ++i) {
        if (progress) progress->setPosition(i);
        DataFile file(files[i]);
        file.lockForReading();
        const int64_t size = file.size();
        if (size == 0) continue;
        if (size > std::numeric_limits<int32_t>::max())
            throw ArchiveError(QStringLiteral("Fisierul %1 este prea mare pentru o arhiva.").arg(shown(files[i])));
        ++written;
        QByteArray before;
        appendInt(before, uint32_t(names[size_t(i)].size()));
        before.append(names[size_t(i)]);
        appendInt(before, uint32_t(size));
        before.append(reinterpret_cast<const char*>(kZlibHeader), 2);

        uint32_t adler = 1;
        const bool table = files[i].endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive);
        for (int64_t offset = 0; offset < size;) {
            const size_t length = size_t(std::min<int64_t>(int64_t(pieceSize_), size - offset));
            auto piece = std::make_shared<std::vector<char>>(length);
            file.readExact(piece->data(), length);
            if (table && offset == 0) checkTableHeader(files[i], *piece, size);
            adler = adler32Update(adler, piece->data(), length);
            offset += int64_t(length);
            const bool last = offset == size;
            PendingPiece next;
            next.before = std::move(before);
            before.clear();
            next.blocks = pool.deflate(std::move(piece), last);
            if (last)
                for (int shift = 24; shift >= 0; shift -= 8) next.after.append(char((adler >> shift) & 0xFF));
            pending.push_back(std::move(next));
            while (pending.size() > inFlight) writeFirstPending();
        }
    }
    while (!pending.empty()) writeFirstPending();
    if (written == 0) throw ArchiveError(QStringLiteral("Nu exista nici un fisier cu date de salvat."));
    count.clear();
    appendInt(count, uint32_t(written));
    out.overwriteStart(count);
    out.commit();
    if (progress) progress->setPosition(int(files.size()));
}

}  // namespace backup
