// What a user waits for from cold, on the generated register: the start-up to
// the main menu (against the start-up on an empty data folder), and one
// statement in a fresh `terralog-sql` process (against the sqlite3 shell on the
// same rows in its own file). Every run is a new process; the files are in the
// page cache (each case runs once untimed first).
//
//   bench_cold_bench [--lines=100000] [--keep=DIR] [google benchmark flags]
//
// With --keep the register is written into DIR once and used again by later
// runs (DIR is left in place).
//
// Times are wall times from fork to the main menu shown, or to the process's
// end; each case runs ours and the peer in turns and reports the medians of
// both, their ratio, the same for CPU time, and the peak resident memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QObject>
#include <QEvent>

#include "app/application.h"
#include "app/constants.h"
#include "platform/single_instance.h"
#include "program_windows.h"
#include "register_data.h"
#include "register_statements.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kStartupChild = "--startup-child";
constexpr int kRounds = 7;

// ---- the program, started as the user starts it ------------------------------

// Tells the parent (one byte on fd `out`) when the main menu shows.
class MenuShown : public QObject {
public:
    explicit MenuShown(int out) : out_(out) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && out_ >= 0) {
            const char byte = 1;
            (void)!::write(out_, &byte, 1);
            ::close(out_);
            out_ = -1;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int out_;
};

// The windows of the program, created as its entry point creates them.
int runProgram(int argc, char** argv, int out) {
    TerralogApplication app(argc, argv);
    platform::SingleInstance single(ApplicationTitle);
    if (single.claim() != platform::SingleInstance::Claim::Own) return 2;
    ProgramWindows windows;
    MenuShown shown(out);
    windows.form3.installEventFilter(&shown);
    windows.form1.show();
    return app.exec();
}

// ---- child processes -------------------------------------------------------------

struct ChildRun {
    double seconds = 0;     // wall time
    double cpuSeconds = 0;  // user and system time of the child
    long peakKiB = 0;
};

double cpuOf(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

[[noreturn]] void execOrDie(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::perror(argv[0]);
    _exit(127);
}

// Runs `args` with standard input from `input` and standard output thrown
// away; the time is to its end.
ChildRun runStatement(const std::vector<std::string>& args, const std::string& input) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in, 0);
        ::dup2(null, 1);
        execOrDie(args);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) throw std::runtime_error("cannot run " + args[0]);
    ChildRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = cpuOf(usage);
    run.peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
    return run;
}

// Starts the program in `appDir` and times it to the main menu; then ends it.
ChildRun runStartup(const std::string& appDir) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string home = appDir + "/../home";
        ::setenv("XDG_CONFIG_DIRS", (home + "/etc").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        ::setenv("TMPDIR", (home + "/tmp").c_str(), 1);
        if (!::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 2);
        execOrDie({appDir + "/terralog", kStartupChild, std::to_string(pipeFds[1])});
    }
    ::close(pipeFds[1]);
    char byte = 0;
    const bool shown = ::read(pipeFds[0], &byte, 1) == 1;
    ChildRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(pipeFds[0]);
    ::kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.cpuSeconds = cpuOf(usage);
    run.peakKiB = usage.ru_maxrss;
    if (!shown) throw std::runtime_error("the main menu did not show in " + appDir);
    return run;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Ours and the peer's, in turns, so that a change of the machine's load
// meets both alike: the medians of each, and their ratio. The time reported
// is ours.
template <class Ours, class Peer>
void paired(benchmark::State& state, Ours ours, Peer peer) {
    ours();  // the files into the page cache, the programs' pages too
    peer();
    std::vector<double> wall[2], cpu[2];
    long peak[2] = {0, 0};
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const ChildRun runs[2] = {ours(), peer()};
            for (int k = 0; k < 2; ++k) {
                wall[k].push_back(runs[k].seconds);
                cpu[k].push_back(runs[k].cpuSeconds);
                peak[k] = std::max(peak[k], runs[k].peakKiB);
            }
        }
        state.SetIterationTime(median(wall[0]));
    }
    state.counters["ours_ms"] = median(wall[0]) * 1000;
    state.counters["peer_ms"] = median(wall[1]) * 1000;
    state.counters["ratio"] = median(wall[0]) / median(wall[1]);
    state.counters["ours_cpu_ms"] = median(cpu[0]) * 1000;
    state.counters["peer_cpu_ms"] = median(cpu[1]) * 1000;
    state.counters["cpu_ratio"] = median(cpu[0]) / median(cpu[1]);
    state.counters["ours_peak_MiB"] = double(peak[0]) / 1024;
    state.counters["peer_peak_MiB"] = double(peak[1]) / 1024;
}

// ---- set-up ----------------------------------------------------------------------

struct Setup {
    std::string root;
    std::string dataDir;       // the generated tables
    std::string sqliteFile;    // the same rows, no index
    std::string fullApp, emptyApp;
    std::string self;
};

// The value of --name=value, taken out of the arguments; empty when absent.
std::string takeOption(int& argc, char** argv, const std::string& name) {
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
        const std::string value = argv[i] + prefix.size();
        for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
        --argc;
        return value;
    }
    return {};
}

void writeData(const Setup& s, size_t lines) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            const bench::Register reg = bench::makeRegister(lines);
            bench::writeTables(reg, s.dataDir);
            bench::writeSqlite(reg, s.sqliteFile, false);
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("writing the benchmark data failed");
}

// A program folder: the program and, for the full one, its Data folder.
void makeApp(const Setup& s, const std::string& appDir, bool withData) {
    fs::create_directories(appDir);
    for (const char* sub : {"home/etc", "home/config", "home/tmp"}) fs::create_directories(appDir + "/../" + sub);
    fs::copy_file(s.self, appDir + "/terralog", fs::copy_options::overwrite_existing);
    if (!withData) return;
    fs::create_directories(appDir + "/Data");
    for (const auto& entry : fs::directory_iterator(s.dataDir))
        if (entry.path().extension() == ".DBF" || entry.path().extension() == ".dbf")
            fs::copy_file(entry.path(), appDir + "/Data/" + entry.path().filename().string());
}

std::string writeInput(const Setup& s, const std::string& name, const std::string& text) {
    const std::string path = s.root + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kStartupChild) == 0) return runProgram(argc, argv, std::atoi(argv[2]));

    const std::string linesOption = takeOption(argc, argv, "lines");
    const size_t lines = linesOption.empty() ? 100000 : size_t(std::stoull(linesOption));
    const std::string keep = takeOption(argc, argv, "keep");
    benchmark::Initialize(&argc, argv);
    static Setup s;
    s.self = fs::canonical("/proc/self/exe").string();
    s.root = keep.empty() ? (fs::temp_directory_path() / "terralog-cold-XXXXXX").string() : keep;
    if (keep.empty() ? !::mkdtemp(&s.root[0]) : !fs::create_directories(s.root) && !fs::is_directory(s.root)) {
        std::cerr << "cannot create the folder " << s.root << "\n";
        return 1;
    }
    s.dataDir = s.root + "/tables";
    s.sqliteFile = s.root + "/register.sqlite";
    s.fullApp = s.root + "/full/Terralog";
    s.emptyApp = s.root + "/empty/Terralog";
    if (!fs::exists(s.sqliteFile)) {
        fs::create_directories(s.dataDir);
        std::cerr << "Writing " << lines << " annex lines..." << std::endl;
        writeData(s, lines);
    }
    fs::remove_all(s.fullApp);
    makeApp(s, s.fullApp, true);
    makeApp(s, s.emptyApp, false);

    const auto setUp = [](benchmark::internal::Benchmark* b) {
        b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    };
    const std::string n = "/" + std::to_string(lines);
    // The peer of a start on the register is a start on an empty folder,
    // which finds it empty again every time.
    setUp(benchmark::RegisterBenchmark(("Startup" + n + "/register_vs_empty").c_str(), [](benchmark::State& st) {
        paired(
            st, [] { return runStartup(s.fullApp); },
            [] {
                fs::remove_all(s.emptyApp + "/Data");
                fs::remove_all(s.emptyApp + "/TmpSQL");
                return runStartup(s.emptyApp);
            });
    }));

    struct Statement {
        const char* name;
        std::string ours, theirs;
    };
    static std::vector<Statement> statements = {
        {"Anex", bench::annexStatement(s.dataDir), std::string(bench::kAnnexSqlite) + ";\n"},
        {"ReportToX", bench::totalsStatement(s.dataDir, false), bench::totalsSqlite(false) + ";\n"},
        {"ReportTx", bench::reportStatement(s.dataDir, false), bench::reportSqlite(false) + ";\n"},
    };
    for (const Statement& st : statements) {
        const std::string ours = writeInput(s, std::string(st.name) + ".sql", st.ours);
        const std::string theirs = writeInput(s, std::string(st.name) + ".sqlite.sql", st.theirs);
        setUp(benchmark::RegisterBenchmark((std::string(st.name) + n + "/terralog-sql_vs_sqlite3").c_str(),
                                           [ours, theirs](benchmark::State& state) {
                                               paired(
                                                   state, [&] { return runStatement({TERRALOG_SQL_BIN}, ours); },
                                                   [&] { return runStatement({SQLITE3_BIN, s.sqliteFile}, theirs); });
                                           }));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    if (keep.empty()) fs::remove_all(s.root, ignored);
    return 0;
}
