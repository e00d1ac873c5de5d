// Excel 97-2003 (BIFF8) and Excel 5.0 (BIFF5) workbooks, through FreeXL.
#include <freexl.h>

#include "exchange/workbook_readers.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

class XlsWorkbook : public WorkbookReader {
public:
    explicit XlsWorkbook(const QString& path) {
        const QByteArray name = platform::crtFileName(path);
        const int opened = name.isEmpty() ? FREEXL_FILE_NOT_FOUND : freexl_open(name.constData(), &handle_);
        if (opened != FREEXL_OK) {
            close();
            throw WorkbookError("The workbook " + path.toStdString() + " cannot be read as an Excel file (FreeXL error " +
                                std::to_string(opened) + ")");
        }
        unsigned int sheets = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0 ||
            freexl_select_active_worksheet(handle_, 0) != FREEXL_OK) {
            close();
            throw WorkbookError("The workbook " + path.toStdString() + " has no worksheet");
        }
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK) {
            close();
            throw WorkbookError("The first worksheet of " + path.toStdString() + " cannot be read");
        }
        rows_ = int(rows);
        columns_ = int(columns);
    }
    ~XlsWorkbook() override { close(); }

    int usedRows() const override { return rows_; }
    int usedColumns() const override { return columns_; }

    QString cellText(int row, int column) const override {
        if (row < 1 || column < 1 || row > rows_ || column > columns_) return QString();
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle_, unsigned(row - 1), static_cast<unsigned short>(column - 1), &value) !=
            FREEXL_OK)
            return QString();
        switch (value.type) {
        case FREEXL_CELL_INT: return QString::number(value.value.int_value);
        case FREEXL_CELL_DOUBLE: return numberText(value.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: return value.value.text_value ? QString::fromUtf8(value.value.text_value) : QString();
        default: return QString();
        }
    }

private:
    void close() {
        if (handle_) freexl_close(handle_);
        handle_ = nullptr;
    }

    const void* handle_ = nullptr;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace

std::unique_ptr<WorkbookReader> openXlsWorkbook(const QString& path) { return std::make_unique<XlsWorkbook>(path); }

}  // namespace exchange
