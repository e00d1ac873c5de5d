#pragma once

// Annex lines in a memory dataset, for the grid tests.
#include <memory>

#include "engine/dataset.h"

namespace gridtest {

// A memory dataset whose visible rows a test can narrow, as a filter would.
class NarrowableDataset : public engine::MemoryDataset {
public:
    void open(std::shared_ptr<const engine::ColumnStore> rows) {
        rows_ = rows;
        MemoryDataset::open(std::move(rows));
    }
    // Keeps only these store rows, in this order; the first becomes current.
    void keepRows(std::vector<uint32_t> rows) { rowsChanged(rows_, std::move(rows), false, std::nullopt); }

private:
    std::shared_ptr<const engine::ColumnStore> rows_;
};

inline std::shared_ptr<engine::ColumnStore> annexLines() {
    using engine::FieldType;
    auto s = std::make_shared<engine::ColumnStore>(std::vector<engine::FieldDef>{
        {"NRCRTA", FieldType::Number, 10, 0, 'N'},
        {"TIPANX", FieldType::Text, 24, 0, 'C'},
        {"SATUL", FieldType::Text, 24, 0, 'C'},
        {"NUME", FieldType::Text, 120, 0, 'C'},
        {"MOSTEN", FieldType::Text, 120, 0, 'C'},
        {"TIT", FieldType::Text, 16, 0, 'C'},
        {"SUPTOT", FieldType::Number, 20, 4, 'F'},
        {"DATA", FieldType::Date, 8, 0, 'D'},
    });
    const struct {
        int nr;
        const char* sat;
        const char* nume;
        const char* tit;
        const char* suptot;  // null: NULL
        const char* data;    // null: NULL
    } rows[] = {
        {1, "BRADU", "POPESCU ION", "9", "12.5", "05.06.1995"},
        {2, "BRADU", "IONESCU MARIA", "10", "2.75", "01.01.1900"},
        {3, "VALEA", "STAN \xC8\x98" "TEFAN", "", nullptr, nullptr},
        {4, "VALEA", "DUMITRU ANA", "11", "0.0025", "31.12.2004"},
        {5, "DEALU", "MARIN GHEORGHE", "12", "100", "15.03.2001"},
    };
    for (const auto& r : rows) {
        const size_t i = s->appendRow();
        s->setNumber(i, 0, engine::Decimal::fromInt(r.nr));
        s->setText(i, 1, "Anexa 3");
        s->setText(i, 2, r.sat);
        s->setText(i, 3, r.nume);
        s->setText(i, 4, "");
        s->setText(i, 5, r.tit);
        if (r.suptot) s->setNumber(i, 6, *engine::Decimal::parse(r.suptot));
        if (r.data) s->setDate(i, 7, *engine::Date::parseDmy(r.data));
    }
    return s;
}

}  // namespace gridtest
