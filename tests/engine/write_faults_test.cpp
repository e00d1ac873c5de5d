// Failing writes and syncs: a full disk (once, or for good), a read-only file
// system, a failed sync, at every operation of every step of the workload.
// The step fails with an error naming the file, and what an opening finds is
// the state before the step, sound and without leftovers.
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/fault_injection.h"
#include "write_workload.h"

using engine::faults::Plan;

namespace {

struct FaultCase {
    const char* name;
    Plan (*plan)(long k);
};

const FaultCase kFaults[] = {
    {"disk full once", [](long k) { Plan p; p.failWriteAt = k; return p; }},
    {"disk full for good", [](long k) { return Plan::diskFullFrom(k); }},
    {"read-only file system", [](long k) { Plan p; p.failWriteAt = k; p.writeError = engine::os::Failure::Denied; return p; }},
    {"failed sync", [](long k) { Plan p; p.failSyncAt = k; return p; }},
    {"syncs failing for good", [](long k) { Plan p; p.failSyncAt = k; p.keepFailing = true; return p; }},
};

constexpr int kRows = 4;

void prepare(const workload::Workload& w, size_t step) {
    w.setUp();
    for (size_t i = 0; i < step; ++i) w.runStep(i);
}

long operationsOfStep(size_t step) {
    TempDir dir;
    workload::Workload w(dir.path(), kRows);
    prepare(w, step);
    engine::faults::arm({});
    w.runStep(step);
    const long n = engine::faults::operations();
    engine::faults::disarm();
    return n;
}

}  // namespace

TEST(WriteFaults, EveryOperationOfEveryStepFailsWhole) {
    for (size_t step = 0; step < 10; ++step) {
        const long operations = operationsOfStep(step);
        for (const FaultCase& fault : kFaults) {
            for (long k = 1; k <= operations; ++k) {
                const std::string trial = std::string(fault.name) + " at operation " + std::to_string(k) + " of step " +
                                          std::to_string(step);
                TempDir dir;
                workload::Workload w(dir.path(), kRows);
                prepare(w, step);
                bool failed = false;
                engine::faults::arm(fault.plan(k));
                try {
                    w.runStep(step);
                } catch (const engine::TableError& e) {
                    failed = true;
                    EXPECT_NE(std::string(e.what()).find(dir.path()), std::string::npos) << trial << ": " << e.what();
                }
                engine::faults::disarm();
                const workload::State found = w.found();
                const auto problems = w.problems();
                EXPECT_TRUE(problems.empty()) << trial << ": " << problems.front();
                EXPECT_EQ(found, w.expected(failed ? step : step + 1))
                    << trial << (failed ? " (failed)" : " (went through)") << "\n" << workload::describe(found);
                if (HasFailure()) return;
            }
        }
    }
}

TEST(WriteFaults, TableRemovedDuringATransaction) {
    TempDir dir;
    workload::Workload w(dir.path(), kRows);
    prepare(w, 4);
    const workload::State before = w.expected(4);
    engine::Database db;
    {
        engine::Transaction t(db);
        workload::Workload::run(db, "UPDATE \"" + w.a() + "\" SET NAME=\"Z\"");
        workload::Workload::run(db, "DELETE FROM \"" + w.b() + "\"");
        ASSERT_TRUE(std::filesystem::remove(std::filesystem::u8path(w.a())));
        try {
            t.commit();
            FAIL() << "a commit into a removed file went through";
        } catch (const engine::TableError& e) {
            EXPECT_NE(std::string(e.what()).find(w.a()), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(engine::Database().table(w.b())->rows()->rowCount(), before.b.rows.size());
    EXPECT_TRUE(engine::checkTableFile(w.b()).empty());
}
