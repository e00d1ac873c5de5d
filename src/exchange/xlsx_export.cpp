// The Excel 2007+ workbook, written by libxlsxwriter in its constant-memory
// mode (rows go to disk as they are written): the same sheet layout as the
// Excel 5.0 output.
#include <memory>
#include <string>

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include "engine/errors.h"
#include "exchange/export_writer.h"

namespace exchange {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const { workbook_close(w); }
};

void check(lxw_error error, const QString& path) {
    if (error != LXW_NO_ERROR)
        throw engine::TableError("The file " + path.toStdString() + " cannot be written: " + lxw_strerror(error));
}

lxw_format* cellFormat(lxw_workbook* book, bool bold, bool right) {
    lxw_format* f = workbook_add_format(book);
    format_set_font_name(f, "MS Sans Serif");
    format_set_font_size(f, 8);
    format_set_border(f, LXW_BORDER_THIN);
    format_set_align(f, right ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
    if (bold) format_set_bold(f);
    return f;
}

}  // namespace

void writeXlsx(const WriteContext& context, const QString& path) {
    const ExportSource& source = context.source;
    const auto& columns = source.columns();
    if (source.rowCount() + 1 > int(LXW_ROW_MAX))
        throw engine::ValueError("An Excel 2007+ sheet holds at most " + std::to_string(LXW_ROW_MAX) + " rows");
    const std::string file = QDir::toNativeSeparators(path).toStdString();
    const std::string tmpdir = QDir::tempPath().toStdString();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmpdir.c_str());
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* raw = workbook_new_opt(file.c_str(), &options);
    if (!raw) throw engine::TableError("The file " + file + " cannot be created");
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(raw);
    lxw_worksheet* sheet = workbook_add_worksheet(raw, "Export");
    lxw_format* header[2] = {cellFormat(raw, true, false), cellFormat(raw, true, true)};
    lxw_format* value[2] = {cellFormat(raw, false, false), cellFormat(raw, false, true)};
    worksheet_set_margins(sheet, 0.3, 0.3, 0.3, 0.3);
    worksheet_set_footer(sheet, "&P");

    for (size_t c = 0; c < columns.size(); ++c)
        check(worksheet_write_string(sheet, 0, lxw_col_t(c), columns[c].caption.toStdString().c_str(),
                                     header[columns[c].rightAligned]),
              path);
    std::string text;
    double number = 0;
    for (int r = 0; r < source.rowCount(); ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            lxw_format* f = value[columns[c].rightAligned];
            const lxw_row_t row = lxw_row_t(r + 1);
            const lxw_col_t col = lxw_col_t(c);
            lxw_error e = LXW_NO_ERROR;
            if (text.empty())
                e = worksheet_write_blank(sheet, row, col, f);
            else if (readsAsNumber(text, number))
                e = worksheet_write_number(sheet, row, col, number, f);
            else
                e = worksheet_write_string(sheet, row, col, text.c_str(), f);
            check(e, path);
        }
        context.rowDone(r + 1);
    }
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR) {
        QFile::remove(path);
        check(closed, path);
    }
}

}  // namespace exchange
