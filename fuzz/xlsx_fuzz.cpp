// The reader of Office Open XML workbooks: the zip container, the workbook, its relationships, shared strings and the first sheet.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::readWorkbook(data, size, "xlsx", exchange::openXlsxWorkbook);
}
