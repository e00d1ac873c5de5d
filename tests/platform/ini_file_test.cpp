#include "platform/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "platform/platform_error.h"

using platform::IniFile;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Terralog.ini"); }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
    IniFile ini(path());
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "");
    EXPECT_FALSE(ini.lookup("INDEX", "IDTP").has_value());
    ini.write("INDEX", "IDTP", "7");
    EXPECT_EQ(ini.read("SETARI", "IDTP"), "");
    EXPECT_EQ(ini.read("INDEX", "IDDET"), "");
}

TEST_F(IniFileTest, WritesPlainLinesInCodePage1250) {
    IniFile ini(path());
    ini.write("INDEX", "IDTP", "12");
    ini.write("SETARI", "PRIMARIA", QString::fromUtf8("Primăria Bârlad"));
    EXPECT_EQ(readBytes(path()), QByteArray("[INDEX]\r\nIDTP=12\r\n\r\n[SETARI]\r\nPRIMARIA=Prim\xE3ria B\xE2rlad\r\n"));
}

TEST_F(IniFileTest, ReadsFileOfTheOriginalProgramWithoutRegardToCase) {
    writeBytes(path(), "[Index]\r\nidtp = 41\r\nIDDET=9\r\n[setari]\r\nPrimaria=Prim\xE3ria \xAAtefan\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "41");
    EXPECT_EQ(ini.read("index", "iddet"), "9");
    EXPECT_EQ(ini.read("SETARI", "PRIMARIA"), QString::fromUtf8("Primăria Ştefan"));
    // A write into a section of other case keeps the file's spelling.
    ini.write("INDEX", "IDTP", "42");
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "42");
    EXPECT_TRUE(readBytes(path()).contains("[Index]\r\nidtp=42\r\n"));
    EXPECT_FALSE(readBytes(path()).contains("[INDEX]"));
}

TEST_F(IniFileTest, OpensTheFileAnewOnEveryCall) {
    IniFile ini(path());
    ini.write("INDEX", "IDTP", "5");
    writeBytes(path(), "[INDEX]\r\nIDTP=77\r\n");
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "77");
    EXPECT_EQ(IniFile(path()).read("INDEX", "IDTP"), "77");
}

TEST_F(IniFileTest, EveryByteOfTheCodePageRoundTrips) {
    QByteArray all;
    for (int b = 33; b < 256; ++b) all.append(char(b));
    writeBytes(path(), "[K]\r\nV=" + all + "\r\n");
    IniFile ini(path());
    const QString decoded = ini.read("K", "V");
    ASSERT_EQ(decoded.size(), all.size());
    EXPECT_EQ(decoded.at(0x98 - 33), QChar(0x98));  // unassigned in 1250
    EXPECT_EQ(decoded.at(0xE3 - 33), QChar(0x0103));  // ă
    ini.write("K", "V", decoded);
    EXPECT_EQ(readBytes(path()), "[K]\r\nV=" + all + "\r\n");
    EXPECT_EQ(ini.read("K", "V"), decoded);
}

TEST_F(IniFileTest, OuterBlanksAndQuotesSurviveARoundTrip) {
    IniFile ini(path());
    for (const QString& value : {QString(" lead"), QString("trail "), QString("\"quoted\""), QString("\""),
                                QString("in\"side"), QString("a=b;c"), QString("")}) {
        ini.write("S", "K", value);
        EXPECT_EQ(ini.read("S", "K"), value) << value.toStdString();
    }
    // As the Windows profile functions read it, too.
    writeBytes(path(), "[S]\r\nK=\"  x \"\r\n");
    EXPECT_EQ(ini.read("S", "K"), "  x ");
}

TEST_F(IniFileTest, LineBreaksCannotAddKeys) {
    IniFile ini(path());
    ini.write("SETARI", "PRIMARIA", "Primaria\r\n[INDEX]\nIDTP=1");
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "");
    EXPECT_EQ(ini.read("SETARI", "PRIMARIA"), "Primaria  [INDEX] IDTP=1");
}

TEST_F(IniFileTest, RemoveDeletesOnlyThatKey) {
    IniFile ini(path());
    ini.write("S", "A", "1");
    ini.write("S", "B", "2");
    EXPECT_TRUE(ini.remove("s", "a"));
    EXPECT_FALSE(ini.remove("S", "A"));
    EXPECT_EQ(ini.read("S", "A"), "");
    EXPECT_EQ(ini.read("S", "B"), "2");
}

// Several keys go in one replacement of the file: all of them or, when one
// value cannot be written, none.
TEST_F(IniFileTest, SeveralKeysAreWrittenTogetherOrNotAtAll) {
    IniFile ini(path());
    ini.write("INDEX", "IDANEXA", "40");
    ini.write("SETARI", "PRIMARIA", "Bran");
    ini.write("INDEX", {{"IDANEXA", "45"}, {"IDTP", "12"}});
    EXPECT_EQ(ini.read("INDEX", "IDANEXA"), "45");
    EXPECT_EQ(ini.read("INDEX", "IDTP"), "12");
    EXPECT_EQ(ini.read("SETARI", "PRIMARIA"), "Bran");
    const QByteArray before = readBytes(path());
    EXPECT_THROW(ini.write("INDEX", {{"IDANEXA", "50"}, {"IDTP", QString::fromUtf8("名")}}), engine::ValueError);
    EXPECT_EQ(readBytes(path()), before);
}

TEST_F(IniFileTest, WriteFailuresAreReported) {
    IniFile inMissingFolder(dir.filePath("no/such/folder/Terralog.ini"));
    EXPECT_THROW(inMissingFolder.write("INDEX", "IDTP", "2"), platform::PlatformError);
    IniFile ini(path());
    ini.write("SETARI", "PRIMARIA", "vechi");
    EXPECT_THROW(ini.write("SETARI", "PRIMARIA", QString::fromUtf8("名")), engine::ValueError);
    EXPECT_EQ(ini.read("SETARI", "PRIMARIA"), "vechi");
}

}  // namespace
