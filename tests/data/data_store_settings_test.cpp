#include "data/data_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/machine_store.h"
#include "platform/platform_error.h"

using data::DataStore;

namespace {

class DataStoreSettings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    DataStore store{dir.path()};
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(store.DataDir())); }
    void writeIni(const QByteArray& bytes) {
        QFile f(store.DataDir() + "/Terralog.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(DataStoreSettings, FoldersHaveNoTrailingSeparator) {
    DataStore s(dir.path() + "/");
    EXPECT_EQ(s.AppDir(), QDir::toNativeSeparators(dir.path()));
    EXPECT_EQ(s.DataDir(), QDir::toNativeSeparators(dir.path() + "/Data"));
    EXPECT_EQ(s.tablePath("TP.DBF"), QDir::toNativeSeparators(dir.path() + "/Data/TP.DBF"));
}

TEST_F(DataStoreSettings, FirstIdentifierIsTwoAndEachIsWrittenAtOnce) {
    writeIni("[SETARI]\r\nPRIMARIA=Primaria\r\n");
    EXPECT_EQ(store.ReadCounter("IDTP"), "1");
    EXPECT_EQ(store.NextId("IDTP"), "2");
    EXPECT_EQ(store.ReadSetting("INDEX", "IDTP"), "2");
    EXPECT_EQ(store.NextId("IDTP"), "3");
    EXPECT_EQ(store.NextId("IDDET"), "2");
    EXPECT_EQ(store.ReadSetting("SETARI", "PRIMARIA"), "Primaria");
}

TEST_F(DataStoreSettings, DamagedCounterReadsAsOne) {
    for (const char* value : {"abc", "12x", "", "99999999999", "1.5"}) {
        writeIni(QByteArray("[INDEX]\r\nIDANEXA=") + value + "\r\n");
        EXPECT_EQ(store.NextId("IDANEXA"), "2") << value;
    }
    writeIni("[index]\r\nidrf= -7 \r\n");
    EXPECT_EQ(store.NextId("IDRF"), "-6");
}

TEST_F(DataStoreSettings, ExhaustedCounterIsAnErrorNotAWrap) {
    writeIni("[INDEX]\r\nIDTP=2147483647\r\n");
    EXPECT_THROW(store.NextId("IDTP"), platform::PlatformError);
    EXPECT_EQ(store.ReadSetting("INDEX", "IDTP"), "2147483647");
}

TEST_F(DataStoreSettings, RegistryValuesGoToTheMachineStore) {
    QTemporaryDir stores;
    platform::MachineStore::instance().useFolders(stores.filePath("machine"), stores.filePath("user"));
    store.WriteRegistryValue("VER", "Terralog v.1.18");
    EXPECT_EQ(store.ReadRegistryValue("VER"), "Terralog v.1.18");
    EXPECT_EQ(store.ReadRegistryValue("Erori"), "");
    platform::MachineStore::instance().useDefaultLocations();
}

TEST_F(DataStoreSettings, TemporaryNamesLieInAppDir) {
    EXPECT_EQ(store.UniqueTempName("UpGr", ".ser"), QDir::toNativeSeparators(dir.path() + "/UpGr0.ser"));
}

}  // namespace
