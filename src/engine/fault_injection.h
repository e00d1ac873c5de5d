#pragma once

#include "engine/os.h"

namespace engine::faults {

// A test's plan for the engine's file operations. Every write, truncation,
// rename and removal of a table, journal or new file counts as a write, every
// sync as a sync; both count on one scale from 1 since the plan was armed.
struct Plan {
    long killAt = 0;       // the process kills itself instead of operation k
    long failWriteAt = 0;  // operation k, when a write, fails with writeError
    os::Failure writeError = os::Failure::NoSpace;
    long failSyncAt = 0;   // operation k, when a sync, fails as an I/O error
    bool keepFailing = false;  // then every write (sync) from operation k on fails

    // Every write from operation k on fails for want of space.
    static Plan diskFullFrom(long k) {
        Plan p;
        p.failWriteAt = k;
        p.keepFailing = true;
        return p;
    }
};

void arm(const Plan& plan);
void disarm();
// Operations counted since arm().
long operations();

enum class Operation { Write, Sync };
// Called by the file primitives before each operation: false when the
// operation is to fail, with injected() as its error.
bool allow(Operation operation);
os::Error injected();

}  // namespace engine::faults
