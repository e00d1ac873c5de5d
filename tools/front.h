#pragma once

// What the four command-line programs share: how they speak and end, and how
// they meet the other programs that use the same data folder.
#include <string>
#include <vector>

#include "engine/folder_lock.h"

namespace front {

// Exit status: the work done, the work failed, wrong usage.
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The program's name, at the head of its messages; also sets how its locks
// wait for another program (30 seconds, told once on standard error).
void begin(const char* program);

// "program: message" on standard error.
void say(const std::string& message);
// Says the message and gives kFailed.
int fail(const std::string& message);
// Says the problem, then the usage text, and gives kUsage.
int usage(const std::string& problem, const char* usageText);

// Finishes a restore that stopped between its renames, so that the folder
// is there to be checked; false, with the reason said, when that fails.
bool settle(const std::string& folder);

// The data folder held for writing: the holder's lock, with a stopped
// restore finished first. Throws engine::FolderBusyError, with a message
// that says nothing was written, when another program holds it.
engine::FolderLock holdForWriting(const std::string& folder);
// All tables of the folder at one moment, for reading them: the writers'
// lock, shared, with a stopped restore finished first.
engine::FolderLock holdForReading(const std::string& folder);

}  // namespace front
