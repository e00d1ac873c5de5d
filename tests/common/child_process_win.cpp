// The Win32 side of the child-process helper: CreateProcessW, anonymous
// pipes, TerminateProcess. Command lines are UTF-16 and quoted as the C
// runtime splits them; the child's arguments come back in UTF-8.
//
// The child's pipe ends are made inheritable only for the moment of
// CreateProcessW: the tests start their children from one thread.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <stdexcept>

#include "child_process_system.h"
#include "engine/os.h"

namespace testing_child {
namespace {

HANDLE handle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

void closeEnd(intptr_t& value, intptr_t none) {
    if (value != none) ::CloseHandle(handle(value));
    value = none;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// One argument as CommandLineToArgvW and the C runtime read it back:
// backslashes are literal except before a quote.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    for (auto c = argument.begin();; ++c) {
        size_t backslashes = 0;
        for (; c != argument.end() && *c == L'\\'; ++c) ++backslashes;
        if (c == argument.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        out.append(*c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += *c;
    }
    return out + L'"';
}

std::runtime_error failure(const std::string& what) {
    return std::runtime_error(what + ": error " + std::to_string(::GetLastError()));
}

// A pipe whose parent end is not inherited.
void makePipe(HANDLE& read, HANDLE& write, bool parentReads) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &inherited, 0)) throw failure("CreatePipe");
    ::SetHandleInformation(parentReads ? read : write, HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

ChildProcess::System::System(const std::string& program, const Arguments& arguments, Errors errors) {
    HANDLE inRead, inWrite, outRead, outWrite, errRead = nullptr, errWrite = nullptr;
    makePipe(inRead, inWrite, false);
    makePipe(outRead, outWrite, true);
    if (errors == Errors::Captured) {
        makePipe(errRead, errWrite, true);
    } else if (!::DuplicateHandle(::GetCurrentProcess(), ::GetStdHandle(STD_ERROR_HANDLE), ::GetCurrentProcess(),
                                  &errWrite, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        // No error stream of our own to share: the child's errors go nowhere.
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        errWrite = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                                 0, nullptr);
    }
    input_ = reinterpret_cast<intptr_t>(inWrite);
    output_ = reinterpret_cast<intptr_t>(outRead);
    if (errRead) errors_ = reinterpret_cast<intptr_t>(errRead);

    std::wstring line = quoted(wide(program));
    for (const std::string& a : arguments) line += L' ' + quoted(wide(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started);
    const DWORD error = ::GetLastError();
    for (HANDLE h : {inRead, outWrite, errWrite})
        if (h && h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    if (!ok) {
        closeInput();
        closeEnd(output_, kNone);
        closeEnd(errors_, kNone);
        ::SetLastError(error);
        throw failure("cannot start " + program);
    }
    ::CloseHandle(started.hThread);
    process_ = reinterpret_cast<intptr_t>(started.hProcess);
}

ChildProcess::System::~System() {
    if (!reaped_) {
        ::TerminateProcess(handle(process_), engine::os::kKilledExitStatus);
        ::WaitForSingleObject(handle(process_), INFINITE);
    }
    closeEnd(process_, kNone);
    closeInput();
    closeEnd(output_, kNone);
    closeEnd(errors_, kNone);
}

void ChildProcess::System::writeInput(std::string_view bytes) {
    while (!bytes.empty() && input_ != kNone) {
        DWORD written = 0;
        if (!::WriteFile(handle(input_), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written == 0)
            break;  // the child closed its input or ended
        bytes.remove_prefix(written);
    }
}

void ChildProcess::System::closeInput() { closeEnd(input_, kNone); }

bool ChildProcess::System::read(std::string& output, std::string& errors, std::chrono::milliseconds limit) {
    // Anonymous pipes cannot be waited on: they are looked at every
    // millisecond until something comes or the time is up.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        bool came = false;
        for (intptr_t* end : {&output_, &errors_}) {
            if (*end == kNone) continue;
            DWORD available = 0;
            if (!::PeekNamedPipe(handle(*end), nullptr, 0, nullptr, &available, nullptr)) {
                closeEnd(*end, kNone);  // the child's end is closed
                came = true;
                continue;
            }
            if (available == 0) continue;
            char buffer[4096];
            DWORD n = 0;
            if (::ReadFile(handle(*end), buffer, std::min<DWORD>(available, sizeof buffer), &n, nullptr) && n > 0) {
                (end == &output_ ? output : errors).append(buffer, n);
                came = true;
            }
        }
        const bool open = output_ != kNone || errors_ != kNone;
        if (came || !open || std::chrono::steady_clock::now() >= deadline) return open;
        ::WaitForSingleObject(handle(process_), 1);
    }
}

Status ChildProcess::System::poll() {
    Status s;
    if (reaped_) return s;
    if (::WaitForSingleObject(handle(process_), 0) != WAIT_OBJECT_0) return s;
    reaped_ = true;
    DWORD code = 0;
    ::GetExitCodeProcess(handle(process_), &code);
    s.code = code;
    if (code == engine::os::kKilledExitStatus)
        s.end = Status::End::Killed;
    else if ((code & 0xC0000000u) == 0xC0000000u)  // an exception's status (NTSTATUS of severity error)
        s.end = Status::End::Crashed;
    else
        s.end = Status::End::Exited;
    return s;
}

void ChildProcess::System::terminate() {
    if (!reaped_) ::TerminateProcess(handle(process_), engine::os::kKilledExitStatus);
}

Arguments commandLine(int, char**) {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    Arguments out;
    for (int i = 0; i < count; ++i) out.push_back(utf8(words[i]));
    ::LocalFree(words);
    return out;
}

std::string thisProgram() {
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (n == 0) throw failure("GetModuleFileNameW");
    path.resize(n);
    return utf8(path);
}

void report(std::string_view text) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    while (!text.empty()) {
        DWORD written = 0;
        if (!::WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr) || written == 0) return;
        text.remove_prefix(written);
    }
}

void waitForParent() {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[256];
    for (DWORD n = 0; ::ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0;) {
    }
}

}  // namespace testing_child

#endif
