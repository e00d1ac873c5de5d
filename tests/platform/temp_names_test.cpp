#include "platform/temp_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "qt_application.h"

namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

// A name that cannot be freed: a folder holding a file (deleting it fails).
void occupy(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(path));
    touch(path + "/keep");
}

TEST(UniqueTempName, FreeNameComesFirst) {
    QTemporaryDir dir;
    EXPECT_EQ(platform::uniqueTempName(dir.path(), "UpGr", ".ser"), QDir::toNativeSeparators(dir.filePath("UpGr0.ser")));
}

TEST(UniqueTempName, DeletableLeftoverIsDeletedAndItsNameReused) {
    QTemporaryDir dir;
    touch(dir.filePath("UpGr0.ser"));
    EXPECT_EQ(platform::uniqueTempName(dir.path(), "UpGr", ".ser"), QDir::toNativeSeparators(dir.filePath("UpGr0.ser")));
    EXPECT_FALSE(QFile::exists(dir.filePath("UpGr0.ser")));
}

TEST(UniqueTempName, NameThatCannotBeFreedIsSkipped) {
    QTemporaryDir dir;
    occupy(dir.filePath("UpGr0.ser"));
    touch(dir.filePath("UpGr1.ser"));
    EXPECT_EQ(platform::uniqueTempName(dir.path(), "UpGr", ".ser"), QDir::toNativeSeparators(dir.filePath("UpGr1.ser")));
}

TEST(UniqueTempName, AllHundredAndOneTakenGivesEmptyText) {
    QTemporaryDir dir;
    for (int n = 0; n <= 100; ++n) occupy(dir.filePath(QString("XLSTmp%1.xls").arg(n)));
    EXPECT_EQ(platform::uniqueTempName(dir.path(), "XLSTmp", ".xls"), "");
    QDir(dir.filePath("XLSTmp100.xls")).removeRecursively();
    EXPECT_EQ(platform::uniqueTempName(dir.path(), "XLSTmp", ".xls"),
              QDir::toNativeSeparators(dir.filePath("XLSTmp100.xls")));
}

}  // namespace
