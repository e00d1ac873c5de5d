// The reader of Office Open XML workbooks: the zip container, the workbook, its relationships, shared strings and the first sheet.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pieces of 1 to 97 bytes, varying with the input, so that names,
    // attributes and characters fall across them too.
    const size_t piece = 1 + size % 97;
    return fuzzing::readWorkbook(data, size, "xlsx",
                                 [piece](const QString& path) { return exchange::openXlsxWorkbook(path, piece); });
}
