#pragma once

#include <map>
#include <string_view>
#include <utility>

#include <QString>

namespace exchange {

// The results that the formula cells of a worksheet held when the workbook
// was last saved, read from the workbook stream of an Excel 97-2003 (BIFF8)
// or Excel 5.0 (BIFF5) file. FreeXL skips FORMULA records, so without these
// a formula cell reads as empty.
//
// A result reads as any cell of its kind does: a number in its shortest
// decimal text, a text as it is (from the STRING record that follows its
// FORMULA record, across CONTINUE records), true and false as 1 and 0 (as
// FreeXL reads a constant logical cell), an error as Excel shows it
// ("#DIV/0!"). Every record length is checked against the stream before
// it is read.
class BiffFormulas {
public:
    // The formulas of the worksheet named `sheetName`, or of the first
    // worksheet when no sheet bears that name. Throws WorkbookError when the
    // stream is damaged where it is read.
    BiffFormulas(std::string_view workbookStream, const QString& sheetName);

    // The result at (row, column), counted from 1; null when no formula is there.
    QString text(int row, int column) const;
    bool has(int row, int column) const;
    // The last row and column holding a formula (0 when none does).
    int lastRow() const { return lastRow_; }
    int lastColumn() const { return lastColumn_; }

private:
    std::map<std::pair<int, int>, QString> results_;
    int lastRow_ = 0;
    int lastColumn_ = 0;
};

// Walks every record of the workbook stream, the globals and each sheet,
// and throws WorkbookError at the first that cannot be sound: a record
// running past the stream, a sheet starting beyond it, a DIMENSIONS record
// of another length than its format's or a second one in a sheet. FreeXL
// trusts what it reads and fails on such records (a DIMENSIONS record in the
// middle of a sheet's cells makes it free memory it never had), so the
// stream is checked before FreeXL opens the file.
void checkBiffRecords(std::string_view workbookStream);

}  // namespace exchange
