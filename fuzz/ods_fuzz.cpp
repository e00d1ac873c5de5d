// The reader of OpenDocument spreadsheets: the zip container and content.xml with its repeated rows and cells.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::readWorkbook(data, size, "ods", exchange::openOdsWorkbook);
}
