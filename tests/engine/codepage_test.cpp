// Code pages of table files: byte tables, Romanian letters, driver bytes and .cpg names.
#include <gtest/gtest.h>

#include "engine/codepage.h"
#include "engine/errors.h"

using engine::CodePage;

namespace {

const CodePage kEightBitPages[] = {CodePage::Cp1250, CodePage::Cp1252,    CodePage::Cp437,    CodePage::Cp850,
                                   CodePage::Cp852,  CodePage::Iso8859_1, CodePage::Iso8859_2};

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += char(v);
    return s;
}

}  // namespace

TEST(CodePage, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    for (CodePage page : kEightBitPages) {
        SCOPED_TRACE(engine::codePageName(page));
        const std::string utf8 = engine::decodeToUtf8(all, page);
        EXPECT_EQ(engine::encodeFromUtf8(utf8, page), all);
    }
}

TEST(CodePage, KnownLetters) {
    struct Case {
        CodePage page;
        const char* utf8;
        std::string encoded;
    } cases[] = {
        {CodePage::Cp1250, "ăâîşţĂÂÎŞŢ€", bytes({0xE3, 0xE2, 0xEE, 0xBA, 0xFE, 0xC3, 0xC2, 0xCE, 0xAA, 0xDE, 0x80})},
        {CodePage::Cp852, "ăâîşţĂÂÎŞŢ", bytes({0xC7, 0x83, 0x8C, 0xAD, 0xEE, 0xC6, 0xB6, 0xD7, 0xB8, 0xDD})},
        {CodePage::Iso8859_2, "ăâîşţŞŢ", bytes({0xE3, 0xE2, 0xEE, 0xBA, 0xFE, 0xAA, 0xDE})},
        {CodePage::Cp437, "éÇ░", bytes({0x82, 0x80, 0xB0})},
        {CodePage::Cp850, "éãÃ", bytes({0x82, 0xC6, 0xC7})},
        {CodePage::Cp1252, "€éŠ", bytes({0x80, 0xE9, 0x8A})},
        {CodePage::Iso8859_1, "éÿ", bytes({0xE9, 0xFF})},
        {CodePage::Utf8, "ăș", "ăș"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(engine::encodeFromUtf8(c.utf8, c.page), c.encoded);
        EXPECT_EQ(engine::decodeToUtf8(c.encoded, c.page), c.utf8);
    }
}

TEST(CodePage, CommaBelowLettersBecomeCedillaLetters) {
    for (CodePage page : {CodePage::Cp1250, CodePage::Cp852, CodePage::Iso8859_2}) {
        SCOPED_TRACE(engine::codePageName(page));
        EXPECT_EQ(engine::encodeFromUtf8("ș ț Ș Ț", page), engine::encodeFromUtf8("ş ţ Ş Ţ", page));
    }
}

TEST(CodePage, UnassignedBytesOf1250PassThroughC1Controls) {
    for (int b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        const std::string utf8 = engine::decodeToUtf8(std::string(1, char(b)), CodePage::Cp1250);
        EXPECT_EQ(utf8, std::string({char(0xC2), char(b)})) << b;
    }
}

TEST(CodePage, MissingCharacterIsReported) {
    struct Case {
        CodePage page;
        const char* utf8;
        char32_t bad;
    } cases[] = {
        {CodePage::Cp1252, "Ştefan", U'Ş'}, {CodePage::Cp1252, "ș", U'ș'},   {CodePage::Cp1250, "ab€c→", U'→'},
        {CodePage::Cp437, "ă", U'ă'},       {CodePage::Iso8859_1, "€", U'€'}, {CodePage::Cp1250, "日本", U'日'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        std::string out;
        char32_t bad = 0;
        EXPECT_FALSE(engine::tryEncodeFromUtf8(c.utf8, c.page, out, bad));
        EXPECT_EQ(bad, c.bad);
        try {
            engine::encodeFromUtf8(c.utf8, c.page);
            ADD_FAILURE() << "no error";
        } catch (const engine::ValueError& e) {
            EXPECT_NE(std::string(e.what()).find("U+"), std::string::npos) << e.what();
        }
    }
}

TEST(CodePage, InvalidUtf8InATableBecomesReplacementCharacters) {
    EXPECT_EQ(engine::decodeToUtf8(bytes({'a', 0xC3, 'b', 0xFF}), CodePage::Utf8), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(engine::decodeToUtf8("ăș", CodePage::Utf8), "ăș");
}

TEST(CodePage, LanguageDriverBytes) {
    struct Case {
        int ldid;
        std::optional<CodePage> page;
    } cases[] = {
        {0x00, CodePage::Cp1250}, {0xC8, CodePage::Cp1250}, {0x57, CodePage::Cp1252}, {0x03, CodePage::Cp1252},
        {0x01, CodePage::Cp437},  {0x02, CodePage::Cp850},  {0x64, CodePage::Cp852},  {0x4D, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(engine::codePageFromLdid(uint8_t(c.ldid)), c.page) << c.ldid;
    for (CodePage page : {CodePage::Cp1250, CodePage::Cp1252, CodePage::Cp437, CodePage::Cp850, CodePage::Cp852})
        EXPECT_EQ(engine::codePageFromLdid(engine::ldidOf(page)), page) << engine::codePageName(page);
}

TEST(CodePage, CpgFileContents) {
    struct Case {
        const char* content;
        std::optional<CodePage> page;
    } cases[] = {
        {"UTF-8", CodePage::Utf8},          {"utf8\r\n", CodePage::Utf8},        {"1250", CodePage::Cp1250},
        {"CP1250", CodePage::Cp1250},       {"ANSI 1250", CodePage::Cp1250},     {"Windows-1252", CodePage::Cp1252},
        {"ISO-8859-2", CodePage::Iso8859_2}, {"88591", CodePage::Iso8859_1},     {"LATIN1", CodePage::Iso8859_1},
        {"OEM 852", CodePage::Cp852},       {"437", CodePage::Cp437},            {"cp850", CodePage::Cp850},
        {"KOI8-R", std::nullopt},           {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(engine::codePageFromCpg(c.content), c.page) << c.content;
}
