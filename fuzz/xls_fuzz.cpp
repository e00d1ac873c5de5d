// The reader of Excel 97-2003 and Excel 5.0 workbooks through FreeXL.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::readWorkbook(data, size, "xls", exchange::openXlsWorkbook);
}
