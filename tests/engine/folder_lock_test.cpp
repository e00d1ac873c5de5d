// The folder locks of a command-line program whose tables are named from
// the current folder ("T.dbf"), as a user in the data folder names them.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/folder_lock.h"
#include "engine/statement.h"
#include "temp_dir.h"

namespace {

// The current folder moved into another for the test's time.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(std::filesystem::u8path(folder));
    }
    ~InFolder() { std::filesystem::current_path(before_); }

private:
    std::filesystem::path before_;
};

}  // namespace

// Held by this process as a writer holds its data folder, "." takes the
// locks of the folder itself and of its parent, not both on one file: the
// statements that follow write instead of waiting for their own holder.
TEST(FolderLocks, TheCurrentFolderNamedAsDotIsHeldAsWhenNamedInFull) {
    TempDir dir;
    InFolder here(dir.path());
    engine::FolderWaitPolicy impatient;
    impatient.patience = std::chrono::milliseconds(500);
    engine::setFolderWaitPolicy(impatient);
    {
        engine::Database db;
        for (const char* statement : {"CREATE TABLE \"T.dbf\" (ID DECIMAL(10,0))", "INSERT INTO \"T.dbf\" (ID) VALUES (1)",
                                      "UPDATE \"T.dbf\" SET ID=2"}) {
            SCOPED_TRACE(statement);
            const engine::FolderLock holder(db.folderOf("T.dbf"), engine::FolderLock::Kind::Holder,
                                            engine::os::LockMode::Exclusive);
            EXPECT_NO_THROW(engine::executeStatement(db, statement));
        }
    }
    engine::setFolderWaitPolicy({});
}
