// A child process runs the write workload and is stopped at every write and
// sync in turn (and then again while rolling back), or killed at random
// moments of a larger run; each time the next opening must find a sound
// folder holding exactly the state before or after the step that was cut.
//
// TERRALOG_CRASH_TRIALS and TERRALOG_CRASH_ROWS make the random part longer
// (scripts/crash_test.sh).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "engine/fault_injection.h"
#include "engine/write_unit.h"
#include "write_workload.h"

namespace {

std::filesystem::path scratchBase() {
    // A memory file system keeps thousands of syncs cheap; a kill loses nothing there either.
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

long fromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atol(text) : fallback;
}

struct Outcome {
    size_t stepsDone = 0;
    bool killed = false;
    bool failed = false;  // the child stopped on an error of its own
};

// Runs `body` in a child with the plan armed; the child reports each step
// it finished through a pipe. `killAfter` kills it from here after a delay.
template <class Body>
Outcome inChild(const engine::faults::Plan& plan, Body body, std::chrono::microseconds killAfter = {}) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        engine::faults::arm(plan);
        int status = 0;
        try {
            body([&] { (void)!::write(channel[1], "x", 1); });
        } catch (...) {
            status = 2;
        }
        engine::faults::disarm();
        ::_exit(status);
    }
    ::close(channel[1]);
    if (killAfter.count() > 0) {
        std::this_thread::sleep_for(killAfter);
        ::kill(pid, SIGKILL);
    }
    Outcome out;
    char buffer[64];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;)
        if (n > 0) out.stepsDone += size_t(n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    out.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    out.failed = WIFEXITED(status) && WEXITSTATUS(status) != 0;
    return out;
}

void runAll(const workload::Workload& w, const std::function<void()>& stepDone) {
    for (size_t i = 0; i < w.steps(); ++i) {
        w.runStep(i);
        stepDone();
    }
}

// The folder after a stop in step `done`: sound, and as before or after it.
void expectWhole(const workload::Workload& w, const Outcome& out, const std::string& trial) {
    ASSERT_FALSE(out.failed) << trial;
    workload::State found;
    try {
        found = w.found();
    } catch (const std::exception& e) {
        FAIL() << trial << ": the tables do not open: " << e.what();
    }
    const auto problems = w.problems();
    EXPECT_TRUE(problems.empty()) << trial << ": " << problems.front();
    const workload::State before = w.expected(out.stepsDone);
    if (found == before) return;
    if (out.stepsDone < w.steps() && found == w.expected(out.stepsDone + 1)) return;
    ADD_FAILURE() << trial << ", cut in step " << out.stepsDone << ", found:\n"
                  << workload::describe(found) << "\nexpected:\n" << workload::describe(before);
}

long operationsOf(int rows) {
    TempDir dir(scratchBase());
    workload::Workload w(dir.path(), rows);
    w.setUp();
    engine::faults::arm({});
    runAll(w, [] {});
    const long counted = engine::faults::operations();
    engine::faults::disarm();
    return counted;
}


// Stops the workload at each of its operations in turn; with
// `thenWhileRollingBack`, the opening that rolls back is itself stopped at
// each of its operations, until one gets through.
void stopAtEveryOperation(int rows, bool thenWhileRollingBack) {
    const long total = operationsOf(rows);
    ASSERT_GT(total, 40);
    for (long k = 1; k <= total + 1; ++k) {
        TempDir dir(scratchBase());
        workload::Workload w(dir.path(), rows);
        w.setUp();
        engine::faults::Plan plan;
        plan.killAt = k;
        const Outcome out = inChild(plan, [&](auto stepDone) { runAll(w, stepDone); });
        ASSERT_EQ(out.killed, k <= total) << "operation " << k;
        for (long j = 1; thenWhileRollingBack && j < 50; ++j) {
            engine::faults::Plan again;
            again.killAt = j;
            if (!inChild(again, [&](auto) { w.found(); }).killed) break;
        }
        expectWhole(w, out, "stopped at operation " + std::to_string(k));
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace

TEST(Crash, StopAtEveryWriteAndSyncThenAgainWhileRollingBack) { stopAtEveryOperation(6, true); }

TEST(Crash, StopAtEveryOperationOfUnitsThatWritePagesEarly) {
    // Units that outgrow their memory write pages before the commit.
    engine::WriteUnit::setMemoryLimit(4096);
    stopAtEveryOperation(140, false);
    engine::WriteUnit::setMemoryLimit(size_t(64) << 20);
}

TEST(Crash, KilledAtRandomMoments) {
    const int rows = int(fromEnvironment("TERRALOG_CRASH_ROWS", 3000));
    const long trials = fromEnvironment("TERRALOG_CRASH_TRIALS", 12);
    TempDir timing(scratchBase());
    workload::Workload timed(timing.path(), rows);
    timed.setUp();
    const auto start = std::chrono::steady_clock::now();
    const Outcome whole = inChild({}, [&](auto stepDone) { runAll(timed, stepDone); });
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(whole.stepsDone, timed.steps());

    std::mt19937_64 random(fromEnvironment("TERRALOG_CRASH_SEED", 20261210));
    std::uniform_int_distribution<long> moment(1, std::max<long>(2, long(span.count())));
    size_t cutInside = 0;
    for (long trial = 0; trial < trials; ++trial) {
        TempDir dir(scratchBase());
        workload::Workload w(dir.path(), rows);
        w.setUp();
        const long at = moment(random);
        const Outcome out = inChild({}, [&](auto stepDone) { runAll(w, stepDone); }, std::chrono::microseconds(at));
        cutInside += out.killed && out.stepsDone < w.steps();
        expectWhole(w, out, "killed after " + std::to_string(at) + " us");
        if (HasFailure()) return;
    }
    std::printf("%ld trials of %d rows, %zu cut inside the workload (a whole run takes %ld us)\n", trials, rows,
                cutInside, long(span.count()));
}
