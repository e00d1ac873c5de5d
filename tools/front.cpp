#include "front.h"

#include <cstdio>
#include <exception>

#include "engine/folder_swap.h"

namespace front {
namespace {

std::string programName = "terralog";

}  // namespace

void begin(const char* program) {
    programName = program;
    engine::FolderWaitPolicy policy;
    policy.waiting = [](const std::string&) { say("Datele sunt folosite de alt program; astept..."); };
    engine::setFolderWaitPolicy(policy);
}

void say(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), message.c_str());
    std::fflush(stderr);
}

int fail(const std::string& message) {
    say(message);
    return kFailed;
}

int usage(const std::string& problem, const char* usageText) {
    if (!problem.empty()) say(problem);
    std::fputs(usageText, stderr);
    return kUsage;
}

bool settle(const std::string& folder) {
    try {
        engine::settleFolder(folder);
        return true;
    } catch (const std::exception& e) {
        say(e.what());
        return false;
    }
}

engine::FolderLock holdForWriting(const std::string& folder) {
    engine::settleFolder(folder);
    try {
        return engine::FolderLock(folder, engine::FolderLock::Kind::Holder, engine::os::LockMode::Exclusive);
    } catch (const engine::FolderBusyError&) {
        throw engine::FolderBusyError("Datele din " + folder +
                                      " sunt folosite de alt program (Terralog deschis, un import sau o restaurare); "
                                      "nu am scris nimic.");
    }
}

engine::FolderLock holdForReading(const std::string& folder) {
    engine::settleFolder(folder);
    return engine::FolderLock(folder, engine::FolderLock::Kind::Writers, engine::os::LockMode::Shared);
}

}  // namespace front
