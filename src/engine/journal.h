#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/os.h"

namespace engine {

// The rollback journal of one unit of writes: the original bytes of whatever
// the unit changes in its files, in a file "<first file>-journal" beside the
// first file the unit touched. See journal.cpp for the protocol.
class Journal {
public:
    // The journal beside `firstFile` ("-journal", or "-<n>-journal" when that
    // name is taken), made on the first sync (or when its records outgrow
    // memory) and held locked while this object lives.
    explicit Journal(const std::string& firstFile);
    ~Journal();  // closes the file, which stays unless remove() ran
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::string& path() const { return path_; }

    // A table file joins with its size before the unit; the number names it
    // in the records that follow.
    uint32_t addTable(const std::string& path, uint64_t originalSize);
    // The original bytes at `offset` of a table, before the unit first changes them.
    void addPage(uint32_t table, uint64_t offset, std::string_view original);
    // The table's file is about to be replaced by a new one; the old one is
    // kept as `backup` (a second name of the same file) until the unit ends.
    void addReplacement(uint32_t table, const std::string& backup);
    // A file the unit creates, known by its device and inode numbers:
    // rollback removes it, and no other file of that name.
    void addCreated(const std::string& path, uint64_t device, uint64_t inode);
    // A small file's whole content before the unit rewrites it.
    void addSavedFile(const std::string& path, bool existed, std::string_view content);
    // The unit is committed; what follows only removes backups.
    void addCommit();

    // Everything added is on disk and synced when it returns.
    void sync();
    // Puts every file back as the records on disk say. The caller holds the
    // tables exclusively.
    void rollBack();
    // Removes the journal file (the unit's end) and syncs its folder.
    void remove();

private:
    void append(char type, uint32_t file, std::string_view payload);
    void create();
    void writeBuffer();

    std::string firstFile_;
    std::string path_;
    os::File file_;
    uint64_t nonce_ = 0;
    uint64_t size_ = 0;
    uint64_t syncedSize_ = 0;
    uint32_t tables_ = 0;
    std::string buffer_;
    bool unsynced_ = false;
    bool folderSynced_ = false;
};

// Rolls back, or finishes removing, every journal in the folder that no
// living unit holds, and removes the new files (".NAME.DBF.xxxxxx") that a
// stopped ALTER, pack or CREATE left. Throws TableError when a table to roll
// back is in use by another program or cannot be written.
void recoverFolder(const std::string& folder);

// A unit of this process committed but could not remove its journal or the
// old files it kept (a failing disk): the next reading of a table finishes
// that clean-up, as it would after a crash.
void noteCleanupPending();
bool cleanupPending();

// Whether a file name is that of a journal or a new file being written.
bool isJournalName(std::string_view name);
bool isNewFileName(std::string_view name);

}  // namespace engine
