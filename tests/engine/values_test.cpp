// Exact numbers, dates and the text order of the register.
#include <gtest/gtest.h>

#include "engine/date.h"
#include "engine/decimal.h"
#include "engine/errors.h"
#include "engine/text.h"

using engine::Date;
using engine::Decimal;

TEST(Decimal, ParsesAndPrintsShortestForm) {
    struct Case {
        const char* text;
        const char* shortest;
        const char* fixed4;
    } cases[] = {
        {"0", "0", "0.0000"},          {"12", "12", "12.0000"},       {"1.5", "1.5", "1.5000"},
        {"12.0025", "12.0025", "12.0025"}, {"-0.1", "-0.1", "-0.1000"}, {" 3. ", "3", "3.0000"},
        {".25", "0.25", "0.2500"},     {"+7", "7", "7.0000"},
        {"1.23456", "1.2346", "1.2346"},   // rounded half away from zero
        {"-1.23455", "-1.2346", "-1.2346"}, {"0.00004", "0", "0.0000"}, {"-0.00004", "0", "0.0000"},
        {"9999999999", "9999999999", "9999999999.0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto d = Decimal::parse(c.text);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->toString(), c.shortest);
        EXPECT_EQ(d->toFixed(4), c.fixed4);
    }
}

TEST(Decimal, RejectsWhatIsNotANumber) {
    for (const char* text : {"", " ", "-", ".", "1,5", "12a", "1e3", "** NUL **", "1.2.3", "99999999999999999999"})
        EXPECT_FALSE(Decimal::parse(text).has_value()) << text;
}

TEST(Decimal, SumsExactly) {
    Decimal sum;
    for (int i = 0; i < 10; ++i) sum += *Decimal::parse("0.1");
    EXPECT_EQ(sum, Decimal::fromInt(1));
    EXPECT_EQ((*Decimal::parse("2.5") + *Decimal::parse("0.25") + *Decimal::parse("0.1")).toFixed(4), "2.8500");
}

TEST(Decimal, RoundsHalfAwayFromZero) {
    EXPECT_EQ(Decimal::parse("2.5")->rounded(0).toString(), "3");
    EXPECT_EQ(Decimal::parse("-2.5")->rounded(0).toString(), "-3");
    EXPECT_EQ(Decimal::parse("1.2345")->rounded(3).toString(), "1.235");
    EXPECT_EQ(Decimal::parse("1.2344")->rounded(3).toString(), "1.234");
    EXPECT_EQ((*Decimal::parse("1") / *Decimal::parse("3")).toString(), "0.3333");
    EXPECT_EQ((*Decimal::parse("2") / *Decimal::parse("3")).toString(), "0.6667");
    EXPECT_EQ((*Decimal::parse("1.5") * *Decimal::parse("1.5")).toString(), "2.25");
}

TEST(Decimal, OverflowIsAnError) {
    const Decimal big = Decimal::fromUnits(INT64_MAX);
    EXPECT_THROW(big + Decimal::fromInt(1), engine::ValueError);
    EXPECT_THROW(Decimal::fromInt(1) / Decimal(), engine::ValueError);
    EXPECT_EQ(big.toFixed(4), "922337203685477.5807");
}

TEST(Date, ReadsAndWritesBothForms) {
    const auto d = Date::parseDmy("01.01.1900");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->toDmy(), "01.01.1900");
    EXPECT_EQ(d->toStored(), "19000101");
    EXPECT_EQ(Date::parseDmy("9.3.2024")->toDmy(), "09.03.2024");
    EXPECT_EQ(Date::parseStored("20240229")->toDmy(), "29.02.2024");
    EXPECT_LT(*Date::parseDmy("31.12.1999"), *Date::parseDmy("01.01.2000"));
}

TEST(Date, ImpossibleDatesAreErrorsAndBlanksAreNone) {
    EXPECT_THROW(Date::parseDmy("30.02.2023"), engine::ValueError);
    EXPECT_THROW(Date::parseDmy("01.13.2023"), engine::ValueError);
    EXPECT_THROW(Date::parseDmy("29.02.1900"), engine::ValueError);
    EXPECT_FALSE(Date::parseDmy("2023-01-01"));
    EXPECT_FALSE(Date::parseDmy("1.1.23"));
    for (const char* stored : {"        ", "00000000", "20231301", "2023010"})
        EXPECT_FALSE(Date::parseStored(stored)) << stored;
}

TEST(TextOrder, FollowsTheRomanianAlphabet) {
    // Each pair: first sorts strictly before second.
    const char* pairs[][2] = {
        {"10", "9"},           {"ABC", "ABD"},        {"a", "B"},          {"A", "a"},
        {"ANA", "ĂNA"},        {"ĂNA", "ÂNA"},        {"ÂNA", "BNA"},      {"IOAN", "ÎOAN"},
        {"ÎOAN", "JOAN"},      {"SAVU", "ŞAVU"},      {"ŞAVU", "TANASE"},  {"TUDOR", "ŢUDOR"},
        {"ŢUDOR", "UNGUR"},    {"Z", "["},            {"", " "},           {" * toate *", "ARAD"},
        {"ION", "IONESCU"},    {"Ăla", "ăla"},
    };
    for (const auto& p : pairs) {
        EXPECT_LT(engine::compareText(p[0], p[1]), 0) << p[0] << " < " << p[1];
        EXPECT_GT(engine::compareText(p[1], p[0]), 0) << p[1] << " > " << p[0];
    }
    EXPECT_EQ(engine::compareText("ŞTEFAN", "ŞTEFAN"), 0);
    // Comma-below and cedilla forms are the same letter; the exact bytes break the tie.
    EXPECT_NE(engine::compareText("Ș", "Ş"), 0);
    EXPECT_LT(engine::compareText("ȘA", "ŞB"), 0);
}

TEST(TextOrder, LikeIsCaseSensitiveWithBothWildcards) {
    struct Case {
        const char* text;
        const char* pattern;
        bool match;
    } cases[] = {
        {"POPESCU ION", "%ION%", true}, {"POPESCU ION", "%ion%", false}, {"12", "12%", true},
        {"120", "12%", true},           {"12A", "12%", true},            {"312", "12%", false},
        {"AB", "A_", true},             {"ĂB", "_B", true},              {"AB", "A", false},
        {"", "%", true},                {"", "_", false},                {"ŞTEFAN", "%TEF%", true},
        {"abcabd", "%abd", true},       {"x%y", "x%y", true},
    };
    for (const auto& c : cases) EXPECT_EQ(engine::likeMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
}
