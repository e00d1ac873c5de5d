#pragma once

#include <QString>
#include <Qt>

namespace ui {

// One column of a data grid, as a form declares it.
struct GridColumn {
    QString field;  // the dataset's field shown
    QString title;  // may hold "\n" to break the title over lines
    bool visible = true;
    // Empty: numbers to the right, everything else to the left.
    Qt::Alignment alignment = {};
    // "0.0000" shows numbers with that many decimals (up to four); empty
    // shows them in their shortest form (12.5).
    QString format;
    // Pixels; 0 sizes the column from its field's width and its title.
    int width = 0;
};

// A caption over the titles of adjacent columns, from firstField to
// lastField inclusive, in the grid's column order.
struct GridBand {
    QString caption;
    QString firstField;
    QString lastField;
};

}  // namespace ui
