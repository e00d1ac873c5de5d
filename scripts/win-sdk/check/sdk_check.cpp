// One program over every library of the SDK: each does a small real job, and the program
// says which failed. Its argument is Terralog's BIFF5 workbook of the fuzz corpus
// (fuzz/corpus/xls/terralog_biff5.xls); "-platform offscreen" where no display is.
#include <QApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <SimpleIni.h>
#include <expat.h>
#include <freexl.h>
#include <libdeflate.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <minizip/iowin32.h>  // after ioapi.h, which it builds on
#include <xlsxwriter.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok)
        ++failures;
}

const std::string text = "Titlul de proprietate nr. 1250, parcela 17, tarlaua 4. " +
                         std::string(2000, 'x');

bool zlib_round_trip() {
    std::vector<Bytef> packed(compressBound(text.size()));
    uLongf packed_size = packed.size();
    std::string back(text.size(), '\0');
    uLongf back_size = back.size();
    return compress2(packed.data(), &packed_size, reinterpret_cast<const Bytef*>(text.data()),
                     text.size(), Z_BEST_SPEED) == Z_OK &&
           uncompress(reinterpret_cast<Bytef*>(back.data()), &back_size, packed.data(),
                      packed_size) == Z_OK &&
           back == text;
}

bool libdeflate_round_trip() {
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::vector<char> packed(libdeflate_deflate_compress_bound(c, text.size()));
    size_t packed_size = libdeflate_deflate_compress(c, text.data(), text.size(), packed.data(),
                                                     packed.size());
    std::string back(text.size(), '\0');
    size_t back_size = 0;
    bool ok = packed_size > 0 &&
              libdeflate_deflate_decompress(d, packed.data(), packed_size, back.data(), back.size(),
                                            &back_size) == LIBDEFLATE_SUCCESS &&
              back_size == text.size() && back == text;
    libdeflate_free_compressor(c);
    libdeflate_free_decompressor(d);
    return ok;
}

// minizip through iowin32's Win32 file calls: a zip written, then read back.
bool minizip_round_trip(const std::string& path) {
    zlib_filefunc64_def win32;
    fill_win32_filefunc64A(&win32);
    zipFile zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &win32);
    if (!zip)
        return false;
    bool ok = zipOpenNewFileInZip64(zip, "titlu.txt", nullptr, nullptr, 0, nullptr, 0, nullptr,
                                    Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) == ZIP_OK &&
              zipWriteInFileInZip(zip, text.data(), text.size()) == ZIP_OK &&
              zipCloseFileInZip(zip) == ZIP_OK;
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    unzFile unz = unzOpen2_64(path.c_str(), &win32);
    if (!ok || !unz)
        return false;
    std::string back(text.size() + 1, '\0');
    ok = unzLocateFile(unz, "titlu.txt", 1) == UNZ_OK && unzOpenCurrentFile(unz) == UNZ_OK &&
         unzReadCurrentFile(unz, back.data(), back.size()) == static_cast<int>(text.size()) &&
         unzCloseCurrentFile(unz) == UNZ_OK;
    unzClose(unz);
    back.resize(text.size());
    return ok && back == text;
}

// xlsxwriter over the SDK's minizip: the workbook holds its sheet.
bool xlsxwriter_workbook(const std::string& path) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (!workbook)
        return false;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Titluri");
    worksheet_write_string(sheet, 0, 0, "Suprafa\xC8\x9B\xC4\x83", nullptr);
    worksheet_write_number(sheet, 0, 1, 1250.5, nullptr);
    if (workbook_close(workbook) != LXW_NO_ERROR)
        return false;
    unzFile unz = unzOpen64(path.c_str());
    bool ok = unz && unzLocateFile(unz, "xl/worksheets/sheet1.xml", 1) == UNZ_OK;
    if (unz)
        unzClose(unz);
    return ok;
}

bool expat_parse() {
    std::string value;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &value);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char*, const XML_Char** attributes) {
        if (attributes[0] && std::strcmp(attributes[0], "t") == 0)
            *static_cast<std::string*>(data) = attributes[1];
    });
    const char xml[] = "<c t=\"\xC8\x9B" "arc\xC4\x83\"/>";
    bool ok = XML_Parse(parser, xml, sizeof xml - 1, 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok && value == "\xC8\x9B" "arc\xC4\x83";
}

// A BIFF5 workbook in code page 1250: FreeXL's text goes through the SDK's iconv.
bool freexl_reads_cp1250(const char* path) {
    const void* handle = nullptr;
    if (freexl_open(path, &handle) != FREEXL_OK)
        return false;
    FreeXL_CellValue cell;
    bool ok = freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
              freexl_get_cell_value(handle, 1, 1, &cell) == FREEXL_OK &&
              cell.type == FREEXL_CELL_TEXT &&
              std::strcmp(cell.value.text_value, "\xC5\x9E" "tef\xC4\x83ne\xC5\x9Fti") == 0;
    freexl_close(handle);
    return ok;
}

bool simpleini_round_trip() {
    CSimpleIniA ini;
    ini.SetUnicode();
    if (ini.LoadData("[Date]\nCALE=C:\\Terralog\\Data\n") < 0)
        return false;
    ini.SetValue("Date", "VER", "1.18");
    std::string saved;
    ini.Save(saved);
    CSimpleIniA again;
    return again.LoadData(saved) >= 0 &&
           std::strcmp(again.GetValue("date", "cale", ""), "C:\\Terralog\\Data") == 0 &&
           std::strcmp(again.GetValue("Date", "VER", ""), "1.18") == 0;
}

bool print_pdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.drawText(100, 100, QStringLiteral("Raport general"));
    painter.end();
    return QFileInfo(path).size() > 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sdk_check [-platform offscreen] BIFF5.xls\n");
        return 2;
    }
    QTemporaryDir dir;
    const std::string base = QDir::toNativeSeparators(dir.path()).toStdString() + "\\";

    check(zlib_round_trip(), "zlib");
    check(libdeflate_round_trip(), "libdeflate");
    check(minizip_round_trip(base + "a.zip"), "minizip with iowin32");
    check(xlsxwriter_workbook(base + "a.xlsx"), "libxlsxwriter");
    check(expat_parse(), "expat");
    check(freexl_reads_cp1250(argv[1]), "FreeXL over iconv");
    check(simpleini_round_trip(), "SimpleIni");

    QLabel label(QString::fromUtf8("Suprafa\xC8\x9B\xC4\x83"));
    label.show();
    QTest::qWait(50);
    check(label.isVisible() && !QApplication::platformName().isEmpty(), "Qt Widgets and Test");
    check(QStyleFactory::keys().contains("windowsvista", Qt::CaseInsensitive),
          "the Windows Vista style");
    check(QHostAddress(QStringLiteral("127.0.0.1")).isLoopback(), "Qt Network");
    check(print_pdf(QString::fromStdString(base + "a.pdf")), "Qt PrintSupport");

    std::printf("%s (%s)\n", failures ? "SDK check failed" : "SDK check passed",
                qPrintable(QApplication::platformName()));
    return failures ? 1 : 0;
}
