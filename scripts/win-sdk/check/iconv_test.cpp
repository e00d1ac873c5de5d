// The SDK's iconv over the Win32 code-page calls: the conversions FreeXL asks for, and where
// iconv must stop, with which errno and with its pointers on which character.
#include <iconv.h>
#include <localcharset.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

struct Result {
    size_t returned;
    int error;        // errno when iconv failed, else 0
    std::string out;  // what it wrote
    size_t taken;     // the input bytes it consumed
};

Result convert(const char* to, const char* from, const std::string& input, size_t room) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv_open(" << to << ", " << from << ") failed";
        return {};
    }
    std::string out(room, '\0');
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    char* o = out.data();
    size_t out_left = room;
    errno = 0;
    size_t returned = iconv(cd, &in, &in_left, &o, &out_left);
    int error = returned == static_cast<size_t>(-1) ? errno : 0;
    iconv_close(cd);
    EXPECT_EQ(in, input.data() + (input.size() - in_left)) << "input pointer and count disagree";
    EXPECT_EQ(o, out.data() + (room - out_left)) << "output pointer and count disagree";
    out.resize(room - out_left);
    return {returned, error, out, input.size() - in_left};
}

Result to_utf8(const char* from, const std::string& input) {
    return convert("UTF-8", from, input, input.size() * 4 + 1);  // FreeXL's room
}

TEST(Iconv, RomanianLettersFromCp1250) {
    Result r = to_utf8("CP1250", "\xE2\xBA\xFE\xAA\xDE\xE3\xEE");
    EXPECT_EQ(r.returned, 0u);
    EXPECT_EQ(r.out, "\xC3\xA2\xC5\x9F\xC5\xA3\xC5\x9E\xC5\xA2\xC4\x83\xC3\xAE");  // âşţŞŢăî
    EXPECT_EQ(r.taken, 7u);
}

TEST(Iconv, Utf16WithASurrogatePair) {
    Result r = to_utf8("UTF-16LE", std::string("A\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(r.returned, 0u);
    EXPECT_EQ(r.out, "A\xF0\x9F\x98\x80");
}

TEST(Iconv, ToUtf16) {
    Result r = convert("UTF-16LE", "UTF-8", "\xC8\x9B" "a", 8);  // ța
    EXPECT_EQ(r.out, std::string("\x1B\x02" "a\0", 4));
}

TEST(Iconv, DoubleByteCodePage) {
    EXPECT_EQ(to_utf8("CP932", "\x82\xA0" "a").out, "\xE3\x81\x82" "a");  // あa
}

TEST(Iconv, MacRomanAndAscii) {
    EXPECT_EQ(to_utf8("MacRoman", "\x8A").out, "\xC3\xA4");  // ä
    EXPECT_EQ(to_utf8("ASCII", "Parcela 12").out, "Parcela 12");
}

TEST(Iconv, NamesIgnoreCase) {
    EXPECT_EQ(convert("utf-8", "cp1250", "\xBA", 4).out, "\xC5\x9F");
}

TEST(Iconv, LongTextInOneCall) {
    std::string input;
    std::string expected;
    for (int i = 0; i < 50000; ++i) {
        input += "\xBA" "x";
        expected += "\xC5\x9F" "x";
    }
    Result r = to_utf8("CP1250", input);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.out, expected);
}

TEST(Iconv, FullOutputStopsBeforeTheCharacterThatDoesNotFit) {
    Result r = convert("UTF-8", "CP1250", "a\xBA" "b", 2);
    EXPECT_EQ(r.returned, static_cast<size_t>(-1));
    EXPECT_EQ(r.error, E2BIG);
    EXPECT_EQ(r.out, "a");
    EXPECT_EQ(r.taken, 1u);
}

TEST(Iconv, InputCutShortStopsBeforeTheLastCharacter) {
    Result odd = to_utf8("UTF-16LE", std::string("A\0B", 3));
    EXPECT_EQ(odd.error, EINVAL);
    EXPECT_EQ(odd.out, "A");
    EXPECT_EQ(odd.taken, 2u);

    Result half_pair = to_utf8("UTF-16LE", std::string("A\0\x3D\xD8", 4));
    EXPECT_EQ(half_pair.error, EINVAL);
    EXPECT_EQ(half_pair.taken, 2u);

    Result lead_byte = to_utf8("CP932", "a\x82");
    EXPECT_EQ(lead_byte.error, EINVAL);
    EXPECT_EQ(lead_byte.out, "a");

    Result utf8 = convert("CP1250", "UTF-8", "ab\xC5", 8);
    EXPECT_EQ(utf8.error, EINVAL);
    EXPECT_EQ(utf8.out, "ab");
}

TEST(Iconv, InvalidInputStopsOnIt) {
    Result utf8 = convert("CP1250", "UTF-8", "ab\xFF" "cd", 8);
    EXPECT_EQ(utf8.error, EILSEQ);
    EXPECT_EQ(utf8.out, "ab");
    EXPECT_EQ(utf8.taken, 2u);

    Result lone = to_utf8("UTF-16LE", std::string("x\0\x00\xDC", 4));
    EXPECT_EQ(lone.error, EILSEQ);
    EXPECT_EQ(lone.out, "x");
    EXPECT_EQ(lone.taken, 2u);
}

TEST(Iconv, CharacterMissingFromTheTargetCodePage) {
    Result r = convert("CP1250", "UTF-8", "x\xE4\xB8\xAD" "y", 8);  // 中 is not in CP1250
    EXPECT_EQ(r.error, EILSEQ);
    EXPECT_EQ(r.out, "x");
    EXPECT_EQ(r.taken, 1u);
}

TEST(Iconv, UnknownCharsetsAreRefused) {
    for (const char* name : {"KOI9", "CP", "CP0", "CP12x", "CP99999", "UTF-32"}) {
        errno = 0;
        EXPECT_EQ(iconv_open("UTF-8", name), reinterpret_cast<iconv_t>(-1)) << name;
        EXPECT_EQ(errno, EINVAL) << name;
    }
}

TEST(Iconv, NoInputMeansNoState) {
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    EXPECT_EQ(iconv(cd, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(iconv_close(cd), 0);
}

TEST(LocaleCharset, NamesTheAnsiCodePage) {
    EXPECT_THAT(locale_charset(), testing::MatchesRegex("CP\\d+"));
}

}  // namespace
