#pragma once

#include <memory>

#include <QString>
#include <QStringList>

namespace data {
class DataStore;
}

namespace exchange {

class WorkbookReader;

// The workbook the import reads: one open at a time, its first worksheet
// active. Closing it leaves a byte copy of the file read in AppDir
// (XLSTmp<n>.xls, or the workbook's own extension when it is not an .xls).
class TExpXLSOLE {
public:
    static constexpr int kCellLength = 200;
    static constexpr int kImportColumns = 22;

    explicit TExpXLSOLE(const data::DataStore& store);
    ~TExpXLSOLE();

    // False, and nothing opened, when no file of that name exists. A file
    // that cannot be read as a workbook throws WorkbookError.
    bool OpenWorkbook(const QString& fileName);
    // Copies the workbook to WorkbookCopyName, then closes it. Nothing to do
    // when none is open. Throws WorkbookError when the copy cannot be made.
    void CloseWorkbook();
    bool isOpen() const { return bool(XCell); }

    // The used range and the cells of the active worksheet. Each throws
    // WorkbookError when no workbook is open.
    int usedRows() const;
    int usedColumns() const;
    QString cellText(int row, int column) const;
    // The texts of cells 1 to 22 of the row, each cut to 200 characters.
    QStringList ReadRowCells(int row) const;

    QString WorkbookCopyName;

private:
    const WorkbookReader& sheet() const;

    const data::DataStore& store_;
    std::unique_ptr<WorkbookReader> XCell;
    QString openedFile_;
};

}  // namespace exchange
