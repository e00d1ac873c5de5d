#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/column_store.h"

namespace engine {

// A client-side filter over the rows of an open dataset: the expressions the
// forms set, such as IDANEXA=125, (MM IS NULL), TPNR='12*' (a prefix match) and
// (INSAT='X') AND (PARCELA=0). Texts are in single quotes.
class RowFilter {
public:
    virtual ~RowFilter() = default;
    virtual bool matches(const ColumnStore& rows, size_t row) const = 0;
};

// Throws SyntaxError for a filter text that cannot be parsed and BindError for
// a field the rows do not have.
std::unique_ptr<RowFilter> compileFilter(std::string_view text, const std::vector<FieldDef>& fields);

}  // namespace engine
