// The cursor, lookups, calculated fields and notifications of datasets.
#include <gtest/gtest.h>

#include "engine/dataset.h"
#include "engine/errors.h"

using namespace engine;

namespace {

std::shared_ptr<ColumnStore> titles() {
    auto s = std::make_shared<ColumnStore>(std::vector<FieldDef>{
        {"IDTP", FieldType::Number, 10, 0, 'N'},
        {"TPNR", FieldType::Text, 16, 0, 'C'},
        {"DATA", FieldType::Date, 8, 0, 'D'},
    });
    const struct {
        int id;
        const char* nr;
        const char* date;
    } rows[] = {{2, "12", "05.06.1995"}, {3, "9", "01.01.1900"}, {4, "", nullptr}};
    for (const auto& r : rows) {
        const size_t i = s->appendRow();
        s->setNumber(i, 0, Decimal::fromInt(r.id));
        s->setText(i, 1, r.nr);
        if (r.date) s->setDate(i, 2, *Date::parseDmy(r.date));
    }
    return s;
}

struct Recorder : DatasetObserver {
    int resets = 0, moves = 0;
    void datasetReset(Dataset&) override { ++resets; }
    void currentChanged(Dataset&) override { ++moves; }
};

}  // namespace

TEST(Dataset, WalksRowsAndReadsFields) {
    MemoryDataset ds;
    ds.open(titles());
    ASSERT_EQ(ds.recordCount(), 3);
    std::vector<std::string> seen;
    for (ds.first(); !ds.eof(); ds.next()) seen.push_back(ds.field("tpnr").asString());
    EXPECT_EQ(seen, (std::vector<std::string>{"12", "9", ""}));
    ds.first();
    EXPECT_EQ(ds.field("IDTP").asInteger(), 2);
    EXPECT_EQ(ds.field("DATA").asString(), "05.06.1995");
    ds.last();
    EXPECT_TRUE(ds.field("DATA").isNull());
    EXPECT_TRUE(ds.field("TPNR").isNull());  // a blank text counts as NULL
    EXPECT_FALSE(ds.findField("FISIER").has_value());
    EXPECT_THROW(ds.field("FISIER"), BindError);
}

TEST(Dataset, LocateMovesOnlyOnAHit) {
    MemoryDataset ds;
    ds.open(titles());
    EXPECT_TRUE(ds.locate("IDTP", Value::number(Decimal::fromInt(3))));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_FALSE(ds.locate("IDTP", Value::number(Decimal::fromInt(99))));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.locate("TPNR", Value::text("12")));
    EXPECT_EQ(ds.recNo(), 0);
    EXPECT_TRUE(ds.locate("IDTP", Value::text("4")));  // a key given as text
    EXPECT_EQ(ds.recNo(), 2);
}

TEST(Dataset, CalculatedFieldsAndAfterScroll) {
    MemoryDataset ds;
    ds.addCalculatedField({"DATAS", FieldType::Text, 10, 0, 'C'});
    ds.onCalcFields = [](CalcRow& row) {
        const Value d = row.get("DATA");
        const std::string text = d.toString();
        row.set("DATAS", Value::text(text == "01.01.1900" ? "" : text));
    };
    int scrolls = 0;
    ds.afterScroll = [&](Dataset&) { ++scrolls; };
    ds.open(titles());
    EXPECT_EQ(scrolls, 1);  // opening lands on the first row
    EXPECT_EQ(ds.field("DATAS").asString(), "05.06.1995");
    ds.next();
    EXPECT_EQ(ds.field("DATAS").asString(), "");
    EXPECT_EQ(scrolls, 2);
    ds.next();
    ds.next();  // past the end: no move
    EXPECT_EQ(scrolls, 3);
    EXPECT_TRUE(ds.eof());
}

TEST(Dataset, ObserversAreQuietWhileControlsAreDisabled) {
    MemoryDataset ds;
    Recorder rec;
    ds.addObserver(&rec);
    ds.open(titles());
    EXPECT_EQ(rec.resets, 1);
    ds.disableControls();
    ds.next();
    ds.close();
    ds.open(titles());
    EXPECT_EQ(rec.resets, 1);
    ds.enableControls();
    EXPECT_EQ(rec.resets, 2);
    ds.removeObserver(&rec);
    ds.close();
    EXPECT_EQ(rec.resets, 2);
    EXPECT_EQ(ds.recNo(), -1);
    EXPECT_EQ(ds.recordCount(), 0);
}
