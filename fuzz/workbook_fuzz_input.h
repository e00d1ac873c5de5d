#pragma once

// The workbook readers read files by name: each input is written to a file
// of this process's own, which the reader then opens.
#include <cstdint>
#include <cstdio>
#include <string>

#include "exchange/workbook_readers.h"
#include "scratch_folder.h"

namespace fuzzing {

inline QString inputFile(const uint8_t* data, size_t size, const char* extension) {
    const std::string path = scratchFolder() + "/input." + extension;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return QString::fromStdString(path);
}

// Every cell of the used range once, as the import reads them (the range
// capped, as a sheet of a million empty rows is no fault).
inline void readAll(const exchange::WorkbookReader& book) {
    const int rows = std::min(book.usedRows(), 2000);
    const int columns = std::min(book.usedColumns(), 64);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c) (void)book.cellText(r, c).size();
}

template <typename Open>
int readWorkbook(const uint8_t* data, size_t size, const char* extension, Open open) {
    const QString path = inputFile(data, size, extension);
    try {
        readAll(*open(path));
    } catch (const exchange::WorkbookError&) {
        // A file that is not a workbook is refused with its reason: no fault.
    }
    std::remove(path.toStdString().c_str());
    return 0;
}

}  // namespace fuzzing
