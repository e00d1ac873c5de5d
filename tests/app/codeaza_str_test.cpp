#include "app/codeaza_str.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace {

struct Case {
    const char* password;
    int length;
    const char* hex;
};

// Texts the original program stored for these passwords.
const Case kCases[] = {
    {"", 7, "572c2a48574fa1"},
    {"a", 9, "962e968b733bb4ae61"},
    {"parola", 14, "6c6d2a294e612f6f296c4a707261"},
    {"Parola", 14, "4d616b6c7239999d506f7f2c4d61"},
    {"Admin123", 16, "2a326d69294a2f296d642a4e31416e33"},
    {"primaria2009", 23, "61723270697f526172696d945b69308aa02261306d9839"},
};

TEST(CodeazaStr, GivesTheStoredBytesOfTheOriginalProgram) {
    for (const Case& c : kCases) {
        const QByteArray bytes = scrambledPasswordBytes(QByteArray(c.password));
        EXPECT_EQ(bytes.size(), c.length) << c.password;
        EXPECT_EQ(bytes.toHex(), QByteArray(c.hex)) << c.password;
    }
}

TEST(CodeazaStr, DependsOnlyOnItsInput) {
    // Whatever ran before, in any order, the result is the same.
    for (int round = 0; round < 2; ++round)
        for (auto it = std::rbegin(kCases); it != std::rend(kCases); ++it)
            EXPECT_EQ(platform::toCp1250(CodeazaStr(QString::fromLatin1(it->password))).toHex(), QByteArray(it->hex));
}

TEST(CodeazaStr, TextOfAnAsciiPasswordIsOfBytes32To181) {
    for (const QString& p : {QString(""), QString("x"), QString("Primaria 2009!"), QString(40, QChar('z'))}) {
        const QByteArray bytes = platform::toCp1250(CodeazaStr(p));
        EXPECT_GE(bytes.size(), platform::toCp1250(p).size() + 7);
        EXPECT_LE(bytes.size(), platform::toCp1250(p).size() + 36);
        for (const char b : bytes) {
            EXPECT_GE(uint8_t(b), 32);
            EXPECT_LE(uint8_t(b), 181);
        }
    }
}

TEST(CodeazaStr, LetterCaseAndRomanianLettersCount) {
    EXPECT_NE(CodeazaStr("parola"), CodeazaStr("Parola"));
    // Romanian letters count as their 1250 bytes.
    EXPECT_EQ(CodeazaStr(QString::fromUtf8("ă")), platform::fromCp1250(scrambledPasswordBytes("\xE3")));
}

}  // namespace
