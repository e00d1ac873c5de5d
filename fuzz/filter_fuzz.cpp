// The client-side filter parser on any text, over the fields and rows of a
// small titles list; a filter that compiles is run over every row.
#include <cstdint>
#include <string>

#include "engine/column_store.h"
#include "engine/errors.h"
#include "engine/filter.h"

namespace {

const engine::ColumnStore& titles() {
    static const engine::ColumnStore rows = [] {
        using engine::Decimal;
        using engine::Value;
        engine::ColumnStore r({{"IDTP", engine::FieldType::Number, 10, 0, 'N'},
                               {"TPNR", engine::FieldType::Text, 10, 0, 'C'},
                               {"INSAT", engine::FieldType::Text, 20, 0, 'C'},
                               {"DATA", engine::FieldType::Date, 8, 0, 'D'},
                               {"SUPTOT", engine::FieldType::Number, 9, 4, 'N'}});
        const char* villages[] = {"BRADU", "VALEA", "", "ŞES"};
        for (int i = 0; i < 6; ++i) {
            const size_t row = r.appendRow();
            r.set(row, 0, Value::number(Decimal::fromInt(i + 2)));
            r.set(row, 1, Value::text(std::to_string(10 + i)));
            if (i != 3) r.set(row, 2, Value::text(villages[i % 4]));
            if (i % 2) r.set(row, 3, Value::date(engine::Date::fromYmd(1995, 6, i + 1)));
            r.set(row, 4, Value::number(*Decimal::parse(i % 2 ? "1.25" : "0")));
        }
        return r;
    }();
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const engine::ColumnStore& rows = titles();
    try {
        const auto filter = engine::compileFilter(text, rows.fields());
        for (size_t r = 0; r < rows.rowCount(); ++r) filter->matches(rows, r);
    } catch (const engine::Error&) {
    }
    return 0;
}
