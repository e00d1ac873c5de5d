// Excel 97-2003 (BIFF8) and Excel 5.0 (BIFF5) workbooks: the cells through
// FreeXL, the results of formula cells, which FreeXL leaves empty, from the
// workbook stream read here (BiffFormulas).
#include <freexl.h>

#include <QFile>

#include "exchange/biff_formulas.h"
#include "exchange/compound_file.h"
#include "exchange/workbook_readers.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

// The workbook stream of the file: "Workbook" in BIFF8, "Book" in BIFF5.
std::optional<std::string> workbookStream(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError("Fisierul " + path.toStdString() + " nu poate fi citit: " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    const std::string_view content(bytes.constData(), size_t(bytes.size()));
    if (auto stream = compoundFileStream(content, u"Workbook")) return stream;
    return compoundFileStream(content, u"Book");
}

class XlsWorkbook : public WorkbookReader {
public:
    explicit XlsWorkbook(const QString& path) {
        // The records are checked before FreeXL reads them.
        const std::optional<std::string> stream = workbookStream(path);
        if (stream) checkBiffRecords(*stream);
        const QByteArray name = platform::crtFileName(path);
        const int opened = name.isEmpty() ? FREEXL_FILE_NOT_FOUND : freexl_open(name.constData(), &handle_);
        if (opened != FREEXL_OK) {
            close();
            throw WorkbookError("Fisierul " + path.toStdString() + " nu poate fi citit ca registru Excel (eroarea FreeXL " +
                                std::to_string(opened) + ").");
        }
        unsigned int sheets = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0 ||
            freexl_select_active_worksheet(handle_, 0) != FREEXL_OK) {
            close();
            throw WorkbookError("Registrul " + path.toStdString() + " nu are nici o foaie de calcul.");
        }
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK) {
            close();
            throw WorkbookError("Prima foaie a registrului " + path.toStdString() + " nu poate fi citita.");
        }
        const char* sheetName = nullptr;
        freexl_get_worksheet_name(handle_, 0, &sheetName);
        try {
            if (stream) formulas_ = std::make_unique<BiffFormulas>(*stream, QString::fromUtf8(sheetName ? sheetName : ""));
        } catch (...) {
            close();
            throw;
        }
        rows_ = int(rows);
        columns_ = int(columns);
        if (formulas_) {
            rows_ = std::max(rows_, formulas_->lastRow());
            columns_ = std::max(columns_, formulas_->lastColumn());
        }
    }
    ~XlsWorkbook() override { close(); }

    int usedRows() const override { return rows_; }
    int usedColumns() const override { return columns_; }

    QString cellText(int row, int column) const override {
        if (row < 1 || column < 1 || row > rows_ || column > columns_) return QString();
        if (formulas_ && formulas_->has(row, column)) return formulas_->text(row, column);
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
    std::unique_ptr<BiffFormulas> formulas_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace

std::unique_ptr<WorkbookReader> openXlsWorkbook(const QString& path) { return std::make_unique<XlsWorkbook>(path); }

}  // namespace exchange
