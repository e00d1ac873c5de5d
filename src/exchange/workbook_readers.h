#pragma once

// The readers behind openWorkbookFile, one per container.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "exchange/workbook_reader.h"

namespace exchange {

std::unique_ptr<WorkbookReader> openXlsWorkbook(const QString& path);
// Office Open XML and OpenDocument workbooks, from the zip archive at path.
std::unique_ptr<WorkbookReader> openXlsxWorkbook(const QString& path);
std::unique_ptr<WorkbookReader> openOdsWorkbook(const QString& path);

// The members of a zip archive, read through minizip.
class ZipArchive {
public:
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    bool has(const std::string& name) const;
    // Throws WorkbookError when it is missing, damaged or unreasonably large.
    std::string read(const std::string& name) const;

private:
    void* zip_ = nullptr;
    QString path_;
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
