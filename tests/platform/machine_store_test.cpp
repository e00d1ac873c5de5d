#include "platform/machine_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/platform_error.h"

using platform::MachineStore;

namespace {

class MachineStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString machineFolder = dir.filePath("etc/xdg");
    QString userFolder = dir.filePath("home/.config");
    MachineStore store;

    void SetUp() override { store.useFolders(machineFolder, userFolder); }

    void blockFolder(const QString& folder) {
        // A plain file where the folder should be: nothing can be written there.
        QDir().mkpath(QFileInfo(folder).path());
        QFile f(folder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    platform::IniFile machineFile() const { return platform::IniFile(machineFolder + "/Vorelco.ini"); }
    platform::IniFile userFile() const { return platform::IniFile(userFolder + "/Vorelco.ini"); }
};

TEST_F(MachineStoreTest, MissingValueReadsEmpty) { EXPECT_EQ(store.read("Erori"), ""); }

TEST_F(MachineStoreTest, WritesUnderTheKeyPathMachineWide) {
    store.write("CALE", "/opt/terralog");
    store.write("VER", "Terralog v.1.18");
    EXPECT_EQ(store.read("CALE"), "/opt/terralog");
    EXPECT_EQ(store.read("ver"), "Terralog v.1.18");
    EXPECT_EQ(machineFile().read("Software\\Vorelco\\20", "CALE"), "/opt/terralog");
    EXPECT_FALSE(QFile::exists(userFolder + "/Vorelco.ini"));
}

TEST_F(MachineStoreTest, ScrambledBytesReadBackExactly) {
    // Outer blanks and quotes, and bytes 1250 leaves unassigned.
    const QString scrambled = QString::fromLatin1("  \"x\x98y\x81\x83\x88\x90 \"");
    store.write("Erori", scrambled);
    EXPECT_EQ(store.read("Erori"), scrambled);
    QFile f(machineFolder + "/Vorelco.ini");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Erori=\"  \"x\x98y\x81\x83\x88\x90 \"\"\r\n"));
}

TEST_F(MachineStoreTest, UnwritableMachinePlaceRedirectsToTheUser) {
    blockFolder(machineFolder);
    store.write("Erori", "abc");
    EXPECT_EQ(store.read("Erori"), "abc");
    EXPECT_EQ(userFile().read("Software\\Vorelco\\20", "Erori"), "abc");
}

TEST_F(MachineStoreTest, UserCopyWinsUntilAMachineWideWriteRemovesIt) {
    QDir().mkpath(machineFolder);
    QDir().mkpath(userFolder);
    machineFile().write("Software\\Vorelco\\20", "Erori", "machine");
    userFile().write("Software\\Vorelco\\20", "Erori", "redirected");
    EXPECT_EQ(store.read("Erori"), "redirected");
    store.write("Erori", "new");
    EXPECT_EQ(store.read("Erori"), "new");
    EXPECT_FALSE(userFile().lookup("Software\\Vorelco\\20", "Erori").has_value());
}

TEST_F(MachineStoreTest, NowhereToWriteIsAnError) {
    blockFolder(machineFolder);
    blockFolder(userFolder);
    EXPECT_THROW(store.write("CALE", "x"), platform::PlatformError);
}

}  // namespace
