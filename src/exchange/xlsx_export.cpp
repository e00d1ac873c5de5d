// The Excel 2007+ workbook, written by libxlsxwriter in its constant-memory
// mode (rows go to disk as they are written). The caption row has the Excel
// 5.0 output's look (bold "MS Sans Serif" 8 pt, borders); the data cells
// have none, so that a sheet of 350,000 rows carries no style on each of its
// five million cells, and empty cells are not written at all. Numbers stand
// right and texts left by themselves.
#include <dlfcn.h>

#include <memory>
#include <string>

#include <QDir>
#include <QFile>

#include <minizip/zip.h>
#include <xlsxwriter.h>
#include <zlib.h>

#include "engine/errors.h"
#include "exchange/export_writer.h"

// libxlsxwriter deflates every part at zlib's default level and has no
// setting for it; on a 350,000-row report the sheet is 200 MB of XML and
// level 6 costs three times level 1 for a file a quarter smaller. It opens
// each part through the system minizip by this name, so the definition here,
// exported by the program, takes the call and hands it on with the fastest
// level. Nothing else in our programs writes a zip through minizip.
extern "C" int ZEXPORT zipOpenNewFileInZip4_64(zipFile file, const char* filename, const zip_fileinfo* zipfi,
                                               const void* extrafield_local, uInt size_extrafield_local,
                                               const void* extrafield_global, uInt size_extrafield_global,
                                               const char* comment, int method, int level, int raw,
                                               int windowBits, int memLevel, int strategy, const char* password,
                                               uLong crcForCrypting, uLong versionMadeBy, uLong flagBase,
                                               int zip64) {
    using OpenEntry = int (*)(zipFile, const char*, const zip_fileinfo*, const void*, uInt, const void*, uInt,
                              const char*, int, int, int, int, int, int, const char*, uLong, uLong, uLong, int);
    static const auto minizip = reinterpret_cast<OpenEntry>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!minizip) return ZIP_INTERNALERROR;
    if (method == Z_DEFLATED && level == Z_DEFAULT_COMPRESSION) level = Z_BEST_SPEED;
    return minizip(file, filename, zipfi, extrafield_local, size_extrafield_local, extrafield_global,
                   size_extrafield_global, comment, method, level, raw, windowBits, memLevel, strategy, password,
                   crcForCrypting, versionMadeBy, flagBase, zip64);
}

namespace exchange {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const { workbook_close(w); }
};

void check(lxw_error error, const QString& path) {
    if (error != LXW_NO_ERROR)
        throw engine::TableError("The file " + path.toStdString() + " cannot be written: " + lxw_strerror(error));
}

lxw_format* captionFormat(lxw_workbook* book, bool right) {
    lxw_format* f = workbook_add_format(book);
    format_set_font_name(f, "MS Sans Serif");
    format_set_font_size(f, 8);
    format_set_border(f, LXW_BORDER_THIN);
    format_set_align(f, right ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
    format_set_bold(f);
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
    lxw_format* header[2] = {captionFormat(raw, false), captionFormat(raw, true)};
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
            const lxw_row_t row = lxw_row_t(r + 1);
            const lxw_col_t col = lxw_col_t(c);
            if (source.numberCell(r, int(c), number)) {
                check(worksheet_write_number(sheet, row, col, number, nullptr), path);
                continue;
            }
            source.cell(r, int(c), text);
            if (text.empty()) continue;
            check(!columns[c].text && readsAsNumber(text, number) ? worksheet_write_number(sheet, row, col, number, nullptr)
                                              : worksheet_write_string(sheet, row, col, text.c_str(), nullptr),
                  path);
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
