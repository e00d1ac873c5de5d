#pragma once

// The readers behind openWorkbookFile, one per container.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/workbook_reader.h"

namespace exchange {

// The zip members are inflated and parsed this much at a time, so that the
// readers' memory does not grow with the size of a sheet.
constexpr size_t kZipPieceSize = size_t(1) << 16;

std::unique_ptr<WorkbookReader> openXlsWorkbook(const QString& path);
// Office Open XML and OpenDocument workbooks, from the zip archive at path.
// The tests and fuzz targets give small pieces, so that names, attributes
// and characters fall across them.
std::unique_ptr<WorkbookReader> openXlsxWorkbook(const QString& path, size_t pieceSize = kZipPieceSize);
std::unique_ptr<WorkbookReader> openOdsWorkbook(const QString& path, size_t pieceSize = kZipPieceSize);

// A zip archive read through minizip. `kind` says in messages what the file
// is read as: "registru Excel".
class ZipArchive {
public:
    ZipArchive(const QString& path, std::string kind, size_t pieceSize = kZipPieceSize);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    bool has(const std::string& name) const;
    // Throws "Fisierul <path> nu poate fi citit ca <kind>: <reason>."
    [[noreturn]] void refuse(const std::string& reason) const;

private:
    friend class ZipMember;
    void* zip_ = nullptr;
    std::string path_;  // as messages show it
    std::string kind_;
    size_t pieceSize_;
    uint64_t fileSize_ = 0;
    uint64_t memberLimit_ = 0;  // the most a member may inflate to
};

// One member of a ZipArchive, inflated a piece at a time; an archive has
// one open at a time. Throws WorkbookError when the member is missing,
// damaged, or inflates (or says it would) past what its archive's size
// makes sane, the last before anything more is read.
class ZipMember {
public:
    // `noun` names the member in messages: "Foaia", "Partea".
    ZipMember(const ZipArchive& zip, const std::string& name, const char* noun);
    ~ZipMember();
    ZipMember(const ZipMember&) = delete;
    ZipMember& operator=(const ZipMember&) = delete;
    // The next piece; empty once the whole member is read and its checksum
    // found right.
    std::string_view next();
    // Throws "<Noun> <name> din <path> <problem>."
    [[noreturn]] void fail(const std::string& problem) const;

private:
    [[noreturn]] void refuseSize() const;

    const ZipArchive& zip_;
    std::string what_;
    std::vector<char> piece_;
    uint64_t inflated_ = 0;
    bool open_ = false;
};

// Cells read from a sheet's XML, kept by row.
class CellGrid : public WorkbookReader {
public:
    void set(int row, int column, QString text);
    int usedRows() const override { return rows_; }
    int usedColumns() const override { return columns_; }
    QString cellText(int row, int column) const override;

private:
    std::map<int, std::vector<QString>> cells_;
    int rows_ = 0;
    int columns_ = 0;
};

// The largest sheet the readers accept: the limits of Excel 2007+.
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetColumns = 16384;

}  // namespace exchange
