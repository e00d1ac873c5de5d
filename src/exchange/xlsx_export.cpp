// The Excel 2007+ workbook, written by libxlsxwriter in its constant-memory
// mode (rows go to disk as they are written). The caption row has the Excel
// 5.0 output's look (bold "MS Sans Serif" 8 pt, borders); the data cells
// have none, so that a sheet of 350,000 rows carries no style on each of its
// five million cells, and empty cells are not written at all. Numbers stand
// right and texts left by themselves.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include "data/progress.h"
#include "engine/errors.h"
#include "engine/os.h"
#include "exchange/export_writer.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const { workbook_close(w); }
};

// The file being written goes unless it took the target's name.
struct PartialFile {
    QString path;
    bool placed = false;
    ~PartialFile() {
        if (!placed) QFile::remove(path);
    }
};

void check(lxw_error error, const QString& path) {
    if (error != LXW_NO_ERROR)
        throw engine::TableError("Fisierul " + QDir::toNativeSeparators(path).toStdString() + " nu poate fi scris: " +
                                 lxw_strerror(error));
}

// libxlsxwriter compresses the whole sheet in workbook_close, which takes as
// long as writing the rows did. That last stretch is shown as a share of the
// bar: the file grows as the sheet is compressed, against the size the
// sheet's text lets expect (deflate leaves about a seventh of it).
constexpr int kPackingShare = 3;  // of every 10 steps of the bar
constexpr double kExpectedRatio = 0.14;
// The bytes a cell adds to the sheet's XML beside its own text.
constexpr size_t kCellMarkup = 24;
constexpr size_t kRowMarkup = 32;

lxw_error closeShowingProgress(lxw_workbook* book, const QString& file, uint64_t sheetBytes, data::Progress* progress,
                               int rowsDone) {
    if (!progress) return workbook_close(book);
    const int packing = std::max(1, rowsDone * kPackingShare / (10 - kPackingShare));
    progress->setMaximum(rowsDone + packing);
    progress->setPosition(rowsDone);
    std::atomic<bool> done{false};
    lxw_error closed = LXW_NO_ERROR;
    std::thread packer([&] {
        closed = workbook_close(book);
        done = true;
    });
    const double expected = std::max(1.0, double(sheetBytes) * kExpectedRatio);
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        const double share = std::min(0.99, double(QFileInfo(file).size()) / expected);
        progress->setPosition(rowsDone + int(share * packing));
    }
    packer.join();
    progress->setPosition(rowsDone + packing);
    return closed;
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
        throw engine::ValueError("O foaie Excel 2007 are cel mult " + std::to_string(LXW_ROW_MAX) + " randuri.");
    // The workbook is written under a name of its own beside the target, which
    // it replaces once complete; libxlsxwriter names files in the C library's
    // way, which on Windows cannot reach every name.
    const std::string target = platform::nativePath(path);
    const auto cannotCreate = [&] {
        return engine::TableError("Fisierul " + target + " nu poate fi creat: " +
                                  engine::os::describe(engine::os::lastError()));
    };
    std::string reserved;
    {
        // A name no other export takes, this process's included.
        const engine::os::File file =
            engine::os::File::createUnique(platform::nativePath(QFileInfo(path).absolutePath()), "~terralog-", reserved);
        if (!file) throw cannotCreate();
        file.defaultPermissions();
    }
    const QString partial = QString::fromStdString(reserved);
    const QByteArray file = platform::crtFileName(partial);
    QByteArray tmpdir = platform::crtFileName(QDir::tempPath());
    PartialFile guard{partial};
    if (file.isEmpty()) throw cannotCreate();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.isEmpty() ? nullptr : tmpdir.data();
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* raw = workbook_new_opt(file.constData(), &options);
    if (!raw) throw cannotCreate();
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
    uint64_t sheetBytes = 0;
    for (int r = 0; r < source.rowCount(); ++r) {
        sheetBytes += kRowMarkup;
        for (size_t c = 0; c < columns.size(); ++c) {
            const lxw_row_t row = lxw_row_t(r + 1);
            const lxw_col_t col = lxw_col_t(c);
            if (source.numberCell(r, int(c), number)) {
                check(worksheet_write_number(sheet, row, col, number, nullptr), path);
                sheetBytes += kCellMarkup + 8;
                continue;
            }
            source.cell(r, int(c), text);
            if (text.empty()) continue;
            sheetBytes += kCellMarkup + text.size();
            check(!columns[c].text && readsAsNumber(text, number) ? worksheet_write_number(sheet, row, col, number, nullptr)
                                              : worksheet_write_string(sheet, row, col, text.c_str(), nullptr),
                  path);
        }
        context.rowDone(r + 1);
    }
    check(closeShowingProgress(book.release(), partial, sheetBytes, context.progress, source.rowCount()), path);
    if (!engine::os::rename(platform::nativePath(partial), platform::nativePath(path)))
        throw engine::TableError("Fisierul " + target + " nu poate fi scris: " +
                                 engine::os::describe(engine::os::lastError()));
    guard.placed = true;
}

}  // namespace exchange
