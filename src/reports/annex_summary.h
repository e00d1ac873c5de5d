#pragma once

#include <QString>

#include "engine/dataset.h"

namespace reports {

// The summary of the current annex line of `anex` that a report row's
// tooltip shows: the annex and its type, the author and heirs, and the
// approved land outside and inside the built-up area; lines separated by a
// carriage return.
QString annexLineSummary(const engine::Dataset& anex);

}  // namespace reports
