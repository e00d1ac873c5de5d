#include "child_process.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <thread>

#include "child_process_system.h"

namespace testing_child {
namespace {

constexpr std::string_view kChildOption = "--terralog-child=";

std::map<std::string, EntryFunction>& entries() {
    static std::map<std::string, EntryFunction> registered;
    return registered;
}

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds until(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
}

}  // namespace

Entry::Entry(std::string name, EntryFunction function) : name_(std::move(name)) {
    if (!entries().emplace(name_, function).second) {
        std::fprintf(stderr, "two child entries are named %s\n", name_.c_str());
        std::abort();
    }
}

std::string Status::describe() const {
    switch (end) {
    case End::Running: return "still running";
    case End::Exited: return "exited with " + std::to_string(code);
    case End::Killed: return "killed";
    case End::Crashed: return "crashed (" + std::to_string(code) + ")";
    }
    return {};
}

void PrintTo(const Status& status, std::ostream* os) { *os << status.describe(); }

ChildProcess::ChildProcess(const Entry& entry, const Arguments& arguments, Errors errors) {
    Arguments all{std::string(kChildOption) + entry.name()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    system_ = std::make_unique<System>(thisProgram(), all, errors);
}

ChildProcess::ChildProcess(const std::string& program, const Arguments& arguments, Errors errors)
    : system_(std::make_unique<System>(program, arguments, errors)) {}

ChildProcess::~ChildProcess() = default;

void ChildProcess::writeInput(std::string_view bytes) { system_->writeInput(bytes); }

void ChildProcess::closeInput() { system_->closeInput(); }

const std::string& ChildProcess::output() {
    if (!ended()) system_->read(output_, errors_, std::chrono::milliseconds(0));
    return output_;
}

const std::string& ChildProcess::errors() {
    output();
    return errors_;
}

bool ChildProcess::waitForOutput(std::string_view text, std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (output_.find(text) == std::string::npos) {
        if (ended() || until(deadline).count() <= 0) return output_.find(text) != std::string::npos;
        if (!system_->read(output_, errors_, std::min(until(deadline), std::chrono::milliseconds(10))))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

Status ChildProcess::status() {
    ended();
    return status_;
}

Status ChildProcess::wait(std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!ended() && until(deadline).count() > 0)
        if (!system_->read(output_, errors_, std::min(until(deadline), std::chrono::milliseconds(10))))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return status_;
}

Status ChildProcess::kill() {
    if (!ended()) system_->terminate();
    return wait();
}

bool ChildProcess::ended() {
    if (!status_.running()) return true;
    status_ = system_->poll();
    if (status_.running()) return false;
    // What it wrote before its end is in the pipes now; a process it started
    // may keep them open, so this reads only what is there.
    for (size_t before = SIZE_MAX; before != output_.size() + errors_.size();) {
        before = output_.size() + errors_.size();
        if (!system_->read(output_, errors_, std::chrono::milliseconds(0))) break;
    }
    system_->closeInput();
    return true;
}

std::optional<int> runIfChild(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]).substr(0, kChildOption.size()) != kChildOption) return std::nullopt;
    const Arguments all = commandLine(argc, argv);
    const std::string name = all[1].substr(kChildOption.size());
    const auto entry = entries().find(name);
    if (entry == entries().end()) {
        std::fprintf(stderr, "no child entry is named %s\n", name.c_str());
        return kEntryThrew;
    }
    try {
        return entry->second(Arguments(all.begin() + 2, all.end()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child %s: %s\n", name.c_str(), e.what());
        return kEntryThrew;
    }
}

}  // namespace testing_child
