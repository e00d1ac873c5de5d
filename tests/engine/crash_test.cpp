// A child process runs the write workload and is stopped at every write and
// sync in turn (and then again while rolling back), or killed at random
// moments of a larger run; each time the next opening must find a sound
// folder holding exactly the state before or after the step that was cut.
//
// TERRALOG_CRASH_TRIALS and TERRALOG_CRASH_ROWS make the random part longer
// (scripts/crash_test.sh).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "common/child_process.h"
#include "engine/fault_injection.h"
#include "engine/write_unit.h"
#include "write_workload.h"

namespace {

using testing_child::Arguments;
using testing_child::ChildProcess;

constexpr size_t kDefaultMemoryLimit = size_t(64) << 20;

long fromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atol(text) : fallback;
}

struct Outcome {
    size_t stepsDone = 0;
    bool killed = false;
    bool failed = false;  // the child stopped on an error of its own
};

// What the child runs, with the plan armed.
struct ChildWork {
    std::string dir;
    int rows = 0;
    long killAt = 0;  // 0: no stop planned
    size_t memoryLimit = kDefaultMemoryLimit;
    bool openOnly = false;  // an opening of the folder (it rolls back), not the steps

    Arguments arguments() const {
        return {dir, std::to_string(rows), std::to_string(killAt), std::to_string(memoryLimit), openOnly ? "open" : "run"};
    }
};

void runAll(const workload::Workload& w, const std::function<void()>& stepDone) {
    for (size_t i = 0; i < w.steps(); ++i) {
        w.runStep(i);
        stepDone();
    }
}

// The child: reports "started" once it is about to begin the steps, then
// "step" after each of them.
const testing_child::Entry workloadChild("crash-workload", [](const Arguments& a) {
    const workload::Workload w(a.at(0), std::stoi(a.at(1)));
    engine::WriteUnit::setMemoryLimit(size_t(std::stoull(a.at(3))));
    engine::faults::Plan plan;
    plan.killAt = std::stol(a.at(2));
    engine::faults::arm(plan);
    int status = 0;
    try {
        if (a.at(4) == "open") {
            w.found();
        } else {
            testing_child::report("started\n");
            runAll(w, [] { testing_child::report("step\n"); });
        }
    } catch (...) {
        status = 2;
    }
    engine::faults::disarm();
    return status;
});

size_t countOf(const std::string& text, const std::string& word) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find(word, at)) != std::string::npos; at += word.size()) ++n;
    return n;
}

// Runs the work in a child; `killAfter` kills it from here that long after
// it started the steps.
Outcome inChild(const ChildWork& work, std::chrono::microseconds killAfter = {}) {
    ChildProcess child(workloadChild, work.arguments());
    if (killAfter.count() > 0) {
        child.waitForOutput("started\n");
        std::this_thread::sleep_for(killAfter);
        child.kill();
    }
    const testing_child::Status status = child.wait();
    Outcome out;
    out.stepsDone = countOf(child.output(), "step\n");
    out.killed = status.killed();
    out.failed = !out.killed && !status.exited(0);
    return out;
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
    TempDir dir;
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
void stopAtEveryOperation(int rows, size_t memoryLimit, bool thenWhileRollingBack) {
    engine::WriteUnit::setMemoryLimit(memoryLimit);  // here, and passed on to the children
    const long total = operationsOf(rows);
    ASSERT_GT(total, 40);
    for (long k = 1; k <= total + 1; ++k) {
        TempDir dir;
        workload::Workload w(dir.path(), rows);
        w.setUp();
        const Outcome out = inChild({dir.path(), rows, k, memoryLimit});
        ASSERT_EQ(out.killed, k <= total) << "operation " << k;
        for (long j = 1; thenWhileRollingBack && j < 50; ++j)
            if (!inChild({dir.path(), rows, j, memoryLimit, true}).killed) break;
        expectWhole(w, out, "stopped at operation " + std::to_string(k));
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace

TEST(Crash, StopAtEveryWriteAndSyncThenAgainWhileRollingBack) { stopAtEveryOperation(6, kDefaultMemoryLimit, true); }

TEST(Crash, StopAtEveryOperationOfUnitsThatWritePagesEarly) {
    // Units that outgrow their memory write pages before the commit.
    stopAtEveryOperation(140, 4096, false);
    engine::WriteUnit::setMemoryLimit(kDefaultMemoryLimit);
}

TEST(Crash, KilledAtRandomMoments) {
    const int rows = int(fromEnvironment("TERRALOG_CRASH_ROWS", 3000));
    const long trials = fromEnvironment("TERRALOG_CRASH_TRIALS", 12);
    TempDir timing;
    workload::Workload timed(timing.path(), rows);
    timed.setUp();
    // How long the steps last, from the child's start of them to its end.
    ChildProcess whole(workloadChild, ChildWork{timing.path(), rows}.arguments());
    ASSERT_TRUE(whole.waitForOutput("started\n"));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(whole.wait().exited(0));
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(countOf(whole.output(), "step\n"), timed.steps());

    std::mt19937_64 random(fromEnvironment("TERRALOG_CRASH_SEED", 20261210));
    std::uniform_int_distribution<long> moment(1, std::max<long>(2, long(span.count())));
    size_t cutInside = 0;
    for (long trial = 0; trial < trials; ++trial) {
        TempDir dir;
        workload::Workload w(dir.path(), rows);
        w.setUp();
        const long at = moment(random);
        const Outcome out = inChild({dir.path(), rows}, std::chrono::microseconds(at));
        cutInside += out.killed && out.stepsDone < w.steps();
        expectWhole(w, out, "killed after " + std::to_string(at) + " us");
        if (HasFailure()) return;
    }
    std::printf("%ld trials of %d rows, %zu cut inside the workload (a whole run takes %ld us)\n", trials, rows,
                cutInside, long(span.count()));
}
