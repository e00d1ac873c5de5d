// Part of a test run in another process, the same way on Linux and on
// Windows, which has no fork(): the test program starts itself again with
// "--terralog-child=<entry>" and the entry's arguments, and test_main.cpp
// runs that entry instead of the tests. The parent reads what the child
// writes on its standard output, waits for it within a time limit, kills it,
// and tells an end of its own from a kill.
//
// A child starts from nothing: what it needs of the parent's state (a
// folder, a fault plan, a memory limit) goes in its arguments.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_child {

using Arguments = std::vector<std::string>;
using EntryFunction = int (*)(const Arguments& arguments);

// A part of a test that can run in a child; its result is the child's exit
// code (an exception leaving it ends the child with kEntryThrew). Defined
// at namespace scope, so that it is known before main():
//     const testing_child::Entry holdLock("hold-lock", [](const testing_child::Arguments& a) { ... });
constexpr int kEntryThrew = 125;
class Entry {
public:
    Entry(std::string name, EntryFunction function);
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

// How a child ended, or that it still runs.
struct Status {
    enum class End { Running, Exited, Killed, Crashed };
    End end = End::Running;
    // The exit code; the signal on Linux or the exception code on Windows
    // for a crash.
    int64_t code = 0;

    bool running() const { return end == End::Running; }
    // Killed from outside or by the engine's fault injection (SIGKILL, or
    // on Windows the end with engine::os::kKilledExitStatus).
    bool killed() const { return end == End::Killed; }
    bool exited(int64_t exitCode) const { return end == End::Exited && code == exitCode; }
    std::string describe() const;
};
void PrintTo(const Status& status, std::ostream* os);

// A child process: an entry of this test program, or another program. Its
// standard input is a pipe from the parent, its standard output is read
// here, its standard error is the parent's unless captured. The destructor
// kills a child still running.
class ChildProcess {
public:
    enum class Errors { Shown, Captured };

    ChildProcess(const Entry& entry, const Arguments& arguments = {}, Errors errors = Errors::Shown);
    ChildProcess(const std::string& program, const Arguments& arguments = {}, Errors errors = Errors::Shown);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Its standard input: bytes written now, and the end of it.
    void writeInput(std::string_view bytes);
    void closeInput();

    // What it wrote so far, on its output and (when captured) its errors.
    const std::string& output();
    const std::string& errors();
    // Waits until its output holds `text`; false when it ended or the time
    // ran out first.
    bool waitForOutput(std::string_view text, std::chrono::milliseconds limit = std::chrono::minutes(2));

    // Whether it ended, without waiting.
    Status status();
    // Waits for its end; Running when the time ran out first.
    Status wait(std::chrono::milliseconds limit = std::chrono::minutes(10));
    // Kills it as SIGKILL does (TerminateProcess on Windows) unless it has
    // ended, and waits for its end.
    Status kill();

private:
    class System;

    // Whether it ended; once it has, what it wrote is all read.
    bool ended();

    std::unique_ptr<System> system_;
    std::string output_, errors_;
    Status status_;
};

// In a child: tells the parent something (a step done, ready) at once.
void report(std::string_view text);
// In a child: blocks until the parent closes its input, or ends.
void waitForParent();

// The path of the running program.
std::string thisProgram();

// test_main.cpp: runs the entry named on the command line, if any, and
// gives its exit code.
std::optional<int> runIfChild(int argc, char** argv);

}  // namespace testing_child
