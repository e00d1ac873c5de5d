#include "backup/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <QDir>

#include "backup/archive_error.h"
#include "backup/record_names.h"
#include "platform/native_path.h"
#include "platform/text_codec.h"

namespace backup {
namespace {

constexpr size_t kBufferSize = 1 << 18;
constexpr size_t kOutputSize = 1 << 18;
// Deflate codes at most 258 bytes in 2 bits: no stream of n bytes inflates
// to more than 1032 n.
constexpr int64_t kMaxInflateRatio = 1032;
// L, "Data\" and one byte of name, S, and a zlib stream of one byte (a
// two-byte header, three bytes of deflate, the Adler-32): no record is shorter.
constexpr int64_t kShortestRecord = 4 + kRecordPrefixLength + 1 + 4 + 2 + 3 + 4;

// A name as it can be shown: control characters as "?".
QString printable(const QByteArray& stored) {
    QString text = platform::fromCp1250(stored);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    return text;
}

}  // namespace

FileSource::FileSource(const QString& path)
    : path_(path), file_(engine::os::File::open(platform::nativePath(path), engine::os::File::Open::Read)) {
    engine::os::FileInfo info;
    const bool opened = file_ && file_.info(info);
    if (!opened || !info.regular) {
        const QString error = opened ? QStringLiteral("nu este un fisier") : platform::systemErrorText();
        throw ArchiveError(QStringLiteral("Arhiva %1 nu poate fi deschisa: %2.").arg(QDir::toNativeSeparators(path), error));
    }
    size_ = int64_t(info.size);
}

size_t FileSource::read(char* buffer, size_t size) {
    const int64_t n = file_.readAt(uint64_t(position_), buffer, size);
    if (n < 0)
        throw ArchiveError(QStringLiteral("Arhiva %1 nu poate fi citita: %2.")
                               .arg(QDir::toNativeSeparators(path_), platform::systemErrorText()));
    position_ += n;
    return size_t(n);
}

size_t MemorySource::read(char* buffer, size_t size) {
    const size_t n = std::min(size, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

ArchiveReader::ArchiveReader(ByteSource& source, const QString& archiveName)
    : source_(source), archiveName_(archiveName), buffer_(kBufferSize) {}

ArchiveReader::~ArchiveReader() {
    if (zlibReady_) inflateEnd(&zlib_);
}

void ArchiveReader::fail(const QString& problem) const {
    QString where;
    if (current_.index > 0) {
        where = QStringLiteral("Inregistrarea %1 din %2").arg(current_.index).arg(count_);
        if (!current_.fileName.isNull()) where += QStringLiteral(" (Data\\%1)").arg(current_.fileName);
        where += QStringLiteral(", la octetul %1").arg(position());
    } else {
        where = QStringLiteral("La octetul %1").arg(position());
    }
    throw ArchiveError(QStringLiteral("Arhiva %1 este deteriorata sau nu este o salvare Terralog.\n%2: %3.")
                           .arg(QDir::toNativeSeparators(archiveName_), where, problem));
}

bool ArchiveReader::refill() {
    bufferStart_ += int64_t(end_);
    pos_ = 0;
    end_ = source_.read(buffer_.data(), buffer_.size());
    return end_ > 0;
}

void ArchiveReader::readExact(char* out, size_t size, const char* what) {
    while (size > 0) {
        if (pos_ == end_ && !refill())
            fail(QStringLiteral("arhiva se termina inainte de %1").arg(QString::fromUtf8(what)));
        const size_t n = std::min(size, end_ - pos_);
        std::memcpy(out, buffer_.data() + pos_, n);
        pos_ += n;
        out += n;
        size -= n;
    }
}

int32_t ArchiveReader::readInt(const char* what) {
    unsigned char bytes[4];
    readExact(reinterpret_cast<char*>(bytes), 4, what);
    return int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

int ArchiveReader::count() {
    if (count_ >= 0) return count_;
    const int32_t n = readInt("numarul de fisiere");
    if (n <= 0) fail(QStringLiteral("numarul de fisiere este %1").arg(n));
    if (int64_t(n) * kShortestRecord > remaining())
        fail(QStringLiteral("arhiva nu poate cuprinde %1 fisiere in %2 octeti").arg(n).arg(remaining()));
    count_ = n;
    return count_;
}

bool ArchiveReader::next(RecordHeader& header) {
    count();
    if (contentPending_) content(nullptr);
    if (read_ == count_) {
        if (remaining() > 0)
            fail(QStringLiteral("dupa ultimul fisier mai urmeaza %1 octeti").arg(remaining()));
        return false;
    }
    current_ = RecordHeader();
    current_.index = ++read_;
    current_.offset = position();

    const int32_t length = readInt("lungimea numelui");
    if (length <= kRecordPrefixLength || length > kRecordPrefixLength + kMaxFileNameBytes)
        fail(QStringLiteral("lungimea numelui este %1").arg(length));
    if (length > remaining()) fail(QStringLiteral("numele are %1 octeti, mai mult decat restul arhivei").arg(length));
    QByteArray stored(length, Qt::Uninitialized);
    readExact(stored.data(), size_t(length), "sfarsitul numelui");
    if (!stored.startsWith(kRecordPrefix))
        fail(QStringLiteral("numele %1 nu incepe cu Data\\").arg(printable(stored)));
    current_.fileName = printable(stored.mid(kRecordPrefixLength));
    const QString fileName = platform::fromCp1250(stored.mid(kRecordPrefixLength));
    const QString problem = fileNameProblem(fileName);
    if (!problem.isEmpty()) fail(problem);
    const auto [same, added] = names_.emplace(sameNameKey(fileName), current_.index);
    if (!added) fail(QStringLiteral("numele repeta pe cel al inregistrarii %1").arg(same->second));
    current_.fileName = fileName;

    const int32_t size = readInt("marimea fisierului");
    if (size <= 0) fail(QStringLiteral("marimea fisierului este %1").arg(size));
    if (int64_t(size) > kMaxInflateRatio * remaining())
        fail(QStringLiteral("%1 octeti nu pot iesi din cei %2 ramasi in arhiva").arg(size).arg(remaining()));
    current_.size = size;
    contentPending_ = true;
    header = current_;
    return true;
}

void ArchiveReader::content(ByteSink* sink) {
    if (!contentPending_) return;
    if (!zlibReady_) {
        if (inflateInit(&zlib_) != Z_OK) throw std::bad_alloc();
        zlibReady_ = true;
        out_.resize(kOutputSize);
    } else {
        inflateReset(&zlib_);
    }
    const int64_t size = current_.size;
    int64_t produced = 0;
    for (;;) {
        if (pos_ == end_ && !refill())
            fail(QStringLiteral("arhiva se termina in fluxul comprimat, dupa %1 din %2 octeti").arg(produced).arg(size));
        zlib_.next_in = reinterpret_cast<Bytef*>(buffer_.data() + pos_);
        zlib_.avail_in = uInt(end_ - pos_);
        // Room for the bytes still due, and one more to catch a stream that
        // goes on past them.
        const size_t room = size_t(std::min<int64_t>(int64_t(out_.size()), size - produced + 1));
        zlib_.next_out = reinterpret_cast<Bytef*>(out_.data());
        zlib_.avail_out = uInt(room);
        const int result = inflate(&zlib_, Z_NO_FLUSH);
        pos_ = end_ - zlib_.avail_in;
        const size_t got = room - zlib_.avail_out;
        if (produced + int64_t(got) > size) fail(QStringLiteral("fluxul comprimat da mai mult de %1 octeti").arg(size));
        if (got > 0 && sink) sink->write(out_.data(), got);
        produced += int64_t(got);
        if (result == Z_STREAM_END) break;
        if (result == Z_MEM_ERROR) throw std::bad_alloc();
        if (result == Z_NEED_DICT) fail(QStringLiteral("fluxul comprimat cere un dictionar"));
        if (result == Z_DATA_ERROR)
            fail(QStringLiteral("fluxul comprimat este deteriorat (%1)").arg(QString::fromUtf8(zlib_.msg ? zlib_.msg : "")));
    }
    if (produced < size)
        fail(QStringLiteral("fluxul comprimat da numai %1 din %2 octeti").arg(produced).arg(size));
    contentPending_ = false;
}

}  // namespace backup
