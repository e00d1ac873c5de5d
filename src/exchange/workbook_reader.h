#pragma once

#include <memory>
#include <stdexcept>

#include <QString>

namespace exchange {

// A workbook that cannot be read: its message says what and where.
class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The first worksheet of a workbook, read whole when opened. Rows and
// columns count from 1. A cell's text: a number in its shortest decimal
// form with a point (12.5, 3), a text as it is, an empty cell empty; dates
// and times as the library gives them.
class WorkbookReader {
public:
    virtual ~WorkbookReader() = default;
    // The highest used row and column (0 for an empty sheet).
    virtual int usedRows() const = 0;
    virtual int usedColumns() const = 0;
    virtual QString cellText(int row, int column) const = 0;
};

// Opens .xls (Excel 97-2003 and Excel 5.0), .xlsx and .ods, told apart by
// their content rather than their name. Throws WorkbookError.
std::unique_ptr<WorkbookReader> openWorkbookFile(const QString& path);

// The shortest decimal text of a number, with a point.
QString numberText(double value);

}  // namespace exchange
