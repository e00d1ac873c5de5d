// The reader of OpenDocument spreadsheets: the zip container and content.xml with its repeated rows and cells.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pieces of 1 to 97 bytes, varying with the input, so that names,
    // attributes and characters fall across them too.
    const size_t piece = 1 + size % 97;
    return fuzzing::readWorkbook(data, size, "ods",
                                 [piece](const QString& path) { return exchange::openOdsWorkbook(path, piece); });
}
