#pragma once

#include <vector>

#include "engine/dataset.h"
#include "ui/grid_column.h"

namespace reports {

// A report grid as a grid export or the printout takes it, without the
// window: its visible columns in grid order (field, title, alignment, format
// and the width shown, in pixels) and the dataset it shows, to be walked
// from the first row to the last. ui::DatasetModel over the two gives each
// cell's text as the grid shows it.
struct ReportGrid {
    std::vector<ui::GridColumn> columns;
    engine::Dataset* rows = nullptr;
};

}  // namespace reports
