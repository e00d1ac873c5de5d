#include <minizip/unzip.h>

#include "exchange/workbook_readers.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

// A member larger than this is not a sheet this program reads (and may be
// a zip bomb).
constexpr uint64_t kMaxMemberSize = uint64_t(1) << 30;

}  // namespace

ZipArchive::ZipArchive(const QString& path) : path_(path) {
    const QByteArray name = platform::crtFileName(path);
    zip_ = name.isEmpty() ? nullptr : unzOpen64(name.constData());
    if (!zip_) throw WorkbookError("The workbook " + path.toStdString() + " is not a readable zip archive");
}

ZipArchive::~ZipArchive() {
    if (zip_) unzClose(zip_);
}

bool ZipArchive::has(const std::string& name) const { return unzLocateFile(zip_, name.c_str(), 0) == UNZ_OK; }

std::string ZipArchive::read(const std::string& name) const {
    const std::string where = name + " of " + path_.toStdString();
    if (unzLocateFile(zip_, name.c_str(), 0) != UNZ_OK) throw WorkbookError("The workbook lacks " + where);
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > kMaxMemberSize)
        throw WorkbookError("The member " + where + " cannot be read");
    if (unzOpenCurrentFile(zip_) != UNZ_OK) throw WorkbookError("The member " + where + " cannot be opened");
    std::string out;
    out.reserve(size_t(info.uncompressed_size));
    char buffer[1 << 16];
    for (;;) {
        const int n = unzReadCurrentFile(zip_, buffer, sizeof buffer);
        if (n < 0) {
            unzCloseCurrentFile(zip_);
            throw WorkbookError("The member " + where + " is damaged");
        }
        if (n == 0) break;
        out.append(buffer, size_t(n));
        if (out.size() > kMaxMemberSize) {
            unzCloseCurrentFile(zip_);
            throw WorkbookError("The member " + where + " is too large");
        }
    }
    // A bad checksum shows here.
    if (unzCloseCurrentFile(zip_) != UNZ_OK) throw WorkbookError("The member " + where + " is damaged");
    return out;
}

}  // namespace exchange
