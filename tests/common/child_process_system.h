// The system side of child_process.h, one of child_process_posix.cpp and
// child_process_win.cpp: every system call of the helper is there.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "child_process.h"

namespace testing_child {

class ChildProcess::System {
public:
    // Starts the program with a pipe on its input and one on its output
    // (and its errors); throws std::runtime_error when it cannot.
    System(const std::string& program, const Arguments& arguments, Errors errors);
    // Kills a child still running and waits for it.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    void writeInput(std::string_view bytes);
    void closeInput();
    // Appends what the pipes bring within `limit`, returning as soon as
    // something came; false when no pipe is left open.
    bool read(std::string& output, std::string& errors, std::chrono::milliseconds limit);
    // How it ended, without waiting; Running while it runs.
    Status poll();
    void terminate();

private:
    // A process id or a HANDLE's value, and pipe ends (descriptors or
    // HANDLE values); kNone once closed.
    static constexpr intptr_t kNone = -1;
    intptr_t process_ = kNone;
    intptr_t input_ = kNone;
    intptr_t output_ = kNone;
    intptr_t errors_ = kNone;
    bool reaped_ = false;
};

// The program's own command line in UTF-8, its name first.
Arguments commandLine(int argc, char** argv);

}  // namespace testing_child
