#pragma once

#include <memory>

#include <QStringList>

#include "exchange/export_source.h"

namespace engine {
class Dataset;
}

namespace exchange {

// The caption list of the annex export: NRCRTA, IDANEXA, ANEXA, TIPANX ...
// MM, TIT, SUPTOT, the annex list's fields in the order the sheet wants.
const QStringList& annexCaptions();
// The 22 captions of the sheet, as row 1 holds them (and the import reads).
const QStringList& sheetCaptions();

// The annex list as the export writes it: those fields but IDANEXA, ANEXA
// and MM, each under its caption; an empty text as "** NUL **". The sheet is the one the import
// reads back.
std::unique_ptr<DatasetExportSource> annexExportSource(const engine::Dataset& anex);

}  // namespace exchange
