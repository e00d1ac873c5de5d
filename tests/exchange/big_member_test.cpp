// Members of hundreds of megabytes: read whole when the workbook's size makes
// them sane, refused before the rest is read when they inflate (or say they
// would) far past it, and neither held in memory whole.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "exchange/workbook_reader.h"
#include "qstring_print.h"
#include "zip_writing.h"

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;

// A sheet of each kind whose member is one megabyte `blocks` times: a first
// row "Anexa 2A", then rows of spaces (an empty row each 4 KB), then a last
// row whose second cell is 1.5.
struct Kind {
    const char* extension;
    std::map<std::string, std::string> parts;
    std::string member;
    std::string head;
    std::string row;
    std::string tail;
};

const Kind kXlsx{
    "xlsx",
    {{"xl/workbook.xml",
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
     {"xl/_rels/workbook.xml.rels",
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"}},
    "xl/worksheets/sheet1.xml",
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
    "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Anexa 2A</t></is></c></row>",
    "<row/>",
    "<row><c/><c><v>1.5</v></c></row></sheetData></worksheet>"};

const Kind kOds{
    "ods",
    {},
    "content.xml",
    "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
    "<table:table table:name=\"A\"><table:table-row><table:table-cell><text:p>Anexa 2A</text:p>"
    "</table:table-cell></table:table-row>",
    "<table:table-row><table:table-cell/></table:table-row>",
    "<table:table-row><table:table-cell/><table:table-cell office:value-type=\"float\" office:value=\"1.5\">"
    "<text:p>1,5</text:p></table:table-cell></table:table-row></table:table>"
    "</office:spreadsheet></office:body></office:document-content>"};

constexpr size_t kRowSpan = 4096;

class BigMemberTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // The workbook of that kind, its member `blocks` megabytes, saying it
    // inflates to `declared` (0: its true size), with `padding` bytes more
    // in the archive that do not compress.
    QString book(const Kind& kind, uint64_t blocks, uint64_t declared, size_t padding) {
        const QString path = dir.path() + QStringLiteral("/book%1.%2").arg(++count_).arg(kind.extension);
        exchangetest::RepeatedMember member{kind.member, kind.head, std::string(), blocks, kind.tail};
        while (member.block.size() < kMiB) member.block += kind.row + std::string(kRowSpan - kind.row.size(), ' ');
        exchangetest::writeZipWithRepeatedMember(path, kind.parts, member, declared, padding);
        return path;
    }
    // The rows the book's sheet has.
    static int rowsOf(uint64_t blocks) { return int(2 + blocks * (kMiB / kRowSpan)); }

private:
    int count_ = 0;
};

TEST_F(BigMemberTest, ReadWithinReasonAndRefusedBeyondIt) {
    const struct {
        const Kind& kind;
        uint64_t blocks;
        uint64_t declared;
        size_t padding;
        const char* refusal;  // the message after "Foaia <member> din <path> "; none: the sheet is read
    } cases[] = {
        // 128 MB from an archive of some 1.2 MB: read, a piece at a time.
        {kXlsx, 128, 0, kMiB, nullptr},
        {kOds, 128, 0, kMiB, nullptr},
        // From archives of 0.1 to 1 MB: past the floor of 64 MB and past
        // 200 times the archive.
        {kXlsx, 96, 0, 0, "este prea mare (se despacheteaza la peste 64 MB din "},
        {kXlsx, 768, 0, 0, "este prea mare (se despacheteaza la peste "},
        {kOds, 768, 0, 0, "este prea mare (se despacheteaza la peste "},
        // Never past 1 GB, whatever the archive's size.
        {kXlsx, 1100, 0, 8 * kMiB, "este prea mare (se despacheteaza la peste 1024 MB din "},
        // Saying it is 1 MB: minizip stops there and finds the checksum
        // wrong; a reader that went on would stop past the limit.
        {kXlsx, 768, kMiB, 0, "este "},
        {kOds, 768, kMiB, 0, "este "},
    };
    for (const auto& c : cases) {
        const QString path = book(c.kind, c.blocks, c.declared, c.padding);
        const std::string label = QDir::toNativeSeparators(path).toStdString();
        if (!c.refusal) {
            const auto sheet = exchange::openWorkbookFile(path);
            EXPECT_EQ(sheet->usedRows(), rowsOf(c.blocks)) << label;
            EXPECT_EQ(sheet->usedColumns(), 2) << label;
            EXPECT_EQ(sheet->cellText(1, 1), QStringLiteral("Anexa 2A")) << label;
            EXPECT_EQ(sheet->cellText(rowsOf(c.blocks), 2), QStringLiteral("1.5")) << label;
            continue;
        }
        try {
            exchange::openWorkbookFile(path);
            ADD_FAILURE() << label << ": read";
        } catch (const exchange::WorkbookError& e) {
            const std::string expected = "Foaia " + c.kind.member + " din " + label + " " + c.refusal;
            EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
        }
    }
}

#ifdef __linux__
long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// In a process of its own: the peak of the tests run before would hide a
// growth.
TEST_F(BigMemberTest, ReadingTakesFarLessMemoryThanTheMembersInflateTo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString paths[] = {book(kXlsx, 128, 0, kMiB), book(kOds, 128, 0, kMiB), book(kXlsx, 768, 0, 0),
                             book(kOds, 768, 0, 0)};
    EXPECT_EXIT(
        {
            const long before = peakKb();
            for (const QString& path : paths) {
                try {
                    exchange::openWorkbookFile(path);
                } catch (const exchange::WorkbookError&) {
                    // The big ones are refused: the memory is what counts here.
                }
            }
            const long grownMb = (peakKb() - before) / 1024;
            std::fprintf(stderr, "the peak grew by %ld MB\n", grownMb);
            std::fflush(stderr);
            dir.remove();
            std::_Exit(grownMb < 32 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
