#include "platform/program_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kUser = QStringLiteral("/home/clerk/.local/share/terralog");

struct Case {
    const char* name;
    const char* programDir;  // relative to a scratch folder unless absolute
    bool programWritable;
    bool dataBeside;
    bool expectUserFolder;
};

class WorkingFolderTest : public ::testing::TestWithParam<Case> {};

TEST_P(WorkingFolderTest, ChoosesWhereDataLives) {
    const Case& c = GetParam();
    QTemporaryDir scratch;
    QString programDir = QString::fromUtf8(c.programDir);
    if (!QDir::isAbsolutePath(programDir)) {
        programDir = scratch.filePath(programDir);
        ASSERT_TRUE(QDir().mkpath(programDir));
        if (c.dataBeside) {
            ASSERT_TRUE(QDir(programDir).mkdir("Data"));
        }
        if (!c.programWritable) {
            // root writes anywhere: for it no folder is read-only.
#ifndef _WIN32
            if (::geteuid() == 0 && c.expectUserFolder) GTEST_SKIP() << "root can write every folder";
#endif
            QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner);
        }
    }
    const QString chosen = platform::workingFolder(programDir, kUser);
    QFile::setPermissions(programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(chosen, c.expectUserFolder ? kUser : programDir);
}

// An unpacked or built program works beside itself, an installed one in the
// user's folder; a Data folder copied beside a program is always the one used.
INSTANTIATE_TEST_SUITE_P(
    Folders, WorkingFolderTest,
    ::testing::Values(Case{"UnpackedFolder", "Terralog", true, false, false},
                      Case{"UnpackedFolderWithOldData", "Terralog", true, true, false},
                      Case{"ReadOnlyFolderWithWritableData", "Terralog", false, true, false},
                      Case{"ReadOnlyFolderWithoutData", "Terralog", false, false, true},
                      Case{"UsrBin", "/usr/bin", false, false, true},
                      Case{"UsrLibTerralog", "/usr/lib/terralog", false, false, true},
                      Case{"Opt", "/opt/terralog/bin", false, false, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(UserDataFolder, FollowsXdgDataHome) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    EXPECT_EQ(platform::userDataFolder(), QDir(home.path()).filePath("terralog"));
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
