// What an opening does with what a stopped process left beside a table:
// journals are rolled back (within their own folder only), torn ones and the
// new files of a stopped rewrite are removed, other programs' files stay.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/journal.h"
#include "engine/table_file.h"
#include "table_values.h"
#include "temp_dir.h"

using engine::Database;
using namespace tablevalues;

namespace {

std::string makeTable(const TempDir& dir, const std::string& name) {
    Database db;
    const std::string path = dir.file(name);
    db.createTable(path, {text("NUME", 10)});
    auto w = db.table(path)->beginWrite();
    w->append({txt("ana")});
    w->commit();
    return path;
}

std::vector<std::string> namesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Recovery, AJournalReachesOnlyFilesOfItsFolder) {
    TempDir dir, elsewhere;
    const std::string table = makeTable(dir, "A.DBF");
    const std::string victim = makeTable(elsewhere, "A.DBF");
    const std::string victimBytes = readBytes(victim);
    writeBytes(elsewhere.file("S.INI"), "kept");
    {
        // A journal planted beside the table, naming the other folder's files.
        engine::Journal planted(table);
        const uint32_t t = planted.addTable(victim, 0);
        planted.addPage(t, 0, "XXXXXXXX");
        planted.addSavedFile(elsewhere.file("S.INI"), true, "overwritten");
        planted.addCreated(elsewhere.file("A.DBF"), 0, 0);
        planted.sync();
    }
    const std::string tableBytes = readBytes(table);
    Database db;
    EXPECT_EQ(db.table(table)->recordCount(), 1u);
    EXPECT_EQ(readBytes(table), tableBytes);
    EXPECT_EQ(readBytes(victim), victimBytes);
    EXPECT_EQ(readBytes(elsewhere.file("S.INI")), "kept");
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"A.DBF"}));
    EXPECT_EQ(namesIn(elsewhere), (std::vector<std::string>{"A.DBF", "S.INI"}));
}

TEST(Recovery, LeftoversGoAndLiveOrForeignFilesStay) {
    TempDir dir;
    const std::string table = makeTable(dir, "A.DBF");
    const std::string before = readBytes(table);
    writeBytes(dir.file(".A.DBF.x1Y2z3"), "half a new table");          // a stopped ALTER's new file
    writeBytes(dir.file("A.DBF-2-journal"), std::string("TLGJR", 5));  // a journal cut before its header
    writeBytes(dir.file("notes.txt-journal"), "another program's file");
    engine::TableFile::NewFile live(dir.file("B.DBF"));  // being written right now
    live.write("x");
    Database().table(table);
    EXPECT_EQ(readBytes(table), before);
    const auto names = namesIn(dir);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".A.DBF.x1Y2z3"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "A.DBF-2-journal"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "notes.txt-journal"), 1);
    EXPECT_EQ(names.size(), 3u);  // A.DBF, the live new file, the foreign file
}
