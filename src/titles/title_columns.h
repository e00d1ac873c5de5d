#pragma once

#include <QString>

#include "engine/dataset.h"

namespace titles {

// What every grid of titles shares.

// The widest code a title can bear (TPCOD holds nine digits): the code
// columns show it whole.
inline const QString kWidestCode = QStringLiteral("000000000");

// The calculated field the title grids show instead of DATA, so that a title
// without a date (none, or the 01.01.1900 that stands for none) shows an empty
// cell wherever titles are listed.
inline const char* const kShownDateField = "DATAS";

// Declares the field on a titles dataset and fills it on every row.
void addShownDate(engine::Dataset& titles);
// Fills the field of one row from its DATA.
void fillShownDate(engine::CalcRow& row);
// The stored field a click on a column header sorts by: the shown date sorts
// as a date, not as text.
QString sortFieldOf(const QString& column);

}  // namespace titles
