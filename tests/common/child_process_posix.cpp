// The POSIX side of the child-process helper: posix_spawn, pipes, waitpid.
#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "child_process_system.h"

extern char** environ;

namespace testing_child {
namespace {

void closeEnd(intptr_t& fd, intptr_t none) {
    if (fd != none) ::close(int(fd));
    fd = none;
}

std::runtime_error failure(const std::string& what, int error) {
    return std::runtime_error(what + ": " + std::strerror(error));
}

}  // namespace

ChildProcess::System::System(const std::string& program, const Arguments& arguments, Errors errors) {
    int in[2], out[2], err[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0) throw failure("pipe", errno);
    if (::pipe2(out, O_CLOEXEC) != 0 || (errors == Errors::Captured && ::pipe2(err, O_CLOEXEC) != 0)) {
        const int error = errno;
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        throw failure("pipe", error);
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (err[1] >= 0) ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    // Writing to a child that has ended must not end this process (SIGPIPE
    // is ignored here); the child gets the default back.
    ::signal(SIGPIPE, SIG_IGN);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    for (int fd : {in[0], out[1], err[1]})
        if (fd >= 0) ::close(fd);
    input_ = in[1];
    output_ = out[0];
    errors_ = err[0];
    if (spawned != 0) {
        closeInput();
        closeEnd(output_, kNone);
        closeEnd(errors_, kNone);
        throw failure("cannot start " + program, spawned);
    }
    process_ = pid;
    for (intptr_t fd : {output_, errors_})
        if (fd != kNone) ::fcntl(int(fd), F_SETFL, ::fcntl(int(fd), F_GETFL) | O_NONBLOCK);
}

ChildProcess::System::~System() {
    if (!reaped_) {
        ::kill(pid_t(process_), SIGKILL);
        ::waitpid(pid_t(process_), nullptr, 0);
    }
    closeInput();
    closeEnd(output_, kNone);
    closeEnd(errors_, kNone);
}

void ChildProcess::System::writeInput(std::string_view bytes) {
    while (!bytes.empty() && input_ != kNone) {
        const ssize_t n = ::write(int(input_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the child closed its input or ended
        bytes.remove_prefix(size_t(n));
    }
}

void ChildProcess::System::closeInput() { closeEnd(input_, kNone); }

bool ChildProcess::System::read(std::string& output, std::string& errors, std::chrono::milliseconds limit) {
    std::vector<pollfd> fds;
    for (intptr_t fd : {output_, errors_})
        if (fd != kNone) fds.push_back({int(fd), POLLIN, 0});
    if (fds.empty()) return false;
    if (::poll(fds.data(), fds.size(), int(limit.count())) <= 0) return true;
    for (const pollfd& p : fds) {
        if (!p.revents) continue;
        intptr_t& end = p.fd == output_ ? output_ : errors_;
        std::string& into = p.fd == output_ ? output : errors;
        char buffer[4096];
        const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
        if (n > 0)
            into.append(buffer, size_t(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            closeEnd(end, kNone);
    }
    return output_ != kNone || errors_ != kNone;
}

Status ChildProcess::System::poll() {
    Status s;
    if (reaped_) return s;
    int raw = 0;
    if (::waitpid(pid_t(process_), &raw, WNOHANG) != pid_t(process_)) return s;
    reaped_ = true;
    if (WIFSIGNALED(raw)) {
        s.end = WTERMSIG(raw) == SIGKILL ? Status::End::Killed : Status::End::Crashed;
        s.code = WTERMSIG(raw);
    } else {
        s.end = Status::End::Exited;
        s.code = WEXITSTATUS(raw);
    }
    return s;
}

void ChildProcess::System::terminate() {
    if (!reaped_) ::kill(pid_t(process_), SIGKILL);
}

Arguments commandLine(int argc, char** argv) { return Arguments(argv, argv + argc); }

std::string thisProgram() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", &path[0], path.size());
    if (n <= 0) throw failure("/proc/self/exe", errno);
    path.resize(size_t(n));
    return path;
}

void report(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(1, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(size_t(n));
    }
}

void waitForParent() {
    char buffer[256];
    for (ssize_t n; (n = ::read(0, buffer, sizeof buffer)) != 0;)
        if (n < 0 && errno != EINTR) return;
}

}  // namespace testing_child

#endif
