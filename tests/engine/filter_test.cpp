// Client-side filter expressions over the rows of an open dataset.
#include <gtest/gtest.h>

#include "engine/dataset.h"
#include "engine/errors.h"
#include "engine/filter.h"

using namespace engine;

namespace {

std::shared_ptr<ColumnStore> titles() {
    auto s = std::make_shared<ColumnStore>(std::vector<FieldDef>{
        {"IDTP", FieldType::Number, 10, 0, 'N'},
        {"TPNR", FieldType::Text, 16, 0, 'C'},
        {"INSAT", FieldType::Text, 24, 0, 'C'},
        {"TITULAR", FieldType::Text, 120, 0, 'C'},
        {"PARCELA", FieldType::Number, 6, 0, 'N'},
        {"IDANEXA", FieldType::Number, 10, 0, 'N'},
        {"DATA", FieldType::Date, 8, 0, 'D'},
        {"TIP", FieldType::Text, 10, 0, 'C'},
    });
    const struct {
        int id;
        const char* nr;
        const char* village;
        const char* holder;
        const char* parcel;  // nullptr: NULL
        const char* annex;
        const char* date;
        const char* type;
    } rows[] = {
        {2, "12", "SAT A", "ION", "0", "125", "05.06.1995", " * toate *"},
        {3, "120", "SAT B", "", "7", "-1", nullptr, "EXTRAVILAN"},
        {4, "312", "Sat A", "ion", nullptr, nullptr, "01.01.1900", "INTRAVILAN"},
        {5, "12A", "ŞAT", "ION", "12", "0", "05.06.1995", ""},
    };
    for (const auto& r : rows) {
        const size_t i = s->appendRow();
        s->setNumber(i, 0, Decimal::fromInt(r.id));
        s->setText(i, 1, r.nr);
        s->setText(i, 2, r.village);
        s->setText(i, 3, r.holder);
        if (r.parcel) s->setNumber(i, 4, *Decimal::parse(r.parcel));
        if (r.annex) s->setNumber(i, 5, *Decimal::parse(r.annex));
        if (r.date) s->setDate(i, 6, *Date::parseDmy(r.date));
        s->setText(i, 7, r.type);
    }
    return s;
}

// The IDTP of the rows a filter lets through, in order.
std::vector<int> passing(const std::string& filter) {
    const auto rows = titles();
    const auto f = compileFilter(filter, rows->fields());
    std::vector<int> ids;
    for (size_t r = 0; r < rows->rowCount(); ++r)
        if (f->matches(*rows, r)) ids.push_back(int(rows->number(r, 0).wholePart()));
    return ids;
}

}  // namespace

TEST(Filter, ExpressionsOfTheForms) {
    const struct {
        const char* filter;
        std::vector<int> ids;
    } cases[] = {
        {"IDANEXA=125", {2}},
        {"IDANEXA=-1", {3}},
        {"IDTP=-1", {}},
        {"(IDANEXA IS NULL)", {4}},
        {"IDANEXA IS NOT NULL", {2, 3, 5}},
        {"TPNR='12*'", {2, 3, 5}},  // a prefix: 12, 120, 12A but not 312
        {"TPNR<>'12*'", {4}},
        {"TPNR='12'", {2}},
        {"TPNR=\"12\"", {2}},  // double quotes accepted
        {"TPNR='*'", {2, 3, 4, 5}},
        {"INSAT='SAT A'", {2}},  // case counts
        {"INSAT='ŞAT'", {5}},
        {"TITULAR=''", {3}},  // a blank text equals ''
        {"(TITULAR IS NULL)", {3}},
        {"TIP=' * toate *'", {2}},
        {"(INSAT='SAT A') AND (TITULAR='ION') AND (PARCELA=0) AND (TIP=' * toate *')", {2}},
        {"(INSAT='SAT A') AND (TITULAR='ION') AND (PARCELA=7)", {}},
        {"(IDANEXA IS NULL) OR (IDANEXA<0)", {3, 4}},
        {"IDANEXA<>125", {3, 5}},  // NULL equals nothing and differs from nothing
        {"NOT (IDANEXA=125)", {3, 4, 5}},
        {"PARCELA>=7", {3, 5}},
        {"PARCELA<7 OR PARCELA>7", {2, 5}},
        {"TPNR>'2'", {4}},       // texts in alphabetical order: "312" after "2", "12A" before
        {"INSAT<'SAT B'", {2, 4}},  // letters as capitals; Ş comes after all of S
        {"DATA='05.06.1995'", {2, 5}},
        {"DATA>'01.01.1900'", {2, 5}},
        {"PARCELA='12'", {5}},  // a quoted number compared with a number field
        {"TITULAR='ION' AND NOT (TPNR='12A')", {2}},
    };
    for (const auto& c : cases) EXPECT_EQ(passing(c.filter), c.ids) << c.filter;
}

TEST(Filter, BadTextsAreReported) {
    const auto rows = titles();
    try {
        compileFilter("(INSAT='X') AND\n(PARCELA=)", rows->fields());
        FAIL() << "no syntax error";
    } catch (const SyntaxError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.column(), 10);
        EXPECT_NE(std::string(e.what()).find("')'"), std::string::npos) << e.what();
    }
    try {
        compileFilter("TITULAR='O'NEIL'", rows->fields());
        FAIL() << "no syntax error";
    } catch (const SyntaxError& e) {
        EXPECT_EQ(e.column(), 12);
        EXPECT_NE(std::string(e.what()).find("'NEIL'"), std::string::npos) << e.what();
    }
    try {
        compileFilter("NRTARLA='5'", rows->fields());
        FAIL() << "no bind error";
    } catch (const BindError& e) {
        EXPECT_NE(std::string(e.what()).find("NRTARLA"), std::string::npos) << e.what();
    }
    EXPECT_THROW(compileFilter("TPNR='12", rows->fields()), SyntaxError);
    EXPECT_THROW(compileFilter("DATA='31.02.2024'", rows->fields()), ValueError);
    EXPECT_THROW(compileFilter("IDTP='abc'", rows->fields()), ValueError);
    EXPECT_THROW(compileFilter("TPNR=12", rows->fields()), BindError);
    EXPECT_THROW(compileFilter("TPNR", rows->fields()), BindError);
}

TEST(Filter, AppliesToAnOpenDatasetAndSurvivesABadText) {
    MemoryDataset ds;
    ds.open(titles());
    ds.setFilter("TPNR='12*'");
    ds.setFiltered(true);
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_THROW(ds.setFilter("TPNR='12"), SyntaxError);
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.filter(), "TPNR='12*'");
    ds.setFilter("IDANEXA=125");
    EXPECT_EQ(ds.recordCount(), 1);
    ds.setFiltered(false);
    EXPECT_EQ(ds.recordCount(), 4);
}
