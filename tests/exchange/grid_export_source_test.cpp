// A report grid as the grid export takes it.
#include "engine/column_store.h"
#include "engine/dataset.h"
#include "exchange/grid_export_source.h"
#include "exchange_fixture.h"

namespace {

TEST(GridExportSource, VisibleColumnsInGridOrderWithTheCaptionsThenTheTitles) {
    auto store = std::make_shared<engine::ColumnStore>(std::vector<engine::FieldDef>{
        {"NRC", engine::FieldType::Number, 10, 0, 'N'},
        {"INSAT", engine::FieldType::Text, 24, 0, 'C'},
        {"SUPRAF", engine::FieldType::Number, 9, 4, 'N'},
        {"HIDDEN", engine::FieldType::Text, 5, 0, 'C'},
        {"LUNG", engine::FieldType::Number, 8, 4, 'N'}});
    const size_t r = store->appendRow();
    store->set(r, 0, engine::Value::number(engine::Decimal::fromInt(1)));
    store->set(r, 1, engine::Value::text("BRAN"));
    store->set(r, 2, engine::Value::number(*engine::Decimal::parse("2.5")));
    store->set(r, 3, engine::Value::text("x"));
    engine::MemoryDataset rows;
    rows.open(store);
    rows.first();
    const std::vector<ui::GridColumn> columns = {
        {QStringLiteral("NRC"), QStringLiteral("Nr."), true, {}, QString(), 0},
        {QStringLiteral("INSAT"), QStringLiteral("Sat"), true, {}, QString(), 0},
        {QStringLiteral("HIDDEN"), QStringLiteral("Ascuns"), false, {}, QString(), 0},
        {QStringLiteral("SUPRAF"), QStringLiteral("Supr."), true, {}, QStringLiteral("0.0000"), 0},
        {QStringLiteral("LUNG"), QStringLiteral("Lun\ngime"), true, Qt::AlignLeft, QString(), 0}};
    const exchange::GridExportSource source(columns, &rows,
                                            {QStringLiteral("Nr. Crt."), QStringLiteral("Satul"), QStringLiteral("Suprafata")});
    ASSERT_EQ(source.columns().size(), 4u);
    const QStringList expectedCaptions{"Nr. Crt.", "Satul", "Suprafata", "Lun gime"};
    const std::vector<bool> expectedRight{true, false, true, false};
    for (size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(source.columns()[c].caption, expectedCaptions[int(c)]);
        EXPECT_EQ(source.columns()[c].rightAligned, expectedRight[c]) << c;
    }
    ASSERT_EQ(source.rowCount(), 1);
    std::vector<std::string> cells(4);
    for (int c = 0; c < 4; ++c) source.cell(0, c, cells[size_t(c)]);
    // As the grid shows them: the format's decimals, an empty value empty.
    EXPECT_EQ(cells, (std::vector<std::string>{"1", "BRAN", "2.5000", ""}));
    // A number cell gives the number its text shows, without the text.
    for (int c = 0; c < 4; ++c) {
        double fromText = 0;
        const bool textIsNumber = exchange::readsAsNumber(cells[size_t(c)], fromText);
        double value = 0;
        EXPECT_EQ(source.numberCell(0, c, value), textIsNumber && c != 1) << c;
        if (textIsNumber) EXPECT_EQ(value, fromText) << c;
    }
    EXPECT_EQ(rows.recNo(), 0);
}

// A number rounded by its column's format is given as shown.
TEST(GridExportSource, NumberCellsAreRoundedAsTheGridShowsThem) {
    auto store = std::make_shared<engine::ColumnStore>(
        std::vector<engine::FieldDef>{{"SUPRAF", engine::FieldType::Number, 9, 4, 'N'}});
    for (const char* n : {"2.25", "-2.25", "0.0004"}) {
        const size_t r = store->appendRow();
        store->set(r, 0, engine::Value::number(*engine::Decimal::parse(n)));
    }
    engine::MemoryDataset rows;
    rows.open(store);
    const exchange::GridExportSource source({{QStringLiteral("SUPRAF"), QStringLiteral("S"), true, {}, QStringLiteral("0.0"), 0}},
                                            &rows, {});
    const std::vector<std::pair<std::string, double>> expected{{"2.3", 2.3}, {"-2.3", -2.3}, {"0.0", 0.0}};
    for (int r = 0; r < 3; ++r) {
        std::string text;
        source.cell(r, 0, text);
        double value = 1;
        ASSERT_TRUE(source.numberCell(r, 0, value));
        EXPECT_EQ(text, expected[size_t(r)].first);
        EXPECT_EQ(value, expected[size_t(r)].second);
    }
}

TEST(GridExportSource, AClosedDatasetHasNoRows) {
    engine::MemoryDataset rows;
    const exchange::GridExportSource source({{QStringLiteral("A"), QStringLiteral("A"), true, {}, QString(), 0}}, &rows, {});
    EXPECT_EQ(source.rowCount(), 0);
}

}  // namespace
