#include <minizip/unzip.h>

#include <algorithm>
#include <cctype>

#include <QFileInfo>

#include "exchange/workbook_readers.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;
// A member may always inflate to this much: a small workbook is read
// whatever it packs down to (a template's run of empty rows packs tightly).
constexpr uint64_t kMemberFloor = 64 * kMiB;
// Past the floor, at most this many times the whole archive. Deflate packs at
// most 1032:1; real sheets pack about 10:1 to 50:1, rows of empty styled
// cells near 100:1. 200 leaves those twice that room and still stops a zip
// bomb at a fifth of what it could inflate to.
constexpr uint64_t kMaxInflation = 200;
// A member larger than this is not a sheet this program reads, whatever the
// archive's size.
constexpr uint64_t kMaxMemberSize = 1024 * kMiB;

// "134 KB", "2,4 MB": the archive's size as the messages give it.
std::string sizeText(uint64_t bytes) {
    if (bytes < kMiB) return std::to_string((bytes + 1023) / 1024) + " KB";
    const uint64_t tenths = bytes * 10 / kMiB;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " MB";
}

}  // namespace

ZipArchive::ZipArchive(const QString& path, std::string kind, size_t pieceSize)
    : path_(platform::nativePath(path)), kind_(std::move(kind)), pieceSize_(pieceSize) {
    const QByteArray name = platform::crtFileName(path);
    zip_ = name.isEmpty() ? nullptr : unzOpen64(name.constData());
    if (!zip_) refuse("nu este o arhiva zip");
    fileSize_ = uint64_t(std::max<qint64>(QFileInfo(path).size(), 0));
    memberLimit_ = std::min(kMaxMemberSize, std::max(kMemberFloor, kMaxInflation * fileSize_));
}

ZipArchive::~ZipArchive() {
    if (zip_) unzClose(zip_);
}

bool ZipArchive::has(const std::string& name) const { return unzLocateFile(zip_, name.c_str(), 0) == UNZ_OK; }

void ZipArchive::refuse(const std::string& reason) const {
    throw WorkbookError("Fisierul " + path_ + " nu poate fi citit ca " + kind_ + ": " + reason + ".");
}

ZipMember::ZipMember(const ZipArchive& zip, const std::string& name, const char* noun)
    : zip_(zip), what_(std::string(noun) + " " + name + " din " + zip.path_) {
    if (unzLocateFile(zip.zip_, name.c_str(), 0) != UNZ_OK) {
        std::string missing(noun);
        missing.front() = char(std::tolower(static_cast<unsigned char>(missing.front())));
        zip.refuse("lipseste " + missing + " " + name);
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip.zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        fail("este deteriorata");
    if (info.uncompressed_size > zip.memberLimit_) refuseSize();
    if (unzOpenCurrentFile(zip.zip_) != UNZ_OK) fail("nu poate fi deschisa");
    open_ = true;
    piece_.resize(zip.pieceSize_);
}

ZipMember::~ZipMember() {
    if (open_) unzCloseCurrentFile(zip_.zip_);
}

std::string_view ZipMember::next() {
    if (!open_) return {};
    const int n = unzReadCurrentFile(zip_.zip_, piece_.data(), unsigned(piece_.size()));
    if (n < 0) fail("este deteriorata");
    if (n == 0) {
        open_ = false;
        // A bad checksum shows here.
        if (unzCloseCurrentFile(zip_.zip_) != UNZ_OK) fail("este deteriorata");
        return {};
    }
    // The declared size may lie: what is inflated is held to the same limit.
    inflated_ += uint64_t(n);
    if (inflated_ > zip_.memberLimit_) refuseSize();
    return {piece_.data(), size_t(n)};
}

void ZipMember::fail(const std::string& problem) const { throw WorkbookError(what_ + " " + problem + "."); }

void ZipMember::refuseSize() const {
    fail("este prea mare (se despacheteaza la peste " + std::to_string(zip_.memberLimit_ / kMiB) + " MB din " +
         sizeText(zip_.fileSize_) + ")");
}

}  // namespace exchange
